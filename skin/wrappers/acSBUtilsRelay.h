#pragma once
// The object a wrapped window's procedure (or its owner control's WindowProc) is bound to. It
// hands every message to its wrapper; parked, with no wrapper, it passes every message on to
// what was there before the wrapper. A parked relay of a window procedure frees itself after it
// passed on WM_NCDESTROY; the rest go at the unit's shut-down.
#include "Controls.h"
#include "Messages.h"

#include <windows.h>

class TacMainWnd;

class TacWndRelay : public TObject {
public:
    TacWndRelay(TacMainWnd* wrapper, HWND wnd) : Wrapper(wrapper), Wnd(wnd) {}
    ~TacWndRelay() override;
    TacWndRelay(const TacWndRelay&) = delete;
    TacWndRelay& operator=(const TacWndRelay&) = delete;
    UnicodeString ClassName() const override { return L"TacWndRelay"; }

    void Dispatch(TMessage& message);
    TWndMethod Method() { return TWndMethod(this, &TacWndRelay::Dispatch); }

    // Takes over a relay that stays in a chain; forgets its wrapper.
    static void Park(TacWndRelay* relay);
    static void UnparkAndFree(TacWndRelay* relay);

    TacMainWnd* Wrapper;
    HWND Wnd;
    WNDPROC Instance = nullptr; // owned; null when bound to a control's WindowProc
    WNDPROC OldProc = nullptr;
    TWndMethod OldWndProc;
};
