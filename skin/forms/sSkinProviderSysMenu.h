#pragma once
// The skinned system menu of a skinned form: a pop-up menu of the library that mirrors the
// window's own system menu (its captions, the application's extra commands), can carry an
// application sub-menu and a list of skins to switch to, and answers which title buttons the
// frame shows and which of them work.
#include "Components.h"
#include "Menus.h"

#include <windows.h>

class TForm;
class TsSkinProvider;

// A system menu of the library: the six queries decide which title buttons a window shows and
// which of them work; forms and foreign dialogs answer them each in their own way.
class TsCustomSysMenu : public TPopupMenu {
public:
    explicit TsCustomSysMenu(TComponent* AOwner) : TPopupMenu(AOwner) {}
    UnicodeString ClassName() const override { return L"TsCustomSysMenu"; }

    virtual bool VisibleClose() const = 0;
    virtual bool VisibleMax() const = 0;
    virtual bool VisibleMin() const = 0;
    virtual bool EnabledMax() const = 0;
    virtual bool EnabledMin() const = 0;
    virtual bool EnabledRestore() const = 0;
};

enum TacMenuItemPos { ipTop, ipBottom, ipBeforeClose };

// The application's sub-menu of the skinned system menu: the items of PopupMenu, copied under
// an item Caption at Position.
class TacSysSubMenu : public TPersistent {
public:
    TacSysSubMenu() = default;
    UnicodeString ClassName() const override { return L"TacSysSubMenu"; }

    UnicodeString Caption;
    TacMenuItemPos Position = ipBeforeClose;
    TPopupMenu* PopupMenu = nullptr;
};

// The system menu of a form of a skin provider.
class TsSystemMenu : public TsCustomSysMenu {
public:
    // Owned by the provider; generated at once from the form's window system menu.
    explicit TsSystemMenu(TsSkinProvider* AOwner);
    UnicodeString ClassName() const override { return L"TsSystemMenu"; }

    // Rebuilds the items from the window's system menu.
    void Generate();
    // Regenerates when Full or never generated, then gives each standard entry its visibility
    // and enabling.
    void UpdateItems(bool Full = false);
    // Puts the list of the manager's skins at the top.
    void MakeSkinItems();
    void UpdateGlyphs() {}

    bool VisibleClose() const override;
    bool VisibleMax() const override;
    bool VisibleMin() const override;
    bool EnabledMax() const override;
    bool EnabledMin() const override;
    bool EnabledRestore() const override;
    bool EnabledClose() const;
    bool EnabledMove() const;
    bool EnabledSize() const;
    bool VisibleRestore() const;
    bool VisibleSize() const;

    void RestoreClick(TObject* Sender);
    void MoveClick(TObject* Sender);
    void SizeClick(TObject* Sender);
    void MinClick(TObject* Sender);
    void MaxClick(TObject* Sender);
    void CloseClick(TObject* Sender);
    void ExtClick(TObject* Sender);
    void SkinSelect(TObject* Sender);

    // The window that owns the menu while it shows (the form's), else the application's.
    HWND WindowHandle() const override;
    void SetWindowHandle(HWND Value) { FWindowHandle = Value; }

    TMenuItem* SubMenu = nullptr;
    TMenuItem* ItemMove = nullptr;
    TMenuItem* ItemSize = nullptr;
    TMenuItem* ItemClose = nullptr; // null: never generated
    TMenuItem* ItemRestore = nullptr;
    TMenuItem* ItemMinimize = nullptr;
    TMenuItem* ItemMaximize = nullptr;
    int ExtItemsCount = 0;
    TsSkinProvider* FOwner;
    TForm* FForm;

private:
    // The form's window as it is now (a style change makes a new one), or null.
    HWND FormWnd() const;
    TMenuItem* AddItem(const UnicodeString& Caption, const UnicodeString& Name);
    TMenuItem* AddStdItem(HMENU Menu, UINT Command, const UnicodeString& Name, const UnicodeString& Fallback,
                          void (TsSystemMenu::*Handler)(TObject*));
    void AddSubMenu(TacMenuItemPos Position);
    void SendCommand(WPARAM Command);

    HWND FWindowHandle = nullptr;
};
