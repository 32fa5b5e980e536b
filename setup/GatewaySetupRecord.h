#pragma once
// The 1116-byte setup block of one gateway, exactly as it travels in a setup frame, and the
// text forms the setup stores and the setup dialog use for its fields.
//
// Every member is a byte or an array of bytes, so the struct has no padding and alignment 1;
// multi-byte numbers are little-endian wrappers. A value-initialised record is all zero.
#include "Strings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

inline constexpr std::size_t GatewaySetupRecordSize = 1116;
inline constexpr std::size_t FilterIdCount = 250;
inline constexpr std::size_t FilterManufacturerCount = 4;
inline constexpr std::size_t FilterMediumCount = 4;
inline constexpr std::size_t ServerNameSize = 32;

// WmbusFlags
inline constexpr uint8_t WmbusManufacturerFilter = 0x01;
inline constexpr uint8_t WmbusMediumFilter = 0x02;
inline constexpr uint8_t WmbusModeT = 0x10; // clear: mode S
inline constexpr uint8_t WmbusIdFilter = 0x20;

// NetworkFlags
inline constexpr uint8_t NetworkDhcp = 0x01;
inline constexpr uint8_t NetworkIntervalImmediate = 0x04;
inline constexpr uint8_t NetworkIntervalHourly = 0x08;
inline constexpr uint8_t NetworkIntervalDaily = 0x10;
inline constexpr uint8_t NetworkIntervalMonthly = 0x20;

struct LittleEndian16 {
    std::array<uint8_t, 2> Bytes{};

    operator uint16_t() const { return static_cast<uint16_t>(Bytes[0] | (Bytes[1] << 8)); }
    LittleEndian16& operator=(uint16_t value)
    {
        Bytes = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        return *this;
    }
    bool operator==(const LittleEndian16&) const = default;
};

struct LittleEndian32 {
    std::array<uint8_t, 4> Bytes{};

    operator uint32_t() const
    {
        return uint32_t{Bytes[0]} | (uint32_t{Bytes[1]} << 8) | (uint32_t{Bytes[2]} << 16) | (uint32_t{Bytes[3]} << 24);
    }
    LittleEndian32& operator=(uint32_t value)
    {
        Bytes = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                 static_cast<uint8_t>(value >> 24)};
        return *this;
    }
    bool operator==(const LittleEndian32&) const = default;
};

using Ipv4Address = std::array<uint8_t, 4>; // first octet first
using ManufacturerCode = std::array<char, 3>;

struct GatewaySetupTime {
    LittleEndian16 Year;
    uint8_t Month = 0;
    uint8_t Day = 0;
    uint8_t Hour = 0;
    uint8_t Minute = 0;
    uint8_t Second = 0;
    bool operator==(const GatewaySetupTime&) const = default;
};

struct GatewaySetupRecord {
    std::array<uint8_t, 3> Reserved0{};
    std::array<uint8_t, 3> GatewayId{};
    Ipv4Address FixedIp{};
    Ipv4Address GatewayIp{};
    Ipv4Address SubnetMask{};
    std::array<uint8_t, 4> Reserved18{};
    std::array<char, ServerNameSize> ServerName{}; // NUL-padded, no terminator when full
    std::array<uint8_t, 4> Reserved54{};
    Ipv4Address NtpIp{};
    Ipv4Address DnsIp{};
    LittleEndian16 ServerPort;
    GatewaySetupTime SetTime;
    uint8_t Reserved75 = 0;
    std::array<LittleEndian32, FilterIdCount> FilterIds{}; // BCD radio IDs, 0 = empty slot
    std::array<ManufacturerCode, FilterManufacturerCount> FilterManufacturers{};
    std::array<uint8_t, FilterMediumCount> FilterMedia{};
    uint8_t WmbusFlags = 0;
    std::array<uint8_t, 3> Reserved1093{};
    std::array<uint8_t, 16> MasterKey{};
    std::array<uint8_t, 3> FirmwareVersion{};
    uint8_t NetworkFlags = 0;

    static GatewaySetupRecord FromBytes(std::span<const uint8_t, GatewaySetupRecordSize> bytes);
    void ToBytes(std::span<uint8_t, GatewaySetupRecordSize> bytes) const;
    std::array<uint8_t, GatewaySetupRecordSize> Bytes() const;

    // The bytes up to the first NUL (all 32 when there is none).
    AnsiString ServerNameText() const;
    // Zeroes the field, then copies at most 32 bytes of name.
    void SetServerName(std::string_view name);
    // "V1.V2.V3" in decimal, for example "1.4.12".
    AnsiString FirmwareVersionText() const;

    bool operator==(const GatewaySetupRecord&) const = default;
};

static_assert(sizeof(GatewaySetupRecord) == GatewaySetupRecordSize);
static_assert(alignof(GatewaySetupRecord) == 1);
static_assert(offsetof(GatewaySetupRecord, GatewayId) == 3);
static_assert(offsetof(GatewaySetupRecord, FixedIp) == 6);
static_assert(offsetof(GatewaySetupRecord, GatewayIp) == 10);
static_assert(offsetof(GatewaySetupRecord, SubnetMask) == 14);
static_assert(offsetof(GatewaySetupRecord, ServerName) == 22);
static_assert(offsetof(GatewaySetupRecord, NtpIp) == 58);
static_assert(offsetof(GatewaySetupRecord, DnsIp) == 62);
static_assert(offsetof(GatewaySetupRecord, ServerPort) == 66);
static_assert(offsetof(GatewaySetupRecord, SetTime) == 68);
static_assert(offsetof(GatewaySetupRecord, Reserved75) == 75);
static_assert(offsetof(GatewaySetupRecord, FilterIds) == 76);
static_assert(offsetof(GatewaySetupRecord, FilterManufacturers) == 1076);
static_assert(offsetof(GatewaySetupRecord, FilterMedia) == 1088);
static_assert(offsetof(GatewaySetupRecord, WmbusFlags) == 1092);
static_assert(offsetof(GatewaySetupRecord, MasterKey) == 1096);
static_assert(offsetof(GatewaySetupRecord, FirmwareVersion) == 1112);
static_assert(offsetof(GatewaySetupRecord, NetworkFlags) == 1115);

// Gateway ID bytes as "%.2X" each, joined by separator ('.' in SQL and the grid, '_' in file names).
AnsiString GatewayIdText(std::span<const uint8_t, 3> gatewayId, char separator);

// "%.3d.%.3d.%.3d.%.3d": 192.168.1.10 becomes "192.168.001.010".
AnsiString FormatDottedIp(std::span<const uint8_t, 4> address);

// Reads four dot-separated integer parts (StrToInt), each keeping its low 8 bits. A text with
// fewer parts repeats its last part ("10.0.1" gives 10.0.1.1); parts after the fourth are
// ignored. An empty text, an empty part or a part that is not an integer raises EConvertError
// and leaves destination unchanged. Returns true otherwise.
bool ParseDottedIp(const AnsiString& text, std::span<uint8_t, 4> destination);

// True when the two setups agree in what a gateway keeps of a sent setup, the comparison both
// stores make of a reported setup with the queued one: bytes 6-17 (FixedIp, GatewayIp,
// SubnetMask), 22-53 (ServerName, NUL bytes included), 58-66 (NtpIp, DnsIp and the low byte of
// ServerPort only), 76-1075 (FilterIds), 1076-1087 (FilterManufacturers), 1088-1091
// (FilterMedia) and 1115 (NetworkFlags).
bool SetupComparedFieldsEqual(const GatewaySetupRecord& a, const GatewaySetupRecord& b);

// A radio-ID entry as "%.8X": a BCD entry gives its eight decimal digits.
AnsiString RadioIdToText(uint32_t entry);
// Eight hexadecimal digits ('0'-'9', 'A'-'F', 'a'-'f') read as written by RadioIdToText; a
// decimal number of 1 to 8 digits is first left-padded with zeros to 8 digits. Anything else
// (empty, signed, longer than 8 characters, other characters) gives no value, so callers can
// skip the entry instead of storing an invented ID.
std::optional<uint32_t> RadioIdFromText(std::string_view text);

// A manufacturer filter entry as its characters up to the first NUL.
AnsiString ManufacturerCodeToText(const ManufacturerCode& code);
// Characters 1, 2 and 3 of text; a shorter text raises ERangeError.
ManufacturerCode ManufacturerCodeFromText(const AnsiString& text);

// The 16 key bytes as 32 upper-case hexadecimal digits.
AnsiString MasterKeyToText(std::span<const uint8_t, 16> key);
// Byte i from characters 2i+1 and 2i+2 (HexPairToByte); characters after the 32nd are ignored;
// a shorter text raises ERangeError.
std::array<uint8_t, 16> MasterKeyFromText(const AnsiString& text);
