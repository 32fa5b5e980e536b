#include "sGraphUtilsText.h"

#include "acGPUtils.h"
#include "sAlphaGraph.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

// The screen DC with a font selected for as long as it lives.
class ScreenFontDC {
public:
    explicit ScreenFontDC(HFONT font) : dc_(GetDC(nullptr)), old_(dc_ ? SelectObject(dc_, font) : nullptr) {}
    ~ScreenFontDC()
    {
        if (!dc_) return;
        SelectObject(dc_, old_);
        ReleaseDC(nullptr, dc_);
    }
    ScreenFontDC(const ScreenFontDC&) = delete;
    ScreenFontDC& operator=(const ScreenFontDC&) = delete;
    HDC Handle() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

bool Extent(HFONT font, const UnicodeString& text, SIZE& size)
{
    ScreenFontDC dc(font);
    return dc.Handle() && GetTextExtentPoint32W(dc.Handle(), text.c_str(), static_cast<int>(text.size()), &size);
}

} // namespace

int GetFontHeight(HFONT font, bool exact)
{
    ScreenFontDC dc(font);
    TEXTMETRICW tm{};
    if (!dc.Handle() || !GetTextMetricsW(dc.Handle(), &tm)) return 0;
    return exact ? tm.tmHeight - tm.tmInternalLeading - tm.tmExternalLeading : tm.tmHeight + 6;
}

bool FontSizeIsNear(const TFont* font, const UnicodeString& text, const UnicodeString& fontName)
{
    if (!font) return false;
    TFont probe;
    probe.Assign(font);
    SIZE first{}, second{};
    if (!Extent(probe.Handle(), text, first)) return false;
    probe.SetName(fontName);
    if (!Extent(probe.Handle(), text, second)) return false;
    const auto ratio = [](LONG a, LONG b) {
        const double lo = std::min(a, b), hi = std::max(a, b);
        return lo > 0 ? hi / lo : (hi > 0 ? 1e9 : 1.0);
    };
    return ratio(first.cx, second.cx) <= 1.07 && ratio(first.cy, second.cy) <= 1.2;
}

void GetStringSize(HFONT font, const UnicodeString& text, UINT flags, TSize& size, bool addSpace, int maxWidth,
                   bool multiLine)
{
    size = {0, 0};
    ScreenFontDC dc(font);
    if (!dc.Handle()) return;
    if (multiLine) {
        RECT r{0, 0, maxWidth, 0};
        DrawTextW(dc.Handle(), text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT);
        size = {r.right - r.left, r.bottom - r.top};
    } else {
        SIZE s{};
        if (GetTextExtentPoint32W(dc.Handle(), text.c_str(), static_cast<int>(text.size()), &s)) size = s;
    }
    if (addSpace) {
        SIZE i{};
        if (GetTextExtentPoint32W(dc.Handle(), L"I", 1, &i)) size.cx += i.cx;
    }
}

bool FontsEqual(const TFont* font1, const TFont* font2)
{
    if (!font1 || !font2) return font1 == font2;
    return font1->Style() == font2->Style() && font1->Size() == font2->Size() &&
           font1->PixelsPerInch() == font2->PixelsPerInch() && font1->Name() == font2->Name();
}

int acDrawText(HDC dc, const UnicodeString& text, TRect& r, UINT flags, TBitmap* bmp)
{
    if ((flags & acDrawTextGdiPlus) == 0) {
        RECT rect = r;
        const int count = static_cast<int>(std::min<size_t>(acDrawTextMaxChars, text.size()));
        // The text is the caller's and constant: DrawTextW may not write a shortened copy into it.
        const int result = DrawTextW(dc, text.c_str(), count, &rect, flags & ~DT_MODIFYSTRING);
        r = rect;
        return result;
    }
    if ((flags & DT_CALCRECT) != 0) {
        const TSize size = acgpMeasureString(dc, text, (flags & DT_WORDBREAK) != 0, r.Width());
        r.Right = r.Left + size.cx;
        r.Bottom = r.Top + size.cy;
        return 1;
    }
    // acgpDrawString takes a TColor and exchanges red and blue itself.
    const auto color = static_cast<TColor>(GetTextColor(dc));
    if (acgpStartup(false))
        acgpDrawString(dc, text, r, color, AlignmentFromInt(flags), VertAlignmentFromInt(flags), 0, true);
    else if (bmp)
        WriteColor(bmp, text, true, r, flags & ~acDrawTextGdiPlus, color);
    return 1;
}
