#pragma once
// String types of the runtime layer: UTF-16 text and 8-bit text in the system code page,
// both passed by value. Indexing follows the framework's 1-based rule and is range-checked.
#include <string>
#include <string_view>

using UnicodeString = std::wstring;
using AnsiString = std::string;

// Conversions through the system ANSI code page (CP_ACP).
UnicodeString AnsiToUnicode(std::string_view text);
AnsiString UnicodeToAnsi(std::wstring_view text);
UnicodeString Utf8ToUnicode(std::string_view text);
std::string UnicodeToUtf8(std::wstring_view text);

// 1-based checked character access: an index outside 1..Length raises ERangeError.
char CharAt(const AnsiString& text, size_t index);
wchar_t CharAt(const UnicodeString& text, size_t index);

// 1-based position of the first occurrence of sub, 0 when absent (or when sub is empty).
size_t Pos(std::string_view sub, std::string_view text);
size_t Pos(std::wstring_view sub, std::wstring_view text);

// Copy(text, index, count), 1-based; clamps like the framework (index < 1 counts as 1).
AnsiString Copy(const AnsiString& text, long long index, long long count);
UnicodeString Copy(const UnicodeString& text, long long index, long long count);

// Trim removes leading and trailing characters up to and including the blank (controls too).
AnsiString Trim(const AnsiString& text);
UnicodeString Trim(const UnicodeString& text);
AnsiString TrimLeft(const AnsiString& text);
UnicodeString TrimLeft(const UnicodeString& text);
AnsiString TrimRight(const AnsiString& text);
UnicodeString TrimRight(const UnicodeString& text);

// ASCII-only case mapping, as the framework's UpperCase/LowerCase.
AnsiString UpperCase(const AnsiString& text);
UnicodeString UpperCase(const UnicodeString& text);
AnsiString LowerCase(const AnsiString& text);
UnicodeString LowerCase(const UnicodeString& text);

// ASCII case-insensitive equality, as the framework's SameText.
bool SameText(std::string_view a, std::string_view b);
bool SameText(std::wstring_view a, std::wstring_view b);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };

// Set of TReplaceFlag; build it as TReplaceFlags() << rfReplaceAll << rfIgnoreCase.
class TReplaceFlags {
public:
    constexpr TReplaceFlags() = default;
    constexpr TReplaceFlags(TReplaceFlag flag) : bits_(flag) {}
    constexpr TReplaceFlags operator<<(TReplaceFlag flag) const { TReplaceFlags r; r.bits_ = bits_ | flag; return r; }
    constexpr bool Contains(TReplaceFlag flag) const { return (bits_ & flag) != 0; }

private:
    unsigned bits_ = 0;
};

// Replaces the first (or, with rfReplaceAll, every) occurrence of oldPattern. rfIgnoreCase
// compares with the system's upper-case mapping. An empty oldPattern leaves the text unchanged.
AnsiString StringReplace(const AnsiString& text, std::string_view oldPattern, std::string_view newPattern,
                         TReplaceFlags flags = {});
UnicodeString StringReplace(const UnicodeString& text, std::wstring_view oldPattern, std::wstring_view newPattern,
                            TReplaceFlags flags = {});

// 1-based index of the last character of text that is one of delimiters; 0 when there is none.
size_t LastDelimiter(std::string_view delimiters, std::string_view text);
size_t LastDelimiter(std::wstring_view delimiters, std::wstring_view text);
