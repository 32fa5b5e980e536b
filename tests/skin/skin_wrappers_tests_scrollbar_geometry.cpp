// The scroll-bar engine's measures: thickness and button length, the bars' rectangles, the
// thumb, hit tests and whether a bar is active.
#include "skin_wrappers_test_scrollbar.h"

#include "acntUtils.h"
#include "sSkinManagerOptions.h"

namespace {

// A wrapper with its own skin data (no window needed for sizes and thumbs).
struct Bars {
    explicit Bars(TsSkinManager* manager)
    {
        data = std::make_unique<TsScrollWndData>(nullptr);
        data->SetSkinManager(manager);
        sw.SkinManager = manager;
        sw.SkinData = data.get();
        sw.CreateBars(nullptr);
    }
    std::unique_ptr<TsScrollWndData> data;
    TacScrollWnd sw;
};

} // namespace

TEST_F(ScrollBarTest, ThicknessAndButtonLengthComeFromTheRecordTheManagerOrTheSystem)
{
    LoadScrollSkin();
    const int managerSize = GetScrollSize(manager.get(), 96);
    ASSERT_GT(managerSize, 0);
    // The manager's size is scaled to the control only on Windows 10 or later (scale mode VCL).
    ASSERT_EQ(manager->Options()->ScaleMode(), smVCL);
    struct Case {
        const char* Name;
        int RecordWidth, RecordButtons, ManagerScroll, ManagerButtons, ArrowLength, PPI;
        bool Win10;
        int Width, Length; // -1: the manager's size, -2: that scaled to the control
    };
    const Case cases[] = {
        {"nothing set: both the manager's size", -1, -1, -1, -1, -1, 96, true, -1, -1},
        {"record sizes", 20, 12, -1, -1, -1, 96, false, 20, 12},
        {"record sizes scaled to the control", 20, 12, -1, -1, -1, 144, false, 30, 18},
        {"manager's size before Windows 10", -1, -1, -1, -1, -1, 144, false, -1, -1},
        {"manager's size on Windows 10", -1, -1, -1, -1, -1, 144, true, -2, -2},
        {"manager's scroll size", -1, -1, 21, -1, -1, 96, true, 21, 21},
        {"manager's button size as is", -1, -1, -1, 9, 7, 144, true, -2, 9},
        {"arrow length override", -1, -1, -1, -1, 7, 96, true, -1, 7},
    };
    static bool win10 = false;
    const TWinVerSources fake{[]() -> DWORD { return win10 ? 0x0206u : 0x0106u; },
                              [](DWORD& major, DWORD& minor) {
                                  major = 10;
                                  minor = 0;
                                  return true;
                              }};
    SetWinVerSources(&fake);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        win10 = c.Win10;
        InitWinVer();
        ASSERT_EQ(IsWin10Up(), c.Win10);
        manager->ScrollsOptions()->SetInteger(1, c.ManagerScroll);
        manager->ScrollsOptions()->SetInteger(0, c.ManagerButtons);
        Bars b(manager.get());
        b.data->CurrentPPI = c.PPI;
        b.data->HorzScrollData()->FScrollWidth = c.RecordWidth;
        b.data->HorzScrollData()->FButtonsSize = c.RecordButtons;
        b.sw.sBarHorz->nArrowLength = c.ArrowLength;
        const int size = GetScrollSize(manager.get(), 96);
        const auto expected = [&](int v) { return v == -1 ? size : v == -2 ? MulDiv(size, c.PPI, 96) : v; };
        EXPECT_EQ(GetScrollMetric(b.sw.sBarHorz.get(), true), expected(c.Width));
        EXPECT_EQ(GetScrollMetric(b.sw.sBarHorz.get(), false), expected(c.Length));
    }
    SetWinVerSources(nullptr);
    InitWinVer();
    manager->ScrollsOptions()->SetInteger(1, -1);
    manager->ScrollsOptions()->SetInteger(0, -1);

    // Without skin data and manager: the system's scroll-bar width.
    TacScrollWnd bare;
    bare.CreateBars(nullptr);
    EXPECT_EQ(GetScrollMetric(bare.sBarVert.get(), true), GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(GetScrollMetric(nullptr, true), 0);
}

TEST_F(ScrollBarTest, BarRectanglesFollowTheEdgesAndTheSideOfTheVerticalBar)
{
    LoadScrollSkin();
    RecordingWindow window(nullptr, RECT{100, 50, 300, 170});
    Bars b(manager.get());
    b.data->HorzScrollData()->FScrollWidth = 15;
    b.data->VertScrollData()->FScrollWidth = 12;
    RECT w{};
    GetWindowRect(window.Handle(), &w);
    struct Case {
        const char* Name;
        bool Horz, Vert, Left;
        int EdgeL, EdgeT, EdgeR, EdgeB;
        TRect H, V; // relative to the window's top-left
    };
    const Case cases[] = {
        {"both, right", true, true, false, 0, 0, 0, 0, {0, 105, 188, 120}, {188, 0, 200, 105}},
        {"both, left", true, true, true, 0, 0, 0, 0, {12, 105, 200, 120}, {0, 0, 12, 105}},
        {"horizontal only", true, false, false, 0, 0, 0, 0, {0, 105, 200, 120}, {200, 0, 200, 105}},
        {"vertical only", false, true, false, 0, 0, 0, 0, {0, 120, 188, 120}, {188, 0, 200, 120}},
        {"edges", true, true, false, 2, 3, 4, 5, {2, 100, 184, 115}, {184, 3, 196, 100}},
        {"edges, left", true, true, true, 2, 3, 4, 5, {14, 100, 196, 115}, {2, 3, 14, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        b.sw.sBarHorz->fScrollVisible = c.Horz;
        b.sw.sBarVert->fScrollVisible = c.Vert;
        b.sw.fLeftScrollbar = c.Left;
        b.sw.cxLeftEdge = c.EdgeL;
        b.sw.cyTopEdge = c.EdgeT;
        b.sw.cxRightEdge = c.EdgeR;
        b.sw.cyBottomEdge = c.EdgeB;
        TRect h, v;
        ac_GetHScrollRect(&b.sw, window.Handle(), h);
        ASSERT_TRUE(GetScrollRect(&b.sw, SB_VERT, window.Handle(), v));
        h.Offset(-w.left, -w.top);
        v.Offset(-w.left, -w.top);
        EXPECT_EQ(h, c.H);
        EXPECT_EQ(v, c.V);
    }
    TRect r;
    EXPECT_FALSE(GetScrollRect(&b.sw, SB_CTL, window.Handle(), r));
}

TEST_F(ScrollBarTest, ThumbLengthAndPlace)
{
    LoadScrollSkin();
    Bars b(manager.get());
    TacScrollBar* sb = b.sw.sBarHorz.get();
    const TRect R(10, 0, 110, 15); // L = 100
    struct Case {
        const char* Name;
        int Buttons, Min, Max, Page, Pos;
        int Size, Place;
    };
    const Case cases[] = {
        {"page 0: the button length, at least the minimum", 15, 0, 99, 0, 0, 16, 25},
        {"page 0 with long buttons", 20, 0, 99, 0, 0, 20, 30},
        {"proportional", 15, 0, 99, 50, 25, 35, 43},
        {"small page: the minimum", 15, 0, 99, 5, 0, 16, 25},
        {"zero-length buttons: at least 19", 0, 0, 99, 10, 0, 19, 10},
        {"position beyond the range: kept at the end", 15, 0, 99, 50, 500, 35, 60},
        {"position below the range: kept at the start", 15, 10, 109, 50, -40, 35, 25},
        {"empty range", 15, 0, -1, 10, 0, 16, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        b.data->HorzScrollData()->FButtonsSize = c.Buttons;
        sb->ScrollInfo.nMin = c.Min;
        sb->ScrollInfo.nMax = c.Max;
        sb->ScrollInfo.nPage = static_cast<UINT>(c.Page);
        sb->ScrollInfo.nPos = c.Pos;
        int size = 0, place = 0;
        ASSERT_TRUE(CalcThumbSize(sb, R, size, place));
        EXPECT_EQ(size, c.Size);
        EXPECT_EQ(place, c.Place);
    }
    int size = 0, place = 0;
    EXPECT_FALSE(CalcThumbSize(nullptr, R, size, place));
}

TEST_F(ScrollBarTest, HitTestsFindTheButtonsTrackAndThumb)
{
    LoadScrollSkin();
    Bars b(manager.get());
    static bool shift = false;
    acGetAsyncKeyState = [](int key) -> SHORT { return key == VK_SHIFT && shift ? SHORT(0x8000) : SHORT(0); };
    for (TacScrollBar* sb : {b.sw.sBarHorz.get(), b.sw.sBarVert.get()}) {
        const bool horz = sb->nBarType == SB_HORZ;
        b.data->HorzScrollData()->FButtonsSize = 15;
        b.data->VertScrollData()->FButtonsSize = 15;
        sb->ScrollInfo.nMin = 0;
        sb->ScrollInfo.nMax = 99;
        sb->ScrollInfo.nPage = 50;
        sb->ScrollInfo.nPos = 25; // thumb 33..68 along a bar of 100 from 0
        // Along the bar at a, across it at c.
        const auto at = [&](const TRect& R, int a, int c) {
            return horz ? HitTestScrollBar(sb, nullptr, R, a, c) : HitTestScrollBar(sb, nullptr, R, c, a);
        };
        const TRect R = horz ? TRect(0, 0, 100, 15) : TRect(0, 0, 15, 100);
        struct Case {
            int Along, Across;
            bool Shift;
            int Portion;
        };
        const Case cases[] = {
            {0, 5, false, 0},   {14, 5, false, 0}, {85, 5, false, 1}, {99, 5, false, 1}, {20, 5, false, 2},
            {20, 5, true, 4},   {40, 5, false, 5}, {40, 5, true, 5},  {80, 5, false, 3}, {80, 5, true, 4},
            {40, 15, false, -1}, {40, -1, false, -1}, {100, 5, false, -1},
        };
        for (const Case& c : cases) {
            shift = c.Shift;
            EXPECT_EQ(at(R, c.Along, c.Across), c.Portion)
                << (horz ? "horizontal " : "vertical ") << c.Along << "," << c.Across << (c.Shift ? " shift" : "");
        }
        shift = false;

        // A short bar halves the buttons and shows no thumb.
        const TRect shortBar = horz ? TRect(0, 0, 20, 15) : TRect(0, 0, 15, 20);
        EXPECT_EQ(at(shortBar, 9, 5), 0);
        EXPECT_EQ(at(shortBar, 10, 5), 1);
        // Inserted buttons shrink the bar at both ends.
        sb->fButVisibleBefore = sb->fButVisibleAfter = true;
        sb->nButSizeBefore = 10;
        sb->nButSizeAfter = 20;
        EXPECT_EQ(at(R, 5, 5), -1);
        EXPECT_EQ(at(R, 10, 5), 0);
        EXPECT_EQ(at(R, 66, 5), 1);
        EXPECT_EQ(at(R, 85, 5), -1);
        sb->fButVisibleBefore = sb->fButVisibleAfter = false;
    }
}

TEST_F(ScrollBarTest, ScrollInfoIsActiveWithARealRange)
{
    struct Case {
        int Min, Max;
        UINT Page;
        bool Active;
    };
    const Case cases[] = {
        {0, 100, 10, true}, {0, 100, 100, true}, {0, 100, 101, false}, {0, 0, 0, false},
        {5, 5, 0, false},   {-10, 0, 0, false},  {-10, 5, 0, true},    {0, -1, 0, false},
    };
    for (const Case& c : cases) {
        SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, c.Min, c.Max, c.Page, 0, 0};
        EXPECT_EQ(IsScrollInfoActive(si), c.Active) << c.Min << ".." << c.Max << " page " << c.Page;
    }
}

TEST_F(ScrollBarTest, ActivityOfRealBarsThroughTheBoundQueryOrTheStyle)
{
    ScrollSubject s(nullptr, WS_HSCROLL | WS_VSCROLL);
    s.Routed = false;
    s.SetInfo(SB_VERT, 0, 100, 10, 0);
    s.SetInfo(SB_HORZ, 0, 100, 10, 0);
    TacScrollBar* vert = s.Bar(SB_VERT);
    TacScrollBar* horz = s.Bar(SB_HORZ);

    Ac_GetScrollBarInfo = &GetScrollBarInfo;
    EXPECT_TRUE(IsScrollBarActive(vert));
    EnableScrollBar(s.Handle, SB_VERT, ESB_DISABLE_UP);
    EXPECT_TRUE(IsScrollBarActive(vert)) << "one arrow disabled";
    EnableScrollBar(s.Handle, SB_VERT, ESB_DISABLE_BOTH);
    EXPECT_FALSE(IsScrollBarActive(vert)) << "both arrows disabled";
    EXPECT_TRUE(IsScrollBarActive(horz));
    EnableScrollBar(s.Handle, SB_VERT, ESB_ENABLE_BOTH);
    EXPECT_TRUE(IsScrollBarActive(vert));
    vert->fScrollFlags = ESB_DISABLE_BOTH;
    EXPECT_FALSE(IsScrollBarActive(vert)) << "the bar's own disable bits";
    vert->fScrollFlags = kSbRangeNeeded;
    EXPECT_TRUE(IsScrollBarActive(vert));
    vert->ScrollInfo.nMax = 0;
    EXPECT_FALSE(IsScrollBarActive(vert)) << "a thumb that needs a range without one";
    vert->fScrollFlags = 0;
    s.SetInfo(SB_VERT, 0, 0, 0, 0);
    EXPECT_FALSE(IsScrollBarActive(vert)) << "an empty range";
    s.SetInfo(SB_VERT, 0, 100, 10, 0);

    Ac_GetScrollBarInfo = [](HWND, LONG, PSCROLLBARINFO) -> BOOL { return FALSE; };
    EXPECT_FALSE(IsScrollBarActive(vert)) << "a failed query";

    Ac_GetScrollBarInfo = nullptr;
    EXPECT_TRUE(IsScrollBarActive(vert)) << "unbound: the style";
    SetWindowLongPtrW(s.Handle, GWL_STYLE, GetWindowLongPtrW(s.Handle, GWL_STYLE) & ~WS_VSCROLL);
    EXPECT_FALSE(IsScrollBarActive(vert));
    EXPECT_TRUE(IsScrollBarActive(horz));
}

TEST_F(ScrollBarTest, MinimumThumbSizeThroughTheWindowsWrapper)
{
    ScrollSubject s(nullptr, WS_VSCROLL);
    EXPECT_FALSE(SetMinThumbSize(s.Handle, SB_BOTH, 30)) << "not published yet";
    SetScrollWndProp(s.Handle, &s.sw);
    EXPECT_EQ(GetScrollBarFromHwnd(s.Handle, SB_VERT), s.Bar(SB_VERT));
    EXPECT_EQ(GetScrollBarFromHwnd(s.Handle, SB_CTL), nullptr);
    EXPECT_TRUE(SetMinThumbSize(s.Handle, SB_VERT, 30));
    EXPECT_EQ(s.Bar(SB_VERT)->nMinThumbSize, 30);
    EXPECT_EQ(s.Bar(SB_HORZ)->nMinThumbSize, acMinThumbSize);
    EXPECT_TRUE(SetMinThumbSize(s.Handle, SB_BOTH, 20));
    EXPECT_EQ(s.Bar(SB_HORZ)->nMinThumbSize, 20);
    SetScrollWndProp(s.Handle, nullptr);
}

TEST_F(ScrollBarTest, NonClientSizeReservesRoomForTheShownBarsOnly)
{
    LoadScrollSkin();
    struct Case {
        const char* Name;
        DWORD Style, ExStyle;
        RECT Bounds;
        bool Horz, Vert, Left;
    };
    const Case cases[] = {
        {"both bars with a border", WS_HSCROLL | WS_VSCROLL | WS_BORDER, 0, {0, 0, 200, 140}, true, true, false},
        {"left scroll bar", WS_VSCROLL | WS_BORDER, WS_EX_LEFTSCROLLBAR, {0, 0, 200, 140}, false, true, true},
        {"no scroll styles", WS_BORDER, 0, {0, 0, 200, 140}, false, false, false},
        {"too low for the horizontal bar", WS_HSCROLL | WS_VSCROLL, 0, {0, 0, 200, 8}, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ScrollSubject s(manager.get(), c.Style, c.ExStyle, c.Bounds);
        s.sw.UpdateLeftScroll();
        SetWindowPos(s.Handle, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        const int edge = (c.Style & WS_BORDER) ? 1 : 0;
        EXPECT_EQ(s.sw.cxLeftEdge, edge);
        EXPECT_EQ(s.sw.cyTopEdge, edge);
        EXPECT_EQ(s.sw.cxRightEdge, edge);
        EXPECT_EQ(s.sw.cyBottomEdge, edge);
        EXPECT_EQ(s.Bar(SB_HORZ)->fScrollVisible, c.Horz);
        EXPECT_EQ(s.Bar(SB_VERT)->fScrollVisible, c.Vert);
        EXPECT_EQ(s.Bar(SB_VERT)->fScrollFlags, (c.Style & WS_VSCROLL) ? kSbStyleShown : 0);
        EXPECT_EQ(GetWindowLongPtrW(s.Handle, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL),
                  static_cast<LONG_PTR>(c.Style & (WS_HSCROLL | WS_VSCROLL)))
            << "the style comes back";
        EXPECT_FALSE(s.sw.bPreventStyleChange);
        RECT client{};
        GetClientRect(s.Handle, &client);
        const int w = c.Bounds.right - c.Bounds.left, h = c.Bounds.bottom - c.Bounds.top;
        const int thickH = c.Horz ? GetScrollMetric(s.Bar(SB_HORZ), true) : 0;
        const int thickV = c.Vert ? GetScrollMetric(s.Bar(SB_VERT), true) : 0;
        EXPECT_EQ(client.right, w - 2 * edge - thickV);
        EXPECT_EQ(client.bottom, h - 2 * edge - thickH);
        POINT origin{0, 0};
        ClientToScreen(s.Handle, &origin);
        RECT wr{};
        GetWindowRect(s.Handle, &wr);
        EXPECT_EQ(origin.x - wr.left, edge + (c.Left ? thickV : 0));

        // The system hears of the bars through the hit test.
        if (c.Vert) {
            const TRect v = s.ScreenRect(SB_VERT);
            s.SetInfo(SB_VERT, 0, 99, 10, 0);
            const LPARAM mid = ScrollSubject::At(v.Left + 2, v.Top + v.Height() / 2);
            EXPECT_EQ(SendMessageW(s.Handle, WM_NCHITTEST, 0, mid), HTVSCROLL);
            s.SetInfo(SB_VERT, 0, 0, 0, 0);
            Ac_GetScrollBarInfo = &GetScrollBarInfo;
            EXPECT_EQ(SendMessageW(s.Handle, WM_NCHITTEST, 0, mid), HTNOWHERE) << "an inactive bar";
            Ac_GetScrollBarInfo = nullptr;
        }
    }
}
