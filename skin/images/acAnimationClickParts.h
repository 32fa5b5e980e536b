#pragma once
// What the click ghost, the attention pulse and the moving text hint share: where a control lies
// on screen, what lies behind it, pictures of the screen, and the z-order place of their windows.
#include "Graphics.h"
#include "Types.h"

#include <windows.h>

#include <memory>

class TControl;
class TsCommonData;

namespace acanim {

// The control's screen rectangle: a windowed control answers command 89 first; else its bounds.
TRect ControlScreenRect(TControl* control);
// Whether the control's window (a graphic control: itself and its parent's) is visible.
bool ControlWindowVisible(TControl* control);
// Whether anything of the control's window shows (its window DC clips to something).
bool ControlDCVisible(TControl* control);
// The screen under r as a 32-bit picture.
std::unique_ptr<TBitmap> CaptureScreen(const TRect& r);
// What the parent shows under the control (its cache, else its plain colour), size w x h, read
// dx pixels to the right of the control's place.
std::unique_ptr<TBitmap> ParentBackground(TsCommonData* data, TControl* control, int w, int h, int dx = 0);
// Where an effect window goes in z-order: right behind the window that precedes the control's
// form; the top of the topmost band for a topmost form or none; plain top without a preceding one.
HWND EffectInsertAfter(HWND controlWnd, HWND self);

} // namespace acanim
