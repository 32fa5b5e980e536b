#include "Exceptions.h"
#include "Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A thread whose body is given by the test.
class TTestThread : public TThread {
public:
    using Body = std::function<void(TTestThread&)>;
    TTestThread(bool createSuspended, Body body) : TThread(createSuspended), body_(std::move(body))
    {
        AfterConstruction();
    }
    ~TTestThread() override
    {
        if (destroyed) destroyed->SetEvent();
    }

    using TThread::Queue;
    using TThread::SetReturnValue;
    using TThread::Synchronize;
    using TThread::Terminated;

    TEvent* destroyed = nullptr;
    std::atomic<int> terminatedSetCalls{0};

protected:
    void Execute() override { body_(*this); }
    void TerminatedSet() override { ++terminatedSetCalls; }

private:
    Body body_;
};

// Runs the main thread's queue until done() holds; false when the deadline passed first.
template <class Pred>
bool PumpUntil(Pred done, ULONGLONG timeoutMs = 10000)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() > deadline) return false;
        CheckSynchronize(10);
    }
    return true;
}

} // namespace

TEST(Thread, SynchronizeRunsOnTheMainThreadAndBlocksTheCaller)
{
    ASSERT_EQ(GetCurrentThreadId(), MainThreadID);
    std::atomic<int> wakes{0};
    WakeMainThread = [&] { ++wakes; };

    // From a TThread and, with a null thread, from a thread the runtime did not create.
    for (bool fromTThread : {true, false}) {
        SCOPED_TRACE(fromTThread ? "TThread" : "plain thread");
        std::vector<DWORD> ranOn;
        int counter = 0;
        std::vector<bool> blocked;
        std::atomic<bool> done{false};
        auto work = [&](TThread* thread) {
            for (int i = 0; i < 5; ++i) {
                const int before = counter;
                TThread::Synchronize(thread, [&] {
                    ranOn.push_back(GetCurrentThreadId());
                    ++counter;
                });
                blocked.push_back(counter == before + 1);
            }
            done = true;
        };
        wakes = 0;
        std::unique_ptr<TTestThread> thread;
        std::thread plain;
        if (fromTThread) thread = std::make_unique<TTestThread>(false, [&](TTestThread& t) { work(&t); });
        else plain = std::thread([&] { work(nullptr); });

        EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
        if (plain.joinable()) plain.join();
        if (thread) thread->WaitFor();
        EXPECT_EQ(ranOn, std::vector<DWORD>(5, MainThreadID));
        EXPECT_EQ(blocked, std::vector<bool>(5, true));
        EXPECT_GE(wakes.load(), 5);
    }
    WakeMainThread = nullptr;
}

TEST(Thread, ExceptionOfASynchronizedCallIsRaisedInTheCaller)
{
    UnicodeString caught;
    TTestThread thread(false, [&](TTestThread& t) {
        try {
            t.Synchronize([] { throw EConvertError(L"'x' is not a valid integer value"); });
        } catch (const EConvertError& e) {
            caught = e.ClassName() + L": " + e.Message();
        }
    });
    EXPECT_TRUE(PumpUntil([&] { return thread.Finished(); }));
    EXPECT_EQ(caught, L"EConvertError: 'x' is not a valid integer value");

    // On the main thread the call runs at once and its exception leaves directly.
    int ran = 0;
    TThread::Synchronize(nullptr, [&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_THROW(TThread::Synchronize(nullptr, [] { throw EAbort(L""); }), EAbort);
}

TEST(Thread, ManyWaitingCallersEachGetTheirOwnCallsOutcome)
{
    // Callers queue up while the main thread is busy; each must return with its own call run,
    // its own value or exception, and none before its call has run.
    constexpr int kCallers = 12;
    std::atomic<int> entered{0}, returned{0};
    std::vector<int> seen(kCallers, -1);
    std::vector<UnicodeString> caught(kCallers);
    std::vector<std::thread> callers;
    for (int i = 0; i < kCallers; ++i) {
        callers.emplace_back([&, i] {
            int value = -1;
            ++entered;
            try {
                TThread::Synchronize(nullptr, [&value, i] {
                    if (i % 3 == 2) throw EConvertError(L"call " + std::to_wstring(i));
                    value = i * 10;
                });
            } catch (const EConvertError& e) {
                caught[i] = e.Message();
            }
            seen[i] = value;
            ++returned;
        });
    }
    while (entered.load() < kCallers) std::this_thread::yield();
    EXPECT_TRUE(PumpUntil([&] { return returned.load() == kCallers; }));
    for (auto& caller : callers) caller.join();
    for (int i = 0; i < kCallers; ++i) {
        SCOPED_TRACE(i);
        if (i % 3 == 2) {
            EXPECT_EQ(seen[i], -1);
            EXPECT_EQ(caught[i], L"call " + std::to_wstring(i));
        } else {
            EXPECT_EQ(seen[i], i * 10);
            EXPECT_TRUE(caught[i].empty());
        }
    }
}

TEST(Thread, WaitForOnTheMainThreadServicesSynchronizeAndOnTerminate)
{
    DWORD syncRanOn = 0, terminateRanOn = 0;
    TObject* sender = nullptr;
    TTestThread thread(true, [&](TTestThread& t) {
        t.Synchronize([&] { syncRanOn = GetCurrentThreadId(); });
        t.SetReturnValue(7);
    });
    thread.OnTerminate = [&](TObject* s) {
        terminateRanOn = GetCurrentThreadId();
        sender = s;
    };
    thread.Start();
    EXPECT_EQ(thread.WaitFor(), 7u); // would deadlock if the wait did not run the calls
    EXPECT_EQ(thread.ReturnValue(), 7);
    EXPECT_TRUE(thread.Finished());
    EXPECT_EQ(syncRanOn, MainThreadID);
    EXPECT_EQ(terminateRanOn, MainThreadID);
    EXPECT_EQ(sender, &thread);
}

TEST(Thread, FreeOnTerminateDeletesTheObjectAfterExecute)
{
    TEvent destroyed;
    std::atomic<bool> executed{false};
    auto* thread = new TTestThread(true, [&](TTestThread&) { executed = true; });
    thread->destroyed = &destroyed;
    thread->SetFreeOnTerminate(true);
    EXPECT_THROW(thread->WaitFor(), EThread); // the object may be gone by the time the wait ends
    thread->Start();
    EXPECT_EQ(destroyed.WaitFor(10000), wrSignaled);
    EXPECT_TRUE(executed);
}

TEST(Thread, StartsOnlyWhenAskedAndDiesCleanlyWhenNeverStarted)
{
    std::atomic<int> runs{0};
    {
        TTestThread running(false, [&](TTestThread&) { ++runs; });
        EXPECT_EQ(running.WaitFor(), 0u);
        EXPECT_EQ(runs, 1);
        EXPECT_THROW(running.Start(), EThread);
    }
    {
        TEvent destroyed;
        auto* idle = new TTestThread(true, [&](TTestThread&) { ++runs; });
        idle->destroyed = &destroyed;
        EXPECT_NE(idle->ThreadID(), 0u);
        EXPECT_NE(idle->Handle(), nullptr);
        EXPECT_THROW(idle->WaitFor(), EThread); // would wait forever
        for (TThreadPriority p : {tpLower, tpHighest, tpNormal}) {
            idle->SetPriority(p);
            EXPECT_EQ(idle->Priority(), p);
        }
        delete idle; // must not hang and must not run Execute
        EXPECT_EQ(destroyed.WaitFor(0), wrSignaled);
    }
    EXPECT_EQ(runs, 1);
}

TEST(Thread, TerminateEndsALoopingExecute)
{
    TEvent running;
    TEvent tick(false, false);
    TTestThread thread(false, [&](TTestThread& t) {
        running.SetEvent();
        while (!t.Terminated()) tick.WaitFor(5);
    });
    ASSERT_EQ(running.WaitFor(10000), wrSignaled);
    EXPECT_FALSE(thread.CheckTerminated());
    thread.Terminate();
    EXPECT_TRUE(thread.CheckTerminated());
    thread.WaitFor();
    EXPECT_EQ(thread.terminatedSetCalls, 1);
}

TEST(Thread, ExceptionLeavingExecuteIsKeptAsFatalException)
{
    TTestThread thread(false, [](TTestThread&) { throw EConvertError(L"broken"); });
    thread.WaitFor();
    ASSERT_TRUE(thread.FatalException());
    EXPECT_THROW(std::rethrow_exception(thread.FatalException()), EConvertError);
}

TEST(Thread, QueuedCallsRunLaterInOrderAndDieWithTheirThread)
{
    std::vector<int> ran;
    std::thread worker([&] {
        TThread::Queue(nullptr, [&] { ran.push_back(1); });
        TThread::Queue(nullptr, [] { throw EAbort(L""); });
        TThread::Queue(nullptr, [&] { ran.push_back(3); });
    });
    worker.join(); // Queue does not wait for the main thread
    EXPECT_TRUE(ran.empty());
    EXPECT_THROW(CheckSynchronize(), EAbort);
    EXPECT_EQ(ran, std::vector<int>{1});
    EXPECT_TRUE(CheckSynchronize()); // the call behind the failing one stayed queued
    EXPECT_EQ(ran, (std::vector<int>{1, 3}));
    EXPECT_FALSE(CheckSynchronize());

    // A thread object's pending calls are dropped with it: they would use a freed object.
    bool threadCallRan = false;
    auto* thread = new TTestThread(false, [&](TTestThread& t) { t.Queue([&] { threadCallRan = true; }); });
    ASSERT_EQ(WaitForSingleObject(thread->Handle(), 10000), WAIT_OBJECT_0); // no queue service
    delete thread;
    EXPECT_FALSE(CheckSynchronize());
    EXPECT_FALSE(threadCallRan);
}

TEST(Thread, QueuedCallsShareOneWakeUpUntilTheMainThreadTakesThem)
{
    CheckSynchronize(); // takes whatever earlier tests left
    std::atomic<int> wakes{0};
    WakeMainThread = [&] { ++wakes; };
    auto queueFromWorker = [](std::vector<std::function<void()>> calls) {
        std::thread worker([&] {
            for (auto& call : calls) TThread::Queue(nullptr, call);
        });
        worker.join();
    };
    int ran = 0;
    queueFromWorker(std::vector<std::function<void()>>(50, [&] { ++ran; }));
    EXPECT_EQ(wakes.load(), 1);
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(ran, 50);

    // Once the main thread has taken its calls, the next one asks again.
    queueFromWorker({[&] { ++ran; }});
    EXPECT_EQ(wakes.load(), 2);
    EXPECT_TRUE(CheckSynchronize());

    // A failing call leaves the calls behind it with a wake-up of their own, so a loop that
    // sleeps in GetMessage after the error still runs them.
    queueFromWorker({[] { throw EAbort(L""); }, [&] { ++ran; }});
    EXPECT_EQ(wakes.load(), 3);
    EXPECT_THROW(CheckSynchronize(), EAbort);
    EXPECT_EQ(wakes.load(), 4);
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(ran, 52);
    EXPECT_FALSE(CheckSynchronize());
    WakeMainThread = nullptr;
}

TEST(Thread, CheckSynchronizeOffTheMainThreadRaises)
{
    bool raised = false;
    std::thread worker([&] {
        try {
            CheckSynchronize();
        } catch (const EThread&) {
            raised = true;
        }
    });
    worker.join();
    EXPECT_TRUE(raised);
}

TEST(Event, ResetModesAndTimeouts)
{
    struct Case {
        bool manualReset, initialState;
        TWaitResult first, second;
    };
    const Case cases[] = {
        {true, true, wrSignaled, wrSignaled},
        {false, true, wrSignaled, wrTimeout},
        {true, false, wrTimeout, wrTimeout},
        {false, false, wrTimeout, wrTimeout},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "manual " << c.manualReset << " initial " << c.initialState);
        TEvent e(c.manualReset, c.initialState);
        EXPECT_EQ(e.WaitFor(0), c.first);
        EXPECT_EQ(e.WaitFor(20), c.second);
        e.SetEvent();
        e.ResetEvent();
        EXPECT_EQ(e.WaitFor(0), wrTimeout);
    }

    TEvent fromThread(false, false);
    std::thread setter([&] { fromThread.SetEvent(); });
    EXPECT_EQ(fromThread.WaitFor(10000), wrSignaled);
    setter.join();
}

TEST(CriticalSection, ExcludesOtherThreadsAndNestsOnTheOwner)
{
    TCriticalSection cs;
    auto tryFromOtherThread = [&] {
        bool got = false;
        std::thread other([&] {
            got = cs.TryEnter();
            if (got) cs.Leave();
        });
        other.join();
        return got;
    };
    cs.Enter();
    cs.Acquire(); // recursive on the owning thread
    EXPECT_FALSE(tryFromOtherThread());
    cs.Release();
    EXPECT_FALSE(tryFromOtherThread());
    cs.Leave();
    EXPECT_TRUE(tryFromOtherThread());
    {
        std::lock_guard<TCriticalSection> guard(cs);
        EXPECT_FALSE(tryFromOtherThread());
    }
    EXPECT_TRUE(tryFromOtherThread());
}
