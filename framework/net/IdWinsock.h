#pragma once
// Winsock helpers shared by the layer's sources; not for callers of the layer.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

// Starts Winsock once for the process; raises EIdSocketError when it cannot.
void IdEnsureWinsock();

// Dotted text of an IPv4 address.
std::wstring IdAddressText(const in_addr& address);
