// Skin borders: fast frame painting into a control's cache, region-aware nine-slice painting of
// a border image, and the keyed pixel copier under both.
#include "sBorders.h"

#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sAlphaGraphPieces.h"
#include "sCommonData.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsFill.h"
#include "sGraphUtilsTemplate.h"

#include <algorithm>

using namespace alphagraph_detail;

namespace {

constexpr std::uint32_t kKeyRgb = 0x00FF00FFu;
bool IsKey(const TsColor_& p) { return (static_cast<std::uint32_t>(p.I) & 0x00FFFFFFu) == kKeyRgb; }

// Takes one row's run of key pixels out of the region.
void CutRun(HRGN rgn, int left, int right, int y, int mode)
{
    if (!rgn || right <= left) return;
    HRGN run = CreateRectRgn(left, y, right, y + 1);
    if (!run) return;
    CombineRgn(rgn, rgn, run, mode);
    DeleteObject(run);
}

std::uint8_t BlendByte(int src, int dst, int mask)
{
    return static_cast<std::uint8_t>((src * 256 + (dst - src) * mask) / 256);
}

} // namespace

void CopyMask(int DstX1, int DstY1, int DstX2, int DstY2, int SrcX1, int SrcY1, int SrcX2, int SrcY2, TBitmap* Bmp,
              HRGN Rgn, const TsMaskData& Mask, bool KeyOnly)
{
    if (DstX1 < 0 || DstY1 < 0 || DstX2 < 0 || DstY2 < 0 || SrcX1 < 0 || SrcY1 < 0 || SrcX2 < 0 || SrcY2 < 0) return;
    TacBmpRows d(Bmp), s(ImageBitmap(Mask));
    if (!d.Valid() || d.Width() < 2 || d.Height() < 2 || !s.Valid()) return;
    const bool masked = Mask.MaskType == 1;
    const int maskOffset = masked ? HeightOf(Mask.R) / 2 : 0;
    // Inclusive ends; the image rectangle's picture part, both bitmaps.
    const int imageRight = std::min<int>(Mask.R.Right, s.Width());
    const int imageBottom = std::min<int>(masked ? Mask.R.Top + maskOffset : Mask.R.Bottom, s.Height() - maskOffset);
    const int cols = std::min({DstX2 - DstX1, SrcX2 - SrcX1, imageRight - 1 - SrcX1, d.Width() - 1 - DstX1}) + 1;
    const int rows = std::min({DstY2 - DstY1, SrcY2 - SrcY1, imageBottom - 1 - SrcY1, d.Height() - 1 - DstY1}) + 1;
    if (cols <= 0 || rows <= 0) return;
    for (int y = 0; y < rows; ++y) {
        const int dy = DstY1 + y, sy = SrcY1 + y;
        int runStart = -1;
        for (int x = 0; x < cols; ++x) {
            const int dx = DstX1 + x, sx = SrcX1 + x;
            const TsColor_ sp = s.At(sx, sy);
            TsColor_& dp = d.At(dx, dy);
            const bool key = IsKey(sp);
            if (!key || !KeyOnly) {
                if (masked) {
                    const TsColor_ mp = s.At(sx, sy + maskOffset);
                    dp.B = BlendByte(sp.B, dp.B, mp.B);
                    dp.G = BlendByte(sp.G, dp.G, mp.G);
                    dp.R = BlendByte(sp.R, dp.R, mp.R);
                } else {
                    dp = sp;
                }
            }
            if (key) {
                if (runStart < 0) runStart = dx;
            } else if (runStart >= 0) {
                CutRun(Rgn, runStart, dx, dy, RGN_XOR);
                runStart = -1;
            }
        }
        if (runStart >= 0) CutRun(Rgn, runStart, DstX1 + cols, dy, RGN_DIFF);
    }
}

void PaintRgnBorder(TBitmap* Bmp, HRGN Rgn, bool Filling, const TsMaskData& Mask, int State)
{
    TBitmap* image = ImageBitmap(Mask);
    if (!Bmp || Bmp->Width() < 2 || Bmp->Height() < 2 || !image) return;
    const int w = Bmp->Width(), h = Bmp->Height();
    int wl = Mask.WL, wr = Mask.WR, wt = Mask.WT, wb = Mask.WB;
    // Borders wider than the bitmap give up their excess evenly, the right (bottom) one more.
    const auto fit = [](int& lead, int& trail, int size) {
        if (lead + trail > size) {
            const int excess = (lead + trail - size) / 2;
            lead -= excess;
            trail -= excess;
            if (size % 2 != 0) --trail;
        }
        lead = std::max(lead, 0);
        trail = std::max(trail, 0);
    };
    fit(wl, wr, w);
    fit(wt, wb, h);
    const int count = std::max<int>(Mask.ImageCount, 1);
    State = std::clamp(State, 0, count - 1);
    const int stateW = WidthOf(Mask.R) / count;
    const int sx = Mask.R.Left + State * stateW, sy = Mask.R.Top;
    const int imageH = Mask.MaskType == 1 ? HeightOf(Mask.R) / 2 : HeightOf(Mask.R);
    const int midW = std::max(0, stateW - wl - wr), midH = std::max(0, imageH - wt - wb);

    // Corners.
    CopyMask(0, 0, wl - 1, wt - 1, sx, sy, sx + wl - 1, sy + wt - 1, Bmp, Rgn, Mask, true);
    CopyMask(w - wr, 0, w - 1, wt - 1, sx + stateW - wr, sy, sx + stateW - 1, sy + wt - 1, Bmp, Rgn, Mask, true);
    CopyMask(0, h - wb, wl - 1, h - 1, sx, sy + imageH - wb, sx + wl - 1, sy + imageH - 1, Bmp, Rgn, Mask, true);
    CopyMask(w - wr, h - wb, w - 1, h - 1, sx + stateW - wr, sy + imageH - wb, sx + stateW - 1, sy + imageH - 1, Bmp,
             Rgn, Mask, true);

    const int maskOffset = Mask.MaskType == 1 ? HeightOf(Mask.R) / 2 : 0;
    const bool stretched = (Mask.DrawMode & 1) != 0;
    if (stretched) SetStretchBltMode(Bmp->Canvas()->Handle(), COLORONCOLOR);
    // One band: a source piece (srcX, srcY, srcW x srcH) over the destination area, stretched or
    // tiled from its top-left in steps of the piece, the last one cut.
    const auto band = [&](int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW, int srcH, bool centre) {
        if (dstW <= 0 || dstH <= 0 || srcW <= 0 || srcH <= 0) return;
        if (stretched) {
            StretchBltMask(dstX, dstY, dstW, dstH, srcX, srcY, srcW, srcH, Bmp, image, maskOffset, centre);
            return;
        }
        for (int y = 0; y < dstH; y += srcH)
            for (int x = 0; x < dstW; x += srcW) {
                const int cw = std::min(srcW, dstW - x), ch = std::min(srcH, dstH - y);
                CopyMask(dstX + x, dstY + y, dstX + x + cw - 1, dstY + y + ch - 1, srcX, srcY, srcX + cw - 1,
                         srcY + ch - 1, Bmp, nullptr, Mask, true);
            }
    };
    const int innerW = w - wl - wr, innerH = h - wt - wb;
    band(wl, 0, innerW, wt, sx + wl, sy, midW, wt, false);                            // top
    band(wl, h - wb, innerW, wb, sx + wl, sy + imageH - wb, midW, wb, false);         // bottom
    band(0, wt, wl, innerH, sx, sy + wt, wl, midH, false);                            // left
    band(w - wr, wt, wr, innerH, sx + stateW - wr, sy + wt, wr, midH, false);         // right
    if (Filling && (Mask.DrawMode & 4) != 0 && midW >= 1 && midH >= 1)
        band(wl, wt, innerW, innerH, sx + wl, sy + wt, midW, midH, true);
    GdiFlush();
}

TRect PaintBorderFast(HDC DC, const TRect& R, int BorderWidth, TsCommonData* SkinData, int State)
{
    if (!SkinData) return R;
    const TColor bgColor = ColorToRGB(GetBGColor(SkinData, State));
    TacBGInfo bg;
    TControl* control = SkinData->FOwnerControl;
    if (control && control->Parent()) GetBGInfo(bg, control->Parent());

    const TsMaskData* mask = nullptr;
    if (TacSkinData* data = SkinData->GetCommonSkinData();
        data && IsValidIndex(SkinData->SkinIndex, static_cast<int>(data->gd.size()))) {
        const int border = data->gd[static_cast<size_t>(SkinData->SkinIndex)].BorderIndex;
        if (IsValidIndex(border, static_cast<int>(data->ma.size()))) mask = &data->ma[static_cast<size_t>(border)];
    }
    const auto deflated = [&] {
        TRect r(R.Left + BorderWidth, R.Top + BorderWidth, R.Right - BorderWidth, R.Bottom - BorderWidth);
        r.Right = std::max(r.Right, r.Left);
        r.Bottom = std::max(r.Bottom, r.Top);
        return r;
    };
    if (!mask) {
        if (BorderWidth == 0) return R;
        FillDCBorder(DC, R, BorderWidth, BorderWidth, BorderWidth, BorderWidth, bgColor);
        return deflated();
    }

    State = std::clamp(State, 0, std::max(0, mask->ImageCount - 1));
    InitCacheBmp(SkinData);
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (!cache) return R;
    // The cache may be held device-dependent; the painters below work on its 32-bit pixels.
    if (cache->PixelFormat() != pf32bit) cache->SetPixelFormat(pf32bit);
    const TPoint pos = control ? TPoint(control->Left(), control->Top()) : TPoint();
    if (mask->MaskType == 1 && bg.BgType == btCache && bg.Bmp) {
        const int band = std::max({mask->WL, mask->WT, mask->WR, mask->WB});
        BitBltBorder(cache->Canvas()->Handle(), R.Left, R.Top, R.Width(), R.Height(), bg.Bmp->Canvas()->Handle(),
                     pos.X + bg.Offset.X + R.Left, pos.Y + bg.Offset.Y + R.Top, band, band, band, band);
    }
    TCacheInfo ci = BGInfoToCI(bg);
    ci.X += pos.X;
    ci.Y += pos.Y;
    DrawSkinRect(cache, R, ci, *mask, State, true);

    TRect result(R.Left + mask->WL, R.Top + mask->WT, R.Right - mask->WR, R.Bottom - mask->WB);
    if (BorderWidth == 0) return result;
    const int w = R.Width(), h = R.Height();
    const auto extra = [&](int own, int opposite, int size) {
        return std::max(0, std::min(BorderWidth, size - opposite) - own);
    };
    FillDCBorder32(cache, result, extra(mask->WL, mask->WR, w), extra(mask->WT, mask->WB, h),
                   extra(mask->WR, mask->WL, w), extra(mask->WB, mask->WT, h), bgColor);
    result = deflated();
    HDC cacheDC = cache->Canvas()->Handle();
    if (cacheDC != DC) {
        GdiFlush();
        BitBltBorder(DC, R.Left, R.Top, w, h, cacheDC, R.Left, R.Top, BorderWidth, BorderWidth, BorderWidth,
                     BorderWidth);
    }
    return result;
}
