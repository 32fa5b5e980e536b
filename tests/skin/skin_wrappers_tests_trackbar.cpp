// The track bar wrapper on Wine's "msctls_trackbar32": channel, ticks and thumb from the house
// skin's track-bar images (and the plain ticks of a skin without them), the thumb's states and
// its mirror image, the disabled look, and a vertical bar painted where the window itself puts
// its parts.
#include "skin_wrappers_test_sbwnd.h"

#include "acSBUtilsTrack.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace {

namespace hs = house_skin;

class TrackBarTest : public SkinnedFormTest {
protected:
    TrackBarTest() { trackBarImages = true; }
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        SkinnedFormTest::SetUp();
    }
    void TearDown() override
    {
        SkinnedFormTest::TearDown();
        for (HWND h : windows)
            if (IsWindow(h)) DestroyWindow(h);
    }
    // A track bar over 0..10 with a tick every 5, in parent (the form when null), wrapped.
    TacTrackWnd* Track(DWORD style, HWND parent = nullptr, int thumbLength = 0)
    {
        const bool vertical = (style & TBS_VERT) != 0;
        if (thumbLength) style |= TBS_FIXEDLENGTH;
        HWND h = CreateWindowExW(0, TRACKBAR_CLASSW, L"", WS_CHILD | WS_VISIBLE | TBS_AUTOTICKS | style, 20, 20,
                                 vertical ? 60 : 200, vertical ? 200 : 60, parent ? parent : form->Handle(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        windows.push_back(h);
        SendMessageW(h, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
        SendMessageW(h, TBM_SETTICFREQ, 5, 0);
        SendMessageW(h, TBM_SETPOS, TRUE, 5);
        if (thumbLength) SendMessageW(h, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(thumbLength), 0);
        return Wrap<TacTrackWnd>(h, nullptr, L"TRACKBAR");
    }
    // Rows (horizontal bar) or columns (vertical bar) of the capture, across the bar, that hold
    // a pixel of colour c.
    static std::vector<int> AcrossWith(TBitmap& cap, bool vertical, TColor c, int tolerance = 0)
    {
        std::vector<int> lines;
        const int n = vertical ? cap.Width() : cap.Height();
        for (int i = 0; i < n; ++i) {
            const TRect line = vertical ? TRect(i, 0, i + 1, cap.Height()) : TRect(0, i, cap.Width(), i + 1);
            if (CountPixels(cap, line, [&](TColor p) { return Near(p, c, tolerance); }) > 0) lines.push_back(i);
        }
        return lines;
    }
    std::vector<HWND> windows;
};

const TColor kTick = FromArgb(hs::kTrackTick);

TEST_F(TrackBarTest, ChannelIsTheSkinImageNarrowedToIt)
{
    for (DWORD style : {DWORD{0}, DWORD{TBS_VERT}}) {
        const bool v = style == TBS_VERT;
        SCOPED_TRACE(v ? "vertical" : "horizontal");
        TacTrackWnd* w = Track(style);
        const TRect channel = w->ChannelRect();
        EXPECT_EQ(v, channel.Height() > channel.Width()) << "in the bar's own orientation";
        auto cap = PrintCapture(w->CtrlHandle);
        const auto edge = AcrossWith(*cap, v, FromArgb(hs::kTrackChannelEdge));
        ASSERT_FALSE(edge.empty());
        // Narrowed to the image's size less one, centred on the channel.
        EXPECT_EQ(edge.back() - edge.front() + 1, hs::kTrackChannelFrame - 1);
        const int centre = v ? (channel.Left + channel.Right) / 2 : (channel.Top + channel.Bottom) / 2;
        EXPECT_LE(std::abs((edge.front() + edge.back() + 1) / 2 - centre), 1);
        // Its fill in the normal state beside the thumb.
        const TRect thumb = w->ThumbRect();
        const int along = v ? channel.Bottom - 3 : channel.Right - 3;
        ASSERT_FALSE(thumb.Contains(v ? TPoint(centre, along) : TPoint(along, centre)));
        EXPECT_EQ(v ? CapturePixel(*cap, centre, along) : CapturePixel(*cap, along, centre), FromArgb(hs::kTrackChannelFill[0]))
            << channel.Left << "," << channel.Top << "," << channel.Right << "," << channel.Bottom << " edge " << edge.front() << ".." << edge.back();
        SaveEnlargedPng(*cap, v ? L"trackbar_channel_v.png" : L"trackbar_channel_h.png");
    }
}

TEST_F(TrackBarTest, TicksOnTheSidesTheStyleAsksFor)
{
    struct Row {
        const char* what;
        DWORD style;
        bool before, after; // above/left of the channel, below/right of it
    };
    const Row rows[] = {
        {"no ticks", TBS_NOTICKS, false, false},
        {"default: bottom", 0, false, true},
        {"top", TBS_TOP, true, false},
        {"both", TBS_BOTH, true, true},
        {"vertical default: right", TBS_VERT, false, true},
        {"vertical left", TBS_VERT | TBS_LEFT, true, false},
        {"vertical both", TBS_VERT | TBS_BOTH, true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const bool v = (r.style & TBS_VERT) != 0;
        TacTrackWnd* w = Track(r.style);
        auto cap = PrintCapture(w->CtrlHandle);
        const TRect channel = w->ChannelRect();
        const int start = v ? channel.Left : channel.Top, end = v ? channel.Right : channel.Bottom;
        const auto lines = AcrossWith(*cap, v, kTick);
        const bool before = std::any_of(lines.begin(), lines.end(), [&](int i) { return i < start; });
        const bool after = std::any_of(lines.begin(), lines.end(), [&](int i) { return i >= end; });
        EXPECT_EQ(before, r.before);
        EXPECT_EQ(after, r.after);
        // Clear of the thumb across the bar.
        const TRect thumb = w->ThumbRect();
        for (int i : lines) EXPECT_TRUE(i < (v ? thumb.Left : thumb.Top) || i >= (v ? thumb.Right : thumb.Bottom)) << i;
        if (r.style == TBS_BOTH) SaveEnlargedPng(*cap, L"trackbar_horizontal.png");
        if (r.style == (TBS_VERT | TBS_BOTH)) SaveEnlargedPng(*cap, L"trackbar_vertical.png");
    }
}

TEST_F(TrackBarTest, ThumbPointsAtTheTicksAndKeepsItsSizeAt23)
{
    struct Row {
        const char* what;
        DWORD style;
        int length;   // 0: the window's own; the thumb is 2 less
        bool pointFirst; // the point lies above (left of) the body
        bool ownSize;    // drawn at the image's size
    };
    const Row rows[] = {
        {"bottom ticks: pointing down", 0, 0, false, false},
        {"top ticks: mirrored, pointing up", TBS_TOP, 0, true, false},
        {"23 high (selection range): never stretched", TBS_ENABLESELRANGE, 0, false, true},
        {"vertical: pointing right", TBS_VERT, 0, false, false},
        {"vertical left ticks: pointing left", TBS_VERT | TBS_LEFT, 0, true, false},
        {"vertical 23 wide: never stretched", TBS_VERT | TBS_ENABLESELRANGE, 0, false, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const bool v = (r.style & TBS_VERT) != 0;
        TacTrackWnd* w = Track(r.style, nullptr, r.length);
        auto cap = PrintCapture(w->CtrlHandle);
        const TRect thumb = w->ThumbRect();
        const TColor body = FromArgb(hs::kTrackThumb[0]), point = FromArgb(hs::kTrackThumbPointInk);
        // A stretched image is filtered: its colours are matched loosely.
        const int tolerance = r.ownSize ? 0 : 12;
        const auto bodyLines = AcrossWith(*cap, v, body, tolerance), pointLines = AcrossWith(*cap, v, point, tolerance);
        ASSERT_FALSE(bodyLines.empty());
        ASSERT_FALSE(pointLines.empty());
        EXPECT_EQ(pointLines.front() < bodyLines.front(), r.pointFirst);
        const int depth = bodyLines.back() - bodyLines.front() + 1 + pointLines.back() - pointLines.front() + 1;
        const int thickness = v ? thumb.Width() : thumb.Height();
        if (r.ownSize) {
            EXPECT_EQ(thickness, 23);
            EXPECT_EQ(depth, hs::kTrackThumbDepth);
        } else {
            EXPECT_GE(depth, thickness - 4) << "stretched over the thumb";
        }
    }
}

TEST_F(TrackBarTest, ThumbIsPressedWhileTheButtonIsDownOnIt)
{
    TacTrackWnd* w = Track(0);
    const TRect thumb = w->ThumbRect();
    const POINT at = user_mouse::Screen(w->CtrlHandle, (thumb.Left + thumb.Right) / 2, (thumb.Top + thumb.Bottom) / 2);
    user_mouse::Press(at);
    ASSERT_TRUE(PumpUntil([&] { return w->bMousePressed; }));
    auto pressed = PrintCapture(w->CtrlHandle);
    EXPECT_GT(CountColor(*pressed, thumb, FromArgb(hs::kTrackThumb[2])), 0);
    user_mouse::Release(at);
    ASSERT_TRUE(PumpUntil([&] { return !w->bMousePressed; }));
    EXPECT_EQ(w->ThumbState(), 1) << "the mouse is still over it";
    auto hot = PrintCapture(w->CtrlHandle);
    EXPECT_GT(CountColor(*hot, thumb, FromArgb(hs::kTrackThumb[1])), 0);
}

TEST_F(TrackBarTest, DisabledOnAParentWithoutCacheIsBlendedWithItsColour)
{
    RecordingWindow parent(nullptr, RECT{500, 400, 760, 500});
    TacTrackWnd* w = Track(0, parent.Handle());
    EnableWindow(w->CtrlHandle, FALSE);
    ASSERT_FALSE(GetParentCacheHwnd(w->CtrlHandle).Ready);
    auto cap = PrintCapture(w->CtrlHandle);
    const TRect thumb = w->ThumbRect();
    const TPoint c((thumb.Left + thumb.Right) / 2, (thumb.Top + thumb.Bottom) / 2 - 4);
    const TColor seen = CapturePixel(*cap, c.X, c.Y), own = FromArgb(hs::kTrackThumb[0]);
    const TColor fill = GetParentCacheHwnd(w->CtrlHandle).FillColor;
    EXPECT_NE(seen, own);
    EXPECT_TRUE(Between(seen, own, ColorToRGB(fill))) << std::hex << seen;
}

TEST_F(TrackBarTest, VerticalPartsSitWhereTheWindowPlacesThem)
{
    TacTrackWnd* w = Track(TBS_VERT | TBS_BOTH);
    HWND h = w->CtrlHandle;
    // Each tick is where the thumb's centre goes for its value.
    const std::vector<TPoint> ticks = w->TicksArray();
    ASSERT_EQ(ticks.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        SendMessageW(h, TBM_SETPOS, TRUE, i * 5);
        const TRect thumb = w->ThumbRect();
        EXPECT_LE(std::abs(ticks[static_cast<size_t>(i)].Y - (thumb.Top + thumb.Bottom) / 2), 1) << i;
    }
    // The thumb painted at the top takes the user's drag to the bottom.
    SendMessageW(h, TBM_SETPOS, TRUE, 0);
    auto cap = PrintCapture(h);
    const TColor body = FromArgb(hs::kTrackThumb[0]);
    int sx = 0, sy = 0, n = 0;
    for (int y = 0; y < cap->Height(); ++y)
        for (int x = 0; x < cap->Width(); ++x)
            if (CapturePixel(*cap, x, y) == body) sx += x, sy += y, ++n;
    ASSERT_GT(n, 0);
    const POINT grab = user_mouse::Screen(h, sx / n, sy / n);
    const TRect channel = w->ChannelRect();
    const POINT drop = user_mouse::Screen(h, sx / n, channel.Bottom + 10);
    user_mouse::Send({user_mouse::At(grab, 0), user_mouse::At(grab, MOUSEEVENTF_LEFTDOWN), user_mouse::At(drop, 0),
                      user_mouse::At(drop, MOUSEEVENTF_LEFTUP)});
    ASSERT_TRUE(PumpUntil([&] { return SendMessageW(h, TBM_GETPOS, 0, 0) == 10 && !w->bMousePressed; }));
}

class PlainTrackBarTest : public TrackBarTest {
protected:
    PlainTrackBarTest() { trackBarImages = false; }
};

TEST_F(PlainTrackBarTest, TicksWithoutImagesAreTwoByFourInWhiteAndShadow)
{
    TacTrackWnd* w = Track(TBS_BOTH);
    auto cap = PrintCapture(w->CtrlHandle);
    SaveEnlargedPng(*cap, L"trackbar_plain.png");
    const TColor white = static_cast<TColor>(0xFFFFFF), shadow = ColorToRGB(clBtnShadow);
    const TRect channel = w->ChannelRect();
    for (const TPoint& t : w->TicksArray()) {
        for (bool top : {true, false}) {
            SCOPED_TRACE(testing::Message() << t.X << (top ? " top" : " bottom"));
            // Find the tick's rows: the white-or-shadow run in the tick's columns beyond the channel.
            const auto tickColour = [&](TColor c) { return c == white || c == shadow; };
            const TRect search = top ? TRect(t.X - 1, 0, t.X + 1, channel.Top) : TRect(t.X - 1, channel.Bottom, t.X + 1, cap->Height());
            EXPECT_EQ(CountPixels(*cap, search, tickColour), 2 * w->TickHeight);
            EXPECT_GT(CountColor(*cap, search, white), 0);
            EXPECT_GT(CountColor(*cap, search, shadow), 0);
            EXPECT_EQ(CountPixels(*cap, TRect(t.X + 1, search.Top, t.X + 2, search.Bottom), tickColour), 0) << "2 wide";
        }
    }
}

} // namespace
