#include "sGraphUtilsLayered.h"

#include "sGraphUtilsSystem.h"
#include "sVclUtils.h"

namespace {

// The screen DC for one call, released however the call ends.
class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC()
    {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC Handle() const { return dc_; }

private:
    HDC dc_;
};

} // namespace

bool acLayered() { return acSystemEntries().UpdateLayeredWindow != nullptr; }

void acSetLayout(HDC dc, DWORD layout)
{
    if (const TSetLayout setLayout = acSystemEntries().SetLayout) setLayout(dc, layout);
}

DWORD acGetLayout(HDC dc)
{
    const TGetLayout getLayout = acSystemEntries().GetLayout;
    return getLayout ? getLayout(dc) : 0;
}

void UpdateLayeredWnd(HWND wnd, TBitmap* bmp, const TSize* size, const BLENDFUNCTION* blend, const TPoint* pos)
{
    const TUpdateLayeredWindow update = acSystemEntries().UpdateLayeredWindow;
    if (!update || !bmp) return;
    // The system takes non-const pointers but only reads them.
    SIZE sizeValue{};
    POINT posValue{}, source{0, 0};
    BLENDFUNCTION blendValue{};
    if (size) sizeValue = *size;
    if (pos) posValue = *pos;
    if (blend) blendValue = *blend;
    const ScreenDC screen;
    if (!update(wnd, screen.Handle(), pos ? &posValue : nullptr, size ? &sizeValue : nullptr, bmp->Canvas()->Handle(),
                &source, static_cast<COLORREF>(clNone), blend ? &blendValue : nullptr, ULW_ALPHA))
        CheckLastError();
}
