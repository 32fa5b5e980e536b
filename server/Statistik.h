#pragma once
// The records of the statistics page (which devices each gateway heard on one day, with their
// telegram counts and mean RSSI, and the devices marked for each gateway's filter list) and the
// rules that fill, order and mark them. The page (StatistikPage.cpp), the analysis thread
// (AnalyseThread.h) and the filter push of the setup dialog share them.
#include "Strings.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// One device at one gateway column.
struct TGW {
    int32_t Count = 0;
    int32_t MeanRssi = 0; // SumRssi / Count, truncated toward zero
    int32_t SumRssi = 0;  // dBm
    uint8_t Selected = 0; // marked for this gateway's filter list
};

// One device: one grid row. Gateways has one entry per gateway column.
struct TAD {
    uint32_t RadioId = 0; // the decimal value of the ID digits; 0 when they are no decimal number
    uint8_t ManufacturerLow = 0;
    uint8_t ManufacturerHigh = 0;
    uint8_t Medium = 0;
    std::vector<TGW> Gateways;
};

// One gateway column. GatewayId is "AA_BB_CC" from a CSV log's name or "AA.BB.CC" from an rx_
// table's; Caption ("GW: " + GatewayId) is set in database mode only.
struct TGWDEF {
    int32_t SelectedCount = 0;
    AnsiString GatewayId;
    AnsiString Caption;
};

using TDeviceStats = std::vector<TAD>;
using TGatewayColumns = std::vector<TGWDEF>;

// A gateway column takes at most this many marked devices (a gateway's filter list).
inline constexpr int MaxMarkedDevicesPerGateway = 100;

// One telegram as the statistics count it.
struct TStatTelegram {
    uint32_t RadioId = 0;
    uint8_t ManufacturerLow = 0;
    uint8_t ManufacturerHigh = 0;
    uint8_t Medium = 0;
    int32_t Rssi = 0; // dBm
};

// The radio ID of an ID text: its value when it is 1 to 8 decimal digits, else 0.
uint32_t StatRadioId(std::string_view text);

// A telegram's hexadecimal text (from its 0x68 start byte): manufacturer bytes 3 and 4, ID
// bytes 8 to 5, medium byte 10, RSSI -(second-last byte / 2). Nothing for a text too short to
// hold the medium byte and, behind it, the RSSI and stop bytes.
std::optional<TStatTelegram> StatTelegramFromHex(const AnsiString& hex);

// A CSV log line ("receive time;hex"): fields split at ';' only, '"' quoting; the second field
// is the telegram. Nothing for a line that is empty, has fewer than two fields or whose
// telegram is too short.
std::optional<TStatTelegram> StatTelegramFromLogLine(const UnicodeString& line);

// Counts telegram for gateway column `column`: into the first device with the same radio ID,
// manufacturer and medium, or into a new device (appended, with columnCount zeroed entries).
// Returns true when a device was added. A column beyond a device's entries is not counted.
bool CountStatTelegram(TDeviceStats& devices, const TStatTelegram& telegram, std::size_t column,
                       std::size_t columnCount);

// Orders the devices: those of one manufacturer together, the manufacturers in the order of
// their first appearance, and within a manufacturer the higher radio ID first (equal IDs keep
// their order).
void SortDevices(TDeviceStats& devices);

// A gateway cell: empty without telegrams, else "count / mean dbm" (e.g. "2 / -70 dbm").
UnicodeString StatCellText(const TGW& gateway);

// value as "%u".
UnicodeString FormatUnsigned(uint32_t value);

// A double click on the cell of device `device`, gateway column `column` (either may lie
// outside): a cell with telegrams toggles its mark; then every column's SelectedCount is
// counted again. When a column would pass MaxMarkedDevicesPerGateway the clicked cell's mark
// is taken back and the result is true (the operator is told).
bool MarkStatCell(TDeviceStats& devices, TGatewayColumns& columns, int device, int column);

// Whether a file name is a CSV log of day `day` ("D_M_YYYY_LOG_G0_G1_G2.csv", any case of the
// extension; only the day number is compared). gatewayId receives the 8 characters after
// "_LOG_".
bool IsDayLogFile(const UnicodeString& name, int day, UnicodeString& gatewayId);
