#pragma once
// Labels of the skin library. So far only the caption label a bound label shows beside its
// control: a framework label that keeps the skin settings its bound label gives it and passes
// a click on to it. The skinned label family replaces it with its own painting.
#include "StdCtrls.h"

class TsBoundLabel;

class TsEditLabel : public TLabel {
public:
    // The bound label owns the label; it is no component's child.
    explicit TsEditLabel(TsBoundLabel* owner) : TLabel(nullptr), BoundLabel(owner) {}
    // A label freed by its parent window is forgotten by its bound label, which would free it
    // again.
    ~TsEditLabel() override;
    UnicodeString ClassName() const override { return L"TsEditLabel"; }

    bool UseSkinColor() const { return FUseSkinColor; }
    void SetUseSkinColor(bool value) { FUseSkinColor = value; }
    bool UseHTML() const { return FUseHTML; }
    void SetUseHTML(bool value) { FUseHTML = value; }
    // The label fits its text into its width (the width is the limit).
    bool FitToWidth() const { return FFitToWidth; }
    void SetFitToWidth(bool value) { FFitToWidth = value; }

    void Click() override;

    TsBoundLabel* BoundLabel;
    bool FUseSkinColor = true;
    bool FUseHTML = false;
    bool FFitToWidth = false;
};
