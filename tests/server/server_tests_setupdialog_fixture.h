#pragma once
// Fixture of the setup dialog tests: the program's windows as the main window tests create them,
// a dialog hook that answers from a script (message boxes with the queued results, file dialogs
// with the queued file names) and records every request, and a way to act on the dialog while
// OpenSetupForGateway holds it modal.
#include "server_tests_mainwindow_fixture.h"

#include "GatewaySetupDefaults.h"

#include <deque>
#include <fstream>

namespace setupdialog_test {

using namespace mainwindow_test;

// A dialog request as it was made (the file dialog's settings copied while they were alive).
struct SeenDialog {
    TDialogKind Kind;
    UnicodeString Text;
    TMsgDlgType DlgType;
    TMsgDlgButtons Buttons;
    int HelpContext;
    UnicodeString InitialDir;
    UnicodeString Filter;
};

struct DialogScript {
    std::deque<TModalResult> Answers;  // message boxes; mrOk when none is left
    std::deque<UnicodeString> Files;   // file dialogs; cancelled when none is left
    std::vector<SeenDialog> Seen;
};

inline DialogScript& Script()
{
    static DialogScript script;
    return script;
}

inline TModalResult ScriptedDialog(const TDialogRequest& request)
{
    DialogScript& s = Script();
    SeenDialog seen{request.Kind, request.Text, request.DlgType, request.Buttons, request.HelpContext, {}, {}};
    if (request.Kind == dkOpenFile && request.FileDialog) {
        seen.InitialDir = request.FileDialog->InitialDir;
        seen.Filter = request.FileDialog->Filter;
    }
    s.Seen.push_back(seen);
    if (request.Kind == dkOpenFile) {
        if (s.Files.empty() || !request.FileDialog) return mrCancel;
        request.FileDialog->FileName = s.Files.front();
        request.FileDialog->Files = {s.Files.front()};
        s.Files.pop_front();
        return mrOk;
    }
    if (s.Answers.empty()) return mrOk;
    const TModalResult answer = s.Answers.front();
    s.Answers.pop_front();
    return answer;
}

// The action run inside the next modal loop of the dialog.
inline std::function<void()>& PendingModalAction()
{
    static std::function<void()> action;
    return action;
}

inline void CALLBACK RunPendingModalAction(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    std::function<void()> action = std::move(PendingModalAction());
    PendingModalAction() = nullptr;
    if (action) action();
}

class SetupDialogTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Script() = {};
        SetDialogHook(&ScriptedDialog);
    }

    void TearDown() override
    {
        PendingModalAction() = nullptr;
        MainWindowTest::TearDown();
    }

    TFormGWsetup& CreateWindows()
    {
        CreateForms();
        return *FormGWsetup;
    }

    // Calls open, which may show the dialog modally. When it does, whileShown runs inside the
    // modal loop, then the dialog is closed unless whileShown closed it. Returns whether the
    // dialog was shown.
    bool RunModal(const std::function<void()>& open, const std::function<void(TFormGWsetup&)>& whileShown = {})
    {
        bool shown = false;
        PendingModalAction() = [&] {
            shown = FormGWsetup->Visible();
            if (whileShown) whileShown(*FormGWsetup);
            if (FormGWsetup->Visible()) FormGWsetup->Close();
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 1, &RunPendingModalAction);
        open();
        KillTimer(nullptr, timer);
        PendingModalAction() = nullptr;
        EXPECT_FALSE(FormGWsetup->Visible());
        return shown;
    }

    // The ID shown in the three ID edits, joined by '.'.
    static UnicodeString ShownId(TFormGWsetup& d)
    {
        return d.EditGWID2->Text() + L"." + d.EditGWID1->Text() + L"." + d.EditGWID0->Text();
    }

    static std::vector<UnicodeString> ListEntries(TFormGWsetup& d)
    {
        std::vector<UnicodeString> entries;
        for (int i = 0; i < d.ListBoxFiltIDs->Count(); ++i) entries.push_back(d.ListBoxFiltIDs->Items()->Strings(i));
        return entries;
    }

    // Message dialogs seen so far (file dialogs left out).
    static std::vector<SeenDialog> Messages()
    {
        std::vector<SeenDialog> messages;
        for (const SeenDialog& d : Script().Seen)
            if (d.Kind != dkOpenFile) messages.push_back(d);
        return messages;
    }

    std::filesystem::path SetupFile(const wchar_t* id) const
    {
        return SetupFolder() / (UnicodeString(L"SETUPGW_") + id + L".GWINI");
    }

    // A text file written byte for byte.
    static void WriteBytes(const std::filesystem::path& file, const std::string& bytes)
    {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    }

    static UnicodeString IniValue(const std::filesystem::path& file, const wchar_t* section, const wchar_t* key)
    {
        return TMemIniFile(file.wstring()).ReadString(section, key, L"<missing>");
    }

    static std::vector<UnicodeString> IniKeys(const std::filesystem::path& file, const wchar_t* section)
    {
        TMemIniFile ini(file.wstring());
        TStringList keys;
        ini.ReadSection(section, &keys);
        std::vector<UnicodeString> names;
        for (int i = 0; i < keys.Count(); ++i) names.push_back(keys[i]);
        return names;
    }

    // Sends the key strokes a user's typing causes to a control's window.
    static void Type(TWinControl* control, std::wstring_view keys)
    {
        for (const wchar_t c : keys) SendMessageW(control->Handle(), WM_CHAR, c, 0);
    }
    static void KeyUp(TWinControl* control, WORD key)
    {
        SendMessageW(control->Handle(), WM_KEYDOWN, key, 0);
        SendMessageW(control->Handle(), WM_KEYUP, key, 0xC0000001);
    }
    static void Click(TButton* button) { SendMessageW(button->Handle(), BM_CLICK, 0, 0); }
};

} // namespace setupdialog_test
