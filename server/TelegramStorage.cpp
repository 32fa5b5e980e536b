#include "TelegramStorage.h"

#include "DataFolders.h"
#include "DateUtils.h"
#include "DbEscape.h"
#include "Encoding.h"
#include "Exceptions.h"
#include "Files.h"
#include "LogFileAppend.h"
#include "SysUtils.h"

#include <algorithm>

namespace {
constexpr int RecordTimeSize = 6;

AnsiString Quoted(const AnsiString& value)
{
    return "'" + MySqlEscape(std::string_view(value)) + "'";
}

// A name between backticks: a backtick in it is doubled.
AnsiString BacktickName(const AnsiString& name)
{
    AnsiString out;
    for (const char c : name) {
        out.push_back(c);
        if (c == '`') out.push_back('`');
    }
    return "`" + out + "`";
}
} // namespace

AnsiString TelegramHexText(std::span<const uint8_t> record, int recordLength)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    const std::size_t end = std::min(record.size(), static_cast<std::size_t>(std::max(recordLength, 0)));
    AnsiString hex;
    for (std::size_t i = RecordTimeSize; i < end; ++i) {
        hex.push_back(digits[record[i] >> 4]);
        hex.push_back(digits[record[i] & 0x0F]);
    }
    return hex;
}

AnsiString TelegramLogLine(std::span<const uint8_t> record, int recordLength)
{
    if (record.size() < RecordTimeSize) throw EConvertError(L"Telegram record without its receive time");
    const TDateTime receiveTime =
        EncodeDateTime(2000 + record[0], record[1], record[2], record[3], record[4], record[5], 0);
    return UnicodeToAnsi(DateTimeToStr(receiveTime)) + ";" + TelegramHexText(record, recordLength) + "\r\n";
}

namespace {
AnsiString InsertHead(const AnsiString& gatewayIdText)
{
    return "INSERT INTO " + BacktickName("rx_" + gatewayIdText) + " (Rx_Datum,ID,Hersteller,Medium,RSSI,RAW_Daten) VALUES";
}

AnsiString RowValues(const AnsiString& deviceIdText, const AnsiString& receiveTime, const AnsiString& manufacturer,
                     int medium, int rssi, std::span<const uint8_t> record, int recordLength)
{
    return "(" + Quoted(receiveTime) + "," + Quoted(deviceIdText) + "," + Quoted(manufacturer) + "," +
           Quoted(std::to_string(medium)) + "," + Quoted(std::to_string(rssi)) + "," +
           Quoted(TelegramHexText(record, recordLength)) + ")";
}
} // namespace

AnsiString TelegramInsertStatement(const AnsiString& gatewayIdText, const AnsiString& deviceIdText,
                                   const AnsiString& receiveTime, const AnsiString& manufacturer, int medium, int rssi,
                                   std::span<const uint8_t> record, int recordLength)
{
    return InsertHead(gatewayIdText) +
           RowValues(deviceIdText, receiveTime, manufacturer, medium, rssi, record, recordLength);
}

AnsiString TelegramInsertStatement(const AnsiString& gatewayIdText, std::span<const TTelegramRowValues> rows)
{
    AnsiString statement = InsertHead(gatewayIdText);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TTelegramRowValues& row = rows[i];
        if (i > 0) statement += ",";
        statement += RowValues(row.DeviceIdText, row.ReceiveTime, row.Manufacturer, row.Medium, row.Rssi, row.Record,
                               row.RecordLength);
    }
    return statement;
}

UnicodeString MakeTelegramLogPath(std::span<const uint8_t, 3> gatewayId)
{
    unsigned short year = 0, month = 0, day = 0;
    DecodeDate(Now(), year, month, day);
    const UnicodeString folder = DataSubfolder(L"W_MBUS_SRV_LOG") + Format(UnicodeString(L"%hu\\%hu\\"), year, month);
    ForceDataFolder(folder);
    return folder + Format(UnicodeString(L"%hu_%hu_%hu_LOG_%.2X_%.2X_%.2X.csv"), day, month, year, gatewayId[0],
                           gatewayId[1], gatewayId[2]);
}

namespace {
void ShowLogPath(const UnicodeString& path, const TTelegramLogSinks& sinks)
{
    try {
        if (sinks.ShowPath) sinks.ShowPath(path);
    } catch (...) {
        // Only the label is behind; the line is written all the same.
    }
}

bool TryAppend(const UnicodeString& path, const AnsiString& text)
{
    try {
        AppendLogFileText(path, text);
        return true;
    } catch (...) {
        return false;
    }
}

void ReportLostLines(const UnicodeString& path, int lostLines, const TTelegramLogSinks& sinks)
{
    try {
        if (lostLines > 0 && sinks.ReportFailure) sinks.ReportFailure(path, lostLines);
    } catch (...) {
        // The operator could not be told either; the contact goes on.
    }
}
} // namespace

void AppendTelegramLogLine(const UnicodeString& path, int recordLength, std::span<const uint8_t> record,
                           const TTelegramLogSinks& sinks)
{
    AnsiString line;
    try {
        line = TelegramLogLine(record, recordLength);
    } catch (...) {
        // No receive time, no line; the telegram is still in the telegram memo.
        return;
    }
    ShowLogPath(path, sinks);
    if (!TryAppend(path, line)) ReportLostLines(path, 1, sinks);
}

TTelegramLogBatch::TTelegramLogBatch(UnicodeString path, TTelegramLogSinks sinks)
    : path_(std::move(path)), sinks_(std::move(sinks))
{
}

TTelegramLogBatch::~TTelegramLogBatch()
{
    try {
        Flush();
    } catch (...) {
        // Flush reports its own failures; only a lack of memory is left, and nowhere to go.
    }
}

void TTelegramLogBatch::Add(int recordLength, std::span<const uint8_t> record)
{
    try {
        lines_.push_back(TelegramLogLine(record, recordLength));
    } catch (...) {
        // No receive time, no line; the telegram is still in the telegram memo.
    }
}

void TTelegramLogBatch::Flush()
{
    if (lines_.empty()) return;
    const std::vector<AnsiString> lines = std::move(lines_);
    lines_.clear();
    ShowLogPath(path_, sinks_);
    AnsiString text;
    for (const AnsiString& line : lines) text += line;
    if (TryAppend(path_, text)) return;
    // As a rule the file could not be opened (another program holds it): line by line then,
    // each with its own attempts, so a lock let go meanwhile loses no further line.
    int lost = 0;
    for (const AnsiString& line : lines)
        if (!TryAppend(path_, line)) ++lost;
    ReportLostLines(path_, lost, sinks_);
}
