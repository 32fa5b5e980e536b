#pragma once
// Anti-aliased drawing through GDI+: shapes, gradients, polygons, rotated and stretched bitmaps,
// blur and text. GDI+ is loaded at the unit's start-up; without it every routine draws nothing
// (the blur falls back to the library's quick blur where GDI+ cannot blur). Colours are TColor
// values (red in byte 0) and become opaque GDI+ colours unless a routine says otherwise.
#include "Graphics.h"
#include "StdCtrls.h"
#include "Types.h"
#include "sConst.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <span>

namespace Gdiplus {
class GpBrush;
}

struct TacPointF {
    float X = 0;
    float Y = 0;
};

// The smoothing mode of shapes (SmoothingModeHighQuality at start).
extern std::uint8_t acgpSmoothingMode;

// ---------------------------------------------------------------------------------------------
// Start and stop

// True when the GDI+ library is loaded; with doIt GDI+ is started first (once).
bool acgpStartup(bool doIt);
// With doIt GDI+ is stopped when the library is loaded.
void acgpShutdown(bool doIt);
// The unit's start-up (loads the library, binds the table, starts GDI+) and shut-down (stops GDI+
// and frees the library), counted so that only the outermost pair works.
void acGPUtilsInitialization();
void acGPUtilsFinalization();

// ---------------------------------------------------------------------------------------------
// Shapes

void acgpDrawEllipse(HDC dc, float x, float y, float width, float height, TColor color, float penWidth);
void acgpDrawLine(HDC dc, float x1, float y1, float x2, float y2, TColor color, float penWidth);
void acgpFillEllipse(HDC dc, float x, float y, float width, float height, TColor color);
void acgpDrawArc(HDC dc, float x, float y, float width, float height, float startAngle, float sweepAngle,
                 TColor color, float penWidth);
// Quarter pies and three rectangles for the body, then a border of borderWidth (none when 0)
// centred on the edge: arcs at the corners and lines along the sides.
void acgpRoundRect(HDC dc, int x, int y, int width, int height, int radius, int borderWidth, TColor fillColor,
                   TColor borderColor);
// R filled with the colour at the given alpha.
void acgpFillRect(HDC dc, TColor color, const TRect& r, int alpha);
// A rectangle filled with a brush the caller made (and deletes).
void acgpFillRectangle(HDC dc, Gdiplus::GpBrush* brush, float x, float y, float width, float height);
// A linear-gradient brush from p1 (color1) to p2 (color2), GDI+ colours as given, tiled flipped;
// the caller deletes it with the table's GdipDeleteBrush. Null when it cannot be made.
Gdiplus::GpBrush* acgpCreateLineBrush(HDC dc, TPoint p1, TPoint p2, std::uint32_t color1, std::uint32_t color2);

// ---------------------------------------------------------------------------------------------
// Gradients

// An ellipse outline whose pen runs vertically from color1 to color2.
void acgpGradientRing(HDC dc, float x, float y, float width, float height, TColor color1, TColor color2,
                      float penWidth);
// An ellipse filled from color1 at the top to color2 at the bottom.
void acgpGradientEllipse(HDC dc, float x, float y, float width, float height, TColor color1, TColor color2);
// Rectangles filled from color1 at the left (top) to color2 at the right (bottom); byte 3 of a
// colour is its alpha.
void acgpGradientRectangleH(HDC dc, float x, float y, float width, float height, TColor color1, TColor color2);
void acgpGradientRectangleV(HDC dc, float x, float y, float width, float height, TColor color1, TColor color2);
// A rectangle filled with a path gradient through four points with their colours and a centre
// colour; byte 3 of a colour is its alpha.
void acgpGradientRectangle(HDC dc, float x, float y, float width, float height, const std::array<TPoint, 4>& points,
                           const std::array<TsColor, 4>& colors, TsColor centerColor);

// ---------------------------------------------------------------------------------------------
// Polygons

void acgpDrawPolygon(HDC dc, TColor color, std::span<const TacPointF> points, float penWidth);
void acgpDrawBeziers(HDC dc, TColor color, std::span<const TacPointF> points, float penWidth);
void acgpFillPolygon(HDC dc, TColor color, std::span<const TacPointF> points);
void acgpFillPolygon(HDC dc, TColor color, std::span<const TPoint> points);
// Filled (winding) with a linear gradient from the points' top-left corner to their bottom-left
// corner (asLeft, asTop) or top-right corner (asRight, asBottom). A colour with alpha byte 0 is
// taken as it is with alpha 255; any other colour has red and blue exchanged.
void acgpGradientPolygon(HDC dc, TColor color1, TColor color2, TacSide side, std::span<const TPoint> points);
// Turns each point about center by angle degrees with the library's sine table.
void acgpRotatePoints(std::span<TacPointF> points, TacPointF center, int angle);

// ---------------------------------------------------------------------------------------------
// Bitmaps

// The bitmap drawn into R turned by angle degrees about R's centre (90: a quarter turn
// clockwise). A 32-bit bitmap keeps its alpha.
void acgpDrawRotatedBitmap(HDC dc, TBitmap* bmp, const TRect& r, int angle);
// srcRect of src scaled into dstRect of dst, replacing the pixels there. Every source alpha a
// takes part as a div 2 + 127.
void acgpStretchRect(TBitmap* dst, TBitmap* src, const TRect& dstRect, const TRect& srcRect);
// The source rectangle (x, y, width, height) stretched over the whole of dst.
void acgpStretchRect(TBitmap* dst, TBitmap* src, int x, int y, int width, int height);
// Blurs a bitmap in place through the GDI+ blur effect; where GDI+ cannot blur, the library's
// quick blur is used instead. A radius of 0 or less leaves the bitmap alone.
void acgpBlur(TBitmap* bmp, double radius);

// ---------------------------------------------------------------------------------------------
// Text

// The text in the DC's current font inside R (one pixel wider and higher). Alignments apply as
// they say; with an angle the text turns by -angle about its origin (the top-left of R for left
// alignment, R's centre for centred text) and the vertical alignment is not used. A colour with
// alpha byte 0 is opaque.
void acgpDrawString(HDC dc, const UnicodeString& text, const TRect& r, TColor color, TAlignment alignment,
                    TVerticalAlignment verticalAlignment, int angle, bool defaultHint);
// The text's size in the DC's (or the given) font, each side rounded and increased by 1;
// (0, 0) for an empty text or without GDI+.
TSize acgpMeasureString(HDC dc, const UnicodeString& text, bool wordWrap, int maxWidth);
TSize acgpMeasureString(HDC dc, const UnicodeString& text, TFont* font, bool wordWrap, int maxWidth);
// The family name of the first font in a font file; empty on any failure.
UnicodeString acgpGetFontName(const UnicodeString& fileName);
