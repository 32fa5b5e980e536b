#include "acGPUtils.h"

#include "acGPUtilsScope.h"
#include "sGraphUtilsRotate.h"

#include <algorithm>
#include <vector>

using namespace acgp_detail;
using Gdiplus::GpPointF;

std::uint8_t acgpSmoothingMode = Gdiplus::SmoothingModeHighQuality;

namespace {

// The common frame of the shape routines: a session and a smoothed graphics object on dc; draw
// runs only when both exist.
template <class Draw>
void WithGraphics(HDC dc, Draw draw)
{
    Session session;
    if (!session) return;
    Graphics g(dc);
    if (!g) return;
    g.Smooth();
    draw(g.Get());
}

// The same with a pen or a solid brush.
template <class Draw>
void WithPen(HDC dc, Gdiplus::ARGB color, float width, Draw draw)
{
    WithGraphics(dc, [&](Gdiplus::GpGraphics* g) {
        Pen pen;
        MakePen(pen, color, width);
        if (pen) draw(g, pen.Get());
    });
}

template <class Draw>
void WithBrush(HDC dc, Gdiplus::ARGB color, Draw draw)
{
    WithGraphics(dc, [&](Gdiplus::GpGraphics* g) {
        Brush brush;
        MakeSolidBrush(brush, color);
        if (brush) draw(g, brush.Get());
    });
}

void MakeLineBrush(Brush& brush, GpPointF p1, GpPointF p2, Gdiplus::ARGB c1, Gdiplus::ARGB c2, Gdiplus::WrapMode wrap)
{
    Gdiplus::GpLineGradient* line = nullptr;
    if (E().GdipCreateLineBrush && E().GdipCreateLineBrush(&p1, &p2, c1, c2, wrap, &line) == Gdiplus::Ok)
        *brush.Out() = line;
}

// Fills a rectangle or an ellipse with a linear gradient from p1 to p2.
void FillLinear(HDC dc, GpPointF p1, GpPointF p2, Gdiplus::ARGB c1, Gdiplus::ARGB c2, float x, float y, float width,
                float height, bool ellipse)
{
    WithGraphics(dc, [&](Gdiplus::GpGraphics* g) {
        Brush brush;
        MakeLineBrush(brush, p1, p2, c1, c2, Gdiplus::WrapModeTileFlipXY);
        if (!brush) return;
        const auto fill = ellipse ? E().GdipFillEllipse : E().GdipFillRectangle;
        if (fill) fill(g, brush.Get(), x, y, width, height);
    });
}

std::vector<GpPointF> ToGp(std::span<const TacPointF> points)
{
    std::vector<GpPointF> out;
    out.reserve(points.size());
    for (const TacPointF& p : points) out.emplace_back(p.X, p.Y);
    return out;
}

} // namespace

void acgpDrawEllipse(HDC dc, float x, float y, float width, float height, TColor color, float penWidth)
{
    WithPen(dc, OpaqueArgb(color), penWidth, [&](Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen) {
        if (E().GdipDrawEllipse) E().GdipDrawEllipse(g, pen, x, y, width, height);
    });
}

void acgpDrawLine(HDC dc, float x1, float y1, float x2, float y2, TColor color, float penWidth)
{
    WithPen(dc, OpaqueArgb(color), penWidth, [&](Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen) {
        if (E().GdipDrawLine) E().GdipDrawLine(g, pen, x1, y1, x2, y2);
    });
}

void acgpFillEllipse(HDC dc, float x, float y, float width, float height, TColor color)
{
    WithBrush(dc, OpaqueArgb(color), [&](Gdiplus::GpGraphics* g, Gdiplus::GpBrush* brush) {
        if (E().GdipFillEllipse) E().GdipFillEllipse(g, brush, x, y, width, height);
    });
}

void acgpDrawArc(HDC dc, float x, float y, float width, float height, float startAngle, float sweepAngle,
                 TColor color, float penWidth)
{
    WithPen(dc, OpaqueArgb(color), penWidth, [&](Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen) {
        if (E().GdipDrawArc) E().GdipDrawArc(g, pen, x, y, width, height, startAngle, sweepAngle);
    });
}

void acgpRoundRect(HDC dc, int x, int y, int width, int height, int radius, int borderWidth, TColor fillColor,
                   TColor borderColor)
{
    WithGraphics(dc, [&](Gdiplus::GpGraphics* g) {
        const float X = static_cast<float>(x), Y = static_cast<float>(y);
        const float W = static_cast<float>(width), H = static_cast<float>(height);
        const float R = static_cast<float>(std::max(radius, 0)), D = 2 * R;
        Brush brush;
        MakeSolidBrush(brush, OpaqueArgb(fillColor));
        if (brush) {
            if (R > 0 && E().GdipFillPie) {
                E().GdipFillPie(g, brush.Get(), X, Y, D, D, 180, 90);
                E().GdipFillPie(g, brush.Get(), X, Y + H - D, D, D, 90, 90);
                E().GdipFillPie(g, brush.Get(), X + W - D, Y, D, D, 270, 90);
                E().GdipFillPie(g, brush.Get(), X + W - D, Y + H - D, D, D, 0, 90);
            }
            if (E().GdipFillRectangle) {
                if (W - D > 0) E().GdipFillRectangle(g, brush.Get(), X + R, Y, W - D, H);
                if (R > 0 && H - D > 0) {
                    E().GdipFillRectangle(g, brush.Get(), X, Y + R, R, H - D);
                    E().GdipFillRectangle(g, brush.Get(), X + W - R, Y + R, R, H - D);
                }
            }
        }
        if (borderWidth <= 0) return;
        Pen pen;
        MakePen(pen, OpaqueArgb(borderColor), static_cast<float>(borderWidth));
        if (!pen) return;
        if (R > 0 && E().GdipDrawArc) {
            E().GdipDrawArc(g, pen.Get(), X, Y, D, D, 180, 90);
            E().GdipDrawArc(g, pen.Get(), X + W - D, Y, D, D, 270, 90);
            E().GdipDrawArc(g, pen.Get(), X + W - D, Y + H - D, D, D, 0, 90);
            E().GdipDrawArc(g, pen.Get(), X, Y + H - D, D, D, 90, 90);
        }
        if (E().GdipDrawLine) {
            E().GdipDrawLine(g, pen.Get(), X + R, Y, X + W - R, Y);
            E().GdipDrawLine(g, pen.Get(), X + W, Y + R, X + W, Y + H - R);
            E().GdipDrawLine(g, pen.Get(), X + R, Y + H, X + W - R, Y + H);
            E().GdipDrawLine(g, pen.Get(), X, Y + R, X, Y + H - R);
        }
    });
}

void acgpFillRect(HDC dc, TColor color, const TRect& r, int alpha)
{
    const Gdiplus::ARGB argb = static_cast<Gdiplus::ARGB>(alpha & 0xFF) << 24 |
                               (static_cast<std::uint32_t>(SwapRedBlue(color)) & 0xFFFFFFu);
    WithBrush(dc, argb, [&](Gdiplus::GpGraphics* g, Gdiplus::GpBrush* brush) {
        if (E().GdipFillRectangle)
            E().GdipFillRectangle(g, brush, static_cast<float>(r.Left), static_cast<float>(r.Top),
                                  static_cast<float>(r.Width()), static_cast<float>(r.Height()));
    });
}

void acgpFillRectangle(HDC dc, Gdiplus::GpBrush* brush, float x, float y, float width, float height)
{
    if (!brush) return;
    WithGraphics(dc, [&](Gdiplus::GpGraphics* g) {
        if (E().GdipFillRectangle) E().GdipFillRectangle(g, brush, x, y, width, height);
    });
}

Gdiplus::GpBrush* acgpCreateLineBrush(HDC, TPoint p1, TPoint p2, std::uint32_t color1, std::uint32_t color2)
{
    Session session;
    if (!session) return nullptr;
    Brush brush;
    MakeLineBrush(brush, GpPointF(static_cast<float>(p1.X), static_cast<float>(p1.Y)),
                  GpPointF(static_cast<float>(p2.X), static_cast<float>(p2.Y)), color1, color2,
                  Gdiplus::WrapModeTileFlipXY);
    return brush.Release();
}

void acgpGradientRing(HDC dc, float x, float y, float width, float height, TColor color1, TColor color2,
                      float penWidth)
{
    WithGraphics(dc, [&](Gdiplus::GpGraphics* g) {
        Brush brush;
        MakeLineBrush(brush, GpPointF(x, y - penWidth), GpPointF(x, y + height + penWidth), OpaqueArgb(color1),
                      OpaqueArgb(color2), Gdiplus::WrapModeTileFlipXY);
        Pen pen;
        MakePen(pen, OpaqueArgb(color1), penWidth);
        if (!brush || !pen || !E().GdipSetPenBrushFill || !E().GdipDrawEllipse) return;
        if (E().GdipSetPenBrushFill(pen.Get(), brush.Get()) == Gdiplus::Ok)
            E().GdipDrawEllipse(g, pen.Get(), x, y, width, height);
    });
}

void acgpGradientEllipse(HDC dc, float x, float y, float width, float height, TColor color1, TColor color2)
{
    FillLinear(dc, GpPointF(x, y), GpPointF(x, y + height), OpaqueArgb(color1), OpaqueArgb(color2), x, y, width,
               height, true);
}

void acgpGradientRectangleH(HDC dc, float x, float y, float width, float height, TColor color1, TColor color2)
{
    FillLinear(dc, GpPointF(x, y), GpPointF(x + width, y), AlphaArgb(color1), AlphaArgb(color2), x, y, width, height,
               false);
}

void acgpGradientRectangleV(HDC dc, float x, float y, float width, float height, TColor color1, TColor color2)
{
    FillLinear(dc, GpPointF(x, y), GpPointF(x, y + height), AlphaArgb(color1), AlphaArgb(color2), x, y, width,
               height, false);
}

void acgpGradientRectangle(HDC dc, float x, float y, float width, float height, const std::array<TPoint, 4>& points,
                           const std::array<TsColor, 4>& colors, TsColor centerColor)
{
    WithGraphics(dc, [&](Gdiplus::GpGraphics* g) {
        std::array<GpPointF, 4> path;
        std::array<Gdiplus::ARGB, 4> surround{};
        for (size_t i = 0; i < 4; ++i) {
            path[i] = GpPointF(static_cast<float>(points[i].X), static_cast<float>(points[i].Y));
            surround[i] = AlphaArgb(colors[i].I);
        }
        Brush brush;
        Gdiplus::GpPathGradient* gradient = nullptr;
        if (!E().GdipCreatePathGradient ||
            E().GdipCreatePathGradient(path.data(), 4, Gdiplus::WrapModeClamp, &gradient) != Gdiplus::Ok)
            return;
        *brush.Out() = gradient;
        if (!E().GdipSetPathGradientCenterColor || !E().GdipSetPathGradientSurroundColorsWithCount ||
            !E().GdipFillRectangle)
            return;
        INT count = 4;
        E().GdipSetPathGradientCenterColor(gradient, AlphaArgb(centerColor.I));
        E().GdipSetPathGradientSurroundColorsWithCount(gradient, surround.data(), &count);
        E().GdipFillRectangle(g, brush.Get(), x, y, width, height);
    });
}

void acgpDrawPolygon(HDC dc, TColor color, std::span<const TacPointF> points, float penWidth)
{
    if (points.empty()) return;
    const std::vector<GpPointF> gp = ToGp(points);
    WithPen(dc, OpaqueArgb(color), penWidth, [&](Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen) {
        if (E().GdipDrawPolygon) E().GdipDrawPolygon(g, pen, gp.data(), static_cast<INT>(gp.size()));
    });
}

void acgpDrawBeziers(HDC dc, TColor color, std::span<const TacPointF> points, float penWidth)
{
    if (points.empty()) return;
    const std::vector<GpPointF> gp = ToGp(points);
    WithPen(dc, OpaqueArgb(color), penWidth, [&](Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen) {
        if (E().GdipDrawBeziers) E().GdipDrawBeziers(g, pen, gp.data(), static_cast<INT>(gp.size()));
    });
}

void acgpFillPolygon(HDC dc, TColor color, std::span<const TacPointF> points)
{
    if (points.empty()) return;
    const std::vector<GpPointF> gp = ToGp(points);
    WithBrush(dc, OpaqueArgb(color), [&](Gdiplus::GpGraphics* g, Gdiplus::GpBrush* brush) {
        if (E().GdipFillPolygon)
            E().GdipFillPolygon(g, brush, gp.data(), static_cast<INT>(gp.size()), Gdiplus::FillModeAlternate);
    });
}

void acgpFillPolygon(HDC dc, TColor color, std::span<const TPoint> points)
{
    std::vector<TacPointF> f;
    f.reserve(points.size());
    for (const TPoint& p : points) f.push_back({static_cast<float>(p.X), static_cast<float>(p.Y)});
    acgpFillPolygon(dc, color, std::span<const TacPointF>(f));
}

void acgpGradientPolygon(HDC dc, TColor color1, TColor color2, TacSide side, std::span<const TPoint> points)
{
    if (points.empty()) return;
    WithGraphics(dc, [&](Gdiplus::GpGraphics* g) {
        LONG left = points[0].X, top = points[0].Y, right = left, bottom = top;
        std::vector<GpPointF> gp;
        gp.reserve(points.size());
        for (const TPoint& p : points) {
            left = std::min(left, p.X);
            right = std::max(right, p.X);
            top = std::min(top, p.Y);
            bottom = std::max(bottom, p.Y);
            gp.emplace_back(static_cast<float>(p.X), static_cast<float>(p.Y));
        }
        const auto convert = [](TColor c) -> Gdiplus::ARGB {
            const auto v = static_cast<std::uint32_t>(c);
            return (v >> 24) == 0 ? v | 0xFF000000u : static_cast<std::uint32_t>(SwapRedBlue(c));
        };
        const GpPointF start(static_cast<float>(left), static_cast<float>(top));
        const GpPointF end = side == asLeft || side == asTop ? GpPointF(static_cast<float>(left), static_cast<float>(bottom))
                                                             : GpPointF(static_cast<float>(right), static_cast<float>(top));
        Brush brush;
        MakeLineBrush(brush, start, end, convert(color1), convert(color2), Gdiplus::WrapModeTile);
        if (brush && E().GdipFillPolygon)
            E().GdipFillPolygon(g, brush.Get(), gp.data(), static_cast<INT>(gp.size()), Gdiplus::FillModeWinding);
    });
}

void acgpRotatePoints(std::span<TacPointF> points, TacPointF center, int angle)
{
    const double c = acCos(angle), s = acSin(angle);
    for (TacPointF& p : points) {
        const double dx = p.X - center.X, dy = p.Y - center.Y;
        p.X = static_cast<float>(center.X + dx * c + dy * s);
        p.Y = static_cast<float>(center.Y - dx * s + dy * c);
    }
}
