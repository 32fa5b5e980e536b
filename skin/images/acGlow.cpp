// Glow windows: nothing to clear while none is shown.
#include "acGlow.h"

void ClearGlows(bool, bool) {}

void HideGlow(int& GlowID, bool) { GlowID = -1; }
