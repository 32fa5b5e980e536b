#include "sVclUtils.h"

#include "Controls.h"
#include "Forms.h"
#include "acUnitCounter.h"
#include "sCommonData.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sThirdParty.h"
#include "Themes.h"

bool InAnimationProcess = false;

namespace {

bool Destroying(const TComponent* component) { return component->ComponentState().Contains(csDestroying); }

// A control being destroyed or without a window may not be reached through its procedure.
bool Reachable(TWinControl* control) { return !Destroying(control) && control->HandleAllocated(); }

LRESULT CallStored(const TsCommonData& data, TMessage& message)
{
    data.WndProc(message);
    return message.Result;
}

// The library's deliveries in progress on this thread, and whether the innermost one started
// inside a message sent from another thread or process.
struct OwnSendState {
    int Depth = 0;
    bool Foreign = false;
};
thread_local OwnSendState ownSend;

bool InForeignSend() { return InSendMessage() != FALSE; }

// Through the window system. While this thread waits for a window of another thread, messages
// other threads and processes send to this one are handled: none of them is ours.
LRESULT SystemSend(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (GetWindowThreadProcessId(handle, nullptr) == GetCurrentThreadId())
        return SendMessageW(handle, msg, wParam, lParam);
    struct Suspended {
        OwnSendState Saved = ownSend;
        Suspended() { ownSend = OwnSendState{}; }
        ~Suspended() { ownSend = Saved; }
    } suspended;
    return SendMessageW(handle, msg, wParam, lParam);
}

} // namespace

TacOwnSend::TacOwnSend() : savedDepth_(ownSend.Depth), savedForeign_(ownSend.Foreign)
{
    ++ownSend.Depth;
    ownSend.Foreign = InForeignSend();
}

TacOwnSend::~TacOwnSend()
{
    ownSend.Depth = savedDepth_;
    ownSend.Foreign = savedForeign_;
}

bool acCommandPointerTrusted(const TMessage& message)
{
    if (message.Msg != SM_ALPHACMD || message.LParam == 0 || ownSend.Depth < 1) return false;
    // InSendMessage stays set for our own sends nested in a message from another process; a
    // change since the delivery began means the message came from elsewhere.
    return InForeignSend() == ownSend.Foreign;
}

LRESULT SendAMessage(HWND handle, WORD cmd, LPARAM lParam)
{
    return TrySendMessage(handle, SM_ALPHACMD, MakeAlphaCmd(cmd), lParam);
}

LRESULT SendAMessage(TControl* control, WORD cmd, LPARAM lParam)
{
    return TrySendMessage(control, SM_ALPHACMD, MakeAlphaCmd(cmd), lParam);
}

bool GetBoolMsg(TWinControl* control, WORD cmd) { return SendAMessage(control, cmd, 0) != 0; }

bool GetBoolMsg(HWND handle, WORD cmd) { return SendAMessage(handle, cmd, 0) == 1; }

LRESULT TrySendMessage(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // GetCommonData answers only for a live object on a window of this process: a foreign or
    // stale property value never becomes a call.
    const TacOwnSend own;
    if (TsCommonData* data = GetCommonData(handle); data && data->WndProc) {
        TMessage message{msg, wParam, lParam, 0};
        return CallStored(*data, message);
    }
    return SystemSend(handle, msg, wParam, lParam);
}

LRESULT TrySendMessage(TControl* control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!control) return 0;
    const TacOwnSend own;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (!windowed) return control->Perform(msg, wParam, lParam);
    if (!Reachable(windowed)) return 0;
    HWND handle = windowed->Handle();
    if (TsCommonData* data = GetCommonData(handle)) {
        if (!data->WndProc && data->FOwnerControl) data->WndProc = windowed->WindowProc;
        if (data->WndProc) {
            TMessage message{msg, wParam, lParam, 0};
            return CallStored(*data, message);
        }
    }
    return SystemSend(handle, msg, wParam, lParam);
}

LRESULT TrySendMessage(TControl* control, TMessage& message)
{
    if (!control) return 0;
    const TacOwnSend own;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    // Every path leaves the answer in the record, as the stored procedure does itself.
    if (!windowed) return message.Result = control->Perform(message.Msg, message.WParam, message.LParam);
    if (!Reachable(windowed)) return 0;
    HWND handle = windowed->Handle();
    if (TsCommonData* data = GetCommonData(handle); data && data->WndProc) return CallStored(*data, message);
    return message.Result = SystemSend(handle, message.Msg, message.WParam, message.LParam);
}

void SetRedraw(HWND handle, WPARAM value) { TrySendMessage(handle, WM_SETREDRAW, value, 0); }

void SetRedraw(TGraphicControl* control, WPARAM value)
{
    if (control) control->Perform(WM_SETREDRAW, value, 0);
}

void AlphaBroadCast(TWinControl* control, TMessage& message)
{
    if (!control) return;
    const TacOwnSend own;
    // The count is read again every step: a receiver may add or remove children.
    for (int i = 0; i < control->ControlCount(); ++i) {
        TControl* child = control->Controls(i);
        if (Destroying(child)) return;
        auto* windowed = dynamic_cast<TWinControl*>(child);
        if (!windowed) {
            child->Perform(message.Msg, message.WParam, message.LParam);
        } else if (!windowed->HandleAllocated()) {
            windowed->Perform(message.Msg, message.WParam, message.LParam);
        } else {
            HWND handle = windowed->Handle();
            TrySendMessage(handle, message.Msg, message.WParam, message.LParam);
            // A skinned child passes the message on to its own children where the code asks.
            if (!WndIsSkinned(handle) && !(CheckDevEx && CheckDevEx(windowed))) AlphaBroadCast(windowed, message);
        }
    }
}

namespace {

struct BroadcastTarget {
    HWND Parent;
    TMessage* Message;
};

BOOL CALLBACK SendToDirectChild(HWND child, LPARAM param)
{
    const auto* target = reinterpret_cast<const BroadcastTarget*>(param);
    if (GetParent(child) == target->Parent)
        TrySendMessage(child, target->Message->Msg, target->Message->WParam, target->Message->LParam);
    return TRUE;
}

template <class F>
void ForEachChildInZOrder(HWND parent, F&& f)
{
    for (HWND child = GetTopWindow(parent); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD) f(child);
    }
}

} // namespace

void AlphaBroadCast(HWND handle, TMessage& message)
{
    const TacOwnSend own;
    BroadcastTarget target{handle, &message};
    EnumChildWindows(handle, &SendToDirectChild, reinterpret_cast<LPARAM>(&target));
}

void BroadCastMsg(HWND parent, TMessage& message)
{
    const TacOwnSend own;
    ForEachChildInZOrder(parent, [&](HWND child) { TrySendMessage(child, message.Msg, message.WParam, message.LParam); });
}

void SetParentUpdated(TWinControl* control)
{
    if (!control || control->ComponentState().Contains(csDesigning) || InAnimationProcess) return;
    const TacOwnSend own;
    for (int i = 0; i < control->ControlCount(); ++i) {
        TControl* child = control->Controls(i);
        if (Destroying(child)) continue;
        if (auto* windowed = dynamic_cast<TWinControl*>(child)) {
            if (windowed->HandleAllocated() && windowed->Showing())
                TrySendMessage(windowed->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_PARENTUPDATED), 0);
        } else {
            child->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_PARENTUPDATED), 0);
        }
    }
}

void SetParentUpdated(HWND handle)
{
    ForEachChildInZOrder(handle, [](HWND child) { SendAMessage(child, AC_PARENTUPDATED); });
}

void AddToAdapter(TWinControl* control)
{
    if (!control) return;
    const TComponentState state = control->ComponentState();
    if (state.Contains(csLoading) || state.Contains(csDesigning)) return;
    if (TCustomForm* form = GetParentForm(control))
        SendAMessage(form, AC_ADDTOADAPTER, reinterpret_cast<LPARAM>(control));
}

void RepaintOpaque(TControl* control, std::intptr_t& data)
{
    TrySendMessage(control, SM_ALPHACMD, MakeAlphaCmd(AC_FORCEOPAQUE, LoWord(static_cast<std::uintptr_t>(data))), 0);
}

void TrySetSkinSection(TControl* control, const UnicodeString& section)
{
    SendAMessage(control, AC_SETSECTION, reinterpret_cast<LPARAM>(&section));
}

void UpdateGlassMode(TControl* control, bool glass)
{
    if (!control) return;
    // The form's transparency: 2 while its system blur is on.
    WORD mode = 0;
    if (TCustomForm* form = GetParentForm(control)) {
        // The form's provider among its components (asking the form would send it a command).
        for (int i = 0; i < form->ComponentCount(); ++i) {
            auto* provider = dynamic_cast<TsSkinProvider*>(form->Components(i));
            if (provider && !provider->RTEmpty && provider->SkinData() && provider->SkinData()->TranspMode == 2) mode = 2;
        }
    }
    SendAMessage(control, AC_SETTRANSPMODE, static_cast<LPARAM>(MakeLong(glass ? 1 : 0, mode)));
}

HMODULE uxthemeLib = nullptr;
TSetWindowTheme ac_SetWindowTheme = nullptr;
TBeginBufferedPaint acBeginBufferedPaint = nullptr;
TEndBufferedPaint acEndBufferedPaint = nullptr;
TBufferedPaintSetAlpha acBufferedPaintSetAlpha = nullptr;
TStyleServices* acThemeServices = nullptr;

bool acThemesEnabled()
{
    acThemeServices = &StyleServices();
    return acThemeServices->Enabled();
}

namespace {

TacUnitCounter unitCounter;

template <class T>
void Bind(T& entry, const char* name)
{
    entry = uxthemeLib ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(uxthemeLib, name))) : nullptr;
}

void BindUxTheme()
{
    acThemeServices = &StyleServices();
    uxthemeLib = LoadLibraryW(L"UXTHEME");
    // Handles below 33 are error codes of the old loader, never a module.
    if (reinterpret_cast<std::uintptr_t>(uxthemeLib) < 33) uxthemeLib = nullptr;
    Bind(ac_SetWindowTheme, "SetWindowTheme");
    Bind(acBeginBufferedPaint, "BeginBufferedPaint");
    Bind(acEndBufferedPaint, "EndBufferedPaint");
    Bind(acBufferedPaintSetAlpha, "BufferedPaintSetAlpha");
}

void FreeUxTheme()
{
    ac_SetWindowTheme = nullptr;
    acBeginBufferedPaint = nullptr;
    acEndBufferedPaint = nullptr;
    acBufferedPaintSetAlpha = nullptr;
    if (uxthemeLib) FreeLibrary(uxthemeLib);
    uxthemeLib = nullptr;
}

} // namespace

void sVclUtilsInitialization()
{
    if (unitCounter.StartUp()) BindUxTheme();
}

void sVclUtilsFinalization()
{
    if (!unitCounter.ShutDown()) return;
    FreeHideTimer();
    FreeUxTheme();
}
