// A skin section's background and item painted over a parent: transparency against a ready,
// a coloured and a half-finished parent, the state limits, texture and gradient shares, the
// custom colour with the overlay texture, the fast variant's differences, the corner images
// under the border, the device-context painter and what makes the painters do nothing.
#include "skin_graphics_test_skin_image.h"
#include "skin_graphics_test_units.h"

#include "sAlphaGraph.h"
#include "sGradient.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsTile.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

constexpr TColor kColor = 0x204060; // red 0x60, green 0x40, blue 0x20
constexpr Word kColorPx = Argb(255, 0x60, 0x40, 0x20);
constexpr TColor kFill = 0x10C080;  // a parent's plain colour
constexpr Word kFillPx = Argb(255, 0x80, 0xC0, 0x10);
constexpr TColor kGrad = 0x3070B0;  // the one colour of a flat gradient
constexpr Word kGradPx = Argb(255, 0xB0, 0x70, 0x30);
constexpr TColor kCustom = 0x5A3C1E;
constexpr Word kCustomPx = Argb(255, 0x1E, 0x3C, 0x5A);

// The texture's pixel at (x, y) of R: 4 x 4 tiles from R's top-left, all pixels different.
Word TexPx(int x, int y) { return Argb(255, 10 + 60 * (x % 4), 20 + 50 * (y % 4), 100); }
Word PxOf(TColor c) { return 0xFF000000u | static_cast<Word>(SwapRedBlue(static_cast<std::int32_t>(c)) & 0xFFFFFF); }

enum Image { kTexture, kOverlay, kBorder, kBorder2, kTL, kTR, kBL, kBR };
constexpr std::array<Word, 4> kCornerPx = {Argb(255, 250, 0, 0), Argb(255, 0, 250, 0), Argb(255, 0, 0, 250),
                                           Argb(255, 250, 250, 0)};
constexpr Word kRingPx = Argb(255, 0x30, 0x30, 0xC0);
constexpr Word kRing2Px = Argb(255, 0xC0, 0x30, 0x30);

// Section 0 over a manager of its own; its images: a plain texture, a masked overlay texture
// (DrawMode 10), two 8 x 8 border rings of width 1 (the centre not drawn), four 3 x 3 corners.
struct SectionSkin {
    TsSkinManager manager{nullptr};
    TacSkinData* data = nullptr;
    std::vector<std::unique_ptr<TBitmap>> bitmaps;
    SectionSkin()
    {
        manager.SkinDataArray.push_back(std::make_unique<TacSkinData>(&manager, 96));
        data = manager.SkinDataArray[0].get();
        data->gd.resize(1);
        Section().States = 3;
        Section().BorderIndex = -1;
        Section().ImgTL = Section().ImgTR = Section().ImgBL = Section().ImgBR = -1;
        for (TsGenState& s : Section().Props) {
            s.Color = kColor;
            s.TextureIndex = kTexture;
        }
        Add(DrawImage(4, 4, 1, [](int, int x, int y) { return TexPx(x, y); }), false, 0, 0);
        Add(DrawImage(
                4, 4, 1, [](int, int x, int) { return Argb(255, 255, 255, x * 60); },
                [](int, int x, int y) { return Grey(x == y ? 0 : 255); }),
            true, fmDisTiled, 0);
        for (const Word ring : {kRingPx, kRing2Px})
            Add(DrawImage(8, 8, 1, [ring](int, int x, int y) { return x == 0 || y == 0 || x == 7 || y == 7 ? ring : 0u; }),
                false, 0, 1);
        for (const Word c : kCornerPx) Add(DrawImage(3, 3, 1, [c](int, int, int) { return c; }), false, 0, 0);
    }
    void Add(std::unique_ptr<TBitmap> bmp, bool masked, int drawMode, int border)
    {
        const int h = masked ? bmp->Height() / 2 : bmp->Height();
        data->ma.push_back(ImageRecord(&manager, bmp.get(), TRect(0, 0, bmp->Width(), bmp->Height()), 1, masked,
                                       drawMode, border, border, border, border));
        data->ma.back().Height = h;
        bitmaps.push_back(std::move(bmp));
    }
    TsGeneralData& Section() { return data->gd[0]; }
    TsGenState& S(int i = 0) { return Section().Props[static_cast<size_t>(i)]; }
    void Layers(int image, int gradient, int transparency, int state = 0)
    {
        S(state).ImagePercent = image;
        S(state).GradientPercent = gradient;
        S(state).Transparency = transparency;
    }
};

TsGradArray Flat(TColor c, int mode = 0)
{
    TsGradArray arr(2);
    arr[0].Index = 0, arr[0].Mode = mode, arr[0].Color.C = c, arr[0].Percent = 100;
    arr[1].Index = 1, arr[1].Mode = mode, arr[1].Color.C = c, arr[1].Percent = 0;
    return arr;
}
TsGradArray RedToBlue(int mode = 0)
{
    TsGradArray arr = Flat(0x0000FF, mode);
    arr[1].Color.C = 0xFF0000;
    return arr;
}

const TRect kR(2, 1, 10, 7); // inside a 12 x 9 bitmap
const TPoint kP(3, 2);       // R's place in the parent, from CI's origin

using Expect = std::function<Word(int x, int y)>; // x, y inside R, from R's top-left

// Every pixel of R as want gives it, every other one as in before.
int CheckR(TBitmap& bmp, TBitmap& before, const TRect& r, const Expect& want, const std::string& what)
{
    int wrong = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            const Word w = r.Contains(TPoint(x, y)) ? want(x - r.Left, y - r.Top) : Px(before, x, y);
            if (Px(bmp, x, y) != w && ++wrong < 4)
                ADD_FAILURE() << what << " at " << x << "," << y << ": " << std::hex << Px(bmp, x, y)
                              << " instead of " << w;
        }
    return wrong;
}

TCacheInfo FillCI(TColor fill, TBitmap* bmp = nullptr)
{
    TCacheInfo ci;
    ci.Bmp = bmp;
    ci.FillColor = fill;
    ci.Ready = false;
    return ci;
}

} // namespace

TEST(SectionBackground, TransparencyAgainstTheParent)
{
    GradientUnits units;
    SectionSkin skin;
    auto parent = Numbered(30, 20, 0xFF203000);
    const TPoint src(1 + kP.X, 4 + kP.Y); // the parent's pixel under R's top-left
    const auto parentPx = [&](int x, int y) { return Px(*parent, src.X + x, src.Y + y); };
    const int w50 = 50 * 255 / 100;
    struct Case {
        const char* what;
        int image, transparency;
        bool ciIsItem; // the parent's image is the item bitmap itself
        TCacheInfo ci;
        Expect want;
    } cases[] = {
        {"100, parent image is the item", 0, 100, true, {}, nullptr},
        {"100, ready parent", 0, 100, false, ReadyCache(parent.get(), 1, 4), parentPx},
        {"100, parent colour", 0, 100, false, FillCI(kFill), [](int, int) { return kFillPx; }},
        {"50, ready parent", 0, 50, false, ReadyCache(parent.get(), 1, 4),
         [&](int x, int y) { return MixPx(parentPx(x, y), kColorPx, w50, 255); }},
        {"50, parent colour", 0, 50, false, FillCI(kFill),
         [](int, int) { return PxOf(BlendColors(kFill, kColor, 50 * 255 / 100)); }},
        {"50, parent colour, textured", 100, 50, false, FillCI(kFill),
         [](int x, int y) { return MixPx(kFillPx, TexPx(x, y), 127, 255); }},
        {"50, parent gives nothing", 0, 50, false, FillCI(sFuchsia), [](int, int) { return kColorPx; }},
        {"0, ready parent", 0, 0, false, ReadyCache(parent.get(), 1, 4), [](int, int) { return kColorPx; }},
    };
    for (Case& c : cases) {
        skin.Layers(c.image, 0, c.transparency);
        auto bmp = Numbered(12, 9);
        auto before = Copy32(*bmp);
        if (c.ciIsItem) {
            c.ci = ReadyCache(bmp.get(), 0, 0);
            c.want = [&](int x, int y) { return Px(*before, kR.Left + x, kR.Top + y); };
        }
        PaintItemBG(0, c.ci, 0, kR, kP, bmp.get(), skin.data);
        EXPECT_EQ(CheckR(*bmp, *before, kR, c.want, c.what), 0) << c.what;
    }
}

TEST(SectionBackground, HalfFinishedParentGivesItsFinishedStrips)
{
    SectionSkin skin;
    skin.Layers(0, 0, 100);
    auto parent = Numbered(40, 30, 0xFF406000);
    auto bmp = Numbered(24, 20);
    auto before = Copy32(*bmp);
    const TRect r(1, 1, 21, 17);   // 20 x 16
    TCacheInfo ci = FillCI(kFill, parent.get());
    ci.X = 2, ci.Y = 3;
    // Finished: left of 10, above 8, the right 20 and the bottom 14 (widths from the edges).
    ci.FillRect = TRect(10, 8, 20, 14);
    const TPoint pP(4, 2); // the item spans 4..24 x 2..18 of the parent
    const int dl = 10 - 4, dt = 8 - 2, dr = 24 - (40 - 20), db = 18 - (30 - 14);
    PaintItemBG(0, ci, 0, r, pP, bmp.get(), skin.data);
    const auto want = [&](int x, int y) {
        const bool strip = x < dl || y < dt || x >= 20 - dr || y >= 16 - db;
        return strip ? Px(*parent, ci.X + pP.X + x, ci.Y + pP.Y + y) : kFillPx;
    };
    EXPECT_EQ(CheckR(*bmp, *before, r, want, "strips"), 0);

    // A finished left part wider than the item: the whole item from the parent, nothing beside it.
    ci.FillRect = TRect(35, 0, 0, 0);
    bmp = Numbered(24, 20);
    PaintItemBG(0, ci, 0, r, pP, bmp.get(), skin.data);
    EXPECT_EQ(CheckR(*bmp, *before, r, [&](int x, int y) { return Px(*parent, ci.X + pP.X + x, ci.Y + pP.Y + y); },
                     "left part only"),
              0);
}

TEST(SectionBackground, StatesAreLimitedBySectionAndToTwo)
{
    SectionSkin skin;
    const std::array<TColor, 3> colours = {0x000011, 0x002200, 0x330000};
    for (int i = 0; i < 3; ++i) skin.S(i).Color = colours[static_cast<size_t>(i)];
    struct Case {
        int states, state, used;
    } cases[] = {{3, 1, 1}, {3, 7, 2}, {2, 2, 1}, {2, 5, 1}, {1, 2, 0}};
    for (const Case& c : cases) {
        skin.Section().States = c.states;
        auto bmp = Bmp32(12, 9, 0);
        auto before = Copy32(*bmp);
        PaintItemBG(0, EmptyCI, c.state, kR, kP, bmp.get(), skin.data);
        const Word want = PxOf(colours[static_cast<size_t>(c.used)]);
        EXPECT_EQ(CheckR(*bmp, *before, kR, [want](int, int) { return want; }, "state"), 0)
            << c.states << " states, state " << c.state;
    }
}

TEST(SectionBackground, TextureGradientAndColourShares)
{
    GradientUnits units;
    SectionSkin skin;
    const int t76 = 30 * 255 / 100, c153 = 60 * 255 / 100;
    const auto blend = [](Word p, Word c, int w) {
        const auto ch = [w](int a, int b) { return (a * w + b * (255 - w)) >> 8; };
        return Argb(ByteA(p), ch(ByteR(p), ByteR(c)), ch(ByteG(p), ByteG(c)), ch(ByteB(p), ByteB(c)));
    };
    struct Case {
        const char* what;
        int image, gradient;
        TsGradArray g;
        TColor custom;
        Expect want;
    } cases[] = {
        {"texture 30, gradient 30", 30, 30, Flat(kGrad), sFuchsia,
         [&](int x, int y) { return blend(MixPx(TexPx(x, y), kGradPx, t76, 255), kColorPx, c153); }},
        {"gradient without points", 0, 100, {}, sFuchsia, [](int, int) { return kColorPx; }},
        {"texture alone", 100, 0, {}, sFuchsia, [](int x, int y) { return TexPx(x, y); }},
        {"custom colour", 30, 30, Flat(kGrad), kCustom, [](int, int) { return kCustomPx; }},
    };
    for (const Case& c : cases) {
        skin.Layers(c.image, c.gradient, c.custom == sFuchsia ? 0 : 40);
        skin.S().GradientArray = c.g;
        auto bmp = Bmp32(12, 9, 0xFF000000);
        auto before = Copy32(*bmp);
        PaintItemBG(0, FillCI(kFill), 0, kR, kP, bmp.get(), skin.data, -1, -1, c.custom);
        EXPECT_EQ(CheckR(*bmp, *before, kR, c.want, c.what), 0) << c.what;
    }

    // The custom colour keeps the state's overlay texture (masked, DrawMode 10).
    skin.S().TextureIndex = kOverlay;
    auto bmp = Bmp32(12, 9, 0xFF000000);
    PaintItemBG(0, FillCI(kFill), 0, kR, kP, bmp.get(), skin.data, -1, -1, kCustom);
    auto want = Bmp32(12, 9, 0xFF000000);
    FillRect32(want.get(), kR, kCustom, 255);
    TRect r = kR;
    TCacheInfo shifted = FillCI(kFill);
    shifted.X = kP.X, shifted.Y = kP.Y;
    TileMasked(want.get(), r, shifted, skin.data->ma[kOverlay], fmDisTiled);
    EXPECT_EQ(CheckR(*bmp, *want, TRect(), nullptr, "overlay texture"), 0);
    EXPECT_NE(Px(*bmp, kR.Left, kR.Top), kCustomPx) << "the overlay covers the colour where its mask is black";
}

TEST(SectionBackground, FastVariantDiffers)
{
    GradientUnits units;
    SectionSkin skin;
    // The overlay gradient (bit 0x20 of point 0) over the plain colour, in both painters.
    const TsGradArray overlay = RedToBlue(0x20);
    auto overlaid = Bmp32(12, 9, 0xFF000000);
    FillRect32(overlaid.get(), kR, kColor, 255);
    PaintGrad(overlaid.get(), kR, overlay, 0, 0);
    struct Case {
        const char* what;
        int image, gradient, texture;
        TsGradArray g;
        Expect regular, fast;
    } cases[] = {
        // Shares above 100: nothing more in the regular painter, the colour in the fast one.
        {"shares above 100", 50, 60, 99, Flat(kGrad), [](int, int) { return kGradPx; },
         [](int, int) { return kColorPx; }},
        // A texture argument of -1: the state's texture, only in the regular painter.
        {"state's texture", 100, 0, kTexture, {}, [](int x, int y) { return TexPx(x, y); },
         [](int, int) { return kColorPx; }},
        {"overlay gradient", 0, 60, kTexture, overlay,
         [&](int x, int y) { return Px(*overlaid, kR.Left + x, kR.Top + y); },
         [&](int x, int y) { return Px(*overlaid, kR.Left + x, kR.Top + y); }},
    };
    for (const Case& c : cases) {
        skin.Layers(c.image, c.gradient, 0);
        skin.S().TextureIndex = c.texture;
        skin.S().GradientArray = c.g;
        auto bmp = Bmp32(12, 9, 0xFF000000);
        auto before = Copy32(*bmp);
        PaintItemBG(0, EmptyCI, 0, kR, kP, bmp.get(), skin.data);
        EXPECT_EQ(CheckR(*bmp, *before, kR, c.regular, c.what), 0) << c.what << " (regular)";
        auto fast = Copy32(*before);
        PaintItemBGFast(0, -1, -1, EmptyCI, 0, kR, kP, fast.get(), skin.data);
        EXPECT_EQ(CheckR(*fast, *before, kR, c.fast, c.what), 0) << c.what << " (fast)";
    }
}

TEST(SectionItem, CornersUnderTheBorderAndTheGivenMask)
{
    SectionSkin skin;
    skin.Section().ImgTL = kTL, skin.Section().ImgTR = kTR, skin.Section().ImgBL = kBL, skin.Section().ImgBR = kBR;
    skin.Section().BorderIndex = kBorder;
    const auto want = [](Word ring) {
        return [ring](int x, int y) {
            const int w = WidthOf(kR), h = HeightOf(kR);
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) return ring;
            const bool left = x < 3, top = y < 3, right = x >= w - 3, bottom = y >= h - 3;
            if (left && top) return kCornerPx[0];
            if (right && top) return kCornerPx[1];
            if (left && bottom) return kCornerPx[2];
            if (right && bottom) return kCornerPx[3];
            return kColorPx;
        };
    };
    auto bmp = Bmp32(12, 9, 0xFF000000);
    auto before = Copy32(*bmp);
    PaintItem(0, EmptyCI, true, 0, kR, kP, bmp.get(), skin.data);
    EXPECT_EQ(CheckR(*bmp, *before, kR, want(kRingPx), "section's border"), 0);
    PaintItem(0, EmptyCI, true, 0, kR, kP, bmp.get(), skin.data, skin.data->ma[kBorder2]);
    EXPECT_EQ(CheckR(*bmp, *before, kR, want(kRing2Px), "given border"), 0);

    // The fast item: no corners, the border given by index.
    auto fast = Copy32(*before);
    PaintItemFast(0, kBorder2, -1, -1, EmptyCI, true, 0, kR, kP, fast.get(), skin.data);
    EXPECT_EQ(CheckR(*fast, *before, kR,
                     [](int x, int y) {
                         return x == 0 || y == 0 || x == WidthOf(kR) - 1 || y == HeightOf(kR) - 1 ? kRing2Px
                                                                                                : kColorPx;
                     },
                     "fast item"),
              0);
}

TEST(SectionItem, DeviceContextPainterUsesAWorkBitmapAndRestoresTheDC)
{
    SectionSkin skin;
    skin.Section().ImgTL = kTL;
    skin.Section().BorderIndex = kBorder;
    auto alone = Bmp32(WidthOf(kR), HeightOf(kR), 0);
    PaintItem(0, EmptyCI, true, 0, TRect(0, 0, WidthOf(kR), HeightOf(kR)), kP, alone.get(), skin.data);

    auto target = Numbered(12, 9);
    auto before = Copy32(*target);
    HDC dc = target->Canvas()->Handle();
    POINT originBefore{}, originAfter{};
    SetViewportOrgEx(dc, 0, 0, &originBefore);
    const int levelBefore = SaveDC(dc);
    RestoreDC(dc, levelBefore);
    PaintItem(0, EmptyCI, true, 0, kR, kP, dc, skin.data);
    GdiFlush();
    GetViewportOrgEx(dc, &originAfter);
    EXPECT_EQ(originAfter.x, originBefore.x);
    EXPECT_EQ(SaveDC(dc), levelBefore) << "the DC's saved states are balanced";
    RestoreDC(dc, -1);
    EXPECT_EQ(CheckR(*target, *before, kR, [&](int x, int y) { return Px(*alone, x, y); }, "on the DC"), 0);
}

TEST(SectionItem, NothingPaintedWithoutWhatItNeeds)
{
    SectionSkin skin;
    skin.Section().BorderIndex = kBorder;
    struct Case {
        const char* what;
        int index;
        TRect r;
        bool nilBitmap;
        bool dcToo; // the device-context painter does not know the bitmap's size
        bool bgToo; // the background painter clips R to the bitmap
    } cases[] = {
        {"unknown section", 1, kR, false, true, true},
        {"empty rectangle", 0, TRect(3, 3, 3, 7), false, true, true},
        {"right of the bitmap", 0, TRect(2, 1, 13, 7), false, false, false},
        {"above the bitmap", 0, TRect(2, -1, 10, 7), false, true, false},
        {"nil bitmap", 0, kR, true, false, true},
    };
    for (const Case& c : cases) {
        auto bmp = Numbered(12, 9);
        auto before = Copy32(*bmp);
        TBitmap* target = c.nilBitmap ? nullptr : bmp.get();
        PaintItem(c.index, EmptyCI, true, 0, c.r, kP, target, skin.data);
        PaintItemFast(c.index, kBorder, -1, -1, EmptyCI, true, 0, c.r, kP, target, skin.data);
        if (c.bgToo) PaintItemBG(c.index, EmptyCI, 0, c.r, kP, target, skin.data);
        if (c.dcToo) PaintItem(c.index, EmptyCI, true, 0, c.r, kP, bmp->Canvas()->Handle(), skin.data);
        EXPECT_EQ(CheckR(*bmp, *before, TRect(), nullptr, c.what), 0) << c.what;
    }
    // Skin data without a manager.
    auto bmp = Numbered(12, 9);
    auto before = Copy32(*bmp);
    TacSkinData orphan(nullptr, 96);
    orphan.gd.resize(1);
    PaintItem(0, EmptyCI, true, 0, kR, kP, bmp.get(), &orphan);
    PaintItemBG(0, EmptyCI, 0, kR, kP, bmp.get(), &orphan);
    EXPECT_EQ(CheckR(*bmp, *before, TRect(), nullptr, "no manager"), 0);
}
