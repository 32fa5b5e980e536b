#pragma once
// Measuring fonts and strings, and the library's low-level text call.
#include "Graphics.h"
#include "Strings.h"
#include "Types.h"

// Text height of a font: without `exact` the full cell plus 6; 0 when the metrics cannot be read.
int GetFontHeight(HFONT font, bool exact);
// True when text measures within 7 % in width and 20 % in height in fontName as in font.
bool FontSizeIsNear(const TFont* font, const UnicodeString& text, const UnicodeString& fontName);
// Multi-line text is measured within maxWidth; addSpace adds the width of an "I".
void GetStringSize(HFONT font, const UnicodeString& text, UINT flags, TSize& size, bool addSpace = false,
                   int maxWidth = 0, bool multiLine = false);
bool FontsEqual(const TFont* font1, const TFont* font2);

class TBitmap;

// Draws text on dc inside r with DrawText flags (DT_CALCRECT measures into r); DrawTextW's result.
// For now always the plain DrawTextW; bmp (may be null) is the 32-bit target behind dc.
int acDrawText(HDC dc, const UnicodeString& text, TRect& r, UINT flags, TBitmap* bmp = nullptr);
