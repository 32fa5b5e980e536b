// The edit wrapper's window method: the skinned border painted from the cache (the client stays
// the window's own), the disabled single-line edit shown from the cache, the hot and focused
// looks, printing, and the scroll bars kept current after whatever may scroll the content.
#include "acSBUtilsEdit.h"

#include "Forms.h"
#include "acGlow.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sCtrlStates.h"
#include "sGraphUtilsTemplate.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

namespace {

// Prints the client through a buffered paint while one is pending.
constexpr WORD AC_BUFFEREDPRINTCLIENT = 43;

// A paint request is only validated.
void Validate(HWND wnd)
{
    PAINTSTRUCT ps{};
    BeginPaint(wnd, &ps);
    EndPaint(wnd, &ps);
}

bool ClipBoxEmpty(HDC dc)
{
    RECT box{};
    return GetClipBox(dc, &box) == NULLREGION;
}

} // namespace

void TacEditWnd::RefreshCache()
{
    if (!SkinData || !SkinData->BGChanged) return;
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    if (!ParamsChanged) SetSkinParams();
    PrepareCache(SkinData, CtrlHandle, DlgMode);
}

void TacEditWnd::PaintFrame(HDC dc)
{
    ac_NCDraw(this, CtrlHandle, -1, dc);
    TBitmap* cache = SkinData ? SkinData->FCacheBmp.get() : nullptr;
    if (!cache || cache->Empty()) return;
    BitBltBorder(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0,
                 cxLeftEdge < 0 ? 2 : cxLeftEdge, cyTopEdge, cxRightEdge, cyBottomEdge);
}

void TacEditWnd::PaintWindowFrame(TMessage& Message)
{
    if (!ScrollsInitialized) SetWindowPos(CtrlHandle, nullptr, 0, 0, 0, 0, SWP_ACFRAMECHANGED);
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    Message.Result = 0;
    if (SkinData->FUpdating) return;
    HDC dc = GetWindowDC(CtrlHandle);
    if (!dc) return;
    if (dc != SkinData->PrintDC && ClipBoxEmpty(dc)) {
        ReleaseDC(CtrlHandle, dc);
        return;
    }
    RefreshCache();
    const int saved = SaveDC(dc);
    if (NCContent()) {
        // The previous procedure paints the frame's content, limited by the update region to
        // what lies inside the outer two pixels; a window region would make the window compute
        // its frame again and drop a region it had.
        StdNCPaint = true;
        HRGN region = nullptr;
        if (cxLeftEdge > 0) {
            RECT w{};
            GetWindowRect(CtrlHandle, &w);
            region = CreateRectRgn(w.left + 2, w.top + 2, w.right - 2, w.bottom - 2);
        }
        PassOnWithoutBars(this, CtrlHandle, WM_NCPAINT, region ? reinterpret_cast<WPARAM>(region) : 1, 0);
        if (region) DeleteObject(region);
        StdNCPaint = false;
    }
    PaintFrame(dc);
    RestoreDC(dc, saved);
    ReleaseDC(CtrlHandle, dc);
    CtrlState.Exclude(csNCPaintNeeded);
}

void TacEditWnd::HandlePaint(TMessage& Message)
{
    if (SkinData->CtrlSkinState & ACS_FRAMECHANGED) {
        SkinData->CtrlSkinState &= ~ACS_FRAMECHANGED;
        SetWindowPos(CtrlHandle, nullptr, 0, 0, 0, 0, SWP_ACFRAMECHANGED);
    }
    const auto given = reinterpret_cast<HDC>(Message.WParam);
    const bool printing = given && given == SkinData->PrintDC;
    bool empty = false;
    if (given) {
        empty = !printing && ClipBoxEmpty(given);
    } else {
        HDC probe = GetDC(CtrlHandle);
        empty = probe && ClipBoxEmpty(probe);
        if (probe) ReleaseDC(CtrlHandle, probe);
    }
    if (empty) {
        if (!given) Validate(CtrlHandle);
        Message.Result = 0;
        return;
    }
    if (SingleLineEdit && !IsWindowEnabled(CtrlHandle)) {
        // The disabled text is in the cache: the client shows the cache's client part.
        RefreshCache();
        PAINTSTRUCT ps{};
        HDC dc = given ? given : BeginPaint(CtrlHandle, &ps);
        TBitmap* cache = SkinData->FCacheBmp.get();
        if (dc && cache && !cache->Empty()) {
            const TRect client = ClientRect();
            BitBlt(dc, 0, 0, client.Width(), client.Height(), cache->Canvas()->Handle(), client.Left, client.Top,
                   SRCCOPY);
            HDC windowDC = GetWindowDC(CtrlHandle);
            PaintFrame(windowDC);
            ReleaseDC(CtrlHandle, windowDC);
        }
        if (!given) EndPaint(CtrlHandle, &ps);
        Message.Result = 0;
        return;
    }
    if (SkinData->FUpdating || (InAnimationProcess && !printing)) {
        if (!given) Validate(CtrlHandle);
        Message.Result = 0;
        return;
    }
    if ((GetWindowLongPtrW(CtrlHandle, GWL_STYLE) & 0x2000) == 0) {
        RefreshCache();
        HDC windowDC = GetWindowDC(CtrlHandle);
        PaintFrame(windowDC);
        ReleaseDC(CtrlHandle, windowDC);
    }
    CtrlState.Exclude(csPaintNeeded);
    if (!ParamsChanged) SetSkinParams();
    TacBaseWnd::acWndProc(Message);
}

void TacEditWnd::HandleEraseBkgnd(TMessage& Message)
{
    const auto dc = reinterpret_cast<HDC>(Message.WParam);
    if (dc && ClipBoxEmpty(dc)) {
        Message.Result = 1;
        return;
    }
    if (SkinData->FUpdating) {
        Message.Result = 0;
        return;
    }
    CtrlState.Exclude(csPaintNeeded);
    if (!ParamsChanged) SetSkinParams();
    if ((SingleLineEdit && !IsWindowEnabled(CtrlHandle)) ||
        (IsWinVistaUp() && InAnimationProcess && dc != SkinData->PrintDC)) {
        Message.Result = 1;
        return;
    }
    TacBaseWnd::acWndProc(Message);
}

void TacEditWnd::HandlePrint(TMessage& Message)
{
    TacBaseWnd::acWndProc(Message);
    if (Message.Result == 2) return;
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    SkinData->FUpdating = false;
    SkinData->BGChanged = true;
    if (!ParamsChanged) SetSkinParams();
    // The cache is painted whole, border included, as for the screen: the border-only repaint
    // composes over another background than the parent's and would print (and later show) a frame
    // the window does not have.
    PrepareCache(SkinData, CtrlHandle, DlgMode);
    const auto dc = reinterpret_cast<HDC>(Message.WParam);
    if (dc && (Message.LParam & PRF_NONCLIENT)) PaintFrame(dc);
}

void TacEditWnd::HandleFocus(TMessage& Message)
{
    auto* control = dynamic_cast<TWinControl*>(OwnerControl());
    if (!MayBeHot(SkinData) || !control || !control->HandleAllocated() || !control->CanFocus()) {
        TacBaseWnd::acWndProc(Message);
        return;
    }
    SkinData->BGChanged = true;
    SkinData->FFocused = Message.Msg == WM_SETFOCUS;
    TacBaseWnd::acWndProc(Message);
    SetSkinParams();
    if (CtrlState.Contains(csPaintNeeded))
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    else if (CtrlState.Contains(csNCPaintNeeded))
        TrySendMessage(CtrlHandle, WM_NCPAINT, 1, 0);
}

void TacEditWnd::acWndProc(TMessage& Message)
{
    // 1. Moves and sizes.
    if (Message.Msg == WM_MOVE || Message.Msg == WM_SIZE) {
        TControl* control = OwnerControl();
        if (!IsWindowVisible(CtrlHandle) && (GetWindowLongPtrW(CtrlHandle, GWL_STYLE) & WS_VISIBLE) == 0 && control &&
            control->Visible() && SkinData && SkinData->COC == 231 && !IsVirtualTreeWnd())
            return;
        FClientRect.Top = -1;
        TacBaseWnd::acWndProc(Message);
        if (SkinData && SkinData->GlowID >= 0) {
            if (Message.Msg == WM_MOVE)
                HideGlow(SkinData->GlowID, false);
            else
                RepaintGlow(SkinData->GlowID);
        }
        return;
    }
    if (Destroyed || !SkinData) {
        TacBaseWnd::acWndProc(Message);
        return;
    }

    // 2. Commands answered whether skinned or not.
    if (Message.Msg == SM_ALPHACMD) {
        switch (AlphaCmdCode(Message.WParam)) {
        case AC_CTRLHANDLED: Message.Result = 1; return;
        case AC_MOUSELEAVE:
            TacBaseWnd::acWndProc(Message);
            if (!acMouseInControlDC(CtrlHandle)) SkinData->FMouseAbove = false;
            return;
        case AC_BUFFEREDPRINTCLIENT:
            if (FInBufferedPrintClient) {
                BufferedPrintClient(CtrlHandle, TRect(0, 0, WndSize.cx, WndSize.cy), Color);
                FInBufferedPrintClient = false;
            }
            break;
        case AC_SETPPI:
            if (HandleAlphaCmd(Message)) return;
            break;
        default: break;
        }
    }

    // 3. Not skinned.
    if (!SkinnedNow()) {
        TacBaseWnd::acWndProc(Message);
        return;
    }

    // 4. Skinned.
    const bool shown = IsWindowVisible(CtrlHandle) && !bPreventStyleChange;
    switch (Message.Msg) {
    case WM_NCCALCSIZE:
        FClientRect.Top = -1;
        break;
    case WM_NCPAINT:
        if (shown && !InAnimationProcess && !StdNCPaint) {
            PaintWindowFrame(Message);
            return;
        }
        if (StdNCPaint) CtrlState.Exclude(csNCPaintNeeded);
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: HandleFocus(Message); return;
    case WM_SETREDRAW:
        if (Message.WParam == 1 && CtrlListChanged) {
            if (auto* control = dynamic_cast<TWinControl*>(OwnerControl())) AddToAdapter(control);
            CtrlListChanged = false;
        }
        break;
    case WM_SETTEXT:
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
        SkinData->BGChanged = true;
        TacBaseWnd::acWndProc(Message);
        if ((SkinData->CtrlSkinState & ACS_CHANGING) == 0 && !SkinData->FUpdating && SkinData->FUpdateCount <= 0 &&
            !InAnimationProcess)
            RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        return;
    case WM_PAINT:
        if (shown) {
            HandlePaint(Message);
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (shown) {
            HandleEraseBkgnd(Message);
            return;
        }
        break;
    case WM_PRINT: HandlePrint(Message); return;
    case SM_ALPHACMD:
        if (HandleAlphaCmd(Message)) return;
        break;
    default: break;
    }

    TacBaseWnd::acWndProc(Message);
    if (Destroyed || !SkinData) return;
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
        if (DefaultManager && !DefaultManager->ComponentState().Contains(csDesigning) && IsWindowEnabled(CtrlHandle) &&
            DefaultManager->ActiveControl() != CtrlHandle)
            DefaultManager->SetActiveControl(CtrlHandle);
        if (!SkinData->FUpdating && GetCapture() == CtrlHandle) UpdateScrolls(this, true);
        break;
    case WM_PARENTNOTIFY:
        if (LOWORD(Message.WParam) == WM_CREATE && SkinManager && SkinManager->SkinningRules().Contains(srThirdParty))
            CtrlListChanged = true;
        break;
    case CM_CONTROLLISTCHANGE: CtrlListChanged = true; break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: CommonWndProc(Message, SkinData); break;
    case CN_NOTIFY:
        if (Message.LParam && reinterpret_cast<NMHDR*>(Message.LParam)->code == static_cast<UINT>(-102) &&
            !SkinData->FUpdating)
            UpdateScrolls(this, true);
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SETFONT:
    case CN_KEYDOWN:
    case CN_KEYUP:
        if (!DontRepaint) UpdateScrolls(this, true);
        break;
    case EM_REPLACESEL:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_SETCURSEL:
    case LB_SETTOPINDEX: UpdateScrolls(this, true); break;
    default: break;
    }
}
