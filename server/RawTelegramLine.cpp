#include "RawTelegramLine.h"

#include "Helpfunktion.h"

#include <algorithm>

namespace {

bool IsHexDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
}

} // namespace

std::optional<TRawTelegram> ParseRawTelegramLine(const UnicodeString& line)
{
    const UnicodeString text = TrimRight(line);
    if (text.size() < static_cast<size_t>(RawLineMinLength)) return std::nullopt;
    if (text.find(L"File completely") != UnicodeString::npos) return std::nullopt;

    const size_t separator = text.rfind(L';');
    const UnicodeString data = separator == UnicodeString::npos ? text : text.substr(separator + 1);
    if (data.size() % 2 != 0 || !std::all_of(data.begin(), data.end(), IsHexDigit)) return std::nullopt;

    const bool wholeFrame = data.compare(0, 2, L"68") == 0;
    const size_t frameBytes = data.size() / 2 + (wholeFrame ? 0 : 3);
    if (frameBytes < static_cast<size_t>(RawFrameMinBytes) || frameBytes > static_cast<size_t>(RawFrameMaxBytes))
        return std::nullopt;

    // Only hexadecimal digits are left: the conversion to 8-bit text keeps them as they are.
    const AnsiString hex = UnicodeToAnsi(wholeFrame ? data : L"68" + data + L"FF16");
    TRawTelegram telegram;
    telegram.Frame.reserve(frameBytes);
    for (size_t i = 0; i < frameBytes; ++i)
        telegram.Frame.push_back(HexPairToByte(hex.substr(2 * i, 2)));

    const std::vector<uint8_t>& b = telegram.Frame;
    telegram.Manufacturer = ManufacturerToString(b[3], b[4]);
    telegram.DeviceId = DeviceIdToString(b[5], b[6], b[7], b[8]);
    telegram.Medium = b[10];
    telegram.Rssi = -(b[frameBytes - 2] / 2);
    return telegram;
}
