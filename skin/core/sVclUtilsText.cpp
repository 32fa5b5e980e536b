// Plain text, alignment and input helpers, the shared output window and the hint window calls.
#include "sVclUtils.h"

#include "Forms.h"
#include "HintWindow.h"
#include "acAlphaHints.h"
#include "acntUtils.h"

#include <algorithm>

UnicodeString GetPlainText(const UnicodeString& text)
{
    UnicodeString s = text;
    // A "<" without a ">" after it is text, and so is everything after it.
    for (;;) {
        const size_t open = s.find(L'<');
        if (open == UnicodeString::npos || open + 1 >= s.size()) break;
        const size_t close = s.find(L'>', open + 1);
        if (close == UnicodeString::npos) break;
        s.erase(open, close - open + 1);
    }
    return s;
}

UnicodeString GetWndText(HWND wnd)
{
    const int length = GetWindowTextLengthW(wnd);
    if (length <= 0) return UnicodeString();
    UnicodeString s(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(wnd, s.data(), length + 1);
    s.resize(static_cast<size_t>(std::clamp(copied, 0, length)));
    return s;
}

UnicodeString GetWndClassName(HWND wnd)
{
    std::array<wchar_t, 129> buffer{};
    const int length = GetClassNameW(wnd, buffer.data(), 128);
    return UnicodeString(buffer.data(), static_cast<size_t>(std::clamp(length, 0, 128)));
}

UINT GetStringFlags(TControl* control, TAlignment alignment)
{
    const UINT flags = AlignToInt[static_cast<size_t>(alignment)];
    return (control ? control->DrawTextBiDiModeFlags(flags) : flags) | DT_EXPANDTABS | DT_VCENTER;
}

TAlignment AlignmentFromInt(UINT value)
{
    if (value & 2) return taRightJustify;
    if (value & 1) return taCenter;
    return taLeftJustify;
}

TVerticalAlignment VertAlignmentFromInt(UINT value)
{
    if (value & 8) return taAlignBottom;
    if (value & 4) return taVerticalCenter;
    return taAlignTop;
}

bool AllEditSelected(TCustomEdit* edit)
{
    if (!edit || !edit->HandleAllocated()) return false;
    DWORD start = 0, end = 0;
    SendMessageW(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const auto length = static_cast<DWORD>(GetWindowTextLengthW(edit->Handle()));
    return end == length && end - start == length;
}

TShiftState GetShiftState()
{
    TShiftState result;
    if (GetAsyncKeyState(VK_SHIFT) < 0) result = result + TShiftState{ssShift};
    if (GetAsyncKeyState(VK_CONTROL) < 0) result = result + TShiftState{ssCtrl};
    if (GetAsyncKeyState(VK_MENU) < 0) result = result + TShiftState{ssAlt};
    return result;
}

std::unique_ptr<THintWindow> acShowHintWnd(const UnicodeString& text, const TPoint& p)
{
    // The hints manager keeps its own window.
    if (Manager && Manager->Active()) {
        Manager->ShowHint(p, text, Application ? static_cast<unsigned>(Application->HintHidePause()) : 0);
        return nullptr;
    }
    auto hint = std::make_unique<THintWindow>(Application);
    const TRect work = acWorkRect(p);
    TRect r = hint->CalcHintRect(std::max(1, static_cast<int>(work.Width())), text);
    r = OffsRect(r, p.X, p.Y);
    // Kept inside the work area of the point's monitor.
    const int dx = r.Right > work.Right ? work.Right - r.Right : 0;
    const int dy = r.Bottom > work.Bottom ? work.Bottom - r.Bottom : 0;
    r = OffsRect(r, dx, dy);
    r = OffsRect(r, std::max(0L, work.Left - r.Left), std::max(0L, work.Top - r.Top));
    hint->ActivateHint(r, text);
    return hint;
}

void acHideHintWnd(std::unique_ptr<THintWindow>& wnd)
{
    if (Manager && Manager->HintWindow) Manager->HideHint();
    wnd.reset();
}

// --- the shared output window

TOutputWindow* ow = nullptr;

TOutputWindow::TOutputWindow(TComponent* owner) : TCustomControl(owner)
{
    SetName(L"acOW" + std::to_wstring(GetTickCount()));
    SetVisible(false);
    SetColor(0xFF00FF);
}

void TOutputWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    if (Parent() || ParentWindow()) return;
    params.Style = WS_POPUP;
    if (auto* owner = dynamic_cast<TWinControl*>(Owner()); owner && owner->HandleAllocated() &&
                                                           (GetWindowLongPtrW(owner->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST))
        params.ExStyle |= WS_EX_TOPMOST;
    params.WndParent = Application ? Application->Handle() : nullptr;
}

void TOutputWindow::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND: message.Result = 1; return;
    case WM_NCPAINT: message.Result = 0; return;
    default: TCustomControl::Dispatch(message);
    }
}
