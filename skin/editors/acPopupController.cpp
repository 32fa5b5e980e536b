#include "acPopupController.h"

#include "SysUtils.h"
#include "acSBUtils.h"
#include "acScrollBar.h"
#include "acThdTimer.h"
#include "acUnitCounter.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sGradient.h"
#include "sGraphUtils.h"
#include "sGraphUtilsLayered.h"
#include "sGraphUtilsTemplate.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

TacUnitCounter acPopupControllerCounter;
TsPopupController* controller = nullptr;
std::unique_ptr<TBitmap> defaultShadow; // made on first use without an active skin

// SetWindowPos flags of the pop-up and its shadow: no size, move, redraw, activation, owner
// z-order or changing message; with the window shown, or only placed in the z-order.
constexpr UINT kShowFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_SHOWWINDOW |
                            SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;
constexpr UINT kBehindFlags = kShowFlags & ~static_cast<UINT>(SWP_SHOWWINDOW);
// The animation cover's placement.
constexpr UINT kCoverFlags = SWP_NOREDRAW | SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;
static_assert(kShowFlags == 0x65B && kBehindFlags == 0x61B && kCoverFlags == 0x708);
// A WM_WINDOWPOSCHANGING of another window that only brings it forward (a click on it).
constexpr UINT kActivationOnly = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;
// The opening animation's length in ShowForm.
constexpr WORD kAnimTime = 80;
// The default shadow image's radius.
constexpr int kShadowRadius = 17;
// RedrawWindow fails only for a window that is going: a few tries are enough.
constexpr int kRedrawTries = 3;

// Counts a handler's running procedures, so that a release never frees it under them.
class BusyScope {
public:
    explicit BusyScope(TacFormHandler& handler) : handler_(handler) { ++handler_.Busy; }
    ~BusyScope() { --handler_.Busy; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    TacFormHandler& handler_;
};

// Resets the animation flag however the animation ends.
class AnimationScope {
public:
    AnimationScope() { InAnimationProcess = true; }
    ~AnimationScope() { InAnimationProcess = false; }
    AnimationScope(const AnimationScope&) = delete;
    AnimationScope& operator=(const AnimationScope&) = delete;
};

bool IsDestroying(const TComponent* component)
{
    return component && component->ComponentState().Contains(csDestroying);
}

int RoundInt(double value) { return static_cast<int>(Round(static_cast<long double>(value))); }

// The skin data on a control's window, when it is a live object.
TsCommonData* WindowSkinData(TWinControl* control)
{
    if (!control || !control->HandleAllocated()) return nullptr;
    return GetCommonData(control->Handle());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TacShadowForm

TacShadowForm::TacShadowForm(TForm* owner) : TacGlowForm(owner), FOwnerForm(owner)
{
    SetTag(ExceptTag);
    if (!owner) return;
    OldWndProc = owner->WindowProc;
    owner->WindowProc = TWndMethod(this, &TacShadowForm::NewWndProc);
    sd = WindowSkinData(owner);
    if (sd) sd->WndProc = TWndMethod(this, &TacShadowForm::NewWndProc);
}

TacShadowForm::~TacShadowForm()
{
    // Freed with its owner form before KillShadow ran: the form must not call into a gone object.
    if (!FDestroyed) Unhook();
}

void TacShadowForm::Unhook()
{
    const TWndMethod mine(this, &TacShadowForm::NewWndProc);
    if (FOwnerForm && FOwnerForm->WindowProc == mine) FOwnerForm->WindowProc = OldWndProc;
    if (sd && CommonDataIsLive(sd) && sd->WndProc == mine) sd->WndProc = OldWndProc;
    sd = nullptr;
}

TsSkinManager* TacShadowForm::SkinManager() const
{
    if (sd && CommonDataIsLive(sd))
        if (TsSkinManager* manager = sd->GetSkinManager()) return manager;
    return DefaultManager;
}

TRect TacShadowForm::ShadowSize() const
{
    TsSkinManager* manager = SkinManager();
    if (manager && manager->IsActive()) {
        TacSkinData* data = sd && CommonDataIsLive(sd) ? sd->GetCommonSkinData() : nullptr;
        if (!data) data = manager->CommonSkinData(96);
        if (data) {
            const int s = data->WndShadowSize, o = data->WndShadowOffset;
            return TRect(s, std::max(0, s - o), s, std::max(0, s + o));
        }
    }
    return TRect(13, 13, 13, 13);
}

TBitmap* TacShadowForm::ShadowTemplate()
{
    TsSkinManager* manager = SkinManager();
    if (manager && manager->IsActive()) {
        TacSkinData* data = sd && CommonDataIsLive(sd) ? sd->GetCommonSkinData() : nullptr;
        if (!data) data = manager->CommonSkinData(96);
        if (data) return data->GetPassiveShadow();
    }
    // Soft over its whole radius: without a blur the fall-off ends one pixel from the centre,
    // and the strips around the form would stay empty.
    if (!defaultShadow)
        defaultShadow = MakeShadow(static_cast<TColor>(0x44000000), kShadowRadius, 2, 1, 0, kShadowRadius, false, true);
    return defaultShadow.get();
}

void TacShadowForm::HideWnd()
{
    Hide();
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
    Locked = true;
}

void TacShadowForm::SetNewPos(int left, int top, int width, int height, BYTE blend)
{
    if (FDestroyed || !FOwnerForm) return;
    FUserBlend = blend;
    const TRect s = ShadowSize();
    const int w = width + s.Left + s.Right, h = height + s.Top + s.Bottom;
    if (w <= 0 || h <= 0) return;
    auto bmp = CreateBmp32(w, h);
    FillRect32(bmp.get(), TRect(0, 0, w, h), clBlack, 0);
    if (TBitmap* t = ShadowTemplate(); t && !t->Empty()) {
        const int mx = (t->Width() - 1) / 2, my = (t->Height() - 1) / 2;
        PaintControlByTemplate(bmp.get(), t, TRect(0, 0, w, h), TRect(0, 0, t->Width(), t->Height()),
                               TRect(mx, my, mx, my), s, TRect(1, 1, 1, 1), true, true);
    }
    HWND wnd = Handle();
    const LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED)) SetWindowLongPtrW(wnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    SetBounds(left - s.Left, top - s.Top, w, h);
    BLENDFUNCTION bf{};
    InitBlendData(bf, blend);
    const TSize size(w, h);
    const TPoint pos(left - s.Left, top - s.Top);
    UpdateLayeredWnd(wnd, bmp.get(), &size, &bf, &pos);
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
    if (FOwnerForm->HandleAllocated()) SetWindowPos(wnd, FOwnerForm->Handle(), 0, 0, 0, 0, kShowFlags);
}

void TacShadowForm::UpdateShadowPos()
{
    if (Locked || FDestroyed || !FOwnerForm || !FOwnerForm->HandleAllocated()) return;
    HWND owner = FOwnerForm->Handle();
    if (!IsWindowVisible(owner)) return;
    RECT r{};
    GetWindowRect(owner, &r);
    const int blend = FUserBlend >= 0 ? FUserBlend : FOwnerForm->AlphaBlend() ? FOwnerForm->AlphaBlendValue() : 255;
    SetNewPos(r.left, r.top, FOwnerForm->Width(), FOwnerForm->Height(), static_cast<BYTE>(blend));
}

void TacShadowForm::KillShadow()
{
    if (FDestroyed) return;
    FDestroyed = true;
    Unhook();
    OldWndProc = TWndMethod();
    FOwnerForm = nullptr;
    HideWnd();
    Release();
}

void TacShadowForm::NewWndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE: HideWnd(); break;
    case WM_SHOWWINDOW:
        if (message.WParam == 0) HideWnd();
        break;
    case SM_ALPHACMD:
        if (AlphaCmdCode(message.WParam) == AC_POPUPSHOWING) {
            Locked = false;
            const auto* frame = reinterpret_cast<const TacPopupFrame*>(message.LParam);
            if (frame && frame->Height > 0) SetNewPos(frame->Left, frame->Top, frame->Width, frame->Height, frame->Alpha);
            return;
        }
        break;
    default: break;
    }
    // A copy: the message may kill the shadow on its way.
    const TWndMethod next = OldWndProc;
    if (next) next(message);
    switch (message.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
        if (FDestroyed || Locked) break;
        if (!FOwnerForm || !FOwnerForm->HandleAllocated() || !IsWindowVisible(FOwnerForm->Handle()))
            HideWnd();
        else
            UpdateShadowPos();
        break;
    default: break;
    }
}

TacShadowForm* AttachShadowForm(TForm* form, bool unlocked)
{
    if (!form) return nullptr;
    auto* shadow = new TacShadowForm(form);
    shadow->Locked = !unlocked;
    return shadow;
}

// ---------------------------------------------------------------------------------------------
// TacFormHandler

TacFormHandler::TacFormHandler(TForm* form, TWinControl* ctrl) { InitControls(form, ctrl); }

TacFormHandler::~TacFormHandler()
{
    // The controller goes (the unit's shut-down) while this pop-up is still hooked.
    try {
        UnInitControls();
    } catch (...) {
    }
    CheckTimer.reset();
}

void TacFormHandler::InitControls(TForm* form, TWinControl* ctrl)
{
    Closed = false;
    PopupForm = form;
    PopupCtrl = ctrl;
    ParentForm = ctrl ? dynamic_cast<TForm*>(::GetParentForm(ctrl)) : nullptr;
    if (ParentForm && ParentForm->FormStyle() == fsStayOnTop) form->SetFormStyle(fsStayOnTop);
    if (TsSkinProvider* provider = GetSkinProvider(form)) delete std::exchange(provider->ListSW, nullptr);
    FormWndProc = form->WindowProc;
    form->WindowProc = TWndMethod(this, &TacFormHandler::DoWndProc);
    if (TsCommonData* data = WindowSkinData(form)) data->WndProc = TWndMethod(this, &TacFormHandler::DoWndProc);
    if (ctrl) {
        CtrlWndProc = ctrl->WindowProc;
        ctrl->WindowProc = TWndMethod(this, &TacFormHandler::DoCtrlProc);
    }
    Initialized = true;
}

void TacFormHandler::UnInitControls()
{
    if (!Initialized) return;
    Initialized = false;
    if (CheckTimer) CheckTimer->SetEnabled(false);
    if (TForm* form = PopupForm) {
        // A form being destroyed keeps nothing of ours but gets its window procedure back; its
        // own members may already be gone.
        const bool destroying = IsDestroying(form);
        if (!destroying) {
            if (form->HandleAllocated())
                if (TacMainWnd* wrapper = Ac_GetScrollWndFromHwnd(form->Handle()))
                    UninitializeACWnd(form->Handle(), true, false, wrapper);
            if (ShadowForm) {
                ShadowForm->KillShadow();
                ShadowForm = nullptr;
            }
            if (TsCommonData* data = WindowSkinData(form);
                data && data->WndProc == TWndMethod(this, &TacFormHandler::DoWndProc))
                data->WndProc = FormWndProc;
        }
        form->WindowProc = FormWndProc;
        if (!destroying) {
            form->OnDeactivate = OldOnDeactivate;
            form->OnClose = OldOnClose;
        }
    }
    FormWndProc = TWndMethod();
    if (PopupCtrl) PopupCtrl->WindowProc = CtrlWndProc;
    CtrlWndProc = TWndMethod();
    OldOnClose = nullptr;
    OldOnDeactivate = nullptr;
    PopupForm = nullptr;
    PopupCtrl = nullptr;
    ParentForm = nullptr;
    ClientCtrl = nullptr;
}

TCloseAction TacFormHandler::CloseForm(bool doClose)
{
    const BusyScope busy(*this);
    if (CheckTimer) CheckTimer->SetEnabled(false);
    if (Closed) return caHide;
    if (ClosingForbidden || !PopupForm) return caNone;
    TForm* form = PopupForm;
    if (!form->CloseQuery()) return caNone;
    Closed = true;
    TCloseAction action = caHide;
    if (OldOnClose) {
        const TCloseEvent own = OldOnClose;
        own(form, action);
    }
    if (action == caNone) {
        Closed = false;
    } else {
        TWinControl* ctrl = PopupCtrl;
        TForm* parent = ParentForm;
        if (doClose && !IsDestroying(form)) {
            // A form to free goes once, after the messages queued now; its Close is not called
            // again, since that would come back here through OnClose.
            if (action == caHide || action == caFree) form->Hide();
            if (action == caFree) form->Release();
        }
        // A combo box as owner clears its drop-down state instead (added with the combo box).
        if (ctrl) SendAMessage(ctrl, AC_POPUPCLOSED, reinterpret_cast<LPARAM>(static_cast<TObject*>(form)));
        if (Application && !Application->Active() && parent && parent->HandleAllocated())
            SendMessageW(parent->Handle(), WM_NCACTIVATE, 0, 0);
    }
    UnInitControls();
    return action;
}

void TacFormHandler::DoTimer(TObject*)
{
    const BusyScope busy(*this);
    if (!PopupForm || (Controller && Controller->MousePressed)) return;
    if (!Application || !Application->Active()) {
        CloseForm(true);
        return;
    }
    HWND capture = GetCapture();
    if (SysPopupCount != 0 || !capture || !IsWindow(capture) || capture == CaptureHandle) return;
    if (PopupForm->HandleAllocated() && ContainsWnd(capture, PopupForm->Handle())) return;
    if (PopupCtrl && PopupCtrl->HandleAllocated() && ContainsWnd(capture, PopupCtrl->Handle())) return;
    if (Controller && Controller->HasChild(PopupForm)) return;
    CloseForm(true);
}

void TacFormHandler::DoWndProc(TMessage& message)
{
    const BusyScope busy(*this);
    const TWndMethod next = FormWndProc;
    switch (message.Msg) {
    case WM_DESTROY:
        if (next) next(message);
        UnInitControls();
        return;
    case WM_MOUSEACTIVATE:
        if (next) next(message);
        message.Result = MA_NOACTIVATE;
        return;
    case WM_WINDOWPOSCHANGING: {
        if (next) next(message);
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(message.LParam);
        if (!pos || !PopupForm || !PopupForm->HandleAllocated()) return;
        HWND own = PopupForm->Handle();
        if ((pos->flags == kActivationOnly && pos->hwnd != own) || ((pos->flags & SWP_HIDEWINDOW) && pos->hwnd == own))
            CloseForm(true);
        return;
    }
    case SM_ALPHACMD:
        if (AlphaCmdCode(message.WParam) == AC_REMOVESKIN) {
            if (next) next(message);
            UnInitControls();
            return;
        }
        break;
    default: break;
    }
    if (next) next(message);
}

void TacFormHandler::DoCtrlProc(TMessage& message)
{
    const BusyScope busy(*this);
    // Copies: closing the pop-up detaches this handler on the way.
    const TWndMethod next = CtrlWndProc;
    TWinControl* ctrl = PopupCtrl;
    switch (message.Msg) {
    case WM_MOUSEWHEEL:
        if (PopupForm) {
            PopupForm->DefaultHandler(message);
            return;
        }
        break;
    case WM_DESTROY:
        if (ShadowForm) {
            ShadowForm->KillShadow();
            ShadowForm = nullptr;
        }
        if (next) next(message);
        UnInitControls();
        if (Controller) Controller->RemoveFromSlots(this);
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case CM_CANCELMODE:
    case CM_FOCUSCHANGED:
        if (!Closed && PopupForm) {
            // A date edit as owner runs its close-up handler here (added with the date edit).
            if (message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK)
                TrySendMessage(ctrl, SM_ALPHACMD, MakeAlphaCmd(AC_POPUPCTRLPRESSED), 0);
            CloseForm(true);
        }
        break;
    case CN_KEYDOWN:
        if (message.WParam == VK_ESCAPE && !Closed) return;
        break;
    default: break;
    }
    if (next) next(message);
}

void TacFormHandler::UpdateRgnBmp(TBitmap* img)
{
    ClientCtrl = nullptr;
    if (!PopupForm || !img) return;
    for (int i = 0; i < PopupForm->ControlCount(); ++i) {
        auto* windowed = dynamic_cast<TWinControl*>(PopupForm->Controls(i));
        if (windowed && windowed->Align() == alClient) {
            ClientCtrl = windowed;
            break;
        }
    }
    if (!ClientCtrl || img->Width() != ClientCtrl->Width() || img->Height() != ClientCtrl->Height()) return;
    auto* data = reinterpret_cast<TsCommonData*>(SendAMessage(ClientCtrl, AC_GETCOMMONDATA));
    if (!data || !CommonDataIsLive(data) || !data->Skinned()) return;
    if (HRGN rgn = GetTransCornersRgn(data->SkinIndex, img, data->GetCommonSkinData()))
        SetWindowRgn(PopupForm->Handle(), rgn, FALSE); // the window takes the region over
}

// ---------------------------------------------------------------------------------------------
// TsPopupController

TsPopupController::TsPopupController(TComponent* owner) : TComponent(owner) {}

TsPopupController::~TsPopupController()
{
    FormHandlers.clear();
    handlers_.clear();
}

void TsPopupController::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    // Nothing of ours may point at a component that is gone.
    for (const auto& handler : handlers_) {
        if (handler->ShadowForm == component) handler->ShadowForm = nullptr;
        if (handler->PopupForm == component) handler->PopupForm = nullptr;
        if (handler->PopupCtrl == component) handler->PopupCtrl = nullptr;
        if (handler->ParentForm == component) handler->ParentForm = nullptr;
        if (handler->ClientCtrl == component) handler->ClientCtrl = nullptr;
    }
}

TacFormHandler* TsPopupController::HandlerOf(TCustomForm* form) const
{
    const int i = GetFormIndex(form);
    return i < 0 ? nullptr : FormHandlers[static_cast<size_t>(i)];
}

int TsPopupController::GetFormIndex(TCustomForm* form) const
{
    if (!form) return -1;
    for (size_t i = 0; i < FormHandlers.size(); ++i)
        if (FormHandlers[i] && FormHandlers[i]->PopupForm == form) return static_cast<int>(i);
    return -1;
}

int TsPopupController::PopupCount(TCustomForm* except) const
{
    int count = 0;
    for (const TacFormHandler* handler : FormHandlers)
        if (handler && handler->PopupForm && handler->PopupForm != except && handler->PopupForm->HandleAllocated() &&
            IsWindowVisible(handler->PopupForm->Handle()))
            ++count;
    return count;
}

int TsPopupController::PopupChildCount(TCustomForm* form) const
{
    int count = 0;
    for (const TacFormHandler* handler : FormHandlers)
        if (handler && handler->PopupForm && handler->ParentForm == form && handler->PopupForm->HandleAllocated() &&
            IsWindowVisible(handler->PopupForm->Handle()))
            ++count;
    return count;
}

bool TsPopupController::HasChild(TCustomForm* form) const
{
    for (const TacFormHandler* handler : FormHandlers)
        if (handler && handler->PopupForm && handler->PopupForm != form && handler->PopupCtrl &&
            ::GetParentForm(handler->PopupCtrl) == form)
            return true;
    return false;
}

void TsPopupController::ClosingForbide(TCustomForm* form)
{
    for (TacFormHandler* handler : FormHandlers)
        if (handler && handler->PopupForm == form) handler->ClosingForbidden = true;
}

void TsPopupController::ClosingAllow(TCustomForm* form)
{
    for (TacFormHandler* handler : FormHandlers)
        if (handler && handler->PopupForm == form) handler->ClosingForbidden = false;
}

void TsPopupController::RemoveFromSlots(TacFormHandler* handler)
{
    std::replace(FormHandlers.begin(), FormHandlers.end(), handler, static_cast<TacFormHandler*>(nullptr));
}

int TsPopupController::InitFormHandler(TForm* form, TWinControl* ctrl)
{
    int i = GetFormIndex(form);
    if (i < 0) {
        auto owned = std::make_unique<TacFormHandler>(form, ctrl);
        TacFormHandler* handler = owned.get();
        handler->Controller = this;
        handlers_.push_back(std::move(owned));
        FormHandlers.push_back(handler);
        i = static_cast<int>(FormHandlers.size()) - 1;
        // The form's own handlers are kept and given back when the handler detaches; the
        // installed ones capture only this controller.
        handler->OldOnDeactivate = form->OnDeactivate;
        form->OnDeactivate = [this](TObject* sender) { DoDeactivate(sender); };
        if (form->OnClose && !handler->OldOnClose) handler->OldOnClose = form->OnClose;
        form->OnClose = [this](TObject* sender, TCloseAction& action) { DoClose(sender, action); };
        form->FreeNotification(this);
        if (ctrl) ctrl->FreeNotification(this);
        if (handler->ParentForm) handler->ParentForm->FreeNotification(this);
    }
    TacFormHandler* handler = FormHandlers[static_cast<size_t>(i)];
    handler->Closed = false;
    if (!handler->ShadowForm) {
        handler->ShadowForm = AttachShadowForm(form, false);
        handler->ShadowForm->FreeNotification(this);
    }
    return i;
}

void TsPopupController::DoClose(TObject* sender, TCloseAction& action)
{
    if (TacFormHandler* handler = HandlerOf(dynamic_cast<TCustomForm*>(sender))) action = handler->CloseForm(false);
}

void TsPopupController::DoDeactivate(TObject* sender)
{
    auto* form = dynamic_cast<TCustomForm*>(sender);
    TacFormHandler* handler = HandlerOf(form);
    if (!handler) return;
    if (handler->OldOnDeactivate) {
        const TNotifyEvent own = handler->OldOnDeactivate;
        own(sender);
        handler = HandlerOf(form); // the form's own handler may have closed it
    }
    if (handler) handler->CloseForm(true);
}

void TsPopupController::KillAllForms(TComponent* except)
{
    TCustomForm* keep = except ? GetOwnerForm(except->Owner()) : nullptr;
    // By index: closing a form may show or free others.
    for (size_t i = 0; i < FormHandlers.size(); ++i) {
        TacFormHandler* handler = FormHandlers[i];
        if (!handler || handler->ClosingForbidden || !handler->PopupForm) continue;
        TForm* form = handler->PopupForm;
        if (form != keep && form->Visible()) form->Close();
    }
    if (PopupCount(nullptr) == 0) ReleaseHandlers();
}

void TsPopupController::ReleaseHandlers()
{
    for (size_t i = 0; i < handlers_.size();) {
        TacFormHandler* handler = handlers_[i].get();
        if (handler->Initialized || handler->ClosingForbidden || handler->Busy > 0) {
            ++i;
            continue;
        }
        RemoveFromSlots(handler);
        handlers_.erase(handlers_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (std::all_of(FormHandlers.begin(), FormHandlers.end(), [](const TacFormHandler* h) { return h == nullptr; }))
        FormHandlers.clear();
}

void TsPopupController::ShowForm(TForm* form, TWinControl* ctrl, int left, int top, bool animated)
{
    if (form && ctrl && !SkipOpen) {
        TsSkinProvider* provider = GetSkinProvider(form);
        bool animate = animated && DefaultManager && DefaultManager->IsActive() &&
                       DefaultManager->Effects()->AllowAnimation();
        if (provider) {
            animate = animate && provider->AllowAnimation;
            provider->AllowAnimation = false;
        }
        PlaceAndShow(form, ctrl, nullptr, left, top, animate);
        if (provider) provider->AllowAnimation = animate;
    }
    SkipOpen = false;
}

void TsPopupController::ShowFormPos(TForm* form, const TPoint& pos, bool animated)
{
    if (form && !SkipOpen) {
        TsSkinProvider* provider = GetSkinProvider(form);
        const bool saved = provider ? provider->AllowAnimation : false;
        const bool animate = animated && DefaultManager && DefaultManager->IsActive() &&
                             DefaultManager->Effects()->AllowAnimation();
        if (provider) provider->AllowAnimation = false;
        PlaceAndShow(form, nullptr, &pos, -1, -1, animate);
        if (provider) provider->AllowAnimation = saved;
    }
    SkipOpen = false;
}

void TsPopupController::PlaceAndShow(TForm* form, TWinControl* ctrl, const TPoint* pos, int left, int top,
                                     bool animated)
{
    TsSkinProvider* provider = GetSkinProvider(form);
    form->SetVisible(false);
    form->SetPosition(poDesigned);
    const BYTE blend = form->AlphaBlend() ? form->AlphaBlendValue() : 255;
    if (form->BorderStyle() != bsNone) {
        const int height = form->Height();
        const int caption = provider ? SysCaptHeight(provider, 0) : 32;
        form->SetBorderStyle(bsNone);
        form->SetHeight(height - caption);
    }

    TacFormHandler* handler = FormHandlers[static_cast<size_t>(InitFormHandler(form, ctrl))];
    handler->CaptureHandle = IgnoreCapture ? nullptr : GetCapture();
    if (!handler->CheckTimer) {
        handler->CheckTimer = std::make_unique<TacThreadedTimer>(nullptr);
        handler->CheckTimer->SetInterval(pos ? 100 : 10);
        handler->CheckTimer->SetOnTimer([handler](TObject* sender) { handler->DoTimer(sender); });
    }
    handler->CheckTimer->SetEnabled(true);

    HWND wnd = form->Handle();
    SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) | WS_CLIPSIBLINGS | WS_POPUP);
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    DoLayered(wnd, true, 1);
    if (DefaultManager && (pos || ((!provider || provider->AllowScale) && !form->Scaled())))
        DefaultManager->UpdateScale(form, 96, 0);

    TRect work;
    if (pos) {
        work = acWorkRect(*pos);
        left = pos->X;
        top = pos->Y - 2;
    } else {
        RECT r{};
        GetWindowRect(ctrl->Handle(), &r);
        work = acWorkRect(TPoint(r.left, r.top));
        if (left == -1 && top == -1) {
            top = r.bottom;
            left = ctrl->BiDiMode() == bdRightToLeft ? r.right - form->Width() : r.left;
        }
    }
    form->SetBounds(left, top, form->Width(), form->Height());
    if (top + form->Height() > work.Bottom) {
        int bottom = pos ? pos->Y - 1 : 0;
        if (!pos) {
            RECT r{};
            GetWindowRect(ctrl->Handle(), &r);
            bottom = r.top - 1;
        }
        top = std::max<int>(bottom - form->ClientHeight(), work.Top);
        form->SetBounds(left, top, form->Width(), form->Height());
        AnimDirection = 1;
    } else {
        AnimDirection = 0;
    }
    // A form is moved left into the work area, never right.
    const int right = pos ? work.Right - 1 : work.Right;
    if (left + form->Width() > right) {
        left = right - form->ClientWidth();
        form->SetBounds(left, top, form->Width(), form->Height());
        AnimDirection |= 2;
    }

    SetWindowPos(wnd, TopWndAfter(), 0, 0, 0, 0, kShowFlags);
    form->SetVisible(true);
    // The form's OnShow may have closed it again.
    handler = HandlerOf(form);
    if (!handler) return;
    if (animated) {
        AnimShowPopup(form, kAnimTime, blend);
    } else {
        DoLayered(wnd, false, 1);
        SetParentUpdated(form);
        if (provider && provider->FCommonData && provider->FCommonData->Skinned())
            SetWindowPos(wnd, TopWndAfter(), 0, 0, 0, 0, kShowFlags);
        else
            ShowWindow(wnd, DoSetFocus ? SW_SHOW : SW_SHOWNOACTIVATE);
        if (handler->ShadowForm) handler->ShadowForm->Locked = false;
    }
    handler = HandlerOf(form);
    if (handler && handler->ShadowForm && !handler->ShadowForm->FDestroyed) handler->ShadowForm->UpdateShadowPos();
}

void TsPopupController::AnimShowPopup(TForm* form, WORD time, BYTE blend)
{
    if (!form) return;
    TacFormHandler* handler = HandlerOf(form);
    auto cover = std::make_unique<TacGlowForm>(nullptr);
    const AnimationScope animating;
    const int wd = form->Width(), h = form->Height();
    auto img = CreateBmp32(wd, h);
    SkinPaintTo(img.get(), form);
    FillAlphaRect(img.get(), TRect(0, 0, wd, h), 255, clNone);

    const int steps = AnimSteps(time);
    const double target = form->AlphaBlend() ? form->AlphaBlendValue() : 255;
    double alpha = steps > 0 ? 0 : target;
    BLENDFUNCTION bf{};
    InitBlendData(bf, static_cast<std::uint8_t>(RoundInt(alpha)));

    HWND formWnd = form->Handle();
    RECT r{};
    GetWindowRect(formWnd, &r);
    const UINT activation = DoSetFocus ? 0 : SWP_NOACTIVATE;
    HWND coverWnd = cover->Handle();
    SetWindowLongPtrW(coverWnd, GWL_EXSTYLE, GetWindowLongPtrW(coverWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    const TSize size(wd, h);
    UpdateLayeredWnd(coverWnd, img.get(), &size, &bf, nullptr);
    SetWindowPos(coverWnd, HWND_TOPMOST, r.left, r.top, wd, h, kCoverFlags | activation);
    if (handler) handler->UpdateRgnBmp(img.get());
    ShowWindow(coverWnd, DoSetFocus ? SW_SHOW : SW_SHOWNOACTIVATE);

    if (steps > 0) {
        auto frame = CreateBmp32(wd, h);
        FillRect32(frame.get(), TRect(0, 0, wd, h), clBlack, 0);
        HDC frameDC = frame->Canvas()->Handle();
        SetStretchBltMode(frameDC, COLORONCOLOR);
        const double cw = handler && handler->PopupCtrl ? handler->PopupCtrl->Width() : 0;
        const bool above = AnimDirection & 1;
        const bool shifted = AnimDirection & 2;
        double y1 = above ? h : 0, y2 = y1, dy = h / 2.0;
        double x1 = shifted ? wd - cw : 0, x2 = shifted ? wd : cw;
        // Shifted or not, the band starts half the distance still to cover.
        double dx = (wd - cw) / 2;
        for (int k = 0; k <= steps; ++k) {
            alpha = std::min(alpha + target / steps, target);
            bf.SourceConstantAlpha = static_cast<BYTE>(RoundInt(alpha));
            const int fx = RoundInt(x1), fy = RoundInt(y1), fw = RoundInt(x2 - x1), fh = RoundInt(y2 - y1);
            if (fw > 0 && fh > 0)
                StretchBlt(frameDC, fx, fy, fw, fh, img->Canvas()->Handle(), 0, 0, wd, h, SRCCOPY);
            GdiFlush();
            const DWORD t0 = GetTickCount();
            UpdateLayeredWnd(coverWnd, frame.get(), &size, &bf, nullptr);
            TacPopupFrame bounds{form->Left() + fx, form->Top() + fy, fw, fh, bf.SourceConstantAlpha};
            SendMessageW(formWnd, SM_ALPHACMD, MakeAlphaCmd(AC_POPUPSHOWING), reinterpret_cast<LPARAM>(&bounds));
            if (above) {
                y1 = dy;
                y2 = h;
            } else {
                y1 = 0;
                y2 = h - dy;
            }
            if (shifted) {
                x1 = dx;
                x2 = wd;
            } else {
                x1 = 0;
                x2 = wd - dx;
            }
            dx /= 2;
            dy /= 2;
            WaitTicks(t0, acAnimStepTime);
        }
    }

    SetWindowPos(coverWnd, nullptr, r.left, r.top, wd, h, kCoverFlags | activation | SWP_NOZORDER);
    bf.SourceConstantAlpha = static_cast<BYTE>(RoundInt(target));
    UpdateLayeredWnd(coverWnd, img.get(), &size, &bf, nullptr);

    if (!IsWindow(formWnd)) return;
    DoLayered(formWnd, true, blend);
    if (!IsWindowVisible(formWnd)) ShowWindow(formWnd, SW_SHOWNOACTIVATE);
    SetWindowPos(formWnd, coverWnd, 0, 0, 0, 0, kBehindFlags);
    if (DoSetFocus) SetFocus(formWnd);

    InAnimationProcess = false;
    for (int i = 0; i < kRedrawTries && IsWindow(formWnd); ++i)
        if (RedrawWindow(formWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW))
            break;
    img.reset();
    if (AeroIsEnabled()) Sleep(24);
    SetWindowPos(coverWnd, formWnd, 0, 0, 0, 0, kBehindFlags);
}

// ---------------------------------------------------------------------------------------------
// Unit routines

TsPopupController* GetIntController()
{
    if (!controller) controller = new TsPopupController(nullptr);
    return controller;
}

void ShowPopupForm(TForm* form, TWinControl* ctrl, int left, int top, bool animated)
{
    GetIntController()->ShowForm(form, ctrl, left, top, animated);
}

void ShowPopupForm(TForm* form, const TPoint& pos, bool animated)
{
    TsPopupController* c = GetIntController();
    c->KillAllForms(form);
    c->ShowFormPos(form, pos, animated);
}

void acPopupControllerInitialization() { acPopupControllerCounter.StartUp(); }

void acPopupControllerFinalization()
{
    if (!acPopupControllerCounter.ShutDown()) return;
    delete controller;
    controller = nullptr;
    defaultShadow.reset();
}
