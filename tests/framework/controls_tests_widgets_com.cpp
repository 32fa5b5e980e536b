// Status bar, page control with tab sheets, month calendar.
#include "controls_tests_widgets_support.h"

#include <vector>

namespace {

UnicodeString StatusText(HWND bar, int part)
{
    const LRESULT info = SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    UnicodeString text(LOWORD(info) + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(LOWORD(info));
    return text;
}

UnicodeString TabText(HWND tabs, int index)
{
    wchar_t buffer[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = 64;
    SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

// The notification a tab control sends its parent when the user picks a tab.
LRESULT NotifyParent(TWinControl* control, UINT code)
{
    NMHDR header{control->Handle(), static_cast<UINT_PTR>(GetDlgCtrlID(control->Handle())), code};
    return SendMessageW(GetParent(control->Handle()), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

TEST_F(WidgetsTest, StatusBarPanelsBecomeTheWindowsParts)
{
    TForm* form = ShownForm(900, 200);
    auto* bar = new TStatusBar(form);
    // Panels made before the window exists.
    const wchar_t* texts[] = {L"Disconnect", L"IP:", L"Port:", L"offene Verbindungen:", L"Verbindungen pro Tag:"};
    const int widths[] = {200, 150, 160, 180, 230};
    for (int i = 0; i < 5; ++i) {
        TStatusPanel* panel = bar->Panels()->Add();
        panel->SetText(texts[i]);
        panel->SetWidth(widths[i]);
    }
    bar->SetParent(form);
    HWND h = bar->Handle();
    EXPECT_EQ(bar->Align(), alBottom);
    EXPECT_EQ(bar->Top() + bar->Height(), form->ClientHeight());
    EXPECT_EQ(bar->Width(), form->ClientWidth());

    int edges[8] = {};
    ASSERT_EQ(SendMessageW(h, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 5);
    EXPECT_EQ(edges[0], 200);
    EXPECT_EQ(edges[1], 350);
    EXPECT_EQ(edges[3], 690);
    EXPECT_EQ(edges[4], -1) << "the last panel reaches the right edge";
    for (int i = 0; i < 5; ++i) EXPECT_EQ(StatusText(h, i), texts[i]);

    // Texts change while the window exists.
    bar->Panels()->Items(1)->SetText(L"Server activ");
    bar->Panels()->Items(2)->SetText(L"listen on Port: 23");
    bar->Repaint();
    EXPECT_EQ(StatusText(h, 1), L"Server activ");
    EXPECT_EQ(StatusText(h, 2), L"listen on Port: 23");
    bar->Panels()->Items(0)->SetWidth(100);
    SendMessageW(h, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges));
    EXPECT_EQ(edges[0], 100);
    EXPECT_EQ(edges[1], 250);

    // A recreated window gets its panels again.
    bar->SetSizeGrip(false);
    ASSERT_NE(bar->Handle(), h);
    EXPECT_EQ(StatusText(bar->Handle(), 4), L"Verbindungen pro Tag:");

    bar->SetSimpleText(L"simple");
    bar->SetSimplePanel(true);
    EXPECT_TRUE(SendMessageW(bar->Handle(), SB_ISSIMPLE, 0, 0));
    EXPECT_THROW(bar->Panels()->Items(5), EListError);
}

class PageControlTest : public WidgetsTest {
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        form = ShownForm(500, 360);
        pages = new TPageControl(form);
        pages->SetParent(form);
        pages->SetBounds(10, 10, 460, 300);
        const wchar_t* captions[] = {L"GW-Status", L"Verbindungs Status LOG", L"RAW Import", L"Statistik"};
        for (int i = 0; i < 4; ++i) {
            sheets[i] = new TTabSheet(form);
            sheets[i]->SetCaption(captions[i]);
            sheets[i]->SetPageControl(pages);
        }
    }

    TForm* form = nullptr;
    TPageControl* pages = nullptr;
    TTabSheet* sheets[4] = {};
};

TEST_F(PageControlTest, HiddenTabIsNotShownAndItsPageCannotBeActivated)
{
    HWND h = pages->Handle();
    EXPECT_EQ(pages->PageCount(), 4);
    EXPECT_EQ(pages->ActivePage(), sheets[0]) << "the first page becomes active";
    EXPECT_TRUE(IsWindowVisible(sheets[0]->Handle()));

    sheets[2]->SetTabVisible(false);
    EXPECT_EQ(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(TabText(h, 2), L"Statistik");
    EXPECT_EQ(sheets[2]->TabIndex(), -1);
    EXPECT_EQ(sheets[3]->TabIndex(), 2);
    EXPECT_EQ(sheets[3]->PageIndex(), 3);

    pages->SetActivePage(sheets[2]);
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    pages->SetActivePageIndex(2);
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_FALSE(sheets[2]->Visible());

    // The page of a tab being hidden hands over to the next one.
    pages->SetActivePage(sheets[1]);
    sheets[1]->SetTabVisible(false);
    EXPECT_EQ(pages->ActivePage(), sheets[3]);
    EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 1);
    sheets[1]->SetTabVisible(true);
    sheets[2]->SetTabVisible(true);
    EXPECT_EQ(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(pages->ActivePage(), sheets[3]);
    EXPECT_EQ(pages->TabIndex(), 3);
    EXPECT_THROW(pages->Pages(4), EListError);
}

TEST_F(PageControlTest, TabChosenByTheUserShowsItsPageThenFiresOnChange)
{
    sheets[2]->SetTabVisible(false);
    std::vector<UnicodeString> events;
    bool allow = true;
    pages->OnChanging = [&](TObject*, bool& allowChange) {
        events.push_back(L"changing");
        allowChange = allow;
    };
    pages->OnChange = [&](TObject*) { events.push_back(L"change"); };
    TTabSheet* activeDuringShow = nullptr;
    int tabDuringShow = -2;
    sheets[3]->OnShow = [&](TObject*) {
        events.push_back(L"show");
        activeDuringShow = pages->ActivePage();
        tabDuringShow = pages->TabIndex();
    };
    sheets[0]->OnHide = [&](TObject*) { events.push_back(L"hide"); };

    // The user picks the third tab (the statistics page; its page index is 3).
    HWND h = pages->Handle();
    ASSERT_EQ(NotifyParent(pages, TCN_SELCHANGING), FALSE);
    SendMessageW(h, TCM_SETCURSEL, 2, 0);
    NotifyParent(pages, TCN_SELCHANGE);
    EXPECT_EQ(pages->ActivePage(), sheets[3]);
    EXPECT_EQ(pages->ActivePageIndex(), 3);
    EXPECT_EQ(activeDuringShow, sheets[3]);
    EXPECT_EQ(tabDuringShow, 2);
    EXPECT_EQ(events, (std::vector<UnicodeString>{L"changing", L"show", L"hide", L"change"}));
    EXPECT_TRUE(IsWindowVisible(sheets[3]->Handle()));
    EXPECT_FALSE(IsWindowVisible(sheets[0]->Handle()));
    // The page fills the display area.
    RECT display{};
    GetClientRect(h, &display);
    SendMessageW(h, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    EXPECT_EQ(sheets[3]->BoundsRect(), TRect(display));

    // A refused change: the tab control is told to keep its tab.
    allow = false;
    events.clear();
    EXPECT_EQ(NotifyParent(pages, TCN_SELCHANGING), TRUE);
    EXPECT_EQ(events, std::vector<UnicodeString>{L"changing"});

    // Code changes the page without change events.
    events.clear();
    pages->SetActivePageIndex(0);
    EXPECT_TRUE(events.empty()) << "no OnChanging or OnChange";
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 0);
}

TEST_F(PageControlTest, ImagesOrderAndCaptionsReachTheTabs)
{
    TImageList images(form, 16, 16);
    TBitmap frame(16, 16, pf32bit);
    for (int i = 0; i < 3; ++i) images.Add(&frame, nullptr);
    pages->SetImages(&images);
    sheets[1]->SetImageIndex(2);
    HWND h = pages->Handle();
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(h, TCM_GETIMAGELIST, 0, 0)), images.Handle());
    TCITEMW item{};
    item.mask = TCIF_IMAGE;
    SendMessageW(h, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, 2);

    sheets[3]->SetPageIndex(0);
    EXPECT_EQ(pages->Pages(0), sheets[3]);
    EXPECT_EQ(TabText(h, 0), L"Statistik");
    sheets[0]->SetCaption(L"Status");
    EXPECT_EQ(TabText(h, 1), L"Status");

    // A page freed leaves the control; the active one hands over.
    pages->SetActivePage(sheets[1]);
    delete sheets[1];
    EXPECT_EQ(pages->PageCount(), 3);
    EXPECT_NE(pages->ActivePage(), nullptr);
    EXPECT_EQ(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0), 3);
    pages->SetImages(nullptr);
    EXPECT_EQ(SendMessageW(h, TCM_GETIMAGELIST, 0, 0), 0);
}

TEST_F(WidgetsTest, MonthCalendarDateFollowsTheUserAndCode)
{
    TForm* form = ShownForm(400, 300);
    auto* calendar = new TMonthCalendar(form);
    calendar->SetParent(form);
    calendar->SetBounds(10, 10, 240, 180);
    calendar->SetFirstDayOfWeek(dowSunday);
    std::vector<TDateTime> changes;
    calendar->OnChange = [&](TObject*) { changes.push_back(calendar->Date()); };
    calendar->SetDate(EncodeDate(2024, 3, 31) + 0.75);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(calendar->Date(), EncodeDate(2024, 3, 31));
    calendar->SetDate(EncodeDate(2024, 3, 31));
    EXPECT_EQ(changes.size(), 1u) << "the same day is no change";

    HWND h = calendar->Handle();
    EXPECT_EQ(LOWORD(SendMessageW(h, MCM_GETFIRSTDAYOFWEEK, 0, 0)), 6);
    SYSTEMTIME st{};
    SendMessageW(h, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 3);
    EXPECT_EQ(st.wDay, 31);

    // Previous month from the 31st: the last day of February (a leap year).
    calendar->PrevMonth();
    EXPECT_EQ(calendar->Date(), EncodeDate(2024, 2, 29));
    calendar->NextMonth();
    calendar->NextMonth();
    EXPECT_EQ(calendar->Date(), EncodeDate(2024, 4, 29));
    EXPECT_EQ(changes.size(), 4u);
    SendMessageW(h, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
    EXPECT_EQ(st.wMonth, 4);

    // The user selects a day: the window tells its parent.
    SYSTEMTIME picked{2024, 5, 0, 17, 0, 0, 0, 0};
    SendMessageW(h, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&picked));
    NMSELCHANGE change{};
    change.nmhdr = {h, static_cast<UINT_PTR>(GetDlgCtrlID(h)), MCN_SELCHANGE};
    change.stSelStart = picked;
    change.stSelEnd = picked;
    SendMessageW(form->Handle(), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(calendar->Date(), EncodeDate(2024, 5, 17));
    EXPECT_EQ(changes.size(), 5u);
    int clicks = 0;
    calendar->OnClick = [&](TObject*) { ++clicks; };
    change.nmhdr.code = MCN_SELECT;
    SendMessageW(form->Handle(), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(changes.size(), 5u) << "the same day again";

    // The program's style reaches the calendar's colours (at its next painting).
    ASSERT_TRUE(TStyleManager::TrySetStyle(L"Slate Classico"));
    form->SetColor(clBtnFace);
    auto shot = CaptureWindow(form->Handle());
    SaveCapture(*shot, L"calendar");
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(h, MCM_GETCOLOR, MCSC_MONTHBK, 0)), StyledColorToGdi(clWindow));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(h, MCM_GETCOLOR, MCSC_TITLEBK, 0)), StyledColorToGdi(clHighlight));
}

} // namespace
