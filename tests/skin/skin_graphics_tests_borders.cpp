// Skin borders without a control: the keyed copier with its region runs for both image kinds,
// and nine-slice painting of a border image into a bitmap with a region (borders that do not fit,
// tiled and stretched sides, the centre, key corners out of the region).
#include "skin_graphics_test_png.h"
#include "skin_graphics_test_skin_image.h"

#include "sBorders.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr Word kKey = 0x00FF00FF;
constexpr Word kBack = Argb(255, 9, 9, 9);

// The rectangles of a region, in the order the system lists them.
std::vector<TRect> RegionRects(HRGN rgn)
{
    const DWORD size = GetRegionData(rgn, 0, nullptr);
    std::vector<std::uint8_t> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (size == 0 || GetRegionData(rgn, size, data) != size) return {};
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    std::vector<TRect> out;
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        out.emplace_back(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    return out;
}

struct Region {
    HRGN h;
    Region(int l, int t, int r, int b) : h(CreateRectRgn(l, t, r, b)) {}
    ~Region() { DeleteObject(h); }
    Region(const Region&) = delete;
    Region& operator=(const Region&) = delete;
};

// Every pixel tells where it lies in the image: red x, green y, blue the state.
Word Where(int s, int x, int y) { return Argb(255, x, y, 0x40 * (s + 1)); }

} // namespace

TEST(SkinBorders, CopyMaskSkipsKeyPixelsAndTakesTheirRunsOutOfTheRegion)
{
    // Row 0: key, key, opaque, key, key (a run ended by an opaque pixel, one reaching the end);
    // row 1: opaque, key, key, opaque, opaque.
    const bool keys[2][5] = {{true, true, false, true, true}, {false, true, true, false, false}};
    auto image = DrawImage(5, 2, 1, [&](int, int x, int y) { return keys[y][x] ? kKey : Where(0, x, y); });
    const TsMaskData md = ImageRecord(nullptr, image.get(), TRect(0, 0, 5, 2), 1, false, 0, 0, 0, 0, 0);

    // Ended by an opaque pixel: XOR (added to an empty region); reaching the end: DIFF.
    Region empty(0, 0, 0, 0);
    auto bmp = Bmp32(8, 5, kBack);
    CopyMask(1, 2, 5, 3, 0, 0, 4, 1, bmp.get(), empty.h, md, true);
    const std::vector<TRect> added{TRect(1, 2, 3, 3), TRect(2, 3, 4, 4)};
    EXPECT_EQ(RegionRects(empty.h), added);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Px(*bmp, 1 + x, 2 + y), keys[y][x] ? kBack : Where(0, x, y)) << x << "," << y;

    // From a full region every run goes.
    Region full(0, 0, 8, 5);
    CopyMask(1, 2, 5, 3, 0, 0, 4, 1, bmp.get(), full.h, md, true);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(PtInRegion(full.h, 1 + x, 2 + y) != 0, !keys[y][x]) << x << "," << y;

    // KeyOnly false copies the key pixels too; the copy is cut to the image and to the bitmap.
    auto all = Bmp32(8, 5, kBack);
    CopyMask(5, 3, 20, 20, 2, 0, 20, 20, all.get(), nullptr, md, false);
    EXPECT_EQ(Px(*all, 5, 3), Where(0, 2, 0));
    EXPECT_EQ(Px(*all, 6, 3), kKey);
    EXPECT_EQ(Px(*all, 7, 4), Where(0, 4, 1));
    EXPECT_EQ(Px(*all, 4, 3), kBack);

    // Nothing for a negative coordinate or a bitmap below 2 x 2.
    auto thin = Bmp32(1, 6, kBack), same = Bmp32(8, 5, kBack);
    CopyMask(0, 0, 4, 1, 0, 0, 4, 1, thin.get(), nullptr, md, false);
    EXPECT_EQ(Px(*thin, 0, 0), kBack);
    auto untouched = Bmp32(8, 5, kBack);
    CopyMask(-1, 0, 4, 1, 0, 0, 4, 1, untouched.get(), nullptr, md, false);
    CopyMask(0, 0, 4, 1, 0, -1, 4, 1, untouched.get(), nullptr, md, false);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(Px(*untouched, x, y), kBack);
}

TEST(SkinBorders, CopyMaskBlendsAMaskedImageOnceWithOrWithoutKeyOnly)
{
    // 3 x 1 picture (the middle pixel the key) over its mask row.
    const Word picture[3] = {Argb(255, 200, 100, 0), kKey, Argb(255, 10, 20, 30)};
    const int masks[3] = {0, 90, 200};
    auto image = DrawImage(3, 1, 1, [&](int, int x, int) { return picture[x]; },
                           [&](int, int x, int) { return Grey(masks[x]); });
    const TsMaskData md = ImageRecord(nullptr, image.get(), TRect(0, 0, 3, 2), 1, true, 0, 0, 0, 0, 0);
    const Word d = Argb(77, 40, 80, 160);
    const auto blend = [&](Word s, int m) {
        const auto b = [m](int sc, int dc) { return (sc * 256 + (dc - sc) * m) / 256; };
        return Argb(ByteA(d), b(ByteR(s), ByteR(d)), b(ByteG(s), ByteG(d)), b(ByteB(s), ByteB(d)));
    };
    for (const bool keyOnly : {true, false}) {
        auto bmp = Bmp32(4, 2, d);
        Region empty(0, 0, 0, 0);
        CopyMask(0, 0, 2, 0, 0, 0, 2, 0, bmp.get(), empty.h, md, keyOnly);
        EXPECT_EQ(Px(*bmp, 0, 0), (picture[0] & 0x00FFFFFF) | (d & 0xFF000000))
            << "mask 0 shows the picture, alpha kept";
        EXPECT_EQ(Px(*bmp, 1, 0), keyOnly ? d : blend(kKey, 90));
        EXPECT_EQ(Px(*bmp, 2, 0), blend(picture[2], 200)) << "blended once";
        EXPECT_EQ(RegionRects(empty.h), std::vector<TRect>{TRect(1, 0, 2, 1)});
    }
}

TEST(SkinBorders, PaintRgnBorderFitsBordersTilesSidesAndTakesKeyCornersOut)
{
    // Two states of 30 x 20, borders 10, 4, 10, 4; state 1 has a key pixel at its top-left.
    auto image =
        DrawImage(30, 20, 2, [](int s, int x, int y) { return s == 1 && x == 0 && y == 0 ? kKey : Where(s, x, y); });
    TsMaskData md = ImageRecord(nullptr, image.get(), TRect(0, 0, 60, 20), 2, false, 0, 10, 4, 10, 4);

    // 15 pixels wide: the left border keeps 8 columns, the right one 7.
    auto narrow = Bmp32(15, 12, kBack);
    Region rgn(0, 0, 15, 12);
    PaintRgnBorder(narrow.get(), rgn.h, false, md, 1);
    for (int x = 0; x < 15; ++x) {
        const int sx = x < 8 ? x : 30 - (15 - x);
        const Word want = x == 0 ? kBack : Where(1, sx, 0);
        EXPECT_EQ(Px(*narrow, x, 0), want) << x;
        EXPECT_EQ(Px(*narrow, x, 11), Where(1, sx, 19)) << x;
    }
    EXPECT_FALSE(PtInRegion(rgn.h, 0, 0)) << "the key corner pixel leaves the region";
    EXPECT_TRUE(PtInRegion(rgn.h, 1, 0));

    // Tiled sides and centre in steps of the 10 x 12 middle piece, the last cut; a state beyond
    // the count paints the last. Without Filling (or DrawMode bit 2) the centre stays.
    md.WL = md.WR = 10;
    md.DrawMode = 4;
    for (const bool filling : {true, false}) {
        auto wide = Bmp32(47, 33, kBack);
        PaintRgnBorder(wide.get(), nullptr, filling, md, 5);
        const auto tiled = [](int p, int size, int lead, int trail, int total) {
            if (p < lead) return p;
            if (p >= total - trail) return size - (total - p);
            return lead + (p - lead) % (size - lead - trail);
        };
        int wrong = 0;
        for (int y = 0; y < 33; ++y)
            for (int x = 0; x < 47; ++x) {
                const bool centre = x >= 10 && x < 37 && y >= 4 && y < 29;
                const Word want = centre && !filling ? kBack
                                  : x == 0 && y == 0 ? kBack
                                                     : Where(1, tiled(x, 30, 10, 10, 47), tiled(y, 20, 4, 4, 33));
                if (Px(*wide, x, y) != want && ++wrong < 4)
                    ADD_FAILURE() << (filling ? "filled" : "open") << " at " << x << "," << y << ": " << std::hex
                                  << Px(*wide, x, y) << " instead of " << want;
            }
        EXPECT_EQ(wrong, 0);
        if (filling) {
            EXPECT_TRUE(SaveEnlargedPng(*wide, L"skin_borders_rgn_tiled.png", 6));
        }
    }

    // Stretched sides: corners exact, the sides from the middle piece.
    md.DrawMode = 1;
    auto stretched = Bmp32(47, 33, kBack);
    PaintRgnBorder(stretched.get(), nullptr, false, md, 0);
    EXPECT_EQ(Px(*stretched, 46, 32), Where(0, 29, 19));
    for (const int x : {10, 23, 36}) {
        const int sx = ByteR(Px(*stretched, x, 1));
        EXPECT_TRUE(sx >= 10 && sx < 20) << x << " from " << sx;
    }

    // A 1-pixel-wide bitmap receives nothing.
    auto thin = Bmp32(1, 20, kBack);
    PaintRgnBorder(thin.get(), nullptr, true, md, 0);
    for (int y = 0; y < 20; ++y) EXPECT_EQ(Px(*thin, 0, y), kBack);
}
