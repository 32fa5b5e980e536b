#pragma once
// What Controls.cpp and WinControl.cpp share (internal to the control layer): the window
// properties that bind a window to its control, the module instance, and the window procedure
// every control window runs through with the function that installs it.
#include "Controls.h"

#include <windows.h>

LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
void AttachControlWindow(HWND window, TWinControl* control);

// Window properties that bind a window to its control and keep the procedure it had before.
inline const wchar_t* const kControlProp = L"Marlindo.Control";
inline const wchar_t* const kDefProcProp = L"Marlindo.DefWndProc";

inline HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }
