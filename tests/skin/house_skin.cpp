// The house skin's three shapes: the folder, the packed archive and the stored-skin text, and
// the font taken from the program's resources.
#include "house_skin.h"

#include <windows.h>
#include <zlib.h>

#include <stdexcept>

namespace house_skin {
namespace {

void Put32(Bytes& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Set32(Bytes& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes Deflate(const Bytes& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

UnicodeString Wide(const std::string& s) { return UnicodeString(s.begin(), s.end()); }

bool WriteBytes(const UnicodeString& path, const Bytes& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = bytes.empty() ||
                    (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size());
    CloseHandle(h);
    return ok;
}

bool EnsureFolder(const UnicodeString& dir)
{
    if (CreateDirectoryW(dir.c_str(), nullptr)) return true;
    const DWORD attributes = GetFileAttributesW(dir.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

UnicodeString Join(const UnicodeString& dir, const UnicodeString& name)
{
    return !dir.empty() && (dir.back() == L'\\' || dir.back() == L'/') ? dir + name : dir + L"\\" + name;
}

std::string Hex(const Bytes& data, const std::string& indent)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i % 32 == 0) out += "\r\n" + indent;
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

} // namespace

Bytes FontBytes()
{
    HRSRC info = FindResourceW(nullptr, L"HOUSESKINFONT", MAKEINTRESOURCEW(10)); // RT_RCDATA
    HGLOBAL handle = info ? LoadResource(nullptr, info) : nullptr;
    const auto* data = handle ? static_cast<const std::uint8_t*>(LockResource(handle)) : nullptr;
    if (!data) throw std::runtime_error("the program has no HOUSESKINFONT resource (house_skin_font.rc)");
    return Bytes(data, data + SizeofResource(nullptr, info));
}

std::vector<File> SkinFiles(const Options& o)
{
    std::vector<File> files{{o.optionsEntryName, ToBytes(OptionsText(o))},
                            {"Master.png", MasterPng()},
                            {"Master.bmp", MasterBmp()},
                            {"EditFrame.png", EditFramePng(kEditFrame100)},
                            {"EditFrame150.png", EditFramePng(kEditFrame150)},
                            {"HouseFont" + o.fontExtension, FontBytes()}};
    if (o.flatButton) files.push_back({"FlatButton.png", FlatButtonPng()});
    return files;
}

Bytes Archive(const Options& o)
{
    const std::vector<File> files = SkinFiles(o);
    Bytes out(kSignature, kSignature + 4);
    Put32(out, static_cast<std::uint32_t>(files.size()));
    std::size_t firstLength = 0, firstSize = 0, firstStream = 0, lastStream = 0;
    for (const File& f : files) {
        const bool first = &f == &files.front();
        if (first) firstLength = out.size();
        Put32(out, static_cast<std::uint32_t>(f.name.size()));
        out.insert(out.end(), f.name.begin(), f.name.end());
        if (first) firstSize = out.size();
        Put32(out, static_cast<std::uint32_t>(f.data.size()));
        const Bytes packed = Deflate(f.data);
        if (first) firstStream = out.size();
        lastStream = out.size();
        out.insert(out.end(), packed.begin(), packed.end());
    }
    switch (o.fault) {
    case ArchiveFault::None: break;
    case ArchiveFault::WrongSignature: out[3] = '0'; break;
    case ArchiveFault::CountZero: Set32(out, 4, 0); break;
    case ArchiveFault::CountTooLarge: Set32(out, 4, 4097); break;
    case ArchiveFault::TruncatedEntry: out.resize(lastStream + (out.size() - lastStream) / 2); return out;
    case ArchiveFault::NameBeyondData: {
        Set32(out, 4, static_cast<std::uint32_t>(files.size() + 1));
        Put32(out, 64);
        const std::string part = "Cut";
        out.insert(out.end(), part.begin(), part.end());
        return out;
    }
    case ArchiveFault::NameLengthTooLarge: Set32(out, firstLength, 1025); break;
    case ArchiveFault::SizeTooLarge: Set32(out, firstSize, 256u * 1024 * 1024 + 1); break;
    case ArchiveFault::SizeMismatch:
        Set32(out, firstSize, static_cast<std::uint32_t>(files.front().data.size() + 1));
        break;
    case ArchiveFault::CorruptStream: out.at(firstStream + 8) ^= 0x55; break;
    }
    if (o.withPreview) {
        const Bytes preview = PreviewPng();
        out.insert(out.end(), kPreviewMarker, kPreviewMarker + 10);
        Put32(out, static_cast<std::uint32_t>(preview.size()));
        out.insert(out.end(), preview.begin(), preview.end());
    }
    return out;
}

std::string StoredSkinItem(const Options& o)
{
    const std::string indent = "      ";
    return indent + "item\r\n" + indent + "  Name = '" + o.name + "'\r\n" + indent + "  Data = {" +
           Hex(Archive(o), indent + "    ") + "}\r\n" + indent + "  OriginName = '" + o.name + ".asz'\r\n" + indent +
           "end";
}

std::string StoredSkinText(const Options& o, const std::string& rootName, const std::string& rootClass,
                           const std::string& managerName)
{
    return "object " + rootName + ": " + rootClass + "\r\n  object " + managerName +
           ": TsSkinManager\r\n    InternalSkins = <\r\n" + StoredSkinItem(o) + ">\r\n  end\r\nend\r\n";
}

bool WriteFolder(const UnicodeString& skinsDir, const Options& o)
{
    const UnicodeString dir = Join(skinsDir, Wide(o.name));
    if (!EnsureFolder(skinsDir) || !EnsureFolder(dir)) return false;
    for (const File& f : SkinFiles(o))
        if (!WriteBytes(Join(dir, Wide(f.name)), f.data)) return false;
    return true;
}

bool WriteArchive(const UnicodeString& skinsDir, const Options& o)
{
    return EnsureFolder(skinsDir) && WriteBytes(Join(skinsDir, Wide(o.name) + L".asz"), Archive(o));
}

bool WriteStoredSkinText(const UnicodeString& skinsDir, const Options& o)
{
    return EnsureFolder(skinsDir) && WriteBytes(Join(skinsDir, Wide(o.name) + L".txt"), ToBytes(StoredSkinText(o)));
}

bool WriteAll(const UnicodeString& skinsDir, const Options& o)
{
    return WriteFolder(skinsDir, o) && WriteArchive(skinsDir, o) && WriteStoredSkinText(skinsDir, o);
}

} // namespace house_skin
