#pragma once
// Text output wrappers of the skinned controls: measuring a text in a font or on a canvas, the
// plain text writers with the standard disabled look, and cutting a text to a width with an
// ellipsis.
#include "Graphics.h"
#include "Strings.h"
#include "Types.h"

#include <windows.h>

// GetTextExtentPoint32W of the text. With dc 0 the screen DC is used, with font selected into
// it when given; with a dc its current font is used and font is ignored.
bool acGetTextExtent(HDC dc, const UnicodeString& text, TSize& size, HFONT font);
bool acGetTextExtentW(HDC dc, const UnicodeString& text, TSize& size, HFONT font);
// ExtTextOutW with these arguments; rect and dx may be null.
bool acExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const wchar_t* str, UINT count,
                  const INT* dx);

// The canvas's DC with the canvas font selected, its colour set as the text colour, and the
// text background opaque in the brush colour or, for a clear brush, transparent.
HDC acCanvasTextDC(TCanvas* canvas);

int acTextWidth(TCanvas* canvas, const UnicodeString& text);
int acTextHeight(TCanvas* canvas, const UnicodeString& text);
TSize acTextExtent(TCanvas* canvas, const UnicodeString& text);
void acTextRect(TCanvas* canvas, const TRect& r, int x, int y, const UnicodeString& text);

// Plain text with DrawText flags; disabled text gets the standard engraved look. Unless
// DT_WORDBREAK is set, R is laid out around the measured text by hand and the caller's R
// becomes that box inflated by 1. WriteText draws with a clear brush in the canvas font;
// WriteTextOnDC transparently in the DC's font and colour (disabled: twice, offset by (1, 1)).
void WriteText(TCanvas* canvas, const UnicodeString& text, bool enabled, TRect& r, UINT flags);
void WriteTextOnDC(HDC dc, const UnicodeString& text, bool enabled, TRect& r, UINT flags);
// acDrawText on the canvas (enabled is not used).
void acWriteText(TCanvas* canvas, const UnicodeString& text, bool enabled, TRect& r, UINT flags);

// The text, or as much of it as fits maxWidth with "..." appended; empty when maxWidth < 1 or
// not even "..." after one character fits.
UnicodeString CutText(TCanvas* canvas, const UnicodeString& text, int maxWidth);
