// Skin masks: the corner hit test, the frame size, and rescaling an image from the density it
// was drawn at to another, with its key colour, its two halves and its border widths.
#include "skin_graphics_test_pixels.h"

#include "../framework/graphics_png.h"
#include "sMaskData.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr Word kKey = 0x00FF00FF;
constexpr Word kRed = Argb(255, 255, 0, 0);
constexpr Word kBlue = Argb(255, 0, 0, 255);
constexpr Word kBlack = Argb(255, 0, 0, 0);

static_assert(sizeof(TsMaskData::WL) == 2 && sizeof(TsMaskData::ImageCount) == 2 && sizeof(TsMaskData::Cfg) == 4);

UnicodeString BuildFile(const wchar_t* name)
{
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"MARLINDO_BUILD", dir, MAX_PATH);
    return (n ? UnicodeString(dir) + L"\\" : UnicodeString()) + name;
}

// Every byte within 2 of the expected word's (resampling a plain area may lose a little).
bool Near(Word p, Word expected)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>(p >> shift & 0xFF) - static_cast<int>(expected >> shift & 0xFF)) > 2)
            return false;
    return true;
}

void Fill(TBitmap& bmp, const TRect& r, Word value)
{
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) SetPx(bmp, x, y, value);
}

// A mask lying at r of a source, drawn at 96 PPI and wanted at mul.
TsMaskData MaskAt(const TRect& r, int imageCount, int maskType, int mul, int div = 96)
{
    TsMaskData mask;
    mask.R = r;
    mask.ImageCount = static_cast<std::int16_t>(imageCount);
    mask.MaskType = static_cast<std::int16_t>(maskType);
    mask.MulPPi = mul;
    mask.DivPPI = div;
    mask.WL = mask.WT = mask.WR = mask.WB = 2;
    return mask;
}

bool SameMask(const TsMaskData& a, const TsMaskData& b)
{
    return a.Bmp == b.Bmp && a.R == b.R && a.ImageCount == b.ImageCount && a.MaskType == b.MaskType &&
           a.DrawMode == b.DrawMode && a.WL == b.WL && a.WT == b.WT && a.WR == b.WR && a.WB == b.WB &&
           a.MulPPi == b.MulPPi && a.DivPPI == b.DivPPI && a.Width == b.Width && a.Height == b.Height;
}

// A bitmap that reports its own destruction.
class TSpyBitmap : public TBitmap {
public:
    explicit TSpyBitmap(bool& freed) : freed_(freed)
    {
        SetPixelFormat(pf32bit);
        SetSize(12, 12);
    }
    ~TSpyBitmap() override { freed_ = true; }

private:
    bool& freed_;
};

// The skin's main colour from a manager of the test while it lives.
class DefaultManagerScope {
public:
    explicit DefaultManagerScope(TColor mainColor) : manager_(nullptr)
    {
        manager_.Palette[pcMainColor] = mainColor;
        manager_.SkinCommonInfo.Active = true; // only a skin in use lends its colours
        DefaultManager = &manager_;
    }
    ~DefaultManagerScope() { DefaultManager = nullptr; }
    TsSkinManager& Manager() { return manager_; }

private:
    TsSkinManager manager_;
};

// A copy n times larger (nearest pixel) for looking at.
std::unique_ptr<TBitmap> Magnified(TBitmap& bmp, int n)
{
    auto big = CreateBmp32(bmp.Width() * n, bmp.Height() * n);
    for (int y = 0; y < big->Height(); ++y)
        for (int x = 0; x < big->Width(); ++x) SetPx(*big, x, y, Px(bmp, x / n, y / n) | 0xFF000000u);
    return big;
}

} // namespace

TEST(SkinMasks, CornerHitTestMapsTheFarCornersAndReadsThePixelByTheConfiguration)
{
    // A 10 x 10 frame with borders 3 painted over a 30 x 20 area.
    auto bmp = Bmp32(10, 10, kBlack);
    TsMaskData mask;
    mask.Width = mask.Height = 10;
    mask.WL = mask.WT = mask.WR = mask.WB = 3;
    EXPECT_EQ(MkSize(mask), TSize(10, 10));

    // Without a bitmap nothing is transparent.
    EXPECT_FALSE(PtIsTransparent(0, 0, mask, 30, 20));
    mask.Bmp = bmp.get();

    // Every pixel transparent: only points in the corner areas count.
    Fill(*bmp, {0, 0, 10, 10}, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool corner = (x <= 3 || x >= 27) && (y <= 3 || y >= 17);
            EXPECT_EQ(PtIsTransparent(x, y, mask, 30, 20), corner) << x << "," << y;
        }

    // Right and bottom corners read Width - W + X and Height - H + Y.
    Fill(*bmp, {0, 0, 10, 10}, kBlack);
    SetPx(*bmp, 7, 0, 0);
    SetPx(*bmp, 9, 9, 0);
    SetPx(*bmp, 3, 8, 0);
    EXPECT_TRUE(PtIsTransparent(27, 0, mask, 30, 20));
    EXPECT_FALSE(PtIsTransparent(28, 0, mask, 30, 20));
    EXPECT_TRUE(PtIsTransparent(29, 19, mask, 30, 20));
    EXPECT_TRUE(PtIsTransparent(3, 18, mask, 30, 20));
    EXPECT_FALSE(PtIsTransparent(3, 17, mask, 30, 20));

    // Cfg bit 0: the key colour with alpha 0; otherwise alpha 0 of any colour.
    struct Case {
        Word pixel;
        bool keyed, alphaZero;
    };
    for (const Case& c : {Case{kKey, true, true}, Case{0xFFFF00FF, false, false}, Case{0x00123456, false, true},
                          Case{0x80000000, false, false}}) {
        SetPx(*bmp, 0, 0, c.pixel);
        mask.Cfg = 1;
        EXPECT_EQ(PtIsTransparent(0, 0, mask, 30, 20), c.keyed) << std::hex << c.pixel;
        mask.Cfg = 2;
        EXPECT_EQ(PtIsTransparent(0, 0, mask, 30, 20), c.alphaZero) << std::hex << c.pixel;
    }

    // A frame said to be wider than its bitmap reads nothing beyond it: word 0.
    mask.Width = 12;
    mask.Cfg = 0;
    EXPECT_TRUE(PtIsTransparent(29, 0, mask, 30, 20));
    mask.Cfg = 1;
    EXPECT_FALSE(PtIsTransparent(29, 0, mask, 30, 20));
}

TEST(SkinMasks, MasksThatCannotOrNeedNotBeScaledStayAsTheyAre)
{
    auto source = Bmp32(40, 40, kRed);
    struct Case {
        const char* name;
        int width, height, imageCount, maskType, mul, div;
        int wl, wr, wt, wb;
        bool withSource = true;
    };
    const Case cases[] = {
        {"same density", 12, 12, 1, 0, 96, 96, 2, 2, 2, 2},
        {"left and right 1", 12, 12, 1, 0, 192, 96, 1, 1, 2, 2},
        {"left 0 and right 2", 12, 12, 1, 0, 192, 96, 0, 2, 2, 2},
        {"top and bottom 1", 12, 12, 1, 0, 192, 96, 2, 2, 1, 1},
        {"frame 2 wide", 12, 12, 6, 0, 192, 96, 0, 0, 0, 0},
        {"image half 2 high", 12, 5, 1, 1, 192, 96, 0, 0, 0, 0},
        {"no frames", 12, 12, 0, 0, 192, 96, 2, 2, 2, 2},
        {"no height", 12, 12, 1, -1, 192, 96, 2, 2, 2, 2},
        {"no density drawn at", 12, 12, 1, 0, 192, 0, 2, 2, 2, 2},
        {"no source", 12, 12, 1, 0, 192, 96, 2, 2, 2, 2, false},
    };
    for (const Case& c : cases) {
        TsMaskData mask = MaskAt({4, 4, 4 + c.width, 4 + c.height}, c.imageCount, c.maskType, c.mul, c.div);
        mask.WL = static_cast<std::int16_t>(c.wl);
        mask.WR = static_cast<std::int16_t>(c.wr);
        mask.WT = static_cast<std::int16_t>(c.wt);
        mask.WB = static_cast<std::int16_t>(c.wb);
        mask.Width = 7;
        mask.Height = 9;
        const TsMaskData before = mask;
        std::unique_ptr<TBitmap> own;
        EXPECT_FALSE(ScaleMaskData(mask, c.withSource ? source.get() : nullptr, false, own)) << c.name;
        EXPECT_TRUE(SameMask(mask, before)) << c.name;
        EXPECT_FALSE(own) << c.name;
    }
}

TEST(SkinMasks, ScaledSizesAndBorderWidths)
{
    auto source = Bmp32(40, 40, kRed);
    struct Case {
        const char* name;
        int width, height, imageCount, maskType, drawMode, mul, div;
        int wl, wt, wr, wb;
        int bmpW, bmpH, frameW, frameH;
        int newWl, newWt, newWr, newWb;
    };
    const Case cases[] = {
        // 6 x 6 frames at 120/96: 7 x 7; MulDiv rounds (3.75 -> 4, 2.5 -> 3); the right border is
        // held to Width - WL - 1 with the border widths from before (7 - 3 - 1).
        {"one image, two frames", 12, 6, 2, 0, 0, 120, 96, 3, 1, 3, 2, 14, 7, 7, 7, 4, 1, 3, 3},
        // half 5 at 144/96 is 7: total 14, even.
        {"two halves", 6, 10, 1, 1, 0, 144, 96, 2, 2, 2, 2, 9, 14, 9, 7, 3, 3, 3, 3},
        {"two halves, alpha mode: full height", 6, 10, 1, 1, 0x10, 144, 96, 2, 2, 2, 2, 9, 14, 9, 14, 3, 3, 3, 3},
        // 9 x 9 at 96/144: 6 x 6; the right border 6 is held to 6 - 0 - 1, the bottom one to 6 - 4 - 1.
        {"smaller", 9, 9, 1, 0, 0, 96, 144, 0, 4, 9, 3, 6, 6, 6, 6, 0, 3, 5, 1},
        // half 7 div 2 = 3 rows; the bottom border 6 is held to 6 - 0 - 1.
        {"odd half at 192/96", 6, 7, 1, 1, 0, 192, 96, 3, 0, 0, 3, 12, 12, 12, 6, 6, 0, 0, 5},
    };
    for (const Case& c : cases) {
        TsMaskData mask = MaskAt({3, 2, 3 + c.width, 2 + c.height}, c.imageCount, c.maskType, c.mul, c.div);
        mask.DrawMode = static_cast<std::int16_t>(c.drawMode);
        mask.WL = static_cast<std::int16_t>(c.wl);
        mask.WT = static_cast<std::int16_t>(c.wt);
        mask.WR = static_cast<std::int16_t>(c.wr);
        mask.WB = static_cast<std::int16_t>(c.wb);
        std::unique_ptr<TBitmap> own;
        ASSERT_TRUE(ScaleMaskData(mask, source.get(), false, own)) << c.name;
        ASSERT_TRUE(own) << c.name;
        EXPECT_EQ(mask.Bmp, own.get()) << c.name;
        EXPECT_EQ(own->Width(), c.bmpW) << c.name;
        EXPECT_EQ(own->Height(), c.bmpH) << c.name;
        EXPECT_EQ(own->PixelFormat(), pf32bit) << c.name;
        EXPECT_EQ(mask.R, TRect(0, 0, c.bmpW, c.bmpH)) << c.name;
        EXPECT_EQ(MkSize(mask), TSize(c.frameW, c.frameH)) << c.name;
        EXPECT_EQ(mask.WL, c.newWl) << c.name;
        EXPECT_EQ(mask.WT, c.newWt) << c.name;
        EXPECT_EQ(mask.WR, c.newWr) << c.name;
        EXPECT_EQ(mask.WB, c.newWb) << c.name;
        EXPECT_EQ(mask.MulPPi, c.mul) << c.name;
        EXPECT_EQ(mask.DivPPI, c.div) << c.name;
    }
}

TEST(SkinMasks, OneImageBecomesOpaqueOrKeyUnlessItsAlphaIsKept)
{
    // In a green master bitmap, at (2, 1): a 6 x 6 frame, red left, key right; below it bands of
    // alpha 86 and 94, four rows each.
    auto master = Bmp32(12, 18, Argb(255, 0, 255, 0));
    Fill(*master, {2, 1, 5, 7}, kRed);
    Fill(*master, {5, 1, 8, 7}, kKey);
    Fill(*master, {2, 7, 8, 11}, Argb(86, 0, 0, 200));
    Fill(*master, {2, 11, 8, 15}, Argb(94, 0, 0, 200));
    const TRect r(2, 1, 8, 15);
    DefaultManagerScope scope(0x00FF0000); // the skin's main colour: blue

    struct Case {
        const char* name;
        int drawMode;
        bool keepAlpha;
    };
    for (const Case& c : {Case{"key and opaque", 0, false}, Case{"alpha mode", 0x10, false},
                          Case{"alpha kept", 0, true}}) {
        TsMaskData mask = MaskAt(r, 1, 0, 192);
        mask.DrawMode = static_cast<std::int16_t>(c.drawMode);
        std::unique_ptr<TBitmap> own;
        ASSERT_TRUE(ScaleMaskData(mask, master.get(), c.keepAlpha, own)) << c.name;
        TBitmap& out = *own;
        ASSERT_EQ(out.Width(), 12);
        ASSERT_EQ(out.Height(), 28);
        bool keyMixed = false, partial = false;
        for (int y = 0; y < 28; ++y)
            for (int x = 0; x < 12; ++x) {
                const Word p = Px(out, x, y);
                EXPECT_EQ(ByteG(p), 0) << c.name << ": nothing from outside R, at " << x << "," << y;
                if (ByteA(p) > 0 && ByteA(p) < 255) partial = true;
                // Rows from the frame alone: red, key and what lies between.
                if (y < 8 && p != kKey && ByteB(p) > 0 && ByteR(p) > 0) keyMixed = true;
            }
        if (c.drawMode == 0 && !c.keepAlpha) {
            for (int y = 0; y < 28; ++y)
                for (int x = 0; x < 12; ++x) {
                    const Word p = Px(out, x, y);
                    EXPECT_TRUE(p == kKey || ByteA(p) == 255) << c.name << " at " << x << "," << y;
                }
            EXPECT_TRUE(Near(Px(out, 0, 5), kRed)) << "red stays red";
            EXPECT_EQ(Px(out, 11, 5), kKey) << "the key area is key again";
            EXPECT_EQ(Px(out, 5, 15), kKey) << "alpha 86 is below 90";
            EXPECT_EQ(ByteA(Px(out, 5, 23)), 255) << "alpha 94 is not";
            // Between red and key the pixels that stay opaque took the skin's main colour.
            EXPECT_TRUE(keyMixed);
        } else {
            EXPECT_TRUE(partial) << c.name << ": alpha is left as resampled";
            EXPECT_TRUE(Near(Px(out, 5, 15), Argb(86, 0, 0, 200))) << c.name;
            EXPECT_TRUE(Near(Px(out, 5, 23), Argb(94, 0, 0, 200))) << c.name;
            EXPECT_TRUE(Near(Px(out, 11, 5), kKey)) << c.name << ": the key stays magenta";
        }
    }

    // Without a manager the key is the low bytes of the library colour: next to black.
    DefaultManager = nullptr;
    TsMaskData mask = MaskAt(r, 1, 0, 192);
    std::unique_ptr<TBitmap> own;
    ASSERT_TRUE(ScaleMaskData(mask, master.get(), false, own));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_EQ(ByteB(Px(*own, x, y)) == 0, Px(*own, x, y) != kKey) << x << "," << y;
}

TEST(SkinMasks, TwoHalfMaskKeepsItsCornersKeyedAndItsMaskWhiteThere)
{
    // An 8 x 8 frame over its mask, borders 2. The image is blue, key in its top-left corner,
    // with bands of alpha 96 (left) and 110 (right) in its lower four rows; the mask is black,
    // key in its bottom-right corner.
    auto master = Bmp32(8, 16, kBlue);
    Fill(*master, {0, 0, 2, 2}, kKey);
    Fill(*master, {0, 4, 4, 8}, Argb(96, 0, 0, 255));
    Fill(*master, {4, 4, 8, 8}, Argb(110, 0, 0, 255));
    Fill(*master, {0, 8, 8, 16}, kBlack);
    Fill(*master, {6, 14, 8, 16}, kKey);
    DefaultManagerScope scope(0x0000FF00);

    TsMaskData mask = MaskAt({0, 0, 8, 16}, 1, 1, 192);
    std::unique_ptr<TBitmap> own;
    ASSERT_TRUE(ScaleMaskData(mask, master.get(), false, own));
    TBitmap& out = *own;
    ASSERT_EQ(out.Width(), 16);
    ASSERT_EQ(out.Height(), 32);
    ASSERT_EQ(mask.Height, 16);

    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const Word p = Px(out, x, y);
            EXPECT_TRUE(p == kKey || ByteA(p) >= 100) << "image below alpha 100 is key, at " << x << "," << y;
        }
    EXPECT_EQ(Px(out, 0, 0), kKey) << "keyed corner";
    EXPECT_TRUE(Near(Px(out, 8, 4), kBlue)) << "blue image";
    EXPECT_EQ(Px(out, 3, 12), kKey) << "alpha 96";
    EXPECT_TRUE(Near(Px(out, 12, 12), Argb(110, 0, 0, 255))) << "alpha 110 is kept, not made opaque";

    // The mask half lies under the image half: white where the corners were key, else black.
    const Word white = 0x00FFFFFF;
    EXPECT_TRUE(Near(Px(out, 0, 16), white)) << "under the keyed image corner";
    EXPECT_TRUE(Near(Px(out, 1, 17), white));
    EXPECT_TRUE(Near(Px(out, 15, 31), white)) << "the mask's own key";
    EXPECT_TRUE(Near(Px(out, 14, 30), white));
    EXPECT_EQ(Px(out, 8, 24), kBlack);
    EXPECT_EQ(Px(out, 15, 16), kBlack) << "a corner whose image was not key";
}

TEST(SkinMasks, ThePreviousOwnBitmapIsFreedTheSharedSourceNever)
{
    bool sharedFreed = false, ownFreed = false, listedFreed = false;
    auto shared = std::make_unique<TSpyBitmap>(sharedFreed);
    Fill(*shared, {0, 0, 12, 12}, kRed);

    // From the shared source: the mask gets a bitmap of its own.
    TsMaskData mask = MaskAt({0, 0, 12, 12}, 1, 0, 192);
    std::unique_ptr<TBitmap> own;
    ASSERT_TRUE(ScaleMaskData(mask, shared.get(), false, own));
    EXPECT_FALSE(sharedFreed);
    EXPECT_EQ(mask.Bmp, own.get());

    // From a bitmap the mask owns: it is the source and is freed after.
    own = std::make_unique<TSpyBitmap>(ownFreed);
    Fill(*own, {0, 0, 12, 12}, kBlue);
    mask = MaskAt({0, 0, 12, 12}, 1, 0, 144);
    mask.Bmp = own.get();
    ASSERT_TRUE(ScaleMaskData(mask, shared.get(), false, own));
    EXPECT_TRUE(ownFreed);
    EXPECT_FALSE(sharedFreed);
    EXPECT_EQ(mask.Bmp, own.get());
    EXPECT_TRUE(Near(Px(*own, 8, 8), kBlue)) << "scaled from its own bitmap, not the shared one";

    // A bitmap of the mask that someone else holds (an image of the skin data) is left alone.
    auto listed = std::make_unique<TSpyBitmap>(listedFreed);
    mask = MaskAt({0, 0, 12, 12}, 1, 0, 120);
    mask.Bmp = listed.get();
    std::unique_ptr<TBitmap> second;
    ASSERT_TRUE(ScaleMaskData(mask, shared.get(), false, second));
    EXPECT_FALSE(listedFreed);
    EXPECT_EQ(mask.Bmp, second.get());
}

TEST(SkinMasks, ScaledTwoHalfMaskPictureForALook)
{
    // Three round buttons over their black and white masks, drawn at 96 PPI and scaled to 144.
    auto master = Bmp32(48, 32, kKey);
    for (int frame = 0; frame < 3; ++frame)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int dx = 2 * x - 15, dy = 2 * y - 15;
                const bool inside = dx * dx + dy * dy <= 15 * 15;
                const Word face = Argb(255, 60 + 60 * frame, 120 + 8 * y, 230 - 10 * x);
                SetPx(*master, 16 * frame + x, y, inside ? face : kKey);
                SetPx(*master, 16 * frame + x, 16 + y, inside ? kBlack : Argb(255, 255, 255, 255));
            }
    DefaultManagerScope scope(0x00D8E4EC);
    TsMaskData mask = MaskAt({0, 0, 48, 32}, 3, 1, 144);
    mask.WL = mask.WT = mask.WR = mask.WB = 5;
    std::unique_ptr<TBitmap> own;
    ASSERT_TRUE(ScaleMaskData(mask, master.get(), false, own));
    EXPECT_EQ(own->Width(), 72);
    EXPECT_EQ(own->Height(), 48);
    EXPECT_EQ(Px(*own, 0, 0), kKey);
    EXPECT_TRUE(Near(Px(*own, 0, 24), 0x00FFFFFF));
    EXPECT_TRUE(SaveBitmapAsPng(*Magnified(*master, 6), BuildFile(L"skin_mask_before.png")));
    EXPECT_TRUE(SaveBitmapAsPng(*Magnified(*own, 4), BuildFile(L"skin_mask_scaled.png")));
}

TEST(SkinMasks, MainLibraryColourComesFromTheManagersPalette)
{
    const auto main = static_cast<TColor>(0xF1000001u);
    EXPECT_EQ(acColorToRGB(0x00ABCDEF), 0x00ABCDEF);
    EXPECT_EQ(acColorToRGB(main), 0x000001) << "no manager: the colour's own default";
    TsSkinManager given(nullptr); // the first manager becomes the default one
    given.Palette[pcMainColor] = 0x00123456;
    EXPECT_EQ(acColorToRGB(main, &given), 0x000001) << "a manager without a skin in use lends nothing";
    given.SkinCommonInfo.Active = true;
    EXPECT_EQ(acColorToRGB(main, &given), 0x00123456);
    DefaultManagerScope scope(0x00654321);
    EXPECT_EQ(acColorToRGB(main), 0x00654321);
    EXPECT_EQ(acColorToRGB(main, &given), 0x00123456);
}
