#pragma once
// Speed buttons: windowless buttons of tool bars and panels. So far the bare control; its
// look and its group behaviour come with the controls that need them.
#include "Controls.h"

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);
    UnicodeString ClassName() const override { return L"TSpeedButton"; }
};

// Registers the published class and reader factory of the classes in this file.
void RegisterButtonsClasses();
