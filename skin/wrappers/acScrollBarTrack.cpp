// Operating the skinned scroll bars: the room they take in the non-client area, hit tests for
// the system, clicks, Shift-jumps, thumb drags, button repeat and hover tracking, and the scroll
// messages they send.
#include "acScrollBar.h"
#include "acScrollBarPaint.h"
#include "acScrollWnd.h"

#include "StdCtrls.h"
#include "sCommonData.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <windowsx.h>

#include <algorithm>

namespace {

TacScrollBar* BarOf(TacScrollWnd* sw, int bar)
{
    if (!sw) return nullptr;
    return bar == SB_HORZ ? sw->sBarHorz.get() : bar == SB_VERT ? sw->sBarVert.get() : nullptr;
}

// Sets the wrapper's DontRepaint for the scroll messages it sends itself.
class DontRepaintScope {
public:
    explicit DontRepaintScope(TacScrollWnd* sw) : sw_(sw), old_(sw->DontRepaint) { sw->DontRepaint = true; }
    ~DontRepaintScope() { sw_->DontRepaint = old_; }
    DontRepaintScope(const DontRepaintScope&) = delete;
    DontRepaintScope& operator=(const DontRepaintScope&) = delete;

private:
    TacScrollWnd* sw_;
    bool old_;
};

LRESULT PassOn(TacScrollWnd* sw, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    return sw->CallPrevWndProc(Wnd, Msg, WParam, LParam);
}

void RedrawBar(TacScrollBar* sb, HWND Wnd)
{
    TRect r;
    if (!sb || !GetScrollRect(sb->sw, sb->nBarType, Wnd, r)) return;
    RECT w{};
    GetWindowRect(Wnd, &w);
    if (HDC dc = GetWindowDC(Wnd)) {
        DrawScrollBar(sb, Wnd, dc, -1, -1, TRect(r.Left - w.left, r.Top - w.top, r.Right - w.left, r.Bottom - w.top));
        ReleaseDC(Wnd, dc);
    }
}

bool SingleLineEdit(TControl* control)
{
    return dynamic_cast<TCustomEdit*>(control) && !dynamic_cast<TCustomMemo*>(control);
}

// The clicked bar painted now with its thumb at P (screen), while the normal painting is held
// back by the drag.
void PaintThumbAt(TacScrollBar* sb, HWND Wnd, int P)
{
    const TacScrollTracking& t = ScrollTracking;
    const bool horz = sb->nBarType == SB_HORZ;
    RECT w{};
    GetWindowRect(Wnd, &w);
    const TRect local(t.TrackRect.Left - w.left, t.TrackRect.Top - w.top, t.TrackRect.Right - w.left,
                      t.TrackRect.Bottom - w.top);
    TacBarLook look = ScrollBarLook(sb, Wnd, HTSCROLL_THUMBTRACK);
    look.Active = true;
    if (auto bmp = ComposeScrollBar(sb, Wnd, local, P - (horz ? w.left : w.top), t.ThumbSize, look)) {
        if (HDC dc = GetWindowDC(Wnd)) {
            BitBlt(dc, local.Left, local.Top, local.Width(), local.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
            ReleaseDC(Wnd, dc);
        }
    }
}

// The thumb of the clicked bar at the screen point (keeping the grab offset): painted there at
// once, and its position sent when it changed.
void MoveThumb(TacScrollWnd* sw, TacScrollBar* sb, HWND Wnd, POINT pt)
{
    TacScrollTracking& t = ScrollTracking;
    const bool horz = sb->nBarType == SB_HORZ;
    const int B = GetScrollMetric(sb, false);
    const int start = horz ? t.TrackRect.Left : t.TrackRect.Top;
    const int end = horz ? t.TrackRect.Right : t.TrackRect.Bottom;
    int P = (horz ? pt.x : pt.y) - t.ThumbOffset;
    P = std::max(start + B, std::min(P, end - B - t.ThumbSize));
    t.ThumbPos = P;
    PaintThumbAt(sb, Wnd, P);

    SCROLLINFO& si = sb->ScrollInfo;
    const int trackStart = start + B;
    const int room = (end - start - 2 * B) - t.ThumbSize;
    int N = 0;
    if (si.nMax - si.nMin < 1)
        N = P - trackStart;
    else if (room > 0) // no room: offset 0, never a position outside the range
        N = MulDiv(P - trackStart, si.nMax - si.nMin - static_cast<int>(si.nPage) + 1, room);
    // The last position is kept in the range's terms (not as an offset from nMin): the drag's
    // end sends it as the thumb's final position.
    const int pos = si.nMin + N;
    if (pos != nLastSBPos) {
        si.nTrackPos = pos;
        DontRepaintScope scope(sw);
        SendScrollMessage(Wnd, t.ScrollMessage, SB_THUMBTRACK, si.nTrackPos, true);
    }
    nLastSBPos = pos;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Scroll messages

void SendScrollMessage(HWND Wnd, UINT Msg, int ScrollCode, int Pos, bool SetPos)
{
    const LPARAM around = MAKELPARAM(ScrollCode, Msg);
    const LRESULT fullPos = SendAMessage(Wnd, AC_BEGINSCROLL, around);
    // The position word never carries a sign into the upper half of a 64-bit WPARAM.
    const WPARAM w = MAKEWPARAM(static_cast<WORD>(ScrollCode), static_cast<WORD>(std::min(Pos, 65535)));
    if (fullPos == 1) {
        TrySendMessage(Wnd, Msg, w, static_cast<LPARAM>(Pos));
    } else {
        if (SetPos && ScrollCode == SB_THUMBTRACK) {
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_POS;
            si.nPos = Pos;
            SetScrollInfo(Wnd, Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, &si, FALSE);
        }
        TrySendMessage(Wnd, Msg, w, 0);
    }
    SendAMessage(Wnd, AC_ENDSCROLL, around);
}

// ---------------------------------------------------------------------------------------------
// Non-client area

LRESULT ScrollNCCalcSize(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam)
{
    auto* rect = reinterpret_cast<RECT*>(LParam); // rgrc[0] of NCCALCSIZE_PARAMS or the one rectangle
    if (!rect) return PassOn(sw, Wnd, WM_NCCALCSIZE, WParam, LParam);
    const RECT proposed = *rect;
    TControl* control = sw->SkinData ? sw->SkinData->FOwnerControl : nullptr;
    const bool singleLine = SingleLineEdit(control);
    const LONG_PTR style = GetWindowLongPtrW(Wnd, GWL_STYLE);
    const LONG_PTR bars = style & (WS_HSCROLL | WS_VSCROLL);
    LRESULT result = 0;
    if (!singleLine && bars) {
        // The system reserves no room for its own bars.
        result = PassOnWithoutBars(sw, Wnd, WM_NCCALCSIZE, WParam, LParam);
    } else {
        result = PassOn(sw, Wnd, WM_NCCALCSIZE, WParam, LParam);
    }
    if (!singleLine && sw->SkinData) {
        const int coc = sw->SkinData->COC;
        TacSkinData* data = sw->SkinData->GetCommonSkinData();
        const int index = sw->SkinData->SkinIndex;
        if (coc != 10 && coc != 223 && coc != 224 && coc != 232 && data &&
            index >= 0 && index < static_cast<int>(data->gd.size())) {
            const int offset = data->gd[static_cast<size_t>(index)].ScrollBorderOffset;
            if (offset < 0 && rect->left - proposed.left > 1) InflateRect(rect, -offset, -offset);
        }
    }
    sw->cxLeftEdge = rect->left - proposed.left;
    sw->cxRightEdge = proposed.right - rect->right;
    sw->cyTopEdge = rect->top - proposed.top;
    sw->cyBottomEdge = proposed.bottom - rect->bottom;
    if (TacScrollBar* h = sw->sBarHorz.get()) {
        h->fScrollFlags = (style & WS_HSCROLL) ? kSbStyleShown : 0;
        const int thick = GetScrollMetric(h, true);
        h->fScrollVisible = h->fScrollFlags && thick <= rect->bottom - rect->top;
        if (h->fScrollVisible) rect->bottom -= thick;
    }
    if (TacScrollBar* v = sw->sBarVert.get()) {
        v->fScrollFlags = (style & WS_VSCROLL) ? kSbStyleShown : 0;
        const int thick = GetScrollMetric(v, true);
        v->fScrollVisible = v->fScrollFlags && thick <= rect->right - rect->left;
        if (v->fScrollVisible) (sw->fLeftScrollbar ? rect->left += thick : rect->right -= thick);
    }
    return result;
}

LRESULT ScrollNCHitTest(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam)
{
    TacScrollTracking& t = ScrollTracking;
    if (t.InHitTest) return 0;
    t.InHitTest = true;
    const POINT pt{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
    TsSkinManager* manager = sw->SkinManager;
    TControl* control = sw->SkinData ? sw->SkinData->FOwnerControl : nullptr;
    if (manager && manager->ActiveControl() != Wnd && !(sw->SkinData && sw->SkinData->FMouseAbove) && !sw->IsMenuWnd()) {
        bool contains = true;
        if (auto* wc = dynamic_cast<TWinControl*>(control); wc && wc->HandleAllocated()) {
            RECT r{};
            GetWindowRect(wc->Handle(), &r);
            contains = PtInRect(&r, pt) != FALSE;
        }
        if (contains) manager->SetActiveControl(Wnd);
    }
    LRESULT result = HTNOWHERE;
    TRect h, v;
    ac_GetHScrollRect(sw, Wnd, h);
    ac_GetVScrollRect(sw, Wnd, v);
    const bool horz = sw->sBarHorz && sw->sBarHorz->fScrollVisible;
    const bool vert = sw->sBarVert && sw->sBarVert->fScrollVisible;
    const auto inside = [&](const TRect& r) { return pt.x >= r.Left && pt.x < r.Right && pt.y >= r.Top && pt.y < r.Bottom; };
    if (horz && inside(h))
        result = IsScrollBarActive(sw->sBarHorz.get()) ? HTHSCROLL : HTNOWHERE;
    else if (vert && inside(v))
        result = IsScrollBarActive(sw->sBarVert.get()) ? HTVSCROLL : HTNOWHERE;
    else if (horz && vert && inside(TRect(v.Left, h.Top, v.Right, h.Bottom)) && IsSizeGripCorner(sw, Wnd))
        result = HTBOTTOMRIGHT;
    else
        result = PassOn(sw, Wnd, WM_NCHITTEST, WParam, LParam);
    t.InHitTest = false;
    return result;
}

LRESULT ScrollNCMouseMove(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam)
{
    TacScrollTracking& t = ScrollTracking;
    t.TrackedWindow = Wnd;
    if (WParam == HTHSCROLL || WParam == HTVSCROLL) {
        const int bar = WParam == HTHSCROLL ? SB_HORZ : SB_VERT;
        if (bar != t.HoverBar) {
            t.HotPortion = t.LastHotPortion = -1;
            GetScrollRect(sw, bar, Wnd, t.HoverRect);
            t.HoverBar = bar;
            t.HoverTimer = SetTimer(Wnd, kHoverTimerId, kHoverInterval, nullptr);
            ac_NCDraw(sw, Wnd, -1, nullptr);
        }
        // The system's hover handling would paint its own bar here.
        return PassOnWithoutBars(sw, Wnd, WM_NCMOUSEMOVE, WParam, LParam);
    }
    return PassOn(sw, Wnd, WM_NCMOUSEMOVE, WParam, LParam);
}

LRESULT ScrollNCLButtonDown(TacScrollWnd* sw, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TacScrollTracking& t = ScrollTracking;
    t.TrackedWindow = Wnd;
    if (WParam == HTHSCROLL) {
        t.ScrollMessage = WM_HSCROLL;
        t.CurrentBar = SB_HORZ;
    } else if (WParam == HTVSCROLL) {
        t.ScrollMessage = WM_VSCROLL;
        t.CurrentBar = SB_VERT;
    } else {
        t.ClickedPortion = -1;
        return PassOn(sw, Wnd, Msg, WParam, LParam);
    }
    TacScrollBar* sb = BarOf(sw, t.CurrentBar);
    if (!sb) return 0;
    const POINT pt{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
    TRect r;
    GetScrollRect(sw, t.CurrentBar, Wnd, r);
    sb->ScrollInfo.cbSize = sizeof(SCROLLINFO);
    sb->ScrollInfo.fMask = SIF_ALL;
    GetScrollInfo(Wnd, sb->nBarType, &sb->ScrollInfo);
    t.ClickedPortion = HitTestScrollBar(sb, Wnd, r, pt.x, pt.y);
    if ((t.ClickedPortion == HTSCROLL_LINEUP && (sb->fScrollFlags & ESB_DISABLE_LTUP)) ||
        (t.ClickedPortion == HTSCROLL_LINEDOWN && (sb->fScrollFlags & ESB_DISABLE_RTDN))) {
        t.ClickedPortion = -1;
        return 0;
    }
    const bool setPos = !sw->IsListViewWnd();
    switch (t.ClickedPortion) {
    case HTSCROLL_LINEUP:
    case HTSCROLL_LINEDOWN:
    case HTSCROLL_PAGEUP:
    case HTSCROLL_PAGEDOWN:
        if (IsScrollBarActive(sb)) {
            t.PressedPortion = t.ClickedPortion;
            RedrawBar(sb, Wnd);
            SendScrollMessage(Wnd, t.ScrollMessage, t.ClickedPortion, 0, setPos);
            t.RepeatTimer = SetTimer(Wnd, kFirstRepeatTimerId, kFirstRepeatDelay, nullptr);
        }
        break;
    case HTSCROLL_THUMBPOS:
        t.TrackRect = r;
        CalcThumbSize(sb, r, t.ThumbSize, t.ThumbPos);
        t.ThumbOffset = t.ThumbSize / 2;
        // Compared with the position now, not with where an earlier drag or jump ended: the
        // jump is sent whenever it moves the thumb.
        nLastSBPos = sb->ScrollInfo.nPos;
        MoveThumb(sw, sb, Wnd, pt);
        break;
    case HTSCROLL_THUMBTRACK:
        if (IsScrollBarActive(sb)) {
            sw->fThumbTracking = true;
            sb->ScrollInfo.nTrackPos = sb->ScrollInfo.nPos;
            t.TrackRect = r;
            CalcThumbSize(sb, r, t.ThumbSize, t.ThumbPos);
            t.ThumbOffset = (sb->nBarType == SB_HORZ ? pt.x : pt.y) - t.ThumbPos;
            nLastSBPos = sb->ScrollInfo.nPos;
            t.PressedPortion = HTSCROLL_THUMBTRACK;
            PaintThumbAt(sb, Wnd, t.ThumbPos);
        } else {
            t.ClickedPortion = -1;
        }
        break;
    default:
        // Nothing of the bar: passed on, the system would start its own tracking loop over
        // the skinned bar.
        break;
    }
    if (t.ClickedPortion != -1) SetCapture(Wnd);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Client-area mouse while a bar is clicked

LRESULT ScrollMouseMove(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam)
{
    TacScrollTracking& t = ScrollTracking;
    POINT pt{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
    ClientToScreen(Wnd, &pt);
    TacScrollBar* sb = BarOf(sw, t.CurrentBar);
    if (sw->fThumbTracking && sb) {
        MoveThumb(sw, sb, Wnd, pt);
        return 0;
    }
    if (t.ClickedPortion != -1 && sb) {
        if (t.ClickedPortion != HTSCROLL_THUMBPOS) {
            TRect r;
            GetScrollRect(sw, t.CurrentBar, Wnd, r);
            const int portion = HitTestScrollBar(sb, Wnd, r, pt.x, pt.y);
            const int pressed = portion == t.ClickedPortion ? t.ClickedPortion : -1;
            if (pressed != t.PressedPortion) {
                t.PressedPortion = pressed;
                RedrawBar(sb, Wnd);
            }
        }
        return 0;
    }
    return PassOn(sw, Wnd, WM_MOUSEMOVE, WParam, LParam);
}

LRESULT ScrollLButtonUp(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam)
{
    TacScrollTracking& t = ScrollTracking;
    if (t.ClickedPortion == -1) return PassOn(sw, Wnd, WM_LBUTTONUP, WParam, LParam);
    if (!sw->KeepsCaptureOnButtonUp()) ReleaseCapture();
    const bool setPos = !sw->IsListViewWnd();
    TacScrollBar* sb = BarOf(sw, t.CurrentBar);
    {
        DontRepaintScope scope(sw);
        switch (t.ClickedPortion) {
        case HTSCROLL_LINEUP:
        case HTSCROLL_LINEDOWN:
        case HTSCROLL_PAGEUP:
        case HTSCROLL_PAGEDOWN:
            KillTimer(Wnd, kFirstRepeatTimerId);
            KillTimer(Wnd, kRepeatTimerId);
            if (sw->fThumbTracking) {
                sw->fThumbTracking = false;
                SendScrollMessage(Wnd, t.ScrollMessage, SB_THUMBPOSITION, nLastSBPos, setPos);
            }
            SendScrollMessage(Wnd, t.ScrollMessage, SB_ENDSCROLL, 0, setPos);
            break;
        case HTSCROLL_THUMBTRACK: {
            if (sw->IsDBScrollList() && sb) {
                // Coarse positions along the vertical bar: first button, upper half, lower half,
                // second button.
                POINT pt{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
                ClientToScreen(Wnd, &pt);
                TRect r;
                ac_GetVScrollRect(sw, Wnd, r);
                const int B = GetScrollMetric(sb, false);
                if (pt.y < r.Top + B)
                    nLastSBPos = 0;
                else if (pt.y >= r.Bottom - B)
                    nLastSBPos = 4;
                else
                    nLastSBPos = t.ThumbPos + t.ThumbSize / 2 < r.Top + r.Height() / 2 ? 1 : 3;
            }
            if (sw->fThumbTracking) {
                sw->fThumbTracking = false;
                SendScrollMessage(Wnd, t.ScrollMessage, SB_THUMBPOSITION, nLastSBPos, setPos);
            }
            SendScrollMessage(Wnd, t.ScrollMessage, SB_ENDSCROLL, nLastSBPos, setPos);
            break;
        }
        case HTSCROLL_THUMBPOS:
            // The jump moved the thumb with track messages only: a window that scrolls on the
            // final position would keep its content where it was.
            SendScrollMessage(Wnd, t.ScrollMessage, SB_THUMBPOSITION, nLastSBPos, setPos);
            SendScrollMessage(Wnd, t.ScrollMessage, SB_ENDSCROLL, 0, setPos);
            break;
        default:
            break;
        }
    }
    t.ClickedPortion = t.PressedPortion = t.CurrentBar = -1;
    t.RepeatTimer = 0;
    t.ScrollMessage = 0;
    RedrawBar(sb, Wnd);
    TControl* control = sw->SkinData ? sw->SkinData->FOwnerControl : nullptr;
    const UnicodeString cls = control ? control->ClassName() : UnicodeString();
    if (cls == L"TImageEnView" || cls == L"TImageEnVect" || sw->KeepsCaptureOnButtonUp()) return 0;
    return PassOn(sw, Wnd, WM_LBUTTONUP, WParam, LParam);
}

// ---------------------------------------------------------------------------------------------
// Timers

LRESULT ScrollTimer(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam)
{
    TacScrollTracking& t = ScrollTracking;
    LRESULT result = 0;
    bool passed = false;
    if (t.RepeatTimer == 0 && t.HoverTimer == 0) {
        result = PassOn(sw, Wnd, WM_TIMER, WParam, LParam);
        passed = true;
    }
    switch (WParam) {
    case kHoverTimerId: {
        if (sw->fThumbTracking) break;
        POINT pt{};
        GetCursorPos(&pt);
        TacScrollBar* sb = BarOf(sw, t.HoverBar);
        const TRect& h = t.HoverRect;
        if (sb && pt.x >= h.Left && pt.x < h.Right && pt.y >= h.Top && pt.y < h.Bottom) {
            t.HotPortion = HitTestScrollBar(sb, Wnd, h, pt.x, pt.y);
            if (t.HotPortion != t.LastHotPortion) RedrawBar(sb, Wnd);
            t.LastHotPortion = t.HotPortion;
        } else {
            KillTimer(Wnd, kHoverTimerId);
            const bool wasHot = t.LastHotPortion != -1;
            t.HoverTimer = 0;
            t.HoverBar = t.HotPortion = t.LastHotPortion = -1;
            // The hot look goes with the mouse.
            if (wasHot) RedrawBar(sb, Wnd);
        }
        break;
    }
    case kFirstRepeatTimerId:
        KillTimer(Wnd, kFirstRepeatTimerId);
        t.RepeatTimer = SetTimer(Wnd, kRepeatTimerId, kRepeatInterval, nullptr);
        break;
    case kRepeatTimerId: {
        POINT pt{};
        GetCursorPos(&pt);
        ScreenToClient(Wnd, &pt);
        // Negative coordinates stay: a left scroll bar lies left of the client area, and the
        // repeat would stop at once if they were taken as 0.
        ScrollMouseMove(sw, Wnd, 0, MAKELPARAM(static_cast<short>(pt.x), static_cast<short>(pt.y)));
        if (t.PressedPortion != -1) {
            DontRepaintScope scope(sw);
            SendScrollMessage(Wnd, t.ScrollMessage, t.PressedPortion, 0, !sw->IsListViewWnd());
        }
        break;
    }
    default:
        if (!passed) result = PassOn(sw, Wnd, WM_TIMER, WParam, LParam);
        break;
    }
    return result;
}
