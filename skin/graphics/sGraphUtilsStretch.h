#pragma once
// Resampling of bitmaps with a chosen filter.
#include "Graphics.h"

enum TFilterType { ftBox, ftTriangle, ftHermite, ftBell, ftSpline, ftLanczos3, ftMitchell };

// Resamples the whole of src into dst at the new size (dst becomes 32-bit of that size).
// For now the filter is not applied: a plain GDI stretch (COLORONCOLOR) stands in.
void Stretch(TBitmap* src, TBitmap* dst, int newWidth, int newHeight, TFilterType filter);
