// The press light of buttons: a spot of the state's light colour growing from the press point,
// widening and fading after release.
#include "acAnimation.h"

#include "Controls.h"
#include "acGlow.h"
#include "acThdTimer.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sGradient.h"
#include "sGraphUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sVclUtils.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

HWND PaintWnd(TControl* control)
{
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) return windowed->HandleAllocated() ? windowed->Handle() : nullptr;
    TWinControl* parent = control->Parent();
    return parent && parent->HandleAllocated() ? parent->Handle() : nullptr;
}

bool CircleAndWave(TsCommonData* data)
{
    TsSkinManager* m = data->GetSkinManager();
    return m && m->AnimEffects() && m->AnimEffects()->Buttons()->ClickEffect == ceCircleAndWave;
}

// BmpOut to the control's place on screen, left to right.
void Output(TControl* control, HWND wnd, TBitmap* bmp)
{
    const bool windowed = dynamic_cast<TWinControl*>(control) != nullptr;
    HDC dc = windowed ? GetWindowDC(wnd) : GetDC(wnd);
    if (!dc) return;
    const DWORD layout = GetLayout(dc);
    if (layout & LAYOUT_RTL) SetLayout(dc, 0);
    const int x = windowed ? 0 : control->Left(), y = windowed ? 0 : control->Top();
    BitBlt(dc, x, y, bmp->Width(), bmp->Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    if (layout & LAYOUT_RTL) SetLayout(dc, layout);
    ReleaseDC(wnd, dc);
}

} // namespace

bool UpdateFillLight(TObject* Data, int)
{
    auto* data = dynamic_cast<TsCommonData*>(Data);
    if (!data || !data->Skinned() || !ThreadedTimerIsLive(data->AnimTimer) || data->AnimTimer->Destroyed) return false;
    TControl* control = data->FOwnerControl;
    HWND wnd = control ? PaintWnd(control) : nullptr;
    if (!wnd) return false;
    TacThreadedTimer* timer = data->AnimTimer;
    TBitmap* cache = data->FCacheBmp.get();
    const int w = cache ? cache->Width() : 0, h = cache ? cache->Height() : 0;
    // An empty picture has no light (and R - D below would be 0).
    if (w <= 0 || h <= 0) return false;
    const TPoint p = acMousePos(control);
    if (p.X < 0 || p.Y < 0 || p.X >= w || p.Y >= h) {
        if (timer->ThreadType != ttEffect && timer->ThreadType != ttPressLight) {
            control->Invalidate();
            StopTimer(data);
        }
        return false;
    }
    const int d = RoundEven(std::sqrt(double(w) * w + double(h) * h)) / 4;
    const int r = 2 * std::max(w, h);
    double& radius = timer->Value;
    int fade = 0, minLeft = 1;
    if (timer->State == 2) {
        if (timer->Iterations == 6) {
            timer->ThreadType = ttPressLight;
            timer->AnimRect = TRect(p.X, p.Y, p.X, p.Y);
            timer->Iterations = 0x7FFFFFFF;
            timer->GlowStep = 0;
            radius = 3.0 * d / 2;
            timer->BmpFrom.reset();
        } else {
            radius += (radius - d) / 30 + 1;
        }
    } else {
        if (data->BGChanged) SendAMessage(control, AC_PREPARECACHE);
        cache = data->FCacheBmp.get();
        if (!cache || cache->Width() != w || cache->Height() != h) return false;
        radius += (r - radius) / 30 + 1;
        fade = std::min(255, std::max(0, RoundEven(std::max(0.0, r - radius) * 255 / (r - d))));
        minLeft = CircleAndWave(data) ? 40 : 10;
    }
    const int strength = RoundEven(std::max(0.0, r - radius) * 255 / (r - d));
    const int softness = RoundEven(std::max(0.0, r - radius) * (d / 3.0) / (r - d));

    auto& out = timer->BmpOut;
    if (!out) out = CreateBmp32(w, h);
    out->SetSize(w, h);
    if (timer->BmpTo && timer->BmpTo->Width() == w && timer->BmpTo->Height() == h)
        BitBlt(out->Canvas()->Handle(), 0, 0, w, h, timer->BmpTo->Canvas()->Handle(), 0, 0, SRCCOPY);
    const TColor light = GetLightColor(data, timer->State);
    const int spotRadius = RoundEven(radius) / 2;
    if (light != static_cast<TColor>(-1) && spotRadius >= 0) {
        auto spot = MakeShadow(static_cast<TColor>((light & 0xFFFFFF) | 0x66000000), spotRadius, 0, 0, 0,
                               std::max(0, softness), false, false);
        const TPoint centre = timer->AnimRect.TopLeft();
        PaintBmpRect32(out.get(), spot.get(), TRect(0, 0, spot->Width() - 1, spot->Height() - 1),
                       TPoint(centre.X - spotRadius, centre.Y - spotRadius), static_cast<std::uint8_t>(strength / 2));
    }
    if (fade != 0) SumBitmaps(out.get(), cache, static_cast<std::uint8_t>(fade));
    // The corners come from behind the control, with BmpOut standing in for the cache.
    std::swap(data->FCacheBmp, out);
    UpdateCorners(data, std::max(0, timer->State), AllCorners);
    std::swap(data->FCacheBmp, out);
    Output(control, wnd, out.get());

    if (timer->Iteration < timer->Iterations && r - RoundEven(radius) >= minLeft) {
        if (data->GlowID >= 0) SetGlowAlpha(data->GlowID, static_cast<BYTE>(strength / 2));
        if (timer->State == 0 && strength < 10) {
            timer->Glow = 0;
            HideGlow(data->GlowID, false);
        }
        return true;
    }
    if (timer->State != 1) HideGlow(data->GlowID, false);
    if ((timer->State == 0 || timer->State == 1) && CircleAndWave(data)) {
        timer->ThreadType = ttFade;
        DoClickAnimation(data, cm1);
    }
    control->Invalidate();
    StopTimer(data);
    return false;
}
