#pragma once
// The show animation of the control animations: a page, panel or other control changes its
// content through an output window laid over it (fade, zoom, blur or run-up from the picture
// that was on screen to the new one), and a skinned form fades or zooms in through a layered
// window that carries its finished picture, its extended-border window cross-faded.
//
// Callers that change a control's content call PrepareForAnimation first (it takes the picture
// on screen), then change the content, then call AnimShowControl. Everything the two keep
// between them is freed when AnimShowControl ends.
#include "Types.h"
#include "sConst.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

class TBitmap;
class TacGlowForm;
class TOutputWindow;
class TWinControl;

// Handed to the caller's iteration routine once per frame.
struct TacIterationData {
    TRect OutRect;              // the part of the new picture that runs up (atcRunup may change it)
    TWinControl* Ctrl = nullptr;
    TBitmap* BmpTo = nullptr;   // the control's new picture
    TBitmap* BmpOut = nullptr;  // the frame being built
    BYTE Blend = 0;             // the share of the old picture in this frame
};
// Called for every frame: before the frame is built for atcRunup, after it for the other kinds.
using TacIterationProc = std::function<void(TacIterationData& data)>;

// What the form animation needs of a form's skin provider. A form's provider (library command 4)
// takes the layered path only when it offers this; any other form takes the output-window path.
class TacShowProvider {
public:
    virtual ~TacShowProvider() = default;

    // The picture prepared to cover the form, handed over to the caller; null when none.
    virtual std::unique_ptr<TBitmap> TakeCoverBmp() = 0;
    // Brings the form's cached picture up to date (false: not ready yet); the picture (null when
    // there is none).
    virtual bool PaintAll() = 0;
    virtual TBitmap* CacheBmp() = 0;
    // The UWP-style mode, whose client rectangle alone is opaque.
    virtual bool UWPMode() = 0;
    virtual TRect UWPClientRect() = 0;
    // The form's window region: FillArOR computes it, GetRgnFromArOR gives a new region of it
    // (the caller owns it; null for a rectangular window).
    virtual void FillArOR() = 0;
    virtual HRGN GetRgnFromArOR() = 0;
    // The extended-border form.
    virtual bool HasBorderForm() = 0;
    // Detaches the current border window (its window procedure and owner restored) and hands it
    // over; null when there is none.
    virtual std::unique_ptr<TacGlowForm> DetachBorderForm() = 0;
    // Makes a new border window and answers it (the border form keeps it).
    virtual TacGlowForm* CreateNewForm() = 0;
    // A new region of the border window (SetWindowRgn takes it).
    virtual HRGN MakeRgn() = 0;
    virtual void UpdateExBordersPos(bool redraw, BYTE blend) = 0;
    // Metrics of the skin and the system the border window is placed by.
    virtual TRect ShadowSize() = 0; // the shadow's left, top, right and bottom sizes
    virtual int SkinBorderWidth() = 0;
    virtual int SkinTitleHeight() = 0;
    virtual int SysCaptHeight() = 0;
    virtual int SysBorderWidth() = 0;
    virtual bool SysExHeight() = 0;
    virtual int ExTitleHeight() = 0;
    virtual int ExMaxHeight() = 0;
    // The system blur behind the form is on.
    virtual bool SysBlurActive() = 0;
};

// What PrepareForAnimation keeps for AnimShowControl: one object, freed when the animation ends.
class TacShowState {
public:
    TacShowState();
    ~TacShowState();
    TacShowState(const TacShowState&) = delete;
    TacShowState& operator=(const TacShowState&) = delete;

    // The output window laid over the control (also the library's ow), or null.
    TOutputWindow* OutputWindow() const;
    void TakeOutputWindow(TOutputWindow* window);

    std::unique_ptr<TBitmap> Before;     // the screen under the control
    std::unique_ptr<TBitmap> Background; // its bare background; alpha 255 where it differs from Before
    std::vector<TRect> ChildRects;       // atcBlur: the container's visible children, clipped to it

private:
    class TOutputHolder;
    std::unique_ptr<TOutputHolder> output_;
};
// The prepared animation, or null.
const TacShowState* acShowState();

// The form's show provider: its answer to library command 4 when that offers the form
// animation, else null.
TacShowProvider* GetShowProvider(HWND form);

// Takes the picture on screen under the control and lays the output window over it. Nothing for
// an invisible control or one on a minimised form.
void PrepareForAnimation(TWinControl* control, TacAnimTypeCtrl animType);
// Plays the show animation of the control over time milliseconds; a form ends at the constant
// alpha maxBlend. Nothing for an invisible control or one on a minimised form.
void AnimShowControl(TWinControl* control, WORD time, int maxBlend, TacAnimTypeCtrl animType,
                     const TacIterationProc& callback);

// Milliseconds a frame lasts at least: forms, and the output-window path.
inline constexpr int acFormFrameTime = 12;
inline constexpr int acCtrlFrameTime = 24;
// The most frames atcBlur shows for steps output-window steps: its rate rule alone would run
// for thousands of frames near and above one second.
inline constexpr int BlurFrameLimit(int steps) { return steps * 2 + 2 > 12 ? steps * 2 + 2 : 12; }
