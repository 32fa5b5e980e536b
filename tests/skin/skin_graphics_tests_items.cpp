// A skin section painted into a 32-bit bitmap with its alpha: transparency, the colour argument,
// texture and gradient alone, together and in one pass, the colour step by the layers' share,
// and the item painter with its border and premultiplication.
#include "skin_graphics_test_png.h"
#include "skin_graphics_test_skin_image.h"

#include "SysUtils.h"
#include "sAlphaGraph.h"
#include "sGradient.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr Word kTex = Argb(255, 200, 100, 50);
constexpr TColor kColor = 0x204060; // red 0x60, green 0x40, blue 0x20
constexpr Word kColorPx = Argb(255, 0x60, 0x40, 0x20);
constexpr Word kUnder = Argb(200, 10, 150, 90);

// One section (index 0) over a manager of its own; image 0 a plain 4 x 4 texture, image 1 a
// keyed 6 x 6 border with borders of 2 and key top-left corners.
struct ItemSkin {
    TsSkinManager manager{nullptr};
    TacSkinData* data = nullptr;
    std::unique_ptr<TBitmap> texture = Bmp32(4, 4, kTex);
    std::unique_ptr<TBitmap> border;
    ItemSkin()
    {
        manager.SkinDataArray.push_back(std::make_unique<TacSkinData>(&manager, 96));
        data = manager.SkinDataArray[0].get();
        data->gd.resize(1);
        data->gd[0].States = 3;
        data->gd[0].BorderIndex = -1;
        for (TsGenState& s : data->gd[0].Props) {
            s.Color = kColor;
            s.TextureIndex = 0;
        }
        data->ma.push_back(ImageRecord(&manager, texture.get(), TRect(0, 0, 4, 4), 1, false, 0, 0, 0, 0, 0));
        border = DrawImage(6, 6, 1, [](int, int x, int y) {
            return x < 1 && y < 1 ? Word{0x00FF00FF} : Argb(255, 0x30, 0x30, 0xC0);
        });
        data->ma.push_back(ImageRecord(&manager, border.get(), TRect(0, 0, 6, 6), 1, false, 0, 2, 2, 2, 2));
    }
    TsGenState& S(int i = 0) { return data->gd[0].Props[static_cast<size_t>(i)]; }
    void Layers(int image, int gradient, int transparency, int state = 0)
    {
        S(state).ImagePercent = image;
        S(state).GradientPercent = gradient;
        S(state).Transparency = transparency;
    }
};

// Two points of different colours, rows from top to bottom.
TsGradArray TwoColours()
{
    TsGradArray arr(2);
    arr[0].Index = 0, arr[0].Mode = 0, arr[0].Color.C = 0x0000FF, arr[0].Percent = 100;
    arr[1].Index = 1, arr[1].Mode = 0, arr[1].Color.C = 0xFF0000, arr[1].Percent = 0;
    return arr;
}

bool Equal(TBitmap& a, TBitmap& b, const std::string& what)
{
    int wrong = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (Px(a, x, y) != Px(b, x, y) && ++wrong < 4)
                ADD_FAILURE() << what << " at " << x << "," << y << ": " << std::hex << Px(a, x, y) << " instead of "
                              << Px(b, x, y);
    return wrong == 0;
}

const TRect kR(2, 1, 10, 7); // inside a 12 x 9 bitmap

} // namespace

TEST(SkinItems, TransparencyAndTheColourArgument)
{
    ItemSkin skin;
    skin.Layers(30, 50, 100);
    // Fully transparent: alpha 0 everywhere on a bitmap of R's size, nothing on a larger one.
    auto exact = Bmp32(8, 6, kUnder);
    PaintItemBG32(0, 0, TRect(0, 0, 8, 6), exact.get(), skin.data, sFuchsia);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(ByteA(Px(*exact, x, y)), 0);
    auto larger = Bmp32(12, 9, kUnder), same = Bmp32(12, 9, kUnder);
    PaintItemBG32(0, 0, kR, larger.get(), skin.data, sFuchsia);
    EXPECT_TRUE(Equal(*larger, *same, "transparency 100 on a larger bitmap"));

    // Another colour fills R at alpha 255 whatever the layers (texture, gradient, transparency).
    skin.Layers(30, 50, 40);
    skin.S().GradientArray = TwoColours();
    auto bmp = Bmp32(12, 9, kUnder);
    PaintItemBG32(0, 0, kR, bmp.get(), skin.data, 0x123456);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(Px(*bmp, x, y), kR.Contains(TPoint(x, y)) ? Argb(255, 0x56, 0x34, 0x12) : kUnder)
                << x << "," << y;
    // An unknown section paints nothing.
    auto untouched = Bmp32(12, 9, kUnder);
    PaintItemBG32(1, 0, kR, untouched.get(), skin.data, 0x123456);
    EXPECT_TRUE(Equal(*untouched, *same, "unknown section"));
}

TEST(SkinItems, ColourStepByTheLayersShare)
{
    ItemSkin skin;
    const int opacity60 = 60 * 255 / 100;
    const auto mixed = [](int c, int k) { return c - (c - k) * 60 / 100; };
    struct Case {
        const char* what;
        Word under;
        int transparency;
        Word inside;
    } cases[] = {
        {"nothing painted: the colour at the state's opacity", 0, 40, Argb(opacity60, 0x60, 0x40, 0x20)},
        {"painted, opaque section", kUnder, 0, kColorPx},
        {"painted, mixed in", kUnder, 40,
         Argb(std::max(200, opacity60), mixed(10, 0x60), mixed(150, 0x40), mixed(90, 0x20))},
        {"painted with low alpha", Argb(50, 10, 150, 90), 40,
         Argb(opacity60, mixed(10, 0x60), mixed(150, 0x40), mixed(90, 0x20))},
    };
    for (const Case& c : cases) {
        skin.Layers(0, 0, c.transparency);
        auto bmp = Bmp32(12, 9, c.under);
        PaintItemBG32(0, 0, kR, bmp.get(), skin.data, sFuchsia);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x)
                EXPECT_EQ(Px(*bmp, x, y), kR.Contains(TPoint(x, y)) ? c.inside : c.under)
                    << c.what << " " << x << "," << y;
    }

    // 0 < p < 100: the colour mixed into the texture at weight p * 255 / 100, only inside R.
    skin.Layers(40, 0, 0);
    auto bmp = Bmp32(12, 9, kUnder);
    PaintItemBG32(0, 0, kR, bmp.get(), skin.data, sFuchsia);
    const int w = 40 * 255 / 100, k = 255 - w;
    const Word blended = Argb(255, (200 * w + 0x60 * k) >> 8, (100 * w + 0x40 * k) >> 8, (50 * w + 0x20 * k) >> 8);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(Px(*bmp, x, y), kR.Contains(TPoint(x, y)) ? blended : kUnder) << "p = 40 at " << x << "," << y;

    // p = 100: the texture alone.
    skin.Layers(100, 0, 0);
    PaintItemBG32(0, 0, kR, bmp.get(), skin.data, sFuchsia);
    EXPECT_EQ(Px(*bmp, kR.Left, kR.Top), kTex);
    EXPECT_EQ(Px(*bmp, kR.Right - 1, kR.Bottom - 1), kTex);

    // A texture that covers only its first rows (tiled along the top) leaves the rest to the
    // colour at alpha 255.
    skin.data->ma[0].DrawMode = 2;
    PaintItemBG32(0, 0, kR, bmp.get(), skin.data, sFuchsia);
    EXPECT_EQ(Px(*bmp, kR.Left, kR.Top + 3), kTex);
    EXPECT_EQ(Px(*bmp, kR.Left, kR.Top + 4), kColorPx);
}

TEST(SkinItems, TextureAndGradient)
{
    GradientUnits units;
    ItemSkin skin;
    // Texture then gradient: the gradient painted apart and summed onto the texture at the
    // texture's weight, then the colour at the layers' share (90 %).
    skin.Layers(60, 30, 0);
    skin.S().GradientArray = TwoColours();
    auto bmp = Bmp32(12, 9, kUnder);
    PaintItemBG32(0, 0, kR, bmp.get(), skin.data, sFuchsia);
    auto grad = CreateBmp32(kR.Width(), kR.Height());
    PaintGrad(grad.get(), TRect(0, 0, kR.Width(), kR.Height()), TwoColours(), 0, 0);
    auto want = Bmp32(12, 9, kUnder);
    const int wt = 60 * 255 / 100, wc = 90 * 255 / 100;
    for (int y = 0; y < kR.Height(); ++y)
        for (int x = 0; x < kR.Width(); ++x) {
            const Word g = Px(*grad, x, y);
            const Word t = MixPx(kTex, g, wt, MixOf(255, ByteA(g), wt));
            const auto c = [&](int v, int k) { return (v * wc + k * (255 - wc)) >> 8; };
            SetPx(*want, kR.Left + x, kR.Top + y,
                  Argb(ByteA(t), c(ByteR(t), 0x60), c(ByteG(t), 0x40), c(ByteB(t), 0x20)));
        }
    EXPECT_TRUE(Equal(*bmp, *want, "texture then gradient"));
    EXPECT_EQ(skin.S().GradientArray[0].Mode, 0) << "the array is not marked over a texture";

    // Texture and gradient adding up to 100 with a plain texture and rows: one pass, its alpha
    // 255 below a transparency of 50 and 0 from 50 on.
    for (const auto& [t, alpha] : {std::pair{0, 255}, std::pair{49, 255}, std::pair{50, 0}, std::pair{80, 0}}) {
        skin.Layers(60, 40, t);
        auto one = Bmp32(12, 9, kUnder), ref = Bmp32(12, 9, kUnder);
        PaintItemBG32(0, 0, kR, one.get(), skin.data, sFuchsia);
        PaintGradTxt(ref.get(), kR, TwoColours(), skin.texture.get(), TRect(0, 0, 4, 4),
                     static_cast<std::uint8_t>(60 * 255 / 100), static_cast<std::uint8_t>(alpha));
        EXPECT_TRUE(Equal(*one, *ref, "one pass, transparency " + std::to_string(t)));
    }
    EXPECT_EQ(static_cast<int>(Round(1.0L - 50 / 100.0L)), 0) << "half to even";

    // A gradient alone: its alphas are set once from the transparency and point 0 is marked.
    skin.Layers(0, 100, 20);
    PaintItemBG32(0, 0, kR, bmp.get(), skin.data, sFuchsia);
    const TsGradArray& arr = skin.S().GradientArray;
    EXPECT_EQ(arr[0].Mode & 0x10, 0x10);
    EXPECT_EQ(arr[0].Color.A, 80 * 255 / 100);
    EXPECT_EQ(arr[1].Color.A, 80 * 255 / 100);
    skin.Layers(0, 100, 60);
    PaintItemBG32(0, 0, kR, bmp.get(), skin.data, sFuchsia);
    EXPECT_EQ(arr[1].Color.A, 80 * 255 / 100) << "set once per loaded skin";
    // Without points: the colour at alpha 255.
    skin.S().GradientArray.clear();
    PaintItemBG32(0, 0, kR, bmp.get(), skin.data, sFuchsia);
    EXPECT_EQ(Px(*bmp, kR.Left + 3, kR.Top + 3), kColorPx);
}

TEST(SkinItems, PaintItem32DrawsTheBorderOverWhatWasThereAndPremultipliesOnlyAnExactBitmap)
{
    ItemSkin skin;
    skin.Layers(0, 0, 40);
    skin.data->gd[0].BorderIndex = 1;
    skin.data->gd[0].States = 1; // state 5 paints state 0
    skin.S(2).Transparency = 100;
    // Larger bitmap: straight alpha; the key corner shows what lay there before.
    auto larger = Bmp32(12, 9, kUnder);
    PaintItem32(0, false, 5, kR, TPoint(), larger.get(), skin.data);
    EXPECT_EQ(Px(*larger, kR.Left, kR.Top), kUnder) << "key corner";
    EXPECT_EQ(Px(*larger, kR.Left + 1, kR.Top), Argb(255, 0x30, 0x30, 0xC0)) << "border";
    const int a = std::max(200, 60 * 255 / 100);
    const auto mixed = [](int c, int k) { return c - (c - k) * 60 / 100; };
    const Word centre = Argb(a, mixed(10, 0x60), mixed(150, 0x40), mixed(90, 0x20));
    EXPECT_EQ(Px(*larger, kR.Left + 3, kR.Top + 3), centre);
    EXPECT_EQ(Px(*larger, 0, 0), kUnder);

    // A bitmap of R's size is premultiplied after painting.
    auto exact = Bmp32(8, 6, kUnder);
    PaintItem32(0, false, 0, TRect(0, 0, 8, 6), TPoint(), exact.get(), skin.data);
    auto straight = Bmp32(9, 7, kUnder);
    PaintItem32(0, false, 0, TRect(0, 0, 8, 6), TPoint(), straight.get(), skin.data);
    auto want = CreateBmp32(8, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) SetPx(*want, x, y, Px(*straight, x, y));
    UpdateAlpha(want.get());
    EXPECT_TRUE(Equal(*exact, *want, "premultiplied"));
    EXPECT_NE(Px(*exact, 3, 3), Px(*straight, 3, 3));

    // Nothing outside the bitmap or for a rectangle off its left.
    auto small = Bmp32(6, 6, kUnder), same = Bmp32(6, 6, kUnder);
    PaintItem32(0, false, 0, TRect(0, 0, 8, 6), TPoint(), small.get(), skin.data);
    PaintItem32(0, false, 0, TRect(-1, 0, 4, 4), TPoint(), small.get(), skin.data);
    EXPECT_TRUE(Equal(*small, *same, "refused rectangles"));

    auto sheet = Bmp32(12, 9, Argb(255, 255, 255, 255));
    PaintItem32(0, false, 0, kR, TPoint(), sheet.get(), skin.data);
    EXPECT_TRUE(SaveEnlargedPng(*sheet, L"skin_items_paintitem32.png", 8));
}
