#pragma once
// Date and time values and their texts. A TDateTime counts days since 1899-12-30 00:00; the
// fraction is the time of day. Before that day the value is -(days + time): -1.25 is
// 1899-12-29 06:00. Values decode to whole milliseconds; years run from 1 to 9999.
#include "SysUtils.h"

using TDateTime = double;

inline constexpr long long MSecsPerDay = 86400000;

// Local date and time (Now) and today at midnight (Date), from the clock below.
TDateTime Now();
TDateTime Date();

// The clock behind Now and Date. Tests install a fixed one; nullptr restores the system clock.
// Returns the clock that was installed before.
using TClockFunction = TDateTime (*)();
TClockFunction SetClock(TClockFunction clock);

bool IsLeapYear(int year);
// Days of the month (1 to 12) in the year; 0 for any other month.
int DaysInAMonth(int year, int month);

// Invalid parts (month 13, 30 February, hour 24, year 0 or 10000 ...) make Try* return false
// and leave the result untouched; the others raise EConvertError.
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& time);
bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec, TDateTime& value);
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec);

// A value outside the years 1 to 9999 (or NaN) raises EConvertError.
void DecodeDate(TDateTime value, unsigned short& year, unsigned short& month, unsigned short& day);
void DecodeTime(TDateTime value, unsigned short& hour, unsigned short& minute, unsigned short& second,
                unsigned short& msec);
void DecodeDateTime(TDateTime value, unsigned short& year, unsigned short& month, unsigned short& day,
                    unsigned short& hour, unsigned short& minute, unsigned short& second, unsigned short& msec);

// Same time of day, `days` days later (earlier when negative), across 1899-12-30 as well.
TDateTime IncDay(TDateTime value, int days = 1);
// Whole days between the two moments; a part day does not count.
int DaysBetween(TDateTime now, TDateTime then);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// Pattern letters, case-insensitive:
//   y yy (two-digit year), yyy yyyy (four digits); m mm (month, without/with leading zero),
//   mmm mmmm (short/long month name); d dd, ddd dddd (short/long day name), ddddd (short date),
//   dddddd (long date); h hh; n nn (minutes); s ss; z (milliseconds), zzz (three digits);
//   t (short time), tt (long time), c (short date, and long time unless at midnight);
//   ampm (the settings' AM/PM texts), am/pm and a/p (as written) switch h to the 12-hour clock;
//   m or mm after an h or hh letter means minutes: "hh:mm" is hours and minutes.
//   '/' and ':' give the settings' date and time separators.
//   Text in "double" or 'single' quotes is copied as it stands; any other character too.
//   An empty format means "c".
UnicodeString FormatDateTime(const UnicodeString& format, TDateTime value);
UnicodeString FormatDateTime(const UnicodeString& format, TDateTime value, const TFormatSettings& settings);

// Short date, a blank and the long time; the short date alone at exactly midnight.
UnicodeString DateTimeToStr(TDateTime value);
UnicodeString DateTimeToStr(TDateTime value, const TFormatSettings& settings);
UnicodeString DateToStr(TDateTime value);
UnicodeString DateToStr(TDateTime value, const TFormatSettings& settings);
UnicodeString TimeToStr(TDateTime value);
UnicodeString TimeToStr(TDateTime value, const TFormatSettings& settings);

// Two or three numbers separated by the settings' date separator, in the order of the short date
// format; without the year the current year is taken, and a year of one or two digits falls in
// the hundred years that start TwoDigitYearCenturyWindow years before now. Blanks around the
// parts and one trailing separator ("9.12.") are allowed. StrToDate raises EConvertError "'text' is not a valid date".
bool TryStrToDate(const UnicodeString& text, TDateTime& value);
bool TryStrToDate(const UnicodeString& text, TDateTime& value, const TFormatSettings& settings);
TDateTime StrToDate(const UnicodeString& text);
TDateTime StrToDate(const UnicodeString& text, const TFormatSettings& settings);
