// The scroll-bar control wrapper: geometry, part states, mouse and painting.
#include "acSBUtilsScrollBar.h"

#include "StdCtrls.h"
#include "acScrollBar.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsPaintItem.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <algorithm>
#include <cmath>

namespace {

int Nearest(double x) { return static_cast<int>(std::nearbyint(x)); }

bool ValidSection(TacSkinData* data, int index) { return data && IsValidIndex(index, static_cast<int>(data->gd.size())); }

} // namespace

// ---------------------------------------------------------------------------------------------
// Geometry

int TacSBGeometry::Range() const { return Max - Min - std::max(Page - 1, 0); }

int TacSBGeometry::SliderSize() const
{
    if (Page == 0) return acMinThumbSize;
    const int units = Max - std::max(Page - 1, 0) + Page - Min;
    if (units <= 0) return acMinThumbSize;
    return std::max(Nearest(static_cast<double>(WorkSize()) * Page / units), acMinThumbSize);
}

int TacSBGeometry::PositionToCoord() const
{
    const int range = Range();
    if (range == 0) return Length() / 2;
    const int slider = SliderSize();
    return BtnSize + slider / 2 + Nearest(static_cast<double>(Length() - 2 * BtnSize - slider) / range * (Pos - Min));
}

int TacSBGeometry::CoordToPosition(const TPoint& P) const
{
    const int slider = SliderSize();
    const int room = Length() - 2 * BtnSize - slider;
    // A thumb that does not fit has no positions to go to.
    if (!Enabled || room <= 0) return 0;
    const int c = Vertical ? P.Y : P.X;
    return Nearest(Range() * (c - BtnSize - slider / 2.0) / room);
}

TRect TacSBGeometry::Btn1Rect() const
{
    if (Vertical) return TRect(0, 0, Width, std::min(BtnSize, Height / 2));
    return TRect(0, 0, std::min(BtnSize, Width / 2), Height);
}

TRect TacSBGeometry::Btn2Rect() const
{
    if (Vertical) return TRect(0, std::max(Height - BtnSize, Height / 2), Width, Height);
    return TRect(std::max(Width - BtnSize, Width / 2), 0, Width, Height);
}

TRect TacSBGeometry::Bar1Rect() const
{
    const int coord = PositionToCoord();
    return Vertical ? TRect(0, 0, Width, coord) : TRect(0, 0, coord, Height);
}

TRect TacSBGeometry::Bar2Rect() const
{
    const int coord = PositionToCoord();
    return Vertical ? TRect(0, coord, Width, Height) : TRect(coord, 0, Width, Height);
}

TRect TacSBGeometry::SliderRect() const
{
    const int slider = SliderSize();
    int start;
    if (Max == Min)
        start = Vertical ? Btn1Rect().Bottom : Btn1Rect().Right;
    else if (Vertical && Max - Page == Pos)
        start = Btn2Rect().Top - slider;
    else
        start = Nearest(PositionToCoord() - slider / 2.0);
    return Vertical ? TRect(0, start, Width, start + slider) : TRect(start, 0, start + slider, Height);
}

// ---------------------------------------------------------------------------------------------
// State

bool TacSBWnd::IsVertical() const
{
    if (Control) return Control->Kind() == sbVertical;
    return CtrlHandle && (GetWindowLongPtrW(CtrlHandle, GWL_STYLE) & SBS_VERT) != 0;
}

bool TacSBWnd::IsEnabled() const
{
    if (Control) return Control->Enabled();
    return CtrlHandle && IsWindowEnabled(CtrlHandle);
}

bool TacSBWnd::IsShowing() const
{
    if (Control) return Control->Visible();
    return CtrlHandle && IsWindowVisible(CtrlHandle);
}

int TacSBWnd::SysBtnSize() const { return GetScrollSize(SkinData ? SkinData->GetSkinManager() : nullptr, 96); }

bool TacSBWnd::BarIsHot() const { return ControlIsActive(SkinData); }

TacSBGeometry TacSBWnd::Geometry() const
{
    TacSBGeometry g;
    g.Vertical = IsVertical();
    g.Enabled = IsEnabled();
    RECT r{};
    if (CtrlHandle) GetClientRect(CtrlHandle, &r);
    g.Width = r.right;
    g.Height = r.bottom;
    g.BtnSize = SysBtnSize();
    g.Min = FSI.nMin;
    g.Max = FSI.nMax;
    g.Page = static_cast<int>(FSI.nPage);
    g.Pos = FCurrPos;
    return g;
}

int TacSBWnd::GetInteger(int Index) const
{
    switch (Index) {
    case sbpBtn1: return FBtn1State;
    case sbpBtn2: return FBtn2State;
    case sbpBar1: return FBar1State;
    case sbpBar2: return FBar2State;
    case sbpSlider: return FSliderState;
    default: return 0;
    }
}

void TacSBWnd::SetInteger(int Index, int Value)
{
    int* state = nullptr;
    switch (Index) {
    case sbpBtn1: state = &FBtn1State; break;
    case sbpBtn2: state = &FBtn2State; break;
    case sbpBar1: state = &FBar1State; break;
    case sbpBar2: state = &FBar2State; break;
    case sbpSlider: state = &FSliderState; break;
    default: return;
    }
    if (*state == Value) return;
    *state = Value;
    if (Value != 1 && Value != 2) return;
    if (Index == sbpBar1 || Index == sbpBar2) {
        FBtn1State = FBtn2State = FSliderState = 0;
        (Index == sbpBar1 ? FBar2State : FBar1State) = 1;
    } else {
        if (Index != sbpBtn1) FBtn1State = 0;
        if (Index != sbpBtn2) FBtn2State = 0;
        if (Index != sbpSlider) FSliderState = 0;
        FBar1State = FBar2State = 1;
    }
}

void TacSBWnd::InitScrollData()
{
    if (!Control) return;
    FSI.cbSize = sizeof(SCROLLINFO);
    FSI.fMask = SIF_ALL;
    FSI.nMax = Control->Max();
    FSI.nMin = Control->Min();
    FSI.nPage = static_cast<UINT>(std::max(Control->PageSize(), 0));
    FSI.nPos = Control->Position();
    FSI.nTrackPos = FSI.nPos;
    FCurrPos = FSI.nPos;
}

void TacSBWnd::AfterCreation()
{
    if (SkinData && SkinData->SkinSection().empty()) SkinData->SetSkinSection(L"TRANSPARENT");
    if (auto* windowed = dynamic_cast<TWinControl*>(OwnerControl())) {
        Control = dynamic_cast<TScrollBar*>(windowed);
        windowed->SetTabStop(false);
    }
    InitScrollData();
    FRepainting = false;
    MouseOffset = 0;
    ScrollCode = 0;
    TacMainWnd::AfterCreation();
}

void TacSBWnd::UpdateBar()
{
    if (CtrlHandle && IsWindowVisible(CtrlHandle)) RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TacSBWnd::LMouseDown(int X, int Y)
{
    if (!IsEnabled()) return;
    MouseOffset = 0;
    const TacSBGeometry g = Geometry();
    const TPoint p(X, Y);
    if (g.Btn1Rect().Contains(p)) {
        if (FBtn1State != 2) {
            ScrollCode = SB_LINEUP;
            SetInteger(sbpBtn1, 2);
        }
    } else if (g.Btn2Rect().Contains(p)) {
        if (FBtn2State != 2) {
            SetInteger(sbpBtn2, 2);
            ScrollCode = SB_LINEDOWN;
        }
    } else if (g.SliderRect().Contains(p)) {
        ScrollCode = SB_THUMBTRACK;
        if (FSliderState != 2) {
            MouseOffset = g.CoordToPosition(p) - (Control ? Control->Position() : FSI.nPos);
            SetInteger(sbpSlider, 2);
        }
    } else if (g.Bar1Rect().Contains(p)) {
        ScrollCode = SB_PAGEUP;
        if (FBar1State != 2) {
            SetInteger(sbpBar1, 2);
            SetInteger(sbpBar2, BarIsHot());
        }
    } else {
        ScrollCode = SB_PAGEDOWN;
        if (FBar2State != 2) {
            SetInteger(sbpBar1, BarIsHot());
            SetInteger(sbpBar2, 2);
        }
    }
    UpdateBar();
}

void TacSBWnd::LMouseUp(int X, int Y)
{
    if (!IsEnabled()) return;
    const TacSBGeometry g = Geometry();
    const TPoint p(X, Y);
    const bool onThumb = g.SliderRect().Contains(p);
    if (onThumb || FSliderState == 2) {
        ScrollCode = SB_THUMBPOSITION;
        SetInteger(sbpBar1, BarIsHot());
        SetInteger(sbpBar2, FBar1State);
        if (FSliderState == 2) {
            SetInteger(sbpSlider, onThumb ? 1 : 0);
            // The drag is over: the thumb shows where the control is now.
            FCurrPos = FSI.nPos;
        }
    } else if (FBtn1State == 2 && g.Btn1Rect().Contains(p)) {
        SetInteger(sbpBtn1, 1);
    } else if (FBtn2State == 2 && g.Btn2Rect().Contains(p)) {
        SetInteger(sbpBtn2, 1);
    } else if (FBar1State == 2 || FBar2State == 2) {
        SetInteger(FBar1State == 2 ? sbpBar1 : sbpBar2, BarIsHot());
    }
    // A button released away from it does not stay pressed.
    if (FBtn1State == 2) SetInteger(sbpBtn1, 0);
    if (FBtn2State == 2) SetInteger(sbpBtn2, 0);
    UpdateBar();
    ScrollCode = SB_ENDSCROLL;
}

TPoint TacSBWnd::ClientPoint(const TMessage& Message, bool Screen) const
{
    POINT p{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
    if (Screen) ScreenToClient(CtrlHandle, &p);
    return TPoint(p.x, p.y);
}

TPoint TacSBWnd::CursorPoint() const
{
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(CtrlHandle, &p);
    return TPoint(p.x, p.y);
}

void TacSBWnd::HitTest(TMessage& Message)
{
    const TacSBGeometry g = Geometry();
    const TPoint p = ClientPoint(Message, true);
    if (FSliderState == 2) {
        const int pos = g.CoordToPosition(p) - MouseOffset;
        if (Control && pos != Control->Position()) {
            Control->SetPosition(pos);
            // The thumb being dragged goes where the control went.
            FCurrPos = Control->Position();
        }
    } else if (g.SliderRect().Contains(p)) {
        SetInteger(sbpSlider, 1);
    } else if (g.Btn1Rect().Contains(p)) {
        if (FBtn1State != 2) SetInteger(sbpBtn1, 1);
    } else if (g.Btn2Rect().Contains(p)) {
        if (FBtn2State != 2) SetInteger(sbpBtn2, 1);
    } else {
        SetInteger(sbpSlider, 0);
        SetInteger(sbpBtn1, 0);
        SetInteger(sbpBtn2, 0);
    }
    UpdateBar();
}

void TacSBWnd::Press(TMessage& Message)
{
    const TPoint p = ClientPoint(Message, Message.Msg == WM_NCLBUTTONDOWN);
    LMouseDown(p.X, p.Y);
    if (!IsShowing()) {
        PassOn(Message);
        return;
    }
    // The window tracks the mouse itself: it must be visible and drawable while it does.
    FLockCount = 0;
    SetWindowLongPtrW(CtrlHandle, GWL_STYLE, GetWindowLongPtrW(CtrlHandle, GWL_STYLE) | WS_VISIBLE);
    PassOn(Message);
    RedrawNow();
}

void TacSBWnd::DoubleClick(TMessage& Message)
{
    if (IsShowing()) {
        const int locks = FLockCount;
        FRepainting = true;
        LPARAM l = 0;
        CallPrevWndProc(CtrlHandle, WM_SETREDRAW, FALSE, l);
        PassOn(Message);
        l = 0;
        CallPrevWndProc(CtrlHandle, WM_SETREDRAW, TRUE, l);
        FRepainting = false;
        FLockCount = locks;
    } else {
        PassOn(Message);
    }
    const TPoint p = CursorPoint();
    LMouseDown(p.X, p.Y);
    LMouseUp(p.X, p.Y);
}

// ---------------------------------------------------------------------------------------------
// Scroll information

void TacSBWnd::SetScrollInfoMsg(TMessage& Message)
{
    if (const auto* si = reinterpret_cast<const SCROLLINFO*>(Message.LParam)) {
        const UINT mask = si->fMask;
        // A range set from outside the control is brought to the control first (its own
        // scroll-information call comes back here and is overwritten below).
        if ((mask & SIF_RANGE) && (mask & SIF_POS) && Control && si->nMax >= si->nMin &&
            (Control->Min() != si->nMin || Control->Max() != si->nMax ||
             ((mask & SIF_PAGE) && Control->PageSize() != static_cast<int>(si->nPage)))) {
            Control->SetParams(Control->Position(), si->nMin, si->nMax);
            if (mask & SIF_PAGE) Control->SetPageSize(static_cast<int>(si->nPage));
        }
        if (mask & SIF_PAGE) FSI.nPage = si->nPage;
        if (mask & SIF_POS) FSI.nPos = si->nPos;
        if (mask & SIF_RANGE) {
            FSI.nMin = si->nMin;
            FSI.nMax = si->nMax;
            if (FSI.nMax < FSI.nMin) FSI.nMin = FSI.nMax = 0;
        }
        const long long span = static_cast<long long>(FSI.nMax) - FSI.nMin + 1;
        FSI.nPage = static_cast<UINT>(std::clamp<long long>(static_cast<int>(FSI.nPage), 0, span));
        const int last = std::max(FSI.nMin, FSI.nMax - std::max(static_cast<int>(FSI.nPage) - 1, 0));
        FSI.nPos = std::clamp(FSI.nPos, FSI.nMin, last);
        if (ScrollCode != SB_THUMBTRACK) FCurrPos = FSI.nPos;
    }
    if (IsShowing())
        BaseWithoutDrawing(Message);
    else
        PassOn(Message);
}

void TacSBWnd::BaseWithoutDrawing(TMessage& Message)
{
    const int locks = FLockCount;
    FRepainting = true;
    LPARAM l = 0;
    CallPrevWndProc(CtrlHandle, WM_SETREDRAW, FALSE, l);
    PassOn(Message);
    // Locked by someone else, the window stays locked and is painted when they unlock it.
    if (locks <= 0) {
        l = 0;
        CallPrevWndProc(CtrlHandle, WM_SETREDRAW, TRUE, l);
    }
    FRepainting = false;
    FLockCount = locks;
    if (locks <= 0) RedrawNow();
}

void TacSBWnd::RedrawNow()
{
    if (CtrlHandle)
        RedrawWindow(CtrlHandle, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

// ---------------------------------------------------------------------------------------------
// Painting

void TacSBWnd::Paint(TMessage& Message)
{
    PAINTSTRUCT ps{};
    BeginPaint(CtrlHandle, &ps);
    const HDC given = reinterpret_cast<HDC>(Message.WParam);
    const HDC dc = given ? given : GetWindowDC(CtrlHandle);
    if (dc) {
        const int saved = SaveDC(dc);
        PaintTo(dc);
        RestoreDC(dc, saved);
        if (!given) ReleaseDC(CtrlHandle, dc);
    }
    EndPaint(CtrlHandle, &ps);
    Message.Result = 0;
}

void TacSBWnd::PaintTo(HDC DC)
{
    if (!SkinData || !SkinData->Skinned() || !Control || !ControlIsReady(Control) || SkinData->FUpdating) return;
    TacSkinData* skin = SkinData->GetCommonSkinData();
    TsSkinManager* manager = SkinData->GetSkinManager();
    if (!skin || !manager) return;
    const TacSBGeometry g = Geometry();
    const int w = g.Width, h = g.Height;
    if (w <= 0 || h <= 0) return;
    if (w == h) {
        const int first = skin->Scrolls[0].SkinIndex;
        const TColor color = ValidSection(skin, first) ? skin->gd[static_cast<size_t>(first)].Props[0].Color
                                                        : manager->GetGlobalColor();
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color)) & 0xFFFFFF);
        const RECT r{0, 0, w, h};
        FillRect(DC, &r, brush);
        DeleteObject(brush);
        return;
    }

    const bool enabled = g.Enabled;
    InitCacheBmp(SkinData);
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (!cache) return;
    cache->SetPixelFormat(pf32bit);
    cache->SetSize(w, h);
    std::unique_ptr<TBitmap> temp;
    TBitmap* bmp = cache;
    if (!enabled) {
        temp = std::make_unique<TBitmap>(w, h, pf32bit);
        bmp = temp.get();
    }

    // The parent's background under the control.
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    TCacheInfo ci = EmptyCI;
    if (ParentWnd) {
        TacBGInfo bg;
        GetBGInfo(bg, ParentWnd, false);
        ci = BGInfoToCI(bg);
    }
    if (ci.Ready && ci.Bmp)
        BitBlt(bmp->Canvas()->Handle(), 0, 0, w, h, ci.Bmp->Canvas()->Handle(), ci.X + WndPos.X, ci.Y + WndPos.Y,
               SRCCOPY);
    else
        FillRect32(bmp, TRect(0, 0, w, h), ci.FillColor == clFuchsia ? manager->GetGlobalColor() : ci.FillColor, 0xFF);

    FBtn1Rect = g.Btn1Rect();
    FBtn2Rect = g.Btn2Rect();
    FBar1Rect = g.Bar1Rect();
    FBar2Rect = g.Bar2Rect();
    FSliderRect = g.SliderRect();
    const bool vertical = g.Vertical;
    const int hot = BarIsHot() ? 1 : 0;
    const auto paintBar = [&](const TRect& r, int state, const TacConstElementData& e) {
        if (r.IsEmpty() || !ValidSection(skin, e.SkinIndex)) return;
        PaintItemFast(e.SkinIndex, e.MaskIndex, e.BGIndex[0], e.BGIndex[1], MakeCacheInfo(bmp, 0, 0), true,
                      enabled ? std::max(state, hot) : 0, r, r.TopLeft(), bmp, manager);
    };
    paintBar(FBar1Rect, FBar1State, skin->Scrolls[vertical ? 1 : 0]);
    paintBar(FBar2Rect, FBar2State, skin->Scrolls[vertical ? 3 : 2]);

    CI = MakeCacheInfo(bmp, 0, 0);
    CI.Ready = true;
    ac_DrawScrollBtn(FBtn1Rect, FBtn1State, bmp, skin, vertical ? asTop : asLeft);
    ac_DrawScrollBtn(FBtn2Rect, FBtn2State, bmp, skin, vertical ? asBottom : asRight);
    if (enabled) {
        if (g.WorkSize() >= g.SliderSize()) ac_DrawSlider(FSliderRect, FSliderState, bmp, skin, vertical);
    } else {
        TsDisabledKind kind;
        kind.Include(dkBlended);
        BmpDisabledKind(bmp, kind, Control->Parent(), ci, WndPos);
    }
    GdiFlush();
    BitBlt(DC, 0, 0, w, h, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    CI.Bmp = enabled ? cache : nullptr;
    CI.Ready = enabled;
}

// ---------------------------------------------------------------------------------------------
// Messages

void TacSBWnd::PassOn(TMessage& Message)
{
    if (!CommonWndProc(Message, SkinData)) TacMainWnd::acWndProc(Message);
}

void TacSBWnd::acWndProc(TMessage& Message)
{
    if (!SkinData) {
        TacMainWnd::acWndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case SM_ALPHACMD:
        switch (AlphaCmdCode(Message.WParam)) {
        case AC_REFRESH:
            if (RefreshNeeded(SkinData, Message)) {
                CommonMessage(Message, SkinData);
                SkinData->BGChanged = true;
                return;
            }
            break;
        case AC_PARENTUPDATED:
            if (SkinData->FUpdating && !InUpdating(SkinData, true)) {
                RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                if (auto* windowed = dynamic_cast<TWinControl*>(OwnerControl())) SetParentUpdated(windowed);
            }
            return;
        case AC_CTRLHANDLED: Message.Result = 1; return;
        case AC_INVALIDATE: UpdateBar(); break;
        case AC_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); return;
        case AC_SETNEWSKIN:
        case AC_REMOVESKIN: break;
        default:
            if (CommonMessage(Message, SkinData)) return;
            TacMainWnd::acWndProc(Message);
            return;
        }
        break;
    case WM_SETREDRAW:
        if (!FRepainting) FLockCount += Message.WParam == 0 ? 1 : -1;
        break;
    case WM_NCPAINT: Message.Result = 0; return;
    case WM_PAINT: Paint(Message); return;
    case WM_PRINT:
        if (!SkinData->Skinned()) break;
        SendMessageW(CtrlHandle, WM_PAINT, Message.WParam, Message.LParam);
        if (Control) Control->Perform(WM_NCPAINT, 0, 0);
        return;
    case CM_ENABLEDCHANGED:
        PassOn(Message);
        SkinData->Invalidate();
        return;
    case CN_CTLCOLORSCROLLBAR: {
        // The window's own drawing (its mouse tracking draws without WM_PAINT) never shows.
        RECT r{};
        GetWindowRect(CtrlHandle, &r);
        ExcludeClipRect(reinterpret_cast<HDC>(Message.WParam), 0, 0, r.right - r.left, r.bottom - r.top);
        Message.Result = 0;
        return;
    }
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN: Press(Message); return;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP: {
        const TPoint p = ClientPoint(Message, Message.Msg == WM_NCLBUTTONUP);
        LMouseUp(p.X, p.Y);
        break;
    }
    case WM_CAPTURECHANGED: {
        const TPoint p = CursorPoint();
        LMouseUp(p.X, p.Y);
        break;
    }
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK: DoubleClick(Message); return;
    case WM_NCHITTEST:
        if (IsEnabled()) HitTest(Message);
        break;
    case CM_MOUSEENTER:
        FBar1State = FBar2State = 1;
        UpdateBar();
        break;
    case CM_MOUSELEAVE:
        FBtn1State = FBtn2State = 0;
        if (FSliderState != 2) FSliderState = FBar1State = FBar2State = 0;
        UpdateBar();
        break;
    case SBM_SETSCROLLINFO: {
        RECT r{};
        GetClientRect(CtrlHandle, &r);
        if (r.right == r.bottom) break;
        SetScrollInfoMsg(Message);
        return;
    }
    case CM_CHANGED:
        if (IsShowing()) {
            BaseWithoutDrawing(Message);
            return;
        }
        break;
    default: break;
    }
    PassOn(Message);
}
