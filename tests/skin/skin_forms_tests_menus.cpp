// Skinned menus: which handlers the hooking installs and removes, and item measuring.
#include "skin_forms_test_support.h"

#include "ImageList.h"
#include "Menus.h"
#include "sConst.h"
#include "sSkinManagerOptions.h"
#include "sSkinMenus.h"

namespace {

class TOwnHandlers : public TObject {
public:
    UnicodeString ClassName() const override { return L"TOwnHandlers"; }
    void Draw(TObject*, TCanvas*, TRect, TOwnerDrawState) {}
};

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const UnicodeString& caption)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

} // namespace

TEST_F(SkinFormsTest, MenuHookRules)
{
    TsSkinManager& m = UseHouseSkin();
    TsSkinableMenus* menus = m.SkinableMenus();
    const TAdvancedMenuDrawItemEvent ours(menus, &TsSkinableMenus::sAdvancedDrawItem);
    const TAdvancedMenuDrawItemEvent line(menus, &TsSkinableMenus::sAdvancedDrawLineItem);
    TOwnHandlers own;
    const TAdvancedMenuDrawItemEvent theirs(&own, &TOwnHandlers::Draw);

    auto* owner = new TComponent(Application);
    auto* popup = new TPopupMenu(owner);
    TMenuItem* plain = AddItem(owner, popup->Items(), L"Plain");
    TMenuItem* mine = AddItem(owner, popup->Items(), L"Mine");
    TMenuItem* deep = AddItem(owner, plain, L"Deep");
    mine->OnAdvancedDrawItem = theirs;

    const struct {
        bool ignoreOwn;
        bool active;
        TAdvancedMenuDrawItemEvent plain, mine;
        bool ownerDraw;
    } cases[] = {
        {false, true, ours, theirs, true},
        {false, false, {}, theirs, false}, // unhooking removes only ours
        {true, true, ours, ours, true},
        {true, false, {}, {}, false},
    };
    for (const auto& c : cases) {
        acIgnoreMenuOwnerDraw = c.ignoreOwn;
        if (!c.ignoreOwn) mine->OnAdvancedDrawItem = theirs;
        menus->HookPopupMenu(popup, c.active);
        EXPECT_EQ(plain->OnAdvancedDrawItem, c.plain) << c.ignoreOwn << c.active;
        EXPECT_EQ(deep->OnAdvancedDrawItem, c.plain) << "sub-items too";
        EXPECT_EQ(mine->OnAdvancedDrawItem, c.mine) << c.ignoreOwn << c.active;
        EXPECT_EQ(popup->OwnerDraw(), c.ownerDraw);
        EXPECT_EQ(popup->MenuAnimation().Contains(maNone), c.ownerDraw);
    }
    acIgnoreMenuOwnerDraw = false;

    // A main menu: HookItem skips top-line items, InitItem gives them the line handlers; with
    // skinned pop-ups off the menu line stays without owner drawing.
    auto* main = new TMainMenu(owner);
    TMenuItem* top = AddItem(owner, main->Items(), L"File");
    TMenuItem* open = AddItem(owner, top, L"Open");
    menus->HookItem(main->Items(), true);
    EXPECT_FALSE(static_cast<bool>(top->OnAdvancedDrawItem));
    menus->HookItem(top, true);
    EXPECT_EQ(open->OnAdvancedDrawItem, ours);
    menus->InitItem(top, true);
    EXPECT_EQ(top->OnAdvancedDrawItem, line);
    menus->InitItem(top, false);
    EXPECT_FALSE(static_cast<bool>(top->OnAdvancedDrawItem));
    m.SetSkinnedPopups(false);
    menus->InitMenuLine(main, true);
    EXPECT_FALSE(main->OwnerDraw());
    m.SetSkinnedPopups(true);
    menus->InitMenuLine(main, true);
    EXPECT_TRUE(main->OwnerDraw());

    // InitItems reaches menus owned by components of components of the application.
    auto* nested = new TComponent(owner);
    auto* farMenu = new TPopupMenu(nested);
    TMenuItem* farItem = AddItem(nested, farMenu->Items(), L"Far");
    menus->InitItems(true);
    EXPECT_EQ(farItem->OnAdvancedDrawItem, ours);
    menus->InitItems(false);
    EXPECT_FALSE(static_cast<bool>(farItem->OnAdvancedDrawItem));
    delete owner;
}

TEST_F(SkinFormsTest, MenuItemMeasuring)
{
    TsSkinManager& m = UseHouseSkin();
    TsSkinableMenus* menus = m.SkinableMenus();
    auto* owner = new TComponent(Application);
    auto* popup = new TPopupMenu(owner);
    TMenuItem* normal = AddItem(owner, popup->Items(), L"Normal");
    TMenuItem* divider = AddItem(owner, popup->Items(), L"-");
    TMenuItem* caption = AddItem(owner, popup->Items(), UnicodeString(1, cMenuCaption) + L"Title" + cMenuCaption);
    TMenuItem* column = AddItem(owner, popup->Items(), L"Normal");
    column->SetBreak(mbBreak);

    TBitmap bmp;
    bmp.SetSize(10, 10);
    TCanvas* canvas = bmp.Canvas();
    int w = 0, h = 0;
    menus->sMeasureItem(normal, canvas, w, h);
    EXPECT_TRUE(acCanHookMenu);
    const int plainWidth = w;
    // Text is measured the way the menus lay it out (DrawText, word breaks in 800 pixels).
    RECT r{0, 0, 800, 0};
    DrawTextW(canvas->Handle(), L"Title", 5, &r, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_WORDBREAK);
    const int text = r.bottom - r.top;
    EXPECT_EQ(h, std::max<int>(text, menus->GlyphSize(normal, false).cy) + 2 * (menus->Margin() + 1));
    menus->sMeasureItem(divider, canvas, w, h);
    EXPECT_EQ(h, 2);
    menus->sMeasureItem(caption, canvas, w, h);
    EXPECT_EQ(h, text + 2 * (menus->Margin() + 1) + 1);

    normal->SetShortCut(scCtrl | 'S');
    menus->sMeasureItem(normal, canvas, w, h);
    EXPECT_GT(w, plainWidth) << "the shortcut widens the item";
    normal->SetShortCut(0);

    // The extra line widens items of the first column only.
    m.MenuSupport()->UseExtraLine = true;
    menus->sMeasureItem(normal, canvas, w, h);
    const int extra = m.MenuSupport()->ExtraLineWidth * menus->PPI / 96;
    EXPECT_EQ(w, plainWidth + extra);
    menus->sMeasureItem(column, canvas, w, h);
    EXPECT_EQ(w, plainWidth) << "a later column stands beside the line";

    // The event may take the line away.
    bool asked = false;
    m.OnGetMenuExtraLineData = [&](TMenuItem* first, UnicodeString& section, UnicodeString&, TBitmap*&, bool& visible) {
        asked = first == normal && section == L"EXTRALINE";
        visible = false;
    };
    menus->ClearCache();
    menus->sMeasureItem(normal, canvas, w, h);
    EXPECT_TRUE(asked);
    EXPECT_EQ(w, plainWidth);
    m.MenuSupport()->UseExtraLine = false;

    // Line items: the menu-bar height less one.
    auto* main = new TMainMenu(owner);
    TMenuItem* top = AddItem(owner, main->Items(), L"&File");
    menus->sMeasureLineItem(top, canvas, w, h);
    EXPECT_EQ(h, GetSystemMetrics(SM_CYMENU) - 1);
    EXPECT_EQ(w, canvas->TextWidth(L"File"));
    top->Bitmap()->SetSize(12, 10);
    menus->sMeasureLineItem(top, canvas, w, h);
    EXPECT_EQ(w, canvas->TextWidth(L"File") + 12 + 6) << "room for the item's glyph";
    delete owner;
}

// The custom menu font follows the manager's font settings: their name (the skin's main font
// while fonts come from the skin) gives menus a font of their own even without CustomFont.
TEST_F(SkinFormsTest, MenuCustomFontFollowsTheFontSettings)
{
    TsSkinManager& m = UseHouseSkin();
    TacMenuSupport* support = m.MenuSupport();
    support->Font()->SetName(L"Tahoma");
    const struct {
        TacFontMode mode;
        const wchar_t* settingsName;
        bool custom;
        const wchar_t* expected; // null: no custom menu font
    } cases[] = {
        {fmDefault, L"", false, nullptr},
        {fmFromSkin, L"", false, L"House Sans"},
        {fmCustom, L"Courier New", false, L"Courier New"},
        {fmDefault, L"", true, L"Tahoma"},
    };
    for (const auto& c : cases) {
        m.Fonts()->SetMainMode(c.mode);
        m.Fonts()->SetMainFont(c.settingsName);
        support->SetCustomFont(c.custom);
        ASSERT_EQ(CustomMenuFont() != nullptr, c.expected != nullptr) << c.mode << c.custom;
        if (c.expected) {
            EXPECT_EQ(CustomMenuFont()->Name(), c.expected);
            EXPECT_EQ(m.SkinableMenus()->CaptionFont(), CustomMenuFont());
        }
    }
    m.Fonts()->SetMainMode(fmDefault);
    m.Fonts()->SetMainFont(L"");
    support->SetCustomFont(false);
    EXPECT_EQ(CustomMenuFont(), nullptr);
}

// Glyph room by what the item shows, and the size of a menu of several columns summed from its
// items when the canvas has no clip box to tell it.
TEST_F(SkinFormsTest, MenuGlyphSizesAndColumnSums)
{
    TsSkinManager& m = UseHouseSkin();
    TsSkinableMenus* menus = m.SkinableMenus();
    auto* owner = new TComponent(Application);
    auto* popup = new TPopupMenu(owner);
    TMenuItem* plain = AddItem(owner, popup->Items(), L"Plain");
    TMenuItem* withBitmap = AddItem(owner, popup->Items(), L"Bitmap");
    withBitmap->Bitmap()->SetSize(20, 18);
    TMenuItem* parent = AddItem(owner, popup->Items(), L"Parent");
    TMenuItem* child = AddItem(owner, parent, L"Child");
    TImageList subImages(owner), images(owner);
    subImages.SetSize(24, 12);
    images.SetSize(18, 14);
    TBitmap image(18, 14, pf24bit);
    images.Add(&image, nullptr);

    const int def = 16 * menus->PPI / 96;
    const struct {
        const char* what;
        std::function<void()> set;
        TMenuItem* item;
        bool forImages;
        TSize expected;
    } cases[] = {
        {"default", [] {}, plain, false, TSize(def, def)},
        {"own bitmap", [] {}, withBitmap, false, TSize(20, 18)},
        {"sub-menu images, square", [&] { parent->SetSubMenuImages(&subImages); }, child, false, TSize(24, 24)},
        {"no valid image index", [&] { popup->SetImages(&images); }, plain, false, TSize(def, def)},
        {"the menu's images", [&] { plain->SetImageIndex(0); }, plain, false, TSize(18, 14)},
        {"room for images: the list", [] {}, withBitmap, true, TSize(18, 14)},
        {"room without a list: the bitmap", [&] { popup->SetImages(nullptr); }, withBitmap, true, TSize(20, 18)},
        {"room without either", [] {}, plain, true, TSize(def, def)},
    };
    for (const auto& c : cases) {
        c.set();
        EXPECT_EQ(menus->GlyphSize(c.item, c.forImages), c.expected) << c.what;
    }
    parent->SetSubMenuImages(nullptr);
    plain->SetImageIndex(-1);

    // Columns: the widest item + 12, 4 between columns; the tallest column.
    TBitmap bmp(10, 10, pf32bit);
    TCanvas* canvas = bmp.Canvas();
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    SelectClipRgn(canvas->Handle(), none);
    DeleteObject(none);
    auto* menu = new TPopupMenu(owner);
    TMenuItem* a = AddItem(owner, menu->Items(), L"A fairly long caption");
    TMenuItem* b = AddItem(owner, menu->Items(), L"B");
    TMenuItem* c = AddItem(owner, menu->Items(), L"C");
    TMenuItem* hidden = AddItem(owner, menu->Items(), L"A caption longer than all others");
    hidden->SetVisible(false);
    c->SetBreak(mbBreak);
    const TacMenuInfo* info = menus->GetMenuInfo(a, nullptr, nullptr);
    const int wa = menus->GetItemWidth(canvas, a, info), wc = menus->GetItemWidth(canvas, c, info);
    EXPECT_EQ(menus->ParentWidth(canvas, a), (wa + 12 + 4) + (wc + 12));
    EXPECT_EQ(menus->ParentHeight(canvas, a), menus->GetItemHeight(canvas, a) + menus->GetItemHeight(canvas, b));
    delete owner;
}
