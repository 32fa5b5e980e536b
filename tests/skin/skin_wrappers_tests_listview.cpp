// The list-view wrapper on Wine's list view and on the framework's: the header painted in report
// view only, columns by state, sort arrows, images and alignments, reordered columns, the list's
// colours set from the skin and given back, thumb drags moving the list, printing with the header,
// and the header's own procedure given back when the skin goes.
#include "skin_wrappers_test_edit.h"

#include "ComCtrls.h"
#include "Forms.h"
#include "sCommonData.h"
#include "sMessages.h"
#include "sSkinManager.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

namespace hs = house_skin;

constexpr COLORREF kRed = RGB(255, 0, 0);

// A 16 x 16 image list with one red image; destroyed with the object.
class RedImages {
public:
    RedImages() : list_(ImageList_Create(16, 16, ILC_COLOR32, 1, 1))
    {
        HDC screen = GetDC(nullptr);
        HBITMAP bmp = CreateCompatibleBitmap(screen, 16, 16);
        HDC dc = CreateCompatibleDC(screen);
        const HGDIOBJ old = SelectObject(dc, bmp);
        HBRUSH red = CreateSolidBrush(kRed);
        const RECT r{0, 0, 16, 16};
        FillRect(dc, &r, red);
        DeleteObject(red);
        SelectObject(dc, old);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        ImageList_Add(list_, bmp, nullptr);
        DeleteObject(bmp);
    }
    ~RedImages() { ImageList_Destroy(list_); }
    RedImages(const RedImages&) = delete;
    RedImages& operator=(const RedImages&) = delete;
    HIMAGELIST Handle() const { return list_; }

private:
    HIMAGELIST list_;
};

struct Column {
    const wchar_t* Text;
    int Width;
    int Format; // HDF_* of the header item
};

void AddColumns(HWND list, const std::vector<Column>& columns)
{
    for (size_t i = 0; i < columns.size(); ++i) {
        std::wstring text = columns[i].Text;
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.cx = columns[i].Width;
        c.pszText = text.data();
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&c));
    }
    // The header's own formats: sort arrows and images are header flags.
    const auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    for (size_t i = 0; i < columns.size(); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        item.fmt = columns[i].Format | HDF_STRING;
        item.iImage = 0;
        SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

void AddItems(HWND list, int count)
{
    for (int i = 0; i < count; ++i) {
        std::wstring text = L"item " + std::to_wstring(i);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = text.data();
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

HWND HeaderOf(HWND list) { return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)); }

TRect ItemRect(HWND header, int item)
{
    RECT r{};
    SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r));
    return TRect(r.left, r.top, r.right, r.bottom);
}

// Pixels of colour c in r of the capture, and their bounding box.
struct Ink {
    int Count = 0;
    TRect Box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    std::vector<int> PerRow; // from Box.Top
};
Ink InkOf(TBitmap& shot, const TRect& r, COLORREF c)
{
    Ink ink;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (PixelOf(shot, x, y) == c) {
                ++ink.Count;
                ink.Box.Left = std::min<int>(ink.Box.Left, x);
                ink.Box.Top = std::min<int>(ink.Box.Top, y);
                ink.Box.Right = std::max<int>(ink.Box.Right, x + 1);
                ink.Box.Bottom = std::max<int>(ink.Box.Bottom, y + 1);
            }
    if (ink.Count)
        for (int y = ink.Box.Top; y < ink.Box.Bottom; ++y) {
            int n = 0;
            for (int x = r.Left; x < r.Right; ++x) n += PixelOf(shot, x, y) == c;
            ink.PerRow.push_back(n);
        }
    return ink;
}

class ListViewWrapperTest : public EditWrapperTest {
protected:
    // A Wine list view of the style with three columns and many items.
    std::unique_ptr<ForeignWrapped> NewList(DWORD view, bool wrap = true, const RECT& bounds = {10, 10, 390, 210})
    {
        auto f = std::make_unique<ForeignWrapped>(WC_LISTVIEWW, view | LVS_SHAREIMAGELISTS, WS_EX_CLIENTEDGE, bounds);
        AddColumns(f->Handle, {{L"Name", 100, HDF_LEFT}, {L"Size", 90, HDF_RIGHT}, {L"Kind", 90, HDF_CENTER}});
        AddItems(f->Handle, 120);
        if (wrap) f->Wrap(&WrapperFactory<TacListViewWnd>, manager.get());
        return f;
    }
    static TacListViewWnd* LV(ForeignWrapped& f) { return dynamic_cast<TacListViewWnd*>(f.sw); }
};

} // namespace

TEST_F(ListViewWrapperTest, OnlyReportViewGetsThePaintedHeader)
{
    struct Case {
        const char* Name;
        DWORD View;
        bool Painted;
    };
    const Case cases[] = {
        {"report", LVS_REPORT, true},
        {"icon", LVS_ICON, false},
        {"small icon", LVS_SMALLICON, false},
        {"list", LVS_LIST, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto f = NewList(c.View);
        TacListViewWnd* lv = LV(*f);
        ASSERT_NE(lv, nullptr);
        const HWND header = HeaderOf(f->Handle);
        EXPECT_EQ(lv->FhWndHeader, header);
        EXPECT_EQ(lv->SkinData->COC, 10);
        EXPECT_EQ(lv->ViewStyle(), c.View == LVS_REPORT ? 3 : c.View == LVS_SMALLICON ? 1 : c.View == LVS_LIST ? 2 : 0);
        ShowWindow(header, SW_SHOWNA); // outside report view the list hides it
        auto shot = CaptureWindow(header);
        SaveCapture(*shot, (L"listview_header_" + std::wstring(c.Name, c.Name + strlen(c.Name))).c_str());
        const TRect first = ItemRect(header, 0);
        RECT client{};
        GetClientRect(header, &client);
        const COLORREF inColumn = PixelOf(*shot, first.Right - 4, first.Top + 2);
        const COLORREF after = PixelOf(*shot, client.right - 3, client.bottom / 2);
        EXPECT_EQ(inColumn == static_cast<COLORREF>(hs::kColHeader[0]), c.Painted);
        EXPECT_EQ(after == static_cast<COLORREF>(hs::kColHeader[0]), c.Painted) << "the area after the last column";
    }
}

TEST_F(ListViewWrapperTest, AHeaderMadeAfterWrappingIsTakenOver)
{
    auto f = std::make_unique<ForeignWrapped>(WC_LISTVIEWW, LVS_REPORT, WS_EX_CLIENTEDGE, RECT{10, 10, 390, 210});
    const HWND existing = HeaderOf(f->Handle);
    f->Wrap(&WrapperFactory<TacListViewWnd>, manager.get());
    TacListViewWnd* lv = LV(*f);
    // Wine makes the header with the list; a list without one gets it through its parent notice.
    if (existing) {
        EXPECT_EQ(lv->FhWndHeader, existing);
        DestroyWindow(existing);
        EXPECT_EQ(lv->FhWndHeader, nullptr) << "a destroyed header is forgotten";
    }
    const HWND made = CreateWindowExW(0, WC_HEADERW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, f->Handle, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    EXPECT_EQ(lv->FhWndHeader, made);
    DestroyWindow(made);
}

// The real pointer goes where the test says the mouse is: the manager takes the hot look away
// from a control the pointer is not over.
TEST_F(ListViewWrapperTest, ColumnsAreHotUnderTheMouseAndPressedByTheButtonButNotOnADivider)
{
    auto f = NewList(LVS_REPORT);
    TacListViewWnd* lv = LV(*f);
    SetWindowPos(f->Parent().Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const HWND header = HeaderOf(f->Handle);
    const TRect c0 = ItemRect(header, 0), c1 = ItemRect(header, 1);
    const auto colours = [&](const char* png) {
        auto shot = CaptureWindow(header);
        SaveCapture(*shot, (L"listview_states_" + std::wstring(png, png + strlen(png))).c_str());
        return std::pair{PixelOf(*shot, c0.Left + 3, c0.Bottom - 3), PixelOf(*shot, c1.Left + 3, c1.Bottom - 3)};
    };
    const auto pointTo = [&](HWND wnd, int x, int y) {
        POINT p{x, y};
        ClientToScreen(wnd, &p);
        SetCursorPos(p.x, p.y);
    };
    using Pair = std::pair<COLORREF, COLORREF>;
    const COLORREF normal = hs::kColHeader[0], hot = hs::kColHeader[1], pressed = hs::kColHeader[2];
    EXPECT_EQ(colours("normal"), Pair(normal, normal));

    pointTo(header, c1.Left + 20, 5);
    ASSERT_TRUE(PumpUntil([&] { return lv->HoverColIndex == 1; }));
    EXPECT_EQ(colours("hot"), Pair(normal, hot));
    pointTo(f->Handle, c1.Left + 20, 80);
    ASSERT_TRUE(PumpUntil([&] { return lv->HoverColIndex == -1; })) << "the mouse over the list";
    EXPECT_EQ(colours("left"), Pair(normal, normal));

    pointTo(header, c1.Left + 20, 5);
    ASSERT_TRUE(PumpUntil([&] { return lv->HoverColIndex == 1; }));
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c1.Left + 20, 5));
    EXPECT_EQ(lv->FPressedColumn, 1);
    EXPECT_EQ(colours("pressed"), Pair(normal, pressed));
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(c1.Left + 20, 5));
    EXPECT_EQ(lv->FPressedColumn, -1);

    pointTo(header, c0.Right - 1, 5);
    ASSERT_TRUE(PumpUntil([&] { return lv->HoverColIndex == -2; })) << "a divider is no column";
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c0.Right - 1, 5));
    EXPECT_EQ(lv->FPressedColumn, -1) << "a divider presses nothing";
    EXPECT_EQ(colours("divider"), Pair(normal, normal));
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(c0.Right - 1, 5));
}

TEST_F(ListViewWrapperTest, SortArrowsImagesAndAlignments)
{
    RedImages images;
    auto f = std::make_unique<ForeignWrapped>(WC_LISTVIEWW, LVS_REPORT | LVS_SHAREIMAGELISTS, WS_EX_CLIENTEDGE,
                                              RECT{10, 10, 390, 210});
    SendMessageW(f->Handle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.Handle()));
    AddColumns(f->Handle, {{L"Name", 90, HDF_LEFT | HDF_IMAGE},
                           {L"Size", 70, HDF_RIGHT},
                           {L"Mid", 70, HDF_CENTER},
                           {L"", 40, HDF_LEFT | HDF_SORTUP},
                           {L"", 40, HDF_LEFT | HDF_SORTDOWN}});
    f->Wrap(&WrapperFactory<TacListViewWnd>, manager.get());
    const HWND header = HeaderOf(f->Handle);
    auto shot = CaptureWindow(header);
    SaveCapture(*shot, L"listview_header_arrows");
    const COLORREF text = hs::kColHeaderText[0];

    const TRect name = ItemRect(header, 0);
    const Ink red = InkOf(*shot, name, kRed);
    EXPECT_EQ(red.Count, 16 * 16);
    EXPECT_EQ(red.Box.Left, name.Left + 4) << "the image first";
    const Ink nameInk = InkOf(*shot, name, text);
    ASSERT_GT(nameInk.Count, 0);
    EXPECT_GE(nameInk.Box.Left, red.Box.Right + 4) << "left text after the image";

    const TRect size = ItemRect(header, 1);
    const Ink sizeInk = InkOf(*shot, size, text);
    ASSERT_GT(sizeInk.Count, 0);
    EXPECT_GE(sizeInk.Box.Right, size.Right - 4 - 4) << "right-aligned";
    EXPECT_LE(sizeInk.Box.Right, size.Right - 4);

    const TRect mid = ItemRect(header, 2);
    const Ink midInk = InkOf(*shot, mid, text);
    ASSERT_GT(midInk.Count, 0);
    EXPECT_LE(std::abs((midInk.Box.Left + midInk.Box.Right) - (mid.Left + mid.Right)), 6) << "centred";

    for (int i : {3, 4}) {
        SCOPED_TRACE(i == 3 ? "sort up" : "sort down");
        const TRect r = ItemRect(header, i);
        const Ink arrow = InkOf(*shot, r, text);
        ASSERT_GT(arrow.Count, 0);
        EXPECT_LE(arrow.Box.Width(), 8);
        EXPECT_LE(arrow.Box.Height(), 5);
        EXPECT_GE(arrow.Box.Left, r.Left + 4 + 6) << "after the (empty) text";
        EXPECT_LE(std::abs((arrow.Box.Top + arrow.Box.Bottom) - (r.Top + r.Bottom)), 2) << "vertically centred";
        // The narrow end of the arrow points to its side.
        if (i == 3)
            EXPECT_LT(arrow.PerRow.front(), arrow.PerRow.back());
        else
            EXPECT_GT(arrow.PerRow.front(), arrow.PerRow.back());
    }

    // Reordered columns: each column's image and text stay in its own rectangle.
    int order[] = {1, 0, 2, 3, 4};
    SendMessageW(f->Handle, LVM_SETCOLUMNORDERARRAY, 5, reinterpret_cast<LPARAM>(order));
    auto moved = CaptureWindow(header);
    SaveCapture(*moved, L"listview_header_reordered");
    const TRect nameNow = ItemRect(header, 0), sizeNow = ItemRect(header, 1);
    ASSERT_LT(sizeNow.Left, nameNow.Left);
    EXPECT_EQ(InkOf(*moved, nameNow, kRed).Count, 16 * 16);
    EXPECT_EQ(InkOf(*moved, sizeNow, kRed).Count, 0);
    const Ink sizeMoved = InkOf(*moved, sizeNow, text);
    ASSERT_GT(sizeMoved.Count, 0);
    EXPECT_GE(sizeMoved.Box.Right, sizeNow.Right - 4 - 4) << "still right-aligned in its own place";
}

TEST_F(ListViewWrapperTest, ListColoursComeFromTheSkinAndGoBack)
{
    struct Case {
        const char* Name;
        bool Framework;
        bool Dialog;
    };
    const Case cases[] = {
        {"foreign", false, false},
        {"foreign, dialog mode", false, true},
        {"framework", true, false},
    };
    TForm* form = NewForm(420, 300);
    form->Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const COLORREF ownBack = 0x00FFEEDD, ownText = 0x00112233;
        std::unique_ptr<ForeignWrapped> f;
        TListView* list = nullptr;
        HWND wnd = nullptr;
        if (c.Framework) {
            list = new TListView(form);
            list->SetParent(form);
            list->SetBounds(10, 10, 300, 200);
            list->SetViewStyle(vsReport);
            list->SetColor(static_cast<TColor>(ownBack));
            list->Font()->SetColor(static_cast<TColor>(ownText));
            wnd = list->Handle();
        } else {
            f = NewList(LVS_REPORT, false);
            wnd = f->Handle;
            SendMessageW(wnd, LVM_SETBKCOLOR, 0, ownBack);
            SendMessageW(wnd, LVM_SETTEXTBKCOLOR, 0, ownBack);
            SendMessageW(wnd, LVM_SETTEXTCOLOR, 0, ownText);
        }
        TacSkinParams params;
        params.Control = list;
        params.SkinSection = L"MENUITEM";
        acDlgMode = c.Dialog;
        auto* sw = static_cast<TacScrollWnd*>(WrapperFactory<TacListViewWnd>(wnd, nullptr, manager.get(), params, true));
        acDlgMode = false;
        sw->SetSkinParams();
        const COLORREF back = c.Dialog ? GetSysColor(COLOR_WINDOW) : static_cast<COLORREF>(hs::kMainColor);
        const COLORREF text = c.Dialog ? GetSysColor(COLOR_WINDOWTEXT) : static_cast<COLORREF>(hs::kLabelText);
        EXPECT_EQ(static_cast<COLORREF>(SendMessageW(wnd, LVM_GETBKCOLOR, 0, 0)), back);
        EXPECT_EQ(static_cast<COLORREF>(SendMessageW(wnd, LVM_GETTEXTBKCOLOR, 0, 0)), back);
        EXPECT_EQ(static_cast<COLORREF>(SendMessageW(wnd, LVM_GETTEXTCOLOR, 0, 0)), text);

        UninitializeACScroll(wnd, true, true, sw);
        EXPECT_EQ(static_cast<COLORREF>(SendMessageW(wnd, LVM_GETBKCOLOR, 0, 0)), ownBack);
        EXPECT_EQ(static_cast<COLORREF>(SendMessageW(wnd, LVM_GETTEXTBKCOLOR, 0, 0)), ownBack);
        EXPECT_EQ(static_cast<COLORREF>(SendMessageW(wnd, LVM_GETTEXTCOLOR, 0, 0)), ownText);
        if (list) {
            EXPECT_EQ(list->Color(), static_cast<TColor>(ownBack));
            EXPECT_EQ(list->Font()->Color(), static_cast<TColor>(ownText)) << "the font colour the skin never changed";
            delete list;
        }
    }
}

TEST_F(ListViewWrapperTest, ThumbDragsMoveTheList)
{
    struct Case {
        const char* Name;
        DWORD View;
        int Bar;
    };
    const Case cases[] = {
        {"report", LVS_REPORT, SB_VERT},
        {"list", LVS_LIST, SB_HORZ},
        {"icon", LVS_ICON, SB_VERT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto f = NewList(c.View);
        // How far the list is scrolled: the origin of the icon view lies above the client.
        const auto where = [&] {
            if (c.View == LVS_ICON) {
                POINT origin{};
                SendMessageW(f->Handle, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin));
                return static_cast<int>(std::abs(origin.y));
            }
            return static_cast<int>(SendMessageW(f->Handle, LVM_GETTOPINDEX, 0, 0));
        };
        TRect r;
        ASSERT_TRUE(GetScrollRect(f->sw, c.Bar, f->Handle, r));
        TacScrollBar* sb = c.Bar == SB_VERT ? f->sw->sBarVert.get() : f->sw->sBarHorz.get();
        ASSERT_TRUE(sb->fScrollVisible);
        int thumbSize = 0, thumbPos = 0;
        CalcThumbSize(sb, r, thumbSize, thumbPos);
        const int before = where();
        const auto at = [&](int along) {
            return c.Bar == SB_VERT ? POINT{r.Left + r.Width() / 2, along} : POINT{along, r.Top + r.Height() / 2};
        };
        const POINT down = at(thumbPos + 2), moved = at(thumbPos + 2 + 40);
        const HWND wnd = f->Handle;
        const auto client = [&](POINT p) {
            ScreenToClient(wnd, &p);
            return MAKELPARAM(static_cast<short>(p.x), static_cast<short>(p.y));
        };
        SendMessageW(wnd, WM_NCLBUTTONDOWN, c.Bar == SB_VERT ? HTVSCROLL : HTHSCROLL, At(down.x, down.y));
        SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, client(moved));
        const int during = where();
        SendMessageW(wnd, WM_LBUTTONUP, 0, client(moved));
        EXPECT_GT(during, before) << "the list moves while the thumb is dragged";
        EXPECT_EQ(where(), during) << "the drag's end keeps it there";
        EXPECT_EQ(sb->ScrollInfo.nPos, GetScrollPos(wnd, c.Bar)) << "the bar follows the list";
    }
}

TEST_F(ListViewWrapperTest, PrintingIncludesTheHeader)
{
    auto f = NewList(LVS_REPORT);
    const HWND header = HeaderOf(f->Handle);
    auto printed = PrintCapture(f->Handle);
    SaveCapture(*printed, L"listview_print");
    RECT hr{}, wr{};
    GetWindowRect(header, &hr);
    GetWindowRect(f->Handle, &wr);
    const TRect first = ItemRect(header, 0);
    EXPECT_EQ(PixelOf(*printed, hr.left - wr.left + first.Right - 4, hr.top - wr.top + 2),
              static_cast<COLORREF>(hs::kColHeader[0]));
    EXPECT_EQ(PixelOf(*printed, 0, (wr.bottom - wr.top) / 2), HouseRgb(hs::kEditRgb[0])) << "and the frame";
}

TEST_F(ListViewWrapperTest, TheHeaderGetsItsProcedureBackWhenTheSkinGoes)
{
    for (const bool command : {false, true}) {
        SCOPED_TRACE(command ? "skin removed" : "wrapper removed");
        auto f = NewList(LVS_REPORT, false);
        const HWND header = HeaderOf(f->Handle);
        const LONG_PTR own = GetWindowLongPtrW(header, GWLP_WNDPROC);
        f->Wrap(&WrapperFactory<TacListViewWnd>, manager.get());
        EXPECT_NE(GetWindowLongPtrW(header, GWLP_WNDPROC), own);
        if (command) {
            const TacOwnSend ownSend;
            SendMessageW(f->Handle, SM_ALPHACMD, MakeAlphaCmd(AC_REMOVESKIN, 0), reinterpret_cast<LPARAM>(manager.get()));
        } else {
            f->Unwrap();
        }
        EXPECT_EQ(GetWindowLongPtrW(header, GWLP_WNDPROC), own);
        auto shot = CaptureWindow(header);
        EXPECT_NE(PixelOf(*shot, ItemRect(header, 0).Right - 4, 2), static_cast<COLORREF>(hs::kColHeader[0]))
            << "the header paints itself";
    }
}

TEST_F(ListViewWrapperTest, ASortArrowTakesTheScrollButtonsGlyphWhereTheSkinHasOne)
{
    // The combo box's glyph given to the bottom scroll button as well.
    house_skin::Options o;
    o.withScrollBars = true;
    o.withColHeader = true;
    Load(o, SkinSource::Folder, {}, [](std::string text) {
        const size_t combo = text.find("[COMBOBOX]");
        const size_t key = text.find("GLYPHMASK=", combo);
        const std::string line = text.substr(key, text.find("\r\n", key) + 2 - key);
        const std::string section = "[SCROLLBTNBOTTOM]\r\n";
        text.insert(text.find(section) + section.size(), line);
        return text;
    });
    ASSERT_GE(manager->CommonSkinData(96)->ScrollBtns[asBottom].GlyphIndex, 0);
    auto f = std::make_unique<ForeignWrapped>(WC_LISTVIEWW, LVS_REPORT, WS_EX_CLIENTEDGE, RECT{10, 10, 390, 210});
    AddColumns(f->Handle, {{L"", 60, HDF_LEFT | HDF_SORTDOWN}, {L"", 60, HDF_LEFT | HDF_SORTUP}});
    f->Wrap(&WrapperFactory<TacListViewWnd>, manager.get());
    const HWND header = HeaderOf(f->Handle);
    auto shot = CaptureWindow(header);
    SaveCapture(*shot, L"listview_header_glyph");
    const COLORREF glyphInk = HouseRgb(hs::kTitleInk[0] & 0xFFFFFF);
    const TRect down = ItemRect(header, 0), up = ItemRect(header, 1);
    const Ink glyph = InkOf(*shot, down, glyphInk);
    EXPECT_GT(glyph.Count, 0) << "the skin's glyph";
    EXPECT_GE(glyph.Box.Left, down.Left + 4 + 6);
    EXPECT_EQ(InkOf(*shot, down, hs::kColHeaderText[0]).Count, 0) << "no drawn arrow beside it";
    EXPECT_EQ(InkOf(*shot, up, glyphInk).Count, 0);
    EXPECT_GT(InkOf(*shot, up, hs::kColHeaderText[0]).Count, 0) << "the top button has no glyph: a drawn arrow";
}
