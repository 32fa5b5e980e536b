#pragma once
// One line of a RAW telegram file (another gateway's receive log or a phone app's data log):
// whether the import takes it, and the frame it stores for it.
//
// The telegram is the hexadecimal text after the line's last ';' (the whole line without one).
// Text that starts with "68" is a whole frame 0x68 L C ... RSSI 0x16 and is taken as it is;
// other text starts at the L-field and is completed to 0x68 <text> 0xFF 0x16 (RSSI byte 0xFF).
#include "Strings.h"

#include <cstdint>
#include <optional>
#include <vector>

// Lines shorter than this (after trailing blanks) are not telegrams.
inline constexpr int RawLineMinLength = 40;
// The completed frame must reach the medium byte (10), the RSSI byte and the end byte.
inline constexpr int RawFrameMinBytes = 13;
// Frames are stored as hexadecimal text in RAW_Daten, VARCHAR(600).
inline constexpr int RawFrameMaxBytes = 300;

struct TRawTelegram {
    std::vector<uint8_t> Frame; // 0x68 ... RSSI, 0x16
    AnsiString DeviceId;        // bytes 5-8, DeviceIdToString
    AnsiString Manufacturer;    // bytes 3-4, ManufacturerToString
    int Medium = 0;             // byte 10
    int Rssi = 0;               // -(byte n-2 / 2)
};

// The telegram of a line, or nothing for a line the import skips: one that is shorter than
// RawLineMinLength or holds "File completely" (the end mark of the receive logs), and one whose
// telegram text is not an even number of hexadecimal digits or whose completed frame has fewer
// than RawFrameMinBytes or more than RawFrameMaxBytes bytes. Trailing blanks and CR are ignored.
std::optional<TRawTelegram> ParseRawTelegramLine(const UnicodeString& line);
