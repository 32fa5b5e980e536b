// The window methods of the scrolling wrappers: the scroll bars' messages routed to the engine,
// the non-client painting, the command answers, and the repaint rules of TacBaseWnd.
#include "acScrollWnd.h"

#include "Buttons.h"
#include "Menus.h"
#include "sCommonData.h"
#include "sFrameAdapter.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinMenus.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

namespace {

// Whether the wrapper's skin data paints now. A foreign window's own skin data has no owner
// object, so its section and the active manager decide.
bool SkinnedNow(TsCommonData* data)
{
    if (!data) return false;
    if (data->FOwnerObject) return data->Skinned(true);
    TsSkinManager* manager = data->GetSkinManager();
    return manager && manager->IsActive() && data->SkinIndex >= 0 && manager->IsValidSkinIndex(data->SkinIndex);
}

bool IsScrollHit(WPARAM hit) { return hit == HTHSCROLL || hit == HTVSCROLL; }

// Set while the button-up of a bar click releases the capture itself: that capture change is the
// click's normal end, not a loss.
bool releasingOwnCapture = false;
class OwnCaptureRelease {
public:
    OwnCaptureRelease() : outer_(releasingOwnCapture) { releasingOwnCapture = true; }
    ~OwnCaptureRelease() { releasingOwnCapture = outer_; }
    OwnCaptureRelease(const OwnCaptureRelease&) = delete;
    OwnCaptureRelease& operator=(const OwnCaptureRelease&) = delete;

private:
    bool outer_;
};

// The process-wide click and hover state belongs to one window: when that window loses the
// capture without a button-up, or goes, the state must go with it, or the mouse of every other
// wrapped window is taken for the stale click. A window that keeps living learns that its scroll
// ended, as after a button-up.
void EndScrollClickOf(TacScrollWnd* sw, bool windowGoing)
{
    TacScrollTracking& t = ScrollTracking;
    if (t.TrackedWindow != sw->CtrlHandle) return;
    if (windowGoing) {
        ResetScrollTracking();
        sw->fThumbTracking = false;
        return;
    }
    if (t.ClickedPortion == HTSCROLL_NONE && !sw->fThumbTracking) return;
    const HWND wnd = sw->CtrlHandle;
    KillTimer(wnd, kFirstRepeatTimerId);
    KillTimer(wnd, kRepeatTimerId);
    const UINT msg = t.ScrollMessage;
    const bool scrolled = t.ClickedPortion != HTSCROLL_NONE && t.ClickedPortion != HTSCROLL_THUMBPOS;
    const bool dragging = sw->fThumbTracking;
    t.ClickedPortion = t.PressedPortion = t.CurrentBar = -1;
    t.RepeatTimer = 0;
    t.ScrollMessage = 0;
    sw->fThumbTracking = false;
    if (msg && (scrolled || dragging)) {
        const bool setPos = !sw->IsListViewWnd();
        const bool dontRepaint = sw->DontRepaint;
        sw->DontRepaint = true;
        if (dragging) SendScrollMessage(wnd, msg, SB_THUMBPOSITION, nLastSBPos, setPos);
        SendScrollMessage(wnd, msg, SB_ENDSCROLL, dragging ? nLastSBPos : 0, setPos);
        sw->DontRepaint = dontRepaint;
    }
    if (IsWindow(wnd) && sw->sBarHorz && sw->sBarVert) UpdateScrolls(sw, true);
}

} // namespace

void TacScrollWnd::acWndProc(TMessage& Message)
{
    TControl* control = OwnerControl();
    const auto passOn = [&] {
        Message.Result = PaintsSystemBars(Message.Msg, Message.WParam)
                             ? PassOnWithoutBars(this, CtrlHandle, Message.Msg, Message.WParam, Message.LParam)
                             : CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
    };

    // 1. Before the skin test.
    switch (Message.Msg) {
    case WM_UPDATEUISTATE: return;
    case WM_CAPTURECHANGED:
        if (!releasingOwnCapture && reinterpret_cast<HWND>(Message.LParam) != CtrlHandle) EndScrollClickOf(this, false);
        break;
    case WM_DESTROY:
    case WM_NCDESTROY:
        EndScrollClickOf(this, true);
        if (Destroyed) break;
        if (auto* winControl = dynamic_cast<TWinControl*>(control))
            for (int i = 0; i < winControl->ControlCount(); ++i)
                if (auto* button = dynamic_cast<TSpeedButton*>(winControl->Controls(i))) button->Perform(WM_DESTROY, 0, 0);
        if (!OldProc && !OldWndProc) {
            Message.Result = TrySendMessage(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
        } else {
            TacScrollWnd* self = this;
            try {
                if (control) {
                    UninitializeACScroll(CtrlHandle, false, false, self);
                    TrySendMessage(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
                } else if (CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam) == 0) {
                    UninitializeACScroll(CtrlHandle, false, false, self);
                }
            } catch (...) {
            }
            Message.Result = 1;
        }
        if (SkinData && SkinData->FCacheBmp) SkinData->FCacheBmp->SetSize(0, 0);
        return;
    case WM_CONTEXTMENU:
        if (control && control->PopupMenu() && SkinManager && SkinManager->SkinableMenus())
            SkinManager->SkinableMenus()->HookPopupMenu(control->PopupMenu(), SkinManager->Active());
        break;
    case WM_STYLECHANGED: UpdateLeftScroll(); break;
    default: break;
    }

    // 2. Removed from its window: notifications still reach the control.
    if (Destroyed) {
        if (Message.Msg == WM_NOTIFY || Message.Msg == CN_NOTIFY) passOn();
        return;
    }

    // 4. Not skinned.
    if (!SkinnedNow(SkinData)) {
        if (Message.Msg == SM_ALPHACMD) {
            const WORD code = AlphaCmdCode(Message.WParam);
            if (code == AC_SETNEWSKIN && SkinData && Message.LParam == reinterpret_cast<LPARAM>(SkinManager))
                SkinData->UpdateIndexes(true);
            if (code == AC_GETCOMMONDATA) {
                Message.Result = reinterpret_cast<LRESULT>(SkinData);
                return;
            }
        }
        passOn();
        return;
    }

    // 3. Skinned.
    switch (Message.Msg) {
    case WM_MOUSEMOVE: Message.Result = ScrollMouseMove(this, CtrlHandle, Message.WParam, Message.LParam); return;
    case WM_LBUTTONUP: {
        const OwnCaptureRelease release;
        Message.Result = ScrollLButtonUp(this, CtrlHandle, Message.WParam, Message.LParam);
        return;
    }
    case WM_NCHITTEST: Message.Result = ScrollNCHitTest(this, CtrlHandle, Message.WParam, Message.LParam); return;
    case WM_NCMOUSEMOVE: Message.Result = ScrollNCMouseMove(this, CtrlHandle, Message.WParam, Message.LParam); return;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (IsScrollHit(Message.WParam)) {
            Message.Result = ScrollNCLButtonDown(this, CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
            return;
        }
        break;
    case WM_NOTIFY: passOn(); return;
    case WM_NCCALCSIZE:
        Message.Result = ScrollNCCalcSize(this, CtrlHandle, Message.WParam, Message.LParam);
        ScrollsInitialized = true;
        return;
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
        // Our own style change around the system's non-client handling is no news to the window.
        if (bPreventStyleChange) {
            Message.Result = 0;
            return;
        }
        break;
    case WM_NCPAINT:
        if (IsWindowVisible(CtrlHandle)) {
            if (!ScrollsInitialized) SetWindowPos(CtrlHandle, nullptr, 0, 0, 0, 0, SWP_ACFRAMECHANGED);
            if (!SkinData->FUpdating && !DontRepaint && ScrollsInitialized) {
                // The border first: the system paints it without bars, then the bars go over it.
                passOn();
                ac_NCDraw(this, CtrlHandle, -1, nullptr);
                return;
            }
        }
        break;
    case WM_TIMER:
        Message.Result = ScrollTimer(this, CtrlHandle, Message.WParam, Message.LParam);
        if (!DontRepaint && !fThumbTracking) UpdateScrolls(this, true);
        return;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
        if (IsScrollHit(Message.WParam)) {
            Message.Result = 0;
            return;
        }
        break;
    case WM_SYSCOMMAND:
        if (Message.WParam == SC_ACVSCROLLBAR) return;
        break;
    case SM_ALPHACMD:
        switch (AlphaCmdCode(Message.WParam)) {
        case AC_SETNEWSKIN:
            if (Message.LParam == reinterpret_cast<LPARAM>(SkinManager)) {
                SkinData->UpdateIndexes(true);
                passOn();
                AlphaBroadCastCheck(control, CtrlHandle, Message);
                return;
            }
            break;
        case AC_REMOVESKIN:
            if (Message.LParam == reinterpret_cast<LPARAM>(SkinManager)) RestoreStdParams();
            break;
        case AC_REFRESH:
            if (RefreshNeeded(SkinData, Message)) {
                SkinData->UpdateIndexes(true);
                SkinData->BGChanged = true;
            }
            break;
        case AC_PARENTUPDATED: {
            TObject* owner = SkinData->FOwnerObject;
            if (dynamic_cast<TsFrameAdapter*>(owner) || dynamic_cast<TsSkinProvider*>(owner)) break;
            if (!SkinData->FUpdating || InUpdating(SkinData, true)) return;
            RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            if (auto* parent = control ? control->Parent() : nullptr) SetParentUpdated(parent);
            return;
        }
        case AC_CTRLHANDLED: Message.Result = 1; return;
        case AC_SETUPDATING: SkinData->FUpdating = LOWORD(Message.WParam) == 1; break;
        case AC_GETSCROLLWND: Message.Result = reinterpret_cast<LRESULT>(this); return;
        case AC_SETSECTION:
            if (acCommandPointerTrusted(Message)) {
                SkinData->SetSkinSection(*reinterpret_cast<const UnicodeString*>(Message.LParam));
                Message.Result = 1;
            } else {
                Message.Result = 0;
            }
            return;
        case AC_CHILDBGCHANGED: Message.Result = 1; return; // a child's background always follows it
        case AC_GETBGCOLOR: {
            passOn();
            if (Message.Result != 0) return;
            // Skin data that cannot give a colour of its own asks the window, that is us again.
            static const TacScrollWnd* answering = nullptr;
            if (answering == this) {
                Message.Result = static_cast<LRESULT>(clBtnFace);
                return;
            }
            const TacScrollWnd* outer = answering;
            answering = this;
            Message.Result = static_cast<LRESULT>(GetBGColor(SkinData, 0, nullptr));
            answering = outer;
            return;
        }
        case AC_PREPARECACHE:
            passOn();
            if (SkinData->BGChanged && !SkinData->FUpdating && Message.Result != -2) {
                InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
                PrepareCache(SkinData, CtrlHandle, DlgMode);
                PaintBorderFast(SkinData, 0, *this);
            }
            return;
        case AC_MOUSEENTER:
        case AC_MOUSELEAVE: {
            TMessage m{AlphaCmdCode(Message.WParam) == AC_MOUSEENTER ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, Message.LParam, 0};
            CommonWndProc(m, SkinData);
            return;
        }
        case AC_GETBG:
            passOn();
            if (auto* info = acCommandPointerTrusted(Message) ? reinterpret_cast<TacBGInfo*>(Message.LParam) : nullptr;
                info && !info->PleaseDraw)
                InitBGInfo(SkinData, info, 0, nullptr);
            return;
        case AC_GETCOMMONDATA: Message.Result = reinterpret_cast<LRESULT>(SkinData); return;
        case AC_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); return;
        case AC_GETPPI: Message.Result = SkinData->CurrentPPI; return;
        default: break;
        }
        passOn();
        return;
    default: break;
    }

    passOn();
    switch (Message.Msg) {
    case WM_MOUSEWHEEL:
    case CM_MOUSEWHEEL:
        if (!DontRepaint) UpdateScrolls(this, true);
        break;
    case CM_FOCUSCHANGED:
        if (SkinData->FFocused) UpdateScrolls(this, true);
        break;
    case CM_BIDIMODECHANGED:
        UpdateLeftScroll();
        SetWindowPos(CtrlHandle, nullptr, 0, 0, 0, 0, SWP_ACFRAMECHANGED);
        break;
    default: break;
    }
}

void TacBaseWnd::acWndProc(TMessage& Message)
{
    if (Destroyed || !SkinnedNow(SkinData)) {
        TacScrollWnd::acWndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_ACDROPPED: return;
    case SM_ALPHACMD:
        if (AlphaCmdCode(Message.WParam) == AC_REFRESH && RefreshNeeded(SkinData, Message)) {
            TacScrollWnd::acWndProc(Message);
            if (IsWindowVisible(CtrlHandle)) SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
            return;
        }
        if (AlphaCmdCode(Message.WParam) == AC_PREPARECACHE) PrepareCache(SkinData, CtrlHandle, false);
        break;
    case WM_SIZE:
    case WM_EXITSIZEMOVE: SkinData->BGChanged = true; break;
    case WM_SETCURSOR:
        Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
        return;
    default: break;
    }
    TacScrollWnd::acWndProc(Message);
    switch (Message.Msg) {
    case WM_SIZE:
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (!DontRepaint) UpdateScrolls(this, true);
        break;
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
        if (IsWindowVisible(CtrlHandle)) SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
        break;
    default: break;
    }
}
