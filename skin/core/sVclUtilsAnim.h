#pragma once
// Animated showing and hiding of skinned forms and dialogs: an image of the window in a layered
// window fades, grows from or shrinks to its centre, or drops down, in steps of at least 12 ms;
// and the small layered-window routines around it (constant alpha, a 32-bit image at an alpha,
// recomputing a layered window).
#include "Graphics.h"
#include "Types.h"
#include "acAnimation.h"
#include "acThdTimer.h"
#include "sConst.h"

#include <windows.h>

#include <memory>

class TacDialogWnd;
class TCustomForm;
class TsCommonData;
class TsSkinProvider;
class TWinControl;

// Every animation step lasts at least this many milliseconds.
inline constexpr int acAnimStepTime = 12;
// Steps of an animation of time milliseconds (none below one step's time).
inline constexpr int AnimSteps(int time) { return time > 0 ? time / acAnimStepTime : 0; }

// One frame of a show or hide animation: the rectangle of the image drawn into the work image
// (doubles, as the edges move by fractions of a pixel), the constant alpha, and whether the
// source is copied whole (unscaled) instead of stretched.
struct TacAnimFrame {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Alpha = 0;
    bool CopyWhole = false;
    // The animation ends after this frame.
    bool Last = false;
};

// Frame i of showing a w x h image in steps (0 .. steps - 1 are animated; i >= steps is the
// final frame: the whole image at maxBlend). Fading and aero grow the alpha by
// (maxBlend - 50) / steps a step, capped at maxBlend; aero starts inset by w/32 and h/32 and
// reaches full size at the final frame; drop-down shows alpha 255 and a bottom edge that closes
// half the remaining height a step, ending once both remainders are below 2 pixels.
TacAnimFrame AnimShowFrame(TacAnimType type, int w, int h, int steps, int i, int maxBlend);
// Frame k (0 .. steps) of hiding a w x h image from startAlpha. Fading and aero lose
// startAlpha / steps a step; aero moves every edge inward by w/(32 x steps) and h/(32 x steps)
// a step; drop-down keeps the alpha and halves the bottom, ending once it would fall below 2.
TacAnimFrame AnimHideFrame(TacAnimType type, int w, int h, int steps, int k, int startAlpha);

// The hide animation's timer: the cover window, the source image of the hidden window and the
// work image the frames are drawn into. Kept disabled; the hide routine drives it step by step.
class TacHideTimer : public TacThreadedTimer {
public:
    TacHideTimer();
    ~TacHideTimer() override;
    UnicodeString ClassName() const override { return L"TacHideTimer"; }

    void Anim_Init();
    // Draws the frame of the current step and shows it in the cover window.
    void Anim_DoNext();
    // Steps on; false when the animation ends.
    bool Anim_GoToNext();
    // One step while the cover window exists and steps are left; at the end the timer is
    // switched off, the owner told (CallEvent) and the windows and images freed.
    void OnTimerProc(TObject* sender);
    // Once per animation: the owner window's provider hears of the end of a hide.
    void CallEvent();
    // Frees the cover window and both images.
    void FreeAnimation();

    HWND FOwnerHandle = nullptr; // the hidden form's window; none for dialogs
    unsigned Counter = 0;        // the current step
    TSize ImageSize;
    BLENDFUNCTION Blend{};
    double CurrentAlpha = 0, AlphaStep = 0;
    double DeltaX = 0, DeltaY = 0;
    double LeftX = 0, TopY = 0, RightX = 0, BottomY = 0;
    int StepCount = 0; // steps already shown
    int StartBlendValue = 255;
    int Steps = 0;
    TacAnimType AnimType = atFading;
    bool EventCalled = false;
    std::unique_ptr<TBitmap> SrcBmp, DstBmp;
    std::unique_ptr<TCustomForm> CoverWindow; // owned until the animation ends
};

// The one hide timer of the program, made by the first animated hide; null before.
extern TacHideTimer* acHideTimer;
// Frees the hide timer (the unit's shut-down).
void FreeHideTimer();

// Animated showing of a skinned form: time milliseconds up to maxBlend. Nothing for a provider
// without skin data or a minimised form.
void AnimShowForm(TsSkinProvider* provider, WORD time, int maxBlend, TacAnimType animType);
// Animated hiding of a skinned form (a TsSkinProvider) with the manager's FormHide settings.
void AnimHideForm(TObject* provider);
// The same for a skinned system dialog, with the manager's DialogShow and DialogHide settings.
void AnimShowDlg(TacDialogWnd* dialog, WORD time, int maxBlend, TacAnimType animType);
void AnimHideDlg(TacDialogWnd* dialog);
// The hide routine behind both: shows image in the cover window and plays the hide of
// animType for time milliseconds. Takes the cover window and the image when it animates; with
// no step to animate it shows nothing and cover stays with the caller.
void AnimHideWindow(std::unique_ptr<TCustomForm>& cover, std::unique_ptr<TBitmap> image, WORD time,
                    TCustomForm* owner, TacAnimType animType, int startAlpha);

// The control animations' show animation, with no iteration callback (PrepareForAnimation comes
// with them from acAnimation.h).
void AnimShowControl(TWinControl* control, WORD time, int maxBlend, TacAnimTypeCtrl animType);

// Layered true (and layered windows available): adds WS_EX_LAYERED when missing and sets the
// window's constant alpha; true when the style had to be added. Otherwise removes
// WS_EX_LAYERED and WS_VISIBLE and answers false.
bool DoLayered(HWND wnd, bool layered, BYTE alpha = 255);
// Shows a 32-bit image in the layered window wnd with the constant alpha at pos (the window's
// place without pos). Without bmp an image of the window's size is made for the call.
void SetFormBlendValue(HWND wnd, TBitmap* bmp, int alpha, const POINT* pos = nullptr);
// Clears to transparent black what lies outside the window's region in an image of the whole
// window (nothing for a window without region).
void ClearOutsideRegion(HWND wnd, TBitmap& bmp);
// Makes a layered window recompute: one pixel less in height and back, with its form's aligning
// held. Nothing when the form's constraints fix its size.
void UpdateLayerVisibility(TsCommonData* skinData, HWND wnd);
