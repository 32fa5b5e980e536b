#pragma once
// TCP server over Winsock: one listening thread per binding, one thread per connection.
// A thread whose connection has ended waits a few seconds for the next connection before it
// ends (beyond a warm few, only a second), so that short connections in quick succession do not
// each pay for a thread start.
//
// Each connection's thread calls OnConnect once, then OnExecute again and again while the
// connection stands, then OnDisconnect. An exception leaving OnConnect or OnExecute goes to
// OnException and ends the connection. The handlers are taken when the server starts.
//
// Stopping (SetActive(false), also the destructor) closes the listeners, disconnects every
// connection and waits up to TerminateWaitTime for the connection threads. On the main thread
// it keeps running Synchronize calls while it waits, so a connection thread blocked in
// TIdSync::Synchronize or TThread::Synchronize finishes instead of deadlocking the stop, and
// when the connections have ended it runs the calls they queued (TThread::Queue). A
// thread still in OnExecute when the time is over is let go: it gets no further events and
// cleans up after itself when its handler returns. Start and stop from the main thread.
#include "IdContext.h"
#include "IdException.h"
#include "IdSocketHandle.h"

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// The listening side of one binding, as handed to OnListenException.
class TIdListenerThread : public TObject {
public:
    UnicodeString ClassName() const override { return L"TIdListenerThread"; }
    TIdSocketHandle* Binding() { return &binding_; }

private:
    friend class TIdTCPServer;
    TIdSocketHandle binding_;
};

using TIdServerThreadEvent = std::function<void(TIdContext* context)>;
using TIdServerThreadExceptionEvent = std::function<void(TIdContext* context, Exception* exception)>;
using TIdListenExceptionEvent = std::function<void(TIdListenerThread* thread, Exception* exception)>;

// rsOSDependent leaves the system's default, which on Windows is no address reuse.
enum TIdReuseSocket { rsOSDependent, rsTrue, rsFalse };

class TIdTCPServer : public TComponent {
public:
    explicit TIdTCPServer(TComponent* owner);
    ~TIdTCPServer() override;

    UnicodeString ClassName() const override { return L"TIdTCPServer"; }

    // Read at every start; without bindings the server listens on every local address at the
    // default port. A binding with port 0 gets a free port, written back into the binding.
    TIdSocketHandles* Bindings() { return &bindings_; }
    int DefaultPort() const { return bindings_.DefaultPort(); }
    void SetDefaultPort(int port) { bindings_.SetDefaultPort(port); }

    // SOMAXCONN of Winsock, without its header: the longest queue the system allows.
    static constexpr int MaxListenQueue = 0x7fffffff;
    int ListenQueue() const { return listenQueue_; }
    void SetListenQueue(int value) { listenQueue_ = value; }
    TIdReuseSocket ReuseSocket() const { return reuseSocket_; }
    void SetReuseSocket(TIdReuseSocket value) { reuseSocket_ = value; }
    bool UseNagle() const { return useNagle_; }
    void SetUseNagle(bool value) { useNagle_ = value; }
    int TerminateWaitTime() const { return terminateWaitTime_; }
    void SetTerminateWaitTime(int ms) { terminateWaitTime_ = ms; }

    bool Active() const { return active_.load(); }
    // Starting raises when a binding cannot listen (EIdCouldNotBindSocket for a port in use or
    // out of range) or OnExecute is not assigned; the server then stays inactive.
    void SetActive(bool value);
    // Closes the listening sockets only; open connections go on and the server stays active.
    void StopListening();

    TIdContextThreadList* Contexts();

    TIdServerThreadEvent OnConnect;
    TIdServerThreadEvent OnExecute;
    TIdServerThreadEvent OnDisconnect;
    TIdServerThreadExceptionEvent OnException;
    // Runs on the listening thread for a failure there; listening goes on.
    TIdListenExceptionEvent OnListenException;

private:
    struct Handlers;
    struct Worker;
    struct Shared;
    struct Listener;
    struct ConnectionThread;

    void Start();
    void Stop();
    std::unique_ptr<Listener> OpenListener(TIdSocketHandle& binding);

    static void RunListener(std::shared_ptr<Shared> shared, Listener* listener,
                            std::shared_ptr<const Handlers> handlers);
    static void AcceptPending(const std::shared_ptr<Shared>& shared, Listener& listener,
                              const std::shared_ptr<const Handlers>& handlers);
    static void RunConnectionThread(std::shared_ptr<Shared> shared, std::shared_ptr<ConnectionThread> self,
                                    std::shared_ptr<Worker> worker, std::shared_ptr<const Handlers> handlers);
    static void RunConnection(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Worker>& worker,
                              const std::shared_ptr<const Handlers>& handlers);

    TIdSocketHandles bindings_;
    int listenQueue_ = 15;
    TIdReuseSocket reuseSocket_ = rsOSDependent;
    bool useNagle_ = true;
    int terminateWaitTime_ = 5000;
    std::atomic<bool> active_{false};
    bool changing_ = false;
    std::shared_ptr<Shared> shared_;
    std::vector<std::unique_ptr<Listener>> listeners_;
};
