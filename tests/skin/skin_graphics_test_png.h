#pragma once
// Pictures of what the skin graphics tests drew, written under the build folder for a person to
// look at; small bitmaps are enlarged so that single pixels can be seen.
#include "../framework/graphics_png.h"
#include "Graphics.h"
#include "skin_graphics_test_units.h"

#include <windows.h>

// The bitmap enlarged `factor` times (each pixel a square), saved as a PNG under the build folder.
inline bool SaveEnlargedPng(TBitmap& bmp, const wchar_t* name, int factor = 4, bool withAlpha = false)
{
    TBitmap big(bmp.Width() * factor, bmp.Height() * factor, pf32bit);
    HDC dc = big.Canvas()->Handle();
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, big.Width(), big.Height(), bmp.Canvas()->Handle(), 0, 0, bmp.Width(), bmp.Height(),
               SRCCOPY);
    GdiFlush();
    return SaveBitmapAsPng(big, BuildFolderFile(name), withAlpha);
}
