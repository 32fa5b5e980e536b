#include "sGraphUtilsTextFont.h"

#include <algorithm>
#include <cwchar>

TacAngledFont MakeAngledFont(HDC dc, TFont* font, int angle)
{
    TacAngledFont result;
    if (!dc || !font) return result;
    LOGFONTW lf{};
    lf.lfHeight = font->Height();
    lf.lfWidth = 0;
    lf.lfEscapement = angle;
    lf.lfOrientation = angle;
    const TFontStyles style = font->Style();
    lf.lfWeight = style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style.Contains(fsItalic);
    lf.lfUnderline = style.Contains(fsUnderline);
    lf.lfStrikeOut = style.Contains(fsStrikeOut);
    lf.lfCharSet = font->Charset();
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfPitchAndFamily = 0;
    lf.lfQuality = font->Quality() != fqDefault ? static_cast<BYTE>(font->Quality()) : ANTIALIASED_QUALITY;
    const UnicodeString name = font->Name() == L"MS Sans Serif" ? UnicodeString(L"Arial") : font->Name();
    // The face name is cut to the LOGFONT's field, terminator included.
    const size_t n = std::min(name.size(), static_cast<size_t>(LF_FACESIZE - 1));
    std::wmemcpy(lf.lfFaceName, name.c_str(), n);
    lf.lfFaceName[n] = L'\0';
    result.Font = TacFontHandle(CreateFontIndirectW(&lf));
    if (!result.Font.Get()) return result;
    result.OldFont = static_cast<HFONT>(SelectObject(dc, result.Font.Get()));
    SetTextColor(dc, ColorToGdi(font->Color()));
    return result;
}

void SetFontSmoothing(TFont* font)
{
    if (!font) return;
    LOGFONTW lf{};
    if (GetObjectW(font->Handle(), sizeof(lf), &lf) != sizeof(lf)) return;
    lf.lfQuality = ANTIALIASED_QUALITY;
    if (HFONT smooth = CreateFontIndirectW(&lf)) font->SetHandle(smooth);
}
