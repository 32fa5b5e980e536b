// The copies of the compositing family that treat key colours, transparent pixels and the
// parent's background (TCacheInfo): CopyTransBitmaps, CopyTransRect(A), CopyByMask, CopyBmp32,
// and FadeBmp.
#include "sGraphUtils.h"

#include "SysUtils.h"
#include "acntUtils.h"
#include "sGraphUtilsMix.h"

#include <algorithm>

using namespace graphutils_detail;

namespace {

// The rows of the cache bitmap of a ready cache record (invalid otherwise).
TacBmpRows CacheRows(const TCacheInfo& ci) { return ci.Ready && ci.Bmp ? TacBmpRows(ci.Bmp) : TacBmpRows(); }

// The part of R1 (destination) and R2 (source) that is copied: the smaller of the two, limited
// by both bitmaps; a negative left or top of either moves both and shortens the run.
struct TCopyPlan {
    int dstLeft = 0, dstTop = 0, srcLeft = 0, srcTop = 0, cols = 0, rows = 0;
};

bool PlanCopy(TRect r1, TRect r2, int dstW, int dstH, int srcW, int srcH, int maskRowOffset, TCopyPlan& plan)
{
    auto shiftLeft = [&](LONG d) {
        r1.Left += d;
        r2.Left += d;
    };
    auto shiftTop = [&](LONG d) {
        r1.Top += d;
        r2.Top += d;
    };
    if (r1.Left < 0) shiftLeft(-r1.Left);
    if (r2.Left < 0) shiftLeft(-r2.Left);
    if (r1.Top < 0) shiftTop(-r1.Top);
    if (r2.Top < 0) shiftTop(-r2.Top);
    plan.cols = std::min({WidthOf(r1), WidthOf(r2), dstW - static_cast<int>(r1.Left), srcW - static_cast<int>(r2.Left)});
    plan.rows = std::min({HeightOf(r1), HeightOf(r2), dstH - static_cast<int>(r1.Top),
                          srcH - static_cast<int>(r2.Top) - maskRowOffset});
    plan.dstLeft = r1.Left;
    plan.dstTop = r1.Top;
    plan.srcLeft = r2.Left;
    plan.srcTop = r2.Top;
    return plan.cols > 0 && plan.rows > 0;
}

} // namespace

void CopyTransBitmaps(TBitmap* dst, TBitmap* src, int x, int y, TsColor transColor)
{
    TacBmpRows d(dst), s(src);
    if (!d.Valid() || !s.Valid()) return;
    const std::int32_t key = SwapRedBlue(transColor.I);
    const int top = std::max(y, 0);
    const int bottom = std::min(d.Height() - 1, y + s.Height() - 1);
    const int left = std::max(x, 0);
    const int right = std::min(d.Width() - 1, x + s.Width() - 1);
    // A negative offset moves the source too, so the copy stays aligned.
    for (int dy = top; dy <= bottom; ++dy)
        for (int dx = left; dx <= right; ++dx) {
            const TsColor_ sp = s.At(dx - x, dy - y);
            if (sp.I == key) continue;
            TsColor_& dp = d.At(dx, dy);
            dp = sp;
            dp.A = 255;
        }
}

void CopyTransRect(TBitmap* dst, TBitmap* src, int x, int y, TRect r, TColor transColor, const TCacheInfo& ci,
                   bool updateTrans)
{
    TacBmpRows d(dst), s(src);
    if (!d.Valid() || !s.Valid()) return;
    ClipToRows(r, s);
    const TacBmpRows bg = CacheRows(ci);
    enum { OwnCache, OtherCache, LeaveKeys, FillKeys } mode;
    if (updateTrans && ci.Ready && ci.Bmp) mode = ci.Bmp == dst ? OwnCache : OtherCache;
    else mode = ci.Ready ? LeaveKeys : FillKeys;
    TsColor_ fill;
    fill.I = SwapRedBlue(ci.FillColor);
    fill.A = d.At(0, 0).A;
    for (int sy = r.Top; sy <= r.Bottom; ++sy) {
        const int dy = y + sy - r.Top;
        if (dy < 0 || dy >= d.Height()) continue;
        for (int sx = r.Left; sx <= r.Right; ++sx) {
            const int dx = x + sx - r.Left;
            if (dx < 0 || dx >= d.Width()) continue;
            const TsColor_ sp = s.At(sx, sy);
            TsColor_& dp = d.At(dx, dy);
            if (sp.I != transColor) {
                dp = sp;
                if (mode == OwnCache) dp.A = 255;
                continue;
            }
            if (mode == FillKeys) {
                dp = fill;
            } else if (mode == OtherCache) {
                const int bx = ci.X + dx;
                const int by = ci.Y + dy;
                if (by < 0) break;
                if (bg.Contains(bx, by)) dp = bg.At(bx, by);
            }
        }
    }
}

void CopyTransRectA(TBitmap* dst, TBitmap* src, int x, int y, TRect r, TColor transColor, const TCacheInfo&,
                    int alpha)
{
    TacBmpRows d(dst), s(src);
    if (!d.Valid() || !s.Valid()) return;
    ClipToRows(r, s);
    const std::int32_t key = SwapRedBlue(transColor) & 0x00FFFFFF;
    ForEachCopiedPixel(d, s, r, x, y, [&](const TsColor_ sp, TsColor_& dp, int, int) {
        if (sp.I == key) return;
        if (alpha != 0) {
            MixColor(dp, sp, dp, alpha);
            dp.A = static_cast<std::uint8_t>(std::max<int>(dp.A, alpha));
        } else {
            dp = sp;
        }
    });
}

void CopyByMask(TRect r1, TRect r2, TBitmap* dst, TBitmap* src, const TCacheInfo& ci, bool updateTrans)
{
    TacBmpRows d(dst), s(src);
    TCopyPlan plan;
    if (!d.Valid() || !s.Valid() || !PlanCopy(r1, r2, d.Width(), d.Height(), s.Width(), s.Height(), 0, plan)) return;
    const TacBmpRows bg = CacheRows(ci);
    for (int y = 0; y < plan.rows; ++y)
        for (int x = 0; x < plan.cols; ++x) {
            const TsColor_ sp = s.At(plan.srcLeft + x, plan.srcTop + y);
            const int dx = plan.dstLeft + x;
            const int dy = plan.dstTop + y;
            TsColor_& dp = d.At(dx, dy);
            if (ci.Ready && sp.I == KeyPixel) {
                if (updateTrans && bg.Contains(ci.X + dx, ci.Y + dy)) {
                    const TsColor_ b = bg.At(ci.X + dx, ci.Y + dy);
                    dp.R = b.R;
                    dp.G = b.G;
                    dp.B = b.B;
                    dp.A = 255;
                }
                continue;
            }
            MixColor(dp, sp, dp, sp.A);
            if (sp.A > 0) dp.A = static_cast<std::uint8_t>(dp.A + (((255 - dp.A) * sp.A) >> 8));
        }
}

void CopyByMask(TRect r1, TRect r2, TBitmap* dst, TBitmap* src, const TCacheInfo& ci, bool updateTrans,
                const TsMaskData& maskData)
{
    TacBmpRows d(dst), s(src);
    const int maskOffset = HeightOf(maskData.R) / 2;
    TCopyPlan plan;
    if (!d.Valid() || !s.Valid() ||
        !PlanCopy(r1, r2, d.Width(), d.Height(), s.Width(), s.Height(), maskOffset, plan))
        return;
    const TacBmpRows bg = CacheRows(ci);
    const bool ownAlpha = (maskData.DrawMode & 0x10) != 0;
    const bool alphaKeys = (maskData.Cfg & 1) != 0;
    TsColor_ fill;
    fill.I = SwapRedBlue(ci.FillColor);
    auto mixByMask = [](TsColor_& dp, const TsColor_& ip, const TsColor_& mp) {
        dp.R = Mix(dp.R, ip.R, mp.R);
        dp.G = Mix(dp.G, ip.G, mp.G);
        dp.B = Mix(dp.B, ip.B, mp.B);
    };
    for (int y = 0; y < plan.rows; ++y) {
        const int dy = plan.dstTop + y;
        for (int x = 0; x < plan.cols; ++x) {
            const int dx = plan.dstLeft + x;
            const TsColor_ ip = s.At(plan.srcLeft + x, plan.srcTop + y);
            const TsColor_ mp = s.At(plan.srcLeft + x, plan.srcTop + y + maskOffset);
            TsColor_& dp = d.At(dx, dy);
            if (ci.Ready) {
                dp.A = 255;
                if (!updateTrans) {
                    mixByMask(dp, ip, mp);
                    continue;
                }
                const bool background = ownAlpha ? ip.A == 0 : ip.I == KeyPixel;
                if (!background) {
                    if (ownAlpha) MixColor(dp, dp, ip, 255 - ip.A);
                    else mixByMask(dp, ip, mp);
                    continue;
                }
                const int bx = ci.X + dx;
                const int by = ci.Y + dy;
                if (by < 0) break;
                if (bg.Contains(bx, by)) dp = bg.At(bx, by);
            } else if (!updateTrans) {
                if (ip.I != KeyPixel) mixByMask(dp, ip, mp);
            } else {
                const bool key = alphaKeys ? ip.A == 0 : ip.I == KeyPixel;
                if (key) dp = fill;
                else mixByMask(dp, ip, mp);
            }
        }
    }
}

void CopyBmp32(TRect r1, TRect r2, TBitmap* dst, TBitmap* src, const TCacheInfo& ci, bool updateTrans,
               TColor grayedColor, int blend, bool reflected)
{
    if (!src) return;
    src->SetPixelFormat(pf32bit);
    TacBmpRows d(dst), s(src);
    TCopyPlan plan;
    if (!d.Valid() || !s.Valid() || !PlanCopy(r1, r2, d.Width(), d.Height(), s.Width(), s.Height(), 0, plan)) return;
    const int k = 255 - (blend * 255) / 100;
    const bool grayed = grayedColor != clNone;
    TsColor g;
    g.C = grayedColor;
    if (grayed) {
        const int lift = 255 - std::max({g.R, g.G, g.B});
        g.R = static_cast<std::uint8_t>(g.R + lift);
        g.G = static_cast<std::uint8_t>(g.G + lift);
        g.B = static_cast<std::uint8_t>(g.B + lift);
    }
    // The colour a source pixel paints: itself, or its grey tinted by the greyed colour.
    auto paintColor = [&](const TsColor_& sp) {
        if (!grayed) return sp;
        const int grey = (sp.R >> 2) + (sp.G >> 1) + (sp.B >> 2);
        TsColor_ v = sp;
        v.R = static_cast<std::uint8_t>((grey * g.R) >> 8);
        v.G = static_cast<std::uint8_t>((grey * g.G) >> 8);
        v.B = static_cast<std::uint8_t>((grey * g.B) >> 8);
        return v;
    };
    auto transparent = [](const TsColor_& sp) { return sp.I == KeyPixel || sp.A < 17; };
    const TacBmpRows bg = CacheRows(ci);

    for (int y = 0; y < plan.rows; ++y) {
        const int dy = plan.dstTop + y;
        for (int x = 0; x < plan.cols; ++x) {
            const int dx = plan.dstLeft + x;
            const TsColor_ sp = s.At(plan.srcLeft + x, plan.srcTop + y);
            TsColor_& dp = d.At(dx, dy);
            if (ci.Ready && transparent(sp)) {
                if (!updateTrans || !bg.Valid()) continue;
                const int bx = ci.X + dx;
                const int by = ci.Y + dy;
                if (bx >= bg.Width() || by < 0) break; // right of or above the background
                if (bx >= 0 && by < bg.Height()) {
                    const TsColor_ b = bg.At(bx, by);
                    dp.R = b.R;
                    dp.G = b.G;
                    dp.B = b.B;
                }
                continue;
            }
            const TsColor_ v = paintColor(sp);
            if (blend > 0) {
                MixColor(dp, v, dp, (sp.A * k) >> 8);
                continue;
            }
            MixColor(dp, v, dp, sp.A);
            if (!grayed) dp.A = std::max(dp.A, Mix(sp.A, dp.A, sp.A));
            else if (!ci.Ready) dp.A = Mix(255, dp.A, sp.A);
        }
    }

    if (!reflected) return;
    const int n = std::min(s.Height() / 2 - 1, d.Height() - static_cast<int>(r1.Bottom) - 1);
    if (n <= 0) return;
    std::uint8_t f = 255;
    const auto fStep = static_cast<std::uint8_t>(255 / s.Height());
    for (int i = 1; i <= n; ++i, f = static_cast<std::uint8_t>(f - fStep)) {
        const int sy = r2.Bottom - i - 1;
        const int dy = r1.Bottom + i;
        if (sy < 0 || sy >= s.Height() || dy < 0 || dy >= d.Height()) continue;
        for (int x = 0; x < plan.cols; ++x) {
            const TsColor_ sp = s.At(plan.srcLeft + x, sy);
            if (transparent(sp)) continue;
            TsColor_& dp = d.At(plan.dstLeft + x, dy);
            int a;
            if (!grayed) {
                a = ((sp.A * (n - i)) / n * f) >> 9;
                if (blend > 0) a = (a * k) >> 8;
                MixColor(dp, sp, dp, a);
            } else {
                a = ((sp.A * (n - i)) / n) >> 2;
                if (blend > 0) a = (a * k) >> 8;
                MixColor(dp, paintColor(sp), dp, a);
            }
        }
    }
}

void FadeBmp(TBitmap* bmp, const TRect& r, int transparency, TsColor color, int blur, int radius)
{
    const int w = WidthOf(r);
    const int h = HeightOf(r);
    if (!bmp || bmp->Empty() || w <= 0 || h <= 0) return;
    auto work = CreateBmp32(w, h);
    auto mask = CreateBmp32(w, h);
    BitBlt(work->Canvas()->Handle(), 0, 0, w, h, bmp->Canvas()->Handle(), r.Left, r.Top, SRCCOPY);

    const int depth = std::min({w / 2, h / 2, blur});
    const int rad = std::min({w / 2, h / 2, radius});
    const int t = (transparency * 255) / 100;
    TCanvas* canvas = mask->Canvas();
    canvas->Pen()->SetStyle(psClear);
    canvas->Brush()->SetStyle(bsSolid);
    const double step = (255.0 - t) / (depth + 1);
    std::uint8_t grey = 255;
    for (int i = 0; i <= depth; ++i) {
        canvas->Brush()->SetColor(grey | grey << 8 | grey << 16);
        canvas->RoundRect(i, i, w - i, h - i, rad, rad);
        grey = static_cast<std::uint8_t>(t + Round((depth - i) * step));
    }
    canvas->Brush()->SetColor(grey | grey << 8 | grey << 16);
    canvas->RoundRect(depth, depth, w - depth, h - depth, depth, depth);

    BlendBmpByMask(work.get(), mask.get(), color);
    BitBlt(bmp->Canvas()->Handle(), r.Left, r.Top, w, h, work->Canvas()->Handle(), 0, 0, SRCCOPY);
}
