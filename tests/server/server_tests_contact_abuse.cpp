// Bad input and bad peers against the real server in file mode: random, truncated, oversized and
// bit-flipped frames from many connections, silent and dripping peers by the hundred, and a log
// folder that cannot be made. Good gateways among them must be served and stored, nothing from
// a bad frame may be stored, and the process must not grow.
#include "server_tests_filemode_fixture.h"

#include "TelegramStorage.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <atomic>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>

using namespace filemode_test;

namespace {
constexpr int kTelegramsPerFrame = 10;
// Good gateways: every CSV file of a run must belong to one of these.
const sim::GatewayIdBytes kGoodGateways[] = {{0x4D, 0x00, 0x01}, {0x4D, 0x00, 0x02}, {0x4D, 0x00, 0x03}};

Bytes GoodFrame(int n)
{
    return DistinctTelegramFrame(kGoodGateways[n % std::size(kGoodGateways)], 0x30000000u, n, kTelegramsPerFrame);
}

// A frame of a gateway that is not among the good ones, so that anything stored from a bad
// frame shows as a file of its own.
Bytes FrameOfOtherGateway(int n)
{
    std::vector<Bytes> records;
    for (int t = 0; t < kTelegramsPerFrame; ++t) records.push_back(sim::Record(TelegramAt(static_cast<uint8_t>(t))));
    const sim::GatewayIdBytes id = {0x6E, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
    return sim::GatewayFrame(0x19, id, kDeriv, kMaster, sim::WmbusPayload(kTelegramsPerFrame, records));
}

enum class Abuse { Random, Truncated, Oversized, BitFlipped, Count };

// One bad contact of the given kind; the connection may be cut by the server at any time.
void SendAbuse(int port, Abuse kind, std::mt19937& random)
{
    sim::Gateway gateway(port);
    Bytes bytes;
    switch (kind) {
    case Abuse::Random: {
        bytes.resize(std::uniform_int_distribution<std::size_t>(1, 3000)(random));
        for (auto& b : bytes) b = static_cast<uint8_t>(random());
        break;
    }
    case Abuse::Truncated: {
        const Bytes frame = FrameOfOtherGateway(static_cast<int>(random() % 1000));
        bytes.assign(frame.begin(), frame.begin() + std::uniform_int_distribution<std::ptrdiff_t>(
                                                        1, static_cast<std::ptrdiff_t>(frame.size()) - 1)(random));
        break;
    }
    case Abuse::Oversized: {
        // A length field beyond any frame the server takes, and as many bytes as it announces.
        bytes = FrameOfOtherGateway(static_cast<int>(random() % 1000));
        bytes.resize(0xFFFF, 0x5A);
        bytes[0] = 0xFF;
        bytes[1] = 0xFF;
        break;
    }
    case Abuse::BitFlipped: {
        // A flip in the type, the gateway ID or the first cipher block: the frame no longer
        // decrypts to a valid envelope. (The frame carries no checksum: a flip further on changes
        // telegram bytes the server cannot tell from real ones, and the key derivation leaves
        // the derivation value's top bits unused, so a flip there leaves a valid frame.)
        bytes = FrameOfOtherGateway(static_cast<int>(random() % 1000));
        std::size_t at = std::uniform_int_distribution<std::size_t>(2, 21)(random);
        if (at >= 6) at += 4; // past the derivation value
        bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8));
        break;
    }
    case Abuse::Count:
        break;
    }
    try {
        gateway.Send(bytes);
        gateway.ShutdownSend();
        gateway.WaitClosed(kWait);
    } catch (const std::exception&) {
        // The server closed while the bytes were still going out.
    }
}

struct ProcessUse {
    uintptr_t freeHandle = 0;
    SIZE_T privateBytes = 0;
};

// GetProcessHandleCount answers 0 under Wine; a new handle takes the lowest free slot instead,
// so a handle left open per contact pushes it up.
ProcessUse MeasureProcess()
{
    ProcessUse use;
    const HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    use.freeHandle = reinterpret_cast<uintptr_t>(probe);
    if (probe) CloseHandle(probe);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof(counters)))
        use.privateBytes = counters.PrivateUsage;
    return use;
}

// Every CSV telegram log under the documents folder, by file name, with its lines.
std::map<std::wstring, std::vector<std::string>> CsvLogs(const std::filesystem::path& documents)
{
    std::map<std::wstring, std::vector<std::string>> logs;
    const auto root = documents / L"VELMORA" / L"W_MBUS_SRV_LOG";
    if (!std::filesystem::exists(root)) return logs;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::istringstream text(ReadFile(entry.path()));
        auto& lines = logs[entry.path().filename().wstring()];
        for (std::string line; std::getline(text, line);) lines.push_back(line);
    }
    return logs;
}

std::wstring LogFileName(const sim::GatewayIdBytes& id)
{
    return std::filesystem::path(MakeTelegramLogPath(id)).filename().wstring();
}

class AbuseTest : public FileModeTest {
protected:
    // Runs job(i) for i in [0, count) on `parallel` threads while this thread runs the
    // synchronised calls, until every job is done and (unless told otherwise) every contact has
    // ended.
    void RunJobs(int count, int parallel, const std::function<void(int)>& job, bool awaitContacts = true)
    {
        std::atomic<int> next{0}, done{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < parallel; ++t) {
            threads.emplace_back([&] {
                for (int i = next++; i < count; i = next++) {
                    job(i);
                    ++done;
                }
            });
        }
        const auto finished = [&] { return done.load() == count && (!awaitContacts || LiveContexts() == 0); };
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (std::chrono::steady_clock::now() < deadline && !finished()) CheckSynchronize(10);
        EXPECT_TRUE(finished()) << done.load() << " of " << count << " jobs done, " << LiveContexts()
                                << " contacts still running";
        for (auto& t : threads) t.join();
        CheckSynchronize();
    }
};

// The slow peers are ended by closing them, so that they all stand together however long
// opening them takes on a busy machine; the frame deadline only has to outlast the test.
class SlowPeerTest : public AbuseTest {
protected:
    void SetUp() override
    {
        timing.FrameDeadlineMs = 300000;
        AbuseTest::SetUp();
    }
};
} // namespace

TEST_F(AbuseTest, BadFramesFromManyConnectionsStoreNothingWhileGoodGatewaysAreServedAndTheProcessStaysFlat)
{
    constexpr int kRounds = 4;
    constexpr int kJobsPerRound = 480; // every eighth a good gateway, the others bad of every kind
    constexpr int kGoodPerRound = kJobsPerRound / 8;
    constexpr int kGood = kRounds * kGoodPerRound;
    std::atomic<int> goodServed{0}, goodFailed{0};
    ProcessUse afterWarmUp;
    for (int round = 0; round < kRounds; ++round) {
        RunJobs(kJobsPerRound, kSimultaneousGateways, [&](int i) {
            if (i % 8 == 0) {
                try {
                    sim::Gateway gateway(Port());
                    gateway.Send(GoodFrame(round * kGoodPerRound + i / 8));
                    ++(gateway.WaitClosed(kWait) ? goodServed : goodFailed);
                } catch (const std::exception&) {
                    ++goodFailed;
                }
                return;
            }
            std::mt19937 random(static_cast<unsigned>(round * 100003 + i));
            SendAbuse(Port(), static_cast<Abuse>(i % static_cast<int>(Abuse::Count)), random);
        });
        // The first round fills the pools and caches that stay; later rounds must not grow.
        if (round == 0) afterWarmUp = MeasureProcess();
    }
    const ProcessUse atEnd = MeasureProcess();

    EXPECT_EQ(goodFailed.load(), 0);
    EXPECT_EQ(goodServed.load(), kGood);
    ASSERT_NE(afterWarmUp.freeHandle, 0u);
    // A handle or a buffer per contact would be thousands of handles or megabytes here.
    EXPECT_LE(atEnd.freeHandle, afterWarmUp.freeHandle + 50u * 4)
        << "first free handle after the first round " << afterWarmUp.freeHandle << ", at the end "
        << atEnd.freeHandle;
    EXPECT_LE(atEnd.privateBytes, afterWarmUp.privateBytes + 24u * 1024 * 1024)
        << "private bytes after the first round " << afterWarmUp.privateBytes << ", at the end " << atEnd.privateBytes;

    // Only the good gateways' files, each good telegram once, nothing else.
    const auto logs = CsvLogs(Documents());
    std::set<std::wstring> expectedFiles;
    for (const auto& id : kGoodGateways) expectedFiles.insert(LogFileName(id));
    std::set<std::wstring> files;
    std::set<std::string> distinct;
    std::size_t lines = 0;
    for (const auto& [name, fileLines] : logs) {
        files.insert(name);
        lines += fileLines.size();
        distinct.insert(fileLines.begin(), fileLines.end());
    }
    EXPECT_EQ(files, expectedFiles);
    EXPECT_EQ(lines, static_cast<std::size_t>(kGood * kTelegramsPerFrame));
    EXPECT_EQ(distinct.size(), lines) << "telegram lines written twice";
}

// Hundreds of peers that hold a connection without completing a frame: silent ones, ones that
// send a byte a second, ones that stop in the middle of a frame. Good gateways that report
// meanwhile are served at once; each bad peer ends with its time-out and stores nothing.
TEST_F(SlowPeerTest, SilentSlowAndStalledPeersByTheHundredDoNotHoldUpGoodGateways)
{
    // 200 rather than a thousand: each holds a thread in the test process too, every contact
    // thread wakes four times a second to look at its stop flag, and the run must stay short under
    // Wine on a busy machine. The load tool holds a thousand by hand.
    constexpr int kSlowPeers = 200;
    constexpr int kGood = 40;

    std::vector<std::unique_ptr<sim::Gateway>> peers(kSlowPeers);
    const Bytes stalled = FrameOfOtherGateway(7);
    const auto opening = std::chrono::steady_clock::now();
    RunJobs(
        kSlowPeers, kSimultaneousGateways,
        [&](int i) {
            peers[static_cast<std::size_t>(i)] = std::make_unique<sim::Gateway>(Port());
            if (i % 3 == 2) peers[static_cast<std::size_t>(i)]->Send(Bytes(stalled.begin(), stalled.begin() + 40));
        },
        false);
    // Every peer's contact stands before the good gateways come: a connect returns once the
    // kernel has the connection, the server may not have taken the last ones from its queue yet.
    const auto allOpen = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < allOpen && LiveContexts() < kSlowPeers) CheckSynchronize(10);
    const double openingSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - opening).count();
    // A byte a second to every third peer while the good gateways report.
    std::atomic<bool> dripping{true};
    std::thread drip([&] {
        for (std::size_t sent = 0; dripping.load() && sent < stalled.size(); ++sent) {
            for (int i = 1; i < kSlowPeers; i += 3) {
                try {
                    peers[static_cast<std::size_t>(i)]->Send({stalled[sent]});
                } catch (const std::exception&) {
                    // Closed by the server after its time-out.
                }
            }
            Pause(std::chrono::seconds(1));
        }
    });
    const int openBefore = LiveContexts();

    std::atomic<int> goodFailed{0};
    RunJobs(
        kGood, kSimultaneousGateways,
        [&](int i) {
            try {
                sim::Gateway gateway(Port());
                gateway.Send(GoodFrame(i));
                if (!gateway.WaitClosed(kWait)) ++goodFailed;
            } catch (const std::exception&) {
                ++goodFailed;
            }
        },
        false);
    EXPECT_EQ(goodFailed.load(), 0);
    EXPECT_EQ(openBefore, kSlowPeers) << "opening the peers took " << openingSeconds << " s";
    dripping = false;
    drip.join();

    // Every slow peer's contact ends when the peer goes.
    peers.clear();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (std::chrono::steady_clock::now() < deadline && LiveContexts() > 0) CheckSynchronize(10);
    ASSERT_EQ(LiveContexts(), 0);
    CheckSynchronize();

    const auto logs = CsvLogs(Documents());
    std::size_t lines = 0;
    for (const auto& [name, fileLines] : logs) {
        EXPECT_NE(name.find(L"_4D_00_0"), std::wstring::npos) << "stored from a bad peer";
        lines += fileLines.size();
    }
    EXPECT_EQ(lines, static_cast<std::size_t>(kGood * kTelegramsPerFrame));
}

// A file where the CSV log folder should be: the month folder cannot be made. The contact ends
// with that error (the window shows it as an exception line), and the server goes on serving.
TEST_F(AbuseTest, ALogFolderThatCannotBeMadeEndsEachContactWithItsErrorAndServingGoesOn)
{
    const auto logRoot = Documents() / L"VELMORA" / L"W_MBUS_SRV_LOG";
    std::filesystem::create_directories(logRoot.parent_path());
    std::ofstream(logRoot) << "not a folder";

    constexpr int kContacts = 24;
    std::atomic<int> served{0};
    RunJobs(kContacts, kSimultaneousGateways, [&](int i) {
        sim::Gateway gateway(Port());
        gateway.Send(GoodFrame(i));
        if (gateway.WaitClosed(kWait)) ++served;
    });
    EXPECT_EQ(served.load(), kContacts);
    const Lines errors = host.Exceptions();
    ASSERT_EQ(errors.size(), static_cast<std::size_t>(kContacts));
    for (const UnicodeString& error : errors)
        EXPECT_TRUE(EndsWith(error, L"\\VELMORA\\W_MBUS_SRV_LOG\\2022\\6\\")) << ToUtf8(error);
    EXPECT_TRUE(std::filesystem::is_regular_file(logRoot));

    // Once the folder can be made, the next report is stored.
    host.Reset();
    std::filesystem::remove(logRoot);
    EXPECT_TRUE(Exchange(GoodFrame(kContacts)).empty());
    const auto logs = CsvLogs(Documents());
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs.begin()->second.size(), static_cast<std::size_t>(kTelegramsPerFrame));
}
