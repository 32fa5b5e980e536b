// The skinned system menu of a form: its items mirror the window's system menu, and its rules
// decide which title buttons the frame shows and which of them work.
#include "sSkinProviderSysMenu.h"

#include "Forms.h"
#include "StringList.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sSkinProviderInternal.h"

#include <algorithm>
#include <array>
#include <string>

using namespace provider_detail;

namespace {

// Commands the system itself puts into a system menu; the others are the application's.
constexpr UINT kFirstSysCommand = 0xF000;
constexpr UINT kLastSysCommand = 0xF1FF;

UnicodeString OrDefault(const UnicodeString& caption, const wchar_t* fallback)
{
    return caption.empty() ? UnicodeString(fallback) : caption;
}

// Names the menu after the tick count, one higher than the last name when the tick has not
// moved on, so that no two menus share a name.
UnicodeString NewMenuName()
{
    static DWORD last = 0;
    static bool any = false;
    DWORD stamp = GetTickCount();
    if (any && stamp - last - 1 >= 0x80000000u) stamp = last + 1; // not after the last one
    last = stamp;
    any = true;
    return L"acSysMenu" + std::to_wstring(stamp);
}

UnicodeString MenuText(HMENU menu, UINT item, UINT flags)
{
    std::array<wchar_t, 256> buffer{};
    const int length = GetMenuStringW(menu, item, buffer.data(), 255, flags);
    if (length <= 0) return {};
    return UnicodeString(buffer.data(), static_cast<size_t>(std::min(length, 255)));
}

// The item with its sub-items, owned by owner: caption, shortcut, check, enabling, handler,
// image and a name of its own.
TMenuItem* CopyMenuItem(const TMenuItem* source, TComponent* owner)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(source->Caption());
    item->SetShortCut(source->ShortCut());
    item->SetChecked(source->Checked());
    item->SetEnabled(source->Enabled());
    item->OnClick = source->OnClick;
    item->SetImageIndex(source->ImageIndex());
    // An unnamed item stays unnamed: two copies named "Copy" could not live in one menu.
    if (!source->Name().empty()) item->SetName(source->Name() + L"Copy");
    for (int i = 0; i < source->Count(); ++i) item->Add(CopyMenuItem(source->Items(i), owner));
    return item;
}

} // namespace

TsSystemMenu::TsSystemMenu(TsSkinProvider* AOwner)
    : TsCustomSysMenu(AOwner), FOwner(AOwner), FForm(AOwner ? AOwner->Form : nullptr)
{
    SetName(NewMenuName());
    Generate();
}

HWND TsSystemMenu::FormWnd() const { return FForm && FForm->HandleAllocated() ? FForm->Handle() : nullptr; }

HWND TsSystemMenu::WindowHandle() const { return FWindowHandle ? FWindowHandle : TsCustomSysMenu::WindowHandle(); }

TMenuItem* TsSystemMenu::AddItem(const UnicodeString& Caption, const UnicodeString& Name)
{
    auto* item = new TMenuItem(this);
    item->SetCaption(Caption);
    if (!Name.empty()) item->SetName(Name);
    Items()->Add(item);
    return item;
}

TMenuItem* TsSystemMenu::AddStdItem(HMENU Menu, UINT Command, const UnicodeString& Name, const UnicodeString& Fallback,
                                    void (TsSystemMenu::*Handler)(TObject*))
{
    UnicodeString caption = MenuText(Menu, Command, MF_BYCOMMAND);
    if (caption.empty()) {
        caption = Fallback;
    } else if (const size_t tab = caption.find(L'\t'); tab != UnicodeString::npos) {
        caption.resize(tab); // the accelerator text
    }
    TMenuItem* item = AddItem(caption, Name);
    item->OnClick = [this, Handler](TObject* sender) { (this->*Handler)(sender); };
    item->SetTag(static_cast<intptr_t>(Command));
    return item;
}

void TsSystemMenu::AddSubMenu(TacMenuItemPos Position)
{
    const TacSysSubMenu* sub = FOwner ? FOwner->SysSubMenu() : nullptr;
    if (!sub || sub->Position != Position || sub->Caption.empty() || !sub->PopupMenu) return;
    if (Position == ipBottom) AddItem(L"-", L"ac_BtmDiv");
    SubMenu = AddItem(sub->Caption, L"ac_SubMenu");
    TMenuItem* source = sub->PopupMenu->Items();
    for (int i = 0; i < source->Count(); ++i) SubMenu->Add(CopyMenuItem(source->Items(i), this));
    SetImages(sub->PopupMenu->Images());
    if (Position != ipBottom) AddItem(L"-", L"ac_TopDiv");
}

void TsSystemMenu::Generate()
{
    Items()->Clear();
    SubMenu = ItemMove = ItemSize = ItemClose = ItemRestore = ItemMinimize = ItemMaximize = nullptr;
    ExtItemsCount = 0;
    HWND wnd = FormWnd();
    HMENU menu = wnd ? GetSystemMenu(wnd, FALSE) : nullptr;
    if (!menu) return;
    AddSubMenu(ipTop);
    ItemRestore = AddStdItem(menu, SC_RESTORE, L"acIR", OrDefault(acs_RestoreStr, L"Restore"), &TsSystemMenu::RestoreClick);
    ItemMove = AddStdItem(menu, SC_MOVE, L"acIM", OrDefault(acs_MoveStr, L"Move"), &TsSystemMenu::MoveClick);
    ItemSize = AddStdItem(menu, SC_SIZE, L"acIS", OrDefault(acs_SizeStr, L"Size"), &TsSystemMenu::SizeClick);
    ItemMinimize = AddStdItem(menu, SC_MINIMIZE, L"acIN", OrDefault(acs_MinimizeStr, L"Minimize"), &TsSystemMenu::MinClick);
    ItemMaximize = AddStdItem(menu, SC_MAXIMIZE, L"acIX", OrDefault(acs_MaximizeStr, L"Maximize"), &TsSystemMenu::MaxClick);
    AddItem(L"-", L"");
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id >= kFirstSysCommand && id <= kLastSysCommand) continue;
        const UnicodeString text = MenuText(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (text.empty()) continue; // a separator
        TMenuItem* item = AddItem(text, L"");
        item->SetTag(static_cast<intptr_t>(id));
        item->OnClick = [this](TObject* sender) { ExtClick(sender); };
        ++ExtItemsCount;
    }
    if (ExtItemsCount > 0) AddItem(L"-", L"");
    AddSubMenu(ipBeforeClose);
    ItemClose = AddStdItem(menu, SC_CLOSE, L"acIC", OrDefault(acs_CloseStr, L"Close"), &TsSystemMenu::CloseClick);
    ItemClose->SetEnabled(EnabledClose());
    AddSubMenu(ipBottom);
}

void TsSystemMenu::UpdateItems(bool Full)
{
    if (Full || !ItemClose) Generate();
    if (!FForm) return;
    auto apply = [](TMenuItem* item, bool visible, bool enabled) {
        if (!item) return;
        item->SetVisible(visible);
        item->SetEnabled(enabled);
    };
    apply(ItemRestore, VisibleRestore(), EnabledRestore());
    apply(ItemMove, true, EnabledMove());
    apply(ItemSize, VisibleSize(), EnabledSize());
    apply(ItemMinimize, VisibleMin(), EnabledMin());
    apply(ItemMaximize, VisibleMax(), EnabledMax());
    apply(ItemClose, VisibleClose(), EnabledClose());
}

void TsSystemMenu::MakeSkinItems()
{
    TsSkinManager* manager = FOwner ? ManagerOf(*FOwner) : nullptr;
    if (!manager) return;
    TStringList names;
    manager->GetSkinNames(&names, false, stAllSkins);
    if (names.Count() == 0) return;
    auto* root = new TMenuItem(this);
    root->SetCaption(OrDefault(acs_AvailSkins, L"Available styles"));
    root->SetName(L"SkinSelectItem");
    Items()->Insert(0, root);
    auto* line = new TMenuItem(this);
    line->SetCaption(L"-");
    Items()->Insert(1, line);
    bool checked = false;
    for (int i = 0; i < names.Count(); ++i) {
        auto* item = new TMenuItem(this);
        item->SetCaption(names.Strings(i));
        item->SetName(L"SkinSelectItem" + std::to_wstring(i));
        item->SetRadioItem(true);
        item->OnClick = [this](TObject* sender) { SkinSelect(sender); };
        if (i > 0 && i % 20 == 0) item->SetBreak(mbBreak);
        if (!checked && names.Strings(i) == manager->SkinName()) {
            checked = true;
            item->SetChecked(true);
            item->SetDefault(true);
        }
        root->Add(item);
    }
}

// --- rules

bool TsSystemMenu::VisibleClose() const
{
    if (!FOwner->HaveSysMenu()) return false;
    HWND wnd = FormWnd();
    if (HMENU menu = wnd ? GetSystemMenu(wnd, FALSE) : nullptr)
        return GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) != static_cast<UINT>(-1);
    return FForm->BorderIcons().Contains(biSystemMenu);
}

bool TsSystemMenu::EnabledClose() const
{
    HWND wnd = FormWnd();
    // A grayed entry cannot be chosen either (Wine keeps MF_GRAYED alone).
    if (HMENU menu = wnd ? GetSystemMenu(wnd, FALSE) : nullptr)
        return (GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED)) == 0;
    return FForm && FForm->BorderIcons().Contains(biSystemMenu);
}

bool TsSystemMenu::VisibleMax() const
{
    if (!FOwner->HaveSysMenu()) return false;
    HWND wnd = FormWnd();
    if (wnd && IsIconic(wnd) && (!Application || !Application->MainFormOnTaskBar() || Application->MainForm() != FForm))
        return true;
    if (FForm->FormStyle() == fsMDIChild) return true;
    switch (FForm->BorderStyle()) {
    case bsNone:
    case bsDialog:
    case bsToolWindow:
    case bsSizeToolWin: return false;
    default: return FForm->BorderIcons().Contains(biMaximize);
    }
}

bool TsSystemMenu::EnabledMax() const
{
    return (FForm->FormStyle() == fsMDIChild || FForm->BorderStyle() == bsSingle || FForm->BorderStyle() == bsSizeable) &&
           FForm->BorderIcons().Contains(biMaximize);
}

bool TsSystemMenu::VisibleMin() const
{
    if (!FOwner->HaveSysMenu()) return false;
    HWND wnd = FormWnd();
    if ((wnd && IsIconic(wnd)) || FForm->FormStyle() == fsMDIChild) return true;
    switch (FForm->BorderStyle()) {
    case bsNone:
    case bsDialog:
    case bsToolWindow:
    case bsSizeToolWin: return false;
    default: return FForm->BorderIcons().Contains(biMinimize);
    }
}

bool TsSystemMenu::EnabledMin() const { return FForm->BorderIcons().Contains(biMinimize); }

bool TsSystemMenu::EnabledRestore() const
{
    return (FForm->BorderIcons().Contains(biMaximize) && FForm->WindowState() != wsNormal) ||
           FForm->WindowState() == wsMinimized;
}

bool TsSystemMenu::EnabledMove() const { return FForm->WindowState() != wsMaximized; }

bool TsSystemMenu::VisibleRestore() const
{
    if (!FOwner->HaveSysMenu()) return false;
    if (FForm->FormStyle() == fsMDIChild) return true;
    switch (FForm->BorderStyle()) {
    case bsNone:
    case bsDialog:
    case bsToolWindow:
    case bsSizeToolWin: return false;
    default: return true;
    }
}

bool TsSystemMenu::VisibleSize() const
{
    if (FForm->FormStyle() == fsMDIChild) return true;
    switch (FForm->BorderStyle()) {
    case bsNone:
    case bsDialog:
    case bsToolWindow: return false;
    default: return true;
    }
}

bool TsSystemMenu::EnabledSize() const
{
    if (FForm->BorderStyle() == bsSingle) return false;
    HWND wnd = FormWnd();
    return !(wnd && IsIconic(wnd));
}

// --- handlers

void TsSystemMenu::SendCommand(WPARAM Command)
{
    if (HWND wnd = FormWnd()) SendMessageW(wnd, WM_SYSCOMMAND, Command, 0);
}

void TsSystemMenu::RestoreClick(TObject*)
{
    SendCommand(SC_RESTORE);
    UpdateItems(false);
}

void TsSystemMenu::MoveClick(TObject*) { SendCommand(SC_MOVE); }

void TsSystemMenu::SizeClick(TObject*) { SendCommand(SC_SIZE); }

void TsSystemMenu::MinClick(TObject*)
{
    FOwner->SkipAnimation = true;
    SendCommand(SC_MINIMIZE);
    FOwner->SkipAnimation = false;
    if (FOwner->SystemMenu) FOwner->SystemMenu->UpdateItems(false);
}

void TsSystemMenu::MaxClick(TObject*)
{
    SendCommand(SC_MAXIMIZE);
    UpdateItems(false);
}

void TsSystemMenu::CloseClick(TObject*) { SendCommand(SC_CLOSE); }

void TsSystemMenu::ExtClick(TObject* Sender)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    HWND wnd = FormWnd();
    if (item && wnd) PostMessageW(wnd, WM_SYSCOMMAND, static_cast<WPARAM>(item->Tag()), 0);
}

void TsSystemMenu::SkinSelect(TObject* Sender)
{
    TsSkinManager* manager = FOwner ? ManagerOf(*FOwner) : nullptr;
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!manager || !item) return;
    UnicodeString name;
    for (wchar_t c : item->Caption())
        if (c != L'&') name += c;
    // A name with the internal-skin marker keeps it; the manager resolves such names.
    const UnicodeString marker = OrDefault(acs_InternalSkin, L"(internal)");
    if (const size_t at = name.find(marker); at != UnicodeString::npos) name.resize(at + marker.size());
    manager->SetSkinName(name);
}

// ---------------------------------------------------------------------------------------------
// The title icon

TsTitleIcon::TsTitleIcon(TsSkinProvider* AOwner) : FOwner(AOwner), FGlyph(CreateBmp32(0, 0))
{
    FGlyph->OnChange = [this](TObject* sender) { GlyphChanged(sender); };
}

TsTitleIcon::~TsTitleIcon() = default;

void TsTitleIcon::SetGlyph(const TBitmap* Value) { FGlyph->Assign(Value); }

void TsTitleIcon::SetVisible(bool Value)
{
    if (FVisible == Value) return;
    FVisible = Value;
    Refresh();
}

void TsTitleIcon::GlyphChanged(TObject*) { Refresh(); }

void TsTitleIcon::Refresh()
{
    if (!FOwner || IsLoading(FOwner) || IsDesigning(FOwner) || !FOwner->FCommonData || FOwner->FCommonData->FUpdating)
        return;
    FOwner->UpdateSkinCaption();
}
