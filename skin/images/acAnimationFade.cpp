// State-change fades of controls: whether an event animates, the entry a control calls on a
// state change, and the set-up of the fade on the control's animation timer.
#include "acAnimation.h"

#include "Controls.h"
#include "acGlow.h"
#include "acThdTimer.h"
#include "sCommonData.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sVclUtils.h"

namespace {

TComponent* TimerOwner(TsCommonData* data)
{
    if (data->FOwnerControl) return data->FOwnerControl;
    return dynamic_cast<TComponent*>(data->FOwnerObject);
}

bool Designing(const TControl* control)
{
    return control && control->ComponentState().Contains(csDesigning);
}

TRect WholeOf(const TBitmap& bmp) { return TRect(0, 0, bmp.Width(), bmp.Height()); }

} // namespace

bool EventEnabled(TacAnimatEvent Event, TacAnimatEvents Events, TsSkinManager* SkinManager)
{
    TsSkinManager* manager = SkinManager ? SkinManager : DefaultManager;
    if (!manager) return Event != aeClick;
    if (!manager->Effects()->AllowAnimation()) return false;
    const bool global = Events.Contains(aeGlobalDef);
    if (!global) return Events.Contains(Event);
    return manager->AnimEffects()->Buttons()->Events.Contains(acBtnEvents[static_cast<size_t>(Event)]);
}

void DoChangePaint(TsCommonData* SkinData, int State, TacAnimProc AnimProc, bool AllowAnimation, bool, bool Glowing)
{
    if (!SkinData) return;
    if (!SkinData->Skinned()) {
        SkinData->Invalidate();
        return;
    }
    TsSkinManager* manager = SkinData->GetSkinManager();
    auto* lit = dynamic_cast<TsCtrlSkinData*>(SkinData);
    if (lit && manager && manager->AnimEffects()->Buttons()->LightingMode() == lmActiveControl &&
        !Designing(SkinData->FOwnerControl) && lit->DoLighting())
        LightingIsNear(lit);

    if (!SkinIsChanging(SkinData) && AllowAnimation && !FadingForbidden && SkinData->FCacheBmp &&
        !SkinData->BGChanged && manager && manager->Effects()->AllowAnimation()) {
        // The glow starts invisible and rises with the fade's steps.
        if (Glowing && State < 100 && SkinData->GlowID < 0) ShowGlowingIfNeeded(SkinData, false, nullptr, 0, false);
        SkinData->BGChanged = true;
        AnimChange(SkinData, State, AnimProc, false);
        return;
    }

    bool handled = false;
    if (lit && lit->OnUpdateLight) {
        TacAnimEventData event;
        lit->OnUpdateLight(SkinData->FOwnerControl, &event);
        handled = event.DoOutput;
    }
    if (!handled) SkinData->Invalidate();
    TacThreadedTimer* timer = ThreadedTimerIsLive(SkinData->AnimTimer) ? SkinData->AnimTimer : nullptr;
    if (!SkinData->FMouseAbove) {
        HideGlow(SkinData->GlowID, false);
        // A control that never animated has no timer to tell.
        if (timer && ThreadedTimerIsLive(timer)) timer->Glow = 0;
    } else if (Glowing && State < 100 && SkinData->GlowID < 0) {
        ShowGlowingIfNeeded(SkinData, false, nullptr, 255, false);
        if (timer && ThreadedTimerIsLive(timer)) timer->Glow = 255;
    }
}

bool AnimChange(TsCommonData* SkinData, int State, TacAnimProc AnimProc, bool Half)
{
    if (!SkinData) return false;
    const int owed = GetNewTimer(SkinData->AnimTimer, TimerOwner(SkinData), State);
    TacThreadedTimer* timer = SkinData->AnimTimer;
    if (timer->Enabled() && timer->State == State) return false;

    TBitmap* cache = SkinData->FCacheBmp.get();
    if (timer->BmpOut && (!cache || timer->BmpOut->Width() != cache->Width() || timer->BmpOut->Height() != cache->Height()))
        timer->BmpOut.reset();
    // The fade starts from what the screen shows now: a running fade's frame, else the cache.
    TBitmap* shown = timer->BmpOut ? timer->BmpOut.get() : cache;
    if (!shown) return false;
    TacThreadedTimer::CopyFrom(timer->BmpFrom, shown, WholeOf(*shown));

    if (SkinData->BGChanged) {
        TControl* control = SkinData->FOwnerControl;
        const LRESULT answer = control ? control->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_PREPARECACHE), 0)
                                       : SendAMessage(SkinData->OwnerHandle(), AC_PREPARECACHE, 0);
        if (answer != 0) timer->DisableTimer();
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (ssButtons.Contains(SkinData->COC) && windowed && windowed->ControlCount() > 0 && SkinData->FCacheBmp)
            PaintControls(SkinData->FCacheBmp->Canvas()->Handle(), windowed, true, TPoint(0, 0));
    }
    cache = SkinData->FCacheBmp.get();
    if (!cache) return false;
    TacThreadedTimer::CopyFrom(timer->BmpTo, cache, WholeOf(*cache));
    timer->InitData(SkinData, owed, AnimProc, State, Half);
    timer->TimeHandler();
    return true;
}
