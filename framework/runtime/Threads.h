#pragma once
// Threads and their hand-over to the main thread, critical sections and events, over Win32.
//
// Main thread: MainThreadID is set during static initialisation, which runs on the thread that
// starts the program. InitMainThread() sets it to the calling thread again; call it only before
// any worker thread exists.
//
// Hand-over: Synchronize and Queue put a call into one process-wide queue; the main thread runs
// it from CheckSynchronize (the message loop and ProcessMessages call it) or while it waits in
// TThread::WaitFor. WakeMainThread is called on the queueing thread when a queued call finds no
// wake-up asked for since the main thread last took its calls, so that a loop sleeping in
// GetMessage wakes up (e.g. by posting to a main-thread window); assign it once at start-up,
// before threads run. A call queued while nobody services the queue waits.
#include "Components.h"

#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>

extern DWORD MainThreadID;
void InitMainThread();

extern std::function<void()> WakeMainThread;

// Runs queued calls on the main thread, waiting up to timeoutMs for the first one. Returns
// whether any call ran. An exception of an asynchronous (Queue) call propagates to the caller;
// the calls behind it stay queued. Raises EThread on any other thread.
bool CheckSynchronize(int timeoutMs = 0);

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Derive and override Execute. The OS thread exists from construction on, suspended.
//
// C++ builds the derived part after this constructor returns, so the thread cannot start here
// without racing the derived constructor. A thread constructed with createSuspended == false
// starts when the most derived constructor calls AfterConstruction() as its last statement;
// with true it starts on Start().
//
// Before a running thread's object is deleted its Execute must have returned: call Terminate()
// and WaitFor() first (the destructor does so too, but by then the derived part is gone).
class TThread : public TObject {
public:
    explicit TThread(bool createSuspended);
    ~TThread() override;

    UnicodeString ClassName() const override { return L"TThread"; }

    // Starts a thread created with createSuspended == false; does nothing otherwise, or twice.
    void AfterConstruction();
    // Starts a suspended thread; EThread when it already runs.
    void Start();

    // Sets the flag Execute polls; the thread ends when Execute notices it.
    void Terminate();
    bool CheckTerminated() const { return terminated_.load(); }

    // Waits until the thread has ended and returns its exit code (ReturnValue). On the main
    // thread it keeps running Synchronize and Queue calls and sent window messages meanwhile.
    // EThread when called from the thread itself or for a FreeOnTerminate thread.
    DWORD WaitFor();

    bool Finished() const { return finished_.load(); }
    bool FreeOnTerminate() const { return freeOnTerminate_.load(); }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_.store(value); }
    TThreadPriority Priority() const;
    void SetPriority(TThreadPriority value);
    int ReturnValue() const { return returnValue_; }
    DWORD ThreadID() const { return threadId_; }
    HANDLE Handle() const { return handle_; }
    // The exception that ended Execute, if any.
    std::exception_ptr FatalException() const { return fatalException_; }

    // Runs on the main thread after Execute, through Synchronize.
    TNotifyEvent OnTerminate;

    // Runs method on the main thread and returns when it has run; an exception it raises is
    // raised again here. On the main thread the call runs at once. thread may be null.
    static void Synchronize(TThread* thread, const std::function<void()>& method);
    // Queues method for the main thread and returns at once (on the main thread: runs it).
    // Queued calls of a thread are dropped when the thread object is destroyed.
    static void Queue(TThread* thread, const std::function<void()>& method);
    // Drops the not yet run Queue calls of thread.
    static void RemoveQueuedEvents(TThread* thread);

protected:
    virtual void Execute() = 0;
    // Calls OnTerminate on the main thread.
    virtual void DoTerminate();
    // Called by Terminate after the flag is set, on the terminating thread.
    virtual void TerminatedSet() {}

    bool Terminated() const { return terminated_.load(); }
    void SetReturnValue(int value) { returnValue_ = value; }
    void Synchronize(const std::function<void()>& method) { Synchronize(this, method); }
    void Queue(const std::function<void()>& method) { Queue(this, method); }

private:
    static unsigned __stdcall ThreadProc(void* param);

    HANDLE handle_ = nullptr;
    DWORD threadId_ = 0;
    bool createSuspended_;
    std::atomic<bool> started_{false};
    std::atomic<bool> abandoned_{false}; // destroyed before it ever ran: the proc only returns
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> freeOnTerminate_{false};
    int returnValue_ = 0;
    std::exception_ptr fatalException_;
};

// Recursive lock over a Win32 critical section. Also usable with std::lock_guard.
class TCriticalSection : public TObject {
public:
    TCriticalSection();
    ~TCriticalSection() override;

    UnicodeString ClassName() const override { return L"TCriticalSection"; }

    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }
    void Acquire() { Enter(); }
    void Release() { Leave(); }
    bool TryEnter() { return TryEnterCriticalSection(&section_) != FALSE; }

    void lock() { Enter(); }
    void unlock() { Leave(); }
    bool try_lock() { return TryEnter(); }

private:
    CRITICAL_SECTION section_;
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError, wrIOCompletion };

// Win32 event. Manual reset stays signalled until ResetEvent; auto reset releases one waiter.
class TEvent : public TObject {
public:
    explicit TEvent(bool manualReset = true, bool initialState = false);
    ~TEvent() override;

    UnicodeString ClassName() const override { return L"TEvent"; }

    void SetEvent();
    void ResetEvent();
    TWaitResult WaitFor(DWORD timeoutMs = INFINITE);
    HANDLE Handle() const { return handle_; }
    // The Win32 error code of the last wrError result.
    DWORD LastError() const { return lastError_; }

private:
    HANDLE handle_;
    DWORD lastError_ = 0;
};
