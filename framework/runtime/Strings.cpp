#include "Strings.h"

#include "Exceptions.h"

#include <windows.h>

namespace {
UnicodeString ToWide(UINT codePage, std::string_view text)
{
    if (text.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    UnicodeString out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string ToNarrow(UINT codePage, std::wstring_view text)
{
    if (text.empty()) return {};
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

template <class S>
S CopyImpl(const S& text, long long index, long long count)
{
    if (index < 1) index = 1;
    const long long len = static_cast<long long>(text.size());
    if (index > len || count <= 0) return S();
    const long long avail = len - index + 1;
    return text.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count < avail ? count : avail));
}

template <class C>
bool IsTrimmed(C c) { return static_cast<unsigned>(c) <= 0x20; }

template <class S>
S TrimLeftImpl(const S& text)
{
    size_t i = 0;
    while (i < text.size() && IsTrimmed(text[i])) ++i;
    return text.substr(i);
}

template <class S>
S TrimRightImpl(const S& text)
{
    size_t n = text.size();
    while (n > 0 && IsTrimmed(text[n - 1])) --n;
    return text.substr(0, n);
}

template <class S>
S MapCase(S text, bool upper)
{
    for (auto& c : text) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<typename S::value_type>(c - 32);
        else if (!upper && c >= 'A' && c <= 'Z') c = static_cast<typename S::value_type>(c + 32);
    }
    return text;
}

template <class V>
size_t PosImpl(V sub, V text)
{
    if (sub.empty()) return 0;
    const size_t p = text.find(sub);
    return p == V::npos ? 0 : p + 1;
}
} // namespace

UnicodeString AnsiToUnicode(std::string_view text) { return ToWide(CP_ACP, text); }
AnsiString UnicodeToAnsi(std::wstring_view text) { return ToNarrow(CP_ACP, text); }
UnicodeString Utf8ToUnicode(std::string_view text) { return ToWide(CP_UTF8, text); }
std::string UnicodeToUtf8(std::wstring_view text) { return ToNarrow(CP_UTF8, text); }

char CharAt(const AnsiString& text, size_t index)
{
    if (index < 1 || index > text.size()) RaiseRangeError();
    return text[index - 1];
}

wchar_t CharAt(const UnicodeString& text, size_t index)
{
    if (index < 1 || index > text.size()) RaiseRangeError();
    return text[index - 1];
}

size_t Pos(std::string_view sub, std::string_view text) { return PosImpl(sub, text); }
size_t Pos(std::wstring_view sub, std::wstring_view text) { return PosImpl(sub, text); }

AnsiString Copy(const AnsiString& text, long long index, long long count) { return CopyImpl(text, index, count); }
UnicodeString Copy(const UnicodeString& text, long long index, long long count) { return CopyImpl(text, index, count); }

AnsiString Trim(const AnsiString& text) { return TrimLeftImpl(TrimRightImpl(text)); }
UnicodeString Trim(const UnicodeString& text) { return TrimLeftImpl(TrimRightImpl(text)); }
AnsiString TrimLeft(const AnsiString& text) { return TrimLeftImpl(text); }
UnicodeString TrimLeft(const UnicodeString& text) { return TrimLeftImpl(text); }
AnsiString TrimRight(const AnsiString& text) { return TrimRightImpl(text); }
UnicodeString TrimRight(const UnicodeString& text) { return TrimRightImpl(text); }

AnsiString UpperCase(const AnsiString& text) { return MapCase(text, true); }
UnicodeString UpperCase(const UnicodeString& text) { return MapCase(text, true); }
AnsiString LowerCase(const AnsiString& text) { return MapCase(text, false); }
UnicodeString LowerCase(const UnicodeString& text) { return MapCase(text, false); }

namespace {
template <class C>
C AsciiUpper(C c) { return (c >= 'a' && c <= 'z') ? static_cast<C>(c - 32) : c; }

template <class V>
bool SameTextImpl(V a, V b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

// CharUpperBuff maps character by character, so positions in the folded copy match the original.
std::string FoldCase(std::string_view text)
{
    std::string out(text);
    if (!out.empty()) CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::wstring FoldCase(std::wstring_view text)
{
    std::wstring out(text);
    if (!out.empty()) CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

template <class S, class V>
S StringReplaceImpl(const S& text, V oldPattern, V newPattern, TReplaceFlags flags)
{
    if (oldPattern.empty()) return text;
    const bool ignoreCase = flags.Contains(rfIgnoreCase);
    const S haystack = ignoreCase ? FoldCase(V(text)) : S();
    const S needle = ignoreCase ? FoldCase(oldPattern) : S(oldPattern);
    const V search = ignoreCase ? V(haystack) : V(text);
    S out;
    size_t from = 0;
    for (;;) {
        const size_t hit = search.find(needle, from);
        if (hit == V::npos) break;
        out.append(text, from, hit - from);
        out.append(newPattern);
        from = hit + oldPattern.size();
        if (!flags.Contains(rfReplaceAll)) break;
    }
    out.append(text, from, S::npos);
    return out;
}

template <class V>
size_t LastDelimiterImpl(V delimiters, V text)
{
    const size_t p = text.find_last_of(delimiters);
    return p == V::npos ? 0 : p + 1;
}
} // namespace

bool SameText(std::string_view a, std::string_view b) { return SameTextImpl(a, b); }
bool SameText(std::wstring_view a, std::wstring_view b) { return SameTextImpl(a, b); }

AnsiString StringReplace(const AnsiString& text, std::string_view oldPattern, std::string_view newPattern,
                         TReplaceFlags flags)
{
    return StringReplaceImpl<AnsiString>(text, oldPattern, newPattern, flags);
}

UnicodeString StringReplace(const UnicodeString& text, std::wstring_view oldPattern, std::wstring_view newPattern,
                            TReplaceFlags flags)
{
    return StringReplaceImpl<UnicodeString>(text, oldPattern, newPattern, flags);
}

size_t LastDelimiter(std::string_view delimiters, std::string_view text) { return LastDelimiterImpl(delimiters, text); }
size_t LastDelimiter(std::wstring_view delimiters, std::wstring_view text) { return LastDelimiterImpl(delimiters, text); }
