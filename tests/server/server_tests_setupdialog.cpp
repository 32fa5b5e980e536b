// The setup dialog's window: opening it for a gateway, expert mode, key filters and focus moves,
// the key counter, the radio-ID list, and a picture of it.
#include "server_tests_setupdialog_fixture.h"
#include "../framework/controls_tests_widgets_support.h"
#include "../framework/graphics_png.h"

#include <gtest/gtest.h>

using namespace setupdialog_test;

namespace {

std::vector<TControl*> NetworkControls(TFormGWsetup& d)
{
    return {d.EditServerDNS, d.EditPort,   d.CheckBoxDHCP, d.EditFestIP,   d.EditGW,
            d.EditSubMsk,    d.EditDNSSrv, d.EditNTP,      d.EditMasterKey};
}

int EnabledCount(const std::vector<TControl*>& controls)
{
    int count = 0;
    for (TControl* c : controls) count += c->Enabled() ? 1 : 0;
    return count;
}

} // namespace

TEST_F(SetupDialogTest, TheDefinitionHoldsTheControlsWithTheirDefaultsAndLimits)
{
    TFormGWsetup& d = CreateWindows();
    EXPECT_EQ(d.Caption(), L"Gateway Setups");
    EXPECT_EQ(d.BorderIcons(), TBorderIcons{biSystemMenu});
    EXPECT_EQ(d.HelpContext(), 18);
    EXPECT_EQ(d.Font()->Name(), L"Tahoma");
    EXPECT_EQ(d.Font()->Height(), -11);
    EXPECT_EQ(d.GroupBoxNW->Caption(), L"Netwerk Setup");
    EXPECT_EQ(d.GroupBox1->Caption(), L"WM-BUS Setup");
    EXPECT_EQ(d.GroupBoxNW->Width(), 457);
    EXPECT_EQ(d.GroupBox1->Width(), 362);
    EXPECT_EQ(d.GroupBoxNW->Height(), 265);
    EXPECT_EQ(d.EditAnbauort->Width(), 433);

    struct EditDefault {
        TEdit* Edit;
        const wchar_t* Text;
        int MaxLength;
        bool Enabled;
    };
    const EditDefault edits[] = {
        {d.EditGWID2, L"00", 2, false},
        {d.EditGWID1, L"00", 2, false},
        {d.EditGWID0, L"00", 2, false},
        {d.EditSoftVer, L"0.0.0", 0, false},
        {d.EditSendTime, L"0.0.0 00:00:00", 0, false},
        {d.EditEmpfTime, L"0.0.0 00:00:00", 0, false},
        {d.EditAnbauort, L"", 0, true},
        {d.EditPort, L"23", 5, false},
        {d.EditFestIP, L"192.168.1.98", 0, false},
        {d.EditGW, L"192.168.1.10", 0, false},
        {d.EditSubMsk, L"255.255.255.0", 0, false},
        {d.EditDNSSrv, L"8.8.8.8", 0, false},
        {d.EditNTP, L"82.96.64.2", 0, false},
        {d.EditMasterKey, L"7C3A91E05B2F4D86A0C9E1374B5D2F68", 32, false},
        {d.EditHS0, L"QXZ", 3, true},
        {d.EditHS3, L"QXZ", 3, true},
        {d.EditMC0, L"7", 3, true},
        {d.EditMC3, L"7", 3, true},
        {d.EditID, L"00000001", 8, true},
    };
    for (const EditDefault& e : edits) {
        SCOPED_TRACE(Utf8(e.Edit->Name()));
        EXPECT_EQ(e.Edit->Text(), e.Text);
        EXPECT_EQ(e.Edit->MaxLength(), e.MaxLength);
        EXPECT_EQ(e.Edit->Enabled(), e.Enabled);
    }
    EXPECT_EQ(d.EditServerDNS->MaxLength(), 32);
    EXPECT_FALSE(d.EditServerDNS->Text().empty());
    EXPECT_TRUE(d.EditPort->NumbersOnly());
    EXPECT_TRUE(d.EditMC1->NumbersOnly());
    EXPECT_TRUE(d.EditID->NumbersOnly());
    EXPECT_EQ(d.EditHS2->CharCase(), ecUpperCase);
    EXPECT_EQ(d.EditID->Alignment(), taRightJustify);
    EXPECT_EQ(d.EditGWID1->Alignment(), taCenter);

    EXPECT_TRUE(d.RadioButtonProH->Checked());
    EXPECT_FALSE(d.RadioButtonSofort->Checked() || d.RadioButtonProTag->Checked() || d.RadioButtonProMonat->Checked());
    EXPECT_TRUE(d.RadioButtonT->Checked());
    EXPECT_FALSE(d.RadioButtonS->Checked());
    EXPECT_TRUE(d.CheckBoxDHCP->Checked());
    EXPECT_FALSE(d.CheckBoxEnableSend->Checked() || d.CheckBoxEnableSoftUpdate->Checked());
    EXPECT_FALSE(d.CheckBoxFiltManCode->Checked() || d.CheckBoxFiltMC->Checked() || d.CheckBoxFiltFunkID->Checked());
    EXPECT_EQ(d.CheckBoxEnableSend->Caption(), L"Setup, senden bei n\u00e4chsten Gateway Kontakt.");
    EXPECT_EQ(d.CheckBoxEnableSoftUpdate->Caption(), L"Firmware Update, senden bei n\u00e4chsten Gateway Kontakt.");
    EXPECT_EQ(d.CheckBoxEnableSoftUpdate->HelpContext(), 21);
    EXPECT_EQ(d.CheckBoxEnableSend->HelpContext(), 22);
    EXPECT_EQ(d.ButtonProfiMode->Caption(), L"Editieren");
    EXPECT_EQ(d.ButtonProfiMode->HelpContext(), 18);
    EXPECT_EQ(d.ButtonImportID->Caption(), L"Import ID's");
    EXPECT_EQ(d.ButtonImportID->HelpContext(), 19);
    EXPECT_EQ(d.ButtonSAVE->Caption(), L"Speichern");
    EXPECT_EQ(d.ButtonLOAD->Caption(), L"Laden");
    EXPECT_EQ(d.ButtonADD->Caption(), L"+");
    EXPECT_EQ(d.LabelMKcount->Caption(), L"32/32");
    EXPECT_EQ(d.LabelIDcount->Caption(), L"0/250");
    EXPECT_EQ(d.ListBoxFiltIDs->Count(), 0);
    EXPECT_NE(d.OpenDialog, nullptr);
}

TEST_F(SetupDialogTest, WithoutAStoredSetupAbortKeepsTheDialogClosedAndIgnoreStartsANewSetupForTheId)
{
    TFormGWsetup& d = CreateWindows();
    d.EditHS0->SetText(L"ABC");
    d.ListBoxFiltIDs->Items()->Add(L"00012345");

    // Abort (or closing the box): the dialog is not shown and nothing changes.
    Script().Answers = {mrAbort};
    EXPECT_FALSE(RunModal([&] { d.OpenSetupForGateway("0A.1B.2C"); }));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].Text, L"Kein Setup f\u00fcr diese GWID vorhanden!");
    EXPECT_EQ(Messages()[0].DlgType, mtError);
    EXPECT_EQ(Messages()[0].Buttons, mbAbortIgnore);
    EXPECT_EQ(Messages()[0].HelpContext, 0);
    EXPECT_EQ(ShownId(d), L"00.00.00");
    Script().Answers = {mrCancel};
    EXPECT_FALSE(RunModal([&] { d.OpenSetupForGateway("0A.1B.2C"); }));

    // Ignore: the parts of the ID go to the three edits, in this order; the rest stays.
    Script().Answers = {mrIgnore};
    UnicodeString idWhileShown;
    EXPECT_TRUE(RunModal([&] { d.OpenSetupForGateway("0A.1B.2C"); },
                         [&](TFormGWsetup& shown) { idWhileShown = ShownId(shown); }));
    EXPECT_EQ(idWhileShown, L"0A.1B.2C");
    EXPECT_EQ(d.EditHS0->Text(), L"ABC");
    EXPECT_EQ(ListEntries(d), std::vector<UnicodeString>{L"00012345"});

    // The main window's button opens it without an ID: three empty parts.
    Script().Answers = {mrIgnore};
    EXPECT_TRUE(RunModal([&] { FormSRV->ButtonGWsetupClick(FormSRV->ButtonGWsetup); }));
    EXPECT_EQ(ShownId(*FormGWsetup), L"..");
    EXPECT_FALSE(std::filesystem::exists(SetupFile(L"__"))) << "nothing is stored before a save";
}

TEST_F(SetupDialogTest, ExpertModeUnlocksTheNetworkControlsUntilTheNextShowingOrAnotherAnswer)
{
    TFormGWsetup& d = CreateWindows();
    WriteBytes(SetupFile(L"0A_1B_2C"), "[NETZWERK]\r\nPORT=5000\r\n");
    const auto controls = NetworkControls(d);

    std::vector<int> enabled;
    Script().Answers = {mrYes, mrNo};
    EXPECT_TRUE(RunModal([&] { d.OpenSetupForGateway("0A.1B.2C"); }, [&](TFormGWsetup& shown) {
        enabled.push_back(EnabledCount(controls));
        shown.ButtonProfiMode->Click(); // Yes
        enabled.push_back(EnabledCount(controls));
        shown.ButtonProfiMode->Click(); // No
        enabled.push_back(EnabledCount(controls));
        shown.ButtonProfiMode->Click(); // box closed (no answer given: OK)
        enabled.push_back(EnabledCount(controls));
        Script().Answers = {mrYes};
        shown.ButtonProfiMode->Click();
        enabled.push_back(EnabledCount(controls));
    }));
    EXPECT_EQ(enabled, (std::vector<int>{0, 9, 0, 0, 9}));
    ASSERT_EQ(Messages().size(), 4u);
    EXPECT_EQ(Messages()[0].Text, L"Sind Sie sicher?");
    EXPECT_EQ(Messages()[0].DlgType, mtInformation);
    EXPECT_EQ(Messages()[0].Buttons, mbYesNo);
    EXPECT_EQ(Messages()[0].HelpContext, 0);

    // Unlocked when it closed; the next showing locks all nine again.
    EXPECT_EQ(EnabledCount(controls), 9);
    int atNextShowing = -1;
    EXPECT_TRUE(RunModal([&] { d.OpenSetupForGateway("0A.1B.2C"); },
                         [&](TFormGWsetup&) { atNextShowing = EnabledCount(controls); }));
    EXPECT_EQ(atNextShowing, 0);
    EXPECT_FALSE(d.EditGWID2->Enabled() || d.EditGWID1->Enabled() || d.EditGWID0->Enabled());
}

TEST_F(SetupDialogTest, TheFirmwareBoxCanBeTickedOnlyWhileTheFirmwareFileExisted)
{
    TFormGWsetup& d = CreateWindows();
    WriteBytes(SetupFile(L"0A_1B_2C"), "[UPDATE]\r\nENABLED=0\r\n");
    bool whileShown = true;
    RunModal([&] { d.OpenSetupForGateway("0A.1B.2C"); },
             [&](TFormGWsetup& shown) { whileShown = shown.CheckBoxEnableSoftUpdate->Enabled(); });
    EXPECT_FALSE(whileShown) << "no firmware file";

    // An empty file is no image: an update queued for it could never be sent.
    const auto image = documents_ / L"VELMORA" / L"W_MBUS_SRV_SOFTWARE" / L"NewSoftwareGW.bin";
    WriteBytes(image, "");
    d.CheckFirmwareFile();
    whileShown = true;
    RunModal([&] { d.OpenSetupForGateway("0A.1B.2C"); },
             [&](TFormGWsetup& shown) { whileShown = shown.CheckBoxEnableSoftUpdate->Enabled(); });
    EXPECT_FALSE(whileShown) << "an empty firmware file";

    WriteBytes(image, "firmware");
    d.CheckFirmwareFile();
    RunModal([&] { d.OpenSetupForGateway("0A.1B.2C"); },
             [&](TFormGWsetup& shown) { whileShown = shown.CheckBoxEnableSoftUpdate->Enabled(); });
    EXPECT_TRUE(whileShown);
}

TEST_F(SetupDialogTest, KeyFiltersTakeWhatTheirFieldHoldsAndTheIdEditsMoveTheFocusOn)
{
    TFormGWsetup& d = CreateWindows();
    // Typed into the windows: hexadecimal digits (upper-cased) for the key and the ID parts,
    // digits and points for the fixed address; backspace always.
    const struct {
        TEdit* Edit;
        const wchar_t* Typed;
        const wchar_t* Result;
    } cases[] = {
        {d.EditMasterKey, L"a1g-F\bc", L"A1C"},
        {d.EditGWID0, L"fz9", L"F9"},
        {d.EditFestIP, L"1.x2\b3", L"1.3"},
        {d.EditGW, L"gw-x", L"gw-x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.Edit->Name()));
        c.Edit->SetText(L"");
        Type(c.Edit, c.Typed);
        EXPECT_EQ(c.Edit->Text(), c.Result);
    }

    // The key counter follows each key release in the key field, and only that.
    d.EditMasterKey->SetText(L"00112233445566778899AABBCCDDEEFF");
    KeyUp(d.EditMasterKey, 'A');
    EXPECT_EQ(d.LabelMKcount->Caption(), L"32/32");
    d.EditMasterKey->SetSelStart(32);
    Type(d.EditMasterKey, L"\b");
    KeyUp(d.EditMasterKey, VK_BACK);
    EXPECT_EQ(d.LabelMKcount->Caption(), L"31/32");
    d.EditMasterKey->SetText(L"");
    EXPECT_EQ(d.LabelMKcount->Caption(), L"31/32");

    // Focus moves: only while the dialog is shown, after two characters, to an edit that can
    // take the focus.
    d.EditGWID2->SetText(L"0A");
    EXPECT_FALSE(d.EditGWID1->Focused()) << "hidden dialog";
    EXPECT_TRUE(RunModal([&] { d.ShowModal(); }, [&](TFormGWsetup& shown) {
        shown.EditGWID1->SetEnabled(true);
        shown.EditGWID0->SetEnabled(true);
        shown.EditAnbauort->SetFocus();
        shown.EditGWID2->SetText(L"1");
        EXPECT_TRUE(shown.EditAnbauort->Focused()) << "one character";
        shown.EditGWID2->SetText(L"1B");
        EXPECT_TRUE(shown.EditGWID1->Focused());
        shown.EditGWID1->SetText(L"2C");
        EXPECT_TRUE(shown.EditGWID0->Focused());
        shown.EditGWID0->SetEnabled(false);
        shown.EditAnbauort->SetFocus();
        shown.EditGWID1->SetText(L"3D");
        EXPECT_TRUE(shown.EditAnbauort->Focused()) << "target disabled";
        EXPECT_EQ(shown.EditGWID1->Text(), L"3D");
        shown.EditGWID1->SetEnabled(false);
    }));
}

TEST_F(SetupDialogTest, TheIdListTakesRadioIdsOfOneToEightDigitsUpTo250AndDeletesTheSelectedOne)
{
    TFormGWsetup& d = CreateWindows();
    // Stored as eight digits; what is no radio ID is not added, and the counter still updates.
    const std::pair<const wchar_t*, const wchar_t*> adds[] = {
        {L"12345", L"00012345"}, {L"00000001", L"00000001"}, {L"12345", L"00012345"},
        {L"", nullptr},          {L"123456789", nullptr},    {L"00000000", nullptr},
        {L"12a4", nullptr},      {L"-1", nullptr},
    };
    std::vector<UnicodeString> expected;
    for (const auto& [text, entry] : adds) {
        d.EditID->SetText(text);
        d.LabelIDcount->SetCaption(L"?");
        Click(d.ButtonADD);
        if (entry) expected.push_back(entry);
        EXPECT_EQ(ListEntries(d), expected) << Utf8(text);
        EXPECT_EQ(d.LabelIDcount->Caption(), IntToStr(expected.size()) + L"/250");
    }

    // Delete removes the selected entry; other keys, or no selection, only refresh the counter.
    d.ListBoxFiltIDs->SetItemIndex(1);
    KeyUp(d.ListBoxFiltIDs, VK_DELETE);
    EXPECT_EQ(ListEntries(d), (std::vector<UnicodeString>{L"00012345", L"00012345"}));
    EXPECT_EQ(d.LabelIDcount->Caption(), L"2/250");
    d.ListBoxFiltIDs->SetItemIndex(-1);
    d.LabelIDcount->SetCaption(L"?");
    KeyUp(d.ListBoxFiltIDs, VK_DELETE);
    EXPECT_EQ(d.ListBoxFiltIDs->Count(), 2);
    EXPECT_EQ(d.LabelIDcount->Caption(), L"2/250");
    d.ListBoxFiltIDs->SetItemIndex(0);
    d.LabelIDcount->SetCaption(L"?");
    KeyUp(d.ListBoxFiltIDs, VK_DOWN);
    EXPECT_EQ(d.ListBoxFiltIDs->Count(), 2);
    EXPECT_EQ(d.LabelIDcount->Caption(), L"2/250");

    // The 250th entry is the last.
    while (d.ListBoxFiltIDs->Count() < 249) d.ListBoxFiltIDs->Items()->Add(L"00000002");
    d.EditID->SetText(L"99999999");
    Click(d.ButtonADD);
    EXPECT_EQ(d.ListBoxFiltIDs->Count(), 250);
    EXPECT_EQ(d.ListBoxFiltIDs->Items()->Strings(249), L"99999999");
    Click(d.ButtonADD);
    EXPECT_EQ(d.ListBoxFiltIDs->Count(), 250);
    EXPECT_EQ(d.LabelIDcount->Caption(), L"250/250");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SetupDialogTest, PictureOfTheDialog)
{
    TStyleManager::TrySetStyle(L"Slate Classico");
    TFormGWsetup& d = CreateWindows();
    d.EditGWID2->SetText(L"0A");
    d.EditGWID1->SetText(L"1B");
    d.EditGWID0->SetText(L"2C");
    d.EditSoftVer->SetText(L"1.4.12");
    d.EditSendTime->SetText(L"09.12.2026 08:12:01");
    d.EditEmpfTime->SetText(L"09.12.2026 08:15:40");
    d.EditAnbauort->SetText(L"Heizungskeller, Haus 3");
    d.CheckBoxEnableSend->SetChecked(true);
    d.CheckBoxFiltFunkID->SetChecked(true);
    for (const wchar_t* id : {L"12345670", L"12345671", L"00004711", L"1234ABCD"}) d.ListBoxFiltIDs->Items()->Add(id);
    d.LabelIDcount->SetCaption(L"4/250");

    Script().Answers = {mrYes};
    const std::filesystem::path folder = BuildFolder() / L"screenshots";
    std::filesystem::create_directories(folder);
    const auto file = folder / L"setupdialog.png";
    std::unique_ptr<TBitmap> captured;
    EXPECT_TRUE(RunModal([&] { d.ShowModal(); }, [&](TFormGWsetup& shown) {
        shown.ButtonProfiModeClick(shown.ButtonProfiMode);
        SetForegroundWindow(shown.Handle());
        captured = CaptureWindow(shown.Handle());
    }));
    ASSERT_TRUE(captured);
    TBitmap& picture = *captured;
    ASSERT_GT(picture.Width(), 842);
    EXPECT_TRUE(SaveBitmapAsPng(picture, file.wstring())) << file.string();

    // A control's pixel at an offset inside it, in window coordinates.
    RECT window{};
    GetWindowRect(d.Handle(), &window);
    const auto pixel = [&](TControl* control, int x, int y) {
        const TPoint origin = control->ClientToScreen(TPoint{x, y});
        return picture.Canvas()->Pixels(origin.X - window.left, origin.Y - window.top);
    };
    // The list's empty part is the window colour, not the dialog's face; the first entry has ink.
    const TColor listBackground = pixel(d.ListBoxFiltIDs, d.ListBoxFiltIDs->ClientWidth() / 2,
                                        d.ListBoxFiltIDs->ClientHeight() - 4);
    const TColor face = pixel(&d, 4, d.ClientHeight() - 4);
    EXPECT_NE(listBackground, face);
    int ink = 0;
    for (int x = 2; x < 60; ++x)
        for (int y = 2; y < 14; ++y) ink += pixel(d.ListBoxFiltIDs, x, y) != listBackground ? 1 : 0;
    EXPECT_GT(ink, 20) << "the first ID is drawn";
    // The group boxes stand side by side without overlapping, inside the dialog.
    EXPECT_LT(d.GroupBoxNW->Left() + d.GroupBoxNW->Width(), d.GroupBox1->Left());
    EXPECT_LE(d.GroupBox1->Left() + d.GroupBox1->Width(), d.ClientWidth());
    EXPECT_LE(d.ButtonLOAD->Top() + d.ButtonLOAD->Height(), d.ClientHeight());
}
