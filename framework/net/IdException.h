#pragma once
// Exceptions of the TCP layer. The class names are what a connection's exception handler shows.
#include "Exceptions.h"

FW_DECLARE_EXCEPTION(EIdException, Exception);
// The peer closed the connection while a read still waited for bytes.
FW_DECLARE_EXCEPTION(EIdConnClosedGracefully, EIdException);
// Reading or writing after the connection was closed on this side.
FW_DECLARE_EXCEPTION(EIdNotConnected, EIdException);
// A server was activated without a handler for its connections.
FW_DECLARE_EXCEPTION(EIdTCPNoOnExecute, EIdException);

// A Winsock call failed; LastError() is the WSA error code.
class EIdSocketError : public EIdException {
public:
    // Message "Socket Error # <code>" and the system's text for the code.
    explicit EIdSocketError(int lastError);
    EIdSocketError(int lastError, std::wstring message);

    std::wstring ClassName() const override { return L"EIdSocketError"; }
    int LastError() const noexcept { return lastError_; }

private:
    int lastError_;
};

// Binding a listening socket failed (port in use, address not local, port out of range).
FW_DECLARE_EXCEPTION(EIdCouldNotBindSocket, EIdSocketError);
