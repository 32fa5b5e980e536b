// The pixel model's routines: fills, alpha masks, premultiplication with and without desktop
// composition, key-colour alpha, icons, transparent corners and the disabled look.
#include "skin_graphics_test_pixels.h"

#include "sAlphaGraph.h"
#include "sDefaults.h"
#include "sGraphUtilsColor.h"
#include "sSkinProvider.h"

#include "Controls.h"

#include <gtest/gtest.h>

#include <array>

TEST(SkinAlpha, WordRoutines)
{
    EXPECT_EQ(SwapRedBlue(0x11223344), 0x11443322);
    EXPECT_EQ(SwapColor(0x11223344), 0x11443322);
    EXPECT_EQ(SwapLong(0x11223344u), 0x44332211u);
    std::array<std::uint32_t, 3> words{0x11223344u, 0xAABBCCDDu, 0x01020304u};
    SwapLong(std::span(words).first(2));
    EXPECT_EQ(words, (std::array<std::uint32_t, 3>{0x44332211u, 0xDDCCBBAAu, 0x01020304u}));
    FillLongword(words, 0, 7);
    FillLongword(words, -1, 7);
    EXPECT_EQ(words[0], 0x44332211u) << "count 0 writes nothing";
    FillLongword(words, 2, 7);
    EXPECT_EQ(words, (std::array<std::uint32_t, 3>{7, 7, 0x01020304u}));
    FillLongword(words, 9, 8);
    EXPECT_EQ(words, (std::array<std::uint32_t, 3>{8, 8, 8})) << "limited to the destination";

    auto bmp = Bmp32(2, 2, 0);
    SetAPixel(bmp.get(), 1, 0, TColor(0x11223344));
    EXPECT_EQ(Px(*bmp, 1, 0), 0x11223344u) << "stored unchanged";
    EXPECT_EQ(GetAPixel(bmp.get(), 1, 0).I, 0x11223344);
    SetAPixel(bmp.get(), 2, 0, TColor(5));
    SetAPixel(bmp.get(), -1, 1, TColor(5));
    EXPECT_EQ(GetAPixel(bmp.get(), 0, 2).I, 0) << "outside: nothing";
}

TEST(SkinAlpha, RectangleFills)
{
    auto bmp = Bmp32(4, 3, 0);
    FillRect32(bmp.get(), {-2, -1, 10, 2}, 0x00112233, 0x80);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(Px(*bmp, x, y), y < 2 ? Argb(0x80, 0x33, 0x22, 0x11) : 0u) << x << y;
    FillRect32(bmp.get(), {2, 0, 2, 3}, clWhite, 255);
    FillRect32(bmp.get(), {3, 0, 1, 3}, clWhite, 255);
    EXPECT_EQ(Px(*bmp, 2, 2), 0u) << "Right <= Left: nothing";

    auto ring = Bmp32(5, 5, 0);
    FillRect32Excl(ring.get(), {0, 0, 5, 5}, {1, 1, 4, 4}, clWhite, 9);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool inner = x >= 1 && x < 4 && y >= 1 && y < 4;
            EXPECT_EQ(Px(*ring, x, y), inner ? 0u : Argb(9, 255, 255, 255)) << x << "," << y;
        }

    // Inclusive after clamping: every pixel of (0, 0, W, H) exactly once.
    const Word p = Argb(77, 200, 100, 50);
    auto blended = Bmp32(3, 2, p);
    BlendColorRect(blended.get(), {0, 0, 3, 2}, 60, clBtnFace);
    const TColor face = ColorToRGB(clBtnFace);
    auto c = [](int pixel, int colour) { return (pixel * 60 + colour * (255 - 60)) >> 8; };
    const Word once = Argb(77, c(200, face & 0xFF), c(100, face >> 8 & 0xFF), c(50, face >> 16 & 0xFF));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(Px(*blended, x, y), once) << x << "," << y;
}

TEST(SkinAlpha, FillAlphaRectByWordAndExclusions)
{
    auto bmp = Bmp32(4, 2, Argb(0, 0x12, 0x34, 0x56));
    SetPx(*bmp, 0, 0, 0x00FF00FF);
    SetPx(*bmp, 1, 0, 0xFFFF00FF);
    FillAlphaRect(bmp.get(), {-3, 0, 3, 2}, 0x40, TColorOf(0x00FF00FF), {TRect(2, 1, 3, 2)});
    EXPECT_EQ(Px(*bmp, 0, 0), 0x00FF00FFu) << "exactly the colour word: kept";
    EXPECT_EQ(Px(*bmp, 1, 0), 0x40FF00FFu) << "the key with alpha 255 is another word";
    EXPECT_EQ(Px(*bmp, 2, 0), Argb(0x40, 0x12, 0x34, 0x56));
    EXPECT_EQ(Px(*bmp, 2, 1), Argb(0, 0x12, 0x34, 0x56)) << "excluded";
    EXPECT_EQ(Px(*bmp, 3, 0), Argb(0, 0x12, 0x34, 0x56)) << "R's width is counted from the clamped left";
    FillAlphaRect(bmp.get(), {0, 0, 9, 9}, 0xFF, clNone);
    EXPECT_EQ(Px(*bmp, 0, 0), 0xFFFF00FFu) << "clNone: every pixel";
    EXPECT_EQ(Px(*bmp, 3, 1), Argb(0xFF, 0x12, 0x34, 0x56));
}

namespace {

class AeroScope {
public:
    explicit AeroScope(bool on) { SetAeroIsEnabledOverride(on); }
    ~AeroScope() { SetAeroIsEnabledOverride(std::nullopt); }
};

} // namespace

TEST(SkinAlpha, UpdateAlphaPremultipliesAndLimitsNearWhiteWithoutComposition)
{
    for (bool composition : {false, true}) {
        AeroScope scope(composition);
        auto bmp = Bmp32(4, 1, 0x00FFFFFF);
        SetPx(*bmp, 1, 0, 0xFFFFFFFF);
        SetPx(*bmp, 2, 0, Argb(128, 200, 100, 50));
        SetPx(*bmp, 3, 0, Argb(128, 255, 250, 246));
        UpdateAlpha(bmp.get());
        const int white = composition ? 254 : 244;
        EXPECT_EQ(Px(*bmp, 0, 0), 0u) << "transparent white becomes 0";
        EXPECT_EQ(Px(*bmp, 1, 0), Argb(255, white, white, white)) << composition;
        EXPECT_EQ(Px(*bmp, 2, 0), Argb(128, 200 * 128 >> 8, 100 * 128 >> 8, 50 * 128 >> 8));
        EXPECT_EQ(Px(*bmp, 3, 0), Argb(128, 255 * 128 >> 8, 250 * 128 >> 8, 246 * 128 >> 8));
    }
    AeroScope scope(true);
    auto part = Bmp32(3, 1, 0xFFFFFFFF);
    UpdateAlpha(part.get(), {-5, 0, 2, 9});
    EXPECT_EQ(Px(*part, 1, 0), 0xFFFEFEFEu);
    EXPECT_EQ(Px(*part, 2, 0), 0xFFFFFFFFu) << "outside R";

    auto trans = Bmp32(2, 1, 0x00FFFFFF);
    SetPx(*trans, 1, 0, 0x01FFFFFF);
    UpdateTransPixels(trans.get());
    EXPECT_EQ(Px(*trans, 0, 0), 0u);
    EXPECT_EQ(Px(*trans, 1, 0), 0x01FFFFFFu);
}

TEST(SkinAlpha, AeroIsEnabledAsksTheSystemOnce)
{
    // The Windows 10 prefix reports desktop composition.
    EXPECT_TRUE(AeroIsEnabled());
    SetAeroIsEnabledOverride(false);
    EXPECT_FALSE(AeroIsEnabled());
    SetAeroIsEnabledOverride(std::nullopt);
    EXPECT_TRUE(AeroIsEnabled());
}

TEST(SkinAlpha, CheckEmptyAChannelTakesTheBottomLeftColourAsKey)
{
    auto withAlpha = Bmp32(2, 2, Argb(0, 1, 2, 3));
    SetPx(*withAlpha, 1, 1, Argb(1, 1, 2, 3));
    CheckEmptyAChannel(withAlpha.get());
    EXPECT_EQ(Px(*withAlpha, 0, 0), Argb(0, 1, 2, 3)) << "one alpha byte set: unchanged";

    auto noAlpha = Bmp32(2, 2, Argb(0, 9, 8, 7));
    SetPx(*noAlpha, 0, 1, Argb(0, 1, 2, 3)); // bottom-left
    SetPx(*noAlpha, 1, 0, Argb(0, 1, 2, 3));
    CheckEmptyAChannel(noAlpha.get());
    EXPECT_EQ(Px(*noAlpha, 0, 1), Argb(0, 1, 2, 3));
    EXPECT_EQ(Px(*noAlpha, 1, 0), Argb(0, 1, 2, 3));
    EXPECT_EQ(Px(*noAlpha, 0, 0), Argb(255, 9, 8, 7));
    EXPECT_EQ(Px(*noAlpha, 1, 1), Argb(255, 9, 8, 7));
}

TEST(SkinAlpha, DiffBmp32ZeroesEqualColours)
{
    auto a = Bmp32(2, 1, Argb(10, 1, 2, 3));
    SetPx(*a, 1, 0, Argb(10, 4, 5, 6));
    auto b = Bmp32(2, 1, Argb(200, 1, 2, 3));
    auto other = Bmp32(3, 1, Argb(200, 1, 2, 3));
    DiffBmp32(a.get(), other.get());
    EXPECT_EQ(Px(*a, 0, 0), Argb(10, 1, 2, 3)) << "different sizes: nothing";
    DiffBmp32(a.get(), b.get());
    EXPECT_EQ(Px(*a, 0, 0), 0u);
    EXPECT_EQ(Px(*a, 1, 0), Argb(10, 4, 5, 6));
}

TEST(SkinAlpha, MakeIcon32MasksByAlpha)
{
    auto bmp = Bmp32(2, 1, Argb(255, 200, 0, 0));
    SetPx(*bmp, 1, 0, Argb(0, 0, 0, 200));
    HICON icon = MakeIcon32(bmp.get());
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    ASSERT_NE(info.hbmMask, nullptr);
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = 2;
    header.bmiHeader.biHeight = -1;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::array<std::uint32_t, 2> mask{};
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, info.hbmMask, 0, 1, mask.data(), &header, DIB_RGB_COLORS), 1);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(mask[0] & 0xFFFFFF, 0u) << "opaque: mask 0";
    EXPECT_EQ(mask[1] & 0xFFFFFF, 0xFFFFFFu) << "transparent: mask 255";
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
}

TEST(SkinAlpha, FillTransPixels32WithoutMaskFillsTheKeyPixels)
{
    auto dst = Bmp32(4, 1, Argb(200, 1, 2, 3));
    SetPx(*dst, 0, 0, 0x00FF00FF);
    SetPx(*dst, 1, 0, 0xFFFF00FF); // a key once its alpha is cleared
    auto src = Numbered(5, 1);
    TObject* const noSkinData = nullptr;
    FillTransPixels32(dst.get(), src.get(), {0, 0, 3, 1}, {2, 0}, -1, noSkinData, 0);
    EXPECT_EQ(Px(*dst, 0, 0), Px(*src, 2, 0));
    EXPECT_EQ(Px(*dst, 1, 0), Px(*src, 3, 0));
    EXPECT_EQ(Px(*dst, 2, 0), Argb(0, 1, 2, 3)) << "alpha cleared";
    EXPECT_EQ(Px(*dst, 3, 0), Argb(200, 1, 2, 3)) << "outside R";
    // Offsets and rectangles past the bitmaps stay inside.
    FillTransPixels32(dst.get(), src.get(), {2, -3, 40, 40}, {-6, 0}, -1, noSkinData, 0);
    FillTransPixels32(dst.get(), src.get(), {0, 0, 4, 1}, {4, 0}, 3, noSkinData, 17);
    EXPECT_EQ(Px(*dst, 3, 0), Argb(200, 1, 2, 3)) << "R starts three rows above the bitmap: nothing";
}

namespace {

class TColoured : public TGraphicControl {
public:
    TColoured() : TGraphicControl(nullptr) { SetColor(clRed); }
};

} // namespace

TEST(SkinAlpha, BmpDisabledKindGreysAndBlends)
{
    const Word p = Argb(90, 200, 100, 50);
    const Word key = 0x00FF00FF;
    auto saturate = [](Word w, int delta) {
        const int r = ByteR(w), g = ByteG(w), b = ByteB(w);
        const int grey = static_cast<int>(Round(r * 0.299L + g * 0.587L + b * 0.114L));
        auto c = [&](int v) { return std::clamp(v * (255 + delta) - delta * grey, 0, 65535) >> 8; };
        return Argb(ByteA(w), c(r), c(g), c(b));
    };
    auto grayed = Bmp32(2, 1, p);
    SetPx(*grayed, 1, 0, key);
    BmpDisabledKind(grayed.get(), TsDisabledKind{dkGrayed}, nullptr, EmptyCI, {0, 0});
    EXPECT_EQ(Px(*grayed, 0, 0), saturate(p, -90 * 255 / 100));
    EXPECT_EQ(-90 * 255 / 100, -229);
    EXPECT_EQ(Px(*grayed, 1, 0), key) << "key skipped";

    DefDisabledSaturation = -100;
    auto grey = Bmp32(1, 1, p);
    BmpDisabledKind(grey.get(), TsDisabledKind{dkGrayed}, nullptr, EmptyCI, {0, 0});
    DefDisabledSaturation = -90;
    const int g = static_cast<int>(Round(200 * 0.299L + 100 * 0.587L + 50 * 0.114L));
    EXPECT_EQ(Px(*grey, 0, 0), Argb(90, g, g, g));

    // Blended with the cache behind it: weight 100 for the image, the cache's key pixels skipped.
    auto cache = Bmp32(6, 3, Argb(250, 10, 20, 30));
    SetPx(*cache, 4, 2, key);
    auto blended = Bmp32(2, 1, p);
    TCacheInfo ci = MakeCacheInfo(cache.get(), 2, 1);
    BmpDisabledKind(blended.get(), TsDisabledKind{dkBlended}, nullptr, ci, {1, 1});
    auto mixed = [](Word image, Word back) {
        auto c = [](int i, int b) { return (b * (255 - 100) + i * 100) >> 8; };
        return Argb(c(ByteA(image), ByteA(back)), c(ByteR(image), ByteR(back)), c(ByteG(image), ByteG(back)),
                    c(ByteB(image), ByteB(back)));
    };
    EXPECT_EQ(Px(*blended, 0, 0), mixed(p, Px(*cache, 3, 2))) << "image at (CI.X + Offset.X, CI.Y + Offset.Y) of the cache";
    EXPECT_EQ(Px(*blended, 1, 0), p) << "cache pixel (4, 2) is the key";

    // Blended with a colour: the fill colour, or the control's colour when none is given.
    auto towards = [&](TColor colour) {
        auto c = [](int pixel, int col) { return (pixel * 100 + col * (255 - 100)) >> 8; };
        return Argb(90, c(200, colour & 0xFF), c(100, colour >> 8 & 0xFF), c(50, colour >> 16 & 0xFF));
    };
    TCacheInfo fill = EmptyCI;
    fill.FillColor = 0x00204060;
    auto filled = Bmp32(1, 1, p);
    BmpDisabledKind(filled.get(), TsDisabledKind{dkBlended}, nullptr, fill, {0, 0});
    EXPECT_EQ(Px(*filled, 0, 0), towards(0x00204060));
    TColoured control;
    auto controlColour = Bmp32(1, 1, p);
    BmpDisabledKind(controlColour.get(), TsDisabledKind{dkBlended}, &control, EmptyCI, {0, 0});
    EXPECT_EQ(Px(*controlColour, 0, 0), towards(clRed));
}
