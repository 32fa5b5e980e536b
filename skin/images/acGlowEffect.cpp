// The effect windows: the layered window every effect shares, and the painting of a glow.
#include "acGlow.h"

#include "Forms.h"
#include "acntTypes.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sGraphUtilsLayered.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <algorithm>
#include <utility>

namespace {

// Without an application object (the library shut down after it) nothing is left to run later.
bool ApplicationTerminating() { return !Application || Application->Terminated(); }

// Sets every pixel of r (clipped to the bitmap) to transparent black.
void ClearRect(TBitmap& bmp, TRect r)
{
    r.Left = std::max<int>(r.Left, 0);
    r.Top = std::max<int>(r.Top, 0);
    r.Right = std::min<int>(r.Right, bmp.Width());
    r.Bottom = std::min<int>(r.Bottom, bmp.Height());
    for (int y = r.Top; y < r.Bottom; ++y) {
        auto* row = static_cast<std::uint32_t*>(bmp.ScanLine(y));
        std::fill(row + r.Left, row + r.Right, 0u);
    }
}

bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

TRect WindowRectOf(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return TRect(r.left, r.top, r.right, r.bottom);
}

// Extents of the glow window beyond the control's rectangle (left, top, right, bottom).
struct Extents {
    int l = 0, t = 0, r = 0, b = 0;
    void AtLeast(int left, int top, int right, int bottom)
    {
        l = std::max(l, left);
        t = std::max(t, top);
        r = std::max(r, right);
        b = std::max(b, bottom);
    }
};

// The outer effect shown on hover: its mask, offsets and opacity (mask -1: none to paint).
struct OuterLook {
    bool on = false;
    int mask = -1;
    TRect offset;
    int opacity = 0;
};

OuterLook HoverOuter(TsCommonData* data, TacSkinData* skin, TsSkinManager* manager)
{
    OuterLook look;
    if (!data->OuterEffects() || data->OuterEffects()->Visibility() != ovMouseHovered) return look;
    if (data->SkinIndex < 0 || static_cast<size_t>(data->SkinIndex) >= skin->gd.size()) return look;
    const TsGeneralData& section = skin->gd[static_cast<size_t>(data->SkinIndex)];
    if (section.OuterMode <= 0) return look;
    look.on = true;
    look.mask = section.OuterMask;
    look.offset = section.OuterOffset;
    look.opacity = section.OuterOpacity;
    if ((section.OuterMode == 1 || section.OuterMode == 2) && section.OuterMask < 0 && manager) {
        // The skin's predefined outer effect of that mode.
        const TacOutEffArray& oe = manager->oe();
        if (static_cast<size_t>(section.OuterMode - 1) < oe.size()) {
            const TacOutEffData& e = oe[static_cast<size_t>(section.OuterMode - 1)];
            look.mask = e.Source != 0 ? e.Mask : -1;
            look.offset = TRect(e.OffsetL, e.OffsetT, e.OffsetR, e.OffsetB);
            look.opacity = e.Opacity;
        }
    }
    if (look.mask >= 0 && static_cast<size_t>(look.mask) >= skin->ma.size()) look.mask = -1;
    return look;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TacLayeredEffect

TacLayeredEffect::TacLayeredEffect() = default;

TacLayeredEffect::~TacLayeredEffect()
{
    Destroyed = true;
    FreeWindow();
    AlphaBmp.reset();
}

void TacLayeredEffect::Create()
{
    if (Wnd) return;
    Wnd = new TacGlowForm(nullptr);
    OldWndProc = Wnd->WindowProc;
    Wnd->WindowProc = TWndMethod(this, &TacLayeredEffect::NewWndProc);
}

void TacLayeredEffect::NewWndProc(TMessage& message)
{
    if (message.Msg == WM_NCHITTEST) {
        message.Result = HTTRANSPARENT;
        return;
    }
    OldWndProc(message);
}

void TacLayeredEffect::RestoreWndProc()
{
    if (Wnd && OldWndProc) Wnd->WindowProc = OldWndProc;
}

void TacLayeredEffect::FreeWindow()
{
    if (!Wnd) return;
    RestoreWndProc();
    TacGlowForm* wnd = std::exchange(Wnd, nullptr);
    const bool wasDestroying = std::exchange(bGlowingDestroying, true);
    TsSkinManager* manager = CommonDataIsLive(FSkinData) ? FSkinData->GetSkinManager() : nullptr;
    const bool managerGoing = manager && manager->ComponentState().Contains(csDestroying);
    if (!managerGoing && !ApplicationTerminating() && wnd->HandleAllocated()) {
        // Freed later from its own message, so a window procedure on the stack is not pulled
        // away; hidden now.
        ShowWindow(wnd->Handle(), SW_HIDE);
        wnd->Release();
    } else {
        delete wnd;
    }
    bGlowingDestroying = wasDestroying;
}

// ---------------------------------------------------------------------------------------------
// TacGlowEffect

void TacGlowEffect::Show(const TRect& R, int Alpha, HWND WndHandle)
{
    if (Wnd) return;
    FRealRect = R;
    FAlpha = static_cast<BYTE>(std::clamp(Alpha, 0, 255));
    FWndHandle = WndHandle;
    Repaint();
}

void TacGlowEffect::Repaint()
{
    if (Destroyed || !CommonDataIsLive(FSkinData)) return;
    TsCommonData* data = FSkinData;
    TacSkinData* skin = data->GetCommonSkinData();
    TsSkinManager* manager = data->GetSkinManager();
    if (!skin) return;
    Create();
    const HWND self = Wnd->Handle();

    // Z-order: right behind the window that precedes the control's form, so the glow lies just
    // above the form; with none above it the top of the z-order is that place (behind the form
    // the glow would be hidden by it). A topmost form's glow goes to the top of the topmost band.
    const HWND top = FWndHandle ? GetAncestor(FWndHandle, GA_ROOT) : nullptr;
    HWND insertAfter = HWND_TOP;
    if (top && (GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
        insertAfter = HWND_TOPMOST;
    } else if (top) {
        HWND prev = GetWindow(top, GW_HWNDPREV);
        if (prev == self) prev = GetWindow(self, GW_HWNDPREV);
        if (prev) insertAfter = prev;
    }

    // The control's visible rectangle.
    TRect rc = FRealRect;
    if (FWndHandle && IsWindow(FWndHandle)) {
        rc = WindowRectOf(FWndHandle);
        if (HDC dc = GetWindowDC(FWndHandle)) {
            RECT clip{};
            if (GetClipBox(dc, &clip) != NULLREGION && clip.right > clip.left && clip.bottom > clip.top)
                rc = TRect(rc.Left + clip.left, rc.Top + clip.top, rc.Left + clip.right, rc.Top + clip.bottom);
            ReleaseDC(FWndHandle, dc);
        }
    }

    const TsMaskData* mask =
        MaskIndex >= 0 && static_cast<size_t>(MaskIndex) < skin->ma.size() ? &skin->ma[static_cast<size_t>(MaskIndex)]
                                                                           : nullptr;
    Extents ext;
    if (mask) ext = {mask->WL - Margin, mask->WT - Margin, mask->WR - Margin, mask->WB - Margin};
    const OuterLook outer = HoverOuter(data, skin, manager);
    if (outer.on) ext.AtLeast(outer.offset.Left, outer.offset.Top, outer.offset.Right, outer.offset.Bottom);

    const int width = rc.Width() + ext.l + ext.r;
    const int height = rc.Height() + ext.t + ext.b;
    if (width < 1 || height < 1) return;
    if (AlphaBmp)
        AlphaBmp->SetSize(width, height);
    else
        AlphaBmp = CreateBmp32(width, height);
    ClearRect(*AlphaBmp, TRect(0, 0, width, height));
    const TRect all(0, 0, width, height);
    if (outer.mask >= 0)
        DrawSkinRect32Ex(AlphaBmp.get(), all, EmptyCI, skin->ma[static_cast<size_t>(outer.mask)], 0,
                         TRect(ext.l, ext.t, ext.r, ext.b), outer.opacity);
    if (mask) {
        const bool focused = FWndHandle && (GetFocus() == FWndHandle || data->FFocused);
        DrawSkinRect(AlphaBmp.get(), all, EmptyCI, *mask, focused && mask->ImageCount > 1 ? 1 : 0, false);
    }

    // Nothing of the glow shows over a window that lies above the control's form and over it.
    const TPoint origin(rc.Left - ext.l, rc.Top - ext.t);
    if (top) {
        for (HWND w = GetWindow(top, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
            if (w == self || !IsWindowVisible(w)) continue;
            const TRect wr = WindowRectOf(w);
            const bool over = Inside(FRealRect, wr.Left, wr.Top) || Inside(FRealRect, wr.Right - 1, wr.Top) ||
                              Inside(FRealRect, wr.Left, wr.Bottom - 1) ||
                              Inside(FRealRect, wr.Right - 1, wr.Bottom - 1);
            if (over)
                ClearRect(*AlphaBmp, TRect(wr.Left - origin.X, wr.Top - origin.Y, wr.Right - origin.X,
                                           wr.Bottom - origin.Y));
        }
    }

    // Tint by the control's glow colour (none when it does not answer).
    TColor color = clNone;
    if (!FWndHandle || SendAMessage(FWndHandle, AC_GETGLOWCOLOR, reinterpret_cast<LPARAM>(&color)) == 0)
        color = clNone;
    UpdateBmpColors(AlphaBmp.get(), data, true, color);
    UpdateAlpha(AlphaBmp.get());

    SetWindowLongPtrW(self, GWL_EXSTYLE,
                      GetWindowLongPtrW(self, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_TRANSPARENT);
    BLENDFUNCTION blend{};
    InitBlendData(blend, FAlpha);
    const TSize size{width, height};
    UpdateLayeredWnd(self, AlphaBmp.get(), &size, &blend, &origin);
    SetWindowPos(self, insertAfter, origin.X, origin.Y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
}
