#pragma once
// Solid fills on a device context.
#include "Graphics.h"
#include "Types.h"

// Fills R with the colour (alpha 0 paints it opaque).
void FillDC(HDC dc, const TRect& r, TColor color, int alpha = 0);
