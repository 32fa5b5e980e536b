// Compression over zlib: round trips through every entry point, the archive-entry shape of the
// decompression stream (source left just behind the data), and the error paths.
#include "acZLibEx.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <random>
#include <thread>

namespace {

TBytes RandomBytes(std::size_t size, unsigned seed = 7)
{
    std::mt19937 rng(seed);
    TBytes data(size);
    for (auto& b : data) b = static_cast<std::uint8_t>(rng());
    return data;
}

TBytes RepetitiveBytes(std::size_t size)
{
    TBytes data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>("skin data "[i % 10]);
    return data;
}

AnsiString Str(const TBytes& b) { return AnsiString(b.begin(), b.end()); }
TBytes Bytes(const AnsiString& s) { return TBytes(s.begin(), s.end()); }

TBytes StreamBytes(TMemoryStream& m) { return TBytes(m.Memory(), m.Memory() + m.Size()); }

void WriteAll(TStream& s, const TBytes& data)
{
    if (!data.empty()) s.WriteBuffer(data.data(), static_cast<long long>(data.size()));
}

// Runs body on its own thread; a hang fails the test instead of blocking the run.
void WithDeadline(const std::function<void()>& body)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> result = done->get_future();
    std::thread([body, done] {
        try {
            body();
            done->set_value();
        } catch (...) {
            done->set_exception(std::current_exception());
        }
    }).detach();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "loops for ever";
    result.get();
}

template <class E>
void ExpectZError(const std::function<void()>& body, int code, const wchar_t* message)
{
    try {
        body();
        ADD_FAILURE() << "no exception, expected " << code;
    } catch (const E& e) {
        EXPECT_EQ(e.ErrorCode(), code);
        EXPECT_EQ(e.Message(), message);
    }
}

} // namespace

TEST(SkinZLib, RoundTripsThroughEveryPath)
{
    const std::size_t sizes[] = {0, 1, 131071, 131072, 300000};
    for (std::size_t size : sizes) {
        for (const TBytes& data : {RandomBytes(size), RepetitiveBytes(size)}) {
            SCOPED_TRACE(testing::Message() << size << " bytes, first " << (data.empty() ? 0 : data[0]));
            for (TZCompressionLevel level : {zcNone, zcFastest, zcDefault, zcMax, zcLevel5})
                EXPECT_EQ(ZDecompress(ZCompress(data, level)), data) << "level " << level;
            for (int bits : {15, -15, 31})
                EXPECT_EQ(ZDecompress2(ZCompress2(data, zcDefault, bits, 8, zsDefault), 0, bits), data) << bits;
            EXPECT_EQ(ZDecompress(ZCompress2(data, zcLevel9, 15, 9, zsFiltered), 100), data);

            EXPECT_EQ(ZDecompressStr(ZCompressStr(Str(data))), Str(data));
            EXPECT_EQ(ZDecompressStr2(ZCompressStr2(Str(data), zcFastest, 31, 8, zsRLE), 31), Str(data));
            EXPECT_EQ(ZDecompressStrEx(ZCompressStrEx(Str(data))), Str(data));
            EXPECT_EQ(ZDecompressStr2(ZCompressStrWeb(Str(data)), -15), Str(data));

            TMemoryStream plain, packed, unpacked;
            WriteAll(plain, data);
            plain.SetPosition(0);
            ZCompressStream(plain, packed);
            packed.SetPosition(0);
            ZDecompressStream(packed, unpacked);
            EXPECT_EQ(StreamBytes(unpacked), data);
            EXPECT_EQ(packed.Position(), packed.Size());

            TMemoryStream viaClass;
            {
                TZCompressionStream z(viaClass, zcMax);
                // Uneven pieces: the class must not depend on how writes are cut.
                for (std::size_t at = 0; at < data.size(); at += 70001)
                    z.WriteBuffer(data.data() + at, static_cast<long long>(std::min<std::size_t>(70001, data.size() - at)));
                EXPECT_EQ(z.Seek(0, soCurrent), static_cast<long long>(size));
            }
            EXPECT_EQ(ZDecompress(StreamBytes(viaClass)), data);
            viaClass.SetPosition(0);
            TZDecompressionStream unz(viaClass);
            TBytes back(size + 10);
            EXPECT_EQ(unz.Read(back.data(), static_cast<long long>(back.size())), static_cast<long long>(size));
            back.resize(size);
            EXPECT_EQ(back, data);
        }
    }
}

TEST(SkinZLib, WebFormatChecksumsAndRate)
{
    const AnsiString text = Str(RepetitiveBytes(5000));
    // Raw deflate: the zlib stream of the same settings without its 2-byte header and Adler-32 trailer.
    const AnsiString wrapped = ZCompressStr2(text, zcFastest, 15, 9, zsDefault);
    const AnsiString web = ZCompressStrWeb(text);
    EXPECT_EQ(web, wrapped.substr(2, wrapped.size() - 6));
    EXPECT_THROW(ZDecompressStr(web), EZDecompressionError);
    TMemoryStream in, out;
    WriteAll(in, Bytes(text));
    in.SetPosition(0);
    ZCompressStreamWeb(in, out);
    EXPECT_EQ(Str(StreamBytes(out)), web);

    const AnsiString wiki = "Wikipedia", digits = "123456789";
    EXPECT_EQ(ZAdler32(1, Bytes(wiki)), 0x11E60398u);
    EXPECT_EQ(ZCrc32(0, Bytes(digits)), 0xCBF43926u);
    EXPECT_EQ(ZCrc32(ZCrc32(0, Bytes("1234")), Bytes("56789")), 0xCBF43926u);

    TMemoryStream dest;
    TZCompressionStream z(dest);
    EXPECT_EQ(z.CompressionRate(), 0.0f);
    const TBytes zeros(100000);
    WriteAll(z, zeros);
    z.Finish();
    EXPECT_NEAR(z.CompressionRate(), (1.0 - dest.Size() / 100000.0) * 100, 1e-3);
    EXPECT_GT(z.CompressionRate(), 99.0f);
    z.Finish(); // once only: the trailer is not written twice
    EXPECT_EQ(ZDecompress(StreamBytes(dest)), zeros);
}

TEST(SkinZLib, DecompressionStreamOverArchiveEntries)
{
    const TBytes first = RandomBytes(200000, 1), second = RepetitiveBytes(50000);
    const TBytes packedFirst = ZCompress(first), packedSecond = ZCompress(second);
    const AnsiString prefix = "ARCHIVE HEADER", trailer = "TRAILING BYTES";
    TMemoryStream archive;
    WriteAll(archive, Bytes(prefix));
    WriteAll(archive, packedFirst);
    WriteAll(archive, packedSecond);
    WriteAll(archive, Bytes(trailer));
    const long long firstAt = static_cast<long long>(prefix.size());
    const long long secondAt = firstAt + static_cast<long long>(packedFirst.size());

    archive.SetPosition(firstAt);
    {
        TZDecompressionStream entry(archive);
        TMemoryStream out;
        out.CopyFrom(entry, static_cast<long long>(first.size()));
        EXPECT_EQ(StreamBytes(out), first);
        EXPECT_EQ(archive.Position(), secondAt) << "source left just behind the entry";
        char more;
        EXPECT_EQ(entry.Read(&more, 1), 0);
        EXPECT_EQ(archive.Position(), secondAt);
    }
    {
        TZDecompressionStream entry(archive); // the next entry, back to back
        TMemoryStream out;
        out.CopyFrom(entry, static_cast<long long>(second.size()));
        EXPECT_EQ(StreamBytes(out), second);
        EXPECT_EQ(archive.Position(), secondAt + static_cast<long long>(packedSecond.size()));
    }

    archive.SetPosition(secondAt);
    TZDecompressionStream entry(archive);
    EXPECT_EQ(entry.Seek(1000, soCurrent), 1000);
    EXPECT_EQ(entry.Seek(3000, soBeginning), 3000);
    std::uint8_t b = 0;
    entry.ReadBuffer(&b, 1);
    EXPECT_EQ(b, second[3000]);
    ExpectZError<EZDecompressionError>([&] { entry.Seek(10, soBeginning); }, 0, SZInvalid);
    ExpectZError<EZDecompressionError>([&] { entry.Seek(-1, soCurrent); }, 0, SZInvalid);
    ExpectZError<EZDecompressionError>([&] { entry.Seek(5, soEnd); }, 0, SZInvalid);
    ExpectZError<EZDecompressionError>([&] { entry.Write(&b, 1); }, 0, SZInvalid);

    // Restarts at the entry, not at the archive's header.
    archive.SetPosition(0);
    EXPECT_EQ(entry.Seek(0, soBeginning), 0);
    EXPECT_EQ(entry.Size(), static_cast<long long>(second.size()));
    TBytes again(second.size());
    entry.ReadBuffer(again.data(), static_cast<long long>(again.size()));
    EXPECT_EQ(again, second);
    EXPECT_THROW(entry.ReadBuffer(&b, 1), EReadError);

    TMemoryStream dest;
    TZCompressionStream z(dest);
    WriteAll(z, first);
    EXPECT_EQ(z.Seek(0, soCurrent), static_cast<long long>(first.size()));
    ExpectZError<EZCompressionError>([&] { z.Seek(0, soBeginning); }, 0, SZInvalid);
    ExpectZError<EZCompressionError>([&] { z.Read(&b, 1); }, 0, SZInvalid);
}

TEST(SkinZLib, ErrorsAreRaisedNotLooped)
{
    struct Case {
        int code;
        const wchar_t* text;
    };
    const Case table[] = {{2, L"need dictionary"},       {1, L"stream end"},     {0, L"ok"},
                          {-1, L"file error"},           {-2, L"stream error"},  {-3, L"data error"},
                          {-4, L"insufficient memory"},  {-5, L"buffer error"},  {-6, L"incompatible version"},
                          {-7, L"unknown zlib error -7"}};
    for (const Case& c : table) {
        const EZLibError e(c.code);
        EXPECT_EQ(e.Message(), c.text);
        EXPECT_EQ(e.ErrorCode(), c.code);
    }
    EXPECT_EQ(EZLibError(zeVersionError).ErrorCode(), -6);
    EXPECT_EQ(EZLibError(zeVersionError).Message(), L"incompatible version");
    EXPECT_EQ(EZLibError(zeDataError).ErrorCode(), -3);

    const TBytes data = RandomBytes(70000, 3);
    const TBytes packed = ZCompress(data);
    TBytes corrupt = packed;
    corrupt[0] = 0x79; // header check fails
    TBytes cut(packed.begin(), packed.begin() + static_cast<long>(packed.size() / 2));

    ExpectZError<EZDecompressionError>([&] { ZDecompress(corrupt); }, -3, L"data error");
    ExpectZError<EZDecompressionError>([&] { ZDecompress(cut); }, -5, L"buffer error");
    for (const TBytes* bad : {&corrupt, &cut}) {
        TMemoryStream in, out;
        WriteAll(in, *bad);
        in.SetPosition(0);
        ExpectZError<EZDecompressionError>([&] { ZDecompressStream(in, out); }, bad == &cut ? -5 : -3,
                                           bad == &cut ? L"buffer error" : L"data error");
    }
    {
        TMemoryStream in;
        WriteAll(in, cut);
        in.SetPosition(0);
        TZDecompressionStream z(in);
        TBytes out(data.size());
        const long long got = z.Read(out.data(), static_cast<long long>(out.size()));
        EXPECT_GT(got, 0);
        EXPECT_LT(got, static_cast<long long>(data.size()));
        in.SetPosition(0);
        z.Seek(0, soBeginning);
        EXPECT_THROW(z.ReadBuffer(out.data(), static_cast<long long>(out.size())), EReadError);
    }

    // A preset dictionary: inflate asks for it on every call.
    TBytes withDict(200);
    {
        const TBytes dict = Bytes("dictionary"), text = RepetitiveBytes(1000);
        z_stream zs{};
        ASSERT_EQ(deflateInit(&zs, 9), Z_OK);
        deflateSetDictionary(&zs, dict.data(), static_cast<uInt>(dict.size()));
        zs.next_in = const_cast<Bytef*>(text.data());
        zs.avail_in = static_cast<uInt>(text.size());
        zs.next_out = withDict.data();
        zs.avail_out = static_cast<uInt>(withDict.size());
        ASSERT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
        withDict.resize(zs.total_out);
        deflateEnd(&zs);
    }
    WithDeadline([&] { ExpectZError<EZDecompressionError>([&] { ZDecompress(withDict); }, 2, L"need dictionary"); });
    WithDeadline([&] {
        TMemoryStream in, out;
        WriteAll(in, withDict);
        in.SetPosition(0);
        ExpectZError<EZDecompressionError>([&] { ZDecompressStream(in, out); }, 2, L"need dictionary");
        in.SetPosition(0);
        TZDecompressionStream z(in);
        char b;
        ExpectZError<EZDecompressionError>([&] { z.Read(&b, 1); }, 2, L"need dictionary");
    });

    // The estimate only sizes the first buffer.
    EXPECT_EQ(ZDecompress(packed, 1), data);
    EXPECT_EQ(ZDecompress(ZCompress({})).size(), 0u);
    const AnsiString ex = ZCompressStrEx("abc");
    for (const AnsiString& shortInput : {AnsiString(), AnsiString("\x03\x00\x00", 3)})
        ExpectZError<EZDecompressionError>([&] { ZDecompressStrEx(shortInput); }, -3, L"data error");
    AnsiString negative = ex;
    negative[3] = '\x80';
    ExpectZError<EZDecompressionError>([&] { ZDecompressStrEx(negative); }, -3, L"data error");
    AnsiString huge = ex;
    huge[3] = '\x7F'; // about 2 GiB asked for: capped, the data still decodes
    EXPECT_EQ(ZDecompressStrEx(huge), "abc");
}
