#pragma once
// Control and window utilities of the skin library.
#include "Colors.h"

class TControl;

// Around window and bitmap calls whose errors the library ignores; they do nothing.
inline void ResetLastError() {}
inline void CheckLastError() {}

// The colour a control shows as RGB; 0xFF00FF for nil. For now the control's own Color (a
// skinned control's answer comes with the command message).
TColor GetControlColor(const TControl* control);
