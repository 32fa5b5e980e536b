// Skin sources: the order of the editor text, folder, packed file and stored skins; the packed
// archive reader and its refusals; the skin directory; extraction of stored skins; skin fonts.
#include "skin_core_test_manager.h"

#include "../framework/runtime_test_tempdir.h"
#include "Dialogs.h"
#include "Files.h"
#include "StringList.h"
#include "acFontStore.h"
#include "acntUtils.h"
#include "house_skin.h"
#include "sStoredSkins.h"

#include <windows.h>

#include <optional>

namespace {

UnicodeString Wide(const std::string& s) { return UnicodeString(s.begin(), s.end()); }

// Family enumerated by the system (private registrations included).
bool FamilyPresent(const UnicodeString& family)
{
    HDC dc = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, family.c_str(), LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(
        dc, &lf, [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM p) -> int {
            *reinterpret_cast<bool*>(p) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

class SkinSourcesTest : public SkinManagerTest {
protected:
    void TearDown() override
    {
        acEditorSkinFile = nullptr;
        SetProgramPathOverride(std::nullopt);
        SkinManagerTest::TearDown();
    }

    // An inactive manager over dir naming the house skin; InitSkinFile is then called by hand.
    std::unique_ptr<TsSkinManager> Manager(const UnicodeString& dir, const UnicodeString& name = L"HouseSkin")
    {
        auto m = std::make_unique<TsSkinManager>(nullptr);
        m->AfterConstruction();
        m->SetActive(false);
        m->SetSkinDirectory(dir);
        m->SetSkinName(name);
        m->SetActive(false);
        return m;
    }

    static TsStoredSkin* Store(TsSkinManager& m, const house_skin::Options& o)
    {
        TsStoredSkin* item = m.InternalSkins()->Add();
        item->SetName(Wide(o.name));
        const house_skin::Bytes data = house_skin::Archive(o);
        item->SetData(data);
        return item;
    }

    static UnicodeString Version(TsSkinManager& m) { return m.SkinFile->ReadString(L"GLOBALINFO", L"VERSION", L""); }

    static std::vector<UnicodeString> DialogTexts()
    {
        std::vector<UnicodeString> texts;
        for (const TDialogRequest& r : RecordedDialogs()) texts.push_back(r.Text);
        return texts;
    }
};

const UnicodeString kNotPacked = L"Loaded data is not a packed skin file";
const UnicodeString kInternal =
    L"Internal format error in the \"HouseSkin\" skin. Please, update this skin to latest version.";

} // namespace

TEST_F(SkinSourcesTest, FullSkinDirectoryIsRelativeToTheProgramsFolder)
{
    SetProgramPathOverride(UnicodeString(L"X:\\App\\Bin\\prog.exe"));
    const struct {
        const wchar_t* dir;
        const wchar_t* full;
    } cases[] = {
        {L"..\\Skins", L"X:\\App\\Skins\\"}, {L".", L"X:\\App\\Bin\\"},         {L"Skins", L"X:\\App\\Bin\\Skins\\"},
        {L".\\Skins", L"X:\\App\\Bin\\Skins\\"}, {L"./Skins", L"X:\\App\\Bin\\Skins\\"},
        {L"D:\\Data\\Skins", L"D:\\Data\\Skins\\"}, {L"\\\\server\\skins", L"\\\\server\\skins\\"},
    };
    TsSkinManager manager(nullptr);
    manager.AfterConstruction();
    manager.SetActive(false);
    for (const auto& c : cases) {
        manager.SetSkinDirectory(c.dir);
        EXPECT_EQ(manager.GetFullSkinDirectory(), c.full) << c.dir;
    }
}

TEST_F(SkinSourcesTest, SourcesAreTakenInOrderEditorFolderPackedFileStoredSkin)
{
    TestTempDir dir;
    house_skin::Options folder, packed, stored;
    packed.version = "16";
    stored.version = "10.00";
    ASSERT_TRUE(house_skin::WriteFolder(dir.Path(), folder));
    ASSERT_TRUE(house_skin::WriteArchive(dir.Path(), packed));
    auto m = Manager(dir.Path());
    Store(*m, stored);

    TStringList editor;
    editor.Add(L"[GLOBALINFO]");
    editor.Add(L"VERSION=9.99");
    acEditorSkinFile = &editor;
    ASSERT_TRUE(m->InitSkinFile());
    EXPECT_EQ(Version(*m), L"9.99");
    EXPECT_FALSE(m->SkinIsPacked);
    acEditorSkinFile = nullptr;

    ASSERT_TRUE(m->InitSkinFile());
    EXPECT_EQ(Version(*m), L"15.00") << "the folder";
    EXPECT_EQ(m->SkinCommonInfo.SkinPath, dir.Path() + L"\\HouseSkin\\");
    EXPECT_FALSE(m->SkinIsPacked);
    EXPECT_EQ(m->sc, nullptr);

    ASSERT_TRUE(ClearDir(dir.Path() + L"\\HouseSkin", true));
    ASSERT_TRUE(m->InitSkinFile());
    EXPECT_EQ(Version(*m), L"16") << "the packed file";
    EXPECT_TRUE(m->SkinIsPacked);
    ASSERT_NE(m->sc, nullptr);
    EXPECT_EQ(m->sc->FileCount, 5);
    EXPECT_EQ(m->sc->Files.size(), 5u);

    ASSERT_TRUE(DeleteFile(dir.Path() + L"\\HouseSkin.asz"));
    ASSERT_TRUE(m->InitSkinFile());
    EXPECT_EQ(Version(*m), L"10.00") << "the stored skin";
    EXPECT_TRUE(m->SkinIsPacked);
    EXPECT_EQ(m->SkinCommonInfo.SkinPath, L"");
    EXPECT_EQ(m->InternalSkins()->Items(0)->PackedData->Size(),
              static_cast<long long>(house_skin::Archive(stored).size()))
        << "the stored skin keeps its data";

    // A missing stored name takes the first stored skin and its name.
    house_skin::Options other;
    other.name = "Other";
    other.version = "16";
    m->InternalSkins()->Insert(0)->Assign(Store(*m, other));
    m->SetSkinName(L"Nowhere");
    ASSERT_TRUE(m->InitSkinFile());
    EXPECT_EQ(m->SkinName(), L"Other");
    EXPECT_EQ(Version(*m), L"16");
    EXPECT_TRUE(RecordedDialogs().empty());

    // No source at all: the manager goes inactive.
    m->InternalSkins()->Clear();
    m->SetActive(true);
    m->SetSkinName(L"HouseSkin");
    EXPECT_FALSE(m->InitSkinFile());
    EXPECT_FALSE(m->Active());
}

TEST_F(SkinSourcesTest, BrokenArchivesAreRefusedLikeAWrongSignature)
{
    using F = house_skin::ArchiveFault;
    const F faults[] = {F::WrongSignature, F::CountZero,          F::CountTooLarge, F::TruncatedEntry, F::NameBeyondData,
                        F::NameLengthTooLarge, F::SizeTooLarge, F::SizeMismatch,  F::CorruptStream};
    for (F fault : faults) {
        TestTempDir dir;
        house_skin::Options o;
        o.fault = fault;
        ASSERT_TRUE(house_skin::WriteArchive(dir.Path(), o));
        auto m = Manager(dir.Path());
        RecordedDialogs().clear();
        EXPECT_FALSE(m->InitSkinFile()) << static_cast<int>(fault);
        EXPECT_EQ(DialogTexts(), (std::vector<UnicodeString>{kNotPacked, kInternal})) << static_cast<int>(fault);
        EXPECT_EQ(m->sc, nullptr);
        EXPECT_TRUE(m->SkinningRules().Contains(srStdDialogs)) << "dialog skinning is put back";
    }

    // Fewer than 16 bytes.
    TestTempDir dir;
    dir.Write(L"HouseSkin.asz", std::vector<std::uint8_t>{'V', 'S', 'K', '1', 1, 0, 0, 0});
    auto m = Manager(dir.Path());
    RecordedDialogs().clear();
    EXPECT_FALSE(m->InitSkinFile());
    EXPECT_EQ(DialogTexts(), (std::vector<UnicodeString>{kNotPacked, kInternal}));

    // A stored skin without an options text is refused the same way.
    RecordedDialogs().clear();
    ASSERT_TRUE(DeleteFile(dir.Path() + L"\\HouseSkin.asz"));
    house_skin::Options broken;
    broken.fault = F::WrongSignature;
    Store(*m, broken);
    EXPECT_FALSE(m->InitSkinFile());
    EXPECT_EQ(DialogTexts(), (std::vector<UnicodeString>{kNotPacked, kInternal}));
}

TEST_F(SkinSourcesTest, ArchiveEntriesByNameAndKind)
{
    TestTempDir dir;
    house_skin::Options o;
    o.optionsEntryName = "options.DAT";
    o.fontExtension = ".otf";
    ASSERT_TRUE(house_skin::WriteArchive(dir.Path(), o));
    auto m = Manager(dir.Path());
    ASSERT_TRUE(m->InitSkinFile());
    EXPECT_EQ(Version(*m), L"15.00") << "options.DAT is the options text";
    ASSERT_NE(m->sc, nullptr);
    std::vector<std::pair<UnicodeString, TacFileType>> kinds;
    for (const TacFileItem& f : m->sc->Files) kinds.emplace_back(f.Name, f.FileType);
    const std::vector<std::pair<UnicodeString, TacFileType>> expected{{L"Master.png", ftOther},
                                                                       {L"Master.bmp", ftBmp},
                                                                       {L"EditFrame.png", ftOther},
                                                                       {L"EditFrame150.png", ftOther},
                                                                       {L"HouseFont.otf", ftFont}};
    EXPECT_EQ(kinds, expected);
    const house_skin::Bytes master = house_skin::MasterPng();
    const TacFileItem& png = m->sc->Files[0];
    ASSERT_EQ(png.Stream->Size(), static_cast<long long>(master.size()));
    EXPECT_TRUE(std::equal(master.begin(), master.end(), png.Stream->Memory()));

    // The edit frame of a packed skin is read at the best level from the archive.
    m->SkinCommonInfo.Active = true;
    TsMaskData mask;
    std::unique_ptr<TBitmap> bmp;
    EXPECT_EQ(m->GetScaledMaskData(L"EDIT", L"BORDERSMASK", 144, mask, bmp), 144);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->Width(), 60);
    EXPECT_EQ(bmp->Height(), 30);
    m->SkinCommonInfo.Active = false;
}

TEST_F(SkinSourcesTest, RelativeSkinDirectoryLoadsAListedPackedSkin)
{
    TestTempDir dir;
    ASSERT_TRUE(ForceDirectories(dir.Path() + L"\\Bin"));
    ASSERT_TRUE(house_skin::WriteArchive(dir.Path() + L"\\Skins"));
    SetProgramPathOverride(dir.Path() + L"\\Bin\\prog.exe");
    auto m = Manager(L"..\\Skins");
    TStringList names;
    EXPECT_EQ(m->GetSkinNames(&names), L"HouseSkin");
    ASSERT_EQ(names.Count(), 1);
    m->SetSkinName(names.Strings(0));
    EXPECT_TRUE(m->InitSkinFile());
    EXPECT_TRUE(m->SkinIsPacked);
    EXPECT_TRUE(RecordedDialogs().empty());
}

TEST_F(SkinSourcesTest, FontsOfAFolderAndAnArchiveAreInstalledAndRemovedWithTheirEntries)
{
    TestTempDir dir;
    ASSERT_TRUE(house_skin::WriteFolder(dir.Path()));
    auto m = Manager(dir.Path());
    // The folder's FontFile0 is a bare name: it is found in the skin's folder, not the current one.
    ASSERT_TRUE(m->InitSkinFile());
    m->LoadFonts();
    ASSERT_EQ(m->EmbeddedFonts->Count(), 1);
    acFontStore::TacEmbeddedFont* font = m->EmbeddedFonts->Items(0);
    EXPECT_EQ(font->FileName, dir.Path() + L"\\HouseSkin\\HouseFont.ttf");
    EXPECT_EQ(font->FontName, L"House Sans");
    EXPECT_NE(font->Handle, nullptr);
    EXPECT_EQ(font->FontCount(), 1u);
    EXPECT_TRUE(FamilyPresent(house_skin::kFontFamily));

    ASSERT_TRUE(ClearDir(dir.Path() + L"\\HouseSkin", true));
    ASSERT_TRUE(house_skin::WriteArchive(dir.Path()));
    ASSERT_TRUE(m->InitSkinFile());
    m->LoadFonts();
    ASSERT_EQ(m->EmbeddedFonts->Count(), 1) << "the folder's font went with the collection's clearing";
    font = m->EmbeddedFonts->Items(0);
    EXPECT_EQ(font->FileName, L"HouseFont.ttf");
    EXPECT_EQ(font->FontName, L"House Sans");
    EXPECT_NE(font->Handle, nullptr);
    EXPECT_EQ(font->FontData->Size(), static_cast<long long>(house_skin::FontBytes().size()));
    EXPECT_TRUE(FamilyPresent(house_skin::kFontFamily));

    font->UnLoadFont();
    EXPECT_EQ(font->Handle, nullptr);
    EXPECT_EQ(font->FontCount(), 0u);
    m->EmbeddedFonts->Clear();
    EXPECT_EQ(m->EmbeddedFonts->Count(), 0);

    // A named font file that is missing leaves an empty entry.
    TStringList editor;
    editor.Add(L"[GLOBALINFO]");
    editor.Add(L"FontCount=1");
    editor.Add(L"FontFile0=Missing.ttf");
    acEditorSkinFile = &editor;
    ASSERT_TRUE(m->InitSkinFile());
    m->LoadFonts();
    ASSERT_EQ(m->EmbeddedFonts->Count(), 1);
    EXPECT_EQ(m->EmbeddedFonts->Items(0)->Handle, nullptr);
    EXPECT_EQ(m->EmbeddedFonts->Items(0)->FileName, L"");
}

TEST_F(SkinSourcesTest, StoredSkinsAreExtractedUnchangedAndErrorsReported)
{
    TestTempDir dir;
    auto m = Manager(dir.Path());
    Store(*m, {});
    const UnicodeString dest = dir.Path() + L"\\out\\deeper";
    m->ExtractByIndex(0, dest);
    TMemoryStream written;
    written.LoadFromFile(dest + L"\\HouseSkin extracted.asz");
    const house_skin::Bytes archive = house_skin::Archive();
    ASSERT_EQ(written.Size(), static_cast<long long>(archive.size()));
    EXPECT_TRUE(std::equal(archive.begin(), archive.end(), written.Memory()));
    EXPECT_TRUE(RecordedDialogs().empty());

    // A folder below a file cannot be made; nothing is written.
    dir.Write(L"file", std::vector<std::uint8_t>{1});
    m->ExtractByIndex(0, dir.Path() + L"\\file\\sub");
    m->ExtractInternalSkin(L"HouseSkin", dir.Path() + L"\\missing");
    m->ExtractInternalSkin(L"Unknown", dir.Path());
    EXPECT_EQ(DialogTexts(), (std::vector<UnicodeString>{dir.Path() + L"\\file\\sub\\ directory creation error.",
                                                          L"Directory does not exists.", L"Skin does not exists."}));
    EXPECT_FALSE(DirectoryExists(dir.Path() + L"\\missing"));
    for (const TDialogRequest& r : RecordedDialogs()) EXPECT_EQ(r.DlgType, mtError);
}

TEST_F(SkinSourcesTest, StoredSkinNamesThatLeaveTheFolderAreRefusedAndAFailedWriteReported)
{
    // The name comes from the form file: it must not reach another folder or drive.
    TestTempDir dir;
    auto m = Manager(dir.Path());
    TsStoredSkin* item = Store(*m, {});
    const UnicodeString dest = dir.Path() + L"\\out\\in";
    for (const wchar_t* name : {L"..\\..\\x", L"C:\\x", L"C:x", L"sub/x", L"\\x", L"..", L".", L""}) {
        SCOPED_TRACE(testing::Message() << std::wstring(name));
        RecordedDialogs().clear();
        item->SetName(name);
        m->ExtractByIndex(0, dest);
        EXPECT_EQ(DialogTexts(), std::vector<UnicodeString>{UnicodeString(name) + L" is not a valid skin name."});
        EXPECT_FALSE(DirectoryExists(dir.Path() + L"\\out")) << "nothing made";
        EXPECT_FALSE(FileExists(dir.Path() + L"\\x extracted.asz"));
        EXPECT_FALSE(FileExists(L"C:\\x extracted.asz"));
        EXPECT_FALSE(FileExists(L"x extracted.asz"));
    }

    // A file that cannot be written (a folder holds its name) is reported, not thrown.
    RecordedDialogs().clear();
    item->SetName(L"Locked");
    ASSERT_TRUE(ForceDirectories(dest + L"\\Locked extracted.asz"));
    EXPECT_NO_THROW(m->ExtractByIndex(0, dest));
    EXPECT_EQ(DialogTexts(), std::vector<UnicodeString>{dest + L"\\Locked extracted.asz file writing error."});
    for (const TDialogRequest& r : RecordedDialogs()) EXPECT_EQ(r.DlgType, mtError);
}
