#pragma once
// Text encodings for reading and writing whole text files: the system ANSI code page, UTF-8 and
// UTF-16 in both byte orders. The instances are fixed singletons compared by address, as the
// framework's TEncoding::UTF8 and friends.
#include "Strings.h"

#include <cstdint>
#include <span>
#include <vector>

using TBytes = std::vector<std::uint8_t>;

class TEncoding {
public:
    enum class Kind { Ansi, Utf8, Utf16LE, Utf16BE };

    static const TEncoding* const ANSI;             // system code page (CP_ACP), no preamble
    static const TEncoding* const Default;          // same as ANSI
    static const TEncoding* const UTF8;             // preamble EF BB BF
    static const TEncoding* const Unicode;          // UTF-16 little endian, preamble FF FE
    static const TEncoding* const BigEndianUnicode; // UTF-16 big endian, preamble FE FF

    TEncoding(const TEncoding&) = delete;
    TEncoding& operator=(const TEncoding&) = delete;

    Kind GetKind() const { return kind_; }
    TBytes GetPreamble() const;
    TBytes GetBytes(std::wstring_view text) const;
    // Decodes bytes (without preamble). A trailing odd byte of UTF-16 input is dropped; invalid
    // UTF-8 sequences become U+FFFD.
    UnicodeString GetString(std::span<const std::uint8_t> bytes) const;

    // Detects a byte-order mark at the start of bytes. When encoding is null on entry it is set to
    // the encoding whose preamble matches (or to Default when none does). Returns the length of
    // the preamble found for that encoding, 0 when the bytes do not start with it.
    static size_t GetBufferEncoding(std::span<const std::uint8_t> bytes, const TEncoding*& encoding);

private:
    explicit constexpr TEncoding(Kind kind) : kind_(kind) {}
    Kind kind_;

    static const TEncoding ansi_;
    static const TEncoding utf8_;
    static const TEncoding utf16le_;
    static const TEncoding utf16be_;
};
