#include "acDials.h"

#include "sCommonData.h"

std::vector<TacMainWnd*> acSupportedList;
HHOOK HookCallback = nullptr;

// No wrapper exists yet: a supported form is not wrapped.
void AddSupportedForm(HWND, CREATESTRUCTW*) {}

void ClearMnuArray() {}

LRESULT CALLBACK SkinHookCBT(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(HookCallback, code, wParam, lParam);
}

TacDialogWnd::TacDialogWnd() : SkinData(std::make_unique<TsCommonData>(this)) {}

TacDialogWnd::~TacDialogWnd() = default;
