#pragma once
// Pixel helpers of the skin graphics tests: tiny 32-bit bitmaps, pixel words (0xAARRGGBB, as a
// pixel lies in memory: B, G, R, A) and the library's mix formula for expected values.
#include "../framework/graphics_test_util.h"
#include "acntUtils.h"
#include "sGraphUtils.h"

#include <cstdint>
#include <initializer_list>
#include <memory>

using Word = std::uint32_t;

constexpr Word Argb(int a, int r, int g, int b)
{
    return static_cast<Word>(a) << 24 | static_cast<Word>(r) << 16 | static_cast<Word>(g) << 8 | static_cast<Word>(b);
}
constexpr int ByteA(Word w) { return w >> 24 & 0xFF; }
constexpr int ByteR(Word w) { return w >> 16 & 0xFF; }
constexpr int ByteG(Word w) { return w >> 8 & 0xFF; }
constexpr int ByteB(Word w) { return w & 0xFF; }

// ((a - b) * w + b * 256) shr 8
constexpr int MixOf(int a, int b, int w) { return (((a - b) * w + b * 256) >> 8) & 0xFF; }
// Colour bytes mix(s, d, w), alpha given.
constexpr Word MixPx(Word s, Word d, int w, int alpha)
{
    return Argb(alpha, MixOf(ByteR(s), ByteR(d), w), MixOf(ByteG(s), ByteG(d), w), MixOf(ByteB(s), ByteB(d), w));
}

inline Word Px(TBitmap& bmp, int x, int y)
{
    return static_cast<const Word*>(bmp.ScanLine(y))[x];
}
inline void SetPx(TBitmap& bmp, int x, int y, Word value)
{
    static_cast<Word*>(bmp.ScanLine(y))[x] = value;
}

// A width x height 32-bit bitmap filled with one word.
inline std::unique_ptr<TBitmap> Bmp32(int width, int height, Word fill = 0)
{
    auto bmp = CreateBmp32(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPx(*bmp, x, y, fill);
    return bmp;
}

// A 32-bit copy of the bitmap's pixels.
inline std::unique_ptr<TBitmap> Copy32(TBitmap& bmp)
{
    auto copy = CreateBmp32(bmp.Width(), bmp.Height());
    CopyBmp(copy.get(), &bmp);
    return copy;
}

// A bitmap whose pixels are all different: word = base + 16 * y + x (x, y below 16).
inline std::unique_ptr<TBitmap> Numbered(int width, int height, Word base = 0x80102000)
{
    auto bmp = CreateBmp32(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPx(*bmp, x, y, base + 16 * y + x);
    return bmp;
}
