#pragma once
// Window regions from skin images: the runs of key-colour pixels (0x00FF00FF) of a bitmap or of
// a border image's corners, as one-pixel-high rectangles, and a region of a bitmap without them.
#include "Graphics.h"
#include "Types.h"
#include "acntTypes.h"
#include "sConst.h"
#include "sMaskData.h"

#include <windows.h>

// Rgn becomes the whole bitmap minus its pixels whose 32-bit word equals TransColor; the caller
// owns it (a region Rgn held before is not freed). A nil bitmap gives no region (null).
void GetRgnFromBmp(HRGN& rgn, TBitmap* bmp, TColor transColor);
// Appends the horizontal runs of pixels equal to TransColor (whole words), row by row; a run
// never spans two rows. A bitmap that is not 32-bit is read as its 32-bit copy.
void AddRgnBmp(TRects& rects, TBitmap* bmp, TsColor transColor);
// Appends the runs of key pixels in the corners of a border image placed on a window `width`
// wide: the top WT rows, or with `bottom` the last WB rows of the first state. Left corners lie
// at horzOffset, right ones end horzOffset before the window's right edge; rows start at
// vertOffset (less horzOffset for the bottom). Nothing without the image's manager or bitmap,
// or when the rows lie outside the bitmap.
void AddRgn(TRects& rects, int width, const TsMaskData& maskData, int vertOffset, bool bottom, int horzOffset);
