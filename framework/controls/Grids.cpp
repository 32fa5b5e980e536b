#include "Grids.h"

#include "FormReader.h"
#include "Themes.h"
#include "TypInfo.h"

#include <algorithm>
#include <cstdlib>

namespace {

TColor Styled(TColor color) { return TStyleManager::SystemColor(color); }

[[noreturn]] void IndexOutOfRange() { throw EInvalidGridOperation(L"Grid index out of range"); }

// A run of cells shown along one axis: fixed ones first, then the scrolled ones.
struct Span {
    int index;
    int start;
    int size;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Geometry

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner)
{
    SetControlStyle({csCaptureMouse, csOpaque, csDoubleClicks});
    colWidths_.assign(5, defaultColWidth_);
    rowHeights_.assign(5, defaultRowHeight_);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(Left(), Top(), 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

int TCustomGrid::HorzLineWidth() const
{
    return (options_.Contains(goVertLine) || options_.Contains(goFixedVertLine)) ? gridLineWidth_ : 0;
}

int TCustomGrid::VertLineWidth() const
{
    return (options_.Contains(goHorzLine) || options_.Contains(goFixedHorzLine)) ? gridLineWidth_ : 0;
}

TCustomGrid::Axis TCustomGrid::HorzAxis()
{
    return {&colWidths_, fixedCols_, topLeft_.X, HorzLineWidth(), static_cast<int>(ClientRect().Width())};
}

TCustomGrid::Axis TCustomGrid::VertAxis()
{
    return {&rowHeights_, fixedRows_, topLeft_.Y, VertLineWidth(), static_cast<int>(ClientRect().Height())};
}

int TCustomGrid::FixedExtent(const Axis& axis)
{
    int pos = 0;
    for (int i = 0; i < axis.fixed; ++i) pos += (*axis.sizes)[static_cast<size_t>(i)] + axis.line;
    return pos;
}

int TCustomGrid::CellStart(const Axis& axis, int index)
{
    const int count = static_cast<int>(axis.sizes->size());
    if (index < 0 || index >= count) return -1;
    if (index < axis.fixed) {
        int pos = 0;
        for (int i = 0; i < index; ++i) pos += (*axis.sizes)[static_cast<size_t>(i)] + axis.line;
        return pos;
    }
    if (index < axis.first) return -1;
    int pos = FixedExtent(axis);
    for (int i = axis.first; i < index; ++i) {
        pos += (*axis.sizes)[static_cast<size_t>(i)] + axis.line;
        if (pos >= axis.extent) return -1;
    }
    return pos < axis.extent ? pos : -1;
}

int TCustomGrid::IndexAt(const Axis& axis, int pos)
{
    if (pos < 0 || pos >= axis.extent) return -1;
    const int count = static_cast<int>(axis.sizes->size());
    int start = 0;
    for (int i = 0; i < axis.fixed && i < count; ++i) {
        const int end = start + (*axis.sizes)[static_cast<size_t>(i)] + axis.line;
        if (pos < end) return i;
        start = end;
    }
    for (int i = std::max(axis.first, axis.fixed); i < count && start < axis.extent; ++i) {
        const int end = start + (*axis.sizes)[static_cast<size_t>(i)] + axis.line;
        if (pos < end) return i;
        start = end;
    }
    return -1;
}

int TCustomGrid::MaxFirst(const Axis& axis)
{
    const int count = static_cast<int>(axis.sizes->size());
    const int available = axis.extent - FixedExtent(axis);
    int used = 0;
    for (int i = count - 1; i >= axis.fixed; --i) {
        used += (*axis.sizes)[static_cast<size_t>(i)] + (i == count - 1 ? 0 : axis.line);
        if (used > available) return std::min(i + 1, count - 1);
    }
    return axis.fixed;
}

int TCustomGrid::FullyVisible(const Axis& axis, int first)
{
    const int count = static_cast<int>(axis.sizes->size());
    int pos = FixedExtent(axis);
    int visible = 0;
    for (int i = std::max(first, axis.fixed); i < count; ++i) {
        pos += (*axis.sizes)[static_cast<size_t>(i)];
        if (pos > axis.extent) break;
        ++visible;
        pos += axis.line;
    }
    return visible;
}

int TCustomGrid::VisibleRowCount() { return FullyVisible(VertAxis(), topLeft_.Y); }
int TCustomGrid::VisibleColCount() { return FullyVisible(HorzAxis(), topLeft_.X); }

TRect TCustomGrid::CellRect(int aCol, int aRow)
{
    const Axis h = HorzAxis();
    const Axis v = VertAxis();
    const int x = CellStart(h, aCol);
    const int y = CellStart(v, aRow);
    if (x < 0 || y < 0) return TRect();
    return TRect(x, y, x + colWidths_[static_cast<size_t>(aCol)], y + rowHeights_[static_cast<size_t>(aRow)]);
}

void TCustomGrid::MouseToCell(int x, int y, int& aCol, int& aRow)
{
    aCol = IndexAt(HorzAxis(), x);
    aRow = IndexAt(VertAxis(), y);
    if (aCol < 0 || aRow < 0) aCol = aRow = -1;
}

TGridCoord TCustomGrid::MouseCoord(int x, int y)
{
    TGridCoord c;
    MouseToCell(x, y, c.X, c.Y);
    return c;
}

// ---------------------------------------------------------------------------------------------
// Properties

void TCustomGrid::SetColCount(int value)
{
    value = std::max(1, value);
    if (value == ColCount()) return;
    const int oldCols = ColCount();
    colWidths_.resize(static_cast<size_t>(value), defaultColWidth_);
    if (fixedCols_ >= value) {
        fixedCols_ = value - 1;
        Initialize();
    }
    SizeChanged(oldCols, RowCount());
    GeometryChanged();
}

void TCustomGrid::SetRowCount(int value)
{
    value = std::max(1, value);
    if (value == RowCount()) return;
    const int oldRows = RowCount();
    rowHeights_.resize(static_cast<size_t>(value), defaultRowHeight_);
    if (fixedRows_ >= value) {
        fixedRows_ = value - 1;
        Initialize();
    }
    SizeChanged(ColCount(), oldRows);
    GeometryChanged();
}

void TCustomGrid::SetFixedCols(int value)
{
    if (value < 0 || value >= ColCount()) throw EInvalidGridOperation(L"Fixed column count must be less than column count");
    if (value == fixedCols_) return;
    fixedCols_ = value;
    Initialize();
    GeometryChanged();
}

void TCustomGrid::SetFixedRows(int value)
{
    if (value < 0 || value >= RowCount()) throw EInvalidGridOperation(L"Fixed row count must be less than row count");
    if (value == fixedRows_) return;
    fixedRows_ = value;
    Initialize();
    GeometryChanged();
}

void TCustomGrid::SetDefaultColWidth(int value)
{
    value = std::max(0, value);
    defaultColWidth_ = value;
    std::fill(colWidths_.begin(), colWidths_.end(), value);
    GeometryChanged();
}

void TCustomGrid::SetDefaultRowHeight(int value)
{
    value = std::max(0, value);
    defaultRowHeight_ = value;
    std::fill(rowHeights_.begin(), rowHeights_.end(), value);
    GeometryChanged();
}

int TCustomGrid::ColWidths(int index) const
{
    if (index < 0 || index >= ColCount()) return defaultColWidth_;
    return colWidths_[static_cast<size_t>(index)];
}

void TCustomGrid::SetColWidths(int index, int value)
{
    if (index < 0 || index >= ColCount()) IndexOutOfRange();
    value = std::max(0, value);
    if (colWidths_[static_cast<size_t>(index)] == value) return;
    colWidths_[static_cast<size_t>(index)] = value;
    GeometryChanged();
}

int TCustomGrid::RowHeights(int index) const
{
    if (index < 0 || index >= RowCount()) return defaultRowHeight_;
    return rowHeights_[static_cast<size_t>(index)];
}

void TCustomGrid::SetRowHeights(int index, int value)
{
    if (index < 0 || index >= RowCount()) IndexOutOfRange();
    value = std::max(0, value);
    if (rowHeights_[static_cast<size_t>(index)] == value) return;
    rowHeights_[static_cast<size_t>(index)] = value;
    GeometryChanged();
}

void TCustomGrid::SetGridLineWidth(int value)
{
    value = std::max(0, value);
    if (value == gridLineWidth_) return;
    gridLineWidth_ = value;
    GeometryChanged();
}

void TCustomGrid::SetOptions(TGridOptions value)
{
    if (value == options_) return;
    options_ = value;
    GeometryChanged();
}

void TCustomGrid::SetDefaultDrawing(bool value)
{
    if (value == defaultDrawing_) return;
    defaultDrawing_ = value;
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor value)
{
    if (value == fixedColor_) return;
    fixedColor_ = value;
    Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle value)
{
    if (value == scrollBars_) return;
    scrollBars_ = value;
    GeometryChanged();
}

TGridRect TCustomGrid::Selection() const
{
    if (options_.Contains(goRowSelect)) return {fixedCols_, current_.Y, ColCount() - 1, current_.Y};
    return {current_.X, current_.Y, current_.X, current_.Y};
}

void TCustomGrid::SetCol(int value)
{
    if (value < 0 || value >= ColCount()) IndexOutOfRange();
    if (value != current_.X) FocusCell(value, current_.Y);
}

void TCustomGrid::SetRow(int value)
{
    if (value < 0 || value >= RowCount()) IndexOutOfRange();
    if (value != current_.Y) FocusCell(current_.X, value);
}

void TCustomGrid::SetTopRow(int value)
{
    const int top = std::clamp(value, fixedRows_, std::max(fixedRows_, MaxFirst(VertAxis())));
    if (top == topLeft_.Y) return;
    topLeft_.Y = top;
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetLeftCol(int value)
{
    const int left = std::clamp(value, fixedCols_, std::max(fixedCols_, MaxFirst(HorzAxis())));
    if (left == topLeft_.X) return;
    topLeft_.X = left;
    UpdateScrollBars();
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Current cell and scrolling

bool TCustomGrid::SelectCell(int aCol, int aRow)
{
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(this, aCol, aRow, canSelect);
    return canSelect;
}

void TCustomGrid::FocusCell(int aCol, int aRow)
{
    MoveCurrent(aCol, aRow);
    Click();
}

void TCustomGrid::MoveCurrent(int aCol, int aRow)
{
    if (aCol < 0 || aRow < 0 || aCol >= ColCount() || aRow >= RowCount()) IndexOutOfRange();
    if (!SelectCell(aCol, aRow)) return;
    const TGridCoord old = current_;
    current_ = {aCol, aRow};
    ScrollIntoView(aCol, aRow);
    if (options_.Contains(goRowSelect)) {
        InvalidateRow(old.Y);
        InvalidateRow(aRow);
    } else {
        InvalidateCell(old.X, old.Y);
        InvalidateCell(aCol, aRow);
    }
}

void TCustomGrid::ScrollIntoView(int aCol, int aRow)
{
    if (aRow >= fixedRows_) {
        int top = topLeft_.Y;
        if (aRow < top) {
            top = aRow;
        } else {
            Axis v = VertAxis();
            while (top < aRow) {
                v.first = top;
                if (FullyVisible(v, top) > aRow - top) break;
                ++top;
            }
        }
        SetTopRow(top);
    }
    if (aCol >= fixedCols_ && !options_.Contains(goRowSelect)) {
        int left = topLeft_.X;
        if (aCol < left) {
            left = aCol;
        } else {
            Axis h = HorzAxis();
            while (left < aCol) {
                h.first = left;
                if (FullyVisible(h, left) > aCol - left) break;
                ++left;
            }
        }
        SetLeftCol(left);
    }
}

void TCustomGrid::Initialize()
{
    // New fixed counts: the view and the current cell start at the first scrollable cell.
    topLeft_ = {fixedCols_, fixedRows_};
    current_ = {std::min(fixedCols_, ColCount() - 1), std::min(fixedRows_, RowCount() - 1)};
}

void TCustomGrid::ClampTopLeft()
{
    topLeft_.X = std::clamp(topLeft_.X, fixedCols_, std::max(fixedCols_, MaxFirst(HorzAxis())));
    topLeft_.Y = std::clamp(topLeft_.Y, fixedRows_, std::max(fixedRows_, MaxFirst(VertAxis())));
}

void TCustomGrid::GeometryChanged()
{
    current_.X = std::clamp(current_.X, std::min(fixedCols_, ColCount() - 1), ColCount() - 1);
    current_.Y = std::clamp(current_.Y, std::min(fixedRows_, RowCount() - 1), RowCount() - 1);
    ClampTopLeft();
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::UpdateScrollBars()
{
    if (!HandleAllocated() || updatingScrollBars_) return;
    updatingScrollBars_ = true;
    // Showing one bar narrows the client area, which may call for the other one: settle.
    for (int pass = 0; pass < 3; ++pass) {
        bool changed = false;
        for (int bar : {SB_HORZ, SB_VERT}) {
            const bool horizontal = bar == SB_HORZ;
            const bool allowed = scrollBars_ == ssBoth || scrollBars_ == (horizontal ? ssHorizontal : ssVertical);
            ClampTopLeft();
            const Axis axis = horizontal ? HorzAxis() : VertAxis();
            const int maxFirst = MaxFirst(axis);
            const bool needed = allowed && maxFirst > axis.fixed;
            const bool shown = (GetWindowLongPtrW(Handle(), GWL_STYLE) & (horizontal ? WS_HSCROLL : WS_VSCROLL)) != 0;
            if (needed) {
                const int page = std::max(1, FullyVisible(axis, axis.first));
                SCROLLINFO info{};
                info.cbSize = sizeof(info);
                info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
                info.nMin = 0;
                info.nMax = maxFirst - axis.fixed + page - 1;
                info.nPage = static_cast<UINT>(page);
                info.nPos = axis.first - axis.fixed;
                if (!shown) {
                    ShowScrollBar(Handle(), bar, TRUE);
                    changed = true;
                }
                SetScrollInfo(Handle(), bar, &info, TRUE);
            } else if (shown) {
                ShowScrollBar(Handle(), bar, FALSE);
                changed = true;
            }
        }
        if (!changed) break;
    }
    updatingScrollBars_ = false;
}

void TCustomGrid::Scroll(int bar, int code)
{
    const bool horizontal = bar == SB_HORZ;
    const Axis axis = horizontal ? HorzAxis() : VertAxis();
    const int page = std::max(1, FullyVisible(axis, axis.first));
    int first = axis.first;
    switch (code) {
    case SB_LINEUP: --first; break;
    case SB_LINEDOWN: ++first; break;
    case SB_PAGEUP: first -= page; break;
    case SB_PAGEDOWN: first += page; break;
    case SB_TOP: first = axis.fixed; break;
    case SB_BOTTOM: first = MaxFirst(axis); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        if (code == SB_THUMBTRACK && !options_.Contains(goThumbTracking)) return;
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        if (!GetScrollInfo(Handle(), bar, &info)) return;
        first = axis.fixed + info.nTrackPos;
        break;
    }
    default: return;
    }
    if (horizontal)
        SetLeftCol(first);
    else
        SetTopRow(first);
}

void TCustomGrid::InvalidateCell(int aCol, int aRow)
{
    if (!HandleAllocated()) return;
    const RECT r = CellRect(aCol, aRow);
    if (r.right > r.left && r.bottom > r.top) InvalidateRect(Handle(), &r, FALSE);
}

void TCustomGrid::InvalidateRow(int aRow)
{
    if (!HandleAllocated()) return;
    const Axis v = VertAxis();
    const int y = CellStart(v, aRow);
    if (y < 0) return;
    const RECT r{0, y, static_cast<LONG>(ClientRect().Width()), y + rowHeights_[static_cast<size_t>(aRow)]};
    InvalidateRect(Handle(), &r, FALSE);
}

void TCustomGrid::SizeChanged(int, int) {}

// ---------------------------------------------------------------------------------------------
// Window

void TCustomGrid::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::CreateWnd()
{
    TCustomControl::CreateWnd();
    ClampTopLeft();
    UpdateScrollBars();
}

void TCustomGrid::WMSize(TMessage& message)
{
    TCustomControl::WMSize(message);
    ClampTopLeft();
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::CMFontChanged(TMessage& message)
{
    TCustomControl::CMFontChanged(message);
    Invalidate();
}

void TCustomGrid::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (options_.Contains(goTabs) ? DLGC_WANTTAB : 0);
        return;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (message.LParam == 0) {
            Scroll(message.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(message.WParam));
            message.Result = 0;
            return;
        }
        break;
    case WM_MOUSEWHEEL: {
        const int delta = static_cast<short>(HIWORD(message.WParam));
        if (delta < 0 && current_.Y < RowCount() - 1)
            FocusCell(current_.X, current_.Y + 1);
        else if (delta > 0 && current_.Y > fixedRows_)
            FocusCell(current_.X, current_.Y - 1);
        message.Result = 0;
        return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::Dispatch(message);
        if (options_.Contains(goRowSelect))
            InvalidateRow(current_.Y);
        else
            InvalidateCell(current_.X, current_.Y);
        return;
    default: break;
    }
    TCustomControl::Dispatch(message);
}

void TCustomGrid::WMSetCursor(TMessage& message)
{
    if (LOWORD(message.LParam) == HTCLIENT && reinterpret_cast<HWND>(message.WParam) == Handle()) {
        POINT p{};
        GetCursorPos(&p);
        ::ScreenToClient(Handle(), &p);
        if (sizingCol_ >= 0 || SizingColumnAt(p.x, p.y) >= 0) {
            ::SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            message.Result = TRUE;
            return;
        }
    }
    TCustomControl::WMSetCursor(message);
}

int TCustomGrid::SizingColumnAt(int x, int y)
{
    if (!options_.Contains(goColSizing) || fixedRows_ == 0) return -1;
    const Axis v = VertAxis();
    if (y < 0 || y >= FixedExtent(v)) return -1;
    const Axis h = HorzAxis();
    for (int c = 0; c < ColCount(); ++c) {
        const int start = CellStart(h, c);
        if (start < 0) continue;
        const int right = start + colWidths_[static_cast<size_t>(c)];
        if (std::abs(x - right) <= 2) return c;
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Mouse and keyboard

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (HandleAllocated() && !Focused() && CanFocus()) {
        try {
            SetFocus();
        } catch (const EInvalidOperation&) {
            // A grid on a hidden form cannot take the focus; the click still selects.
        }
    }
    if (button == mbLeft && !shift.Contains(ssDouble)) {
        const int sizing = SizingColumnAt(x, y);
        if (sizing >= 0) {
            sizingCol_ = sizing;
            sizingOffset_ = x - (CellStart(HorzAxis(), sizing) + colWidths_[static_cast<size_t>(sizing)]);
        } else {
            int c = -1;
            int r = -1;
            MouseToCell(x, y, c, r);
            if (c >= fixedCols_ && r >= fixedRows_) FocusCell(c, r);
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y)
{
    if (sizingCol_ >= 0 && shift.Contains(ssLeft)) {
        const int start = CellStart(HorzAxis(), sizingCol_);
        if (start >= 0) SetColWidths(sizingCol_, std::max(1, x - sizingOffset_ - start));
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft) sizingCol_ = -1;
    TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomGrid::WMLButtonDblClk(TMessage& message)
{
    // The double-clicked cell is the current one when OnDblClick runs.
    int c = -1;
    int r = -1;
    MouseToCell(message.LParamX(), message.LParamY(), c, r);
    if (c >= fixedCols_ && r >= fixedRows_ && (c != current_.X || r != current_.Y)) FocusCell(c, r);
    TCustomControl::WMLButtonDblClk(message);
}

void TCustomGrid::KeyDown(WORD& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (key == 0) return;
    const bool rowSelect = options_.Contains(goRowSelect);
    int col = current_.X;
    int row = current_.Y;
    switch (key) {
    case VK_UP: --row; break;
    case VK_DOWN: ++row; break;
    case VK_LEFT:
        if (rowSelect) {
            SetLeftCol(LeftCol() - 1);
            return;
        }
        --col;
        break;
    case VK_RIGHT:
        if (rowSelect) {
            SetLeftCol(LeftCol() + 1);
            return;
        }
        ++col;
        break;
    case VK_PRIOR: row -= std::max(1, VisibleRowCount()); break;
    case VK_NEXT: row += std::max(1, VisibleRowCount()); break;
    case VK_HOME:
        if (shift.Contains(ssCtrl))
            row = fixedRows_;
        else if (rowSelect)
            SetLeftCol(fixedCols_);
        else
            col = fixedCols_;
        break;
    case VK_END:
        if (shift.Contains(ssCtrl))
            row = RowCount() - 1;
        else if (rowSelect)
            SetLeftCol(ColCount() - 1);
        else
            col = ColCount() - 1;
        break;
    default: return;
    }
    col = std::clamp(col, std::min(fixedCols_, ColCount() - 1), ColCount() - 1);
    row = std::clamp(row, std::min(fixedRows_, RowCount() - 1), RowCount() - 1);
    if (col != current_.X || row != current_.Y) FocusCell(col, row);
}

// ---------------------------------------------------------------------------------------------
// Painting

void TCustomGrid::DrawCell(int aCol, int aRow, const TRect& rect, TGridDrawState state)
{
    if (OnDrawCell) OnDrawCell(this, aCol, aRow, rect, state);
}

void TCustomGrid::Paint()
{
    TCanvas* canvas = Canvas();
    HDC dc = canvas->Handle();
    const TRect client = ClientRect();
    const Axis h = HorzAxis();
    const Axis v = VertAxis();

    auto spans = [](const Axis& axis, int& end) {
        std::vector<Span> list;
        const int count = static_cast<int>(axis.sizes->size());
        int pos = 0;
        for (int i = 0; i < axis.fixed && i < count; ++i) {
            list.push_back({i, pos, (*axis.sizes)[static_cast<size_t>(i)]});
            pos += (*axis.sizes)[static_cast<size_t>(i)] + axis.line;
        }
        for (int i = std::max(axis.first, axis.fixed); i < count && pos < axis.extent; ++i) {
            list.push_back({i, pos, (*axis.sizes)[static_cast<size_t>(i)]});
            pos += (*axis.sizes)[static_cast<size_t>(i)] + axis.line;
        }
        end = pos;
        return list;
    };
    int colsEnd = 0;
    int rowsEnd = 0;
    const std::vector<Span> cols = spans(h, colsEnd);
    const std::vector<Span> rows = spans(v, rowsEnd);
    const int fixedWidth = FixedExtent(h);
    const int fixedHeight = FixedExtent(v);

    canvas->SetFont(Font());
    canvas->Font()->SetColor(Styled(Font()->Color()));
    canvas->Brush()->SetColor(Styled(Color()));

    // Grid lines first; the cells leave them uncovered.
    const TColor fixedLine = Styled(clBtnShadow);
    const TColor normalLine = Styled(clBtnFace);
    auto fill = [&](const TRect& r, TColor color) {
        canvas->Brush()->SetColor(color);
        canvas->FillRect(r);
    };
    if (h.line > 0) {
        for (const Span& c : cols) {
            const int x = c.start + c.size;
            const bool fixedCol = c.index < fixedCols_;
            if (options_.Contains(goFixedVertLine)) fill(TRect(x, 0, x + h.line, std::min(rowsEnd, fixedHeight)), fixedLine);
            if (rowsEnd > fixedHeight) {
                const bool draw = fixedCol ? options_.Contains(goFixedVertLine) : options_.Contains(goVertLine);
                if (draw) fill(TRect(x, fixedHeight, x + h.line, rowsEnd), fixedCol ? fixedLine : normalLine);
            }
        }
    }
    if (v.line > 0) {
        for (const Span& r : rows) {
            const int y = r.start + r.size;
            const bool fixedRow = r.index < fixedRows_;
            if (options_.Contains(goFixedHorzLine)) fill(TRect(0, y, std::min(colsEnd, fixedWidth), y + v.line), fixedLine);
            if (colsEnd > fixedWidth) {
                const bool draw = fixedRow ? options_.Contains(goFixedHorzLine) : options_.Contains(goHorzLine);
                if (draw) fill(TRect(fixedWidth, y, colsEnd, y + v.line), fixedRow ? fixedLine : normalLine);
            }
        }
    }
    // Space beyond the last column and row.
    if (colsEnd < client.Right) fill(TRect(colsEnd, 0, client.Right, client.Bottom), Styled(Color()));
    if (rowsEnd < client.Bottom) fill(TRect(0, rowsEnd, std::min<LONG>(colsEnd, client.Right), client.Bottom), Styled(Color()));

    const bool focused = Focused();
    const bool rowSelect = options_.Contains(goRowSelect);
    const TGridRect sel = Selection();
    for (const Span& r : rows) {
        for (const Span& c : cols) {
            const TRect rect(c.start, r.start, c.start + c.size, r.start + r.size);
            const RECT test = rect;
            if (rect.IsEmpty() || !RectVisible(dc, &test)) continue;
            TGridDrawState state;
            const bool fixed = c.index < fixedCols_ || r.index < fixedRows_;
            bool focusedCell = false;
            bool highlighted = false;
            if (fixed) {
                state << gdFixed;
            } else {
                focusedCell = focused && c.index == current_.X && r.index == current_.Y;
                if (focusedCell) state << gdFocused;
                if (c.index >= sel.Left && c.index <= sel.Right && r.index >= sel.Top && r.index <= sel.Bottom) {
                    state << gdSelected;
                    highlighted = !focusedCell || options_.Contains(goDrawFocusSelected) || rowSelect;
                }
                if (rowSelect && r.index == current_.Y) state << gdRowSelected;
            }
            if (defaultDrawing_) {
                canvas->SetFont(Font());
                if (highlighted) {
                    canvas->Brush()->SetColor(Styled(clHighlight));
                    canvas->Font()->SetColor(Styled(clHighlightText));
                } else {
                    canvas->Brush()->SetColor(Styled(fixed ? fixedColor_ : Color()));
                    canvas->Font()->SetColor(Styled(Font()->Color()));
                }
                canvas->FillRect(rect);
            }
            DrawCell(c.index, r.index, rect, state);
            if (defaultDrawing_ && fixed) {
                // Raised edge of a title cell.
                fill(TRect(rect.Left, rect.Top, rect.Right, rect.Top + 1), Styled(clBtnHighlight));
                fill(TRect(rect.Left, rect.Top, rect.Left + 1, rect.Bottom), Styled(clBtnHighlight));
                fill(TRect(rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom), Styled(clBtnShadow));
                fill(TRect(rect.Right - 1, rect.Top, rect.Right, rect.Bottom), Styled(clBtnShadow));
            }
            if (defaultDrawing_ && focusedCell && !rowSelect) canvas->DrawFocusRect(rect);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// TStringGrid

TStringGrid::TStringGrid(TComponent* owner) : TDrawGrid(owner)
{
    cells_.assign(static_cast<size_t>(RowCount()), std::vector<UnicodeString>(static_cast<size_t>(ColCount())));
}

UnicodeString TStringGrid::Cells(int aCol, int aRow) const
{
    if (aRow < 0 || aCol < 0 || aRow >= static_cast<int>(cells_.size())) return {};
    const auto& row = cells_[static_cast<size_t>(aRow)];
    if (aCol >= static_cast<int>(row.size())) return {};
    return row[static_cast<size_t>(aCol)];
}

void TStringGrid::SetCells(int aCol, int aRow, const UnicodeString& value)
{
    if (aRow < 0 || aCol < 0 || aRow >= static_cast<int>(cells_.size())) return;
    auto& row = cells_[static_cast<size_t>(aRow)];
    if (aCol >= static_cast<int>(row.size())) return;
    if (row[static_cast<size_t>(aCol)] == value) return;
    row[static_cast<size_t>(aCol)] = value;
    InvalidateCell(aCol, aRow);
}

void TStringGrid::SizeChanged(int oldColCount, int oldRowCount)
{
    TDrawGrid::SizeChanged(oldColCount, oldRowCount);
    // Cells beyond the new size are dropped: a grid cut back and grown again starts empty.
    cells_.resize(static_cast<size_t>(RowCount()));
    for (auto& row : cells_) row.resize(static_cast<size_t>(ColCount()));
}

void TStringGrid::DrawCell(int aCol, int aRow, const TRect& rect, TGridDrawState state)
{
    if (DefaultDrawing()) Canvas()->TextRect(rect, rect.Left + 2, rect.Top + 2, Cells(aCol, aRow));
    TDrawGrid::DrawCell(aCol, aRow, rect, state);
}

// ---------------------------------------------------------------------------------------------

void RegisterGridsClasses()
{
    static bool done = false;
    if (done) return;
    done = true;

    static const TEnumTypeInfo optionInfo{{L"goFixedVertLine", L"goFixedHorzLine", L"goVertLine", L"goHorzLine",
                                           L"goRangeSelect", L"goDrawFocusSelected", L"goRowSizing", L"goColSizing",
                                           L"goRowMoving", L"goColMoving", L"goEditing", L"goTabs", L"goRowSelect",
                                           L"goAlwaysShowEditor", L"goThumbTracking", L"goFixedColClick",
                                           L"goFixedRowClick", L"goFixedHotTrack"},
                                          0};
    static const TEnumTypeInfo scrollInfo{{L"ssNone", L"ssHorizontal", L"ssVertical", L"ssBoth"}, 0};

    const UnicodeString g = L"TCustomGrid";
    RegisterPublishedClass(g, L"TCustomControl");
    RegisterPublishedProperty(g, OrdProp(L"ColCount", pkInteger, &TCustomGrid::ColCount, &TCustomGrid::SetColCount, int64_t{5}));
    RegisterPublishedProperty(g, OrdProp(L"RowCount", pkInteger, &TCustomGrid::RowCount, &TCustomGrid::SetRowCount, int64_t{5}));
    RegisterPublishedProperty(g, OrdProp(L"FixedCols", pkInteger, &TCustomGrid::FixedCols, &TCustomGrid::SetFixedCols, int64_t{1}));
    RegisterPublishedProperty(g, OrdProp(L"FixedRows", pkInteger, &TCustomGrid::FixedRows, &TCustomGrid::SetFixedRows, int64_t{1}));
    RegisterPublishedProperty(g, OrdProp(L"DefaultColWidth", pkInteger, &TCustomGrid::DefaultColWidth,
                                         &TCustomGrid::SetDefaultColWidth, int64_t{64}));
    RegisterPublishedProperty(g, OrdProp(L"DefaultRowHeight", pkInteger, &TCustomGrid::DefaultRowHeight,
                                         &TCustomGrid::SetDefaultRowHeight, int64_t{24}));
    RegisterPublishedProperty(g, OrdProp(L"GridLineWidth", pkInteger, &TCustomGrid::GridLineWidth,
                                         &TCustomGrid::SetGridLineWidth, int64_t{1}));
    RegisterPublishedProperty(g, OrdProp(L"Options", pkSet, &TCustomGrid::Options, &TCustomGrid::SetOptions,
                                         std::nullopt, &optionInfo));
    RegisterPublishedProperty(g, OrdProp(L"DefaultDrawing", pkBool, &TCustomGrid::DefaultDrawing,
                                         &TCustomGrid::SetDefaultDrawing, int64_t{1}));
    RegisterPublishedProperty(g, OrdProp(L"FixedColor", pkColor, &TCustomGrid::FixedColor, &TCustomGrid::SetFixedColor,
                                         int64_t{clBtnFace}));
    RegisterPublishedProperty(g, OrdProp(L"ScrollBars", pkEnum, &TCustomGrid::ScrollBars, &TCustomGrid::SetScrollBars,
                                         int64_t{ssBoth}, &scrollInfo));
    RegisterPublishedProperty(g, EventProp(L"OnDrawCell", &TCustomGrid::OnDrawCell));
    RegisterPublishedProperty(g, EventProp(L"OnSelectCell", &TCustomGrid::OnSelectCell));

    RegisterPublishedClass(L"TDrawGrid", g);
    RegisterPublishedClass(L"TStringGrid", L"TDrawGrid");
    RegisterComponentClass<TDrawGrid>(L"TDrawGrid");
    RegisterComponentClass<TStringGrid>(L"TStringGrid");
}
