// Frame geometry of the show and hide animations, the layered-window routines, and the animated
// showing of forms and dialogs.
#include "sVclUtilsAnim.h"

#include "Forms.h"
#include "SysUtils.h"
#include "acAnimation.h"
#include "acDials.h"
#include "acGPUtils.h"
#include "acGlow.h"
#include "acntTypes.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sAlphaGraph.h"
#include "sGraphUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sGraphUtilsLayered.h"
#include "sGraphUtilsSystem.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

int ClampAlpha(double value, int maxBlend)
{
    const int top = std::clamp(maxBlend, 0, 255);
    return static_cast<int>(std::clamp<long long>(Round(value), 0, top));
}

// Every pixel transparent black.
void ClearBmp(TBitmap& bmp)
{
    GdiFlush();
    for (int y = 0; y < bmp.Height(); ++y)
        std::fill_n(static_cast<std::uint32_t*>(bmp.ScanLine(y)), bmp.Width(), 0u);
}

TacAnimFrame WholeFrame(int w, int h, int alpha)
{
    TacAnimFrame frame;
    frame.Right = w;
    frame.Bottom = h;
    frame.Alpha = alpha;
    frame.CopyWhole = true;
    return frame;
}

} // namespace

TacAnimFrame AnimShowFrame(TacAnimType type, int w, int h, int steps, int i, int maxBlend)
{
    // The final frame; with no steps it is the only one.
    if (steps <= 0 || i >= steps) {
        TacAnimFrame frame = WholeFrame(w, h, std::clamp(maxBlend, 0, 255));
        frame.Last = true;
        return frame;
    }
    TacAnimFrame frame;
    switch (type) {
    case atDropDown: {
        // The remaining height starts at h/2 and halves every step; the width is whole at once.
        double remaining = h / 2.0;
        for (int n = 0; n < i; ++n) remaining /= 2;
        frame.Right = w;
        frame.Bottom = h - remaining;
        frame.Alpha = 255;
        frame.Last = remaining / 2 < 2;
        return frame;
    }
    case atAero: {
        const double dx = w / 32.0, dy = h / 32.0;
        const double k = 1.0 - static_cast<double>(i) / steps;
        frame.Left = dx * k;
        frame.Top = dy * k;
        frame.Right = w - dx * k;
        frame.Bottom = h - dy * k;
        frame.CopyWhole = frame.Left < 0 || frame.Top < 0;
        break;
    }
    case atFading:
        frame = WholeFrame(w, h, 0);
        break;
    }
    frame.Alpha = ClampAlpha((maxBlend - 50) / static_cast<double>(steps) * (i + 1), maxBlend);
    return frame;
}

TacAnimFrame AnimHideFrame(TacAnimType type, int w, int h, int steps, int k, int startAlpha)
{
    TacAnimFrame frame;
    if (steps <= 0) {
        frame.Last = true;
        return frame;
    }
    frame.Last = k >= steps;
    switch (type) {
    case atDropDown: {
        double bottom = h;
        for (int n = 0; n < k; ++n) bottom /= 2;
        frame.Right = w;
        frame.Bottom = bottom;
        frame.Alpha = std::clamp(startAlpha, 0, 255);
        frame.CopyWhole = k == 0;
        frame.Last = frame.Last || bottom / 2 < 2;
        return frame;
    }
    case atAero: {
        // Every edge moves inward: w/(32 x steps) and h/(32 x steps) a step.
        const double dx = w / (32.0 * steps) * k, dy = h / (32.0 * steps) * k;
        frame.Left = dx;
        frame.Top = dy;
        frame.Right = w - dx;
        frame.Bottom = h - dy;
        frame.CopyWhole = frame.Left < 0 || frame.Top < 0;
        break;
    }
    case atFading:
        frame.Right = w;
        frame.Bottom = h;
        frame.CopyWhole = true;
        break;
    }
    const double alpha = startAlpha - startAlpha / static_cast<double>(steps) * (k + 1);
    frame.Alpha = ClampAlpha(std::max(0.0, alpha), 255);
    return frame;
}

// ---------------------------------------------------------------------------------------------
// Layered windows

bool DoLayered(HWND wnd, bool layered, BYTE alpha)
{
    const LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    if (layered && acLayered()) {
        const bool added = !(exStyle & WS_EX_LAYERED);
        if (added) SetWindowLongPtrW(wnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        const TSetLayeredWindowAttributes setAttributes = acSystemEntries().SetLayeredWindowAttributes;
        if (!(setAttributes ? setAttributes : &SetLayeredWindowAttributes)(wnd, 0, alpha, LWA_ALPHA))
            CheckLastError();
        return added;
    }
    SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE));
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    return false;
}

void SetFormBlendValue(HWND wnd, TBitmap* bmp, int alpha, const POINT* pos)
{
    std::unique_ptr<TBitmap> own;
    if (!bmp) {
        RECT r{};
        GetWindowRect(wnd, &r);
        own = CreateBmp32(r.right - r.left, r.bottom - r.top);
        bmp = own.get();
    }
    const LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED) && !AeroIsEnabled()) {
        // Without composition the screen under the window must be repainted once the window
        // turns layered, or its old pixels stay there.
        const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
        SetWindowLongPtrW(wnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
        SetWindowLongPtrW(wnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        RECT r{};
        GetWindowRect(wnd, &r);
        RedrawWindow(nullptr, &r, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        SetWindowLongPtrW(wnd, GWL_STYLE, style | WS_VISIBLE);
    }
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    BLENDFUNCTION blend{};
    InitBlendData(blend, static_cast<std::uint8_t>(std::clamp(alpha, 0, 255)));
    const TSize size{bmp->Width(), bmp->Height()};
    TPoint at;
    if (pos) at = TPoint{pos->x, pos->y};
    UpdateLayeredWnd(wnd, bmp, &size, &blend, pos ? &at : nullptr);
}

// ---------------------------------------------------------------------------------------------
// Showing

namespace {

// What the show animation needs of a form's provider or of a dialog wrapper.
struct ShowTarget {
    HWND Wnd = nullptr;
    TsCommonData* SkinData = nullptr;
    TacBorderForm* BorderForm = nullptr;
    TsSkinProvider* Provider = nullptr; // null for a dialog
    TCustomForm* Form = nullptr;        // null for a dialog
};

// A 32-bit image of the window: its cache, with a form painted over it as it is now (opaque
// without a border form), and what lies outside the window region cleared to transparent black.
std::unique_ptr<TBitmap> WindowImage(const ShowTarget& target)
{
    TBitmap* cache = target.SkinData ? target.SkinData->FCacheBmp.get() : nullptr;
    RECT r{};
    GetWindowRect(target.Wnd, &r);
    const int w = cache && !cache->Empty() ? cache->Width() : r.right - r.left;
    const int h = cache && !cache->Empty() ? cache->Height() : r.bottom - r.top;
    auto image = CreateBmp32(w, h);
    if (cache && !cache->Empty())
        BitBlt(image->Canvas()->Handle(), 0, 0, w, h, cache->Canvas()->Handle(), 0, 0, SRCCOPY);
    if (target.Form) {
        SkinPaintTo(image.get(), target.Form, 0, 0, target.Provider);
        if (!target.BorderForm) FillAlphaRect(image.get(), TRect(0, 0, w, h), 255, clNone);
    }
    ClearOutsideRegion(target.Wnd, *image);
    return image;
}

void DrawShowFrame(TacAnimType type, const TacAnimFrame& frame, TBitmap& src, TBitmap& dst, bool& copied)
{
    const int w = src.Width(), h = src.Height();
    if (frame.CopyWhole) {
        if (type == atFading && copied) return;
        BitBlt(dst.Canvas()->Handle(), 0, 0, w, h, src.Canvas()->Handle(), 0, 0, SRCCOPY);
        copied = true;
        return;
    }
    copied = false;
    ClearBmp(dst);
    const int x = static_cast<int>(Round(frame.Left)), y = static_cast<int>(Round(frame.Top));
    const int cx = static_cast<int>(Round(frame.Right - frame.Left)), cy = static_cast<int>(Round(frame.Bottom - frame.Top));
    HDC dc = dst.Canvas()->Handle();
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, cx, cy, src.Canvas()->Handle(), 0, 0, w, h, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

void RunShow(const ShowTarget& target, WORD time, int maxBlend, TacAnimType animType)
{
    if (!target.SkinData || !target.Wnd || IsIconic(target.Wnd)) return;
    TacAnimationScope animating;
    // The window's image.
    HWND layeredWnd = target.Wnd;
    if (target.BorderForm) {
        target.BorderForm->CreateNewForm();
        if (target.BorderForm->AForm && target.BorderForm->AForm->HandleAllocated()) {
            layeredWnd = target.BorderForm->AForm->Handle();
            SetWindowRgn(layeredWnd, nullptr, FALSE);
        }
        target.BorderForm->PaintAll();
    } else if (target.Provider) {
        target.Provider->PaintAll();
    }
    std::unique_ptr<TBitmap> src = WindowImage(target);
    const int w = src->Width(), h = src->Height();
    auto dst = CreateBmp32(w, h);
    const int steps = AnimSteps(time);

    RECT r{};
    GetWindowRect(layeredWnd, &r);
    const TPoint pos{r.left, r.top};
    const TSize size{w, h};
    BLENDFUNCTION blend{};
    InitBlendData(blend, static_cast<std::uint8_t>(steps ? 0 : std::clamp(maxBlend, 0, 255)));

    // The window turns layered and shows its first (empty) frame without activation.
    // A window layered with a constant alpha takes no image until its layering is set anew.
    const LONG_PTR exStyle = GetWindowLongPtrW(layeredWnd, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_LAYERED);
    SetWindowLongPtrW(layeredWnd, GWL_EXSTYLE, exStyle);
    SetWindowLongPtrW(layeredWnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED | WS_EX_NOACTIVATE);
    const bool topmost = (GetWindowLongPtrW(target.Wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    HWND after = topmost ? HWND_TOPMOST : (layeredWnd == target.Wnd ? nullptr : target.Wnd);
    UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER;
    if (!after) flags |= SWP_NOZORDER;
    SetWindowPos(layeredWnd, after, 0, 0, 0, 0, flags);

    bool copied = false;
    for (int i = 0; i < steps; ++i) {
        const TacAnimFrame frame = AnimShowFrame(animType, w, h, steps, i, maxBlend);
        DrawShowFrame(animType, frame, *src, *dst, copied);
        blend.SourceConstantAlpha = static_cast<BYTE>(frame.Alpha);
        const DWORD tick = GetTickCount();
        UpdateLayeredWnd(layeredWnd, dst.get(), &size, &blend, &pos);
        if (frame.Last) break;
        WaitTicks(tick, acAnimStepTime);
    }
    // The final frame.
    const TacAnimFrame last = AnimShowFrame(animType, w, h, steps, steps, maxBlend);
    DrawShowFrame(animType, last, *src, *dst, copied);
    blend.SourceConstantAlpha = static_cast<BYTE>(last.Alpha);
    UpdateLayeredWnd(layeredWnd, dst.get(), &size, &blend, &pos);

    // The real window takes the image's place under a cover.
    std::unique_ptr<TacGlowForm> cover = MakeCoverForm(target.Wnd, target.Provider, false);
    SetWindowLongPtrW(target.Wnd, GWL_EXSTYLE, GetWindowLongPtrW(target.Wnd, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_NOACTIVATE));
    if (target.Form && target.Form->AlphaBlend())
        DoLayered(target.Wnd, true, target.Form->AlphaBlendValue());
    else
        DoLayered(target.Wnd, false);
    if (layeredWnd != target.Wnd) DoLayered(layeredWnd, false);
    // Taking the layering away also took WS_VISIBLE: the window is shown again in its place.
    SetWindowPos(target.Wnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_SHOWWINDOW);
    if (target.Provider) UpdateRgn(target.Provider, false);
    if (target.BorderForm) target.BorderForm->UpdateExBordersPos(true, static_cast<BYTE>(std::clamp(maxBlend, 0, 255)));
    animating.Release(); // before the children are told, or they would not hear it
    if (target.Form)
        SetParentUpdated(target.Form);
    else
        SetParentUpdated(target.Wnd);
    RedrawWindow(target.Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    if (cover) {
        Sleep(20); // the redrawn window settles on the screen before its cover goes
        cover.reset();
    }
    if (target.Provider && target.Provider->OnAfterAnimation) target.Provider->OnAfterAnimation(false);
}

} // namespace

void ClearOutsideRegion(HWND wnd, TBitmap& bmp)
{
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(wnd, rgn) != ERROR) {
        // Everything but the region becomes transparent black.
        HRGN outside = CreateRectRgn(0, 0, bmp.Width(), bmp.Height());
        CombineRgn(outside, outside, rgn, RGN_DIFF);
        HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        FillRgn(bmp.Canvas()->Handle(), outside, black);
        GdiFlush();
        DeleteObject(outside);
    }
    DeleteObject(rgn);
}

void AnimShowForm(TsSkinProvider* provider, WORD time, int maxBlend, TacAnimType animType)
{
    if (!provider || !provider->FCommonData || !provider->Form || !provider->Form->HandleAllocated()) return;
    ShowTarget target;
    target.Wnd = provider->Form->Handle();
    target.SkinData = provider->FCommonData.get();
    target.BorderForm = provider->BorderForm;
    target.Provider = provider;
    target.Form = provider->Form;
    RunShow(target, time, maxBlend, animType);
}

void AnimShowDlg(TacDialogWnd* dialog, WORD time, int maxBlend, TacAnimType animType)
{
    if (!dialog || !dialog->CtrlHandle) return;
    ShowTarget target;
    target.Wnd = dialog->CtrlHandle;
    target.SkinData = dialog->SkinData;
    target.BorderForm = dialog->BorderForm;
    if (!target.BorderForm) dialog->PaintAll();
    RunShow(target, time, maxBlend, animType);
}

void AnimShowControl(TWinControl* control, WORD time, int maxBlend, TacAnimTypeCtrl animType)
{
    AnimShowControl(control, time, maxBlend, animType, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Hiding

TacHideTimer* acHideTimer = nullptr;

void FreeHideTimer()
{
    delete acHideTimer;
    acHideTimer = nullptr;
}

TacHideTimer::TacHideTimer() : TacThreadedTimer(nullptr, false) {}

TacHideTimer::~TacHideTimer() = default;

void TacHideTimer::Anim_Init()
{
    const int w = ImageSize.cx, h = ImageSize.cy;
    CurrentAlpha = StartBlendValue;
    AlphaStep = Steps > 0 ? StartBlendValue / static_cast<double>(Steps) : 0;
    DeltaX = DeltaY = LeftX = TopY = RightX = BottomY = 0;
    switch (AnimType) {
    case atAero:
        DeltaX = Steps > 0 ? w / (32.0 * Steps) : 0;
        DeltaY = Steps > 0 ? h / (32.0 * Steps) : 0;
        RightX = w;
        BottomY = h;
        break;
    case atDropDown:
        AlphaStep = 0;
        RightX = w;
        BottomY = h;
        DeltaY = h / 2.0;
        break;
    case atFading:
        break;
    }
}

void TacHideTimer::Anim_DoNext()
{
    if (!SrcBmp || !DstBmp || !CoverWindow) return;
    const int w = ImageSize.cx, h = ImageSize.cy;
    const TacAnimFrame frame = AnimHideFrame(AnimType, w, h, Steps, static_cast<int>(Counter), StartBlendValue);
    CurrentAlpha = frame.Alpha;
    Blend.SourceConstantAlpha = static_cast<BYTE>(frame.Alpha);
    if (AnimType != atFading) {
        LeftX = frame.Left;
        TopY = frame.Top;
        RightX = frame.Right;
        BottomY = frame.Bottom;
    }
    HDC dst = DstBmp->Canvas()->Handle(), src = SrcBmp->Canvas()->Handle();
    if (frame.CopyWhole) {
        if (AnimType != atFading || Counter == 0) BitBlt(dst, 0, 0, w, h, src, 0, 0, SRCCOPY);
    } else if (AnimType == atDropDown) {
        ClearBmp(*DstBmp);
        acgpStretchRect(DstBmp.get(), SrcBmp.get(), TRect(0, 0, w, static_cast<int>(Round(frame.Bottom))), TRect(0, 0, w, h));
    } else {
        ClearBmp(*DstBmp);
        const int oldMode = SetStretchBltMode(dst, COLORONCOLOR);
        StretchBlt(dst, static_cast<int>(Round(frame.Left)), static_cast<int>(Round(frame.Top)),
                   static_cast<int>(Round(frame.Right - frame.Left)), static_cast<int>(Round(frame.Bottom - frame.Top)),
                   src, 0, 0, w, h, SRCCOPY);
        SetStretchBltMode(dst, oldMode);
    }
    UpdateLayeredWnd(CoverWindow->Handle(), DstBmp.get(), &ImageSize, &Blend, nullptr);
}

bool TacHideTimer::Anim_GoToNext()
{
    const TacAnimFrame frame =
        AnimHideFrame(AnimType, ImageSize.cx, ImageSize.cy, Steps, static_cast<int>(Counter), StartBlendValue);
    ++Counter;
    ++StepCount;
    return !frame.Last;
}

void TacHideTimer::OnTimerProc(TObject*)
{
    if (CoverWindow && Counter <= static_cast<unsigned>(Steps)) {
        Anim_DoNext();
        if (Anim_GoToNext() && Counter <= static_cast<unsigned>(Steps)) return;
    }
    Counter = static_cast<unsigned>(Steps) + 1;
    SetEnabled(false);
    CallEvent();
    SetOnTimer(nullptr);
    SetInterval(65535);
    FreeAnimation();
}

void TacHideTimer::CallEvent()
{
    if (EventCalled || !FOwnerHandle) return;
    EventCalled = true;
    // Only a live window of this process can answer with one of our providers.
    DWORD process = 0;
    if (!IsWindow(FOwnerHandle) || !GetWindowThreadProcessId(FOwnerHandle, &process) ||
        process != GetCurrentProcessId())
        return;
    auto* provider = reinterpret_cast<TsSkinProvider*>(SendAMessage(FOwnerHandle, AC_GETPROVIDER));
    if (provider && provider->OnAfterAnimation) provider->OnAfterAnimation(true);
}

void TacHideTimer::FreeAnimation()
{
    CoverWindow.reset();
    SrcBmp.reset();
    DstBmp.reset();
}

void AnimHideWindow(std::unique_ptr<TCustomForm>& cover, std::unique_ptr<TBitmap> image, WORD time,
                    TCustomForm* owner, TacAnimType animType, int startAlpha)
{
    // A hide still running gives up its cover window first.
    if (acHideTimer) acHideTimer->CoverWindow.reset();
    const int steps = AnimSteps(time);
    if (steps <= 0 || !cover || !image || image->Empty()) return;
    if (!acHideTimer) acHideTimer = new TacHideTimer();
    TacHideTimer& timer = *acHideTimer;
    timer.FOwnerHandle = owner && owner->HandleAllocated() ? owner->Handle() : nullptr;
    timer.Counter = 0;
    timer.StepCount = 0;
    timer.EventCalled = false;
    if (timer.SrcBmp != image) timer.SrcBmp = std::move(image);
    timer.StartBlendValue = std::clamp(startAlpha, 0, 255);
    timer.CoverWindow = std::move(cover);
    timer.AnimType = animType;
    timer.SetInterval(acAnimStepTime);
    timer.Steps = steps;
    timer.ImageSize = TSize{timer.SrcBmp->Width(), timer.SrcBmp->Height()};
    InitBlendData(timer.Blend, static_cast<std::uint8_t>(timer.StartBlendValue));
    timer.SetOnTimer([&timer](TObject* sender) { timer.OnTimerProc(sender); });

    HWND coverWnd = timer.CoverWindow->Handle();
    const LONG_PTR exStyle = GetWindowLongPtrW(coverWnd, GWL_EXSTYLE);
    SetWindowLongPtrW(coverWnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED | WS_EX_NOACTIVATE);
    RECT r{};
    GetWindowRect(coverWnd, &r);
    const TPoint pos{r.left, r.top};
    UpdateLayeredWnd(coverWnd, timer.SrcBmp.get(), &timer.ImageSize, &timer.Blend, &pos);
    ShowWindow(coverWnd, SW_SHOWNOACTIVATE);
    const bool topmost = (exStyle & WS_EX_TOPMOST) || !timer.FOwnerHandle ||
                         owner->FormState().Contains(fsModal);
    constexpr UINT coverFlags = SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOCOPYBITS | SWP_NOREDRAW; // 0x318
    SetWindowPos(coverWnd, topmost ? HWND_TOPMOST : timer.FOwnerHandle, r.left, r.top, timer.ImageSize.cx,
                 timer.ImageSize.cy, coverFlags);
    timer.DstBmp = CreateBmp32(timer.ImageSize.cx, timer.ImageSize.cy);
    timer.Anim_Init();
    while (timer.Counter <= static_cast<unsigned>(timer.Steps)) {
        const DWORD tick = GetTickCount();
        timer.OnTimerProc(&timer);
        if (timer.Counter <= static_cast<unsigned>(timer.Steps)) WaitTicks(tick, acAnimStepTime);
    }
}

namespace {

// A 32-bit copy of a cache bitmap, with what lies outside the window's region transparent;
// null without a cache.
std::unique_ptr<TBitmap> CacheImage(TsCommonData* skinData, HWND wnd)
{
    TBitmap* cache = skinData ? skinData->FCacheBmp.get() : nullptr;
    if (!cache || cache->Empty()) return nullptr;
    auto image = CreateBmp32(cache->Width(), cache->Height());
    BitBlt(image->Canvas()->Handle(), 0, 0, image->Width(), image->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
    ClearOutsideRegion(wnd, *image);
    return image;
}

// The cover: a prepared one, else the border form's window, else a new one over the window.
std::unique_ptr<TCustomForm> TakeCover(std::unique_ptr<TacGlowForm> prepared, TacBorderForm* borderForm, HWND wnd,
                                       TsSkinProvider* provider)
{
    if (prepared) return prepared;
    if (borderForm && borderForm->AForm) {
        // The animation frees the border form's window; the border form makes a new one.
        std::unique_ptr<TCustomForm> cover(borderForm->AForm);
        borderForm->AForm = nullptr;
        return cover;
    }
    return MakeCoverForm(wnd, provider, false);
}

void RunHide(HWND wnd, TsCommonData* skinData, std::unique_ptr<TCustomForm> cover, TacBorderForm* borderForm,
             TCustomForm* owner, const TacFormAnimation* settings, int startAlpha, bool keepLayered)
{
    std::unique_ptr<TBitmap> image = CacheImage(skinData, wnd);
    const WORD time = settings && settings->Active ? settings->Time : 0;
    const TacAnimType mode = settings ? settings->Mode : atFading;
    AnimHideWindow(cover, std::move(image), time, owner, mode, startAlpha);
    // The window leaves layering; a cover the routine did not take goes here.
    if (!keepLayered)
        SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    cover.reset();
    // A border window the cover did not come from would stay on the screen around the hidden
    // window; the border form makes a new one when the window is shown again.
    if (borderForm && borderForm->AForm) {
        delete borderForm->AForm;
        borderForm->AForm = nullptr;
    }
    if (acHideTimer) acHideTimer->CoverWindow.reset();
}

TacAnimEffects* AnimEffectsOf(TsCommonData* skinData)
{
    TsSkinManager* manager = skinData ? skinData->SkinManager() : nullptr;
    return manager ? manager->AnimEffects() : nullptr;
}

} // namespace

void AnimHideForm(TObject* object)
{
    auto* provider = dynamic_cast<TsSkinProvider*>(object);
    if (!provider || !provider->Form || !provider->Form->HandleAllocated()) return;
    ClearGlows(false, false);
    TacAnimationScope animating;
    TForm* form = provider->Form;
    const int startAlpha = form->AlphaBlend() ? form->AlphaBlendValue() : 255;
    HWND wnd = form->Handle();
    std::unique_ptr<TCustomForm> cover = TakeCover(std::move(provider->CoverForm), provider->BorderForm, wnd, provider);
    TacAnimEffects* effects = AnimEffectsOf(provider->FCommonData.get());
    RunHide(wnd, provider->FCommonData.get(), std::move(cover), provider->BorderForm, form, effects ? effects->FormHide() : nullptr,
            startAlpha, form->AlphaBlend());
}

void AnimHideDlg(TacDialogWnd* dialog)
{
    if (!dialog || !dialog->CtrlHandle) return;
    ClearGlows(false, false);
    TacAnimationScope animating;
    std::unique_ptr<TCustomForm> cover = TakeCover(nullptr, dialog->BorderForm, dialog->CtrlHandle, nullptr);
    TacAnimEffects* effects = AnimEffectsOf(dialog->SkinData);
    RunHide(dialog->CtrlHandle, dialog->SkinData, std::move(cover), dialog->BorderForm, nullptr,
            effects ? effects->DialogHide() : nullptr, 255, false);
}

// ---------------------------------------------------------------------------------------------
// Recomputing a layered window

void UpdateLayerVisibility(TsCommonData* skinData, HWND wnd)
{
    if (!skinData || !wnd) return;
    auto* provider = dynamic_cast<TsSkinProvider*>(skinData->FOwnerObject);
    TForm* form = provider ? provider->Form : nullptr;
    RECT r{};
    if (!GetWindowRect(wnd, &r)) return;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (form) {
        const TSizeConstraints& c = *form->Constraints();
        if ((c.MinHeight() == h && c.MaxHeight() == h) || (c.MinWidth() == w && c.MaxWidth() == w)) return;
        form->DisableAlign();
    }
    const bool updating = skinData->FUpdating;
    skinData->FUpdating = true;
    // No move, z-order, activation, redraw or owner z-order, and no WM_WINDOWPOSCHANGING.
    constexpr UINT flags = 0x61E;
    SetWindowPos(wnd, nullptr, 0, 0, w, h - 1, flags);
    SetWindowPos(wnd, nullptr, 0, 0, w, h, flags);
    skinData->FUpdating = updating;
    if (form) form->EnableAlign();
}
