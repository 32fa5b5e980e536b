// Ends a test executable whose current test hangs, naming the test, long before CTest's limit
// for the whole executable: a hang then costs minutes, not the run, and the log says where.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

// Far above any test's own waits; a test that takes this long is stuck.
constexpr auto kTestLimit = std::chrono::seconds(120);

class Watchdog : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo& info) override
    {
        // The notice is made here: when it is due, the stuck thread may hold the heap or the
        // C runtime's stream locks, so the watchdog then only writes and ends the process.
        std::snprintf(notice_.data(), notice_.size(),
                      "\n[  HUNG    ] %s.%s ran longer than %lld s; the executable ends here\n",
                      info.test_suite_name(), info.name(), static_cast<long long>(kTestLimit.count()));
        started_.store(std::chrono::steady_clock::now().time_since_epoch().count());
        running_.store(true);
        if (!thread_.joinable()) thread_ = std::thread([this] { Watch(); });
    }
    void OnTestEnd(const testing::TestInfo&) override { running_.store(false); }
    void OnTestProgramEnd(const testing::UnitTest&) override
    {
        done_.store(true);
        if (thread_.joinable()) thread_.join();
    }

private:
    void Watch()
    {
        while (!done_.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (!running_.load()) continue;
            const auto started = std::chrono::steady_clock::time_point(
                std::chrono::steady_clock::duration(started_.load()));
            if (std::chrono::steady_clock::now() - started < kTestLimit) continue;
            DWORD written = 0;
            WriteFile(GetStdHandle(STD_ERROR_HANDLE), notice_.data(),
                      static_cast<DWORD>(std::strlen(notice_.data())), &written, nullptr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }

    std::array<char, 512> notice_{};  // written before running_ is set, read after
    std::atomic<std::chrono::steady_clock::rep> started_{0};
    std::atomic<bool> running_{false};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

const bool installed = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
    return true;
}();

} // namespace
