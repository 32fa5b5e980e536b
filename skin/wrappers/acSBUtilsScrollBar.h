#pragma once
// The wrapper of the framework's stand-alone scroll bar (TScrollBar): the whole window is painted
// as a skinned bar with a geometry of its own (two arrow buttons, the bar parts before and after
// the thumb, the thumb) computed from the window's size and the wrapper's copy of the scroll
// information; the parts follow the mouse (hot, pressed) and a pressed thumb follows the pointer
// through hit testing. Arrow buttons and thumb look as those of the skinned bars of other windows.
#include "acSBUtils.h"
#include "sConst.h"

#include <windows.h>

class TScrollBar;

// The parts of one scroll-bar control: arithmetic over its size and scroll information only.
// Length is the height of a vertical bar and the width of a horizontal one; "nearest" rounds a
// half to the even neighbour.
struct TacSBGeometry {
    bool Vertical = false;
    bool Enabled = true;
    int Width = 0;
    int Height = 0;
    int BtnSize = 0; // length of an arrow button along the bar
    int Min = 0;
    int Max = 0;
    int Page = 0;
    int Pos = 0; // the position the thumb shows

    int Length() const { return Vertical ? Height : Width; }
    int WorkSize() const { return Length() - 2 * BtnSize; }
    // Max - Min - (Page - 1), Page counted from 1.
    int Range() const;
    int SliderSize() const;
    // The thumb's centre along the bar.
    int PositionToCoord() const;
    // The position (from Min) a thumb centred at the point would show; 0 when disabled or
    // without room for the thumb.
    int CoordToPosition(const TPoint& P) const;
    TRect Btn1Rect() const;
    TRect Btn2Rect() const;
    TRect Bar1Rect() const;
    TRect Bar2Rect() const;
    TRect SliderRect() const;
};

// Part indexes of SetInteger.
enum TacSBPart { sbpBtn1, sbpBtn2, sbpBar1, sbpBar2, sbpSlider };

class TacSBWnd : public TacMainWnd {
public:
    UnicodeString ClassName() const override { return L"TacSBWnd"; }
    void AfterCreation() override;
    void acWndProc(TMessage& Message) override;

    // The geometry the control has now (its size, kind, state and FSI with FCurrPos).
    TacSBGeometry Geometry() const;
    // The skin manager's scroll size at 96 pixels per inch.
    int SysBtnSize() const;
    bool IsVertical() const;
    // The skin data's control is active.
    bool BarIsHot() const;
    // A part's state, with the rule that keeps the others consistent.
    void SetInteger(int Index, int Value);
    int GetInteger(int Index) const;
    void InitScrollData();
    void LMouseDown(int X, int Y);
    void LMouseUp(int X, int Y);
    void UpdateBar();

    int FCurrPos = 0;
    int FBar1State = 0, FBar2State = 0, FBtn1State = 0, FBtn2State = 0, FSliderState = 0;
    SCROLLINFO FSI{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    TRect FBtn1Rect, FBtn2Rect, FBar1Rect, FBar2Rect, FSliderRect;
    TCacheInfo CI; // the last painted bitmap (the cache; none while disabled)
    TScrollBar* Control = nullptr;
    bool FRepainting = false;
    int FLockCount = 0;
    int MouseOffset = 0;
    int ScrollCode = 0;

private:
    void Paint(TMessage& Message);
    void PaintTo(HDC DC);
    void SetScrollInfoMsg(TMessage& Message);
    // The base runs with drawing switched off (the window's own look never shows); then the
    // window is painted by the wrapper.
    void BaseWithoutDrawing(TMessage& Message);
    void RedrawNow();
    void HitTest(TMessage& Message);
    void DoubleClick(TMessage& Message);
    void Press(TMessage& Message);
    TPoint ClientPoint(const TMessage& Message, bool Screen) const;
    TPoint CursorPoint() const;
    bool IsEnabled() const;
    bool IsShowing() const;
    void PassOn(TMessage& Message);
};
