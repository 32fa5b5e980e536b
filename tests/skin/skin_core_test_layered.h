#pragma once
// Test support: the layered-window call counts as bound while an object of this class lives,
// so a manager's extended borders can be switched on without the library's start-up.
#include "sGraphUtilsSystem.h"

class LayeredCallBound {
public:
    LayeredCallBound()
    {
        TacSystemEntries entries = acSystemEntries();
        entries.UpdateLayeredWindow = [](HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*,
                                         DWORD) -> BOOL { return TRUE; };
        previous_ = acReplaceSystemEntries(entries);
    }
    ~LayeredCallBound() { acReplaceSystemEntries(previous_); }
    LayeredCallBound(const LayeredCallBound&) = delete;
    LayeredCallBound& operator=(const LayeredCallBound&) = delete;

private:
    TacSystemEntries previous_;
};
