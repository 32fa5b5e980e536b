#include "sGraphUtilsFill.h"

#include "Colors.h"
#include "acGPUtils.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"

#include <algorithm>
#include <array>
#include <span>

namespace {

// Fills the rectangles with one solid brush; the DC's state is saved around the fill.
void FillOpaque(HDC dc, std::span<const TRect> rects, TColor color)
{
    const int saved = SaveDC(dc);
    HBRUSH brush = CreateSolidBrush(ColorToGdi(ColorToRGB(color)));
    HGDIOBJ old = SelectObject(dc, brush);
    for (const TRect& r : rects) {
        const RECT rc = r;
        FillRect(dc, &rc, brush);
    }
    SelectObject(dc, old);
    DeleteObject(brush);
    RestoreDC(dc, saved);
}

} // namespace

void FillDC(HDC dc, const TRect& r, TColor color, int alpha)
{
    if (!dc) return;
    if (alpha != 0) {
        acgpFillRect(dc, color, r, alpha);
        return;
    }
    const std::array<TRect, 1> rects{r};
    FillOpaque(dc, rects, color);
}

void FillDCBorder(HDC dc, const TRect& r, int wl, int wt, int wr, int wb, TColor color, int alpha)
{
    if (!dc) return;
    const std::array<TRect, 4> sides{
        TRect(r.Left, r.Top, r.Right, r.Top + wt),
        TRect(r.Left, r.Top + wt, r.Left + wl, r.Bottom),
        TRect(r.Left + wl, r.Bottom - wb, r.Right, r.Bottom),
        TRect(r.Right - wr, r.Top + wt, r.Right, r.Bottom - wb),
    };
    if (alpha < 1) {
        FillOpaque(dc, sides, color);
        return;
    }
    for (const TRect& side : sides) acgpFillRect(dc, color, side, alpha);
}

void PaintTransBG(TBitmap* bmp, const TRect& r, TColor color1, TColor color2, int cellSize)
{
    if (!bmp || bmp->Empty() || cellSize <= 0 || r.IsEmpty()) return;
    if (bmp->PixelFormat() != pf32bit) bmp->SetPixelFormat(pf32bit);
    const int s = cellSize;
    // The cells are written straight into the pixels, which a clip region does not cut: each is
    // cut to R itself.
    auto cell = [&](int left, int top, TColor color) {
        const TRect c(std::max<LONG>(left, r.Left), std::max<LONG>(top, r.Top), std::min<LONG>(left + s, r.Right),
                      std::min<LONG>(top + s, r.Bottom));
        if (!c.IsEmpty()) FillRect32(bmp, c, color, 255);
    };
    cell(r.Left, r.Top, color1);
    cell(r.Left + s, r.Top, color2);
    cell(r.Left, r.Top + s, color2);

    HDC dc = bmp->Canvas()->Handle();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
    for (int x = r.Left + 2 * s; x < r.Right; x += 2 * s) BitBlt(dc, x, r.Top, 2 * s, s, dc, r.Left, r.Top, SRCCOPY);
    BitBlt(dc, r.Left + s, r.Top + s, WidthOf(r) - s, s, dc, r.Left, r.Top, SRCCOPY);
    for (int y = r.Top + 2 * s; y < r.Bottom; y += 2 * s)
        BitBlt(dc, r.Left, y, WidthOf(r), 2 * s, dc, r.Left, r.Top, SRCCOPY);
    RestoreDC(dc, saved);
}
