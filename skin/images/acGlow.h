#pragma once
// Glow windows around skinned controls. None is ever shown yet, so clearing and hiding find
// nothing.

// Hides and frees every glow window (freeWindows: the windows first; skipCircles: keep the
// click circles).
void ClearGlows(bool freeWindows = false, bool skipCircles = false);
// Hides and releases the glow window GlowID (nothing for -1) and sets GlowID to -1;
// doAnimation fades it out first.
void HideGlow(int& GlowID, bool doAnimation);
