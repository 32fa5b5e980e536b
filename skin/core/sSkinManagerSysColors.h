#pragma once
// The redirection of the process's system-colour calls to the skin's colours: GetSysColor,
// GetSysColorBrush and CreatePen answer from the default manager's palette while it is switched
// on. The calls are redirected through the import tables of the loaded modules, so every module
// that imports them is reached (code that binds them by name is not).
#include "Colors.h"

#include <windows.h>

// Switches the redirection on or off. Switching on while it is on redirects the modules loaded
// since (nothing else changes); switching off also frees the brushes made for GetSysColorBrush.
void SetSysColorsRedirected(bool on);
bool SysColorsRedirected();

// The system's own answers, also while the calls are redirected.
DWORD RealGetSysColor(int index);
HBRUSH RealGetSysColorBrush(int index);
HPEN RealCreatePen(int style, int width, COLORREF color);

// Frees the brushes made for GetSysColorBrush; the next call makes them from the palette then
// in use. The manager calls it when its palette changes.
void ReleaseSysColorBrushes();
