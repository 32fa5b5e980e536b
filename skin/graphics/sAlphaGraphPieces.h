#pragma once
// Internal helpers of the nine-slice painters and their piece copiers: where an image's pixels
// lie, how an unscaled piece is cut to its bitmaps, and the 255-weight mix.
#include "Graphics.h"
#include "acntUtils.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sMaskData.h"
#include "sSkinManager.h"

#include <algorithm>
#include <cstdint>

namespace alphagraph_detail {

// The image's own bitmap, or its manager's master bitmap; null when there is neither.
inline TBitmap* ImageBitmap(const TsMaskData& maskData)
{
    if (maskData.Bmp) return maskData.Bmp;
    auto* manager = dynamic_cast<TsSkinManager*>(maskData.Manager);
    return manager ? manager->MasterBitmap.get() : nullptr;
}

// (a * w + b * (255 - w)) shr 8 as a byte.
inline std::uint8_t Weigh(int a, int b, int w) { return static_cast<std::uint8_t>((a * w + b * (255 - w)) >> 8); }

// The alpha a pixel keeps under a mask value m: a transparent one takes `empty`, any other at
// least 255 - m.
inline void CoverAlpha(TsColor_& d, int m, int empty)
{
    d.A = static_cast<std::uint8_t>(d.A == 0 ? empty : std::max(static_cast<int>(d.A), 255 - m));
}

// An unscaled piece: the smaller of the two rectangles, cut to both bitmaps (srcHeight may leave
// room for a mask below); a negative left or top of either moves both and shortens the piece.
struct TPiece {
    int dstLeft = 0, dstTop = 0, srcLeft = 0, srcTop = 0, cols = 0, rows = 0;
};

inline bool CutPiece(const TRect& dst, const TRect& src, int dstWidth, int dstHeight, int srcWidth, int srcHeight,
                     TPiece& piece)
{
    int cols = std::min({WidthOf(src, true), WidthOf(dst, true), dstWidth - static_cast<int>(dst.Left),
                         srcWidth - static_cast<int>(src.Left)});
    int rows = std::min({HeightOf(src, true), HeightOf(dst, true), dstHeight - static_cast<int>(dst.Top),
                         srcHeight - static_cast<int>(src.Top)});
    piece = {static_cast<int>(dst.Left), static_cast<int>(dst.Top), static_cast<int>(src.Left),
             static_cast<int>(src.Top), 0, 0};
    if (const int d = std::min(piece.dstLeft, piece.srcLeft); d < 0) {
        piece.dstLeft -= d;
        piece.srcLeft -= d;
        cols += d;
    }
    if (const int d = std::min(piece.dstTop, piece.srcTop); d < 0) {
        piece.dstTop -= d;
        piece.srcTop -= d;
        rows += d;
    }
    piece.cols = cols;
    piece.rows = rows;
    return cols > 0 && rows > 0;
}

// The rows of a ready cache record's bitmap (invalid otherwise).
inline TacBmpRows CacheRows(const TCacheInfo& ci) { return ci.Ready && ci.Bmp ? TacBmpRows(ci.Bmp) : TacBmpRows(); }

} // namespace alphagraph_detail
