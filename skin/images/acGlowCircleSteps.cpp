// Click circles on the control's state-change timer: starting the animation and its steps.
#include "acGlow.h"
#include "acGlowCircleColors.h"

#include "Controls.h"
#include "acAnimation.h"
#include "acThdTimer.h"
#include "sCommonData.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

TacCircleEffect* CircleOf(TsCommonData* data) { return dynamic_cast<TacCircleEffect*>(GetEffect(data->GlowID)); }

// Check boxes, radio buttons and other small toggles step differently.
bool SmallToggle(BYTE coc) { return coc == 8 || coc == 32 || coc == 33 || coc == 74; }

void Load(TacCircleEffect& circle, const TacCircleEffectData& data)
{
    circle.SizeChanging = data.SizeChanging;
    circle.RadiusFinish = data.RadiusFinish;
    circle.RadiusStart = data.RadiusStart;
    circle.Center = data.Center;
    circle.State = data.State;
    circle.Color = data.Color;
    circle.AlphaFinish = data.AlphaFinish;
}

} // namespace

bool CircleClickMode(TControl* Control, TsCommonData* SkinData, TacAnimatEvents Events)
{
    if (!Control || Control->ComponentState().Contains(csDesigning) || !Control->Enabled()) return false;
    TsSkinManager* m = SkinData ? SkinData->GetSkinManager() : nullptr;
    return EventEnabled(aeClick, Events, m) && m && m->AnimEffects() &&
           m->AnimEffects()->Buttons()->ClickEffect != ceWaveOut;
}

void StartLEAnimation(const TacCircleEffectData& Data, bool Animated)
{
    TsCommonData* sd = Data.SkinData;
    if (!sd || !CommonDataIsLive(sd)) return;
    TsSkinManager* m = sd->GetSkinManager();
    const bool animate = Animated && sd->Skinned() && m && !m->ManagerState.Contains(msSkinChanging) &&
                         m->Effects() && m->Effects()->AllowAnimation();
    if (!animate) {
        // The new circle takes the old one's place (and the picture under it): a replaced effect
        // left in the table would stay on screen.
        std::unique_ptr<TBitmap> back;
        if (TacCircleEffect* old = CircleOf(sd)) back = std::move(old->BackBmp);
        HideGlow(sd->GlowID, false);
        sd->GlowID = CreateCircleEffect(Data);
        if (TacCircleEffect* circle = CircleOf(sd)) {
            circle->RealAlpha = Data.AlphaStart;
            if (back) {
                circle->BackBmp = std::move(back);
                circle->Show();
            }
        }
        return;
    }
    TacCircleEffect* circle = CircleOf(sd);
    if (circle) {
        Load(*circle, Data);
    } else {
        HideGlow(sd->GlowID, false); // a glow in the circle's place
        sd->GlowID = CreateCircleEffect(Data);
        circle = CircleOf(sd);
    }
    const bool stopped = !ThreadedTimerIsLive(sd->AnimTimer) || !sd->AnimTimer->Enabled();
    if (circle && stopped) {
        if (circle->RealRadius == 0) circle->RealRadius = Data.RadiusStart;
        if (circle->RealAlpha == 0) circle->RealAlpha = Data.AlphaStart;
    }
    if (!ThreadedTimerIsLive(sd->AnimTimer)) {
        TComponent* owner = sd->FOwnerControl;
        sd->AnimTimer = new TacThreadedTimer(owner, false);
    }
    TacThreadedTimer* timer = sd->AnimTimer;
    timer->SetEnabled(false);
    timer->Iterations = 0x7FFFFFFF;
    timer->Iteration = 0x3FFFFFFF;
    timer->State = Data.State;
    timer->AnimData = sd;
    timer->AnimProc = Data.AnimProc;
    const bool paced = sd->COC == 34 || sd->COC == 165;
    timer->SetInterval(paced ? (Data.State == 1 ? 12 : 36) : 24);
    timer->SetEnabled(true);
    if (Data.AnimProc && !Data.AnimProc(sd, timer->Iteration)) timer->SetEnabled(false);
    timer->ThreadType = ttEffect;
}

bool UpdateCircle(TObject* Data, int)
{
    auto* sd = dynamic_cast<TsCommonData*>(Data);
    if (!sd || !ThreadedTimerIsLive(sd->AnimTimer) || sd->AnimTimer->Destroyed) return false;
    if (!CircleOf(sd)) ShowCircleIfNeeded(sd, 0, true);
    TacCircleEffect* circle = CircleOf(sd);
    if (!circle) return false;
    HWND wnd = sd->OwnerHandle();
    TRect r;
    if (!wnd || SendAMessage(wnd, AC_GLOWCIRCLE, reinterpret_cast<LPARAM>(&r)) == 0) return false;
    const TPoint p = acMousePos();
    const bool held = acLeftButtonDown();
    const bool inside = p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
    double& radius = circle->RealRadius;
    double& alpha = circle->RealAlpha;
    const double finish = circle->RadiusFinish, alphaFinish = circle->AlphaFinish;
    if (!inside) {
        if (!held) {
            HideGlow(sd->GlowID, false);
            return false;
        }
        radius = finish;
        alpha = alphaFinish;
    }
    circle->Center = TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    const bool small = SmallToggle(sd->COC);
    bool ends = false;
    switch (circle->SizeChanging) {
    case scIncrease:
        if (small && !held) {
            radius += (finish - radius) / 5;
            alpha += circle->AlphaFinish == 255 ? -15 : 15;
        } else if (small) {
            radius += (finish - radius) / 7;
            alpha += circle->AlphaFinish == 0 ? -5 : 5;
        } else {
            radius += (finish - radius) / 3;
            alpha += (alphaFinish - alpha) / 3;
        }
        ends = radius >= finish - 1;
        break;
    case scDecrease:
        radius -= (radius - finish) / 3;
        alpha = std::max(0.0, alpha - (alpha - alphaFinish) / 3);
        // The radius heads for RadiusFinish, so that is where the shrink ends.
        ends = std::abs(radius - finish) <= 1;
        break;
    case scNotChanged:
        radius = finish;
        alpha += (alphaFinish - alpha) / (small ? (held ? 7 : 5) : 3);
        alpha = std::min(alpha, alphaFinish);
        break;
    }
    alpha = std::clamp(alpha, 0.0, 255.0);
    if (ends) {
        radius = finish;
        StopTimer(sd);
        if (small && circle->State == 1 && !held)
            circle->Color = CircleAlphaColor(CircleLightColor(sd, 1, CircleColorSource::CheckBox), 17);
    }
    circle->Show();
    return !ends;
}
