#include "sGraphUtilsTextOut.h"

#include "sGraphUtilsText.h"

namespace {

int Length(const UnicodeString& text) { return static_cast<int>(text.size()); }

void Inflate(TRect& r, int dx, int dy)
{
    r.Left -= dx;
    r.Top -= dy;
    r.Right += dx;
    r.Bottom += dy;
}

// Moves r to the box of the measured text (see WriteText); false leaves r as it is.
bool LayOutByHand(HDC dc, const UnicodeString& text, TRect& r, UINT flags)
{
    if ((flags & DT_WORDBREAK) != 0) return false;
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), Length(text), &size);
    const TRect t(r.Left, r.Top, r.Left + size.cx, r.Top + size.cy);
    const int dy = (t.Height() - r.Height()) / 2;
    if ((flags & DT_CENTER) != 0) {
        Inflate(r, (t.Width() - r.Width()) / 2, dy);
    } else {
        r.Top -= dy;
        r.Bottom += dy;
        if ((flags & DT_RIGHT) != 0)
            r.Left += r.Width() - t.Width();
        else
            r.Right += t.Width() - r.Width();
    }
    return true;
}

void Draw(HDC dc, const UnicodeString& text, TRect& r, UINT flags)
{
    RECT rc = r;
    // The text is the caller's and constant: DrawTextW may not write a shortened copy into it.
    DrawTextW(dc, text.c_str(), Length(text), &rc, flags & ~DT_MODIFYSTRING);
    r = rc;
}

} // namespace

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

bool acExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const wchar_t* str, UINT count, const INT* dx)
{
    return ::ExtTextOutW(dc, x, y, options, rect, str, count, dx) != FALSE;
}

HDC acCanvasTextDC(TCanvas* canvas)
{
    // Measuring makes the canvas select its font and set the text colour.
    canvas->TextExtent(UnicodeString());
    HDC dc = canvas->Handle();
    // Text cells are filled as the canvas brush says: a clear brush leaves them transparent.
    if (canvas->Brush()->Style() == bsClear) {
        SetBkMode(dc, TRANSPARENT);
    } else {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, ColorToGdi(canvas->Brush()->Color()));
    }
    return dc;
}

int acTextWidth(TCanvas* canvas, const UnicodeString& text) { return canvas->TextExtent(text).cx; }
int acTextHeight(TCanvas* canvas, const UnicodeString& text) { return canvas->TextExtent(text).cy; }
TSize acTextExtent(TCanvas* canvas, const UnicodeString& text) { return canvas->TextExtent(text); }
void acTextRect(TCanvas* canvas, const TRect& r, int x, int y, const UnicodeString& text)
{
    canvas->TextRect(r, x, y, text);
}

void WriteText(TCanvas* canvas, const UnicodeString& text, bool enabled, TRect& r, UINT flags)
{
    if (!canvas || text.empty()) return;
    canvas->Brush()->SetStyle(bsClear);
    HDC dc = acCanvasTextDC(canvas);
    SetBkMode(dc, TRANSPARENT);
    TRect rect = r;
    const bool byHand = LayOutByHand(dc, text, rect, flags);
    if (enabled) {
        Draw(dc, text, rect, flags);
    } else {
        canvas->Font()->SetColor(clBtnHighlight);
        TRect shifted = rect;
        shifted.Offset(1, 1);
        Draw(acCanvasTextDC(canvas), text, shifted, flags);
        canvas->Font()->SetColor(clBtnShadow);
        Draw(acCanvasTextDC(canvas), text, rect, flags);
    }
    if (byHand) Inflate(rect, 1, 1);
    r = rect;
}

void WriteTextOnDC(HDC dc, const UnicodeString& text, bool enabled, TRect& r, UINT flags)
{
    if (!dc || text.empty()) return;
    SetBkMode(dc, TRANSPARENT);
    TRect rect = r;
    const bool byHand = LayOutByHand(dc, text, rect, flags);
    if (!enabled) {
        TRect shifted = rect;
        shifted.Offset(1, 1);
        Draw(dc, text, shifted, flags);
    }
    Draw(dc, text, rect, flags);
    if (byHand) Inflate(rect, 1, 1);
    r = rect;
}

void acWriteText(TCanvas* canvas, const UnicodeString& text, bool, TRect& r, UINT flags)
{
    if (canvas) acDrawText(acCanvasTextDC(canvas), text, r, flags);
}

UnicodeString CutText(TCanvas* canvas, const UnicodeString& text, int maxWidth)
{
    if (!canvas || maxWidth < 1) return {};
    if (canvas->TextWidth(text) <= maxWidth) return text;
    UnicodeString result = text;
    do {
        result.pop_back();
    } while (!result.empty() && canvas->TextWidth(result + L"...") > maxWidth);
    return result.empty() ? result : result + L"...";
}
