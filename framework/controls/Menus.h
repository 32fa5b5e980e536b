#pragma once
// Menus: menu items in a tree, the main menu a form shows as its menu bar, and the pop-up menu
// a control names as its context menu.
//
// Every item that has sub-items owns one Windows menu (its Handle) holding them; a main menu's
// root item owns a menu bar (CreateMenu), every other one a drop-down (CreatePopupMenu). A
// change of an item (caption, Visible, Enabled, Break, sub-items) rebuilds its parent's Windows
// menu and redraws the bar of the window that shows the main menu. A click on an item arrives as
// WM_COMMAND at the form, which runs the item's OnClick through its menu's DispatchCommand.
#include "Components.h"
#include "Controls.h"
#include "Exceptions.h"
#include "Strings.h"

#include <windows.h>

#include <vector>

class TMenu;

FW_DECLARE_EXCEPTION(EMenuError, Exception);

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    // Frees the sub-items and leaves the parent item.
    ~TMenuItem() override;
    UnicodeString ClassName() const override { return L"TMenuItem"; }

    const UnicodeString& Caption() const { return caption_; }
    void SetCaption(const UnicodeString& value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    TMenuBreak Break() const { return break_; }
    void SetBreak(TMenuBreak value);
    bool IsLine() const { return caption_ == L"-"; }

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const; // EListError outside 0..Count-1
    TMenuItem* Parent() const { return parent_; }
    int IndexOf(const TMenuItem* item) const;
    int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
    void Add(TMenuItem* item);             // takes the item from a previous parent
    void Insert(int index, TMenuItem* item); // 0..Count
    void Remove(TMenuItem* item);          // the item stays alive
    void Delete(int index);                // frees the item
    void Clear();                          // frees every sub-item

    // The menu the item tree belongs to, or null.
    TMenu* GetParentMenu() const;
    // The Windows menu of the sub-items (made on first use, kept up to date); null for an item
    // without sub-items that is no menu's root.
    HMENU Handle();
    // The command identifier of the item in WM_COMMAND.
    UINT Command() const { return command_; }
    // The item whose command identifier is command, in this tree (this one included), or null.
    TMenuItem* Find(UINT command);

    // Runs OnClick.
    virtual void Click();
    TNotifyEvent OnClick;

    // The form reader puts an item into the menu or item that encloses it.
    void SetParentComponent(TComponent* value) override;

private:
    friend class TMenu;
    // The item's own entry changed: the parent's Windows menu and the menu bar follow.
    void Changed();
    void Rebuild();
    void ReleaseHandle();

    UnicodeString caption_;
    bool visible_ = true;
    bool enabled_ = true;
    TMenuBreak break_ = mbNone;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr; // set on a menu's root item
    HMENU handle_ = nullptr;
    UINT command_ = 0;
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    UnicodeString ClassName() const override { return L"TMenu"; }

    // The root item: its sub-items are the menu's items.
    TMenuItem* Items() const { return items_; }
    HMENU Handle() { return items_->Handle(); }
    // Runs the OnClick of the item with that command identifier; false when there is none.
    bool DispatchCommand(UINT command);

protected:
    friend class TMenuItem;
    // The menu's Windows menu changed (a main menu redraws its window's bar).
    virtual void MenuChanged() {}
    // A main menu's root is a menu bar, every other menu's a drop-down.
    virtual bool IsBar() const { return false; }
    // The root's Windows menu when made, else null.
    HMENU HandleIfMade() const { return items_->handle_; }

private:
    TMenuItem* items_;
};

// The menu a form shows as its menu bar (the form's Menu).
class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
    // Takes the bar off its window first, so the window never keeps a destroyed menu.
    ~TMainMenu() override;
    UnicodeString ClassName() const override { return L"TMainMenu"; }

    // The window that shows the bar (set by the form), or null.
    HWND WindowHandle() const { return window_; }
    void SetWindowHandle(HWND value) { window_ = value; }

protected:
    void MenuChanged() override;
    bool IsBar() const override { return true; }

private:
    HWND window_ = nullptr;
};

// The pop-up menu a control names as its context menu. It is not shown yet; code hooking a
// control's context menu finds it.
class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}
    UnicodeString ClassName() const override { return L"TPopupMenu"; }
};

// A key with its shift keys in one 16-bit value: the key code in the low byte, Shift 0x2000,
// Ctrl 0x4000, Alt 0x8000 (Alt+Down is 0x8028); 0 for a key code that needs more than a byte.
using TShortCut = WORD;
TShortCut ShortCut(WORD key, TShiftState shift);

// Registers the menu classes with the form reader.
void RegisterMenusClasses();
