// The skinned scroll bars painted into the window DC: track halves, buttons with their arrows,
// the thumb, pressed and hot portions, an inactive bar, the corner box and the size grip.
#include "skin_wrappers_test_scrollbar.h"

#include "sDefaults.h"
#include "sGraphUtilsBackground.h"
#include "skin_test_arrow_ink.h"

namespace {

using namespace house_skin;

// The colour blended towards the background by the library's disabled blend.
COLORREF Faded(COLORREF c, COLORREF bg)
{
    const auto mix = [](int a, int b) { return (a * DefBlendDisabled + b * (255 - DefBlendDisabled)) >> 8; };
    return RGB(mix(GetRValue(c), GetRValue(bg)), mix(GetGValue(c), GetGValue(bg)), mix(GetBValue(c), GetBValue(bg)));
}

COLORREF Ink(Argb a) { return RGB(a >> 16 & 0xFF, a >> 8 & 0xFF, a & 0xFF); }

// Places along the vertical bar of a subject, in window coordinates.
struct VertLayout {
    explicit VertLayout(ScrollSubject& s)
    {
        RECT w{};
        GetWindowRect(s.Handle, &w);
        const TRect screen = s.ScreenRect(SB_VERT);
        TacScrollBar* sb = s.Bar(SB_VERT);
        CalcThumbSize(sb, screen, ThumbSize, ThumbTop);
        ThumbTop -= w.top;
        V = screen;
        V.Offset(-w.left, -w.top);
        H = s.ScreenRect(SB_HORZ);
        H.Offset(-w.left, -w.top);
        B = GetScrollMetric(sb, false);
        X = V.Left + V.Width() / 2;
    }
    TRect V, H;
    int B = 0, X = 0, ThumbTop = 0, ThumbSize = 0;
    int ThumbCentre() const { return ThumbTop + ThumbSize / 2; }
    int BeforeThumb() const { return (V.Top + B + ThumbTop) / 2; }
    int AfterThumb() const { return (ThumbTop + ThumbSize + V.Bottom - B) / 2; }
};

class ScrollPaintTest : public ScrollBarTest {
protected:
    void SetUp() override
    {
        ScrollBarTest::SetUp();
        LoadScrollSkin();
    }
};

} // namespace

TEST_F(ScrollPaintTest, BarsShowTheirSectionsAndTheCornerBox)
{
    ScrollSubject s(manager.get(), WS_HSCROLL | WS_VSCROLL);
    s.SetInfo(SB_VERT, 0, 99, 40, 30);
    s.SetInfo(SB_HORZ, 0, 99, 50, 0);
    ASSERT_TRUE(s.Bar(SB_VERT)->fScrollVisible);
    ASSERT_TRUE(s.Bar(SB_HORZ)->fScrollVisible);
    auto shot = CaptureWindow(s.Handle);
    SaveCapture(*shot, L"scrollbars_normal");
    const VertLayout l(s);
    ASSERT_GT(l.ThumbTop, l.V.Top + l.B + 4);
    ASSERT_LT(l.ThumbTop + l.ThumbSize, l.V.Bottom - l.B - 4);

    EXPECT_EQ(PixelOf(*shot, l.V.Left + 1, l.V.Top + 1), kScrollBtn[0]);
    EXPECT_EQ(PixelOf(*shot, l.X, l.V.Top + l.B / 2), kScrollBtnArrow[0]) << "a glyph-less button's arrow";
    EXPECT_EQ(PixelOf(*shot, l.V.Left + 1, l.V.Bottom - 2), kScrollBtn[0]);
    EXPECT_EQ(PixelOf(*shot, l.X, l.V.Bottom - l.B / 2 - 1), kScrollBtnArrow[0]);
    EXPECT_EQ(PixelOf(*shot, l.X, l.BeforeThumb()), kScrollBar1V[0]);
    EXPECT_EQ(PixelOf(*shot, l.X, l.ThumbCentre()), kScrollSlider[0]);
    EXPECT_EQ(PixelOf(*shot, l.X, l.AfterThumb()), kScrollBar2V[0]);
    // The horizontal bar: its thumb at the start, the second half of the track after it.
    EXPECT_EQ(PixelOf(*shot, l.H.Right - l.B - 3, l.H.Top + 3), kScrollBar2H[0]);
    // Its buttons' line arrows point outwards.
    const auto dark = [&](int x, int y) {
        const COLORREF c = PixelOf(*shot, x, y);
        return GetRValue(c) < 0x70 && GetGValue(c) < 0x70 && GetBValue(c) < 0x70;
    };
    EXPECT_TRUE(TipAt(InkSpans(TRect(l.H.Left, l.H.Top, l.H.Left + l.B, l.H.Bottom), true, dark), true));
    EXPECT_TRUE(TipAt(InkSpans(TRect(l.H.Right - l.B, l.H.Top, l.H.Right, l.H.Bottom), true, dark), false));
    // The corner box in the first track section's colour, no grip.
    EXPECT_EQ(CountColor(*shot, RECT{l.V.Left, l.H.Top, l.V.Right, l.H.Bottom}, kScrollBar1H[0]),
              l.V.Width() * l.H.Height());
    // The client area is the window's own.
    const POINT client = ClientOffset(s.Handle);
    EXPECT_EQ(PixelOf(*shot, client.x + 5, client.y + 5), RGB(255, 255, 255));

    // Pressed portions: the second button, then the track after the thumb.
    ac_NCDraw(&s.sw, s.Handle, SB_LINEDOWN, nullptr);
    shot = GrabWindow(s.Handle);
    SaveCapture(*shot, L"scrollbars_pressed_button");
    EXPECT_EQ(PixelOf(*shot, l.V.Left + 1, l.V.Bottom - 2), kScrollBtn[2]);
    EXPECT_EQ(PixelOf(*shot, l.X, l.V.Bottom - l.B / 2 - 1), kScrollBtnArrow[2]);
    EXPECT_EQ(PixelOf(*shot, l.V.Left + 1, l.V.Top + 1), kScrollBtn[0]);
    ac_NCDraw(&s.sw, s.Handle, SB_PAGEDOWN, nullptr);
    shot = GrabWindow(s.Handle);
    EXPECT_EQ(PixelOf(*shot, l.X, l.AfterThumb()), kScrollBar2V[2]);
    EXPECT_EQ(PixelOf(*shot, l.X, l.BeforeThumb()), kScrollBar1V[0]);

    // Hot portions of the hovered bar of the tracked window.
    ScrollTracking.TrackedWindow = s.Handle;
    ScrollTracking.HoverBar = SB_VERT;
    ScrollTracking.HotPortion = SB_THUMBTRACK;
    ac_NCDraw(&s.sw, s.Handle, -1, nullptr);
    shot = GrabWindow(s.Handle);
    SaveCapture(*shot, L"scrollbars_hot_thumb");
    EXPECT_EQ(PixelOf(*shot, l.X, l.ThumbCentre()), kScrollSlider[1]);
    ScrollTracking.HotPortion = SB_LINEUP;
    ac_NCDraw(&s.sw, s.Handle, -1, nullptr);
    shot = GrabWindow(s.Handle);
    EXPECT_EQ(PixelOf(*shot, l.V.Left + 1, l.V.Top + 1), kScrollBtn[1]);
    EXPECT_EQ(PixelOf(*shot, l.X, l.V.Top + l.B / 2), kScrollBtnArrow[1]);
    EXPECT_EQ(PixelOf(*shot, l.X, l.ThumbCentre()), kScrollSlider[0]);
    ScrollTracking.HoverBar = SB_HORZ;
    ac_NCDraw(&s.sw, s.Handle, -1, nullptr);
    shot = GrabWindow(s.Handle);
    EXPECT_EQ(PixelOf(*shot, l.V.Left + 1, l.V.Top + 1), kScrollBtn[0]) << "hot only on the hovered bar";
}

TEST_F(ScrollPaintTest, AnInactiveBarHasNoThumbAndIsFaded)
{
    ScrollSubject s(manager.get(), WS_HSCROLL | WS_VSCROLL);
    s.SetInfo(SB_VERT, 0, 99, 40, 30);
    s.SetInfo(SB_HORZ, 0, 99, 50, 0);
    Ac_GetScrollBarInfo = &GetScrollBarInfo;
    EnableScrollBar(s.Handle, SB_VERT, ESB_DISABLE_BOTH);
    ASSERT_FALSE(IsScrollBarActive(s.Bar(SB_VERT)));
    auto shot = CaptureWindow(s.Handle);
    SaveCapture(*shot, L"scrollbars_inactive");
    TacBGInfo bg;
    GetBGInfo(bg, s.Parent().Handle(), false);
    const COLORREF under = ColorToRGB(bg.Color);
    const VertLayout l(s);
    // The halves meet at the centre of the thumb that is not drawn.
    EXPECT_EQ(PixelOf(*shot, l.X, l.ThumbCentre() - 1), Faded(kScrollBar1V[0], under));
    EXPECT_EQ(PixelOf(*shot, l.X, l.ThumbCentre()), Faded(kScrollBar2V[0], under));
    EXPECT_EQ(PixelOf(*shot, l.V.Left + 1, l.V.Top + 1), Faded(kScrollBtn[0], under));
    EXPECT_EQ(PixelOf(*shot, l.V.Left + 1, l.H.Top + 1), Faded(kScrollBar1H[0], under)) << "the corner box";
    // The active horizontal bar keeps its colours and its thumb.
    EXPECT_EQ(PixelOf(*shot, l.H.Left + l.B + 3, l.H.Top + 3), kScrollSlider[0]);
}

TEST_F(ScrollPaintTest, TheCornerShowsTheGripOnlyForDialogCodesInATopLevelCorner)
{
    struct Case {
        BYTE Code;
        bool Grip;
    };
    for (const Case c : {Case{0, false}, Case{223, true}, Case{224, true}, Case{93, false}}) {
        SCOPED_TRACE(c.Code);
        ScrollSubject s(manager.get(), WS_HSCROLL | WS_VSCROLL, 0, {0, 0, 200, 140}, c.Code);
        s.SetInfo(SB_VERT, 0, 99, 40, 0);
        s.SetInfo(SB_HORZ, 0, 99, 40, 0);
        auto shot = CaptureWindow(s.Handle);
        const VertLayout l(s);
        const TRect corner(l.V.Left, l.H.Top, l.V.Right, l.H.Bottom);
        // Frame 0 of the check glyph, right- and bottom-aligned: a pixel of its tick.
        const int x = corner.Right - kCheckFrame + 2, y = corner.Bottom - kCheckFrame + 6;
        ASSERT_TRUE(IsTickPixel(2, 6));
        EXPECT_EQ(PixelOf(*shot, x, y), c.Grip ? Ink(kCheckInk[0]) : kScrollBar1H[0]);
        EXPECT_EQ(IsSizeGripCorner(&s.sw, s.Handle), c.Grip);
        RECT w{};
        GetWindowRect(s.Handle, &w);
        const LRESULT hit = SendMessageW(s.Handle, WM_NCHITTEST, 0, ScrollSubject::At(w.left + x, w.top + y));
        EXPECT_EQ(hit == HTBOTTOMRIGHT, c.Grip);
        if (c.Code == 224) SaveCapture(*shot, L"scrollbars_grip");
    }
    // Not in the parent's corner: no grip.
    ScrollSubject s(manager.get(), WS_HSCROLL | WS_VSCROLL, 0, {0, 0, 180, 120}, 224);
    EXPECT_TRUE(IsSizeGripCorner(&s.sw, s.Handle));
    SetWindowPos(s.Handle, nullptr, 0, 0, 150, 100, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_FALSE(IsSizeGripCorner(&s.sw, s.Handle));
}
