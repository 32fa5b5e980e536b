// TBitmap: a DIB section (or, for pfDevice, a device-dependent bitmap) with a memory-DC canvas,
// pixel format conversion and BMP reading and writing.
#include "Graphics.h"

#include "TypInfo.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>

namespace {

constexpr long long kMaxImageBytes = 0x7FFFFFFF;

// Read-only stream over bytes that stay alive while it is used (resource data).
class TSpanStream : public TCustomMemoryStream {
public:
    explicit TSpanStream(std::span<const std::uint8_t> data) { SetPointer(data.data(), static_cast<long long>(data.size())); }
    long long Write(const void*, long long) override { throw EWriteError(L"Stream write error"); }
};

bool IsIndexed(TPixelFormat format)
{
    return format == pf1bit || format == pf4bit || format == pf8bit;
}

RGBQUAD Quad(std::uint32_t rgb)
{
    return RGBQUAD{static_cast<BYTE>(rgb), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb >> 16), 0};
}

// Default colour tables: black/white, the 16 standard colours, and for 8 bits the standard
// colours, a 6x6x6 colour cube and 24 grey levels.
std::vector<RGBQUAD> DefaultColorTable(TPixelFormat format)
{
    static constexpr std::uint32_t kStandard[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                                    0x008080, 0x808080, 0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00,
                                                    0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF}; // 0xRRGGBB
    std::vector<RGBQUAD> table;
    switch (format) {
    case pf1bit:
        table = {Quad(0x000000), Quad(0xFFFFFF)};
        break;
    case pf4bit:
        for (auto c : kStandard) table.push_back(Quad(c));
        break;
    case pf8bit:
        for (auto c : kStandard) table.push_back(Quad(c));
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    table.push_back(Quad(static_cast<std::uint32_t>(r * 51) << 16 | static_cast<std::uint32_t>(g * 51) << 8 |
                                         static_cast<std::uint32_t>(b * 51)));
        for (std::uint32_t i = 0; i < 24; ++i) {
            const std::uint32_t v = 8 + i * 10;
            table.push_back(Quad(v << 16 | v << 8 | v));
        }
        break;
    default:
        break;
    }
    return table;
}

std::vector<RGBQUAD> PaletteToTable(HPALETTE palette, size_t maxEntries)
{
    std::vector<RGBQUAD> table;
    if (!palette) return table;
    WORD count = 0;
    if (::GetObjectW(palette, sizeof(count), &count) != sizeof(count) || count == 0) return table;
    std::vector<PALETTEENTRY> entries(count);
    const UINT got = ::GetPaletteEntries(palette, 0, count, entries.data());
    for (UINT i = 0; i < got && i < maxEntries; ++i)
        table.push_back(RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
    return table;
}

HPALETTE TableToPalette(const std::vector<RGBQUAD>& table)
{
    if (table.empty()) return nullptr;
    std::vector<std::uint8_t> buffer(sizeof(LOGPALETTE) + table.size() * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(table.size());
    auto* entries = lp->palPalEntry;
    for (size_t i = 0; i < table.size(); ++i)
        entries[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    return ::CreatePalette(lp);
}

// Pixels are handled as 0xAARRGGBB while converting between formats.
class PixelCodec {
public:
    PixelCodec(TPixelFormat format, const std::vector<RGBQUAD>& table) : format_(format), table_(table) {}

    std::uint32_t Decode(const std::uint8_t* row, int x) const
    {
        switch (format_) {
        case pf1bit: return Lookup((row[x >> 3] >> (7 - (x & 7))) & 1);
        case pf4bit: return Lookup((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F);
        case pf8bit: return Lookup(row[x]);
        case pf15bit: {
            const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
            return Expand5((v >> 10) & 31) << 16 | Expand5((v >> 5) & 31) << 8 | Expand5(v & 31);
        }
        case pf16bit: {
            const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
            const unsigned g = (v >> 5) & 63;
            return Expand5((v >> 11) & 31) << 16 | (g << 2 | g >> 4) << 8 | Expand5(v & 31);
        }
        case pf24bit: return std::uint32_t{row[3 * x + 2]} << 16 | std::uint32_t{row[3 * x + 1]} << 8 | row[3 * x];
        case pf32bit:
            return std::uint32_t{row[4 * x + 3]} << 24 | std::uint32_t{row[4 * x + 2]} << 16 |
                   std::uint32_t{row[4 * x + 1]} << 8 | row[4 * x];
        default: return 0;
        }
    }

    void Encode(std::uint8_t* row, int x, std::uint32_t argb)
    {
        const unsigned r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
        switch (format_) {
        case pf1bit: {
            const int shift = 7 - (x & 7);
            row[x >> 3] = static_cast<std::uint8_t>((row[x >> 3] & ~(1 << shift)) | (Nearest(argb) & 1) << shift);
            break;
        }
        case pf4bit: {
            const int shift = (x & 1) ? 0 : 4;
            row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(0x0F << shift)) | (Nearest(argb) & 0x0F) << shift);
            break;
        }
        case pf8bit: row[x] = Nearest(argb); break;
        case pf15bit: {
            const unsigned v = (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
            row[2 * x] = static_cast<std::uint8_t>(v);
            row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            break;
        }
        case pf16bit: {
            const unsigned v = (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
            row[2 * x] = static_cast<std::uint8_t>(v);
            row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            break;
        }
        case pf24bit:
            row[3 * x] = static_cast<std::uint8_t>(b);
            row[3 * x + 1] = static_cast<std::uint8_t>(g);
            row[3 * x + 2] = static_cast<std::uint8_t>(r);
            break;
        case pf32bit:
            row[4 * x] = static_cast<std::uint8_t>(b);
            row[4 * x + 1] = static_cast<std::uint8_t>(g);
            row[4 * x + 2] = static_cast<std::uint8_t>(r);
            row[4 * x + 3] = static_cast<std::uint8_t>(argb >> 24);
            break;
        default: break;
        }
    }

private:
    static std::uint32_t Expand5(unsigned v) { return (v << 3) | (v >> 2); }

    std::uint32_t Lookup(unsigned index) const
    {
        if (index >= table_.size()) return 0;
        const RGBQUAD& q = table_[index];
        return std::uint32_t{q.rgbRed} << 16 | std::uint32_t{q.rgbGreen} << 8 | q.rgbBlue;
    }

    std::uint8_t Nearest(std::uint32_t argb)
    {
        const std::uint32_t rgb = argb & 0xFFFFFF;
        if (auto it = cache_.find(rgb); it != cache_.end()) return it->second;
        const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        std::uint8_t best = 0;
        long bestDistance = LONG_MAX;
        for (size_t i = 0; i < table_.size() && i < 256; ++i) {
            const long dr = r - table_[i].rgbRed, dg = g - table_[i].rgbGreen, db = b - table_[i].rgbBlue;
            const long d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = static_cast<std::uint8_t>(i);
                if (d == 0) break;
            }
        }
        cache_.emplace(rgb, best);
        return best;
    }

    TPixelFormat format_;
    const std::vector<RGBQUAD>& table_;
    std::unordered_map<std::uint32_t, std::uint8_t> cache_;
};

TPixelFormat DeviceDibFormat()
{
    HDC dc = ::GetDC(nullptr);
    const int bpp = dc ? ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES) : 32;
    if (dc) ::ReleaseDC(nullptr, dc);
    switch (bpp) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 15: return pf15bit;
    case 16: return pf16bit;
    case 24: return pf24bit;
    default: return pf32bit;
    }
}

// A bitmap handle that is deleted unless taken.
struct OwnedImage {
    HBITMAP handle = nullptr;
    bool dib = false;
    std::uint8_t* bits = nullptr;

    OwnedImage() = default;
    OwnedImage(const OwnedImage&) = delete;
    OwnedImage& operator=(const OwnedImage&) = delete;
    ~OwnedImage()
    {
        if (handle) ::DeleteObject(handle);
    }
};

// Checks the size and gives the row stride; raises EOutOfResources for images GDI cannot hold.
long long CheckedStride(int width, int height, int bpp)
{
    const long long stride = BytesPerScanline(width, bpp);
    if (width <= 0 || height <= 0 || stride > kMaxImageBytes / height) throw EOutOfResources(L"Out of system resources");
    return stride;
}

void MakeImage(OwnedImage& image, int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& table)
{
    if (format == pfDevice) {
        CheckedStride(width, height, 32);
        HDC screen = ::GetDC(nullptr);
        image.handle = ::CreateCompatibleBitmap(screen, width, height);
        ::ReleaseDC(nullptr, screen);
        image.dib = false;
    } else {
        const int bpp = BitsPerPixel(format);
        CheckedStride(width, height, bpp);
        std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
        auto* bih = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
        bih->biSize = sizeof(BITMAPINFOHEADER);
        bih->biWidth = width;
        bih->biHeight = height; // positive: rows bottom-up
        bih->biPlanes = 1;
        bih->biBitCount = static_cast<WORD>(bpp);
        bih->biCompression = BI_RGB;
        if (format == pf16bit) {
            bih->biCompression = BI_BITFIELDS;
            const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
            std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), masks, sizeof(masks));
        } else if (IsIndexed(format)) {
            const size_t n = std::min<size_t>(table.size(), size_t{1} << bpp);
            bih->biClrUsed = static_cast<DWORD>(n);
            std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), table.data(), n * sizeof(RGBQUAD));
        }
        void* bits = nullptr;
        image.handle = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits,
                                          nullptr, 0);
        image.bits = static_cast<std::uint8_t*>(bits);
        image.dib = true;
    }
    if (!image.handle) throw EOutOfResources(L"Out of system resources");
}

BITMAPINFOHEADER TopDown32Header(int width, int height)
{
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof(bih);
    bih.biWidth = width;
    bih.biHeight = -height;
    bih.biPlanes = 1;
    bih.biBitCount = 32;
    bih.biCompression = BI_RGB;
    return bih;
}

// Writes source pixels (top-down, sw x sh, 0xAARRGGBB) into the top-left corner of image.
void WritePixels(OwnedImage& image, int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& table,
                 const std::vector<std::uint32_t>& source, int sw, int sh)
{
    const int w = std::min(width, sw), h = std::min(height, sh);
    if (image.dib) {
        const long long stride = BytesPerScanline(width, BitsPerPixel(format));
        PixelCodec codec(format, table);
        for (int y = 0; y < h; ++y) {
            std::uint8_t* row = image.bits + (height - 1 - y) * stride;
            for (int x = 0; x < w; ++x) codec.Encode(row, x, source[static_cast<size_t>(y) * sw + x]);
        }
        return;
    }
    std::vector<std::uint32_t> full(static_cast<size_t>(width) * height, 0);
    for (int y = 0; y < h; ++y)
        std::copy_n(source.begin() + static_cast<long long>(y) * sw, w, full.begin() + static_cast<long long>(y) * width);
    BITMAPINFOHEADER bih = TopDown32Header(width, height);
    HDC screen = ::GetDC(nullptr);
    ::SetDIBits(screen, image.handle, 0, height, full.data(), reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
}

template <class T>
T ReadValue(TStream& stream)
{
    T value{};
    stream.ReadBuffer(&value, sizeof(value));
    return value;
}

template <class T>
T Field(const std::vector<std::uint8_t>& bytes, size_t offset)
{
    T value{};
    if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

[[noreturn]] void InvalidBitmap()
{
    throw EInvalidGraphic(L"Bitmap image is not valid");
}

} // namespace

int BitsPerPixel(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
    }
}

long long BytesPerScanline(long long width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// ---------------------------------------------------------------------------------------------

class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }
    UnicodeString ClassName() const override { return L"TBitmapCanvas"; }

    void FreeContext()
    {
        if (!dc_) return;
        SetHandle(nullptr);
        if (oldBitmap_) ::SelectObject(dc_, oldBitmap_);
        ::DeleteDC(dc_);
        dc_ = nullptr;
        oldBitmap_ = nullptr;
    }

protected:
    void CreateHandle() override
    {
        if (dc_) return;
        HDC dc = ::CreateCompatibleDC(nullptr);
        if (!dc) throw EOutOfResources(L"Out of system resources");
        if (bitmap_->handle_) oldBitmap_ = ::SelectObject(dc, bitmap_->handle_);
        dc_ = dc;
        SetHandle(dc);
    }

private:
    TBitmap* bitmap_;
    HDC dc_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format)
{
    SetPixelFormat(format);
    SetSize(width, height);
}

TBitmap::~TBitmap()
{
    canvas_.reset();
    if (handle_) ::DeleteObject(handle_);
    if (palette_) ::DeleteObject(palette_);
}

void TBitmap::FreeContext()
{
    if (canvas_) static_cast<TBitmapCanvas*>(canvas_.get())->FreeContext();
}

void TBitmap::Dormant()
{
    FreeContext();
}

void TBitmap::ReleasePalette()
{
    if (palette_) {
        ::DeleteObject(palette_);
        palette_ = nullptr;
    }
}

void TBitmap::Changed()
{
    TGraphic::Changed();
}

TCanvas* TBitmap::Canvas()
{
    if (!canvas_) {
        canvas_ = std::make_unique<TBitmapCanvas>(this);
        canvas_->OnChange = [this](TObject*) { Changed(); };
    }
    return canvas_.get();
}

TPixelFormat TBitmap::PixelFormat() const
{
    return handle_ && !dib_ ? pfDevice : format_;
}

TBitmapHandleType TBitmap::HandleType() const
{
    if (handle_) return dib_ ? bmDIB : bmDDB;
    return format_ == pfDevice ? bmDDB : bmDIB;
}

HBITMAP TBitmap::Handle()
{
    FreeContext();
    return handle_;
}

std::vector<std::uint32_t> TBitmap::ReadPixels32()
{
    std::vector<std::uint32_t> pixels;
    if (!handle_) return pixels;
    pixels.resize(static_cast<size_t>(width_) * height_);
    if (dib_) {
        ::GdiFlush();
        const long long stride = BytesPerScanline(width_, BitsPerPixel(format_));
        PixelCodec codec(format_, colorTable_);
        for (int y = 0; y < height_; ++y) {
            const std::uint8_t* row = bits_ + (height_ - 1 - y) * stride;
            for (int x = 0; x < width_; ++x) pixels[static_cast<size_t>(y) * width_ + x] = codec.Decode(row, x);
        }
    } else {
        FreeContext(); // GetDIBits needs the bitmap out of every DC
        BITMAPINFOHEADER bih = TopDown32Header(width_, height_);
        HDC screen = ::GetDC(nullptr);
        ::GetDIBits(screen, handle_, 0, height_, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, screen);
    }
    return pixels;
}

void TBitmap::ReplaceImage(HBITMAP handle, bool dib, void* bits, int width, int height, TPixelFormat format)
{
    FreeContext();
    if (handle_) ::DeleteObject(handle_);
    handle_ = handle;
    dib_ = dib;
    bits_ = static_cast<std::uint8_t*>(bits);
    width_ = width;
    height_ = height;
    format_ = format;
}

void TBitmap::ConvertImage(int width, int height, TPixelFormat format, std::vector<RGBQUAD> table)
{
    // Pixels are read with the old colour table and written with the new one.
    std::vector<std::uint32_t> pixels = ReadPixels32();
    const int oldWidth = handle_ ? width_ : 0, oldHeight = handle_ ? height_ : 0;
    OwnedImage image;
    if (width > 0 && height > 0) {
        MakeImage(image, width, height, format, table);
        if (!pixels.empty()) WritePixels(image, width, height, format, table, pixels, oldWidth, oldHeight);
    }
    ReplaceImage(image.handle, image.dib, image.bits, width, height, format);
    image.handle = nullptr;
    colorTable_ = std::move(table);
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    ConvertImage(width, height, format_, colorTable_);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == pfCustom) throw EInvalidGraphic(L"Invalid pixel format");
    if (format == PixelFormat()) return;
    std::vector<RGBQUAD> table;
    if (IsIndexed(format)) {
        const size_t capacity = size_t{1} << BitsPerPixel(format);
        table = PaletteToTable(palette_, capacity + 1);
        if (table.empty() || table.size() > capacity) {
            table = DefaultColorTable(format);
            ReleasePalette();
        }
    } else {
        ReleasePalette();
    }
    ConvertImage(width_, height_, format, std::move(table));
    Changed();
}

void TBitmap::SetHandleType(TBitmapHandleType type)
{
    if (type == HandleType()) return;
    SetPixelFormat(type == bmDDB ? pfDevice : DeviceDibFormat());
}

void TBitmap::SetHandle(HBITMAP bitmap)
{
    if (bitmap == handle_) return;
    if (!bitmap) {
        ReplaceImage(nullptr, false, nullptr, 0, 0, pfDevice);
        colorTable_.clear();
        ReleasePalette();
        Changed();
        return;
    }
    DIBSECTION ds{};
    const int got = ::GetObjectW(bitmap, sizeof(ds), &ds);
    if (got != sizeof(DIBSECTION) && got != sizeof(BITMAP)) throw EInvalidGraphic(L"Invalid bitmap handle");
    const int width = ds.dsBm.bmWidth, height = ds.dsBm.bmHeight;
    if (got == sizeof(DIBSECTION)) {
        const auto& bih = ds.dsBmih;
        TPixelFormat format = pfCustom;
        switch (bih.biBitCount) {
        case 1: format = pf1bit; break;
        case 4: format = pf4bit; break;
        case 8: format = pf8bit; break;
        case 16:
            if (bih.biCompression == BI_RGB) format = pf15bit;
            else if (ds.dsBitfields[0] == 0xF800 && ds.dsBitfields[1] == 0x07E0 && ds.dsBitfields[2] == 0x1F) format = pf16bit;
            else if (ds.dsBitfields[0] == 0x7C00 && ds.dsBitfields[1] == 0x03E0 && ds.dsBitfields[2] == 0x1F) format = pf15bit;
            break;
        case 24: format = pf24bit; break;
        case 32:
            if (bih.biCompression == BI_RGB ||
                (ds.dsBitfields[0] == 0xFF0000 && ds.dsBitfields[1] == 0xFF00 && ds.dsBitfields[2] == 0xFF))
                format = pf32bit;
            break;
        default: break;
        }
        if (format != pfCustom && bih.biHeight > 0) {
            std::vector<RGBQUAD> table;
            if (IsIndexed(format)) {
                table.resize(size_t{1} << BitsPerPixel(format));
                HDC dc = ::CreateCompatibleDC(nullptr);
                HGDIOBJ old = ::SelectObject(dc, bitmap);
                table.resize(::GetDIBColorTable(dc, 0, static_cast<UINT>(table.size()), table.data()));
                ::SelectObject(dc, old);
                ::DeleteDC(dc);
            }
            ReplaceImage(bitmap, true, ds.dsBm.bmBits, width, height, format);
            colorTable_ = std::move(table);
            ReleasePalette();
            Changed();
            return;
        }
        // Top-down rows or an unusual layout: keep a bottom-up 32-bit copy.
        OwnedImage adopted;
        adopted.handle = bitmap;
        std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
        BITMAPINFOHEADER header = TopDown32Header(width, height);
        HDC screen = ::GetDC(nullptr);
        ::GetDIBits(screen, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, screen);
        OwnedImage image;
        MakeImage(image, width, height, pf32bit, {});
        WritePixels(image, width, height, pf32bit, {}, pixels, width, height);
        ReplaceImage(image.handle, true, image.bits, width, height, pf32bit);
        image.handle = nullptr;
    } else {
        ReplaceImage(bitmap, false, nullptr, width, height, pfDevice);
    }
    colorTable_.clear();
    ReleasePalette();
    Changed();
}

HBITMAP TBitmap::ReleaseHandle()
{
    FreeContext();
    HBITMAP handle = handle_;
    handle_ = nullptr;
    bits_ = nullptr;
    dib_ = false;
    width_ = height_ = 0;
    Changed();
    return handle;
}

HPALETTE TBitmap::Palette()
{
    if (!palette_ && IsIndexed(format_) && !colorTable_.empty()) palette_ = TableToPalette(colorTable_);
    return palette_;
}

void TBitmap::SetPalette(HPALETTE palette)
{
    if (palette == palette_) return;
    ReleasePalette();
    palette_ = palette;
    if (IsIndexed(format_) && palette) {
        std::vector<RGBQUAD> table = PaletteToTable(palette, size_t{1} << BitsPerPixel(format_));
        if (!table.empty()) {
            colorTable_ = std::move(table);
            if (handle_ && dib_) {
                FreeContext();
                HDC dc = ::CreateCompatibleDC(nullptr);
                HGDIOBJ old = ::SelectObject(dc, handle_);
                ::SetDIBColorTable(dc, 0, static_cast<UINT>(colorTable_.size()), colorTable_.data());
                ::SelectObject(dc, old);
                ::DeleteDC(dc);
            }
        }
    }
    Changed();
}

void* TBitmap::ScanLine(int row)
{
    if (row < 0 || row >= height_ || !handle_) throw EInvalidGraphic(L"Scan line index out of range");
    if (!dib_) SetHandleType(bmDIB);
    ::GdiFlush();
    return bits_ + (height_ - 1 - row) * BytesPerScanline(width_, BitsPerPixel(format_));
}

long long TBitmap::ScanLineDelta() const
{
    const int bpp = BitsPerPixel(handle_ && !dib_ ? DeviceDibFormat() : format_);
    return -BytesPerScanline(width_, bpp);
}

TColor TBitmap::TransparentColor()
{
    if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
    if (Empty()) return clDefault;
    return Canvas()->Pixels(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor color)
{
    if (color == transparentColor_) return;
    transparentColor_ = color;
    transparentMode_ = color == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == transparentMode_) return;
    if (mode == tmAuto) {
        transparentColor_ = clDefault;
        transparentMode_ = tmAuto;
    } else {
        transparentColor_ = TransparentColor();
        transparentMode_ = tmFixed;
    }
    Changed();
}

void TBitmap::Assign(const TPersistent* source)
{
    if (source == this) return;
    if (!source) {
        SetHandle(nullptr);
        return;
    }
    const auto* other = dynamic_cast<const TBitmap*>(source);
    if (!other) {
        TGraphic::Assign(source);
        return;
    }
    auto* src = const_cast<TBitmap*>(other); // reading may flush its canvas; the image stays as it is
    OwnedImage image;
    const TPixelFormat format = src->PixelFormat();
    if (src->handle_) {
        MakeImage(image, src->width_, src->height_, format, src->colorTable_);
        if (src->dib_) {
            ::GdiFlush();
            std::memcpy(image.bits, src->bits_,
                        static_cast<size_t>(BytesPerScanline(src->width_, BitsPerPixel(format)) * src->height_));
        } else {
            WritePixels(image, src->width_, src->height_, format, src->colorTable_, src->ReadPixels32(), src->width_,
                        src->height_);
        }
    }
    ReplaceImage(image.handle, image.dib, image.bits, src->width_, src->height_, format);
    image.handle = nullptr;
    colorTable_ = src->colorTable_;
    ReleasePalette();
    if (src->palette_) {
        palette_ = TableToPalette(PaletteToTable(src->palette_, 256));
    }
    SetTransparent(src->Transparent());
    transparentMode_ = src->transparentMode_;
    transparentColor_ = src->transparentColor_;
    alphaMeaningful_ = src->alphaMeaningful_;
    Changed();
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect)
{
    if (Empty() || !canvas) return;
    HDC dest = canvas->Handle();
    HDC source = Canvas()->Handle();
    if (Transparent()) {
        ::TransparentBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0, width_, height_,
                         ColorToGdi(TransparentColor()));
        return;
    }
    const bool stretched = rect.Width() != width_ || rect.Height() != height_;
    const int oldMode = stretched ? ::SetStretchBltMode(dest, COLORONCOLOR) : 0;
    ::StretchBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0, width_, height_,
                 canvas->CopyMode());
    if (stretched && oldMode) ::SetStretchBltMode(dest, oldMode);
}

// ---------------------------------------------------------------------------------------------
// BMP data

void TBitmap::LoadFromStream(TStream& stream)
{
    LoadBmp(stream, true);
}

void TBitmap::LoadBmp(TStream& stream, bool hasFileHeader)
{
    const long long start = stream.Position();
    const long long available = stream.Size() - start;
    if (hasFileHeader && available <= 0) {
        // Nothing stored: an empty bitmap, as an empty bitmap writes nothing.
        SetHandle(nullptr);
        return;
    }
    try {
        DWORD offBits = 0;
        if (hasFileHeader) {
            const auto type = ReadValue<WORD>(stream);
            ReadValue<DWORD>(stream); // bfSize: not trusted
            ReadValue<DWORD>(stream); // reserved
            offBits = ReadValue<DWORD>(stream);
            if (type != 0x4D42) InvalidBitmap();
        }
        const auto headerSize = ReadValue<DWORD>(stream);
        long long width = 0, height = 0;
        unsigned bpp = 0, planes = 1;
        DWORD compression = BI_RGB, colorsUsed = 0;
        DWORD masks[3] = {0, 0, 0};
        bool core = false;
        if (headerSize == sizeof(BITMAPCOREHEADER)) {
            core = true;
            width = ReadValue<WORD>(stream);
            height = ReadValue<WORD>(stream);
            planes = ReadValue<WORD>(stream);
            bpp = ReadValue<WORD>(stream);
        } else if (headerSize >= sizeof(BITMAPINFOHEADER) && headerSize <= sizeof(BITMAPV5HEADER)) {
            std::vector<std::uint8_t> header(headerSize);
            std::memcpy(header.data(), &headerSize, sizeof(headerSize));
            stream.ReadBuffer(header.data() + 4, headerSize - 4);
            width = Field<LONG>(header, 4);
            height = Field<LONG>(header, 8);
            planes = Field<WORD>(header, 12);
            bpp = Field<WORD>(header, 14);
            compression = Field<DWORD>(header, 16);
            colorsUsed = Field<DWORD>(header, 32);
            if (headerSize >= 52)
                for (int i = 0; i < 3; ++i) masks[i] = Field<DWORD>(header, 40 + 4 * i);
        } else {
            InvalidBitmap();
        }
        if (planes != 1 || width < 0 || height == LONG_MIN) InvalidBitmap();
        const bool topDown = height < 0;
        if (topDown) height = -height;

        if (compression == BI_BITFIELDS && headerSize == sizeof(BITMAPINFOHEADER))
            for (auto& mask : masks) mask = ReadValue<DWORD>(stream);

        TPixelFormat format = pfCustom;
        switch (bpp) {
        case 1: format = pf1bit; break;
        case 4: format = pf4bit; break;
        case 8: format = pf8bit; break;
        case 16:
            if (compression == BI_RGB || (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x1F)) format = pf15bit;
            else if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x1F) format = pf16bit;
            break;
        case 24: format = pf24bit; break;
        case 32:
            if (compression == BI_RGB || (masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF))
                format = pf32bit;
            break;
        default: break;
        }
        const bool bitfieldsOk = compression == BI_BITFIELDS && (bpp == 16 || bpp == 32);
        if (format == pfCustom || (compression != BI_RGB && !bitfieldsOk)) InvalidBitmap();

        // Colour table (indexed formats) or an optional one that true-colour files may carry.
        const size_t capacity = IsIndexed(format) ? size_t{1} << bpp : 256;
        size_t colors = colorsUsed ? colorsUsed : (IsIndexed(format) ? capacity : 0);
        if (core) colors = IsIndexed(format) ? capacity : 0;
        if (colors > capacity) InvalidBitmap();
        std::vector<RGBQUAD> table(colors);
        for (auto& entry : table) {
            if (core) {
                RGBTRIPLE t = ReadValue<RGBTRIPLE>(stream);
                entry = RGBQUAD{t.rgbtBlue, t.rgbtGreen, t.rgbtRed, 0};
            } else {
                entry = ReadValue<RGBQUAD>(stream);
                entry.rgbReserved = 0;
            }
        }
        if (!IsIndexed(format)) table.clear();

        if (hasFileHeader && offBits != 0) {
            const long long current = stream.Position() - start;
            if (offBits < current) InvalidBitmap();
            stream.Seek(offBits - current, soCurrent);
        }

        if (width == 0 || height == 0) {
            ReplaceImage(nullptr, false, nullptr, 0, 0, format);
            colorTable_ = std::move(table);
            ReleasePalette();
            Changed();
            return;
        }
        if (width > INT_MAX || height > INT_MAX) InvalidBitmap();
        const long long stride = BytesPerScanline(width, static_cast<int>(bpp));
        if (stride > kMaxImageBytes / height) InvalidBitmap();
        const long long imageBytes = stride * height;
        if (stream.Size() - stream.Position() < imageBytes) InvalidBitmap(); // truncated data

        OwnedImage image;
        MakeImage(image, static_cast<int>(width), static_cast<int>(height), format, table);
        if (topDown) {
            for (long long row = 0; row < height; ++row)
                stream.ReadBuffer(image.bits + (height - 1 - row) * stride, stride);
        } else {
            stream.ReadBuffer(image.bits, imageBytes);
        }
        ReplaceImage(image.handle, true, image.bits, static_cast<int>(width), static_cast<int>(height), format);
        image.handle = nullptr;
        colorTable_ = std::move(table);
        ReleasePalette();
        alphaMeaningful_ = false;
        Changed();
    } catch (const EReadError&) {
        InvalidBitmap();
    }
}

void TBitmap::SaveToStream(TStream& stream)
{
    if (Empty()) return; // an empty bitmap stores nothing
    if (!dib_) {
        // A device-dependent bitmap is written as 32-bit data.
        TBitmap copy;
        copy.Assign(this);
        copy.SetPixelFormat(pf32bit);
        copy.SaveToStream(stream);
        return;
    }
    ::GdiFlush();
    const int bpp = BitsPerPixel(format_);
    const long long stride = BytesPerScanline(width_, bpp);
    const DWORD imageBytes = static_cast<DWORD>(stride * height_);
    const DWORD tableBytes = format_ == pf16bit ? 3 * sizeof(DWORD)
                                                : static_cast<DWORD>(colorTable_.size() * sizeof(RGBQUAD));
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + tableBytes;
    fh.bfSize = fh.bfOffBits + imageBytes;
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof(bih);
    bih.biWidth = width_;
    bih.biHeight = height_;
    bih.biPlanes = 1;
    bih.biBitCount = static_cast<WORD>(bpp);
    bih.biCompression = format_ == pf16bit ? BI_BITFIELDS : BI_RGB;
    bih.biSizeImage = imageBytes;
    bih.biClrUsed = static_cast<DWORD>(colorTable_.size());
    stream.WriteBuffer(&fh, sizeof(fh));
    stream.WriteBuffer(&bih, sizeof(bih));
    if (format_ == pf16bit) {
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        stream.WriteBuffer(masks, sizeof(masks));
    } else if (!colorTable_.empty()) {
        stream.WriteBuffer(colorTable_.data(), tableBytes);
    }
    stream.WriteBuffer(bits_, imageBytes);
}

void TBitmap::LoadResource(HINSTANCE instance, LPCWSTR name)
{
    if (!instance) instance = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(instance, name, MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    HGLOBAL data = info ? ::LoadResource(instance, info) : nullptr;
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes) {
        const UnicodeString text = IS_INTRESOURCE(name) ? std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : UnicodeString(name);
        throw EResNotFound(L"Resource " + text + L" not found");
    }
    TSpanStream stream({static_cast<const std::uint8_t*>(bytes), ::SizeofResource(instance, info)});
    LoadBmp(stream, false);
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const UnicodeString& name)
{
    LoadResource(instance, name.c_str());
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id)
{
    LoadResource(instance, MAKEINTRESOURCEW(id));
}

void RegisterGraphicsClasses()
{
    if (IsPublishedClass(L"TBitmap")) return;
    RegisterPublishedClass(L"TGraphic", L"TPersistent");
    RegisterPublishedClass(L"TBitmap", L"TGraphic");
    // The whole BMP file; an empty bitmap stores no bytes, so it is left out of a definition.
    TPropInfo data;
    data.Name = L"Data";
    data.Kind = pkBinary;
    data.BinDefault = TBytes();
    data.GetBin = [](TPersistent* p) {
        TMemoryStream stream;
        PropertyInstance<TBitmap>(p).SaveToStream(stream);
        return TBytes(stream.Memory(), stream.Memory() + stream.Size());
    };
    data.SetBin = [](TPersistent* p, std::span<const std::uint8_t> bytes) {
        TSpanStream stream(bytes);
        PropertyInstance<TBitmap>(p).LoadFromStream(stream);
    };
    RegisterPublishedProperty(L"TBitmap", std::move(data));
}
