// Colour conversion of pixel rows: converter choice, interlace masks over every target depth,
// sample scaling, gamma, palettes, and one hand-computed value per colour model.
#include "acPNGColor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct Layout {
    TColorScheme scheme;
    int bps;
    int spp;
};

void SetLayout(TColorManager& cm, Layout source, Layout target)
{
    cm.SetSourceColorScheme(source.scheme);
    cm.SetSourceBitsPerSample(source.bps);
    cm.SetSourceSamplesPerPixel(source.spp);
    cm.SetTargetColorScheme(target.scheme);
    cm.SetTargetBitsPerSample(target.bps);
    cm.SetTargetSamplesPerPixel(target.spp);
}

std::vector<PALETTEENTRY> Entries(HPALETTE palette)
{
    std::vector<PALETTEENTRY> entries(GetPaletteEntries(palette, 0, 0, nullptr));
    GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
    DeleteObject(palette);
    return entries;
}

std::uint32_t Rgb(const PALETTEENTRY& e) { return static_cast<std::uint32_t>(e.peRed << 16 | e.peGreen << 8 | e.peBlue); }

} // namespace

TEST(SkinColourManager, ConverterChoiceAndErrors)
{
    using M = TConversionMethod;
    struct Case {
        Layout source, target;
        M expected; // null: "could not find a proper method"
    };
    const Case cases[] = {
        {{csGA, 8, 2}, {csIndexed, 8, 1}, &TColorManager::RowConvertGray},
        {{csGA, 16, 2}, {csG, 8, 1}, &TColorManager::RowConvertGray},
        {{csGA, 16, 1}, {csBGRA, 8, 4}, &TColorManager::RowConvertGrayAlpha},
        {{csGA, 8, 1}, {csRGBA, 8, 4}, &TColorManager::RowConvertGrayAlpha},
        {{csG, 16, 1}, {csG, 8, 1}, &TColorManager::RowConvertGray},
        {{csG, 4, 1}, {csG, 4, 1}, &TColorManager::RowConvertIndexed8},
        {{csG, 16, 1}, {csG, 4, 1}, nullptr},
        {{csIndexed, 2, 1}, {csIndexed, 4, 1}, &TColorManager::RowConvertIndexed8},
        {{csIndexed, 16, 1}, {csIndexed, 8, 1}, &TColorManager::RowConvertIndexedSource16},
        {{csIndexed, 8, 1}, {csIndexed, 16, 1}, &TColorManager::RowConvertIndexedTarget16},
        {{csIndexed, 16, 1}, {csIndexed, 16, 1}, &TColorManager::RowConvertIndexedBoth16},
        {{csRGB, 8, 3}, {csBGR, 8, 3}, &TColorManager::RowConvertRGB2BGR},
        {{csRGBA, 16, 4}, {csRGBA, 8, 4}, &TColorManager::RowConvertRGB2RGB},
        {{csBGRA, 8, 4}, {csRGB, 8, 3}, &TColorManager::RowConvertBGR2RGB},
        {{csBGR, 8, 3}, {csBGRA, 8, 4}, &TColorManager::RowConvertBGR2BGR},
        {{csCMYK, 8, 4}, {csBGR, 8, 3}, &TColorManager::RowConvertCMYK2BGR},
        {{csCIELab, 8, 3}, {csRGB, 8, 3}, &TColorManager::RowConvertCIELAB2RGB},
        {{csYCbCr, 8, 3}, {csBGR, 8, 3}, &TColorManager::RowConvertYCbCr2BGR},
        {{csPhotoYCC, 8, 3}, {csRGB, 8, 3}, &TColorManager::RowConvertPhotoYCC2RGB},
        {{csCMY, 8, 3}, {csBGR, 8, 3}, nullptr},
        {{csUnknown, 8, 3}, {csBGR, 8, 3}, nullptr},
    };
    std::uint8_t src[16] = {}, dst[16] = {};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source.scheme << "/" << c.source.bps << " -> " << c.target.scheme << "/"
                                        << c.target.bps);
        TColorManager cm;
        SetLayout(cm, c.source, c.target);
        if (c.expected) {
            cm.ConvertRow(src, dst, 1, 0xFF);
            EXPECT_TRUE(cm.RowConversion() == c.expected);
        } else {
            try {
                cm.ConvertRow(src, dst, 1, 0xFF);
                ADD_FAILURE() << "converted";
            } catch (const EColorConversionError& e) {
                EXPECT_EQ(e.Message(), L"Color conversion failed. Could not find a proper method.");
            }
        }
    }

    TColorManager mixed;
    SetLayout(mixed, {csRGB, 8, 3}, {csIndexed, 8, 1}); // accepted here, refused at the first row
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            mixed.ConvertRow(src, dst, 1, 0xFF);
            ADD_FAILURE() << "converted";
        } catch (const EColorConversionError& e) {
            EXPECT_EQ(e.Message(), L"Conversion between indexed and non-indexed pixel formats is not supported.");
        }
    }

    TColorManager cm;
    for (int bad : {0, 17}) {
        try {
            cm.SetSourceBitsPerSample(bad);
            ADD_FAILURE() << bad;
        } catch (const EColorConversionError& e) {
            EXPECT_EQ(e.Message(), L"Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");
        }
        EXPECT_THROW(cm.SetTargetBitsPerSample(bad), EColorConversionError);
    }
    for (int bad : {0, 5}) {
        try {
            cm.SetTargetSamplesPerPixel(bad);
            ADD_FAILURE() << bad;
        } catch (const EColorConversionError& e) {
            EXPECT_EQ(e.Message(), L"Sample count per pixel does not correspond to the given color scheme.");
        }
        EXPECT_THROW(cm.SetSourceSamplesPerPixel(bad), EColorConversionError);
    }
    EXPECT_EQ(cm.SourceBitsPerSample(), 8);
    EXPECT_EQ(cm.TargetBitsPerSample(), 8);
    EXPECT_EQ(cm.SourceSamplesPerPixel(), 3);
    EXPECT_EQ(cm.TargetSamplesPerPixel(), 3);
}

TEST(SkinColourManager, MasksWriteOnlyTheirColumns)
{
    // $FF, $AA and the column masks of the seven interlace passes.
    const std::uint8_t masks[] = {0xFF, 0xAA, 0x80, 0x08, 0x88, 0x22, 0xAA, 0x55, 0xFF};
    constexpr std::uint32_t kCount = 13; // the mask repeats after 8 pixels
    struct Target {
        Layout source, target;
        int bitsPerPixel;
    };
    const Target targets[] = {
        {{csIndexed, 1, 1}, {csIndexed, 1, 1}, 1}, {{csIndexed, 4, 1}, {csIndexed, 4, 1}, 4},
        {{csG, 8, 1}, {csG, 8, 1}, 8},             {{csRGB, 8, 3}, {csBGR, 8, 3}, 24},
        {{csRGBA, 8, 4}, {csBGRA, 8, 4}, 32},
    };
    for (const Target& t : targets) {
        const int maxValue = t.bitsPerPixel < 8 ? (1 << t.bitsPerPixel) - 1 : 255;
        // Source pixel k has every sample k + 1 (within the depth's range).
        const auto value = [&](int k) { return (k + 1) % (maxValue + 1); };
        std::vector<std::uint8_t> source(kCount * 4, 0);
        for (int k = 0; k < static_cast<int>(kCount); ++k) {
            if (t.bitsPerPixel < 8) {
                const int bit = k * t.bitsPerPixel;
                source[static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(value(k) << (8 - t.bitsPerPixel - bit % 8));
            } else {
                for (int s = 0; s < t.bitsPerPixel / 8; ++s) source[static_cast<std::size_t>(k * t.bitsPerPixel / 8 + s)] = static_cast<std::uint8_t>(value(k));
            }
        }
        for (std::uint8_t mask : masks) {
            SCOPED_TRACE(testing::Message() << t.bitsPerPixel << " bits, mask " << int(mask));
            TColorManager cm;
            SetLayout(cm, t.source, t.target);
            const std::uint8_t fill = 0xC3; // bits of untouched pixels stay
            std::vector<std::uint8_t> target(kCount * 4, fill);
            cm.ConvertRow(source.data(), target.data(), kCount, mask);
            int k = 0;
            for (std::uint32_t i = 0; i < kCount; ++i) {
                const bool written = (mask >> (7 - i % 8)) & 1;
                if (t.bitsPerPixel < 8) {
                    const std::size_t bit = i * static_cast<std::size_t>(t.bitsPerPixel);
                    const int shift = 8 - t.bitsPerPixel - static_cast<int>(bit % 8);
                    const int got = target[bit / 8] >> shift & maxValue;
                    EXPECT_EQ(got, written ? value(k) : (fill >> shift & maxValue)) << "pixel " << i;
                } else {
                    const int bytes = t.bitsPerPixel / 8;
                    for (int s = 0; s < bytes; ++s) {
                        const int got = target[i * static_cast<std::size_t>(bytes) + static_cast<std::size_t>(s)];
                        EXPECT_EQ(got, written ? value(k) : fill) << "pixel " << i << " byte " << s;
                    }
                }
                if (written) ++k;
            }
        }
    }
}

TEST(SkinColourManager, SampleScaling)
{
    {
        // Big-endian 16-bit RGB to 8-bit BGR: swapped, then v x 255 div 65535.
        TColorManager cm;
        SetLayout(cm, {csRGB, 16, 3}, {csBGR, 8, 3});
        cm.SourceOptions << coNeedByteSwap;
        const std::uint8_t source[] = {0x12, 0x34, 0xFF, 0xFF, 0x00, 0x80};
        std::uint8_t target[3] = {};
        cm.ConvertRow(source, target, 1, 0xFF);
        EXPECT_EQ(target[0], 0x0080 * 255 / 65535);
        EXPECT_EQ(target[1], 255);
        EXPECT_EQ(target[2], 0x1234 * 255 / 65535);
    }
    {
        // 16-bit grey with alpha to 8-bit grey: alpha skipped.
        TColorManager cm;
        SetLayout(cm, {csGA, 16, 2}, {csG, 8, 1});
        cm.SourceOptions << coNeedByteSwap;
        const std::uint8_t source[] = {0x80, 0x00, 0xFF, 0xFF, 0x40, 0x00, 0x00, 0x00};
        std::uint8_t target[2] = {};
        cm.ConvertRow(source, target, 2, 0xFF);
        EXPECT_EQ(target[0], 0x8000 * 255 / 65535);
        EXPECT_EQ(target[1], 0x4000 * 255 / 65535);
    }
    {
        TColorManager cm;
        SetLayout(cm, {csIndexed, 2, 1}, {csIndexed, 4, 1});
        const std::uint8_t source[] = {0b00011011};
        std::uint8_t target[2] = {};
        cm.ConvertRow(source, target, 4, 0xFF);
        EXPECT_EQ(target[0], 0x05) << "0 and 5";
        EXPECT_EQ(target[1], 0xAF) << "10 and 15";
    }
}

TEST(SkinColourManager, PixelFormatsAndGamma)
{
    struct Case {
        int spp, bps;
        TPixelFormat expected;
    };
    const Case cases[] = {{1, 1, pf1bit},   {1, 2, pf4bit},  {1, 4, pf4bit},  {1, 5, pfCustom}, {1, 8, pf8bit},
                          {1, 16, pf8bit},  {2, 8, pfCustom}, {3, 5, pf15bit}, {3, 8, pf24bit},  {3, 16, pf24bit},
                          {4, 4, pfCustom}, {4, 8, pf32bit}, {4, 16, pf32bit}};
    for (const Case& c : cases) {
        TColorManager cm;
        cm.SetTargetSamplesPerPixel(c.spp);
        cm.SetTargetBitsPerSample(c.bps);
        EXPECT_EQ(cm.TargetPixelFormat(), c.expected) << c.spp << " x " << c.bps;
        EXPECT_EQ(cm.GetPixelFormat(1), c.expected);
        EXPECT_EQ(cm.SourcePixelFormat(), pf24bit);
    }

    TColorManager cm;
    cm.SetGamma(0, 0);
    const auto& table = cm.GammaTable();
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[255], 255);
    EXPECT_EQ(table[64], std::lround(std::pow(64 / 255.0, 1 / 2.2) * 255));
    const auto defaults = table;
    cm.SetGamma(1.0f, 2.2f);
    EXPECT_EQ(cm.GammaTable(), defaults);

    // Gamma reaches colour samples only, never alpha.
    SetLayout(cm, {csRGBA, 8, 4}, {csBGRA, 8, 4});
    cm.TargetOptions << coApplyGamma;
    const std::uint8_t source[] = {64, 0, 255, 64};
    std::uint8_t target[4] = {};
    cm.ConvertRow(source, target, 1, 0xFF);
    EXPECT_EQ(target[0], 255);
    EXPECT_EQ(target[1], 0);
    EXPECT_EQ(target[2], table[64]);
    EXPECT_EQ(target[3], 64);
}

TEST(SkinColourManager, Palettes)
{
    TColorManager cm;
    cm.SetTargetBitsPerSample(1);
    cm.SetTargetSamplesPerPixel(1);
    auto grey = Entries(cm.CreateGrayscalePalette(false));
    ASSERT_EQ(grey.size(), 2u);
    EXPECT_EQ(Rgb(grey[0]), 0x000000u);
    EXPECT_EQ(Rgb(grey[1]), 0xFFFFFFu);
    grey = Entries(cm.CreateGrayscalePalette(true));
    EXPECT_EQ(Rgb(grey[0]), 0xFFFFFFu);
    EXPECT_EQ(Rgb(grey[1]), 0x000000u);
    cm.SetTargetBitsPerSample(4);
    grey = Entries(cm.CreateGrayscalePalette(false));
    ASSERT_EQ(grey.size(), 16u);
    EXPECT_EQ(Rgb(grey[1]), 0x111111u);

    // A 2-bit image shown through a 4-bit bitmap: indices 0, 5, 10, 15 find colours 0..3.
    cm.SetSourceBitsPerSample(2);
    const std::uint8_t plte[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const std::uint8_t* const planes[] = {plte};
    auto colours = Entries(cm.CreateColorPalette(planes, pfInterlaced8Triple, 4, false));
    ASSERT_EQ(colours.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Rgb(colours[static_cast<std::size_t>(i)]), 0x010203u + 0x030303u * static_cast<std::uint32_t>(i * 3 / 15)) << i;

    // A short palette leaves the indices it has no colour for black.
    colours = Entries(cm.CreateColorPalette(planes, pfInterlaced8Triple, 2, false));
    ASSERT_EQ(colours.size(), 16u);
    EXPECT_EQ(Rgb(colours[5]), 0x040506u);
    EXPECT_EQ(Rgb(colours[10]), 0u);
    EXPECT_EQ(Rgb(colours[15]), 0u);

    // Same depth: no spreading; RGB true puts the first component in blue; 16-bit swapped.
    TColorManager eight;
    eight.SetSourceBitsPerSample(8);
    eight.SetTargetBitsPerSample(8);
    colours = Entries(eight.CreateColorPalette(planes, pfInterlaced8Triple, 3, true));
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_EQ(Rgb(colours[0]), 0x030201u);
    const std::uint8_t wide[] = {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00};
    const std::uint8_t* const widePlanes[] = {wide};
    eight.SourceOptions << coNeedByteSwap;
    colours = Entries(eight.CreateColorPalette(widePlanes, pfInterlaced16Triple, 1, false));
    ASSERT_EQ(colours.size(), 1u);
    EXPECT_EQ(Rgb(colours[0]), 0xFF0000u | static_cast<std::uint32_t>(0x8000 * 255 / 65535) << 8);
}

TEST(SkinColourManager, ColourModels)
{
    struct Case {
        TColorScheme scheme;
        int spp;
        TConvertOptions options;
        std::vector<std::uint8_t> source;
        std::uint8_t b, g, r;
    };
    // CMYK (cyan 0, magenta 128, yellow 255, black 51): 255 - (x - x * k div 255 + k).
    // CIELab L 50, a 0, b 0 (signed): fy = 66/116, Y = fy^3 = 0.18419; X = Y, Z = Y;
    //   blue (0.099 - 0.198 + 1.099) * Y * 255 = 46.97, green 1.0 * Y * 255, red 0.999 * Y * 255.
    // YCbCr (100, 128, 228): Cr offset 100: red 100 + round(100 x 1.402) = 240,
    //   green 100 - round(100 x 0.299 x 1.402 / 0.587) = 29; blue 100.
    // PhotoYCC (100, 156, 137): both offsets zero, grey 100.
    const double y = std::pow(66.0 / 116, 3);
    const auto lab = [&](double w) { return static_cast<std::uint8_t>(std::lround(w * y * 255)); };
    const Case cases[] = {
        {csCMYK, 4, {}, {0, 128, 255, 51}, 0, static_cast<std::uint8_t>(255 - (128 - 128 * 51 / 255 + 51)), 204},
        {csCIELab, 3, {}, {50, 0, 0}, lab(1.0), lab(1.0), lab(0.999)},
        {csCIELab, 3, {coLabByteRange, coLabChromaOffset}, {128, 128, 128}, 0, 0, 0},
        {csYCbCr, 3, {}, {100, 128, 228}, 100, 29, 240},
        {csPhotoYCC, 3, {}, {100, 156, 137}, 100, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scheme);
        TColorManager cm;
        SetLayout(cm, {c.scheme, 8, c.spp}, {csBGR, 8, 3});
        cm.SourceOptions = c.options;
        std::uint8_t target[3] = {};
        cm.ConvertRow(c.source.data(), target, 1, 0xFF);
        if (c.options.Contains(coLabByteRange)) {
            // L 128 / 2.55 = 50.2, a = b = 0: a mid grey, equal in all three.
            EXPECT_NEAR(target[0], target[1], 1);
            EXPECT_NEAR(target[1], target[2], 1);
            EXPECT_GT(target[1], 40);
            continue;
        }
        EXPECT_EQ(target[0], c.b);
        EXPECT_EQ(target[1], c.g);
        EXPECT_EQ(target[2], c.r);
    }
}
