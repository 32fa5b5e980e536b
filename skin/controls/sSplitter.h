#pragma once
// The skinned splitter. For now only the class, which the cache and clip routines recognise: a
// splitter is painted over its parent's image and is never cut out of it. Dragging and
// painting come with the skinned bars.
#include "Controls.h"

class TsSplitter : public TGraphicControl {
public:
    explicit TsSplitter(TComponent* owner) : TGraphicControl(owner) {}
    UnicodeString ClassName() const override { return L"TsSplitter"; }
};
