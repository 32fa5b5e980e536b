// Many contacts against the real server in file mode, as gateways report: each a new connection
// with one frame of ten telegrams, closed after the reply, several at once. Every contact must
// be served, every telegram line written once, and the server must still accept afterwards.
#include "server_tests_filemode_fixture.h"

#include "TelegramStorage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <sstream>
#include <string>
#include <thread>

using namespace filemode_test;

namespace {
constexpr int kContacts = 2000;
constexpr int kTelegramsPerFrame = 10;
const sim::GatewayIdBytes kLoadGateways[] = {{0x4C, 0x00, 0x01}, {0x4C, 0x00, 0x02}, {0x4C, 0x00, 0x03},
                                             {0x4C, 0x00, 0x04}, {0x4C, 0x00, 0x05}};

Bytes LoadFrame(int contact)
{
    return DistinctTelegramFrame(kLoadGateways[contact % std::size(kLoadGateways)], 0x20000000u, contact,
                                 kTelegramsPerFrame);
}
} // namespace

TEST_F(FileModeTest, ThousandsOfConcurrentContactsAreAllServedAndEveryTelegramLineIsWrittenOnce)
{
    std::atomic<int> next{0}, done{0}, failed{0};
    std::vector<std::thread> gateways;
    for (int g = 0; g < kSimultaneousGateways; ++g) {
        gateways.emplace_back([&] {
            // The first unserved contact ends the run: behind it the server may not be serving.
            for (int i = next++; i < kContacts && failed.load() == 0; i = next++) {
                try {
                    sim::Gateway gateway(Port());
                    gateway.Send(LoadFrame(i));
                    if (!gateway.WaitClosed(kWait)) ++failed;
                } catch (const std::exception&) {
                    ++failed;
                }
                ++done;
            }
        });
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    const auto finished = [&] { return (done.load() == kContacts || failed.load() > 0) && LiveContexts() == 0; };
    while (std::chrono::steady_clock::now() < deadline && !finished()) CheckSynchronize(10);
    EXPECT_TRUE(finished()) << "contacts still running";
    for (auto& t : gateways) t.join();
    CheckSynchronize();
    ASSERT_EQ(failed.load(), 0) << "a contact was not served after " << done.load() << " contacts";
    ASSERT_EQ(done.load(), kContacts);

    std::size_t lines = 0;
    std::set<std::string> distinct;
    for (const auto& gateway : kLoadGateways) {
        std::istringstream log(ReadFile(std::filesystem::path(MakeTelegramLogPath(gateway))));
        for (std::string line; std::getline(log, line);) {
            ++lines;
            distinct.insert(line);
        }
    }
    EXPECT_EQ(lines, static_cast<std::size_t>(kContacts * kTelegramsPerFrame));
    EXPECT_EQ(distinct.size(), lines) << "telegram lines written twice";
    EXPECT_EQ(host.Lines(TContactMemo::Time), Lines{});

    // Still accepting.
    EXPECT_TRUE(Exchange(LoadFrame(kContacts)).empty());
    std::istringstream log(ReadFile(std::filesystem::path(MakeTelegramLogPath(kLoadGateways[0]))));
    std::size_t after = 0;
    for (std::string line; std::getline(log, line);) ++after;
    EXPECT_EQ(after, lines / std::size(kLoadGateways) + kTelegramsPerFrame);
}
