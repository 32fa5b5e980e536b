#pragma once
// Gateway simulator for the contact tests. It builds and encrypts frames without the server's
// code: AES-CBC comes from Windows CNG and the per-frame key and IV derivation is written out
// here again, so a fault in the server's cipher cannot hide itself.
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

using Bytes = std::vector<uint8_t>;
using GatewayIdBytes = std::array<uint8_t, 3>;
using DerivationBytes = std::array<uint8_t, 4>;
using MasterKeyBytes = std::array<uint8_t, 16>;

struct KeyIv {
    std::array<uint8_t, 16> Key{};
    std::array<uint8_t, 16> Iv{};
};

KeyIv Derive(const DerivationBytes& derivation, const GatewayIdBytes& gatewayId, const MasterKeyBytes& master);

// AES-128-CBC over whole blocks, no padding (CNG).
Bytes CbcEncrypt(const KeyIv& keyIv, const Bytes& plain);
Bytes CbcDecrypt(const KeyIv& keyIv, const Bytes& cipher);

// CRC-16, polynomial 0x1021, initial value 0.
uint16_t Crc16(const Bytes& data);

// Plaintext envelope: pad count, AA 55, payload, '/' up to a whole block.
Bytes Envelope(const Bytes& payload);

// A gateway frame: length, type, ID, derivation value, encrypted envelope of payload.
// lengthField replaces the true length in the header.
Bytes GatewayFrame(uint8_t type, const GatewayIdBytes& gatewayId, const DerivationBytes& derivation,
                   const MasterKeyBytes& master, const Bytes& payload, std::optional<uint16_t> lengthField = {});

struct Telegram {
    uint8_t Year = 26; // year - 2000
    uint8_t Month = 12;
    uint8_t Day = 9;
    uint8_t Hour = 8;
    uint8_t Minute = 11;
    uint8_t Second = 59;
    uint16_t Manufacturer = 0x0443; // "ABC"
    uint32_t DeviceId = 0x12345678; // BCD, sent least significant byte first
    uint8_t Medium = 7;
    uint8_t Rssi = 87;
    uint8_t L = 0x14; // at least 10, so that the RSSI byte follows the medium byte
};

// Six time bytes, 0x68, L, then the L + 1 telegram bytes.
Bytes Record(const Telegram& telegram);

// RecordCount, the records back to back, the closing byte.
Bytes WmbusPayload(uint8_t recordCount, const std::vector<Bytes>& records, uint8_t closingByte = 0x16);

// A client connection to the server on 127.0.0.1.
class Gateway {
public:
    explicit Gateway(int port);
    ~Gateway();
    Gateway(const Gateway&) = delete;
    Gateway& operator=(const Gateway&) = delete;

    void Send(const Bytes& bytes);
    // No more bytes from this side; the server sees the connection end.
    void ShutdownSend();
    // Up to count bytes, fewer when the server closes or the time is over.
    Bytes Receive(std::size_t count, std::chrono::milliseconds timeout);
    // Waits for the server to close; every byte that still arrives goes to rest. False on
    // time-out.
    bool WaitClosed(std::chrono::milliseconds timeout, Bytes* rest = nullptr);

private:
    std::uintptr_t socket_;
};

} // namespace sim
