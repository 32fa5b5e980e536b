#include "Colors.h"

#include "Exceptions.h"
#include "SysUtils.h"

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

// Decimal with optional sign, or "$"/"0x" hexadecimal wrapping to 32 bits; no blanks.
std::optional<TColor> ParseColorNumber(const UnicodeString& text)
{
    TIntegerText parts;
    long long value = 0;
    if (!TryParseIntegerText(text, parts) || !TryIntegerValue(parts, 32, value)) return std::nullopt;
    return static_cast<TColor>(value);
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
