// The wrapper's window method: the window messages it looks at, then the library's command
// message while a skin is active. Everything else reaches the previous procedure once.
#include "acSBUtils.h"

#include "Buttons.h"
#include "Forms.h"
#include "Menus.h"
#include "acGlow.h"
#include "sCommonData.h"
#include "sCtrlStates.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinMenus.h"
#include "sVclUtils.h"

void TacMainWnd::acWndProc(TMessage& Message)
{
    TControl* control = OwnerControl();
    auto passOn = [&] { Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam); };

    switch (Message.Msg) {
    case WM_NCCREATE:
    case WM_CREATE:
        passOn();
        if (SkinData) SkinData->InitCommonProp();
        return;
    case WM_SETTEXT:
        passOn();
        Caption = GetWndText(CtrlHandle);
        return;
    case WM_SIZE:
        if (SkinData) SkinData->BGChanged = true;
        break;
    case WM_CONTEXTMENU:
        if (control && control->PopupMenu() && SkinManager && SkinManager->SkinableMenus())
            SkinManager->SkinableMenus()->HookPopupMenu(control->PopupMenu(), SkinManager->Active());
        break;
    case WM_MOUSEMOVE:
        if (DefaultManager && !DefaultManager->ComponentState().Contains(csDesigning) && IsWindowEnabled(CtrlHandle) &&
            DefaultManager->ActiveControl() != CtrlHandle)
            DefaultManager->SetActiveControl(CtrlHandle);
        break;
    case WM_PRINT:
        Message.Result = SendMessageW(CtrlHandle, WM_PAINT, Message.WParam, Message.LParam);
        return;
    case WM_UPDATEUISTATE:
        return;
    case WM_DESTROY:
    case WM_NCDESTROY: {
        if (SkinData) {
            StopTimer(SkinData);
            HideGlow(SkinData->GlowID, true);
        }
        if (auto* winControl = dynamic_cast<TWinControl*>(control))
            for (int i = 0; i < winControl->ControlCount(); ++i)
                if (auto* button = dynamic_cast<TSpeedButton*>(winControl->Controls(i))) button->Perform(WM_DESTROY, 0, 0);
        if (OldProc || OldWndProc) {
            TacMainWnd* self = this;
            try {
                if (control) {
                    UninitializeACWnd(CtrlHandle, false, false, self);
                    Message.Result = SendMessageW(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
                } else {
                    passOn();
                    if (Message.Result == 0) UninitializeACWnd(CtrlHandle, false, false, self);
                }
            } catch (...) {
            }
            Message.Result = 1;
        } else {
            Message.Result = SendMessageW(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
        }
        if (SkinData && SkinData->FCacheBmp) SkinData->FCacheBmp->SetSize(0, 0);
        return;
    }
    case SM_ALPHACMD:
        if (AlphaCmdCode(Message.WParam) == AC_REMOVESKIN && Message.LParam == reinterpret_cast<LPARAM>(SkinManager)) {
            RestoreStdParams();
            AlphaBroadCastCheck(control, CtrlHandle, Message);
        }
        break;
    default:
        break;
    }

    // The general step.
    TsSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
    if (!manager || !manager->IsActive() || Message.Msg != SM_ALPHACMD) {
        passOn();
        return;
    }
    switch (AlphaCmdCode(Message.WParam)) {
    case AC_SETNEWSKIN:
        if (Message.LParam == reinterpret_cast<LPARAM>(SkinManager)) {
            SkinData->UpdateIndexes(true);
            SkinData->BGChanged = true;
            AlphaBroadCastCheck(control, CtrlHandle, Message);
        }
        passOn();
        return;
    case AC_REFRESH:
        if (!RefreshNeeded(SkinData, Message)) break;
        SkinData->UpdateIndexes(true);
        SkinData->BGChanged = true;
        SkinData->FUpdating = false;
        if (!InAnimationProcess && (control ? control->Visible() : IsWindowVisible(CtrlHandle) != FALSE))
            SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
        AlphaBroadCastCheck(control, CtrlHandle, Message);
        return;
    case AC_PARENTUPDATED:
        if (!SkinData->FUpdating) break;
        if (!InUpdating(SkinData, true)) {
            SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
            RedrawWindow(CtrlHandle, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        }
        if (auto* winControl = dynamic_cast<TWinControl*>(control)) SetParentUpdated(winControl);
        return;
    case AC_CTRLHANDLED:
        Message.Result = 1;
        return;
    case AC_ISUPDATING:
        Message.Result = SkinData->GetUpdating() ? 1 : 0;
        return;
    case AC_GETSCROLLWND:
        Message.Result = reinterpret_cast<LRESULT>(this);
        return;
    case AC_SETSECTION:
        if (acCommandPointerTrusted(Message)) {
            SkinData->SetSkinSection(*reinterpret_cast<const UnicodeString*>(Message.LParam));
            Message.Result = 1;
        } else {
            Message.Result = 0;
        }
        return;
    case AC_CHILDBGCHANGED:
        if (!control) break;
        CommonMessage(Message, SkinData);
        return;
    case AC_GETBGCOLOR:
        passOn();
        // A window without a resolved section has its own colour, which GetBGColor asks of this
        // very window: the nested question gets the previous procedure's answer only.
        if (Message.Result == 0 && !answeringBGColor_) {
            answeringBGColor_ = true;
            Message.Result = static_cast<LRESULT>(GetBGColor(SkinData, 0, CtrlHandle));
            answeringBGColor_ = false;
        }
        return;
    case AC_PREPARECACHE:
        PrepareCache(SkinData, CtrlHandle, false);
        break;
    case AC_GETBG:
        if (InUpdating(SkinData, false)) break;
        if (SkinData->BGChanged) DoPrepareCache();
        if (acCommandPointerTrusted(Message)) InitBGInfo(SkinData, reinterpret_cast<TacBGInfo*>(Message.LParam), 0, CtrlHandle);
        return;
    case AC_GETCOMMONDATA:
        Message.Result = reinterpret_cast<LRESULT>(SkinData);
        return;
    case AC_PRINTING:
        if (LOWORD(Message.WParam) != 0) {
            SkinData->CtrlSkinState |= ACS_PRINTING;
            SkinData->PrintDC = reinterpret_cast<HDC>(Message.LParam);
        } else {
            SkinData->CtrlSkinState &= ~ACS_PRINTING;
            SkinData->PrintDC = nullptr;
        }
        break;
    case AC_GETAPPLICATION:
        Message.Result = reinterpret_cast<LRESULT>(Application);
        return;
    default:
        if (CommonMessage(Message, SkinData)) return;
        break;
    }
    passOn();
}
