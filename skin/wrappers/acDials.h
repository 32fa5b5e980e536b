#pragma once
// Automatic skinning of the windows that carry no skin provider of their own: the thread's CBT
// hook hands system dialogs ("#32770", "NativeHWNDHost"), framework forms without a provider and
// pop-up menus to AddSupportedForm, which gives each a TacProvider. A framework form gets a skin
// provider made at run time; a foreign dialog gets the dialog frame wrapper and one wrapper per
// child window, chosen by the dispatch table from the child's class and style.
//
// Also here: the wrapper kinds the dispatch and the framework kind table (TacThirdPartyTypes)
// name, and the one table of their factories.
//
// How a wrapper family registers its factory: in acDialsFactories.cpp, replace the kind's
// `nullptr` by `&WrapperFactory<TacXxxWnd>` (and include the family's header). Every dispatch
// row and kind-table entry of that wrapper class creates it from then on; until then a row of
// that class wraps nothing. Class-specific settings after creation (TacSpinWnd's lOffset,
// TacPanelWnd's Panel) go into the row's Setup in acDialsDispatch.cpp.
#include "Components.h"
#include "Forms.h"
#include "acScrollWnd.h"

#include <array>
#include <memory>
#include <vector>

class TacBorderForm;
class TacProvider;
class TsCommonData;
class TsSkinProvider;

// Every wrapper class that the dispatch, the kind table or the hook creates.
enum class TacWrapperKind : int {
    Edit, ListView, ComboBox, Grid, GridEh, TreeView, VirtualTreeView, Static, Btn, BitBtn, Button,
    SplitBtn, CheckBox, GroupBox, TransPanel, Sizer, ToolBar, TabControl, PageControl, Spin, SB, Mnu,
    ToolBarVCL, StatusBar, Track, Panel, Container, Search, ScrollBox, NativePaint, Link, Icon, Edge,
    StaticText, WWComboBox,
    Count
};
inline constexpr int acWrapperKindCount = static_cast<int>(TacWrapperKind::Count);

// The factory of a wrapper kind; null while its wrapper class is not built.
TacWrapperFactory acWrapperFactory(TacWrapperKind Kind);
// Puts another factory in place (tests record through it); returns the one in place before.
TacWrapperFactory acSetWrapperFactory(TacWrapperKind Kind, TacWrapperFactory Factory);
// A wrapper of the kind made through its factory; null when the kind has none yet.
TacMainWnd* CreateWrapperOfKind(TacWrapperKind Kind, HWND AHandle, TsCommonData* ASkinData,
                                TsSkinManager* ASkinManager, const TacSkinParams& SkinParams, bool Repaint);

// The framework-control kinds of the skin manager's class-name lists (same order).
enum TacThirdPartyTypes : int {
    tpEdit, tpButton, tpBitBtn, tpCheckBox, tpComboBox, tpGrid, tpGroupBox, tpListView, tpPanel,
    tpTreeView, tpwwEdit, tpGridEh, tpVirtualTree, tpPageControl, tpTabControl, tpToolBar, tpStatusBar,
    tpSpeedButton, tpScrollControl, tpUpDownBtn, tpScrollBar, tpStaticText, tpNativePaint
};
inline constexpr int acThirdPartyTypesCount = tpNativePaint + 1;
// The wrapper kind of a framework-control kind. tpSpeedButton names the edit wrapper but is never
// used for wrapping: speed buttons go to the speed-button handler.
TacWrapperKind acThirdPartyWrapperKind(TacThirdPartyTypes Kind);
// The wrapper of a framework control of that kind; null while the kind's wrapper is not built.
TacMainWnd* CreateThirdPartyWrapper(TacThirdPartyTypes Kind, HWND AHandle, TsCommonData* ASkinData,
                                    TsSkinManager* ASkinManager, const TacSkinParams& SkinParams, bool Repaint);

// The frame wrapper of a skinned system dialog. So far it wraps the dialog's children when the
// dialog first paints (or is told to again); the dialog painting fills the rest.
class TacDialogWnd : public TacScrollWnd {
public:
    UnicodeString ClassName() const override { return L"TacDialogWnd"; }
    void AfterCreation() override;
    void acWndProc(TMessage& Message) override;
    // Paints the whole skinned dialog image into the skin data's cache bitmap.
    virtual void PaintAll() {}
    // Whether the dialog's children may be wrapped: not in a shell view dialog (one holding a
    // "DUIViewWndClassName" window) unless common dialogs are skinned.
    bool CanSkin() const;

    TacProvider* Provider = nullptr;     // the provider that made this wrapper
    TacBorderForm* BorderForm = nullptr; // extended-border window, or null
    bool Initialized = false;            // the children were wrapped
    // WM_PAINT is validated without painting; cleared when edits, lists or combo boxes are
    // wrapped (they paint themselves).
    bool FWMPaintForbidden = false;

private:
    void InitChildren();
};

// One automatically skinned top-level window.
class TacProvider : public TComponent {
public:
    explicit TacProvider(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    ~TacProvider() override;
    TacProvider(const TacProvider&) = delete;
    TacProvider& operator=(const TacProvider&) = delete;
    UnicodeString ClassName() const override { return L"TacProvider"; }

    // A framework form gets a skin provider made at run time.
    void InitForm(TCustomForm* Form);
    // A foreign dialog gets its frame wrapper; its children are wrapped when it first paints.
    bool InitSkin(HWND Window);
    // Wraps the descendants of Window, each before its parent; false when AddControl refused one.
    bool InitHwndControls(HWND Window);
    // Wraps one child window by its class and style (the dispatch table). False only for 0.
    bool AddControl(HWND Window);
    // Prints the children of Window into DC, each at its place, in print mode.
    void PrintHwndControls(HWND Window, HDC DC);

    std::vector<std::unique_ptr<TacMainWnd>> acSkinnedCtrls; // the children's wrappers
    TsSkinProvider* sp = nullptr;                            // for a framework form; owned by it
    HWND CtrlHandle = nullptr;
    std::unique_ptr<TacDialogWnd> ListSW; // for a foreign dialog
};

// Every provider made here; entries may be null (a form took its provider along).
extern std::vector<TacProvider*> acSupportedList;
// The CBT hook of the GUI thread, or 0.
extern HHOOK HookCallback;
// Wrappers of pop-up menu windows made by the hook.
using TacMnuArray = std::vector<TacMainWnd*>;
extern TacMnuArray MnuArray;

// The WH_CBT hook procedure: skins dialogs and forms as they are created and activated.
LRESULT CALLBACK SkinHookCBT(int code, WPARAM wParam, LPARAM lParam);
// Decides whether a window is skinned here and gives it a provider; createStruct may be null.
// True also when the window is left alone as handled (not a dialog, ExceptTag forms).
bool AddSupportedForm(HWND Window, CREATESTRUCTW* createStruct = nullptr);
// Frees the providers whose dialog wrapper is gone (and those of framework forms).
void CleanSupportedList();
// Frees every provider and empties the list: its one owner's routine, safe to call again.
void FreeSupportedList();
// Frees the menu wrappers and empties MnuArray.
void ClearMnuArray();
// Whether Window has a descendant (any depth) whose lower-case class name is LowerClass.
bool HasDescendantOfClass(HWND Window, const UnicodeString& LowerClass);
