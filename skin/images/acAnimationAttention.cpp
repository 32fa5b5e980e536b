// The attention pulse: a control tints toward a colour and back, shakes, or sends out click
// ghosts until it is stopped. Controls without skin data pulse through a private skin state.
#include "acAnimation.h"

#include "Controls.h"
#include "acAnimationClickParts.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sCommonDataSection.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace {

// Pulses of controls without skin data; each timer is owned by its control.
std::vector<TacPulsTimer*>& UnskinnedPulses()
{
    static std::vector<TacPulsTimer*> list;
    return list;
}

void DropDead()
{
    auto& list = UnskinnedPulses();
    list.erase(std::remove_if(list.begin(), list.end(), [](TacPulsTimer* t) { return !ThreadedTimerIsLive(t); }),
               list.end());
}

TacPulsTimer* PulseOf(TObject* Data)
{
    if (!CommonDataIsLive(Data)) return nullptr;
    auto* data = static_cast<TsCommonData*>(Data);
    return ThreadedTimerIsLive(data->PulsTimer) ? dynamic_cast<TacPulsTimer*>(data->PulsTimer) : nullptr;
}

TsCommonData* SkinDataOf(TControl* control)
{
    if (!control) return nullptr;
    auto* data = reinterpret_cast<TsCommonData*>(control->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_GETCOMMONDATA), 0));
    return CommonDataIsLive(data) ? data : nullptr;
}

// A section fully transparent in its normal state, unless its border mask fills the inside too
// (draw-mode bits 2 and 4); an unskinned graphic control shows its parent.
bool IsTransparent(TsCommonData* data)
{
    TControl* control = data->FOwnerControl;
    if (!data->Skinned() || data->SkinIndex < 0) return control && !dynamic_cast<TWinControl*>(control);
    const TacSkinData* skin = data->GetCommonSkinData();
    const TsGeneralData* section = sCommonDataSection::SectionOf(skin, data->SkinIndex);
    if (!section || section->Props[0].Transparency != 100) return false;
    const TsMaskData* border = sCommonDataSection::BorderMaskOf(skin, *section);
    return !(border && (border->DrawMode & 6) == 6);
}

void Tint(TBitmap* bmp, TColor color)
{
    ChangeBitmapPixels(bmp, &ChangeColorTone, static_cast<int>(ColorToRGB(color)), static_cast<TColor>(0xFF00FF));
}

// The picture of the control as it paints itself now.
void RebuildCache(TsCommonData* data)
{
    TControl* control = data->FOwnerControl;
    if (data->Skinned() && data->SkinIndex >= 0) {
        data->BGChanged = true;
        control->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_PREPARECACHE), 0);
        return;
    }
    if (!data->FCacheBmp) data->FCacheBmp = CreateBmp32(control->Width(), control->Height());
    data->FCacheBmp->SetSize(control->Width(), control->Height());
    StdPaintTo(data->FCacheBmp.get(), control);
    data->BGChanged = false;
}

void Output(TsCommonData* data, TacPulsTimer& timer)
{
    TControl* control = data->FOwnerControl;
    if (timer.OwnData.get() == data) {
        auto* windowed = dynamic_cast<TWinControl*>(control);
        HWND wnd = windowed && windowed->HandleAllocated() ? windowed->Handle() : nullptr;
        int x = 0, y = 0;
        if (!wnd && control->Parent() && control->Parent()->HandleAllocated()) {
            wnd = control->Parent()->Handle();
            x = control->Left();
            y = control->Top();
        }
        if (!wnd) return;
        HDC dc = windowed ? GetWindowDC(wnd) : GetDC(wnd);
        BitBlt(dc, x, y, timer.BmpOut->Width(), timer.BmpOut->Height(), timer.BmpOut->Canvas()->Handle(), 0, 0, SRCCOPY);
        ReleaseDC(wnd, dc);
        return;
    }
    RepaintGraphic(data);
}

// Out of one mix: BmpOut := BmpFrom with BmpTo laid over at the share 255 - weight.
void Mix(TBitmap& out, TBitmap& from, TBitmap& to, int weight)
{
    const int w = std::min({out.Width(), from.Width(), to.Width()});
    const int h = std::min({out.Height(), from.Height(), to.Height()});
    for (int y = 0; y < h; ++y) {
        const auto* f = static_cast<const std::uint8_t*>(from.ScanLine(y));
        const auto* t = static_cast<const std::uint8_t*>(to.ScanLine(y));
        auto* o = static_cast<std::uint8_t*>(out.ScanLine(y));
        for (int i = 0; i < w * 4; ++i) o[i] = static_cast<std::uint8_t>((f[i] * weight + t[i] * (255 - weight)) / 255);
    }
}

void StartPulse(TacPulsTimer& timer, TsCommonData* data, const TacAttentionData& Data)
{
    timer.SkinData = data;
    timer.PaintData = Data;
    timer.Glow = 255;
    timer.InitData(data, 0, &PulsFirst_CB, 0, false);
}

} // namespace

TacPulsTimer::TacPulsTimer(TComponent* AOwner) : TacThreadedTimer(AOwner, false) {}

TacPulsTimer::~TacPulsTimer()
{
    AForm.reset();
    if (OwnData) {
        OwnData->FOwnerControl = nullptr;
        OwnData->PulsTimer = nullptr;
        AnimData = nullptr;
        OwnData.reset();
    }
}

void TacPulsTimer::DisableTimer()
{
    TacThreadedTimer::DisableTimer();
    AForm.reset();
}

void TacPulsTimer::PrepareImage()
{
    if (PaintData.Mode == amVibration) {
        Direct = 1;
        return;
    }
    TsCommonData* data = SkinData;
    if (!CommonDataIsLive(data) || !data->FOwnerControl) return;
    TControl* control = data->FOwnerControl;
    RebuildCache(data);
    TBitmap* cache = data->FCacheBmp.get();
    if (!cache) return;
    const int w = cache->Width(), h = cache->Height();
    auto same = [&](const std::unique_ptr<TBitmap>& b) { return b && b->Width() == w && b->Height() == h; };
    if (!same(BmpFrom)) BmpFrom.reset();
    if (!same(BmpOut)) BmpOut.reset();
    CopyFrom(BmpFrom, cache, TRect(0, 0, w, h));
    if (!IsTransparent(data)) {
        if (PaintData.Mode == amColor) Tint(cache, PaintData.Color);
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (ssButtons.Contains(data->COC) && windowed && windowed->ControlCount() > 0)
            PaintControls(cache->Canvas()->Handle(), windowed, true, TPoint(0, 0));
        CopyFrom(BmpTo, cache, TRect(0, 0, w, h));
        return;
    }
    // Only the control's own pixels take the colour, over what its parent shows. Own pixels are
    // those that differ from the background (black ones too), taken opaque.
    BmpTo = acanim::ParentBackground(data, control, w, h);
    auto own = CreateBmp32(w, h);
    BitBlt(own->Canvas()->Handle(), 0, 0, w, h, cache->Canvas()->Handle(), 0, 0, SRCCOPY);
    GdiFlush();
    if (!BmpFrom || BmpFrom->Width() != w || BmpFrom->Height() != h) return;
    if (PaintData.Mode == amColor) Tint(own.get(), PaintData.Color);
    for (int y = 0; y < h; ++y) {
        const auto* c = static_cast<const std::uint32_t*>(BmpFrom->ScanLine(y));
        const auto* s = static_cast<const std::uint32_t*>(own->ScanLine(y));
        auto* d = static_cast<std::uint32_t*>(BmpTo->ScanLine(y));
        for (int x = 0; x < w; ++x)
            if (((c[x] ^ d[x]) & 0x00FFFFFFu) != 0) d[x] = s[x] | 0xFF000000u;
    }
}

void TacPulsTimer::Init()
{
    PrepareImage();
    Iteration = 0;
    switch (PaintData.Mode) {
    case amColor:
        AnimProc = &PulsColor_CB;
        SetInterval(static_cast<unsigned>(std::max(PaintData.Interval, 0)));
        break;
    case amVibration:
        AnimProc = &PulsShake_CB;
        Iterations = INT_MAX;
        SetInterval(20);
        break;
    case amWavering:
        AnimProc = &PulsWavering_CB;
        Iterations = INT_MAX;
        SetInterval(static_cast<unsigned>(std::max(PaintData.Interval, 0)));
        break;
    }
    UpdateTimer();
}

bool PulsFirst_CB(TObject* Data, int)
{
    TacPulsTimer* timer = PulseOf(Data);
    if (!timer) return false;
    auto* data = static_cast<TsCommonData*>(Data);
    if (!data->FUpdating && !data->BGChanged && !InAnimationProcess) timer->Init();
    return true;
}

bool PulsColor_CB(TObject* Data, int)
{
    TacPulsTimer* timer = PulseOf(Data);
    if (!timer || timer->Iterations <= 0 || !timer->BmpFrom || !timer->BmpTo) return false;
    auto* data = static_cast<TsCommonData*>(Data);
    TacThreadedTimer::CopyFrom(timer->BmpOut, timer->BmpFrom.get(),
                               TRect(0, 0, timer->BmpFrom->Width(), timer->BmpFrom->Height()));
    timer->Glow -= timer->GlowStep;
    const int weight = std::clamp(static_cast<int>(std::nearbyint(timer->Glow)), 0, 255);
    Mix(*timer->BmpOut, *timer->BmpFrom, *timer->BmpTo, weight);
    Output(data, *timer);
    if (auto* magnifier = dynamic_cast<TWinControl*>(acMagnForm); magnifier && magnifier->HandleAllocated())
        SendAMessage(magnifier->Handle(), AC_REFRESH);
    if (timer->Iteration >= timer->Iterations) {
        timer->Iteration = 0;
        timer->GlowStep = -timer->GlowStep;
        timer->State = timer->State == 0 ? 1 : 0;
    }
    return true;
}

bool PulsShake_CB(TObject* Data, int)
{
    TacPulsTimer* timer = PulseOf(Data);
    if (!timer || timer->Destroyed) return false;
    auto* data = static_cast<TsCommonData*>(Data);
    TControl* control = data->FOwnerControl;
    if (!control || control->ComponentState().Contains(csDestroying)) return false;
    if (timer->Busy) return true;
    if (timer->Shown) {
        timer->Shown = false;
        return true;
    }
    timer->Busy = true;
    timer->Shown = true;
    const TRect bounds(control->Left(), control->Top(), control->Left() + control->Width(),
                       control->Top() + control->Height());
    if (!timer->BmpOut) {
        timer->BmpOut = acanim::CaptureScreen(acanim::ControlScreenRect(control));
        timer->AnimRect = bounds;
    }
    timer->AnimRect.Offset(timer->Direct, 0);
    const int moved = timer->Direct;
    timer->Direct = -timer->Direct;
    TWinControl* parent = control->Parent();
    if (parent && parent->HandleAllocated()) {
        HDC dc = GetDC(parent->Handle());
        const TRect& r = timer->AnimRect;
        BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), timer->BmpOut->Canvas()->Handle(), 0, 0, SRCCOPY);
        // The strip the picture left.
        const int stripX = moved > 0 ? r.Left - 1 : r.Right;
        auto strip = acanim::ParentBackground(CtrlIsSkinned(control) ? data : nullptr, control, 1, r.Height(),
                                              stripX - control->Left());
        BitBlt(dc, stripX, r.Top, 1, r.Height(), strip->Canvas()->Handle(), 0, 0, SRCCOPY);
        ReleaseDC(parent->Handle(), dc);
    }
    if (auto* magnifier = dynamic_cast<TWinControl*>(acMagnForm); magnifier && magnifier->HandleAllocated())
        SendAMessage(magnifier->Handle(), AC_REFRESH);
    if (timer->Interval() == 500) {
        timer->Iteration = 1;
        timer->SetInterval(20);
        control->Repaint();
        timer->BmpOut = acanim::CaptureScreen(acanim::ControlScreenRect(control));
        timer->AnimRect = bounds;
    } else if (timer->Iteration > 25) {
        timer->SetInterval(500);
    }
    timer->Busy = false;
    return true;
}

bool PulsWavering_CB(TObject* Data, int)
{
    TacPulsTimer* timer = PulseOf(Data);
    if (!timer || timer->Destroyed) return false;
    if (!(DefaultManager && DefaultManager->ManagerState.Contains(msSkinChanging)))
        DoClickAnimation(static_cast<TsCommonData*>(Data), cm2);
    return true;
}

void StartAttention(TControl* Control, const TacAttentionData& Data)
{
    if (!Control || !AttentionModeValid(Data.Mode)) return;
    if (Control->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_PREPARECACHE), 0) != 0) return;
    if (TsCommonData* data = SkinDataOf(Control)) {
        StopTimer(data);
        if (ThreadedTimerIsLive(data->PulsTimer)) delete data->PulsTimer;
        data->PulsTimer = nullptr;
        auto* timer = new TacPulsTimer(Control);
        data->PulsTimer = timer;
        StartPulse(*timer, data, Data);
        return;
    }
    DropDead();
    TacPulsTimer* timer = UnskinnedPulse(Control);
    if (!timer) {
        timer = new TacPulsTimer(Control);
        timer->OwnData = std::make_unique<TsCommonData>(nullptr, false);
        timer->OwnData->FOwnerControl = Control;
        timer->OwnData->PulsTimer = timer;
        UnskinnedPulses().push_back(timer);
    }
    timer->OwnData->BGChanged = false;
    StartPulse(*timer, timer->OwnData.get(), Data);
}

TacPulsTimer* UnskinnedPulse(const TControl* Control)
{
    DropDead();
    for (TacPulsTimer* t : UnskinnedPulses())
        if (t->OwnData && t->OwnData->FOwnerControl == Control) return t;
    return nullptr;
}

void StopAttention(TsCommonData* SkinData)
{
    if (!CommonDataIsLive(SkinData)) return;
    TacThreadedTimer* timer = SkinData->PulsTimer;
    SkinData->PulsTimer = nullptr;
    auto* pulse = ThreadedTimerIsLive(timer) ? dynamic_cast<TacPulsTimer*>(timer) : nullptr;
    TControl* control = SkinData->FOwnerControl;
    if (pulse && pulse->OwnData.get() == SkinData) {
        // A private skin state goes with its pulse.
        SkinData = nullptr;
        auto& list = UnskinnedPulses();
        list.erase(std::remove(list.begin(), list.end(), pulse), list.end());
    }
    if (pulse) delete pulse;
    if (SkinData) SkinData->BGChanged = true;
    if (control) {
        control->Invalidate();
        control->Update();
    }
}

void StopAttention(TControl* Control)
{
    if (TsCommonData* data = SkinDataOf(Control)) {
        StopAttention(data);
        return;
    }
    if (TacPulsTimer* pulse = UnskinnedPulse(Control)) StopAttention(pulse->OwnData.get());
}

void RestartAttention(TsCommonData* CommonData)
{
    if (!CommonDataIsLive(CommonData)) return;
    auto* pulse = ThreadedTimerIsLive(CommonData->PulsTimer) ? dynamic_cast<TacPulsTimer*>(CommonData->PulsTimer)
                                                             : nullptr;
    if (!pulse || !pulse->BmpFrom || !CommonData->FOwnerControl) return;
    const TacAttentionData data = pulse->PaintData;
    TControl* control = CommonData->FOwnerControl;
    StopAttention(CommonData);
    StartAttention(control, data);
}

void acAnimationFinalization()
{
    FreeMouseLightData();
    auto& list = UnskinnedPulses();
    std::vector<TacPulsTimer*> pulses;
    pulses.swap(list);
    for (TacPulsTimer* t : pulses)
        if (ThreadedTimerIsLive(t)) delete t;
}
