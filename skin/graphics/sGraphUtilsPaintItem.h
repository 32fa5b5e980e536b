#pragma once
// Painting a skin section into a bitmap: the background painters (plain colour, gradient and
// texture by their percentage shares, transparency mixed with the parent's pixels at the item's
// place), the item painters that add the four corner images and the border image, a control's
// own section with its tone, hue and saturation, and whole bitmaps of windows that are not
// controls of the library. Transparency is not an alpha channel here: a transparent section
// mixes its own background with the parent's cache, so the result is the final look.
//
// In every painter CI describes the parent's background (Ready: CI.Bmp holds the finished
// parent image, (CI.X, CI.Y) the origin of the painted control in it; not ready: only
// CI.FillColor is sure, and a given CI.Bmp is finished only outside CI.FillRect), and pP is the
// place of R inside the parent's image relative to that origin. A CI.FillColor or a custom colour
// of 0x00FF00FF means "none". A device-dependent target bitmap is made 32-bit first (a control's
// cache is held device-dependent between paintings). Invalid indexes, a missing manager, a nil
// bitmap or a rectangle outside it paint nothing.
#include "Graphics.h"
#include "Strings.h"
#include "Types.h"
#include "sConst.h"
#include "sMaskData.h"

#include <windows.h>

class TacObject;
class TComponent;
class TControl;
class TsCommonData;

// ---------------------------------------------------------------------------------------------
// Backgrounds

// The section's background of State (beyond its States: the last; beyond 2: state 2) into R of
// ItemBmp. A negative TextureIndex takes the state's texture; HotTextureIndex is the overlay
// texture of states 1 and 2. A CustomColor other than 0x00FF00FF replaces every layer but the
// overlay texture, and the section is then opaque. SkinData must be a TacSkinData.
void PaintItemBG(int SkinIndex, const TCacheInfo& CI, int State, const TRect& R, const TPoint& pP, TBitmap* ItemBmp,
                 TacObject* SkinData, int TextureIndex = -1, int HotTextureIndex = -1, TColor CustomColor = sFuchsia);
// The same with the skin data of a manager at 96 PPI (null: the default manager).
void PaintItemBG(int SkinIndex, const TCacheInfo& CI, int State, const TRect& R, const TPoint& pP, TBitmap* ItemBmp,
                 TComponent* SkinManager, int TextureIndex = -1, int HotTextureIndex = -1,
                 TColor CustomColor = sFuchsia);
// A control's own section; with its CustomColor set, the owner's colour replaces the layers.
// The two integers are not used.
void PaintItemBG(TsCommonData* SkinData, const TCacheInfo& CI, int State, const TRect& R, const TPoint& pP,
                 TBitmap* ItemBmp, int = 0, int = 0);

// The cheaper background: no custom colour, no one-pass texture-and-gradient and no overlay
// texture; the texture is TextureIndex in state 0 and HotTextureIndex in states 1 and 2.
void PaintItemBGFast(int SkinIndex, int TextureIndex, int HotTextureIndex, const TCacheInfo& CI, int State,
                     const TRect& R, const TPoint& pP, TBitmap* ItemBmp, TacObject* SkinData);
void PaintItemBGFast(int SkinIndex, int TextureIndex, int HotTextureIndex, const TCacheInfo& CI, int State,
                     const TRect& R, const TPoint& pP, TBitmap* ItemBmp, TComponent* SkinManager);

// ---------------------------------------------------------------------------------------------
// Items: background, corner images, border image

// PaintItemBGFast, then the border image BorderIndex (when valid). Filling is not used.
void PaintItemFast(int SkinIndex, int BorderIndex, int TextureIndex, int HotTextureIndex, const TCacheInfo& CI,
                   bool Filling, int State, const TRect& R, const TPoint& pP, TBitmap* ItemBmp, TacObject* SkinData);
void PaintItemFast(int SkinIndex, int BorderIndex, int TextureIndex, int HotTextureIndex, const TCacheInfo& CI,
                   bool Filling, int State, const TRect& R, const TPoint& pP, TBitmap* ItemBmp,
                   TComponent* SkinManager);

// The section's background, its corner images and its border image into R of ItemBmp. Filling
// and the two integers are not used.
void PaintItem(int SkinIndex, const TCacheInfo& CI, bool Filling, int State, const TRect& R, const TPoint& pP,
               TBitmap* ItemBmp, TacObject* SkinData, int = -1, int = -1);
void PaintItem(int SkinIndex, const TCacheInfo& CI, bool Filling, int State, const TRect& R, const TPoint& pP,
               TBitmap* ItemBmp, TComponent* SkinManager, int = -1, int = -1);
// The same with MaskData drawn as the border (when the section has a valid border image).
void PaintItem(int SkinIndex, const TCacheInfo& CI, bool Filling, int State, const TRect& R, const TPoint& pP,
               TBitmap* ItemBmp, TacObject* SkinData, const TsMaskData& MaskData);
// Painted through a work bitmap to R of a device context, whose state is restored afterwards.
void PaintItem(int SkinIndex, const TCacheInfo& CI, bool Filling, int State, const TRect& R, const TPoint& pP,
               HDC DC, TacObject* SkinData);
void PaintItem(int SkinIndex, const TCacheInfo& CI, bool Filling, int State, const TRect& R, const TPoint& pP,
               HDC DC, TComponent* SkinManager);
// A control's own section into R of its bitmap, then the control's colour tone, hue offset and
// saturation over the whole bitmap (key pixels kept). UpdateCorners gives the border's
// transparent corners the parent's background. Filling and the two integers are not used.
void PaintItem(TsCommonData* SkinData, const TCacheInfo& CI, bool Filling, int State, const TRect& R,
               const TPoint& pP, TBitmap* ItemBmp, bool UpdateCorners, int = 0, int = 0);

// A control's section over the background its Parent gives; false, with nothing painted, while
// the parent's own image is not ready. Filling and the two integers are not used.
bool PaintSkinControl(TsCommonData* SkinData, TControl* Parent, bool Filling, int State, const TRect& R,
                      const TPoint& pP, TBitmap* ItemBmp, bool UpdateCorners, int = 0, int = 0);

// ---------------------------------------------------------------------------------------------
// Whole bitmaps of windows that are not controls of the library

// Paints all of Bmp with Section (else SecondSection) of the skin data's manager, over BGColor,
// or over the pixels of ParentDC at pP when it is given. Returns the section index used; one that
// is not valid paints nothing.
int PaintSection(TBitmap* Bmp, const UnicodeString& Section, const UnicodeString& SecondSection, int State,
                 TacObject* SkinData, const TPoint& pP, TColor BGColor, HDC ParentDC);
// The same by index: SkinIndex, else (negative) SecondIndex; a negative result paints nothing.
int PaintSection(TBitmap* Bmp, int SkinIndex, int SecondIndex, int State, TacObject* SkinData, const TPoint& pP,
                 TColor BGColor, HDC ParentDC);
