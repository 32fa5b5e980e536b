#pragma once
// Skin gradients and shadows: the gradient text of a skin section turned into gradient points,
// gradients painted into 32-bit bitmaps in rows, columns or four corners (also mixed with a
// tiled texture), and the soft shadow bitmaps around popup windows and along window sides.
#include "Graphics.h"
#include "Strings.h"
#include "Types.h"
#include "sConst.h"

#include <cstdint>
#include <memory>

enum TacSideShadowStyle : std::uint8_t { sssLinear };

// Clears arr and fills it from the gradient text. A word that is not a number raises
// EConvertError (arr then stays empty).
//   Text ending in "0": five words per point (colour, -, share in percent, mode, -); the colours
//   are opaque and never painted through GDI+; a four-corner gradient is padded to five points.
//   Any other last character above "@": that many points ("A" one, "B" two, ...), three words
//   each (colour with alpha in byte 3, percent, mode).
//   Four characters or fewer, or a last character not above "@": no points.
void PrepareGradArray(const UnicodeString& text, TsGradArray& arr);

// Paints arr into R of a 32-bit bitmap. Rows (mode 0) start offset rows down and run over
// height + offset; columns (mode 1); four corners (mode 2, five points) through the system's
// triangle fill or, with bit 0x20 on point 0, through GDI+. Only pixels inside R and the bitmap
// change.
void PaintGrad(TBitmap* bmp, TRect r, const TsGradArray& arr, int unused, int offset);
void PaintGrad(TBitmap* bmp, const TRect& r, const UnicodeString& text);
// Rows or columns of arr mixed with a texture tiled from textureRect (empty: the whole texture)
// by textureWeight (0 gradient, 255 nearly the texture); painted pixels get the alpha given.
void PaintGradTxt(TBitmap* bmp, TRect r, const TsGradArray& arr, TBitmap* texture, TRect textureRect,
                  std::uint8_t textureWeight, std::uint8_t alpha);

// The whole bitmap becomes a shadow that fades from the colour's alpha (byte 3) at the named
// side to transparent at the opposite one.
void MakeSideShadow(TBitmap* bmp, TColor color, TacSide side, TacSideShadowStyle style = sssLinear);
// A new 32-bit bitmap of (2 radius + extraWidth + 1) x (2 radius + extraHeight + top + 1) holding a
// rounded soft shadow: full strength within radius - blur of the centre, falling off to the rim.
// As a mask it is grey on white; otherwise the colour with the strength as alpha (byte 3 of the
// colour scales it), premultiplied on request.
std::unique_ptr<TBitmap> MakeShadow(TColor color, int radius, int top, int extraHeight, int extraWidth, int blur,
                                    bool asMask, bool premultiply);

// The unit's start-up binds the system's triangle gradient fill; the shut-down frees it.
void sGradientInitialization();
void sGradientFinalization();
// Whether the triangle gradient fill is bound.
bool acGradientFillAvailable();
