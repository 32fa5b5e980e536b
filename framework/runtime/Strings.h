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
