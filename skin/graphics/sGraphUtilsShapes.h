#pragma once
// Small standard shapes: two-colour dotted frames, nested 3-D frames and a plain push button.
#include "Graphics.h"
#include "Types.h"

// A dotted frame on R's edges, alternating color1 and color2; clNone is not drawn.
void FocusRect(TCanvas* canvas, TRect r, TColor color1, TColor color2);
// The system focus rectangle.
void acDrawFocusRect(TCanvas* canvas, const TRect& r);
// `width` nested one-pixel frames, top-left in one colour and bottom-right in the other; width
// becomes 0, which is also returned.
int DrawRectangleOnDC(HDC dc, TRect& r, TColor topLeftColor, int& width, TColor bottomRightColor);
// A standard push button: state 0 normal, 1 hot, 2 pressed, 3 default.
void acPaintStdBtn(TCanvas* canvas, TRect r, bool enabled, bool focused, int state);
