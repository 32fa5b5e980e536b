#pragma once
// Database mode tests: a database of this run's own on the MariaDB that tools/test.sh starts,
// created with the server's own switch-on logic on first use and dropped at the end, and small
// helpers to look at rows. The test executable defines dbtest::Database() (db_tests_support.h).
#include "../framework/db_tests_support.h"
#include "DbEscape.h"
#include "DbPool.h"
#include "DbQuery.h"
#include "DbSchema.h"
#include "DateUtils.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

namespace dbmode_test {

inline UnicodeString UniqueDatabaseName(const wchar_t* prefix)
{
    static std::atomic<int> serial{0};
    return prefix + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount64()) + L"_" +
           std::to_wstring(serial++);
}

// The settings edits' texts that select the test server and database.
inline TDbSettings Settings(const UnicodeString& database, std::optional<UnicodeString> password = {})
{
    const dbtest::ServerSettings s = dbtest::Server();
    return {s.host, database, s.user, password.value_or(s.password)};
}

// A connection as the server's switch-on leaves it: only the test port added beforehand, since
// the product's settings carry none.
inline void PrepareForSwitchOn(TFDConnection& connection)
{
    connection.SetLoginPrompt(false);
    dbtest::AddPort(*connection.Params());
}

// Runs the switch-on logic for the run's database once (it does not exist before: the first
// open is refused with 1049 and the script creates it). Fails the calling test when the test
// server cannot be reached.
inline bool EnsureRunDatabase()
{
    static bool ready = false;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const dbtest::ServerSettings s = dbtest::Server();
        if (s.host.empty()) return false;
        try {
            TFDConnection connection(nullptr);
            PrepareForSwitchOn(connection);
            ConfigureDbConnection(connection, Settings(dbtest::Database()));
            CreateDbSchema(connection, Settings(dbtest::Database()));
            ready = true;
        } catch (const Exception& e) {
            ADD_FAILURE() << "creating the test database: " << e.what();
        }
    }
    return ready;
}

using Row = std::map<UnicodeString, std::optional<UnicodeString>>;

// Every row of a query, each column by name (NULL without a value).
inline std::vector<Row> Rows(TFDConnection& connection, const UnicodeString& sql)
{
    TFDQuery query(nullptr);
    query.SetConnection(&connection);
    query.Open(sql);
    std::vector<Row> rows;
    for (; !query.Eof(); query.Next()) {
        Row row;
        for (int i = 0; i < query.Fields()->Count(); ++i) {
            const TField* field = query.Fields()->Fields(i);
            row[field->FieldName()] =
                field->IsNull() ? std::optional<UnicodeString>() : std::optional<UnicodeString>(field->AsString());
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// The one row of rows; a failure of the calling test when there is not exactly one.
inline Row SingleRow(const std::vector<Row>& rows)
{
    EXPECT_EQ(rows.size(), 1u);
    return rows.empty() ? Row{} : rows[0];
}

inline void Exec(TFDConnection& connection, const UnicodeString& sql)
{
    TFDQuery query(nullptr);
    query.SetConnection(&connection);
    query.ExecSQL(sql);
}

// Drops a database of the test server; a failure of the calling test when that fails.
inline void DropDatabase(const UnicodeString& name)
{
    try {
        TFDConnection connection(nullptr);
        dbtest::Configure(connection, L"", dbtest::Server().password);
        connection.Open();
        Exec(connection, L"DROP DATABASE IF EXISTS `" + MySqlEscapeIdentifier(name) + L"`");
    } catch (const Exception& e) {
        ADD_FAILURE() << "dropping " << UnicodeToUtf8(name) << ": " << e.what();
    }
}

// Drops the run's database after the last test, when it was made.
class DropRunDatabase : public ::testing::Environment {
public:
    void TearDown() override { DropDatabase(dbtest::Database()); }
};

inline std::string Utf8(const std::optional<UnicodeString>& text)
{
    return text ? UnicodeToUtf8(*text) : std::string("NULL");
}

// A table's time texts between two moments (one second of slack each side).
inline bool TimeWithin(const std::optional<UnicodeString>& text, TDateTime from, TDateTime to)
{
    if (!text) return false;
    const auto form = [](TDateTime t) {
        unsigned short y, mo, d, h, mi, s, ms;
        DecodeDateTime(t, y, mo, d, h, mi, s, ms);
        wchar_t buffer[32];
        swprintf(buffer, 32, L"%.4d-%.2d-%.2d %.2d:%.2d:%.2d", y, mo, d, h, mi, s);
        return UnicodeString(buffer);
    };
    return *text >= form(from - 1.0 / 86400) && *text <= form(to + 1.0 / 86400);
}

} // namespace dbmode_test
