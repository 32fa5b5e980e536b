#include "acDials.h"

#include "sCommonData.h"

std::vector<TacMainWnd*> acSupportedList;
HHOOK HookCallback = nullptr;

// No wrapper exists yet: a supported form is not wrapped.
void AddSupportedForm(HWND, CREATESTRUCTW*) {}

void ClearMnuArray() {}

TacDialogWnd::TacDialogWnd() : SkinData(std::make_unique<TsCommonData>(this)) {}

TacDialogWnd::~TacDialogWnd() = default;
