// Reading packed skin archives ("VSK1", the entry count, then per entry the name length, the
// name, the unpacked size and a zlib stream). Archives come from files and form files, so every
// count, length and size is checked against the data before it is used: a damaged or hostile
// archive is refused like one with a wrong signature, without large allocations, reads past
// the data or an exception out of the reader.
#include "sSkinManager.h"

#include "Dialogs.h"
#include "Encoding.h"
#include "Files.h"
#include "acZLibEx.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::array<std::uint8_t, 4> kSignature{'V', 'S', 'K', '1'};
constexpr long long kHeaderSize = 16;
constexpr std::uint32_t kMaxEntries = 4096;
constexpr std::uint32_t kMaxNameLength = 1024;
constexpr std::uint32_t kMaxUnpackedSize = 256u * 1024 * 1024;
constexpr long long kCopyBufferSize = 1048576;

std::uint32_t ReadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Reads a 32-bit value at the stream's position; false when fewer than four bytes remain.
bool TakeU32(TMemoryStream& s, std::uint32_t& value)
{
    const long long pos = s.Position();
    if (pos < 0 || s.Size() - pos < 4) return false;
    value = ReadU32(s.Memory() + pos);
    s.SetPosition(pos + 4);
    return true;
}

TacFileType FileTypeOf(const UnicodeString& name)
{
    const UnicodeString ext = UpperCase(ExtractFileExt(name));
    if (ext == L".BMP") return ftBmp;
    if (ext == L".TTF" || ext == L".OTF") return ftFont;
    return ftOther;
}

// Inflates one zlib stream from the packed stream's position into exactly size bytes and leaves
// the packed stream just behind it. Null when the stream is broken or unpacks to another size.
std::unique_ptr<TMemoryStream> Inflate(TMemoryStream& packed, std::uint32_t size)
{
    auto out = std::make_unique<TMemoryStream>();
    TZDecompressionStream z(packed);
    std::vector<std::uint8_t> buffer(static_cast<size_t>(std::min<long long>(kCopyBufferSize, size + 1LL)));
    long long left = size;
    while (left > 0) {
        const long long want = std::min<long long>(left, static_cast<long long>(buffer.size()));
        const long long got = z.Read(buffer.data(), want);
        if (got <= 0) return nullptr; // the stream ended (or the data did) before size bytes
        out->WriteBuffer(buffer.data(), got);
        left -= got;
    }
    // One more byte must not come: the entry would unpack to more than its size. The read also
    // moves the packed stream to the end of the compressed data.
    std::uint8_t extra = 0;
    if (z.Read(&extra, 1) != 0) return nullptr;
    out->SetPosition(0);
    return out;
}

// Fills sc from the packed archive at the start of packed; false (sc untouched) when the
// archive breaks any rule.
bool ReadEntries(TMemoryStream& packed, TacSkinConvertor& sc)
{
    if (packed.Size() < kHeaderSize) return false;
    const std::uint8_t* header = packed.Memory();
    if (std::memcmp(header, kSignature.data(), kSignature.size()) != 0) return false;
    const std::uint32_t count = ReadU32(header + 4);
    if (count < 1 || count > kMaxEntries) return false;

    std::unique_ptr<TMemoryStream> options;
    std::vector<TacFileItem> files;
    packed.SetPosition(8);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t nameLength = 0;
        if (!TakeU32(packed, nameLength) || nameLength > kMaxNameLength) return false;
        const long long namePos = packed.Position();
        if (packed.Size() - namePos < nameLength) return false;
        const UnicodeString name =
            TEncoding::ANSI->GetString(std::span<const std::uint8_t>(packed.Memory() + namePos, nameLength));
        packed.SetPosition(namePos + nameLength);
        std::uint32_t size = 0;
        if (!TakeU32(packed, size) || size > kMaxUnpackedSize) return false;
        std::unique_ptr<TMemoryStream> content = Inflate(packed, size);
        if (!content) return false;
        if (SameText(name, L"Options.dat")) {
            options = std::move(content);
        } else {
            TacFileItem item;
            item.Name = name;
            item.FileType = FileTypeOf(name);
            item.Stream = std::move(content);
            files.push_back(std::move(item));
        }
    }
    sc.FileCount = static_cast<int>(count) - 1;
    sc.Options = std::move(options);
    sc.Files = std::move(files);
    return true;
}

// Keeps dialog skinning and the system-colour replacement off while the archive is checked and
// a refusal is shown, and puts them back afterwards.
class TQuietDialogs {
public:
    explicit TQuietDialogs(TsSkinManager* manager) : manager_(manager)
    {
        if (!manager_) return;
        rules_ = manager_->SkinningRules();
        sysColors_ = manager_->Options()->ChangeSysColors();
        if (rules_.Contains(srStdDialogs)) {
            TacSkinningRules quiet = rules_;
            quiet.Exclude(srStdDialogs);
            manager_->SetSkinningRules(quiet);
        }
        if (sysColors_) manager_->Options()->SetBool(4, false);
    }
    ~TQuietDialogs()
    {
        if (!manager_) return;
        if (sysColors_) manager_->Options()->SetBool(4, true);
        if (rules_.Contains(srStdDialogs)) manager_->SetSkinningRules(rules_);
    }
    TQuietDialogs(const TQuietDialogs&) = delete;
    TQuietDialogs& operator=(const TQuietDialogs&) = delete;

private:
    TsSkinManager* manager_;
    TacSkinningRules rules_;
    bool sysColors_ = false;
};

} // namespace

void LoadSkinFromFile(const UnicodeString& FileName, std::unique_ptr<TacSkinConvertor>& sc, TsSkinManager* Owner)
{
    if (!FileExists(FileName)) return;
    if (sc) sc->Clear();
    else sc = std::make_unique<TacSkinConvertor>();
    TMemoryStream packed;
    try {
        packed.LoadFromFile(FileName);
    } catch (const Exception&) {
        packed.Clear(); // unreadable: refused below like any other bad archive
    }
    packed.SetPosition(0);
    sc->PackedData = &packed;
    ExtractPackedData(*sc, Owner);
    sc->PackedData = nullptr;
}

bool ExtractPackedData(TacSkinConvertor& sc, TsSkinManager* Owner)
{
    TQuietDialogs quiet(Owner);
    bool ok = false;
    if (sc.PackedData) {
        sc.PackedData->SetPosition(0);
        try {
            ok = ReadEntries(*sc.PackedData, sc);
        } catch (const Exception&) {
            ok = false; // a zlib error inside an entry
        }
    }
    if (!ok) {
        sc.Options.reset();
        MessageDlg(L"Loaded data is not a packed skin file", mtError, TMsgDlgButtons{mbOK}, 0);
    }
    return ok;
}
