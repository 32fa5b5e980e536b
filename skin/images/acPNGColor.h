#pragma once
// Colour conversion of pixel rows for the PNG reader: a manager that converts rows from a source
// layout (scheme, bits per sample, samples per pixel, options) to a target layout, with gamma and
// interlace column masks, and builds GDI palettes from raw palette data.
#include "Exceptions.h"
#include "Graphics.h"
#include "Sets.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

enum TColorScheme {
    csUnknown,
    csIndexed,
    csG,
    csGA,
    csRGB,
    csRGBA,
    csBGR,
    csBGRA,
    csCMY,
    csCMYK,
    csCIELab,
    csYCbCr,
    csPhotoYCC
};

enum TConvertOption { coAlpha, coApplyGamma, coNeedByteSwap, coLabByteRange, coLabChromaOffset };
using TConvertOptions = TSet<TConvertOption>;

enum TRawPaletteFormat {
    pfInterlaced8Triple,
    pfInterlaced8Quad,
    pfPlane8Triple,
    pfPlane8Quad,
    pfInterlaced16Triple,
    pfInterlaced16Quad,
    pfPlane16Triple,
    pfPlane16Quad
};

FW_DECLARE_EXCEPTION(EColorConversionError, Exception);

// One pointer to interleaved samples, or one per plane.
using TRowSource = std::span<const std::uint8_t* const>;

class TColorManager;
using TConversionMethod = void (TColorManager::*)(TRowSource source, std::uint8_t* target, std::uint32_t count,
                                                  std::uint8_t mask);

// a x b div c in 32 bits; callers keep the quotient within 16 bits.
std::uint16_t MulDiv16(std::uint16_t a, std::uint16_t b, std::uint16_t c);
std::uint8_t ClampByte(int value);

class TColorManager {
public:
    TColorManager();

    // Converts count target pixels. Bit 7 of mask stands for the first target pixel and the mask
    // rotates right per pixel; only pixels whose bit is set are written, each from the next source
    // pixel. The caller's buffers hold the row in both layouts.
    void ConvertRow(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void ConvertRow(const std::uint8_t* source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);

    // 0: source, 1: target.
    TPixelFormat GetPixelFormat(int index) const;
    void SetGamma(float mainGamma, float displayGamma);
    // Palettes belong to the caller.
    HPALETTE CreateGrayscalePalette(bool minimumIsWhite) const;
    // data holds colorCount colours in dataFormat; entries a widened palette has no colour for are
    // black.
    HPALETTE CreateColorPalette(TRowSource data, TRawPaletteFormat dataFormat, std::uint32_t colorCount,
                                bool rgb) const;

    int SourceBitsPerSample() const { return FSourceBPS; }
    int TargetBitsPerSample() const { return FTargetBPS; }
    int SourceSamplesPerPixel() const { return FSourceSPP; }
    int TargetSamplesPerPixel() const { return FTargetSPP; }
    TColorScheme SourceColorScheme() const { return FSourceScheme; }
    TColorScheme TargetColorScheme() const { return FTargetScheme; }
    TPixelFormat SourcePixelFormat() const { return GetPixelFormat(0); }
    TPixelFormat TargetPixelFormat() const { return GetPixelFormat(1); }
    void SetSourceBitsPerSample(int value);
    void SetTargetBitsPerSample(int value);
    void SetSourceSamplesPerPixel(int value);
    void SetTargetSamplesPerPixel(int value);
    void SetSourceColorScheme(TColorScheme value);
    void SetTargetColorScheme(TColorScheme value);

    TConvertOptions SourceOptions;
    TConvertOptions TargetOptions;

    const std::array<std::uint8_t, 256>& GammaTable() const { return FGammaTable; }
    // The converter chosen by the last preparation (null when none fits).
    TConversionMethod RowConversion() const { return FRowConversion; }

    void RowConvertRGB2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertRGB2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertBGR2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertBGR2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertGray(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    // Grey with alpha into BGRA or RGBA: the grey level in all three colours, the alpha kept.
    void RowConvertGrayAlpha(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertIndexed8(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertIndexedSource16(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertIndexedTarget16(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertIndexedBoth16(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertCMYK2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertCMYK2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertCIELAB2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertCIELAB2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertYCbCr2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertYCbCr2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertPhotoYCC2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);
    void RowConvertPhotoYCC2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask);

    // 16-bit sample to 8 bits: scaled, byte-swapped first, through the gamma table.
    std::uint8_t ComponentScaleConvert(std::uint16_t value) const;
    std::uint8_t ComponentSwapScaleConvert(std::uint16_t value) const;
    std::uint8_t ComponentScaleGammaConvert(std::uint16_t value) const;
    std::uint8_t ComponentSwapScaleGammaConvert(std::uint16_t value) const;

private:
    [[noreturn]] static void Error(const wchar_t* msg);
    void PrepareConversion();
    void CreateYCbCrLookup();
    void ColorRow(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask, bool swapOrder);
    void CMYKRow(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask, bool bgr);
    void LabRow(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask, bool bgr);
    void YCCRow(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask, bool bgr);
    // Writes the colour r, g, b (0..255) to one target pixel in the given order.
    void PutColor(std::uint8_t* pixel, int r, int g, int b, bool bgr) const;
    int TargetPixelBytes() const;
    int SourcePixelSamples() const;

    bool FChanged = true;
    std::uint8_t FSourceBPS = 8;
    std::uint8_t FTargetBPS = 8;
    std::uint8_t FSourceSPP = 3;
    std::uint8_t FTargetSPP = 3;
    float FMainGamma = 1.0f;
    float FDisplayGamma = 2.2f;
    std::array<std::uint8_t, 256> FGammaTable{};
    std::array<float, 3> FYCbCrCoefficients{0.299f, 0.587f, 0.114f};
    std::vector<int> FCrToRedTable, FCbToBlueTable, FCrToGreenTable, FCbToGreenTable;
    TColorScheme FSourceScheme = csRGB;
    TColorScheme FTargetScheme = csBGR;
    TConversionMethod FRowConversion = nullptr;
};
