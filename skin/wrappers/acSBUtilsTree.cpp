// Tree-view wrapper: the tree's colours by its own messages (kept and given back), its background
// filled in the section's colour for the state, and the capture released after a click.
#include "acSBUtilsTree.h"

#include "sCommonData.h"
#include "sCommonDataSection.h"
#include "sSkinManager.h"

#include <commctrl.h>

using namespace sCommonDataSection;

namespace {

// A tree's colour message takes -1 for the system colour; a framework colour may be a system one.
LPARAM TreeColor(TColor c) { return c == clNone ? static_cast<LPARAM>(-1) : static_cast<LPARAM>(ColorToRGB(c)); }

} // namespace

void TacTreeViewWnd::SetSkinParams()
{
    TacEditWnd::SetSkinParams();
    if (Destroyed || !SkinData || !SkinnedNow()) return;
    if (DlgMode) {
        SendMessageW(CtrlHandle, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_WINDOW)));
        SendMessageW(CtrlHandle, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_WINDOWTEXT)));
        return;
    }
    TControl* control = OwnerControl();
    const TsGeneralData* section = SectionOf(SkinData->GetCommonSkinData(), SkinData->SkinIndex);
    if (!section) return;
    const int state = ClampState(*section, ControlIsActive(SkinData) ? 1 : 0);
    const auto& props = section->Props[static_cast<size_t>(state)];
    const TColor bg = control && SkinData->CustomColor() ? control->Color() : props.Color;
    const TColor text = control && SkinData->CustomFont() ? control->Font()->Color() : props.FontColor.Color;
    if (control) {
        if (control->Font()->Color() != text) {
            TNotifyEvent saved = control->Font()->OnChange;
            control->Font()->OnChange = nullptr;
            control->Font()->SetColor(text);
            control->Font()->OnChange = saved;
        }
        if (ColorToRGB(bg) != ColorToRGB(control->Color())) SendMessageW(CtrlHandle, TVM_SETBKCOLOR, 0, TreeColor(bg));
    } else {
        SendMessageW(CtrlHandle, TVM_SETBKCOLOR, 0, TreeColor(bg));
    }
}

void TacTreeViewWnd::RestoreStdParams()
{
    TacEditWnd::RestoreStdParams();
    if (!CtrlHandle || !IsWindowVisible(CtrlHandle)) return;
    // A foreign tree has no colours of a control: it gets the system's back.
    SendMessageW(CtrlHandle, TVM_SETBKCOLOR, 0, TreeColor(OwnerControl() ? StdColor : clNone));
    SendMessageW(CtrlHandle, TVM_SETTEXTCOLOR, 0, TreeColor(OwnerControl() ? StdFontColor : clNone));
}

TColor TacTreeViewWnd::BackgroundColor()
{
    if (DlgMode) return ColorToRGB(clWindow);
    TControl* control = OwnerControl();
    if (SkinData->CustomColor()) return control ? ColorToRGB(control->Color()) : ColorToRGB(clWindow);
    const TsGeneralData* section = SectionOf(SkinData->GetCommonSkinData(), SkinData->SkinIndex);
    if (!section) return ColorToRGB(clWindow);
    const bool hot = (SkinData->FFocused || SkinData->FMouseAbove || GetFocus() == CtrlHandle) && MayBeHot(SkinData);
    return section->Props[static_cast<size_t>(ClampState(*section, hot ? 1 : 0))].Color;
}

void TacTreeViewWnd::acWndProc(TMessage& Message)
{
    if (Message.Msg == WM_ERASEBKGND && !SkipBG && !Destroyed && SkinData) {
        auto* control = dynamic_cast<TWinControl*>(OwnerControl());
        if (control && control->DoubleBuffered()) {
            Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
            return;
        }
        if (SkinnedNow() && !SkinData->FUpdating) {
            const auto given = reinterpret_cast<HDC>(Message.WParam);
            HDC dc = given ? given : GetWindowDC(CtrlHandle);
            RECT r{};
            GetWindowRect(CtrlHandle, &r);
            const RECT fill{0, 0, r.right - r.left, r.bottom - r.top};
            HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(BackgroundColor()));
            FillRect(dc, &fill, brush);
            DeleteObject(brush);
            if (!given) ReleaseDC(CtrlHandle, dc);
            Message.Result = 1;
            return;
        }
    }
    TacEditWnd::acWndProc(Message);
    if (Message.Msg == WM_LBUTTONUP && GetCapture() == CtrlHandle) ReleaseCapture();
}

// ---------------------------------------------------------------------------------------------

TacScrollWnd* NewTreeViewWnd(HWND AHandle, TsScrollWndData* SkinData, bool SkipBG)
{
    auto* w = new TacTreeViewWnd();
    w->SkipBG = SkipBG;
    try {
        w->Create(AHandle, SkinData, SkinData ? SkinData->GetSkinManager() : nullptr, TacSkinParams(), true);
    } catch (...) {
        delete w;
        throw;
    }
    return w;
}
