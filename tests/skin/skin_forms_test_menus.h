#pragma once
// What the skinned-menu tests share: the house skin with its menu sections, a pop-up menu built
// from captions, and pixel reading of 32-bit bitmaps (colours as 0x00RRGGBB).
#include "skin_forms_test_support.h"

#include "Menus.h"
#include "sGlyphUtils.h"
#include "sSkinMenus.h"

#include <cstdint>

class SkinMenusTest : public SkinFormsTest {
protected:
    // The library's character glyphs are made by its start-up.
    void SetUp() override
    {
        SkinFormsTest::SetUp();
        sGlyphUtilsInitialization();
    }
    void TearDown() override
    {
        sGlyphUtilsFinalization();
        ac_OldGlyphsMode = oldGlyphsMode_;
        delete owner_;
        owner_ = nullptr;
        if (manager) manager->SkinableMenus()->OnDrawItem = nullptr;
        SkinFormsTest::TearDown();
    }

    // An active manager over the house skin with its menu sections and marks.
    TsSkinManager& UseMenuSkin()
    {
        house_skin::Options options;
        options.withForm = true;
        options.withMenus = true;
        manager = ActiveHouseSkinManager(dir.Path(), options);
        EXPECT_TRUE(manager && manager->IsActive());
        manager->SkinableMenus()->ClearCache();
        owner_ = new TComponent(Application);
        return *manager;
    }

    // A pop-up menu owned by a component of the application, one item per caption.
    TPopupMenu* NewPopup(std::initializer_list<const wchar_t*> captions)
    {
        auto* popup = new TPopupMenu(owner_);
        for (const wchar_t* caption : captions) AddItem(popup->Items(), caption);
        return popup;
    }
    TMenuItem* AddItem(TMenuItem* parent, const UnicodeString& caption)
    {
        auto* item = new TMenuItem(owner_);
        item->SetCaption(caption);
        parent->Add(item);
        return item;
    }

    TComponent* owner_ = nullptr; // made with the skin, freed first
    bool oldGlyphsMode_ = ac_OldGlyphsMode;
};

// A skin colour (0x00BBGGRR) as a pixel reads (0x00RRGGBB).
constexpr std::uint32_t Rgb(std::uint32_t color)
{
    return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

inline std::uint32_t PixelAt(TBitmap& bmp, int x, int y)
{
    GdiFlush();
    return static_cast<const std::uint32_t*>(bmp.ScanLine(y))[x] & 0xFFFFFF;
}

// Whether two pixels differ by more than a trace in some channel.
inline bool Differs(std::uint32_t a, std::uint32_t b, int by = 48)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF);
        if (d > by || d < -by) return true;
    }
    return false;
}

// The columns of r that hold a pixel other than bg (first, last; -1, -1 when none).
struct Ink {
    int left = -1, right = -1, count = 0;
    explicit operator bool() const { return count > 0; }
};
inline Ink InkIn(TBitmap& bmp, const TRect& r, std::uint32_t bg, int by = 48)
{
    Ink ink;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (Differs(PixelAt(bmp, x, y), bg, by)) {
                if (ink.left < 0 || x < ink.left) ink.left = x;
                ink.right = std::max(ink.right, x);
                ++ink.count;
            }
    return ink;
}
