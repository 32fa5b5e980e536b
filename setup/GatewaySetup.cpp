// The setup dialog's window: creation, showing, expert mode, key filters and focus moves, the
// radio-ID list, and opening the dialog for a gateway. Loading and saving are in
// GatewaySetupLoadSave.cpp, the radio-ID import in GatewaySetupImport.cpp.
#include "GatewaySetup.h"

#include "DataFolders.h"
#include "Dialogs.h"
#include "GatewaySetupDialogValues.h"
#include "GatewaySetupRecord.h"
#include "Marlindo.h"
#include "SysUtils.h"

TFormGWsetup* FormGWsetup = nullptr;

namespace {

constexpr int MaxListEntries = static_cast<int>(FilterIdCount);

// Backspace passes; letters are upper-cased; anything but a hexadecimal digit is dropped.
void FilterHexKey(wchar_t& key)
{
    if (key == 8) return;
    if (key >= L'a' && key <= L'z') key = static_cast<wchar_t>(key - L'a' + L'A');
    const bool hex = (key >= L'0' && key <= L'9') || (key >= L'A' && key <= L'F');
    if (!hex) key = 0;
}

// The focus goes on to next once the edit holds a whole ID byte, while the dialog is shown.
void MoveFocusAfterByte(TCustomForm& form, TEdit* edit, TEdit* next)
{
    if (!edit || !next || !form.Visible() || edit->Text().size() != 2) return;
    if (next->CanFocus()) next->SetFocus();
}

} // namespace

TFormGWsetup::TFormGWsetup(TComponent* owner) : TForm(owner)
{
    BindField(L"EditGWID2", EditGWID2);
    BindField(L"EditGWID1", EditGWID1);
    BindField(L"EditGWID0", EditGWID0);
    BindField(L"EditSoftVer", EditSoftVer);
    BindField(L"EditSendTime", EditSendTime);
    BindField(L"EditEmpfTime", EditEmpfTime);
    BindField(L"RadioButtonSofort", RadioButtonSofort);
    BindField(L"RadioButtonProH", RadioButtonProH);
    BindField(L"RadioButtonProTag", RadioButtonProTag);
    BindField(L"RadioButtonProMonat", RadioButtonProMonat);
    BindField(L"EditAnbauort", EditAnbauort);
    BindField(L"CheckBoxEnableSoftUpdate", CheckBoxEnableSoftUpdate);
    BindField(L"CheckBoxEnableSend", CheckBoxEnableSend);
    BindField(L"GroupBoxNW", GroupBoxNW);
    BindField(L"EditServerDNS", EditServerDNS);
    BindField(L"EditPort", EditPort);
    BindField(L"CheckBoxDHCP", CheckBoxDHCP);
    BindField(L"EditFestIP", EditFestIP);
    BindField(L"EditGW", EditGW);
    BindField(L"EditSubMsk", EditSubMsk);
    BindField(L"EditDNSSrv", EditDNSSrv);
    BindField(L"EditNTP", EditNTP);
    BindField(L"EditMasterKey", EditMasterKey);
    BindField(L"LabelMKcount", LabelMKcount);
    BindField(L"ButtonProfiMode", ButtonProfiMode);
    BindField(L"GroupBox1", GroupBox1);
    BindField(L"RadioButtonT", RadioButtonT);
    BindField(L"RadioButtonS", RadioButtonS);
    BindField(L"CheckBoxFiltManCode", CheckBoxFiltManCode);
    BindField(L"EditHS0", EditHS0);
    BindField(L"EditHS1", EditHS1);
    BindField(L"EditHS2", EditHS2);
    BindField(L"EditHS3", EditHS3);
    BindField(L"CheckBoxFiltMC", CheckBoxFiltMC);
    BindField(L"EditMC0", EditMC0);
    BindField(L"EditMC1", EditMC1);
    BindField(L"EditMC2", EditMC2);
    BindField(L"EditMC3", EditMC3);
    BindField(L"CheckBoxFiltFunkID", CheckBoxFiltFunkID);
    BindField(L"EditID", EditID);
    BindField(L"ButtonADD", ButtonADD);
    BindField(L"ListBoxFiltIDs", ListBoxFiltIDs);
    BindField(L"LabelIDcount", LabelIDcount);
    BindField(L"ButtonImportID", ButtonImportID);
    BindField(L"ButtonSAVE", ButtonSAVE);
    BindField(L"ButtonLOAD", ButtonLOAD);
    BindField(L"OpenDialog", OpenDialog);

    BindHandler(L"FormCreate", &TFormGWsetup::FormCreate);
    BindHandler(L"FormShow", &TFormGWsetup::FormShow);
    BindHandler(L"ButtonProfiModeClick", &TFormGWsetup::ButtonProfiModeClick);
    BindHandler(L"ButtonADDClick", &TFormGWsetup::ButtonADDClick);
    BindHandler(L"ListBoxFiltIDsKeyUp", &TFormGWsetup::ListBoxFiltIDsKeyUp);
    BindHandler(L"EditGWID2KeyPress", &TFormGWsetup::EditGWID2KeyPress);
    BindHandler(L"EditGWID2Change", &TFormGWsetup::EditGWID2Change);
    BindHandler(L"EditGWID1Change", &TFormGWsetup::EditGWID1Change);
    BindHandler(L"EditFestIPKeyPress", &TFormGWsetup::EditFestIPKeyPress);
    BindHandler(L"EditMasterKeyKeyPress", &TFormGWsetup::EditMasterKeyKeyPress);
    BindHandler(L"EditMasterKeyKeyUp", &TFormGWsetup::EditMasterKeyKeyUp);
    BindHandler(L"ButtonLOADClick", &TFormGWsetup::ButtonLOADClick);
    BindHandler(L"ButtonSAVEClick", &TFormGWsetup::ButtonSAVEClick);
    BindHandler(L"ButtonImportIDClick", &TFormGWsetup::ButtonImportIDClick);

    ReadDefinition(L"TFormGWsetup");
}

TFormGWsetup::~TFormGWsetup()
{
    if (FormGWsetup == this) FormGWsetup = nullptr;
}

void TFormGWsetup::FormCreate(TObject*)
{
    // The validity flag is stored by the check itself.
    CheckFirmwareFile();
}

void TFormGWsetup::SetNetworkControlsEnabled(bool enabled)
{
    TControl* const controls[] = {EditServerDNS, EditPort, CheckBoxDHCP, EditFestIP,   EditGW,
                                  EditSubMsk,    EditDNSSrv, EditNTP,    EditMasterKey};
    for (TControl* control : controls) control->SetEnabled(enabled);
}

void TFormGWsetup::FormShow(TObject*)
{
    // Expert mode lasts one showing at most.
    SetNetworkControlsEnabled(false);
}

void TFormGWsetup::ButtonProfiModeClick(TObject*)
{
    SetNetworkControlsEnabled(MessageDlg(L"Sind Sie sicher?", mtInformation, mbYesNo, 0) == mrYes);
}

// ---------------------------------------------------------------------------------------------
// Key filters and focus moves

void TFormGWsetup::EditGWID2KeyPress(TObject*, wchar_t& key) { FilterHexKey(key); }

void TFormGWsetup::EditMasterKeyKeyPress(TObject*, wchar_t& key) { FilterHexKey(key); }

void TFormGWsetup::EditFestIPKeyPress(TObject*, wchar_t& key)
{
    if (key == 8 || key == L'.' || (key >= L'0' && key <= L'9')) return;
    key = 0;
}

void TFormGWsetup::EditGWID2Change(TObject*) { MoveFocusAfterByte(*this, EditGWID2, EditGWID1); }

void TFormGWsetup::EditGWID1Change(TObject*) { MoveFocusAfterByte(*this, EditGWID1, EditGWID0); }

void TFormGWsetup::EditMasterKeyKeyUp(TObject*, WORD&, TShiftState)
{
    LabelMKcount->SetCaption(IntToStr(EditMasterKey->Text().size()) + L"/32");
}

// ---------------------------------------------------------------------------------------------
// Radio-ID list

void TFormGWsetup::ShowIdCount()
{
    LabelIDcount->SetCaption(IntToStr(ListBoxFiltIDs->Count()) + L"/" + IntToStr(MaxListEntries));
}

void TFormGWsetup::AddEditIdToList()
{
    // Only what the gateway's list can hold is taken: the stores would drop anything else.
    const std::optional<UnicodeString> entry = RadioIdEntryFromInput(EditID->Text());
    if (entry && ListBoxFiltIDs->Count() < MaxListEntries) ListBoxFiltIDs->Items()->Add(*entry);
    ShowIdCount();
}

void TFormGWsetup::ButtonADDClick(TObject*) { AddEditIdToList(); }

void TFormGWsetup::ListBoxFiltIDsKeyUp(TObject*, WORD& key, TShiftState)
{
    if (key == VK_DELETE) {
        const int index = ListBoxFiltIDs->ItemIndex();
        if (index >= 0) ListBoxFiltIDs->Items()->Delete(index);
    }
    ShowIdCount();
}

// ---------------------------------------------------------------------------------------------
// Opening the dialog

void TFormGWsetup::OpenSetupForGateway(const AnsiString& gatewayIdText)
{
    const AnsiString AA = Copy(gatewayIdText, 1, 2);
    const AnsiString BB = Copy(gatewayIdText, 4, 2);
    const AnsiString CC = Copy(gatewayIdText, 7, 2);
    const UnicodeString folder = FormSRV ? FormSRV->SetupFolder() : DataSubfolder(L"W_MBUS_SRV_GWSETUPS");
    const UnicodeString path =
        folder + L"SETUPGW_" + AnsiToUnicode(AA) + L"_" + AnsiToUnicode(BB) + L"_" + AnsiToUnicode(CC) + L".GWINI";

    CheckBoxEnableSoftUpdate->SetEnabled(FirmwareValid());

    if (!LoadSetup(path, AA, BB, CC)) {
        if (MessageDlg(L"Kein Setup f\u00fcr diese GWID vorhanden!", mtError, mbAbortIgnore, 0) != mrIgnore) return;
        // A new setup for this ID; the other controls keep what they hold.
        EditGWID2->SetText(AnsiToUnicode(AA));
        EditGWID1->SetText(AnsiToUnicode(BB));
        EditGWID0->SetText(AnsiToUnicode(CC));
    }
    ShowModal();
}
