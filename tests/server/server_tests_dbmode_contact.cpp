// The gateway contact in database mode, end to end against the test MariaDB: telegram rows,
// frame log rows, the setup table around a contact, the firmware request, and the CSV log that
// keeps telegrams the database could not take.
#include "server_tests_dbmode_fixture.h"

#include "GatewaySetupDb.h"

#include <gtest/gtest.h>

using namespace dbmode_test;
using contact_test::kDeriv;
using contact_test::kGw;
using contact_test::kMaster;
using contact_test::kWait;
using contact_test::SendAndAwaitClose;
using contact_test::SetupFrame;
using contact_test::TelegramAt;

namespace {

const UnicodeString kGwText = L"0A.1B.2C";

Bytes WmbusFrame(const std::vector<Bytes>& records, std::optional<uint8_t> announced = {},
                 const sim::GatewayIdBytes& id = kGw)
{
    return sim::GatewayFrame(0x19, id, kDeriv, kMaster,
                             sim::WmbusPayload(announced.value_or(static_cast<uint8_t>(records.size())), records));
}

Row TelegramRow(const wchar_t* time, const wchar_t* id, const UnicodeString& manufacturer, const wchar_t* medium,
                const wchar_t* rssi, const UnicodeString& raw)
{
    return {{L"Rx_Datum", UnicodeString(time)}, {L"ID", UnicodeString(id)},     {L"Hersteller", manufacturer},
            {L"Medium", UnicodeString(medium)}, {L"RSSI", UnicodeString(rssi)}, {L"RAW_Daten", raw}};
}

// The record of a setup frame from the server.
GatewaySetupRecord SetupReplyRecord(const Bytes& reply)
{
    EXPECT_EQ(reply.size(), 1123u);
    if (reply.size() != 1123u) return {};
    return contact_test::RecordInEnvelope(contact_test::DecryptReply(reply));
}

} // namespace

class DbModeContactTest : public DbContactTest {
protected:
    // The gateway's row as the server would have inserted it, then the given request flags.
    void StoreSetupRow(const GatewaySetupRecord& record, const UnicodeString& flags)
    {
        Exec(main_, SetupInsertStatement(kGw, record, "2024-03-09 14:05:07"));
        if (!flags.empty()) Exec(main_, L"UPDATE setup_daten SET " + flags);
    }

    Row GatewayRow() { return SingleRow(SetupRows()); }
};

// ---------------------------------------------------------------------------------------------
// Telegram frames

TEST_F(DbModeContactTest, TelegramFrameInsertsItsRowsAndItsLogRow)
{
    sim::Telegram plain = TelegramAt(59);
    sim::Telegram awkward = TelegramAt(0, 0xABCDEF12); // not BCD
    awkward.Manufacturer = 0x7022;                    // "\AB"
    awkward.Medium = 0x99;
    awkward.Rssi = 0;
    sim::Telegram largest = TelegramAt(7, 0x00000042);
    largest.Medium = 0x80;
    largest.Rssi = 0xFF;
    largest.L = 0xFF;
    largest.Year = 24;
    largest.Month = 3;
    largest.Day = 9;
    largest.Hour = 0;
    largest.Minute = 0;
    largest.Second = 0;
    const std::vector<Bytes> records = {sim::Record(plain), sim::Record(awkward), sim::Record(largest)};
    const Bytes frame = WmbusFrame(records);

    EXPECT_TRUE(Exchange(frame).empty());

    const std::vector<Row> rows = TelegramRows(kGwText);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], TelegramRow(L"2026-12-09 08:11:59", L"12345678", L"ABC", L"7", L"-43", RawHex(records[0])));
    EXPECT_EQ(rows[1], TelegramRow(L"2026-12-09 08:11:00", L"ABCDEF12", L"\\AB", L"-103", L"0", RawHex(records[1])));
    EXPECT_EQ(rows[2], TelegramRow(L"2024-03-09 00:00:00", L"00000042", L"ABC", L"-128", L"-127", RawHex(records[2])));
    EXPECT_EQ(rows[2].at(L"RAW_Daten")->size(), 516u);
    // Readers take the low 8 bits of the medium: nothing of the byte is lost.
    EXPECT_EQ(main_.ExecSQLScalar(L"SELECT Medium & 255 FROM `rx_0A.1B.2C` WHERE ID='ABCDEF12'"), L"153");

    const std::vector<Row> log = LogRows();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(TimeWithin(log[0].at(L"Zeit"), RunStart(), RunEnd())) << Utf8(log[0].at(L"Zeit"));
    Row logRow = log[0];
    logRow.erase(L"Zeit");
    EXPECT_EQ(logRow, (Row{{L"IP", UnicodeString(L"127.0.0.1")},
                           {L"GWID", kGwText},
                           {L"AnzahlByte", std::to_wstring(frame.size())},
                           {L"AES", UnicodeString(L"Y")},
                           {L"DatenType", UnicodeString(L"WMBUS")},
                           {L"AnzahlProt", UnicodeString(L"3")}}));

    EXPECT_EQ(host.Lines(TContactMemo::Log).size(), 3u);
    EXPECT_TRUE(host.Lines(TContactMemo::Time).empty());
    EXPECT_TRUE(host.DatabaseErrors().empty());
    EXPECT_FALSE(std::filesystem::exists(CsvLogPath(kGw)));

    // The next frame finds the table and adds to it.
    EXPECT_TRUE(Exchange(WmbusFrame({sim::Record(plain)})).empty());
    EXPECT_EQ(TelegramRows(kGwText).size(), 4u);
    EXPECT_EQ(LogRows().size(), 2u);
}

// Each contact makes sure of its gateway's table once: a table gone since the last contact is
// made again, and every telegram of the frame gets its row.
TEST_F(DbModeContactTest, ATelegramTableDroppedMeanwhileIsMadeAgain)
{
    const std::vector<Bytes> records = {sim::Record(TelegramAt(59)), sim::Record(TelegramAt(58)),
                                        sim::Record(TelegramAt(57))};
    EXPECT_TRUE(Exchange(WmbusFrame(records)).empty());
    EXPECT_EQ(TelegramRows(kGwText).size(), 3u);
    Exec(main_, L"DROP TABLE `rx_0A.1B.2C`");
    EXPECT_TRUE(Exchange(WmbusFrame(records)).empty());
    EXPECT_EQ(TelegramRows(kGwText).size(), 3u);
    EXPECT_TRUE(host.DatabaseErrors().empty());
    EXPECT_FALSE(std::filesystem::exists(CsvLogPath(kGw)));
}

TEST_F(DbModeContactTest, EveryAnalysedFrameGetsALogRow)
{
    contact_test::MasterKeyBytesT wrongKey = kMaster;
    wrongKey[0] ^= 1;
    const Bytes record = sim::Record(TelegramAt(59));
    struct Case {
        const char* name;
        Bytes frame;
        const wchar_t* aes;
        const wchar_t* type;
        const wchar_t* count;
    };
    const std::vector<Case> cases = {
        {"wrong key", sim::GatewayFrame(0x19, kGw, kDeriv, wrongKey, sim::WmbusPayload(1, {record})), L"N",
         L"UNKNOWN", L"0"},
        {"setup", SetupFrame(contact_test::SampleSetup()), L"Y", L"SETUP", L"0"},
        {"type 0x15", sim::GatewayFrame(0x15, kGw, kDeriv, kMaster, sim::WmbusPayload(1, {record})), L"Y",
         L"UNKNOWN", L"0"},
        {"no records", WmbusFrame({}, 0), L"Y", L"WMBUS", L"0"},
        {"200 records announced", WmbusFrame({record}, 200), L"Y", L"WMBUS", L"127"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Exec(main_, L"DELETE FROM log");
        Exchange(c.frame);
        const std::vector<Row> log = LogRows();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].at(L"GWID"), kGwText);
        EXPECT_EQ(log[0].at(L"AnzahlByte"), std::to_wstring(c.frame.size()));
        EXPECT_EQ(log[0].at(L"AES"), UnicodeString(c.aes));
        EXPECT_EQ(log[0].at(L"DatenType"), UnicodeString(c.type));
        EXPECT_EQ(log[0].at(L"AnzahlProt"), UnicodeString(c.count));
    }
    EXPECT_EQ(TelegramRows(kGwText).size(), 1u); // the one record of the 200 announced
    EXPECT_TRUE(host.DatabaseErrors().empty());
}

TEST_F(DbModeContactTest, ConcurrentGatewaysEachUseTheirOwnConnection)
{
    constexpr int kGateways = 8;
    std::vector<std::function<void(sim::Gateway&)>> scripts;
    for (int g = 0; g < kGateways; ++g) {
        const sim::GatewayIdBytes id = {0x0A, 0x1B, static_cast<uint8_t>(0x30 + g)};
        const Bytes frame =
            WmbusFrame({sim::Record(TelegramAt(1)), sim::Record(TelegramAt(2)), sim::Record(TelegramAt(3))}, {}, id);
        scripts.push_back(SendAndAwaitClose(frame));
    }
    RunGateways(scripts);
    for (int g = 0; g < kGateways; ++g) {
        wchar_t id[16];
        swprintf(id, 16, L"0A.1B.%.2X", 0x30 + g);
        EXPECT_EQ(TelegramRows(id).size(), 3u) << UnicodeToUtf8(id);
    }
    EXPECT_EQ(LogRows().size(), static_cast<std::size_t>(kGateways));
    EXPECT_EQ(host.Acquired(), kGateways);
    EXPECT_TRUE(host.DatabaseErrors().empty());
}

// ---------------------------------------------------------------------------------------------
// The CSV log keeps what the database could not take

TEST_F(DbModeContactTest, UnreachableDatabaseLeavesTheTelegramsInTheCsvLog)
{
    TFDConnection wrong(nullptr);
    dbtest::Configure(wrong, dbtest::Database(), L"not-the-password");
    host.Pool.Configure(wrong);
    StoreSetupRow(contact_test::SampleSetup(), L"SET_ENABLED='Y'");

    const std::vector<Bytes> records = {sim::Record(TelegramAt(59)), sim::Record(TelegramAt(58, 0x00000042))};
    EXPECT_TRUE(Exchange(WmbusFrame(records)).empty()); // the pending send cannot be read

    const std::string csv = ReadFile(CsvLogPath(kGw));
    const std::string hex0 = UnicodeToUtf8(RawHex(records[0]));
    const std::string hex1 = UnicodeToUtf8(RawHex(records[1]));
    EXPECT_NE(csv.find(";" + hex0 + "\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find(";" + hex1 + "\r\n"), std::string::npos) << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2);

    ASSERT_EQ(host.DatabaseErrors().size(), 1u); // the open, shown in the labels
    const UnicodeString cause = host.DatabaseErrors()[0];
    EXPECT_NE(cause.find(L"Access denied"), UnicodeString::npos) << UnicodeToUtf8(cause);
    const Lines time = host.Lines(TContactMemo::Time);
    ASSERT_EQ(time.size(), 1u);
    EXPECT_TRUE(contact_test::StartsWith(time[0], L"DB Error IP=127.0.0.1 ")) << UnicodeToUtf8(time[0]);
    EXPECT_TRUE(contact_test::EndsWith(time[0], L" ID:0A.1B.2C Telegramme im CSV-Log: " + cause))
        << UnicodeToUtf8(time[0]);
    EXPECT_EQ(host.Lines(TContactMemo::Log).size(), 2u);
    EXPECT_TRUE(LogRows().empty());
    EXPECT_EQ(GatewayRow().at(L"SET_ENABLED"), UnicodeString(L"Y"));
}

TEST_F(DbModeContactTest, ARowTheTableRefusesCostsOnlyThatRowItsPlaceInTheTable)
{
    // An unsigned medium column: the second telegram's medium (0x80, stored as -128) is refused,
    // the others fit.
    Exec(main_, L"CREATE TABLE `rx_0A.1B.2C` (`Rx_Datum` DATETIME NULL, `ID` VARCHAR(8) NULL, `Hersteller` CHAR(3) "
                L"NULL, `Medium` TINYINT UNSIGNED NULL, `RSSI` TINYINT(4) NULL, `RAW_Daten` VARCHAR(600) NULL)");
    sim::Telegram refused = TelegramAt(58, 0x00000002);
    refused.Medium = 0x80;
    const std::vector<Bytes> records = {sim::Record(TelegramAt(59, 0x00000001)), sim::Record(refused),
                                        sim::Record(TelegramAt(57, 0x00000003))};
    Exchange(WmbusFrame(records));

    const auto rows = TelegramRows(kGwText);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at(L"ID"), UnicodeString(L"00000001"));
    EXPECT_EQ(rows[1].at(L"ID"), UnicodeString(L"00000003"));
    const std::string csv = ReadFile(CsvLogPath(kGw));
    EXPECT_NE(csv.find(";" + UnicodeToUtf8(RawHex(records[1])) + "\r\n"), std::string::npos) << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1) << csv;
    // The refused row's error is shown once, as a row of its own would show it.
    ASSERT_EQ(host.DatabaseErrors().size(), 1u);
    EXPECT_NE(host.DatabaseErrors()[0].find(L"Medium"), UnicodeString::npos) << UnicodeToUtf8(host.DatabaseErrors()[0]);
}

TEST_F(DbModeContactTest, RefusedInsertLeavesTheTelegramInTheCsvLog)
{
    // A table the rows do not fit: the server refuses every insert.
    Exec(main_, L"CREATE TABLE `rx_0A.1B.2C` (`Rx_Datum` DATETIME NULL, `ID` VARCHAR(8) NULL, `Hersteller` CHAR(3) "
                L"NULL, `Medium` TINYINT(4) NULL, `RSSI` TINYINT(4) NULL, `RAW_Daten` VARCHAR(4) NULL)");
    const std::vector<Bytes> records = {sim::Record(TelegramAt(59)), sim::Record(TelegramAt(58))};
    Exchange(WmbusFrame(records));

    const std::string csv = ReadFile(CsvLogPath(kGw));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2) << csv;
    EXPECT_NE(csv.find(";" + UnicodeToUtf8(RawHex(records[1])) + "\r\n"), std::string::npos) << csv;
    EXPECT_TRUE(TelegramRows(kGwText).empty());
    ASSERT_EQ(host.DatabaseErrors().size(), 2u);
    EXPECT_NE(host.DatabaseErrors()[0].find(L"RAW_Daten"), UnicodeString::npos)
        << UnicodeToUtf8(host.DatabaseErrors()[0]);
    const Lines time = host.Lines(TContactMemo::Time);
    ASSERT_EQ(time.size(), 1u); // one line for the contact, naming the cause
    EXPECT_TRUE(contact_test::EndsWith(time[0], L"Telegramme im CSV-Log: " + host.DatabaseErrors()[0]))
        << UnicodeToUtf8(time[0]);
    // The frame itself is logged as usual.
    ASSERT_EQ(LogRows().size(), 1u);
    EXPECT_EQ(LogRows()[0].at(L"AnzahlProt"), UnicodeString(L"2"));
}

TEST_F(DbModeContactTest, LockedCsvLogOfTheFallbackIsReportedOncePerFrame)
{
    TFDConnection wrong(nullptr);
    dbtest::Configure(wrong, dbtest::Database(), L"not-the-password");
    host.Pool.Configure(wrong);
    const auto csv = CsvLogPath(kGw);
    std::filesystem::create_directories(csv.parent_path());
    HANDLE locked =
        CreateFileW(csv.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    std::vector<Bytes> records;
    for (uint8_t t = 0; t < 6; ++t) records.push_back(sim::Record(TelegramAt(t, 0x40000000u + t)));
    Exchange(WmbusFrame(records));
    CloseHandle(locked);

    using Report = std::pair<UnicodeString, int>;
    EXPECT_EQ(host.Failures, (std::vector<Report>{{csv.wstring(), 6}}));
    EXPECT_EQ(host.Lines(TContactMemo::Log).size(), 6u);
}

// ---------------------------------------------------------------------------------------------
// The setup table around a contact

TEST_F(DbModeContactTest, TelegramFrameIsAnsweredWithThePendingRequest)
{
    GatewaySetupRecord stored = contact_test::SampleSetup();
    stored.SetServerName("it's\\stored");
    struct Case {
        const char* name;
        const wchar_t* flags;
        std::size_t replySize;
    };
    const std::vector<Case> cases = {
        {"send", L"SET_ENABLED='Y'", 1123},
        {"fetch before send", L"SET_ENABLED='Y', GET_ENABLED='Y'", 19},
        {"nothing", L"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Exec(main_, L"DELETE FROM setup_daten");
        StoreSetupRow(stored, c.flags);
        const Row before = GatewayRow();
        const Bytes reply = Exchange(WmbusFrame({sim::Record(TelegramAt(59))}));
        EXPECT_EQ(reply.size(), c.replySize);
        if (c.replySize == 1123) {
            const GatewaySetupRecord sent = SetupReplyRecord(reply);
            EXPECT_TRUE(SetupComparedFieldsEqual(sent, stored));
            EXPECT_EQ(sent.MasterKey, stored.MasterKey);
            EXPECT_EQ(sent.SetTime.Year, 2024);
        }
        // Answering changes nothing in the row: it waits for the gateway's report.
        EXPECT_EQ(GatewayRow(), before);
    }
}

TEST_F(DbModeContactTest, ReportedSetupIsComparedStoredAndCleared)
{
    const GatewaySetupRecord reported = contact_test::SampleSetup();
    GatewaySetupRecord differs = reported;
    differs.SetServerName("other.example");

    // A new gateway: its report becomes its row.
    EXPECT_TRUE(Exchange(SetupFrame(reported)).empty());
    Row row = GatewayRow();
    EXPECT_EQ(row.at(L"NW_SRV"), UnicodeString(L"gw.example.net"));
    EXPECT_EQ(row.at(L"SOFTWARE"), UnicodeString(L"1.4.12"));
    EXPECT_EQ(row.at(L"SET_ENABLED"), UnicodeString(L"N"));
    EXPECT_EQ(row.at(L"MEMOTEXT"), UnicodeString(L""));
    EXPECT_EQ(host.Rows().back(),
              (contact_test::StatusRow{kGwText, L"127.0.0.1", L"SETUP Daten", L"SETUP ok", L"1.4.12"}));

    // A different setup waits to be sent: the report is not stored, the send stays pending and
    // the gateway gets the waiting setup.
    Exec(main_, L"DELETE FROM setup_daten");
    StoreSetupRow(differs, L"SET_ENABLED='Y'");
    const Row waiting = GatewayRow();
    const Bytes reply = Exchange(SetupFrame(reported));
    EXPECT_EQ(GatewayRow(), waiting);
    EXPECT_EQ(host.Rows().back().Status, L"SETUP empfangen");
    EXPECT_TRUE(SetupComparedFieldsEqual(SetupReplyRecord(reply), differs));

    // The gateway now carries it: stored, the send cleared.
    EXPECT_TRUE(Exchange(SetupFrame(differs)).empty());
    row = GatewayRow();
    EXPECT_EQ(row.at(L"SET_ENABLED"), UnicodeString(L"N"));
    EXPECT_TRUE(TimeWithin(row.at(L"SET_TIME"), RunStart(), RunEnd()));
    EXPECT_EQ(host.Rows().back().Status, L"SETUP ok");

    // A firmware update and a send wait, and the report matches: stored and the send cleared, but
    // the firmware request stays until a transfer completes.
    Exec(main_, L"UPDATE setup_daten SET SOFTUPDATE='Y', SET_ENABLED='Y'");
    Exchange(SetupFrame(differs));
    row = GatewayRow();
    EXPECT_EQ(row.at(L"SOFTUPDATE"), UnicodeString(L"Y"));
    EXPECT_EQ(row.at(L"SET_ENABLED"), UnicodeString(L"N"));
    EXPECT_TRUE(host.DatabaseErrors().empty());
}

// A fetch outranks a send in this store: the report that answers the fetch must not be answered
// with another request, or the gateway is asked for ever and the queued setup never goes out.
TEST_F(DbModeContactTest, ReportThatAnswersAFetchGetsTheQueuedSetupInsteadOfAnotherRequest)
{
    const GatewaySetupRecord reported = contact_test::SampleSetup();
    GatewaySetupRecord queued = reported;
    queued.SetServerName("queued.example.net");
    StoreSetupRow(queued, L"SET_ENABLED='Y', GET_ENABLED='Y'");
    Row waiting = GatewayRow();

    const Bytes reply = Exchange(SetupFrame(reported));
    ASSERT_EQ(reply.size(), 1123u) << "the queued setup, not a setup request";
    EXPECT_TRUE(SetupComparedFieldsEqual(SetupReplyRecord(reply), queued));
    EXPECT_EQ(host.Rows().back().Status, L"SETUP empfangen");
    Row row = GatewayRow();
    EXPECT_EQ(row.at(L"GET_ENABLED"), UnicodeString(L"N"));
    // Apart from the answered fetch the row holds the queued setup and its send request.
    for (Row* r : {&row, &waiting}) {
        r->erase(L"GET_ENABLED");
        r->erase(L"GET_TIME");
    }
    EXPECT_EQ(row, waiting);

    // The gateway carries it now: confirmed, nothing left to send.
    EXPECT_TRUE(Exchange(SetupFrame(queued)).empty());
    EXPECT_EQ(GatewayRow().at(L"SET_ENABLED"), UnicodeString(L"N"));
    EXPECT_TRUE(host.DatabaseErrors().empty());
}

// An update whose image cannot be sent is reported, and the row's next request goes out.
TEST_F(DbModeContactTest, UnusableFirmwareFileLetsTheNextRequestThrough)
{
    WriteFirmwareImage({});
    EXPECT_FALSE(host.FirmwareFile.CheckFirmwareFile()) << "an empty image";
    const GatewaySetupRecord reported = contact_test::SampleSetup();
    GatewaySetupRecord queued = reported;
    queued.SetServerName("queued.example.net");
    struct Case {
        const char* name;
        const wchar_t* flags;
        bool setupFrame;
        std::size_t replySize;
        const wchar_t* fetchAfter;
    };
    const std::vector<Case> cases = {
        {"telegrams, fetch before send", L"SOFTUPDATE='Y', GET_ENABLED='Y', SET_ENABLED='Y'", false, 19, L"Y"},
        {"telegrams, send", L"SOFTUPDATE='Y', SET_ENABLED='Y'", false, 1123, L"N"},
        {"telegrams, the update alone", L"SOFTUPDATE='Y'", false, 0, L"N"},
        {"differing report answers the fetch", L"SOFTUPDATE='Y', GET_ENABLED='Y', SET_ENABLED='Y'", true, 1123, L"N"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.Reset();
        Exec(main_, L"DELETE FROM setup_daten");
        StoreSetupRow(queued, c.flags);
        const Row before = GatewayRow();
        const Bytes reply =
            Exchange(c.setupFrame ? SetupFrame(reported) : WmbusFrame({sim::Record(TelegramAt(59))}));
        const Lines ver = host.Lines(TContactMemo::VerLog);
        EXPECT_NE(std::find(ver.begin(), ver.end(), L"Kein gueltiges Firmware File im Verzeichnis gefunden!"),
                  ver.end());
        EXPECT_EQ(reply.size(), c.replySize);
        if (c.replySize == 1123) {
            EXPECT_TRUE(SetupComparedFieldsEqual(SetupReplyRecord(reply), queued));
        }
        const Row row = GatewayRow();
        EXPECT_EQ(row.at(L"SOFTUPDATE"), UnicodeString(L"Y"));
        EXPECT_EQ(row.at(L"SET_ENABLED"), before.at(L"SET_ENABLED")) << "sent, not yet confirmed";
        EXPECT_EQ(row.at(L"GET_ENABLED"), UnicodeString(c.fetchAfter));
        EXPECT_EQ(row.at(L"NW_SRV"), UnicodeString(L"queued.example.net"));
    }
    EXPECT_TRUE(host.DatabaseErrors().empty());
}

TEST_F(DbModeContactTest, CompletedFirmwareTransferClearsTheRequest)
{
    Bytes image(300);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7);
    WriteFirmwareImage(image);
    ASSERT_TRUE(host.FirmwareFile.CheckFirmwareFile());
    StoreSetupRow(contact_test::SampleSetup(), L"SOFTUPDATE='Y', SET_ENABLED='Y'");
    const Bytes frame = WmbusFrame({sim::Record(TelegramAt(59))});

    // The gateway goes silent after the first packet: the request stays.
    RunGateways({[&](sim::Gateway& gw) {
        gw.Send(frame);
        EXPECT_EQ(gw.Receive(275, kWait).size(), 275u);
        EXPECT_TRUE(gw.WaitClosed(kWait));
    }});
    EXPECT_EQ(GatewayRow().at(L"SOFTUPDATE"), UnicodeString(L"Y"));

    // Both packets acknowledged: cleared, and said so.
    host.Reset();
    RunGateways({[&](sim::Gateway& gw) {
        gw.Send(frame);
        EXPECT_EQ(gw.Receive(275, kWait).size(), 275u);
        gw.Send({0x06});
        EXPECT_EQ(gw.Receive(67, kWait).size(), 67u);
        gw.Send({0x06});
        EXPECT_TRUE(gw.WaitClosed(kWait));
    }});
    const Row row = GatewayRow();
    EXPECT_EQ(row.at(L"SOFTUPDATE"), UnicodeString(L"N"));
    EXPECT_EQ(row.at(L"SET_ENABLED"), UnicodeString(L"Y")); // untouched
    const Lines ver = host.Lines(TContactMemo::VerLog);
    EXPECT_NE(std::find(ver.begin(), ver.end(), L"Software Update fertig gesendet."), ver.end());
}
