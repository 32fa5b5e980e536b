#include "HintWindow.h"

#include "Forms.h"
#include "Themes.h"

#include <algorithm>

namespace {
constexpr int kMargin = 2; // between the border and the text
constexpr UINT kTextFlags = DT_LEFT | DT_NOPREFIX | DT_WORDBREAK;
} // namespace

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner)
{
    SetVisible(false);
    SetColor(clInfoBk);
    Font()->SetColor(clInfoText);
    SetParentFont(false);
}

void THintWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.WndParent = Application ? Application->Handle() : nullptr;
    params.WindowClass.style |= CS_SAVEBITS;
}

THintWindow* PlainHintWindow(TComponent* owner) { return new THintWindow(owner); }

THintWindowClass HintWindowClass = &PlainHintWindow;

TRect THintWindow::CalcHintRect(int maxWidth, const UnicodeString& text, void*)
{
    HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, Font()->Handle());
    RECT r{0, 0, std::max(1, maxWidth), 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.length()), &r, kTextFlags | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    // Border (one pixel each side) and the margins.
    return TRect(0, 0, r.right + 2 * (kMargin + 1) + 2, r.bottom + 2 * (kMargin + 1));
}

void THintWindow::ActivateHint(const TRect& rect, const UnicodeString& text)
{
    SetCaption(text);
    TRect r = rect;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    const RECT wanted = r;
    if (GetMonitorInfoW(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &info)) {
        const TRect m = info.rcMonitor;
        r.Offset(std::min(0L, m.Right - r.Right), std::min(0L, m.Bottom - r.Bottom));
        r.Offset(std::max(0L, m.Left - r.Left), std::max(0L, m.Top - r.Top));
    }
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    HandleNeeded();
    SetWindowPos(Handle(), HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
}

void THintWindow::ReleaseHandle() { DestroyHandle(); }

void THintWindow::Paint()
{
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
    r.Left += kMargin + 1;
    r.Top += kMargin;
    const UnicodeString text = Caption();
    canvas->Font()->Assign(Font());
    SetBkMode(canvas->Handle(), TRANSPARENT);
    SetTextColor(canvas->Handle(), StyledColorToGdi(Font()->Color()));
    RECT rr = r;
    DrawTextW(canvas->Handle(), text.c_str(), static_cast<int>(text.length()), &rr, kTextFlags);
}

void THintWindow::WMNCHitTest(TMessage& message) { message.Result = HTTRANSPARENT; }

void THintWindow::Dispatch(TMessage& message)
{
    if (message.Msg == WM_NCHITTEST) {
        WMNCHitTest(message);
        return;
    }
    TCustomControl::Dispatch(message);
}
