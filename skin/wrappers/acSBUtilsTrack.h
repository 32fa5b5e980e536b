#pragma once
// The wrapper of standard track bars ("msctls_trackbar32"): the window keeps its own logic
// (range, position, channel and thumb rectangles, tick positions); the wrapper paints the
// background, the channel, the ticks and the thumb from the skin into the cache and copies it to
// the window. The channel and tick look-ups that both this wrapper and the skinned track bar
// need are the unit routines below.
#include "acSBUtils.h"

#include <windows.h>

#include <vector>

// The channel of a track bar window in its own orientation: the window is asked for it
// (TBM_GETCHANNELRECT) and a vertical bar's channel that comes back wider than tall (given as if
// the bar were horizontal) is turned.
TRect acTrackChannelRect(HWND Wnd);
// The tick points on the channel's axis, first and last included: the first at the channel's
// start plus half the thumb, the last at its end minus half the thumb, the others where the
// window puts them (TBM_GETTICPOS); a position the window gives outside the channel's extent, or
// for a vertical bar one within the thumb's extent across the bar (a horizontal measure), is
// computed from the tick's value, the range and the channel instead.
std::vector<TPoint> acTrackTickPoints(HWND Wnd, const TRect& Channel, const TRect& Thumb);

class TacTrackWnd : public TacMainWnd {
public:
    UnicodeString ClassName() const override { return L"TacTrackWnd"; }
    void AfterCreation() override;
    void acWndProc(TMessage& Message) override;

    // --- queries to the window
    bool IsVertical();
    // 2 both sides, 1 top or left, 0 bottom or right.
    int TickMarks();
    // 0 without ticks, else 1.
    int TickStyle();
    TRect ChannelRect();
    TRect ThumbRect();
    int TickCount();
    int TickPos(int Index);
    std::vector<TPoint> TicksArray();

    void AC_WMPaint(TMessage& Message);
    void PrepareCache();
    void PaintBody();
    void PaintBar();
    void PaintTicksHor();
    void PaintTicksVer();
    void PaintTick(const TPoint& P, bool Horizontal);
    void PaintThumb(int Position);
    // Pressed 2 while the button is down on it, hot 1 while active, else 0.
    int ThumbState();
    bool Mode() const { return bMousePressed; }

    int TickHeight = 4;
    bool bMousePressed = false;
    int iStep = 0;

private:
    int TickOffset(); // distance of the ticks from the channel, across it
    bool IsActive();
};
