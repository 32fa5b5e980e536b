#include "sVclUtils.h"

#include "Controls.h"

TColor GetControlColor(const TControl* control) { return control ? ColorToRGB(control->Color()) : 0xFF00FF; }
