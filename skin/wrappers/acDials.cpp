// The CBT hook, the decision which windows are skinned here, and the lists of providers and menu
// wrappers with their one owner.
#include "acDials.h"

#include "acntUtils.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sDefaults.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <algorithm>

std::vector<TacProvider*> acSupportedList;
HHOOK HookCallback = nullptr;
TacMnuArray MnuArray;

namespace {

bool ApplicationGone()
{
    return !Application || Application->ComponentState().Contains(csDestroying);
}

// A real parent (a child window's); the owner of a pop-up does not count.
bool HasParentWindow(HWND window)
{
    const HWND parent = GetAncestor(window, GA_PARENT);
    return parent && parent != GetDesktopWindow();
}

// A form being created counts as one without a handle: the framework attaches the handle before
// the window is announced to this hook, but the form is not ready for a provider yet.
bool Usable(const TCustomForm* form)
{
    return form && !form->ComponentState().Contains(csDestroying) && !form->ControlState().Contains(csCreating) &&
           form->HandleAllocated();
}

// The MDI children of an MDI parent form, as the screen knows them.
std::vector<TCustomForm*> MDIChildrenOf(TCustomForm* parent)
{
    std::vector<TCustomForm*> children;
    if (!Screen || !Usable(parent) || parent->FormStyle() != fsMDIForm) return children;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* form = Screen->Forms(i);
        if (form != parent && Usable(form) && form->FormStyle() == fsMDIChild && IsChild(parent->Handle(), form->Handle()))
            children.push_back(form);
    }
    return children;
}

// The framework form of a window: by its handle, or the MDI parent of one of its children.
TCustomForm* FormOfWindow(HWND window)
{
    if (!Screen) return nullptr;
    for (int i = Screen->FormCount() - 1; i >= 0; --i) {
        TCustomForm* form = Screen->Forms(i);
        if (!Usable(form)) continue;
        if (form->Handle() == window) return form;
        if (form->FormStyle() == fsMDIForm)
            for (TCustomForm* child : MDIChildrenOf(form))
                if (child->Handle() == window) return form;
    }
    return nullptr;
}

bool KnownWindow(HWND window)
{
    if (Application && Application->Terminated()) return false;
    return std::any_of(acSupportedList.begin(), acSupportedList.end(),
                       [window](const TacProvider* p) { return p && p->CtrlHandle == window; });
}

int VisibleDialogCount()
{
    return static_cast<int>(std::count_if(acSupportedList.begin(), acSupportedList.end(), [](const TacProvider* p) {
        return p && p->ListSW && p->ListSW->CtrlHandle && IsWindowVisible(p->ListSW->CtrlHandle);
    }));
}

bool InSkipList(const UnicodeString& className)
{
    if (!ThirdPartySkipForms) return false;
    for (int i = 0; i < ThirdPartySkipForms->Count(); ++i)
        if (ThirdPartySkipForms->Strings(i) == className) return true;
    return false;
}

void AddFormProvider(TCustomForm* form)
{
    auto* provider = new TacProvider(form);
    acSupportedList.push_back(provider);
    provider->InitForm(form);
}

bool AddForm(TCustomForm* form, const UnicodeString& className)
{
    if ((form->Tag() & ExceptTag) == ExceptTag) return true;
    if (InSkipList(className)) return false;
    const TacSkinningRule rule = className == L"TMessageForm" ? srStdDialogs : srStdForms;
    if (!DefaultManager->SkinningRules().Contains(rule)) return false;
    // A window skinned already (a form met again through one of its MDI children) keeps the
    // provider it has.
    if (!WndIsSkinned(form->Handle())) AddFormProvider(form);
    for (TCustomForm* child : MDIChildrenOf(form))
        if (!WndIsSkinned(child->Handle())) AddFormProvider(child);
    return true;
}

bool AddDialog(HWND window, const UnicodeString& className)
{
    if ((className != L"#32770" && className != L"NativeHWNDHost") || HasParentWindow(window)) return true;
    if (!DefaultManager->SkinningRules().Contains(srStdDialogs)) return false;
    CleanSupportedList();
    if (VisibleDialogCount() >= ac_DialogsLevel && !HasDescendantOfClass(window, L"toolbarwindow32")) return false;
    bool allow = true;
    if (DefaultManager->OnSysDlgInit) {
        DefaultManager->OnSysDlgInit(TacSysDlgData{window}, allow);
        if (!allow) return false;
    }
    auto provider = std::make_unique<TacProvider>();
    provider->CtrlHandle = window;
    if (provider->InitSkin(window)) acSupportedList.push_back(provider.release());
    return true;
}

UnicodeString CreateClassName(const CREATESTRUCTW* cs)
{
    if (!cs || !cs->lpszClass || IS_INTRESOURCE(cs->lpszClass)) return {};
    return cs->lpszClass;
}

void HookMenuWindow(HWND window)
{
    if (!IsWinVistaUp() || !DefaultManager || !DefaultManager->SkinnedPopups() || WndIsSkinned(window)) return;
    TacSkinParams params;
    params.SkinSection = L"MAINMENU";
    if (TacMainWnd* wrapper = CreateWrapperOfKind(TacWrapperKind::Mnu, window, nullptr, DefaultManager, params, false)) {
        wrapper->CtrlHandle = window;
        MnuArray.push_back(wrapper);
    }
}

void HookCreatedWindow(HWND window, const CBT_CREATEWNDW* create)
{
    const CREATESTRUCTW* cs = create ? create->lpcs : nullptr;
    if (!cs) return;
    if (IS_INTRESOURCE(cs->lpszClass)) {
        const auto atom = reinterpret_cast<ULONG_PTR>(cs->lpszClass);
        if (atom == 0x8000) {
            HookMenuWindow(window);
        } else if (atom == 0x8002) {
            if (acTryToSkinCommonDialogs || !HasDescendantOfClass(window, L"duiviewwndclassname"))
                AddSupportedForm(window, nullptr);
        }
        return;
    }
    if (CreateClassName(cs) == L"TPUtilWindow" || cs->dwExStyle == 0 || cs->style == 0) return;
    if (TCustomForm* mainForm = Application->MainForm()) {
        if (!mainForm->HandleAllocated() || mainForm->Handle() == window) return;
    }
    if (HasParentWindow(window)) return;
    AddSupportedForm(window, nullptr);
}

} // namespace

bool HasDescendantOfClass(HWND Window, const UnicodeString& LowerClass)
{
    for (HWND child = GetTopWindow(Window); child; child = GetWindow(child, GW_HWNDNEXT))
        if (LowerCase(GetWndClassName(child)) == LowerClass || HasDescendantOfClass(child, LowerClass)) return true;
    return false;
}

LRESULT CALLBACK SkinHookCBT(int code, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallNextHookEx(HookCallback, code, wParam, lParam);
    if (ApplicationGone()) return result;
    // Nothing may leave a system callback: a window that cannot be skinned stays as it is.
    try {
        if (code == HCBT_ACTIVATE) {
            AddSupportedForm(reinterpret_cast<HWND>(wParam), nullptr);
        } else if (code == HCBT_CREATEWND && wParam) {
            HookCreatedWindow(reinterpret_cast<HWND>(wParam), reinterpret_cast<const CBT_CREATEWNDW*>(lParam));
        }
    } catch (...) {
    }
    return result;
}

bool AddSupportedForm(HWND Window, CREATESTRUCTW* createStruct)
{
    if (!Window || !DefaultManager || ApplicationGone() || WndIsSkinned(Window)) return false;
    UnicodeString className = CreateClassName(createStruct);
    if (className.empty()) className = GetWndClassName(Window);
    if (KnownWindow(Window)) return false;
    if (TCustomForm* form = FormOfWindow(Window)) return AddForm(form, className);
    return AddDialog(Window, className);
}

void CleanSupportedList()
{
    for (size_t i = acSupportedList.size(); i-- > 0;) {
        TacProvider* provider = acSupportedList[i];
        if (provider && (!provider->ListSW || provider->ListSW->Destroyed)) {
            acSupportedList[i] = nullptr; // the destructor finds its slot cleared already
            delete provider;
        }
        if (!acSupportedList[i]) acSupportedList.erase(acSupportedList.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void FreeSupportedList()
{
    // Taken out first: a provider's destructor looks for its slot in the list.
    std::vector<TacProvider*> providers;
    providers.swap(acSupportedList);
    for (TacProvider* provider : providers) delete provider;
}

void ClearMnuArray()
{
    TacMnuArray wrappers;
    wrappers.swap(MnuArray);
    for (TacMainWnd* wrapper : wrappers) delete wrapper;
}
