#pragma once
// Control animations of the skin library: the state-change fades of controls and their glow,
// the click ghost, the attention pulse and the moving text hint, the show animation of controls
// and forms (acAnimationShow.h) and the mouse light.
#include "acThdTimer.h"
#include "acntTypes.h"
#include "Types.h"
#include "sConst.h"

#include <windows.h>

#include <memory>
#include <vector>

class TControl;

// The show animation of controls and forms.
#include "acAnimationShow.h"

class TsCtrlSkinData;
class TTimer;
class TBitmap;

// --- Mouse light
// With the mouse light on, one 12 ms timer tells every registered control (command 39) to
// re-check; each asks DoUpdateLight whether the pointer is near and paints the spot into its
// picture with HandleLighting. Main thread only.
struct TacMouseLightData {
    TacMouseLightData();
    ~TacMouseLightData();
    TacMouseLightData(const TacMouseLightData&) = delete;
    TacMouseLightData& operator=(const TacMouseLightData&) = delete;
    // One broadcast of command 39 (none while one runs).
    void OnTimer(TObject* Sender);

    std::unique_ptr<TBitmap> MaskBmp; // black round shadow of radius MouseLightSize / 2
    std::unique_ptr<TTimer> LightTimer;
    bool InOnTimer = false;
    // Handle fields of bare-window skin states (a re-created handle is seen); a skin state
    // unregisters in its destruction, so no address outlives it.
    std::vector<HWND*> LightHandles;
    std::vector<TControl*> LightControls;
    int MouseLightSize = 64;
};
// The process's light data (null outside the unit's start-up and shut-down).
TacMouseLightData* MouseLightData();
// Frees it (the unit's shut-down).
void FreeMouseLightData();

// Switches the mouse light on or off: the timer runs only with a default manager that is not
// being designed; switching off broadcasts once at once so lit controls go dark.
void SetMouseLight(bool value);
// Registers the owner control (a bare window: its handle field) once.
void AddLightControl(TsCtrlSkinData* SkinData);
// Unregisters it; null empties the control list.
void DelLightControl(TsCtrlSkinData* SkinData);
void DelLightControl();
// Whether the control is lit now (flips FDoLighting); repaints on a flip, or when the pointer
// moved over a lit control, unless its state-change timer runs. Force has no effect here.
void DoUpdateLight(TsCtrlSkinData* SkinData, bool Force = false);
// Paints the light spot of a lit control under the pointer into Bmp, or into its cache (over
// the parent's cached background when CacheInfo is given); false when nothing was painted.
bool HandleLighting(TsCtrlSkinData* SkinData, int State, const TCacheInfo* CacheInfo = nullptr,
                    TBitmap* Bmp = nullptr);

// Kinds of a state-change timer (its ThreadType): a plain fade, an effect (a click circle) or
// the press light.
inline constexpr int ttFade = 0, ttEffect = 1, ttPressLight = 2;
// The press light (step routine; Data: the button's TsCommonData, its timer's State the button's
// state). Held down (State 2) a spot grows from the press point; released it widens over the
// whole button and fades, ending in a cm1 click ghost for the circle-and-wave click effect. The
// spot's radius is kept in the timer's Value, its centre in AnimRect's top left.
bool UpdateFillLight(TObject* Data, int Iteration);

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
// A graphic control repaints from its work picture (commands 8 and 18); the magnifier follows.
void RepaintGraphic(TsCommonData* data);

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

// --- Click ghost, attention pulse and moving text hint
class TacGlowForm;
class TsBoundLabel;
class TFont;

// cm1: a soft ghost (blurred, growing by 7 pixels a step); cm2: a sharp one (2 pixels a step).
enum TacClickMode : std::uint8_t { cm1, cm2 };

// The click ghost: the control's picture, without its background, swelling and fading out in a
// click-through layered window over the control, one step every 12 ms for at most 18 steps.
class TacClickTimer : public TacThreadedTimer {
public:
    explicit TacClickTimer(TComponent* AOwner);
    ~TacClickTimer() override;
    UnicodeString ClassName() const override { return L"TacClickTimer"; }
    // Alpha 255, AnimRect and BmpOut from the screen under the control, its background removed.
    void PrepareImage() override;
    // Stops and frees the ghost's window.
    void DisableTimer() override;
    // One step: the picture grows, Alpha falls by a sixth, the window shows it.
    void IterateImage();

    BYTE Alpha = 0;
    TacClickMode Mode = cm1;
    std::unique_ptr<TacGlowForm> AForm;
};

// Starts a click ghost of the control of SkinData (nothing without an owner control, or while it
// loads or reads its stored state).
void DoClickAnimation(TsCommonData* SkinData, TacClickMode Mode);
// The click ghost's step routine (Data: the control's TsCommonData).
bool ClickAnim_CB(TObject* Data, int Iteration);

// Integer-backed: a stored or passed value outside the three modes is refused.
enum TacAttentionMode : int { amColor, amVibration, amWavering };
inline bool AttentionModeValid(TacAttentionMode Mode) { return Mode >= amColor && Mode <= amWavering; }

struct TacAttentionData {
    TColor Color = clNone;
    int Interval = 0; // milliseconds
    TacAttentionMode Mode = amColor;
};

// The attention pulse of a control: tinting toward a colour and back, shaking, or sending out
// click ghosts, until StopAttention.
class TacPulsTimer : public TacThreadedTimer {
public:
    explicit TacPulsTimer(TComponent* AOwner);
    ~TacPulsTimer() override;
    UnicodeString ClassName() const override { return L"TacPulsTimer"; }
    // The pictures of the pulse: BmpFrom the control's own, BmpTo the tinted one.
    void PrepareImage() override;
    // Stops and frees the layered window.
    void DisableTimer() override;
    // Prepares the pictures and switches to the step routine of the mode.
    void Init();

    int Direct = 1; // the current shake offset, +1 or -1
    std::unique_ptr<TacGlowForm> AForm;
    bool Busy = false;
    bool Shown = false;
    TsCommonData* SkinData = nullptr;
    TacAttentionData PaintData;
    // The private skin state of a control without one (null for a skinned control).
    std::unique_ptr<TsCommonData> OwnData;
};

// Starts the pulse of Control (nothing for a mode outside the three, or when the control answers
// the cache command 23 with non-zero).
void StartAttention(TControl* Control, const TacAttentionData& Data);
// Stops the pulse: frees it, marks the background changed and repaints the control.
void StopAttention(TsCommonData* SkinData);
void StopAttention(TControl* Control);
// A running pulse with a picture starts again with the same data.
void RestartAttention(TsCommonData* CommonData);
// The pulse of a control without skin data, or null.
TacPulsTimer* UnskinnedPulse(const TControl* Control);
// Step routines of the pulse (Data: the control's TsCommonData).
bool PulsFirst_CB(TObject* Data, int Iteration);
bool PulsColor_CB(TObject* Data, int Iteration);
bool PulsShake_CB(TObject* Data, int Iteration);
bool PulsWavering_CB(TObject* Data, int Iteration);

// A text of the moving text hint: its label (of the target), DrawText flags, the text, the control
// showing it, its colour and font, and its screen rectangle.
struct TacMoveTextData {
    TsBoundLabel* BoundLabel = nullptr;
    UINT Flags = 0;
    UnicodeString Text;
    TControl* Ctrl = nullptr;
    TColor Color = clNone;
    TFont* Font = nullptr;
    TRect R;
};

// What a skinned label offers the flight: it paints its own text with its skin colour off.
class TacSelfPaintingLabel {
public:
    virtual ~TacSelfPaintingLabel() = default;
    virtual void SetUseSkinColor(bool Value) = 0;
    // Paints the label's text into Bmp at R.
    virtual void PaintText(TBitmap* Bmp, const TRect& R) = 0;
};

// The edit's text hint flies into its bound label and becomes its caption.
void MakeLabelTextHint(TsCommonData* SkinData, TsBoundLabel* BoundLabel, const UnicodeString& Text);
// The flight of From's text to To's place, mixing into To's text; runs in the caller, 12 ms a
// frame.
void AnimMoveText(const TacMoveTextData& From, const TacMoveTextData& To);
// Frames the last flight showed.
extern int acMoveTextFrames;

// Start-up of the unit (the mouse-light data) and its shut-down: the light data and the pulses
// of controls without skin data are freed.
void acAnimationInitialization();
void acAnimationFinalization();
