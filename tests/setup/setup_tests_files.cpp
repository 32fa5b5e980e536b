// The file store of the gateway setups: pending actions, reading a queued setup into a record,
// comparing and storing a reported setup, the firmware flag and the store's lock.
#include "DateUtils.h"
#include "Encoding.h"
#include "Exceptions.h"
#include "Files.h"
#include "GatewaySetupDefaults.h"
#include "GatewaySetupFiles.h"
#include "IniFiles.h"
#include "StringList.h"
#include "setup_tests_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace {
using Id = std::array<uint8_t, 3>;
using test_support::kGw;

// 2026-12-09 08:24:36, the clock of every test here.
TDateTime FixedNow()
{
    return EncodeDateTime(2026, 12, 9, 8, 24, 36, 0);
}

// The sample gateway with other addresses and key, and filters of every kind.
GatewaySetupRecord FullSetup()
{
    GatewaySetupRecord r = test_support::SampleNetworkSetup();
    r.SubnetMask = {255, 255, 0, 0};
    r.NtpIp = {10, 0, 0, 123};
    r.DnsIp = {1, 1, 1, 1};
    r.ServerPort = 50000; // high byte not 0
    r.FilterIds[0] = 0x12345678;
    r.FilterIds[1] = 0x1234ABCD;
    r.FilterIds[2] = 0x00000042;
    r.FilterManufacturers = {ManufacturerCode{'A', 'B', 'C'}, ManufacturerCode{'K', 'A', 'M'},
                             ManufacturerCode{'X', 'Y', '\0'}, ManufacturerCode{}};
    r.FilterMedia = {7, 200, 0, 255};
    r.WmbusFlags = WmbusModeT | WmbusManufacturerFilter | WmbusMediumFilter | WmbusIdFilter;
    r.MasterKey = test_support::CountingKey(0xA0);
    r.FirmwareVersion = {1, 4, 12};
    r.NetworkFlags |= NetworkIntervalDaily;
    return r;
}

// What reading FullSetup back from its file gives into a zeroed record.
GatewaySetupRecord FullSetupAsRead()
{
    GatewaySetupRecord r = FullSetup();
    r.FirmwareVersion = {};
    return r;
}

class SetupFilesTest : public ::testing::Test {
private:
    test_support::ScopedClock clock_{&FixedNow};
    test_support::ScratchFolder root_{L"setup_files_"};

protected:
    const UnicodeString folder_ = (root_.Path() / L"VELMORA" / L"W_MBUS_SRV_GWSETUPS").wstring() + L"\\";

    UnicodeString Path() const { return SetupFilePath(folder_, kGw); }

    // A file as an operator or another program left it.
    void WriteFile(const std::string& text)
    {
        std::filesystem::create_directories(std::filesystem::path(folder_));
        std::ofstream file(std::filesystem::path(Path()), std::ios::binary | std::ios::trunc);
        file << text;
    }

    std::string FileBytes() const
    {
        const TBytes bytes = TFile::ReadAllBytes(Path());
        return std::string(bytes.begin(), bytes.end());
    }

    // Values read back by the in-memory reader, independent of the private-profile routines.
    UnicodeString Value(const wchar_t* section, const UnicodeString& key) const
    {
        return TMemIniFile(Path()).ReadString(section, key, L"<missing>");
    }
    std::vector<UnicodeString> Keys(const wchar_t* section) const
    {
        TStringList keys;
        TMemIniFile(Path()).ReadSection(section, &keys);
        std::vector<UnicodeString> out;
        for (int i = 0; i < keys.Count(); ++i) out.push_back(keys[i]);
        return out;
    }

    void SetFlag(const wchar_t* section, bool on) { TIniFile(Path()).WriteBool(section, L"ENABLED", on); }

    // A store folder of its own below the test's, holding the gateway's file with text unless
    // text is nullptr.
    UnicodeString CaseFolder(const UnicodeString& name, const char* text) const
    {
        const UnicodeString folder = folder_ + name + L"\\";
        if (text) {
            std::filesystem::create_directories(std::filesystem::path(folder));
            std::ofstream(std::filesystem::path(SetupFilePath(folder, kGw)), std::ios::binary) << text;
        }
        return folder;
    }
};

GatewaySetupRecord Filled(uint8_t value)
{
    std::array<uint8_t, GatewaySetupRecordSize> bytes;
    bytes.fill(value);
    return GatewaySetupRecord::FromBytes(bytes);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Pending actions

TEST_F(SetupFilesTest, PendingActionFollowsFirmwareThenSendThenFetch)
{
    struct Case {
        const char* file; // nullptr: no file
        TReplyAction action;
        bool filled;
    };
    const std::vector<Case> cases = {
        {nullptr, ReplyNone, false},
        {"[NETZWERK]\r\nPORT=5000\r\n", ReplyNone, false},
        {"[UPDATE]\r\nENABLED=1\r\n[SENDEN]\r\nENABLED=1\r\n[GET]\r\nENABLED=1\r\n", ReplyFirmwareUpdate, false},
        {"[SENDEN]\r\nENABLED=1\r\n[GET]\r\nENABLED=1\r\n", ReplySendSetup, true},
        {"[GET]\r\nENABLED=1\r\n", ReplyFetchSetup, false},
        {"[UPDATE]\r\nENABLED=0\r\n[SENDEN]\r\nENABLED=0\r\n[GET]\r\nENABLED=0\r\n", ReplyNone, false},
        {"[update]\r\nenabled=7\r\n", ReplyFirmwareUpdate, false}, // names without case, any non-zero
        {"[UPDATE]\r\nENABLED=yes\r\n", ReplyNone, false},         // not an integer: the default
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no file");
        const UnicodeString folder = CaseFolder(std::to_wstring(&c - cases.data()), c.file);
        GatewaySetupRecord record = Filled(0xEE);
        EXPECT_EQ(ReadSetupRecord(folder, kGw, record), c.action);
        EXPECT_EQ(record == Filled(0xEE), !c.filled);
        EXPECT_EQ(FileExists(SetupFilePath(folder, kGw)), c.file != nullptr);
    }
}

// ---------------------------------------------------------------------------------------------
// Reading a queued setup

TEST_F(SetupFilesTest, StoredSetupReadsBackIntoTheRecordItWasStoredFrom)
{
    StoreGatewaySetup(folder_, kGw, FullSetup(), ReplyNone);
    SetFlag(L"SENDEN", true);

    GatewaySetupRecord record{};
    ASSERT_EQ(ReadSetupRecord(folder_, kGw, record), ReplySendSetup);
    EXPECT_EQ(record, FullSetupAsRead());

    // Fields the file does not map keep what the caller's record holds.
    GatewaySetupRecord prefilled = Filled(0xEE);
    ASSERT_EQ(ReadSetupRecord(folder_, kGw, prefilled), ReplySendSetup);
    const auto bytes = prefilled.Bytes();
    for (const auto& [first, last] :
         std::vector<std::pair<int, int>>{{0, 2}, {18, 21}, {54, 57}, {68, 75}, {1093, 1095}, {1112, 1114}}) {
        for (int i = first; i <= last; ++i) EXPECT_EQ(bytes[i], 0xEE) << i;
    }
    GatewaySetupRecord expected = FullSetupAsRead();
    expected.Reserved0 = {0xEE, 0xEE, 0xEE};
    expected.Reserved18.fill(0xEE);
    expected.Reserved54.fill(0xEE);
    expected.SetTime = Filled(0xEE).SetTime;
    expected.Reserved75 = 0xEE;
    expected.Reserved1093.fill(0xEE);
    expected.FirmwareVersion = {0xEE, 0xEE, 0xEE};
    EXPECT_EQ(prefilled, expected);
}

TEST_F(SetupFilesTest, MissingKeysReadAsTheDialogsDefaults)
{
    WriteFile("[SENDEN]\r\nENABLED=1\r\n[NETZWERK]\r\nGW_IP=\r\n");
    GatewaySetupRecord record = Filled(0xEE);
    ASSERT_EQ(ReadSetupRecord(folder_, kGw, record), ReplySendSetup);

    EXPECT_EQ(record.GatewayId, kGw);
    EXPECT_EQ(record.ServerNameText(), "");
    EXPECT_EQ(record.ServerName, decltype(record.ServerName){});
    EXPECT_EQ(record.ServerPort, 23);
    EXPECT_EQ(record.NetworkFlags, NetworkDhcp | NetworkIntervalHourly);
    EXPECT_EQ(record.FixedIp, (Ipv4Address{0, 0, 0, 0}));   // missing
    EXPECT_EQ(record.GatewayIp, (Ipv4Address{0, 0, 0, 0})); // empty
    EXPECT_EQ(record.SubnetMask, (Ipv4Address{255, 255, 255, 0}));
    EXPECT_EQ(record.DnsIp, (Ipv4Address{8, 8, 8, 8}));
    EXPECT_EQ(record.NtpIp, (Ipv4Address{82, 96, 64, 2}));
    EXPECT_EQ(MasterKeyToText(record.MasterKey), "7C3A91E05B2F4D86A0C9E1374B5D2F68");
    EXPECT_EQ(record.WmbusFlags, WmbusModeT); // no manufacturer filter, as the dialog shows it
    for (const auto& code : record.FilterManufacturers) EXPECT_EQ(code, (ManufacturerCode{'Q', 'X', 'Z'}));
    EXPECT_EQ(record.FilterMedia, (std::array<uint8_t, 4>{8, 8, 8, 8}));
    for (const auto& id : record.FilterIds) EXPECT_EQ(uint32_t{id}, 0u);
}

TEST_F(SetupFilesTest, ValuesAreConvertedAsTheRecordTakesThem)
{
    WriteFile("[SENDEN]\r\nENABLED=1\r\n"
              "[NETZWERK]\r\nSRV_DNS=0123456789012345678901234567890123456789\r\nPORT=70000\r\n"
              "DHCP=0\r\nSOFORT=0\r\nPROH=1\r\nPROTAG=1\r\nPROMONAT=1\r\n"
              "FEST_IP=10.0.1\r\nGW_IP=192.168.001.010\r\nSUB_IP=256.1.1.1\r\nDNS_IP=1.2.3.4.5\r\n"
              "MASTERKEY=00112233445566778899aabbccddeeff77\r\n"
              "[WM-BUS]\r\nMODET=0\r\nFILTER_HERSTELLER=1\r\nFILTER_MEDIUM=1\r\nFILTER_IDS=1\r\n"
              "FILTER_HS0=AB\r\nFILTER_HS1=\r\nFILTER_HS2=ABCD\r\nFILTER_HS3=Q\r\n"
              "FILTER_MC0=300\r\nFILTER_MC1=0\r\nFILTER_MC2=$10\r\n");
    GatewaySetupRecord record{};
    ASSERT_EQ(ReadSetupRecord(folder_, kGw, record), ReplySendSetup);

    EXPECT_EQ(record.ServerNameText(), "01234567890123456789012345678901");
    EXPECT_EQ(record.ServerPort, 70000 & 0xFFFF);
    EXPECT_EQ(record.NetworkFlags, NetworkIntervalHourly | NetworkIntervalDaily | NetworkIntervalMonthly);
    EXPECT_EQ(record.FixedIp, (Ipv4Address{10, 0, 1, 1}));
    EXPECT_EQ(record.GatewayIp, (Ipv4Address{192, 168, 1, 10}));
    EXPECT_EQ(record.SubnetMask, (Ipv4Address{0, 1, 1, 1}));
    EXPECT_EQ(record.DnsIp, (Ipv4Address{1, 2, 3, 4}));
    EXPECT_EQ(MasterKeyToText(record.MasterKey), "00112233445566778899AABBCCDDEEFF");
    EXPECT_EQ(record.WmbusFlags, WmbusManufacturerFilter | WmbusMediumFilter | WmbusIdFilter);
    EXPECT_EQ(record.FilterManufacturers[0], (ManufacturerCode{'A', 'B', '\0'}));
    EXPECT_EQ(record.FilterManufacturers[1], (ManufacturerCode{'\0', '\0', '\0'}));
    EXPECT_EQ(record.FilterManufacturers[2], (ManufacturerCode{'A', 'B', 'C'}));
    EXPECT_EQ(record.FilterManufacturers[3], (ManufacturerCode{'Q', '\0', '\0'}));
    EXPECT_EQ(record.FilterMedia, (std::array<uint8_t, 4>{44, 0, 16, 8}));
}

TEST_F(SetupFilesTest, ValuesTheRecordCannotTakeRaiseTheirError)
{
    struct Case {
        const char* keys;
        bool range; // ERangeError, else EConvertError
    };
    const std::vector<Case> cases = {
        {"[NETZWERK]\r\nFEST_IP=1..2.3\r\n", false},
        {"[NETZWERK]\r\nNTP_IP=ntp.example\r\n", false},
        {"[WM-BUS]\r\nFILTER_MC2=acht\r\n", false},
        {"[NETZWERK]\r\nMASTERKEY=7C3A91E05B2F4D86A0C9E1374B5D2F6\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        const UnicodeString folder =
            CaseFolder(std::to_wstring(&c - cases.data()), (std::string("[SENDEN]\r\nENABLED=1\r\n") + c.keys).c_str());
        GatewaySetupRecord record{};
        if (c.range)
            EXPECT_THROW(ReadSetupRecord(folder, kGw, record), ERangeError);
        else
            EXPECT_THROW(ReadSetupRecord(folder, kGw, record), EConvertError);
    }
}

TEST_F(SetupFilesTest, RadioIdsAreTakenByPositionAndUnusableValuesAreSkipped)
{
    auto idsOf = [&](const std::string& section, const UnicodeString& name) {
        const UnicodeString folder = CaseFolder(name, ("[SENDEN]\r\nENABLED=1\r\n[WM-BUS_IDS]\r\n" + section).c_str());
        GatewaySetupRecord record{};
        EXPECT_EQ(ReadSetupRecord(folder, kGw, record), ReplySendSetup);
        std::vector<uint32_t> ids;
        for (const auto& id : record.FilterIds) ids.push_back(id);
        while (!ids.empty() && ids.back() == 0) ids.pop_back();
        return ids;
    };

    EXPECT_EQ(idsOf("ID7=12345678\r\n", L"alone"), (std::vector<uint32_t>{0x12345678}));
    EXPECT_EQ(idsOf("Z=1234ABCD\r\nA=1234abcd\r\nID0=12345\r\nx=00000042\r\n", L"names"),
              (std::vector<uint32_t>{0x1234ABCD, 0x1234ABCD, 0x00012345, 0x00000042}));
    EXPECT_EQ(idsOf("ID0=\r\nID1=-5\r\nID2=123456789\r\nID3=12G45678\r\nID4=0x1234\r\nID5=0\r\nID6=87654321\r\n",
                    L"unusable"),
              (std::vector<uint32_t>{0x87654321}));

    std::string many;
    for (int k = 0; k < 251; ++k) many += "ID" + std::to_string(k) + "=" + std::to_string(10000000 + k) + "\r\n";
    const std::vector<uint32_t> ids = idsOf(many, L"many");
    ASSERT_EQ(ids.size(), 250u);
    EXPECT_EQ(ids.front(), 0x10000000u);
    EXPECT_EQ(ids.back(), 0x10000249u);
}

// ---------------------------------------------------------------------------------------------
// Comparing a reported setup

TEST_F(SetupFilesTest, ReportedSetupIsComparedInTheRangesAGatewayKeeps)
{
    StoreGatewaySetup(folder_, kGw, FullSetup(), ReplyNone);
    SetFlag(L"SENDEN", true);
    GatewaySetupRecord queued{};
    ASSERT_EQ(ReadSetupRecord(folder_, kGw, queued), ReplySendSetup);

    // Byte offsets just inside and just outside every compared range.
    const std::vector<std::pair<int, bool>> offsets = {
        {0, false},    {3, false},    {5, false},    {6, true},     {17, true},    {18, false},
        {21, false},   {22, true},    {53, true},    {54, false},   {57, false},   {58, true},
        {66, true},    {67, false},   {68, false},   {75, false},   {76, true},    {1075, true},
        {1076, true},  {1087, true},  {1088, true},  {1091, true},  {1092, false}, {1093, false},
        {1096, false}, {1111, false}, {1112, false}, {1114, false}, {1115, true},
    };
    for (const auto& [offset, compared] : offsets) {
        SCOPED_TRACE(offset);
        auto bytes = queued.Bytes();
        bytes[offset] ^= 0x01;
        const GatewaySetupRecord reported = GatewaySetupRecord::FromBytes(bytes);
        GatewaySetupRecord stored{};
        TReplyAction action = -1;
        EXPECT_EQ(SetupMatches(folder_, kGw, stored, reported, action), !compared);
        EXPECT_EQ(action, ReplySendSetup);
        EXPECT_EQ(stored, queued);
    }
}

TEST_F(SetupFilesTest, WithoutAPendingSendEveryReportMatches)
{
    struct Case {
        const char* flags; // nullptr: no file
        TReplyAction action;
    };
    const std::vector<Case> cases = {
        {nullptr, ReplyNone},
        {"[GET]\r\nENABLED=1\r\n", ReplyFetchSetup},
        {"[UPDATE]\r\nENABLED=1\r\n", ReplyFirmwareUpdate},
        {"[SENDEN]\r\nENABLED=0\r\n", ReplyNone},
    };
    GatewaySetupRecord reported = FullSetup();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags ? c.flags : "no file");
        const UnicodeString folder = CaseFolder(std::to_wstring(&c - cases.data()), c.flags);
        GatewaySetupRecord stored = Filled(0xEE);
        TReplyAction action = -1;
        EXPECT_TRUE(SetupMatches(folder, kGw, stored, reported, action));
        EXPECT_EQ(action, c.action);
        EXPECT_EQ(stored, Filled(0xEE));
        EXPECT_EQ(FileExists(SetupFilePath(folder, kGw)), c.flags != nullptr);
    }
}

// A queued setup behind a firmware update is still compared: a differing report must not
// overwrite it, a matching one confirms it.
TEST_F(SetupFilesTest, QueuedSetupBehindAFirmwareUpdateIsComparedToo)
{
    StoreGatewaySetup(folder_, kGw, FullSetup(), ReplyNone);
    SetFlag(L"SENDEN", true);
    SetFlag(L"UPDATE", true);
    const std::string before = FileBytes();

    GatewaySetupRecord differs = FullSetup();
    differs.SetServerName("old.example.net");
    GatewaySetupRecord stored{};
    TReplyAction action = -1;
    EXPECT_FALSE(CompareAndStoreReportedSetup(folder_, kGw, stored, differs, action));
    EXPECT_EQ(action, ReplyFirmwareUpdate);
    EXPECT_EQ(stored, FullSetupAsRead());
    EXPECT_EQ(FileBytes(), before);

    GatewaySetupRecord same = FullSetup();
    same.MasterKey[0] ^= 0xFF; // not compared
    stored = {};
    EXPECT_TRUE(CompareAndStoreReportedSetup(folder_, kGw, stored, same, action));
    EXPECT_EQ(action, ReplyFirmwareUpdate);
    EXPECT_EQ(Value(L"SENDEN", L"ENABLED"), L"0");
    EXPECT_EQ(Value(L"SENDEN", L"SENDTIME"), DateTimeToStr(FixedNow()));
    EXPECT_EQ(Value(L"UPDATE", L"ENABLED"), L"1");
    EXPECT_EQ(Value(L"NETZWERK", L"MASTERKEY"), AnsiToUnicode(MasterKeyToText(same.MasterKey)));
}

TEST_F(SetupFilesTest, ReportedSetupIsStoredOnlyWhenItMatchesTheQueuedOne)
{
    // The queued setup as the dialog writes it, with keys the store does not write.
    WriteFile("[SENDEN]\r\nENABLED=1\r\n[GET]\r\nENABLED=1\r\n"
              "[NETZWERK]\r\nAORT=Keller\r\nSRV_DNS=gw.example.net\r\nPORT=50000\r\nDHCP=1\r\n"
              "FEST_IP=192.168.1.10\r\nGW_IP=192.168.1.1\r\nSUB_IP=255.255.0.0\r\nDNS_IP=1.1.1.1\r\n"
              "NTP_IP=10.0.0.123\r\nSOFORT=0\r\nPROH=1\r\nPROTAG=1\r\nPROMONAT=0\r\n"
              "MASTERKEY=A0A1A2A3A4A5A6A7A8A9AAABACADAEAF\r\n"
              "[WM-BUS]\r\nMODET=1\r\nMODES=0\r\nFILTER_HERSTELLER=1\r\nFILTER_MEDIUM=1\r\nFILTER_IDS=1\r\n"
              "FILTER_HS0=ABC\r\nFILTER_HS1=KAM\r\nFILTER_HS2=XY\r\nFILTER_HS3=\r\n"
              "FILTER_MC0=7\r\nFILTER_MC1=200\r\nFILTER_MC2=0\r\nFILTER_MC3=255\r\n"
              "[WM-BUS_IDS]\r\nID0=12345678\r\nID1=1234ABCD\r\nID2=42\r\n");
    const std::string before = FileBytes();

    GatewaySetupRecord differs = FullSetup();
    differs.ServerPort = 50000 + 1; // the low byte
    GatewaySetupRecord stored{};
    TReplyAction action = -1;
    EXPECT_FALSE(CompareAndStoreReportedSetup(folder_, kGw, stored, differs, action));
    EXPECT_EQ(action, ReplySendSetup);
    EXPECT_EQ(stored, FullSetupAsRead());
    EXPECT_EQ(FileBytes(), before);

    stored = {};
    EXPECT_TRUE(CompareAndStoreReportedSetup(folder_, kGw, stored, FullSetup(), action));
    EXPECT_EQ(action, ReplySendSetup);
    EXPECT_EQ(Value(L"SENDEN", L"ENABLED"), L"0");
    EXPECT_EQ(Value(L"SENDEN", L"SENDTIME"), DateTimeToStr(FixedNow()));
    EXPECT_EQ(Value(L"GET", L"GETTIME"), DateTimeToStr(FixedNow()));
    EXPECT_EQ(Value(L"GET", L"ENABLED"), L"0");
    EXPECT_EQ(Value(L"NETZWERK", L"AORT"), L"Keller");
    EXPECT_EQ(Value(L"SOFTWARE", L"V3"), L"12");
    EXPECT_EQ(Value(L"NETZWERK", L"FEST_IP"), L"192.168.001.010");

    // Nothing is pending any more.
    GatewaySetupRecord next = Filled(0xEE);
    EXPECT_EQ(ReadSetupRecord(folder_, kGw, next), ReplyNone);
    EXPECT_EQ(next, Filled(0xEE));
}

// ---------------------------------------------------------------------------------------------
// Storing a reported setup

TEST_F(SetupFilesTest, StoreWritesEveryKeyOfTheReportedSetup)
{
    // The folder does not exist yet; old IDs and keys the store does not own are in the file.
    ASSERT_FALSE(DirectoryExists(folder_));
    GatewaySetupRecord record = FullSetup();
    record.FilterIds = {};
    record.FilterIds[3] = 0x12345678;
    record.FilterIds[7] = 0x1234ABCD;
    record.WmbusFlags = WmbusManufacturerFilter;
    record.NetworkFlags = NetworkIntervalImmediate | NetworkIntervalMonthly;
    StoreGatewaySetup(folder_, kGw, record, ReplyFetchSetup);
    ASSERT_TRUE(FileExists(Path()));

    EXPECT_EQ(Keys(L"SENDEN"), std::vector<UnicodeString>{});
    EXPECT_EQ(Value(L"GET", L"GETTIME"), DateTimeToStr(FixedNow()));
    EXPECT_EQ(Value(L"GET", L"ENABLED"), L"0");
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> netzwerk = {
        {L"GW_ID2", L"0A"},
        {L"GW_ID1", L"1B"},
        {L"GW_ID0", L"2C"},
        {L"SRV_DNS", L"gw.example.net"},
        {L"PORT", L"50000"},
        {L"DHCP", L"0"},
        {L"FEST_IP", L"192.168.001.010"},
        {L"GW_IP", L"192.168.001.001"},
        {L"SUB_IP", L"255.255.000.000"},
        {L"DNS_IP", L"001.001.001.001"},
        {L"NTP_IP", L"010.000.000.123"},
        {L"SOFORT", L"1"},
        {L"PROH", L"0"},
        {L"PROTAG", L"0"},
        {L"PROMONAT", L"1"},
        {L"MASTERKEY", L"A0A1A2A3A4A5A6A7A8A9AAABACADAEAF"},
    };
    for (const auto& [key, value] : netzwerk) EXPECT_EQ(Value(L"NETZWERK", key), value) << UnicodeToUtf8(key);
    EXPECT_EQ(Value(L"SOFTWARE", L"V1"), L"1");
    EXPECT_EQ(Value(L"SOFTWARE", L"V2"), L"4");
    EXPECT_EQ(Value(L"SOFTWARE", L"V3"), L"12");
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> wmbus = {
        {L"MODET", L"0"},        {L"MODES", L"1"},        {L"FILTER_HERSTELLER", L"1"}, {L"FILTER_MEDIUM", L"0"},
        {L"FILTER_IDS", L"0"},   {L"FILTER_HS0", L"ABC"}, {L"FILTER_HS1", L"KAM"},      {L"FILTER_HS2", L"XY"},
        {L"FILTER_HS3", L""},    {L"FILTER_MC0", L"7"},   {L"FILTER_MC1", L"200"},      {L"FILTER_MC2", L"0"},
        {L"FILTER_MC3", L"255"},
    };
    for (const auto& [key, value] : wmbus) EXPECT_EQ(Value(L"WM-BUS", key), value) << UnicodeToUtf8(key);
    EXPECT_EQ(Keys(L"WM-BUS_IDS"), (std::vector<UnicodeString>{L"ID3", L"ID7"}));
    EXPECT_EQ(Value(L"WM-BUS_IDS", L"ID3"), L"12345678");
    EXPECT_EQ(Value(L"WM-BUS_IDS", L"ID7"), L"1234ABCD");

    // A second store replaces the list and keeps keys it does not write.
    TIniFile ini(Path());
    ini.WriteString(L"NETZWERK", L"AORT", L"Keller");
    ini.WriteBool(L"UPDATE", L"ENABLED", true);
    ini.WriteBool(L"SENDEN", L"ENABLED", true);
    ini.WriteString(L"WM-BUS_IDS", L"ID200", L"87654321");
    record.FilterIds = {};
    record.FilterIds[0] = 0x42;
    StoreGatewaySetup(folder_, kGw, record, ReplyNone);
    EXPECT_EQ(Keys(L"WM-BUS_IDS"), (std::vector<UnicodeString>{L"ID0"}));
    EXPECT_EQ(Value(L"WM-BUS_IDS", L"ID0"), L"00000042");
    EXPECT_EQ(Value(L"NETZWERK", L"AORT"), L"Keller");
    EXPECT_EQ(Value(L"UPDATE", L"ENABLED"), L"1");
    EXPECT_EQ(Value(L"SENDEN", L"ENABLED"), L"1");
    EXPECT_EQ(Keys(L"SENDEN"), std::vector<UnicodeString>{L"ENABLED"});
}

TEST_F(SetupFilesTest, TextsFromTheGatewayCannotAddKeys)
{
    GatewaySetupRecord record = FullSetup();
    record.SetServerName("a\r\n[UPDATE]\r\nENABLED=1");
    record.FilterManufacturers[0] = {'\n', '[', 'X'};
    StoreGatewaySetup(folder_, kGw, record, ReplyNone);

    EXPECT_EQ(Keys(L"UPDATE"), std::vector<UnicodeString>{});
    EXPECT_EQ(Value(L"NETZWERK", L"SRV_DNS"), L"a??[UPDATE]??ENABLED=1");
    EXPECT_EQ(Value(L"WM-BUS", L"FILTER_HS0"), L"?[X");
    GatewaySetupRecord read{};
    EXPECT_EQ(ReadSetupRecord(folder_, kGw, read), ReplyNone);
}

TEST_F(SetupFilesTest, FolderThatCannotBeCreatedRaisesItsPath)
{
    std::filesystem::create_directories(std::filesystem::path(folder_));
    std::ofstream(std::filesystem::path(folder_ + L"blocker")) << "a file, not a folder";
    const UnicodeString blocked = folder_ + L"blocker\\sub\\";

    try {
        StoreGatewaySetup(blocked, kGw, FullSetup(), ReplyNone);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), blocked);
    }
    try {
        ClearFirmwareUpdateFlag(blocked, kGw);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), blocked);
    }
}

// Every writer replaces the file as a whole: a write that fails on the way, even after every
// key is in place, leaves the old file byte for byte and no temporary file behind.
TEST_F(SetupFilesTest, AWriteThatFailsLeavesTheOldFileByteForByte)
{
    WriteFile("[SENDEN]\r\nENABLED=1\r\n[UPDATE]\r\nENABLED=1\r\n[NETZWERK]\r\nAORT=Keller\r\nSRV_DNS=old\r\n");
    const std::string before = FileBytes();
    const auto folderEntries = [this] {
        std::vector<std::filesystem::path> entries;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(folder_)))
            entries.push_back(entry.path().filename());
        return entries;
    };
    const std::vector<std::filesystem::path> only = {std::filesystem::path(Path()).filename()};
    struct Reset {
        ~Reset() { SetSetupFileStoreTestHooks({}); }
    } reset;

    const struct {
        const char* name;
        std::function<void()> write;
    } writers[] = {
        {"a reported setup", [&] { StoreGatewaySetup(folder_, kGw, FullSetup(), ReplySendSetup); }},
        {"the firmware flag", [&] { ClearFirmwareUpdateFlag(folder_, kGw); }},
    };
    for (const auto& w : writers) {
        SCOPED_TRACE(w.name);
        UnicodeString copy;
        SetSetupFileStoreTestHooks({.BeforeReplace = [&copy](const UnicodeString& temporary) {
            copy = temporary;
            throw EIniFileException(L"injected");
        }});
        EXPECT_THROW(w.write(), EIniFileException);
        EXPECT_FALSE(copy.empty());
        EXPECT_EQ(FileBytes(), before);
        EXPECT_EQ(folderEntries(), only);
    }
    SetSetupFileStoreTestHooks({});

    // A failure between two keys.
    EXPECT_THROW(ReplaceSetupFile(Path(),
                                  [](TIniFile& ini) {
                                      ini.WriteBool(L"SENDEN", L"ENABLED", false);
                                      throw EIniFileException(L"injected");
                                  }),
                 EIniFileException);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(folderEntries(), only);

    // A file that cannot be replaced.
    std::filesystem::permissions(std::filesystem::path(Path()), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    ASSERT_NE(GetFileAttributesW(Path().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_THROW(StoreGatewaySetup(folder_, kGw, FullSetup(), ReplySendSetup), Exception);
    SetFileAttributesW(Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(folderEntries(), only);

    // Nothing in the way: replaced, with the keys no writer touched kept.
    StoreGatewaySetup(folder_, kGw, FullSetup(), ReplySendSetup);
    EXPECT_EQ(Value(L"SENDEN", L"ENABLED"), L"0");
    EXPECT_EQ(Value(L"UPDATE", L"ENABLED"), L"1");
    EXPECT_EQ(Value(L"NETZWERK", L"AORT"), L"Keller");
    EXPECT_EQ(Value(L"NETZWERK", L"SRV_DNS"), L"gw.example.net");
    EXPECT_EQ(folderEntries(), only);
    GatewaySetupRecord read{};
    EXPECT_EQ(ReadSetupRecord(folder_, kGw, read), ReplyFirmwareUpdate);
    ClearFirmwareUpdateFlag(folder_, kGw);
    EXPECT_EQ(ReadSetupRecord(folder_, kGw, read), ReplyNone) << "every write is read back at once";
}

// ---------------------------------------------------------------------------------------------
// Firmware flag

TEST_F(SetupFilesTest, FirmwareFlagIsClearedAloneAndCreatesWhatIsMissing)
{
    ClearFirmwareUpdateFlag(folder_, kGw);
    ASSERT_TRUE(FileExists(Path()));
    TStringList sections;
    TMemIniFile(Path()).ReadSections(&sections);
    ASSERT_EQ(sections.Count(), 1);
    EXPECT_EQ(sections[0], L"UPDATE");
    EXPECT_EQ(Keys(L"UPDATE"), std::vector<UnicodeString>{L"ENABLED"});
    EXPECT_EQ(Value(L"UPDATE", L"ENABLED"), L"0");
    GatewaySetupRecord record{};
    EXPECT_EQ(ReadSetupRecord(folder_, kGw, record), ReplyNone);

    StoreGatewaySetup(folder_, kGw, FullSetup(), ReplyNone);
    SetFlag(L"UPDATE", true);
    SetFlag(L"SENDEN", true);
    ClearFirmwareUpdateFlag(folder_, kGw);
    EXPECT_EQ(Value(L"UPDATE", L"ENABLED"), L"0");
    EXPECT_EQ(ReadSetupRecord(folder_, kGw, record), ReplySendSetup);
    EXPECT_EQ(record, FullSetupAsRead());
}

// ---------------------------------------------------------------------------------------------
// Lock

// Writers store whole setups while a reader reads them: every record read is one of the
// stored setups, never a mixture of two.
TEST_F(SetupFilesTest, ConcurrentStoresAndReadsNeverMixTwoSetups)
{
    constexpr int kWriters = 3;
    constexpr int kStores = 6;
    auto setupOf = [](int writer) {
        GatewaySetupRecord r = FullSetup();
        const auto v = static_cast<uint8_t>(writer + 1);
        r.FixedIp = {v, v, v, v};
        r.NtpIp = {v, v, v, v};
        r.ServerPort = static_cast<uint16_t>(1000 + writer);
        r.SetServerName("writer" + std::to_string(writer));
        r.FilterIds = {};
        for (int i = 0; i <= writer; ++i) r.FilterIds[static_cast<std::size_t>(i)] = 0x11111111u * v;
        r.FilterMedia = {v, v, v, v};
        r.FirmwareVersion = {};
        return r;
    };
    StoreGatewaySetup(folder_, kGw, setupOf(0), ReplyNone);
    SetFlag(L"SENDEN", true);

    std::atomic<int> writersDone{0};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            for (int n = 0; n < kStores; ++n) StoreGatewaySetup(folder_, kGw, setupOf(w), ReplyNone);
            ++writersDone;
        });
    }
    int reads = 0;
    int mixed = 0;
    do {
        GatewaySetupRecord record{};
        if (ReadSetupRecord(folder_, kGw, record) != ReplySendSetup) {
            ++mixed;
            continue;
        }
        ++reads;
        bool known = false;
        for (int w = 0; w < kWriters; ++w) known = known || record == setupOf(w);
        if (!known) ++mixed;
    } while (writersDone.load() < kWriters);
    for (auto& t : writers) t.join();
    EXPECT_EQ(mixed, 0) << "of " << reads << " reads";
}
