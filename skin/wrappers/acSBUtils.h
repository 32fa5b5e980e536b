#pragma once
// Window wrappers: the base of every wrapper that skins an existing window (a framework
// control's or a foreign one) without replacing it, and the unit routines the wrappers share
// (removal, the "ACSBSC" look-up, frame refresh, fonts, cache painting, published-property
// access).
//
// A wrapper takes over the window's procedure (through the owner control's WindowProc, or
// through an object-bound window procedure for a foreign window), answers the library's command
// message for it and gives the window back when the window goes, when the skin is removed or
// when its creator calls UninitializeACWnd. The procedure the window calls is bound to a small
// relay object, not to the wrapper itself: when someone subclassed the window after the
// wrapper, giving the window back cannot take our procedure out of the chain, so the relay is
// parked as a pure pass-through to the previous procedure instead of being freed under the
// caller.
#include "Controls.h"
#include "Messages.h"
#include "Objects.h"

#include <windows.h>

class TsCommonData;
class TsSkinManager;
class TacWndRelay;
struct TCacheInfo;

// What every wrapper is made with.
struct TacSkinParams {
    TControl* Control = nullptr; // the control owning the window; null for a foreign window
    UnicodeString SkinSection;   // empty: the skin data's default
    bool UseSkinColor = true;
    bool UseSkinFontColor = true;
    int VertScrollSize = -1;
    int HorzScrollSize = -1;
    int VertScrollBtnSize = -1;
    int HorzScrollBtnSize = -1;
};

// Set by the dialog skinning while it wraps a system dialog's children.
extern bool acDlgMode;

class TacMainWnd : public TObject {
public:
    TacMainWnd() = default;
    ~TacMainWnd() override;
    TacMainWnd(const TacMainWnd&) = delete;
    TacMainWnd& operator=(const TacMainWnd&) = delete;
    UnicodeString ClassName() const override { return L"TacMainWnd"; }

    // --- virtual operations, in the order the family overrides them
    virtual void AfterCreation();
    virtual void SaveStdParams() {}
    virtual void RestoreStdParams();
    virtual void InitSkinData();
    virtual bool DoPrepareCache();
    virtual void acWndProc(TMessage& Message);
    virtual void SetSkinParams();
    // The second half of construction, run by the factory right after the object exists:
    // InitSkinData (without given skin data), SaveStdParams, subclassing, AfterCreation.
    virtual void Create(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
                        const TacSkinParams& SkinParams, bool Repaint = true);

    // --- what later wrapper classes answer differently
    // Button wrappers make skin data with the light effect.
    virtual bool IsButtonWnd() const { return false; }
    // Panel, spin and menu wrappers keep the window's visual style.
    virtual bool KeepsVisualStyle() const { return false; }
    // Subclassing step of Create; scroll wrappers attach their scroll bars here.
    virtual void Subclass(HWND AHandle, bool Repaint);

    // Builds a record with result 0, runs acWndProc and returns the result.
    LRESULT ProcessMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
    // Passes a message to what was there before the wrapper; an exception there gives 0.
    LRESULT CallPrevWndProc(HWND Handle, UINT Msg, WPARAM WParam, LPARAM& LParam);
    // Takes over the window's procedure.
    void InitializeACWnd(HWND AHandle);
    // Gives the window its procedure back: restored while the chain still starts with ours,
    // else the relay is parked. False when nothing was subclassed.
    bool GiveBackWndProc();
    // The window gets its own font back and the one SelectCtrlFont sent it is deleted.
    void GiveBackFont();
    // The owner control gets back the style it had before the wrapper made it opaque (once).
    void GiveBackCtrlStyle();
    // The procedure the window calls now for this wrapper (null without subclassing).
    WNDPROC NewWndProcInstance() const;

    bool DlgMode = false;
    bool Destroyed = false;
    bool DontRepaint = false;
    bool OwnSkinData = false;
    bool InDestroying = false;
    bool ParamsChanged = false;
    TRect WndRect;
    TRect ParentRect;
    TColor StdColor = clNone;
    TColor StdFontColor = clNone;
    HWND ParentWnd = nullptr;
    HWND CtrlHandle = nullptr;
    TSize WndSize;
    TPoint WndPos;
    UnicodeString Caption;
    int Tag = 0;
    TControlStyle OldCtrlStyle;
    TWndMethod OldWndProc; // the owner control's previous WindowProc
    WNDPROC OldProc = nullptr; // the window's previous procedure
    TsSkinManager* SkinManager = nullptr;
    TsCommonData* SkinData = nullptr;
    TObject* Adapter = nullptr; // the form's child-control adapter that made this wrapper

protected:
    // The owner control of SkinData, or null.
    TControl* OwnerControl() const;
    // Keeps the owner control's style for GiveBackCtrlStyle and, with Opaque, makes it opaque
    // (the step of Create that descendants with a constructor of their own run themselves).
    void SaveCtrlStyle(bool Opaque);
    // The destructor's first half: gives the window back (or parks the relay) and undoes the
    // base settings. A descendant that must act on the window after it is given back calls it
    // from its own destructor; a second call does not give back again.
    void LeaveWindow();

private:
    friend class TacWndRelay;
    friend void SelectCtrlFont(TacMainWnd* W, bool SetFont);
    // Visual styles come back with the window (destructor).
    void GiveBackVisualStyle();
    bool answeringBGColor_ = false; // within the background-colour command
    bool ctrlStyleSaved_ = false;
    bool ctrlStyleGivenBack_ = false;
    HFONT derivedFont_ = nullptr;  // sent to the window by SelectCtrlFont; owned
    HFONT originalFont_ = nullptr; // the window's font before that; not owned
    TacWndRelay* relay_ = nullptr; // what the window or control calls; owned until parked
    void ReleaseRelay();
};

// A wrapper of class W made and set up (the virtual constructor of each wrapper class). The
// caller owns it (UninitializeACWnd with Free, or delete).
template <class W>
W* CreateWrapper(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager, const TacSkinParams& SkinParams,
                 bool Repaint = true)
{
    auto* wrapper = new W();
    try {
        wrapper->Create(AHandle, ASkinData, ASkinManager, SkinParams, Repaint);
    } catch (...) {
        delete wrapper;
        throw;
    }
    return wrapper;
}

// The factory of a wrapper class as a plain function, for tables of wrapper kinds.
using TacWrapperFactory = TacMainWnd* (*)(HWND, TsCommonData*, TsSkinManager*, const TacSkinParams&, bool);
template <class W>
TacMainWnd* WrapperFactory(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
                           const TacSkinParams& SkinParams, bool Repaint)
{
    return CreateWrapper<W>(AHandle, ASkinData, ASkinManager, SkinParams, Repaint);
}

// The scrolling window wrapper TacScrollWnd is declared with its scroll bars (acScrollBar.h).

// The wrapper published on a window ("ACSBSC"), or null.
TacMainWnd* Ac_GetScrollWndFromHwnd(HWND Wnd);
// Publishes (or with null removes) a window's wrapper.
void SetScrollWndProp(HWND Wnd, TacMainWnd* W);

// Removes a wrapper: gives the procedure back, undoes its settings and, with Free, deletes it
// and sets W to null.
void UninitializeACWnd(HWND Wnd, bool Free, bool Repaint, TacMainWnd*& W);

// Window rectangle (screen), parent, parent's window rectangle, size and the position in the
// parent's client coordinates.
void InitCtrlData(HWND Wnd, HWND& ParentWnd, TRect& WndRect, TRect& ParentRect, TSize& WndSize, TPoint& WndPos);
// Forwards a command to the children: through the control's child list, else to Wnd's
// child windows.
void AlphaBroadCastCheck(TControl* Control, HWND Wnd, TMessage& Message);
// Tells the top-level ancestor of Wnd to add new controls to its adapter (command 25).
void NotifyTopParent(HWND Wnd);
// Repaints the frame now (Repaint) or posts its repaint.
void RefreshFrame(HWND Wnd, bool Repaint);

// Published-property access by name; absent properties and null objects do nothing / give 0.
void SetIntPropIfExists(TObject* Obj, const UnicodeString& Name, int Value);
int GetIntPropIfExists(TObject* Obj, const UnicodeString& Name);
TColor GetColorPropIfExists(TObject* Obj, const UnicodeString& Name);

// Parked relays still alive (for tests of the shut-down).
int ParkedWndProcCount();

// Start-up and shut-down of the unit: shut-down frees the parked relays and gives every
// window class its own background brush back.
void acSBUtilsInitialization();
void acSBUtilsFinalization();

// --- fonts of the painting wrappers
// A font of the system's non-client metrics: 1 caption, 2 small caption, 3 menu, 4 status,
// any other kind the message font. On failure the LOGFONT's height is 0.
void GetNCMetricsFont(int Kind, LOGFONTW& LogFont);
// The face name the default manager imposes: the skin's font (mode fmFromSkin), its own main
// font (fmCustom), else none.
UnicodeString GetSkinFontName();
// A non-empty imposed name replaces the face name.
void ApplySkinFontName(LOGFONTW& LogFont);
void SetSkinFontName(TFont* Font);
// Creates the non-client font of GetNCMetricsFont with the imposed face name and selects it into
// the canvas, whose font owns it.
void SelectNCFont(TCanvas* Canvas, int Kind);
// Selects the wrapped window's font into the cache bitmap's canvas: the owner control's font,
// else the window's own (WM_GETFONT) with the imposed face name and the character-set rule, else
// the message font. With SetFont that derived font is sent to the window; the wrapper keeps the
// one font it sent and gives the window its own back when it unwraps.
void SelectCtrlFont(TacMainWnd* W, bool SetFont);

// --- cache painting
// Paints the window's skinned background and border (and, for a disabled edit, its text and the
// disabled look) into SkinData's cache when BGChanged is set. DialogMode paints a system dialog's
// plain look.
void PrepareCache(TsCommonData* SkinData, HWND Wnd, bool DialogMode);
// Repaints only the four border strips of the section's border image into the cache; the centre
// stays as it is.
void PaintBorderFast(TsCommonData* SkinData, int State, const TacMainWnd& W);
// The parent's background under a window at WndPos (parent client coordinates) over the whole
// cache: the parent's cached picture when it is ready, else its fill colour (the manager's global
// colour when the parent names none).
void CopyParentBackground(TBitmap* Cache, const TCacheInfo& Parent, const TPoint& WndPos, TsSkinManager* Manager);
// The disabled look: the cache blended toward that background by the library's disabled level.
void BlendTowardParent(TBitmap* Cache, const TCacheInfo& Parent, const TPoint& WndPos, TsSkinManager* Manager);
// Whether the control's section has a distinct hot look (with CheckOptions as the options and
// the control's class allow).
bool MayBeHot(TsCommonData* SkinData, bool CheckOptions = true);

// The handler that skins one speed button (a graphic control) for its form's adapter. So far it
// only keeps what it was made for; the speed-button skinning fills it.
class TacSpeedButtonHandler : public TObject {
public:
    TacSpeedButtonHandler(TControl* ACtrl, TsSkinManager* AManager, TsCommonData* ASkinData,
                          const UnicodeString& ASection)
        : Ctrl(ACtrl), SkinManager(AManager), SkinData(ASkinData), SkinSection(ASection)
    {
    }
    UnicodeString ClassName() const override { return L"TacSpeedButtonHandler"; }

    TControl* Ctrl;
    TsSkinManager* SkinManager;
    TsCommonData* SkinData;
    UnicodeString SkinSection;
};
