// The skin manager: its life, its properties, changing and removing the skin, the broadcasts
// that tell every window, the application font and hot tracking. Look-ups, pixel densities and
// the services of later stages (skin sources, loading, hooks, flipping) live in their own files.
#include "sSkinManager.h"

#include "Dialogs.h"
#include "Forms.h"
#include "StringList.h"
#include "SysUtils.h"
#include "Timers.h"
#include "acAlphaImageList.h"
#include "acAnimation.h"
#include "acDials.h"
#include "acFontStore.h"
#include "acGlow.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sGraphUtilsSystem.h"
#include "sMessages.h"
#include "sSkinManagerStartup.h"
#include "sSkinManagerSysColors.h"
#include "sSkinMenus.h"
#include "sSkinProvider.h"
#include "sStoredSkins.h"
#include "sStyleSimply.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <algorithm>
#include <random>

TsSkinManager* DefaultManager = nullptr;

namespace {

bool InState(const TComponent* c, TComponentStateFlag flag) { return c->ComponentState().Contains(flag); }

bool Designing(const TComponent* c) { return InState(c, csDesigning); }

bool LoadingOrReading(const TComponent* c) { return InState(c, csLoading) || InState(c, csReading); }

// The application or its main form reads right to left.
bool IsRightToLeft()
{
    const TCustomForm* mainForm = Application ? Application->MainForm() : nullptr;
    return (Application && Application->BiDiMode() != bdLeftToRight) ||
           (mainForm && mainForm->BiDiMode() != bdLeftToRight);
}

bool ApplicationTerminating() { return Application && Application->Terminated(); }

// Forms locked for a new skin that RepaintForms did not unlock: a broadcast that raised. They
// get their redrawing back and are redrawn, or every skinned form would stay frozen.
struct TacLockedForms {
    TsSkinManager* Manager = nullptr;
    TacLockedForms() = default;
    TacLockedForms(const TacLockedForms&) = delete;
    TacLockedForms& operator=(const TacLockedForms&) = delete;
    ~TacLockedForms()
    {
        if (!Manager) return;
        try {
            UnLockForms(Manager, false);
            IterateForms(
                Manager,
                [](TsSkinProvider* provider, std::intptr_t) {
                    RedrawWindow(provider->Form->Handle(), nullptr, nullptr,
                                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
                },
                0);
        } catch (...) {
            // The broadcast's own failure is the one the caller hears about.
        }
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// TacSkinConvertor

TacSkinConvertor::~TacSkinConvertor() { Clear(); }

void TacSkinConvertor::Clear()
{
    while (!Files.empty()) Files.pop_back();
    Options.reset();
    PackedData = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Life

TsSkinManager::TsSkinManager(TComponent* owner) : TComponent(owner)
{
    ClearSkinData();
    EmbeddedFonts = std::make_unique<acFontStore::TacEmbeddedFonts>(nullptr);
    FEffects = std::make_unique<TacSkinEffects>(this);
    FFonts = std::make_unique<TacFonts>(this);
    FThirdParty = std::make_unique<TsThirdPartyList>();
    SysFontScale = PPIToIndex(acSystemPPI());
    for (int i = 0; i < acThirdKindCount; ++i) {
        auto list = std::make_unique<TStringList>();
        list->SetCaseSensitive(true);
        ThirdLists.push_back(std::move(list));
    }
    SkinCommonInfo.SysInactiveBorderColor = static_cast<TColor>(GetSysColor(COLOR_INACTIVEBORDER));
    SkinCommonInfo.OptionsDat = std::make_unique<TMemIniFile>(UnicodeString(), nullptr, true);
    FBuiltInSkins = std::make_unique<TsStoredSkins>(this);
    FCommonSections = std::make_unique<TStringList>();
    FCommonSections->SetCaseSensitive(true);
    FMenuSupport = std::make_unique<TacMenuSupport>();
    FOptions = std::make_unique<TacOptions>(this);
    FScrollsOptions = std::make_unique<TacScrollBarsSupport>(this);
    FButtonsSupport = std::make_unique<TacButtonsSupport>(this);
    FLabelsSupport = std::make_unique<TacLabelsSupport>();
    FAnimEffects = std::make_unique<TacAnimEffects>(this);
    SkinListController = std::make_unique<TacSkinListController>(this);
    if (!DefaultManager) BecomeDefault();
    FActive = true;
    FSkinableMenus = std::make_unique<TsSkinableMenus>(this);
    TimerCheckHot = std::make_unique<TTimer>(nullptr);
    TimerCheckHot->SetInterval(100);
    TimerCheckHot->OnTimer = [this](TObject* sender) { OnCheckHot(sender); };
}

TsSkinManager::~TsSkinManager()
{
    TimerCheckHot.reset();
    if (FActive && OnDeactivate) OnDeactivate(this);
    ClearSkinData();
    FExtendedBorders = false;
    if (FActiveGraphControl) FActiveGraphControl->RemoveFreeNotification(this);
    FActiveGraphControl = nullptr;
    FAnimEffects.reset();
    FBuiltInSkins.reset();
    EmbeddedFonts.reset();
    SkinCommonInfo.OptionsDat.reset();
    SkinFile = nullptr;
    FSkinableMenus.reset();
    FEffects.reset();
    FCommonSections.reset();
    FMenuSupport.reset();
    FOptions.reset();
    FScrollsOptions.reset();
    FButtonsSupport.reset();
    FLabelsSupport.reset();
    SkinListController.reset();
    FFonts.reset();
    MasterBitmap.reset();
    ClearSkinArrays();
    // What this manager hooked goes with it, whichever manager is the default by now: no
    // message may reach a freed manager, and the CBT hook and the colour redirection must not
    // outlive the manager they serve.
    SetMainWindowHooked(false);
    if (GlobalHookInstalled) ReleaseCbtHook();
    if (DefaultManager == this) {
        ReleaseSysColorBrushes();
        DefaultManager = nullptr;
    }
    UpdateThirdNames(this);
    ThirdLists.clear();
    for (HBRUSH& brush : Brushes) {
        if (brush) DeleteObject(brush);
        brush = nullptr;
    }
    FThirdParty.reset();
    sc.reset();
}

void TsSkinManager::AfterConstruction()
{
    LoadThirdNames(this, false);
    if (FSkinDirectory.empty()) FSkinDirectory = L"c:\\Skins";
    if (!LoadingOrReading(this) && !Designing(this) && InitDevEx) InitDevEx(FActive && !FSkinName.empty());
    SkinListController->UpdateIfNeeded();
}

void TsSkinManager::Loaded()
{
    TComponent::Loaded();
    if (FSkinDirectory.empty()) FSkinDirectory = L"c:\\Skins";
    if (FMenuSupport->IcoLineSkin.empty()) FMenuSupport->IcoLineSkin = L"ICOLINE";
    LoadThirdNames(this, false);
    if (FActive && !FSkinName.empty()) SendNewSkin(false);
    UpdateCommonDlgs(this);
    if (!LoadingOrReading(this) && InitDevEx) InitDevEx(FActive && !FSkinName.empty());
    if (activatedWhileLoading_) {
        activatedWhileLoading_ = false;
        if (OnActivate && !Designing(this)) OnActivate(this);
    }
    if (!Designing(this) && IsActive()) {
        if (auto* form = dynamic_cast<TCustomForm*>(Owner()); form && form->HandleAllocated())
            AddSupportedForm(form->Handle(), nullptr);
        if (GetIsDefault()) SetMouseLightAsEffects();
    }
    SkinListController->ClearList(true);
    SkinListController->UpdateIfNeeded();
    if (FOptions->ScaleMode() == smVCL) FOptions->SetPixelsPerInch(static_cast<TacPixelsPerInch>(acSystemPPI()));
}

void TsSkinManager::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FActiveGraphControl) FActiveGraphControl = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Properties

void TsSkinManager::SetSkinsFilter(TacSkinsFilter value)
{
    if (value == FSkinsFilter) return;
    FSkinsFilter = value;
    SkinListController->ClearList();
    if (OnSkinListChanged) OnSkinListChanged(this);
}

bool TsSkinManager::ExtendedBorders() const
{
    return FExtendedBorders && acSystemEntries().UpdateLayeredWindow != nullptr;
}

void TsSkinManager::SetExtendedBorders(bool value)
{
    if (value == FExtendedBorders) return;
    FExtendedBorders = value;
    if (!IsActive()) return;
    {
        TacManagerStateScope changing(*this, msSkinChanging);
        for (auto& data : SkinDataArray)
            if (data) data->CheckShadows();
    }
    if (!LoadingOrReading(this) && !Designing(this)) RepaintForms(true);
}

void TsSkinManager::SetIsDefault(bool value)
{
    if (!value && DefaultManager) return;
    BecomeDefault();
    if (value) acCurrentScaleMode = FOptions->ScaleMode();
    if (FActive) SendNewSkin(true);
    else SendRemoveSkin();
}

void TsSkinManager::BecomeDefault()
{
    TsSkinManager* old = DefaultManager;
    DefaultManager = this;
    if (old && old != this) old->SetMainWindowHooked(false);
    if (IsNT && !Designing(this)) SetMainWindowHooked(true);
}

void TsSkinManager::SetSkinnedPopups(bool value)
{
    if (value == FSkinnedPopups) return;
    FSkinnedPopups = value;
    if (value && !Designing(this) && GetIsDefault()) FSkinableMenus->UpdateMenus();
}

int TsSkinManager::GetInteger(int index) const
{
    switch (index) {
    case 0: return FBrightness;
    case 1: return FHueOffset;
    default: return FSaturation;
    }
}

void TsSkinManager::SetInteger(int index, int value)
{
    int& field = index == 0 ? FBrightness : index == 1 ? FHueOffset : FSaturation;
    if (index == 0) value = std::clamp(value, -100, 100);
    if (field == value) return;
    field = value;
    UpdateCurrentSkin();
}

void TsSkinManager::SetCommonSections(const TStrings* value)
{
    FCommonSections->Assign(value);
    for (int i = 0; i < FCommonSections->Count(); ++i) {
        UnicodeString line = FCommonSections->Strings(i);
        if (line.empty() || line[0] == L';') continue;
        line.erase(std::remove(line.begin(), line.end(), L' '), line.end());
        FCommonSections->SetStrings(i, line);
    }
    SetSkinName(FSkinName);
}

void TsSkinManager::SetInternalSkins(const TsStoredSkins* value) { FBuiltInSkins->Assign(value); }

void TsSkinManager::SetSkinDirectory(const UnicodeString& value)
{
    if (SameText(value, FSkinDirectory)) return;
    FSkinDirectory = value;
    SkinCommonInfo.SkinPath = GetFullSkinDirectory();
    SkinListController->ClearList(true, true);
    if (!LoadingOrReading(this)) SkinListController->UpdateIfNeeded();
    if (OnSkinListChanged) OnSkinListChanged(this);
}

TacSkinInfo TsSkinManager::SkinInfo() const
{
    if (!FActive || !IsActive()) return L"N/A";
    return Format(UnicodeString(L"%.2f"), SkinCommonInfo.Version);
}

void TsSkinManager::SetSkinningRules(TacSkinningRules value)
{
    FSkinningRules = value;
    UpdateCommonDlgs(this);
}

// ---------------------------------------------------------------------------------------------
// Activating and changing the skin

void TsSkinManager::SetActive(bool value)
{
    if (value == FActive) return;
    FActive = value;
    if (value) {
        SetSkinName(FSkinName);
    } else if (!FSkinName.empty()) {
        if (GetIsDefault()) acCurrentScaleMode = smVCL;
        if (!InState(this, csLoading)) SendRemoveSkin();
        ClearSkinData();
        UpdateCommonDlgs(this);
        if (OnDeactivate && !Designing(this)) OnDeactivate(this);
    }
    SkinListController->SendSkinChanged();
}

void TsSkinManager::SetSkinName(const UnicodeString& value)
{
    const UnicodeString oldName = FSkinName;
    const bool wasActive = IsActive();
    FSkinName = value;
    if (FActive) {
        const bool oldDataLoaded = CommonDataLoaded;
        // Until the load starts, a refusal or a raising handler leaves the old skin as it was.
        struct Restore {
            TsSkinManager& m;
            const UnicodeString& name;
            bool dataLoaded;
            bool armed = true;
            ~Restore()
            {
                if (!armed) return;
                m.FSkinName = name;
                m.CommonDataLoaded = dataLoaded;
            }
        } restore{*this, oldName, oldDataLoaded};

        CommonDataLoaded = false;
        if (OnBeforeChange) OnBeforeChange(this);
        TacManagerStateScope changing(*this, msSkinChanging);
        if (ExtendedBorders() && !NoAutoUpdate && FAnimEffects->SkinChanging()->Active && FEffects->AllowAnimation())
            CopyExForms(this);
        if (OnSkinChanging) {
            bool allow = true;
            OnSkinChanging(this, FSkinName, allow);
            if (!allow) return;
        }
        restore.armed = false;

        if (FSkinName.size() > 4 && SameText(std::wstring_view(FSkinName).substr(FSkinName.size() - 4), L".asz"))
            FSkinName.resize(FSkinName.size() - 4);
        try {
            ClearSkinData();
            InitCommonData();
            if (IsRightToLeft()) FlipImages(true);
            if (!FActive) SendRemoveSkin();
            else if (!NoAutoUpdate) SendNewSkin(true);
        } catch (...) {
            DropFailedSkin();
            throw;
        }
        if (!wasActive && FActive && !Designing(this)) {
            if (InState(this, csLoading)) activatedWhileLoading_ = true;
            else if (OnActivate) OnActivate(this);
        }
        changing.Release();
        SkinCommonInfo.Active = !SkinDataArray.empty() && SkinDataArray[0] && !SkinDataArray[0]->gd.empty();
        if (!NoAutoUpdate && OnAfterChange) OnAfterChange(this);
    }
    if (!ManagerState.Contains(msSkinChanging) && FSkinName != oldName) SkinListController->SendSkinChanged();
    UpdateCommonDlgs(this);
}

void TsSkinManager::DropFailedSkin()
{
    FActive = false;
    RestrictDrawing = false;
    try {
        ClearSkinData();
        BroadcastCommand(AC_REMOVESKIN, reinterpret_cast<LPARAM>(this));
    } catch (...) {
        // The first failure is the one the caller hears about.
    }
    MasterBitmap.reset();
    ManagerState = TacManagerState();
}

void TsSkinManager::UpdateCurrentSkin()
{
    if (!FActive || LoadingOrReading(this) || ManagerState.Contains(msSkinChanging)) return;
    {
        TacManagerStateScope changing(*this, msSkinChanging);
        try {
            ClearSkinData();
            InitCommonData();
            if (IsRightToLeft()) FlipImages(true);
            if (!ManagerState.Contains(msScaleChanging)) SendNewSkin(true);
        } catch (...) {
            DropFailedSkin();
            throw;
        }
    }
    if (!NoAutoUpdate) {
        if (OnAfterChange) OnAfterChange(this);
        if (!ManagerState.Contains(msScaleChanging)) RepaintForms(true);
    }
}

void TsSkinManager::ClearSkinData()
{
    if (GetIsDefault()) ClearGlows(false, false);
    SkinCommonInfo.Active = false;
    if (FSkinableMenus) FSkinableMenus->ResetCache();
    SkinCommonInfo.Sections.fill(-1);
    ClearSkinArrays();
    CommonDataLoaded = false;
    // The mirrored images went with the data; the next load reads them unmirrored.
    ManagerState.Exclude(msRTLFlipped);
}

void TsSkinManager::ClearSkinArrays() { SkinDataArray.clear(); }

void TsSkinManager::EndUpdate(bool Repaint, bool AllowAnimation)
{
    NoAutoUpdate = false;
    if (!AllowAnimation) {
        TacFlagScope animation(FAnimEffects->SkinChanging()->Active, false);
        UpdateSkin(Repaint);
    } else {
        UpdateSkin(Repaint);
    }
    if (OnAfterChange) OnAfterChange(this);
}

void TsSkinManager::UpdateSkin(bool Repaint)
{
    if (FActive) SendNewSkin(Repaint);
}

// ---------------------------------------------------------------------------------------------
// Broadcasts

void TsSkinManager::BroadcastCommand(WORD command, LPARAM lParam)
{
    TMessage message = MakeMessage(SM_ALPHACMD, MakeAlphaCmd(command), lParam, 0);
    if (Designing(this)) {
        if (auto* form = dynamic_cast<TWinControl*>(Owner())) AlphaBroadCast(form, message);
        SendToHooked(message);
    } else {
        AppBroadCastS(message);
    }
}

void TsSkinManager::SetMouseLightAsEffects()
{
    if (!Designing(this) && GetIsDefault() && FEffects->AllowAnimation())
        SetMouseLight(FAnimEffects->Buttons()->LightingMode() == lmAffectNearest);
}

void TsSkinManager::SendNewSkin(bool Repaint)
{
    if (LoadingOrReading(this)) return;
    {
        TacManagerStateScope broadcasting(*this, msBroadCasting);
        if (GetIsDefault()) ClearGlows(false, false);
        TacLockedForms locked;
        if (!Designing(this) && Repaint) {
            locked.Manager = this;
            LockForms(this);
        }
        FSkinableMenus->ResetCache();
        SkinCommonInfo.Active = false;
        {
            TacFlagScope restrict(RestrictDrawing, true);
            IterateImageLists(&ClearImgListCache, 0);
            BroadcastCommand(AC_SETNEWSKIN, reinterpret_cast<LPARAM>(this));
        }
        SkinCommonInfo.Active = !SkinDataArray.empty() && SkinDataArray[0] && !SkinDataArray[0]->gd.empty();
        // Also when installed: modules loaded since then get their colour calls redirected.
        if (GetIsDefault()) InstallHook();
        if (InitDevEx) InitDevEx(true);
        if (RefreshDevEx) RefreshDevEx();
        if (FFonts->MainMode() == fmFromSkin)
            ChangeAppFont(SkinCommonInfo.MainFont.empty() ? DefStoredFontName : SkinCommonInfo.MainFont, false);
        if (Repaint) RepaintForms(false); // unlocks the forms
        locked.Manager = nullptr;
    }
    SetMouseLightAsEffects();
}

void TsSkinManager::SendRemoveSkin()
{
    if (GetIsDefault()) {
        SetMouseLight(false);
        if (InitDevEx) InitDevEx(false);
    }
    TacManagerStateScope removing(*this, msSkinRemoving);
    if (FFonts->MainMode() == fmFromSkin && !ApplicationTerminating()) ChangeAppFont(DefStoredFontName, false);
    ClearGlows(false, false);
    UnInstallHook();
    ClearSkinData();
    BroadcastCommand(AC_REMOVESKIN, reinterpret_cast<LPARAM>(this));
    MasterBitmap.reset();
    if (GetIsDefault()) DelLightControl();
}

void TsSkinManager::RepaintForms(bool DoLockForms)
{
    if (!Designing(this)) BroadcastCommand(AC_STOPTIMER, 0);
    TMessage message = MakeMessage(SM_ALPHACMD, MakeAlphaCmd(AC_REFRESH, FUpdatedSectionNdx), 0, 0);
    if (Designing(this)) {
        if (auto* form = dynamic_cast<TWinControl*>(Owner())) AlphaBroadCast(form, message);
    } else if (!InState(this, csLoading)) {
        if (DoLockForms) LockForms(this);
        AppBroadCastS(message);
        // Unlocked also when the caller locked them itself (a new skin locks before its broadcast).
        UnLockForms(this, !NoAutoUpdate);
    } else {
        AppBroadCastS(message);
    }
    if (auto* magnifier = dynamic_cast<TWinControl*>(acMagnForm); magnifier && magnifier->HandleAllocated())
        SendMessageW(magnifier->Handle(), message.Msg, message.WParam, message.LParam);
    for (TacProvider* provider : acSupportedList)
        if (provider && provider->CtrlHandle && IsWindowVisible(provider->CtrlHandle))
            RedrawWindow(provider->CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TsSkinManager::UpdateSkinSection(const UnicodeString& SectionName)
{
    const UnicodeString name = UpperCase(SectionName);
    TMessage message = MakeMessage(SM_ALPHACMD, MakeAlphaCmd(AC_UPDATESECTION), reinterpret_cast<LPARAM>(name.c_str()), 0);
    if (Designing(this)) {
        if (auto* form = dynamic_cast<TWinControl*>(Owner())) AlphaBroadCast(form, message);
    } else {
        AppBroadCastS(message);
    }
}

void TsSkinManager::RepaintSection(const UnicodeString& SectionName)
{
    struct Reset {
        WORD& index;
        ~Reset() { index = 0; }
    } reset{FUpdatedSectionNdx};
    FUpdatedSectionNdx = static_cast<WORD>(GetSkinIndex(SectionName));
    RepaintForms(false);
}

// ---------------------------------------------------------------------------------------------
// Application font

void TsSkinManager::ChangeAppFont(const UnicodeString& FontName, bool DoLockForms)
{
    if (Designing(this) || FontName == DefOldFontName) return;
    TacManagerStateScope fontChanging(*this, msFontChanging);
    if (DoLockForms) LockForms(this);
    DefNewFontName = FontName;
    FMenuSupport->SetCustomFont(FMenuSupport->CustomFont);
    StoreDefFont();
    BroadcastCommand(AC_FONTCHANGED, reinterpret_cast<LPARAM>(this));
    if (OnFontChanged) OnFontChanged(this, DefOldFontName, FontName);
    DefOldFontName = FontName;
    if (DoLockForms) UnLockForms(this, !NoAutoUpdate);
}

void TsSkinManager::StoreDefFont()
{
    if (!DefStoredFontName.empty()) return;
    if (Application && Application->MainForm()) {
        DefStoredFontName = Application->MainForm()->Font()->Name();
    } else {
        TFont font;
        DefStoredFontName = font.Name();
    }
    DefOldFontName = DefStoredFontName;
}

bool TsSkinManager::UpdateFontName(TControl* Control)
{
    if (!Control || InState(Control, csLoading) || InState(Control, csDestroying) || Control->ParentFont())
        return false;
    if (auto* windowed = dynamic_cast<TWinControl*>(Control); windowed && !windowed->HandleAllocated()) return false;
    const UnicodeString& current = Control->Font()->Name();
    if (current != DefOldFontName && current != DefStoredFontName) return false;
    Control->Font()->SetName(IsActive() ? DefNewFontName : DefStoredFontName);
    return true;
}

void TsSkinManager::CheckVersion()
{
    const double version = SkinCommonInfo.Version;
    if (version < 10.26) {
        if (Designing(this))
            ShowMessage(L"You are using an old version of the \"" + FSkinName + L"\" skin. " +
                        L"Please, update skins to latest or contact the ZozizOzudidad support for upgrading of "
                        L"existing skin.\r\n\r\nThis notification occurs in design-time only for your information "
                        L"and will not be shown in real-time.");
    } else if (version > 15.99) {
        if (ParamStr(1) == L"/acpreview") return;
        const bool dialogs = FSkinningRules.Contains(srStdDialogs);
        FSkinningRules.Exclude(srStdDialogs);
        struct PutBack {
            TacSkinningRules& rules;
            bool on;
            ~PutBack()
            {
                if (on) rules.Include(srStdDialogs);
            }
        } putBack{FSkinningRules, dialogs};
        MessageDlg(L"This version of the skin has not complete support by used ZozizOzudidad package "
                   L"release.\r\nComponents must be updated to latest version for using this skin.",
                   mtWarning, TMsgDlgButtons{mbOK}, 0);
    }
}

UnicodeString TsSkinManager::GetRandomSkin()
{
    TStringList names;
    GetSkinNames(&names, false, stAllSkins);
    if (names.Count() == 0) return UnicodeString();
    std::mt19937 generator(std::random_device{}());
    std::uniform_int_distribution<int> pick(0, names.Count() - 1);
    return names.Strings(pick(generator));
}

// ---------------------------------------------------------------------------------------------
// Hot tracking

namespace {

bool MouseInWindow(HWND wnd)
{
    POINT p{};
    RECT r{};
    return GetCursorPos(&p) && GetWindowRect(wnd, &r) && PtInRect(&r, p);
}

bool MouseOverControl(TControl* control)
{
    POINT p{};
    if (!GetCursorPos(&p) || !control->Parent() || !control->Parent()->HandleAllocated()) return false;
    ScreenToClient(control->Parent()->Handle(), &p);
    const TRect r = control->BoundsRect();
    return p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom;
}

} // namespace

void TsSkinManager::OnCheckHot(TObject*)
{
    if (FActiveControl && !ManagerState.Contains(msAnimScaling) && !MouseInWindow(FActiveControl))
        SetActiveControl(nullptr);
    if (FActiveGraphControl && !InState(FActiveGraphControl, csDestroying) && !MouseOverControl(FActiveGraphControl))
        FActiveGraphControl->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_MOUSELEAVE),
                                     reinterpret_cast<LPARAM>(FActiveGraphControl));
}

void TsSkinManager::SetActiveControl(HWND Wnd)
{
    if (Wnd == FActiveControl) return;
    if (FActiveControl && Wnd && IsChild(FActiveControl, Wnd) && MouseInWindow(FActiveControl)) return;
    if (FActiveGraphControl) {
        SetActiveGraphControl(nullptr);
        if (FActiveGraphControl) {
            if (FActiveControl) SendAMessage(FActiveControl, AC_MOUSELEAVE, reinterpret_cast<LPARAM>(this));
            return;
        }
    }
    const HWND old = FActiveControl;
    FActiveControl = Wnd;
    if (old) SendAMessage(old, AC_MOUSELEAVE, reinterpret_cast<LPARAM>(this));
    if (Wnd) SendAMessage(Wnd, AC_MOUSEENTER, reinterpret_cast<LPARAM>(this));
}

void TsSkinManager::SetActiveGraphControl(TGraphicControl* Control)
{
    if ((Owner() && InState(Owner(), csDestroying)) || Control == FActiveGraphControl) return;
    if (!Control && FActiveGraphControl) {
        const LRESULT answer = FActiveGraphControl->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_GETCOMMONDATA), 0);
        const auto* data = reinterpret_cast<const TsCommonData*>(answer);
        if (data && CommonDataIsLive(data) && data->KeepActive) return;
    }
    if (FActiveGraphControl) {
        if (!InState(FActiveGraphControl, csDestroying))
            FActiveGraphControl->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_MOUSELEAVE),
                                         reinterpret_cast<LPARAM>(FActiveGraphControl));
        FActiveGraphControl->RemoveFreeNotification(this);
    }
    FActiveGraphControl = Control;
    if (Control) Control->FreeNotification(this);
}
