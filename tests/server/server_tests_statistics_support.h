#pragma once
// Support of the statistics page tests: the main window on a test clock with scripted answers to
// its message boxes, the page opened for a day, the analysis thread's hand-over awaited without
// the timer (the test calls the timer's handler), the grid read back, and one day of simulated
// gateway traffic with the table both storage modes must make of it.
#include "../framework/controls_tests_widgets_support.h"
#include "server_tests_contact_fixture.h"
#include "server_tests_mainwindow_dbfixture.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace statistics_test {

using namespace mainwindow_test;
using Table = std::vector<std::vector<UnicodeString>>;

// Answers of the message boxes, in order (mrOk once they are used up); each box is recorded in
// Dialogs() first and OnDialog runs before the answer is given.
inline std::deque<TModalResult>& Answers()
{
    static std::deque<TModalResult> answers;
    return answers;
}
inline std::function<void(const TDialogRequest&)>& OnDialog()
{
    static std::function<void(const TDialogRequest&)> callback;
    return callback;
}
inline TModalResult ScriptedDialog(const TDialogRequest& request)
{
    Dialogs().push_back(request);
    if (OnDialog()) OnDialog()(request);
    if (Answers().empty()) return mrOk;
    const TModalResult answer = Answers().front();
    Answers().pop_front();
    return answer;
}

inline const sim::GatewayIdBytes kGwA = {0x0A, 0x1B, 0x2C};
inline const sim::GatewayIdBytes kGwB = {0x0A, 0x1B, 0x2D};
// The day of the traffic, and the server's clock while it comes in.
inline TDateTime TrafficDay() { return EncodeDate(2022, 6, 5); }

inline sim::Telegram Heard(uint32_t id, uint16_t manufacturer, uint8_t medium, uint8_t rawRssi, uint8_t second = 0,
                           uint8_t hour = 8)
{
    sim::Telegram t;
    t.Year = 22;
    t.Month = 6;
    t.Day = 5;
    t.Hour = hour;
    t.Minute = 30;
    t.Second = second;
    t.DeviceId = id;
    t.Manufacturer = manufacturer;
    t.Medium = medium;
    t.Rssi = rawRssi;
    return t;
}

inline constexpr uint16_t kAbc = 0x0443; // "ABC"
inline constexpr uint16_t kXyz = 0x633A; // "XYZ"

struct GatewayTraffic {
    sim::GatewayIdBytes Id;
    std::vector<sim::Telegram> Telegrams;
};

// One day of two gateways: a device heard twice at one gateway (RSSI -70 and -71), the same
// radio ID with another medium, an ID with hexadecimal digits, a medium byte above 127 and a
// second manufacturer; each gateway's first telegram is of manufacturer ABC, so the order of
// first appearance does not depend on the order of the gateway columns.
inline std::vector<GatewayTraffic> Traffic()
{
    return {
        {kGwA,
         {Heard(0x12345678, kAbc, 0x07, 140, 1), Heard(0x00000042, kXyz, 0x9A, 100, 2),
          Heard(0x12345678, kAbc, 0x07, 142, 3), Heard(0x12345678, kAbc, 0x08, 120, 4),
          Heard(0x1234ABCD, kAbc, 0x07, 90, 5)}},
        {kGwB, {Heard(0x12345678, kAbc, 0x07, 160, 6), Heard(0x87654321, kAbc, 0x07, 60, 7)}},
    };
}

// The grid both modes make of Traffic(): Count, RadioID, Hersteller, Medium, then the cells of
// 0A.1B.2C and 0A.1B.2D.
inline Table ExpectedTrafficTable()
{
    return {
        {L"0", L"87654321", L"ABC", L"07", L"", L"1 / -30 dbm"},
        {L"1", L"12345678", L"ABC", L"07", L"2 / -70 dbm", L"1 / -80 dbm"},
        {L"2", L"12345678", L"ABC", L"08", L"1 / -60 dbm", L""},
        {L"3", L"00000000", L"ABC", L"07", L"1 / -45 dbm", L""},
        {L"4", L"00000042", L"XYZ", L"9A", L"1 / -50 dbm", L""},
    };
}

inline sim::Bytes TelegramFrame(const sim::GatewayIdBytes& id, const std::vector<sim::Telegram>& telegrams)
{
    std::vector<sim::Bytes> records;
    for (const auto& t : telegrams) records.push_back(sim::Record(t));
    return sim::GatewayFrame(0x19, id, contact_test::kDeriv, contact_test::kMaster,
                             sim::WmbusPayload(static_cast<uint8_t>(records.size()), records));
}

// The window's cells, row by row.
inline Table GridCells(TStringGrid& grid)
{
    Table table;
    for (int r = 0; r < grid.RowCount(); ++r) {
        std::vector<UnicodeString> row;
        for (int c = 0; c < grid.ColCount(); ++c) row.push_back(grid.Cells(c, r));
        table.push_back(row);
    }
    return table;
}

// The device rows with the gateway cells in the order of their gateway IDs, "AA_BB_CC" and
// "AA.BB.CC" alike (the listing order of the logs is the file system's).
inline Table RowsByGatewayId(TStringGrid& grid)
{
    std::map<UnicodeString, int> columns;
    for (int c = 4; c < grid.ColCount(); ++c) {
        UnicodeString id = grid.Cells(c, 0);
        std::replace(id.begin(), id.end(), L'_', L'.');
        columns[id] = c;
    }
    Table table;
    for (int r = 1; r < grid.RowCount(); ++r) {
        std::vector<UnicodeString> row;
        for (int c = 0; c < 4; ++c) row.push_back(grid.Cells(c, r));
        for (const auto& [id, c] : columns) row.push_back(grid.Cells(c, r));
        table.push_back(row);
    }
    return table;
}

inline std::string Describe(const Table& table)
{
    std::string text;
    for (const auto& row : table) {
        for (const auto& cell : row) text += "[" + UnicodeToUtf8(cell) + "]";
        text += "\n";
    }
    return text;
}

// The centre of a rectangle as a mouse message's position.
inline LPARAM At(const TRect& r) { return MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }

// The messages of a user's double click on a cell.
inline void DoubleClickCell(TStringGrid& grid, int column, int row)
{
    HWND h = grid.Handle();
    const LPARAM at = At(grid.CellRect(column, row));
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(h, WM_LBUTTONUP, 0, at);
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(h, WM_LBUTTONUP, 0, at);
}

class StatisticsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Answers().clear();
        OnDialog() = nullptr;
        SetDialogHook(&ScriptedDialog);
        UseTestClock(TrafficDay() + 0.5);
    }

    void TearDown() override
    {
        OnDialog() = nullptr;
        Answers().clear();
        MainWindowTest::TearDown();
    }

    std::filesystem::path LogFolder() const
    {
        return documents_ / L"VELMORA" / L"W_MBUS_SRV_LOG" / L"2022" / L"6";
    }

    // The page shown for day, as the operator gets there: day chosen, then the tab.
    static void OpenStatistics(TFormSRV& form, TDateTime day)
    {
        form.Calendar1->SetDate(day);
        form.Show();
        form.PageControl1->SetActivePage(form.TabSheet4);
    }

    // Waits for the analysis thread's hand-over, serving its synchronised calls but no timer.
    static bool AwaitHandOver(TFormSRV& form)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (form.AnalyseRunning()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            CheckSynchronize(10);
        }
        return true;
    }

    // Hand-over, then the tick; again while the tick starts the analysis of a newer day.
    static bool FinishAnalysis(TFormSRV& form)
    {
        do {
            if (!AwaitHandOver(form)) return false;
            form.TimerAnalyseRunTestTimer(form.TimerAnalyseRunTest);
        } while (form.AnalyseThread());
        return true;
    }

    // Runs script as a gateway connected to the window's port until the server has ended the
    // contact, serving the window meanwhile.
    void RunGateway(TFormSRV& form, const std::function<void(sim::Gateway&)>& script)
    {
        EXPECT_TRUE(contact_test::RunGatewayPumping(port_, script, [&] { return form.LiveConnectionCount() == 0; }, 20000))
            << "the gateway's contact did not end";
        // The window shows the contact's changes at its next tick; now, for the checks.
        form.RunPendingWindowChanges();
    }

    // Each gateway of traffic sends its telegrams in one frame.
    void SendTraffic(TFormSRV& form, const std::vector<GatewayTraffic>& traffic)
    {
        for (const GatewayTraffic& gateway : traffic) {
            const sim::Bytes frame = TelegramFrame(gateway.Id, gateway.Telegrams);
            RunGateway(form, [&](sim::Gateway& gw) {
                gw.Send(frame);
                EXPECT_TRUE(gw.WaitClosed(contact_test::kWait));
            });
        }
    }
};

// The window in database mode on a database of the test's own (made at the first switch-on,
// dropped at the end), with the test server's port in FDConn1's parameters: the product's
// settings carry none, and the connections beside the main one start from these.
class StatisticsDbTest : public DatabaseWindowTest<StatisticsTest> {
protected:
    StatisticsDbTest() : DatabaseWindowTest(L"statistics_") {}

    // Makes the test's database without the window's switch-on.
    void CreateDatabase()
    {
        TFDConnection connection(nullptr);
        dbtest::Configure(connection, L"");
        connection.Open();
        dbmode_test::Exec(connection, L"CREATE DATABASE `" + MySqlEscapeIdentifier(database_) + L"`");
    }

    // Opens a connection of the test's own to the test's database.
    void Connect(TFDConnection& connection)
    {
        dbtest::Configure(connection, database_);
        connection.Open();
    }

};

} // namespace statistics_test
