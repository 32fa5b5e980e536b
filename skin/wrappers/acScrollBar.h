#pragma once
// Skinned scroll bars of a wrapped window: the standard bars that WS_HSCROLL and WS_VSCROLL give
// a window, measured, hit-tested and painted from the skin straight into the window DC, and
// operated with the mouse (clicks, Shift-jumps, thumb drags, button repeat and hover tracking).
// The system keeps the bars' data (range, page, position); the engine keeps only their looks
// and turns the mouse into the WM_HSCROLL/WM_VSCROLL messages the window expects, each wrapped
// in the commands "before scroll" and "after scroll".
//
// The scrolling wrapper TacScrollWnd owns the two bars; its window procedure (acScrollWnd*.cpp,
// with the routines that attach and remove it in acScrollWnd.h) calls the message handlers
// declared at the end.
#include "acSBUtils.h"
#include "sConst.h"

#include <windows.h>

#include <cstdint>
#include <memory>

class TBitmap;
class TacScrollBar;
class TacSkinData;

// The wrapper of any window that may show standard scroll bars.
class TacScrollWnd : public TacMainWnd {
public:
    TacScrollWnd();
    ~TacScrollWnd() override;
    UnicodeString ClassName() const override { return L"TacScrollWnd"; }

    void InitSkinData() override;
    void acWndProc(TMessage& Message) override;
    void Subclass(HWND AHandle, bool Repaint) override;
    // Attaches the bars, publishes the wrapper ("ACSBSC"), takes over the window and, with
    // Repaint, lets the window compute its frame through the wrapper.
    void InitializeACScroll(HWND AHandle, bool Repaint);

    // Makes the two bars (owned by this wrapper) with the window's scroll info and style bits.
    void CreateBars(HWND AHandle);
    // fLeftScrollbar from the extended style WS_EX_LEFTSCROLLBAR.
    void UpdateLeftScroll();

    // --- what later wrapper classes answer differently
    // List views keep the system's scroll position while their thumb is dragged.
    virtual bool IsListViewWnd() const { return false; }
    // The drop-down list of a data-aware combo box wants coarse thumb positions.
    virtual bool IsDBScrollList() const { return false; }
    // A drop-down list of a foreign list that is not a simple box keeps the capture.
    virtual bool KeepsCaptureOnButtonUp() const { return false; }
    // A menu wrapper never becomes the manager's active control.
    virtual bool IsMenuWnd() const { return false; }

    bool fLeftScrollbar = false;
    bool ScrollsInitialized = false;
    bool bPreventStyleChange = false;
    bool fThumbTracking = false;
    std::unique_ptr<TacScrollBar> sBarHorz;
    std::unique_ptr<TacScrollBar> sBarVert;
    int cxLeftEdge = -1;
    int cxRightEdge = 0;
    int cyTopEdge = 0;
    int cyBottomEdge = 0;
};

// One bar of a scroll wrapper.
class TacScrollBar : public TObject {
public:
    UnicodeString ClassName() const override { return L"TacScrollBar"; }

    std::uint16_t fScrollFlags = 0; // ESB_DISABLE_LTUP | ESB_DISABLE_RTDN | kSbRangeNeeded | kSbStyleShown
    std::uint16_t nBarType = SB_HORZ;
    int nArrowWidth = -1;
    int nArrowLength = -1;
    int nButSizeAfter = 0;
    int nButSizeBefore = 0;
    int nMinThumbSize = 16;
    bool fButVisibleBefore = false;
    bool fButVisibleAfter = false;
    TacScrollWnd* sw = nullptr;
    bool fScrollVisible = false;
    SCROLLINFO ScrollInfo{};
};

// Bits of fScrollFlags beside the two arrow-disable bits.
inline constexpr std::uint16_t kSbRangeNeeded = 4; // the thumb needs an active range
inline constexpr std::uint16_t kSbStyleShown = 8;  // the window style shows this bar

// Portions of a bar, named by the scroll code each sends; SB_ENDSCROLL ends a scroll.
inline constexpr int HTSCROLL_NONE = -1;
inline constexpr int HTSCROLL_LINEUP = SB_LINEUP;
inline constexpr int HTSCROLL_LINEDOWN = SB_LINEDOWN;
inline constexpr int HTSCROLL_PAGEUP = SB_PAGEUP;
inline constexpr int HTSCROLL_PAGEDOWN = SB_PAGEDOWN;
inline constexpr int HTSCROLL_THUMBPOS = SB_THUMBPOSITION; // track clicked with Shift: jump
inline constexpr int HTSCROLL_THUMBTRACK = SB_THUMBTRACK;

// Timers on the wrapped window.
inline constexpr UINT_PTR kHoverTimerId = 0xFFF2;
inline constexpr UINT_PTR kFirstRepeatTimerId = 0xFFFD;
inline constexpr UINT_PTR kRepeatTimerId = 0xFFFE;
inline constexpr UINT kHoverInterval = 20;
inline constexpr UINT kFirstRepeatDelay = 300;
inline constexpr UINT kRepeatInterval = 55;

extern int acMinThumbSize; // 16
extern int nLastSBPos;     // last position sent while dragging; -1

// System entries bound at start-up; null until bound.
using TGetScrollBarInfoEntry = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);
using TFlatSBEntry = HRESULT(WINAPI*)(HWND);
extern TGetScrollBarInfoEntry Ac_GetScrollBarInfo;
extern TFlatSBEntry Ac_InitializeFlatSB;
extern TFlatSBEntry Ac_UninitializeFlatSB;
// The key-state query of the Shift test (GetAsyncKeyState unless replaced).
using TKeyStateQuery = SHORT(WINAPI*)(int);
extern TKeyStateQuery acGetAsyncKeyState;

// What one tracked bar needs between messages; one set for the process (main thread only).
struct TacScrollTracking {
    HWND TrackedWindow = nullptr;
    int CurrentBar = -1;
    int ClickedPortion = -1;
    int PressedPortion = -1;
    UINT ScrollMessage = 0;
    UINT_PTR RepeatTimer = 0;
    int HoverBar = -1;
    int HotPortion = -1;
    int LastHotPortion = -1;
    UINT_PTR HoverTimer = 0;
    TRect HoverRect;
    TRect TrackRect;
    int ThumbSize = 0;
    int ThumbPos = 0;
    int ThumbOffset = 0;
    bool InHitTest = false;
};
extern TacScrollTracking ScrollTracking;
// Back to the initial state (no timers are killed).
void ResetScrollTracking();

// --- metrics and geometry
// Thickness (IsWidth) or button length of the bar; 0 without a bar.
int GetScrollMetric(TacScrollBar* sb, bool IsWidth);
// Screen rectangles of the bars.
void ac_GetHScrollRect(TacScrollWnd* sw, HWND Wnd, TRect& R);
void ac_GetVScrollRect(TacScrollWnd* sw, HWND Wnd, TRect& R);
bool GetScrollRect(TacScrollWnd* sw, int nBar, HWND Wnd, TRect& R);
// Thumb length and start along the bar in R; false without a bar.
bool CalcThumbSize(TacScrollBar* sb, const TRect& R, int& ThumbSize, int& ThumbPos);
// Portion of the bar at the screen point (X, Y) of the bar rectangle R.
int HitTestScrollBar(TacScrollBar* sb, HWND Wnd, const TRect& R, int X, int Y);
int HitTestHorzAt(TacScrollBar* sb, const TRect& R, int X, int Y);
int HitTestVertAt(TacScrollBar* sb, const TRect& R, int X, int Y);
int HitTestHorz(TacScrollBar* sb, const TRect& R, int X);
int HitTestVert(TacScrollBar* sb, const TRect& R, int Y);
bool IsScrollBarActive(TacScrollBar* sb);
bool IsScrollInfoActive(const SCROLLINFO& ScrollInfo);
// The bar of a window's scroll wrapper (nBar SB_HORZ or SB_VERT), or null.
TacScrollBar* GetScrollBarFromHwnd(HWND Wnd, int nBar);
// Minimum thumb length of one bar or both (SB_BOTH); false without a scroll wrapper.
bool SetMinThumbSize(HWND Wnd, int nBar, int Size);

// --- painting
// Where an arrow button's section is painted for the button at R: enlarged (or narrowed) along
// the bar when the skin's button section for the side asks for it by its flag and has a glyph.
TRect BtnDrawRect(const TRect& R, TacSkinData* SkinData, TacSide Side);
void ac_DrawScrollBtn(const TRect& R, int State, TBitmap* Bmp, TacSkinData* SkinData, TacSide Side);
void ac_DrawSlider(const TRect& R, int State, TBitmap* Bmp, TacSkinData* SkinData, bool Vertical);
void DrawCenteredGlyph(TBitmap* Bmp, int ImgIndex, int State, const TRect& R, TacSkinData* SkinData);
// One bar at R (window coordinates of DC); ThumbPos -1 computes the thumb's place.
void DrawScrollBar(TacScrollBar* sb, HWND Wnd, HDC DC, int ThumbPos, int Pressed, const TRect& R);
void DrawHorzScrollBar(TacScrollBar* sb, HWND Wnd, HDC DC, int ThumbPos, int Pressed, const TRect& R);
void DrawVertScrollBar(TacScrollBar* sb, HWND Wnd, HDC DC, int ThumbPos, int Pressed, const TRect& R);
// Both bars and the corner box; DC null paints into the window DC. Pressed -1: none.
int ac_NCDraw(TacScrollWnd* sw, HWND Wnd, int Pressed, HDC DC);
// The corner box of both bars is the size grip of a top-level parent.
bool IsSizeGripCorner(TacScrollWnd* sw, HWND Wnd);

// --- scrolling
// Command 51, the scroll message, command 52.
void SendScrollMessage(HWND Wnd, UINT Msg, int ScrollCode, int Pos, bool SetPos);

// --- message handlers of the scroll wrapper (each passes on what it does not take)
LRESULT ScrollNCCalcSize(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam);
LRESULT ScrollNCHitTest(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam);
LRESULT ScrollNCMouseMove(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam);
LRESULT ScrollNCLButtonDown(TacScrollWnd* sw, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
LRESULT ScrollMouseMove(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam);
LRESULT ScrollLButtonUp(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam);
LRESULT ScrollTimer(TacScrollWnd* sw, HWND Wnd, WPARAM WParam, LPARAM LParam);
