// Operating the skinned scroll bars with the mouse: the scroll messages and commands a click, a
// repeat, a thumb drag and a Shift-jump send, what is swallowed, and hover tracking.
#include "skin_wrappers_test_scrollbar.h"

namespace {

using namespace house_skin;

class ScrollTrackTest : public ScrollBarTest {
protected:
    void SetUp() override
    {
        ScrollBarTest::SetUp();
        LoadScrollSkin();
    }
    void TearDown() override
    {
        SetCursorPos(0, 0);
        ScrollBarTest::TearDown();
    }
};

// Places along a subject's vertical bar, in screen coordinates.
struct Along {
    explicit Along(ScrollSubject& s) : R(s.ScreenRect(SB_VERT))
    {
        TacScrollBar* sb = s.Bar(SB_VERT);
        sb->ScrollInfo.fMask = SIF_ALL;
        GetScrollInfo(s.Handle, SB_VERT, &sb->ScrollInfo);
        CalcThumbSize(sb, R, ThumbSize, ThumbTop);
        B = GetScrollMetric(sb, false);
        X = R.Left + R.Width() / 2;
    }
    TRect R;
    int B = 0, X = 0, ThumbTop = 0, ThumbSize = 0;
    int FirstButton() const { return R.Top + B / 2; }
    int SecondButton() const { return R.Bottom - B / 2; }
};

int Code(const ScrollSubject::Scroll& s) { return LOWORD(s.WParam); }
int Pos(const ScrollSubject::Scroll& s) { return HIWORD(s.WParam); }

} // namespace

TEST_F(ScrollTrackTest, AnArrowClickScrollsAtOnceThenRepeatsUntilTheButtonGoesUp)
{
    ScrollSubject s(manager.get(), WS_VSCROLL);
    s.SetInfo(SB_VERT, 0, 99, 20, 0);
    const Along a(s);
    SetCursorPos(a.X, a.SecondButton());
    EXPECT_EQ(SendMessageW(s.Handle, WM_NCLBUTTONDOWN, HTVSCROLL, ScrollSubject::At(a.X, a.SecondButton())), 0);

    const LPARAM around = MAKELPARAM(SB_LINEDOWN, WM_VSCROLL);
    ASSERT_EQ(s.Scrolls.size(), 1u);
    EXPECT_EQ(s.Scrolls[0].Msg, static_cast<UINT>(WM_VSCROLL));
    EXPECT_EQ(s.Scrolls[0].WParam, static_cast<WPARAM>(SB_LINEDOWN));
    EXPECT_EQ(s.Scrolls[0].LParam, 0);
    EXPECT_EQ(s.Log.Count(SM_ALPHACMD), 2);
    const RecordedMessage* before = s.Log.Last(SM_ALPHACMD);
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->WParam, MakeAlphaCmd(AC_ENDSCROLL));
    EXPECT_EQ(before->LParam, around);
    EXPECT_EQ(s.PassedOn.Count(WM_NCLBUTTONDOWN), 0);
    EXPECT_EQ(GetCapture(), s.Handle);
    EXPECT_EQ(ScrollTracking.PressedPortion, SB_LINEDOWN);
    EXPECT_NE(ScrollTracking.RepeatTimer, 0u);

    // The first delay gives way to the repeat; each repeat scrolls once more.
    ScrollTimer(&s.sw, s.Handle, kFirstRepeatTimerId, 0);
    EXPECT_EQ(s.Scrolls.size(), 1u);
    ScrollTimer(&s.sw, s.Handle, kRepeatTimerId, 0);
    ScrollTimer(&s.sw, s.Handle, kRepeatTimerId, 0);
    ASSERT_EQ(s.Scrolls.size(), 3u);
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(Code(s.Scrolls[i]), SB_LINEDOWN);
        EXPECT_TRUE(s.Scrolls[i].DontRepaint);
    }
    EXPECT_FALSE(s.sw.DontRepaint);

    // The system's timers bring more of them.
    ASSERT_TRUE(PumpUntil([&] { return s.Scrolls.size() >= 5; }, 5000));

    // Off the button the repeat sends nothing.
    SetCursorPos(a.X, a.FirstButton());
    const size_t sent = s.Scrolls.size();
    ScrollTimer(&s.sw, s.Handle, kRepeatTimerId, 0);
    EXPECT_EQ(s.Scrolls.size(), sent);
    EXPECT_EQ(ScrollTracking.PressedPortion, -1);

    SendMessageW(s.Handle, WM_LBUTTONUP, 0, s.ClientAt(a.X, a.FirstButton()));
    ASSERT_FALSE(s.Scrolls.empty());
    EXPECT_EQ(Code(s.Scrolls.back()), SB_ENDSCROLL);
    EXPECT_TRUE(s.Scrolls.back().DontRepaint);
    EXPECT_NE(GetCapture(), s.Handle);
    EXPECT_FALSE(KillTimer(s.Handle, kRepeatTimerId)) << "the repeat is over";
    EXPECT_EQ(ScrollTracking.ClickedPortion, -1);
    EXPECT_EQ(ScrollTracking.CurrentBar, -1);
    EXPECT_EQ(s.PassedOn.Count(WM_LBUTTONUP), 1);
}

TEST_F(ScrollTrackTest, TheRepeatKeepsGoingOnALeftScrollBar)
{
    // The bar lies left of the client area: the mouse over it has negative client coordinates.
    ScrollSubject s(manager.get(), WS_VSCROLL, WS_EX_LEFTSCROLLBAR);
    ASSERT_TRUE(s.sw.fLeftScrollbar);
    s.SetInfo(SB_VERT, 0, 99, 20, 0);
    const Along a(s);
    RECT client{};
    GetClientRect(s.Handle, &client);
    MapWindowPoints(s.Handle, nullptr, reinterpret_cast<POINT*>(&client), 2);
    ASSERT_LT(a.X, client.left);
    SetCursorPos(a.X, a.SecondButton());
    SendMessageW(s.Handle, WM_NCLBUTTONDOWN, HTVSCROLL, ScrollSubject::At(a.X, a.SecondButton()));
    ASSERT_EQ(s.Scrolls.size(), 1u);
    ScrollTimer(&s.sw, s.Handle, kFirstRepeatTimerId, 0);
    ScrollTimer(&s.sw, s.Handle, kRepeatTimerId, 0);
    EXPECT_EQ(ScrollTracking.PressedPortion, SB_LINEDOWN);
    ASSERT_EQ(s.Scrolls.size(), 2u);
    EXPECT_EQ(Code(s.Scrolls[1]), SB_LINEDOWN);
    SendMessageW(s.Handle, WM_LBUTTONUP, 0, s.ClientAt(a.X, a.SecondButton()));
}

TEST_F(ScrollTrackTest, DraggingTheThumbKeepsTheGrabOffsetAndEndsWithItsPosition)
{
    // A range starting at 0 and one starting above it: positions are the range's, not offsets.
    for (const int min : {0, 10}) {
        SCOPED_TRACE(min);
        ResetScrollTracking();
        nLastSBPos = -1;
        ScrollSubject s(manager.get(), WS_VSCROLL);
        s.SetInfo(SB_VERT, min, min + 99, 50, min);
        const Along a(s);
        const int grab = a.ThumbTop + 3;
        SendMessageW(s.Handle, WM_NCLBUTTONDOWN, HTVSCROLL, ScrollSubject::At(a.X, grab));
        EXPECT_TRUE(s.sw.fThumbTracking);
        EXPECT_EQ(GetCapture(), s.Handle);
        EXPECT_TRUE(s.Scrolls.empty()) << "the thumb has not moved";

        SendMessageW(s.Handle, WM_MOUSEMOVE, MK_LBUTTON, s.ClientAt(a.X, grab + 20));
        EXPECT_EQ(ScrollTracking.ThumbPos, a.ThumbTop + 20);
        ASSERT_EQ(s.Scrolls.size(), 1u);
        EXPECT_EQ(Code(s.Scrolls[0]), SB_THUMBTRACK);
        const int room = a.R.Height() - 2 * a.B - a.ThumbSize;
        EXPECT_EQ(Pos(s.Scrolls[0]), min + MulDiv(20, 50, room));
        EXPECT_EQ(GetScrollPos(s.Handle, SB_VERT), Pos(s.Scrolls[0])) << "the system's position follows";
        EXPECT_TRUE(s.Scrolls[0].DontRepaint);

        // The same place again sends nothing; past the end the last position.
        SendMessageW(s.Handle, WM_MOUSEMOVE, MK_LBUTTON, s.ClientAt(a.X, grab + 20));
        EXPECT_EQ(s.Scrolls.size(), 1u);
        SendMessageW(s.Handle, WM_MOUSEMOVE, MK_LBUTTON, s.ClientAt(a.X, a.R.Bottom + 200));
        ASSERT_EQ(s.Scrolls.size(), 2u);
        EXPECT_EQ(Pos(s.Scrolls[1]), min + 50);
        EXPECT_EQ(ScrollTracking.ThumbPos, a.R.Bottom - a.B - a.ThumbSize);

        SendMessageW(s.Handle, WM_LBUTTONUP, 0, s.ClientAt(a.X, a.R.Bottom + 200));
        ASSERT_EQ(s.Scrolls.size(), 4u);
        EXPECT_EQ(Code(s.Scrolls[2]), SB_THUMBPOSITION);
        EXPECT_EQ(Pos(s.Scrolls[2]), min + 50);
        EXPECT_EQ(Code(s.Scrolls[3]), SB_ENDSCROLL);
        EXPECT_TRUE(s.Scrolls[2].DontRepaint && s.Scrolls[3].DontRepaint);
        EXPECT_FALSE(s.sw.fThumbTracking);
        EXPECT_NE(GetCapture(), s.Handle);
        // Commands 51 and 52 around every one of them.
        EXPECT_EQ(s.Log.Count(SM_ALPHACMD), 8);
    }
}

TEST_F(ScrollTrackTest, AThumbFillingItsTrackNeverSendsAPositionOutsideTheRange)
{
    ScrollSubject s(manager.get(), WS_VSCROLL);
    s.SetInfo(SB_VERT, 10, 109, 50, 10);
    const Along a(s);
    s.sw.fThumbTracking = true;
    ScrollTracking.TrackedWindow = s.Handle;
    ScrollTracking.CurrentBar = SB_VERT;
    ScrollTracking.ClickedPortion = SB_THUMBTRACK;
    ScrollTracking.ScrollMessage = WM_VSCROLL;
    ScrollTracking.TrackRect = a.R;
    ScrollTracking.ThumbSize = a.R.Height() - 2 * a.B; // no room to move
    ScrollTracking.ThumbOffset = 0;
    SendMessageW(s.Handle, WM_MOUSEMOVE, MK_LBUTTON, s.ClientAt(a.X, a.R.Top + a.B + 5));
    ASSERT_EQ(s.Scrolls.size(), 1u);
    EXPECT_EQ(Pos(s.Scrolls[0]), 10) << "the range's start, not one below it";
    s.sw.fThumbTracking = false;
}

TEST_F(ScrollTrackTest, ClicksThatDoNothingReachNoPreviousProcedure)
{
    ScrollSubject s(manager.get(), WS_VSCROLL);
    s.SetInfo(SB_VERT, 0, 99, 20, 0);
    const Along a(s);
    struct Case {
        const char* Name;
        std::uint16_t Flags;
        UINT Page;
        int Y;
    };
    const Case cases[] = {
        {"disabled second arrow", kSbStyleShown | ESB_DISABLE_RTDN, 20, a.SecondButton()},
        {"disabled first arrow", kSbStyleShown | ESB_DISABLE_LTUP, 20, a.FirstButton()},
        {"a track without room for the thumb", kSbStyleShown, 100, a.R.Top + a.R.Height() / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        s.SetInfo(SB_VERT, 0, 99, c.Page, 0);
        s.Bar(SB_VERT)->fScrollFlags = c.Flags;
        s.PassedOn.Clear();
        s.Scrolls.clear();
        EXPECT_EQ(SendMessageW(s.Handle, WM_NCLBUTTONDOWN, HTVSCROLL, ScrollSubject::At(a.X, c.Y)), 0);
        EXPECT_EQ(s.PassedOn.Count(WM_NCLBUTTONDOWN), 0);
        EXPECT_TRUE(s.Scrolls.empty());
        EXPECT_NE(GetCapture(), s.Handle);
        EXPECT_EQ(ScrollTracking.ClickedPortion, -1);
    }
    // Other hit codes are the window's.
    ScrollNCLButtonDown(&s.sw, s.Handle, WM_NCLBUTTONDOWN, HTCAPTION, ScrollSubject::At(a.X, a.FirstButton()));
    EXPECT_EQ(s.PassedOn.Count(WM_NCLBUTTONDOWN), 1);
}

TEST_F(ScrollTrackTest, ShiftClickInTheTrackJumpsTheThumbThere)
{
    ScrollSubject s(manager.get(), WS_VSCROLL);
    s.SetInfo(SB_VERT, 0, 99, 20, 0);
    const Along a(s);
    acGetAsyncKeyState = [](int key) -> SHORT { return key == VK_SHIFT ? SHORT(0x8000) : SHORT(0); };
    const int y = a.R.Top + a.R.Height() / 2;
    SendMessageW(s.Handle, WM_NCLBUTTONDOWN, HTVSCROLL, ScrollSubject::At(a.X, y));
    EXPECT_EQ(ScrollTracking.ClickedPortion, SB_THUMBPOSITION);
    EXPECT_EQ(ScrollTracking.ThumbPos, y - a.ThumbSize / 2) << "centred under the mouse";
    ASSERT_EQ(s.Scrolls.size(), 1u);
    EXPECT_EQ(Code(s.Scrolls[0]), SB_THUMBTRACK);
    EXPECT_GT(Pos(s.Scrolls[0]), 0);
    EXPECT_EQ(GetScrollPos(s.Handle, SB_VERT), Pos(s.Scrolls[0]));
    // The button-up ends the jump as a drag ends: its final position, then the end.
    SendMessageW(s.Handle, WM_LBUTTONUP, 0, s.ClientAt(a.X, y));
    EXPECT_EQ(ScrollTracking.ClickedPortion, -1);
    ASSERT_EQ(s.Scrolls.size(), 3u);
    EXPECT_EQ(Code(s.Scrolls[1]), SB_THUMBPOSITION);
    EXPECT_EQ(Pos(s.Scrolls[1]), Pos(s.Scrolls[0]));
    EXPECT_EQ(Code(s.Scrolls[2]), SB_ENDSCROLL);
    EXPECT_TRUE(s.Scrolls[1].DontRepaint && s.Scrolls[2].DontRepaint);
    EXPECT_EQ(GetScrollPos(s.Handle, SB_VERT), Pos(s.Scrolls[0]));
    EXPECT_NE(GetCapture(), s.Handle);

    // Scrolled back in between, the same jump is sent again.
    const WPARAM jump = s.Scrolls[0].WParam;
    s.SetInfo(SB_VERT, 0, 99, 20, 0);
    s.Scrolls.clear();
    SendMessageW(s.Handle, WM_NCLBUTTONDOWN, HTVSCROLL, ScrollSubject::At(a.X, y));
    ASSERT_EQ(s.Scrolls.size(), 1u);
    EXPECT_EQ(s.Scrolls[0].WParam, jump);
    SendMessageW(s.Handle, WM_LBUTTONUP, 0, s.ClientAt(a.X, y));
    EXPECT_EQ(s.Scrolls.size(), 3u);

    // Without Shift the same place pages.
    acGetAsyncKeyState = [](int) -> SHORT { return 0; };
    s.Scrolls.clear();
    SendMessageW(s.Handle, WM_NCLBUTTONDOWN, HTVSCROLL, ScrollSubject::At(a.X, a.R.Bottom - a.B - 2));
    ASSERT_EQ(s.Scrolls.size(), 1u);
    EXPECT_EQ(Code(s.Scrolls[0]), SB_PAGEDOWN);
    SendMessageW(s.Handle, WM_LBUTTONUP, 0, s.ClientAt(a.X, a.R.Bottom - a.B - 2));
}

TEST_F(ScrollTrackTest, HoverFollowsTheMouseAndRepaintsOnlyWhenTheHotPortionChanges)
{
    ScrollSubject s(manager.get(), WS_VSCROLL);
    s.SetInfo(SB_VERT, 0, 99, 40, 30);
    const Along a(s);
    RECT w{};
    GetWindowRect(s.Handle, &w);
    const int thumbY = a.ThumbTop + a.ThumbSize / 2;
    const auto pixel = [&](int x, int y) {
        HDC dc = GetWindowDC(s.Handle);
        const COLORREF c = GetPixel(dc, x - w.left, y - w.top);
        ReleaseDC(s.Handle, dc);
        return c;
    };
    CaptureWindow(s.Handle);

    SetCursorPos(a.X, thumbY);
    SendMessageW(s.Handle, WM_NCMOUSEMOVE, HTVSCROLL, ScrollSubject::At(a.X, thumbY));
    EXPECT_NE(ScrollTracking.HoverTimer, 0u);
    EXPECT_EQ(ScrollTracking.HoverBar, SB_VERT);
    EXPECT_EQ(s.PassedOn.Count(WM_NCMOUSEMOVE), 1);
    ScrollTimer(&s.sw, s.Handle, kHoverTimerId, 0);
    EXPECT_EQ(ScrollTracking.HotPortion, SB_THUMBTRACK);
    EXPECT_EQ(pixel(a.X, thumbY), kScrollSlider[1]);

    // The same portion: no repaint over a mark.
    HDC dc = GetWindowDC(s.Handle);
    SetPixel(dc, a.X - w.left, thumbY - w.top, RGB(1, 2, 3));
    ReleaseDC(s.Handle, dc);
    ScrollTimer(&s.sw, s.Handle, kHoverTimerId, 0);
    EXPECT_EQ(pixel(a.X, thumbY), RGB(1, 2, 3));

    // Another portion: repainted.
    SetCursorPos(a.X, a.FirstButton());
    ScrollTimer(&s.sw, s.Handle, kHoverTimerId, 0);
    EXPECT_EQ(ScrollTracking.HotPortion, SB_LINEUP);
    EXPECT_EQ(pixel(a.X, thumbY), kScrollSlider[0]);
    EXPECT_EQ(pixel(a.R.Left + 1, a.R.Top + 1), kScrollBtn[1]);
    auto shot = CaptureWindow(s.Handle);
    SaveCapture(*shot, L"scrollbars_hover_button");

    // Leaving the bar ends the hover and its look.
    SetCursorPos(w.left - 20, w.top - 20);
    ScrollTimer(&s.sw, s.Handle, kHoverTimerId, 0);
    EXPECT_EQ(ScrollTracking.HoverTimer, 0u);
    EXPECT_EQ(ScrollTracking.HoverBar, -1);
    EXPECT_EQ(ScrollTracking.HotPortion, -1);
    EXPECT_FALSE(KillTimer(s.Handle, kHoverTimerId));
    EXPECT_EQ(pixel(a.R.Left + 1, a.R.Top + 1), kScrollBtn[0]);
}

TEST_F(ScrollTrackTest, ScrollMessagesCarryTheirPositionSafely)
{
    ScrollSubject s(manager.get(), WS_VSCROLL);
    s.SetInfo(SB_VERT, 0, 99, 20, 0);
    struct Case {
        const char* Name;
        LRESULT Answer51;
        int Code, Pos;
        bool SetPos;
        WPARAM WParam;
        LPARAM LParam;
        int SystemPos;
    };
    const Case cases[] = {
        {"plain", 0, SB_THUMBTRACK, 30, true, MAKEWPARAM(SB_THUMBTRACK, 30), 0, 30},
        {"without setting the position", 0, SB_THUMBTRACK, 40, false, MAKEWPARAM(SB_THUMBTRACK, 40), 0, 30},
        {"only thumb tracks set it", 0, SB_THUMBPOSITION, 50, true, MAKEWPARAM(SB_THUMBPOSITION, 50), 0, 30},
        {"full position in LParam", 1, SB_THUMBTRACK, 70000, true, MAKEWPARAM(SB_THUMBTRACK, 65535), 70000, 30},
        {"negative: no sign in the upper half", 0, SB_THUMBPOSITION, -5, false, MAKEWPARAM(SB_THUMBPOSITION, 0xFFFB),
         0, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        s.Answer51 = c.Answer51;
        s.Scrolls.clear();
        s.Log.Clear();
        SendScrollMessage(s.Handle, WM_VSCROLL, c.Code, c.Pos, c.SetPos);
        ASSERT_EQ(s.Scrolls.size(), 1u);
        EXPECT_EQ(s.Scrolls[0].WParam, c.WParam);
        EXPECT_EQ(s.Scrolls[0].WParam >> 32, 0u);
        EXPECT_EQ(s.Scrolls[0].LParam, c.LParam);
        EXPECT_EQ(GetScrollPos(s.Handle, SB_VERT), c.SystemPos);
        ASSERT_EQ(s.Log.Count(SM_ALPHACMD), 2);
        EXPECT_EQ(s.Log.Last(SM_ALPHACMD)->LParam, MAKELPARAM(c.Code, WM_VSCROLL));
    }
}
