#include "Exceptions.h"
#include "Helpfunktion.h"
#include "StringList.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {
std::vector<UnicodeString> Items(const TStrings& list)
{
    std::vector<UnicodeString> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Strings(i));
    return out;
}
} // namespace

TEST(SplitString, Cases)
{
    struct Case {
        const char* text;
        bool trim;
        std::vector<UnicodeString> items;
    };
    const Case cases[] = {
        {"a,b", false, {L"a", L"b"}},
        {"a,,b", false, {L"a", L"", L"b"}},
        {",a", false, {L"", L"a"}},
        {"a,", false, {L"a"}},
        {"", false, {}},
        {",", false, {L""}},
        {"abc", false, {L"abc"}},
        {" a , b ", false, {L" a ", L" b "}},
        // Trim works on the rest only: the blank before a delimiter stays with its item.
        {" a , b ", true, {L"a ", L"b"}},
        {" , ", true, {L""}},
        {"   ", true, {}},
        {"1, 2 ,3,", true, {L"1", L"2 ", L"3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "' trim=" + (c.trim ? "1" : "0"));
        TStringList list;
        SplitString(c.text, ",", &list, c.trim);
        EXPECT_EQ(Items(list), c.items);
    }
}

TEST(SplitString, AppendsWithoutClearingAndConvertsTo16Bit)
{
    TStringList list;
    list.Add(L"old");
    SplitString("x,\xE4" "b", ",", &list, false); // 0xE4 is a-umlaut in the Western code page
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Strings(0), L"old");
    EXPECT_EQ(list.Strings(1), L"x");
    EXPECT_EQ(list.Strings(2), AnsiToUnicode("\xE4" "b"));
    EXPECT_NO_THROW(SplitString("a,b", ",", nullptr, true));
}

TEST(CalcCrc16, XmodemCheckValues)
{
    const std::string digits = "123456789";
    const auto* data = reinterpret_cast<const uint8_t*>(digits.data());
    EXPECT_EQ(CalcCrc16(data, 9), 0x31C3);
    EXPECT_EQ(CalcCrc16(data, 0), 0x0000);
    EXPECT_EQ(CalcCrc16(std::span<const uint8_t>()), 0x0000);
    const std::array<uint8_t, 4> bytes = {0x00, 0xFF, 0x80, 0x01};
    // Computed bit by bit with polynomial 0x1021, MSB first.
    uint16_t crc = 0;
    for (uint8_t b : bytes) {
        crc ^= static_cast<uint16_t>(b << 8);
        for (int i = 0; i < 8; ++i) crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    EXPECT_EQ(CalcCrc16(bytes), crc);
}

TEST(HexPairToByte, Cases)
{
    const std::pair<const char*, int> cases[] = {
        {"7f", 0x7F}, {"7F", 0x7F}, {"7F9", 0x7F}, {"00", 0x00}, {"ff", 0xFF}, {"A0", 0xA0},
        {"G0", 0x00}, // 16 * 16 overflows the byte
        {"0G", 0x10},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(HexPairToByte(text), value);
    }
    EXPECT_THROW(HexPairToByte("7"), ERangeError);
    EXPECT_THROW(HexPairToByte(""), ERangeError);
}

TEST(Manufacturer, ToStringAndBack)
{
    EXPECT_EQ(ManufacturerToString(0x00, 0x00), "@@@");
    EXPECT_EQ(ManufacturerToString(0xA5, 0xA8), ManufacturerToString(0xA5, 0x28)); // bit 15 ignored
    EXPECT_EQ(ManufacturerToString(0xFF, 0x7F), "___");
    EXPECT_EQ(ManufacturerToString(0x9F, 0x6F), "[\\_"); // fields 27, 28, 31

    // Upper-case three-letter codes round-trip.
    for (const char* code : {"ABC", "QXZ", "ZZZ", "AAA"}) {
        SCOPED_TRACE(code);
        const int32_t value = ManufacturerFromString(code);
        EXPECT_EQ(ManufacturerToString(static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)), code);
    }
    EXPECT_EQ(ManufacturerFromString("ABC"), (1 << 10) | (2 << 5) | 3);
    EXPECT_EQ(ManufacturerFromString("@@@"), 0);
    EXPECT_EQ(ManufacturerFromString("ABCD"), ManufacturerFromString("ABC"));
    // Unchecked: lower case adds 32 to a digit, a character below '@' gives a negative one.
    EXPECT_EQ(ManufacturerFromString("@@a"), 33);
    EXPECT_EQ(ManufacturerFromString("@@?"), -1);
    EXPECT_THROW(ManufacturerFromString("AB"), ERangeError);
}

TEST(DeviceIdToString, BcdAndDecimalFallback)
{
    struct Case {
        std::array<uint8_t, 4> b;
        const char* text;
    };
    const Case cases[] = {
        {{0x78, 0x56, 0x34, 0x12}, "12345678"},
        {{0x01, 0x00, 0x00, 0x00}, "00000001"},
        {{0x0A, 0x00, 0x00, 0x00}, "10"},
        {{0xFF, 0xFF, 0xFF, 0xFF}, "4294967295"},
        {{0x00, 0x00, 0x00, 0xA0}, "2684354560"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DeviceIdToString(c.b[0], c.b[1], c.b[2], c.b[3]), c.text);
    }
}
