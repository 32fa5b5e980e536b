// The statistics page in file mode: the day's CSV logs found and counted, malformed lines passed
// over, the rows ordered, the owner-drawn grid with its marks, the limit of marks per gateway,
// and the error box whose Retry repeats the analysis. Also the page's counting rules alone.
#include "AnalyseThread.h"
#include "Helpfunktion.h"
#include "Statistik.h"
#include "server_tests_statistics_support.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace statistics_test;

namespace {

UnicodeString Hex(const sim::Telegram& t) { return contact_test::RawHex(sim::Record(t)); }

// A CSV log line as the server writes it.
std::string LogLine(const sim::Telegram& t) { return "05.06.2022 08:30:01;" + UnicodeToAnsi(Hex(t)) + "\r\n"; }

// n as eight BCD digits.
uint32_t Bcd(uint32_t n)
{
    uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 4, n /= 10) value |= (n % 10) << shift;
    return value;
}

TAD Device(uint16_t manufacturer, uint32_t id, uint8_t medium = 7)
{
    TAD d;
    d.RadioId = id;
    d.ManufacturerLow = static_cast<uint8_t>(manufacturer & 0xFF);
    d.ManufacturerHigh = static_cast<uint8_t>(manufacturer >> 8);
    d.Medium = medium;
    return d;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Counting rules

TEST(StatisticsRules, LogLinesGiveTheirTelegramOrNothing)
{
    const UnicodeString hex = Hex(Heard(0x12345678, kAbc, 0x07, 0x8C));
    struct Case {
        UnicodeString line;
        bool counted;
        uint32_t id;
        uint8_t medium;
        int rssi;
    };
    const std::vector<Case> cases = {
        {L"05.06.2022 08:30:01;" + hex, true, 12345678, 0x07, -70},
        {L"\"05.06.2022 08:30:01\";\"" + hex + L"\"", true, 12345678, 0x07, -70},
        {L"05.06.2022;" + Hex(Heard(0x00000042, kXyz, 0x9A, 0xFF)), true, 42, 0x9A, -127},
        {L"05.06.2022;" + Hex(Heard(0x1234ABCD, kAbc, 0x07, 0x02)), true, 0, 0x07, -1},
        {L"", false, 0, 0, 0},
        {L"05.06.2022 08:30:01", false, 0, 0, 0},
        {L"05.06.2022;" + hex.substr(0, 25), false, 0, 0, 0},
        {L";", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(UnicodeToUtf8(c.line));
        const auto telegram = StatTelegramFromLogLine(c.line);
        ASSERT_EQ(telegram.has_value(), c.counted);
        if (!telegram) continue;
        EXPECT_EQ(telegram->RadioId, c.id);
        EXPECT_EQ(telegram->Medium, c.medium);
        EXPECT_EQ(telegram->Rssi, c.rssi);
        EXPECT_EQ(AnsiToUnicode(ManufacturerToString(telegram->ManufacturerLow, telegram->ManufacturerHigh)),
                  c.id == 42 ? L"XYZ" : L"ABC");
    }
    // The shortest text read: up to the medium byte, then the RSSI and the stop byte.
    EXPECT_TRUE(StatTelegramFromHex(UnicodeToAnsi(hex.substr(0, 26))));
    EXPECT_FALSE(StatTelegramFromHex(UnicodeToAnsi(hex.substr(0, 24))));

    const std::vector<std::pair<std::string, uint32_t>> ids = {
        {"12345678", 12345678}, {"00000042", 42}, {"7", 7},       {"", 0},         {"123456789", 0},
        {"1234ABCD", 0},        {"-1234567", 0},  {" 1234567", 0}, {"99999999", 99999999},
    };
    for (const auto& [text, id] : ids) EXPECT_EQ(StatRadioId(text), id) << text;
}

TEST(StatisticsRules, CountingSortingAndMarks)
{
    // Two telegrams of one device at one gateway, the same ID with another medium.
    TDeviceStats devices;
    EXPECT_TRUE(CountStatTelegram(devices, {12345678, 0x43, 0x04, 7, -70}, 1, 2));
    EXPECT_FALSE(CountStatTelegram(devices, {12345678, 0x43, 0x04, 7, -71}, 1, 2));
    EXPECT_TRUE(CountStatTelegram(devices, {12345678, 0x43, 0x04, 8, -60}, 0, 2));
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].Gateways[1].Count, 2);
    EXPECT_EQ(devices[0].Gateways[1].SumRssi, -141);
    EXPECT_EQ(devices[0].Gateways[1].MeanRssi, -70);
    EXPECT_EQ(StatCellText(devices[0].Gateways[1]), L"2 / -70 dbm");
    EXPECT_EQ(StatCellText(devices[0].Gateways[0]), L"");
    EXPECT_EQ(FormatUnsigned(4000000000u), L"4000000000");

    // Manufacturers in the order of their first appearance (B, A, C), higher IDs first, equal
    // IDs in their order.
    const uint16_t a = 0x0421, b = 0x0842, c = 0x0C63;
    TDeviceStats unsorted = {Device(b, 5), Device(a, 1), Device(c, 4), Device(b, 9),
                             Device(a, 3), Device(b, 5, 8), Device(b, 7)};
    SortDevices(unsorted);
    std::vector<std::pair<uint16_t, uint32_t>> order;
    for (const TAD& d : unsorted)
        order.push_back({static_cast<uint16_t>(d.ManufacturerLow | (d.ManufacturerHigh << 8)), d.RadioId});
    EXPECT_EQ(order, (std::vector<std::pair<uint16_t, uint32_t>>{{b, 9}, {b, 7}, {b, 5}, {b, 5}, {a, 3}, {a, 1}, {c, 4}}));
    EXPECT_EQ(unsorted[2].Medium, 7);
    EXPECT_EQ(unsorted[3].Medium, 8);

    // Marks: only a cell with telegrams; at most 100 per gateway column.
    TDeviceStats many;
    for (uint32_t id = 1; id <= 102; ++id) CountStatTelegram(many, {id, 0x43, 0x04, 7, -50}, 0, 2);
    TGatewayColumns columns(2);
    EXPECT_FALSE(MarkStatCell(many, columns, 0, 1));
    EXPECT_EQ(many[0].Gateways[1].Selected, 0) << "an empty cell is not marked";
    for (int d = 0; d < 100; ++d) EXPECT_FALSE(MarkStatCell(many, columns, d, 0));
    EXPECT_EQ(columns[0].SelectedCount, 100);
    EXPECT_TRUE(MarkStatCell(many, columns, 100, 0));
    EXPECT_EQ(many[100].Gateways[0].Selected, 0);
    EXPECT_EQ(columns[0].SelectedCount, 100);
    EXPECT_FALSE(MarkStatCell(many, columns, 5, 0)) << "unmarking";
    EXPECT_EQ(columns[0].SelectedCount, 99);
    EXPECT_FALSE(MarkStatCell(many, columns, 101, 0));
    EXPECT_EQ(columns[0].SelectedCount, 100);
    EXPECT_EQ(columns[1].SelectedCount, 0);
}

TEST(StatisticsRules, DayLogFileNames)
{
    struct Case {
        const wchar_t* name;
        bool listed;
        const wchar_t* gateway;
    };
    const std::vector<Case> cases = {
        {L"5_6_2022_LOG_01_02_03.csv", true, L"01_02_03"},
        {L"15_6_2022_LOG_01_02_03.csv", false, L""},
        {L"5_6_2022_LOG_0A_1B_2C.CSV", true, L"0A_1B_2C"},
        {L"05_6_2022_LOG_0A_1B_2C.Csv", true, L"0A_1B_2C"},
        {L"5_6_2022_LOG_01_02_03.txt", false, L""},
        {L"5_6_2022_data.csv", false, L""},
        {L"5x_6_2022_LOG_01_02_03.csv", false, L""},
        {L".", false, L""},
        {L"..", false, L""},
    };
    for (const Case& c : cases) {
        UnicodeString gateway;
        EXPECT_EQ(IsDayLogFile(c.name, 5, gateway), c.listed) << UnicodeToUtf8(c.name);
        if (c.listed) {
            EXPECT_EQ(gateway, c.gateway);
        }
    }
}

TEST(StatisticsRules, CancelledAnalysisHandsOverNothingYetClearsItsFlag)
{
    // Cancelled before it ever ran, as when days are chosen faster than a thread starts.
    TDeviceStats devices = {Device(kAbc, 5)};
    TGatewayColumns columns = {{0, "01.02.03", "GW: 01.02.03"}};
    std::atomic<bool> running{true};
    int count = 0;
    TStringList params;
    TAnalyseClass thread(&devices, TrafficDay(), &columns, true, params, TDbSettings{}, {&running, &count});
    thread.Cancel();
    thread.Start();
    thread.WaitFor();
    EXPECT_FALSE(running.load());
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].RadioId, 5u);
    EXPECT_EQ(columns.size(), 1u);
    EXPECT_EQ(count, 0);
}

// ---------------------------------------------------------------------------------------------
// The page in file mode

TEST_F(StatisticsTest, FileModeListsOnlyTheDaysLogsAndCountsTheirTelegrams)
{
    std::filesystem::create_directories(LogFolder());
    const auto write = [&](const wchar_t* name, const std::string& text) {
        std::ofstream(LogFolder() / name, std::ios::binary) << text;
    };
    // Malformed lines between the telegrams are passed over, not the rest of the file.
    write(L"5_6_2022_LOG_0A_1B_2C.csv", LogLine(Heard(0x12345678, kAbc, 7, 140)) + "\r\n" + "no telegram here\r\n" +
                                            "05.06.2022;6814\r\n" + LogLine(Heard(0x12345678, kAbc, 7, 142)) +
                                            LogLine(Heard(0x00000042, kXyz, 0x9A, 100)));
    write(L"5_6_2022_LOG_0A_1B_2D.Csv", LogLine(Heard(0x87654321, kAbc, 7, 60)));
    write(L"15_6_2022_LOG_0A_1B_2C.csv", LogLine(Heard(0x11111111, kAbc, 7, 60)));
    write(L"5_6_2022_data.csv", LogLine(Heard(0x22222222, kAbc, 7, 60)));
    write(L"5_6_2022_LOG_0A_1B_2E.txt", LogLine(Heard(0x33333333, kAbc, 7, 60)));

    TFormSRV& form = CreateForms();
    OpenStatistics(form, TrafficDay());

    const UnicodeString dayFolder = (documents_ / L"VELMORA" / L"W_MBUS_SRV_LOG").wstring() + L"\\2022\\6\\";
    EXPECT_EQ(form.Label5->Caption(), L"m\u00F6gliche Dateien zum Analysieren");
    EXPECT_EQ(form.Label6->Caption(), L"Verzeichniss:");
    EXPECT_EQ(form.LabelDir->Caption(), dayFolder);
    EXPECT_EQ(form.StatDayFolder(), dayFolder);
    EXPECT_EQ(form.LabelDatum->Caption(), DateToStr(TrafficDay()));
    std::vector<UnicodeString> memo, files;
    for (int i = 0; i < form.MemoStat->Lines()->Count(); ++i) memo.push_back(form.MemoStat->Lines()->Strings(i));
    for (int i = 0; i < form.StatFileList()->Count(); ++i) files.push_back(form.StatFileList()->Strings(i));
    std::sort(memo.begin(), memo.end());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(memo, (std::vector<UnicodeString>{L"5_6_2022_LOG_0A_1B_2C.csv", L"5_6_2022_LOG_0A_1B_2D.Csv"}));
    EXPECT_EQ(files, (std::vector<UnicodeString>{dayFolder + L"5_6_2022_LOG_0A_1B_2C.csv",
                                                 dayFolder + L"5_6_2022_LOG_0A_1B_2D.Csv"}));

    TStringGrid& grid = *form.StringGridStat;
    ASSERT_EQ(grid.ColCount(), 6);
    EXPECT_EQ(grid.FixedCols(), 2);
    EXPECT_EQ(grid.FixedRows(), 1);
    const std::vector<UnicodeString> headers = {L"Count:", L"RadioID:", L"Hersteller:", L"Medium:"};
    const std::vector<int> widths = {40, 80, 65, 55, 120, 120};
    for (int c = 0; c < 6; ++c) {
        if (c < 4) {
            EXPECT_EQ(grid.Cells(c, 0), headers[static_cast<size_t>(c)]);
        }
        EXPECT_EQ(grid.ColWidths(c), widths[static_cast<size_t>(c)]);
    }
    EXPECT_EQ(RowsByGatewayId(grid), (Table{{L"0", L"87654321", L"ABC", L"07", L"", L"1 / -30 dbm"},
                                            {L"1", L"12345678", L"ABC", L"07", L"2 / -70 dbm", L""},
                                            {L"2", L"00000042", L"XYZ", L"9A", L"1 / -50 dbm", L""}}))
        << Describe(RowsByGatewayId(grid));
    EXPECT_TRUE(Dialogs().empty());

    // A month without logs: only the four titles; back again, the same table.
    SendMessageW(form.ButtonVor->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form.Calendar1->Date(), EncodeDate(2022, 7, 5));
    EXPECT_EQ(form.LabelDir->Caption(), (documents_ / L"VELMORA" / L"W_MBUS_SRV_LOG").wstring() + L"\\2022\\7\\");
    EXPECT_EQ(GridCells(grid), (Table{{L"Count:", L"RadioID:", L"Hersteller:", L"Medium:"}}));
    EXPECT_EQ(form.MemoStat->Lines()->Count(), 0);
    EXPECT_TRUE(form.DeviceStats().empty());
    EXPECT_TRUE(form.GatewayColumns().empty());
    SendMessageW(form.ButtonZur->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form.Calendar1->Date(), TrafficDay());
    EXPECT_EQ(RowsByGatewayId(grid).size(), 3u);
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(StatisticsTest, SimulatedTrafficInFileModeGivesItsTable)
{
    TFormSRV& form = CreateWithPort();
    form.ToggleSwitch1->SetState(tssOn);
    ASSERT_TRUE(form.IdTCPServer1->Active());
    SendTraffic(form, Traffic());

    OpenStatistics(form, TrafficDay());
    EXPECT_EQ(form.StatFileList()->Count(), 2);
    EXPECT_EQ(RowsByGatewayId(*form.StringGridStat), ExpectedTrafficTable())
        << Describe(RowsByGatewayId(*form.StringGridStat));
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(StatisticsTest, OwnerDrawnGridShowsTitlesFirstColumnAndMarks)
{
    std::filesystem::create_directories(LogFolder());
    std::ofstream(LogFolder() / L"5_6_2022_LOG_0A_1B_2C.csv", std::ios::binary)
        << LogLine(Heard(0x12345678, kAbc, 7, 140)) << LogLine(Heard(0x00000042, kAbc, 7, 100));
    std::ofstream(LogFolder() / L"5_6_2022_LOG_0A_1B_2D.csv", std::ios::binary)
        << LogLine(Heard(0x12345678, kAbc, 7, 120));

    TFormSRV& form = CreateForms();
    form.SetBounds(0, 0, 1000, 700);
    OpenStatistics(form, TrafficDay());
    SetForegroundWindow(form.Handle());
    TStringGrid& grid = *form.StringGridStat;
    ASSERT_EQ(grid.RowCount(), 3);
    const int gwA = grid.Cells(4, 0) == L"GW: 0A_1B_2C" ? 4 : 5;
    const int gwB = 9 - gwA;
    ASSERT_EQ(grid.Cells(1, 1), L"12345678");

    // Device 12345678 marked for 0A.1B.2C; a double click on an empty cell marks nothing; a
    // second double click takes a mark back.
    DoubleClickCell(grid, gwA, 1);
    DoubleClickCell(grid, gwB, 2);
    DoubleClickCell(grid, gwB, 1);
    DoubleClickCell(grid, gwB, 1);
    EXPECT_EQ(form.DeviceStats()[0].Gateways[static_cast<size_t>(gwA - 4)].Selected, 1);
    EXPECT_EQ(form.DeviceStats()[1].Gateways[static_cast<size_t>(gwB - 4)].Selected, 0);
    EXPECT_EQ(form.DeviceStats()[0].Gateways[static_cast<size_t>(gwB - 4)].Selected, 0);
    EXPECT_EQ(form.GatewayColumns()[static_cast<size_t>(gwA - 4)].SelectedCount, 1);
    EXPECT_EQ(form.GatewayColumns()[static_cast<size_t>(gwB - 4)].SelectedCount, 0);
    EXPECT_TRUE(Dialogs().empty());

    std::unique_ptr<TBitmap> picture = CaptureWindow(grid.Handle());
    const POINT origin = ClientOffset(grid.Handle());
    const auto fillAt = [&](int column, int row) {
        const TRect r = grid.CellRect(column, row);
        return PixelOf(*picture, origin.x + r.Left + 1, origin.y + r.Bottom - 2);
    };
    const auto hasWhiteText = [&](int column, int row) {
        const TRect r = grid.CellRect(column, row);
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (PixelOf(*picture, origin.x + x, origin.y + y) == RGB(255, 255, 255)) return true;
        return false;
    };
    const COLORREF title = StyledColorToGdi(form.Color());
    const COLORREF window = StyledColorToGdi(clWindow);
    EXPECT_EQ(fillAt(0, 0), title);
    EXPECT_EQ(fillAt(2, 0), title);
    EXPECT_EQ(fillAt(gwA, 0), title);
    EXPECT_EQ(fillAt(0, 1), title);
    EXPECT_EQ(fillAt(0, 2), title);
    EXPECT_TRUE(hasWhiteText(gwA, 0)) << "white titles";
    EXPECT_TRUE(hasWhiteText(0, 2)) << "white row numbers";
    EXPECT_EQ(fillAt(1, 1), window);
    EXPECT_EQ(fillAt(3, 2), window);
    EXPECT_EQ(fillAt(gwA, 1), static_cast<COLORREF>(0x30B0FF)) << "marked: orange";
    EXPECT_EQ(fillAt(gwB, 1), window);
    EXPECT_EQ(fillAt(gwA, 2), window);
    EXPECT_EQ(fillAt(gwB, 2), window);
    const std::filesystem::path folder = BuildFolder() / L"screenshots";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(SaveBitmapAsPng(*picture, (folder / L"statistics_grid.png").wstring()));
}

TEST_F(StatisticsTest, OneHundredMarksPerGatewayAtMost)
{
    std::filesystem::create_directories(LogFolder());
    {
        std::ofstream file(LogFolder() / L"5_6_2022_LOG_0A_1B_2C.csv", std::ios::binary);
        for (uint32_t n = 1; n <= 101; ++n) file << LogLine(Heard(Bcd(10000000 + n), kAbc, 7, 100));
    }
    TFormSRV& form = CreateForms();
    OpenStatistics(form, TrafficDay());
    TStringGrid& grid = *form.StringGridStat;
    ASSERT_EQ(grid.RowCount(), 102);
    EXPECT_EQ(grid.Cells(0, 1), L"0");
    EXPECT_EQ(grid.Cells(1, 1), L"10000101");

    grid.SetCol(4);
    for (int row = 1; row <= 101; ++row) {
        grid.SetRow(row);
        form.StringGridStatDblClick(&grid);
    }
    EXPECT_EQ(form.GatewayColumns()[0].SelectedCount, 100);
    EXPECT_EQ(form.DeviceStats()[100].Gateways[0].Selected, 0);
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].Text, L"Anzahl von 100 Filter-ID's erreicht f\u00FCr dieses Gateway!");
}

TEST_F(StatisticsTest, UnreadableLogAsksWhetherToRepeatAndRetryRepeats)
{
    std::filesystem::create_directories(LogFolder());
    const std::filesystem::path log = LogFolder() / L"5_6_2022_LOG_0A_1B_2C.csv";
    std::ofstream(log, std::ios::binary) << LogLine(Heard(0x12345678, kAbc, 7, 140));
    HANDLE lock = CreateFileW(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);

    // Retry after the lock is gone: the day is analysed again and the box does not come back.
    Answers() = {mrRetry};
    OnDialog() = [&](const TDialogRequest&) {
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        lock = INVALID_HANDLE_VALUE;
    };
    TFormSRV& form = CreateForms();
    OpenStatistics(form, TrafficDay());
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].Kind, dkMessageDlg);
    EXPECT_EQ(Dialogs()[0].DlgType, mtError);
    EXPECT_EQ(Dialogs()[0].Buttons, mbAbortRetryIgnore);
    EXPECT_EQ(Dialogs()[0].Text, L"Bei der Analyse ist ein Fehler aufgetreten. Wiederholen?");
    EXPECT_EQ(form.StringGridStat->RowCount(), 2);
    EXPECT_EQ(form.StringGridStat->Cells(4, 1), L"1 / -70 dbm");
    EXPECT_EQ(form.MemoStat->Lines()->Count(), 1);

    // Ignore: the page stays as the failed pass left it.
    lock = CreateFileW(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    OnDialog() = nullptr;
    Answers() = {mrIgnore};
    form.Calendar1->SetDate(EncodeDate(2022, 7, 5));
    form.Calendar1->SetDate(TrafficDay());
    CloseHandle(lock);
    EXPECT_EQ(Dialogs().size(), 2u);
    EXPECT_EQ(form.StringGridStat->RowCount(), 1);
    EXPECT_EQ(form.StringGridStat->ColCount(), 5);
}

TEST_F(StatisticsTest, PageTabsCarryTheirImages)
{
    TFormSRV& form = CreateForms();
    ASSERT_EQ(form.PageControl1->Images(), form.ImageList1);
    ASSERT_EQ(form.ImageList1->Count(), form.PageControl1->PageCount());
    for (int page = 0; page < form.PageControl1->PageCount(); ++page)
        EXPECT_EQ(form.PageControl1->Pages(page)->ImageIndex(), page);

    // The statistics tab's bars, on a white ground that shows through around them.
    TBitmap image(16, 16, pf32bit);
    image.Canvas()->Brush()->SetColor(static_cast<TColor>(0xFFFFFF));
    image.Canvas()->FillRect(TRect(0, 0, 16, 16));
    form.ImageList1->Draw(image.Canvas(), 0, 0, 3);
    EXPECT_EQ(PixelOf(image, 8, 10), static_cast<COLORREF>(0x30B0FF));
    EXPECT_EQ(PixelOf(image, 8, 1), RGB(255, 255, 255));
}
