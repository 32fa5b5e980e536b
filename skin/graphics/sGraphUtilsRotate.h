#pragma once
// Rotation of bitmaps: quarter turns of 32-bit bitmaps, a parallelogram blit about a centre, and
// the sine/cosine table the rotation reads.
#include "Graphics.h"
#include "Objects.h"
#include "Types.h"

#include <array>
#include <memory>

// Sine and cosine of whole degrees from the table (filled on first use); any angle is folded into
// 0..359.
double acSin(int angle);
double acCos(int angle);
// The table's entry for an angle, folded.
int acAngleIndex(int angle);
// Frees the table (the unit's shut-down).
void FreeSinCosTable();

// Four corners of a rectangle that is turned about its centre for PlgBlt.
class TPrlgram : public TObject {
public:
    struct TPointD {
        double X = 0, Y = 0;
    };
    TPrlgram(const TPoint* points, int count);
    UnicodeString ClassName() const override { return L"TPrlgram"; }
    TPoint GetPoint(int i) const; // (0, 0) for i outside 0..3
    void Rotate(int angle);
    std::array<TPointD, 4> Points{};
};

// A pf32bit bitmap turned by a quarter (clockwise) or three quarters; null for other formats.
// killSource frees bmp.
std::unique_ptr<TBitmap> sMakerotated90(std::unique_ptr<TBitmap>& bmp, bool clockwise, bool killSource);
std::unique_ptr<TBitmap> Makerotated90(std::unique_ptr<TBitmap>& bmp, bool clockwise, bool killSource);
// Draws bmp turned by angle degrees about center.
void BitBltRotated(HDC dc, TBitmap* bmp, TPoint center, int angle);
