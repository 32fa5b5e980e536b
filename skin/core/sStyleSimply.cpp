#include "sStyleSimply.h"

#include "Forms.h"
#include "acDials.h"
#include "acUnitCounter.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <algorithm>

std::vector<TComponent*> HookedComponents;
std::unique_ptr<TIcon> AppIcon;
std::unique_ptr<TIcon> AppIconLarge;

const TacSectionNames acSectNames{
    L"MENUITEM",      L"CHECKBOX",        L"SPEEDBUTTON",   L"SPEEDBUTTON_SMALL", L"TOOLBUTTON",    L"TRANSPARENT",
    L"GROUPBOX",      L"DIVIDER",         L"WEBBUTTON",     L"BUTTON",            L"COMBONOEDIT",   L"BUTTON_HUGE",
    L"TOOLBAR",       L"EDIT",            L"GAUGE",         L"SELECTION",         L"STATUSBAR",     L"PANEL",
    L"PANEL_LOW",     L"TRACKBAR",        L"PROGRESSV",     L"DRAGBAR",           L"GRIPH",         L"GRIPV",
    L"PROGRESSH",     L"TABSHEET",        L"COMBOBOX",      L"CAPTION",           L"MAINMENU",      L"SPLITTER",
    L"COMBOBTN",      L"FORMTITLE",       L"HINT",          L"DIVIDERV",          L"PAGECONTROL",   L"TABTOP",
    L"BARPANEL",      L"BARTITLE",        L"SCROLLBTNLEFT", L"SCROLLBTNTOP",      L"SCROLLBTNRIGHT", L"SCROLLBTNBOTTOM",
    L"SCROLLBAR1H",   L"SCROLLBAR1V",     L"SCROLLBAR2H",   L"SCROLLBAR2V",       L"SCROLLSLIDERH", L"SCROLLSLIDERV",
    L"SLIDER_OFF",    L"SLIDER_ON",       L"THUMB_ON",      L"THUMB_OFF",         L"MENUCAPTION",   L"DIALOGTITLE",
    L"MENUBTN",       L"MENULINE",        L"FORMHEADER",    L"TB_BTN",            L"TB_MENUBTN",    L"TB_TAB",
    L"COLHEADER",     L"COLHEADERA",      L"COLHEADERL",    L"COLHEADERR",        L"UPDOWNBTN"};

const std::array<int, 13> acAuxReplacement{12, 31, 2, 55, 56, 4, 58, 35, 9, 60, 60, 60, 9};

const std::array<std::wstring_view, 13> acTitleGlyphs{
    L"BICLOSEALONE", L"BICONCLOSE", L"BICONMAX", L"BICONMIN",  L"BICONNORM",  L"BICONHELP", L"SICONCLOSE",
    L"SICONMAX",     L"SICONMIN",   L"SICONNORM", L"SICONHELP", L"TITLEBUTTON", L""};

const std::array<std::wstring_view, 2> ProgArray{L"PROGVERT", L"PROGHORZ"};
const std::array<std::wstring_view, 2> ThickArray{L"TICKVERT", L"TICKHORZ"};

const std::array<std::wstring_view, 19> acDefSections{
    L"EDIT",     L"BUTTON",   L"TRANSPARENT", L"TOOLBAR",   L"CHECKBOX",    L"COMBOBOX",  L"GAUGE",
    L"SLIDER_ON", L"GROUPBOX", L"PAGECONTROL", L"TABSHEET", L"PANEL",       L"FORM",      L"PANEL_LOW",
    L"SPEEDBUTTON", L"SPLITTER", L"STATUSBAR", L"TRACKBAR", L"COMBONOEDIT"};

namespace {

bool Destroying(const TComponent* component) { return component->ComponentState().Contains(csDestroying); }

bool AppMinimized()
{
    if (!Application) return false;
    if (Application->Handle() && IsIconic(Application->Handle())) return true;
    TCustomForm* mainForm = Application->MainForm();
    return mainForm && mainForm->HandleAllocated() && IsIconic(mainForm->Handle());
}

// The form, its child controls and (for an MDI frame) its client window. The framework has no
// MDI forms yet, so there is no client window to reach.
void DeliverToForm(TCustomForm* form, TMessage& message)
{
    // A form without a window is not given one just to hear a broadcast.
    const TacOwnSend own;
    if (form->HandleAllocated()) SendMessageW(form->Handle(), message.Msg, message.WParam, message.LParam);
    AlphaBroadCast(form, message);
}

void SetSkinChangingFlag(TsSkinManager* manager)
{
    if (manager == DefaultManager && manager->AnimEffects()->SkinChanging()->Active) InAnimationProcess = true;
}

constexpr UINT FullRedraw = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME;

BYTE FormBlend(TCustomForm* form) { return form->AlphaBlend() ? form->AlphaBlendValue() : 255; }

// Title height seen at the last re-maximising check, for the whole process.
int lastTitleHeight = -1;

void ShowUnlocked(TsSkinProvider* provider, TsSkinManager* manager)
{
    TForm* form = provider->Form;
    HWND handle = form->Handle();
    const TacSkinChanging* effect = manager->AnimEffects()->SkinChanging();
    if (effect->Active) {
        if (provider->OwnLayeredFrame)
            AnimShowForm(provider, effect->Time, FormBlend(form), effect->Mode == atAero ? atAero : atFading);
        else
            AnimShowForm(provider, 0, 255, atFading);
    }
    provider->SetFormState(provider->FFormState & ~FS_COPYING);
    if (provider->BorderForm && IsZoomed(handle)) {
        const int titleHeight = SkinTitleHeight(provider->BorderForm);
        if (titleHeight != lastTitleHeight) {
            lastTitleHeight = titleHeight;
            HWND active = GetActiveWindow();
            const LONG_PTR style = GetWindowLongPtrW(handle, GWL_STYLE);
            SetWindowLongPtrW(handle, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
            ShowWindow(handle, SW_MAXIMIZE);
            SetWindowLongPtrW(handle, GWL_STYLE, GetWindowLongPtrW(handle, GWL_STYLE) | WS_VISIBLE);
            if (active && active != handle) SetActiveWindow(active);
        }
    }
    if (provider->OwnLayeredFrame) {
        if (!AeroIsEnabled()) SetWindowRgn(handle, nullptr, FALSE);
        UpdateRgn(provider, false);
        RedrawWindow(handle, nullptr, nullptr, FullRedraw);
        TacBorderForm* border = provider->BorderForm;
        if (border && border->AForm && border->AForm->HandleAllocated() && IsWindowVisible(border->AForm->Handle())) {
            SetWindowRgn(border->AForm->Handle(), border->MakeRgn(), FALSE);
            border->UpdateExBordersPos(true, FormBlend(form));
        }
    } else {
        RedrawWindow(handle, nullptr, nullptr, FullRedraw);
    }
}

} // namespace

bool SectionInArray(const TacSectionNames& names, std::wstring_view value, int first, int last)
{
    if (last < first) return false;
    first = std::max(first, 0);
    last = std::min(last, static_cast<int>(names.size()) - 1);
    for (int i = first; i <= last; ++i) {
        if (names[static_cast<size_t>(i)] == value) return true;
    }
    return false;
}

void IntSkinForm(TComponent* form) { HookedComponents.push_back(form); }

void IntUnSkinForm(TComponent* form)
{
    // Every occurrence goes; swapping the last entry into a freed slot could leave one behind.
    HookedComponents.erase(std::remove(HookedComponents.begin(), HookedComponents.end(), form),
                           HookedComponents.end());
}

void IterateForms(TsSkinManager* manager, const TacFormProc& proc, std::intptr_t param)
{
    for (size_t i = 0; i < HookedComponents.size(); ++i) {
        auto* form = dynamic_cast<TCustomForm*>(HookedComponents[i]);
        if (!form || form->FormStyle() == fsMDIChild || form->Parent() || !form->HandleAllocated() ||
            !form->Visible() || IsIconic(form->Handle()))
            continue;
        auto* provider = reinterpret_cast<TsSkinProvider*>(SendAMessage(form, AC_GETPROVIDER));
        if (provider && provider->FCommonData && provider->FCommonData->GetSkinManager() == manager)
            proc(provider, param);
    }
}

void AppBroadCastS(TMessage& message)
{
    if (Application) {
        int count = Application->ComponentCount();
        for (int i = count - 1; i >= 0; --i) {
            const int now = Application->ComponentCount();
            if (now < count || i >= now) break;
            count = now;
            auto* form = dynamic_cast<TCustomForm*>(Application->Components(i));
            if (!form || form->FormStyle() == fsMDIChild) continue;
            const TComponentState state = form->ComponentState();
            if (state.Contains(csLoading) || state.Contains(csDestroying)) continue;
            if (form->HandleAllocated() && WndIsSkinned(form->Handle())) continue;
            DeliverToForm(form, message);
            if (form->FormStyle() == fsMDIForm && form->ClientHandle()) {
                const TacOwnSend own;
                SendMessageW(form->ClientHandle(), message.Msg, message.WParam, message.LParam);
            }
        }
    }
    SendToHooked(message);
}

void SendToHooked(TMessage& message)
{
    for (size_t i = 0; i < HookedComponents.size(); ++i) {
        auto* form = dynamic_cast<TCustomForm*>(HookedComponents[i]);
        if (form && !Destroying(form)) DeliverToForm(form, message);
    }
    for (size_t i = 0; i < acSupportedList.size(); ++i) {
        HWND window = acSupportedList[i] ? acSupportedList[i]->CtrlHandle : nullptr;
        if (window && IsWindowVisible(window)) TrySendMessage(window, message.Msg, message.WParam, message.LParam);
    }
}

void CopyExForms(TsSkinManager* manager)
{
    if (!manager || AppMinimized()) return;
    const TComponentState state = manager->ComponentState();
    if (state.Contains(csLoading) || state.Contains(csReading) || state.Contains(csDesigning)) return;
    SetSkinChangingFlag(manager);
    IterateForms(
        manager,
        [](TsSkinProvider* provider, std::intptr_t) {
            if (provider->BorderForm) {
                provider->SetFormState(provider->FFormState | FS_COPYING);
                provider->FormImage = GetFormImage(provider, false);
                provider->SetFormState(provider->FFormState & ~FS_COPYING);
                provider->FCommonData->BGChanged = true;
            }
            provider->Freezing = true;
        },
        0);
}

void LockForms(TsSkinManager* manager)
{
    if (!manager || AppMinimized()) return;
    SetSkinChangingFlag(manager);
    IterateForms(
        manager,
        [](TsSkinProvider* provider, std::intptr_t) {
            provider->Freezing = true;
            provider->SetFormState(provider->FFormState | FS_FROZEN);
            TForm* form = provider->Form;
            TacBorderForm* border = provider->BorderForm;
            if (border && !border->Hidden && border->AForm && provider->FormImage) {
                HWND window = border->AForm->Handle();
                SetFormBlendValue(window, provider->FormImage.get(), FormBlend(form));
                SetWindowPos(window, nullptr, form->Left(), form->Top(), 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
            }
            SendMessageW(form->Handle(), WM_SETREDRAW, 0, 0);
        },
        0);
}

void UnLockForms(TsSkinManager* manager, bool animate)
{
    if (!manager || AppMinimized()) return;
    if (manager == DefaultManager) InAnimationProcess = false;
    IterateForms(
        manager,
        [](TsSkinProvider* provider, std::intptr_t) {
            if (provider->FFormState & FS_FROZEN) provider->Form->Perform(WM_SETREDRAW, 1, 0);
        },
        0);
    IterateForms(
        manager,
        [manager, animate](TsSkinProvider* provider, std::intptr_t) {
            TForm* form = provider->Form;
            if (!(provider->FFormState & FS_FROZEN) || IsIconic(form->Handle()) || Destroying(form)) return;
            provider->Freezing = false;
            if (!animate) {
                provider->SetFormState(provider->FFormState & ~FS_COPYING);
                SendMessageW(form->Handle(), WM_SETREDRAW, 1, 0);
            } else {
                ShowUnlocked(provider, manager);
            }
            provider->SetFormState(provider->FFormState & ~FS_FROZEN);
        },
        0);
}

namespace {
TacUnitCounter unitCounter;
}

void sStyleSimplyInitialization()
{
    if (!unitCounter.StartUp()) return;
    AppIcon = GetIconForFile(ParamStr(0), true);
    AppIconLarge = GetIconForFile(ParamStr(0), false);
}

void sStyleSimplyFinalization()
{
    if (!unitCounter.ShutDown()) return;
    AppIcon.reset();
    AppIconLarge.reset();
    HookedComponents.clear();
}
