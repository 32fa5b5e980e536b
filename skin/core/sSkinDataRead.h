#pragma once
// What the readers of a skin text share inside the skin-data unit: an image value taken apart
// by its fixed character positions, the corner test of border masks, and the two-half images
// made for generated outer effects.
#include "sSkinManager.h"
#include "acntUtils.h"

#include <memory>

// The fields of an image value in its fixed-width form.
struct TacImageValue {
    TRect R;
    int WL = 0, WT = 0, WR = 0, WB = 0;
    int ImageCount = 0;
    int MaskType = 0;
    int ImgType = 0; // the digit: 0 border .. 4 and above PNG glyph
    int DrawMode = 0;
    UnicodeString FileName; // characters 45 on; empty: the image lies in the master bitmap
};

// Every pixel of a 32-bit bitmap opaque except the key colour 0xFF00FF, which gets alpha 0.
void MakeOpaqueExceptKey(TBitmap* bmp);

// Takes a fixed-width value apart. A digit field that is not a number, or that the value does
// not reach, raises EConvertError; a value shorter than 45 characters has no file name.
TacImageValue ParseImageValue(const UnicodeString& value);

// Whether one corner area of a frame of the border mask holds a transparent pixel: the key
// colour 0xFF00FF, or alpha 0 for a DrawMode with bit 0x10. Reads the mask's own bitmap or
// master; areas are cut to the bitmap.
bool HasTransparentCorner(const TsMaskData& mask, TBitmap* master);

// A 32-bit bitmap of the shadow's width and twice its height: the upper half painted in the
// four side colours, the shadow below. Each side band of the nine-slice borders (wl, wt, wr, wb)
// takes its side's colour; a corner and the centre take the nearest of their sides. The key
// colour 0xFF00FF is written with alpha 0, as the painters know it.
std::unique_ptr<TBitmap> MakeTwoHalfOuterImage(TBitmap& shadow, TColor left, TColor top, TColor right, TColor bottom,
                                               int wl, int wt, int wr, int wb);

// Reads GLOBALINFO's window metrics that need no image, and the two window outer effects.
void LoadGlobalInfo(TacSkinData& data, const TMemIniFile& ini);
