#pragma once
// Where a button's glyph and caption go inside its client rectangle.
#include "StdCtrls.h"
#include "Types.h"

// Margin and Spacing -1 are chosen automatically. BiDiFlags bit 2 mirrors the result within the
// client width.
void CalcButtonLayout(const TRect& client, TPoint glyphSize, TSize textSize, TButtonLayout layout,
                      TAlignment alignment, int margin, int spacing, TPoint& glyphPos, TRect& textBounds,
                      int biDiFlags, TVerticalAlignment verticalAlignment);
