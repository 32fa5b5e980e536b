#include "Threads.h"

#include "Exceptions.h"

#include <process.h>

#include <deque>
#include <memory>

DWORD MainThreadID = GetCurrentThreadId();

void InitMainThread()
{
    MainThreadID = GetCurrentThreadId();
}

std::function<void()> WakeMainThread;

namespace {

UnicodeString SystemErrorText(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    UnicodeString text = length && buffer ? UnicodeString(buffer, length) : UnicodeString();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text + L" (" + std::to_wstring(code) + L")";
}

// One call for the main thread. Synchronous requests live on the waiting caller's stack;
// asynchronous ones are owned by the queue.
struct SyncRequest {
    TThread* thread = nullptr;
    std::function<void()> method;
    bool synchronous = false;
    bool done = false;
    std::exception_ptr error;
    // The synchronous caller waits on its own variable: with one shared by all, every finished
    // call woke every waiting caller (hundreds under load) only for all but one to sleep again.
    CONDITION_VARIABLE doneSignal = CONDITION_VARIABLE_INIT;
};

// Process-wide queue, built on first use and never destroyed: worker threads may still touch
// it while the program's static objects are being torn down.
struct SyncQueue {
    SRWLOCK lock = SRWLOCK_INIT;
    std::deque<SyncRequest*> calls;
    HANDLE pending = CreateEventW(nullptr, TRUE, FALSE, nullptr); // set while calls is not empty
    // A wake-up has been asked for since the main thread last took its share of calls. Further
    // calls ride on it: under load each wake-up (a round trip to the window system) would cost
    // more than the call itself.
    bool wakeAsked = false;
};

SyncQueue& TheQueue()
{
    static SyncQueue* queue = new SyncQueue;
    return *queue;
}

class SrwGuard {
public:
    explicit SrwGuard(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~SrwGuard() { ReleaseSRWLockExclusive(&lock_); }
    SrwGuard(const SrwGuard&) = delete;
    SrwGuard& operator=(const SrwGuard&) = delete;

private:
    SRWLOCK& lock_;
};

void Enqueue(SyncRequest* request)
{
    SyncQueue& q = TheQueue();
    bool wake = false;
    {
        SrwGuard guard(q.lock);
        if (q.calls.empty()) ::SetEvent(q.pending);
        q.calls.push_back(request);
        wake = !q.wakeAsked;
        q.wakeAsked = true;
    }
    // The request is queued now and may live on the caller's stack: nothing may unwind past it.
    try {
        if (wake && WakeMainThread) WakeMainThread();
    } catch (...) {
        // The main thread still finds the call at its next CheckSynchronize.
    }
}

bool OnMainThread()
{
    return GetCurrentThreadId() == MainThreadID;
}

int ToWin32Priority(TThreadPriority p)
{
    switch (p) {
    case tpIdle: return THREAD_PRIORITY_IDLE;
    case tpLowest: return THREAD_PRIORITY_LOWEST;
    case tpLower: return THREAD_PRIORITY_BELOW_NORMAL;
    case tpNormal: return THREAD_PRIORITY_NORMAL;
    case tpHigher: return THREAD_PRIORITY_ABOVE_NORMAL;
    case tpHighest: return THREAD_PRIORITY_HIGHEST;
    case tpTimeCritical: return THREAD_PRIORITY_TIME_CRITICAL;
    }
    return THREAD_PRIORITY_NORMAL;
}

// Waits for handle; on the main thread runs queued calls and sent messages meanwhile, so a
// thread blocked in Synchronize (or in SendMessage to a main-thread window) can finish.
void WaitServicingMainThread(HANDLE handle)
{
    if (!OnMainThread()) {
        if (WaitForSingleObject(handle, INFINITE) == WAIT_FAILED)
            throw EThread(L"Thread wait failed: " + SystemErrorText(GetLastError()));
        return;
    }
    const HANDLE handles[2] = {handle, TheQueue().pending};
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return;
        if (r == WAIT_OBJECT_0 + 1) {
            CheckSynchronize();
        } else if (r == WAIT_OBJECT_0 + 2) {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // delivers the sent messages
        } else {
            throw EThread(L"Thread wait failed: " + SystemErrorText(GetLastError()));
        }
    }
}

} // namespace

bool CheckSynchronize(int timeoutMs)
{
    if (!OnMainThread())
        throw EThread(L"CheckSynchronize called from thread " + std::to_wstring(GetCurrentThreadId()) +
                      L", which is not the main thread");
    SyncQueue& q = TheQueue();
    if (timeoutMs > 0) WaitForSingleObject(q.pending, static_cast<DWORD>(timeoutMs));

    // Only the calls queued so far: a worker that keeps queueing must not hold the loop here.
    size_t budget;
    {
        SrwGuard guard(q.lock);
        budget = q.calls.size();
        if (budget == 0) ::ResetEvent(q.pending);
        // Calls queued from now on are not in this share: they ask for a wake-up of their own.
        q.wakeAsked = false;
    }
    bool ran = false;
    for (; budget > 0; --budget) {
        SyncRequest* request;
        {
            SrwGuard guard(q.lock);
            if (q.calls.empty()) {
                ::ResetEvent(q.pending);
                break;
            }
            request = q.calls.front();
            q.calls.pop_front();
            if (q.calls.empty()) ::ResetEvent(q.pending);
        }
        ran = true;
        if (request->synchronous) {
            try {
                request->method();
            } catch (...) {
                request->error = std::current_exception();
            }
            {
                // Woken under the lock: the caller cannot return (and take the request off its
                // stack) before the lock is released.
                SrwGuard guard(q.lock);
                request->done = true;
                WakeConditionVariable(&request->doneSignal);
            }
        } else {
            std::unique_ptr<SyncRequest> owned(request);
            try {
                owned->method();
            } catch (...) {
                // The calls left behind must not wait for an unrelated message.
                bool wake = false;
                {
                    SrwGuard guard(q.lock);
                    wake = !q.calls.empty() && !q.wakeAsked;
                    if (wake) q.wakeAsked = true;
                }
                if (wake && WakeMainThread) {
                    try {
                        WakeMainThread();
                    } catch (...) {
                    }
                }
                throw;
            }
        }
    }
    return ran;
}

// ---------------------------------------------------------------------------------------------
// TThread

TThread::TThread(bool createSuspended) : createSuspended_(createSuspended)
{
    unsigned id = 0;
    handle_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadProc, this, CREATE_SUSPENDED, &id));
    if (!handle_) throw EThread(L"Thread creation error: " + SystemErrorText(GetLastError()));
    threadId_ = id;
}

TThread::~TThread()
{
    if (handle_) {
        if (!started_.load()) {
            // Never ran: let the suspended thread return without touching this object.
            abandoned_.store(true);
            ResumeThread(handle_);
            WaitForSingleObject(handle_, INFINITE);
        } else if (!finished_.load() && GetCurrentThreadId() != threadId_) {
            terminated_.store(true);
            try {
                WaitServicingMainThread(handle_);
            } catch (...) {
                // The wait itself failed; nothing sensible is left to do in a destructor.
            }
        }
        CloseHandle(handle_);
    }
    RemoveQueuedEvents(this);
}

unsigned __stdcall TThread::ThreadProc(void* param)
{
    auto* thread = static_cast<TThread*>(param);
    if (thread->abandoned_.load()) return 0;
    try {
        if (!thread->Terminated()) thread->Execute();
    } catch (...) {
        thread->fatalException_ = std::current_exception();
    }
    const bool freeThread = thread->freeOnTerminate_.load();
    const auto result = static_cast<unsigned>(thread->returnValue_);
    try {
        thread->DoTerminate();
    } catch (...) {
        if (!thread->fatalException_) thread->fatalException_ = std::current_exception();
    }
    // From here on the owner may delete the object: touch it no more unless it is ours to free.
    thread->finished_.store(true);
    if (freeThread) delete thread;
    return result;
}

void TThread::AfterConstruction()
{
    if (!createSuspended_ && !started_.load()) Start();
}

void TThread::Start()
{
    if (started_.exchange(true)) throw EThread(L"Cannot call Start on a running or finished thread");
    if (ResumeThread(handle_) == static_cast<DWORD>(-1)) {
        started_.store(false);
        throw EThread(L"Thread start error: " + SystemErrorText(GetLastError()));
    }
}

void TThread::Terminate()
{
    terminated_.store(true);
    TerminatedSet();
}

DWORD TThread::WaitFor()
{
    if (GetCurrentThreadId() == threadId_) throw EThread(L"A thread cannot wait for itself");
    if (freeOnTerminate_.load()) throw EThread(L"Cannot wait for a thread that frees itself");
    if (!started_.load()) throw EThread(L"Cannot wait for a thread that was never started");
    WaitServicingMainThread(handle_);
    DWORD code = 0;
    if (!GetExitCodeThread(handle_, &code)) throw EThread(L"Thread error: " + SystemErrorText(GetLastError()));
    return code;
}

TThreadPriority TThread::Priority() const
{
    switch (GetThreadPriority(handle_)) {
    case THREAD_PRIORITY_IDLE: return tpIdle;
    case THREAD_PRIORITY_LOWEST: return tpLowest;
    case THREAD_PRIORITY_BELOW_NORMAL: return tpLower;
    case THREAD_PRIORITY_ABOVE_NORMAL: return tpHigher;
    case THREAD_PRIORITY_HIGHEST: return tpHighest;
    case THREAD_PRIORITY_TIME_CRITICAL: return tpTimeCritical;
    default: return tpNormal;
    }
}

void TThread::SetPriority(TThreadPriority value)
{
    if (!SetThreadPriority(handle_, ToWin32Priority(value)))
        throw EThread(L"Thread priority error: " + SystemErrorText(GetLastError()));
}

void TThread::DoTerminate()
{
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

void TThread::Synchronize(TThread* thread, const std::function<void()>& method)
{
    if (!method) return;
    if (OnMainThread()) {
        method();
        return;
    }
    SyncRequest request;
    request.thread = thread;
    request.method = method;
    request.synchronous = true;
    Enqueue(&request);
    SyncQueue& q = TheQueue();
    {
        SrwGuard guard(q.lock);
        while (!request.done) SleepConditionVariableSRW(&request.doneSignal, &q.lock, INFINITE, 0);
    }
    if (request.error) std::rethrow_exception(request.error);
}

void TThread::Queue(TThread* thread, const std::function<void()>& method)
{
    if (!method) return;
    if (OnMainThread()) {
        method();
        return;
    }
    auto request = std::make_unique<SyncRequest>();
    request->thread = thread;
    request->method = method;
    Enqueue(request.get());
    request.release();
}

void TThread::RemoveQueuedEvents(TThread* thread)
{
    if (!thread) return;
    SyncQueue& q = TheQueue();
    std::vector<std::unique_ptr<SyncRequest>> dropped; // freed outside the lock
    {
        SrwGuard guard(q.lock);
        for (auto it = q.calls.begin(); it != q.calls.end();) {
            if (!(*it)->synchronous && (*it)->thread == thread) {
                dropped.emplace_back(*it);
                it = q.calls.erase(it);
            } else {
                ++it;
            }
        }
        if (q.calls.empty()) ::ResetEvent(q.pending);
    }
}

// ---------------------------------------------------------------------------------------------
// TCriticalSection, TEvent

TCriticalSection::TCriticalSection()
{
    InitializeCriticalSection(&section_);
}

TCriticalSection::~TCriticalSection()
{
    DeleteCriticalSection(&section_);
}

TEvent::TEvent(bool manualReset, bool initialState)
    : handle_(CreateEventW(nullptr, manualReset, initialState, nullptr))
{
    if (!handle_) throw EOSError(L"Event creation error: " + SystemErrorText(GetLastError()));
}

TEvent::~TEvent()
{
    CloseHandle(handle_);
}

void TEvent::SetEvent()
{
    ::SetEvent(handle_);
}

void TEvent::ResetEvent()
{
    ::ResetEvent(handle_);
}

TWaitResult TEvent::WaitFor(DWORD timeoutMs)
{
    switch (WaitForSingleObject(handle_, timeoutMs)) {
    case WAIT_OBJECT_0: return wrSignaled;
    case WAIT_TIMEOUT: return wrTimeout;
    case WAIT_ABANDONED: return wrAbandoned;
    default:
        lastError_ = GetLastError();
        return wrError;
    }
}
