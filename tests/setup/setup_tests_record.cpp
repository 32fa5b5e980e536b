#include "Exceptions.h"
#include "GatewaySetupRecord.h"
#include "setup_tests_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace {
using RecordBytes = std::array<uint8_t, GatewaySetupRecordSize>;

std::vector<uint8_t> Slice(const RecordBytes& bytes, std::size_t offset, std::size_t count)
{
    return {bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.begin() + static_cast<std::ptrdiff_t>(offset + count)};
}
} // namespace

TEST(SetupRecord, FieldsLandAtTheirWireOffsets)
{
    GatewaySetupRecord r{};
    r.GatewayId = {0x0A, 0x1B, 0x2C};
    r.FixedIp = {192, 168, 1, 10};
    r.SubnetMask = {255, 255, 255, 0};
    r.NtpIp = {82, 96, 64, 2};
    r.DnsIp = {8, 8, 4, 4};
    r.ServerPort = 23;
    r.SetTime = test_support::SetupTime(2026, 12, 9, 8, 24, 36);
    r.FilterIds[0] = 0x12345678;
    r.FilterIds[249] = 0x1234ABCD;
    r.FilterManufacturers[0] = {'Q', 'X', 'Z'};
    r.FilterMedia = {7, 8, 0, 0};
    r.WmbusFlags = 0x31;
    r.MasterKey[0] = 0x7C;
    r.MasterKey[15] = 0x68;
    r.FirmwareVersion = {1, 4, 12};
    r.NetworkFlags = NetworkDhcp | NetworkIntervalHourly;

    const RecordBytes b = r.Bytes();
    EXPECT_EQ(Slice(b, 3, 3), (std::vector<uint8_t>{0x0A, 0x1B, 0x2C}));
    EXPECT_EQ(Slice(b, 6, 4), (std::vector<uint8_t>{192, 168, 1, 10}));
    EXPECT_EQ(Slice(b, 14, 4), (std::vector<uint8_t>{255, 255, 255, 0}));
    EXPECT_EQ(Slice(b, 58, 8), (std::vector<uint8_t>{82, 96, 64, 2, 8, 8, 4, 4}));
    EXPECT_EQ(Slice(b, 66, 2), (std::vector<uint8_t>{0x17, 0x00}));
    EXPECT_EQ(Slice(b, 68, 7), (std::vector<uint8_t>{0xEA, 0x07, 0x0C, 0x09, 0x08, 0x18, 0x24}));
    EXPECT_EQ(Slice(b, 76, 4), (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(Slice(b, 1072, 4), (std::vector<uint8_t>{0xCD, 0xAB, 0x34, 0x12})); // last slot ends at 1075
    EXPECT_EQ(Slice(b, 1076, 3), (std::vector<uint8_t>{'Q', 'X', 'Z'}));
    EXPECT_EQ(Slice(b, 1088, 4), (std::vector<uint8_t>{7, 8, 0, 0}));
    EXPECT_EQ(b[1092], 0x31);
    EXPECT_EQ(b[1096], 0x7C);
    EXPECT_EQ(b[1111], 0x68);
    EXPECT_EQ(Slice(b, 1112, 3), (std::vector<uint8_t>{1, 4, 12}));
    EXPECT_EQ(b[1115], 0x09);

    // Bytes no store maps stay zero in a record built from nothing.
    const std::pair<int, int> unmapped[] = {{0, 3}, {18, 4}, {54, 4}, {75, 1}, {1093, 3}};
    for (const auto& [offset, count] : unmapped) {
        SCOPED_TRACE(offset);
        const auto s = Slice(b, static_cast<std::size_t>(offset), static_cast<std::size_t>(count));
        EXPECT_TRUE(std::all_of(s.begin(), s.end(), [](uint8_t x) { return x == 0; }));
    }
    EXPECT_EQ(r.FirmwareVersionText(), "1.4.12");
}

TEST(SetupRecord, ReceivedBytesSurviveUnchanged)
{
    RecordBytes wire;
    for (std::size_t i = 0; i < wire.size(); ++i) wire[i] = static_cast<uint8_t>(i * 31 + 7);
    const GatewaySetupRecord r = GatewaySetupRecord::FromBytes(wire);
    EXPECT_EQ(r.Bytes(), wire); // reserved bytes included
    EXPECT_EQ(r.ServerPort, static_cast<uint16_t>(wire[66] | (wire[67] << 8)));
    EXPECT_EQ(r.FilterIds[1], static_cast<uint32_t>(wire[80] | (wire[81] << 8) | (wire[82] << 16) | (uint32_t{wire[83]} << 24)));

    GatewaySetupRecord other = r;
    EXPECT_EQ(other, r);
    other.Reserved54[2] ^= 1;
    EXPECT_NE(other, r);

    const GatewaySetupRecord empty{};
    const RecordBytes zero{};
    EXPECT_EQ(empty.Bytes(), zero);
}

TEST(SetupRecord, ServerNameField)
{
    GatewaySetupRecord r{};
    const std::string exact(32, 'x');
    r.SetServerName(exact);
    EXPECT_TRUE(std::none_of(r.ServerName.begin(), r.ServerName.end(), [](char c) { return c == '\0'; }));
    EXPECT_EQ(r.ServerNameText(), exact);
    EXPECT_EQ(r.Bytes()[53], 'x');
    EXPECT_EQ(r.Bytes()[54], 0); // nothing spills into the next field

    r.SetServerName(exact + "-cut-off");
    EXPECT_EQ(r.ServerNameText(), exact);

    r.SetServerName("srv.example");
    EXPECT_EQ(r.ServerNameText(), "srv.example");
    EXPECT_TRUE(std::all_of(r.ServerName.begin() + 11, r.ServerName.end(), [](char c) { return c == '\0'; }));
}

TEST(DottedIp, FormatAndParse)
{
    EXPECT_EQ(FormatDottedIp(Ipv4Address{10, 0, 1, 1}), "010.000.001.001");
    EXPECT_EQ(FormatDottedIp(Ipv4Address{192, 168, 1, 10}), "192.168.001.010");
    EXPECT_EQ(FormatDottedIp(Ipv4Address{255, 255, 255, 0}), "255.255.255.000");

    struct Case {
        const char* text;
        Ipv4Address octets;
    };
    const Case cases[] = {
        {"10.0.1", {10, 0, 1, 1}},         // the last part repeats
        {"7", {7, 7, 7, 7}},
        {"1.2.3.4.5", {1, 2, 3, 4}},       // a fifth part is ignored
        {"192.168.001.010", {192, 168, 1, 10}},
        {"256.1.1.1", {0, 1, 1, 1}},       // low 8 bits
        {"-1.0.0.0", {255, 0, 0, 0}},
        {"255.255.255.000", {255, 255, 255, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Ipv4Address ip{9, 9, 9, 9};
        EXPECT_TRUE(ParseDottedIp(c.text, ip));
        EXPECT_EQ(ip, c.octets);
    }

    for (const char* bad : {"", "1..2.3", "a.b.c.d", "1.2.3.x", "1.2.3.4 ", "1.2.3.99999999999"}) {
        SCOPED_TRACE(bad);
        Ipv4Address ip{9, 9, 9, 9};
        EXPECT_THROW(ParseDottedIp(bad, ip), EConvertError);
        EXPECT_EQ(ip, (Ipv4Address{9, 9, 9, 9}));
    }
}

TEST(RadioIdText, WrittenEntriesReadBackAsThemselves)
{
    for (const uint32_t entry : {0x12345678u, 0x1234ABCDu, 0x00000001u, 0x99999999u, 0xFFFFFFFFu, 0x0000000Au}) {
        SCOPED_TRACE(entry);
        EXPECT_EQ(RadioIdFromText(RadioIdToText(entry)), entry);
    }
    EXPECT_EQ(RadioIdToText(0x12345678), "12345678");
    EXPECT_EQ(RadioIdToText(0x1234ABCD), "1234ABCD");
    EXPECT_EQ(RadioIdToText(1), "00000001");
}

TEST(RadioIdText, ReadingRules)
{
    const std::pair<const char*, std::optional<uint32_t>> cases[] = {
        {"12345678", 0x12345678},
        {"1234abcd", 0x1234ABCD},
        {"00000001", 0x00000001},
        {"1", 0x00000001},      // plain decimal, left-padded to eight digits
        {"1234", 0x00001234},
        {"1234567", 0x01234567},
        {"0", 0x00000000},
        {"", std::nullopt},
        {"-1", std::nullopt},
        {"-1234567", std::nullopt},
        {"+1234567", std::nullopt},
        {"123456789", std::nullopt}, // too long
        {"1234ABCD0", std::nullopt},
        {"ABCD", std::nullopt},      // only a decimal value may be short
        {"1234567G", std::nullopt},
        {" 1234567", std::nullopt},
        {"1234 678", std::nullopt},
        {"12.45678", std::nullopt},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(RadioIdFromText(text), value);
    }
}

TEST(SetupTexts, ManufacturerMasterKeyAndGatewayId)
{
    EXPECT_EQ(ManufacturerCodeToText({'Q', 'X', 'Z'}), "QXZ");
    EXPECT_EQ(ManufacturerCodeToText({'A', '\0', 'B'}), "A"); // a NUL ends the text
    EXPECT_EQ(ManufacturerCodeFromText("QXZ"), (ManufacturerCode{'Q', 'X', 'Z'}));
    EXPECT_EQ(ManufacturerCodeFromText("ABCD"), (ManufacturerCode{'A', 'B', 'C'}));
    EXPECT_THROW(ManufacturerCodeFromText("QX"), ERangeError);

    const std::array<uint8_t, 16> key = {0x7C, 0x3A, 0x91, 0xE0, 0x5B, 0x2F, 0x4D, 0x86,
                                         0xA0, 0xC9, 0xE1, 0x37, 0x4B, 0x5D, 0x2F, 0x68};
    EXPECT_EQ(MasterKeyToText(key), "7C3A91E05B2F4D86A0C9E1374B5D2F68");
    EXPECT_EQ(MasterKeyFromText("7c3a91e05b2f4d86a0c9e1374b5d2f68"), key);
    EXPECT_EQ(MasterKeyFromText("7C3A91E05B2F4D86A0C9E1374B5D2F68FF"), key); // extra characters ignored
    EXPECT_THROW(MasterKeyFromText("7C3A91E05B2F4D86A0C9E1374B5D2F6"), ERangeError);

    const std::array<uint8_t, 3> id = {0x0A, 0x1B, 0x2C};
    EXPECT_EQ(GatewayIdText(id, '.'), "0A.1B.2C");
    EXPECT_EQ(GatewayIdText(id, '_'), "0A_1B_2C");
    EXPECT_EQ(GatewayIdText(std::array<uint8_t, 3>{0, 0xFF, 5}, '.'), "00.FF.05");
}
