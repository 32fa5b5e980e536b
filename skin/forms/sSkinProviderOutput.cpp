// Screen output of a skinned form's window image: the title and frame strips on WM_NCPAINT and
// the client background on WM_ERASEBKGND, all copied from the provider's cache bitmap.
#include "sSkinProvider.h"

#include "acWindowDC.h"
#include "sCommonData.h"
#include "sGraphUtilsClip.h"
#include "sGraphUtilsTemplate.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sSkinMenus.h"
#include "sSkinProviderInternal.h"
#include "sVclUtils.h"

#include <windows.h>

using namespace provider_detail;

namespace {

// The MDI main form of an MDI child shows another child maximized: the child is hidden behind it.
bool BehindMaximizedChild(const TsSkinProvider& sp)
{
    if (!sp.Form || sp.Form->FormStyle() != fsMDIChild || !MDISkinProvider || !MDISkinProvider->Form) return false;
    TCustomForm* active = MDISkinProvider->Form->ActiveMDIChild();
    return active && active != sp.Form && active->HandleAllocated() && IsZoomed(active->Handle());
}

} // namespace

void TsSkinProvider::PaintCaption(HDC DC)
{
    HWND wnd = Form && Form->HandleAllocated() ? Form->Handle() : nullptr;
    if (!wnd || !FCommonData) return;
    if (FCommonData->BGChanged) {
        TBitmap* cache = CacheBmp();
        TacSkinData* skin = FCommonData->GetCommonSkinData();
        const int section = FCommonData->SkinIndex;
        const int border = skin && section >= 0 && section < static_cast<int>(skin->gd.size())
                               ? skin->gd[static_cast<size_t>(section)].BorderIndex
                               : -1;
        const bool keep = !MenuChanged && cache && !IsBorderUnchanged(border, skin) && cache->Width() == CaptionWidth() &&
                          cache->Height() == Form->Height() && HasOwnFrame();
        if (!keep) ControlsChanged = !FirstInitialized;
        PaintAll();
        FCommonData->BGChanged = false;
        FCommonData->FUpdating = false;
    }
    TBitmap* cache = CacheBmp();
    if (!cache) return;
    HDC src = cache->Canvas()->Handle();
    const bool caption = (GetWindowLongW(wnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
    int T = caption ? HeaderHeight() : BorderHeight(true);
    if (T == 0 && MenuPresent()) T = GetLinesCount() * MenuHeight() + 1;
    BitBlt(DC, 0, 0, CaptionWidth(), T, src, 0, 0, SRCCOPY);
    const int bw = BorderWidth(true);
    BitBltBorder(DC, 0, T, cache->Width(), cache->Height() - T, src, 0, T, bw, 0, bw, bw);
}

void TsSkinProvider::PaintForm(HDC DC, const TRect& R, bool SendUpdated)
{
    if (!Form || !FCommonData) return;
    const int saved = SaveDC(DC);
    IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
    if (FCommonData->BGChanged) PaintAll();
    if (Form->FormStyle() != fsMDIForm)
        CopyWinControlCache(Form, FCommonData.get(), TRect(OffsetX() + R.Left, OffsetY() + R.Top, 0, 0), 0, 0, false, DC, R);
    PaintControls(DC, Form, true, TPoint(0, 0));
    RestoreDC(DC, saved);
    if (SendUpdated) {
        SetParentUpdated(Form);
        SendToAdapter(TMessage{SM_ALPHACMD, MakeAlphaCmd(AC_PARENTUPDATED), 0, 0});
    }
    ControlsChanged = false;
}

void TsSkinProvider::AC_WMNCPaintHandler()
{
    if (acCreatedMaximized || LockCount >= 1 || !Form || !Form->HandleAllocated() || !FCommonData) return;
    if (BehindMaximizedChild(*this)) return;
    HWND wnd = Form->Handle();
    TryInitMenu();
    if (!CacheBmp() || CacheBmp()->Width() == 0) FCommonData->BGChanged = true;
    if (FCommonData->BGChanged && !PaintAll()) return;

    if (RgnChanged && !RgnChanging) {
        const bool sizeable = (GetWindowLongW(wnd, GWL_STYLE) & WS_THICKFRAME) != 0;
        if (!HasOwnFrame() && !sizeable && !IsIconic(wnd)) {
            SetWindowRgn(wnd, nullptr, TRUE);
        } else if (IsIconic(wnd) && (GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_APPWINDOW)) {
            return;
        } else {
            if (!BorderForm) FillArOR();
            RgnChanged = false;
            if (!Form->FormState().Contains(fsShowing) || IsZoomed(wnd)) {
                UpdateRgn(this, !InAnimationProcess, false);
                if (!FCommonData->BGChanged) return;
            } else {
                UpdateRgn(this, true, true);
            }
        }
    }

    FCommonData->FUpdating = false;
    TBitmap* cache = CacheBmp();
    if (cache) {
        const TacWindowDC windowDC(wnd, nullptr);
        HDC dc = windowDC.Get();
        if (dc) {
            HDC src = cache->Canvas()->Handle();
            const int formBorder = 0; // the framework's forms have no inner border width
            if (BorderForm) {
                const int menu = GetLinesCount() * MenuHeight() + (MenuPresent() ? 1 : 0) + formBorder;
                const int sysBorder = SysBorderWidth();
                const int y = CaptionHeight(false) + sysBorder - (FSysExHeight ? 4 : 0);
                BitBlt(dc, sysBorder, y, GetWindowWidth(wnd) - 2 * sysBorder, menu, src, OffsetX() - formBorder,
                       OffsetY() - menu, SRCCOPY);
            } else if (!HasOwnFrame() && (GetWindowLongW(wnd, GWL_STYLE) & WS_THICKFRAME) && !IsIconic(wnd)) {
                const int w = BorderWidth(true) + 3;
                BitBltBorder(dc, 0, 0, cache->Width(), cache->Height(), src, 0, 0, w, w, w, w);
            } else {
                PaintCaption(dc);
            }
        }
    }
    RgnChanging = false;
}

HDC TsSkinProvider::AC_WMEraseBkGndHandler(HDC DC)
{
    if (!Form || !Form->HandleAllocated() || !FCommonData) return DC;
    HWND wnd = Form->Handle();
    if (InAero && DC) {
        RECT box{};
        if (GetClipBox(DC, &box) == NULLREGION || IsRectEmpty(&box)) DC = nullptr;
    }
    bool obtained = false;
    if (!DC || (FCommonData->PrintDC && DC != FCommonData->PrintDC)) {
        DC = GetDC(wnd);
        obtained = true;
    }
    if (DC && !fAnimating && !IsDestroying(Form) && !BehindMaximizedChild(*this)) {
        const int saved = SaveDC(DC);
        ExcludeControls(DC, Form, 0, 0);
        RECT client{};
        GetClientRect(wnd, &client);
        PaintForm(DC, TRect(client.left, client.top, client.right, client.bottom), true);
        TacSkinData* skin = FCommonData->GetCommonSkinData();
        HWND w = wnd;
        const bool grip = FGripMode == gmRightBottom && !IsZoomed(w) && (GetWindowLongW(w, GWL_STYLE) & WS_THICKFRAME);
        if (grip && skin) {
            SetWindowOrgEx(DC, OffsetX(), OffsetY(), nullptr);
            PaintClientGrip(DC, this);
            SetWindowOrgEx(DC, 0, 0, nullptr);
        }
        RestoreDC(DC, saved);
        PaintControls(DC, Form, true, TPoint(0, 0));
        TsSkinManager* manager = ManagerOf(*this);
        if (!manager || !manager->Effects() || !manager->Effects()->GetBoolean(0)) SetParentUpdated(Form);
    }
    if (obtained && DC) ReleaseDC(wnd, DC);
    return DC;
}
