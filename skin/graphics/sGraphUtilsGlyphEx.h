#pragma once
// Multi-state glyph strips with a fading mirrored reflection, bitmaps drawn with their alpha,
// and icons made from 32-bit bitmaps.
#include "Graphics.h"
#include "sConst.h"

#include <windows.h>

// One image of a strip of numGlyphs images side by side, chosen by enabled, state (0 normal,
// 1 hot, 2 pressed, 3 checked) and down, copied into dstBmp at R's top-left without the strip's
// key colour (the colour of the image's bottom-left pixel). Disabled with blend: blended by
// blend percent; reflected: moved up by an eighth of R's height with a reflection below it.
void DrawGlyphEx(TBitmap* glyph, TBitmap* dstBmp, TRect r, int numGlyphs, bool enabled, TsDisabledGlyphKind,
                 int state, int blend, bool down, bool reflected);
// The mirror image of srcRect (inclusive) of src at p, two thirds of src's height, fading from
// half opacity (less blend percent) downwards; pixels of transColor are skipped, alpha kept.
void DrawGlyphReflection(TBitmap* dst, TBitmap* src, TPoint p, int blend, TColor transColor, TRect srcRect);
// bmp drawn into R of the canvas: a 32-bit one with its alpha (scaled to R when its size
// differs; with a reflection below when reflected and not scaled), others stretched.
void DrawBmp(TCanvas* canvas, TBitmap* bmp, const TRect& r, bool reflected);
// An icon of bmp's colour and an all-zero mask, so that the colour's alpha is used as it is;
// the caller owns it. Null without pixels.
HICON MakeCompIcon(TBitmap* bmp);
