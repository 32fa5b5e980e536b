#pragma once
// Fixtures of the end-to-end contact tests (plain, file mode, database mode): a fake main
// window, the real TCP server running the real worker on 127.0.0.1, and gateway threads that
// talk to it while the test's main thread runs the synchronised calls.
#include "../setup/setup_tests_support.h"
#include "ContactHost.h"
#include "DateUtils.h"
#include "DatenVerarbeitung.h"
#include "Files.h"
#include "FirmwareImage.h"
#include "GatewaySetupFiles.h"
#include "IdTCPServer.h"
#include "PumpUntil.h"
#include "Threads.h"
#include "server_tests_contact_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

namespace contact_test {

using Lines = std::vector<UnicodeString>;
using MasterKeyBytesT = sim::MasterKeyBytes;

inline const sim::MasterKeyBytes kMaster = {0x7C, 0x3A, 0x91, 0xE0, 0x5B, 0x2F, 0x4D, 0x86,
                                            0xA0, 0xC9, 0xE1, 0x37, 0x4B, 0x5D, 0x2F, 0x68};
using test_support::kGw;
inline const sim::DerivationBytes kDeriv = {0x9C, 0x13, 0x57, 0xA4};
inline constexpr std::chrono::milliseconds kWait{10000};
// Gateways connecting at once: at most the server's listen queue (10). Beyond it the host drops
// handshakes and the clients retry seconds later, which a test would read as a hang.
inline constexpr int kSimultaneousGateways = 8;
// Shorter waits than the product's, so that time-outs do not stretch the run.
inline const TContactTiming kTiming{.FrameDeadlineMs = 2000, .AckWaitMs = 20, .AckWaits = 52};

// Runs script as a gateway on a thread of its own while this thread pumps messages, until the
// script has ended and settled() holds (the window's connections are gone); false when that does
// not happen within timeoutMs.
inline bool RunGatewayPumping(int port, const std::function<void(sim::Gateway&)>& script,
                              const std::function<bool()>& settled, int timeoutMs = 10000)
{
    std::atomic<bool> done{false};
    std::thread gateway([&] {
        try {
            sim::Gateway gw(port);
            script(gw);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "gateway: " << e.what();
        }
        done = true;
    });
    const bool finished = PumpUntilSettled([&] { return done.load() && settled(); }, timeoutMs);
    gateway.join();
    return finished;
}

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

inline sim::Telegram TelegramAt(uint8_t second, uint32_t id = 0x12345678)
{
    sim::Telegram t;
    t.Second = second;
    t.DeviceId = id;
    return t;
}

// A gateway script: send frame, then wait for the server to close.
inline std::function<void(sim::Gateway&)> SendAndAwaitClose(const sim::Bytes& frame)
{
    return [frame](sim::Gateway& gw) {
        gw.Send(frame);
        EXPECT_TRUE(gw.WaitClosed(kWait));
    };
}

// A gateway reporting record in a setup frame.
inline sim::Bytes SetupFrame(const GatewaySetupRecord& record, const sim::GatewayIdBytes& id = kGw)
{
    const auto bytes = record.Bytes();
    return sim::GatewayFrame(0x14, id, kDeriv, kMaster, sim::Bytes(bytes.begin(), bytes.end()));
}

// The envelope of a frame from the server to kGw, decrypted with the gateway's own key.
inline sim::Bytes DecryptReply(const sim::Bytes& frame)
{
    if (frame.size() < 3) return {};
    return sim::CbcDecrypt(sim::Derive(kDeriv, kGw, kMaster), sim::Bytes(frame.begin() + 3, frame.end()));
}

// The record in the envelope of a setup frame (after pad count, AA 55).
inline GatewaySetupRecord RecordInEnvelope(const sim::Bytes& plain)
{
    std::array<uint8_t, GatewaySetupRecordSize> bytes{};
    if (plain.size() < 3 + bytes.size()) {
        ADD_FAILURE() << "setup envelope of " << plain.size() << " bytes";
        return {};
    }
    std::copy_n(plain.begin() + 3, bytes.size(), bytes.begin());
    return GatewaySetupRecord::FromBytes(bytes);
}

// The telegram of a record in upper-case hexadecimal, from its 0x68 on.
inline UnicodeString RawHex(const sim::Bytes& record)
{
    UnicodeString hex;
    static const wchar_t digits[] = L"0123456789ABCDEF";
    for (std::size_t i = 6; i < record.size(); ++i) {
        hex += digits[record[i] >> 4];
        hex += digits[record[i] & 0x0F];
    }
    return hex;
}

class FakeHost : public TContactHost {
public:
    std::array<uint8_t, 16> MasterKey() const override { return kMaster; }
    UnicodeString SetupFolder() const override { return Folder; }
    bool DatabaseMode() const override { return Database.load(); }
    int NextTelegramNumber() override { return NextNumber.fetch_add(1); }
    int LiveConnectionCount() override
    {
        if (OnConnectionCount) OnConnectionCount();
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
    void ReportTelegramLogFailure(const UnicodeString& path, int lostLines) override
    {
        CheckMainThread();
        Failures.push_back({path, lostLines});
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
    // The setup store's folder and the mode: set before the server starts or between runs.
    UnicodeString Folder = L"C:\\setups\\";
    std::atomic<bool> Database{false};
    TFirmwareImage FirmwareFile;
    // Main thread: each report of lost CSV log lines, the path and the count.
    std::vector<std::pair<UnicodeString, int>> Failures;
    TIdTCPServer* Server = nullptr;
    // Runs on the connection thread when a contact counts the connections, just before it
    // reads its frame. Set before the gateways run.
    std::function<void()> OnConnectionCount;

protected:
    // Every window call counts when it comes from another thread.
    void CheckMainThread()
    {
        if (GetCurrentThreadId() != MainThreadID) ++offMain_;
    }

private:
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
    GatewaySetupRecord r = test_support::SampleNetworkSetup();
    for (std::size_t i = 0; i < 5; ++i) r.FilterIds[i] = 0x12345670 + static_cast<uint32_t>(i);
    r.FilterManufacturers[0] = {'A', 'B', 'C'};
    r.FilterMedia = {7, 8, 0, 0};
    r.WmbusFlags = WmbusModeT | WmbusIdFilter;
    r.FirmwareVersion = {1, 4, 12};
    return r;
}

// The real TCP server on 127.0.0.1 running the real contact worker for host, with the given
// timing, and gateway threads that talk to it.
class ContactServer {
public:
    ContactServer(FakeHost& host, const TContactTiming& timing) : server_(nullptr)
    {
        TIdSocketHandle* binding = server_.Bindings()->Add();
        binding->SetIP(L"127.0.0.1");
        binding->SetPort(0);
        server_.OnExecute = [&host, &timing](TIdContext* context) { RunGatewayContact(host, context, timing); };
        server_.OnException = [&host](TIdContext*, Exception* e) { host.RecordException(e->Message()); };
        server_.SetActive(true);
        port_ = server_.Bindings()->Items(0)->Port();
        host.Server = &server_;
    }

    // Ends every contact; an error of a queued main-thread call fails the test here.
    void Stop() { server_.SetActive(false); }

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
        // The window changes the contacts queued last.
        CheckSynchronize();
        for (auto& t : threads) t.join();
        runEnd_ = Now();
    }

    int Port() const { return port_; }

    int LiveContexts()
    {
        const int count = server_.Contexts()->LockList()->Count();
        server_.Contexts()->UnlockList();
        return count;
    }

    // Server time at the start and the end of the last run.
    TDateTime RunStart() const { return runStart_; }
    TDateTime RunEnd() const { return runEnd_; }

private:
    TIdTCPServer server_;
    int port_ = 0;
    TDateTime runStart_ = 0;
    TDateTime runEnd_ = 0;
};

// Base of the end-to-end contact fixtures: a host of type Host, a private shared-documents
// folder and the contact server. A fixture's SetUp calls OpenDocuments and StartServer in the
// order it needs; TearDown stops the server before the folder goes.
template <class Host>
class ContactFixture : public ::testing::Test {
protected:
    void OpenDocuments(const std::wstring& prefix) { documents_.emplace(prefix); }
    void StartServer() { server_.emplace(host, timing); }

    void TearDown() override
    {
        if (server_) server_->Stop();
        server_.reset();
        documents_.reset();
    }

    void RunGateways(const std::vector<std::function<void(sim::Gateway&)>>& scripts) { server_->RunGateways(scripts); }
    void RunGateway(const std::function<void(sim::Gateway&)>& script) { RunGateways({script}); }

    // Sends frame and collects whatever the server answers until it closes.
    sim::Bytes Exchange(const sim::Bytes& frame)
    {
        sim::Bytes reply;
        RunGateway([&](sim::Gateway& gw) {
            gw.Send(frame);
            EXPECT_TRUE(gw.WaitClosed(kWait, &reply));
        });
        return reply;
    }

    int LiveContexts() { return server_->LiveContexts(); }
    int Port() const { return server_->Port(); }
    TDateTime RunStart() const { return server_->RunStart(); }
    TDateTime RunEnd() const { return server_->RunEnd(); }

    const std::filesystem::path& Documents() const { return documents_->Path(); }
    std::filesystem::path FirmwareFilePath() const { return documents_->FirmwareFile(); }
    void WriteFirmwareImage(const sim::Bytes& image) const
    {
        const auto path = FirmwareFilePath();
        std::filesystem::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }

    Host host;
    TContactTiming timing = kTiming;

private:
    std::optional<test_support::ScratchDocuments> documents_;
    std::optional<ContactServer> server_;
};

class ContactTest : public ContactFixture<FakeHost> {
protected:
    void SetUp() override
    {
        OpenDocuments(L"contact_test_");
        StartServer();
    }

    void TearDown() override
    {
        ContactFixture::TearDown();
        SetSetupFileStoreTestHooks({});
        EXPECT_EQ(host.OffMainThreadCalls(), 0) << "window calls off the main thread";
    }

    void SetFileStoreHooks(TSetupFileStoreTestHooks hooks) { SetSetupFileStoreTestHooks(std::move(hooks)); }

    // Every text that format gives for a second of the last run.
    std::vector<UnicodeString> TimeTexts(const std::function<UnicodeString(TDateTime)>& format) const
    {
        std::vector<UnicodeString> texts;
        for (TDateTime t = RunStart() - 1.0 / 86400; t <= RunEnd() + 1.0 / 86400; t += 0.5 / 86400)
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
        const sim::Bytes plain = DecryptReply(reply);
        EXPECT_EQ(sim::Bytes(plain.begin(), plain.begin() + 3), (sim::Bytes{1, 0xAA, 0x55}));
        const auto bytes = record.Bytes();
        EXPECT_EQ(sim::Bytes(plain.begin() + 3, plain.begin() + 3 + 1116), sim::Bytes(bytes.begin(), bytes.end()));
        EXPECT_EQ(plain.back(), '/');
    }
};

} // namespace contact_test
