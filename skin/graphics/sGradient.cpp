#include "sGradient.h"

#include "SysUtils.h"
#include "acGPUtils.h"
#include "acUnitCounter.h"
#include "sAlphaGraph.h"
#include "sGraphUtils.h"
#include "sGraphUtilsMix.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using TGradientFill = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

TacUnitCounter g_unitCounter;
HMODULE g_msimg32 = nullptr;
TGradientFill g_gradientFill = nullptr;

// The non-empty runs between semicolons; a word past the last one is empty.
class TWords {
public:
    explicit TWords(const UnicodeString& text)
    {
        size_t start = 0;
        while (start <= text.size()) {
            const size_t end = std::min(text.find(L';', start), text.size());
            if (end > start) words_.push_back(text.substr(start, end - start));
            start = end + 1;
        }
    }
    size_t Count() const { return words_.size(); }
    int Number(size_t i) const { return StrToInt(i < words_.size() ? words_[i] : UnicodeString()); }

private:
    std::vector<UnicodeString> words_;
};

int Clamp100(int v) { return std::clamp(v, 0, 100); }

// Clamped to the bitmap: right and bottom lowered to its size, left and top raised to 0.
void LimitToBitmap(TRect& r, const TacBmpRows& rows)
{
    r.Right = std::min<LONG>(r.Right, rows.Width());
    r.Bottom = std::min<LONG>(r.Bottom, rows.Height());
    r.Left = std::max<LONG>(r.Left, 0);
    r.Top = std::max<LONG>(r.Top, 0);
}

TsColor_ PixelOf(TsColor c, std::uint8_t alpha)
{
    TsColor_ p;
    p.R = c.R;
    p.G = c.G;
    p.B = c.B;
    p.A = alpha;
    return p;
}

std::uint8_t ChannelByte(float v) { return static_cast<std::uint8_t>(std::clamp<long long>(Round(v), 0, 255)); }

// A colour moving from a toward b in n steps: single-precision channels, a double step added
// once per row or pixel, each value rounded half to even.
class TRamp {
public:
    TRamp(TsColor a, TsColor b, int n)
        : r_(a.R), g_(a.G), b_(a.B), dr_((b.R - a.R) / static_cast<double>(n)),
          dg_((b.G - a.G) / static_cast<double>(n)), db_((b.B - a.B) / static_cast<double>(n))
    {
    }
    TsColor_ Pixel(std::uint8_t alpha) const
    {
        TsColor_ p;
        p.R = ChannelByte(r_);
        p.G = ChannelByte(g_);
        p.B = ChannelByte(b_);
        p.A = alpha;
        return p;
    }
    void Next()
    {
        r_ = static_cast<float>(r_ + dr_);
        g_ = static_cast<float>(g_ + dg_);
        b_ = static_cast<float>(b_ + db_);
    }

private:
    float r_, g_, b_;
    double dr_, dg_, db_;
};

bool ThroughGdiplus(const TsGradPoint& a, const TsGradPoint& b) { return ((a.Mode | b.Mode) & 0x10) != 0; }

// The canvas of bmp, its state saved and its clip cut to R until the scope ends.
class TClippedDC {
public:
    TClippedDC(TBitmap* bmp, const TRect& r) : dc_(bmp->Canvas()->Handle()), saved_(SaveDC(dc_))
    {
        IntersectClipRect(dc_, r.Left, r.Top, r.Right, r.Bottom);
    }
    ~TClippedDC()
    {
        RestoreDC(dc_, saved_);
        GdiFlush();
    }
    TClippedDC(const TClippedDC&) = delete;
    TClippedDC& operator=(const TClippedDC&) = delete;
    HDC Handle() const { return dc_; }

private:
    HDC dc_;
    int saved_;
};

void FillRows(const TacBmpRows& rows, const TRect& r, int y0, int y1, TsColor_ pixel)
{
    for (int y = std::max<int>(y0, r.Top); y < std::min<int>(y1, r.Bottom); ++y)
        std::fill_n(rows.Row(y).begin() + r.Left, r.Width(), pixel);
}

void PaintRows(TBitmap* bmp, const TacBmpRows& rows, const TRect& r, const TsGradArray& arr, int offset)
{
    const size_t last = arr.size() - 1;
    int y = r.Top + offset;
    for (size_t i = 1; i <= last; ++i) {
        const TsGradPoint& a = arr[i - 1];
        const TsGradPoint& b = arr[i];
        const int y0 = y;
        const long long step = static_cast<long long>(b.Percent - a.Percent) * (r.Height() + offset) / 100;
        y = static_cast<int>(std::min<long long>(y0 + step, r.Bottom));
        if (i == last) y = r.Bottom;
        const int n = y - y0;
        if (n <= 0) continue;
        if (ThroughGdiplus(a, b)) {
            // The row above the segment is left out: GDI+ softens a gradient's first row.
            TClippedDC dc(bmp, r);
            ExcludeClipRect(dc.Handle(), r.Left, y0 - 1, r.Right, y0);
            acgpGradientRectangleV(dc.Handle(), static_cast<float>(r.Left), static_cast<float>(y0 - 1),
                                   static_cast<float>(r.Width()), static_cast<float>(n + 1), a.Color.C, b.Color.C);
        } else if (a.Color.I == b.Color.I) {
            FillRows(rows, r, y0, y, PixelOf(a.Color, 255));
        } else {
            TRamp ramp(a.Color, b.Color, n);
            for (int row = y0; row < y; ++row, ramp.Next()) FillRows(rows, r, row, row + 1, ramp.Pixel(255));
        }
    }
}

// The colours of one row of a column gradient, for the columns of R. Segments end at the last
// column of the bitmap; a column right of R is computed but not kept.
std::vector<TsColor_> ColumnGradient(const TRect& r, int bmpWidth, const TsGradArray& arr)
{
    std::vector<TsColor_> out(static_cast<size_t>(r.Width()), PixelOf(arr[0].Color, 255));
    const size_t last = arr.size() - 1;
    const double k = r.Width() / 100.0;
    int x = r.Left;
    for (size_t i = 1; i <= last; ++i) {
        const TsGradPoint& a = arr[i - 1];
        const TsGradPoint& b = arr[i];
        const int x0 = x;
        x = static_cast<int>(Round(x0 + (b.Percent - a.Percent) * k));
        x = std::min<int>(x, std::min<int>(r.Right, bmpWidth - 1));
        if (i == last) x = std::min<int>(r.Right, bmpWidth - 1);
        if (x <= x0) continue;
        TRamp ramp(a.Color, b.Color, x - x0);
        for (int col = x0; col <= x; ++col, ramp.Next())
            if (col >= r.Left && col < r.Right) out[static_cast<size_t>(col - r.Left)] = ramp.Pixel(255);
    }
    return out;
}

void PaintColumns(TBitmap* bmp, const TacBmpRows& rows, const TRect& r, const TsGradArray& arr)
{
    const size_t last = arr.size() - 1;
    const double k = r.Width() / 100.0;
    int x = r.Left;
    for (size_t i = 1; i <= last; ++i) {
        const TsGradPoint& a = arr[i - 1];
        const TsGradPoint& b = arr[i];
        const int x0 = x;
        x = static_cast<int>(Round(x0 + (b.Percent - a.Percent) * k));
        if (ThroughGdiplus(a, b)) {
            x = std::min<int>(x, r.Right);
            if (i == last) x = r.Right;
            if (x <= x0) continue;
            TClippedDC dc(bmp, r);
            ExcludeClipRect(dc.Handle(), x0 - 1, r.Top, x0, r.Bottom);
            acgpGradientRectangleH(dc.Handle(), static_cast<float>(x0 - 1), static_cast<float>(r.Top),
                                   static_cast<float>(x - x0 + 1), static_cast<float>(r.Height()), a.Color.C,
                                   b.Color.C);
            continue;
        }
        x = std::min<int>(x, std::min<int>(r.Right, rows.Width() - 1));
        if (i == last) x = std::min<int>(r.Right, rows.Width() - 1);
        if (x <= x0) continue;
        const int from = std::max<int>(x0, r.Left), to = std::min<int>(x + 1, r.Right); // columns kept
        TRamp ramp(a.Color, b.Color, x - x0);
        const auto top = rows.Row(r.Top);
        for (int col = x0; col <= x; ++col, ramp.Next())
            if (col >= from && col < to) top[static_cast<size_t>(col)] = ramp.Pixel(255);
        if (to <= from) continue;
        for (int y = r.Top + 1; y < r.Bottom; ++y)
            std::copy(top.begin() + from, top.begin() + to, rows.Row(y).begin() + from);
    }
}

void PaintCorners(TBitmap* bmp, const TRect& r, const TsGradArray& arr)
{
    if (arr.size() < 5) return;
    const TPoint tl(r.Left, r.Top), tr(r.Right, r.Top), br(r.Right, r.Bottom), bl(r.Left, r.Bottom);
    const TPoint centre(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
    if (arr[0].Mode & 0x20) {
        TClippedDC dc(bmp, r);
        acgpGradientRectangle(dc.Handle(), static_cast<float>(r.Left), static_cast<float>(r.Top),
                              static_cast<float>(r.Width()), static_cast<float>(r.Height()), {tl, tr, br, bl},
                              {arr[0].Color, arr[2].Color, arr[3].Color, arr[4].Color}, arr[1].Color);
        return;
    }
    if (!g_gradientFill) return;
    const auto vertex = [](TPoint p, TsColor c) {
        return TRIVERTEX{p.X, p.Y, static_cast<COLOR16>(c.R << 8), static_cast<COLOR16>(c.G << 8),
                         static_cast<COLOR16>(c.B << 8), 0xFF00};
    };
    TRIVERTEX vertices[5] = {vertex(tl, arr[0].Color), vertex(centre, arr[1].Color), vertex(tr, arr[2].Color),
                             vertex(br, arr[3].Color), vertex(bl, arr[4].Color)};
    GRADIENT_TRIANGLE triangles[4] = {{0, 1, 2}, {1, 2, 3}, {0, 1, 4}, {4, 1, 3}};
    TClippedDC dc(bmp, r);
    g_gradientFill(dc.Handle(), vertices, 5, triangles, 4, GRADIENT_FILL_TRIANGLE);
}

} // namespace

void PrepareGradArray(const UnicodeString& text, TsGradArray& arr)
{
    arr.clear();
    if (text.size() <= 4) return;
    const wchar_t lastChar = text.back();
    const TWords words(text);
    TsGradArray points;
    if (lastChar == L'0') {
        const size_t count = words.Count() / 5;
        int sum = 0;
        for (size_t i = 0; i < count; ++i) {
            TsGradPoint p;
            p.Color.I = words.Number(5 * i);
            p.Color.A = 255;
            const int share = Clamp100(words.Number(5 * i + 2));
            p.Mode = words.Number(5 * i + 3) & ~0x10;
            p.Percent = static_cast<std::uint8_t>(std::min(sum, 100));
            sum = std::min(sum + share, 100);
            points.push_back(p);
        }
        if (!points.empty() && (points[0].Mode & 3) == 2)
            while (points.size() < 5) points.push_back(points.back());
    } else {
        if (lastChar <= L'@') return;
        const size_t count = static_cast<size_t>(lastChar - L'@');
        for (size_t i = 0; i < count; ++i) {
            TsGradPoint p;
            p.Color.I = words.Number(3 * i);
            p.Percent = static_cast<std::uint8_t>(Clamp100(words.Number(3 * i + 1)));
            p.Mode = words.Number(3 * i + 2);
            points.push_back(p);
            if (p.Mode & 0x10) points[0].Mode |= 0x20;
        }
    }
    for (size_t i = 0; i < points.size(); ++i) points[i].Index = static_cast<std::uint16_t>(i);
    if (!points.empty()) points.back().Percent = 100;
    arr = std::move(points);
}

void PaintGrad(TBitmap* bmp, TRect r, const TsGradArray& arr, int, int offset)
{
    if (r.IsEmpty() || arr.empty()) return;
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    LimitToBitmap(r, rows);
    if (r.IsEmpty()) return;
    switch (arr[0].Mode & 3) {
    case 0: PaintRows(bmp, rows, r, arr, offset); break;
    case 1: PaintColumns(bmp, rows, r, arr); break;
    case 2: PaintCorners(bmp, r, arr); break;
    default: break;
    }
}

void PaintGrad(TBitmap* bmp, const TRect& r, const UnicodeString& text)
{
    TsGradArray arr;
    PrepareGradArray(text, arr);
    PaintGrad(bmp, r, arr, 0, 0);
}

void PaintGradTxt(TBitmap* bmp, TRect r, const TsGradArray& arr, TBitmap* texture, TRect textureRect,
                  std::uint8_t textureWeight, std::uint8_t alpha)
{
    if (r.IsEmpty() || arr.empty()) return;
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    LimitToBitmap(r, rows);
    std::unique_ptr<TBitmap> holder;
    TBitmap* tex = graphutils_detail::Bitmap32(texture, holder);
    TacBmpRows trows(tex);
    if (r.IsEmpty() || !trows.Valid()) return;
    if (textureRect.IsEmpty()) textureRect = TRect(0, 0, trows.Width(), trows.Height());
    int tw = textureRect.Width(), th = textureRect.Height();
    if (textureRect.Top + th >= trows.Height()) th = trows.Height() - 1 - textureRect.Top;
    if (textureRect.Left + tw >= trows.Width()) tw = trows.Width() - 1 - textureRect.Left;
    // A period of 0 would divide by zero; a rectangle outside the texture would read outside it.
    if (th <= 0 || tw <= 0 || textureRect.Left < 0 || textureRect.Top < 0) return;
    const auto texel = [&](int x, int y) -> const TsColor_& {
        return trows.At(textureRect.Left + x % tw, textureRect.Top + y % th);
    };
    const auto mixRow = [&](int y, std::span<const TsColor_> gradient) {
        auto row = rows.Row(y);
        for (int x = r.Left; x < r.Right; ++x) {
            TsColor_& d = row[static_cast<size_t>(x)];
            graphutils_detail::MixColor(d, texel(x, y), gradient[static_cast<size_t>(x - r.Left)], textureWeight);
            d.A = alpha;
        }
    };
    const size_t last = arr.size() - 1;
    const int mode = arr[0].Mode & 3;
    if (mode == 0) {
        std::vector<TsColor_> line(static_cast<size_t>(r.Width()));
        int y = r.Top;
        for (size_t i = 1; i <= last; ++i) {
            const TsGradPoint& a = arr[i - 1];
            const TsGradPoint& b = arr[i];
            const int y0 = y;
            const long long raw = y0 + static_cast<long long>(r.Height()) * (b.Percent - a.Percent) / 100;
            if (i == last || raw >= rows.Height())
                y = r.Bottom - 1;
            else
                y = static_cast<int>(std::min<long long>(raw, std::min<int>(r.Bottom, rows.Height() - 1)));
            const int n = y - y0;
            if (n < 0) continue;
            // One row (n = 0) takes the segment's first colour.
            TRamp ramp(a.Color, b.Color, std::max(n, 1));
            for (int row = y0; row <= y; ++row, ramp.Next()) {
                if (row < r.Top || row >= r.Bottom) continue;
                std::fill(line.begin(), line.end(), ramp.Pixel(255));
                mixRow(row, line);
            }
        }
    } else if (mode == 1) {
        const std::vector<TsColor_> gradient = ColumnGradient(r, rows.Width(), arr);
        const int h = std::min(th, static_cast<int>(r.Height())) - 1;
        for (int y = r.Top + 1; y <= r.Top + h; ++y) mixRow(y, gradient);
        mixRow(r.Top, gradient);
        HDC dc = bmp->Canvas()->Handle();
        if (h <= 0) {
            // A texture period of one row: every row is the first one.
            for (int y = r.Top + 1; y < r.Bottom; ++y) BitBlt(dc, r.Left, y, r.Width(), 1, dc, r.Left, r.Top, SRCCOPY);
        } else {
            int y = r.Top + h;
            while (y < r.Bottom - 1 - h) {
                BitBlt(dc, r.Left, y, r.Width(), h, dc, r.Left, r.Top, SRCCOPY);
                y += h;
            }
            if (y < r.Bottom) BitBlt(dc, r.Left, y, r.Width(), r.Bottom - y, dc, r.Left, r.Top, SRCCOPY);
        }
        GdiFlush();
    }
}

void MakeSideShadow(TBitmap* bmp, TColor color, TacSide side, TacSideShadowStyle)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    const TRect all(0, 0, rows.Width(), rows.Height());
    FillRect32(bmp, all, 0, 1);
    TsColor strong, clear;
    strong.C = color;
    clear.C = color;
    clear.A = 0;
    const bool columns = side == asLeft || side == asRight;
    const bool fadeOut = side == asLeft || side == asTop;
    TsGradArray arr(2);
    arr[0].Index = 0;
    arr[0].Percent = 0;
    arr[0].Color = fadeOut ? strong : clear;
    arr[0].Mode = columns ? 61 : 28;
    arr[1].Index = 1;
    arr[1].Percent = 100;
    arr[1].Color = fadeOut ? clear : strong;
    arr[1].Mode = columns ? 29 : 28;
    PaintGrad(bmp, all, arr, 0, 0);
}

std::unique_ptr<TBitmap> MakeShadow(TColor color, int radius, int top, int extraHeight, int extraWidth, int blur,
                                    bool asMask, bool premultiply)
{
    auto bmp = CreateBmp32(2 * radius + extraWidth + 1, 2 * radius + extraHeight + top + 1);
    TacBmpRows rows(bmp.get());
    if (!rows.Valid()) return bmp;
    TsColor c;
    c.C = color;
    const TsColor_ fill = asMask ? TsColor_{.I = -1} : PixelOf(c, 0);
    for (int y = 0; y < rows.Height(); ++y) std::fill(rows.Row(y).begin(), rows.Row(y).end(), fill);
    if (radius < 0 || top < 0 || extraHeight < 0 || extraWidth < 0) return bmp;

    const int R = radius, T = top, EH = extraHeight, EW = extraWidth;
    const double inner = blur >= 1 ? R - blur : 0;
    const double b1 = blur + 1;
    const int centreRow = T + R;
    for (int y = T; y <= centreRow; ++y) {
        auto row = rows.Row(y);
        for (int x = 0; x <= R; ++x) {
            const double dx = x - R, dy = y - centreRow;
            const double d = std::sqrt(dx * dx + dy * dy);
            TsColor_ p;
            if (d > R) {
                p.I = asMask ? -1 : 0;
            } else {
                int s = 255;
                if (d > inner) {
                    // Strengths outside 0..255 (a blur of 0 gives them) would wrap round as bytes.
                    const long long v = Round((1 - (d - inner) / b1) * 255.0 * ((R + 1) - d) / b1);
                    s = static_cast<int>(std::clamp<long long>(v, 0, 255));
                }
                if (asMask) {
                    const auto g = static_cast<std::uint8_t>(((255 - s) * 255 + c.A * s) >> 8);
                    p.B = p.G = p.R = g;
                    p.A = 255;
                } else {
                    p = PixelOf(c, static_cast<std::uint8_t>((c.A * s) >> 8));
                }
            }
            row[static_cast<size_t>(x)] = p;
            row[static_cast<size_t>(2 * R - x)] = p;
        }
        const int mirrored = 2 * centreRow - y + EH;
        std::copy_n(row.begin(), 2 * R + 1, rows.Row(mirrored).begin());
    }
    for (int y = centreRow + 1; y <= centreRow + EH; ++y)
        std::copy_n(rows.Row(centreRow).begin(), 2 * R + 1, rows.Row(y).begin());
    if (EW > 0) {
        for (int y = 0; y < rows.Height(); ++y) {
            auto row = rows.Row(y);
            // The right half moves to the right edge; the columns between repeat the centre.
            std::copy_backward(row.begin() + R + 1, row.begin() + 2 * R + 1, row.end());
            std::fill(row.begin() + R + 1, row.begin() + R + 1 + EW, row[static_cast<size_t>(R)]);
        }
    }
    if (premultiply) UpdateAlpha(bmp.get());
    return bmp;
}

void sGradientInitialization()
{
    if (!g_unitCounter.StartUp()) return;
    g_msimg32 = LoadLibraryW(L"msimg32.dll");
    if (g_msimg32)
        g_gradientFill = reinterpret_cast<TGradientFill>(reinterpret_cast<void*>(GetProcAddress(g_msimg32, "GradientFill")));
}

void sGradientFinalization()
{
    if (!g_unitCounter.ShutDown()) return;
    g_gradientFill = nullptr;
    if (g_msimg32) FreeLibrary(g_msimg32);
    g_msimg32 = nullptr;
}

bool acGradientFillAvailable() { return g_gradientFill != nullptr; }
