#pragma once
// Socket addresses: a server's bindings (local address and port to listen on) and, for an open
// connection, its local and peer ends.
#include "Objects.h"

#include <memory>
#include <vector>

class TIdSocketHandle : public TObject {
public:
    UnicodeString ClassName() const override { return L"TIdSocketHandle"; }

    // Dotted IPv4 text; empty or "0.0.0.0" means every local address.
    const UnicodeString& IP() const { return ip_; }
    void SetIP(const UnicodeString& ip) { ip_ = ip; }
    // 0 lets the system choose; after a server starts, its bindings hold the port in use.
    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }

    const UnicodeString& PeerIP() const { return peerIP_; }
    int PeerPort() const { return peerPort_; }

    // Filled in by the layer for accepted connections.
    void SetPeer(const UnicodeString& ip, int port)
    {
        peerIP_ = ip;
        peerPort_ = port;
    }

private:
    UnicodeString ip_;
    int port_ = 0;
    UnicodeString peerIP_;
    int peerPort_ = 0;
};

// The server's list of bindings. Add() starts a binding on every local address with the
// server's default port.
class TIdSocketHandles : public TObject {
public:
    UnicodeString ClassName() const override { return L"TIdSocketHandles"; }

    TIdSocketHandle* Add();
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    TIdSocketHandle* Items(int index) const;  // EListError outside 0..Count-1

    int DefaultPort() const { return defaultPort_; }
    void SetDefaultPort(int port) { defaultPort_ = port; }

private:
    std::vector<std::unique_ptr<TIdSocketHandle>> items_;
    int defaultPort_ = 0;
};
