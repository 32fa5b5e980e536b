// Ends a test executable whose current test hangs, naming the test, long before CTest's limit
// for the whole executable: a hang then costs minutes, not the run, and the log says where.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// Far above any test's own waits; a test that takes this long is stuck.
constexpr auto kTestLimit = std::chrono::seconds(120);

class Watchdog : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo& info) override
    {
        name_ = std::string(info.test_suite_name()) + "." + info.name();
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
            std::fprintf(stderr, "\n[  HUNG    ] %s ran longer than %lld s; the executable ends here\n",
                         name_.c_str(), static_cast<long long>(kTestLimit.count()));
            std::fflush(stderr);
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }

    std::string name_;  // written before running_ is set, read after
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
