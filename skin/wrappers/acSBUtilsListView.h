#pragma once
// The list-view wrapper: a list view ("SysListView32") gets the skin's colours, the skinned border
// and scroll bars of the edit wrapper, and in report view a column header ("SysHeader32") painted
// entirely by the wrapper, with hot and pressed columns, sort arrows and column images. Thumb
// drags scroll the list by the wrapper, the system keeping its own scroll position.
#include "acSBUtilsEdit.h"

#include <windows.h>

class TacHeaderRelay;

class TacListViewWnd : public TacEditWnd {
public:
    ~TacListViewWnd() override;
    UnicodeString ClassName() const override { return L"TacListViewWnd"; }

    void AfterCreation() override;
    void SaveStdParams() override;
    void RestoreStdParams() override;
    void SetSkinParams() override;
    void acWndProc(TMessage& Message) override;
    bool IsListViewWnd() const override { return true; }

    // 0 icon, 1 small icon, 2 list, 3 report.
    int ViewStyle() const;
    bool HotTrack() const { return true; }
    // The rectangle (header coordinates) of the column shown at display position Index.
    bool GetHeaderColumnRect(int Index, TRect& R) const;
    // Every column and the area after the last one; DC null paints the header's own update.
    void PaintHeader(HDC DC);
    // One column (Index -2: the area after the last column) at R of DC.
    void ColumnSkinPaint(const TRect& R, int Index, HDC DC);
    void HeaderWndProc(TMessage& Message);

    HWND FhWndHeader = nullptr;
    WNDPROC FhHeaderProc = nullptr;
    WNDPROC FhDefHeaderProc = nullptr;
    int FPressedColumn = -1;
    int HoverColIndex = -1;

private:
    friend class TacHeaderRelay;
    // The header's procedure is bound to a relay that outlives the wrapper when the header was
    // subclassed again after us (it then passes everything on and frees itself with the header).
    TacHeaderRelay* headerRelay_ = nullptr;
    // Takes over the header's procedure; a header already taken over is given back first.
    void SubclassHeader(HWND Header);
    void GiveBackHeader();
    void RepaintHeader();
    // Resets a hot or pressed column; true when there was one.
    bool ResetColumns();
    bool HeaderActive() const;
    // The header printed into DC (window coordinates of the list).
    void PrintHeader(HDC DC);
    void ThumbTrack(TMessage& Message);
    // The colour behind the header's columns.
    TColor HeaderColor() const;
};
