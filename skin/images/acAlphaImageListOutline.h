#pragma once
// Contour drawing of glyph images: a character's TrueType outline read with GetGlyphOutlineW,
// turned into straight strokes per contour, fitted into a rectangle and drawn as polygons.
// The outline buffer comes from font data that may come from a form file, so every record is
// checked against the buffer before it is read.
#include "Graphics.h"
#include "Types.h"

#include <cstdint>
#include <span>
#include <vector>

// One straight stroke of contour Contour, in font units.
struct TacFontStroke {
    std::int32_t Contour = 0;
    std::int32_t X1 = 0;
    std::int32_t Y1 = 0;
    std::int32_t X2 = 0;
    std::int32_t Y2 = 0;
};

class TacStrokeCollection {
public:
    int Count() const { return static_cast<int>(strokes_.size()); }
    // A copy of the stroke; an invalid index raises EListError.
    TacFontStroke GetFontStroke(int index) const;
    // Index of the first stroke of contour n, -1 when n is no contour number.
    int StartOfGlyph(int n) const;
    // Stroke count of contour n, -1 when absent.
    int GlyphNumStrokes(int n) const;
    void Add(const TacFontStroke& stroke) { strokes_.push_back(stroke); }
    void Clear() { strokes_.clear(); }

private:
    std::vector<TacFontStroke> strokes_;
};

// Fills strokes from a GGO_NATIVE outline buffer: line points give segments, quadratic curves
// are sampled at steps of 1/7 (zero-length segments dropped) and each contour is closed. False,
// with no strokes, when a record does not fit the buffer or is not a TT_POLYGON_TYPE polygon.
bool ReadGlyphOutline(std::span<const std::uint8_t> buffer, TacStrokeCollection& strokes);
// The strokes of a character in a font like `font` at 512 points; false when it has no outline.
bool GetCharStrokes(TFont* font, wchar_t ch, TacStrokeCollection& strokes);
// Fits the character's outline into r (to its height when that fits the width, else to the
// width, less 6 pixels when measuring), centres and flips it, turns it by 360 - angle when angle
// is not 0 and draws every contour as a polygon of penWidth in color. Measuring returns the
// fitted size without drawing; an empty or unreadable outline draws nothing and measures 0 x 0.
TSize DrawCharOutline(HDC dc, TFont* font, wchar_t ch, const TRect& r, int angle, TColor color, int penWidth,
                      bool measure);
