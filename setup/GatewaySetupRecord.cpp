#include "GatewaySetupRecord.h"

#include "Exceptions.h"
#include "Helpfunktion.h"
#include "SysUtils.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

static_assert(std::is_trivially_copyable_v<GatewaySetupRecord>);

namespace {
bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c)
{
    if (IsDecimalDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
} // namespace

GatewaySetupRecord GatewaySetupRecord::FromBytes(std::span<const uint8_t, GatewaySetupRecordSize> bytes)
{
    GatewaySetupRecord record;
    std::memcpy(&record, bytes.data(), GatewaySetupRecordSize);
    return record;
}

void GatewaySetupRecord::ToBytes(std::span<uint8_t, GatewaySetupRecordSize> bytes) const
{
    std::memcpy(bytes.data(), this, GatewaySetupRecordSize);
}

std::array<uint8_t, GatewaySetupRecordSize> GatewaySetupRecord::Bytes() const
{
    std::array<uint8_t, GatewaySetupRecordSize> out;
    ToBytes(out);
    return out;
}

AnsiString GatewaySetupRecord::ServerNameText() const
{
    const auto end = std::find(ServerName.begin(), ServerName.end(), '\0');
    return AnsiString(ServerName.begin(), end);
}

void GatewaySetupRecord::SetServerName(std::string_view name)
{
    ServerName.fill('\0');
    std::copy_n(name.begin(), std::min(name.size(), ServerName.size()), ServerName.begin());
}

AnsiString GatewaySetupRecord::FirmwareVersionText() const
{
    return Format(AnsiString("%u.%u.%u"), FirmwareVersion[0], FirmwareVersion[1], FirmwareVersion[2]);
}

namespace {
// Byte ranges of the record (first, last) that a gateway keeps of a sent setup; the high byte
// of ServerPort (67) is left out.
struct CompareRange {
    std::size_t First, Last;
};
constexpr CompareRange ComparedRanges[] = {
    {6, 17},      // FixedIp, GatewayIp, SubnetMask
    {22, 53},     // ServerName, NUL bytes included
    {58, 66},     // NtpIp, DnsIp, low byte of ServerPort
    {76, 1075},   // FilterIds
    {1076, 1087}, // FilterManufacturers
    {1088, 1091}, // FilterMedia
    {1115, 1115}, // NetworkFlags
};
} // namespace

bool SetupComparedFieldsEqual(const GatewaySetupRecord& a, const GatewaySetupRecord& b)
{
    const auto x = a.Bytes();
    const auto y = b.Bytes();
    return std::all_of(std::begin(ComparedRanges), std::end(ComparedRanges), [&](const CompareRange& range) {
        return std::equal(x.begin() + range.First, x.begin() + range.Last + 1, y.begin() + range.First);
    });
}

AnsiString GatewayIdText(std::span<const uint8_t, 3> gatewayId, char separator)
{
    return Format(AnsiString("%.2X%c%.2X%c%.2X"), gatewayId[0], separator, gatewayId[1], separator, gatewayId[2]);
}

AnsiString FormatDottedIp(std::span<const uint8_t, 4> address)
{
    return Format(AnsiString("%.3d.%.3d.%.3d.%.3d"), address[0], address[1], address[2], address[3]);
}

bool ParseDottedIp(const AnsiString& text, std::span<uint8_t, 4> destination)
{
    // All four parts are converted before anything is written, so a bad text leaves the
    // destination as it was.
    AnsiString rest = text;
    std::array<uint8_t, 4> octets{};
    for (auto& octet : octets) {
        const std::size_t p = Pos(".", rest);
        AnsiString part;
        if (p > 0) {
            part = Copy(rest, 1, static_cast<long long>(p) - 1);
            rest = Copy(rest, static_cast<long long>(p) + 1, static_cast<long long>(rest.size()));
        } else {
            part = rest;
        }
        octet = static_cast<uint8_t>(StrToInt(part));
    }
    std::copy(octets.begin(), octets.end(), destination.begin());
    return true;
}

AnsiString RadioIdToText(uint32_t entry)
{
    return Format(AnsiString("%.8X"), entry);
}

std::optional<uint32_t> RadioIdFromText(std::string_view text)
{
    if (text.empty() || text.size() > 8) return std::nullopt;
    AnsiString digits(text);
    if (digits.size() < 8) {
        // Only a plain decimal number may be shorter: it stands for its eight BCD digits.
        if (!std::all_of(digits.begin(), digits.end(), IsDecimalDigit)) return std::nullopt;
        digits.insert(0, 8 - digits.size(), '0');
    }
    uint32_t value = 0;
    for (const char c : digits) {
        const int d = HexDigitValue(c);
        if (d < 0) return std::nullopt;
        value = (value << 4) | static_cast<uint32_t>(d);
    }
    return value;
}

AnsiString ManufacturerCodeToText(const ManufacturerCode& code)
{
    const auto end = std::find(code.begin(), code.end(), '\0');
    return AnsiString(code.begin(), end);
}

ManufacturerCode ManufacturerCodeFromText(const AnsiString& text)
{
    return {CharAt(text, 1), CharAt(text, 2), CharAt(text, 3)};
}

AnsiString MasterKeyToText(std::span<const uint8_t, 16> key)
{
    AnsiString out;
    for (const uint8_t b : key) out += Format(AnsiString("%.2X"), b);
    return out;
}

std::array<uint8_t, 16> MasterKeyFromText(const AnsiString& text)
{
    std::array<uint8_t, 16> key{};
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = HexPairToByte(Copy(text, static_cast<long long>(2 * i + 1), 2));
    return key;
}
