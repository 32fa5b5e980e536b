#include "sCommonData.h"

#include "Controls.h"
#include "Forms.h"
#include "SysUtils.h"
#include "acSBUtils.h"
#include "acUnitCounter.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <algorithm>
#include <vector>

namespace {

constexpr const wchar_t* CommonDataProp = L"ACSDATA";

// Skin data objects live on the main thread only; a short list is enough.
std::vector<const TsCommonData*>& LiveCommonData()
{
    static std::vector<const TsCommonData*> list;
    return list;
}

bool Destroying(const TComponent* component) { return component->ComponentState().Contains(csDestroying); }

} // namespace

TsCommonData::TsCommonData(TObject* owner) : FOwnerObject(owner)
{
    FOwnerControl = dynamic_cast<TControl*>(owner);
    if (auto* windowed = dynamic_cast<TWinControl*>(owner)) WndProc = windowed->WindowProc;
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
}

HWND TsCommonData::OwnerHandle() const
{
    if (auto* provider = dynamic_cast<TsSkinProvider*>(FOwnerObject)) {
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
    if (!WndProc) {
        if (auto* windowed = dynamic_cast<TWinControl*>(FOwnerControl)) WndProc = windowed->WindowProc;
    }
    SetPropW(handle, CommonDataProp, const_cast<TsCommonData*>(this));
}

void TsCommonData::RemoveCommonProp()
{
    if (Application && Application->Terminated()) return;
    if (HWND handle = OwnerHandle()) RemovePropW(handle, CommonDataProp);
}

void TsCommonData::ClearLinks()
{
    FOwnerControl = nullptr;
    FOwnerObject = nullptr;
    FSWHandle = nullptr;
}

TsSkinManager* TsCommonData::GetSkinManager() const { return FSkinManager ? FSkinManager : DefaultManager; }

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

int ScaleInt(int value, TsCommonData*, bool) { return MulDiv(value, DefaultPPI(), 96); }

namespace {
TacUnitCounter unitCounter;
}

void sCommonDataInitialization() { unitCounter.StartUp(); }
void sCommonDataFinalization() { unitCounter.ShutDown(); }
