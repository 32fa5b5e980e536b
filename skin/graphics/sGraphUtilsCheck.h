#pragma once
// Check-box glyphs (from the skin, the visual style or the classic frame control) with their
// default size, and the small close button.
#include "Graphics.h"
#include "Objects.h"
#include "StdCtrls.h"
#include "sConst.h"

#include <windows.h>

// The size of one image of the system's check-box bitmap (4 x 3 images); read by the unit's
// start-up, 13 x 13 before it.
TSize acDefaultCheckBoxSize();
// Reads the default size from the system bitmap (the unit's start-up calls it).
void LoadDefaultCheckBoxSize();

// Width (+ 2) and height of the checked image of skin data's check-box set (small set when
// second); the default size without skin data, an active manager or a valid image.
int CheckBoxWidth(TObject* skinData, bool second);
int CheckBoxHeight(TObject* skinData, bool second);
// The check-box glyph of state centred in R of bmp: the skin's image when skin data has one,
// else the themed element, else the classic frame control over the background of CI.
void acDrawCheck(TRect r, TCheckBoxState state, bool enabled, TBitmap* bmp, const TCacheInfo& ci, TObject* skinData,
                 bool second, int = 0);
// A close button in R: state 0 normal, 1 hot, 2 pressed. Themed: the caption's close element.
// Classic: white, R inset by 1 filled with the state's red (other states stay white) and a
// white cross; R is left inset.
void DrawCloseBtn(HDC dc, TRect& r, int state);
