#include "Colors.h"

#include "Exceptions.h"

#include <array>
#include <cwchar>
#include <optional>

namespace {

struct ColorName {
    TColor value;
    const wchar_t* name;
};

// Enumeration order: standard, extended, then the system colours with the two marks. The
// colour box of the skin library cuts this list at fixed positions (16, 20).
constexpr std::array<ColorName, 52> kColorNames{{
    {clBlack, L"clBlack"},
    {clMaroon, L"clMaroon"},
    {clGreen, L"clGreen"},
    {clOlive, L"clOlive"},
    {clNavy, L"clNavy"},
    {clPurple, L"clPurple"},
    {clTeal, L"clTeal"},
    {clGray, L"clGray"},
    {clSilver, L"clSilver"},
    {clRed, L"clRed"},
    {clLime, L"clLime"},
    {clYellow, L"clYellow"},
    {clBlue, L"clBlue"},
    {clFuchsia, L"clFuchsia"},
    {clAqua, L"clAqua"},
    {clWhite, L"clWhite"},
    {clMoneyGreen, L"clMoneyGreen"},
    {clSkyBlue, L"clSkyBlue"},
    {clCream, L"clCream"},
    {clMedGray, L"clMedGray"},
    {clActiveBorder, L"clActiveBorder"},
    {clActiveCaption, L"clActiveCaption"},
    {clAppWorkSpace, L"clAppWorkSpace"},
    {clBackground, L"clBackground"},
    {clBtnFace, L"clBtnFace"},
    {clBtnHighlight, L"clBtnHighlight"},
    {clBtnShadow, L"clBtnShadow"},
    {clBtnText, L"clBtnText"},
    {clCaptionText, L"clCaptionText"},
    {clDefault, L"clDefault"},
    {clGradientActiveCaption, L"clGradientActiveCaption"},
    {clGradientInactiveCaption, L"clGradientInactiveCaption"},
    {clGrayText, L"clGrayText"},
    {clHighlight, L"clHighlight"},
    {clHighlightText, L"clHighlightText"},
    {clHotLight, L"clHotLight"},
    {clInactiveBorder, L"clInactiveBorder"},
    {clInactiveCaption, L"clInactiveCaption"},
    {clInactiveCaptionText, L"clInactiveCaptionText"},
    {clInfoBk, L"clInfoBk"},
    {clInfoText, L"clInfoText"},
    {clMenu, L"clMenu"},
    {clMenuBar, L"clMenuBar"},
    {clMenuHighlight, L"clMenuHighlight"},
    {clMenuText, L"clMenuText"},
    {clNone, L"clNone"},
    {clScrollBar, L"clScrollBar"},
    {cl3DDkShadow, L"cl3DDkShadow"},
    {cl3DLight, L"cl3DLight"},
    {clWindow, L"clWindow"},
    {clWindowFrame, L"clWindowFrame"},
    {clWindowText, L"clWindowText"},
}};

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Decimal with optional sign, or "$"/"0x" hexadecimal of up to 8 digits (wrapping to 32 bits).
std::optional<TColor> ParseColorNumber(const UnicodeString& text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    bool hex = false;
    if (i < text.size() && text[i] == L'$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int d = hex ? HexDigit(text[i]) : (text[i] >= L'0' && text[i] <= L'9' ? text[i] - L'0' : -1);
        if (d < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<unsigned>(d);
        if (hex ? value > 0xFFFFFFFFull : value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return std::nullopt;
    }
    const auto bits = static_cast<std::uint32_t>(value);
    return static_cast<TColor>(negative ? 0u - bits : bits);
}

} // namespace

TColor ColorToRGB(TColor color)
{
    if (IsSystemColor(color)) return static_cast<TColor>(::GetSysColor(color & 0xFF));
    if ((static_cast<std::uint32_t>(color) & 0xFF000000u) == 0xFF000000u) return color & 0x00FFFFFF;
    return color;
}

COLORREF ColorToGdi(TColor color)
{
    return static_cast<COLORREF>(ColorToRGB(color)) & 0x00FFFFFFu;
}

bool ColorToIdent(TColor color, UnicodeString& ident)
{
    for (const auto& entry : kColorNames) {
        if (entry.value == color) {
            ident = entry.name;
            return true;
        }
    }
    return false;
}

bool IdentToColor(const UnicodeString& ident, TColor& color)
{
    for (const auto& entry : kColorNames) {
        if (SameText(ident, entry.name)) {
            color = entry.value;
            return true;
        }
    }
    return false;
}

UnicodeString ColorToString(TColor color)
{
    UnicodeString name;
    if (ColorToIdent(color, name)) return name;
    wchar_t buffer[16];
    std::swprintf(buffer, std::size(buffer), L"$%.8X", static_cast<unsigned>(color));
    return buffer;
}

TColor StringToColor(const UnicodeString& text)
{
    TColor color = 0;
    if (IdentToColor(text, color)) return color;
    if (const auto number = ParseColorNumber(text)) return *number;
    throw EConvertError(L"'" + text + L"' is not a valid integer value");
}

void GetColorValues(const std::function<void(const UnicodeString& name)>& proc)
{
    for (const auto& entry : kColorNames) proc(entry.name);
}
