#pragma once
// Effect windows around skinned controls: every effect (a glow halo painted from a skin mask,
// or a click circle, acGlowCircle*.cpp) is a click-through layered window of its own just above the control's
// form, kept in one process-wide table and addressed by its index, the glow ID (-1: none).
// A freed slot stays empty until the table is cleared, so a stale ID never reaches a new effect.
#include "Colors.h"
#include "acntTypes.h"
#include "sConst.h"
#include "Messages.h"
#include "Objects.h"
#include "Strings.h"
#include "Types.h"

#include <windows.h>

#include <cstdint>
#include <memory>

class TBitmap;
class TControl;
class TacGlowForm;
class TsCommonData;
class TsSkinManager;

// The part all effects share: the layered window (made on first paint, with a window procedure
// that lets the mouse through) and the picture it shows.
class TacLayeredEffect : public TObject {
public:
    TacLayeredEffect();
    UnicodeString ClassName() const override { return L"TacLayeredEffect"; }
    // Marks it Destroyed, restores the window's procedure and frees the window (released for
    // later when neither the manager nor the application is going away), then the picture.
    ~TacLayeredEffect() override;
    TacLayeredEffect(const TacLayeredEffect&) = delete;
    TacLayeredEffect& operator=(const TacLayeredEffect&) = delete;

    virtual void Repaint() = 0;
    // Makes the window when missing and hands its procedure to this effect.
    virtual void Create();
    // Click circles are not faded by HideGlow.
    virtual bool IsCircle() const { return false; }
    // Restores the window's procedure and frees the window (see the destructor).
    void FreeWindow();

    TsCommonData* FSkinData = nullptr;
    std::unique_ptr<TBitmap> AlphaBmp;
    int State = 0;
    HWND FWndHandle = nullptr; // the control's window
    TacGlowForm* Wnd = nullptr; // owned
    bool Destroyed = false;
    TWndMethod OldWndProc;
    TsSkinManager* SkinManager = nullptr;

protected:
    void NewWndProc(TMessage& message);
    // Puts the window back to its own procedure (before it is freed).
    void RestoreWndProc();
};

class TacGlowEffect : public TacLayeredEffect {
public:
    UnicodeString ClassName() const override { return L"TacGlowEffect"; }
    // Paints the glow around the control and shows it at FAlpha.
    void Repaint() override;
    // The first showing: notes the rectangle, alpha and window and paints.
    void Show(const TRect& R, int Alpha, HWND WndHandle);

    BYTE FAlpha = 0;
    int Margin = 0;
    int MaskIndex = -1; // negative: none (the hover outer effect only)
    TRect FRealRect;    // screen rectangle of the control
};

// --- Click circles
// A soft round spot in a light colour under a hovered or pressed control, grown, shrunk and
// faded by the control's state-change timer. State: 1 hover, 2 pressed.
enum TacSizeChanging : std::uint8_t { scIncrease, scDecrease, scNotChanged };

class TacCircleEffect : public TacLayeredEffect {
public:
    UnicodeString ClassName() const override { return L"TacCircleEffect"; }
    // Also hides a track bar's tool tip.
    ~TacCircleEffect() override;
    bool IsCircle() const override { return true; }
    // Shows the circle of the rounded RealRadius in Color (nothing for a radius of 1 or less),
    // centred on Center, right behind the window that precedes the control's form.
    void Show();
    // Follows the control's rectangle (command 89) and shows again.
    void Repaint() override;

    BYTE AlphaFinish = 255;
    int RadiusStart = 0, RadiusFinish = 0;
    TColor Color = 0; // the top byte holds an alpha
    TPoint Center;    // screen point
    double RealAlpha = 0, RealRadius = 0;
    std::unique_ptr<TBitmap> BackBmp;
    TacSizeChanging SizeChanging = scIncrease;
};

// What creates or retargets a circle.
struct TacCircleEffectData {
    TacSizeChanging SizeChanging = scIncrease;
    TsCommonData* SkinData = nullptr;
    bool (*AnimProc)(TObject*, int) = nullptr;
    int RadiusFinish = 0, RadiusStart = 0;
    TPoint Center;
    int State = 1;
    TColor Color = 0;
    BYTE AlphaFinish = 255, AlphaStart = 255;
};

// What the owners of circles add to them: a track bar shows its value tool tip around the
// circle, a slider paints its thumb over a picture of its size holding the circle.
class TacCircleTrackBar {
public:
    virtual ~TacCircleTrackBar() = default;
    virtual void ShowToolTip(const TacToolTipData& Data) = 0;
    virtual void HideToolTip() = 0;
};
class TacCircleSlider {
public:
    virtual ~TacCircleSlider() = default;
    virtual void PaintThumb(TBitmap* Bmp) = 0;
};

// The circle radii at 96 PPI, and scaled to the control's density.
inline constexpr int iMinCircleRadius = 17, iMaxCircleRadius = 23;
int MinCircleRadius(TsCommonData* SkinData);
int MaxCircleRadius(TsCommonData* SkinData);
// Whether a click on Control shows circles: it exists, is not being designed and is enabled,
// it animates on clicks and its manager's click effect is not the wave alone.
bool CircleClickMode(TControl* Control, TsCommonData* SkinData, TacAnimatEvents Events);
// Shows, retargets or hides the control's circle for where the mouse is: hover (state 1) or
// pressed (state 2, a circle exists and the left button is held on the control). Nothing
// without glowing, a valid skin index, or with mouse hover switched off. The byte is unused.
void ShowCircleIfNeeded(TsCommonData* SkinData, BYTE Unused, bool Animated);
// Starts (Animated, with animation allowed and no skin change) or retargets the circle on the
// control's state-change timer, running its first step at once; else shows it at AlphaStart
// without a timer.
void StartLEAnimation(const TacCircleEffectData& Data, bool Animated);
// The circle's step routine (Data: the control's TsCommonData): grows, shrinks or fades it by
// its SizeChanging; true while it goes on. Without a circle it asks ShowCircleIfNeeded first.
bool UpdateCircle(TObject* Data, int Iteration);
// A new circle in the effect table, loaded from Data and shown; its ID, or -1 without layered
// windows or without a skin state.
int CreateCircleEffect(const TacCircleEffectData& Data);

// Set while an effect window is being destroyed: ClearGlows does nothing meanwhile.
extern bool bGlowingDestroying;

// The effect at ID, or null for an invalid ID or an empty slot.
TacLayeredEffect* GetEffect(int ID);
// Slots of the table (filled and empty).
int EffectCount();
// Puts an effect into a new slot; its ID.
int AddEffect(std::unique_ptr<TacLayeredEffect> effect);

// Hides and frees every effect and sets the owners' GlowID to -1 (freeWindows: the windows
// first; skipCircles: click circles stay and so does the table).
void ClearGlows(bool freeWindows = false, bool skipCircles = false);
// Hides and frees the effect GlowID and sets GlowID to -1; nothing for an invalid ID or an empty
// slot. doAnimation fades a glow out first (the entry stays until the fade ends).
void HideGlow(int& GlowID, bool doAnimation);

// HideGlow without fading: frees the effect GlowID, sets GlowID to -1 and, with StopAnimation,
// stops the control's animation timer (a fade that hides the glow on its way keeps running).
void FreeGlow(int& GlowID, bool StopAnimation);

// Shows a glow drawn from the mask MaskName + "0" of section SectionName (the control's own
// section when empty) around the screen rectangle R of the control's window Wnd, pulled in by
// Margin, at Alpha. A section without glow mask gets a glow only through a hover outer effect.
// The new ID, or -1 (no layered windows, no skin data, the mouse captured, nothing to show).
int ShowGlow(const TRect& R, const UnicodeString& SectionName, const UnicodeString& MaskName, int Margin, int Alpha,
             HWND Wnd, TsCommonData* CommonData);
// The same with the mask index given; -1 also when MaskIndex or Reserved is negative.
int ShowGlow(const TRect& R, int& MaskIndex, int Reserved, int Margin, int Alpha, HWND Wnd, TsCommonData* CommonData);
// Repaints the glow GlowID (after a focus change); nothing for -1.
void RepaintGlow(int GlowID);
// The constant alpha of the glow GlowID.
void SetGlowAlpha(int GlowID, BYTE Alpha);

// Start-up (nothing) and shut-down of the unit: every effect is freed.
void acGlowInitialization();
void acGlowFinalization();
