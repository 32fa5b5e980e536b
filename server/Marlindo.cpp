#include "Marlindo.h"

#include "DataFolders.h"
#include "Aboutclasse.h"
#include "ConnectionLog.h"
#include "DatenVerarbeitung.h"
#include "Dialogs.h"
#include "Files.h"
#include "GatewaySetup.h"
#include "GatewayStatusGrid.h"
#include "Helpfunktion.h"
#include "IdSync.h"
#include "IniFiles.h"
#include "RAWimport.h"
#include "SysUtils.h"
#include "TabImages.h"
#include "TelegramStorage.h"
#include "Threads.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

TFormSRV* FormSRV = nullptr;
int LastDayNumber = 0;

namespace {

const wchar_t* const kDefaultMasterKey = L"7C3A91E05B2F4D86A0C9E1374B5D2F68";
const wchar_t* const kHelpFileName = L"WM-Bus_Marlindo.chm";
// How long a stop lets the flagged connections end before listening stops (the main thread
// waits meanwhile).
constexpr DWORD kStopGraceMs = 500;
// Lines MemoVerLog holds before a new connection flushes it to the connection log.
constexpr int kConnectionMemoLines = 25;
// How long a failed automatic start waits before it is tried again.
constexpr unsigned kAppStartRetryMs = 10000;
// The connections' window changes run in bunches, one per tick: lines appear at most this late,
// and a burst of contacts costs one paint of a memo per tick instead of one per contact.
constexpr unsigned kWindowChangeTickMs = 50;

constexpr TColor kLampGreen = static_cast<TColor>(0x008000);  // red 0, green 128, blue 0
constexpr TColor kLampYellow = static_cast<TColor>(0x00FFFF); // red 255, green 255, blue 0

bool DefaultRelaunch(const UnicodeString& programPath)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, nullptr, programPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

TRelaunchFunction relaunchFunction = nullptr;

// The string grid behind the status-grid algorithm.
class TStringGridCells : public TStatusGridCells {
public:
    explicit TStringGridCells(TStringGrid& grid) : grid_(grid) {}
    UnicodeString Cell(int column, int row) const override { return grid_.Cells(column, row); }
    void SetCell(int column, int row, const UnicodeString& text) override { grid_.SetCells(column, row, text); }
    int RowCount() const override { return grid_.RowCount(); }
    void SetRowCount(int count) override { grid_.SetRowCount(count); }

private:
    TStringGrid& grid_;
};

// Locks a server's context list for the life of the guard.
class TContextListLock {
public:
    explicit TContextListLock(TIdTCPServer& server) : list_(server.Contexts()), items_(list_->LockList()) {}
    ~TContextListLock() { list_->UnlockList(); }
    TContextListLock(const TContextListLock&) = delete;
    TContextListLock& operator=(const TContextListLock&) = delete;
    TIdContextList& Items() const { return *items_; }

private:
    TIdContextThreadList* list_;
    TIdContextList* items_;
};

// Loads an icon resource of the program at the given size; false when the program has none.
bool LoadProgramIcon(TIcon& icon, const wchar_t* name, int size)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!FindResourceW(instance, name, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */)) return false;
    try {
        icon.LoadFromResourceName(instance, name);
        icon.SetSize(size, size);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------

TRelaunchFunction SetRelaunchFunction(TRelaunchFunction function)
{
    TRelaunchFunction previous = relaunchFunction ? relaunchFunction : &DefaultRelaunch;
    relaunchFunction = function;
    return previous;
}

UnicodeString SettingsFileName() { return ChangeFileExt(ExtractFileName(ParamStr(0)), L".INI"); }

bool TryParsePort(const UnicodeString& text, int& port)
{
    if (text.empty() || text.size() > 5) return false;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    if (value < 1 || value > 65535) return false;
    port = value;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Creation

TFormSRV::TFormSRV(TComponent* owner)
    : TForm(owner), windowChanges_([this] {
          // Queued for the main thread once per bunch; the tick gathers what follows.
          TThread::Queue(nullptr, [this] {
              if (TimerWindowChanges) TimerWindowChanges->SetEnabled(true);
          });
      })
{
    LastDayNumber = 0;

    // The TCP server: its bindings are set at every switch-on, never taken from here.
    IdTCPServer1 = new TIdTCPServer(this);
    IdTCPServer1->SetName(L"IdTCPServer1");
    // Gateways connect in bursts: a queue of 10 dropped handshakes, which their TCP stacks
    // retried only a second or more later.
    IdTCPServer1->SetListenQueue(TIdTCPServer::MaxListenQueue);
    IdTCPServer1->SetReuseSocket(rsFalse);
    IdTCPServer1->SetUseNagle(false);
    IdTCPServer1->SetTerminateWaitTime(2000);
    IdTCPServer1->OnConnect = [this](TIdContext* context) { IdTCPServer1Connect(context); };
    IdTCPServer1->OnExecute = [this](TIdContext* context) { IdTCPServer1Execute(context); };
    IdTCPServer1->OnDisconnect = [this](TIdContext* context) { IdTCPServer1Disconnect(context); };
    IdTCPServer1->OnException = [this](TIdContext* context, Exception* e) { IdTCPServer1Exception(context, e); };
    IdTCPServer1->OnListenException = [this](TIdListenerThread* thread, Exception* e) {
        IdTCPServer1ListenException(thread, e);
    };

    FDConn1 = new TFDConnection(this);
    FDConn1->SetName(L"FDConn1");
    FDConn1->Params()->Add(L"DriverID=MySQL");
    FDConn1->SetLoginPrompt(false);
    BindDbStatusEvents(*FDConn1, *this);

    ImageList1 = new TImageList(this, TabImageSize, TabImageSize);
    ImageList1->SetName(L"ImageList1");
    ImageList2 = new TImageList(this, 49, 48);
    ImageList2->SetName(L"ImageList2");

    TimerWindowChanges = new TTimer(this);
    TimerWindowChanges->SetName(L"TimerWindowChanges");
    TimerWindowChanges->SetEnabled(false);
    TimerWindowChanges->SetInterval(kWindowChangeTickMs);
    TimerWindowChanges->OnTimer = [this](TObject* sender) { TimerWindowChangesTimer(sender); };

    TimerAppStartRetry = new TTimer(this);
    TimerAppStartRetry->SetName(L"TimerAppStartRetry");
    TimerAppStartRetry->SetEnabled(false);
    TimerAppStartRetry->SetInterval(kAppStartRetryMs);
    TimerAppStartRetry->OnTimer = [this](TObject* sender) { TimerAppStartRetryTimer(sender); };

    BindField(L"GroupBox", GroupBox);
    BindField(L"ShapeLED1", ShapeLED1);
    BindField(L"LabelOFFON", LabelOFFON);
    BindField(L"ToggleSwitch1", ToggleSwitch1);
    BindField(L"ActivityIndicator1", ActivityIndicator1);
    BindField(L"Label4", Label4);
    BindField(L"EditTage", EditTage);
    BindField(L"Label1", Label1);
    BindField(L"EditTime", EditTime);
    BindField(L"ButtonGWsetup", ButtonGWsetup);
    BindField(L"Button1", Button1);
    BindField(L"StatusBar", StatusBar);
    BindField(L"Label3", Label3);
    BindField(L"LabelLogDatei", LabelLogDatei);
    BindField(L"PageControl1", PageControl1);
    BindField(L"TabSheet1", TabSheet1);
    BindField(L"StringGrid1", StringGrid1);
    BindField(L"TabSheet2", TabSheet2);
    BindField(L"CheckBoxMitLogFile", CheckBoxMitLogFile);
    BindField(L"Label11", Label11);
    BindField(L"MemoTime", MemoTime);
    BindField(L"MemoVerLog", MemoVerLog);
    BindField(L"TabSheet3", TabSheet3);
    BindField(L"MemoLog", MemoLog);
    BindField(L"TabSheet4", TabSheet4);
    BindField(L"Calendar1", Calendar1);
    BindField(L"ButtonZur", ButtonZur);
    BindField(L"ButtonVor", ButtonVor);
    BindField(L"ButtonMkFilter", ButtonMkFilter);
    BindField(L"StringGridStat", StringGridStat);
    BindField(L"MemoStat", MemoStat);
    BindField(L"Label5", Label5);
    BindField(L"Label6", Label6);
    BindField(L"LabelDir", LabelDir);
    BindField(L"LabelDatum", LabelDatum);
    BindField(L"ActivityIndicatorAnalyse", ActivityIndicatorAnalyse);
    BindField(L"TabSheet5", TabSheet5);
    BindField(L"Panel1", Panel1);
    BindField(L"SoftwareVersion", SoftwareVersion);
    BindField(L"Version", Version);
    BindField(L"Image1", Image1);
    BindField(L"ProgramIcon", ProgramIcon);
    BindField(L"TabSheetSetup", TabSheetSetup);
    BindField(L"EditPort", EditPort);
    BindField(L"CheckBoxAutoStart", CheckBoxAutoStart);
    BindField(L"CheckBoxReStart", CheckBoxReStart);
    BindField(L"RadioButtonFile", RadioButtonFile);
    BindField(L"RadioButtonDB", RadioButtonDB);
    BindField(L"GroupBoxDB", GroupBoxDB);
    BindField(L"EditDBServer", EditDBServer);
    BindField(L"EditDBName", EditDBName);
    BindField(L"EditDBUser", EditDBUser);
    BindField(L"EditDBPassword", EditDBPassword);
    BindField(L"LabelStatusDB", LabelStatusDB);
    BindField(L"LabelDBStatus", LabelDBStatus);
    BindField(L"LabelDBerror", LabelDBerror);
    BindField(L"EditMasterKey", EditMasterKey);
    BindField(L"TabSheetImport", TabSheetImport);
    BindField(L"Label16", Label16);
    BindField(L"Label17", Label17);
    BindField(L"Button2", Button2);
    BindField(L"TimerRunTime", TimerRunTime);
    BindField(L"TimerStartServerStop", TimerStartServerStop);
    BindField(L"TimerLED1", TimerLED1);
    BindField(L"TimerAppStart", TimerAppStart);
    BindField(L"TimerAnalyseRunTest", TimerAnalyseRunTest);
    BindField(L"CTrayIcon1", CTrayIcon1);
    BindField(L"OpenDialog1", OpenDialog1);

    BindHandler(L"FormCreate", &TFormSRV::FormCreate);
    BindHandler(L"FormResize", &TFormSRV::FormResize);
    BindHandler(L"FormCloseQuery", &TFormSRV::FormCloseQuery);
    BindHandler(L"FormClose", &TFormSRV::FormClose);
    BindHandler(L"FormHelp", &TFormSRV::FormHelp);
    BindHandler(L"ToggleSwitch1Click", &TFormSRV::ToggleSwitch1Click);
    BindHandler(L"TimerRunTimeTimer", &TFormSRV::TimerRunTimeTimer);
    BindHandler(L"TimerStartServerStopTimer", &TFormSRV::TimerStartServerStopTimer);
    BindHandler(L"TimerLED1Timer", &TFormSRV::TimerLED1Timer);
    BindHandler(L"TimerAppStartTimer", &TFormSRV::TimerAppStartTimer);
    BindHandler(L"EditMasterKeyKeyPress", &TFormSRV::EditMasterKeyKeyPress);
    BindHandler(L"EditPortChange", &TFormSRV::EditPortChange);
    BindHandler(L"Button1Click", &TFormSRV::Button1Click);
    BindHandler(L"ButtonGWsetupClick", &TFormSRV::ButtonGWsetupClick);
    BindHandler(L"StringGrid1DblClick", &TFormSRV::StringGrid1DblClick);
    BindHandler(L"Button2Click", &TFormSRV::Button2Click);
    BindHandler(L"TabSheet4Show", &TFormSRV::TabSheet4Show);
    BindHandler(L"Calendar1Change", &TFormSRV::Calendar1Change);
    BindHandler(L"ButtonZurClick", &TFormSRV::ButtonZurClick);
    BindHandler(L"ButtonVorClick", &TFormSRV::ButtonVorClick);
    BindHandler(L"ButtonMkFilterClick", &TFormSRV::ButtonMkFilterClick);
    BindHandler(L"StringGridStatDrawCell", &TFormSRV::StringGridStatDrawCell);
    BindHandler(L"StringGridStatDblClick", &TFormSRV::StringGridStatDblClick);
    BindHandler(L"TimerAnalyseRunTestTimer", &TFormSRV::TimerAnalyseRunTestTimer);

    ReadDefinition(L"TFormSRV");

    if (Application) {
        Application->OnHelp = [this](WORD command, intptr_t data, bool& callHelp) {
            return FormHelp(command, data, callHelp);
        };
    }
}

TFormSRV::~TFormSRV()
{
    closing_ = true;
    if (FormSRV == this) FormSRV = nullptr;
    if (Application) Application->OnHelp = nullptr;
    // The analysis thread writes the statistics arrays: it ends before they go.
    StopAnalysis();
    // Stop the server while every window still exists: its connections' last window changes
    // run during the stop.
    try {
        if (IdTCPServer1) IdTCPServer1->SetActive(false);
    } catch (...) {
    }
    try {
        windowChanges_.Close();
    } catch (...) {
    }
}

void TFormSRV::LoadProgramImages()
{
    TIcon icon;
    if (LoadProgramIcon(icon, L"MAINICON", 48)) ProgramIcon->Picture()->SetGraphic(&icon);
    if (LoadProgramIcon(icon, L"MAINICON", 32)) Image1->Picture()->SetGraphic(&icon);
    static const wchar_t* const frames[] = {L"TRAY0", L"TRAY1", L"TRAY2", L"TRAY3"};
    for (const wchar_t* frame : frames) {
        TIcon trayIcon;
        if (LoadProgramIcon(trayIcon, frame, 48)) ImageList2->AddIcon(&trayIcon);
    }
    CTrayIcon1->SetIcons(ImageList2);

    AddTabImages(*ImageList1);
    PageControl1->SetImages(ImageList1);
    for (int page = 0; page < PageControl1->PageCount() && page < TabImageCount; ++page)
        PageControl1->Pages(page)->SetImageIndex(page);
}

void TFormSRV::FormCreate(TObject*)
{
    LoadProgramImages();

    settingsPath_ = DataFolder() + SettingsFileName();
    {
        TIniFile ini(settingsPath_);
        SetTop(ini.ReadInteger(L"WINDOW", L"TOP", 0));
        SetWidth(ini.ReadInteger(L"WINDOW", L"WIDTH", 1233));
        SetHeight(ini.ReadInteger(L"WINDOW", L"HEIGHT", 723));
        SetLeft(ini.ReadInteger(L"WINDOW", L"LEFT", 0));
        CheckBoxAutoStart->SetChecked(ini.ReadBool(L"TCP", L"AUTOSTART", false));
        CheckBoxReStart->SetChecked(ini.ReadBool(L"TCP", L"RESTART", false));
        const int port = ini.ReadInteger(L"TCP", L"PORT", 23);
        EditPort->SetText(IntToStr(port));
        EditMasterKey->SetText(ini.ReadString(L"TCP", L"MASTERKEY", kDefaultMasterKey));
        dbServer_ = ini.ReadString(L"DB", L"SERVER", L"127.0.0.1");
        dbName_ = ini.ReadString(L"DB", L"NAME", L"db_marlindo");
        dbUser_ = ini.ReadString(L"DB", L"USER", L"root");
        dbPassword_ = ini.ReadString(L"DB", L"PWD", L"4kq9rwzt");
        databaseMode_ = ini.ReadBool(L"DB", L"ENABLE", false);
    }
    // The size from the file may differ from the definition's: lay the pages out for it.
    FormResize(this);
    int port = 23;
    lastValidPort_ = TryParsePort(EditPort->Text(), port) ? port : 23;
    EditDBServer->SetText(dbServer_);
    EditDBName->SetText(dbName_);
    EditDBUser->SetText(dbUser_);
    EditDBPassword->SetText(dbPassword_);
    RadioButtonDB->SetChecked(databaseMode_);
    restartRequested_ = false;

    // The CSV log labels and the statistics' file list belong to file mode, the RAW import
    // (into the database) to database mode.
    Label3->SetVisible(!databaseMode_);
    LabelLogDatei->SetVisible(!databaseMode_);
    Label5->SetVisible(!databaseMode_);
    MemoStat->SetVisible(!databaseMode_);
    if (!databaseMode_) TabSheetImport->SetTabVisible(false);

    setupFolder_ = DataSubfolder(L"W_MBUS_SRV_GWSETUPS");

    static const int columnWidths[StatusGridColumnCount] = {100, 120, 150, 110, 160, 160, 100};
    for (int column = 0; column < StatusGridColumnCount; ++column) {
        StringGrid1->SetCells(column, 0, StatusGridTitles[static_cast<size_t>(column)]);
        StringGrid1->SetColWidths(column, columnWidths[column]);
    }

    statFileList_ = std::make_unique<TStringList>();

    ProgramIcon->SetWidth(Panel1->Width() - 20);

    MyVersionInfo versionInfo;
    const wchar_t* fileVersion = nullptr;
    if (versionInfo.GetFileVersion(fileVersion)) {
        const UnicodeString text = VersionCaptionText(fileVersion);
        Version->SetCaption(text);
        SetCaption(Caption() + L"  " + text);
    }

    ConvertMasterKey();

    if (CheckBoxAutoStart->Checked()) TimerAppStart->SetEnabled(true);
}

void TFormSRV::ConvertMasterKey()
{
    const AnsiString text = UnicodeToAnsi(EditMasterKey->Text());
    std::array<uint8_t, 16> key{};
    for (size_t i = 0; i < key.size(); ++i) key[i] = HexPairToByte(Copy(text, static_cast<long long>(2 * i + 1), 2));
    std::lock_guard<std::mutex> guard(masterKeyLock_);
    masterKey_ = key;
}

std::array<uint8_t, 16> TFormSRV::MasterKey() const
{
    std::lock_guard<std::mutex> guard(masterKeyLock_);
    return masterKey_;
}

// ---------------------------------------------------------------------------------------------
// Layout, help, closing

void TFormSRV::FormResize(TObject*)
{
    // OnResize may come while the definition is still being read.
    if (!PageControl1 || !GroupBox || !StringGrid1 || !MemoVerLog || !MemoTime || !MemoLog || !StringGridStat ||
        !Label3 || !LabelLogDatei || !Label11)
        return;
    PageControl1->SetHeight(std::max(0, Height() - 190));
    Label3->SetTop(PageControl1->Top() + PageControl1->Height() + 5);
    LabelLogDatei->SetTop(Label3->Top());

    const int pageHeight = PageControl1->Height();
    StringGrid1->SetHeight(std::max(0, pageHeight - 50));
    MemoVerLog->SetHeight(std::max(0, pageHeight - 70));
    MemoTime->SetHeight(MemoVerLog->Height());
    MemoLog->SetHeight(std::max(0, pageHeight - 40));
    StringGridStat->SetHeight(std::max(0, pageHeight - 250));

    GroupBox->SetWidth(std::max(0, Width() - 60));
    PageControl1->SetWidth(std::max(0, Width() - 60));
    const int pageWidth = PageControl1->DisplayRect().Width();
    MemoLog->SetWidth(std::max(0, pageWidth - 20));
    StringGrid1->SetWidth(std::max(0, pageWidth - 20));
    StringGridStat->SetWidth(std::max(0, pageWidth - 20));
    // The error memo keeps its width at the right edge of the page; the connection memo takes
    // the rest of the page width, so the two stand side by side.
    MemoTime->SetLeft(std::max(MemoVerLog->Left(), pageWidth - 10 - MemoTime->Width()));
    Label11->SetLeft(MemoTime->Left());
    MemoVerLog->SetWidth(std::max(0, MemoTime->Left() - 10 - MemoVerLog->Left()));

    static const double shares[StatusGridColumnCount] = {0.11, 0.17, 0.18, 0.11, 0.18, 0.18, 0.18};
    const int gridWidth = StringGrid1->Width();
    for (int column = 0; column < StatusGridColumnCount; ++column)
        StringGrid1->SetColWidths(column, static_cast<int>(gridWidth * shares[column]));
}

bool TFormSRV::FormHelp(WORD, intptr_t, bool& callHelp)
{
    if (Application) Application->SetHelpFile(ExtractFilePath(Application->ExeName()) + kHelpFileName);
    callHelp = true;
    return true;
}

void TFormSRV::SaveAndClearConnectionMemo()
{
    if (CheckBoxMitLogFile->Checked()) {
        try {
            AppendConnectionLog(MemoVerLog->Text());
            reportedConnectionLogFailure_.clear();
        } catch (const Exception& e) {
            const UnicodeString kind = e.ClassName() + L": " + e.Message();
            if (kind != reportedConnectionLogFailure_) {
                // Set first: the box's message loop may run the next connection's flush.
                reportedConnectionLogFailure_ = kind;
                if (Application) Application->ShowException(e);
            }
            return;
        }
    }
    MemoVerLog->Lines()->Clear();
}

void TFormSRV::SaveConnectionMemoAtClose()
{
    // The connection lines still on their way belong in the file too.
    RunPendingWindowChanges();
    try {
        AppendConnectionLog(MemoVerLog->Text());
        MemoVerLog->Lines()->Clear();
    } catch (const Exception& e) {
        // The lines stay for the close's second query after a stop; one report is enough.
        if (closeLogFailureReported_) return;
        closeLogFailureReported_ = true;
        MemoTime->Lines()->Add(L"Exception:" + e.Message() + FormatDateTime(L"dd.mm hh:nn:ss", Now()));
        // The 24-hour restart runs unattended: a box there would hold the restart until someone
        // closes it.
        if (!restartRequested_ && Application) Application->ShowException(e);
    }
}

void TFormSRV::FormCloseQuery(TObject*, bool& canClose)
{
    // A close asked for while this one's report box is open waits for this one.
    if (inCloseQuery_) {
        canClose = false;
        return;
    }
    // A stop is under way: the window closes when it has ended, once.
    if (stopping_) {
        closeRequested_ = true;
        canClose = false;
        return;
    }
    inCloseQuery_ = true;
    try {
        SaveConnectionMemoAtClose();
    } catch (...) {
        inCloseQuery_ = false;
        throw;
    }
    inCloseQuery_ = false;
    if (ToggleSwitch1->IsOn() && IdTCPServer1->Active()) {
        ToggleSwitch1->SetState(tssOff); // runs the stop
        closeRequested_ = true;
        canClose = false;
        return;
    }
    canClose = true;
}

void TFormSRV::FormClose(TObject*, TCloseAction&)
{
    TimerAppStartRetry->SetEnabled(false);
    WriteSettings();
    StopAnalysis();
    statFileList_.reset();
    if (restartRequested_) {
        TRelaunchFunction relaunch = relaunchFunction ? relaunchFunction : &DefaultRelaunch;
        // A failed start cannot be helped here: the program ends all the same.
        relaunch(ParamStr(0));
    }
}

void TFormSRV::WriteSettings()
{
    const UnicodeString folder = ExtractFilePath(settingsPath_);
    if (!folder.empty()) ForceDataFolder(folder);
    // A port text that is not a port writes the last one that was.
    int port = lastValidPort_;
    TryParsePort(EditPort->Text(), port);

    TIniFile ini(settingsPath_);
    ini.WriteInteger(L"WINDOW", L"TOP", Top());
    ini.WriteInteger(L"WINDOW", L"WIDTH", Width());
    ini.WriteInteger(L"WINDOW", L"HEIGHT", Height());
    ini.WriteInteger(L"WINDOW", L"LEFT", Left());
    ini.WriteInteger(L"TCP", L"PORT", port);
    ini.WriteBool(L"TCP", L"AUTOSTART", CheckBoxAutoStart->Checked());
    ini.WriteBool(L"TCP", L"RESTART", CheckBoxReStart->Checked());
    ini.WriteString(L"TCP", L"MASTERKEY", EditMasterKey->Text());
    ini.WriteBool(L"DB", L"ENABLE", RadioButtonDB->Checked());
    ini.WriteString(L"DB", L"SERVER", EditDBServer->Text());
    ini.WriteString(L"DB", L"NAME", EditDBName->Text());
    ini.WriteString(L"DB", L"USER", EditDBUser->Text());
    ini.WriteString(L"DB", L"PWD", EditDBPassword->Text());
}

// ---------------------------------------------------------------------------------------------
// The switch

void TFormSRV::ToggleSwitch1Click(TObject*)
{
    if (revertingSwitch_) return;
    // The operator's (or the close's) use of the switch ends the retries of the automatic start.
    if (!automaticSwitchOn_) TimerAppStartRetry->SetEnabled(false);
    if (ToggleSwitch1->IsOn())
        SwitchOn();
    else
        SwitchOff();
}

UnicodeString TFormSRV::PortText() { return EditPort->Text(); }

void TFormSRV::SwitchOn()
{
    try {
        EditMasterKey->SetEnabled(false);
        ConvertMasterKey();

        if (databaseMode_) {
            const TDbSettings settings{EditDBServer->Text(), EditDBName->Text(), EditDBUser->Text(),
                                       EditDBPassword->Text()};
            ConfigureDbConnection(*FDConn1, settings);
            CreateDbSchema(*FDConn1, settings);
            {
                // Another database, or the same one changed while the server was off.
                std::lock_guard<std::mutex> guard(rxTablesLock_);
                knownRxTables_.clear();
            }
            dbPool_.Configure(*FDConn1);
            dbPoolConfigured_ = true;
        }

        int port = 0;
        if (!TryParsePort(PortText(), port))
            throw EConvertError(L"'" + PortText() + L"' is not a valid port number (1 to 65535)");

        EditPort->SetEnabled(false);
        CTrayIcon1->SetAnimate(true);
        exceptionCount_ = 0;
        openConnections_ = 0;
        ResetStatusGrid();

        IdTCPServer1->Bindings()->Clear();
        IdTCPServer1->SetDefaultPort(port);
        IdTCPServer1->Bindings()->Add();
        IdTCPServer1->SetActive(true);
        lastValidPort_ = port;
    } catch (...) {
        RevertSwitchOn();
        throw;
    }

    startTime_ = Now();
    SetStatusPanelText(1, L"Server start");
    SetStatusPanelText(2, L"listen on Port: " + PortText());
    MemoLog->Lines()->Clear();
    // The last run's connection lines go to the connection log before they are cleared.
    if (MemoVerLog->Lines()->Count() > 0)
        SaveAndClearConnectionMemo();
    RepaintStatusBar();

    static const std::array<uint8_t, 3> noGateway{0, 0, 0};
    LabelLogDatei->SetCaption(MakeTelegramLogPath(noGateway));
    connectionsPerDay_ = 0;
}

void TFormSRV::RevertSwitchOn()
{
    revertingSwitch_ = true;
    ToggleSwitch1->SetState(tssOff);
    revertingSwitch_ = false;
    CTrayIcon1->SetAnimate(false);
    EditPort->SetEnabled(true);
    EditMasterKey->SetEnabled(true);
    SetStatusPanelText(1, L"Server inactiv");
    RepaintStatusBar();
}

void TFormSRV::SwitchOff()
{
    if (!IdTCPServer1->Active()) return;
    stopping_ = true;
    ActivityIndicator1->StartAnimation();
    SetStatusPanelText(1, L"Server stop");
    CTrayIcon1->SetAnimate(false);
    EditPort->SetEnabled(true);
    EditMasterKey->SetEnabled(true);
    ToggleSwitch1->SetEnabled(false);
    // Painted now: the grace sleep below keeps the main thread from painting.
    StatusBar->Repaint();

    {
        TContextListLock lock(*IdTCPServer1);
        for (TIdContext* context : lock.Items()) context->Connection()->SetTag(1);
    }
    Sleep(kStopGraceMs);
    IdTCPServer1->StopListening();
    // The stop ends 3000 ms after listening has stopped.
    TimerStartServerStop->SetEnabled(true);
}

void TFormSRV::TimerWindowChangesTimer(TObject*)
{
    TimerWindowChanges->SetEnabled(false);
    RunPendingWindowChanges();
}

void TFormSRV::RunPendingWindowChanges()
{
    // The label comes after the bunch, also when one of its changes failed.
    struct ShowLogPath {
        TFormSRV& form;
        ~ShowLogPath()
        {
            if (!form.pendingLogPath_) return;
            const UnicodeString path = std::move(*form.pendingLogPath_);
            form.pendingLogPath_.reset();
            try {
                form.LabelLogDatei->SetCaption(path);
            } catch (...) {
                // Only the label is behind.
            }
        }
    } showLogPath{*this};
    windowChanges_.RunPending();
}

bool TFormSRV::RxTableKnown(const AnsiString& gatewayIdText)
{
    std::lock_guard<std::mutex> guard(rxTablesLock_);
    return knownRxTables_.contains(std::string(gatewayIdText));
}

void TFormSRV::SetRxTableKnown(const AnsiString& gatewayIdText, bool known)
{
    std::lock_guard<std::mutex> guard(rxTablesLock_);
    if (known)
        knownRxTables_.insert(std::string(gatewayIdText));
    else
        knownRxTables_.erase(std::string(gatewayIdText));
}

void TFormSRV::QueueWindowChanges(std::function<void()> changes) { windowChanges_.Post(std::move(changes)); }

void TFormSRV::TimerStartServerStopTimer(TObject*)
{
    TimerStartServerStop->SetEnabled(false);
    FinishServerStop();
    telegramCount_ = 0;
}

void TFormSRV::FinishServerStop()
{
    // What the connections changed before their end is shown before the stop is.
    RunPendingWindowChanges();
    openConnections_ = CountContexts();
    SetStatusPanelText(3, L"Verbindungen: " + IntToStr(openConnections_.load()));
    RepaintStatusBar();
    ActivityIndicator1->StopAnimation();
    IdTCPServer1->SetActive(false);
    ToggleSwitch1->SetEnabled(true);
    stopping_ = false;
    if (closeRequested_) {
        closeRequested_ = false;
        Close();
    }
}

TDateTime TFormSRV::ElapsedTime(TDateTime now, TDateTime start) { return now - start; }

int TFormSRV::CountContexts()
{
    TContextListLock lock(*IdTCPServer1);
    return lock.Items().Count();
}

void TFormSRV::ResetStatusGrid()
{
    // Back to the state of the start: the title row and one empty row, so the title row stays
    // a fixed row.
    StringGrid1->SetRowCount(2);
    for (int column = 0; column < StringGrid1->ColCount(); ++column) StringGrid1->SetCells(column, 1, L"");
}

// ---------------------------------------------------------------------------------------------
// TCP server events (connection and listening threads)

void TFormSRV::IdTCPServer1Connect(TIdContext*)
{
    openConnections_ = CountContexts();
    // Queued, not waited for, with the contacts' window changes.
    windowChanges_.Post([this] {
        if (closing_) return;
        if (MemoVerLog->Lines()->Count() > kConnectionMemoLines) SaveAndClearConnectionMemo();
        SetStatusPanelText(1, IdTCPServer1->Active() ? L"Server activ" : L"Server inactiv");
        SetStatusPanelText(2, L"listen on Port: " + PortText());
        RepaintStatusBar();
        ++connectionsPerDay_;
        ShapeLED1->Brush()->SetColor(kLampYellow);
    });
}

void TFormSRV::IdTCPServer1Execute(TIdContext* context) { RunGatewayContact(*this, context); }

void TFormSRV::IdTCPServer1Disconnect(TIdContext*)
{
    windowChanges_.Post([this] {
        if (closing_) return;
        // The icon stays in the notification area whatever the connections do.
        CTrayIcon1->SetVisible(true);
        TimerLED1->SetEnabled(true);
    });
}

void TFormSRV::IdTCPServer1Exception(TIdContext* context, Exception* exception)
{
    const int count = ++exceptionCount_;
    const UnicodeString line = L"Exception:" + IntToStr(count) + L" " + FormatDateTime(L"dd.mm hh:nn:ss", Now()) +
                               L"\r\n#Msg:" + (exception ? exception->Message() : UnicodeString()) +
                               L"\r\n#ClN:" + (exception ? exception->ClassName() : UnicodeString());
    TIdSync::SynchronizeMethod([this, &line] {
        if (!closing_) MemoTime->Lines()->Add(line);
    });
    if (context && context->Connection()) context->Connection()->Disconnect();
}

void TFormSRV::IdTCPServer1ListenException(TIdListenerThread*, Exception* exception)
{
    ++exceptionCount_;
    const UnicodeString line = L"Exception:" + (exception ? exception->Message() : UnicodeString()) +
                               FormatDateTime(L"dd.mm hh:nn:ss", Now());
    TIdSync::SynchronizeMethod([this, &line] {
        if (!closing_) MemoTime->Lines()->Add(line);
    });
}

// ---------------------------------------------------------------------------------------------
// Timers and the other controls

void TFormSRV::TimerRunTimeTimer(TObject*)
{
    const TDateTime now = Now();
    const TDateTime elapsed = ElapsedTime(now, startTime_);
    int days = 0;
    const bool active = IdTCPServer1->Active();
    if (active) {
        days = DaysBetween(now, startTime_);
        EditTage->SetText(IntToStr(days));
        // Day 0 of the date scale is 30 December 1899: 30 during the first day of running, 31
        // during the second, then 1, 2 ...
        const int dayNumber = StrToIntDef(FormatDateTime(L"dd", elapsed), 0);
        if (dayNumber != LastDayNumber) connectionsPerDay_ = 0;
        LastDayNumber = dayNumber;
        EditTime->SetText(FormatDateTime(L"hh:mm:ss", elapsed));
    } else {
        SetStatusPanelText(0, L"No connect");
    }
    SetStatusPanelText(1, active ? L"Server activ" : L"Server inactiv");
    SetStatusPanelText(2, L"listen on Port: " + PortText());
    SetStatusPanelText(4, L"Verbindungen pro Tag: " + IntToStr(connectionsPerDay_.load()));
    openConnections_ = CountContexts();
    RepaintStatusBar();

    // A stop with a waiting close is already on its way to the restart.
    if (CheckBoxReStart->Checked() && days > 0 && !stopping_ && !closeRequested_) {
        restartRequested_ = true;
        Close();
    }
}

void TFormSRV::TimerLED1Timer(TObject*)
{
    TimerLED1->SetEnabled(false);
    ShapeLED1->Brush()->SetColor(kLampGreen);
    openConnections_ = CountContexts();
    SetStatusPanelText(3, L"Verbindungen: " + IntToStr(openConnections_.load()));
    RepaintStatusBar();
}

void TFormSRV::TimerAppStartTimer(TObject*)
{
    TimerAppStart->SetEnabled(false);
    SwitchOnAutomatically();
}

void TFormSRV::TimerAppStartRetryTimer(TObject*)
{
    TimerAppStartRetry->SetEnabled(false);
    try {
        SwitchOnAutomatically();
    } catch (const std::exception&) {
        // Reported at the first failure; a database error stays in the labels meanwhile.
    }
}

void TFormSRV::SwitchOnAutomatically()
{
    // An unattended program may start before its database (a reboot): a failed automatic start
    // is tried again until it succeeds or the operator uses the switch.
    automaticSwitchOn_ = true;
    try {
        ToggleSwitch1->SetState(tssOn);
    } catch (...) {
        automaticSwitchOn_ = false;
        TimerAppStartRetry->SetEnabled(true);
        throw;
    }
    automaticSwitchOn_ = false;
}

void TFormSRV::EditMasterKeyKeyPress(TObject*, wchar_t& key)
{
    if (key == 8) return;
    if (key >= L'a' && key <= L'z') key = static_cast<wchar_t>(key - L'a' + L'A');
    const bool hex = (key >= L'0' && key <= L'9') || (key >= L'A' && key <= L'F');
    if (!hex) key = 0;
}

void TFormSRV::EditPortChange(TObject* sender)
{
    // Also called while the definition is read, before the fields are set.
    auto* edit = dynamic_cast<TCustomEdit*>(sender);
    int port = 0;
    if (edit && TryParsePort(edit->Text(), port)) lastValidPort_ = port;
}

void TFormSRV::Button1Click(TObject*)
{
    restartRequested_ = true;
    Close();
}

void TFormSRV::ButtonGWsetupClick(TObject*)
{
    if (FormGWsetup) FormGWsetup->OpenSetupForGateway(AnsiString());
}

void TFormSRV::StringGrid1DblClick(TObject*)
{
    if (FormGWsetup) FormGWsetup->OpenSetupForGateway(UnicodeToAnsi(StringGrid1->Cells(0, StringGrid1->Row())));
}

void TFormSRV::Button2Click(TObject*)
{
    OpenDialog1->SetFilter(L"RAW-Datei als Textfile|*.TXT|Daten-Log vom Mobile-APP|*.DAT");
    if (!OpenDialog1->Execute(Handle())) return;
    if (!FileExists(OpenDialog1->FileName())) throw Exception(L"File does not exist.");
    if (!FormImportRAW) return;
    FormImportRAW->LoadRawFile(OpenDialog1->FileName());
    FormImportRAW->Show();
}

// ---------------------------------------------------------------------------------------------
// TContactHost

int TFormSRV::LiveConnectionCount() { return CountContexts(); }

TFirmwareImage& TFormSRV::Firmware() { return FormGWsetup ? FormGWsetup->Firmware() : ownFirmware_; }

TMemo* TFormSRV::MemoOf(TContactMemo memo) const
{
    switch (memo) {
    case TContactMemo::VerLog: return MemoVerLog;
    case TContactMemo::Log: return MemoLog;
    case TContactMemo::Time: return MemoTime;
    }
    return MemoVerLog;
}

int TFormSRV::MemoLineCount(TContactMemo memo) { return MemoOf(memo)->Lines()->Count(); }

void TFormSRV::ClearMemo(TContactMemo memo) { MemoOf(memo)->Lines()->Clear(); }

void TFormSRV::AppendMemoLine(TContactMemo memo, const UnicodeString& line) { MemoOf(memo)->Lines()->Add(line); }

void TFormSRV::AppendMemoLines(TContactMemo memo, const std::vector<UnicodeString>& lines)
{
    if (lines.empty()) return;
    // One change of the window's text for all of them: each appended line costs the window a
    // selection, a replacement and a repaint.
    UnicodeString text = lines.front();
    for (std::size_t i = 1; i < lines.size(); ++i) text += L"\r\n" + lines[i];
    MemoOf(memo)->Lines()->Add(text);
}

void TFormSRV::ConnectionMemoLimitReached()
{
    if (CheckBoxMitLogFile->Checked()) AppendConnectionLog(MemoVerLog->Text());
}

void TFormSRV::ShowTelegramLogPath(const UnicodeString& path) { pendingLogPath_ = path; }

void TFormSRV::ReportTelegramLogFailure(const UnicodeString& path, int lostLines)
{
    ShowMessage(path + L"\r\nnicht geschriebene Zeilen: " + IntToStr(lostLines));
}

void TFormSRV::UpdateGatewayStatusRow(const UnicodeString& gatewayId, const UnicodeString& address,
                                      const UnicodeString& lastData, const UnicodeString& status,
                                      const UnicodeString& firmware)
{
    TStringGridCells cells(*StringGrid1);
    ::UpdateGatewayStatusRow(cells, gatewayId, address, lastData, status, firmware);
}

void TFormSRV::SetStatusPanelText(int panel, const UnicodeString& text)
{
    if (panel < 0 || panel >= StatusBar->Panels()->Count()) return;
    TStatusPanel* item = StatusBar->Panels()->Items(panel);
    if (item->Text() == text) return;
    item->SetText(text);
    statusBarChanged_ = true;
}

// Painted with the main thread's next paint, so the queued calls of many contacts cost one paint
// per drain instead of one each; and only after a text has changed: most contacts set the
// texts the bar already shows, and a paint of the bar is a dozen round trips to the Wine server.
void TFormSRV::RepaintStatusBar()
{
    if (!statusBarChanged_) return;
    statusBarChanged_ = false;
    StatusBar->Invalidate();
}

TFDPooledConnection TFormSRV::AcquireDatabaseConnection()
{
    if (!databaseMode_ || !dbPoolConfigured_) return {};
    return dbPool_.Acquire();
}

void TFormSRV::ShowDatabaseError(const UnicodeString& message) { ShowDbError(*this, message); }

void TFormSRV::SetDbStatusText(const UnicodeString& text) { LabelDBStatus->SetCaption(text); }

void TFormSRV::SetDbErrorText(const UnicodeString& text) { LabelDBerror->SetCaption(text); }
