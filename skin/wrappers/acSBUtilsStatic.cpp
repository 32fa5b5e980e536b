// The static text wrapper: the parent's background and the caption in the skin's font colour.
#include "acSBUtilsStatic.h"

#include "Forms.h"
#include "sCommonData.h"
#include "sGraphUtilsTextEx.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

// Text format of the caption: tabs of 10 characters, expanded, unclipped, word-wrapped and
// vertically centred.
constexpr UINT kStaticFormat = 0x0BD4;

bool RightToLeftApp() { return Application && Application->BiDiMode() != bdLeftToRight; }

} // namespace

void TacStaticWnd::AfterCreation()
{
    if (SkinData && SkinData->SkinSection().empty()) SkinData->SetSkinSection(L"TRANSPARENT");
    TacMainWnd::AfterCreation();
    Caption = GetWndText(CtrlHandle);
    if (Caption.empty() || !GrowsToText()) return;
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    TRect r(0, 0, WndSize.cx, WndSize.cy);
    PaintText(true, r);
    if (WndSize.cx < r.Width() || WndSize.cy < r.Height())
        SetWindowPos(CtrlHandle, nullptr, 0, 0, r.Width(), r.Height(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
}

bool TacStaticWnd::LeftAlone() const
{
    return (GetWindowLongW(CtrlHandle, GWL_STYLE) & WS_TABSTOP) != 0 ||
           (GetWindowLongW(CtrlHandle, GWL_EXSTYLE) & WS_EX_STATICEDGE) != 0;
}

void TacStaticWnd::PaintText(bool CalcOnly, TRect& R)
{
    InitCacheBmp(SkinData);
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (!cache) return;
    SelectCtrlFont(this, false);
    TCanvas* canvas = cache->Canvas();
    if (CalcOnly) {
        RECT r{0, 0, WndSize.cx, WndSize.cy};
        DrawTextW(canvas->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &r, DT_CALCRECT | DT_WORDBREAK);
        R = TRect(r);
        return;
    }
    UINT flags = kStaticFormat;
    if (GetWindowLongW(CtrlHandle, GWL_EXSTYLE) & WS_EX_RIGHT) flags |= DT_RIGHT;
    if (RightToLeftApp()) flags |= DT_RTLREADING;
    TsSkinManager* manager = SkinData->GetSkinManager();
    canvas->Font()->SetColor(GetFontColor(CtrlHandle, SkinData->SkinIndex, manager, 0));
    canvas->Brush()->SetStyle(bsClear);
    SetBkMode(canvas->Handle(), TRANSPARENT);
    acWriteTextEx(canvas, Caption, true, R, flags, -1, false, manager);
}

bool TacStaticWnd::PaintContent()
{
    if (!Caption.empty()) {
        TRect r(0, 0, WndSize.cx, WndSize.cy);
        PaintText(false, r);
    }
    return true;
}

void TacStaticWnd::AC_WMPaint(TMessage& Message)
{
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    const HDC given = reinterpret_cast<HDC>(Message.WParam);
    const HDC dc = given ? given : GetWindowDC(CtrlHandle);
    if (!dc) return;
    const int saved = SaveDC(dc);
    if (RightToLeftApp()) SetLayout(dc, 0);
    SkinData->BGChanged = true;
    InitCacheBmp(SkinData);
    if (TBitmap* cache = SkinData->FCacheBmp.get()) {
        cache->SetPixelFormat(pf32bit);
        cache->SetSize(std::max<int>(0, WndSize.cx), std::max<int>(0, WndSize.cy));
        // The parent's background first: a section the skin lacks paints nothing over it.
        CopyParentBackground(cache, GetParentCacheHwnd(CtrlHandle), WndPos, SkinData->GetSkinManager());
        PrepareCache(SkinData, CtrlHandle, false);
        GdiFlush();
        if (PaintContent()) {
            GdiFlush();
            BitBlt(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
        }
    }
    RestoreDC(dc, saved);
    if (!given) ReleaseDC(CtrlHandle, dc);
}

void TacStaticWnd::acWndProc(TMessage& Message)
{
    if (!SkinData || LeftAlone()) {
        TacMainWnd::acWndProc(Message);
        return;
    }
    const bool visible = IsWindowVisible(CtrlHandle) != FALSE;
    auto passOn = [&] { Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam); };
    switch (Message.Msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        BeginPaint(CtrlHandle, &ps);
        if (visible) AC_WMPaint(Message);
        EndPaint(CtrlHandle, &ps);
        Message.Result = 0;
        return;
    }
    case WM_PRINT:
        AC_WMPaint(Message);
        return;
    case WM_ERASEBKGND:
        if (!visible) break;
        Message.Result = 1;
        return;
    case WM_SETTEXT:
        if (!visible) break;
        ProcessMessage(WM_SETREDRAW, 0, 0);
        passOn();
        Caption = GetWndText(CtrlHandle);
        SkinData->BGChanged = true;
        ProcessMessage(WM_SETREDRAW, 1, 0);
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return;
    case WM_MOVE:
    case WM_ENABLE:
        if (!visible) break;
        SkinData->BGChanged = true;
        passOn();
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return;
    case WM_NCPAINT:
        Message.Result = 0;
        return;
    default:
        break;
    }
    TacMainWnd::acWndProc(Message);
}
