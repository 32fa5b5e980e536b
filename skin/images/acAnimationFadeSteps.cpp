// The step routines of state-change fades: each tick mixes the start and target pictures at the
// step's weight into the work picture, puts it on screen as the control's kind needs, and moves
// the glow's alpha with it.
#include "acAnimation.h"

#include "Controls.h"
#include "SysUtils.h"
#include "acGlow.h"
#include "acThdTimer.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sGraphUtilsLayered.h"
#include "sGraphUtilsTemplate.h"
#include "sMessages.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

enum class Output { Window, Graphic, Combo };

TsCommonData* LiveData(TObject* data)
{
    return CommonDataIsLive(data) ? static_cast<TsCommonData*>(data) : nullptr;
}

TacThreadedTimer* LiveTimer(TsCommonData* data)
{
    if (!data || !ThreadedTimerIsLive(data->AnimTimer) || data->AnimTimer->Destroyed) return nullptr;
    return data->AnimTimer;
}

bool OwnerDestroying(const TsCommonData* data)
{
    const auto* owner = dynamic_cast<const TComponent*>(data->FOwnerObject);
    return owner && owner->ComponentState().Contains(csDestroying);
}

bool PulseRuns(const TsCommonData* data)
{
    return ThreadedTimerIsLive(data->PulsTimer) && data->PulsTimer->Enabled();
}

// The window a frame goes to: the windowed owner's, else the owner's window.
HWND TargetWindow(TsCommonData* data)
{
    if (auto* windowed = dynamic_cast<TWinControl*>(data->FOwnerControl))
        return windowed->HandleAllocated() ? windowed->Handle() : nullptr;
    return data->OwnerHandle();
}

// Moves Glow one step toward the fade's state; the glow alpha of this step.
int StepAlpha(TacThreadedTimer& timer)
{
    switch (timer.State) {
    case 0:
    case 2: timer.Glow -= timer.GlowStep; break;
    case 1: timer.Glow += timer.GlowStep; break;
    default: timer.Glow = 255 - static_cast<double>(timer.Iteration) / timer.Iterations * 255; break;
    }
    return static_cast<int>(std::clamp<double>(Round(timer.Glow), 0, 255));
}

// The share of the start picture in this step's frame. A fade to pressed moves by its steps, so
// that its last frame is the pressed picture whatever the glow does.
std::uint8_t FrameWeight(const TacThreadedTimer& timer, int alpha)
{
    switch (timer.State) {
    case 1: return static_cast<std::uint8_t>(255 - alpha);
    case 2: {
        const double left = 255 - 255.0 * timer.Iteration / timer.Iterations;
        return static_cast<std::uint8_t>(std::clamp<double>(Round(left), 0, 255));
    }
    default: return static_cast<std::uint8_t>(alpha);
    }
}

// Asks the owner to rebuild its cache (command 23): true when it did.
bool RebuildCache(TsCommonData* data, HWND wnd)
{
    data->BGChanged = true;
    const LRESULT answer = data->FOwnerControl
                               ? data->FOwnerControl->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_PREPARECACHE), 0)
                               : SendAMessage(wnd, AC_PREPARECACHE, 0);
    return answer == 0;
}

void RefreshFromCache(std::unique_ptr<TBitmap>& bmp, TsCommonData* data)
{
    if (data->FCacheBmp)
        TacThreadedTimer::CopyFrom(bmp, data->FCacheBmp.get(),
                                   TRect(0, 0, data->FCacheBmp->Width(), data->FCacheBmp->Height()));
}

// Step 4: a lit control repaints its cache itself while the mouse light runs.
void LightStep(TsCommonData* data, TacThreadedTimer& timer, HWND wnd, Output output)
{
    auto* lit = dynamic_cast<TsCtrlSkinData*>(data);
    if (!lit || !lit->OnUpdateLight || !MouseLightTimerRuns()) return;
    TacAnimEventData event;
    lit->OnUpdateLight(data->FOwnerControl, &event);
    if (event.DoOutput) {
        if ((timer.State == 0 || timer.State == 1) && RebuildCache(data, wnd)) RefreshFromCache(timer.BmpTo, data);
    } else if (output == Output::Graphic && (lit->LightDistanceX != 0 || lit->LightDistanceY != 0)) {
        lit->LightDistanceX = 0;
        lit->LightDistanceY = 0;
        if (RebuildCache(data, wnd)) {
            RefreshFromCache(timer.BmpTo, data);
            if (IsSkinnedSpeedButton(data->FOwnerControl)) RefreshFromCache(timer.BmpOut, data);
        }
    }
}

// Copies the whole frame to the window DC at (0, 0), or for a combo without button style only
// its 2-pixel border and its button.
void PutOnScreen(TsCommonData* data, TBitmap& frame, HWND wnd, Output output)
{
    HDC dc = GetWindowDC(wnd);
    if (!dc) return;
    if (acGetLayout(dc) & LAYOUT_RTL) acSetLayout(dc, 0);
    HDC src = frame.Canvas()->Handle();
    const int w = frame.Width(), h = frame.Height();
    auto* combo = output == Output::Combo ? dynamic_cast<TacAnimatedCombo*>(data->FOwnerControl) : nullptr;
    if (combo && !combo->AllowBtnStyle()) {
        BitBltBorder(dc, 0, 0, w, h, src, 0, 0, 2, 2, 2, 2);
        const TRect b = combo->ButtonRect();
        BitBlt(dc, b.Left, b.Top, b.Width(), b.Height(), src, b.Left, b.Top, SRCCOPY);
    } else {
        BitBlt(dc, 0, 0, w, h, src, 0, 0, SRCCOPY);
    }
    ReleaseDC(wnd, dc);
}


bool FadeStep(TObject* Data, Output output);

// The steps are used up: a fade to normal goes on until the glow is out; else the fade ends.
bool FinishFade(TObject* Data, TsCommonData* data, TacThreadedTimer& timer, int alpha, HWND wnd, Output output)
{
    if (timer.State == 0 && alpha > 0) {
        if (data->GlowID >= 0) SetGlowAlpha(data->GlowID, static_cast<BYTE>(alpha));
        if (timer.GlowStep <= 0) timer.Glow = 0; // no step would ever reach 0
        --timer.Iteration;
        return FadeStep(Data, output);
    }
    const int state = timer.State;
    // A fade to hot may be done in its first step; its glow must not stay invisible.
    if (state == 1 && data->GlowID >= 0) SetGlowAlpha(data->GlowID, static_cast<BYTE>(alpha));
    if (state == 0) StopTimer(data);
    if (state != 1) HideGlow(data->GlowID, false);
    auto* lit = dynamic_cast<TsCtrlSkinData*>(data);
    if (lit && lit->OnUpdateLight) {
        data->BGChanged = true;
        if (data->FOwnerControl)
            data->FOwnerControl->Invalidate();
        else if (wnd)
            RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
    return false;
}

bool FadeStep(TObject* Data, Output output)
{
    TsCommonData* data = LiveData(Data);
    TacThreadedTimer* timer = LiveTimer(data);
    if (!timer) return false;
    HWND wnd = nullptr;
    TSize size;
    if (output == Output::Graphic) {
        TControl* control = data->FOwnerControl;
        if (!control || OwnerDestroying(data) || control->ComponentState().Contains(csDestroying)) return false;
        if (timer->Iterations < 1 || !timer->BmpFrom) return false;
        size = TSize{control->Width(), control->Height()};
    } else {
        wnd = TargetWindow(data);
        if (timer->Iterations < 1 || !wnd || !timer->BmpFrom) return false;
        const TBitmap* cache = data->FCacheBmp ? data->FCacheBmp.get() : timer->BmpFrom.get();
        size = TSize{cache->Width(), cache->Height()};
    }
    if (!timer->BmpTo || size.cx < 1 || size.cy < 1) return false;
    TacThreadedTimer::CopyFrom(timer->BmpOut, timer->BmpFrom.get(), TRect(0, 0, size.cx, size.cy));

    const int alpha = StepAlpha(*timer);
    LightStep(data, *timer, wnd, output);
    SumBmpRect(timer->BmpOut.get(), timer->BmpTo.get(), FrameWeight(*timer, alpha), TRect(0, 0, size.cx, size.cy),
               TPoint(0, 0));
    if (!PulseRuns(data)) {
        if (output == Output::Graphic)
            RepaintGraphic(data);
        else
            PutOnScreen(data, *timer->BmpOut, wnd, output);
    }

    if (timer->Iteration < timer->Iterations) {
        if (data->GlowID >= 0) SetGlowAlpha(data->GlowID, static_cast<BYTE>(alpha));
        if (timer->State == 0 && alpha < 10) {
            timer->Glow = 0;
            FreeGlow(data->GlowID, false);
        }
        return true;
    }
    return FinishFade(Data, data, *timer, alpha, wnd, output);
}

} // namespace

void RepaintGraphic(TsCommonData* data)
{
    if (TControl* control = data->FOwnerControl) {
        control->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_SETUPDATING), 0);
        control->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_INVALIDATE), 0);
    }
    if (auto* magnifier = dynamic_cast<TWinControl*>(acMagnForm); magnifier && magnifier->HandleAllocated())
        SendAMessage(magnifier->Handle(), AC_REFRESH);
}

bool UpdateWindow_CB(TObject* Data, int) { return FadeStep(Data, Output::Window); }

bool UpdateGraphic_CB(TObject* Data, int) { return FadeStep(Data, Output::Graphic); }

bool UpdateCombo_CB(TObject* Data, int) { return FadeStep(Data, Output::Combo); }

bool UpdateComboAdv_CB(TObject* Data, int) { return FadeStep(Data, Output::Combo); }

bool UpdateCombo_CBEx(TObject* Data, int) { return FadeStep(Data, Output::Combo); }

bool UpdateGlowing_CB(TObject* Data, int)
{
    TsCommonData* data = LiveData(Data);
    TacThreadedTimer* timer = LiveTimer(data);
    if (!timer || !timer->Enabled() || timer->Iterations <= 0 || OwnerDestroying(data)) return false;
    if (timer->Iteration < timer->Iterations) {
        timer->Glow = std::clamp(timer->Glow + (timer->State == 1 ? timer->GlowStep : -timer->GlowStep), 0.0, 255.0);
        if (data->GlowID >= 0) SetGlowAlpha(data->GlowID, static_cast<BYTE>(Round(timer->Glow)));
        return true;
    }
    const int state = timer->State;
    if (state != 1) HideGlow(data->GlowID, false);
    if (state < 1) StopTimer(data);
    return false;
}
