// Click circles: the circle effect window, its radii and its creation.
#include "acGlow.h"

#include "Controls.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sGradient.h"
#include "sGraphUtils.h"
#include "sGraphUtilsLayered.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <algorithm>
#include <cmath>

namespace {

int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

int ScaledRadius(TsCommonData* data, int value)
{
    const int ppi = data && data->CurrentPPI > 0 ? data->CurrentPPI : 96;
    return RoundEven(double(value) * ppi / 96);
}

} // namespace

int MinCircleRadius(TsCommonData* SkinData) { return ScaledRadius(SkinData, iMinCircleRadius); }
int MaxCircleRadius(TsCommonData* SkinData) { return ScaledRadius(SkinData, iMaxCircleRadius); }

void TacCircleEffect::Show()
{
    if (Destroyed || !CommonDataIsLive(FSkinData)) return;
    const int radius = RoundEven(RealRadius);
    if (radius <= 1) return;
    Create();
    const HWND self = Wnd->Handle();
    auto shadow = MakeShadow(Color, radius, 0, 0, 0, radius, false, true);
    if (BackBmp) {
        // The shadow at RealAlpha, centred over a copy of the picture under the circle.
        auto back = CreateBmp32(BackBmp->Width(), BackBmp->Height());
        BitBlt(back->Canvas()->Handle(), 0, 0, back->Width(), back->Height(), BackBmp->Canvas()->Handle(), 0, 0,
               SRCCOPY);
        PaintBmpRect32(back.get(), shadow.get(), TRect(0, 0, shadow->Width() - 1, shadow->Height() - 1),
                       TPoint((back->Width() - shadow->Width()) / 2, (back->Height() - shadow->Height()) / 2),
                       static_cast<std::uint8_t>(std::clamp(RoundEven(RealAlpha), 0, 255)));
        shadow = std::move(back);
    }
    AlphaBmp = std::move(shadow);

    // Right behind the window that precedes the control's form; at the top of the topmost band
    // when the form is topmost or missing.
    const HWND control = FSkinData->OwnerHandle();
    const HWND top = control ? GetAncestor(control, GA_ROOT) : nullptr;
    HWND insertAfter = HWND_TOPMOST;
    if (top && (GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) {
        HWND prev = GetWindow(top, GW_HWNDPREV);
        if (prev == self) prev = GetWindow(self, GW_HWNDPREV);
        insertAfter = prev ? prev : HWND_TOP;
    }
    SetWindowLongPtrW(self, GWL_EXSTYLE, GetWindowLongPtrW(self, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_TRANSPARENT);
    BLENDFUNCTION blend{};
    InitBlendData(blend, 255);
    const TSize size{AlphaBmp->Width(), AlphaBmp->Height()};
    const TPoint origin(Center.X - size.cx / 2, Center.Y - size.cy / 2);
    UpdateLayeredWnd(self, AlphaBmp.get(), &size, &blend, &origin);
    SetWindowPos(self, insertAfter, origin.X, origin.Y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);

    // What the owner adds: a track bar's tool tip around the circle, a slider's thumb over it.
    TControl* owner = FSkinData->FOwnerControl;
    const int minR = MinCircleRadius(FSkinData), maxR = MaxCircleRadius(FSkinData);
    if (auto* bar = dynamic_cast<TacCircleTrackBar*>(owner); bar && FSkinData->COC == 165) {
        TacToolTipData tip;
        tip.Alpha = static_cast<BYTE>(std::clamp(RoundEven(RealAlpha), 0, 255));
        tip.SrcPoint = Center;
        tip.Distance = (State == 1 ? std::min(radius, minR) + (maxR - minR) : maxR) + 1 - maxR / 5;
        bar->ShowToolTip(tip);
    }
    if (auto* slider = dynamic_cast<TacCircleSlider*>(owner); slider && FSkinData->COC == 34 && owner) {
        // The circle under the thumb, on a picture of the control's size.
        auto picture = CreateBmp32(owner->Width(), owner->Height());
        RECT wr{};
        if (control) GetWindowRect(control, &wr);
        const TPoint at(origin.X - wr.left, origin.Y - wr.top);
        PaintBmpRect32(picture.get(), AlphaBmp.get(), TRect(0, 0, AlphaBmp->Width() - 1, AlphaBmp->Height() - 1), at, 255);
        slider->PaintThumb(picture.get());
    }
}

TacCircleEffect::~TacCircleEffect()
{
    if (!CommonDataIsLive(FSkinData) || FSkinData->COC != 165) return;
    if (auto* bar = dynamic_cast<TacCircleTrackBar*>(FSkinData->FOwnerControl)) bar->HideToolTip();
}

void TacCircleEffect::Repaint()
{
    if (Destroyed || !CommonDataIsLive(FSkinData)) return;
    TRect r;
    const HWND wnd = FSkinData->OwnerHandle();
    if (wnd && SendAMessage(wnd, AC_GLOWCIRCLE, reinterpret_cast<LPARAM>(&r)) != 0)
        Center = TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    Show();
}

int CreateCircleEffect(const TacCircleEffectData& Data)
{
    if (!acLayered() || !Data.SkinData || !CommonDataIsLive(Data.SkinData)) return -1;
    auto circle = std::make_unique<TacCircleEffect>();
    circle->FSkinData = Data.SkinData;
    circle->SkinManager = Data.SkinData->GetSkinManager();
    circle->FWndHandle = Data.SkinData->OwnerHandle();
    circle->SizeChanging = Data.SizeChanging;
    circle->RadiusFinish = Data.RadiusFinish;
    circle->RadiusStart = Data.RadiusStart;
    circle->Center = Data.Center;
    circle->State = Data.State;
    circle->Color = Data.Color;
    circle->AlphaFinish = Data.AlphaFinish;
    circle->RealAlpha = Data.AlphaStart;
    // A circle that starts invisible starts from nothing.
    circle->RealRadius = Data.AlphaStart == 0 ? 0 : Data.RadiusStart;
    TacCircleEffect* shown = circle.get();
    const int id = AddEffect(std::move(circle));
    shown->Show();
    return id;
}
