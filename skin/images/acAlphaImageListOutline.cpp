#include "acAlphaImageListOutline.h"

#include "Exceptions.h"
#include "SysUtils.h"
#include "acGPUtils.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr int kCurveSteps = 7;

struct PointD {
    double X = 0;
    double Y = 0;
};

PointD FromFixed(const POINTFX& p)
{
    return {p.x.value + p.x.fract / 65536.0, p.y.value + p.y.fract / 65536.0};
}

template <class T>
bool ReadAt(std::span<const std::uint8_t> buffer, std::size_t offset, T& out)
{
    if (offset > buffer.size() || buffer.size() - offset < sizeof(T)) return false;
    std::memcpy(&out, buffer.data() + offset, sizeof(T));
    return true;
}

class ContourBuilder {
public:
    ContourBuilder(TacStrokeCollection& strokes, int contour, PointD start)
        : strokes_(strokes), contour_(contour), start_(start), last_(start)
    {
    }
    void LineTo(PointD p)
    {
        const auto x1 = Round(last_.X), y1 = Round(last_.Y), x2 = Round(p.X), y2 = Round(p.Y);
        last_ = p;
        if (x1 == x2 && y1 == y2) return;
        strokes_.Add({contour_, static_cast<std::int32_t>(x1), static_cast<std::int32_t>(y1),
                      static_cast<std::int32_t>(x2), static_cast<std::int32_t>(y2)});
    }
    void CurveTo(PointD control, PointD end)
    {
        const PointD from = last_;
        for (int i = 1; i <= kCurveSteps; ++i) {
            const double t = static_cast<double>(i) / kCurveSteps, u = 1 - t;
            LineTo({u * u * from.X + 2 * u * t * control.X + t * t * end.X,
                    u * u * from.Y + 2 * u * t * control.Y + t * t * end.Y});
        }
    }
    void Close() { LineTo(start_); }

private:
    TacStrokeCollection& strokes_;
    int contour_;
    PointD start_;
    PointD last_;
};

} // namespace

TacFontStroke TacStrokeCollection::GetFontStroke(int index) const
{
    if (index < 0 || index >= Count()) throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return strokes_[static_cast<std::size_t>(index)];
}

int TacStrokeCollection::StartOfGlyph(int n) const
{
    for (int i = 0; i < Count(); ++i)
        if (strokes_[static_cast<std::size_t>(i)].Contour == n) return i;
    return -1;
}

int TacStrokeCollection::GlyphNumStrokes(int n) const
{
    const auto count = std::count_if(strokes_.begin(), strokes_.end(), [n](const TacFontStroke& s) { return s.Contour == n; });
    return count ? static_cast<int>(count) : -1;
}

bool ReadGlyphOutline(std::span<const std::uint8_t> buffer, TacStrokeCollection& strokes)
{
    strokes.Clear();
    std::size_t pos = 0;
    int contour = 0;
    while (pos < buffer.size()) {
        TTPOLYGONHEADER header{};
        if (!ReadAt(buffer, pos, header) || header.dwType != TT_POLYGON_TYPE || header.cb < sizeof header ||
            header.cb > buffer.size() - pos) {
            strokes.Clear();
            return false;
        }
        const std::size_t end = pos + header.cb;
        ContourBuilder builder(strokes, contour, FromFixed(header.pfxStart));
        std::size_t at = pos + sizeof header;
        while (at < end) {
            WORD type = 0, count = 0;
            const std::span<const std::uint8_t> polygon = buffer.first(end);
            if (!ReadAt(polygon, at, type) || !ReadAt(polygon, at + 2, count) || count == 0 ||
                (end - at - 4) / sizeof(POINTFX) < count) {
                strokes.Clear();
                return false;
            }
            std::vector<PointD> points(count);
            for (std::size_t i = 0; i < count; ++i) {
                POINTFX p{};
                ReadAt(polygon, at + 4 + i * sizeof(POINTFX), p);
                points[i] = FromFixed(p);
            }
            if (type == TT_PRIM_QSPLINE) {
                // Control points; an on-curve point lies midway between two of them.
                for (std::size_t i = 0; i + 1 < count; ++i) {
                    const PointD next = i + 2 < count ? PointD{(points[i].X + points[i + 1].X) / 2,
                                                               (points[i].Y + points[i + 1].Y) / 2}
                                                      : points[i + 1];
                    builder.CurveTo(points[i], next);
                }
                if (count == 1) builder.LineTo(points[0]);
            } else {
                for (const PointD& p : points) builder.LineTo(p);
            }
            at += 4 + static_cast<std::size_t>(count) * sizeof(POINTFX);
        }
        builder.Close();
        pos = end;
        ++contour;
    }
    return strokes.Count() > 0;
}

bool GetCharStrokes(TFont* font, wchar_t ch, TacStrokeCollection& strokes)
{
    strokes.Clear();
    if (!font) return false;
    TFont big;
    big.Assign(font);
    big.SetSize(512);
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (!dc) return false;
    HGDIOBJ old = ::SelectObject(dc, big.Handle());
    GLYPHMETRICS metrics{};
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    const DWORD size = ::GetGlyphOutlineW(dc, ch, GGO_NATIVE, &metrics, 0, nullptr, &identity);
    bool ok = false;
    if (size != GDI_ERROR && size > 0 && size < (1u << 24)) {
        std::vector<std::uint8_t> buffer(size);
        const DWORD got = ::GetGlyphOutlineW(dc, ch, GGO_NATIVE, &metrics, size, buffer.data(), &identity);
        if (got != GDI_ERROR) ok = ReadGlyphOutline(std::span(buffer).first(std::min<std::size_t>(got, size)), strokes);
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return ok;
}

TSize DrawCharOutline(HDC dc, TFont* font, wchar_t ch, const TRect& r, int angle, TColor color, int penWidth,
                      bool measure)
{
    TacStrokeCollection strokes;
    if (!GetCharStrokes(font, ch, strokes)) return {};
    int minX = std::numeric_limits<int>::max(), minY = minX;
    int maxX = std::numeric_limits<int>::min(), maxY = maxX;
    for (int i = 0; i < strokes.Count(); ++i) {
        const TacFontStroke s = strokes.GetFontStroke(i);
        minX = std::min({minX, s.X1, s.X2});
        maxX = std::max({maxX, s.X1, s.X2});
        minY = std::min({minY, s.Y1, s.Y2});
        maxY = std::max({maxY, s.Y1, s.Y2});
    }
    const double bw = static_cast<double>(maxX) - minX, bh = static_cast<double>(maxY) - minY;
    if (bw <= 0 || bh <= 0) return {};
    const double width = r.Width(), height = r.Height();
    double scale = height / bh;
    if (bw * scale > width) scale = (width - (measure ? 6 : 0)) / bw;
    if (scale <= 0) return {};
    const double sw = bw * scale, sh = bh * scale;
    if (measure) return {static_cast<LONG>(Round(sw)), static_cast<LONG>(Round(sh))};
    const double left = r.Left + (width - sw) / 2, top = r.Top + (height - sh) / 2;
    const TacPointF centre{static_cast<float>(r.Left + width / 2), static_cast<float>(r.Top + height / 2)};
    for (int n = 0;; ++n) {
        const int first = strokes.StartOfGlyph(n);
        if (first < 0) break;
        const int count = strokes.GlyphNumStrokes(n);
        std::vector<TacPointF> points;
        points.reserve(static_cast<std::size_t>(count));
        for (int i = first; i < first + count; ++i) {
            const TacFontStroke s = strokes.GetFontStroke(i);
            const double y = top + (s.Y1 - minY) * scale;
            points.push_back({static_cast<float>(left + (s.X1 - minX) * scale),
                              static_cast<float>(r.Top + height - (y - r.Top) - 2)});
        }
        if (angle != 0) acgpRotatePoints(points, centre, 360 - angle);
        acgpDrawPolygon(dc, color, points, static_cast<float>(penWidth));
    }
    return {static_cast<LONG>(Round(sw)), static_cast<LONG>(Round(sh))};
}
