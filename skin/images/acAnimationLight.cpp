// The mouse light: the light data and its timer, the registered controls, whether a control is
// near the pointer, and painting the spot under the pointer.
#include "acAnimation.h"

#include "Controls.h"
#include "Forms.h"
#include "Timers.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sGradient.h"
#include "sGraphUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <algorithm>
#include <cmath>

namespace {

std::unique_ptr<TacMouseLightData>& LightData()
{
    static std::unique_ptr<TacMouseLightData> data;
    return data;
}

// Round half to even (the current rounding mode of the process).
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

bool DesigningManager(const TsSkinManager* m) { return m && m->ComponentState().Contains(csDesigning); }

// The screen rectangle the light is measured in: the skin state's own window, else the owner
// control's (a graphic control: its parent's window, moved by the control's place).
bool LightRect(TsCtrlSkinData* data, TRect& out)
{
    RECT r{};
    if (data->FSWHandle) {
        if (!GetWindowRect(data->FSWHandle, &r)) return false;
        out = TRect(r);
        return true;
    }
    TControl* control = data->FOwnerControl;
    if (!control) return false;
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        if (!windowed->HandleAllocated() || !GetWindowRect(windowed->Handle(), &r)) return false;
        out = TRect(r);
        return true;
    }
    TWinControl* parent = control->Parent();
    if (!parent || !parent->HandleAllocated() || !GetWindowRect(parent->Handle(), &r)) return false;
    out = TRect(r.left + control->Left(), r.top + control->Top(), r.left + control->Left() + control->Width(),
                r.top + control->Top() + control->Height());
    return true;
}

// The window a control is painted in (a graphic control: its parent's).
HWND PaintWnd(TControl* control)
{
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) return windowed->HandleAllocated() ? windowed->Handle() : nullptr;
    TWinControl* parent = control->Parent();
    return parent && parent->HandleAllocated() ? parent->Handle() : nullptr;
}

void RepaintLight(TsCtrlSkinData* data)
{
    if (!data->FOwnerControl) {
        data->BGChanged = true;
        if (data->FSWHandle)
            RedrawWindow(data->FSWHandle, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return;
    }
    data->FOwnerControl->Invalidate();
}

} // namespace

TacMouseLightData::TacMouseLightData()
{
    MouseLightSize = DefaultManager ? DefaultManager->ScaleInt(64) : 64;
    MaskBmp = MakeShadow(clBlack, MouseLightSize / 2, 0, 0, 0, MouseLightSize / 2, false, false);
    LightTimer = std::make_unique<TTimer>(nullptr);
    LightTimer->SetEnabled(false);
    LightTimer->SetInterval(12);
    LightTimer->OnTimer = [this](TObject* sender) { OnTimer(sender); };
}

TacMouseLightData::~TacMouseLightData() = default;

void TacMouseLightData::OnTimer(TObject*)
{
    if (InOnTimer) return;
    InOnTimer = true;
    // A receiver may unregister itself (or others) meanwhile: walk copies and send only to
    // entries still registered.
    const std::vector<TControl*> controls = LightControls;
    for (TControl* c : controls)
        if (std::find(LightControls.begin(), LightControls.end(), c) != LightControls.end())
            SendAMessage(c, AC_LIGHTSTEP);
    const std::vector<HWND*> handles = LightHandles;
    for (HWND* h : handles)
        if (std::find(LightHandles.begin(), LightHandles.end(), h) != LightHandles.end() && *h)
            SendAMessage(*h, AC_LIGHTSTEP);
    InOnTimer = false;
}

TacMouseLightData* MouseLightData() { return LightData().get(); }

void FreeMouseLightData() { LightData().reset(); }

void acAnimationInitialization() { LightData() = std::make_unique<TacMouseLightData>(); }

bool MouseLightTimerRuns()
{
    const TacMouseLightData* d = MouseLightData();
    return d && d->LightTimer->Enabled();
}

void SetMouseLight(bool value)
{
    TacMouseLightData* d = MouseLightData();
    if (!d) return;
    if (!DefaultManager || DesigningManager(DefaultManager)) {
        d->LightTimer->SetEnabled(false);
        return;
    }
    const bool wasOn = d->LightTimer->Enabled();
    d->LightTimer->SetEnabled(value);
    // No spot may stay behind.
    if (!value && wasOn) d->OnTimer(nullptr);
}

void AddLightControl(TsCtrlSkinData* SkinData)
{
    TacMouseLightData* d = MouseLightData();
    if (!d || !SkinData) return;
    if (TControl* c = SkinData->FOwnerControl) {
        if (std::find(d->LightControls.begin(), d->LightControls.end(), c) == d->LightControls.end())
            d->LightControls.push_back(c);
    } else if (std::find(d->LightHandles.begin(), d->LightHandles.end(), &SkinData->FSWHandle) == d->LightHandles.end()) {
        d->LightHandles.push_back(&SkinData->FSWHandle);
    }
}

void DelLightControl(TsCtrlSkinData* SkinData)
{
    TacMouseLightData* d = MouseLightData();
    if (!d) return;
    if (!SkinData) {
        d->LightControls.clear();
        return;
    }
    if (TControl* c = SkinData->FOwnerControl) std::erase(d->LightControls, c);
    std::erase(d->LightHandles, &SkinData->FSWHandle);
}

void DelLightControl() { DelLightControl(nullptr); }

bool LightingIsNear(TsCtrlSkinData* SkinData)
{
    if (!SkinData) return false;
    TRect r;
    if (!LightRect(SkinData, r)) return false;
    const double w = r.Width(), h = r.Height(), m = std::max(w, h);
    const TPoint p = acMousePos();
    SkinData->LightDistanceX = RoundEven(r.Left + w / 2 - p.X);
    SkinData->LightDistanceY = RoundEven(r.Top + h / 2 - p.Y);
    const double dx = std::max(0.0, std::abs(SkinData->LightDistanceX) - w / 2 - m / 2);
    const double dy = std::max(0.0, std::abs(SkinData->LightDistanceY) - h / 2 - m / 2);
    return std::sqrt(dx * dx + dy * dy) < 64;
}

void DoUpdateLight(TsCtrlSkinData* SkinData, bool)
{
    if (!SkinData) return;
    const bool was = SkinData->FDoLighting;
    bool lit = false;
    if (TControl* c = SkinData->FOwnerControl) {
        TCustomForm* form = GetParentForm(c);
        HWND wnd = PaintWnd(c);
        lit = form && form->HandleAllocated() && form->WindowState() != wsMinimized && !IsIconic(form->Handle()) &&
              wnd && IsWindowVisible(wnd) && !CtrlIsOverlapped(c) && LightingIsNear(SkinData);
    } else {
        lit = LightingIsNear(SkinData);
    }
    SkinData->FDoLighting = lit;
    const bool timerRuns = SkinData->AnimTimer && SkinData->AnimTimer->Enabled();
    const TPoint p = acMousePos();
    if (lit == was) {
        if (lit && p != SkinData->OldMousePos && !timerRuns) RepaintLight(SkinData);
        SkinData->OldMousePos = p;
        return;
    }
    SkinData->HotCache.reset();
    if (!timerRuns) RepaintLight(SkinData);
}

bool HandleLighting(TsCtrlSkinData* SkinData, int State, const TCacheInfo* CacheInfo, TBitmap* Bmp)
{
    if (!SkinData || !SkinData->FDoLighting || SkinData->SkinIndex <= 0) return false;
    TControl* control = SkinData->FOwnerControl;
    int w = 0, h = 0;
    if (control && !control->ComponentState().Contains(csDesigning)) {
        w = control->Width();
        h = control->Height();
    } else {
        TRect r;
        if (!LightRect(SkinData, r)) return false;
        w = r.Width();
        h = r.Height();
    }
    if (control) switch (control->Align()) {
        case alTop:
        case alBottom: h = w; break;
        case alLeft:
        case alRight: w = h; break;
        case alClient: w = h = std::min(w, h); break;
        default: break;
        }
    if (w <= 0 || h <= 0) return false;
    TBitmap* dst = Bmp ? Bmp : SkinData->FCacheBmp.get();
    if (!dst) return false;
    const TColor color = GetLightColor(SkinData, State);
    if (color == static_cast<TColor>(-1)) return false;
    // The top byte scales the spot's strength: full strength.
    PrepareLightMask(SkinData->LightMask, std::max(w, h), 0, static_cast<TColor>((color & 0xFFFFFF) | 0xFF000000u));
    TBitmap* mask = SkinData->LightMask.get();
    if (!mask) return false;
    const int cx = w / 2 - SkinData->LightDistanceX, cy = h / 2 - SkinData->LightDistanceY;
    const TRect src(0, 0, mask->Width() - 1, mask->Height() - 1);
    TPoint at(cx - mask->Width() / 2, cy - mask->Height() / 2);
    if (!Bmp && CacheInfo && CacheInfo->Ready && CacheInfo->Bmp && control) {
        // Over the parent's cached background, where the control's picture is transparent.
        const TPoint ref(at.X + control->Left() + CacheInfo->X, at.Y + control->Top() + CacheInfo->Y);
        PaintTranspBmpRect32(dst, mask, CacheInfo->Bmp, clFuchsia, src, at, ref, 255);
    } else {
        PaintBmpRect32(dst, mask, src, at);
    }
    return true;
}
