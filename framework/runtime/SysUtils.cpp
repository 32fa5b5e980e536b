#include "SysUtils.h"

#include <windows.h>

#include <charconv>
#include <cmath>
#include <string>

namespace {
// ---------------------------------------------------------------------------------------------
// Format

// Caps width and precision so that a stray specifier cannot ask for gigabytes.
constexpr int kMaxField = 4096;

UnicodeString Widen(std::string_view text) { return AnsiToUnicode(text); }
UnicodeString Widen(std::wstring_view text) { return UnicodeString(text); }

template <class C>
std::basic_string<C> FromAscii(std::string_view text)
{
    return std::basic_string<C>(text.begin(), text.end());
}

struct Specifier {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    int width = 0;
    int precision = -1;  // -1: none given
    unsigned lengthBits = 0;  // 8 (hh), 16 (h); 0: no narrowing
    char conversion = 0;
};

template <class C>
class Formatter {
public:
    using String = std::basic_string<C>;
    using View = std::basic_string_view<C>;

    Formatter(View format, std::span<const TVarRec> args) : format_(format), args_(args) {}

    String Run()
    {
        size_t i = 0;
        while (i < format_.size()) {
            const C c = format_[i++];
            if (c != C('%')) {
                out_.push_back(c);
                continue;
            }
            if (i < format_.size() && format_[i] == C('%')) {
                out_.push_back(c);
                ++i;
                continue;
            }
            Convert(Parse(i));
        }
        return std::move(out_);
    }

private:
    [[noreturn]] void Invalid() const
    {
        throw EConvertError(L"Format '" + Widen(format_) + L"' invalid or incompatible with argument");
    }

    const TVarRec& NextArg()
    {
        if (next_ >= args_.size()) throw EConvertError(L"No argument for format '" + Widen(format_) + L"'");
        return args_[next_++];
    }

    bool At(size_t i, char c) const { return i < format_.size() && format_[i] == C(c); }
    bool IsDigit(size_t i) const { return i < format_.size() && format_[i] >= C('0') && format_[i] <= C('9'); }

    int Number(size_t& i)
    {
        int value = 0;
        while (IsDigit(i)) {
            value = value * 10 + static_cast<int>(format_[i++] - C('0'));
            if (value > kMaxField) Invalid();
        }
        return value;
    }

    int StarArgument()
    {
        const TVarRec& a = NextArg();
        long long v;
        if (a.kind() == TVarRec::Kind::Signed) v = a.AsSigned();
        else if (a.kind() == TVarRec::Kind::Unsigned && a.AsUnsigned() <= static_cast<unsigned long long>(kMaxField))
            v = static_cast<long long>(a.AsUnsigned());
        else Invalid();
        if (v > kMaxField || v < -kMaxField) Invalid();
        return static_cast<int>(v);
    }

    Specifier Parse(size_t& i)
    {
        Specifier s;
        for (;; ++i) {
            if (At(i, '-')) s.left = true;
            else if (At(i, '+')) s.plus = true;
            else if (At(i, ' ')) s.space = true;
            else if (At(i, '#')) s.alt = true;
            else if (At(i, '0')) s.zero = true;
            else break;
        }
        if (At(i, '*')) {
            ++i;
            s.width = StarArgument();
            if (s.width < 0) {
                s.left = true;
                s.width = -s.width;
            }
        } else {
            s.width = Number(i);
        }
        if (At(i, '.')) {
            ++i;
            if (At(i, '*')) {
                ++i;
                s.precision = StarArgument();
                if (s.precision < 0) s.precision = -1;
            } else {
                s.precision = Number(i);
            }
        }
        // Length modifiers: only h and hh change the value; the others name the width the
        // argument already has.
        if (At(i, 'h')) {
            ++i;
            s.lengthBits = 16;
            if (At(i, 'h')) {
                ++i;
                s.lengthBits = 8;
            }
        } else if (At(i, 'l')) {
            ++i;
            if (At(i, 'l')) ++i;
        } else if (At(i, 'I')) {
            ++i;
            if ((At(i, '6') && At(i + 1, '4')) || (At(i, '3') && At(i + 1, '2'))) i += 2;
        } else if (At(i, 'L') || At(i, 'j') || At(i, 'z') || At(i, 't')) {
            ++i;
        }
        if (i >= format_.size()) Invalid();
        const C conv = format_[i++];
        static constexpr std::string_view kConversions = "diuxXocsfFeEgG";
        if (conv > C(0x7F) || kConversions.find(static_cast<char>(conv)) == std::string_view::npos) Invalid();
        s.conversion = static_cast<char>(conv);
        return s;
    }

    // Writes prefix + body into a field of s.width; zeros go between prefix and body.
    void Emit(const Specifier& s, const String& prefix, const String& body, bool zeroPad)
    {
        const size_t length = prefix.size() + body.size();
        const size_t fill = static_cast<size_t>(s.width) > length ? static_cast<size_t>(s.width) - length : 0;
        if (s.left) {
            out_ += prefix;
            out_ += body;
            out_.append(fill, C(' '));
        } else if (zeroPad) {
            out_ += prefix;
            out_.append(fill, C('0'));
            out_ += body;
        } else {
            out_.append(fill, C(' '));
            out_ += prefix;
            out_ += body;
        }
    }

    void Convert(const Specifier& s)
    {
        switch (s.conversion) {
        case 'd': case 'i': case 'u': case 'x': case 'X': case 'o': Integer(s); break;
        case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': Float(s); break;
        case 'c': Character(s); break;
        default: Text(s); break;
        }
    }

    void Integer(const Specifier& s)
    {
        const TVarRec& a = NextArg();
        const bool isSigned = a.kind() == TVarRec::Kind::Signed || a.kind() == TVarRec::Kind::Char;
        if (!isSigned && a.kind() != TVarRec::Kind::Unsigned && a.kind() != TVarRec::Kind::WideChar) Invalid();
        const bool signedConversion = s.conversion == 'd' || s.conversion == 'i';
        // Two's-complement bits of the argument at its (promoted) width.
        unsigned long long raw = isSigned ? static_cast<unsigned long long>(a.AsSigned()) : a.AsUnsigned();
        bool negative = false;
        unsigned long long magnitude;
        if (s.lengthBits != 0) {
            const unsigned long long mask = (1ull << s.lengthBits) - 1;
            raw &= mask;
            const unsigned long long signBit = 1ull << (s.lengthBits - 1);
            negative = signedConversion && (raw & signBit) != 0;
            magnitude = negative ? ((~raw + 1) & mask) : raw;
        } else if (signedConversion) {
            negative = isSigned && a.AsSigned() < 0;
            magnitude = negative ? 0ull - raw : raw;
        } else {
            magnitude = (isSigned && a.bits() < 64) ? raw & ((1ull << a.bits()) - 1) : raw;
        }

        const unsigned base = s.conversion == 'o' ? 8 : (s.conversion == 'x' || s.conversion == 'X') ? 16 : 10;
        const char* digitSet = s.conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
        String digits;
        for (unsigned long long v = magnitude; v != 0; v /= base) digits.insert(digits.begin(), C(digitSet[v % base]));
        if (magnitude == 0 && s.precision != 0) digits = String(1, C('0'));
        if (s.precision > 0 && digits.size() < static_cast<size_t>(s.precision))
            digits.insert(0, static_cast<size_t>(s.precision) - digits.size(), C('0'));

        String prefix;
        if (signedConversion) {
            if (negative) prefix = String(1, C('-'));
            else if (s.plus) prefix = String(1, C('+'));
            else if (s.space) prefix = String(1, C(' '));
        }
        if (s.alt && magnitude != 0 && base == 16) prefix = FromAscii<C>(s.conversion == 'X' ? "0X" : "0x");
        if (s.alt && base == 8 && (digits.empty() || digits[0] != C('0'))) digits.insert(digits.begin(), C('0'));
        Emit(s, prefix, digits, s.zero && !s.left && s.precision < 0);
    }

    void Float(const Specifier& s)
    {
        const TVarRec& a = NextArg();
        if (a.kind() != TVarRec::Kind::Float) Invalid();
        const double value = a.AsFloat();
        const int precision = s.precision < 0 ? 6 : s.precision;
        std::chars_format style = std::chars_format::fixed;
        if (s.conversion == 'e' || s.conversion == 'E') style = std::chars_format::scientific;
        else if (s.conversion == 'g' || s.conversion == 'G') style = std::chars_format::general;
        std::string text(static_cast<size_t>(precision) + 400, '\0');
        const auto result = std::to_chars(text.data(), text.data() + text.size(), value, style, precision);
        if (result.ec != std::errc()) Invalid();
        text.resize(static_cast<size_t>(result.ptr - text.data()));

        String prefix;
        std::string_view body = text;
        if (!body.empty() && body[0] == '-') {
            prefix = String(1, C('-'));
            body.remove_prefix(1);
        } else if (s.plus) {
            prefix = String(1, C('+'));
        } else if (s.space) {
            prefix = String(1, C(' '));
        }
        String digits = FromAscii<C>(body);
        if (s.conversion == 'F' || s.conversion == 'E' || s.conversion == 'G')
            for (auto& c : digits)
                if (c >= C('a') && c <= C('z')) c = static_cast<C>(c - 32);
        Emit(s, prefix, digits, s.zero && !s.left && std::isfinite(value));
    }

    void Character(const Specifier& s) { Emit(s, String(), CharacterText(NextArg()), false); }

    String CharacterText(const TVarRec& a) const
    {
        String body;
        switch (a.kind()) {
        case TVarRec::Kind::Char: {
            const char c = static_cast<char>(a.AsSigned());
            if constexpr (std::is_same_v<C, char>) body = String(1, c);
            else body = AnsiToUnicode(std::string_view(&c, 1));
            break;
        }
        case TVarRec::Kind::WideChar: {
            const wchar_t c = static_cast<wchar_t>(a.AsUnsigned());
            if constexpr (std::is_same_v<C, wchar_t>) body = String(1, c);
            else body = UnicodeToAnsi(std::wstring_view(&c, 1));
            break;
        }
        case TVarRec::Kind::Signed:
        case TVarRec::Kind::Unsigned: {
            // A character code: one code unit of the result's type (a signed byte counts as its byte).
            const long long low = std::is_same_v<C, char> ? -128 : 0;
            const long long high = std::is_same_v<C, char> ? 0xFF : 0xFFFF;
            const bool fits = a.kind() == TVarRec::Kind::Signed
                                  ? (a.AsSigned() >= low && a.AsSigned() <= high)
                                  : a.AsUnsigned() <= static_cast<unsigned long long>(high);
            if (!fits) Invalid();
            const unsigned long long code =
                a.kind() == TVarRec::Kind::Signed ? static_cast<unsigned long long>(a.AsSigned()) : a.AsUnsigned();
            body = String(1, static_cast<C>(code));
            break;
        }
        default: Invalid();
        }
        return body;
    }

    void Text(const Specifier& s)
    {
        const TVarRec& a = NextArg();
        String body;
        switch (a.kind()) {
        case TVarRec::Kind::Ansi:
            if constexpr (std::is_same_v<C, char>) body = String(a.AsAnsi());
            else body = AnsiToUnicode(a.AsAnsi());
            break;
        case TVarRec::Kind::Unicode:
            if constexpr (std::is_same_v<C, wchar_t>) body = String(a.AsUnicode());
            else body = UnicodeToAnsi(a.AsUnicode());
            break;
        case TVarRec::Kind::Char:
        case TVarRec::Kind::WideChar: body = CharacterText(a); break;
        default: Invalid();
        }
        if (s.precision >= 0 && body.size() > static_cast<size_t>(s.precision)) body.resize(static_cast<size_t>(s.precision));
        Emit(s, String(), body, false);
    }

    View format_;
    std::span<const TVarRec> args_;
    size_t next_ = 0;
    String out_;
};

// ---------------------------------------------------------------------------------------------
// Integers

template <class C>
int DigitValue(C c, bool hex)
{
    if (c >= C('0') && c <= C('9')) return static_cast<int>(c - C('0'));
    if (hex && c >= C('a') && c <= C('f')) return static_cast<int>(c - C('a')) + 10;
    if (hex && c >= C('A') && c <= C('F')) return static_cast<int>(c - C('A')) + 10;
    return -1;
}

template <class C>
bool ParseIntegerText(std::basic_string_view<C> text, TIntegerText& parts)
{
    parts = TIntegerText();
    size_t i = 0;
    if (i < text.size() && (text[i] == C('+') || text[i] == C('-'))) parts.Negative = text[i++] == C('-');
    if (i < text.size() && text[i] == C('$')) {
        parts.Hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == C('0') && (text[i + 1] == C('x') || text[i + 1] == C('X'))) {
        parts.Hex = true;
        i += 2;
    }
    if (i == text.size()) return false;
    parts.Digits = text.size() - i;
    const unsigned base = parts.Hex ? 16 : 10;
    for (; i < text.size(); ++i) {
        const int d = DigitValue(text[i], parts.Hex);
        if (d < 0) return false;
        if (parts.Magnitude > (~0ull - static_cast<unsigned>(d)) / base) return false;
        parts.Magnitude = parts.Magnitude * base + static_cast<unsigned>(d);
    }
    return true;
}

// Parses into a `bits`-wide signed integer (32 or 64); leading spaces are skipped.
template <class C>
bool ParseInteger(std::basic_string_view<C> text, unsigned bits, long long& value)
{
    size_t i = 0;
    while (i < text.size() && text[i] == C(' ')) ++i;
    TIntegerText parts;
    return ParseIntegerText(text.substr(i), parts) && TryIntegerValue(parts, bits, value);
}

[[noreturn]] void NotAnInteger(const UnicodeString& text)
{
    throw EConvertError(L"'" + text + L"' is not a valid integer value");
}

template <class S>
long long StrToIntImpl(const S& text, unsigned bits)
{
    long long v = 0;
    if (!ParseInteger(std::basic_string_view<typename S::value_type>(text), bits, v)) NotAnInteger(Widen(text));
    return v;
}

template <class S>
bool TryImpl(const S& text, unsigned bits, long long& value)
{
    return ParseInteger(std::basic_string_view<typename S::value_type>(text), bits, value);
}

// ---------------------------------------------------------------------------------------------
// Floating point

bool IsBlank(wchar_t c) { return c <= L' '; }

bool ParseFloat(const UnicodeString& text, double& value, const TFormatSettings& settings)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    // Rebuild the number in C syntax, checking the grammar on the way:
    // [sign] digits [separator digits] [e [sign] digits], at least one mantissa digit.
    std::string ascii;
    size_t i = begin;
    if (i < end && (text[i] == L'+' || text[i] == L'-')) {
        if (text[i] == L'-') ascii += '-';
        ++i;
    }
    size_t mantissaDigits = 0;
    bool separatorSeen = false;
    for (; i < end; ++i) {
        const wchar_t c = text[i];
        if (c >= L'0' && c <= L'9') {
            ascii += static_cast<char>(c);
            ++mantissaDigits;
        } else if (c == settings.DecimalSeparator && !separatorSeen) {
            ascii += '.';
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < end && (text[i] == L'e' || text[i] == L'E')) {
        ascii += 'e';
        ++i;
        if (i < end && (text[i] == L'+' || text[i] == L'-')) ascii += static_cast<char>(text[i++]);
        size_t exponentDigits = 0;
        for (; i < end && text[i] >= L'0' && text[i] <= L'9'; ++i, ++exponentDigits) ascii += static_cast<char>(text[i]);
        if (exponentDigits == 0) return false;
    }
    if (i != end) return false;
    double parsed = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), parsed);
    if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size()) return false;
    value = parsed;
    return true;
}

[[noreturn]] void NotAFloat(const UnicodeString& text)
{
    throw EConvertError(L"'" + text + L"' is not a valid floating point value");
}

// ---------------------------------------------------------------------------------------------
// Locale

UnicodeString LocaleText(const wchar_t* locale, LCTYPE type)
{
    std::array<wchar_t, 256> buffer{};
    const int n = GetLocaleInfoEx(locale, type, buffer.data(), static_cast<int>(buffer.size()));
    if (n <= 1) return {};
    return UnicodeString(buffer.data(), static_cast<size_t>(n - 1));
}

// Appends literal text in FormatDateTime's quoting.
void AppendLiteral(UnicodeString& out, std::wstring_view text)
{
    if (text.empty()) return;
    const wchar_t quote = text.find(L'"') == std::wstring_view::npos ? L'"' : L'\'';
    out += quote;
    for (wchar_t c : text)
        if (c != quote) out += c;
    out += quote;
}

// Converts a Windows date or time picture into FormatDateTime's pattern letters.
UnicodeString ConvertPicture(std::wstring_view picture)
{
    UnicodeString out;
    size_t i = 0;
    while (i < picture.size()) {
        const wchar_t c = picture[i];
        if (c == L'\'') {
            // Quoted literal; '' inside or outside quotes is one apostrophe.
            UnicodeString literal;
            ++i;
            while (i < picture.size()) {
                if (picture[i] == L'\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == L'\'') {
                        literal += L'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += picture[i++];
            }
            AppendLiteral(out, literal);
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        switch (c) {
        case L'd': out.append(run < 4 ? run : 4, L'd'); break;
        case L'M': out.append(run < 4 ? run : 4, L'm'); break;
        case L'y': out += run <= 2 ? L"yy" : L"yyyy"; break;
        case L'g': break;  // era: not shown
        case L'H':
        case L'h': out += run == 1 ? L"h" : L"hh"; break;
        case L'm': out += run == 1 ? L"n" : L"nn"; break;
        case L's': out += run == 1 ? L"s" : L"ss"; break;
        case L't': out += L"ampm"; break;
        default:
            if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'"')
                AppendLiteral(out, std::wstring_view(picture).substr(i, run));
            else
                out.append(run, c);
            break;
        }
        i += run;
    }
    return out;
}

// First separator character of a picture outside quotes and letters.
wchar_t PictureSeparator(std::wstring_view picture, wchar_t fallback)
{
    bool quoted = false;
    for (wchar_t c : picture) {
        if (c == L'\'') quoted = !quoted;
        else if (!quoted && !IsCharAlphaNumericW(c) && c != L' ') return c;
    }
    return fallback;
}

TFormatSettings ReadLocale(const wchar_t* locale)
{
    TFormatSettings s;
    auto text = [locale](LCTYPE type) { return LocaleText(locale, type); };
    auto setChar = [](wchar_t& target, const UnicodeString& value) {
        if (!value.empty()) target = value[0];
    };
    auto setText = [](UnicodeString& target, const UnicodeString& value) {
        if (!value.empty()) target = value;
    };
    setChar(s.DecimalSeparator, text(LOCALE_SDECIMAL));
    setChar(s.ThousandSeparator, text(LOCALE_STHOUSAND));
    setText(s.CurrencyString, text(LOCALE_SCURRENCY));
    const UnicodeString shortDate = text(LOCALE_SSHORTDATE);
    const UnicodeString longDate = text(LOCALE_SLONGDATE);
    const UnicodeString longTime = text(LOCALE_STIMEFORMAT);
    const UnicodeString shortTime = text(LOCALE_SSHORTTIME);
    if (!shortDate.empty()) {
        s.ShortDateFormat = ConvertPicture(shortDate);
        s.DateSeparator = PictureSeparator(shortDate, s.DateSeparator);
    }
    if (!longDate.empty()) s.LongDateFormat = ConvertPicture(longDate);
    if (!longTime.empty()) {
        s.LongTimeFormat = ConvertPicture(longTime);
        s.TimeSeparator = PictureSeparator(longTime, s.TimeSeparator);
    }
    if (!shortTime.empty()) s.ShortTimeFormat = ConvertPicture(shortTime);
    setText(s.TimeAMString, text(LOCALE_S1159));
    setText(s.TimePMString, text(LOCALE_S2359));
    for (int m = 0; m < 12; ++m) {
        setText(s.LongMonthNames[m], text(LOCALE_SMONTHNAME1 + m));
        setText(s.ShortMonthNames[m], text(LOCALE_SABBREVMONTHNAME1 + m));
    }
    // Windows counts days from Monday (1) to Sunday (7); the settings start on Sunday.
    for (int d = 0; d < 7; ++d) {
        const int windowsIndex = (d + 6) % 7;
        setText(s.LongDayNames[d], text(LOCALE_SDAYNAME1 + windowsIndex));
        setText(s.ShortDayNames[d], text(LOCALE_SABBREVDAYNAME1 + windowsIndex));
    }
    return s;
}
} // namespace

// ---------------------------------------------------------------------------------------------

AnsiString FormatArgs(std::string_view format, std::span<const TVarRec> args)
{
    return Formatter<char>(format, args).Run();
}

UnicodeString FormatArgs(std::wstring_view format, std::span<const TVarRec> args)
{
    return Formatter<wchar_t>(format, args).Run();
}

int StrToInt(const UnicodeString& text) { return static_cast<int>(StrToIntImpl(text, 32)); }
int StrToInt(const AnsiString& text) { return static_cast<int>(StrToIntImpl(text, 32)); }

int StrToIntDef(const UnicodeString& text, int defaultValue)
{
    int v;
    return TryStrToInt(text, v) ? v : defaultValue;
}

int StrToIntDef(const AnsiString& text, int defaultValue)
{
    int v;
    return TryStrToInt(text, v) ? v : defaultValue;
}

bool TryStrToInt(const UnicodeString& text, int& value)
{
    long long v;
    if (!TryImpl(text, 32, v)) return false;
    value = static_cast<int>(v);
    return true;
}

bool TryStrToInt(const AnsiString& text, int& value)
{
    long long v;
    if (!TryImpl(text, 32, v)) return false;
    value = static_cast<int>(v);
    return true;
}

long long StrToInt64(const UnicodeString& text) { return StrToIntImpl(text, 64); }
long long StrToInt64(const AnsiString& text) { return StrToIntImpl(text, 64); }

long long StrToInt64Def(const UnicodeString& text, long long defaultValue)
{
    long long v;
    return TryImpl(text, 64, v) ? v : defaultValue;
}

bool TryStrToInt64(const UnicodeString& text, long long& value) { return TryImpl(text, 64, value); }
bool TryStrToInt64(const AnsiString& text, long long& value) { return TryImpl(text, 64, value); }

bool TryParseIntegerText(std::wstring_view text, TIntegerText& parts) { return ParseIntegerText(text, parts); }
bool TryParseIntegerText(std::string_view text, TIntegerText& parts) { return ParseIntegerText(text, parts); }

bool TryIntegerValue(const TIntegerText& parts, unsigned bits, long long& value)
{
    const unsigned long long signBit = 1ull << (bits - 1);
    const unsigned long long allBits = bits == 64 ? ~0ull : (1ull << bits) - 1;
    // Hexadecimal may use every bit (it wraps to negative); decimal stays within the signed range.
    const unsigned long long limit = parts.Hex ? allBits : (parts.Negative ? signBit : signBit - 1);
    if (parts.Magnitude > limit) return false;
    unsigned long long raw = (parts.Negative ? 0ull - parts.Magnitude : parts.Magnitude) & allBits;
    if (bits < 64 && (raw & signBit) != 0) raw |= ~allBits; // sign-extend
    value = static_cast<long long>(raw);
    return true;
}

namespace {
long long ToInt64(long double integral)
{
    // 2^63 is exact in long double; anything from there on (or NaN) does not fit.
    constexpr long double limit = 9223372036854775808.0L;
    if (!(integral >= -limit && integral < limit)) throw EInvalidOp(L"Invalid floating point operation");
    return static_cast<long long>(integral);
}
} // namespace

long long Round(long double value) { return ToInt64(std::nearbyint(value)); }
long long Trunc(long double value) { return ToInt64(std::trunc(value)); }

// ---------------------------------------------------------------------------------------------

TFormatSettings TFormatSettings::Create() { return ReadLocale(LOCALE_NAME_USER_DEFAULT); }

TFormatSettings TFormatSettings::Create(const UnicodeString& localeName)
{
    if (localeName.empty() || !IsValidLocaleName(localeName.c_str()))
        throw EConvertError(L"'" + localeName + L"' is not a valid locale name");
    return ReadLocale(localeName.c_str());
}

TFormatSettings TFormatSettings::Invariant() { return TFormatSettings(); }

TFormatSettings FormatSettings = TFormatSettings::Create();

void GetFormatSettings() { FormatSettings = TFormatSettings::Create(); }

// ---------------------------------------------------------------------------------------------

double StrToFloat(const UnicodeString& text) { return StrToFloat(text, FormatSettings); }

double StrToFloat(const UnicodeString& text, const TFormatSettings& settings)
{
    double v = 0;
    if (!ParseFloat(text, v, settings)) NotAFloat(text);
    return v;
}

double StrToFloatDef(const UnicodeString& text, double defaultValue)
{
    return StrToFloatDef(text, defaultValue, FormatSettings);
}

double StrToFloatDef(const UnicodeString& text, double defaultValue, const TFormatSettings& settings)
{
    double v = 0;
    return ParseFloat(text, v, settings) ? v : defaultValue;
}

bool TryStrToFloat(const UnicodeString& text, double& value) { return ParseFloat(text, value, FormatSettings); }

bool TryStrToFloat(const UnicodeString& text, double& value, const TFormatSettings& settings)
{
    return ParseFloat(text, value, settings);
}

UnicodeString FloatToStr(double value) { return FloatToStr(value, FormatSettings); }

UnicodeString FloatToStr(double value, const TFormatSettings& settings)
{
    if (std::isnan(value)) return L"NAN";
    if (std::isinf(value)) return value > 0 ? L"INF" : L"-INF";
    if (value == 0) return L"0";
    // 15 significant digits as d.dddddddddddddde[+-]x, then trailing zeros dropped.
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, 14);
    const std::string_view text(buffer.data(), static_cast<size_t>(result.ptr - buffer.data()));
    const bool negative = text[0] == '-';
    const size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(negative ? 1 : 0, e - (negative ? 1 : 0)))
        if (c != '.') digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), exponent);

    UnicodeString out = negative ? L"-" : L"";
    if (exponent >= 15 || exponent < -5) {
        out += static_cast<wchar_t>(digits[0]);
        if (digits.size() > 1) {
            out += settings.DecimalSeparator;
            for (char c : std::string_view(digits).substr(1)) out += static_cast<wchar_t>(c);
        }
        out += L"E" + std::to_wstring(exponent);
    } else if (exponent >= 0) {
        const size_t integerDigits = static_cast<size_t>(exponent) + 1;
        for (size_t k = 0; k < integerDigits; ++k) out += k < digits.size() ? static_cast<wchar_t>(digits[k]) : L'0';
        if (digits.size() > integerDigits) {
            out += settings.DecimalSeparator;
            for (char c : std::string_view(digits).substr(integerDigits)) out += static_cast<wchar_t>(c);
        }
    } else {
        out += L'0';
        out += settings.DecimalSeparator;
        out.append(static_cast<size_t>(-exponent - 1), L'0');
        for (char c : digits) out += static_cast<wchar_t>(c);
    }
    return out;
}

UnicodeString LoadStr(int ident)
{
    // A zero buffer size asks for a pointer to the resource text itself (not terminated).
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(ident), reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? UnicodeString(text, static_cast<size_t>(length)) : UnicodeString();
}
