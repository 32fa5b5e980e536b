#include "Helpfunktion.h"

#include "StringList.h"
#include "SysUtils.h"

void SplitString(AnsiString text, const AnsiString& delimiter, TStrings* list, bool trim)
{
    if (list == nullptr) return;
    // Only the rest is trimmed, never an item: blanks before a delimiter stay with their item.
    if (trim) text = Trim(text);
    while (!text.empty()) {
        const size_t p = Pos(delimiter, text);
        if (p < 1) {
            list->Add(AnsiToUnicode(text));
            text.clear();
        } else {
            list->Add(AnsiToUnicode(Copy(text, 1, static_cast<long long>(p) - 1)));
            text = Copy(text, static_cast<long long>(p + delimiter.size()), static_cast<long long>(text.size()));
            if (trim) text = Trim(text);
        }
    }
}

uint16_t CalcCrc16(std::span<const uint8_t> data)
{
    // CRC-16/XMODEM, byte-wise without a table.
    uint16_t crc = 0;
    for (const uint8_t byte : data) {
        crc = static_cast<uint16_t>((crc >> 8) | (crc << 8));
        crc ^= byte;
        crc ^= static_cast<uint16_t>((crc & 0xFF) >> 4);
        crc ^= static_cast<uint16_t>(crc << 12);
        crc ^= static_cast<uint16_t>((crc & 0xFF) << 5);
    }
    return crc;
}

uint16_t CalcCrc16(const uint8_t* data, uint32_t length)
{
    if (data == nullptr) return 0;
    return CalcCrc16(std::span<const uint8_t>(data, length));
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
    const uint32_t value = (uint32_t{b3} << 24) | (uint32_t{b2} << 16) | (uint32_t{b1} << 8) | b0;
    return Format(AnsiString("%lu"), value);
}
