#pragma once
// Skinned dialogs and supported form windows. So far only the list the core's broadcasts walk;
// it stays empty until the dialog wrappers exist.
#include "acSBUtils.h"

#include <vector>

// Wrappers of the supported dialog and form windows.
extern std::vector<TacMainWnd*> acSupportedList;
// The CBT hook that hands new windows of the GUI thread to the wrappers, or 0.
extern HHOOK HookCallback;
// The WH_CBT hook procedure that hands every new window of the GUI thread to the wrappers;
// until they exist it passes every call on.
LRESULT CALLBACK SkinHookCBT(int code, WPARAM wParam, LPARAM lParam);
// Registers a form window as supported (wrapping it); createStruct may be null.
void AddSupportedForm(HWND handle, CREATESTRUCTW* createStruct = nullptr);
// Forgets the menu windows the wrappers track.
void ClearMnuArray();
