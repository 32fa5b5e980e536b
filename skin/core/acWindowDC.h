#pragma once
// A window's DC for non-client painting, taken when none is given and restored to its state (and
// released, when taken here) at the end of the scope.
#include <windows.h>

class TacWindowDC {
public:
    TacWindowDC(HWND wnd, HDC given) : wnd_(wnd), dc_(given ? given : GetWindowDC(wnd)), own_(!given)
    {
        saved_ = SaveDC(dc_);
    }
    ~TacWindowDC()
    {
        RestoreDC(dc_, saved_);
        if (own_) ReleaseDC(wnd_, dc_);
    }
    TacWindowDC(const TacWindowDC&) = delete;
    TacWindowDC& operator=(const TacWindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
    bool own_;
    int saved_ = 0;
};
