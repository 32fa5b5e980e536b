#pragma once
// Grids: a table of cells painted by the control itself, with fixed (title) rows and columns,
// a current cell, whole-row selection, column sizing with the mouse, and scrolling by whole
// rows and columns when the cells do not fit the window.
//
// Geometry: each cell is followed by a grid line of GridLineWidth pixels (when lines of that
// direction are drawn). CellRect is the cell without its line; the same rectangle reaches
// OnDrawCell. Fixed cells never scroll; TopRow and LeftCol are the first scrollable row and
// column shown.
#include "Controls.h"
#include "Graphics.h"
#include "StdCtrls.h"

#include <functional>
#include <vector>

FW_DECLARE_EXCEPTION(EInvalidGridOperation, Exception);

enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking,
    goFixedColClick,
    goFixedRowClick,
    goFixedHotTrack,
};
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateFlag { gdSelected, gdFocused, gdFixed, gdRowSelected, gdHotTrack, gdPressed };
using TGridDrawState = TSet<TGridDrawStateFlag>;

struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

using TDrawCellEvent = std::function<void(TObject* sender, int aCol, int aRow, TRect rect, TGridDrawState state)>;
using TSelectCellEvent = std::function<void(TObject* sender, int aCol, int aRow, bool& canSelect)>;

class TCustomGrid : public TCustomControl {
public:
    // 5 x 5 cells of 64 x 24 pixels, one fixed row and column, both scroll bars as needed.
    explicit TCustomGrid(TComponent* owner);
    ~TCustomGrid() override;
    UnicodeString ClassName() const override { return L"TCustomGrid"; }

    // At least 1. Fewer rows (columns) than fixed ones reduce the fixed count; cells beyond
    // the new count are dropped.
    int ColCount() const { return static_cast<int>(colWidths_.size()); }
    void SetColCount(int value);
    int RowCount() const { return static_cast<int>(rowHeights_.size()); }
    void SetRowCount(int value);
    // Must stay below the column (row) count: EInvalidGridOperation otherwise. A new count
    // moves the current cell and the view to the first scrollable cell.
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int value);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int value);

    // Setting a default size resets every column (row) to it.
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int value);
    // Outside 0..Count-1 the getters answer the default size and the setters raise
    // EInvalidGridOperation.
    int ColWidths(int index) const;
    void SetColWidths(int index, int value);
    int RowHeights(int index) const;
    void SetRowHeights(int index, int value);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int value);

    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions value);
    // Off: cells are left to OnDrawCell entirely (nothing is filled or written first).
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool value);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);

    // The current cell. Setting it asks OnSelectCell, scrolls it into view and fires OnClick;
    // an index outside the grid raises EInvalidGridOperation.
    int Col() const { return current_.X; }
    void SetCol(int value);
    int Row() const { return current_.Y; }
    void SetRow(int value);
    // Selected cells: the current cell, or its whole row (non-fixed columns) with goRowSelect.
    TGridRect Selection() const;

    int TopRow() const { return topLeft_.Y; }
    void SetTopRow(int value);
    int LeftCol() const { return topLeft_.X; }
    void SetLeftCol(int value);
    // Scrollable rows (columns) that are shown completely.
    int VisibleRowCount();
    int VisibleColCount();

    // The cell's rectangle in client coordinates; empty (all zero) when it is scrolled away
    // or lies beyond the window.
    TRect CellRect(int aCol, int aRow);
    // The cell at a client point; -1, -1 when the point lies on no cell.
    void MouseToCell(int x, int y, int& aCol, int& aRow);
    TGridCoord MouseCoord(int x, int y);

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Paint() override;
    void Dispatch(TMessage& message) override;
    void WMSize(TMessage& message) override;
    void WMSetCursor(TMessage& message) override;
    void WMLButtonDblClk(TMessage& message) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void CMFontChanged(TMessage& message) override;

    // Draws one cell's content; the default fires OnDrawCell.
    virtual void DrawCell(int aCol, int aRow, const TRect& rect, TGridDrawState state);
    // Asks OnSelectCell whether the cell may become current.
    virtual bool SelectCell(int aCol, int aRow);
    // Called after the column or row count changed.
    virtual void SizeChanged(int oldColCount, int oldRowCount);
    // Repaints one cell.
    void InvalidateCell(int aCol, int aRow);
    void InvalidateRow(int aRow);
    void InvalidateGrid() { Invalidate(); }

private:
    struct Axis {
        const std::vector<int>* sizes;
        int fixed;
        int first;
        int line;
        int extent;
    };
    Axis HorzAxis();
    Axis VertAxis();
    static int FixedExtent(const Axis& axis);
    static int CellStart(const Axis& axis, int index); // -1 when not shown
    static int IndexAt(const Axis& axis, int pos);     // -1 when on no cell
    static int MaxFirst(const Axis& axis);
    static int FullyVisible(const Axis& axis, int first);
    int HorzLineWidth() const;
    int VertLineWidth() const;

    void FocusCell(int aCol, int aRow);
    void MoveCurrent(int aCol, int aRow);
    void ScrollIntoView(int aCol, int aRow);
    void Initialize();
    void ClampTopLeft();
    void UpdateScrollBars();
    void Scroll(int bar, int code);
    void GeometryChanged();
    // The column whose right edge lies under x in the fixed rows (for sizing), or -1.
    int SizingColumnAt(int x, int y);

    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    bool defaultDrawing_ = true;
    TColor fixedColor_ = clBtnFace;
    TScrollStyle scrollBars_ = ssBoth;
    TGridCoord current_{1, 1};
    TGridCoord topLeft_{1, 1};
    bool updatingScrollBars_ = false;
    int sizingCol_ = -1;    // column being sized with the mouse
    int sizingOffset_ = 0;  // mouse x minus the column's right edge at the start
};

class TDrawGrid : public TCustomGrid {
public:
    explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}
    UnicodeString ClassName() const override { return L"TDrawGrid"; }
};

// A grid that keeps a text per cell and writes it (with DefaultDrawing) before OnDrawCell.
class TStringGrid : public TDrawGrid {
public:
    explicit TStringGrid(TComponent* owner);
    UnicodeString ClassName() const override { return L"TStringGrid"; }

    // Outside the grid the getter answers an empty text and the setter changes nothing.
    UnicodeString Cells(int aCol, int aRow) const;
    void SetCells(int aCol, int aRow, const UnicodeString& value);

protected:
    void DrawCell(int aCol, int aRow, const TRect& rect, TGridDrawState state) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;

private:
    std::vector<std::vector<UnicodeString>> cells_; // [row][col]
};

// Registers the published properties and reader factories of the classes in this file.
void RegisterGridsClasses();
