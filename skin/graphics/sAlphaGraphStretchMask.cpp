// Masked stretched copies of one piece of a skin image: the picture and its mask are scaled into
// work bitmaps of the destination's size (resampled where plain sampling would lose detail) and
// then laid over the destination by the mask.
#include "sAlphaGraph.h"

#include "sAlphaGraphPieces.h"
#include "sGraphUtilsMix.h"
#include "sGraphUtilsStretch.h"

#include <algorithm>

using namespace alphagraph_detail;
using namespace graphutils_detail;

namespace {

enum class TMaskRule {
    Alpha32,   // the mask's red byte weighs the destination; alpha grows
    Alpha32Ex, // the same with the picture's weight scaled by an opacity
    Gdi,       // each channel weighed by the mask's own channel; the result opaque
};

// Holds a canvas locked while GDI copies from or to it.
class TCanvasLock {
public:
    explicit TCanvasLock(TBitmap* bmp, bool lock) : canvas_(lock ? bmp->Canvas() : nullptr)
    {
        if (canvas_) canvas_->Lock();
    }
    ~TCanvasLock()
    {
        if (canvas_) canvas_->Unlock();
    }
    TCanvasLock(const TCanvasLock&) = delete;
    TCanvasLock& operator=(const TCanvasLock&) = delete;

private:
    TCanvas* canvas_;
};

// The piece (x, y, w, h) of src into a new bitmap of max(w, 2) x max(h, 2), a single column or
// row doubled, resampled by the filter to dstW x dstH into out.
void Resample(TBitmap* src, int x, int y, int w, int h, TBitmap* out, int dstW, int dstH, TFilterType filter)
{
    auto piece = CreateBmp32(std::max(w, 2), std::max(h, 2));
    HDC dc = piece->Canvas()->Handle();
    BitBlt(dc, 0, 0, w, h, src->Canvas()->Handle(), x, y, SRCCOPY);
    if (w == 1) BitBlt(dc, 1, 0, 1, h, dc, 0, 0, SRCCOPY);
    if (h == 1) BitBlt(dc, 0, 1, std::max(w, 2), 1, dc, 0, 0, SRCCOPY);
    GdiFlush();
    Stretch(piece.get(), out, dstW, dstH, filter);
}

void StretchMasked(TMaskRule rule, int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW, int srcH,
                   TBitmap* dstBmp, TBitmap* srcBmp, int maskOffset, bool centre, int opacity)
{
    if (dstX < 0 || dstY < 0 || dstW <= 0 || dstH <= 0 || !dstBmp || !srcBmp || srcBmp->Empty()) return;
    if (dstBmp->Width() < 2 || dstBmp->Height() < 2) return;
    const bool gdi = rule == TMaskRule::Gdi;
    if (maskOffset == 0) {
        TCanvasLock lockDst(dstBmp, gdi), lockSrc(srcBmp, gdi);
        StretchBlt(dstBmp->Canvas()->Handle(), dstX, dstY, dstW, dstH, srcBmp->Canvas()->Handle(), srcX, srcY, srcW,
                   srcH, SRCCOPY);
        return;
    }
    if (srcX < 0 || srcY < 0 || srcW <= 0 || srcH <= 0 || srcX + srcW > srcBmp->Width() ||
        srcY + srcH > srcBmp->Height())
        return;
    opacity = std::clamp(opacity, 0, 255);

    if (centre && srcW == 1 && srcH == 1) {
        // One pixel for the whole centre: its colour and mask value spread without resampling.
        TacBmpRows s(srcBmp);
        if (!s.Valid() || !s.Contains(srcX, srcY + maskOffset)) return;
        const TsColor_ sp = s.At(srcX, srcY);
        const int m = s.At(srcX, srcY + maskOffset).R;
        if (m == 255 || sp.I == KeyPixel) return;
        const TRect area(dstX, dstY, dstX + dstW, dstY + dstH);
        if (m == 0 && rule != TMaskRule::Alpha32Ex) {
            FillRect32(dstBmp, area, SwapRedBlue(sp.I), 255);
            return;
        }
        TacBmpRows d(dstBmp);
        if (!d.Valid()) return;
        const int w = ((255 - m) * opacity) >> 8;
        for (int y = dstY; y < std::min(dstY + dstH, d.Height()); ++y)
            for (int x = dstX; x < std::min(dstX + dstW, d.Width()); ++x) {
                TsColor_& dp = d.At(x, y);
                switch (rule) {
                case TMaskRule::Alpha32: {
                    const int k = std::min<int>(m, dp.A);
                    dp.R = Weigh(dp.R, sp.R, k);
                    dp.G = Weigh(dp.G, sp.G, k);
                    dp.B = Weigh(dp.B, sp.B, k);
                    CoverAlpha(dp, m, 255 - m);
                    break;
                }
                case TMaskRule::Alpha32Ex:
                    dp.R = Weigh(sp.R, dp.R, w);
                    dp.G = Weigh(sp.G, dp.G, w);
                    dp.B = Weigh(sp.B, dp.B, w);
                    CoverAlpha(dp, m, w);
                    break;
                case TMaskRule::Gdi:
                    MixColor(dp, dp, sp, m);
                    break;
                }
            }
        return;
    }

    auto picture = CreateBmp32(dstW, dstH);
    auto mask = CreateBmp32(dstW, dstH);
    const bool shrinkOneAxis = (srcW > dstW && srcH == dstH) || (srcW == dstW && srcH > dstH);
    if ((shrinkOneAxis || centre) && dstW > 1 && dstH > 1) {
        TCanvasLock lockSrc(srcBmp, gdi);
        Resample(srcBmp, srcX, srcY, srcW, srcH, picture.get(), dstW, dstH, ftMitchell);
        Resample(srcBmp, srcX, srcY + maskOffset, srcW, srcH, mask.get(), dstW, dstH, ftHermite);
    } else {
        TCanvasLock lockSrc(srcBmp, gdi), lockPicture(picture.get(), gdi), lockMask(mask.get(), gdi);
        for (auto [work, top] : {std::pair{picture.get(), srcY}, std::pair{mask.get(), srcY + maskOffset}}) {
            HDC dc = work->Canvas()->Handle();
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, 0, 0, dstW, dstH, srcBmp->Canvas()->Handle(), srcX, top, srcW, srcH, SRCCOPY);
        }
    }

    TacBmpRows d(dstBmp), pic(picture.get()), msk(mask.get());
    if (!d.Valid() || !pic.Valid() || !msk.Valid()) return;
    const int rows = std::min({dstH, d.Height() - dstY, pic.Height(), msk.Height()});
    const int cols = std::min({dstW, d.Width() - dstX, pic.Width(), msk.Width()});
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x) {
            const TsColor_ sp = pic.At(x, y);
            // Key pixels leave the destination as it is, as the unstretched pieces do.
            if (sp.I == KeyPixel) continue;
            const TsColor_ mp = msk.At(x, y);
            TsColor_& dp = d.At(dstX + x, dstY + y);
            const int m = mp.R;
            switch (rule) {
            case TMaskRule::Alpha32:
                if (m == 255) break;
                if (m == 0) {
                    dp = sp;
                    dp.A = 255;
                    break;
                }
                dp.R = Weigh(dp.R, sp.R, m);
                dp.G = Weigh(dp.G, sp.G, m);
                dp.B = Weigh(dp.B, sp.B, m);
                CoverAlpha(dp, m, 255 - m);
                break;
            case TMaskRule::Alpha32Ex: {
                if (m == 255) break;
                const int w = ((255 - m) * opacity) >> 8;
                dp.R = Weigh(sp.R, dp.R, w);
                dp.G = Weigh(sp.G, dp.G, w);
                dp.B = Weigh(sp.B, dp.B, w);
                CoverAlpha(dp, m, w);
                break;
            }
            case TMaskRule::Gdi:
                dp.R = Mix(dp.R, sp.R, mp.R);
                dp.G = Mix(dp.G, sp.G, mp.G);
                dp.B = Mix(dp.B, sp.B, mp.B);
                dp.A = 255;
                break;
            }
        }
}

} // namespace

void StretchBltMask32(int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW, int srcH, TBitmap* dstBmp,
                      TBitmap* srcBmp, int maskOffset, bool centre)
{
    StretchMasked(TMaskRule::Alpha32, dstX, dstY, dstW, dstH, srcX, srcY, srcW, srcH, dstBmp, srcBmp, maskOffset,
                  centre, 255);
}

void StretchBltMask32Ex(int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW, int srcH,
                        TBitmap* dstBmp, TBitmap* srcBmp, int maskOffset, bool centre, int opacity)
{
    StretchMasked(TMaskRule::Alpha32Ex, dstX, dstY, dstW, dstH, srcX, srcY, srcW, srcH, dstBmp, srcBmp, maskOffset,
                  centre, opacity);
}

void StretchBltMask(int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW, int srcH, TBitmap* dstBmp,
                    TBitmap* srcBmp, int maskOffset, bool centre)
{
    StretchMasked(TMaskRule::Gdi, dstX, dstY, dstW, dstH, srcX, srcY, srcW, srcH, dstBmp, srcBmp, maskOffset, centre,
                  255);
}
