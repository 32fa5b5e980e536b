#pragma once
// Small routines shared by the server's units: delimited splitting, CRC-16, hexadecimal pairs
// and the EN 13757 text forms of manufacturer codes and device IDs.
#include "Strings.h"

#include <cstdint>
#include <span>

class TStrings;

// Appends the items of text split at delimiter to list (not cleared; null: nothing happens).
// With trim the text and every rest after a delimiter are trimmed, the items themselves not.
// A delimiter at the end gives no empty last item; two in a row give an empty item.
void SplitString(AnsiString text, const AnsiString& delimiter, TStrings* list, bool trim);

// CRC-16/XMODEM: polynomial 0x1021, initial 0, not reflected, no final XOR.
uint16_t CalcCrc16(std::span<const uint8_t> data);
uint16_t CalcCrc16(const uint8_t* data, uint32_t length);

// Two hexadecimal characters to a byte. Characters are not validated (a non-digit counts as
// c - 0x37); fewer than two characters raise ERangeError.
uint8_t HexPairToByte(AnsiString text);

// EN 13757 manufacturer code (low byte, high byte) as three letters; bit 15 is ignored.
AnsiString ManufacturerToString(uint8_t low, uint8_t high);
// Three letters back to the 16-bit code, unchecked; fewer than three characters raise ERangeError.
int32_t ManufacturerFromString(AnsiString text);

// Device ID bytes (least significant first) as eight BCD digits, or as the 32-bit value in
// decimal when a nibble is not a decimal digit.
AnsiString DeviceIdToString(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3);
