#pragma once
// Control layer: the base classes of everything visual, over real Win32 windows.
//
// How to write a control
// ----------------------
// * Windowless control: derive from TGraphicControl, override Paint() and draw on Canvas().
//   The parent paints it inside its own WM_PAINT, so it needs no window.
// * Own window class: derive from TCustomControl (or TWinControl). CreateParams() names the
//   class in Params.WinClassName (default: ClassName()) and may change WindowClass (style,
//   cursor); the class is registered on first use with DefWindowProcW as its procedure.
// * Standard or common control: in CreateParams() call CreateSubClass(Params, L"BUTTON") and
//   add the class's styles. The window is of the real class; every message reaches WndProc
//   first and DefaultHandler passes it on to the class's own procedure.
// * Messages: override WndProc (all messages, before Dispatch), or Dispatch (switch on the
//   number, call the base for the rest), or one of the virtual handlers below (WMSize,
//   CMEnabledChanged ...). Always end in the base so DefaultHandler is reached.
// * Notifications a child causes at its parent (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM,
//   WM_MEASUREITEM, WM_CTLCOLOR*, WM_H/VSCROLL ...) come back to the child as CN_BASE + msg:
//   a button handles CN_COMMAND, a list view CN_NOTIFY.
// * Window state that lives only in the window (check state, selection) is saved in an
//   override of DestroyWnd and put back in CreateWnd, so RecreateWnd keeps it.
// * State kept without a window: every property works before the handle exists; push it to
//   the window in CreateWnd and keep it in sync after.
// * Properties for form definitions: register them in a RegisterXxxClasses() function with
//   RegisterPublishedClass/RegisterPublishedProperty (TypInfo.h) under ClassName(), naming the
//   parent class, and register a factory with RegisterComponentClass<T>(L"TName")
//   (FormReader.h). See RegisterControlsClasses() in Controls.cpp for the base classes.
// * Colours: a control's Color and Font colour answer its WM_CTLCOLOR* messages (through the
//   active style, Themes.h); controls drawn on the face of their parent set Color to
//   clBtnFace or ParentColor. Own painting takes colours through StyledColorToGdi.
//
// Anyone may replace a control's WindowProc (save the old one, call it for everything not
// handled); Perform() goes through WindowProc, windowed or not.
#include "Colors.h"
#include "Components.h"
#include "Exceptions.h"
#include "Graphics.h"
#include "Messages.h"
#include "Sets.h"
#include "Types.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

FW_DECLARE_EXCEPTION(EInvalidOperation, Exception);

class TWinControl;
class TCustomForm;
class TPopupMenu;

// Bevels drawn around a control: each edge's cut, and how the edges of a bevelled control look.
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// Sides of the parent whose distance a control without alignment keeps when the parent's client
// area changes size. Both sides of a direction: the control stretches; neither: it keeps its
// place relative to the centre.
enum TAnchorKind { akLeft, akTop, akRight, akBottom };

// Reading order of a control's texts. The layer keeps and announces it; it mirrors nothing.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// Bit positions are the framework's: csOpaque is bit 6 (0x40).
enum TControlStyleFlag {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
    csNeedsBorderPaint,
    csParentBackground,
};
using TControlStyle = TSet<TControlStyleFlag>;
using TAnchors = TSet<TAnchorKind>;

enum TControlStateFlag {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking,
};
using TControlState = TSet<TControlStateFlag>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, wchar_t& key)>;

// Shift state from MK_* flags of a mouse message, or from the keyboard for key messages.
TShiftState MouseShiftState(WPARAM keys);
TShiftState KeyboardShiftState();

struct TCreateParams {
    UnicodeString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    // Class of an own window; lpfnWndProc and lpszClassName are filled in at registration.
    WNDCLASSW WindowClass{};
    UnicodeString WinClassName;
    // Set by CreateSubClass: the window is of this existing class, not registered by us.
    bool SystemClass = false;
};

// Cursor identifiers; negative values are the built-in cursors.
using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
// The system cursor of a built-in id (null for crDefault, crNone and unknown ids).
HCURSOR CursorHandle(TCursor cursor);

// ---------------------------------------------------------------------------------------------

class TControl;

// Smallest and largest size a control may take; 0 leaves a side free. A change re-applies the
// limits to the control's current bounds.
class TSizeConstraints : public TPersistent {
public:
    explicit TSizeConstraints(TControl* control) : control_(control) {}
    UnicodeString ClassName() const override { return L"TSizeConstraints"; }
    int MinWidth() const { return minWidth_; }
    int MinHeight() const { return minHeight_; }
    int MaxWidth() const { return maxWidth_; }
    int MaxHeight() const { return maxHeight_; }
    void SetMinWidth(int value) { Set(minWidth_, value); }
    void SetMinHeight(int value) { Set(minHeight_, value); }
    void SetMaxWidth(int value) { Set(maxWidth_, value); }
    void SetMaxHeight(int value) { Set(maxHeight_, value); }
    // Width and height held inside the limits.
    void Constrain(int& width, int& height) const;

private:
    void Set(int& field, int value);
    TControl* control_;
    int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 0, maxHeight_ = 0;
};

// Space a control wants kept around it (stored only; aligning does not use it).
class TMargins : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TMargins"; }
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Right() const { return right_; }
    int Bottom() const { return bottom_; }
    void SetLeft(int value) { left_ = value; }
    void SetTop(int value) { top_ = value; }
    void SetRight(int value) { right_ = value; }
    void SetBottom(int value) { bottom_ = value; }

private:
    int left_ = 3, top_ = 3, right_ = 3, bottom_ = 3;
};

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    UnicodeString ClassName() const override { return L"TControl"; }

    // --- messages
    // The replaceable entry of every message this control gets; initially bound to WndProc.
    TWndMethod WindowProc;
    // Sends a message straight through WindowProc (windowed or not) and returns its result.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual void WndProc(TMessage& message);
    // Routes a message to the handler for its number; unknown numbers go to DefaultHandler.
    virtual void Dispatch(TMessage& message);
    // The end of the chain. Windowless controls keep their text here (WM_GETTEXT, WM_SETTEXT).
    virtual void DefaultHandler(TMessage& message);

    // --- parent and geometry (children: client coordinates of the parent; forms: screen)
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    // The form reader: a control enclosed by a windowed control becomes its child.
    void SetParentComponent(TComponent* value) override;
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual TRect ClientRect();
    int ClientWidth() { return ClientRect().Width(); }
    int ClientHeight() { return ClientRect().Height(); }
    virtual void SetClientWidth(int value);
    virtual void SetClientHeight(int value);
    // Screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin();
    TPoint ClientToScreen(const TPoint& point);
    TPoint ScreenToClient(const TPoint& point);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);
    // True while the parent lays out its aligned children (this control may be moved by it).
    bool BeingAligned() const;
    // Rescales the control by M/D (MulDiv, e.g. 144/96 from 96 to 144 PPI): its bounds and,
    // when its font is its own (ParentFont off, or no parent to follow), the font height. A
    // windowed control scales its children with it. M or D not above 0 changes nothing.
    virtual void ChangeScale(int M, int D);

    // --- look
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool value);
    UnicodeString Caption() { return GetText(); }
    void SetCaption(const UnicodeString& value) { SetText(value); }
    UnicodeString Text() { return GetText(); }
    void SetText(const UnicodeString& value);
    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont* value) { font_->Assign(value); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    const UnicodeString& Hint() const { return hint_; }
    void SetHint(const UnicodeString& value) { hint_ = value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value) { showHint_ = value; }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int value) { helpContext_ = value; }
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value) { cursor_ = value; }
    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle value) { controlStyle_ = value; }
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState value) { controlState_ = value; }
    // True while the mouse is over this control (between CM_MOUSEENTER and CM_MOUSELEAVE).
    bool MouseInControl() const { return mouseInControl_; }
    // A change is announced to the control with CM_BIDIMODECHANGED.
    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode value);
    // Text of this control reads right to left (any mode but bdLeftToRight).
    bool UseRightToLeftReading() const { return biDiMode_ != bdLeftToRight; }
    // Text and alignment are mirrored (bdRightToLeft only).
    bool UseRightToLeftAlignment() const { return biDiMode_ == bdRightToLeft; }
    // DrawText flags for this control's reading order: DT_LEFT and DT_RIGHT swapped when its
    // alignment is mirrored, DT_RTLREADING added when its text reads right to left.
    UINT DrawTextBiDiModeFlags(UINT flags) const;
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors value) { anchors_ = value; }
    // Size limits SetBounds keeps to.
    TSizeConstraints* Constraints() const { return constraints_.get(); }
    TMargins* Margins() const { return margins_.get(); }

    // Marks the control for repainting; Repaint also paints it now; Update paints what is due.
    virtual void Invalidate();
    virtual void Repaint();
    virtual void Update();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    // The form this control sits on (walking up the parents), or null.
    TCustomForm* GetParentForm() const;

    // Fires OnClick (buttons override it to do their work first).
    virtual void Click();

    // Asked before a control sizes itself to its content: it may change the proposed size;
    // false keeps the current one. The default takes the proposal unchanged.
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);

    // The control's context menu, or null; forgotten when the menu is destroyed.
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* value);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    void Loaded() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    virtual UnicodeString GetText();
    virtual void Resize();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // Asks the parent to lay out its aligned children again.
    virtual void RequestAlign();
    // Invalidates the control's area in the parent window (windowless controls).
    void InvalidateControl();

    // Message handlers reached through Dispatch.
    virtual void WMLButtonDown(TMessage& message);
    virtual void WMLButtonUp(TMessage& message);
    virtual void WMLButtonDblClk(TMessage& message);
    virtual void WMRButtonDown(TMessage& message);
    virtual void WMRButtonUp(TMessage& message);
    virtual void WMMButtonDown(TMessage& message);
    virtual void WMMButtonUp(TMessage& message);
    virtual void WMMouseMove(TMessage& message);
    virtual void CMEnabledChanged(TMessage& message);
    virtual void CMVisibleChanged(TMessage& message);
    virtual void CMFontChanged(TMessage& message);
    virtual void CMColorChanged(TMessage& message);
    virtual void CMTextChanged(TMessage& message);
    virtual void CMParentFontChanged(TMessage& message);
    virtual void CMParentColorChanged(TMessage& message);
    // LParam 0: the mouse entered or left this control itself (fires the event); otherwise
    // LParam names the child control it entered or left. Each is passed on to the parent
    // with LParam naming the control.
    virtual void CMMouseEnter(TMessage& message);
    virtual void CMMouseLeave(TMessage& message);
    virtual void CMHitTest(TMessage& message);

    UnicodeString text_; // the text while there is no window to keep it

private:
    friend class TWinControl;
    void FontChanged(TObject* sender);
    // The font height part of ChangeScale; ParentFont keeps its value.
    void ScaleFont(int M, int D);

    TWinControl* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    TAlign align_ = alNone;
    bool visible_ = true;
    bool enabled_ = true;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool assigningParentFont_ = false;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    UnicodeString hint_;
    bool showHint_ = false;
    int helpContext_ = 0;
    TCursor cursor_ = crDefault;
    TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState controlState_;
    bool mouseInControl_ = false;
    TBiDiMode biDiMode_ = bdLeftToRight;
    TAnchors anchors_{akLeft, akTop};
    TPopupMenu* popupMenu_ = nullptr;
    std::unique_ptr<TSizeConstraints> constraints_;
    std::unique_ptr<TMargins> margins_;
};

// A control painted by its parent: no window of its own.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    UnicodeString ClassName() const override { return L"TGraphicControl"; }

    // The canvas is bound to the parent's DC (offset to this control) while Paint runs.
    TCanvas* Canvas() const { return canvas_.get(); }

protected:
    virtual void Paint() {}
    void Dispatch(TMessage& message) override;
    // WM_PAINT with the DC in WParam.
    virtual void WMPaint(TMessage& message);

private:
    std::unique_ptr<TCanvas> canvas_;
};

// ---------------------------------------------------------------------------------------------

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    UnicodeString ClassName() const override { return L"TWinControl"; }

    // The window, created on first use (with the windows of the parents).
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    // Destroys and creates the window again, keeping the control's state.
    void RecreateWnd();
    // Window to put a parentless control into (a foreign window).
    HWND ParentWindow() const { return parentWindow_; }
    void SetParentWindow(HWND window);

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const; // EListError outside 0..ControlCount-1
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(const TControl* control) const;
    // The visible windowless child at a client point (the topmost one), or null.
    TControl* ControlAtPos(const TPoint& point, bool allowDisabled = false) const;
    // Sends the message to every child control.
    void Broadcast(TMessage& message);

    // The window is shown: this control and all its parents are visible and have windows.
    bool Showing() const { return showing_; }

    virtual bool CanFocus();
    bool Focused() const;
    virtual void SetFocus();
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    int TabOrder() const;
    void SetTabOrder(int value);
    // Children that take part in tab navigation, in tab order.
    void GetTabOrderList(std::vector<TWinControl*>& list);
    // The next (or previous) control in tab order after current, or null.
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent);
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

    void DisableAlign() { ++alignDisabled_; }
    void EnableAlign();
    void Realign();
    TRect ClientRect() override;
    TPoint ClientOrigin() override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetParent(TWinControl* parent) override;
    // Also scales the children, aligning them once at the end. A control without a parent
    // (a form) scales its client area: its window frame is the system's and keeps its size.
    void ChangeScale(int M, int D) override;

    void Invalidate() override;
    void Repaint() override;
    void Update() override;

    // Paints the background, the client area and the windowless children into dc at (x, y) from
    // its current origin (WM_ERASEBKGND and WM_PAINT with the DC), then each visible windowed
    // child with a window at its place, the same way.
    void PaintTo(HDC dc, int x, int y);
    // Asks the control to paint through an off-screen image (kept for its painters to read).
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    void Loaded() override;

    // The brush for the control's colour (through the active style), owned by the control.
    HBRUSH BackgroundBrush();

protected:
    virtual void CreateParams(TCreateParams& params);
    // Makes params describe a window of an existing (system or common-control) class.
    void CreateSubClass(TCreateParams& params, const wchar_t* className);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    virtual void CreateHandle();
    void DestroyHandle();
    virtual void UpdateShowing();
    void UpdateControlState();
    virtual void AlignControls(TControl* control, TRect& rect);
    virtual void AdjustClientRect(TRect& rect);
    // Paints the window's own content; the default passes WM_PAINT with the DC to the window
    // procedure (standard controls paint themselves).
    virtual void PaintWindow(HDC dc);
    void PaintControls(HDC dc, TControl* first);
    void PaintHandler(TMessage& message);
    // Reads the window's position back into Left/Top/Width/Height.
    void UpdateBounds();

    // Each lets the parent form see the key first when its KeyPreview is on; true when the key
    // was handled (or swallowed by setting it to 0).
    virtual bool DoKeyDown(TMessage& message);
    virtual bool DoKeyUp(TMessage& message);
    virtual bool DoKeyPress(TMessage& message);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(wchar_t& key);
    virtual void DoEnter();
    virtual void DoExit();

    // Message handlers reached through Dispatch.
    virtual void WMPaint(TMessage& message);
    virtual void WMEraseBkgnd(TMessage& message);
    virtual void WMSize(TMessage& message);
    virtual void WMMove(TMessage& message);
    virtual void WMSetFocus(TMessage& message);
    virtual void WMKillFocus(TMessage& message);
    virtual void WMKeyDown(TMessage& message);
    virtual void WMKeyUp(TMessage& message);
    virtual void WMChar(TMessage& message);
    virtual void WMSysKeyDown(TMessage& message);
    virtual void WMSetCursor(TMessage& message);
    // A right click or the menu key: the pop-up menu of the control under the pointer (or of
    // this one) opens there, for the keyboard at the top-left of the client area; without one
    // the window's own handling runs (a standard control's menu, else the parent's).
    virtual void WMContextMenu(TMessage& message);
    virtual void WMNCDestroy(TMessage& message);
    void CMEnabledChanged(TMessage& message) override;
    void CMVisibleChanged(TMessage& message) override;
    void CMFontChanged(TMessage& message) override;
    void CMColorChanged(TMessage& message) override;
    virtual void CMShowingChanged(TMessage& message);
    virtual void CMRecreateWnd(TMessage& message);
    virtual void CMDialogKey(TMessage& message);
    virtual void CMEnter(TMessage& message);
    virtual void CMExit(TMessage& message);
    virtual void CNKeyDown(TMessage& message);
    virtual void CNChar(TMessage& message);

    // The window procedure this control's window had before the layer took it over.
    WNDPROC DefWndProc() const { return defWndProc_; }

private:
    friend class TControl;
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend void AttachControlWindow(HWND, TWinControl*);
    // The parent form's handler of the same key, when its KeyPreview is on; true: handled.
    bool FormPreviewsKey(bool (TWinControl::*handler)(TMessage&), TMessage& message);
    // Sends a notification from a child window back to the child as CN_BASE + msg; false when
    // the window is not one of ours.
    bool ReflectToChild(HWND child, TMessage& message);
    void HandleMouseForChildren(TMessage& message, bool& handled);
    void AlignControl(TControl* control);
    // Moves the children without alignment by the change of the client size since the last
    // call, as their anchors ask.
    void ApplyAnchors();

    HWND handle_ = nullptr;
    WNDPROC defWndProc_ = nullptr;
    bool systemClass_ = false; // window of an existing class (CreateSubClass)
    HWND parentWindow_ = nullptr;
    std::vector<TControl*> controls_; // z-order / creation order
    std::vector<TWinControl*> tabList_;
    bool showing_ = false;
    bool reparenting_ = false; // SetParent moves the window to the new parent's window
    bool tabStop_ = false;
    int alignDisabled_ = 0;
    bool aligning_ = false;
    bool alignPending_ = false;
    bool mouseTracked_ = false;
    TControl* hotChild_ = nullptr;     // windowless child under the mouse
    TControl* captureChild_ = nullptr; // windowless child that holds the mouse capture
    HBRUSH brush_ = nullptr;
    COLORREF brushColor_ = 0;
    bool doubleBuffered_ = false;
    TSize anchorClient_{-1, -1}; // client size the children's anchors last saw
};

// A control with its own window class, painted through Canvas in Paint().
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    UnicodeString ClassName() const override { return L"TCustomControl"; }

    TCanvas* Canvas() const { return canvas_.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    std::unique_ptr<TCanvas> canvas_;
};

// ---------------------------------------------------------------------------------------------

// The control a window belongs to, or null for windows that are not ours.
TWinControl* FindControl(HWND window);
// The form a control sits on, or null.
TCustomForm* GetParentForm(const TControl* control);

// Hidden window whose messages go to a method (timers, the application's wake-up window); the
// method returns true for the messages it handled, the rest go to DefWindowProc. The window is
// message-only unless topLevel is set.
HWND AllocateHWnd(std::function<bool(TMessage&)> method, bool topLevel = false);
void DeallocateHWnd(HWND window);

// A window procedure bound to an object's message method, for subclassing a window the layer
// does not own (SetWindowLongPtrW(GWLP_WNDPROC)). Called as a WNDPROC it hands the method a
// record {msg, wParam, lParam, 0} and returns the record's result; an exception of the method is
// reported (HandleCallbackException) and answered 0, it never unwinds into the window system.
// The instance lives until FreeObjectInstance, whoever still calls it; a method may free its
// own instance while it runs. Null gives null; freeing null does nothing.
WNDPROC MakeObjectInstance(TWndMethod method);
void FreeObjectInstance(WNDPROC instance);

// Reports an exception caught at the edge of a window procedure or timer (through the
// application's OnException or its exception box). Call only inside a catch block.
void HandleCallbackException(TObject* sender);

// Registers the published properties and reader factories of the classes in this file.
void RegisterControlsClasses();
