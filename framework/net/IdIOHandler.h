#pragma once
// One TCP connection: its I/O handler (input buffer, reads, waits, writes) and the connection
// object that a server context hands to its handlers.
//
// The reads, waits and writes belong to the connection's own thread. Disconnect() and the
// connection's Tag may be used from any thread: Disconnect() shuts the socket down and wakes a
// read or write that is waiting, which then ends; the socket itself is closed by its thread.
#include "Components.h"
#include "IdSocketHandle.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

using TIdBytes = std::vector<std::uint8_t>;

// Bytes received but not yet read.
class TIdBuffer {
public:
    int Size() const { return static_cast<int>(bytes_.size()); }

private:
    friend class TIdIOHandler;
    std::deque<std::uint8_t> bytes_;
};

class TIdIOHandler : public TObject {
public:
    // Takes an open, connected socket (a Winsock SOCKET) and closes it when destroyed.
    explicit TIdIOHandler(std::uintptr_t socket);
    ~TIdIOHandler() override;

    UnicodeString ClassName() const override { return L"TIdIOHandler"; }

    bool InputBufferIsEmpty() const { return inputBuffer_.bytes_.empty(); }
    TIdBuffer* InputBuffer() { return &inputBuffer_; }

    // Block until the bytes are there. A peer that closed the connection raises
    // EIdConnClosedGracefully (EIdSocketError after a reset), a local Disconnect EIdNotConnected.
    std::uint8_t ReadByte();
    // Reads count bytes, appended to buffer or replacing its content.
    void ReadBytes(TIdBytes& buffer, int count, bool append = true);

    // Waits up to timeoutMs for bytes and moves what has arrived into the input buffer. True when
    // bytes were added; false on time-out or a closed connection (which it never raises).
    bool CheckForDataOnSource(int timeoutMs = 0);

    // Sends the first count bytes of buffer, all of them when count is negative. A count larger
    // than the buffer sends the whole buffer and nothing beyond it.
    void Write(const TIdBytes& buffer, int count = -1);

    // True while neither side closed the connection, and after the peer closed it while
    // received bytes are still unread.
    bool Connected();

    // Shuts the connection down; safe from any thread.
    void Close();

    // Local address and port, and the peer's.
    TIdSocketHandle* Binding() { return &binding_; }

private:
    // Moves what the socket holds into the input buffer, waiting up to timeoutMs (-1: without
    // limit) for the first bytes. wanted is how many buffered bytes a read needs.
    int ReadFromSource(int timeoutMs, int wanted = 0);
    // Waits for socket activity or Close(); false on time-out.
    bool WaitForSocket(int timeoutMs);
    // Raises why no more bytes can come.
    [[noreturn]] void RaiseClosed() const;

    std::uintptr_t socket_;
    // FD_READ, FD_WRITE, FD_CLOSE of the socket, and set by Close() (after closed_): one event,
    // since each costs a connection two round trips to the Wine server (made and closed).
    void* socketEvent_ = nullptr;
    std::mutex closeMutex_;
    std::atomic<bool> closed_{false};
    bool peerClosed_ = false;
    int lastError_ = 0;
    TIdBuffer inputBuffer_;
    TIdSocketHandle binding_;
};

class TIdTCPConnection : public TComponent {
public:
    // Takes the I/O handler.
    explicit TIdTCPConnection(std::unique_ptr<TIdIOHandler> ioHandler);

    UnicodeString ClassName() const override { return L"TIdTCPConnection"; }

    TIdIOHandler* IOHandler() const { return ioHandler_.get(); }
    TIdIOHandler* Socket() const { return ioHandler_.get(); }

    bool Connected() { return ioHandler_->Connected(); }
    void Disconnect() { ioHandler_->Close(); }

private:
    std::unique_ptr<TIdIOHandler> ioHandler_;
};
