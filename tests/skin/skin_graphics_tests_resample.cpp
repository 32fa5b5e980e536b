// Resampling with the seven filters against hand-computed contributor tables, and the texture
// fill modes.
#include "BuildFolder.h"
#include "skin_graphics_test_pixels.h"

#include "../framework/graphics_png.h"
#include "SysUtils.h"
#include "sGraphUtilsStretch.h"
#include "sGraphUtilsTile.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

namespace {


struct Tap {
    int pixel;
    double weight;
};
using Taps = std::vector<Tap>;

// One output byte from source bytes by 16.16 weights, clamped as the resampler does.
int Expected(const Taps& taps, const std::vector<Word>& row, int (*byte)(Word))
{
    long long sum = 0;
    for (const Tap& t : taps) sum += static_cast<long long>(byte(row[static_cast<size_t>(t.pixel)])) * Round(t.weight * 65536.0);
    return sum < 0 ? 0 : sum > 0xFF0000 ? 255 : static_cast<int>(sum >> 16);
}

struct StretchCase {
    const char* name;
    TFilterType filter;
    int oldWidth, newWidth;
    std::vector<Taps> outputs; // contributors of each output column, mirrored indexes
};

const std::vector<Word> kRow = {Argb(255, 200, 40, 0), Argb(128, 100, 80, 10), Argb(64, 0, 120, 20),
                                Argb(0, 50, 160, 250)};

constexpr double kPi2 = std::numbers::pi * std::numbers::pi;

} // namespace

// The source has two equal rows, so the vertical pass (scale 1) keeps them for every filter and
// the rows show the horizontal contributors: centres at i * old / new, shrinking weights scaled
// by 0.5, indexes mirrored at both edges.
TEST(SkinStretch, OutputEqualsTheContributorTables)
{
    const std::vector<StretchCase> cases = {
        {"box 4-2", ftBox, 4, 2, {{{0, .5}, {1, .5}}, {{2, .5}, {1, .5}}}},
        {"triangle 4-2", ftTriangle, 4, 2, {{{1, .25}, {0, .5}, {1, .25}}, {{3, .25}, {2, .5}, {1, .25}}}},
        {"hermite 4-2", ftHermite, 4, 2, {{{1, .25}, {0, .5}, {1, .25}}, {{3, .25}, {2, .5}, {1, .25}}}},
        {"bell 4-2", ftBell, 4, 2,
         {{{2, .0625}, {1, .25}, {0, .375}, {1, .25}, {2, .0625}},
          {{3, .0625}, {3, .25}, {2, .375}, {1, .25}, {0, .0625}}}},
        {"spline 4-2", ftSpline, 4, 2,
         {{{3, 1 / 96.}, {2, 1 / 12.}, {1, 23 / 96.}, {0, 1 / 3.}, {1, 23 / 96.}, {2, 1 / 12.}, {3, 1 / 96.}},
          {{2, 1 / 96.}, {3, 1 / 12.}, {3, 23 / 96.}, {2, 1 / 3.}, {1, 23 / 96.}, {0, 1 / 12.}, {1, 1 / 96.}}}},
        {"mitchell 4-2", ftMitchell, 4, 2,
         {{{3, -5 / 288.}, {2, 1 / 36.}, {1, 77 / 288.}, {0, 4 / 9.}, {1, 77 / 288.}, {2, 1 / 36.}, {3, -5 / 288.}},
          {{2, -5 / 288.}, {3, 1 / 36.}, {3, 77 / 288.}, {2, 4 / 9.}, {1, 77 / 288.}, {0, 1 / 36.}, {1, -5 / 288.}}}},
        {"box 2-5", ftBox, 2, 5, {{{0, 1}}, {{0, 1}}, {{1, 1}}, {{1, 1}}, {{1, 1}}}},
        {"triangle 2-5", ftTriangle, 2, 5,
         {{{0, 1}}, {{1, .4}, {0, .6}}, {{1, .8}, {0, .2}}, {{1, .2}, {1, .8}}, {{1, .6}, {1, .4}}}},
    };
    for (const StretchCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto src = CreateBmp32(c.oldWidth, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < c.oldWidth; ++x) SetPx(*src, x, y, kRow[static_cast<size_t>(x)]);
        TBitmap dst;
        Stretch(src.get(), &dst, c.newWidth, 2, c.filter);
        ASSERT_EQ(dst.Width(), c.newWidth);
        ASSERT_EQ(dst.Height(), 2);
        for (int x = 0; x < c.newWidth; ++x) {
            const Taps& taps = c.outputs[static_cast<size_t>(x)];
            if (taps.empty()) continue;
            for (int y = 0; y < 2; ++y) {
                SCOPED_TRACE(x);
                const Word got = Px(dst, x, y);
                EXPECT_EQ(ByteA(got), Expected(taps, kRow, ByteA));
                EXPECT_EQ(ByteR(got), Expected(taps, kRow, ByteR));
                EXPECT_EQ(ByteG(got), Expected(taps, kRow, ByteG));
                EXPECT_EQ(ByteB(got), Expected(taps, kRow, ByteB));
            }
        }
    }
}

// Lanczos 3 over a 2-pixel source mirrors far past both edges; the taps stay inside.
TEST(SkinStretch, LanczosMirrorsAWideKernelIntoTheSource)
{
    const double l05 = 6 / kPi2, l15 = -4 / (3 * kPi2), l25 = 0.24 / kPi2; // kernel at 0.5, 1.5, 2.5
    // 4 -> 2, first output: distances (0 - j) * 0.5 for j = 5..-5; j = -4 and -5 mirror past the
    // far edge.
    const Taps first = {{2, l25 * .5}, {3, 0},        {3, l15 * .5}, {2, 0}, {1, l05 * .5}, {0, .5},
                        {1, l05 * .5}, {2, 0},        {3, l15 * .5}, {3, 0}, {2, l25 * .5}};
    auto src = CreateBmp32(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) SetPx(*src, x, y, kRow[static_cast<size_t>(x)]);
    TBitmap dst;
    Stretch(src.get(), &dst, 2, 2, ftLanczos3);
    const Word got = Px(dst, 0, 0);
    EXPECT_EQ(ByteR(got), Expected(first, kRow, ByteR));
    EXPECT_EQ(ByteG(got), Expected(first, kRow, ByteG));
    EXPECT_EQ(ByteB(got), Expected(first, kRow, ByteB));
    EXPECT_EQ(ByteA(got), Expected(first, kRow, ByteA));
}

TEST(SkinStretch, EqualSizesAssignAndDegenerateCallsDoNothing)
{
    auto src = Numbered(3, 2);
    TBitmap same;
    Stretch(src.get(), &same, 3, 2, ftMitchell);
    ASSERT_EQ(same.Width(), 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(Px(same, x, y), Px(*src, x, y));

    auto untouched = Bmp32(1, 1, 0x11223344);
    Stretch(src.get(), untouched.get(), 4, 0, ftBox);
    auto onePixelWide = Numbered(1, 3);
    Stretch(onePixelWide.get(), untouched.get(), 4, 4, ftBox);
    auto onePixelHigh = Numbered(3, 1);
    Stretch(onePixelHigh.get(), untouched.get(), 4, 4, ftBox);
    ASSERT_EQ(untouched->Width(), 1);
    EXPECT_EQ(Px(*untouched, 0, 0), 0x11223344u);
}

// A copy from the source's origin goes through the Mitchell resampler and is mixed in at (x, y).
TEST(SkinStretch, StretchBmpRect32ResamplesFromTheOrigin)
{
    auto src = Numbered(2, 2, 0xFF406080);
    TBitmap resampled;
    Stretch(src.get(), &resampled, 4, 3, ftMitchell);
    auto dst = Bmp32(6, 6, Argb(255, 0, 0, 0));
    StretchBmpRect32(dst.get(), 1, 1, 4, 3, src.get(), 0, 0, 2, 2, 255);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 5 && y >= 1 && y < 4;
            const Word s = inside ? Px(resampled, x - 1, y - 1) : 0;
            EXPECT_EQ(Px(*dst, x, y) & 0xFFFFFF, inside ? MixPx(s, 0, ByteA(s), 0) : 0u) << x << "," << y;
        }
}

namespace {

const Word kBack = Argb(255, 9, 9, 9);
const Word kT00 = Argb(255, 255, 0, 0), kT10 = Argb(255, 0, 255, 0), kT01 = Argb(255, 0, 0, 255),
           kT11 = Argb(255, 255, 255, 0);

// The painted part of a cell: the bounding box of pixels that are no longer the background.
TRect Painted(TBitmap& bmp, const TRect& cell)
{
    TRect box{cell.Right, cell.Bottom, cell.Left, cell.Top};
    for (int y = cell.Top; y < cell.Bottom; ++y)
        for (int x = cell.Left; x < cell.Right; ++x)
            if ((Px(bmp, x, y) & 0xFFFFFF) != (kBack & 0xFFFFFF)) {
                box.Left = std::min<LONG>(box.Left, x);
                box.Top = std::min<LONG>(box.Top, y);
                box.Right = std::max<LONG>(box.Right, x + 1);
                box.Bottom = std::max<LONG>(box.Bottom, y + 1);
            }
    return box;
}

} // namespace

// A 2 x 2 tile at (2, 0) of its own bitmap fills a 5 x 3 area of each cell: what every mode
// paints and what it leaves to paint (relative to the cell).
TEST(SkinTiling, FillModesPaintTheirAreaAndReturnTheRest)
{
    struct Case {
        TacFillMode mode;
        TRect painted;
        TRect rest; // (-1, -1, -1, -1): nothing left
    };
    const TRect none{-1, -1, -1, -1};
    const Case cases[] = {
        {fmTiled, {1, 1, 6, 4}, none},
        {fmStretched, {1, 1, 6, 4}, none},
        {fmTiledHorz, {1, 1, 6, 3}, {1, 3, 6, 4}},
        {fmTiledVert, {1, 1, 3, 4}, {3, 1, 6, 4}},
        {fmStretchHorzTop, {1, 1, 6, 3}, {1, 3, 6, 4}},
        {fmStretchVertLeft, {1, 1, 3, 4}, {3, 1, 6, 4}},
        {fmTileHorBtm, {1, 2, 6, 4}, {1, 1, 6, 2}},
        {fmTileVertRight, {4, 1, 6, 4}, {1, 1, 4, 4}},
        {fmStretchHorBtm, {4, 1, 6, 4}, {4, 1, 6, 4}},
        {fmStretchVertRight, {4, 1, 6, 4}, {4, 1, 6, 4}},
        {fmDisTiled, {1, 1, 6, 3}, none},
        {fmStretchHorz, {1, 1, 6, 4}, none},
        {fmStretchVert, {1, 1, 6, 4}, none},
        {fmFromBottomToTop, {1, 1, 6, 4}, none},
        {fmReserved1, {4, 1, 6, 4}, {4, 1, 6, 4}},
    };
    auto tileBmp = Bmp32(4, 2, kBack);
    SetPx(*tileBmp, 2, 0, kT00);
    SetPx(*tileBmp, 3, 0, kT10);
    SetPx(*tileBmp, 2, 1, kT01);
    SetPx(*tileBmp, 3, 1, kT11);
    TsMaskData md;
    md.Bmp = tileBmp.get();
    md.R = {2, 0, 4, 2};
    constexpr int cw = 8, ch = 6;
    auto canvas = Bmp32(cw * 15, ch, kBack);
    for (int i = 0; i < 15; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(static_cast<int>(c.mode));
        TRect r{i * cw + 1, 1, i * cw + 6, 4};
        TileBitmap(canvas->Canvas(), r, nullptr, md, c.mode);
        GdiFlush();
        TRect expected = c.painted;
        expected.Offset(i * cw, 0);
        EXPECT_EQ(Painted(*canvas, {i * cw, 0, i * cw + cw, ch}), expected);
        TRect rest = c.rest;
        if (rest != none) rest.Offset(i * cw, 0);
        EXPECT_EQ(r, rest);
    }
    // Tiles start at the area's top-left, except from the bottom-right corner.
    EXPECT_EQ(Px(*canvas, 1, 1) & 0xFFFFFF, kT00 & 0xFFFFFF);
    EXPECT_EQ(Px(*canvas, 2, 2) & 0xFFFFFF, kT11 & 0xFFFFFF);
    EXPECT_EQ(Px(*canvas, 5, 3) & 0xFFFFFF, kT00 & 0xFFFFFF);
    EXPECT_EQ(Px(*canvas, 13 * cw + 1, 1) & 0xFFFFFF, kT11 & 0xFFFFFF);
    EXPECT_EQ(Px(*canvas, 13 * cw + 5, 3) & 0xFFFFFF, kT11 & 0xFFFFFF);
    EXPECT_EQ(Px(*canvas, 13 * cw + 4, 3) & 0xFFFFFF, kT01 & 0xFFFFFF);

    auto big = CreateBmp32(cw * 15 * 8, ch * 8);
    StretchBlt(big->Canvas()->Handle(), 0, 0, big->Width(), big->Height(), canvas->Canvas()->Handle(), 0, 0, cw * 15,
               ch, SRCCOPY);
    EXPECT_TRUE(SaveBitmapAsPng(*big, BuildFolderFile(L"skin_fill_modes.png")));
}

TEST(SkinTiling, WithoutASourceNothingIsPainted)
{
    auto canvas = Bmp32(4, 4, kBack);
    TsMaskData md;
    md.R = {0, 0, 2, 2};
    TRect r{0, 0, 4, 4};
    TileBitmap(canvas->Canvas(), r, nullptr, md, fmTiled);
    EXPECT_EQ(r, TRect(0, 0, 4, 4));
    EXPECT_EQ(Painted(*canvas, {0, 0, 4, 4}), TRect(4, 4, 0, 0));
}

TEST(SkinTiling, PictureOverloadTilesABitmapFromTheAreaCorner)
{
    auto tile = Numbered(2, 2);
    auto canvas = Bmp32(7, 5, kBack);
    TileBitmap(canvas->Canvas(), TRect(1, 1, 6, 4), tile.get());
    GdiFlush();
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const bool inside = x >= 1 && x < 6 && y >= 1 && y < 4;
            EXPECT_EQ(Px(*canvas, x, y) & 0xFFFFFF,
                      (inside ? Px(*tile, (x - 1) % 2, (y - 1) % 2) : kBack) & 0xFFFFFF) << x << "," << y;
        }
}
