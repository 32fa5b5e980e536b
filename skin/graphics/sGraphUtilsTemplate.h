#pragma once
// Copies between device contexts by pieces of a rectangle: only the border strips of an area,
// or a template bitmap laid by nine slices (corners at their size, sides and centre tiled or
// stretched) over an area of another size.
#include "Graphics.h"
#include "Types.h"

// Copies the left, top, right and bottom strips of the Width x Height area at (x, y) from the
// same place at (srcX, srcY) of srcDC. A negative left width counts as 0; a negative bottom width
// makes the bottom, and each negative one of the top and right, as wide as the left.
void BitBltBorder(HDC destDC, int x, int y, int width, int height, HDC srcDC, int srcX, int srcY, int borderWidth,
                  int topWidth, int rightWidth, int bottomWidth);
// Lays srcRect of srcBmp over dstRect of dstBmp: corners of the borders' size (their inner parts
// of the inner borders' size), sides tiled or stretched (bit 0 of each side's mode), the centre
// drawn when drawCenter, stretched or tiled. In an area narrower or lower than two borders each
// corner takes half of it.
void PaintControlByTemplate(TBitmap* dstBmp, TBitmap* srcBmp, const TRect& dstRect, const TRect& srcRect,
                            const TRect& borders, const TRect& innerBorders, const TRect& modes, bool stretchCenter,
                            bool drawCenter);
