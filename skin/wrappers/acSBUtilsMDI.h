#pragma once
// The wrapper of an MDI main form's client window: the form's skinned background ("wall") under
// the children, skinned scroll bars, and the caption, system menu and splitters of the form kept
// in step when children are created, tiled, cascaded or maximized. Each of wall and bars has a
// global switch (DrawSkinnedMDIWall, DrawSkinnedMDIScrolls); with either off the client keeps
// the system's look.
#include "acScrollWnd.h"

#include <windows.h>

class TCustomForm;
class TsCommonData;
class TsSkinProvider;

class TacMDIWnd : public TacBaseWnd {
public:
    ~TacMDIWnd() override;
    UnicodeString ClassName() const override { return L"TacMDIWnd"; }
    void acWndProc(TMessage& Message) override;
    // Splitters of the form paint over a maximized child's background.
    void UpdateGraphControls();

    TCustomForm* FForm = nullptr;        // the MDI main form
    TsSkinProvider* SkinProvider = nullptr; // its skin provider
    TsCommonData* MDISkinData = nullptr; // skin data of the client area (not owned)

private:
    // The client window's rectangle in the form window's coordinates.
    TRect ClientRectInForm() const;
    bool MaximizedChild() const;
    bool SkinningOn() const;
    void PaintClientBG(HDC DC, bool Printing);
    void PaintBorder(HDC DC);
    // The client's content follows a dragged thumb directly.
    void ScrollContent(TMessage& Message);
};
