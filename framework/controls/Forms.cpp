#include "Forms.h"

#include "Buttons.h"
#include "ComCtrls.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Files.h"
#include "Grids.h"
#include "OpenDialogs.h"
#include "StdCtrls.h"
#include "Threads.h"
#include "Timers.h"
#include "TrayIcon.h"
#include "WinXCtrls.h"

#include <algorithm>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

THelpViewer helpViewer = nullptr;
// The application's wake-up window, read by worker threads through WakeMainThread.
std::atomic<HWND> wakeWindow{nullptr};

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

bool DefaultHelpViewer(HWND owner, const UnicodeString& helpFile, WORD command, intptr_t data)
{
    using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    constexpr UINT hhDisplayTopic = 0x0000;
    constexpr UINT hhHelpContext = 0x000F;
    static HMODULE module = LoadLibraryW(L"hhctrl.ocx");
    if (!module) return false;
    auto proc = reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpW")));
    if (!proc) return false;
    UINT hhCommand = hhDisplayTopic;
    DWORD_PTR hhData = 0;
    if (command == HELP_CONTEXT || command == HELP_CONTEXTPOPUP) {
        hhCommand = hhHelpContext;
        hhData = static_cast<DWORD_PTR>(data);
    }
    proc(owner, helpFile.c_str(), hhCommand, hhData);
    return true;
}

struct DisabledWindows {
    HWND except;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableWindowProc(HWND window, LPARAM param)
{
    auto* list = reinterpret_cast<DisabledWindows*>(param);
    if (window != list->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        list->windows.push_back(window);
    }
    return TRUE;
}

// Fires a form's event; an exception from the handler is reported instead of passed on.
void FireReported(const TNotifyEvent& event, TCustomForm* form)
{
    if (!event) return;
    try {
        event(form);
    } catch (...) {
        HandleCallbackException(form);
    }
}

} // namespace

void HandleCallbackException(TObject* sender)
{
    if (Application) {
        Application->HandleException(sender);
        return;
    }
    try {
        throw;
    } catch (const Exception& e) {
        OutputDebugStringW(e.Message().c_str());
    } catch (...) {
    }
}

THelpViewer SetHelpViewer(THelpViewer viewer)
{
    THelpViewer previous = helpViewer ? helpViewer : &DefaultHelpViewer;
    helpViewer = viewer;
    return previous;
}

// ---------------------------------------------------------------------------------------------
// TCustomForm

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TCanvas>())
{
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    SetVisible(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
    if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
    Destroying();
    // While the form is still a form: the client destroys an MDI child (and activates the next).
    if (HandleAllocated() && formState_.Contains(fsCreatedMDIChild)) DestroyHandle();
    if (Screen) Screen->RemoveForm(this);
    if (Application && Application->mainForm_ == this) Application->mainForm_ = nullptr;
    try {
        DestroyComponents();
    } catch (...) {
    }
    activeControl_ = nullptr;
    focusedControl_ = nullptr;
}

void TCustomForm::ReadDefinition(const UnicodeString& resourceName, HINSTANCE instance)
{
    ReadDefinitionText(LoadFormDefinitionResource(resourceName, instance));
}

void TCustomForm::ReadDefinitionText(const UnicodeString& text)
{
    // A program's own form class publishes what TForm publishes.
    if (!IsPublishedClass(ClassName())) RegisterPublishedClass(ClassName(), L"TForm");
    TReader reader(this, &methods_, &fields_);
    reader.ReadRootComponent(text);
    AfterConstruction();
}

void TCustomForm::AfterConstruction()
{
    if (created_) return;
    created_ = true;
    DoCreate();
}

void TCustomForm::BeforeDestruction()
{
    if (destroyed_) return;
    destroyed_ = true;
    DoDestroy();
}

void TCustomForm::DoCreate() { FireReported(OnCreate, this); }

void TCustomForm::DoDestroy() { FireReported(OnDestroy, this); }

void TCustomForm::DoShow() { FireReported(OnShow, this); }

void TCustomForm::DoHide() { FireReported(OnHide, this); }

void TCustomForm::DoClose(TCloseAction& action)
{
    if (OnClose) OnClose(this, action);
}

void TCustomForm::StyleFlags(DWORD& style, DWORD& exStyle) const
{
    style = WS_CLIPCHILDREN;
    exStyle = 0;
    bool caption = true;
    switch (borderStyle_) {
    case bsNone:
        style |= WS_POPUP;
        caption = false;
        break;
    case bsSingle: style |= WS_CAPTION; break;
    case bsSizeable: style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
        style |= WS_POPUP | WS_CAPTION;
        exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    case bsToolWindow:
        style |= WS_CAPTION;
        exStyle |= WS_EX_TOOLWINDOW;
        break;
    case bsSizeToolWin:
        style |= WS_CAPTION | WS_THICKFRAME;
        exStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    if (caption && borderIcons_.Contains(biSystemMenu)) {
        style |= WS_SYSMENU;
        if (borderStyle_ == bsSingle || borderStyle_ == bsSizeable) {
            if (borderIcons_.Contains(biMinimize)) style |= WS_MINIMIZEBOX;
            if (borderIcons_.Contains(biMaximize)) style |= WS_MAXIMIZEBOX;
        }
        // The title bar has no room for the help button beside minimise and maximise boxes:
        // it appears only on a caption without them.
        if (borderIcons_.Contains(biHelp) && !(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) exStyle |= WS_EX_CONTEXTHELP;
    }
    if (formStyle_ == fsStayOnTop) exStyle |= WS_EX_TOPMOST;
}

std::unique_ptr<TBitmap> TCustomForm::GetFormImage()
{
    const TRect client = ClientRect();
    auto image = std::make_unique<TBitmap>(client.Width(), client.Height(), pf32bit);
    if (image->Empty()) return image;
    HDC dc = image->Canvas()->Handle();
    const int saved = SaveDC(dc);
    PaintTo(dc, 0, 0);
    RestoreDC(dc, saved);
    return image;
}

TCustomFrame::TCustomFrame(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
}

void TCustomForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    DWORD style = 0;
    DWORD exStyle = 0;
    StyleFlags(style, exStyle);
    params.Style = style;
    params.ExStyle = exStyle;
    if (!Enabled()) params.Style |= WS_DISABLED;
    params.WndParent = ParentWindow();
    if (Application) {
        TCustomForm* mainForm = Application->MainForm();
        if (Application->MainFormOnTaskBar()) {
            if (!mainForm || mainForm == this)
                params.ExStyle |= WS_EX_APPWINDOW;
            else
                params.WndParent = mainForm->Handle();
        } else {
            params.WndParent = Application->Handle();
        }
    }
    if (position_ == poDefault || position_ == poDefaultPosOnly) {
        params.X = CW_USEDEFAULT;
        params.Y = CW_USEDEFAULT;
    }
    params.WindowClass.style = CS_DBLCLKS;
    params.WindowClass.hIcon = LoadIconW(ModuleInstance(), L"MAINICON");
    if (!params.WindowClass.hIcon) params.WindowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    if (formStyle_ == fsMDIChild) MDIChildParams(params);
}

void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    if (formStyle_ == fsMDIForm) CreateMDIClient();
    ApplyLayered();
    ApplyMenu();
}

void TCustomForm::SetAlphaBlend(bool value)
{
    if (value == alphaBlend_) return;
    alphaBlend_ = value;
    ApplyLayered();
}

void TCustomForm::SetAlphaBlendValue(BYTE value)
{
    if (value == alphaBlendValue_) return;
    alphaBlendValue_ = value;
    ApplyLayered();
}

void TCustomForm::ApplyLayered()
{
    if (!HandleAllocated()) return;
    HWND window = Handle();
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (alphaBlend_) {
        if (!(exStyle & WS_EX_LAYERED)) SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        SetLayeredWindowAttributes(window, 0, alphaBlendValue_, LWA_ALPHA);
    } else if (exStyle & WS_EX_LAYERED) {
        SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
        RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

TRect TCustomForm::ClientRect()
{
    if (HandleAllocated()) return TWinControl::ClientRect();
    DWORD style = 0;
    DWORD exStyle = 0;
    StyleFlags(style, exStyle);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return Rect(0, 0, std::max<LONG>(0, Width() - (frame.right - frame.left)),
                std::max<LONG>(0, Height() - (frame.bottom - frame.top)));
}

void TCustomForm::PaintWindow(HDC dc)
{
    if (!OnPaint) return;
    const TCanvasDCScope scope(*canvas_, dc);
    OnPaint(this);
}

void TCustomForm::ApplyPosition()
{
    if (positioned_) return;
    positioned_ = true;
    TRect area;
    switch (position_) {
    case poScreenCenter: area = Screen ? Screen->WorkAreaRect() : TRect(); break;
    case poDesktopCenter: area = Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)); break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        if (main && main != this && main->HandleAllocated() && main->Visible())
            area = main->BoundsRect();
        else
            area = Screen ? Screen->WorkAreaRect() : TRect();
        break;
    }
    default: return;
    }
    if (area.IsEmpty()) return;
    SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2, Width(), Height());
}

void TCustomForm::CMShowingChanged(TMessage&)
{
    if (!HandleAllocated()) return;
    if (Showing()) {
        // Read by code that reacts to the window appearing (the skin library's MDI children).
        formState_ << fsShowing;
        try {
            ApplyPosition();
            DoShow();
            int command = SW_SHOWNORMAL;
            if (windowState_ == wsMaximized) command = SW_SHOWMAXIMIZED;
            if (windowState_ == wsMinimized) command = SW_SHOWMINIMIZED;
            ShowWindow(Handle(), command);
            // A child shown is the client's active child, as one made by WM_MDICREATE.
            if (formState_.Contains(fsCreatedMDIChild) && windowState_ != wsMinimized)
                SendMessageW(GetParent(Handle()), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(Handle()), 0);
        } catch (...) {
            formState_ >> fsShowing;
            throw;
        }
        formState_ >> fsShowing;
        formState_ << fsVisible;
    } else {
        DoHide();
        ShowWindow(Handle(), SW_HIDE);
        formState_ >> fsVisible;
    }
}

void TCustomForm::Show()
{
    const bool wasVisible = Visible();
    SetVisible(true);
    if (wasVisible && HandleAllocated()) {
        SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(Handle());
    }
}

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || !Enabled() || formState_.Contains(fsModal) || formStyle_ == fsMDIChild)
        throw EInvalidOperation(L"Cannot make a visible window modal");
    if (!Application) throw EInvalidOperation(L"No application object");
    if (HWND capture = GetCapture()) {
        SendMessageW(capture, WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    HandleNeeded();
    formState_ << fsModal;
    const HWND previousActive = GetActiveWindow();
    DisabledWindows disabled{Handle(), {}};
    EnumThreadWindows(GetCurrentThreadId(), &DisableWindowProc, reinterpret_cast<LPARAM>(&disabled));
    auto restore = [&] {
        for (HWND w : disabled.windows)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        if (previousActive && IsWindow(previousActive)) SetActiveWindow(previousActive);
        formState_ >> fsModal;
    };
    TModalResult result = mrNone;
    try {
        modalResult_ = mrNone;
        Show();
        do {
            Application->HandleMessage();
            if (Application->Terminated())
                modalResult_ = mrCancel;
            else if (modalResult_ != mrNone)
                CloseModal();
        } while (modalResult_ == mrNone);
        result = modalResult_;
        restore();
        Hide();
    } catch (...) {
        restore();
        try {
            Hide();
        } catch (...) {
        }
        throw;
    }
    return result;
}

void TCustomForm::CloseModal()
{
    try {
        TCloseAction action = caNone;
        if (CloseQuery()) {
            action = caHide;
            DoClose(action);
        }
        if (action == caNone) modalResult_ = mrNone;
        else if (action == caFree) Release();
    } catch (...) {
        modalResult_ = mrNone;
        HandleCallbackException(this);
    }
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (formState_.Contains(fsModal)) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this)
        Application->Terminate();
    else if (action == caHide)
        Hide();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Release();
}

void TCustomForm::Release()
{
    PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::SetBorderIcons(TBorderIcons value)
{
    if (borderIcons_ == value) return;
    borderIcons_ = value;
    RecreateWnd();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value)
{
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    RecreateWnd();
}

void TCustomForm::SetWindowState(TWindowState value)
{
    if (windowState_ == value) return;
    windowState_ = value;
    if (HandleAllocated() && Showing())
        ShowWindow(Handle(), value == wsMaximized ? SW_MAXIMIZE : value == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

void TCustomForm::SetFormStyle(TFormStyle value)
{
    if (formStyle_ == value) return;
    const bool topChanged = (formStyle_ == fsStayOnTop) != (value == fsStayOnTop);
    const bool mdiChanged = formStyle_ == fsMDIForm || formStyle_ == fsMDIChild || value == fsMDIForm || value == fsMDIChild;
    formStyle_ = value;
    // An MDI frame needs its client window, a child its place in one: both come with a new window.
    if (mdiChanged && HandleAllocated()) {
        RecreateWnd();
        return;
    }
    if (topChanged && HandleAllocated())
        SetWindowPos(Handle(), value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (activeControl_ == control) return;
    if (control) {
        const bool loading = ComponentState().Contains(csLoading);
        if (control == this || ::GetParentForm(control) != this || (!loading && !control->CanFocus()))
            throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
    }
    activeControl_ = control;
    if (control && active_ && HandleAllocated() && Showing()) ::SetFocus(control->Handle());
}

void TCustomForm::FocusControl(TWinControl* control)
{
    activeControl_ = control;
    if (HandleAllocated() && Showing()) ::SetFocus(control->Handle());
}

void TCustomForm::SetFocusedControl(TWinControl* control)
{
    if (focusedControl_ == control) return;
    TWinControl* previous = focusedControl_;
    focusedControl_ = control;
    activeControl_ = control;
    if (previous) {
        previous->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(control));
        previous->Perform(CM_EXIT, 0, 0);
    }
    if (control) control->Perform(CM_ENTER, 0, 0);
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
}

void TCustomForm::ControlDestroying(TWinControl* control)
{
    if (activeControl_ == control) activeControl_ = nullptr;
    if (focusedControl_ == control) focusedControl_ = nullptr;
}

void TCustomForm::WndProc(TMessage& message)
{
    if (message.Msg == CM_RELEASE) {
        BeforeDestruction();
        delete this;
        return;
    }
    if (DispatchMenuOwnerDraw(message)) return;
    TWinControl::WndProc(message);
}

void TCustomForm::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE: WMClose(message); return;
    case WM_HELP: WMHelp(message); return;
    case WM_ACTIVATE: WMActivate(message); return;
    case WM_CANCELMODE: WMCancelMode(message); return;
    case WM_COMMAND:
        // A menu item's click: no control window and no notification code.
        if (message.LParam == 0 && HIWORD(message.WParam) == 0 && menu_ && menu_->DispatchCommand(LOWORD(message.WParam)))
            return;
        break;
    case WM_ACTIVATEAPP:
        if (Application) Application->active_ = message.WParam != 0;
        break;
    default: break;
    }
    TWinControl::Dispatch(message);
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::WMHelp(TMessage& message)
{
    const auto* info = reinterpret_cast<const HELPINFO*>(message.LParam);
    message.Result = TRUE;
    if (!info) return;
    int context = 0;
    if (info->iContextType == HELPINFO_WINDOW) {
        TControl* control = FindControl(static_cast<HWND>(info->hItemHandle));
        if (!control) control = this;
        for (; control && context == 0; control = control->Parent()) context = control->HelpContext();
    } else {
        context = static_cast<int>(info->dwContextId);
    }
    if (context != 0 && Application) Application->InvokeHelp(this, HELP_CONTEXT, context);
}

void TCustomForm::WMActivate(TMessage& message)
{
    const bool activating = LOWORD(message.WParam) != WA_INACTIVE;
    active_ = activating;
    if (activating) {
        formState_ << fsActivated;
        if (Screen) Screen->SetActiveForm(this);
        if (OnActivate) OnActivate(this);
        TWinControl* target = activeControl_;
        if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true, true, false);
        if (target && target->CanFocus()) {
            ::SetFocus(target->Handle());
            message.Result = 0;
            return;
        }
    } else {
        if (TWinControl* focused = FindControl(GetFocus()); focused && ::GetParentForm(focused) == this && focused != this)
            activeControl_ = focused;
        if (OnDeactivate) OnDeactivate(this);
    }
    DefaultHandler(message);
}

void TCustomForm::WMCancelMode(TMessage& message)
{
    if (activeControl_) activeControl_->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(this));
    DefaultHandler(message);
}

void TCustomForm::CMDialogKey(TMessage& message)
{
    const WORD key = static_cast<WORD>(message.WParam);
    if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
        TWinControl* current = FindControl(GetFocus());
        if (!current || ::GetParentForm(current) != this) current = activeControl_;
        SelectNext(current, GetKeyState(VK_SHIFT) >= 0, true);
        message.Result = 1;
        return;
    }
    TWinControl::CMDialogKey(message);
}

// ---------------------------------------------------------------------------------------------
// TApplication

TApplication::TApplication(TComponent* owner) : TComponent(owner)
{
    InitMainThread();
    handle_ = AllocateHWnd([this](TMessage& message) {
        if (CallMainWindowHooks(message)) return true;
        // Owner-drawn items of a pop-up menu tracked with this window as owner.
        if (DispatchMenuOwnerDraw(message)) return true;
        WakeUpWndProc(message);
        return message.Msg == WM_NULL || message.Msg == WM_CLOSE;
    }, true);
    wakeWindow.store(handle_);
    // Set once: worker threads may call it at any time, and it always reads the current window.
    static const bool hooked = [] {
        WakeMainThread = [] {
            if (HWND window = wakeWindow.load()) PostMessageW(window, WM_NULL, 0, 0);
        };
        return true;
    }();
    (void)hooked;
    const UnicodeString exe = ParamStr(0);
    const size_t slash = exe.find_last_of(L"\\/");
    UnicodeString name = slash == UnicodeString::npos ? exe : exe.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != UnicodeString::npos) name.resize(dot);
    SetTitle(name);
}

TApplication::~TApplication()
{
    wakeWindow.store(nullptr);
    // Every form hears OnDestroy while all of them still exist.
    for (int i = ComponentCount() - 1; i >= 0; --i)
        if (auto* form = dynamic_cast<TCustomForm*>(Components(i))) form->BeforeDestruction();
    try {
        DestroyComponents();
    } catch (...) {
    }
    mainForm_ = nullptr;
    DeallocateHWnd(handle_);
}

void TApplication::HookMainWindow(const TWindowHook& hook)
{
    if (!hook || std::find(hooks_.begin(), hooks_.end(), hook) != hooks_.end()) return;
    hooks_.push_back(hook);
}

void TApplication::UnhookMainWindow(const TWindowHook& hook)
{
    hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end());
}

bool TApplication::IsMainWindowHooked(const TWindowHook& hook) const
{
    return std::find(hooks_.begin(), hooks_.end(), hook) != hooks_.end();
}

bool TApplication::CallMainWindowHooks(TMessage& message)
{
    if (hooks_.empty()) return false;
    // A hook may unhook itself or others (an owner being freed): walk a copy, skip the gone.
    const std::vector<TWindowHook> hooks = hooks_;
    for (const TWindowHook& hook : hooks) {
        if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end()) continue;
        if (hook(message)) return true;
    }
    return false;
}

void TApplication::WakeUpWndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_NULL: CheckSynchronize(); break;
    case WM_ACTIVATEAPP: active_ = message.WParam != 0; break;
    case WM_CLOSE:
        if (mainForm_) mainForm_->Close();
        break;
    default: break;
    }
}

void TApplication::Initialize() {}

void TApplication::SetTitle(const UnicodeString& value)
{
    title_ = value;
    if (handle_) SetWindowTextW(handle_, value.c_str());
}

void TApplication::FormCreated(TCustomForm* form)
{
    if (!form) return;
    form->AfterConstruction();
    if (!mainForm_) {
        mainForm_ = form;
        form->HandleNeeded();
    }
}

UnicodeString TApplication::ExeName() const { return ParamStr(0); }

void TApplication::Minimize()
{
    if (mainForm_ && mainForm_->HandleAllocated() && !IsIconic(mainForm_->Handle()))
        ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
}

void TApplication::Restore()
{
    if (mainForm_ && mainForm_->HandleAllocated() && IsIconic(mainForm_->Handle()))
        ShowWindow(mainForm_->Handle(), SW_RESTORE);
}

void TApplication::Run()
{
    if (!mainForm_) return;
    if (showMainForm_) mainForm_->Show();
    while (!terminated_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

bool TApplication::IsKeyMsg(MSG& msg)
{
    UINT reflected = 0;
    switch (msg.message) {
    case WM_KEYDOWN: reflected = CN_KEYDOWN; break;
    case WM_KEYUP: reflected = CN_KEYUP; break;
    case WM_CHAR: reflected = CN_CHAR; break;
    case WM_SYSKEYDOWN: reflected = CN_SYSKEYDOWN; break;
    case WM_SYSCHAR: reflected = CN_SYSCHAR; break;
    default: return false;
    }
    HWND window = GetCapture() ? GetCapture() : msg.hwnd;
    TWinControl* control = nullptr;
    for (HWND w = window; w && !control; w = GetAncestor(w, GA_PARENT)) control = FindControl(w);
    if (!control) return false;
    return control->Perform(reflected, msg.wParam, msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    HintMouseMessage(msg);
    // Ctrl+F4, Ctrl+F6 and Alt+- of the MDI children.
    if (mainForm_ && mainForm_->clientHandle_ && TranslateMDISysAccel(mainForm_->clientHandle_, &msg)) return true;
    if (!IsKeyMsg(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void TApplication::Idle()
{
    bool ran = false;
    try {
        ran = CheckSynchronize();
    } catch (...) {
        ran = true;
        HandleException(this);
    }
    if (!ran) WaitMessage();
}

void TApplication::HandleMessage()
{
    MSG msg{};
    if (!ProcessMessage(msg)) Idle();
}

void TApplication::ProcessMessages()
{
    MSG msg{};
    while (ProcessMessage(msg)) {
    }
    CheckSynchronize();
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(TObject* sender)
{
    std::exception_ptr current = std::current_exception();
    if (!current) return;
    auto report = [&](const Exception& e) {
        if (OnException) {
            try {
                OnException(sender, e);
            } catch (...) {
            }
        } else {
            ShowException(e);
        }
    };
    try {
        std::rethrow_exception(current);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        report(e);
    } catch (const std::exception& e) {
        report(Exception(AnsiToUnicode(e.what())));
    } catch (...) {
        report(Exception(L""));
    }
}

void TApplication::ShowException(const Exception& e)
{
    UnicodeString text = e.Message();
    if (!text.empty() && text.back() > L'.') text += L'.';
    TDialogRequest request;
    request.Kind = dkException;
    request.Caption = title_;
    request.Text = text;
    request.DlgType = mtError;
    request.Buttons = {mbOK};
    request.Flags = MB_OK | MB_ICONSTOP;
    ExecuteDialog(std::move(request));
}

int TApplication::MessageBox(const UnicodeString& text, const UnicodeString& caption, UINT flags)
{
    TDialogRequest request;
    request.Kind = dkMessageBox;
    request.Caption = caption;
    request.Text = text;
    request.Flags = flags;
    return ExecuteDialog(std::move(request));
}

bool TApplication::HelpContext(int context) { return HelpCommand(HELP_CONTEXT, context); }

bool TApplication::HelpCommand(WORD command, intptr_t data)
{
    return InvokeHelp(Screen ? Screen->ActiveForm() : nullptr, command, data);
}

UnicodeString TApplication::CurrentHelpFile(TCustomForm* form) const
{
    if (form && !form->HelpFile().empty()) return form->HelpFile();
    return helpFile_;
}

bool TApplication::InvokeHelp(TCustomForm* form, WORD command, intptr_t data)
{
    bool callHelp = true;
    bool result = false;
    if (form && form->OnHelp)
        result = form->OnHelp(command, data, callHelp);
    else if (OnHelp)
        result = OnHelp(command, data, callHelp);
    if (!callHelp) return result;
    const UnicodeString file = CurrentHelpFile(form);
    if (file.empty()) return result;
    THelpViewer viewer = helpViewer ? helpViewer : &DefaultHelpViewer;
    HWND owner = form && form->HandleAllocated() ? form->Handle() : handle_;
    return viewer(owner, file, command, data);
}

// ---------------------------------------------------------------------------------------------
// TScreen

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

TScreen::~TScreen() = default;

TCustomForm* TScreen::Forms(int index) const
{
    if (index < 0 || index >= FormCount()) throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return forms_[static_cast<size_t>(index)];
}

int TScreen::PixelsPerInch() const { return ScreenPixelsPerInch(); }

TFont* TScreen::MessageFont()
{
    if (!messageFont_) {
        messageFont_ = std::make_unique<TFont>();
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
            messageFont_->SetHandle(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    return messageFont_.get();
}
int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::WorkAreaRect() const
{
    RECT r{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) r = RECT{0, 0, Width(), Height()};
    return r;
}

void TScreen::SetCursor(TCursor value)
{
    if (cursor_ == value) return;
    cursor_ = value;
    if (HCURSOR h = CursorHandle(value)) {
        ::SetCursor(h);
    } else {
        POINT p{};
        if (GetCursorPos(&p)) SetCursorPos(p.x, p.y); // lets the window under the mouse choose again
    }
}

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form)
{
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (activeForm_ == form) activeForm_ = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* form) { activeForm_ = form; }

// ---------------------------------------------------------------------------------------------
// Start-up

void InitControls()
{
    RegisterControlsClasses();
    RegisterFormsClasses();
    RegisterStdCtrlsClasses();
    RegisterStdCtrlsWidgetClasses();
    RegisterExtCtrlsClasses();
    RegisterButtonsClasses();
    RegisterComCtrlsClasses();
    RegisterGridsClasses();
    RegisterWinXCtrlsClasses();
    RegisterOpenDialogsClasses();
    RegisterTrayIconClasses();
    RegisterTimerClasses();
    RegisterMenusClasses();
    if (!Screen) Screen = new TScreen(nullptr);
    if (!Application) Application = new TApplication(nullptr);
}

void DoneControls()
{
    delete Application;
    Application = nullptr;
    delete Screen;
    Screen = nullptr;
}

void RegisterFormsClasses()
{
    static bool done = false;
    if (done) return;
    done = true;

    static const TEnumTypeInfo borderIconInfo{{L"biSystemMenu", L"biMinimize", L"biMaximize", L"biHelp"}, 0};
    static const TEnumTypeInfo borderStyleInfo{
        {L"bsNone", L"bsSingle", L"bsSizeable", L"bsDialog", L"bsToolWindow", L"bsSizeToolWin"}, 0};
    static const TEnumTypeInfo positionInfo{{L"poDesigned", L"poDefault", L"poDefaultPosOnly", L"poDefaultSizeOnly",
                                             L"poScreenCenter", L"poDesktopCenter", L"poMainFormCenter",
                                             L"poOwnerFormCenter"},
                                            0};
    static const TEnumTypeInfo windowStateInfo{{L"wsNormal", L"wsMinimized", L"wsMaximized"}, 0};
    static const TEnumTypeInfo formStyleInfo{{L"fsNormal", L"fsMDIChild", L"fsMDIForm", L"fsStayOnTop"}, 0};

    const UnicodeString c = L"TCustomForm";
    RegisterPublishedClass(c, L"TWinControl");
    RegisterPublishedProperty(c, OrdProp(L"BorderIcons", pkSet, &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
                                         std::nullopt, &borderIconInfo));
    RegisterPublishedProperty(c, OrdProp(L"BorderStyle", pkEnum, &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle,
                                         int64_t{bsSizeable}, &borderStyleInfo));
    RegisterPublishedProperty(c, OrdProp(L"Position", pkEnum, &TCustomForm::Position, &TCustomForm::SetPosition,
                                         int64_t{poDesigned}, &positionInfo));
    RegisterPublishedProperty(c, OrdProp(L"WindowState", pkEnum, &TCustomForm::WindowState,
                                         &TCustomForm::SetWindowState, int64_t{wsNormal}, &windowStateInfo));
    RegisterPublishedProperty(c, OrdProp(L"FormStyle", pkEnum, &TCustomForm::FormStyle, &TCustomForm::SetFormStyle,
                                         int64_t{fsNormal}, &formStyleInfo));
    RegisterPublishedProperty(c, OrdProp(L"KeyPreview", pkBool, &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview,
                                         int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"Scaled", pkBool, &TCustomForm::Scaled, &TCustomForm::SetScaled, int64_t{1}));
    RegisterPublishedProperty(c, OrdProp(L"AlphaBlend", pkBool, &TCustomForm::AlphaBlend, &TCustomForm::SetAlphaBlend,
                                         int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"AlphaBlendValue", pkInteger, &TCustomForm::AlphaBlendValue,
                                         &TCustomForm::SetAlphaBlendValue, int64_t{255}));
    RegisterPublishedProperty(c, StrProp(L"HelpFile", &TCustomForm::HelpFile, &TCustomForm::SetHelpFile,
                                         UnicodeString()));
    RegisterPublishedProperty(c, ObjProp(L"ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl,
                                         L"ActiveControl must be a windowed control", TNilObject::Pass));
    RegisterFormMenuProperty();
    RegisterPublishedProperty(c, EventProp(L"OnCreate", &TCustomForm::OnCreate));
    RegisterPublishedProperty(c, EventProp(L"OnDestroy", &TCustomForm::OnDestroy));
    RegisterPublishedProperty(c, EventProp(L"OnShow", &TCustomForm::OnShow));
    RegisterPublishedProperty(c, EventProp(L"OnHide", &TCustomForm::OnHide));
    RegisterPublishedProperty(c, EventProp(L"OnActivate", &TCustomForm::OnActivate));
    RegisterPublishedProperty(c, EventProp(L"OnDeactivate", &TCustomForm::OnDeactivate));
    RegisterPublishedProperty(c, EventProp(L"OnPaint", &TCustomForm::OnPaint));
    RegisterPublishedProperty(c, EventProp(L"OnClose", &TCustomForm::OnClose));
    RegisterPublishedProperty(c, EventProp(L"OnCloseQuery", &TCustomForm::OnCloseQuery));
    RegisterPublishedProperty(c, EventProp(L"OnHelp", &TCustomForm::OnHelp));
    RegisterPublishedClass(L"TForm", c);
    RegisterComponentClass<TForm>(L"TForm");

    static constexpr std::pair<const wchar_t*, int> modalResults[] = {
        {L"mrNone", mrNone}, {L"mrOk", mrOk}, {L"mrCancel", mrCancel}, {L"mrAbort", mrAbort},
        {L"mrRetry", mrRetry}, {L"mrIgnore", mrIgnore}, {L"mrYes", mrYes}, {L"mrNo", mrNo},
        {L"mrClose", mrClose}, {L"mrHelp", mrHelp}, {L"mrTryAgain", mrTryAgain}, {L"mrContinue", mrContinue},
        {L"mrAll", mrAll}, {L"mrNoToAll", mrNoToAll}, {L"mrYesToAll", mrYesToAll},
    };
    for (const auto& [name, value] : modalResults) RegisterIntegerConstant(name, value);
}
