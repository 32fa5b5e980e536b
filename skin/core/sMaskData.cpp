#include "sMaskData.h"

#include "sAlphaGraph.h"
#include "sGraphUtils.h"
#include "sGraphUtilsStretch.h"
#include "sVclUtils.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::int32_t KeyWord = sFuchsia; // magenta with alpha 0, as a pixel word
constexpr std::int32_t WhiteWord = 0x00FFFFFF;
constexpr TColor MainColor = static_cast<TColor>(0xF1000001u);

// A width x height 32-bit copy of source's pixels from (left, top); what lies outside source
// stays zero.
std::unique_ptr<TBitmap> CopyArea(TBitmap* source, int left, int top, int width, int height)
{
    auto result = CreateBmp32(width, height);
    std::unique_ptr<TBitmap> holder;
    if (source->PixelFormat() != pf32bit) {
        holder = std::make_unique<TBitmap>();
        holder->Assign(source);
        holder->SetPixelFormat(pf32bit);
        source = holder.get();
    }
    TacBmpRows s(source), d(result.get());
    if (!s.Valid() || !d.Valid()) return result;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (s.Contains(left + x, top + y)) d.At(x, y) = s.At(left + x, top + y);
    return result;
}

template <class F>
void ForEachPixel(TBitmap* bmp, F&& f)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    for (int y = 0; y < rows.Height(); ++y)
        for (auto& pixel : rows.Row(y)) f(pixel);
}

// In the corner rectangles of the first frame, key pixels of the image take the background
// colour with alpha 0, and the mask is white wherever the image or the mask itself is keyed.
void KeyCorners(TBitmap* work, TBitmap* workMask, const TsMaskData& mask, int frameW, int frameH, std::int32_t key)
{
    TacBmpRows image(work), maskRows(workMask);
    if (!image.Valid() || !maskRows.Valid()) return;
    const TRect corners[] = {
        {0, 0, mask.WL, mask.WT},
        {0, frameH - mask.WB, mask.WL, frameH},
        {frameW - mask.WR, 0, frameW, mask.WT},
        {frameW - mask.WR, frameH - mask.WB, frameW, frameH},
    };
    for (const TRect& r : corners) {
        const int left = std::max<int>(r.Left, 0), top = std::max<int>(r.Top, 0);
        const int right = std::min<int>(r.Right, image.Width()), bottom = std::min<int>(r.Bottom, image.Height());
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                TsColor_& pixel = image.At(x, y);
                TsColor_& maskPixel = maskRows.At(x, y);
                if (pixel.I == KeyWord) {
                    pixel.I = key;
                    maskPixel.I = WhiteWord;
                } else if (maskPixel.I == KeyWord) {
                    maskPixel.I = WhiteWord;
                }
            }
    }
}

// Copies src whole into dst at (0, y).
void PlaceRows(TBitmap* dst, TBitmap* src, int y)
{
    TacBmpRows d(dst), s(src);
    if (!d.Valid() || !s.Valid()) return;
    for (int row = 0; row < s.Height() && y + row < d.Height(); ++row) {
        const auto from = s.Row(row);
        const auto to = d.Row(y + row);
        std::copy_n(from.begin(), std::min(from.size(), to.size()), to.begin());
    }
}

} // namespace

bool PtIsTransparent(int x, int y, const TsMaskData& mask, int w, int h)
{
    if (!mask.Bmp) return false;
    int column;
    if (x <= mask.WL) column = x;
    else if (x >= w - mask.WR) column = mask.Width - w + x;
    else return false;
    int row;
    if (y <= mask.WT) row = y;
    else if (y >= h - mask.WB) row = mask.Height - h + y;
    else return false;
    const TsColor pixel = GetAPixel(mask.Bmp, column, row);
    if (mask.Cfg & 1) return pixel.I == sFuchsia;
    return pixel.A == 0;
}

TSize MkSize(const TsMaskData& mask) { return {mask.Width, mask.Height}; }

bool ScaleMaskData(TsMaskData& mask, TBitmap* bmp, bool keepAlpha, std::unique_ptr<TBitmap>& own)
{
    const int mul = mask.MulPPi, div = mask.DivPPI;
    if (mul == div || mul <= 0 || div <= 0) return false;
    // Frames and halves are divisors below: without them there is nothing to scale.
    if (mask.ImageCount < 1 || mask.MaskType < 0) return false;
    const int width = mask.R.Width(), height = mask.R.Height();
    const int frameW = width / mask.ImageCount;
    const int frameH = mask.MaskType != 0 ? height / 2 : height;
    if (mask.WL + mask.WR == 2 || mask.WT + mask.WB == 2 || frameH < 3 || frameW < 3) return false;
    TBitmap* source = mask.Bmp ? mask.Bmp : bmp;
    if (!source || source->Empty()) return false;

    // Keyed pixels take the skin's main colour so that resampling blends edges toward it.
    const std::int32_t key = SwapRedBlue(acColorToRGB(MainColor)) & 0x00FFFFFF;
    const bool alphaKept = (mask.DrawMode & 0x10) != 0 || keepAlpha;
    auto work = CopyArea(source, mask.R.Left, mask.R.Top, width, frameH);
    std::unique_ptr<TBitmap> workMask;
    int newHeight;
    if (mask.MaskType != 0) {
        workMask = CopyArea(source, mask.R.Left, mask.R.Top + frameH, width, frameH);
        KeyCorners(work.get(), workMask.get(), mask, frameW, frameH, key);
        newHeight = static_cast<int>(std::int64_t{height / 2} * mul / div) * 2;
    } else {
        if (!alphaKept)
            ForEachPixel(work.get(), [key](TsColor_& p) {
                if (p.I == KeyWord) p.I = key;
            });
        newHeight = static_cast<int>(std::int64_t{height} * mul / div);
    }
    const int newFrameW = static_cast<int>(std::int64_t{mul} * frameW / div);
    const int newWidth = newFrameW * mask.ImageCount;
    auto result = CreateBmp32(newWidth, newHeight);
    if (mask.MaskType == 0) {
        Stretch(work.get(), result.get(), newWidth, newHeight, ftMitchell);
        if (!alphaKept)
            ForEachPixel(result.get(), [](TsColor_& p) {
                if (p.A < 90) p.I = KeyWord;
                else p.A = 255;
            });
    } else {
        const int half = newHeight / 2;
        auto image = CreateBmp32(newWidth, half);
        auto imageMask = CreateBmp32(newWidth, half);
        Stretch(work.get(), image.get(), newWidth, half, ftMitchell);
        Stretch(workMask.get(), imageMask.get(), newWidth, half, ftMitchell);
        ForEachPixel(image.get(), [](TsColor_& p) {
            if (p.A < 100) p.I = KeyWord;
        });
        PlaceRows(result.get(), image.get(), 0);
        PlaceRows(result.get(), imageMask.get(), half);
    }

    // The work copies are taken: a source that own held may go now.
    mask.Bmp = result.get();
    own = std::move(result);
    mask.R = TRect(0, 0, mask.Bmp->Width(), mask.Bmp->Height());
    mask.Width = newWidth / mask.ImageCount;
    mask.Height = (mask.DrawMode & 0x10) ? newHeight : newHeight / (mask.MaskType + 1);
    const int wl = mask.WL, wt = mask.WT;
    mask.WL = static_cast<std::int16_t>(MulDiv(wl, mul, div));
    mask.WT = static_cast<std::int16_t>(MulDiv(wt, mul, div));
    mask.WR = static_cast<std::int16_t>(std::min(MulDiv(mask.WR, mul, div), mask.Width - wl - 1));
    mask.WB = static_cast<std::int16_t>(std::min(MulDiv(mask.WB, mul, div), mask.Height - wt - 1));
    return true;
}
