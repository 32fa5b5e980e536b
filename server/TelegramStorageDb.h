#pragma once
// Telegram rows of database mode: one table rx_<AA.BB.CC> per gateway, created on demand,
// rows only ever added. The INSERT text is TelegramInsertStatement (TelegramStorage.h); the
// values handed to it are made to fit the columns first, so that the server's strict mode
// refuses none and nothing is lost:
//   ID      a BCD address as its eight digits; any other address as its eight upper-case
//           hexadecimal digits (same digit order) instead of a decimal text of up to ten
//   Medium  the device type byte as a signed byte (b - 256 above 127); readers take the low
//           8 bits
#include "Strings.h"

#include <cstdint>
#include <span>
#include <vector>

// The lines of the CREATE TABLE IF NOT EXISTS of the gateway's table.
std::vector<UnicodeString> RxTableStatementLines(const AnsiString& gatewayIdText);

// The ID column's text: deviceIdText for a BCD address, else the address (record bytes 11 to
// 14, least significant first) as "%.8X". A record too short to hold the address keeps
// deviceIdText.
AnsiString RxIdColumnText(const AnsiString& deviceIdText, std::span<const uint8_t> record, int recordLength);

// The Medium column's value of a device type byte 0 to 255.
int RxMediumColumnValue(int medium);
