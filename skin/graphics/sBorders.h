#pragma once
// Skin borders: a control's frame drawn fast from its section's border image into its cache
// bitmap (and the band up to a given border width onto a device context), nine-slice painting of
// a border image into a bitmap that takes the transparent corner pixels out of a window region,
// and the pixel copier both rely on. The unit has no state.
#include "Graphics.h"
#include "Types.h"
#include "sMaskData.h"

#include <windows.h>

class TsCommonData;

// Draws the border of the control's section into its cache bitmap and, when BorderWidth is not
// 0, fills the band up to BorderWidth with the background colour and copies it to DC. Returns the
// rectangle inside the border (inside BorderWidth when it is given). Without a border image a
// frame of BorderWidth is filled on DC directly.
TRect PaintBorderFast(HDC DC, const TRect& R, int BorderWidth, TsCommonData* SkinData, int State);
// Nine-slice painting of the border image's State into the whole of Bmp: corners copied with
// their key pixels left out and taken out of Rgn (may be null), sides tiled or stretched
// (DrawMode bit 0), the centre with Filling and DrawMode bit 2. Borders that do not fit shrink.
void PaintRgnBorder(TBitmap* Bmp, HRGN Rgn, bool Filling, const TsMaskData& Mask, int State);
// Copies the inclusive source rectangle of the border image (its own bitmap, else the master
// bitmap) to the inclusive destination rectangle of Bmp, both cut to the image and to Bmp.
// Key-colour pixels are skipped (MaskType 1: the picture is blended through the mask half below
// it); with KeyOnly false they are copied (blended) too. With Rgn, each row's run of key pixels
// leaves the region. Nothing for negative coordinates or a Bmp below 2 x 2.
void CopyMask(int DstX1, int DstY1, int DstX2, int DstY2, int SrcX1, int SrcY1, int SrcX2, int SrcY2, TBitmap* Bmp,
              HRGN Rgn, const TsMaskData& Mask, bool KeyOnly);

