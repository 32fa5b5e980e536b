// Database mode at switch-on (connection, schema script, state labels) and the frame log row,
// against the test MariaDB.
#include "server_tests_dbmode_fixture.h"

#include <gtest/gtest.h>

namespace dbtest {
const UnicodeString& Database()
{
    static const UnicodeString name = dbmode_test::UniqueDatabaseName(L"marlindo_srv_");
    return name;
}
} // namespace dbtest

using namespace dbmode_test;

namespace {

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new DropRunDatabase);

// LabelDBStatus and LabelDBerror.
class Labels : public TDbStatusDisplay {
public:
    void SetDbStatusText(const UnicodeString& text) override
    {
        Check();
        Status = text;
        History.push_back(L"status:" + text);
    }
    void SetDbErrorText(const UnicodeString& text) override
    {
        Check();
        Error = text;
        History.push_back(L"error:" + text);
    }

    UnicodeString Status = L"unbekannt";
    UnicodeString Error = L"xxxx";
    std::vector<UnicodeString> History;
    int OffMainThread = 0;

private:
    void Check()
    {
        if (GetCurrentThreadId() != MainThreadID) ++OffMainThread;
    }
};

// SHOW CREATE TABLE of every table of the current database, by name.
std::map<UnicodeString, UnicodeString> Definitions(TFDConnection& connection)
{
    std::map<UnicodeString, UnicodeString> definitions;
    for (const Row& table : Rows(connection, L"SHOW TABLES")) {
        const UnicodeString name = *table.begin()->second;
        const Row create = Rows(connection, L"SHOW CREATE TABLE `" + MySqlEscapeIdentifier(name) + L"`").at(0);
        definitions[name] = *create.at(L"Create Table");
    }
    return definitions;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Switch-on

TEST(DbSwitchOn, FreshServerGetsDatabaseAndTablesAndASecondRunChangesNothing)
{
    ASSERT_TRUE(EnsureRunDatabase()) << "no test database";
    const UnicodeString name = UniqueDatabaseName(L"marlindo_fresh_");
    struct Dropper {
        UnicodeString name;
        ~Dropper() { DropDatabase(name); }
    } dropper{name};

    TFDConnection connection(nullptr);
    PrepareForSwitchOn(connection);
    Labels labels;
    BindDbStatusEvents(connection, labels);
    ConfigureDbConnection(connection, Settings(name));
    CreateDbSchema(connection, Settings(name));

    // The refusal of the missing database is no error for the labels.
    EXPECT_EQ(labels.History, (std::vector<UnicodeString>{L"status:OK", L"error:"}));
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT DATABASE()"), name);
    EXPECT_EQ(connection.Params()->Values(L"Database"), name);
    const auto definitions = Definitions(connection);
    ASSERT_EQ(definitions.size(), 3u);
    EXPECT_NE(definitions.at(L"device").find(L"`index` int(11) NOT NULL AUTO_INCREMENT"), UnicodeString::npos);
    EXPECT_NE(definitions.at(L"log").find(L"`DatenType` enum('WMBUS','SETUP','UNKNOWN') DEFAULT NULL"),
              UnicodeString::npos);
    EXPECT_NE(definitions.at(L"log").find(L"`AnzahlByte` smallint(6) DEFAULT NULL"), UnicodeString::npos);
    // Widened once so that "255.255.255" fits.
    EXPECT_NE(definitions.at(L"setup_daten").find(L"`SOFTWARE` varchar(11) NOT NULL"), UnicodeString::npos);
    EXPECT_NE(definitions.at(L"setup_daten").find(L"`FILT_MC4` tinyint(4) NOT NULL DEFAULT 8"), UnicodeString::npos);

    // The filter push reaches the same database by the definition's name.
    TStringList definition;
    ASSERT_TRUE(FDManager()->GetConnectionDefParams(L"MARLINDO2", definition));
    EXPECT_EQ(definition.Values(L"Database"), name);
    EXPECT_EQ(definition.Values(L"User_Name"), dbtest::Server().user);
    EXPECT_EQ(definition.Values(L"Server"), dbtest::Server().host);

    // Switching on again (the database exists now) changes neither tables nor rows.
    Exec(connection, L"INSERT INTO log (IP) VALUES ('1.2.3.4')");
    Exec(connection, L"INSERT INTO device (ID) VALUES ('12345678')");
    const auto withRows = Definitions(connection); // AUTO_INCREMENT has moved on
    labels.History.clear();
    ConfigureDbConnection(connection, Settings(name));
    CreateDbSchema(connection, Settings(name));
    EXPECT_EQ(labels.History,
              (std::vector<UnicodeString>{L"status:nicht verbunden", L"status:OK", L"error:"}));
    EXPECT_EQ(Definitions(connection), withRows);
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT COUNT(*) FROM log"), L"1");
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT COUNT(*) FROM device"), L"1");
    EXPECT_EQ(labels.OffMainThread, 0);
}

TEST(DbSwitchOn, DatabaseNameCannotChangeTheScript)
{
    ASSERT_TRUE(EnsureRunDatabase()) << "no test database";
    const UnicodeString victim = UniqueDatabaseName(L"v_");
    const UnicodeString name = L"m`;DROP DATABASE `" + victim + L"`;#";
    struct Dropper {
        UnicodeString name;
        ~Dropper() { DropDatabase(name); }
    } dropName{name}, dropVictim{victim};
    {
        TFDConnection server(nullptr);
        dbtest::Configure(server, L"", dbtest::Server().password);
        server.Open();
        Exec(server, L"CREATE DATABASE `" + victim + L"`");
    }
    TFDConnection connection(nullptr);
    PrepareForSwitchOn(connection);
    ConfigureDbConnection(connection, Settings(name));
    CreateDbSchema(connection, Settings(name));
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT DATABASE()"), name);
    EXPECT_EQ(Rows(connection, L"SHOW DATABASES LIKE '" + MySqlEscape(victim) + L"'").size(), 1u);
    EXPECT_EQ(Definitions(connection).size(), 3u);
}

TEST(DbSwitchOn, LabelsShowOpenCloseAndTheServersErrorText)
{
    ASSERT_TRUE(EnsureRunDatabase()) << "no test database";
    TFDConnection connection(nullptr);
    PrepareForSwitchOn(connection);
    Labels labels;
    BindDbStatusEvents(connection, labels);

    ConfigureDbConnection(connection, Settings(dbtest::Database()));
    EXPECT_EQ(labels.Status, L"OK");
    EXPECT_EQ(labels.Error, L"");
    connection.Close();
    EXPECT_EQ(labels.Status, L"nicht verbunden");
    EXPECT_EQ(labels.Error, L"");

    // A wrong password: the switch-on fails with the server's refusal, and the labels show it.
    labels.Error = L"earlier text";
    try {
        ConfigureDbConnection(connection, Settings(dbtest::Database(), L"not-the-password"));
        FAIL() << "a wrong password connected";
    } catch (const EFDDBEngineException& e) {
        EXPECT_EQ(e.ErrorCode(), 1045);
        EXPECT_EQ(labels.Status, L"ERROR");
        EXPECT_EQ(labels.Error, e.Message());
        EXPECT_NE(labels.Error.find(L"Access denied"), UnicodeString::npos) << UnicodeToUtf8(labels.Error);
    }
    EXPECT_FALSE(connection.Connected());
    // The schema script does nothing on a closed connection.
    EXPECT_NO_THROW(CreateDbSchema(connection, Settings(dbtest::Database())));
    EXPECT_EQ(labels.OffMainThread, 0);
}

TEST(DbSwitchOn, EventsOfAnotherThreadReachTheLabelsOnTheMainThread)
{
    ASSERT_TRUE(EnsureRunDatabase()) << "no test database";
    Labels labels;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        TFDConnection connection(nullptr);
        BindDbStatusEvents(connection, labels);
        dbtest::Configure(connection);
        connection.Open();
        connection.Close();
        dbtest::Configure(connection, dbtest::Database(), L"not-the-password");
        try {
            connection.Open();
        } catch (const Exception&) {
        }
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done && std::chrono::steady_clock::now() < deadline) CheckSynchronize(10);
    worker.join();
    EXPECT_EQ(labels.OffMainThread, 0);
    ASSERT_EQ(labels.History.size(), 5u);
    EXPECT_EQ(labels.History[0], L"status:OK");
    EXPECT_EQ(labels.History[2], L"status:nicht verbunden");
    EXPECT_EQ(labels.History[3], L"status:ERROR");
    EXPECT_NE(labels.Error.find(L"Access denied"), UnicodeString::npos);
}

// ---------------------------------------------------------------------------------------------
// The frame log row

TEST_F(DbContactTest, FrameLogRowHoldsTheFramesTexts)
{
    TMyClass contact(host, nullptr);
    // Without an open connection nothing is written and nothing fails.
    EXPECT_TRUE(contact.WriteFrameLog("127.0.0.1", "0A.1B.2C", " 0212", "Y", "WMBUS", "3"));
    EXPECT_TRUE(LogRows().empty());

    contact.OpenDatabase();
    ASSERT_TRUE(contact.DatabaseOpen());
    struct Case {
        AnsiString ip, gw, bytes, aes, type, count;
        Row stored; // without Zeit
    };
    const auto row = [](const wchar_t* ip, const wchar_t* gw, const wchar_t* bytes, const wchar_t* aes,
                        const wchar_t* type, const wchar_t* count) {
        return Row{{L"IP", UnicodeString(ip)},   {L"GWID", UnicodeString(gw)},        {L"AnzahlByte", UnicodeString(bytes)},
                   {L"AES", UnicodeString(aes)}, {L"DatenType", UnicodeString(type)}, {L"AnzahlProt", UnicodeString(count)}};
    };
    const std::vector<Case> cases = {
        {"127.0.0.1", "0A.1B.2C", " 0212", "Y", "WMBUS", "3", row(L"127.0.0.1", L"0A.1B.2C", L"212", L"Y", L"WMBUS", L"3")},
        {"127.0.0.1", "0A.1B.2C", " 0171", "N", "unknown", "0",
         row(L"127.0.0.1", L"0A.1B.2C", L"171", L"N", L"UNKNOWN", L"0")},
        {"10.0.0.7", "01.A2.FF", " 1130", "Y", "SETUP", "0", row(L"10.0.0.7", L"01.A2.FF", L"1130", L"Y", L"SETUP", L"0")},
        // A frame may announce up to 255 records; the column holds 127.
        {"127.0.0.1", "0A.1B.2C", " 2074", "Y", "WMBUS", "255",
         row(L"127.0.0.1", L"0A.1B.2C", L"2074", L"Y", L"WMBUS", L"127")},
        {"127.0.0.1", "0A.1B.2C", " 0042", "Y", "WMBUS", "128",
         row(L"127.0.0.1", L"0A.1B.2C", L"42", L"Y", L"WMBUS", L"127")},
        {"127.0.0.1", "0A.1B.2C", " 0042", "Y", "WMBUS", "127",
         row(L"127.0.0.1", L"0A.1B.2C", L"42", L"Y", L"WMBUS", L"127")},
        // Values are literals, whatever they hold.
        {"1','2');--\\", "0A.1B.2C", " 0042", "Y", "WMBUS", "1",
         row(L"1','2');--\\", L"0A.1B.2C", L"42", L"Y", L"WMBUS", L"1")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ip + " " + c.count);
        Exec(main_, L"DELETE FROM log");
        const TDateTime start = Now();
        EXPECT_TRUE(contact.WriteFrameLog(c.ip, c.gw, c.bytes, c.aes, c.type, c.count));
        const std::vector<Row> rows = LogRows();
        ASSERT_EQ(rows.size(), 1u);
        Row stored = rows[0];
        EXPECT_TRUE(TimeWithin(stored.at(L"Zeit"), start, Now())) << Utf8(stored.at(L"Zeit"));
        stored.erase(L"Zeit");
        EXPECT_EQ(stored, c.stored);
    }
    EXPECT_TRUE(host.DatabaseErrors().empty());

    // A row the table refuses (an address longer than the column) is lost, reported and false.
    Exec(main_, L"DELETE FROM log");
    EXPECT_FALSE(contact.WriteFrameLog("0000:0000:0000:0001", "0A.1B.2C", " 0042", "Y", "WMBUS", "1"));
    EXPECT_TRUE(LogRows().empty());
    ASSERT_EQ(host.DatabaseErrors().size(), 1u);
    EXPECT_NE(host.DatabaseErrors()[0].find(L"IP"), UnicodeString::npos) << UnicodeToUtf8(host.DatabaseErrors()[0]);
    contact.CloseDatabase();
    EXPECT_FALSE(contact.DatabaseOpen());
}
