#pragma once
// Glow windows around skinned controls. None is ever shown yet, so clearing finds nothing.

// Hides and frees every glow window (freeWindows: the windows first; skipCircles: keep the
// click circles).
void ClearGlows(bool freeWindows = false, bool skipCircles = false);
