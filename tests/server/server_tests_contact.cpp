// The gateway contact end to end: the real worker behind the real TCP server on loopback, a
// fake main window, and a gateway simulator with its own AES (CNG) and key derivation.
#include "server_tests_contact_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace contact_test;
using sim::Bytes;

namespace {
const sim::GatewayIdBytes kOtherGw = {0x0A, 0x1B, 0x2D};

std::vector<Bytes> Records(std::initializer_list<sim::Telegram> telegrams)
{
    std::vector<Bytes> out;
    for (const auto& t : telegrams) out.push_back(sim::Record(t));
    return out;
}

Bytes WmbusFrame(const Bytes& payload, std::optional<uint16_t> lengthField = {})
{
    return sim::GatewayFrame(0x19, kGw, kDeriv, kMaster, payload, lengthField);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Telegram frames

TEST_F(ContactTest, TelegramFrameIsLoggedStoredAndReported)
{
    host.NextNumber = 57;
    sim::Telegram second = TelegramAt(0, 0x00000042);
    second.Manufacturer = 0x2C2D; // "KAM"
    second.Rssi = 0;
    second.Medium = 0x99;
    const Bytes frame = WmbusFrame(sim::WmbusPayload(2, Records({TelegramAt(59), second})));

    std::atomic<int> reads{0};
    SetFileStoreHooks({.ReadSetupRecord = [&](auto, auto&) { ++reads; return ReplyNone; }});
    const Bytes reply = Exchange(frame);

    EXPECT_TRUE(reply.empty());
    EXPECT_EQ(host.Lines(TContactMemo::Log),
              (Lines{L"57 0A.1B.2C RID: 12345678 ABC  RxTime: 09.12.2026 08:11:59 -43dBm",
                     L"58 0A.1B.2C RID: 00000042 KAM  RxTime: 09.12.2026 08:11:00 0dBm"}));
    ASSERT_EQ(host.Lines(TContactMemo::VerLog).size(), 1u);
    ExpectConnectionLine(host.Lines(TContactMemo::VerLog)[0],
                         L"   IP:127.0.0.1         ID:0A.1B.2C  Anzahl Byte: " + Count4(frame.size()) +
                             L" AES    OK!  Datentype: WMBUS Protokolle: 2");
    EXPECT_TRUE(host.Lines(TContactMemo::Time).empty());
    EXPECT_EQ(host.Rows(), (std::vector<StatusRow>{{L"0A.1B.2C", L"127.0.0.1", L"WMBUS Daten", L"", L""}}));
    EXPECT_EQ(reads.load(), 1);
    EXPECT_EQ(host.NextNumber.load(), 59);
    EXPECT_EQ(host.Panel(0), L"IP: 127.0.0.1");
    EXPECT_EQ(host.Panel(3), L"Verbindungen: 1");
    EXPECT_GE(host.Repaints(), 1);
}

TEST_F(ContactTest, FrameInPiecesWithPausesIsReadWhole)
{
    const Bytes frame = WmbusFrame(sim::WmbusPayload(1, Records({TelegramAt(59)})));
    // Split inside the length field, inside the header and inside the ciphertext.
    const std::vector<std::size_t> cuts = {1, 7, 40, frame.size()};
    RunGateway([&](sim::Gateway& gw) {
        std::size_t from = 0;
        for (std::size_t cut : cuts) {
            gw.Send(Bytes(frame.begin() + from, frame.begin() + cut));
            from = cut;
            if (cut != frame.size()) Pause(std::chrono::milliseconds(150));
        }
        EXPECT_TRUE(gw.WaitClosed(kWait));
    });

    ASSERT_EQ(host.Lines(TContactMemo::VerLog).size(), 1u);
    EXPECT_TRUE(EndsWith(host.Lines(TContactMemo::VerLog)[0],
                         L"Anzahl Byte: " + Count4(frame.size()) + L" AES    OK!  Datentype: WMBUS Protokolle: 1"));
    EXPECT_EQ(host.Lines(TContactMemo::Log).size(), 1u);
    EXPECT_TRUE(host.Lines(TContactMemo::Time).empty());
}

TEST_F(ContactTest, FrameAlreadyOnTheSocketIsAnalysedWithoutAWait)
{
    // The frame arrives after the connection was taken and before the contact looks for it, so
    // the contact's first look at the connection reads it in. With no time left to wait it must
    // still be analysed, not reported as a time-out.
    timing.FrameDeadlineMs = 0;
    TEvent counting, sent;
    host.OnConnectionCount = [&] {
        counting.SetEvent();
        EXPECT_EQ(sent.WaitFor(10000), wrSignaled);
    };
    const Bytes frame = WmbusFrame(sim::WmbusPayload(1, Records({TelegramAt(59)})));
    RunGateway([&](sim::Gateway& gw) {
        EXPECT_EQ(counting.WaitFor(10000), wrSignaled);
        gw.Send(frame);
        sent.SetEvent();
        EXPECT_TRUE(gw.WaitClosed(kWait));
    });

    EXPECT_TRUE(host.Lines(TContactMemo::Time).empty());
    ASSERT_EQ(host.Lines(TContactMemo::VerLog).size(), 1u);
    EXPECT_TRUE(EndsWith(host.Lines(TContactMemo::VerLog)[0], L" AES    OK!  Datentype: WMBUS Protokolle: 1"));
    EXPECT_EQ(host.Lines(TContactMemo::Log).size(), 1u);
}

TEST_F(ContactTest, RefusedFramesAreReportedLikeADecryptionFailure)
{
    const Bytes payload = sim::WmbusPayload(1, Records({TelegramAt(59)}));
    MasterKeyBytesT wrongKey = kMaster;
    wrongKey[15] ^= 0x01;
    Bytes shortSetup(1100, 0x11);

    struct Case {
        const char* name;
        Bytes frame;
        bool truncated; // the gateway stops sending before the announced length
    };
    const Bytes good = WmbusFrame(payload);
    const std::vector<Case> cases = {
        {"wrong master key", sim::GatewayFrame(0x19, kGw, kDeriv, wrongKey, payload), false},
        {"length field 0", WmbusFrame(payload, 0), false},
        {"gateway ID 00.xx.xx", sim::GatewayFrame(0x19, {0x00, 0x12, 0x34}, kDeriv, kMaster, payload), false},
        {"length field below 26", WmbusFrame(payload, 25), false},
        {"length field above the buffers", WmbusFrame(payload, 2097), false},
        {"length field 0xFFFF", WmbusFrame(payload, 0xFFFF), false},
        {"length field above the bytes sent", WmbusFrame(payload, static_cast<uint16_t>(good.size() + 16)), true},
        {"setup frame of 1100 payload bytes", sim::GatewayFrame(0x14, kGw, kDeriv, kMaster, shortSetup), false},
    };

    std::atomic<int> reads{0};
    SetFileStoreHooks({.ReadSetupRecord = [&](auto, auto&) { ++reads; return ReplySendSetup; }});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.Reset();
        Bytes reply;
        RunGateway([&](sim::Gateway& gw) {
            gw.Send(c.frame);
            if (c.truncated) gw.ShutdownSend();
            EXPECT_TRUE(gw.WaitClosed(kWait, &reply));
        });
        EXPECT_TRUE(reply.empty());
        ASSERT_EQ(host.Lines(TContactMemo::VerLog).size(), 1u);
        const UnicodeString line = host.Lines(TContactMemo::VerLog)[0];
        const UnicodeString id = c.frame[3] == 0 ? L"00.12.34" : L"0A.1B.2C";
        ExpectConnectionLine(line, L"   IP:127.0.0.1         ID:" + id + L"  Anzahl Byte: " + Count4(c.frame.size()) +
                                       L" AES    Error!");
        EXPECT_TRUE(host.Lines(TContactMemo::Log).empty());
        EXPECT_TRUE(host.Rows().empty());
        if (c.truncated) {
            ASSERT_EQ(host.Lines(TContactMemo::Time).size(), 1u);
            EXPECT_TRUE(StartsWith(host.Lines(TContactMemo::Time)[0], L"Timeout "));
            EXPECT_TRUE(EndsWith(host.Lines(TContactMemo::Time)[0],
                                 L" IP=127.0.0.1 Byte=" + std::to_wstring(c.frame.size())));
        } else {
            EXPECT_TRUE(host.Lines(TContactMemo::Time).empty());
        }
    }
    EXPECT_EQ(reads.load(), 0);
}

TEST_F(ContactTest, RefusedTypeAndSilentGatewayGoToMemoTime)
{
    Bytes frame = WmbusFrame(sim::WmbusPayload(1, Records({TelegramAt(59)})));
    frame[2] = 0x77;
    RunGateway(SendAndAwaitClose(frame));
    ASSERT_EQ(host.Lines(TContactMemo::Time).size(), 1u);
    ExpectDataErrorLine(host.Lines(TContactMemo::Time)[0]);
    EXPECT_TRUE(host.Lines(TContactMemo::VerLog).empty());

    // Nothing at all: the read times out, and the missing type byte is refused as well.
    host.Reset();
    const auto start = std::chrono::steady_clock::now();
    RunGateway([&](sim::Gateway& gw) { EXPECT_TRUE(gw.WaitClosed(kWait)); });
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kTiming.FrameDeadlineMs));
    const Lines time = host.Lines(TContactMemo::Time);
    ASSERT_EQ(time.size(), 2u);
    EXPECT_TRUE(StartsWith(time[0], L"Timeout "));
    EXPECT_TRUE(EndsWith(time[0], L" IP=127.0.0.1 Byte=0"));
    EXPECT_TRUE(IsErrorTimeStamp(time[0].substr(8, 14)));
    ExpectDataErrorLine(time[1]);
    EXPECT_TRUE(host.Lines(TContactMemo::VerLog).empty());
}

TEST_F(ContactTest, MissingClosingByteStoresNothingButAnswers)
{
    const Bytes frame = WmbusFrame(sim::WmbusPayload(1, Records({TelegramAt(59)}), 0x17));
    SetFileStoreHooks({.ReadSetupRecord = [&](auto, auto&) { return ReplyFetchSetup; }});
    const Bytes reply = Exchange(frame);
    const Lines ver = host.Lines(TContactMemo::VerLog);
    ASSERT_EQ(ver.size(), 2u);
    EXPECT_EQ(ver[0], L"<--- keine 0x16");
    EXPECT_TRUE(EndsWith(ver[1], L" AES    OK!  Datentype: WMBUS Protokolle: 1"));
    EXPECT_TRUE(host.Lines(TContactMemo::Log).empty());
    EXPECT_EQ(reply.size(), 19u);
}

// The walk over the records: what it logs per record and where it stops.
TEST_F(ContactTest, RecordWalkHandlesMissingStartBytesOverrunsAndBadTimes)
{
    sim::Telegram badMonth = TelegramAt(30, 0x22222222);
    badMonth.Month = 13;
    sim::Telegram badHour = TelegramAt(30, 0x33333333);
    badHour.Hour = 24;
    Bytes noStart(6, 0x01); // time bytes of a record whose 0x68 is missing
    Bytes longL = sim::Record(TelegramAt(1, 0x44444444));
    longL[7] = 200; // L runs past the closing byte

    struct Case {
        const char* name;
        Bytes payload;
        Lines verLog; // before the connection line
        std::vector<uint32_t> ids; // telegrams logged, in order
        const wchar_t* protokolle;
    };
    auto cat = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const std::vector<Case> cases = {
        {"second of three lacks 0x68: the third follows its six time bytes",
         sim::WmbusPayload(3, {cat({sim::Record(TelegramAt(1, 0x11111111)), noStart,
                                    sim::Record(TelegramAt(3, 0x33333333))})}),
         {L"<---keine 0x68"}, {0x11111111, 0x33333333}, L"3"},
        {"count beyond the records",
         sim::WmbusPayload(5, Records({TelegramAt(1, 0x11111111), TelegramAt(2, 0x22222222)})),
         {L"<---keine 0x68"}, {0x11111111, 0x22222222}, L"5"},
        {"count 255 on a single record", sim::WmbusPayload(255, Records({TelegramAt(1, 0x11111111)})),
         {L"<---keine 0x68"}, {0x11111111}, L"255"},
        {"L beyond the payload", sim::WmbusPayload(2, {sim::Record(TelegramAt(1, 0x11111111)), longL}),
         {L"<---keine 0x68"}, {0x11111111}, L"2"},
        {"invalid times are reported and skipped",
         sim::WmbusPayload(4, Records({TelegramAt(1, 0x11111111), badMonth, badHour, TelegramAt(4, 0x44444444)})),
         {L"<---ungueltige Empfangszeit 0A.1B.2C RID: 22222222 RxTime: 09.13.2026 08:11:30",
          L"<---ungueltige Empfangszeit 0A.1B.2C RID: 33333333 RxTime: 09.12.2026 24:11:30"},
         {0x11111111, 0x44444444}, L"4"},
    };

    SetFileStoreHooks({.ReadSetupRecord = [&](auto, auto&) { return ReplyFetchSetup; }});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.Reset();
        const Bytes frame = WmbusFrame(c.payload);
        const Bytes reply = Exchange(frame);
        Lines ver = host.Lines(TContactMemo::VerLog);
        ASSERT_EQ(ver.size(), c.verLog.size() + 1);
        EXPECT_EQ(Lines(ver.begin(), ver.end() - 1), c.verLog);
        EXPECT_TRUE(EndsWith(ver.back(), L" AES    OK!  Datentype: WMBUS Protokolle: " + UnicodeString(c.protokolle)));
        const Lines log = host.Lines(TContactMemo::Log);
        ASSERT_EQ(log.size(), c.ids.size());
        for (std::size_t i = 0; i < log.size(); ++i) {
            wchar_t id[9];
            swprintf(id, 9, L"%.8X", c.ids[i]);
            EXPECT_TRUE(StartsWith(log[i], std::to_wstring(i) + L" 0A.1B.2C RID: " + id)) << ToUtf8(log[i]);
        }
        // The frame is finished normally: status row and reply.
        EXPECT_EQ(host.Rows().size(), 1u);
        EXPECT_EQ(reply.size(), 19u);
        EXPECT_TRUE(host.Lines(TContactMemo::Time).empty());
    }
}

TEST_F(ContactTest, FrameWithoutRecordsGetsNoReply)
{
    const Bytes frame = WmbusFrame(sim::WmbusPayload(0, {}));
    SetFileStoreHooks({.ReadSetupRecord = [&](auto, auto&) { return ReplyFetchSetup; }});
    const Bytes reply = Exchange(frame);
    EXPECT_TRUE(reply.empty());
    ASSERT_EQ(host.Lines(TContactMemo::VerLog).size(), 1u);
    EXPECT_TRUE(EndsWith(host.Lines(TContactMemo::VerLog)[0], L" AES    OK!  Datentype: WMBUS Protokolle: 0"));
}

TEST_F(ContactTest, OtherAcceptedTypesAreAnalysedAsUnknown)
{
    const Bytes frame = sim::GatewayFrame(0x15, kGw, kDeriv, kMaster, Bytes{1, 2, 3});
    const Bytes reply = Exchange(frame);
    EXPECT_TRUE(reply.empty());
    ASSERT_EQ(host.Lines(TContactMemo::VerLog).size(), 1u);
    EXPECT_TRUE(EndsWith(host.Lines(TContactMemo::VerLog)[0], L" AES    OK!  Datentype: ?????"));
    EXPECT_EQ(host.Rows(), (std::vector<StatusRow>{{L"0A.1B.2C", L"127.0.0.1", L"", L"", L""}}));
}

// Database mode without an open database connection: frames are analysed and logged, but
// nothing is stored, compared or answered.
TEST_F(ContactTest, DatabaseModeWithoutConnectionAnswersNothing)
{
    host.Database = true;
    std::atomic<int> reads{0};
    SetFileStoreHooks({.ReadSetupRecord = [&](auto, auto&) { ++reads; return ReplySendSetup; }});
    const std::vector<Bytes> frames = {
        WmbusFrame(sim::WmbusPayload(1, Records({TelegramAt(59)}))),
        SetupFrame(SampleSetup()),
    };
    for (const Bytes& frame : frames) {
        const Bytes reply = Exchange(frame);
        EXPECT_TRUE(reply.empty());
    }
    EXPECT_EQ(reads.load(), 0);
    EXPECT_EQ(host.Lines(TContactMemo::Log).size(), 1u);
    EXPECT_EQ(host.Rows(), (std::vector<StatusRow>{{L"0A.1B.2C", L"127.0.0.1", L"WMBUS Daten", L"", L""},
                                                   {L"0A.1B.2C", L"127.0.0.1", L"SETUP Daten", L"", L"1.4.12"}}));
}

// ---------------------------------------------------------------------------------------------
// Replies

TEST_F(ContactTest, PendingSetupIsSentWhole)
{
    const GatewaySetupRecord stored = SampleSetup();
    SetFileStoreHooks({.ReadSetupRecord = [&](auto id, GatewaySetupRecord& record) {
        EXPECT_EQ(Bytes(id.begin(), id.end()), Bytes(kGw.begin(), kGw.end()));
        record = stored;
        return ReplySendSetup;
    }});
    const Bytes frame = WmbusFrame(sim::WmbusPayload(1, Records({TelegramAt(59)})));
    const Bytes reply = Exchange(frame);

    ExpectSetupReply(reply, stored);
    const Lines ver = host.Lines(TContactMemo::VerLog);
    ASSERT_EQ(ver.size(), 2u);
    EXPECT_EQ(ver[1], L"0A.1B.2C SENDE SETUP");
}

TEST_F(ContactTest, SetupRequestIsSentWithAllItsBytes)
{
    SetFileStoreHooks({.ReadSetupRecord = [&](auto, auto&) { return ReplyFetchSetup; }});
    const Bytes frame = WmbusFrame(sim::WmbusPayload(1, Records({TelegramAt(59)})));
    const Bytes reply = Exchange(frame);

    ASSERT_EQ(reply.size(), 19u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 3), (Bytes{0x00, 0x13, 0x1E}));
    const Bytes plain = DecryptReply(reply);
    Bytes expected{12, 0xAA, 0x55, 0x01};
    expected.insert(expected.end(), 12, '/');
    EXPECT_EQ(plain, expected);
    EXPECT_EQ(host.Lines(TContactMemo::VerLog).size(), 1u);
}

// A gateway reporting its setup: compared with a pending one, answered with the stored setup
// when it differs, and nothing left pending when it matches.
TEST_F(ContactTest, ReportedSetupIsComparedWithThePendingOne)
{
    const GatewaySetupRecord reported = SampleSetup();
    GatewaySetupRecord differs = reported;
    differs.SetServerName("other.example");
    GatewaySetupRecord sameInComparedFields = reported;
    sameInComparedFields.MasterKey[0] ^= 0xFF; // not compared
    sameInComparedFields.WmbusFlags ^= 0x10;   // not compared

    struct Case {
        const char* name;
        TReplyAction pending;
        GatewaySetupRecord stored;
        const wchar_t* status;
        bool stores;
        bool replies;
    };
    const std::vector<Case> cases = {
        {"stored setup differs", ReplySendSetup, differs, L"SETUP empfangen", false, true},
        {"stored setup matches", ReplySendSetup, sameInComparedFields, L"SETUP ok", true, false},
        {"nothing pending", ReplyNone, differs, L"SETUP ok", true, false},
        {"fetch pending", ReplyFetchSetup, differs, L"SETUP ok", true, false},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.Reset();
        std::vector<TReplyAction> stored;
        SetFileStoreHooks({.ReadSetupRecord = [&](auto, GatewaySetupRecord& record) {
                               if (c.pending == ReplySendSetup) record = c.stored;
                               return c.pending;
                           },
                           .StoreGatewaySetup = [&](auto, const GatewaySetupRecord& record, TReplyAction action) {
                               EXPECT_EQ(record, reported);
                               stored.push_back(action);
                           }});
        const Bytes reply = Exchange(SetupFrame(reported));

        ASSERT_EQ(host.Lines(TContactMemo::VerLog).size() >= 1, true);
        ExpectConnectionLine(host.Lines(TContactMemo::VerLog)[0],
                             L"   IP:127.0.0.1         ID:0A.1B.2C  Anzahl Byte: 1130 AES    OK!  Datentype: SETUP "
                             L"Setup Daten erhalten");
        EXPECT_EQ(host.Rows(),
                  (std::vector<StatusRow>{{L"0A.1B.2C", L"127.0.0.1", L"SETUP Daten", c.status, L"1.4.12"}}));
        EXPECT_EQ(stored, c.stores ? std::vector<TReplyAction>{c.pending} : std::vector<TReplyAction>{});
        if (c.replies)
            ExpectSetupReply(reply, c.stored);
        else
            EXPECT_TRUE(reply.empty());
    }
}

TEST_F(ContactTest, MemoLineRuleAppliesToTheLogSinksOnly)
{
    host.Fill(TContactMemo::VerLog, 200);
    host.Fill(TContactMemo::Log, 201);
    SetFileStoreHooks({.ReadSetupRecord = [&](auto, GatewaySetupRecord& record) {
        record = SampleSetup();
        return ReplySendSetup;
    }});
    const Bytes frame = WmbusFrame(sim::WmbusPayload(1, Records({TelegramAt(59)})));
    RunGateway(SendAndAwaitClose(frame));
    // 200 lines are kept for the connection line; the setup line is added without the rule.
    const Lines ver = host.Lines(TContactMemo::VerLog);
    ASSERT_EQ(ver.size(), 202u);
    EXPECT_EQ(ver[201], L"0A.1B.2C SENDE SETUP");
    // 201 lines: cleared before the telegram line.
    EXPECT_EQ(host.Lines(TContactMemo::Log).size(), 1u);

    // A frame's telegram lines reach the memo together; the rule still applies line by line:
    // 195 lines take six more, the seventh clears the memo first.
    host.Reset();
    host.Fill(TContactMemo::Log, 195);
    std::vector<Bytes> many;
    for (uint8_t second = 0; second < 10; ++second) many.push_back(sim::Record(TelegramAt(second)));
    RunGateway(SendAndAwaitClose(WmbusFrame(sim::WmbusPayload(10, many))));
    const Lines log = host.Lines(TContactMemo::Log);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_NE(log[0].find(L"RxTime: 09.12.2026 08:11:06 "), UnicodeString::npos) << ToUtf8(log[0]);
    EXPECT_NE(log[3].find(L"RxTime: 09.12.2026 08:11:09 "), UnicodeString::npos) << ToUtf8(log[3]);

    host.Reset();
    host.Fill(TContactMemo::Time, 201);
    Bytes bad = frame;
    bad[2] = 0x00;
    RunGateway(SendAndAwaitClose(bad));
    ASSERT_EQ(host.Lines(TContactMemo::Time).size(), 1u);
    ExpectDataErrorLine(host.Lines(TContactMemo::Time)[0]);
}

// ---------------------------------------------------------------------------------------------
// Concurrency and robustness

TEST_F(ContactTest, ConcurrentGatewaysGetDistinctTelegramNumbers)
{
    constexpr int kGateways = kSimultaneousGateways;
    constexpr int kRecords = 3;
    std::vector<std::function<void(sim::Gateway&)>> scripts;
    for (int g = 0; g < kGateways; ++g) {
        const sim::GatewayIdBytes id = {0x10, 0x00, static_cast<uint8_t>(g)};
        std::vector<Bytes> records;
        for (int r = 0; r < kRecords; ++r) records.push_back(sim::Record(TelegramAt(static_cast<uint8_t>(r))));
        const sim::DerivationBytes derivation = {0, 0, static_cast<uint8_t>(g), 0x55};
        const Bytes frame =
            sim::GatewayFrame(0x19, id, derivation, kMaster, sim::WmbusPayload(kRecords, records));
        scripts.push_back(SendAndAwaitClose(frame));
    }
    RunGateways(scripts);

    const Lines log = host.Lines(TContactMemo::Log);
    ASSERT_EQ(log.size(), static_cast<std::size_t>(kGateways * kRecords));
    std::set<int> numbers;
    std::map<UnicodeString, int> perGateway;
    for (const UnicodeString& line : log) {
        numbers.insert(std::stoi(line.substr(0, line.find(L' '))));
        ++perGateway[line.substr(line.find(L' ') + 1, 8)];
    }
    EXPECT_EQ(numbers.size(), log.size());
    EXPECT_EQ(*numbers.begin(), 0);
    EXPECT_EQ(*numbers.rbegin(), kGateways * kRecords - 1);
    EXPECT_EQ(perGateway.size(), static_cast<std::size_t>(kGateways));
    for (const auto& [id, count] : perGateway) EXPECT_EQ(count, kRecords) << ToUtf8(id);
    EXPECT_EQ(host.Lines(TContactMemo::VerLog).size(), static_cast<std::size_t>(kGateways));
}

TEST_F(ContactTest, BurstOfRandomAndTruncatedFramesLeavesTheServerServing)
{
    std::mt19937 random(20261209);
    auto randomBytes = [&](std::size_t n) {
        Bytes out(n);
        for (auto& b : out) b = static_cast<uint8_t>(random());
        return out;
    };
    const uint8_t types[] = {0x14, 0x15, 0x19, 0x1E, 0x23};
    std::vector<Bytes> frames;
    for (int i = 0; i < 60; ++i) {
        Bytes frame;
        switch (i % 5) {
        case 0: // noise
            frame = randomBytes(random() % 300);
            break;
        case 1: { // accepted type, random rest with a plausible length field
            frame = randomBytes(26 + random() % 200);
            frame[2] = types[random() % 5];
            const uint16_t length = static_cast<uint16_t>(random() % 2200);
            frame[0] = static_cast<uint8_t>(length >> 8);
            frame[1] = static_cast<uint8_t>(length);
            break;
        }
        case 2: { // a good frame cut short
            Bytes good = WmbusFrame(sim::WmbusPayload(2, Records({TelegramAt(1), TelegramAt(2)})));
            good.resize(random() % good.size());
            frame = good;
            break;
        }
        case 3: { // well encrypted, random records
            Bytes payload = randomBytes(1 + random() % 600);
            payload.push_back(0x16);
            frame = WmbusFrame(payload);
            break;
        }
        case 4: { // well encrypted setup frame of random size
            frame = sim::GatewayFrame(0x14, kGw, kDeriv, kMaster, randomBytes(random() % 1200));
            break;
        }
        }
        frames.push_back(frame);
    }
    // In waves no larger than the listen queue, so every handshake is taken at once.
    for (std::size_t first = 0; first < frames.size(); first += kSimultaneousGateways) {
        std::vector<std::function<void(sim::Gateway&)>> scripts;
        for (std::size_t i = first; i < std::min(frames.size(), first + kSimultaneousGateways); ++i) {
            scripts.push_back([frame = frames[i]](sim::Gateway& gw) {
                gw.Send(frame);
                gw.ShutdownSend();
                EXPECT_TRUE(gw.WaitClosed(kWait));
            });
        }
        RunGateways(scripts);
    }
    EXPECT_TRUE(host.Exceptions().empty()) << ToUtf8(host.Exceptions().front());

    // Still serving.
    host.Reset();
    const Bytes frame = WmbusFrame(sim::WmbusPayload(1, Records({TelegramAt(59)})));
    RunGateway(SendAndAwaitClose(frame));
    EXPECT_EQ(host.Lines(TContactMemo::Log).size(), 1u);
}
