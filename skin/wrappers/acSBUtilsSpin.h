#pragma once
// The wrapper of up-down controls ("msctls_updown32"): the window keeps its own logic (buddy,
// range, repeat); the wrapper paints both arrow buttons from the skin, each in its own state
// (normal, hot or pressed) taken from the pointer position at paint time.
#include "acSBUtils.h"
#include "sConst.h"

#include <windows.h>

class TacSpinWnd : public TacMainWnd {
public:
    UnicodeString ClassName() const override { return L"TacSpinWnd"; }
    void AfterCreation() override;
    void acWndProc(TMessage& Message) override;
    bool KeepsVisualStyle() const override { return true; }

    bool IsVertical() const;
    // Right-to-left mode: the window is mirrored and the buttons swap their halves.
    void SetRTL(bool Value);
    // Both buttons into the cache bitmap.
    void PrepareCache();
    // The buttons' states from the pointer, then the cache copied to the window.
    void AC_WMPaint(TMessage& Message);
    // The states the pointer at P (screen) gives, pressed or not.
    void UpdateStates(const TPoint& P);

    int Btn1State = 0; // upper, or left (right in right-to-left mode)
    int Btn2State = 0; // lower, or right (left in right-to-left mode)
    bool RTL = false;
    bool bMousePressed = false;
    bool Skinned = false;
    int lOffset = 0;                // columns at the left of a vertical control left unpainted
    TWinControl* OwnerWnd = nullptr; // the skinned control that owns the up-down

private:
    void PaintButton(const TRect& R, int State, TacSide Side, const TCacheInfo& BG);
    void Redraw();
};
