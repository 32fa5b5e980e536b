// Creation of work bitmaps, their rows, colour mixes and the rectangle and whole-bitmap members
// of the compositing family. The copies with key colours and backgrounds are in
// sGraphUtilsCopy.cpp.
#include "sGraphUtils.h"

#include "acntUtils.h"
#include "sGraphUtilsMix.h"
#include "sGraphUtilsStretch.h"
#include "sVclUtils.h"

#include <algorithm>

using namespace graphutils_detail;

// ---------------------------------------------------------------------------------------------
// Rows

bool InitLine(TBitmap* bmp, void*& line0, long long& delta)
{
    if (!bmp || bmp->Height() < 1 || bmp->Width() < 1) return false;
    line0 = bmp->ScanLine(0);
    delta = bmp->Height() > 1 ? bmp->ScanLineDelta() : 0;
    return true;
}

void CopyBmp(TBitmap* dst, TBitmap* src)
{
    if (!dst || !src) return;
    dst->SetPixelFormat(src->PixelFormat());
    dst->SetSize(src->Width(), src->Height());
    if (src->Empty()) return;
    BitBlt(dst->Canvas()->Handle(), 0, 0, src->Width(), src->Height(), src->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void SetBmp32Pixels(TBitmap* bmp)
{
    if (bmp) bmp->SetPixelFormat(pf32bit);
}

TacBmpRows::TacBmpRows(TBitmap* bmp)
{
    if (!bmp || bmp->PixelFormat() != pf32bit) return;
    void* line0 = nullptr;
    long long delta = 0;
    if (!InitLine(bmp, line0, delta)) return;
    line0_ = line0;
    delta_ = delta;
    width_ = bmp->Width();
    height_ = bmp->Height();
}

// ---------------------------------------------------------------------------------------------
// Creation

std::unique_ptr<TBitmap> CreateBmp32(int width, int height)
{
    ResetLastError();
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf32bit);
    if (width > 0 && height > 0) bmp->SetSize(width, height);
    CheckLastError();
    return bmp;
}

std::unique_ptr<TBitmap> CreateBmp32(const TRect& r) { return CreateBmp32(WidthOf(r), HeightOf(r)); }
std::unique_ptr<TBitmap> CreateBmp32(const TSize& size) { return CreateBmp32(size.cx, size.cy); }
std::unique_ptr<TBitmap> CreateBmp32(const TBitmap* bmp)
{
    return bmp ? CreateBmp32(bmp->Width(), bmp->Height()) : CreateBmp32(0, 0);
}
std::unique_ptr<TBitmap> CreateBmp32(const TControl* control)
{
    return control ? CreateBmp32(control->Width(), control->Height()) : CreateBmp32(0, 0);
}

std::unique_ptr<TBitmap> CreateBmpLike(const TBitmap* bmp)
{
    auto result = std::make_unique<TBitmap>();
    if (!bmp) return result;
    result->SetPixelFormat(bmp->PixelFormat());
    result->SetSize(bmp->Width(), bmp->Height());
    return result;
}

void PrepareBmp(std::unique_ptr<TBitmap>& bmp, int width, int height)
{
    if (bmp) bmp->SetSize(std::max(width, 0), std::max(height, 0));
    else bmp = CreateBmp32(width, height);
}

std::unique_ptr<TBitmap> CreateAlphaBmp(TBitmap* src, const TRect& r)
{
    const int w = WidthOf(r);
    const int h = HeightOf(r) / 2;
    if (!src || w == 0 || h == 0 || r.Left < 0 || r.Top < 0 || src->Width() < r.Right || src->Height() < r.Bottom)
        return nullptr;
    std::unique_ptr<TBitmap> holder;
    TacBmpRows s(Bitmap32(src, holder));
    if (!s.Valid()) return nullptr;
    auto result = CreateBmp32(w, h);
    TacBmpRows d(result.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            TsColor_ pixel = s.At(r.Left + x, r.Top + y);
            pixel.A = static_cast<std::uint8_t>(255 - s.At(r.Left + x, r.Top + h + y).R);
            d.At(x, y) = pixel;
        }
    return result;
}

std::unique_ptr<TBitmap> CreateMaskFromAlpha(TBitmap* src)
{
    std::unique_ptr<TBitmap> holder;
    TacBmpRows s(Bitmap32(src, holder));
    if (!s.Valid()) return nullptr;
    const int w = s.Width();
    const int h = s.Height();
    auto result = CreateBmp32(w, 2 * h);
    TacBmpRows d(result.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            d.At(x, y) = s.At(x, y);
            const auto grey = static_cast<std::uint8_t>(255 - s.At(x, y).A);
            TsColor_& m = d.At(x, h + y);
            m.B = m.G = m.R = grey;
            m.A = 255;
        }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Colours

TColor BlendColors(TColor c1, TColor c2, std::uint8_t w)
{
    TsColor a, b, r;
    a.C = c1;
    b.C = c2;
    r.R = static_cast<std::uint8_t>((a.R * w + b.R * (255 - w)) >> 8);
    r.G = static_cast<std::uint8_t>((a.G * w + b.G * (255 - w)) >> 8);
    r.B = static_cast<std::uint8_t>((a.B * w + b.B * (255 - w)) >> 8);
    r.A = a.A;
    return r.C;
}

TsColor AverageColor(TsColor c1, TsColor c2)
{
    TsColor r;
    r.R = Mix(c1.B, c2.B, 127);
    r.G = Mix(c1.G, c2.G, 127);
    r.B = Mix(c1.R, c2.R, 127);
    r.A = 0;
    return r;
}

TColor AverageColor(TColor c1, TColor c2)
{
    TsColor a, b;
    a.C = c1;
    b.C = c2;
    return AverageColor(a, b).C;
}

// ---------------------------------------------------------------------------------------------
// Whole bitmaps

void SumBitmaps(TBitmap* dst, TBitmap* src, std::uint8_t percent)
{
    TacBmpRows d(dst), s(src);
    if (!SameSize(d, s)) return;
    for (int y = 0; y < d.Height(); ++y) {
        auto dr = d.Row(y);
        auto sr = s.Row(y);
        for (int x = 0; x < d.Width(); ++x) MixColor(dr[x], dr[x], sr[x], percent);
    }
}

void SumBitmapsToDst(TBitmap* dst, TBitmap* src1, TBitmap* src2, std::uint8_t percent)
{
    TacBmpRows d(dst), s1(src1), s2(src2);
    if (!SameSize(d, s1) || !Covers(s2, d.Width(), d.Height())) return;
    for (int y = 0; y < d.Height(); ++y)
        for (int x = 0; x < d.Width(); ++x) {
            TsColor_& p = d.At(x, y);
            MixColor(p, s2.At(x, y), s1.At(x, y), percent);
            p.A = Mix(s2.At(x, y).A, s1.At(x, y).A, percent);
        }
}

void PaintBmp32(TBitmap* dst, TBitmap* src)
{
    TacBmpRows d(dst), s(src);
    if (!SameSize(d, s)) return;
    for (int y = 0; y < d.Height(); ++y)
        for (int x = 0; x < d.Width(); ++x) {
            const TsColor_ sp = s.At(x, y);
            TsColor_& dp = d.At(x, y);
            MixColor(dp, sp, dp, sp.A);
        }
}

void BlendTransBitmap(TBitmap* bmp, std::uint8_t blend, TsColor color)
{
    TacBmpRows b(bmp);
    if (!b.Valid()) return;
    const int k = 255 - blend;
    for (int y = 0; y < b.Height(); ++y)
        for (TsColor_& p : b.Row(y)) {
            if (p.I == KeyPixel) continue;
            p.R = static_cast<std::uint8_t>((p.R * blend + color.R * k) >> 8);
            p.G = static_cast<std::uint8_t>((p.G * blend + color.G * k) >> 8);
            p.B = static_cast<std::uint8_t>((p.B * blend + color.B * k) >> 8);
        }
}

void BlendBmpByMask(TBitmap* bmp, TBitmap* mask, TsColor color)
{
    TacBmpRows b(bmp), m(mask);
    if (!SameSize(b, m)) return;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            TsColor_& p = b.At(x, y);
            const TsColor_ w = m.At(x, y);
            p.R = Mix(p.R, color.R, w.R);
            p.G = Mix(p.G, color.G, w.G);
            p.B = Mix(p.B, color.B, w.B);
        }
}

void SumBitmapsByMask(TBitmap* out, TBitmap* src1, TBitmap* src2, TBitmap* mask, std::uint16_t percent)
{
    TacBmpRows o(out), s1(src1), s2(src2), m(mask);
    if (!SameSize(s1, s2) || !Covers(o, s1.Width(), s1.Height())) return;
    if (mask && !Covers(m, s1.Width(), s1.Height())) return;
    for (int y = 0; y < s1.Height(); ++y)
        for (int x = 0; x < s1.Width(); ++x) {
            TsColor_& p = o.At(x, y);
            const TsColor_ a = s1.At(x, y);
            const TsColor_ b = s2.At(x, y);
            if (mask) {
                const TsColor_ w = m.At(x, y);
                p.R = Mix(a.R, b.R, w.R);
                p.G = Mix(a.G, b.G, w.G);
                p.B = Mix(a.B, b.B, w.B);
            } else {
                MixColor(p, a, b, percent);
            }
        }
}

void SumByMaskWith32(TBitmap* dst, TBitmap* src, TBitmap* mask, const TRect& r)
{
    TacBmpRows d(dst), s(src), m(mask);
    if (!d.Valid() || !s.Valid() || !m.Valid()) return;
    if (d.Width() < WidthOf(r) || d.Height() < HeightOf(r)) return;
    const int left = std::max<int>(r.Left, 0);
    const int top = std::max<int>(r.Top, 0);
    const int right = std::min({static_cast<int>(r.Right), d.Width(), s.Width(), m.Width()});
    const int bottom = std::min({static_cast<int>(r.Bottom), d.Height(), s.Height(), m.Height()});
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const int mr = m.At(x, y).R;
            if (mr == 255) continue;
            const TsColor_ sp = s.At(x, y);
            const int a = mr == 0 ? sp.A : ((255 - mr) * sp.A) >> 8;
            TsColor_& dp = d.At(x, y);
            MixColor(dp, sp, dp, a);
        }
}

void ColorizeByMask(TBitmap* dst, TBitmap* mask, TPoint p, TColor color, TColor backColor)
{
    if (!mask) return;
    const bool mask32 = mask->PixelFormat() == pf32bit;
    std::unique_ptr<TBitmap> holder;
    TacBmpRows d(dst), m(Bitmap32(mask, holder));
    if (!d.Valid() || !m.Valid()) return;
    p.X = std::max<LONG>(p.X, 0);
    p.Y = std::max<LONG>(p.Y, 0);
    const int cols = std::min(m.Width(), d.Width() - static_cast<int>(p.X));
    const int rows = std::min(m.Height(), d.Height() - static_cast<int>(p.Y));
    TsColor c, back;
    c.C = color;
    back.C = backColor;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x) {
            const TsColor_ mp = m.At(x, y);
            const int luminance = 255 - ((mp.R + mp.B + 2 * mp.G) >> 2);
            TsColor_& dp = d.At(p.X + x, p.Y + y);
            if (backColor == clNone) {
                const int w = mask32 ? mp.A : luminance;
                dp.R = Mix(c.R, dp.R, w);
                dp.G = Mix(c.G, dp.G, w);
                dp.B = Mix(c.B, dp.B, w);
            } else {
                dp.R = Mix(c.R, back.R, luminance);
                dp.G = Mix(c.G, back.G, luminance);
                dp.B = Mix(c.B, back.B, luminance);
            }
        }
}

// ---------------------------------------------------------------------------------------------
// Rectangle members

namespace {

// The library's clipping of a source rectangle R and a destination point P. On success the
// plan's columns and rows lie inside both bitmaps (and inside ref at refPoint, when given).
struct TRectPlan {
    int srcLeft = 0, srcTop = 0, dstLeft = 0, dstTop = 0, cols = 0, rows = 0;
};

bool PlanRect(TRect r, TPoint p, int srcW, int srcH, int dstW, int dstH, bool emptyWhenEqual, TRectPlan& plan,
              TPoint* refPoint = nullptr, int refW = 0, int refH = 0)
{
    auto moveP = [&](LONG dx, LONG dy) {
        p.X += dx;
        p.Y += dy;
        if (refPoint) {
            refPoint->X += dx;
            refPoint->Y += dy;
        }
    };
    if (p.X < 0) {
        r.Left -= p.X;
        moveP(-p.X, 0);
    }
    if (p.Y < 0) {
        r.Top -= p.Y;
        moveP(0, -p.Y);
    }
    if (r.Left < 0) {
        moveP(-r.Left, 0);
        r.Left = 0;
    }
    if (r.Top < 0) {
        moveP(0, -r.Top);
        r.Top = 0;
    }
    const bool empty = emptyWhenEqual ? (r.Right <= r.Left || r.Bottom <= r.Top) : (r.Right < r.Left || r.Bottom < r.Top);
    if (empty || p.X >= dstW || p.Y >= dstH || r.Left >= srcW || r.Top >= srcH) return false;
    if (r.Right >= srcW) r.Right = srcW - 1;
    if (r.Bottom >= srcH) r.Bottom = srcH - 1;
    if (WidthOf(r) + p.X >= dstW) r.Right = dstW - p.X + r.Left - 1;
    if (HeightOf(r) + p.Y >= dstH) r.Bottom = dstH - p.Y + r.Top - 1;
    plan = {r.Left, r.Top, p.X, p.Y, r.Right - r.Left + 1, r.Bottom - r.Top + 1};
    if (refPoint) {
        // Keep the reference point inside the reference bitmap.
        if (refPoint->X < 0) {
            const int d = -refPoint->X;
            plan.srcLeft += d;
            plan.dstLeft += d;
            plan.cols -= d;
            refPoint->X = 0;
        }
        if (refPoint->Y < 0) {
            const int d = -refPoint->Y;
            plan.srcTop += d;
            plan.dstTop += d;
            plan.rows -= d;
            refPoint->Y = 0;
        }
        plan.cols = std::min(plan.cols, refW - static_cast<int>(refPoint->X));
        plan.rows = std::min(plan.rows, refH - static_cast<int>(refPoint->Y));
    }
    return plan.cols > 0 && plan.rows > 0;
}

// a = the source pixel's weight: D = mix(S, D, a), D.A = max(D.A, mix(a, D.A, a)).
inline void PaintPixel(TsColor_& d, const TsColor_& s, int a)
{
    MixColor(d, s, d, a);
    d.A = std::max(d.A, Mix(a, d.A, a));
}

} // namespace

void SumBmpRect(TBitmap* dst, TBitmap* src, std::uint8_t percent, TRect r, TPoint p)
{
    TacBmpRows d(dst), s(src);
    TRectPlan plan;
    if (!d.Valid() || !s.Valid() || !PlanRect(r, p, s.Width(), s.Height(), d.Width(), d.Height(), true, plan)) return;
    for (int y = 0; y < plan.rows; ++y)
        for (int x = 0; x < plan.cols; ++x) {
            TsColor_& dp = d.At(plan.dstLeft + x, plan.dstTop + y);
            const TsColor_ sp = s.At(plan.srcLeft + x, plan.srcTop + y);
            MixColor(dp, dp, sp, percent);
            dp.A = Mix(dp.A, sp.A, percent);
        }
}

void PaintBmpRect32(TBitmap* dst, TBitmap* src, TRect r, TPoint p, std::uint8_t blend)
{
    TacBmpRows d(dst), s(src);
    TRectPlan plan;
    if (!d.Valid() || !s.Valid() || !PlanRect(r, p, s.Width(), s.Height(), d.Width(), d.Height(), false, plan))
        return;
    for (int y = 0; y < plan.rows; ++y)
        for (int x = 0; x < plan.cols; ++x) {
            const TsColor_ sp = s.At(plan.srcLeft + x, plan.srcTop + y);
            const int a = blend == 255 ? sp.A : (sp.A * blend) >> 8;
            PaintPixel(d.At(plan.dstLeft + x, plan.dstTop + y), sp, a);
        }
}

void PaintTranspBmpRect32(TBitmap* dst, TBitmap* src, TBitmap* ref, TColor transColor, TRect r, TPoint p,
                          TPoint refPoint, std::uint8_t blend)
{
    TacBmpRows d(dst), s(src), rf(ref);
    if (!d.Valid() || !s.Valid() || (ref && !rf.Valid())) return;
    TRectPlan plan;
    if (!PlanRect(r, p, s.Width(), s.Height(), d.Width(), d.Height(), true, plan, ref ? &refPoint : nullptr,
                  rf.Width(), rf.Height()))
        return;
    for (int y = 0; y < plan.rows; ++y)
        for (int x = 0; x < plan.cols; ++x) {
            TsColor_& dp = d.At(plan.dstLeft + x, plan.dstTop + y);
            const std::int32_t keep = ref ? rf.At(refPoint.X + x, refPoint.Y + y).I : transColor;
            if (dp.I == keep) continue;
            const TsColor_ sp = s.At(plan.srcLeft + x, plan.srcTop + y);
            PaintPixel(dp, sp, (sp.A * blend) >> 8);
        }
}

void PaintBmpMaskRect32(TBitmap* dst, TBitmap* src, TBitmap* mask, TRect r, TPoint p, std::uint8_t blend)
{
    TacBmpRows d(dst), s(src), m(mask);
    TRectPlan plan;
    if (!d.Valid() || !s.Valid() || !m.Valid() ||
        !PlanRect(r, p, m.Width(), m.Height(), d.Width(), d.Height(), true, plan))
        return;
    // The colour is read at the destination position: stay inside src too.
    const int cols = std::min(plan.cols, s.Width() - plan.dstLeft);
    const int rows = std::min(plan.rows, s.Height() - plan.dstTop);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x) {
            const int ma = m.At(plan.srcLeft + x, plan.srcTop + y).A;
            if (ma == 0) continue;
            const int a = blend == 255 ? ma : (ma * blend) >> 8;
            PaintPixel(d.At(plan.dstLeft + x, plan.dstTop + y), s.At(plan.dstLeft + x, plan.dstTop + y), a);
        }
}

void StretchBmpRect32(TBitmap* dst, int x, int y, int w, int h, TBitmap* src, int srcX, int srcY, int srcW, int srcH,
                      std::uint8_t blend)
{
    if (x < 0) {
        srcX -= x;
        x = 0;
    }
    if (y < 0) {
        srcY -= y;
        y = 0;
    }
    if (srcX < 0) {
        x -= srcX;
        srcX = 0;
    }
    if (srcY < 0) {
        y -= srcY;
        srcY = 0;
    }
    TacBmpRows d(dst), s(src);
    if (!d.Valid() || !s.Valid() || srcW <= 0 || srcH <= 0 || w <= 0 || h <= 0 || !d.Contains(x, y) ||
        !s.Contains(srcX, srcY))
        return;
    auto work = CreateBmp32(w, h);
    if (srcX == 0 && srcY == 0) {
        Stretch(src, work.get(), w, h, ftMitchell);
    } else {
        HDC workDC = work->Canvas()->Handle();
        SetStretchBltMode(workDC, COLORONCOLOR);
        StretchBlt(workDC, 0, 0, w, h, src->Canvas()->Handle(), srcX, srcY, srcW, srcH, SRCCOPY);
    }
    TacBmpRows wk(work.get());
    if (!wk.Valid()) return;
    d = TacBmpRows(dst); // the canvas calls above may have moved nothing, but read the rows afresh
    const int rows = std::min(std::min(h, wk.Height()), d.Height() - y);
    const int cols = std::min(std::min(w, wk.Width()), d.Width() - x);
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col) {
            const TsColor_ sp = wk.At(col, row);
            const int a = blend == 255 ? sp.A : (sp.A * blend) >> 8;
            PaintPixel(d.At(x + col, y + row), sp, a);
        }
}

void BlendTransRectangle(TBitmap* dst, int x, int y, TBitmap* src, TRect r, std::uint8_t blend, TColor transColor)
{
    TacBmpRows d(dst), s(src);
    if (!d.Valid() || !s.Valid()) return;
    if (r.Left < 0) {
        x -= r.Left;
        r.Left = 0;
    }
    if (r.Top < 0) {
        y -= r.Top;
        r.Top = 0;
    }
    r.Right = std::min<LONG>(r.Right, s.Width() - 1);
    r.Bottom = std::min<LONG>(r.Bottom, s.Height() - 1);
    const int k = 255 - blend;
    ForEachCopiedPixel(d, s, r, x, y, [&](const TsColor_ sp, TsColor_& dp, int, int) {
        if (sp.I == transColor) return;
        dp.R = static_cast<std::uint8_t>((sp.R * k + dp.R * blend) >> 8);
        dp.G = static_cast<std::uint8_t>((sp.G * k + dp.G * blend) >> 8);
        dp.B = static_cast<std::uint8_t>((sp.B * k + dp.B * blend) >> 8);
        dp.A = static_cast<std::uint8_t>((sp.A * k + dp.A * blend) >> 8);
    });
}
