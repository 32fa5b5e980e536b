#pragma once
// Control animations of the skin library. So far only the switch of the process-wide mouse
// light, which has no light timer yet and so does nothing.

// Switches the mouse-light effect on or off.
void SetMouseLight(bool value);
class TsCtrlSkinData;

// Removes the current light control (the default manager does it when its skin goes).
void DelLightControl();
// Register and unregister a control with the mouse light.
void AddLightControl(TsCtrlSkinData* SkinData);
void DelLightControl(TsCtrlSkinData* SkinData);
