// The skinned menus: hooking of the application's menus, measuring of items and the menu records.
#include "sSkinMenus.h"

#include "Forms.h"
#include "sConst.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"

#include <algorithm>

TsSkinProvider* MDISkinProvider = nullptr;
bool acCanHookMenu = false;

namespace {

constexpr int iDefIcoWidth = 16;
std::unique_ptr<TFont> customMenuFont;

using Measure = TMenuMeasureItemEvent;
using Draw = TAdvancedMenuDrawItemEvent;

// Sets a handler unless the item has one of its own (the library switch overrides that).
template <class E>
void Hook(E& slot, const E& ours)
{
    if (!slot || acIgnoreMenuOwnerDraw) slot = ours;
}

// Clears a handler only when it is the library's own.
template <class E>
void Unhook(E& slot, const E& ours)
{
    if (slot == ours) slot = E();
}

// Puts an item's pair of handlers in (where it has none of its own) or takes them out.
void SetHandlers(TMenuItem* item, bool hook, const Measure& measure, const Draw& draw)
{
    if (hook) {
        Hook(item->OnAdvancedDrawItem, draw);
        Hook(item->OnMeasureItem, measure);
    } else {
        Unhook(item->OnAdvancedDrawItem, draw);
        Unhook(item->OnMeasureItem, measure);
    }
}

TCustomForm* OwnerForm(const TMenuItem* item)
{
    TMenu* menu = item ? item->GetParentMenu() : nullptr;
    for (TComponent* c = menu ? menu->Owner() : nullptr; c; c = c->Owner())
        if (auto* form = dynamic_cast<TCustomForm*>(c)) return form;
    return nullptr;
}

int FormPPI(const TCustomForm* form) { return form && Screen ? Screen->PixelsPerInch() : 96; }

} // namespace

TFont* CustomMenuFont() { return customMenuFont.get(); }

// ---------------------------------------------------------------------------------------------
// TsSkinableMenus

TsSkinableMenus::TsSkinableMenus(TsSkinManager* owner) : FCaptionFont(std::make_unique<TFont>()), FOwner(owner) {}

TsSkinableMenus::~TsSkinableMenus() { FOwner = nullptr; }

bool TsSkinableMenus::ActiveManager() const { return FOwner && FOwner->IsActive(); }

int TsSkinableMenus::Margin() const { return ActiveManager() && sd ? sd->ScaleIntValue(FMargin) : FMargin; }
int TsSkinableMenus::Spacing() const { return sd ? sd->ScaleIntValue(FSpacing) : FSpacing; }
int TsSkinableMenus::BorderWidth() const { return sd ? sd->ScaleIntValue(FBorderWidth) : FBorderWidth; }

TFont* TsSkinableMenus::CaptionFont() const
{
    if (customMenuFont) return customMenuFont.get();
    return Screen ? Screen->MenuFont() : FCaptionFont.get();
}

void TsSkinableMenus::SetActive(bool value)
{
    if (value == FActive) return;
    FActive = value;
    InitItems(value);
}

void TsSkinableMenus::UpdateMenus() { SetActive(FOwner && FOwner->IsActive()); }

void TsSkinableMenus::InitItems(bool A)
{
    if (!FOwner || FOwner->ComponentState().Contains(csDesigning) || !Application) return;
    const bool popups = FOwner->SkinnedPopups();
    std::vector<TComponent*> pending{Application};
    while (!pending.empty()) {
        TComponent* owner = pending.back();
        pending.pop_back();
        for (int i = 0; i < owner->ComponentCount(); ++i) {
            TComponent* c = owner->Components(i);
            if (auto* main = dynamic_cast<TMainMenu*>(c)) {
                InitMenuLine(main, A);
                for (int j = 0; j < main->Items()->Count(); ++j) HookItem(main->Items()->Items(j), A && popups);
            } else if (auto* popup = dynamic_cast<TPopupMenu*>(c)) {
                HookPopupMenu(popup, A && popups);
            } else if (auto* item = dynamic_cast<TMenuItem*>(c)) {
                if (!dynamic_cast<TMainMenu*>(item->GetParentMenu())) HookItem(item, A && popups);
            }
            pending.push_back(c);
        }
    }
}

void TsSkinableMenus::HookItem(TMenuItem* Item, bool A)
{
    if (!Item) return;
    const Measure measure(this, &TsSkinableMenus::sMeasureItem);
    const Draw draw(this, &TsSkinableMenus::sAdvancedDrawItem);
    for (int i = 0; i < Item->Count(); ++i) {
        TMenuItem* sub = Item->Items(i);
        if (IsTopLine(sub)) continue;
        SetHandlers(sub, A, measure, draw);
        HookItem(sub, A);
    }
}

void TsSkinableMenus::InitItem(TMenuItem* Item, bool A)
{
    if (!Item) return;
    const Measure measure(this, &TsSkinableMenus::sMeasureItem);
    const Draw draw(this, &TsSkinableMenus::sAdvancedDrawItem);
    const Measure lineMeasure(this, &TsSkinableMenus::sMeasureLineItem);
    const Draw lineDraw(this, &TsSkinableMenus::sAdvancedDrawLineItem);
    if (A) {
        if (IsTopLine(Item)) {
            Item->OnAdvancedDrawItem = lineDraw;
            Item->OnMeasureItem = lineMeasure;
        } else if (FOwner && FOwner->SkinnedPopups()) {
            SetHandlers(Item, true, measure, draw);
        }
    } else {
        SetHandlers(Item, false, measure, draw);
        SetHandlers(Item, false, lineMeasure, lineDraw);
    }
}

void TsSkinableMenus::HookPopupMenu(TPopupMenu* Menu, bool A)
{
    if (!Menu) return;
    if (!ActiveManager()) A = false;
    TMenuAnimation animation = Menu->MenuAnimation();
    if (A)
        animation.Include(maNone);
    else
        animation.Exclude(maNone);
    Menu->SetMenuAnimation(animation);
    const Measure measure(this, &TsSkinableMenus::sMeasureItem);
    const Draw draw(this, &TsSkinableMenus::sAdvancedDrawItem);
    std::vector<TMenuItem*> pending{Menu->Items()};
    while (!pending.empty()) {
        TMenuItem* item = pending.back();
        pending.pop_back();
        for (int i = 0; i < item->Count(); ++i) {
            TMenuItem* sub = item->Items(i);
            SetHandlers(sub, A, measure, draw);
            pending.push_back(sub);
        }
    }
    // Last, so the Windows menu is entered again with handlers in place.
    Menu->SetOwnerDraw(A);
}

void TsSkinableMenus::InitMenuLine(TMainMenu* Menu, bool A)
{
    if (!Menu || Menu->ComponentState().Contains(csDestroying)) return;
    const Measure lineMeasure(this, &TsSkinableMenus::sMeasureLineItem);
    const Draw lineDraw(this, &TsSkinableMenus::sAdvancedDrawLineItem);
    if (A) {
        if (ActiveManager() && !FOwner->SkinnedPopups()) return;
        for (int i = 0; i < Menu->Items()->Count(); ++i) {
            TMenuItem* item = Menu->Items()->Items(i);
            item->OnAdvancedDrawItem = lineDraw;
            item->OnMeasureItem = lineMeasure;
        }
    } else {
        for (int i = 0; i < Menu->Items()->Count(); ++i) {
            TMenuItem* item = Menu->Items()->Items(i);
            SetHandlers(item, false, lineMeasure, lineDraw);
        }
    }
    if (Menu->Items()->Count() > 0) Menu->SetOwnerDraw(A);
}

// ---------------------------------------------------------------------------------------------
// Item kinds and sizes

bool TsSkinableMenus::IsDivText(const UnicodeString& Text)
{
    return !Text.empty() && Text.front() == cMenuCaption && Text.back() == cMenuCaption;
}

bool TsSkinableMenus::IsTopLine(const TMenuItem* Item)
{
    return Item && Item->Parent() && !Item->Parent()->Parent() && dynamic_cast<TMainMenu*>(Item->GetParentMenu());
}

TsMenuItemType TsSkinableMenus::ItemType(const TMenuItem* Item)
{
    if (Item->Caption() == L"-") return smDivider;
    return IsDivText(Item->Caption()) ? smCaption : smNormal;
}

TMenuItem* TsSkinableMenus::GetFirstItem(TMenuItem* Item)
{
    TMenuItem* parent = Item ? Item->Parent() : nullptr;
    return parent && parent->Count() > 0 ? parent->Items(0) : Item;
}

bool TsSkinableMenus::NoBorder() const
{
    if (!FOwner) return true;
    const int index = FOwner->SkinCommonInfo.Sections[ssMainMenu];
    TacSkinData* data = FOwner->CommonSkinData(96);
    if (index < 0 || !data || index >= static_cast<int>(data->gd.size())) return true;
    return data->gd[static_cast<size_t>(index)].BorderIndex < 0;
}

int TsSkinableMenus::ExtraWidth(const TacMenuInfo* Info) const
{
    const TacMenuSupport* support = FOwner ? FOwner->MenuSupport() : nullptr;
    if (!support || !Info || !support->UseExtraLine || !Info->HaveExtraLine) return 0;
    return support->ExtraLineWidth * PPI / 96;
}

TSize TsSkinableMenus::GlyphSize(TMenuItem* Item, bool ForImages) const
{
    const int def = iDefIcoWidth * PPI / 96;
    TMenu* menu = Item ? Item->GetParentMenu() : nullptr;
    TCustomImageList* images = menu ? menu->Images() : nullptr;
    if (ForImages) {
        if (images) return TSize(images->Width(), images->Height());
        if (Item && Item->HasBitmap()) return TSize(Item->Bitmap()->Width(), Item->Bitmap()->Height());
        return TSize(def, def);
    }
    if (!Item) return TSize(def, def);
    if (Item->HasBitmap()) return TSize(Item->Bitmap()->Width(), Item->Bitmap()->Height());
    if (Item->Parent() && Item->Parent()->SubMenuImages()) {
        const int w = Item->Parent()->SubMenuImages()->Width();
        return TSize(w, w);
    }
    if (images && Item->ImageIndex() >= 0 && Item->ImageIndex() < images->Count())
        return TSize(images->Width(), images->Height());
    return TSize(def, def);
}

void TsSkinableMenus::UpdateFont(TCanvas* Canvas, TMenuItem* Item, bool UseCaptionFont, bool Bold)
{
    TFont* font = Canvas->Font();
    if (customMenuFont)
        font->Assign(customMenuFont.get());
    else if (UseCaptionFont)
        font->Assign(CaptionFont());
    else if (Screen)
        font->Assign(Screen->MenuFont());
    TCustomForm* form = OwnerForm(Item);
    if (!form && Application) form = Application->MainForm();
    if (!customMenuFont && form) font->SetCharset(form->Font()->Charset());
    if (form) font->SetHeight(MulDiv(font->Height(), FormPPI(form), 96));
    TFontStyles style = font->Style();
    if (Bold) style.Include(fsBold);
    font->SetStyle(style);
}

UnicodeString TsSkinableMenus::MeasuredText(TMenuItem* Item) const
{
    UnicodeString text = Item->Caption();
    if (ItemType(Item) == smNormal && Item->ShortCut()) {
        const UnicodeString shortCut = ShortCutToText(Item->ShortCut());
        if (!shortCut.empty()) text += shortCut;
    }
    return text;
}

TSize TsSkinableMenus::TextSize(TCanvas* Canvas, const UnicodeString& Text)
{
    RECT r{0, 0, 800, 0};
    DrawTextW(Canvas->Handle(), Text.c_str(), static_cast<int>(Text.size()), &r,
              DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_WORDBREAK);
    return TSize(r.right - r.left, r.bottom - r.top);
}

void TsSkinableMenus::RefreshForm(TMenuItem* Item)
{
    if (sd && GetFirstItem(Item) != Item) return;
    Form = OwnerForm(Item);
    sd = FOwner ? FOwner->CommonSkinData(FormPPI(Form)) : nullptr;
    PPI = sd ? sd->PPI : 96;
}

int TsSkinableMenus::GetItemHeight(TCanvas* Canvas, TMenuItem* Item)
{
    if (Item->Caption() == L"-") return 2;
    UpdateFont(Canvas, Item, false, Item->Default());
    const TsMenuItemType kind = ItemType(Item);
    const int textHeight = TextSize(Canvas, MeasuredText(Item)).cy;
    if (kind == smCaption) return textHeight + 2 * (Margin() + 1) + 1;
    return std::max<int>(textHeight, GlyphSize(Item, false).cy) + 2 * (Margin() + 1);
}

int TsSkinableMenus::GetItemWidth(TCanvas* Canvas, TMenuItem* Item, const TacMenuInfo* Info)
{
    const int glyph = GlyphSize(Item, false).cx;
    int width;
    if (ItemType(Item) == smDivider) {
        width = 2 * glyph + 3 * Margin() + Spacing();
    } else {
        UpdateFont(Canvas, Item, false, Item->Default());
        const UnicodeString text = ItemType(Item) == smCaption ? L"-" + Item->Caption() + L"-" : MeasuredText(Item);
        width = static_cast<int>(TextSize(Canvas, text).cx) + 3 * Margin() + 2 * glyph + Spacing();
        if (NoBorder()) width -= 2 * BorderWidth();
    }
    if (Info && Info->HaveExtraLine) width += ExtraWidth(Info);
    return width;
}

void TsSkinableMenus::AskExtraLine(TacMenuInfo& Info, TMenuItem* FirstItem)
{
    Info.HaveExtraLine = true;
    if (!FOwner || !FOwner->OnGetMenuExtraLineData) return;
    UnicodeString section = L"EXTRALINE", caption = L"Use OnGetExtraLineData event";
    TBitmap* glyph = nullptr;
    FOwner->OnGetMenuExtraLineData(FirstItem, section, caption, glyph, Info.HaveExtraLine);
    caption.erase(std::remove(caption.begin(), caption.end(), L'&'), caption.end());
    ExtraLineSection = section;
    ExtraLineCaption = caption;
    ExtraLineGlyph.reset(Info.HaveExtraLine ? glyph : nullptr);
    if (!Info.HaveExtraLine) delete glyph;
}

void TsSkinableMenus::sMeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item || item->ComponentState().Contains(csDestroying)) return;
    acCanHookMenu = true;
    RefreshForm(item);
    TacMenuInfo* info = GetMenuInfo(item, nullptr, nullptr);
    if (!info->FirstItem) {
        info->FirstItem = GetFirstItem(item);
        AskExtraLine(*info, info->FirstItem);
    }
    UpdateFont(ACanvas, item, false, item->Default());
    if (FOwner && FOwner->OnGetPopupItemData) {
        TacMenuItemData data;
        data.Font = ACanvas->Font();
        FOwner->OnGetPopupItemData(item, TOwnerDrawState(), data);
    }
    const int glyph = GlyphSize(item, false).cx;
    if (ItemType(item) == smDivider) {
        Width = 2 * glyph + 3 * Margin() + Spacing();
    } else {
        Width = static_cast<int>(TextSize(ACanvas, MeasuredText(item)).cx) + 3 * Margin() + 2 * glyph + Spacing();
        if (NoBorder()) Width -= 2 * BorderWidth();
    }
    if (info->HaveExtraLine) {
        // Items of a later column (a Break at or before them) stand beside the extra line.
        bool laterColumn = false;
        const int index = item->MenuIndex();
        for (int i = 1; i <= index && !laterColumn; ++i)
            laterColumn = item->Parent()->Items(i)->Break() != mbNone;
        if (!laterColumn || index == 0) Width += ExtraWidth(info);
    }
    Height = GetItemHeight(ACanvas, item);
}

void TsSkinableMenus::sMeasureLineItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    Height = GetSystemMetrics(SM_CYMENU) - 1;
    UpdateFont(ACanvas, item, false, item->Default());
    UnicodeString caption = item->Caption();
    caption.erase(std::remove(caption.begin(), caption.end(), L'&'), caption.end());
    Width = ACanvas->TextWidth(caption);
    TMenu* menu = item->GetParentMenu();
    if (item->HasBitmap())
        Width += item->Bitmap()->Width() + 6;
    else if (menu && menu->Images() && item->ImageIndex() >= 0)
        Width += menu->Images()->Width() + 6;
}

int TsSkinableMenus::ParentHeight(TCanvas* Canvas, TMenuItem* Item)
{
    TMenuItem* parent = Item->Parent();
    if (!parent) return 0;
    int column = 0, tallest = 0;
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* sub = parent->Items(i);
        if (!sub->Visible()) continue;
        if (sub->Break() != mbNone) {
            tallest = std::max(tallest, column);
            column = 0;
        }
        column += GetItemHeight(Canvas, sub);
    }
    return std::max(tallest, column);
}

int TsSkinableMenus::ParentWidth(TCanvas* Canvas, TMenuItem* Item)
{
    RECT clip{};
    if (GetClipBox(Canvas->Handle(), &clip) != NULLREGION) return clip.right - clip.left;
    TMenuItem* parent = Item->Parent();
    if (!parent) return 0;
    TacMenuInfo* info = GetMenuInfo(Item, nullptr, nullptr);
    int total = 0, column = 0;
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* sub = parent->Items(i);
        if (!sub->Visible()) continue;
        if (sub->Break() != mbNone) {
            total += column + 4;
            column = 0;
        }
        column = std::max(column, GetItemWidth(Canvas, sub, info) + 12);
    }
    return column + total;
}

void TsSkinableMenus::ItemRect(TMenuItem*, TRect& R) const
{
    R.Left += CursorMarginH();
    R.Right -= CursorMarginH();
}

bool TsSkinableMenus::ChildIconPresent() const { return false; }

// ---------------------------------------------------------------------------------------------
// Records

TacMenuInfo* TsSkinableMenus::GetMenuInfo(TMenuItem* Item, TCanvas* Canvas, HWND Wnd)
{
    if (!Item) {
        if (!Wnd) return nullptr;
        for (auto& info : FInfos)
            if (info->Wnd == Wnd) return info.get();
        return nullptr;
    }
    TMenuItem* key = GetFirstItem(Item);
    TacMenuInfo* info = nullptr;
    for (auto& candidate : FInfos)
        if (candidate->FirstItem == key) info = candidate.get();
    if (!info) {
        FInfos.push_back(std::make_unique<TacMenuInfo>());
        info = FInfos.back().get();
    }
    if (!Canvas) return info;
    int width = 0, height = 0;
    RECT r{};
    if (Wnd && GetWindowRect(Wnd, &r)) {
        width = r.right - r.left;
        height = r.bottom - r.top;
    } else if (!Wnd) {
        width = ParentWidth(Canvas, Item) + 2 * BorderWidth();
        height = ParentHeight(Canvas, Item) + 2 * BorderWidth();
    }
    // A record made for another window or size (a freed menu whose first item's address came
    // back) would show a background of another menu: it is prepared again.
    if (info->Bmp && info->Wnd == Wnd && info->Bmp->Width() == width && info->Bmp->Height() == height) return info;
    info->Bmp.reset();
    PrepareMenuBG(*info, key, width, height, Wnd);
    return info;
}

void TsSkinableMenus::ClearCache()
{
    FInfos.clear();
    ExtraLineGlyph.reset();
}

void TsSkinableMenus::ResetCache()
{
    ClearCache();
    sd = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TacMenuSupport

TacMenuSupport::TacMenuSupport() : FFont(std::make_unique<TFont>()), FExtraLineFont(std::make_unique<TFont>())
{
    FFont->SetSize(8);
}

TacMenuSupport::~TacMenuSupport()
{
    if (CustomFont) customMenuFont.reset();
}

void TacMenuSupport::SetCustomFont(bool value)
{
    CustomFont = value;
    // The name the manager's font settings give: the skin's main font while fonts come from the
    // skin, else the settings' own. With one, menus take it even without CustomFont.
    UnicodeString name;
    if (DefaultManager)
        name = DefaultManager->Fonts()->MainMode() == fmFromSkin ? DefaultManager->SkinCommonInfo.MainFont
                                                                 : DefaultManager->Fonts()->MainFont();
    if (!value && name.empty()) {
        customMenuFont.reset();
        return;
    }
    if (!customMenuFont) customMenuFont = std::make_unique<TFont>();
    customMenuFont->Assign(FFont.get());
    if (!name.empty()) customMenuFont->SetName(name);
}

void TacMenuSupport::SetFont(const TFont* value)
{
    FFont->Assign(value);
    if (!customMenuFont) customMenuFont = std::make_unique<TFont>();
    customMenuFont->Assign(value);
}
