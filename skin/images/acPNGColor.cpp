#include "acPNGColor.h"

#include "SysUtils.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr const wchar_t* SBitsPerSample = L"Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
constexpr const wchar_t* SSamplesPerPixel = L"Sample count per pixel does not correspond to the given color scheme.";
constexpr const wchar_t* SNoMethod = L"Color conversion failed. Could not find a proper method.";
constexpr const wchar_t* SIndexedMix = L"Conversion between indexed and non-indexed pixel formats is not supported.";

constexpr std::uint8_t RotateRight(std::uint8_t bit) { return static_cast<std::uint8_t>(bit >> 1 | bit << 7); }

constexpr std::uint16_t Swap16(std::uint16_t v) { return static_cast<std::uint16_t>(v >> 8 | v << 8); }

std::uint16_t Load16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

void Store16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

constexpr unsigned MaxOf(int bits) { return bits >= 16 ? 65535u : (1u << bits) - 1; }

// Packed sample number index of bits width, first pixel in the most significant bits.
unsigned GetBits(const std::uint8_t* row, std::uint32_t index, int bits)
{
    const std::size_t bit = static_cast<std::size_t>(index) * static_cast<std::size_t>(bits);
    const int shift = 8 - bits - static_cast<int>(bit % 8);
    return (row[bit / 8] >> shift) & MaxOf(bits);
}

void PutBits(std::uint8_t* row, std::uint32_t index, int bits, unsigned value)
{
    const std::size_t bit = static_cast<std::size_t>(index) * static_cast<std::size_t>(bits);
    const int shift = 8 - bits - static_cast<int>(bit % 8);
    const unsigned fieldMask = MaxOf(bits) << shift;
    std::uint8_t& b = row[bit / 8];
    b = static_cast<std::uint8_t>((b & ~fieldMask) | ((value << shift) & fieldMask));
}

// Reading, depth change, gamma and storing of the samples of one row conversion. Gamma reaches
// colour and grey levels, never the alpha.
struct SampleCodec {
    bool source16, target16, swapBytes, gamma;
    const std::array<std::uint8_t, 256>& gammaTable;

    unsigned Read(const std::uint8_t* p) const
    {
        if (!source16) return *p;
        const std::uint16_t v = Load16(p);
        return swapBytes ? Swap16(v) : v;
    }
    unsigned Depth(unsigned v) const
    {
        if (source16 && !target16) return v * 255 / 65535;
        if (!source16 && target16) return v * 65535 / 255;
        return v;
    }
    unsigned Level(unsigned v) const
    {
        if (!gamma) return Depth(v);
        const unsigned g = gammaTable[source16 ? v * 255 / 65535 : v];
        return target16 ? g * 65535 / 255 : g;
    }
    void Put(std::uint8_t* pixel, int index, unsigned v) const
    {
        if (target16) Store16(pixel + 2 * index, static_cast<std::uint16_t>(v));
        else pixel[index] = static_cast<std::uint8_t>(v);
    }
};

// Sample pointers of one source pixel: interleaved samples or planes, each advanced per pixel.
class SourceWalker {
public:
    SourceWalker(TRowSource source, int planesNeeded, int sampleBytes, int interleavedStep)
    {
        if (source.empty()) throw EColorConversionError(SNoMethod);
        planar_ = source.size() > 1;
        if (planar_) {
            if (source.size() < static_cast<std::size_t>(planesNeeded)) throw EColorConversionError(SNoMethod);
            for (std::size_t i = 0; i < std::min<std::size_t>(source.size(), 4); ++i) p_[i] = source[i];
            step_ = sampleBytes;
        } else {
            p_[0] = source[0];
            step_ = interleavedStep;
        }
        sampleBytes_ = sampleBytes;
    }
    const std::uint8_t* Sample(int channel) const
    {
        return planar_ ? p_[static_cast<std::size_t>(channel)] : p_[0] + channel * sampleBytes_;
    }
    void Next()
    {
        if (planar_) {
            for (auto& p : p_)
                if (p) p += step_;
        } else {
            p_[0] += step_;
        }
    }

private:
    std::array<const std::uint8_t*, 4> p_{};
    bool planar_ = false;
    int step_ = 0;
    int sampleBytes_ = 1;
};

} // namespace

std::uint16_t MulDiv16(std::uint16_t a, std::uint16_t b, std::uint16_t c)
{
    if (c == 0) return 0;
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(a) * b / c);
}

std::uint8_t ClampByte(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

TColorManager::TColorManager() { SetGamma(1.0f, 2.2f); }

void TColorManager::Error(const wchar_t* msg) { throw EColorConversionError(msg); }

void TColorManager::SetSourceBitsPerSample(int value)
{
    if (value < 1 || value > 16) Error(SBitsPerSample);
    if (FSourceBPS != value) FChanged = true;
    FSourceBPS = static_cast<std::uint8_t>(value);
}

void TColorManager::SetTargetBitsPerSample(int value)
{
    if (value < 1 || value > 16) Error(SBitsPerSample);
    if (FTargetBPS != value) FChanged = true;
    FTargetBPS = static_cast<std::uint8_t>(value);
}

void TColorManager::SetSourceSamplesPerPixel(int value)
{
    if (value < 1 || value > 4) Error(SSamplesPerPixel);
    if (FSourceSPP != value) FChanged = true;
    FSourceSPP = static_cast<std::uint8_t>(value);
}

void TColorManager::SetTargetSamplesPerPixel(int value)
{
    if (value < 1 || value > 4) Error(SSamplesPerPixel);
    if (FTargetSPP != value) FChanged = true;
    FTargetSPP = static_cast<std::uint8_t>(value);
}

void TColorManager::SetSourceColorScheme(TColorScheme value)
{
    if (FSourceScheme != value) FChanged = true;
    FSourceScheme = value;
}

void TColorManager::SetTargetColorScheme(TColorScheme value)
{
    if (FTargetScheme != value) FChanged = true;
    FTargetScheme = value;
}

TPixelFormat TColorManager::GetPixelFormat(int index) const
{
    const int spp = index == 0 ? FSourceSPP : FTargetSPP;
    const int bps = index == 0 ? FSourceBPS : FTargetBPS;
    switch (spp) {
    case 1:
        if (bps == 1) return pf1bit;
        if (bps >= 2 && bps <= 4) return pf4bit;
        if (bps >= 8 && bps <= 16) return pf8bit;
        return pfCustom;
    case 3: return bps >= 1 && bps <= 5 ? pf15bit : pf24bit;
    case 4: return bps < 8 ? pfCustom : pf32bit;
    default: return pfCustom;
    }
}

void TColorManager::SetGamma(float mainGamma, float displayGamma)
{
    FMainGamma = mainGamma > 0 ? mainGamma : 1.0f;
    FDisplayGamma = displayGamma > 0 ? displayGamma : 2.2f;
    const double exponent = 1.0 / (static_cast<double>(FMainGamma) * FDisplayGamma);
    const unsigned sourceMax = FSourceBPS >= 8 ? 255 : MaxOf(FSourceBPS);
    const unsigned targetMax = FTargetBPS >= 8 ? 255 : MaxOf(FTargetBPS);
    for (unsigned i = 0; i <= sourceMax; ++i)
        FGammaTable[i] = static_cast<std::uint8_t>(
            Round(std::pow(static_cast<double>(i) / sourceMax, exponent) * targetMax));
}

void TColorManager::ConvertRow(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask)
{
    if (FChanged) PrepareConversion();
    if (!FRowConversion) Error(SNoMethod);
    (this->*FRowConversion)(source, target, count, mask);
}

void TColorManager::ConvertRow(const std::uint8_t* source, std::uint8_t* target, std::uint32_t count,
                               std::uint8_t mask)
{
    const std::uint8_t* const one[] = {source};
    ConvertRow(TRowSource(one), target, count, mask);
}

void TColorManager::PrepareConversion()
{
    FRowConversion = nullptr;
    const bool sourceIndexed = FSourceScheme == csIndexed || FSourceScheme == csG || FSourceScheme == csGA;
    const bool targetIndexed = FTargetScheme == csIndexed || FTargetScheme == csG;
    // Grey with alpha also goes to a colour layout with alpha, which keeps the alpha samples.
    const bool greyToColour = FSourceScheme == csGA && (FTargetScheme == csBGRA || FTargetScheme == csRGBA);
    if (sourceIndexed != targetIndexed && !greyToColour) Error(SIndexedMix);

    const auto hasAlpha = [](TColorScheme s) { return s == csGA || s == csRGBA || s == csBGRA; };
    if (hasAlpha(FSourceScheme)) SourceOptions.Include(coAlpha); else SourceOptions.Exclude(coAlpha);
    if (hasAlpha(FTargetScheme)) TargetOptions.Include(coAlpha); else TargetOptions.Exclude(coAlpha);

    const bool source16 = FSourceBPS == 16;
    const bool target16 = FTargetBPS == 16;
    const bool targetRGB = FTargetScheme == csRGB || FTargetScheme == csRGBA;
    const bool targetBGR = FTargetScheme == csBGR || FTargetScheme == csBGRA;
    const auto pick = [&](TConversionMethod toRGB, TConversionMethod toBGR) {
        if (targetRGB) FRowConversion = toRGB;
        else if (targetBGR) FRowConversion = toBGR;
    };
    switch (FSourceScheme) {
    case csIndexed:
        if (source16 && target16) FRowConversion = &TColorManager::RowConvertIndexedBoth16;
        else if (source16) FRowConversion = &TColorManager::RowConvertIndexedSource16;
        else if (target16) FRowConversion = &TColorManager::RowConvertIndexedTarget16;
        else FRowConversion = &TColorManager::RowConvertIndexed8;
        break;
    case csG:
        if (!source16 && !target16) FRowConversion = &TColorManager::RowConvertIndexed8;
        else if (FSourceBPS >= 8 && FTargetBPS >= 8) FRowConversion = &TColorManager::RowConvertGray;
        break;
    case csGA:
        if ((FSourceBPS == 8 || source16) && (FTargetBPS == 8 || target16))
            FRowConversion = greyToColour ? &TColorManager::RowConvertGrayAlpha : &TColorManager::RowConvertGray;
        break;
    case csRGB:
    case csRGBA: pick(&TColorManager::RowConvertRGB2RGB, &TColorManager::RowConvertRGB2BGR); break;
    case csBGR:
    case csBGRA: pick(&TColorManager::RowConvertBGR2RGB, &TColorManager::RowConvertBGR2BGR); break;
    case csCMYK: pick(&TColorManager::RowConvertCMYK2RGB, &TColorManager::RowConvertCMYK2BGR); break;
    case csCIELab: pick(&TColorManager::RowConvertCIELAB2RGB, &TColorManager::RowConvertCIELAB2BGR); break;
    case csYCbCr:
    case csPhotoYCC:
        if (targetRGB || targetBGR) {
            CreateYCbCrLookup();
            if (FSourceScheme == csYCbCr) pick(&TColorManager::RowConvertYCbCr2RGB, &TColorManager::RowConvertYCbCr2BGR);
            else pick(&TColorManager::RowConvertPhotoYCC2RGB, &TColorManager::RowConvertPhotoYCC2BGR);
        }
        break;
    default: break;
    }
    FChanged = false;
}

void TColorManager::CreateYCbCrLookup()
{
    const double r = FYCbCrCoefficients[0], g = FYCbCrCoefficients[1], b = FYCbCrCoefficients[2];
    const double f1 = 2 - 2 * r, f2 = r * f1 / g, f3 = 2 - 2 * b, f4 = b * f3 / g;
    FCrToRedTable.assign(256, 0);
    FCbToBlueTable.assign(256, 0);
    FCrToGreenTable.assign(256, 0);
    FCbToGreenTable.assign(256, 0);
    const bool photo = FSourceScheme == csPhotoYCC;
    for (int i = 0; i < 256; ++i) {
        const double vr = photo ? i - 137 : i - 128;
        const double vb = photo ? i - 156 : i - 128;
        const auto n = static_cast<std::size_t>(i);
        FCrToRedTable[n] = static_cast<int>(Round(vr * f1));
        FCbToBlueTable[n] = static_cast<int>(Round(vb * f3));
        FCrToGreenTable[n] = -static_cast<int>(Round(vr * f2));
        FCbToGreenTable[n] = -static_cast<int>(Round(vb * f4));
    }
}

// ---- component functions -----------------------------------------------------------------------

std::uint8_t TColorManager::ComponentScaleConvert(std::uint16_t value) const
{
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) * 255 / 65535);
}

std::uint8_t TColorManager::ComponentSwapScaleConvert(std::uint16_t value) const
{
    return ComponentScaleConvert(Swap16(value));
}

std::uint8_t TColorManager::ComponentScaleGammaConvert(std::uint16_t value) const
{
    return FGammaTable[ComponentScaleConvert(value)];
}

std::uint8_t TColorManager::ComponentSwapScaleGammaConvert(std::uint16_t value) const
{
    return FGammaTable[ComponentSwapScaleConvert(value)];
}

// ---- row converters ----------------------------------------------------------------------------

int TColorManager::TargetPixelBytes() const
{
    return (TargetOptions.Contains(coAlpha) ? 4 : 3) * (FTargetBPS == 16 ? 2 : 1);
}

int TColorManager::SourcePixelSamples() const { return SourceOptions.Contains(coAlpha) ? 4 : 3; }

void TColorManager::ColorRow(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask,
                             bool swapOrder)
{
    const bool source16 = FSourceBPS == 16, target16 = FTargetBPS == 16;
    const int sampleBytes = source16 ? 2 : 1;
    const bool sourceAlpha = SourceOptions.Contains(coAlpha);
    const bool copyAlpha = sourceAlpha && TargetOptions.Contains(coAlpha);
    const bool gamma = TargetOptions.Contains(coApplyGamma);
    const bool swapBytes = SourceOptions.Contains(coNeedByteSwap);
    const int targetBytes = TargetPixelBytes();
    SourceWalker src(source, sourceAlpha ? 4 : 3, sampleBytes, SourcePixelSamples() * sampleBytes);

    const SampleCodec codec{source16, target16, swapBytes, gamma, FGammaTable};
    const auto read = [&](int channel) { return codec.Read(src.Sample(channel)); };

    std::uint8_t bit = 0x80;
    for (std::uint32_t i = 0; i < count; ++i, target += targetBytes, bit = RotateRight(bit)) {
        if (!(mask & bit)) continue;
        const unsigned c0 = codec.Level(read(0)), c1 = codec.Level(read(1)), c2 = codec.Level(read(2));
        codec.Put(target, 0, swapOrder ? c2 : c0);
        codec.Put(target, 1, c1);
        codec.Put(target, 2, swapOrder ? c0 : c2);
        if (copyAlpha) codec.Put(target, 3, codec.Depth(read(3)));
        src.Next();
    }
}

void TColorManager::RowConvertRGB2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask)
{
    ColorRow(source, target, count, mask, false);
}

void TColorManager::RowConvertBGR2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask)
{
    ColorRow(source, target, count, mask, false);
}

void TColorManager::RowConvertRGB2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask)
{
    ColorRow(source, target, count, mask, true);
}

void TColorManager::RowConvertBGR2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask)
{
    ColorRow(source, target, count, mask, true);
}

void TColorManager::RowConvertGray(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask)
{
    if (source.empty()) Error(SNoMethod);
    const bool source16 = FSourceBPS == 16, target16 = FTargetBPS == 16;
    const bool swapBytes = SourceOptions.Contains(coNeedByteSwap);
    const int sourceStep = (SourceOptions.Contains(coAlpha) ? 2 : 1) * (source16 ? 2 : 1);
    const SampleCodec codec{source16, target16, swapBytes, false, FGammaTable};
    const std::uint8_t* s = source[0];
    std::uint8_t bit = 0x80;
    for (std::uint32_t i = 0; i < count; ++i, bit = RotateRight(bit)) {
        if (!(mask & bit)) continue;
        codec.Put(target, static_cast<int>(i), codec.Depth(codec.Read(s)));
        s += sourceStep;
    }
}

void TColorManager::RowConvertGrayAlpha(TRowSource source, std::uint8_t* target, std::uint32_t count,
                                       std::uint8_t mask)
{
    if (source.empty()) Error(SNoMethod);
    const bool source16 = FSourceBPS == 16, target16 = FTargetBPS == 16;
    const bool swapBytes = SourceOptions.Contains(coNeedByteSwap);
    const bool gamma = TargetOptions.Contains(coApplyGamma);
    const int sampleBytes = source16 ? 2 : 1;
    const int targetBytes = target16 ? 8 : 4;
    const SampleCodec codec{source16, target16, swapBytes, gamma, FGammaTable};
    const std::uint8_t* s = source[0];
    std::uint8_t bit = 0x80;
    for (std::uint32_t i = 0; i < count; ++i, target += targetBytes, bit = RotateRight(bit)) {
        if (!(mask & bit)) continue;
        const unsigned level = codec.Level(codec.Read(s));
        codec.Put(target, 0, level);
        codec.Put(target, 1, level);
        codec.Put(target, 2, level);
        codec.Put(target, 3, codec.Depth(codec.Read(s + sampleBytes)));
        s += 2 * sampleBytes;
    }
}

void TColorManager::RowConvertIndexed8(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask)
{
    if (source.empty()) Error(SNoMethod);
    const std::uint8_t* s = source[0];
    if (FSourceBPS == FTargetBPS && mask == 0xFF) {
        std::memcpy(target, s, (static_cast<std::size_t>(FSourceBPS) * count + 7) / 8);
        return;
    }
    const auto sourceMax = static_cast<std::uint16_t>(MaxOf(FSourceBPS));
    const auto targetMax = static_cast<std::uint16_t>(MaxOf(FTargetBPS));
    std::uint32_t k = 0;
    std::uint8_t bit = 0x80;
    for (std::uint32_t i = 0; i < count; ++i, bit = RotateRight(bit)) {
        if (!(mask & bit)) continue;
        const auto v = static_cast<std::uint16_t>(GetBits(s, k++, FSourceBPS));
        PutBits(target, i, FTargetBPS, MulDiv16(v, targetMax, sourceMax));
    }
}

void TColorManager::RowConvertIndexedSource16(TRowSource source, std::uint8_t* target, std::uint32_t count,
                                              std::uint8_t mask)
{
    if (source.empty()) Error(SNoMethod);
    const std::uint8_t* s = source[0];
    const bool swapBytes = SourceOptions.Contains(coNeedByteSwap);
    const auto targetMax = static_cast<std::uint16_t>(MaxOf(FTargetBPS));
    std::uint8_t bit = 0x80;
    for (std::uint32_t i = 0; i < count; ++i, bit = RotateRight(bit)) {
        if (!(mask & bit)) continue;
        std::uint16_t v = Load16(s);
        if (swapBytes) v = Swap16(v);
        PutBits(target, i, FTargetBPS, MulDiv16(v, targetMax, 65535));
        s += 2;
    }
}

void TColorManager::RowConvertIndexedTarget16(TRowSource source, std::uint8_t* target, std::uint32_t count,
                                              std::uint8_t mask)
{
    if (source.empty()) Error(SNoMethod);
    const std::uint8_t* s = source[0];
    const bool swapBytes = SourceOptions.Contains(coNeedByteSwap);
    const auto sourceMax = static_cast<std::uint16_t>(MaxOf(FSourceBPS));
    std::uint32_t k = 0;
    std::uint8_t bit = 0x80;
    for (std::uint32_t i = 0; i < count; ++i, bit = RotateRight(bit)) {
        if (!(mask & bit)) continue;
        std::uint16_t v = MulDiv16(static_cast<std::uint16_t>(GetBits(s, k++, FSourceBPS)), 65535, sourceMax);
        if (swapBytes) v = Swap16(v);
        Store16(target + 2 * i, v);
    }
}

void TColorManager::RowConvertIndexedBoth16(TRowSource source, std::uint8_t* target, std::uint32_t count,
                                            std::uint8_t mask)
{
    if (source.empty()) Error(SNoMethod);
    const std::uint8_t* s = source[0];
    const bool swapBytes = SourceOptions.Contains(coNeedByteSwap);
    if (mask == 0xFF && !swapBytes) {
        std::memcpy(target, s, 2 * static_cast<std::size_t>(count));
        return;
    }
    std::uint8_t bit = 0x80;
    for (std::uint32_t i = 0; i < count; ++i, bit = RotateRight(bit)) {
        if (!(mask & bit)) continue;
        const std::uint16_t v = Load16(s);
        Store16(target + 2 * i, swapBytes ? Swap16(v) : v);
        s += 2;
    }
}

void TColorManager::PutColor(std::uint8_t* pixel, int r, int g, int b, bool bgr) const
{
    const int first = bgr ? b : r, last = bgr ? r : b;
    if (FTargetBPS == 16) {
        Store16(pixel, static_cast<std::uint16_t>(first * 65535 / 255));
        Store16(pixel + 2, static_cast<std::uint16_t>(g * 65535 / 255));
        Store16(pixel + 4, static_cast<std::uint16_t>(last * 65535 / 255));
    } else {
        pixel[0] = static_cast<std::uint8_t>(first);
        pixel[1] = static_cast<std::uint8_t>(g);
        pixel[2] = static_cast<std::uint8_t>(last);
    }
}

void TColorManager::CMYKRow(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask, bool bgr)
{
    SourceWalker src(source, 4, 1, 4);
    const int targetBytes = TargetPixelBytes();
    const auto channel = [](int x, int k) { return ClampByte(255 - (x - x * k / 255 + k)); };
    std::uint8_t bit = 0x80;
    for (std::uint32_t i = 0; i < count; ++i, target += targetBytes, bit = RotateRight(bit)) {
        if (!(mask & bit)) continue;
        const int c = *src.Sample(0), m = *src.Sample(1), y = *src.Sample(2), k = *src.Sample(3);
        PutColor(target, channel(c, k), channel(m, k), channel(y, k), bgr);
        src.Next();
    }
}

void TColorManager::RowConvertCMYK2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask)
{
    CMYKRow(source, target, count, mask, true);
}

void TColorManager::RowConvertCMYK2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask)
{
    CMYKRow(source, target, count, mask, false);
}

void TColorManager::LabRow(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask, bool bgr)
{
    SourceWalker src(source, 3, 1, SourcePixelSamples());
    const int targetBytes = TargetPixelBytes();
    const bool byteRange = SourceOptions.Contains(coLabByteRange);
    const bool chromaOffset = SourceOptions.Contains(coLabChromaOffset);
    const auto toByte = [](double v) {
        return static_cast<int>(ClampByte(static_cast<int>(std::clamp<long long>(Round(v), -1, 256))));
    };
    std::uint8_t bit = 0x80;
    for (std::uint32_t i = 0; i < count; ++i, target += targetBytes, bit = RotateRight(bit)) {
        if (!(mask & bit)) continue;
        double l = *src.Sample(0);
        if (byteRange) l /= 2.55;
        const std::uint8_t ra = *src.Sample(1), rb = *src.Sample(2);
        const double a = chromaOffset ? ra - 128 : static_cast<std::int8_t>(ra);
        const double b = chromaOffset ? rb - 128 : static_cast<std::int8_t>(rb);
        const double fy = (l + 16) / 116;
        double x, y, z;
        if (l <= 7.9996) {
            y = l / 903.3;
            x = a / 3893.5 + y;
            z = y - b / 1557.4;
        } else {
            x = std::pow(a / 500 + fy, 3);
            y = fy * fy * fy;
            z = std::pow(fy - b / 200, 3);
        }
        const int blue = toByte((0.099 * x - 0.198 * y + 1.099 * z) * 255);
        const int green = toByte((-0.952 * x + 1.893 * y + 0.059 * z) * 255);
        const int red = toByte((2.998 * x - 1.458 * y - 0.541 * z) * 255);
        PutColor(target, red, green, blue, bgr);
        src.Next();
    }
}

void TColorManager::RowConvertCIELAB2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count,
                                         std::uint8_t mask)
{
    LabRow(source, target, count, mask, true);
}

void TColorManager::RowConvertCIELAB2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count,
                                         std::uint8_t mask)
{
    LabRow(source, target, count, mask, false);
}

void TColorManager::YCCRow(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask, bool bgr)
{
    if (FCrToRedTable.size() != 256) CreateYCbCrLookup();
    SourceWalker src(source, 3, 1, 3);
    const int targetBytes = TargetPixelBytes();
    std::uint8_t bit = 0x80;
    for (std::uint32_t i = 0; i < count; ++i, target += targetBytes, bit = RotateRight(bit)) {
        if (!(mask & bit)) continue;
        const int y = *src.Sample(0);
        const std::size_t cb = *src.Sample(1), cr = *src.Sample(2);
        PutColor(target, ClampByte(y + FCrToRedTable[cr]), ClampByte(y + FCbToGreenTable[cb] + FCrToGreenTable[cr]),
                 ClampByte(y + FCbToBlueTable[cb]), bgr);
        src.Next();
    }
}

void TColorManager::RowConvertYCbCr2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask)
{
    YCCRow(source, target, count, mask, true);
}

void TColorManager::RowConvertYCbCr2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask)
{
    YCCRow(source, target, count, mask, false);
}

void TColorManager::RowConvertPhotoYCC2BGR(TRowSource source, std::uint8_t* target, std::uint32_t count,
                                           std::uint8_t mask)
{
    YCCRow(source, target, count, mask, true);
}

void TColorManager::RowConvertPhotoYCC2RGB(TRowSource source, std::uint8_t* target, std::uint32_t count,
                                           std::uint8_t mask)
{
    YCCRow(source, target, count, mask, false);
}

// ---- palettes ----------------------------------------------------------------------------------

namespace {

// LOGPALETTE with room for every entry.
struct PaletteBlock {
    WORD palVersion = 0x300;
    WORD palNumEntries = 0;
    std::array<PALETTEENTRY, 256> entries{};
};

HPALETTE MakePalette(const PaletteBlock& block) { return CreatePalette(reinterpret_cast<const LOGPALETTE*>(&block)); }

} // namespace

HPALETTE TColorManager::CreateGrayscalePalette(bool minimumIsWhite) const
{
    const int entries = 1 << std::min(FTargetBPS * FTargetSPP, 8);
    const int upper = entries - 1;
    const int step = 255 / upper;
    const bool gamma = TargetOptions.Contains(coApplyGamma);
    PaletteBlock block;
    block.palNumEntries = static_cast<WORD>(entries);
    for (int i = 0; i <= upper; ++i) {
        const auto level = static_cast<BYTE>(gamma ? FGammaTable[static_cast<std::size_t>(step * i)] : step * i);
        PALETTEENTRY& e = block.entries[static_cast<std::size_t>(minimumIsWhite ? upper - i : i)];
        e = {level, level, level, 0};
    }
    return MakePalette(block);
}

HPALETTE TColorManager::CreateColorPalette(TRowSource data, TRawPaletteFormat dataFormat, std::uint32_t colorCount,
                                           bool rgb) const
{
    const bool planar = dataFormat == pfPlane8Triple || dataFormat == pfPlane8Quad || dataFormat == pfPlane16Triple ||
                        dataFormat == pfPlane16Quad;
    const bool wide = dataFormat >= pfInterlaced16Triple;
    const bool quad = dataFormat == pfInterlaced8Quad || dataFormat == pfInterlaced16Quad;
    if (data.empty() || (planar && data.size() < 3)) Error(SNoMethod);
    const bool gamma = TargetOptions.Contains(coApplyGamma);
    const bool swapBytes = SourceOptions.Contains(coNeedByteSwap);

    const std::uint32_t entries = std::min<std::uint32_t>(colorCount, 256);
    std::array<PALETTEENTRY, 256> colours{};
    for (std::uint32_t i = 0; i < entries; ++i) {
        std::array<std::uint8_t, 3> c{};
        for (std::size_t k = 0; k < 3; ++k) {
            const std::size_t index = planar ? i : i * (quad ? 4 : 3) + k;
            const std::uint8_t* base = planar ? data[k] : data[0];
            if (wide) {
                const std::uint16_t v = Load16(base + 2 * index);
                c[k] = swapBytes ? (gamma ? ComponentSwapScaleGammaConvert(v) : ComponentSwapScaleConvert(v))
                                 : (gamma ? ComponentScaleGammaConvert(v) : ComponentScaleConvert(v));
            } else {
                c[k] = gamma ? FGammaTable[base[index]] : base[index];
            }
        }
        colours[i] = rgb ? PALETTEENTRY{c[2], c[1], c[0], 0} : PALETTEENTRY{c[0], c[1], c[2], 0};
    }

    PaletteBlock block;
    block.palNumEntries = static_cast<WORD>(entries);
    block.entries = colours;
    const unsigned sourceMax = MaxOf(FSourceBPS), targetMax = MaxOf(FTargetBPS);
    if (FTargetBPS <= 8 && sourceMax != targetMax) {
        // Spread to the target's index range so that palette and rescaled indices agree; a
        // short palette leaves the rest black.
        block.palNumEntries = static_cast<WORD>(targetMax + 1);
        for (unsigned i = 0; i <= targetMax; ++i) {
            const unsigned from = MulDiv16(static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(sourceMax),
                                           static_cast<std::uint16_t>(targetMax));
            block.entries[i] = from < entries ? colours[from] : PALETTEENTRY{0, 0, 0, 0};
        }
    }
    return MakePalette(block);
}
