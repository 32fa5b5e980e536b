// The window and control messages every skinned control routes through its skin data first:
// stale caches after moves and size changes, focus and hover colours, redraw locks, outer
// effects, glow and light, and the look of an unskinned control's windowless children.
#include "sCommonData.h"

#include "ComCtrls.h"
#include "Forms.h"
#include "Menus.h"
#include "acAlphaHints.h"
#include "acAnimation.h"
#include "acGlow.h"
#include "acSBUtils.h"
#include "acScrollBar.h"
#include "acThdTimer.h"
#include "sCommonDataSection.h"
#include "sCtrlStates.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sSkinMenus.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <windowsx.h>

using namespace sCommonDataSection;

namespace {

constexpr UINT DpiChangedMessage = 0x02E0;
constexpr UINT RedrawNowFlags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW; // 0x585

bool InState(const TComponent* component, TComponentStateFlag flag)
{
    return component && component->ComponentState().Contains(flag);
}

bool WindowIsVisible(HWND handle) { return handle && IsWindowVisible(handle); }

// The outer effect of a moved or resized control lives in its parent's cache.
void RefreshOuterEffects(TsCommonData& data, bool redrawDesigning)
{
    auto* windowed = dynamic_cast<TWinControl*>(data.FOwnerControl);
    if (!windowed || !HaveOuterEffects(&data)) return;
    TWinControl* parent = windowed->Parent();
    if (!parent || !parent->HandleAllocated() || !IsWindowVisible(parent->Handle())) return;
    InvalidateParentCache(&data);
    if (redrawDesigning && InState(windowed, csDesigning) && windowed->HandleAllocated())
        RedrawWindow(windowed->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void SendOwnerMoved(TControl* child)
{
    if (child && !InState(child, csDestroying)) child->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_OWNERMOVED, 1), 0);
}

// The colours of an edit in State (unless they are the user's own); true when one changed.
bool ApplyStateColors(TsCommonData& data, int state)
{
    TControl* control = data.FOwnerControl;
    const TsGeneralData* section = SectionOf(data.GetCommonSkinData(), data.SkinIndex);
    if (!control || !section || section->States <= 1) return false;
    const TsGenState& look = section->Props[static_cast<size_t>(ClampState(*section, state))];
    bool changed = false;
    if (!data.CustomColor() && control->Color() != look.Color) {
        control->SetColor(look.Color);
        changed = true;
    }
    if (!data.CustomFont() && control->Font()->Color() != look.FontColor.Color) {
        data.CtrlSkinState |= ACS_CHANGING;
        control->Font()->SetColor(look.FontColor.Color);
        data.CtrlSkinState &= ~ACS_CHANGING;
        changed = true;
    }
    return changed;
}

void RepaintFrame(TWinControl* windowed)
{
    if (windowed && windowed->HandleAllocated()) TrySendMessage(windowed->Handle(), WM_NCPAINT, 0, 0);
}

// A section fully transparent in its normal and hot state shows nothing of focus or hover.
bool ClearInBothStates(const TsGeneralData* section)
{
    return section && section->Props[0].Transparency == 100 && section->Props[1].Transparency == 100;
}

void FocusChanged(TsCommonData& data, bool focused)
{
    auto* windowed = dynamic_cast<TWinControl*>(data.FOwnerControl);
    if (!windowed || !data.Skinned()) return;
    if (focused && (!windowed->HandleAllocated() || !windowed->Focused() || !windowed->Showing())) return;
    const TsGeneralData* section = SectionOf(data.GetCommonSkinData(), data.SkinIndex);
    if (!section || ClearInBothStates(section)) return;
    data.BGChanged = true;
    data.FFocused = focused;
    const bool edit = sEditCtrls.Contains(data.COC);
    if (focused) {
        if (edit && ApplyStateColors(data, 1) && windowed->HandleAllocated())
            RedrawWindow(windowed->Handle(), nullptr, nullptr, RedrawNowFlags);
        RepaintFrame(windowed);
    } else {
        const bool changed = edit && !ControlIsActive(&data) && ApplyStateColors(data, 0);
        if (windowed->Visible() && edit) {
            if (changed && windowed->HandleAllocated())
                RedrawWindow(windowed->Handle(), nullptr, nullptr, RedrawNowFlags);
            RepaintFrame(windowed);
        }
    }
    if (data.FOuterEffects && data.FOuterEffects->Visibility() == ovFocused) data.FOuterEffects->Invalidate();
    if (focused) RepaintGlow(data.GlowID);
}

bool HotTrackingForbidden(TsSkinManager* manager) { return manager && manager->Options()->GetBool(1); }

void PreparePulse(TsCommonData& data)
{
    if (ThreadedTimerIsLive(data.PulsTimer) && data.PulsTimer->Enabled()) data.PulsTimer->PrepareImage();
}

void MouseEnter(TsCommonData& data)
{
    if (!data.Skinned() || data.FMouseAbove) return;
    TsSkinManager* manager = data.GetSkinManager();
    auto* windowed = dynamic_cast<TWinControl*>(data.FOwnerControl);
    const TsGeneralData* section = SectionOf(data.GetCommonSkinData(), data.SkinIndex);
    if (manager && !InState(manager, csDesigning) && !HotTrackingForbidden(manager) && !ClearInBothStates(section) &&
        windowed) {
        data.FMouseAbove = !sForbidMouse.Contains(data.COC);
        manager->SetActiveControl(data.OwnerHandle());
        if (!ssCanNotBeHot.Contains(data.COC)) ShowGlowingIfNeeded(&data);
        if (sEditCtrls.Contains(data.COC) && (!sNoHotEdits.Contains(data.COC) || ac_AllowHotEdits) && section &&
            section->States > 1) {
            ApplyStateColors(data, 1);
            if (windowed->HandleAllocated()) InvalidateRect(windowed->Handle(), nullptr, TRUE);
        }
    } else {
        if (manager) manager->SetActiveControl(data.OwnerHandle());
        data.FMouseAbove = !sForbidMouse.Contains(data.COC);
    }
    RestartAttention(&data);
    PreparePulse(data);
}

void MouseLeave(TsCommonData& data)
{
    TsSkinManager* manager = data.GetSkinManager();
    if (!data.Skinned() || !data.FOwnerControl || HotTrackingForbidden(manager) ||
        (manager && InState(manager, csDesigning)) || acMouseInControl(&data))
        return;
    if (!sForbidMouse.Contains(data.COC)) data.FMouseAbove = false;
    if (!ssCanNotBeHot.Contains(data.COC) && !ssButtons.Contains(data.COC)) HideGlow(data.GlowID, false);
    if (sEditCtrls.Contains(data.COC)) {
        if (!ControlIsActive(&data)) ApplyStateColors(data, 0);
        auto* windowed = dynamic_cast<TWinControl*>(data.FOwnerControl);
        if (data.FOwnerControl->Visible()) {
            data.BGChanged = true;
            data.FOwnerControl->Invalidate();
            RepaintFrame(windowed);
        }
    }
    PreparePulse(data);
    RestartAttention(&data);
}

void VisibleChanged(TsCommonData& data, bool shown)
{
    if (!shown) HideGlow(data.GlowID, false);
    TsSkinManager* manager = data.GetSkinManager();
    TControl* control = data.FOwnerControl;
    if (!manager || !control || InState(control, csDestroying) || !data.FCacheBmp) return;
    if (manager->Options()->OptimizingPriority() == opMemory) {
        if (!shown) {
            data.FCacheBmp->SetSize(0, 0);
            if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
                for (int i = 0; i < windowed->ControlCount(); ++i) {
                    TControl* child = windowed->Controls(i);
                    auto* winChild = dynamic_cast<TWinControl*>(child);
                    if (winChild && winChild->HandleAllocated())
                        SendAMessage(winChild->Handle(), AC_UPDATESCROLLWND);
                    else
                        SendAMessage(child, AC_UPDATESCROLLWND);
                }
            }
        } else {
            data.FUpdating = false;
        }
    }
    data.BGChanged = true;
    if (shown && data.FOuterEffects) data.FOuterEffects->Invalidate();
}

// The skin data whose owner is handling CM_PARENTFONTCHANGED itself, run from ParentFontChanged.
TsCommonData* inheritingFont = nullptr;

// The owner takes its new font first (the framework's handling, which also passes the change on
// to the children once the font is set); the library's part follows. True: handled.
bool ParentFontChanged(TsCommonData& data, TMessage& message)
{
    TControl* control = data.FOwnerControl;
    if (!control || inheritingFont == &data) return false;
    TsCommonData* const outer = inheritingFont;
    inheritingFont = &data;
    try {
        if (data.WndProc)
            data.WndProc(message);
        else
            control->WindowProc(message);
    } catch (...) {
        inheritingFont = outer;
        throw;
    }
    inheritingFont = outer;
    if (!control->Parent())
        data.TranspMode = 0;
    else if (!InAnimationProcess && !data.GlassModeInit)
        UpdateGlassMode(control, true);
    return true;
}

// A disabled child gets no mouse messages: its parent shows the child's hint through the hints
// manager. True when a hint was shown.
bool DisabledChildHint(TsCommonData& data)
{
    TsAlphaHints* manager = Manager;
    auto* owner = dynamic_cast<TWinControl*>(data.FOwnerControl);
    if (!manager || !manager->Active() || !owner || !owner->HandleAllocated()) return false;
    const TPoint mouse = acMousePos();
    const TPoint local = owner->ScreenToClient(mouse);
    const unsigned hidePause = Application ? static_cast<unsigned>(Application->HintHidePause()) : 0;
    for (int i = 0; i < owner->ControlCount(); ++i) {
        TControl* child = owner->Controls(i);
        if (child->Enabled() || !child->Visible() || !child->BoundsRect().Contains(local)) continue;
        if (!child->ShowHint() || child->Hint().empty()) continue;
        if (manager->HintTimeCtrl == child) return false;
        manager->ShowHint(mouse, child->Hint(), hidePause);
        manager->SetHintTimeCtrl(child);
        return true;
    }
    TControl* shown = manager->HintTimeCtrl;
    if (shown && shown != owner && !shown->Enabled()) {
        if (owner->ShowHint() && !owner->Hint().empty())
            manager->ShowHint(mouse, owner->Hint(), hidePause);
        else
            manager->HideHint();
    }
    return false;
}

void MouseMove(TsCommonData& data, const TMessage& message)
{
    auto* ctrl = dynamic_cast<TsCtrlSkinData*>(&data);
    if (!ctrl || !ctrl->FOwnerControl || !ctrl->DoLighting(false)) return;
    ctrl->LightDistanceX = GET_X_LPARAM(message.LParam) - ctrl->FOwnerControl->Width() / 2;
    ctrl->LightDistanceY = GET_Y_LPARAM(message.LParam) - ctrl->FOwnerControl->Height() / 2;
    ctrl->BGChanged = true;
    DoUpdateLight(ctrl, false);
}

} // namespace

bool FullRepaintOnly(TsCommonData* CommonData)
{
    if (!CommonData) return false;
    const std::uint32_t state = CommonData->CtrlSkinState;
    const WORD bg = CommonData->BGType;
    if ((state & ACS_WIDTHCHANGING) && (bg & (0x01 | 0x04 | 0x20 | 0x80))) return true;
    return (state & ACS_HEIGHTCHANGING) && (bg & (0x02 | 0x04 | 0x10 | 0x40));
}

namespace {

// The visible skinned bars of the window's scroll wrapper belong to the control too; they lie
// outside the client area and its clip box, so the point is tested against their rectangles.
bool OverSkinnedScrollBar(HWND handle, POINT screen)
{
    auto* sw = dynamic_cast<TacScrollWnd*>(Ac_GetScrollWndFromHwnd(handle));
    if (!sw) return false;
    for (const auto& [bar, kind] : {std::pair{sw->sBarVert.get(), SB_VERT}, std::pair{sw->sBarHorz.get(), SB_HORZ}}) {
        TRect r;
        if (bar && bar->fScrollVisible && GetScrollRect(sw, kind, handle, r) && r.Contains(TPoint(screen.x, screen.y)))
            return true;
    }
    return false;
}

} // namespace

bool acMouseInControl(TsCommonData* CommonData)
{
    if (!CommonData) return false;
    HWND handle = nullptr;
    if (auto* windowed = dynamic_cast<TWinControl*>(CommonData->FOwnerControl)) {
        if (!windowed->HandleAllocated()) return false;
        handle = windowed->Handle();
    } else if (!CommonData->FOwnerControl) {
        handle = CommonData->OwnerHandle();
    } else {
        return false;
    }
    if (!WindowIsVisible(handle)) return false;
    POINT p{};
    if (!GetCursorPos(&p)) return false;
    const POINT screen = p;
    if (!OverSkinnedScrollBar(handle, screen)) {
        ScreenToClient(handle, &p);
        RECT client{};
        GetClientRect(handle, &client);
        if (!PtInRect(&client, p)) return false;
        HDC dc = GetDC(handle);
        RECT clip{};
        const int kind = dc ? GetClipBox(dc, &clip) : ERROR;
        if (dc) ReleaseDC(handle, dc);
        if (kind == ERROR || kind == NULLREGION || !PtInRect(&clip, p)) return false;
    }
    HWND under = WindowFromPoint(screen);
    if (!under || under == handle) return true;
    if (!FindVCLWindow(TPoint(screen.x, screen.y))) return true;
    return ContainsWnd(under, handle);
}

bool CommonWndProc(TMessage& Message, TsCommonData* CommonData)
{
    if (!CommonData) return false;
    TsCommonData& data = *CommonData;
    TControl* control = data.FOwnerControl;
    auto* windowed = dynamic_cast<TWinControl*>(control);

    switch (Message.Msg) {
    case WM_CREATE:
    case WM_NCCREATE: data.InitCommonProp(); return false;

    case WM_MOVE:
        if (data.Skinned(false)) {
            RefreshOuterEffects(data, true);
            if (data.RepaintIfMoved()) {
                data.BGChanged = true;
                if (control && !SkinIsChanging(&data)) SendOwnerMoved(control);
            }
            HideGlow(data.GlowID, false);
        }
        return false;

    case WM_SIZE:
        if (data.Skinned()) {
            data.BGChanged = true;
            RefreshOuterEffects(data, false);
            if (FullRepaintOnly(&data) && windowed) {
                TWinControl* parent = windowed;
                if (auto* pages = dynamic_cast<TPageControl*>(windowed)) parent = pages->ActivePage();
                for (int i = 0; parent && i < parent->ControlCount(); ++i) SendOwnerMoved(parent->Controls(i));
            }
            data.CtrlSkinState &= ~(ACS_WIDTHCHANGING | ACS_HEIGHTCHANGING);
            if (!(ThreadedTimerIsLive(data.AnimTimer) && data.AnimTimer->Enabled())) HideGlow(data.GlowID, false);
        }
        return false;

    case WM_SETFOCUS: FocusChanged(data, true); return false;
    case WM_KILLFOCUS: FocusChanged(data, false); return false;

    case WM_SETREDRAW:
        if (Message.WParam != 1) {
            ++data.RedrawLockCount;
            return false;
        }
        if (data.RedrawLockCount > 0) {
            --data.RedrawLockCount;
            return !(control && control->Visible());
        }
        return true;

    case WM_SHOWWINDOW: StopTimer(&data); return false;

    case WM_FONTCHANGE:
    case CM_ENABLEDCHANGED:
        data.FMouseAbove = false;
        data.FFocused = false;
        data.BGChanged = true;
        if (control && !control->Enabled()) HideGlow(data.GlowID, false);
        return false;

    case WM_WINDOWPOSCHANGING: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
        RECT r{};
        HWND handle = data.OwnerHandle();
        if (pos && handle && !(pos->flags & SWP_NOSIZE) && GetWindowRect(handle, &r)) {
            if (pos->cx != r.right - r.left) data.CtrlSkinState |= ACS_WIDTHCHANGING;
            if (pos->cy != r.bottom - r.top) data.CtrlSkinState |= ACS_HEIGHTCHANGING;
        }
        return false;
    }

    case WM_CONTEXTMENU:
        if (TsSkinManager* manager = data.GetSkinManager(); manager && control && control->PopupMenu())
            manager->SkinableMenus()->HookPopupMenu(control->PopupMenu(), manager->Active());
        return false;

    case WM_UPDATEUISTATE:
        if (data.Skinned()) return true;
        if (windowed) {
            Message.WParam = 0;
            Message.LParam = 0;
        }
        return false;

    case WM_MOUSEMOVE: {
        const bool handled = DisabledChildHint(data);
        MouseMove(data, Message);
        return handled;
    }

    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: RestartAttention(&data); return false;

    case WM_PARENTNOTIFY:
        if (LOWORD(Message.WParam) == WM_CREATE && windowed) AddToAdapter(windowed);
        return false;

    case DpiChangedMessage: data.SetCommonSkinData(nullptr); return false;

    case WM_PRINT:
        if (control) UpdateGlassMode(control, true);
        if (data.Skinned()) return false;
        if (Message.WParam && windowed) {
            PaintControls(reinterpret_cast<HDC>(Message.WParam), windowed, true, TPoint(0, 0));
            return true;
        }
        return false;

    case SM_ALPHACMD: return CommonMessage(Message, CommonData);

    case CM_PARENTFONTCHANGED: return ParentFontChanged(data, Message);
    case CM_VISIBLECHANGED: VisibleChanged(data, Message.WParam != 0); return false;
    case CM_MOUSEENTER: MouseEnter(data); return false;
    case CM_MOUSELEAVE: MouseLeave(data); return false;

    case CM_SHOWINGCHANGED:
        if (control && control->Visible()) data.Loaded();
        if (!data.GlassModeInit && control) UpdateGlassMode(control, true);
        return false;

    case CM_CHANGED: PreparePulse(data); return false;

    default: return false;
    }
}
