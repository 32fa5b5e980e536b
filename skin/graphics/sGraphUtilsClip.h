#pragma once
// Taking child controls out of a device context's clip region, so that painting a parent's
// background leaves its children alone.
#include "Controls.h"
#include "Graphics.h"

// Excludes each visible child control of ctrl (at its place moved by the offsets) from the DC's
// clip region. Windowless controls stay in the clip unless the default manager paints their
// images opaque.
void ExcludeControls(HDC dc, TWinControl* ctrl, int offsetX, int offsetY);
