// The default manager's hooks: the application window's messages (minimizing and restoring the
// main form, task-bar previews, menu borders, the live preview), the CBT hook that hands new
// windows to the wrappers, and the choice of common dialogs.
#include "sSkinManager.h"

#include "Dialogs.h"
#include "Forms.h"
#include "acDials.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sDefaults.h"
#include "sGraphUtilsSystem.h"
#include "sMessages.h"
#include "sSkinManagerSysColors.h"
#include "sSkinMenus.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <array>
#include <string_view>

namespace {

constexpr UINT WM_TASKBAR_SYSMENU = 0x313;
constexpr UINT WM_SENDICONICTHUMBNAIL = 0x323;
constexpr UINT WM_SENDICONICLIVEPREVIEW = 0x326;
constexpr UINT WM_FORMS_INVALIDATE = 0xB000;
// Posted by a pop-up item painted without a menu window: LParam the item.
constexpr UINT WM_MENU_ITEM_BORDER = 0xBCB3;
constexpr UINT WM_MENU_BORDER = 0xBCB4;
// No size, no move, no z-order, no activation, frame changed, show, no owner z-order.
constexpr UINT kShowDirectly = 0x65B;
// Invalidate, erase, update now, all children, frame.
constexpr UINT kRedrawAll = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME;

bool Designing(const TComponent* c) { return c->ComponentState().Contains(csDesigning); }

// The manager whose InstallHook set the process's CBT hook (HookCallback), or null.
TsSkinManager* cbtHookOwner = nullptr;

TCustomForm* MainForm() { return Application ? Application->MainForm() : nullptr; }

// The provider that skins the form (command 4), or null.
TsSkinProvider* ProviderOf(TCustomForm* form)
{
    if (!form || !form->HandleAllocated()) return nullptr;
    return reinterpret_cast<TsSkinProvider*>(SendAMessage(form->Handle(), AC_GETPROVIDER));
}

bool IsMenuWindow(HWND wnd)
{
    std::array<wchar_t, 16> name{};
    if (!wnd || !IsWindow(wnd)) return false;
    const int length = GetClassNameW(wnd, name.data(), static_cast<int>(name.size()));
    return length > 0 && std::wstring_view(name.data(), static_cast<size_t>(length)) == L"#32768";
}

// Runs the application's minimize or restore with the system's window animation off, and puts
// the user's setting back afterwards.
template <class F>
void WithoutSystemAnimation(F&& run)
{
    struct PutBack {
        bool old = acGetAnimation();
        ~PutBack() { acSetAnimation(old); }
    } putBack;
    acSetAnimation(false);
    run();
}

} // namespace

void TsSkinManager::SetMainWindowHooked(bool on)
{
    if (on == mainWindowHooked_ || !Application) return;
    const TWindowHook hook(this, &TsSkinManager::MainWindowHook);
    if (on)
        Application->HookMainWindow(hook);
    else
        Application->UnhookMainWindow(hook);
    mainWindowHooked_ = on;
}

bool TsSkinManager::MainWindowHook(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
        const TacFormHide& hide = *FAnimEffects->FormHide();
        TCustomForm* form = MainForm();
        if (!acSystemEntries().UpdateLayeredWindow || !pos || !(pos->flags & SWP_HIDEWINDOW) || !hide.Active ||
            !FEffects->AllowAnimation() || hide.Time == 0 || IsIconic(Application->Handle()) || !form ||
            !form->Showing() || !IsWindowVisible(form->Handle()))
            return false;
        TsSkinProvider* provider = ProviderOf(form);
        if (!provider || !provider->FCommonData->Skinned() || !FOptions->DrawNonClientArea() || provider->FInAnimation)
            return false;
        provider->FInAnimation = true;
        AnimHideForm(provider);
        while (InAnimationProcess) {
            Application->ProcessMessages();
            if (InAnimationProcess) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return false;
    }
    case WM_SYSCOMMAND:
        if (!IsActive()) return false;
        switch (Message.WParam & 0xFFF0) {
        case SC_MINIMIZE: return MinimizeMainForm();
        case SC_RESTORE: return RestoreMainForm();
        default: ShowState = 0; return false;
        }
    case WM_TASKBAR_SYSMENU: {
        if (!Application->MainFormOnTaskBar()) return false;
        TsSkinProvider* provider = ProviderOf(MainForm());
        if (!provider) return false;
        POINT p{};
        GetCursorPos(&p);
        provider->DropSysMenu(p.x, p.y);
        return true;
    }
    case WM_THEMECHANGED: Message.Result = 0; return true;
    case WM_SENDICONICTHUMBNAIL: {
        TCustomForm* form = MainForm();
        if (!ac_ChangeThumbPreviews || !form || HIWORD(Message.LParam) == 0 || LOWORD(Message.LParam) == 0)
            return false;
        TsSkinProvider* provider = ProviderOf(form);
        Message.Result =
            provider ? SetThumbIcon(form->Handle(), provider, HIWORD(Message.LParam), LOWORD(Message.LParam)) & 0x7F : 0;
        return true;
    }
    case WM_SENDICONICLIVEPREVIEW: {
        TCustomForm* form = MainForm();
        if (!ac_ChangeThumbPreviews || !form) return false;
        TsSkinProvider* provider = ProviderOf(form);
        Message.Result = provider ? SetPreviewBmp(form->Handle(), provider) & 0x7F : 0;
        return true;
    }
    case SM_ALPHACMD:
        if (AlphaCmdCode(Message.WParam) == AC_UPDATEPREVIEW) {
            // Lets sent messages of that number be delivered first.
            MSG pending{};
            PeekMessageW(&pending, nullptr, SM_ALPHACMD, SM_ALPHACMD, PM_NOREMOVE);
            ReceiveData(this, Message.LParam != 0);
        }
        return false;
    case WM_FORMS_INVALIDATE:
        if (Screen)
            for (int i = 0; i < Screen->FormCount(); ++i)
                if (TCustomForm* form = Screen->Forms(i); form->HandleAllocated())
                    SendAMessage(form->Handle(), AC_INVALIDATE);
        return false;
    case WM_MENU_ITEM_BORDER: return MenuItemBorder(Message.LParam);
    case WM_MENU_BORDER: {
        const auto wnd = reinterpret_cast<HWND>(Message.LParam);
        if (!FSkinnedPopups || !IsMenuWindow(wnd)) return false;
        if (FSkinableMenus->GetMenuInfo(nullptr, nullptr, wnd)) FSkinableMenus->DrawWndBorder(wnd, nullptr);
        return true;
    }
    default: return false;
    }
}

namespace {

// The position of item among the entries of its parent's Windows menu (hidden items have none).
int MenuPosition(const TMenuItem* item)
{
    int position = 0;
    const TMenuItem* parent = item->Parent();
    for (int i = 0; i < parent->Count(); ++i) {
        if (parent->Items(i) == item) return position;
        if (parent->Items(i)->Visible()) ++position;
    }
    return -1;
}

// The screen rectangle of the item: in the main form's main menu, else in the open pop-up.
bool ItemScreenRect(TMenuItem* item, RECT& r)
{
    TMenuItem* parent = item->Parent();
    if (!parent || !item->Visible()) return false;
    const int position = MenuPosition(item);
    if (TCustomForm* form = MainForm(); form && form->Menu() && item->GetParentMenu() == form->Menu() &&
                                        form->HandleAllocated())
        if (GetMenuItemRect(form->Handle(), parent->Handle(), static_cast<UINT>(position), &r)) return true;
    if (TPopupMenu* popup = TPopupMenu::ActivePopup(); popup && item->GetParentMenu() == popup)
        return GetMenuItemRect(nullptr, parent->Handle(), static_cast<UINT>(position), &r) != 0;
    return false;
}

} // namespace

bool TsSkinManager::MenuItemBorder(LPARAM itemData)
{
    TMenuItem* item = TMenuItem::FromItemData(static_cast<ULONG_PTR>(itemData));
    RECT r{};
    if (!FSkinnedPopups || !item || !ItemScreenRect(item, r)) return false;
    HWND wnd = WindowFromPoint(POINT{r.left, (r.top + r.bottom) / 2});
    if (!IsMenuWindow(wnd)) return false;
    FSkinableMenus->DrawWndBorder(wnd, nullptr);
    return true;
}

bool TsSkinManager::MinimizeMainForm()
{
    ShowState = 2;
    TCustomForm* form = MainForm();
    if (IsIconic(Application->Handle()) || !form || !form->Visible()) return false;
    TsSkinProvider* provider = ProviderOf(form);
    if (provider && provider->FCommonData->Skinned() && FAnimEffects->Minimizing()->Active && FEffects->AllowAnimation() &&
        FOptions->DrawNonClientArea()) {
        StartMinimizing(provider);
        if (AeroIsEnabled()) return false;
        WithoutSystemAnimation([] { Application->Minimize(); });
        return true;
    }
    if (provider) provider->ReleaseBorderForm();
    return false;
}

bool TsSkinManager::RestoreMainForm()
{
    ShowState = 1;
    TCustomForm* form = MainForm();
    if (!form || !form->HandleAllocated()) return false;
    TsSkinProvider* provider = ProviderOf(form);
    if (!(provider && provider->Minimized) && !Application->MainFormOnTaskBar()) return false;
    if (provider && provider->FCommonData->Skinned() && provider->Minimized && FAnimEffects->Minimizing()->Active &&
        FEffects->AllowAnimation()) {
        StartRestoring(provider);
        WithoutSystemAnimation([] { Application->Restore(); });
        return true;
    }
    const HWND wnd = form->Handle();
    SetWindowPos(wnd, nullptr, 0, 0, 0, 0, kShowDirectly);
    WithoutSystemAnimation([] { Application->Restore(); });
    InvalidateRect(wnd, nullptr, TRUE);
    RedrawWindow(wnd, nullptr, nullptr, kRedrawAll);
    return true;
}

void TsSkinManager::InstallHook()
{
    if (Designing(this) || !GetIsDefault()) return;
    if (!GlobalHookInstalled) {
        GlobalHookInstalled = true;
        if (cbtHookOwner && cbtHookOwner != this && HookCallback) {
            // One CBT hook serves the process: a displaced default manager hands its own over,
            // so no new window passes the hook twice and none is left behind.
            cbtHookOwner->GlobalHookInstalled = false;
        } else {
            HookCallback = SetWindowsHookExW(WH_CBT, &SkinHookCBT, nullptr, GetCurrentThreadId());
        }
        cbtHookOwner = this;
    }
    // Again at every install: modules loaded since the last one are redirected too (slots
    // already redirected are skipped).
    if (FOptions->ChangeSysColors()) SetSysColorsRedirected(true);
}

void TsSkinManager::UnInstallHook()
{
    if (Designing(this) || !GetIsDefault() || !GlobalHookInstalled) return;
    ReleaseCbtHook();
}

void TsSkinManager::ReleaseCbtHook()
{
    GlobalHookInstalled = false;
    if (cbtHookOwner != this) return;
    cbtHookOwner = nullptr;
    ClearMnuArray();
    if (HookCallback) UnhookWindowsHookEx(HookCallback);
    FreeSupportedList();
    // Off whatever ChangeSysColors says now: the option may have changed since the install.
    SetSysColorsRedirected(false);
    HookCallback = nullptr;
}

void UpdateCommonDlgs(TsSkinManager* Manager)
{
    if (!Manager || !Manager->GetIsDefault()) return;
    UseLatestCommonDialogs =
        !(Manager->SkinningRules().Contains(srStdDialogs) && Manager->Active() && !acAllowLatestCommonDialogs);
}
