#include "DateUtils.h"
#include "DbConnection.h"
#include "DbEscape.h"
#include "DbQuery.h"
#include "SysUtils.h"
#include "db_tests_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace dbtest {
namespace {

// An open connection on this run's database and a query bound to it.
class DbQueryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configure(connection);
        connection.Open();
        query.SetConnection(&connection);
    }

    // A table name of this test's own, in backticks; a table left by an earlier run is dropped.
    UnicodeString Table(const wchar_t* suffix)
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::wstring name(info->name(), info->name() + std::strlen(info->name()));
        const UnicodeString table = L"`t_" + name + L"_" + suffix + L"`";
        query.ExecSQL(L"DROP TABLE IF EXISTS " + table);
        return table;
    }

    TFDConnection connection{nullptr};
    TFDQuery query{nullptr};
};

TEST_F(DbQueryTest, MultiStatementScriptRunsInOneCommand)
{
    const UnicodeString db = Database() + L"_script";
    query.SQL()->Clear();
    query.SQL()->Add(L" CREATE DATABASE IF NOT EXISTS `" + MySqlEscapeIdentifier(db) + L"`; USE `" +
                     MySqlEscapeIdentifier(db) + L"`;" + L" CREATE TABLE IF NOT EXISTS `device` (" +
                     L" `index` int(11) NOT NULL AUTO_INCREMENT, `ID` varchar(8) NOT NULL DEFAULT '0'," +
                     L" PRIMARY KEY (`index`) ) ENGINE=InnoDB DEFAULT CHARSET=utf8;");
    query.ExecSQL();
    query.ExecSQL();  // every statement is IF NOT EXISTS: a second run changes nothing
    // USE switched this connection's current database.
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT DATABASE()"), db);
    EXPECT_EQ(connection.ExecSQLScalar(L"SHOW TABLES LIKE 'device'"), L"device");
    query.ExecSQL(L"DROP DATABASE `" + MySqlEscapeIdentifier(db) + L"`");
}

TEST_F(DbQueryTest, FailingStatementOfAScriptRaisesAndLeavesTheConnectionUsable)
{
    const UnicodeString t = Table(L"x");
    std::vector<std::wstring> errors;
    TObject* initiator = nullptr;
    connection.OnError = [&](TObject* sender, TObject* init, Exception*& e) {
        EXPECT_EQ(sender, &connection);
        initiator = init;
        errors.push_back(e->Message());
    };
    query.ExecSQL(L"CREATE TABLE " + t + L" (a int)");
    try {
        query.ExecSQL(L"INSERT INTO " + t + L" VALUES (1); INSERT INTO no_such_table VALUES (2); INSERT INTO " + t +
                      L" VALUES (3)");
        FAIL() << "the script did not fail";
    } catch (const EFDDBEngineException& e) {
        EXPECT_EQ(e.ErrorCode(), 1146) << e.what();  // no such table
    }
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(L"no_such_table"), std::wstring::npos) << errors[0];
    EXPECT_EQ(initiator, &query);
    // The statements before the failing one ran, the ones after it did not; the connection is
    // ready for the next command.
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT GROUP_CONCAT(a) FROM " + t), L"1");

    EXPECT_THROW(query.ExecSQL(L"SELEC 1"), EFDDBEngineException);
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT 42"), L"42");
}

TEST_F(DbQueryTest, RowsAffectedCountsChangedRowsOnly)
{
    const UnicodeString t = Table(L"rows");
    query.ExecSQL(L"CREATE TABLE " + t + L" (k varchar(8), v char(1))");
    query.ExecSQL(L"INSERT INTO " + t + L" VALUES ('a','Y'),('b','Y'),('c','N')");
    EXPECT_EQ(query.RowsAffected(), 3);

    struct Case {
        const wchar_t* sql;
        long long changed;
    };
    const Case cases[] = {
        {L"UPDATE %T SET v='Y'", 1},              // two of three rows already hold the value
        {L"UPDATE %T SET v='Y'", 0},              // matched, nothing changed
        {L"UPDATE %T SET v='N' WHERE k='zz'", 0}, // nothing matched
        {L"DELETE FROM %T WHERE v='Y' AND k<>'a'", 2},
    };
    for (const Case& c : cases) {
        UnicodeString sql = c.sql;
        sql.replace(sql.find(L"%T"), 2, t);
        query.SQL()->Clear();
        query.SQL()->Add(sql);
        query.ExecSQL();
        EXPECT_EQ(query.RowsAffected(), c.changed) << sql;
    }
}

TEST_F(DbQueryTest, OpenWalksRowsAndReadsFieldsByNameAndIndex)
{
    const UnicodeString t = Table(L"rx");
    query.ExecSQL(L"CREATE TABLE " + t +
                  L" (`Rx_Datum` DATETIME NULL, `ID` VARCHAR(8) NULL, `Medium` TINYINT(4) NULL, `RSSI` TINYINT(4) NULL)"
                  L" DEFAULT CHARSET=latin1");
    query.ExecSQL(L"INSERT INTO " + t + L" VALUES ('2024-03-09 00:00:00','12345678',7,-74),"
                  L"('2024-02-29 23:59:58','00000001',255 - 128,0),(NULL,NULL,NULL,NULL)");

    query.SQL()->Clear();
    query.SQL()->Add(L"SELECT * FROM " + t);
    query.SQL()->Add(L"ORDER BY Rx_Datum IS NULL, Rx_Datum");
    query.Open();
    ASSERT_TRUE(query.Active());
    ASSERT_EQ(query.Fields()->Count(), 4);
    EXPECT_EQ(query.Fields()->Fields(1)->FieldName(), L"ID");

    struct Expected {
        TDateTime when;
        const wchar_t* id;
        int medium;
        int rssi;
    };
    const Expected rows[] = {
        {EncodeDateTime(2024, 2, 29, 23, 59, 58, 0), L"00000001", 127, 0},
        {EncodeDate(2024, 3, 9), L"12345678", 7, -74},
        {0, L"", 0, 0},
    };
    for (int pass = 0; pass < 2; ++pass) {
        size_t n = 0;
        for (; !query.Eof(); query.Next(), ++n) {
            ASSERT_LT(n, std::size(rows));
            EXPECT_DOUBLE_EQ(query.FieldByName(L"rx_datum")->AsDateTime(), rows[n].when) << n;
            EXPECT_EQ(query.FieldByName(L"ID")->AsString(), rows[n].id);
            EXPECT_EQ(query.Fields()->Fields(1)->AsAnsiString(), UnicodeToAnsi(rows[n].id));
            EXPECT_EQ(query.FieldByName(L"Medium")->AsInteger(), rows[n].medium);
            EXPECT_EQ(query.FieldByName(L"RSSI")->AsInteger(), rows[n].rssi);
            EXPECT_EQ(query.FieldByName(L"ID")->IsNull(), n == 2);
        }
        EXPECT_EQ(n, std::size(rows));
        // Past the end the last row stays current.
        EXPECT_EQ(query.FieldByName(L"ID")->AsString(), L"");
        query.First();  // the second pass reads the same rows again
    }
    EXPECT_THROW(query.FieldByName(L"nope"), EDatabaseError);
    EXPECT_EQ(query.FindField(L"nope"), nullptr);
    EXPECT_THROW(query.Fields()->Fields(4), EListError);
    EXPECT_THROW(query.FieldByName(L"ID")->AsDateTime(), EConvertError);  // "00000001" is no date
}

TEST_F(DbQueryTest, EmptyAndClosedResults)
{
    query.Open(L"SELECT 1 AS one FROM DUAL WHERE 1 = 0");
    EXPECT_TRUE(query.Active());
    EXPECT_TRUE(query.Eof());
    EXPECT_TRUE(query.FieldByName(L"one")->IsNull());
    query.First();
    EXPECT_TRUE(query.Eof());
    query.Close();
    EXPECT_TRUE(query.Eof());
    EXPECT_THROW(query.Next(), EDatabaseError);
    EXPECT_THROW(query.FieldByName(L"one"), EDatabaseError);

    // A command without a result set cannot be opened; ExecSQL runs a SELECT and drops its rows.
    EXPECT_THROW(query.Open(L"DO 1"), EFDException);
    query.ExecSQL(L"SELECT 1");
    EXPECT_FALSE(query.Active());
}

TEST_F(DbQueryTest, ConversionsOfFieldTexts)
{
    query.Open(L"SELECT '2147483647' i1, '-2147483648' i2, '2147483648' i3, '12a' i4, "
               L"'0000-00-00 00:00:00' d1, '1899-12-29 06:00:00' d2, '2024-03-09 10:11:12.5' d3, "
               L"'2024-02-30' d4, '12:30:00' d5, 'gestern' d6");
    EXPECT_EQ(query.FieldByName(L"i1")->AsInteger(), 2147483647);
    EXPECT_EQ(query.FieldByName(L"i2")->AsInteger(), -2147483647 - 1);
    EXPECT_THROW(query.FieldByName(L"i3")->AsInteger(), EConvertError);
    EXPECT_THROW(query.FieldByName(L"i4")->AsInteger(), EConvertError);
    EXPECT_EQ(query.FieldByName(L"d1")->AsDateTime(), 0.0);
    EXPECT_DOUBLE_EQ(query.FieldByName(L"d2")->AsDateTime(), -1.25);
    EXPECT_DOUBLE_EQ(query.FieldByName(L"d3")->AsDateTime(), EncodeDateTime(2024, 3, 9, 10, 11, 12, 500));
    EXPECT_THROW(query.FieldByName(L"d4")->AsDateTime(), EConvertError);
    EXPECT_DOUBLE_EQ(query.FieldByName(L"d5")->AsDateTime(), EncodeTime(12, 30, 0, 0));
    EXPECT_THROW(query.FieldByName(L"d6")->AsDateTime(), EConvertError);
}

TEST_F(DbQueryTest, LongAndNonAsciiTextsArriveWhole)
{
    const UnicodeString t = Table(L"text");
    query.ExecSQL(L"CREATE TABLE " + t + L" (l varchar(600), u varchar(20)) DEFAULT CHARSET=latin1");
    UnicodeString hex;
    for (int i = 0; i < 600; ++i) hex.push_back(L"0123456789ABCDEF"[i * 7 % 16]);
    query.ExecSQL(L"INSERT INTO " + t + L" VALUES (" + MySqlQuote(hex) + L", " + MySqlQuote(L"Zähler µ ß") + L")");
    query.Open(L"SELECT l, u, CHAR_LENGTH(u) n FROM " + t);
    EXPECT_EQ(query.FieldByName(L"l")->AsString(), hex);
    EXPECT_EQ(query.FieldByName(L"u")->AsString(), L"Zähler µ ß");
    EXPECT_EQ(query.FieldByName(L"n")->AsInteger(), 10);
}

// Values with the literal's special characters are stored exactly and cannot change the
// statement they are put into.
TEST_F(DbQueryTest, EscapedValuesRoundTripThroughInsertAndSelect)
{
    const UnicodeString t = Table(L"esc");
    query.ExecSQL(L"CREATE TABLE " + t + L" (n int, s varchar(64)) DEFAULT CHARSET=utf8mb4");
    const std::vector<UnicodeString> values = {
        L"\\",          L"'",        L"\"",          L"a\\'b",          UnicodeString(L"nul\0end", 7),
        L"line\r\nfeed", L"\x1A",     L"\\'); DROP TABLE x; -- ", L"`backtick`", L"%_",
        L"O'Brien\\",    L"Ä€😀"};
    for (size_t i = 0; i < values.size(); ++i) {
        query.SQL()->Clear();
        query.SQL()->Add(L"INSERT INTO " + t + L" (n, s) VALUES(");
        query.SQL()->Add(L"'" + std::to_wstring(i) + L"',");
        query.SQL()->Add(L"'" + MySqlEscape(values[i]) + L"'");
        query.SQL()->Add(L") ");
        query.ExecSQL();
        EXPECT_EQ(query.RowsAffected(), 1) << i;
    }
    // The server holds every value byte for byte. (Read back as text, the MariaDB driver ends a
    // value at a NUL character, so NUL is compared through HEX only.)
    query.Open(L"SELECT n, s, HEX(s) AS h FROM " + t + L" ORDER BY n");
    size_t n = 0;
    for (; !query.Eof(); query.Next(), ++n) {
        ASSERT_LT(n, values.size());
        EXPECT_EQ(query.Fields()->Fields(0)->AsInteger(), static_cast<int>(n));
        AnsiString hex;
        for (const unsigned char byte : UnicodeToUtf8(values[n])) hex += Format(AnsiString("%.2X"), byte);
        EXPECT_EQ(query.FieldByName(L"h")->AsAnsiString(), hex) << n;
        if (values[n].find(L'\0') == UnicodeString::npos) {
            EXPECT_EQ(query.FieldByName(L"s")->AsString(), values[n]) << n;
        }
    }
    EXPECT_EQ(n, values.size());
    // The value's text found by an escaped comparison, too.
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT n FROM " + t + L" WHERE s = " + MySqlQuote(values[7])), L"7");
}

TEST(DbEscape, LiteralAndIdentifierEscapes)
{
    struct Case {
        UnicodeString in, out;
    };
    const Case cases[] = {
        {L"", L""},
        {L"plain 01.A2.FF", L"plain 01.A2.FF"},
        {L"\\", L"\\\\"},
        {L"'", L"\\'"},
        {L"\"", L"\\\""},
        {UnicodeString(L"a\0b", 3), L"a\\0b"},
        {L"\r\n", L"\\r\\n"},
        {L"\x1A", L"\\Z"},
        {L"ä`%_", L"ä`%_"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MySqlEscape(c.in), c.out);
        EXPECT_EQ(MySqlEscape(UnicodeToAnsi(c.in)), UnicodeToAnsi(c.out));
    }
    EXPECT_EQ(MySqlQuote(L"it's"), L"'it\\'s'");
    EXPECT_EQ(MySqlEscapeIdentifier(L"rx_01.A2.FF"), L"rx_01.A2.FF");
    EXPECT_EQ(MySqlEscapeIdentifier(L"a`b``"), L"a``b````");
    EXPECT_THROW(MySqlEscapeIdentifier(UnicodeString(L"a\0b", 3)), EFDException);
}

TEST_F(DbQueryTest, EscapedIdentifierNamesExactlyOneDatabase)
{
    const UnicodeString db = Database() + L"_`; DROP DATABASE x; `";
    query.ExecSQL(L"CREATE DATABASE IF NOT EXISTS `" + MySqlEscapeIdentifier(db) + L"`; USE `" +
                  MySqlEscapeIdentifier(db) + L"`;");
    EXPECT_EQ(connection.ExecSQLScalar(L"SELECT DATABASE()"), db);
    query.ExecSQL(L"DROP DATABASE `" + MySqlEscapeIdentifier(db) + L"`");
}

TEST_F(DbQueryTest, QueriesFollowTheirConnection)
{
    query.Open(L"SELECT 1 AS one");
    connection.Close();  // closing the connection closes its data sets
    EXPECT_FALSE(query.Active());
    EXPECT_THROW(query.ExecSQL(L"SELECT 1"), EFDException);

    auto other = std::make_unique<TFDConnection>(nullptr);
    Configure(*other);
    other->Open();
    query.SetConnection(other.get());
    query.Open(L"SELECT 2 AS two");
    other.reset();  // a freed connection unbinds its queries
    EXPECT_EQ(query.Connection(), nullptr);
    EXPECT_FALSE(query.Active());
    EXPECT_THROW(query.ExecSQL(L"SELECT 1"), EFDException);
}

}  // namespace
}  // namespace dbtest
