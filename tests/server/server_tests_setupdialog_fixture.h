#pragma once
// Fixture of the setup dialog tests: the program's windows as the main window tests create them,
// a dialog hook that answers from a script (message boxes with the queued results, file dialogs
// with the queued file names) and records every request, and a way to act on the dialog while
// OpenSetupForGateway holds it modal.
#include "server_tests_contact_fixture.h"
#include "server_tests_mainwindow_fixture.h"

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

// A setup in every control, the texts as the operator typed them (gateway 0A.1B.2C).
inline void FillSample(TFormGWsetup& d)
{
    d.EditGWID2->SetText(L"0A");
    d.EditGWID1->SetText(L"1B");
    d.EditGWID0->SetText(L"2C");
    d.EditSoftVer->SetText(L"9.9.9");
    d.CheckBoxEnableSend->SetChecked(true);
    d.CheckBoxEnableSoftUpdate->SetChecked(true);
    d.EditAnbauort->SetText(L"Keller 'Nord' \\ Haus 3");
    d.EditServerDNS->SetText(L"gw.example.net");
    d.EditPort->SetText(L"5000");
    d.CheckBoxDHCP->SetChecked(false);
    d.EditFestIP->SetText(L"192.168.1.10");
    d.EditGW->SetText(L"192.168.1.1");
    d.EditSubMsk->SetText(L"255.255.255.0");
    d.EditDNSSrv->SetText(L"8.8.8.8");
    d.EditNTP->SetText(L"82.96.64.2");
    d.RadioButtonProTag->SetChecked(true);
    d.EditMasterKey->SetText(L"303132333435363738393A3B3C3D3E3F");
    d.RadioButtonS->SetChecked(true);
    d.CheckBoxFiltManCode->SetChecked(true);
    d.EditHS0->SetText(L"ABC");
    d.EditHS1->SetText(L"DEF");
    d.EditHS2->SetText(L"GHI");
    d.EditHS3->SetText(L"QXZ");
    d.CheckBoxFiltMC->SetChecked(true);
    d.EditMC0->SetText(L"7");
    d.EditMC1->SetText(L"200");
    d.EditMC2->SetText(L"0");
    d.EditMC3->SetText(L"255");
    d.CheckBoxFiltFunkID->SetChecked(true);
    d.ListBoxFiltIDs->Items()->Clear();
    for (const wchar_t* id : {L"00012345", L"1234ABCD", L"99999999"}) d.ListBoxFiltIDs->Items()->Add(id);
}

// Every control as FillSample sets it, read back.
inline void ExpectSample(TFormGWsetup& d, const wchar_t* gatewayIp = L"192.168.1.1")
{
    EXPECT_EQ(d.EditGWID2->Text() + d.EditGWID1->Text() + d.EditGWID0->Text(), L"0A1B2C");
    EXPECT_TRUE(d.CheckBoxEnableSend->Checked());
    EXPECT_EQ(d.EditAnbauort->Text(), L"Keller 'Nord' \\ Haus 3");
    EXPECT_EQ(d.EditServerDNS->Text(), L"gw.example.net");
    EXPECT_EQ(d.EditPort->Text(), L"5000");
    EXPECT_FALSE(d.CheckBoxDHCP->Checked());
    EXPECT_EQ(d.EditFestIP->Text(), L"192.168.1.10");
    EXPECT_EQ(d.EditGW->Text(), gatewayIp);
    EXPECT_EQ(d.EditSubMsk->Text(), L"255.255.255.0");
    EXPECT_EQ(d.EditDNSSrv->Text(), L"8.8.8.8");
    EXPECT_EQ(d.EditNTP->Text(), L"82.96.64.2");
    EXPECT_FALSE(d.RadioButtonSofort->Checked() || d.RadioButtonProH->Checked() || d.RadioButtonProMonat->Checked());
    EXPECT_TRUE(d.RadioButtonProTag->Checked());
    EXPECT_EQ(d.EditMasterKey->Text(), L"303132333435363738393A3B3C3D3E3F");
    EXPECT_FALSE(d.RadioButtonT->Checked());
    EXPECT_TRUE(d.RadioButtonS->Checked());
    EXPECT_TRUE(d.CheckBoxFiltManCode->Checked());
    EXPECT_EQ(d.EditHS0->Text() + d.EditHS1->Text() + d.EditHS2->Text() + d.EditHS3->Text(), L"ABCDEFGHIQXZ");
    EXPECT_TRUE(d.CheckBoxFiltMC->Checked());
    EXPECT_EQ(d.EditMC0->Text() + L"," + d.EditMC1->Text() + L"," + d.EditMC2->Text() + L"," + d.EditMC3->Text(),
              L"7,200,0,255");
    EXPECT_TRUE(d.CheckBoxFiltFunkID->Checked());
}

inline const std::vector<UnicodeString> kSampleIds = {L"00012345", L"1234ABCD", L"99999999"};

// Every control changed from the sample, so that a load must set each one.
inline void Scramble(TFormGWsetup& d)
{
    for (TEdit* e : {d.EditGWID2, d.EditGWID1, d.EditGWID0, d.EditAnbauort, d.EditServerDNS, d.EditPort, d.EditFestIP,
                     d.EditGW, d.EditSubMsk, d.EditDNSSrv, d.EditNTP, d.EditMasterKey, d.EditHS0, d.EditHS1, d.EditHS2,
                     d.EditHS3, d.EditMC0, d.EditMC1, d.EditMC2, d.EditMC3, d.EditSoftVer, d.EditSendTime,
                     d.EditEmpfTime})
        e->SetText(L"x");
    for (TCheckBox* c : {d.CheckBoxEnableSend, d.CheckBoxEnableSoftUpdate, d.CheckBoxFiltManCode, d.CheckBoxFiltMC,
                         d.CheckBoxFiltFunkID})
        c->SetChecked(false);
    d.CheckBoxDHCP->SetChecked(true);
    d.RadioButtonSofort->SetChecked(true);
    d.RadioButtonT->SetChecked(true);
    d.ListBoxFiltIDs->Items()->Clear();
    d.ListBoxFiltIDs->Items()->Add(L"00000077");
    d.LabelIDcount->SetCaption(L"?");
}

// The record a gateway receives for FillSample's setup, apart from the set time and firmware
// version, which the stores fill in.
inline GatewaySetupRecord SampleRecord()
{
    GatewaySetupRecord r;
    r.GatewayId = test_support::kGw;
    r.FixedIp = {192, 168, 1, 10};
    r.GatewayIp = {192, 168, 1, 1};
    r.SubnetMask = {255, 255, 255, 0};
    r.SetServerName("gw.example.net");
    r.NtpIp = {82, 96, 64, 2};
    r.DnsIp = {8, 8, 8, 8};
    r.ServerPort = 5000;
    r.FilterIds[0] = 0x00012345;
    r.FilterIds[1] = 0x1234ABCD;
    r.FilterIds[2] = 0x99999999;
    r.FilterManufacturers = {{{'A', 'B', 'C'}, {'D', 'E', 'F'}, {'G', 'H', 'I'}, {'Q', 'X', 'Z'}}};
    r.FilterMedia = {7, 200, 0, 255};
    r.WmbusFlags = WmbusManufacturerFilter | WmbusMediumFilter | WmbusIdFilter; // mode S
    r.MasterKey = test_support::CountingKey(0x30);
    r.NetworkFlags = NetworkIntervalDaily;
    return r;
}

// The setup the server sends the sample gateway at its next contact, which reports one
// telegram; nothing when it sends something else.
inline std::optional<GatewaySetupRecord> SetupSentAtNextContact(int port)
{
    const sim::Bytes frame = sim::GatewayFrame(0x19, contact_test::kGw, contact_test::kDeriv, contact_test::kMaster,
                                               sim::WmbusPayload(1, {sim::Record(sim::Telegram{})}));
    sim::Bytes reply;
    const bool finished = contact_test::RunGatewayPumping(
        port,
        [&](sim::Gateway& gw) {
            gw.Send(frame);
            gw.WaitClosed(contact_test::kWait, &reply);
        },
        [] { return FormSRV->LiveConnectionCount() == 0; });
    // The window shows the contact's changes at its next tick; now, for the checks.
    FormSRV->RunPendingWindowChanges();
    EXPECT_TRUE(finished) << "the contact did not end";
    EXPECT_EQ(reply.size(), 1123u);
    if (reply.size() != 1123u || reply[2] != 0x14) return std::nullopt;
    return contact_test::RecordInEnvelope(contact_test::DecryptReply(reply));
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

    // Switches the main window's server off and waits for the stop to end.
    static void SwitchOff(TFormSRV& form)
    {
        form.ToggleSwitch1->SetState(tssOff);
        EXPECT_TRUE(PumpUntil([&] { return !form.IdTCPServer1->Active(); }, 8000));
    }

    // Clicks "Speichern"; true when the click closed the dialog (ended its modal run).
    static bool SaveClosesDialog(TFormGWsetup& d)
    {
        Click(d.ButtonSAVE);
        return d.FormState().Contains(fsModal) ? d.ModalResult() != mrNone : !d.Visible();
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
