// File mode end to end: the real contact behind the real TCP server writes the daily CSV logs,
// answers and settles the actions of the gateway setup files, keeps the status grid and hands
// the connection memo to the connection log before its line limit clears it.
#include "IniFiles.h"
#include "StringList.h"
#include "server_tests_filemode_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace filemode_test;

namespace {
const sim::GatewayIdBytes kOtherGw = {0x0A, 0x1B, 0x2D};

Bytes WmbusFrame(const std::vector<sim::Telegram>& telegrams, const sim::GatewayIdBytes& id = kGw,
                 const sim::DerivationBytes& derivation = kDeriv)
{
    std::vector<Bytes> records;
    for (const auto& t : telegrams) records.push_back(sim::Record(t));
    return sim::GatewayFrame(0x19, id, derivation, kMaster,
                             sim::WmbusPayload(static_cast<uint8_t>(records.size()), records));
}

sim::Telegram TelegramAt(uint8_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute, uint8_t second)
{
    sim::Telegram t;
    t.Year = year;
    t.Month = month;
    t.Day = day;
    t.Hour = hour;
    t.Minute = minute;
    t.Second = second;
    return t;
}

// The CSV line of a telegram, built from the simulator's record: the locale's short date, for a
// time of day other than 00:00:00 a blank and the long time, ";", the telegram in hexadecimal.
std::string CsvLine(const sim::Telegram& t)
{
    UnicodeString when = DateToStr(EncodeDate(2000 + t.Year, t.Month, t.Day));
    if (t.Hour != 0 || t.Minute != 0 || t.Second != 0)
        when += L" " + TimeToStr(EncodeTime(t.Hour, t.Minute, t.Second, 0));
    return UnicodeToAnsi(when) + ";" + UnicodeToAnsi(RawHex(sim::Record(t))) + "\r\n";
}

std::filesystem::path CsvPath(const std::filesystem::path& documents, const char* month, const char* file)
{
    return documents / L"VELMORA" / L"W_MBUS_SRV_LOG" / L"2022" / month / file;
}

// One frame from the server: the length field, then the rest.
Bytes ReceiveFrame(sim::Gateway& gw)
{
    Bytes frame = gw.Receive(2, kWait);
    if (frame.size() < 2) return frame;
    const std::size_t length = (frame[0] << 8) | frame[1];
    const Bytes rest = gw.Receive(length - 2, kWait);
    frame.insert(frame.end(), rest.begin(), rest.end());
    return frame;
}

UnicodeString IniValue(const std::filesystem::path& file, const wchar_t* section, const wchar_t* key)
{
    return TMemIniFile(file.wstring()).ReadString(section, key, L"<missing>");
}

// A queued setup as the setup dialog writes it, and the record it stands for.
const char* const kQueuedSetup = "[SENDEN]\r\nENABLED=1\r\n"
                                 "[NETZWERK]\r\nAORT=Keller\r\nSRV_DNS=gw.example.net\r\nPORT=5000\r\nDHCP=1\r\n"
                                 "FEST_IP=192.168.1.10\r\nGW_IP=192.168.1.1\r\nSUB_IP=255.255.255.0\r\n"
                                 "DNS_IP=8.8.8.8\r\nNTP_IP=82.96.64.2\r\nSOFORT=0\r\nPROH=1\r\nPROTAG=0\r\n"
                                 "PROMONAT=0\r\nMASTERKEY=303132333435363738393A3B3C3D3E3F\r\n"
                                 "[WM-BUS]\r\nMODET=1\r\nMODES=0\r\nFILTER_HERSTELLER=0\r\nFILTER_MEDIUM=0\r\n"
                                 "FILTER_IDS=1\r\nFILTER_HS0=ABC\r\nFILTER_HS1=\r\nFILTER_HS2=\r\nFILTER_HS3=\r\n"
                                 "FILTER_MC0=7\r\nFILTER_MC1=8\r\nFILTER_MC2=0\r\nFILTER_MC3=0\r\n"
                                 "[WM-BUS_IDS]\r\nID0=12345670\r\nID1=12345671\r\nID2=12345672\r\n"
                                 "ID3=12345673\r\nID4=12345674\r\n";

// SampleSetup of the contact tests is this setup as a gateway reports it (with its firmware).
GatewaySetupRecord QueuedRecord()
{
    GatewaySetupRecord r = SampleSetup();
    r.FirmwareVersion = {};
    return r;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Daily CSV logs

TEST_F(FileModeTest, TelegramsLandInTheDaysCsvLogByteForByte)
{
    sim::Telegram midnight = TelegramAt(24, 3, 9, 0, 0, 0);
    midnight.L = 0x4A;
    midnight.Rssi = 0x5A;
    sim::Telegram largest = TelegramAt(26, 12, 9, 14, 5, 7);
    largest.L = 255;
    const sim::Telegram small = TelegramAt(22, 6, 4, 23, 59, 59);

    // Late on 5 June 2022 by the server's clock; the receive times do not choose the file.
    g_now = EncodeDateTime(2022, 6, 5, 23, 59, 58, 0);
    EXPECT_TRUE(Exchange(WmbusFrame({midnight, largest})).empty());
    EXPECT_TRUE(Exchange(WmbusFrame({small})).empty());

    const auto day = CsvPath(Documents(), "6", "5_6_2022_LOG_0A_1B_2C.csv");
    const std::string expected = CsvLine(midnight) + CsvLine(largest) + CsvLine(small);
    EXPECT_EQ(ReadFile(day), expected);
    // The midnight line holds the date alone; the hexadecimal text starts at the 0x68.
    EXPECT_EQ(CsvLine(midnight).substr(0, CsvLine(midnight).find(';')),
              UnicodeToAnsi(DateToStr(EncodeDate(2024, 3, 9))));
    EXPECT_EQ(CsvLine(midnight).size() - CsvLine(midnight).find(';') - 3, 154u);
    EXPECT_EQ(CsvLine(midnight).substr(CsvLine(midnight).find(';') + 1, 4), "684A");
    EXPECT_EQ(CsvLine(largest).size() - CsvLine(largest).find(';') - 3, 516u);
    // The label names the day's log (set once per frame: the label only ever shows the last).
    ASSERT_FALSE(host.ShownPaths.empty());
    EXPECT_EQ(host.ShownPaths, std::vector<UnicodeString>(host.ShownPaths.size(), day.wstring()));
    EXPECT_TRUE(host.Failures.empty());

    // A new day starts a new file, a new month a new folder.
    g_now = EncodeDateTime(2022, 6, 6, 0, 0, 1, 0);
    Exchange(WmbusFrame({small}));
    g_now = EncodeDateTime(2022, 7, 1, 8, 0, 0, 0);
    Exchange(WmbusFrame({small}, kOtherGw));
    EXPECT_EQ(ReadFile(day), expected);
    EXPECT_EQ(ReadFile(CsvPath(Documents(), "6", "6_6_2022_LOG_0A_1B_2C.csv")), CsvLine(small));
    EXPECT_EQ(ReadFile(CsvPath(Documents(), "7", "1_7_2022_LOG_0A_1B_2D.csv")), CsvLine(small));
}

TEST_F(FileModeTest, ConcurrentGatewaysWritingOneDaysFileNeverInterleave)
{
    constexpr int kConnections = kSimultaneousGateways;
    constexpr int kRecords = 12;
    std::vector<std::string> expected;
    std::vector<std::function<void(sim::Gateway&)>> scripts;
    for (int c = 0; c < kConnections; ++c) {
        std::vector<sim::Telegram> telegrams;
        for (int r = 0; r < kRecords; ++r) {
            sim::Telegram t = TelegramAt(26, 12, 9, 8, static_cast<uint8_t>(c), static_cast<uint8_t>(r));
            t.DeviceId = 0x10000000u + static_cast<uint32_t>(c * 256 + r);
            t.L = static_cast<uint8_t>(20 + 10 * (r % 4));
            telegrams.push_back(t);
            expected.push_back(CsvLine(t));
        }
        const Bytes frame = WmbusFrame(telegrams, kGw, {0, 0, static_cast<uint8_t>(c), 0x55});
        scripts.push_back(SendAndAwaitClose(frame));
    }
    RunGateways(scripts);

    const std::string text = ReadFile(CsvPath(Documents(), "6", "5_6_2022_LOG_0A_1B_2C.csv"));
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = text.find("\r\n", from);
        ASSERT_NE(end, std::string::npos) << "unterminated line at " << from;
        lines.push_back(text.substr(from, end + 2 - from));
        from = end + 2;
    }
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(host.Failures.empty());
}

TEST_F(FileModeTest, LogThatStaysLockedIsReportedOncePerFrameNamingItsPathAndTheLostLines)
{
    const auto day = CsvPath(Documents(), "6", "5_6_2022_LOG_0A_1B_2C.csv");
    std::filesystem::create_directories(day.parent_path());
    HANDLE locked =
        CreateFileW(day.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    const sim::Telegram first = TelegramAt(26, 12, 9, 8, 0, 1);
    const sim::Telegram second = TelegramAt(26, 12, 9, 8, 0, 2);
    std::vector<sim::Telegram> ten;
    for (uint8_t s = 0; s < 10; ++s) ten.push_back(TelegramAt(26, 12, 9, 8, 1, s));
    Exchange(WmbusFrame({first, second}));
    Exchange(WmbusFrame(ten));
    CloseHandle(locked);
    using Report = std::pair<UnicodeString, int>;
    EXPECT_EQ(host.Failures, (std::vector<Report>{{day.wstring(), 2}, {day.wstring(), 10}}));
    EXPECT_EQ(host.Lines(TContactMemo::Log).size(), 12u);

    host.Failures.clear();
    Exchange(WmbusFrame({second}));
    EXPECT_EQ(ReadFile(day), CsvLine(second));
    EXPECT_TRUE(host.Failures.empty());
}

// ---------------------------------------------------------------------------------------------
// Gateway setup files

TEST_F(FileModeTest, TelegramContactAnswersTheFilesActionFirmwareThenSendThenFetch)
{
    WriteFirmwareImage(Bytes(600, 0x5A));
    host.FirmwareFile.CheckFirmwareFile();
    struct Case {
        const char* file;  // nullptr: no file
        uint8_t replyType; // 0: no reply
    };
    const std::vector<Case> cases = {
        {"[UPDATE]\r\nENABLED=1\r\n[SENDEN]\r\nENABLED=1\r\n[GET]\r\nENABLED=1\r\n", 0x23},
        {"[SENDEN]\r\nENABLED=1\r\n[GET]\r\nENABLED=1\r\n", 0x14},
        {"[GET]\r\nENABLED=1\r\n", 0x1E},
        {"[UPDATE]\r\nENABLED=0\r\n[SENDEN]\r\nENABLED=0\r\n[GET]\r\nENABLED=0\r\n", 0},
        {nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no file");
        std::filesystem::remove(SetupFile());
        if (c.file) WriteSetupFile(c.file);
        const std::string before = c.file ? ReadFile(SetupFile()) : "";
        Bytes first;
        RunGateway([&](sim::Gateway& gw) {
            gw.Send(WmbusFrame({TelegramAt(26, 12, 9, 8, 0, 1)}));
            first = ReceiveFrame(gw);
            EXPECT_TRUE(gw.WaitClosed(kWait)); // no acknowledgement of a firmware packet
        });
        if (c.replyType == 0) {
            EXPECT_TRUE(first.empty());
        } else {
            ASSERT_GE(first.size(), 3u);
            EXPECT_EQ(first[2], c.replyType);
        }
        if (c.replyType == 0x1E) {
            EXPECT_EQ(first.size(), 19u);
        }
        // Answering changes nothing in the file; without a file none is made.
        EXPECT_EQ(std::filesystem::exists(SetupFile()), c.file != nullptr);
        if (c.file) {
            EXPECT_EQ(ReadFile(SetupFile()), before);
        }
    }
}

TEST_F(FileModeTest, QueuedSetupIsSentThenClearedWhenTheGatewayReportsItBack)
{
    g_now = EncodeDateTime(2022, 6, 5, 14, 30, 15, 0);
    WriteSetupFile(kQueuedSetup);

    const std::optional<GatewaySetupRecord> sent = SetupInReply(Exchange(WmbusFrame({TelegramAt(26, 12, 9, 8, 0, 1)})));
    ASSERT_TRUE(sent);
    EXPECT_EQ(*sent, QueuedRecord());

    // The gateway took it and reports it with its firmware version: nothing to answer.
    EXPECT_TRUE(Exchange(SetupFrame(SampleSetup())).empty());
    EXPECT_EQ(IniValue(SetupFile(), L"SENDEN", L"ENABLED"), L"0");
    EXPECT_EQ(IniValue(SetupFile(), L"SENDEN", L"SENDTIME"), DateTimeToStr(g_now.load()));
    EXPECT_EQ(IniValue(SetupFile(), L"GET", L"GETTIME"), DateTimeToStr(g_now.load()));
    EXPECT_EQ(IniValue(SetupFile(), L"SOFTWARE", L"V3"), L"12");
    EXPECT_EQ(IniValue(SetupFile(), L"NETZWERK", L"AORT"), L"Keller");
    EXPECT_EQ(host.Grid.Rows()[1][5], L"SETUP ok");

    EXPECT_TRUE(Exchange(WmbusFrame({TelegramAt(26, 12, 9, 8, 0, 2)})).empty());
}

TEST_F(FileModeTest, DifferingReportStoresNothingAndGetsTheQueuedSetupOrTheFirmware)
{
    WriteFirmwareImage(Bytes(300, 0x11));
    host.FirmwareFile.CheckFirmwareFile();
    GatewaySetupRecord reported = SampleSetup();
    reported.SetServerName("old.example.net");

    struct Case {
        const char* name;
        std::string file;
        uint8_t replyType;
    };
    const std::vector<Case> cases = {
        {"send pending", kQueuedSetup, 0x14},
        {"send pending behind a firmware update", std::string(kQueuedSetup) + "[UPDATE]\r\nENABLED=1\r\n", 0x23},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.Grid = GridModel();
        WriteSetupFile(c.file);
        const std::string before = ReadFile(SetupFile());
        Bytes first;
        RunGateway([&](sim::Gateway& gw) {
            gw.Send(SetupFrame(reported));
            first = ReceiveFrame(gw);
            EXPECT_TRUE(gw.WaitClosed(kWait));
        });
        EXPECT_EQ(ReadFile(SetupFile()), before);
        ASSERT_GE(first.size(), 3u);
        EXPECT_EQ(first[2], c.replyType);
        if (c.replyType == 0x14) {
            const auto queued = SetupInReply(first);
            ASSERT_TRUE(queued);
            EXPECT_EQ(*queued, QueuedRecord());
        }
        EXPECT_EQ(host.Grid.Rows()[1][6], L"1.4.12");
    }
    // The status of the report shows once the row exists.
    WriteSetupFile(kQueuedSetup);
    Exchange(SetupFrame(reported));
    EXPECT_EQ(host.Grid.Rows()[1][5], L"SETUP empfangen");
}

// An update whose image cannot be sent is reported, and whatever else waits goes out instead of
// waiting behind it.
TEST_F(FileModeTest, UnusableFirmwareFileLetsTheNextPendingActionThrough)
{
    WriteFirmwareImage({});
    EXPECT_FALSE(host.FirmwareFile.CheckFirmwareFile()) << "an empty image";
    GatewaySetupRecord reported = SampleSetup();
    reported.SetServerName("old.example.net");
    const std::string update = "[UPDATE]\r\nENABLED=1\r\n";
    struct Case {
        const char* name;
        std::string file;
        bool setupFrame;
        uint8_t replyType; // 0: no reply
    };
    const std::vector<Case> cases = {
        {"telegrams, send and fetch behind the update", kQueuedSetup + update + "[GET]\r\nENABLED=1\r\n", false, 0x14},
        {"telegrams, fetch behind the update", update + "[GET]\r\nENABLED=1\r\n", false, 0x1E},
        {"telegrams, the update alone", update, false, 0},
        {"differing report, send behind the update", kQueuedSetup + update, true, 0x14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.Reset();
        WriteSetupFile(c.file);
        const std::string before = ReadFile(SetupFile());
        Bytes first;
        RunGateway([&](sim::Gateway& gw) {
            gw.Send(c.setupFrame ? SetupFrame(reported) : WmbusFrame({TelegramAt(26, 12, 9, 8, 0, 1)}));
            first = ReceiveFrame(gw);
            EXPECT_TRUE(gw.WaitClosed(kWait));
        });
        const Lines ver = host.Lines(TContactMemo::VerLog);
        EXPECT_NE(std::find(ver.begin(), ver.end(), L"Kein gueltiges Firmware File im Verzeichnis gefunden!"),
                  ver.end());
        if (c.replyType == 0) {
            EXPECT_TRUE(first.empty());
        } else {
            ASSERT_GE(first.size(), 3u);
            EXPECT_EQ(first[2], c.replyType);
        }
        if (c.replyType == 0x14) {
            const auto queued = SetupInReply(first);
            ASSERT_TRUE(queued);
            EXPECT_EQ(*queued, QueuedRecord());
        }
        EXPECT_EQ(ReadFile(SetupFile()), before) << "the requests stay until they are answered";
    }
}

TEST_F(FileModeTest, FirmwareFlagIsClearedOnlyAfterTheLastAck)
{
    WriteFirmwareImage(Bytes(600, 0x33)); // three packets
    host.FirmwareFile.CheckFirmwareFile();
    WriteSetupFile("[UPDATE]\r\nENABLED=1\r\n[NETZWERK]\r\nAORT=Keller\r\n");
    const Bytes telegrams = WmbusFrame({TelegramAt(26, 12, 9, 8, 0, 1)});

    // Two acknowledgements, then the gateway goes away before the last one.
    RunGateway([&](sim::Gateway& gw) {
        gw.Send(telegrams);
        for (int packet = 1; packet <= 3; ++packet) {
            const Bytes frame = ReceiveFrame(gw);
            ASSERT_GE(frame.size(), 3u);
            EXPECT_EQ(frame[2], 0x23);
            if (packet < 3) gw.Send({0x06});
        }
    });
    EXPECT_EQ(IniValue(SetupFile(), L"UPDATE", L"ENABLED"), L"1");

    RunGateway([&](sim::Gateway& gw) {
        gw.Send(telegrams);
        for (int packet = 1; packet <= 3; ++packet) {
            ReceiveFrame(gw);
            gw.Send({0x06});
        }
        EXPECT_TRUE(gw.WaitClosed(kWait));
    });
    EXPECT_EQ(IniValue(SetupFile(), L"UPDATE", L"ENABLED"), L"0");
    EXPECT_EQ(IniValue(SetupFile(), L"NETZWERK", L"AORT"), L"Keller");

    // Each contact: its telegram frame and three packets sent.
    const auto& row = host.Grid.Rows()[1];
    EXPECT_EQ(row[3], L"8");
    EXPECT_EQ(row[4], L"Soft.Update 3/3");
    EXPECT_EQ(row[5], L"Soft.Update");
}

TEST_F(FileModeTest, RadioIdsOfTheFileGoOutByPosition)
{
    std::string many = "[SENDEN]\r\nENABLED=1\r\n[WM-BUS_IDS]\r\n";
    for (int k = 0; k < 251; ++k) many += "ID" + std::to_string(k) + "=" + std::to_string(20000000 + k) + "\r\n";
    struct Case {
        std::string file;
        std::size_t count;
        uint32_t first;
        uint32_t last;
    };
    const std::vector<Case> cases = {
        {"[SENDEN]\r\nENABLED=1\r\n[WM-BUS_IDS]\r\nID7=12345678\r\n", 1, 0x12345678, 0x12345678},
        {"[SENDEN]\r\nENABLED=1\r\n[WM-BUS_IDS]\r\nID3=1234ABCD\r\nID9=00000042\r\n", 2, 0x1234ABCD, 0x42},
        {many, 250, 0x20000000, 0x20000249},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        WriteSetupFile(c.file);
        const auto sent = SetupInReply(Exchange(WmbusFrame({TelegramAt(26, 12, 9, 8, 0, 1)})));
        ASSERT_TRUE(sent);
        std::size_t count = 0;
        while (count < FilterIdCount && sent->FilterIds[count] != 0) ++count;
        EXPECT_EQ(count, c.count);
        EXPECT_TRUE(std::all_of(sent->FilterIds.begin() + static_cast<std::ptrdiff_t>(count), sent->FilterIds.end(),
                                [](const LittleEndian32& id) { return uint32_t{id} == 0; }));
        EXPECT_EQ(uint32_t{sent->FilterIds[0]}, c.first);
        EXPECT_EQ(uint32_t{sent->FilterIds[count - 1]}, c.last);
    }
}

// ---------------------------------------------------------------------------------------------
// Status grid

TEST_F(FileModeTest, StatusGridKeepsOneRowPerGatewayInOrderOfFirstContact)
{
    const UnicodeString time = DateTimeToStr(g_now.load());
    using Row = GridModel::Row;

    // A setup frame first: a new row shows the firmware, not the frame's texts.
    Exchange(SetupFrame(SampleSetup()));
    EXPECT_EQ(host.Grid.Rows()[1], (Row{L"0A.1B.2C", L"127.0.0.1", time, L"1", L"erste Verbindung", L"", L"1.4.12"}));

    Exchange(WmbusFrame({TelegramAt(26, 12, 9, 8, 0, 1)}));
    EXPECT_EQ(host.Grid.Rows()[1], (Row{L"0A.1B.2C", L"127.0.0.1", time, L"2", L"WMBUS Daten", L"", L"1.4.12"}));

    Exchange(WmbusFrame({TelegramAt(26, 12, 9, 8, 0, 1)}, kOtherGw));
    ASSERT_EQ(host.Grid.RowCount(), 3);
    EXPECT_EQ(host.Grid.Rows()[2], (Row{L"0A.1B.2D", L"127.0.0.1", time, L"1", L"erste Verbindung", L"", L""}));

    // A frame that fails decryption touches nothing.
    const auto before = host.Grid.Rows();
    MasterKeyBytesT wrongKey = kMaster;
    wrongKey[0] ^= 0x01;
    Exchange(sim::GatewayFrame(0x19, kGw, kDeriv, wrongKey, sim::WmbusPayload(1, {sim::Record({})})));
    EXPECT_EQ(host.Grid.Rows(), before);

    // The next report's status and firmware replace the shown ones; the title row stays.
    GatewaySetupRecord newer = SampleSetup();
    newer.FirmwareVersion = {2, 0, 1};
    Exchange(SetupFrame(newer));
    EXPECT_EQ(host.Grid.Rows()[1], (Row{L"0A.1B.2C", L"127.0.0.1", time, L"3", L"SETUP Daten", L"SETUP ok", L"2.0.1"}));
    EXPECT_EQ(host.Grid.Rows()[0][0], L"GWID:");
}

// ---------------------------------------------------------------------------------------------
// Connection log

TEST_F(FileModeTest, LineLimitSavesTheConnectionMemoToTheLogFileFirst)
{
    const auto logFile = Documents() / L"VELMORA" / L"W_MBUS_SRV_GWSETUPS" / L"VerbindungsLog.txt";
    const Bytes frame = WmbusFrame({TelegramAt(26, 12, 9, 8, 0, 1)});

    // Option off: the memo is cleared and nothing is written.
    host.Fill(TContactMemo::VerLog, 201);
    Exchange(frame);
    EXPECT_EQ(host.Lines(TContactMemo::VerLog).size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(logFile));

    // Exactly 200 lines: the rule does not apply.
    host.WriteConnectionLog = true;
    host.Fill(TContactMemo::VerLog, 200);
    Exchange(frame);
    EXPECT_EQ(host.Lines(TContactMemo::VerLog).size(), 201u);
    EXPECT_FALSE(std::filesystem::exists(logFile));

    // The log cannot be written: the memo keeps its lines, the new one is added.
    host.FailConnectionLog = true;
    Exchange(frame);
    EXPECT_EQ(host.Lines(TContactMemo::VerLog).size(), 202u);
    EXPECT_FALSE(std::filesystem::exists(logFile));

    // Then every line reaches the file before the memo is cleared.
    host.FailConnectionLog = false;
    const Lines memo = host.Lines(TContactMemo::VerLog);
    Exchange(frame);
    std::string written;
    for (const UnicodeString& line : memo) written += UnicodeToAnsi(line) + "\r\n";
    EXPECT_EQ(ReadFile(logFile), written);
    EXPECT_EQ(host.Lines(TContactMemo::VerLog).size(), 1u);
}
