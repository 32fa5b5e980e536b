#pragma once
// Scrolling window wrappers: TacBaseWnd, the base of the edit, list, grid, tree, combo-box and MDI
// wrappers, and the routines with which skinned controls attach, refresh and remove the scroll
// wrapper of their own window. TacScrollWnd itself is declared with its bars (acScrollBar.h).
//
// The window-system glue the wrappers need lives in acScrollWndGlue.cpp: Wine paints its standard
// bars wherever WS_HSCROLL/WS_VSCROLL is set, also where the wrapper reserved no room for them,
// so the style bits are taken off around the messages that would paint them.
#include "acScrollBar.h"

#include <windows.h>

class TsScrollWndData;

// Dropped by the scrolling wrappers while skinned.
inline constexpr UINT WM_ACDROPPED = 0x2100;
// The window's own vertical-scroll system command, sent from a standard bar.
inline constexpr WPARAM SC_ACVSCROLLBAR = 0xF077;
static_assert(SWP_NOSIZE + SWP_NOMOVE + SWP_NOZORDER + SWP_NOACTIVATE + SWP_FRAMECHANGED + SWP_NOCOPYBITS +
                  SWP_NOOWNERZORDER + SWP_NOSENDCHANGING == 0x737);
// Frame-change flags of SetWindowPos that let the window compute its non-client size again.
inline constexpr UINT SWP_ACFRAMECHANGED = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                                           SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING; // 0x737

// The repaint rules shared by the wrappers of scrolled content.
class TacBaseWnd : public TacScrollWnd {
public:
    UnicodeString ClassName() const override { return L"TacBaseWnd"; }
    void acWndProc(TMessage& Message) override;
};

// Removes a scroll wrapper like UninitializeACWnd, also cutting its bars; with Free deletes it and
// sets sw to null.
void UninitializeACScroll(HWND Wnd, bool Free, bool Repaint, TacScrollWnd*& sw);
// Attaches a scroll wrapper to a skinned control's window, or removes it when the control is no
// longer skinned (the comctl32 flat bars are switched off meanwhile).
void RefreshScrolls(TsScrollWndData* SkinData, TacScrollWnd*& sw);
// The same for edit-like controls (a TacEditWnd) and tree-like controls (a TacTreeViewWnd, whose
// background is left alone with SkipBG).
void RefreshEditScrolls(TsScrollWndData* SkinData, TacScrollWnd*& sw);
void RefreshTreeScrolls(TsScrollWndData* SkinData, TacScrollWnd*& sw, bool SkipBG);
// Reads both bars' scroll info again and, with Repaint, paints them.
void UpdateScrolls(TacScrollWnd* sw, bool Repaint);

// The wrappers RefreshEditScrolls and RefreshTreeScrolls make (a TacEditWnd, a TacTreeViewWnd).
TacScrollWnd* NewEditWnd(HWND AHandle, TsScrollWndData* SkinData);
TacScrollWnd* NewTreeViewWnd(HWND AHandle, TsScrollWndData* SkinData, bool SkipBG);

// --- window-system glue (acScrollWndGlue.cpp)
// Passes a message on with both scroll-style bits taken off the window meanwhile; the wrapper's
// own style change is not reported to the window (bPreventStyleChange).
LRESULT PassOnWithoutBars(TacScrollWnd* sw, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// Whether a message that reaches the previous procedure would let the system paint its bars.
bool PaintsSystemBars(UINT Msg, WPARAM WParam);
// Repaints the whole frame: the window's border, both bars and the corner box.
void RepaintScrollFrame(TacScrollWnd* sw);
