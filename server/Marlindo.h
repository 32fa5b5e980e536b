#pragma once
// The main window of the gateway server: the switch that starts and stops listening, the status
// grid, the log memos, the statistics, info, settings and RAW import pages, the settings file
// <shared documents>\VELMORA\<program file name>.INI and the 24-hour restart.
//
// The statistics page's handlers are in StatistikPage.cpp.
//
// The window is the gateway contacts' host (TContactHost): every contact runs on its
// connection's thread and hands its window changes to the main thread itself.
#include "AnalyseThread.h"
#include "ComCtrls.h"
#include "ContactHost.h"
#include "DbConnection.h"
#include "DbPool.h"
#include "DbSchema.h"
#include "DateUtils.h"
#include "ExtCtrls.h"
#include "FirmwareImage.h"
#include "Forms.h"
#include "Grids.h"
#include "IdTCPServer.h"
#include "ImageList.h"
#include "OpenDialogs.h"
#include "Statistik.h"
#include "StdCtrls.h"
#include "StringList.h"
#include "Timers.h"
#include "TrayIcon.h"
#include "WindowChangeQueue.h"
#include "WinXCtrls.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>


// Starts a program file anew (the relaunch after a requested restart). Replaceable so that a
// test records the call instead of starting a second program.
using TRelaunchFunction = bool (*)(const UnicodeString& programPath);
TRelaunchFunction SetRelaunchFunction(TRelaunchFunction function); // null: the default

// The settings file's name: the program file's name with the extension ".INI".
UnicodeString SettingsFileName();

// A listening port from its text: digits only, 1 to 65535.
bool TryParsePort(const UnicodeString& text, int& port);

class TFormSRV : public TForm, public TContactHost, public TDbStatusDisplay {
public:
    explicit TFormSRV(TComponent* owner);
    ~TFormSRV() override;
    UnicodeString ClassName() const override { return L"TFormSRV"; }

    // --- controls of the form definition
    TGroupBox* GroupBox = nullptr;
    TShape* ShapeLED1 = nullptr;
    TLabel* LabelOFFON = nullptr;
    TToggleSwitch* ToggleSwitch1 = nullptr;
    TActivityIndicator* ActivityIndicator1 = nullptr;
    TLabel* Label4 = nullptr;
    TEdit* EditTage = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* EditTime = nullptr;
    TButton* ButtonGWsetup = nullptr;
    TButton* Button1 = nullptr;
    TStatusBar* StatusBar = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* LabelLogDatei = nullptr;
    TPageControl* PageControl1 = nullptr;
    TTabSheet* TabSheet1 = nullptr;
    TStringGrid* StringGrid1 = nullptr;
    TTabSheet* TabSheet2 = nullptr;
    TCheckBox* CheckBoxMitLogFile = nullptr;
    TLabel* Label11 = nullptr;
    TMemo* MemoTime = nullptr;
    TMemo* MemoVerLog = nullptr;
    TTabSheet* TabSheet3 = nullptr;
    TMemo* MemoLog = nullptr;
    TTabSheet* TabSheet4 = nullptr;
    TMonthCalendar* Calendar1 = nullptr;
    TButton* ButtonZur = nullptr;
    TButton* ButtonVor = nullptr;
    TButton* ButtonMkFilter = nullptr;
    TStringGrid* StringGridStat = nullptr;
    TMemo* MemoStat = nullptr;
    TLabel* Label5 = nullptr;
    TLabel* Label6 = nullptr;
    TLabel* LabelDir = nullptr;
    TLabel* LabelDatum = nullptr;
    TActivityIndicator* ActivityIndicatorAnalyse = nullptr;
    TTabSheet* TabSheet5 = nullptr;
    TPanel* Panel1 = nullptr;
    TLabel* SoftwareVersion = nullptr;
    TLabel* Version = nullptr;
    TImage* Image1 = nullptr;
    TImage* ProgramIcon = nullptr;
    TTabSheet* TabSheetSetup = nullptr;
    TEdit* EditPort = nullptr;
    TCheckBox* CheckBoxAutoStart = nullptr;
    TCheckBox* CheckBoxReStart = nullptr;
    TRadioButton* RadioButtonFile = nullptr;
    TRadioButton* RadioButtonDB = nullptr;
    TGroupBox* GroupBoxDB = nullptr;
    TEdit* EditDBServer = nullptr;
    TEdit* EditDBName = nullptr;
    TEdit* EditDBUser = nullptr;
    TEdit* EditDBPassword = nullptr;
    TLabel* LabelStatusDB = nullptr;
    TLabel* LabelDBStatus = nullptr;
    TLabel* LabelDBerror = nullptr;
    TEdit* EditMasterKey = nullptr;
    TTabSheet* TabSheetImport = nullptr;
    TLabel* Label16 = nullptr;
    TLabel* Label17 = nullptr;
    TButton* Button2 = nullptr;
    TTimer* TimerRunTime = nullptr;
    TTimer* TimerStartServerStop = nullptr;
    TTimer* TimerLED1 = nullptr;
    TTimer* TimerAppStart = nullptr;
    TTimer* TimerAnalyseRunTest = nullptr;
    TCTrayIcon* CTrayIcon1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    // Made in code: the TCP server, the main database connection, the page tabs' images, the
    // tray icon's images and the timer that tries a failed automatic start again (10 s, off).
    TIdTCPServer* IdTCPServer1 = nullptr;
    TFDConnection* FDConn1 = nullptr;
    TImageList* ImageList1 = nullptr;
    TImageList* ImageList2 = nullptr;
    TTimer* TimerAppStartRetry = nullptr;

    // --- window events
    void FormCreate(TObject* sender);
    void FormResize(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void FormClose(TObject* sender, TCloseAction& action);
    bool FormHelp(WORD command, intptr_t data, bool& callHelp);

    // --- switch, TCP server, timers
    void ToggleSwitch1Click(TObject* sender);
    void IdTCPServer1Connect(TIdContext* context);
    void IdTCPServer1Execute(TIdContext* context);
    void IdTCPServer1Disconnect(TIdContext* context);
    void IdTCPServer1Exception(TIdContext* context, Exception* exception);
    void IdTCPServer1ListenException(TIdListenerThread* thread, Exception* exception);
    void TimerRunTimeTimer(TObject* sender);
    void TimerStartServerStopTimer(TObject* sender);
    void TimerLED1Timer(TObject* sender);
    void TimerAppStartTimer(TObject* sender);
    // Tries the failed automatic start again; a failure arms it once more, its error staying in
    // the database labels (the first failure was reported).
    void TimerAppStartRetryTimer(TObject* sender);
    void EditMasterKeyKeyPress(TObject* sender, wchar_t& key);
    void EditPortChange(TObject* sender);
    void Button1Click(TObject* sender);
    void ButtonGWsetupClick(TObject* sender);
    void StringGrid1DblClick(TObject* sender);
    // Opens a RAW telegram file in the RAW import window.
    void Button2Click(TObject* sender);

    // --- statistics page (main thread)
    void TabSheet4Show(TObject* sender);
    void Calendar1Change(TObject* sender);
    void ButtonZurClick(TObject* sender);
    void ButtonVorClick(TObject* sender);
    void ButtonMkFilterClick(TObject* sender);
    void StringGridStatDrawCell(TObject* sender, int aCol, int aRow, TRect rect, TGridDrawState state);
    void StringGridStatDblClick(TObject* sender);
    // Polls the analysis thread: at the first tick after its hand-over the grid is built (or
    // the analysis of a day asked for meanwhile starts).
    void TimerAnalyseRunTestTimer(TObject* sender);
    // The CSV logs of day `day` in StatDayFolder into list, one gateway column each.
    void ListDayLogFiles(TStrings* list, int day);
    // Counts the telegrams of the listed logs; false when a log could not be read.
    bool AnalyseLogFiles();
    // Starts the analysis thread for day; while one runs, the day is kept for after it.
    bool StartDbAnalysis(TDateTime day);
    void SortDeviceStats();
    void FillStatGrid();
    const TDeviceStats& DeviceStats() const { return deviceStats_; }
    const TGatewayColumns& GatewayColumns() const { return gatewayColumns_; }
    bool AnalyseRunning() const { return analyseRunning_.load(std::memory_order_acquire); }
    int AnalysedDeviceCount() const { return analysedDeviceCount_; }
    TAnalyseClass* AnalyseThread() const { return analyseThread_.get(); }
    const UnicodeString& LogRootFolder() const { return logRootFolder_; }
    const UnicodeString& StatDayFolder() const { return statDayFolder_; }

    // --- state shared with the other parts of the server (read-only views for them)
    bool DatabaseMode() const override { return databaseMode_; }
    UnicodeString SetupFolder() const override { return setupFolder_; }
    std::array<uint8_t, 16> MasterKey() const override;
    int TelegramCount() const { return telegramCount_.load(); }
    int OpenConnections() const { return openConnections_.load(); }
    // Main thread: runs the window changes the connections have handed over so far, without
    // waiting for the next tick (the stop, the close and a contact's waiting call do so).
    void RunPendingWindowChanges();
    int ConnectionsPerDay() const { return connectionsPerDay_.load(); }
    int ExceptionCount() const { return exceptionCount_.load(); }
    TDateTime StartTime() const { return startTime_; }
    bool CloseRequested() const { return closeRequested_; }
    bool RestartRequested() const { return restartRequested_; }
    // A stop has begun and not yet ended.
    bool Stopping() const { return stopping_; }
    const UnicodeString& DbServer() const { return dbServer_; }
    const UnicodeString& DbName() const { return dbName_; }
    const UnicodeString& DbUser() const { return dbUser_; }
    const UnicodeString& DbPassword() const { return dbPassword_; }
    // Full path of the settings file.
    const UnicodeString& SettingsPath() const { return settingsPath_; }
    TStringList* StatFileList() const { return statFileList_.get(); }

    // --- TContactHost
    int NextTelegramNumber() override { return telegramCount_.fetch_add(1); }
    int LiveConnectionCount() override;
    TFirmwareImage& Firmware() override;
    int MemoLineCount(TContactMemo memo) override;
    void ClearMemo(TContactMemo memo) override;
    void AppendMemoLine(TContactMemo memo, const UnicodeString& line) override;
    void AppendMemoLines(TContactMemo memo, const std::vector<UnicodeString>& lines) override;
    void QueueWindowChanges(std::function<void()> changes) override;
    bool RxTableKnown(const AnsiString& gatewayIdText) override;
    void SetRxTableKnown(const AnsiString& gatewayIdText, bool known) override;
    void RunQueuedWindowChanges() override { RunPendingWindowChanges(); }
    void ConnectionMemoLimitReached() override;
    void ShowTelegramLogPath(const UnicodeString& path) override;
    void ReportTelegramLogFailure(const UnicodeString& path, int lostLines) override;
    void UpdateGatewayStatusRow(const UnicodeString& gatewayId, const UnicodeString& address,
                                const UnicodeString& lastData, const UnicodeString& status,
                                const UnicodeString& firmware) override;
    void SetStatusPanelText(int panel, const UnicodeString& text) override;
    void RepaintStatusBar() override;
    TFDPooledConnection AcquireDatabaseConnection() override;
    void ShowDatabaseError(const UnicodeString& message) override;

    // --- TDbStatusDisplay
    void SetDbStatusText(const UnicodeString& text) override;
    void SetDbErrorText(const UnicodeString& text) override;

private:
    void SwitchOn();
    void SwitchOff();
    // Puts the switch back to off after a failed switch-on, without the stop path.
    void RevertSwitchOn();
    void FinishServerStop();
    static TDateTime ElapsedTime(TDateTime now, TDateTime start);
    void ConvertMasterKey();
    void ResetStatusGrid();
    void LoadProgramImages();
    int CountContexts();
    // The automatic start's switch-on: a failure arms TimerAppStartRetry and is raised.
    void SwitchOnAutomatically();
    // With "schreibe in Log-Datei" ticked, appends MemoVerLog to the connection log; then clears
    // the memo. A failed append keeps the lines for the next try and is reported once per kind
    // of failure until an append succeeds again, so a log that stays unwritable brings one box,
    // not one per connection.
    void SaveAndClearConnectionMemo();
    // The close's append of MemoVerLog: a failure is reported once per close and never stops it.
    void SaveConnectionMemoAtClose();
    void WriteSettings();
    TMemo* MemoOf(TContactMemo memo) const;
    UnicodeString PortText();
    // One pass over the selected day: grid reset, labels, then the file count or the thread.
    bool ShowStatisticsDay(TDateTime day);
    // Asks a running analysis to stop, waits for it and frees it.
    void StopAnalysis();

    // Settings as read from the settings file.
    bool databaseMode_ = false;
    UnicodeString dbServer_;
    UnicodeString dbName_;
    UnicodeString dbUser_;
    UnicodeString dbPassword_;
    UnicodeString settingsPath_;
    UnicodeString setupFolder_;
    int lastValidPort_ = 23;

    TDateTime startTime_ = 0;
    std::unique_ptr<TStringList> statFileList_;
    UnicodeString logRootFolder_;
    UnicodeString statDayFolder_;
    TDeviceStats deviceStats_;
    TGatewayColumns gatewayColumns_;
    std::unique_ptr<TAnalyseClass> analyseThread_;
    std::atomic<bool> analyseRunning_{false};
    int analysedDeviceCount_ = 0; // changed on the main thread only
    // A day chosen while an analysis ran: analysed when that one has ended.
    std::optional<TDateTime> pendingAnalyseDay_;
    std::atomic<int> exceptionCount_{0};
    // The connection threads' window changes, run once per tick of TimerWindowChanges.
    TWindowChangeQueue windowChanges_;
    TTimer* TimerWindowChanges = nullptr;
    void TimerWindowChangesTimer(TObject* sender);
    // Main thread: the CSV log path for LabelLogDatei, shown at the end of the bunch that set it
    // (only the last one of a bunch would be seen).
    std::optional<UnicodeString> pendingLogPath_;
    // The rx_ tables known to exist since the switch-on (any connection thread).
    std::mutex rxTablesLock_;
    std::unordered_set<std::string> knownRxTables_;
    // Main thread: a status panel text changed since the bar was last repainted.
    bool statusBarChanged_ = false;
    std::atomic<int> openConnections_{0};
    std::atomic<int> telegramCount_{0};
    std::atomic<int> connectionsPerDay_{0};
    bool closeRequested_ = false;
    bool restartRequested_ = false;
    bool stopping_ = false;
    bool revertingSwitch_ = false;
    // The switch is being set by the automatic start or its retry, not by the operator.
    bool automaticSwitchOn_ = false;
    // The connection log failure last reported (class and message); empty after a success.
    UnicodeString reportedConnectionLogFailure_;
    bool closeLogFailureReported_ = false;
    // FormCloseQuery runs (its report box lets timers tick, and with them a second close).
    bool inCloseQuery_ = false;
    // Set when the window is going away: late connection events leave the windows alone.
    std::atomic<bool> closing_{false};

    mutable std::mutex masterKeyLock_;
    std::array<uint8_t, 16> masterKey_{};

    // Database mode: the contacts' connections, with the main connection's settings of the last
    // switch-on. Room for the idle connections of a busy burst: each connection opened anew
    // costs a contact milliseconds.
    TFDConnectionPool dbPool_{32};
    std::atomic<bool> dbPoolConfigured_{false};
    // Used only when the setup dialog does not exist (it owns the program's firmware file).
    TFirmwareImage ownFirmware_;
};

extern TFormSRV* FormSRV;
// The day number of the running time at the previous tick of the run-time timer.
extern int LastDayNumber;
