// The scrolling window wrapper on real windows: the room it reserves, the skinned bars it keeps
// painted while a Wine list box and a multi-line edit scroll, its hit tests and swallowed clicks,
// the left-hand bar, its command answers, and how it gives the window back.
#include "skin_wrappers_test_scrollbar.h"

#include "Forms.h"
#include "StdCtrls.h"
#include "acScrollWnd.h"

#include <set>
#include <string>

namespace {

using namespace house_skin;

// A child window of a top-level recording parent, with a recorder installed before any wrapper
// and the skin data a skinned control would give its wrapper.
class Wrapped {
public:
    Wrapped(TsSkinManager* manager, const wchar_t* cls, DWORD style, DWORD exStyle = WS_EX_CLIENTEDGE,
            const RECT& bounds = {10, 10, 230, 170}, BYTE coc = 0, const RECT& parentBounds = {40, 40, 440, 340})
        : manager_(manager), parent_(nullptr, parentBounds)
    {
        Handle = CreateWindowExW(exStyle, cls ? cls : RecordingWindow::ClassName(), L"", WS_CHILD | WS_VISIBLE | style,
                                 bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                                 parent_.Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        Recorder = std::make_unique<RecordingSubclass>(Handle);
        Data = std::make_unique<TsScrollWndData>(nullptr, true);
        Data->SetSkinManager(manager);
        Data->SetSkinSection(L"EDIT");
        Data->COC = coc;
        Data->UpdateIndexes(true);
    }
    ~Wrapped()
    {
        if (GetCapture() == Handle) ReleaseCapture();
        for (UINT_PTR id : {kHoverTimerId, kFirstRepeatTimerId, kRepeatTimerId}) KillTimer(Handle, id);
        UninitializeACScroll(Handle, true, false, sw);
        Recorder.reset();
        DestroyWindow(Handle);
    }
    Wrapped(const Wrapped&) = delete;
    Wrapped& operator=(const Wrapped&) = delete;

    void Wrap() { sw = CreateWrapper<TacBaseWnd>(Handle, Data.get(), manager_, TacSkinParams(), true); }
    TacScrollBar* Bar(int bar) const { return bar == SB_HORZ ? sw->sBarHorz.get() : sw->sBarVert.get(); }
    TRect ScreenRect(int bar) const
    {
        TRect r;
        GetScrollRect(sw, bar, Handle, r);
        return r;
    }
    TRect Client() const
    {
        RECT r{};
        GetClientRect(Handle, &r);
        return TRect(r.left, r.top, r.right, r.bottom);
    }
    // The client's rectangle on the screen.
    TRect ClientOnScreen() const
    {
        RECT r{};
        GetClientRect(Handle, &r);
        MapWindowPoints(Handle, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return TRect(r.left, r.top, r.right, r.bottom);
    }
    LPARAM ClientAt(int x, int y) const
    {
        POINT p{x, y};
        ScreenToClient(Handle, &p);
        return MAKELPARAM(static_cast<short>(p.x), static_cast<short>(p.y));
    }
    LONG_PTR Style() const { return GetWindowLongPtrW(Handle, GWL_STYLE); }
    LRESULT Command(WORD code, LPARAM lParam = 0, WORD low = 0) const
    {
        return SendMessageW(Handle, SM_ALPHACMD, MakeAlphaCmd(code, low), lParam);
    }

    HWND Handle = nullptr;
    std::unique_ptr<RecordingSubclass> Recorder;
    std::unique_ptr<TsScrollWndData> Data;
    TacScrollWnd* sw = nullptr;
    RecordingWindow& Parent() { return parent_; }

private:
    TsSkinManager* manager_;
    RecordingWindow parent_;
};

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<short>(x), static_cast<short>(y)); }

class ScrollWndTest : public ScrollBarTest {
protected:
    void SetUp() override
    {
        ScrollBarTest::SetUp();
        LoadScrollSkin();
    }
    void TearDown() override
    {
        SetCursorPos(0, 0);
        Ac_InitializeFlatSB = nullptr;
        Ac_UninitializeFlatSB = nullptr;
        ScrollBarTest::TearDown();
    }
};

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
    };
    const Case cases[] = {
        {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL, true},
        {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ListBox ? "list box" : "memo");
        Wrapped w(manager.get(), c.Class, c.Style);
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
        ASSERT_GT(vThick, 0);
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
