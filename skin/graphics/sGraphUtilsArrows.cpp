#include "sGraphUtilsArrows.h"

#include "acGPUtils.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sGraphUtils.h"
#include "sGraphUtilsRotate.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <utility>

namespace {

bool LineStyle(TacArrowsStyle style) { return style == arsLines1 || style == arsLines2; }
bool SolidStyle(TacArrowsStyle style) { return style == arsSolid1 || style == arsSolid2; }

// What the shape routine works with, after the size and colour steps.
struct ArrowShape {
    TacArrowsStyle style;
    int a;         // arrow size
    int w;         // width of R, odd for the line styles
    int lineWidth;
    TColor fill;   // pixel word of the fill (clNone: no fill), a TColor for arsSolid3
    TColor color;  // the lines' colour
};

// The glyph of an arrow pointing down.
std::unique_ptr<TBitmap> MakeDownGlyph(const ArrowShape& s)
{
    const int lw = s.lineWidth, a = s.a;
    const int t = std::max(1, lw / 2), h = lw / 2;
    const bool wOdd = s.w % 2 != 0;
    int gw = 0, gh = 0;
    switch (s.style) {
    case arsSolid1:
        gw = 2 * a + (wOdd ? 1 : 0);
        gh = a + (wOdd ? 1 : 0);
        break;
    case arsLines1:
        gw = 2 * a + 1 + lw;
        gh = a + lw + t;
        break;
    case arsSolid2:
        gw = 2 * a + (wOdd ? 0 : 1);
        gh = a / 2 + (wOdd ? 1 : 0);
        break;
    case arsLines2:
        gw = 2 * a + lw;
        gh = a / 2 + lw + t;
        break;
    default: // arsSolid3
        gw = a + 4 + ((a + 4) % 2 == 0 ? 1 : 0);
        gh = a + 3;
        break;
    }
    auto glyph = CreateBmp32(gw, gh);
    FillRect32(glyph.get(), TRect(0, 0, gw, gh), static_cast<TColor>(0xFFFFFF), 0);
    TacBmpRows rows(glyph.get());
    if (!rows.Valid()) return glyph;
    const int p = gw % 2;
    std::array<TPoint, 4> pts;
    if (LineStyle(s.style)) {
        pts[0] = TPoint(t, t);
        pts[1] = TPoint(a + t, gh - lw);
        pts[2] = TPoint(pts[1].X - h + p, pts[1].Y);
        pts[3] = TPoint(pts[2].X + a, t);
    } else {
        pts = {TPoint(0, 0), TPoint(gw / 2 - 1 + p, gh - 1), TPoint(gw / 2, gh - 1), TPoint(gw - 1, 0)};
    }
    TCanvas* canvas = glyph->Canvas();
    if (s.style == arsSolid3) {
        acgpFillPolygon(canvas->Handle(), s.fill, std::span<const TPoint>(pts));
        return glyph;
    }
    if (s.fill != clNone) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clBlack);
        canvas->Polygon(pts);
        GdiFlush();
        for (int y = 0; y < gh; ++y)
            for (TsColor_& px : rows.Row(y)) {
                const int sum = px.B + px.G + px.R;
                if (sum != 765) {
                    px.I = s.fill;
                    px.A = static_cast<std::uint8_t>(255 - sum / 3);
                } else {
                    px.I = 0x00FFFFFF;
                }
            }
    }
    if (lw >= 1) {
        const auto line = [&](const TPoint& from, const TPoint& to) {
            acgpDrawLine(canvas->Handle(), static_cast<float>(from.X), static_cast<float>(from.Y),
                         static_cast<float>(to.X), static_cast<float>(to.Y), s.color, static_cast<float>(lw));
        };
        line(pts[0], pts[1]);
        line(pts[2], pts[3]);
        GdiFlush();
    }
    return glyph;
}

// The rows of a 32-bit bitmap exchanged top for bottom.
void MirrorRows(TBitmap* bmp)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    for (int i = 0; i <= (rows.Height() - 1) / 2; ++i) {
        auto top = rows.Row(i), bottom = rows.Row(rows.Height() - 1 - i);
        std::swap_ranges(top.begin(), top.end(), bottom.begin());
    }
}

void SetWord(TacBmpRows& rows, int x, int y, std::int32_t word)
{
    if (rows.Contains(x, y)) rows.At(x, y).I = word;
}

} // namespace

void DrawArrow(TBitmap* bmp, TColor color, TColor color2, const TRect& r, TacSide side, int lineWidth, int angle,
               int arrowSize, TacArrowsStyle style, int ppi)
{
    if (!bmp || bmp->Empty()) return;
    if (style > arsSolid3) style = arsSolid1;
    ArrowShape s{style, (arrowSize != 0 ? arrowSize : acArrowSize) * ppi / 96, WidthOf(r), lineWidth, clNone, color};
    if (SolidStyle(style)) {
        s.fill = static_cast<TColor>(SwapRedBlue(color) | static_cast<std::int32_t>(0xFF000000u));
        s.lineWidth = 1;
    } else if (LineStyle(style)) {
        if (s.w % 2 == 0) ++s.w;
        if (s.lineWidth == 0) s.lineWidth = acLineWidth * ppi / 96;
        if (color2 != clNone) s.fill = static_cast<TColor>(SwapRedBlue(color2) | static_cast<std::int32_t>(0xFF000000u));
    } else {
        s.fill = static_cast<TColor>(color | static_cast<std::int32_t>(0xFF000000u));
        s.lineWidth = 1;
    }
    if (SolidStyle(style)) {
        --s.a;
        if (style == arsSolid2 && s.w % 2 == 0) ++s.a;
    }
    std::unique_ptr<TBitmap> glyph = MakeDownGlyph(s);
    switch (side) {
    case asTop: MirrorRows(glyph.get()); break;
    case asLeft:
    case asRight:
        if (auto turned = sMakerotated90(glyph, side == asLeft, false)) glyph = std::move(turned);
        break;
    default: break;
    }
    const TPoint at(r.Left + (WidthOf(r) - glyph->Width()) / 2, r.Top + (HeightOf(r) - glyph->Height()) / 2);
    PaintBmpRect32(bmp, glyph.get(), TRect(0, 0, glyph->Width(), glyph->Height()), at, 255);
    if (angle != 0) {
        auto copy = CreateBmpLike(bmp);
        CopyBmp(copy.get(), bmp);
        BitBltRotated(bmp->Canvas()->Handle(), copy.get(), TPoint(bmp->Width() / 2, bmp->Height() / 2), angle - 90);
        GdiFlush();
    }
}

void DrawArrow(HDC dc, TColor color, TColor color2, const TRect& r, TacSide side, int lineWidth, int angle,
               int arrowSize, TacArrowsStyle style, int ppi)
{
    const int w = WidthOf(r), h = HeightOf(r);
    if (!dc || w < 1 || h < 1) return;
    auto work = CreateBmp32(w, h);
    BitBlt(work->Canvas()->Handle(), 0, 0, w, h, dc, r.Left, r.Top, SRCCOPY);
    GdiFlush();
    const TRect all(0, 0, w, h);
    if (angle != 0) {
        auto mask = CreateBmp32(w, h);
        FillRect32(mask.get(), all, 0, 0);
        DrawArrow(mask.get(), 0, clNone, all, side, lineWidth, angle, arrowSize, style, ppi);
        ColorizeByMask(work.get(), mask.get(), TPoint(0, 0), color);
    } else {
        DrawArrow(work.get(), color, color2, all, side, lineWidth, angle, arrowSize, style, ppi);
    }
    GdiFlush();
    BitBlt(dc, r.Left, r.Top, w, h, work->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void DrawColorArrow(TBitmap* bmp, TColor color, const TRect& r, TacSide side, int size)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    const int l = acArrowSize * size / 96;
    const int shortSide = l / 2 + l % 2;
    const bool horizontal = side == asLeft || side == asRight;
    const int bw = horizontal ? shortSide : l, bh = horizontal ? l : shortSide;
    const int bx = r.Left + (r.Width() - bw) / 2, by = r.Top + (r.Height() - bh) / 2;
    if (bx < 0 || by < 0 || bx + bw >= rows.Width() || by + bh >= rows.Height()) return;
    const std::int32_t word = SwapRedBlue(color);
    const int w = shortSide;
    if (horizontal) {
        for (int i = 0; i <= l; ++i) {
            const int from = i < w ? w - i : i - w;
            for (int c = from; c <= w - 1; ++c)
                SetWord(rows, side == asLeft ? bx + c : bx + bw - 1 - c, by + i, word);
        }
    } else {
        for (int k = 0; k < bh; ++k)
            for (int c = k; c <= l - 1 - k; ++c)
                SetWord(rows, bx + c, side == asTop ? by + bh - 1 - k : by + k, word);
    }
}

void DrawColorArrow(TCanvas* canvas, TColor color, const TRect& r, TacSide side, int size)
{
    if (!canvas) return;
    const int l = acArrowSize * size / 96;
    const int s = l / 2 + l % 2;
    if (s < 0) return;
    const int w = WidthOf(r), h = HeightOf(r);
    if (side == asLeft || side == asRight) {
        const int x0 = r.Left + (w - s) / 2, y0 = r.Top + (h - l) / 2;
        for (int i = 0; i <= s; ++i) {
            const int x = side == asLeft ? x0 + s - i : x0 + i;
            for (int y = y0 + i; y <= y0 + 2 * s - i; ++y) canvas->SetPixels(x, y, color);
        }
    } else {
        const int x0 = r.Left + (w - l) / 2 - 1, y0 = r.Top + (h - s) / 2 - 1;
        for (int i = 0; i <= s; ++i) {
            const int y = side == asTop ? y0 + s - i : y0 + i;
            for (int x = x0 + i; x <= x0 + l + 1 - i; ++x) canvas->SetPixels(x, y, color);
        }
    }
}

void acPaintLine(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}
