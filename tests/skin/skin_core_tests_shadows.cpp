// Window shadows of a skin data: the window shadow images, the form-shadow templates taken from
// them or from the extended border's image, the shadow margins, and the brightness limits.
#include "BuildFolder.h"
#include "skin_graphics_test_pixels.h"

#include "../framework/graphics_png.h"
#include "sSkinManager.h"
#include "skin_core_test_layered.h"

#include <gtest/gtest.h>

#include <memory>

namespace {


bool SamePixels(TBitmap* a, TBitmap* b)
{
    if (!a || !b || a->Width() != b->Width() || a->Height() != b->Height()) return false;
    for (int y = 0; y < a->Height(); ++y)
        for (int x = 0; x < a->Width(); ++x)
            if (Px(*a, x, y) != Px(*b, x, y)) return false;
    return true;
}

// Whether bmp holds the w x h pixels of src from (left, top) on.
bool HoldsFrame(TBitmap* bmp, TBitmap& src, int left, int top, int w, int h)
{
    if (!bmp || bmp->Width() != w || bmp->Height() != h) return false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (Px(*bmp, x, y) != Px(src, left + x, top + y)) return false;
    return true;
}

// An active manager with extended borders and a 96-PPI skin data with window-shadow metrics.
class SkinShadows : public ::testing::Test {
protected:
    SkinShadows() : manager(nullptr), data(&manager, 96)
    {
        manager.SkinCommonInfo.Active = true;
        manager.SetExtendedBorders(true);
        manager.MasterBitmap = Numbered(40, 20, 0xC0000000);
        data.WndShadowRadius = 5;
        data.WndShadowSize = 13;
        data.WndShadowOffset = 2;
        data.WndShadowColorA = static_cast<TColor>(0x990000FFu);
        data.WndShadowColorN = static_cast<TColor>(0x4400FF00u);
        data.ExBorder = -1;
    }

    // An "EXBORDER" image of frames of 6 x 5 pixels with borders 8, 10, 8, 12.
    TsMaskData& ExBorder(int imageCount)
    {
        data.ExBorder = data.MakeNewItem(0, L"EXBORDER", L"GLOBALINFO", itisaBorder, {}, imageCount, 0, 0);
        TsMaskData& m = data.ma[static_cast<size_t>(data.ExBorder)];
        m.Width = 6;
        m.Height = 5;
        m.WL = 8;
        m.WT = 10;
        m.WR = 8;
        m.WB = 12;
        return m;
    }

    LayeredCallBound layered;
    TsSkinManager manager;
    TacSkinData data;
};

} // namespace

TEST_F(SkinShadows, NoFormShadowWithoutAnActiveSkinOrExtendedBorders)
{
    const struct {
        const char* what;
        bool active, borders, layered;
    } cases[] = {
        {"inactive skin", false, true, true},
        {"extended borders off", true, false, true},
        {"no layered-window call", true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        manager.SkinCommonInfo.Active = c.active;
        manager.SetExtendedBorders(c.borders);
        TacSystemEntries entries = acSystemEntries();
        if (!c.layered) entries.UpdateLayeredWindow = nullptr;
        const TacSystemEntries previous = acReplaceSystemEntries(entries);
        data.FormShadowSize = TRect(1, 2, 3, 4);
        data.CheckShadows();
        acReplaceSystemEntries(previous);
        EXPECT_EQ(data.FormShadowSize, TRect());
        EXPECT_FALSE(data.ShdaTemplate || data.ShdiTemplate);
    }
    TacSkinData ownerless(nullptr, 96);
    ownerless.FormShadowSize = TRect(1, 2, 3, 4);
    ownerless.CheckShadows();
    EXPECT_EQ(ownerless.FormShadowSize, TRect());
}

TEST_F(SkinShadows, WindowShadowsFadeOverTheirRadius)
{
    // Radius 5, size 13, offset 2: the shadow's middle is full strength and its edges fade out
    // over the radius on every side, for the active and the passive colour.
    for (const auto& [shadow, alpha] : {std::pair{data.GetActiveShadow(), 0x99u}, std::pair{data.GetPassiveShadow(), 0x44u}}) {
        ASSERT_TRUE(shadow);
        const int w = shadow->Width(), h = shadow->Height();
        ASSERT_EQ(w, 2 * 5 + 2 * 13 + 1);
        ASSERT_EQ(h, 2 * 5 + 2 * 13 + 2 + 1);
        const int midX = w / 2, midY = h / 2;
        EXPECT_NEAR(static_cast<int>(Px(*shadow, midX, midY) >> 24), static_cast<int>(alpha), 1);
        // From each edge to the radius the alpha grows step by step, then stays full.
        const struct { int x0, y0, dx, dy; } sides[] = {
            {0, midY, 1, 0}, {w - 1, midY, -1, 0}, {midX, 2, 0, 1}, {midX, h - 1, 0, -1}};
        for (const auto& s : sides) {
            SCOPED_TRACE(testing::Message() << s.x0 << "," << s.y0);
            unsigned previous = 0;
            for (int i = 0; i <= 5; ++i) {
                const unsigned a = Px(*shadow, s.x0 + i * s.dx, s.y0 + i * s.dy) >> 24;
                EXPECT_GT(a, previous) << i;
                previous = a;
            }
            EXPECT_NEAR(static_cast<int>(previous), static_cast<int>(alpha), 1);
        }
    }
}

TEST_F(SkinShadows, WithoutAnExBorderImageTheTemplatesAreTheWindowShadows)
{
    const struct {
        int size, offset;
        TRect margins;
    } cases[] = {
        {13, 2, {13, 11, 13, 15}},
        {3, 5, {3, 0, 3, 8}}, // an offset past the size leaves no top shadow
        {4, -6, {4, 10, 4, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        data.Reset();
        data.ExBorder = -1;
        data.WndShadowSize = c.size;
        data.WndShadowOffset = c.offset;
        data.CheckShadows();
        EXPECT_EQ(data.FormShadowSize, c.margins);
        ASSERT_TRUE(data.ShdaTemplate && data.ShdiTemplate);
        EXPECT_NE(data.ShdaTemplate.get(), data.GetActiveShadow()) << "a copy";
        EXPECT_TRUE(SamePixels(data.ShdaTemplate.get(), data.GetActiveShadow()));
        EXPECT_TRUE(SamePixels(data.ShdiTemplate.get(), data.GetPassiveShadow()));
    }
    // An index past the image list is no image either.
    data.ExBorder = 0;
    data.CheckShadows();
    EXPECT_TRUE(SamePixels(data.ShdaTemplate.get(), data.GetActiveShadow()));
}

TEST_F(SkinShadows, ExBorderMarginsAreItsBordersLessTheContentOffsetOrThatOffset)
{
    const struct {
        int drawMode, contentOffs;
        TRect margins;
    } cases[] = {
        {0, 3, {5, 7, 5, 9}},
        {0, 11, {0, 0, 0, 1}},
        {2, 3, {3, 3, 3, 3}},
    };
    TsMaskData& m = ExBorder(1);
    m.Bmp = manager.MasterBitmap.get();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.drawMode * 100 + c.contentOffs);
        data.ExDrawMode = c.drawMode;
        data.ExContentOffs = c.contentOffs;
        data.CheckShadows();
        EXPECT_EQ(data.FormShadowSize, c.margins);
    }
}

TEST_F(SkinShadows, ExBorderFramesBecomeTheTemplates)
{
    auto own = Numbered(12, 5, 0x80000000);
    TsMaskData* m = &ExBorder(2);
    m->Bmp = own.get();
    m->R = TRect(0, 0, 12, 5);
    data.CheckShadows();
    EXPECT_TRUE(HoldsFrame(data.ShdiTemplate.get(), *own, 0, 0, 6, 5)) << "inactive: frame 0";
    EXPECT_TRUE(HoldsFrame(data.ShdaTemplate.get(), *own, 6, 0, 6, 5)) << "active: frame 1";

    m->ImageCount = 1;
    data.CheckShadows();
    EXPECT_TRUE(HoldsFrame(data.ShdiTemplate.get(), *own, 0, 0, 6, 5));
    EXPECT_TRUE(HoldsFrame(data.ShdaTemplate.get(), *own, 0, 0, 6, 5)) << "one frame: the same picture";
    EXPECT_NE(data.ShdaTemplate.get(), data.ShdiTemplate.get());

    // An image of the master bitmap: the frames lie at its R there.
    m->ImageCount = 2;
    m->Bmp = nullptr;
    m->R = TRect(10, 4, 22, 9);
    data.CheckShadows();
    EXPECT_TRUE(HoldsFrame(data.ShdiTemplate.get(), *manager.MasterBitmap, 10, 4, 6, 5));
    EXPECT_TRUE(HoldsFrame(data.ShdaTemplate.get(), *manager.MasterBitmap, 16, 4, 6, 5));

    // A frame reaching past its image is cut there, the rest left empty.
    m->R = TRect(30, 16, 42, 21);
    data.CheckShadows();
    ASSERT_TRUE(data.ShdaTemplate);
    EXPECT_EQ(Px(*data.ShdaTemplate, 0, 0), Px(*manager.MasterBitmap, 36, 16));
    EXPECT_EQ(Px(*data.ShdaTemplate, 4, 0), 0u);
    EXPECT_EQ(Px(*data.ShdaTemplate, 0, 4), 0u);
}

TEST_F(SkinShadows, WindowShadowsAreMadeOnceAndKeptUntilReset)
{
    TBitmap* active = data.GetActiveShadow();
    TBitmap* passive = data.GetPassiveShadow();
    ASSERT_TRUE(active && passive);
    EXPECT_NE(active, passive);
    // 2 radius + 2 size + 1 wide, and the offset taller.
    EXPECT_EQ(active->Width(), 37);
    EXPECT_EQ(active->Height(), 39);
    EXPECT_EQ(active->PixelFormat(), pf32bit);
    data.WndShadowSize = 2;
    EXPECT_EQ(data.GetActiveShadow(), active);
    EXPECT_EQ(data.GetActiveShadow()->Width(), 37) << "kept, not made again";
    EXPECT_EQ(data.GetPassiveShadow(), passive);

    data.CheckShadows();
    SaveBitmapAsPng(*data.ShdaTemplate, BuildFolderFile(L"skin_shadow_active.png"), true);
    SaveBitmapAsPng(*data.ShdiTemplate, BuildFolderFile(L"skin_shadow_passive.png"), true);

    data.Reset();
    EXPECT_FALSE(data.rsta || data.rsti || data.ShdaTemplate || data.ShdiTemplate);
    EXPECT_EQ(data.GetActiveShadow()->Width(), 15) << "made anew from the metrics of now";
}

TEST_F(SkinShadows, ActiveStateAndBrightnessLimitsAreTheManagers)
{
    manager.SkinCommonInfo.BrightMin = -30;
    manager.SkinCommonInfo.BrightMax = 70;
    EXPECT_EQ(data.BrightMin(), -30);
    EXPECT_EQ(data.BrightMax(), 70);
    EXPECT_TRUE(data.Active());
    manager.SkinCommonInfo.Active = false;
    EXPECT_FALSE(data.Active());
}
