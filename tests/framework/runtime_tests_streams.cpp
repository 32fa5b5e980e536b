#include "Exceptions.h"
#include "Files.h"
#include "Streams.h"
#include "runtime_test_tempdir.h"

#include <windows.h>
#include <objidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes Sequence(size_t n, std::uint8_t start = 0)
{
    Bytes b(n);
    std::iota(b.begin(), b.end(), start);
    return b;
}

Bytes Content(TMemoryStream& s) { return Bytes(s.Memory(), s.Memory() + s.Size()); }

void Fill(TMemoryStream& s, const Bytes& bytes)
{
    s.Clear();
    s.WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
}

// A memory stream that moves at most `step` bytes per call and can refuse writes, as pipes and
// full disks do.
class TrickleStream : public TMemoryStream {
public:
    explicit TrickleStream(long long step) : step_(step) {}
    long long Read(void* buffer, long long count) override
    {
        return TMemoryStream::Read(buffer, std::min(count, step_));
    }
    long long Write(const void* buffer, long long count) override
    {
        if (refuseWrites) return 0;
        return TMemoryStream::Write(buffer, std::min(count, step_));
    }
    bool refuseWrites = false;

private:
    long long step_;
};
} // namespace

TEST(MemoryStream, ReadWriteSeekAndGrow)
{
    TMemoryStream s;
    EXPECT_EQ(s.Size(), 0);
    const Bytes data = Sequence(10, 1);
    s.WriteBuffer(data.data(), 10);
    EXPECT_EQ(s.Position(), 10);
    EXPECT_EQ(s.Size(), 10);

    EXPECT_EQ(s.Seek(-4, soEnd), 6);
    std::uint8_t out[8] = {};
    EXPECT_EQ(s.Read(out, 8), 4);  // only what is left
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(s.Read(out, 8), 0);

    // Writing past the end grows the stream; the gap reads as zero.
    s.SetPosition(12);
    const std::uint8_t tail = 0xAA;
    s.WriteBuffer(&tail, 1);
    EXPECT_EQ(s.Size(), 13);
    EXPECT_EQ(Content(s)[10], 0);
    EXPECT_EQ(Content(s)[11], 0);
    EXPECT_EQ(Content(s)[12], 0xAA);

    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(Content(s), (Bytes{1, 2, 3}));
    s.Seek(-1, soCurrent);
    EXPECT_EQ(s.Position(), 2);
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(Stream, ShortTransfersRaise)
{
    TMemoryStream s;
    Fill(s, Sequence(5));
    s.SetPosition(2);
    std::uint8_t out[8] = {};
    EXPECT_THROW(s.ReadBuffer(out, 4), EReadError);  // 3 left
    s.SetPosition(2);
    EXPECT_NO_THROW(s.ReadBuffer(out, 3));
    EXPECT_NO_THROW(s.ReadBuffer(out, 0));
    EXPECT_THROW(s.ReadBuffer(out, 1), EReadError);  // at the end

    // Partial transfers are completed by looping; a stream that stops moving bytes raises.
    TrickleStream trickle(2);
    const Bytes data = Sequence(9);
    trickle.WriteBuffer(data.data(), 9);
    trickle.SetPosition(0);
    Bytes back(9);
    trickle.ReadBuffer(back.data(), 9);
    EXPECT_EQ(back, data);
    trickle.refuseWrites = true;
    EXPECT_THROW(trickle.WriteBuffer(data.data(), 1), EWriteError);
    try {
        trickle.WriteBuffer(data.data(), 1);
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.ClassName(), L"EWriteError");
    }
}

// CopyFrom: count 0 copies the whole source from its start; a positive count reads on from the
// source's current position and must be available in full.
TEST(Stream, CopyFromSemantics)
{
    struct Case {
        long long startPosition;
        long long count;
        int bufferSize;
        Bytes copied;  // empty with throws
        bool throws;
    };
    const Bytes source = Sequence(10, 100);
    const Case cases[] = {
        {4, 0, 0, source, false},
        {10, 0, 3, source, false},
        {4, -1, 0, source, false},
        {4, 3, 0, {104, 105, 106}, false},
        {0, 10, 4, source, false},
        {7, 3, 1, {107, 108, 109}, false},
        {7, 4, 0, {}, true},
    };
    for (const Case& c : cases) {
        TrickleStream src(3);  // reads come in pieces
        src.WriteBuffer(source.data(), static_cast<long long>(source.size()));
        src.SetPosition(c.startPosition);
        TMemoryStream dest;
        const std::uint8_t marker = 0xEE;
        dest.WriteBuffer(&marker, 1);  // copying appends at the destination's position
        if (c.throws) {
            EXPECT_THROW(dest.CopyFrom(src, c.count, c.bufferSize), EReadError)
                << "start " << c.startPosition << " count " << c.count;
            continue;
        }
        EXPECT_EQ(dest.CopyFrom(src, c.count, c.bufferSize), static_cast<long long>(c.copied.size()));
        Bytes expected{marker};
        expected.insert(expected.end(), c.copied.begin(), c.copied.end());
        EXPECT_EQ(Content(dest), expected) << "start " << c.startPosition << " count " << c.count;
    }
}

class FileStreamTest : public testing::Test {
protected:
    TestTempDir dir;
};

TEST_F(FileStreamTest, CreateReadModifyAndTruncate)
{
    const UnicodeString path = dir.File(L"data.bin");
    const Bytes data = Sequence(100000);
    {
        TFileStream out(path, fmCreate);
        out.WriteBuffer(data.data(), static_cast<long long>(data.size()));
        EXPECT_EQ(out.Size(), 100000);
        EXPECT_EQ(out.FileName(), path);
    }
    {
        TFileStream in(path, fmOpenRead | fmShareDenyWrite);
        TMemoryStream copy;
        EXPECT_EQ(copy.CopyFrom(in, 0), 100000);
        EXPECT_EQ(Content(copy), data);
        std::uint8_t b = 0;
        EXPECT_THROW(in.WriteBuffer(&b, 1), EWriteError);  // opened for reading
    }
    {
        TFileStream rw(path, fmOpenReadWrite);
        rw.SetPosition(99998);
        const std::uint8_t patch[4] = {1, 2, 3, 4};
        rw.WriteBuffer(patch, 4);  // overwrites two bytes and appends two
        EXPECT_EQ(rw.Size(), 100002);
        rw.SetSize(10);
        EXPECT_EQ(rw.Size(), 10);
    }
    EXPECT_EQ(TFile::ReadAllBytes(path), Sequence(10));

    {
        TFileStream again(path, fmCreate);  // truncates
    }
    EXPECT_TRUE(TFile::ReadAllBytes(path).empty());
}

TEST_F(FileStreamTest, ShareModesAndOpenErrors)
{
    const UnicodeString path = dir.Write(L"shared.bin", std::string("abc"));
    {
        TFileStream reader(path, fmOpenRead | fmShareDenyWrite);
        EXPECT_NO_THROW(TFileStream(path, fmOpenRead | fmShareDenyWrite));  // other readers welcome
        EXPECT_THROW(TFileStream(path, fmOpenReadWrite | fmShareDenyNone), EFOpenError);
    }
    {
        TFileStream exclusive(path, fmOpenReadWrite | fmShareExclusive);
        EXPECT_THROW(TFileStream(path, fmOpenRead | fmShareDenyNone), EFOpenError);
    }

    try {
        TFileStream missing(dir.File(L"missing.bin"), fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message().rfind(L"Cannot open file \"" + dir.File(L"missing.bin") + L"\".", 0), 0u)
            << testing::PrintToString(e.Message());
    }
    EXPECT_THROW(TFileStream(dir.File(L"no\\such\\x.bin"), fmCreate), EFCreateError);
}

TEST_F(FileStreamTest, MemoryStreamFileRoundTrip)
{
    TMemoryStream s;
    Fill(s, Sequence(300, 7));
    s.SaveToFile(dir.File(L"m.bin"));
    TMemoryStream back;
    back.LoadFromFile(dir.File(L"m.bin"));
    EXPECT_EQ(Content(back), Sequence(300, 7));
    EXPECT_EQ(back.Position(), 0);
    EXPECT_THROW(back.LoadFromFile(dir.File(L"none.bin")), EFOpenError);
}

// The resource is added to a copy of this program, which is then loaded as a data file.
TEST_F(FileStreamTest, ResourceStreamReadsRcDataByName)
{
    const UnicodeString module = dir.File(L"withres.exe");
    ASSERT_TRUE(CopyFileW(ParamStr(0).c_str(), module.c_str(), FALSE));
    const std::string payload = "skin options\r\n[GLOBALINFO]\r\n";
    HANDLE update = BeginUpdateResourceW(module.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(UpdateResourceW(update, RT_RCDATA, L"SKINDATA", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                const_cast<char*>(payload.data()), static_cast<DWORD>(payload.size())));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));

    HMODULE data = LoadLibraryExW(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(data, nullptr);
    {
        TResourceStream res(data, L"SKINDATA");
        EXPECT_EQ(res.Size(), static_cast<long long>(payload.size()));
        std::string text(payload.size(), '\0');
        res.ReadBuffer(text.data(), static_cast<long long>(text.size()));
        EXPECT_EQ(text, payload);
        EXPECT_THROW(res.WriteBuffer(text.data(), 1), EStreamError);

        TMemoryStream copy;
        EXPECT_EQ(copy.CopyFrom(res, 0), static_cast<long long>(payload.size()));
        EXPECT_THROW(TResourceStream(data, L"NOSUCH"), EResNotFound);
    }
    FreeLibrary(data);
}

TEST(StreamAdapter, ReadsWritesSeeksAndReportsTheSizeOfTheStream)
{
    TMemoryStream stream;
    IStream* adapter = CreateStreamAdapter(stream);
    ASSERT_TRUE(adapter);
    ULONG done = 0;
    EXPECT_EQ(adapter->Write("abcdef", 6, &done), S_OK);
    EXPECT_EQ(done, 6u);
    EXPECT_EQ(stream.Size(), 6);

    LARGE_INTEGER move{};
    ULARGE_INTEGER at{};
    move.QuadPart = -4;
    EXPECT_EQ(adapter->Seek(move, STREAM_SEEK_END, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 2u);
    char buffer[8] = {};
    EXPECT_EQ(adapter->Read(buffer, 8, &done), S_FALSE) << "fewer bytes than asked";
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(std::string(buffer, 4), "cdef");
    EXPECT_EQ(adapter->Seek(move, 7, &at), STG_E_INVALIDFUNCTION);

    STATSTG stat{};
    EXPECT_EQ(adapter->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 6u);
    ULARGE_INTEGER size{};
    size.QuadPart = 3;
    EXPECT_EQ(adapter->SetSize(size), S_OK);
    EXPECT_EQ(stream.Size(), 3);

    IUnknown* unknown = nullptr;
    EXPECT_EQ(adapter->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 1u);
    IStream* clone = reinterpret_cast<IStream*>(1);
    EXPECT_EQ(adapter->Clone(&clone), E_NOTIMPL);
    EXPECT_EQ(clone, nullptr);
    EXPECT_EQ(adapter->Release(), 0u);
}
