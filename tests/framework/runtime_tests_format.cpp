#include "SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace {
// Message text of an EConvertError raised by f, empty when nothing was raised.
template <class F>
std::wstring ConvertErrorOf(F f)
{
    try {
        f();
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return {};
}
} // namespace

TEST(Format, IntegerSpecifiersAsTheServerUsesThem)
{
    const uint8_t id[3] = {0x0A, 0x1B, 0x2C};
    EXPECT_EQ(Format("%.2X.%.2X.%.2X", id[0], id[1], id[2]), "0A.1B.2C");
    EXPECT_EQ(Format(" %.4d", 171), " 0171");
    EXPECT_EQ(Format(" %.4d", 12345), " 12345");
    EXPECT_EQ(Format("%.3d.%.3d.%.3d.%.3d", uint8_t(192), uint8_t(168), uint8_t(1), uint8_t(10)), "192.168.001.010");
    EXPECT_EQ(Format("%.8d", 12345), "00012345");
    EXPECT_EQ(Format("%.8X", 0x12345678u), "12345678");
    EXPECT_EQ(Format("%.8X", 0xA5u), "000000A5");
    EXPECT_EQ(Format("%lu", 4294967295u), "4294967295");
    EXPECT_EQ(Format("%lu", uint32_t(10)), "10");
    EXPECT_EQ(Format("%hu_%hu", uint16_t(2024), uint16_t(3)), "2024_3");
    EXPECT_EQ(Format("%u", 0u), "0");
    EXPECT_EQ(Format("%i", -45), "-45");
    EXPECT_EQ(Format("CRC:%X", uint16_t(0xBEEF)), "CRC:BEEF");
    EXPECT_EQ(Format("%08lx", 0x0409'04E4ul), "040904e4");
    EXPECT_EQ(Format("%.2d", 7), "07");
    EXPECT_EQ(Format("%s (Build %s) %s", "1.2.3", "45", std::string("x")), "1.2.3 (Build 45) x");
}

TEST(Format, IntegerEdgeCases)
{
    struct Case {
        std::string got, want;
    };
    const Case cases[] = {
        {Format("%d", std::numeric_limits<int>::min()), "-2147483648"},
        {Format("%d", std::numeric_limits<long long>::min()), "-9223372036854775808"},
        {Format("%u", std::numeric_limits<unsigned long long>::max()), "18446744073709551615"},
        // Unsigned values print as themselves under %d, never reinterpreted.
        {Format("%d", 4294967295u), "4294967295"},
        // Negative values under %u/%X: two's complement at the argument's promoted width.
        {Format("%u", -1), "4294967295"},
        {Format("%X", -1), "FFFFFFFF"},
        {Format("%X", int16_t(-1)), "FFFFFFFF"},
        {Format("%X", int8_t(-2)), "FFFFFFFE"},
        {Format("%x", -1LL), "ffffffffffffffff"},
        // h and hh convert as C does.
        {Format("%hu", 70000), "4464"},
        {Format("%hd", 65535), "-1"},
        {Format("%hhX", 0x1FF), "FF"},
        // Flags, width, precision.
        {Format("%5d|%-5d|%05d", 42, 42, 42), "   42|42   |00042"},
        {Format("%+d % d %+d", 5, 5, -5), "+5  5 -5"},
        {Format("%05d", -42), "-0042"},
        {Format("%8.4d", 42), "    0042"},
        {Format("%08.4d", 42), "    0042"},  // '0' is ignored with a precision
        {Format("%.0d|%.0d", 0, 1), "|1"},
        {Format("%#x %#X %#o %#x", 255, 255, 8, 0), "0xff 0XFF 010 0"},
        {Format("%o", 8), "10"},
        {Format("%*d|%-*d|%*d", 4, 7, 3, 7, -3, 7), "   7|7  |7  "},
        {Format("%.*d", 3, 7), "007"},
        {Format("%lld %I64d %zu", 1LL, -2LL, size_t(3)), "1 -2 3"},
        {Format("100%%"), "100%"},
        {Format("no specifiers"), "no specifiers"},
        // A char formats as its code under %d; unsigned char is a number anyway.
        {Format("%d %d", 'A', uint8_t(200)), "65 200"},
        {Format("%d", true), "1"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Format, TextAndCharacters)
{
    EXPECT_EQ(Format("%c%c%c", 'A', uint8_t('B'), 67), "ABC");
    EXPECT_EQ(Format("[%5s|%-5s|%.2s|%5.1s]", "ab", "ab", "abcdef", "xyz"), "[   ab|ab   |ab|    x]");
    EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "");
    // Either string type in either format; conversion through the ANSI code page.
    EXPECT_EQ(Format("%s-%s", UnicodeString(L"wide"), L"lit"), "wide-lit");
    EXPECT_EQ(Format(L"%s-%s-%c-%c", AnsiString("narrow"), "lit", 'n', L'w'), L"narrow-lit-n-w");
    EXPECT_EQ(Format(L"%s", std::wstring_view(L"view")), L"view");
    EXPECT_EQ(Format("%s", 'q'), "q");
    // Byte values pass through an AnsiString format unchanged, a NUL included.
    EXPECT_EQ(Format("%c%c", uint8_t(0xE4), uint8_t(0)), std::string("\xE4\0", 2));
    EXPECT_EQ(Format(L"%c", 0x20AC), L"\u20AC");
}

TEST(Format, FloatingPointUsesTheInvariantDot)
{
    EXPECT_EQ(Format("%5.2f", 3.14159), " 3.14");
    EXPECT_EQ(Format("%.2f", 2.675), "2.67");  // the double just below 2.675
    EXPECT_EQ(Format("%f", 1.5), "1.500000");
    EXPECT_EQ(Format("%.0f %.0f", 0.5, 1.5), "0 2");
    EXPECT_EQ(Format("%08.3f", -3.5), "-003.500");
    EXPECT_EQ(Format("%+.1f", 2.0), "+2.0");
    EXPECT_EQ(Format("%e", 12345.678), "1.234568e+04");
    EXPECT_EQ(Format("%E", 0.00015), "1.500000E-04");
    EXPECT_EQ(Format("%g %g %G", 0.0001, 1e20, 1e-10), "0.0001 1e+20 1E-10");
    EXPECT_EQ(Format("%f", 1e300).size(), 301u + 7u);
    EXPECT_EQ(Format("%5f|%F", std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()),
              "  inf|-INF");
    EXPECT_EQ(Format(L"%.3f", 2.0f), L"2.000");
    EXPECT_EQ(Format("%.1Lf", 2.25L), "2.2");
}

TEST(Format, MismatchOrMissingArgumentRaisesConvertError)
{
    EXPECT_THROW(Format("%d", "text"), EConvertError);
    EXPECT_THROW(Format("%d", 1.0), EConvertError);
    EXPECT_THROW(Format("%s", 5), EConvertError);
    EXPECT_THROW(Format("%f", 5), EConvertError);
    EXPECT_THROW(Format("%c", 1.5), EConvertError);
    EXPECT_THROW(Format("%c", 300), EConvertError);  // no such byte
    EXPECT_THROW(Format(L"%c", -1), EConvertError);
    EXPECT_THROW(Format("%*d", "x", 1), EConvertError);
    EXPECT_THROW(Format("%d %d", 1), EConvertError);
    EXPECT_THROW(Format("%"), EConvertError);
    EXPECT_THROW(Format("%5"), EConvertError);
    EXPECT_THROW(Format("%n", 1), EConvertError);
    EXPECT_THROW(Format("%p", 1), EConvertError);
    EXPECT_THROW(Format("%99999999999d", 1), EConvertError);
    EXPECT_EQ(ConvertErrorOf([] { Format(L"%d!", L"x"); }), L"Format '%d!' invalid or incompatible with argument");
    EXPECT_EQ(ConvertErrorOf([] { Format("%s %s", "a"); }), L"No argument for format '%s %s'");
    // Extra arguments are ignored.
    EXPECT_EQ(Format("%d", 1, 2), "1");
}

TEST(IntToStr, AnyIntegerWidth)
{
    EXPECT_EQ(IntToStr(0), L"0");
    EXPECT_EQ(IntToStr(-17), L"-17");
    EXPECT_EQ(IntToStr(uint8_t(200)), L"200");
    EXPECT_EQ(IntToStr(4294967295u), L"4294967295");
    EXPECT_EQ(IntToStr(std::numeric_limits<long long>::min()), L"-9223372036854775808");
}

TEST(IntToHex, DigitsAndWidth)
{
    EXPECT_EQ(IntToHex(255, 2), L"FF");
    EXPECT_EQ(IntToHex(255, 4), L"00FF");
    EXPECT_EQ(IntToHex(0x1234, 2), L"1234");  // never truncated
    EXPECT_EQ(IntToHex(0, 0), L"0");
    EXPECT_EQ(IntToHex(-1, 2), L"FFFFFFFF");
    EXPECT_EQ(IntToHex(int16_t(-1), 1), L"FFFFFFFF");
    EXPECT_EQ(IntToHex(-1LL, 1), L"FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(uint8_t(0xAB), 8), L"000000AB");
}

TEST(StrToInt, DecimalAndHexadecimal)
{
    struct Case {
        const wchar_t* text;
        int want;
    };
    const Case cases[] = {
        {L"0", 0}, {L"123", 123}, {L"-45", -45}, {L"+7", 7}, {L"  12", 12}, {L"007", 7},
        {L"2147483647", 2147483647}, {L"-2147483648", std::numeric_limits<int>::min()},
        {L"$FF", 255}, {L"0x1f", 31}, {L"0X1F", 31}, {L"$7FFFFFFF", 2147483647},
        // Eight hex digits wrap to the signed 32-bit value.
        {L"$FFFFFFFF", -1}, {L"0x80000000", std::numeric_limits<int>::min()}, {L"$000000010", 16},
        {L"-$10", -16},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StrToInt(UnicodeString(c.text)), c.want) << UnicodeToUtf8(c.text);
        EXPECT_EQ(StrToInt(UnicodeToAnsi(c.text)), c.want) << UnicodeToUtf8(c.text);
    }
}

TEST(StrToInt, InvalidTextRaisesWithTheFrameworkMessage)
{
    const wchar_t* bad[] = {L"", L" ", L"-", L"12 ", L"1.5", L"abc", L"$", L"0x", L"$-5", L"2147483648",
                            L"-2147483649", L"$100000000", L"1e3", L"١٢"};
    for (const wchar_t* text : bad) {
        EXPECT_THROW(StrToInt(UnicodeString(text)), EConvertError) << UnicodeToUtf8(text);
        int v = 99;
        EXPECT_FALSE(TryStrToInt(UnicodeString(text), v)) << UnicodeToUtf8(text);
        EXPECT_EQ(v, 99) << "output untouched on failure";
        EXPECT_EQ(StrToIntDef(UnicodeString(text), -7), -7) << UnicodeToUtf8(text);
    }
    EXPECT_EQ(ConvertErrorOf([] { StrToInt(UnicodeString(L"xyz")); }), L"'xyz' is not a valid integer value");
    EXPECT_EQ(ConvertErrorOf([] { StrToInt(AnsiString("1O")); }), L"'1O' is not a valid integer value");
}

TEST(StrToInt64, FullRange)
{
    EXPECT_EQ(StrToInt64(UnicodeString(L"9223372036854775807")), std::numeric_limits<long long>::max());
    EXPECT_EQ(StrToInt64(AnsiString("-9223372036854775808")), std::numeric_limits<long long>::min());
    EXPECT_EQ(StrToInt64(UnicodeString(L"4294967295")), 4294967295LL);
    EXPECT_EQ(StrToInt64(UnicodeString(L"$FFFFFFFF")), 4294967295LL);
    EXPECT_EQ(StrToInt64(UnicodeString(L"$FFFFFFFFFFFFFFFF")), -1);
    EXPECT_THROW(StrToInt64(UnicodeString(L"9223372036854775808")), EConvertError);
    EXPECT_THROW(StrToInt64(UnicodeString(L"$10000000000000000")), EConvertError);
    EXPECT_EQ(StrToInt64Def(UnicodeString(L"x"), 5), 5);
}

TEST(IntegerText, PartsAndTheirValueByWidth)
{
    struct Case {
        const wchar_t* text;
        bool negative;
        bool hex;
        size_t digits;
        unsigned long long magnitude;
    };
    const Case cases[] = {
        {L"0", false, false, 1, 0}, {L"-45", true, false, 2, 45}, {L"+0x001F", false, true, 4, 31},
        {L"$FFFFFFFF", false, true, 8, 0xFFFFFFFFull}, {L"-$80000000", true, true, 8, 0x80000000ull},
        {L"18446744073709551615", false, false, 20, ~0ull}, {L"$00000000000000000001", false, true, 20, 1},
    };
    for (const Case& c : cases) {
        for (const bool wide : {true, false}) {
            TIntegerText parts;
            const bool ok = wide ? TryParseIntegerText(std::wstring_view(c.text), parts)
                                 : TryParseIntegerText(std::string_view(UnicodeToAnsi(c.text)), parts);
            ASSERT_TRUE(ok) << UnicodeToUtf8(c.text);
            EXPECT_EQ(parts.Negative, c.negative) << UnicodeToUtf8(c.text);
            EXPECT_EQ(parts.Hex, c.hex) << UnicodeToUtf8(c.text);
            EXPECT_EQ(parts.Digits, c.digits) << UnicodeToUtf8(c.text);
            EXPECT_EQ(parts.Magnitude, c.magnitude) << UnicodeToUtf8(c.text);
        }
    }
    // No blanks, no second sign, nothing beyond 64 bits.
    for (const wchar_t* bad : {L" 1", L"1 ", L"", L"-", L"$", L"--1", L"$-1", L"0x", L"18446744073709551616",
                               L"$10000000000000000"}) {
        TIntegerText parts;
        EXPECT_FALSE(TryParseIntegerText(std::wstring_view(bad), parts)) << UnicodeToUtf8(bad);
    }

    // The width rule: hexadecimal wraps, decimal must fit the signed range.
    const auto value = [](const wchar_t* text, unsigned bits) -> std::optional<long long> {
        TIntegerText parts;
        long long v = 0;
        if (!TryParseIntegerText(std::wstring_view(text), parts) || !TryIntegerValue(parts, bits, v)) return std::nullopt;
        return v;
    };
    EXPECT_EQ(value(L"$FFFFFFFF", 32), -1);
    EXPECT_EQ(value(L"$FFFFFFFF", 64), 0xFFFFFFFFll);
    EXPECT_EQ(value(L"-$80000000", 32), std::numeric_limits<int>::min());
    EXPECT_EQ(value(L"$100000000", 32), std::nullopt);
    EXPECT_EQ(value(L"2147483648", 32), std::nullopt);
    EXPECT_EQ(value(L"-2147483648", 32), std::numeric_limits<int>::min());
    EXPECT_EQ(value(L"18446744073709551615", 64), std::nullopt);
    EXPECT_EQ(value(L"$FFFFFFFFFFFFFFFF", 64), -1);
}

TEST(Round, HalfToEven)
{
    struct Case {
        long double value;
        long long want;
    };
    const Case cases[] = {
        {14 * 0.75, 10}, {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
        {2.4999, 2}, {2.5001, 3}, {-2.6, -3}, {1e15 + 0.5, 1000000000000000LL},
        {9.2233720368547748e18, 9223372036854774784LL},
    };
    for (const Case& c : cases) EXPECT_EQ(Round(c.value), c.want) << static_cast<double>(c.value);
    EXPECT_EQ(Round(115 * 110 / 96.0), 132);
    EXPECT_THROW(Round(std::numeric_limits<double>::quiet_NaN()), EInvalidOp);
    EXPECT_THROW(Round(std::numeric_limits<double>::infinity()), EInvalidOp);
    EXPECT_THROW(Round(1e19), EInvalidOp);
    EXPECT_EQ(Trunc(-2.9), -2);
    EXPECT_EQ(Trunc(2.9), 2);
    EXPECT_THROW(Trunc(-1e19), EInvalidOp);
}

TEST(MulDiv, IsTheSystemCall)
{
    EXPECT_EQ(MulDiv(115, 110, 96), 132);   // 131.77 -> nearest
    EXPECT_EQ(MulDiv(3, 1, 2), 2);          // 1.5 -> away from zero
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 0x7FFFFFFF, 1), -1);  // overflow
    EXPECT_EQ(MulDiv(0x40000000, 4, 8), 0x20000000);   // 64-bit intermediate
}

TEST(StrToFloat, FollowsTheGivenSeparator)
{
    TFormatSettings german = TFormatSettings::Invariant();
    german.DecimalSeparator = L',';
    german.ThousandSeparator = L'.';
    const TFormatSettings invariant = TFormatSettings::Invariant();

    EXPECT_DOUBLE_EQ(StrToFloat(L"1,5", german), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloat(L" -0,25e2 ", german), -25.0);
    EXPECT_DOUBLE_EQ(StrToFloat(L",5", german), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat(L"3,", german), 3.0);
    EXPECT_DOUBLE_EQ(StrToFloat(L"1.5", invariant), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloat(L"+1E3", invariant), 1000.0);
    EXPECT_DOUBLE_EQ(StrToFloat(L"0.1", invariant), 0.1);

    const wchar_t* bad[] = {L"", L",", L"1.5", L"1.000,5", L"1,5,0", L"e5", L"1e", L"1e+", L"--1", L"1 5", L"1e999",
                            L"inf", L"0x10"};
    for (const wchar_t* text : bad) {
        double v = 7;
        EXPECT_FALSE(TryStrToFloat(text, v, german)) << UnicodeToUtf8(text);
        EXPECT_EQ(v, 7) << "output untouched on failure";
        EXPECT_EQ(StrToFloatDef(text, -1, german), -1) << UnicodeToUtf8(text);
    }
    EXPECT_EQ(ConvertErrorOf([&] { StrToFloat(L"x1", german); }), L"'x1' is not a valid floating point value");
}

TEST(FloatToStr, ShortestTextOfFifteenDigits)
{
    TFormatSettings german = TFormatSettings::Invariant();
    german.DecimalSeparator = L',';
    const TFormatSettings invariant = TFormatSettings::Invariant();
    struct Case {
        double value;
        const wchar_t* want;
    };
    const Case cases[] = {
        {0, L"0"}, {1, L"1"}, {-2.5, L"-2.5"}, {0.1, L"0.1"}, {1.0 / 3, L"0.333333333333333"},
        {0.1 + 0.2, L"0.3"}, {123456789012345.0, L"123456789012345"}, {1e15, L"1E15"},
        {1.5e20, L"1.5E20"}, {0.00001, L"0.00001"}, {0.000001, L"1E-6"}, {-1.25e-7, L"-1.25E-7"},
        {100, L"100"}, {2.0 / 3 * 1e5, L"66666.6666666667"},
    };
    for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.value, invariant), c.want) << c.value;
    EXPECT_EQ(FloatToStr(-2.5, german), L"-2,5");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN(), german), L"NAN");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity(), german), L"-INF");
    // Round trip through the same settings.
    EXPECT_DOUBLE_EQ(StrToFloat(FloatToStr(1234.5678, german), german), 1234.5678);
}
