// The house test skin as written: its archive read by the archive's own format, its folder,
// its master image read back through the PNG reader, its options text and its variants.
#include "house_skin.h"

#include "../framework/runtime_test_tempdir.h"
#include "Graphics.h"
#include "IniFiles.h"
#include "StringList.h"
#include "Streams.h"
#include "SysUtils.h"
#include "sGraphUtilsPng.h"
#include "sSkinManager.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace hs = house_skin;

namespace {

// ---------------------------------------------------------------------------------------------
// The archive read by its format, refusing what the reader must refuse

struct Entry {
    std::string name;
    std::uint32_t size = 0;
    hs::Bytes data;
};
struct Parsed {
    std::string error; // empty when the archive is sound
    std::vector<Entry> entries;
    std::optional<hs::Bytes> preview;
};

class Cursor {
public:
    explicit Cursor(const hs::Bytes& data) : data_(data) {}
    std::size_t Left() const { return data_.size() - at_; }
    std::size_t At() const { return at_; }
    bool U32(std::uint32_t& v)
    {
        if (Left() < 4) return false;
        v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(data_[at_++]) << (8 * i);
        return true;
    }
    bool Take(std::size_t n, hs::Bytes& out)
    {
        if (Left() < n) return false;
        out.assign(data_.begin() + static_cast<long>(at_), data_.begin() + static_cast<long>(at_ + n));
        at_ += n;
        return true;
    }
    // One zlib stream from here; the cursor stops right after it.
    std::string Inflate(std::uint32_t size, hs::Bytes& out)
    {
        out.assign(size, 0);
        z_stream z{};
        if (inflateInit(&z) != Z_OK) return "init";
        z.next_in = const_cast<Bytef*>(data_.data() + at_);
        z.avail_in = static_cast<uInt>(Left());
        z.next_out = out.data();
        z.avail_out = size;
        const int rc = inflate(&z, Z_FINISH);
        const std::size_t used = z.total_in, made = z.total_out;
        inflateEnd(&z);
        if (rc != Z_STREAM_END) return rc == Z_BUF_ERROR && z.avail_in == 0 ? "truncated" : "stream";
        at_ += used;
        return made == size ? "" : "size";
    }

private:
    const hs::Bytes& data_;
    std::size_t at_ = 0;
};

Parsed Parse(const hs::Bytes& archive)
{
    Parsed p;
    Cursor c(archive);
    hs::Bytes signature;
    std::uint32_t count = 0;
    if (archive.size() < 16 || !c.Take(4, signature) || std::memcmp(signature.data(), hs::kSignature, 4) != 0)
        return p.error = "signature", p;
    c.U32(count);
    if (count < 1 || count > 4096) return p.error = "count", p;
    for (std::uint32_t i = 0; i < count; ++i) {
        Entry e;
        std::uint32_t length = 0;
        hs::Bytes name;
        if (!c.U32(length) || length > 1024 || !c.Take(length, name)) return p.error = "name", p;
        e.name.assign(name.begin(), name.end());
        if (!c.U32(e.size) || e.size > 256u * 1024 * 1024) return p.error = "size", p;
        if (const std::string error = c.Inflate(e.size, e.data); !error.empty()) return p.error = error, p;
        p.entries.push_back(std::move(e));
    }
    hs::Bytes marker, preview;
    std::uint32_t length = 0;
    if (c.Left() == 0) return p;
    if (!c.Take(10, marker) || std::memcmp(marker.data(), hs::kPreviewMarker, 10) != 0 || !c.U32(length) ||
        !c.Take(length, preview) || c.Left() != 0)
        return p.error = "preview", p;
    p.preview = std::move(preview);
    return p;
}

bool IsPng(const hs::Bytes& data)
{
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return data.size() > 8 && std::memcmp(data.data(), signature, 8) == 0;
}

std::vector<std::string> Names(const std::vector<Entry>& entries)
{
    std::vector<std::string> names;
    for (const Entry& e : entries) names.push_back(e.name);
    return names;
}

UnicodeString Wide(const std::string& s) { return UnicodeString(s.begin(), s.end()); }
hs::Bytes ToBytes(const std::string& s) { return hs::Bytes(s.begin(), s.end()); }

// ---------------------------------------------------------------------------------------------
// The options text as sections of keys, in file order

using Section = std::vector<std::pair<std::string, std::string>>;
using IniText = std::vector<std::pair<std::string, Section>>;

IniText Sections(const std::string& text)
{
    IniText out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        const std::string line = text.substr(at, end - at);
        at = end == std::string::npos ? text.size() : end + 2;
        if (line.empty()) continue;
        if (line.front() == '[') out.push_back({line.substr(1, line.size() - 2), {}});
        else if (const std::size_t eq = line.find('='); eq != std::string::npos && !out.empty())
            out.back().second.push_back({line.substr(0, eq), line.substr(eq + 1)});
    }
    return out;
}

// "SECTION.KEY" of every key that differs, is added or removed; "[SECTION]" for whole sections.
std::set<std::string> Changes(const IniText& a, const IniText& b)
{
    std::map<std::string, std::map<std::string, std::string>> ma, mb;
    for (const auto& [name, keys] : a) ma[name].insert(keys.begin(), keys.end());
    for (const auto& [name, keys] : b) mb[name].insert(keys.begin(), keys.end());
    std::set<std::string> out;
    for (const auto* side : {&ma, &mb})
        for (const auto& [name, keys] : *side) {
            const auto& other = side == &ma ? mb : ma;
            const auto it = other.find(name);
            if (it == other.end()) {
                out.insert("[" + name + "]");
                continue;
            }
            for (const auto& [key, value] : keys) {
                const auto k = it->second.find(key);
                if (k == it->second.end() || k->second != value) out.insert(name + "." + key);
            }
        }
    return out;
}

std::string Value(const IniText& ini, const std::string& section, const std::string& key)
{
    for (const auto& [name, keys] : ini)
        if (name == section)
            for (const auto& [k, v] : keys)
                if (k == key) return v;
    return "?";
}

std::string Digits(int value, int width)
{
    std::string s = std::to_string(value);
    return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(s.size()))), '0') + s;
}
std::string Fixed(const hs::Rect& r)
{
    return Digits(r.left, 4) + Digits(r.top, 4) + Digits(r.right, 4) + Digits(r.bottom, 4);
}

} // namespace

// ---------------------------------------------------------------------------------------------

TEST(HouseSkin, ArchiveReadsByItsFormatAndHoldsTheFolderFilesAndAPreview)
{
    const hs::Bytes archive = hs::Archive();
    const Parsed p = Parse(archive);
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(std::string(archive.begin(), archive.begin() + 4), "VSK1");

    const std::vector<hs::File> files = hs::SkinFiles();
    EXPECT_EQ(Names(p.entries), (std::vector<std::string>{"Options.dat", "Master.png", "Master.bmp", "EditFrame.png",
                                                          "EditFrame150.png", "HouseFont.ttf"}));
    ASSERT_EQ(p.entries.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(p.entries[i].size, files[i].data.size()) << files[i].name;
        EXPECT_TRUE(p.entries[i].data == files[i].data) << files[i].name;
    }

    ASSERT_TRUE(p.preview.has_value());
    ASSERT_TRUE(IsPng(*p.preview));
    TMemoryStream stream;
    stream.Write(p.preview->data(), static_cast<long long>(p.preview->size()));
    stream.Seek(0, soBeginning);
    TBitmap preview;
    LoadBmpFromPngStream(&preview, stream);
    EXPECT_EQ(preview.Width(), 140);
    EXPECT_EQ(preview.Height(), 100);

    // The font is the renamed one: a TrueType file that names the family "House Sans".
    const hs::Bytes font = files.back().data;
    ASSERT_GT(font.size(), 4u);
    EXPECT_EQ(font[0] << 24 | font[1] << 16 | font[2] << 8 | font[3], 0x00010000);
    const std::string utf16be = std::string("\0H\0o\0u\0s\0e\0 \0S\0a\0n\0s", 20);
    EXPECT_NE(std::string(font.begin(), font.end()).find(utf16be), std::string::npos);
}

TEST(HouseSkin, ArchiveFaultsBreakWhatTheySay)
{
    struct Row {
        hs::ArchiveFault fault;
        const char* error;
    };
    const Row rows[] = {
        {hs::ArchiveFault::WrongSignature, "signature"}, {hs::ArchiveFault::CountZero, "count"},
        {hs::ArchiveFault::CountTooLarge, "count"},      {hs::ArchiveFault::TruncatedEntry, "truncated"},
        {hs::ArchiveFault::NameBeyondData, "name"},      {hs::ArchiveFault::NameLengthTooLarge, "name"},
        {hs::ArchiveFault::SizeTooLarge, "size"},        {hs::ArchiveFault::SizeMismatch, "size"},
        {hs::ArchiveFault::CorruptStream, "stream"},
    };
    const hs::Bytes sound = hs::Archive();
    for (const Row& row : rows) {
        hs::Options o;
        o.fault = row.fault;
        const hs::Bytes archive = hs::Archive(o);
        EXPECT_EQ(Parse(archive).error, row.error) << static_cast<int>(row.fault);
        if (row.fault == hs::ArchiveFault::TruncatedEntry || row.fault == hs::ArchiveFault::NameBeyondData)
            continue;
        // One fault at a time: the same length, a few bytes changed.
        ASSERT_EQ(archive.size(), sound.size()) << static_cast<int>(row.fault);
        std::size_t changed = 0;
        for (std::size_t i = 0; i < sound.size(); ++i) changed += archive[i] != sound[i];
        EXPECT_GE(changed, 1u);
        EXPECT_LE(changed, 4u) << static_cast<int>(row.fault);
    }
    // The truncated file ends inside its last entry; the cut name runs past the end.
    hs::Options truncated;
    truncated.fault = hs::ArchiveFault::TruncatedEntry;
    EXPECT_LT(hs::Archive(truncated).size(), sound.size());
    hs::Options cut;
    cut.fault = hs::ArchiveFault::NameBeyondData;
    EXPECT_EQ(hs::Archive(cut)[4], 7);
}

TEST(HouseSkin, EntryNameVariants)
{
    hs::Options mixedCase;
    mixedCase.optionsEntryName = "options.DAT";
    const Parsed a = Parse(hs::Archive(mixedCase));
    ASSERT_EQ(a.error, "");
    EXPECT_EQ(a.entries.front().name, "options.DAT");
    EXPECT_EQ(a.entries.front().data, ToBytes(hs::OptionsText()));

    hs::Options otf;
    otf.fontExtension = ".otf";
    const Parsed b = Parse(hs::Archive(otf));
    ASSERT_EQ(b.error, "");
    EXPECT_EQ(b.entries.back().name, "HouseFont.otf");
    EXPECT_EQ(Value(Sections(hs::OptionsText(otf)), "GLOBALINFO", "FontFile0"), "HouseFont.otf");

    hs::Options noPreview;
    noPreview.withPreview = false;
    const Parsed c = Parse(hs::Archive(noPreview));
    EXPECT_EQ(c.error, "");
    EXPECT_FALSE(c.preview.has_value());
}

TEST(HouseSkin, WritesTheFolderTheArchiveAndTheStoredSkin)
{
    TestTempDir temp;
    const UnicodeString skins = temp.File(L"Skins");
    ASSERT_TRUE(hs::WriteAll(skins));
    for (const hs::File& f : hs::SkinFiles()) {
        const std::string written = temp.Read(L"Skins\\HouseSkin\\" + Wide(f.name));
        EXPECT_EQ(ToBytes(written), f.data) << f.name;
    }
    EXPECT_EQ(ToBytes(temp.Read(L"Skins\\HouseSkin.asz")), hs::Archive());

    // The stored skin: the archive in hex between the braces of Data, and its names.
    const std::string text = temp.Read(L"Skins\\HouseSkin.txt");
    EXPECT_EQ(text, hs::StoredSkinText());
    EXPECT_EQ(text.rfind("object HouseForm: TForm\r\n  object sSkinManager1: TsSkinManager\r\n    InternalSkins = <", 0),
              0u);
    EXPECT_NE(text.find("Name = 'HouseSkin'"), std::string::npos);
    EXPECT_NE(text.find("OriginName = 'HouseSkin.asz'"), std::string::npos);
    const std::size_t open = text.find("Data = {"), close = text.find('}', open);
    ASSERT_NE(close, std::string::npos);
    hs::Bytes data;
    std::string digits;
    for (std::size_t i = open + 8; i < close; ++i)
        if (std::isxdigit(static_cast<unsigned char>(text[i]))) digits += text[i];
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        data.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    EXPECT_EQ(digits.size() % 2, 0u);
    EXPECT_EQ(data, hs::Archive());
}

TEST(HouseSkin, MasterImagesReadBackWithTheirKnownPixels)
{
    TestTempDir temp;
    ASSERT_TRUE(hs::WriteFolder(temp.Path()));
    TBitmap png;
    LoadBmpFromPngFile(&png, temp.File(L"HouseSkin\\Master.png"));
    ASSERT_EQ(png.Width(), hs::kMasterSize);
    ASSERT_EQ(png.Height(), hs::kMasterSize);
    ASSERT_EQ(png.PixelFormat(), pf32bit);
    const auto px = [&png](int x, int y) { return static_cast<const std::uint32_t*>(png.ScanLine(y))[x]; };

    // Places worked out by hand from the layout.
    struct Row {
        const char* what;
        int x, y;
        std::uint32_t expected;
    };
    const int title = hs::kTitleOrigin.x, titleTop = hs::kTitleOrigin.y;
    const Row rows[] = {
        {"button key corner", 1, 1, hs::kKey},
        {"button border, hot frame", 24 + 5, 0, hs::kButtonBorder[1]},
        {"button face, pressed frame", 48 + 12, 12, hs::kButtonFace[2]},
        {"mask key corner", 23, 24 + 23, hs::kMaskWhite},
        {"mask grey band", 0, 24 + 10, hs::kMaskGrey},
        {"mask inside", 12, 24 + 12, hs::kMaskBlack},
        {"tile A", 72 + 3, 3, hs::kTileA},
        {"tile B", 72 + 12, 3, hs::kTileB},
        {"tile A bottom right", 72 + 15, 15, hs::kTileA},
        {"check background", 88, 0, hs::kKey},
        {"check tick, hot frame", 88 + 12 + 2, 6, hs::kCheckInk[1]},
        {"exborder key corner", 40 + 1, 48 + 39, hs::kKey},
        {"exborder edge", 20, 48, hs::kExEdge[0]},
        {"exborder fill, inactive", 40 + 7, 48 + 20, hs::kExFill[1]},
        {"exborder centre", 20, 48 + 20, hs::kExCentre},
        {"close mark, hot frame", title + 14 + 1, titleTop + 2, hs::kTitleInk[1]},
        {"close, mirrored place of the mark", title + 14 + 12, titleTop + 2, hs::kKey},
        {"min bar", title + 5, titleTop + 24 + 8, hs::kTitleInk[0]},
        {"key pixel", hs::kKeyPixel.x, hs::kKeyPixel.y, hs::kKey},
        {"background", 127, 0, hs::kBackground},
    };
    for (const Row& row : rows) EXPECT_EQ(px(row.x, row.y), row.expected) << row.what;
    EXPECT_EQ(px(hs::kAlphaZeroPixel.x, hs::kAlphaZeroPixel.y) >> 24, 0u);
    EXPECT_EQ(px(72 + 8, 16 + 8) >> 24, hs::kGlowAlpha[3]) << "glow centre";
    EXPECT_EQ(px(104, 16) >> 24, hs::kCloseGlowAlpha[0]) << "close glow edge";

    // Every opaque pixel comes back as drawn; the title glyphs are not mirror images.
    const std::vector<hs::Argb> drawn = hs::MasterPixels();
    int opaque = 0, alphaZero = 0;
    for (int y = 0; y < hs::kMasterSize; ++y)
        for (int x = 0; x < hs::kMasterSize; ++x) {
            const hs::Argb p = hs::MasterPixel(drawn, x, y);
            alphaZero += p >> 24 == 0;
            if (p >> 24 != 0xFF) continue;
            ++opaque;
            ASSERT_EQ(px(x, y), p) << x << "," << y;
        }
    EXPECT_GT(opaque, hs::kMasterSize * hs::kMasterSize * 9 / 10);
    EXPECT_EQ(alphaZero, 1);
    for (hs::TitleGlyph g : {hs::TitleGlyph::Close, hs::TitleGlyph::Max, hs::TitleGlyph::Min, hs::TitleGlyph::Norm}) {
        bool mirrored = true;
        for (int y = 0; y < hs::kTitleFrameHeight; ++y)
            for (int x = 0; x < hs::kTitleFrameWidth; ++x)
                mirrored = mirrored && hs::IsTitlePixel(g, x, y) == hs::IsTitlePixel(g, hs::kTitleFrameWidth - 1 - x, y);
        EXPECT_FALSE(mirrored) << static_cast<int>(g);
    }

    // Master.bmp: 24 bits, the same colours without alpha.
    TBitmap bmp;
    TMemoryStream stream;
    stream.LoadFromFile(temp.File(L"HouseSkin\\Master.bmp"));
    bmp.LoadFromStream(stream);
    ASSERT_EQ(bmp.PixelFormat(), pf24bit);
    for (const Row& row : rows) {
        const auto* line = static_cast<const std::uint8_t*>(bmp.ScanLine(row.y));
        const std::uint32_t rgb = static_cast<std::uint32_t>(line[3 * row.x + 2]) << 16 |
                                  static_cast<std::uint32_t>(line[3 * row.x + 1]) << 8 | line[3 * row.x];
        EXPECT_EQ(rgb, row.expected & 0xFFFFFF) << row.what;
    }

    // The edit frames: alpha-0 corners, an opaque edge, a transparent centre, 1.5 times larger.
    for (const auto& [name, layout] : {std::pair{L"EditFrame.png", hs::kEditFrame100}, std::pair{L"EditFrame150.png", hs::kEditFrame150}}) {
        TBitmap frame;
        LoadBmpFromPngFile(&frame, temp.File(UnicodeString(L"HouseSkin\\") + name));
        ASSERT_EQ(frame.Width(), 2 * layout.frame);
        ASSERT_EQ(frame.Height(), layout.frame);
        const auto alpha = [&frame](int x, int y) { return static_cast<const std::uint32_t*>(frame.ScanLine(y))[x] >> 24; };
        EXPECT_EQ(alpha(0, 0), 0u);
        EXPECT_EQ(alpha(layout.frame + layout.frame / 2, 0), 0xFFu);
        EXPECT_EQ(alpha(layout.frame / 2, layout.frame / 2), 0u);
        EXPECT_EQ(static_cast<const std::uint32_t*>(frame.ScanLine(0))[layout.frame + layout.frame / 2],
                  0xFF000000 | hs::kEditRgb[1]);
    }
    EXPECT_EQ(hs::kEditFrame150.frame * 2, hs::kEditFrame100.frame * 3);
}

TEST(HouseSkin, LayoutImagesLieApartInsideTheMaster)
{
    const std::vector<hs::Rect> rects = {hs::kButton,
                                         hs::kTile,
                                         hs::kCheck,
                                         hs::kGlow,
                                         hs::kCloseGlow,
                                         hs::kExBorder,
                                         hs::TitleRect(hs::TitleGlyph::Close),
                                         hs::TitleRect(hs::TitleGlyph::Max),
                                         hs::TitleRect(hs::TitleGlyph::Min),
                                         hs::TitleRect(hs::TitleGlyph::Norm),
                                         hs::kRadio,
                                         hs::kMenuBorder,
                                         hs::kDivider,
                                         {hs::kAlphaZeroPixel.x, hs::kAlphaZeroPixel.y, hs::kAlphaZeroPixel.x + 1,
                                          hs::kAlphaZeroPixel.y + 1},
                                         {hs::kKeyPixel.x, hs::kKeyPixel.y, hs::kKeyPixel.x + 1, hs::kKeyPixel.y + 1}};
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const hs::Rect& a = rects[i];
        EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= hs::kMasterSize && a.bottom <= hs::kMasterSize) << i;
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const hs::Rect& b = rects[j];
            EXPECT_TRUE(a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top) << i << " " << j;
        }
    }
}

TEST(HouseSkin, OptionsTextIsCrlfAsciiWithTheSectionsAndImages)
{
    const std::string text = hs::OptionsText();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        ASSERT_TRUE((c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n') << i;
        if (c == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << i;
        }
        if (c == '\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << i;
        }
    }
    const IniText ini = Sections(text);
    std::vector<std::string> names;
    for (const auto& s : ini) names.push_back(s.first);
    EXPECT_EQ(names, (std::vector<std::string>{"GLOBALINFO", "BUTTON", "SPEEDBUTTON", "EDIT", "PANEL", "PANEL_LOW",
                                               "GROUPBOX", "FORMTITLE", "HINT", "SELECTION", "MENUITEM", "CHECKBOX",
                                               "TRACKBAR", "COMBOBOX", "COMBOBTN", "TABTOP", "SCROLLSLIDERH", "SELFREF",
                                               "LOOPA", "LOOPB"}));

    // The project's INI reader sees the same.
    TestTempDir temp;
    const UnicodeString file = temp.Write(L"Options.dat", text);
    TMemIniFile mem(file);
    EXPECT_EQ(mem.ReadString(L"GLOBALINFO", L"VERSION", L""), L"15.00");
    EXPECT_EQ(mem.ReadString(L"GLOBALINFO", L"MASTERBITMAP", L""), L"Master.png");
    EXPECT_EQ(mem.ReadString(L"GLOBALINFO", L"FONTFILE0", L""), L"HouseFont.ttf");
    EXPECT_EQ(mem.ReadInteger(L"BUTTON", L"STATES", 0), 3);
    EXPECT_EQ(mem.ReadInteger(L"BUTTON", L"GLOW", 0), 1);
    EXPECT_EQ(mem.ReadInteger(L"PANEL", L"IMAGEPERCENT", 0), 40);
    EXPECT_EQ(mem.ReadInteger(L"PANEL", L"GRADIENTPERCENT", 0), 60);
    EXPECT_EQ(mem.ReadInteger(L"PANEL_LOW", L"TRANSPARENCY", 0), 50);
    EXPECT_EQ(mem.ReadInteger(L"GROUPBOX", L"OUTERMODE", 0), 3);
    EXPECT_FALSE(mem.ValueExists(L"GROUPBOX", L"OUTERMASK"));
    EXPECT_EQ(mem.ReadString(L"SPEEDBUTTON", L"PARENTCLASS", L""), L"BUTTON");
    EXPECT_EQ(mem.ReadString(L"SELFREF", L"PARENTCLASS", L""), L"SELFREF");
    EXPECT_EQ(mem.ReadString(L"LOOPA", L"PARENTCLASS", L""), L"LOOPB");
    EXPECT_EQ(mem.ReadString(L"LOOPB", L"PARENTCLASS", L""), L"LOOPA");
    EXPECT_FALSE(mem.SectionExists(L"TRANSPARENT"));
    EXPECT_FALSE(mem.SectionExists(L"MAINCOLOR"));
    EXPECT_EQ(Value(ini, "BUTTON", "GRADIENTDATA").back(), 'B') << "form B";
    EXPECT_EQ(Value(ini, "PANEL", "GRADIENTDATA").back(), '0') << "form A";

    // Every notation in GLOBALINFO.
    std::set<char> notations;
    bool plainBmp = false;
    for (const auto& [key, value] : ini.front().second) {
        if (std::string("&^~@!").find(value.front()) != std::string::npos) notations.insert(value.front());
        plainBmp = plainBmp || (key != "MASTERBITMAP" && value.size() > 4 && value.substr(value.size() - 4) == ".bmp");
    }
    EXPECT_EQ(notations, (std::set<char>{'&', '^', '~', '@', '!'}));
    EXPECT_TRUE(plainBmp);

    // Each image value, normalised as the skin reader does it, names its place in the layout.
    struct Image {
        const char* section;
        const char* key;
        hs::Rect rect;
        int margin, count, maskType, kind, drawMode;
        const char* file;
    };
    const hs::Rect none = {0, 0, 0, 0};
    const Image images[] = {
        {"GLOBALINFO", "EXBORDER", hs::kExBorder, hs::kExBorderMargin, 2, 0, 0, 0, ""},
        {"GLOBALINFO", "BICONCLOSE", hs::TitleRect(hs::TitleGlyph::Close), 0, 3, 0, 2, 0, ""},
        {"GLOBALINFO", "BICONNORM", hs::TitleRect(hs::TitleGlyph::Norm), 0, 3, 0, 2, 0, ""},
        {"GLOBALINFO", "BICONCLOSEGLOW0", hs::kCloseGlow, hs::kCloseGlowMargin, 1, 0, 3, 0, ""},
        {"GLOBALINFO", "BOXCHECKED", hs::kCheck, 0, 2, 0, 2, 0, ""},
        {"GLOBALINFO", "BOXUNCHECKED", none, 0, 2, 0, 4, 0, "EDITFRAME.PNG"},
        {"GLOBALINFO", "PATTERN", hs::kTile, 0, 1, 0, 1, 0, ""},
        {"GLOBALINFO", "HOTPATTERN", none, 0, 1, 0, 1, 0, "MASTER.BMP"},
        {"BUTTON", "BORDERSMASK", hs::kButton, hs::kButtonMargin, 3, 1, 0, 0, ""},
        {"BUTTON", "GLOW0", hs::kGlow, hs::kGlowMargin, 2, 0, 3, 0, ""},
        {"EDIT", "BORDERSMASK", none, hs::kEditFrame100.margin, 2, 0, 0, 16, "EDITFRAME.PNG"},
        {"EDIT", "BORDERSMASK*150", none, hs::kEditFrame150.margin, 2, 0, 0, 16, "EDITFRAME150.PNG"},
        {"PANEL", "PATTERN", hs::kTile, 0, 1, 0, 1, 0, ""},
        {"GROUPBOX", "IMGBTMRIGHT", {80, 8, 88, 16}, 0, 1, 0, 2, 0, ""},
        {"COMBOBOX", "GLYPHMASK", hs::TitleRect(hs::TitleGlyph::Min), 0, 3, 0, 2, 0, ""},
    };
    for (const Image& image : images) {
        const std::string value = Value(ini, image.section, image.key);
        const UnicodeString upper = UpperCase(Wide(value));
        const UnicodeString normalised = ConvertSkinStr(upper);
        const std::string m = Digits(image.margin, 4);
        const std::string expected = "&" + Fixed(image.rect) + m + m + m + m + std::to_string(image.count) +
                                     std::to_string(image.maskType) + std::to_string(image.kind) +
                                     Digits(image.drawMode, 2) + "000000" + image.file;
        EXPECT_EQ(normalised, Wide(expected)) << image.section << "." << image.key << " = " << value;
    }
}

TEST(HouseSkin, VariantsChangeWhatTheySay)
{
    struct Row {
        const char* what;
        std::function<void(hs::Options&)> set;
        std::set<std::string> changes;
        std::map<std::string, std::string> values; // "SECTION.KEY" -> new value
    };
    const std::vector<Row> rows = {
        {"version 16", [](hs::Options& o) { o.version = "16"; }, {"GLOBALINFO.VERSION"}, {{"GLOBALINFO.VERSION", "16"}}},
        {"version 10.00", [](hs::Options& o) { o.version = "10.00"; }, {"GLOBALINFO.VERSION"},
         {{"GLOBALINFO.VERSION", "10.00"}}},
        {"Master.bmp", [](hs::Options& o) { o.masterBmp = true; }, {"GLOBALINFO.MASTERBITMAP"},
         {{"GLOBALINFO.MASTERBITMAP", "Master.bmp"}}},
        {"selection text of the key colour", [](hs::Options& o) { o.selectionTextKey = true; }, {"SELECTION.FONTCOLOR"},
         {{"SELECTION.FONTCOLOR", std::to_string(0xFF00FF)}}},
        {"no EDIT, no HINT", [](hs::Options& o) { o.withEditAndHint = false; }, {"[EDIT]", "[HINT]"}, {}},
        {"malformed digit field", [](hs::Options& o) { o.malformedDigitField = true; }, {"GLOBALINFO.BICONCLOSEGLOW0"},
         {{"GLOBALINFO.BICONCLOSEGLOW0", "&01X4" + Fixed(hs::kCloseGlow).substr(4) + "0004000400040004103" + "00000000"}}},
        {"BIKEEPHUE 0", [](hs::Options& o) { o.biKeepHue = 0; }, {"GLOBALINFO.BIKEEPHUE"}, {{"GLOBALINFO.BIKEEPHUE", "0"}}},
        {"BIKEEPHUE 1", [](hs::Options& o) { o.biKeepHue = 1; }, {"GLOBALINFO.BIKEEPHUE"}, {{"GLOBALINFO.BIKEEPHUE", "1"}}},
        {"BIKEEPHUE 2", [](hs::Options& o) { o.biKeepHue = 2; }, {"GLOBALINFO.BIKEEPHUE"}, {{"GLOBALINFO.BIKEEPHUE", "2"}}},
        {"font as .otf", [](hs::Options& o) { o.fontExtension = ".otf"; }, {"GLOBALINFO.FontFile0"},
         {{"GLOBALINFO.FontFile0", "HouseFont.otf"}}},
        {"options entry name", [](hs::Options& o) { o.optionsEntryName = "options.DAT"; }, {}, {}},
        {"menus", [](hs::Options& o) { o.withMenus = true; },
         {"GLOBALINFO.CHECK", "GLOBALINFO.RADIOCHECKED", "MENUITEM.TRANSPARENCY", "[MAINMENU]", "[ICOLINE]",
          "[EXTRALINE]", "[MENULINE]", "[DIVIDERV]", "[MENUCAPTION]", "[SPEEDBUTTON_SMALL]"},
         {{"MENUITEM.TRANSPARENCY", "100"}}},
    };
    const IniText base = Sections(hs::OptionsText());
    EXPECT_EQ(Value(base, "GLOBALINFO", "BICONCLOSEGLOW0"),
              "&" + Fixed(hs::kCloseGlow) + "0004000400040004103" + "00000000");
    for (const Row& row : rows) {
        hs::Options o;
        row.set(o);
        const IniText variant = Sections(hs::OptionsText(o));
        EXPECT_EQ(Changes(base, variant), row.changes) << row.what;
        for (const auto& [path, value] : row.values) {
            const std::size_t dot = path.find('.');
            EXPECT_EQ(Value(variant, path.substr(0, dot), path.substr(dot + 1)), value) << row.what;
        }
    }
}

TEST(HouseSkin, FontRegistersItsFamily)
{
    const auto present = [] {
        HDC dc = GetDC(nullptr);
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        std::wcsncpy(lf.lfFaceName, hs::kFontFamily, LF_FACESIZE - 1);
        bool found = false;
        EnumFontFamiliesExW(
            dc, &lf, [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM p) -> int {
                *reinterpret_cast<bool*>(p) = true;
                return 0;
            },
            reinterpret_cast<LPARAM>(&found), 0);
        ReleaseDC(nullptr, dc);
        return found;
    };
    hs::Bytes font = hs::FontBytes();
    DWORD count = 0;
    HANDLE handle = AddFontMemResourceEx(font.data(), static_cast<DWORD>(font.size()), nullptr, &count);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(count, 1u);
    EXPECT_TRUE(present());
    // Wine keeps memory fonts until the process ends, so absence afterwards is not asked.
    RemoveFontMemResourceEx(handle);
}
