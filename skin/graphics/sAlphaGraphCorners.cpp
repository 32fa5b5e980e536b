// Restoring the transparent corners of a control's cached image. The corner painter comes with
// the glyph and item routines; until then the cache stays as painted.
#include "sAlphaGraph.h"

void UpdateCorners(TsCommonData*, int, TsCorners) {}
