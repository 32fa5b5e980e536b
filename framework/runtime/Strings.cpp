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
