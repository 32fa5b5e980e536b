#include "sGraphUtilsTextOut.h"

bool acGetTextExtent(HDC dc, const UnicodeString& text, TSize& size, HFONT font)
{
    SIZE s{};
    bool ok = false;
    if (dc) {
        ok = ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.length()), &s);
    } else {
        HDC screen = ::GetDC(nullptr);
        if (!screen) return false;
        HGDIOBJ old = font ? ::SelectObject(screen, font) : nullptr;
        ok = ::GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.length()), &s);
        if (old) ::SelectObject(screen, old);
        ::ReleaseDC(nullptr, screen);
    }
    size = TSize(s.cx, s.cy);
    return ok;
}

bool acGetTextExtentW(HDC dc, const UnicodeString& text, TSize& size, HFONT font)
{
    return acGetTextExtent(dc, text, size, font);
}
