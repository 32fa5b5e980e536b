// The push-button wrapper: states, caption, modal colours and the window messages.
#include "acSBUtilsButtons.h"

#include "Forms.h"
#include "StdCtrls.h"
#include "acAnimation.h"
#include "acGlow.h"
#include "sCommonData.h"
#include "sDefaults.h"
#include "sGraphUtils.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsText.h"
#include "sGraphUtilsTextEx.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

constexpr TColor kUnset = static_cast<TColor>(0x1FFFFFFF);

// A default push button of any kind; an owner-drawn button (whose type also has bit 1) is none.
bool DefaultStyle(DWORD style)
{
    const DWORD type = style & BS_TYPEMASK;
    return type == BS_DEFPUSHBUTTON || type == BS_DEFSPLITBUTTON || type == BS_DEFCOMMANDLINK;
}

bool RightToLeftApp() { return Application && Application->BiDiMode() != bdLeftToRight; }

} // namespace

TsSkinManager* TacBtnWnd::Manager() const { return SkinData ? SkinData->GetSkinManager() : nullptr; }

DWORD TacBtnWnd::CtrlStyle() const { return static_cast<DWORD>(GetWindowLongW(CtrlHandle, GWL_STYLE)); }

bool TacBtnWnd::Down() const { return (SendMessageW(CtrlHandle, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }

int TacBtnWnd::SectionStates()
{
    TacSkinData* skin = SkinData ? SkinData->GetCommonSkinData() : nullptr;
    if (!skin || SkinData->SkinIndex < 0 || SkinData->SkinIndex >= static_cast<int>(skin->gd.size())) return 1;
    return std::max(1, skin->gd[static_cast<size_t>(SkinData->SkinIndex)].States);
}

void TacBtnWnd::AfterCreation()
{
    if (auto* lit = dynamic_cast<TsCtrlSkinData*>(SkinData))
        lit->OnUpdateLight = [this](TObject*, PacAnimEventData) {
            if (!SkinData) return;
            auto* data = static_cast<TsCtrlSkinData*>(SkinData);
            TsSkinManager* m = Manager();
            const bool lighting = m && m->AnimEffects()->Buttons()->Events.Contains(beLighting);
            if (IsWindowVisible(CtrlHandle) && IsWindowEnabled(CtrlHandle) && lighting)
                DoUpdateLight(data);
            else
                data->FDoLighting = false;
        };
    FMouseClicked = false;
    if (SkinData->SkinSection().empty()) SkinData->SetSkinSection(L"BUTTON");
    SkinData->COC = 93;
    if (auto* button = dynamic_cast<TButton*>(OwnerControl())) {
        const int result = button->ModalResult();
        ID = result == 1 || result == 6 ? 1 : result == 2 || result == 7 ? 7 : 0;
    } else {
        ID = GetDlgCtrlID(CtrlHandle);
    }
    TacMainWnd::AfterCreation();
}

int TacBtnWnd::CurrentState()
{
    if (Down()) {
        if (SkinData) HideGlow(SkinData->GlowID, false);
        return 2;
    }
    if (!IsWindowEnabled(CtrlHandle)) return 0;
    TControl* owner = OwnerControl();
    if (owner) {
        if (!owner->ComponentState().Contains(csDesigning) && ControlIsActive(SkinData)) return 1;
    } else {
        TsSkinManager* m = DefaultManager;
        if (GetFocus() == CtrlHandle || (m && m->ActiveControl() == CtrlHandle) || SkinData->FMouseAbove) return 1;
    }
    if (DefaultStyle(CtrlStyle())) return owner ? 1 : 3;
    return 0;
}

int TacBtnWnd::MaxCaptionWidth()
{
    if (Caption.empty()) return 0;
    const TSize g = GlyphSize();
    return g.cx > 0 ? std::max<int>(0, WndSize.cx - g.cx) : static_cast<int>(WndSize.cx) + 1;
}

TSize TacBtnWnd::TextRectSize()
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (!cache || Caption.empty()) return TSize{0, 0};
    RECT r{0, 0, MaxCaptionWidth() + 2, 0};
    const UINT flags = (CtrlStyle() & BS_MULTILINE) ? 0xC51 : 0xC41;
    DrawTextW(cache->Canvas()->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &r, flags | DT_CALCRECT);
    return TSize{r.right - r.left, r.bottom - r.top};
}

TRect TacBtnWnd::CaptionRect()
{
    const TSize t = TextRectSize();
    const int x = (WndSize.cx - t.cx) / 2, y = (WndSize.cy - t.cy) / 2;
    TRect r(x, y, x + t.cx, y + t.cy);
    if (CurrentState() == 2 && CanClickShift(SkinData->SkinIndex, SkinData->GetCommonSkinData())) r.Offset(1, 1);
    return r;
}

void TacBtnWnd::DrawCaption(const TacColoring& Coloring)
{
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (!cache || Caption.empty()) return;
    SelectCtrlFont(this, false);
    TCanvas* canvas = cache->Canvas();
    TRect r = CaptionRect();
    UINT flags = DT_CENTER | DT_EXPANDTABS;
    if (CtrlStyle() & BS_MULTILINE) flags |= DT_WORDBREAK;
    if (GetWindowLongW(CtrlHandle, GWL_EXSTYLE) & WS_EX_RTLREADING) flags |= DT_RTLREADING;
    SetBkMode(canvas->Handle(), TRANSPARENT);
    const int state = CurrentState();
    const bool enabled = IsWindowEnabled(CtrlHandle) != FALSE;
    if (Coloring.ColorText != kUnset && Coloring.ColorText != clNone) {
        canvas->Font()->SetColor(static_cast<TColor>(Coloring.ColorText & 0xFFFFFF));
        TRect t = r;
        acDrawText(canvas->Handle(), Caption, t, flags, cache);
    } else {
        TRect t = r;
        acWriteTextEx(canvas, Caption, enabled, t, flags, SkinData, state != 0);
    }
    TsSkinManager* m = Manager();
    if (enabled && m && m->ButtonsOptions()->ShowFocusRect &&
        (SendMessageW(CtrlHandle, BM_GETSTATE, 0, 0) & BST_FOCUS) != 0) {
        TRect f(r.Left - 2, std::max<int>(3, r.Top - 1), r.Right + 2, std::min<int>(WndSize.cy - 3, r.Bottom + 1));
        const TColor color = GetFontColor(CtrlHandle, SkinData->SkinIndex, m, std::min(1, SectionStates() - 1));
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color)) & 0xFFFFFF);
        const RECT fr = f;
        FrameRect(canvas->Handle(), &fr, brush);
        DeleteObject(brush);
    }
}

void TacBtnWnd::PrepareCache()
{
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    const TCacheInfo parent = GetParentCacheHwnd(CtrlHandle);
    InitCacheBmp(SkinData);
    TBitmap* cache = SkinData->FCacheBmp.get();
    TsSkinManager* m = Manager();
    if (!cache || !m) return;
    cache->SetPixelFormat(pf32bit);
    cache->SetSize(std::max<int>(0, WndSize.cx), std::max<int>(0, WndSize.cy));
    const int states = SectionStates();
    const int current = CurrentState();
    const int state = current == 3 ? (states < 4 ? 1 : std::min(3, states - 1)) : std::min(current, states - 1);
    TPoint p = WndPos;
    if (RightToLeftApp() && ParentWnd) {
        HDC parentDC = GetDC(ParentWnd);
        const bool mirrored = parentDC && (GetLayout(parentDC) & LAYOUT_RTL) != 0;
        if (parentDC) ReleaseDC(ParentWnd, parentDC);
        if (mirrored) {
            p.X = (parent.Bmp ? parent.Bmp->Width() : 0) - p.X;
            if (m->ExtendedBorders()) p.X -= 2 * parent.X;
        }
    }
    const TRect whole(0, 0, cache->Width(), cache->Height());
    PaintItem(SkinData, parent, true, state, whole, p, cache, true);
    if (auto* lit = dynamic_cast<TsCtrlSkinData*>(SkinData)) HandleLighting(lit, state);
    TacColoring coloring;
    coloring.ColorToneBG = coloring.ColorGlyph = coloring.ColorText = kUnset;
    GetColoring(coloring);
    if (coloring.ColorToneBG != kUnset) UpdateBmpColors(cache, SkinData, true, coloring.ColorToneBG);
    DrawCaption(coloring);
    DrawGlyph();
    if (!IsWindowEnabled(CtrlHandle)) BlendTowardParent(cache, parent, WndPos, m);
    GdiFlush();
    SkinData->BGChanged = false;
}

bool TacBtnWnd::SiblingExists(int Command)
{
    const HWND parent = GetParent(CtrlHandle);
    if (!parent) return false;
    if (auto* button = dynamic_cast<TButton*>(OwnerControl())) {
        TWinControl* p = button->Parent();
        if (!p) return false;
        for (int i = 0; i < p->ControlCount(); ++i)
            if (auto* b = dynamic_cast<TButton*>(p->Controls(i)); b && b != button && b->ModalResult() == Command)
                return true;
        return false;
    }
    const HWND sibling = GetDlgItem(parent, Command);
    return sibling && sibling != CtrlHandle;
}

void TacBtnWnd::GetColoring(TacColoring& Coloring)
{
    Coloring.ColorToneBG = Coloring.ColorGlyph = Coloring.ColorText = kUnset;
    TsSkinManager* m = Manager();
    if (!m || m->ButtonsOptions()->ModalButtonsColoring.Empty()) return;
    if (ID != 1 && ID != 2 && ID != 6 && ID != 7) return;
    const bool positive = ID == 1 || ID == 6;
    const bool okOrYes = SiblingExists(1) || SiblingExists(6);
    if (ID == 2 && !okOrYes) return;
    const bool noPresent = ID == 2 && SiblingExists(7);
    const int s = CurrentState();
    const TacModalButtonsColoring& options = m->ButtonsOptions()->ModalButtonsColoring;
    const TColor negative = noPresent ? (s == 0 ? 0xFFAE7400 : 0xFF916000) : (s == 0 ? 0xFF0000B4 : 0xFF0000A2);
    if (options.Contains(bcBackground))
        Coloring.ColorToneBG = positive ? (s == 0 ? 0xFF7BD098 : 0xFF3EE275)
                                        : noPresent ? (s == 0 ? 0xFFFFEDC9 : 0xFFFFE9BE)
                                                    : (s == 0 ? 0xFF9E9EFF : 0xFF7E7EFF);
    const TColor ink = positive ? (s == 0 ? 0xFF28851A : 0xFF008E00) : negative;
    if (options.Contains(bcGlyph)) Coloring.ColorGlyph = ink;
    if (options.Contains(bcText)) Coloring.ColorText = ink;
}

void TacBtnWnd::Repaint() { RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

void TacBtnWnd::ac_WMPaint(TMessage& Message)
{
    PAINTSTRUCT ps{};
    const HDC given = reinterpret_cast<HDC>(Message.WParam);
    if (!given) BeginPaint(CtrlHandle, &ps);
    if (SkinData->Skinned()) {
        InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
        if (!InUpdating(SkinData, false)) {
            SkinData->BGChanged = true;
            PrepareCache();
            const HDC dc = given ? given : GetWindowDC(CtrlHandle);
            if (dc) {
                if (RightToLeftApp()) SetLayout(dc, 0);
                if (TBitmap* cache = SkinData->FCacheBmp.get())
                    BitBlt(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
                if (!given) ReleaseDC(CtrlHandle, dc);
            }
        }
    }
    if (!given) EndPaint(CtrlHandle, &ps);
    Message.Result = 0;
}

void TacBtnWnd::acWndProc(TMessage& Message)
{
    if (!SkinData) {
        TacMainWnd::acWndProc(Message);
        return;
    }
    auto passOn = [&] { Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam); };
    const bool visible = IsWindowVisible(CtrlHandle) != FALSE;
    switch (Message.Msg) {
    case WM_NCPAINT:
    case WM_UPDATEUISTATE:
        Message.Result = 0;
        return;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case WM_PAINT:
        if (visible) ac_WMPaint(Message);
        return;
    case WM_PRINT:
        ac_WMPaint(Message);
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (!IsWindowEnabled(CtrlHandle)) break;
        ProcessMessage(WM_SETREDRAW, 0, 0);
        passOn();
        ProcessMessage(WM_SETREDRAW, 1, 0);
        SkinData->FMouseAbove = Message.Msg == WM_SETFOCUS;
        SkinData->BGChanged = true;
        StopTimer(SkinData);
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return;
    case WM_ENABLE:
    case WM_SETTEXT:
    case BM_SETSTATE:
        if (!visible) break;
        if (Message.Msg == WM_SETTEXT) StopTimer(SkinData);
        ProcessMessage(WM_SETREDRAW, 0, 0);
        passOn();
        if (Message.Msg == WM_SETTEXT) Caption = GetWndText(CtrlHandle);
        ProcessMessage(WM_SETREDRAW, 1, 0);
        SkinData->BGChanged = true;
        StopTimer(SkinData);
        Repaint();
        return;
    case WM_MOVE:
    case WM_SIZE:
        SkinData->BGChanged = true;
        passOn();
        if (SkinData->GlowID >= 0) {
            if (Message.Msg == WM_MOVE)
                HideGlow(SkinData->GlowID, false);
            else
                RepaintGlow(SkinData->GlowID);
        }
        return;
    case WM_LBUTTONUP:
        if (OwnerControl() && EventEnabled(aeClick, {aeGlobalDef}, Manager())) DoClickAnimation(SkinData, cm1);
        if (FMouseClicked) {
            StopTimer(SkinData);
            FMouseClicked = false;
            passOn();
            if (IsWindowVisible(CtrlHandle)) SendAMessage(CtrlHandle, AC_MOUSEENTER, reinterpret_cast<LPARAM>(Manager()));
        } else {
            passOn();
            StopTimer(SkinData);
            SkinData->BGChanged = false;
            DoChangePaint(SkinData, 1, UpdateWindow_CB, EventEnabled(aeMouseUp, {aeGlobalDef}, Manager()), false, true);
        }
        return;
    case WM_MOUSEHOVER:
        SendAMessage(CtrlHandle, AC_MOUSEENTER, reinterpret_cast<LPARAM>(Manager()));
        return;
    case WM_MOUSELEAVE:
        if (DefaultManager && DefaultManager->ActiveControl() == CtrlHandle) DefaultManager->SetActiveControl(nullptr);
        passOn();
        return;
    case WM_MOUSEMOVE: {
        passOn();
        // Wine's button asks for no hover or leave messages itself.
        TRACKMOUSEEVENT tme{sizeof(tme), TME_QUERY, CtrlHandle, 0};
        if (TrackMouseEvent(&tme) && !(tme.dwFlags & TME_LEAVE)) {
            TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, CtrlHandle, HOVER_DEFAULT};
            TrackMouseEvent(&track);
        }
        TsSkinManager* m = DefaultManager;
        if (IsWindowEnabled(CtrlHandle) && m && !m->ComponentState().Contains(csDestroying) && !m->Options()->GetBool(1)) {
            if (acMouseInControlDC(CtrlHandle))
                m->SetActiveControl(CtrlHandle);
            else if (m->ActiveControl() == CtrlHandle)
                m->SetActiveControl(nullptr);
        }
        return;
    }
    case SM_ALPHACMD:
        switch (AlphaCmdCode(Message.WParam)) {
        case AC_PREPARECACHE:
            PrepareCache();
            return;
        case AC_SETNEWSKIN:
        case AC_REMOVESKIN:
            // The light pictures belong to the old skin.
            if (Message.LParam == reinterpret_cast<LPARAM>(SkinManager))
                if (auto* lit = dynamic_cast<TsCtrlSkinData*>(SkinData)) {
                    lit->HotCache.reset();
                    lit->LightMask.reset();
                }
            break;
        case AC_MOUSEENTER: {
            TsSkinManager* m = DefaultManager;
            if (FMouseClicked || !m || m->ActiveControl() != CtrlHandle || m->Options()->GetBool(1) ||
                !acMouseInControlDC(CtrlHandle))
                return;
            StopTimer(SkinData);
            SkinData->BGChanged = false;
            SkinData->FMouseAbove = true;
            FMouseClicked = true;
            DoChangePaint(SkinData, 1, UpdateWindow_CB, EventEnabled(aeMouseEnter, {aeGlobalDef}, Manager()), false, true);
            return;
        }
        case AC_MOUSELEAVE:
            FMouseClicked = false;
            StopTimer(SkinData);
            SkinData->FMouseAbove = false;
            SkinData->BGChanged = false;
            DoChangePaint(SkinData, 0, UpdateWindow_CB, EventEnabled(aeMouseLeave, {aeGlobalDef}, Manager()), false, true);
            return;
        case AC_GETGLOWCOLOR: {
            // The requester hands the address of one colour: only the background slot exists.
            Message.Result = 0;
            if (!SkinData->Skinned() || !acCommandPointerTrusted(Message) || !Message.LParam) return;
            TacColoring coloring;
            GetColoring(coloring);
            if (ID != 1 && ID != 2 && ID != 6 && ID != 7) return;
            if (ID == 2 && !SiblingExists(1) && !SiblingExists(6)) return;
            if (coloring.ColorToneBG != kUnset) *reinterpret_cast<TColor*>(Message.LParam) = coloring.ColorToneBG;
            Message.Result = 1;
            return;
        }
        default:
            break;
        }
        break;
    default:
        break;
    }
    TacMainWnd::acWndProc(Message);
}
