// The application's hints: the mouse resting on a control shows its hint after a pause, in the
// window the installed hint window factory makes; a click, a key, leaving the control or the
// hide pause hide it again. Screen.HintFont lives here too.
#include "Forms.h"

#include "HintWindow.h"
#include "Timers.h"

namespace {

// The distance from the mouse point to the bottom of the cursor: the hint goes below it.
int CursorHeightMargin()
{
    int margin = GetSystemMetrics(SM_CYCURSOR);
    if (HCURSOR cursor = GetCursor()) {
        ICONINFO info{};
        if (GetIconInfo(cursor, &info)) {
            margin -= static_cast<int>(info.yHotspot);
            if (info.hbmMask) DeleteObject(info.hbmMask);
            if (info.hbmColor) DeleteObject(info.hbmColor);
        }
    }
    return margin > 0 ? margin : GetSystemMetrics(SM_CYCURSOR);
}

// The control the mouse message is for: the windowed control of its window (or the nearest
// ancestor window we know), then its deepest windowless child under the point.
TControl* ControlOfMessage(const MSG& msg)
{
    TWinControl* windowed = nullptr;
    for (HWND w = msg.hwnd; w && !windowed; w = GetAncestor(w, GA_PARENT)) windowed = FindControl(w);
    if (!windowed) return nullptr;
    TControl* control = windowed;
    const TPoint screen(msg.pt.x, msg.pt.y);
    while (auto* parent = dynamic_cast<TWinControl*>(control)) {
        TControl* child = parent->ControlAtPos(parent->ScreenToClient(screen), true);
        if (!child || dynamic_cast<TWinControl*>(child)) break;
        control = child;
    }
    return control;
}

// The control whose hint setting applies: the first one up the parents with ShowHint.
TControl* HintControlOf(TControl* control)
{
    while (control && !control->ShowHint()) control = control->Parent();
    return control;
}

// The hint text: the control's own, else the nearest parent's.
UnicodeString HintOf(TControl* control)
{
    for (; control; control = control->Parent())
        if (!control->Hint().empty()) return control->Hint();
    return UnicodeString();
}

bool CancelsHint(UINT message)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_ACTIVATEAPP: return true;
    default: return false;
    }
}

} // namespace

void TApplication::SetShowHint(bool value)
{
    if (showHint_ == value) return;
    showHint_ = value;
    if (!value) {
        CancelHint();
        delete hintWindow_;
        hintWindow_ = nullptr;
    }
}

void TApplication::SetHintControl(TControl* control)
{
    if (control == hintControl_) return;
    if (hintControl_) hintControl_->RemoveFreeNotification(this);
    hintControl_ = control;
    if (control) control->FreeNotification(this);
}

void TApplication::ResetHintControl()
{
    SetHintControl(nullptr);
    hintActive_ = false;
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == hintWindow_) hintWindow_ = nullptr;
    if (component == hintTimer_) hintTimer_ = nullptr;
    if (component == hintControl_) {
        hintControl_ = nullptr;
        CancelHint();
    }
}

void TApplication::StartHintTimer(int ms, THintTimerMode mode)
{
    if (!hintTimer_) {
        hintTimer_ = new TTimer(this);
        hintTimer_->SetEnabled(false);
        hintTimer_->OnTimer = [this](TObject* sender) { HintTimerExpired(sender); };
    }
    hintTimer_->SetEnabled(false);
    hintTimerMode_ = mode;
    hintTimer_->SetInterval(static_cast<unsigned>(ms > 0 ? ms : 1));
    hintTimer_->SetEnabled(true);
}

void TApplication::StopHintTimer()
{
    if (hintTimer_) hintTimer_->SetEnabled(false);
}

void TApplication::HintTimerExpired(TObject*)
{
    StopHintTimer();
    if (hintTimerMode_ == THintTimerMode::Hide) {
        CancelHint();
        return;
    }
    POINT p{};
    GetCursorPos(&p);
    ActivateHint(TPoint(p.x, p.y));
}

void TApplication::HintMouseMessage(const MSG& msg)
{
    if (CancelsHint(msg.message)) {
        if (hintControl_ || hintActive_) CancelHint();
        return;
    }
    if (msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE) return;
    if (hintWindow_ && hintWindow_->HandleAllocated() && msg.hwnd == hintWindow_->Handle()) return;
    TControl* control = showHint_ ? HintControlOf(ControlOfMessage(msg)) : nullptr;
    if (!control) {
        if (hintControl_ || hintActive_) CancelHint();
        return;
    }
    const TPoint p(msg.pt.x, msg.pt.y);
    if (control == hintControl_ && (!hintActive_ || hintCursorRect_.Contains(p))) return;
    const int pause = hintActive_ ? hintShortPause_ : hintPause_;
    SetHintControl(control);
    StartHintTimer(pause, THintTimerMode::Show);
}

void TApplication::ActivateHint(const TPoint& cursorPos)
{
    TControl* control = hintControl_;
    if (!control || !showHint_) return;
    THintInfo info;
    info.HintControl = control;
    info.HintPos = TPoint(cursorPos.X, cursorPos.Y + CursorHeightMargin());
    info.HintMaxWidth = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
    info.CursorRect = control->ClientRect();
    info.CursorPos = control->ScreenToClient(cursorPos);
    info.HideTimeout = hintHidePause_;
    info.HintStr = HintOf(control);
    bool canShow = !info.HintStr.empty();
    if (OnShowHint) OnShowHint(info.HintStr, canShow, info);
    // The handler may have cleared the record (a hint component that shows hints its own way).
    if (!hintControl_) return;
    if (!canShow || info.HintStr.empty()) {
        if (hintWindow_) hintWindow_->ReleaseHandle();
        hintActive_ = false;
        hintCursorRect_ = TRect();
        return;
    }
    // A window of a class that is no longer installed makes way for one of the current class.
    if (hintWindow_ && hintWindowMadeBy_ != HintWindowClass) {
        delete hintWindow_;
        hintWindow_ = nullptr;
    }
    if (!hintWindow_) {
        hintWindow_ = HintWindowClass(this);
        hintWindowMadeBy_ = HintWindowClass;
    }
    TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    r.Offset(info.HintPos.X, info.HintPos.Y);
    hintActive_ = true;
    const TPoint origin = info.HintControl ? info.HintControl->ClientToScreen(TPoint(0, 0)) : TPoint(0, 0);
    hintCursorRect_ = info.CursorRect;
    hintCursorRect_.Offset(origin.X, origin.Y);
    hintWindow_->ActivateHint(r, info.HintStr);
    if (info.HideTimeout > 0)
        StartHintTimer(info.HideTimeout, THintTimerMode::Hide);
    else
        StopHintTimer();
}

void TApplication::CancelHint()
{
    StopHintTimer();
    if (hintWindow_ && hintWindow_->HandleAllocated()) hintWindow_->ReleaseHandle();
    hintActive_ = false;
    hintCursorRect_ = TRect();
    SetHintControl(nullptr);
}

TFont* TScreen::HintFont()
{
    if (!hintFont_) {
        hintFont_ = std::make_unique<TFont>();
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
            hintFont_->SetHandle(CreateFontIndirectW(&metrics.lfStatusFont));
    }
    return hintFont_.get();
}
