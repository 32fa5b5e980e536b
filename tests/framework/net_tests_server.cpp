// TCP server layer against real sockets on 127.0.0.1 (ports chosen by the system).
#include <winsock2.h>
#include <ws2tcpip.h>

#include "IdSync.h"
#include "IdTCPServer.h"
#include "Threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct WinsockForTests {
    WinsockForTests()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockForTests() { WSACleanup(); }
} winsockForTests;

// Polls pred until it holds or 10 s pass; with pump the main thread runs Synchronize calls.
template <class Pred>
bool WaitFor(Pred pred, bool pump = false)
{
    const auto deadline = Clock::now() + 10s;
    while (!pred()) {
        if (Clock::now() > deadline) return false;
        if (pump)
            CheckSynchronize(1);
        else
            std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Blocking test client; every receive gives up after 10 s.
class Client {
public:
    explicit Client(int port)
    {
        socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        DWORD timeout = 10000;
        setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<u_short>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~Client() { Close(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool Connected() const { return connected_; }
    void Send(const std::string& bytes) { send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0); }
    // Up to n bytes; fewer when the server closes or nothing comes for 10 s.
    std::string Receive(size_t n)
    {
        std::string out;
        char chunk[256];
        while (out.size() < n) {
            int got = recv(socket_, chunk, static_cast<int>(std::min(sizeof(chunk), n - out.size())), 0);
            if (got <= 0) break;
            out.append(chunk, static_cast<size_t>(got));
        }
        return out;
    }
    // True when the server closed the connection (orderly or by reset).
    bool SeesClose()
    {
        char c;
        int got = recv(socket_, &c, 1, 0);
        return got == 0 || (got < 0 && WSAGetLastError() != WSAETIMEDOUT);
    }
    void Close()
    {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
    bool connected_ = false;
};

int ContextCount(TIdTCPServer& server)
{
    TIdContextList* list = server.Contexts()->LockList();
    int n = list->Count();
    server.Contexts()->UnlockList();
    return n;
}

std::string BytesText(const TIdBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Echoes whatever arrives, in the way the gateway worker reads: short wait, then all buffered.
void Echo(TIdContext* context)
{
    TIdIOHandler* io = context->Connection()->IOHandler();
    if (io->InputBufferIsEmpty()) io->CheckForDataOnSource(20);
    if (io->InputBufferIsEmpty()) return;
    TIdBytes bytes;
    io->ReadBytes(bytes, io->InputBuffer()->Size());
    io->Write(bytes, static_cast<int>(bytes.size()));
}

// Echoes exactly n bytes and then closes, the server closing first as the gateway worker does.
// The read waits however late the client sends: a one-shot handler that gave up after Echo's
// short wait would close on a client that was merely slow (a loaded machine), not wrong.
void EchoAndClose(TIdContext* context, int n)
{
    TIdIOHandler* io = context->Connection()->IOHandler();
    TIdBytes bytes;
    io->ReadBytes(bytes, n);
    io->Write(bytes, n);
    context->Connection()->Disconnect();
}

// What the handlers saw; guarded because they run on connection threads.
struct Record {
    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<std::wstring> exceptionClasses;
    std::vector<std::wstring> exceptionMessages;
    std::atomic<int> connects{0}, executes{0}, disconnects{0}, exceptions{0};

    void Add(const std::string& event)
    {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(event);
    }
};

class NetServer : public ::testing::Test {
protected:
    NetServer()
    {
        server.OnConnect = [this](TIdContext*) {
            ++record.connects;
            record.Add("connect");
        };
        server.OnDisconnect = [this](TIdContext*) {
            ++record.disconnects;
            record.Add("disconnect");
        };
        server.OnException = [this](TIdContext*, Exception* e) {
            {
                std::lock_guard<std::mutex> lock(record.mutex);
                record.exceptionClasses.push_back(e->ClassName());
                record.exceptionMessages.push_back(e->Message());
            }
            ++record.exceptions;
            record.Add("exception");
        };
        server.SetUseNagle(false);
        server.SetListenQueue(10);
        server.SetReuseSocket(rsFalse);
        server.SetTerminateWaitTime(5000);
    }

    // Listens on 127.0.0.1 at a free port and returns it.
    int Start()
    {
        server.Bindings()->Clear();
        TIdSocketHandle* binding = server.Bindings()->Add();
        binding->SetIP(L"127.0.0.1");
        binding->SetPort(0);
        server.SetActive(true);
        return server.Bindings()->Items(0)->Port();
    }

    Record record;
    TIdTCPServer server{nullptr};  // after record: stops before record goes
};

TEST_F(NetServer, EchoesAndKnowsThePeerAndTheContextCountAtConnect)
{
    std::mutex mutex;
    std::wstring peer;
    int countAtConnect = -1;
    server.OnConnect = [&](TIdContext* context) {
        std::lock_guard<std::mutex> lock(mutex);
        peer = context->Connection()->Socket()->Binding()->PeerIP();
        countAtConnect = ContextCount(server);
    };
    server.OnExecute = Echo;
    const int port = Start();
    ASSERT_GT(port, 0);
    EXPECT_TRUE(server.Active());

    Client client(port);
    ASSERT_TRUE(client.Connected());
    client.Send("hello");
    EXPECT_EQ(client.Receive(5), "hello");
    client.Send(std::string("\x00\xff\x16", 3));
    EXPECT_EQ(client.Receive(3), std::string("\x00\xff\x16", 3));

    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(peer, L"127.0.0.1");
    EXPECT_EQ(countAtConnect, 1);
}

TEST_F(NetServer, ReadBytesWaitsForAPieceThatArrivesLater)
{
    std::atomic<int> firstPieceSize{0};
    std::mutex mutex;
    TIdBytes whole;
    server.OnExecute = [&](TIdContext* context) {
        TIdIOHandler* io = context->Connection()->IOHandler();
        while (io->InputBuffer()->Size() < 3) io->CheckForDataOnSource(20);
        firstPieceSize = io->InputBuffer()->Size();
        TIdBytes bytes{'>'};
        io->ReadBytes(bytes, 7);  // appends; the second piece is not sent yet
        {
            std::lock_guard<std::mutex> lock(mutex);
            whole = bytes;
        }
        context->Connection()->Disconnect();
    };
    Client client(Start());
    client.Send("abc");
    ASSERT_TRUE(WaitFor([&] { return firstPieceSize.load() != 0; }));
    EXPECT_EQ(firstPieceSize.load(), 3);
    client.Send("defg");
    EXPECT_TRUE(client.SeesClose());
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(BytesText(whole), ">abcdefg");
}

TEST_F(NetServer, PeerCloseEndsTheLoopAfterTheLastBufferedByte)
{
    std::mutex mutex;
    std::string received;
    std::atomic<bool> connectedAtDisconnect{true};
    server.OnExecute = [&](TIdContext* context) {
        ++record.executes;
        TIdIOHandler* io = context->Connection()->IOHandler();
        if (io->InputBufferIsEmpty()) {
            io->CheckForDataOnSource(10);
            return;
        }
        // One byte per call: the bytes sent just before the close still come in.
        const char c = static_cast<char>(io->ReadByte());
        std::lock_guard<std::mutex> lock(mutex);
        received += c;
    };
    server.OnDisconnect = [&](TIdContext* context) {
        connectedAtDisconnect = context->Connection()->Connected();
        ++record.disconnects;
    };
    Client client(Start());
    ASSERT_TRUE(WaitFor([&] { return record.executes.load() >= 3; }));  // called again and again
    client.Send("xyz");
    client.Close();

    ASSERT_TRUE(WaitFor([&] { return record.disconnects.load() == 1; }));
    EXPECT_FALSE(connectedAtDisconnect.load());
    EXPECT_EQ(record.exceptions.load(), 0);
    EXPECT_TRUE(WaitFor([&] { return ContextCount(server) == 0; }));
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(received, "xyz");
}

TEST_F(NetServer, ExceptionLeavingOnExecuteReachesOnExceptionAndEndsTheConnection)
{
    struct Case {
        const char* name;
        std::function<void()> raise;
        std::wstring className;
        std::wstring message;
    };
    const Case cases[] = {
        {"framework exception", [] { throw EConvertError(L"bad frame"); }, L"EConvertError", L"bad frame"},
        {"standard exception", [] { throw std::runtime_error("boom"); }, L"Exception", L"boom"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Record record;
        TIdTCPServer server(nullptr);
        server.OnConnect = [&](TIdContext*) { record.Add("connect"); };
        server.OnExecute = [&](TIdContext*) {
            record.Add("execute");
            c.raise();
        };
        server.OnException = [&](TIdContext* context, Exception* e) {
            std::lock_guard<std::mutex> lock(record.mutex);
            record.events.push_back(context->Connection()->Connected() ? "exception" : "exception-closed");
            record.exceptionClasses.push_back(e->ClassName());
            record.exceptionMessages.push_back(e->Message());
        };
        server.OnDisconnect = [&](TIdContext*) { record.Add("disconnect"); };
        TIdSocketHandle* binding = server.Bindings()->Add();
        binding->SetIP(L"127.0.0.1");
        server.SetActive(true);

        Client client(server.Bindings()->Items(0)->Port());
        client.Send("?");
        EXPECT_TRUE(client.SeesClose());
        ASSERT_TRUE(WaitFor([&] { return ContextCount(server) == 0; }));
        std::lock_guard<std::mutex> lock(record.mutex);
        EXPECT_EQ(record.events, (std::vector<std::string>{"connect", "execute", "exception", "disconnect"}));
        EXPECT_EQ(record.exceptionClasses, std::vector<std::wstring>{c.className});
        EXPECT_EQ(record.exceptionMessages, std::vector<std::wstring>{c.message});
    }
}

TEST_F(NetServer, BlockingReadRaisesWhenThePeerCloses)
{
    server.OnExecute = [this](TIdContext* context) {
        ++record.executes;
        context->Connection()->IOHandler()->ReadByte();
    };
    Client client(Start());
    ASSERT_TRUE(WaitFor([&] { return record.executes.load() == 1; }));
    client.Close();
    ASSERT_TRUE(WaitFor([&] { return record.disconnects.load() == 1; }));
    std::lock_guard<std::mutex> lock(record.mutex);
    ASSERT_EQ(record.exceptionClasses.size(), 1u);
    // A close gives the graceful-close exception; a reset the socket error.
    EXPECT_TRUE(record.exceptionClasses[0] == L"EIdConnClosedGracefully" ||
                record.exceptionClasses[0] == L"EIdSocketError")
        << std::string(record.exceptionClasses[0].begin(), record.exceptionClasses[0].end());
}

TEST_F(NetServer, WriteSendsTheCountButNeverBeyondTheBuffer)
{
    server.OnExecute = [](TIdContext* context) {
        TIdIOHandler* io = context->Connection()->IOHandler();
        io->Write(TIdBytes{'1', '2', '3', '4', '5'}, 3);
        io->Write(TIdBytes{'6', '7'}, 10);
        io->Write(TIdBytes{'8'});
        io->Write(TIdBytes{'9'}, 0);
        context->Connection()->Disconnect();
    };
    Client client(Start());
    EXPECT_EQ(client.Receive(100), "123678");
}

TEST_F(NetServer, StartFailsOnAPortInUseOrOutOfRangeAndLeavesTheServerInactive)
{
    server.OnExecute = Echo;
    SOCKET holder = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(holder, 1), 0);
    int length = sizeof(address);
    getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length);
    const int usedPort = ntohs(address.sin_port);

    const struct {
        const wchar_t* ip;
        int port;
        int error;
    } cases[] = {{L"127.0.0.1", usedPort, WSAEADDRINUSE}, {L"", 70000, WSAEINVAL}, {L"", -1, WSAEINVAL},
                 {L"127.0.0.300", 0, WSAEINVAL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        server.Bindings()->Clear();
        TIdSocketHandle* binding = server.Bindings()->Add();
        binding->SetIP(c.ip);
        binding->SetPort(c.port);
        try {
            server.SetActive(true);
            ADD_FAILURE() << "no exception";
        } catch (const EIdCouldNotBindSocket& e) {
            EXPECT_EQ(e.LastError(), c.error);
            EXPECT_EQ(e.ClassName(), L"EIdCouldNotBindSocket");
        }
        EXPECT_FALSE(server.Active());
    }
    closesocket(holder);

    // The same server starts once the binding is usable.
    const int port = Start();
    Client client(port);
    client.Send("ok");
    EXPECT_EQ(client.Receive(2), "ok");

    TIdTCPServer noHandler(nullptr);
    EXPECT_THROW(noHandler.SetActive(true), EIdTCPNoOnExecute);
    EXPECT_FALSE(noHandler.Active());
}

TEST_F(NetServer, BindingsAreReadAtEveryStartAndThePortCanBeTakenAgain)
{
    server.OnExecute = [](TIdContext* context) { EchoAndClose(context, 1); };
    const int first = Start();
    {
        Client client(first);
        client.Send("1");
        EXPECT_EQ(client.Receive(1), "1");
        EXPECT_TRUE(client.SeesClose());
    }
    server.SetActive(false);

    // Same port again right after connections were closed by the server.
    server.Bindings()->Clear();
    server.Bindings()->Add()->SetPort(first);
    server.SetActive(true);
    {
        Client client(first);
        client.Send("2");
        EXPECT_EQ(client.Receive(1), "2");
    }
    server.SetActive(false);

    // Without bindings the server listens on every address at the default port.
    server.Bindings()->Clear();
    server.SetDefaultPort(first);
    server.SetActive(true);
    ASSERT_EQ(server.Bindings()->Count(), 1);
    EXPECT_EQ(server.Bindings()->Items(0)->IP(), L"");
    EXPECT_EQ(server.Bindings()->Items(0)->Port(), first);
    {
        Client client(first);
        client.Send("3");
        EXPECT_EQ(client.Receive(1), "3");
    }
    server.SetActive(false);

    // A new binding replaces the old one.
    const int second = Start();
    EXPECT_NE(second, first);
    EXPECT_EQ(server.Bindings()->Count(), 1);
    EXPECT_FALSE(Client(first).Connected());
    EXPECT_TRUE(Client(second).Connected());
}

TEST_F(NetServer, WorkerSeesTheStopFlagSetUnderTheListLock)
{
    server.OnExecute = [](TIdContext* context) {
        TIdIOHandler* io = context->Connection()->IOHandler();
        while (context->Connection()->Tag() == 0) io->CheckForDataOnSource(20);
        io->Write(TIdBytes{'S'});
        context->Connection()->Disconnect();
    };
    Client client(Start());
    ASSERT_TRUE(WaitFor([&] { return ContextCount(server) == 1; }));

    TIdContextList* list = server.Contexts()->LockList();
    for (TIdContext* context : *list) context->Connection()->SetTag(1);
    server.Contexts()->UnlockList();

    EXPECT_EQ(client.Receive(1), "S");
    EXPECT_TRUE(client.SeesClose());
}

TEST_F(NetServer, ContextListCountsOpenConnections)
{
    server.OnExecute = Echo;
    const int port = Start();
    auto a = std::make_unique<Client>(port);
    auto b = std::make_unique<Client>(port);
    auto c = std::make_unique<Client>(port);
    ASSERT_TRUE(WaitFor([&] { return ContextCount(server) == 3; }));

    TIdContextList* list = server.Contexts()->LockList();
    TIdContextList* again = server.Contexts()->LockList();  // the same thread may lock again
    EXPECT_EQ(again, list);
    EXPECT_NE(list->Items(2), nullptr);
    EXPECT_THROW(list->Items(3), EListError);
    EXPECT_THROW(list->Items(-1), EListError);
    server.Contexts()->UnlockList();
    server.Contexts()->UnlockList();

    b.reset();
    EXPECT_TRUE(WaitFor([&] { return ContextCount(server) == 2; }));
    a.reset();
    c.reset();
    EXPECT_TRUE(WaitFor([&] { return ContextCount(server) == 0; }));
    EXPECT_EQ(record.disconnects.load(), 3);
}

TEST_F(NetServer, StopListeningKeepsOpenConnections)
{
    server.OnExecute = Echo;
    const int port = Start();
    Client open(port);
    ASSERT_TRUE(WaitFor([&] { return ContextCount(server) == 1; }));

    server.StopListening();
    EXPECT_TRUE(server.Active());
    EXPECT_FALSE(Client(port).Connected());
    open.Send("still");
    EXPECT_EQ(open.Receive(5), "still");
}

TEST_F(NetServer, StopDisconnectsBlockedConnectionsAndEndsTheirThreads)
{
    server.OnExecute = [this](TIdContext* context) {
        ++record.executes;
        context->Connection()->IOHandler()->ReadByte();
    };
    const int port = Start();
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 3; ++i) clients.push_back(std::make_unique<Client>(port));
    ASSERT_TRUE(WaitFor([&] { return record.executes.load() == 3; }));

    const auto started = Clock::now();
    server.SetActive(false);
    EXPECT_LT(Clock::now() - started, 4s);  // not the whole wait time: the reads end at once

    EXPECT_FALSE(server.Active());
    EXPECT_EQ(record.disconnects.load(), 3);  // already, not eventually: the threads were waited for
    EXPECT_EQ(ContextCount(server), 0);
    for (auto& client : clients) EXPECT_TRUE(client->SeesClose());
    std::lock_guard<std::mutex> lock(record.mutex);
    EXPECT_EQ(record.exceptionClasses, std::vector<std::wstring>(3, L"EIdNotConnected"));
}

TEST_F(NetServer, ConnectionsOneAfterAnotherEachGetTheirEventsAndNoThreadOutlivesTheStop)
{
    // A thread whose connection has ended may serve a later one; each connection still gets its
    // own connect, execute and disconnect, and the stop ends every thread, waiting ones too.
    std::mutex mutex;
    std::vector<std::pair<DWORD, HANDLE>> threads;
    server.OnExecute = [&](TIdContext* context) {
        ++record.executes;
        {
            std::lock_guard<std::mutex> lock(mutex);
            const DWORD id = GetCurrentThreadId();
            if (std::none_of(threads.begin(), threads.end(), [&](const auto& t) { return t.first == id; }))
                threads.emplace_back(id, OpenThread(SYNCHRONIZE, FALSE, id));
        }
        EchoAndClose(context, 4);
    };
    const int port = Start();
    constexpr int kConnections = 5;
    for (int i = 0; i < kConnections; ++i) {
        Client client(port);
        client.Send("ping");
        EXPECT_EQ(client.Receive(4), "ping");
        EXPECT_TRUE(client.SeesClose());
        ASSERT_TRUE(WaitFor([&] { return record.disconnects.load() == i + 1 && ContextCount(server) == 0; }));
    }
    EXPECT_EQ(record.connects.load(), kConnections);
    EXPECT_EQ(record.executes.load(), kConnections);

    server.SetActive(false);
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& [id, handle] : threads) {
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_OBJECT_0) << "thread " << id << " still runs";
        CloseHandle(handle);
    }
}

class MainThreadSync : public TIdSync {
public:
    using TIdSync::TIdSync;
    std::atomic<DWORD> ranOn{0};

protected:
    void DoSynchronize() override { ranOn = GetCurrentThreadId(); }
};

TEST_F(NetServer, SyncRunsOnTheMainThreadWhileTheConnectionWaits)
{
    std::atomic<DWORD> syncThread{0}, methodThread{0}, workerThread{0};
    std::atomic<bool> done{false};
    server.OnExecute = [&](TIdContext* context) {
        workerThread = GetCurrentThreadId();
        MainThreadSync sync(context);
        EXPECT_EQ(sync.Thread(), context);
        sync.Synchronize();
        syncThread = sync.ranOn.load();
        TIdSync::SynchronizeMethod([&] { methodThread = GetCurrentThreadId(); });
        done = true;
        context->Connection()->Disconnect();
    };
    Client client(Start());
    ASSERT_TRUE(WaitFor([&] { return done.load(); }, true));
    EXPECT_EQ(syncThread.load(), MainThreadID);
    EXPECT_EQ(methodThread.load(), MainThreadID);
    EXPECT_NE(workerThread.load(), MainThreadID);
}

TEST_F(NetServer, StopOnTheMainThreadServicesAConnectionBlockedInSync)
{
    std::atomic<bool> entering{false};
    std::atomic<DWORD> ranOn{0};
    server.OnExecute = [&](TIdContext* context) {
        MainThreadSync sync(context);
        entering = true;
        sync.Synchronize();  // the main thread is not pumping: it is about to stop the server
        ranOn = sync.ranOn.load();
        context->Connection()->Disconnect();
    };
    Client client(Start());
    ASSERT_TRUE(WaitFor([&] { return entering.load(); }));

    const auto started = Clock::now();
    server.SetActive(false);
    EXPECT_LT(Clock::now() - started, 4s);
    EXPECT_EQ(ranOn.load(), MainThreadID);
    EXPECT_EQ(record.disconnects.load(), 1);
}

TEST_F(NetServer, StopLetsGoOfAHandlerThatIgnoresTheDisconnectAfterTheWaitTime)
{
    // Shared with the connection thread, which may outlive this test body.
    struct State {
        std::atomic<bool> inHandler{false}, release{false}, returned{false};
        std::atomic<int> disconnects{0};
    };
    auto state = std::make_shared<State>();
    server.OnExecute = [state](TIdContext*) {
        state->inHandler = true;
        while (!state->release.load()) std::this_thread::sleep_for(1ms);
        state->returned = true;
    };
    server.OnDisconnect = [state](TIdContext*) { ++state->disconnects; };
    server.SetTerminateWaitTime(200);
    Client client(Start());
    ASSERT_TRUE(WaitFor([&] { return state->inHandler.load(); }));

    const auto started = Clock::now();
    server.SetActive(false);
    const auto took = Clock::now() - started;
    EXPECT_GE(took, 200ms);
    EXPECT_LT(took, 4s);
    EXPECT_FALSE(server.Active());
    EXPECT_EQ(ContextCount(server), 0);
    EXPECT_TRUE(client.SeesClose());

    state->release = true;
    ASSERT_TRUE(WaitFor([&] { return state->returned.load(); }));
    EXPECT_EQ(state->disconnects.load(), 0);  // let go: no events after the stop returned
}
} // namespace
