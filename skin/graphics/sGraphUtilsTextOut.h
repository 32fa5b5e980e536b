#pragma once
// Text output wrappers of the skinned controls. For now the measuring of a text in a font;
// the writers join this unit with the skinned text output.
#include "Strings.h"
#include "Types.h"

#include <windows.h>

// GetTextExtentPoint32W of the text. With dc 0 the screen DC is used, with font selected into
// it when given; with a dc its current font is used and font is ignored.
bool acGetTextExtent(HDC dc, const UnicodeString& text, TSize& size, HFONT font);
bool acGetTextExtentW(HDC dc, const UnicodeString& text, TSize& size, HFONT font);
