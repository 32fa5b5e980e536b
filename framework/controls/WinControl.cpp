#include "Controls.h"

#include "ControlsInternal.h"
#include "Forms.h"
#include "Menus.h"
#include "Themes.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace {

// The window being created for a control: the creation hook binds the first window that
// matches it, before the window gets its first message.
struct PendingCreation {
    TWinControl* control = nullptr;
    const wchar_t* className = nullptr;
    HWND parent = nullptr;
};
thread_local PendingCreation pendingCreation;

bool SameClassName(LPCWSTR created, const wchar_t* expected)
{
    if (!created || !expected) return false;
    if (IS_INTRESOURCE(created)) {
        WNDCLASSW info{};
        ATOM atom = static_cast<ATOM>(GetClassInfoW(ModuleInstance(), expected, &info));
        return atom != 0 && atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(created));
    }
    return _wcsicmp(created, expected) == 0;
}

LRESULT CALLBACK CreationHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && pendingCreation.control) {
        const auto* cbt = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        if (cbt->lpcs && cbt->lpcs->hwndParent == pendingCreation.parent &&
            SameClassName(cbt->lpcs->lpszClass, pendingCreation.className)) {
            TWinControl* control = pendingCreation.control;
            pendingCreation.control = nullptr;
            AttachControlWindow(reinterpret_cast<HWND>(wParam), control);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void InitCommonControlsOnce()
{
    static bool done = false;
    if (done) return;
    done = true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES |
                                              ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
}

bool IsMouseButtonDown(UINT msg)
{
    return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_LBUTTONDBLCLK ||
           msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
}

bool IsMouseButtonUp(UINT msg) { return msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP; }

bool IsClientMouseMessage(UINT msg)
{
    return msg == WM_MOUSEMOVE || IsMouseButtonDown(msg) || IsMouseButtonUp(msg);
}

int nextControlId = 0;

} // namespace

// ---------------------------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    Destroying();
    try {
        if (TCustomForm* form = GetParentForm(); form && form != this) form->ControlDestroying(this);
        if (handle_) DestroyWindowHandle();
    } catch (...) {
    }
    // Children this control parents die with it, whoever owns them (their destructors take
    // them out of the owner's list).
    alignDisabled_ = 1;
    while (!controls_.empty()) {
        TControl* child = controls_.back();
        delete child;
        if (!controls_.empty() && controls_.back() == child) controls_.pop_back();
    }
    if (parent_) {
        try {
            parent_->RemoveControl(this);
        } catch (...) {
        }
    }
    if (brush_) DeleteObject(brush_);
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded()
{
    if (handle_) return;
    if (parent_) parent_->HandleNeeded();
    if (!handle_) CreateHandle();
}

void TWinControl::SetParentWindow(HWND window)
{
    if (parent_ || parentWindow_ == window) return;
    if (handle_ && window) {
        parentWindow_ = window;
        ::SetParent(handle_, window);
        return;
    }
    DestroyHandle();
    parentWindow_ = window;
    UpdateControlState();
}

void TWinControl::RecreateWnd()
{
    if (handle_) Perform(CM_RECREATEWND, 0, 0);
}

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount()) throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return controls_[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* control)
{
    if (!control || control == this) throw EInvalidOperation(L"A control cannot have itself as its parent");
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), TRUE);
    controls_.push_back(control);
    control->parent_ = this;
    auto* win = dynamic_cast<TWinControl*>(control);
    if (win) tabList_.push_back(win);
    control->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    control->Perform(CM_PARENTFONTCHANGED, 0, 0);
    if (win)
        win->UpdateControlState();
    else
        control->InvalidateControl();
    AlignControl(control);
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), TRUE);
}

void TWinControl::RemoveControl(TControl* control)
{
    if (!control || control->parent_ != this) return;
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), FALSE);
    auto* win = dynamic_cast<TWinControl*>(control);
    if (!win) control->InvalidateControl();
    if (win && win->handle_ && !win->reparenting_ && !ComponentState().Contains(csDestroying)) {
        // The window cannot live on without its parent window.
        win->DestroyHandle();
    }
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (win) tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), win), tabList_.end());
    if (hotChild_ == control) hotChild_ = nullptr;
    if (captureChild_ == control) {
        captureChild_ = nullptr;
        if (handle_ && GetCapture() == handle_) ReleaseCapture();
    }
    control->parent_ = nullptr;
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), FALSE);
    if (control->Align() != alNone) Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& point, bool allowDisabled) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c)) continue;
        if (!c->Visible() || (!c->Enabled() && !allowDisabled)) continue;
        if (!c->BoundsRect().Contains(point)) continue;
        const LPARAM local = MAKELPARAM(point.X - c->Left(), point.Y - c->Top());
        if (c->Perform(CM_HITTEST, 0, local) != 0) return c;
    }
    return nullptr;
}

void TWinControl::Broadcast(TMessage& message)
{
    for (size_t i = 0; i < controls_.size(); ++i) {
        controls_[i]->WindowProc(message);
        if (message.Result != 0) return;
    }
}

bool TWinControl::CanFocus()
{
    TCustomForm* form = GetParentForm();
    TControl* c = this;
    while (c) {
        if (!c->Visible() || !c->Enabled()) return false;
        if (c == form) break;
        c = c->Parent();
    }
    return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus()
{
    if (!CanFocus()) throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
    TCustomForm* form = GetParentForm();
    if (form && form != this) {
        form->FocusControl(this);
        return;
    }
    ::SetFocus(Handle());
}

void TWinControl::SetTabStop(bool value)
{
    if (tabStop_ == value) return;
    tabStop_ = value;
    if (handle_) {
        LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
        style = value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrW(handle_, GWL_STYLE, style);
    }
}

int TWinControl::TabOrder() const
{
    if (!parent_) return -1;
    const auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value)
{
    if (!parent_) return;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    const int count = static_cast<int>(list.size());
    const int pos = (value < 0 || value > count) ? count : value;
    list.insert(list.begin() + pos, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list)
{
    for (TWinControl* c : tabList_) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent)
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    const int count = static_cast<int>(list.size());
    if (count == 0) return nullptr;
    auto it = std::find(list.begin(), list.end(), current);
    int index = it == list.end() ? (goForward ? count - 1 : 0) : static_cast<int>(it - list.begin());
    for (int step = 0; step < count; ++step) {
        index = goForward ? (index + 1) % count : (index - 1 + count) % count;
        TWinControl* c = list[static_cast<size_t>(index)];
        if (c == current) break;
        if ((!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this) && c->CanFocus()) return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop)
{
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, false)) next->SetFocus();
}

void TWinControl::EnableAlign()
{
    if (alignDisabled_ > 0) --alignDisabled_;
    if (alignDisabled_ == 0 && alignPending_) Realign();
}

bool TControl::BeingAligned() const { return parent_ && parent_->aligning_; }

void TWinControl::AlignControl(TControl*)
{
    if (aligning_) return;
    Realign();
}

void TWinControl::Realign()
{
    if (alignDisabled_ > 0 || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) {
        alignPending_ = true;
        return;
    }
    if (aligning_) return;
    alignPending_ = false;
    bool anyAligned = false;
    for (TControl* c : controls_)
        if (c->Align() != alNone) anyAligned = true;
    if (!anyAligned) return;
    aligning_ = true;
    try {
        TRect rect = ClientRect();
        AdjustClientRect(rect);
        AlignControls(nullptr, rect);
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::AlignControls(TControl*, TRect& rect)
{
    static constexpr TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign align : order) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->Align() == align && c->Visible()) list.push_back(c);
        switch (align) {
        case alTop:
            std::stable_sort(list.begin(), list.end(), [](TControl* a, TControl* b) { return a->Top() < b->Top(); });
            break;
        case alBottom:
            std::stable_sort(list.begin(), list.end(), [](TControl* a, TControl* b) {
                return a->Top() + a->Height() > b->Top() + b->Height();
            });
            break;
        case alLeft:
            std::stable_sort(list.begin(), list.end(), [](TControl* a, TControl* b) { return a->Left() < b->Left(); });
            break;
        case alRight:
            std::stable_sort(list.begin(), list.end(), [](TControl* a, TControl* b) {
                return a->Left() + a->Width() > b->Left() + b->Width();
            });
            break;
        default: break;
        }
        for (TControl* c : list) {
            const int w = std::max<LONG>(0, rect.Width());
            const int h = std::max<LONG>(0, rect.Height());
            switch (align) {
            case alTop:
                c->SetBounds(rect.Left, rect.Top, w, c->Height());
                rect.Top += c->Height();
                break;
            case alBottom:
                c->SetBounds(rect.Left, rect.Bottom - c->Height(), w, c->Height());
                rect.Bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(rect.Left, rect.Top, c->Width(), h);
                rect.Left += c->Width();
                break;
            case alRight:
                c->SetBounds(rect.Right - c->Width(), rect.Top, c->Width(), h);
                rect.Right -= c->Width();
                break;
            case alClient: c->SetBounds(rect.Left, rect.Top, w, h); break;
            default: break;
            }
        }
    }
}

TRect TWinControl::ClientRect()
{
    if (handle_) {
        RECT r{};
        ::GetClientRect(handle_, &r);
        return r;
    }
    return TControl::ClientRect();
}

TPoint TWinControl::ClientOrigin()
{
    if (handle_) {
        POINT p{0, 0};
        ::ClientToScreen(handle_, &p);
        return p;
    }
    return TControl::ClientOrigin();
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    if (Constraints()) Constraints()->Constrain(width, height);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    if (handle_ && !IsIconic(handle_)) {
        // The window reports back through WM_SIZE/WM_MOVE (which fire OnResize once).
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateBounds();
        RequestAlign();
        return;
    }
    const bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    RequestAlign();
    if (resized) {
        ApplyAnchors();
        Realign();
    }
}

void TWinControl::ApplyAnchors()
{
    const TRect client = ClientRect();
    const TSize now{client.Width(), client.Height()};
    const TSize before = anchorClient_;
    anchorClient_ = now;
    if (before.cx < 0 || ComponentState().Contains(csLoading)) return;
    const int dx = now.cx - before.cx;
    const int dy = now.cy - before.cy;
    if (dx == 0 && dy == 0) return;
    // One axis: the near side kept alone moves nothing, both sides stretch, the far side alone
    // moves, neither keeps the distance to the centre.
    auto shift = [](bool nearSide, bool farSide, int delta, int& pos, int& size) {
        if (nearSide && farSide)
            size = std::max(0, size + delta);
        else if (farSide)
            pos += delta;
        else if (!nearSide)
            pos += delta / 2;
    };
    for (TControl* c : controls_) {
        if (c->Align() != alNone) continue;
        const TAnchors a = c->Anchors();
        int left = c->Left(), top = c->Top(), width = c->Width(), height = c->Height();
        shift(a.Contains(akLeft), a.Contains(akRight), dx, left, width);
        shift(a.Contains(akTop), a.Contains(akBottom), dy, top, height);
        c->SetBounds(left, top, width, height);
    }
}

void TWinControl::ChangeScale(int M, int D)
{
    if (M <= 0 || D <= 0 || M == D) return;
    // Aligned children are laid out once, in the scaled client area, not at every step.
    DisableAlign();
    try {
        if (parent_) {
            SetBounds(MulDiv(left_, M, D), MulDiv(top_, M, D), MulDiv(width_, M, D), MulDiv(height_, M, D));
        } else {
            const TRect client = ClientRect();
            const int frameWidth = width_ - client.Width();
            const int frameHeight = height_ - client.Height();
            SetBounds(MulDiv(left_, M, D), MulDiv(top_, M, D), MulDiv(client.Width(), M, D) + frameWidth,
                      MulDiv(client.Height(), M, D) + frameHeight);
        }
        ScaleFont(M, D);
        const std::vector<TControl*> children = controls_;
        for (TControl* child : children) child->ChangeScale(M, D);
    } catch (...) {
        EnableAlign();
        throw;
    }
    EnableAlign();
}

void TWinControl::SetParent(TWinControl* parent)
{
    if (parent == parent_) return;
    const bool keepWindow = handle_ && parent && parent->HandleAllocated();
    if (handle_ && !keepWindow) DestroyHandle();
    reparenting_ = keepWindow;
    try {
        if (keepWindow) ::SetParent(handle_, parent->Handle());
        TControl::SetParent(parent);
    } catch (...) {
        reparenting_ = false;
        throw;
    }
    reparenting_ = false;
}

void TWinControl::Invalidate()
{
    if (handle_) InvalidateRect(handle_, nullptr, !ControlStyle().Contains(csOpaque));
}

void TWinControl::Repaint()
{
    Invalidate();
    Update();
}

void TWinControl::Update()
{
    if (handle_) UpdateWindow(handle_);
}

void TWinControl::PaintTo(HDC dc, int x, int y)
{
    const int saved = SaveDC(dc);
    // Relative to the DC's current origin, so that children nest.
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x + x, origin.y + y, nullptr);
    IntersectClipRect(dc, 0, 0, Width(), Height());
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    for (TControl* c : controls_) {
        auto* child = dynamic_cast<TWinControl*>(c);
        if (child && child->Visible() && child->HandleAllocated()) child->PaintTo(dc, child->Left(), child->Top());
    }
    RestoreDC(dc, saved);
}

HBRUSH TWinControl::BackgroundBrush()
{
    const COLORREF c = StyledColorToGdi(Color());
    if (!brush_ || brushColor_ != c) {
        if (brush_) DeleteObject(brush_);
        brush_ = CreateSolidBrush(c);
        brushColor_ = c;
    }
    return brush_;
}

// --- window life cycle

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = text_;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (ControlStyle().Contains(csAcceptsControls)) params.Style |= WS_CLIPCHILDREN;
    if (!Enabled()) params.Style |= WS_DISABLED;
    if (tabStop_) params.Style |= WS_TABSTOP;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    if (parent_)
        params.WndParent = parent_->Handle();
    else
        params.WndParent = parentWindow_;
    params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    params.WindowClass.hbrBackground = nullptr;
    params.WinClassName = ClassName();
    params.SystemClass = false;
}

void TWinControl::CreateSubClass(TCreateParams& params, const wchar_t* className)
{
    InitCommonControlsOnce();
    params.WinClassName = className;
    params.SystemClass = true;
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !params.WndParent)
        throw EInvalidOperation(L"Control '" + Name() + L"' has no parent window");
    if (!params.SystemClass) {
        WNDCLASSW existing{};
        if (!GetClassInfoW(ModuleInstance(), params.WinClassName.c_str(), &existing)) {
            WNDCLASSW wc = params.WindowClass;
            wc.lpfnWndProc = &DefWindowProcW;
            wc.hInstance = ModuleInstance();
            wc.lpszClassName = params.WinClassName.c_str();
            if (!RegisterClassW(&wc)) throw EOSError(L"Cannot register window class " + params.WinClassName);
        }
    }
    systemClass_ = params.SystemClass;
    SetControlState(ControlState() << csCreating);
    try {
        CreateWindowHandle(params);
    } catch (...) {
        SetControlState(ControlState() >> csCreating);
        throw;
    }
    SetControlState(ControlState() >> csCreating);
    if (!handle_) throw EOSError(L"Error creating window of class " + params.WinClassName);
    Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
}

void TWinControl::CreateWindowHandle(const TCreateParams& params)
{
    HMENU id = nullptr;
    if (params.Style & WS_CHILD) {
        // Child ids only need to differ among siblings (WM_MEASUREITEM finds the child by id).
        id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + nextControlId++ % 30000));
    }
    const PendingCreation saved = pendingCreation;
    pendingCreation = {this, params.WinClassName.c_str(), params.WndParent};
    HHOOK hook = SetWindowsHookExW(WH_CBT, &CreationHookProc, nullptr, GetCurrentThreadId());
    HWND window = CreateWindowExW(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                                  params.X, params.Y, params.Width, params.Height, params.WndParent, id,
                                  ModuleInstance(), params.Param);
    if (hook) UnhookWindowsHookEx(hook);
    const bool attached = pendingCreation.control == nullptr;
    pendingCreation = saved;
    if (!window) {
        handle_ = nullptr;
        throw EOSError(L"Error creating window of class " + params.WinClassName + L" (" +
                       std::to_wstring(GetLastError()) + L")");
    }
    if (!attached) AttachControlWindow(window, this);
}

void TWinControl::CreateHandle()
{
    if (handle_) return;
    CreateWnd();
    if (!parent_ || !handle_) return;
    // Keep the windows' z-order that of the control list: later controls lie above.
    HWND after = HWND_TOP;
    bool found = false;
    for (TControl* c : parent_->controls_) {
        if (c == this) {
            found = true;
            continue;
        }
        auto* w = found ? dynamic_cast<TWinControl*>(c) : nullptr;
        if (w && w->handle_) {
            after = w->handle_;
            break;
        }
    }
    SetWindowPos(handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::DestroyWnd()
{
    text_ = GetText();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle()
{
    if (!handle_) return;
    SetControlState(ControlState() << csDestroyingHandle);
    HWND window = handle_;
    DestroyWindow(window);
    SetControlState(ControlState() >> csDestroyingHandle);
    if (handle_ == window) {
        // The window was not ours to destroy (another thread's): let go of it.
        ReleaseControlWindow(window);
        handle_ = nullptr;
        showing_ = false;
    }
}

void TWinControl::DestroyHandle()
{
    if (!handle_) return;
    SetControlState(ControlState() << csDestroyingHandle);
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->handle_) w->DestroyHandle();
    SetControlState(ControlState() >> csDestroyingHandle);
    DestroyWnd();
}

void TWinControl::UpdateControlState()
{
    for (TWinControl* p = parent_; p; p = p->parent_)
        if (!p->Showing()) return;
    UpdateShowing();
}

void TWinControl::UpdateShowing()
{
    const bool canHaveWindow = parent_ || parentWindow_ || dynamic_cast<TCustomForm*>(this) != nullptr;
    const bool show = canHaveWindow && Visible() && !ComponentState().Contains(csLoading) &&
                      !ComponentState().Contains(csDestroying);
    if (show) {
        HandleNeeded();
        for (size_t i = 0; i < controls_.size(); ++i)
            if (auto* w = dynamic_cast<TWinControl*>(controls_[i])) w->UpdateShowing();
    }
    if (handle_ && showing_ != show) {
        showing_ = show;
        try {
            Perform(CM_SHOWINGCHANGED, 0, 0);
        } catch (...) {
            showing_ = !show;
            throw;
        }
    }
}

void TWinControl::UpdateBounds()
{
    if (!handle_ || IsIconic(handle_)) return;
    RECT r{};
    GetWindowRect(handle_, &r);
    if (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD) {
        if (HWND parentWindow = GetParent(handle_)) MapWindowPoints(HWND_DESKTOP, parentWindow, reinterpret_cast<POINT*>(&r), 2);
    }
    const bool moved = r.left != Left() || r.top != Top() || r.right - r.left != Width() || r.bottom - r.top != Height();
    if (!moved) return;
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
    RequestAlign();
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    Realign();
    UpdateControlState();
}

// --- painting

void TWinControl::PaintWindow(HDC dc)
{
    if (!systemClass_) return;
    TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(message);
}

void TWinControl::PaintControls(HDC dc, TControl* first)
{
    auto it = controls_.begin();
    if (first) it = std::find(controls_.begin(), controls_.end(), first);
    for (; it != controls_.end(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
        RECT r = c->BoundsRect();
        if (!RectVisible(dc, &r)) continue;
        const int saved = SaveDC(dc);
        POINT origin{};
        GetViewportOrgEx(dc, &origin);
        SetViewportOrgEx(dc, origin.x + r.left, origin.y + r.top, nullptr);
        IntersectClipRect(dc, 0, 0, r.right - r.left, r.bottom - r.top);
        try {
            c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        } catch (...) {
            RestoreDC(dc, saved);
            throw;
        }
        RestoreDC(dc, saved);
    }
}

void TWinControl::PaintHandler(TMessage& message)
{
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    PAINTSTRUCT ps{};
    const bool own = dc == nullptr;
    if (own) dc = BeginPaint(handle_, &ps);
    try {
        const int saved = SaveDC(dc);
        PaintWindow(dc);
        RestoreDC(dc, saved);
        PaintControls(dc, nullptr);
    } catch (...) {
        if (own) EndPaint(handle_, &ps);
        throw;
    }
    if (own) EndPaint(handle_, &ps);
}

void TWinControl::WMPaint(TMessage& message)
{
    const bool ownClass = !systemClass_;
    bool graphicChildren = false;
    for (TControl* c : controls_)
        if (!dynamic_cast<TWinControl*>(c)) graphicChildren = true;
    if (!ownClass && !graphicChildren) {
        DefaultHandler(message);
        return;
    }
    PaintHandler(message);
}

void TWinControl::WMEraseBkgnd(TMessage& message)
{
    const bool ownClass = !systemClass_;
    if (!ownClass) {
        DefaultHandler(message);
        return;
    }
    if (!ControlStyle().Contains(csOpaque)) {
        RECT r{};
        ::GetClientRect(handle_, &r);
        FillRect(reinterpret_cast<HDC>(message.WParam), &r, BackgroundBrush());
    }
    message.Result = 1;
}

// --- message routing

void TWinControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSEMOVE:
        if (!mouseTracked_ && handle_) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, handle_, 0};
            TrackMouseEvent(&track);
            mouseTracked_ = true;
            Perform(CM_MOUSEENTER, 0, 0);
        }
        break;
    case WM_MOUSELEAVE:
        mouseTracked_ = false;
        if (TControl* hot = hotChild_) {
            hotChild_ = nullptr;
            hot->Perform(CM_MOUSELEAVE, 0, 0);
        }
        Perform(CM_MOUSELEAVE, 0, 0);
        break;
    default: break;
    }
    if (IsClientMouseMessage(message.Msg)) {
        bool handled = false;
        HandleMouseForChildren(message, handled);
        if (handled) {
            // A right click on a graphic control still asks the window for a context menu.
            if (message.Msg == WM_RBUTTONUP && message.Result == 0 && handle_)
                DefWindowProcW(handle_, message.Msg, message.WParam, message.LParam);
            return;
        }
        if (!systemClass_) {
            // Own windows take the mouse while a button is down, like the standard controls do.
            if (IsMouseButtonDown(message.Msg) && ControlStyle().Contains(csCaptureMouse)) SetCapture(handle_);
            if (IsMouseButtonUp(message.Msg) && GetCapture() == handle_) ReleaseCapture();
        }
    }
    TControl::WndProc(message);
}

void TWinControl::HandleMouseForChildren(TMessage& message, bool& handled)
{
    const TPoint p(message.LParamX(), message.LParamY());
    TControl* target = captureChild_ ? captureChild_ : ControlAtPos(p);
    if (message.Msg == WM_MOUSEMOVE && !captureChild_ && target != hotChild_) {
        TControl* old = hotChild_;
        hotChild_ = target;
        if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
        if (target) target->Perform(CM_MOUSEENTER, 0, 0);
    }
    if (!target) return;
    if (IsMouseButtonDown(message.Msg) && target->ControlStyle().Contains(csCaptureMouse) && handle_) {
        captureChild_ = target;
        SetCapture(handle_);
    }
    const LPARAM local = MAKELPARAM(p.X - target->Left(), p.Y - target->Top());
    message.Result = target->Perform(message.Msg, message.WParam, local);
    if (IsMouseButtonUp(message.Msg) && captureChild_ && (message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) {
        captureChild_ = nullptr;
        if (handle_ && GetCapture() == handle_) ReleaseCapture();
    }
    handled = true;
}

bool TWinControl::ReflectToChild(HWND child, TMessage& message)
{
    TWinControl* control = FindControl(child);
    if (!control || control == this) return false;
    message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
    return true;
}

void TWinControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT: WMPaint(message); return;
    case WM_PRINTCLIENT:
        if (!systemClass_) {
            if (message.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, message.WParam, message.WParam);
            TMessage paint{WM_PAINT, message.WParam, 0, 0};
            WMPaint(paint);
            return;
        }
        break;
    case WM_ERASEBKGND: WMEraseBkgnd(message); return;
    case WM_SIZE: WMSize(message); return;
    case WM_MOVE: WMMove(message); return;
    case WM_SETFOCUS: WMSetFocus(message); return;
    case WM_KILLFOCUS: WMKillFocus(message); return;
    case WM_KEYDOWN: WMKeyDown(message); return;
    case WM_KEYUP: WMKeyUp(message); return;
    case WM_CHAR: WMChar(message); return;
    case WM_SYSKEYDOWN: WMSysKeyDown(message); return;
    case WM_SETCURSOR: WMSetCursor(message); return;
    case WM_CONTEXTMENU: WMContextMenu(message); return;
    case WM_NCDESTROY: WMNCDestroy(message); return;
    case WM_COMMAND:
        if (message.LParam && ReflectToChild(reinterpret_cast<HWND>(message.LParam), message)) return;
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
        if (header && ReflectToChild(header->hwndFrom, message)) return;
        break;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        if (item && item->CtlType != ODT_MENU && ReflectToChild(item->hwndItem, message)) return;
        break;
    }
    case WM_MEASUREITEM: {
        const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(message.LParam);
        if (item && item->CtlType != ODT_MENU && handle_ &&
            ReflectToChild(GetDlgItem(handle_, static_cast<int>(item->CtlID)), message))
            return;
        break;
    }
    case WM_DELETEITEM: {
        const auto* item = reinterpret_cast<const DELETEITEMSTRUCT*>(message.LParam);
        if (item && ReflectToChild(item->hwndItem, message)) return;
        break;
    }
    case WM_COMPAREITEM: {
        const auto* item = reinterpret_cast<const COMPAREITEMSTRUCT*>(message.LParam);
        if (item && ReflectToChild(item->hwndItem, message)) return;
        break;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
        if (message.LParam && ReflectToChild(reinterpret_cast<HWND>(message.LParam), message)) return;
        break;
    case CM_SHOWINGCHANGED: CMShowingChanged(message); return;
    case CM_RECREATEWND: CMRecreateWnd(message); return;
    case CM_DIALOGKEY: CMDialogKey(message); return;
    // The form's focus change reaches every control, so drop-downs can close on it.
    case CM_FOCUSCHANGED: Broadcast(message); return;
    case CM_ENTER: CMEnter(message); return;
    case CM_EXIT: CMExit(message); return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(message); return;
    case CN_CHAR:
    case CN_SYSCHAR: CNChar(message); return;
    default: break;
    }
    TControl::Dispatch(message);
}

void TWinControl::DefaultHandler(TMessage& message)
{
    const UINT msg = message.Msg;
    if (msg >= CN_CTLCOLORMSGBOX && msg <= CN_CTLCOLORSTATIC) {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        SetTextColor(dc, StyledColorToGdi(Font()->Color()));
        SetBkColor(dc, StyledColorToGdi(Color()));
        message.Result = reinterpret_cast<LRESULT>(BackgroundBrush());
        return;
    }
    // Component and reflected messages mean nothing to the window procedure.
    if (msg >= CM_BASE && msg < CN_BASE + 0x400) return;
    if (handle_) {
        message.Result = CallWindowProcW(defWndProc_ ? defWndProc_ : &DefWindowProcW, handle_, msg, message.WParam,
                                         message.LParam);
        return;
    }
    TControl::DefaultHandler(message);
}

void TWinControl::WMSize(TMessage& message)
{
    UpdateBounds();
    DefaultHandler(message);
    ApplyAnchors();
    Realign();
    if (!ComponentState().Contains(csLoading)) Resize();
}

void TWinControl::WMMove(TMessage& message)
{
    UpdateBounds();
    DefaultHandler(message);
}

void TWinControl::WMSetFocus(TMessage& message)
{
    if (TCustomForm* form = GetParentForm(); form && form != this) form->SetFocusedControl(this);
    DefaultHandler(message);
}

void TWinControl::WMKillFocus(TMessage& message) { DefaultHandler(message); }

bool TWinControl::FormPreviewsKey(bool (TWinControl::*handler)(TMessage&), TMessage& message)
{
    TCustomForm* form = GetParentForm();
    if (!form || form == this || !form->KeyPreview()) return false;
    return (static_cast<TWinControl*>(form)->*handler)(message);
}

bool TWinControl::DoKeyDown(TMessage& message)
{
    if (FormPreviewsKey(&TWinControl::DoKeyDown, message)) return true;
    WORD key = static_cast<WORD>(message.WParam);
    KeyDown(key, KeyboardShiftState());
    if (key == 0) return true;
    message.WParam = key;
    return false;
}

bool TWinControl::DoKeyUp(TMessage& message)
{
    if (FormPreviewsKey(&TWinControl::DoKeyUp, message)) return true;
    WORD key = static_cast<WORD>(message.WParam);
    KeyUp(key, KeyboardShiftState());
    if (key == 0) return true;
    message.WParam = key;
    return false;
}

bool TWinControl::DoKeyPress(TMessage& message)
{
    if (FormPreviewsKey(&TWinControl::DoKeyPress, message)) return true;
    wchar_t key = static_cast<wchar_t>(message.WParam);
    KeyPress(key);
    if (key == 0) return true;
    message.WParam = key;
    return false;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(wchar_t& key)
{
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter()
{
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit) OnExit(this);
}

void TWinControl::WMKeyDown(TMessage& message)
{
    if (!DoKeyDown(message)) DefaultHandler(message);
}

void TWinControl::WMKeyUp(TMessage& message)
{
    if (!DoKeyUp(message)) DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message)
{
    if (!DoKeyPress(message)) DefaultHandler(message);
}

void TWinControl::WMSysKeyDown(TMessage& message)
{
    if (!DoKeyDown(message)) DefaultHandler(message);
}

void TWinControl::WMContextMenu(TMessage& message)
{
    TPoint at(static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam)));
    const bool keyboard = at.X == -1 && at.Y == -1;
    TPopupMenu* menu = nullptr;
    if (keyboard) {
        menu = PopupMenu();
        at = ClientToScreen(TPoint(0, 0));
    } else if (handle_) {
        const TPoint local = ScreenToClient(at);
        RECT client{};
        ::GetClientRect(handle_, &client);
        // On the frame the system's own menu stays.
        if (PtInRect(&client, POINT{local.X, local.Y})) {
            TControl* child = ControlAtPos(local);
            menu = child && child->PopupMenu() ? child->PopupMenu() : PopupMenu();
        }
    }
    if (!menu) {
        DefaultHandler(message);
        return;
    }
    menu->Popup(at.X, at.Y);
    message.Result = 1;
}

void TWinControl::WMSetCursor(TMessage& message)
{
    if (LOWORD(message.LParam) == HTCLIENT && reinterpret_cast<HWND>(message.WParam) == handle_) {
        TCursor cursor = Screen ? Screen->Cursor() : crDefault;
        if (cursor == crDefault) {
            POINT p{};
            GetCursorPos(&p);
            ::ScreenToClient(handle_, &p);
            TControl* child = ControlAtPos(TPoint(p.x, p.y));
            cursor = child ? child->Cursor() : Cursor();
        }
        if (HCURSOR h = CursorHandle(cursor)) {
            ::SetCursor(h);
            message.Result = TRUE;
            return;
        }
    }
    DefaultHandler(message);
}

void TWinControl::WMNCDestroy(TMessage& message)
{
    HWND window = handle_;
    DefaultHandler(message);
    if (window) {
        ForgetControlWindow(window);
    }
    handle_ = nullptr;
    showing_ = false;
    mouseTracked_ = false;
    hotChild_ = nullptr;
    captureChild_ = nullptr;
}

void TWinControl::CMEnabledChanged(TMessage& message)
{
    if (!Enabled() && parent_ && Focused()) {
        if (TCustomForm* form = GetParentForm()) form->SelectNext(this, true, true);
    }
    if (handle_) EnableWindow(handle_, Enabled());
    TControl::CMEnabledChanged(message);
}

void TWinControl::CMVisibleChanged(TMessage&) { UpdateControlState(); }

void TWinControl::CMFontChanged(TMessage& message)
{
    TControl::CMFontChanged(message);
    if (handle_) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
    for (size_t i = 0; i < controls_.size(); ++i) controls_[i]->Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TWinControl::CMColorChanged(TMessage& message)
{
    TControl::CMColorChanged(message);
    for (size_t i = 0; i < controls_.size(); ++i) controls_[i]->Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TWinControl::CMShowingChanged(TMessage&)
{
    if (!handle_) return;
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMRecreateWnd(TMessage&)
{
    const bool wasFocused = Focused();
    DestroyHandle();
    UpdateControlState();
    if (wasFocused && handle_) ::SetFocus(handle_);
}

void TWinControl::CMDialogKey(TMessage& message) { Broadcast(message); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }

void TWinControl::CNKeyDown(TMessage& message)
{
    message.Result = 0;
    const WORD key = static_cast<WORD>(message.WParam);
    LRESULT mask = 0;
    switch (key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: return;
    }
    if (Perform(CM_WANTSPECIALKEY, key, 0) != 0) return;
    if (Perform(WM_GETDLGCODE, 0, 0) & mask) return;
    TCustomForm* form = GetParentForm();
    if (form && form->Perform(CM_DIALOGKEY, key, message.LParam) != 0) message.Result = 1;
}

void TWinControl::CNChar(TMessage& message) { message.Result = 0; }
