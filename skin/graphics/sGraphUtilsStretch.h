#pragma once
// Resampling of bitmaps with a chosen filter: two separable passes in 16.16 fixed point.
#include "Graphics.h"

enum TFilterType { ftBox, ftTriangle, ftHermite, ftBell, ftSpline, ftLanczos3, ftMitchell };

// The filter's kernel at distance x and the distance beyond which it is zero (the box reaches
// 0.51 so that a half-way sample still finds a neighbour).
double FilterValue(TFilterType filter, double x);
double FilterSupport(TFilterType filter);

// Resamples the whole of src into dst (32-bit) at the new size. Nothing when a new size is below
// 1 or src is 1 pixel or less in either direction; equal sizes assign src to dst.
void Stretch(TBitmap* src, TBitmap* dst, int newWidth, int newHeight, TFilterType filter);
