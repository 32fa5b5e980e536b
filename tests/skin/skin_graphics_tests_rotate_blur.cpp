// Quarter turns and rotated blits, the sine/cosine table, the box kernel of the mask blur and
// the binding of the system entries at start-up.
#include "BuildFolder.h"
#include "skin_graphics_test_pixels.h"

#include "../framework/graphics_png.h"
#include "sGraphUtilsBlur.h"
#include "sGraphUtilsRotate.h"
#include "sGraphUtilsSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {


} // namespace

TEST(SkinRotation, QuarterTurnsMovePixelsAndRefuseOtherFormats)
{
    for (bool clockwise : {true, false}) {
        SCOPED_TRACE(clockwise);
        std::unique_ptr<TBitmap> src = Numbered(3, 2);
        auto turned = sMakerotated90(src, clockwise, false);
        ASSERT_TRUE(turned);
        ASSERT_EQ(turned->Width(), 2);
        ASSERT_EQ(turned->Height(), 3);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const Word old = Px(*src, x, y);
                if (clockwise) EXPECT_EQ(Px(*turned, 1 - y, x), old);
                else EXPECT_EQ(Px(*turned, y, x), Px(*src, 2 - x, y));
                (void)old;
            }
        auto again = Makerotated90(src, clockwise, true);
        EXPECT_FALSE(src);
        ASSERT_TRUE(again);
        EXPECT_EQ(Px(*again, 0, 0), Px(*turned, 0, 0));
    }
    std::unique_ptr<TBitmap> rgb = std::make_unique<TBitmap>(2, 2, pf24bit);
    EXPECT_FALSE(sMakerotated90(rgb, true, true));
    EXPECT_TRUE(rgb);
}

TEST(SkinRotation, SineTableFoldsAngles)
{
    struct Case {
        int angle;
        int index;
    };
    for (const Case c : {Case{-90, 270}, {450, 90}, {0, 0}, {-360, 0}, {-1, 359}, {719, 359}})
        EXPECT_EQ(acAngleIndex(c.angle), c.index) << c.angle;
    EXPECT_FLOAT_EQ(acSin(-90), -1.0f);
    EXPECT_FLOAT_EQ(acSin(450), 1.0f);
    EXPECT_FLOAT_EQ(acCos(180), -1.0f);
    EXPECT_NEAR(acCos(60), 0.5, 1e-6);
}

// Turning by 90 (counter-clockwise in screen terms, Y down) about the centre of a 4 x 2
// rectangle; the corners keep their order.
TEST(SkinRotation, ParallelogramRotatesAboutItsCentre)
{
    const TPoint corners[4] = {{0, 0}, {4, 0}, {4, 2}, {0, 2}};
    TPrlgram p(corners, 4);
    p.Rotate(90);
    EXPECT_EQ(p.GetPoint(0), TPoint(1, 3));
    EXPECT_EQ(p.GetPoint(1), TPoint(1, -1));
    EXPECT_EQ(p.GetPoint(2), TPoint(3, -1));
    EXPECT_EQ(p.GetPoint(3), TPoint(3, 3));
    EXPECT_EQ(p.GetPoint(4), TPoint());
    TPrlgram two(corners, 2);
    EXPECT_EQ(two.GetPoint(2), TPoint());
}

// A 4 x 4 picture with one marked corner drawn about (4, 4) of an 8 x 8 canvas: where the
// marked top-left pixel lands at each angle. The blit's corners are the turned points 1, 2 and 0,
// so even angle 0 lays the picture a quarter turn clockwise.
TEST(SkinRotation, BitBltRotatedPlacesTheCornerByAngle)
{
    struct Case {
        int angle;
        TPoint marked;
    };
    const Case cases[] = {{0, {6, 2}}, {90, {6, 6}}, {180, {2, 6}}};
    auto strip = Bmp32(8 * 3, 8, Argb(255, 0, 0, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        auto pic = Bmp32(4, 4, Argb(255, 0, 0, 200));
        SetPx(*pic, 0, 0, Argb(255, 255, 255, 0));
        auto canvas = Bmp32(8, 8, Argb(255, 0, 0, 0));
        BitBltRotated(canvas->Canvas()->Handle(), pic.get(), {4, 4}, c.angle);
        GdiFlush();
        EXPECT_EQ(Px(*canvas, c.marked.X, c.marked.Y) & 0xFFFFFF, 0xFFFF00u);
        BitBlt(strip->Canvas()->Handle(), 8 * static_cast<int>(&c - cases), 0, 8, 8, canvas->Canvas()->Handle(), 0, 0,
               SRCCOPY);
    }
    auto big = CreateBmp32(strip->Width() * 10, strip->Height() * 10);
    StretchBlt(big->Canvas()->Handle(), 0, 0, big->Width(), big->Height(), strip->Canvas()->Handle(), 0, 0,
               strip->Width(), strip->Height(), SRCCOPY);
    EXPECT_TRUE(SaveBitmapAsPng(*big, BuildFolderFile(L"skin_rotations.png")));
}

TEST(SkinBlur, KernelIsABoxOfEqualWeights)
{
    struct Case {
        double radius;
        int size;
    };
    for (const Case c : {Case{1, 1}, {2, 1}, {5, 4}, {14, 15}, {40, 15}}) {
        SCOPED_TRACE(c.radius);
        TacBlurKernel k;
        MakeGaussianKernel(k, c.radius);
        EXPECT_EQ(k.Size, c.size);
        for (int i = -k.Size; i <= k.Size; ++i) EXPECT_FLOAT_EQ(k.At(i), 1.0f / (2 * c.size + 1));
    }
}

TEST(SkinBlur, Blur8SpreadsAPixelAndRepeatsTheEdges)
{
    TBitmap row(7, 1, pf8bit);
    auto* p = static_cast<std::uint8_t*>(row.ScanLine(0));
    const std::uint8_t in[7] = {90, 0, 0, 255, 0, 0, 30};
    std::copy(std::begin(in), std::end(in), p);
    Blur8(&row, 1);
    // the edges count their own value twice: (90 + 90 + 0) / 3 = 60, (0 + 30 + 30) / 3 = 20
    const std::uint8_t out[7] = {60, 30, 85, 85, 85, 10, 20};
    for (int x = 0; x < 7; ++x) EXPECT_EQ(p[x], out[x]) << x;

    // columns too: a white pixel in the middle of 3 x 3 becomes 255 / 9
    TBitmap square(3, 3, pf8bit);
    for (int y = 0; y < 3; ++y) std::fill_n(static_cast<std::uint8_t*>(square.ScanLine(y)), 3, 0);
    static_cast<std::uint8_t*>(square.ScanLine(1))[1] = 255;
    Blur8(&square, 1);
    EXPECT_EQ(static_cast<std::uint8_t*>(square.ScanLine(0))[0], 28);
    EXPECT_EQ(static_cast<std::uint8_t*>(square.ScanLine(1))[1], 28);

    auto colour = Numbered(3, 3);
    Blur8(colour.get(), 1);
    auto fresh = Numbered(3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(Px(*colour, x, y), Px(*fresh, x, y));
}

TEST(SkinGraphUtilsStartup, BindsTheFourEntriesOnce)
{
    EXPECT_FALSE(acSystemEntries().SetLayout);
    sGraphUtilsInitialization();
    const TacSystemEntries first = acSystemEntries();
    EXPECT_TRUE(first.SetLayout);
    EXPECT_TRUE(first.GetLayout);
    EXPECT_TRUE(first.UpdateLayeredWindow);
    EXPECT_TRUE(first.SetLayeredWindowAttributes);
    sGraphUtilsInitialization();
    EXPECT_EQ(acSystemEntries().GetLayout, first.GetLayout);
    sGraphUtilsFinalization();
    EXPECT_TRUE(acSystemEntries().GetLayout); // one start-up still open
    sGraphUtilsFinalization();
    EXPECT_FALSE(acSystemEntries().GetLayout);
    EXPECT_FALSE(acSystemEntries().UpdateLayeredWindow);
    // An unmatched shut-down does nothing, and the start-up after it only balances it.
    sGraphUtilsFinalization();
    sGraphUtilsInitialization();
    EXPECT_FALSE(acSystemEntries().GetLayout);
}
