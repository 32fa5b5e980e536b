#pragma once
// The hint window: a small top-level tool-tip window that shows one text at a screen rectangle
// without taking the focus, and the factory the application makes its hint window with. Plain
// here; hint components derive their own window and install its factory.
#include "Controls.h"

class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* owner);
    UnicodeString ClassName() const override { return L"THintWindow"; }

    // Size the text needs, at most maxWidth wide, with the window's margins (left and top at
    // 0). data is the hint record's HintData, for windows that show more than text.
    virtual TRect CalcHintRect(int maxWidth, const UnicodeString& text, void* data = nullptr);
    // Shows text at the screen rectangle (kept inside its monitor), above other windows,
    // without activating.
    virtual void ActivateHint(const TRect& rect, const UnicodeString& text);
    // Hides the hint by destroying its window.
    void ReleaseHandle();

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void WMNCHitTest(TMessage& message);
    void Dispatch(TMessage& message) override;
};

// Makes the application's hint window; a hint component installs a factory of its own window
// class and restores PlainHintWindow when it goes.
using THintWindowClass = THintWindow* (*)(TComponent* owner);
THintWindow* PlainHintWindow(TComponent* owner);
extern THintWindowClass HintWindowClass;
