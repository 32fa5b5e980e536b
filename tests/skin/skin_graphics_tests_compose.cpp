// Work bitmaps and their rows, colour mixes and the rectangle and whole-bitmap members of the
// compositing family. Expected pixels come from the mix formula ((a - b) * w + b * 256) shr 8.
#include "skin_graphics_test_pixels.h"

#include <gtest/gtest.h>

#include <vector>

TEST(SkinBitmaps, CreationAndRows)
{
    auto negative = CreateBmp32(-1, 5);
    EXPECT_EQ(negative->Width(), 0);
    EXPECT_EQ(negative->Height(), 0);
    EXPECT_EQ(negative->PixelFormat(), pf32bit);
    auto fromRect = CreateBmp32(TRect(2, 3, 7, 5));
    EXPECT_EQ(fromRect->Width(), 5);
    EXPECT_EQ(fromRect->Height(), 2);
    EXPECT_EQ(fromRect->HandleType(), bmDIB);
    EXPECT_EQ(CreateBmp32(TRect(7, 5, 2, 3))->Width(), 0);

    void* line0 = nullptr;
    long long delta = 99;
    auto one = CreateBmp32(4, 1);
    EXPECT_TRUE(InitLine(one.get(), line0, delta));
    EXPECT_EQ(delta, 0);
    EXPECT_EQ(line0, one->ScanLine(0));
    EXPECT_FALSE(InitLine(negative.get(), line0, delta));
    EXPECT_FALSE(InitLine(nullptr, line0, delta));
    auto three = CreateBmp32(4, 3);
    ASSERT_TRUE(InitLine(three.get(), line0, delta));
    EXPECT_EQ(static_cast<std::uint8_t*>(line0) + 2 * delta, three->ScanLine(2));

    TBitmap source(3, 2, pf24bit);
    source.Canvas()->SetPixels(2, 1, clRed);
    TBitmap copy;
    CopyBmp(&copy, &source);
    EXPECT_EQ(copy.PixelFormat(), pf24bit);
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.Height(), 2);
    EXPECT_EQ(copy.Canvas()->Pixels(2, 1), clRed);
    auto like = CreateBmpLike(&source);
    EXPECT_EQ(like->PixelFormat(), pf24bit);
    EXPECT_EQ(like->Width(), 3);

    std::unique_ptr<TBitmap> prepared;
    PrepareBmp(prepared, 6, 2);
    ASSERT_NE(prepared, nullptr);
    EXPECT_EQ(prepared->PixelFormat(), pf32bit);
    PrepareBmp(prepared, 1, 9);
    EXPECT_EQ(prepared->Width(), 1);
    EXPECT_EQ(prepared->Height(), 9);
}

TEST(SkinBitmaps, ColourMixes)
{
    for (int w : {0, 1, 128, 254, 255}) EXPECT_EQ(BlendColors(0xFFFFFF, 0xFFFFFF, w), 0xFEFEFE) << w;
    const TColor c1 = TColorOf(0xAA123456);
    const TColor c2 = 0x00654321;
    auto blend = [](int a, int b, int w) { return (a * w + b * (255 - w)) >> 8; };
    for (int w : {0, 100, 255}) {
        const TColor expected = TColorOf(0xAA000000u | blend(0x12, 0x65, w) << 16 | blend(0x34, 0x43, w) << 8 |
                                         blend(0x56, 0x21, w));
        EXPECT_EQ(BlendColors(c1, c2, w), expected) << w;
    }
    EXPECT_EQ(BlendColors(0x00C08040, 0, 255), (0xC0 * 255 >> 8) << 16 | (0x80 * 255 >> 8) << 8 | (0x40 * 255 >> 8));

    // Red and blue exchanged, byte 3 cleared.
    const TColor average = AverageColor(TColorOf(0x80102030), TColorOf(0x7F405060));
    const TColor expected = MixOf(0x30, 0x60, 127) << 16 | MixOf(0x20, 0x50, 127) << 8 | MixOf(0x10, 0x40, 127);
    EXPECT_EQ(average, expected);
}

namespace {

struct Copied {
    int dx, dy, sx, sy;
};

// Runs a rectangle member with weight 0 (a plain copy of colour and alpha) on a numbered 3 x 2
// source and a zero destination; returns which destination pixels got which source pixels.
void ExpectRectCopy(const char* name, TRect r, TPoint p, const std::vector<Copied>& expected, int dstW = 3,
                    int dstH = 2)
{
    auto src = Numbered(3, 2);
    auto dst = Bmp32(dstW, dstH, 0);
    SumBmpRect(dst.get(), src.get(), 0, r, p);
    std::vector<Word> want(static_cast<size_t>(dstW * dstH), 0);
    for (const Copied& c : expected) want[static_cast<size_t>(c.dy * dstW + c.dx)] = Px(*src, c.sx, c.sy);
    for (int y = 0; y < dstH; ++y)
        for (int x = 0; x < dstW; ++x)
            EXPECT_EQ(Px(*dst, x, y), want[static_cast<size_t>(y * dstW + x)]) << name << " at " << x << "," << y;
}

} // namespace

TEST(SkinBitmaps, RectangleRulesClipInTheLibrarysOrder)
{
    ExpectRectCopy("whole", {0, 0, 3, 2}, {0, 0},
                   {{0, 0, 0, 0}, {1, 0, 1, 0}, {2, 0, 2, 0}, {0, 1, 0, 1}, {1, 1, 1, 1}, {2, 1, 2, 1}});
    // P.X < 0 moves R.Left right; R.Right (2) is then inclusive.
    ExpectRectCopy("negative P", {0, 0, 2, 2}, {-1, 0}, {{0, 0, 1, 0}, {1, 0, 2, 0}, {0, 1, 1, 1}, {1, 1, 2, 1}});
    // R.Left < 0 moves P right.
    ExpectRectCopy("negative R", {-1, 0, 1, 1}, {0, 0}, {{1, 0, 0, 0}, {2, 0, 1, 0}, {1, 1, 0, 1}, {2, 1, 1, 1}});
    ExpectRectCopy("destination edge", {0, 0, 3, 2}, {2, 1}, {{2, 1, 0, 0}});
    ExpectRectCopy("inside a larger destination", {1, 0, 3, 2}, {1, 1},
                   {{1, 1, 1, 0}, {2, 1, 2, 0}, {1, 2, 1, 1}, {2, 2, 2, 1}}, 4, 4);
    ExpectRectCopy("P outside", {0, 0, 3, 2}, {3, 0}, {});
    ExpectRectCopy("R outside the source", {3, 0, 5, 1}, {0, 0}, {});
    ExpectRectCopy("empty R", {1, 0, 1, 2}, {0, 0}, {});
    ExpectRectCopy("far past every edge", {-50, -50, 500, 500}, {-7, 60}, {});

    // With R = the whole bitmap every pixel is mixed exactly once.
    auto src = Numbered(3, 2);
    auto dst = Bmp32(3, 2, Argb(200, 10, 20, 30));
    SumBmpRect(dst.get(), src.get(), 128, {0, 0, 3, 2}, {0, 0});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const Word s = Px(*src, x, y);
            const Word d = Argb(200, 10, 20, 30);
            EXPECT_EQ(Px(*dst, x, y), MixPx(d, s, 128, MixOf(ByteA(d), ByteA(s), 128))) << x << "," << y;
        }
}

TEST(SkinBitmaps, PaintRectMembersWeighBySourceAlpha)
{
    const Word s = Argb(128, 200, 100, 50);
    const Word d = Argb(60, 10, 20, 30);
    auto expectPaint = [&](int a) { return MixPx(s, d, a, std::max(60, MixOf(a, 60, a))); };
    struct Case {
        int blend, weight;
    };
    for (const Case c : {Case{255, 128}, Case{254, 127}, Case{128, 64}}) {
        auto src = Bmp32(1, 1, s);
        auto dst = Bmp32(1, 1, d);
        PaintBmpRect32(dst.get(), src.get(), {0, 0, 1, 1}, {0, 0}, c.blend);
        EXPECT_EQ(Px(*dst, 0, 0), expectPaint(c.weight)) << c.blend;
    }
    // Right = Left still paints one column here.
    auto src = Bmp32(2, 1, s);
    auto dst = Bmp32(2, 1, d);
    PaintBmpRect32(dst.get(), src.get(), {1, 0, 1, 0}, {1, 0}, 255);
    EXPECT_EQ(Px(*dst, 0, 0), d);
    EXPECT_EQ(Px(*dst, 1, 0), expectPaint(128));

    // Transparent-colour member: destination pixels equal to the key stay.
    const Word key = 0x00FF00FF;
    auto tsrc = Bmp32(3, 1, s);
    auto tdst = Bmp32(3, 1, d);
    SetPx(*tdst, 1, 0, key);
    PaintTranspBmpRect32(tdst.get(), tsrc.get(), nullptr, TColorOf(key), {0, 0, 3, 1}, {0, 0}, {0, 0}, 255);
    EXPECT_EQ(Px(*tdst, 0, 0), expectPaint(127)) << "blend 255 still scales: (A * 255) shr 8";
    EXPECT_EQ(Px(*tdst, 1, 0), key);
    EXPECT_EQ(Px(*tdst, 2, 0), expectPaint(127));
    // With a reference bitmap, destination pixels equal to the reference at RefPoint stay.
    auto ref = Bmp32(4, 1, 0);
    SetPx(*ref, 3, 0, d);
    auto rdst = Bmp32(3, 1, d);
    PaintTranspBmpRect32(rdst.get(), tsrc.get(), ref.get(), TColorOf(key), {0, 0, 3, 1}, {0, 0}, {1, 0}, 255);
    EXPECT_EQ(Px(*rdst, 0, 0), expectPaint(127));
    EXPECT_EQ(Px(*rdst, 1, 0), expectPaint(127));
    EXPECT_EQ(Px(*rdst, 2, 0), d) << "reference pixel (3, 0) equals the destination";

    // Mask member: weight from the mask's alpha at the source position, colour from src at the
    // destination position; mask alpha 0 is skipped.
    auto mask = Bmp32(3, 1, 0);
    SetPx(*mask, 1, 0, Argb(255, 0, 0, 0));
    SetPx(*mask, 2, 0, Argb(100, 0, 0, 0));
    auto colours = Bmp32(3, 1, s);
    auto mdst = Bmp32(3, 1, d);
    PaintBmpMaskRect32(mdst.get(), colours.get(), mask.get(), {0, 0, 3, 1}, {0, 0}, 255);
    EXPECT_EQ(Px(*mdst, 0, 0), d);
    EXPECT_EQ(Px(*mdst, 1, 0), expectPaint(255));
    EXPECT_EQ(Px(*mdst, 2, 0), expectPaint(100));
    auto mdst2 = Bmp32(3, 1, d);
    PaintBmpMaskRect32(mdst2.get(), colours.get(), mask.get(), {0, 0, 3, 1}, {0, 0}, 200);
    EXPECT_EQ(Px(*mdst2, 2, 0), expectPaint((100 * 200) >> 8));
}

TEST(SkinBitmaps, StretchedRectangleThroughGdi)
{
    // A source part not at (0, 0) is scaled by StretchBlt, then painted by its alpha.
    auto src = Bmp32(4, 4, Argb(255, 0, 0, 0));
    for (int y = 2; y < 4; ++y)
        for (int x = 2; x < 4; ++x) SetPx(*src, x, y, Argb(255, 250, 40, 10));
    auto dst = Bmp32(6, 6, Argb(255, 1, 2, 3));
    StretchBmpRect32(dst.get(), 1, 1, 4, 4, src.get(), 2, 2, 2, 2, 255);
    const Word painted = MixPx(Argb(255, 250, 40, 10), Argb(255, 1, 2, 3), 255, 255);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 5 && y >= 1 && y < 5;
            EXPECT_EQ(Px(*dst, x, y), inside ? painted : Argb(255, 1, 2, 3)) << x << "," << y;
        }
    // Placed past the right edge: cut at the edge; negative X moves the source instead.
    auto edge = Bmp32(3, 3, 0);
    StretchBmpRect32(edge.get(), -1, 0, 4, 4, src.get(), 2, 2, 2, 2, 255);
    EXPECT_EQ(Px(*edge, 0, 0), MixPx(Argb(255, 250, 40, 10), 0, 255, MixOf(255, 0, 255)));
    StretchBmpRect32(edge.get(), 5, 0, 4, 4, src.get(), 2, 2, 2, 2, 255); // outside: nothing, no fault
}

TEST(SkinBitmaps, WholeBitmapAndMaskMixes)
{
    const Word a = Argb(10, 200, 100, 50);
    const Word b = Argb(250, 20, 40, 60);

    auto dst = Bmp32(2, 1, a);
    auto src = Bmp32(2, 1, b);
    SumBitmaps(dst.get(), src.get(), 70);
    EXPECT_EQ(Px(*dst, 1, 0), MixPx(a, b, 70, 10)) << "alpha untouched";
    auto small = Bmp32(1, 1, b);
    SumBitmaps(dst.get(), small.get(), 0);
    EXPECT_EQ(Px(*dst, 0, 0), MixPx(a, b, 70, 10)) << "sizes differ: nothing";

    auto out = Bmp32(2, 1, 0);
    auto s1 = Bmp32(2, 1, a);
    auto s2 = Bmp32(2, 1, b);
    SumBitmapsToDst(out.get(), s1.get(), s2.get(), 90);
    EXPECT_EQ(Px(*out, 0, 0), MixPx(b, a, 90, MixOf(250, 10, 90)));

    auto paint = Bmp32(1, 1, a);
    auto top = Bmp32(1, 1, Argb(100, 0, 255, 0));
    PaintBmp32(paint.get(), top.get());
    EXPECT_EQ(Px(*paint, 0, 0), MixPx(Argb(100, 0, 255, 0), a, 100, 10));

    // Bitmap toward a colour; key pixels skipped. TsColor names red first.
    auto bmp = Bmp32(2, 1, a);
    SetPx(*bmp, 1, 0, 0x00FF00FF);
    TsColor colour;
    colour.C = 0x00102030; // red 0x30, green 0x20, blue 0x10
    BlendTransBitmap(bmp.get(), 60, colour);
    auto towards = [](int p, int c, int w) { return (p * w + c * (255 - w)) >> 8; };
    EXPECT_EQ(Px(*bmp, 0, 0), Argb(10, towards(200, 0x30, 60), towards(100, 0x20, 60), towards(50, 0x10, 60)));
    EXPECT_EQ(Px(*bmp, 1, 0), 0x00FF00FFu);

    // Per-channel mask weights.
    auto masked = Bmp32(1, 1, a);
    auto mask = Bmp32(1, 1, Argb(0, 255, 128, 0));
    BlendBmpByMask(masked.get(), mask.get(), colour);
    EXPECT_EQ(Px(*masked, 0, 0), Argb(10, MixOf(200, 0x30, 255), MixOf(100, 0x20, 128), MixOf(50, 0x10, 0)));

    auto byMask = Bmp32(2, 1, 0);
    auto mask2 = Bmp32(2, 1, Argb(0, 255, 128, 0));
    SumBitmapsByMask(byMask.get(), s1.get(), s2.get(), mask2.get(), 0);
    EXPECT_EQ(Px(*byMask, 0, 0), Argb(0, MixOf(200, 20, 255), MixOf(100, 40, 128), MixOf(50, 60, 0)));
    auto byPercent = Bmp32(2, 1, Argb(33, 0, 0, 0));
    SumBitmapsByMask(byPercent.get(), s1.get(), s2.get(), nullptr, 40);
    EXPECT_EQ(Px(*byPercent, 1, 0), MixPx(a, b, 40, 33));
    auto tooSmall = Bmp32(1, 1, 7);
    SumBitmapsByMask(tooSmall.get(), s1.get(), s2.get(), nullptr, 40);
    EXPECT_EQ(Px(*tooSmall, 0, 0), 7u) << "the output must hold the sources' size";
    SumBitmapsByMask(byPercent.get(), s1.get(), s2.get(), mask.get(), 40);
    EXPECT_EQ(Px(*byPercent, 1, 0), MixPx(a, b, 40, 33)) << "a mask smaller than the sources: nothing";
}

TEST(SkinBitmaps, SumByMaskWith32UsesTheMaskRedByte)
{
    const Word s = Argb(200, 250, 150, 50);
    const Word d = Argb(77, 10, 20, 30);
    auto dst = Bmp32(4, 1, d);
    auto src = Bmp32(4, 1, s);
    auto mask = Bmp32(4, 1, 0);
    SetPx(*mask, 1, 0, Argb(0, 128, 0, 0));
    SetPx(*mask, 2, 0, Argb(0, 255, 0, 0));
    SumByMaskWith32(dst.get(), src.get(), mask.get(), {0, 0, 3, 1});
    EXPECT_EQ(Px(*dst, 0, 0), MixPx(s, d, 200, 77));
    EXPECT_EQ(Px(*dst, 1, 0), MixPx(s, d, ((255 - 128) * 200) >> 8, 77));
    EXPECT_EQ(Px(*dst, 2, 0), d);
    EXPECT_EQ(Px(*dst, 3, 0), d) << "outside R";
    auto narrow = Bmp32(2, 1, d);
    SumByMaskWith32(narrow.get(), src.get(), mask.get(), {0, 0, 3, 1});
    EXPECT_EQ(Px(*narrow, 0, 0), d) << "destination narrower than R: nothing";
}

TEST(SkinBitmaps, ColorizeByMaskWithBothMaskFormats)
{
    const Word d = Argb(90, 10, 20, 30);
    const TColor colour = 0x00C08040; // red 0x40, green 0x80, blue 0xC0
    const TColor back = 0x00000000 | 0x10 << 16 | 0x20 << 8 | 0x30;
    auto mix3 = [](int w, int r1, int g1, int b1, int r2, int g2, int b2, int alpha) {
        return Argb(alpha, MixOf(r1, r2, w), MixOf(g1, g2, w), MixOf(b1, b2, w));
    };

    auto mask32 = Bmp32(1, 1, Argb(100, 255, 255, 255));
    auto dst = Bmp32(3, 3, d);
    ColorizeByMask(dst.get(), mask32.get(), {-5, 1}, colour);
    EXPECT_EQ(Px(*dst, 0, 1), mix3(100, 0x40, 0x80, 0xC0, 10, 20, 30, 90)) << "negative P clamped to 0";
    EXPECT_EQ(Px(*dst, 1, 1), d);
    auto withBack = Bmp32(1, 1, d);
    ColorizeByMask(withBack.get(), mask32.get(), {0, 0}, colour, back);
    const int lum32 = 255 - ((255 + 255 + 2 * 255) >> 2);
    EXPECT_EQ(Px(*withBack, 0, 0), mix3(lum32, 0x40, 0x80, 0xC0, 0x30, 0x20, 0x10, 90));

    TBitmap mask24(2, 1, pf24bit);
    mask24.Canvas()->SetPixels(0, 0, 0x00204080); // red 0x80, green 0x40, blue 0x20
    mask24.Canvas()->SetPixels(1, 0, 0x00FFFFFF);
    const int lum = 255 - ((0x80 + 0x20 + 2 * 0x40) >> 2);
    auto dst24 = Bmp32(2, 1, d);
    ColorizeByMask(dst24.get(), &mask24, {0, 0}, colour);
    EXPECT_EQ(Px(*dst24, 0, 0), mix3(lum, 0x40, 0x80, 0xC0, 10, 20, 30, 90));
    EXPECT_EQ(Px(*dst24, 1, 0), mix3(0, 0x40, 0x80, 0xC0, 10, 20, 30, 90)) << "white: weight 0";
    auto back24 = Bmp32(1, 1, d);
    ColorizeByMask(back24.get(), &mask24, {0, 0}, colour, back);
    EXPECT_EQ(Px(*back24, 0, 0), mix3(lum, 0x40, 0x80, 0xC0, 0x30, 0x20, 0x10, 90));
}

TEST(SkinBitmaps, BlendTransRectangleSkipsTheKeyAndStaysInside)
{
    const Word s = Argb(40, 200, 100, 0);
    const Word d = Argb(240, 0, 50, 250);
    auto src = Bmp32(3, 2, s);
    SetPx(*src, 1, 0, 0x00FF00FF);
    auto dst = Bmp32(3, 3, d);
    // R inclusive and limited to the source; a negative left shifts the destination.
    BlendTransRectangle(dst.get(), 0, 1, src.get(), {-1, 0, 9, 9}, 64, TColorOf(0x00FF00FF));
    auto blend = [](Word sp, Word dp, int w) {
        auto c = [w](int a, int b) { return (a * (255 - w) + b * w) >> 8; };
        return Argb(c(ByteA(sp), ByteA(dp)), c(ByteR(sp), ByteR(dp)), c(ByteG(sp), ByteG(dp)), c(ByteB(sp), ByteB(dp)));
    };
    EXPECT_EQ(Px(*dst, 0, 0), d);
    EXPECT_EQ(Px(*dst, 0, 1), d) << "destination column 0 is left of the shifted copy";
    EXPECT_EQ(Px(*dst, 1, 1), blend(s, d, 64));
    EXPECT_EQ(Px(*dst, 2, 1), d) << "key source pixel";
    EXPECT_EQ(Px(*dst, 1, 2), blend(s, d, 64));
    EXPECT_EQ(Px(*dst, 2, 2), blend(s, d, 64));
}
