// Skin glyphs: one state drawn at a point for every image kind, from the master bitmap and from
// an own bitmap, normal and faded, clipped at the top-left; glyphs blended through their masks;
// a colour painted through an 8-bit grey mask.
#include "skin_graphics_test_png.h"
#include "skin_graphics_test_skin_image.h"

#include "sAlphaGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

constexpr Word kKey = 0x00FF00FF;
constexpr Word kBack = Argb(0x40, 0x90, 0x50, 0x20);
constexpr int kW = 4, kH = 3;

enum class Kind { Masked, OwnAlpha, Keyed };
const char* Name(Kind k) { return k == Kind::Masked ? "masked" : k == Kind::OwnAlpha ? "own alpha" : "key colour"; }

// The top-left pixel of every state is the key; alpha rises along x for the own-alpha kind.
Word Picture(Kind kind, int s, int x, int y)
{
    if (x == 0 && y == 0) return kKey;
    return Argb(kind == Kind::OwnAlpha ? 80 * x : 255, 40 * x + 20, 60 * y + 10, 100 + 100 * s);
}
// Mask values from 0 to 255 across the state.
Word MaskPx(int x, int y) { return Grey(std::min(255, 70 * x + 30 * y)); }

struct Glyph {
    TsSkinManager manager{nullptr};
    std::unique_ptr<TBitmap> own;
    TsMaskData md;
    Glyph(Kind kind, bool inMaster)
    {
        const bool masked = kind == Kind::Masked;
        const PixelOf pic = [kind](int s, int x, int y) { return Picture(kind, s, x, y); };
        auto image = masked ? DrawImage(kW, kH, 2, pic, [](int, int x, int y) { return MaskPx(x, y); })
                            : DrawImage(kW, kH, 2, pic);
        const int drawMode = kind == Kind::OwnAlpha ? 0x10 : 0;
        if (inMaster) {
            manager.MasterBitmap = Bmp32(2 * kW + 3, 2 * kH + 2, Argb(255, 1, 2, 3));
            BitBlt(manager.MasterBitmap->Canvas()->Handle(), 2, 1, image->Width(), image->Height(),
                   image->Canvas()->Handle(), 0, 0, SRCCOPY);
            GdiFlush();
            md = ImageRecord(&manager, nullptr, MkRectWH(image->Width(), image->Height(), 2, 1), 2, masked, drawMode,
                             0, 0, 0, 0);
        } else {
            own = std::move(image);
            md = ImageRecord(&manager, own.get(), TRect(0, 0, own->Width(), own->Height()), 2, masked, drawMode, 0,
                             0, 0, 0);
        }
    }
};

// The composition of BlendGlyphByMask for one pixel (d the destination, s the picture, m the mask).
Word Blended(Kind kind, int mode, Word d, Word s, Word m)
{
    const auto fade = [mode](int k) { return mode == 1 ? k : std::min(k + 100, 255); };
    if (kind == Kind::Masked) {
        Word out = d;
        if (s != kKey && ByteR(m) < 255) {
            const int k = fade(ByteR(m)); // grey mask: every channel the same
            out = Argb(ByteA(d), MixOf(ByteR(d), ByteR(s), k), MixOf(ByteG(d), ByteG(s), k),
                       MixOf(ByteB(d), ByteB(s), k));
        }
        const int a = ByteA(d) + (((255 - ByteA(d)) * (255 - ByteR(m))) >> 8);
        return (out & 0x00FFFFFF) | static_cast<Word>(a) << 24;
    }
    if (kind == Kind::OwnAlpha) {
        const int k = fade(255 - ByteA(s));
        const int a = ByteA(d) + (((255 - ByteA(d)) * ByteA(s)) >> 8);
        return Argb(a, MixOf(ByteR(d), ByteR(s), k), MixOf(ByteG(d), ByteG(s), k), MixOf(ByteB(d), ByteB(s), k));
    }
    // Keyed copy: the picture as it is, or mixed in at 180.
    if ((s & 0x00FFFFFF) == kKey) return d;
    return mode == 1 ? s : MixPx(s, d, 180, std::max(ByteA(d), 180));
}

} // namespace

TEST(SkinGlyphs, EveryKindFromMasterAndOwnBitmapNormalAndFaded)
{
    // The parent's background behind key pixels (Mode 1 from the master bitmap).
    auto parent = Bmp32(12, 8, Argb(255, 0x11, 0x22, 0x33));
    const TCacheInfo ci = ReadyCache(parent.get(), 0, 0);
    auto sheet = Bmp32(2 * 2 * 10, 3 * 8, Argb(255, 255, 255, 255));
    int cell = 0;
    for (const Kind kind : {Kind::Masked, Kind::OwnAlpha, Kind::Keyed})
        for (const bool inMaster : {true, false})
            for (const int mode : {1, 0}) {
                const std::string what = std::string(Name(kind)) + (inMaster ? ", master" : ", own") +
                                         (mode == 1 ? ", normal" : ", faded");
                Glyph g(kind, inMaster);
                auto dst = Bmp32(8, 6, kBack);
                DrawSkinGlyph(dst.get(), TPoint(1, 2), 1, mode, g.md, ci);
                // The expected picture: from the formulas where the glyph is composed here, from the
                // master-bitmap copier it hands the piece to otherwise.
                auto want = Bmp32(8, 6, kBack);
                TBitmap* src = inMaster ? g.manager.MasterBitmap.get() : g.own.get();
                const int sx = g.md.R.Left + kW, sy = g.md.R.Top;
                if (inMaster && kind == Kind::Keyed) {
                    const TRect piece(sx, sy, sx + kW - 1, sy + kH - 1);
                    if (mode == 1) CopyTransRect(want.get(), src, 1, 2, piece, clFuchsia, ci, true);
                    else BlendTransRectangle(want.get(), 1, 2, src, piece, 127, clFuchsia);
                } else if (inMaster && kind == Kind::OwnAlpha) {
                    PaintBmpRect32(want.get(), src, TRect(sx, sy, sx + kW - 1, sy + kH - 1), TPoint(1, 2),
                                   mode == 1 ? 255 : 127);
                } else {
                    for (int y = 0; y < kH; ++y)
                        for (int x = 0; x < kW; ++x) {
                            const Word m = kind == Kind::Masked ? Px(*src, sx + x, sy + kH + y) : 0;
                            SetPx(*want, 1 + x, 2 + y, Blended(kind, mode, kBack, Px(*src, sx + x, sy + y), m));
                        }
                }
                int wrong = 0;
                for (int y = 0; y < 6; ++y)
                    for (int x = 0; x < 8; ++x)
                        if (Px(*dst, x, y) != Px(*want, x, y) && ++wrong < 4)
                            ADD_FAILURE() << what << " at " << x << "," << y << ": " << std::hex << Px(*dst, x, y)
                                          << " instead of " << Px(*want, x, y);
                EXPECT_EQ(wrong, 0) << what;
                if (inMaster && kind == Kind::Keyed && mode == 1) {
                    EXPECT_EQ(Px(*dst, 1, 2), Px(*parent, 1, 2)) << "the key pixel shows the parent";
                }
                GdiFlush();
                BitBlt(sheet->Canvas()->Handle(), (cell % 4) * 10 + 1, (cell / 4) * 8 + 1, 8, 6,
                       dst->Canvas()->Handle(), 0, 0, SRCCOPY);
                ++cell;
            }
    EXPECT_TRUE(SaveEnlargedPng(*sheet, L"skin_glyphs_kinds.png", 8));
}

TEST(SkinGlyphs, ClippedAtTheTopLeftAndTheLastStateForLargerStates)
{
    for (const bool inMaster : {true, false}) {
        // The keyed kind's opaque pixels show where each glyph pixel went.
        Glyph k(Kind::Keyed, inMaster);
        TBitmap* src = inMaster ? k.manager.MasterBitmap.get() : k.own.get();
        const int sx = k.md.R.Left + kW, sy = k.md.R.Top;
        const struct {
            TPoint p;
            int state;
        } cases[] = {{TPoint(-3, 0), 1}, {TPoint(-3, 0), 7}, {TPoint(0, -2), 1}, {TPoint(-1, -1), 1}};
        for (const auto& c : cases) {
            auto dst = Bmp32(6, 5, kBack);
            DrawSkinGlyph(dst.get(), c.p, c.state, 1, k.md, EmptyCI);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 6; ++x) {
                    const int gx = x - c.p.X, gy = y - c.p.Y; // position inside the glyph
                    const bool inside = gx >= 0 && gx < kW && gy >= 0 && gy < kH && !(gx == 0 && gy == 0);
                    const Word want = inside ? Px(*src, sx + gx, sy + gy) : kBack;
                    EXPECT_EQ(Px(*dst, x, y), want) << (inMaster ? "master" : "own") << " at (" << c.p.X << ","
                                                    << c.p.Y << ") state " << c.state << ", pixel " << x << "," << y;
                }
        }
    }
}

TEST(SkinGlyphs, BlendGlyphByMaskWithAWhiteMaskChangesNothingAndStaysInside)
{
    auto image = DrawImage(kW, kH, 1, [](int, int x, int y) { return Argb(255, 10 * x, 20 * y, 99); },
                           [](int, int, int) { return Grey(255); });
    TsMaskData md = ImageRecord(nullptr, image.get(), TRect(0, 0, kW, 2 * kH), 1, true, 0, 0, 0, 0, 0);
    auto dst = Numbered(6, 5);
    auto before = Numbered(6, 5);
    BlendGlyphByMask(TRect(1, 1, 1 + kW - 1, 1 + kH - 1), TRect(0, 0, kW - 1, kH - 1), dst.get(), image.get(), 1, md);
    BlendGlyphByMask(TRect(1, 1, 1 + kW - 1, 1 + kH - 1), TRect(0, 0, kW - 1, kH - 1), dst.get(), image.get(), 0, md);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(Px(*dst, x, y), Px(*before, x, y)) << x << "," << y;

    // Rectangles reaching past either bitmap on any side only touch what lies inside.
    TsMaskData black = md;
    auto dark = DrawImage(kW, kH, 1, [](int, int, int) { return Argb(255, 1, 2, 3); },
                          [](int, int, int) { return Grey(0); });
    black.Bmp = dark.get();
    auto small = Bmp32(3, 2, kBack);
    for (const auto& [d, s] : {std::pair{TRect(-2, -1, 5, 4), TRect(0, 0, kW - 1, kH - 1)},
                               std::pair{TRect(1, 1, 9, 9), TRect(-3, -2, 9, 9)}})
        BlendGlyphByMask(d, s, small.get(), dark.get(), 1, black);
    const Word covered = Argb(ByteA(kBack) + (((255 - ByteA(kBack)) * 255) >> 8), 1, 2, 3);
    EXPECT_EQ(Px(*small, 0, 0), covered);
    EXPECT_EQ(Px(*small, 1, 1), covered);
    EXPECT_EQ(Px(*small, 2, 0), kBack) << "the piece was cut to the source's columns";
    EXPECT_EQ(Px(*small, 2, 1), kBack);
}

TEST(SkinGlyphs, BlendColorByMaskPaintsThroughTheGreyMaskInsideTheBitmap)
{
    // A 3 x 2 mask at (-1, 1) of a 4 x 2 bitmap: its left column and lower row lie outside.
    TBitmap mask(3, 2, pf8bit);
    const std::uint8_t values[2][3] = {{0, 128, 255}, {64, 32, 16}};
    for (int y = 0; y < 2; ++y) std::copy_n(values[y], 3, static_cast<std::uint8_t*>(mask.ScanLine(y)));
    auto dst = Bmp32(4, 2, Argb(0x20, 200, 100, 50));
    TsColor color;
    color.R = 10, color.G = 20, color.B = 30, color.A = 160;
    BlendColorByMask(dst.get(), &mask, TPoint(-1, 1), TRect(), color);
    const auto expect = [&](int m) {
        const int w = 255 - m;
        return Argb(std::max(0x20, (w * 160) >> 8), (10 * w + 200 * m) >> 8, (20 * w + 100 * m) >> 8,
                    (30 * w + 50 * m) >> 8);
    };
    EXPECT_EQ(Px(*dst, 0, 1), expect(128));
    EXPECT_EQ(Px(*dst, 1, 1), Argb(0x20, 200, 100, 50)) << "255 keeps the pixel";
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Px(*dst, x, 0), Argb(0x20, 200, 100, 50));
    EXPECT_EQ(Px(*dst, 2, 1), Argb(0x20, 200, 100, 50));
}
