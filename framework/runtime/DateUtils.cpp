#include "DateUtils.h"

#include <windows.h>

#include <atomic>
#include <cmath>

namespace {
// Day numbers of 0001-01-01 and 9999-12-31 on the TDateTime scale.
constexpr long long kFirstDay = -693593;
constexpr long long kLastDay = 2958465;
// 1970-01-01 on the TDateTime scale.
constexpr long long kUnixEpochDay = 25569;

std::atomic<TClockFunction> g_clock{nullptr};

TDateTime SystemClock()
{
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return EncodeDateTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

// Proleptic Gregorian day arithmetic (days relative to 1970-01-01), valid for any year.
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

// A moment as a day number and the milliseconds into that day (always 0 .. MSecsPerDay-1).
struct Moment {
    long long day = 0;
    long long msec = 0;

    long long Linear() const { return day * MSecsPerDay + msec; }
    static Moment FromLinear(long long linear)
    {
        Moment m;
        m.day = linear / MSecsPerDay;
        m.msec = linear % MSecsPerDay;
        if (m.msec < 0) {
            m.msec += MSecsPerDay;
            --m.day;
        }
        return m;
    }
    TDateTime Value() const
    {
        const double time = static_cast<double>(msec) / static_cast<double>(MSecsPerDay);
        return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
    }
};

[[noreturn]] void InvalidValue()
{
    throw EConvertError(L"Invalid argument to date decode");
}

// The integer part is the day, the fraction's magnitude the time, rounded to whole milliseconds
// over the whole value as the framework does (23:59:59.9996 is the next day's midnight).
Moment ToMoment(TDateTime value)
{
    if (!std::isfinite(value) || value <= static_cast<double>(kFirstDay - 1) ||
        value >= static_cast<double>(kLastDay + 1))
        InvalidValue();
    const long long total = static_cast<long long>(std::nearbyint(value * static_cast<double>(MSecsPerDay)));
    Moment m;
    m.day = total / MSecsPerDay;
    m.msec = (total < 0 ? -total : total) % MSecsPerDay;
    if (m.day < kFirstDay || m.day > kLastDay) InvalidValue();
    return m;
}

struct Parts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    int dayOfWeek = 0;  // 1 = Sunday
    long long timeMsec = 0;
};

Parts Split(TDateTime value)
{
    const Moment m = ToMoment(value);
    Parts p;
    CivilFromDays(m.day - kUnixEpochDay, p.year, p.month, p.day);
    p.timeMsec = m.msec;
    p.hour = static_cast<int>(m.msec / 3600000);
    p.minute = static_cast<int>(m.msec / 60000 % 60);
    p.second = static_cast<int>(m.msec / 1000 % 60);
    p.msec = static_cast<int>(m.msec % 1000);
    // Day 0 (1899-12-30) was a Saturday.
    p.dayOfWeek = static_cast<int>(((m.day % 7) + 7 + 6) % 7) + 1;
    return p;
}

// ---------------------------------------------------------------------------------------------
// FormatDateTime

class DateFormatter {
public:
    DateFormatter(TDateTime value, const TFormatSettings& settings) : parts_(Split(value)), settings_(settings) {}

    UnicodeString Run(std::wstring_view format)
    {
        Append(format, 0);
        return std::move(out_);
    }

private:
    static wchar_t Upper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

    static bool StartsWithNoCase(std::wstring_view text, size_t at, std::wstring_view word)
    {
        if (text.size() - at < word.size()) return false;
        for (size_t k = 0; k < word.size(); ++k)
            if (Upper(text[at + k]) != Upper(word[k])) return false;
        return true;
    }

    // True when the format holds an AM/PM marker outside quotes: h then counts 1 to 12.
    static bool HasAmPm(std::wstring_view format)
    {
        wchar_t quote = 0;
        for (size_t i = 0; i < format.size(); ++i) {
            const wchar_t c = format[i];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == L'"' || c == L'\'') {
                quote = c;
            } else if (StartsWithNoCase(format, i, L"ampm") || StartsWithNoCase(format, i, L"am/pm") ||
                       StartsWithNoCase(format, i, L"a/p")) {
                return true;
            }
        }
        return false;
    }

    void Number(int value, size_t minDigits)
    {
        UnicodeString digits = std::to_wstring(value);
        if (digits.size() < minDigits) out_.append(minDigits - digits.size(), L'0');
        out_ += digits;
    }

    // Nested standard formats (c, t, ddddd ...) refer to the settings' patterns; depth guards
    // against patterns that name each other.
    void Append(std::wstring_view format, int depth)
    {
        if (depth > 2) return;
        const bool twelveHour = HasAmPm(format);
        wchar_t lastLetter = 0;
        size_t i = 0;
        while (i < format.size()) {
            const wchar_t c = format[i];
            wchar_t token = Upper(c);
            if (token >= L'A' && token <= L'Z') {
                if (token == L'M' && lastLetter == L'H') token = L'N';
                lastLetter = token;
            }
            auto runOf = [&](wchar_t letter) {
                size_t n = 0;
                while (i + n < format.size() && Upper(format[i + n]) == letter) ++n;
                i += n;
                return n;
            };
            switch (token) {
            case L'"':
            case L'\'': {
                const size_t close = format.find(c, i + 1);
                const size_t end = close == std::wstring_view::npos ? format.size() : close;
                out_ += format.substr(i + 1, end - i - 1);
                i = close == std::wstring_view::npos ? format.size() : close + 1;
                break;
            }
            case L'Y':
                if (runOf(L'Y') <= 2) Number(parts_.year % 100, 2);
                else Number(parts_.year, 4);
                break;
            case L'M': {
                const size_t n = runOf(L'M');
                if (n <= 2) Number(parts_.month, n);
                else if (n == 3) out_ += settings_.ShortMonthNames[static_cast<size_t>(parts_.month - 1)];
                else out_ += settings_.LongMonthNames[static_cast<size_t>(parts_.month - 1)];
                break;
            }
            case L'N': {
                // Minutes, also for m/mm right after an hour.
                const size_t n = Upper(c) == L'M' ? runOf(L'M') : runOf(L'N');
                Number(parts_.minute, n == 1 ? 1 : 2);
                break;
            }
            case L'D': {
                const size_t n = runOf(L'D');
                if (n <= 2) Number(parts_.day, n);
                else if (n == 3) out_ += settings_.ShortDayNames[static_cast<size_t>(parts_.dayOfWeek - 1)];
                else if (n == 4) out_ += settings_.LongDayNames[static_cast<size_t>(parts_.dayOfWeek - 1)];
                else if (n == 5) Append(settings_.ShortDateFormat, depth + 1);
                else Append(settings_.LongDateFormat, depth + 1);
                break;
            }
            case L'H': {
                int hour = parts_.hour;
                if (twelveHour) {
                    hour %= 12;
                    if (hour == 0) hour = 12;
                }
                Number(hour, runOf(L'H') == 1 ? 1 : 2);
                break;
            }
            case L'S': Number(parts_.second, runOf(L'S') == 1 ? 1 : 2); break;
            case L'Z':
                if (runOf(L'Z') <= 2) Number(parts_.msec, 1);
                else Number(parts_.msec, 3);
                break;
            case L'T':
                if (runOf(L'T') == 1) Append(settings_.ShortTimeFormat, depth + 1);
                else Append(settings_.LongTimeFormat, depth + 1);
                break;
            case L'C':
                runOf(L'C');
                Append(settings_.ShortDateFormat, depth + 1);
                if (parts_.timeMsec != 0) {
                    out_ += L' ';
                    Append(settings_.LongTimeFormat, depth + 1);
                }
                break;
            case L'A': AmPm(format, i); break;
            case L'/':
                out_ += settings_.DateSeparator;
                ++i;
                break;
            case L':':
                out_ += settings_.TimeSeparator;
                ++i;
                break;
            default:
                out_ += c;
                ++i;
                break;
            }
        }
    }

    void AmPm(std::wstring_view format, size_t& i)
    {
        const bool pm = parts_.hour >= 12;
        if (StartsWithNoCase(format, i, L"ampm")) {
            out_ += pm ? settings_.TimePMString : settings_.TimeAMString;
            i += 4;
        } else if (StartsWithNoCase(format, i, L"am/pm")) {
            // Written as in the format: "AM/PM" gives "PM", "am/pm" gives "pm".
            out_ += pm ? format.substr(i + 3, 2) : format.substr(i, 2);
            i += 5;
        } else if (StartsWithNoCase(format, i, L"a/p")) {
            out_ += pm ? format[i + 2] : format[i];
            i += 3;
        } else {
            out_ += format[i++];
        }
    }

    Parts parts_;
    const TFormatSettings& settings_;
    UnicodeString out_;
};

// ---------------------------------------------------------------------------------------------
// StrToDate

enum class DateOrder { MDY, DMY, YMD };

DateOrder OrderOf(std::wstring_view format)
{
    for (wchar_t c : format) {
        switch (c) {
        case L'y': case L'Y': return DateOrder::YMD;
        case L'm': case L'M': return DateOrder::MDY;
        case L'd': case L'D': return DateOrder::DMY;
        default: break;
        }
    }
    return DateOrder::MDY;
}

class DateScanner {
public:
    explicit DateScanner(std::wstring_view text) : text_(text) {}

    void SkipBlanks()
    {
        while (pos_ < text_.size() && text_[pos_] == L' ') ++pos_;
    }

    bool Char(wchar_t c)
    {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // Up to four digits.
    bool Number(int& value, size_t& digits)
    {
        SkipBlanks();
        value = 0;
        digits = 0;
        while (pos_ < text_.size() && text_[pos_] >= L'0' && text_[pos_] <= L'9' && digits < 4) {
            value = value * 10 + static_cast<int>(text_[pos_++] - L'0');
            ++digits;
        }
        return digits > 0;
    }

    bool AtEnd()
    {
        SkipBlanks();
        return pos_ == text_.size();
    }

private:
    std::wstring_view text_;
    size_t pos_ = 0;
};

bool ParseDate(const UnicodeString& text, TDateTime& value, const TFormatSettings& settings)
{
    const DateOrder order = OrderOf(settings.ShortDateFormat);
    const wchar_t sep = settings.DateSeparator;
    DateScanner scan(text);
    int n1 = 0, n2 = 0, n3 = 0;
    size_t l1 = 0, l2 = 0, l3 = 0;
    if (!scan.Number(n1, l1) || !scan.Char(sep) || !scan.Number(n2, l2)) return false;

    unsigned short currentYear = 0, unusedMonth = 0, unusedDay = 0;
    DecodeDate(Now(), currentYear, unusedMonth, unusedDay);
    int year = currentYear, month = 0, day = 0;
    // "9.12." (a separator after the second number and nothing more) has no year either.
    if (scan.Char(sep) && !scan.AtEnd()) {
        if (!scan.Number(n3, l3)) return false;
        size_t yearDigits = l3;
        switch (order) {
        case DateOrder::MDY: year = n3; month = n1; day = n2; break;
        case DateOrder::DMY: year = n3; month = n2; day = n1; break;
        case DateOrder::YMD: year = n1; month = n2; day = n3; yearDigits = l1; break;
        }
        if (yearDigits <= 2) {
            // The hundred years starting TwoDigitYearCenturyWindow years ago.
            const int base = currentYear - settings.TwoDigitYearCenturyWindow;
            year += base / 100 * 100;
            if (settings.TwoDigitYearCenturyWindow > 0 && year < base) year += 100;
        }
    } else if (order == DateOrder::DMY) {
        day = n1;
        month = n2;
    } else {
        month = n1;
        day = n2;
    }
    scan.Char(sep);  // a trailing separator is allowed
    if (!scan.AtEnd()) return false;
    return TryEncodeDate(year, month, day, value);
}
} // namespace

// ---------------------------------------------------------------------------------------------

TClockFunction SetClock(TClockFunction clock) { return g_clock.exchange(clock); }

TDateTime Now()
{
    const TClockFunction clock = g_clock.load();
    return clock ? clock() : SystemClock();
}

TDateTime Date() { return std::floor(Now()); }

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month)) return false;
    date = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                               kUnixEpochDay);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& time)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    const long long total = ((hour * 60LL + minute) * 60 + second) * 1000 + msec;
    time = static_cast<double>(total) / static_cast<double>(MSecsPerDay);
    return true;
}

bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec, TDateTime& value)
{
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, minute, second, msec, time)) return false;
    value = date < 0 ? date - time : date + time;
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime v = 0;
    if (!TryEncodeDate(year, month, day, v)) throw EConvertError(L"Invalid argument to date encode");
    return v;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    TDateTime v = 0;
    if (!TryEncodeTime(hour, minute, second, msec, v)) throw EConvertError(L"Invalid argument to time encode");
    return v;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec)
{
    TDateTime v = 0;
    if (!TryEncodeDateTime(year, month, day, hour, minute, second, msec, v))
        throw EConvertError(Format(L"'%.4d-%.2d-%.2d %.2d:%.2d:%.2d.%.3d' is not a valid date and time", year, month,
                                   day, hour, minute, second, msec));
    return v;
}

void DecodeDate(TDateTime value, unsigned short& year, unsigned short& month, unsigned short& day)
{
    const Parts p = Split(value);
    year = static_cast<unsigned short>(p.year);
    month = static_cast<unsigned short>(p.month);
    day = static_cast<unsigned short>(p.day);
}

void DecodeTime(TDateTime value, unsigned short& hour, unsigned short& minute, unsigned short& second,
                unsigned short& msec)
{
    const Parts p = Split(value);
    hour = static_cast<unsigned short>(p.hour);
    minute = static_cast<unsigned short>(p.minute);
    second = static_cast<unsigned short>(p.second);
    msec = static_cast<unsigned short>(p.msec);
}

void DecodeDateTime(TDateTime value, unsigned short& year, unsigned short& month, unsigned short& day,
                    unsigned short& hour, unsigned short& minute, unsigned short& second, unsigned short& msec)
{
    const Parts p = Split(value);
    year = static_cast<unsigned short>(p.year);
    month = static_cast<unsigned short>(p.month);
    day = static_cast<unsigned short>(p.day);
    hour = static_cast<unsigned short>(p.hour);
    minute = static_cast<unsigned short>(p.minute);
    second = static_cast<unsigned short>(p.second);
    msec = static_cast<unsigned short>(p.msec);
}

TDateTime IncDay(TDateTime value, int days)
{
    const Moment m = ToMoment(value);
    return Moment::FromLinear(m.Linear() + days * MSecsPerDay).Value();
}

int DaysBetween(TDateTime now, TDateTime then)
{
    const long long span = ToMoment(now).Linear() - ToMoment(then).Linear();
    return static_cast<int>((span < 0 ? -span : span) / MSecsPerDay);
}

int DayOfWeek(TDateTime value) { return Split(value).dayOfWeek; }

UnicodeString FormatDateTime(const UnicodeString& format, TDateTime value)
{
    return FormatDateTime(format, value, FormatSettings);
}

UnicodeString FormatDateTime(const UnicodeString& format, TDateTime value, const TFormatSettings& settings)
{
    // An empty format means "c", as in the framework.
    return DateFormatter(value, settings).Run(format.empty() ? std::wstring_view(L"c") : std::wstring_view(format));
}

UnicodeString DateTimeToStr(TDateTime value) { return DateTimeToStr(value, FormatSettings); }
UnicodeString DateTimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(L"c", value, settings);
}

UnicodeString DateToStr(TDateTime value) { return DateToStr(value, FormatSettings); }
UnicodeString DateToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(L"ddddd", value, settings);
}

UnicodeString TimeToStr(TDateTime value) { return TimeToStr(value, FormatSettings); }
UnicodeString TimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(L"tt", value, settings);
}

bool TryStrToDate(const UnicodeString& text, TDateTime& value) { return ParseDate(text, value, FormatSettings); }
bool TryStrToDate(const UnicodeString& text, TDateTime& value, const TFormatSettings& settings)
{
    return ParseDate(text, value, settings);
}

TDateTime StrToDate(const UnicodeString& text) { return StrToDate(text, FormatSettings); }
TDateTime StrToDate(const UnicodeString& text, const TFormatSettings& settings)
{
    TDateTime v = 0;
    if (!ParseDate(text, v, settings)) throw EConvertError(L"'" + text + L"' is not a valid date");
    return v;
}
