// The scrolling wrapper through real message routing: hit tests, swallowed clicks and style
// changes, the left-hand bar, when UpdateScrolls skips, the command answers, giving the window
// back, and attaching it to a framework control through RefreshScrolls.
#include "skin_wrappers_test_scrollwnd.h"

#include "Forms.h"
#include "StdCtrls.h"
#include "sVclUtils.h"

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace house_skin;

void SetBar(HWND wnd, int bar, int max, UINT page, int pos)
{
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL | SIF_DISABLENOSCROLL, 0, max, page, pos, 0};
    SetScrollInfo(wnd, bar, &si, FALSE);
}

TPoint Centre(const TRect& r) { return TPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2); }

TRect WindowRect(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return TRect(r.left, r.top, r.right, r.bottom);
}

// The calls of the flat-scroll-bar entries: 'u' switched off, 'i' switched on.
std::vector<std::pair<char, HWND>>& FlatCalls()
{
    static std::vector<std::pair<char, HWND>> calls;
    return calls;
}
HRESULT WINAPI RecordUninitializeFlatSB(HWND wnd)
{
    FlatCalls().emplace_back('u', wnd);
    return S_OK;
}
HRESULT WINAPI RecordInitializeFlatSB(HWND wnd)
{
    FlatCalls().emplace_back('i', wnd);
    return FALSE;
}

// A framework list box on form with more items than it shows.
TListBox* ListWithBars(TForm* form)
{
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 200, 150);
    for (int i = 0; i < 60; ++i) list->Items()->Add(L"item");
    return list;
}

} // namespace

TEST_F(ScrollWndTest, HitTestsAnswerForActiveBarsAndTheSizeGrip)
{
    Ac_GetScrollBarInfo = &GetScrollBarInfo;
    {
        Wrapped w(manager.get(), nullptr, WS_HSCROLL | WS_VSCROLL);
        SetBar(w.Handle, SB_VERT, 99, 20, 0);
        SetBar(w.Handle, SB_HORZ, 99, 20, 0);
        w.Wrap();
        const TPoint v = Centre(w.ScreenRect(SB_VERT)), h = Centre(w.ScreenRect(SB_HORZ));
        EXPECT_EQ(SendMessageW(w.Handle, WM_NCHITTEST, 0, At(v.X, v.Y)), HTVSCROLL);
        EXPECT_EQ(SendMessageW(w.Handle, WM_NCHITTEST, 0, At(h.X, h.Y)), HTHSCROLL);
        SetBar(w.Handle, SB_VERT, 0, 0, 0); // nothing to scroll: the bar stays, disabled
        EXPECT_EQ(SendMessageW(w.Handle, WM_NCHITTEST, 0, At(v.X, v.Y)), HTNOWHERE);
        EXPECT_EQ(SendMessageW(w.Handle, WM_NCHITTEST, 0, At(h.X, h.Y)), HTHSCROLL);
    }
    // The corner box in the bottom-right corner of a top-level parent.
    struct Case {
        BYTE Coc;
        bool Grip;
    };
    for (const Case c : {Case{223, true}, Case{224, true}, Case{0, false}}) {
        SCOPED_TRACE(c.Coc);
        Wrapped w(manager.get(), nullptr, WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE, RECT{170, 140, 400, 300}, c.Coc);
        SetBar(w.Handle, SB_VERT, 99, 20, 0);
        SetBar(w.Handle, SB_HORZ, 99, 20, 0);
        w.Wrap();
        const TRect v = w.ScreenRect(SB_VERT), h = w.ScreenRect(SB_HORZ);
        const TPoint corner = Centre(TRect(v.Left, h.Top, v.Right, h.Bottom));
        const LRESULT hit = SendMessageW(w.Handle, WM_NCHITTEST, 0, At(corner.X, corner.Y));
        EXPECT_EQ(hit == HTBOTTOMRIGHT, c.Grip) << hit;
    }
}

TEST_F(ScrollWndTest, ClicksOnABarTheSystemCommandAndOwnStyleChangesNeverReachTheWindow)
{
    Wrapped w(manager.get(), nullptr, WS_HSCROLL | WS_VSCROLL);
    SetBar(w.Handle, SB_VERT, 99, 20, 0);
    SetBar(w.Handle, SB_HORZ, 99, 20, 0);
    w.Wrap();
    MessageLog& log = w.Recorder->Log;
    const TPoint v = Centre(w.ScreenRect(SB_VERT));
    for (UINT msg : {WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_NCMBUTTONDOWN, WM_NCMBUTTONUP}) {
        SCOPED_TRACE(msg);
        log.Clear();
        for (WPARAM hit : {HTVSCROLL, HTHSCROLL}) EXPECT_EQ(SendMessageW(w.Handle, msg, hit, At(v.X, v.Y)), 0);
        EXPECT_EQ(log.Count(msg), 0);
        SendMessageW(w.Handle, msg, HTCLIENT, At(v.X, v.Y));
        EXPECT_EQ(log.Count(msg), 1) << "elsewhere the window gets it";
    }
    log.Clear();
    SendMessageW(w.Handle, WM_SYSCOMMAND, SC_ACVSCROLLBAR, 0);
    SendMessageW(w.Handle, WM_ACDROPPED, 0, 0);
    SendMessageW(w.Handle, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    EXPECT_EQ(log.Count(WM_SYSCOMMAND), 0);
    EXPECT_EQ(log.Count(WM_ACDROPPED), 0);
    EXPECT_EQ(log.Count(WM_UPDATEUISTATE), 0);

    // The frame is computed with the scroll styles taken off for a moment: the window hears
    // nothing of it, but it hears of a style change of its own.
    log.Clear();
    RefreshFrame(w.Handle, true);
    SendMessageW(w.Handle, WM_NCPAINT, 1, 0);
    EXPECT_GE(log.Count(WM_NCCALCSIZE), 1);
    EXPECT_GE(log.Count(WM_NCPAINT), 1);
    EXPECT_EQ(log.Count(WM_STYLECHANGING), 0);
    EXPECT_EQ(log.Count(WM_STYLECHANGED), 0);
    EXPECT_EQ(w.Style() & (WS_HSCROLL | WS_VSCROLL), WS_HSCROLL | WS_VSCROLL);
    SetWindowLongPtrW(w.Handle, GWL_STYLE, w.Style() | WS_TABSTOP);
    EXPECT_EQ(log.Count(WM_STYLECHANGED), 1);
}

TEST_F(ScrollWndTest, LeftScrollBarAndTheBidiModeChange)
{
    Wrapped w(manager.get(), nullptr, WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE | WS_EX_LEFTSCROLLBAR);
    SetBar(w.Handle, SB_VERT, 99, 20, 0);
    SetBar(w.Handle, SB_HORZ, 99, 20, 0);
    w.Wrap();
    ASSERT_TRUE(w.sw->fLeftScrollbar);
    const TRect window = WindowRect(w.Handle);
    TRect v = w.ScreenRect(SB_VERT), h = w.ScreenRect(SB_HORZ);
    TRect client = w.ClientOnScreen();
    EXPECT_EQ(v.Left, window.Left + w.sw->cxLeftEdge);
    EXPECT_EQ(v.Right, client.Left);
    EXPECT_EQ(h.Left, client.Left);
    auto shot = CaptureWindow(w.Handle);
    SaveCapture(*shot, L"scrollwnd_leftbar");
    const TPoint corner = Centre(TRect(v.Left, h.Top, v.Right, h.Bottom));
    EXPECT_EQ(PixelOf(*shot, corner.X - window.Left, corner.Y - window.Top), kScrollBar1H[0]) << "corner on the left";

    // The style goes; the bidirectional-mode change recomputes the frame.
    SetWindowLongPtrW(w.Handle, GWL_EXSTYLE, GetWindowLongPtrW(w.Handle, GWL_EXSTYLE) & ~WS_EX_LEFTSCROLLBAR);
    EXPECT_EQ(w.ClientOnScreen().Left, client.Left) << "the frame is as it was";
    SendMessageW(w.Handle, CM_BIDIMODECHANGED, 0, 0);
    EXPECT_FALSE(w.sw->fLeftScrollbar);
    v = w.ScreenRect(SB_VERT);
    client = w.ClientOnScreen();
    EXPECT_EQ(client.Left, window.Left + w.sw->cxLeftEdge);
    EXPECT_EQ(v.Left, client.Right);
}

TEST_F(ScrollWndTest, UpdateScrollsSkipsWhileTheWindowCannotShowIt)
{
    Wrapped w(manager.get(), nullptr, WS_HSCROLL | WS_VSCROLL);
    SetBar(w.Handle, SB_VERT, 99, 20, 0);
    SetBar(w.Handle, SB_HORZ, 99, 20, 0);
    w.Wrap();
    TacScrollWnd* sw = w.sw;
    UpdateScrolls(nullptr, true); // nothing to do
    std::unique_ptr<TacScrollBar> parked;
    struct Case {
        const char* Name;
        void (*Apply)(Wrapped&, std::unique_ptr<TacScrollBar>&, bool on);
        bool Skips;
    };
    const Case cases[] = {
        {"destroying", [](Wrapped& w, auto&, bool on) { w.sw->InDestroying = on; }, true},
        {"updating", [](Wrapped& w, auto&, bool on) { w.Data->FUpdating = on; }, true},
        {"update counter", [](Wrapped& w, auto&, bool on) { w.Data->FUpdateCount = on ? 1 : 0; }, true},
        {"invisible", [](Wrapped& w, auto&, bool on) { ShowWindow(w.Handle, on ? SW_HIDE : SW_SHOWNA); }, true},
        {"a bar missing",
         [](Wrapped& w, auto& bar, bool on) {
             if (on)
                 bar = std::move(w.sw->sBarHorz);
             else
                 w.sw->sBarHorz = std::move(bar);
         },
         true},
        {"shown", [](Wrapped&, auto&, bool) {}, false},
    };
    int pos = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetBar(w.Handle, SB_VERT, 99, 20, ++pos);
        c.Apply(w, parked, true);
        UpdateScrolls(sw, true);
        c.Apply(w, parked, false);
        EXPECT_EQ(sw->sBarVert->ScrollInfo.nPos != pos, c.Skips);
    }
}

TEST_F(ScrollWndTest, CommandAnswers)
{
    Wrapped w(manager.get(), nullptr, WS_HSCROLL | WS_VSCROLL);
    w.Wrap();
    const UnicodeString section = L"EDIT";
    TacBGInfo info;
    struct Case {
        WORD Code;
        LPARAM LParam;
        WORD Low;
        LRESULT Result; // -7: not checked
        bool PassedOn;
    };
    const LPARAM mgr = reinterpret_cast<LPARAM>(manager.get());
    const Case cases[] = {
        {AC_SETNEWSKIN, mgr, 0, -7, true},
        {AC_REFRESH, mgr, 0, -7, true},
        {AC_PARENTUPDATED, 0, 0, 0, false},
        {AC_CTRLHANDLED, 0, 0, 1, false},
        {AC_SETUPDATING, 0, 1, -7, true},
        {AC_SETUPDATING, 0, 0, -7, true},
        {AC_GETSCROLLWND, 0, 0, reinterpret_cast<LRESULT>(w.sw), false},
        {AC_SETSECTION, reinterpret_cast<LPARAM>(&section), 0, 1, false},
        {AC_SETSECTION, 0, 0, 0, false},
        {AC_CHILDBGCHANGED, 0, 0, 1, false},
        {AC_GETBGCOLOR, 0, 0, -7, true}, // below
        {AC_PREPARECACHE, 0, 0, -7, true},
        {AC_MOUSEENTER, mgr, 0, -7, false},
        {AC_MOUSELEAVE, mgr, 0, -7, false},
        {AC_GETBG, reinterpret_cast<LPARAM>(&info), 0, -7, true},
        {AC_GETCOMMONDATA, 0, 0, reinterpret_cast<LRESULT>(w.Data.get()), false},
        {AC_GETAPPLICATION, 0, 0, reinterpret_cast<LRESULT>(Application), false},
        {AC_GETPPI, 0, 0, w.Data->CurrentPPI, false},
        {AC_REMOVESKIN, mgr, 0, -7, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Code);
        const auto received = [&] {
            return w.Recorder->Log.CountIf([&](const RecordedMessage& m) {
                return m.Msg == SM_ALPHACMD && AlphaCmdCode(m.WParam) == c.Code && m.LParam == c.LParam;
            });
        };
        const int before = received();
        const LRESULT result = w.Command(c.Code, c.LParam, c.Low);
        if (c.Result != -7) {
            EXPECT_EQ(result, c.Result);
        }
        EXPECT_EQ(received() - before, c.PassedOn ? 1 : 0);
        if (c.Code == AC_SETUPDATING) {
            EXPECT_EQ(w.Data->FUpdating, c.Low == 1);
        }
    }
    EXPECT_NE(info.BgType, btUnknown) << "the background record was filled";
    // The previous procedure gives no colour: the skin data's, which here asks the window again.
    EXPECT_EQ(w.Command(AC_GETBGCOLOR), static_cast<LRESULT>(ColorToRGB(clBtnFace)));
    EXPECT_EQ(Ac_GetScrollWndFromHwnd(w.Handle), nullptr) << "the skin's removal unpublishes the wrapper";
}

TEST_F(ScrollWndTest, GivingTheWindowBack)
{
    {
        Wrapped w(manager.get(), L"LISTBOX", LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL);
        for (int i = 0; i < 60; ++i) SendMessageW(w.Handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"item"));
        SendMessageW(w.Handle, LB_SETHORIZONTALEXTENT, 800, 0);
        const TRect system = w.Client();
        w.Wrap();
        ASSERT_NE(w.Client().Width(), system.Width());
        UninitializeACScroll(w.Handle, false, true, w.sw);
        ASSERT_NE(w.sw, nullptr);
        EXPECT_TRUE(w.sw->Destroyed);
        EXPECT_FALSE(w.sw->sBarHorz || w.sw->sBarVert);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w.Handle, GWLP_WNDPROC)), RecordingSubclass::Procedure());
        EXPECT_EQ(Ac_GetScrollWndFromHwnd(w.Handle), nullptr);
        EXPECT_EQ(w.Client(), system) << "the system's own bars again";
        // What still reaches the old wrapper's method: notifications only.
        w.Recorder->Log.Clear();
        for (UINT msg : {static_cast<UINT>(WM_NOTIFY), CN_NOTIFY, static_cast<UINT>(WM_USER + 5),
                         static_cast<UINT>(WM_NCPAINT), SM_ALPHACMD})
            w.sw->ProcessMessage(msg, 0, 0);
        EXPECT_EQ(w.Recorder->Log.Count(WM_NOTIFY), 1);
        EXPECT_EQ(w.Recorder->Log.Count(CN_NOTIFY), 1);
        EXPECT_EQ(w.Recorder->Log.Count(WM_USER + 5), 0);
        EXPECT_EQ(w.Recorder->Log.Count(WM_NCPAINT), 0);
        EXPECT_EQ(w.Recorder->Log.Count(SM_ALPHACMD), 0);
    }
    {
        // Someone subclassed the window after the wrapper: it stays in place and keeps working.
        Wrapped w(manager.get(), nullptr, WS_VSCROLL);
        SetBar(w.Handle, SB_VERT, 99, 20, 0);
        w.Wrap();
        LaterSubclass later(w.Handle);
        UninitializeACScroll(w.Handle, true, true, w.sw);
        EXPECT_EQ(w.sw, nullptr);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w.Handle, GWLP_WNDPROC)), LaterSubclass::Procedure());
        EXPECT_EQ(ParkedWndProcCount(), 1);
        SendMessageW(w.Handle, WM_USER + 7, 0, 0);
        EXPECT_EQ(later.Log.Count(WM_USER + 7), 1);
        EXPECT_EQ(w.Recorder->Log.Count(WM_USER + 7), 1) << "through the parked procedure";
    }
}

TEST_F(ScrollWndTest, RefreshScrollsFollowsTheSkinOfAFrameworkControl)
{
    FlatCalls().clear();
    Ac_UninitializeFlatSB = &RecordUninitializeFlatSB;
    Ac_InitializeFlatSB = &RecordInitializeFlatSB;
    TForm* form = NewForm(420, 300);
    form->Show();
    TListBox* list = ListWithBars(form);
    const HWND wnd = list->Handle();
    const TWndMethod original = list->WindowProc;
    RECT system{};
    GetClientRect(wnd, &system);
    // The skin data a skinned list box owns.
    TsScrollWndData data(list, true);
    data.SetSkinManager(manager.get());
    data.SetSkinSection(L"EDIT");
    data.UpdateIndexes(true);
    ASSERT_TRUE(data.Skinned());

    const bool opaque = list->ControlStyle().Contains(csOpaque);
    TacScrollWnd* sw = nullptr;
    RefreshScrolls(&data, sw);
    ASSERT_NE(sw, nullptr);
    EXPECT_EQ(sw->CtrlHandle, wnd);
    EXPECT_TRUE(list->ControlStyle().Contains(csOpaque)) << "wrapped, the control paints all of itself";
    EXPECT_FALSE(list->WindowProc == original);
    RECT client{};
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, system.right + GetSystemMetrics(SM_CXVSCROLL) - GetScrollMetric(sw->sBarVert.get(), true));
    ASSERT_EQ(FlatCalls().size(), 1u);
    EXPECT_EQ(FlatCalls()[0], std::make_pair('u', wnd));
    RefreshScrolls(&data, sw); // already there
    EXPECT_EQ(FlatCalls().size(), 2u);

    // The skin goes: the wrapper is freed and the flat bars come back.
    data.SkinIndex = -1;
    RefreshScrolls(&data, sw);
    EXPECT_EQ(sw, nullptr);
    ASSERT_EQ(FlatCalls().size(), 3u);
    EXPECT_EQ(FlatCalls()[2], std::make_pair('i', wnd));
    EXPECT_TRUE(list->WindowProc == original);
    EXPECT_EQ(list->ControlStyle().Contains(csOpaque), opaque) << "its own style is back";
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, system.right);

    // Freed by its owner: the control computes its frame with the system's bars again.
    data.UpdateIndexes(true);
    RefreshScrolls(&data, sw);
    ASSERT_NE(sw, nullptr);
    delete sw;
    sw = nullptr;
    EXPECT_TRUE(list->WindowProc == original);
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, system.right);

    // Nothing while the control is going.
    FlatCalls().clear();
    list->Destroying();
    RefreshScrolls(&data, sw);
    EXPECT_EQ(sw, nullptr);
    EXPECT_TRUE(FlatCalls().empty());
}

// Skin data a skinned list box owns, made and freed around the control in either order, with or
// without its scrolling wrapper: nothing it leaves behind may reach a control made afterwards.
TEST_F(ScrollWndTest, ScrollDataAroundAFrameworkControlLeavesNothingBehind)
{
    for (const bool wrapped : {false, true}) {
        for (const bool dataFirst : {true, false}) {
            SCOPED_TRACE(std::string(wrapped ? "wrapped, " : "") + (dataFirst ? "data freed first" : "control freed first"));
            TForm* form = NewForm(420, 300);
            form->Show();
            TListBox* list = ListWithBars(form);
            const HWND wnd = list->Handle();
            auto data = std::make_unique<TsScrollWndData>(list, true);
            data->SetSkinManager(manager.get());
            data->SetSkinSection(L"EDIT");
            data->UpdateIndexes(true);
            ASSERT_TRUE(data->Skinned());
            EXPECT_EQ(GetCommonData(wnd), data.get());
            TacScrollWnd* sw = nullptr;
            if (wrapped) {
                RefreshScrolls(data.get(), sw);
                ASSERT_NE(sw, nullptr);
            }
            EXPECT_EQ(SendAMessage(list, AC_GETSKININDEX), 0);
            if (dataFirst) {
                UninitializeACScroll(wnd, true, false, sw);
                // As when the owner frees it from its destructor: the control is going, its
                // window is still there.
                list->Destroying();
                data.reset();
                EXPECT_EQ(GetPropW(wnd, L"ACSDATA"), nullptr) << "no property naming a freed object";
                delete list;
            } else {
                delete list;
                EXPECT_EQ(data->FOwnerControl, nullptr);
                EXPECT_EQ(data->FOwnerObject, nullptr);
                EXPECT_FALSE(data->WndProc) << "no method of the freed control";
                UninitializeACScroll(nullptr, true, false, sw);
                data.reset();
            }
            auto* edit = new TEdit(form);
            edit->SetParent(form);
            edit->SetBounds(10, 10, 120, 24);
            edit->Show();
            edit->SetText(L"after");
            EXPECT_EQ(GetCommonData(edit->Handle()), nullptr);
            EXPECT_EQ(SendAMessage(edit, AC_GETSKININDEX), 0);
            RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Application->ProcessMessages();
            delete form;
        }
    }
}

TEST_F(ScrollWndTest, AWrapperLeavingWithoutItsManagerLeavesTheDataNoMethodOfItsOwn)
{
    // The wrapper gives nothing back without a manager; its relay goes anyway, so skin data it
    // does not own must not keep the relay's method.
    TForm* form = NewForm(420, 300);
    form->Show();
    TListBox* list = ListWithBars(form);
    list->HandleNeeded();
    const TWndMethod original = list->WindowProc;
    auto data = std::make_unique<TsScrollWndData>(list, true);
    data->SetSkinManager(manager.get());
    data->SetSkinSection(L"EDIT");
    data->UpdateIndexes(true);
    TacScrollWnd* sw = nullptr;
    RefreshScrolls(data.get(), sw);
    ASSERT_NE(sw, nullptr);
    ASSERT_FALSE(data->WndProc == original) << "the wrapper's relay stands in the data";
    sw->SkinManager = nullptr;
    delete sw;
    EXPECT_TRUE(list->WindowProc == original);
    EXPECT_TRUE(data->WndProc == original);
    data.reset();
    delete form;
}

TEST_F(ScrollWndTest, PrepareCacheCommandPaintsTheCacheOfTheWindow)
{
    for (const bool base : {false, true}) {
        SCOPED_TRACE(base ? "TacBaseWnd" : "TacScrollWnd");
        Wrapped w(manager.get(), nullptr, WS_HSCROLL | WS_VSCROLL);
        if (base)
            w.Wrap();
        else
            w.sw = CreateWrapper<TacScrollWnd>(w.Handle, w.Data.get(), manager.get(), TacSkinParams(), true);
        ASSERT_NE(w.sw, nullptr);
        w.Data->BGChanged = true;
        w.Command(AC_PREPARECACHE);
        const TRect window = WindowRect(w.Handle);
        EXPECT_FALSE(w.Data->BGChanged);
        ASSERT_TRUE(w.Data->FCacheBmp);
        EXPECT_EQ(w.Data->FCacheBmp->Width(), window.Width());
        EXPECT_EQ(w.Data->FCacheBmp->Height(), window.Height());
    }
}

// A bar click whose window loses the capture without a button-up, or goes, ends there: the
// window hears the scroll end, and the mouse of another wrapped window is its own again.
TEST_F(ScrollWndTest, ABarClickEndsWhenItsWindowLosesTheCaptureOrGoes)
{
    struct Case {
        const char* Name;
        bool Thumb;   // a thumb drag, else an arrow click
        bool Destroy; // the window goes, else another window takes the capture
    };
    const Case cases[] = {
        {"arrow, capture taken", false, false},
        {"thumb drag, capture taken", true, false},
        {"arrow, window destroyed", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Wrapped a(manager.get(), nullptr, WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE, RECT{10, 10, 180, 140});
        Wrapped b(manager.get(), nullptr, WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE, RECT{10, 10, 180, 140}, 0, 24,
                  RECT{460, 40, 700, 240});
        for (Wrapped* w : {&a, &b}) {
            SetBar(w->Handle, SB_VERT, 99, 20, 0);
            SetBar(w->Handle, SB_HORZ, 99, 20, 0);
            w->Wrap();
        }
        const TRect v = a.ScreenRect(SB_VERT);
        int thumbSize = 0, thumbTop = 0;
        CalcThumbSize(a.Bar(SB_VERT), v, thumbSize, thumbTop);
        const int x = v.Left + v.Width() / 2;
        const int y = c.Thumb ? thumbTop + 2 : v.Bottom - GetScrollMetric(a.Bar(SB_VERT), false) / 2;
        SetCursorPos(x, y);
        SendMessageW(a.Handle, WM_NCLBUTTONDOWN, HTVSCROLL, At(x, y));
        ASSERT_EQ(GetCapture(), a.Handle);
        ASSERT_EQ(a.sw->fThumbTracking, c.Thumb);
        if (c.Thumb) SendMessageW(a.Handle, WM_MOUSEMOVE, MK_LBUTTON, a.ClientAt(x, y + 20));
        a.Recorder->Log.Clear();
        if (c.Destroy) {
            DestroyWindow(a.Handle);
        } else {
            SetCapture(b.Parent().Handle());
            ReleaseCapture();
            const auto ended = [&](WORD code) {
                return a.Recorder->Log.CountIf([&](const RecordedMessage& m) {
                    return m.Msg == WM_VSCROLL && LOWORD(m.WParam) == code;
                });
            };
            EXPECT_EQ(ended(SB_ENDSCROLL), 1);
            EXPECT_EQ(ended(SB_THUMBPOSITION), c.Thumb ? 1 : 0);
            EXPECT_FALSE(a.sw->fThumbTracking);
        }
        EXPECT_EQ(ScrollTracking.ClickedPortion, HTSCROLL_NONE);
        const TRect client = b.ClientOnScreen();
        b.Recorder->Log.Clear();
        SendMessageW(b.Handle, WM_MOUSEMOVE, 0, b.ClientAt(client.Left + 10, client.Top + 10));
        EXPECT_EQ(b.Recorder->Log.Count(WM_MOUSEMOVE), 1) << "the other window's mouse is not swallowed";
    }
}
