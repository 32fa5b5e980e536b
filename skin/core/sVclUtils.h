#pragma once
// Control and window utilities of the skin library: where the mouse is and what lies under it,
// screen bounds, work areas and pixels per inch, control colours under the skin, walking and
// mirroring control trees, plain text and alignment helpers, the shared output window and the
// uxtheme entries bound at start-up; the images of controls with their children; and the
// routines that send the library's command message: straight through the window procedure a
// skinned control keeps where one exists, else through the window system.
#include "Colors.h"
#include "Controls.h"
#include "Messages.h"
#include "StdCtrls.h"
#include "sConst.h"

#include <uxtheme.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TBitmap;
class TCanvas;
class TCustomForm;
class TCustomFrame;
class TForm;
class THintWindow;
class TStyleServices;
class TsCommonData;
class TsSkinProvider;

// True while a form or dialog is shown or hidden by animation.
extern bool InAnimationProcess;
// InAnimationProcess for one animation: set from construction, cleared once, by Release or at
// the end of the scope, also when a step raises (else SetParentUpdated would stay silent).
class TacAnimationScope {
public:
    TacAnimationScope() { InAnimationProcess = true; }
    ~TacAnimationScope() { Release(); }
    TacAnimationScope(const TacAnimationScope&) = delete;
    TacAnimationScope& operator=(const TacAnimationScope&) = delete;
    void Release()
    {
        if (!held_) return;
        held_ = false;
        InAnimationProcess = false;
    }

private:
    bool held_ = true;
};
// True while PaintControls runs; a nested call does nothing.
extern bool acGraphPainting;

// Around window and bitmap calls whose errors the library ignores; they do nothing.
inline void ResetLastError() {}
inline void CheckLastError() {}

// ---------------------------------------------------------------------------------------------
// uxtheme entries bound at start-up (null when missing; every user tests them)

using TSetWindowTheme = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
using TBeginBufferedPaint = HPAINTBUFFER(WINAPI*)(HDC, const RECT*, BP_BUFFERFORMAT, BP_PAINTPARAMS*, HDC*);
using TEndBufferedPaint = HRESULT(WINAPI*)(HPAINTBUFFER, BOOL);
using TBufferedPaintSetAlpha = HRESULT(WINAPI*)(HPAINTBUFFER, const RECT*, BYTE);

extern HMODULE uxthemeLib; // null when "UXTHEME" did not load (or gave a handle below 33)
extern TSetWindowTheme ac_SetWindowTheme;
extern TBeginBufferedPaint acBeginBufferedPaint;
extern TEndBufferedPaint acEndBufferedPaint;
// The system header owns the plain names, hence the prefix. uxtheme has no opaque-making entry
// of its own: alpha 255 through BufferedPaintSetAlpha.
extern TBufferedPaintSetAlpha acBufferedPaintSetAlpha;
extern TStyleServices* acThemeServices;
// Whether the style services report themes on; refreshes acThemeServices.
bool acThemesEnabled();

// DrawText alignment flag by TAlignment, and the alignment mirrored for right-to-left.
inline constexpr std::array<UINT, 3> AlignToInt{DT_LEFT, DT_RIGHT, DT_CENTER};
inline constexpr std::array<TAlignment, 3> BidiAlign{taRightJustify, taLeftJustify, taCenter};

// ---------------------------------------------------------------------------------------------
// The shared output window

// An invisible auxiliary pop-up window named "acOW<tick count>", coloured 0xFF00FF, that never
// erases or paints its frame. Without a parent it is owned by the application's window and
// topmost when its owner control's window is.
class TOutputWindow : public TCustomControl {
public:
    explicit TOutputWindow(TComponent* owner);
    UnicodeString ClassName() const override { return L"TOutputWindow"; }

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
};
extern TOutputWindow* ow;

// ---------------------------------------------------------------------------------------------
// Mouse and hit tests

// Where the library reads the pointer and the mouse buttons (tests put entries of their own in
// place, so they place the pointer without moving the real one).
struct TacPointerEntries {
    BOOL(WINAPI* GetCursorPos)(LPPOINT) = &::GetCursorPos;
    SHORT(WINAPI* GetAsyncKeyState)(int) = &::GetAsyncKeyState;
};
const TacPointerEntries& acPointerEntries();
// Puts other entries in place; returns the ones that were in place.
TacPointerEntries acReplacePointerEntries(const TacPointerEntries& entries);
// The left mouse button is held now.
bool acLeftButtonDown();

// Without control the cursor position ((0, 0) when unreadable); else relative to the control's
// screen bounds.
TPoint acMousePos(TControl* control = nullptr);
void acMousePos(TControl* control, TPoint& p);
// The cursor relative to the window rectangle.
TPoint acMouseInWnd(HWND wnd);
// The point (X, Y) of the screen relative to the window rectangle.
TPoint acMouseInWnd(HWND wnd, int x, int y);
bool acMouseInControl(TControl* control);
bool acMouseInControlDC(HWND wnd);
// The manager's hot windowless control, else the deepest of our controls under the cursor.
TControl* CtrlUnderMouse();
// The control of the window under the screen point, walking up to a window of ours.
TWinControl* FindVCLWindow(const TPoint& p);
bool ContainsWnd(HWND child, HWND parent);
// A visible, non-layered, non-transparent window above the control's form covers part of it.
bool CtrlIsOverlapped(TControl* control);
bool CtrlDCIsVisible(TControl* control);

// ---------------------------------------------------------------------------------------------
// Geometry and pixels per inch

TRect GetCtrlScreenBounds(TControl* control);
// The client rectangle in window coordinates.
TRect acClientRect(HWND wnd);
// The client origin in window coordinates.
TPoint GetClientPos(HWND wnd);
// The work area of the form's monitor.
TRect acWorkRect(TForm* form);
// The work area that contains the point, else the last monitor's.
TRect acWorkRect(const TPoint& p);
HWND GetRootParent(HWND wnd);
HWND GetParentFormHandle(HWND wnd);
// The first owner (the component itself included) of that kind, or null.
TCustomForm* GetOwnerForm(TComponent* component);
TCustomFrame* GetOwnerFrame(TComponent* component);
inline HWND TopWndAfter() { return HWND_TOPMOST; }
// Heights (alTop, alBottom) or widths (alLeft, alRight) of the parent's visible children with
// that alignment; windowed ones only with includeWindowed.
int GetAlignShift(TWinControl* parent, TAlign align, bool includeWindowed = false);
// Text of the control runs left to right. Normalize: a system without right-to-left support
// reads everything left to right.
bool LeftToRight(TControl* control, bool normalize = true);
int GetWndPPI(HWND wnd);
// 96 without control or window.
int GetControlPPI(TControl* control);
// The PPI of the application's main form, or of its first form.
int DefaultPPI();
// Test seam: a set value answers DefaultPPI instead until reset with nullopt (the system's
// density cannot be changed inside a running process).
void SetDefaultPPIOverride(std::optional<int> ppi);
void EnableNCDpiScaling(HWND wnd);

// ---------------------------------------------------------------------------------------------
// Colours and fonts

// A library colour as RGB: non-negative as it is; the skin's pseudo-colours and the system
// colours from the palette of manager (or of the default manager) while it is active; without
// an active manager a system colour through ColorToRGB and a pseudo-colour its own default
// (its low 24 bits).
TColor acColorToRGB(TColor color, TObject* manager = nullptr);
// The colour a control shows as RGB; 0xFF00FF for nil. A skinned control answers with its
// background colour (AC_GETBGCOLOR), any other gives its Color.
TColor GetControlColor(TControl* control);
TColor GetControlColor(HWND wnd);
// The font colour the parent's skin gives the control; 0 without an active manager.
TColor GetControlFontColor(TControl* control, TObject* manager = nullptr);
// clNone as an argument keeps that colour.
void ChangeControlColors(TControl* control, TColor fontColor, TColor color);
// The font differs from the parent's font (colour only with checkColor).
bool IsCustomFont(TControl* control, TFont* font, bool checkColor = true);
// How the control's text is drawn over its background: 0 plainly, 1 made opaque after drawing,
// 2 with alpha (the alpha-channel opaque mode, or a section that shows its parent's font).
// A negative SkinIndex means the control's own section.
int GetTransMode(TsCommonData* CommonData, int SkinIndex = -1, int State = 0);

// ---------------------------------------------------------------------------------------------
// Control tree

using TacIterProc = std::function<void(TControl* control, int data)>;
// Data in: the value for this child; out: the start value for its children. True stops.
using TacIterFun = std::function<bool(TControl* control, int& data)>;
void IterateControls(TWinControl* parent, int data, const TacIterProc& proc);
bool IterateControls(TWinControl* parent, int data, const TacIterFun& fun);
void EnableCtrl(TControl* control, bool value);
void SetControlsEnabled(TWinControl* parent, bool value, bool recursive = true);
bool ControlIsReady(TControl* control);
void RepaintsControls(TWinControl* parent);
// Mirrors a layout for right-to-left reading.
void ReflectControls(TWinControl* parent, bool recursive);

// ---------------------------------------------------------------------------------------------
// Text and input

// Removes every "<...>" tag; an unclosed "<" at the end stays.
UnicodeString GetPlainText(const UnicodeString& text);
UnicodeString GetWndText(HWND wnd);
UnicodeString GetWndClassName(HWND wnd);
UINT GetStringFlags(TControl* control, TAlignment alignment);
TAlignment AlignmentFromInt(UINT value);
TVerticalAlignment VertAlignmentFromInt(UINT value);
bool AllEditSelected(TCustomEdit* edit);
TShiftState GetShiftState();
// A hint window with the text at a screen point, inside the point's work area; the caller owns
// it and frees it with acHideHintWnd. With an active hints manager the manager shows the hint
// and keeps its window: the result is null, and acHideHintWnd frees the manager's window.
std::unique_ptr<THintWindow> acShowHintWnd(const UnicodeString& text, const TPoint& p);
void acHideHintWnd(std::unique_ptr<THintWindow>& wnd);

// ---------------------------------------------------------------------------------------------
// Control images and child painting

// Paints control with its skin at (dstX, dstY) of bmp; with checkOverlapped later siblings
// that overlap it are painted over it.
void SkinPaintTo(TBitmap* bmp, TControl* control, int dstX = 0, int dstY = 0, TComponent* skinProvider = nullptr,
                 bool checkOverlapped = false);
void PaintChildCtrls(TWinControl* parent, TBitmap* bmp);
// The ordinary painting of a control and its children; the bitmap's alpha becomes 255.
void StdPaintTo(TBitmap* bmp, TWinControl* control);
void StdPaintTo(TBitmap* bmp, TControl* control);
// A new 32-bit image of the form's client area.
std::unique_ptr<TBitmap> acGetFormImage(TForm* form);
// The control's background as its parent gives it, in a 32-bit bitmap sized like the control.
void PaintParentBG(TControl* control, TBitmap* bmp);
// Makes the parent double-buffered and marks its children opaque (csOpaque) where they were
// not, remembering them; Restore takes those marks back and empties the list.
void SaveGraphCtrls(TWinControl* parent, std::vector<TControl*>& list);
void RestoreGraphCtrls(TWinControl* parent, std::vector<TControl*>& list);
// Prints the window's client area over a fill of color through a buffered paint.
void BufferedPrintClient(HWND wnd, const TRect& r, TColor color);
void DoBufferedOut(TCanvas* canvas, TBitmap* bmp, const TRect& r);
// Paints the parent's windowless children into dc, over the parent's background.
void PaintControls(HDC dc, TWinControl* parent, bool check, const TPoint& offset, bool reserved = false);

// Pointer arguments of the library command. 0xA100 lies in the application range and the
// system does not marshal it, so any process on the desktop can send it with any LParam. A
// handler uses LParam as an address (a record to fill, a name or record to read, an object)
// only when acCommandPointerTrusted(message) holds: the message is the library command, LParam
// is not 0, and one of the library's own senders below (SendAMessage, TrySendMessage,
// AlphaBroadCast, BroadCastMsg, SetParentUpdated, the thin senders, or a TacOwnSend scope) is
// delivering on this thread in the same received message it started in. A message another
// thread or process sent meanwhile is not trusted, nor one sent while no delivery runs. Every
// handler of a pointer-carrying code (the shared handler, providers, panels, wrappers) calls it
// before it touches LParam and treats an untrusted pointer as none.
bool acCommandPointerTrusted(const TMessage& message);

// Marks the library's own delivery of commands on this thread for its lifetime (nesting
// counts). The senders of this unit open one themselves; code that delivers a command with a
// pointer through Perform or SendMessageW directly opens one around that call.
class TacOwnSend {
public:
    TacOwnSend();
    ~TacOwnSend();
    TacOwnSend(const TacOwnSend&) = delete;
    TacOwnSend& operator=(const TacOwnSend&) = delete;

private:
    int savedDepth_;
    bool savedForeign_;
};

// The receiver's answer to a command (code in the high word of WParam, low word 0).
LRESULT SendAMessage(HWND handle, WORD cmd, LPARAM lParam = 0);
LRESULT SendAMessage(TControl* control, WORD cmd, LPARAM lParam = 0);
// Non-zero answer.
bool GetBoolMsg(TWinControl* control, WORD cmd);
// Answer exactly 1.
bool GetBoolMsg(HWND handle, WORD cmd);

// Calls the stored window procedure of a live skinned window of this process with a record;
// every other window gets SendMessageW.
LRESULT TrySendMessage(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam);
// A windowed control being destroyed or without a window gets nothing (0); a windowless one
// gets Perform.
LRESULT TrySendMessage(TControl* control, UINT msg, WPARAM wParam, LPARAM lParam);
// The same with a ready record, which a stored window procedure receives itself; the answer
// is also left in the record's Result.
LRESULT TrySendMessage(TControl* control, TMessage& message);

void SetRedraw(HWND handle, WPARAM value);
void SetRedraw(TGraphicControl* control, WPARAM value);

// Delivers a record to the children of a control, going into the children of every windowed
// child that is not skinned itself (a skinned one passes it on from its handler). Stops at the
// first child being destroyed.
void AlphaBroadCast(TWinControl* control, TMessage& message);
// Delivers a record to the direct child windows of a window.
void AlphaBroadCast(HWND handle, TMessage& message);
// Delivers a record to the direct child windows in z-order, top first.
void BroadCastMsg(HWND parent, TMessage& message);
// Tells the children that their parent is painted (AC_PARENTUPDATED); nothing during an
// animated show or hide.
void SetParentUpdated(TWinControl* control);
void SetParentUpdated(HWND handle);

// Thin senders of single commands.
void AddToAdapter(TWinControl* control);
// Adjusts a control for a glass parent (not built yet: does nothing).
void UpdateGlassMode(TControl* control, bool glass);
void RepaintOpaque(TControl* control, std::intptr_t& data);
void TrySetSkinSection(TControl* control, const UnicodeString& section);

// Animated showing and hiding of forms and dialogs, and the layered-window routines.
#include "sVclUtilsAnim.h"

// Start-up and shut-down of the unit (they only count).
void sVclUtilsInitialization();
void sVclUtilsFinalization();
