// The provider's side of menus: whether the form shows a menu line, preparing and repainting
// it, the caption buttons' glyphs and hit codes, the WS_SYSMENU bit, the MDI children in the
// window menu and dropping the system menu.
#include "sSkinProvider.h"

#include "ExtCtrls.h"
#include "Forms.h"
#include "Menus.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sSkinManager.h"
#include "sSkinMenus.h"
#include "sSkinProviderInternal.h"
#include "sSkinProviderSysMenu.h"
#include "sStoredSkins.h"

#include <windows.h>

#include <functional>

using namespace provider_detail;

namespace {

// Window-menu entries the provider makes carry this bit in their Tag.
constexpr intptr_t kChildEntryTag = 0x200;

bool AnyVisibleItem(const TMainMenu* menu)
{
    if (!menu) return false;
    for (int i = 0; i < menu->Items()->Count(); ++i)
        if (menu->Items()->Items(i)->Visible()) return true;
    return false;
}

} // namespace

bool TsSkinProvider::MenuPresent()
{
    if (!Form || Form->BorderStyle() == bsDialog || Form->FormStyle() == fsMDIChild || !Form->Menu()) return false;
    if (AnyVisibleItem(Form->Menu())) return true;
    if (Form->FormStyle() == fsMDIForm)
        if (TCustomForm* child = Form->ActiveMDIChild()) return AnyVisibleItem(child->Menu());
    return false;
}

bool TsSkinProvider::UpdateMenu()
{
    if (fGlobalFlag) return false;
    fGlobalFlag = true;
    bool done = false;
    try {
        if (Form && Form->Menu() && Form->Menu()->Items()->Count() > 0) {
            // An item's change rebuilds the menu bar (and tells the window of it).
            TMenuItem* first = Form->Menu()->Items()->Items(0);
            FCommonData->BeginUpdate();
            const bool enabled = first->Enabled();
            first->SetEnabled(!enabled);
            first->SetEnabled(enabled);
            Form->Menu()->SetBiDiMode(Form->BiDiMode());
            FCommonData->EndUpdate(false);
            done = true;
        }
    } catch (...) {
        fGlobalFlag = false;
        throw;
    }
    fGlobalFlag = false;
    return done;
}

void TsSkinProvider::TryInitMenu()
{
    if (MenusInitialized || !CanDrawNCArea()) return;
    TsSkinManager* manager = ManagerOf(*this);
    if (manager && manager->SkinableMenus() && Form) manager->SkinableMenus()->InitMenuLine(Form->Menu(), CanDrawNCArea());
    MenusInitialized = UpdateMenu();
}

void TsSkinProvider::InitMenuItems(bool Skinned)
{
    TsSkinManager* manager = ManagerOf(*this);
    if (IsDesigning(this) || !Form || !manager || !manager->SkinableMenus() || !manager->IsDefault()) return;
    TsSkinableMenus* menus = manager->SkinableMenus();
    const bool line = Skinned && CanDrawNCArea();
    const bool popups = Skinned && manager->SkinnedPopups();
    std::function<void(TComponent*)> walk = [&](TComponent* owner) {
        for (int i = 0; i < owner->ComponentCount(); ++i) {
            TComponent* c = owner->Components(i);
            if (auto* frame = dynamic_cast<TCustomFrame*>(c)) {
                walk(frame);
            } else if (auto* mainMenu = dynamic_cast<TMainMenu*>(c)) {
                menus->InitMenuLine(mainMenu, line);
                for (int j = 0; j < mainMenu->Items()->Count(); ++j) menus->HookItem(mainMenu->Items()->Items(j), popups);
            } else if (auto* popup = dynamic_cast<TPopupMenu*>(c)) {
                menus->HookPopupMenu(popup, popups);
            } else if (auto* item = dynamic_cast<TMenuItem*>(c)) {
                if (dynamic_cast<TPopupMenu*>(item->GetParentMenu()))
                    menus->HookItem(item, popups);
                else if (dynamic_cast<TMainMenu*>(item->GetParentMenu()))
                    walk(item);
            }
        }
    };
    walk(Form);
}

void TsSkinProvider::RepaintMenu()
{
    if (FCommonData) FCommonData->BGChanged = true;
    MenuChanged = true;
    FLinesCount = -1;
    ProcessMessage(WM_NCPAINT);
}

void TsSkinProvider::RepaintMenuItem(TMenuItem* Item, const TRect& R, TOwnerDrawState State)
{
    if (!Item || !MenuPresent() || !Form->HandleAllocated()) return;
    TMainMenu* menu = Form->Menu();
    const bool ours = menu->FindItem(Item->Command()) == Item ||
                      (Item->Count() > 0 && menu->FindItemByHandle(Item->Handle()) == Item);
    TBitmap* cache = FCommonData ? FCommonData->FCacheBmp.get() : nullptr;
    if (!ours || !cache || !Item->OnAdvancedDrawItem) return;
    Item->OnAdvancedDrawItem(Item, cache->Canvas(), R, State);
    HWND wnd = Form->Handle();
    if (HDC dc = GetWindowDC(wnd)) {
        BitBlt(dc, R.Left, R.Top, R.Width(), R.Height(), cache->Canvas()->Handle(), R.Left, R.Top, SRCCOPY);
        ReleaseDC(wnd, dc);
    }
}

void TsSkinProvider::UpdateIconsIndexes()
{
    if (!Form) return;
    const TFormBorderStyle style = Form->BorderStyle();
    BigButtons = style == bsSingle || style == bsSizeable || style == bsDialog;
    TsSkinManager* manager = ManagerOf(*this);
    const int globalInfo = manager ? manager->SkinCommonInfo.IndexGlobalInfo : -1;
    if (globalInfo >= 0) {
        ButtonMin.cpHitCode = HTMINBUTTON;
        ButtonMax.cpHitCode = HTMAXBUTTON;
        ButtonClose.cpHitCode = HTCLOSE;
    }
    if (BigButtons) {
        ButtonMin.cpGlyphType = tgMin;
        ButtonMax.cpGlyphType = tgMax;
        ButtonHelp.cpGlyphType = tgHelp;
        ButtonClose.cpGlyphType =
            SystemMenu && (SystemMenu->VisibleMax() || SystemMenu->VisibleMin()) ? tgClose : tgCloseAlone;
    } else {
        ButtonMin.cpGlyphType = tgSmallMin;
        ButtonMax.cpGlyphType = tgSmallMax;
        ButtonHelp.cpGlyphType = tgSmallHelp;
        ButtonClose.cpGlyphType = tgSmallClose;
    }
    for (TsCaptionButton* button : {&ButtonMin, &ButtonMax, &ButtonHelp, &ButtonClose}) button->cpHaveAlignment = BigButtons;
    if (Form->FormStyle() == fsMDIForm && manager && !IsDesigning(manager)) {
        MDIMin.cpGlyphType = tgSmallMin;
        MDIMax.cpGlyphType = tgSmallMax;
        MDIClose.cpGlyphType = tgSmallClose;
        MDIMin.cpHaveAlignment = MDIMax.cpHaveAlignment = MDIClose.cpHaveAlignment = false;
    }
    UserBtnIndex = manager && globalInfo >= 0 ? manager->GetMaskIndex(globalInfo, L"TITLEBUTTON") : -1;
}

UnicodeString TsSkinProvider::TitleSkinSection() const { return FTitleSkin.empty() ? UnicodeString(L"FORMTITLE") : FTitleSkin; }

void TsSkinProvider::CheckSysMenu(bool Skinned)
{
    if (!Form || !Form->HandleAllocated()) return;
    HWND wnd = Form->Handle();
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    if (Skinned) {
        // Wine makes a window's system menu only while the window has WS_SYSMENU, and keeps it
        // once made: made now, the skinned menu can always read it.
        if (style & WS_SYSMENU) GetSystemMenu(wnd, FALSE);
        const LONG_PTR wanted = CanDrawNCArea() ? style & ~static_cast<LONG_PTR>(WS_SYSMENU) : style | WS_SYSMENU;
        if (wanted != style) SetWindowLongPtrW(wnd, GWL_STYLE, wanted);
    } else if (Form->BorderIcons().Contains(biSystemMenu)) {
        if (!(style & WS_SYSMENU)) SetWindowLongPtrW(wnd, GWL_STYLE, style | WS_SYSMENU);
        SendMessageW(wnd, WM_SETICON, ICON_BIG, SendMessageW(wnd, WM_GETICON, ICON_BIG, 0));
    }
}

void TsSkinProvider::AC_WMInitMenuPopup(TMessage& Message)
{
    TsSkinManager* manager = ManagerOf(*this);
    if (!manager || !manager->SkinnedPopups()) return PassOn(Message);
    auto* popup = reinterpret_cast<HMENU>(Message.WParam);
    const bool systemMenu = HIWORD(Message.LParam) != 0;
    if (systemMenu) EnableMenuItem(popup, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
    TMenuItem* windowMenu = Form ? Form->WindowMenu() : nullptr;
    if (windowMenu) {
        for (int i = windowMenu->Count() - 1; i >= 0; --i)
            if (windowMenu->Items(i)->Tag() & kChildEntryTag) windowMenu->Delete(i);
    }
    if (Form && Form->FormStyle() == fsMDIForm && Form->MDIChildCount() > 0 && windowMenu && !systemMenu &&
        windowMenu->Handle() == popup) {
        // The entries that the system lists itself give way to the provider's.
        for (int i = GetMenuItemCount(popup) - 1; i >= 0; --i) {
            wchar_t text[2] = {};
            const bool readable = GetMenuStringW(popup, static_cast<UINT>(i), text, 2, MF_BYPOSITION) > 0;
            const UINT state = GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION);
            const bool idlessLine = GetMenuItemID(popup, i) == 0 && (state & MF_SEPARATOR);
            // Separators and owner-drawn items have no text to read; the window menu's own stay.
            const bool textless = !readable && !(state & (MF_SEPARATOR | MF_POPUP | MF_OWNERDRAW));
            if (idlessLine || textless) RemoveMenu(popup, static_cast<UINT>(i), MF_BYPOSITION);
        }
        if (windowMenu->Count() == 0 || !windowMenu->Items(windowMenu->Count() - 1)->IsLine()) {
            auto* line = new TMenuItem(windowMenu->Owner());
            line->SetCaption(L"-");
            line->SetTag(kChildEntryTag);
            windowMenu->Add(line);
        }
        TCustomForm* active = Form->ActiveMDIChild();
        for (int i = 0; i < Form->MDIChildCount(); ++i) {
            TCustomForm* child = Form->MDIChildren(i);
            if (!child->Visible()) continue;
            auto* entry = new TMenuItem(windowMenu->Owner());
            entry->SetCaption(child->Text());
            entry->SetTag(i + kChildEntryTag);
            entry->SetChecked(child == active);
            entry->OnClick = [this](TObject* sender) { OnChildMnuClick(sender); };
            windowMenu->Add(entry);
        }
        Message.Result = 0;
        return;
    }
    PassOn(Message);
}

void TsSkinProvider::OnChildMnuClick(TObject* Sender)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item || !Form) return;
    const intptr_t index = item->Tag() & ~kChildEntryTag;
    if (index >= 0 && index < Form->MDIChildCount()) Form->MDIChildren(static_cast<int>(index))->BringToFront();
}

void TsSkinProvider::DropSysMenu(int X, int Y)
{
    if (!SystemMenu) PrepareForm();
    if (!SystemMenu || !Form || !Form->HandleAllocated()) return;
    TCustomForm* active = Screen ? Screen->ActiveForm() : nullptr;
    if (!active || !active->HandleAllocated() || active->Handle() != Form->Handle()) return;
    HWND wnd = Form->Handle();
    TsSkinManager* manager = ManagerOf(*this);
    if (!manager || !manager->SkinnedPopups()) {
        // The window stays unpainted while its system menu changes.
        const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
        SetWindowLongPtrW(wnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
        if (HMENU menu = GetSystemMenu(wnd, FALSE)) {
            const TsSystemMenu& sm = *SystemMenu;
            const struct {
                UINT command;
                bool on;
            } entries[] = {
                {SC_RESTORE, sm.VisibleRestore() && sm.EnabledRestore()},
                {SC_MOVE, sm.EnabledMove()},
                {SC_SIZE, sm.VisibleSize() && sm.EnabledSize()},
                {SC_MINIMIZE, sm.VisibleMin() && sm.EnabledMin()},
                {SC_MAXIMIZE, sm.VisibleMax() && sm.EnabledMax()},
                {SC_CLOSE, sm.VisibleClose() && sm.EnabledClose()},
            };
            for (const auto& entry : entries)
                EnableMenuItem(menu, entry.command, MF_BYCOMMAND | (entry.on ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
            SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) | WS_VISIBLE);
            const UINT command = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, X, Y, 0, wnd, nullptr));
            if (command) PostMessageW(wnd, WM_SYSCOMMAND, command, 0);
        } else {
            SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) | WS_VISIBLE);
        }
        return;
    }
    SystemMenu->UpdateItems(false);
    if (MakeSkinMenu && SystemMenu->Items()->Count() > 0) {
        if (manager->SkinListController) manager->SkinListController->UpdateIfNeeded();
        for (int i = SystemMenu->Items()->Count() - 1; i >= 0; --i) {
            TMenuItem* item = SystemMenu->Items()->Items(i);
            if (item->Name() == L"SkinSelectItem") {
                // The line after the list goes with it.
                if (i + 1 < SystemMenu->Items()->Count() && SystemMenu->Items()->Items(i + 1)->IsLine())
                    SystemMenu->Items()->Delete(i + 1);
                SystemMenu->Items()->Delete(i);
            }
        }
        SystemMenu->MakeSkinItems();
    }
    manager->SkinableMenus()->HookPopupMenu(SystemMenu.get(), true);
    SystemMenu->SetWindowHandle(wnd);
    SystemMenu->SetBiDiMode(Form->BiDiMode());
    SystemMenu->Popup(X, Y);
    if (SystemMenu) SystemMenu->SetWindowHandle(wnd);
}
