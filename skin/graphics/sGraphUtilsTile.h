#pragma once
// Laying a skin texture over an area by one of the fill modes, and tiling a picture.
#include "Graphics.h"
#include "Types.h"
#include "sConst.h"
#include "sMaskData.h"

// Tiles a bitmap or a JPEG picture over R of the canvas from R's top-left corner; other picture
// classes are not drawn.
void TileBitmap(TCanvas* canvas, const TRect& r, TGraphic* graphic);
// Fills R from the mask's rectangle of its own bitmap (or of the manager's master bitmap) by the
// fill mode; R becomes the part still to be painted, (-1, -1, -1, -1) when nothing is left.
void TileBitmap(TCanvas* canvas, TRect& r, TGraphic* graphic, const TsMaskData& maskData,
                TacFillMode fillMode = fmTiled);
// Whole tiles of an image-over-mask texture (fmTiled, fmDisTiled); other modes leave R alone.
// Needs the mask's manager. fmDisTiled gives the uncovered strips the background of ci.
void TileMasked(TBitmap* bmp, TRect& r, const TCacheInfo& ci, const TsMaskData& maskData,
                TacFillMode fillMode = fmDisTiled);
