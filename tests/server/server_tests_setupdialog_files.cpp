// The setup dialog in file mode: saving every control into the gateway's setup file and loading
// it again, odd files, the checks before the first write, "Laden", and the setup the gateway
// receives at its next contact.
#include "server_tests_setupdialog_fixture.h"

#include <gtest/gtest.h>

using namespace setupdialog_test;

namespace {

struct Key {
    const wchar_t* Section;
    const wchar_t* Name;
    const wchar_t* Value;
};

// The setup file as FillSample's controls are saved (the ID list as the store reads it: decimal
// without leading zeros, hexadecimal digits as they stand).
const Key kSavedSample[] = {
    {L"SENDEN", L"ENABLED", L"1"},
    {L"UPDATE", L"ENABLED", L"1"},
    {L"NETZWERK", L"GW_ID2", L"0A"},
    {L"NETZWERK", L"GW_ID1", L"1B"},
    {L"NETZWERK", L"GW_ID0", L"2C"},
    {L"NETZWERK", L"AORT", L"Keller 'Nord' \\ Haus 3"},
    {L"NETZWERK", L"SRV_DNS", L"gw.example.net"},
    {L"NETZWERK", L"PORT", L"5000"},
    {L"NETZWERK", L"DHCP", L"0"},
    {L"NETZWERK", L"FEST_IP", L"192.168.1.10"},
    {L"NETZWERK", L"GW_IP", L"192.168.1.1"},
    {L"NETZWERK", L"SUB_IP", L"255.255.255.0"},
    {L"NETZWERK", L"DNS_IP", L"8.8.8.8"},
    {L"NETZWERK", L"NTP_IP", L"82.96.64.2"},
    {L"NETZWERK", L"SOFORT", L"0"},
    {L"NETZWERK", L"PROH", L"0"},
    {L"NETZWERK", L"PROTAG", L"1"},
    {L"NETZWERK", L"PROMONAT", L"0"},
    {L"NETZWERK", L"MASTERKEY", L"303132333435363738393A3B3C3D3E3F"},
    {L"WM-BUS", L"MODET", L"0"},
    {L"WM-BUS", L"MODES", L"1"},
    {L"WM-BUS", L"FILTER_HERSTELLER", L"1"},
    {L"WM-BUS", L"FILTER_HS0", L"ABC"},
    {L"WM-BUS", L"FILTER_HS1", L"DEF"},
    {L"WM-BUS", L"FILTER_HS2", L"GHI"},
    {L"WM-BUS", L"FILTER_HS3", L"QXZ"},
    {L"WM-BUS", L"FILTER_MEDIUM", L"1"},
    {L"WM-BUS", L"FILTER_MC0", L"7"},
    {L"WM-BUS", L"FILTER_MC1", L"200"},
    {L"WM-BUS", L"FILTER_MC2", L"0"},
    {L"WM-BUS", L"FILTER_MC3", L"255"},
    {L"WM-BUS", L"FILTER_IDS", L"1"},
    {L"WM-BUS_IDS", L"ID0", L"12345"},
    {L"WM-BUS_IDS", L"ID1", L"1234ABCD"},
    {L"WM-BUS_IDS", L"ID2", L"99999999"},
};

} // namespace

TEST_F(SetupDialogTest, FileModeSaveWritesEveryControlIntoTheSetupFileAndALoadShowsItAgain)
{
    TFormGWsetup& d = CreateWindows();
    const auto file = SetupFile(L"0A_1B_2C");
    // Keys the dialog does not write stay; the two filter sections are written anew.
    WriteBytes(file, "[SOFTWARE]\r\nV1=1\r\nV2=4\r\nV3=12\r\n[SENDEN]\r\nSENDTIME=01.02.2026 10:00:00\r\n"
                     "[GET]\r\nGETTIME=01.02.2026 10:05:00\r\nENABLED=1\r\n[WM-BUS]\r\nOLD=1\r\n"
                     "[WM-BUS_IDS]\r\nID7=55\r\nX=66\r\n[OTHER]\r\nKEY=kept\r\n");
    FillSample(d);
    bool closed = false;
    EXPECT_TRUE(RunModal([&] { d.ShowModal(); }, [&](TFormGWsetup& shown) { closed = SaveClosesDialog(shown); }));
    EXPECT_TRUE(closed);
    EXPECT_TRUE(Messages().empty());

    for (const Key& k : kSavedSample) EXPECT_EQ(IniValue(file, k.Section, k.Name), k.Value) << Utf8(k.Name);
    EXPECT_EQ(IniKeys(file, L"WM-BUS_IDS"), (std::vector<UnicodeString>{L"ID0", L"ID1", L"ID2"}));
    EXPECT_EQ(IniValue(file, L"WM-BUS", L"OLD"), L"<missing>");
    EXPECT_EQ(IniValue(file, L"SOFTWARE", L"V2"), L"4");
    EXPECT_EQ(IniValue(file, L"SENDEN", L"SENDTIME"), L"01.02.2026 10:00:00");
    EXPECT_EQ(IniValue(file, L"GET", L"ENABLED"), L"1");
    EXPECT_EQ(IniValue(file, L"OTHER", L"KEY"), L"kept");

    // Loading it shows every saved value again, and the values only shown.
    Scramble(d);
    d.LabelMKcount->SetCaption(L"7/32");
    EXPECT_TRUE(d.LoadSetup(file.wstring(), "", "", ""));
    ExpectSample(d);
    EXPECT_TRUE(d.CheckBoxEnableSoftUpdate->Checked());
    EXPECT_EQ(ListEntries(d), kSampleIds);
    EXPECT_EQ(d.LabelIDcount->Caption(), L"3/250");
    EXPECT_EQ(d.EditSoftVer->Text(), L"1.4.12");
    EXPECT_EQ(d.EditSendTime->Text(), L"01.02.2026 10:00:00");
    EXPECT_EQ(d.EditEmpfTime->Text(), L"01.02.2026 10:05:00");
    EXPECT_EQ(d.LabelMKcount->Caption(), L"7/32") << "a load leaves the key counter";

    // A missing file is no setup: the controls stay.
    Scramble(d);
    EXPECT_FALSE(d.LoadSetup(SetupFile(L"0A_1B_2D").wstring(), "0A", "1B", "2D"));
    EXPECT_EQ(d.EditPort->Text(), L"x");
    EXPECT_EQ(ListEntries(d), std::vector<UnicodeString>{L"00000077"});
}

TEST_F(SetupDialogTest, FileModeLoadTakesDefaultsForMissingKeysAndReadsTheListAsTheStoreDoes)
{
    TFormGWsetup& d = CreateWindows();
    const auto file = SetupFile(L"0A_1B_2C");

    // An empty file: every default, the ID from the arguments when all three are given.
    WriteBytes(file, "");
    Scramble(d);
    EXPECT_TRUE(d.LoadSetup(file.wstring(), "0A", "1B", "2C"));
    EXPECT_EQ(ShownId(d), L"0A.1B.2C");
    EXPECT_EQ(d.EditSoftVer->Text(), L"1.0.0");
    EXPECT_EQ(d.EditSendTime->Text(), L"0.0.0 00:00:00");
    EXPECT_EQ(d.EditEmpfTime->Text(), L"0.0.0 00:00:00");
    EXPECT_EQ(d.EditPort->Text(), L"23");
    EXPECT_TRUE(d.CheckBoxDHCP->Checked());
    EXPECT_EQ(d.EditFestIP->Text(), L"");
    EXPECT_EQ(d.EditSubMsk->Text(), L"255.255.255.0");
    EXPECT_EQ(d.EditNTP->Text(), L"82.96.64.2");
    EXPECT_TRUE(d.RadioButtonProH->Checked());
    EXPECT_FALSE(d.RadioButtonSofort->Checked());
    EXPECT_TRUE(d.RadioButtonT->Checked());
    EXPECT_FALSE(d.RadioButtonS->Checked());
    EXPECT_EQ(d.EditHS2->Text(), L"QXZ");
    EXPECT_EQ(d.EditMC1->Text(), L"8");
    EXPECT_EQ(d.EditMasterKey->Text(), L"7C3A91E05B2F4D86A0C9E1374B5D2F68");
    EXPECT_TRUE(ListEntries(d).empty());
    EXPECT_EQ(d.LabelIDcount->Caption(), L"0/250");

    // As from "Laden": the ID from the file, "00" for a missing key.
    WriteBytes(file, "[NETZWERK]\r\nGW_ID2=0D\r\nGW_ID1=0E\r\nPORT=abc\r\n");
    EXPECT_TRUE(d.LoadSetup(file.wstring(), "", "", ""));
    EXPECT_EQ(ShownId(d), L"0D.0E.00");
    EXPECT_EQ(d.EditPort->Text(), L"23") << "a port that is not a number";

    // Radio mode: MODES defaults to the opposite of MODET; intervals: the last set one wins.
    WriteBytes(file, "[WM-BUS]\r\nMODET=0\r\n[NETZWERK]\r\nSOFORT=1\r\nPROH=0\r\nPROTAG=1\r\n");
    EXPECT_TRUE(d.LoadSetup(file.wstring(), "", "", ""));
    EXPECT_TRUE(d.RadioButtonS->Checked());
    EXPECT_FALSE(d.RadioButtonT->Checked());
    EXPECT_TRUE(d.RadioButtonProTag->Checked());
    EXPECT_FALSE(d.RadioButtonSofort->Checked());
    WriteBytes(file, "[NETZWERK]\r\nPROH=0\r\n");
    EXPECT_TRUE(d.LoadSetup(file.wstring(), "", "", ""));
    EXPECT_FALSE(d.RadioButtonSofort->Checked() || d.RadioButtonProH->Checked() || d.RadioButtonProTag->Checked() ||
                 d.RadioButtonProMonat->Checked());

    // The list: every key in file order whatever its name, read as the store reads it; an ID a
    // gateway reported in hexadecimal stays itself; what the store skips is not shown.
    WriteBytes(file, "[WM-BUS_IDS]\r\nB=12345\r\nA=1234abcd\r\nID0=xyz\r\nZ=0\r\nQ=\r\nC=00000007\r\n"
                     "D=123456789\r\nE= 42 \r\n");
    EXPECT_TRUE(d.LoadSetup(file.wstring(), "", "", ""));
    EXPECT_EQ(ListEntries(d), (std::vector<UnicodeString>{L"00012345", L"1234ABCD", L"00000007", L"00000042"}));
    EXPECT_EQ(d.LabelIDcount->Caption(), L"4/250");

    // At most the 250 entries a gateway keeps.
    std::string ids = "[WM-BUS_IDS]\r\n";
    for (int i = 1; i <= 260; ++i) ids += "ID" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    WriteBytes(file, ids);
    EXPECT_TRUE(d.LoadSetup(file.wstring(), "", "", ""));
    EXPECT_EQ(d.ListBoxFiltIDs->Count(), 250);
    EXPECT_EQ(d.ListBoxFiltIDs->Items()->Strings(249), L"00000250");
    EXPECT_EQ(d.LabelIDcount->Caption(), L"250/250");
}

TEST_F(SetupDialogTest, FileModeSaveNamesTheFirstTextAStoreCouldNotReadAndWritesNothing)
{
    TFormGWsetup& d = CreateWindows();
    const struct {
        const wchar_t* Field; // in the message
        std::function<void(TFormGWsetup&)> Change;
    } cases[] = {
        {L"\"Gateway ID\"", [](TFormGWsetup& x) { x.EditGWID0->SetText(L""); }},
        {L"\"Gateway ID\"", [](TFormGWsetup& x) { x.EditGWID2->SetText(L".."); }},
        {L"\"DNS Name des WM-BUS Servers\"", [](TFormGWsetup& x) { x.EditServerDNS->SetText(std::wstring(33, L'n')); }},
        {L"\"Server Port\"", [](TFormGWsetup& x) { x.EditPort->SetText(L"65536"); }},
        {L"\"Server Port\"", [](TFormGWsetup& x) { x.EditPort->SetText(L""); }},
        {L"\"sonst mit\"", [](TFormGWsetup& x) { x.EditFestIP->SetText(L"192.168..1"); }},
        {L"\"Gateway\"", [](TFormGWsetup& x) { x.EditGW->SetText(L"router"); }},
        {L"\"NTP Server\"", [](TFormGWsetup& x) { x.EditNTP->SetText(L"1.2.3.x"); }},
        {L"\"Master KEY\"", [](TFormGWsetup& x) { x.EditMasterKey->SetText(L"303132333435363738393A3B3C3D3E3"); }},
        {L"\"Master KEY\"", [](TFormGWsetup& x) { x.EditMasterKey->SetText(L"303132333435363738393A3B3C3D3E3G"); }},
        {L"\"mit Filterung nach Hersteller\"", [](TFormGWsetup& x) { x.EditHS1->SetText(L"AB"); }},
        {L"\"mit Filterung nach Mediumcode\"", [](TFormGWsetup& x) { x.EditMC2->SetText(L"256"); }},
        {L"\"mit Filterung nach Mediumcode\"", [](TFormGWsetup& x) { x.EditMC3->SetText(L""); }},
        {L"\"mit Filterung nach FunkID's\"", [](TFormGWsetup& x) { x.ListBoxFiltIDs->Items()->Add(L"123456789"); }},
    };
    std::size_t messages = 0;
    EXPECT_TRUE(RunModal([&] { d.ShowModal(); }, [&](TFormGWsetup& shown) {
        for (const auto& c : cases) {
            SCOPED_TRACE(Utf8(c.Field));
            FillSample(shown);
            c.Change(shown);
            EXPECT_FALSE(SaveClosesDialog(shown)) << "the dialog stays open";
            ASSERT_EQ(Messages().size(), ++messages);
            EXPECT_NE(Messages().back().Text.find(c.Field), UnicodeString::npos) << Utf8(Messages().back().Text);
            EXPECT_EQ(Messages().back().DlgType, mtError);
        }
    }));
    EXPECT_FALSE(std::filesystem::exists(SetupFile(L"0A_1B_2C")));
    EXPECT_TRUE(!std::filesystem::exists(SetupFolder()) || std::filesystem::is_empty(SetupFolder()));

    // Empty addresses are fine for the file store (they read as 0.0.0.0). Hexadecimal digits
    // are stored in upper case, which the contacts read.
    FillSample(d);
    d.EditGW->SetText(L"");
    d.EditDNSSrv->SetText(L"");
    d.EditGWID0->SetText(L"2c");
    d.EditMasterKey->SetText(L"303132333435363738393a3b3c3d3e3f");
    Click(d.ButtonSAVE);
    EXPECT_EQ(Messages().size(), messages);
    EXPECT_EQ(IniValue(SetupFile(L"0A_1B_2C"), L"NETZWERK", L"GW_IP"), L"");
    EXPECT_EQ(IniValue(SetupFile(L"0A_1B_2C"), L"NETZWERK", L"GW_ID0"), L"2C");
    EXPECT_EQ(IniValue(SetupFile(L"0A_1B_2C"), L"NETZWERK", L"MASTERKEY"), L"303132333435363738393A3B3C3D3E3F");
}

// The stores' reader takes signs, "$" and "0x" numbers, parts of any size (their low byte) and
// fewer than four parts: the dialog lets through only what reaches the gateway as typed.
TEST_F(SetupDialogTest, AddressesAreSavedOnlyAsFourDecimalPartsOf0To255)
{
    TFormGWsetup& d = CreateWindows();
    const struct {
        const wchar_t* Field; // in the message
        TEdit* TFormGWsetup::*Edit;
        const wchar_t* Key;
    } fields[] = {
        {L"\"sonst mit\"", &TFormGWsetup::EditFestIP, L"FEST_IP"}, {L"\"Gateway\"", &TFormGWsetup::EditGW, L"GW_IP"},
        {L"\"Subnet Maske\"", &TFormGWsetup::EditSubMsk, L"SUB_IP"}, {L"\"DNS Server\"", &TFormGWsetup::EditDNSSrv, L"DNS_IP"},
        {L"\"NTP Server\"", &TFormGWsetup::EditNTP, L"NTP_IP"},
    };
    const wchar_t* const refused[] = {
        L"192.168.1.300", L"192.168.1", L"-1", L"$FF", L"0x1.2.3.4", L"1.2.3.4.5", L"+1.2.3.4", L"1.2.3.0004",
        L"1..2.3", L"1.2.3.", L" 1.2.3.4", L"1.2.3.4 ", L"256.0.0.0", L"1,2,3,4", L"1.2.3.-4",
    };
    const wchar_t* const accepted[] = {L"0.0.0.0", L"255.255.255.255", L"192.168.001.010", L"1.2.3.4", L""};

    std::size_t messages = 0;
    std::size_t n = 0;
    EXPECT_TRUE(RunModal([&] { d.ShowModal(); }, [&](TFormGWsetup& shown) {
        for (const wchar_t* text : refused) {
            const auto& field = fields[n++ % std::size(fields)];
            SCOPED_TRACE(Utf8(field.Field) + " " + Utf8(text));
            FillSample(shown);
            (shown.*field.Edit)->SetText(text);
            EXPECT_FALSE(SaveClosesDialog(shown)) << "the dialog stays open";
            ASSERT_EQ(Messages().size(), ++messages);
            EXPECT_NE(Messages().back().Text.find(field.Field), UnicodeString::npos) << Utf8(Messages().back().Text);
        }
    }));
    EXPECT_FALSE(std::filesystem::exists(SetupFile(L"0A_1B_2C")));

    for (const wchar_t* text : accepted) {
        const auto& field = fields[n++ % std::size(fields)];
        SCOPED_TRACE(Utf8(field.Field) + " " + Utf8(text));
        FillSample(d);
        (d.*field.Edit)->SetText(text);
        Click(d.ButtonSAVE);
        EXPECT_EQ(Messages().size(), messages);
        EXPECT_EQ(IniValue(SetupFile(L"0A_1B_2C"), L"NETZWERK", field.Key), text);
    }
}

// The file is replaced as a whole: a save that fails, even with every key written, leaves the
// gateway's old setup as it was, and the dialog open with the reason.
TEST_F(SetupDialogTest, FileModeSaveThatFailsLeavesTheOldFileByteForByte)
{
    TFormGWsetup& d = CreateWindows();
    const auto file = SetupFile(L"0A_1B_2C");
    WriteBytes(file, "[SENDEN]\r\nENABLED=0\r\n[NETZWERK]\r\nSRV_DNS=old.example.net\r\nPORT=23\r\n"
                     "[WM-BUS_IDS]\r\nID0=1\r\n");
    const std::string before = test_support::ReadFile(file);
    struct Reset {
        ~Reset() { SetSetupFileStoreTestHooks({}); }
    } reset;
    SetSetupFileStoreTestHooks(
        {.BeforeReplace = [](const UnicodeString&) { throw EIniFileException(L"Unable to write: injected"); }});

    EXPECT_TRUE(RunModal([&] { d.ShowModal(); }, [&](TFormGWsetup& shown) {
        FillSample(shown);
        EXPECT_FALSE(SaveClosesDialog(shown)) << "the dialog stays open";
    }));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].Text, L"Unable to write: injected");
    EXPECT_EQ(Messages()[0].DlgType, mtError);
    EXPECT_EQ(test_support::ReadFile(file), before);
    std::vector<std::filesystem::path> entries;
    for (const auto& entry : std::filesystem::directory_iterator(SetupFolder())) entries.push_back(entry.path());
    EXPECT_EQ(entries, std::vector<std::filesystem::path>{file}) << "no temporary file is left";

    SetSetupFileStoreTestHooks({});
    Click(d.ButtonSAVE);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(IniValue(file, L"NETZWERK", L"SRV_DNS"), L"gw.example.net");
}

TEST_F(SetupDialogTest, LadenLoadsTheChosenSetupFileAndASaveWritesTheFileOfItsGateway)
{
    TFormGWsetup& d = CreateWindows();
    // A copy of gateway 0D.0E.0F's setup under another name.
    const auto chosen = SetupFolder() / L"copy of a setup.gwini";
    WriteBytes(chosen, "[NETZWERK]\r\nGW_ID2=0D\r\nGW_ID1=0E\r\nGW_ID0=0F\r\nPORT=6000\r\n");
    d.EditPort->SetText(L"1");

    Script().Files = {};
    Click(d.ButtonLOAD);
    EXPECT_EQ(d.EditPort->Text(), L"1") << "cancelled";
    ASSERT_EQ(Script().Seen.size(), 1u);
    EXPECT_EQ(Script().Seen[0].Kind, dkOpenFile);
    EXPECT_EQ(Script().Seen[0].InitialDir, SetupFolder().wstring() + L"\\");
    EXPECT_EQ(Script().Seen[0].Filter, L"Gateway Setup  (*.gwini)|*.GWINI");

    Script().Files = {chosen.wstring()};
    Click(d.ButtonLOAD);
    EXPECT_EQ(ShownId(d), L"0D.0E.0F");
    EXPECT_EQ(d.EditPort->Text(), L"6000");
    Click(d.ButtonSAVE);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(IniValue(SetupFile(L"0D_0E_0F"), L"NETZWERK", L"PORT"), L"6000");
    EXPECT_EQ(IniValue(SetupFile(L"0D_0E_0F"), L"NETZWERK", L"GW_ID0"), L"0F");
}

TEST_F(SetupDialogTest, FileModeWhatTheDialogSavesIsWhatTheGatewayReceivesAtItsNextContact)
{
    TFormSRV& form = CreateWithPort();
    TFormGWsetup& d = *FormGWsetup;
    form.ToggleSwitch1->SetState(tssOn);
    ASSERT_TRUE(form.IdTCPServer1->Active());

    // Opened from the status grid, a new setup for the gateway, saved with the send request.
    form.UpdateGatewayStatusRow(L"0A.1B.2C", L"127.0.0.1", L"WMBUS Daten", L"", L"");
    form.StringGrid1->SetRow(1);
    Script().Answers = {mrIgnore};
    bool closed = false;
    EXPECT_TRUE(RunModal([&] { form.StringGrid1DblClick(form.StringGrid1); }, [&](TFormGWsetup& shown) {
        FillSample(shown);
        shown.CheckBoxEnableSoftUpdate->SetChecked(false); // a firmware update would come first
        shown.EditGW->SetText(L""); // read as 0.0.0.0
        closed = SaveClosesDialog(shown);
    }));
    EXPECT_TRUE(closed);

    const std::optional<GatewaySetupRecord> sent = SetupSentAtNextContact(port_);
    ASSERT_TRUE(sent);
    GatewaySetupRecord expected = SampleRecord();
    expected.GatewayIp = {0, 0, 0, 0};
    EXPECT_EQ(sent->Bytes(), expected.Bytes());

    // The dialog opened from the grid again shows the setup as stored.
    Scramble(d);
    EXPECT_TRUE(RunModal([&] { form.StringGrid1DblClick(form.StringGrid1); }));
    ExpectSample(d, L"");
    EXPECT_EQ(ListEntries(d), kSampleIds);
    SwitchOff(form);
}
