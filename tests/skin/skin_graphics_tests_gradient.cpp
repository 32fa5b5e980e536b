// Gradient texts, gradients in rows, columns and corners (also mixed with a texture), side
// shadows, soft shadows and the light mask made from one.
#include "skin_graphics_test_pixels.h"
#include "skin_graphics_test_units.h"

#include "../framework/graphics_png.h"
#include "Exceptions.h"
#include "SysUtils.h"
#include "sAlphaGraph.h"
#include "sGradient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr Word kSentinel = 0x11223344;

TsColor Col(int r, int g, int b, int a = 0)
{
    TsColor c;
    c.R = static_cast<std::uint8_t>(r);
    c.G = static_cast<std::uint8_t>(g);
    c.B = static_cast<std::uint8_t>(b);
    c.A = static_cast<std::uint8_t>(a);
    return c;
}

TsGradPoint Point(int index, int percent, TsColor color, int mode)
{
    TsGradPoint p;
    p.Index = static_cast<std::uint16_t>(index);
    p.Percent = static_cast<std::uint8_t>(percent);
    p.Color = color;
    p.Mode = mode;
    return p;
}

Word Opaque(TsColor c) { return Argb(255, c.R, c.G, c.B); }

// Every pixel outside r still holds the sentinel.
void ExpectOutsideUntouched(TBitmap& bmp, const TRect& r)
{
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (!r.Contains(TPoint(x, y))) {
                ASSERT_EQ(Px(bmp, x, y), kSentinel) << x << "," << y;
            }
}

bool Near(Word a, Word b, int tolerance)
{
    return std::abs(ByteR(a) - ByteR(b)) <= tolerance && std::abs(ByteG(a) - ByteG(b)) <= tolerance &&
           std::abs(ByteB(a) - ByteB(b)) <= tolerance;
}

class SkinGradient : public ::testing::Test {
protected:
    GradientUnits units;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Gradient text

TEST(SkinGradientText, PointsFromBothForms)
{
    struct Case {
        const char* name;
        const wchar_t* text;
        std::vector<TsGradPoint> expected;
    };
    const Case cases[] = {
        {"form A, ten words: opaque colours, shares summed, last at 100, GDI+ bit cleared",
         L"$0000FF;7;50;0;9;$00FF00;8;30;16;0",
         {Point(0, 0, Col(255, 0, 0, 255), 0), Point(1, 100, Col(0, 255, 0, 255), 0)}},
        {"form A, seven words: one point", L"$102030;0;40;0;1;$405060;0", {Point(0, 100, Col(0x30, 0x20, 0x10, 255), 0)}},
        {"form A, shares above 100 are cut and the sum stops at 100", L"1;0;150;0;0;2;0;10;0;0;3;0;10;0;0",
         {Point(0, 0, Col(1, 0, 0, 255), 0), Point(1, 100, Col(2, 0, 0, 255), 0), Point(2, 100, Col(3, 0, 0, 255), 0)}},
        {"form A, four corners from three points: padded with point 2", L"1;0;10;2;0;2;0;20;0;0;3;0;30;0;0",
         {Point(0, 0, Col(1, 0, 0, 255), 2), Point(1, 10, Col(2, 0, 0, 255), 0), Point(2, 30, Col(3, 0, 0, 255), 0),
          Point(3, 30, Col(3, 0, 0, 255), 0), Point(4, 100, Col(3, 0, 0, 255), 0)}},
        {"form B, two points: colours as given, a GDI+ point marks point 0",
         L"$80FF0000;0;1;$4000FF00;120;16;B",
         {Point(0, 0, Col(0, 0, 255, 0x80), 1 | 0x20), Point(1, 100, Col(0, 255, 0, 0x40), 16)}},
        {"form B, percents kept in order given", L"5;70;0;6;20;0;7;-5;0;C",
         {Point(0, 70, Col(5, 0, 0), 0), Point(1, 20, Col(6, 0, 0), 0), Point(2, 100, Col(7, 0, 0), 0)}},
        {"last character not above @", L"1;2;3;4;@", {}},
        {"a digit other than 0 ends the text", L"1;0;50;0;1", {}},
        {"four characters", L"12;A", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TsGradArray arr{Point(9, 9, Col(9, 9, 9), 9)};
        PrepareGradArray(c.text, arr);
        ASSERT_EQ(arr.size(), c.expected.size());
        for (size_t i = 0; i < arr.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(arr[i].Index, c.expected[i].Index);
            EXPECT_EQ(arr[i].Percent, c.expected[i].Percent);
            EXPECT_EQ(arr[i].Color.I, c.expected[i].Color.I);
            EXPECT_EQ(arr[i].Mode, c.expected[i].Mode);
        }
    }
}

TEST(SkinGradientText, WordsThatAreNotNumbersRaise)
{
    for (const wchar_t* text : {L"red;0;50;0;0", L"1;0;0;2;100;B", L"1;0;0;B", L"$FF;0;0;;;;;;E"}) {
        SCOPED_TRACE(std::wstring(text).size());
        TsGradArray arr{Point(0, 0, Col(1, 1, 1), 0)};
        EXPECT_THROW(PrepareGradArray(text, arr), EConvertError);
        EXPECT_TRUE(arr.empty());
    }
}

// ---------------------------------------------------------------------------------------------
// Painting

TEST_F(SkinGradient, RowsStepOneNthPerRowAndStayInsideR)
{
    const TsColor c1 = Col(10, 200, 0), c2 = Col(110, 100, 50);
    auto bmp = Bmp32(4, 12, kSentinel);
    const TRect r(1, 1, 3, 11);
    PaintGrad(bmp.get(), r, TsGradArray{Point(0, 0, c1, 0), Point(1, 100, c2, 0)}, 0, 0);
    for (int k = 0; k < 10; ++k)
        for (int x = 1; x < 3; ++x) EXPECT_EQ(Px(*bmp, x, 1 + k), Argb(255, 10 + 10 * k, 200 - 10 * k, 5 * k)) << k;
    ExpectOutsideUntouched(*bmp, r);

    // Equal colours: one solid fill; R past the bitmap is cut.
    auto solid = Bmp32(3, 3, kSentinel);
    PaintGrad(solid.get(), TRect(-2, 1, 9, 9), TsGradArray{Point(0, 0, c1, 0), Point(1, 100, c1, 0)}, 0, 0);
    for (int y = 1; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(Px(*solid, x, y), Opaque(c1));
    ExpectOutsideUntouched(*solid, TRect(0, 1, 3, 3));
}

TEST_F(SkinGradient, RowOffsetShiftsTheGradient)
{
    const TsColor c1 = Col(0, 0, 0), c2 = Col(200, 100, 20);
    const TsGradArray arr{Point(0, 0, c1, 0), Point(1, 100, c2, 0)};
    // Four rows down: the ramp runs over the six rows left.
    auto down = Bmp32(1, 10, kSentinel);
    PaintGrad(down.get(), TRect(0, 0, 1, 10), arr, 0, 4);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(Px(*down, 0, y), kSentinel);
    EXPECT_EQ(Px(*down, 0, 4), Opaque(c1));
    EXPECT_TRUE(Near(Px(*down, 0, 7), Argb(255, 100, 50, 10), 0));

    // Ten rows up: R shows the second half of a ramp over twenty rows; nothing above R changes.
    auto up = Bmp32(1, 14, kSentinel);
    const TRect r(0, 2, 1, 12);
    PaintGrad(up.get(), r, arr, 0, -10);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(Px(*up, 0, 2 + k), Argb(255, 10 * (10 + k), 5 * (10 + k), 10 + k)) << k;
    ExpectOutsideUntouched(*up, r);
}

TEST_F(SkinGradient, ColumnsRunToTheLastColumnAndStayInsideR)
{
    const TsColor c1 = Col(0, 100, 250), c2 = Col(100, 0, 150);
    const TsGradArray arr{Point(0, 0, c1, 1), Point(1, 100, c2, 0)};
    auto bmp = Bmp32(11, 3, kSentinel);
    PaintGrad(bmp.get(), TRect(0, 0, 11, 3), arr, 0, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 11; ++x) EXPECT_EQ(Px(*bmp, x, y), Argb(255, 10 * x, 100 - 10 * x, 250 - 10 * x)) << x;

    // Narrower than the bitmap: the segment's last column lies right of R and is not painted.
    auto part = Bmp32(10, 4, kSentinel);
    const TRect r(2, 1, 7, 3);
    PaintGrad(part.get(), r, arr, 0, 0);
    for (int y = 1; y < 3; ++y)
        for (int x = 2; x < 7; ++x)
            EXPECT_EQ(Px(*part, x, y), Argb(255, 20 * (x - 2), 100 - 20 * (x - 2), 250 - 20 * (x - 2))) << x;
    ExpectOutsideUntouched(*part, r);
}

TEST_F(SkinGradient, FourCornersThroughTheTriangleFillOrGdiplus)
{
    const TsColor tl = Col(255, 0, 0, 255), centre = Col(128, 128, 128, 255), tr = Col(0, 255, 0, 255),
                  br = Col(0, 0, 255, 255), bl = Col(255, 255, 0, 255);
    TsGradArray arr{Point(0, 0, tl, 2), Point(1, 25, centre, 0), Point(2, 50, tr, 0), Point(3, 75, br, 0),
                    Point(4, 100, bl, 0)};
    const TRect r(2, 2, 42, 42);
    for (bool gdiplus : {false, true}) {
        SCOPED_TRACE(gdiplus);
        arr[0].Mode = gdiplus ? 2 | 0x20 : 2;
        auto bmp = Bmp32(44, 44, kSentinel);
        PaintGrad(bmp.get(), r, arr, 0, 0);
        const int tolerance = gdiplus ? 40 : 16;
        EXPECT_TRUE(Near(Px(*bmp, 2, 2), Opaque(tl), tolerance)) << std::hex << Px(*bmp, 2, 2);
        EXPECT_TRUE(Near(Px(*bmp, 41, 2), Opaque(tr), tolerance)) << std::hex << Px(*bmp, 41, 2);
        EXPECT_TRUE(Near(Px(*bmp, 41, 41), Opaque(br), tolerance)) << std::hex << Px(*bmp, 41, 41);
        EXPECT_TRUE(Near(Px(*bmp, 2, 41), Opaque(bl), tolerance)) << std::hex << Px(*bmp, 2, 41);
        EXPECT_TRUE(Near(Px(*bmp, 22, 22), Opaque(centre), tolerance)) << std::hex << Px(*bmp, 22, 22);
        ExpectOutsideUntouched(*bmp, r);
    }

    // Four points are not enough; without the triangle fill only GDI+ paints corners.
    auto bmp = Bmp32(8, 8, kSentinel);
    arr[0].Mode = 2;
    PaintGrad(bmp.get(), TRect(0, 0, 8, 8), TsGradArray(arr.begin(), arr.begin() + 4), 0, 0);
    ExpectOutsideUntouched(*bmp, TRect());
    sGradientFinalization();
    EXPECT_FALSE(acGradientFillAvailable());
    PaintGrad(bmp.get(), TRect(0, 0, 8, 8), arr, 0, 0);
    ExpectOutsideUntouched(*bmp, TRect());
    sGradientInitialization();
    EXPECT_TRUE(acGradientFillAvailable());
}

TEST_F(SkinGradient, GdiplusSegmentsFollowTheRamp)
{
    // A rows segment and a columns segment marked for GDI+: close to the computed ramp, the row
    // (column) before R untouched.
    const TsColor c1 = Col(0, 0, 0, 255), c2 = Col(200, 100, 240, 255);
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        auto bmp = Bmp32(24, 24, kSentinel);
        const TRect r(2, 2, 22, 22);
        PaintGrad(bmp.get(), r, TsGradArray{Point(0, 0, c1, mode | 0x10), Point(1, 100, c2, 0)}, 0, 0);
        ExpectOutsideUntouched(*bmp, r);
        for (int k = 0; k < 20; k += 3) {
            const int x = mode == 1 ? 2 + k : 12, y = mode == 0 ? 2 + k : 12;
            const Word expected = Argb(255, 10 * k, 5 * k, 12 * k);
            EXPECT_TRUE(Near(Px(*bmp, x, y), expected, 20)) << k << " " << std::hex << Px(*bmp, x, y);
            EXPECT_EQ(ByteA(Px(*bmp, x, y)), 255);
        }
    }
}

TEST_F(SkinGradient, TextureMixesByWeightInRowsAndColumns)
{
    // A 2 x 4 texture of four different rows; the last row of the texture rectangle is never
    // reached (its period ends one row early).
    auto texture = CreateBmp32(2, 4);
    const Word texRows[4] = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x) SetPx(*texture, x, y, texRows[y] + 0x010101 * x);
    const TsColor c1 = Col(0, 90, 180), c2 = Col(90, 0, 0);
    const auto gradientAt = [&](int k, int n) { return Argb(255, 90 * k / n, 90 - 90 * k / n, 180 - 180 * k / n); };
    for (int weight : {0, 255}) {
        SCOPED_TRACE(weight);
        // Rows: ten rows, the last one the second colour; texture rows 0, 1, 2 repeat.
        auto rows = Bmp32(5, 10, kSentinel);
        PaintGradTxt(rows.get(), TRect(0, 0, 5, 10), TsGradArray{Point(0, 0, c1, 0), Point(1, 100, c2, 0)},
                     texture.get(), TRect(), static_cast<std::uint8_t>(weight), 200);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(Px(*rows, x, y), MixPx(Px(*texture, x % 1, y % 3), gradientAt(y, 9), weight, 200))
                    << x << "," << y;
        // Columns: row 0 computed, rows 1 and 2 mixed, then a band of two rows copied down.
        auto columns = Bmp32(10, 9, kSentinel);
        PaintGradTxt(columns.get(), TRect(0, 0, 10, 9), TsGradArray{Point(0, 0, c1, 1), Point(1, 100, c2, 0)},
                     texture.get(), TRect(), static_cast<std::uint8_t>(weight), 255);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 10; ++x) {
                const int textureRow = y % 2; // row 2 was mixed, then covered by the band
                EXPECT_EQ(Px(*columns, x, y), MixPx(Px(*texture, x % 1, textureRow), gradientAt(x, 9), weight, 255))
                    << x << "," << y;
            }
    }
}

TEST_F(SkinGradient, TexturedGradientStaysInsideRAndItsTexture)
{
    // Weight 0 leaves the gradient itself, so a painted row is one gradient colour at alpha 200.
    auto texture = Bmp32(2, 4, 0xFF808080);
    auto oneRow = Bmp32(2, 1, 0xFF808080);
    const TsColor c1 = Col(0, 90, 180), c2 = Col(90, 0, 0), c3 = Col(250, 250, 250);
    const TsGradArray rows{Point(0, 0, c1, 0), Point(1, 100, c2, 0)};
    const TsGradArray columns{Point(0, 0, c1, 1), Point(1, 100, c2, 0)};
    const auto colour = [](TsColor c) { return Argb(200, c.R, c.G, c.B); };
    struct Row {
        int y;
        Word word; // every pixel of the row inside R
    };
    const struct {
        const char* name;
        TsGradArray arr;
        TRect r;
        TBitmap* texture;
        TRect textureRect;
        bool painted;
        std::vector<Row> expected;
    } cases[] = {
        {"rows inside a bigger bitmap", rows, TRect(1, 2, 6, 9), texture.get(), TRect(), true,
         {{2, colour(c1)}, {8, colour(c2)}}},
        {"a middle point at 100 percent reaches R's bottom, which is not written",
         TsGradArray{Point(0, 0, c1, 0), Point(1, 100, c2, 0), Point(2, 100, c3, 0)}, TRect(1, 2, 6, 9),
         texture.get(), TRect(), true, {{2, colour(c1)}, {8, colour(Col(77, 13, 26))}}},
        {"a last segment of one row takes its first colour",
         TsGradArray{Point(0, 0, c1, 0), Point(1, 90, c2, 0), Point(2, 100, c3, 0)}, TRect(0, 0, 8, 10),
         texture.get(), TRect(), true, {{0, colour(c1)}, {9, colour(c2)}}},
        {"R of one row: the first colour", rows, TRect(1, 3, 6, 4), texture.get(), TRect(), true, {{3, colour(c1)}}},
        {"R past the bitmap is cut", rows, TRect(-3, -2, 20, 20), texture.get(), TRect(), true, {}},
        {"columns with the band copy inside a bigger bitmap", columns, TRect(1, 2, 6, 11), texture.get(), TRect(),
         true, {}},
        {"columns past the bitmap are cut", columns, TRect(-3, -2, 20, 20), texture.get(), TRect(), true, {}},
        {"a texture period of one row: the first row copied down", columns, TRect(1, 2, 6, 11), texture.get(),
         TRect(0, 1, 2, 2), true, {}},
        {"a texture of one row has a period of 0", rows, TRect(1, 2, 6, 9), oneRow.get(), TRect(), false, {}},
        {"columns, a period of 0", columns, TRect(1, 2, 6, 9), oneRow.get(), TRect(), false, {}},
        {"a texture rectangle left of the texture", rows, TRect(1, 2, 6, 9), texture.get(), TRect(-1, 0, 1, 3),
         false, {}},
        {"a texture rectangle above the texture", columns, TRect(1, 2, 6, 9), texture.get(), TRect(0, -1, 1, 3),
         false, {}},
        {"no texture", rows, TRect(1, 2, 6, 9), nullptr, TRect(), false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto bmp = Bmp32(8, 12, kSentinel);
        PaintGradTxt(bmp.get(), c.r, c.arr, c.texture, c.textureRect, 0, 200);
        const TRect inside = c.painted ? TRect(std::max<LONG>(c.r.Left, 0), std::max<LONG>(c.r.Top, 0),
                                               std::min<LONG>(c.r.Right, 8), std::min<LONG>(c.r.Bottom, 12))
                                       : TRect();
        ExpectOutsideUntouched(*bmp, inside);
        // Columns: every row the same as R's first one; rows: one colour each.
        int odd = 0;
        for (int y = inside.Top; y < inside.Bottom; ++y)
            for (int x = inside.Left; x < inside.Right; ++x) {
                const Word like = c.arr[0].Mode == 1 ? Px(*bmp, x, inside.Top) : Px(*bmp, inside.Left, y);
                if (Px(*bmp, x, y) != like || ByteA(Px(*bmp, x, y)) != 200) ++odd;
            }
        EXPECT_EQ(odd, 0);
        for (const Row& row : c.expected)
            for (int x = inside.Left; x < inside.Right; ++x) EXPECT_EQ(Px(*bmp, x, row.y), row.word) << x << "," << row.y;
    }
}

// ---------------------------------------------------------------------------------------------
// Shadows

TEST_F(SkinGradient, SideShadowsFadeAwayFromTheirSide)
{
    for (TacSide side : {asLeft, asTop, asRight, asBottom}) {
        SCOPED_TRACE(static_cast<int>(side));
        auto bmp = Bmp32(16, 16, kSentinel);
        MakeSideShadow(bmp.get(), static_cast<TColor>(0xC0000000), side);
        // Alpha along the axis away from the shadowed side falls; across it stays the same.
        const auto at = [&](int along, int across) {
            const int a = side == asLeft || side == asTop ? along : 15 - along;
            return side == asLeft || side == asRight ? ByteA(Px(*bmp, a, across)) : ByteA(Px(*bmp, across, a));
        };
        EXPECT_GT(at(0, 8), 150);
        EXPECT_LT(at(15, 8), 20);
        for (int i = 1; i < 16; ++i) EXPECT_LE(at(i, 8), at(i - 1, 8)) << i;
        EXPECT_GT(at(2, 8), at(12, 8));
        for (int j = 0; j < 16; ++j) EXPECT_EQ(at(5, j), at(5, 8)) << j;
        EXPECT_EQ(Px(*bmp, 8, 8) & 0xFFFFFF, 0u); // black
    }
}

TEST(SkinShadow, MirroredHalvesStretchedByTheExtras)
{
    const int R = 5, T = 2, EH = 3, EW = 4;
    auto bmp = MakeShadow(static_cast<TColor>(0xC0336699), R, T, EH, EW, 3, false, false);
    ASSERT_EQ(bmp->Width(), 2 * R + EW + 1);
    ASSERT_EQ(bmp->Height(), 2 * R + EH + T + 1);
    const int w = bmp->Width(), h = bmp->Height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) EXPECT_EQ(Px(*bmp, x, y), Px(*bmp, w - 1 - x, y)) << x << "," << y;
    for (int j = 0; j <= R; ++j)
        for (int x = 0; x < w; ++x) EXPECT_EQ(Px(*bmp, x, T + R - j), Px(*bmp, x, T + R + EH + j));
    for (int y = T + R; y <= T + R + EH; ++y)
        for (int x = R; x <= R + EW; ++x) EXPECT_EQ(Px(*bmp, x, y), Argb(0xC0 * 255 >> 8, 0x99, 0x66, 0x33));
    for (int y = 0; y < T; ++y) EXPECT_EQ(Px(*bmp, R, y), Argb(0, 0x99, 0x66, 0x33)); // the fill above
    EXPECT_EQ(Px(*bmp, 0, T), 0u);                                                     // outside the disc
}

TEST(SkinShadow, FallOffMaskAndPremultiply)
{
    const int R = 6;
    const auto strength = [](double d, int blur, int r) {
        const double inner = blur >= 1 ? r - blur : 0;
        if (d > r) return -1;
        if (d <= inner) return 255;
        const long long v = Round((1 - (d - inner) / (blur + 1)) * 255.0 * ((r + 1) - d) / (blur + 1));
        return static_cast<int>(std::clamp<long long>(v, 0, 255));
    };
    for (int blur : {0, 2, 6}) {
        SCOPED_TRACE(blur);
        auto shadow = MakeShadow(static_cast<TColor>(0xFF204060), R, 0, 0, 0, blur, false, false);
        auto mask = MakeShadow(static_cast<TColor>(0x80204060), R, 0, 0, 0, blur, true, false);
        for (int y = 0; y <= R; ++y)
            for (int x = 0; x <= R; ++x) {
                const int s = strength(std::hypot(x - R, y - R), blur, R);
                if (s < 0) {
                    EXPECT_EQ(Px(*shadow, x, y), 0u);
                    EXPECT_EQ(Px(*mask, x, y), 0xFFFFFFFFu);
                    continue;
                }
                EXPECT_EQ(Px(*shadow, x, y), Argb(255 * s >> 8, 0x60, 0x40, 0x20)) << x << "," << y;
                const int g = ((255 - s) * 255 + 0x80 * s) >> 8;
                EXPECT_EQ(Px(*mask, x, y), Argb(255, g, g, g)) << x << "," << y;
            }
    }
    auto plain = MakeShadow(static_cast<TColor>(0xFF4080C0), 4, 0, 0, 0, 2, false, false);
    auto premultiplied = MakeShadow(static_cast<TColor>(0xFF4080C0), 4, 0, 0, 0, 2, false, true);
    for (int x = 0; x < 9; ++x) {
        const Word p = Px(*plain, x, 2), q = Px(*premultiplied, x, 2);
        const int a = ByteA(p);
        EXPECT_EQ(q, Argb(a, ByteR(p) * a >> 8, ByteG(p) * a >> 8, ByteB(p) * a >> 8)) << x;
    }
}

TEST(SkinShadow, LightMaskIsReusedForTheSameSizeAndColour)
{
    std::unique_ptr<TBitmap> mask;
    PrepareLightMask(mask, 40, 0, static_cast<TColor>(0xFF102030));
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->Width(), 201); // the radius is at least 100
    EXPECT_EQ(Px(*mask, 100, 100), Argb(254, 0x30, 0x20, 0x10));
    EXPECT_EQ(ByteA(Px(*mask, 100, 0)), 0);
    TBitmap* first = mask.get();
    PrepareLightMask(mask, 100, 7, static_cast<TColor>(0xFF102030));
    EXPECT_EQ(mask.get(), first);
    PrepareLightMask(mask, 100, 0, static_cast<TColor>(0xFF102031));
    EXPECT_NE(mask.get(), first);
    EXPECT_EQ(Px(*mask, 100, 100), Argb(254, 0x31, 0x20, 0x10));
    PrepareLightMask(mask, 150, 0, static_cast<TColor>(0xFF102031));
    EXPECT_EQ(mask->Width(), 301);
    PrepareLightMask(mask, 900, 0, static_cast<TColor>(0xFF102031));
    EXPECT_EQ(mask->Width(), 401);
}

TEST_F(SkinGradient, PictureForALook)
{
    auto picture = Bmp32(400, 150, 0xFFFFFFFF);
    const auto paint = [&](int x, int y, const wchar_t* text) {
        PaintGrad(picture.get(), TRect(x, y, x + 90, y + 60), text);
    };
    paint(5, 5, L"$FF8000;0;50;0;0;$0000FF;0;50;0;0;$00FFFF;0;0;0;0");
    paint(105, 5, L"$FF8000;0;50;1;0;$0000FF;0;50;0;0;$00FFFF;0;0;0;0");
    paint(205, 5, L"$FF0000FF;0;2;$FF00FF00;0;0;$FFFF0000;0;0;$FF00FFFF;0;0;$FFFF00FF;0;0;E");
    paint(305, 5, L"$FF0000FF;0;34;$FF00FF00;0;0;$FFFF0000;0;0;$FF00FFFF;0;0;$FFFF00FF;0;0;E");
    paint(5, 75, L"$FF204080;0;16;$FFF0E0C0;100;16;B");
    auto side = CreateBmp32(90, 60);
    MakeSideShadow(side.get(), static_cast<TColor>(0xFF000000), asLeft);
    // A mask (grey on white) and a coloured shadow laid over white by its alpha.
    auto mask = MakeShadow(static_cast<TColor>(0x00000000), 25, 0, 5, 30, 15, true, false);
    auto shadow = MakeShadow(static_cast<TColor>(0xFF802000), 25, 4, 0, 10, 25, false, false);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 90; ++x) {
            const int a = ByteA(Px(*side, x, y));
            SetPx(*picture, 105 + x, 75 + y, Argb(255, 255 - a, 255 - a, 255 - a));
        }
    for (int y = 0; y < mask->Height(); ++y)
        for (int x = 0; x < mask->Width(); ++x) SetPx(*picture, 205 + x, 75 + y, Px(*mask, x, y));
    for (int y = 0; y < shadow->Height(); ++y)
        for (int x = 0; x < shadow->Width(); ++x) {
            const Word s = Px(*shadow, x, y);
            SetPx(*picture, 300 + x, 75 + y, MixPx(s, 0xFFFFFFFF, ByteA(s), 255));
        }
    EXPECT_TRUE(SaveBitmapAsPng(*picture, BuildFolderFile(L"skin_gradients.png")));
}
