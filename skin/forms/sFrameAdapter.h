#pragma once
// The frame adapter: the component that skins a framework frame. So far only its class, which
// the wrappers test a control's owner against; form skinning builds it.
#include "Components.h"

class TsFrameAdapter : public TComponent {
public:
    explicit TsFrameAdapter(TComponent* owner) : TComponent(owner) {}
    UnicodeString ClassName() const override { return L"TsFrameAdapter"; }
};
