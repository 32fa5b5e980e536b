// The string grid: counts and fixed rows, cells, drawing rectangles, selection by mouse and
// keyboard, scrolling and column sizing, painting.
#include "controls_tests_widgets_support.h"

#include <map>
#include <tuple>

namespace {

struct DrawCall {
    int Col;
    int Row;
    TRect Rect;
    TGridDrawState State;
};

class GridTest : public WidgetsTest {
protected:
    // A status grid as the main window has it: 7 columns, a title row, whole-row selection.
    TStringGrid* NewGrid(TForm* form, int width = 360, int height = 160)
    {
        auto* grid = new TStringGrid(form);
        grid->SetParent(form);
        grid->SetBounds(10, 10, width, height);
        grid->SetColCount(7);
        grid->SetFixedCols(0);
        grid->SetRowCount(2);
        grid->SetFixedRows(1);
        grid->SetOptions(grid->Options() << goRowSelect << goColSizing);
        return grid;
    }

    static LPARAM At(const TRect& r) { return MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
};

TEST_F(GridTest, CountsKeepFixedRowsBelowRowCountAndDropCellsOutside)
{
    TStringGrid grid(nullptr);
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.FixedRows(), 1);

    // One row cannot hold a fixed row: the fixed count follows, and comes back only when set.
    grid.SetRowCount(1);
    EXPECT_EQ(grid.FixedRows(), 0);
    EXPECT_THROW(grid.SetFixedRows(1), EInvalidGridOperation);
    grid.SetRowCount(3);
    EXPECT_EQ(grid.FixedRows(), 0);
    grid.SetFixedRows(1);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_THROW(grid.SetFixedCols(5), EInvalidGridOperation);
    EXPECT_THROW(grid.SetFixedCols(-1), EInvalidGridOperation);
    grid.SetColCount(0);
    EXPECT_EQ(grid.ColCount(), 1);
    EXPECT_EQ(grid.FixedCols(), 0);

    // A grid cut back and grown again starts with empty cells (no text of an earlier row
    // reappears in a new one).
    grid.SetColCount(4);
    grid.SetCells(3, 2, L"old firmware");
    grid.SetCells(0, 0, L"title");
    EXPECT_EQ(grid.Cells(3, 2), L"old firmware");
    grid.SetRowCount(1);
    grid.SetRowCount(3);
    EXPECT_EQ(grid.Cells(3, 2), L"");
    EXPECT_EQ(grid.Cells(0, 0), L"title");
    grid.SetColCount(2);
    grid.SetColCount(4);
    EXPECT_EQ(grid.Cells(3, 0), L"");

    // Outside the grid: empty text, writes change nothing, sizes answer the default.
    grid.SetCells(9, 9, L"lost");
    grid.SetCells(-1, 0, L"lost");
    EXPECT_EQ(grid.Cells(9, 9), L"");
    EXPECT_EQ(grid.Cells(-1, 0), L"");
    EXPECT_EQ(grid.ColWidths(17), grid.DefaultColWidth());
    EXPECT_THROW(grid.SetColWidths(4, 10), EInvalidGridOperation);
    EXPECT_THROW(grid.SetRow(3), EInvalidGridOperation);
    EXPECT_THROW(grid.SetCol(-1), EInvalidGridOperation);

    grid.SetColWidths(1, 120);
    EXPECT_EQ(grid.ColWidths(1), 120);
    grid.SetDefaultColWidth(40);
    EXPECT_EQ(grid.ColWidths(1), 40);
}

TEST_F(GridTest, OnDrawCellGetsEachShownCellWithItsCellRectAndState)
{
    TForm* form = ShownForm(420, 260);
    TStringGrid* grid = NewGrid(form);
    const int widths[] = {100, 120, 150, 110, 160, 160, 100};
    for (int c = 0; c < 7; ++c) grid->SetColWidths(c, widths[c]);
    grid->SetRowCount(4);
    grid->SetRow(2);
    std::map<std::pair<int, int>, DrawCall> calls;
    grid->OnDrawCell = [&](TObject* sender, int c, int r, TRect rect, TGridDrawState state) {
        EXPECT_EQ(sender, grid);
        calls[{c, r}] = {c, r, rect, state};
    };
    RedrawWindow(grid->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    ASSERT_FALSE(calls.empty());
    // Every column that starts inside the client area is drawn, in every row.
    const int clientWidth = grid->ClientWidth();
    for (int r = 0; r < 4; ++r) {
        int x = 0;
        for (int c = 0; c < 7 && x < clientWidth; ++c) {
            auto it = calls.find({c, r});
            ASSERT_NE(it, calls.end()) << "cell " << c << "," << r;
            const TRect& rect = it->second.Rect;
            EXPECT_EQ(rect, grid->CellRect(c, r));
            EXPECT_EQ(rect.Left, x);
            EXPECT_EQ(rect.Width(), widths[c]);
            EXPECT_EQ(rect.Height(), grid->DefaultRowHeight());
            EXPECT_EQ(rect.Top, r * (grid->DefaultRowHeight() + 1));
            x += widths[c] + 1;
        }
        EXPECT_EQ(calls.count({6, r}), 0u) << "column 6 lies beyond the window";
    }
    EXPECT_TRUE((calls[{1, 0}].State.Contains(gdFixed)));
    EXPECT_FALSE((calls[{1, 1}].State.Contains(gdFixed)));
    // Whole-row selection: the current row's cells are selected, the others not.
    EXPECT_TRUE((calls[{0, 2}].State.Contains(gdSelected)));
    EXPECT_TRUE((calls[{2, 2}].State.Contains(gdRowSelected)));
    EXPECT_FALSE((calls[{0, 3}].State.Contains(gdSelected)));
}

TEST_F(GridTest, DoubleClickSeesTheClickedRowAsCurrent)
{
    TForm* form = ShownForm();
    TStringGrid* grid = NewGrid(form);
    grid->SetRowCount(4);
    const wchar_t* ids[] = {L"GWID:", L"0A.1B.2C", L"11.22.33", L"44.55.66"};
    for (int r = 0; r < 4; ++r) grid->SetCells(0, r, ids[r]);
    int clicks = 0;
    std::vector<UnicodeString> opened;
    grid->OnClick = [&](TObject*) { ++clicks; };
    grid->OnDblClick = [&](TObject*) { opened.push_back(grid->Cells(0, grid->Row())); };

    // The messages of a double click on row 3, as the user causes them.
    HWND h = grid->Handle();
    const LPARAM row3 = At(grid->CellRect(2, 3));
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, row3);
    SendMessageW(h, WM_LBUTTONUP, 0, row3);
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, row3);
    SendMessageW(h, WM_LBUTTONUP, 0, row3);
    EXPECT_EQ(grid->Row(), 3);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], L"44.55.66");
    EXPECT_GE(clicks, 1);

    // A double click arriving on another row still reports that row.
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, At(grid->CellRect(0, 1)));
    SendMessageW(h, WM_LBUTTONUP, 0, At(grid->CellRect(0, 1)));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], L"0A.1B.2C");

    // A click on the title row selects nothing.
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(grid->CellRect(1, 0)));
    SendMessageW(h, WM_LBUTTONUP, 0, At(grid->CellRect(1, 0)));
    EXPECT_EQ(grid->Row(), 1);

    int c = 0;
    int r = 0;
    const TRect cell = grid->CellRect(3, 2);
    grid->MouseToCell(cell.Left + 1, cell.Top + 1, c, r);
    EXPECT_EQ(c, 3);
    EXPECT_EQ(r, 2);
    grid->MouseToCell(5, grid->ClientHeight() - 1, c, r);
    EXPECT_EQ(c, -1);
    EXPECT_EQ(r, -1);
}

TEST_F(GridTest, KeyboardMovesTheCurrentRowAndOnSelectCellCanRefuse)
{
    TForm* form = ShownForm();
    TStringGrid* grid = NewGrid(form);
    grid->SetRowCount(5);
    int clicks = 0;
    bool allow = true;
    std::vector<std::pair<int, int>> asked;
    grid->OnClick = [&](TObject*) { ++clicks; };
    grid->OnSelectCell = [&](TObject*, int c, int r, bool& canSelect) {
        asked.emplace_back(c, r);
        canSelect = allow;
    };
    HWND h = grid->Handle();
    EXPECT_EQ(grid->Row(), 1);
    SendMessageW(h, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(h, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1], std::make_pair(grid->Col(), 3));
    SendMessageW(h, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(grid->Row(), 2);
    // Past the last row nothing moves (and nothing is asked).
    grid->SetRow(4);
    const size_t before = asked.size();
    SendMessageW(h, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(asked.size(), before);
    // A refused cell does not become current.
    allow = false;
    SendMessageW(h, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(grid->Row(), 4);
    // The title row is never reached by keys.
    allow = true;
    grid->SetRow(1);
    SendMessageW(h, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
}

TEST_F(GridTest, ColumnsWiderThanTheWindowScrollHorizontallyByWholeColumns)
{
    TForm* form = ShownForm(600, 400);
    TStringGrid* grid = NewGrid(form, 500, 200);
    // The main window's proportions: the widths add up to 1.11 times the grid's width.
    const double parts[] = {0.11, 0.17, 0.18, 0.11, 0.18, 0.18, 0.18};
    for (int c = 0; c < 7; ++c) grid->SetColWidths(c, static_cast<int>(grid->Width() * parts[c]));
    HWND h = grid->Handle();
    EXPECT_NE(GetWindowLongPtrW(h, GWL_STYLE) & WS_HSCROLL, 0);
    EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_EQ(grid->LeftCol(), 0);

    SendMessageW(h, WM_HSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(grid->LeftCol(), 1);
    EXPECT_TRUE(grid->CellRect(0, 1).IsEmpty());
    EXPECT_EQ(grid->CellRect(1, 1).Left, 0);
    SendMessageW(h, WM_HSCROLL, SB_BOTTOM, 0);
    const int last = grid->LeftCol();
    EXPECT_GE(last, 1);
    EXPECT_LE(grid->CellRect(6, 1).Right, grid->ClientWidth());
    SendMessageW(h, WM_HSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(grid->LeftCol(), last) << "no scrolling past the last column";
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS | SIF_RANGE | SIF_PAGE;
    GetScrollInfo(h, SB_HORZ, &info);
    EXPECT_EQ(info.nPos, last);
    EXPECT_EQ(info.nMax - static_cast<int>(info.nPage) + 1, last);
    SendMessageW(h, WM_HSCROLL, SB_TOP, 0);
    EXPECT_EQ(grid->LeftCol(), 0);

    // Columns that fit again take the scroll bar away.
    for (int c = 0; c < 7; ++c) grid->SetColWidths(c, 40);
    EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE) & WS_HSCROLL, 0);

    // Many rows: a vertical bar, and a row made current scrolls into view.
    grid->SetRowCount(60);
    EXPECT_NE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VSCROLL, 0);
    grid->SetRow(59);
    EXPECT_GT(grid->TopRow(), 1);
    const TRect lastRow = grid->CellRect(0, 59);
    EXPECT_FALSE(lastRow.IsEmpty());
    EXPECT_LE(lastRow.Bottom, grid->ClientHeight());
    EXPECT_EQ(grid->CellRect(0, 0).Top, 0) << "the title row stays";
    SendMessageW(h, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(grid->TopRow(), 1);
    SendMessageW(h, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(grid->TopRow(), 1 + grid->VisibleRowCount());
}

TEST_F(GridTest, ColumnBorderInTheTitleRowSizesTheColumn)
{
    TForm* form = ShownForm();
    TStringGrid* grid = NewGrid(form);
    HWND h = grid->Handle();
    const TRect title = grid->CellRect(1, 0);
    const int y = (title.Top + title.Bottom) / 2;
    const int width = grid->ColWidths(1);
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(title.Right, y));
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(title.Right + 30, y));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(title.Right + 30, y));
    EXPECT_EQ(grid->ColWidths(1), width + 30);
    EXPECT_EQ(grid->Row(), 1) << "sizing selects nothing";

    // Without goColSizing the border is an ordinary click.
    grid->SetOptions(grid->Options() >> goColSizing);
    const TRect moved = grid->CellRect(1, 0);
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(moved.Right, y));
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(moved.Right + 30, y));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(moved.Right + 30, y));
    EXPECT_EQ(grid->ColWidths(1), width + 30);
}

TEST_F(GridTest, PaintsTitlesSelectionAndOwnerDrawnCellsInTheStyle)
{
    ASSERT_TRUE(TStyleManager::TrySetStyle(L"Slate Classico"));
    TForm* form = ShownForm(420, 300);
    TStringGrid* grid = NewGrid(form, 380, 120);
    grid->SetRowCount(4);
    const wchar_t* titles[] = {L"GWID:", L"IP:", L"Verb.zeit:", L"Kontakte:", L"letzte Daten:", L"Status:", L"Firmware:"};
    for (int c = 0; c < 7; ++c) grid->SetCells(c, 0, titles[c]);
    grid->SetCells(0, 1, L"0A.1B.2C");
    grid->SetCells(1, 1, L"192.168.1.98");
    grid->SetRow(2);
    form->SetFocus(); // the grid is not focused: its current row shows highlighted

    auto shot = CaptureWindow(grid->Handle());
    SaveCapture(*shot, L"grid");
    const POINT o = ClientOffset(grid->Handle());
    const TRect title = grid->CellRect(1, 0);
    const TRect selected = grid->CellRect(1, 2);
    const TRect plain = grid->CellRect(3, 3);
    EXPECT_EQ(PixelOf(*shot, o.x + title.Right - 4, o.y + title.Bottom - 4), StyledColorToGdi(clBtnFace));
    EXPECT_EQ(PixelOf(*shot, o.x + selected.Right - 4, o.y + selected.Bottom - 4), StyledColorToGdi(clHighlight));
    EXPECT_EQ(PixelOf(*shot, o.x + plain.Right - 4, o.y + plain.Bottom - 4), StyledColorToGdi(clWindow));
    // The text of a cell leaves ink inside it.
    const TRect text = grid->CellRect(1, 1);
    const RECT inner{o.x + text.Left, o.y + text.Top, o.x + text.Right, o.y + text.Bottom};
    EXPECT_LT(CountColor(*shot, inner, StyledColorToGdi(clWindow)), (inner.right - inner.left) * (inner.bottom - inner.top));

    // Without default drawing the handler paints alone.
    grid->SetDefaultDrawing(false);
    grid->OnDrawCell = [grid](TObject*, int c, int r, TRect rect, TGridDrawState) {
        grid->Canvas()->Brush()->SetColor(r > 0 && c > 3 ? TColor{0x30B0FF} : clNavy);
        grid->Canvas()->FillRect(rect);
    };
    auto owner = CaptureWindow(grid->Handle());
    SaveCapture(*owner, L"grid-ownerdrawn");
    const TRect marked = grid->CellRect(4, 1);
    EXPECT_EQ(PixelOf(*owner, o.x + marked.Left + 3, o.y + marked.Top + 3), static_cast<COLORREF>(0x30B0FF));
    EXPECT_EQ(PixelOf(*owner, o.x + title.Left + 3, o.y + title.Top + 3), static_cast<COLORREF>(clNavy));
}

} // namespace
