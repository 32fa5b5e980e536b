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

// The library's text flag beside the DrawText flags: the text goes through GDI+, which keeps the
// alpha of 32-bit bitmaps correct.
inline constexpr UINT acDrawTextGdiPlus = 0x40000000;
// The most characters the GDI path draws of one text.
inline constexpr int acDrawTextMaxChars = 5460;

// Draws text on dc inside r with DrawText flags (DT_CALCRECT measures into r). Without
// acDrawTextGdiPlus: DrawTextW of the first acDrawTextMaxChars characters and its result. With
// it: 1; DT_CALCRECT gives r the GDI+ size, otherwise the text is drawn by GDI+ in the DC's text
// colour, or, without GDI+, written into bmp (the 32-bit target behind dc; may be null) by the
// alpha-keeping colour writer.
int acDrawText(HDC dc, const UnicodeString& text, TRect& r, UINT flags, TBitmap* bmp = nullptr);
