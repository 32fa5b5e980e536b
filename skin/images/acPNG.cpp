#include "acPNG.h"

#include "acUnitCounter.h"
#include "acntUtils.h"
#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"

#include <algorithm>
#include <cstring>

bool UseACPng = true;

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// A PNG file is untrusted: bound every size before anything is allocated.
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;
constexpr std::uint32_t kMaxSide = 32768;
constexpr std::uint64_t kMaxBitmapBytes = 256ull << 20; // of the 32-bit picture

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint32_t CrcUpdate(std::uint32_t running, std::span<const std::uint8_t> data)
{
    for (std::uint8_t b : data) running = kCrcTable[(running ^ b) & 0xFF] ^ (running >> 8);
    return running;
}

std::uint32_t BigEndian32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

unsigned BigEndian16(const std::uint8_t* p) { return static_cast<unsigned>(p[0] << 8 | p[1]); }

[[noreturn]] void InvalidFormat()
{
    throw EInvalidGraphic(L"Cannot load image. Invalid or unexpected PNG image format.");
}

// Undoes one row's filter in place.
void ApplyFilter(std::uint8_t filter, std::span<std::uint8_t> line, std::span<const std::uint8_t> prev, int bpp)
{
    const std::size_t n = line.size();
    const std::size_t first = std::min(static_cast<std::size_t>(bpp), n);
    const std::size_t d = static_cast<std::size_t>(bpp);
    switch (filter) {
    case 1:
        for (std::size_t i = first; i < n; ++i) line[i] = static_cast<std::uint8_t>(line[i] + line[i - d]);
        break;
    case 2:
        for (std::size_t i = 0; i < n; ++i) line[i] = static_cast<std::uint8_t>(line[i] + prev[i]);
        break;
    case 3:
        for (std::size_t i = 0; i < first; ++i) line[i] = static_cast<std::uint8_t>(line[i] + prev[i] / 2);
        for (std::size_t i = first; i < n; ++i) line[i] = static_cast<std::uint8_t>(line[i] + (line[i - d] + prev[i]) / 2);
        break;
    case 4:
        for (std::size_t i = 0; i < first; ++i) line[i] = static_cast<std::uint8_t>(line[i] + prev[i]);
        for (std::size_t i = first; i < n; ++i) {
            const int a = line[i - d], b = prev[i], c = prev[i - d];
            const int p = a + b - c;
            const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
            line[i] = static_cast<std::uint8_t>(line[i] + pred);
        }
        break;
    default: break; // 0, and unknown filters leave the row
    }
}

struct Adam7Pass {
    int firstRow, rowStep, firstColumn, columnStep;
    std::uint8_t mask;
};
constexpr Adam7Pass kPasses[7] = {{0, 8, 0, 8, 0x80}, {0, 8, 4, 8, 0x08}, {4, 8, 0, 4, 0x88}, {0, 4, 2, 4, 0x22},
                                  {2, 4, 0, 2, 0xAA}, {0, 2, 1, 2, 0x55}, {1, 2, 0, 1, 0xFF}};

TacUnitCounter g_unitCounter;

} // namespace

std::uint32_t PngCrc32(std::uint32_t crc, std::span<const std::uint8_t> data)
{
    return ~CrcUpdate(~crc, data);
}

// ---- TLZ77Decoder ------------------------------------------------------------------------------

TLZ77Decoder::TLZ77Decoder(int flushMode, bool autoReset) : FFlushMode(flushMode), FAutoReset(autoReset) {}

TLZ77Decoder::~TLZ77Decoder()
{
    if (initialised_) inflateEnd(&FStream);
}

void TLZ77Decoder::DecodeInit()
{
    if (InflateInit(FStream) < 0) throw EGraphicCompression(L"LZ77 decompression error.");
    initialised_ = true;
}

void TLZ77Decoder::DecodeEnd()
{
    if (!initialised_) return;
    initialised_ = false;
    if (inflateEnd(&FStream) < 0) throw EGraphicCompression(L"LZ77 decompression error.");
}

void TLZ77Decoder::Decode(std::span<const std::uint8_t>& source, std::span<std::uint8_t>& dest)
{
    FStream.next_in = const_cast<Bytef*>(source.data());
    FStream.avail_in = static_cast<uInt>(source.size());
    if (FAutoReset) FZLibResult = inflateReset(&FStream);
    if (FZLibResult != Z_OK) return;
    FStream.next_out = dest.data();
    FStream.avail_out = static_cast<uInt>(dest.size());
    FZLibResult = inflate(&FStream, FFlushMode);
    source = source.subspan(source.size() - FStream.avail_in);
    dest = dest.subspan(dest.size() - FStream.avail_out);
}

// ---- TPNGGraphic -------------------------------------------------------------------------------

void TPNGGraphic::PaletteOwner::Reset(HPALETTE h)
{
    if (handle) DeleteObject(handle);
    handle = h;
}

HPALETTE TPNGGraphic::PaletteOwner::Release()
{
    HPALETTE h = handle;
    handle = nullptr;
    return h;
}

TPNGGraphic::TPNGGraphic() : FColorManager(std::make_unique<TColorManager>()) {}

TPNGGraphic::~TPNGGraphic() = default;

bool TPNGGraphic::CanLoadFromStream(TStream& stream)
{
    if (!UseACPng) return false;
    const long long position = stream.Position();
    bool result = false;
    if (stream.Size() - position > 8) {
        std::array<std::uint8_t, 8> head{};
        result = stream.Read(head.data(), 8) == 8 && head == kSignature;
    }
    stream.SetPosition(position);
    return result;
}

bool TPNGGraphic::CanLoad(TStream& stream) const { return CanLoadFromStream(stream); }

bool TPNGGraphic::CanLoad(const UnicodeString& fileName) const
{
    if (!UseACPng) return false;
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    return CanLoad(file);
}

void TPNGGraphic::LoadFromResourceName(HINSTANCE instance, const UnicodeString& resName)
{
    TResourceStream stream(instance, resName);
    LoadFromStream(stream);
}

bool TPNGGraphic::IsChunk(const char (&type)[5]) const
{
    for (std::size_t i = 0; i < 4; ++i)
        if (((FHeader.ChunkType[i] ^ type[i]) & ~0x20) != 0) return false;
    return true;
}

std::uint32_t TPNGGraphic::LoadAndSwapHeader()
{
    std::array<std::uint8_t, 8> raw{};
    FStream->ReadBuffer(raw.data(), 8);
    FHeader.Length = BigEndian32(raw.data());
    std::memcpy(FHeader.ChunkType.data(), raw.data() + 4, 4);
    // The length decides an allocation: it must fit what is left of the stream.
    const long long left = FStream->Size() - FStream->Position();
    if (FHeader.Length > kMaxChunkLength || static_cast<long long>(FHeader.Length) > left) InvalidFormat();
    FCurrentCRC = CrcUpdate(0xFFFFFFFFu, std::span<const std::uint8_t>(raw.data() + 4, 4));
    return FCurrentCRC;
}

void TPNGGraphic::ReadDataAndCheckCRC()
{
    FRawBuffer.resize(FHeader.Length);
    if (!FRawBuffer.empty()) FStream->ReadBuffer(FRawBuffer.data(), static_cast<long long>(FRawBuffer.size()));
    std::array<std::uint8_t, 4> stored{};
    FStream->ReadBuffer(stored.data(), 4);
    FCurrentCRC = ~CrcUpdate(FCurrentCRC, FRawBuffer);
    if (FCurrentCRC != BigEndian32(stored.data())) throw EInvalidGraphic(L"Cannot load image. CRC error found in PNG file.");
}

void TPNGGraphic::SkipChunk() { FStream->Seek(static_cast<long long>(FHeader.Length) + 4, soCurrent); }

TPNGGraphic::IHDR TPNGGraphic::ReadIHDR()
{
    LoadAndSwapHeader();
    if (!IsChunk("IHDR") || FHeader.Length != 13) InvalidFormat();
    ReadDataAndCheckCRC();
    const std::uint8_t* d = FRawBuffer.data();
    IHDR h;
    h.width = BigEndian32(d);
    h.height = BigEndian32(d + 4);
    h.bitDepth = d[8];
    h.colorType = d[9];
    h.compression = d[10];
    h.filter = d[11];
    h.interlace = d[12];
    return h;
}

bool TPNGGraphic::ReadImageProperties(TStream& stream, unsigned)
{
    FImageProperties = TImageProperties{};
    FStream = &stream;
    std::array<std::uint8_t, 8> signature{};
    if (stream.Read(signature.data(), 8) != 8 || signature != kSignature) return false;
    const IHDR h = ReadIHDR();
    if (h.width == 0 || h.height == 0 || h.width > kMaxSide || h.height > kMaxSide) return false;
    if (std::uint64_t{h.width} * h.height * 4 > kMaxBitmapBytes) return false;

    static constexpr struct {
        TColorScheme scheme;
        std::uint8_t samples;
    } kSchemes[] = {{csG, 1}, {csUnknown, 1}, {csRGB, 3}, {csIndexed, 1}, {csGA, 1}, {csUnknown, 1}, {csRGBA, 4}};
    const auto& s = h.colorType < 7 ? kSchemes[h.colorType] : kSchemes[1];
    FImageProperties.Width = h.width;
    FImageProperties.ColorScheme = s.scheme;
    FImageProperties.SamplesPerPixel = s.samples;
    FImageProperties.BitsPerSample = h.bitDepth;
    FImageProperties.Compression = h.compression == 0 ? ctLZ77 : ctUnknown;
    FImageProperties.Options = {ioBigEndian};
    SetHeight(static_cast<int>(h.height));

    for (;;) {
        LoadAndSwapHeader();
        if (IsChunk("gAMA")) {
            ReadDataAndCheckCRC();
            break;
        }
        if (IsChunk("IEND")) break;
        SkipChunk();
    }
    return true;
}

int TPNGGraphic::SetupColorDepth(int colorType, int bitDepth)
{
    TColorManager& cm = *FColorManager;
    const auto invalid = [] { throw EInvalidGraphic(L"Invalid color format in PNG file."); };
    const auto byDepth = [](int depth) { return depth == 1 ? pf1bit : depth == 4 ? pf4bit : pf8bit; };
    const auto layout = [&](TColorScheme source, int sourceSamples, TColorScheme target, int targetSamples,
                            int targetDepth) {
        cm.SetSourceColorScheme(source);
        cm.SetSourceSamplesPerPixel(sourceSamples);
        cm.SetSourceBitsPerSample(bitDepth);
        cm.SetTargetColorScheme(target);
        cm.SetTargetSamplesPerPixel(targetSamples);
        cm.SetTargetBitsPerSample(targetDepth);
    };
    switch (colorType) {
    case 0: {
        if (bitDepth != 1 && bitDepth != 2 && bitDepth != 4 && bitDepth != 8 && bitDepth != 16) invalid();
        const int target = bitDepth == 2 ? 4 : bitDepth == 16 ? 8 : bitDepth;
        layout(csG, 1, csG, 1, target);
        SetPixelFormat(byDepth(target));
        FPalette.Reset(cm.CreateGrayscalePalette(false));
        return (bitDepth + 7) / 8;
    }
    case 2:
        if (bitDepth != 8 && bitDepth != 16) invalid();
        layout(csRGB, 3, csBGR, 3, 8);
        SetPixelFormat(pf24bit);
        return bitDepth * 3 / 8;
    case 3: {
        if (bitDepth != 1 && bitDepth != 2 && bitDepth != 4 && bitDepth != 8) invalid();
        const int target = bitDepth == 2 ? 4 : bitDepth;
        layout(csIndexed, 1, csIndexed, 1, target);
        SetPixelFormat(byDepth(target));
        return 1;
    }
    case 4:
        // A 32-bit picture, so that the alpha samples are kept.
        if (bitDepth != 8 && bitDepth != 16) invalid();
        layout(csGA, 1, csBGRA, 4, 8);
        SetPixelFormat(pf32bit);
        return bitDepth * 2 / 8;
    case 6:
        if (bitDepth != 8 && bitDepth != 16) invalid();
        layout(csRGBA, 4, csBGRA, 4, 8);
        SetPixelFormat(pf32bit);
        return bitDepth * 4 / 8;
    default: invalid();
    }
    return 1;
}

void TPNGGraphic::LoadFromStream(TStream& stream)
{
    SetHandle(nullptr);
    FBasePosition = stream.Position();
    FDecoder.reset();
    FStream = &stream;
    if (!ReadImageProperties(stream, 0)) InvalidFormat();

    stream.SetPosition(FBasePosition + 8);
    FProgressRect = Rect(0, 0, static_cast<LONG>(FImageProperties.Width), 1);
    Progress(this, psStarting, 0, false, FProgressRect, L"Preparing...");

    FPalette.Reset();
    FTransparency.clear();
    FBackgroundColor = clWhite;
    FTransparentColor = clNone;
    FRawBuffer.clear();
    FColorManager->SourceOptions = {coNeedByteSwap};

    struct Cleanup {
        TPNGGraphic& png;
        ~Cleanup()
        {
            if (png.FDecoder) {
                try {
                    png.FDecoder->DecodeEnd();
                } catch (...) {
                    // An ending failure must not replace the error that is already leaving.
                }
                png.FDecoder.reset();
            }
            png.FRawBuffer = {};
            png.FPalette.Reset();
            png.Progress(&png, psEnding, 0, false, png.FProgressRect, L"");
        }
    } cleanup{*this};

    const IHDR ihdr = ReadIHDR();
    if (FImageProperties.Compression != ctLZ77)
        throw EInvalidGraphic(L"Cannot load image. The compression scheme is not supported for PNG files.");
    FDecoder = std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, false);
    FDecoder->DecodeInit();

    LoadAndSwapHeader();
    bool imageData = false;
    for (;;) {
        if (IsChunk("IDAT")) {
            Progress(this, psEnding, 0, false, FProgressRect, L"");
            LoadIDAT(ihdr);
            imageData = true;
            continue; // with the header LoadIDAT left current
        }
        if (IsChunk("PLTE")) {
            if (FHeader.Length % 3 != 0) throw EInvalidGraphic(L"Cannot load image. Palette in PNG file is invalid.");
            ReadDataAndCheckCRC();
            if (ihdr.colorType == 3) {
                FSourceBPP = SetupColorDepth(ihdr.colorType, ihdr.bitDepth);
                const std::uint8_t* const data[] = {FRawBuffer.data()};
                FPalette.Reset(FColorManager->CreateColorPalette(data, pfInterlaced8Triple, FHeader.Length / 3, false));
            }
        } else if (IsChunk("gAMA")) {
            ReadDataAndCheckCRC();
            if (FRawBuffer.size() >= 4) {
                FColorManager->SetGamma(static_cast<float>(BigEndian32(FRawBuffer.data()) / 100000.0), 2.2f);
                FColorManager->TargetOptions << coApplyGamma;
                FImageProperties.Options << ioUseGamma;
            }
        } else if (IsChunk("bKGD")) {
            LoadBackgroundColor(ihdr);
        } else if (IsChunk("tRNS")) {
            LoadTransparency(ihdr);
        } else {
            SkipChunk();
            if (IsChunk("IEND")) {
                // Without image data the bitmap was never given its rows.
                if (!imageData) InvalidFormat();
                break;
            }
            if ((FHeader.ChunkType[0] & 0x20) == 0)
                throw EInvalidGraphic(L"Cannot load PNG image. Unexpected but critical chunk detected.");
        }
        LoadAndSwapHeader();
    }
}

void TPNGGraphic::LoadIDAT(const IHDR& ihdr)
{
    Progress(this, psStarting, 0, false, FProgressRect, L"Transfering...");
    if (PixelFormat() == pfDevice) FSourceBPP = SetupColorDepth(ihdr.colorType, ihdr.bitDepth);
    const int samples = ihdr.bitDepth == 16 ? FSourceBPP / 2 : FSourceBPP;
    if (FPalette.handle) SetPalette(FPalette.Release());
    else if (samples == 4 || ihdr.colorType == 4) SetAlphaMeaningful(true);

    const int width = static_cast<int>(ihdr.width), height = static_cast<int>(ihdr.height);
    SetSize(width, height);
    Canvas()->Lock();
    Canvas()->Brush()->SetColor(FBackgroundColor);
    Canvas()->FillRect(Rect(0, 0, width, height));
    Canvas()->Unlock();
    if (FTransparentColor != clNone) {
        SetTransparentColor(FTransparentColor);
        SetTransparent(true);
    }

    const auto rowBytes = [&](std::uint64_t pixels) {
        return static_cast<std::size_t>((pixels * ihdr.bitDepth + 7) / 8 * static_cast<std::uint64_t>(samples));
    };
    const std::size_t rowSize = rowBytes(ihdr.width) + 1;
    std::vector<std::uint8_t> current(rowSize), previous(rowSize);

    void* line0 = nullptr;
    long long delta = 0;
    if (InitLine(this, line0, delta)) {
        const auto scanLine = [&](int y) { return static_cast<std::uint8_t*>(line0) + delta * y; };
        const auto rowStep = [&](std::size_t size, int y, std::uint8_t mask) {
            const std::span<std::uint8_t> row(current.data(), size);
            ReadRow(row);
            ApplyFilter(row[0], row.subspan(1), std::span<const std::uint8_t>(previous.data() + 1, size - 1), FSourceBPP);
            FColorManager->ConvertRow(row.data() + 1, scanLine(y), static_cast<std::uint32_t>(width), mask);
            std::swap(current, previous);
        };
        if (ihdr.interlace != 1) {
            for (int y = 0; y < height; ++y) {
                rowStep(rowSize, y, 0xFF);
                { FProgressRect.Top += 1; FProgressRect.Bottom += 1; }
            }
        } else {
            for (int pass = 0; pass < 7; ++pass) {
                const Adam7Pass& p = kPasses[pass];
                if (width <= p.firstColumn) continue;
                const std::size_t passSize =
                    rowBytes(static_cast<std::uint64_t>((width + p.columnStep - 1 - p.firstColumn) / p.columnStep)) + 1;
                std::fill(previous.begin(), previous.end(), 0);
                for (int y = p.firstRow; y < height; y += p.rowStep) {
                    rowStep(passSize, y, p.mask);
                    if (pass == 6) { FProgressRect.Top += 1; FProgressRect.Bottom += 1; }
                }
            }
        }
    }
    while (IsChunk("IDAT")) {
        ReadDataAndCheckCRC();
        LoadAndSwapHeader();
    }
}

void TPNGGraphic::ReadRow(std::span<std::uint8_t> dest)
{
    std::span<std::uint8_t> room = dest;
    for (;;) {
        if (FDecoder->AvailableInput() == 0) {
            std::size_t size = 0;
            while (size == 0) {
                if (!IsChunk("IDAT")) {
                    // The image data ended early: what is missing stays zero, not an older row.
                    std::fill(room.begin(), room.end(), 0);
                    return;
                }
                ReadDataAndCheckCRC();
                FCurrentSource = 0;
                size = FRawBuffer.size();
                LoadAndSwapHeader();
            }
        }
        std::span<const std::uint8_t> source(FRawBuffer.data() + FCurrentSource, FRawBuffer.size() - FCurrentSource);
        FDecoder->Decode(source, room);
        FCurrentSource = FRawBuffer.size() - source.size();
        if (FDecoder->ZLibResult() == Z_STREAM_END) break;
        if (FDecoder->ZLibResult() != Z_OK)
            throw EInvalidGraphic(L"Cannot load image. Compression error found in PNG file.");
        if (room.empty()) return;
    }
    if (!room.empty() || FCurrentSource < FRawBuffer.size())
        throw EInvalidGraphic(L"Cannot load image. Extra compressed data found in PNG file.");
}

void TPNGGraphic::LoadBackgroundColor(const IHDR& ihdr)
{
    ReadDataAndCheckCRC();
    const std::uint8_t* d = FRawBuffer.data();
    const std::size_t n = FRawBuffer.size();
    const auto scaled = [&](unsigned v) { return ihdr.bitDepth == 16 ? v * 255 / 65535 : v; };
    switch (ihdr.colorType) {
    case 2:
    case 6:
        if (n < 6) return;
        FBackgroundColor = static_cast<TColor>(RGB(scaled(BigEndian16(d)), scaled(BigEndian16(d + 2)), scaled(BigEndian16(d + 4))));
        break;
    case 0:
    case 4: {
        if (n < 2) return;
        unsigned v = BigEndian16(d);
        if (ihdr.bitDepth == 2) v = v * 15 / 3;
        else v = scaled(v);
        FBackgroundColor = static_cast<TColor>(v); // the grey level, taken as a colour value
        break;
    }
    case 3:
        if (n < 1) return;
        FBackgroundColor = static_cast<TColor>(d[0]);
        break;
    default: break;
    }
}

void TPNGGraphic::LoadTransparency(const IHDR& ihdr)
{
    ReadDataAndCheckCRC();
    const std::uint8_t* d = FRawBuffer.data();
    const std::size_t n = FRawBuffer.size();
    switch (ihdr.colorType) {
    case 0: {
        // A depth no grey image has is refused once the image data comes; until then it
        // must not reach the division.
        if (n < 2 || ihdr.bitDepth == 0 || ihdr.bitDepth > 16) return;
        // The key is the grey as drawn, so that it matches the converted pixels.
        const unsigned g = BigEndian16(d);
        const unsigned level = ihdr.bitDepth == 16 ? g * 255 / 65535 : g * 255 / ((1u << ihdr.bitDepth) - 1);
        FTransparentColor = static_cast<TColor>(RGB(level, level, level));
        break;
    }
    case 2: {
        if (n < 6) return;
        const auto scaled = [&](unsigned v) { return ihdr.bitDepth == 16 ? v * 255 / 65535 : v; };
        FTransparentColor = static_cast<TColor>(RGB(scaled(BigEndian16(d)), scaled(BigEndian16(d + 2)), scaled(BigEndian16(d + 4))));
        break;
    }
    case 4:
    case 6: break;
    default:
        FTransparency.assign(256, 255);
        std::copy_n(d, std::min<std::size_t>(n, 256), FTransparency.begin());
        break;
    }
}

void TPNGGraphic::Assign(const TPersistent* source)
{
    if (const auto* png = dynamic_cast<const TPNGGraphic*>(source)) FImageProperties = png->FImageProperties;
    TBitmap::Assign(source);
}

void TPNGGraphic::Draw(TCanvas* canvas, const TRect& rect)
{
    if (PixelFormat() != pf32bit || Empty()) {
        TBitmap::Draw(canvas, rect);
        return;
    }
    const int w = rect.Right - rect.Left, h = rect.Bottom - rect.Top;
    if (w <= 0 || h <= 0) return;
    TBitmap work(w, h + (Reflected ? h / 2 : 0), pf32bit);
    BitBlt(work.Canvas()->Handle(), 0, 0, work.Width(), work.Height(), canvas->Handle(), rect.Left, rect.Top, SRCCOPY);
    const TRect whole = MkRectWH(w, h);
    if (w == Width() && h == Height()) {
        CopyBmp32(whole, whole, &work, this, TCacheInfo{}, false, clNone, 0, Reflected);
    } else {
        // Colour and alpha are stretched apart: GDI stretching keeps no alpha.
        TBitmap colour(w, h, pf32bit);
        SetStretchBltMode(colour.Canvas()->Handle(), COLORONCOLOR);
        StretchBlt(colour.Canvas()->Handle(), 0, 0, w, h, Canvas()->Handle(), 0, 0, Width(), Height(), SRCCOPY);
        TBitmap alpha(Width(), Height(), pf8bit), alphaScaled(w, h, pf8bit);
        CopyChannel(this, &alpha, 3, true);
        SetStretchBltMode(alphaScaled.Canvas()->Handle(), COLORONCOLOR);
        StretchBlt(alphaScaled.Canvas()->Handle(), 0, 0, w, h, alpha.Canvas()->Handle(), 0, 0, Width(), Height(),
                   SRCCOPY);
        CopyChannel(&colour, &alphaScaled, 3, false);
        CopyBmp32(whole, whole, &work, &colour, TCacheInfo{}, false, clNone, 0, false);
    }
    BitBlt(canvas->Handle(), rect.Left, rect.Top, work.Width(), work.Height(), work.Canvas()->Handle(), 0, 0, SRCCOPY);
}

// ---- UpdateTransparency ------------------------------------------------------------------------

namespace {

// Palette index of pixel x in a 1-, 4- or 8-bit row.
unsigned IndexAt(const std::uint8_t* row, int x, TPixelFormat format)
{
    switch (format) {
    case pf1bit: return (row[x / 8] >> (7 - x % 8)) & 1;
    case pf4bit: return (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF;
    default: return row[x];
    }
}

} // namespace

void UpdateTransparency(TBitmap* bmp, TPNGGraphic* png)
{
    if (!bmp || !png) return;
    const bool wasTransparent = bmp->Transparent();
    const TPixelFormat sourceFormat = png->PixelFormat();
    const bool indexedSource = sourceFormat == pf1bit || sourceFormat == pf4bit || sourceFormat == pf8bit;
    const TImageProperties& props = png->ImageProperties();
    // A 2-bit image lies in a 4-bit bitmap as 0, 5, 10, 15.
    const unsigned indexDivisor = png->ColorManager().SourceBitsPerSample() == 2 ? 5 : 1;

    bmp->Assign(png);
    if (props.ColorScheme == csIndexed && !png->Transparency().empty() && indexedSource) {
        bmp->SetPixelFormat(pf32bit);
        TacBmpRows rows(bmp);
        void* line0 = nullptr;
        long long delta = 0;
        if (!rows.Valid() || !InitLine(png, line0, delta)) return;
        for (int y = 0; y < rows.Height(); ++y) {
            const auto* source = static_cast<const std::uint8_t*>(line0) + delta * y;
            auto pixels = rows.Row(y);
            for (int x = 0; x < rows.Width(); ++x)
                pixels[static_cast<std::size_t>(x)].A = png->Transparency()[IndexAt(source, x, sourceFormat) / indexDivisor & 0xFF];
        }
        return;
    }
    if (bmp->PixelFormat() == pf32bit) return; // RGBA: the image's own alpha
    bmp->SetPixelFormat(pf32bit);
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;

    const bool greySource = props.ColorScheme == csG || props.ColorScheme == csGA;
    if (props.Options.Contains(ioUseGamma) && png->ColorManager().SourcePixelFormat() != pf24bit && greySource &&
        indexedSource) {
        // The skins' shadow convention: grey with gamma is a black shadow, white fully transparent.
        void* line0 = nullptr;
        long long delta = 0;
        if (!InitLine(png, line0, delta)) return;
        // The pixel's source value on 0..255, before any gamma: a grey palette already holds
        // gamma-corrected levels, and taking those would apply the table twice. A 2-bit image
        // lies in its 4-bit bitmap as 0, 5, 10, 15, so both scale by 17.
        const unsigned scale = sourceFormat == pf1bit ? 255 : sourceFormat == pf4bit ? 17 : 1;
        const auto& gamma = png->ColorManager().GammaTable();
        for (int y = 0; y < rows.Height(); ++y) {
            const auto* source = static_cast<const std::uint8_t*>(line0) + delta * y;
            auto pixels = rows.Row(y);
            for (int x = 0; x < rows.Width(); ++x) {
                const unsigned level = IndexAt(source, x, sourceFormat) * scale;
                TsColor_& p = pixels[static_cast<std::size_t>(x)];
                p.I = 0;
                p.A = static_cast<std::uint8_t>(255 - gamma[level]);
            }
        }
        return;
    }
    if (props.Options.Contains(ioUseGamma) && png->ColorManager().SourcePixelFormat() == pf24bit) {
        for (int y = 0; y < rows.Height(); ++y)
            for (TsColor_& p : rows.Row(y)) p.A = 255;
        return;
    }
    if (wasTransparent) {
        const TColor key = ColorToRGB(bmp->Canvas()->Pixels(0, rows.Height() - 1));
        for (int y = 0; y < rows.Height(); ++y)
            for (TsColor_& p : rows.Row(y))
                if (static_cast<TColor>(RGB(p.R, p.G, p.B)) != key) p.A = 255;
    } else {
        for (int y = 0; y < rows.Height(); ++y)
            for (TsColor_& p : rows.Row(y)) p.A = 255;
    }
}

// ---- start-up ----------------------------------------------------------------------------------

void acPNGInitialization()
{
    if (!g_unitCounter.StartUp()) return;
    // acPngFirst is true, and the framework has no PNG class of its own that could come first.
    TPicture::RegisterFileFormat(L"png", L"Portable network graphics (ZozizOzudidad)", &GraphicClass<TPNGGraphic>);
}

void acPNGFinalization()
{
    if (!g_unitCounter.ShutDown()) return;
    TPicture::UnregisterGraphicClass(&GraphicClass<TPNGGraphic>);
}
