// Outer effects of a control (the shadow or glow its section defines around it, painted into
// the parent's cache) and the per-direction scroll-bar settings.
#include "sCommonData.h"

#include "Forms.h"
#include "sAlphaGraph.h"
#include "sCommonDataSection.h"
#include "sGraphUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <algorithm>

using namespace sCommonDataSection;

namespace {

bool InState(const TComponent* component, TComponentStateFlag flag)
{
    return component && component->ComponentState().Contains(flag);
}

// Sections drawn round without a border mask: their effect reaches out by half their size.
bool IsCircularSection(TsSkinManager* manager, int index)
{
    const auto& sections = manager->SkinCommonInfo.Sections;
    return index >= 0 && (index == sections[ssThumb_On] || index == sections[ssThumb_Off]);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TacOuterEffects

void TacOuterEffects::SetVisibility(TacOuterVisibility Value)
{
    if (FVisibility == Value) return;
    FVisibility = Value;
    if (FOwner && FOwner->FOwnerControl && InState(FOwner->FOwnerControl, csLoading)) return;
    Invalidate();
}

void TacOuterEffects::Invalidate()
{
    if (!FOwner || !FOwner->FOwnerControl) return;
    TWinControl* parent = FOwner->FOwnerControl->Parent();
    if (!parent || !parent->HandleAllocated() || InState(parent, csLoading) || InState(parent, csDestroying)) return;
    SendAMessage(parent, AC_INVALIDATE);
    FOwner->Invalidate(false);
}

bool TacOuterEffects::IsShown() const
{
    switch (FVisibility) {
    case ovAlways: return true;
    case ovFocused: {
        if (FOwner && FOwner->FFocused) return true;
        auto* windowed = FOwner ? dynamic_cast<TWinControl*>(FOwner->FOwnerControl) : nullptr;
        return windowed && windowed->HandleAllocated() && windowed->Focused();
    }
    default: return false;
    }
}

bool HaveOuterEffects(TsCommonData* CommonData)
{
    if (!CommonData) return false;
    const bool provider = dynamic_cast<TsSkinProvider*>(CommonData->FOwnerObject) != nullptr;
    if (!provider && !dynamic_cast<TWinControl*>(CommonData->FOwnerControl)) return false;
    TsSkinManager* manager = CommonData->GetSkinManager();
    return manager && manager->Effects()->GetBoolean(0);
}

// ---------------------------------------------------------------------------------------------
// Painting

void TsCommonData::PaintOuter(TacBGInfo* BGInfo, int Value)
{
    if (!BGInfo || !BGInfo->Bmp || !Skinned() || !FOuterEffects || !FOuterEffects->IsShown()) return;
    TacSkinData* data = GetCommonSkinData();
    const TsGeneralData* section = SectionOf(data, SkinIndex);
    if (!section) return;
    int mask = section->OuterMask;
    TRect offsets = section->OuterOffset;
    int opacity = section->OuterOpacity;
    if (mask < 0) {
        if (section->OuterMode != 1 && section->OuterMode != 2) return;
        const size_t mode = static_cast<size_t>(section->OuterMode - 1);
        if (mode >= data->oe.size()) return;
        const TacOutEffData& shared = data->oe[mode];
        if (shared.Source == 0) return;
        mask = shared.Mask;
        offsets = TRect(shared.OffsetL, shared.OffsetT, shared.OffsetR, shared.OffsetB);
        opacity = shared.Opacity;
    }
    if (mask < 0 || static_cast<size_t>(mask) >= data->ma.size()) return;
    const TsMaskData& outer = data->ma[static_cast<size_t>(mask)];

    TRect r;
    if (FOwnerControl) {
        SendAMessage(FOwnerControl, AC_GETBOUNDS, reinterpret_cast<LPARAM>(&r));
        if (r.IsEmpty()) r = FOwnerControl->BoundsRect();
    } else if (auto* provider = dynamic_cast<TsSkinProvider*>(FOwnerObject); provider && provider->Form) {
        r = provider->Form->BoundsRect();
    } else {
        return;
    }
    r.Offset(BGInfo->Offset.X, BGInfo->Offset.Y);
    r.Left -= offsets.Left;
    r.Top -= offsets.Top;
    r.Right += offsets.Right;
    r.Bottom += offsets.Bottom;
    if (const TsMaskData* border = BorderMaskOf(data, *section)) {
        r.Left -= border->WL;
        r.Top -= border->WT;
        r.Right += border->WR;
        r.Bottom += border->WB;
    } else if (IsCircularSection(GetSkinManager(), SkinIndex)) {
        const int half = std::min(r.Width(), r.Height()) / 2;
        r = TRect(r.Left - half, r.Top - half, r.Right + half, r.Bottom + half);
    }
    if (FOuterEffects->Visibility() == ovFocused) opacity = std::min(255, opacity * 2);
    const TRect limits(outer.WL, outer.WT, outer.WR, outer.WB);
    // The key pixels of the mask show what lies beneath: the bitmap itself.
    TCacheInfo beneath;
    beneath.Bmp = BGInfo->Bmp;
    beneath.Ready = true;

    if ((Value & 0x100) && FOuterCache && r.Width() > 0 && r.Height() > 0) {
        // Composed apart over a copy of what lies beneath, then laid back in one copy.
        FOuterCache->SetSize(r.Width(), r.Height());
        BitBlt(FOuterCache->Canvas()->Handle(), 0, 0, r.Width(), r.Height(), BGInfo->Bmp->Canvas()->Handle(), r.Left,
               r.Top, SRCCOPY);
        beneath.Bmp = FOuterCache.get();
        DrawSkinRect32Ex(FOuterCache.get(), TRect(0, 0, r.Width(), r.Height()), beneath, outer, 0, limits, opacity);
        BitBlt(BGInfo->Bmp->Canvas()->Handle(), r.Left, r.Top, r.Width(), r.Height(), FOuterCache->Canvas()->Handle(),
               0, 0, SRCCOPY);
        return;
    }
    DrawSkinRect32Ex(BGInfo->Bmp, r, beneath, outer, 0, limits, opacity);
}

void TsCommonData::PaintOuterEffects(TWinControl* Parent, const TPoint& Offset)
{
    if (!Parent || !Skinned() || !FCacheBmp) return;
    TsSkinManager* manager = GetSkinManager();
    if (!manager || !manager->Effects()->GetBoolean(0)) return;
    TacBGInfo info;
    info.Bmp = FCacheBmp.get();
    info.Offset = Offset;
    info.BgType = btCache;
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        TControl* child = Parent->Controls(i);
        if (child->Visible() && ControlIsReady(child)) SendAMessage(child, AC_PAINTOUTER, reinterpret_cast<LPARAM>(&info));
    }
}

// ---------------------------------------------------------------------------------------------
// TacScrollData

void TacScrollData::SetSize(int Index, int Value)
{
    int& field = Index == 0 ? FScrollWidth : FButtonsSize;
    if (field == Value) return;
    field = Value;
    auto* windowed = FOwner ? dynamic_cast<TWinControl*>(FOwner->FOwnerControl) : nullptr;
    if (!windowed || InState(windowed, csLoading) || !windowed->HandleAllocated()) return;
    if (Index == 1)
        TrySendMessage(windowed->Handle(), WM_NCPAINT, 0, 0);
    else
        SetWindowPos(windowed->Handle(), nullptr, 0, 0, 0, 0, FrameChangedFlags);
}
