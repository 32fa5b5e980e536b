#pragma once
// Menus: the pop-up menu component a control names as its context menu. It has no items or
// window yet; it is only the object that code hooking a control's context menu finds.
#include "Components.h"

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner) : TComponent(owner) {}
    UnicodeString ClassName() const override { return L"TPopupMenu"; }
};
