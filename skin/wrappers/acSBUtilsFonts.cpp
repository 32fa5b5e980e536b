// Font routines of the painting wrappers: system non-client fonts, the face name the default
// manager imposes, and the font a wrapper paints its window's text with.
#include "acSBUtils.h"

#include "sCommonData.h"
#include "sSkinManager.h"

#include <algorithm>
#include <cstring>
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

void SelectNCFont(TCanvas* Canvas, int Kind)
{
    if (!Canvas) return;
    LOGFONTW font{};
    GetNCMetricsFont(Kind, font);
    ApplySkinFontName(font);
    if (HFONT handle = CreateFontIndirectW(&font)) Canvas->Font()->SetHandle(handle);
}

void SelectCtrlFont(TacMainWnd* W, bool SetFont)
{
    if (!W || !W->SkinData || !W->SkinData->FCacheBmp) return;
    TCanvas* canvas = W->SkinData->FCacheBmp->Canvas();
    if (TControl* control = W->SkinData->FOwnerControl) {
        canvas->Font()->Assign(control->Font());
        SetSkinFontName(canvas->Font());
        return;
    }
    const auto current = reinterpret_cast<HFONT>(SendMessageW(W->CtrlHandle, WM_GETFONT, 0, 0));
    LOGFONTW font{};
    if (!current || GetObjectW(current, sizeof(font), &font) != static_cast<int>(sizeof(font))) {
        SelectNCFont(canvas, 5);
        return;
    }
    ApplySkinFontName(font);
    // A font asking for the ANSI character set would lose every other script.
    if (font.lfCharSet == ANSI_CHARSET && !std::wcsstr(font.lfFaceName, L"MS Shell Dlg")) font.lfCharSet = DEFAULT_CHARSET;
    if (HFONT handle = CreateFontIndirectW(&font)) canvas->Font()->SetHandle(handle);
    if (!SetFont) return;
    if (current == W->derivedFont_) {
        LOGFONTW sent{};
        GetObjectW(current, sizeof(sent), &sent);
        if (std::memcmp(&sent, &font, sizeof(font)) == 0) return; // the window has it already
    } else {
        W->originalFont_ = current;
    }
    HFONT derived = CreateFontIndirectW(&font);
    if (!derived) return;
    SendMessageW(W->CtrlHandle, WM_SETFONT, reinterpret_cast<WPARAM>(derived), FALSE);
    if (W->derivedFont_) DeleteObject(W->derivedFont_);
    W->derivedFont_ = derived;
}

void TacMainWnd::GiveBackFont()
{
    if (!derivedFont_) return;
    if (CtrlHandle && IsWindow(CtrlHandle) &&
        reinterpret_cast<HFONT>(SendMessageW(CtrlHandle, WM_GETFONT, 0, 0)) == derivedFont_)
        SendMessageW(CtrlHandle, WM_SETFONT, reinterpret_cast<WPARAM>(originalFont_), FALSE);
    DeleteObject(derivedFont_);
    derivedFont_ = nullptr;
    originalFont_ = nullptr;
}
