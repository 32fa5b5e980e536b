#pragma once
// Thin wrappers of the layered-window and DC-layout calls over the entries bound at the unit's
// start-up: without an entry they do nothing (acGetLayout answers 0, acLayered false), so callers
// fall back to plain painting.
#include "Graphics.h"
#include "Types.h"

#include <windows.h>

// Layered windows can be updated: the UpdateLayeredWindow entry is bound.
bool acLayered();
void acSetLayout(HDC dc, DWORD layout);
DWORD acGetLayout(HDC dc);
// Shows a 32-bit premultiplied bitmap in a layered window (per-pixel alpha, no colour key) at
// pos and size with the blend; null pointers leave that part as it is. A nil bitmap does nothing.
void UpdateLayeredWnd(HWND wnd, TBitmap* bmp, const TSize* size, const BLENDFUNCTION* blend, const TPoint* pos);
