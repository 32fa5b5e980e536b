#pragma once
// PNG reader: decodes PNG files, streams and RCDATA resources into a bitmap of the matching pixel
// format (every colour type and depth, Adam7 or not), gives a loaded image a 32-bit alpha copy,
// and serves ".png" for the picture class.
#include "Graphics.h"
#include "acPNGColor.h"
#include "acZLibEx.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

FW_DECLARE_EXCEPTION(EGraphicCompression, EInvalidGraphic);

// Enables CanLoad.
extern bool UseACPng;

enum TImageOption { ioBigEndian, ioUseGamma };
using TImageOptions = TSet<TImageOption>;
enum TCompressionType { ctUnknown, ctNone, ctLZ77 };

struct TImageProperties {
    TImageOptions Options;
    std::uint32_t Width = 0;
    TColorScheme ColorScheme = csUnknown;
    std::uint8_t BitsPerSample = 0;
    std::uint8_t SamplesPerPixel = 0;
    TCompressionType Compression = ctUnknown;
};

using TChunkType = std::array<char, 4>;

struct TPNGChunkHeader {
    std::uint32_t Length = 0;
    TChunkType ChunkType{};
};

// Inflate fed piecewise: the reader hands it each chunk's data and each row's room.
class TLZ77Decoder {
public:
    TLZ77Decoder(int flushMode, bool autoReset);
    ~TLZ77Decoder();
    TLZ77Decoder(const TLZ77Decoder&) = delete;
    TLZ77Decoder& operator=(const TLZ77Decoder&) = delete;

    // Failures raise EGraphicCompression "LZ77 decompression error.".
    void DecodeInit();
    void DecodeEnd();
    // Inflates from source into dest; both spans are advanced past what was used. After the end
    // of the data (result 1) nothing more is inflated.
    void Decode(std::span<const std::uint8_t>& source, std::span<std::uint8_t>& dest);

    std::uint32_t AvailableInput() const { return FStream.avail_in; }
    std::uint32_t AvailableOutput() const { return FStream.avail_out; }
    int ZLibResult() const { return FZLibResult; }

private:
    TZStreamRec FStream{};
    int FZLibResult = 0;
    int FFlushMode;
    bool FAutoReset;
    bool initialised_ = false;
};

class TPNGGraphic : public TBitmap {
public:
    TPNGGraphic();
    ~TPNGGraphic() override;
    UnicodeString ClassName() const override { return L"TPNGGraphic"; }
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TPNGGraphic>(); }

    // True when more than 8 bytes follow the position and the next 8 are the PNG signature; the
    // position is restored.
    static bool CanLoadFromStream(TStream& stream);
    bool CanLoad(TStream& stream) const;
    bool CanLoad(const UnicodeString& fileName) const;

    // Errors raise EInvalidGraphic; a stream that ends early raises EReadError.
    void LoadFromStream(TStream& stream) override;
    void LoadFromResourceName(HINSTANCE instance, const UnicodeString& resName);
    bool ReadImageProperties(TStream& stream, unsigned imageIndex);

    void Assign(const TPersistent* source) override;
    // A 32-bit image is alpha-blended over what the canvas holds, scaled to rect.
    void Draw(TCanvas* canvas, const TRect& rect) override;

    TColor BackgroundColor() const { return FBackgroundColor; }
    const std::vector<std::uint8_t>& Transparency() const { return FTransparency; }
    TColorManager& ColorManager() { return *FColorManager; }
    const TColorManager& ColorManager() const { return *FColorManager; }
    const TImageProperties& ImageProperties() const { return FImageProperties; }

    bool Reflected = false;

private:
    struct IHDR {
        std::uint32_t width = 0, height = 0;
        std::uint8_t bitDepth = 0, colorType = 0, compression = 0, filter = 0, interlace = 0;
    };
    struct PaletteOwner {
        HPALETTE handle = nullptr;
        void Reset(HPALETTE h = nullptr);
        HPALETTE Release();
        ~PaletteOwner() { Reset(); }
    };

    bool IsChunk(const char (&type)[5]) const;
    std::uint32_t LoadAndSwapHeader();
    void ReadDataAndCheckCRC();
    void SkipChunk();
    IHDR ReadIHDR();
    int SetupColorDepth(int colorType, int bitDepth);
    void LoadIDAT(const IHDR& ihdr);
    void ReadRow(std::span<std::uint8_t> dest);
    void LoadBackgroundColor(const IHDR& ihdr);
    void LoadTransparency(const IHDR& ihdr);

    std::unique_ptr<TColorManager> FColorManager;
    TImageProperties FImageProperties;
    std::vector<std::uint8_t> FTransparency;
    TColor FBackgroundColor = clWhite;
    TRect FProgressRect;
    long long FBasePosition = 0;
    TStream* FStream = nullptr;
    std::unique_ptr<TLZ77Decoder> FDecoder;
    std::vector<std::uint8_t> FRawBuffer;
    std::size_t FCurrentSource = 0; // next unread byte of FRawBuffer
    TPNGChunkHeader FHeader;
    std::uint32_t FCurrentCRC = 0;
    int FSourceBPP = 1;
    PaletteOwner FPalette;
    TColor FTransparentColor = clNone;
};

// bmp gets a 32-bit copy of png with usable alpha.
void UpdateTransparency(TBitmap* bmp, TPNGGraphic* png);

// CRC-32 of PNG chunks (reflected polynomial $EDB88320); crc starts at 0.
std::uint32_t PngCrc32(std::uint32_t crc, std::span<const std::uint8_t> data);

// Registers TPNGGraphic for ".png" on the first call; the last matching finalisation unregisters.
void acPNGInitialization();
void acPNGFinalization();
