#include "Controls.h"

#include "ControlsInternal.h"
#include "FormReader.h"
#include "Forms.h"
#include "ImageList.h"
#include "Menus.h"
#include "TypInfo.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

// ---------------------------------------------------------------------------------------------
// Window binding

namespace {
struct WindowBinding {
    TWinControl* control = nullptr;
    WNDPROC previous = nullptr;
};

std::mutex& BindingLock()
{
    static std::mutex lock;
    return lock;
}

std::unordered_map<HWND, WindowBinding>& Bindings()
{
    static std::unordered_map<HWND, WindowBinding> bindings;
    return bindings;
}

WindowBinding BindingOf(HWND window)
{
    std::lock_guard<std::mutex> guard(BindingLock());
    const auto found = Bindings().find(window);
    return found == Bindings().end() ? WindowBinding{} : found->second;
}
} // namespace

void AttachControlWindow(HWND window, TWinControl* control)
{
    control->handle_ = window;
    {
        std::lock_guard<std::mutex> guard(BindingLock());
        Bindings()[window].control = control;
    }
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlWindowProc)));
    {
        std::lock_guard<std::mutex> guard(BindingLock());
        Bindings()[window].previous = previous;
    }
    control->defWndProc_ = previous;
}

void ReleaseControlWindow(HWND window)
{
    std::lock_guard<std::mutex> guard(BindingLock());
    const auto found = Bindings().find(window);
    if (found != Bindings().end()) found->second.control = nullptr;
}

void ForgetControlWindow(HWND window)
{
    std::lock_guard<std::mutex> guard(BindingLock());
    Bindings().erase(window);
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const WindowBinding binding = BindingOf(window);
    if (!binding.control) {
        return binding.previous ? CallWindowProcW(binding.previous, window, msg, wParam, lParam)
                                : DefWindowProcW(window, msg, wParam, lParam);
    }
    TMessage message{msg, wParam, lParam, 0};
    try {
        binding.control->WindowProc(message);
    } catch (...) {
        HandleCallbackException(binding.control);
    }
    // Whatever the control did with it, the window is gone after this one.
    if (msg == WM_NCDESTROY) ForgetControlWindow(window);
    return message.Result;
}

TWinControl* FindControl(HWND window)
{
    if (!window) return nullptr;
    return BindingOf(window).control;
}

TCustomForm* GetParentForm(const TControl* control)
{
    if (!control) return nullptr;
    const TControl* top = control;
    while (top->Parent()) top = top->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(top));
}

TShiftState MouseShiftState(WPARAM keys)
{
    TShiftState s;
    if (keys & MK_SHIFT) s << ssShift;
    if (keys & MK_CONTROL) s << ssCtrl;
    if (keys & MK_LBUTTON) s << ssLeft;
    if (keys & MK_RBUTTON) s << ssRight;
    if (keys & MK_MBUTTON) s << ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s << ssAlt;
    return s;
}

TShiftState KeyboardShiftState()
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s << ssAlt;
    return s;
}

HCURSOR CursorHandle(TCursor cursor)
{
    LPCWSTR id = nullptr;
    switch (cursor) {
    case crArrow: id = IDC_ARROW; break;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: return nullptr;
    }
    return LoadCursorW(nullptr, id);
}

// ---------------------------------------------------------------------------------------------
// Utility windows

namespace {

using UtilMethod = std::function<bool(TMessage&)>;

LRESULT CALLBACK UtilWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* method = reinterpret_cast<UtilMethod*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (method) {
        TMessage message{msg, wParam, lParam, 0};
        try {
            if ((*method)(message)) return message.Result;
        } catch (...) {
            HandleCallbackException(nullptr);
            return 0;
        }
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

const wchar_t* UtilWindowClass()
{
    static const wchar_t* name = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &UtilWindowProc;
        wc.hInstance = ModuleInstance();
        wc.lpszClassName = L"TPUtilWindow";
        RegisterClassW(&wc);
        return L"TPUtilWindow";
    }();
    return name;
}

} // namespace

HWND AllocateHWnd(std::function<bool(TMessage&)> method, bool topLevel)
{
    auto* holder = new UtilMethod(std::move(method));
    HWND window = CreateWindowExW(topLevel ? WS_EX_TOOLWINDOW : 0, UtilWindowClass(), L"", topLevel ? WS_POPUP : 0,
                                  0, 0, 0, 0, topLevel ? nullptr : HWND_MESSAGE, nullptr, ModuleInstance(), nullptr);
    if (!window) {
        delete holder;
        throw EOSError(L"Cannot create a utility window");
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(holder));
    return window;
}

void DeallocateHWnd(HWND window)
{
    if (!window) return;
    auto* method = reinterpret_cast<UtilMethod*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    delete method;
}

// ---------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* owner)
    : TComponent(owner), WindowProc(this, &TControl::WndProc), font_(std::make_unique<TFont>()),
      constraints_(std::make_unique<TSizeConstraints>(this)), margins_(std::make_unique<TMargins>())
{
    font_->OnChange = [this](TObject* sender) { FontChanged(sender); };
}

TControl::~TControl()
{
    font_->OnChange = nullptr;
    if (parent_) {
        try {
            parent_->RemoveControl(this);
        } catch (...) {
        }
    }
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    WindowProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& message) { Dispatch(message); }

void TControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(message); break;
    case WM_LBUTTONUP: WMLButtonUp(message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(message); break;
    case WM_RBUTTONDOWN: WMRButtonDown(message); break;
    case WM_RBUTTONUP: WMRButtonUp(message); break;
    case WM_MBUTTONDOWN: WMMButtonDown(message); break;
    case WM_MBUTTONUP: WMMButtonUp(message); break;
    case WM_MOUSEMOVE: WMMouseMove(message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(message); break;
    case CM_FONTCHANGED: CMFontChanged(message); break;
    case CM_COLORCHANGED: CMColorChanged(message); break;
    case CM_TEXTCHANGED: CMTextChanged(message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(message); break;
    case CM_MOUSEENTER: CMMouseEnter(message); break;
    case CM_MOUSELEAVE: CMMouseLeave(message); break;
    case CM_HITTEST: CMHitTest(message); break;
    default: DefaultHandler(message); break;
    }
}

void TControl::DefaultHandler(TMessage& message)
{
    switch (message.Msg) {
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<wchar_t*>(message.LParam);
        const size_t capacity = static_cast<size_t>(message.WParam);
        if (!buffer || capacity == 0) {
            message.Result = 0;
            break;
        }
        const size_t n = std::min(capacity - 1, text_.size());
        std::copy_n(text_.data(), n, buffer);
        buffer[n] = L'\0';
        message.Result = static_cast<LRESULT>(n);
        break;
    }
    case WM_GETTEXTLENGTH: message.Result = static_cast<LRESULT>(text_.size()); break;
    case WM_SETTEXT:
        text_ = message.LParam ? reinterpret_cast<const wchar_t*>(message.LParam) : L"";
        message.Result = TRUE;
        break;
    default: break;
    }
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent_ == parent) return;
    if (parent == this) throw EInvalidOperation(L"A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

void TSizeConstraints::Constrain(int& width, int& height) const
{
    if (maxWidth_ > 0 && width > maxWidth_) width = maxWidth_;
    if (minWidth_ > 0 && width < minWidth_) width = minWidth_;
    if (maxHeight_ > 0 && height > maxHeight_) height = maxHeight_;
    if (minHeight_ > 0 && height < minHeight_) height = minHeight_;
}

void TSizeConstraints::Set(int& field, int value)
{
    if (field == value) return;
    field = value < 0 ? 0 : value;
    if (control_) control_->SetBounds(control_->Left(), control_->Top(), control_->Width(), control_->Height());
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    constraints_->Constrain(width, height);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    const bool resized = width != width_ || height != height_;
    InvalidateControl();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    InvalidateControl();
    RequestAlign();
    if (resized && !ComponentState().Contains(csLoading)) Resize();
}

TRect TControl::ClientRect() { return Rect(0, 0, width_, height_); }

void TControl::SetClientWidth(int value)
{
    const TRect client = ClientRect();
    SetWidth(width_ - client.Width() + value);
}

void TControl::SetClientHeight(int value)
{
    const TRect client = ClientRect();
    SetHeight(height_ - client.Height() + value);
}

TPoint TControl::ClientOrigin()
{
    if (!parent_) return TPoint(left_, top_);
    TPoint origin = parent_->ClientOrigin();
    return TPoint(origin.X + left_, origin.Y + top_);
}

TPoint TControl::ClientToScreen(const TPoint& point)
{
    const TPoint origin = ClientOrigin();
    return TPoint(point.X + origin.X, point.Y + origin.Y);
}

TPoint TControl::ScreenToClient(const TPoint& point)
{
    const TPoint origin = ClientOrigin();
    return TPoint(point.X - origin.X, point.Y - origin.Y);
}

void TControl::SetAlign(TAlign value)
{
    if (align_ == value) return;
    align_ = value;
    RequestAlign();
}

void TControl::ChangeScale(int M, int D)
{
    if (M <= 0 || D <= 0 || M == D) return;
    SetBounds(MulDiv(left_, M, D), MulDiv(top_, M, D), MulDiv(width_, M, D), MulDiv(height_, M, D));
    ScaleFont(M, D);
}

void TControl::ScaleFont(int M, int D)
{
    // A parent font arrives already scaled through CM_PARENTFONTCHANGED.
    if (parentFont_ && parent_) return;
    const bool parentFont = parentFont_;
    font_->SetHeight(MulDiv(font_->Height(), M, D));
    parentFont_ = parentFont;
}

UINT TControl::DrawTextBiDiModeFlags(UINT flags) const
{
    if (UseRightToLeftAlignment() && (flags & DT_CENTER) == 0) {
        if (flags & DT_RIGHT)
            flags &= ~static_cast<UINT>(DT_RIGHT);
        else
            flags |= DT_RIGHT;
    }
    if (UseRightToLeftReading()) flags |= DT_RTLREADING;
    return flags;
}

void TControl::SetBiDiMode(TBiDiMode value)
{
    if (biDiMode_ == value) return;
    biDiMode_ = value;
    Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetVisible(bool value)
{
    if (visible_ == value) return;
    visible_ = value;
    Perform(CM_VISIBLECHANGED, value ? 1 : 0, 0);
    RequestAlign();
}

void TControl::SetEnabled(bool value)
{
    if (enabled_ == value) return;
    enabled_ = value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

UnicodeString TControl::GetText()
{
    const LRESULT length = Perform(WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    UnicodeString buffer(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = Perform(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return buffer;
}

void TControl::SetText(const UnicodeString& value)
{
    if (GetText() == value) return;
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value)
{
    if (parentFont_ == value) return;
    parentFont_ = value;
    if (value && parent_) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetColor(TColor value)
{
    if (color_ == value) {
        parentColor_ = false;
        return;
    }
    color_ = value;
    parentColor_ = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value)
{
    if (parentColor_ == value) return;
    parentColor_ = value;
    if (value && parent_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*)
{
    if (!assigningParentFont_) parentFont_ = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::InvalidateControl()
{
    if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
    const RECT r = BoundsRect();
    InvalidateRect(parent_->handle_, &r, TRUE);
}

void TControl::Invalidate() { InvalidateControl(); }

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::Update()
{
    if (parent_) parent_->Update();
}

void TControl::BringToFront()
{
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        SetWindowPos(w->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    else
        InvalidateControl();
}

void TControl::SendToBack()
{
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.insert(list.begin(), this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        SetWindowPos(w->handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    else
        InvalidateControl();
}

TCustomForm* TControl::GetParentForm() const { return ::GetParentForm(this); }

void TControl::Click()
{
    if (OnClick) OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick) OnDblClick(this);
}

void TControl::Resize()
{
    if (OnResize) OnResize(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::RequestAlign()
{
    if (parent_) parent_->AlignControl(this);
}

void TControl::SetPopupMenu(TPopupMenu* value)
{
    if (value == popupMenu_) return;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = value;
    if (value) value->FreeNotification(this);
}

void TControl::SetParentComponent(TComponent* value)
{
    if (auto* parent = dynamic_cast<TWinControl*>(value)) SetParent(parent);
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::Loaded()
{
    TComponent::Loaded();
    if (parent_) {
        if (parentColor_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
        if (parentFont_) Perform(CM_PARENTFONTCHANGED, 0, 0);
    }
    RequestAlign();
}

void TControl::WMLButtonDown(TMessage& message)
{
    if (controlStyle_.Contains(csClickEvents)) controlState_ << csClicked;
    controlState_ << csLButtonDown;
    MouseDown(mbLeft, MouseShiftState(message.WParam), message.LParamX(), message.LParamY());
    DefaultHandler(message);
}

void TControl::WMLButtonUp(TMessage& message)
{
    const bool clicked = controlState_.Contains(csClicked);
    controlState_ >> csClicked >> csLButtonDown;
    DefaultHandler(message);
    if (clicked && ClientRect().Contains(TPoint(message.LParamX(), message.LParamY()))) Click();
    MouseUp(mbLeft, MouseShiftState(message.WParam), message.LParamX(), message.LParamY());
}

void TControl::WMLButtonDblClk(TMessage& message)
{
    if (controlStyle_.Contains(csDoubleClicks)) DblClick();
    MouseDown(mbLeft, MouseShiftState(message.WParam) << ssDouble, message.LParamX(), message.LParamY());
    DefaultHandler(message);
}

void TControl::WMRButtonDown(TMessage& message)
{
    MouseDown(mbRight, MouseShiftState(message.WParam), message.LParamX(), message.LParamY());
    DefaultHandler(message);
}

void TControl::WMRButtonUp(TMessage& message)
{
    DefaultHandler(message);
    MouseUp(mbRight, MouseShiftState(message.WParam), message.LParamX(), message.LParamY());
}

void TControl::WMMButtonDown(TMessage& message)
{
    MouseDown(mbMiddle, MouseShiftState(message.WParam), message.LParamX(), message.LParamY());
    DefaultHandler(message);
}

void TControl::WMMButtonUp(TMessage& message)
{
    DefaultHandler(message);
    MouseUp(mbMiddle, MouseShiftState(message.WParam), message.LParamX(), message.LParamY());
}

void TControl::WMMouseMove(TMessage& message)
{
    MouseMove(MouseShiftState(message.WParam), message.LParamX(), message.LParamY());
    DefaultHandler(message);
}

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::CMVisibleChanged(TMessage&)
{
    // A windowless control disappears from (or appears on) the parent's surface.
    if (parent_ && parent_->HandleAllocated()) {
        const RECT r = BoundsRect();
        InvalidateRect(parent_->handle_, &r, TRUE);
    }
}

void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }
void TControl::CMTextChanged(TMessage&) {}

void TControl::CMParentFontChanged(TMessage&)
{
    if (!parentFont_ || !parent_) return;
    assigningParentFont_ = true;
    try {
        font_->Assign(parent_->Font());
    } catch (...) {
        assigningParentFont_ = false;
        throw;
    }
    assigningParentFont_ = false;
}

void TControl::CMParentColorChanged(TMessage&)
{
    if (!parentColor_ || !parent_ || color_ == parent_->Color()) return;
    color_ = parent_->Color();
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::CMMouseEnter(TMessage& message)
{
    if (message.LParam == 0) {
        mouseInControl_ = true;
        if (OnMouseEnter) OnMouseEnter(this);
    }
    if (parent_) parent_->Perform(CM_MOUSEENTER, 0, message.LParam ? message.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMMouseLeave(TMessage& message)
{
    if (message.LParam == 0) {
        mouseInControl_ = false;
        if (OnMouseLeave) OnMouseLeave(this);
    }
    if (parent_) parent_->Perform(CM_MOUSELEAVE, 0, message.LParam ? message.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMHitTest(TMessage& message) { message.Result = HTCLIENT; }

// ---------------------------------------------------------------------------------------------
// TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), canvas_(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

bool TControl::CanAutoSize(int&, int&) { return true; }

void TGraphicControl::Dispatch(TMessage& message)
{
    if (message.Msg == WM_PAINT) {
        WMPaint(message);
        return;
    }
    TControl::Dispatch(message);
}

void TGraphicControl::WMPaint(TMessage& message)
{
    if (!message.WParam) return;
    const TCanvasDCScope scope(*canvas_, reinterpret_cast<HDC>(message.WParam));
    Paint();
}

// ---------------------------------------------------------------------------------------------
// TCustomControl

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc)
{
    const TCanvasDCScope scope(*canvas_, dc);
    Paint();
}

// ---------------------------------------------------------------------------------------------
// Published properties

namespace {

TPropInfo IntProp(const wchar_t* name, std::function<int(TControl&)> get, std::function<void(TControl&, int)> set)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkInteger;
    info.GetOrd = [get](TPersistent* p) -> int64_t { return get(PropertyInstance<TControl>(p)); };
    info.SetOrd = [set](TPersistent* p, int64_t v) { set(PropertyInstance<TControl>(p), static_cast<int>(v)); };
    return info;
}

TPropInfo TextProp(const wchar_t* name)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkString;
    info.GetStr = [](TPersistent* p) { return PropertyInstance<TControl>(p).Text(); };
    info.SetStr = [](TPersistent* p, const UnicodeString& v) { PropertyInstance<TControl>(p).SetText(v); };
    return info;
}

// Font sub-properties of form definitions (Font.Name = 'Tahoma'), unless the graphics layer
// registered them already.
void RegisterFontProperties()
{
    if (IsPublishedClass(L"TFont")) return;
    static const TEnumTypeInfo styleInfo{{L"fsBold", L"fsItalic", L"fsUnderline", L"fsStrikeOut"}, 0};
    static const TEnumTypeInfo pitchInfo{{L"fpDefault", L"fpVariable", L"fpFixed"}, 0};
    const UnicodeString f = L"TFont";
    RegisterPublishedClass(f, L"TPersistent");
    RegisterPublishedProperty(f, StrProp(L"Name", &TFont::Name, &TFont::SetName));
    RegisterPublishedProperty(f, OrdProp(L"Height", pkInteger, &TFont::Height, &TFont::SetHeight));
    RegisterPublishedProperty(f, OrdProp(L"Size", pkInteger, &TFont::Size, &TFont::SetSize));
    RegisterPublishedProperty(f, OrdProp(L"Color", pkColor, &TFont::Color, &TFont::SetColor));
    RegisterPublishedProperty(f, OrdProp(L"Style", pkSet, &TFont::Style, &TFont::SetStyle, std::nullopt, &styleInfo));
    RegisterPublishedProperty(f, OrdProp(L"Pitch", pkEnum, &TFont::Pitch, &TFont::SetPitch, int64_t{fpDefault}, &pitchInfo));
    RegisterPublishedProperty(f, OrdProp(L"Charset", pkInteger, &TFont::Charset, &TFont::SetCharset));
    static constexpr std::pair<const wchar_t*, int> charsets[] = {
        {L"ANSI_CHARSET", ANSI_CHARSET}, {L"DEFAULT_CHARSET", DEFAULT_CHARSET}, {L"SYMBOL_CHARSET", SYMBOL_CHARSET},
        {L"OEM_CHARSET", OEM_CHARSET}, {L"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET}, {L"RUSSIAN_CHARSET", RUSSIAN_CHARSET},
    };
    for (const auto& [name, value] : charsets) RegisterIntegerConstant(name, value);
}

} // namespace

void RegisterControlsClasses()
{
    static bool done = false;
    if (done) return;
    done = true;

    static const TEnumTypeInfo alignInfo{{L"alNone", L"alTop", L"alBottom", L"alLeft", L"alRight", L"alClient", L"alCustom"}, 0};

    const UnicodeString c = L"TControl";
    RegisterPublishedClass(c, L"TComponent");
    RegisterPublishedProperty(c, OrdProp(L"Left", pkInteger, &TControl::Left, &TControl::SetLeft));
    RegisterPublishedProperty(c, OrdProp(L"Top", pkInteger, &TControl::Top, &TControl::SetTop));
    RegisterPublishedProperty(c, OrdProp(L"Width", pkInteger, &TControl::Width, &TControl::SetWidth));
    RegisterPublishedProperty(c, OrdProp(L"Height", pkInteger, &TControl::Height, &TControl::SetHeight));
    RegisterPublishedProperty(c, IntProp(L"ClientWidth", [](TControl& x) { return x.ClientWidth(); },
                                         [](TControl& x, int v) { x.SetClientWidth(v); }));
    RegisterPublishedProperty(c, IntProp(L"ClientHeight", [](TControl& x) { return x.ClientHeight(); },
                                         [](TControl& x, int v) { x.SetClientHeight(v); }));
    RegisterPublishedProperty(c, OrdProp(L"Align", pkEnum, &TControl::Align, &TControl::SetAlign, int64_t{alNone}, &alignInfo));
    RegisterPublishedProperty(c, OrdProp(L"Visible", pkBool, &TControl::Visible, &TControl::SetVisible, int64_t{1}));
    RegisterPublishedProperty(c, OrdProp(L"Enabled", pkBool, &TControl::Enabled, &TControl::SetEnabled, int64_t{1}));
    RegisterPublishedProperty(c, TextProp(L"Caption"));
    RegisterPublishedProperty(c, TextProp(L"Text"));
    // A font taken from the parent is not stored: reading it back would end ParentFont.
    TPropInfo font = ObjProp(L"Font", &TControl::Font, &TControl::SetFont, L"Font expected", TNilObject::Reject);
    font.Stored = [](TPersistent* p) { return !PropertyInstance<TControl>(p).ParentFont(); };
    RegisterPublishedProperty(c, std::move(font));
    RegisterPublishedProperty(c, OrdProp(L"ParentFont", pkBool, &TControl::ParentFont, &TControl::SetParentFont, int64_t{1}));
    RegisterPublishedProperty(c, OrdProp(L"Color", pkColor, &TControl::Color, &TControl::SetColor));
    RegisterPublishedProperty(c, OrdProp(L"ParentColor", pkBool, &TControl::ParentColor, &TControl::SetParentColor, int64_t{0}));
    RegisterPublishedProperty(c, StrProp(L"Hint", &TControl::Hint, &TControl::SetHint, UnicodeString()));
    RegisterPublishedProperty(c, OrdProp(L"ShowHint", pkBool, &TControl::ShowHint, &TControl::SetShowHint, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"HelpContext", pkInteger, &TControl::HelpContext, &TControl::SetHelpContext, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"Cursor", pkInteger, &TControl::Cursor, &TControl::SetCursor, int64_t{crDefault}));
    RegisterPublishedProperty(c, EventProp(L"OnClick", &TControl::OnClick));
    RegisterPublishedProperty(c, EventProp(L"OnDblClick", &TControl::OnDblClick));
    RegisterPublishedProperty(c, EventProp(L"OnResize", &TControl::OnResize));
    RegisterPublishedProperty(c, EventProp(L"OnMouseEnter", &TControl::OnMouseEnter));
    RegisterPublishedProperty(c, EventProp(L"OnMouseLeave", &TControl::OnMouseLeave));
    RegisterPublishedProperty(c, EventProp(L"OnMouseDown", &TControl::OnMouseDown));
    RegisterPublishedProperty(c, EventProp(L"OnMouseUp", &TControl::OnMouseUp));
    RegisterPublishedProperty(c, EventProp(L"OnMouseMove", &TControl::OnMouseMove));

    const UnicodeString w = L"TWinControl";
    RegisterPublishedClass(w, c);
    RegisterPublishedProperty(w, OrdProp(L"TabStop", pkBool, &TWinControl::TabStop, &TWinControl::SetTabStop));
    RegisterPublishedProperty(w, OrdProp(L"TabOrder", pkInteger, &TWinControl::TabOrder, &TWinControl::SetTabOrder));
    RegisterPublishedProperty(w, EventProp(L"OnKeyDown", &TWinControl::OnKeyDown));
    RegisterPublishedProperty(w, EventProp(L"OnKeyUp", &TWinControl::OnKeyUp));
    RegisterPublishedProperty(w, EventProp(L"OnKeyPress", &TWinControl::OnKeyPress));
    RegisterPublishedProperty(w, EventProp(L"OnEnter", &TWinControl::OnEnter));
    RegisterPublishedProperty(w, EventProp(L"OnExit", &TWinControl::OnExit));

    RegisterPublishedClass(L"TGraphicControl", c);
    RegisterFontProperties();
    RegisterGraphicsClasses();
    RegisterImageListClasses();
    RegisterPublishedClass(L"TCustomControl", w);

    static constexpr std::pair<const wchar_t*, int> cursors[] = {
        {L"crDefault", crDefault}, {L"crNone", crNone}, {L"crArrow", crArrow}, {L"crCross", crCross},
        {L"crIBeam", crIBeam}, {L"crSizeNESW", crSizeNESW}, {L"crSizeNS", crSizeNS}, {L"crSizeNWSE", crSizeNWSE},
        {L"crSizeWE", crSizeWE}, {L"crUpArrow", crUpArrow}, {L"crHourGlass", crHourGlass}, {L"crNo", crNo},
        {L"crAppStart", crAppStart}, {L"crHelp", crHelp}, {L"crHandPoint", crHandPoint}, {L"crSizeAll", crSizeAll},
    };
    for (const auto& [name, value] : cursors) RegisterIntegerConstant(name, value);
}
