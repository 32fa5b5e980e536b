// Control animations: the mouse light has no timer yet (so no light is ever near) and no skinned
// speed button exists yet.
#include "acAnimation.h"

void SetMouseLight(bool) {}

void DelLightControl() {}

void AddLightControl(TsCtrlSkinData*) {}

void DoUpdateLight(TsCtrlSkinData*, bool) {}

void DelLightControl(TsCtrlSkinData*) {}

bool LightingIsNear(TsCtrlSkinData*) { return false; }

bool MouseLightTimerRuns() { return false; }

// No skinned speed button exists yet.
bool IsSkinnedSpeedButton(const TControl*) { return false; }
