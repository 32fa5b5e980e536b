#pragma once
// Byte streams: the abstract TStream with checked whole-buffer transfers, a growable memory
// stream, a file stream over a Win32 handle, a read-only stream over an RCDATA resource, and a
// COM IStream over any of them for system calls that take one.
#include "Exceptions.h"
#include "Objects.h"
#include "Strings.h"

#include <cstdint>
#include <vector>

FW_DECLARE_EXCEPTION(EResNotFound, Exception);

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
    UnicodeString ClassName() const override { return L"TStream"; }

    // Transfer up to count bytes; return the number moved (0 at the end, never negative).
    virtual long long Read(void* buffer, long long count) = 0;
    virtual long long Write(const void* buffer, long long count) = 0;
    // Returns the new position.
    virtual long long Seek(long long offset, TSeekOrigin origin) = 0;

    long long Position() { return Seek(0, soCurrent); }
    void SetPosition(long long position) { Seek(position, soBeginning); }
    virtual long long Size();
    virtual void SetSize(long long size);

    // Exactly count bytes or EReadError / EWriteError.
    void ReadBuffer(void* buffer, long long count);
    void WriteBuffer(const void* buffer, long long count);

    // Copies count bytes from source's current position. count <= 0 copies the whole source
    // from its start. bufferSize 0 takes the default block size. Returns the bytes copied.
    long long CopyFrom(TStream& source, long long count, int bufferSize = 0);
};

// Memory block with a position; it grows on writes past its end.
class TCustomMemoryStream : public TStream {
public:
    UnicodeString ClassName() const override { return L"TCustomMemoryStream"; }
    long long Read(void* buffer, long long count) override;
    long long Seek(long long offset, TSeekOrigin origin) override;
    long long Size() override { return size_; }

    const std::uint8_t* Memory() const { return data_; }
    void SaveToStream(TStream& stream);
    void SaveToFile(const UnicodeString& fileName);

protected:
    void SetPointer(const std::uint8_t* data, long long size);
    long long position_ = 0;

private:
    const std::uint8_t* data_ = nullptr;
    long long size_ = 0;
};

class TMemoryStream : public TCustomMemoryStream {
public:
    TMemoryStream() = default;
    UnicodeString ClassName() const override { return L"TMemoryStream"; }
    long long Write(const void* buffer, long long count) override;
    void SetSize(long long size) override;
    std::uint8_t* Memory() { return buffer_.data(); }
    const std::uint8_t* Memory() const { return buffer_.data(); }
    void Clear();
    // Replace the content with the whole of stream (from its start) or of the file.
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const UnicodeString& fileName);

private:
    std::vector<std::uint8_t> buffer_;
};

// File open modes: one access mode, optionally or-ed with one share mode; fmCreate creates or
// truncates (its share bits apply too).
inline constexpr unsigned short fmCreate = 0xFF00;
inline constexpr unsigned short fmOpenRead = 0x0000;
inline constexpr unsigned short fmOpenWrite = 0x0001;
inline constexpr unsigned short fmOpenReadWrite = 0x0002;
inline constexpr unsigned short fmShareCompat = 0x0000;
inline constexpr unsigned short fmShareExclusive = 0x0010;
inline constexpr unsigned short fmShareDenyWrite = 0x0020;
inline constexpr unsigned short fmShareDenyRead = 0x0030;
inline constexpr unsigned short fmShareDenyNone = 0x0040;

class TFileStream : public TStream {
public:
    // Raises EFCreateError (fmCreate) or EFOpenError naming the file and the system's reason.
    TFileStream(const UnicodeString& fileName, unsigned short mode);
    ~TFileStream() override;
    UnicodeString ClassName() const override { return L"TFileStream"; }

    long long Read(void* buffer, long long count) override;
    long long Write(const void* buffer, long long count) override;
    long long Seek(long long offset, TSeekOrigin origin) override;
    void SetSize(long long size) override;
    const UnicodeString& FileName() const { return fileName_; }
    void* Handle() const { return handle_; }

private:
    UnicodeString fileName_;
    void* handle_;
};

// Read-only view of an RT_RCDATA resource. instance null means the program itself.
class TResourceStream : public TCustomMemoryStream {
public:
    // Raises EResNotFound when the module has no such resource.
    TResourceStream(void* instance, const UnicodeString& resourceName);
    UnicodeString ClassName() const override { return L"TResourceStream"; }
    // Raises EStreamError: resources cannot be written.
    long long Write(const void* buffer, long long count) override;
};

// A COM IStream that reads, writes and seeks the given stream, which the caller keeps and which
// must outlive the adapter. It comes with one reference: Release it. Stat reports the size
// only; Clone, range locks, commit and revert are not supported.
struct IStream;
IStream* CreateStreamAdapter(TStream& stream);
