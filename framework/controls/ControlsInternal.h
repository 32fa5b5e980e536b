#pragma once
// What Controls.cpp and WinControl.cpp share (internal to the control layer): the binding of a
// window to its control, the module instance, and the window procedure
// every control window runs through with the function that installs it.
#include "Controls.h"

#include <windows.h>

LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
void AttachControlWindow(HWND window, TWinControl* control);

// The binding of a window to its control and the procedure it had before is kept in the
// process, not in window properties: reading a property is a round trip to the window server
// under Wine, and the window procedure looks the binding up for every message.
// The control lets go of the window (it keeps the procedure it had before for what still comes).
void ReleaseControlWindow(HWND window);
// The window is gone: the binding goes too.
void ForgetControlWindow(HWND window);

inline HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }
