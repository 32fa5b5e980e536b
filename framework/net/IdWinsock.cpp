#include "IdWinsock.h"

#include "IdException.h"

namespace {
struct WinsockSession {
    int error = 0;
    WinsockSession()
    {
        WSADATA data{};
        error = WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockSession()
    {
        if (error == 0) WSACleanup();
    }
};
} // namespace

void IdEnsureWinsock()
{
    static WinsockSession session;
    if (session.error != 0) throw EIdSocketError(session.error);
}

std::wstring IdAddressText(const in_addr& address)
{
    wchar_t text[INET_ADDRSTRLEN] = {};
    if (InetNtopW(AF_INET, &address, text, INET_ADDRSTRLEN) == nullptr) return {};
    return text;
}
