#pragma once
// Compression over zlib: stream classes that deflate into or inflate from another stream, one-call
// functions for byte buffers, 8-bit strings and streams, checksums, and the exceptions that turn
// zlib's negative codes into messages. Packed skin archives and the PNG reader inflate through it.
#include "Components.h"
#include "Encoding.h"
#include "Exceptions.h"
#include "Streams.h"

#include <zlib.h>

#include <cstdint>
#include <span>
#include <vector>

// zlib's own record: the x64 layout zlib's init functions check against sizeof(z_stream).
using TZStreamRec = z_stream;

enum TZCompressionLevel {
    zcNone,
    zcFastest,
    zcDefault,
    zcMax,
    zcLevel1,
    zcLevel2,
    zcLevel3,
    zcLevel4,
    zcLevel5,
    zcLevel6,
    zcLevel7,
    zcLevel8,
    zcLevel9
};

enum TZStrategy { zsDefault, zsFiltered, zsHuffman, zsRLE, zsFixed };

enum TZError { zeError, zeStreamError, zeDataError, zeMemoryError, zeBufferError, zeVersionError };

int ZLevelOf(TZCompressionLevel level);
int ZStrategyOf(TZStrategy strategy);
int ZErrorCodeOf(TZError error);
// Text of a zlib code: the table for 2..-6, "unknown zlib error <code>" beyond it.
std::wstring ZErrorMessage(int code);

class EZLibError : public Exception {
public:
    // Message from the zlib code table.
    explicit EZLibError(int code);
    explicit EZLibError(TZError error);
    // Plain message; ErrorCode 0.
    explicit EZLibError(std::wstring message);
    std::wstring ClassName() const override { return L"EZLibError"; }
    int ErrorCode() const { return errorCode_; }

private:
    int errorCode_ = 0;
};
FW_DECLARE_EXCEPTION(EZCompressionError, EZLibError);
FW_DECLARE_EXCEPTION(EZDecompressionError, EZLibError);

inline constexpr const wchar_t* SZInvalid = L"Invalid ZStream operation!";

// zlib's codes unchanged; the record must be zero-filled before.
int DeflateInit(TZStreamRec& stream, int level);
int DeflateInit2(TZStreamRec& stream, int level, int method, int windowBits, int memLevel, int strategy);
int InflateInit(TZStreamRec& stream);
int InflateInit2(TZStreamRec& stream, int windowBits);

// A negative code raises the side's exception; other codes come back unchanged.
int CheckCompressResult(int code);
// As above, and Z_NEED_DICT (2) raises too: no preset dictionary is ever supplied, so inflate
// would answer it for ever.
int CheckDecompressResult(int code);

TBytes ZCompress(std::span<const std::uint8_t> in, TZCompressionLevel level = zcDefault);
TBytes ZCompress2(std::span<const std::uint8_t> in, TZCompressionLevel level, int windowBits, int memLevel,
                  TZStrategy strategy);
// outEstimate is the first output size (0: the input size rounded up to 256); the buffer grows
// by that rounded input size while inflate asks for more.
TBytes ZDecompress(std::span<const std::uint8_t> in, std::size_t outEstimate = 0);
TBytes ZDecompress2(std::span<const std::uint8_t> in, std::size_t outEstimate, int windowBits);

// Compressed data travels one byte per character.
AnsiString ZCompressStr(const AnsiString& s, TZCompressionLevel level = zcDefault);
AnsiString ZCompressStr2(const AnsiString& s, TZCompressionLevel level, int windowBits, int memLevel,
                         TZStrategy strategy);
// Raw deflate at the fastest level, without zlib header or trailer.
AnsiString ZCompressStrWeb(const AnsiString& s);
// The source length as 4 bytes little-endian, then the zlib data.
AnsiString ZCompressStrEx(const AnsiString& s, TZCompressionLevel level = zcDefault);
AnsiString ZDecompressStr(const AnsiString& s);
AnsiString ZDecompressStr2(const AnsiString& s, int windowBits);
AnsiString ZDecompressStrEx(const AnsiString& s);

// From input's current position to output's current position. Decompressing leaves input just
// behind the compressed data.
void ZCompressStream(TStream& input, TStream& output, TZCompressionLevel level = zcDefault);
void ZCompressStream2(TStream& input, TStream& output, TZCompressionLevel level, int windowBits, int memLevel,
                      TZStrategy strategy);
void ZCompressStreamWeb(TStream& input, TStream& output);
void ZDecompressStream(TStream& input, TStream& output);
void ZDecompressStream2(TStream& input, TStream& output, int windowBits);

std::uint32_t ZAdler32(std::uint32_t adler, std::span<const std::uint8_t> data);
std::uint32_t ZCrc32(std::uint32_t crc, std::span<const std::uint8_t> data);

// Base of the two stream classes: the other stream (not owned), the position this object last
// left it at, and a 128 KiB staging buffer.
class TCustomZStream : public TStream {
public:
    UnicodeString ClassName() const override { return L"TCustomZStream"; }
    TCustomZStream(const TCustomZStream&) = delete;
    TCustomZStream& operator=(const TCustomZStream&) = delete;

    TNotifyEvent OnProgress;

protected:
    static constexpr std::size_t kBufferSize = 131072;

    explicit TCustomZStream(TStream& stream);
    void DoProgress();
    // Puts the other stream back where this object left it (another user may have moved it).
    void RestoreStreamPos();

    TStream& FStream;
    long long FStreamPos;
    TZStreamRec FZStream{};
    std::vector<std::uint8_t> FBuffer;
};

// Write-only: compressed data is complete in dest after Finish or destruction.
class TZCompressionStream : public TCustomZStream {
public:
    TZCompressionStream(TStream& dest, TZCompressionLevel compressionLevel = zcDefault);
    TZCompressionStream(TStream& dest, TZCompressionLevel compressionLevel, int windowBits, int memLevel,
                        TZStrategy strategy);
    // Finishes (swallowing its error: call Finish first to see it) and releases deflate.
    ~TZCompressionStream() override;
    UnicodeString ClassName() const override { return L"TZCompressionStream"; }

    long long Read(void* buffer, long long count) override;
    long long Write(const void* buffer, long long count) override;
    // Only Seek(0, soCurrent): the uncompressed bytes written so far.
    long long Seek(long long offset, TSeekOrigin origin) override;

    // Flushes the rest of the data and the zlib trailer into dest; later calls do nothing.
    void Finish();
    // Percent saved: (1 - out / in) x 100, 0 before any input.
    float CompressionRate() const;

private:
    void FlushBuffer();
    bool finished_ = false;
};

// Read-only: inflates from the source's position at creation and leaves the source just behind
// the compressed data once its end is reached.
class TZDecompressionStream : public TCustomZStream {
public:
    explicit TZDecompressionStream(TStream& source);
    TZDecompressionStream(TStream& source, int windowBits);
    ~TZDecompressionStream() override;
    UnicodeString ClassName() const override { return L"TZDecompressionStream"; }

    long long Read(void* buffer, long long count) override;
    long long Write(const void* buffer, long long count) override;
    // Returns the uncompressed position. (0, soBeginning) restarts at the creation position;
    // forward moves skip by reading; (0, soEnd) reads to the end; other moves raise.
    long long Seek(long long offset, TSeekOrigin origin) override;

private:
    void Skip(long long distance);
    long long startPos_;
};
