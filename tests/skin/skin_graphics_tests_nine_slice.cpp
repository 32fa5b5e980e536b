// Nine-slice painting of skin images: the three general painters with every image kind, tiled
// and stretched, their edge cases (sizes, states, draw modes, key corners, limits and opacity),
// and the painter of small master-bitmap images cut in thirds.
#include "skin_graphics_test_png.h"
#include "skin_graphics_test_skin_image.h"

#include "sAlphaGraph.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace {

constexpr Word kBack = Argb(0, 0x10, 0x20, 0x30);
constexpr Word kKey = 0x00FF00FF;

// Every picture pixel tells where it lies in its state: red 8 * x, green 8 * y, blue the state.
constexpr Word Spot(int s, int x, int y) { return Argb(255, 8 * x, 8 * y, 0x40 + 0x80 * s); }
// Read back allowing the few units the mixing arithmetic loses or adds.
int SpotX(Word p) { return (ByteR(p) + 4) / 8; }
int SpotY(Word p) { return (ByteG(p) + 4) / 8; }
int SpotState(Word p) { return ByteB(p) >= 0x80 ? 1 : 0; }

// The source position along one axis of a tiled nine-slice: corners at their size, the middle
// repeated from the first border on.
int TiledSpot(int p, int d0, int d1, int size, int lead, int trail)
{
    if (p < d0 + lead) return p - d0;
    if (p >= d1 - trail) return size - (d1 - p);
    return lead + (p - d0 - lead) % (size - lead - trail);
}

enum class Painter { Gdi, Alpha32, Alpha32Ex };
const char* Name(Painter p)
{
    return p == Painter::Gdi ? "DrawSkinRect" : p == Painter::Alpha32 ? "DrawSkinRect32" : "DrawSkinRect32Ex";
}

void Paint(Painter p, TBitmap* bmp, const TRect& r, const TCacheInfo& ci, const TsMaskData& md, int state,
           const TRect& limits = TRect(99, 99, 99, 99), int opacity = 255)
{
    if (p == Painter::Gdi) DrawSkinRect(bmp, r, ci, md, state, true);
    else if (p == Painter::Alpha32) DrawSkinRect32(bmp, r, ci, md, state);
    else DrawSkinRect32Ex(bmp, r, ci, md, state, limits, opacity);
}

// The images of the table: 24 x 20 states, two of them, borders 5, 4, 6, 3.
constexpr int kW = 24, kH = 20, kWL = 5, kWT = 4, kWR = 6, kWB = 3;
enum class Kind { Masked, OwnAlpha, Keyed };
const char* Name(Kind k)
{
    return k == Kind::Masked ? "image over mask" : k == Kind::OwnAlpha ? "own alpha" : "key colour";
}

struct SkinImage {
    TsSkinManager manager{nullptr};
    TsMaskData md;
    // The image lies at (3, 2) of the master bitmap.
    SkinImage(Kind kind, int drawMode, const std::function<Word(int, int, int)>& picture = Spot)
    {
        const bool masked = kind == Kind::Masked;
        auto image = masked ? DrawImage(kW, kH, 2, picture, [](int, int, int) { return Grey(0); })
                            : DrawImage(kW, kH, 2, picture);
        manager.MasterBitmap = Bmp32(2 * kW + 5, 2 * kH + 4, Argb(255, 1, 2, 3));
        BitBlt(manager.MasterBitmap->Canvas()->Handle(), 3, 2, image->Width(), image->Height(),
               image->Canvas()->Handle(), 0, 0, SRCCOPY);
        md = ImageRecord(&manager, nullptr, MkRectWH(image->Width(), image->Height(), 3, 2), 2, masked,
                         drawMode | (kind == Kind::OwnAlpha ? 0x10 : 0), kWL, kWT, kWR, kWB);
    }
};

} // namespace

TEST(SkinNineSlice, EveryPainterLaysEveryImageKindTiledAndStretched)
{
    // 47 x 43 at (3, 2): sides and centre 36 long, two whole 13-pixel middles and a cut one.
    const TRect d(3, 2, 50, 45);
    auto sheet = Bmp32(3 * 62, 6 * 52, Argb(255, 255, 255, 255));
    int cell = 0;
    for (const Painter painter : {Painter::Gdi, Painter::Alpha32, Painter::Alpha32Ex})
        for (const Kind kind : {Kind::Masked, Kind::OwnAlpha, Kind::Keyed})
            for (const bool stretched : {false, true}) {
                SkinImage image(kind, 4 | (stretched ? 1 : 0));
                auto dst = Bmp32(56, 48, kBack);
                Paint(painter, dst.get(), d, EmptyCI, image.md, 1);
                GdiFlush();
                BitBlt(sheet->Canvas()->Handle(), (cell / 6) * 62 + 3, (cell % 6) * 52 + 2, 56, 48,
                       dst->Canvas()->Handle(), 0, 0, SRCCOPY);
                ++cell;
                const std::string what =
                    std::string(Name(painter)) + ", " + Name(kind) + (stretched ? ", stretched" : ", tiled");
                int wrong = 0;
                for (int y = 0; y < dst->Height(); ++y)
                    for (int x = 0; x < dst->Width(); ++x) {
                        const Word p = Px(*dst, x, y);
                        if (!d.Contains(TPoint{x, y})) {
                            if (p != kBack && ++wrong < 4) ADD_FAILURE() << what << ": outside at " << x << "," << y;
                            continue;
                        }
                        const int tx = TiledSpot(x, d.Left, d.Right, kW, kWL, kWR);
                        const int ty = TiledSpot(y, d.Top, d.Bottom, kH, kWT, kWB);
                        const bool borderX = tx < kWL || tx >= kW - kWR, borderY = ty < kWT || ty >= kH - kWB;
                        // Stretched: exact across the border it belongs to, inside the middle along it.
                        const int sx = SpotX(p), sy = SpotY(p);
                        const bool okX = (!stretched || borderX) ? sx == tx : sx >= kWL && sx < kW - kWR;
                        const bool okY = (!stretched || borderY) ? sy == ty : sy >= kWT && sy < kH - kWB;
                        if ((!okX || !okY || SpotState(p) != 1) && ++wrong < 4)
                            ADD_FAILURE() << what << " at " << x << "," << y << ": " << std::hex << p << std::dec
                                          << " for " << tx << "," << ty;
                    }
                EXPECT_EQ(wrong, 0) << what;
            }
    EXPECT_TRUE(SaveEnlargedPng(*sheet, L"skin_nine_slice_table.png", 2));
}

TEST(SkinNineSlice, NothingIsDrawnWithoutRoomManagerOrForAHiddenFirstState)
{
    for (const Painter painter : {Painter::Gdi, Painter::Alpha32, Painter::Alpha32Ex}) {
        SkinImage image(Kind::Keyed, 4);
        auto untouched = [&](TBitmap& bmp) {
            for (int y = 0; y < bmp.Height(); ++y)
                for (int x = 0; x < bmp.Width(); ++x)
                    if (Px(bmp, x, y) != kBack) return false;
            return true;
        };
        auto dst = Bmp32(30, 30, kBack);
        Paint(painter, dst.get(), TRect(2, 2, 3, 28), EmptyCI, image.md, 1);
        Paint(painter, dst.get(), TRect(2, 2, 28, 3), EmptyCI, image.md, 1);
        TsMaskData orphan = image.md;
        orphan.Manager = nullptr;
        Paint(painter, dst.get(), TRect(2, 2, 28, 28), EmptyCI, orphan, 1);
        // DrawMode bit 1: no picture for state 0; state 1 draws.
        TsMaskData hidden = image.md;
        hidden.DrawMode |= 2;
        Paint(painter, dst.get(), TRect(2, 2, 28, 28), EmptyCI, hidden, 0);
        EXPECT_TRUE(untouched(*dst)) << Name(painter);
        Paint(painter, dst.get(), TRect(2, 2, 28, 28), EmptyCI, hidden, 1);
        EXPECT_EQ(Px(*dst, 2, 2), Spot(1, 0, 0)) << Name(painter);
    }
    TsSkinManager manager(nullptr);
    manager.MasterBitmap = DrawImage(9, 9, 1, Spot);
    const TsMaskData small = ImageRecord(&manager, nullptr, TRect(0, 0, 9, 9), 1, false, 4, 0, 0, 0, 0);
    auto dst = Bmp32(20, 20, kBack);
    DrawSmallSkinRect(dst.get(), TRect(0, 0, 1, 10), EmptyCI, small, 0);
    TsMaskData orphan = small;
    orphan.Manager = nullptr;
    DrawSmallSkinRect(dst.get(), TRect(0, 0, 10, 10), EmptyCI, orphan, 0);
    EXPECT_EQ(Px(*dst, 0, 0), kBack);
}

TEST(SkinNineSlice, BordersShareASmallAreaAndTheLastStateStandsForHigherOnes)
{
    // Borders 8 + 8 in 10 pixels: 5 and 5; 8 + 7: 6 and 4 (the second border loses the odd one).
    // A negative border (-2) is no border: the middle starts at R, read inside the state.
    struct Case {
        int wl, wr, left, right;
    };
    for (const Case c : {Case{8, 8, 5, 5}, Case{8, 7, 6, 4}, Case{-2, 8, 0, 8}}) {
        SkinImage image(Kind::Keyed, 4);
        image.md.WL = image.md.WT = static_cast<std::int16_t>(c.wl);
        image.md.WR = image.md.WB = static_cast<std::int16_t>(c.wr);
        auto dst = Bmp32(14, 14, kBack);
        DrawSkinRect32(dst.get(), TRect(2, 2, 12, 12), EmptyCI, image.md, 7);
        for (int i = 0; i < 10; ++i) {
            // Before the second border: the first one, or (without one) the middle from 0 on.
            const int want = i < 10 - c.right ? i : kW - (10 - i);
            const int wantY = i < 10 - c.right ? i : kH - (10 - i);
            EXPECT_EQ(SpotX(Px(*dst, 2 + i, 2)), want) << c.wl << "+" << c.wr << " column " << i;
            EXPECT_EQ(SpotY(Px(*dst, 2, 2 + i)), wantY) << c.wl << "+" << c.wr << " row " << i;
            EXPECT_EQ(SpotState(Px(*dst, 2 + i, 2)), 1) << c.wl << "+" << c.wr << " column " << i;
        }
        for (int i = 0; i < 14; ++i)
            for (const TPoint outside : {TPoint{i, 0}, TPoint{i, 1}, TPoint{0, i}, TPoint{1, i}, TPoint{i, 12},
                                         TPoint{i, 13}, TPoint{12, i}, TPoint{13, i}})
                EXPECT_EQ(Px(*dst, outside.X, outside.Y), kBack) << c.wl << "+" << c.wr << " outside R";
        EXPECT_EQ(SpotState(Px(*dst, 2, 2)), 1) << "state 7 of two draws the last one";
    }
}

TEST(SkinNineSlice, WithoutTheCentreBitTheCentreKeepsItsPixels)
{
    for (const Painter painter : {Painter::Gdi, Painter::Alpha32, Painter::Alpha32Ex})
        for (const Kind kind : {Kind::Masked, Kind::OwnAlpha, Kind::Keyed}) {
            SkinImage image(kind, 0);
            auto dst = Bmp32(40, 40, kBack);
            Paint(painter, dst.get(), TRect(0, 0, 40, 40), EmptyCI, image.md, 0);
            for (int y = kWT; y < 40 - kWB; ++y)
                for (int x = kWL; x < 40 - kWR; ++x)
                    ASSERT_EQ(Px(*dst, x, y), kBack) << Name(painter) << ", " << Name(kind) << " at " << x << "," << y;
            EXPECT_EQ(SpotX(Px(*dst, 2, 20)), 2) << Name(painter) << ", " << Name(kind) << ": the frame is drawn";
        }
}

TEST(SkinNineSlice, OpacityLaysEveryPieceOfAnOwnAlphaImageAlike)
{
    // A 14-pixel own-alpha picture with borders 2: a 10-pixel middle. Sides 35 long get three
    // whole tiles and a 5-pixel piece, sides 30 long two whole tiles and a 10-pixel piece; the
    // centre has whole and cut tiles in both directions. Every pixel of every piece is the
    // picture's own laid at the opacity over opaque black.
    const auto laid = [](Word picture) {
        const int a = (255 * 128) >> 8;
        return Argb(255, (ByteR(picture) * a) >> 8, (ByteG(picture) * a) >> 8, (ByteB(picture) * a) >> 8);
    };
    for (const int side : {35, 30}) {
        TsSkinManager manager(nullptr);
        manager.MasterBitmap = DrawImage(14, 8, 1, Spot);
        const TsMaskData md = ImageRecord(&manager, nullptr, TRect(0, 0, 14, 8), 1, false, 4 | 0x10, 2, 2, 2, 2);
        const int width = side + 4, height = 26;
        auto dst = Bmp32(width, height, Argb(255, 0, 0, 0));
        DrawSkinRect32Ex(dst.get(), TRect(0, 0, width, height), EmptyCI, md, 0, TRect(9, 9, 9, 9), 128);
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Word want = laid(Spot(0, TiledSpot(x, 0, width, 14, 2, 2), TiledSpot(y, 0, height, 8, 2, 2)));
                if (Px(*dst, x, y) != want && ++wrong <= 4)
                    ADD_FAILURE() << "side " << side << " at " << x << "," << y << ": " << std::hex << Px(*dst, x, y)
                                  << " instead of " << want;
            }
        EXPECT_EQ(wrong, 0) << "side " << side;
        if (side == 35) SaveEnlargedPng(*dst, L"skin_nine_slice_opacity.png");
    }
}

namespace {

// A small framed picture: key pixels in the outer corner, a dark outline, a light face.
Word Framed(int, int x, int y, int w, int h)
{
    const bool cornerX = x == 0 || x == w - 1, cornerY = y == 0 || y == h - 1;
    if (cornerX && cornerY) return kKey;
    if (x == 0 || y == 0 || x == w - 1 || y == h - 1) return Argb(255, 0x30, 0x40, 0x90);
    return Argb(255, 0xB0 + 2 * y, 0xC8, 0xF0);
}

// A checkerboard of 3-pixel cells.
Word CachePixel(int x, int y)
{
    return (x / 3 + y / 3) % 2 ? Argb(255, 0xF0, 0xE0, 0x20) : Argb(255, 0x20, 0xA0, 0x40);
}

} // namespace

TEST(SkinNineSlice, KeyCornerPixelsShowTheParentOrBecomeTransparent)
{
    auto cache = CreateBmp32(60, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) SetPx(*cache, x, y, CachePixel(x, y));
    auto frame = [](int s, int x, int y) { return Framed(s, x, y, 12, 10); };
    auto sheet = Bmp32(2 * 40 + 6, 6 * 26, Argb(255, 255, 255, 255));
    int row = 0;
    for (const Painter painter : {Painter::Gdi, Painter::Alpha32, Painter::Alpha32Ex})
        for (const bool masked : {true, false}) {
            TsSkinManager manager(nullptr);
            manager.MasterBitmap = masked ? DrawImage(12, 10, 1, frame, [](int, int, int) { return Grey(0); })
                                          : DrawImage(12, 10, 1, frame);
            TsMaskData md =
                ImageRecord(&manager, nullptr, MkRectWH(12, masked ? 20 : 10), 1, masked, 4 | 1, 3, 3, 3, 3);
            md.Cfg = 1; // the corners hold key pixels
            const std::string what = std::string(Name(painter)) + (masked ? ", image over mask" : ", key colour");

            // The control at (5, 4) of its parent's cache: its key corners show the parent.
            auto dst = CreateBmp32(40, 24);
            Paint(painter, dst.get(), TRect(2, 2, 38, 22), ReadyCache(cache.get(), 5, 4), md, 0);
            EXPECT_EQ(Px(*dst, 2, 2) & 0xFFFFFF, CachePixel(7, 6) & 0xFFFFFF) << what;
            EXPECT_EQ(Px(*dst, 37, 21) & 0xFFFFFF, CachePixel(42, 25) & 0xFFFFFF) << what;
            const Word outline = Px(*dst, 3, 2);
            // (a mask's weights and the opacity lose a unit or two)
            EXPECT_TRUE(std::abs(ByteR(outline) - 0x30) <= 2 && std::abs(ByteG(outline) - 0x40) <= 2 &&
                        std::abs(ByteB(outline) - 0x90) <= 2)
                << what << ": the outline " << std::hex << outline;
            GdiFlush();
            BitBlt(sheet->Canvas()->Handle(), 2, row * 26 + 1, 40, 24, dst->Canvas()->Handle(), 0, 0, SRCCOPY);

            // Without a cache the 32-bit painters leave them transparent.
            dst = CreateBmp32(40, 24);
            Paint(painter, dst.get(), TRect(2, 2, 38, 22), EmptyCI, md, 0);
            if (painter != Painter::Gdi) {
                EXPECT_EQ(ByteA(Px(*dst, 2, 2)), 0) << what;
                EXPECT_EQ(ByteA(Px(*dst, 37, 21)), 0) << what;
                EXPECT_GE(ByteA(Px(*dst, 3, 2)), 254) << what << ": the outline is opaque";
            }
            GdiFlush();
            BitBlt(sheet->Canvas()->Handle(), 44, row * 26 + 1, 40, 24, dst->Canvas()->Handle(), 0, 0, SRCCOPY);
            ++row;
        }
    EXPECT_TRUE(SaveEnlargedPng(*sheet, L"skin_nine_slice_corners.png", 4));

    // DrawSkinRect takes the parent into the corners only when asked to and when the image
    // marks transparent corners.
    TsSkinManager manager(nullptr);
    manager.MasterBitmap = DrawImage(12, 10, 1, frame);
    TsMaskData md = ImageRecord(&manager, nullptr, MkRectWH(12, 10), 1, false, 4, 3, 3, 3, 3);
    for (const int cfg : {0, 1, 2}) {
        md.Cfg = static_cast<std::uint32_t>(cfg);
        for (const bool ask : {false, true}) {
            auto dst = Bmp32(40, 24, kBack);
            DrawSkinRect(dst.get(), TRect(2, 2, 38, 22), ReadyCache(cache.get(), 5, 4), md, 0, ask);
            const bool parent = ask && cfg != 0;
            EXPECT_EQ(Px(*dst, 2, 2), parent ? CachePixel(7, 6) : kBack) << "Cfg " << cfg << ", asked " << ask;
        }
    }
}

TEST(SkinNineSlice, LimitsDrawOnlyTheOuterPartOfEachBorderAtTheOpacity)
{
    // Borders 5, 4, 6, 3 cut to 2, 1, 3, 0: each border band keeps its outer part; the inner
    // part, the whole bottom band and nothing else stays as it was. The centre keeps its place.
    SkinImage keyed(Kind::Keyed, 4);
    const TRect d(0, 0, 40, 30);
    auto dst = Bmp32(40, 30, kBack);
    DrawSkinRect32Ex(dst.get(), d, EmptyCI, keyed.md, 0, TRect(2, 1, 3, 0), 255);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const int tx = TiledSpot(x, 0, 40, kW, kWL, kWR), ty = TiledSpot(y, 0, 30, kH, kWT, kWB);
            const bool cutX = (x >= 2 && x < kWL) || (x >= 40 - kWR && x < 40 - 3);
            const bool cutY = (y >= 1 && y < kWT) || y >= 30 - kWB;
            // A band's cut part stays; where two bands cross, the centre's or a side's pixels
            // stay only if neither band draws them.
            const bool inCentreX = x >= kWL && x < 40 - kWR, inCentreY = y >= kWT && y < 30 - kWB;
            const bool drawn =
                (inCentreX && inCentreY) || (!cutX && !cutY) || (inCentreX && !cutY) || (inCentreY && !cutX);
            const Word want = drawn ? Spot(0, tx, ty) : kBack;
            ASSERT_EQ(Px(*dst, x, y), want) << x << "," << y;
        }

    // Opacity weighs the picture of an image over a mask: half of it over black.
    SkinImage masked(Kind::Masked, 4);
    auto half = Bmp32(40, 30, Argb(255, 0, 0, 0));
    DrawSkinRect32Ex(half.get(), d, EmptyCI, masked.md, 0, TRect(99, 99, 99, 99), 128);
    const Word s = Spot(0, 1, 1);
    EXPECT_EQ(Px(*half, 1, 1), Argb(255, (ByteR(s) * 127) >> 8, (ByteG(s) * 127) >> 8, (ByteB(s) * 127) >> 8));
}

TEST(SkinNineSlice, SmallImagesAreCutInThirds)
{
    // Two 9 x 9 states in the master bitmap: thirds of 3 pixels, the middle third repeated.
    auto sheet = Bmp32(3 * 20, 20, Argb(255, 255, 255, 255));
    for (const bool masked : {true, false}) {
        TsSkinManager manager(nullptr);
        auto picture = [](int s, int x, int y) { return x == 0 && y == 0 ? kKey : Spot(s, x, y); };
        manager.MasterBitmap = Bmp32(22, 20, Argb(255, 1, 1, 1));
        auto image = masked ? DrawImage(9, 9, 2, picture, [](int, int, int) { return Grey(0); })
                            : DrawImage(9, 9, 2, picture);
        BitBlt(manager.MasterBitmap->Canvas()->Handle(), 2, 1, image->Width(), image->Height(),
               image->Canvas()->Handle(), 0, 0, SRCCOPY);
        const TsMaskData md =
            ImageRecord(&manager, nullptr, MkRectWH(18, masked ? 18 : 9, 2, 1), 2, masked, 4, 0, 0, 0, 0);
        TCacheInfo fill = EmptyCI;
        fill.FillColor = 0x00345678;
        const std::string what = masked ? "with a mask" : "without a mask";

        // Tiled: 14 x 11 from state 1 (its key corner takes the fill colour).
        auto dst = Bmp32(16, 13, kBack);
        DrawSmallSkinRect(dst.get(), TRect(1, 1, 15, 12), fill, md, 1);
        for (int y = 1; y < 12; ++y)
            for (int x = 1; x < 15; ++x) {
                const int tx = TiledSpot(x, 1, 15, 9, 3, 3), ty = TiledSpot(y, 1, 12, 9, 3, 3);
                const Word p = Px(*dst, x, y);
                if (tx == 0 && ty == 0) {
                    ASSERT_EQ(p & 0xFFFFFF, 0x785634u) << what << ": key corner";
                    continue;
                }
                ASSERT_TRUE(SpotX(p) == tx && SpotY(p) == ty && SpotState(p) == 1)
                    << what << " at " << x << "," << y << ": " << std::hex << p;
            }
        GdiFlush();
        BitBlt(sheet->Canvas()->Handle(), masked ? 2 : 22, 2, 16, 13, dst->Canvas()->Handle(), 0, 0, SRCCOPY);

        // An area narrower and lower than two thirds: left and top pieces take half of it, the
        // right and bottom ones the odd pixel.
        dst = Bmp32(7, 7, kBack);
        DrawSmallSkinRect(dst.get(), TRect(1, 1, 6, 6), fill, md, 0);
        for (int i = 1; i < 6; ++i) {
            EXPECT_EQ(SpotX(Px(*dst, i, 3)), i - 1 < 2 ? i - 1 : 9 - (6 - i)) << what << " column " << i;
            EXPECT_EQ(SpotY(Px(*dst, 3, i)), i - 1 < 2 ? i - 1 : 9 - (6 - i)) << what << " row " << i;
        }
    }

    // Without a mask, DrawMode bit 0 stretches the sides and the centre.
    TsSkinManager manager(nullptr);
    manager.MasterBitmap = DrawImage(9, 9, 1, Spot);
    const TsMaskData md = ImageRecord(&manager, nullptr, MkRectWH(9, 9), 1, false, 4 | 1, 0, 0, 0, 0);
    auto dst = Bmp32(16, 13, kBack);
    DrawSmallSkinRect(dst.get(), TRect(1, 1, 15, 12), EmptyCI, md, 0);
    for (int y = 1; y < 12; ++y)
        for (int x = 1; x < 15; ++x) {
            const Word p = Px(*dst, x, y);
            const bool midX = x >= 4 && x < 12, midY = y >= 4 && y < 9;
            const int sx = SpotX(p), sy = SpotY(p);
            ASSERT_TRUE(midX ? sx >= 3 && sx < 6 : sx == TiledSpot(x, 1, 15, 9, 3, 3)) << x << "," << y;
            ASSERT_TRUE(midY ? sy >= 3 && sy < 6 : sy == TiledSpot(y, 1, 12, 9, 3, 3)) << x << "," << y;
        }
    EXPECT_EQ(SpotX(Px(*dst, 11, 1)), 5) << "the last stretched column is the middle's last";
    GdiFlush();
    BitBlt(sheet->Canvas()->Handle(), 42, 2, 16, 13, dst->Canvas()->Handle(), 0, 0, SRCCOPY);
    EXPECT_TRUE(SaveEnlargedPng(*sheet, L"skin_small_skin_rect.png", 6));
}
