#pragma once
// Telegram storage: the daily CSV log of a gateway (file mode) and the statement text of a
// telegram row in the gateway's table rx_<AA.BB.CC> (database mode; the contact object runs it).
//
// A telegram record is 6 time bytes (year - 2000, month, day, hour, minute, second), then the
// wireless M-Bus telegram from its 0x68 start byte; L + 9 bytes for the length byte L.
#include "Strings.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// The telegram of a record in hexadecimal: bytes 6 to recordLength - 1, two upper-case digits
// each, no separators; empty when recordLength is 6 or less. Never reads past record.
AnsiString TelegramHexText(std::span<const uint8_t> record, int recordLength);

// One CSV log line: the record's receive time as the default date-time text of the user's
// locale (the date alone at 00:00:00), ";", the hexadecimal telegram, CR LF. A record without
// a valid receive time raises EConvertError.
AnsiString TelegramLogLine(std::span<const uint8_t> record, int recordLength);

// "INSERT INTO `rx_<gatewayIdText>` (Rx_Datum,ID,Hersteller,Medium,RSSI,RAW_Daten) VALUES(...)"
// with the six values quoted and escaped for MySQL, so that every character of a value is
// stored as it is and no value can change the statement.
AnsiString TelegramInsertStatement(const AnsiString& gatewayIdText, const AnsiString& deviceIdText,
                                   const AnsiString& receiveTime, const AnsiString& manufacturer, int medium,
                                   int rssi, std::span<const uint8_t> record, int recordLength);

// The values of one telegram row, as TelegramInsertStatement takes them.
struct TTelegramRowValues {
    AnsiString DeviceIdText;
    AnsiString ReceiveTime;
    AnsiString Manufacturer;
    int Medium = 0;
    int Rssi = 0;
    std::span<const uint8_t> Record;
    int RecordLength = 0;
};

// One INSERT of several rows into `rx_<gatewayIdText>`: the column list once, then each row's
// values as TelegramInsertStatement writes them, separated by ",". The rows are stored as the
// single statements would store them, in one round trip to the server.
AnsiString TelegramInsertStatement(const AnsiString& gatewayIdText, std::span<const TTelegramRowValues> rows);

// Full path of the gateway's CSV log for today's local date:
// <shared documents>\VELMORA\W_MBUS_SRV_LOG\<YYYY>\<M>\<D>_<M>_<YYYY>_LOG_<G0>_<G1>_<G2>.csv.
// Creates the month folder; when that fails, raises an error whose message is the folder path.
UnicodeString MakeTelegramLogPath(std::span<const uint8_t, 3> gatewayId);

// What the main window shows about the CSV logs; each is called from the appending thread.
struct TTelegramLogSinks {
    // The log about to be written to (LabelLogDatei).
    std::function<void(const UnicodeString& path)> ShowPath{};
    // Lines could not be appended in three attempts: the operator is told once, naming the path
    // and how many lines were lost.
    std::function<void(const UnicodeString& path, int lostLines)> ReportFailure{};
};

// Appends the line of one telegram record to the log at path (three attempts; a line is always
// written whole). Nothing escapes: a record without a valid receive time is dropped, a final
// failure goes to sinks.ReportFailure.
void AppendTelegramLogLine(const UnicodeString& path, int recordLength, std::span<const uint8_t> record,
                           const TTelegramLogSinks& sinks = {});

// The lines of a frame's telegrams for one log, gathered while the frame's records are walked
// and appended in one go: one open of the file per frame instead of one per telegram. The file
// ends up as if each line had been appended on its own.
class TTelegramLogBatch {
public:
    TTelegramLogBatch(UnicodeString path, TTelegramLogSinks sinks);
    // Appends what is still gathered; nothing escapes.
    ~TTelegramLogBatch();
    TTelegramLogBatch(const TTelegramLogBatch&) = delete;
    TTelegramLogBatch& operator=(const TTelegramLogBatch&) = delete;

    const UnicodeString& Path() const { return path_; }
    // Gathers the line of one record; a record without a valid receive time is dropped.
    void Add(int recordLength, std::span<const uint8_t> record);
    // Shows the path and appends the gathered lines. When the append fails, each line is tried
    // on its own with the three attempts, and the lines still not written are reported once: a
    // log that another program holds brings one box per frame, not one per telegram.
    void Flush();

private:
    UnicodeString path_;
    TTelegramLogSinks sinks_;
    std::vector<AnsiString> lines_;
};
