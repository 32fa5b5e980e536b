// The stand-alone scroll bar over the SCROLLBAR class.
#include "StdCtrls.h"

#include <algorithm>

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner)
{
    // The window tracks its own mouse; the framework neither captures nor makes clicks of it.
    SetControlStyle({csFramed, csDoubleClicks, csOpaque});
    SetBounds(Left(), Top(), 121, GetSystemMetrics(SM_CYHSCROLL));
    SetTabStop(true);
}

void TScrollBar::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"SCROLLBAR");
    params.Style |= kind_ == sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::CreateWnd()
{
    TWinControl::CreateWnd();
    ApplyToWindow();
}

void TScrollBar::ApplyToWindow()
{
    if (!HandleAllocated()) return;
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, min_, max_, static_cast<UINT>(pageSize_),
                  position_, 0};
    SetScrollInfo(Handle(), SB_CTL, &si, TRUE);
}

void TScrollBar::SetKind(TScrollBarKind value)
{
    if (value == kind_) return;
    kind_ = value;
    if (!ComponentState().Contains(csLoading)) SetBounds(Left(), Top(), Height(), Width());
    if (HandleAllocated()) RecreateWnd();
}

void TScrollBar::SetPageSize(int value)
{
    value = std::clamp(value, 0, max_ - min_ + 1);
    if (value == pageSize_) return;
    pageSize_ = value;
    SetParams(position_, min_, max_);
    ApplyToWindow();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax)
{
    if (AMax < AMin) throw EInvalidOperation(L"Scroll bar property out of range");
    pageSize_ = std::min(pageSize_, AMax - AMin + 1);
    const int last = std::max(AMin, AMax - std::max(pageSize_ - 1, 0));
    APosition = std::clamp(APosition, AMin, last);
    const bool rangeChanged = AMin != min_ || AMax != max_;
    const bool moved = APosition != position_;
    min_ = AMin;
    max_ = AMax;
    position_ = APosition;
    if (HandleAllocated() && (rangeChanged || moved)) ApplyToWindow();
    if (moved) Change();
}

void TScrollBar::Change()
{
    Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this));
    if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(int scrollCode, int& scrollPos)
{
    if (OnScroll) OnScroll(this, scrollCode, scrollPos);
}

void TScrollBar::DoScroll(TMessage& message)
{
    const int code = LOWORD(message.WParam);
    int pos = position_;
    switch (code) {
    case SB_LINEUP: pos -= smallChange_; break;
    case SB_LINEDOWN: pos += smallChange_; break;
    case SB_PAGEUP: pos -= largeChange_; break;
    case SB_PAGEDOWN: pos += largeChange_; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        // The message carries 16 bits only; the window has the whole value.
        SCROLLINFO si{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        pos = HandleAllocated() && GetScrollInfo(Handle(), SB_CTL, &si) ? si.nTrackPos : HIWORD(message.WParam);
        break;
    }
    case SB_TOP: pos = min_; break;
    case SB_BOTTOM: pos = max_; break;
    default: break;
    }
    Scroll(code, pos);
    SetPosition(pos);
}

void TScrollBar::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
        DoScroll(message);
        message.Result = 0;
        return;
    default: break;
    }
    TWinControl::Dispatch(message);
}
