// Small drawing routines: check-box sizes and glyphs (skinned, themed, classic), the close
// button, glyph strips and their reflection, arrows in every style and side, coloured arrows,
// bitmaps drawn with alpha, composite icons and lines.
#include "skin_graphics_test_png.h"
#include "skin_graphics_test_skin_image.h"

#include "Themes.h"
#include "acGPUtils.h"
#include "sAlphaGraph.h"
#include "sGraphUtilsArrows.h"
#include "sGraphUtilsCheck.h"
#include "sGraphUtilsFill.h"
#include "sGraphUtilsGlyphEx.h"
#include "sGraphUtilsRotate.h"
#include "sGraphUtilsSystem.h"
#include "skin_core_test_skinload.h"
#include "skin_test_arrow_ink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

constexpr Word kWhite = Argb(255, 255, 255, 255);

// Themes on or off for a scope.
struct Themes {
    explicit Themes(bool on) { TStyleServices::OverrideEnabled(on); }
    ~Themes() { TStyleServices::OverrideEnabled(std::nullopt); }
    Themes(const Themes&) = delete;
    Themes& operator=(const Themes&) = delete;
};

// The bounding box of the pixels for which ink holds; empty when none.
TRect InkBox(TBitmap& bmp, const std::function<bool(Word)>& ink)
{
    GdiFlush();
    TRect box(bmp.Width(), bmp.Height(), -1, -1);
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (ink(Px(bmp, x, y))) {
                box.Left = std::min<LONG>(box.Left, x);
                box.Top = std::min<LONG>(box.Top, y);
                box.Right = std::max<LONG>(box.Right, x + 1);
                box.Bottom = std::max<LONG>(box.Bottom, y + 1);
            }
    return box.Right < 0 ? TRect() : box;
}

bool NotWhite(Word p) { return (p & 0xFFFFFF) != 0xFFFFFF; }

// Copies bmp into the sheet at x.
void Paste(TBitmap& sheet, TBitmap& bmp, int x, int y = 0)
{
    GdiFlush();
    BitBlt(sheet.Canvas()->Handle(), x, y, bmp.Width(), bmp.Height(), bmp.Canvas()->Handle(), 0, 0, SRCCOPY);
    GdiFlush();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Check boxes and the close button

TEST(SkinSmallDrawing, DefaultCheckBoxSizeComesFromTheSystemBitmap)
{
    sGraphUtilsInitialization();
    HBITMAP sys = LoadBitmapW(nullptr, MAKEINTRESOURCEW(32759));
    ASSERT_TRUE(sys);
    BITMAP info{};
    GetObjectW(sys, sizeof(info), &info);
    DeleteObject(sys);
    EXPECT_EQ(acDefaultCheckBoxSize(), TSize(info.bmWidth / 4, info.bmHeight / 3));
    // Without skin data, or with skin data of no manager: the default width and height.
    TacSkinData orphan(nullptr, 96);
    for (TObject* data : {static_cast<TObject*>(nullptr), static_cast<TObject*>(&orphan)})
        for (const bool second : {false, true}) {
            EXPECT_EQ(CheckBoxWidth(data, second), info.bmWidth / 4);
            EXPECT_EQ(CheckBoxHeight(data, second), info.bmHeight / 3);
        }
    sGraphUtilsFinalization();
}

TEST(SkinSmallDrawing, ClassicAndThemedCheckBoxesCentredInR)
{
    TacSkinData orphan(nullptr, 96); // no manager: never skinned
    const TSize size = acDefaultCheckBoxSize();
    const TRect r(2, 3, 32, 23);
    const TRect glyph(r.Left + (r.Width() - size.cx) / 2, r.Top + (r.Height() - size.cy) / 2,
                      r.Left + (r.Width() - size.cx) / 2 + size.cx, r.Top + (r.Height() - size.cy) / 2 + size.cy);
    auto sheet = Bmp32(6 * 36, 2 * 26, kWhite);
    for (const bool themed : {false, true}) {
        Themes themes(themed);
        int column = 0;
        for (const TCheckBoxState state : {cbUnchecked, cbChecked, cbGrayed})
            for (const bool enabled : {true, false}) {
                SCOPED_TRACE(testing::Message() << "themed " << themed << " state " << state << " enabled " << enabled);
                constexpr Word back = Argb(255, 0x30, 0x60, 0x90);
                TCacheInfo ci = EmptyCI;
                ci.FillColor = static_cast<TColor>(0x906030); // the same colour as back
                auto bmp = Bmp32(36, 26, kWhite);
                acDrawCheck(r, state, enabled, bmp.get(), ci, &orphan, false);
                GdiFlush();
                const TRect drawn = InkBox(*bmp, [](Word p) { return NotWhite(p) && (p & 0xFFFFFF) != 0x306090; });
                EXPECT_FALSE(drawn.IsEmpty());
                EXPECT_TRUE(drawn.Left >= glyph.Left && drawn.Top >= glyph.Top && drawn.Right <= glyph.Right &&
                            drawn.Bottom <= glyph.Bottom)
                    << drawn.Left << "," << drawn.Top << "," << drawn.Right << "," << drawn.Bottom;
                if (!themed) {
                    // The glyph column was filled with CI's colour first, then the frame control.
                    EXPECT_EQ(Px(*bmp, r.Left, r.Top) & 0xFFFFFF, back & 0xFFFFFF);
                    EXPECT_EQ(Px(*bmp, r.Left + size.cx + 1, r.Bottom - 1) & 0xFFFFFF, back & 0xFFFFFF);
                    EXPECT_EQ(Px(*bmp, r.Left + size.cx + 2, r.Top) & 0xFFFFFF, 0xFFFFFFu);
                    auto want = Bmp32(36, 26, kWhite);
                    FillDC(want->Canvas()->Handle(), TRect(r.Left, r.Top, r.Left + size.cx + 2, r.Bottom),
                           static_cast<TColor>(0x906030));
                    RECT rc = glyph;
                    const UINT flags = DFCS_BUTTONCHECK | (state == cbChecked ? DFCS_CHECKED : 0) |
                                       (state == cbGrayed ? 0x408 : 0) | (enabled ? 0 : DFCS_INACTIVE);
                    DrawFrameControl(want->Canvas()->Handle(), &rc, DFC_BUTTON, flags);
                    GdiFlush();
                    int wrong = 0;
                    for (int y = 0; y < 26; ++y)
                        for (int x = 0; x < 36; ++x) wrong += (Px(*bmp, x, y) & 0xFFFFFF) != (Px(*want, x, y) & 0xFFFFFF);
                    EXPECT_EQ(wrong, 0);
                }
                Paste(*sheet, *bmp, 36 * column++, themed ? 26 : 0);
            }
    }
    SaveEnlargedPng(*sheet, L"skin_check_boxes.png", 3);
}

TEST(SkinSmallDrawing, CheckBoxStateBeyondTheThreeDrawsNothing)
{
    TacSkinData orphan(nullptr, 96);
    for (const bool themed : {false, true}) {
        SCOPED_TRACE(themed);
        Themes themes(themed);
        auto bmp = Bmp32(36, 26, kWhite);
        acDrawCheck(TRect(2, 3, 32, 23), static_cast<TCheckBoxState>(3), true, bmp.get(), EmptyCI, &orphan, true);
        EXPECT_TRUE(InkBox(*bmp, NotWhite).IsEmpty());
    }
}

class SkinCheckLoaded : public SkinLoadTest {};

TEST_F(SkinCheckLoaded, SkinnedCheckBoxDrawsTheHouseGlyphNormalAndFaded)
{
    Load();
    ASSERT_TRUE(manager && manager->IsActive());
    TacSkinData& skin = Data();
    const int f = house_skin::kCheckFrame;
    EXPECT_EQ(CheckBoxWidth(&skin, false), f + 2);
    EXPECT_EQ(CheckBoxHeight(&skin, false), f);
    const TRect r(0, 0, f + 10, f + 6);
    const TPoint at(r.Left + (r.Width() - (f + 2)) / 2, r.Top + (r.Height() - f) / 2);
    auto sheet = Bmp32(2 * (f + 10), f + 6, 0);
    int column = 0;
    for (const bool enabled : {true, false}) {
        constexpr Word back = Argb(255, 0xE0, 0xE8, 0xF0);
        auto bg = Bmp32(f + 10, f + 6, back);
        auto bmp = Bmp32(f + 10, f + 6, back);
        acDrawCheck(r, cbChecked, enabled, bmp.get(), MakeCacheInfo(bg.get(), 0, 0), &skin, false);
        auto want = Bmp32(f + 10, f + 6, back);
        DrawSkinGlyph(want.get(), at, 0, enabled ? 1 : 2, skin.ma[static_cast<size_t>(skin.CheckBox[cbChecked])],
                      MakeCacheInfo(bg.get(), 0, 0));
        int wrong = 0, ink = 0;
        for (int y = 0; y < f + 6; ++y)
            for (int x = 0; x < f + 10; ++x) {
                wrong += Px(*bmp, x, y) != Px(*want, x, y);
                ink += Px(*bmp, x, y) != back;
            }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(ink, 10);
        if (enabled) {
            // The tick of the normal frame, in its ink.
            EXPECT_EQ(Px(*bmp, at.X + 3, at.Y + 7) & 0xFFFFFF, house_skin::kCheckInk[0] & 0xFFFFFF);
        }
        Paste(*sheet, *bmp, (f + 10) * column++);
    }
    SaveEnlargedPng(*sheet, L"skin_check_house.png", 4);
}

TEST(SkinSmallDrawing, ClassicCloseButtonStates)
{
    Themes themes(false);
    auto sheet = Bmp32(4 * 20, 20, 0);
    const Word fills[4] = {0xAB5858, 0xFF0000, 0x800000, 0xFFFFFF}; // 0xRRGGBB
    for (int state = 0; state < 4; ++state) {
        SCOPED_TRACE(state);
        auto bmp = Bmp32(20, 20, 0);
        TRect r(2, 2, 18, 18);
        DrawCloseBtn(bmp->Canvas()->Handle(), r, state);
        GdiFlush();
        EXPECT_EQ(r, TRect(3, 3, 17, 17)) << "R is left inset by 1";
        EXPECT_EQ(Px(*bmp, 2, 2) & 0xFFFFFF, 0xFFFFFFu) << "white frame";
        EXPECT_EQ(Px(*bmp, 17, 10) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(Px(*bmp, 4, 10) & 0xFFFFFF, fills[state]) << "the state's fill";
        EXPECT_EQ(Px(*bmp, 10, 10) & 0xFFFFFF, 0xFFFFFFu) << "the cross meets in the middle";
        EXPECT_EQ(Px(*bmp, 7, 7) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(Px(*bmp, 1, 1) & 0xFFFFFF, 0u) << "nothing outside R";
        Paste(*sheet, *bmp, 20 * state);
    }
    SaveEnlargedPng(*sheet, L"skin_close_buttons.png", 4);
}

// ---------------------------------------------------------------------------------------------
// Glyph strips

namespace {

// A strip of n images of 5 x 6: image i filled with colour 0x10 * (i + 1), the key colour
// 0x00FF00FF in its bottom-left pixel and in its top-right one.
std::unique_ptr<TBitmap> Strip(int n)
{
    auto bmp = CreateBmp32(5 * n, 6);
    for (int i = 0; i < n; ++i)
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 5; ++x)
                SetPx(*bmp, 5 * i + x, y,
                      (x == 0 && y == 5) || (x == 4 && y == 0) ? 0x00FF00FF : Argb(255, 0x10 * (i + 1), 0x40, 0x80));
    return bmp;
}

} // namespace

TEST(SkinSmallDrawing, GlyphStripImageByStateAndOrder)
{
    ASSERT_EQ(DefaultManager, nullptr) << "the standard order applies without a manager";
    struct Case {
        int numGlyphs;
        bool enabled;
        int state;
        bool down;
        int image; // -1: nothing
    } cases[] = {
        {4, true, 2, true, 3},  {4, true, 2, false, 2}, {4, false, 2, true, 0}, {4, true, 0, false, 0},
        {4, true, 1, false, 0}, {2, true, 2, true, 0},  {4, true, 3, false, 2}, {2, true, 3, false, 0},
        {1, true, 3, false, 0}, {4, true, 5, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.numGlyphs << " glyphs, enabled " << c.enabled << ", state " << c.state
                                        << ", down " << c.down);
        auto strip = Strip(c.numGlyphs);
        auto dst = Bmp32(9, 9, kWhite);
        DrawGlyphEx(strip.get(), dst.get(), TRect(2, 1, 7, 7), c.numGlyphs, c.enabled, {}, c.state, 0, c.down, false);
        if (c.image < 0) {
            EXPECT_TRUE(InkBox(*dst, NotWhite).IsEmpty());
            continue;
        }
        EXPECT_EQ(Px(*dst, 3, 2), Argb(255, 0x10 * (c.image + 1), 0x40, 0x80));
        EXPECT_EQ(Px(*dst, 2, 6), kWhite) << "key pixel left out";
        EXPECT_EQ(Px(*dst, 6, 1), kWhite) << "key pixel left out";
        EXPECT_EQ(InkBox(*dst, NotWhite), TRect(2, 1, 7, 7));
    }
}

TEST(SkinSmallDrawing, GlyphStripLibraryOrderAndFourBitGlyphs)
{
    TsSkinManager manager(nullptr);
    DefaultManager = &manager;
    auto hot = Bmp32(9, 9, kWhite), pressed = Bmp32(9, 9, kWhite);
    auto strip = Strip(3);
    DrawGlyphEx(strip.get(), hot.get(), TRect(2, 1, 7, 7), 3, true, {}, 1, 0, false, false);
    DrawGlyphEx(strip.get(), pressed.get(), TRect(2, 1, 7, 7), 3, true, {}, 2, 0, true, false);
    EXPECT_EQ(Px(*hot, 3, 2), Argb(255, 0x20, 0x40, 0x80)) << "hot: image 1";
    // Pressed and down without a fourth image: min(1, NumGlyphs - 1) = image 1.
    EXPECT_EQ(Px(*pressed, 3, 2), Argb(255, 0x20, 0x40, 0x80));

    // A 4-bit glyph keeps the standard order even with a manager.
    TBitmap four;
    four.SetPixelFormat(pf4bit);
    four.SetSize(10, 4);
    four.Canvas()->Brush()->SetColor(clRed);
    four.Canvas()->FillRect(TRect(0, 0, 5, 4));
    four.Canvas()->Brush()->SetColor(clBlue);
    four.Canvas()->FillRect(TRect(5, 0, 10, 4));
    four.Canvas()->SetPixels(0, 3, clLime); // the key colour
    auto dst = Bmp32(9, 9, kWhite);
    DrawGlyphEx(&four, dst.get(), TRect(1, 1, 6, 5), 2, true, {}, 1, 0, false, false);
    EXPECT_EQ(Px(*dst, 2, 1) & 0xFFFFFF, 0xFF0000u) << "image 0";
    DefaultManager = nullptr;
}

TEST(SkinSmallDrawing, DisabledGlyphBlendsAndReflectionFadesDownwards)
{
    auto strip = Strip(1);
    constexpr Word back = Argb(255, 0xF0, 0xF0, 0xF0);
    auto dst = Bmp32(9, 9, back);
    DrawGlyphEx(strip.get(), dst.get(), TRect(2, 1, 7, 7), 1, false, {}, 0, 40, false, false);
    // BlendTransRectangle at 40: (s * (255 - 40) + d * 40) shr 8 per channel.
    const Word s = Argb(255, 0x10, 0x40, 0x80);
    const auto mix = [](int sc, int dc) { return (sc * 215 + dc * 40) >> 8; };
    EXPECT_EQ(Px(*dst, 3, 2) & 0xFFFFFF,
              Argb(0, mix(ByteR(s), 0xF0), mix(ByteG(s), 0xF0), mix(ByteB(s), 0xF0)) & 0xFFFFFF);

    // A 30-row glyph: its reflection covers rows 0 .. 19 below it, row i mirrored from the bottom.
    auto glyph = CreateBmp32(4, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 4; ++x) SetPx(*glyph, x, y, Argb(255, 8 * y, 0, 200));
    SetPx(*glyph, 1, 29, 0x00FF00FF); // the key is skipped
    for (const int blend : {0, 30}) {
        SCOPED_TRACE(blend);
        constexpr Word floor = Argb(0x55, 0, 0xFF, 0);
        auto out = Bmp32(6, 40, floor);
        DrawGlyphReflection(out.get(), glyph.get(), TPoint(1, 5), blend, static_cast<TColor>(0xFF00FF),
                            TRect(0, 0, 3, 29));
        const int n = 19, step = 255 / (n + 1);
        int a = 255;
        for (int i = 0; i < 25; ++i) {
            const Word got = Px(*out, 2, 5 + i);
            if (i > n) {
                EXPECT_EQ(got, floor) << "row " << i;
                continue;
            }
            const int k = ((((((n - i) * 255) / n) * a) >> 9) * (100 - blend) / 100) & 0xFF;
            if (i == 0) {
                EXPECT_EQ(k, (255 * 255 >> 9) * (100 - blend) / 100);
            }
            const Word src = Px(*glyph, 1, 29 - i);
            const Word want = src == 0x00FF00FF ? floor : MixPx(src, floor, k, 0x55);
            EXPECT_EQ(got, want) << "row " << i;
            a -= step;
        }
        EXPECT_EQ(Px(*out, 0, 6), floor) << "left of P untouched";
        EXPECT_EQ(Px(*out, 5, 6), floor) << "right of the source columns untouched";
    }

    // Reflected glyph strip: moved up by an eighth of R's height, the reflection below R.
    auto tall = CreateBmp32(4, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 4; ++x) SetPx(*tall, x, y, y == 29 && x == 0 ? 0x00FF00FF : Argb(255, 200, 0, 0));
    auto canvas = Bmp32(8, 64, back);
    DrawGlyphEx(tall.get(), canvas.get(), TRect(1, 8, 5, 40), 1, true, {}, 0, 0, false, true);
    EXPECT_EQ(Px(*canvas, 2, 3), back);
    EXPECT_EQ(Px(*canvas, 2, 4), Argb(255, 200, 0, 0)) << "top moved up by 32 div 8";
    EXPECT_NE(Px(*canvas, 2, 36), back) << "reflection from R's bottom down";
    EXPECT_EQ(Px(*canvas, 2, 35), back);
}

// ---------------------------------------------------------------------------------------------
// Arrows

namespace {

// Ink of an arrow on white: any colour change or raised alpha.
bool ArrowInk(Word p) { return NotWhite(p); }

std::unique_ptr<TBitmap> ArrowOn(int w, int h, TacArrowsStyle style, TacSide side = asBottom, int ppi = 96,
                                 int arrowSize = 0, int lineWidth = 0, TColor color2 = clNone, int angle = 0)
{
    auto bmp = Bmp32(w, h, kWhite);
    DrawArrow(bmp.get(), static_cast<TColor>(0x800000), color2, TRect(0, 0, w, h), side, lineWidth, angle,
              arrowSize, style, ppi);
    GdiFlush();
    return bmp;
}

} // namespace

class SkinArrows : public testing::Test {
protected:
    GdiplusUnit gdiplus;
};

TEST_F(SkinArrows, SolidArrowsAreTrianglesOfTheDocumentedSize)
{
    // Odd width: 9 x 5, a one-pixel tip at (4, 4).
    auto odd = ArrowOn(9, 5, arsSolid1);
    EXPECT_EQ(InkBox(*odd, ArrowInk), TRect(0, 0, 9, 5));
    for (int x = 0; x < 9; ++x) EXPECT_TRUE(ArrowInk(Px(*odd, x, 0))) << x;
    EXPECT_TRUE(ArrowInk(Px(*odd, 4, 4)));
    EXPECT_FALSE(ArrowInk(Px(*odd, 2, 4)));
    EXPECT_FALSE(ArrowInk(Px(*odd, 6, 4)));
    // Even width: 8 x 4 with a two-pixel bottom (3, 3)-(4, 3).
    auto even = ArrowOn(8, 4, arsSolid1);
    EXPECT_EQ(InkBox(*even, ArrowInk), TRect(0, 0, 8, 4));
    EXPECT_TRUE(ArrowInk(Px(*even, 3, 3)));
    EXPECT_TRUE(ArrowInk(Px(*even, 4, 3)));
    EXPECT_FALSE(ArrowInk(Px(*even, 1, 3)));
    EXPECT_FALSE(ArrowInk(Px(*even, 6, 3)));
    // The inside is the colour, opaque.
    EXPECT_EQ(Px(*odd, 4, 1), Argb(255, 0, 0, 0x80));

    // Centred in a larger R; arsDefault and values beyond the styles draw as arsSolid1.
    for (const auto style : {arsSolid1, arsDefault, static_cast<TacArrowsStyle>(42)}) {
        auto wide = ArrowOn(21, 15, style);
        EXPECT_EQ(InkBox(*wide, ArrowInk), TRect(6, 5, 15, 10)) << int(style);
    }
    // arsSolid3: 9 x 8 through GDI+ without edge lines.
    auto solid3 = ArrowOn(9, 8, arsSolid3);
    const TRect box3 = InkBox(*solid3, ArrowInk);
    EXPECT_GE(box3.Left, 0);
    EXPECT_LE(box3.Right, 9);
    EXPECT_GT(box3.Height(), 5);
    EXPECT_EQ(Px(*solid3, 4, 2) & 0xFFFFFF, 0x000080u);
}

TEST_F(SkinArrows, LineArrowsAreChevronsOfTheirLineWidth)
{
    // arsLines1 at 96 PPI: LineWidth 2, glyph 13 x 8, arms (1, 1)-(6, 6) and (6, 6)-(11, 1).
    auto lines1 = ArrowOn(13, 8, arsLines1);
    const TRect box = InkBox(*lines1, ArrowInk);
    EXPECT_GE(box.Left, 0);
    EXPECT_LE(box.Right, 13);
    EXPECT_LE(box.Bottom, 8);
    for (const TPoint p : {TPoint(2, 2), TPoint(4, 4), TPoint(6, 6), TPoint(8, 4), TPoint(10, 2)})
        EXPECT_TRUE(ArrowInk(Px(*lines1, p.X, p.Y))) << p.X << "," << p.Y;
    EXPECT_FALSE(ArrowInk(Px(*lines1, 6, 1))) << "open between the arms";
    EXPECT_FALSE(ArrowInk(Px(*lines1, 0, 7)));
    // An even width is drawn as the next odd one: the same chevron.
    auto even = ArrowOn(12, 8, arsLines1);
    EXPECT_TRUE(ArrowInk(Px(*even, 6, 6)) || ArrowInk(Px(*even, 5, 6)));

    // arsLines2 at 144 PPI: ArrowSize 5 scaled to 7, LineWidth 3 kept: 17 x 3 + 3 + 1 = 7 rows.
    auto lines2 = ArrowOn(17, 7, arsLines2, asBottom, 144, 5, 3);
    const TRect box2 = InkBox(*lines2, ArrowInk);
    EXPECT_LE(box2.Right, 17);
    EXPECT_LE(box2.Bottom, 7);
    EXPECT_GE(box2.Width(), 14) << "arms of 7 reach across 2 x 7 + 3 columns";
    auto centred = ArrowOn(31, 21, arsLines2, asBottom, 144, 5, 3);
    const TRect boxC = InkBox(*centred, ArrowInk);
    EXPECT_GE(boxC.Left, (31 - 17) / 2);
    EXPECT_LE(boxC.Right, (31 - 17) / 2 + 17);
    EXPECT_GE(boxC.Top, (21 - 7) / 2);

    // A fill colour for the line styles fills the inside of the chevron.
    auto filled = ArrowOn(13, 8, arsLines1, asBottom, 96, 0, 0, static_cast<TColor>(0x00C000));
    EXPECT_EQ(Px(*filled, 6, 3) & 0xFFFFFF, 0x00C000u);
    auto sheet = Bmp32(4 * 32, 24, kWhite);
    Paste(*sheet, *lines1, 0);
    Paste(*sheet, *lines2, 32);
    Paste(*sheet, *filled, 64);
    Paste(*sheet, *ArrowOn(13, 8, arsSolid3), 96);
    SaveEnlargedPng(*sheet, L"skin_arrows_lines.png", 6);
}

TEST_F(SkinArrows, SidesAndAnglesTurnTheGlyph)
{
    auto sheet = Bmp32(6 * 24, 2 * 24, kWhite);
    int column = 0;
    struct Case {
        TacSide side;
        TRect box; // the 9 x 5 (or 5 x 9) glyph centred in 21 x 21
        TPoint tip;
        TPoint base;
    } cases[] = {
        {asBottom, TRect(6, 8, 15, 13), TPoint(10, 12), TPoint(6, 8)},
        {asTop, TRect(6, 8, 15, 13), TPoint(10, 8), TPoint(6, 12)},
        {asLeft, TRect(8, 6, 13, 15), TPoint(8, 10), TPoint(12, 6)},
        {asRight, TRect(8, 6, 13, 15), TPoint(12, 10), TPoint(8, 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.side));
        auto bmp = ArrowOn(21, 21, arsSolid1, c.side);
        EXPECT_EQ(InkBox(*bmp, ArrowInk), c.box);
        EXPECT_TRUE(ArrowInk(Px(*bmp, c.tip.X, c.tip.Y)));
        EXPECT_TRUE(ArrowInk(Px(*bmp, c.base.X, c.base.Y)));
        Paste(*sheet, *bmp, 24 * column++);
    }
    // With an angle the whole bitmap is then turned about its centre by angle - 90 degrees.
    auto flat = ArrowOn(21, 21, arsSolid1);
    for (const int angle : {90, 180}) {
        SCOPED_TRACE(angle);
        auto turned = ArrowOn(21, 21, arsSolid1, asBottom, 96, 0, 0, clNone, angle);
        auto want = CreateBmpLike(flat.get());
        CopyBmp(want.get(), flat.get());
        BitBltRotated(want->Canvas()->Handle(), flat.get(), TPoint(10, 10), angle - 90);
        GdiFlush();
        int wrong = 0;
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 21; ++x) wrong += Px(*turned, x, y) != Px(*want, x, y);
        EXPECT_EQ(wrong, 0);
        EXPECT_NE(InkBox(*turned, ArrowInk), InkBox(*flat, ArrowInk)) << "moved or turned";
        Paste(*sheet, *turned, 24 * column++);
    }

    // The DC overload: the same arrow through a copy of R; with an angle through a mask in Color.
    auto onDc = Bmp32(40, 30, kWhite);
    DrawArrow(onDc->Canvas()->Handle(), static_cast<TColor>(0x800000), clNone, TRect(10, 5, 31, 26), asBottom, 0, 0,
              0, arsSolid1, 96);
    GdiFlush();
    EXPECT_EQ(InkBox(*onDc, ArrowInk), TRect(16, 13, 25, 18));
    EXPECT_EQ(Px(*onDc, 20, 14), Argb(255, 0, 0, 0x80));
    auto masked = Bmp32(40, 30, kWhite);
    DrawArrow(masked->Canvas()->Handle(), static_cast<TColor>(0x800000), clNone, TRect(10, 5, 31, 26), asBottom, 0,
              180, 0, arsSolid1, 96);
    GdiFlush();
    const TRect m = InkBox(*masked, ArrowInk);
    EXPECT_TRUE(m.Left >= 10 && m.Right <= 31 && m.Top >= 5 && m.Bottom <= 26);
    EXPECT_NE(m, TRect(16, 13, 25, 18)) << "turned";
    int blue = 0;
    for (int y = m.Top; y < m.Bottom; ++y)
        for (int x = m.Left; x < m.Right; ++x) {
            const Word p = Px(*masked, x, y);
            blue += ByteB(p) >= 0x7E && ByteR(p) < 4 && ByteG(p) < 4;
        }
    EXPECT_GT(blue, 10) << "painted in Color through the mask";
    Paste(*sheet, *onDc, 0, 24);
    Paste(*sheet, *masked, 48, 24);
    SaveEnlargedPng(*sheet, L"skin_arrows.png", 4);
}

TEST_F(SkinArrows, EveryStyleShowsOnEverySideWithItsTipThere)
{
    // Each style in each direction in a 21 x 21 R: ink inside R, some of it in the arrow's own
    // colour, and the narrowest inked line across the axis at the side the arrow points to.
    const TacArrowsStyle styles[] = {arsSolid1, arsLines1, arsSolid2, arsLines2, arsSolid3};
    const TacSide sides[] = {asLeft, asTop, asRight, asBottom};
    auto sheet = Bmp32(4 * 24, 5 * 24, kWhite);
    for (size_t row = 0; row < std::size(styles); ++row)
        for (size_t column = 0; column < std::size(sides); ++column) {
            const TacSide side = sides[column];
            SCOPED_TRACE(testing::Message() << "style " << int(styles[row]) << ", side " << int(side));
            auto bmp = ArrowOn(21, 21, styles[row], side);
            const TRect box = InkBox(*bmp, ArrowInk);
            ASSERT_FALSE(box.IsEmpty());
            int own = 0;
            for (int y = box.Top; y < box.Bottom; ++y)
                for (int x = box.Left; x < box.Right; ++x) {
                    const Word p = Px(*bmp, x, y);
                    own += ByteB(p) >= 0x70 && ByteR(p) < 0x20 && ByteG(p) < 0x20;
                }
            EXPECT_GT(own, 2);
            const bool alongX = side == asLeft || side == asRight;
            const auto spans = InkSpans(box, alongX, [&](int x, int y) { return ArrowInk(Px(*bmp, x, y)); });
            EXPECT_TRUE(TipAt(spans, side == asLeft || side == asTop)) << testing::PrintToString(spans);
            Paste(*sheet, *bmp, 24 * static_cast<int>(column), 24 * static_cast<int>(row));
        }
    SaveEnlargedPng(*sheet, L"skin_arrows_every_style.png", 4);
}

TEST(SkinSmallDrawing, ColorArrowsOnCanvasAndBitmap)
{
    // Canvas, asBottom, Size 96 in (0, 0, 20, 20): rows 7-10 hold columns 6-12, 7-11, 8-10 and 9.
    auto bmp = Bmp32(20, 20, kWhite);
    DrawColorArrow(bmp->Canvas(), static_cast<TColor>(0x0000C0), TRect(0, 0, 20, 20), asBottom, 96);
    GdiFlush();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const int i = y - 7;
            const bool want = i >= 0 && i <= 3 && x >= 6 + i && x <= 12 - i;
            EXPECT_EQ(NotWhite(Px(*bmp, x, y)), want) << x << "," << y;
        }
    EXPECT_EQ(Px(*bmp, 9, 10) & 0xFFFFFF, 0xC00000u);
    // asLeft: the base is a column of 2S + 1 = 7 pixels, the tip one pixel.
    auto left = Bmp32(20, 20, kWhite);
    DrawColorArrow(left->Canvas(), static_cast<TColor>(0x0000C0), TRect(0, 0, 20, 20), asLeft, 96);
    EXPECT_EQ(InkBox(*left, NotWhite), TRect(8, 7, 12, 14));
    EXPECT_TRUE(NotWhite(Px(*left, 8, 10)));

    // Bitmap overload: whole pixel words, triangles in a 5 x 3 (or 3 x 5) box.
    struct Case {
        TacSide side;
        TRect box;
        TPoint tip;
    } cases[] = {{asBottom, TRect(8, 9, 13, 12), TPoint(10, 11)},
                 {asTop, TRect(8, 9, 13, 12), TPoint(10, 9)},
                 {asLeft, TRect(9, 9, 12, 14), TPoint(9, 11)},
                 {asRight, TRect(9, 9, 12, 14), TPoint(11, 11)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.side));
        auto words = Bmp32(21, 21, kWhite);
        DrawColorArrow(words.get(), static_cast<TColor>(0x0000C0), TRect(0, 0, 21, 21), c.side, 96);
        EXPECT_EQ(InkBox(*words, NotWhite), c.box);
        EXPECT_EQ(Px(*words, c.tip.X, c.tip.Y), 0x00C00000u) << "the colour's word, red and blue exchanged";
    }
    // A box that does not lie inside the bitmap draws nothing.
    auto tiny = Bmp32(4, 4, kWhite);
    DrawColorArrow(tiny.get(), static_cast<TColor>(0x0000C0), TRect(0, 0, 4, 4), asBottom, 96);
    EXPECT_TRUE(InkBox(*tiny, NotWhite).IsEmpty());
}

// ---------------------------------------------------------------------------------------------
// Bitmaps, icons and lines

TEST(SkinSmallDrawing, DrawBmpCompositesWithAlphaScaledAndReflected)
{
    // Left half opaque red, right half transparent blue.
    const auto picture = [](int w, int h) {
        auto bmp = CreateBmp32(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) SetPx(*bmp, x, y, x < w / 2 ? Argb(255, 200, 0, 0) : Argb(0, 0, 0, 200));
        return bmp;
    };
    constexpr Word back = Argb(255, 0, 100, 0);
    const auto red = [](Word p) { return ByteR(p) >= 198 && ByteG(p) < 3 && ByteB(p) < 3; };
    const auto behind = [](Word p) { return (p & 0xFFFFFF) == (back & 0xFFFFFF); };
    auto small = picture(4, 4);
    // Same size: opaque half drawn, transparent half keeps the canvas.
    auto canvas = Bmp32(10, 10, back);
    DrawBmp(canvas->Canvas(), small.get(), TRect(3, 2, 7, 6), false);
    GdiFlush();
    EXPECT_TRUE(red(Px(*canvas, 3, 2)));
    EXPECT_TRUE(red(Px(*canvas, 4, 5)));
    EXPECT_TRUE(behind(Px(*canvas, 5, 2)));
    EXPECT_TRUE(behind(Px(*canvas, 2, 2)));
    EXPECT_TRUE(behind(Px(*canvas, 3, 6)));
    // Scaled to 8 x 8: colour and alpha scaled alike.
    auto scaled = Bmp32(12, 12, back);
    DrawBmp(scaled->Canvas(), small.get(), TRect(2, 2, 10, 10), false);
    GdiFlush();
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inRed = x >= 2 && x < 6 && y >= 2 && y < 10;
            EXPECT_TRUE(inRed ? red(Px(*scaled, x, y)) : behind(Px(*scaled, x, y))) << x << "," << y;
        }
    // Reflected: a fading copy below R, no further than half R's height.
    auto big = picture(8, 8);
    auto reflected = Bmp32(14, 20, back);
    DrawBmp(reflected->Canvas(), big.get(), TRect(3, 2, 11, 10), true);
    GdiFlush();
    EXPECT_TRUE(red(Px(*reflected, 3, 9)));
    int below = 0;
    for (int y = 10; y < 20; ++y)
        for (int x = 0; x < 14; ++x)
            if (!behind(Px(*reflected, x, y))) {
                ++below;
                EXPECT_TRUE(y < 14 && x >= 3 && x < 7) << x << "," << y;
            }
    EXPECT_GT(below, 0);
    // Not 32-bit: stretched.
    TBitmap plain(2, 2, pf24bit);
    plain.Canvas()->Brush()->SetColor(clBlue);
    plain.Canvas()->FillRect(TRect(0, 0, 2, 2));
    auto stretched = Bmp32(10, 10, back);
    DrawBmp(stretched->Canvas(), &plain, TRect(1, 1, 9, 9), false);
    EXPECT_EQ(InkBox(*stretched, [](Word p) { return (p & 0xFFFFFF) == 0x0000FF; }), TRect(1, 1, 9, 9));
}

TEST(SkinSmallDrawing, CompositeIconKeepsTheAlphaAndLinesUseThePen)
{
    auto picture = Bmp32(16, 16, Argb(128, 0, 0, 200));
    HICON icon = MakeCompIcon(picture.get());
    ASSERT_TRUE(icon);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, 16);
    EXPECT_EQ(mask.bmBitsPixel, 1);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    auto drawn = Bmp32(16, 16, Argb(255, 255, 255, 255));
    DrawIconEx(drawn->Canvas()->Handle(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const Word p = Px(*drawn, 5, 5);
    EXPECT_TRUE(ByteB(p) > ByteR(p) && ByteR(p) > 60) << "half-transparent blue over white: " << std::hex << p;
    DestroyIcon(icon);
    EXPECT_EQ(MakeCompIcon(nullptr), nullptr);

    auto lines = Bmp32(10, 10, Argb(255, 255, 255, 255));
    lines->Canvas()->Pen()->SetColor(clRed);
    HDC dc = lines->Canvas()->Handle();
    HGDIOBJ old = SelectObject(dc, lines->Canvas()->Pen()->Handle());
    acPaintLine(dc, 1, 2, 8, 2);
    SelectObject(dc, old);
    GdiFlush();
    EXPECT_EQ(InkBox(*lines, NotWhite), TRect(1, 2, 8, 3));
    EXPECT_EQ(Px(*lines, 4, 2) & 0xFFFFFF, 0xFF0000u);
}
