// The pop-up menu window wrapper: border, background, translucency and the end of a menu cascade.
#include "acSBUtilsMenu.h"

#include "acDials.h"
#include "acSBUtilsBrushes.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsTemplate.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerStartup.h"
#include "sSkinMenus.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

// The one brush of the skin's menu colour that the open menus get as their background brush;
// made by the first menu that shows and freed with the last menu wrapper.
HBRUSH menuBackBrush = nullptr;

HBRUSH MenuBackBrush(COLORREF color)
{
    if (!menuBackBrush) menuBackBrush = CreateSolidBrush(color);
    return menuBackBrush;
}

void FreeMenuBackBrush()
{
    if (menuBackBrush) DeleteObject(menuBackBrush);
    menuBackBrush = nullptr;
}

// The colour of the skin's menu section (the manager's main colour without one).
TColor MenuColor(TsCommonData* data, TsSkinManager* manager)
{
    TacSkinData* skin = data ? data->GetCommonSkinData() : nullptr;
    if (skin && data->SkinIndex >= 0 && data->SkinIndex < static_cast<int>(skin->gd.size()))
        return skin->gd[static_cast<size_t>(data->SkinIndex)].Props[0].Color;
    return manager ? manager->Palette[pcMainColor] : clMenu;
}

bool LiveWrapper(const TacMainWnd* w) { return w && !w->Destroyed && w->CtrlHandle && IsWindow(w->CtrlHandle); }

bool OtherLiveMenus(const TacMainWnd* self)
{
    return std::any_of(MnuArray.begin(), MnuArray.end(),
                       [self](const TacMainWnd* w) { return w != self && LiveWrapper(w); });
}

} // namespace

TacMnuWnd::~TacMnuWnd()
{
    RestoreMenuBack();
    MnuArray.erase(std::remove(MnuArray.begin(), MnuArray.end(), this), MnuArray.end());
    if (MnuArray.empty()) FreeMenuBackBrush();
}

void TacMnuWnd::AfterCreation()
{
    // The class brush goes through the per-class record: the manager's own brushes die with a
    // skin change, and the original must come back when the last menu wrapper goes.
    if (AeroIsEnabled() && CtrlHandle) {
        if (SkinData && SkinData->SkinIndex < 0) SkinData->UpdateIndexes(true);
        SetClassSkinBrush(CtrlHandle, MenuColor(SkinData, SkinManager));
    }
    RgnChanged = 0;
    Shown = false;
    bFlag = false;
    TacScrollWnd::AfterCreation();
}

void TacMnuWnd::RestoreStdParams()
{
    // The class brush is shared by every menu window: it goes back with the last wrapper only.
    if (OwnSkinData && SkinData) SkinData->RemoveCommonProp();
    if (CtrlHandle && Ac_GetScrollWndFromHwnd(CtrlHandle) == this) SetScrollWndProp(CtrlHandle, nullptr);
    if (CtrlHandle && !OtherLiveMenus(this)) RestoreClassBrush(CtrlHandle);
}

bool TacMnuWnd::HasNonClientArea() const
{
    RECT w{}, c{};
    GetWindowRect(CtrlHandle, &w);
    GetClientRect(CtrlHandle, &c);
    return (w.right - w.left) != c.right || (w.bottom - w.top) != c.bottom;
}

void TacMnuWnd::PrepareCache()
{
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    if (!SkinData || !SkinData->BGChanged) return;
    InitCacheBmp(SkinData);
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (!cache) return;
    cache->SetPixelFormat(pf32bit);
    cache->SetSize(std::max<int>(0, WndSize.cx), std::max<int>(0, WndSize.cy));
    PaintItem(SkinData, EmptyCI, false, 0, TRect(0, 0, cache->Width(), cache->Height()), WndPos, cache, false);
    PaintBorderFast(SkinData, 0, *this);
    SkinData->BGChanged = false;
}

// The frame strips from the skinned menus' record of this window when it covers the window,
// else from the cache.
void TacMnuWnd::PaintFrame(HDC DC)
{
    RECT r{};
    GetWindowRect(CtrlHandle, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    TsSkinableMenus* menus = SkinManager ? SkinManager->SkinableMenus() : nullptr;
    TacMenuInfo* info = menus ? menus->GetMenuInfo(nullptr, nullptr, CtrlHandle) : nullptr;
    TBitmap* source = info && info->Bmp && info->Bmp->Width() == w && info->Bmp->Height() == h ? info->Bmp.get() : nullptr;
    if (!source) {
        PrepareCache();
        source = SkinData ? SkinData->FCacheBmp.get() : nullptr;
    }
    if (!source || source->Empty()) return;
    BitBltBorder(DC, 0, 0, w, h, source->Canvas()->Handle(), 0, 0, kFrame, -1, -1, -1);
}

void TacMnuWnd::FinishFirstFrame()
{
    const BYTE alpha = SkinManager && SkinManager->MenuSupport() ? SkinManager->MenuSupport()->AlphaBlend : 255;
    const LONG_PTR ex = GetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE);
    if (alpha == 255) {
        if (ex & WS_EX_LAYERED) SetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    } else {
        if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        SetLayeredWindowAttributes(CtrlHandle, 0, alpha, LWA_ALPHA);
    }
    Shown = true;
}

// The system fills the menu's background with the menu's own brush: it gets the skin's colour,
// unless the application gave the menu a brush of its own.
void TacMnuWnd::SetMenuBack()
{
    if (menuBackSet_) return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(CtrlHandle, MN_GETHMENU, 0, 0));
    if (!menu) return;
    MENUINFO mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIM_BACKGROUND;
    if (!GetMenuInfo(menu, &mi)) return;
    menu_ = menu;
    oldMenuBack_ = mi.hbrBack;
    mi.hbrBack = MenuBackBrush(static_cast<COLORREF>(ColorToRGB(MenuColor(SkinData, SkinManager))) & 0xFFFFFF);
    menuBackSet_ = SetMenuInfo(menu, &mi) != FALSE;
}

void TacMnuWnd::RestoreMenuBack()
{
    if (!menuBackSet_) return;
    menuBackSet_ = false;
    if (!IsMenu(menu_)) return;
    MENUINFO mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIM_BACKGROUND;
    mi.hbrBack = oldMenuBack_;
    SetMenuInfo(menu_, &mi);
}

// The menu window goes. The wrapper leaves MnuArray before anything else, so the array's clean-up
// can never free it a second time, and it frees itself as the very last step.
void TacMnuWnd::Close(TMessage& Message)
{
    const HWND wnd = CtrlHandle;
    Message.Result = CallPrevWndProc(wnd, Message.Msg, Message.WParam, Message.LParam);
    RestoreMenuBack();
    MnuArray.erase(std::remove(MnuArray.begin(), MnuArray.end(), this), MnuArray.end());
    TacMainWnd* self = this;
    UninitializeACWnd(wnd, false, false, self);
    if (SkinManager && SkinManager->SkinableMenus()) SkinManager->SkinableMenus()->ClearCache();
    bool others = false;
    for (TacMainWnd* w : MnuArray)
        if (LiveWrapper(w)) {
            others = true;
            RedrawWindow(w->CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
        }
    if (!others) {
        ClearMnuArray();
        acCanHookMenu = false;
    }
    // Given back already: the base's clean-up must not take the menus' shared class brush along.
    CtrlHandle = nullptr;
    delete this;
}

void TacMnuWnd::acWndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_DESTROY:
    case WM_NCDESTROY:
        if (!OldProc && !OldWndProc) {
            Message.Result = TrySendMessage(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
            return;
        }
        Close(Message); // frees this wrapper
        return;
    case SM_ALPHACMD:
        switch (AlphaCmdCode(Message.WParam)) {
        case AC_CTRLHANDLED: Message.Result = 1; return;
        case AC_SETUPDATING: Message.LParam = RgnChanged; return;
        case AC_MENUBORDERDONE:
            if (IsWindowVisible(CtrlHandle)) RgnChanged = 1;
            return;
        case AC_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); return;
        default: Message.Result = 0; return;
        }
    default: break;
    }
    if (!acCanHookMenu || Destroyed) {
        TacScrollWnd::acWndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_ERASEBKGND: {
        // A window without a frame of its own is filled by the system's paint with the menu's
        // brush (the skin's colour); its erase also comes after items were drawn, so the
        // background is left alone there.
        if (HasNonClientArea()) {
            PrepareCache();
            TBitmap* cache = SkinData ? SkinData->FCacheBmp.get() : nullptr;
            HDC dc = reinterpret_cast<HDC>(Message.WParam);
            const bool own = !dc;
            if (own) dc = GetWindowDC(CtrlHandle);
            if (cache && !cache->Empty())
                BitBlt(dc, 0, 0, cache->Width() - 2 * kFrame, cache->Height() - 2 * kFrame, cache->Canvas()->Handle(),
                       kFrame, kFrame, SRCCOPY);
            if (own) ReleaseDC(CtrlHandle, dc);
        }
        RgnChanged = 0;
        Message.Result = 1;
        return;
    }
    case WM_WINDOWPOSCHANGING: {
        TacScrollWnd::acWndProc(Message);
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
        if (!bFlag && pos && (pos->flags & SWP_SHOWWINDOW) && !(pos->flags & SWP_NOREDRAW) &&
            !IsWindowVisible(CtrlHandle)) {
            // Nothing unskinned may be seen before the first skinned paint.
            bFlag = true;
            SetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE, GetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE) | WS_EX_LAYERED);
            SetLayeredWindowAttributes(CtrlHandle, 0, 0, LWA_ALPHA);
            SetMenuBack();
        }
        return;
    }
    case WM_NCPAINT:
        if (!IsNT) break;
        if (SkinManager && SkinManager->SkinableMenus() &&
            SkinManager->SkinableMenus()->GetMenuInfo(nullptr, nullptr, CtrlHandle)) {
            HDC dc = GetWindowDC(CtrlHandle);
            PaintFrame(dc);
            ReleaseDC(CtrlHandle, dc);
        }
        if (AeroIsEnabled() && !Shown) RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        FinishFirstFrame();
        return;
    case WM_PAINT:
        // Without a frame of its own the window gets no WM_NCPAINT: its first paint ends the
        // transparent phase, and the frame goes over the client edges after the system's paint.
        if (!HasNonClientArea()) {
            SetMenuBack();
            if (!Shown) FinishFirstFrame();
            TacScrollWnd::acWndProc(Message);
            HDC dc = GetWindowDC(CtrlHandle);
            PaintFrame(dc);
            ReleaseDC(CtrlHandle, dc);
            return;
        }
        break;
    default: break;
    }
    TacScrollWnd::acWndProc(Message);
}
