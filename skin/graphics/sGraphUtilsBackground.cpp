#include "sGraphUtilsBackground.h"

#include "acntUtils.h"
#include "sGraphUtilsFill.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

namespace {

void Reset(TacBGInfo& bg, bool pleaseDraw)
{
    bg.BgType = btUnknown;
    bg.PleaseDraw = pleaseDraw;
    bg.FillRect = TRect(0, 0, 0, 0);
}

// The DC's origin moved back by Offset, R forward by it, drawing clipped to R; paint runs inside.
template <class F>
void DrawAtOffset(TacBGInfo& bg, F&& paint)
{
    if (!bg.DrawDC) return;
    const int saved = SaveDC(bg.DrawDC);
    POINT origin{};
    GetViewportOrgEx(bg.DrawDC, &origin);
    SetViewportOrgEx(bg.DrawDC, origin.x - bg.Offset.X, origin.y - bg.Offset.Y, nullptr);
    bg.R = OffsRect(bg.R, bg.Offset.X, bg.Offset.Y);
    IntersectClipRect(bg.DrawDC, bg.R.Left, bg.R.Top, bg.R.Right, bg.R.Bottom);
    paint();
    RestoreDC(bg.DrawDC, saved);
}

} // namespace

bool GetBGInfo(TacBGInfo& bg, HWND wnd, bool pleaseDraw)
{
    Reset(bg, pleaseDraw);
    SendAMessage(wnd, AC_GETBG, reinterpret_cast<LPARAM>(&bg));
    if (bg.BgType != btUnknown) return true;
    bg.Offset = GetClientPos(wnd);
    if (pleaseDraw) {
        DrawAtOffset(bg, [&] {
            const auto dc = reinterpret_cast<WPARAM>(bg.DrawDC);
            SendMessageW(wnd, WM_ERASEBKGND, dc, 0);
            SendMessageW(wnd, WM_PAINT, dc, 0);
        });
        return false;
    }
    bg.BgType = btFill;
    if (DefaultManager && DefaultManager->IsActive())
        bg.Color = DefaultManager->GetGlobalColor();
    else if (TWinControl* control = FindControl(wnd))
        bg.Color = GetControlColor(control);
    else
        bg.Color = clBtnFace;
    return false;
}

bool GetBGInfo(TacBGInfo& bg, TControl* control, bool pleaseDraw)
{
    bg.Bmp = nullptr;
    Reset(bg, pleaseDraw);
    if (!control) return true;
    SendAMessage(control, AC_GETBG, reinterpret_cast<LPARAM>(&bg));
    if (bg.BgType == btUnknown) {
        if (pleaseDraw) {
            DrawAtOffset(bg, [&] {
                const auto dc = reinterpret_cast<WPARAM>(bg.DrawDC);
                control->Perform(WM_ERASEBKGND, dc, static_cast<LPARAM>(dc));
                control->Perform(WM_PAINT, dc, 0);
            });
        } else {
            bg.BgType = btFill;
            const auto answer = static_cast<TColor>(SendAMessage(control, AC_GETBGCOLOR));
            bg.Color = answer != 0 ? answer : ColorToRGB(control->Color());
        }
    }
    if (bg.PleaseDraw && bg.Bmp && bg.DrawDC) FillDC(bg.DrawDC, bg.R, bg.Color, 0);
    return true;
}

TCacheInfo BGInfoToCI(const TacBGInfo& bg)
{
    if (bg.BgType == btCache) return MakeCacheInfo(bg.Bmp, bg.Offset.X, bg.Offset.Y);
    TCacheInfo ci;
    ci.Bmp = bg.Bmp;
    ci.X = bg.Offset.X;
    ci.Y = bg.Offset.Y;
    ci.Ready = false;
    ci.FillColor = ColorToRGB(bg.Color);
    ci.FillRect = bg.FillRect;
    return ci;
}
