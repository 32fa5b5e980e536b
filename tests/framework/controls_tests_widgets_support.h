#pragma once
// Support of the widget tests: a fixture that also registers the widget units, capture of a
// window as shown on screen, and PNG files of the captures under the build folder.
#include "controls_test_support.h"
#include "graphics_png.h"

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Grids.h"
#include "OpenDialogs.h"
#include "StdCtrls.h"
#include "Themes.h"
#include "TrayIcon.h"
#include "WinXCtrls.h"

#include <memory>

class WidgetsTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
    }

    // A shown form whose window lies on screen, not covered by others.
    TForm* ShownForm(int width = 400, int height = 300)
    {
        TForm* form = NewForm(width, height);
        form->Show();
        PumpUntil([form] { return form->HandleAllocated() && IsWindowVisible(form->Handle()); });
        return form;
    }
};

// What the screen shows of the window now (frame included), without asking it to paint, in a
// 32-bit bitmap.
inline std::unique_ptr<TBitmap> GrabWindow(HWND window)
{
    GdiFlush();
    RECT r{};
    GetWindowRect(window, &r);
    auto bitmap = std::make_unique<TBitmap>(r.right - r.left, r.bottom - r.top, pf32bit);
    HDC source = GetWindowDC(window);
    BitBlt(bitmap->Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
    GdiFlush();
    return bitmap;
}

// Paints the window and everything in it now, then grabs it.
inline std::unique_ptr<TBitmap> CaptureWindow(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (Application) Application->ProcessMessages();
    return GrabWindow(window);
}

// The pixel as a GDI colour (0x00BBGGRR).
inline COLORREF PixelOf(TBitmap& bitmap, int x, int y)
{
    if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height()) return CLR_INVALID;
    const auto* row = static_cast<const BYTE*>(bitmap.ScanLine(y));
    const BYTE* p = row + static_cast<size_t>(x) * 4;
    return RGB(p[2], p[1], p[0]);
}

// Offset of a window's client area inside its window rectangle (the captures' origin).
inline POINT ClientOffset(HWND window)
{
    RECT w{};
    GetWindowRect(window, &w);
    POINT p{0, 0};
    ClientToScreen(window, &p);
    return POINT{p.x - w.left, p.y - w.top};
}

// Saves a capture as <folder of the test program>\widgets\<name>.png; true when written.
inline bool SaveCapture(TBitmap& bitmap, const wchar_t* name)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    UnicodeString folder(path, n);
    folder.erase(folder.find_last_of(L'\\') + 1);
    folder += L"widgets";
    CreateDirectoryW(folder.c_str(), nullptr);
    return SaveBitmapAsPng(bitmap, folder + L"\\" + name + L".png");
}

// Counts the pixels of a rectangle of the capture that have exactly this colour.
inline int CountColor(TBitmap& bitmap, const RECT& r, COLORREF color)
{
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (PixelOf(bitmap, x, y) == color) ++count;
    return count;
}

// Counts the dark pixels (text ink) of a rectangle of the capture.
inline int CountDark(TBitmap& bitmap, const RECT& r)
{
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = PixelOf(bitmap, x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 300) ++count;
        }
    return count;
}
