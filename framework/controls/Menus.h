#pragma once
// Menus: menu items in a tree, the main menu a form shows as its menu bar, and the pop-up menu
// a control names as its context menu.
//
// Every item that has sub-items owns one Windows menu (its Handle) holding them; a main menu's
// root item owns a menu bar (CreateMenu), every other one a drop-down (CreatePopupMenu). A
// change of an item (caption, Visible, Enabled, Break, sub-items) rebuilds its parent's Windows
// menu and redraws the bar of the window that shows the main menu. A click on an item arrives as
// WM_COMMAND at the form, which runs the item's OnClick through its menu's DispatchCommand.
//
// An owner-drawn menu (OwnerDraw) enters its items as MFT_OWNERDRAW with the item as item data;
// WM_MEASUREITEM and WM_DRAWITEM reaching the owner window (the form for a main menu, the
// application window for a pop-up) are handed to the item's handlers by DispatchMenuOwnerDraw.
#include "Components.h"
#include "Controls.h"
#include "Exceptions.h"
#include "Graphics.h"
#include "Sets.h"
#include "Strings.h"
#include "Types.h"

#include <windows.h>

#include <memory>
#include <vector>

class TMenu;
class TCustomImageList;

enum TOwnerDrawStateItem {
    odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive, odNoAccel,
    odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
// The ODS_* bits of a DRAWITEMSTRUCT as a state set.
TOwnerDrawState OwnerDrawStateFromOds(UINT itemState);

enum TMenuAnimations { maLeftToRight, maRightToLeft, maTopToBottom, maBottomToTop, maNone };
using TMenuAnimation = TSet<TMenuAnimations>;

// A key with its modifiers: virtual-key code in the low byte, scShift/scCtrl/scAlt above.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
// "Ctrl+S", "Shift+F2", "Del" ...; empty for 0.
UnicodeString ShortCutToText(TShortCut shortCut);
// The key with its shift keys (Alt+Down is 0x8028); 0 for a key code that needs more than a byte.
TShortCut ShortCut(WORD key, TShiftState shift);

// A menu event bound to a method of an object. Two handlers are equal when they name the same
// object and method, so code that assigned a handler can tell it from an application's own.
template <class... Args>
class TMenuEvent {
public:
    using Member = void (TObject::*)(Args...);

    TMenuEvent() = default;
    template <class T>
    TMenuEvent(T* object, void (T::*method)(Args...)) : object_(object), method_(static_cast<Member>(method))
    {
    }

    void operator()(Args... args) const { (object_->*method_)(args...); }
    explicit operator bool() const { return object_ != nullptr && method_ != nullptr; }
    TObject* Object() const { return object_; }

    friend bool operator==(const TMenuEvent& a, const TMenuEvent& b)
    {
        return a.object_ == b.object_ && a.method_ == b.method_;
    }

private:
    TObject* object_ = nullptr;
    Member method_ = nullptr;
};

// OnMeasureItem (Sender, ACanvas, Width, Height), OnAdvancedDrawItem (Sender, ACanvas, ARect,
// State), OnDrawItem (Sender, ACanvas, ARect, Selected).
using TMenuMeasureItemEvent = TMenuEvent<TObject*, TCanvas*, int&, int&>;
using TAdvancedMenuDrawItemEvent = TMenuEvent<TObject*, TCanvas*, TRect, TOwnerDrawState>;
using TMenuDrawItemEvent = TMenuEvent<TObject*, TCanvas*, TRect, bool>;

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
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool value);
    bool Default() const { return default_; }
    void SetDefault(bool value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    // The item's own glyph, made empty on first use and owned by the item.
    TBitmap* Bitmap();
    bool HasBitmap() const { return bitmap_ != nullptr && !bitmap_->Empty(); }
    // Images of the sub-items (instead of the menu's Images), or null.
    TCustomImageList* SubMenuImages() const { return subMenuImages_; }
    void SetSubMenuImages(TCustomImageList* value) { subMenuImages_ = value; }

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
    TMenuMeasureItemEvent OnMeasureItem;
    TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
    TMenuDrawItemEvent OnDrawItem;

    // What the owner window's WM_MEASUREITEM and WM_DRAWITEM do for the item: OnMeasureItem
    // (after a default size from the menu font), else the default size; OnAdvancedDrawItem,
    // else OnDrawItem, else the caption on the menu colours.
    void MeasureItem(TCanvas* canvas, int& width, int& height);
    void AdvancedDrawItem(TCanvas* canvas, const TRect& rect, TOwnerDrawState state);
    // The live item at that address, or null (item data of a menu message is not trusted).
    static TMenuItem* FromItemData(ULONG_PTR data);

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
    bool checked_ = false;
    bool radioItem_ = false;
    bool default_ = false;
    TShortCut shortCut_ = 0;
    int imageIndex_ = -1;
    std::unique_ptr<TBitmap> bitmap_;
    TCustomImageList* subMenuImages_ = nullptr;
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
    // The item with that command identifier (or, with a sub-menu handle, the item owning it),
    // or null.
    TMenuItem* FindItem(UINT command);
    TMenuItem* FindItemByHandle(HMENU handle);

    // Items are entered owner-drawn: their WM_MEASUREITEM/WM_DRAWITEM reach the item handlers.
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool value);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value) { images_ = value; }
    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode value) { biDiMode_ = value; }
    bool IsRightToLeft() const { return biDiMode_ != bdLeftToRight; }
    // The window that receives the menu's messages (the form of a main menu, the application
    // window of a pop-up), or null.
    virtual HWND WindowHandle() const { return nullptr; }

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
    bool ownerDraw_ = false;
    TCustomImageList* images_ = nullptr;
    TBiDiMode biDiMode_ = bdLeftToRight;
};

// The menu a form shows as its menu bar (the form's Menu).
class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
    // Takes the bar off its window first, so the window never keeps a destroyed menu.
    ~TMainMenu() override;
    UnicodeString ClassName() const override { return L"TMainMenu"; }

    // The window that shows the bar (set by the form), or null.
    HWND WindowHandle() const override { return window_; }
    void SetWindowHandle(HWND value) { window_ = value; }

protected:
    void MenuChanged() override;
    bool IsBar() const override { return true; }

private:
    HWND window_ = nullptr;
};

// The pop-up menu a control names as its context menu. Popup tracks it modally with the
// application window as owner; while it runs it is the application's active pop-up.
class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}
    ~TPopupMenu() override;
    UnicodeString ClassName() const override { return L"TPopupMenu"; }

    // Shows the menu at (x, y) on the screen and returns when it closes, after running the
    // chosen item's OnClick.
    virtual void Popup(int x, int y);
    TMenuAnimation MenuAnimation() const { return menuAnimation_; }
    void SetMenuAnimation(TMenuAnimation value) { menuAnimation_ = value; }
    HWND WindowHandle() const override;
    TNotifyEvent OnPopup;

    // The menu whose Popup runs, or null.
    static TPopupMenu* ActivePopup();

private:
    TMenuAnimation menuAnimation_;
};

// Hands WM_MEASUREITEM and WM_DRAWITEM of a menu item to the item; false for other messages.
bool DispatchMenuOwnerDraw(TMessage& message);

// Registers the menu classes with the form reader.
void RegisterMenusClasses();
