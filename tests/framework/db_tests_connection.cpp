#include "DbConnection.h"
#include "DbEscape.h"
#include "DbOdbc.h"
#include "DbQuery.h"
#include "db_tests_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dbtest {

namespace {

UnicodeString RunDatabaseName()
{
    return L"marlindo_dbt_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount64());
}

// Creates this run's database before the first test and drops it after the last one.
class DatabaseEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        const ServerSettings s = Server();
        ASSERT_FALSE(s.host.empty()) << "no test database";
        TFDConnection connection(nullptr);
        Configure(connection, L"", s.password);
        connection.Open();
        TFDQuery query(nullptr);
        query.SetConnection(&connection);
        query.ExecSQL(L"CREATE DATABASE `" + MySqlEscapeIdentifier(Database()) + L"`");
    }
    void TearDown() override
    {
        try {
            TFDConnection connection(nullptr);
            Configure(connection, L"", Server().password);
            connection.Open();
            TFDQuery query(nullptr);
            query.SetConnection(&connection);
            query.ExecSQL(L"DROP DATABASE IF EXISTS `" + MySqlEscapeIdentifier(Database()) + L"`");
        } catch (const Exception& e) {
            ADD_FAILURE() << "dropping the test database: " << e.what();
        }
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new DatabaseEnvironment);

// Records the connection's events in order.
struct EventLog {
    std::vector<std::wstring> events;
    std::wstring errorText;
    int errorCode = 0;
    TObject* initiator = nullptr;

    void Bind(TFDConnection& c)
    {
        c.AfterConnect = [this](TObject*) { events.push_back(L"connect"); };
        c.AfterDisconnect = [this](TObject*) { events.push_back(L"disconnect"); };
        c.OnError = [this](TObject*, TObject* init, Exception*& e) {
            events.push_back(L"error");
            errorText = e->Message();
            initiator = init;
            if (auto* engine = dynamic_cast<EFDDBEngineException*>(e)) errorCode = engine->ErrorCode();
        };
    }
};

}  // namespace

const UnicodeString& Database()
{
    static const UnicodeString name = RunDatabaseName();
    return name;
}

TEST(DbConnection, OpenAndCloseFireEventsOnlyOnChange)
{
    TFDConnection connection(nullptr);
    EventLog log;
    log.Bind(connection);
    Configure(connection);

    connection.Close();  // closed stays closed, no event
    connection.Open();
    EXPECT_TRUE(connection.Connected());
    connection.Open();  // already open: nothing
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT DATABASE()"), Database());
    connection.SetConnected(false);
    EXPECT_FALSE(connection.Connected());
    connection.Close();
    connection.SetConnected(true);
    EXPECT_TRUE(connection.Connected());
    EXPECT_EQ(log.events, (std::vector<std::wstring>{L"connect", L"disconnect", L"connect"}));
}

TEST(DbConnection, WrongPasswordReportsServerTextAndCode1045)
{
    TFDConnection connection(nullptr);
    EventLog log;
    log.Bind(connection);
    Configure(connection, Database(), L"not-the-password");
    try {
        connection.Open();
        FAIL() << "a wrong password connected";
    } catch (const EFDDBEngineException& e) {
        EXPECT_EQ(e.ErrorCode(), 1045);
        EXPECT_EQ(e.Message(), log.errorText);
        EXPECT_EQ(e.ClassName(), L"EFDDBEngineException");
    }
    EXPECT_FALSE(connection.Connected());
    EXPECT_EQ(log.events, std::vector<std::wstring>{L"error"});
    EXPECT_EQ(log.initiator, &connection);
    EXPECT_EQ(log.errorCode, 1045);
    // The server's own text, without the driver's "[...]" prefixes.
    EXPECT_EQ(log.errorText.rfind(L"Access denied for user '" + Server().user + L"'", 0), 0u) << log.errorText;
}

TEST(DbConnection, UnknownDatabaseIs1049)
{
    TFDConnection connection(nullptr);
    EventLog log;
    log.Bind(connection);
    Configure(connection, Database() + L"_missing");
    try {
        connection.Open();
        FAIL() << "an unknown database connected";
    } catch (const EFDDBEngineException& e) {
        EXPECT_EQ(e.ErrorCode(), 1049);
        EXPECT_EQ(e.Message(), L"Unknown database '" + Database() + L"_missing'");
    }
    EXPECT_EQ(log.events, std::vector<std::wstring>{L"error"});
}

TEST(DbConnection, SettingsErrorsAreReportedThroughOnError)
{
    struct Case {
        const wchar_t* driverName;
        const wchar_t* definition;
    };
    for (const Case c : {Case{L"Oracle", L""}, Case{L"MySQL", L"NO_SUCH_DEFINITION"}}) {
        TFDConnection connection(nullptr);
        EventLog log;
        log.Bind(connection);
        Configure(connection);
        connection.SetDriverName(c.driverName);
        connection.SetConnectionDefName(c.definition);
        EXPECT_THROW(connection.Open(), EFDException) << c.driverName << " " << c.definition;
        EXPECT_FALSE(connection.Connected());
        EXPECT_EQ(log.events, std::vector<std::wstring>{L"error"});
    }
}

TEST(DbConnection, EmptyDriverNameTakesDriverIdFromParams)
{
    TFDConnection connection(nullptr);
    Configure(connection);
    connection.SetDriverName(L"");
    connection.Open();
    EXPECT_TRUE(connection.Connected());
    connection.Params()->SetValues(L"DriverID", L"");
    connection.Close();
    EXPECT_THROW(connection.Open(), EFDException);
}

TEST(DbConnection, ExecSQLScalarGivesFirstValueOrEmpty)
{
    TFDConnection connection(nullptr);
    Configure(connection);
    connection.Open();
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT 'a', 'b' UNION ALL SELECT 'c', 'd'"), L"a");
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT 1 FROM DUAL WHERE 1 = 0"), L"");
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT NULL"), L"");
}

TEST(DbConnection, ConnectionDefinitionSuppliesSettingsAndOwnParamsOverride)
{
    const ServerSettings s = Server();
    TStringList params;
    params.SetValues(L"Server", s.host);
    params.SetValues(L"Database", Database());
    params.SetValues(L"User_Name", s.user);
    params.SetValues(L"Password", L"stale password");
    AddPort(params);
    FDManager()->AddConnectionDef(L"MARLINDO2", L"MySQL", &params);
    EXPECT_TRUE(FDManager()->IsConnectionDef(L"marlindo2"));

    // The stale password of the first definition fails; redefining the name replaces it.
    TFDConnection connection(nullptr);
    connection.SetDriverName(L"MySQL");
    connection.SetConnectionDefName(L"MARLINDO2");
    EXPECT_THROW(connection.Open(), EFDDBEngineException);
    params.SetValues(L"Password", s.password);
    FDManager()->AddConnectionDef(L"MARLINDO2", L"MySQL", &params);
    connection.Open();
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT DATABASE()"), Database());
    connection.Close();

    // A parameter of the connection itself wins over the definition's.
    connection.Params()->SetValues(L"Database", L"mysql");
    connection.Open();
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT DATABASE()"), L"mysql");
    connection.Close();

    TStringList copy;
    ASSERT_TRUE(FDManager()->GetConnectionDefParams(L"MARLINDO2", copy));
    EXPECT_EQ(copy.Strings(0), L"DriverID=MySQL");
    EXPECT_EQ(copy.Values(L"Database"), Database());

    FDManager()->DeleteConnectionDef(L"MARLINDO2");
    EXPECT_FALSE(FDManager()->IsConnectionDef(L"MARLINDO2"));
    connection.Params()->Clear();
    EXPECT_THROW(connection.Open(), EFDException);
}

// A value of the settings can hold any character of the connection string's syntax; none may
// end its attribute early or add another one.
TEST(DbConnection, SettingValuesCannotChangeTheConnectionString)
{
    const UnicodeString user = L"odd_" + std::to_wstring(GetCurrentProcessId());
    const UnicodeString password = L"a;b}c{d'e\"f=g h}";
    TFDConnection admin(nullptr);
    Configure(admin);
    admin.Open();
    TFDQuery query(nullptr);
    query.SetConnection(&admin);
    query.ExecSQL(L"CREATE OR REPLACE USER " + MySqlQuote(user) + L"@'%' IDENTIFIED BY " + MySqlQuote(password));
    query.ExecSQL(L"CREATE OR REPLACE USER " + MySqlQuote(user) + L"@'127.0.0.1' IDENTIFIED BY " + MySqlQuote(password));

    TFDConnection odd(nullptr);
    Configure(odd, L"", password);
    odd.Params()->SetValues(L"User_Name", user);
    odd.Open();
    EXPECT_EQ(odd.ExecSQLScalar(L"SELECT CURRENT_USER()").rfind(user + L"@", 0), 0u);
    odd.Close();

    // A password that tries to append a database attribute is only a wrong password.
    Configure(odd, L"", L"x};DATABASE={mysql");
    odd.Params()->SetValues(L"User_Name", user);
    try {
        odd.Open();
        ADD_FAILURE() << "connected with a wrong password";
    } catch (const EFDDBEngineException& e) {
        EXPECT_EQ(e.ErrorCode(), 1045);
    }
    query.ExecSQL(L"DROP USER " + MySqlQuote(user) + L"@'%', " + MySqlQuote(user) + L"@'127.0.0.1'");
}

}  // namespace dbtest

namespace dbtest {

TEST(DbDriver, MySqlDriverIsChosenAmongInstalledOdbcDrivers)
{
    using Names = std::vector<UnicodeString>;
    struct Case {
        Names installed;
        UnicodeString chosen;
    };
    const Case cases[] = {
        {{L"SQL Server", L"MariaDB Unicode"}, L"MariaDB Unicode"},
        {{L"MySQL ODBC 8.0 ANSI Driver", L"MySQL ODBC 8.0 Unicode Driver"}, L"MySQL ODBC 8.0 Unicode Driver"},
        {{L"MySQL ODBC 8.0 Unicode Driver", L"MariaDB ODBC 3.1 Driver"}, L"MariaDB ODBC 3.1 Driver"},
        {{L"mysql odbc 5.3 ansi driver"}, L"mysql odbc 5.3 ansi driver"},
        {{L"SQL Server", L"PostgreSQL Unicode"}, L""},
        {{}, L""},
    };
    for (const Case& c : cases) EXPECT_EQ(odbc::PickMySqlDriver(c.installed), c.chosen);
    // This machine's driver is found.
    EXPECT_FALSE(odbc::MySqlDriverName().empty());
}

}  // namespace dbtest
