#pragma once
// The gateway status grid of the main window ("GW-Status"): row 0 holds the column titles,
// every further row one gateway, in the order of first contact. The grid is reached through
// TStatusGridCells, which the window binds to its string grid.
#include "Strings.h"

#include <array>

class TStatusGridCells {
public:
    virtual ~TStatusGridCells() = default;
    virtual UnicodeString Cell(int column, int row) const = 0;
    virtual void SetCell(int column, int row, const UnicodeString& text) = 0;
    // Rows including the title row.
    virtual int RowCount() const = 0;
    virtual void SetRowCount(int count) = 0;
};

inline constexpr int StatusGridColumnCount = 7;
inline constexpr std::array<const wchar_t*, StatusGridColumnCount> StatusGridTitles = {
    L"GWID:", L"IP:", L"Verb.zeit:", L"Kontakte:", L"letzte Daten:", L"Status:", L"Firmware:"};

// Main thread. Updates every row whose column 0 is gatewayId: address, the local time of now
// (DateTimeToStr), contact count + 1, lastData (also when empty), status and firmware when not
// empty. Without such a row the gateway gets one (the empty first data row of the start, else a
// new last row) with count 1, "erste Verbindung" and the firmware when not empty. An empty
// gatewayId changes nothing.
void UpdateGatewayStatusRow(TStatusGridCells& grid, const UnicodeString& gatewayId, const UnicodeString& address,
                            const UnicodeString& lastData, const UnicodeString& status,
                            const UnicodeString& firmware);
