#pragma once
// Small routines shared by the server's units: delimited splitting, CRC-16, hexadecimal pairs
// and the EN 13757 text forms of manufacturer codes and device IDs.
#include "Strings.h"

#include <cstdint>

class TStrings;

void SplitString(AnsiString text, const AnsiString& delimiter, TStrings* list, bool trim);
uint16_t CalcCrc16(const uint8_t* data, uint32_t length);
uint8_t HexPairToByte(AnsiString text);
AnsiString ManufacturerToString(uint8_t low, uint8_t high);
int32_t ManufacturerFromString(AnsiString text);
AnsiString DeviceIdToString(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3);
