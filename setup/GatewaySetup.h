#pragma once
// The setup dialog "Gateway Setups" (TFormGWsetup): created at start-up as the program's second
// window and shown modally for one gateway. The operator edits the gateway's setup there and
// queues it, or a firmware update, for the gateway's next contact; the radio-ID filter list can
// be filled from route files and CSV key lists. The dialog's controls are the setup: loading
// fills them from the store of the storage mode, saving writes them back.
//
// The form also owns the program's firmware image file, which every gateway contact reads for a
// firmware transfer.
#include "FirmwareImage.h"
#include "Forms.h"
#include "OpenDialogs.h"
#include "Statistik.h"
#include "StdCtrls.h"
#include "Strings.h"

class TFDConnection;
struct TSetupDialogTexts;

class TFormGWsetup : public TForm {
public:
    explicit TFormGWsetup(TComponent* owner);
    ~TFormGWsetup() override;
    UnicodeString ClassName() const override { return L"TFormGWsetup"; }

    // --- controls of the form definition
    TEdit* EditGWID2 = nullptr; // gateway ID byte 0 (AA of AA.BB.CC)
    TEdit* EditGWID1 = nullptr; // byte 1
    TEdit* EditGWID0 = nullptr; // byte 2
    TEdit* EditSoftVer = nullptr;
    TEdit* EditSendTime = nullptr;
    TEdit* EditEmpfTime = nullptr;
    TRadioButton* RadioButtonSofort = nullptr;
    TRadioButton* RadioButtonProH = nullptr;
    TRadioButton* RadioButtonProTag = nullptr;
    TRadioButton* RadioButtonProMonat = nullptr;
    TEdit* EditAnbauort = nullptr;
    TCheckBox* CheckBoxEnableSoftUpdate = nullptr;
    TCheckBox* CheckBoxEnableSend = nullptr;
    TGroupBox* GroupBoxNW = nullptr;
    TEdit* EditServerDNS = nullptr;
    TEdit* EditPort = nullptr;
    TCheckBox* CheckBoxDHCP = nullptr;
    TEdit* EditFestIP = nullptr;
    TEdit* EditGW = nullptr;
    TEdit* EditSubMsk = nullptr;
    TEdit* EditDNSSrv = nullptr;
    TEdit* EditNTP = nullptr;
    TEdit* EditMasterKey = nullptr;
    TLabel* LabelMKcount = nullptr;
    TButton* ButtonProfiMode = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TRadioButton* RadioButtonT = nullptr;
    TRadioButton* RadioButtonS = nullptr;
    TCheckBox* CheckBoxFiltManCode = nullptr;
    TEdit* EditHS0 = nullptr;
    TEdit* EditHS1 = nullptr;
    TEdit* EditHS2 = nullptr;
    TEdit* EditHS3 = nullptr;
    TCheckBox* CheckBoxFiltMC = nullptr;
    TEdit* EditMC0 = nullptr;
    TEdit* EditMC1 = nullptr;
    TEdit* EditMC2 = nullptr;
    TEdit* EditMC3 = nullptr;
    TCheckBox* CheckBoxFiltFunkID = nullptr;
    TEdit* EditID = nullptr;
    TButton* ButtonADD = nullptr;
    TListBox* ListBoxFiltIDs = nullptr;
    TLabel* LabelIDcount = nullptr;
    TButton* ButtonImportID = nullptr;
    TButton* ButtonSAVE = nullptr;
    TButton* ButtonLOAD = nullptr;
    TOpenDialog* OpenDialog = nullptr;

    // --- window events
    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void ButtonProfiModeClick(TObject* sender);
    void ButtonADDClick(TObject* sender);
    void ListBoxFiltIDsKeyUp(TObject* sender, WORD& key, TShiftState shift);
    void EditGWID2KeyPress(TObject* sender, wchar_t& key);
    void EditGWID2Change(TObject* sender);
    void EditGWID1Change(TObject* sender);
    void EditFestIPKeyPress(TObject* sender, wchar_t& key);
    void EditMasterKeyKeyPress(TObject* sender, wchar_t& key);
    void EditMasterKeyKeyUp(TObject* sender, WORD& key, TShiftState shift);
    void ButtonLOADClick(TObject* sender);
    void ButtonSAVEClick(TObject* sender);
    void ButtonImportIDClick(TObject* sender);

    // Shows the dialog modally for the gateway "AA.BB.CC" (empty: no gateway chosen). Without a
    // stored setup the operator may start a new one for that ID (Ignore) or not open the dialog.
    void OpenSetupForGateway(const AnsiString& gatewayIdText);

    // Fills the controls from the store of the storage mode: the gateway's rows of setup_daten
    // (database mode; path unused) or the setup file at path (file mode). AA, BB, CC are the
    // gateway ID's parts: the database key, and in file mode the ID shown unless one is empty.
    // True when a stored setup was found; otherwise the controls are unchanged. A database that
    // cannot be reached raises.
    bool LoadSetup(const UnicodeString& path, AnsiString AA, AnsiString BB, AnsiString CC);

    // The radio-ID import of one file into the list, each ID through the add step.
    void ImportRouteFile(const UnicodeString& fileName);
    void ImportCsvKeyList(const UnicodeString& fileName);

    // Looks for the firmware file again (creating its folder when missing) and notes the result.
    bool CheckFirmwareFile() { return firmware_.CheckFirmwareFile(); }
    UnicodeString FirmwarePath() const { return firmware_.FirmwarePath(); }
    bool FirmwareValid() const { return firmware_.FirmwareValid(); }
    TFirmwareImage& Firmware() { return firmware_; }

    // Writes the devices marked per gateway column as that gateway's radio-ID filter list,
    // with the filter on and the setup queued (GatewaySetupFilterPush.cpp).
    bool PushFilterIdList(const TDeviceStats& deviceStats, const TGatewayColumns& gatewayColumns, bool databaseMode);

private:
    // The nine controls of the network settings, which only expert mode unlocks.
    void SetNetworkControlsEnabled(bool enabled);
    // Appends the text of EditID when it is a radio ID and the list has room; then the counter.
    void AddEditIdToList();
    void ShowIdCount();

    bool LoadSetupFromDb(AnsiString AA, AnsiString BB, AnsiString CC);
    bool LoadSetupFromFile(const UnicodeString& path, const AnsiString& AA, const AnsiString& BB,
                           const AnsiString& CC);
    TSetupDialogTexts ReadControls() const;
    // Each false when the operator was told why nothing was stored.
    bool SaveToDb(const TSetupDialogTexts& texts);
    bool SaveToFile(const TSetupDialogTexts& texts);

    TFirmwareImage firmware_;
    // The main window's connection, as the last database load or save used it (not owned).
    TFDConnection* dbConnection_ = nullptr;
};

extern TFormGWsetup* FormGWsetup;

// The radio-ID text of a CSV key list's first field: three times, everything up to and including
// the first blank is dropped (when there is one); of the rest only the decimal digits remain.
AnsiString ExtractRadioIdDigits(AnsiString text);
