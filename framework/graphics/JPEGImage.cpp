// TJPEGImage: decodes with GDI+ under a start-up token of its own, held only while decoding, so
// it neither depends on nor disturbs any other user of GDI+ in the process.
#include "JPEGImage.h"

#include "ComObj.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include <objidl.h>
#include <gdiplus.h>

namespace {

namespace gp = Gdiplus;

// The raw format GDI+ reports for JPEG data.
constexpr GUID kImageFormatJPEG = {0xB96B3CAE, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

constexpr long long kMaxDataBytes = 0x7FFFFFFF;

[[noreturn]] void InvalidJpeg()
{
    throw EInvalidGraphic(L"JPEG image is not valid");
}

class GdiplusSession {
public:
    GdiplusSession()
    {
        gp::GdiplusStartupInput input;
        if (gp::GdiplusStartup(&token_, &input, nullptr) != gp::Ok)
            throw EInvalidGraphic(L"JPEG images cannot be decoded: GDI+ did not start");
    }
    ~GdiplusSession() { gp::GdiplusShutdown(token_); }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

using StreamPtr = TComPtr<IStream>;

struct ImageDispose {
    void operator()(gp::GpBitmap* image) const { gp::DllExports::GdipDisposeImage(image); }
};
using ImagePtr = std::unique_ptr<gp::GpBitmap, ImageDispose>;

// A memory stream holding a copy of data; GDI+ reads from it while the image lives.
StreamPtr MemoryStream(const std::vector<std::uint8_t>& data)
{
    StreamPtr stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.PutAddress())) || !stream)
        throw EOutOfResources(L"Out of system resources");
    ULONG written = 0;
    if (FAILED(stream->Write(data.data(), static_cast<ULONG>(data.size()), &written)) || written != data.size())
        throw EOutOfResources(L"Out of system resources");
    if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) throw EOutOfResources(L"Out of system resources");
    return stream;
}

// The JPEG in data as a 24-bit DIB of the image's size.
std::unique_ptr<TBitmap> Decode(const std::vector<std::uint8_t>& data)
{
    GdiplusSession session;
    StreamPtr stream = MemoryStream(data);
    ImagePtr image;
    {
        gp::GpBitmap* raw = nullptr;
        if (gp::DllExports::GdipCreateBitmapFromStream(stream.Get(), &raw) != gp::Ok || !raw) InvalidJpeg();
        image.reset(raw);
    }
    // GDI+ also reads other formats; this class stands for JPEG data only.
    GUID format{};
    if (gp::DllExports::GdipGetImageRawFormat(image.get(), &format) != gp::Ok ||
        std::memcmp(&format, &kImageFormatJPEG, sizeof(GUID)) != 0)
        InvalidJpeg();
    UINT width = 0, height = 0;
    if (gp::DllExports::GdipGetImageWidth(image.get(), &width) != gp::Ok ||
        gp::DllExports::GdipGetImageHeight(image.get(), &height) != gp::Ok || width == 0 || height == 0 ||
        width > INT_MAX || height > INT_MAX)
        InvalidJpeg();

    // Made first: it refuses sizes GDI cannot hold before GDI+ decodes anything.
    auto bitmap = std::make_unique<TBitmap>(static_cast<int>(width), static_cast<int>(height), pf24bit);
    const gp::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    gp::BitmapData locked{};
    if (gp::DllExports::GdipBitmapLockBits(image.get(), &whole, gp::ImageLockModeRead, PixelFormat24bppRGB,
                                           &locked) != gp::Ok)
        InvalidJpeg();
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const bool complete = locked.Scan0 && locked.Width == width && locked.Height == height &&
                          static_cast<size_t>(locked.Stride < 0 ? -locked.Stride : locked.Stride) >= rowBytes;
    if (complete) {
        const auto* first = static_cast<const std::uint8_t*>(locked.Scan0);
        for (UINT y = 0; y < height; ++y)
            std::memcpy(bitmap->ScanLine(static_cast<int>(y)), first + static_cast<std::ptrdiff_t>(y) * locked.Stride,
                        rowBytes);
    }
    gp::DllExports::GdipBitmapUnlockBits(image.get(), &locked);
    if (!complete) InvalidJpeg();
    return bitmap;
}

} // namespace

TJPEGImage::TJPEGImage() = default;

TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::SetWidth(int width)
{
    if (width != Width()) throw EInvalidGraphicOperation(L"Cannot change the size of a JPEG image");
}

void TJPEGImage::SetHeight(int height)
{
    if (height != Height()) throw EInvalidGraphicOperation(L"Cannot change the size of a JPEG image");
}

void TJPEGImage::Assign(const TPersistent* source)
{
    if (source == this) return;
    if (!source) {
        data_.clear();
        image_.reset();
        Changed();
        return;
    }
    const auto* other = dynamic_cast<const TJPEGImage*>(source);
    if (!other) {
        TGraphic::Assign(source);
        return;
    }
    std::unique_ptr<TBitmap> image;
    if (other->image_) {
        image = std::make_unique<TBitmap>();
        image->Assign(other->image_.get());
    }
    data_ = other->data_;
    image_ = std::move(image);
    Changed();
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& rect)
{
    if (image_ && canvas) image_->Draw(canvas, rect);
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    const long long available = stream.Size() - stream.Position();
    if (available > kMaxDataBytes) InvalidJpeg();
    std::vector<std::uint8_t> data(static_cast<size_t>(std::max(available, 0LL)));
    std::unique_ptr<TBitmap> image;
    if (!data.empty()) {
        stream.ReadBuffer(data.data(), static_cast<long long>(data.size()));
        image = Decode(data);
    }
    data_ = std::move(data);
    image_ = std::move(image);
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream)
{
    if (!data_.empty()) stream.WriteBuffer(data_.data(), static_cast<long long>(data_.size()));
}
