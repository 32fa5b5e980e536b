#pragma once
// The gateway contact in database mode, end to end: the contact fixture with a fake main window
// that has a pool of database connections like the main window's.
#include "server_tests_contact_fixture.h"
#include "server_tests_dbmode_support.h"

#include <mutex>
#include <set>
#include <gtest/gtest.h>

namespace dbmode_test {

using contact_test::Lines;
using contact_test::RawHex;
using sim::Bytes;
using test_support::ReadFile;

class DbHost : public contact_test::FakeHost {
public:
    TFDPooledConnection AcquireDatabaseConnection() override
    {
        ++acquired_;
        return Pool.Acquire();
    }
    void ShowDatabaseError(const UnicodeString& message) override
    {
        if (GetCurrentThreadId() != MainThreadID) ++offMainErrors_;
        errors_.push_back(message);
    }
    // As the main window: the tables made sure of are not asked for again.
    bool RxTableKnown(const AnsiString& gatewayIdText) override
    {
        std::lock_guard<std::mutex> guard(tablesLock_);
        return knownTables_.contains(gatewayIdText);
    }
    void SetRxTableKnown(const AnsiString& gatewayIdText, bool known) override
    {
        std::lock_guard<std::mutex> guard(tablesLock_);
        if (known)
            knownTables_.insert(gatewayIdText);
        else
            knownTables_.erase(gatewayIdText);
    }

    // Main thread.
    std::vector<UnicodeString> DatabaseErrors() const { return errors_; }
    void ResetDatabaseErrors() { errors_.clear(); }
    int Acquired() const { return acquired_.load(); }
    int OffMainThreadErrors() const { return offMainErrors_.load(); }

    TFDConnectionPool Pool;

private:
    std::vector<UnicodeString> errors_;
    std::atomic<int> acquired_{0};
    std::atomic<int> offMainErrors_{0};
    std::mutex tablesLock_;
    std::set<AnsiString> knownTables_;
};

class DbContactTest : public contact_test::ContactFixture<DbHost> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(EnsureRunDatabase());
        dbtest::Configure(main_);
        main_.Open();
        Exec(main_, L"DELETE FROM log");
        Exec(main_, L"DELETE FROM setup_daten");
        for (const Row& table : Rows(main_, L"SELECT TABLE_NAME FROM information_schema.TABLES WHERE "
                                            L"TABLE_SCHEMA=DATABASE() AND TABLE_NAME LIKE 'rx\\_%'"))
            Exec(main_, L"DROP TABLE `" + MySqlEscapeIdentifier(*table.at(L"TABLE_NAME")) + L"`");
        host.Pool.Configure(main_);
        host.Database = true;

        OpenDocuments(L"dbmode_test_");
        StartServer();
    }

    void TearDown() override
    {
        ContactFixture::TearDown();
        host.Pool.Clear();
        EXPECT_EQ(host.OffMainThreadCalls(), 0) << "window calls off the main thread";
        EXPECT_EQ(host.OffMainThreadErrors(), 0) << "database errors shown off the main thread";
        EXPECT_TRUE(host.Exceptions().empty()) << "a contact ended with an error: " << UnicodeToUtf8(host.Exceptions()[0]);
    }

    std::vector<Row> LogRows() { return Rows(main_, L"SELECT * FROM log"); }
    std::vector<Row> TelegramRows(const UnicodeString& gatewayIdText)
    {
        return Rows(main_, L"SELECT * FROM `rx_" + gatewayIdText + L"`");
    }
    std::vector<Row> SetupRows() { return Rows(main_, L"SELECT * FROM setup_daten"); }

    // The gateway's CSV log of today.
    std::filesystem::path CsvLogPath(const sim::GatewayIdBytes& id) const
    {
        unsigned short y, m, d;
        DecodeDate(Now(), y, m, d);
        wchar_t name[64];
        swprintf(name, 64, L"%hu_%hu_%hu_LOG_%.2X_%.2X_%.2X.csv", d, m, y, id[0], id[1], id[2]);
        return Documents() / L"VELMORA" / L"W_MBUS_SRV_LOG" / std::to_wstring(y) / std::to_wstring(m) / name;
    }

    TFDConnection main_{nullptr};
};

} // namespace dbmode_test
