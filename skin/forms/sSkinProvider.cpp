// The skin provider's life: creation on a form, loading, notification, preparation of the form
// for a skin, the MDI menu hook, the control adapter, destruction; and the unit routines.
#include "sSkinProvider.h"

#include "Files.h"
#include "StringList.h"
#include "acScrollBar.h"
#include "acSBUtils.h"
#include "acThdTimer.h"
#include "acntTypes.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sSkinManager.h"
#include "sSkinManagerThird.h"
#include "sSkinMenus.h"
#include "sSkinProviderInternal.h"
#include "sStyleSimply.h"
#include "sVclUtils.h"

#include <windows.h>

#include <algorithm>
#include <utility>

using namespace provider_detail;

bool ItemsRemoving = false;

namespace {

int aeroState = -1; // -1 not asked yet, else 0 or 1
std::optional<bool> aeroOverride;
std::optional<bool> fluentOverride;
FARPROC setWindowCompositionAttribute = nullptr;

using TDwmIsCompositionEnabled = HRESULT(WINAPI*)(BOOL*);


// The menu-filter hook of MDI main forms: one per process.
HHOOK mdiMenuHook = nullptr;

LRESULT CALLBACK MDIMenuFilter(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == MSGF_MENU && MDISkinProvider && MDISkinProvider->Form && MDISkinProvider->Form->HandleAllocated() &&
        !MDISkinProvider->LastMenuItemRect.IsEmpty()) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        HWND form = MDISkinProvider->Form->Handle();
        HWND client = FindWindowExW(form, nullptr, L"MDICLIENT", nullptr);
        const bool activeChild = client && SendMessageW(client, WM_MDIGETACTIVE, 0, 0) != 0;
        if (activeChild && msg && (msg->message == WM_MOUSEMOVE || msg->message == WM_LBUTTONDOWN)) {
            // The band right of the last menu item holds the MDI child's buttons.
            RECT wr{};
            GetWindowRect(form, &wr);
            const TRect& last = MDISkinProvider->LastMenuItemRect;
            const RECT band{wr.left + last.Right, wr.top + last.Top, wr.right, wr.top + last.Bottom};
            POINT p{};
            GetCursorPos(&p);
            if (PtInRect(&band, p)) return 1;
        }
    }
    return CallNextHookEx(mdiMenuHook, code, wParam, lParam);
}

bool IsRTLForm(const TForm* form) { return form && form->BiDiMode() == bdRightToLeft; }

} // namespace

namespace provider_detail {

TsSkinManager* ManagerOf(const TsSkinProvider& provider)
{
    return provider.FCommonData ? provider.FCommonData->GetSkinManager() : DefaultManager;
}

} // namespace provider_detail

// ---------------------------------------------------------------------------------------------
// Creation

TsSkinProvider::TsSkinProvider(TComponent* AOwner) : TComponent(AOwner)
{
    Construct(AOwner);
    AfterConstruction();
}

TsSkinProvider::TsSkinProvider(TCustomForm* AForm, bool) : TComponent(AForm)
{
    Construct(AForm);
    RTInit = true;
    if (AForm)
        for (int i = AForm->ComponentCount() - 1; i >= 0; --i)
            if (auto* bar = dynamic_cast<TsTitleBar*>(AForm->Components(i))) {
                FTitleBar = bar;
                break;
            }
    AfterConstruction();
}

void TsSkinProvider::Construct(TComponent* AOwner)
{
    FThirdParty = std::make_unique<TsThirdPartyList>();
    ThirdLists.reserve(acThirdKindCount);
    for (int i = 0; i < acThirdKindCount; ++i) {
        ThirdLists.push_back(std::make_unique<TStringList>());
        ThirdLists.back()->SetCaseSensitive(true);
    }
    auto* form = dynamic_cast<TForm*>(AOwner);
    if (!form) {
        // A provider on anything but a form skins nothing, but every property stays settable.
        Alert(L"TsSkinProvider component may be used with forms only!");
    } else {
        if (!IsDesigning(this) && SameText(ParamStr(1), L"/acpreview")) acPreviewNeeded = true;
        Form = form;
        if (DefaultManager && DefaultManager->Options()->ScaleMode() != smVCL) Form->SetScaled(false);
        // A provider the library made for this form gives way to this one; a second dropped one
        // stays inactive.
        auto* other = reinterpret_cast<TsSkinProvider*>(Form->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_GETPROVIDER), 0));
        if (other && other != this) {
            if (other->RTInit) {
                FluentBorderStyle = other->FluentBorderStyle;
                delete other;
            } else {
                RTEmpty = true;
            }
        }
    }

    FCommonData = std::make_unique<TsScrollWndData>(this, true);
    FCommonData->FSkinSection = L"FORM";
    FCommonData->COC = COC_TsSkinProvider;
    if (Form && !Form->ControlState().Empty() && Form->BorderStyle() != bsNone) FCommonData->FUpdating = true;

    FAddedTitle = std::make_unique<TacAddedTitle>(this);
    FFormHeader = std::make_unique<TacFormHeader>(this);
    InAero = AeroIsEnabled();
    FTitleIcon = std::make_unique<TsTitleIcon>(this);
    FSystemBlur = std::make_unique<TacSystemBlur>(this);
    FTitleButtons = std::make_unique<TsTitleButtons>(this);
    FSysSubMenu = std::make_unique<TacSysSubMenu>();
    FGluedForms = std::make_unique<TStringList>();
    subObjectsMade_ = true;

    if (!Form || RTEmpty || IsDesigning(this)) return;
    Form->SetDoubleBuffered(false);
    TempBmp = CreateBmp32(0, 0);
    TempBmp->Canvas()->Lock();
    MenuLineBmp = CreateBmp32(0, 0);
    ClearButtons = true;
    Rects.clear();
    FLinesCount = -1;
    OldWndProc = Form->WindowProc;
    Form->WindowProc = TWndMethod(this, &TsSkinProvider::NewWndProc);
    FCommonData->WndProc = Form->WindowProc;
    IntSkinForm(Form);
    FormActive = true;
}

void TsSkinProvider::AfterConstruction()
{
    if (!Form) return;
    Load3rdNames(*FThirdParty, ThirdLists, OwnThirdLists);
    if (RTEmpty || RTInit) return;
    TsSkinManager* manager = ManagerOf(*this);
    if (manager && manager->IsActive() && !IsDesigning(manager)) PrepareForm();
}

void TsSkinProvider::Loaded()
{
    TComponent::Loaded();
    if (!Form) return;
    Load3rdNames(*FThirdParty, ThirdLists, OwnThirdLists);
    TsSkinManager* manager = ManagerOf(*this);
    if (!RTEmpty && !RTInit && manager && !IsDesigning(manager) && FCommonData->Skinned()) LoadInit();
    if (IsRTLForm(Form) && manager && manager->IsActive()) manager->FlipImages(true);
    if (FSystemBlur->Active()) FFormState |= FS_BLURACTIVE;
}

void TsSkinProvider::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (!FCommonData || !AComponent) return;
    if (auto* manager = dynamic_cast<TsSkinManager*>(AComponent)) {
        if (Operation == opInsert && !FCommonData->FSkinManager) FCommonData->SetSkinManager(manager);
        if (Operation == opRemove && FCommonData->FSkinManager == manager) FCommonData->FSkinManager = nullptr;
    } else if (auto* bar = dynamic_cast<TsTitleBar*>(AComponent)) {
        if (Operation == opInsert && !FTitleBar) SetTitleBar(bar);
        if (Operation == opRemove && FTitleBar == bar) FTitleBar = nullptr;
    } else if (Operation == opInsert && Adapter && AllowSkin3rdParty) {
        if (auto* control = dynamic_cast<TWinControl*>(AComponent)) Adapter->AddNewItem(control);
    }
}

// ---------------------------------------------------------------------------------------------
// Preparing the form

void TsSkinProvider::PrepareForm()
{
    TsSkinManager* manager = ManagerOf(*this);
    if (RTInit || RTEmpty || !Form || !manager || !Form->HandleAllocated() || !manager->IsActive()) return;
    FMenuOwnerDraw = false; // no main menu can be owner-drawn yet
    if (FMenuOwnerDraw) MenusInitialized = true;
    FCommonData->Loaded(true);
    InitIndexes();
    if (!SystemMenu) {
        SystemMenu = std::make_unique<TsSystemMenu>(this);
        SystemMenu->UpdateItems();
    }
    CheckSysMenu(true);
    if (ClearButtons && manager->IsActive()) {
        ClearButtons = false;
        if (Form->FormStyle() == fsMDIForm && !IsDesigning(this)) HookMDI(true);
    }
    FCommonData->UpdateIndexes();
    UpdateTitleBar();
    UpdateIconsIndexes();
    if (Form->FormStyle() == fsMDIChild && MDISkinProvider && MDISkinProvider != this &&
        !IsDestroying(MDISkinProvider) && !IsDestroying(MDISkinProvider->Form) && FCommonData->Skinned()) {
        MDISkinProvider->FCommonData->BGChanged = true;
        MDISkinProvider->FLinesCount = -1;
    }
    const TControlState state = Form->ControlState();
    if (!state.Contains(csReadingState) && !state.Contains(csCreating) && !IsLoading(Form) && FUseGlobalColor &&
        !FCommonData->FCustomColor)
        Form->SetColor(manager->GetGlobalColor());
    if (SystemMenu) SystemMenu->UpdateGlyphs();
    // "Showing": the window exists, is visible and the form shows.
    if (!IsLoading(Form) && IsWindowVisible(Form->Handle()) && Form->Showing()) InitExBorders(manager->ExtendedBorders());
    InitIndexes();
}

void TsSkinProvider::LoadInit()
{
    if (!Form) return;
    if (Form->HandleAllocated()) InitDwm(Form->Handle(), CanDrawNCArea(), false);
    PrepareForm();
    if (!Adapter) AdapterCreate();
    if (SystemMenu) SystemMenu->UpdateItems();
    for (int i = 0; i < FTitleButtons->Count(); ++i) {
        TsTitleButton* button = FTitleButtons->Items(i);
        button->Data.cpGlyphType = button->UseSkinData() ? tgUser : tgNone;
    }
    if (MDIForm) MDIForm->ConnectToClient();
    if (Form->BorderStyle() == bsSizeToolWin) {
        AllowBlendOnMoving = false;
        SetBoolean(3, true);
    }
    TsSkinManager* manager = ManagerOf(*this);
    if (manager && manager->IsActive() && Form->HandleAllocated())
        SetClassLongPtrW(Form->Handle(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(manager->Brushes[0]));
}

void TsSkinProvider::InitIndexes()
{
    TsSkinManager* manager = ManagerOf(*this);
    if (!manager) {
        FCaptionSkinIndex = FHeaderIndex = FTitleSkinIndex = -1;
        return;
    }
    FCaptionSkinIndex = manager->SkinCommonInfo.Sections[ssCaption];
    FHeaderIndex = manager->SkinCommonInfo.Sections[ssFormHeader];
    FTitleSkinIndex = FTitleSkin.empty() ? manager->SkinCommonInfo.Sections[ssFormTitle] : manager->GetSkinIndex(FTitleSkin);
}

void TsSkinProvider::HookMDI(bool Active)
{
    if (!Active) {
        if (mdiMenuHook) UnhookWindowsHookEx(std::exchange(mdiMenuHook, nullptr));
        MDIForm.reset();
        return;
    }
    if (!Form || Form->FormStyle() != fsMDIForm) return;
    HWND client = Form->HandleAllocated() ? FindWindowExW(Form->Handle(), nullptr, L"MDICLIENT", nullptr) : nullptr;
    if (client && !WndIsSkinned(client)) MDIForm.reset();
    if (!MDIForm) {
        MDISkinProvider = this;
        MDIForm = std::make_unique<TsMDIForm>(this);
        MDIForm->ConnectToClient();
    }
    if (!mdiMenuHook) mdiMenuHook = SetWindowsHookExW(WH_MSGFILTER, &MDIMenuFilter, nullptr, GetCurrentThreadId());
}

void TsSkinProvider::AdapterCreate()
{
    if (IsDesigning(this) || !FCommonData->Skinned()) return;
    delete Adapter;
    Adapter = new TacCtrlAdapter(this);
    if (Form) Adapter->AddAllItems();
}

void TsSkinProvider::AdapterRemove()
{
    if (IsDesigning(this) || !Adapter) return;
    SendToAdapter(TMessage{SM_ALPHACMD, MakeAlphaCmd(AC_REMOVESKIN),
                           reinterpret_cast<LPARAM>(ManagerOf(*this)), 0});
    delete std::exchange(Adapter, nullptr);
}

void TsSkinProvider::SendToAdapter(const TMessage& Message)
{
    if (!Adapter || IsDesigning(this)) return;
    TMessage copy = Message;
    Adapter->WndProc(copy);
}

bool TsSkinProvider::CanDrawNCArea() const
{
    TsSkinManager* manager = ManagerOf(*this);
    return FDrawNonClientArea && manager && manager->Options()->DrawNonClientArea();
}

bool TsSkinProvider::HeaderUsed() const
{
    if (FFormHeader->AdditionalHeight() <= 0 || FHeaderIndex < 0) return false;
    TacSkinData* data = FCommonData->GetCommonSkinData();
    return data && FHeaderIndex < static_cast<int>(data->gd.size()) && data->gd[static_cast<size_t>(FHeaderIndex)].States > 1;
}

void TsSkinProvider::SetFormState(std::uint32_t Value)
{
    for (std::uint32_t bit : {FS_HIDDEN, FS_RESTORING}) {
        const bool was = (FFormState & bit) != 0, now = (Value & bit) != 0;
        if (!Form || was == now) continue;
        if (now)
            Form->DisableAlign();
        else
            Form->EnableAlign();
    }
    FFormState = Value;
}

// ---------------------------------------------------------------------------------------------
// Destruction

TsSkinProvider::~TsSkinProvider()
{
    if (subObjectsMade_) {
        FHintTimer.reset();
        for (auto& bmp : UWPTemplates) bmp.reset();
        InitExBorders(false);
        FAddedTitle.reset();
        if (!IsDesigning(this)) {
            KillAnimations();
            // An inert duplicate never registered the form: the active provider keeps it.
            if (Form && !RTEmpty) {
                IntUnSkinForm(Form);
                // Only while ours is first: a procedure put in after us keeps its chain.
                if (Form->WindowProc == TWndMethod(this, &TsSkinProvider::NewWndProc)) Form->WindowProc = OldWndProc;
                if (Form->FormStyle() == fsMDIChild && MDISkinProvider && MDISkinProvider != this &&
                    !IsDestroying(MDISkinProvider) && !IsDestroying(MDISkinProvider->Form)) {
                    MDISkinProvider->FCommonData->BGChanged = true;
                    MDISkinProvider->FLinesCount = -1;
                    MDISkinProvider->ProcessMessage(WM_NCPAINT);
                }
            }
            if (MDISkinProvider == this) {
                if (MDIForm) HookMDI(false);
                MDISkinProvider = nullptr;
            }
            SystemMenu.reset();
            TempBmp.reset();
            MenuLineBmp.reset();
        }
    }
    FrameAdapters.clear();
    FluentHandles.reset();
    FGlow1.reset();
    FGlow2.reset();
    FTitleIcon.reset();
    FSystemBlur.reset();
    FTitleButtons.reset();
    FSysSubMenu.reset();
    delete std::exchange(Adapter, nullptr);
    delete std::exchange(ListSW, nullptr);
    FCommonData.reset();
    if (ThreadedTimerIsLive(FormTimer) && !FormTimer->Destroyed) delete FormTimer;
    FormTimer = nullptr;
    if (Form) UpdateProviderThirdNames(this);
    ThirdLists.clear();
    FThirdParty.reset();
    FFormHeader.reset();
    FGluedForms.reset();
}

// ---------------------------------------------------------------------------------------------
// Unit routines

TsSkinProvider* GetSkinProvider(TComponent* Component)
{
    TComponent* c = Component;
    while (c && !dynamic_cast<TCustomForm*>(c)) c = c->Owner();
    auto* form = dynamic_cast<TCustomForm*>(c);
    if (!form) return nullptr;
    return reinterpret_cast<TsSkinProvider*>(
        TrySendMessage(form, SM_ALPHACMD, MakeAlphaCmd(AC_GETPROVIDER), 0));
}

void UpdateProviderThirdNames(TsSkinProvider* Provider)
{
    if (!Provider || !Provider->FThirdParty) return;
    const int n = std::min<int>(acThirdKindCount, static_cast<int>(Provider->ThirdLists.size()));
    for (int i = 0; i < n; ++i)
        if (Provider->ThirdLists[static_cast<size_t>(i)])
            Provider->FThirdParty->SetString(i, Provider->ThirdLists[static_cast<size_t>(i)]->Text());
}

bool IsFluentOS()
{
    if (fluentOverride) return *fluentOverride;
    return IsWin10Up() && setWindowCompositionAttribute != nullptr;
}

void SetIsFluentOSOverride(std::optional<bool> value) { fluentOverride = value; }

FARPROC acSetWindowCompositionAttribute() { return setWindowCompositionAttribute; }

namespace {
TacFormDelay formDelay = nullptr;
}

void AnnounceToSkinEditor(HWND Handle)
{
    if (!acPreviewNeeded || acPreviewHandle) return;
    TCustomForm* mainForm = Application ? Application->MainForm() : nullptr;
    if (mainForm && mainForm->HandleAllocated() && mainForm->Handle() != Handle) return;
    acPreviewHandle = Handle;
    acPreviewNeeded = false;
    for (int i = 0; i <= 100; ++i) {
        HWND editor = FindWindowW(nullptr, L"ZedorAzare Editor");
        if (!editor) return;
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(editor, SM_SKINEDITOR, 2, reinterpret_cast<LPARAM>(Handle),
                                 SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &answer))
            return; // hung or gone: no further tries
        if (answer == 1) return;
    }
}

void acFormDelay(DWORD Ms)
{
    if (formDelay)
        formDelay(Ms);
    else
        Delay(Ms);
}

TacFormDelay acReplaceFormDelay(TacFormDelay Delay) { return std::exchange(formDelay, Delay); }

int GetWindowWidth(HWND Handle)
{
    RECT r{};
    return GetWindowRect(Handle, &r) ? r.right - r.left : 0;
}

int GetWindowHeight(HWND Handle)
{
    RECT r{};
    return GetWindowRect(Handle, &r) ? r.bottom - r.top : 0;
}

int GetClientWidth(HWND Handle)
{
    RECT r{};
    return GetClientRect(Handle, &r) ? r.right - r.left : 0;
}

int GetClientHeight(HWND Handle)
{
    RECT r{};
    return GetClientRect(Handle, &r) ? r.bottom - r.top : 0;
}

void sSkinProviderInitialization()
{
    if (HMODULE user32 = LoadLibraryW(L"user32.dll")) {
        setWindowCompositionAttribute = GetProcAddress(user32, "SetWindowCompositionAttribute");
        // user32 stays mapped for the life of the process: the address stays valid.
        FreeLibrary(user32);
    }
}

void sSkinProviderFinalization()
{
    if (mdiMenuHook) UnhookWindowsHookEx(std::exchange(mdiMenuHook, nullptr));
    setWindowCompositionAttribute = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Composition

bool AeroIsEnabled()
{
    if (aeroOverride) return *aeroOverride;
    if (aeroState < 0) {
        aeroState = 0;
        if (IsWinVistaUp()) {
            // Bound on first use; the library stays loaded for the life of the process.
            static HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
            auto isEnabled = dwm ? reinterpret_cast<TDwmIsCompositionEnabled>(
                                       reinterpret_cast<void*>(GetProcAddress(dwm, "DwmIsCompositionEnabled")))
                                 : nullptr;
            BOOL enabled = FALSE;
            if (isEnabled && isEnabled(&enabled) == S_OK && enabled) aeroState = 1;
        }
    }
    return aeroState == 1;
}

void SetAeroIsEnabledOverride(std::optional<bool> value) { aeroOverride = value; }

