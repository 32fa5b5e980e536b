#include "Streams.h"

#include "Files.h"

#include <windows.h>
#include <objidl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

namespace {
constexpr long long kDefaultCopyBlock = 0xF000;
// One Win32 transfer is limited to a DWORD; stay well below it.
constexpr long long kMaxIoChunk = 0x40000000;
} // namespace

// ---- TStream -----------------------------------------------------------------------------------

long long TStream::Size()
{
    const long long position = Seek(0, soCurrent);
    const long long size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::SetSize(long long) {}

void TStream::ReadBuffer(void* buffer, long long count)
{
    if (count < 0) throw EReadError(L"Stream read error");
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        const long long got = Read(p, count);
        if (got <= 0) throw EReadError(L"Stream read error");
        p += got;
        count -= got;
    }
}

void TStream::WriteBuffer(const void* buffer, long long count)
{
    if (count < 0) throw EWriteError(L"Stream write error");
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    while (count > 0) {
        const long long put = Write(p, count);
        if (put <= 0) throw EWriteError(L"Stream write error");
        p += put;
        count -= put;
    }
}

long long TStream::CopyFrom(TStream& source, long long count, int bufferSize)
{
    if (count <= 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    const long long block = std::min(count, bufferSize > 0 ? static_cast<long long>(bufferSize) : kDefaultCopyBlock);
    std::vector<std::uint8_t> buffer(static_cast<size_t>(std::max(block, 1LL)));
    long long left = count;
    while (left > 0) {
        const long long n = std::min(left, block);
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

// ---- TCustomMemoryStream -----------------------------------------------------------------------

void TCustomMemoryStream::SetPointer(const std::uint8_t* data, long long size)
{
    data_ = data;
    size_ = size;
}

long long TCustomMemoryStream::Read(void* buffer, long long count)
{
    if (count <= 0 || position_ < 0 || position_ >= size_) return 0;
    const long long n = std::min(count, size_ - position_);
    std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

long long TCustomMemoryStream::Seek(long long offset, TSeekOrigin origin)
{
    switch (origin) {
    case soBeginning: position_ = offset; break;
    case soCurrent: position_ += offset; break;
    case soEnd: position_ = size_ + offset; break;
    }
    return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& stream)
{
    if (size_ > 0) stream.WriteBuffer(data_, size_);
}

void TCustomMemoryStream::SaveToFile(const UnicodeString& fileName)
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

// ---- TMemoryStream -----------------------------------------------------------------------------

long long TMemoryStream::Write(const void* buffer, long long count)
{
    if (count <= 0 || position_ < 0) return 0;
    if (count > std::numeric_limits<long long>::max() - position_) return 0;
    const long long end = position_ + count;
    if (end > Size()) SetSize(end);
    std::memcpy(buffer_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

void TMemoryStream::SetSize(long long size)
{
    if (size < 0) size = 0;
    // Bytes between the old end and a new, larger end read as zero.
    buffer_.resize(static_cast<size_t>(size));
    SetPointer(buffer_.data(), size);
    if (position_ > size) position_ = size;
}

void TMemoryStream::Clear()
{
    std::vector<std::uint8_t>().swap(buffer_);
    SetPointer(nullptr, 0);
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    const long long size = stream.Size();
    SetSize(size);
    if (size > 0) stream.ReadBuffer(buffer_.data(), size);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const UnicodeString& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

// ---- TFileStream -------------------------------------------------------------------------------

TFileStream::TFileStream(const UnicodeString& fileName, unsigned short mode) : fileName_(fileName)
{
    static constexpr DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
    const unsigned shareIndex = (mode & 0xF0u) >> 4;
    const DWORD share = shareIndex < 5 ? kShare[shareIndex] : 0;
    if ((mode & fmCreate) == fmCreate) {
        handle_ = CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) {
            const DWORD err = GetLastError();
            throw EFCreateError(L"Cannot create file \"" + ExpandFileName(fileName) + L"\". " + SystemErrorText(err));
        }
        return;
    }
    static constexpr DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    const unsigned accessIndex = mode & 0x3u;
    const DWORD access = accessIndex < 3 ? kAccess[accessIndex] : GENERIC_READ;
    handle_ = CreateFileW(fileName.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        throw EFOpenError(L"Cannot open file \"" + ExpandFileName(fileName) + L"\". " + SystemErrorText(err));
    }
}

TFileStream::~TFileStream()
{
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

long long TFileStream::Read(void* buffer, long long count)
{
    if (count <= 0) return 0;
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(std::min(count, kMaxIoChunk)), &got, nullptr)) return 0;
    return got;
}

long long TFileStream::Write(const void* buffer, long long count)
{
    if (count <= 0) return 0;
    DWORD put = 0;
    if (!WriteFile(handle_, buffer, static_cast<DWORD>(std::min(count, kMaxIoChunk)), &put, nullptr)) return 0;
    return put;
}

long long TFileStream::Seek(long long offset, TSeekOrigin origin)
{
    static constexpr DWORD kMethod[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER result{};
    if (!SetFilePointerEx(handle_, distance, &result, kMethod[origin])) return -1;
    return result.QuadPart;
}

void TFileStream::SetSize(long long size)
{
    SetPosition(size);
    if (!SetEndOfFile(handle_)) throw EStreamError(L"Stream write error: " + SystemErrorText(GetLastError()));
}

// ---- TResourceStream ---------------------------------------------------------------------------

TResourceStream::TResourceStream(void* instance, const UnicodeString& resourceName)
{
    auto module = static_cast<HMODULE>(instance ? instance : GetModuleHandleW(nullptr));
    HRSRC info = FindResourceW(module, resourceName.c_str(), RT_RCDATA);
    if (!info) throw EResNotFound(L"Resource " + resourceName + L" not found");
    HGLOBAL handle = LoadResource(module, info);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data) throw EResNotFound(L"Resource " + resourceName + L" not found");
    SetPointer(static_cast<const std::uint8_t*>(data), SizeofResource(module, info));
}

long long TResourceStream::Write(const void*, long long)
{
    throw EStreamError(L"Can't write to a read-only resource stream");
}

// ---------------------------------------------------------------------------------------------
// IStream adapter

namespace {

class TStreamAdapter final : public IStream {
public:
    explicit TStreamAdapter(TStream& stream) : stream_(stream) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(ISequentialStream)) ||
            IsEqualIID(riid, __uuidof(IStream))) {
            *object = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG refs = --refs_;
        if (refs == 0) delete this;
        return refs;
    }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* done) override
    {
        return Guarded([&] {
            const long long n = buffer ? stream_.Read(buffer, count) : 0;
            if (done) *done = static_cast<ULONG>(n);
            return n < static_cast<long long>(count) ? S_FALSE : S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* done) override
    {
        return Guarded([&] {
            const long long n = buffer ? stream_.Write(buffer, count) : 0;
            if (done) *done = static_cast<ULONG>(n);
            return n < static_cast<long long>(count) ? STG_E_MEDIUMFULL : S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override
    {
        if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
        return Guarded([&] {
            const long long p = stream_.Seek(move.QuadPart, static_cast<TSeekOrigin>(origin));
            if (position) position->QuadPart = static_cast<ULONGLONG>(p);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override
    {
        return Guarded([&] {
            stream_.SetSize(static_cast<long long>(size.QuadPart));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override
    {
        if (!target) return STG_E_INVALIDPOINTER;
        std::uint8_t block[4096];
        ULONGLONG left = count.QuadPart, in = 0, out = 0;
        HRESULT result = S_OK;
        while (left > 0) {
            ULONG got = 0, put = 0;
            result = Read(block, static_cast<ULONG>(std::min<ULONGLONG>(left, sizeof(block))), &got);
            if (FAILED(result) || got == 0) break;
            in += got;
            result = target->Write(block, got, &put);
            out += put;
            if (FAILED(result) || put < got) break;
            left -= got;
        }
        if (read) read->QuadPart = in;
        if (written) written->QuadPart = out;
        return FAILED(result) ? result : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return STG_E_REVERTED; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override
    {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override
    {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override
    {
        if (!stat) return STG_E_INVALIDPOINTER;
        return Guarded([&] {
            *stat = STATSTG{};
            stat->type = STGTY_STREAM;
            stat->cbSize.QuadPart = static_cast<ULONGLONG>(stream_.Size());
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** copy) override
    {
        if (copy) *copy = nullptr;
        return E_NOTIMPL;
    }

private:
    // Exceptions must not cross the COM boundary.
    template <class F>
    static HRESULT Guarded(F&& f)
    {
        try {
            return f();
        } catch (...) {
            return STG_E_ACCESSDENIED;
        }
    }

    TStream& stream_;
    std::atomic<ULONG> refs_{1};
};

} // namespace

IStream* CreateStreamAdapter(TStream& stream) { return new TStreamAdapter(stream); }
