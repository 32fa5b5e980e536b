// Font routines of the painting wrappers: system non-client fonts and the face name the
// default manager imposes.
#include "acSBUtils.h"

#include "sSkinManager.h"

#include <algorithm>
#include <cwchar>

void GetNCMetricsFont(int Kind, LOGFONTW& LogFont)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    static_assert(sizeof(NONCLIENTMETRICSW) == 504);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        LogFont.lfHeight = 0;
        return;
    }
    switch (Kind) {
    case 1: LogFont = metrics.lfCaptionFont; break;
    case 2: LogFont = metrics.lfSmCaptionFont; break;
    case 3: LogFont = metrics.lfMenuFont; break;
    case 4: LogFont = metrics.lfStatusFont; break;
    default: LogFont = metrics.lfMessageFont; break;
    }
}

UnicodeString GetSkinFontName()
{
    if (!DefaultManager || !DefaultManager->Fonts()) return UnicodeString();
    switch (DefaultManager->Fonts()->MainMode()) {
    case fmFromSkin: return DefaultManager->SkinCommonInfo.MainFont;
    case fmCustom: return DefaultManager->Fonts()->MainFont();
    default: return UnicodeString();
    }
}

void ApplySkinFontName(LOGFONTW& LogFont)
{
    const UnicodeString name = GetSkinFontName();
    if (name.empty()) return;
    std::fill(std::begin(LogFont.lfFaceName), std::end(LogFont.lfFaceName), L'\0');
    // Cut to the field, which keeps its terminating zero.
    const size_t n = std::min(name.size(), std::size(LogFont.lfFaceName) - 1);
    std::wmemcpy(LogFont.lfFaceName, name.c_str(), n);
}

void SetSkinFontName(TFont* Font)
{
    const UnicodeString name = GetSkinFontName();
    if (Font && !name.empty()) Font->SetName(name);
}
