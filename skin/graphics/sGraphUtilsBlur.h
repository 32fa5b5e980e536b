#pragma once
// Blur of 8-bit masks (glows and soft shadows are weighed by them) and a quick blur of 32-bit
// bitmaps.
#include "Graphics.h"

#include <array>
#include <cstdint>
#include <span>

using TKernelSize = std::uint8_t; // 1..16, the kernel's half-width

struct TacBlurKernel {
    TKernelSize Size = 1;
    std::array<float, 33> Weights{}; // index i + 16 holds the weight at i (-16..16)
    float& At(int i) { return Weights[static_cast<size_t>(i + 16)]; }
    float At(int i) const { return Weights[static_cast<size_t>(i + 16)]; }
};

// The rounding of exp(-t * t / 2) makes every tap 0 or 1, so the kernel is a box of equal
// weights, 2 * Size + 1 wide.
void MakeGaussianKernel(TacBlurKernel& kernel, double radius, double maxData = 255.0, double dataGranularity = 1.0);
// Blurs one line in place, repeating its end values; work holds at least row.size() bytes.
void BlurRow(std::span<std::uint8_t> row, const TacBlurKernel& kernel, std::span<std::uint8_t> work);
// Rows, then columns, of a pf8bit device-independent bitmap; other bitmaps are left alone.
void Blur8(TBitmap* bmp, double radius);
// Scales a 32-bit bitmap down to half and back.
void QBlur(TBitmap* bmp);
