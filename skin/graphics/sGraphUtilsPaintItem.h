#pragma once
// Painting of a control's own skin section into its cache bitmap. For now only the section's
// plain colour of the state over the parent's background: the full painter (gradients,
// textures, borders, corners, colour tone) replaces this body with the same interface.
#include "Graphics.h"
#include "sConst.h"

class TsCommonData;

// Paints the section of skinData into R of itemBmp; pP is R's place in the parent's image
// relative to CI's origin. Filling and the two integers are not used.
void PaintItem(TsCommonData* skinData, const TCacheInfo& CI, bool Filling, int State, const TRect& R, const TPoint& pP,
               TBitmap* itemBmp, bool UpdateCorners, int, int);
