// Restoring the transparent corners of a control's cached image from what lies behind the
// control: the parent's cache pixel, or its plain background colour.
#include "sAlphaGraph.h"

#include "acntUtils.h"
#include "sAlphaGraphPieces.h"
#include "sCommonData.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsMix.h"

using namespace alphagraph_detail;
using namespace graphutils_detail;

namespace {

// How the transparent pixels of one corner piece take the background.
struct TCornerJob {
    TacBmpRows cache, source, parent;
    TPoint offset;          // the cache's origin inside the parent's bitmap
    std::int32_t colourWord = 0;
    bool fromCache = false; // btCache
    bool ownAlpha = false;  // DrawMode bit 4
};

void RestoreCorner(const TCornerJob& job, int srcX, int srcY, int w, int h, int dstX, int dstY)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int sx = srcX + x, sy = srcY + y, cx = dstX + x, cy = dstY + y;
            if (!job.source.Contains(sx, sy) || !job.cache.Contains(cx, cy)) continue;
            const TsColor_ sp = job.source.At(sx, sy);
            if (job.ownAlpha ? sp.A != 0 : sp.I != KeyPixel) continue;
            TsColor_& dp = job.cache.At(cx, cy);
            if (job.fromCache) {
                const int px = job.offset.X + cx, py = job.offset.Y + cy;
                if (job.parent.Contains(px, py)) dp = job.parent.At(px, py);
            } else {
                dp.I = job.colourWord;
            }
        }
}

} // namespace

void UpdateCorners(TsCommonData* SkinData, int State, TsCorners Corners)
{
    if (!SkinData || !SkinData->FCacheBmp || SkinData->SkinIndex < 0) return;
    TsSkinManager* manager = SkinData->SkinManager();
    if (!manager || !manager->IsActive()) return;
    TacSkinData* data = SkinData->GetCommonSkinData();
    if (!data || !IsValidIndex(SkinData->SkinIndex, static_cast<int>(data->gd.size()))) return;
    const int border = data->gd[static_cast<size_t>(SkinData->SkinIndex)].BorderIndex;
    if (!IsValidIndex(border, static_cast<int>(data->ma.size()))) return;
    TsMaskData mask = data->ma[static_cast<size_t>(border)];
    if ((mask.Cfg & 1) == 0) return;
    if (mask.Bmp && mask.ImageCount == 0) {
        mask.ImageCount = 3;
        mask.MaskType = 1;
        mask.R = TRect(0, 0, mask.Bmp->Width(), mask.Bmp->Height());
        mask.Width = WidthOf(mask.R) / 3;
        mask.Height = HeightOf(mask.R) / 2;
    }
    if (mask.ImageCount <= 0) return;

    TacBGInfo bg;
    TControl* control = SkinData->FOwnerControl;
    const HWND own = SkinData->OwnerHandle();
    if (control && control->Parent()) GetBGInfo(bg, control->Parent());
    else if (HWND parent = own ? GetParent(own) : nullptr) GetBGInfo(bg, parent);
    else return;

    // The cache may be held device-dependent; its corners are restored in its 32-bit pixels.
    if (SkinData->FCacheBmp->PixelFormat() != pf32bit) SkinData->FCacheBmp->SetPixelFormat(pf32bit);
    TCornerJob job;
    job.cache = TacBmpRows(SkinData->FCacheBmp.get());
    job.source = TacBmpRows(ImageBitmap(mask));
    if (!job.cache.Valid() || !job.source.Valid()) return;
    job.ownAlpha = mask.MaskType == 0 && (mask.DrawMode & 0x10) != 0;
    const TColor colour = ColorToRGB(bg.Color);
    job.colourWord = SwapRedBlue(colour);
    job.parent = TacBmpRows(bg.Bmp);
    const bool plain = mask.MaskType == 0 && !job.ownAlpha;
    // A plain image falls back to the colour when the parent has no bitmap; the others then
    // leave their corners.
    job.fromCache = bg.BgType == btCache && (job.parent.Valid() || !plain);
    if (job.fromCache) {
        if (!job.parent.Valid()) return;
        TPoint pos;
        if (control) {
            pos = TPoint(control->Left(), control->Top());
        } else if (own) {
            RECT wr{};
            GetWindowRect(own, &wr);
            POINT tl{wr.left, wr.top};
            ScreenToClient(GetParent(own), &tl);
            pos = TPoint(tl.x, tl.y);
        }
        job.offset = TPoint(bg.Offset.X + pos.X, bg.Offset.Y + pos.Y);
    } else if (plain && colour == sFuchsia) {
        return;
    }

    const int index = std::max(0, std::min(State, mask.ImageCount - 1));
    const int x = mask.R.Left + index * mask.Width, top = mask.R.Top;
    const int cw = job.cache.Width(), ch = job.cache.Height();
    const int wl = mask.WL, wt = mask.WT, wr = mask.WR, wb = mask.WB;
    if (Corners.Contains(scLeftTop)) RestoreCorner(job, x, top, wl, wt, 0, 0);
    if (Corners.Contains(scLeftBottom)) RestoreCorner(job, x, top + mask.Height - wb, wl, wb, 0, ch - wb);
    if (Corners.Contains(scRightBottom))
        RestoreCorner(job, x + mask.Width - wr, top + mask.Height - wb, wr, wb, cw - wr, ch - wb);
    if (Corners.Contains(scRightTop)) RestoreCorner(job, x + mask.Width - wr, top, wr, wt, cw - wr, 0);
}
