// Unscaled masked copies of one piece of a skin image: CopyByMask32(Ex) weigh by the mask's red
// byte and build alpha, CopyMasterRect weighs each channel by the mask's own channel.
#include "sAlphaGraph.h"

#include "acntUtils.h"
#include "sAlphaGraphPieces.h"
#include "sGraphUtilsMix.h"

#include <algorithm>

using namespace alphagraph_detail;
using namespace graphutils_detail;

namespace {

// The opacity variant folds the opacity into the picture's weight.
struct TMaskWeight {
    int opacity = 255;
    bool ex = false;
};

void CopyByMaskPixels(TRect dstRect, TRect srcRect, TBitmap* dstBmp, TBitmap* srcBmp, const TCacheInfo& ci,
                      const TsMaskData& maskData, const TMaskWeight& weight)
{
    TacBmpRows d(dstBmp), s(srcBmp);
    TPiece p;
    if (!d.Valid() || !s.Valid() || !CutPiece(dstRect, srcRect, d.Width(), d.Height(), s.Width(), s.Height(), p))
        return;
    // The mask lies half the image's height below; pulled up when that would leave the bitmap.
    const int maskTop = std::min(p.srcTop + HeightOf(maskData.R) / 2, s.Height() - p.rows);
    const TacBmpRows bg = CacheRows(ci);
    const int opacity = std::clamp(weight.opacity, 0, 255);
    for (int y = 0; y < p.rows; ++y) {
        const int dy = p.dstTop + y;
        for (int x = 0; x < p.cols; ++x) {
            const int dx = p.dstLeft + x;
            const TsColor_ sp = s.At(p.srcLeft + x, p.srcTop + y);
            TsColor_& dp = d.At(dx, dy);
            if (sp.I == KeyPixel) {
                // The parent's pixel where the cache has one; without a cache the pixel becomes
                // transparent.
                if (!bg.Valid()) dp.A = 0;
                else if (bg.Contains(ci.X + dx, ci.Y + dy)) dp = bg.At(ci.X + dx, ci.Y + dy);
                continue;
            }
            const int m = s.At(p.srcLeft + x, maskTop + y).R;
            if (!weight.ex) {
                dp.R = Weigh(dp.R, sp.R, m);
                dp.G = Weigh(dp.G, sp.G, m);
                dp.B = Weigh(dp.B, sp.B, m);
                CoverAlpha(dp, m, 255 - m);
                continue;
            }
            const int w = ((255 - m) * opacity) >> 8;
            dp.R = Weigh(sp.R, dp.R, w);
            dp.G = Weigh(sp.G, dp.G, w);
            dp.B = Weigh(sp.B, dp.B, w);
            CoverAlpha(dp, m, ci.Ready ? 255 - m : w);
        }
    }
}

} // namespace

void CopyByMask32(TRect dstRect, TRect srcRect, TBitmap* dstBmp, TBitmap* srcBmp, const TCacheInfo& ci,
                  const TsMaskData& maskData)
{
    CopyByMaskPixels(dstRect, srcRect, dstBmp, srcBmp, ci, maskData, {});
}

void CopyByMask32Ex(TRect dstRect, TRect srcRect, TBitmap* dstBmp, TBitmap* srcBmp, const TCacheInfo& ci,
                    const TsMaskData& maskData, int opacity)
{
    CopyByMaskPixels(dstRect, srcRect, dstBmp, srcBmp, ci, maskData, {opacity, true});
}

void CopyMasterRect(TRect dstRect, TRect srcRect, TBitmap* dst, const TCacheInfo& ci, const TsMaskData& maskData)
{
    // An image with a bitmap of its own lies at R of that bitmap, not of the master bitmap.
    TacBmpRows d(dst), s(ImageBitmap(maskData));
    const int maskOffset = HeightOf(maskData.R) / 2;
    TPiece p;
    if (!d.Valid() || !s.Valid() ||
        !CutPiece(dstRect, srcRect, d.Width(), d.Height(), s.Width(), s.Height() - maskOffset, p))
        return;
    const bool fill = ci.FillColor != sFuchsia;
    const std::int32_t fillWord = SwapRedBlue(ci.FillColor);
    const TacBmpRows bg = CacheRows(ci);
    for (int y = 0; y < p.rows; ++y) {
        const int dy = p.dstTop + y;
        for (int x = 0; x < p.cols; ++x) {
            const int dx = p.dstLeft + x;
            const TsColor_ sp = s.At(p.srcLeft + x, p.srcTop + y);
            TsColor_& dp = d.At(dx, dy);
            if (sp.I != KeyPixel) {
                const TsColor_ mp = s.At(p.srcLeft + x, p.srcTop + y + maskOffset);
                dp.R = Mix(dp.R, sp.R, mp.R);
                dp.G = Mix(dp.G, sp.G, mp.G);
                dp.B = Mix(dp.B, sp.B, mp.B);
            } else if (fill) {
                dp.I = fillWord;
            } else if (bg.Valid()) {
                const int bx = ci.X + dx, by = ci.Y + dy;
                if (bx >= bg.Width()) break; // the rest of the row lies right of the cache
                if (bg.Contains(bx, by)) dp = bg.At(bx, by);
            }
        }
    }
}
