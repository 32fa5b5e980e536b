// The edit wrapper's life and skin parameters: its own construction, the colours it writes into
// the control and gives back, and the library's commands it answers.
#include "acSBUtilsEdit.h"

#include "StdCtrls.h"
#include "TypInfo.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sCommonDataSection.h"
#include "sCtrlStates.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

using namespace sCommonDataSection;

namespace {

const wchar_t* const kFocusColor = L"FocusColor";

// Whether construction switches the window's visual style off.
bool SwitchesThemeOff(const TacEditWnd& w, const TsCommonData* data, const TacSkinParams& params, bool repaint)
{
    if (!uxthemeLib || !ac_SetWindowTheme) return false;
    // Grid and virtual-tree wrappers paint over the system's look.
    if (w.KeepsVisualStyle()) return false;
    if (!repaint && w.IsDropDownListWnd()) return false;
    if (UpperCase(params.SkinSection) == L"DIALOG") return false;
    if (data) {
        if ((data->COC == 10 || data->COC == 14) && IsWinVistaUp())
            return !params.Control || !HasProperty(params.Control, L"UseXPThemes");
        return true;
    }
    return !IsWinVistaUp() || UpperCase(params.SkinSection) == L"COMBOBOX";
}

// Sets the font colour without the font telling the control.
void SetFontColorQuietly(TFont* font, TColor color)
{
    if (font->Color() == color) return;
    TNotifyEvent saved = font->OnChange;
    font->OnChange = nullptr;
    font->SetColor(color);
    font->OnChange = saved;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

void TacEditWnd::Create(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
                        const TacSkinParams& SkinParams, bool Repaint)
{
    if (!AHandle) return;
    if (SwitchesThemeOff(*this, ASkinData, SkinParams, Repaint)) ac_SetWindowTheme(AHandle, L" ", L" ");
    CtrlHandle = AHandle;
    FClientRect.Top = -1;
    CtrlState = TacCtrlState();
    OldWndProc = TWndMethod();
    OldProc = nullptr;
    SkinManager = ASkinManager;
    Destroyed = false;
    StdNCPaint = false;

    if (!ASkinData) {
        OwnSkinData = true;
        InitSkinData();
        SkinData->FUpdating = true;
        if (ASkinManager) SkinData->SetSkinManager(ASkinManager);
        SkinData->FOwnerControl = SkinParams.Control;
        // A foreign window's skin data stays owned by the wrapper: skin data without an owner
        // counts as not skinned.
        SkinData->FOwnerObject = SkinParams.Control ? static_cast<TObject*>(SkinParams.Control) : this;
        if (!SkinParams.SkinSection.empty()) SkinData->SetSkinSection(SkinParams.SkinSection);
        if (SkinParams.Control && HasProperty(SkinParams.Control, L"PanelBorder"))
            SkinData->SetSkinSection(L"TRANSPARENT");
        SkinData->SetBoolean(1, !SkinParams.UseSkinFontColor);
        SkinData->SetBoolean(0, !SkinParams.UseSkinColor);
        if (auto* scroll = dynamic_cast<TsScrollWndData*>(SkinData)) {
            if (SkinParams.HorzScrollBtnSize >= 0) scroll->FHorzScrollData->SetSize(1, SkinParams.HorzScrollBtnSize);
            if (SkinParams.VertScrollBtnSize >= 0) scroll->FVertScrollData->SetSize(1, SkinParams.VertScrollBtnSize);
            if (SkinParams.HorzScrollSize >= 0) scroll->FHorzScrollData->SetSize(0, SkinParams.HorzScrollSize);
            if (SkinParams.VertScrollSize >= 0) scroll->FVertScrollData->SetSize(0, SkinParams.VertScrollSize);
        }
        SkinData->FUpdating = false;
    } else {
        SkinData = ASkinData;
    }
    SkinData->SetBoolean(1, ac_KeepOwnFont || SkinData->CustomFont());
    if (OwnSkinData && SkinData->COC != 232) SkinData->COC = 231;
    if (SkinData->SkinSection().empty() && SkinData->COC > 230)
        SkinData->SetSkinSection(SkinParams.SkinSection.empty() ? UnicodeString(L"EDIT") : SkinParams.SkinSection);
    SkinData->FSWHandle = AHandle;
    Tag = 0;
    Caption = GetWndText(AHandle);

    SaveStdParams();
    ParamsChanged = false;
    DlgMode = acDlgMode;
    InitializeACScroll(AHandle, Repaint);

    if (TControl* control = OwnerControl()) {
        SingleLineEdit = dynamic_cast<TCustomEdit*>(control) && (GetWindowLongPtrW(AHandle, GWL_STYLE) & ES_MULTILINE) == 0;
        // A list view keeps erasing its own background.
        SaveCtrlStyle(!IsListViewWnd());
    } else {
        SingleLineEdit = false;
    }
    CtrlListChanged = false;
    AfterCreation();
}

// ---------------------------------------------------------------------------------------------
// Skin parameters

bool TacEditWnd::HasFocusColor() const
{
    TControl* control = OwnerControl();
    return control && HasProperty(control, kFocusColor);
}

void TacEditWnd::SaveStdParams()
{
    TControl* control = OwnerControl();
    if (!control) return;
    StdColor = control->Color();
    StdFontColor = control->Font()->Color();
    if (HasFocusColor()) FocusColor = static_cast<TColor>(GetIntProp(control, kFocusColor));
}

bool TacEditWnd::SkinnedNow() const
{
    if (!SkinData) return false;
    if (SkinData->FOwnerObject) return SkinData->Skinned(true);
    TsSkinManager* manager = SkinData->GetSkinManager();
    return manager && manager->IsActive() && manager->IsValidSkinIndex(SkinData->SkinIndex);
}

void TacEditWnd::SetSkinParams()
{
    if (bPreventStyleChange || !SkinData) return;
    bPreventStyleChange = true;
    const bool wasUpdating = SkinData->FUpdating;
    SkinData->FUpdating = true;
    const auto leave = [&] {
        SkinData->FUpdating = wasUpdating;
        bPreventStyleChange = false;
    };
    TacBaseWnd::SetSkinParams();

    TControl* control = OwnerControl();
    const TsGeneralData* section = SkinnedNow() ? SectionOf(SkinData->GetCommonSkinData(), SkinData->SkinIndex) : nullptr;
    if (section && control) {
        int state = 0;
        if (ControlIsActive(SkinData) && section->States > 1) {
            state = 1;
            CtrlState.Include(csNCPaintNeeded);
        }
        if (!SkinData->CustomColor()) {
            const TColor bg = GetBGColor(SkinData, state, nullptr);
            if (control->Color() != bg) {
                control->SetColor(bg);
                CtrlState.Include(csPaintNeeded);
            }
            if (HasFocusColor()) SetIntProp(control, kFocusColor, static_cast<int64_t>(bg));
            Color = bg;
        }
        if (!SkinData->CustomFont()) {
            const TColor fc = section->Props[static_cast<size_t>(ClampState(*section, state))].FontColor.Color;
            if (control->Font()->Color() != fc && SkinData->COC != 10 && SkinData->COC != 14) {
                SkinData->CtrlSkinState |= ACS_CHANGING;
                control->Font()->SetColor(fc);
                control->Perform(CM_FONTCHANGED, 0, 0);
                SkinData->CtrlSkinState &= ~ACS_CHANGING;
                CtrlState.Include(csPaintNeeded);
                if (Destroyed) {
                    leave();
                    return;
                }
            }
        }
    } else if (section) {
        if (!SkinData->CustomColor()) Color = DlgMode ? ColorToRGB(clWindow) : section->Props[0].Color;
        FrameColor = DefaultManager ? DefaultManager->Palette[pcBorder] : 0;
    } else {
        FrameColor = 0;
    }
    SkinData->BGChanged = true;
    leave();
}

void TacEditWnd::RestoreStdParams()
{
    TacBaseWnd::RestoreStdParams();
    TControl* control = OwnerControl();
    if (control && SkinData && !control->ComponentState().Contains(csDestroying)) {
        if (!SkinData->CustomColor()) control->SetColor(clWindow);
        SkinData->CtrlSkinState |= ACS_CHANGING;
        if (!SkinData->CustomFont()) SetFontColorQuietly(control->Font(), clWindowText);
        SkinData->CtrlSkinState &= ~ACS_CHANGING;
        if (HasFocusColor() && FocusColor != clNone) SetIntProp(control, kFocusColor, static_cast<int64_t>(FocusColor));
    }
    TsSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
    const bool updatingSkinned = SkinData && SkinData->FUpdating && manager && manager->IsValidSkinIndex(SkinData->SkinIndex);
    if (!updatingSkinned && CtrlHandle && IsWindow(CtrlHandle))
        SetWindowPos(CtrlHandle, nullptr, 0, 0, 0, 0, SWP_ACFRAMECHANGED);
}

TRect TacEditWnd::ClientRect()
{
    if (FClientRect.Top < 0) FClientRect = acClientRect(CtrlHandle);
    return FClientRect;
}

bool TacEditWnd::NCContent()
{
    if (!dynamic_cast<TCustomEdit*>(OwnerControl())) return false;
    if ((sBarHorz && sBarHorz->fScrollVisible) || (sBarVert && sBarVert->fScrollVisible)) return false;
    RECT client{}, window{};
    GetClientRect(CtrlHandle, &client);
    GetWindowRect(CtrlHandle, &window);
    return client.right != (window.right - window.left) - 2 * cxLeftEdge ||
           client.bottom != (window.bottom - window.top) - 2 * cyTopEdge;
}

// ---------------------------------------------------------------------------------------------
// Commands

bool TacEditWnd::HandleAlphaCmd(TMessage& Message)
{
    switch (AlphaCmdCode(Message.WParam)) {
    case AC_REFRESH:
        if (!RefreshNeeded(SkinData, Message)) return false;
        TacBaseWnd::acWndProc(Message);
        SetSkinParams();
        return true;
    case AC_CTRLHANDLED: Message.Result = 1; return true;
    case AC_PREPARECACHE:
        InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
        PrepareCache(SkinData, CtrlHandle, DlgMode);
        PaintBorderFast(SkinData, 0, *this);
        return true;
    case AC_GETSKININDEXREC:
        if (acCommandPointerTrusted(Message))
            reinterpret_cast<TacSkinIndexRec*>(Message.LParam)->SkinIndex = SkinData->SkinIndex;
        return true;
    case AC_GETBG: {
        if (!SkinData) return false;
        Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
        auto* info = acCommandPointerTrusted(Message) ? reinterpret_cast<TacBGInfo*>(Message.LParam) : nullptr;
        if (!info) return true;
        if (!info->PleaseDraw) {
            if (SkinData->CustomColor()) {
                TControl* control = OwnerControl();
                info->Color = control ? control->Color() : Color;
                info->PleaseDraw = true;
            } else {
                InitBGInfo(SkinData, info, 0, nullptr);
            }
        }
        info->Offset.X += cxLeftEdge;
        info->Offset.Y += cyTopEdge;
        return true;
    }
    case AC_BEGINSCROLL:
    case AC_ENDSCROLL: {
        const bool before = AlphaCmdCode(Message.WParam) == AC_BEGINSCROLL;
        if ((GetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) == 0) {
            TacBaseWnd::acWndProc(Message);
            return true;
        }
        // The system moves a left-side bar's content visibly while it scrolls.
        SendMessageW(CtrlHandle, WM_SETREDRAW, before ? 0 : 1, 0);
        if (!before) InvalidateRect(CtrlHandle, nullptr, TRUE);
        return true;
    }
    case AC_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); return true;
    case AC_SETPPI:
        Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
        CommonMessage(Message, SkinData);
        SkinData->CtrlSkinState |= ACS_FRAMECHANGED;
        return true;
    default: return false;
    }
}
