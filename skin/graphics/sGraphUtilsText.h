#pragma once
// Measuring fonts and strings.
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
