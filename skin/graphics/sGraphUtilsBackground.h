#pragma once
// The exchange of background information between a control and its parent: asking a window or a
// control for the background under a child, and turning the answer into a cache info.
#include "Controls.h"
#include "sConst.h"

#include <windows.h>

// Asks the window (AC_GETBG); true when it answered. Otherwise Offset is the window's client
// position and, with pleaseDraw, the window paints itself into bg.DrawDC (under bg.R); without
// it the record says btFill with the active default manager's main colour, or the colour of the
// control that owns the window, or clBtnFace.
bool GetBGInfo(TacBGInfo& bg, HWND wnd, bool pleaseDraw = false);
// The same through a control (Bmp cleared first, the caller's Offset kept when drawing); a
// control that does not answer gives btFill with its background colour. Always true.
bool GetBGInfo(TacBGInfo& bg, TControl* control, bool pleaseDraw = false);
TCacheInfo BGInfoToCI(const TacBGInfo& bg);
