#pragma once
// The hint window: a small top-level tool-tip window that shows one text at a screen rectangle
// without taking the focus. Plain here; the hint components paint it their own way.
#include "Controls.h"

class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* owner);
    UnicodeString ClassName() const override { return L"THintWindow"; }

    // Screen-independent size the text needs, at most maxWidth wide, with the window's margins
    // (left and top at 0).
    virtual TRect CalcHintRect(int maxWidth, const UnicodeString& text);
    // Shows text at the screen rectangle, above other windows, without activating.
    virtual void ActivateHint(const TRect& rect, const UnicodeString& text);
    // Hides the hint by destroying its window.
    void ReleaseHandle();

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void WMNCHitTest(TMessage& message);
    void Dispatch(TMessage& message) override;
};
