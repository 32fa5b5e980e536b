// The click ghost: a copy of the clicked control's picture swells and fades out over it.
#include "acAnimation.h"

#include "Controls.h"
#include "acAnimationClickParts.h"
#include "acntTypes.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sGraphUtilsBlur.h"
#include "sGraphUtilsStretch.h"
#include "sVclUtilsAnim.h"

#include <algorithm>

TacClickTimer::TacClickTimer(TComponent* AOwner) : TacThreadedTimer(AOwner, true) {}

TacClickTimer::~TacClickTimer() { AForm.reset(); }

void TacClickTimer::DisableTimer()
{
    TacThreadedTimer::DisableTimer();
    AForm.reset();
}

void TacClickTimer::PrepareImage()
{
    Alpha = 255;
    AnimRect = acanim::ControlScreenRect(AnimControl);
    BmpOut = acanim::CaptureScreen(AnimRect);
    auto* data = CommonDataIsLive(AnimData) ? static_cast<TsCommonData*>(AnimData) : nullptr;
    // The ghost is the control's own pixels, opaque: what equals its background goes. Made opaque
    // first, so that the control's black pixels stay apart from the cleared ones.
    FillAlphaRect(BmpOut.get(), TRect(0, 0, AnimRect.Width(), AnimRect.Height()), 255, clNone);
    auto bg = acanim::ParentBackground(data, AnimControl, AnimRect.Width(), AnimRect.Height(), Mode == cm2 ? -2 : 0);
    DiffBmp32(BmpOut.get(), bg.get());
}

void TacClickTimer::IterateImage()
{
    if (!BmpOut || !AnimControl) return;
    const int w = AnimRect.Width() + 2, h = AnimRect.Height() + 2;
    auto stretched = CreateBmp32(w, h);
    Stretch(BmpOut.get(), stretched.get(), w, h, ftMitchell);
    const int grow = Mode == cm1 ? 5 : 0;
    const int nw = w + grow, nh = h + grow;
    auto next = CreateBmp32(nw, nh);
    for (int y = 0; y < nh; ++y) {
        auto* row = static_cast<std::uint32_t*>(next->ScanLine(y));
        std::fill(row, row + nw, 0u);
    }
    const int at = Mode == cm1 ? 1 : 0;
    for (int y = 0; y < std::min(h, stretched->Height()); ++y) {
        const auto* src = static_cast<const std::uint32_t*>(stretched->ScanLine(y));
        auto* dst = static_cast<std::uint32_t*>(next->ScanLine(y + at));
        std::copy(src, src + std::min(w, stretched->Width()), dst + at);
    }
    BmpOut = std::move(next);
    if (Mode == cm1) QBlur(BmpOut.get());

    const TRect cr = acanim::ControlScreenRect(AnimControl);
    const int left = cr.Left - (nw - cr.Width()) / 2;
    const int top = cr.Top - (nh - cr.Height()) / 2;
    AnimRect = TRect(left, top, left + nw, top + nh);
    Alpha = static_cast<BYTE>(Alpha * 5 / 6);

    if (!AForm) {
        AForm = std::make_unique<TacGlowForm>(nullptr);
        AForm->HandleNeeded();
        SetWindowLongPtrW(AForm->Handle(), GWL_EXSTYLE,
                          GetWindowLongPtrW(AForm->Handle(), GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    }
    const HWND self = AForm->Handle();
    auto* windowed = dynamic_cast<TWinControl*>(AnimControl);
    HWND controlWnd = windowed && windowed->HandleAllocated() ? windowed->Handle() : nullptr;
    if (!controlWnd && AnimControl->Parent() && AnimControl->Parent()->HandleAllocated())
        controlWnd = AnimControl->Parent()->Handle();
    const POINT pos{AnimRect.Left, AnimRect.Top};
    SetFormBlendValue(self, BmpOut.get(), Alpha, &pos);
    SetWindowPos(self, acanim::EffectInsertAfter(controlWnd, self), AnimRect.Left, AnimRect.Top, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
}

bool ClickAnim_CB(TObject* Data, int Iteration)
{
    if (!CommonDataIsLive(Data)) return false;
    auto* data = static_cast<TsCommonData*>(Data);
    auto* timer = ThreadedTimerIsLive(data->ClickTimer) ? dynamic_cast<TacClickTimer*>(data->ClickTimer) : nullptr;
    if (!timer) return false;
    if (Iteration < timer->Iterations && timer->Alpha >= 3 && acanim::ControlWindowVisible(timer->AnimControl)) {
        if (acanim::ControlDCVisible(timer->AnimControl)) timer->IterateImage();
        return true;
    }
    timer->DisableTimer();
    return false;
}

void DoClickAnimation(TsCommonData* SkinData, TacClickMode Mode)
{
    if (!SkinData) return;
    TControl* control = SkinData->FOwnerControl;
    if (!control) return;
    const TComponentState state = control->ComponentState();
    if (state.Contains(csLoading) || state.Contains(csReading)) return;
    auto* timer = ThreadedTimerIsLive(SkinData->ClickTimer) ? dynamic_cast<TacClickTimer*>(SkinData->ClickTimer)
                                                            : nullptr;
    if (!timer) {
        timer = new TacClickTimer(control);
        SkinData->ClickTimer = timer;
    }
    timer->Mode = Mode;
    timer->InitData(SkinData, 0, &ClickAnim_CB, 0, false);
    timer->AnimControl = control;
    timer->PrepareImage();
}
