// The scroll-bar control wrapper: its geometry, the part-state rule, and the mouse on a framework
// scroll bar of a skinned form (real presses, releases, double clicks, hover, and the thumb drag
// through hit testing), its copy of the scroll information and its redraw locks.
#include "skin_wrappers_test_sbwnd.h"

#include "acSBUtilsScrollBar.h"
#include "acScrollBar.h"
#include "sAlphaGraph.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

TacSBGeometry Geo(bool vertical, int length, int min, int max, int page, int pos, bool enabled = true)
{
    TacSBGeometry g;
    g.Vertical = vertical;
    g.Enabled = enabled;
    g.Width = vertical ? 17 : length;
    g.Height = vertical ? length : 17;
    g.BtnSize = 17;
    g.Min = min;
    g.Max = max;
    g.Page = page;
    g.Pos = pos;
    return g;
}

TEST(SBWndGeometry, ThumbSizeCentreAndPlace)
{
    struct Row {
        const char* what;
        TacSBGeometry g;
        int slider, coord, start;
    };
    const Row rows[] = {
        {"page 0: the least thumb", Geo(false, 200, 0, 100, 0, 50), 16, 100, 92},
        {"page 10: 16.6 to 17, centre 74.5 to even", Geo(false, 200, 0, 99, 10, 45), 17, 99, 90},
        {"page 50: 41.5 to 42, start 58.5 to even", Geo(false, 200, 0, 99, 50, 25), 83, 100, 58},
        {"min = max: right after the first button", Geo(false, 200, 5, 5, 0, 5), 16, 100, 17},
        {"min = max, vertical", Geo(true, 150, 3, 3, 0, 3), 16, 75, 17},
        {"page covers the range: the middle", Geo(false, 200, 0, 9, 10, 0), 166, 100, 17},
        {"vertical at max - page: right before the second button", Geo(true, 150, 0, 20, 1, 19), 16, 120, 117},
        {"horizontal at max - page: the general place", Geo(false, 150, 0, 20, 1, 19), 16, 120, 112},
        {"vertical last position, page 0", Geo(true, 150, 0, 20, 0, 20), 16, 125, 117},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.g.SliderSize(), r.slider);
        EXPECT_EQ(r.g.PositionToCoord(), r.coord);
        const TRect s = r.g.SliderRect();
        EXPECT_EQ(r.g.Vertical ? s.Top : s.Left, r.start);
        EXPECT_EQ(r.g.Vertical ? s.Height() : s.Width(), r.slider);
        EXPECT_EQ(r.g.Vertical ? s.Width() : s.Height(), 17) << "across the whole bar";
        // The bar parts meet at the thumb's centre.
        EXPECT_EQ(r.g.Vertical ? r.g.Bar1Rect().Bottom : r.g.Bar1Rect().Right, r.coord);
        EXPECT_EQ(r.g.Vertical ? r.g.Bar2Rect().Top : r.g.Bar2Rect().Left, r.coord);
    }
}

TEST(SBWndGeometry, PointToPositionRoundsHalvesToEvenAndNeedsRoom)
{
    // 150 long: 100 pixels of room for a 16-pixel thumb over 50 positions, two pixels a position.
    struct Row {
        int x, position;
    };
    for (const Row& r : {Row{25, 0}, Row{26, 0}, Row{27, 1}, Row{28, 2}, Row{30, 2}, Row{32, 4}, Row{125, 50}}) {
        EXPECT_EQ(Geo(false, 150, 0, 50, 0, 0).CoordToPosition(TPoint(r.x, 8)), r.position) << r.x;
        EXPECT_EQ(Geo(true, 150, 0, 50, 0, 0).CoordToPosition(TPoint(8, r.x)), r.position) << r.x;
    }
    EXPECT_EQ(Geo(false, 150, 0, 50, 0, 0, false).CoordToPosition(TPoint(75, 8)), 0) << "disabled";
    EXPECT_EQ(Geo(false, 50, 0, 50, 0, 0).CoordToPosition(TPoint(40, 8)), 0) << "no room: 50 - 34 - 16";
    EXPECT_EQ(Geo(false, 40, 0, 50, 0, 0).CoordToPosition(TPoint(30, 8)), 0) << "less than no room";
}

TEST(SBWndGeometry, ButtonsTakeAtMostHalfTheBar)
{
    struct Row {
        bool vertical;
        int length;
        int btn1End, btn2Start;
    };
    for (const Row& r : {Row{false, 200, 17, 183}, Row{false, 20, 10, 10}, Row{true, 150, 17, 133}, Row{true, 21, 10, 10}}) {
        const TacSBGeometry g = Geo(r.vertical, r.length, 0, 10, 0, 0);
        const TRect b1 = g.Btn1Rect(), b2 = g.Btn2Rect();
        EXPECT_EQ(r.vertical ? b1.Bottom : b1.Right, r.btn1End) << r.length;
        EXPECT_EQ(r.vertical ? b2.Top : b2.Left, r.btn2Start) << r.length;
        EXPECT_EQ(r.vertical ? b2.Bottom : b2.Right, r.length);
        EXPECT_EQ(r.vertical ? b1.Width() : b1.Height(), 17) << "across the whole bar";
    }
}

TEST(SBWndStates, OnePartHotOrPressedSetsTheOthers)
{
    using S = std::array<int, 5>; // first button, second button, first bar, second bar, thumb
    struct Row {
        const char* what;
        S start;
        int index, value;
        S expected;
    };
    const Row rows[] = {
        {"first button hot", {0, 0, 0, 0, 0}, sbpBtn1, 1, {1, 0, 1, 1, 0}},
        {"thumb pressed", {1, 1, 0, 0, 0}, sbpSlider, 2, {0, 0, 1, 1, 2}},
        {"second button pressed", {1, 0, 0, 0, 1}, sbpBtn2, 2, {0, 2, 1, 1, 0}},
        {"first bar pressed", {1, 1, 0, 0, 2}, sbpBar1, 2, {0, 0, 2, 1, 0}},
        {"second bar hot", {0, 0, 2, 0, 0}, sbpBar2, 1, {0, 0, 1, 1, 0}},
        {"the same value changes nothing", {1, 0, 0, 0, 0}, sbpBtn1, 1, {1, 0, 0, 0, 0}},
        {"back to normal leaves the rest", {2, 0, 1, 1, 0}, sbpBtn1, 0, {0, 0, 1, 1, 0}},
    };
    for (const Row& r : rows) {
        TacSBWnd w;
        for (int i = 0; i < 5; ++i) w.SetInteger(i, 0);
        w.FBtn1State = r.start[0];
        w.FBtn2State = r.start[1];
        w.FBar1State = r.start[2];
        w.FBar2State = r.start[3];
        w.FSliderState = r.start[4];
        w.SetInteger(r.index, r.value);
        EXPECT_EQ((S{w.GetInteger(0), w.GetInteger(1), w.GetInteger(2), w.GetInteger(3), w.GetInteger(4)}), r.expected)
            << r.what;
    }
}

// What the wrapper had set when the control heard of a scroll and when the window was painted.
class ScrollSpy : public TObject {
public:
    ScrollSpy(TScrollBar* bar, TacSBWnd* w) : bar_(bar), w_(w), previous_(bar->WindowProc)
    {
        bar->WindowProc = TWndMethod(this, &ScrollSpy::Handle);
    }
    ~ScrollSpy() override
    {
        if (bar_->WindowProc == TWndMethod(this, &ScrollSpy::Handle)) bar_->WindowProc = previous_;
    }
    ScrollSpy(const ScrollSpy&) = delete;
    ScrollSpy& operator=(const ScrollSpy&) = delete;
    void Handle(TMessage& m)
    {
        if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL) Scrolls.push_back({LOWORD(m.WParam), w_->ScrollCode});
        if (m.Msg == WM_PAINT) Painted.push_back(w_->ScrollCode);
        previous_(m);
        if (m.Msg == WM_LBUTTONDBLCLK) ++DoubleClicks;
    }
    struct Seen {
        int Code;        // what the window sent
        int WrapperCode; // the wrapper's ScrollCode then
    };
    bool Ended() const { return !Scrolls.empty() && Scrolls.back().Code == SB_ENDSCROLL; }
    std::vector<Seen> Scrolls;
    std::vector<int> Painted;
    int DoubleClicks = 0; // handled to the end

private:
    TScrollBar* bar_;
    TacSBWnd* w_;
    TWndMethod previous_;
};

class SBWndTest : public SkinnedFormTest {
protected:
    TScrollBar* Bar(TScrollBarKind kind = sbHorizontal, int length = 200)
    {
        TScrollBar* bar = NewScrollBar(kind, length);
        bar->SetLargeChange(10);
        return bar;
    }
    POINT Centre(TScrollBar* bar, const TRect& r) { return user_mouse::Screen(bar->Handle(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
};

TEST_F(SBWndTest, TakesTheControlItsScrollDataAndNoTabStop)
{
    TScrollBar* bar = Bar();
    EXPECT_TRUE(bar->TabStop());
    auto* w = Wrap<TacSBWnd>(bar->Handle(), bar);
    EXPECT_EQ(w->Control, bar);
    EXPECT_FALSE(bar->TabStop());
    EXPECT_EQ(w->SkinData->SkinSection(), L"TRANSPARENT");
    EXPECT_EQ(w->FSI.nMin, 0);
    EXPECT_EQ(w->FSI.nMax, 100);
    EXPECT_EQ(w->FSI.nPage, 10u);
    EXPECT_EQ(w->FCurrPos, 40);
    EXPECT_EQ(w->SysBtnSize(), GetScrollSize(manager.get(), 96));
}

// A press on each part, by the user's mouse: the code the wrapper set before the window scrolled,
// the part pressed meanwhile, and the release.
TEST_F(SBWndTest, PressOnEachPartSetsItsCodeAndReleaseEndsIt)
{
    TScrollBar* bar = Bar();
    auto* w = Wrap<TacSBWnd>(bar->Handle(), bar);
    const TacSBGeometry g = w->Geometry();
    struct Row {
        const char* what;
        TRect part;
        int code;   // the wrapper's, while the window scrolls
        int sent;   // the window's first scroll code
        int moved;  // of the control's position
    };
    const TRect thumb = g.SliderRect(), bar1 = g.Bar1Rect(), bar2 = g.Bar2Rect(), b1 = g.Btn1Rect(), b2 = g.Btn2Rect();
    const Row rows[] = {
        {"first button", b1, SB_LINEUP, SB_LINEUP, -1},
        {"second button", b2, SB_LINEDOWN, SB_LINEDOWN, +1},
        {"thumb", thumb, SB_THUMBTRACK, -1, 0},
        {"first bar part", TRect(b1.Right, 0, thumb.Left, 17), SB_PAGEUP, SB_PAGEUP, -10},
        {"second bar part", TRect(thumb.Right, 0, b2.Left, 17), SB_PAGEDOWN, SB_PAGEDOWN, +10},
    };
    (void)bar1;
    (void)bar2;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        bar->SetPosition(40);
        ScrollSpy spy(bar, w);
        user_mouse::Click(Centre(bar, r.part));
        ASSERT_TRUE(PumpUntil([&] { return spy.Ended() && w->ScrollCode == SB_ENDSCROLL; }));
        ASSERT_FALSE(spy.Scrolls.empty());
        if (r.sent >= 0)
            EXPECT_EQ(spy.Scrolls.front().Code, r.sent);
        else
            EXPECT_TRUE(spy.Scrolls.front().Code == SB_THUMBTRACK || spy.Scrolls.front().Code == SB_THUMBPOSITION);
        EXPECT_EQ(spy.Scrolls.front().WrapperCode, r.code);
        EXPECT_EQ(bar->Position(), 40 + r.moved);
        EXPECT_EQ(w->FCurrPos, bar->Position()) << "the thumb shows the control's position";
        for (int i = 0; i < 5; ++i) EXPECT_NE(w->GetInteger(i), 2) << "nothing stays pressed: part " << i;
        if (r.code == SB_THUMBTRACK) {
            // Released on the thumb: position code first, then the end, each painted.
            const auto four = std::find(spy.Painted.begin(), spy.Painted.end(), SB_THUMBPOSITION);
            ASSERT_NE(four, spy.Painted.end());
            EXPECT_EQ(w->FSliderState, 1) << "still under the mouse";
        }
    }
}

TEST_F(SBWndTest, DoubleClickIsAPressAndAReleaseAndLeavesTheWindowDrawable)
{
    TScrollBar* bar = Bar();
    auto* w = Wrap<TacSBWnd>(bar->Handle(), bar);
    ScrollSpy spy(bar, w);
    user_mouse::DoubleClick(Centre(bar, w->Geometry().Btn2Rect()));
    ASSERT_TRUE(PumpUntil([&] { return spy.DoubleClicks == 1; }));
    EXPECT_EQ(w->ScrollCode, SB_ENDSCROLL);
    EXPECT_GT(bar->Position(), 40);
    EXPECT_EQ(w->FCurrPos, bar->Position());
    EXPECT_EQ(w->FBtn2State, 1) << "released over it";
    EXPECT_TRUE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & WS_VISIBLE) << "drawing is on again";
    EXPECT_EQ(w->FLockCount, 0);
}

TEST_F(SBWndTest, MouseOverMakesPartsHotAndLeavingClearsThem)
{
    TScrollBar* bar = Bar();
    auto* w = Wrap<TacSBWnd>(bar->Handle(), bar);
    const TacSBGeometry g = w->Geometry();
    user_mouse::MoveTo(Centre(bar, g.SliderRect()));
    ASSERT_TRUE(PumpUntil([&] { return w->FSliderState == 1; }));
    EXPECT_EQ(w->FBar1State, 1);
    EXPECT_EQ(w->FBar2State, 1);
    EXPECT_TRUE(w->BarIsHot());
    user_mouse::MoveTo(Centre(bar, g.Btn1Rect()));
    ASSERT_TRUE(PumpUntil([&] { return w->FBtn1State == 1; }));
    EXPECT_EQ(w->FSliderState, 0);
    user_mouse::MoveTo(user_mouse::Screen(bar->Handle(), 100, 120));
    ASSERT_TRUE(PumpUntil([&] { return w->FBtn1State == 0 && w->FBar1State == 0; }));
    EXPECT_EQ(w->FBar2State, 0);
    EXPECT_EQ(w->FSliderState, 0);
}

TEST_F(SBWndTest, DraggedThumbFollowsThePointerByItsGrabOffset)
{
    for (TScrollBarKind kind : {sbHorizontal, sbVertical}) {
        SCOPED_TRACE(kind == sbVertical ? "vertical" : "horizontal");
        TScrollBar* bar = Bar(kind);
        auto* w = Wrap<TacSBWnd>(bar->Handle(), bar);
        const TacSBGeometry g = w->Geometry();
        const TRect thumb = g.SliderRect();
        // Grabbed 3 pixels after its centre.
        const TPoint grab(kind == sbVertical ? 8 : (thumb.Left + thumb.Right) / 2 + 3,
                          kind == sbVertical ? (thumb.Top + thumb.Bottom) / 2 + 3 : 8);
        w->LMouseDown(grab.X, grab.Y);
        ASSERT_EQ(w->FSliderState, 2);
        ASSERT_EQ(w->ScrollCode, SB_THUMBTRACK);
        EXPECT_EQ(w->MouseOffset, g.CoordToPosition(grab) - 40);
        for (int step : {30, -50, 400}) {
            const TPoint to(kind == sbVertical ? grab.X : grab.X + step, kind == sbVertical ? grab.Y + step : grab.Y);
            const POINT s = user_mouse::Screen(bar->Handle(), to.X, to.Y);
            SendMessageW(bar->Handle(), WM_NCHITTEST, 0, MAKELPARAM(s.x, s.y));
            const int expected = std::clamp(g.CoordToPosition(to) - w->MouseOffset, 0, 91);
            EXPECT_EQ(bar->Position(), expected) << step;
            EXPECT_EQ(w->FCurrPos, expected) << "the thumb goes along: " << step;
        }
        w->LMouseUp(grab.X, grab.Y + 200);
        EXPECT_EQ(w->FSliderState, 0);
        EXPECT_EQ(w->ScrollCode, SB_ENDSCROLL);
    }
}

TEST_F(SBWndTest, ButtonReleasedAwayFromItDoesNotStayPressed)
{
    TScrollBar* bar = Bar();
    auto* w = Wrap<TacSBWnd>(bar->Handle(), bar);
    const TacSBGeometry g = w->Geometry();
    for (const TRect& b : {g.Btn1Rect(), g.Btn2Rect()}) {
        w->LMouseDown((b.Left + b.Right) / 2, 8);
        EXPECT_EQ(w->GetInteger(b.Left == 0 ? sbpBtn1 : sbpBtn2), 2);
        w->LMouseUp(100, 60);
        EXPECT_EQ(w->FBtn1State, 0);
        EXPECT_EQ(w->FBtn2State, 0);
        EXPECT_EQ(w->ScrollCode, SB_ENDSCROLL);
    }
}

TEST_F(SBWndTest, ScrollInfoIsClampedAndHeldWhileTheThumbIsDragged)
{
    TScrollBar* bar = Bar();
    auto* w = Wrap<TacSBWnd>(bar->Handle(), bar);
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_PAGE | SIF_POS, 0, 0, 500, 1000, 0};
    SendMessageW(bar->Handle(), SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&si));
    EXPECT_EQ(w->FSI.nPage, 101u) << "at most the range";
    EXPECT_EQ(w->FSI.nPos, 0) << "max - (page - 1) is the minimum";
    si = {sizeof(SCROLLINFO), SIF_PAGE | SIF_POS, 0, 0, 10, 1000, 0};
    SendMessageW(bar->Handle(), SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&si));
    EXPECT_EQ(w->FSI.nPos, 91);
    EXPECT_EQ(w->FCurrPos, 91);

    // A foreign range and position: the control takes the range.
    si = {sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, 10, 60, 0, 20, 0};
    SendMessageW(bar->Handle(), SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&si));
    EXPECT_EQ(bar->Min(), 10);
    EXPECT_EQ(bar->Max(), 60);
    EXPECT_EQ(w->FSI.nMin, 10);
    EXPECT_EQ(w->FSI.nPos, 20);
    si = {sizeof(SCROLLINFO), SIF_RANGE, 50, 40, 0, 0, 0};
    SendMessageW(bar->Handle(), SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&si));
    EXPECT_EQ(w->FSI.nMin, 0) << "max below min: both 0";
    EXPECT_EQ(w->FSI.nMax, 0);

    bar->SetParams(40, 0, 100);
    const TRect thumb = w->Geometry().SliderRect();
    w->LMouseDown((thumb.Left + thumb.Right) / 2, 8);
    bar->SetPosition(70);
    EXPECT_EQ(w->FSI.nPos, 70);
    EXPECT_EQ(w->FCurrPos, 40) << "a dragged thumb is not moved by the scroll information";
    w->LMouseUp((thumb.Left + thumb.Right) / 2, 8);
    EXPECT_EQ(w->FCurrPos, 70) << "after the drag it shows the control's position";
}

TEST_F(SBWndTest, RedrawLocksAreCountedAndKeptAcrossScrollChanges)
{
    TScrollBar* bar = Bar();
    auto* w = Wrap<TacSBWnd>(bar->Handle(), bar);
    HWND h = bar->Handle();
    SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    EXPECT_EQ(w->FLockCount, 2);
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    EXPECT_EQ(w->FLockCount, 1);
    bar->SetPosition(60);
    EXPECT_EQ(w->FLockCount, 1) << "the wrapper's own switching is not counted";
    EXPECT_FALSE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) << "still locked";
    EXPECT_EQ(w->FCurrPos, 60);
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    EXPECT_EQ(w->FLockCount, 0);
    EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(SBWndTest, ColourQueryOfTheWindowOnlyClipsItAway)
{
    TScrollBar* bar = Bar();
    TScrollBar* plain = Bar();
    plain->SetTop(60);
    Wrap<TacSBWnd>(bar->Handle(), bar);
    for (TScrollBar* b : {bar, plain}) {
        // A DC of the bar's size, as the window's own drawing would get one.
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, b->Width(), b->Height());
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        const LRESULT brush = SendMessageW(form->Handle(), WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(b->Handle()));
        RECT clip{};
        const int kind = GetClipBox(dc, &clip);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        if (b == bar) {
            EXPECT_EQ(brush, 0) << "no brush of its own";
            EXPECT_EQ(kind, NULLREGION) << "nothing of the window is left to draw on";
        } else {
            EXPECT_NE(brush, 0) << "an unwrapped bar gets its control's brush";
            EXPECT_NE(kind, NULLREGION);
        }
    }
}

// A skin whose left and right arrow buttons ask to be as long as their 40-pixel glyph, whose top
// button has a 14 x 12 glyph and asks the same, and whose bottom button has a glyph but does not ask.
class BtnDrawRectTest : public SkinLoadTest {};

TEST_F(BtnDrawRectTest, ButtonSectionFollowsItsGlyphWhenTheSkinAsks)
{
    const auto add = [](std::string text, const std::string& section, const std::string& keys) {
        const std::string header = "[" + section + "]\r\n";
        const size_t at = text.find(header);
        if (at != std::string::npos) text.insert(at + header.size(), keys);
        return text;
    };
    house_skin::Options o;
    o.withScrollBars = true;
    Load(o, SkinSource::Folder, {}, [&](std::string text) {
        const std::string big = "GLYPHMASK=@0000 0048 0080 0088 2 0\r\nRESERVEDBOOLEAN=1\r\n";
        text = add(text, "SCROLLBTNLEFT", big);
        text = add(text, "SCROLLBTNRIGHT", big);
        text = add(text, "SCROLLBTNTOP", "GLYPHMASK=@0080 0048 0122 0060 3 0\r\nRESERVEDBOOLEAN=1\r\n");
        return add(text, "SCROLLBTNBOTTOM", "GLYPHMASK=@0000 0048 0080 0088 2 0\r\n");
    });
    ASSERT_TRUE(manager && manager->IsActive());
    TacSkinData& data = Data();
    struct Row {
        const char* what;
        TacSide side;
        TRect button, expected;
    };
    const Row rows[] = {
        {"left, 40 wide: 23 further right", asLeft, TRect(0, 0, 17, 17), TRect(0, 0, 40, 17)},
        {"right, 40 wide: 23 further left", asRight, TRect(100, 0, 117, 17), TRect(77, 0, 117, 17)},
        {"top, 12 high: 5 shorter", asTop, TRect(0, 0, 17, 17), TRect(0, 0, 17, 12)},
        {"bottom without the flag: as it is", asBottom, TRect(0, 100, 17, 117), TRect(0, 100, 17, 117)},
    };
    for (const Row& r : rows) EXPECT_EQ(BtnDrawRect(r.button, &data, r.side), r.expected) << r.what;
    EXPECT_EQ(BtnDrawRect(TRect(0, 0, 17, 17), nullptr, asLeft), TRect(0, 0, 17, 17)) << "no skin";

    // A button drawn shorter than its place leaves the rest of the place as it was.
    TBitmap bmp(17, 17, pf32bit);
    FillRect32(&bmp, TRect(0, 0, 17, 17), static_cast<TColor>(0x123456), 0xFF);
    ac_DrawScrollBtn(TRect(0, 0, 17, 17), 0, &bmp, &data, asTop);
    GdiFlush();
    const auto rgb = [](std::uint32_t c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); };
    EXPECT_EQ(Pixel(bmp, 0, 16) & 0xFFFFFF, rgb(0x123456));
    EXPECT_EQ(Pixel(bmp, 0, 0) & 0xFFFFFF, rgb(house_skin::kScrollBtn[0]));
}

} // namespace
