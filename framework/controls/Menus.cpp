#include "Menus.h"

#include "Exceptions.h"
#include "Forms.h"
#include "ImageList.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "FormReader.h"

#include <algorithm>
#include <unordered_set>

namespace {

// Every live item: item data arriving in a menu message is only used when it names one.
std::unordered_set<const TMenuItem*>& LiveItems()
{
    static std::unordered_set<const TMenuItem*> items;
    return items;
}

TPopupMenu* activePopup = nullptr;

// Command identifiers of menu items; 0 and the dialog identifiers (IDOK ... ) stay unused.
UINT nextCommand = 100;

UINT NewCommand()
{
    if (nextCommand >= 0xF000) nextCommand = 100; // system-command range stays free
    return nextCommand++;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NewCommand()) { LiveItems().insert(this); }

TMenuItem::~TMenuItem()
{
    LiveItems().erase(this);
    while (!items_.empty()) delete items_.back();
    if (parent_) parent_->Remove(this);
    ReleaseHandle();
}

void TMenuItem::ReleaseHandle()
{
    if (!handle_) return;
    // The sub-items' menus belong to them: detach them so DestroyMenu leaves them alone.
    while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
    DestroyMenu(handle_);
    handle_ = nullptr;
}

void TMenuItem::SetCaption(const UnicodeString& value)
{
    if (value == caption_) return;
    caption_ = value;
    Changed();
}

void TMenuItem::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    Changed();
}

void TMenuItem::SetEnabled(bool value)
{
    if (value == enabled_) return;
    enabled_ = value;
    Changed();
}

void TMenuItem::SetBreak(TMenuBreak value)
{
    if (value == break_) return;
    break_ = value;
    Changed();
}

void TMenuItem::SetChecked(bool value)
{
    if (value == checked_) return;
    checked_ = value;
    Changed();
}

void TMenuItem::SetRadioItem(bool value)
{
    if (value == radioItem_) return;
    radioItem_ = value;
    Changed();
}

void TMenuItem::SetDefault(bool value)
{
    if (value == default_) return;
    default_ = value;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut value)
{
    if (value == shortCut_) return;
    shortCut_ = value;
    Changed();
}

void TMenuItem::SetImageIndex(int value)
{
    if (value == imageIndex_) return;
    imageIndex_ = value;
    Changed();
}

TBitmap* TMenuItem::Bitmap()
{
    if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
    return bitmap_.get();
}

TMenuItem* TMenuItem::FromItemData(ULONG_PTR data)
{
    auto* item = reinterpret_cast<TMenuItem*>(data);
    return LiveItems().count(item) ? item : nullptr;
}

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height)
{
    if (IsLine()) {
        width = 10;
        height = GetSystemMetrics(SM_CYMENU) / 2;
    } else {
        canvas->SetFont(Screen ? Screen->MenuFont() : nullptr);
        UnicodeString text = caption_;
        if (shortCut_) text += L"\t" + ShortCutToText(shortCut_);
        TRect r(0, 0, 0, 0);
        canvas->TextRect(r, text, TTextFormat{tfCalcRect, tfExpandTabs, tfSingleLine});
        width = static_cast<int>(r.Width()) + GetSystemMetrics(SM_CXMENUCHECK) * 2;
        height = std::max<int>(r.Height() + 4, GetSystemMetrics(SM_CYMENU));
    }
    if (OnMeasureItem) OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::AdvancedDrawItem(TCanvas* canvas, const TRect& rect, TOwnerDrawState state)
{
    if (OnAdvancedDrawItem) {
        OnAdvancedDrawItem(this, canvas, rect, state);
        return;
    }
    if (OnDrawItem) {
        OnDrawItem(this, canvas, rect, state.Contains(odSelected));
        return;
    }
    const bool selected = state.Contains(odSelected);
    canvas->Brush()->SetColor(selected ? clHighlight : clMenu);
    canvas->FillRect(rect);
    if (IsLine()) {
        const int y = (rect.Top + rect.Bottom) / 2;
        canvas->Pen()->SetColor(clBtnShadow);
        canvas->MoveTo(rect.Left, y);
        canvas->LineTo(rect.Right, y);
        return;
    }
    canvas->Font()->Assign(Screen ? Screen->MenuFont() : nullptr);
    canvas->Font()->SetColor(!enabled_ ? clGrayText : selected ? clHighlightText : clMenuText);
    canvas->Brush()->SetStyle(bsClear);
    TRect r = rect;
    r.Left += GetSystemMetrics(SM_CXMENUCHECK);
    canvas->TextRect(r, caption_, TTextFormat{tfSingleLine, tfVerticalCenter});
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count()) throw EListError(L"Menu index out of bounds");
    return items_[static_cast<size_t>(index)];
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item) return;
    if (index < 0 || index > Count()) throw EListError(L"Menu index out of bounds");
    for (const TMenuItem* p = this; p; p = p->parent_)
        if (p == item) throw EMenuError(L"A menu item cannot hold itself");
    if (item->parent_) item->parent_->Remove(item);
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    const bool hadHandle = handle_ != nullptr;
    Rebuild();
    // The first sub-item turns a plain entry into a drop-down.
    if (!hadHandle && handle_) Changed();
}

void TMenuItem::Remove(TMenuItem* item)
{
    const int index = IndexOf(item);
    if (index < 0) return;
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
    Rebuild();
}

void TMenuItem::Delete(int index) { delete Items(index); }

void TMenuItem::Clear()
{
    while (!items_.empty()) delete items_.back();
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* root = this;
    while (root->parent_) root = root->parent_;
    return root->menu_;
}

HMENU TMenuItem::Handle()
{
    if (!handle_ && (menu_ || !items_.empty())) {
        handle_ = menu_ && menu_->IsBar() ? CreateMenu() : CreatePopupMenu();
        Rebuild();
    }
    return handle_;
}

TMenuItem* TMenuItem::Find(UINT command)
{
    if (command_ == command) return this;
    for (TMenuItem* item : items_)
        if (TMenuItem* found = item->Find(command)) return found;
    return nullptr;
}

void TMenuItem::Click()
{
    if (enabled_ && OnClick) OnClick(this);
}

void TMenuItem::SetParentComponent(TComponent* value)
{
    if (auto* menu = dynamic_cast<TMenu*>(value))
        menu->Items()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(value))
        item->Add(this);
}

void TMenuItem::Changed()
{
    if (parent_) parent_->Rebuild();
}

void TMenuItem::Rebuild()
{
    if (!handle_) {
        // An item that gets sub-items is given its menu when its parent's menu exists.
        if (items_.empty() || !parent_ || !parent_->handle_) return;
        Handle();
        return;
    }
    while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
    TMenu* owner = GetParentMenu();
    const bool ownerDraw = owner && owner->OwnerDraw();
    for (TMenuItem* item : items_) {
        if (!item->visible_) continue;
        UINT flags = item->enabled_ ? MF_ENABLED : MF_GRAYED;
        if (item->break_ == mbBreak) flags |= MF_MENUBREAK;
        if (item->break_ == mbBarBreak) flags |= MF_MENUBARBREAK;
        if (item->checked_) flags |= MF_CHECKED;
        if (ownerDraw) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
            info.fType = MFT_OWNERDRAW;
            if (item->break_ == mbBreak) info.fType |= MFT_MENUBREAK;
            if (item->break_ == mbBarBreak) info.fType |= MFT_MENUBARBREAK;
            if (item->radioItem_) info.fType |= MFT_RADIOCHECK;
            if (item->IsLine()) info.fType |= MFT_SEPARATOR;
            info.fState = (item->enabled_ ? MFS_ENABLED : MFS_GRAYED) | (item->checked_ ? MFS_CHECKED : 0u) |
                          (item->default_ ? MFS_DEFAULT : 0u);
            info.wID = item->command_;
            info.dwItemData = reinterpret_cast<ULONG_PTR>(item);
            info.hSubMenu = item->IsLine() ? nullptr : item->Handle();
            info.dwTypeData = const_cast<wchar_t*>(item->caption_.c_str());
            InsertMenuItemW(handle_, static_cast<UINT>(GetMenuItemCount(handle_)), TRUE, &info);
        } else if (item->IsLine()) {
            AppendMenuW(handle_, flags | MF_SEPARATOR, 0, nullptr);
        } else if (HMENU sub = item->Handle()) {
            AppendMenuW(handle_, flags | MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item->caption_.c_str());
        } else {
            AppendMenuW(handle_, flags | MF_STRING, item->command_, item->caption_.c_str());
        }
    }
    if (TMenu* menu = GetParentMenu()) menu->MenuChanged();
}

// ---------------------------------------------------------------------------------------------
// TMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr))
{
    items_->menu_ = this;
}

TMenu::~TMenu() { delete items_; }

TMenuItem* TMenu::FindItem(UINT command)
{
    TMenuItem* item = items_->Find(command);
    return item == items_ ? nullptr : item;
}

namespace {
TMenuItem* FindByHandle(TMenuItem* item, HMENU handle)
{
    if (!handle) return nullptr;
    for (int i = 0; i < item->Count(); ++i) {
        TMenuItem* sub = item->Items(i);
        if (sub->Count() > 0 && sub->Handle() == handle) return sub;
        if (TMenuItem* found = FindByHandle(sub, handle)) return found;
    }
    return nullptr;
}
} // namespace

TMenuItem* TMenu::FindItemByHandle(HMENU handle) { return FindByHandle(items_, handle); }

void TMenu::SetOwnerDraw(bool value)
{
    if (value == ownerDraw_) return;
    ownerDraw_ = value;
    // Every Windows menu of the tree is entered again with the new item type.
    std::vector<TMenuItem*> pending{items_};
    while (!pending.empty()) {
        TMenuItem* item = pending.back();
        pending.pop_back();
        if (item->handle_) item->Rebuild();
        for (TMenuItem* sub : item->items_) pending.push_back(sub);
    }
}

bool TMenu::DispatchCommand(UINT command)
{
    TMenuItem* item = items_->Find(command);
    if (!item || item == items_) return false;
    item->Click();
    return true;
}

TMainMenu::~TMainMenu()
{
    HMENU bar = HandleIfMade();
    if (bar && window_ && IsWindow(window_) && GetMenu(window_) == bar) SetMenu(window_, nullptr);
}

void TMainMenu::MenuChanged()
{
    if (window_ && IsWindow(window_)) DrawMenuBar(window_);
}

// ---------------------------------------------------------------------------------------------
// TPopupMenu

TPopupMenu::~TPopupMenu()
{
    if (activePopup == this) activePopup = nullptr;
}

TPopupMenu* TPopupMenu::ActivePopup() { return activePopup; }

HWND TPopupMenu::WindowHandle() const { return Application ? Application->Handle() : nullptr; }

void TPopupMenu::Popup(int x, int y)
{
    if (OnPopup) OnPopup(this);
    HMENU menu = Handle();
    UINT flags = TPM_LEFTBUTTON | TPM_RIGHTBUTTON | TPM_RETURNCMD;
    flags |= IsRightToLeft() ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    if (menuAnimation_.Contains(maNone)) flags |= TPM_NOANIMATION;
    if (menuAnimation_.Contains(maLeftToRight)) flags |= TPM_HORPOSANIMATION;
    if (menuAnimation_.Contains(maRightToLeft)) flags |= TPM_HORNEGANIMATION;
    if (menuAnimation_.Contains(maTopToBottom)) flags |= TPM_VERPOSANIMATION;
    if (menuAnimation_.Contains(maBottomToTop)) flags |= TPM_VERNEGANIMATION;
    TPopupMenu* previous = activePopup;
    activePopup = this;
    const UINT command = static_cast<UINT>(TrackPopupMenu(menu, flags, x, y, 0, WindowHandle(), nullptr));
    // The menu may have been freed by a handler while it was shown.
    const bool alive = activePopup == this;
    activePopup = previous;
    if (alive && command) DispatchCommand(command);
}

// ---------------------------------------------------------------------------------------------
// Owner drawing

TOwnerDrawState OwnerDrawStateFromOds(UINT itemState)
{
    static constexpr std::pair<UINT, TOwnerDrawStateItem> map[] = {
        {ODS_SELECTED, odSelected}, {ODS_GRAYED, odGrayed},     {ODS_DISABLED, odDisabled},
        {ODS_CHECKED, odChecked},   {ODS_FOCUS, odFocused},     {ODS_DEFAULT, odDefault},
        {ODS_HOTLIGHT, odHotLight}, {ODS_INACTIVE, odInactive}, {ODS_NOACCEL, odNoAccel},
        {ODS_NOFOCUSRECT, odNoFocusRect}};
    TOwnerDrawState state;
    for (const auto& [bit, element] : map)
        if (itemState & bit) state.Include(element);
    return state;
}

bool DispatchMenuOwnerDraw(TMessage& message)
{
    if (message.Msg == WM_MEASUREITEM) {
        auto* data = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        if (!data || data->CtlType != ODT_MENU) return false;
        TMenuItem* item = TMenuItem::FromItemData(data->itemData);
        if (!item) return false;
        HDC dc = GetDC(nullptr);
        {
            TCanvas canvas;
            TCanvasDCScope scope(canvas, dc);
            int width = static_cast<int>(data->itemWidth);
            int height = static_cast<int>(data->itemHeight);
            item->MeasureItem(&canvas, width, height);
            data->itemWidth = static_cast<UINT>(std::max(width, 0));
            data->itemHeight = static_cast<UINT>(std::max(height, 0));
        }
        ReleaseDC(nullptr, dc);
        message.Result = 1;
        return true;
    }
    if (message.Msg == WM_DRAWITEM) {
        auto* data = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
        if (!data || data->CtlType != ODT_MENU) return false;
        TMenuItem* item = TMenuItem::FromItemData(data->itemData);
        if (!item) return false;
        const int saved = SaveDC(data->hDC);
        {
            TCanvas canvas;
            TCanvasDCScope scope(canvas, data->hDC);
            const RECT& r = data->rcItem;
            item->AdvancedDrawItem(&canvas, TRect(r.left, r.top, r.right, r.bottom),
                                   OwnerDrawStateFromOds(data->itemState));
        }
        RestoreDC(data->hDC, saved);
        message.Result = 1;
        return true;
    }
    return false;
}

UnicodeString ShortCutToText(TShortCut shortCut)
{
    const WORD key = shortCut & 0xFF;
    if (!key) return UnicodeString();
    UnicodeString name;
    static constexpr std::pair<WORD, const wchar_t*> names[] = {
        {VK_BACK, L"BkSp"}, {VK_TAB, L"Tab"},     {VK_RETURN, L"Enter"}, {VK_ESCAPE, L"Esc"}, {VK_SPACE, L"Space"},
        {VK_PRIOR, L"PgUp"}, {VK_NEXT, L"PgDn"},  {VK_END, L"End"},      {VK_HOME, L"Home"},  {VK_LEFT, L"Left"},
        {VK_UP, L"Up"},      {VK_RIGHT, L"Right"}, {VK_DOWN, L"Down"},   {VK_INSERT, L"Ins"}, {VK_DELETE, L"Del"}};
    for (const auto& [vk, text] : names)
        if (vk == key) name = text;
    if (name.empty()) {
        if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
            name = UnicodeString(1, static_cast<wchar_t>(key));
        else if (key >= VK_F1 && key <= VK_F24)
            name = L"F" + IntToStr(key - VK_F1 + 1);
        else
            return UnicodeString();
    }
    UnicodeString text;
    if (shortCut & scShift) text += L"Shift+";
    if (shortCut & scCtrl) text += L"Ctrl+";
    if (shortCut & scAlt) text += L"Alt+";
    return text + name;
}

// ---------------------------------------------------------------------------------------------
// Published properties

void RegisterMenusClasses()
{
    static bool done = false;
    if (done) return;
    done = true;

    static const TEnumTypeInfo breakInfo{{L"mbNone", L"mbBreak", L"mbBarBreak"}, 0};
    const UnicodeString i = L"TMenuItem";
    RegisterPublishedClass(i, L"TComponent");
    RegisterPublishedProperty(i, StrProp(L"Caption", &TMenuItem::Caption, &TMenuItem::SetCaption, UnicodeString()));
    RegisterPublishedProperty(i, OrdProp(L"Visible", pkBool, &TMenuItem::Visible, &TMenuItem::SetVisible, int64_t{1}));
    RegisterPublishedProperty(i, OrdProp(L"Enabled", pkBool, &TMenuItem::Enabled, &TMenuItem::SetEnabled, int64_t{1}));
    RegisterPublishedProperty(i, OrdProp(L"Break", pkEnum, &TMenuItem::Break, &TMenuItem::SetBreak, int64_t{mbNone},
                                         &breakInfo));
    RegisterPublishedProperty(i, OrdProp(L"Checked", pkBool, &TMenuItem::Checked, &TMenuItem::SetChecked, int64_t{0}));
    RegisterPublishedProperty(i, OrdProp(L"RadioItem", pkBool, &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, int64_t{0}));
    RegisterPublishedProperty(i, OrdProp(L"Default", pkBool, &TMenuItem::Default, &TMenuItem::SetDefault, int64_t{0}));
    RegisterPublishedProperty(i, OrdProp(L"ShortCut", pkInteger, &TMenuItem::ShortCut, &TMenuItem::SetShortCut, int64_t{0}));
    RegisterPublishedProperty(i, OrdProp(L"ImageIndex", pkInteger, &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex, int64_t{-1}));
    RegisterPublishedProperty(i, EventProp(L"OnClick", &TMenuItem::OnClick));
    RegisterComponentClass<TMenuItem>(i);

    RegisterPublishedClass(L"TMenu", L"TComponent");
    RegisterPublishedProperty(L"TMenu", OrdProp(L"OwnerDraw", pkBool, &TMenu::OwnerDraw, &TMenu::SetOwnerDraw, int64_t{0}));
    RegisterPublishedClass(L"TMainMenu", L"TMenu");
    RegisterComponentClass<TMainMenu>(L"TMainMenu");
    RegisterPublishedClass(L"TPopupMenu", L"TMenu");
    RegisterComponentClass<TPopupMenu>(L"TPopupMenu");
}

TShortCut ShortCut(WORD key, TShiftState shift)
{
    if (key > 0xFF) return 0;
    TShortCut result = key;
    if (shift.Contains(ssShift)) result |= 0x2000;
    if (shift.Contains(ssCtrl)) result |= 0x4000;
    if (shift.Contains(ssAlt)) result |= 0x8000;
    return result;
}
