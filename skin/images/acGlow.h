#pragma once
// Glow windows around skinned controls. None is ever shown yet, so clearing and hiding find
// nothing and showing gives no identifier.
#include "Strings.h"
#include "Types.h"

#include <windows.h>

class TsCommonData;

// Hides and frees every glow window (freeWindows: the windows first; skipCircles: keep the
// click circles).
void ClearGlows(bool freeWindows = false, bool skipCircles = false);
// Hides and releases the glow window GlowID (nothing for -1) and sets GlowID to -1;
// doAnimation fades it out first.
void HideGlow(int& GlowID, bool doAnimation);

// Shows a layered glow window drawn from the mask MaskName of section SectionName around the
// screen rectangle R of the control's window Wnd, Margin pixels out, at Alpha; the glow's
// identifier, or -1 when none is shown.
int ShowGlow(const TRect& R, const UnicodeString& SectionName, const UnicodeString& MaskName, int Margin, int Alpha,
             HWND Wnd, TsCommonData* CommonData);
// Repaints the glow window GlowID (after a focus change); nothing for -1.
void RepaintGlow(int GlowID);
