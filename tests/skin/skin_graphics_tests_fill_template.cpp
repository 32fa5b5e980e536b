// Device-context fills, border strips, the checkerboard, clip cuts for child controls and the
// nine-slice template copy.
#include "skin_graphics_test_pixels.h"

#include "skin_graphics_test_png.h"

#include "ExtCtrls.h"
#include "sGraphUtilsClip.h"
#include "sGraphUtilsFill.h"
#include "sGraphUtilsTemplate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr Word kBack = Argb(0, 0x10, 0x20, 0x30);

// Every pixel tells where it lies: red = 8 * x, green = 8 * y (x, y below 32).
constexpr Word PositionOf(int x, int y) { return Argb(255, 8 * x, 8 * y, 0x55); }
constexpr int SourceX(Word p) { return ByteR(p) / 8; }
constexpr int SourceY(Word p) { return ByteG(p) / 8; }
std::unique_ptr<TBitmap> Positions(int width, int height)
{
    auto bmp = CreateBmp32(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPx(*bmp, x, y, PositionOf(x, y));
    return bmp;
}

bool InAny(const std::vector<TRect>& rects, int x, int y)
{
    for (const TRect& r : rects)
        if (r.Contains(TPoint{x, y})) return true;
    return false;
}

// Every pixel of bmp: expected(x, y) gives the word it must hold (colour bytes only).
void ExpectPixels(TBitmap& bmp, const std::function<Word(int, int)>& expected, const char* what)
{
    GdiFlush();
    int wrong = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            const Word want = expected(x, y) & 0xFFFFFF, got = Px(bmp, x, y) & 0xFFFFFF;
            if (want != got && ++wrong <= 5)
                ADD_FAILURE() << what << " at " << x << "," << y << ": " << std::hex << got << " instead of " << want;
        }
    EXPECT_EQ(wrong, 0) << what;
}

} // namespace

TEST(SkinDCFills, OpaqueFillsResolveSystemColoursAndKeepTheDCState)
{
    auto bmp = Bmp32(32, 24, kBack);
    HDC dc = bmp->Canvas()->Handle();
    const HGDIOBJ brushBefore = GetCurrentObject(dc, OBJ_BRUSH);
    const Word face = Argb(0, GetRValue(GetSysColor(COLOR_BTNFACE)), GetGValue(GetSysColor(COLOR_BTNFACE)),
                           GetBValue(GetSysColor(COLOR_BTNFACE)));

    FillDC(dc, TRect(2, 3, 10, 8), clBtnFace, 0);
    ExpectPixels(*bmp, [&](int x, int y) { return TRect(2, 3, 10, 8).Contains(TPoint{x, y}) ? face : kBack; },
                 "FillDC with a system colour");
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brushBefore);

    // Top over the full width, left below it, bottom right of the left side, right between.
    auto frame = Bmp32(32, 24, kBack);
    FillDCBorder(frame->Canvas()->Handle(), TRect(2, 2, 30, 20), 1, 2, 3, 4, clRed, 0);
    const std::vector<TRect> sides{{2, 2, 30, 4}, {2, 4, 3, 20}, {3, 16, 30, 20}, {27, 4, 30, 16}};
    ExpectPixels(*frame, [&](int x, int y) { return InAny(sides, x, y) ? Argb(0, 255, 0, 0) : kBack; },
                 "FillDCBorder");
    EXPECT_EQ(GetCurrentObject(frame->Canvas()->Handle(), OBJ_BRUSH), brushBefore) << "the stock brush again";
}

TEST(SkinDCFills, FillsWithAlphaMixThroughGdiplus)
{
    GdiplusUnit gdiplus;
    auto within2 = [](int got, int want) { return std::abs(got - want) <= 2; };
    const Word back = Argb(255, 0x10, 0x20, 0x30);
    // Half-transparent red over the background: each channel about half of each.
    auto bmp = Bmp32(24, 18, back);
    FillDC(bmp->Canvas()->Handle(), TRect(4, 4, 20, 14), clRed, 128);
    GdiFlush();
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 24; ++x) {
            const Word p = Px(*bmp, x, y);
            if (TRect(4, 4, 20, 14).Contains(TPoint{x, y})) {
                ASSERT_TRUE(within2(ByteR(p), (255 * 128 + 0x10 * 127) / 255) && within2(ByteG(p), 0x20 * 127 / 255) &&
                            within2(ByteB(p), 0x30 * 127 / 255))
                    << x << "," << y << ": " << std::hex << p;
            } else {
                ASSERT_EQ(p & 0xFFFFFF, back & 0xFFFFFF) << x << "," << y;
            }
        }

    // The frame's four sides through GDI+, opaque at alpha 255; the inside keeps its pixels.
    auto frame = Bmp32(32, 24, back);
    FillDCBorder(frame->Canvas()->Handle(), TRect(2, 2, 30, 20), 1, 2, 3, 4, clLime, 255);
    const std::vector<TRect> sides{{2, 2, 30, 4}, {2, 4, 3, 20}, {3, 16, 30, 20}, {27, 4, 30, 16}};
    ExpectPixels(*frame, [&](int x, int y) { return InAny(sides, x, y) ? Argb(0, 0, 255, 0) : back; },
                 "FillDCBorder through GDI+");
    EXPECT_TRUE(SaveEnlargedPng(*frame, L"skin_fill_border_alpha.png"));
}

TEST(SkinBorderCopies, BitBltBorderCopiesTheStripsWithTheLibrarysDefaults)
{
    // The area: 20 x 16 at (4, 4) of the destination, from (8, 6) of the source.
    auto srcWord = [](int x, int y) { return Argb(255, x, y, 0x33); };
    auto src = CreateBmp32(48, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 48; ++x) SetPx(*src, x, y, srcWord(x, y));
    struct Case {
        int widths[4];
        std::vector<TRect> copied; // in destination coordinates
    };
    const Case cases[] = {
        // All from the left width: strips 2 wide; the top one runs the full width past the left
        // strip, the right one starts below the top strip and runs the full height.
        {{2, -1, -1, -1}, {{4, 4, 6, 20}, {6, 4, 26, 6}, {22, 6, 24, 22}, {6, 18, 24, 20}}},
        // A given bottom width keeps a right width of -1: the bottom strip reaches one past.
        {{2, 5, -1, 3}, {{4, 4, 6, 20}, {6, 4, 26, 9}, {6, 17, 27, 20}}},
        // A negative left width counts as 0.
        {{-3, 1, 1, 1}, {{4, 4, 24, 5}, {23, 5, 24, 21}, {4, 19, 23, 20}}},
    };
    for (const Case& c : cases) {
        auto dst = Bmp32(40, 32, kBack);
        BitBltBorder(dst->Canvas()->Handle(), 4, 4, 20, 16, src->Canvas()->Handle(), 8, 6, c.widths[0], c.widths[1],
                     c.widths[2], c.widths[3]);
        GdiFlush();
        for (int y = 0; y < dst->Height(); ++y)
            for (int x = 0; x < dst->Width(); ++x) {
                // A right strip of width -1 is the system's business; only the rest is checked.
                if (c.widths[2] < 0 && c.widths[3] >= 0 && x >= 24 && x <= 26 && y >= 9 && y < 25) continue;
                const Word want = InAny(c.copied, x, y) ? srcWord(x + 4, y + 2) : kBack;
                ASSERT_EQ(Px(*dst, x, y) & 0xFFFFFF, want & 0xFFFFFF)
                    << "widths " << c.widths[0] << "," << c.widths[1] << "," << c.widths[2] << "," << c.widths[3]
                    << " at " << x << "," << y;
            }
    }
}

TEST(SkinCheckerboard, CellsStartWithTheFirstColourAndStayInsideTheArea)
{
    struct Case {
        TRect r;
        int cell;
    };
    // 20 x 20 in 8-pixel cells, cut at the area; an area smaller than two cells each way.
    for (const Case c : {Case{{3, 5, 23, 25}, 8}, Case{{2, 2, 7, 6}, 8}, Case{{1, 1, 29, 28}, 3}}) {
        auto bmp = std::make_unique<TBitmap>(30, 30, pf24bit);
        bmp->Canvas()->Brush()->SetColor(clBlue);
        bmp->Canvas()->FillRect(TRect(0, 0, 30, 30));
        PaintTransBG(bmp.get(), c.r, clWhite, clSilver, c.cell);
        ASSERT_EQ(bmp->PixelFormat(), pf32bit);
        ExpectPixels(*bmp, [&](int x, int y) -> Word {
            if (!c.r.Contains(TPoint{x, y})) return Argb(0, 0, 0, 255);
            const bool first = ((x - c.r.Left) / c.cell + (y - c.r.Top) / c.cell) % 2 == 0;
            return first ? Argb(255, 255, 255, 255) : Argb(255, 0xC0, 0xC0, 0xC0);
        }, "checkerboard");
        if (c.cell == 8 && c.r.Left == 3) {
            EXPECT_EQ(ByteA(Px(*bmp, 22, 24)), 255);
            EXPECT_TRUE(SaveEnlargedPng(*bmp, L"skin_checkerboard.png"));
        }
    }
}

TEST(SkinClip, ExcludeControlsCutsOutVisibleWindowedChildrenOnly)
{
    auto parent = std::make_unique<TPanel>(nullptr);
    parent->SetBounds(0, 0, 100, 60);
    auto* windowed = new TPanel(parent.get());
    windowed->SetParent(parent.get());
    windowed->SetBounds(10, 10, 20, 20);
    auto* hidden = new TPanel(parent.get());
    hidden->SetParent(parent.get());
    hidden->SetBounds(40, 10, 20, 20);
    hidden->SetVisible(false);
    auto* windowless = new TShape(parent.get());
    windowless->SetParent(parent.get());
    windowless->SetBounds(70, 10, 20, 20);

    auto bmp = Bmp32(110, 70, kBack);
    HDC dc = bmp->Canvas()->Handle();
    const int saved = SaveDC(dc);
    ExcludeControls(dc, parent.get(), 5, 3);
    FillDC(dc, TRect(0, 0, 110, 70), clRed, 0);
    RestoreDC(dc, saved);
    // Without a default manager windowless controls stay in the clip.
    const TRect cut(15, 13, 35, 33);
    ExpectPixels(*bmp, [&](int x, int y) { return cut.Contains(TPoint{x, y}) ? kBack : Argb(0, 255, 0, 0); },
                 "clip without the windowed child");
}

namespace {

// The template: 24 x 24 at (2, 3) of a 30 x 30 bitmap of position pixels, borders 6 all round.
const TRect kTemplate(2, 3, 26, 27);
const TRect kBorders(6, 6, 6, 6);

// Where the tiled template puts source pixels along one axis: corners at their size (at most the
// half of the area on their side of its centre), the 12-pixel middle repeated.
int TiledSource(int p, int d0, int d1, int s0, int s1, int lead, int trail)
{
    const int c = (d0 + d1) / 2;
    const int l = std::min(lead, c - d0), t = std::min(d1 - c, trail);
    if (p < d0 + l) return s0 + (p - d0);
    if (p >= d1 - t) return s1 - (d1 - p);
    return s0 + l + (p - d0 - l) % (s1 - s0 - lead - trail);
}

} // namespace

TEST(SkinTemplate, TiledTemplateRepeatsTheMiddleAndSmallAreasShareTheCorners)
{
    auto src = Positions(30, 30);
    struct Case {
        TRect area;
        bool stretched; // sides and centre
        TRect borders = kBorders;
    };
    // At the origin and elsewhere, wide and narrower than the two borders, high and lower. Areas
    // too small for sides and a centre show only the corners, each on its half, also when sides
    // and centre are to be stretched. A left border wider than half the area gives the same
    // picture wherever the area lies.
    const Case cases[] = {{{0, 0, 50, 40}, false},  {{30, 30, 80, 70}, false}, {{0, 0, 9, 40}, false},
                          {{30, 30, 39, 70}, false}, {{30, 30, 80, 41}, false}, {{31, 30, 42, 37}, false},
                          {{0, 0, 9, 11}, true},     {{30, 30, 39, 41}, true},  {{0, 0, 30, 30}, false, {16, 6, 2, 6}},
                          {{30, 30, 60, 60}, false, {16, 6, 2, 6}}};
    for (const Case& c : cases) {
        const TRect& d = c.area;
        const TRect& b = c.borders;
        auto dst = Bmp32(90, 80, kBack);
        const TRect modes = c.stretched ? TRect(1, 1, 1, 1) : TRect(0, 0, 0, 0);
        PaintControlByTemplate(dst.get(), src.get(), d, kTemplate, b, b, modes, c.stretched, true);
        ExpectPixels(*dst, [&](int x, int y) {
            if (!d.Contains(TPoint{x, y})) return kBack;
            return PositionOf(TiledSource(x, d.Left, d.Right, kTemplate.Left, kTemplate.Right, b.Left, b.Right),
                              TiledSource(y, d.Top, d.Bottom, kTemplate.Top, kTemplate.Bottom, b.Top, b.Bottom));
        }, "template");
        if (d.Left == 30 && d.Right == 80 && d.Bottom == 70) {
            EXPECT_TRUE(SaveEnlargedPng(*dst, L"skin_template_tiled.png"));
        }
    }
}

TEST(SkinTemplate, StretchedSidesAndCentreModes)
{
    auto src = Positions(30, 30);
    const TRect d(4, 2, 54, 42);
    auto inMiddle = [](int v, int s0) { return v >= s0 + 6 && v < s0 + 18; };

    // Every side and the centre stretched: corners exact, the rest taken from the middle of the
    // template along the stretched direction, from the border's own place across it.
    auto dst = Bmp32(60, 50, kBack);
    PaintControlByTemplate(dst.get(), src.get(), d, kTemplate, kBorders, kBorders, TRect(1, 1, 1, 1), true, true);
    GdiFlush();
    for (int y = d.Top; y < d.Bottom; ++y)
        for (int x = d.Left; x < d.Right; ++x) {
            const Word p = Px(*dst, x, y);
            const int sx = SourceX(p), sy = SourceY(p);
            const bool leftBand = x < d.Left + 6, rightBand = x >= d.Right - 6;
            const bool topBand = y < d.Top + 6, bottomBand = y >= d.Bottom - 6;
            if (leftBand || rightBand) {
                ASSERT_EQ(sx, TiledSource(x, d.Left, d.Right, kTemplate.Left, kTemplate.Right, 6, 6)) << x << "," << y;
            } else {
                ASSERT_TRUE(inMiddle(sx, kTemplate.Left)) << x << "," << y << ": column " << sx;
            }
            if (topBand || bottomBand) {
                ASSERT_EQ(sy, TiledSource(y, d.Top, d.Bottom, kTemplate.Top, kTemplate.Bottom, 6, 6)) << x << "," << y;
            } else {
                ASSERT_TRUE(inMiddle(sy, kTemplate.Top)) << x << "," << y << ": row " << sy;
            }
        }
    // The stretched middle runs from its first to its last source column and row.
    EXPECT_EQ(SourceX(Px(*dst, d.Left + 6, d.Top)), kTemplate.Left + 6);
    EXPECT_EQ(SourceX(Px(*dst, d.Right - 7, d.Top)), kTemplate.Left + 17);
    EXPECT_EQ(SourceY(Px(*dst, d.Left, d.Bottom - 7)), kTemplate.Top + 17);
    EXPECT_TRUE(SaveEnlargedPng(*dst, L"skin_template_stretched.png"));

    // Left and right tiled, top and bottom stretched, no centre: the centre keeps its pixels.
    auto mixed = Bmp32(60, 50, kBack);
    PaintControlByTemplate(mixed.get(), src.get(), d, kTemplate, kBorders, kBorders, TRect(0, 1, 0, 1), true, false);
    GdiFlush();
    for (int y = d.Top; y < d.Bottom; ++y)
        for (int x = d.Left; x < d.Right; ++x) {
            const Word p = Px(*mixed, x, y);
            const int tx = TiledSource(x, d.Left, d.Right, kTemplate.Left, kTemplate.Right, 6, 6);
            const int ty = TiledSource(y, d.Top, d.Bottom, kTemplate.Top, kTemplate.Bottom, 6, 6);
            if (x < d.Left + 6 || x >= d.Right - 6) {
                ASSERT_EQ(p & 0xFFFFFF, PositionOf(tx, ty) & 0xFFFFFF) << "tiled side at " << x << "," << y;
            } else if (y < d.Top + 6 || y >= d.Bottom - 6) {
                ASSERT_EQ(SourceY(p), ty) << x << "," << y;
                ASSERT_TRUE(inMiddle(SourceX(p), kTemplate.Left)) << "stretched side at " << x << "," << y;
            } else {
                ASSERT_EQ(p, kBack) << "centre at " << x << "," << y;
            }
        }
}

TEST(SkinTemplate, InnerBordersMakeLShapedCorners)
{
    // Borders 6, inner borders 2 left/right and 3 top/bottom: a corner is a band 3 high along the
    // top and a band 2 wide down the side; its inner part and the inner part of the sides stay.
    auto src = Positions(30, 30);
    const TRect d(0, 0, 40, 36);
    auto dst = Bmp32(40, 36, kBack);
    PaintControlByTemplate(dst.get(), src.get(), d, kTemplate, kBorders, TRect(2, 3, 2, 3), TRect(0, 0, 0, 0), false,
                           false);
    auto painted = [&](int x, int y) {
        const bool left = x < 2, right = x >= 38, top = y < 3, bottom = y >= 33;
        return left || right || top || bottom;
    };
    ExpectPixels(*dst, [&](int x, int y) {
        if (!painted(x, y)) return kBack;
        return PositionOf(TiledSource(x, 0, 40, kTemplate.Left, kTemplate.Right, 6, 6),
                          TiledSource(y, 0, 36, kTemplate.Top, kTemplate.Bottom, 6, 6));
    }, "L-shaped corners");
}
