#pragma once
// Number conversions, printf-style formatting and the locale's format settings.
#include "Exceptions.h"
#include "Strings.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

FW_DECLARE_EXCEPTION(EInvalidOp, Exception);

// ---------------------------------------------------------------------------------------------
// Format

// One argument of Format, tagged with its kind so that a specifier that does not fit the
// argument is reported instead of being undefined. Holds views: valid for the call only.
class TVarRec {
public:
    enum class Kind : unsigned char { Signed, Unsigned, Float, Char, WideChar, Ansi, Unicode };

    // Narrow integers promote to 32 bits as in C, so %X of a negative short gives 8 digits.
    // signed char and unsigned char (uint8_t) are numbers; char and wchar_t are characters.
    template <class T>
        requires(std::is_integral_v<T> && !std::is_same_v<T, char> && !std::is_same_v<T, wchar_t> &&
                 !std::is_same_v<T, char8_t> && !std::is_same_v<T, char16_t> && !std::is_same_v<T, char32_t>)
    TVarRec(T value) noexcept
        : kind_(std::is_signed_v<T> ? Kind::Signed : Kind::Unsigned), bits_(sizeof(T) < 4 ? 32 : sizeof(T) * 8)
    {
        if constexpr (std::is_signed_v<T>) signed_ = value;
        else unsigned_ = value;
    }
    TVarRec(char value) noexcept : kind_(Kind::Char), bits_(32) { signed_ = value; }
    TVarRec(wchar_t value) noexcept : kind_(Kind::WideChar), bits_(16) { unsigned_ = value; }
    TVarRec(double value) noexcept : kind_(Kind::Float) { float_ = value; }
    TVarRec(float value) noexcept : TVarRec(static_cast<double>(value)) {}
    TVarRec(long double value) noexcept : TVarRec(static_cast<double>(value)) {}
    TVarRec(std::string_view value) noexcept : kind_(Kind::Ansi), text_(value.data()), length_(value.size()) {}
    TVarRec(std::wstring_view value) noexcept : kind_(Kind::Unicode), text_(value.data()), length_(value.size()) {}
    TVarRec(const AnsiString& value) noexcept : TVarRec(std::string_view(value)) {}
    TVarRec(const UnicodeString& value) noexcept : TVarRec(std::wstring_view(value)) {}
    // A null pointer formats as an empty text.
    TVarRec(const char* value) noexcept : TVarRec(value ? std::string_view(value) : std::string_view()) {}
    TVarRec(const wchar_t* value) noexcept : TVarRec(value ? std::wstring_view(value) : std::wstring_view()) {}

    Kind kind() const noexcept { return kind_; }
    unsigned bits() const noexcept { return bits_; }
    long long AsSigned() const noexcept { return signed_; }
    unsigned long long AsUnsigned() const noexcept { return unsigned_; }
    double AsFloat() const noexcept { return float_; }
    std::string_view AsAnsi() const noexcept { return {static_cast<const char*>(text_), length_}; }
    std::wstring_view AsUnicode() const noexcept { return {static_cast<const wchar_t*>(text_), length_}; }

private:
    Kind kind_;
    unsigned bits_ = 0;
    union {
        long long signed_ = 0;
        unsigned long long unsigned_;
        double float_;
    };
    const void* text_ = nullptr;
    size_t length_ = 0;
};

// printf-style formatting: flags "-+ 0#", width and precision (digits or '*'), length modifiers
// hh h l ll L I64 I32 j z t, conversions d i u x X o c s f F e E g G and %%. Floats always use '.'.
// Integers print their true value; %u/%x/%o of a negative value give its two's complement at the
// argument's width (at least 32 bits); h and hh convert to 16 and 8 bits as C does. %s takes
// either string type (converted through the ANSI code page) or a character; %c takes a character
// or a character code. A specifier that does not fit its argument, a missing argument, or a
// malformed specifier raises EConvertError. Extra arguments are ignored.
AnsiString FormatArgs(std::string_view format, std::span<const TVarRec> args);
UnicodeString FormatArgs(std::wstring_view format, std::span<const TVarRec> args);

template <class... Args>
AnsiString Format(const AnsiString& format, const Args&... args)
{
    const std::array<TVarRec, sizeof...(Args)> list{TVarRec(args)...};
    return FormatArgs(std::string_view(format), std::span<const TVarRec>(list.data(), list.size()));
}

template <class... Args>
UnicodeString Format(const UnicodeString& format, const Args&... args)
{
    const std::array<TVarRec, sizeof...(Args)> list{TVarRec(args)...};
    return FormatArgs(std::wstring_view(format), std::span<const TVarRec>(list.data(), list.size()));
}

// ---------------------------------------------------------------------------------------------
// Integers

template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
UnicodeString IntToStr(T value)
{
    if constexpr (std::is_signed_v<T>) return std::to_wstring(static_cast<long long>(value));
    else return std::to_wstring(static_cast<unsigned long long>(value));
}

// Upper-case hexadecimal, at least `digits` digits; a negative value gives its two's complement
// at its own width (at least 32 bits).
template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
UnicodeString IntToHex(T value, int digits)
{
    using Wide = std::conditional_t<(sizeof(T) < 4), uint32_t, std::make_unsigned_t<T>>;
    auto bits = static_cast<Wide>(value);
    UnicodeString out;
    do {
        out.insert(out.begin(), L"0123456789ABCDEF"[bits & 0xF]);
        bits = static_cast<Wide>(bits >> 4);
    } while (bits != 0);
    const size_t width = digits < 0 ? 0 : static_cast<size_t>(digits < 64 ? digits : 64);
    if (out.size() < width) out.insert(0, width - out.size(), L'0');
    return out;
}

// Decimal with optional sign, or hexadecimal after "$" or "0x"; leading blanks are skipped,
// nothing may follow the number. Hexadecimal of up to 32 bits wraps to a signed value
// ("$FFFFFFFF" is -1); decimal out of range fails. Failure raises EConvertError
// "'text' is not a valid integer value".
int StrToInt(const UnicodeString& text);
int StrToInt(const AnsiString& text);
int StrToIntDef(const UnicodeString& text, int defaultValue);
int StrToIntDef(const AnsiString& text, int defaultValue);
bool TryStrToInt(const UnicodeString& text, int& value);
bool TryStrToInt(const AnsiString& text, int& value);
long long StrToInt64(const UnicodeString& text);
long long StrToInt64(const AnsiString& text);
long long StrToInt64Def(const UnicodeString& text, long long defaultValue);
bool TryStrToInt64(const UnicodeString& text, long long& value);
bool TryStrToInt64(const AnsiString& text, long long& value);

// The parts of an integer text as the conversions above read it, without blanks: an optional
// sign, then decimal digits or hexadecimal digits after "$" or "0x". False for any other text or
// a magnitude beyond 64 bits. For conversions with range rules of their own.
struct TIntegerText {
    bool Negative = false;
    bool Hex = false;
    size_t Digits = 0; // after the prefix, leading zeros included
    unsigned long long Magnitude = 0;
};
bool TryParseIntegerText(std::wstring_view text, TIntegerText& parts);
bool TryParseIntegerText(std::string_view text, TIntegerText& parts);
// The parts as a `bits`-wide signed integer (32 or 64) by StrToInt's rule: hexadecimal may use
// every bit and wraps to negative, decimal must stay within the signed range.
bool TryIntegerValue(const TIntegerText& parts, unsigned bits, long long& value);

// ---------------------------------------------------------------------------------------------
// Numbers

// Round half to even (14 * 0.75 -> 10, 2.5 -> 2, -2.5 -> -2), like the framework's Round.
// NaN, infinity or a result outside 64 bits raise EInvalidOp.
long long Round(long double value);
// Truncation toward zero, same range rule.
long long Trunc(long double value);

// The Win32 MulDiv itself: 64-bit intermediate, rounded to nearest with halves away from zero,
// -1 on a zero divisor or overflow. Declared exactly as the system header does.
extern "C" __declspec(dllimport) int __stdcall MulDiv(int nNumber, int nNumerator, int nDenominator);

// ---------------------------------------------------------------------------------------------
// Format settings

// Locale texts and patterns. Date and time patterns are in FormatDateTime's syntax, converted
// from the Windows pictures: d.M.yyyy -> d.m.yyyy, HH:mm:ss -> hh:nn:ss, h:mm:ss tt -> h:nn:ss ampm.
struct TFormatSettings {
    wchar_t DecimalSeparator = L'.';
    wchar_t ThousandSeparator = L',';
    wchar_t DateSeparator = L'/';
    wchar_t TimeSeparator = L':';
    UnicodeString CurrencyString = L"\u00A4";
    UnicodeString ShortDateFormat = L"mm/dd/yyyy";
    UnicodeString LongDateFormat = L"dddd, dd mmmm yyyy";
    UnicodeString ShortTimeFormat = L"hh:nn";
    UnicodeString LongTimeFormat = L"hh:nn:ss";
    UnicodeString TimeAMString = L"AM";
    UnicodeString TimePMString = L"PM";
    std::array<UnicodeString, 12> ShortMonthNames{L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                                  L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    std::array<UnicodeString, 12> LongMonthNames{L"January", L"February", L"March",     L"April",
                                                 L"May",     L"June",     L"July",      L"August",
                                                 L"September", L"October", L"November", L"December"};
    // Index 0 is Sunday, as DayOfWeek - 1.
    std::array<UnicodeString, 7> ShortDayNames{L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
    std::array<UnicodeString, 7> LongDayNames{L"Sunday", L"Monday", L"Tuesday", L"Wednesday",
                                              L"Thursday", L"Friday", L"Saturday"};
    int TwoDigitYearCenturyWindow = 50;

    // Settings of the user's default locale.
    static TFormatSettings Create();
    // Settings of a named locale ("de-DE", "en-US"); an unknown name raises EConvertError.
    static TFormatSettings Create(const UnicodeString& localeName);
    // The culture-neutral settings above ('.' decimal, mm/dd/yyyy, hh:nn:ss) for stored texts.
    static TFormatSettings Invariant();
};

// Process-wide settings of the user's default locale, read when the program starts and again by
// GetFormatSettings (on a locale change). Written only on the main thread.
extern TFormatSettings FormatSettings;
void GetFormatSettings();

// ---------------------------------------------------------------------------------------------
// Floating point

// Plain decimal text with the settings' decimal separator, optional sign and exponent; leading
// and trailing blanks are allowed, thousand separators are not. Failure raises EConvertError
// "'text' is not a valid floating point value".
double StrToFloat(const UnicodeString& text);
double StrToFloat(const UnicodeString& text, const TFormatSettings& settings);
double StrToFloatDef(const UnicodeString& text, double defaultValue);
double StrToFloatDef(const UnicodeString& text, double defaultValue, const TFormatSettings& settings);
bool TryStrToFloat(const UnicodeString& text, double& value);
bool TryStrToFloat(const UnicodeString& text, double& value, const TFormatSettings& settings);

// Shortest text of the value rounded to 15 significant digits: fixed notation unless the value
// needs more than 15 integer digits or is below 1E-5, then "1.5E20" / "1E-7" form.
UnicodeString FloatToStr(double value);
UnicodeString FloatToStr(double value, const TFormatSettings& settings);

// ---------------------------------------------------------------------------------------------
// Resources

// The string with this identifier from the program's own string table; empty when it has none.
UnicodeString LoadStr(int ident);
