#pragma once
// Solid fills on a device context (a rectangle, or the four sides of a frame, opaque or with
// alpha) and the checkerboard that shows where a 32-bit picture is transparent.
#include "Graphics.h"
#include "Types.h"

// Fills R with the colour: alpha 0 paints it opaque with a solid brush, any other alpha mixes it
// in at that alpha.
void FillDC(HDC dc, const TRect& r, TColor color, int alpha = 0);
// Fills the four sides of R (top, left, bottom, right) with the given widths; an alpha below 1
// paints them opaque.
void FillDCBorder(HDC dc, const TRect& r, int wl, int wt, int wr, int wb, TColor color, int alpha = 0);
// Lays a checkerboard of cellSize cells over R of bmp (made 32-bit), color1 at R's top-left.
void PaintTransBG(TBitmap* bmp, const TRect& r, TColor color1, TColor color2, int cellSize);
