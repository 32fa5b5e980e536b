// Skinned menus: items of a form's menu line painted into the provider's window image, at the
// place of the image that lies under the item, with and without an extended-border window.
#include "skin_forms_test_menus.h"

#include "sDefaults.h"

namespace {

namespace hs = house_skin;

// A 32-bit picture whose every pixel tells its place: red x, green y (both below 256).
void FillWithPlaces(TBitmap& bmp)
{
    for (int y = 0; y < bmp.Height(); ++y) {
        auto* row = static_cast<std::uint32_t*>(bmp.ScanLine(y));
        for (int x = 0; x < bmp.Width(); ++x)
            row[x] = 0xFF000000u | static_cast<std::uint32_t>(x) << 16 | static_cast<std::uint32_t>(y) << 8 | 0x55;
    }
}

TPoint PlaceOf(std::uint32_t pixel) { return TPoint(static_cast<int>(pixel >> 16 & 0xFF), static_cast<int>(pixel >> 8 & 0xFF)); }

} // namespace

TEST_F(SkinMenusTest, LineItemsPaintIntoTheProvidersWindowImage)
{
    TsSkinManager& m = UseMenuSkin();
    TsSkinableMenus& menus = *m.SkinableMenus();
    TSpyProvider& provider = ProvidedForm(300, 200);
    auto* bar = new TMainMenu(form);
    auto* file = new TMenuItem(form);
    file->SetCaption(L"&File");
    bar->Items()->Add(file);
    auto& cache = provider.SkinData()->FCacheBmp;
    cache = std::make_unique<TBitmap>(250, 250, pf32bit);
    TBitmap target(250, 250, pf32bit);
    menus.MenuProvider = &provider;
    std::vector<TsMenuItemType> kinds;
    menus.OnDrawItem = [&kinds](TObject*, TCanvas*, TRect, TOwnerDrawState, TsMenuItemType kind) { kinds.push_back(kind); };

    HWND wnd = form->Handle();
    const int sysBorder = provider.SysBorderWidth();
    const TRect item(40, 60, 110, 80);
    TacBorderForm border;
    border.sp = &provider;
    border.SkinData = provider.SkinData();
    struct Row {
        const char* what;
        bool intoCache;
        bool borderForm;
        TPoint offset; // where the item's top-left corner reads the window image
    };
    const Row rows[] = {
        {"into the image", true, false,
         TPoint(item.Left - provider.ShadowSize().Left - sysBorder,
                item.Top - provider.SysCaptHeight() - SysBorderHeight(wnd, nullptr, true))},
        {"on the window", false, false,
         TPoint(item.Left - sysBorder + DiffBorder(nullptr),
                item.Top - provider.SysCaptHeight() + DiffTitle(nullptr) - SysBorderHeight(wnd, nullptr, true))},
        {"into the image, extended borders", true, true, TPoint()},
    };
    for (const Row& row : rows) {
        provider.BorderForm = row.borderForm ? &border : nullptr;
        TPoint offset = row.offset;
        if (row.borderForm) offset = TPoint(item.Left - provider.ShadowSize().Left - provider.SysBorderWidth(),
                                            item.Top - provider.CaptionHeight(true) - provider.ShadowSize().Top);
        FillWithPlaces(*cache);
        TBitmap& out = row.intoCache ? *cache : target;
        menus.sAdvancedDrawLineItem(file, out.Canvas(), item, TOwnerDrawState());
        EXPECT_EQ(PlaceOf(PixelAt(out, item.Left + 1, item.Top + 1)), TPoint(offset.X + 1, offset.Y + 1)) << row.what;
        EXPECT_EQ(PlaceOf(PixelAt(out, item.Right - 2, item.Bottom - 2)),
                  TPoint(offset.X + item.Width() - 2, offset.Y + item.Height() - 2))
            << row.what;
    }
    provider.BorderForm = nullptr;
    EXPECT_EQ(kinds, std::vector<TsMenuItemType>(3, smTopLine));

    // The caption in the middle, through the skin's text writer; a disabled item blended with the
    // menu-line image.
    cache->Canvas()->Brush()->SetColor(clWhite);
    cache->Canvas()->FillRect(TRect(0, 0, 250, 250));
    menus.sAdvancedDrawLineItem(file, cache->Canvas(), item, TOwnerDrawState());
    const Ink caption = InkIn(*cache, item, 0xFFFFFF);
    ASSERT_TRUE(caption);
    EXPECT_LE(std::abs((caption.left + caption.right) / 2 - (item.Left + item.Right) / 2), 3);
    provider.MenuLineBmp = std::make_unique<TBitmap>(250, 40, pf32bit);
    provider.MenuLineBmp->Canvas()->Brush()->SetColor(clBlue);
    provider.MenuLineBmp->Canvas()->FillRect(TRect(0, 0, 250, 40));
    file->SetEnabled(false);
    cache->Canvas()->FillRect(TRect(0, 0, 250, 250));
    menus.sAdvancedDrawLineItem(file, cache->Canvas(), item, TOwnerDrawState());
    const std::uint32_t blended = PixelAt(*cache, item.Left + 2, item.Top + 2);
    EXPECT_LT(blended >> 16 & 0xFF, 0xF0u) << "towards blue";
    EXPECT_GT(blended & 0xFF, 0xF0u);
    SaveEnlargedPng(*cache, L"skin_forms_menu_line.png", 2);
    menus.MenuProvider = nullptr;
}
