#pragma once
// Composing one scroll bar off-screen: shared by the bar painter and the thumb drag, which
// paints the bar at the dragged thumb while the normal painting is held back.
#include "acScrollBar.h"

#include <memory>

// States of a bar's parts for one paint.
struct TacBarLook {
    bool Active = true;
    int Pressed = -1; // pressed portion
    int Button1 = 0;
    int Button2 = 0;
    int Thumb = 0;
};

// The look from the tracking state (Pressed -1: the tracked pressed portion).
TacBarLook ScrollBarLook(TacScrollBar* sb, HWND Wnd, int Pressed);
// The bar at R (any coordinates; ThumbPos in the same ones) over the parent's background; null
// without skin data or for an empty R.
std::unique_ptr<TBitmap> ComposeScrollBar(TacScrollBar* sb, HWND Wnd, const TRect& R, int ThumbPos, int ThumbSize,
                                          const TacBarLook& Look);
