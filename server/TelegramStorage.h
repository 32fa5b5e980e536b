#pragma once
// Telegram storage of file mode: one CSV log per gateway and day. (Database mode stores through
// the contact object, TMyClass::StoreTelegram.)
//
// Not written yet: the path is empty and nothing is appended.
#include "Strings.h"

#include <cstdint>
#include <span>

// Full path of the gateway's CSV log for today's local date; creates the month folder.
UnicodeString MakeTelegramLogPath(std::span<const uint8_t, 3> gatewayId);

// Appends the line of one telegram record (receive time and hexadecimal telegram) to the log at
// path; record holds the recordLength bytes of the record.
void AppendTelegramLogLine(const UnicodeString& path, int recordLength, std::span<const uint8_t> record);
