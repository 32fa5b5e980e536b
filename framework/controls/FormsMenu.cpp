// A form's main menu: the window's menu bar follows the form's Menu. Screen.MenuFont lives here
// too.
#include "Forms.h"

void TCustomForm::SetMenu(TMainMenu* value)
{
    if (value == menu_) return;
    if (menu_) {
        menu_->RemoveFreeNotification(this);
        menu_->SetWindowHandle(nullptr);
    }
    menu_ = value;
    if (menu_) menu_->FreeNotification(this);
    ApplyMenu();
}

void TCustomForm::ApplyMenu()
{
    if (!HandleAllocated()) return;
    HWND wnd = Handle();
    if (menu_) {
        menu_->SetWindowHandle(wnd);
        // A child window cannot have a menu bar.
        if ((GetWindowLongW(wnd, GWL_STYLE) & WS_CHILD) == 0) ::SetMenu(wnd, menu_->Handle());
    } else if (GetMenu(wnd)) {
        ::SetMenu(wnd, nullptr);
    }
    if (clientHandle_) ApplyWindowMenu();
}

void TCustomForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == windowMenu_) windowMenu_ = nullptr;
    if (operation == opRemove && component == menu_) {
        menu_ = nullptr;
        if (HandleAllocated() && !ComponentState().Contains(csDestroying)) ::SetMenu(Handle(), nullptr);
    }
}

void RegisterFormMenuProperty()
{
    RegisterPublishedProperty(L"TCustomForm", ObjProp(L"Menu", &TCustomForm::Menu, &TCustomForm::SetMenu,
                                                      L"Menu must be a main menu", TNilObject::Pass));
}

void TCustomForm::DestroyWindowHandle()
{
    if (HandleAllocated() && GetMenu(Handle())) ::SetMenu(Handle(), nullptr);
    // The client destroys its child itself, so that it activates the next one and mends the
    // frame's menu bar.
    if (HandleAllocated() && formState_.Contains(fsCreatedMDIChild)) {
        if (HWND client = GetParent(Handle())) SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(Handle()), 0);
        formState_ >> fsCreatedMDIChild;
    }
    if (clientHandle_) clientHandle_ = nullptr; // goes with the frame's window
    TWinControl::DestroyWindowHandle();
}

TFont* TScreen::MenuFont()
{
    if (!menuFont_) {
        menuFont_ = std::make_unique<TFont>();
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
            menuFont_->SetHandle(CreateFontIndirectW(&metrics.lfMenuFont));
    }
    return menuFont_.get();
}
