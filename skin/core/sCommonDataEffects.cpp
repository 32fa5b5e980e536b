// Effects of skinned controls: the mouse light, the glow around a hot control and stopping or
// finishing a state animation.
#include "sCommonData.h"

#include "ComCtrls.h"
#include "acAnimation.h"
#include "acGlow.h"
#include "acThdTimer.h"
#include "sCommonDataSection.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"

using namespace sCommonDataSection;

namespace {

bool InState(const TComponent* component, TComponentStateFlag flag)
{
    return component && component->ComponentState().Contains(flag);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Mouse light

bool TsCtrlSkinData::DoLighting(bool CheckCurrent) const
{
    if (CheckCurrent && FDoLighting) return true;
    if (!FMouseAbove || !DefaultManager) return false;
    const TacBtnEffects* buttons = DefaultManager->AnimEffects()->Buttons();
    return buttons->Events.Contains(beLighting) && buttons->LightingMode() == lmActiveControl &&
           !InState(FOwnerControl, csDesigning);
}

void TsCtrlSkinData::DestroyNeedlessLight(bool Check)
{
    if (!Check) {
        LightMask.reset();
        HotCache.reset();
        FDoLighting = false;
        return;
    }
    if ((LightMask || HotCache) && !DoLighting(true)) {
        LightMask.reset();
        HotCache.reset();
        BGChanged = true;
    }
}

TColor GetLightColor(TsCommonData* CommonData, int State)
{
    if (!CommonData || CommonData->SkinIndex < 1) return -1;
    TsSkinManager* manager = CommonData->GetSkinManager();
    TacSkinData* data = Data96(manager);
    const TsGeneralData* section = SectionOf(data, CommonData->SkinIndex);
    if (!section) return -1;
    const int state = std::max(0, std::min({State, section->States - 1, std::min(section->UseState2 ? 2 : 1, 2)}));
    const TsMaskData* mask = BorderMaskOf(data, *section);
    const bool ownLight = section->Props[static_cast<size_t>(state)].Transparency < 40 ||
                          (mask && (mask->DrawMode & 16) != 0 && ((mask->DrawMode & 4) == 0 || state != 0));
    if (ownLight) {
        const TColor light = section->Props[static_cast<size_t>(state)].LightColor;
        return light == 0xFF00FF ? manager->SkinCommonInfo.DefLightColor : light;
    }
    // A transparent section shows its parent's light.
    TControl* control = CommonData->FOwnerControl;
    TWinControl* parent = control ? control->Parent() : nullptr;
    if (parent && parent->HandleAllocated()) {
        TsCommonData* parentData = nullptr;
        if (auto* sheet = dynamic_cast<TTabSheet*>(parent)) {
            if (TPageControl* pages = sheet->PageControl(); pages && pages->HandleAllocated())
                parentData = GetCommonData(pages->Handle());
        } else {
            parentData = GetCommonData(parent->Handle());
        }
        if (parentData && parentData != CommonData) return GetLightColor(parentData, State);
    }
    return manager->SkinCommonInfo.DefLightColor;
}

// ---------------------------------------------------------------------------------------------
// Glow

void ShowGlowingIfNeeded(TsCommonData* CommonData, bool Clicked, HWND Handle, int Alpha, bool DoAnimation)
{
    if (!CommonData) return;
    TsSkinManager* manager = CommonData->GetSkinManager();
    const TsGeneralData* section =
        CommonData->Skinned() ? SectionOf(CommonData->GetCommonSkinData(), CommonData->SkinIndex) : nullptr;
    const bool animate = DoAnimation && manager && manager->Effects()->AllowAnimation();
    if (!section || section->GlowCount < 1 || !manager->Effects()->AllowGlowing()) {
        HideGlow(CommonData->GlowID, false);
        return;
    }
    if (!ControlIsActive(CommonData)) {
        HideGlow(CommonData->GlowID, animate);
        return;
    }
    if (CommonData->GlowID >= 0) {
        if (Clicked) RepaintGlow(CommonData->GlowID);
        return;
    }
    const HWND wnd = Handle ? Handle : CommonData->OwnerHandle();
    if (!wnd) return;
    RECT r{};
    GetWindowRect(wnd, &r);
    CommonData->GlowID = ShowGlow(r, section->ClassName, L"GLOW", section->GlowMargin, Alpha, wnd, CommonData);
    if (CommonData->GlowID >= 0 && animate) DoChangePaint(CommonData, 1, UpdateGlowing_CB, true, false, false);
}

// ---------------------------------------------------------------------------------------------
// Animation timers

void StopTimer(TsCommonData* commonData)
{
    if (!commonData || !ThreadedTimerIsLive(commonData->AnimTimer)) return;
    TacThreadedTimer* timer = commonData->AnimTimer;
    if (timer->Destroyed || InState(timer, csDestroying) ||
        InState(dynamic_cast<TComponent*>(commonData->FOwnerObject), csDestroying))
        return;
    timer->SetEnabled(false);
    if (timer->State == 0) timer->Glow = 0;
    timer->State = -1;
    timer->BmpTo.reset();
    timer->BmpFrom.reset();
    timer->BmpOut.reset();
}

void StopTimer(TacThreadedTimer* Timer)
{
    if (!ThreadedTimerIsLive(Timer)) return;
    Timer->SetEnabled(false);
    Timer->State = -1;
}

void FinishTimer(TacThreadedTimer* Timer)
{
    if (!ThreadedTimerIsLive(Timer) || Timer->Destroyed) return;
    Timer->Iteration = Timer->Iterations - 1;
    Timer->Glow = Timer->State < 1 ? 0 : 255;
    // The step handler ignores a switched-off timer, so the last step runs before the switch.
    Timer->TimeHandler();
    if (!ThreadedTimerIsLive(Timer)) return;
    Timer->SetEnabled(false);
    Timer->BmpOut.reset();
}

bool TimerIsActive(TsCommonData* CommonData)
{
    if (!CommonData) return false;
    if (ThreadedTimerIsLive(CommonData->AnimTimer) && CommonData->AnimTimer->Enabled()) return true;
    return ThreadedTimerIsLive(CommonData->PulsTimer) && CommonData->PulsTimer->Enabled() &&
           CommonData->PulsTimer->BmpFrom != nullptr;
}
