#include "DateUtils.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace {
struct YMD {
    int y, m, d;
};

// 2026-12-09 (a Wednesday) 08:11:59.007
const TDateTime kSample = EncodeDateTime(2026, 12, 9, 8, 11, 59, 7);

TDateTime FixedNow() { return EncodeDateTime(2026, 12, 9, 14, 30, 0, 0); }

// Installs a fixed clock for one test.
class FixedClock {
public:
    FixedClock() : previous_(SetClock(&FixedNow)) {}
    ~FixedClock() { SetClock(previous_); }
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;

private:
    TClockFunction previous_;
};
} // namespace

TEST(Dates, EncodeAndDecodeAcrossTheWholeRange)
{
    struct Case {
        YMD date;
        double serial;
        int dayOfWeek;
    };
    const Case cases[] = {
        {{1899, 12, 30}, 0, 7},  {{1899, 12, 31}, 1, 1},          {{1899, 12, 29}, -1, 6},
        {{1900, 1, 1}, 2, 2},    {{1970, 1, 1}, 25569, 5},         {{2000, 2, 29}, 36585, 3},
        {{2024, 2, 29}, 45351, 5}, {{2026, 12, 9}, 46365, 4},      {{1, 1, 1}, -693593, 2},
        {{9999, 12, 31}, 2958465, 6},
    };
    for (const Case& c : cases) {
        const TDateTime v = EncodeDate(c.date.y, c.date.m, c.date.d);
        EXPECT_EQ(v, c.serial) << c.date.y << "-" << c.date.m << "-" << c.date.d;
        unsigned short y = 0, m = 0, d = 0;
        DecodeDate(v + (v < 0 ? -0.75 : 0.75), y, m, d);  // the time of day does not move the date
        EXPECT_EQ(y, c.date.y);
        EXPECT_EQ(m, c.date.m);
        EXPECT_EQ(d, c.date.d);
        EXPECT_EQ(DayOfWeek(v), c.dayOfWeek) << c.serial;
    }
}

TEST(Dates, TimeOfDayBeforeAndAfterDayZero)
{
    // Before 1899-12-30 the time counts away from zero: -1.25 is 1899-12-29 06:00.
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
    EXPECT_EQ(EncodeDateTime(1899, 12, 31, 18, 0, 0, 0), 1.75);
    unsigned short y, m, d, h, n, s, ms;
    DecodeDateTime(-1.25, y, m, d, h, n, s, ms);
    EXPECT_EQ((std::array<int, 7>{y, m, d, h, n, s, ms}), (std::array<int, 7>{1899, 12, 29, 6, 0, 0, 0}));
    DecodeDateTime(kSample, y, m, d, h, n, s, ms);
    EXPECT_EQ((std::array<int, 7>{y, m, d, h, n, s, ms}), (std::array<int, 7>{2026, 12, 9, 8, 11, 59, 7}));
    // Rounded to whole milliseconds over the whole value: just below midnight is the next day.
    DecodeDateTime(EncodeDate(2026, 12, 31) + 0.9999999999, y, m, d, h, n, s, ms);
    EXPECT_EQ((std::array<int, 7>{y, m, d, h, n, s, ms}), (std::array<int, 7>{2027, 1, 1, 0, 0, 0, 0}));
    DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
    EXPECT_EQ((std::array<int, 4>{h, n, s, ms}), (std::array<int, 4>{23, 59, 59, 999}));
}

TEST(Dates, InvalidPartsRaiseConvertError)
{
    const YMD badDates[] = {{2026, 2, 29}, {2000, 2, 30}, {1900, 2, 29}, {2026, 4, 31}, {2026, 0, 1},
                            {2026, 13, 1}, {2026, 1, 0},  {2026, 1, 32}, {0, 1, 1},     {10000, 1, 1}, {-5, 1, 1}};
    for (const YMD& b : badDates) {
        EXPECT_THROW(EncodeDate(b.y, b.m, b.d), EConvertError) << b.y << "-" << b.m << "-" << b.d;
        EXPECT_THROW(EncodeDateTime(b.y, b.m, b.d, 0, 0, 0, 0), EConvertError);
        TDateTime untouched = 42;
        EXPECT_FALSE(TryEncodeDate(b.y, b.m, b.d, untouched));
        EXPECT_EQ(untouched, 42);
    }
    const std::array<int, 4> badTimes[] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}};
    for (const auto& t : badTimes) {
        EXPECT_THROW(EncodeTime(t[0], t[1], t[2], t[3]), EConvertError) << t[0] << ":" << t[1] << ":" << t[2];
        EXPECT_THROW(EncodeDateTime(2026, 1, 1, t[0], t[1], t[2], t[3]), EConvertError);
        TDateTime untouched = 42;
        EXPECT_FALSE(TryEncodeDateTime(2026, 1, 1, t[0], t[1], t[2], t[3], untouched));
        EXPECT_EQ(untouched, 42);
    }
    try {
        EncodeDateTime(2026, 2, 30, 8, 5, 0, 0);
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), L"'2026-02-30 08:05:00.000' is not a valid date and time");
    }
    // Six time bytes of a telegram that form no date end in the same error class.
    EXPECT_THROW(EncodeDateTime(2000 + 0xFF, 0, 0, 0, 0, 0, 0), EConvertError);
}

TEST(Dates, ValuesOutsideTheCalendarRaiseOnDecode)
{
    unsigned short y, m, d;
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 2958466.0,
                       -693594.5, 1e300}) {
        EXPECT_THROW(DecodeDate(bad, y, m, d), EConvertError) << bad;
        EXPECT_THROW(FormatDateTime(L"yyyy", bad), EConvertError) << bad;
    }
    EXPECT_NO_THROW(DecodeDate(2958465.5, y, m, d));
}

TEST(Dates, LeapYears)
{
    const std::pair<int, bool> cases[] = {{1900, false}, {2000, true}, {2024, true}, {2026, false},
                                          {2100, false}, {2400, true}, {4, true},    {1, false}};
    for (auto [year, leap] : cases) EXPECT_EQ(IsLeapYear(year), leap) << year;
}

TEST(Dates, DaysInAMonthFollowsLeapYearsAndRejectsOtherMonths)
{
    const std::array<int, 3> cases[] = {{2024, 2, 29}, {2026, 2, 28}, {1900, 2, 28}, {2000, 2, 29}, {2026, 1, 31},
                                        {2026, 4, 30}, {2026, 12, 31}, {2026, 0, 0},  {2026, 13, 0}, {2026, -1, 0}};
    for (const auto& [year, month, days] : cases) EXPECT_EQ(DaysInAMonth(year, month), days) << year << "-" << month;
}

TEST(Dates, IncDayKeepsTheTimeOfDay)
{
    EXPECT_EQ(IncDay(EncodeDate(2024, 2, 28)), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncDay(EncodeDate(2026, 12, 31)), EncodeDate(2027, 1, 1));
    EXPECT_EQ(IncDay(EncodeDate(2026, 3, 1), -1), EncodeDate(2026, 2, 28));
    EXPECT_EQ(IncDay(kSample, 0), kSample);
    // Across day zero, where the time runs the other way.
    EXPECT_EQ(IncDay(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), 2), EncodeDateTime(1899, 12, 31, 6, 0, 0, 0));
    EXPECT_EQ(IncDay(EncodeDateTime(1899, 12, 31, 6, 0, 0, 0), -2), EncodeDateTime(1899, 12, 29, 6, 0, 0, 0));
    EXPECT_EQ(IncDay(0.25, -1), EncodeDateTime(1899, 12, 29, 6, 0, 0, 0));
}

TEST(Dates, DaysBetweenCountsWholeDays)
{
    const TDateTime day = EncodeDate(2026, 12, 9);
    EXPECT_EQ(DaysBetween(day, day), 0);
    EXPECT_EQ(DaysBetween(day + 0.999, day), 0);
    EXPECT_EQ(DaysBetween(day + 1, day), 1);
    EXPECT_EQ(DaysBetween(day, day + 1), 1);
    EXPECT_EQ(DaysBetween(day + 1.5, day + 0.75), 0);
    EXPECT_EQ(DaysBetween(EncodeDate(2027, 12, 9), day), 365);
    EXPECT_EQ(DaysBetween(EncodeDateTime(1899, 12, 29, 12, 0, 0, 0), EncodeDateTime(1899, 12, 31, 12, 0, 0, 0)), 2);
}

TEST(Dates, NowAndDateFollowTheClock)
{
    {
        FixedClock clock;
        EXPECT_EQ(Now(), FixedNow());
        EXPECT_EQ(Date(), EncodeDate(2026, 12, 9));
    }
    const TDateTime now = Now();
    EXPECT_GT(now, EncodeDate(2020, 1, 1));
    EXPECT_GE(now - Date(), 0.0);
    EXPECT_LT(now - Date(), 1.0);
}

TEST(FormatDateTime, PatternLetters)
{
    const TFormatSettings inv = TFormatSettings::Invariant();
    struct Case {
        const wchar_t* format;
        const wchar_t* want;
    };
    const Case cases[] = {
        {L"yyyy-mm-dd hh:mm:ss", L"2026-12-09 08:11:59"},  // second mm: minutes after hh
        {L"dd.mm hh:nn:ss", L"09.12 08:11:59"},
        {L"d.m.yy", L"9.12.26"},
        {L"y yyy", L"26 2026"},
        {L"h:n:s.z", L"8:11:59.7"},
        {L"hh:nn:ss.zzz", L"08:11:59.007"},
        {L"hh:mm", L"08:11"},
        {L"h:m", L"8:11"},
        {L"hh mm", L"08 11"},           // separators do not end the hour context
        {L"hh'h'mm", L"08h11"},         // nor do quoted texts
        {L"mm hh", L"12 08"},           // mm before the hour is the month
        {L"hh dd mm", L"08 09 12"},     // another letter in between: month again
        {L"HH:MM YYYY-MM-DD", L"08:11 2026-12-09"},
        {L"mmm mmmm ddd dddd", L"Dec December Wed Wednesday"},
        {L"'yyyy' yyyy \"hh\"hh", L"yyyy 2026 hh08"},
        {L"yyyy'/'mm", L"2026/12"},
        {L"'unterminated", L"unterminated"},
        {L"x=q!", L"x=q!"},
        {L"ddddd", L"12/09/2026"},
        {L"c", L"12/09/2026 08:11:59"},
        {L"", L"12/09/2026 08:11:59"},
        {L"t|tt", L"08:11|08:11:59"},
        {L"h:nn ampm", L"8:11 AM"},
        {L"hh:nn am/pm|AM/PM|a/p|A/P", L"08:11 am|AM|a|A"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.format, kSample, inv), c.want) << UnicodeToUtf8(c.format);
}

TEST(FormatDateTime, TwelveHourClock)
{
    const TFormatSettings inv = TFormatSettings::Invariant();
    const std::pair<std::array<int, 2>, const wchar_t*> cases[] = {
        {{0, 30}, L"12:30 AM"}, {{11, 59}, L"11:59 AM"}, {{12, 0}, L"12:00 PM"}, {{20, 5}, L"8:05 PM"},
    };
    for (const auto& [hm, want] : cases)
        EXPECT_EQ(FormatDateTime(L"h:nn ampm", EncodeTime(hm[0], hm[1], 0, 0), inv), want) << hm[0];
    EXPECT_EQ(FormatDateTime(L"hh am/pm", EncodeTime(20, 0, 0, 0), inv), L"08 pm");
    EXPECT_EQ(FormatDateTime(L"hh", EncodeTime(20, 0, 0, 0), inv), L"20");
    EXPECT_EQ(FormatDateTime(L"hh 'ampm'", EncodeTime(20, 0, 0, 0), inv), L"20 ampm");  // quoted: 24 hours
}

TEST(FormatDateTime, SeparatorsComeFromTheSettings)
{
    TFormatSettings s = TFormatSettings::Invariant();
    s.DateSeparator = L'.';
    s.TimeSeparator = L'.';
    EXPECT_EQ(FormatDateTime(L"dd/mm/yyyy hh:nn", kSample, s), L"09.12.2026 08.11");
    EXPECT_EQ(FormatDateTime(L"dd'/'mm\":\"", kSample, s), L"09/12:");
    // Stored texts use the invariant settings whatever the user's locale is.
    EXPECT_EQ(FormatDateTime(L"yyyy-mm-dd hh:mm:ss", kSample, TFormatSettings::Invariant()), L"2026-12-09 08:11:59");
}

TEST(FormatDateTime, ElapsedTimeOnTheDateScale)
{
    // Elapsed time shown as a date-time: day 0 is 30 December, so "dd" counts 30, 31, 1, 2 ...
    const TFormatSettings inv = TFormatSettings::Invariant();
    EXPECT_EQ(FormatDateTime(L"dd hh:mm:ss", EncodeTime(5, 4, 3, 0), inv), L"30 05:04:03");
    EXPECT_EQ(FormatDateTime(L"dd hh:mm:ss", 1 + EncodeTime(23, 59, 59, 0), inv), L"31 23:59:59");
    EXPECT_EQ(FormatDateTime(L"dd hh:mm:ss", 2.5, inv), L"01 12:00:00");
}

TEST(LocaleSettings, GermanFromWine)
{
    const TFormatSettings de = TFormatSettings::Create(L"de-DE");
    EXPECT_EQ(de.DecimalSeparator, L',');
    EXPECT_EQ(de.ThousandSeparator, L'.');
    EXPECT_EQ(de.DateSeparator, L'.');
    EXPECT_EQ(de.TimeSeparator, L':');
    EXPECT_EQ(de.ShortDateFormat, L"d.m.yyyy");  // Wine's picture is d.M.yyyy
    EXPECT_EQ(de.LongDateFormat, L"dddd, d. mmmm yyyy");
    EXPECT_EQ(de.LongTimeFormat, L"hh:nn:ss");
    EXPECT_EQ(de.ShortTimeFormat, L"hh:nn");
    EXPECT_EQ(de.CurrencyString, L"\u20AC");
    EXPECT_EQ(de.LongMonthNames[2], L"M\u00E4rz");
    EXPECT_EQ(de.LongDayNames[0], L"Sonntag");
    EXPECT_EQ(de.LongDayNames[1], L"Montag");

    const TDateTime t = EncodeDateTime(2026, 12, 9, 8, 11, 59, 0);
    EXPECT_EQ(DateTimeToStr(t, de), L"9.12.2026 08:11:59");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 9), de), L"9.12.2026");  // midnight: the date alone
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 9) + EncodeTime(0, 0, 0, 1), de), L"9.12.2026 00:00:00");
    EXPECT_EQ(DateToStr(t, de), L"9.12.2026");
    EXPECT_EQ(TimeToStr(t, de), L"08:11:59");
    EXPECT_EQ(TimeToStr(EncodeDate(2026, 12, 9), de), L"00:00:00");
    EXPECT_EQ(FormatDateTime(L"dddddd", t, de), L"Mittwoch, 9. Dezember 2026");
    EXPECT_EQ(FloatToStr(1234.5, de), L"1234,5");
}

TEST(LocaleSettings, UsEnglishFromWine)
{
    const TFormatSettings us = TFormatSettings::Create(L"en-US");
    EXPECT_EQ(us.DecimalSeparator, L'.');
    EXPECT_EQ(us.ThousandSeparator, L',');
    EXPECT_EQ(us.DateSeparator, L'/');
    EXPECT_EQ(us.ShortDateFormat, L"m/d/yyyy");
    EXPECT_EQ(us.LongTimeFormat, L"h:nn:ss ampm");
    EXPECT_EQ(us.TimeAMString, L"AM");
    EXPECT_EQ(us.CurrencyString, L"$");

    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2026, 12, 9, 8, 11, 59, 0), us), L"12/9/2026 8:11:59 AM");
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2026, 12, 9, 20, 5, 0, 0), us), L"12/9/2026 8:05:00 PM");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 1, 2), us), L"1/2/2026");
    EXPECT_EQ(FormatDateTime(L"dddddd", kSample, us), L"Wednesday, December 9, 2026");
}

TEST(LocaleSettings, QuotedAndLetterLiteralsInPictures)
{
    // fr-CA long time is HH 'h' mm 'min' ss 's': the quoted letters stay text.
    const TFormatSettings ca = TFormatSettings::Create(L"fr-CA");
    EXPECT_EQ(TimeToStr(kSample, ca), L"08 h 11 min 59 s");
    EXPECT_EQ(DateToStr(kSample, ca), L"2026-12-09");
    const TFormatSettings es = TFormatSettings::Create(L"es-ES");
    EXPECT_EQ(FormatDateTime(L"dddddd", kSample, es), L"mi\u00E9rcoles, 9 de diciembre de 2026");
}

TEST(LocaleSettings, UnknownLocaleRaises)
{
    EXPECT_THROW(TFormatSettings::Create(L"xx-YY"), EConvertError);
    EXPECT_THROW(TFormatSettings::Create(L""), EConvertError);
}

TEST(LocaleSettings, DefaultOverloadsUseTheGlobalSettings)
{
    const TFormatSettings saved = FormatSettings;
    FormatSettings = TFormatSettings::Create(L"de-DE");
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2026, 12, 9, 8, 11, 59, 0)), L"9.12.2026 08:11:59");
    EXPECT_EQ(FloatToStr(0.5), L"0,5");
    EXPECT_DOUBLE_EQ(StrToFloat(L"0,5"), 0.5);
    FormatSettings = TFormatSettings::Create(L"en-US");
    EXPECT_EQ(DateToStr(EncodeDate(2026, 12, 9)), L"12/9/2026");
    EXPECT_EQ(FloatToStr(0.5), L"0.5");
    FormatSettings = saved;
}

TEST(StrToDate, FollowsTheShortDateOrder)
{
    FixedClock clock;  // current year 2026
    const TFormatSettings de = TFormatSettings::Create(L"de-DE");
    const TFormatSettings us = TFormatSettings::Create(L"en-US");
    const TFormatSettings ca = TFormatSettings::Create(L"fr-CA");
    struct Case {
        const wchar_t* text;
        const TFormatSettings* settings;
        YMD want;
    };
    const Case cases[] = {
        {L"9.12.2026", &de, {2026, 12, 9}},  {L"09.12.2026", &de, {2026, 12, 9}}, {L" 9 . 12 . 2026 ", &de, {2026, 12, 9}},
        {L"9.12.", &de, {2026, 12, 9}},      {L"9.12", &de, {2026, 12, 9}},       {L"29.2.2024", &de, {2024, 2, 29}},
        {L"12/9/2026", &us, {2026, 12, 9}},  {L"12/9", &us, {2026, 12, 9}},       {L"2026-12-09", &ca, {2026, 12, 9}},
        // One or two year digits: the hundred years from 1976 (50 years back) on.
        {L"9.12.26", &de, {2026, 12, 9}},    {L"1.1.76", &de, {1976, 1, 1}},      {L"1.1.75", &de, {2075, 1, 1}},
        {L"1.1.99", &de, {1999, 1, 1}},      {L"1.1.0", &de, {2000, 1, 1}},       {L"1.1.0099", &de, {99, 1, 1}},
    };
    for (const Case& c : cases) {
        TDateTime v = -1;
        ASSERT_TRUE(TryStrToDate(c.text, v, *c.settings)) << UnicodeToUtf8(c.text);
        EXPECT_EQ(v, EncodeDate(c.want.y, c.want.m, c.want.d)) << UnicodeToUtf8(c.text);
    }
    const std::pair<const wchar_t*, const TFormatSettings*> bad[] = {
        {L"", &de},           {L"9", &de},           {L"9.", &de},          {L"31.2.2026", &de},
        {L"9/12/2026", &de},  {L"9.12.2026 08:00", &de}, {L"9.12.20266", &de}, {L"a.b.c", &de},
        {L"13/1/2026", &us},  {L"0.1.2026", &de},    {L"9.12.2026.1", &de}, {L"9.12..", &de},
    };
    for (const auto& [text, settings] : bad) {
        TDateTime v = 42;
        EXPECT_FALSE(TryStrToDate(text, v, *settings)) << UnicodeToUtf8(text);
        EXPECT_EQ(v, 42);
    }
    try {
        StrToDate(L"31.2.2026", de);
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), L"'31.2.2026' is not a valid date");
    }
}
