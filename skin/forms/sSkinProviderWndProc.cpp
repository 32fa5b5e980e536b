// The provider's window procedure: the library command first, then the unskinned path (no
// active skin, or the form is going) or the skinned path, where one handler per message
// replaces or wraps the form's own handling; and the DPI change of a skinned form.
#include "sSkinProvider.h"

#include "acAlphaImageList.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sSkinManager.h"
#include "sSkinProviderInternal.h"
#include "sVclUtils.h"

#include <windows.h>

using namespace provider_detail;

namespace {

// True while a provider handles WM_DPICHANGED; a second one meanwhile (at any provider) is
// dropped.
bool dpiChanging = false;

inline constexpr UINT WM_SYSMENUREQUEST = 0x313; // the task bar asks for the system menu
inline constexpr UINT CN_UNNAMED_4D = CN_BASE + 0x4D;

} // namespace

void TsSkinProvider::PassOn(TMessage& Message)
{
    if (OldWndProc) OldWndProc(Message);
}

LRESULT TsSkinProvider::ProcessMessage(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage message{Msg, WParam, LParam, 0};
    NewWndProc(message);
    return message.Result;
}

void TsSkinProvider::NewWndProc(TMessage& Message)
{
    if (Message.Msg == SM_ALPHACMD && AC_SMAlphaCmd_Common(Message)) return;
    if (!Form || IsDestroying(Form) || !FCommonData || !FCommonData->Skinned()) {
        switch (Message.Msg) {
        case SM_ALPHACMD:
            if (!AC_SMAlphaCmd_Unskinned(Message)) PassOn(Message);
            return;
        case CM_VISIBLECHANGED:
            AC_CMVisibleChanged_Unskinned(Message);
            PassOn(Message);
            return;
        case WM_SETREDRAW:
            AC_WMSetRedraw(Message);
            PassOn(Message);
            return;
        case WM_PRINT:
            if (Message.WParam && Form) {
                HDC dc = reinterpret_cast<HDC>(Message.WParam);
                HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Form->Color())));
                const RECT r{0, 0, Form->Width(), Form->Height()};
                FillRect(dc, &r, brush);
                DeleteObject(brush);
            }
            if (Form) Form->Perform(WM_PAINT, Message.WParam, Message.LParam);
            return;
        case CM_SYSFONTCHANGED:
            DoReinit = true;
            PassOn(Message);
            return;
        case CM_MOUSEWHEEL:
            AC_CMMouseWheel(Message);
            return;
        default:
            PassOn(Message);
            if (Message.Msg == WM_WINDOWPOSCHANGED)
                AC_WMWindowPosChanged_Unskinned(Message);
            else if (Message.Msg == WM_NCDESTROY)
                AC_WMNCDestroy(Message);
            return;
        }
    }

    switch (Message.Msg) {
    case WM_CREATE: AC_WMCreate(Message); return;
    case WM_MOVE: AC_WMMove(Message); return;
    case WM_SIZE: AC_WMSize(Message); return;
    case WM_ACTIVATE: AC_WMActivate(Message); return;
    case WM_SETFOCUS:
        PassOn(Message);
        if (Form->Visible() && BorderForm) {
            const bool shown = BorderForm->AForm && BorderForm->AForm->HandleAllocated() &&
                               IsWindowVisible(BorderForm->AForm->Handle());
            if (!shown) {
                FInAnimation = false;
                UpdateExBordersPos(true, 255);
            }
        }
        return;
    case WM_SETREDRAW:
        AC_WMSetRedraw(Message);
        PassOn(Message);
        return;
    case WM_SETTEXT: AC_WMSetText(Message); return;
    case WM_PAINT: AC_WMPaint(Message); return;
    case WM_CLOSE: AC_WMClose(Message); return;
    case WM_QUERYENDSESSION: AC_WMQueryEndSession(Message); return;
    case WM_ERASEBKGND: AC_WMEraseBkGnd(Message); return;
    case WM_SYSCOLORCHANGE: AC_WMSysColorChange(Message); return;
    case WM_SHOWWINDOW: AC_WMShowWindow(Message); return;
    case WM_SETTINGCHANGE: AC_WMSettingChange(Message); return;
    case WM_ACTIVATEAPP: AC_WMActivateApp(Message); return;
    case WM_SETCURSOR:
        // Over a title-bar item the item's own cursor stays.
        if (FTitleBar && CurrentHT - HTITEM >= 0 && CurrentHT - HTITEM < FTitleBar->ItemCount()) return;
        PassOn(Message);
        return;
    case WM_CHILDACTIVATE: AC_WMChildActivate(Message); return;
    case WM_GETMINMAXINFO: AC_WMGetMinMaxInfo(Message); return;
    case WM_MEASUREITEM: AC_WMMeasureItem(Message); return;
    case WM_WINDOWPOSCHANGING: AC_WMWindowPosChanging(Message); return;
    case WM_WINDOWPOSCHANGED: AC_WMWindowPosChanged(Message); return;
    case WM_COPYDATA: AC_WMCopyData(Message); return;
    case WM_NOTIFY: AC_WMNotify(Message); return;
    case WM_CONTEXTMENU: AC_WMContextMenu(Message); return;
    case WM_STYLECHANGED: AC_WMStyleChanged(Message); return;
    case WM_SETICON: AC_WMSetIcon(Message); return;
    case WM_NCCREATE: AC_WMNCCreate(Message); return;
    case WM_NCHITTEST: AC_WMNCHitTest(Message); return;
    case WM_NCPAINT: AC_WMNCPaint(Message); return;
    case WM_NCACTIVATE: AC_WMNCActivate(Message); return;
    case WM_NCMOUSEMOVE: AC_WMNCMouseMove(Message); return;
    case WM_NCLBUTTONDOWN: AC_WMNCLButtonDown(Message); return;
    case WM_NCLBUTTONUP: AC_WMLButtonUp(Message); return;
    case WM_NCLBUTTONDBLCLK: AC_WMNCLButtonDblClick(Message); return;
    case WM_NCRBUTTONDOWN: AC_WMNCRButtonDown(Message); return;
    case WM_NCRBUTTONUP: AC_WMNCRButtonUp(Message); return;
    case WM_SYSCOMMAND: AC_WMSysCommand(Message); return;
    case WM_INITMENUPOPUP: AC_WMInitMenuPopup(Message); return;
    case WM_ENTERIDLE:
        // A menu of the form is open: the form need not hear of its idle time.
        if (Message.WParam != 0) {
            Message.Result = 0;
            return;
        }
        PassOn(Message);
        return;
    case WM_MOUSEMOVE: AC_WMMouseMove(Message); return;
    case WM_LBUTTONUP: AC_WMLButtonUp(Message); return;
    case WM_PARENTNOTIFY: AC_WMParentNotify(Message); return;
    case WM_ENTERMENULOOP: AC_WMEnterMenuLoop(Message); return;
    case WM_EXITMENULOOP: AC_WMExitMenuLoop(Message); return;
    case WM_SIZING: AC_WMSizing(Message); return;
    case WM_MDIDESTROY:
    case WM_MDIACTIVATE: AC_WMMDIDestroy(Message); return;
    case WM_EXITSIZEMOVE: AC_WMExitSizeMove(Message); return;
    case WM_MOUSELEAVE: AC_WMMouseLeave(Message); return;
    case WM_DPICHANGED: AC_WMDpiChanged(Message); return;
    case WM_SYSMENUREQUEST: {
        POINT p{};
        GetCursorPos(&p);
        DropSysMenu(p.x, p.y);
        return;
    }
    case WM_PRINT: AC_WMPrint(Message); return;
    case WM_PRINTCLIENT: return;
    case WM_DWMSENDICONICTHUMBNAIL:
        if (ac_ChangeThumbPreviews && HIWORD(Message.LParam) && LOWORD(Message.LParam)) {
            Message.Result = SetThumbIcon(Form->Handle(), this, HIWORD(Message.LParam), LOWORD(Message.LParam)) & 0x7F;
            return;
        }
        PassOn(Message);
        return;
    case WM_DWMSENDICONICLIVEPREVIEWBITMAP:
        if (ac_ChangeThumbPreviews) {
            Message.Result = SetPreviewBmp(Form->Handle(), this) & 0x7F;
            return;
        }
        PassOn(Message);
        return;
    case SM_ALPHACMD: AC_SMAlphaCmd_Skinned(Message); return;
    case SM_SKINEDITOR: AC_ASEMSG(Message); return;
    case CM_VISIBLECHANGED: AC_WMVisibleChanged(Message); return;
    case CM_ENABLEDCHANGED: AC_CMEnabledChanged(Message); return;
    case CM_COLORCHANGED:
        if (!(FFormState & (FS_IMAGETAKEN | FS_NOBORDERFORM)) && FCommonData->FCustomColor) FCommonData->Invalidate();
        return;
    case CM_MOUSEENTER: AC_CMMouseEnter(Message); return;
    case CM_MOUSELEAVE: AC_WMMouseLeave(Message); return;
    case CM_MENUCHANGED: AC_CMMenuChanged(Message); return;
    case CM_SHOWINGCHANGED: AC_CMShowingChanged(Message); return;
    case CM_BORDERCHANGED:
        PassOn(Message);
        if (BorderForm) UpdateExBordersPos(true, 255);
        return;
    case CM_CONTROLLISTCHANGE: AC_WMControlListChange(Message); return;
    case CM_RECREATEWND: AC_CMRecreateWnd(Message); return;
    case CM_SYSFONTCHANGED: DoReinit = true; return;
    case CM_CHANGED:
        if (FormHasMainMenu(*this)) {
            MenuChanged = true;
            FCommonData->BGChanged = true;
            PassOn(Message);
        }
        return;
    case CM_FLOAT: AC_CMFloat(Message); return;
    case CM_BIDIMODECHANGED:
        if (TsSkinManager* manager = ManagerOf(*this)) manager->FlipImages(Form->BiDiMode() == bdRightToLeft);
        PassOn(Message);
        if (BorderForm) UpdateExBordersPos(true, 255);
        return;
    case CM_MOUSEWHEEL: AC_CMMouseWheel(Message); return;
    case CM_STYLECHANGED:
    case CN_UNNAMED_4D: Message.Result = 0; return;
    default: PassOn(Message); return;
    }
}

void TsSkinProvider::AC_WMSetRedraw(TMessage& Message)
{
    if (Message.WParam == 1)
        LockCount = std::max(0, LockCount - 1);
    else
        ++LockCount;
}

void TsSkinProvider::AC_WMDpiChanged(TMessage& Message)
{
    TsSkinManager* manager = ManagerOf(*this);
    if (dpiChanging || !manager || IsDesigning(manager)) return;
    struct Flag {
        Flag() { dpiChanging = true; }
        ~Flag() { dpiChanging = false; }
    } flag;
    const bool vclPath = AllowScale && manager->Options()->ScaleMode() == smVCL;
    const int newPPI = HIWORD(Message.WParam);
    const int oldPPI = GetPPI(FCommonData.get());
    if (newPPI == oldPPI) {
        FCommonData->BGChanged = true;
        FCommonData->Invalidate();
        return;
    }
    InitSysParams(newPPI);
    FCommonData->SetCommonSkinData(manager->CommonSkinData(newPPI));
    FCommonData->CurrentPPI = newPPI;
    RgnChanged = true;
    if (!vclPath) {
        CalcItems();
        if (FFormState & FS_BLURACTIVE) UpdateBlurMode();
        FCommonData->Invalidate();
        return;
    }
    SetFormState(FFormState | FS_VCLSCALING);
    FCommonData->BGChanged = true;
    FCommonData->FUpdating = true;
    manager->UpdateScale(Form, oldPPI, newPPI);
    if ((!Application || !Application->MainForm() || Application->MainForm() == Form) &&
        manager->Options()->ScaleMode() == smVCL) {
        manager->Options()->SetPixelsPerInch(static_cast<TacPixelsPerInch>(newPPI));
        IterateImageLists(ScaleImageList, 0);
    }
    FCommonData->FUpdating = false;
    FCommonData->BGChanged = true;
    CalcItems();
    if (FFormState & FS_BLURACTIVE) UpdateBlurMode();
    PaintAll();
    SetFormState(FFormState & ~FS_VCLSCALING);
    TMessage invalidate{SM_ALPHACMD, MakeAlphaCmd(AC_INVALIDATECACHE), 1, 0};
    BroadcastToChildren(invalidate);
    TMessage refresh{SM_ALPHACMD, MakeAlphaCmd(AC_REFRESH), reinterpret_cast<LPARAM>(manager), 0};
    BroadcastToChildren(refresh);
    if (BorderForm) UpdateSkinCaption();
}

void TsSkinProvider::BroadcastToChildren(TMessage& Message)
{
    if (Form) AlphaBroadCast(Form, Message);
}
