#include "Encoding.h"

#include "Exceptions.h"

#include <windows.h>

#include <algorithm>
#include <climits>

const TEncoding TEncoding::ansi_{Kind::Ansi};
const TEncoding TEncoding::utf8_{Kind::Utf8};
const TEncoding TEncoding::utf16le_{Kind::Utf16LE};
const TEncoding TEncoding::utf16be_{Kind::Utf16BE};

const TEncoding* const TEncoding::ANSI = &TEncoding::ansi_;
const TEncoding* const TEncoding::Default = &TEncoding::ansi_;
const TEncoding* const TEncoding::UTF8 = &TEncoding::utf8_;
const TEncoding* const TEncoding::Unicode = &TEncoding::utf16le_;
const TEncoding* const TEncoding::BigEndianUnicode = &TEncoding::utf16be_;

namespace {
int CheckedLength(size_t n)
{
    // The code-page API counts in int; larger texts are refused rather than truncated.
    if (n > static_cast<size_t>(INT_MAX)) throw EConvertError(L"Text too large to convert");
    return static_cast<int>(n);
}

UnicodeString Decode(UINT codePage, std::span<const std::uint8_t> bytes)
{
    if (bytes.empty()) return {};
    const auto* src = reinterpret_cast<const char*>(bytes.data());
    const int len = CheckedLength(bytes.size());
    const int n = MultiByteToWideChar(codePage, 0, src, len, nullptr, 0);
    if (n <= 0) return {};
    UnicodeString out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, src, len, out.data(), n);
    return out;
}

TBytes Encode(UINT codePage, std::wstring_view text)
{
    if (text.empty()) return {};
    const int len = CheckedLength(text.size());
    const int n = WideCharToMultiByte(codePage, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    TBytes out(static_cast<size_t>(n));
    WideCharToMultiByte(codePage, 0, text.data(), len, reinterpret_cast<char*>(out.data()), n, nullptr, nullptr);
    return out;
}

bool StartsWith(std::span<const std::uint8_t> bytes, const TBytes& prefix)
{
    return !prefix.empty() && bytes.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), bytes.begin());
}
} // namespace

TBytes TEncoding::GetPreamble() const
{
    switch (kind_) {
    case Kind::Utf8: return {0xEF, 0xBB, 0xBF};
    case Kind::Utf16LE: return {0xFF, 0xFE};
    case Kind::Utf16BE: return {0xFE, 0xFF};
    case Kind::Ansi: break;
    }
    return {};
}

TBytes TEncoding::GetBytes(std::wstring_view text) const
{
    switch (kind_) {
    case Kind::Ansi: return Encode(CP_ACP, text);
    case Kind::Utf8: return Encode(CP_UTF8, text);
    case Kind::Utf16LE:
    case Kind::Utf16BE: {
        TBytes out;
        out.reserve(text.size() * 2);
        for (wchar_t c : text) {
            const auto lo = static_cast<std::uint8_t>(c & 0xFF);
            const auto hi = static_cast<std::uint8_t>((c >> 8) & 0xFF);
            if (kind_ == Kind::Utf16LE) { out.push_back(lo); out.push_back(hi); }
            else { out.push_back(hi); out.push_back(lo); }
        }
        return out;
    }
    }
    return {};
}

UnicodeString TEncoding::GetString(std::span<const std::uint8_t> bytes) const
{
    switch (kind_) {
    case Kind::Ansi: return Decode(CP_ACP, bytes);
    case Kind::Utf8: return Decode(CP_UTF8, bytes);
    case Kind::Utf16LE:
    case Kind::Utf16BE: {
        UnicodeString out;
        out.reserve(bytes.size() / 2);
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const unsigned a = bytes[i], b = bytes[i + 1];
            out.push_back(static_cast<wchar_t>(kind_ == Kind::Utf16LE ? (a | (b << 8)) : ((a << 8) | b)));
        }
        return out;
    }
    }
    return {};
}

size_t TEncoding::GetBufferEncoding(std::span<const std::uint8_t> bytes, const TEncoding*& encoding)
{
    if (encoding == nullptr) {
        for (const TEncoding* candidate : {UTF8, Unicode, BigEndianUnicode}) {
            if (StartsWith(bytes, candidate->GetPreamble())) {
                encoding = candidate;
                return candidate->GetPreamble().size();
            }
        }
        encoding = Default;
        return 0;
    }
    const TBytes preamble = encoding->GetPreamble();
    return StartsWith(bytes, preamble) ? preamble.size() : 0;
}
