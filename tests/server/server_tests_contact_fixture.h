#pragma once
// Fixture of the contact tests: a fake main window, the real TCP server running the real
// worker on 127.0.0.1, and gateway threads that talk to it while the test's main thread runs
// the synchronised calls.
#include "ContactHost.h"
#include "DateUtils.h"
#include "DatenVerarbeitung.h"
#include "Files.h"
#include "FirmwareImage.h"
#include "GatewaySetupFiles.h"
#include "IdTCPServer.h"
#include "Threads.h"
#include "server_tests_contact_sim.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace contact_test {

using Lines = std::vector<UnicodeString>;
using MasterKeyBytesT = sim::MasterKeyBytes;

inline const sim::MasterKeyBytes kMaster = {0x7C, 0x3A, 0x91, 0xE0, 0x5B, 0x2F, 0x4D, 0x86,
                                            0xA0, 0xC9, 0xE1, 0x37, 0x4B, 0x5D, 0x2F, 0x68};
inline const sim::GatewayIdBytes kGw = {0x0A, 0x1B, 0x2C};
inline const sim::DerivationBytes kDeriv = {0x9C, 0x13, 0x57, 0xA4};
inline constexpr std::chrono::milliseconds kWait{10000};
// Shorter waits than the product's, so that time-outs do not stretch the run.
inline const TContactTiming kTiming{.FrameDeadlineMs = 2000, .AckWaitMs = 20, .AckWaits = 52};

struct StatusRow {
    UnicodeString Id, Address, LastData, Status, Firmware;
    bool operator==(const StatusRow&) const = default;
};

inline std::string ToUtf8(const UnicodeString& text)
{
    return UnicodeToUtf8(text);
}

inline bool StartsWith(const UnicodeString& text, const UnicodeString& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

inline bool EndsWith(const UnicodeString& text, const UnicodeString& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// " %.4d" without the blank.
inline UnicodeString Count4(std::size_t n)
{
    wchar_t text[16];
    swprintf(text, 16, L"%.4d", static_cast<int>(n));
    return text;
}

// Pacing of a simulated gateway (to split a frame over several TCP segments), never a wait for a
// result.
inline void Pause(std::chrono::milliseconds time)
{
    std::this_thread::sleep_for(time);
}

class FakeHost : public TContactHost {
public:
    std::array<uint8_t, 16> MasterKey() const override { return kMaster; }
    UnicodeString SetupFolder() const override { return L"C:\\setups\\"; }
    bool DatabaseMode() const override { return Database.load(); }
    int NextTelegramNumber() override { return NextNumber.fetch_add(1); }
    int LiveConnectionCount() override
    {
        TIdContextThreadList* contexts = Server->Contexts();
        const int count = contexts->LockList()->Count();
        contexts->UnlockList();
        return count;
    }
    TFirmwareImage& Firmware() override { return FirmwareFile; }

    int MemoLineCount(TContactMemo memo) override
    {
        CheckMainThread();
        return static_cast<int>(memos_[memo].size());
    }
    void ClearMemo(TContactMemo memo) override
    {
        CheckMainThread();
        memos_[memo].clear();
    }
    void AppendMemoLine(TContactMemo memo, const UnicodeString& line) override
    {
        CheckMainThread();
        memos_[memo].push_back(line);
    }
    void UpdateGatewayStatusRow(const UnicodeString& gatewayId, const UnicodeString& address,
                                const UnicodeString& lastData, const UnicodeString& status,
                                const UnicodeString& firmware) override
    {
        CheckMainThread();
        rows_.push_back({gatewayId, address, lastData, status, firmware});
    }
    void SetStatusPanelText(int panel, const UnicodeString& text) override
    {
        CheckMainThread();
        panels_[panel] = text;
    }
    void RepaintStatusBar() override
    {
        CheckMainThread();
        ++repaints_;
    }

    // Test side, main thread.
    contact_test::Lines Lines(TContactMemo memo) { return memos_[memo]; }
    std::vector<StatusRow> Rows() const { return rows_; }
    UnicodeString Panel(int panel) { return panels_[panel]; }
    int Repaints() const { return repaints_; }
    void Fill(TContactMemo memo, int count) { memos_[memo].assign(static_cast<std::size_t>(count), L"x"); }
    void RecordException(const UnicodeString& message)
    {
        std::lock_guard<std::mutex> guard(lock_);
        exceptions_.push_back(message);
    }
    contact_test::Lines Exceptions()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return exceptions_;
    }
    void Reset()
    {
        memos_.clear();
        rows_.clear();
        panels_.clear();
        repaints_ = 0;
        NextNumber = 0;
        std::lock_guard<std::mutex> guard(lock_);
        exceptions_.clear();
    }
    int OffMainThreadCalls() const { return offMain_.load(); }

    std::atomic<int> NextNumber{0};
    std::atomic<bool> Database{false};
    TFirmwareImage FirmwareFile;
    TIdTCPServer* Server = nullptr;

private:
    void CheckMainThread()
    {
        if (GetCurrentThreadId() != MainThreadID) ++offMain_;
    }

    std::map<TContactMemo, contact_test::Lines> memos_;
    std::vector<StatusRow> rows_;
    std::map<int, UnicodeString> panels_;
    int repaints_ = 0;
    std::atomic<int> offMain_{0};
    std::mutex lock_;
    contact_test::Lines exceptions_;
};

inline GatewaySetupRecord SampleSetup()
{
    GatewaySetupRecord r;
    r.GatewayId = {kGw[0], kGw[1], kGw[2]};
    r.FixedIp = {192, 168, 1, 10};
    r.GatewayIp = {192, 168, 1, 1};
    r.SubnetMask = {255, 255, 255, 0};
    r.SetServerName("gw.example.net");
    r.NtpIp = {82, 96, 64, 2};
    r.DnsIp = {8, 8, 8, 8};
    r.ServerPort = 5000;
    for (std::size_t i = 0; i < 5; ++i) r.FilterIds[i] = 0x12345670 + static_cast<uint32_t>(i);
    r.FilterManufacturers[0] = {'A', 'B', 'C'};
    r.FilterMedia = {7, 8, 0, 0};
    r.WmbusFlags = WmbusModeT | WmbusIdFilter;
    for (std::size_t i = 0; i < 16; ++i) r.MasterKey[i] = static_cast<uint8_t>(0x30 + i);
    r.FirmwareVersion = {1, 4, 12};
    r.NetworkFlags = NetworkDhcp | NetworkIntervalHourly;
    return r;
}

class ContactTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static std::atomic<int> serial{0};
        documents_ = std::filesystem::path(temp) /
                     (L"contact_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(serial++));
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
        server_->SetActive(false);
        server_.reset();
        SetSetupFileStoreTestHooks({});
        TPath::SetSharedDocumentsPathOverride(std::nullopt);
        std::error_code ignored;
        std::filesystem::remove_all(documents_, ignored);
        EXPECT_EQ(host.OffMainThreadCalls(), 0) << "window calls off the main thread";
    }

    void SetFileStoreHooks(TSetupFileStoreTestHooks hooks) { SetSetupFileStoreTestHooks(std::move(hooks)); }

    // Runs one gateway per script at once, each on its own thread and connection, while this
    // thread runs the synchronised calls, until every script is done and every contact has
    // ended.
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

    void RunGateway(const std::function<void(sim::Gateway&)>& script) { RunGateways({script}); }

    int LiveContexts()
    {
        const int count = server_->Contexts()->LockList()->Count();
        server_->Contexts()->UnlockList();
        return count;
    }

    // Every text that format gives for a second of the last run.
    std::vector<UnicodeString> TimeTexts(const std::function<UnicodeString(TDateTime)>& format) const
    {
        std::vector<UnicodeString> texts;
        for (TDateTime t = runStart_ - 1.0 / 86400; t <= runEnd_ + 1.0 / 86400; t += 0.5 / 86400)
            texts.push_back(format(t));
        return texts;
    }

    bool IsErrorTimeStamp(const UnicodeString& text) const
    {
        const auto texts = TimeTexts([](TDateTime t) { return FormatDateTime(L"dd.mm hh:nn:ss", t); });
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    // The connection line: the local date and time of the frame, then tail.
    void ExpectConnectionLine(const UnicodeString& line, const UnicodeString& tail) const
    {
        const std::size_t at = line.find(L"   IP:");
        ASSERT_NE(at, UnicodeString::npos) << ToUtf8(line);
        EXPECT_EQ(line.substr(at), tail);
        const auto texts = TimeTexts([](TDateTime t) { return DateTimeToStr(t); });
        EXPECT_NE(std::find(texts.begin(), texts.end(), line.substr(0, at)), texts.end()) << ToUtf8(line);
    }

    void ExpectDataErrorLine(const UnicodeString& line) const
    {
        const UnicodeString prefix = L"Data Error IP=127.0.0.1 ";
        ASSERT_TRUE(StartsWith(line, prefix)) << ToUtf8(line);
        EXPECT_TRUE(IsErrorTimeStamp(line.substr(prefix.size()))) << ToUtf8(line);
    }

    // A setup frame from the server carrying record, decrypted with the gateway's own key.
    static void ExpectSetupReply(const sim::Bytes& reply, const GatewaySetupRecord& record)
    {
        ASSERT_EQ(reply.size(), 1123u);
        EXPECT_EQ(sim::Bytes(reply.begin(), reply.begin() + 3), (sim::Bytes{0x04, 0x63, 0x14}));
        const sim::Bytes plain =
            sim::CbcDecrypt(sim::Derive(kDeriv, kGw, kMaster), sim::Bytes(reply.begin() + 3, reply.end()));
        EXPECT_EQ(sim::Bytes(plain.begin(), plain.begin() + 3), (sim::Bytes{1, 0xAA, 0x55}));
        const auto bytes = record.Bytes();
        EXPECT_EQ(sim::Bytes(plain.begin() + 3, plain.begin() + 3 + 1116), sim::Bytes(bytes.begin(), bytes.end()));
        EXPECT_EQ(plain.back(), '/');
    }

    const std::filesystem::path& Documents() const { return documents_; }
    std::filesystem::path FirmwareFilePath() const
    {
        return documents_ / L"VELMORA" / L"W_MBUS_SRV_SOFTWARE" / L"NewSoftwareGW.bin";
    }

    FakeHost host;
    TContactTiming timing = kTiming;

private:
    std::unique_ptr<TIdTCPServer> server_;
    int port_ = 0;
    std::filesystem::path documents_;
    TDateTime runStart_ = 0;
    TDateTime runEnd_ = 0;
};

} // namespace contact_test
