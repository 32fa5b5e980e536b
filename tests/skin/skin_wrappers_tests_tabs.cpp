// The tab control, page and up-down wrappers on Wine's "SysTabControl32" and "msctls_updown32":
// tab geometry for the four positions, the frame and tabs painted from the house skin, side
// captions turned, pages showing the tab control's background, and the up-down buttons' states.
#include "skin_graphics_test_units.h"
#include "skin_images_test_effects.h"
#include "skin_wrappers_test_sbwnd.h"

#include "acSBUtilsSpin.h"
#include "acSBUtilsTabs.h"
#include "sAlphaGraph.h"
#include "sSkinManager.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace {

namespace hs = house_skin;

constexpr DWORD kPositionStyles[4] = {0, TCS_BOTTOM, TCS_VERTICAL, TCS_VERTICAL | TCS_RIGHT};
const char* const kPositionNames[4] = {"top", "bottom", "left", "right"};

class TabsTest : public SkinnedFormTest {
protected:
    TabsTest() { tabsAndUpDown = true; }
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&icc);
        SkinnedFormTest::SetUp();
    }
    void TearDown() override
    {
        acFreePageWndList();
        SkinnedFormTest::TearDown();
        for (HWND h : windows)
            if (IsWindow(h)) DestroyWindow(h);
    }
    HWND Tabs(DWORD style, int count, int width = 240, int height = 160)
    {
        HWND h = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 20, 20, width,
                                 height, form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        windows.push_back(h);
        for (int i = 0; i < count; ++i) {
            std::wstring text = L"Tab " + std::to_wstring(i + 1);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text.data();
            SendMessageW(h, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
        if (count > 1) SendMessageW(h, TCM_SETCURSEL, 1, 0);
        return h;
    }
    TacSkinData* Skin() { return manager->CommonSkinData(); }
    std::vector<HWND> windows;
};

// ---------------------------------------------------------------------------------------------
// Geometry

TEST_F(TabsTest, PositionAndStyleComeFromTheWindowStyle)
{
    const struct {
        DWORD style;
        int position, tabStyle;
    } rows[] = {
        {0, 0, 0}, {TCS_BOTTOM, 1, 0}, {TCS_VERTICAL, 2, 0}, {TCS_VERTICAL | TCS_RIGHT, 3, 0},
        {TCS_BUTTONS, 0, 1}, {TCS_BUTTONS | TCS_FLATBUTTONS, 0, 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.style);
        HWND h = Tabs(r.style | (r.style & TCS_VERTICAL ? TCS_MULTILINE : 0), 2);
        EXPECT_EQ(acTabPosition(h), r.position);
        EXPECT_EQ(acTabStyle(h), r.tabStyle);
    }
}

TEST_F(TabsTest, SkinTabRectGrowsEachPositionsTabsItsOwnWay)
{
    // Deltas of left, top, right, bottom from the item rectangle.
    struct Row {
        int position;
        bool active;
        int l, t, r, b;
    };
    const Row rows[] = {
        {0, false, 0, 0, -1, 4},   {0, true, -2, -2, 2, 2},  {1, false, 0, -2, -1, 0}, {1, true, -2, -3, 2, 1},
        {2, false, 0, -1, 3, 0},   {2, true, -1, -2, 3, 1},  {3, false, -2, -1, -1, 0}, {3, true, -3, -2, 1, 2},
    };
    for (int covering : {0, 1}) {
        Skin()->TabsCovering = static_cast<std::uint8_t>(covering);
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << kPositionNames[row.position] << (row.active ? " active" : " normal")
                                            << " covering " << covering);
            HWND h = Tabs(kPositionStyles[row.position] | (row.position >= 2 ? TCS_MULTILINE : 0), 3);
            auto* w = Wrap<TacTabControlWnd>(h, nullptr, L"PAGECONTROL");
            const TRect item = w->TabRect(0);
            TRect expected(item.Left + row.l, item.Top + row.t, item.Right + row.r, item.Bottom + row.b);
            if (row.position >= 2)
                expected.Bottom += 2 * covering;
            else
                expected.Right += 2 * covering;
            EXPECT_EQ(w->SkinTabRect(0, row.active), expected);
            EXPECT_EQ(w->SkinTabRect(7, row.active), TRect()) << "no such tab";
        }
    }
    // Buttons are painted at their plain item rectangles.
    auto* buttons = Wrap<TacTabControlWnd>(Tabs(TCS_BUTTONS, 3), nullptr, L"PAGECONTROL");
    EXPECT_EQ(buttons->SkinTabRect(0, true), buttons->TabRect(0));
    EXPECT_EQ(buttons->SkinTabRect(1, false), buttons->TabRect(1));
}

TEST_F(TabsTest, PageAndTabsRectsMeetAtTheClientRectOfEachPosition)
{
    for (int p = 0; p < 4; ++p) {
        SCOPED_TRACE(kPositionNames[p]);
        auto* w = Wrap<TacTabControlWnd>(Tabs(kPositionStyles[p] | (p >= 2 ? TCS_MULTILINE : 0), 3), nullptr, L"PAGECONTROL");
        RECT adjusted{0, 0, 240, 160};
        SendMessageW(w->CtrlHandle, TCM_ADJUSTRECT, 0, reinterpret_cast<LPARAM>(&adjusted));
        const TRect client = w->ClientRect();
        EXPECT_EQ(client.Top, adjusted.top + 2);
        EXPECT_EQ(client.Left, adjusted.left);
        const TRect page = w->PageRect(), tabs = w->TabsRect();
        switch (p) {
        case 0: EXPECT_EQ(page.Top, client.Top - 4); EXPECT_EQ(tabs.Bottom, client.Top - 4); break;
        case 1: EXPECT_EQ(page.Bottom, client.Bottom + 2); EXPECT_EQ(tabs.Top, client.Bottom + 2); break;
        case 2: EXPECT_EQ(page.Left, client.Left - 1); EXPECT_EQ(tabs.Right, client.Left - 1); break;
        default: EXPECT_EQ(page.Right, client.Right + 1); EXPECT_EQ(tabs.Left, client.Right + 1); break;
        }
    }
    auto* empty = Wrap<TacTabControlWnd>(Tabs(0, 0), nullptr, L"PAGECONTROL");
    EXPECT_EQ(empty->PageRect(), TRect(0, 0, 240, 160));
    EXPECT_EQ(empty->TabsRect(), TRect(0, 0, 240, 160));
}

TEST_F(TabsTest, RowsCountFromTheRowFarthestFromThePage)
{
    auto* single = Wrap<TacTabControlWnd>(Tabs(0, 3), nullptr, L"PAGECONTROL");
    EXPECT_EQ(single->TabRow(2), 1);
    auto* w = Wrap<TacTabControlWnd>(Tabs(TCS_MULTILINE, 12, 160, 200), nullptr, L"PAGECONTROL");
    const int rows = w->RowCount();
    ASSERT_GE(rows, 2);
    std::vector<int> seen;
    for (int i = 0; i < w->TabCount(); ++i) {
        const int row = w->TabRow(i);
        EXPECT_GE(row, 1);
        EXPECT_LE(row, rows);
        for (int j = 0; j < i; ++j)
            if (w->TabRect(j).Top < w->TabRect(i).Top) {
                EXPECT_LT(w->TabRow(j), row) << j << " above " << i;
            }
        seen.push_back(row);
    }
    EXPECT_EQ(*std::max_element(seen.begin(), seen.end()), rows);
}

// ---------------------------------------------------------------------------------------------
// Painting

TEST_F(TabsTest, FrameOfThePositionsSectionAndTheSelectedTabOnTop)
{
    const wchar_t* pngs[4] = {L"tabs_top.png", L"tabs_bottom.png", L"tabs_left.png", L"tabs_right.png"};
    for (int p = 0; p < 4; ++p) {
        SCOPED_TRACE(kPositionNames[p]);
        auto* w = Wrap<TacTabControlWnd>(Tabs(kPositionStyles[p] | (p >= 2 ? TCS_MULTILINE : 0), 3), nullptr, L"PAGECONTROL");
        auto cap = PrintCapture(w->CtrlHandle);
        SaveEnlargedPng(*cap, pngs[p], 2);
        EXPECT_EQ(w->SkinData->SkinSection(), L"PAGECONTROL");
        EXPECT_EQ(manager->CommonSkinData()->gd[static_cast<size_t>(w->SkinData->SkinIndex)].ClassName,
                  UnicodeString(L"PAGECONTROL") + UnicodeString(sTabPositions[static_cast<size_t>(p)]));
        const TRect page = w->PageRect();
        const TPoint centre((page.Left + page.Right) / 2, (page.Top + page.Bottom) / 2);
        EXPECT_EQ(CapturePixel(*cap, centre.X, centre.Y), TColor(hs::kPageControl[static_cast<size_t>(p)]));
        const TRect selected = w->SkinTabRect(1, true), normal = w->SkinTabRect(0, false);
        const TColor selectedInk = CapturePixel(*cap, selected.Left + 3, selected.Top + 3);
        const TColor normalInk = CapturePixel(*cap, normal.Left + 3, normal.Top + 3);
        if (p > 0) {
            EXPECT_EQ(selectedInk, TColor(hs::kSideTab[2]));
            EXPECT_EQ(normalInk, TColor(hs::kSideTab[0]));
        } else {
            EXPECT_NE(selectedInk, normalInk) << "the selected tab has its own state";
            // Painted last, but never over the page below it.
            EXPECT_EQ(CapturePixel(*cap, (selected.Left + selected.Right) / 2, page.Top + 1), TColor(hs::kPageControl[0]));
        }
    }
}

TEST_F(TabsTest, WithoutTabsTheWholeWindowIsTransparent)
{
    auto* w = Wrap<TacTabControlWnd>(Tabs(0, 0), nullptr, L"PAGECONTROL");
    auto cap = PrintCapture(w->CtrlHandle);
    EXPECT_EQ(manager->CommonSkinData()->gd[static_cast<size_t>(w->SkinData->SkinIndex)].ClassName, UnicodeString(L"TRANSPARENT"));
    for (std::uint32_t c : hs::kPageControl) EXPECT_EQ(CountColor(*cap, TRect(0, 0, 240, 160), TColor(c)), 0);
}

// The column of the ink's box with the most ink: the glyph tops of "TTTT" turned sideways.
int DensestInkColumn(TBitmap& cap, const TRect& r, TColor ink, TRect& box)
{
    box = TRect(r.Right, r.Bottom, r.Left, r.Top);
    int best = -1, bestCount = 0;
    for (int x = r.Left; x < r.Right; ++x) {
        const int n = CountColor(cap, TRect(x, r.Top, x + 1, r.Bottom), ink);
        if (n == 0) continue;
        box.Left = std::min<int>(box.Left, x);
        box.Right = std::max<int>(box.Right, x + 1);
        for (int y = r.Top; y < r.Bottom; ++y)
            if (CapturePixel(cap, x, y) == ink) {
                box.Top = std::min<int>(box.Top, y);
                box.Bottom = std::max<int>(box.Bottom, y + 1);
            }
        if (n > bestCount) {
            bestCount = n;
            best = x;
        }
    }
    return best;
}

TEST_F(TabsTest, SideCaptionsRunUpwardOnTheLeftAndDownwardOnTheRight)
{
    for (int p : {2, 3}) {
        SCOPED_TRACE(kPositionNames[p]);
        HWND h = Tabs(kPositionStyles[p] | TCS_MULTILINE, 0, 240, 200);
        std::wstring text = L"TTTT";
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageW(h, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SendMessageW(h, TCM_INSERTITEMW, 1, reinterpret_cast<LPARAM>(&item));
        SendMessageW(h, TCM_SETCURSEL, 1, 0);
        auto* w = Wrap<TacTabControlWnd>(h, nullptr, L"PAGECONTROL");
        auto cap = PrintCapture(h);
        SaveEnlargedPng(*cap, p == 2 ? L"tabs_left_caption.png" : L"tabs_right_caption.png", 3);
        TRect box;
        const int densest = DensestInkColumn(*cap, w->SkinTabRect(0, false), TColor(hs::kSideTabText[0]), box);
        ASSERT_GE(densest, 0) << "the caption is written in the tab's font colour";
        EXPECT_GT(box.Height(), box.Width()) << "the ink runs vertically";
        if (p == 2)
            EXPECT_LT(densest - box.Left, box.Right - densest) << "glyph tops face left";
        else
            EXPECT_GT(densest - box.Left, box.Right - densest) << "glyph tops face right";
    }
}

TEST_F(TabsTest, ASingleRowThatOverflowsGetsItsArrowsWrapped)
{
    auto* w = Wrap<TacTabControlWnd>(Tabs(0, 3, 240), nullptr, L"PAGECONTROL");
    EXPECT_EQ(w->BtnSW, nullptr);
    for (int i = 3; i < 14; ++i) {
        std::wstring text = L"Another tab " + std::to_wstring(i);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageW(w->CtrlHandle, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    SetWindowPos(w->CtrlHandle, nullptr, 0, 0, 230, 160, SWP_NOMOVE | SWP_NOZORDER);
    HWND upDown = FindWindowExW(w->CtrlHandle, nullptr, UPDOWN_CLASSW, nullptr);
    ASSERT_NE(upDown, nullptr);
    ASSERT_NE(w->BtnSW, nullptr);
    EXPECT_EQ(w->BtnSW->CtrlHandle, upDown);
    EXPECT_EQ(w->BtnSW->SkinData->SkinSection(), L"UPDOWNBTN");
    TacSpinWnd* first = w->BtnSW.get();
    w->CheckUpDown();
    EXPECT_EQ(w->BtnSW.get(), first) << "not wrapped again";
    DestroyWindow(upDown);
    w->CheckUpDown();
    EXPECT_EQ(w->BtnSW, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Pages

TEST_F(TabsTest, ChildrenOfAForeignTabControlBecomePagesWithItsBackground)
{
    HWND h = Tabs(0, 2);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 40, 100, 60, h, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    auto* w = Wrap<TacPageControlWnd>(h, nullptr, L"PAGECONTROL");
    w->InitPages();
    ASSERT_EQ(acPageWndList().size(), 1u);
    EXPECT_EQ(acPageWndList()[0]->CtrlHandle, child);
    EXPECT_EQ(acPageWndList()[0]->Page, nullptr);
    w->InitPages();
    EXPECT_EQ(acPageWndList().size(), 1u) << "a wrapped child answers that it is handled";
    auto cap = PrintCapture(child);
    EXPECT_EQ(CapturePixel(*cap, 50, 30), TColor(hs::kPageControl[0])) << "a foreign page is filled too";
}

TEST_F(TabsTest, FrameworkPagesAreWrappedWithTheirPage)
{
    auto* pc = new TPageControl(form);
    pc->SetParent(form);
    pc->SetBounds(10, 10, 300, 200);
    for (int i = 0; i < 2; ++i) {
        auto* sheet = new TTabSheet(pc);
        sheet->SetPageControl(pc);
        sheet->SetCaption(L"Sheet");
        sheet->HandleNeeded();
    }
    auto* w = Wrap<TacPageControlWnd>(pc->Handle(), pc, L"PAGECONTROL");
    ASSERT_EQ(acPageWndList().size(), 2u);
    EXPECT_EQ(acPageWndList()[0]->Page, pc->Pages(0));
    EXPECT_EQ(acPageWndList()[1]->Page, pc->Pages(1));
    pc->SetActivePageIndex(0);
    auto cap = PrintCapture(pc->Pages(0)->Handle());
    EXPECT_EQ(CapturePixel(*cap, cap->Width() / 2, cap->Height() / 2), TColor(hs::kPageControl[0]));
    (void)w;
}

// ---------------------------------------------------------------------------------------------
// Up-down

class UpDownTest : public TabsTest {
protected:
    TacSpinWnd* Spin(DWORD style, int w = 20, int h = 40)
    {
        HWND u = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | style, 300, 40, w, h, form->Handle(),
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        windows.push_back(u);
        return Wrap<TacSpinWnd>(u, nullptr, L"SPEEDBUTTON_SMALL");
    }
    TFakePointerScope pointer;
};

TEST_F(UpDownTest, ButtonStatesFollowThePointerAndThePress)
{
    struct Row {
        const char* what;
        DWORD style;
        bool rtl, pressed;
        int x, y; // in the window
        int btn1, btn2;
    };
    const Row rows[] = {
        {"vertical, upper", 0, false, false, 10, 5, 1, 0},
        {"vertical, upper pressed", 0, false, true, 10, 5, 2, 0},
        {"vertical, lower", 0, false, false, 10, 35, 0, 1},
        {"vertical, lower pressed", 0, false, true, 10, 35, 0, 2},
        {"vertical, outside", 0, false, true, 60, 5, 0, 0},
        {"horizontal, left", UDS_HORZ, false, false, 5, 10, 1, 0},
        {"horizontal, right pressed", UDS_HORZ, false, true, 35, 10, 0, 2},
        {"right-to-left, left half is the second", UDS_HORZ, true, false, 5, 10, 0, 1},
        {"right-to-left, right half is the first", UDS_HORZ, true, true, 35, 10, 2, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const bool horz = (r.style & UDS_HORZ) != 0;
        TacSpinWnd* w = Spin(r.style, horz ? 40 : 20, horz ? 20 : 40);
        if (r.rtl) w->SetRTL(true);
        w->bMousePressed = r.pressed;
        RECT wr{};
        GetWindowRect(w->CtrlHandle, &wr);
        w->UpdateStates(TPoint(wr.left + r.x, wr.top + r.y));
        EXPECT_EQ(w->Btn1State, r.btn1);
        EXPECT_EQ(w->Btn2State, r.btn2);
    }
}

TEST_F(UpDownTest, ButtonsArePaintedInTheirStatesFromThePointer)
{
    for (DWORD style : {DWORD{0}, DWORD{UDS_HORZ}}) {
        const bool horz = style != 0;
        SCOPED_TRACE(horz ? "horizontal" : "vertical");
        TacSpinWnd* w = Spin(style, horz ? 40 : 20, horz ? 20 : 40);
        RECT wr{};
        GetWindowRect(w->CtrlHandle, &wr);
        gFakePointer = POINT{wr.left + 4, wr.top + 4};
        auto cap = PrintCapture(w->CtrlHandle);
        SaveEnlargedPng(*cap, horz ? L"updown_horizontal.png" : L"updown_vertical.png", 4);
        EXPECT_EQ(CapturePixel(*cap, 1, 1), TColor(hs::kUpDownBtn[1])) << "first button hot";
        EXPECT_EQ(CapturePixel(*cap, cap->Width() - 2, cap->Height() - 2), TColor(hs::kUpDownBtn[0]));
        // The arrows in the buttons' font colours.
        const TRect first = horz ? TRect(0, 0, 20, 20) : TRect(0, 0, 20, 20);
        const TRect second = horz ? TRect(20, 0, 40, 20) : TRect(0, 20, 20, 40);
        EXPECT_GT(CountPixels(*cap, first, [](TColor c) { return Near(c, TColor(hs::kUpDownArrow[1]), 40); }), 0);
        EXPECT_GT(CountPixels(*cap, second, [](TColor c) { return Near(c, TColor(hs::kUpDownArrow[0]), 40); }), 0);
        gFakePointer = POINT{0, 0};
        auto away = PrintCapture(w->CtrlHandle);
        EXPECT_EQ(CapturePixel(*away, 1, 1), TColor(hs::kUpDownBtn[0])) << "both normal outside";
    }
}

TEST_F(UpDownTest, LeftOffsetLeavesItsColumnsUnpaintedAndArrowsWithoutFontAreBlack)
{
    TacSpinWnd* w = Spin(0);
    w->lOffset = 2;
    TBitmap bmp(20, 40, pf32bit);
    FillRect32(&bmp, TRect(0, 0, 20, 40), clWhite, 0xFF);
    SendMessageW(w->CtrlHandle, WM_PRINT, reinterpret_cast<WPARAM>(bmp.Canvas()->Handle()), PRF_CLIENT);
    EXPECT_EQ(CountColor(bmp, TRect(0, 0, 2, 40), clWhite), 80);
    EXPECT_EQ(CapturePixel(bmp, 3, 1), TColor(hs::kUpDownBtn[0]));

    // A skin without the up-down sections: no font index, black arrows.
    TacSkinData* skin = Skin();
    const auto saved = skin->UpDownBtns;
    for (auto& e : skin->UpDownBtns) e.SkinIndex = -1;
    auto cap = PrintCapture(w->CtrlHandle);
    skin->UpDownBtns = saved;
    EXPECT_GT(CountColor(*cap, TRect(2, 0, 20, 20), TColor(0)), 0);
    EXPECT_EQ(CountColor(*cap, TRect(2, 0, 20, 40), TColor(hs::kUpDownArrow[0])), 0);
}

TEST_F(UpDownTest, AMirroredOwnersUpDownStaysAtTheLeftEdge)
{
    const struct {
        bool owner, rtl;
        int x;
    } rows[] = {{false, false, 50}, {true, false, 50}, {false, true, 50}, {true, true, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "owner " << r.owner << " rtl " << r.rtl);
        TacSpinWnd* w = Spin(0);
        if (r.owner) w->OwnerWnd = form;
        w->RTL = r.rtl;
        SetWindowPos(w->CtrlHandle, nullptr, 50, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT wr{};
        GetWindowRect(w->CtrlHandle, &wr);
        MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&wr), 2);
        EXPECT_EQ(wr.left, r.x);
    }
}

} // namespace

namespace {

TEST_F(TabsTest, AnOwnerDrawHandlerThatChangesTheFontGetsTheTextInIt)
{
    const TColor own = static_cast<TColor>(0x00C000C0);
    for (bool changesFont : {false, true}) {
        SCOPED_TRACE(changesFont ? "font changed" : "colour only");
        auto* pc = new TPageControl(form);
        pc->SetParent(form);
        pc->SetBounds(10, 10, 300, 200);
        pc->SetOwnerDraw(true);
        int calls = 0;
        pc->OnDrawTab = [&](TPageControl* control, int, const TRect&, bool) {
            ++calls;
            control->Canvas()->Font()->SetColor(own);
            if (changesFont) control->Canvas()->Font()->SetStyle(TFontStyles{fsBold});
        };
        auto* sheet = new TTabSheet(pc);
        sheet->SetPageControl(pc);
        sheet->SetCaption(L"Owner drawn");
        auto* w = Wrap<TacPageControlWnd>(pc->Handle(), pc, L"PAGECONTROL");
        auto cap = PrintCapture(pc->Handle());
        EXPECT_GT(calls, 0);
        const TRect tab = w->SkinTabRect(0, true);
        EXPECT_EQ(CountColor(*cap, tab, own) > 0, changesFont);
    }
}

} // namespace

namespace {

TEST_F(TabsTest, ASelectionByCodeIsMadeWithRedrawingHeldOff)
{
    HWND h = Tabs(0, 3);
    RecordingSubclass recorder(h);
    Wrap<TacTabControlWnd>(h, nullptr, L"PAGECONTROL");
    recorder.Log.Clear();
    SendMessageW(h, TCM_SETCURSEL, 2, 0);
    EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 2);
    // Off, the selection, on again: in that order.
    int step = 0;
    recorder.Log.CountIf([&](const RecordedMessage& m) {
        if (step == 0 && m.Msg == WM_SETREDRAW && m.WParam == 0) step = 1;
        else if (step == 1 && m.Msg == TCM_SETCURSEL) step = 2;
        else if (step == 2 && m.Msg == WM_SETREDRAW && m.WParam == 1) step = 3;
        return false;
    });
    EXPECT_EQ(step, 3);
}

} // namespace
