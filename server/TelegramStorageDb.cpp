// Telegram rows of database mode: one table rx_<AA.BB.CC> per gateway.
#include "TelegramStorageDb.h"

#include "DatenVerarbeitung.h"
#include "DbEscape.h"
#include "DbQuery.h"
#include "SysUtils.h"
#include "TelegramStorage.h"

#include <algorithm>

std::vector<UnicodeString> RxTableStatementLines(const AnsiString& gatewayIdText)
{
    return {
        L"CREATE TABLE IF NOT EXISTS `" + MySqlEscapeIdentifier(AnsiToUnicode("rx_" + gatewayIdText)) + L"` (",
        L"`Rx_Datum`   DATETIME NULL DEFAULT NULL,",
        L"`ID` VARCHAR(8) NULL DEFAULT NULL,",
        L"`Hersteller` CHAR(3) NULL DEFAULT NULL,",
        L"`Medium`     TINYINT(4) NULL DEFAULT NULL,",
        L"`RSSI`       TINYINT(4) NULL DEFAULT NULL,",
        L"`RAW_Daten`  VARCHAR(600) NULL DEFAULT NULL )",
        L" COLLATE='latin1_swedish_ci' ENGINE=InnoDB",
    };
}

AnsiString RxIdColumnText(const AnsiString& deviceIdText, std::span<const uint8_t> record, int recordLength)
{
    constexpr std::size_t AddressOffset = 11;
    constexpr std::size_t AddressEnd = AddressOffset + 4;
    if (recordLength < static_cast<int>(AddressEnd) || record.size() < AddressEnd) return deviceIdText;
    const std::span<const uint8_t> address = record.subspan(AddressOffset, 4);
    const bool bcd =
        std::all_of(address.begin(), address.end(), [](uint8_t b) { return (b >> 4) <= 9 && (b & 0x0F) <= 9; });
    if (bcd) return deviceIdText;
    const uint32_t value = (uint32_t{address[3]} << 24) | (uint32_t{address[2]} << 16) |
                           (uint32_t{address[1]} << 8) | address[0];
    return Format(AnsiString("%.8X"), value);
}

int RxMediumColumnValue(int medium)
{
    return static_cast<int8_t>(static_cast<uint8_t>(medium));
}

bool TMyClass::StoreTelegramBatch(const AnsiString& gatewayIdText, const std::vector<TRxRow>& rows)
{
    if (!DatabaseOpen()) return false;
    try {
        // The table statement is a round trip to the database per contact: sent only for a table
        // not known since the switch-on. Should the table have gone meanwhile, the insert fails
        // and the rows are stored one by one, after the table statement.
        if (rxTableReady_ != gatewayIdText && !host_.RxTableKnown(gatewayIdText)) {
            rxTableReady_.clear();
            TelegramQuery->SQL()->Clear();
            for (const UnicodeString& line : RxTableStatementLines(gatewayIdText)) TelegramQuery->SQL()->Add(line);
            TelegramQuery->ExecSQL();
            host_.SetRxTableKnown(gatewayIdText, true);
        }
        rxTableReady_ = gatewayIdText;
        std::vector<TTelegramRowValues> values;
        values.reserve(rows.size());
        for (const TRxRow& row : rows) {
            const std::span<const uint8_t> record(row.Record.data(), static_cast<std::size_t>(row.RecordLength));
            values.push_back({RxIdColumnText(row.DeviceId, record, row.RecordLength), row.ReceiveTime,
                              row.Manufacturer, RxMediumColumnValue(row.Medium), row.Rssi, record, row.RecordLength});
        }
        TelegramQuery->SQL()->Clear();
        TelegramQuery->SQL()->Add(AnsiToUnicode(TelegramInsertStatement(gatewayIdText, values)));
        TelegramQuery->ExecSQL();
    } catch (const Exception& e) {
        rxTableReady_.clear();
        host_.SetRxTableKnown(gatewayIdText, false);
        dbError_ = e.Message();
        return false;
    } catch (const std::exception& e) {
        rxTableReady_.clear();
        host_.SetRxTableKnown(gatewayIdText, false);
        dbError_ = AnsiToUnicode(e.what());
        return false;
    }
    return true;
}

bool TMyClass::StoreTelegram(const AnsiString& gatewayIdText, const AnsiString& deviceIdText,
                             const AnsiString& receiveTime, const AnsiString& manufacturer, int medium, int rssi,
                             std::span<const uint8_t> record, int recordLength)
{
    if (!DatabaseOpen()) return true;
    try {
        // One CREATE TABLE per contact and gateway: the frame's further telegrams go to the same
        // table over the same connection.
        if (rxTableReady_ != gatewayIdText) {
            rxTableReady_.clear();
            TelegramQuery->SQL()->Clear();
            for (const UnicodeString& line : RxTableStatementLines(gatewayIdText)) TelegramQuery->SQL()->Add(line);
            TelegramQuery->ExecSQL();
            rxTableReady_ = gatewayIdText;
            host_.SetRxTableKnown(gatewayIdText, true);
        }
        TelegramQuery->SQL()->Clear();
        TelegramQuery->SQL()->Add(AnsiToUnicode(TelegramInsertStatement(
            gatewayIdText, RxIdColumnText(deviceIdText, record, recordLength), receiveTime, manufacturer,
            RxMediumColumnValue(medium), rssi, record, recordLength)));
        TelegramQuery->ExecSQL();
    } catch (const Exception& e) {
        rxTableReady_.clear();
        dbError_ = e.Message();
        return false;
    } catch (const std::exception& e) {
        rxTableReady_.clear();
        dbError_ = AnsiToUnicode(e.what());
        return false;
    }
    return true;
}
