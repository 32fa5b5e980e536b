// Control animations: no skinned speed button exists yet.
#include "acAnimation.h"

// No skinned speed button exists yet.
bool IsSkinnedSpeedButton(const TControl*) { return false; }
