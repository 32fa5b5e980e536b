#include "server_tests_contact_sim.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <bcrypt.h>

#include <stdexcept>

namespace sim {

KeyIv Derive(const DerivationBytes& d, const GatewayIdBytes& g, const MasterKeyBytes& m)
{
    const uint32_t v = (uint32_t{d[0]} << 24) | (uint32_t{d[1]} << 16) | (uint32_t{d[2]} << 8) | d[3];
    auto b = [v](int shift) { return static_cast<uint8_t>((v >> shift) & 0xFF); };
    KeyIv out;
    out.Iv = {b(8), b(0), b(8), b(0), b(7), b(11), g[0], g[2], b(8), b(8), b(8), g[0], g[0], b(8), g[1], g[0]};
    out.Key = {b(8), g[0], g[2], g[1], b(7), b(1), b(2), b(11), b(0), b(1), b(5), b(13), b(6), b(0), b(0), b(3)};
    for (int i = 0; i < 16; ++i) out.Key[i] ^= m[i];
    out.Key[5] ^= b(8);
    return out;
}

namespace {
Bytes Cbc(const KeyIv& keyIv, const Bytes& input, bool encrypt)
{
    if (input.size() % 16 != 0) throw std::runtime_error("CBC input is not whole blocks");
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_AES_ALGORITHM, nullptr, 0) != 0)
        throw std::runtime_error("BCryptOpenAlgorithmProvider");
    BCRYPT_KEY_HANDLE key = nullptr;
    auto cleanup = [&] {
        if (key) BCryptDestroyKey(key);
        BCryptCloseAlgorithmProvider(algorithm, 0);
    };
    const wchar_t* mode = BCRYPT_CHAIN_MODE_CBC;
    if (BCryptSetProperty(algorithm, BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(mode)),
                          static_cast<ULONG>((wcslen(mode) + 1) * sizeof(wchar_t)), 0) != 0) {
        cleanup();
        throw std::runtime_error("BCryptSetProperty");
    }
    std::array<uint8_t, 16> keyBytes = keyIv.Key;
    if (BCryptGenerateSymmetricKey(algorithm, &key, nullptr, 0, keyBytes.data(), 16, 0) != 0) {
        cleanup();
        throw std::runtime_error("BCryptGenerateSymmetricKey");
    }
    std::array<uint8_t, 16> iv = keyIv.Iv;
    Bytes in = input;
    Bytes out(input.size());
    ULONG written = 0;
    const NTSTATUS status =
        encrypt ? BCryptEncrypt(key, in.data(), static_cast<ULONG>(in.size()), nullptr, iv.data(), 16, out.data(),
                                static_cast<ULONG>(out.size()), &written, 0)
                : BCryptDecrypt(key, in.data(), static_cast<ULONG>(in.size()), nullptr, iv.data(), 16, out.data(),
                                static_cast<ULONG>(out.size()), &written, 0);
    cleanup();
    if (status != 0 || written != out.size()) throw std::runtime_error("BCryptEncrypt/Decrypt");
    return out;
}
} // namespace

Bytes CbcEncrypt(const KeyIv& keyIv, const Bytes& plain)
{
    return Cbc(keyIv, plain, true);
}

Bytes CbcDecrypt(const KeyIv& keyIv, const Bytes& cipher)
{
    return Cbc(keyIv, cipher, false);
}

uint16_t Crc16(const Bytes& data)
{
    uint16_t crc = 0;
    for (uint8_t byte : data) {
        crc ^= static_cast<uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : (crc << 1));
    }
    return crc;
}

Bytes Envelope(const Bytes& payload)
{
    const std::size_t length = 3 + payload.size();
    const std::size_t pad = (16 - length % 16) % 16;
    Bytes plain{static_cast<uint8_t>(pad), 0xAA, 0x55};
    plain.insert(plain.end(), payload.begin(), payload.end());
    plain.insert(plain.end(), pad, '/');
    return plain;
}

Bytes GatewayFrame(uint8_t type, const GatewayIdBytes& gatewayId, const DerivationBytes& derivation,
                   const MasterKeyBytes& master, const Bytes& payload, std::optional<uint16_t> lengthField)
{
    const Bytes cipher = CbcEncrypt(Derive(derivation, gatewayId, master), Envelope(payload));
    const std::size_t length = 10 + cipher.size();
    const uint16_t announced = lengthField.value_or(static_cast<uint16_t>(length));
    Bytes frame{static_cast<uint8_t>(announced >> 8), static_cast<uint8_t>(announced), type};
    frame.insert(frame.end(), gatewayId.begin(), gatewayId.end());
    frame.insert(frame.end(), derivation.begin(), derivation.end());
    frame.insert(frame.end(), cipher.begin(), cipher.end());
    return frame;
}

Bytes Record(const Telegram& t)
{
    Bytes r{t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second, 0x68, t.L};
    Bytes telegram(t.L + 1u, 0);
    telegram[0] = 0x44; // control field
    telegram[1] = static_cast<uint8_t>(t.Manufacturer);
    telegram[2] = static_cast<uint8_t>(t.Manufacturer >> 8);
    for (int i = 0; i < 4; ++i) telegram[3 + i] = static_cast<uint8_t>(t.DeviceId >> (8 * i));
    telegram[7] = 0x01; // version
    telegram[8] = t.Medium;
    for (std::size_t i = 9; i + 2 < telegram.size(); ++i) telegram[i] = static_cast<uint8_t>(0xA0 + i);
    telegram[t.L - 1u] = t.Rssi; // record offset L + 7
    telegram[t.L] = 0x80;        // last byte of the record
    r.insert(r.end(), telegram.begin(), telegram.end());
    return r;
}

Bytes WmbusPayload(uint8_t recordCount, const std::vector<Bytes>& records, uint8_t closingByte)
{
    Bytes payload{recordCount};
    for (const Bytes& r : records) payload.insert(payload.end(), r.begin(), r.end());
    payload.push_back(closingByte);
    return payload;
}

// ---------------------------------------------------------------------------------------------

namespace {
struct WinsockUser {
    WinsockUser()
    {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockUser() { WSACleanup(); }
};

// Waits until the socket is readable; false on time-out.
bool Readable(SOCKET s, std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{static_cast<long>(left.count() / 1000000), static_cast<long>(left.count() % 1000000)};
    return select(0, &set, nullptr, nullptr, &tv) > 0;
}
} // namespace

Gateway::Gateway(int port)
{
    static WinsockUser winsock;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) throw std::runtime_error("socket");
    BOOL noDelay = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        closesocket(s);
        throw std::runtime_error("connect");
    }
    socket_ = static_cast<std::uintptr_t>(s);
}

Gateway::~Gateway()
{
    closesocket(static_cast<SOCKET>(socket_));
}

void Gateway::Send(const Bytes& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const int n = ::send(static_cast<SOCKET>(socket_), reinterpret_cast<const char*>(bytes.data() + sent),
                             static_cast<int>(bytes.size() - sent), 0);
        if (n <= 0) throw std::runtime_error("send");
        sent += static_cast<std::size_t>(n);
    }
}

void Gateway::ShutdownSend()
{
    ::shutdown(static_cast<SOCKET>(socket_), SD_SEND);
}

Bytes Gateway::Receive(std::size_t count, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Bytes out;
    while (out.size() < count && Readable(static_cast<SOCKET>(socket_), deadline)) {
        std::array<char, 4096> chunk;
        const int want = static_cast<int>(std::min(chunk.size(), count - out.size()));
        const int n = ::recv(static_cast<SOCKET>(socket_), chunk.data(), want, 0);
        if (n <= 0) break;
        out.insert(out.end(), chunk.begin(), chunk.begin() + n);
    }
    return out;
}

bool Gateway::WaitClosed(std::chrono::milliseconds timeout, Bytes* rest)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Readable(static_cast<SOCKET>(socket_), deadline)) {
        std::array<char, 4096> chunk;
        const int n = ::recv(static_cast<SOCKET>(socket_), chunk.data(), static_cast<int>(chunk.size()), 0);
        if (n <= 0) return true; // closed (or reset) by the server
        if (rest) rest->insert(rest->end(), chunk.begin(), chunk.begin() + n);
    }
    return false;
}

} // namespace sim
