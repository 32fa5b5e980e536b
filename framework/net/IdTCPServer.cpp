#include "IdWinsock.h"  // before <windows.h>

#include "IdTCPServer.h"

#include "Strings.h"
#include "Threads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

static_assert(TIdTCPServer::MaxListenQueue == SOMAXCONN);

namespace {
using Clock = std::chrono::steady_clock;

// How long the main thread waits for Synchronize calls before it looks at the threads again.
constexpr int kServiceSliceMs = 5;
// Pause of a listener after a failure, so that a lasting one does not spin.
constexpr DWORD kListenRetryMs = 100;
// The longest a listener waits before it looks at its stop event again.
constexpr long kListenSliceMs = 25;
// A connection thread whose connection has ended waits this long for the next one, and at most
// this many wait at once. Starting a thread is by far the dearest part of a short connection
// under Wine (it clears a megabyte of stack), so a burst of connections is served by threads
// of the connections before it.
constexpr auto kThreadParkTime = std::chrono::seconds(5);
constexpr std::size_t kMaxParkedThreads = 64;
// Beyond this many parked threads a thread waits only briefly: after a burst the spare threads
// end soon and give their stacks back, while steady traffic keeps finding warm threads.
constexpr std::size_t kWarmParkedThreads = 16;
constexpr auto kSpareThreadParkTime = std::chrono::seconds(1);

[[noreturn]] void RaiseBindError(int error, const std::wstring& what)
{
    throw EIdCouldNotBindSocket(error, L"Could not bind socket. " + what);
}

// Runs f and hands any exception it raises to report as an Exception.
template <class F, class R>
void Guarded(F&& f, R&& report)
{
    try {
        f();
    } catch (Exception& e) {
        report(e);
    } catch (const std::exception& e) {
        Exception wrapped(Utf8ToUnicode(e.what()));
        report(wrapped);
    } catch (...) {
        Exception wrapped(L"Unknown exception");
        report(wrapped);
    }
}

// Keeps a flag set while the scope runs.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& flag_;
};
} // namespace

// The handlers as they were when the server started.
struct TIdTCPServer::Handlers {
    TIdServerThreadEvent onConnect;
    TIdServerThreadEvent onExecute;
    TIdServerThreadEvent onDisconnect;
    TIdServerThreadExceptionEvent onException;
    TIdListenExceptionEvent onListenException;
    bool useNagle = true;
};

// One connection and what the server knows of it.
struct TIdTCPServer::Worker {
    std::unique_ptr<TIdContext> context;  // freed by the connection's thread at its end
    TIdContext* key = nullptr;            // the context's address, for the list only
    // Guarded by Shared::mutex:
    ConnectionThread* runner = nullptr;  // the thread serving it
    bool finished = false;
    bool released = false;  // the stop no longer waits for it; no more events
    bool inEvent = false;   // in OnConnect, OnDisconnect or OnException
};

// A thread that serves connections, one at a time and each to its end.
struct TIdTCPServer::ConnectionThread {
    std::thread thread;
    std::condition_variable wake;  // a connection was handed over, or the stop came
    // Guarded by Shared::mutex:
    std::shared_ptr<Worker> next;  // handed over while parked
    std::shared_ptr<const Handlers> nextHandlers;
    Worker* current = nullptr;  // the connection being served
    bool parked = false;
    bool detached = false;  // let go by a stop: ends after its connection
    bool ended = false;     // left its loop: to be joined
};

// What the server shares with its threads. A let-go connection thread keeps it alive after the
// server is gone.
struct TIdTCPServer::Shared {
    TIdContextThreadList contexts;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::shared_ptr<Worker>> workers;
    std::vector<std::shared_ptr<ConnectionThread>> threads;
    std::vector<ConnectionThread*> parked;  // waiting for a connection, the latest last
    bool parking = false;                   // while the server runs

    // Waits until done() holds (checked under mutex) or the deadline passes. On the main thread
    // it keeps running Synchronize calls; an exception of a queued call is kept in error.
    template <class Done>
    bool WaitUntil(Done done, std::optional<Clock::time_point> deadline, std::exception_ptr& error)
    {
        const bool onMain = GetCurrentThreadId() == MainThreadID;
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            if (done()) return true;
            if (deadline && Clock::now() >= *deadline) return false;
            if (onMain) {
                lock.unlock();
                try {
                    CheckSynchronize(kServiceSliceMs);
                } catch (...) {
                    if (!error) error = std::current_exception();
                }
                lock.lock();
            } else if (deadline) {
                changed.wait_until(lock, *deadline);
            } else {
                changed.wait(lock);
            }
        }
    }
};

struct TIdTCPServer::Listener {
    TIdListenerThread object;
    SOCKET socket = INVALID_SOCKET;
    WSAEVENT stopEvent = WSA_INVALID_EVENT;  // wakes the pause after a failure
    // Set with stopEvent; read where the listener only looks, since a look at an event is a
    // round trip to the Wine server and the listener looks at every accepted connection.
    std::atomic<bool> stopping{false};
    std::thread thread;
    bool finished = false;  // guarded by Shared::mutex

    ~Listener()
    {
        if (socket != INVALID_SOCKET) closesocket(socket);
        if (stopEvent != WSA_INVALID_EVENT) WSACloseEvent(stopEvent);
    }
};

namespace {
// Runs an event of a connection unless the stop has let the connection go. A stop that lets
// connections go waits for events that have begun, so their handlers never outlive it.
template <class Shared, class Worker, class F>
void CallEvent(Shared& shared, Worker& worker, F&& f)
{
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        if (worker.released) return;
        worker.inEvent = true;
    }
    struct Unpin {
        Shared& shared;
        Worker& worker;
        ~Unpin()
        {
            {
                std::lock_guard<std::mutex> lock(shared.mutex);
                worker.inEvent = false;
            }
            shared.changed.notify_all();
        }
    } unpin{shared, worker};
    f();
}
} // namespace

TIdTCPServer::TIdTCPServer(TComponent* owner) : TComponent(owner), shared_(std::make_shared<Shared>()) {}

TIdTCPServer::~TIdTCPServer()
{
    try {
        Stop();
    } catch (...) {
        // An exception of a queued main-thread call has nowhere to go from here.
    }
}

TIdContextThreadList* TIdTCPServer::Contexts()
{
    return &shared_->contexts;
}

void TIdTCPServer::SetActive(bool value)
{
    if (changing_ || value == active_.load()) return;
    if (value)
        Start();
    else
        Stop();
}

std::unique_ptr<TIdTCPServer::Listener> TIdTCPServer::OpenListener(TIdSocketHandle& binding)
{
    const int port = binding.Port();
    if (port < 0 || port > 65535) RaiseBindError(WSAEINVAL, L"Invalid port number " + std::to_wstring(port) + L".");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    const UnicodeString& ip = binding.IP();
    if (ip.empty()) {
        address.sin_addr.s_addr = htonl(INADDR_ANY);
    } else if (InetPtonW(AF_INET, ip.c_str(), &address.sin_addr) != 1) {
        RaiseBindError(WSAEINVAL, L"Invalid IP address " + ip + L".");
    }

    auto listener = std::make_unique<Listener>();
    listener->socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener->socket == INVALID_SOCKET) throw EIdSocketError(WSAGetLastError());
    if (reuseSocket_ == rsTrue) {
        BOOL on = TRUE;
        setsockopt(listener->socket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof(on));
    }
    if (bind(listener->socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        const int error = WSAGetLastError();
        if (error == WSAEADDRINUSE) RaiseBindError(error, L"Address and port are already in use.");
        RaiseBindError(error, EIdSocketError(error).Message());
    }
    if (listen(listener->socket, listenQueue_) != 0) throw EIdSocketError(WSAGetLastError());

    sockaddr_in bound{};
    int length = sizeof(bound);
    if (getsockname(listener->socket, reinterpret_cast<sockaddr*>(&bound), &length) == 0)
        binding.SetPort(ntohs(bound.sin_port));
    listener->object.binding_.SetIP(ip);
    listener->object.binding_.SetPort(binding.Port());

    // Pending connections are found by the socket's readiness, never by an FD_ACCEPT record:
    // such a record can be lost (Wine loses it under load), and a listener waiting for it would
    // sleep for good while the queue fills. Accepting drains the queue without blocking.
    u_long nonBlocking = 1;
    listener->stopEvent = WSACreateEvent();
    if (listener->stopEvent == WSA_INVALID_EVENT || ioctlsocket(listener->socket, FIONBIO, &nonBlocking) != 0)
        throw EIdSocketError(WSAGetLastError());
    return listener;
}

void TIdTCPServer::Start()
{
    if (!OnExecute) throw EIdTCPNoOnExecute(L"OnExecute event not assigned.");
    IdEnsureWinsock();
    const ScopedFlag changing(changing_);

    if (bindings_.Count() == 0) bindings_.Add();
    auto handlers = std::make_shared<Handlers>();
    handlers->onConnect = OnConnect;
    handlers->onExecute = OnExecute;
    handlers->onDisconnect = OnDisconnect;
    handlers->onException = OnException;
    handlers->onListenException = OnListenException;
    handlers->useNagle = useNagle_;

    std::vector<std::unique_ptr<Listener>> listeners;
    for (int i = 0; i < bindings_.Count(); ++i) listeners.push_back(OpenListener(*bindings_.Items(i)));

    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->parking = true;
    }
    listeners_ = std::move(listeners);
    for (auto& listener : listeners_) {
        try {
            listener->thread = std::thread(RunListener, shared_, listener.get(), handlers);
        } catch (const std::system_error& e) {
            try {
                StopListening();
            } catch (...) {
                // Only a queued main-thread call can raise here; the start failure matters more.
            }
            throw EIdException(L"Could not start the listening thread: " + Utf8ToUnicode(e.what()));
        }
    }
    active_ = true;
}

void TIdTCPServer::StopListening()
{
    if (listeners_.empty()) return;
    for (auto& listener : listeners_) {
        listener->stopping = true;
        WSASetEvent(listener->stopEvent);
    }
    std::exception_ptr error;
    shared_->WaitUntil(
        [&] {
            return std::all_of(listeners_.begin(), listeners_.end(), [](const auto& l) {
                return l->finished || !l->thread.joinable();
            });
        },
        std::nullopt, error);
    for (auto& listener : listeners_)
        if (listener->thread.joinable()) listener->thread.join();
    listeners_.clear();
    if (error) std::rethrow_exception(error);
}

void TIdTCPServer::Stop()
{
    if (!active_.load() && listeners_.empty()) return;
    const ScopedFlag changing(changing_);

    std::exception_ptr error;
    try {
        StopListening();
    } catch (...) {
        error = std::current_exception();
    }

    TIdContextList* list = shared_->contexts.LockList();
    for (TIdContext* context : *list) context->Connection()->Disconnect();
    shared_->contexts.UnlockList();

    Shared& shared = *shared_;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(terminateWaitTime_, 0));
    const bool allEnded = shared.WaitUntil(
        [&] {
            return std::all_of(shared.workers.begin(), shared.workers.end(),
                               [](const auto& w) { return w->finished; });
        },
        deadline, error);

    const auto self = std::this_thread::get_id();
    if (!allEnded) {
        // Let the remaining threads go; wait only for events they have already begun.
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            for (auto& worker : shared.workers)
                if (!worker->finished) worker->released = true;
        }
        // Out of the list now: the list shows only the connections the server still waits for.
        for (auto& worker : shared.workers) shared.contexts.Remove(worker->key);
        shared.WaitUntil(
            [&] {
                return std::none_of(shared.workers.begin(), shared.workers.end(), [&](const auto& w) {
                    return !w->finished && w->inEvent && !(w->runner && w->runner->thread.get_id() == self);
                });
            },
            std::nullopt, error);
    }

    // The threads of ended connections: parked ones end now, the others as they get here. A
    // thread still serving a let-go connection (or this very thread) is detached.
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.parking = false;
        for (ConnectionThread* thread : shared.parked) thread->wake.notify_one();
        for (auto& thread : shared.threads)
            if ((thread->current && !thread->current->finished) || thread->thread.get_id() == self)
                thread->detached = true;
    }
    shared.WaitUntil(
        [&] {
            return std::all_of(shared.threads.begin(), shared.threads.end(),
                               [](const auto& t) { return t->ended || t->detached; });
        },
        std::nullopt, error);
    std::vector<std::shared_ptr<ConnectionThread>> threads;
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        threads.swap(shared.threads);
        shared.workers.clear();
    }
    for (auto& thread : threads) {
        if (!thread->thread.joinable()) continue;
        bool ended;
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            ended = thread->ended;
        }
        if (ended && thread->thread.get_id() != self)
            thread->thread.join();
        else
            thread->thread.detach();
    }
    // Calls the connections queued for the main thread run now, while what they refer to
    // still exists.
    if (GetCurrentThreadId() == MainThreadID) {
        try {
            CheckSynchronize();
        } catch (...) {
            if (!error) error = std::current_exception();
        }
    }
    active_ = false;
    if (error) std::rethrow_exception(error);
}

void TIdTCPServer::RunListener(std::shared_ptr<Shared> shared, Listener* listener,
                               std::shared_ptr<const Handlers> handlers)
{
    while (!listener->stopping.load()) {
        bool failed = false;
        Guarded(
            [&] {
                fd_set readable;
                FD_ZERO(&readable);
                FD_SET(listener->socket, &readable);
                timeval slice{0, kListenSliceMs * 1000};
                const int ready = select(0, &readable, nullptr, nullptr, &slice);
                if (ready == SOCKET_ERROR) throw EIdSocketError(WSAGetLastError());
                if (ready > 0) AcceptPending(shared, *listener, handlers);
            },
            [&](Exception& e) {
                failed = true;
                if (!handlers->onListenException) return;
                try {
                    handlers->onListenException(&listener->object, &e);
                } catch (...) {
                    // The listener goes on whatever its handler does.
                }
            });
        if (failed) WaitForSingleObject(listener->stopEvent, kListenRetryMs);

        // Forget the connections that have ended; join the threads that have ended.
        std::vector<std::shared_ptr<ConnectionThread>> ended;
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            std::erase_if(shared->workers, [](const auto& w) { return w->finished; });
            auto split = std::stable_partition(shared->threads.begin(), shared->threads.end(),
                                               [](const auto& t) { return !t->ended; });
            ended.assign(split, shared->threads.end());
            shared->threads.erase(split, shared->threads.end());
        }
        for (auto& thread : ended)
            if (thread->thread.joinable()) thread->thread.join();
    }
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        listener->finished = true;
    }
    shared->changed.notify_all();
}

void TIdTCPServer::AcceptPending(const std::shared_ptr<Shared>& shared, Listener& listener,
                                 const std::shared_ptr<const Handlers>& handlers)
{
    for (;;) {
        if (listener.stopping.load()) return;
        const SOCKET s = accept(listener.socket, nullptr, nullptr);
        if (s == INVALID_SOCKET) {
            const int error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK) return;
            // The peer gave up before it was taken: the next one may be waiting.
            if (error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAEINTR) continue;
            throw EIdSocketError(error);
        }
        if (!handlers->useNagle) {
            BOOL on = TRUE;
            setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof(on));
        }
        auto worker = std::make_shared<Worker>();
        worker->context = std::make_unique<TIdContext>(
            std::make_unique<TIdTCPConnection>(std::make_unique<TIdIOHandler>(static_cast<std::uintptr_t>(s))));
        TIdContext* context = worker->context.get();
        worker->key = context;
        shared->contexts.Add(context);
        {
            // A parked thread takes the connection; the latest parked is the likeliest to be warm.
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->workers.push_back(worker);
            if (!shared->parked.empty()) {
                ConnectionThread* thread = shared->parked.back();
                shared->parked.pop_back();
                thread->parked = false;
                thread->next = worker;
                thread->nextHandlers = handlers;
                worker->runner = thread;
                thread->wake.notify_one();
                continue;
            }
        }
        auto thread = std::make_shared<ConnectionThread>();
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            worker->runner = thread.get();
            thread->current = worker.get();
            shared->threads.push_back(thread);
        }
        try {
            thread->thread = std::thread(RunConnectionThread, shared, thread, worker, handlers);
        } catch (const std::system_error& e) {
            shared->contexts.Remove(context);
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->workers.erase(std::find(shared->workers.begin(), shared->workers.end(), worker));
            shared->threads.erase(std::find(shared->threads.begin(), shared->threads.end(), thread));
            throw EIdException(L"Could not start a connection thread: " + Utf8ToUnicode(e.what()));
        }
    }
}

void TIdTCPServer::RunConnectionThread(std::shared_ptr<Shared> shared, std::shared_ptr<ConnectionThread> self,
                                       std::shared_ptr<Worker> worker, std::shared_ptr<const Handlers> handlers)
{
    for (;;) {
        RunConnection(shared, worker, handlers);
        {
            // Cleared before the worker is let go: once the listener has forgotten the finished
            // worker, this reference is its last, and a stop reads the worker through current.
            std::lock_guard<std::mutex> lock(shared->mutex);
            self->current = nullptr;
        }
        worker.reset();
        handlers.reset();

        std::unique_lock<std::mutex> lock(shared->mutex);
        if (self->detached || !shared->parking || shared->parked.size() >= kMaxParkedThreads) break;
        const auto parkTime = shared->parked.size() < kWarmParkedThreads ? kThreadParkTime : kSpareThreadParkTime;
        self->parked = true;
        shared->parked.push_back(self.get());
        self->wake.wait_for(lock, parkTime, [&] { return self->next || !shared->parking; });
        if (self->next) {
            // The listener has taken it off the parked list.
            worker = std::move(self->next);
            handlers = std::move(self->nextHandlers);
            self->current = worker.get();
            continue;
        }
        self->parked = false;
        shared->parked.erase(std::find(shared->parked.begin(), shared->parked.end(), self.get()));
        break;
    }
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        self->ended = true;
    }
    shared->changed.notify_all();
}

void TIdTCPServer::RunConnection(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Worker>& worker,
                                 const std::shared_ptr<const Handlers>& handlers)
{
    TIdContext* context = worker->context.get();
    TIdTCPConnection* connection = context->Connection();
    auto report = [&](Exception& e) {
        if (!handlers->onException) return;
        try {
            CallEvent(*shared, *worker, [&] { handlers->onException(context, &e); });
        } catch (...) {
            // Nothing is left to tell about a failing exception handler.
        }
    };
    auto released = [&] {
        std::lock_guard<std::mutex> lock(shared->mutex);
        return worker->released;
    };

    Guarded(
        [&] {
            if (handlers->onConnect) CallEvent(*shared, *worker, [&] { handlers->onConnect(context); });
            while (!released() && connection->Connected()) handlers->onExecute(context);
        },
        report);
    connection->Disconnect();
    if (handlers->onDisconnect)
        Guarded([&] { CallEvent(*shared, *worker, [&] { handlers->onDisconnect(context); }); }, report);

    shared->contexts.Remove(context);
    worker->context.reset();  // closes the socket
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        worker->finished = true;
    }
    shared->changed.notify_all();
}
