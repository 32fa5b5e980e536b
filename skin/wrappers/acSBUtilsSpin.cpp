// The up-down wrapper: two skinned buttons whose states follow the pointer.
#include "acSBUtilsSpin.h"

#include "acScrollBar.h"
#include "sAlphaGraph.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sGraphUtilsArrows.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsPaintItem.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <commctrl.h>

#include <algorithm>

namespace {

bool ValidSkinIndex(const TacSkinData* skin, int index)
{
    return skin && index >= 0 && index < static_cast<int>(skin->gd.size());
}

} // namespace

bool TacSpinWnd::IsVertical() const { return (GetWindowLongW(CtrlHandle, GWL_STYLE) & UDS_HORZ) == 0; }

void TacSpinWnd::SetRTL(bool Value)
{
    RTL = Value;
    if (Value)
        SetWindowLongW(CtrlHandle, GWL_EXSTYLE, GetWindowLongW(CtrlHandle, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
}

void TacSpinWnd::UpdateStates(const TPoint& P)
{
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    const int pressed = bMousePressed ? 2 : 1;
    if (!WndRect.Contains(P)) {
        Btn1State = 0;
        Btn2State = 0;
        return;
    }
    if (IsVertical()) {
        TRect first = WndRect;
        first.Bottom -= WndRect.Height() / 2;
        const bool inFirst = first.Contains(P);
        Btn1State = inFirst ? pressed : 0;
        Btn2State = inFirst ? 0 : pressed;
        return;
    }
    TRect first = WndRect;
    first.Right -= WndRect.Width() / 2;
    // The halves are screen halves; in right-to-left mode the first button sits on the right.
    const bool inFirst = first.Contains(P) != RTL;
    Btn1State = inFirst ? pressed : 0;
    Btn2State = inFirst ? 0 : pressed;
}

void TacSpinWnd::AC_WMPaint(TMessage& Message)
{
    UpdateStates(acMousePos());
    PAINTSTRUCT ps{};
    BeginPaint(CtrlHandle, &ps);
    if (SkinData && !SkinData->FUpdating) {
        const HDC given = reinterpret_cast<HDC>(Message.WParam);
        const HDC dc = given ? given : GetWindowDC(CtrlHandle);
        if (dc) {
            SkinData->BGChanged = true;
            PrepareCache();
            if (TBitmap* cache = SkinData->FCacheBmp.get()) {
                const int left = IsVertical() ? std::min(lOffset, cache->Width()) : 0;
                BitBlt(dc, left, 0, cache->Width() - left, cache->Height(), cache->Canvas()->Handle(), left, 0, SRCCOPY);
            }
            if (!given) ReleaseDC(CtrlHandle, dc);
        }
    }
    EndPaint(CtrlHandle, &ps);
    Message.Result = 0;
}

void TacSpinWnd::PrepareCache()
{
    TacBGInfo bg;
    bg.PleaseDraw = false;
    GetBGInfo(bg, ParentWnd);
    const TCacheInfo ci = BGInfoToCI(bg);
    InitCacheBmp(SkinData);
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (!cache) return;
    cache->SetPixelFormat(pf32bit);
    const int w = std::max<int>(0, WndSize.cx), h = std::max<int>(0, WndSize.cy);
    cache->SetSize(w, h);
    if (IsVertical()) {
        PaintButton(TRect(lOffset, 0, w, h / 2 + h % 2), Btn1State, asTop, ci);
        PaintButton(TRect(lOffset, h / 2, w, h), Btn2State, asBottom, ci);
    } else {
        // The window is mirrored in right-to-left mode, so the first button stays at the left
        // of the cache and lands on the right of the screen.
        PaintButton(TRect(0, 0, w / 2 + w % 2, h), Btn1State, asLeft, ci);
        PaintButton(TRect(w / 2, 0, w, h), Btn2State, asRight, ci);
    }
    SkinData->BGChanged = false;
    GdiFlush();
}

void TacSpinWnd::PaintButton(const TRect& R, int State, TacSide Side, const TCacheInfo& BG)
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    TacSkinData* skin = SkinData->GetCommonSkinData();
    TsSkinManager* manager = SkinData->GetSkinManager();
    if (!cache || !skin || !manager || R.Width() <= 0 || R.Height() <= 0) return;
    const TacConstElementData& button = skin->UpDownBtns[Side];
    const TPoint at(WndPos.X + R.Left, WndPos.Y + R.Top);
    if (!BG.Ready) FillRect32(cache, R, BG.FillColor, 0xFF);
    if (ValidSkinIndex(skin, button.SkinIndex)) PaintItem(button.SkinIndex, BG, true, State, R, at, cache, manager);

    const int glyph = skin->ScrollBtns[Side].GlyphIndex;
    if (glyph >= 0 && glyph < static_cast<int>(skin->ma.size())) {
        DrawCenteredGlyph(cache, glyph, State, R, skin);
        return;
    }
    const int fontIndex =
        ValidSkinIndex(skin, button.SkinIndex) ? GetFontIndex(OwnerControl(), button.SkinIndex, manager, State) : -1;
    const TColor color = ValidSkinIndex(skin, fontIndex)
                             ? skin->gd[static_cast<size_t>(fontIndex)].Props[State > 0 ? 1 : 0].FontColor.Color
                             : TColor(0);
    TRect r = R;
    if (State == 2 && CanClickShift(button.SkinIndex, skin)) r.Offset(1, 1);
    const int ppi = skin->PPI > 0 ? skin->PPI : 96;
    if (Side == asTop || Side == asBottom)
        DrawColorArrow(cache, color, r, Side, ppi);
    else
        DrawArrow(cache, color, clNone, r, Side, 0, 0, 0, manager->Options()->ActualArrowStyle(), ppi);
}

void TacSpinWnd::Redraw() { RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME); }

void TacSpinWnd::AfterCreation()
{
    Btn1State = 0;
    Btn2State = 0;
    lOffset = 0;
    OwnerWnd = nullptr;
    bMousePressed = false;
    RTL = false;
    TacMainWnd::AfterCreation();
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    Skinned = true;
}

void TacSpinWnd::acWndProc(TMessage& Message)
{
    if (!Skinned) {
        TacMainWnd::acWndProc(Message);
    } else {
        switch (Message.Msg) {
        case WM_PAINT:
            AC_WMPaint(Message);
            if (OwnerWnd) SendAMessage(OwnerWnd, AC_FORMBLENDVALUE);
            return;
        case WM_ERASEBKGND:
        case WM_NCPAINT: Message.Result = 1; return;
        case WM_LBUTTONDOWN:
            bMousePressed = true;
            TacMainWnd::acWndProc(Message);
            Redraw();
            return;
        case WM_LBUTTONUP:
            bMousePressed = false;
            TacMainWnd::acWndProc(Message);
            Redraw();
            return;
        case WM_LBUTTONDBLCLK:
            TacMainWnd::acWndProc(Message);
            bMousePressed = true;
            Redraw();
            bMousePressed = false;
            return;
        case WM_MOUSELEAVE:
            InvalidateRect(CtrlHandle, nullptr, FALSE);
            break;
        case SM_ALPHACMD:
            if (AlphaCmdCode(Message.WParam) == AC_MOUSELEAVE)
                RedrawWindow(CtrlHandle, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            break;
        case WM_MOUSEMOVE: {
            TacMainWnd::acWndProc(Message);
            if (!DefaultManager || DefaultManager->ComponentState().Contains(csDesigning) || !IsWindowEnabled(CtrlHandle))
                return;
            RECT r{};
            GetWindowRect(CtrlHandle, &r);
            const TPoint p = acMousePos();
            if (!TRect(r).Contains(p)) {
                if (DefaultManager->ActiveControl() == CtrlHandle) DefaultManager->SetActiveControl(nullptr);
            } else if (DefaultManager->ActiveControl() == CtrlHandle) {
                Redraw();
            } else {
                DefaultManager->SetActiveControl(CtrlHandle);
            }
            return;
        }
        default: break;
        }
        TacMainWnd::acWndProc(Message);
    }
    // A mirrored owner lays the up-down out from its own right edge: it stays at x = 0.
    if (Message.Msg == WM_WINDOWPOSCHANGING && OwnerWnd && RTL)
        if (auto* pos = reinterpret_cast<WINDOWPOS*>(Message.LParam)) pos->x = 0;
}
