// The static text wrapper on Wine's "static" window of a skinned form: the parent's background
// with the caption in the skin's font colour (print path and screen), the one-time growth to the
// text, the alignment styles it heeds, and repainting on text, move and enable changes.
#include "skin_wrappers_test_sbwnd.h"

#include "acSBUtilsStatic.h"

#include <gtest/gtest.h>

namespace {

class StaticTest : public SkinnedFormTest {
protected:
    void TearDown() override
    {
        SkinnedFormTest::TearDown();
        for (HWND h : windows)
            if (IsWindow(h)) DestroyWindow(h);
    }
    HWND NewStatic(const wchar_t* text, DWORD style, DWORD exStyle, int w, int h)
    {
        HWND s = CreateWindowExW(exStyle, L"static", text, WS_CHILD | WS_VISIBLE | style, 20, 20, w, h, form->Handle(),
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        windows.push_back(s);
        return s;
    }
    // The background under the static: the form's colour at the static's place.
    TColor Background(HWND s)
    {
        auto cap = PrintCapture(s);
        return CapturePixel(*cap, cap->Width() - 1, cap->Height() - 1);
    }
    TColor FontColor(TacStaticWnd* w)
    {
        return ColorToRGB(GetFontColor(w->CtrlHandle, w->SkinData->SkinIndex, manager.get(), 0)) & 0xFFFFFF;
    }
    // Columns of the capture that hold a pixel of colour c.
    static std::vector<int> ColumnsWith(TBitmap& cap, TColor c)
    {
        std::vector<int> cols;
        for (int x = 0; x < cap.Width(); ++x)
            if (CountColor(cap, TRect(x, 0, x + 1, cap.Height()), c) > 0) cols.push_back(x);
        return cols;
    }
    std::vector<HWND> windows;
};

TEST_F(StaticTest, CaptionInTheFontColourOverTheParentsBackground)
{
    HWND s = NewStatic(L"Skinned", SS_LEFT, 0, 120, 20);
    auto* w = Wrap<TacStaticWnd>(s, nullptr);
    EXPECT_EQ(w->SkinData->SkinSection(), L"TRANSPARENT");
    const TColor ink = FontColor(w);
    auto print = PrintCapture(s);
    SaveEnlargedPng(*print, L"static_print.png");
    const TColor bg = CapturePixel(*print, print->Width() - 1, print->Height() - 1);
    EXPECT_NE(bg, ink);
    EXPECT_GT(CountColor(*print, TRect(0, 0, print->Width(), print->Height()), ink), 10) << "the caption's ink";
    EXPECT_GT(CountColor(*print, TRect(0, 0, print->Width(), print->Height()), bg), print->Width() * print->Height() / 2);
    // The screen shows the same picture.
    RedrawWindow(s, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    TBitmap screen(print->Width(), print->Height(), pf32bit);
    HDC dc = GetWindowDC(s);
    BitBlt(screen.Canvas()->Handle(), 0, 0, screen.Width(), screen.Height(), dc, 0, 0, SRCCOPY);
    ReleaseDC(s, dc);
    GdiFlush();
    SaveEnlargedPng(screen, L"static_screen.png");
    EXPECT_EQ(CountColor(screen, TRect(0, 0, screen.Width(), screen.Height()), ink),
              CountColor(*print, TRect(0, 0, print->Width(), print->Height()), ink));
}

TEST_F(StaticTest, GrowsOnceToItsTextAtWrappingTime)
{
    HWND s = NewStatic(L"Wonderfully", SS_LEFT, 0, 10, 8);
    Wrap<TacStaticWnd>(s, nullptr);
    RECT r{};
    GetClientRect(s, &r);
    EXPECT_GT(r.right, 10);
    EXPECT_GT(r.bottom, 8);
    const RECT grown = r;
    SetWindowTextW(s, L"A much longer caption than before");
    GetClientRect(s, &r);
    EXPECT_EQ(r.right, grown.right) << "later text changes keep the size";
    EXPECT_EQ(r.bottom, grown.bottom);
}

TEST_F(StaticTest, OnlyTheRightExtendedStyleAlignsRight)
{
    struct Row {
        const char* what;
        DWORD style, exStyle;
        bool right;
    };
    const Row rows[] = {
        {"left", SS_LEFT, 0, false},
        {"centre style", SS_CENTER, 0, false},
        {"right style", SS_RIGHT, 0, false},
        {"right extended style", SS_LEFT, WS_EX_RIGHT, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        HWND s = NewStatic(L"ab", row.style, row.exStyle, 160, 20);
        auto* w = Wrap<TacStaticWnd>(s, nullptr);
        auto cap = PrintCapture(s);
        const auto cols = ColumnsWith(*cap, FontColor(w));
        ASSERT_FALSE(cols.empty());
        if (row.right)
            EXPECT_GT(cols.front(), 120);
        else
            EXPECT_LT(cols.back(), 40);
    }
}

TEST_F(StaticTest, TextMoveAndEnableRepaint)
{
    HWND s = NewStatic(L"x", SS_LEFT, 0, 160, 20);
    auto* w = Wrap<TacStaticWnd>(s, nullptr);
    RecordingSubclass rec(s);
    ASSERT_TRUE(PumpUntil([&] { return GetUpdateRect(s, nullptr, FALSE) == FALSE; }));
    rec.Log.Clear();
    SetWindowTextW(s, L"Changed caption");
    EXPECT_EQ(w->Caption, L"Changed caption");
    EXPECT_GE(rec.Log.Count(WM_PAINT), 1);
    rec.Log.Clear();
    SetWindowPos(s, nullptr, 30, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_GE(rec.Log.Count(WM_PAINT), 1);
    rec.Log.Clear();
    EnableWindow(s, FALSE);
    EXPECT_GE(rec.Log.Count(WM_PAINT), 1);
    // The caption is still there after the changes.
    auto cap = PrintCapture(s);
    EXPECT_FALSE(ColumnsWith(*cap, FontColor(w)).empty());
}

TEST_F(StaticTest, TabStopAndSunkenStaticsAreLeftToTheirOwnPainting)
{
    for (auto [style, ex] : {std::pair<DWORD, DWORD>{WS_TABSTOP, 0}, {0, WS_EX_STATICEDGE}}) {
        HWND s = NewStatic(L"own", SS_LEFT | style, ex, 120, 20);
        auto* w = Wrap<TacStaticWnd>(s, nullptr);
        w->SkinData->BGChanged = false;
        SendMessageW(s, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"still own"));
        EXPECT_FALSE(w->SkinData->BGChanged) << "the base procedure only";
    }
}

} // namespace
