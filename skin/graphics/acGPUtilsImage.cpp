// Bitmaps through GDI+: rotated drawing, stretching and blur.
#include "acGPUtils.h"

#include "acGPUtilsScope.h"
#include "sGraphUtils.h"
#include "sGraphUtilsBlur.h"
#include "sGraphUtilsMix.h"

#include <algorithm>
#include <cstring>

using namespace acgp_detail;
using Gdiplus::GpPointF;

namespace {

// The blur effect's identifier.
constexpr GUID kBlurEffect = {0x633C80A4, 0x1843, 0x482B, {0x9E, 0xF2, 0xBE, 0x28, 0x34, 0xC5, 0xFD, 0xD4}};
constexpr Gdiplus::PixelFormat kArgb = 0x26200A; // 32 bits, straight alpha

// A GDI+ bitmap that shares the rows of a 32-bit bitmap (which must outlive it), or one made
// from the bitmap's handle for other formats.
void ImageOf(TBitmap* bmp, Image& image)
{
    if (bmp->PixelFormat() == pf32bit) {
        Gdiplus::GpBitmap* b = nullptr;
        if (E().GdipCreateBitmapFromScan0 &&
            E().GdipCreateBitmapFromScan0(bmp->Width(), bmp->Height(), static_cast<INT>(bmp->ScanLineDelta()), kArgb,
                                          static_cast<BYTE*>(bmp->ScanLine(0)), &b) == Gdiplus::Ok)
            *image.Out() = b;
        return;
    }
    Gdiplus::GpBitmap* b = nullptr;
    if (E().GdipCreateBitmapFromHBITMAP &&
        E().GdipCreateBitmapFromHBITMAP(bmp->Handle(), bmp->Palette(), &b) == Gdiplus::Ok)
        *image.Out() = b;
}

// A GDI+ ARGB bitmap of src's size holding src's pixels with every alpha a as a div 2 + 127.
void HalfAlphaImage(TBitmap* src, Image& image)
{
    TacBmpRows rows(src);
    if (!rows.Valid() || !E().GdipCreateBitmapFromScan0 || !E().GdipBitmapLockBits || !E().GdipBitmapUnlockBits)
        return;
    Gdiplus::GpBitmap* b = nullptr;
    if (E().GdipCreateBitmapFromScan0(rows.Width(), rows.Height(), 0, kArgb, nullptr, &b) != Gdiplus::Ok) return;
    *image.Out() = b;
    Gdiplus::GpRect all(0, 0, rows.Width(), rows.Height());
    Gdiplus::BitmapData data{};
    if (E().GdipBitmapLockBits(b, &all, Gdiplus::ImageLockModeWrite, kArgb, &data) != Gdiplus::Ok) {
        image.Reset();
        return;
    }
    for (int y = 0; y < rows.Height(); ++y) {
        auto* out = reinterpret_cast<TsColor_*>(static_cast<std::uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride);
        const auto in = rows.Row(y);
        for (int x = 0; x < rows.Width(); ++x) {
            out[x] = in[static_cast<size_t>(x)];
            out[x].A = static_cast<std::uint8_t>(out[x].A / 2 + 127);
        }
    }
    E().GdipBitmapUnlockBits(b, &data);
}

// Blurs bmp with the effect; false when GDI+ cannot (bmp then unchanged).
bool ApplyBlur(TBitmap* bmp, Gdiplus::CGpEffect* effect)
{
    if (!E().GdipCreateBitmapFromHBITMAP || !E().GdipBitmapCreateApplyEffect || !E().GdipCreateHBITMAPFromBitmap)
        return false;
    Image in, out;
    Gdiplus::GpBitmap* src = nullptr;
    if (E().GdipCreateBitmapFromHBITMAP(bmp->Handle(), bmp->Palette(), &src) != Gdiplus::Ok) return false;
    *in.Out() = src;
    RECT all{0, 0, bmp->Width(), bmp->Height()};
    Gdiplus::GpBitmap* blurred = nullptr;
    if (E().GdipBitmapCreateApplyEffect(&src, 1, effect, &all, nullptr, &blurred, FALSE, nullptr, nullptr) !=
            Gdiplus::Ok ||
        !blurred)
        return false;
    *out.Out() = blurred;
    HBITMAP handle = nullptr;
    if (E().GdipCreateHBITMAPFromBitmap(blurred, &handle, 0) != Gdiplus::Ok || !handle) return false;
    bmp->SetHandle(handle);
    if (bmp->PixelFormat() != pf32bit) bmp->SetPixelFormat(pf32bit);
    return true;
}

// Owns the blur effect; it is freed through the function bound beside the table.
class Effect {
public:
    Effect(double radius)
    {
        if (!E().GdipCreateEffect || !E().GdipSetEffectParameters) return;
        if (E().GdipCreateEffect(kBlurEffect, &effect_) != Gdiplus::Ok) {
            effect_ = nullptr;
            return;
        }
        const Gdiplus::BlurParams params{static_cast<float>(radius), FALSE};
        static_assert(sizeof(params) == 8);
        if (E().GdipSetEffectParameters(effect_, &params, sizeof(params)) != Gdiplus::Ok) Free();
    }
    ~Effect() { Free(); }
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;
    Gdiplus::CGpEffect* Get() const { return effect_; }

private:
    void Free()
    {
        if (effect_ && acgpReleaseEntries().GdipDeleteEffect) acgpReleaseEntries().GdipDeleteEffect(effect_);
        effect_ = nullptr;
    }
    Gdiplus::CGpEffect* effect_ = nullptr;
};

} // namespace

void acgpDrawRotatedBitmap(HDC dc, TBitmap* bmp, const TRect& r, int angle)
{
    if (!bmp || bmp->Empty()) return;
    Session session;
    if (!session) return;
    Graphics g(dc);
    if (!g) return;
    const int a = ((-angle) % 360 + 360) % 360;
    const float left = static_cast<float>(r.Left), top = static_cast<float>(r.Top);
    const float width = static_cast<float>(r.Width()), height = static_cast<float>(r.Height());
    std::array<TacPointF, 3> corners{{{left, top}, {left + width, top}, {left, top + height}}};
    acgpRotatePoints(corners, {left + width / 2, top + height / 2}, a);
    std::array<GpPointF, 3> points;
    for (size_t i = 0; i < 3; ++i) points[i] = GpPointF(corners[i].X, corners[i].Y);
    if (E().GdipSetInterpolationMode) E().GdipSetInterpolationMode(g.Get(), Gdiplus::InterpolationModeHighQuality);
    Image image;
    ImageOf(bmp, image);
    if (image && E().GdipDrawImagePoints) E().GdipDrawImagePoints(g.Get(), image.Get(), points.data(), 3);
}

void acgpStretchRect(TBitmap* dst, TBitmap* src, const TRect& dstRect, const TRect& srcRect)
{
    if (!dst || !src || dst->Empty() || src->Empty() || dstRect.IsEmpty() || srcRect.IsEmpty()) return;
    Session session;
    if (!session) return;
    std::unique_ptr<TBitmap> holder;
    TBitmap* source = graphutils_detail::Bitmap32(src, holder);
    if (!source) return;
    Image image;
    HalfAlphaImage(source, image);
    if (!image) return;
    Graphics g(dst->Canvas()->Handle());
    if (!g || !E().GdipDrawImageRectRectI) return;
    if (E().GdipSetCompositingMode) E().GdipSetCompositingMode(g.Get(), Gdiplus::CompositingModeSourceCopy);
    if (E().GdipSetCompositingQuality) E().GdipSetCompositingQuality(g.Get(), Gdiplus::CompositingQualityHighSpeed);
    E().GdipDrawImageRectRectI(g.Get(), image.Get(), dstRect.Left, dstRect.Top, dstRect.Width(), dstRect.Height(),
                               srcRect.Left, srcRect.Top, srcRect.Width(), srcRect.Height(), Gdiplus::UnitPixel,
                               nullptr, nullptr, nullptr);
    GdiFlush(); // callers read the pixels next
}

void acgpStretchRect(TBitmap* dst, TBitmap* src, int x, int y, int width, int height)
{
    if (!dst) return;
    acgpStretchRect(dst, src, TRect(0, 0, dst->Width(), dst->Height()), TRect(x, y, x + width, y + height));
}

void acgpBlur(TBitmap* bmp, double radius)
{
    if (!bmp || bmp->Empty() || !(radius > 0)) return;
    Session session;
    if (!session) return;
    const int width = bmp->Width(), height = bmp->Height();
    const bool direct = radius >= 20 || width > 95 || height > 95;
    double r = std::min(radius, 20.0);
    if (direct) r = radius > 15 && radius < 20 ? 20.0 : radius;
    // GDI+ may lack the effect (older systems) or refuse it (Wine answers NotImplemented): the
    // quick blur stands in.
    Effect effect(r);
    if (!effect.Get()) {
        QBlur(bmp);
        return;
    }
    if (direct) {
        if (!ApplyBlur(bmp, effect.Get())) QBlur(bmp);
        return;
    }
    const double factor = r / std::min(radius, 4.0);
    const int bigWidth = static_cast<int>(width * factor), bigHeight = static_cast<int>(height * factor);
    auto big = CreateBmp32(bigWidth, bigHeight);
    if (big->Empty()) return;
    FillRect32(big.get(), TRect(0, 0, bigWidth, bigHeight), 0, 0);
    acgpStretchRect(big.get(), bmp, TRect(0, 0, bigWidth, bigHeight), TRect(0, 0, width, height));
    if (!ApplyBlur(big.get(), effect.Get())) QBlur(big.get());
    acgpStretchRect(bmp, big.get(), TRect(0, 0, width, height), TRect(0, 0, bigWidth, bigHeight));
}
