// The statistics page in database mode against the test MariaDB: the analysis thread with its own
// connection, the grid built at the first tick after its hand-over, the day's bounds and the rows
// it cannot count, a refused connection, and days chosen while an analysis runs.
#include "TelegramStorageDb.h"
#include "server_tests_statistics_support.h"

#include <gtest/gtest.h>

using namespace statistics_test;

namespace {

const Table kTitlesOnly = {{L"Count:", L"RadioID:", L"Hersteller:", L"Medium:"}};

void CreateRxTable(TFDConnection& connection, const AnsiString& gatewayId)
{
    UnicodeString statement;
    for (const UnicodeString& line : RxTableStatementLines(gatewayId)) statement += line + L"\n";
    dbmode_test::Exec(connection, statement);
}

// Rows of one rx_ table: receive time, ID, Hersteller (NULL for an empty text), Medium, RSSI.
struct RxRow {
    const wchar_t* time;
    const wchar_t* id;
    const wchar_t* manufacturer;
    int medium;
    int rssi;
};

void InsertRows(TFDConnection& connection, const UnicodeString& table, const std::vector<RxRow>& rows)
{
    for (const RxRow& r : rows) {
        const UnicodeString manufacturer = *r.manufacturer ? L"'" + UnicodeString(r.manufacturer) + L"'" : L"NULL";
        dbmode_test::Exec(connection, L"INSERT INTO `" + table + L"` (Rx_Datum,ID,Hersteller,Medium,RSSI,RAW_Daten) "
                                      L"VALUES('" + r.time + L"','" + r.id + L"'," + manufacturer + L"," +
                                          IntToStr(r.medium) + L"," + IntToStr(r.rssi) + L",'68')");
    }
}

} // namespace

TEST_F(StatisticsDbTest, SimulatedTrafficGivesTheTableOfFileMode)
{
    TFormSRV& form = CreateInDatabaseMode(dbtest::Server().password);
    form.ToggleSwitch1->SetState(tssOn);
    ASSERT_TRUE(form.IdTCPServer1->Active());
    SendTraffic(form, Traffic());

    OpenStatistics(form, TrafficDay());
    EXPECT_EQ(form.LabelDir->Caption(), L"Die Daten kommen aus einer Datenbank!");
    EXPECT_EQ(form.Label5->Caption(), L"m\u00F6gliche DB Tabellen zum Analysieren");
    EXPECT_FALSE(form.Label5->Visible());
    EXPECT_FALSE(form.MemoStat->Visible());
    ASSERT_NE(form.AnalyseThread(), nullptr);
    EXPECT_TRUE(form.TimerAnalyseRunTest->Enabled());
    EXPECT_TRUE(form.ActivityIndicatorAnalyse->Animate());

    // Handed over, but the grid waits for the tick.
    ASSERT_TRUE(AwaitHandOver(form));
    EXPECT_EQ(GridCells(*form.StringGridStat), kTitlesOnly);
    EXPECT_EQ(form.DeviceStats().size(), 5u);
    EXPECT_EQ(form.AnalysedDeviceCount(), 5);

    form.TimerAnalyseRunTestTimer(form.TimerAnalyseRunTest);
    EXPECT_EQ(form.AnalyseThread(), nullptr);
    EXPECT_FALSE(form.TimerAnalyseRunTest->Enabled());
    EXPECT_FALSE(form.ActivityIndicatorAnalyse->Animate());
    TStringGrid& grid = *form.StringGridStat;
    ASSERT_EQ(grid.ColCount(), 6);
    EXPECT_EQ(grid.Cells(4, 0), L"GW: 0A.1B.2C");
    EXPECT_EQ(grid.Cells(5, 0), L"GW: 0A.1B.2D");
    EXPECT_EQ(grid.ColWidths(5), 120);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(form.GatewayColumns()[1].Caption, "GW: 0A.1B.2D");
    EXPECT_EQ(form.GatewayColumns()[1].GatewayId, "0A.1B.2D");
    EXPECT_EQ(RowsByGatewayId(grid), ExpectedTrafficTable()) << Describe(RowsByGatewayId(grid));
    EXPECT_TRUE(Dialogs().empty());

    // A second tick finds nothing to do.
    form.TimerAnalyseRunTestTimer(form.TimerAnalyseRunTest);
    EXPECT_EQ(RowsByGatewayId(grid), ExpectedTrafficTable());
}

TEST_F(StatisticsDbTest, DayBoundsAndRowsThatCannotBeCounted)
{
    TFormSRV& form = CreateInDatabaseMode(dbtest::Server().password);
    form.ToggleSwitch1->SetState(tssOn);
    ASSERT_TRUE(form.IdTCPServer1->Active());
    TFDConnection db(nullptr);
    Connect(db);
    CreateRxTable(db, "01.02.03");
    CreateRxTable(db, "0A.0B.0C");
    CreateRxTable(db, "ab.cd.ef");
    // "rxa..." would match LIKE 'rx_%' with '_' as the wildcard.
    dbmode_test::Exec(db, L"CREATE TABLE `rxa01.02.04` LIKE `rx_01.02.03`");
    InsertRows(db, L"rx_01.02.03",
               {
                   {L"2022-06-04 23:59:59", L"11111111", L"ABC", 7, -70}, // the day before
                   {L"2022-06-05 00:00:00", L"12345678", L"ABC", 7, -70}, // the day's first second
                   {L"2022-06-05 10:00:00", L"1A2B3C4D", L"ABC", 7, -40}, // not BCD: radio ID 0
                   {L"2022-06-05 10:00:02", L"00000042", L"", 7, -40},    // no manufacturer: passed over
                   {L"2022-06-05 10:00:03", L"00000042", L"XYZ", -102, -50}, // medium 0x9A
                   {L"2022-06-05 23:59:59", L"12345678", L"ABC", 7, -71}, // the day's last second
                   {L"2022-06-06 00:00:00", L"22222222", L"ABC", 7, -70}, // the next day
               });
    InsertRows(db, L"rx_0A.0B.0C", {{L"2022-06-05 12:00:00", L"55555555", L"ABC", 7, -60}});
    InsertRows(db, L"rxa01.02.04", {{L"2022-06-05 12:00:00", L"66666666", L"ABC", 7, -60}});

    OpenStatistics(form, TrafficDay());
    ASSERT_TRUE(FinishAnalysis(form));
    TStringGrid& grid = *form.StringGridStat;
    EXPECT_EQ(GridCells(grid),
              (Table{{L"Count:", L"RadioID:", L"Hersteller:", L"Medium:", L"GW: 01.02.03", L"GW: 0A.0B.0C", L"GW: ab.cd.ef"},
                     {L"0", L"55555555", L"ABC", L"07", L"", L"1 / -60 dbm", L""},
                     {L"1", L"12345678", L"ABC", L"07", L"2 / -70 dbm", L"", L""},
                     {L"2", L"00000000", L"ABC", L"07", L"1 / -40 dbm", L"", L""},
                     {L"3", L"00000042", L"XYZ", L"9A", L"1 / -50 dbm", L"", L""}}))
        << Describe(GridCells(grid));
    EXPECT_EQ(form.DeviceStats()[1].Gateways[0].SumRssi, -141);

    // A day without telegrams: the columns, no rows.
    form.Calendar1->SetDate(EncodeDate(2022, 6, 7));
    ASSERT_TRUE(FinishAnalysis(form));
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.ColCount(), 7);
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(StatisticsDbTest, RefusedConnectionGivesOneMessageAndAnEmptyGrid)
{
    TFormSRV& form = CreateInDatabaseMode(L"not the password");
    OpenStatistics(form, TrafficDay());
    ASSERT_TRUE(FinishAnalysis(form));
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].Text, L"Fehler beim \u00D6ffnen der Datenbank!");
    EXPECT_EQ(Dialogs()[0].DlgType, mtError);
    EXPECT_EQ(Dialogs()[0].Buttons, mbAbortRetryIgnore);
    EXPECT_EQ(GridCells(*form.StringGridStat), kTitlesOnly);
    EXPECT_FALSE(form.ActivityIndicatorAnalyse->Animate());
    EXPECT_EQ(form.LabelDBStatus->Caption(), L"unbekannt") << "the thread's connection is its own";

    // With the password corrected and the database made: no rx_ table, no column, no message.
    form.EditDBPassword->SetText(dbtest::Server().password);
    form.ToggleSwitch1->SetState(tssOn);
    ASSERT_TRUE(form.IdTCPServer1->Active());
    form.Calendar1->SetDate(EncodeDate(2022, 6, 6));
    ASSERT_TRUE(FinishAnalysis(form));
    EXPECT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(GridCells(*form.StringGridStat), kTitlesOnly);
}

TEST_F(StatisticsDbTest, DaysChosenWhileAnAnalysisRunsEndWithTheNewest)
{
    CreateDatabase();
    TFormSRV& form = CreateInDatabaseMode(dbtest::Server().password);
    TFDConnection db(nullptr);
    Connect(db);
    CreateRxTable(db, "01.02.03");
    InsertRows(db, L"rx_01.02.03",
               {{L"2022-06-05 08:00:00", L"00000005", L"ABC", 7, -50},
                {L"2022-06-06 08:00:00", L"00000006", L"ABC", 7, -60},
                {L"2022-06-07 08:00:00", L"00000007", L"ABC", 7, -70}});

    // Three days in a row, faster than any analysis: whatever the first thread had done by
    // then, the page ends with the last day, and only one thread exists at a time.
    OpenStatistics(form, EncodeDate(2022, 6, 5));
    TAnalyseClass* first = form.AnalyseThread();
    ASSERT_NE(first, nullptr);
    form.Calendar1->SetDate(EncodeDate(2022, 6, 6));
    form.Calendar1->SetDate(EncodeDate(2022, 6, 7));
    ASSERT_TRUE(FinishAnalysis(form));
    EXPECT_EQ(GridCells(*form.StringGridStat),
              (Table{{L"Count:", L"RadioID:", L"Hersteller:", L"Medium:", L"GW: 01.02.03"},
                     {L"0", L"00000007", L"ABC", L"07", L"1 / -70 dbm"}}));
    EXPECT_EQ(form.AnalysedDeviceCount(), 1);
    EXPECT_EQ(form.LabelDatum->Caption(), DateToStr(EncodeDate(2022, 6, 7)));

    // Closing while an analysis runs stops it and waits for it; its result is dropped.
    form.Calendar1->SetDate(EncodeDate(2022, 6, 5));
    ASSERT_NE(form.AnalyseThread(), nullptr);
    form.Close();
    EXPECT_EQ(form.AnalyseThread(), nullptr);
    EXPECT_FALSE(form.AnalyseRunning());
    ASSERT_EQ(form.DeviceStats().size(), 1u);
    EXPECT_EQ(form.DeviceStats()[0].RadioId, 7u);
}
