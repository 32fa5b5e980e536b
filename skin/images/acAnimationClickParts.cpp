// Screen places, backgrounds and window order shared by the click ghost, pulse and text flight.
#include "acAnimationClickParts.h"

#include "Colors.h"
#include "Controls.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sMessages.h"
#include "sVclUtils.h"

#include <algorithm>

namespace acanim {

TRect ControlScreenRect(TControl* control)
{
    if (!control) return TRect();
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed && windowed->HandleAllocated()) {
        TRect r;
        if (SendAMessage(windowed->Handle(), AC_GLOWCIRCLE, reinterpret_cast<LPARAM>(&r)) != 0) return r;
        RECT wr{};
        GetWindowRect(windowed->Handle(), &wr);
        return TRect(wr.left, wr.top, wr.right, wr.bottom);
    }
    TWinControl* parent = control->Parent();
    if (!parent || !parent->HandleAllocated()) return TRect();
    POINT p{control->Left(), control->Top()};
    ClientToScreen(parent->Handle(), &p);
    return TRect(p.x, p.y, p.x + control->Width(), p.y + control->Height());
}

namespace {
HWND WindowOf(TControl* control)
{
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed) return windowed->HandleAllocated() ? windowed->Handle() : nullptr;
    TWinControl* parent = control ? control->Parent() : nullptr;
    return parent && parent->HandleAllocated() ? parent->Handle() : nullptr;
}
} // namespace

bool ControlWindowVisible(TControl* control)
{
    if (!control) return false;
    if (!dynamic_cast<TWinControl*>(control) && !control->Visible()) return false;
    const HWND wnd = WindowOf(control);
    return wnd && IsWindowVisible(wnd);
}

bool ControlDCVisible(TControl* control)
{
    const HWND wnd = WindowOf(control);
    if (!wnd) return false;
    HDC dc = GetWindowDC(wnd);
    if (!dc) return false;
    RECT clip{};
    const int kind = GetClipBox(dc, &clip);
    ReleaseDC(wnd, dc);
    return kind != NULLREGION && kind != ERROR;
}

std::unique_ptr<TBitmap> CaptureScreen(const TRect& r)
{
    auto bmp = CreateBmp32(std::max<int>(r.Width(), 0), std::max<int>(r.Height(), 0));
    if (r.Width() <= 0 || r.Height() <= 0) return bmp;
    HDC screen = GetDC(nullptr);
    BitBlt(bmp->Canvas()->Handle(), 0, 0, r.Width(), r.Height(), screen, r.Left, r.Top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    return bmp;
}

std::unique_ptr<TBitmap> ParentBackground(TsCommonData* data, TControl* control, int w, int h, int dx)
{
    auto bmp = CreateBmp32(std::max(w, 0), std::max(h, 0));
    if (w <= 0 || h <= 0 || !control) return bmp;
    const TCacheInfo ci = data ? GetParentCache(data) : TCacheInfo{};
    if (ci.Ready && ci.Bmp) {
        BitBlt(bmp->Canvas()->Handle(), 0, 0, w, h, ci.Bmp->Canvas()->Handle(), ci.X + control->Left() + dx,
               ci.Y + control->Top(), SRCCOPY);
        GdiFlush();
        return bmp;
    }
    TColor color = ci.FillColor;
    if (!data) {
        TWinControl* parent = control->Parent();
        color = parent ? parent->Color() : clBtnFace;
    }
    const COLORREF rgb = static_cast<COLORREF>(ColorToRGB(color));
    const std::uint32_t word = 0xFF000000u | (GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb);
    for (int y = 0; y < h; ++y) {
        auto* row = static_cast<std::uint32_t*>(bmp->ScanLine(y));
        std::fill(row, row + w, word);
    }
    return bmp;
}

HWND EffectInsertAfter(HWND controlWnd, HWND self)
{
    const HWND top = controlWnd ? GetAncestor(controlWnd, GA_ROOT) : nullptr;
    if (!top || (GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) return HWND_TOPMOST;
    HWND prev = GetWindow(top, GW_HWNDPREV);
    if (prev == self) prev = GetWindow(self, GW_HWNDPREV);
    return prev ? prev : HWND_TOP;
}

} // namespace acanim
