#pragma once
// Internal helpers of the raster units: the shift-by-8 mix, the key pixel and bitmap checks.
#include "Graphics.h"
#include "sConst.h"
#include "sAlphaGraph.h"
#include "sGraphUtils.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace graphutils_detail {

// The key colour as a pixel word: magenta with alpha 0.
inline constexpr std::int32_t KeyPixel = 0x00FF00FF;

// ((a - b) * w + b * 256) shr 8, stored as a byte.
inline std::uint8_t Mix(int a, int b, int w) { return static_cast<std::uint8_t>(((a - b) * w + b * 256) >> 8); }

// The colour bytes of d become mix(a, b, w); alpha untouched.
inline void MixColor(TsColor_& d, const TsColor_& a, const TsColor_& b, int w)
{
    const TsColor_ x = a;
    const TsColor_ y = b;
    d.R = Mix(x.R, y.R, w);
    d.G = Mix(x.G, y.G, w);
    d.B = Mix(x.B, y.B, w);
}

inline bool SameSize(const TacBmpRows& a, const TacBmpRows& b)
{
    return a.Valid() && b.Valid() && a.Width() == b.Width() && a.Height() == b.Height();
}

// rows is valid and at least width x height.
// Cuts r (inclusive right and bottom) to the pixels rows has.
inline void ClipToRows(TRect& r, const TacBmpRows& rows)
{
    r.Left = std::max<LONG>(r.Left, 0);
    r.Top = std::max<LONG>(r.Top, 0);
    r.Right = std::min<LONG>(r.Right, rows.Width() - 1);
    r.Bottom = std::min<LONG>(r.Bottom, rows.Height() - 1);
}

// Calls f(source pixel, destination pixel, dx, dy) for every pixel of the source rectangle r
// (inclusive, already cut to the source) whose place from (x, y) on lies inside the destination.
template <class F>
void ForEachCopiedPixel(TacBmpRows& d, const TacBmpRows& s, const TRect& r, int x, int y, F f)
{
    for (int sy = r.Top; sy <= r.Bottom; ++sy) {
        const int dy = y + sy - r.Top;
        if (dy < 0 || dy >= d.Height()) continue;
        for (int sx = r.Left; sx <= r.Right; ++sx) {
            const int dx = x + sx - r.Left;
            if (dx < 0 || dx >= d.Width()) continue;
            f(s.At(sx, sy), d.At(dx, dy), dx, dy);
        }
    }
}

inline bool Covers(const TacBmpRows& rows, int width, int height)
{
    return rows.Valid() && rows.Width() >= width && rows.Height() >= height;
}

// bmp itself when it is 32-bit, else a 32-bit copy kept in holder (null without pixels).
inline TBitmap* Bitmap32(TBitmap* bmp, std::unique_ptr<TBitmap>& holder)
{
    if (!bmp || bmp->Empty()) return nullptr;
    if (bmp->PixelFormat() == pf32bit) return bmp;
    holder = std::make_unique<TBitmap>();
    holder->Assign(bmp);
    holder->SetPixelFormat(pf32bit);
    return holder.get();
}

} // namespace graphutils_detail
