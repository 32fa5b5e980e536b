// The MDI client wrapper: wall, skinned bars and the MDI messages that change the form's look.
#include "acSBUtilsMDI.h"

#include "Forms.h"
#include "acDials.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sGraphUtilsTemplate.h"
#include "sMessages.h"
#include "sSkinProvider.h"
#include "sSkinMenus.h"
#include "sSplitter.h"
#include "sVclUtils.h"

namespace {

constexpr UINT WM_MDICALCCHILDSCROLL = 0x3F;

} // namespace

TacMDIWnd::~TacMDIWnd()
{
    MDISkinData = nullptr;
    SkinProvider = nullptr;
}

TRect TacMDIWnd::ClientRectInForm() const
{
    RECT client{}, form{};
    GetWindowRect(CtrlHandle, &client);
    if (FForm && FForm->HandleAllocated()) GetWindowRect(FForm->Handle(), &form);
    TRect r(client.left - form.left, client.top - form.top, client.right - form.left, client.bottom - form.top);
    if (SkinProvider && SkinProvider->BorderForm) {
        const TRect shadow = SkinProvider->ShadowSize();
        r.Offset(shadow.Left + DiffBorder(SkinProvider->BorderForm),
                 shadow.Top + DiffTitle(SkinProvider->BorderForm) + DiffBorder(SkinProvider->BorderForm));
    }
    return r;
}

bool TacMDIWnd::MaximizedChild() const
{
    TCustomForm* child = FForm ? FForm->ActiveMDIChild() : nullptr;
    return child && child->HandleAllocated() && IsZoomed(child->Handle());
}

bool TacMDIWnd::SkinningOn() const
{
    return DrawSkinnedMDIWall && DrawSkinnedMDIScrolls && MDISkinData && MDISkinData->Skinned();
}

void TacMDIWnd::PaintClientBG(HDC DC, bool Printing)
{
    if (!SkinProvider || !MDISkinData) return;
    if (!MDISkinData->FCacheBmp || MDISkinData->BGChanged) SkinProvider->PaintAll();
    TBitmap* cache = MDISkinData->FCacheBmp.get();
    if (!cache) return;
    const TRect r = ClientRectInForm();
    const int edge = !Printing && (GetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? 2 : 0;
    BitBlt(DC, 0, 0, r.Width() - 2 * edge, r.Height() - 2 * edge, cache->Canvas()->Handle(), r.Left + edge, r.Top + edge,
           SRCCOPY);
}

void TacMDIWnd::PaintBorder(HDC DC)
{
    TBitmap* cache = MDISkinData ? MDISkinData->FCacheBmp.get() : nullptr;
    if (!cache) return;
    const TRect r = ClientRectInForm();
    BitBltBorder(DC, 0, 0, r.Width(), r.Height(), cache->Canvas()->Handle(), r.Left, r.Top, 2, -1, -1, -1);
}

void TacMDIWnd::UpdateGraphControls()
{
    if (!FForm || FForm->MDIChildCount() == 0 || !MaximizedChild() || !FForm->HandleAllocated()) return;
    HDC dc = GetDC(FForm->Handle());
    for (int i = 0; i < FForm->ControlCount(); ++i) {
        auto* splitter = dynamic_cast<TsSplitter*>(FForm->Controls(i));
        if (!splitter) continue;
        TacBGInfo info;
        info.R = splitter->BoundsRect();
        info.DrawDC = dc;
        info.PleaseDraw = true;
        const TacOwnSend own;
        SendMessageW(FForm->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_GETBG), reinterpret_cast<LPARAM>(&info));
    }
    ReleaseDC(FForm->Handle(), dc);
}

void TacMDIWnd::ScrollContent(TMessage& Message)
{
    const int bar = Message.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT;
    const int pos = HIWORD(Message.WParam);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_POS;
    GetScrollInfo(CtrlHandle, bar, &si);
    const int delta = (si.nPos - pos) * 8;
    if (delta)
        ScrollWindowEx(CtrlHandle, bar == SB_HORZ ? delta : 0, bar == SB_VERT ? delta : 0, nullptr, nullptr, nullptr,
                       nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    si.nPos = pos;
    SetScrollInfo(CtrlHandle, bar, &si, FALSE);
    nLastSBPos = pos;
    Message.Result = 0;
}

void TacMDIWnd::acWndProc(TMessage& Message)
{
    if (Message.Msg == SM_ALPHACMD) {
        switch (AlphaCmdCode(Message.WParam)) {
        case AC_MDINOTIFY:
            if (FForm && FForm->HandleAllocated()) Message.Result = SendAMessage(FForm->Handle(), AC_MDINOTIFY);
            return;
        case AC_GETBG:
            if (FForm && FForm->HandleAllocated() && acCommandPointerTrusted(Message)) {
                auto* info = reinterpret_cast<TacBGInfo*>(Message.LParam);
                const TRect client = ClientRectInForm();
                info->R.Offset(client.Left, client.Top);
                const TacOwnSend own;
                Message.Result = SendMessageW(FForm->Handle(), SM_ALPHACMD, Message.WParam, Message.LParam);
                info->Offset = TPoint(info->Offset.X - client.Left, info->Offset.Y - client.Top);
            }
            return;
        case AC_BEGINSCROLL: {
            const WORD code = LOWORD(Message.LParam);
            SendMessageW(CtrlHandle, WM_SETREDRAW, FALSE, 0);
            Message.Result = code == SB_THUMBPOSITION || code == SB_THUMBTRACK ? 1 : 0;
            return;
        }
        case AC_ENDSCROLL:
            SendMessageW(CtrlHandle, WM_SETREDRAW, TRUE, 0);
            if (LOWORD(Message.LParam) != SB_THUMBTRACK) {
                RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
                UpdateScrolls(this, true);
                ReleaseCapture();
            } else {
                UpdateScrolls(this, true);
            }
            return;
        default: break;
        }
    }
    if (MDISkinData && SkinningOn()) {
        switch (Message.Msg) {
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (LOWORD(Message.WParam) == SB_THUMBTRACK || LOWORD(Message.WParam) == SB_THUMBPOSITION) {
                ScrollContent(Message);
                return;
            }
            break;
        case WM_MDICREATE:
            TacBaseWnd::acWndProc(Message);
            if (Message.Result) AddSupportedForm(reinterpret_cast<HWND>(Message.Result), nullptr);
            return;
        case WM_MDITILE:
        case WM_MDICASCADE:
            TacBaseWnd::acWndProc(Message);
            if (MDISkinProvider && MDISkinProvider->Form && MDISkinProvider->Form->ActiveMDIChild() &&
                MDISkinProvider->Form->ActiveMDIChild()->HandleAllocated() &&
                IsZoomed(MDISkinProvider->Form->ActiveMDIChild()->Handle())) {
                if (MDISkinProvider->MDIForm) MDISkinProvider->MDIForm->UpdateMDIIconItem();
                InvalidateRect(CtrlHandle, nullptr, TRUE);
                if (FForm && FForm->HandleAllocated())
                    RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
                if (MDISkinProvider->SystemMenu) MDISkinProvider->SystemMenu->UpdateItems();
            }
            return;
        case WM_PRINT:
            if (!MaximizedChild()) {
                HDC dc = reinterpret_cast<HDC>(Message.WParam);
                PaintClientBG(dc, true);
                ac_NCDraw(this, CtrlHandle, -1, dc);
            }
            return;
        case WM_NCPAINT:
            if (!MaximizedChild() && !(SkinProvider && SkinProvider->FInAnimation)) {
                HDC dc = GetWindowDC(CtrlHandle);
                PaintBorder(dc);
                ReleaseDC(CtrlHandle, dc);
                ac_NCDraw(this, CtrlHandle, -1, nullptr);
            }
            return;
        case WM_ERASEBKGND:
            if (!MaximizedChild()) PaintClientBG(reinterpret_cast<HDC>(Message.WParam), false);
            else UpdateGraphControls();
            Message.Result = 1;
            return;
        case WM_PAINT:
            if (SkinProvider && SkinProvider->FInAnimation) {
                ValidateRect(CtrlHandle, nullptr);
                return;
            }
            break;
        case WM_WINDOWPOSCHANGED:
            TacBaseWnd::acWndProc(Message);
            if (SkinProvider) RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
            return;
        case WM_STYLECHANGED:
            TacBaseWnd::acWndProc(Message);
            SetWindowPos(CtrlHandle, nullptr, 0, 0, 0, 0, SWP_ACFRAMECHANGED);
            return;
        default: break;
        }
    }
    TacBaseWnd::acWndProc(Message);
    switch (Message.Msg) {
    case WM_MDICALCCHILDSCROLL:
    case WM_PARENTNOTIFY: {
        const LONG_PTR style = GetWindowLongPtrW(CtrlHandle, GWL_STYLE);
        if (sBarVert) sBarVert->fScrollVisible = (style & WS_VSCROLL) != 0;
        if (sBarHorz) sBarHorz->fScrollVisible = (style & WS_HSCROLL) != 0;
        UpdateScrolls(this, true);
        break;
    }
    case WM_MDIREFRESHMENU:
    case WM_MDISETMENU:
        if (SkinProvider) SkinProvider->UpdateSkinCaption();
        break;
    default: break;
    }
}
