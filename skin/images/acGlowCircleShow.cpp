// Click circles: which circle a control shows for where the mouse is, and in which colour.
#include "acGlow.h"
#include "acGlowCircleColors.h"

#include "Controls.h"
#include "sCommonData.h"
#include "sCommonDataSection.h"
#include "sGradient.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sVclUtils.h"

#include <algorithm>
#include <cmath>

using namespace sCommonDataSection;

namespace {

int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

TacCircleEffect* CircleOf(TsCommonData* data) { return dynamic_cast<TacCircleEffect*>(GetEffect(data->GlowID)); }

} // namespace

TColor CircleAlphaColor(TColor Color, BYTE Alpha)
{
    if (Color != -1) return Color;
    return static_cast<TColor>((static_cast<std::uint32_t>(ColorToRGB(clBtnText)) & 0xFFFFFFu) |
                               (static_cast<std::uint32_t>(Alpha) << 24));
}

TColor CircleLightColor(TsCommonData* SkinData, int State, CircleColorSource Source)
{
    TsSkinManager* m = SkinData ? SkinData->GetSkinManager() : nullptr;
    TacSkinData* data = m ? SkinData->GetCommonSkinData() : nullptr;
    if (!data) return -1;
    int index = SkinData->SkinIndex;
    const BYTE coc = SkinData->COC;
    if (Source == CircleColorSource::CheckBox || coc == 40)
        index = m->SkinCommonInfo.Sections[ssCheckBox];
    else if (coc == 8 || coc == 26 || coc == 91)
        index = m->SkinCommonInfo.Sections[ssTrackBar];
    const TsGeneralData* section = SectionOf(data, index);
    if (!section) return -1;
    // The skin reader already gives a section without a state of its own the state below.
    return section->Props[static_cast<size_t>(std::clamp(State, 0, 2))].LightColor;
}

void ShowCircleIfNeeded(TsCommonData* SkinData, BYTE, bool Animated)
{
    if (!SkinData || !CommonDataIsLive(SkinData)) return;
    TsSkinManager* m = SkinData->GetSkinManager();
    if (!m || !m->Effects() || !m->Effects()->AllowGlowing() || m->Options()->GetBool(1)) return;
    if (!SectionOf(SkinData->GetCommonSkinData(), SkinData->SkinIndex)) return;
    const HWND wnd = SkinData->OwnerHandle();
    TRect r;
    if (!wnd || SendAMessage(wnd, AC_GLOWCIRCLE, reinterpret_cast<LPARAM>(&r)) == 0) return;
    const TPoint p = acMousePos();
    const bool inside = p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
    if (!inside || !SkinData->FMouseAbove) {
        HideGlow(SkinData->GlowID, Animated);
        return;
    }
    if (!m->Effects()->AllowAnimation()) Animated = false;
    TacCircleEffect* circle = CircleOf(SkinData);
    const int state = circle && acLeftButtonDown() ? 2 : 1;
    if (circle && circle->State == state) return;

    TacCircleEffectData d;
    d.SkinData = SkinData;
    d.Center = TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    d.State = state;
    d.Color = CircleLightColor(SkinData, state);
    d.AnimProc = &UpdateCircle;
    d.SizeChanging = scIncrease;
    const int minR = MinCircleRadius(SkinData), maxR = MaxCircleRadius(SkinData), w = r.Width();
    const BYTE coc = SkinData->COC;
    if (state == 1) {
        switch (coc) {
        case 165:
            d.RadiusFinish = minR;
            d.RadiusStart = circle ? maxR : 0;
            d.SizeChanging = circle ? scDecrease : scIncrease;
            break;
        case 34:
            d.RadiusFinish = w * 3 / 5;
            d.RadiusStart = circle ? RoundEven(d.RadiusFinish * 3 / 2.0) : 0;
            d.SizeChanging = circle ? scNotChanged : scIncrease;
            break;
        default:
            d.RadiusFinish = coc == 8 ? maxR * 4 / 5 : maxR;
            if (circle) {
                d.RadiusStart = RoundEven(circle->RealRadius);
                d.Color = CircleAlphaColor(CircleLightColor(SkinData, 2), 102);
            } else {
                d.RadiusStart = coc == 8 ? 0 : 10;
            }
            break;
        }
        // A colour still unset is the plain hover colour.
        d.Color = CircleAlphaColor(d.Color, 17);
    } else {
        switch (coc) {
        case 165:
            d.RadiusFinish = maxR;
            d.RadiusStart = minR;
            d.Color = CircleAlphaColor(d.Color, 34);
            break;
        case 34:
            d.RadiusStart = w * 3 / 5;
            d.RadiusFinish = RoundEven(d.RadiusStart * 3 / 2.0);
            d.Color = CircleAlphaColor(d.Color, 34);
            break;
        default: {
            d.RadiusFinish = coc == 8 ? maxR * 4 / 5 : maxR;
            d.RadiusStart = 0;
            d.AlphaStart = Animated ? 0 : 255;
            // The hover spot stays under the pressed one.
            circle->BackBmp = MakeShadow(CircleAlphaColor(CircleLightColor(SkinData, 1), 17), d.RadiusFinish, 0, 0, 0,
                                         d.RadiusFinish, false, true);
            if (coc != 8) d.Color = CircleAlphaColor(d.Color, 102);
            break;
        }
        }
    }
    StartLEAnimation(d, Animated);
}
