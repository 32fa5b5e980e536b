#pragma once
// Control animations of the skin library. So far only the switch of the process-wide mouse
// light, which has no light timer yet and so does nothing, the state-change animation, which
// does not run yet, and the show animation of controls, which shows nothing yet.
#include "acntTypes.h"
#include "sConst.h"

#include <windows.h>

class TWinControl;
struct TacIterationData;
// Called for every step of a control's show animation.
using TacIterationProc = void (*)(TacIterationData& data);

// Plays the show animation of a control over time milliseconds up to the alpha maxBlend.
void AnimShowControl(TWinControl* control, WORD time, int maxBlend, TacAnimTypeCtrl animType,
                     TacIterationProc callback);
// Prepares a control for its show animation.
void PrepareForAnimation(TWinControl* control, TacAnimTypeCtrl animType);

// Switches the mouse-light effect on or off.
void SetMouseLight(bool value);
class TsCtrlSkinData;

// Removes the current light control (the default manager does it when its skin goes).
void DelLightControl();
// Recomputes and repaints the light spot of a lit control from its light distances (no light
// timer yet: does nothing).
void DoUpdateLight(TsCtrlSkinData* SkinData, bool Force = false);
// Restarts the attention (pulse) animation of a control; it has none yet.
class TsCommonData;
void RestartAttention(TsCommonData* CommonData);
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
