#pragma once
// The layout and layered-window functions of the system, bound by name at the unit's start-up
// (older systems lack some); an empty entry means the call is not available.
#include <windows.h>

using TSetLayout = DWORD(WINAPI*)(HDC, DWORD);
using TGetLayout = DWORD(WINAPI*)(HDC);
using TUpdateLayeredWindow = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
using TSetLayeredWindowAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

struct TacSystemEntries {
    TSetLayout SetLayout = nullptr;
    TGetLayout GetLayout = nullptr;
    TUpdateLayeredWindow UpdateLayeredWindow = nullptr;
    TSetLayeredWindowAttributes SetLayeredWindowAttributes = nullptr;
};
// The bound entries (all empty before the start-up and after the shut-down).
const TacSystemEntries& acSystemEntries();
// Puts other entries in place of the bound ones (tests record the calls through functions of
// their own); returns the entries that were in place. The shut-down empties them all.
TacSystemEntries acReplaceSystemEntries(const TacSystemEntries& entries);

// Loads gdi32 and user32, binds the entries and reads the default check-box size on the first
// call; the last matching finalisation frees the sine/cosine table and both libraries.
void sGraphUtilsInitialization();
void sGraphUtilsFinalization();
