#pragma once
// Support of the scroll-bar engine tests: a window with standard scroll bars whose own procedure
// hands the bar messages to the engine's handlers through a scroll wrapper that is not
// subclassed, records the scroll messages and commands it receives, and a recording "previous
// procedure" that shows what the handlers pass on.
#include "skin_core_test_skinload.h"
#include "skin_graphics_test_units.h"
#include "skin_wrappers_test_support.h"

#include "acScrollBar.h"
#include "sCommonData.h"
#include "sMessages.h"

#include "../support/PumpUntil.h"

#include <memory>

// A window of the test class with its scroll wrapper; one at a time.
class ScrollSubject {
public:
    ScrollSubject(TsSkinManager* manager, DWORD style, DWORD exStyle = 0, const RECT& bounds = {0, 0, 200, 140},
                  BYTE coc = 0)
        : parent_(nullptr, RECT{60, 60, 60 + bounds.right, 60 + bounds.bottom})
    {
        Current() = this;
        data_ = std::make_unique<TsScrollWndData>(nullptr, true);
        data_->SetSkinManager(manager);
        data_->SetSkinSection(L"EDIT");
        data_->COC = coc;
        data_->UpdateIndexes(true);
        sw.SkinManager = manager;
        sw.SkinData = data_.get();
        sw.OldProc = &PreviousProc;
        Handle = CreateWindowExW(exStyle, ClassName(), L"scrolled", WS_CHILD | WS_VISIBLE | style, bounds.left,
                                 bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent_.Handle(),
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        sw.CtrlHandle = Handle;
        sw.CreateBars(Handle);
        Routed = true;
        SetWindowPos(Handle, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    }
    ~ScrollSubject()
    {
        if (GetCapture() == Handle) ReleaseCapture();
        for (UINT_PTR id : {kHoverTimerId, kFirstRepeatTimerId, kRepeatTimerId}) KillTimer(Handle, id);
        Routed = false;
        DestroyWindow(Handle);
        Current() = nullptr;
    }
    ScrollSubject(const ScrollSubject&) = delete;
    ScrollSubject& operator=(const ScrollSubject&) = delete;

    void SetInfo(int bar, int min, int max, UINT page, int pos)
    {
        SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL | SIF_DISABLENOSCROLL, min, max, page, pos, 0};
        SetScrollInfo(Handle, bar, &si, FALSE);
        TacScrollBar* sb = Bar(bar);
        sb->ScrollInfo.cbSize = sizeof(SCROLLINFO);
        sb->ScrollInfo.fMask = SIF_ALL;
        GetScrollInfo(Handle, bar, &sb->ScrollInfo);
    }
    TacScrollBar* Bar(int bar) { return bar == SB_HORZ ? sw.sBarHorz.get() : sw.sBarVert.get(); }
    TRect ScreenRect(int bar)
    {
        TRect r;
        GetScrollRect(&sw, bar, Handle, r);
        return r;
    }
    // A screen point made into a non-client mouse message's LPARAM.
    static LPARAM At(int x, int y) { return MAKELPARAM(static_cast<short>(x), static_cast<short>(y)); }
    // The screen point in client coordinates, as WM_MOUSEMOVE carries it.
    LPARAM ClientAt(int x, int y) const
    {
        POINT p{x, y};
        ScreenToClient(Handle, &p);
        return MAKELPARAM(static_cast<short>(p.x), static_cast<short>(p.y));
    }
    // The scroll messages the window received, with the wrapper's DontRepaint at that moment.
    struct Scroll {
        UINT Msg;
        WPARAM WParam;
        LPARAM LParam;
        bool DontRepaint;
    };
    std::vector<Scroll> Scrolls;
    MessageLog Log;         // scroll messages and commands 51/52, in order
    MessageLog PassedOn;    // what reached the previous procedure
    LRESULT Answer51 = 0;   // the window's answer to "before scroll"
    bool Routed = false;

    HWND Handle = nullptr;
    TacScrollWnd sw;
    RecordingWindow& Parent() { return parent_; }

private:
    static ScrollSubject*& Current()
    {
        static ScrollSubject* current = nullptr;
        return current;
    }
    static const wchar_t* ClassName()
    {
        static const wchar_t* name = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ScrollEngineTestWindow";
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            RegisterClassW(&wc);
            return L"ScrollEngineTestWindow";
        }();
        return name;
    }
    static LRESULT CALLBACK PreviousProc(HWND window, UINT msg, WPARAM w, LPARAM l)
    {
        if (ScrollSubject* self = Current()) self->PassedOn.Add(msg, w, l);
        // Never the system's own bar tracking: it would start a modal loop.
        if (msg == WM_NCLBUTTONDOWN || msg == WM_NCLBUTTONDBLCLK) return 0;
        return DefWindowProcW(window, msg, w, l);
    }
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM w, LPARAM l)
    {
        ScrollSubject* self = Current();
        if (!self || !self->Routed || self->Handle != window) return DefWindowProcW(window, msg, w, l);
        TacScrollWnd* sw = &self->sw;
        switch (msg) {
        case WM_NCCALCSIZE: return ScrollNCCalcSize(sw, window, w, l);
        case WM_NCHITTEST: return ScrollNCHitTest(sw, window, w, l);
        case WM_NCMOUSEMOVE: return ScrollNCMouseMove(sw, window, w, l);
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
            if (w == HTHSCROLL || w == HTVSCROLL) return ScrollNCLButtonDown(sw, window, msg, w, l);
            break;
        case WM_MOUSEMOVE: return ScrollMouseMove(sw, window, w, l);
        case WM_LBUTTONUP: return ScrollLButtonUp(sw, window, w, l);
        case WM_TIMER: return ScrollTimer(sw, window, w, l);
        case WM_NCPAINT: {
            const LRESULT r = DefWindowProcW(window, msg, w, l);
            ac_NCDraw(sw, window, -1, nullptr);
            return r;
        }
        case WM_HSCROLL:
        case WM_VSCROLL:
            self->Log.Add(msg, w, l);
            self->Scrolls.push_back({msg, w, l, sw->DontRepaint});
            return 0;
        case SM_ALPHACMD: {
            const WORD code = HIWORD(w);
            if (code == AC_BEGINSCROLL || code == AC_ENDSCROLL) self->Log.Add(msg, w, l);
            return code == AC_BEGINSCROLL ? self->Answer51 : 0;
        }
        default:
            break;
        }
        return DefWindowProcW(window, msg, w, l);
    }

    RecordingWindow parent_;
    std::unique_ptr<TsScrollWndData> data_;
};

class ScrollBarTest : public SkinLoadTest {
protected:
    void SetUp() override
    {
        SkinLoadTest::SetUp();
        acSBUtilsInitialization();
        ResetScrollTracking();
        nLastSBPos = -1;
    }
    void TearDown() override
    {
        ResetScrollTracking();
        Ac_GetScrollBarInfo = nullptr;
        acGetAsyncKeyState = &GetAsyncKeyState;
        acSBUtilsFinalization();
        SkinLoadTest::TearDown();
    }
    // The house skin with its scroll sections.
    void LoadScrollSkin()
    {
        house_skin::Options o;
        o.withScrollBars = true;
        Load(o);
        ASSERT_TRUE(manager && manager->IsActive());
    }

    GdiplusUnit gdiplus; // line-style arrows draw through GDI+, started once by the program
};
