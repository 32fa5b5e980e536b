#pragma once
// Message dialogs. Every one of them (ShowMessage, MessageDlg, MessageBox, the application's
// exception box) ends in one replaceable hook that gets a description of the dialog and returns
// the modal result, so a test installs a recorder and never blocks.
#include "Forms.h"
#include "Sets.h"
#include "Strings.h"

#include <windows.h>

#include <vector>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline constexpr TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline constexpr TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// The modal result a button returns (mrYes for mbYes ...).
TModalResult ModalResultOf(TMsgDlgBtn button);

enum TDialogKind {
    dkShowMessage, // ShowMessage: text, OK
    dkMessageDlg,  // MessageDlg: text, type, buttons, default button, help context
    dkMessageBox,  // MessageBox: text, caption, MB_* flags
    dkException,   // the application's exception box
    dkOpenFile,    // a file-open dialog: FileDialog holds its settings and receives the choice
};

struct TDialogRequest;

// Settings of a file dialog and, once it returned mrOk, the user's choice (FileName, Files,
// FilterIndex). The dialog's own unit shows the system dialog through Show, which the default
// hook calls; a test hook fills in the choice itself.
struct TFileDialogData {
    UnicodeString Title;
    UnicodeString Filter; // "Description|*.EXT|..."
    int FilterIndex = 1;
    UnicodeString InitialDir;
    UnicodeString DefaultExt;
    UnicodeString FileName;
    DWORD Flags = 0; // OFN_*
    std::vector<UnicodeString> Files;
    TModalResult (*Show)(const TDialogRequest& request) = nullptr;
};

struct TDialogRequest {
    TDialogKind Kind = dkShowMessage;
    UnicodeString Caption;
    UnicodeString Text;
    TMsgDlgType DlgType = mtCustom;
    TMsgDlgButtons Buttons{mbOK};
    TMsgDlgBtn DefaultButton = mbOK;
    int HelpContext = 0;
    UINT Flags = 0;       // dkMessageBox: the MB_* flags as given
    HWND Owner = nullptr; // window the dialog is modal to
    TFileDialogData* FileDialog = nullptr; // dkOpenFile
};

// Whether the common dialogs may use the system's newest style; a skin library clears it while it
// skins the classic ones. The file dialog here always uses the classic one, so nothing reads it
// yet.
extern bool UseLatestCommonDialogs;

// Returns the modal result (mrOk ..., the IDOK ... values for message boxes).
using TDialogHook = TModalResult (*)(const TDialogRequest& request);

// Installs hook (null: the default) and returns the one installed before.
TDialogHook SetDialogHook(TDialogHook hook);
TDialogHook DialogHook();
// The built-in dialogs: a task dialog (any button set) or, where none is available, a message box.
TModalResult DefaultDialogHook(const TDialogRequest& request);
// Fills in the owner window and hands the request to the hook.
TModalResult ExecuteDialog(TDialogRequest request);

void ShowMessage(const UnicodeString& text);
// Caption by type ("Warning", "Error", "Information", "Confirm"; mtCustom: the application
// title). The default button is OK, else Yes, else the first button of the set.
TModalResult MessageDlg(const UnicodeString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
TModalResult MessageDlg(const UnicodeString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext,
                        TMsgDlgBtn defaultButton);
