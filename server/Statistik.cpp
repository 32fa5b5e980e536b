#include "Statistik.h"

#include "Encoding.h"
#include "Files.h"
#include "Helpfunktion.h"
#include "StringList.h"
#include "SysUtils.h"

#include <algorithm>

namespace {

// Byte positions in a telegram's hexadecimal text (byte 0 is the 0x68 start byte).
constexpr std::size_t ManufacturerLowByte = 3;
constexpr std::size_t ManufacturerHighByte = 4;
constexpr std::size_t FirstIdByte = 5; // four bytes, least significant first
constexpr std::size_t MediumByte = 10;
// The medium byte, then at least the RSSI and the stop byte.
constexpr std::size_t MinimumHexLength = 2 * (MediumByte + 1) + 4;

uint8_t ByteAt(const AnsiString& hex, std::size_t index) { return HexPairToByte(hex.substr(2 * index, 2)); }

bool AllDecimal(std::wstring_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// A decimal number of at most 9 digits; 0 for anything else.
int DecimalOrZero(std::wstring_view text)
{
    if (!AllDecimal(text) || text.size() > 9) return 0;
    int value = 0;
    for (wchar_t c : text) value = value * 10 + (c - L'0');
    return value;
}

} // namespace

uint32_t StatRadioId(std::string_view text)
{
    if (text.empty() || text.size() > 8) return 0;
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return value;
}

std::optional<TStatTelegram> StatTelegramFromHex(const AnsiString& hex)
{
    const std::size_t n = hex.size();
    if (n < MinimumHexLength) return std::nullopt;
    TStatTelegram telegram;
    telegram.ManufacturerLow = ByteAt(hex, ManufacturerLowByte);
    telegram.ManufacturerHigh = ByteAt(hex, ManufacturerHighByte);
    // The ID digits, most significant byte first.
    AnsiString digits;
    for (std::size_t k = 0; k < 4; ++k) digits += hex.substr(2 * (FirstIdByte + 3 - k), 2);
    telegram.RadioId = StatRadioId(digits);
    telegram.Medium = ByteAt(hex, MediumByte);
    telegram.Rssi = -(HexPairToByte(hex.substr(n - 4, 2)) / 2);
    return telegram;
}

std::optional<TStatTelegram> StatTelegramFromLogLine(const UnicodeString& line)
{
    if (line.empty()) return std::nullopt;
    TStringList fields;
    fields.SetDelimiter(L';');
    fields.SetQuoteChar(L'"');
    fields.SetStrictDelimiter(true);
    fields.SetDelimitedText(line);
    if (fields.Count() < 2) return std::nullopt;
    return StatTelegramFromHex(UnicodeToAnsi(fields.Strings(1)));
}

bool CountStatTelegram(TDeviceStats& devices, const TStatTelegram& telegram, std::size_t column,
                       std::size_t columnCount)
{
    const auto same = [&telegram](const TAD& d) {
        return d.RadioId == telegram.RadioId && d.ManufacturerLow == telegram.ManufacturerLow &&
               d.ManufacturerHigh == telegram.ManufacturerHigh && d.Medium == telegram.Medium;
    };
    const auto found = std::find_if(devices.begin(), devices.end(), same);
    if (found != devices.end()) {
        if (column >= found->Gateways.size()) return false;
        TGW& g = found->Gateways[column];
        ++g.Count;
        g.SumRssi += telegram.Rssi;
        g.MeanRssi = g.SumRssi / g.Count;
        return false;
    }
    TAD device;
    device.RadioId = telegram.RadioId;
    device.ManufacturerLow = telegram.ManufacturerLow;
    device.ManufacturerHigh = telegram.ManufacturerHigh;
    device.Medium = telegram.Medium;
    device.Gateways.resize(columnCount);
    if (column < columnCount) device.Gateways[column] = TGW{1, telegram.Rssi, telegram.Rssi, 0};
    devices.push_back(std::move(device));
    return true;
}

void SortDevices(TDeviceStats& devices)
{
    // Rank of each manufacturer by first appearance, then a stable order by rank and radio ID.
    std::vector<uint16_t> manufacturers;
    const auto code = [](const TAD& d) { return static_cast<uint16_t>(d.ManufacturerLow | (d.ManufacturerHigh << 8)); };
    for (const TAD& d : devices)
        if (std::find(manufacturers.begin(), manufacturers.end(), code(d)) == manufacturers.end())
            manufacturers.push_back(code(d));
    const auto rank = [&](const TAD& d) {
        return std::find(manufacturers.begin(), manufacturers.end(), code(d)) - manufacturers.begin();
    };
    std::stable_sort(devices.begin(), devices.end(), [&](const TAD& a, const TAD& b) {
        const auto ra = rank(a);
        const auto rb = rank(b);
        if (ra != rb) return ra < rb;
        return a.RadioId > b.RadioId;
    });
}

UnicodeString FormatUnsigned(uint32_t value) { return Format(UnicodeString(L"%u"), value); }

UnicodeString StatCellText(const TGW& gateway)
{
    if (gateway.Count == 0) return UnicodeString();
    return FormatUnsigned(static_cast<uint32_t>(gateway.Count)) + L" / " + IntToStr(gateway.MeanRssi) + L" dbm";
}

bool MarkStatCell(TDeviceStats& devices, TGatewayColumns& columns, int device, int column)
{
    TGW* clicked = nullptr;
    if (device >= 0 && column >= 0 && static_cast<std::size_t>(device) < devices.size()) {
        auto& gateways = devices[static_cast<std::size_t>(device)].Gateways;
        if (static_cast<std::size_t>(column) < gateways.size()) clicked = &gateways[static_cast<std::size_t>(column)];
    }
    if (clicked && clicked->Count != 0) clicked->Selected = clicked->Selected ? 0 : 1;

    bool limitReached = false;
    for (TGWDEF& c : columns) c.SelectedCount = 0;
    for (const TAD& d : devices) {
        for (std::size_t g = 0; g < d.Gateways.size() && g < columns.size(); ++g) {
            if (!d.Gateways[g].Selected) continue;
            if (++columns[g].SelectedCount > MaxMarkedDevicesPerGateway) {
                columns[g].SelectedCount = MaxMarkedDevicesPerGateway;
                if (clicked) clicked->Selected = 0;
                limitReached = true;
            }
        }
    }
    return limitReached;
}

bool IsDayLogFile(const UnicodeString& name, int day, UnicodeString& gatewayId)
{
    if (name == L"." || name == L"..") return false;
    if (UpperCase(ExtractFileExt(name)) != L".CSV") return false;
    const std::size_t p = name.find(L"_LOG_");
    if (p == UnicodeString::npos) return false;
    const std::wstring_view head(name.data(), p);
    const std::wstring_view dayText = head.substr(0, head.find(L'_'));
    if (DecimalOrZero(dayText) != day) return false;
    gatewayId = name.substr(p + 5, 8);
    return true;
}
