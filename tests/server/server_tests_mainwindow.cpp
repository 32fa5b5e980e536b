// The main window: settings file, storage-mode pages, version text, layout rule, key filter,
// help file, the hidden restart button, opening the setup dialog, and a picture of every page.
#include "Aboutclasse.h"
#include "GatewayStatusGrid.h"
#include "server_tests_mainwindow_fixture.h"
#include "../framework/controls_tests_widgets_support.h"
#include "../framework/graphics_png.h"

#include <gtest/gtest.h>

using namespace mainwindow_test;

namespace {

const wchar_t* const kSettingsKeys[][2] = {
    {L"WINDOW", L"TOP"},     {L"WINDOW", L"WIDTH"},   {L"WINDOW", L"HEIGHT"},    {L"WINDOW", L"LEFT"},
    {L"TCP", L"AUTOSTART"},  {L"TCP", L"RESTART"},    {L"TCP", L"PORT"},         {L"TCP", L"MASTERKEY"},
    {L"DB", L"SERVER"},      {L"DB", L"NAME"},        {L"DB", L"USER"},          {L"DB", L"PWD"},
    {L"DB", L"ENABLE"},
};

} // namespace

TEST_F(MainWindowTest, WithoutSettingsFileTheDefaultsApplyAndClosingWritesAllThirteenKeys)
{
    TFormSRV& form = CreateForms();

    EXPECT_EQ(form.Left(), 0);
    EXPECT_EQ(form.Top(), 0);
    EXPECT_EQ(form.Width(), 1233);
    EXPECT_EQ(form.Height(), 723);
    EXPECT_EQ(form.EditPort->Text(), L"23");
    EXPECT_FALSE(form.DatabaseMode());
    EXPECT_TRUE(form.RadioButtonFile->Checked());
    EXPECT_FALSE(form.RadioButtonDB->Checked());
    EXPECT_FALSE(form.CheckBoxAutoStart->Checked());
    EXPECT_FALSE(form.CheckBoxReStart->Checked());
    EXPECT_FALSE(form.TimerAppStart->Enabled());
    EXPECT_EQ(form.EditMasterKey->Text(), L"7C3A91E05B2F4D86A0C9E1374B5D2F68");
    EXPECT_EQ(form.MasterKey(), (std::array<uint8_t, 16>{0x7C, 0x3A, 0x91, 0xE0, 0x5B, 0x2F, 0x4D, 0x86, 0xA0, 0xC9,
                                                          0xE1, 0x37, 0x4B, 0x5D, 0x2F, 0x68}));
    EXPECT_EQ(form.EditDBServer->Text(), L"127.0.0.1");
    EXPECT_EQ(form.EditDBName->Text(), L"db_marlindo");
    EXPECT_EQ(form.EditDBUser->Text(), L"root");
    EXPECT_EQ(form.EditDBPassword->Text(), L"4kq9rwzt");
    EXPECT_EQ(form.EditDBPassword->PasswordChar(), L'#');
    EXPECT_EQ(form.SetupFolder(), SetupFolder().wstring() + L"\\");
    // The test program has no version resource: the caption stays as defined.
    EXPECT_EQ(form.Caption(), L"wM-BUS to TCP Gateway Server");
    EXPECT_EQ(form.Version->Caption(), L"01.00");
    EXPECT_FALSE(std::filesystem::exists(SettingsPath())) << "creating the window writes no settings";

    // The status grid: seven titled columns, a fixed title row and one empty row.
    ASSERT_EQ(form.StringGrid1->ColCount(), StatusGridColumnCount);
    for (int column = 0; column < StatusGridColumnCount; ++column)
        EXPECT_EQ(form.StringGrid1->Cells(column, 0), StatusGridTitles[static_cast<size_t>(column)]);
    EXPECT_EQ(form.StringGrid1->RowCount(), 2);
    EXPECT_EQ(form.StringGrid1->FixedRows(), 1);
    EXPECT_EQ(form.StringGrid1->FixedCols(), 0);
    EXPECT_EQ(form.ProgramIcon->Width(), form.Panel1->Width() - 20);

    form.Close();

    EXPECT_EQ(KeyCount(SettingsPath()), 13);
    const std::map<std::pair<UnicodeString, UnicodeString>, UnicodeString> expected = {
        {{L"WINDOW", L"TOP"}, L"0"},          {{L"WINDOW", L"WIDTH"}, L"1233"},    {{L"WINDOW", L"HEIGHT"}, L"723"},
        {{L"WINDOW", L"LEFT"}, L"0"},         {{L"TCP", L"AUTOSTART"}, L"0"},      {{L"TCP", L"RESTART"}, L"0"},
        {{L"TCP", L"PORT"}, L"23"},           {{L"TCP", L"MASTERKEY"}, L"7C3A91E05B2F4D86A0C9E1374B5D2F68"},
        {{L"DB", L"SERVER"}, L"127.0.0.1"},   {{L"DB", L"NAME"}, L"db_marlindo"},  {{L"DB", L"USER"}, L"root"},
        {{L"DB", L"PWD"}, L"4kq9rwzt"},       {{L"DB", L"ENABLE"}, L"0"},
    };
    for (const auto& key : kSettingsKeys)
        EXPECT_EQ(Setting(key[0], key[1]), expected.at({key[0], key[1]})) << Utf8(key[0]) << " " << Utf8(key[1]);
    // The close appended the (empty) connection memo, which created the setup folder.
    EXPECT_TRUE(std::filesystem::exists(SetupFolder() / L"VerbindungsLog.txt"));
    EXPECT_TRUE(Relaunches().empty());
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(MainWindowTest, SettingsAreReadIntoTheWindowAndWrittenBackFromIt)
{
    WriteSettings({{{L"WINDOW", L"TOP"}, L"40"},
                   {{L"WINDOW", L"LEFT"}, L"30"},
                   {{L"WINDOW", L"WIDTH"}, L"1100"},
                   {{L"WINDOW", L"HEIGHT"}, L"700"},
                   {{L"TCP", L"PORT"}, L"5000"},
                   {{L"TCP", L"RESTART"}, L"1"},
                   {{L"TCP", L"MASTERKEY"}, L"00112233445566778899aabbccddeeff"},
                   {{L"DB", L"SERVER"}, L"db.example.invalid"},
                   {{L"DB", L"NAME"}, L"marlindo_test"},
                   {{L"DB", L"USER"}, L"operator"},
                   {{L"DB", L"PWD"}, L"secret"}});
    TFormSRV& form = CreateForms();

    EXPECT_EQ(form.BoundsRect(), Bounds(30, 40, 1100, 700));
    EXPECT_EQ(form.EditPort->Text(), L"5000");
    EXPECT_TRUE(form.CheckBoxReStart->Checked());
    EXPECT_FALSE(form.CheckBoxAutoStart->Checked());
    // Lower-case digits give the same bytes as upper-case ones.
    EXPECT_EQ(form.MasterKey(), (std::array<uint8_t, 16>{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99,
                                                          0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}));
    EXPECT_EQ(form.DbServer(), L"db.example.invalid");
    EXPECT_EQ(form.DbName(), L"marlindo_test");
    EXPECT_EQ(form.DbUser(), L"operator");
    EXPECT_EQ(form.DbPassword(), L"secret");
    EXPECT_EQ(form.EditDBServer->Text(), L"db.example.invalid");
    EXPECT_EQ(form.EditDBName->Text(), L"marlindo_test");
    EXPECT_EQ(form.EditDBUser->Text(), L"operator");
    EXPECT_EQ(form.EditDBPassword->Text(), L"secret");

    // The operator's choices go to the file on close; the storage mode takes effect next time.
    form.SetBounds(10, 20, 1000, 650);
    form.EditPort->SetText(L"6001");
    form.CheckBoxAutoStart->SetChecked(true);
    form.CheckBoxReStart->SetChecked(false);
    form.RadioButtonDB->SetChecked(true);
    form.EditDBName->SetText(L"other_db");
    form.EditMasterKey->SetText(L"FFEEDDCCBBAA99887766554433221100");
    EXPECT_FALSE(form.DatabaseMode());
    form.Close();

    EXPECT_EQ(Setting(L"WINDOW", L"LEFT"), L"10");
    EXPECT_EQ(Setting(L"WINDOW", L"TOP"), L"20");
    EXPECT_EQ(Setting(L"WINDOW", L"WIDTH"), L"1000");
    EXPECT_EQ(Setting(L"WINDOW", L"HEIGHT"), L"650");
    EXPECT_EQ(Setting(L"TCP", L"PORT"), L"6001");
    EXPECT_EQ(Setting(L"TCP", L"AUTOSTART"), L"1");
    EXPECT_EQ(Setting(L"TCP", L"RESTART"), L"0");
    EXPECT_EQ(Setting(L"TCP", L"MASTERKEY"), L"FFEEDDCCBBAA99887766554433221100");
    EXPECT_EQ(Setting(L"DB", L"ENABLE"), L"1");
    EXPECT_EQ(Setting(L"DB", L"NAME"), L"other_db");
    EXPECT_EQ(Setting(L"DB", L"SERVER"), L"db.example.invalid");
    EXPECT_EQ(KeyCount(SettingsPath()), 13);
}

TEST_F(MainWindowTest, AnInvalidPortTextWritesTheLastValidPort)
{
    WriteSettings({{{L"TCP", L"PORT"}, L"4100"}});
    TFormSRV& form = CreateForms();
    form.EditPort->SetText(L"4200");
    for (const wchar_t* text : {L"", L"0", L"70000", L"12a"}) {
        form.EditPort->SetText(text);
        int port = 0;
        EXPECT_FALSE(TryParsePort(text, port)) << Utf8(text);
    }
    form.Close();
    EXPECT_EQ(Setting(L"TCP", L"PORT"), L"4200");
    EXPECT_EQ(KeyCount(SettingsPath()), 13);
    EXPECT_TRUE(Dialogs().empty()) << "closing reports nothing";
}

TEST_F(MainWindowTest, StorageModeDecidesBetweenRawImportPageAndLogFileDisplays)
{
    for (const bool database : {true, false}) {
        SCOPED_TRACE(database ? "ENABLE=1" : "ENABLE=0");
        WriteSettings({{{L"DB", L"ENABLE"}, database ? L"1" : L"0"}});
        TFormSRV& form = CreateForms();
        EXPECT_EQ(form.DatabaseMode(), database);
        EXPECT_EQ(form.RadioButtonDB->Checked(), database);
        EXPECT_EQ(form.RadioButtonFile->Checked(), !database);
        EXPECT_EQ(form.TabSheetImport->TabVisible(), database);
        EXPECT_EQ(form.Label3->Visible(), !database);
        EXPECT_EQ(form.LabelLogDatei->Visible(), !database);
        EXPECT_EQ(form.Label5->Visible(), !database);
        EXPECT_EQ(form.MemoStat->Visible(), !database);
        DoneControls();
        DrainQueue();
        InitControls();
    }
}

TEST(MainWindowVersion, VersionTextComesFromTheProgramFilesVersionResource)
{
    ASSERT_TRUE(std::filesystem::exists(ProgramFile())) << "the program is built with the tests";
    MyVersionInfo program(ProgramFile().wstring());
    const wchar_t* version = nullptr;
    ASSERT_TRUE(program.GetFileVersion(version));
    EXPECT_EQ(UnicodeString(version), L"1.0.0.1");
    EXPECT_EQ(program.Translation(), 0x040704E4u);
    EXPECT_EQ(VersionCaptionText(version), L"1.0.0 (Build 1) ");

    // The test program itself has no version resource; a missing file has none either.
    const wchar_t* none = nullptr;
    EXPECT_FALSE(MyVersionInfo().GetFileVersion(none));
    EXPECT_FALSE(MyVersionInfo(L"C:\\no such folder\\none.exe").GetFileVersion(none));
    EXPECT_EQ(none, nullptr);

    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"4.9.2.2", L"4.9.2 (Build 2) "},
        {L"12.0.145", L"12.0 (Build 145) "},
        {L"7", L"7 (Build ) "},
        {L"1.", L"1 (Build ) "},
    };
    for (const auto& [text, caption] : cases) EXPECT_EQ(VersionCaptionText(text), caption) << Utf8(text);
}

TEST_F(MainWindowTest, ResizingKeepsPagesAndGroupBoxProportional)
{
    TFormSRV& form = CreateForms();
    // The window's own creation laid the controls out for the default size already.
    EXPECT_EQ(form.PageControl1->Width(), 1233 - 60);
    EXPECT_EQ(form.PageControl1->Height(), 723 - 190);

    form.Show();
    form.SetBounds(0, 0, 1000, 700);
    EXPECT_EQ(form.PageControl1->Width(), 940);
    EXPECT_EQ(form.GroupBox->Width(), 940);
    EXPECT_EQ(form.PageControl1->Height(), 510);
    EXPECT_EQ(form.Label3->Top(), form.PageControl1->Top() + 510 + 5);
    EXPECT_EQ(form.LabelLogDatei->Top(), form.Label3->Top());
    EXPECT_EQ(form.StringGrid1->Height(), 460);
    EXPECT_EQ(form.MemoVerLog->Height(), 440);
    EXPECT_EQ(form.MemoTime->Height(), 440);
    EXPECT_EQ(form.MemoLog->Height(), 470);
    EXPECT_EQ(form.StringGridStat->Height(), 260);

    const int pageWidth = form.TabSheet1->Width();
    EXPECT_EQ(pageWidth, form.PageControl1->DisplayRect().Width());
    EXPECT_EQ(form.StringGrid1->Width(), pageWidth - 20);
    EXPECT_EQ(form.MemoLog->Width(), pageWidth - 20);
    EXPECT_EQ(form.StringGridStat->Width(), pageWidth - 20);
    // The two memos of the connection page stand side by side within the page.
    EXPECT_EQ(form.MemoTime->Left() + form.MemoTime->Width(), pageWidth - 10);
    EXPECT_EQ(form.MemoVerLog->Left() + form.MemoVerLog->Width(), form.MemoTime->Left() - 10);

    const int gridWidth = form.StringGrid1->Width();
    const double shares[] = {0.11, 0.17, 0.18, 0.11, 0.18, 0.18, 0.18};
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(form.StringGrid1->ColWidths(column), static_cast<int>(gridWidth * shares[column])) << column;
}

TEST_F(MainWindowTest, MasterKeyFieldTakesHexDigitsOnlyAndUpperCasesLetters)
{
    TFormSRV& form = CreateForms();
    const std::pair<wchar_t, wchar_t> cases[] = {
        {L'a', L'A'}, {L'f', L'F'}, {L'A', L'A'}, {L'0', L'0'}, {L'9', L'9'}, {L'\b', L'\b'},
        {L'G', 0},    {L'g', 0},    {L'z', 0},    {L' ', 0},    {L'-', 0},    {L'\x00E4', 0},
    };
    for (const auto& [typed, passed] : cases) {
        wchar_t key = typed;
        form.EditMasterKeyKeyPress(form.EditMasterKey, key);
        EXPECT_EQ(key, passed) << static_cast<int>(typed);
    }

    // Typed into the window: a gives A, G is ignored, backspace removes.
    form.EditMasterKey->SetText(L"");
    form.EditMasterKey->HandleNeeded();
    for (wchar_t c : {L'a', L'G', L'1', L'\b', L'c'}) SendMessageW(form.EditMasterKey->Handle(), WM_CHAR, c, 0);
    EXPECT_EQ(form.EditMasterKey->Text(), L"AC");
}

TEST_F(MainWindowTest, HelpUsesTheHelpFileBesideTheProgram)
{
    TFormSRV& form = CreateForms();
    ASSERT_TRUE(Application->InvokeHelp(&form, HELP_CONTEXT, form.StringGrid1->HelpContext()));
    ASSERT_EQ(HelpCalls().size(), 1u);
    EXPECT_EQ(HelpCalls()[0].File, ExtractFilePath(ParamStr(0)) + L"WM-Bus_Marlindo.chm");
    EXPECT_EQ(HelpCalls()[0].Data, 18);
    EXPECT_EQ(Application->HelpFile(), HelpCalls()[0].File);
    EXPECT_EQ(form.EditPort->HelpContext(), 7);
}

TEST_F(MainWindowTest, HiddenRestartButtonClosesAndStartsTheProgramByItsFullPath)
{
    TFormSRV& form = CreateForms();
    EXPECT_FALSE(form.Button1->Visible());
    EXPECT_EQ(form.Button1->Caption(), L"Button1");
    form.Button1Click(form.Button1);

    EXPECT_TRUE(form.RestartRequested());
    ASSERT_EQ(Relaunches().size(), 1u);
    EXPECT_EQ(Relaunches()[0].Path, ParamStr(0));
    EXPECT_TRUE(EndsWith(Relaunches()[0].Path, L"\\server_tests.exe"));
    EXPECT_TRUE(Relaunches()[0].SettingsWritten) << "the settings are written before the new start";
    EXPECT_TRUE(PumpUntil([] { return Application->Terminated(); }, 2000)) << "the main window's close ends the program";
}

TEST_F(MainWindowTest, SetupDialogOpensForTheGatewayOfTheDoubleClickedRow)
{
    TFormSRV& form = CreateForms();
    ASSERT_NE(FormGWsetup, nullptr);
    ASSERT_NE(FormImportRAW, nullptr);
    EXPECT_EQ(FormGWsetup->Caption(), L"Gateway Setups");
    EXPECT_EQ(FormGWsetup->ClientWidth(), 842);
    EXPECT_EQ(FormGWsetup->ClientHeight(), 443);
    EXPECT_EQ(FormImportRAW->Caption(), L"Importieren von wM-Bus RAW Daten  aus .TXT Datei in die Datenbank");
    EXPECT_EQ(Application->MainForm(), &form);
    // The dialog's creation looked for the firmware file and made its folder.
    EXPECT_FALSE(FormGWsetup->FirmwareValid());
    EXPECT_TRUE(std::filesystem::exists(documents_ / L"VELMORA" / L"W_MBUS_SRV_SOFTWARE"));

    form.UpdateGatewayStatusRow(L"01.02.03", L"10.0.0.7", L"WMBUS Daten", L"", L"");
    form.UpdateGatewayStatusRow(L"0A.0B.0C", L"10.0.0.8", L"WMBUS Daten", L"", L"");
    form.StringGrid1->SetRow(2);

    // No setup is stored: the operator starts a new one (Ignore). Each modal run ends by the
    // close waiting in the queue.
    SetDialogHook([](const TDialogRequest& request) {
        Dialogs().push_back(request);
        return TModalResult{mrIgnore};
    });
    auto openWith = [&](const std::function<void()>& action) {
        FormGWsetup->HandleNeeded();
        PostMessageW(FormGWsetup->Handle(), WM_CLOSE, 0, 0);
        action();
        EXPECT_FALSE(FormGWsetup->Visible());
    };
    auto shownId = [] {
        return FormGWsetup->EditGWID2->Text() + L"." + FormGWsetup->EditGWID1->Text() + L"." +
               FormGWsetup->EditGWID0->Text();
    };
    openWith([&] { form.StringGrid1DblClick(form.StringGrid1); });
    EXPECT_EQ(shownId(), L"0A.0B.0C");
    openWith([&] { form.ButtonGWsetupClick(form.ButtonGWsetup); });
    EXPECT_EQ(shownId(), L"..");
    EXPECT_EQ(Dialogs().size(), 2u);
}

TEST_F(MainWindowTest, PicturesOfEveryPage)
{
    WriteSettings({{{L"DB", L"ENABLE"}, L"1"}});
    TStyleManager::TrySetStyle(L"Slate Classico");
    TFormSRV& form = CreateForms();

    // The test program has no icons of its own: take the program's.
    HMODULE program = LoadLibraryExW(ProgramFile().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    TIcon icon;
    icon.LoadFromResourceName(program, L"MAINICON");
    icon.SetSize(48, 48);
    form.ProgramIcon->Picture()->SetGraphic(&icon);
    icon.SetSize(32, 32);
    form.Image1->Picture()->SetGraphic(&icon);
    FreeLibrary(program);

    form.UpdateGatewayStatusRow(L"0A.1B.2C", L"192.0.2.17", L"WMBUS Daten", L"", L"");
    form.UpdateGatewayStatusRow(L"0A.1B.2D", L"192.0.2.18", L"SETUP Daten", L"SETUP ok", L"1.4.12");
    form.UpdateGatewayStatusRow(L"0A.1B.2C", L"192.0.2.17", L"WMBUS Daten", L"", L"");
    form.MemoVerLog->Lines()->Add(L"09.12.2026 08:12:01   IP:192.0.2.17        ID:0A.1B.2C  Anzahl Byte:  0074 AES    OK!  "
                                  L"Datentype: WMBUS Protokolle: 2");
    form.MemoLog->Lines()->Add(L"0 0A.1B.2C RID: 12345678 ABC  RxTime: 09.12.2026 08:11:59 -43dBm");
    form.MemoTime->Lines()->Add(L"Timeout 09.12 08:13:40 IP=192.0.2.99 Byte=0");
    form.Show();
    SetForegroundWindow(form.Handle());

    const std::filesystem::path folder = BuildFolder() / L"screenshots";
    std::filesystem::create_directories(folder);
    int pictures = 0;
    for (int index = 0; index < form.PageControl1->PageCount(); ++index) {
        TTabSheet* page = form.PageControl1->Pages(index);
        if (!page->TabVisible()) continue;
        form.PageControl1->SetActivePage(page);
        PumpUntil([] { return false; }, 150);
        const std::unique_ptr<TBitmap> picture = CaptureWindow(form.Handle());
        const auto file = folder / (L"mainwindow_" + std::to_wstring(index + 1) + L".png");
        EXPECT_TRUE(SaveBitmapAsPng(*picture, file.wstring())) << file.string();
        ++pictures;
    }
    EXPECT_EQ(pictures, 7);
}
