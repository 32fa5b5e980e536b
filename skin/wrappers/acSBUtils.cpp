// The wrapper's life: construction in its fixed order, taking over and giving back the window
// procedure (with parking of a relay that someone chained to), destruction and removal.
#include "acSBUtils.h"

#include "acSBUtilsRelay.h"
#include "acSBUtilsBrushes.h"
#include "acAnimation.h"
#include "acUnitCounter.h"
#include "sCommonData.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"
#include "TypInfo.h"

#include <algorithm>
#include <memory>
#include <vector>

bool acDlgMode = false;

namespace {

const wchar_t* const kScrollWndProp = L"ACSBSC";

TacUnitCounter acSBUtilsCounter;

std::vector<std::unique_ptr<TacWndRelay>>& ParkedRelays()
{
    static std::vector<std::unique_ptr<TacWndRelay>> list;
    return list;
}

// The control whose WindowProc the wrapper takes over: a provider's form, else the owner.
TControl* MethodTarget(TsCommonData* data)
{
    if (!data) return nullptr;
    if (auto* provider = dynamic_cast<TsSkinProvider*>(data->FOwnerObject)) return provider->Form;
    return data->FOwnerControl;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The relay

void TacWndRelay::Dispatch(TMessage& message)
{
    if (Wrapper) {
        Wrapper->acWndProc(message);
        return;
    }
    // Parked: a pure pass-through to what was there before the wrapper.
    if (Instance) {
        try {
            message.Result = CallWindowProcW(OldProc, Wnd, message.Msg, message.WParam, message.LParam);
        } catch (...) {
            message.Result = 0;
        }
        // The window is gone; nobody can call this relay again.
        if (message.Msg == WM_NCDESTROY) UnparkAndFree(this);
    } else if (OldWndProc) {
        try {
            OldWndProc(message);
        } catch (...) {
            message.Result = 0;
        }
    }
}

void TacWndRelay::Park(TacWndRelay* relay)
{
    relay->Wrapper = nullptr;
    ParkedRelays().emplace_back(relay);
}

void TacWndRelay::UnparkAndFree(TacWndRelay* relay)
{
    auto& list = ParkedRelays();
    auto it = std::find_if(list.begin(), list.end(), [relay](const auto& p) { return p.get() == relay; });
    if (it != list.end()) list.erase(it); // frees it: the caller touches it no more
}

TacWndRelay::~TacWndRelay() { FreeObjectInstance(Instance); }

int ParkedWndProcCount() { return static_cast<int>(ParkedRelays().size()); }

// ---------------------------------------------------------------------------------------------
// Construction

void TacMainWnd::Create(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
                        const TacSkinParams& SkinParams, bool Repaint)
{
    CtrlHandle = AHandle;
    OldWndProc = TWndMethod();
    OldProc = nullptr;
    // A dialog's own look, a control kept native (class code 224) and the wrappers that paint
    // over the system's look keep the visual style.
    if (uxthemeLib && ac_SetWindowTheme && (!ASkinData || ASkinData->COC != 224) && !KeepsVisualStyle() &&
        SkinParams.SkinSection != L"DIALOG" && !acDlgMode)
        ac_SetWindowTheme(AHandle, L" ", L" ");
    SkinManager = ASkinManager;
    Destroyed = false;
    if (ASkinData) {
        SkinData = ASkinData;
    } else {
        OwnSkinData = true;
        InitSkinData();
        if (!SkinParams.SkinSection.empty()) SkinData->SetSkinSection(SkinParams.SkinSection);
        SkinData->FOwnerControl = SkinParams.Control;
        // A foreign window's skin data stays owned by the wrapper: skin data without an owner
        // counts as not skinned and would never be painted.
        SkinData->FOwnerObject = SkinParams.Control ? static_cast<TObject*>(SkinParams.Control) : this;
        SkinData->SetBoolean(1, !SkinParams.UseSkinFontColor);
        SkinData->SetBoolean(0, !SkinParams.UseSkinColor);
    }
    SkinData->SetBoolean(1, ac_KeepOwnFont || SkinData->CustomFont());
    SkinData->FSWHandle = AHandle;
    Tag = 0;
    DlgMode = acDlgMode;

    SaveStdParams();
    ParamsChanged = false;
    Caption = GetWndText(AHandle);
    Subclass(AHandle, Repaint);
    SaveCtrlStyle(true);
    AfterCreation();
}

void TacMainWnd::SaveCtrlStyle(bool Opaque)
{
    TControl* control = OwnerControl();
    if (!control) return;
    OldCtrlStyle = control->ControlStyle();
    ctrlStyleSaved_ = true;
    if (!Opaque) return;
    TControlStyle style = OldCtrlStyle;
    style.Include(csOpaque);
    control->SetControlStyle(style);
}

void TacMainWnd::Subclass(HWND AHandle, bool) { InitializeACWnd(AHandle); }

void TacMainWnd::InitSkinData()
{
    if (SkinData) return;
    if (IsButtonWnd()) {
        auto* data = new TsCtrlSkinData(this, true);
        data->FSWHandle = CtrlHandle;
        AddLightControl(data);
        SkinData = data;
    } else {
        SkinData = new TsCommonData(this, true);
    }
    SkinData->Loading = true;
}

void TacMainWnd::AfterCreation()
{
    if (!SkinData) return;
    SkinData->Loading = false;
    SkinData->InitCommonProp();
}

TControl* TacMainWnd::OwnerControl() const { return SkinData ? SkinData->FOwnerControl : nullptr; }

// ---------------------------------------------------------------------------------------------
// Subclassing

void TacMainWnd::InitializeACWnd(HWND AHandle)
{
    DontRepaint = false;
    CtrlHandle = AHandle;
    if (relay_) return; // already subclassed
    auto relay = std::make_unique<TacWndRelay>(this, AHandle);
    TControl* target = MethodTarget(SkinData);
    if (!target) {
        relay->Instance = MakeObjectInstance(relay->Method());
        OldProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(AHandle, GWLP_WNDPROC));
        relay->OldProc = OldProc;
        SetWindowLongPtrW(AHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(relay->Instance));
    } else {
        if (SkinData) SkinData->WndProc = relay->Method();
        OldWndProc = target->WindowProc;
        relay->OldWndProc = OldWndProc;
        target->WindowProc = relay->Method();
    }
    relay_ = relay.release();
}

WNDPROC TacMainWnd::NewWndProcInstance() const { return relay_ ? relay_->Instance : nullptr; }

bool TacMainWnd::GiveBackWndProc()
{
    if (OldWndProc) {
        if (SkinData) SkinData->WndProc = OldWndProc;
        ReleaseRelay();
        return true;
    }
    if (OldProc) {
        ReleaseRelay();
        OldProc = nullptr;
        return true;
    }
    return false;
}

// Takes our procedure out of the chain while the chain still starts with it; otherwise someone
// chained to it later, so it stays in place as a pass-through.
void TacMainWnd::ReleaseRelay()
{
    TacWndRelay* relay = relay_;
    if (!relay) return;
    relay_ = nullptr;
    bool ours = false;
    if (relay->Instance) {
        ours = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(relay->Wnd, GWLP_WNDPROC)) == relay->Instance;
        if (ours) SetWindowLongPtrW(relay->Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(relay->OldProc));
    } else if (TControl* target = MethodTarget(SkinData)) {
        ours = target->WindowProc == relay->Method();
        if (ours) target->WindowProc = relay->OldWndProc;
    }
    if (ours) {
        // Skin data that stays (not owned by this wrapper) must not keep a method of the freed relay.
        if (SkinData && CommonDataIsLive(SkinData) && SkinData->WndProc == relay->Method())
            SkinData->WndProc = relay->OldWndProc;
        delete relay;
    } else {
        TacWndRelay::Park(relay);
    }
}

// ---------------------------------------------------------------------------------------------
// Message entry points

LRESULT TacMainWnd::ProcessMessage(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage message{Msg, WParam, LParam, 0};
    acWndProc(message);
    return message.Result;
}

LRESULT TacMainWnd::CallPrevWndProc(HWND Handle, UINT Msg, WPARAM WParam, LPARAM& LParam)
{
    if (OldWndProc) {
        TMessage message{Msg, WParam, LParam, 0};
        try {
            OldWndProc(message);
        } catch (...) {
            return 0;
        }
        LParam = message.LParam;
        return message.Result;
    }
    if (OldProc) {
        try {
            return CallWindowProcW(OldProc, Handle, Msg, WParam, LParam);
        } catch (...) {
            return 0;
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Skin parameters

void TacMainWnd::SetSkinParams()
{
    ParamsChanged = true;
    TsSkinManager* manager = SkinManager ? SkinManager : (SkinData ? SkinData->GetSkinManager() : nullptr);
    if (manager && CtrlHandle) SetClassSkinBrush(CtrlHandle, manager->Palette[0]);
}

void TacMainWnd::RestoreStdParams()
{
    if (OwnSkinData && SkinData) SkinData->RemoveCommonProp();
    if (CtrlHandle && Ac_GetScrollWndFromHwnd(CtrlHandle) == this) SetScrollWndProp(CtrlHandle, nullptr);
    if (CtrlHandle) RestoreClassBrush(CtrlHandle);
}

bool TacMainWnd::DoPrepareCache()
{
    PrepareCache(SkinData, nullptr, false); // no window: nothing to paint in the base
    return true;
}

// ---------------------------------------------------------------------------------------------
// Destruction and removal

void TacMainWnd::GiveBackVisualStyle()
{
    if (!uxthemeLib || !ac_SetWindowTheme || !CtrlHandle) return;
    if (auto* provider = SkinData ? dynamic_cast<TsSkinProvider*>(SkinData->FOwnerObject) : nullptr) {
        TControl* form = provider->Form;
        if (!form || form->ComponentState().Contains(csDestroying) || !form->Visible()) return;
    } else if (SkinData && (SkinData->COC == 10 || SkinData->COC == 14) && AeroIsEnabled()) {
        return;
    }
    ac_SetWindowTheme(CtrlHandle, nullptr, nullptr);
}

TacMainWnd::~TacMainWnd()
{
    LeaveWindow();
    if (OwnSkinData) delete SkinData;
    SkinData = nullptr;
    if (CtrlHandle && Ac_GetScrollWndFromHwnd(CtrlHandle) == this) SetScrollWndProp(CtrlHandle, nullptr);
    SkinManager = nullptr;
}

void TacMainWnd::LeaveWindow()
{
    // Virtual slots reached from here are this class's own: a descendant undoes its own
    // settings in its destructor.
    const bool wasDestroyed = Destroyed;
    try {
        if (SkinData && SkinManager && !Destroyed) {
            GiveBackCtrlStyle();
            bool giveBack = true;
            if (ItemsRemoving && !SkinManager->ManagerState.Contains(msSkinRemoving)) {
                auto* adapter = dynamic_cast<TacCtrlAdapter*>(Adapter);
                TsSkinManager* formManager = adapter && adapter->Provider && adapter->Provider->FCommonData
                                                 ? adapter->Provider->FCommonData->GetSkinManager()
                                                 : nullptr;
                giveBack = formManager && formManager->ManagerState.Contains(msSkinRemoving);
            }
            if (giveBack) GiveBackWndProc();
            TacMainWnd::RestoreStdParams();
            GiveBackVisualStyle();
            Destroyed = true;
        } else if (Destroyed) {
            TControl* control = OwnerControl();
            if (!control || !control->ComponentState().Contains(csDestroying)) TacMainWnd::RestoreStdParams();
        }
    } catch (...) {
    }
    // Whatever is still bound to this object is taken out of the chain or parked, and a control
    // still wrapped until now does not stay opaque (also when the wrapper had no manager).
    ReleaseRelay();
    GiveBackFont();
    if (!wasDestroyed) GiveBackCtrlStyle();
}

void TacMainWnd::GiveBackCtrlStyle()
{
    if (ctrlStyleGivenBack_) return;
    TControl* control = OwnerControl();
    // Saved or not is a flag of its own: a control's style may well be empty.
    if (!control || !ctrlStyleSaved_) return;
    ctrlStyleGivenBack_ = true;
    control->SetControlStyle(OldCtrlStyle);
}

void UninitializeACWnd(HWND Wnd, bool Free, bool Repaint, TacMainWnd*& W)
{
    if (!W) return;
    if (!W->Destroyed) {
        const bool subclassed = W->GiveBackWndProc();
        // An opaque control left behind would no longer erase its background.
        if (subclassed) W->GiveBackCtrlStyle();
        W->RestoreStdParams();
        if (Wnd && IsWindowVisible(Wnd)) RefreshFrame(Wnd, Repaint);
        if (W->OwnSkinData && W->SkinData) W->SkinData->ClearLinks();
        if (subclassed) W->Destroyed = true;
    }
    W->GiveBackFont();
    if (Free) {
        W->OldProc = nullptr;
        W->OldWndProc = TWndMethod();
        delete W;
        W = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// Unit routines

TacMainWnd* Ac_GetScrollWndFromHwnd(HWND Wnd)
{
    if (!Wnd) return nullptr;
    return static_cast<TacMainWnd*>(GetPropW(Wnd, kScrollWndProp));
}

void SetScrollWndProp(HWND Wnd, TacMainWnd* W)
{
    if (!Wnd) return;
    if (W)
        SetPropW(Wnd, kScrollWndProp, W);
    else
        RemovePropW(Wnd, kScrollWndProp);
}

void InitCtrlData(HWND Wnd, HWND& ParentWnd, TRect& WndRect, TRect& ParentRect, TSize& WndSize, TPoint& WndPos)
{
    RECT r{};
    GetWindowRect(Wnd, &r);
    WndRect = TRect(r.left, r.top, r.right, r.bottom);
    ParentWnd = GetParent(Wnd);
    RECT pr{};
    if (ParentWnd) GetWindowRect(ParentWnd, &pr);
    ParentRect = TRect(pr.left, pr.top, pr.right, pr.bottom);
    WndSize = TSize(WndRect.Width(), WndRect.Height());
    POINT p{r.left, r.top};
    if (ParentWnd) ScreenToClient(ParentWnd, &p);
    WndPos = TPoint(p.x, p.y);
}

void AlphaBroadCastCheck(TControl* Control, HWND Wnd, TMessage& Message)
{
    if (auto* winControl = dynamic_cast<TWinControl*>(Control))
        AlphaBroadCast(winControl, Message);
    else if (!Control && Wnd)
        AlphaBroadCast(Wnd, Message);
}

void NotifyTopParent(HWND Wnd)
{
    HWND top = Wnd;
    for (HWND parent = Wnd ? GetParent(Wnd) : nullptr; parent; parent = GetParent(parent)) top = parent;
    if (top && top != Wnd) SendAMessage(top, AC_ADDTOADAPTER, 0);
}

void RefreshFrame(HWND Wnd, bool Repaint)
{
    if (Repaint)
        SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOCOPYBITS |
                         SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
    else
        TrySendMessage(Wnd, WM_NCPAINT, 1, 0);
}

void SetIntPropIfExists(TObject* Obj, const UnicodeString& Name, int Value)
{
    if (Obj && HasProperty(Obj, Name)) SetIntProp(Obj, Name, Value);
}

int GetIntPropIfExists(TObject* Obj, const UnicodeString& Name)
{
    if (!Obj || !HasProperty(Obj, Name)) return 0;
    return static_cast<int>(GetIntProp(Obj, Name));
}

TColor GetColorPropIfExists(TObject* Obj, const UnicodeString& Name)
{
    if (!Obj || !HasProperty(Obj, Name)) return 0;
    return ColorToRGB(static_cast<TColor>(GetIntProp(Obj, Name)));
}

void acSBUtilsInitialization() { acSBUtilsCounter.StartUp(); }

void acSBUtilsFinalization()
{
    if (!acSBUtilsCounter.ShutDown()) return;
    ParkedRelays().clear();
    RestoreAllClassBrushes();
}
