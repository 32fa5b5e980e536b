#pragma once
// The form skin provider: the component that skins one form. It takes over the form's window
// procedure, answers the library's command message for the form, routes every message to the
// skinned or the unskinned handling, owns the companions that do the work (title buttons,
// added title, form header, system menu, control adapter, border window) and gives the window
// procedure back when it goes. Without an active skin the form behaves as without it.
//
// Also here: the classes of the provider's companions that later form skinning fills (control
// adapter, title bar, system menu, MDI support, extended-border window), and the unit routines
// around them.
#include "Components.h"
#include "Forms.h"
#include "Graphics.h"
#include "Messages.h"
#include "acAnimationShow.h"
#include "sFormStates.h"
#include "sSkinProviderSysMenu.h"
#include "sSkinProviderTitle.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TacBorderForm;
class TacSkinData;
class TacGlowForm;
class TacCtrlAdapter;
class TacScrollWnd;
class TacTimer;
class TacThreadedTimer;
class TsCommonData;
class TsScrollWndData;
class TsSkinManager;
class TsThirdPartyList;
class TsTitleBar;
class TsMDIForm;
class TStringList;
class TThread;

// True while a skin provider removes its adapter's items; a wrapper then keeps its window
// procedure until its adapter's form is removing the skin.
extern bool ItemsRemoving;

// The provider's after-animation event: hiding is true after a hide, false after a show.
using TacAfterAnimation = std::function<void(bool hiding)>;
// Asked before the adapter skins a child: it may refuse it or give it another section.
using TAddItemEvent = std::function<void(TObject* Item, bool& CanBeAdded, UnicodeString& SkinSection)>;
using TAddItemExEvent =
    std::function<void(TObject* Item, bool& CanBeAdded, UnicodeString& SkinSection, int& ControlKind)>;
// Lets the application answer WM_NCHITTEST of a skinned form first.
using TacNCHitTest = std::function<void(TMessage& Message)>;

// Control-class codes of the skin data of a form and of a skinned graphic control.
inline constexpr BYTE COC_TsSkinProvider = 224;
inline constexpr BYTE COC_TacGraphItem = 230;

enum TsGripMode { gmNone, gmRightBottom };
enum TsResizeMode { rmStandard, rmBorder };

// The menu-line item under the mouse.
struct TMenuItemData {
    TObject* Item = nullptr;
    TRect R;
};

// The handlers of the skinned path (and the few of the unskinned one), each named after the
// message it serves. A handler decides itself whether the form's own procedure sees the message.
#define AC_PROVIDER_HANDLERS(X)                                                                        \
    X(AC_WMCreate) X(AC_WMMove) X(AC_WMSize) X(AC_WMActivate) X(AC_WMSetText) X(AC_WMPaint) X(AC_WMClose) \
    X(AC_WMQueryEndSession) X(AC_WMEraseBkGnd) X(AC_WMSysColorChange) X(AC_WMShowWindow)                 \
    X(AC_WMSettingChange) X(AC_WMActivateApp) X(AC_WMChildActivate) X(AC_WMGetMinMaxInfo)                \
    X(AC_WMMeasureItem) X(AC_WMWindowPosChanging) X(AC_WMWindowPosChanged) X(AC_WMCopyData)              \
    X(AC_WMNotify) X(AC_WMContextMenu) X(AC_WMStyleChanged) X(AC_WMSetIcon) X(AC_WMNCCreate)             \
    X(AC_WMNCHitTest) X(AC_WMNCPaint) X(AC_WMNCActivate) X(AC_WMNCLButtonDown)       \
    X(AC_WMLButtonUp) X(AC_WMNCLButtonDblClick) X(AC_WMNCRButtonDown) X(AC_WMNCRButtonUp)                \
    X(AC_WMSysCommand) X(AC_WMMouseMove) X(AC_WMParentNotify)                      \
    X(AC_WMEnterMenuLoop) X(AC_WMExitMenuLoop) X(AC_WMSizing) X(AC_WMMDIDestroy) X(AC_WMExitSizeMove)    \
    X(AC_WMMouseLeave) X(AC_WMPrint) X(AC_ASEMSG) X(AC_WMVisibleChanged) X(AC_CMEnabledChanged)          \
    X(AC_CMMouseEnter) X(AC_CMMenuChanged) X(AC_CMShowingChanged) X(AC_WMControlListChange)              \
    X(AC_CMRecreateWnd) X(AC_CMFloat) X(AC_CMMouseWheel)
// The handlers that have their real bodies (the others pass their message on until built).
#define AC_PROVIDER_BUILT_HANDLERS(X) X(AC_WMNCMouseMove) X(AC_WMInitMenuPopup)
// Steps the dispatcher runs around the form's own handling on the unskinned path.
#define AC_PROVIDER_UNSKINNED_STEPS(X) \
    X(AC_CMVisibleChanged_Unskinned) X(AC_WMWindowPosChanged_Unskinned) X(AC_WMNCDestroy)

class TsSkinProvider : public TComponent, public TacShowProvider {
public:
    explicit TsSkinProvider(TComponent* AOwner);
    // A provider the library makes itself for a form at run time (RTInit).
    TsSkinProvider(TCustomForm* AForm, bool flag);
    ~TsSkinProvider() override;
    TsSkinProvider(const TsSkinProvider&) = delete;
    TsSkinProvider& operator=(const TsSkinProvider&) = delete;
    UnicodeString ClassName() const override { return L"TsSkinProvider"; }

    // Run at the end of each constructor, once the component is complete.
    void AfterConstruction();
    void Loaded() override;

    // --- the form
    // Makes the form ready for the current skin.
    void PrepareForm();
    // Full initialisation once the form is loaded and a skin is active.
    void LoadInit();
    // Reads the skin indexes of caption, header and title.
    void InitIndexes();
    // Creates (Active) or frees the MDI support and the menu-filter hook of an MDI main form.
    void HookMDI(bool Active = true);
    void AdapterCreate();
    void AdapterRemove();
    void SendToAdapter(const TMessage& Message);
    bool CanDrawNCArea() const;
    bool HeaderUsed() const;
    // Replaces the form-state word; FS_HIDDEN and FS_RESTORING disable the form's alignment
    // while set.
    void SetFormState(std::uint32_t Value);

    // --- messages
    // The form's window procedure while the provider is installed.
    void NewWndProc(TMessage& Message);
    // Runs a made-up message through NewWndProc and returns its result.
    LRESULT ProcessMessage(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    // Passes a message to the form's own procedure.
    void PassOn(TMessage& Message);
    bool AC_SMAlphaCmd_Common(TMessage& Message);
    void AC_SMAlphaCmd_Skinned(TMessage& Message);
    bool AC_SMAlphaCmd_Unskinned(TMessage& Message);
    // WM_DPICHANGED of the skinned path.
    void AC_WMDpiChanged(TMessage& Message);
    // WM_SETREDRAW on both paths: counts the painting locks (the dispatcher passes it on).
    void AC_WMSetRedraw(TMessage& Message);
#define AC_DECLARE_HANDLER(name) virtual void name(TMessage& Message);
    AC_PROVIDER_HANDLERS(AC_DECLARE_HANDLER)
    AC_PROVIDER_BUILT_HANDLERS(AC_DECLARE_HANDLER)
    AC_PROVIDER_UNSKINNED_STEPS(AC_DECLARE_HANDLER)
#undef AC_DECLARE_HANDLER

    // --- published settings
    bool AllowExtBorders() const { return FAllowExtBorders; }
    bool DrawNonClientArea() const { return FDrawNonClientArea; }
    bool ShowAppIcon() const { return FShowAppIcon; }
    bool UseGlobalColor() const { return FUseGlobalColor; }
    bool UWPMode() override { return FUWPMode; }
    // 0 AllowExtBorders, 1 DrawNonClientArea, 2 ShowAppIcon, 3 UseGlobalColor, 4 UWPMode.
    void SetBoolean(int Index, bool Value);
    const UnicodeString& TitleSkin() const { return FTitleSkin; }
    const UnicodeString& MenuLineSkin() const { return FMenuLineSkin; }
    // 0 TitleSkin, 1 MenuLineSkin.
    void SetSkinSection(int Index, const UnicodeString& Value);
    TacAddedTitle* AddedTitle() const { return FAddedTitle.get(); }
    TAlignment CaptionAlignment() const { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment Value);
    BYTE DisabledBlendValue() const { return FDisabledBlendValue; }
    void SetDisabledBlendValue(BYTE Value);
    TColor DisabledBlendColor() const { return FDisabledBlendColor; }
    void SetDisabledBlendColor(TColor Value);
    TacFormHeader* FormHeader() const { return FFormHeader.get(); }
    TStringList* GluedForms() const { return FGluedForms.get(); }
    void SetGluedForms(const TStringList* Value);
    TsScrollWndData* SkinData() const { return FCommonData.get(); }
    TsGripMode GripMode() const { return FGripMode; }
    void SetGripMode(TsGripMode Value) { FGripMode = Value; }
    TsResizeMode ResizeMode() const { return FResizeMode; }
    void SetResizeMode(TsResizeMode Value);
    int SnapBuffer() const { return FSnapBuffer; }
    void SetSnapBuffer(int Value) { FSnapBuffer = Value; }
    TsTitleBar* TitleBar() const { return FTitleBar; }
    void SetTitleBar(TsTitleBar* Value);
    TsTitleButtons* TitleButtons() const { return FTitleButtons.get(); }
    void SetTitleButtons(const TsTitleButtons* Value);
    TsTitleIcon* TitleIcon() const { return FTitleIcon.get(); }
    TacSysSubMenu* SysSubMenu() const { return FSysSubMenu.get(); }
    TsThirdPartyList* ThirdParty() const { return FThirdParty.get(); }
    TacSystemBlur* SystemBlur() const { return FSystemBlur.get(); }

    bool AllowAnimation = true;
    bool AllowBlendOnMoving = true;
    bool AllowSkin3rdParty = true;
    bool DrawClientArea = true;
    bool MakeSkinMenu = false;
    bool ScreenSnap = false;
    bool DisabledBlured = false;
    TacAfterAnimation OnAfterAnimation;
    TacNCHitTest OnExtHitTest;
    TAddItemEvent OnSkinItem;
    TAddItemExEvent OnSkinItemEx;

    // --- what the other form-skinning work fills (least bodies until then)
    // The title's caption and buttons are painted again.
    virtual void UpdateSkinCaption();
    // The layered image of a disabled form is refreshed.
    void UpdateLayerForm();
    void UpdateTitleBar();
    void InitExBorders(bool Active);
    void InitDwm(HWND Handle, bool Active, bool Refresh);
    void UpdateBlurMode(bool Force = false);
    void SetHotHT(int HTCode, bool Repaint = true);
    void KillAnimations();
    void StopAnimations() { KillAnimations(); }
    void ReleaseMenuBitmaps();
    void ClearGlows();
    void UpdateNCArea(bool Value);
    void AnimChangeScale(int NewPPI, bool Animated);
    // Reads the skin's window region into the corner arrays (FillArOR) and makes a region of it.
    void FillArOR() override;
    HRGN GetRgnFromArOR() override;
    // Rebuilds the window image in the cache bitmap when BGChanged is set; false only while a
    // parent form's background is not ready (FUpdating stays set, the caller paints later).
    bool PaintAll() override;
    // The title section paints an image (a texture or a border mask).
    bool HasTitleImage() const;

    // --- screen output of the window image (sSkinProviderOutput.cpp)
    // Copies the title strip and the left, right and bottom frame strips of the cache to a
    // window DC, rebuilding the cache first when BGChanged.
    void PaintCaption(HDC DC);
    // Copies the client rectangle R (client coordinates) from the cache into DC, then paints
    // the form's graphic controls; SendUpdated tells the children their background is ready.
    void PaintForm(HDC DC, const TRect& R, bool SendUpdated);
    // WM_NCPAINT of a skinned form.
    void AC_WMNCPaintHandler();
    // WM_ERASEBKGND of a skinned form; the DC used (the given one, or one obtained and released).
    HDC AC_WMEraseBkGndHandler(HDC DC);
    // The title buttons and title-bar items over the title (filled with the title buttons).
    void SaveBGForBtns(int Width, bool Full);
    void PaintTitleContent(int Width);

    // --- menu line, window menu and system menu (sSkinProviderMenuLine.cpp)
    // The form shows its main menu as a menu line (an MDI main form also its active child's).
    bool MenuPresent();
    // Rebuilds the menu bar; false when it did nothing (no items, or already running).
    bool UpdateMenu();
    // Prepares the menu line once, when the provider draws the frame.
    void TryInitMenu();
    // Hooks the form's menus and those of its frames into the skinned menus (or unhooks them).
    void InitMenuItems(bool Skinned = true);
    // The menu line is painted anew.
    void RepaintMenu();
    // Paints one item of the menu line into the cache and copies it to the window.
    void RepaintMenuItem(TMenuItem* Item, const TRect& R, TOwnerDrawState State);
    // Glyphs and hit codes of the caption buttons; the mask index of the user title button.
    void UpdateIconsIndexes();
    // The skin section of the title: TitleSkin, or "FORMTITLE".
    UnicodeString TitleSkinSection() const;
    // Skinned, the style keeps WS_SYSMENU only when the system draws the caption; unskinned it
    // gets it back with the icon.
    void CheckSysMenu(bool Skinned = true);
    // A window-menu entry of an MDI child: brings that child to front.
    void OnChildMnuClick(TObject* Sender);
    // Shows the system menu at a screen position (natively or skinned); only for the active
    // form.
    void DropSysMenu(int X, int Y);
    // Frees the extended-border object (it is made again when needed).
    void ReleaseBorderForm();

    // --- non-client geometry, in pixels at the form's density
    // Reads the caption height and the frame metrics at PPI (0: the form's).
    virtual void InitSysParams(int PPI = 0);
    int SizeFrame();
    int FixedFrame();
    int FramePadding();
    // The height of one menu line; 0 when the form shows no main menu.
    int MenuHeight();
    int BorderWidth(bool Ask = true);
    int BorderHeight(bool Ask = true);
    // The caption's height; 0 for a form without a frame of its own or without WS_CAPTION
    // unless it is iconic.
    int CaptionHeight(bool Ask = true);
    int ActualTitleHeight(bool Ask = false);
    int HeaderHeight();
    int CaptionWidth();
    virtual int GetTopCoord();
    // The client area's place in the window image.
    int OffsetX();
    int OffsetY();
    void FormLeftTop(TPoint& P);
    void CursorToPoint(int X, int Y, TPoint& P);
    // Lines of the wrapped main menu (cached in FLinesCount until reset to -1).
    int GetLinesCount();
    int ButtonHeight();
    int SysButtonWidth(const TsCaptionButton& Button);
    int SmallButtonWidth();
    int SmallButtonHeight();
    int UserButtonWidth(const TsTitleButton* TitleButton);
    int SysButtonsCount();
    int TitleBtnsWidth();
    int BarWidth(int MaskIndex);
    bool HaveSysMenu();
    bool IconVisible();
    // Width and height of the title icon (0, 0 when hidden).
    TPoint IconSize();
    bool SysRTLAllowed();
    void RBGripPoint(int MaskIndex, TPoint& P);
    // Lays out the title items in the window image's coordinates.
    void CalcItems();
    // The hit code of the screen point in the message's LParam.
    int HTProcess(TMessage& Message);
    // The form has a frame of its own (a border style, a child window, a blur or a saved
    // border style of the UWP mode).
    bool HasOwnFrame();

    // --- extended borders and the UWP-style mode
    void UWPCaptionUpdate(bool Remove);
    bool UWPNoBorderMode() { return FUWPMode && !BorderForm; }
    // The shadow template of the mode (1 active, 0 passive), made with its margins on first use.
    TBitmap* UWPTemplate(bool Active);
    void UpdateUWPMode();

    // --- what the show animation asks of the provider
    std::unique_ptr<TBitmap> TakeCoverBmp() override;
    TBitmap* CacheBmp() override;
    TRect UWPClientRect() override;
    bool HasBorderForm() override { return BorderForm != nullptr; }
    std::unique_ptr<TacGlowForm> DetachBorderForm() override;
    TacGlowForm* CreateNewForm() override;
    HRGN MakeRgn() override;
    void UpdateExBordersPos(bool redraw, BYTE blend) override;
    TRect ShadowSize() override;
    int SkinBorderWidth() override;
    int SkinTitleHeight() override;
    int SysCaptHeight() override;
    int SysBorderWidth() override;
    bool SysExHeight() override { return FSysExHeight; }
    int ExTitleHeight() override;
    int ExMaxHeight() override;
    bool SysBlurActive() override;

    // --- fields
    int CurrentHT = 0;
    int UserBtnIndex = -1;
    int FSnapBuffer = 10;
    bool FUWPMode = false;
    bool FScreenSnap = false;
    bool FShowAppIcon = true;
    bool FUseGlobalColor = true;
    bool ControlsChanged = false;
    bool FAllowExtBorders = true;
    bool FirstInitialized = false;
    bool FDrawNonClientArea = true;
    TRect FIconRect, FHintRect, LastMenuItemRect;
    UnicodeString FTitleSkin, FMenuLineSkin;
    std::unique_ptr<TacTimer> FHintTimer;
    TThread* FScaleThread = nullptr;
    TsGripMode FGripMode = gmNone;
    std::unique_ptr<TsTitleIcon> FTitleIcon;
    std::unique_ptr<TacSystemBlur> FSystemBlur;
    std::unique_ptr<TStringList> FGluedForms;
    TsResizeMode FResizeMode = rmStandard;
    std::unique_ptr<TacAddedTitle> FAddedTitle;
    std::unique_ptr<TacSysSubMenu> FSysSubMenu;
    std::unique_ptr<TsTitleButtons> FTitleButtons;
    TAlignment FCaptionAlignment = taLeftJustify;
    std::unique_ptr<TacFormHeader> FFormHeader;
    std::unique_ptr<TsThirdPartyList> FThirdParty;
    BYTE FDisabledBlendValue = 255;
    TColor FDisabledBlendColor = 0;
    bool bCapture = false, DoReinit = false, bInProcess = false, MaxRestore = false, FSysExHeight = false;
    bool ClearButtons = false, OwnThirdLists = false, FMenuOwnerDraw = false, MenusInitialized = false;
    int LockCount = 0;
    int CYCaption = -1, CXSizeFrame = -1, CXFixedFrame = -1, CXPaddedBorder = -1;
    int FLinesCount = -1;
    int FHeaderIndex = -1, FHeaderHeight = 0, FTitleSkinIndex = -1, FCaptionSkinIndex = -1;
    TRect NormalBounds, LastClientRect;
    std::unique_ptr<TBitmap> FGlow1, FGlow2, TempBmp, CoverBmp, MenuLineBmp;
    TsCaptionButton MDIMin, MDIMax, ButtonMin, ButtonMax, ButtonHelp, ButtonClose, MDIClose;
    std::vector<TRect> Rects;
    TMenuItemData HotItem;
    TsTitleBar* FTitleBar = nullptr;
    std::unique_ptr<TacGlowForm> LayerForm;
    std::unique_ptr<TacGlowForm> CoverForm; // prepared cover of the form, or null
    TacThreadedTimer* FormTimer = nullptr;
    std::unique_ptr<TsScrollWndData> FCommonData; // owner object: this provider; section "FORM"
    std::array<std::unique_ptr<TBitmap>, 2> UWPTemplates;
    TRect UWPShadowSize;
    bool bFlag1 = false, RTInit = false, RTEmpty = false, InAero = false, InMenu = false, fAnimating = false;
    bool BigButtons = false, FormActive = false, MenuChanged = true, RgnChanging = false, RightPressed = false;
    std::unique_ptr<TacGlowForm> CaptForm;
    int VCenter = 0;
    std::unique_ptr<TsMDIForm> MDIForm;
    std::vector<TObject*> FrameAdapters;
    TWndMethod OldWndProc; // the form's window procedure before the provider took it over
    int ShowAction = 0;
    std::unique_ptr<std::vector<HWND>> FluentHandles;
    bool FluentUWPMode = false;
    TFormBorderStyle FluentBorderStyle = bsNone;
    bool RgnChanged = true;
    bool biClicked = false, AllowScale = true, FInAnimation = false, SkipAnimation = false;
    TForm* Form = nullptr;
    TacScrollWnd* ListSW = nullptr;     // scroll-bar wrapper of the form, owned
    std::uint32_t FFormState = 0;       // FS_* bits, written through SetFormState
    TacCtrlAdapter* Adapter = nullptr;  // the adapter that wraps the form's children, owned
    std::vector<std::unique_ptr<TStringList>> ThirdLists; // 23 working class-name lists
    TacBorderForm* BorderForm = nullptr;                  // extended-border window, or null
    std::unique_ptr<TsSystemMenu> SystemMenu;

    // Kept for the core's freezing and animation routines.
    bool Freezing = false;              // the form is held still around a skin change
    std::unique_ptr<TBitmap> FormImage; // stored image of the form (skin change)
    bool OwnLayeredFrame = false;       // the form draws its own layered frame (no border window)
    bool Minimized = false;             // the form is in its minimized-animation state

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The one-based position of the title button under P (0 none or with a border form).
    int ButtonIndexAt(TPoint P);
    void Construct(TComponent* AOwner);
    void BroadcastToChildren(TMessage& Message);
    void DPIChangedVCL(int NewPPI);
    bool subObjectsMade_ = false;
};

// The child-control adapter of a form's provider: wraps the form's framework children. So far
// only the object a wrapper names as its maker; form skinning gives it its items.
class TacCtrlAdapter : public TObject {
public:
    explicit TacCtrlAdapter(TsSkinProvider* provider) : Provider(provider) {}
    UnicodeString ClassName() const override { return L"TacCtrlAdapter"; }

    // Forwards a message to every item with a live wrapper (no items yet).
    void WndProc(TMessage&) {}
    // Skins every child of the form (or of Control) that the adapter supports.
    void AddAllItems(TWinControl* = nullptr) {}
    void AddNewItem(TControl*) {}

    TsSkinProvider* Provider;
};

// The title-bar component (its items replace the standard caption).
class TsTitleBar : public TComponent {
public:
    using TComponent::TComponent;
    UnicodeString ClassName() const override { return L"TsTitleBar"; }
    int ItemCount() const { return 0; }
    // Measures the items; places them in the space the provider hands over.
    virtual void UpdateSizes() {}
    virtual void CalcSizes() {}
    // The space the provider's title layout hands over.
    int FFullRight = 0, FBarLeft = 0, FBarRight = 0, FBarTop = 0, FBarBottom = 0, FBarVCenter = 0;
};

// The MDI client support of an MDI main form.
class TsMDIForm : public TObject {
public:
    explicit TsMDIForm(TsSkinProvider* AOwner) : FOwner(AOwner) {}
    UnicodeString ClassName() const override { return L"TsMDIForm"; }
    void ConnectToClient() {}
    // Repaints the owner's menu line, where a maximized child's icon item stands.
    void UpdateMDIIconItem();
    TsSkinProvider* FOwner;
};

// The layered extended-border (shadow) window around a skinned form or dialog.
class TacBorderForm : public TObject {
public:
    UnicodeString ClassName() const override { return L"TacBorderForm"; }

    void CreateNewForm() {}
    void PaintAll() {}
    // A new region of the border window; SetWindowRgn takes it over.
    HRGN MakeRgn(int x = 0, int y = 0);
    // Moves, and with redraw repaints, the border window around its form at the alpha blend.
    void UpdateExBordersPos(bool redraw = true, BYTE blend = 255);

    TsSkinProvider* sp = nullptr; // null for a dialog
    TacGlowForm* AForm = nullptr; // the layered window
    TBitmap* ShadowTemplate = nullptr; // the template of the current state (not owned)
    TsCommonData* SkinData = nullptr;
    bool Hidden = false;
    bool BeingShown = false;
};

// Title height of the border form's skin (its maximized height for a maximized form); 0 for
// null.
int SkinTitleHeight(TacBorderForm* borderForm);
// Border width of the border form's skin; 0 without border form or manager.
int SkinBorderWidth(TacBorderForm* BorderForm);
// A system metric at a density (GetSystemMetricsForDpi when the system has it).
int ac_GetSysMetrics(int Index, int PPI);
// The frame thickness of a window: the skin's border with Ask and a border form, else the
// window's answer to library command 67 by its frame style.
int SysBorderWidth(HWND Wnd, TacBorderForm* BorderForm, bool Ask);
// 0 with a border form, else SysBorderWidth.
int SysBorderHeight(HWND Wnd, TacBorderForm* BorderForm, bool Ask);
// Where the menu line moves with a border form.
void SkinMenuOffset(TsSkinProvider* Provider, TPoint& P);
int DiffTitle(TacBorderForm* BorderForm);
int DiffBorder(TacBorderForm* BorderForm);
// True for a negative index or a mask with exactly one image.
bool IsBorderUnchanged(int MaskIndex, const TacSkinData* SkinData);
// Whether the form gets extended borders (Flag: asked for a maximizing form in UWP mode).
bool ExtBordersNeeded(TsSkinProvider* sp, bool Flag);
// Value - Edge when Value lies within Buffer of Edge, else 0.
int SnapDelta(int Value, int Edge, int Buffer);
// Depth first over the owned components: the windowed control whose dialog ID is ID, or null.
TWinControl* FindControlByDlgID(int ID, TComponent* Component);
// A new 32-bit image of the provider's form; null without a cache bitmap. The caller owns it.
std::unique_ptr<TBitmap> GetFormImage(TsSkinProvider* provider, bool freeCache);
// A new borderless layered window placed exactly over the window wnd; the animations show
// their frames under it and free it. Until form skinning fills it the cover stays empty and
// hidden.
std::unique_ptr<TacGlowForm> MakeCoverForm(HWND wnd, TsSkinProvider* provider, bool fromScreen);
// Paints the provider's title icon into its cache bitmap at FIconRect.
void PaintTitleIcon(TsSkinProvider* Provider);
// Draws the size grip into a client DC whose origin the caller moved by (-OffsetX, -OffsetY).
void PaintClientGrip(HDC DC, TsSkinProvider* Provider);
// Set by WM_CREATE of a form created maximized, cleared by the next WM_PAINT or WM_ERASEBKGND:
// WM_NCPAINT paints nothing meanwhile.
extern bool acCreatedMaximized;
// Rebuilds the form's window region from the skin's border masks.
void UpdateRgn(TsSkinProvider* provider, bool Repaint, bool Immediate = true);

// The task-bar animations of the provider's form; false when none was started.
bool StartMinimizing(TsSkinProvider* provider);
bool StartRestoring(TsSkinProvider* provider);
// Answer the task bar's iconic-thumbnail (the largest image of the form's proportions within
// MaxWidth x MaxHeight) and live-preview requests with the skinned image of the form; false
// when nothing was set (no image, a zero size, no window manager).
bool SetThumbIcon(HWND Wnd, TsSkinProvider* Provider, int MaxWidth, int MaxHeight);
bool SetPreviewBmp(HWND Wnd, TsSkinProvider* Provider);

// The desktop window manager's calls of the same names. The entries are looked up in dwmapi on
// first use (on Windows Vista and later); a missing one makes DwmSetWindowAttribute answer
// E_NOTIMPL and the others do nothing.
HRESULT DwmSetWindowAttribute(HWND wnd, DWORD attribute, const void* data, DWORD size);
void DwmInvalidateIconicBitmaps(HWND wnd);
// The entries, with user32's SetWindowCompositionAttribute found at start-up.
struct TacDwmEntries {
    HRESULT(WINAPI* SetWindowAttribute)(HWND, DWORD, const void*, DWORD) = nullptr;
    HRESULT(WINAPI* InvalidateIconicBitmaps)(HWND) = nullptr;
    HRESULT(WINAPI* SetIconicThumbnail)(HWND, HBITMAP, DWORD) = nullptr;
    HRESULT(WINAPI* SetIconicLivePreviewBitmap)(HWND, HBITMAP, POINT*, DWORD) = nullptr;
    HRESULT(WINAPI* EnableBlurBehindWindow)(HWND, const void*) = nullptr;
    BOOL(WINAPI* SetWindowCompositionAttribute)(HWND, void*) = nullptr;
};
// Puts other entries in place (tests record the calls); returns those that were in place.
TacDwmEntries acReplaceDwmEntries(const TacDwmEntries& entries);
// Switches the window's transitions off (attribute 3) with the value for the composition state.
void InitDwm(HWND Wnd, bool ValueWithAero, bool ValueWithoutAero);
// Window animations of the system are left out without composition.
bool ForbidSysAnimating();

// True when desktop composition is on. Asked once (on Windows Vista and later, through the
// desktop window manager bound on first use), then cached.
bool AeroIsEnabled();
// Test seam: a set value answers instead of the system until reset with nullopt.
void SetAeroIsEnabledOverride(std::optional<bool> value);

// --- unit routines
// The provider of the form that owns Component (through the owner chain), asked of the form's
// window with library command 4; null when there is no form or it answers none.
TsSkinProvider* GetSkinProvider(TComponent* Component);
// Writes the provider's working class-name lists back into its ThirdParty lists.
void UpdateProviderThirdNames(TsSkinProvider* Provider);
// True on Windows 10 and later when SetWindowCompositionAttribute was found at start-up.
bool IsFluentOS();
// Test seam: a set value answers instead of the system until reset with nullopt.
void SetIsFluentOSOverride(std::optional<bool> value);
// The entry of SetWindowCompositionAttribute found at start-up, or null.
FARPROC acSetWindowCompositionAttribute();
// Announces the form window Handle to a running skin editor (when the program was started for a
// live preview and no window is registered yet): unless another window is the main form's, the
// handle becomes acPreviewHandle and the editor's main window is told of it until it accepts.
// Each try waits at most about a second, so a hung editor cannot hang the program.
void AnnounceToSkinEditor(HWND Handle);
// The fixed waits of form skinning (40, 200, 48, 20 ms) go through one replaceable routine;
// the default processes messages while it waits.
using TacFormDelay = void (*)(DWORD Ms);
void acFormDelay(DWORD Ms);
// Puts another routine in place (null: the default); returns the one in place before.
TacFormDelay acReplaceFormDelay(TacFormDelay Delay);
// The system caption height of the provider's form at PPI (0: the form's): the small caption of
// tool windows and, on Windows 10 and later, of dialogs unless iconic; else the standard one.
int SysCaptHeight(TsSkinProvider* provider, int PPI = 0);

int GetWindowWidth(HWND Handle);
int GetWindowHeight(HWND Handle);
int GetClientWidth(HWND Handle);
int GetClientHeight(HWND Handle);

// The unit's start-up (binds SetWindowCompositionAttribute) and shut-down.
void sSkinProviderInitialization();
void sSkinProviderFinalization();
