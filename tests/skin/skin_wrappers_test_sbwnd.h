#pragma once
// Support of the scroll-bar control and track-bar wrapper tests: the house skin (scroll-bar
// sections, the FORM section, optionally the track-bar images) behind an active manager, a shown
// form skinned by a provider, and pixel predicates
// over captures.
#include "skin_core_test_skinload.h"
#include "skin_graphics_test_png.h"
#include "skin_wrappers_test_support.h"

#include "../support/PumpUntil.h"
#include "../support/UserMouse.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "acSBUtils.h"
#include "sCommonData.h"
#include "sSkinProvider.h"

#include <windows.h>

#include <functional>

// A pixel of a 32-bit capture as 0x00BBGGRR (a TColor without its top byte).
inline TColor CapturePixel(TBitmap& bmp, int x, int y)
{
    if (x < 0 || y < 0 || x >= bmp.Width() || y >= bmp.Height()) return static_cast<TColor>(0xFFFFFFFF);
    const auto* row = static_cast<const BYTE*>(bmp.ScanLine(y));
    const BYTE* p = row + static_cast<size_t>(x) * 4;
    return static_cast<TColor>(RGB(p[2], p[1], p[0]));
}

// The TColor of a master-image colour (0xAARRGGBB).
inline TColor FromArgb(house_skin::Argb c) { return static_cast<TColor>(RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF)); }

// Pixels of the capture inside r (capture coordinates) that satisfy pred.
inline int CountPixels(TBitmap& bmp, const TRect& r, const std::function<bool(TColor)>& pred)
{
    int n = 0;
    for (int y = std::max<int>(r.Top, 0); y < std::min<int>(r.Bottom, bmp.Height()); ++y)
        for (int x = std::max<int>(r.Left, 0); x < std::min<int>(r.Right, bmp.Width()); ++x) n += pred(CapturePixel(bmp, x, y));
    return n;
}
inline int CountColor(TBitmap& bmp, const TRect& r, TColor c)
{
    return CountPixels(bmp, r, [c](TColor p) { return p == c; });
}
// Each channel of p lies within tolerance of c's.
inline bool Near(TColor p, TColor c, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((c >> shift) & 0xFF)) > tolerance) return false;
    return true;
}
// Each channel of p lies between a's and b's.
inline bool Between(TColor p, TColor a, TColor b)
{
    for (int shift : {0, 8, 16}) {
        const int v = (p >> shift) & 0xFF, lo = std::min((a >> shift) & 0xFF, (b >> shift) & 0xFF),
                  hi = std::max((a >> shift) & 0xFF, (b >> shift) & 0xFF);
        if (v < lo || v > hi) return false;
    }
    return true;
}

class SkinnedFormTest : public SkinLoadTest {
protected:
    void SetUp() override
    {
        SkinLoadTest::SetUp();
        acSBUtilsInitialization();
        house_skin::Options o;
        o.withScrollBars = true;
        o.withForm = true;
        o.withTrackBarImages = trackBarImages;
        o.withTabsAndUpDown = tabsAndUpDown;
        o.flatButton = flatButton;
        Load(o);
        ASSERT_TRUE(manager && manager->IsActive());
        user_mouse::MoveTo(POINT{1200, 980}); // away from every window a test makes
        form = NewForm(460, 320);
        new TsSkinProvider(form);
        form->Show();
        ASSERT_TRUE(PumpUntil([this] { return IsWindowVisible(form->Handle()) != FALSE; }));
    }
    void TearDown() override
    {
        for (TacMainWnd*& w : wrappers) UninitializeACWnd(w ? w->CtrlHandle : nullptr, true, false, w);
        wrappers.clear();
        acSBUtilsFinalization();
        SkinLoadTest::TearDown();
    }

    // Wraps the window with a wrapper of class W made by its factory, on the manager's skin.
    template <class W>
    W* Wrap(HWND window, TControl* control, const UnicodeString& section = {})
    {
        TacSkinParams params;
        params.Control = control;
        params.SkinSection = section;
        TacMainWnd* w = WrapperFactory<W>(window, nullptr, manager.get(), params, true);
        w->SkinData->SetSkinManager(manager.get());
        w->SkinData->UpdateIndexes(true);
        wrappers.push_back(w);
        return static_cast<W*>(w);
    }
    // A scroll bar of the given kind and length on the form: range 0..100, page 10, position 40.
    TScrollBar* NewScrollBar(TScrollBarKind kind, int length)
    {
        auto* bar = new TScrollBar(form);
        bar->SetKind(kind);
        if (kind == sbVertical)
            bar->SetBounds(300, 20, 17, length);
        else
            bar->SetBounds(20, 20, length, 17);
        bar->SetParams(40, 0, 100);
        bar->SetPageSize(10);
        bar->SetParent(form);
        return bar;
    }

    GdiplusUnit gdiplus; // line-style arrows draw through GDI+, started once by the program
    bool trackBarImages = false;
    bool tabsAndUpDown = false;
    bool flatButton = false;
    TForm* form = nullptr;
    std::vector<TacMainWnd*> wrappers;
};
