#pragma once
// Support of the window wrapper tests: a capture of a window into a 32-bit DIB through
// WM_PRINT, recording window procedures (a subclass of any window, a WindowProc of a framework
// control, and a parent window class), and a timer that closes modal dialogs.
#include "../framework/controls_tests_widgets_support.h"
#include "Controls.h"
#include "Graphics.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

// A 32-bit device-independent bitmap of the window's size that the window painted itself into
// on WM_PRINT with the given flags (never PrintWindow: it bypasses the window procedure).
inline std::unique_ptr<TBitmap> PrintCapture(HWND window, LPARAM flags = PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND)
{
    RECT r{};
    GetWindowRect(window, &r);
    auto bitmap = std::make_unique<TBitmap>(r.right - r.left, r.bottom - r.top, pf32bit);
    SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(bitmap->Canvas()->Handle()), flags);
    GdiFlush();
    return bitmap;
}

struct RecordedMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
};

// Messages one window or control received, in order.
class MessageLog {
public:
    void Add(UINT msg, WPARAM w, LPARAM l) { list_.push_back({msg, w, l}); }
    int Count(UINT msg) const
    {
        return static_cast<int>(std::count_if(list_.begin(), list_.end(), [msg](const auto& m) { return m.Msg == msg; }));
    }
    // Messages msg whose WParam has the high word high (the library's commands by code).
    int Count(UINT msg, WORD high) const
    {
        return static_cast<int>(std::count_if(list_.begin(), list_.end(),
                                              [=](const auto& m) { return m.Msg == msg && HIWORD(m.WParam) == high; }));
    }
    template <class Pred>
    int CountIf(Pred pred) const
    {
        return static_cast<int>(std::count_if(list_.begin(), list_.end(), pred));
    }
    const RecordedMessage* Last(UINT msg) const
    {
        for (auto it = list_.rbegin(); it != list_.rend(); ++it)
            if (it->Msg == msg) return &*it;
        return nullptr;
    }
    void Clear() { list_.clear(); }

private:
    std::vector<RecordedMessage> list_;
};

// A recording subclass of a window: every message is logged, then passed to the procedure that
// was there before. Remove() puts that procedure back only while ours is still the window's.
// Each N is its own procedure and property, so two recorders can sit on one window.
template <int N>
class RecordingSubclassOf {
public:
    explicit RecordingSubclassOf(HWND window) : window_(window)
    {
        SetPropW(window, kProp, this);
        previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~RecordingSubclassOf() { Remove(); }
    RecordingSubclassOf(const RecordingSubclassOf&) = delete;
    RecordingSubclassOf& operator=(const RecordingSubclassOf&) = delete;

    void Remove()
    {
        if (!window_) return;
        if (IsWindow(window_) && reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window_, GWLP_WNDPROC)) == &Proc)
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        if (IsWindow(window_)) RemovePropW(window_, kProp);
        window_ = nullptr;
    }
    static WNDPROC Procedure() { return &Proc; }
    WNDPROC Previous() const { return previous_; }

    MessageLog Log;

private:
    static constexpr const wchar_t* kProp = N == 0 ? L"WrapperTestRecorder0" : L"WrapperTestRecorder1";
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM w, LPARAM l)
    {
        auto* self = static_cast<RecordingSubclassOf*>(GetPropW(window, kProp));
        if (!self) return DefWindowProcW(window, msg, w, l);
        self->Log.Add(msg, w, l);
        const WNDPROC previous = self->previous_;
        if (msg == WM_NCDESTROY) {
            RemovePropW(window, kProp);
            self->window_ = nullptr;
        }
        return CallWindowProcW(previous, window, msg, w, l);
    }

    HWND window_;
    WNDPROC previous_ = nullptr;
};
using RecordingSubclass = RecordingSubclassOf<0>;
using LaterSubclass = RecordingSubclassOf<1>;

// A recording WindowProc of a framework control: logs, then calls the WindowProc it replaced.
class RecordingWindowProc : public TObject {
public:
    explicit RecordingWindowProc(TControl* control) : control_(control), previous_(control->WindowProc)
    {
        control->WindowProc = TWndMethod(this, &RecordingWindowProc::Handle);
    }
    // Steps out of the chain while the control still calls it.
    ~RecordingWindowProc() override
    {
        if (control_->WindowProc == TWndMethod(this, &RecordingWindowProc::Handle)) control_->WindowProc = previous_;
    }
    RecordingWindowProc(const RecordingWindowProc&) = delete;
    RecordingWindowProc& operator=(const RecordingWindowProc&) = delete;
    void Handle(TMessage& message)
    {
        Log.Add(message.Msg, message.WParam, message.LParam);
        previous_(message);
    }
    MessageLog Log;

private:
    TControl* control_;
    TWndMethod previous_;
};

// A window class whose procedure logs every message into the window's log (user data) and
// answers with DefWindowProcW: the test class of wrapped windows and of recording parents.
class RecordingWindow {
public:
    explicit RecordingWindow(HWND parent = nullptr, const RECT& bounds = {20, 20, 220, 120},
                             DWORD style = WS_VISIBLE)
    {
        const DWORD s = style | (parent ? WS_CHILD : WS_POPUP);
        window_ = CreateWindowExW(0, ClassName(), L"recorded", s, bounds.left, bounds.top, bounds.right - bounds.left,
                                  bounds.bottom - bounds.top, parent, nullptr, GetModuleHandleW(nullptr), this);
    }
    ~RecordingWindow()
    {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
    }
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND Handle() const { return window_; }
    static const wchar_t* ClassName()
    {
        static const wchar_t* name = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"WrapperTestWindow";
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            RegisterClassW(&wc);
            return L"WrapperTestWindow";
        }();
        return name;
    }
    static WNDPROC Procedure() { return &Proc; }

    MessageLog Log;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM w, LPARAM l)
    {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(l);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self) self->Log.Add(msg, w, l);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            if (self) self->window_ = nullptr;
        }
        if (msg == WM_PAINT && w) { // paints into a given DC: the WM_PRINT path
            RECT r{};
            GetClientRect(window, &r);
            FillRect(reinterpret_cast<HDC>(w), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            return 0;
        }
        return DefWindowProcW(window, msg, w, l);
    }

    HWND window_ = nullptr;
};

// While it lives, a timer of the thread closes every dialog box (class "#32770") of the
// process that shows, as a user pressing Escape would, and ends a tracked pop-up menu; Closed
// counts them.
class ModalCloser {
public:
    ModalCloser() : timer_(SetTimer(nullptr, 0, 50, &Tick)) { Instance() = this; }
    ~ModalCloser()
    {
        KillTimer(nullptr, timer_);
        Instance() = nullptr;
    }
    ModalCloser(const ModalCloser&) = delete;
    ModalCloser& operator=(const ModalCloser&) = delete;

    int Closed = 0;

private:
    static ModalCloser*& Instance()
    {
        static ModalCloser* current = nullptr;
        return current;
    }
    static BOOL CALLBACK CloseDialog(HWND window, LPARAM)
    {
        wchar_t name[16] = {};
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(window) && GetClassNameW(window, name, 16) &&
            lstrcmpW(name, L"#32770") == 0) {
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            if (Instance()) ++Instance()->Closed;
        }
        if (pid == GetCurrentProcessId() && IsWindowVisible(window) && GetClassNameW(window, name, 16) &&
            lstrcmpW(name, L"#32768") == 0) {
            EndMenu();
            if (Instance()) ++Instance()->Closed;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { EnumWindows(&CloseDialog, 0); }

    UINT_PTR timer_;
};
