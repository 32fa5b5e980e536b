#pragma once
// The gateway contact in database mode, end to end: the real worker behind the real TCP server,
// the fake main window of the contact tests with a pool of database connections like the main
// window's, and the gateway simulator.
#include "server_tests_contact_fixture.h"
#include "server_tests_dbmode_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace dbmode_test {

using contact_test::Lines;
using sim::Bytes;

class DbHost : public contact_test::FakeHost {
public:
    TFDPooledConnection AcquireDatabaseConnection() override
    {
        ++acquired_;
        return Pool.Acquire();
    }
    void ShowDatabaseError(const UnicodeString& message) override
    {
        if (GetCurrentThreadId() != MainThreadID) ++offMain_;
        errors_.push_back(message);
    }

    // Main thread.
    std::vector<UnicodeString> DatabaseErrors() const { return errors_; }
    void ResetDatabaseErrors() { errors_.clear(); }
    int Acquired() const { return acquired_.load(); }
    int OffMainThreadErrors() const { return offMain_.load(); }

    TFDConnectionPool Pool;

private:
    std::vector<UnicodeString> errors_;
    std::atomic<int> acquired_{0};
    std::atomic<int> offMain_{0};
};

class DbContactTest : public ::testing::Test {
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

        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static std::atomic<int> serial{0};
        documents_ = std::filesystem::path(temp) /
                     (L"dbmode_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(serial++));
        std::filesystem::create_directories(documents_);
        TPath::SetSharedDocumentsPathOverride(documents_.wstring());

        server_ = std::make_unique<TIdTCPServer>(nullptr);
        TIdSocketHandle* binding = server_->Bindings()->Add();
        binding->SetIP(L"127.0.0.1");
        binding->SetPort(0);
        server_->OnExecute = [this](TIdContext* context) { RunGatewayContact(host, context, timing); };
        server_->OnException = [this](TIdContext*, Exception* e) { host.RecordException(e->Message()); };
        server_->SetActive(true);
        port_ = server_->Bindings()->Items(0)->Port();
        host.Server = server_.get();
    }

    void TearDown() override
    {
        if (server_) server_->SetActive(false);
        server_.reset();
        host.Pool.Clear();
        TPath::SetSharedDocumentsPathOverride(std::nullopt);
        std::error_code ignored;
        std::filesystem::remove_all(documents_, ignored);
        EXPECT_EQ(host.OffMainThreadCalls(), 0) << "window calls off the main thread";
        EXPECT_EQ(host.OffMainThreadErrors(), 0) << "database errors shown off the main thread";
        EXPECT_TRUE(host.Exceptions().empty()) << "a contact ended with an error: " << UnicodeToUtf8(host.Exceptions()[0]);
    }

    // One gateway per script at once, each on its own thread and connection, while this thread
    // runs the synchronised calls, until every script is done and every contact has ended.
    void RunGateways(const std::vector<std::function<void(sim::Gateway&)>>& scripts)
    {
        runStart_ = Now();
        std::atomic<int> done{0};
        std::vector<std::thread> threads;
        for (const auto& script : scripts) {
            threads.emplace_back([&, script] {
                try {
                    sim::Gateway gateway(port_);
                    script(gateway);
                } catch (const std::exception& e) {
                    ADD_FAILURE() << "gateway: " << e.what();
                }
                ++done;
            });
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        bool finished = false;
        while (std::chrono::steady_clock::now() < deadline) {
            CheckSynchronize(10);
            if (done.load() == static_cast<int>(scripts.size()) && LiveContexts() == 0) {
                finished = true;
                break;
            }
        }
        EXPECT_TRUE(finished) << "gateways or contacts did not end in time";
        for (auto& t : threads) t.join();
        runEnd_ = Now();
    }

    // Sends frame and collects whatever the server answers until it closes.
    Bytes Exchange(const Bytes& frame)
    {
        Bytes reply;
        RunGateways({[&](sim::Gateway& gw) {
            gw.Send(frame);
            EXPECT_TRUE(gw.WaitClosed(contact_test::kWait, &reply));
        }});
        return reply;
    }

    int LiveContexts()
    {
        const int count = server_->Contexts()->LockList()->Count();
        server_->Contexts()->UnlockList();
        return count;
    }

    TDateTime RunStart() const { return runStart_; }
    TDateTime RunEnd() const { return runEnd_; }

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
        return documents_ / L"VELMORA" / L"W_MBUS_SRV_LOG" / std::to_wstring(y) / std::to_wstring(m) / name;
    }
    static std::string ReadFile(const std::filesystem::path& path)
    {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    const std::filesystem::path& Documents() const { return documents_; }

    DbHost host;
    TContactTiming timing = contact_test::kTiming;
    TFDConnection main_{nullptr};

private:
    std::unique_ptr<TIdTCPServer> server_;
    int port_ = 0;
    std::filesystem::path documents_;
    TDateTime runStart_ = 0;
    TDateTime runEnd_ = 0;
};

// The telegram of a record in upper-case hexadecimal, from its 0x68 on.
inline UnicodeString RawHex(const Bytes& record)
{
    UnicodeString hex;
    static const wchar_t digits[] = L"0123456789ABCDEF";
    for (std::size_t i = 6; i < record.size(); ++i) {
        hex += digits[record[i] >> 4];
        hex += digits[record[i] & 0x0F];
    }
    return hex;
}

} // namespace dbmode_test
