#pragma once
// Colour operations: tone, brightness, saturation and hue of colours and of whole bitmaps, the
// HSV conversions, grey conversions and channel copies.
#include "Graphics.h"
#include "sConst.h"

#include <cstdint>

// h in degrees 0..359, s and v 0..1.
struct TsHSV {
    int h = 0;
    double s = 0;
    double v = 0;
};

// Applied to one pixel with a parameter.
using TacChangeColor2 = void (*)(TsColor_& pixel, int param);

// proc on every pixel; with transColor other than clNone, pixels equal to that colour in pixel
// order with alpha 0 are skipped.
void ChangeBitmapPixels(TBitmap* bmp, TacChangeColor2 proc, int param, TColor transColor);
void ChangeColorBrightness(TsColor_& pixel, int param);
void ChangeColorSaturation(TsColor_& pixel, int param);
void ChangeColorHUE(TsColor_& pixel, int param);
void ChangeColorTone(TsColor_& pixel, int param);
void MakeAlphaPixel(TsColor_& pixel, int param);

// Tints by the brightest channel: each channel (max * tone) shr 8; alpha kept.
TsColor_ ChangeTone(TsColor_ pixel, TsColor_RGB tone);
TColor ChangeTone(TColor color, TColor tone);
TColor ChangeBrightness(TColor color, int delta);
TColor ChangeSaturation(TColor color, int delta);
TsColor_ ChangeSaturation(int delta, TsColor_ pixel);
TsColor_ ChangeHue(int delta, TsColor_ pixel);
TColor ChangeHue(int delta, TColor color);
TsHSV Rgb2Hsv(TsColor color);
TsColor Hsv2Rgb(double h, double s, double v);
void RGBToHSV(double r, double g, double b, double& h, double& s, double& v);
void HSVtoRGB(double h, double s, double v, double& r, double& g, double& b);
// (byte 0 shl 16) + (byte 1 shl 8) + (value shr 16): red and blue exchanged for a top byte 0.
std::uint32_t SwapInteger(std::uint32_t value);
void GrayScale(TBitmap* bmp);
// Pixels equal to transColor (as a pixel word) stay.
void GrayScaleTrans(TBitmap* bmp, TsColor transColor);
// Byte `channel` (0..3) of every dst pixel from src at the same place (src at least dst's size).
void CopyChannel32(TBitmap* dst, TBitmap* src, int channel);
// The same for srcRect copied to dstPoint; positions outside either bitmap are skipped.
void CopyChannel32(TBitmap* dst, TBitmap* src, int channel, const TRect& srcRect, TPoint dstPoint);
// Byte `channel` of the 32-bit bitmap to the 8-bit one (fromBmp32To8) or back.
void CopyChannel(TBitmap* bmp32, TBitmap* bmp8, int channel, bool fromBmp32To8);
