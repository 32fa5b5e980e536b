// The scroll bars' sizes, rectangles, thumb geometry, hit tests and activity, and the wrapper's
// two bars.
#include "acScrollBar.h"

#include "acntUtils.h"
#include "sCommonData.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"

#include <algorithm>

int acMinThumbSize = 16;
int nLastSBPos = -1;
TGetScrollBarInfoEntry Ac_GetScrollBarInfo = nullptr;
TFlatSBEntry Ac_InitializeFlatSB = nullptr;
TFlatSBEntry Ac_UninitializeFlatSB = nullptr;
TKeyStateQuery acGetAsyncKeyState = &GetAsyncKeyState;
TacScrollTracking ScrollTracking;

void ResetScrollTracking() { ScrollTracking = TacScrollTracking(); }

// ---------------------------------------------------------------------------------------------
// The wrapper's bars

TacScrollWnd::TacScrollWnd() = default;

void TacScrollWnd::CreateBars(HWND AHandle)
{
    const LONG_PTR style = GetWindowLongPtrW(AHandle, GWL_STYLE);
    for (int bar : {SB_HORZ, SB_VERT}) {
        auto sb = std::make_unique<TacScrollBar>();
        sb->sw = this;
        sb->nBarType = static_cast<std::uint16_t>(bar);
        sb->nMinThumbSize = acMinThumbSize;
        sb->ScrollInfo.cbSize = sizeof(SCROLLINFO);
        sb->ScrollInfo.fMask = SIF_ALL;
        GetScrollInfo(AHandle, bar, &sb->ScrollInfo);
        if (style & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) sb->fScrollFlags = kSbStyleShown;
        (bar == SB_HORZ ? sBarHorz : sBarVert) = std::move(sb);
    }
    UpdateLeftScroll();
}

void TacScrollWnd::UpdateLeftScroll()
{
    fLeftScrollbar = CtrlHandle && (GetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
}

TacScrollBar* GetScrollBarFromHwnd(HWND Wnd, int nBar)
{
    auto* sw = dynamic_cast<TacScrollWnd*>(Ac_GetScrollWndFromHwnd(Wnd));
    if (!sw) return nullptr;
    return nBar == SB_HORZ ? sw->sBarHorz.get() : nBar == SB_VERT ? sw->sBarVert.get() : nullptr;
}

bool SetMinThumbSize(HWND Wnd, int nBar, int Size)
{
    auto* sw = dynamic_cast<TacScrollWnd*>(Ac_GetScrollWndFromHwnd(Wnd));
    if (!sw) return false;
    if ((nBar == SB_HORZ || nBar == SB_BOTH) && sw->sBarHorz) sw->sBarHorz->nMinThumbSize = Size;
    if ((nBar == SB_VERT || nBar == SB_BOTH) && sw->sBarVert) sw->sBarVert->nMinThumbSize = Size;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Sizes

namespace {

TacScrollData* ScrollDataOf(TacScrollBar* sb)
{
    auto* data = sb->sw ? dynamic_cast<TsScrollWndData*>(sb->sw->SkinData) : nullptr;
    if (!data) return nullptr;
    return sb->nBarType == SB_HORZ ? data->HorzScrollData() : data->VertScrollData();
}

int ControlPPI(TacScrollBar* sb) { return sb->sw && sb->sw->SkinData ? sb->sw->SkinData->CurrentPPI : 96; }

// The manager's size at 96 PPI, scaled to the control's density only where the system scales
// the bars itself.
int ManagerScrollSize(TacScrollBar* sb)
{
    TsSkinManager* manager = sb->sw ? sb->sw->SkinManager : nullptr;
    if (!manager && sb->sw && sb->sw->SkinData) manager = sb->sw->SkinData->SkinManager();
    const int size = GetScrollSize(manager, 96);
    if (manager && IsWin10Up() && manager->Options()->ScaleMode() == smVCL) return MulDiv(size, ControlPPI(sb), 96);
    return size;
}

} // namespace

int GetScrollMetric(TacScrollBar* sb, bool IsWidth)
{
    if (!sb) return 0;
    TacScrollData* data = ScrollDataOf(sb);
    if (IsWidth) {
        if (data && data->ScrollWidth() >= 0) return MulDiv(data->ScrollWidth(), ControlPPI(sb), 96);
        return ManagerScrollSize(sb);
    }
    if (data && data->ButtonsSize() >= 0) return MulDiv(data->ButtonsSize(), ControlPPI(sb), 96);
    TsSkinManager* manager = sb->sw ? sb->sw->SkinManager : nullptr;
    if (manager && manager->ScrollsOptions()->ButtonsSize() >= 0) return manager->ScrollsOptions()->ButtonsSize();
    if (sb->nArrowLength >= 0) return sb->nArrowLength;
    return ManagerScrollSize(sb);
}

// ---------------------------------------------------------------------------------------------
// Rectangles

namespace {

int ShownThickness(TacScrollBar* sb) { return sb && sb->fScrollVisible ? GetScrollMetric(sb, true) : 0; }

} // namespace

void ac_GetHScrollRect(TacScrollWnd* sw, HWND Wnd, TRect& R)
{
    RECT w{};
    GetWindowRect(Wnd, &w);
    R.Bottom = w.bottom - sw->cyBottomEdge;
    R.Top = R.Bottom - ShownThickness(sw->sBarHorz.get());
    R.Left = w.left + sw->cxLeftEdge;
    R.Right = w.right - sw->cxRightEdge;
    const int vert = ShownThickness(sw->sBarVert.get());
    if (sw->fLeftScrollbar)
        R.Left += vert;
    else
        R.Right -= vert;
}

void ac_GetVScrollRect(TacScrollWnd* sw, HWND Wnd, TRect& R)
{
    RECT w{};
    GetWindowRect(Wnd, &w);
    R.Top = w.top + sw->cyTopEdge;
    R.Bottom = w.bottom - ShownThickness(sw->sBarHorz.get()) - sw->cyBottomEdge;
    const int vert = ShownThickness(sw->sBarVert.get());
    if (sw->fLeftScrollbar) {
        R.Left = w.left + sw->cxLeftEdge;
        R.Right = R.Left + vert;
    } else {
        R.Right = w.right - sw->cxRightEdge;
        R.Left = R.Right - vert;
    }
}

bool GetScrollRect(TacScrollWnd* sw, int nBar, HWND Wnd, TRect& R)
{
    if (!sw) return false;
    if (nBar == SB_HORZ)
        ac_GetHScrollRect(sw, Wnd, R);
    else if (nBar == SB_VERT)
        ac_GetVScrollRect(sw, Wnd, R);
    else
        return false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Thumb

bool CalcThumbSize(TacScrollBar* sb, const TRect& R, int& ThumbSize, int& ThumbPos)
{
    if (!sb) return false;
    const SCROLLINFO& si = sb->ScrollInfo;
    const int B = GetScrollMetric(sb, false);
    const bool horz = sb->nBarType == SB_HORZ;
    const int L = horz ? R.Width() : R.Height();
    const int range = si.nMax - si.nMin + 1;
    const int W = L - 2 * B;
    int T = 0;
    if (si.nPage == 0)
        T = std::max(B, sb->nMinThumbSize);
    else if (range > 0)
        T = MulDiv(static_cast<int>(si.nPage), W, range);
    if (B == 0 && T < 19)
        T = 19;
    else
        T = std::max(T, sb->nMinThumbSize);
    int offset = 0;
    if (range > 0) {
        offset = MulDiv(si.nPos - si.nMin, W - T, range - std::max(1, static_cast<int>(si.nPage)));
        offset = std::max(0, std::min(offset, W - T));
    }
    ThumbSize = T;
    ThumbPos = (horz ? R.Left : R.Top) + B + offset;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Hit tests

namespace {

// The bar's rectangle without its inserted buttons.
TRect WithoutInsertedButtons(TacScrollBar* sb, const TRect& R)
{
    TRect r = R;
    const bool horz = sb->nBarType == SB_HORZ;
    if (sb->fButVisibleBefore) (horz ? r.Left : r.Top) += sb->nButSizeBefore;
    if (sb->fButVisibleAfter) (horz ? r.Right : r.Bottom) -= sb->nButSizeAfter;
    return r;
}

bool ShiftHeld() { return acGetAsyncKeyState && (acGetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

// The portion at coordinate p along a bar from start to end.
int HitTestAlong(TacScrollBar* sb, const TRect& R, int start, int end, int p)
{
    const int fullB = GetScrollMetric(sb, false);
    const int L = end - start;
    const int B = L <= 2 * fullB ? L / 2 : fullB;
    if (p >= start && p < start + B) return HTSCROLL_LINEUP;
    if (p >= end - B && p < end) return HTSCROLL_LINEDOWN;
    int T = 0, pos = 0;
    CalcThumbSize(sb, R, T, pos);
    if (T >= L - 2 * fullB) return HTSCROLL_NONE;
    if (p >= pos && p < pos + T) return HTSCROLL_THUMBTRACK;
    if (p >= start + B && p < pos) return ShiftHeld() ? HTSCROLL_THUMBPOS : HTSCROLL_PAGEUP;
    if (p >= pos + T && p < end - B) return ShiftHeld() ? HTSCROLL_THUMBPOS : HTSCROLL_PAGEDOWN;
    return HTSCROLL_NONE;
}

} // namespace

int HitTestHorz(TacScrollBar* sb, const TRect& R, int X)
{
    const TRect r = WithoutInsertedButtons(sb, R);
    return HitTestAlong(sb, r, r.Left, r.Right, X);
}

int HitTestVert(TacScrollBar* sb, const TRect& R, int Y)
{
    const TRect r = WithoutInsertedButtons(sb, R);
    return HitTestAlong(sb, r, r.Top, r.Bottom, Y);
}

int HitTestHorzAt(TacScrollBar* sb, const TRect& R, int X, int Y)
{
    if (Y < R.Top || Y >= R.Bottom) return HTSCROLL_NONE;
    return HitTestHorz(sb, R, X);
}

int HitTestVertAt(TacScrollBar* sb, const TRect& R, int X, int Y)
{
    if (X < R.Left || X >= R.Right) return HTSCROLL_NONE;
    return HitTestVert(sb, R, Y);
}

int HitTestScrollBar(TacScrollBar* sb, HWND, const TRect& R, int X, int Y)
{
    if (!sb) return HTSCROLL_NONE;
    return sb->nBarType == SB_HORZ ? HitTestHorzAt(sb, R, X, Y) : HitTestVertAt(sb, R, X, Y);
}

// ---------------------------------------------------------------------------------------------
// Activity

bool IsScrollInfoActive(const SCROLLINFO& ScrollInfo)
{
    return static_cast<UINT>(ScrollInfo.nMax) >= ScrollInfo.nPage && ScrollInfo.nMax > ScrollInfo.nMin &&
           ScrollInfo.nMax != 0;
}

bool IsScrollBarActive(TacScrollBar* sb)
{
    if (!sb || !sb->sw) return false;
    const HWND wnd = sb->sw->CtrlHandle;
    if (Ac_GetScrollBarInfo) {
        SCROLLBARINFO info{};
        info.cbSize = sizeof(SCROLLBARINFO);
        const LONG id = sb->nBarType == SB_HORZ ? OBJID_HSCROLL : sb->nBarType == SB_VERT ? OBJID_VSCROLL : OBJID_CLIENT;
        if (!Ac_GetScrollBarInfo(wnd, id, &info)) return false;
        if ((sb->fScrollFlags & ESB_DISABLE_BOTH) == ESB_DISABLE_BOTH) return false;
        if ((sb->fScrollFlags & kSbRangeNeeded) && !IsScrollInfoActive(sb->ScrollInfo)) return false;
        if (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) return false;
        // Wine reports a bar with both arrows disabled only on the arrows.
        if ((info.rgstate[1] & STATE_SYSTEM_UNAVAILABLE) && (info.rgstate[5] & STATE_SYSTEM_UNAVAILABLE)) return false;
        return true;
    }
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    return (style & (sb->nBarType == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
}
