#pragma once
// Control animations of the skin library: the state-change fades of controls and their glow,
// the show animation of controls and forms (acAnimationShow.h) and the switch of the
// process-wide mouse light (which has no light timer yet and so does nothing).
#include "acntTypes.h"
#include "Types.h"
#include "sConst.h"

#include <windows.h>

class TControl;

// The show animation of controls and forms.
#include "acAnimationShow.h"

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
class TsSkinManager;

// --- State-change fades
// A control changing its state (0 normal, 1 hot, 2 pressed; 100 and more: a state without glow)
// cross-fades from the picture on screen to the new one on its animation timer, one frame every
// 12 ms, and fades its glow with it.

// Whether a control listing Events animates on Event (SkinManager null: the default manager).
bool EventEnabled(TacAnimatEvent Event, TacAnimatEvents Events, TsSkinManager* SkinManager = nullptr);
// The entry every control calls on a state change. Without animation (AllowAnimation false,
// fading forbidden, a skin change, no cache yet) the control repaints at once and its glow is
// shown at full alpha while the mouse is above it, else hidden. Reserved has no effect here.
void DoChangePaint(TsCommonData* SkinData, int State, TacAnimProc AnimProc, bool AllowAnimation = true,
                   bool Reserved = false, bool Glowing = false);
// Starts or retargets the fade to State from the picture now on screen and runs its first step
// at once; Half halves the steps. False when the running fade already heads for State.
bool AnimChange(TsCommonData* SkinData, int State, TacAnimProc AnimProc, bool Half);

// Step routines (Data: the control's TsCommonData); true while steps remain.
// A windowed control: the frame goes to its whole-window DC.
bool UpdateWindow_CB(TObject* Data, int Iteration);
// A graphic control painted on its parent: told to repaint (commands 8 and 18).
bool UpdateGraphic_CB(TObject* Data, int Iteration);
// Combo boxes: the whole frame with button style, else the 2-pixel border and the button.
bool UpdateCombo_CB(TObject* Data, int Iteration);
bool UpdateComboAdv_CB(TObject* Data, int Iteration);
bool UpdateCombo_CBEx(TObject* Data, int Iteration);
// The glow alone, no picture.
bool UpdateGlowing_CB(TObject* Data, int Iteration);

// What the combo step routines read of a combo control (the combo classes implement it).
class TacAnimatedCombo {
public:
    virtual ~TacAnimatedCombo() = default;
    // The button is drawn in the whole-button style.
    virtual bool AllowBtnStyle() const = 0;
    // The drop-down button in window coordinates.
    virtual TRect ButtonRect() const = 0;
};

// Whether Control is a skinned speed button (whose work picture a rebuilt cache refreshes too).
bool IsSkinnedSpeedButton(const TControl* Control);

// --- Mouse light as the fades see it
// Recomputes the light distances of a lit control; true when the light is near.
bool LightingIsNear(TsCtrlSkinData* SkinData);
// The process-wide mouse-light timer is running.
bool MouseLightTimerRuns();
