#include "IdIOHandler.h"

#include "IdException.h"
#include "IdWinsock.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>

namespace {
// Reading stops filling the input buffer above this size until the handler takes bytes out,
// so a peer cannot grow it without bound; TCP flow control holds the rest back.
constexpr int kMaxBuffered = 1 << 20;

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, INT_MAX));
}

bool IsConnectionLoss(int error)
{
    switch (error) {
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENETRESET:
    case WSAESHUTDOWN:
    case WSAENOTCONN:
    case WSAETIMEDOUT:
        return true;
    default:
        return false;
    }
}
} // namespace

TIdIOHandler::TIdIOHandler(std::uintptr_t socket) : socket_(socket)
{
    const SOCKET s = static_cast<SOCKET>(socket_);
    socketEvent_ = WSACreateEvent();
    // An accepted socket inherits the listener's event selection; this replaces it.
    if (socketEvent_ == WSA_INVALID_EVENT || WSAEventSelect(s, socketEvent_, FD_READ | FD_WRITE | FD_CLOSE) != 0) {
        const int error = WSAGetLastError();
        if (socketEvent_ != WSA_INVALID_EVENT) WSACloseEvent(socketEvent_);
        closesocket(s);
        throw EIdSocketError(error);
    }
    sockaddr_in address{};
    int length = sizeof(address);
    if (getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0 && address.sin_family == AF_INET) {
        binding_.SetIP(IdAddressText(address.sin_addr));
        binding_.SetPort(ntohs(address.sin_port));
    }
    length = sizeof(address);
    if (getpeername(s, reinterpret_cast<sockaddr*>(&address), &length) == 0 && address.sin_family == AF_INET)
        binding_.SetPeer(IdAddressText(address.sin_addr), ntohs(address.sin_port));
}

TIdIOHandler::~TIdIOHandler()
{
    {
        std::lock_guard<std::mutex> lock(closeMutex_);
        closesocket(static_cast<SOCKET>(socket_));
        socket_ = static_cast<std::uintptr_t>(INVALID_SOCKET);
    }
    WSACloseEvent(socketEvent_);
}

void TIdIOHandler::Close()
{
    std::lock_guard<std::mutex> lock(closeMutex_);
    if (closed_.exchange(true)) return;
    if (static_cast<SOCKET>(socket_) != INVALID_SOCKET) shutdown(static_cast<SOCKET>(socket_), SD_BOTH);
    // A waiter wakes and finds closed_ set. Should its reset of the event come after this, it
    // still finds closed_ before it waits again.
    WSASetEvent(socketEvent_);
}

bool TIdIOHandler::WaitForSocket(int timeoutMs)
{
    if (closed_.load()) return true;
    const DWORD result = WSAWaitForMultipleEvents(1, &socketEvent_, FALSE,
                                                  timeoutMs < 0 ? WSA_INFINITE : static_cast<DWORD>(timeoutMs), FALSE);
    if (result == WSA_WAIT_TIMEOUT) return false;
    if (result == WSA_WAIT_EVENT_0 && !closed_.load()) {
        // Resets the event; the next recv or send tells what happened.
        WSANETWORKEVENTS network{};
        WSAEnumNetworkEvents(static_cast<SOCKET>(socket_), socketEvent_, &network);
    }
    return true;
}

int TIdIOHandler::ReadFromSource(int timeoutMs, int wanted)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    const size_t limit = static_cast<size_t>(std::max(kMaxBuffered, wanted));
    int total = 0;
    std::array<char, 8192> chunk;
    while (!closed_.load() && !peerClosed_ && inputBuffer_.bytes_.size() < limit) {
        const int n = recv(static_cast<SOCKET>(socket_), chunk.data(), static_cast<int>(chunk.size()), 0);
        if (n > 0) {
            inputBuffer_.bytes_.insert(inputBuffer_.bytes_.end(), chunk.begin(), chunk.begin() + n);
            total += n;
            if (n < static_cast<int>(chunk.size())) break;  // the socket is drained
            continue;
        }
        if (n == 0) {
            peerClosed_ = true;
            break;
        }
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) {
            peerClosed_ = true;
            lastError_ = error;
            break;
        }
        if (total > 0) break;
        if (timeoutMs >= 0) {
            const int left = RemainingMs(deadline);
            if (left == 0 || !WaitForSocket(left)) break;
        } else {
            WaitForSocket(-1);
        }
    }
    return total;
}

void TIdIOHandler::RaiseClosed() const
{
    if (closed_.load()) throw EIdNotConnected(L"Not Connected");
    if (lastError_ != 0) throw EIdSocketError(lastError_);
    throw EIdConnClosedGracefully(L"Connection Closed Gracefully.");
}

std::uint8_t TIdIOHandler::ReadByte()
{
    while (inputBuffer_.bytes_.empty()) {
        if (closed_.load() || peerClosed_) RaiseClosed();
        ReadFromSource(-1, 1);
    }
    const std::uint8_t value = inputBuffer_.bytes_.front();
    inputBuffer_.bytes_.pop_front();
    return value;
}

void TIdIOHandler::ReadBytes(TIdBytes& buffer, int count, bool append)
{
    if (count < 0) throw ERangeError(SRangeError);
    const size_t needed = static_cast<size_t>(count);
    while (inputBuffer_.bytes_.size() < needed) {
        if (closed_.load() || peerClosed_) RaiseClosed();
        ReadFromSource(-1, count);
    }
    if (!append) buffer.clear();
    auto first = inputBuffer_.bytes_.begin();
    buffer.insert(buffer.end(), first, first + count);
    inputBuffer_.bytes_.erase(first, first + count);
}

bool TIdIOHandler::CheckForDataOnSource(int timeoutMs)
{
    return ReadFromSource(std::max(timeoutMs, 0)) > 0;
}

void TIdIOHandler::Write(const TIdBytes& buffer, int count)
{
    const size_t length = count < 0 ? buffer.size() : std::min(buffer.size(), static_cast<size_t>(count));
    size_t sent = 0;
    while (sent < length) {
        if (closed_.load()) RaiseClosed();
        const int part = static_cast<int>(std::min<size_t>(length - sent, INT_MAX));
        const int n = send(static_cast<SOCKET>(socket_), reinterpret_cast<const char*>(buffer.data() + sent), part, 0);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        const int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            WaitForSocket(-1);
            continue;
        }
        if (closed_.load()) RaiseClosed();
        if (IsConnectionLoss(error)) {
            peerClosed_ = true;
            lastError_ = error;
        }
        throw EIdSocketError(error);
    }
}

bool TIdIOHandler::Connected()
{
    if (closed_.load()) return false;
    ReadFromSource(0);
    return !peerClosed_ || !inputBuffer_.bytes_.empty();
}

TIdTCPConnection::TIdTCPConnection(std::unique_ptr<TIdIOHandler> ioHandler)
    : TComponent(nullptr), ioHandler_(std::move(ioHandler))
{
}
