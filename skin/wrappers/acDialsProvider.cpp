// TacProvider: what one automatically skinned window gets (a run-time skin provider for a
// framework form; the frame wrapper, the children's wrappers and their printing for a foreign
// dialog), and the frame wrapper's start.
#include "acDials.h"

#include "acntUtils.h"
#include "sCommonData.h"
#include "sDefaults.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <algorithm>

TacProvider::~TacProvider()
{
    std::replace(acSupportedList.begin(), acSupportedList.end(), this, static_cast<TacProvider*>(nullptr));
    // Children first: their wrappers may ask the dialog's while they leave.
    acSkinnedCtrls.clear();
    ListSW.reset();
}

void TacProvider::InitForm(TCustomForm* Form)
{
    if (!Form) return;
    sp = new TsSkinProvider(Form, true);
    sp->SetBoolean(3, false); // UseGlobalColor
    CtrlHandle = Form->HandleAllocated() ? Form->Handle() : nullptr;
    const UnicodeString formClass = Form->ClassName();
    if (formClass == L"TMessageForm" || formClass == L"TInputQueryForm") sp->SkinData()->SetSkinSection(L"DIALOG");
    const bool visible = Form->HandleAllocated() && IsWindowVisible(Form->Handle());
    if (AeroIsEnabled()) {
        if (!sp->Adapter) sp->Loaded();
        if (visible) {
            RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            SendMessageW(Form->Handle(), WM_NCPAINT, 0, 0);
        }
    } else if (visible && !sp->ComponentState().Contains(csDesigning)) {
        UpdateWindow(Form->Handle());
        RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    }
    sp->MakeSkinMenu = false;
}

bool TacProvider::InitSkin(HWND Window)
{
    CtrlHandle = Window;
    acSkinnedCtrls.clear();
    if (ListSW || !DefaultManager || !DefaultManager->IsActive()) return true;
    if (Ac_UninitializeFlatSB) Ac_UninitializeFlatSB(Window);
    TacSkinParams params;
    params.SkinSection = L"DIALOG";
    ListSW.reset(CreateWrapper<TacDialogWnd>(Window, nullptr, DefaultManager, params, false));
    ListSW->CtrlHandle = Window;
    SetWindowLongW(Window, GWL_STYLE, GetWindowLongW(Window, GWL_STYLE) & ~0x100);
    ListSW->Provider = this;
    SendAMessage(Window, AC_SETNEWSKIN, reinterpret_cast<LPARAM>(DefaultManager));
    return true;
}

bool TacProvider::InitHwndControls(HWND Window)
{
    for (HWND child = GetTopWindow(Window); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!InitHwndControls(child)) return false;
        if ((GetWindowLongW(child, GWL_STYLE) & WS_CHILD) && !AddControl(child)) return false;
    }
    return true;
}

void TacProvider::PrintHwndControls(HWND Window, HDC DC)
{
    for (HWND child = GetTopWindow(Window); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int saved = SaveDC(DC);
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        POINT origin{};
        GetViewportOrgEx(DC, &origin);
        SetViewportOrgEx(DC, origin.x + r.left, origin.y + r.top, nullptr);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if ((style & WS_CHILD) && (style & WS_VISIBLE)) {
            const LPARAM dc = reinterpret_cast<LPARAM>(DC);
            TrySendMessage(child, SM_ALPHACMD, MakeAlphaCmd(AC_PRINTING, 1), dc);
            SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(DC), 0);
            TrySendMessage(child, SM_ALPHACMD, MakeAlphaCmd(AC_PRINTING, 0), dc);
        }
        PrintHwndControls(child, DC);
        RestoreDC(DC, saved);
    }
}

// ---------------------------------------------------------------------------------------------
// The dialog frame wrapper (its start)

bool TacDialogWnd::CanSkin() const
{
    return acTryToSkinCommonDialogs || !HasDescendantOfClass(CtrlHandle, L"duiviewwndclassname");
}

void TacDialogWnd::AfterCreation()
{
    TacScrollWnd::AfterCreation();
    FWMPaintForbidden = IsWinVistaUp();
}

void TacDialogWnd::InitChildren()
{
    if (Provider && CanSkin()) Provider->InitHwndControls(CtrlHandle);
}

void TacDialogWnd::acWndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_NCPAINT:
    case WM_ERASEBKGND:
        if (!Initialized && CanSkin()) {
            Initialized = true;
            InitChildren();
        }
        break;
    case SM_ALPHACMD:
        // Command 28: the dialog's children are wrapped again.
        if (AlphaCmdCode(Message.WParam) == 28) InitChildren();
        break;
    case 0x401:
        TacScrollWnd::acWndProc(Message);
        if (Provider && CanSkin()) {
            InitChildren();
            RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        return;
    case 0x52C:
    case 0x52E:
        Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
        if (Provider && CanSkin()) {
            InitChildren();
            RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        }
        return;
    default:
        break;
    }
    TacScrollWnd::acWndProc(Message);
}
