// Colours and font colours of skinned controls: what the skin writes into a control, which
// section its text colour comes from, and when a control counts as hot.
#include "sCommonData.h"

#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "acGPUtils.h"
#include "sAlphaGraph.h"
#include "sCommonDataSection.h"
#include "sCtrlStates.h"
#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsText.h"
#include "sGraphUtilsTextOut.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sVclUtils.h"

using namespace sCommonDataSection;

namespace {

bool InState(const TComponent* component, TComponentStateFlag flag)
{
    return component && component->ComponentState().Contains(flag);
}

// The colour a skin colour becomes under the control's hue and saturation.
TColor Shifted(const TsCommonData& data, TColor color)
{
    return ChangeSaturation(ChangeHue(data.FHUEOffset, color), data.FSaturation);
}

// Sets the font colour; with a detached notification the control hears nothing of it.
void SetFontColor(TFont* font, TColor color, bool detach)
{
    if (font->Color() == color) return;
    if (!detach) {
        font->SetColor(color);
        return;
    }
    TNotifyEvent saved = font->OnChange;
    font->OnChange = nullptr;
    font->SetColor(color);
    font->OnChange = saved;
}

void SetClassBrush(TWinControl* control, HBRUSH brush)
{
    SetClassLongPtrW(control->Handle(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush));
}

// The state-1 section answers for itself when hot: a section mostly opaque in State.
bool OwnFontInState(TsSkinManager* manager, int skinIndex, int state)
{
    const TsGeneralData* section = SectionOf(Data96(manager), skinIndex);
    return section && section->States > state && section->Props[static_cast<size_t>(state)].Transparency < 40;
}

// What the answer to AC_GETFONTINDEX means for the asker's index.
int IndexFromAnswer(LRESULT answer, const TacPaintInfo& info, int skinIndex)
{
    if (answer == -1) return skinIndex;
    if (answer == 0) return -1;
    return info.FontIndex >= 0 ? info.FontIndex : skinIndex;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Writing the skin's colours into the control

void ApplySkinColors(TsCommonData* commonData, bool repaint)
{
    if (!commonData || !commonData->FOwnerControl || commonData->SkinIndex < 0) return;
    TControl* control = commonData->FOwnerControl;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed && !windowed->HandleAllocated()) return;
    if (commonData->Skinned()) {
        commonData->CtrlSkinState |= ACS_CHANGING;
        const TsGeneralData* section = SectionOf(commonData->GetCommonSkinData(), commonData->SkinIndex);
        if (section && sEditCtrls.Contains(commonData->COC) &&
            (section->Props[0].Transparency != 100 || section->Props[1].Transparency != 100)) {
            if (!commonData->CustomColor()) {
                const TColor color = Shifted(*commonData, section->Props[0].Color);
                if (control->Color() != color) control->SetColor(color);
            }
            const bool listViewHeld = commonData->COC == 10 && !ac_AllowHotEdits;
            if (!commonData->CustomFont() && !listViewHeld)
                SetFontColor(control->Font(), Shifted(*commonData, section->Props[0].FontColor.Color),
                             commonData->FColorTone == clNone);
        }
        if (windowed) SetClassBrush(windowed, commonData->GetSkinManager()->Brushes[0]);
        commonData->CtrlSkinState &= ~ACS_CHANGING;
    } else if (windowed && commonData->COC != 142) {
        SetClassBrush(windowed, GetSysColorBrush(COLOR_BTNFACE));
    }
    if (repaint) commonData->Invalidate(true);
}

void UpdateControlColors(TsCommonData* commonData, bool repaint)
{
    if (!commonData || !commonData->FOwnerControl) return;
    TsSkinManager* manager = commonData->GetSkinManager();
    if (!manager || !manager->IsValidSkinIndex(commonData->SkinIndex)) return;
    const TsGeneralData* section = SectionOf(commonData->GetCommonSkinData(), commonData->SkinIndex);
    if (!section) return;
    TControl* control = commonData->FOwnerControl;
    const TsGenState& state =
        section->Props[static_cast<size_t>(ClampState(*section, ControlIsActive(commonData) ? 1 : 0))];
    auto* windowed = dynamic_cast<TWinControl*>(control);
    const bool holdRedraw = !repaint && control->Visible() && windowed && windowed->HandleAllocated();
    if (holdRedraw) SendMessageW(windowed->Handle(), WM_SETREDRAW, 0, 0);
    if (!commonData->CustomColor()) control->SetColor(state.Color);
    if (!commonData->CustomFont()) {
        commonData->CtrlSkinState |= ACS_CHANGING;
        control->Font()->SetColor(state.FontColor.Color);
        commonData->CtrlSkinState &= ~ACS_CHANGING;
    }
    if (holdRedraw) SendMessageW(windowed->Handle(), WM_SETREDRAW, 1, 0);
}

// ---------------------------------------------------------------------------------------------
// State

bool ControlIsActive(TsCommonData* CommonData)
{
    if (!CommonData || !CommonData->FOwnerControl) return false;
    TControl* control = CommonData->FOwnerControl;
    if (InState(control, csDesigning) || InState(control, csDestroying) || !control->Enabled()) return false;
    if (CommonData->FFocused) return true;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed && windowed->HandleAllocated() && windowed->Focused() && !dynamic_cast<TCustomPanel*>(control))
        return true;
    if (!CommonData->FMouseAbove) return false;
    TsSkinManager* manager = CommonData->GetSkinManager();
    if ((manager && manager->Options()->GetBool(1)) || sForbidMouse.Contains(CommonData->COC)) return false;
    return !sNoHotEdits.Contains(CommonData->COC) || ac_AllowHotEdits;
}

bool CanShowFocus(TsCommonData* CommonData)
{
    TsSkinManager* manager = CommonData ? CommonData->GetSkinManager() : nullptr;
    if (!manager || !manager->IsActive() || manager->ButtonsOptions()->ShowFocusRect) return true;
    return !acThemesEnabled();
}

bool CanClickShift(int SkinIndex, TacSkinData* SkinData)
{
    if (!SkinData) return true;
    const TsGeneralData* section = SectionOf(SkinData, SkinIndex);
    if (!section) return true;
    if (SkinData->FOwner && SkinData->FOwner->ButtonsOptions()->ShiftContentOnClick) return true;
    return section->ShiftOnClick;
}

// ---------------------------------------------------------------------------------------------
// Font colours

LRESULT GetFontIndex(TControl* Control, TacPaintInfo* pInfo)
{
    if (!Control || !pInfo) return 0;
    pInfo->R.Offset(Control->Left(), Control->Top());
    return SendAMessage(Control, AC_GETFONTINDEX, reinterpret_cast<LPARAM>(pInfo));
}

LRESULT GetFontIndex(HWND Handle, TacPaintInfo* pInfo)
{
    if (!Handle || !pInfo) return 0;
    return SendAMessage(Handle, AC_GETFONTINDEX, reinterpret_cast<LPARAM>(pInfo));
}

int GetFontIndex(TControl* Control, int SkinIndex, TsSkinManager* Manager, int State)
{
    State = std::min(State, 2);
    if (State > 0 && SkinIndex >= 0 && OwnFontInState(Manager, SkinIndex, State)) return SkinIndex;
    if (!Control || !Control->Parent()) return SkinIndex;
    TacPaintInfo info;
    info.State = State;
    info.FontIndex = SkinIndex;
    info.R = Control->BoundsRect();
    info.SkinManager = Manager;
    const LRESULT answer = SendAMessage(Control->Parent(), AC_GETFONTINDEX, reinterpret_cast<LPARAM>(&info));
    return IndexFromAnswer(answer, info, SkinIndex);
}

namespace {

// The font colour of section Index in State, or the palette's text colour for an index the
// manager does not know.
TColor SectionFontColor(TsSkinManager* manager, int index, int state)
{
    const TsGeneralData* section = manager->IsValidSkinIndex(index) ? SectionOf(Data96(manager), index) : nullptr;
    if (!section) return manager->Palette[pcLabelText];
    return section->Props[static_cast<size_t>(ClampState(*section, state))].FontColor.Color;
}

} // namespace

TColor GetFontColor(TControl* Control, int SkinIndex, TsSkinManager* Manager, int State, TsCommonData* CommonData)
{
    if (CommonData && CommonData->CustomFont() && Control) return Control->Font()->Color();
    State = std::clamp(State, 0, 2);
    int index = SkinIndex;
    const TsGeneralData* own = SectionOf(Data96(Manager), SkinIndex);
    const bool opaque = own && own->Props[static_cast<size_t>(ClampState(*own, State))].Transparency < 40;
    if (!opaque && Control && Control->Parent()) {
        TacPaintInfo info;
        info.State = State;
        info.FontIndex = SkinIndex;
        info.R = Control->BoundsRect();
        info.SkinManager = Manager;
        const LRESULT answer = SendAMessage(Control->Parent(), AC_GETFONTINDEX, reinterpret_cast<LPARAM>(&info));
        if (answer == 0) return Control->Parent()->Font()->Color();
        index = IndexFromAnswer(answer, info, SkinIndex);
    }
    if (Manager && Manager->IsActive()) return SectionFontColor(Manager, index, State);
    return Control ? Control->Font()->Color() : clWindow;
}

TColor GetFontColor(HWND Handle, int SkinIndex, TsSkinManager* Manager, int State)
{
    State = std::clamp(State, 0, 2);
    int index = SkinIndex;
    const TsGeneralData* own = SectionOf(Data96(Manager), SkinIndex);
    const bool opaque = own && own->Props[static_cast<size_t>(ClampState(*own, State))].Transparency < 40;
    const HWND parent = Handle ? GetParent(Handle) : nullptr;
    if (!opaque && parent) {
        TacPaintInfo info;
        info.State = State;
        info.FontIndex = SkinIndex;
        RECT r{};
        GetWindowRect(Handle, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        info.R = r;
        info.SkinManager = Manager;
        index = IndexFromAnswer(SendAMessage(parent, AC_GETFONTINDEX, reinterpret_cast<LPARAM>(&info)), info,
                                SkinIndex);
    }
    if (Manager && Manager->IsActive()) return SectionFontColor(Manager, index, State);
    return clWindow;
}

bool NeedParentFont(TsSkinManager* Manager, int SkinIndex, int State, TControl* Control)
{
    if (!Control || !Control->Parent() || !Manager || !Manager->IsValidSkinIndex(SkinIndex)) return false;
    TacSkinData* data = Data96(Manager);
    const TsGeneralData* section = SectionOf(data, SkinIndex);
    if (!section) return false;
    const int state = ClampState(*section, State);
    if (section->Props[static_cast<size_t>(state)].Transparency < 51) return false;
    const TsMaskData* mask = BorderMaskOf(data, *section);
    if (!mask) return true;
    const bool ownAlpha = (mask->DrawMode & 16) != 0;
    if (state == 0) return !(ownAlpha && (mask->DrawMode & 4) == 0);
    if (!ownAlpha) return true;
    TBitmap* bmp = mask->Bmp ? mask->Bmp : Manager->MasterBitmap.get();
    if (!bmp) return true;
    const int x = mask->R.Left + state * mask->Width + mask->Width / 2;
    const int y = mask->R.Top + mask->Height / 2;
    return GetAPixel(bmp, x, y).A >= 128;
}

bool NeedParentFont(TsCommonData* CommonData, int State)
{
    if (!CommonData || CommonData->CustomFont()) return false;
    return NeedParentFont(CommonData->GetSkinManager(), CommonData->SkinIndex, State, CommonData->FOwnerControl);
}

TColor TextHintColor(TsCommonData* CommonData, int State, bool)
{
    if (!CommonData || !CommonData->FOwnerControl) return clNone;
    TControl* control = CommonData->FOwnerControl;
    const bool skinned = CommonData->Skinned();
    const int state = State < 1 ? (ControlIsActive(CommonData) ? 1 : 0) : State;
    TColor font = ColorToRGB(control->Font()->Color());
    TColor background = ColorToRGB(control->Color());
    if (skinned) {
        if (!CommonData->CustomFont())
            font = GetFontColor(control, CommonData->SkinIndex, CommonData->GetSkinManager(), state, CommonData);
        if (const TsGeneralData* section = SectionOf(CommonData->GetCommonSkinData(), CommonData->SkinIndex))
            background = section->Props[static_cast<size_t>(ClampState(*section, state))].Color;
    }
    return BlendColors(font, background, 148);
}

void TextHintOut(TsCommonData* CommonData, const TRect& R, const UnicodeString& Text, int State, UINT Flags)
{
    if (!CommonData || !CommonData->FCacheBmp || CommonData->FCacheBmp->Empty() || Text.empty()) return;
    TCanvas* canvas = CommonData->FCacheBmp->Canvas();
    if (CommonData->FOwnerControl) canvas->Font()->Assign(CommonData->FOwnerControl->Font());
    const TColor color = TextHintColor(CommonData, State, true);
    canvas->Font()->SetColor(color);
    canvas->Brush()->SetStyle(bsClear);
    TRect r = R;
    constexpr UINT gdiPlusText = 1u << 30;
    if ((Flags & gdiPlusText) != 0) {
        const TAlignment alignment = (Flags & DT_CENTER) != 0  ? taCenter
                                     : (Flags & DT_RIGHT) != 0 ? taRightJustify
                                                               : taLeftJustify;
        const TVerticalAlignment layout = (Flags & DT_VCENTER) != 0  ? taVerticalCenter
                                          : (Flags & DT_BOTTOM) != 0 ? taAlignBottom
                                                                     : taAlignTop;
        if (acgpStartup(false))
            acgpDrawString(acCanvasTextDC(canvas), Text, r, color, alignment, layout, 0, true);
        else
            WriteColor(CommonData->FCacheBmp.get(), Text, true, r, Flags & ~gdiPlusText, color);
    } else {
        acDrawText(acCanvasTextDC(canvas), Text, r, Flags);
    }
}
