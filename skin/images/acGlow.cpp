// Glow windows: nothing to clear while none is shown.
#include "acGlow.h"

void ClearGlows(bool, bool) {}

void HideGlow(int& GlowID, bool) { GlowID = -1; }

int ShowGlow(const TRect&, const UnicodeString&, const UnicodeString&, int, int, HWND, TsCommonData*) { return -1; }

void RepaintGlow(int) {}
