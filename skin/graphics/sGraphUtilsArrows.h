#pragma once
// Arrow glyphs in the library's five styles (solid triangles, chevrons of GDI+ lines, a GDI+
// filled triangle) pointing to any side, small filled arrows set pixel by pixel, and a line.
#include "Graphics.h"
#include "acntTypes.h"
#include "sConst.h"

#include <windows.h>

// An arrow pointing to side centred in R of the 32-bit bmp, then the whole bitmap turned by
// angle - 90 degrees about its centre when angle is not 0. arrowSize 0 is the library's size;
// the size is scaled from 96 to ppi. Solid styles fill in color; line styles draw their arms in
// color with lineWidth (0: the library's, scaled) over a fill in color2 (clNone: no fill).
// arsDefault, and any value beyond the styles, draws as arsSolid1.
void DrawArrow(TBitmap* bmp, TColor color, TColor color2, const TRect& r, TacSide side, int lineWidth, int angle,
               int arrowSize, TacArrowsStyle style, int ppi);
// The same on a DC, through a 32-bit copy of R; with an angle the arrow is painted in color
// through a mask of its shape.
void DrawArrow(HDC dc, TColor color, TColor color2, const TRect& r, TacSide side, int lineWidth, int angle,
               int arrowSize, TacArrowsStyle style, int ppi);
// A small filled arrow of the library's arrow size at size pixels per inch centred in R: in
// the 32-bit bitmap as whole pixel words (nothing when its box does not lie inside), or pixel by
// pixel on the canvas.
void DrawColorArrow(TBitmap* bmp, TColor color, const TRect& r, TacSide side, int size);
void DrawColorArrow(TCanvas* canvas, TColor color, const TRect& r, TacSide side, int size);
// A line from (x1, y1) to (x2, y2) with the DC's pen.
void acPaintLine(HDC dc, int x1, int y1, int x2, int y2);
