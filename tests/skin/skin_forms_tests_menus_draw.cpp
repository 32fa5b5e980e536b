// Skinned menus: items of a pop-up painted onto a canvas over a 32-bit bitmap (no menu window),
// read back pixel by pixel: colours of the states, marks, glyphs, text places, separators,
// caption lines, disabled items, the events and the columns of a broken menu.
#include "skin_forms_test_menus.h"

#include "sConst.h"
#include "sDefaults.h"
#include "sSkinManagerOptions.h"

#include <vector>

namespace {

namespace hs = house_skin;

constexpr int kWidth = 220;
constexpr std::uint32_t kUntouched = 0x00FF00;

// A canvas that a pop-up's items are painted on in a column, one row per item as measured.
struct ItemColumn {
    TBitmap bmp;
    std::vector<TRect> rows;
    ItemColumn(TsSkinableMenus& menus, TMenuItem* parent, int width = kWidth) : bmp(width, 1, pf32bit)
    {
        int top = 0;
        for (int i = 0; i < parent->Count(); ++i) {
            int w = 0, h = 0;
            menus.sMeasureItem(parent->Items(i), bmp.Canvas(), w, h);
            rows.emplace_back(0, top, width, top + h);
            top += h;
        }
        bmp.SetSize(width, top);
        bmp.Canvas()->Brush()->SetColor(static_cast<TColor>(Rgb(kUntouched)));
        bmp.Canvas()->FillRect(TRect(0, 0, width, top));
    }
};

} // namespace

TEST_F(SkinMenusTest, PopupItemsPaintFromTheSkin)
{
    TsSkinManager& m = UseMenuSkin();
    TsSkinableMenus& menus = *m.SkinableMenus();
    m.ButtonsOptions()->SetOldGlyphsMode(true); // the skin's own check marks
    const UnicodeString marker(1, cMenuCaption);
    TPopupMenu* popup = NewPopup({L"Plain", L"Selected", L"Checked", L"Radio", L"Image", L"Open\tCtrl+O", L"\bRight",
                                  L"Save", L"Disabled", L"-", (marker + L"Title" + marker).c_str(), L"Tinted"});
    TMenuItem* items = popup->Items();
    items->Items(3)->SetRadioItem(true);
    // A red square on the key colour (the bottom-left pixel of a 24-bit glyph is transparent).
    TBitmap* glyph = items->Items(4)->Bitmap();
    glyph->SetSize(16, 16);
    glyph->SetPixelFormat(pf24bit);
    glyph->Canvas()->Brush()->SetColor(clFuchsia);
    glyph->Canvas()->FillRect(TRect(0, 0, 16, 16));
    glyph->Canvas()->Brush()->SetColor(clRed);
    glyph->Canvas()->FillRect(TRect(2, 2, 14, 14));
    items->Items(7)->SetShortCut(scCtrl | 'S');
    items->Items(8)->SetEnabled(false);
    m.OnGetPopupItemData = [tinted = items->Items(11)](TMenuItem* item, TOwnerDrawState, TacMenuItemData& data) {
        if (item == tinted) data.Font->SetColor(clRed);
    };
    std::vector<TsMenuItemType> kinds;
    menus.OnDrawItem = [&](TObject*, TCanvas*, TRect r, TOwnerDrawState, TsMenuItemType kind) {
        kinds.push_back(kind);
        EXPECT_EQ(r.Left, 0);
        EXPECT_EQ(r.Top, 0);
    };

    ItemColumn column(menus, items);
    const TOwnerDrawState states[] = {{}, {odSelected}, {odChecked}, {odChecked}, {odChecked}, {}, {}, {}, {}, {}, {}, {}};
    for (int i = 0; i < items->Count(); ++i)
        menus.sAdvancedDrawItem(items->Items(i), column.bmp.Canvas(), column.rows[static_cast<size_t>(i)], states[i]);
    SaveEnlargedPng(column.bmp, L"skin_forms_menu_items.png", 3);

    const TacMenuInfo* info = menus.GetMenuInfo(items->Items(0), nullptr, nullptr);
    ASSERT_TRUE(info && info->Bmp);
    EXPECT_EQ(info->Bmp->Width(), kWidth + 2 * menus.BorderWidth()) << "no window: the canvas plus the border";
    const int spacing = menus.sd->Spacing;
    const int textLeft = menus.GlyphSize(items->Items(0), false).cx + 2 * menus.Margin() + menus.Spacing();
    // The icon column of the prepared background, inside the frame's 5 pixels.
    const int icoMiddle = 12;
    const std::uint32_t back = Rgb(hs::kMenuBack), icoColour = Rgb(hs::kIcoLine);
    const auto row = [&](int i) { return column.rows[static_cast<size_t>(i)]; };
    const auto middle = [&](int i) { return (row(i).Top + row(i).Bottom) / 2; };
    const auto text = [&](int i, std::uint32_t bg) {
        const TRect r = row(i);
        // Inside the frame's 2 pixels that the item bitmaps take from the prepared background.
        return InkIn(column.bmp, TRect(textLeft, r.Top + 2, r.Right - hs::kMenuBorderMargin, r.Bottom - 2), bg);
    };

    // A plain item: the prepared background (icon column, menu colour) and its caption at the text column.
    EXPECT_EQ(PixelAt(column.bmp, icoMiddle, middle(0)), icoColour);
    EXPECT_EQ(PixelAt(column.bmp, kWidth - 10, middle(0)), back);
    const Ink plain = text(0, back);
    ASSERT_TRUE(plain);
    EXPECT_LE(std::abs(plain.left - textLeft), 2) << "left-aligned after the glyph column";
    EXPECT_LT(plain.right, kWidth / 2);
    // Selected: the item section's hot state all over, text in its hot colour.
    EXPECT_EQ(PixelAt(column.bmp, icoMiddle, middle(1)), Rgb(hs::kMenuHotBG));
    EXPECT_EQ(PixelAt(column.bmp, kWidth - 10, middle(1)), Rgb(hs::kMenuHotBG));
    EXPECT_TRUE(text(1, Rgb(hs::kMenuHotBG)));
    // The check and radio masks of the skin, centred in the icon column.
    const int ico = menus.GlyphSize(items->Items(0), true).cx + menus.Margin() + menus.Spacing();
    const int markLeft = (ico - hs::kCheckFrame) / 2;
    const int markTop = (row(2).Height() - hs::kCheckFrame) / 2;
    EXPECT_EQ(PixelAt(column.bmp, markLeft + 3, row(2).Top + markTop + 7), hs::kCheckInk[0] & 0xFFFFFF);
    EXPECT_EQ(PixelAt(column.bmp, markLeft + 6, row(3).Top + markTop + 6), hs::kRadioInk[0] & 0xFFFFFF);
    // A checked item with a glyph: the glyph on the pressed small button, no mark.
    const int glyphLeft = (menus.GlyphSize(items->Items(4), false).cx + menus.Margin() + menus.Spacing() - 16) / 2;
    const int glyphTop = row(4).Top + (row(4).Height() - 16) / 2;
    EXPECT_EQ(PixelAt(column.bmp, glyphLeft - 1, glyphTop + 8), Rgb(hs::kSmallButton[2]));
    EXPECT_EQ(PixelAt(column.bmp, glyphLeft + 8, glyphTop + 8), 0xFF0000u);
    // Text after a tab: right-aligned 8 pixels from the right edge; before it the caption alone.
    const Ink tabbed = text(5, back);
    ASSERT_TRUE(tabbed);
    EXPECT_LE(tabbed.right, kWidth - 8);
    EXPECT_GE(tabbed.right, kWidth - 8 - 5);
    EXPECT_LE(std::abs(tabbed.left - textLeft), 2);
    // A caption starting with a backspace is right-aligned (six spaces before the edge).
    const Ink right = text(6, back);
    ASSERT_TRUE(right);
    EXPECT_GT(right.left, kWidth / 2);
    EXPECT_LT(right.right, kWidth - 12);
    // The shortcut ends twice the skin's spacing before the right edge.
    const Ink shortcut =
        InkIn(column.bmp, TRect(kWidth / 2, row(7).Top + 1, kWidth - hs::kMenuBorderMargin, row(7).Bottom - 1), back);
    ASSERT_TRUE(shortcut);
    EXPECT_LE(shortcut.right, kWidth - 2 * spacing);
    EXPECT_GE(shortcut.right, kWidth - 2 * spacing - 5);
    // Disabled: the text blended towards the background, no pixel of the full text colour.
    const auto nearText = [&](int i) {
        const TRect r(textLeft, row(i).Top, kWidth / 2, row(i).Bottom);
        return r.Width() * r.Height() - InkIn(column.bmp, r, Rgb(hs::kLabelText), 24).count;
    };
    EXPECT_TRUE(InkIn(column.bmp, TRect(textLeft, row(8).Top, kWidth / 2, row(8).Bottom), back, 16));
    EXPECT_GT(nearText(0), 0);
    EXPECT_EQ(nearText(8), 0);
    // The separator: the DIVIDERV line from after the icon column to the right.
    const int lineLeft = spacing + ico;
    EXPECT_EQ(PixelAt(column.bmp, lineLeft + 2, row(9).Top), hs::kDividerInk & 0xFFFFFF);
    EXPECT_EQ(PixelAt(column.bmp, kWidth - 1, row(9).Top), hs::kDividerInk & 0xFFFFFF);
    EXPECT_NE(PixelAt(column.bmp, lineLeft - 2, row(9).Top), hs::kDividerInk & 0xFFFFFF);
    // The caption line: MENUCAPTION's colour, the caption without its markers centred.
    EXPECT_EQ(PixelAt(column.bmp, 2, middle(10)), Rgb(hs::kMenuCaption));
    const Ink title = InkIn(column.bmp, TRect(0, row(10).Top + 1, kWidth, row(10).Bottom - 1), Rgb(hs::kMenuCaption));
    ASSERT_TRUE(title);
    EXPECT_LE(std::abs((title.left + title.right) / 2 - kWidth / 2), 3);
    EXPECT_LT(title.right - title.left, column.bmp.Canvas()->TextWidth(L"-Title-")) << "markers left out";
    // OnGetPopupItemData's colour is the text's.
    bool red = false;
    for (int y = row(11).Top; y < row(11).Bottom; ++y)
        for (int x = textLeft; x < kWidth / 2; ++x) {
            const std::uint32_t p = PixelAt(column.bmp, x, y);
            red = red || ((p >> 16) > 0xC0 && (p >> 8 & 0xFF) < 0x40 && (p & 0xFF) < 0x40);
        }
    EXPECT_TRUE(red);
    // OnDrawItem follows every normal item (not separators and caption lines).
    EXPECT_EQ(kinds, std::vector<TsMenuItemType>(10, smNormal));
    m.OnGetPopupItemData = nullptr;
}

TEST_F(SkinMenusTest, MarksWithoutTheSkinsMasksSystemGlyphsSeparatorLinesAndOpaqueItems)
{
    TsSkinManager& m = UseMenuSkin();
    TsSkinableMenus& menus = *m.SkinableMenus();
    m.ButtonsOptions()->SetOldGlyphsMode(false);
    TPopupMenu* popup = NewPopup({L"Check", L"Radio", L"Close", L"Other", L"-", L"Plain"});
    popup->SetName(L"acSysMenu1");
    TMenuItem* items = popup->Items();
    items->Items(1)->SetRadioItem(true);
    items->Items(2)->SetTag(SC_CLOSE);
    // Without a divider image the separator is a line of the border colour; a normal item
    // section that is not transparent covers the icon column.
    TacSkinData* data = m.CommonSkinData(96);
    const int divider = m.SkinCommonInfo.Sections[ssDividerV];
    m.SkinCommonInfo.Sections[ssDividerV] = -1;
    TsGeneralData& item = data->gd[static_cast<size_t>(data->MenuItem.SkinIndex)];
    item.Props[0].Transparency = 0;

    ItemColumn column(menus, items);
    const TOwnerDrawState states[] = {{odChecked}, {odChecked}, {}, {}, {}, {}};
    for (int i = 0; i < items->Count(); ++i)
        menus.sAdvancedDrawItem(items->Items(i), column.bmp.Canvas(), column.rows[static_cast<size_t>(i)], states[i]);
    m.SkinCommonInfo.Sections[ssDividerV] = divider;
    item.Props[0].Transparency = 100;
    SaveEnlargedPng(column.bmp, L"skin_forms_menu_marks.png", 3);

    const int ico = menus.GlyphSize(items->Items(0), true).cx + menus.Margin() + menus.Spacing();
    const std::uint32_t bg = Rgb(hs::kMainColor);
    const auto icoInk = [&](int i) {
        const TRect r = column.rows[static_cast<size_t>(i)];
        return InkIn(column.bmp, TRect(0, r.Top, ico, r.Bottom), bg);
    };
    // The library's character marks: ink in the icon column, not the skin's mask colours.
    for (int i : {0, 1}) {
        const Ink mark = icoInk(i);
        ASSERT_TRUE(mark) << i;
        const TRect r = column.rows[static_cast<size_t>(i)];
        bool maskInk = false;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = 0; x < ico; ++x) {
                const std::uint32_t p = PixelAt(column.bmp, x, y);
                maskInk = maskInk || p == (hs::kCheckInk[0] & 0xFFFFFF) || p == (hs::kRadioInk[0] & 0xFFFFFF);
            }
        EXPECT_FALSE(maskInk) << i;
    }
    EXPECT_NE(icoInk(0).count, icoInk(1).count) << "check and radio differ";
    // Of the system menu: the close glyph for SC_CLOSE, nothing for another tag.
    EXPECT_TRUE(icoInk(2));
    EXPECT_FALSE(icoInk(3));
    EXPECT_EQ(PixelAt(column.bmp, kWidth - 10, (column.rows[3].Top + column.rows[3].Bottom) / 2), bg)
        << "the opaque normal state";
    // The separator line across the middle, after the icon column.
    const TRect line = column.rows[4];
    const int y = (line.Top + line.Bottom) / 2;
    EXPECT_EQ(PixelAt(column.bmp, kWidth - 10, y), Rgb(static_cast<std::uint32_t>(m.Palette[pcBorder])));
    EXPECT_NE(PixelAt(column.bmp, 2, y), Rgb(static_cast<std::uint32_t>(m.Palette[pcBorder])));
}

TEST_F(SkinMenusTest, ABrokenMenuGetsItsColumnLineAndTheEmptyEndOfAShortColumn)
{
    TsSkinManager& m = UseMenuSkin();
    TsSkinableMenus& menus = *m.SkinableMenus();
    TPopupMenu* popup = NewPopup({L"Alone", L"Second", L"Third"});
    TMenuItem* items = popup->Items();
    items->Items(1)->SetBreak(mbBarBreak);
    TBitmap bmp(2 * kWidth, 1, pf32bit);
    int w = 0, h = 0;
    for (int i = 0; i < 3; ++i) menus.sMeasureItem(items->Items(i), bmp.Canvas(), w, h);
    bmp.SetSize(2 * kWidth, 2 * h);
    bmp.Canvas()->Brush()->SetColor(static_cast<TColor>(Rgb(kUntouched)));
    bmp.Canvas()->FillRect(TRect(0, 0, 2 * kWidth, 2 * h));
    const TRect rects[] = {{0, 0, kWidth, h}, {kWidth, 0, 2 * kWidth, h}, {kWidth, h, 2 * kWidth, 2 * h}};
    for (int i = 0; i < 3; ++i) menus.sAdvancedDrawItem(items->Items(i), bmp.Canvas(), rects[i], TOwnerDrawState());
    SaveEnlargedPng(bmp, L"skin_forms_menu_columns.png", 2);

    const TacMenuInfo* info = menus.GetMenuInfo(items->Items(0), nullptr, nullptr);
    ASSERT_TRUE(info && info->Bmp);
    EXPECT_EQ(info->Bmp->Height(), 2 * h + 2 * menus.BorderWidth()) << "the taller column";
    EXPECT_TRUE(info->ItemsIterated);
    // Below the first column's only item: the menu background, not what the canvas held.
    EXPECT_EQ(PixelAt(bmp, kWidth - 10, h + h / 2), Rgb(hs::kMenuBack));
    EXPECT_EQ(PixelAt(bmp, 8, h + h / 2), Rgb(hs::kIcoLine));
    // The column line at the left of the second column, in the item section's text colour.
    EXPECT_EQ(PixelAt(bmp, kWidth, h / 2), Rgb(hs::kLabelText));
    EXPECT_EQ(PixelAt(bmp, kWidth, h + h / 2), Rgb(hs::kLabelText));
}
