// The page control wrapper and the page wrappers: pages painted with the tab control's
// background, so that they look transparent on the skinned frame.
#include "acSBUtilsTabs.h"

#include "ComCtrls.h"
#include "acSBUtilsSpin.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sGraphUtilsBackground.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <commctrl.h>

namespace {

// A wrapper asked for its skin manager (what the pages of a foreign tab control are made with).
constexpr WORD kAskSkinManager = 27;

struct ChildSearch {
    HWND Parent;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectDirectChild(HWND wnd, LPARAM data)
{
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (GetParent(wnd) == search->Parent) search->Found.push_back(wnd);
    return TRUE;
}

bool AnswersHandled(HWND wnd) { return SendMessageW(wnd, SM_ALPHACMD, MakeAlphaCmd(AC_CTRLHANDLED), 0) == 1; }

TacPageWnd* NewPageWnd(HWND wnd, TsSkinManager* manager, TControl* page)
{
    TacSkinParams params;
    params.Control = page;
    params.SkinSection = L"TRANSPARENT";
    auto* w = CreateWrapper<TacPageWnd>(wnd, nullptr, manager, params, true);
    acPageWndList().push_back(w);
    return w;
}

} // namespace

std::vector<TacPageWnd*>& acPageWndList()
{
    static std::vector<TacPageWnd*> list;
    return list;
}

void acFreePageWndList()
{
    std::vector<TacPageWnd*> list;
    list.swap(acPageWndList());
    for (TacPageWnd* w : list) delete w;
}

// ---------------------------------------------------------------------------------------------
// Page control

TPageControl* TacPageControlWnd::PageControl() const { return dynamic_cast<TPageControl*>(OwnerControl()); }

void TacPageControlWnd::InitPages()
{
    if (!SkinData) return;
    if (TPageControl* control = PageControl()) {
        for (int i = 0; i < control->PageCount(); ++i) {
            TTabSheet* page = control->Pages(i);
            if (!page->HandleAllocated() || WndIsSkinned(page->Handle())) continue;
            NewPageWnd(page->Handle(), SkinData->GetSkinManager(), page)->Page = page;
        }
        return;
    }
    ChildSearch search{CtrlHandle, {}};
    EnumChildWindows(CtrlHandle, &CollectDirectChild, reinterpret_cast<LPARAM>(&search));
    for (HWND child : search.Found) {
        // The tab control's own scroll arrows get the up-down wrapper, never a page wrapper.
        if (LowerCase(GetWndClassName(child)) == L"msctls_updown32") continue;
        auto* manager = reinterpret_cast<TsSkinManager*>(
                SendMessageW(CtrlHandle, SM_ALPHACMD, MakeAlphaCmd(kAskSkinManager), 0));
        if (manager && !AnswersHandled(child)) NewPageWnd(child, manager, nullptr);
    }
}

void TacPageControlWnd::AfterCreation()
{
    InitPages();
    TacTabControlWnd::AfterCreation();
}

void TacPageControlWnd::acWndProc(TMessage& Message)
{
    if (!SkinData || !SkinData->Skinned()) {
        TacTabControlWnd::acWndProc(Message);
        return;
    }
    auto* windowed = dynamic_cast<TWinControl*>(OwnerControl());
    switch (Message.Msg) {
    case TCM_SETCURSEL:
    case TCM_SETITEMW:
        InitPages();
        if (windowed) AddToAdapter(windowed);
        break;
    case WM_PRINT: {
        CheckUpDown();
        InitPages();
        SkinData->FUpdating = false;
        AC_WMPaint(Message);
        // The up-down paints into the same DC at its place.
        if (BtnSW && IsWindowVisible(BtnSW->CtrlHandle)) {
            const HDC dc = reinterpret_cast<HDC>(Message.WParam);
            RECT r{};
            GetWindowRect(BtnSW->CtrlHandle, &r);
            MapWindowPoints(nullptr, CtrlHandle, reinterpret_cast<POINT*>(&r), 2);
            const int saved = SaveDC(dc);
            SetWindowOrgEx(dc, -r.left, -r.top, nullptr);
            IntersectClipRect(dc, 0, 0, r.right - r.left, r.bottom - r.top);
            if (BtnSW->SkinData) BtnSW->SkinData->FUpdating = false;
            SendMessageW(BtnSW->CtrlHandle, WM_PAINT, Message.WParam, 0);
            RestoreDC(dc, saved);
        }
        Message.Result = 0;
        return;
    }
    case WM_ERASEBKGND:
        if (IsWindowVisible(CtrlHandle)) {
            if (!InAnimationProcess) AC_WMPaint(Message);
            Message.Result = 1;
            return;
        }
        break;
    case WM_NCPAINT:
        InitPages();
        Message.Result = 0;
        return;
    case SM_ALPHACMD:
        switch (AlphaCmdCode(Message.WParam)) {
        case AC_SETNEWSKIN:
            InitPages();
            if (windowed) AddToAdapter(windowed);
            break;
        case AC_REMOVESKIN: InitPages(); break;
        default: break;
        }
        break;
    default: break;
    }
    TacTabControlWnd::acWndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// Page

void TacPageWnd::AfterCreation()
{
    Page = nullptr;
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    TacMainWnd::AfterCreation();
}

void TacPageWnd::PaintPage(HDC DC)
{
    if (!SkinData || SkinData->FUpdating || !DC) return;
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    const TPoint pos = Page ? TPoint(Page->Left(), Page->Top()) : WndPos;
    TacBGInfo bg;
    GetBGInfo(bg, ParentWnd);
    const int w = WndSize.cx, h = WndSize.cy;
    if (bg.BgType == btCache && bg.Bmp) {
        if (bg.Bmp->Width() == 0 || bg.Bmp->Height() == 0)
            SendMessageW(ParentWnd, WM_PAINT, reinterpret_cast<WPARAM>(bg.Bmp->Canvas()->Handle()), 0);
        BitBlt(DC, 0, 0, w, h, bg.Bmp->Canvas()->Handle(), pos.X + bg.Offset.X, pos.Y + bg.Offset.Y, SRCCOPY);
    } else {
        // Every page is filled, a foreign one too: unfilled, it would show what lay there before.
        HBRUSH brush = CreateSolidBrush(ColorToRGB(bg.Color));
        RECT all{0, 0, w, h};
        FillRect(DC, &all, brush);
        DeleteObject(brush);
        const int tabs = static_cast<int>(SendMessageW(ParentWnd, TCM_GETITEMCOUNT, 0, 0));
        if (Page && tabs > 0 && bg.Bmp && !bg.Bmp->Empty()) {
            const int x = pos.X + bg.Offset.X, y = pos.Y + bg.Offset.Y;
            const HDC src = bg.Bmp->Canvas()->Handle();
            switch (acTabPosition(ParentWnd)) {
            case 0: BitBlt(DC, 0, 0, w, 3, src, x, y, SRCCOPY); break;
            case 1: BitBlt(DC, 0, h - 3, w, 3, src, x, y + h - 3, SRCCOPY); break;
            case 2: BitBlt(DC, 0, 0, 3, h, src, x, y, SRCCOPY); break;
            default: BitBlt(DC, w - 3, 0, 3, h, src, x + w - 3, y, SRCCOPY); break;
            }
        }
    }
    if (Page) {
        PaintControls(DC, Page, true, TPoint(0, 0));
        SetParentUpdated(Page);
    }
}

void TacPageWnd::acWndProc(TMessage& Message)
{
    if (!SkinData || !SkinData->Skinned()) {
        TacMainWnd::acWndProc(Message);
        return;
    }
    TControl* control = OwnerControl();
    const auto mine = [&] { return Message.LParam == reinterpret_cast<LPARAM>(SkinData->GetSkinManager()); };
    switch (Message.Msg) {
    case WM_NCPAINT: Message.Result = 0; return;
    case WM_PAINT:
        if (IsWindowVisible(CtrlHandle)) {
            PAINTSTRUCT ps{};
            const HDC dc = BeginPaint(CtrlHandle, &ps);
            PaintPage(Message.WParam ? reinterpret_cast<HDC>(Message.WParam) : dc);
            EndPaint(CtrlHandle, &ps);
            Message.Result = 0;
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (IsWindowVisible(CtrlHandle)) {
            PaintPage(reinterpret_cast<HDC>(Message.WParam));
            Message.Result = 1;
            return;
        }
        break;
    case WM_PRINT:
        SkinData->FUpdating = false;
        PaintPage(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = SendMessageW(CtrlHandle, WM_PAINT, Message.WParam, Message.LParam);
        return;
    case WM_PARENTNOTIFY:
        TacMainWnd::acWndProc(Message);
        if (LOWORD(Message.WParam) == WM_CREATE) NotifyTopParent(CtrlHandle);
        return;
    case SM_ALPHACMD:
        switch (AlphaCmdCode(Message.WParam)) {
        case AC_SETNEWSKIN:
            if (mine()) CommonMessage(Message, SkinData);
            AlphaBroadCastCheck(control, CtrlHandle, Message);
            return;
        case AC_REMOVESKIN:
            if (mine()) {
                CommonMessage(Message, SkinData);
                InvalidateRect(CtrlHandle, nullptr, TRUE);
            }
            AlphaBroadCastCheck(control, CtrlHandle, Message);
            return;
        case AC_REFRESH:
            if (RefreshNeeded(SkinData, Message)) {
                CommonMessage(Message, SkinData);
                InvalidateRect(CtrlHandle, nullptr, TRUE);
            }
            AlphaBroadCastCheck(control, CtrlHandle, Message);
            return;
        case AC_PARENTUPDATED:
            if (SkinData->FUpdating && !InUpdating(SkinData, true))
                RedrawWindow(CtrlHandle, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            if (Page) SetParentUpdated(Page);
            return;
        case AC_CTRLHANDLED: Message.Result = 1; return;
        case AC_ISUPDATING: Message.Result = SkinData->FUpdating ? 1 : 0; return;
        case AC_GETBG:
            if (acCommandPointerTrusted(Message)) {
                auto* bg = reinterpret_cast<TacBGInfo*>(Message.LParam);
                GetBGInfo(*bg, ParentWnd);
                InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
                const TPoint pos = Page ? TPoint(Page->Left(), Page->Top()) : WndPos;
                bg->Offset.X += pos.X;
                bg->Offset.Y += pos.Y;
            }
            return;
        default: break;
        }
        break;
    default: break;
    }
    TacMainWnd::acWndProc(Message);
}
