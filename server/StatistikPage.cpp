// The statistics page of the main window ("Statistik"): the devices heard per gateway on the day
// chosen in Calendar1, counted from the day's CSV logs on the main thread (file mode) or from
// the rx_ tables by the analysis thread (database mode); marks per gateway and the filter lists
// made from them.
#include "Marlindo.h"

#include "DataFolders.h"
#include "Dialogs.h"
#include "Encoding.h"
#include "Files.h"
#include "GatewaySetup.h"
#include "Helpfunktion.h"
#include "SysUtils.h"
#include "Themes.h"

namespace {

constexpr int kFixedColumns = 4; // Count, RadioID, Hersteller, Medium
constexpr int kGatewayColumnWidth = 120;
constexpr TColor kMarkedColor = static_cast<TColor>(0x30B0FF); // orange
constexpr TColor kWhite = static_cast<TColor>(0xFFFFFF);
constexpr TColor kBlack = static_cast<TColor>(0x000000);

const wchar_t* const kAnalysisFailed = L"Bei der Analyse ist ein Fehler aufgetreten. Wiederholen?";
const wchar_t* const kLimitReached = L"Anzahl von 100 Filter-ID's erreicht f\u00FCr dieses Gateway!";
const wchar_t* const kConfirmFilters =
    L"Die selktierten Endger\u00E4te werden zur Erstellung von Filterlisten f\u00FCr die jeweiligen Gateways "
    L"verwendet und bei der n\u00E4chsten Kontaktaufnahme der Gateways zum Server an diese \u00FCbertragen.\n ";
const wchar_t* const kAnalysisStillRunning =
    L"Die Analyse des gew\u00E4hlten Tages l\u00E4uft noch. Filterlisten k\u00F6nnen erst nach ihrem Ende erstellt "
    L"werden.";
const wchar_t* const kFiltersChanged =
    L"Die Filterlisten der Gateways wurd erfolgreich ge\u00E4ndert. Bei der n\u00E4chsten Kontaktaufnahme werden "
    L"diese an die Gateways \u00FCbertrag.";

// Closes a directory listing however the walk ends.
class TFindGuard {
public:
    explicit TFindGuard(TSearchRec& rec) : rec_(rec) {}
    ~TFindGuard() { FindClose(rec_); }
    TFindGuard(const TFindGuard&) = delete;
    TFindGuard& operator=(const TFindGuard&) = delete;

private:
    TSearchRec& rec_;
};

} // namespace

void TFormSRV::TabSheet4Show(TObject* sender)
{
    logRootFolder_ = DataSubfolder(L"W_MBUS_SRV_LOG");
    Calendar1Change(sender);
}

void TFormSRV::Calendar1Change(TObject*)
{
    if (PageControl1->ActivePage() != TabSheet4) return;
    if (logRootFolder_.empty()) logRootFolder_ = DataSubfolder(L"W_MBUS_SRV_LOG");
    const TDateTime day = Calendar1->Date();
    while (!ShowStatisticsDay(day)) {
        if (MessageDlg(kAnalysisFailed, mtError, mbAbortRetryIgnore, 0) != mrRetry) break;
    }
}

bool TFormSRV::ShowStatisticsDay(TDateTime day)
{
    MemoStat->Lines()->Clear();
    StringGridStat->SetRowCount(1);
    StringGridStat->SetColCount(kFixedColumns);
    static const wchar_t* const headers[kFixedColumns] = {L"Count:", L"RadioID:", L"Hersteller:", L"Medium:"};
    static const int widths[kFixedColumns] = {40, 80, 65, 55};
    for (int column = 0; column < kFixedColumns; ++column) {
        StringGridStat->SetCells(column, 0, headers[column]);
        StringGridStat->SetColWidths(column, widths[column]);
    }
    StringGridStat->SetFixedCols(2);
    LabelDatum->SetCaption(DateToStr(day));

    if (databaseMode_) {
        LabelDir->SetCaption(L"Die Daten kommen aus einer Datenbank!");
        Label5->SetCaption(L"m\u00F6gliche DB Tabellen zum Analysieren");
        return StartDbAnalysis(day);
    }
    Label5->SetCaption(L"m\u00F6gliche Dateien zum Analysieren");
    unsigned short year = 0, month = 0, dayOfMonth = 0;
    DecodeDate(day, year, month, dayOfMonth);
    statDayFolder_ = logRootFolder_ + IntToStr(year) + L"\\" + IntToStr(month) + L"\\";
    LabelDir->SetCaption(statDayFolder_);
    ListDayLogFiles(StatFileList(), dayOfMonth);
    return AnalyseLogFiles();
}

void TFormSRV::ButtonZurClick(TObject*) { Calendar1->PrevMonth(); }

void TFormSRV::ButtonVorClick(TObject*) { Calendar1->NextMonth(); }

// ---------------------------------------------------------------------------------------------
// File mode

void TFormSRV::ListDayLogFiles(TStrings* list, int day)
{
    list->Clear();
    int columns = kFixedColumns;
    gatewayColumns_.clear();
    if (!DirectoryExists(statDayFolder_)) return;

    TSearchRec rec;
    if (FindFirst(statDayFolder_ + L"*", faAnyFile, rec) != 0) return;
    TFindGuard guard(rec);
    do {
        UnicodeString gatewayId;
        if (!IsDayLogFile(rec.Name, day, gatewayId)) continue;
        MemoStat->Lines()->Add(rec.Name);
        list->Add(statDayFolder_ + rec.Name);
        ++columns;
        StringGridStat->SetColCount(columns);
        StringGridStat->SetCells(columns - 1, 0, L"GW: " + gatewayId);
        StringGridStat->SetColWidths(columns - 1, kGatewayColumnWidth);
        gatewayColumns_.push_back(TGWDEF{0, UnicodeToAnsi(gatewayId), AnsiString()});
    } while (FindNext(rec) == 0);
}

bool TFormSRV::AnalyseLogFiles()
{
    deviceStats_.clear();
    bool allRead = true;
    TStrings* files = StatFileList();
    const std::size_t columnCount = static_cast<std::size_t>(files->Count());
    for (std::size_t f = 0; f < columnCount; ++f) {
        try {
            TStringList lines;
            lines.LoadFromFile(files->Strings(static_cast<int>(f)));
            for (int i = 0; i < lines.Count(); ++i) {
                // A line that holds no telegram is passed over; the rest of the file still counts.
                if (const auto telegram = StatTelegramFromLogLine(lines.Strings(i)))
                    CountStatTelegram(deviceStats_, *telegram, f, columnCount);
            }
        } catch (const std::exception&) {
            allRead = false;
        }
    }
    StringGridStat->SetRowCount(1 + static_cast<int>(deviceStats_.size()));
    if (StringGridStat->RowCount() > 1) StringGridStat->SetFixedRows(1);
    SortDeviceStats();
    FillStatGrid();
    return allRead;
}

// ---------------------------------------------------------------------------------------------
// Database mode

bool TFormSRV::StartDbAnalysis(TDateTime day)
{
    if (analyseThread_ && AnalyseRunning()) {
        // One analysis at a time: the running one stops early, its result is dropped, and this
        // day follows at the tick that sees it end.
        pendingAnalyseDay_ = day;
        analyseThread_->Cancel();
        return true;
    }
    if (analyseThread_) {
        analyseThread_->WaitFor();
        analyseThread_.reset();
    }
    pendingAnalyseDay_.reset();
    analysedDeviceCount_ = 0;
    // The thread's own connection: the settings texts, taken here on the main thread, over the
    // main connection's parameters, so that one the settings do not name carries over.
    const TDbSettings settings{EditDBServer->Text(), EditDBName->Text(), EditDBUser->Text(), EditDBPassword->Text()};
    analyseRunning_.store(true, std::memory_order_release);
    try {
        analyseThread_ = std::make_unique<TAnalyseClass>(&deviceStats_, day, &gatewayColumns_, false,
                                                         *FDConn1->Params(), settings,
                                                         TAnalyseClass::TTargets{&analyseRunning_, &analysedDeviceCount_});
    } catch (...) {
        analyseRunning_.store(false);
        throw;
    }
    TimerAnalyseRunTest->SetEnabled(true);
    ActivityIndicatorAnalyse->StartAnimation();
    return true;
}

void TFormSRV::TimerAnalyseRunTestTimer(TObject*)
{
    if (AnalyseRunning()) {
        if (!analyseThread_ || !analyseThread_->Finished()) return;
        // Ended without its hand-over: the arrays are an older day's, and nothing may wait
        // for ever.
        analyseRunning_.store(false);
        deviceStats_.clear();
        gatewayColumns_.clear();
        analysedDeviceCount_ = 0;
    }
    TimerAnalyseRunTest->SetEnabled(false);
    // Only the first tick after a hand-over has something to do.
    if (!analyseThread_) return;
    analyseThread_->WaitFor();
    analyseThread_.reset();
    if (pendingAnalyseDay_) {
        const TDateTime day = *pendingAnalyseDay_;
        StartDbAnalysis(day);
        return;
    }

    for (std::size_t j = 0; j < gatewayColumns_.size(); ++j) {
        const int column = kFixedColumns + static_cast<int>(j);
        StringGridStat->SetColCount(column + 1);
        StringGridStat->SetCells(column, 0, AnsiToUnicode(gatewayColumns_[j].Caption));
        StringGridStat->SetColWidths(column, kGatewayColumnWidth);
    }
    StringGridStat->SetRowCount(1 + analysedDeviceCount_);
    if (StringGridStat->RowCount() > 1) StringGridStat->SetFixedRows(1);
    SortDeviceStats();
    FillStatGrid();
    ActivityIndicatorAnalyse->StopAnimation();
}

void TFormSRV::StopAnalysis()
{
    pendingAnalyseDay_.reset();
    if (TimerAnalyseRunTest) TimerAnalyseRunTest->SetEnabled(false);
    if (!analyseThread_) return;
    analyseThread_->Cancel();
    try {
        // Keeps serving the thread's synchronised calls meanwhile.
        analyseThread_->WaitFor();
    } catch (...) {
    }
    analyseThread_.reset();
}

// ---------------------------------------------------------------------------------------------
// The grid

void TFormSRV::SortDeviceStats() { SortDevices(deviceStats_); }

void TFormSRV::FillStatGrid()
{
    for (std::size_t i = 0; i < deviceStats_.size(); ++i) {
        const TAD& device = deviceStats_[i];
        const int row = static_cast<int>(i) + 1;
        StringGridStat->SetCells(0, row, IntToStr(i));
        StringGridStat->SetCells(1, row, Format(UnicodeString(L"%.8d"), static_cast<int>(device.RadioId)));
        StringGridStat->SetCells(2, row, AnsiToUnicode(ManufacturerToString(device.ManufacturerLow, device.ManufacturerHigh)));
        StringGridStat->SetCells(3, row, Format(UnicodeString(L"%.2X"), device.Medium));
        for (std::size_t g = 0; g < device.Gateways.size(); ++g)
            StringGridStat->SetCells(kFixedColumns + static_cast<int>(g), row, StatCellText(device.Gateways[g]));
    }
}

void TFormSRV::StringGridStatDrawCell(TObject*, int aCol, int aRow, TRect rect, TGridDrawState)
{
    TCanvas* canvas = StringGridStat->Canvas();
    UnicodeString text = StringGridStat->Cells(aCol, aRow);

    TColor fill = clWindow;
    if (aCol == 0 || aRow == 0) {
        fill = Color();
        canvas->Font()->SetStyle({fsBold});
        canvas->Font()->SetColor(kWhite);
    } else {
        canvas->Font()->SetStyle({});
        canvas->Font()->SetColor(kBlack);
    }
    const int gateway = aCol - kFixedColumns;
    if (gateway >= 0 && aRow > 0 && static_cast<std::size_t>(aRow - 1) < deviceStats_.size()) {
        const auto& gateways = deviceStats_[static_cast<std::size_t>(aRow - 1)].Gateways;
        if (static_cast<std::size_t>(gateway) < gateways.size())
            fill = gateways[static_cast<std::size_t>(gateway)].Selected ? kMarkedColor : clWindow;
    }
    canvas->Brush()->SetColor(TStyleManager::SystemColor(fill));
    canvas->FillRect(rect);

    if (gateway >= 0 && aRow == 0 && static_cast<std::size_t>(gateway) < gatewayColumns_.size()) {
        const TGWDEF& column = gatewayColumns_[static_cast<std::size_t>(gateway)];
        text = L"GW: " + AnsiToUnicode(column.GatewayId) + L" / " + IntToStr(column.SelectedCount);
    }
    canvas->TextRect(rect, rect.Left + 3, rect.Top + 5, text);
}

void TFormSRV::StringGridStatDblClick(TObject*)
{
    const int column = StringGridStat->Col();
    const int row = StringGridStat->Row();
    if (column >= kFixedColumns && row > 0 && static_cast<std::size_t>(row - 1) < deviceStats_.size()) {
        if (MarkStatCell(deviceStats_, gatewayColumns_, row - 1, column - kFixedColumns)) ShowMessage(kLimitReached);
    }
    StringGridStat->Invalidate();
}

void TFormSRV::ButtonMkFilterClick(TObject*)
{
    // Until the analysis of the day shown has filled the grid, the marks are those of the day
    // before: pushing them would send lists nobody chose for this day.
    if (analyseThread_ || AnalyseRunning()) {
        ShowMessage(kAnalysisStillRunning);
        return;
    }
    if (MessageDlg(kConfirmFilters, mtConfirmation, mbOKCancel, 0) != mrOk) return;
    if (!FormGWsetup) return;
    if (FormGWsetup->PushFilterIdList(deviceStats_, gatewayColumns_, databaseMode_)) ShowMessage(kFiltersChanged);
}
