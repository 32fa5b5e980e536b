#pragma once
// Forms, the application object and the screen.
//
// A form class reads its definition in its constructor: register the handlers and fields the
// definition names, then call ReadDefinition (resource) or ReadDefinitionText. OnCreate runs
// when the definition has been read; a form built in code gets it from AfterConstruction (which
// Application->CreateForm calls). An exception in OnCreate is reported, the form still exists.
#include "Controls.h"
#include "FormReader.h"
#include "Menus.h"
#include "TypInfo.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <new>
#include <vector>

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = IDOK;
inline constexpr TModalResult mrCancel = IDCANCEL;
inline constexpr TModalResult mrAbort = IDABORT;
inline constexpr TModalResult mrRetry = IDRETRY;
inline constexpr TModalResult mrIgnore = IDIGNORE;
inline constexpr TModalResult mrYes = IDYES;
inline constexpr TModalResult mrNo = IDNO;
inline constexpr TModalResult mrClose = IDCLOSE;
inline constexpr TModalResult mrHelp = IDHELP;
inline constexpr TModalResult mrTryAgain = IDTRYAGAIN;
inline constexpr TModalResult mrContinue = IDCONTINUE;
inline constexpr TModalResult mrAll = mrContinue + 1;
inline constexpr TModalResult mrNoToAll = mrAll + 1;
inline constexpr TModalResult mrYesToAll = mrNoToAll + 1;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// A control's border: only bsNone and bsSingle are used.
using TBorderStyle = TFormBorderStyle;
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateFlag>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;
// Command (HELP_CONTEXT ...), native-size data, CallHelp (false: the help system stays out).
using THelpEvent = std::function<bool(WORD command, intptr_t data, bool& callHelp)>;
using TExceptionEvent = std::function<void(TObject* sender, const Exception& e)>;

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;
    UnicodeString ClassName() const override { return L"TCustomForm"; }

    // --- definition
    // Reads the form definition from the RCDATA resource (null: the program) or from text,
    // then runs OnCreate. Fields and handlers must be registered first.
    void ReadDefinition(const UnicodeString& resourceName, HINSTANCE instance = nullptr);
    void ReadDefinitionText(const UnicodeString& text);
    // Runs OnCreate unless a definition already did.
    void AfterConstruction();
    // Runs OnDestroy once; called before the form is deleted by the application or Release.
    void BeforeDestruction();
    TMethodTable& Methods() { return methods_; }
    TFieldTable& Fields() { return fields_; }

    // --- showing and closing
    void Show();
    // Shows the form modally and returns its ModalResult once set (by a button, Close, code).
    TModalResult ShowModal();
    void Close();
    bool CloseQuery();
    // Deletes the form once the messages queued now have been handled.
    void Release();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    TFormState FormState() const { return formState_; }
    bool Active() const { return active_; }

    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons value);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition value) { position_ = value; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState value);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle value);
    const UnicodeString& HelpFile() const { return helpFile_; }
    void SetHelpFile(const UnicodeString& value) { helpFile_ = value; }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }
    // Whether the form's layout follows the pixel density it is shown at (read by the skin
    // library's scaling).
    bool Scaled() const { return scaled_; }
    void SetScaled(bool value) { scaled_ = value; }
    // Whole-window translucency: while AlphaBlend is on the window is layered with the constant
    // alpha AlphaBlendValue (255 opaque).
    bool AlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool value);
    BYTE AlphaBlendValue() const { return alphaBlendValue_; }
    void SetAlphaBlendValue(BYTE value);

    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // Makes control the active one and gives it the focus when the form is active.
    void FocusControl(TWinControl* control);
    // Called when control received the focus: the control losing it gets CM_CANCELMODE (LParam:
    // the control getting it), then CM_EXIT / CM_ENTER follow.
    void SetFocusedControl(TWinControl* control);
    // Called by a dying control of this form.
    void ControlDestroying(TWinControl* control);

    // The main menu shown as the window's menu bar, or null.
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* value);

    // --- MDI (FormsMDI.cpp)
    // An fsMDIForm form keeps its fsMDIChild forms in an MDICLIENT window (ClientHandle) and
    // passes its unhandled messages to DefFrameProc; a child lives in the main form's client
    // window and passes them to DefMDIChildProc. A child can only be made while the
    // application's main form is an MDI form.
    HWND ClientHandle() const { return clientHandle_; }
    // The sub-menu of the menu bar where the system lists the MDI children, or null.
    TMenuItem* WindowMenu() const { return windowMenu_; }
    void SetWindowMenu(TMenuItem* value);
    // The active MDI child of an MDI form, or null.
    TCustomForm* ActiveMDIChild() const;
    // The MDI children of an MDI form, the active (topmost) one first, the lowest last.
    int MDIChildCount() const;
    TCustomForm* MDIChildren(int index) const; // EListError outside 0..MDIChildCount-1
    // Puts the form above its siblings: an MDI child becomes the client's active child, a
    // top-level form comes to the top of the z-order.
    void BringToFront();

    TRect ClientRect() override;
    TCanvas* Canvas() const { return canvas_.get(); }
    // A new 32-bit image of the client area with every visible child drawn where it stands.
    std::unique_ptr<TBitmap> GetFormImage();

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    THelpEvent OnHelp;

    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    // An MDI form's messages go on to DefFrameProc, an MDI child's to DefMDIChildProc.
    void DefaultHandler(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void PaintWindow(HDC dc) override;
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

    void CMShowingChanged(TMessage& message) override;
    void CMDialogKey(TMessage& message) override;
    virtual void WMClose(TMessage& message);
    virtual void WMHelp(TMessage& message);
    virtual void WMActivate(TMessage& message);
    // The form's focused control gets CM_CANCELMODE (LParam: the form), so that a drop-down it
    // keeps open closes when the system cancels modes (a modal dialog opening, a capture lost).
    virtual void WMCancelMode(TMessage& message);
    void Notification(TComponent* component, TOperation operation) override;
    // The menu bar leaves the window first: destroying a window destroys its menu, which the
    // main menu owns.
    void DestroyWindowHandle() override;

    // Binds a form field to the component of that name in the definition.
    template <class T>
    void BindField(const UnicodeString& name, T*& field)
    {
        fields_.Add(name, field);
    }
    // Binds a handler name of the definition to a member function of the form.
    template <class F, class R, class... A>
    void BindHandler(const UnicodeString& name, R (F::*method)(A...))
    {
        F* self = dynamic_cast<F*>(this);
        methods_.Add<std::function<R(A...)>>(name, [self, method](A... args) -> R {
            return (self->*method)(std::forward<A>(args)...);
        });
    }

private:
    friend class TApplication;
    void StyleFlags(DWORD& style, DWORD& exStyle) const;
    void ApplyPosition();
    void CloseModal();
    void ApplyLayered();
    void ApplyMenu();
    void CreateMDIClient();
    void ApplyWindowMenu();
    void MDIChildParams(TCreateParams& params);

    TMethodTable methods_;
    TFieldTable fields_;
    bool created_ = false;
    bool destroyed_ = false;
    bool positioned_ = false;
    bool active_ = false;
    TModalResult modalResult_ = mrNone;
    TFormState formState_;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TFormBorderStyle borderStyle_ = bsSizeable;
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    TFormStyle formStyle_ = fsNormal;
    UnicodeString helpFile_;
    bool keyPreview_ = false;
    bool scaled_ = true;
    bool alphaBlend_ = false;
    BYTE alphaBlendValue_ = 255;
    TMainMenu* menu_ = nullptr;
    HWND clientHandle_ = nullptr;
    TMenuItem* windowMenu_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
    std::unique_ptr<TCanvas> canvas_;
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
    UnicodeString ClassName() const override { return L"TForm"; }
};

// A windowed container for a group of controls placed on forms like one control.
class TCustomFrame : public TWinControl {
public:
    explicit TCustomFrame(TComponent* owner);
    UnicodeString ClassName() const override { return L"TCustomFrame"; }
};

// ---------------------------------------------------------------------------------------------

// Shows a help file; replaceable so that tests record instead of opening a viewer. The default
// opens HTML help (hhctrl.ocx) when it can be loaded.
using THelpViewer = bool (*)(HWND owner, const UnicodeString& helpFile, WORD command, intptr_t data);
THelpViewer SetHelpViewer(THelpViewer viewer); // null restores the default; returns the previous one

// A routine that sees the application window's messages before the application does: true
// means handled, and the message goes no further (its Result is the answer). Bound to an
// object's member function and compared by object and member, so the hooker can unhook.
class TWindowHook {
public:
    using Member = bool (TObject::*)(TMessage&);

    TWindowHook() = default;
    template <class T>
    TWindowHook(T* object, bool (T::*method)(TMessage&)) : object_(object), method_(static_cast<Member>(method))
    {
    }

    bool operator()(TMessage& message) const { return (object_->*method_)(message); }
    explicit operator bool() const { return object_ != nullptr && method_ != nullptr; }

    friend bool operator==(const TWindowHook& a, const TWindowHook& b)
    {
        return a.object_ == b.object_ && a.method_ == b.method_;
    }

private:
    TObject* object_ = nullptr;
    Member method_ = nullptr;
};

class THintWindow;
class TTimer;

// What the application knows about the hint it is about to show; OnShowHint may change it.
// Points are on the screen, CursorRect and CursorPos in HintControl's client coordinates.
struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint HintPos;         // the hint window's top-left
    int HintMaxWidth = 0;   // widest text
    TColor HintColor = clInfoBk;
    TRect CursorRect;       // the mouse may move inside without a new hint
    TPoint CursorPos;
    int HideTimeout = 0;    // milliseconds the hint stays; 0 until hidden by other means
    UnicodeString HintStr;
    void* HintData = nullptr;
};
// May change the text, veto the hint (CanShow false) or change the record.
using TShowHintEvent = std::function<void(UnicodeString& hintStr, bool& canShow, THintInfo& hintInfo)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;
    UnicodeString ClassName() const override { return L"TApplication"; }

    void Initialize();
    bool MainFormOnTaskBar() const { return mainFormOnTaskBar_; }
    void SetMainFormOnTaskBar(bool value) { mainFormOnTaskBar_ = value; }
    const UnicodeString& Title() const { return title_; }
    void SetTitle(const UnicodeString& value);
    const UnicodeString& HelpFile() const { return helpFile_; }
    void SetHelpFile(const UnicodeString& value) { helpFile_ = value; }
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool value) { showMainForm_ = value; }

    // Creates a form owned by the application; reference is set before the constructor runs
    // (so code called from it can use it). The first form created becomes the main form.
    template <class T>
    void CreateForm(T*& reference)
    {
        void* memory = ::operator new(sizeof(T));
        reference = static_cast<T*>(memory);
        T* instance = nullptr;
        try {
            instance = new (memory) T(this);
        } catch (...) {
            reference = nullptr;
            ::operator delete(memory);
            throw;
        }
        FormCreated(instance);
    }

    // Handles messages until Terminate (the main form closing) ends the loop.
    void Run();
    // Handles every waiting message, then the waiting Synchronize calls.
    void ProcessMessages();
    // Handles one message, or when none waits runs the waiting Synchronize calls and sleeps
    // until a message arrives.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Whether one of the application's windows is the active one: follows WM_ACTIVATEAPP, which
    // the system sends to the application window and to every form when the activation moves to
    // or away from the program. False until the program is first activated.
    bool Active() const { return active_; }

    HWND Handle() const { return handle_; }
    TCustomForm* MainForm() const { return mainForm_; }
    // The application window is never shown: minimizing and restoring the application act on
    // the main form's window (when it is not iconic, or when it is).
    void Minimize();
    void Restore();
    UnicodeString ExeName() const;

    // Hooks see every message of the application window (Handle) first, in the order they
    // were hooked, until one handles it. Hooking a hook twice keeps one; a hook unhooked
    // while a message is being passed round is not called for it any more.
    void HookMainWindow(const TWindowHook& hook);
    void UnhookMainWindow(const TWindowHook& hook);
    bool IsMainWindowHooked(const TWindowHook& hook) const;

    // Kept for the program's controls and libraries to read; the application mirrors nothing.
    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode value) { biDiMode_ = value; }

    // Reports the exception being handled (call inside a catch block): OnException when
    // assigned, else ShowException. EAbort is silent.
    void HandleException(TObject* sender);
    // The exception box: the message, with a full stop added unless it ends in one (or in a
    // character ordered before it), captioned with the title.
    void ShowException(const Exception& e);
    int MessageBox(const UnicodeString& text, const UnicodeString& caption, UINT flags = MB_OK);

    // Help: the form's OnHelp (or the application's) decides; then the help file of the form,
    // or the application's when the form has none, is shown.
    bool HelpContext(int context);
    bool HelpCommand(WORD command, intptr_t data);
    bool InvokeHelp(TCustomForm* form, WORD command, intptr_t data);
    UnicodeString CurrentHelpFile(TCustomForm* form) const;

    TExceptionEvent OnException;
    THelpEvent OnHelp;

    // --- hints (FormsHint.cpp)
    // Resting the mouse on a control whose ShowHint is set (its own or a parent's) shows the
    // control's Hint (or the nearest parent's) after HintPause ms, HintShortPause ms when a hint
    // shows already; it hides after HintHidePause ms, on a click or key, or when the mouse
    // leaves the control. The window comes from HintWindowClass.
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    int HintPause() const { return hintPause_; }
    void SetHintPause(int value) { hintPause_ = value; }
    int HintShortPause() const { return hintShortPause_; }
    void SetHintShortPause(int value) { hintShortPause_ = value; }
    int HintHidePause() const { return hintHidePause_; }
    void SetHintHidePause(int value) { hintHidePause_ = value; }
    // Hides the hint and forgets its control; the next rest of the mouse starts anew.
    void CancelHint();
    // Shows the hint of the current hint control for the mouse at the screen point now.
    void ActivateHint(const TPoint& cursorPos);
    // The hint record's control (the control the mouse rests on) and whether its hint shows.
    TControl* HintControl() const { return hintControl_; }
    bool HintActive() const { return hintActive_; }
    // Clears the record's control and showing flag without touching the window.
    void ResetHintControl();
    // The window that shows the application's hints, or null before the first one.
    THintWindow* HintWindow() const { return hintWindow_; }
    TShowHintEvent OnShowHint;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCustomForm;
    enum class THintTimerMode { Show, Hide };
    void HintMouseMessage(const MSG& msg);
    void StartHintTimer(int ms, THintTimerMode mode);
    void StopHintTimer();
    void HintTimerExpired(TObject* sender);
    void SetHintControl(TControl* control);
    void FormCreated(TCustomForm* form);
    bool ProcessMessage(MSG& msg);
    bool IsKeyMsg(MSG& msg);
    void Idle();
    bool CallMainWindowHooks(TMessage& message);
    void WakeUpWndProc(TMessage& message);

    HWND handle_ = nullptr;
    bool mainFormOnTaskBar_ = false;
    bool showMainForm_ = true;
    bool terminated_ = false;
    bool active_ = false;
    UnicodeString title_;
    UnicodeString helpFile_;
    TCustomForm* mainForm_ = nullptr;
    std::vector<TWindowHook> hooks_;
    TBiDiMode biDiMode_ = bdLeftToRight;
    bool showHint_ = true;
    int hintPause_ = 500;
    int hintShortPause_ = 0;
    int hintHidePause_ = 2500;
    bool hintActive_ = false;
    TControl* hintControl_ = nullptr;
    TRect hintCursorRect_; // on the screen
    THintWindow* hintWindow_ = nullptr; // owned as a component
    THintWindow* (*hintWindowMadeBy_)(TComponent*) = nullptr;
    TTimer* hintTimer_ = nullptr;        // owned as a component
    THintTimerMode hintTimerMode_ = THintTimerMode::Show;
};

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* owner);
    ~TScreen() override;
    UnicodeString ClassName() const override { return L"TScreen"; }

    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int index) const; // EListError outside 0..FormCount-1
    TCustomForm* ActiveForm() const { return activeForm_; }
    TCustomForm* ActiveCustomForm() const { return activeForm_; }
    int PixelsPerInch() const;
    int Width() const;
    int Height() const;
    TRect WorkAreaRect() const;
    // The system's message-box font (read once from the non-client metrics), the one the
    // application's controls start with.
    TFont* MessageFont();
    // The system's tool-tip font (the status font of the non-client metrics), read once.
    TFont* HintFont();
    // The system's menu font (the menu font of the non-client metrics), read once.
    TFont* MenuFont();
    // crDefault lets each control choose; any other value shows everywhere.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);

private:
    friend class TCustomForm;
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    void SetActiveForm(TCustomForm* form);

    std::vector<TCustomForm*> forms_;
    TCustomForm* activeForm_ = nullptr;
    TCursor cursor_ = crDefault;
    std::unique_ptr<TFont> messageFont_;
    std::unique_ptr<TFont> hintFont_;
    std::unique_ptr<TFont> menuFont_;
};

extern TApplication* Application;
extern TScreen* Screen;

// Start-up of the control layer: registers every control class of the layer for form
// definitions and creates Application and Screen. DoneControls frees them again (the forms
// first). Part of the program's ordered unit start-up; units with further controls register
// theirs after it.
void InitControls();
void DoneControls();

// Registers the published properties and factories of TCustomForm and TForm.
void RegisterFormsClasses();
// The form's Menu property (called by RegisterFormsClasses).
void RegisterFormMenuProperty();
