#include "Helpfunktion.h"

#include <cstdio>

uint16_t CalcCrc16(const uint8_t* data, uint32_t length)
{
    // CRC-16/XMODEM, byte-wise without a table.
    uint16_t crc = 0;
    for (uint32_t i = 0; i < length; ++i) {
        crc = static_cast<uint16_t>((crc >> 8) | (crc << 8));
        crc ^= data[i];
        crc ^= static_cast<uint16_t>((crc & 0xFF) >> 4);
        crc ^= static_cast<uint16_t>(crc << 12);
        crc ^= static_cast<uint16_t>((crc & 0xFF) << 5);
    }
    return crc;
}

uint8_t HexPairToByte(AnsiString text)
{
    text = UpperCase(text);
    auto digit = [](char c) {
        const int v = static_cast<unsigned char>(c);
        return v >= '0' && v <= '9' ? v - 0x30 : v - 0x37;
    };
    const int hi = digit(CharAt(text, 1));
    const int lo = digit(CharAt(text, 2));
    return static_cast<uint8_t>(hi * 16 + lo);
}

AnsiString ManufacturerToString(uint8_t low, uint8_t high)
{
    const unsigned code = high * 256u + low;
    AnsiString out(3, '@');
    out[0] = static_cast<char>(((code >> 10) & 0x1F) + 0x40);
    out[1] = static_cast<char>(((code >> 5) & 0x1F) + 0x40);
    out[2] = static_cast<char>((code & 0x1F) + 0x40);
    return out;
}

int32_t ManufacturerFromString(AnsiString text)
{
    auto d = [&](size_t i) { return static_cast<int32_t>(static_cast<int8_t>(static_cast<uint8_t>(CharAt(text, i)) - 0x40)); };
    const int32_t d1 = d(1), d2 = d(2), d3 = d(3);
    return d1 * 1024 + d2 * 32 + d3;
}

AnsiString DeviceIdToString(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    const uint8_t bytes[4] = {b3, b2, b1, b0};
    AnsiString digits;
    bool bcd = true;
    for (uint8_t b : bytes) {
        for (int nibble : {b >> 4, b & 0x0F}) {
            if (nibble > 9) bcd = false;
            digits += static_cast<char>(nibble + 0x30);
        }
    }
    if (bcd) return digits;
    const unsigned long value = (static_cast<unsigned long>(b3) << 24) | (static_cast<unsigned long>(b2) << 16) |
                                (static_cast<unsigned long>(b1) << 8) | b0;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%lu", value);
    return buf;
}
