#pragma once
// 32-bit work bitmaps: creating them, walking their rows, and composing bitmaps, colours, masks
// and key colours into them pixel by pixel with the library's fixed weights (mix by a shift of
// 8 bits). Pixels are B, G, R, A; 0x00FF00FF is the key colour; alpha is straight.
//
// Every routine does nothing when a bitmap has no rows, is not 32-bit where it must be, sizes
// do not match, or the clipped area is empty; reads and writes never leave the bitmaps.
#include "Controls.h"
#include "Graphics.h"
#include "Types.h"
#include "acntTypes.h"
#include "sConst.h"
#include "sMaskData.h"

#include <cstdint>
#include <memory>
#include <span>

class TsSkinManager;

// ---------------------------------------------------------------------------------------------
// Rows

// Row 0's address and the step to row 1 (0 for one row, negative for bottom-up rows); false
// when the bitmap has no rows.
bool InitLine(TBitmap* bmp, void*& line0, long long& delta);
// Dst gets Src's pixel format, size and pixels.
void CopyBmp(TBitmap* dst, TBitmap* src);
void SetBmp32Pixels(TBitmap* bmp);

// The rows of a 32-bit bitmap for pixel loops: InitLine's walk with the bitmap's size.
class TacBmpRows {
public:
    TacBmpRows() = default;
    // Valid for a pf32bit bitmap with pixels.
    explicit TacBmpRows(TBitmap* bmp);

    bool Valid() const { return line0_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    // y must lie inside.
    std::span<TsColor_> Row(int y) const { return PixelRow<TsColor_>(line0_, delta_, y, width_); }
    TsColor_& At(int x, int y) const { return Row(y)[static_cast<size_t>(x)]; }

private:
    void* line0_ = nullptr;
    long long delta_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Creation (the caller owns every bitmap returned)

// A pf32bit device-independent bitmap; a negative size gives 0 x 0.
std::unique_ptr<TBitmap> CreateBmp32(int width, int height);
std::unique_ptr<TBitmap> CreateBmp32(const TRect& r);
std::unique_ptr<TBitmap> CreateBmp32(const TSize& size);
std::unique_ptr<TBitmap> CreateBmp32(const TBitmap* bmp);
std::unique_ptr<TBitmap> CreateBmp32(const TControl* control);
// Same size and pixel format as bmp, content not copied.
std::unique_ptr<TBitmap> CreateBmpLike(const TBitmap* bmp);
// Resizes bmp (format kept) or creates a 32-bit one.
void PrepareBmp(std::unique_ptr<TBitmap>& bmp, int width, int height);
// An image-over-mask strip (mask black opaque, white transparent) as one image with alpha;
// null when R is empty, its height below 2 or R does not lie inside src.
std::unique_ptr<TBitmap> CreateAlphaBmp(TBitmap* src, const TRect& r);
// The reverse: src on top, its alpha as grey (255 - alpha) below; null without pixels.
std::unique_ptr<TBitmap> CreateMaskFromAlpha(TBitmap* src);

// ---------------------------------------------------------------------------------------------
// Colours

// (c1 * w + c2 * (255 - w)) shr 8 per colour byte; byte 3 is c1's.
TColor BlendColors(TColor c1, TColor c2, std::uint8_t w);
// (c1 * 127 + c2 * 129) shr 8 per byte, red and blue exchanged, byte 3 zero.
TsColor AverageColor(TsColor c1, TsColor c2);
TColor AverageColor(TColor c1, TColor c2);

// ---------------------------------------------------------------------------------------------
// Compositing. Rectangle members (SumBmpRect, PaintBmpRect32, PaintTranspBmpRect32,
// PaintBmpMaskRect32) clip R and P in the library's order and then treat R's right and bottom
// as inclusive, limited to the last source column and row.

void SumBitmaps(TBitmap* dst, TBitmap* src, std::uint8_t percent);
void SumBitmapsToDst(TBitmap* dst, TBitmap* src1, TBitmap* src2, std::uint8_t percent);
void SumBmpRect(TBitmap* dst, TBitmap* src, std::uint8_t percent, TRect r, TPoint p);
void PaintBmp32(TBitmap* dst, TBitmap* src);
void PaintBmpRect32(TBitmap* dst, TBitmap* src, TRect r, TPoint p, std::uint8_t blend = 255);
// ref (may be null) at refPoint marks the destination pixels to keep; without ref, destination
// pixels equal to transColor are kept.
void PaintTranspBmpRect32(TBitmap* dst, TBitmap* src, TBitmap* ref, TColor transColor, TRect r, TPoint p,
                          TPoint refPoint, std::uint8_t blend);
// R in mask coordinates; colour from src at the destination position.
void PaintBmpMaskRect32(TBitmap* dst, TBitmap* src, TBitmap* mask, TRect r, TPoint p, std::uint8_t blend);
void StretchBmpRect32(TBitmap* dst, int x, int y, int w, int h, TBitmap* src, int srcX, int srcY, int srcW, int srcH,
                      std::uint8_t blend);
// R inclusive; source pixels equal to transColor are skipped.
void BlendTransRectangle(TBitmap* dst, int x, int y, TBitmap* src, TRect r, std::uint8_t blend, TColor transColor);
void BlendTransBitmap(TBitmap* bmp, std::uint8_t blend, TsColor color);
void BlendBmpByMask(TBitmap* bmp, TBitmap* mask, TsColor color);
// mask may be null: then percent weighs src1 against src2.
void SumBitmapsByMask(TBitmap* out, TBitmap* src1, TBitmap* src2, TBitmap* mask, std::uint16_t percent);
void SumByMaskWith32(TBitmap* dst, TBitmap* src, TBitmap* mask, const TRect& r);
void ColorizeByMask(TBitmap* dst, TBitmap* mask, TPoint p, TColor color, TColor backColor = clNone);
void CopyTransBitmaps(TBitmap* dst, TBitmap* src, int x, int y, TsColor transColor);
void CopyTransRect(TBitmap* dst, TBitmap* src, int x, int y, TRect r, TColor transColor, const TCacheInfo& ci,
                   bool updateTrans);
void CopyTransRectA(TBitmap* dst, TBitmap* src, int x, int y, TRect r, TColor transColor, const TCacheInfo& ci,
                    int alpha);
void CopyByMask(TRect r1, TRect r2, TBitmap* dst, TBitmap* src, const TCacheInfo& ci, bool updateTrans);
// A skin image whose black/white mask lies under it in src.
void CopyByMask(TRect r1, TRect r2, TBitmap* dst, TBitmap* src, const TCacheInfo& ci, bool updateTrans,
                const TsMaskData& maskData);
// The general copy of glyphs and images: greyed, blended (percent) and with a fading reflection.
void CopyBmp32(TRect r1, TRect r2, TBitmap* dst, TBitmap* src, const TCacheInfo& ci, bool updateTrans,
               TColor grayedColor, int blend, bool reflected);
// Fades R toward color behind a soft rounded border.
void FadeBmp(TBitmap* bmp, const TRect& r, int transparency, TsColor color, int blur, int radius);

// ---------------------------------------------------------------------------------------------
// Section items and arrows

// An arrow pointing to Side, centred in R of a 32-bit bitmap, in Color (BackColor clNone: no
// outline), in the arrow style at PPI. For now every style is a solid triangle.
void DrawArrow(TBitmap* Bmp, TColor Color, TColor BackColor, const TRect& R, TacSide Side, int Thickness, int AddX,
               int AddY, TacArrowsStyle Style, int PPI);
