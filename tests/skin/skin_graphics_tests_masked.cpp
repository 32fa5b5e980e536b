// The piece copiers of the nine-slice painters: unscaled and stretched copies weighed by a mask,
// with opacity, and the master-bitmap copy that also lays masked textures (TileMasked).
#include "skin_graphics_test_png.h"
#include "skin_graphics_test_skin_image.h"

#include "sAlphaGraph.h"
#include "sGraphUtilsStretch.h"
#include "sGraphUtilsTile.h"

#include <gtest/gtest.h>

#include <array>

namespace {

constexpr Word kS = Argb(255, 200, 100, 50); // the picture
constexpr int kMasks[] = {0, 128, 255};      // mask red byte per column
constexpr int kAlphas[] = {0, 100, 255};     // destination alpha per row

// A 3-column image over its mask: every picture pixel kS, the mask's red byte by column (green
// and blue other values, which must not count). The record's R is the whole bitmap.
std::unique_ptr<TBitmap> WeightImage()
{
    return DrawImage(3, 3, 1, [](int, int, int) { return kS; },
                     [](int, int x, int) { return Argb(255, kMasks[x], 7, 9); });
}

// Rows of colour (10, 20, 30) with the alphas of kAlphas.
std::unique_ptr<TBitmap> WeightTarget()
{
    auto dst = CreateBmp32(3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) SetPx(*dst, x, y, Argb(kAlphas[y], 10, 20, 30));
    return dst;
}

// Expected words by [mask column][destination row].
using WeightTable = std::array<std::array<Word, 3>, 3>;

void ExpectWeights(TBitmap& dst, const WeightTable& want, const char* what)
{
    for (int m = 0; m < 3; ++m)
        for (int a = 0; a < 3; ++a)
            EXPECT_EQ(Px(dst, m, a), want[m][a]) << what << ": mask " << kMasks[m] << ", alpha " << kAlphas[a];
}

} // namespace

TEST(SkinMaskedCopies, CopyByMask32WeighsByTheMaskRedByteAndOpacity)
{
    auto src = WeightImage();
    const TsMaskData md = ImageRecord(nullptr, src.get(), TRect(0, 0, 3, 6), 1, true, 0, 0, 0, 0, 0);
    const TRect piece(0, 0, 3, 3);

    auto dst = WeightTarget();
    CopyByMask32(piece, piece, dst.get(), src.get(), EmptyCI, md);
    ExpectWeights(*dst,
                  {{{Argb(255, 199, 99, 49), Argb(255, 199, 99, 49), Argb(255, 199, 99, 49)},
                    {Argb(127, 104, 59, 39), Argb(127, 104, 59, 39), Argb(255, 104, 59, 39)},
                    {Argb(0, 9, 19, 29), Argb(100, 9, 19, 29), Argb(255, 9, 19, 29)}}},
                  "CopyByMask32");

    // Half opacity halves the picture's weight; a pixel without alpha takes that weight.
    dst = WeightTarget();
    CopyByMask32Ex(piece, piece, dst.get(), src.get(), EmptyCI, md, 128);
    ExpectWeights(*dst,
                  {{{Argb(127, 104, 59, 39), Argb(255, 104, 59, 39), Argb(255, 104, 59, 39)},
                    {Argb(63, 56, 39, 34), Argb(127, 56, 39, 34), Argb(255, 56, 39, 34)},
                    {Argb(0, 9, 19, 29), Argb(100, 9, 19, 29), Argb(255, 9, 19, 29)}}},
                  "CopyByMask32Ex at 128");

    // Full opacity with a ready cache: a pixel without alpha takes 255 - m.
    auto cache = Bmp32(8, 8, Argb(255, 1, 2, 3));
    dst = WeightTarget();
    CopyByMask32Ex(piece, piece, dst.get(), src.get(), ReadyCache(cache.get(), 0, 0), md, 255);
    ExpectWeights(*dst,
                  {{{Argb(255, 198, 99, 49), Argb(255, 198, 99, 49), Argb(255, 198, 99, 49)},
                    {Argb(127, 103, 59, 39), Argb(127, 103, 59, 39), Argb(255, 103, 59, 39)},
                    {Argb(0, 9, 19, 29), Argb(100, 9, 19, 29), Argb(255, 9, 19, 29)}}},
                  "CopyByMask32Ex at 255, cache ready");
}

TEST(SkinMaskedCopies, KeyPixelsTakeTheCacheInsideItOrBecomeTransparent)
{
    constexpr Word kKey = 0x00FF00FF;
    // 4 x 2 picture, key pixels in column 0 and at (3, 1); mask black (picture shown).
    auto src = DrawImage(4, 2, 1, [](int, int x, int y) { return x == 0 || (x == 3 && y == 1) ? kKey : kS; },
                         [](int, int, int) { return Grey(0); });
    const TsMaskData md = ImageRecord(nullptr, src.get(), TRect(0, 0, 4, 4), 1, true, 0, 0, 0, 0, 0);
    auto cache = CreateBmp32(8, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) SetPx(*cache, x, y, Argb(255, 40 + x, 60 + y, 1));
    constexpr Word kDst = Argb(200, 10, 20, 30);

    for (const bool ex : {false, true}) {
        auto copy = [&](TBitmap* dst, TRect d, TRect s, const TCacheInfo& ci) {
            if (ex) CopyByMask32Ex(d, s, dst, src.get(), ci, md, 255);
            else CopyByMask32(d, s, dst, src.get(), ci, md);
        };
        // A ready cache: the control lies at (3, 2) of it; key pixels show the parent.
        auto dst = Bmp32(6, 4, kDst);
        copy(dst.get(), TRect(1, 1, 5, 3), TRect(0, 0, 4, 2), ReadyCache(cache.get(), 3, 2));
        EXPECT_EQ(Px(*dst, 1, 1), Argb(255, 44, 63, 1)) << ex;
        EXPECT_EQ(Px(*dst, 1, 2), Argb(255, 44, 64, 1)) << ex;
        EXPECT_EQ(Px(*dst, 4, 2), Argb(255, 47, 64, 1)) << ex;
        EXPECT_EQ(Px(*dst, 2, 1) & 0xFFFFFF, Argb(0, ex ? 198 : 199, 99, 49)) << ex;

        // Without a cache the key pixels become transparent and keep their colour.
        dst = Bmp32(6, 4, kDst);
        copy(dst.get(), TRect(1, 1, 5, 3), TRect(0, 0, 4, 2), EmptyCI);
        EXPECT_EQ(Px(*dst, 1, 1), Argb(0, 10, 20, 30)) << ex;
        EXPECT_EQ(Px(*dst, 4, 2), Argb(0, 10, 20, 30)) << ex;

        // The cache is read only inside it: left of it (negative offset) and below it the
        // destination keeps its pixel.
        dst = Bmp32(6, 4, kDst);
        copy(dst.get(), TRect(1, 1, 5, 3), TRect(0, 0, 4, 2), ReadyCache(cache.get(), -3, 3));
        EXPECT_EQ(Px(*dst, 1, 1), kDst) << ex;
        EXPECT_EQ(Px(*dst, 1, 2), kDst) << ex;
        EXPECT_EQ(Px(*dst, 4, 2), Argb(255, 41, 65, 1)) << ex;
        dst = Bmp32(6, 4, kDst);
        copy(dst.get(), TRect(1, 1, 5, 3), TRect(0, 0, 4, 2), ReadyCache(cache.get(), 3, 4));
        EXPECT_EQ(Px(*dst, 1, 1), Argb(255, 44, 65, 1)) << ex;
        EXPECT_EQ(Px(*dst, 1, 2), kDst) << ex;

        // A destination rectangle left of and above the bitmap moves the source along.
        dst = Bmp32(6, 4, kDst);
        copy(dst.get(), TRect(-3, -1, 1, 1), TRect(0, 0, 4, 2), EmptyCI);
        EXPECT_EQ(Px(*dst, 0, 0), Argb(0, 10, 20, 30)) << ex << ": source (3, 1) is a key pixel";
        EXPECT_EQ(Px(*dst, 1, 0), kDst) << ex;
        EXPECT_EQ(Px(*dst, 0, 1), kDst) << ex;
    }
}

namespace {

// A 2 x 2 picture of four colours over a mask of four values (red byte; green and blue the
// values of the per-channel rule).
constexpr Word kPics[2][2] = {{Argb(255, 200, 100, 50), Argb(255, 10, 220, 30)},
                              {Argb(255, 90, 80, 250), Argb(255, 250, 250, 5)}};
constexpr Word kMaskPx[2][2] = {{Argb(255, 0, 255, 128), Argb(255, 64, 0, 255)},
                                {Argb(255, 128, 128, 0), Argb(255, 255, 64, 64)}};
std::unique_ptr<TBitmap> QuadImage()
{
    return DrawImage(2, 2, 1, [](int, int x, int y) { return kPics[y][x]; },
                     [](int, int x, int y) { return kMaskPx[y][x]; });
}

constexpr Word kUnder = Argb(100, 10, 20, 30);

} // namespace

TEST(SkinMaskedCopies, StretchBltMaskFamilySampledPath)
{
    auto src = QuadImage();
    auto weigh = [](int d, int s, int w) { return (d * w + s * (255 - w)) >> 8; };
    auto mix = [](int d, int s, int k) { return ((d - s) * k + s * 256) >> 8; };
    // Enlarged 2 x 2 to 4 x 4 at (1, 1): each source pixel covers a 2 x 2 block.
    for (int variant = 0; variant < 3; ++variant) {
        auto dst = Bmp32(6, 6, kUnder);
        if (variant == 0) StretchBltMask32(1, 1, 4, 4, 0, 0, 2, 2, dst.get(), src.get(), 2, false);
        if (variant == 1) StretchBltMask32Ex(1, 1, 4, 4, 0, 0, 2, 2, dst.get(), src.get(), 2, false, 128);
        if (variant == 2) StretchBltMask(1, 1, 4, 4, 0, 0, 2, 2, dst.get(), src.get(), 2, false);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) {
                Word want = kUnder;
                if (x >= 1 && x < 5 && y >= 1 && y < 5) {
                    const Word s = kPics[(y - 1) / 2][(x - 1) / 2];
                    const Word mp = kMaskPx[(y - 1) / 2][(x - 1) / 2];
                    const int m = ByteR(mp);
                    const Word d = kUnder;
                    if (variant == 0) {
                        want = m == 255 ? d
                               : m == 0 ? (s | 0xFF000000)
                                        : Argb(std::max(ByteA(d), 255 - m), weigh(ByteR(d), ByteR(s), m),
                                               weigh(ByteG(d), ByteG(s), m), weigh(ByteB(d), ByteB(s), m));
                    } else if (variant == 1) {
                        const int w = ((255 - m) * 128) >> 8;
                        want = m == 255 ? d
                                        : Argb(std::max(ByteA(d), 255 - m), weigh(ByteR(s), ByteR(d), w),
                                               weigh(ByteG(s), ByteG(d), w), weigh(ByteB(s), ByteB(d), w));
                    } else {
                        want = Argb(255, mix(ByteR(d), ByteR(s), ByteR(mp)), mix(ByteG(d), ByteG(s), ByteG(mp)),
                                    mix(ByteB(d), ByteB(s), ByteB(mp)));
                    }
                }
                ASSERT_EQ(Px(*dst, x, y), want) << "variant " << variant << " at " << x << "," << y;
            }
    }

    // Without a mask one plain stretch; nothing for a destination left of the bitmap, a source
    // piece past the bitmap or a destination bitmap of one row.
    auto dst = Bmp32(6, 6, kUnder);
    StretchBltMask32(0, 0, 4, 2, 0, 0, 2, 1, dst.get(), src.get(), 0, false);
    EXPECT_EQ(Px(*dst, 3, 1), kPics[0][1]);
    dst = Bmp32(6, 6, kUnder);
    StretchBltMask32(-1, 0, 4, 4, 0, 0, 2, 2, dst.get(), src.get(), 2, false);
    StretchBltMask32(0, 0, 4, 4, 1, 0, 2, 2, dst.get(), src.get(), 2, false);
    auto flat = Bmp32(6, 1, kUnder);
    StretchBltMask32(0, 0, 4, 1, 0, 0, 2, 2, flat.get(), src.get(), 2, false);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(Px(*dst, x, y), kUnder) << x << "," << y;
    EXPECT_EQ(Px(*flat, 0, 0), kUnder);
}

TEST(SkinMaskedCopies, StretchBltMaskSinglePixelCentre)
{
    // The centre piece is the single pixel (1, 0) of a 3 x 1 picture; its mask pixel below.
    struct Case {
        int m;
        Word under;
        Word want32, wantEx, wantGdi; // at opacity 128 for Ex
    };
    constexpr Word kPixel = Argb(255, 200, 100, 50);
    const Case cases[] = {
        // Mask 0: the pixel's colour, opaque (Ex: weighed by the opacity like any pixel).
        {0, Argb(0, 10, 20, 30), Argb(255, 200, 100, 50), Argb(127, 104, 59, 39), Argb(255, 200, 100, 50)},
        // Mask 255: nothing.
        {255, Argb(90, 10, 20, 30), Argb(90, 10, 20, 30), Argb(90, 10, 20, 30), Argb(90, 10, 20, 30)},
        // Between: the destination's weight is the smaller of m and its alpha (32), m (GDI side,
        // alpha kept); Ex: picture weight (255 - m) * opacity.
        {100, Argb(50, 10, 20, 30), Argb(155, 162, 83, 45), Argb(155, 67, 43, 35), Argb(50, 125, 68, 42)},
        {100, Argb(255, 10, 20, 30), Argb(255, 125, 68, 41), Argb(255, 67, 43, 35), Argb(255, 125, 68, 42)},
    };
    for (const Case& c : cases) {
        auto src = DrawImage(3, 1, 1, [&](int, int x, int) { return x == 1 ? kPixel : Argb(255, 1, 1, 1); },
                             [&](int, int x, int) { return x == 1 ? Grey(c.m) : Grey(7); });
        auto dst32 = Bmp32(8, 6, c.under), dstEx = Bmp32(8, 6, c.under), dstGdi = Bmp32(8, 6, c.under);
        StretchBltMask32(2, 1, 5, 4, 1, 0, 1, 1, dst32.get(), src.get(), 1, true);
        StretchBltMask32Ex(2, 1, 5, 4, 1, 0, 1, 1, dstEx.get(), src.get(), 1, true, 128);
        StretchBltMask(2, 1, 5, 4, 1, 0, 1, 1, dstGdi.get(), src.get(), 1, true);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool inside = x >= 2 && x < 7 && y >= 1 && y < 5;
                ASSERT_EQ(Px(*dst32, x, y), inside ? c.want32 : c.under) << "mask " << c.m << " at " << x << "," << y;
                ASSERT_EQ(Px(*dstEx, x, y), inside ? c.wantEx : c.under) << "mask " << c.m << " at " << x << "," << y;
                ASSERT_EQ(Px(*dstGdi, x, y), inside ? c.wantGdi : c.under) << "mask " << c.m << " at " << x << "," << y;
            }
    }
}

TEST(SkinMaskedCopies, StretchBltMask32ResamplesCentresAndOneAxisShrinks)
{
    // Picture pixels all different; mask black (the picture shown) or white (nothing).
    auto picture = [](int, int x, int y) { return Argb(255, 30 + 40 * x, 200 - 30 * y, 90 + 20 * x * y); };
    struct Case {
        int srcW, srcH, dstW, dstH;
        bool centre;
    };
    // A centre piece enlarged, a single column as centre, a shrink along one axis only.
    const Case cases[] = {{3, 3, 7, 5, true}, {1, 3, 4, 6, true}, {6, 3, 3, 3, false}};
    for (const Case& c : cases) {
        auto src = DrawImage(c.srcW, c.srcH, 1, picture, [](int, int, int) { return Grey(0); });
        auto dst = Bmp32(c.dstW + 2, c.dstH + 2, kUnder);
        StretchBltMask32(1, 1, c.dstW, c.dstH, 0, 0, c.srcW, c.srcH, dst.get(), src.get(), c.srcH, c.centre);

        // Expected: the piece, a single column or row doubled, resampled with the Mitchell filter.
        auto piece = CreateBmp32(std::max(c.srcW, 2), std::max(c.srcH, 2));
        for (int y = 0; y < piece->Height(); ++y)
            for (int x = 0; x < piece->Width(); ++x) SetPx(*piece, x, y, picture(0, std::min(x, c.srcW - 1), y));
        auto want = CreateBmp32(1, 1);
        Stretch(piece.get(), want.get(), c.dstW, c.dstH, ftMitchell);
        for (int y = 0; y < c.dstH + 2; ++y)
            for (int x = 0; x < c.dstW + 2; ++x) {
                const bool inside = x >= 1 && x <= c.dstW && y >= 1 && y <= c.dstH;
                ASSERT_EQ(Px(*dst, x, y), inside ? (Px(*want, x - 1, y - 1) | 0xFF000000) : kUnder)
                    << c.srcW << "x" << c.srcH << " at " << x << "," << y;
            }

        // A white mask leaves every pixel.
        auto clear = DrawImage(c.srcW, c.srcH, 1, picture, [](int, int, int) { return Grey(255); });
        auto kept = Bmp32(c.dstW + 2, c.dstH + 2, kUnder);
        StretchBltMask32(1, 1, c.dstW, c.dstH, 0, 0, c.srcW, c.srcH, kept.get(), clear.get(), c.srcH, c.centre);
        for (int y = 0; y < c.dstH + 2; ++y)
            for (int x = 0; x < c.dstW + 2; ++x) ASSERT_EQ(Px(*kept, x, y), kUnder) << x << "," << y;
    }
}

namespace {

constexpr Word kKey = 0x00FF00FF;

// A skin manager whose master bitmap holds, at (2, 1), a 4 x 3 texture over its mask: a key
// pixel at (0, 0), the other pixels all different; the mask black (picture shown).
struct MasterTexture {
    TsSkinManager manager{nullptr};
    TsMaskData md;
    static Word Pixel(int x, int y) { return x == 0 && y == 0 ? kKey : Argb(255, 100 + 20 * x, 60 + 30 * y, 7); }
    MasterTexture()
    {
        manager.MasterBitmap = Bmp32(10, 9, Argb(255, 1, 1, 1));
        auto image = DrawImage(4, 3, 1, [](int, int x, int y) { return Pixel(x, y); },
                               [](int, int, int) { return Grey(0); });
        BitBlt(manager.MasterBitmap->Canvas()->Handle(), 2, 1, 4, 6, image->Canvas()->Handle(), 0, 0, SRCCOPY);
        md = ImageRecord(&manager, nullptr, TRect(2, 1, 6, 7), 1, true, 0, 0, 0, 0, 0);
    }
};

Word CachePixel(int x, int y) { return Argb(255, 3 * x, 3 * y, 0xEE); }
std::unique_ptr<TBitmap> Cache(int w, int h)
{
    auto bmp = CreateBmp32(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetPx(*bmp, x, y, CachePixel(x, y));
    return bmp;
}

} // namespace

TEST(SkinMaskedCopies, CopyMasterRectWeighsEachChannelAndFillsKeyPixels)
{
    // A 2 x 1 picture over a mask whose channels differ: each weighs its own channel.
    TsSkinManager manager(nullptr);
    const Word s = Argb(255, 200, 100, 50), under = Argb(77, 10, 20, 30);
    manager.MasterBitmap =
        DrawImage(3, 1, 1, [&](int, int x, int) { return x == 1 ? kKey : s; },
                  [](int, int, int) { return Argb(255, 255, 0, 128); });
    const TsMaskData md = ImageRecord(&manager, nullptr, TRect(0, 0, 3, 2), 1, true, 0, 0, 0, 0, 0);
    auto mix = [](int d, int sv, int k) { return ((d - sv) * k + sv * 256) >> 8; };
    const Word weighed = Argb(77, mix(10, 200, 255), 100, mix(30, 50, 128));

    // Key pixels: the fill colour (a colour value, red in its low byte) as a pixel...
    auto dst = Bmp32(4, 2, under);
    TCacheInfo fill = EmptyCI;
    fill.FillColor = 0x00332211;
    CopyMasterRect(TRect(1, 1, 4, 2), TRect(0, 0, 3, 1), dst.get(), fill, md);
    EXPECT_EQ(Px(*dst, 1, 1), weighed);
    EXPECT_EQ(Px(*dst, 2, 1), Argb(0, 0x11, 0x22, 0x33));
    EXPECT_EQ(Px(*dst, 3, 1), weighed);
    EXPECT_EQ(Px(*dst, 0, 1), under);

    // ...or, without one, the cache pixel at the control's offset...
    auto cache = Cache(6, 4);
    dst = Bmp32(4, 2, under);
    CopyMasterRect(TRect(1, 1, 4, 2), TRect(0, 0, 3, 1), dst.get(), ReadyCache(cache.get(), 2, 1), md);
    EXPECT_EQ(Px(*dst, 2, 1), CachePixel(4, 2));
    // ...the row stopping at the cache's right edge, and without a cache nothing.
    dst = Bmp32(4, 2, under);
    CopyMasterRect(TRect(1, 1, 4, 2), TRect(0, 0, 3, 1), dst.get(), ReadyCache(cache.get(), 4, 1), md);
    EXPECT_EQ(Px(*dst, 2, 1), under);
    EXPECT_EQ(Px(*dst, 3, 1), under) << "not reached";
    dst = Bmp32(4, 2, under);
    CopyMasterRect(TRect(1, 1, 4, 2), TRect(0, 0, 3, 1), dst.get(), EmptyCI, md);
    EXPECT_EQ(Px(*dst, 2, 1), under);
    EXPECT_EQ(Px(*dst, 1, 1), weighed);

    // An image with a bitmap of its own is read from that bitmap.
    auto own = DrawImage(3, 1, 1, [](int, int, int) { return Argb(255, 5, 6, 7); },
                         [](int, int, int) { return Grey(0); });
    TsMaskData ownMd = md;
    ownMd.Bmp = own.get();
    dst = Bmp32(4, 2, under);
    CopyMasterRect(TRect(0, 0, 3, 1), TRect(0, 0, 3, 1), dst.get(), EmptyCI, ownMd);
    EXPECT_EQ(Px(*dst, 1, 0), Argb(77, 5, 6, 7));

    // Rectangles past the bitmaps are cut to them.
    dst = Bmp32(4, 2, under);
    CopyMasterRect(TRect(-2, 1, 2, 3), TRect(0, 0, 3, 1), dst.get(), fill, md);
    EXPECT_EQ(Px(*dst, 0, 1), weighed) << "source (2, 0)";
    EXPECT_EQ(Px(*dst, 1, 1), under);
}

TEST(SkinMaskedCopies, TileMaskedLaysWholeTilesAndGivesTheRestTheBackground)
{
    MasterTexture texture;
    const TRect area(1, 1, 12, 9); // two whole tiles and 3 columns across, two and 2 rows down
    const Word under = Argb(255, 0x40, 0x40, 0x40);
    auto cache = Cache(20, 16);
    // Tile pixel at (x, y) of the area, the key pixel as `key`.
    auto tile = [&](int x, int y, Word key) {
        const Word p = MasterTexture::Pixel((x - area.Left) % 4, (y - area.Top) % 3);
        return p == kKey ? key : p;
    };
    struct Case {
        TacFillMode mode;
        bool cacheReady;
        const char* what;
    };
    for (const Case c : {Case{fmTiled, true, "tiled"}, Case{fmDisTiled, true, "whole tiles over a cache"},
                         Case{fmDisTiled, false, "whole tiles over a colour"}, Case{fmStretched, true, "stretched"}}) {
        auto dst = Bmp32(14, 11, under);
        TCacheInfo ci = c.cacheReady ? ReadyCache(cache.get(), 2, 3) : EmptyCI;
        if (!c.cacheReady) ci.FillColor = 0x00112233;
        TRect r = area;
        TileMasked(dst.get(), r, ci, texture.md, c.mode);
        if (c.mode == fmTiled && c.cacheReady) {
            EXPECT_TRUE(SaveEnlargedPng(*dst, L"skin_tile_masked.png", 8));
        }
        EXPECT_EQ(r, c.mode == fmStretched ? area : TRect(-1, -1, -1, -1)) << c.what;
        const Word keyWord = c.cacheReady ? 0 : Argb(0, 0x33, 0x22, 0x11);
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 14; ++x) {
                Word want = under;
                const bool inArea = area.Contains(TPoint{x, y});
                const bool wholeRows = y < 7, wholeColumns = x < 9;
                if (c.mode == fmTiled && inArea && wholeRows) want = tile(x, y, CachePixel(x + 2, y + 3));
                if (c.mode == fmDisTiled && inArea) {
                    if (wholeRows && wholeColumns) want = tile(x, y, c.cacheReady ? CachePixel(x + 2, y + 3) : keyWord);
                    else want = c.cacheReady ? CachePixel(x + 2, y + 3) : Argb(255, 0x33, 0x22, 0x11);
                }
                ASSERT_EQ(Px(*dst, x, y), want) << c.what << " at " << x << "," << y;
            }
    }
}
