#pragma once
// Control animations of the skin library. So far only the switch of the process-wide mouse
// light, which has no light timer yet and so does nothing, and the state-change animation, which
// does not run yet.
#include "acntTypes.h"
#include "sConst.h"

#include <windows.h>

// The show animation of controls and forms.
#include "acAnimationShow.h"

// Switches the mouse-light effect on or off.
void SetMouseLight(bool value);
class TsCtrlSkinData;

// Removes the current light control (the default manager does it when its skin goes).
void DelLightControl();
// Register and unregister a control with the mouse light.
void AddLightControl(TsCtrlSkinData* SkinData);
void DelLightControl(TsCtrlSkinData* SkinData);

class TsCommonData;

// Runs the animated change of a control's painted state to State on its animation timer,
// calling Callback(CommonData, step) for each step. Not animated yet: does nothing.
void DoChangePaint(TsCommonData* CommonData, int State, TacAnimProc Callback, bool Fast = false, bool Init = true,
                   bool Reserved = false);
// The step routine of a glow animation; true when the animation is done.
bool UpdateGlowing_CB(TObject* Data, int Iteration);
