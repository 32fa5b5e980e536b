#include "GatewaySetupDialogValues.h"

#include "GatewaySetupRecord.h"

#include <algorithm>
#include <cstdint>

namespace {

bool IsDecimal(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsHex(wchar_t c) { return IsDecimal(c) || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f'); }

std::optional<int> DecimalFromText(std::wstring_view text, std::size_t maxDigits, int maxValue)
{
    if (text.empty() || text.size() > maxDigits || !std::all_of(text.begin(), text.end(), IsDecimal))
        return std::nullopt;
    int value = 0;
    for (const wchar_t c : text) value = value * 10 + (c - L'0');
    if (value > maxValue) return std::nullopt;
    return value;
}

// Exactly four decimal parts of 1 to 3 digits, each 0 to 255. The stores' reader takes more
// (signs, "$" and "0x" numbers, any size kept to its low byte, fewer parts repeating the last),
// so a text it reads differently from what the operator meant never gets that far.
bool IsDottedIp(std::wstring_view text)
{
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find(L'.');
        if ((part < 3) == (dot == std::wstring_view::npos)) return false;
        if (!DecimalFromText(text.substr(0, dot), 3, 255)) return false;
        text = part < 3 ? text.substr(dot + 1) : std::wstring_view();
    }
    return true;
}

bool IsHexText(const UnicodeString& text, std::size_t length)
{
    return text.size() == length && std::all_of(text.begin(), text.end(), IsHex);
}

UnicodeString Invalid(const wchar_t* field, const UnicodeString& text, const wchar_t* rule)
{
    return UnicodeString(L"Ung\u00fcltige Eingabe bei \"") + field + L"\": \"" + text + L"\"\r\nErlaubt ist " + rule +
           L".\r\nEs wurde nichts gespeichert.";
}

} // namespace

std::optional<int> SetupPortFromText(std::wstring_view text) { return DecimalFromText(text, 5, 65535); }

std::optional<int> SetupMediumFromText(std::wstring_view text) { return DecimalFromText(text, 3, 255); }

std::optional<UnicodeString> RadioIdEntryFromInput(std::wstring_view text)
{
    if (text.empty() || text.size() > 8 || !std::all_of(text.begin(), text.end(), IsDecimal)) return std::nullopt;
    if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c == L'0'; })) return std::nullopt;
    UnicodeString entry(text);
    entry.insert(0, 8 - entry.size(), L'0');
    return entry;
}

std::optional<UnicodeString> RadioIdEntryFromStore(std::wstring_view text)
{
    const UnicodeString trimmed = Trim(UnicodeString(text));
    if (!std::all_of(trimmed.begin(), trimmed.end(), IsHex)) return std::nullopt;
    const std::optional<uint32_t> id = RadioIdFromText(UnicodeToAnsi(trimmed));
    if (!id || *id == 0) return std::nullopt;
    return AnsiToUnicode(RadioIdToText(*id));
}

UnicodeString RadioIdFileValue(const UnicodeString& entry)
{
    if (!std::all_of(entry.begin(), entry.end(), IsDecimal)) return entry;
    const std::size_t first = entry.find_first_not_of(L'0');
    return first == UnicodeString::npos ? UnicodeString(L"0") : entry.substr(first);
}

std::optional<UnicodeString> FindInvalidSetupText(const TSetupDialogTexts& texts, const TSetupTextRules& rules)
{
    for (const UnicodeString& part : texts.GatewayId)
        if (!IsHexText(part, 2))
            return Invalid(L"Gateway ID", texts.GatewayId[0] + L"." + texts.GatewayId[1] + L"." + texts.GatewayId[2],
                           L"je Teil eine Zahl aus zwei Hexadezimalziffern");
    if (texts.ServerName.size() > ServerNameSize)
        return Invalid(L"DNS Name des WM-BUS Servers", texts.ServerName, L"ein Name von h\u00f6chstens 32 Zeichen");
    if (!SetupPortFromText(texts.Port)) return Invalid(L"Server Port", texts.Port, L"eine Zahl von 0 bis 65535");

    const std::pair<const wchar_t*, const UnicodeString*> addresses[] = {
        {L"sonst mit", &texts.FixedIp}, {L"Gateway", &texts.GatewayIp}, {L"Subnet Maske", &texts.SubnetMask},
        {L"DNS Server", &texts.DnsIp},  {L"NTP Server", &texts.NtpIp},
    };
    for (const auto& [field, text] : addresses) {
        if (rules.EmptyAddressAllowed && Trim(*text).empty()) continue;
        if (!IsDottedIp(*text))
            return Invalid(field, *text,
                           rules.EmptyAddressAllowed ? L"eine IP-Adresse wie 192.168.1.10 oder ein leeres Feld"
                                                     : L"eine IP-Adresse wie 192.168.1.10");
    }
    if (rules.MasterKeyWritten && !IsHexText(texts.MasterKey, 32))
        return Invalid(L"Master KEY", texts.MasterKey, L"ein Schl\u00fcssel aus 32 Hexadezimalziffern");

    for (const UnicodeString& code : texts.Manufacturers)
        if (code.size() != 3)
            return Invalid(L"mit Filterung nach Hersteller", code, L"ein Herstellercode aus 3 Zeichen");
    for (const UnicodeString& code : texts.Media)
        if (!SetupMediumFromText(code))
            return Invalid(L"mit Filterung nach Mediumcode", code, L"eine Zahl von 0 bis 255");
    for (const UnicodeString& id : texts.Ids)
        if (!RadioIdEntryFromStore(id))
            return Invalid(L"mit Filterung nach FunkID's", id, L"eine FunkID aus 1 bis 8 Ziffern");
    return std::nullopt;
}
