#include "Menus.h"

#include "Exceptions.h"
#include "TypInfo.h"
#include "FormReader.h"

#include <algorithm>

namespace {

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

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NewCommand()) {}

TMenuItem::~TMenuItem()
{
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
    for (TMenuItem* item : items_) {
        if (!item->visible_) continue;
        UINT flags = item->enabled_ ? MF_ENABLED : MF_GRAYED;
        if (item->break_ == mbBreak) flags |= MF_MENUBREAK;
        if (item->break_ == mbBarBreak) flags |= MF_MENUBARBREAK;
        if (item->IsLine()) {
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
    RegisterPublishedProperty(i, EventProp(L"OnClick", &TMenuItem::OnClick));
    RegisterComponentClass<TMenuItem>(i);

    RegisterPublishedClass(L"TMenu", L"TComponent");
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
