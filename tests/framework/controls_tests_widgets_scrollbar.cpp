// The stand-alone scroll bar: its window follows its properties, and the user's clicks scroll it
// through the reflected scroll notifications.
#include "controls_tests_widgets_support.h"
#include "../support/UserMouse.h"

#include <vector>

namespace {

SCROLLINFO WindowInfo(HWND window)
{
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(window, SB_CTL, &si);
    return si;
}

TEST_F(WidgetsTest, ScrollBarWindowFollowsItsProperties)
{
    TForm* form = ShownForm();
    auto* bar = new TScrollBar(form);
    EXPECT_EQ(bar->Kind(), sbHorizontal);
    EXPECT_EQ(bar->Width(), 121);
    EXPECT_TRUE(bar->TabStop());
    bar->SetParams(30, 10, 50);
    bar->SetPageSize(5);
    bar->SetParent(form);
    HWND h = bar->Handle();
    wchar_t name[32] = {};
    GetClassNameW(h, name, 32);
    EXPECT_EQ(lstrcmpiW(name, L"ScrollBar"), 0);
    EXPECT_FALSE(GetWindowLongPtrW(h, GWL_STYLE) & SBS_VERT);
    SCROLLINFO si = WindowInfo(h);
    EXPECT_EQ(si.nMin, 10);
    EXPECT_EQ(si.nMax, 50);
    EXPECT_EQ(si.nPage, 5u);
    EXPECT_EQ(si.nPos, 30);

    struct Row {
        const char* what;
        int pos, min, max;
        int expected;
    };
    for (const Row& r : {Row{"below the minimum", -5, 10, 50, 10}, Row{"beyond the last page", 49, 10, 50, 46},
                         Row{"inside", 20, 0, 100, 20}}) {
        bar->SetParams(r.pos, r.min, r.max);
        EXPECT_EQ(bar->Position(), r.expected) << r.what;
        EXPECT_EQ(WindowInfo(h).nPos, r.expected) << r.what;
    }
    EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
    EXPECT_EQ(bar->Max(), 100) << "unchanged after the refusal";
    bar->SetPageSize(500);
    EXPECT_EQ(bar->PageSize(), 101) << "at most the range";

    int changes = 0;
    bar->OnChange = [&](TObject*) { ++changes; };
    bar->SetPageSize(10);
    bar->SetPosition(60);
    bar->SetPosition(60);
    EXPECT_EQ(changes, 1) << "only a new position is a change";

    const int width = bar->Width(), height = bar->Height();
    bar->SetKind(sbVertical);
    EXPECT_EQ(bar->Width(), height);
    EXPECT_EQ(bar->Height(), width);
    EXPECT_TRUE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & SBS_VERT);
    EXPECT_EQ(WindowInfo(bar->Handle()).nPos, 60) << "the new window has the data";
}

TEST_F(WidgetsTest, ScrollBarScrollsWhenTheUserClicksIt)
{
    TForm* form = ShownForm();
    auto* bar = new TScrollBar(form);
    bar->SetBounds(20, 20, 200, GetSystemMetrics(SM_CYHSCROLL));
    bar->SetParams(50, 0, 100);
    bar->SetPageSize(10);
    bar->SetLargeChange(10);
    bar->SetSmallChange(2);
    bar->SetParent(form);
    std::vector<int> codes;
    int changes = 0;
    bar->OnScroll = [&](TObject*, int code, int&) { codes.push_back(code); };
    bar->OnChange = [&](TObject*) { ++changes; };
    const int arrow = GetSystemMetrics(SM_CXHSCROLL);
    const int y = bar->Height() / 2;
    struct Row {
        const char* what;
        int x;
        int code;
        int position;
    };
    for (const Row& r : {Row{"right arrow", 200 - arrow / 2, SB_LINEDOWN, 52}, Row{"left arrow", arrow / 2, SB_LINEUP, 50},
                         Row{"page before the thumb", arrow + 5, SB_PAGEUP, 40}}) {
        codes.clear();
        user_mouse::Click(user_mouse::Screen(bar->Handle(), r.x, y));
        ASSERT_TRUE(PumpUntil([&] { return !codes.empty() && codes.back() == SB_ENDSCROLL; })) << r.what;
        EXPECT_EQ(codes.front(), r.code) << r.what;
        EXPECT_EQ(bar->Position(), r.position) << r.what;
        EXPECT_EQ(WindowInfo(bar->Handle()).nPos, r.position) << r.what;
    }
    EXPECT_EQ(changes, 3);

    // The colour query of the window reaches the control, which answers with its brush.
    HDC dc = GetDC(bar->Handle());
    EXPECT_NE(SendMessageW(form->Handle(), WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(bar->Handle())),
              0);
    ReleaseDC(bar->Handle(), dc);
}

} // namespace
