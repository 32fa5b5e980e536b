#pragma once
// Internal helpers of the section painters: resolving skin data, sections and images with their
// bounds checked, making a target bitmap 32-bit, fills by pixel format, and the parent's copy.
#include "Graphics.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sConst.h"
#include "sGraphUtilsFill.h"
#include "sMaskData.h"
#include "sSkinManager.h"

#include <algorithm>
#include <cstdint>

namespace paintitem_detail {

// The skin data when it is a TacSkinData with a manager that accepts the section index, and
// the data holds that section.
inline TsGeneralData* SectionOf(TacObject* skinData, int skinIndex, TacSkinData** data = nullptr)
{
    auto* skin = dynamic_cast<TacSkinData*>(skinData);
    if (!skin || !skin->FOwner || !skin->FOwner->IsValidSkinIndex(skinIndex)) return nullptr;
    if (!IsValidIndex(skinIndex, static_cast<int>(skin->gd.size()))) return nullptr;
    if (data) *data = skin;
    return &skin->gd[static_cast<size_t>(skinIndex)];
}

// The image when the manager accepts the index and the data holds it.
inline const TsMaskData* ImageOf(const TacSkinData& data, int index)
{
    if (!data.FOwner || !data.FOwner->IsValidImgIndex(index)) return nullptr;
    return IsValidIndex(index, static_cast<int>(data.ma.size())) ? &data.ma[static_cast<size_t>(index)] : nullptr;
}

// A corner image: any index of the data's array (no manager test).
inline const TsMaskData* CornerImage(const TacSkinData& data, int index)
{
    return IsValidIndex(index, static_cast<int>(data.ma.size())) ? &data.ma[static_cast<size_t>(index)] : nullptr;
}

// The skin data a manager argument stands for: the given manager, else the default one, at 96 PPI.
inline TacObject* ManagerSkinData(TComponent* manager)
{
    auto* m = manager ? dynamic_cast<TsSkinManager*>(manager) : DefaultManager;
    return m && !m->SkinDataArray.empty() ? m->CommonSkinData(96) : nullptr;
}

// A device-dependent bitmap becomes 32-bit (pixels kept): the 32-bit painters skip it otherwise.
inline void Make32(TBitmap* bmp)
{
    if (bmp && !bmp->Empty() && bmp->PixelFormat() == pfDevice) bmp->SetPixelFormat(pf32bit);
}

// An opaque fill: FillRect32 on a 32-bit bitmap, a solid brush on any other.
inline void FillOpaque(TBitmap* bmp, const TRect& r, TColor color)
{
    if (bmp->PixelFormat() == pf32bit) FillRect32(bmp, r, color, 255);
    else FillDC(bmp->Canvas()->Handle(), r, color, 0);
}

// W x H of CI's bitmap from (CI.X + pP.X, CI.Y + pP.Y) to R's top-left, unless that bitmap is
// the target itself.
inline void CopyParent(TBitmap* itemBmp, const TRect& r, const TCacheInfo& ci, const TPoint& pP)
{
    if (!ci.Bmp || ci.Bmp == itemBmp) return;
    BitBlt(itemBmp->Canvas()->Handle(), r.Left, r.Top, WidthOf(r), HeightOf(r), ci.Bmp->Canvas()->Handle(),
           ci.X + pP.X, ci.Y + pP.Y, SRCCOPY);
    GdiFlush();
}

inline TCacheInfo Shifted(TCacheInfo ci, const TPoint& pP)
{
    ci.X += pP.X;
    ci.Y += pP.Y;
    return ci;
}

// p * 255 div 100 as the weight byte of the mixers.
inline std::uint8_t Share(int percent) { return static_cast<std::uint8_t>(percent * 255 / 100); }

inline bool InsideBitmap(const TRect& r, const TBitmap* bmp)
{
    return r.Left >= 0 && r.Top >= 0 && r.Right <= bmp->Width() && r.Bottom <= bmp->Height();
}

} // namespace paintitem_detail
