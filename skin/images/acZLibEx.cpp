#include "acZLibEx.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <string>

namespace {

constexpr std::array<const wchar_t*, 9> kErrorMessages = {
    L"need dictionary", L"stream end",          L"ok",           L"file error",           L"stream error",
    L"data error",      L"insufficient memory", L"buffer error", L"incompatible version",
};

// zlib counts in 32-bit units: larger inputs are refused rather than cut.
uInt CheckedSize(std::size_t size, bool compress)
{
    if (size > UINT_MAX) {
        if (compress) throw EZCompressionError(Z_BUF_ERROR);
        throw EZDecompressionError(Z_BUF_ERROR);
    }
    return static_cast<uInt>(size);
}

Bytef* InPtr(std::span<const std::uint8_t> in)
{
    // zlib's next_in is not const but never writes through it.
    return const_cast<Bytef*>(in.data());
}

// Buffer compression core: deflate state already initialised in zs.
TBytes CompressCore(TZStreamRec& zs, std::span<const std::uint8_t> in)
{
    TBytes out;
    try {
        const std::size_t inSize = in.size();
        out.resize((inSize + inSize / 10 + 12 + 255) & ~std::size_t{255});
        zs.next_in = InPtr(in);
        zs.avail_in = CheckedSize(inSize, true);
        zs.next_out = out.data();
        zs.avail_out = CheckedSize(out.size(), true);
        while (CheckCompressResult(deflate(&zs, Z_FINISH)) != Z_STREAM_END) {
            out.resize(out.size() + 256);
            zs.next_out = out.data() + zs.total_out;
            zs.avail_out = 256;
        }
    } catch (...) {
        deflateEnd(&zs);
        throw;
    }
    CheckCompressResult(deflateEnd(&zs));
    out.resize(zs.total_out);
    return out;
}

TBytes DecompressCore(TZStreamRec& zs, std::span<const std::uint8_t> in, std::size_t outEstimate)
{
    TBytes out;
    try {
        const std::size_t delta = (in.size() + 255) & ~std::size_t{255};
        out.resize(outEstimate != 0 ? outEstimate : delta);
        zs.next_in = InPtr(in);
        zs.avail_in = CheckedSize(in.size(), false);
        zs.next_out = out.data();
        zs.avail_out = CheckedSize(out.size(), false);
        while (CheckDecompressResult(inflate(&zs, Z_NO_FLUSH)) != Z_STREAM_END) {
            out.resize(out.size() + delta);
            zs.next_out = out.data() + zs.total_out;
            zs.avail_out = CheckedSize(delta, false);
        }
    } catch (...) {
        inflateEnd(&zs);
        throw;
    }
    CheckDecompressResult(inflateEnd(&zs));
    out.resize(zs.total_out);
    return out;
}

std::span<const std::uint8_t> BytesOf(const AnsiString& s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

AnsiString StrOf(const TBytes& bytes)
{
    return AnsiString(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

constexpr std::size_t kChunk = 32768;

// Stream compression core over an initialised deflate state.
void CompressStreamCore(TZStreamRec& zs, TStream& input, TStream& output)
{
    std::vector<std::uint8_t> inChunk(kChunk), outChunk(kChunk);
    try {
        int code = Z_OK;
        long long got = input.Read(inChunk.data(), kChunk);
        while (got > 0) {
            zs.next_in = inChunk.data();
            zs.avail_in = static_cast<uInt>(got);
            do {
                zs.next_out = outChunk.data();
                zs.avail_out = kChunk;
                code = CheckCompressResult(deflate(&zs, Z_NO_FLUSH));
                output.WriteBuffer(outChunk.data(), kChunk - zs.avail_out);
            } while (code != Z_STREAM_END && zs.avail_in > 0);
            got = input.Read(inChunk.data(), kChunk);
        }
        while (code != Z_STREAM_END) {
            zs.next_out = outChunk.data();
            zs.avail_out = kChunk;
            code = CheckCompressResult(deflate(&zs, Z_FINISH));
            output.WriteBuffer(outChunk.data(), kChunk - zs.avail_out);
        }
    } catch (...) {
        deflateEnd(&zs);
        throw;
    }
    CheckCompressResult(deflateEnd(&zs));
}

void DecompressStreamCore(TZStreamRec& zs, TStream& input, TStream& output)
{
    std::vector<std::uint8_t> inChunk(kChunk), outChunk(kChunk);
    try {
        int code = Z_OK;
        long long got = input.Read(inChunk.data(), kChunk);
        while (got > 0 && code != Z_STREAM_END) {
            zs.next_in = inChunk.data();
            zs.avail_in = static_cast<uInt>(got);
            do {
                zs.next_out = outChunk.data();
                zs.avail_out = kChunk;
                code = CheckDecompressResult(inflate(&zs, Z_NO_FLUSH));
                output.WriteBuffer(outChunk.data(), kChunk - zs.avail_out);
            } while (code != Z_STREAM_END && zs.avail_in > 0);
            if (code == Z_STREAM_END) {
                if (zs.avail_in > 0) input.Seek(-static_cast<long long>(zs.avail_in), soCurrent);
                break;
            }
            got = input.Read(inChunk.data(), kChunk);
        }
        while (code != Z_STREAM_END) {
            zs.next_out = outChunk.data();
            zs.avail_out = kChunk;
            code = CheckDecompressResult(inflate(&zs, Z_FINISH));
            output.WriteBuffer(outChunk.data(), kChunk - zs.avail_out);
        }
    } catch (...) {
        inflateEnd(&zs);
        throw;
    }
    CheckDecompressResult(inflateEnd(&zs));
}

} // namespace

int ZLevelOf(TZCompressionLevel level)
{
    switch (level) {
    case zcNone: return 0;
    case zcFastest: return 1;
    case zcDefault: return Z_DEFAULT_COMPRESSION;
    case zcMax: return 9;
    default: return static_cast<int>(level) - static_cast<int>(zcLevel1) + 1;
    }
}

int ZStrategyOf(TZStrategy strategy) { return static_cast<int>(strategy); }

int ZErrorCodeOf(TZError error) { return -1 - static_cast<int>(error); }

std::wstring ZErrorMessage(int code)
{
    if (code <= 2 && code >= -6) return kErrorMessages[static_cast<std::size_t>(2 - code)];
    return L"unknown zlib error " + std::to_wstring(code);
}

EZLibError::EZLibError(int code) : Exception(ZErrorMessage(code)), errorCode_(code) {}

EZLibError::EZLibError(TZError error) : EZLibError(ZErrorCodeOf(error)) {}

EZLibError::EZLibError(std::wstring message) : Exception(std::move(message)) {}

int DeflateInit(TZStreamRec& stream, int level)
{
    return deflateInit_(&stream, level, ZLIB_VERSION, static_cast<int>(sizeof(z_stream)));
}

int DeflateInit2(TZStreamRec& stream, int level, int method, int windowBits, int memLevel, int strategy)
{
    return deflateInit2_(&stream, level, method, windowBits, memLevel, strategy, ZLIB_VERSION,
                         static_cast<int>(sizeof(z_stream)));
}

int InflateInit(TZStreamRec& stream)
{
    return inflateInit_(&stream, ZLIB_VERSION, static_cast<int>(sizeof(z_stream)));
}

int InflateInit2(TZStreamRec& stream, int windowBits)
{
    return inflateInit2_(&stream, windowBits, ZLIB_VERSION, static_cast<int>(sizeof(z_stream)));
}

int CheckCompressResult(int code)
{
    if (code < 0) throw EZCompressionError(code);
    return code;
}

int CheckDecompressResult(int code)
{
    if (code < 0 || code == Z_NEED_DICT) throw EZDecompressionError(code);
    return code;
}

// ---- buffers, strings, streams -----------------------------------------------------------------

TBytes ZCompress(std::span<const std::uint8_t> in, TZCompressionLevel level)
{
    TZStreamRec zs{};
    CheckCompressResult(DeflateInit(zs, ZLevelOf(level)));
    return CompressCore(zs, in);
}

TBytes ZCompress2(std::span<const std::uint8_t> in, TZCompressionLevel level, int windowBits, int memLevel,
                  TZStrategy strategy)
{
    TZStreamRec zs{};
    CheckCompressResult(DeflateInit2(zs, ZLevelOf(level), Z_DEFLATED, windowBits, memLevel, ZStrategyOf(strategy)));
    return CompressCore(zs, in);
}

TBytes ZDecompress(std::span<const std::uint8_t> in, std::size_t outEstimate)
{
    TZStreamRec zs{};
    CheckDecompressResult(InflateInit(zs));
    return DecompressCore(zs, in, outEstimate);
}

TBytes ZDecompress2(std::span<const std::uint8_t> in, std::size_t outEstimate, int windowBits)
{
    TZStreamRec zs{};
    CheckDecompressResult(InflateInit2(zs, windowBits));
    return DecompressCore(zs, in, outEstimate);
}

AnsiString ZCompressStr(const AnsiString& s, TZCompressionLevel level) { return StrOf(ZCompress(BytesOf(s), level)); }

AnsiString ZCompressStr2(const AnsiString& s, TZCompressionLevel level, int windowBits, int memLevel,
                         TZStrategy strategy)
{
    return StrOf(ZCompress2(BytesOf(s), level, windowBits, memLevel, strategy));
}

AnsiString ZCompressStrWeb(const AnsiString& s) { return ZCompressStr2(s, zcFastest, -15, 9, zsDefault); }

AnsiString ZCompressStrEx(const AnsiString& s, TZCompressionLevel level)
{
    const auto size = static_cast<std::uint32_t>(CheckedSize(s.size(), true));
    AnsiString result(4, '\0');
    for (int i = 0; i < 4; ++i) result[static_cast<std::size_t>(i)] = static_cast<char>(size >> (8 * i) & 0xFF);
    return result + ZCompressStr(s, level);
}

AnsiString ZDecompressStr(const AnsiString& s) { return StrOf(ZDecompress(BytesOf(s))); }

AnsiString ZDecompressStr2(const AnsiString& s, int windowBits) { return StrOf(ZDecompress2(BytesOf(s), 0, windowBits)); }

AnsiString ZDecompressStrEx(const AnsiString& s)
{
    if (s.size() < 4) throw EZDecompressionError(Z_DATA_ERROR);
    std::uint32_t size = 0;
    for (int i = 0; i < 4; ++i) size |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[static_cast<std::size_t>(i)])) << (8 * i);
    if (size > INT32_MAX) throw EZDecompressionError(Z_DATA_ERROR);
    const std::span<const std::uint8_t> data = BytesOf(s).subspan(4);
    // The prefix only sizes the first buffer: a corrupt one must not ask for gigabytes.
    const std::size_t cap = 64 * data.size() + (1u << 20);
    return StrOf(ZDecompress(data, std::min<std::size_t>(size, cap)));
}

void ZCompressStream(TStream& input, TStream& output, TZCompressionLevel level)
{
    TZStreamRec zs{};
    CheckCompressResult(DeflateInit(zs, ZLevelOf(level)));
    CompressStreamCore(zs, input, output);
}

void ZCompressStream2(TStream& input, TStream& output, TZCompressionLevel level, int windowBits, int memLevel,
                      TZStrategy strategy)
{
    TZStreamRec zs{};
    CheckCompressResult(DeflateInit2(zs, ZLevelOf(level), Z_DEFLATED, windowBits, memLevel, ZStrategyOf(strategy)));
    CompressStreamCore(zs, input, output);
}

void ZCompressStreamWeb(TStream& input, TStream& output) { ZCompressStream2(input, output, zcFastest, -15, 9, zsDefault); }

void ZDecompressStream(TStream& input, TStream& output)
{
    TZStreamRec zs{};
    CheckDecompressResult(InflateInit(zs));
    DecompressStreamCore(zs, input, output);
}

void ZDecompressStream2(TStream& input, TStream& output, int windowBits)
{
    TZStreamRec zs{};
    CheckDecompressResult(InflateInit2(zs, windowBits));
    DecompressStreamCore(zs, input, output);
}

std::uint32_t ZAdler32(std::uint32_t adler, std::span<const std::uint8_t> data)
{
    return static_cast<std::uint32_t>(adler32_z(adler, data.data(), data.size()));
}

std::uint32_t ZCrc32(std::uint32_t crc, std::span<const std::uint8_t> data)
{
    return static_cast<std::uint32_t>(crc32_z(crc, data.data(), data.size()));
}

// ---- stream classes ----------------------------------------------------------------------------

TCustomZStream::TCustomZStream(TStream& stream)
    : FStream(stream), FStreamPos(stream.Position()), FBuffer(kBufferSize)
{
}

void TCustomZStream::DoProgress()
{
    if (OnProgress) OnProgress(this);
}

void TCustomZStream::RestoreStreamPos()
{
    if (FStream.Position() != FStreamPos) FStream.SetPosition(FStreamPos);
}

TZCompressionStream::TZCompressionStream(TStream& dest, TZCompressionLevel compressionLevel) : TCustomZStream(dest)
{
    FZStream.next_out = FBuffer.data();
    FZStream.avail_out = kBufferSize;
    CheckCompressResult(DeflateInit(FZStream, ZLevelOf(compressionLevel)));
}

TZCompressionStream::TZCompressionStream(TStream& dest, TZCompressionLevel compressionLevel, int windowBits,
                                         int memLevel, TZStrategy strategy)
    : TCustomZStream(dest)
{
    FZStream.next_out = FBuffer.data();
    FZStream.avail_out = kBufferSize;
    CheckCompressResult(DeflateInit2(FZStream, ZLevelOf(compressionLevel), Z_DEFLATED, windowBits, memLevel,
                                     ZStrategyOf(strategy)));
}

TZCompressionStream::~TZCompressionStream()
{
    try {
        Finish();
    } catch (...) {
        // A destructor must not throw: callers that need the error call Finish first.
    }
    deflateEnd(&FZStream);
}

void TZCompressionStream::FlushBuffer()
{
    FStream.WriteBuffer(FBuffer.data(), static_cast<long long>(kBufferSize - FZStream.avail_out));
    FZStream.next_out = FBuffer.data();
    FZStream.avail_out = kBufferSize;
}

void TZCompressionStream::Finish()
{
    if (finished_) return;
    finished_ = true;
    FZStream.next_in = nullptr;
    FZStream.avail_in = 0;
    RestoreStreamPos();
    while (CheckCompressResult(deflate(&FZStream, Z_FINISH)) != Z_STREAM_END) FlushBuffer();
    if (FZStream.avail_out < kBufferSize) FlushBuffer();
    FStreamPos = FStream.Position();
}

long long TZCompressionStream::Read(void*, long long) { throw EZCompressionError(std::wstring(SZInvalid)); }

long long TZCompressionStream::Write(const void* buffer, long long count)
{
    if (count <= 0) return 0;
    if (finished_) throw EZCompressionError(std::wstring(SZInvalid));
    RestoreStreamPos();
    auto* p = static_cast<const std::uint8_t*>(buffer);
    long long left = count;
    while (left > 0) {
        const uInt piece = static_cast<uInt>(std::min<long long>(left, 1LL << 30));
        FZStream.next_in = const_cast<Bytef*>(p);
        FZStream.avail_in = piece;
        while (FZStream.avail_in > 0) {
            CheckCompressResult(deflate(&FZStream, Z_NO_FLUSH));
            if (FZStream.avail_out == 0) {
                FlushBuffer();
                FStreamPos = FStream.Position();
                DoProgress();
            }
        }
        p += piece;
        left -= piece;
    }
    return count;
}

long long TZCompressionStream::Seek(long long offset, TSeekOrigin origin)
{
    if (offset == 0 && origin == soCurrent) return static_cast<long long>(FZStream.total_in);
    throw EZCompressionError(std::wstring(SZInvalid));
}

float TZCompressionStream::CompressionRate() const
{
    if (FZStream.total_in == 0) return 0;
    return static_cast<float>((1.0 - static_cast<double>(FZStream.total_out) / static_cast<double>(FZStream.total_in)) * 100.0);
}

TZDecompressionStream::TZDecompressionStream(TStream& source) : TCustomZStream(source), startPos_(FStreamPos)
{
    FZStream.next_in = FBuffer.data();
    FZStream.avail_in = 0;
    CheckDecompressResult(InflateInit(FZStream));
}

TZDecompressionStream::TZDecompressionStream(TStream& source, int windowBits)
    : TCustomZStream(source), startPos_(FStreamPos)
{
    FZStream.next_in = FBuffer.data();
    FZStream.avail_in = 0;
    CheckDecompressResult(InflateInit2(FZStream, windowBits));
}

TZDecompressionStream::~TZDecompressionStream() { inflateEnd(&FZStream); }

long long TZDecompressionStream::Read(void* buffer, long long count)
{
    if (count <= 0) return 0;
    RestoreStreamPos();
    auto* p = static_cast<std::uint8_t*>(buffer);
    long long done = 0;
    int code = Z_OK;
    while (done < count && code != Z_STREAM_END) {
        const uInt piece = static_cast<uInt>(std::min<long long>(count - done, 1LL << 30));
        FZStream.next_out = p + done;
        FZStream.avail_out = piece;
        while (FZStream.avail_out > 0 && code != Z_STREAM_END) {
            if (FZStream.avail_in == 0) {
                const long long got = FStream.Read(FBuffer.data(), kBufferSize);
                if (got <= 0) return done + (piece - FZStream.avail_out); // end of source
                FZStream.next_in = FBuffer.data();
                FZStream.avail_in = static_cast<uInt>(got);
                FStreamPos = FStream.Position();
                DoProgress();
            }
            code = CheckDecompressResult(inflate(&FZStream, Z_NO_FLUSH));
        }
        done += piece - FZStream.avail_out;
    }
    if (code == Z_STREAM_END && FZStream.avail_in > 0) {
        // Hand the bytes behind the compressed data back to the source.
        FStream.Seek(-static_cast<long long>(FZStream.avail_in), soCurrent);
        FStreamPos = FStream.Position();
        FZStream.avail_in = 0;
    }
    return done;
}

long long TZDecompressionStream::Write(const void*, long long) { throw EZDecompressionError(std::wstring(SZInvalid)); }

void TZDecompressionStream::Skip(long long distance)
{
    std::array<std::uint8_t, 16384> chunk;
    for (long long i = distance / 16384; i > 0; --i) ReadBuffer(chunk.data(), 16384);
    ReadBuffer(chunk.data(), distance % 16384);
}

long long TZDecompressionStream::Seek(long long offset, TSeekOrigin origin)
{
    const long long pos = static_cast<long long>(FZStream.total_out);
    if (offset == 0 && origin == soBeginning) {
        // Restart where this object began: for an archive entry that is the entry, not the archive.
        CheckDecompressResult(inflateReset(&FZStream));
        FZStream.next_in = FBuffer.data();
        FZStream.avail_in = 0;
        FStream.SetPosition(startPos_);
        FStreamPos = startPos_;
    } else if (origin == soCurrent && offset >= 0) {
        Skip(offset);
    } else if (origin == soBeginning && offset >= pos) {
        Skip(offset - pos);
    } else if (origin == soEnd && offset == 0) {
        std::array<std::uint8_t, 16384> chunk;
        while (Read(chunk.data(), 16384) > 0) {
        }
    } else {
        throw EZDecompressionError(std::wstring(SZInvalid));
    }
    return static_cast<long long>(FZStream.total_out);
}
