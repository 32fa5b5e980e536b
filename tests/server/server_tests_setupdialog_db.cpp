// The setup dialog in database mode: saving inserts a new gateway's row and updates an existing
// one, loading shows the rows as stored, errors are shown with the dialog left open, the main
// window's connection is opened only when the server has not, and what the dialog saves is what
// the gateway receives at its next contact.
#include "server_tests_mainwindow_dbfixture.h"
#include "server_tests_setupdialog_fixture.h"

#include <gtest/gtest.h>

using namespace setupdialog_test;

namespace {

class SetupDialogDbTest : public DatabaseWindowTest<SetupDialogTest> {
protected:
    SetupDialogDbTest() : DatabaseWindowTest(L"setupdialog_") {}

    // The database with its tables, as a switch-on leaves it; a connection to it for the test.
    TFDConnection& Database()
    {
        if (!connection_) {
            connection_ = std::make_unique<TFDConnection>(nullptr);
            dbmode_test::PrepareForSwitchOn(*connection_);
            ConfigureDbConnection(*connection_, dbmode_test::Settings(database_));
            CreateDbSchema(*connection_, dbmode_test::Settings(database_));
        }
        return *connection_;
    }

    // A time column of the (first) setup row.
    TDateTime StoredTime(const wchar_t* column)
    {
        TFDQuery query(nullptr);
        query.SetConnection(&Database());
        query.Open(UnicodeString(L"SELECT ") + column + L" FROM setup_daten");
        return query.FieldByName(column)->AsDateTime();
    }

    std::vector<dbmode_test::Row> SetupRows()
    {
        return dbmode_test::Rows(Database(), L"SELECT * FROM setup_daten ORDER BY GW_ID");
    }

    std::unique_ptr<TFDConnection> connection_;
};

using Columns = std::vector<std::pair<const wchar_t*, const wchar_t*>>;

void ExpectColumns(const dbmode_test::Row& row, const Columns& columns)
{
    for (const auto& [name, value] : columns)
        EXPECT_EQ(dbmode_test::Utf8(row.at(name)), UnicodeToUtf8(value)) << Utf8(name);
}

// FillSample's controls as a row holds them.
const Columns kSampleColumns = {
    {L"GW_ID", L"0A.1B.2C"},
    {L"MEMOTEXT", L"Keller 'Nord' \\ Haus 3"},
    {L"SET_ENABLED", L"Y"},
    {L"SOFTUPDATE", L"Y"},
    {L"NW_SRV", L"gw.example.net"},
    {L"NW_PORT", L"5000"},
    {L"NW_FEST_IP", L"192.168.1.10"},
    {L"NW_GW_IP", L"192.168.1.1"},
    {L"NW_SUB_IP", L"255.255.255.0"},
    {L"NW_DNS_IP", L"8.8.8.8"},
    {L"NW_NTP_IP", L"82.96.64.2"},
    {L"NW_DHCP", L"N"},
    {L"NW_INTERVALL", L"T"},
    {L"FILT_MODE", L"S"},
    {L"FILT_HERST", L"Y"},
    {L"FILT_HS1", L"ABC"},
    {L"FILT_HS2", L"DEF"},
    {L"FILT_HS3", L"GHI"},
    {L"FILT_HS4", L"QXZ"},
    {L"FILT_MEDIUM", L"Y"},
    {L"FILT_MC1", L"7"},
    {L"FILT_MC2", L"-56"}, // the byte 200, signed
    {L"FILT_MC3", L"0"},
    {L"FILT_MC4", L"-1"},
    {L"FILT_IDS", L"Y"},
    {L"FILT_IDLIST", L"00012345,1234ABCD,99999999"},
};

} // namespace

TEST_F(SetupDialogDbTest, SavingInsertsTheRowOfANewGatewayAndUpdatesItAfterwardsWithoutTheMasterKey)
{
    Database();
    TFormSRV& form = CreateInDatabaseMode();
    TFormGWsetup& d = *FormGWsetup;
    ASSERT_FALSE(form.FDConn1->Connected());

    // No row yet: a new setup (Ignore), saved as a new row with every column from the dialog.
    Script().Answers = {mrIgnore};
    bool closed = false;
    const TDateTime before = Now();
    EXPECT_TRUE(RunModal([&] { d.OpenSetupForGateway("0A.1B.2C"); }, [&](TFormGWsetup& shown) {
        FillSample(shown);
        closed = SaveClosesDialog(shown);
    }));
    EXPECT_TRUE(closed);
    ASSERT_EQ(Messages().size(), 1u) << "only the question for a new setup";
    EXPECT_FALSE(form.FDConn1->Connected()) << "the dialog closes what it opened";
    EXPECT_EQ(form.LabelDBStatus->Caption(), L"nicht verbunden");

    auto rows = SetupRows();
    ASSERT_EQ(rows.size(), 1u);
    ExpectColumns(rows[0], kSampleColumns);
    ExpectColumns(rows[0], {{L"GET_ENABLED", L"N"},
                            {L"SOFTWARE", L"9.9.9"},
                            {L"NW_MASTERKEY", L"303132333435363738393A3B3C3D3E3F"}});
    EXPECT_TRUE(dbmode_test::TimeWithin(rows[0].at(L"SET_TIME"), before, Now()));
    EXPECT_TRUE(dbmode_test::TimeWithin(rows[0].at(L"GET_TIME"), before, Now()));

    // Opened again, the row is found and shown, the medium bytes unsigned.
    Scramble(d);
    EXPECT_TRUE(RunModal([&] { d.OpenSetupForGateway("0A.1B.2C"); }, [&](TFormGWsetup& shown) {
        ExpectSample(shown);
        EXPECT_TRUE(shown.CheckBoxEnableSoftUpdate->Checked());
        EXPECT_EQ(ListEntries(shown), kSampleIds);
        EXPECT_EQ(shown.LabelIDcount->Caption(), L"3/250");
        EXPECT_EQ(shown.EditSoftVer->Text(), L"9.9.9");
        EXPECT_EQ(shown.EditSendTime->Text(), DateTimeToStr(StoredTime(L"SET_TIME")));
        EXPECT_EQ(shown.EditEmpfTime->Text(), DateTimeToStr(StoredTime(L"GET_TIME")));

        // Changed and saved: the row is updated; the stored master key stays.
        shown.CheckBoxEnableSend->SetChecked(false);
        shown.RadioButtonT->SetChecked(true);
        shown.RadioButtonSofort->SetChecked(true);
        shown.EditMC1->SetText(L"128");
        shown.ListBoxFiltIDs->Items()->Clear();
        shown.EditMasterKey->SetText(L"FFEEDDCCBBAA99887766554433221100");
        shown.EditSoftVer->SetText(L"1.2.3");
        closed = SaveClosesDialog(shown);
    }));
    EXPECT_TRUE(closed);
    ASSERT_EQ(Messages().size(), 1u);
    rows = SetupRows();
    ASSERT_EQ(rows.size(), 1u);
    ExpectColumns(rows[0], {{L"SET_ENABLED", L"N"},
                            {L"FILT_MODE", L"T"},
                            {L"NW_INTERVALL", L"S"},
                            {L"FILT_MC2", L"-128"},
                            {L"FILT_IDLIST", L""},
                            {L"NW_MASTERKEY", L"303132333435363738393A3B3C3D3E3F"},
                            {L"SOFTWARE", L"9.9.9"},
                            {L"NW_SRV", L"gw.example.net"}});
}

TEST_F(SetupDialogDbTest, LoadingShowsTheRowsAsStoredAndTheLastOfSeveralRowsWins)
{
    TFDConnection& db = Database();
    // Values a strict server refuses, as older rows may hold them.
    dbmode_test::Exec(db, L"SET SESSION sql_mode=''");
    const auto insert = [&](const wchar_t* memo, const wchar_t* interval, const wchar_t* mode, const wchar_t* list) {
        dbmode_test::Exec(db, UnicodeString(L"INSERT INTO setup_daten (GW_ID,GET_TIME,MEMOTEXT,GET_ENABLED,SET_TIME,"
                                            L"SET_ENABLED,SOFTWARE,NW_SRV,NW_FEST_IP,NW_GW_IP,NW_SUB_IP,NW_NTP_IP,"
                                            L"NW_DNS_IP,NW_PORT,NW_INTERVALL,FILT_MODE,FILT_MC3,FILT_IDLIST) VALUES "
                                            L"('0A.1B.2C','2026-03-09 14:05:07','") +
                                  memo + L"','N','2026-03-09 00:00:00','Y','1.4.12','srv','1.2.3.4','1.2.3.5',"
                                         L"'255.0.0.0','1.2.3.6','1.2.3.7','80','" +
                                  interval + L"','" + mode + L"','-128','" + list + L"')");
    };
    insert(L"first", L"H", L"T", L"1");
    insert(L"second", L"X", L"X", L" 12345 , 1234abcd,,xyz,00000000,7");

    TFormSRV& form = CreateInDatabaseMode();
    TFormGWsetup& d = *FormGWsetup;
    Scramble(d);
    EXPECT_TRUE(d.LoadSetup(L"ignored", "0A", "1B", "2C"));
    EXPECT_FALSE(form.FDConn1->Connected());
    EXPECT_EQ(d.EditAnbauort->Text(), L"second");
    EXPECT_EQ(ShownId(d), L"0A.1B.2C");
    EXPECT_EQ(d.EditSoftVer->Text(), L"1.4.12");
    // Midnight: the date alone; otherwise date and time, in the locale's forms.
    EXPECT_EQ(d.EditSendTime->Text(), DateToStr(EncodeDate(2026, 3, 9)));
    EXPECT_EQ(d.EditEmpfTime->Text(), DateTimeToStr(EncodeDateTime(2026, 3, 9, 14, 5, 7, 0)));
    EXPECT_TRUE(d.CheckBoxEnableSend->Checked());
    EXPECT_FALSE(d.CheckBoxEnableSoftUpdate->Checked());
    EXPECT_EQ(d.EditPort->Text(), L"80");
    EXPECT_TRUE(d.CheckBoxDHCP->Checked()) << "column default Y";
    EXPECT_EQ(d.EditSubMsk->Text(), L"255.0.0.0");
    EXPECT_EQ(d.EditHS0->Text(), L"QXZ");
    EXPECT_EQ(d.EditMC0->Text(), L"8");
    EXPECT_EQ(d.EditMC2->Text(), L"128") << "the signed byte -128 is the medium code 128";
    EXPECT_EQ(d.EditMasterKey->Text(), L"") << "no key in the row";
    // A letter no button stands for checks none of them.
    EXPECT_FALSE(d.RadioButtonSofort->Checked() || d.RadioButtonProH->Checked() || d.RadioButtonProTag->Checked() ||
                 d.RadioButtonProMonat->Checked());
    EXPECT_FALSE(d.RadioButtonT->Checked() || d.RadioButtonS->Checked());
    // The list as the store reads it: trimmed, hexadecimal IDs kept, the rest skipped.
    EXPECT_EQ(ListEntries(d), (std::vector<UnicodeString>{L"00012345", L"1234ABCD", L"00000007"}));
    EXPECT_EQ(d.LabelIDcount->Caption(), L"3/250");

    // No row for the ID: nothing found, nothing changed. "Laden" looks up the empty ID.
    d.EditPort->SetText(L"x");
    EXPECT_FALSE(d.LoadSetup(L"ignored", "0A", "1B", "2D"));
    Script().Files = {(SetupFolder() / L"SETUPGW_0A_1B_2C.GWINI").wstring()};
    Click(d.ButtonLOAD);
    EXPECT_EQ(d.EditPort->Text(), L"x");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SetupDialogDbTest, FailuresAreShownAndTheDialogStaysOpenWithNothingStored)
{
    Database();
    TFormSRV& form = CreateInDatabaseMode(L"not the password");
    TFormGWsetup& d = *FormGWsetup;

    // The database cannot be reached: the load raises (no dialog), the save tells the operator.
    EXPECT_THROW(d.LoadSetup(L"", "0A", "1B", "2C"), Exception);
    EXPECT_FALSE(form.FDConn1->Connected());
    std::vector<UnicodeString> texts;
    EXPECT_TRUE(RunModal([&] { d.ShowModal(); }, [&](TFormGWsetup& shown) {
        FillSample(shown);
        EXPECT_FALSE(SaveClosesDialog(shown));
        form.EditDBPassword->SetText(dbtest::Server().password);

        // A text the table's reader could not take: named before any statement.
        shown.EditNTP->SetText(L"");
        EXPECT_FALSE(SaveClosesDialog(shown));
        shown.EditNTP->SetText(L"82.96.64.2");
        // A new row needs a readable master key; an existing one keeps its own.
        shown.EditMasterKey->SetText(L"123");
        EXPECT_FALSE(SaveClosesDialog(shown));
        shown.EditMasterKey->SetText(L"303132333435363738393A3B3C3D3E3F");
        // A statement the server refuses: its text.
        shown.EditSoftVer->SetText(L"123.456.789.0");
        EXPECT_FALSE(SaveClosesDialog(shown));
        for (const SeenDialog& m : Messages()) texts.push_back(m.Text);
    }));
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_TRUE(StartsWith(texts[0], L"Keine DB Verbindung!")) << Utf8(texts[0]);
    EXPECT_NE(texts[1].find(L"\"NTP Server\""), UnicodeString::npos) << Utf8(texts[1]);
    EXPECT_NE(texts[2].find(L"\"Master KEY\""), UnicodeString::npos) << Utf8(texts[2]);
    EXPECT_NE(texts[3].find(L"SOFTWARE"), UnicodeString::npos) << Utf8(texts[3]);
    for (const SeenDialog& m : Messages()) EXPECT_EQ(m.DlgType, mtError);
    EXPECT_TRUE(SetupRows().empty());
    EXPECT_FALSE(form.FDConn1->Connected());
}

TEST_F(SetupDialogDbTest, WhileTheServerRunsTheDialogUsesItsConnectionAndTheGatewayReceivesTheSavedSetup)
{
    TFormSRV& form = CreateInDatabaseMode();
    TFormGWsetup& d = *FormGWsetup;
    form.ToggleSwitch1->SetState(tssOn);
    ASSERT_TRUE(form.IdTCPServer1->Active());
    ASSERT_TRUE(form.FDConn1->Connected());

    form.UpdateGatewayStatusRow(L"0A.1B.2C", L"127.0.0.1", L"WMBUS Daten", L"", L"");
    form.StringGrid1->SetRow(1);
    Script().Answers = {mrIgnore};
    bool closed = false;
    EXPECT_TRUE(RunModal([&] { form.StringGrid1DblClick(form.StringGrid1); }, [&](TFormGWsetup& shown) {
        FillSample(shown);
        shown.CheckBoxEnableSoftUpdate->SetChecked(false); // a firmware update would come first
        closed = SaveClosesDialog(shown);
    }));
    EXPECT_TRUE(closed);
    EXPECT_TRUE(form.FDConn1->Connected()) << "the server's connection stays open";
    EXPECT_EQ(form.LabelDBStatus->Caption(), L"OK");

    const std::optional<GatewaySetupRecord> sent = SetupSentAtNextContact(port_);
    ASSERT_TRUE(sent);
    GatewaySetupRecord expected = SampleRecord();
    // The table store sends its send time with the setup.
    unsigned short year, month, day, hour, minute, second, msec;
    DecodeDateTime(StoredTime(L"SET_TIME"), year, month, day, hour, minute, second, msec);
    expected.SetTime = test_support::SetupTime(year, static_cast<uint8_t>(month), static_cast<uint8_t>(day),
                                               static_cast<uint8_t>(hour), static_cast<uint8_t>(minute),
                                               static_cast<uint8_t>(second));
    EXPECT_EQ(sent->Bytes(), expected.Bytes());

    Scramble(d);
    EXPECT_TRUE(RunModal([&] { form.StringGrid1DblClick(form.StringGrid1); }));
    ExpectSample(d);
    EXPECT_TRUE(form.FDConn1->Connected());
    EXPECT_EQ(ListEntries(d), kSampleIds);
    SwitchOff(form);
}
