#pragma once
// Control and window utilities of the skin library, and the routines that send its command
// message: straight through the window procedure a skinned control keeps where one exists,
// else through the window system.
#include "Colors.h"
#include "Messages.h"
#include "sConst.h"

#include <windows.h>

#include <cstdint>

class TBitmap;
class TControl;
class TGraphicControl;
class TWinControl;
class TsSkinProvider;

// True while a form or dialog is shown or hidden by animation.
extern bool InAnimationProcess;

// Around window and bitmap calls whose errors the library ignores; they do nothing.
inline void ResetLastError() {}
inline void CheckLastError() {}

// The colour a control shows as RGB; 0xFF00FF for nil. For now the control's own Color (a
// skinned control's answer comes with the command message).
TColor GetControlColor(const TControl* control);
// A library colour as RGB: a non-negative colour as it is; 0xF1000001 (the skin's main colour)
// from the palette of manager, or of the default manager; any other negative colour, or the
// main colour without a manager, its low 24 bits. The skin's colour tables come with the
// skinned controls.
TColor acColorToRGB(TColor color, TObject* manager = nullptr);

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
// The same with a ready record, which a stored window procedure receives itself.
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

// Pixels per inch of a control's window; 96 without control or window. For now the screen's.
int GetControlPPI(const TControl* control);
// The PPI of the application's main form (else of its first form).
int DefaultPPI();
// Has a parent, a window when windowed, is neither loading nor being destroyed, and is not
// reading its state or being created.
bool ControlIsReady(const TControl* control);

// Start-up and shut-down of the unit (they only count).
void sVclUtilsInitialization();
void sVclUtilsFinalization();
