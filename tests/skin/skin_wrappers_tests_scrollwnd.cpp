// The scrolling window wrapper on Wine's own scrolled windows: the room it reserves and the
// skinned bars it keeps painted while a list box and a multi-line edit scroll; the mouse over a
// skinned bar counts as over the control.
#include "skin_wrappers_test_scrollwnd.h"

#include <set>
#include <string>

namespace {

using namespace house_skin;

// Every colour (0xRRGGBB, as PixelOf gives it) the house skin's scroll elements paint with.
const std::set<std::uint32_t>& ScrollColours()
{
    static const std::set<std::uint32_t> colours = [] {
        std::set<std::uint32_t> s;
        for (const auto* list : {&kScrollBar1H, &kScrollBar2H, &kScrollBar1V, &kScrollBar2V, &kScrollBtn,
                                 &kScrollBtnArrow, &kScrollSlider})
            for (std::uint32_t c : *list) s.insert(c);
        return s;
    }();
    return colours;
}

// The first pixel of the bars and the corner box (window coordinates) in no scroll colour, or an
// empty string.
std::string ForeignPixel(Wrapped& w, TBitmap& shot)
{
    RECT window{};
    GetWindowRect(w.Handle, &window);
    TRect h = w.ScreenRect(SB_HORZ), v = w.ScreenRect(SB_VERT);
    const TRect areas[] = {h, v, TRect(v.Left, h.Top, v.Right, h.Bottom)};
    for (TRect r : areas) {
        r.Offset(-window.left, -window.top);
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (!ScrollColours().count(PixelOf(shot, x, y))) {
                    char text[96];
                    snprintf(text, sizeof text, "(%d,%d) is %06lX", x, y, static_cast<unsigned long>(PixelOf(shot, x, y)));
                    return text;
                }
    }
    return {};
}

} // namespace

TEST_F(ScrollWndTest, ListBoxAndMemoKeepSkinnedBarsWhileTheyScroll)
{
    struct Case {
        const wchar_t* Class;
        DWORD Style;
        bool ListBox;
        int Thickness; // thinner than the system's bar: the system's would cover the border
    };
    const Case cases[] = {
        {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL, true, 24},
        {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL, false, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ListBox ? "list box" : "memo");
        Wrapped w(manager.get(), c.Class, c.Style, WS_EX_CLIENTEDGE, RECT{10, 10, 230, 170}, 0, c.Thickness);
        std::wstring text;
        for (int i = 0; i < 100; ++i) {
            const std::wstring line = L"line " + std::to_wstring(i) + L" " + std::wstring(60, L'x');
            if (c.ListBox)
                SendMessageW(w.Handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            else
                text += line + L"\r\n";
        }
        if (c.ListBox)
            SendMessageW(w.Handle, LB_SETHORIZONTALEXTENT, 800, 0);
        else
            SetWindowTextW(w.Handle, text.c_str());
        const TRect system = w.Client();
        const LONG_PTR style = w.Style();

        w.Wrap();
        const int vThick = GetScrollMetric(w.Bar(SB_VERT), true), hThick = GetScrollMetric(w.Bar(SB_HORZ), true);
        ASSERT_EQ(vThick, c.Thickness);
        ASSERT_EQ(hThick, c.Thickness);
        RECT window{};
        GetWindowRect(w.Handle, &window);
        const TRect client = w.Client();
        EXPECT_EQ(client.Width(), system.Width() + GetSystemMetrics(SM_CXVSCROLL) - vThick);
        EXPECT_EQ(client.Height(), system.Height() + GetSystemMetrics(SM_CYHSCROLL) - hThick);
        EXPECT_EQ(client.Width(), window.right - window.left - w.sw->cxLeftEdge - w.sw->cxRightEdge - vThick);
        EXPECT_EQ(client.Height(), window.bottom - window.top - w.sw->cyTopEdge - w.sw->cyBottomEdge - hThick);
        EXPECT_EQ(Ac_GetScrollWndFromHwnd(w.Handle), w.sw);

        const auto top = [&] {
            return static_cast<int>(SendMessageW(w.Handle, c.ListBox ? LB_GETTOPINDEX : EM_GETFIRSTVISIBLELINE, 0, 0));
        };
        const auto check = [&](const char* step) {
            SCOPED_TRACE(step);
            EXPECT_EQ(w.Style(), style) << "the style is put back";
            EXPECT_EQ(w.Bar(SB_VERT)->ScrollInfo.nPos, GetScrollPos(w.Handle, SB_VERT)) << "the bar follows";
            auto shot = CaptureWindow(w.Handle);
            const std::wstring name = std::wstring(L"scrollwnd_") + (c.ListBox ? L"listbox_" : L"memo_") +
                                      std::wstring(step, step + strlen(step));
            SaveCapture(*shot, name.c_str());
            EXPECT_EQ(ForeignPixel(w, *shot), "");
        };
        w.Recorder->Log.Clear();
        check("wrapped");

        const TRect screen = w.ClientOnScreen();
        int before = top();
        SendMessageW(w.Handle, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                     At(screen.Left + 20, screen.Top + 20));
        EXPECT_GT(top(), before);
        check("wheel");

        const TRect v = w.ScreenRect(SB_VERT);
        const int x = v.Left + v.Width() / 2, down = v.Bottom - GetScrollMetric(w.Bar(SB_VERT), false) / 2;
        before = top();
        SetCursorPos(x, down);
        SendMessageW(w.Handle, WM_NCLBUTTONDOWN, HTVSCROLL, At(x, down));
        SendMessageW(w.Handle, WM_LBUTTONUP, 0, w.ClientAt(x, down));
        EXPECT_EQ(top(), before + 1) << "one line";
        check("arrow");

        int thumbSize = 0, thumbTop = 0;
        CalcThumbSize(w.Bar(SB_VERT), v, thumbSize, thumbTop);
        before = top();
        SendMessageW(w.Handle, WM_NCLBUTTONDOWN, HTVSCROLL, At(x, thumbTop + 2));
        SendMessageW(w.Handle, WM_MOUSEMOVE, MK_LBUTTON, w.ClientAt(x, thumbTop + 32));
        SendMessageW(w.Handle, WM_LBUTTONUP, 0, w.ClientAt(x, thumbTop + 32));
        EXPECT_GT(top(), before);
        check("drag");

        before = top();
        SendMessageW(w.Handle, WM_VSCROLL, SB_PAGEDOWN, 0);
        EXPECT_GT(top(), before);
        check("vscroll");

        EXPECT_EQ(w.Recorder->Log.Count(WM_STYLECHANGED), 0) << "the stripping stays unseen";
        EXPECT_EQ(w.Recorder->Log.Count(WM_STYLECHANGING), 0);
        if (c.ListBox) {
            const TRect s = w.ClientOnScreen();
            SendMessageW(w.Handle, WM_LBUTTONDOWN, MK_LBUTTON, w.ClientAt(s.Left + 5, s.Top + 3));
            SendMessageW(w.Handle, WM_LBUTTONUP, 0, w.ClientAt(s.Left + 5, s.Top + 3));
            EXPECT_EQ(SendMessageW(w.Handle, LB_GETCURSEL, 0, 0), top()) << "the list box still selects";
        }
    }
}

TEST_F(ScrollWndTest, TheMouseOverASkinnedBarIsStillInTheControl)
{
    Wrapped w(manager.get(), nullptr, WS_HSCROLL | WS_VSCROLL);
    for (int bar : {SB_VERT, SB_HORZ}) {
        SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 99, 20, 0, 0};
        SetScrollInfo(w.Handle, bar, &si, FALSE);
    }
    w.Wrap();
    ASSERT_EQ(w.Data->OwnerHandle(), w.Handle);
    // The parent stays above other windows of the display while the real pointer moves.
    SetWindowPos(w.Parent().Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const auto centre = [](const TRect& r) { return POINT{r.Left + r.Width() / 2, r.Top + r.Height() / 2}; };
    const TRect client = w.ClientOnScreen();
    struct Case {
        const char* Where;
        POINT At;
        bool In;
    };
    const Case cases[] = {
        {"client", centre(client), true},
        {"vertical bar", centre(w.ScreenRect(SB_VERT)), true},
        {"horizontal bar", centre(w.ScreenRect(SB_HORZ)), true},
        {"outside", POINT{client.Right + 200, client.Bottom + 100}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Where);
        SetCursorPos(c.At.x, c.At.y);
        EXPECT_TRUE(PumpUntil([&] { return acMouseInControl(w.Data.get()) == c.In; }));
    }
}
