#include "DbEscape.h"

#include "DbErrors.h"

namespace {

template <class Char>
std::basic_string<Char> EscapeLiteral(std::basic_string_view<Char> value)
{
    std::basic_string<Char> out;
    out.reserve(value.size() + value.size() / 8 + 2);
    for (const Char c : value) {
        Char escaped = 0;
        switch (c) {
        case Char('\0'): escaped = Char('0'); break;
        case Char('\n'): escaped = Char('n'); break;
        case Char('\r'): escaped = Char('r'); break;
        case Char('\x1A'): escaped = Char('Z'); break;
        case Char('\\'):
        case Char('\''):
        case Char('"'): escaped = c; break;
        default: break;
        }
        if (escaped) {
            out.push_back(Char('\\'));
            out.push_back(escaped);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

UnicodeString MySqlEscape(std::wstring_view value)
{
    return EscapeLiteral(value);
}

AnsiString MySqlEscape(std::string_view value)
{
    return EscapeLiteral(value);
}

UnicodeString MySqlQuote(std::wstring_view value)
{
    return L"'" + EscapeLiteral(value) + L"'";
}

UnicodeString MySqlEscapeIdentifier(std::wstring_view name)
{
    UnicodeString out;
    out.reserve(name.size() + 2);
    for (const wchar_t c : name) {
        if (c == L'\0') throw EFDException(L"A database or table name must not contain the character NUL");
        out.push_back(c);
        if (c == L'`') out.push_back(L'`');
    }
    return out;
}
