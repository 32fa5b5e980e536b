// List view: columns, items with sub-items, view style, colours and small images reach the window,
// also when they were set before it existed.
#include "controls_tests_widgets_support.h"

#include <string>

namespace {

UnicodeString ItemText(HWND list, int item, int sub)
{
    wchar_t buffer[64] = {};
    LVITEMW lvi{};
    lvi.iSubItem = sub;
    lvi.pszText = buffer;
    lvi.cchTextMax = 64;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi));
    return buffer;
}

struct ColumnInfo {
    UnicodeString Text;
    int Format = 0;
    int Width = 0;
    int Image = -1;
};
ColumnInfo ColumnOf(HWND list, int index)
{
    wchar_t buffer[64] = {};
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_IMAGE;
    c.pszText = buffer;
    c.cchTextMax = 64;
    SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&c));
    return {buffer, c.fmt, c.cx, c.iImage};
}

int ColumnCount(HWND list)
{
    const auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

} // namespace

TEST_F(WidgetsTest, ListViewColumnsItemsAndViewReachTheWindow)
{
    TForm* form = ShownForm(500, 300);
    auto* list = new TListView(form);
    // Made before the window exists.
    list->SetViewStyle(vsReport);
    TListColumn* name = list->Columns()->Add();
    name->SetCaption(L"Name");
    name->SetWidth(120);
    TListItem* first = list->Items()->Add();
    first->SetCaption(L"meter 1");
    first->SubItems()->Add(L"12 kWh");
    list->SetParent(form);
    const HWND h = list->Handle();
    EXPECT_EQ(SendMessageW(h, LVM_GETVIEW, 0, 0), LV_VIEW_DETAILS);
    EXPECT_EQ(ColumnCount(h), 1);

    // And after.
    TListColumn* value = list->Columns()->Add();
    value->SetCaption(L"Value");
    value->SetAlignment(taRightJustify);
    value->SetWidth(80);
    TListItem* second = list->Items()->Add();
    second->SetCaption(L"meter 2");
    second->SubItems()->Add(L"7 kWh");
    ASSERT_EQ(ColumnCount(h), 2);
    const ColumnInfo v = ColumnOf(h, 1);
    EXPECT_EQ(v.Text, L"Value");
    EXPECT_EQ(v.Format & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
    EXPECT_EQ(v.Width, 80);
    EXPECT_EQ(ColumnOf(h, 0).Text, L"Name");
    EXPECT_EQ(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(ItemText(h, 0, 0), L"meter 1");
    EXPECT_EQ(ItemText(h, 0, 1), L"12 kWh") << "a sub-item given before its column existed";
    EXPECT_EQ(ItemText(h, 1, 1), L"7 kWh");

    // Changes follow.
    first->SetCaption(L"meter 1a");
    first->SubItems()->Clear();
    first->SubItems()->Add(L"13 kWh");
    EXPECT_EQ(ItemText(h, 0, 0), L"meter 1a");
    EXPECT_EQ(ItemText(h, 0, 1), L"13 kWh");
    name->SetCaption(L"Meter");
    EXPECT_EQ(ColumnOf(h, 0).Text, L"Meter");
    delete first;
    EXPECT_EQ(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(ItemText(h, 0, 0), L"meter 2");
    list->Columns()->Delete(1);
    EXPECT_EQ(ColumnCount(h), 1);

    struct View {
        TViewStyle Style;
        LRESULT Window;
    };
    for (const View& view : {View{vsIcon, LV_VIEW_ICON}, View{vsSmallIcon, LV_VIEW_SMALLICON},
                             View{vsList, LV_VIEW_LIST}, View{vsReport, LV_VIEW_DETAILS}}) {
        list->SetViewStyle(view.Style);
        EXPECT_EQ(SendMessageW(h, LVM_GETVIEW, 0, 0), view.Window);
    }

    // A window made anew shows the same.
    list->RecreateWnd();
    const HWND again = list->Handle();
    EXPECT_EQ(ColumnCount(again), 1);
    EXPECT_EQ(ItemText(again, 0, 0), L"meter 2");
    EXPECT_EQ(SendMessageW(again, LVM_GETVIEW, 0, 0), LV_VIEW_DETAILS);
}

TEST_F(WidgetsTest, ListViewColoursAndSmallImages)
{
    TForm* form = ShownForm(500, 300);
    auto* list = new TListView(form);
    list->SetParent(form);
    list->SetViewStyle(vsReport);
    const HWND h = list->Handle();
    list->SetColor(static_cast<TColor>(0x00E0F0FF));
    list->Font()->SetColor(static_cast<TColor>(0x00403020));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(h, LVM_GETBKCOLOR, 0, 0)), 0x00E0F0FFu);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(h, LVM_GETTEXTBKCOLOR, 0, 0)), 0x00E0F0FFu);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(h, LVM_GETTEXTCOLOR, 0, 0)), 0x00403020u);
    auto shot = CaptureWindow(h);
    const POINT o = ClientOffset(h);
    EXPECT_EQ(PixelOf(*shot, o.x + 100, o.y + 100), 0x00E0F0FFu) << "the list shows its colour";

    auto* images = new TImageList(form, 16, 16);
    TBitmap frame(16, 16, pf32bit);
    images->Add(&frame, nullptr);
    list->SetSmallImages(images);
    TListColumn* column = list->Columns()->Add();
    column->SetCaption(L"Meter");
    column->SetImageIndex(0);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(h, LVM_GETIMAGELIST, LVSIL_SMALL, 0)), images->Handle());
    const ColumnInfo c = ColumnOf(h, 0);
    EXPECT_NE(c.Format & LVCFMT_IMAGE, 0);
    EXPECT_EQ(c.Image, 0);
    // A freed image list leaves the list view.
    delete images;
    EXPECT_EQ(list->SmallImages(), nullptr);
    EXPECT_EQ(SendMessageW(h, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
}
