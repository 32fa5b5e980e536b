#pragma once
// Skinned dialogs and supported form windows. So far only the list the core's broadcasts walk;
// it stays empty until the dialog wrappers exist.
#include "acSBUtils.h"

#include <memory>
#include <vector>

class TacBorderForm;
class TsCommonData;

// The wrapper of a skinned system dialog. So far what the show and hide animations use; the
// dialog wrappers give it its painting.
class TacDialogWnd : public TacMainWnd {
public:
    TacDialogWnd();
    ~TacDialogWnd() override;
    UnicodeString ClassName() const override { return L"TacDialogWnd"; }
    // Paints the whole skinned dialog image into the skin data's cache bitmap.
    virtual void PaintAll() {}

    TacBorderForm* BorderForm = nullptr;       // extended-border window, or null
    std::unique_ptr<TsCommonData> SkinData;    // holds the cache bitmap (FCacheBmp)
};

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
