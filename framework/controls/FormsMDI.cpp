// MDI forms: the frame's MDICLIENT window, its children, the window menu and the default
// procedures of both kinds of window.
#include "Forms.h"

#include <vector>

namespace {

// Commands of the window menu's child entries; above the identifiers menu items get.
constexpr UINT kFirstMDIChildCommand = 0xFF00;

bool IsWindowsMessage(UINT msg) { return msg < CM_BASE || msg >= CN_BASE + 0x400; }

} // namespace

void TCustomForm::CreateMDIClient()
{
    if (clientHandle_ && IsWindow(clientHandle_)) return;
    CLIENTCREATESTRUCT create{};
    create.hWindowMenu = windowMenu_ ? windowMenu_->Handle() : nullptr;
    create.idFirstChild = kFirstMDIChildCommand;
    RECT r{};
    GetClientRect(Handle(), &r);
    clientHandle_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL,
                                    0, 0, r.right, r.bottom, Handle(), nullptr, GetModuleHandleW(nullptr), &create);
    if (!clientHandle_) throw EOSError(L"Cannot create the MDI client window (" + std::to_wstring(GetLastError()) + L")");
}

void TCustomForm::MDIChildParams(TCreateParams& params)
{
    TCustomForm* frame = Application ? Application->MainForm() : nullptr;
    if (!frame || frame == this || frame->FormStyle() != fsMDIForm)
        throw EInvalidOperation(L"Cannot create form. No MDI forms are currently active");
    frame->HandleNeeded();
    params.Style = (params.Style & ~static_cast<DWORD>(WS_POPUP)) | WS_CHILD | WS_CLIPSIBLINGS;
    params.ExStyle = (params.ExStyle & ~static_cast<DWORD>(WS_EX_APPWINDOW)) | WS_EX_MDICHILD;
    params.WndParent = frame->ClientHandle();
    // From the first message on, the window's default procedure is DefMDIChildProc.
    formState_ << fsCreatedMDIChild;
}

void TCustomForm::SetWindowMenu(TMenuItem* value)
{
    if (windowMenu_ == value) return;
    if (windowMenu_) windowMenu_->RemoveFreeNotification(this);
    windowMenu_ = value;
    if (windowMenu_) windowMenu_->FreeNotification(this);
    if (clientHandle_) ApplyWindowMenu();
}

void TCustomForm::ApplyWindowMenu()
{
    if (!clientHandle_ || !menu_) return;
    SendMessageW(clientHandle_, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu_->Handle()),
                 reinterpret_cast<LPARAM>(windowMenu_ ? windowMenu_->Handle() : nullptr));
    DrawMenuBar(Handle());
}

TCustomForm* TCustomForm::ActiveMDIChild() const
{
    if (formStyle_ != fsMDIForm || !clientHandle_) return nullptr;
    auto active = reinterpret_cast<HWND>(SendMessageW(clientHandle_, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<TCustomForm*>(FindControl(active));
}

namespace {

// The MDI children in the client's z-order, the top (active) one first.
std::vector<TCustomForm*> ChildrenOf(HWND client)
{
    std::vector<TCustomForm*> list;
    for (HWND w = GetWindow(client, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (auto* form = dynamic_cast<TCustomForm*>(FindControl(w)); form && form->FormStyle() == fsMDIChild)
            list.push_back(form);
    return list;
}

} // namespace

int TCustomForm::MDIChildCount() const
{
    if (formStyle_ != fsMDIForm || !clientHandle_) return 0;
    return static_cast<int>(ChildrenOf(clientHandle_).size());
}

TCustomForm* TCustomForm::MDIChildren(int index) const
{
    if (formStyle_ == fsMDIForm && clientHandle_ && index >= 0) {
        const std::vector<TCustomForm*> list = ChildrenOf(clientHandle_);
        if (index < static_cast<int>(list.size())) return list[static_cast<size_t>(index)];
    }
    throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
}

void TCustomForm::BringToFront()
{
    if (Parent()) {
        TWinControl::BringToFront();
        return;
    }
    if (!HandleAllocated()) return;
    if (formState_.Contains(fsCreatedMDIChild)) {
        SendMessageW(GetParent(Handle()), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(Handle()), 0);
        return;
    }
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TCustomForm::DefaultHandler(TMessage& message)
{
    if (IsWindowsMessage(message.Msg) && HandleAllocated()) {
        if (formStyle_ == fsMDIForm && clientHandle_) {
            message.Result = DefFrameProcW(Handle(), clientHandle_, message.Msg, message.WParam, message.LParam);
            return;
        }
        if (formState_.Contains(fsCreatedMDIChild)) {
            message.Result = DefMDIChildProcW(Handle(), message.Msg, message.WParam, message.LParam);
            return;
        }
    }
    TWinControl::DefaultHandler(message);
}
