#include "GatewayStatusGrid.h"

#include "DateUtils.h"

#include <algorithm>

namespace {
enum Column { ColId, ColAddress, ColTime, ColCount, ColLastData, ColStatus, ColFirmware };

// A decimal count; 0 for anything else (an empty cell, a typed-over text, an overflow).
long long ContactCount(const UnicodeString& text)
{
    if (text.empty() || text.size() > 18) return 0;
    long long value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return 0;
        value = value * 10 + (c - L'0');
    }
    return value;
}
} // namespace

void UpdateGatewayStatusRow(TStatusGridCells& grid, const UnicodeString& gatewayId, const UnicodeString& address,
                            const UnicodeString& lastData, const UnicodeString& status, const UnicodeString& firmware)
{
    if (gatewayId.empty()) return;
    const UnicodeString now = DateTimeToStr(Now());

    bool found = false;
    for (int row = 1; row < grid.RowCount(); ++row) {
        if (grid.Cell(ColId, row) != gatewayId) continue;
        found = true;
        grid.SetCell(ColAddress, row, address);
        grid.SetCell(ColTime, row, now);
        grid.SetCell(ColCount, row, std::to_wstring(ContactCount(grid.Cell(ColCount, row)) + 1));
        grid.SetCell(ColLastData, row, lastData);
        if (!status.empty()) grid.SetCell(ColStatus, row, status);
        if (!firmware.empty()) grid.SetCell(ColFirmware, row, firmware);
    }
    if (found) return;

    int row = 1;
    if (!(grid.RowCount() == 2 && grid.Cell(ColAddress, 1).empty())) {
        row = std::max(grid.RowCount(), 1);
        grid.SetRowCount(row + 1);
    }
    grid.SetCell(ColId, row, gatewayId);
    grid.SetCell(ColAddress, row, address);
    grid.SetCell(ColTime, row, now);
    grid.SetCell(ColCount, row, L"1");
    grid.SetCell(ColLastData, row, L"erste Verbindung");
    grid.SetCell(ColStatus, row, L"");
    if (!firmware.empty()) grid.SetCell(ColFirmware, row, firmware);
}
