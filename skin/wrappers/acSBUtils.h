#pragma once
// Window wrappers: the base of every wrapper and the wrapper that skins a window's scroll bars.
// So far only what the core asks of them; the wrappers' own issue builds them.
#include "Objects.h"

#include <windows.h>

class TsCommonData;

class TacMainWnd : public TObject {
public:
    UnicodeString ClassName() const override { return L"TacMainWnd"; }
    HWND CtrlHandle = nullptr; // the wrapped window
};

class TacScrollWnd : public TacMainWnd {
public:
    UnicodeString ClassName() const override { return L"TacScrollWnd"; }
    TsCommonData* SkinData = nullptr;
};

// The scroll-bar wrapper attached to a window, or null (no window has one yet).
TacScrollWnd* Ac_GetScrollWndFromHwnd(HWND handle);
