// The pieces of file mode on their own: CSV log lines and paths, appending with retries, the
// telegram row statement, the connection log file and the status grid's row update.
#include "ConnectionLog.h"
#include "DateUtils.h"
#include "Encoding.h"
#include "Exceptions.h"
#include "Files.h"
#include "GatewayStatusGrid.h"
#include "LogFileAppend.h"
#include "TelegramStorage.h"
#include "../setup/setup_tests_support.h"
#include "server_tests_contact_sim.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace {
using test_support::g_now;
using test_support::ReadFile;

// A private shared-documents folder and a clock the test sets.
class FileModeUnitTest : public ::testing::Test {
protected:
    void TearDown() override { SetLogFileWriterForTests({}); }

    // Moves the shared documents to a folder where VELMORA is a file, so no folder can be
    // created below it; returns that folder.
    UnicodeString BlockVelmora() const
    {
        const auto blocked = Documents() / L"blocked";
        std::filesystem::create_directories(blocked);
        std::ofstream(blocked / L"VELMORA") << "a file, not a folder";
        TPath::SetSharedDocumentsPathOverride(blocked.wstring());
        return blocked.wstring();
    }

    const std::filesystem::path& Documents() const { return documents_.Path(); }

private:
    test_support::ScopedClock clock_{EncodeDateTime(2022, 6, 5, 12, 0, 0, 0)};
    test_support::ScratchDocuments documents_{L"filemode_unit_"};
};

sim::Bytes RecordWithL(uint8_t l, uint8_t month = 3, uint8_t day = 9, uint8_t hour = 14)
{
    sim::Telegram t;
    t.Year = 24;
    t.Month = month;
    t.Day = day;
    t.Hour = hour;
    t.Minute = hour == 0 ? 0 : 5;
    t.Second = hour == 0 ? 0 : 7;
    t.L = l;
    t.Rssi = 0x5A;
    return sim::Record(t);
}

std::string Hex(const sim::Bytes& bytes, std::size_t from, std::size_t to)
{
    std::string hex;
    for (std::size_t i = from; i < to; ++i) {
        char pair[3];
        snprintf(pair, sizeof pair, "%02X", bytes[i]);
        hex += pair;
    }
    return hex;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// CSV lines and paths

TEST_F(FileModeUnitTest, CsvLineHoldsReceiveTimeAndTelegramWithinTheRecord)
{
    const sim::Bytes typical = RecordWithL(0x4A);
    const sim::Bytes largest = RecordWithL(255);
    const sim::Bytes midnight = RecordWithL(0x14, 3, 9, 0);
    ASSERT_EQ(typical.size(), 83u);

    const AnsiString when =
        UnicodeToAnsi(DateToStr(EncodeDate(2024, 3, 9)) + L" " + TimeToStr(EncodeTime(14, 5, 7, 0)));
    EXPECT_EQ(TelegramLogLine(typical, 83), when + ";" + Hex(typical, 6, 83) + "\r\n");
    EXPECT_EQ(TelegramHexText(typical, 83).size(), 154u);
    EXPECT_EQ(TelegramHexText(typical, 83).substr(0, 4), "684A");
    EXPECT_EQ(TelegramHexText(largest, 264).size(), 516u);
    EXPECT_EQ(TelegramLogLine(midnight, static_cast<int>(midnight.size())),
              UnicodeToAnsi(DateToStr(EncodeDate(2024, 3, 9))) + ";" + Hex(midnight, 6, midnight.size()) + "\r\n");

    // A length that claims more than the record holds reads no further than the record.
    EXPECT_EQ(TelegramHexText(typical, 400), Hex(typical, 6, 83));
    EXPECT_EQ(TelegramHexText(typical, 6), "");
    EXPECT_EQ(TelegramHexText(typical, -3), "");
    sim::Bytes badTime = typical;
    badTime[1] = 13;
    EXPECT_THROW(TelegramLogLine(badTime, 83), EConvertError);
    EXPECT_THROW(TelegramLogLine(sim::Bytes(typical.begin(), typical.begin() + 5), 5), EConvertError);
}

TEST_F(FileModeUnitTest, LogPathFollowsTheServersDateAndCreatesTheMonthFolder)
{
    struct Case {
        TDateTime now;
        std::array<uint8_t, 3> id;
        const wchar_t* folder;
        const wchar_t* file;
    };
    const std::vector<Case> cases = {
        {EncodeDateTime(2022, 6, 5, 23, 59, 59, 999), {0x0A, 0x0B, 0x0C}, L"2022\\6\\", L"5_6_2022_LOG_0A_0B_0C.csv"},
        {EncodeDateTime(2024, 12, 31, 0, 0, 0, 0), {0x01, 0xA2, 0xFF}, L"2024\\12\\", L"31_12_2024_LOG_01_A2_FF.csv"},
        {EncodeDateTime(2024, 3, 9, 8, 0, 0, 0), {0x00, 0x00, 0x00}, L"2024\\3\\", L"9_3_2024_LOG_00_00_00.csv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(UnicodeToUtf8(c.file));
        g_now = c.now;
        const UnicodeString folder = Documents().wstring() + L"\\VELMORA\\W_MBUS_SRV_LOG\\" + c.folder;
        EXPECT_EQ(MakeTelegramLogPath(c.id), folder + c.file);
        EXPECT_TRUE(DirectoryExists(folder));
        EXPECT_FALSE(FileExists(folder + c.file));
    }

    const UnicodeString blocked = BlockVelmora();
    g_now = EncodeDateTime(2025, 1, 2, 3, 4, 5, 0);
    try {
        MakeTelegramLogPath(std::array<uint8_t, 3>{1, 2, 3});
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), blocked + L"\\VELMORA\\W_MBUS_SRV_LOG\\2025\\1\\");
    }
}

// ---------------------------------------------------------------------------------------------
// Appending with retries

TEST_F(FileModeUnitTest, OnlyAFinalFailureOfATelegramLineIsReported)
{
    const sim::Bytes record = RecordWithL(0x14);
    const UnicodeString path = L"C:\\nowhere\\log.csv";
    for (int failures = 0; failures <= 4; ++failures) {
        SCOPED_TRACE(failures);
        int attempts = 0;
        std::vector<AnsiString> written;
        SetLogFileWriterForTests([&](const UnicodeString& to, const AnsiString& text) {
            EXPECT_EQ(to, path);
            if (++attempts <= failures) throw EFOpenError(L"locked");
            written.push_back(text);
        });
        std::vector<UnicodeString> shown, reported;
        AppendTelegramLogLine(path, static_cast<int>(record.size()), record,
                              {.ShowPath = [&](const UnicodeString& p) { shown.push_back(p); },
                               .ReportFailure = [&](const UnicodeString& p, int lost) {
                                   EXPECT_EQ(lost, 1);
                                   reported.push_back(p);
                               }});

        EXPECT_EQ(attempts, std::min(failures + 1, 3));
        EXPECT_EQ(shown, std::vector<UnicodeString>{path});
        if (failures < 3) {
            EXPECT_EQ(written, std::vector<AnsiString>{TelegramLogLine(record, static_cast<int>(record.size()))});
            EXPECT_TRUE(reported.empty());
        } else {
            EXPECT_TRUE(written.empty());
            EXPECT_EQ(reported, std::vector<UnicodeString>{path});
        }
    }

    // No receive time: nothing is tried, shown or reported.
    sim::Bytes badTime = record;
    badTime[2] = 0;
    int attempts = 0;
    SetLogFileWriterForTests([&](const UnicodeString&, const AnsiString&) { ++attempts; });
    int calls = 0;
    AppendTelegramLogLine(
        path, static_cast<int>(badTime.size()), badTime,
        {.ShowPath = [&](const UnicodeString&) { ++calls; }, .ReportFailure = [&](const UnicodeString&, int) { ++calls; }});
    EXPECT_EQ(attempts, 0);
    EXPECT_EQ(calls, 0);
}

TEST_F(FileModeUnitTest, AFramesBatchReportsItsLostLinesOnceAndWritesTheRest)
{
    std::vector<sim::Bytes> records;
    for (uint8_t hour = 1; hour <= 4; ++hour) records.push_back(RecordWithL(0x14, 3, 9, hour));
    const auto line = [&](std::size_t i) { return TelegramLogLine(records[i], static_cast<int>(records[i].size())); };
    const UnicodeString path = L"C:\\nowhere\\log.csv";
    // The whole frame's append fails, and so do the lines of the second and fourth record.
    std::vector<AnsiString> written;
    int attempts = 0;
    SetLogFileWriterForTests([&](const UnicodeString&, const AnsiString& text) {
        ++attempts;
        if (text.size() > line(0).size() || text == line(1) || text == line(3)) throw EFOpenError(L"locked");
        written.push_back(text);
    });
    std::vector<std::pair<UnicodeString, int>> reported;
    {
        TTelegramLogBatch batch(path, {.ReportFailure = [&](const UnicodeString& p, int lost) {
                                    reported.push_back({p, lost});
                                }});
        for (const sim::Bytes& record : records) batch.Add(static_cast<int>(record.size()), record);
    }
    EXPECT_EQ(written, (std::vector<AnsiString>{line(0), line(2)}));
    EXPECT_EQ(reported, (std::vector<std::pair<UnicodeString, int>>{{path, 2}}));
    EXPECT_EQ(attempts, 3 + 1 + 3 + 1 + 3);
}

// ---------------------------------------------------------------------------------------------
// Telegram row statement

TEST_F(FileModeUnitTest, InsertStatementQuotesEveryValueSoNoneChangesIt)
{
    sim::Telegram t;
    t.L = 10;
    const sim::Bytes record = sim::Record(t);
    const std::string hex = Hex(record, 6, record.size());
    EXPECT_EQ(TelegramInsertStatement("01.A2.FF", "12345678", "2024-03-09 14:05:07", "ABC", 7, -45, record,
                                      static_cast<int>(record.size())),
              "INSERT INTO `rx_01.A2.FF` (Rx_Datum,ID,Hersteller,Medium,RSSI,RAW_Daten) "
              "VALUES('2024-03-09 14:05:07','12345678','ABC','7','-45','" +
                  hex + "')");

    EXPECT_EQ(TelegramInsertStatement("0A.`B.0C", "1'); DROP TABLE x; --", "t", "\\B'", 255, 0, record, 6),
              "INSERT INTO `rx_0A.``B.0C` (Rx_Datum,ID,Hersteller,Medium,RSSI,RAW_Daten) "
              "VALUES('t','1\\'); DROP TABLE x; --','\\\\B\\'','255','0','')");

    // A frame's rows in one statement: each row's values exactly as its own statement has them.
    const TTelegramRowValues rows[] = {
        {"12345678", "2024-03-09 14:05:07", "ABC", 7, -45, record, static_cast<int>(record.size())},
        {"1'); DROP TABLE x; --", "t", "\\B'", 255, 0, record, 6},
    };
    EXPECT_EQ(TelegramInsertStatement("0A.`B.0C", rows),
              "INSERT INTO `rx_0A.``B.0C` (Rx_Datum,ID,Hersteller,Medium,RSSI,RAW_Daten) "
              "VALUES('2024-03-09 14:05:07','12345678','ABC','7','-45','" +
                  hex + "'),('t','1\\'); DROP TABLE x; --','\\\\B\\'','255','0','')");
}

// ---------------------------------------------------------------------------------------------
// Connection log file

TEST_F(FileModeUnitTest, ConnectionLogGetsEveryMemoLineEndedByCrLf)
{
    const auto file = Documents() / L"VELMORA" / L"W_MBUS_SRV_GWSETUPS" / L"VerbindungsLog.txt";
    EXPECT_EQ(ConnectionLogPath(), file.wstring());

    AppendConnectionLog(L""); // an empty memo still makes the folder
    EXPECT_TRUE(std::filesystem::is_directory(file.parent_path()));
    EXPECT_EQ(ReadFile(file), "");

    AppendConnectionLog(L"line 1\r\nline 2\r\n");
    AppendConnectionLog(L"line 3\nline 4\rline 5");
    AppendConnectionLog(L"\r\n");
    EXPECT_EQ(ReadFile(file), "line 1\r\nline 2\r\nline 3\r\nline 4\r\nline 5\r\n\r\n");
}

TEST_F(FileModeUnitTest, ConnectionLogRaisesOnlyTheThirdFailure)
{
    for (int failures = 0; failures <= 3; ++failures) {
        SCOPED_TRACE(failures);
        int attempts = 0;
        std::vector<AnsiString> written;
        SetLogFileWriterForTests([&](const UnicodeString&, const AnsiString& text) {
            if (++attempts <= failures) throw EWriteError(L"write " + std::to_wstring(attempts));
            written.push_back(text);
        });
        if (failures < 3) {
            AppendConnectionLog(L"a\r\nb\r\n");
            EXPECT_EQ(written, std::vector<AnsiString>{"a\r\nb\r\n"});
        } else {
            try {
                AppendConnectionLog(L"a\r\nb\r\n");
                ADD_FAILURE() << "no error";
            } catch (const EWriteError& e) {
                EXPECT_EQ(e.Message(), L"write 3");
            }
        }
        EXPECT_EQ(attempts, std::min(failures + 1, 3));
    }

    SetLogFileWriterForTests({});
    const UnicodeString blocked = BlockVelmora();
    try {
        AppendConnectionLog(L"a");
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), blocked + L"\\VELMORA\\W_MBUS_SRV_GWSETUPS\\");
    }
}

TEST_F(FileModeUnitTest, ConcurrentConnectionLogAppendsStayWhole)
{
    constexpr int kThreads = 8;
    constexpr int kAppends = 25;
    constexpr int kLines = 4;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int n = 0; n < kAppends; ++n) {
                UnicodeString memo;
                for (int k = 0; k < kLines; ++k)
                    memo +=
                        L"T" + std::to_wstring(t) + L" N" + std::to_wstring(n) + L" K" + std::to_wstring(k) + L"\r\n";
                AppendConnectionLog(memo);
            }
        });
    }
    for (auto& thread : threads) thread.join();

    std::istringstream text(ReadFile(Documents() / L"VELMORA" / L"W_MBUS_SRV_GWSETUPS" / L"VerbindungsLog.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kAppends * kLines));
    std::vector<int> nextAppend(kThreads, 0);
    for (std::size_t block = 0; block < lines.size(); block += kLines) {
        int t = -1, n = -1, k = -1;
        ASSERT_EQ(sscanf(lines[block].c_str(), "T%d N%d K%d", &t, &n, &k), 3) << lines[block];
        ASSERT_TRUE(t >= 0 && t < kThreads);
        EXPECT_EQ(n, nextAppend[t]++);
        for (int i = 0; i < kLines; ++i) {
            const std::string expected =
                "T" + std::to_string(t) + " N" + std::to_string(n) + " K" + std::to_string(i) + "\r";
            EXPECT_EQ(lines[block + i], expected);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Status grid

namespace {
class GridCells : public TStatusGridCells {
public:
    using Row = std::array<UnicodeString, StatusGridColumnCount>;
    explicit GridCells(std::vector<Row> rows) : rows(std::move(rows)) {}
    UnicodeString Cell(int column, int row) const override { return rows.at(row).at(column); }
    void SetCell(int column, int row, const UnicodeString& text) override { rows.at(row).at(column) = text; }
    int RowCount() const override { return static_cast<int>(rows.size()); }
    void SetRowCount(int count) override { rows.resize(static_cast<std::size_t>(count)); }
    std::vector<Row> rows;
};

const GridCells::Row kTitles = {L"GWID:",         L"IP:",     L"Verb.zeit:", L"Kontakte:",
                                L"letzte Daten:", L"Status:", L"Firmware:"};
} // namespace

TEST_F(FileModeUnitTest, GridRowsFollowTheContactsOfEachGateway)
{
    using Row = GridCells::Row;
    GridCells grid({kTitles, Row{}});
    const UnicodeString t1 = DateTimeToStr(g_now.load());

    UpdateGatewayStatusRow(grid, L"0A.1B.2C", L"10.0.0.1", L"SETUP Daten", L"SETUP ok", L"1.4.12");
    UpdateGatewayStatusRow(grid, L"0A.1B.2D", L"10.0.0.2", L"WMBUS Daten", L"", L"");
    EXPECT_EQ(grid.rows, (std::vector<Row>{kTitles,
                                           {L"0A.1B.2C", L"10.0.0.1", t1, L"1", L"erste Verbindung", L"", L"1.4.12"},
                                           {L"0A.1B.2D", L"10.0.0.2", t1, L"1", L"erste Verbindung", L"", L""}}));

    g_now = EncodeDateTime(2022, 6, 6, 0, 0, 0, 0);
    const UnicodeString t2 = DateTimeToStr(g_now.load());
    UpdateGatewayStatusRow(grid, L"0A.1B.2C", L"10.0.0.9", L"Soft.Update 1/40", L"Soft.Update", L"");
    UpdateGatewayStatusRow(grid, L"0A.1B.2C", L"10.0.0.9", L"", L"", L"");
    EXPECT_EQ(grid.rows[1], (Row{L"0A.1B.2C", L"10.0.0.9", t2, L"3", L"", L"Soft.Update", L"1.4.12"}));
    EXPECT_EQ(t2, DateToStr(g_now.load())); // midnight: the date alone

    // An empty ID changes nothing.
    const auto before = grid.rows;
    UpdateGatewayStatusRow(grid, L"", L"10.0.0.3", L"WMBUS Daten", L"x", L"y");
    EXPECT_EQ(grid.rows, before);
}

TEST_F(FileModeUnitTest, GridRowUpdateEdgeCases)
{
    using Row = GridCells::Row;
    const UnicodeString now = DateTimeToStr(g_now.load());
    struct Case {
        const char* name;
        std::vector<Row> start;
        std::vector<Row> end;
    };
    const std::vector<Case> cases = {
        {"cut back to the title row: the gateway gets row 1",
         {kTitles},
         {kTitles, {L"AA.BB.CC", L"ip", now, L"1", L"erste Verbindung", L"", L"fw"}}},
        {"a first row with an address is kept",
         {kTitles, {L"", L"x", L"", L"", L"", L"", L""}},
         {kTitles,
          {L"", L"x", L"", L"", L"", L"", L""},
          {L"AA.BB.CC", L"ip", now, L"1", L"erste Verbindung", L"", L"fw"}}},
        {"a count that is not a number counts as 0",
         {kTitles, {L"AA.BB.CC", L"old", L"t", L"x7", L"d", L"s", L"f"}},
         {kTitles, {L"AA.BB.CC", L"ip", now, L"1", L"last", L"state", L"fw"}}},
        {"every matching row is updated",
         {kTitles,
          {L"AA.BB.CC", L"", L"", L"41", L"", L"", L""},
          {L"AA.BB.CD", L"", L"", L"5", L"", L"", L""},
          {L"AA.BB.CC", L"", L"", L"9", L"", L"", L""}},
         {kTitles,
          {L"AA.BB.CC", L"ip", now, L"42", L"last", L"state", L"fw"},
          {L"AA.BB.CD", L"", L"", L"5", L"", L"", L""},
          {L"AA.BB.CC", L"ip", now, L"10", L"last", L"state", L"fw"}}},
        {"the ID must match exactly",
         {kTitles, {L"aa.bb.cc", L"ip0", L"", L"3", L"", L"", L""}},
         {kTitles,
          {L"aa.bb.cc", L"ip0", L"", L"3", L"", L"", L""},
          {L"AA.BB.CC", L"ip", now, L"1", L"erste Verbindung", L"", L"fw"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridCells grid(c.start);
        UpdateGatewayStatusRow(grid, L"AA.BB.CC", L"ip", L"last", L"state", L"fw");
        EXPECT_EQ(grid.rows, c.end);
    }
}
