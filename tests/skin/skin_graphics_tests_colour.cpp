// Colour operations on colours and bitmaps: brightness, tone, hue, saturation, HSV, grey and
// channel copies. Expected values follow the formulas, halves rounded to even.
#include "skin_graphics_test_pixels.h"

#include "SysUtils.h"
#include "sAlphaGraph.h"
#include "sGraphUtilsColor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(SkinColour, BrightnessToneAndByteOrder)
{
    struct Case {
        TColor colour;
        int delta;
        TColor expected;
    };
    const Case brightness[] = {
        {0x808080, 64, 0xA0A0A0},         {0x808080, -64, 0x606060}, {0x808080, 0, 0x808080},
        {0xF0F0F0, 255, 0xFFFFFF},        {0x101010, -300, 0x000000},
        {TColorOf(0x7F204060), 64, TColorOf(0x7F285078)}, // byte 3 kept
    };
    for (const Case& c : brightness)
        EXPECT_EQ(ChangeBrightness(c.colour, c.delta), c.expected) << std::hex << c.colour << " " << std::dec << c.delta;

    EXPECT_EQ(ChangeTone(clRed, clWhite), 0xFEFEFE) << "(255 * 255) shr 8 in every channel";
    TsColor_ pixel;
    pixel.I = static_cast<std::int32_t>(Argb(77, 40, 200, 100));
    TsColor_RGB tone;
    tone.Col = 0x00804020; // red 0x20, green 0x40, blue 0x80
    const TsColor_ toned = ChangeTone(pixel, tone);
    EXPECT_EQ(static_cast<Word>(toned.I), Argb(77, (200 * 0x20) >> 8, (200 * 0x40) >> 8, (200 * 0x80) >> 8));

    EXPECT_EQ(SwapInteger(0x00112233), 0x00332211u);
}

TEST(SkinColour, HueRotation)
{
    EXPECT_EQ(ChangeHue(120, clRed), clLime);
    EXPECT_EQ(ChangeHue(240, clRed), clBlue);
    for (TColor c : {TColor(0x123456), clRed, clGray}) EXPECT_EQ(ChangeHue(0, c), c);
    EXPECT_EQ(ChangeHue(90, clGray), clGray) << "no saturation, no hue";

    // Negative sums land in 0..359: red at -30 is 330 degrees, at -400 it is 320.
    auto expectedAt = [](int h) {
        const int i = h / 60;
        const double f = h / 60.0 - i;
        const int q = static_cast<int>((1 - f) * 255); // s = 1, v = 255: sector 5 is (v, p, q)
        EXPECT_EQ(i, 5);
        return TColor(0xFF | q << 16);
    };
    EXPECT_EQ(ChangeHue(-30, clRed), expectedAt(330));
    EXPECT_EQ(ChangeHue(-400, clRed), expectedAt(320));
    const TColor turned = ChangeHue(-1000, TColor(0x3366CC));
    TsColor c;
    c.C = turned;
    EXPECT_GT(c.B, 0) << "a valid sector, not a blank";
}

TEST(SkinColour, HsvConversions)
{
    TsColor black;
    black.I = 0;
    const TsHSV hsv = Rgb2Hsv(black);
    EXPECT_EQ(hsv.h, 0);
    EXPECT_EQ(hsv.s, 0);
    EXPECT_EQ(hsv.v, 0);
    TsColor orange;
    orange.C = 0x0080FF; // red 255, green 128
    const TsHSV o = Rgb2Hsv(orange);
    EXPECT_EQ(o.h, static_cast<int>(60.0 * 128 / 255));
    EXPECT_DOUBLE_EQ(o.s, 1.0);

    struct Sector {
        double h;
        TColor expected;
    };
    const Sector sectors[] = {{0, clRed},    {60, clYellow},  {120, clLime}, {180, clAqua},
                              {240, clBlue}, {300, clFuchsia}, {360, clRed}};
    for (const Sector& s : sectors) EXPECT_EQ(Hsv2Rgb(s.h, 1, 1).C, s.expected) << s.h;
    EXPECT_EQ(Hsv2Rgb(200, 0, 0.5).C, 0x808080) << "grey: Round(127.5) = 128";
    EXPECT_EQ(Hsv2Rgb(30, 1, 1).C, TColor(0xFF | 128 << 8)) << "Round(127.5) of t";

    double h = -1, s = -1, v = -1;
    RGBToHSV(0.5, 0.5, 0.5, h, s, v);
    EXPECT_EQ(h, 0) << "grey has hue 0";
    EXPECT_EQ(s, 0);
    EXPECT_EQ(v, 0.5);
    RGBToHSV(0, 0, 1, h, s, v);
    EXPECT_EQ(h, 240);
    RGBToHSV(1, 0, 0.5, h, s, v);
    EXPECT_EQ(h, 330) << "negative hue plus 360";

    double r = -1, g = -1, b = -1;
    HSVtoRGB(100, 0.0001, 0.7, r, g, b);
    EXPECT_EQ(r, 0.7) << "near-zero saturation: grey V";
    EXPECT_EQ(g, 0.7);
    EXPECT_EQ(b, 0.7);
    HSVtoRGB(std::numeric_limits<double>::quiet_NaN(), 1, 0.3, r, g, b);
    EXPECT_EQ(b, 0.3);
    HSVtoRGB(150, 1, 1, r, g, b);
    EXPECT_DOUBLE_EQ(r, 0);
    EXPECT_DOUBLE_EQ(g, 1);
    EXPECT_DOUBLE_EQ(b, 0.5);
}

TEST(SkinColour, Saturation)
{
    const Word w = Argb(60, 200, 100, 50);
    TsColor_ p;
    p.I = static_cast<std::int32_t>(w);
    const int grey = static_cast<int>(Round(200 * 0.299L + 100 * 0.587L + 50 * 0.114L));
    auto expected = [&](int delta) {
        auto c = [&](int v) { return std::clamp(v * (255 + delta) - delta * grey, 0, 65535) >> 8; };
        return Argb(60, c(200), c(100), c(50));
    };
    EXPECT_EQ(static_cast<Word>(ChangeSaturation(0, p).I), w);
    EXPECT_EQ(static_cast<Word>(ChangeSaturation(-255, p).I), Argb(60, grey - 1, grey - 1, grey - 1))
        << "grey less one rounding";
    EXPECT_EQ(static_cast<Word>(ChangeSaturation(100, p).I), expected(100));
    EXPECT_EQ(static_cast<Word>(ChangeSaturation(-120, p).I), expected(-120));
    EXPECT_EQ(ChangeSaturation(TColor(0x336699), 0), TColor(0x336699));
}

TEST(SkinColour, BitmapWalkersAndGrey)
{
    const Word key = 0x00FF00FF;
    auto bmp = Bmp32(3, 1, Argb(0, 1, 2, 3));
    SetPx(*bmp, 1, 0, key);
    SetPx(*bmp, 2, 0, 0xFFFF00FF);
    ChangeBitmapPixels(bmp.get(), &MakeAlphaPixel, 0, TColorOf(0x00FF00FF));
    EXPECT_EQ(Px(*bmp, 0, 0), Argb(255, 1, 2, 3));
    EXPECT_EQ(Px(*bmp, 1, 0), key) << "key with alpha 0 skipped";
    EXPECT_EQ(Px(*bmp, 2, 0), 0xFFFF00FFu);
    ChangeBitmapPixels(bmp.get(), &MakeAlphaPixel, 0, clNone);
    EXPECT_EQ(Px(*bmp, 1, 0), 0xFFFF00FFu) << "clNone: every pixel";
    ChangeBitmapPixels(nullptr, &MakeAlphaPixel, 0, clNone);

    auto bright = Bmp32(1, 1, Argb(5, 128, 128, 128));
    ChangeBitmapPixels(bright.get(), &ChangeColorBrightness, 64, clNone);
    EXPECT_EQ(Px(*bright, 0, 0), Argb(5, 160, 160, 160));
    auto hue = Bmp32(1, 1, Argb(5, 255, 0, 0));
    ChangeBitmapPixels(hue.get(), &ChangeColorHUE, 120, clNone);
    EXPECT_EQ(Px(*hue, 0, 0), Argb(5, 0, 255, 0));

    // Grey = Round(R * 0.299 + G * 0.587 + B * 0.114), halves to even, alpha kept.
    auto greys = Bmp32(3, 1, Argb(40, 200, 100, 50));
    SetPx(*greys, 1, 0, key);
    SetPx(*greys, 2, 0, Argb(9, 255, 255, 255));
    auto greysTrans = Bmp32(3, 1, 0);
    CopyBmp(greysTrans.get(), greys.get());
    GrayScale(greys.get());
    const int g = static_cast<int>(Round(200 * 0.299L + 100 * 0.587L + 50 * 0.114L));
    const int k = static_cast<int>(Round(255 * 0.299L + 255 * 0.114L));
    EXPECT_EQ(Px(*greys, 0, 0), Argb(40, g, g, g));
    EXPECT_EQ(Px(*greys, 1, 0), Argb(0, k, k, k));
    EXPECT_EQ(Px(*greys, 2, 0), Argb(9, 255, 255, 255));
    TsColor trans;
    trans.I = static_cast<std::int32_t>(key);
    GrayScaleTrans(greysTrans.get(), trans);
    EXPECT_EQ(Px(*greysTrans, 0, 0), Argb(40, g, g, g));
    EXPECT_EQ(Px(*greysTrans, 1, 0), key);
}

TEST(SkinColour, ChannelCopies)
{
    auto src = Numbered(3, 2, 0x40302010);
    auto dst = Bmp32(3, 2, 0);
    CopyChannel32(dst.get(), src.get(), 3);
    EXPECT_EQ(Px(*dst, 2, 1), Px(*src, 2, 1) & 0xFF000000u);
    auto big = Bmp32(4, 2, 0);
    CopyChannel32(big.get(), src.get(), 0);
    EXPECT_EQ(Px(*big, 0, 0), 0u) << "source smaller than the destination: nothing";

    // Rectangle form: negative source and destination coordinates skip what lies outside.
    auto part = Bmp32(3, 2, 0);
    CopyChannel32(part.get(), src.get(), 0, {-1, 0, 2, 2}, {-1, 1});
    EXPECT_EQ(Px(*part, 0, 1), Px(*src, 0, 0) & 0xFFu);
    EXPECT_EQ(Px(*part, 1, 1), Px(*src, 1, 0) & 0xFFu);
    EXPECT_EQ(Px(*part, 2, 1), 0u) << "source column 2 is outside the rectangle";
    EXPECT_EQ(Px(*part, 0, 0), 0u);

    TBitmap bytes(3, 2, pf8bit);
    CopyChannel(src.get(), &bytes, 1, true);
    EXPECT_EQ(static_cast<const std::uint8_t*>(bytes.ScanLine(1))[2], ByteG(Px(*src, 2, 1)));
    static_cast<std::uint8_t*>(bytes.ScanLine(0))[1] = 0xAB;
    auto back = Bmp32(3, 2, 0);
    CopyChannel(back.get(), &bytes, 2, false);
    EXPECT_EQ(Px(*back, 1, 0), 0x00AB0000u);
    TBitmap small(1, 1, pf8bit);
    CopyChannel(src.get(), &small, 0, true); // smaller 8-bit bitmap: clipped, no fault
    EXPECT_EQ(static_cast<const std::uint8_t*>(small.ScanLine(0))[0], ByteB(Px(*src, 0, 0)));
}
