#pragma once
// The wrappers of tab controls ("systabcontrol32", the framework's page control): the tab
// control keeps its own logic (items, selection, rows, scrolling); the wrapper paints the page
// frame and every tab from the skin, for all four tab positions, and wraps the tab control's
// up-down arrows. Page wrappers paint a page with the tab control's background so that the page
// looks transparent on the skinned frame.
#include "acSBUtils.h"
#include "sConst.h"

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

class TacSpinWnd;
class TPageControl;
class TTabSheet;

// Tab position (from the style): 0 top, 1 bottom, 2 left, 3 right.
int acTabPosition(HWND Wnd);
// Tab style: 0 tabs, 1 buttons, 2 flat buttons.
int acTabStyle(HWND Wnd);
// The side of the skin's tab table for each tab position.
inline constexpr std::array<TacSide, 4> acTabSides{asTop, asBottom, asLeft, asRight};

// A minimal tab wrapper: its paint handlers size the cache to the window and copy it.
class TacTabWnd : public TacMainWnd {
public:
    UnicodeString ClassName() const override { return L"TacTabWnd"; }
    void acWndProc(TMessage& Message) override;
};

class TacTabControlWnd : public TacMainWnd {
public:
    ~TacTabControlWnd() override;
    UnicodeString ClassName() const override { return L"TacTabControlWnd"; }
    void AfterCreation() override;
    void acWndProc(TMessage& Message) override;
    // The display rectangle (TCM_ADJUSTRECT) with its top 2 lower.
    virtual TRect ClientRect();
    // The frame around the pages: the window without the tabs' strip.
    virtual TRect PageRect();

    // --- queries to the window
    int TabCount();
    int ActiveTabIndex();
    TRect TabRect(int Index);
    int RowCount();
    int TabPosition() { return acTabPosition(CtrlHandle); }
    int TabStyle() { return acTabStyle(CtrlHandle); }
    // The strip of the tabs.
    TRect TabsRect();
    // Row of tab Index; 1 is the row farthest from the page.
    int TabRow(int Index);
    // Where tab Index is painted.
    TRect SkinTabRect(int Index, bool Active);
    // Wraps the up-down child, or frees the wrapper when the child is gone.
    void CheckUpDown();

    void AC_WMPaint(TMessage& Message);
    // The tabs' strip and every tab but the selected one into the cache.
    void DrawSkinTabs(const TCacheInfo& CI);
    // One tab into Bmp, at its place moved by Offset. State: 0 normal, 1 hot, 2 selected.
    void DrawSkinTab(int Index, int State, TBitmap* Bmp, const TPoint& Offset);

    std::unique_ptr<TacSpinWnd> BtnSW; // the up-down child's wrapper

protected:
    void RedrawButtons();

private:
    void DrawTabContent(int Index, int State, TBitmap* Bmp, const TRect& R, int SkinIndex);
};

class TacPageControlWnd : public TacTabControlWnd {
public:
    UnicodeString ClassName() const override { return L"TacPageControlWnd"; }
    void AfterCreation() override;
    void acWndProc(TMessage& Message) override;
    // Wraps the pages that are not wrapped yet.
    void InitPages();

private:
    TPageControl* PageControl() const;
};

class TacPageWnd : public TacMainWnd {
public:
    UnicodeString ClassName() const override { return L"TacPageWnd"; }
    void AfterCreation() override;
    void acWndProc(TMessage& Message) override;
    // Paints the page's background into DC.
    void PaintPage(HDC DC);

    TTabSheet* Page = nullptr; // the framework page, or null for a foreign one
};

// Every page wrapper made; made on first use.
std::vector<TacPageWnd*>& acPageWndList();
// Frees every page wrapper and empties the list.
void acFreePageWndList();
