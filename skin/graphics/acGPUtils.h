#pragma once
// Smoothing drawing through GDI+ for 32-bit bitmaps.
#include "Graphics.h"

// Stretches the source rectangle (x, y, width, height) of src over the whole of dst.
void acgpStretchRect(TBitmap* dst, TBitmap* src, int x, int y, int width, int height);
