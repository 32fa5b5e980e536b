#include "AnalyseThread.h"

#include "DbEscape.h"
#include "DbQuery.h"
#include "Dialogs.h"
#include "Encoding.h"
#include "Helpfunktion.h"

namespace {

const wchar_t* const kTimeFormat = L"yyyy-mm-dd hh:nn:ss";

// The statistics values of the current row of an rx_ table (columns by position: ID,
// Hersteller, Medium, RSSI after Rx_Datum). Nothing for a row that cannot be read: it is
// skipped, the rest of the table is still counted.
std::optional<TStatTelegram> RowTelegram(TFDQuery& rows)
{
    try {
        TFields& fields = *rows.Fields();
        TStatTelegram telegram;
        telegram.RadioId = StatRadioId(fields.Fields(1)->AsAnsiString());
        const int32_t manufacturer = ManufacturerFromString(fields.Fields(2)->AsAnsiString());
        telegram.ManufacturerLow = static_cast<uint8_t>(manufacturer & 0xFF);
        telegram.ManufacturerHigh = static_cast<uint8_t>((manufacturer >> 8) & 0xFF);
        // The column keeps the medium byte as a signed byte.
        telegram.Medium = static_cast<uint8_t>(fields.Fields(3)->AsInteger() & 0xFF);
        telegram.Rssi = fields.Fields(4)->AsInteger();
        return telegram;
    } catch (const Exception&) {
        return std::nullopt;
    }
}

} // namespace

TAnalyseClass::TAnalyseClass(TDeviceStats* targetDevices, TDateTime day, TGatewayColumns* targetColumns,
                             bool createSuspended, const TStrings& baseParams, const TDbSettings& settings,
                             TTargets targets)
    : TThread(createSuspended), day_(day), targetDevices_(targetDevices), targetColumns_(targetColumns),
      settings_(settings), targets_(targets)
{
    baseParams_.Assign(&baseParams);
    AfterConstruction();
}

TAnalyseClass::~TAnalyseClass()
{
    // Execute must have returned before this part goes.
    Terminate();
    try {
        WaitFor();
    } catch (...) {
        // Never started: the thread class lets it return without running.
    }
}

void TAnalyseClass::CountAnalysedDevice()
{
    Synchronize([this] {
        if (targets_.DeviceCount) ++*targets_.DeviceCount;
    });
}

void TAnalyseClass::Execute()
{
    try {
        Analyse();
    } catch (...) {
        // Whatever went wrong, the page must not wait for ever: the hand-over follows.
    }
    try {
        Synchronize([this] { HandOver(); });
    } catch (...) {
        if (targets_.Running) targets_.Running->store(false, std::memory_order_release);
    }
}

void TAnalyseClass::HandOver()
{
    if (!Stopping()) {
        if (targetDevices_) *targetDevices_ = std::move(devices_);
        if (targetColumns_) *targetColumns_ = std::move(columns_);
    }
    if (targets_.Running) targets_.Running->store(false, std::memory_order_release);
}

void TAnalyseClass::Analyse()
{
    devices_.clear();
    columns_.clear();
    if (Stopping()) return;
    // The day from midnight up to the next midnight, which belongs to the next day.
    const UnicodeString from = FormatDateTime(kTimeFormat, day_);
    const UnicodeString to = FormatDateTime(kTimeFormat, IncDay(day_));

    TFDConnection connection(nullptr);
    connection.SetLoginPrompt(false);
    connection.Params()->Assign(&baseParams_);
    ApplyDbSettings(connection, settings_);
    TFDQuery tables(nullptr);
    TFDQuery rows(nullptr);
    tables.SetConnection(&connection);
    rows.SetConnection(&connection);

    try {
        connection.Open();
        // '_' is a wildcard of LIKE: only names that really start with "rx_".
        tables.Open(L"SHOW TABLES LIKE 'rx\\_%'");
    } catch (...) {
        // A newer analysis or the closing window asked this one to stop: nobody waits for it.
        if (!Stopping())
            Synchronize([] { MessageDlg(L"Fehler beim \u00D6ffnen der Datenbank!", mtError, mbAbortRetryIgnore, 0); });
        return;
    }

    std::vector<UnicodeString> tableNames;
    for (; !tables.Eof(); tables.Next()) {
        const UnicodeString table = tables.Fields()->Fields(0)->AsString();
        const AnsiString gatewayId = UnicodeToAnsi(table.substr(3, 8));
        columnCaption_ = "GW: " + gatewayId;
        columns_.push_back(TGWDEF{0, gatewayId, columnCaption_});
        tableNames.push_back(table);
    }

    const std::size_t columnCount = columns_.size();
    for (std::size_t c = 0; c < tableNames.size() && !Stopping(); ++c) {
        try {
            rows.Open(L"SELECT * from `" + MySqlEscapeIdentifier(tableNames[c]) + L"` WHERE Rx_Datum>='" + from +
                      L"' and Rx_Datum<'" + to + L"'");
            for (; !rows.Eof() && !Stopping(); rows.Next()) {
                const std::optional<TStatTelegram> telegram = RowTelegram(rows);
                if (telegram && CountStatTelegram(devices_, *telegram, c, columnCount)) CountAnalysedDevice();
            }
            rows.Close();
        } catch (const Exception&) {
            // This table is left where it failed; the next one follows.
        }
    }
}
