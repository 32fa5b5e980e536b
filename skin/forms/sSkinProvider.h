#pragma once
// The form skin provider: the component that skins one form, its extended-border window, and the
// unit routines around them.
//
// The two classes carry only what the core's broadcast and freezing routines use so far; form
// skinning fills them (until then no form answers the provider command).
#include "Components.h"
#include "Forms.h"
#include "Graphics.h"
#include "sFormStates.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class TacBorderForm;
class TacGlowForm;
class TacCtrlAdapter;
class TsCommonData;

// True while a skin provider removes its adapter's items; a wrapper then keeps its window
// procedure until its adapter's form is removing the skin.
extern bool ItemsRemoving;

// The provider's after-animation event: hiding is true after a hide, false after a show.
using TacAfterAnimation = std::function<void(bool hiding)>;

class TsSkinProvider : public TComponent {
public:
    explicit TsSkinProvider(TComponent* owner);
    ~TsSkinProvider() override;
    UnicodeString ClassName() const override { return L"TsSkinProvider"; }

    // Replaces the form-state word.
    void SetFormState(std::uint32_t value) { FFormState = value; }
    // Brings the form's cache bitmap up to date.
    void PaintAll() {}
    // The form shows a title-bar image.
    bool HasTitleImage() const { return false; }
    // Handles a message of the form as the provider's window procedure would; true when done.
    bool ProcessMessage(TMessage&) { return false; }
    // Shows the skinned system menu of the form at a screen position.
    void DropSysMenu(int, int) {}
    // Frees the extended-border window (it is made again when needed).
    void ReleaseBorderForm() {}

    std::unique_ptr<TacGlowForm> CoverForm; // prepared cover of the form, or null
    TacAfterAnimation OnAfterAnimation;

    TForm* Form = nullptr;
    std::unique_ptr<TsCommonData> FCommonData; // owner object: this provider
    TacBorderForm* BorderForm = nullptr;       // extended-border window, or null
    std::uint32_t FFormState = 0;              // FS_* bits, written through SetFormState
    bool Freezing = false;                     // the form is held still around a skin change
    std::unique_ptr<TBitmap> FormImage;        // stored image of the form
    bool OwnLayeredFrame = false;              // the form draws its own layered frame
    bool SkinFormed = false;                   // the provider skins its form
    bool InAnimation = false;                  // an animation of the form runs
    bool Minimized = false;                    // the form is in its minimized-animation state
    TacCtrlAdapter* Adapter = nullptr;         // the adapter that wraps the form's children
};

// The child-control adapter of a form's provider: wraps the form's framework children. So far
// only the object a wrapper names as its maker; form skinning gives it its items.
class TacCtrlAdapter : public TObject {
public:
    explicit TacCtrlAdapter(TsSkinProvider* provider) : Provider(provider) {}
    UnicodeString ClassName() const override { return L"TacCtrlAdapter"; }

    // Forwards a message to every item with a live wrapper (no items yet).
    void WndProc(TMessage&) {}

    TsSkinProvider* Provider;
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
    TsCommonData* SkinData = nullptr;
    bool Hidden = false;
    bool BeingShown = false;
};

// Title height of the border form's skin; 0 for null.
int SkinTitleHeight(TacBorderForm* borderForm);
// A new 32-bit image of the provider's form; null without a cache bitmap. The caller owns it.
std::unique_ptr<TBitmap> GetFormImage(TsSkinProvider* provider, bool freeCache);
// A new borderless layered window placed exactly over the window wnd; the animations show
// their frames under it and free it. Until form skinning fills it the cover stays empty and
// hidden.
std::unique_ptr<TacGlowForm> MakeCoverForm(HWND wnd, TsSkinProvider* provider, bool fromScreen);
// Rebuilds the form's window region from the skin's border masks.
void UpdateRgn(TsSkinProvider* provider, bool repaint, bool full = true);

// The task-bar animations of the provider's form; false when none was started.
bool StartMinimizing(TsSkinProvider* provider);
bool StartRestoring(TsSkinProvider* provider);
// Answer the task bar's iconic-thumbnail and live-preview requests with an image of the form.
void SetThumbIcon(HWND wnd, TsSkinProvider* provider, int width, int height);
void SetPreviewBmp(HWND wnd, TsSkinProvider* provider);

// The desktop window manager's calls of the same names, through replaceable entries. Until form
// skinning binds them the first answers E_NOTIMPL and the second does nothing.
HRESULT DwmSetWindowAttribute(HWND wnd, DWORD attribute, const void* data, DWORD size);
void DwmInvalidateIconicBitmaps(HWND wnd);
struct TacDwmEntries {
    HRESULT (*SetWindowAttribute)(HWND, DWORD, const void*, DWORD) = nullptr;
    HRESULT (*InvalidateIconicBitmaps)(HWND) = nullptr;
};
// Puts other entries in place (tests record the calls); returns those that were in place.
TacDwmEntries acReplaceDwmEntries(const TacDwmEntries& entries);

// True when desktop composition is on. Asked once (on Windows Vista and later, through the
// desktop window manager bound on first use), then cached.
bool AeroIsEnabled();
// Test seam: a set value answers instead of the system until reset with nullopt.
void SetAeroIsEnabledOverride(std::optional<bool> value);

// True on Windows 10 and later while the Fluent look is on; the look is not built, so false.
inline bool IsFluentOS() { return false; }

// ---------------------------------------------------------------------------------------------
// Least bodies for the pop-up controller, until form skinning gives forms their providers.

// The provider of the form that holds component (walking its owners), or null: no form answers
// for a provider yet.
inline TsSkinProvider* GetSkinProvider(TComponent*) { return nullptr; }
// The system caption height of the provider's form: the small caption of tool windows, else the
// standard one (at the screen's density whatever the second argument asks).
inline int SysCaptHeight(TsSkinProvider* provider, int = 0)
{
    const bool tool = provider && provider->Form &&
                      (provider->Form->BorderStyle() == bsToolWindow || provider->Form->BorderStyle() == bsSizeToolWin);
    return GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
}
// The provider's switches the pop-up controller reads and sets: whether its form may animate
// (FAllowAnimation) and be scaled (AllowScale); and the freeing of its list scroll wrapper
// (ListSW) for a form shown as a pop-up.
inline bool ProviderAllowAnimation(const TsSkinProvider*) { return true; }
inline void SetProviderAllowAnimation(TsSkinProvider*, bool) {}
inline bool ProviderAllowScale(const TsSkinProvider*) { return true; }
inline void FreeProviderListSW(TsSkinProvider*) {}
