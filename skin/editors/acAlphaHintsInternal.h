#pragma once
// Shared inside the alpha hints unit: the skin's hint section as the windows read it, rounding,
// pixel copies and the current hint window.
#include "Graphics.h"
#include "sMaskData.h"

class TacCustomHintWindow;
class TacSkinData;

// The hint window shown last (set by a window's creation and showing, cleared by its closing).
extern TacCustomHintWindow* CurrentHintWindow;

// Round half to even.
int acHintRound(double value);
// The default manager's skin data, the hint section of that index and its border mask (null
// when missing) and its transparency in percent.
TacSkinData* HintSkinData();
const TsGeneralData* HintSection(int skinIndex);
const TsMaskData* HintMask(int skinIndex);
int HintTransparency(int skinIndex);
// Copies all of src (32-bit, alpha included) to (x, y) of dst, clipped to dst.
void CopyPixels32(TBitmap* dst, TBitmap* src, int x, int y);
