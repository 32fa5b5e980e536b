// The setup table setup_daten as the contact reads and writes it, against the test MariaDB: the
// pending request of a gateway, the record filled from its row, and what storing a reported
// setup does to the row.
#include "../server/server_tests_dbmode_support.h"
#include "setup_tests_support.h"
#include "DatenVerarbeitung.h"
#include "FirmwareImage.h"
#include "GatewaySetupDb.h"
#include "Threads.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace dbtest {
const UnicodeString& Database()
{
    static const UnicodeString name = dbmode_test::UniqueDatabaseName(L"marlindo_setup_");
    return name;
}
} // namespace dbtest

namespace {
using namespace dbmode_test;
using test_support::kGw;

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new DropRunDatabase);

const UnicodeString kGwText = L"0A.1B.2C";

// Just enough of a main window for a contact that is driven from the test's main thread.
class Host : public TContactHost {
public:
    std::array<uint8_t, 16> MasterKey() const override { return {}; }
    UnicodeString SetupFolder() const override { return L"C:\\setups\\"; }
    bool DatabaseMode() const override { return true; }
    int NextTelegramNumber() override { return 0; }
    int LiveConnectionCount() override { return 1; }
    TFirmwareImage& Firmware() override { return firmware_; }
    int MemoLineCount(TContactMemo) override { return 0; }
    void ClearMemo(TContactMemo) override {}
    void AppendMemoLine(TContactMemo, const UnicodeString&) override {}
    void UpdateGatewayStatusRow(const UnicodeString&, const UnicodeString&, const UnicodeString&,
                                const UnicodeString&, const UnicodeString&) override
    {
    }
    void SetStatusPanelText(int, const UnicodeString&) override {}
    void RepaintStatusBar() override {}
    TFDPooledConnection AcquireDatabaseConnection() override { return Pool.Acquire(); }

    TFDConnectionPool Pool;

private:
    TFirmwareImage firmware_;
};

// The columns of a row as the tests write them; every value an ordinary one.
using Columns = std::vector<std::pair<UnicodeString, UnicodeString>>;

Columns BaseRow()
{
    return {{L"GW_ID", kGwText},
            {L"GET_TIME", L"2024-03-09 14:05:07"},
            {L"MEMOTEXT", L"Keller"},
            {L"GET_ENABLED", L"N"},
            {L"SET_TIME", L"2024-03-09 14:05:07"},
            {L"SET_ENABLED", L"N"},
            {L"SOFTWARE", L"1.4.12"},
            {L"SOFTUPDATE", L"N"},
            {L"NW_SRV", L"gw.example.net"},
            {L"NW_FEST_IP", L"192.168.001.010"},
            {L"NW_GW_IP", L"192.168.001.001"},
            {L"NW_SUB_IP", L"255.255.255.000"},
            {L"NW_NTP_IP", L"082.096.064.002"},
            {L"NW_DNS_IP", L"008.008.008.008"},
            {L"NW_DHCP", L"Y"},
            {L"NW_PORT", L"5000"},
            {L"NW_INTERVALL", L"H"},
            {L"FILT_MODE", L"T"},
            {L"FILT_HERST", L"N"},
            {L"FILT_MEDIUM", L"Y"},
            {L"FILT_IDS", L"Y"},
            {L"FILT_HS1", L"ABC"},
            {L"FILT_HS2", L"QXZ"},
            {L"FILT_HS3", L"QXZ"},
            {L"FILT_HS4", L"QXZ"},
            {L"FILT_MC1", L"7"},
            {L"FILT_MC2", L"8"},
            {L"FILT_MC3", L"0"},
            {L"FILT_MC4", L"0"},
            {L"FILT_IDLIST", L"12345670,12345671"},
            {L"NW_MASTERKEY", L"303132333435363738393A3B3C3D3E3F"}};
}

Columns With(Columns row, const Columns& changes)
{
    for (const auto& [name, value] : changes)
        for (auto& column : row)
            if (column.first == name) column.second = value;
    return row;
}

// The record the base row stands for.
GatewaySetupRecord BaseRecord()
{
    GatewaySetupRecord r = test_support::SampleNetworkSetup();
    r.SetTime = test_support::SetupTime(2024, 3, 9, 14, 5, 7);
    r.FilterIds[0] = 0x12345670;
    r.FilterIds[1] = 0x12345671;
    r.FilterManufacturers = {{{'A', 'B', 'C'}, {'Q', 'X', 'Z'}, {'Q', 'X', 'Z'}, {'Q', 'X', 'Z'}}};
    r.FilterMedia = {7, 8, 0, 0};
    r.WmbusFlags = WmbusModeT | WmbusMediumFilter | WmbusIdFilter;
    return r;
}

// A record whose every value is awkward for SQL text or for its column.
GatewaySetupRecord AwkwardRecord()
{
    GatewaySetupRecord r = BaseRecord();
    r.SetServerName("o'brien\\srv\",x');--");
    r.FilterManufacturers = {{{'\\', 'A', 'B'}, {'\'', '"', '\\'}, {'\0', '\0', '\0'}, {'Q', 'Z', '\0'}}};
    r.FilterMedia = {0x99, 0xFF, 0x80, 0x7F};
    r.FirmwareVersion = {255, 255, 255};
    for (auto& id : r.FilterIds) id = 0;
    r.FilterIds[0] = 0x12345678;
    r.FilterIds[1] = 0xABCDEF01; // not BCD
    r.FilterIds[2] = 0x00000001;
    r.NetworkFlags = NetworkIntervalMonthly;
    r.WmbusFlags = WmbusManufacturerFilter;
    return r;
}

class SetupDbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(EnsureRunDatabase());
        dbtest::Configure(main_);
        main_.Open();
        Exec(main_, L"DELETE FROM setup_daten");
        host_.Pool.Configure(main_);
        contact_ = std::make_unique<TMyClass>(host_, nullptr);
        contact_->OpenDatabase();
        ASSERT_TRUE(contact_->DatabaseOpen());
    }

    void TearDown() override
    {
        if (contact_) contact_->CloseDatabase();
        contact_.reset();
    }

    void InsertRow(const Columns& row)
    {
        UnicodeString names, values;
        for (const auto& [name, value] : row) {
            names += (names.empty() ? L"" : L",") + name;
            values += (values.empty() ? L"" : L",") + MySqlQuote(value);
        }
        Exec(main_, L"INSERT INTO setup_daten (" + names + L") VALUES (" + values + L")");
    }

    std::vector<Row> GatewayRows() { return Rows(main_, L"SELECT * FROM setup_daten WHERE GW_ID='" + kGwText + L"'"); }

    Row GatewayRow() { return SingleRow(GatewayRows()); }

    // What the frame analysis does with a reported setup in database mode.
    bool Report(const GatewaySetupRecord& reported, TReplyAction& action)
    {
        GatewaySetupRecord stored{};
        const bool match = contact_->CompareSetupWithDb(kGw, stored, action, reported);
        if (match) {
            contact_->StoreReceivedSetup(kGw, reported, action);
            contact_->ClearSetupRequest(kGw, true);
        }
        return match;
    }

    TFDConnection main_{nullptr};
    Host host_;
    std::unique_ptr<TMyClass> contact_;
};

// Columns whose values differ between two rows.
std::vector<UnicodeString> Changed(const Row& before, const Row& after)
{
    std::vector<UnicodeString> names;
    for (const auto& [name, value] : after) {
        const auto it = before.find(name);
        if (it == before.end() || it->second != value) names.push_back(name);
    }
    return names;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reading the pending request

TEST_F(SetupDbTest, PendingRequestFirmwareBeforeFetchBeforeSend)
{
    struct Case {
        const char* name;
        std::vector<Columns> rows;
        TReplyAction action;
        bool filled; // the record holds the (first) row's setup
    };
    const Columns base = BaseRow();
    const std::vector<Case> cases = {
        {"firmware and send", {With(base, {{L"SOFTUPDATE", L"Y"}, {L"SET_ENABLED", L"Y"}})}, ReplyFirmwareUpdate,
         false},
        {"fetch and send", {With(base, {{L"GET_ENABLED", L"Y"}, {L"SET_ENABLED", L"Y"}})}, ReplyFetchSetup, false},
        {"firmware and fetch", {With(base, {{L"SOFTUPDATE", L"Y"}, {L"GET_ENABLED", L"Y"}})}, ReplyFirmwareUpdate,
         false},
        {"send only", {With(base, {{L"SET_ENABLED", L"Y"}})}, ReplySendSetup, true},
        {"no request", {base}, ReplyNone, false},
        {"send row, then fetch row",
         {With(base, {{L"SET_ENABLED", L"Y"}}), With(base, {{L"GET_ENABLED", L"Y"}, {L"NW_SRV", L"second"}})},
         ReplyFetchSetup, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Exec(main_, L"DELETE FROM setup_daten");
        for (const Columns& row : c.rows) InsertRow(row);
        GatewaySetupRecord record{};
        record.FirmwareVersion = {9, 9, 9};
        record.Reserved75 = 0x5A;
        EXPECT_EQ(contact_->ReadSetupFromDb(kGw, record), c.action);

        GatewaySetupRecord expected{};
        if (c.filled) expected = BaseRecord();
        expected.GatewayId = kGw;
        expected.FirmwareVersion = {9, 9, 9}; // no column: kept
        expected.Reserved75 = 0x5A;
        EXPECT_EQ(record, expected);
    }

    // No row: nothing at all is touched.
    Exec(main_, L"DELETE FROM setup_daten");
    GatewaySetupRecord untouched{};
    EXPECT_EQ(contact_->ReadSetupFromDb(kGw, untouched), ReplyNone);
    EXPECT_EQ(untouched, GatewaySetupRecord{});
    // Another gateway's row is not this gateway's.
    InsertRow(With(base, {{L"GW_ID", L"0A.1B.2D"}, {L"SET_ENABLED", L"Y"}}));
    EXPECT_EQ(contact_->ReadSetupFromDb(kGw, untouched), ReplyNone);
}

TEST_F(SetupDbTest, RecordIsFilledFromTheRowsTexts)
{
    struct Case {
        const char* name;
        Columns changes;
        std::function<void(GatewaySetupRecord&)> expect;
    };
    const std::vector<Case> cases = {
        {"base row", {}, [](GatewaySetupRecord&) {}},
        {"server name of 40 characters",
         {{L"NW_SRV", L"abcdefghijklmnopqrstuvwxyz0123456789ABCD"}},
         [](GatewaySetupRecord& r) { r.SetServerName("abcdefghijklmnopqrstuvwxyz012345"); }},
        {"interval and DHCP",
         {{L"NW_INTERVALL", L"M"}, {L"NW_DHCP", L"N"}},
         [](GatewaySetupRecord& r) { r.NetworkFlags = NetworkIntervalMonthly; }},
        {"mode S and all filters",
         {{L"FILT_MODE", L"S"}, {L"FILT_HERST", L"Y"}, {L"FILT_MEDIUM", L"Y"}, {L"FILT_IDS", L"N"}},
         [](GatewaySetupRecord& r) { r.WmbusFlags = WmbusManufacturerFilter | WmbusMediumFilter; }},
        {"media stored as signed bytes",
         {{L"FILT_MC1", L"-103"}, {L"FILT_MC2", L"-1"}, {L"FILT_MC3", L"127"}, {L"FILT_MC4", L"-128"}},
         [](GatewaySetupRecord& r) { r.FilterMedia = {0x99, 0xFF, 0x7F, 0x80}; }},
        {"ID list: padding, hexadecimal, empty and bad items",
         {{L"FILT_IDLIST", L"12345678, 00000001,,42,ABCDEF01,XYZ,123456789,-1,0000abcd, "}},
         [](GatewaySetupRecord& r) {
             r.FilterIds = {};
             r.FilterIds[0] = 0x12345678;
             r.FilterIds[1] = 0x00000001;
             r.FilterIds[2] = 0x00000042;
             r.FilterIds[3] = 0xABCDEF01;
             r.FilterIds[4] = 0x0000ABCD;
         }},
        {"empty ID list", {{L"FILT_IDLIST", L""}}, [](GatewaySetupRecord& r) { r.FilterIds = {}; }},
        {"short manufacturer codes are NUL-padded",
         {{L"FILT_HS2", L"AB"}, {L"FILT_HS3", L""}},
         [](GatewaySetupRecord& r) {
             r.FilterManufacturers[1] = {'A', 'B', '\0'};
             r.FilterManufacturers[2] = {'\0', '\0', '\0'};
         }},
        {"port", {{L"NW_PORT", L"65535"}}, [](GatewaySetupRecord& r) { r.ServerPort = 65535; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Exec(main_, L"DELETE FROM setup_daten");
        InsertRow(With(With(BaseRow(), {{L"SET_ENABLED", L"Y"}}), c.changes));
        GatewaySetupRecord record{};
        EXPECT_EQ(contact_->ReadSetupFromDb(kGw, record), ReplySendSetup);
        GatewaySetupRecord expected = BaseRecord();
        c.expect(expected);
        EXPECT_EQ(record, expected);
    }

    // More than 250 items: the first 250 are taken.
    UnicodeString many;
    for (int i = 1; i <= 260; ++i) many += (i > 1 ? L"," : L"") + std::to_wstring(i);
    Exec(main_, L"DELETE FROM setup_daten");
    InsertRow(With(BaseRow(), {{L"SET_ENABLED", L"Y"}, {L"FILT_IDLIST", many}}));
    GatewaySetupRecord record{};
    contact_->ReadSetupFromDb(kGw, record);
    EXPECT_EQ(static_cast<uint32_t>(record.FilterIds[0]), 0x00000001u);
    EXPECT_EQ(static_cast<uint32_t>(record.FilterIds[249]), 0x00000250u);
}

// ---------------------------------------------------------------------------------------------
// Storing a reported setup

TEST_F(SetupDbTest, AwkwardValuesRoundTripThroughTheTableUnchanged)
{
    const GatewaySetupRecord reported = AwkwardRecord();
    TReplyAction action = -1;
    ASSERT_TRUE(Report(reported, action)); // a new gateway: inserted
    EXPECT_EQ(action, ReplyNone);

    const Row row = GatewayRow();
    EXPECT_EQ(row.at(L"NW_SRV"), UnicodeString(L"o'brien\\srv\",x');--"));
    EXPECT_EQ(row.at(L"SOFTWARE"), UnicodeString(L"255.255.255"));
    EXPECT_EQ(row.at(L"FILT_HS1"), UnicodeString(L"\\AB"));
    EXPECT_EQ(row.at(L"FILT_HS2"), UnicodeString(L"'\"\\"));
    // NUL-padded codes are stored with their NUL bytes.
    const Row hex = Rows(main_, L"SELECT HEX(FILT_HS3) AS hs3, HEX(FILT_HS4) AS hs4 FROM setup_daten")[0];
    EXPECT_EQ(hex.at(L"hs3"), UnicodeString(L"000000"));
    EXPECT_EQ(hex.at(L"hs4"), UnicodeString(L"515A00"));
    EXPECT_EQ(row.at(L"FILT_MC1"), UnicodeString(L"-103"));
    EXPECT_EQ(row.at(L"FILT_MC2"), UnicodeString(L"-1"));
    EXPECT_EQ(row.at(L"FILT_MC3"), UnicodeString(L"-128"));
    EXPECT_EQ(row.at(L"FILT_MC4"), UnicodeString(L"127"));
    EXPECT_EQ(row.at(L"FILT_IDLIST"), UnicodeString(L"12345678,ABCDEF01,00000001"));
    EXPECT_EQ(row.at(L"NW_INTERVALL"), UnicodeString(L"M"));
    EXPECT_EQ(row.at(L"NW_DHCP"), UnicodeString(L"N"));
    EXPECT_EQ(row.at(L"FILT_MODE"), UnicodeString(L"S"));
    EXPECT_EQ(row.at(L"FILT_HERST"), UnicodeString(L"Y"));

    // Asked to send it back, the table gives the same setup.
    Exec(main_, L"UPDATE setup_daten SET SET_ENABLED='Y'");
    GatewaySetupRecord back{};
    ASSERT_EQ(contact_->ReadSetupFromDb(kGw, back), ReplySendSetup);
    EXPECT_TRUE(SetupComparedFieldsEqual(back, reported));
    EXPECT_EQ(back.MasterKey, reported.MasterKey);
    EXPECT_EQ(back.WmbusFlags, reported.WmbusFlags);
    // And the same report now matches the send that waits for it.
    EXPECT_TRUE(Report(reported, action));
    EXPECT_EQ(action, ReplySendSetup);
    EXPECT_EQ(GatewayRow().at(L"SET_ENABLED"), UnicodeString(L"N"));
}

TEST_F(SetupDbTest, StoringAReportFollowsThePendingRequest)
{
    GatewaySetupRecord reported = BaseRecord();
    reported.SetServerName("reported.example");
    reported.FirmwareVersion = {2, 0, 1};
    GatewaySetupRecord matching = BaseRecord(); // equal to the base row in the compared fields
    matching.FirmwareVersion = {2, 0, 1};
    matching.MasterKey[0] ^= 0xFF;                       // not compared
    matching.WmbusFlags ^= WmbusModeT;                   // not compared
    matching.SetTime.Year = 2030;                        // not compared
    matching.ServerPort = static_cast<uint16_t>(5000 ^ 0x0100); // high byte: not compared

    struct Case {
        const char* name;
        Columns flags;
        const GatewaySetupRecord& report;
        bool match;
        TReplyAction action;
        std::vector<UnicodeString> changed; // columns the report changes
        Columns after;                      // flags afterwards
    };
    const std::vector<Case> cases = {
        {"send pending, report matches", {{L"SET_ENABLED", L"Y"}}, matching, true, ReplySendSetup,
         {L"GET_TIME", L"SET_TIME", L"SET_ENABLED", L"SOFTWARE", L"NW_PORT", L"NW_MASTERKEY", L"FILT_MODE"},
         {{L"GET_ENABLED", L"N"}, {L"SET_ENABLED", L"N"}, {L"SOFTUPDATE", L"N"}}},
        {"send pending, report differs", {{L"SET_ENABLED", L"Y"}}, reported, false, ReplySendSetup, {},
         {{L"GET_ENABLED", L"N"}, {L"SET_ENABLED", L"Y"}, {L"SOFTUPDATE", L"N"}}},
        {"fetch pending", {{L"GET_ENABLED", L"Y"}}, reported, true, ReplyFetchSetup,
         {L"GET_TIME", L"GET_ENABLED", L"SET_TIME", L"SOFTWARE", L"NW_SRV"},
         {{L"GET_ENABLED", L"N"}, {L"SET_ENABLED", L"N"}, {L"SOFTUPDATE", L"N"}}},
        {"fetch and send pending, report differs: compared all the same",
         {{L"GET_ENABLED", L"Y"}, {L"SET_ENABLED", L"Y"}}, reported, false, ReplyFetchSetup, {},
         {{L"GET_ENABLED", L"Y"}, {L"SET_ENABLED", L"Y"}, {L"SOFTUPDATE", L"N"}}},
        {"firmware pending: only a completed transfer clears it", {{L"SOFTUPDATE", L"Y"}}, reported, true,
         ReplyFirmwareUpdate, {L"GET_TIME", L"SET_TIME", L"SOFTWARE", L"NW_SRV"},
         {{L"GET_ENABLED", L"N"}, {L"SET_ENABLED", L"N"}, {L"SOFTUPDATE", L"Y"}}},
        {"firmware and send pending, report matches", {{L"SOFTUPDATE", L"Y"}, {L"SET_ENABLED", L"Y"}}, matching,
         true, ReplyFirmwareUpdate,
         {L"GET_TIME", L"SET_TIME", L"SET_ENABLED", L"SOFTWARE", L"NW_PORT", L"NW_MASTERKEY", L"FILT_MODE"},
         {{L"GET_ENABLED", L"N"}, {L"SET_ENABLED", L"N"}, {L"SOFTUPDATE", L"Y"}}},
        {"firmware and send pending, report differs", {{L"SOFTUPDATE", L"Y"}, {L"SET_ENABLED", L"Y"}}, reported,
         false, ReplyFirmwareUpdate, {},
         {{L"GET_ENABLED", L"N"}, {L"SET_ENABLED", L"Y"}, {L"SOFTUPDATE", L"Y"}}},
        {"nothing pending", {}, reported, true, ReplyNone, {L"GET_TIME", L"SET_TIME", L"SOFTWARE", L"NW_SRV"},
         {{L"GET_ENABLED", L"N"}, {L"SET_ENABLED", L"N"}, {L"SOFTUPDATE", L"N"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Exec(main_, L"DELETE FROM setup_daten");
        InsertRow(With(BaseRow(), c.flags));
        const Row before = GatewayRow();
        const TDateTime start = Now();
        TReplyAction action = -1;
        EXPECT_EQ(Report(c.report, action), c.match);
        EXPECT_EQ(action, c.action);
        const Row after = GatewayRow();
        std::vector<UnicodeString> changed = Changed(before, after);
        std::vector<UnicodeString> expected = c.changed;
        std::sort(changed.begin(), changed.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(changed, expected);
        for (const auto& [name, value] : c.after) EXPECT_EQ(after.at(name), value) << UnicodeToUtf8(name);
        if (c.match) {
            EXPECT_TRUE(TimeWithin(after.at(L"GET_TIME"), start, Now())) << Utf8(after.at(L"GET_TIME"));
            EXPECT_TRUE(TimeWithin(after.at(L"SET_TIME"), start, Now())) << Utf8(after.at(L"SET_TIME"));
            EXPECT_EQ(after.at(L"SOFTWARE"), UnicodeString(L"2.0.1"));
            EXPECT_EQ(after.at(L"MEMOTEXT"), UnicodeString(L"Keller"));
        }
    }
}

TEST_F(SetupDbTest, NewGatewayGetsOneRowAndTheClearingChangesOnlyItsSendTime)
{
    const TDateTime start = Now();
    GatewaySetupRecord reported = BaseRecord();
    reported.FirmwareVersion = {1, 4, 12};
    TReplyAction action = -1;
    GatewaySetupRecord stored{};
    ASSERT_TRUE(contact_->CompareSetupWithDb(kGw, stored, action, reported));
    EXPECT_EQ(action, ReplyNone);
    contact_->StoreReceivedSetup(kGw, reported, action);

    const Row inserted = GatewayRow();
    const Row expected = {{L"GW_ID", kGwText},
                          {L"GET_TIME", inserted.at(L"GET_TIME")},
                          {L"MEMOTEXT", UnicodeString()},
                          {L"GET_ENABLED", UnicodeString(L"N")},
                          {L"SET_TIME", inserted.at(L"SET_TIME")},
                          {L"SET_ENABLED", UnicodeString(L"N")},
                          {L"SOFTWARE", UnicodeString(L"1.4.12")},
                          {L"SOFTUPDATE", UnicodeString(L"N")},
                          {L"NW_SRV", UnicodeString(L"gw.example.net")},
                          {L"NW_FEST_IP", UnicodeString(L"192.168.001.010")},
                          {L"NW_GW_IP", UnicodeString(L"192.168.001.001")},
                          {L"NW_SUB_IP", UnicodeString(L"255.255.255.000")},
                          {L"NW_NTP_IP", UnicodeString(L"082.096.064.002")},
                          {L"NW_DNS_IP", UnicodeString(L"008.008.008.008")},
                          {L"NW_DHCP", UnicodeString(L"Y")},
                          {L"NW_PORT", UnicodeString(L"5000")},
                          {L"NW_INTERVALL", UnicodeString(L"H")},
                          {L"FILT_MODE", UnicodeString(L"T")},
                          {L"FILT_HERST", UnicodeString(L"N")},
                          {L"FILT_MEDIUM", UnicodeString(L"Y")},
                          {L"FILT_IDS", UnicodeString(L"Y")},
                          {L"FILT_HS1", UnicodeString(L"ABC")},
                          {L"FILT_HS2", UnicodeString(L"QXZ")},
                          {L"FILT_HS3", UnicodeString(L"QXZ")},
                          {L"FILT_HS4", UnicodeString(L"QXZ")},
                          {L"FILT_MC1", UnicodeString(L"7")},
                          {L"FILT_MC2", UnicodeString(L"8")},
                          {L"FILT_MC3", UnicodeString(L"0")},
                          {L"FILT_MC4", UnicodeString(L"0")},
                          {L"FILT_IDLIST", UnicodeString(L"12345670,12345671")},
                          {L"NW_MASTERKEY", UnicodeString(L"303132333435363738393A3B3C3D3E3F")}};
    EXPECT_EQ(inserted, expected);
    EXPECT_TRUE(TimeWithin(inserted.at(L"GET_TIME"), start, Now()));
    EXPECT_EQ(inserted.at(L"SET_TIME"), inserted.at(L"GET_TIME"));

    Exec(main_, L"UPDATE setup_daten SET SET_TIME='2000-01-01 00:00:00'");
    const Row before = GatewayRow();
    contact_->ClearSetupRequest(kGw, true);
    EXPECT_EQ(Changed(before, GatewayRow()), (std::vector<UnicodeString>{L"SET_TIME"}));
    // The fetch request's clearing stamps its own time.
    Exec(main_, L"UPDATE setup_daten SET GET_ENABLED='Y', GET_TIME='2000-01-01 00:00:00'");
    contact_->ClearSetupRequest(kGw, false);
    const Row cleared = GatewayRow();
    EXPECT_EQ(cleared.at(L"GET_ENABLED"), UnicodeString(L"N"));
    EXPECT_TRUE(TimeWithin(cleared.at(L"GET_TIME"), start, Now()));
}

TEST_F(SetupDbTest, ComparisonCoversTheFieldsAGatewayKeeps)
{
    const GatewaySetupRecord base = BaseRecord();
    struct Case {
        const char* name;
        std::function<void(GatewaySetupRecord&)> change;
        bool equal;
    };
    const std::vector<Case> cases = {
        {"master key", [](auto& r) { r.MasterKey[15] ^= 1; }, true},
        {"W-MBUS flags", [](auto& r) { r.WmbusFlags ^= 0xFF; }, true},
        {"set time", [](auto& r) { r.SetTime.Second = 59; }, true},
        {"port high byte", [](auto& r) { r.ServerPort = static_cast<uint16_t>(r.ServerPort ^ 0xFF00); }, true},
        {"firmware version", [](auto& r) { r.FirmwareVersion[0] ^= 1; }, true},
        {"gateway ID", [](auto& r) { r.GatewayId[2] ^= 1; }, true},
        {"port low byte", [](auto& r) { r.ServerPort = static_cast<uint16_t>(r.ServerPort ^ 0x0001); }, false},
        {"fixed IP", [](auto& r) { r.FixedIp[3] ^= 1; }, false},
        {"subnet mask", [](auto& r) { r.SubnetMask[3] ^= 1; }, false},
        {"NUL byte after the server name", [](auto& r) { r.ServerName[31] = 'x'; }, false},
        {"DNS", [](auto& r) { r.DnsIp[0] ^= 1; }, false},
        {"last radio ID", [](auto& r) { r.FilterIds[249] = 1; }, false},
        {"manufacturer code", [](auto& r) { r.FilterManufacturers[3][2] = 'Y'; }, false},
        {"medium code", [](auto& r) { r.FilterMedia[3] = 1; }, false},
        {"network flags", [](auto& r) { r.NetworkFlags ^= NetworkDhcp; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GatewaySetupRecord other = base;
        c.change(other);
        EXPECT_EQ(SetupComparedFieldsEqual(base, other), c.equal);
    }
}

// ---------------------------------------------------------------------------------------------
// Statement texts and text forms

TEST(SetupDbStatements, OrdinaryValuesGiveTheStatementsAsWritten)
{
    const std::array<uint8_t, 3> gw = {0x0A, 0x1B, 0x2C};
    GatewaySetupRecord r = BaseRecord();
    r.FirmwareVersion = {1, 4, 12};
    const AnsiString now = "2024-03-09 14:05:07";
    const UnicodeString settings =
        L"SOFTWARE='1.4.12',NW_SRV='gw.example.net',NW_FEST_IP='192.168.001.010',NW_GW_IP='192.168.001.001',"
        L"NW_SUB_IP='255.255.255.000',NW_NTP_IP='082.096.064.002',NW_DNS_IP='008.008.008.008',NW_DHCP='Y',"
        L"NW_PORT='5000',NW_INTERVALL='H',NW_MASTERKEY='303132333435363738393A3B3C3D3E3F',FILT_MODE='T',"
        L"FILT_HERST='N',FILT_MEDIUM='Y',FILT_IDS='Y',FILT_HS1='ABC',FILT_HS2='QXZ',FILT_HS3='QXZ',FILT_HS4='QXZ',"
        L"FILT_MC1='7',FILT_MC2='8',FILT_MC3='0',FILT_MC4='0',FILT_IDLIST='12345670,12345671' WHERE GW_ID='0A.1B.2C'";
    EXPECT_EQ(SetupUpdateStatement(gw, r, ReplySendSetup, now),
              L"UPDATE `setup_daten` SET GET_TIME='2024-03-09 14:05:07',GET_ENABLED='N',"
              L"SET_TIME='2024-03-09 14:05:07',SET_ENABLED='N'," +
                  settings);
    EXPECT_EQ(SetupUpdateStatement(gw, r, ReplyFetchSetup, now),
              L"UPDATE `setup_daten` SET GET_TIME='2024-03-09 14:05:07',GET_ENABLED='N'," + settings);
    EXPECT_EQ(SetupInsertStatement(gw, r, now),
              L"INSERT INTO `setup_daten` (GW_ID,GET_TIME,MEMOTEXT,GET_ENABLED,SET_TIME,SET_ENABLED,SOFTWARE,"
              L"SOFTUPDATE,NW_SRV,NW_FEST_IP,NW_GW_IP,NW_SUB_IP,NW_NTP_IP,NW_DNS_IP,NW_DHCP,NW_PORT,NW_INTERVALL,"
              L"NW_MASTERKEY,FILT_MODE,FILT_HERST,FILT_MEDIUM,FILT_IDS,FILT_HS1,FILT_HS2,FILT_HS3,FILT_HS4,"
              L"FILT_MC1,FILT_MC2,FILT_MC3,FILT_MC4,FILT_IDLIST) value('0A.1B.2C','2024-03-09 14:05:07','','N',"
              L"'2024-03-09 14:05:07','N','1.4.12','N','gw.example.net','192.168.001.010','192.168.001.001',"
              L"'255.255.255.000','082.096.064.002','008.008.008.008','Y','5000','H',"
              L"'303132333435363738393A3B3C3D3E3F','T','N','Y','Y','ABC','QXZ','QXZ','QXZ','7','8','0','0',"
              L"'12345670,12345671')");
    EXPECT_EQ(ClearSetupRequestStatement(gw, true, now),
              L"UPDATE `setup_daten` SET SET_ENABLED='N', SET_TIME='2024-03-09 14:05:07' WHERE GW_ID='0A.1B.2C'");
    EXPECT_EQ(ClearSetupRequestStatement(gw, false, now),
              L"UPDATE `setup_daten` SET GET_ENABLED='N', GET_TIME='2024-03-09 14:05:07' WHERE GW_ID='0A.1B.2C'");
    EXPECT_EQ(ClearFirmwareUpdateStatement(gw), L"UPDATE `setup_daten` SET SOFTUPDATE='N' WHERE GW_ID='0A.1B.2C'");
}

TEST(SetupDbStatements, TextForms)
{
    const std::vector<std::pair<uint8_t, const char*>> intervals = {
        {0x00, "S"}, {0x04, "S"}, {0x08, "H"}, {0x10, "T"}, {0x20, "M"}, {0x04 | 0x20, "M"}, {0x0C, "H"}, {0xFF, "M"},
        {0x01 | 0x02 | 0x40 | 0x80, "S"}};
    for (const auto& [flags, letter] : intervals) EXPECT_EQ(SetupIntervalLetter(flags), letter) << int{flags};

    const std::vector<std::pair<uint8_t, const char*>> media = {{0, "0"}, {7, "7"}, {127, "127"}, {128, "-128"},
                                                                {0x99, "-103"}, {255, "-1"}};
    for (const auto& [b, text] : media) EXPECT_EQ(SetupMediumCodeText(b), text) << int{b};

    GatewaySetupRecord r{};
    EXPECT_EQ(SetupIdListText(r), "");
    r.FilterIds[0] = 0x12345678;
    r.FilterIds[5] = 0x00000001;
    EXPECT_EQ(SetupIdListText(r), "12345678,00000001");
    r.FilterIds[249] = 0xABCDEF01;
    EXPECT_EQ(SetupIdListText(r), "12345678,00000001,ABCDEF01");

    struct IdCase {
        const char* text;
        std::vector<uint32_t> ids;
    };
    const std::vector<IdCase> lists = {
        {"", {}},
        {"12345678,00000001", {0x12345678, 1}},
        {"12345678, 00000001", {0x12345678, 1}},
        {",,7,,", {7}},
        {"1,12,123,1234567,12345678", {1, 0x12, 0x123, 0x1234567, 0x12345678}},
        {"ABCDEF01,abcdef01", {0xABCDEF01, 0xABCDEF01}},
        {"ABC,123456789,-5,1.5,G0000000", {}},
    };
    for (const IdCase& c : lists) {
        GatewaySetupRecord record{};
        record.FilterIds.fill(LittleEndian32{{1, 1, 1, 1}});
        SetupIdListFromText(c.text, record);
        std::array<LittleEndian32, FilterIdCount> expected{};
        for (std::size_t i = 0; i < c.ids.size(); ++i) expected[i] = c.ids[i];
        EXPECT_EQ(record.FilterIds, expected) << c.text;
    }
}
