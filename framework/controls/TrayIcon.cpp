#include "TrayIcon.h"

#include "FormReader.h"
#include "Forms.h"
#include "TypInfo.h"

#include <shellapi.h>

#include <algorithm>

namespace {

constexpr UINT kIconId = 1;
// Posted to the tray window so the form is hidden after its minimising has finished.
constexpr UINT kMinimizeMessage = WM_APP + 0x1C2;

} // namespace

// Sits in the form's WindowProc chain. It may have to outlive the tray icon: when another
// subclasser chained after it, it cannot be taken out and goes on forwarding alone.
struct TCTrayIcon::FormHook : public TObject {
    TCustomForm* Form = nullptr;
    TWndMethod Previous;
    TCTrayIcon* Owner = nullptr;

    void Proc(TMessage& message)
    {
        Previous(message);
        if (Owner) Owner->FormMessage(message);
    }
};

TCTrayIcon::TCTrayIcon(TComponent* owner) : TComponent(owner), iconsLink_(std::make_unique<TChangeLink>())
{
    window_ = AllocateHWnd([this](TMessage& message) { return HandleMessage(message); });
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    timer_ = new TTimer(this);
    timer_->SetEnabled(false);
    timer_->SetInterval(animateInterval_);
    timer_->OnTimer = [this](TObject*) { NextFrame(); };
    iconsLink_->OnChange = [this](TObject*) { UpdateIcon(); };
}

TCTrayIcon::~TCTrayIcon()
{
    try {
        timer_->SetEnabled(false);
        timer_->OnTimer = nullptr;
        UnhookForm();
        RemoveIcon();
        if (icons_) icons_->UnRegisterChanges(iconsLink_.get());
    } catch (...) {
    }
    if (ownsIcon_ && icon_) DestroyIcon(icon_);
    DeallocateHWnd(window_);
}

// ---------------------------------------------------------------------------------------------
// Properties

void TCTrayIcon::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    if (ComponentState().Contains(csLoading)) return;
    if (value)
        AddIcon();
    else
        RemoveIcon();
}

void TCTrayIcon::SetHint(const UnicodeString& value)
{
    if (value == hint_) return;
    hint_ = value;
    if (added_) Notify(NIM_MODIFY);
}

void TCTrayIcon::SetIcons(TCustomImageList* value)
{
    if (ChangeImageList(icons_, value, iconsLink_.get(), this)) UpdateIcon();
}

void TCTrayIcon::SetIconIndex(int value)
{
    if (value == iconIndex_) return;
    iconIndex_ = value;
    UpdateIcon();
}

void TCTrayIcon::SetAnimate(bool value)
{
    if (value == animate_) return;
    animate_ = value;
    if (value) {
        stillIndex_ = iconIndex_;
    } else {
        iconIndex_ = stillIndex_;
        UpdateIcon();
    }
    timer_->SetEnabled(value && !ComponentState().Contains(csLoading));
}

void TCTrayIcon::SetAnimateInterval(unsigned value)
{
    animateInterval_ = std::max(10u, value);
    timer_->SetInterval(animateInterval_);
}

void TCTrayIcon::SetMinimizeToTray(bool value)
{
    if (value == minimizeToTray_) return;
    minimizeToTray_ = value;
    if (ComponentState().Contains(csLoading)) return;
    if (value)
        HookForm();
    else
        UnhookForm();
}

void TCTrayIcon::Loaded()
{
    TComponent::Loaded();
    if (visible_) AddIcon();
    timer_->SetEnabled(animate_);
    if (minimizeToTray_) HookForm();
}

void TCTrayIcon::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == icons_) {
        icons_ = nullptr;
        if (!ComponentState().Contains(csDestroying)) UpdateIcon();
    }
    if (hook_ && component == hook_->Form) {
        // The form dies with its window: nothing will call the hook any more.
        hook_->Owner = nullptr;
        hook_->Form = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// The icon

bool TCTrayIcon::Notify(DWORD action)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window_;
    data.uID = kIconId;
    if (action != NIM_DELETE) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = CallbackMessage;
        data.hIcon = icon_;
        const size_t n = std::min(hint_.size(), std::size(data.szTip) - 1);
        std::copy_n(hint_.data(), n, data.szTip);
        data.szTip[n] = L'\0';
    }
    return Shell_NotifyIconW(action, &data) != FALSE;
}

void TCTrayIcon::UpdateIcon()
{
    HICON next = nullptr;
    bool owned = false;
    if (icons_ && iconIndex_ >= 0 && iconIndex_ < icons_->Count()) {
        next = ImageList_GetIcon(icons_->Handle(), iconIndex_, ILD_NORMAL);
        owned = next != nullptr;
    }
    if (!next) next = LoadIconW(nullptr, IDI_APPLICATION);
    HICON previous = icon_;
    const bool ownedPrevious = ownsIcon_;
    icon_ = next;
    ownsIcon_ = owned;
    if (added_)
        Notify(NIM_MODIFY);
    else if (visible_ && !ComponentState().Contains(csLoading))
        AddIcon();
    // The shell has its own copy now.
    if (ownedPrevious && previous) DestroyIcon(previous);
}

void TCTrayIcon::AddIcon()
{
    if (added_) return;
    if (!icon_) {
        UpdateIcon(); // makes the icon and comes back here
        if (added_ || !icon_) return;
    }
    added_ = Notify(NIM_ADD);
}

void TCTrayIcon::RemoveIcon()
{
    if (!added_) return;
    Notify(NIM_DELETE);
    added_ = false;
}

void TCTrayIcon::NextFrame()
{
    if (!icons_ || icons_->Count() == 0) return;
    iconIndex_ = (std::max(0, iconIndex_) + 1) % icons_->Count();
    UpdateIcon();
}

bool TCTrayIcon::HandleMessage(TMessage& message)
{
    if (message.Msg == CallbackMessage) {
        switch (static_cast<UINT>(LOWORD(message.LParam))) {
        case WM_LBUTTONUP:
            if (OnClick) OnClick(this);
            break;
        case WM_LBUTTONDBLCLK:
            if (restoreOnDblClick_) Restore();
            if (OnDblClick) OnDblClick(this);
            break;
        default: break;
        }
        message.Result = 0;
        return true;
    }
    if (message.Msg == kMinimizeMessage) {
        TCustomForm* form = TargetForm();
        if (form && form->HandleAllocated() && IsIconic(form->Handle())) Minimize();
        return true;
    }
    if (taskbarCreated_ != 0 && message.Msg == taskbarCreated_) {
        // A new task bar knows nothing of the icon.
        added_ = false;
        if (visible_) AddIcon();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Minimising to the tray

TCustomForm* TCTrayIcon::TargetForm() const
{
    if (hook_ && hook_->Form) return hook_->Form;
    if (auto* form = dynamic_cast<TCustomForm*>(Owner())) return form;
    return Application ? Application->MainForm() : nullptr;
}

void TCTrayIcon::Minimize()
{
    TCustomForm* form = TargetForm();
    if (!form) return;
    form->Hide();
    if (visible_ && !added_) AddIcon();
}

void TCTrayIcon::Restore()
{
    TCustomForm* form = TargetForm();
    if (!form) return;
    form->SetWindowState(wsNormal);
    form->Show();
    if (form->HandleAllocated()) {
        if (IsIconic(form->Handle())) ShowWindow(form->Handle(), SW_RESTORE);
        SetForegroundWindow(form->Handle());
    }
}

void TCTrayIcon::FormMessage(const TMessage& message)
{
    if (message.Msg == WM_SIZE && message.WParam == SIZE_MINIMIZED && minimizeToTray_)
        PostMessageW(window_, kMinimizeMessage, 0, 0);
}

void TCTrayIcon::HookForm()
{
    if (hook_) return;
    TCustomForm* form = TargetForm();
    if (!form) return;
    hook_ = new FormHook;
    hook_->Form = form;
    hook_->Owner = this;
    hook_->Previous = form->WindowProc;
    form->WindowProc = TWndMethod(hook_, &FormHook::Proc);
    if (form != Owner()) form->FreeNotification(this);
}

void TCTrayIcon::UnhookForm()
{
    if (!hook_) return;
    FormHook* hook = hook_;
    hook_ = nullptr;
    hook->Owner = nullptr;
    TCustomForm* form = hook->Form;
    if (!form) {
        delete hook; // the form is gone, and its window with it
        return;
    }
    if (form->ComponentState().Contains(csDestroying)) {
        // The form is on its way out; once its window is gone nothing calls the hook.
        if (!form->HandleAllocated()) delete hook;
        return;
    }
    if (form->WindowProc == TWndMethod(hook, &FormHook::Proc)) {
        form->WindowProc = hook->Previous;
        delete hook;
    }
    // Otherwise a later subclasser still calls the hook: it stays, forwarding only.
}

// ---------------------------------------------------------------------------------------------

void RegisterTrayIconClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    const UnicodeString t = L"TCTrayIcon";
    RegisterPublishedClass(t, L"TComponent");
    RegisterPublishedProperty(t, OrdProp(L"Visible", pkBool, &TCTrayIcon::Visible, &TCTrayIcon::SetVisible, int64_t{0}));
    RegisterPublishedProperty(t, StrProp(L"Hint", &TCTrayIcon::Hint, &TCTrayIcon::SetHint, UnicodeString()));
    RegisterPublishedProperty(t, ObjProp(L"Icons", &TCTrayIcon::Icons, &TCTrayIcon::SetIcons, L"Image list expected",
                                         TNilObject::Pass));
    RegisterPublishedProperty(t, OrdProp(L"IconIndex", pkInteger, &TCTrayIcon::IconIndex, &TCTrayIcon::SetIconIndex, int64_t{0}));
    RegisterPublishedProperty(t, OrdProp(L"Animate", pkBool, &TCTrayIcon::Animate, &TCTrayIcon::SetAnimate, int64_t{0}));
    RegisterPublishedProperty(t, OrdProp(L"AnimateInterval", pkInteger, &TCTrayIcon::AnimateInterval,
                                         &TCTrayIcon::SetAnimateInterval, int64_t{1000}));
    RegisterPublishedProperty(t, OrdProp(L"MinimizeToTray", pkBool, &TCTrayIcon::MinimizeToTray,
                                         &TCTrayIcon::SetMinimizeToTray, int64_t{0}));
    RegisterPublishedProperty(t, OrdProp(L"RestoreOnDblClick", pkBool, &TCTrayIcon::RestoreOnDblClick,
                                         &TCTrayIcon::SetRestoreOnDblClick, int64_t{1}));
    RegisterPublishedProperty(t, EventProp(L"OnClick", &TCTrayIcon::OnClick));
    RegisterPublishedProperty(t, EventProp(L"OnDblClick", &TCTrayIcon::OnDblClick));
    RegisterComponentClass<TCTrayIcon>(t);
}
