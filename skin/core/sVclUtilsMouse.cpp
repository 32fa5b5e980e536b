// Where the mouse is and what lies under it; screen bounds, work areas and pixels per inch.
#include "sVclUtils.h"

#include "Forms.h"
#include "acntUtils.h"
#include "sSkinManager.h"

#include <shellscalingapi.h>

namespace {

TacPointerEntries& PointerEntries()
{
    static TacPointerEntries entries;
    return entries;
}

TPoint CursorPos()
{
    POINT p{};
    if (!PointerEntries().GetCursorPos || !PointerEntries().GetCursorPos(&p)) return TPoint(0, 0);
    return TPoint(p.x, p.y);
}

TRect WindowRect(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

bool PointIn(const TRect& r, const TPoint& p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }

// The window a control paints in: its own, or its parent's for a windowless one.
HWND PaintWindow(TControl* control)
{
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) return windowed->HandleAllocated() ? windowed->Handle() : nullptr;
    TWinControl* parent = control->Parent();
    return parent && parent->HandleAllocated() ? parent->Handle() : nullptr;
}

// The region type of the clip box of the window's DC, with the box.
int ClipBoxOf(HWND wnd, TRect& box)
{
    HDC dc = GetWindowDC(wnd);
    if (!dc) return ERROR;
    RECT r{};
    const int type = GetClipBox(dc, &r);
    ReleaseDC(wnd, dc);
    box = r;
    return type;
}

} // namespace

const TacPointerEntries& acPointerEntries() { return PointerEntries(); }

TacPointerEntries acReplacePointerEntries(const TacPointerEntries& entries)
{
    const TacPointerEntries previous = PointerEntries();
    PointerEntries() = entries;
    return previous;
}

bool acLeftButtonDown()
{
    const auto query = PointerEntries().GetAsyncKeyState;
    return query && (query(VK_LBUTTON) & 0x8000) != 0;
}

TPoint acMousePos(TControl* control)
{
    TPoint p = CursorPos();
    if (control) {
        const TRect r = GetCtrlScreenBounds(control);
        p = TPoint(p.X - r.Left, p.Y - r.Top);
    }
    return p;
}

void acMousePos(TControl* control, TPoint& p) { p = acMousePos(control); }

TPoint acMouseInWnd(HWND wnd)
{
    const TPoint p = CursorPos();
    return acMouseInWnd(wnd, p.X, p.Y);
}

TPoint acMouseInWnd(HWND wnd, int x, int y)
{
    const TRect r = WindowRect(wnd);
    return TPoint(x - r.Left, y - r.Top);
}

bool acMouseInControl(TControl* control)
{
    if (!control || !control->Visible()) return false;
    const TPoint p = CursorPos();
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        if (!windowed->HandleAllocated()) return false;
        HWND wnd = windowed->Handle();
        if (!PointIn(WindowRect(wnd), p)) return false;
        return ContainsWnd(WindowFromPoint(POINT{p.X, p.Y}), wnd);
    }
    TWinControl* parent = control->Parent();
    if (!parent || !parent->HandleAllocated()) return false;
    if (TCustomForm* form = GetParentForm(control)) {
        const bool topmost = form->HandleAllocated() && (GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        if (Screen->ActiveForm() != form && !topmost) return false;
    } else if (!IsWindowEnabled(GetParentFormHandle(parent->Handle()))) {
        return false;
    }
    const TPoint local = parent->ScreenToClient(p);
    if (!PointIn(control->BoundsRect(), local)) return false;
    // Only the part of the control the parent's DC can draw on counts.
    HDC dc = GetDC(parent->Handle());
    RECT clip{};
    const int type = GetClipBox(dc, &clip);
    ReleaseDC(parent->Handle(), dc);
    if (type == ERROR || type == NULLREGION) return false;
    return PointIn(RectsAnd(TRect(clip), control->BoundsRect()), local);
}

bool acMouseInControlDC(HWND wnd)
{
    if (!wnd || !IsWindowVisible(wnd)) return false;
    TRect box;
    if (ClipBoxOf(wnd, box) != SIMPLEREGION) return false;
    // The window DC's box is in window coordinates.
    return PointIn(box, acMouseInWnd(wnd));
}

TWinControl* FindVCLWindow(const TPoint& p)
{
    for (HWND wnd = WindowFromPoint(POINT{p.X, p.Y}); wnd; wnd = GetParent(wnd))
        if (TWinControl* control = FindControl(wnd)) return control;
    return nullptr;
}

TControl* CtrlUnderMouse()
{
    if (DefaultManager && DefaultManager->ActiveGraphControl()) return DefaultManager->ActiveGraphControl();
    const TPoint p = CursorPos();
    TWinControl* window = FindVCLWindow(p);
    if (!window) return nullptr;
    const TPoint local = window->ScreenToClient(p);
    for (int i = window->ControlCount() - 1; i >= 0; --i) {
        TControl* child = window->Controls(i);
        if (child->Visible() && PointIn(child->BoundsRect(), local)) return child;
    }
    return window;
}

bool ContainsWnd(HWND child, HWND parent)
{
    for (HWND wnd = child; wnd; wnd = GetParent(wnd))
        if (wnd == parent) return true;
    return false;
}

bool CtrlIsOverlapped(TControl* control)
{
    HWND own = PaintWindow(control);
    if (!own) return false;
    const TRect bounds = GetCtrlScreenBounds(control);
    for (HWND wnd = GetWindow(GetRootParent(own), GW_HWNDPREV); wnd; wnd = GetWindow(wnd, GW_HWNDPREV)) {
        if (!IsWindowVisible(wnd)) continue;
        if (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) continue;
        const TRect common = RectsAnd(WindowRect(wnd), bounds);
        if (common.Width() > 0 && common.Height() > 0) return true;
    }
    return false;
}

bool CtrlDCIsVisible(TControl* control)
{
    HWND wnd = control ? PaintWindow(control) : nullptr;
    if (!wnd) return false;
    TRect box;
    return ClipBoxOf(wnd, box) >= SIMPLEREGION;
}

// --- geometry

TRect GetCtrlScreenBounds(TControl* control)
{
    if (!control) return TRect();
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && windowed->HandleAllocated())
        return WindowRect(windowed->Handle());
    TRect r = control->BoundsRect();
    if (TWinControl* parent = control->Parent()) {
        const TPoint origin = parent->ClientOrigin();
        r = OffsRect(r, origin.X, origin.Y);
    }
    return r;
}

TRect acClientRect(HWND wnd)
{
    RECT client{};
    GetClientRect(wnd, &client);
    const TPoint pos = GetClientPos(wnd);
    return TRect(pos.X, pos.Y, pos.X + client.right, pos.Y + client.bottom);
}

TPoint GetClientPos(HWND wnd)
{
    const TRect r = WindowRect(wnd);
    POINT p{r.Left, r.Top};
    ScreenToClient(wnd, &p);
    return TPoint(-p.x, -p.y);
}

namespace {

struct MonitorSearch {
    TPoint Point;
    bool Found = false;
    TRect Work;
};

BOOL CALLBACK SearchMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param)
{
    auto* search = reinterpret_cast<MonitorSearch*>(param);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    search->Work = info.rcWork; // the last one stays when none contains the point
    if (PointIn(search->Work, search->Point)) {
        search->Found = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

TRect acWorkRect(TForm* form)
{
    if (!form || !form->HandleAllocated()) return Screen->WorkAreaRect();
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromWindow(form->Handle(), MONITOR_DEFAULTTONEAREST), &info))
        return Screen->WorkAreaRect();
    return info.rcWork;
}

TRect acWorkRect(const TPoint& p)
{
    MonitorSearch search{p, false, Screen ? Screen->WorkAreaRect() : TRect()};
    EnumDisplayMonitors(nullptr, nullptr, &SearchMonitor, reinterpret_cast<LPARAM>(&search));
    return search.Work;
}

HWND GetRootParent(HWND wnd)
{
    HWND result = wnd;
    for (HWND parent = GetParent(result); parent; parent = GetParent(result)) result = parent;
    return result;
}

HWND GetParentFormHandle(HWND wnd) { return GetRootParent(wnd); }

TCustomForm* GetOwnerForm(TComponent* component)
{
    for (TComponent* c = component; c; c = c->Owner())
        if (auto* form = dynamic_cast<TCustomForm*>(c)) return form;
    return nullptr;
}

TCustomFrame* GetOwnerFrame(TComponent* component)
{
    for (TComponent* c = component; c; c = c->Owner())
        if (auto* frame = dynamic_cast<TCustomFrame*>(c)) return frame;
    return nullptr;
}

int GetAlignShift(TWinControl* parent, TAlign align, bool includeWindowed)
{
    if (!parent) return 0;
    int result = 0;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (!c->Visible() || c->Align() != align) continue;
        if (!includeWindowed && dynamic_cast<TWinControl*>(c)) continue;
        if (align == alTop || align == alBottom)
            result += c->Height();
        else if (align == alLeft || align == alRight)
            result += c->Width();
    }
    return result;
}

bool LeftToRight(TControl* control, bool normalize)
{
    if (!control || !control->UseRightToLeftReading()) return true;
    return normalize && GetSystemMetrics(SM_MIDEASTENABLED) == 0;
}

// --- pixels per inch

namespace {

using TGetDpiForMonitor = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);

TGetDpiForMonitor DpiForMonitor()
{
    // shcore stays loaded for the process once its entry is found.
    static const TGetDpiForMonitor entry = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<TGetDpiForMonitor>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor"))) : nullptr;
    }();
    return entry;
}

} // namespace

int GetWndPPI(HWND wnd)
{
    if (TGetDpiForMonitor getDpi = IsWin8Up() ? DpiForMonitor() : nullptr) {
        const TRect r = WindowRect(wnd);
        const POINT centre{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
        HMONITOR monitor = MonitorFromPoint(centre, MONITOR_DEFAULTTONULL);
        UINT x = 0, y = 0;
        if (!monitor || getDpi(monitor, MDT_EFFECTIVE_DPI, &x, &y) != S_OK || y == 0) return 96;
        return static_cast<int>(y);
    }
    HDC dc = GetDC(nullptr);
    const int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return ppi;
}

int GetControlPPI(TControl* control)
{
    if (!control) return 96;
    HWND wnd = PaintWindow(control);
    return wnd ? GetWndPPI(wnd) : 96;
}

namespace {

std::optional<int> g_defaultPPIOverride;

} // namespace

void SetDefaultPPIOverride(std::optional<int> ppi) { g_defaultPPIOverride = ppi; }

int DefaultPPI()
{
    if (g_defaultPPIOverride) return *g_defaultPPIOverride;
    if (!Application) return 96;
    if (TCustomForm* main = Application->MainForm()) return GetControlPPI(main);
    for (int i = 0; i < Application->ComponentCount(); ++i)
        if (auto* form = dynamic_cast<TCustomForm*>(Application->Components(i))) return GetControlPPI(form);
    return 96;
}

void EnableNCDpiScaling(HWND wnd)
{
    if (!IsWin10Up()) return;
    using TEnable = BOOL(WINAPI*)(HWND);
    static const TEnable enable = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<TEnable>(reinterpret_cast<void*>(GetProcAddress(user32, "EnableNonClientDpiScaling"))) : nullptr;
    }();
    if (enable) enable(wnd);
}
