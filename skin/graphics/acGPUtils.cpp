#include "acGPUtils.h"

// Stand-in until the GDI+ table exists: a halftone GDI stretch of the same rectangles.
void acgpStretchRect(TBitmap* dst, TBitmap* src, int x, int y, int width, int height)
{
    if (!dst || !src || dst->Empty() || src->Empty() || width <= 0 || height <= 0) return;
    HDC dc = dst->Canvas()->Handle();
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, dst->Width(), dst->Height(), src->Canvas()->Handle(), x, y, width, height, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}
