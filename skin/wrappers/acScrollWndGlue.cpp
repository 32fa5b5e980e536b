// Window-system glue of the scrolling wrappers. The wrapper reserves the bars' room itself and
// paints them; Wine's default handling still paints its standard bars wherever the window has
// WS_HSCROLL/WS_VSCROLL: in WM_NCPAINT, in its hover handling over a bar (WM_NCMOUSEMOVE,
// WM_NCMOUSELEAVE) and in SetScrollInfo/SetScrollPos with redraw, at the client edge and with the
// system's width. So the two style bits are taken off while such a message is passed on, and
// after a scroll change the whole frame is painted again. On Windows the same code is harmless.
#include "acScrollWnd.h"

#include "sCommonData.h"

namespace {

// Takes both scroll-style bits off the window for its lifetime; the window hears nothing of it
// (the wrapper swallows WM_STYLECHANGING/WM_STYLECHANGED while bPreventStyleChange is set).
class BarStyleStrip {
public:
    BarStyleStrip(TacScrollWnd* sw, HWND wnd)
        : sw_(sw), wnd_(wnd), bars_(GetWindowLongPtrW(wnd, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)),
          prevent_(sw->bPreventStyleChange)
    {
        if (!bars_) return;
        sw_->bPreventStyleChange = true;
        SetWindowLongPtrW(wnd_, GWL_STYLE, GetWindowLongPtrW(wnd_, GWL_STYLE) & ~bars_);
    }
    ~BarStyleStrip()
    {
        if (!bars_) return;
        if (IsWindow(wnd_)) SetWindowLongPtrW(wnd_, GWL_STYLE, GetWindowLongPtrW(wnd_, GWL_STYLE) | bars_);
        sw_->bPreventStyleChange = prevent_;
    }
    BarStyleStrip(const BarStyleStrip&) = delete;
    BarStyleStrip& operator=(const BarStyleStrip&) = delete;

private:
    TacScrollWnd* sw_;
    HWND wnd_;
    LONG_PTR bars_;
    bool prevent_;
};

} // namespace

LRESULT PassOnWithoutBars(TacScrollWnd* sw, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    BarStyleStrip strip(sw, Wnd);
    return sw->CallPrevWndProc(Wnd, Msg, WParam, LParam);
}

bool PaintsSystemBars(UINT Msg, WPARAM WParam)
{
    switch (Msg) {
    case WM_NCPAINT:
    case WM_NCMOUSELEAVE: return true;
    case WM_NCMOUSEMOVE: return WParam == HTHSCROLL || WParam == HTVSCROLL;
    default: return false;
    }
}

void RepaintScrollFrame(TacScrollWnd* sw)
{
    if (!sw || !sw->CtrlHandle || !IsWindowVisible(sw->CtrlHandle)) return;
    // Region 1: the whole window; the wrapper paints the bars and the corner box, the previous
    // procedure (without the scroll styles) the border.
    SendMessageW(sw->CtrlHandle, WM_NCPAINT, 1, 0);
}
