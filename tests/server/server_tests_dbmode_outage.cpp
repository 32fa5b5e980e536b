// Database mode through a database outage: a MariaDB of the test's own (never the shared test
// server, which other test executables use at the same time) is stopped while gateways keep
// reporting and started again. The server must keep serving, lose no telegram (what cannot be
// inserted goes to the CSV log with a "DB Error IP=" line) and resume database work by itself.
#include "server_tests_dbmode_fixture.h"
#include "server_tests_own_mariadb.h"

#include "TelegramStorage.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using namespace dbmode_test;

namespace {
const sim::GatewayIdBytes kOutageGw = {0x4E, 0x00, 0x01};
constexpr int kTelegramsPerFrame = 10;

std::vector<Bytes> Records(int contact)
{
    std::vector<Bytes> records;
    for (int t = 0; t < kTelegramsPerFrame; ++t)
        records.push_back(sim::Record(
            contact_test::TelegramAt(static_cast<uint8_t>(t), 0x40000000u + static_cast<uint32_t>(contact * 16 + t))));
    return records;
}

Bytes Frame(int contact)
{
    return sim::GatewayFrame(0x19, kOutageGw, contact_test::kDeriv, contact_test::kMaster,
                             sim::WmbusPayload(kTelegramsPerFrame, Records(contact)));
}

class DbOutageTest : public contact_test::ContactFixture<DbHost> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(database_.Start("outage"));

        main_.SetLoginPrompt(false);
        main_.Params()->SetValues(L"Port", database_.Port());
        const TDbSettings settings{L"127.0.0.1", L"marlindo_outage", L"root", L"4kq9rwzt"};
        ConfigureDbConnection(main_, settings);
        CreateDbSchema(main_, settings);
        host.Pool.Configure(main_);
        host.Database = true;
        OpenDocuments(L"dboutage_test_");
        StartServer();
    }

    void TearDown() override
    {
        ContactFixture::TearDown();
        host.Pool.Clear();
        main_.Close();
        EXPECT_EQ(host.OffMainThreadCalls(), 0) << "window calls off the main thread";
        EXPECT_TRUE(host.Exceptions().empty()) << "a contact ended with an error: " << UnicodeToUtf8(host.Exceptions()[0]);
    }

    // The raw telegram texts stored in the gateway's table, and those in its CSV log.
    std::multiset<std::string> StoredInDatabase()
    {
        main_.Close();
        main_.Open();
        std::multiset<std::string> raw;
        for (const Row& row : Rows(main_, L"SELECT RAW_Daten FROM `rx_4E.00.01`")) raw.insert(Utf8(row.at(L"RAW_Daten")));
        return raw;
    }
    std::multiset<std::string> StoredInCsvLog()
    {
        std::multiset<std::string> raw;
        const std::filesystem::path path(MakeTelegramLogPath(kOutageGw));
        if (!std::filesystem::exists(path)) return raw;
        std::istringstream log(ReadFile(path));
        for (std::string line; std::getline(log, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            raw.insert(line.substr(line.find(';') + 1));
        }
        return raw;
    }

    // Declared first, so it is stopped after the connection below has gone.
    own_mariadb::Server database_;
    TFDConnection main_{nullptr};
};
} // namespace

TEST_F(DbOutageTest, TheDatabaseStoppedDuringTrafficLosesNoTelegramAndWorkResumesWhenItIsBack)
{
    constexpr int kPerPhase = 40;
    std::atomic<int> next{0}, served{0}, failed{0};
    std::atomic<bool> traffic{true};
    std::vector<std::thread> gateways;
    // A failed assertion returns early: the gateways still end and are joined.
    struct StopTraffic {
        std::atomic<bool>& traffic;
        std::vector<std::thread>& gateways;
        ~StopTraffic()
        {
            traffic = false;
            for (auto& t : gateways)
                if (t.joinable()) t.join();
        }
    } stopTraffic{traffic, gateways};
    for (int g = 0; g < 4; ++g) {
        gateways.emplace_back([&] {
            while (traffic.load()) {
                const int n = next++;
                try {
                    sim::Gateway gateway(Port());
                    gateway.Send(Frame(n));
                    ++(gateway.WaitClosed(contact_test::kWait) ? served : failed);
                } catch (const std::exception&) {
                    ++failed;
                }
            }
        });
    }
    const auto pumpUntilServed = [&](int count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (std::chrono::steady_clock::now() < deadline && served.load() + failed.load() < count)
            CheckSynchronize(10);
        EXPECT_GE(served.load() + failed.load(), count) << "gateways not served in time";
    };
    pumpUntilServed(kPerPhase);
    ASSERT_TRUE(database_.Stop());
    pumpUntilServed(served.load() + kPerPhase);
    ASSERT_TRUE(database_.Resume());
    pumpUntilServed(served.load() + kPerPhase);
    traffic = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline && LiveContexts() > 0) CheckSynchronize(10);
    for (auto& t : gateways) t.join();
    CheckSynchronize();
    EXPECT_EQ(failed.load(), 0);
    const int sent = next.load();
    EXPECT_EQ(served.load(), sent);

    // The outage was seen and reported.
    const Lines memo = host.Lines(TContactMemo::Time);
    EXPECT_TRUE(std::any_of(memo.begin(), memo.end(), [](const UnicodeString& line) {
        return contact_test::StartsWith(line, L"DB Error IP=127.0.0.1 ");
    }));
    const std::multiset<std::string> csvBefore = StoredInCsvLog();
    EXPECT_FALSE(csvBefore.empty()) << "no telegram went to the CSV log during the outage";

    // A setup lookup that meets the stopped server passes the error on and ends its contact
    // after the telegrams are stored (the window shows an exception line): allowed during the
    // outage, not after it.
    host.Reset();

    // Back in the database without anyone's help.
    const int resumed = sent;
    for (int n = resumed; n < resumed + 5; ++n) EXPECT_TRUE(Exchange(Frame(n)).empty());
    EXPECT_EQ(StoredInCsvLog(), csvBefore) << "the database is back, yet telegrams still go to the CSV log";

    // Every telegram in one of the two stores.
    const std::multiset<std::string> inDatabase = StoredInDatabase();
    for (int n = 0; n < resumed + 5; ++n) {
        for (const Bytes& record : Records(n)) {
            const std::string raw = UnicodeToUtf8(contact_test::RawHex(record));
            const bool stored = inDatabase.count(raw) > 0 || csvBefore.count(raw) > 0;
            EXPECT_TRUE(stored) << "contact " << n << " lost telegram " << raw;
            if (n >= resumed) {
                EXPECT_EQ(inDatabase.count(raw), 1u) << "not stored after the database came back";
            }
        }
    }
}
