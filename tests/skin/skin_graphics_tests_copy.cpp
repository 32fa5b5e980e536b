// Copies with key colours, masks and the parent's background; the general glyph copy with its
// grey, blend and reflection; alpha strips and masks; the faded rectangle.
#include "BuildFolder.h"
#include "skin_graphics_test_pixels.h"

#include "../framework/graphics_png.h"

#include <gtest/gtest.h>

namespace {

const Word kKey = 0x00FF00FF;
const Word kA = Argb(30, 200, 100, 50);
const Word kB = Argb(220, 10, 20, 30);
const Word kD = Argb(50, 1, 2, 3);


} // namespace

TEST(SkinCopies, CopyTransRectInItsFourCases)
{
    auto src = Bmp32(3, 1, 0);
    SetPx(*src, 0, 0, kKey);
    SetPx(*src, 1, 0, kA);
    SetPx(*src, 2, 0, kB);
    auto background = Numbered(5, 2);

    struct Case {
        const char* name;
        bool ready, own, withBmp, update;
        int ciY;
        Word key, a, b; // expected destination (1, 0), (2, 0), (3, 0)
    };
    const Word fill = Argb(50, 0x33, 0x22, 0x11); // FillColor 0x00112233 in pixel order, alpha of (0, 0)
    const Case cases[] = {
        {"own cache", true, true, true, true, 0, kD, kA | 0xFF000000, kB | 0xFF000000},
        {"other cache", true, false, true, true, 0, Px(*background, 1, 0), kA, kB},
        {"other cache, row above it", true, false, true, true, -1, kD, kD, kD},
        {"ready, no update", true, false, true, false, 0, kD, kA, kB},
        {"ready without bitmap", true, false, false, true, 0, kD, kA, kB},
        {"not ready", false, false, true, true, 0, fill, kA, kB},
    };
    for (const Case& c : cases) {
        auto dst = Bmp32(4, 2, kD);
        TCacheInfo ci = MakeCacheInfo(c.withBmp ? (c.own ? dst.get() : background.get()) : nullptr, 0, c.ciY);
        ci.Ready = c.ready;
        ci.FillColor = 0x00112233;
        CopyTransRect(dst.get(), src.get(), 1, 0, {0, 0, 2, 0}, TColorOf(kKey), ci, c.update);
        EXPECT_EQ(Px(*dst, 0, 0), kD) << c.name;
        EXPECT_EQ(Px(*dst, 1, 0), c.key) << c.name;
        EXPECT_EQ(Px(*dst, 2, 0), c.a) << c.name;
        EXPECT_EQ(Px(*dst, 3, 0), c.b) << c.name;
        EXPECT_EQ(Px(*dst, 1, 1), kD) << c.name << ": R's bottom is inclusive, row 0 only";
    }
}

TEST(SkinCopies, CopyTransRectAAndCopyTransBitmaps)
{
    // The key of CopyTransRectA is the colour in pixel order with alpha 0.
    const TColor transColor = 0x00112233;
    const Word key = 0x00332211;
    auto src = Bmp32(2, 1, key);
    SetPx(*src, 1, 0, kA);
    for (int alpha : {0, 100}) {
        auto dst = Bmp32(2, 1, kD);
        CopyTransRectA(dst.get(), src.get(), 0, 0, {0, 0, 1, 0}, transColor, EmptyCI, alpha);
        EXPECT_EQ(Px(*dst, 0, 0), kD) << alpha;
        EXPECT_EQ(Px(*dst, 1, 0), alpha == 0 ? kA : MixPx(kA, kD, 100, std::max(50, 100))) << alpha;
    }

    // CopyTransBitmaps: source words equal to the colour in pixel order are skipped, alpha 255.
    TsColor tc;
    tc.C = 0x00332211;
    auto strip = Bmp32(2, 2, kA);
    SetPx(*strip, 0, 0, 0x00112233);
    SetPx(*strip, 1, 1, kB);
    auto dst = Bmp32(3, 3, kD);
    CopyTransBitmaps(dst.get(), strip.get(), 1, 1, tc);
    EXPECT_EQ(Px(*dst, 0, 0), kD);
    EXPECT_EQ(Px(*dst, 1, 1), kD) << "key";
    EXPECT_EQ(Px(*dst, 2, 1), kA | 0xFF000000);
    EXPECT_EQ(Px(*dst, 2, 2), kB | 0xFF000000);
    auto shifted = Bmp32(2, 2, kD);
    CopyTransBitmaps(shifted.get(), strip.get(), -1, 0, tc);
    EXPECT_EQ(Px(*shifted, 0, 0), kA | 0xFF000000) << "a negative offset keeps the copy aligned";
    EXPECT_EQ(Px(*shifted, 0, 1), kB | 0xFF000000);
    EXPECT_EQ(Px(*shifted, 1, 0), kD);
}

TEST(SkinCopies, CopyByMaskMixesBySourceAlpha)
{
    auto src = Bmp32(3, 1, kKey);
    SetPx(*src, 1, 0, Argb(100, 200, 100, 50));
    SetPx(*src, 2, 0, Argb(255, 9, 8, 7));
    auto background = Numbered(4, 1);
    const Word s = Argb(100, 200, 100, 50);
    const Word mixed = MixPx(s, kD, 100, 50 + (((255 - 50) * 100) >> 8));

    auto notReady = Bmp32(3, 1, kD);
    CopyByMask({0, 0, 2, 1}, {0, 0, 2, 1}, notReady.get(), src.get(), EmptyCI, true);
    EXPECT_EQ(Px(*notReady, 0, 0), kD) << "the key pixel has alpha 0: mixed with weight 0";
    EXPECT_EQ(Px(*notReady, 1, 0), mixed);
    EXPECT_EQ(Px(*notReady, 2, 0), kD) << "outside the smaller rectangle";

    const TCacheInfo ci = MakeCacheInfo(background.get(), 1, 0);
    auto updated = Bmp32(3, 1, kD);
    CopyByMask({0, 0, 3, 1}, {0, 0, 3, 1}, updated.get(), src.get(), ci, true);
    const Word bg = Px(*background, 1, 0);
    EXPECT_EQ(Px(*updated, 0, 0), bg | 0xFF000000) << "key: the background colour, alpha 255";
    EXPECT_EQ(Px(*updated, 1, 0), mixed);
    EXPECT_EQ(Px(*updated, 2, 0), MixPx(Argb(255, 9, 8, 7), kD, 255, 50 + (((255 - 50) * 255) >> 8)));
    auto kept = Bmp32(3, 1, kD);
    CopyByMask({0, 0, 3, 1}, {0, 0, 3, 1}, kept.get(), src.get(), ci, false);
    EXPECT_EQ(Px(*kept, 0, 0), kD);

    // A negative left of one rectangle moves both.
    auto moved = Bmp32(3, 1, kD);
    CopyByMask({-1, 0, 2, 1}, {0, 0, 3, 1}, moved.get(), src.get(), EmptyCI, false);
    EXPECT_EQ(Px(*moved, 0, 0), mixed) << "destination 0 takes source 1";
}

TEST(SkinCopies, CopyByMaskWithAStoredMask)
{
    // Image row over mask row: image (I0, key), mask (M0, M1).
    const Word i0 = Argb(0, 200, 100, 50);
    const Word i0Alpha = Argb(128, 200, 100, 50);
    const Word m0 = Argb(0, 0, 128, 255);
    auto mixByMask = [](Word d, Word i, Word m, int alpha) {
        return Argb(alpha, MixOf(ByteR(d), ByteR(i), ByteR(m)), MixOf(ByteG(d), ByteG(i), ByteG(m)),
                    MixOf(ByteB(d), ByteB(i), ByteB(m)));
    };
    auto background = Numbered(2, 1);
    const TCacheInfo ready = MakeCacheInfo(background.get(), 0, 0);
    TCacheInfo notReady = EmptyCI;
    notReady.FillColor = TColorOf(0x7F112233);
    const Word fill = 0x7F332211;

    struct Case {
        const char* name;
        bool ready, update;
        std::int16_t drawMode;
        std::uint32_t cfg;
        Word image0;
        Word expected0, expected1;
    };
    const Case cases[] = {
        {"ready", true, false, 0, 0, i0, mixByMask(kD, i0, m0, 255), mixByMask(kD, kKey, 0, 255)},
        {"ready, update", true, true, 0, 0, i0, mixByMask(kD, i0, m0, 255), Px(*background, 1, 0)},
        {"ready, update, own alpha", true, true, 0x10, 0, i0Alpha, MixPx(kD, i0Alpha, 255 - 128, 255),
         Px(*background, 1, 0)},
        {"not ready", false, false, 0, 0, i0, mixByMask(kD, i0, m0, 50), kD},
        {"not ready, update", false, true, 0, 0, i0, mixByMask(kD, i0, m0, 50), fill},
        {"not ready, update, alpha keys", false, true, 0, 1, i0, fill, fill},
    };
    for (const Case& c : cases) {
        auto src = Bmp32(2, 2, 0);
        SetPx(*src, 0, 0, c.image0);
        SetPx(*src, 1, 0, kKey);
        SetPx(*src, 0, 1, m0);
        SetPx(*src, 1, 1, 0);
        TsMaskData mask;
        mask.R = {0, 0, 2, 2};
        mask.DrawMode = c.drawMode;
        mask.Cfg = c.cfg;
        auto dst = Bmp32(2, 1, kD);
        CopyByMask({0, 0, 2, 1}, {0, 0, 2, 1}, dst.get(), src.get(), c.ready ? ready : notReady, c.update, mask);
        EXPECT_EQ(Px(*dst, 0, 0), c.expected0) << c.name;
        EXPECT_EQ(Px(*dst, 1, 0), c.expected1) << c.name;
    }
}

TEST(SkinCopies, CopyBmp32TransparencyGreyBlendAndReflection)
{
    const Word d = Argb(40, 10, 20, 30);
    auto background = Bmp32(3, 1, Argb(99, 7, 8, 9));
    // Alpha 16 counts as transparent, 17 is mixed.
    auto src = Bmp32(2, 1, Argb(16, 200, 100, 50));
    SetPx(*src, 1, 0, Argb(17, 200, 100, 50));
    auto dst = Bmp32(2, 1, d);
    CopyBmp32({0, 0, 2, 1}, {0, 0, 2, 1}, dst.get(), src.get(), MakeCacheInfo(background.get()), true, clNone, 0,
              false);
    EXPECT_EQ(Px(*dst, 0, 0), Argb(40, 7, 8, 9)) << "background colour, alpha kept";
    EXPECT_EQ(Px(*dst, 1, 0), MixPx(Argb(17, 200, 100, 50), d, 17, std::max(40, MixOf(17, 40, 17))));

    // Grey: the colour is lifted until its largest channel is 255, the pixel's grey tints it.
    const Word s = Argb(180, 200, 100, 60);
    auto grey = Bmp32(1, 1, s);
    auto greyDst = Bmp32(1, 1, d);
    CopyBmp32({0, 0, 1, 1}, {0, 0, 1, 1}, greyDst.get(), grey.get(), EmptyCI, false, 0x00204080, 0, false);
    const int g = (200 >> 2) + (100 >> 1) + (60 >> 2);
    const Word v = Argb(0, (g * 0xFF) >> 8, (g * 0xBF) >> 8, (g * 0x9F) >> 8);
    EXPECT_EQ(Px(*greyDst, 0, 0), MixPx(v, d, 180, MixOf(255, 40, 180)));

    // Blend 40 %: weight (A * k) shr 8 with k = 255 - 40 * 255 div 100; alpha left.
    auto blended = Bmp32(1, 1, d);
    CopyBmp32({0, 0, 1, 1}, {0, 0, 1, 1}, blended.get(), grey.get(), EmptyCI, false, clNone, 40, false);
    EXPECT_EQ(Px(*blended, 0, 0), MixPx(s, d, (180 * (255 - 102)) >> 8, 40));

    // Reflection below R1: n = min(8 div 2 - 1, 10 - 3 - 1) = 3 rows; row i reads source row
    // 3 - i - 1 and fades by (n - i) / n and the factor f (255, then less 255 div 8 per row).
    // Its third row would lie above the source and is left out.
    const Word r = Argb(200, 240, 120, 60);
    auto tall = Bmp32(1, 8, r);
    auto mirror = Bmp32(1, 10, d);
    CopyBmp32({0, 0, 1, 3}, {0, 0, 1, 3}, mirror.get(), tall.get(), EmptyCI, false, clNone, 0, true);
    const int a1 = ((200 * 2) / 3 * 255) >> 9;
    const int a2 = ((200 * 1) / 3 * (255 - 255 / 8)) >> 9;
    EXPECT_EQ(Px(*mirror, 0, 3), d);
    EXPECT_EQ(Px(*mirror, 0, 4), MixPx(r, d, a1, 40));
    EXPECT_EQ(Px(*mirror, 0, 5), MixPx(r, d, a2, 40));
    EXPECT_EQ(Px(*mirror, 0, 6), d);
    EXPECT_EQ(Px(*mirror, 0, 7), d);
    auto flat = Bmp32(1, 4, d);
    CopyBmp32({0, 0, 1, 3}, {0, 0, 1, 3}, flat.get(), tall.get(), EmptyCI, false, clNone, 0, true);
    EXPECT_EQ(Px(*flat, 0, 3), d) << "no room: n <= 0";
}

TEST(SkinCopies, AlphaStripsAndMasks)
{
    // Upper half colour, lower half mask: black opaque, white transparent.
    auto strip = Bmp32(2, 4, 0);
    SetPx(*strip, 0, 0, Argb(0, 10, 20, 30));
    SetPx(*strip, 1, 0, Argb(0, 40, 50, 60));
    SetPx(*strip, 0, 2, Argb(0, 0, 0, 0));
    SetPx(*strip, 1, 2, Argb(0, 255, 255, 255));
    SetPx(*strip, 0, 3, Argb(0, 100, 0, 0));
    auto alpha = CreateAlphaBmp(strip.get(), {0, 0, 2, 4});
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->Width(), 2);
    EXPECT_EQ(alpha->Height(), 2);
    EXPECT_EQ(Px(*alpha, 0, 0), Argb(255, 10, 20, 30));
    EXPECT_EQ(Px(*alpha, 1, 0), Argb(0, 40, 50, 60));
    EXPECT_EQ(Px(*alpha, 0, 1), Argb(155, 0, 0, 0));
    EXPECT_EQ(CreateAlphaBmp(strip.get(), {0, 0, 2, 1}), nullptr) << "height below 2";
    EXPECT_EQ(CreateAlphaBmp(strip.get(), {0, 0, 3, 4}), nullptr) << "wider than the source";
    EXPECT_EQ(CreateAlphaBmp(strip.get(), {-1, 0, 1, 4}), nullptr) << "left of the source";
    EXPECT_EQ(CreateAlphaBmp(CreateBmp32(0, 0).get(), {0, 0, 0, 0}), nullptr);

    auto image = Bmp32(2, 1, Argb(0, 1, 2, 3));
    SetPx(*image, 1, 0, Argb(200, 4, 5, 6));
    auto mask = CreateMaskFromAlpha(image.get());
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->Height(), 2);
    EXPECT_EQ(Px(*mask, 1, 0), Argb(200, 4, 5, 6));
    EXPECT_EQ(Px(*mask, 0, 1), Argb(255, 255, 255, 255));
    EXPECT_EQ(Px(*mask, 1, 1), Argb(255, 55, 55, 55));
    EXPECT_EQ(CreateMaskFromAlpha(CreateBmp32(0, 3).get()), nullptr);
}

TEST(SkinCopies, FadeBmpBlendsTowardTheColourInsideItsBorder)
{
    const Word picture = Argb(255, 200, 150, 100);
    TsColor colour;
    colour.C = 0x00204060; // red 0x60, green 0x40, blue 0x20
    auto faded = [&](int w) {
        return Argb(255, MixOf(200, 0x60, w), MixOf(150, 0x40, w), MixOf(100, 0x20, w));
    };
    struct Case {
        int transparency, blur;
    };
    for (const Case c : {Case{50, 0}, Case{50, 1}, Case{100, 2}}) {
        auto bmp = Bmp32(12, 10, picture);
        FadeBmp(bmp.get(), {1, 1, 11, 9}, c.transparency, colour, c.blur, 0);
        const int t = c.transparency * 255 / 100;
        EXPECT_EQ(Px(*bmp, 0, 0), picture) << "outside R";
        EXPECT_EQ(Px(*bmp, 11, 9), picture);
        // The outer ring keeps the picture (white mask) when there is a border; inside lies T.
        EXPECT_EQ(Px(*bmp, 1, 1), faded(c.blur == 0 ? t : 255)) << c.transparency << "/" << c.blur;
        EXPECT_EQ(Px(*bmp, 5, 5), faded(t)) << c.transparency << "/" << c.blur;
    }
}

TEST(SkinCopies, FadeBmpPictureForALook)
{
    // A soft rounded border around a faded inside, saved for a person to look at.
    auto bmp = Bmp32(160, 100, Argb(255, 30, 90, 200));
    for (int y = 0; y < 100; y += 10)
        for (int x = 0; x < 160; ++x) SetPx(*bmp, x, y, Argb(255, 255, 255, 255));
    TsColor colour;
    colour.C = 0x0000C0FF;
    FadeBmp(bmp.get(), {10, 10, 150, 90}, 30, colour, 12, 24);
    EXPECT_EQ(Px(*bmp, 5, 5), Argb(255, 30, 90, 200));
    EXPECT_TRUE(SaveBitmapAsPng(*bmp, BuildFolderFile(L"skin_fadebmp.png")));
}

TEST(SkinCopies, CacheAndSourceRectanglesPastTheirBitmapsStayInside)
{
    // Every source pixel is the key; rectangles and cache offsets reach far past the bitmaps.
    auto src = Bmp32(3, 3, kKey);
    auto smallCache = Bmp32(2, 2, kA);
    const Word guard = Argb(7, 7, 7, 7);
    auto dst = Bmp32(5, 5, guard);
    CopyTransRect(dst.get(), src.get(), 4, 4, {-3, -3, 30, 30}, TColorOf(kKey), MakeCacheInfo(smallCache.get(), -5, -1),
                  true);
    CopyByMask({3, 3, 40, 40}, {-2, 1, 30, 30}, dst.get(), src.get(), MakeCacheInfo(smallCache.get(), 100, 100), true);
    CopyBmp32({-10, 2, 50, 50}, {0, 0, 50, 50}, dst.get(), src.get(), MakeCacheInfo(smallCache.get(), -1, 3), true,
              clNone, 0, true);
    CopyBmp32({2, 2, 50, 50}, {0, 0, 50, 50}, dst.get(), src.get(), MakeCacheInfo(smallCache.get(), 1, 1), true,
              clNone, 0, true);
    PaintBmpMaskRect32(dst.get(), CreateBmp32(1, 1).get(), src.get(), {0, 0, 3, 3}, {0, 0}, 255);
    CopyTransRectA(dst.get(), src.get(), -2, -2, {-1, -1, 9, 9}, TColorOf(kKey), EmptyCI, 10);
    SumByMaskWith32(dst.get(), src.get(), src.get(), {-2, -2, 5, 5});
    PaintTranspBmpRect32(dst.get(), src.get(), smallCache.get(), clNone, {0, 0, 9, 9}, {1, 1}, {-4, 1}, 255);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(Px(*dst, x, y), guard) << x << "," << y;
    EXPECT_EQ(Px(*smallCache, 1, 1), kA);

    // The stored-mask copy keeps its mask rows inside the source: one row of two pixels here.
    TsMaskData mask;
    mask.R = {0, 0, 3, 3};
    CopyByMask({0, 0, 9, 9}, {1, 1, 9, 9}, dst.get(), src.get(), MakeCacheInfo(smallCache.get(), 1, -9), true, mask);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            if (y > 0 || x > 1) {
                EXPECT_EQ(Px(*dst, x, y), guard) << x << "," << y;
            }
}
