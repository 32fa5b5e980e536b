#include "sGraphUtilsTemplate.h"

#include "acntUtils.h"

#include <algorithm>

void BitBltBorder(HDC destDC, int x, int y, int width, int height, HDC srcDC, int srcX, int srcY, int borderWidth,
                  int topWidth, int rightWidth, int bottomWidth)
{
    if (!destDC || !srcDC) return;
    borderWidth = std::max(borderWidth, 0);
    // Only a missing bottom width brings in the defaults; callers pass a negative right width on
    // purpose with a given bottom one.
    if (bottomWidth < 0) {
        bottomWidth = borderWidth;
        if (topWidth < 0) topWidth = borderWidth;
        if (rightWidth < 0) rightWidth = borderWidth;
    }
    BitBlt(destDC, x, y, borderWidth, height, srcDC, srcX, srcY, SRCCOPY);
    BitBlt(destDC, x + borderWidth, y, width, topWidth, srcDC, srcX + borderWidth, srcY, SRCCOPY);
    BitBlt(destDC, x + width - rightWidth, y + topWidth, rightWidth, height, srcDC, srcX + width - rightWidth,
           srcY + topWidth, SRCCOPY);
    BitBlt(destDC, x + borderWidth, y + height - bottomWidth, width - rightWidth, bottomWidth, srcDC,
           srcX + borderWidth, srcY + height - bottomWidth, SRCCOPY);
}

namespace {

// Lays pieces of `step` from `from` while a whole one still leaves room before `to`, then one
// cut piece up to `to`; each piece is place(position, length).
template <class Place>
void TileSpan(int from, int to, int step, Place place)
{
    int p = from;
    for (; p < to - step; p += step) place(p, step);
    if (p < to) place(p, to - p);
}

} // namespace

void PaintControlByTemplate(TBitmap* dstBmp, TBitmap* srcBmp, const TRect& dstRect, const TRect& srcRect,
                            const TRect& borders, const TRect& innerBorders, const TRect& modes, bool stretchCenter,
                            bool drawCenter)
{
    if (!dstBmp || !srcBmp || dstBmp->Empty() || srcBmp->Empty() || dstRect.IsEmpty()) return;
    const TRect& d = dstRect;
    const TRect& s = srcRect;
    const TRect& b = borders;
    HDC dc = dstBmp->Canvas()->Handle();
    HDC src = srcBmp->Canvas()->Handle();
    SetStretchBltMode(dc, COLORONCOLOR);
    auto copy = [&](int x, int y, int w, int h, int sx, int sy) {
        if (w > 0 && h > 0) BitBlt(dc, x, y, w, h, src, sx, sy, SRCCOPY);
    };
    auto stretch = [&](int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
        if (w > 0 && h > 0 && sw > 0 && sh > 0) StretchBlt(dc, x, y, w, h, src, sx, sy, sw, sh, SRCCOPY);
    };

    // A corner takes at most the half of the area on its side of the area's own centre, so that
    // the corners of a small area meet, wherever the area lies; the sides and the inner bands of
    // a corner are never thicker than the corner, so they meet where the corners do. Pieces left
    // without room (no width or height) are not drawn.
    const int cx = (d.Left + d.Right) / 2;
    const int cy = (d.Top + d.Bottom) / 2;
    const int l = std::min<int>(b.Left, cx - d.Left);
    const int t = std::min<int>(b.Top, cy - d.Top);
    const int r = std::min<int>(d.Right - cx, b.Right);
    const int bt = std::min<int>(d.Bottom - cy, b.Bottom);
    const int lmin = std::min<int>({b.Left, innerBorders.Left, l});
    const int tmin = std::min<int>({b.Top, innerBorders.Top, t});
    const int rmin = std::min<int>({b.Right, innerBorders.Right, r});
    const int bmin = std::min<int>({b.Bottom, innerBorders.Bottom, bt});

    // Corners: a band along the outer side, and the inner band of the side next to it.
    copy(d.Left, d.Top, l, tmin, s.Left, s.Top);
    if (b.Top != tmin) copy(d.Left, d.Top + tmin, lmin, t - tmin, s.Left, s.Top + tmin);
    copy(d.Left, d.Bottom - bmin, l, bmin, s.Left, s.Bottom - bmin);
    if (b.Bottom != bmin) copy(d.Left, d.Bottom - bt, lmin, bt - bmin, s.Left, s.Bottom - bt);
    copy(d.Right - r, d.Top, r, tmin, s.Right - r, s.Top);
    if (b.Top != tmin) copy(d.Right - rmin, d.Top + tmin, rmin, t - tmin, s.Right - rmin, s.Top + tmin);
    copy(d.Right - r, d.Bottom - bmin, r, bmin, s.Right - r, s.Bottom - bmin);
    if (b.Bottom != bmin) copy(d.Right - rmin, d.Bottom - bt, rmin, bt - bmin, s.Right - rmin, s.Bottom - bt);

    // The middle of the template's width and height, the piece that sides and centre repeat.
    const int cw = std::max(0, WidthOf(s, true) - static_cast<int>(b.Right) - static_cast<int>(b.Left));
    const int ch = std::max(0, HeightOf(s, true) - static_cast<int>(b.Bottom) - static_cast<int>(b.Top));
    const int sideTop = d.Top + t, sideBottom = d.Bottom - bt;
    const int sideLeft = d.Left + l, sideRight = d.Right - r;

    if (ch > 0) {
        if (modes.Left & 1)
            stretch(d.Left, sideTop, lmin, d.Bottom - d.Top - t - bt, s.Left, s.Top + t, lmin,
                    s.Bottom - s.Top - t - b.Bottom);
        else
            TileSpan(sideTop, sideBottom, ch, [&](int y, int h) { copy(d.Left, y, lmin, h, s.Left, s.Top + t); });
    }
    if (cw > 0) {
        if (modes.Top & 1)
            stretch(sideLeft, d.Top, d.Right - d.Left - l - r, tmin, s.Left + l, s.Top, s.Right - s.Left - l - r, tmin);
        else
            TileSpan(sideLeft, sideRight, cw, [&](int x, int w) { copy(x, d.Top, w, tmin, s.Left + l, s.Top); });
    }
    if (ch > 0) {
        if (modes.Right & 1)
            stretch(d.Right - rmin, sideTop, rmin, d.Bottom - d.Top - t - bt, s.Right - rmin, s.Top + t, rmin,
                    s.Bottom - s.Top - bt - t);
        else
            TileSpan(sideTop, sideBottom, ch,
                     [&](int y, int h) { copy(d.Right - rmin, y, rmin, h, s.Right - rmin, s.Top + t); });
    }
    if (cw > 0) {
        if (modes.Bottom & 1)
            stretch(sideLeft, d.Bottom - bmin, d.Right - d.Left - l - r, bmin, s.Left + l, s.Bottom - bmin,
                    s.Right - s.Left - l - r, bmin);
        else
            TileSpan(sideLeft, sideRight, cw,
                     [&](int x, int w) { copy(x, d.Bottom - bmin, w, bmin, s.Left + l, s.Bottom - bmin); });
    }

    if (!drawCenter) return;
    if (stretchCenter) {
        stretch(sideLeft, sideTop, d.Right - d.Left - r - l, d.Bottom - d.Top - bt - t, s.Left + l, s.Top + t,
                s.Right - s.Left - r - l, s.Bottom - s.Top - bt - t);
    } else if (ch > 0 && cw > 0) {
        TileSpan(sideLeft, sideRight, cw, [&](int x, int w) {
            TileSpan(sideTop, sideBottom, ch, [&](int y, int h) { copy(x, y, w, h, s.Left + l, s.Top + t); });
        });
    }
}
