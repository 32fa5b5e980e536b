#include "sCommonData.h"

#include "ComCtrls.h"
#include "Components.h"
#include "Controls.h"
#include "Forms.h"
#include "SysUtils.h"
#include "acAnimation.h"
#include "acGlow.h"
#include "acSBUtils.h"
#include "acThdTimer.h"
#include "acUnitCounter.h"
#include "acntUtils.h"
#include "sCtrlStates.h"
#include "sGraphUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerStartup.h"
#include "acScrollBar.h"
#include "sSkinProvider.h"
#include "sStyleSimply.h"
#include "sVclUtils.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr const wchar_t* CommonDataProp = L"ACSDATA";

// Skin data objects live on the main thread only; a short list is enough.
std::vector<const TsCommonData*>& LiveCommonData()
{
    static std::vector<const TsCommonData*> list;
    return list;
}

bool InState(const TComponent* component, TComponentStateFlag flag)
{
    return component && component->ComponentState().Contains(flag);
}
bool Destroying(const TComponent* component) { return InState(component, csDestroying); }
bool Designing(const TComponent* component) { return InState(component, csDesigning); }
bool LoadingOrReading(const TComponent* component)
{
    return InState(component, csLoading) || InState(component, csReading);
}

TsSkinProvider* ProviderOf(const TsCommonData& data) { return dynamic_cast<TsSkinProvider*>(data.FOwnerObject); }

// Skin data of the manager for PPI (the manager makes it on demand).
TacSkinData* ManagerData(TsSkinManager* manager, int PPI) { return manager->CommonSkinData(PPI); }

TacSkinData* StdData(int level)
{
    const auto& data = StdScaleArray[static_cast<size_t>(std::clamp(level, 0, 3))];
    return data.get();
}

LRESULT PerformCommand(TControl* control, WORD cmd, WORD low, LPARAM lParam)
{
    return control->Perform(SM_ALPHACMD, MakeAlphaCmd(cmd, low), lParam);
}

} // namespace

// Hears of the destruction of the manager and of a component owner, so the skin data never
// keeps a pointer to either after they are gone.
class TacCommonDataLink : public TComponent {
public:
    explicit TacCommonDataLink(TsCommonData& data) : TComponent(nullptr), data_(data) {}
    UnicodeString ClassName() const override { return L"TacCommonDataLink"; }

    void Follow(TComponent* component)
    {
        if (component) FreeNotification(component);
    }
    // The manager whose skin data is cached.
    void CachedFrom(TsSkinManager* manager)
    {
        cachedFrom_ = manager;
        Follow(manager);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation != opRemove || !component) return;
        if (component == data_.FSkinManager) {
            data_.FSkinManager = nullptr;
            data_.SkinIndex = -1;
        }
        if (component == cachedFrom_) {
            cachedFrom_ = nullptr;
            data_.SetCommonSkinData(nullptr);
        }
        if (component == data_.FOwnerObject) data_.ClearLinks();
    }

private:
    TsCommonData& data_;
    TsSkinManager* cachedFrom_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Construction and life

TsCommonData::TsCommonData(TObject* owner, bool createCacheBmp)
    : FOwnerObject(owner), link_(std::make_unique<TacCommonDataLink>(*this))
{
    FOwnerControl = dynamic_cast<TControl*>(owner);
    if (auto* windowed = dynamic_cast<TWinControl*>(owner)) WndProc = windowed->WindowProc;
    link_->Follow(dynamic_cast<TComponent*>(owner));
    FOuterEffects = std::make_unique<TacOuterEffects>(this);
    if (createCacheBmp) FCacheBmp = CreateBmp32(0, 0);
    LiveCommonData().push_back(this);
    InitCommonProp();
}

TsCommonData::~TsCommonData()
{
    auto& live = LiveCommonData();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    RemoveCommonProp();
    SkinIndex = -1;
    FSkinManager = nullptr;
    ClearLinks();
    FreeTimer(PulsTimer);
    FreeTimer(AnimTimer);
    FreeTimer(ClickTimer);
    HideGlow(GlowID, false);
}

void TsCommonData::FreeTimer(TacThreadedTimer*& timer)
{
    TacThreadedTimer* t = timer;
    timer = nullptr;
    // A timer freed by its owner component already is not freed again.
    if (!ThreadedTimerIsLive(t)) return;
    if (t->AnimData == this) t->AnimData = nullptr;
    if (!t->Destroyed) delete t;
}

void TsCommonData::Loaded(bool ResetColors)
{
    Loading = false;
    SetCommonSkinData(nullptr);
    UpdateData(this);
    if (Skinned(false) && FOwnerControl && FOwnerControl->Parent() && !InState(FOwnerControl, csLoading)) {
        if (auto* windowed = dynamic_cast<TWinControl*>(FOwnerControl)) AddToAdapter(windowed);
        if (!GlassModeInit) UpdateGlassMode(FOwnerControl, true);
        if (ResetColors) ApplySkinColors(this, false);
    }
    InitCommonProp();
    if (TsSkinManager* manager = GetSkinManager(); manager && FOwnerControl && !InState(FOwnerControl, csLoading))
        manager->UpdateFontName(FOwnerControl);
}

void TsCommonData::ClearLinks()
{
    DropProp();
    // A method of the owner would outlive it here.
    WndProc = TWndMethod();
    FOwnerControl = nullptr;
    FOwnerObject = nullptr;
    FSWHandle = nullptr;
}

// ---------------------------------------------------------------------------------------------
// The window link

HWND TsCommonData::OwnerHandle() const
{
    if (auto* provider = ProviderOf(*this)) {
        if (Destroying(provider) || !provider->Form || Destroying(provider->Form)) return FSWHandle;
        return provider->Form->HandleAllocated() ? provider->Form->Handle() : nullptr;
    }
    if (!FOwnerControl || Destroying(FOwnerControl)) return FSWHandle;
    auto* windowed = dynamic_cast<TWinControl*>(FOwnerControl);
    return windowed && windowed->HandleAllocated() ? windowed->Handle() : nullptr;
}

void TsCommonData::InitCommonProp()
{
    HWND handle = OwnerHandle();
    if (!handle) return;
    // A form whose scroll wrapper exists hears the library through that wrapper.
    if (auto* provider = ProviderOf(*this); provider && provider->ListSW)
        WndProc = TWndMethod(static_cast<TacMainWnd*>(provider->ListSW), &TacMainWnd::acWndProc);
    else if (!WndProc) {
        if (auto* windowed = dynamic_cast<TWinControl*>(FOwnerControl)) WndProc = windowed->WindowProc;
    }
    if (propHandle_ != handle) DropProp();
    SetPropW(handle, CommonDataProp, const_cast<TsCommonData*>(this));
    propHandle_ = handle;
}

void TsCommonData::DropProp()
{
    // The window it was published on, even when the owner no longer names it (the owner is
    // being destroyed): a property left there would lead a later object at the same address
    // to messages of this window. Only our own value goes.
    if (HWND handle = std::exchange(propHandle_, nullptr);
        handle && IsWindow(handle) && GetPropW(handle, CommonDataProp) == this)
        RemovePropW(handle, CommonDataProp);
}

void TsCommonData::RemoveCommonProp()
{
    DropProp();
    if (Application && Application->Terminated()) return;
    if (HWND handle = OwnerHandle()) RemovePropW(handle, CommonDataProp);
}

bool CommonDataIsLive(const void* p)
{
    if (!p) return false;
    const auto& live = LiveCommonData();
    return std::find(live.begin(), live.end(), p) != live.end();
}

TsCommonData* GetCommonData(HWND handle)
{
    if (!handle) return nullptr;
    void* value = GetPropW(handle, CommonDataProp);
    if (!value) return nullptr;
    // Another process may use the same property name, and a value can outlive its object.
    DWORD process = 0;
    GetWindowThreadProcessId(handle, &process);
    if (process != GetCurrentProcessId() || !CommonDataIsLive(value)) return nullptr;
    return static_cast<TsCommonData*>(value);
}

bool RestrictDrawing = false;

bool WndIsSkinned(HWND handle)
{
    return GetCommonData(handle) || Ac_GetScrollWndFromHwnd(handle) || GetBoolMsg(handle, AC_CTRLHANDLED);
}

bool CtrlIsSkinned(TControl* control, bool checkSkinned)
{
    if (!control) return false;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (!windowed || !windowed->HandleAllocated())
        return PerformCommand(control, AC_CTRLHANDLED, 0, 0) == 1;
    const HWND handle = windowed->Handle();
    TsCommonData* data = GetCommonData(handle);
    if (!data) {
        if (TacMainWnd* wrapper = Ac_GetScrollWndFromHwnd(handle); wrapper && CommonDataIsLive(wrapper->SkinData))
            data = wrapper->SkinData;
    }
    if (data) return checkSkinned ? data->Skinned(false) : true;
    return SendAMessage(handle, AC_CTRLHANDLED) == 1;
}

// ---------------------------------------------------------------------------------------------
// Manager and skin data

TsSkinManager* TsCommonData::GetSkinManager() const { return FSkinManager ? FSkinManager : DefaultManager; }

void TsCommonData::SetSkinManager(TsSkinManager* value)
{
    if (value == FSkinManager) return;
    SetCommonSkinData(nullptr);
    FSkinManager = value == DefaultManager ? nullptr : value;
    link_->Follow(FSkinManager);
    if (InState(FOwnerControl, csLoading)) return;
    const bool wasSkinned = SkinIndex >= 0;
    const bool hasSections = value && value->LengthOfGD() > 0;
    if (hasSections)
        UpdateIndexes(true);
    else
        SkinIndex = -1;
    if (ProviderOf(*this) || !FOwnerControl || Destroying(FOwnerControl)) return;
    // The removal command below finds the control unskinned already and leaves its colours:
    // a control that loses its skin here gets its standard look back now.
    if (wasSkinned && SkinIndex < 0) {
        StopTimer(this);
        if (FCacheBmp) FCacheBmp->SetSize(0, 0);
        RestoreStandardLook(this);
    }
    if (!FOwnerControl->Parent()) return;
    const LPARAM manager = reinterpret_cast<LPARAM>(value);
    if (hasSections && value->IsValidSkinIndex(SkinIndex))
        PerformCommand(FOwnerControl, AC_REFRESH, 0, manager);
    else
        PerformCommand(FOwnerControl, AC_REMOVESKIN, 0, manager);
}

void TsCommonData::SetCommonSkinData(TacSkinData* value)
{
    FCommonSkinData = value;
    PPIIndex = value ? value->ScaleValue : -1;
}

TacSkinData* TsCommonData::GetCommonSkinData()
{
    TsSkinManager* manager = GetSkinManager();
    if (manager && SkinIndex >= 0 && manager->SkinCommonInfo.Active && !manager->SkinDataArray.empty()) {
        if (FCommonSkinData) return FCommonSkinData;
        const auto cache = [&](TacSkinData* data) {
            SetCommonSkinData(data);
            link_->CachedFrom(manager);
            return data;
        };
        if (auto* provider = ProviderOf(*this); provider && provider->Form && provider->Form->HandleAllocated()) {
            TForm* form = provider->Form;
            TacSkinData* data = cache(ManagerData(manager, LoadingOrReading(form) ? DefaultPPI() : GetControlPPI(form)));
            if (data && manager->Options()->ScaleMode() == smVCL) CurrentPPI = data->PPI;
            return data;
        }
        if (!FOwnerControl) return cache(ManagerData(manager, DefaultPPI()));
        TWinControl* parent = FOwnerControl->Parent();
        if (ControlIsReady(FOwnerControl) && parent && parent->HandleAllocated() && parent->Showing()) {
            int PPI = 96;
            if (manager->ManagerState.Contains(msFormScaling)) {
                PPI = CurrentPPI;
            } else {
                switch (manager->Options()->ScaleMode()) {
                case smAuto:
                case smVCL: PPI = GetControlPPI(FOwnerControl); break;
                case smOldMode: PPI = 96; break;
                case smCustomPPI: PPI = manager->Options()->PixelsPerInch(); break;
                case sm100:
                case sm125:
                case sm150:
                case sm200: PPI = aPPIArray[static_cast<size_t>(manager->Options()->ScaleMode())]; break;
                }
            }
            return cache(ManagerData(manager, PPI));
        }
        return ManagerData(manager, DefaultPPI());
    }
    SetCommonSkinData(nullptr);
    if (manager) {
        if (Designing(FOwnerControl)) return ManagerData(manager, 96);
        if (manager->Options()->ScaleMode() == smCustomPPI)
            return ManagerData(manager, manager->Options()->PixelsPerInch());
        return ManagerData(manager, DefaultPPI());
    }
    if (Designing(FOwnerControl)) return StdData(0);
    return StdData(PPIToIndex(FOwnerControl ? GetControlPPI(FOwnerControl) : DefaultPPI()));
}

TacSkinData* GetSkinData(TsCommonData* commonData, int PPI)
{
    if (commonData) return commonData->GetCommonSkinData();
    if (DefaultManager && DefaultManager->IsActive()) return DefaultManager->CommonSkinData(PPI);
    return StdData(PPIToIndex(PPI));
}

int GetPPI(TsCommonData* commonData)
{
    if (!commonData) return DefaultPPI();
    TControl* control = commonData->FOwnerControl;
    if (Designing(control)) return 96;
    TsSkinManager* manager = commonData->GetSkinManager();
    if (manager && commonData->SkinIndex >= 0 && manager->SkinCommonInfo.Active && !manager->SkinDataArray.empty()) {
        if (commonData->FCommonSkinData) return commonData->FCommonSkinData->PPI;
        if (auto* provider = ProviderOf(*commonData); provider && provider->Form)
            return LoadingOrReading(provider->Form) ? DefaultPPI() : GetControlPPI(provider->Form);
        if (ControlIsReady(control)) return GetControlPPI(control);
        return DefaultPPI();
    }
    if (manager)
        return manager->Options()->ScaleMode() == smCustomPPI ? manager->Options()->PixelsPerInch() : DefaultPPI();
    return control ? GetControlPPI(control) : DefaultPPI();
}

int CurrentScale(TsCommonData* commonData) { return commonData ? commonData->PPIIndex : -1; }

int ScaleInt(int value, TsCommonData* commonData, bool useControlPPI)
{
    TsSkinManager* manager = commonData ? commonData->GetSkinManager() : DefaultManager;
    if (!manager) return MulDiv(value, DefaultPPI(), 96);
    switch (manager->Options()->ScaleMode()) {
    case smOldMode: return value;
    case smVCL: {
        if (!useControlPPI) return value;
        TacSkinData* data = commonData ? commonData->GetCommonSkinData() : nullptr;
        return MulDiv(value, data ? data->PPI : DefaultPPI(), 96);
    }
    case smCustomPPI: return MulDiv(value, manager->Options()->PixelsPerInch(), 96);
    default: return ScaleInteger(value, manager->GetScale());
    }
}

bool TsCommonData::Skinned(bool CheckActive) const
{
    TsSkinManager* manager = GetSkinManager();
    if (!manager || Destroying(manager) || SkinIndex < 0 || !FOwnerObject) return false;
    if (!manager->IsValidSkinIndex(SkinIndex)) return false;
    if (Destroying(dynamic_cast<const TComponent*>(FOwnerObject))) return false;
    return CheckActive ? manager->IsActive() : true;
}

bool SkinIsChanging(TsCommonData* commonData)
{
    TsSkinManager* manager = commonData ? commonData->GetSkinManager() : DefaultManager;
    return manager && manager->ManagerState.Contains(msSkinChanging);
}

bool TsCommonData::IsTransparentSection() const
{
    if (SkinIndex < 0) return false;
    TsSkinManager* manager = GetSkinManager();
    if (!manager) return true;
    return SkinIndex != manager->SkinCommonInfo.Sections[17];
}

// ---------------------------------------------------------------------------------------------
// Section and index

void TsCommonData::SetSkinSection(const UnicodeString& value)
{
    const UnicodeString section = UpperCase(value);
    if (section == FSkinSection) return;
    HideGlow(GlowID, false);
    FSkinSection = section;
    TsSkinManager* manager = GetSkinManager();
    if (!manager || manager->LengthOfGD() <= 0)
        SkinIndex = -1;
    else
        UpdateIndexes(true);
    TControl* control = FOwnerControl;
    if (control && control->Parent() && !LoadingOrReading(control) && !Destroying(control)) {
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
            if (FCacheBmp) FCacheBmp->SetSize(0, 0);
            TMessage message{SM_ALPHACMD, MakeAlphaCmd(AC_INVALIDATECACHE, 1), 0, 0};
            AlphaBroadCast(windowed, message);
        }
        if (!FUpdating && !Loading) {
            const LPARAM lParam = reinterpret_cast<LPARAM>(manager);
            if (manager && manager->IsValidSkinIndex(SkinIndex))
                PerformCommand(control, AC_REFRESH, static_cast<WORD>(SkinIndex), lParam);
            else
                PerformCommand(control, AC_REMOVESKIN, 0, lParam);
        } else if (!Loading) {
            UpdateControlColors(this, false);
        }
    } else if (!control && ProviderOf(*this)) {
        BGChanged = true;
    }
}

bool TsCommonData::SectionStored() const
{
    const LRESULT answer = FOwnerControl ? PerformCommand(FOwnerControl, AC_GETDEFSECTION, 0, 0) : 0;
    const LRESULT index = answer - 1;
    if (index < 0 || index >= static_cast<LRESULT>(acDefSections.size())) return true;
    return !FSkinSection.empty() && FSkinSection != UnicodeString(acDefSections[static_cast<size_t>(index)]);
}

void TsCommonData::UpdateIndexes(bool Full)
{
    BGChanged = true;
    if (Full) {
        SetCommonSkinData(nullptr);
        TsSkinManager* manager = GetSkinManager();
        if (manager && manager->IsActive()) {
            auto* windowed = dynamic_cast<TWinControl*>(FOwnerControl);
            if (!FSkinSection.empty())
                SkinIndex = manager->GetSkinIndex(FSkinSection);
            else if (windowed && windowed->HandleAllocated())
                SkinIndex = static_cast<int>(SendAMessage(windowed->Handle(), AC_GETSKININDEX)) - 1;
            else if (FOwnerControl)
                SkinIndex = static_cast<int>(PerformCommand(FOwnerControl, AC_GETSKININDEX, 0, 0)) - 1;
            else if (auto* provider = ProviderOf(*this); provider && provider->Form)
                SkinIndex = static_cast<int>(SendAMessage(provider->Form, AC_GETSKININDEX)) - 1;
            else
                SkinIndex = -1;
        } else {
            SkinIndex = -1;
        }
    }
    InitBGType(this);
}

void InitIndexes(TsCommonData* commonData, std::span<const UnicodeString> names)
{
    if (!commonData) return;
    TsSkinManager* manager = commonData->GetSkinManager();
    if (!manager) {
        commonData->SkinIndex = -1;
        return;
    }
    for (const UnicodeString& name : names) {
        if (name.empty()) continue;
        commonData->SkinIndex = manager->GetSkinIndex(name);
        if (commonData->SkinIndex >= 0) {
            commonData->UpdateIndexes(false);
            return;
        }
    }
}

namespace {

// Control-class codes whose control names its own section through AC_GETSKININDEX.
constexpr TacCtrlCodeSet SelfNamingCodes{{2, 10},    {12, 14},   {32, 34},   {50, 51},   {53, 54},   {57, 59},
                                         {74, 76},   {78, 78},   {81, 85},   {92, 94},   {132, 141}, {143, 143},
                                         {151, 152}, {161, 161}, {165, 165}, {224, 224}, {226, 227}};

} // namespace

void UpdateData(TsCommonData* commonData)
{
    if (!commonData) return;
    if (!commonData->FSkinSection.empty()) {
        commonData->UpdateIndexes(true);
        return;
    }
    switch (commonData->COC) {
    case 18: commonData->SetSkinSection(L"COMBOBOX"); return;
    case 19: commonData->SetSkinSection(L"BAR"); return;
    case 20: commonData->SetSkinSection(L"BARTITLE"); return;
    case 56: commonData->SetSkinSection(L"DRAGBAR"); return;
    case 98: commonData->SetSkinSection(L"TOOLBUTTON"); return;
    case 230: commonData->SetSkinSection(L"EDIT"); return;
    default: break;
    }
    if (SelfNamingCodes.Contains(commonData->COC))
        commonData->UpdateIndexes(true);
    else if (commonData->FOwnerObject)
        commonData->SetSkinSection(commonData->FOwnerObject->ClassName());
}

void InitBGType(TsCommonData* commonData)
{
    if (!commonData) return;
    commonData->BGType = 0;
    TsSkinManager* manager = commonData->GetSkinManager();
    const int index = commonData->SkinIndex;
    if (!manager || !manager->IsValidSkinIndex(index)) return;
    WORD bits = 0;
    const auto in = [](int d, std::initializer_list<int> modes) {
        return std::find(modes.begin(), modes.end(), d) != modes.end();
    };
    for (const auto& data : manager->SkinDataArray) {
        if (!data || static_cast<size_t>(index) >= data->gd.size()) continue;
        const TsGenState& s = data->gd[static_cast<size_t>(index)].Props[0];
        if (s.ImagePercent > 0 && s.TextureIndex >= 0 && static_cast<size_t>(s.TextureIndex) < data->ma.size()) {
            const int d = data->ma[static_cast<size_t>(s.TextureIndex)].DrawMode;
            if (in(d, {1, 4, 5, 8, 9, 11, 12})) bits |= 0x04;
            if (in(d, {0, 1, 3, 5, 10, 12})) bits |= 0x10;
            if (in(d, {0, 1, 7, 9, 10, 12})) bits |= 0x40;
            if (in(d, {0, 1, 2, 4, 10, 11})) bits |= 0x20;
            if (in(d, {0, 1, 6, 8, 10, 11})) bits |= 0x80;
        }
        if (!s.GradientArray.empty() && (s.GradientPercent > 0 || (s.GradientArray[0].Mode & 0x20) != 0)) {
            switch (s.GradientArray[0].Mode & 3) {
            case 0: bits |= 0x02; break;
            case 1: bits |= 0x01; break;
            case 2: bits |= 0x03; break;
            default: break;
            }
        }
    }
    if (commonData->COC == 224) {
        if (auto* provider = ProviderOf(*commonData); provider && provider->HasTitleImage()) bits |= 0x04;
    }
    commonData->BGType = bits;
}

// ---------------------------------------------------------------------------------------------
// Options and colours

void TsCommonData::SetBoolean(int index, bool value)
{
    bool& field = index == 0 ? FCustomColor : FCustomFont;
    if (field == value) return;
    field = value;
    if (!FOwnerControl || InState(FOwnerControl, csLoading) || Loading) return;
    if (index == 0) {
        if (value && SavedColor != clNone)
            FOwnerControl->SetColor(SavedColor);
        else
            SavedColor = FOwnerControl->Color();
    } else {
        if (value && SavedFontColor != clNone)
            FOwnerControl->Font()->SetColor(SavedFontColor);
        else
            SavedFontColor = FOwnerControl->Font()->Color();
    }
    ApplySkinColors(this, true);
}

void TsCommonData::SetInteger(int index, int value)
{
    int& field = index == 0 ? FHUEOffset : FSaturation;
    if (field == value) return;
    field = value;
    Loaded(true);
    Invalidate(false);
}

void TsCommonData::SetColorTone(TColor value)
{
    if (FColorTone == value) return;
    FColorTone = value;
    Loaded(true);
    Invalidate(false);
}

void TsCommonData::SetOpaqueMode(TacOpaqueMode value)
{
    if (FOpaqueMode == value) return;
    FOpaqueMode = value;
    auto* windowed = dynamic_cast<TWinControl*>(FOwnerControl);
    if (windowed && !InState(windowed, csLoading) && !Designing(windowed) && !Destroying(windowed) && IsFluentOS())
        windowed->Perform(CM_RECREATEWND, 0, 0);
}

// ---------------------------------------------------------------------------------------------
// Update counting and repainting

namespace {

void SendUpdateCommand(TsCommonData& data, WORD cmd)
{
    if (data.FOwnerControl) {
        PerformCommand(data.FOwnerControl, cmd, 0, 0);
    } else if (auto* provider = ProviderOf(data)) {
        provider->ProcessMessage(SM_ALPHACMD, MakeAlphaCmd(cmd), 0);
    }
}

} // namespace

void TsCommonData::BeginUpdate()
{
    ++FUpdateCount;
    FUpdating = true;
    CtrlSkinState |= ACS_LOCKED;
    SendUpdateCommand(*this, AC_BEGINUPDATE);
}

void TsCommonData::EndUpdate(bool Repaint)
{
    --FUpdateCount;
    // An inner pair leaves an outer update open.
    if (FUpdateCount < 1) {
        FUpdating = false;
        CtrlSkinState &= ~ACS_LOCKED;
        SendUpdateCommand(*this, AC_ENDUPDATE);
        if (Repaint) Invalidate(true);
    }
}

bool TsCommonData::GetUpdating()
{
    if (Designing(FOwnerControl) || !GetSkinManager()) return false;
    if (FUpdating) return true;
    if (FOwnerControl) {
        if (Destroying(FOwnerControl)) return false;
        if (TWinControl* parent = FOwnerControl->Parent()) return GetBoolMsg(parent, AC_ISUPDATING);
        return false;
    }
    if (auto* provider = ProviderOf(*this); provider && provider->Form && provider->Form->Parent())
        return GetBoolMsg(provider->Form->Parent(), AC_ISUPDATING);
    return false;
}

bool InUpdating(TsCommonData* commonData, bool reset)
{
    if (!commonData) return false;
    if (reset) commonData->FUpdating = false;
    if (!commonData->GetUpdating()) return false;
    commonData->FUpdating = true;
    return true;
}

void TsCommonData::Invalidate(bool Full)
{
    BGChanged = true;
    if (Loading) return;
    const UINT flags = Full ? RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW
                            : RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;
    if (auto* provider = ProviderOf(*this)) {
        if (provider->Form && provider->Form->HandleAllocated())
            RedrawWindow(provider->Form->Handle(), nullptr, nullptr, flags);
        return;
    }
    TControl* control = FOwnerControl;
    if (!control || InState(control, csLoading) || Destroying(control) || !ControlIsReady(control)) return;
    if (ThreadedTimerIsLive(AnimTimer) && AnimTimer->Enabled() && AnimTimer->ThreadType != 1) StopTimer(this);
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        if (windowed->HandleAllocated()) RedrawWindow(windowed->Handle(), nullptr, nullptr, flags);
    } else if (COC == 92) {
        PerformCommand(control, AC_INVALIDATE, 0, 0);
    } else {
        control->Invalidate();
    }
}

bool TsCommonData::RepaintIfMoved()
{
    if (!Skinned() || dynamic_cast<TTabSheet*>(FOwnerControl) || !FOwnerControl || SkinIsChanging(this) ||
        !FOwnerControl->Enabled())
        return true;
    TacSkinData* data = GetCommonSkinData();
    if (data && static_cast<size_t>(SkinIndex) < data->gd.size() &&
        data->gd[static_cast<size_t>(SkinIndex)].Props[0].Transparency < 1)
        return false;
    TWinControl* parent = FOwnerControl->Parent();
    if (!parent || !parent->HandleAllocated()) return false;
    return SendAMessage(parent->Handle(), AC_CHILDBGCHANGED) != 0;
}

// ---------------------------------------------------------------------------------------------
// Descendants

TsCtrlSkinData::~TsCtrlSkinData() { DelLightControl(this); }

void TsCtrlSkinData::Loaded(bool ResetColors)
{
    TsCommonData::Loaded(ResetColors);
    if (FOwnerControl && ssLightCtrls.Contains(COC)) AddLightControl(this);
}

TsScrollWndData::TsScrollWndData(TObject* owner, bool createCacheBmp)
    : TsCommonData(owner, createCacheBmp), FHorzScrollData(std::make_unique<TacScrollData>(this)),
      FVertScrollData(std::make_unique<TacScrollData>(this))
{
}

TsScrollWndData::~TsScrollWndData()
{
    FVertScrollData.reset();
    FHorzScrollData.reset();
}

namespace {
TacUnitCounter unitCounter;
}

void sCommonDataInitialization() { unitCounter.StartUp(); }
void sCommonDataFinalization() { unitCounter.ShutDown(); }
