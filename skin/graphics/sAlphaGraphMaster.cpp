#include "sAlphaGraph.h"

#include "sSkinManager.h"

// Until the masked copy comes, the image half is copied plainly.
void CopyMasterRect(TRect dstRect, TRect srcRect, TBitmap* dst, const TCacheInfo&, const TsMaskData& maskData)
{
    TBitmap* src = maskData.Bmp;
    if (!src)
        if (auto* manager = dynamic_cast<TsSkinManager*>(maskData.Manager)) src = manager->MasterBitmap.get();
    if (!dst || !src || src->Empty() || dst->Empty()) return;
    const int h = (srcRect.Bottom - srcRect.Top) / 2;
    const int w = std::min(dstRect.Right - dstRect.Left, srcRect.Right - srcRect.Left);
    if (w <= 0 || h <= 0) return;
    BitBlt(dst->Canvas()->Handle(), dstRect.Left, dstRect.Top, w, std::min<int>(h, dstRect.Bottom - dstRect.Top),
           src->Canvas()->Handle(), srcRect.Left, srcRect.Top, SRCCOPY);
}
