#include "Dialogs.h"

#include <commctrl.h>

#include <array>
#include <vector>

namespace {

TDialogHook currentHook = nullptr;

struct ButtonInfo {
    TMsgDlgBtn Button;
    TModalResult Result;
    const wchar_t* Text;
};

// In the order the buttons stand in a dialog.
constexpr std::array<ButtonInfo, 12> kButtons{{
    {mbYes, mrYes, L"&Yes"},
    {mbYesToAll, mrYesToAll, L"Yes to &All"},
    {mbNo, mrNo, L"&No"},
    {mbNoToAll, mrNoToAll, L"N&o to All"},
    {mbOK, mrOk, L"OK"},
    {mbAbort, mrAbort, L"&Abort"},
    {mbRetry, mrRetry, L"&Retry"},
    {mbIgnore, mrIgnore, L"&Ignore"},
    {mbAll, mrAll, L"&All"},
    {mbCancel, mrCancel, L"Cancel"},
    {mbHelp, mrHelp, L"&Help"},
    {mbClose, mrClose, L"&Close"},
}};

const wchar_t* TypeCaption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return L"Warning";
    case mtError: return L"Error";
    case mtInformation: return L"Information";
    case mtConfirmation: return L"Confirm";
    default: return nullptr;
    }
}

UnicodeString ApplicationTitle() { return Application ? Application->Title() : UnicodeString(); }

UINT TypeIconFlags(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return MB_ICONWARNING;
    case mtError: return MB_ICONERROR;
    case mtInformation: return MB_ICONINFORMATION;
    case mtConfirmation: return MB_ICONQUESTION;
    default: return 0;
    }
}

// The smallest message box button set that holds every requested button (a task dialog shows
// any set; this is only the fallback where none is available).
UINT MessageBoxButtons(TMsgDlgButtons buttons)
{
    static const std::array<std::pair<UINT, TMsgDlgButtons>, 6> sets{{
        {MB_OK, {mbOK}},
        {MB_OKCANCEL, mbOKCancel},
        {MB_YESNO, mbYesNo},
        {MB_RETRYCANCEL, {mbRetry, mbCancel}},
        {MB_YESNOCANCEL, mbYesNoCancel},
        {MB_ABORTRETRYIGNORE, mbAbortRetryIgnore},
    }};
    const TMsgDlgButtons wanted = buttons - TMsgDlgButtons{mbHelp};
    const UINT help = buttons.Contains(mbHelp) ? MB_HELP : 0;
    for (const auto& [flags, set] : sets)
        if ((wanted - set).Empty()) return flags | help;
    return MB_OKCANCEL | help;
}

using TaskDialogIndirectProc = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

TaskDialogIndirectProc TaskDialogEntry()
{
    HMODULE module = GetModuleHandleW(L"comctl32.dll");
    if (!module) module = LoadLibraryW(L"comctl32.dll");
    if (!module) return nullptr;
    return reinterpret_cast<TaskDialogIndirectProc>(reinterpret_cast<void*>(GetProcAddress(module, "TaskDialogIndirect")));
}

TModalResult ShowTaskDialog(const TDialogRequest& request, bool& shown)
{
    shown = false;
    TaskDialogIndirectProc entry = TaskDialogEntry();
    if (!entry) return mrNone;
    std::vector<TASKDIALOG_BUTTON> buttons;
    for (const ButtonInfo& b : kButtons)
        if (request.Buttons.Contains(b.Button)) buttons.push_back({b.Result, b.Text});
    if (buttons.empty()) buttons.push_back({mrOk, L"OK"});
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = request.Owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = request.Caption.c_str();
    config.pszContent = request.Text.c_str();
    switch (request.DlgType) {
    case mtWarning: config.pszMainIcon = TD_WARNING_ICON; break;
    case mtError: config.pszMainIcon = TD_ERROR_ICON; break;
    case mtInformation: config.pszMainIcon = TD_INFORMATION_ICON; break;
    case mtConfirmation:
        config.dwFlags |= TDF_USE_HICON_MAIN;
        config.hMainIcon = LoadIconW(nullptr, IDI_QUESTION);
        break;
    default: break;
    }
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.data();
    config.nDefaultButton = ModalResultOf(request.DefaultButton);
    int pressed = 0;
    if (FAILED(entry(&config, &pressed, nullptr, nullptr))) return mrNone;
    shown = true;
    return pressed;
}

} // namespace

TModalResult ModalResultOf(TMsgDlgBtn button)
{
    for (const ButtonInfo& b : kButtons)
        if (b.Button == button) return b.Result;
    return mrNone;
}

bool UseLatestCommonDialogs = true;

TDialogHook SetDialogHook(TDialogHook hook)
{
    TDialogHook previous = DialogHook();
    currentHook = hook;
    return previous;
}

TDialogHook DialogHook() { return currentHook ? currentHook : &DefaultDialogHook; }

TModalResult DefaultDialogHook(const TDialogRequest& request)
{
    switch (request.Kind) {
    case dkMessageBox:
        return MessageBoxW(request.Owner, request.Text.c_str(), request.Caption.c_str(), request.Flags);
    case dkException:
        return MessageBoxW(request.Owner, request.Text.c_str(), request.Caption.c_str(), MB_OK | MB_ICONSTOP);
    case dkOpenFile:
        return request.FileDialog && request.FileDialog->Show ? request.FileDialog->Show(request) : mrCancel;
    case dkShowMessage:
    case dkMessageDlg: {
        bool shown = false;
        const TModalResult result = ShowTaskDialog(request, shown);
        if (shown) return result;
        const UINT flags = MessageBoxButtons(request.Buttons) | TypeIconFlags(request.DlgType);
        return MessageBoxW(request.Owner, request.Text.c_str(), request.Caption.c_str(), flags);
    }
    }
    return mrNone;
}

TModalResult ExecuteDialog(TDialogRequest request)
{
    if (!request.Owner) {
        HWND active = GetActiveWindow();
        if (active && GetWindowThreadProcessId(active, nullptr) == GetCurrentThreadId()) request.Owner = active;
    }
    return DialogHook()(request);
}

void ShowMessage(const UnicodeString& text)
{
    TDialogRequest request;
    request.Kind = dkShowMessage;
    request.Caption = ApplicationTitle();
    request.Text = text;
    request.DlgType = mtCustom;
    request.Buttons = {mbOK};
    request.DefaultButton = mbOK;
    ExecuteDialog(std::move(request));
}

TModalResult MessageDlg(const UnicodeString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext)
{
    TMsgDlgBtn def = mbOK;
    if (buttons.Contains(mbOK))
        def = mbOK;
    else if (buttons.Contains(mbYes))
        def = mbYes;
    else
        for (const ButtonInfo& b : kButtons)
            if (buttons.Contains(b.Button)) {
                def = b.Button;
                break;
            }
    return MessageDlg(text, type, buttons, helpContext, def);
}

TModalResult MessageDlg(const UnicodeString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext,
                        TMsgDlgBtn defaultButton)
{
    TDialogRequest request;
    request.Kind = dkMessageDlg;
    const wchar_t* caption = TypeCaption(type);
    request.Caption = caption ? UnicodeString(caption) : ApplicationTitle();
    request.Text = text;
    request.DlgType = type;
    request.Buttons = buttons.Empty() ? TMsgDlgButtons{mbOK} : buttons;
    request.DefaultButton = defaultButton;
    request.HelpContext = helpContext;
    return ExecuteDialog(std::move(request));
}
