#pragma once
// The pop-up controller: shows any form as a drop-down below a control or at a screen point, kept
// inside the work area, with a layered shadow that follows it and, when the skin allows
// animation, a short unrolling fade-in; it closes the pop-up again on outside clicks, a foreign
// mouse capture, deactivation of the application or of the form, hiding and Escape, and tells
// the owning control with command AC_POPUPCLOSED. One controller serves the process
// (GetIntController); the form skinning and the page control count and close pop-ups through it.
#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"
#include "Types.h"
#include "acntTypes.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

class TacThreadedTimer;
class TsCommonData;
class TsPopupController;
class TsSkinManager;

// The record of command AC_POPUPSHOWING (LParam points at it): where the pop-up stands in this
// frame of its opening animation and at which alpha, so that its shadow follows.
struct TacPopupFrame {
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    std::uint8_t Alpha = 255;
};

// The layered shadow of one pop-up form. It hooks the form's WindowProc (and its skin data's
// hook) to follow the form's moves, hides with it and takes the animation's frames; KillShadow
// gives the chain back and releases the window.
class TacShadowForm : public TacGlowForm {
public:
    // Hooks owner; starts locked (neither following nor hiding with the owner).
    explicit TacShadowForm(TForm* owner);
    ~TacShadowForm() override;
    UnicodeString ClassName() const override { return L"TacShadowForm"; }

    void HideWnd();
    // Shows the shadow around the rectangle (Left, Top, Width, Height) at the blend, directly
    // behind the owner form. Nothing once the shadow is killed.
    void SetNewPos(int left, int top, int width, int height, BYTE blend);
    // The shadow image: the skin's passive window shadow, else the library's default one.
    TBitmap* ShadowTemplate();
    // The skin manager of the owner's skin data, else the default manager.
    TsSkinManager* SkinManager() const;
    // The shadow's extent on each side of the form.
    TRect ShadowSize() const;
    // Once: gives the owner's window procedure back, hides and releases the window.
    void KillShadow();
    // The owner form's messages pass here first.
    void NewWndProc(TMessage& message);
    // Follows the owner's window unless locked.
    void UpdateShadowPos();

    TsCommonData* sd = nullptr; // the owner window's skin data, or null
    TForm* FOwnerForm = nullptr;
    int FUserBlend = -1;        // -1: the owner's blend
    bool FDestroyed = false;
    TWndMethod OldWndProc;      // the owner's WindowProc before the shadow hooked it
    bool Locked = true;

private:
    // Gives the owner's WindowProc and skin-data hook back while they still lead here.
    void Unhook();
};

// The handler of one shown pop-up form: hooks the form's and the owning control's window
// procedures and runs the periodic check, until it is detached (UnInitControls).
class TacFormHandler : public TObject {
public:
    TacFormHandler(TForm* form, TWinControl* ctrl);
    ~TacFormHandler() override;
    UnicodeString ClassName() const override { return L"TacFormHandler"; }

    void InitControls(TForm* form, TWinControl* ctrl);
    void UnInitControls();
    // Closes the pop-up; with doClose it also hides or frees the form itself (without, the form's
    // Close that called here through OnClose does). Returns the action taken; when it does not
    // close: caNone (forbidden, no form, or CloseQuery refused) or caHide (already closed).
    TCloseAction CloseForm(bool doClose);
    void DoWndProc(TMessage& message);
    void DoCtrlProc(TMessage& message);
    void DoTimer(TObject* sender);
    void UpdateRgnBmp(TBitmap* img);

    TWinControl* ClientCtrl = nullptr;
    TWndMethod FormWndProc;
    TWndMethod CtrlWndProc;
    bool Initialized = false;
    bool ClosingForbidden = false;
    HWND CaptureHandle = nullptr;
    TCloseEvent OldOnClose;
    TNotifyEvent OldOnDeactivate; // the form's own, called by the controller's and given back
    std::unique_ptr<TacThreadedTimer> CheckTimer;
    TsPopupController* Controller = nullptr;
    bool Closed = false;
    TForm* PopupForm = nullptr;
    TForm* ParentForm = nullptr;
    TWinControl* PopupCtrl = nullptr;
    TacShadowForm* ShadowForm = nullptr;

    // Window procedures and the check of this handler are running (it is not freed then).
    int Busy = 0;
};

class TsPopupController : public TComponent {
public:
    explicit TsPopupController(TComponent* owner);
    ~TsPopupController() override;
    UnicodeString ClassName() const override { return L"TsPopupController"; }

    // Shows form below ctrl (left and top -1) or at (left, top), inside the work area.
    void ShowForm(TForm* form, TWinControl* ctrl, int left = -1, int top = -1, bool animated = true);
    // Shows form at a screen point.
    void ShowFormPos(TForm* form, const TPoint& pos, bool animated = true);
    // Closes every visible pop-up but the one that owns except's owner; once none is visible,
    // frees the detached handlers.
    void KillAllForms(TComponent* except = nullptr);
    // Visible pop-ups other than except.
    int PopupCount(TCustomForm* except = nullptr) const;
    // Visible pop-ups opened from a control on form.
    int PopupChildCount(TCustomForm* form) const;
    // The first slot of the attached handler of form, else -1.
    int GetFormIndex(TCustomForm* form) const;
    // A pop-up was opened from a control on form.
    bool HasChild(TCustomForm* form) const;
    void ClosingForbide(TCustomForm* form);
    void ClosingAllow(TCustomForm* form);
    int InitFormHandler(TForm* form, TWinControl* ctrl);
    // The form's OnClose and OnDeactivate while a handler is attached.
    void DoClose(TObject* sender, TCloseAction& action);
    void DoDeactivate(TObject* sender);
    // The opening animation of form: time milliseconds up to the blend.
    void AnimShowPopup(TForm* form, WORD time, BYTE blend);

    bool DoSetFocus = false;
    bool SkipOpen = false;
    int AnimDirection = 0; // bit 1: put above its anchor; bit 2: moved left into the work area
    bool MousePressed = false;
    bool IgnoreCapture = false;
    // One slot per pop-up form handled; an empty slot holds null.
    std::vector<TacFormHandler*> FormHandlers;

    // Every handler the controller made and has not freed, in or out of a slot.
    int HandlerCount() const { return static_cast<int>(handlers_.size()); }
    // Empties every slot that holds handler (its control is gone).
    void RemoveFromSlots(TacFormHandler* handler);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TacFormHandler;
    TacFormHandler* HandlerOf(TCustomForm* form) const;
    // Frees the detached handlers that are not running and not forbidden to close.
    void ReleaseHandlers();
    // Steps 2 to 12 of a show, shared by ShowForm and ShowFormPos.
    void PlaceAndShow(TForm* form, TWinControl* ctrl, const TPoint* pos, int left, int top, bool animated);

    std::vector<std::unique_ptr<TacFormHandler>> handlers_;
};

// The process's controller, made with no owner on the first call.
TsPopupController* GetIntController();
// Shows form below ctrl (left and top -1) or at (left, top); closes no other pop-up.
void ShowPopupForm(TForm* form, TWinControl* ctrl, int left = -1, int top = -1, bool animated = true);
// Closes the other pop-ups, then shows form at a screen point.
void ShowPopupForm(TForm* form, const TPoint& pos, bool animated = true);
// A new shadow of form, locked unless unlocked.
TacShadowForm* AttachShadowForm(TForm* form, bool unlocked);

// Start-up only counts; the shut-down frees the controller and the default shadow image.
void acPopupControllerInitialization();
void acPopupControllerFinalization();
