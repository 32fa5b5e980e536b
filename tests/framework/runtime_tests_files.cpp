#include "Encoding.h"
#include "Exceptions.h"
#include "Files.h"
#include "runtime_test_tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

TEST(FilePaths, SplitAndChangeExtension)
{
    struct Case {
        const wchar_t* name;
        const wchar_t* path;
        const wchar_t* file;
        const wchar_t* ext;
        const wchar_t* asIni;
    };
    const Case cases[] = {
        {L"C:\\dir\\file.txt", L"C:\\dir\\", L"file.txt", L".txt", L"C:\\dir\\file.INI"},
        {L"C:\\dir.d\\file", L"C:\\dir.d\\", L"file", L"", L"C:\\dir.d\\file.INI"},
        {L"archive.tar.gz", L"", L"archive.tar.gz", L".gz", L"archive.tar.INI"},
        {L"C:file.x", L"C:", L"file.x", L".x", L"C:file.INI"},
        {L"C:\\dir\\", L"C:\\dir\\", L"", L"", L"C:\\dir\\.INI"},
        {L"\\\\srv\\share\\W-MBus SRV.exe", L"\\\\srv\\share\\", L"W-MBus SRV.exe", L".exe",
         L"\\\\srv\\share\\W-MBus SRV.INI"},
        {L"list.Csv", L"", L"list.Csv", L".Csv", L"list.INI"},
        {L".route", L"", L".route", L".route", L".INI"},
        {L"", L"", L"", L"", L".INI"},
    };
    for (const Case& c : cases) {
        const UnicodeString name = c.name;
        EXPECT_EQ(ExtractFilePath(name), c.path) << testing::PrintToString(name);
        EXPECT_EQ(ExtractFileName(name), c.file) << testing::PrintToString(name);
        EXPECT_EQ(ExtractFileExt(name), c.ext) << testing::PrintToString(name);
        EXPECT_EQ(ChangeFileExt(name, L".INI"), c.asIni) << testing::PrintToString(name);
    }
}

TEST(FilePaths, ExpandFileNameResolvesRelativeAndDots)
{
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    UnicodeString base = cwd;
    if (base.back() != L'\\') base += L'\\';
    EXPECT_EQ(ExpandFileName(L"x.txt"), base + L"x.txt");
    EXPECT_EQ(ExpandFileName(L"C:\\a\\..\\b\\.\\c.ini"), L"C:\\b\\c.ini");
    EXPECT_EQ(ExpandFileName(L""), L"");
}

TEST(CommandLine, ParamStrZeroIsTheProgram)
{
    const UnicodeString self = ParamStr(0);
    EXPECT_TRUE(FileExists(self)) << testing::PrintToString(self);
    EXPECT_EQ(LowerCase(ExtractFileName(self)), L"runtime_tests.exe");
    EXPECT_GE(ParamCount(), 0);
    EXPECT_EQ(ParamStr(ParamCount() + 1), L"");
    EXPECT_EQ(ParamStr(-1), L"");
}

TEST(CommandLine, OverrideReplacesTheArgumentsUntilReset)
{
    const int systemCount = ParamCount();
    SetCommandLineOverride(L"\"C:\\Program Files\\x.exe\" /a  \"two words\" last");
    EXPECT_EQ(ParamCount(), 3);
    EXPECT_EQ(ParamStr(1), L"/a");
    EXPECT_EQ(ParamStr(2), L"two words");
    EXPECT_EQ(ParamStr(3), L"last");
    EXPECT_EQ(LowerCase(ExtractFileName(ParamStr(0))), L"runtime_tests.exe"); // still the module
    SetCommandLineOverride(L"");
    EXPECT_EQ(ParamCount(), 0);
    SetCommandLineOverride(std::nullopt);
    EXPECT_EQ(ParamCount(), systemCount);
}

TEST(SharedDocuments, SystemFolderAndTestOverride)
{
    const UnicodeString system = TPath::GetSharedDocumentsPath();
    EXPECT_FALSE(system.empty());
    EXPECT_TRUE(DirectoryExists(system)) << testing::PrintToString(system);

    TestTempDir dir;
    TPath::SetSharedDocumentsPathOverride(dir.Path());
    EXPECT_EQ(TPath::GetSharedDocumentsPath(), dir.Path());
    TPath::SetSharedDocumentsPathOverride(std::nullopt);
    EXPECT_EQ(TPath::GetSharedDocumentsPath(), system);
}

class FilesTest : public testing::Test {
protected:
    TestTempDir dir;
};

TEST_F(FilesTest, ExistsCreateAndDelete)
{
    const UnicodeString file = dir.Write(L"a.txt", std::string("x"));
    const UnicodeString sub = dir.File(L"sub");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_TRUE(DirectoryExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir.File(L"none")));
    EXPECT_FALSE(DirectoryExists(dir.File(L"none")));

    EXPECT_TRUE(CreateDir(sub));
    EXPECT_FALSE(CreateDir(sub));  // already there
    EXPECT_TRUE(DirectoryExists(sub));
    EXPECT_FALSE(CreateDir(dir.File(L"x\\y")));  // parent missing

    EXPECT_TRUE(DeleteFile(file));
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(DeleteFile(file));
}

TEST_F(FilesTest, ForceDirectoriesBuildsEveryMissingLevel)
{
    const UnicodeString deep = dir.File(L"VELMORA\\W_MBUS_SRV_LOG\\2024\\3\\");
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(dir.File(L"VELMORA\\W_MBUS_SRV_LOG\\2024\\3")));
    EXPECT_TRUE(ForceDirectories(deep));  // existing: still true

    // A file standing where a folder should be makes it fail.
    dir.Write(L"blocker", std::string("x"));
    EXPECT_FALSE(ForceDirectories(dir.File(L"blocker\\sub")));
    EXPECT_THROW(ForceDirectories(L""), EInOutError);

    // Relative names, short ones included, are created below the current folder.
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));
    const bool relative = ForceDirectories(L"r\\s");
    SetCurrentDirectoryW(cwd);
    EXPECT_TRUE(relative);
    EXPECT_TRUE(DirectoryExists(dir.File(L"r\\s")));
}

TEST_F(FilesTest, ForceDirectoriesRacingThreadsAllSucceed)
{
    const UnicodeString deep = dir.File(L"race\\a\\b\\c\\d");
    std::vector<std::thread> threads;
    std::vector<int> results(8, -1);
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] { results[i] = ForceDirectories(deep) ? 1 : 0; });
    for (auto& t : threads) t.join();
    EXPECT_EQ(std::count(results.begin(), results.end(), 1), static_cast<long>(results.size()));
    EXPECT_TRUE(DirectoryExists(deep));
}

TEST_F(FilesTest, FindFirstListsEntriesAndFiltersAttributes)
{
    dir.Write(L"1_3_2024_LOG_0A_1B_2C.csv", std::string("abc"));
    dir.Write(L"b.CSV", std::string());
    dir.Write(L"c.txt", std::string("12345"));
    const UnicodeString hidden = dir.Write(L"h.csv", std::string());
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDir(dir.File(L"sub"));

    auto list = [&](const UnicodeString& pattern, int attr) {
        std::vector<UnicodeString> names;
        TSearchRec rec;
        if (FindFirst(dir.File(pattern), attr, rec) == 0) {
            do names.push_back(rec.Name);
            while (FindNext(rec) == 0);
            FindClose(rec);
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    using Names = std::vector<UnicodeString>;
    EXPECT_EQ(list(L"*", faAnyFile),
              (Names{L".", L"..", L"1_3_2024_LOG_0A_1B_2C.csv", L"b.CSV", L"c.txt", L"h.csv", L"sub"}));
    EXPECT_EQ(list(L"*", 0), (Names{L"1_3_2024_LOG_0A_1B_2C.csv", L"b.CSV", L"c.txt"}));
    EXPECT_EQ(list(L"*", faDirectory), (Names{L".", L"..", L"1_3_2024_LOG_0A_1B_2C.csv", L"b.CSV", L"c.txt", L"sub"}));
    EXPECT_EQ(list(L"*.csv", faAnyFile), (Names{L"1_3_2024_LOG_0A_1B_2C.csv", L"b.CSV", L"h.csv"}));

    TSearchRec rec;
    ASSERT_EQ(FindFirst(dir.File(L"c.txt"), faAnyFile, rec), 0);
    EXPECT_EQ(rec.Size, 5);
    EXPECT_EQ(rec.Attr & faDirectory, 0);
    EXPECT_NE(FindNext(rec), 0);
    FindClose(rec);
    FindClose(rec);  // harmless twice

    EXPECT_NE(FindFirst(dir.File(L"missing\\*"), faAnyFile, rec), 0);
    EXPECT_NE(FindFirst(dir.File(L"*.none"), faAnyFile, rec), 0);
    EXPECT_EQ(rec.FindHandle, INVALID_HANDLE_VALUE);
}

TEST_F(FilesTest, ReadAllBytesReturnsEveryByte)
{
    std::vector<std::uint8_t> bytes(200000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    const UnicodeString path = dir.Write(L"NewSoftwareGW.bin", bytes);
    EXPECT_EQ(TFile::ReadAllBytes(path), bytes);
    EXPECT_TRUE(TFile::ReadAllBytes(dir.Write(L"empty.bin", std::string())).empty());
    EXPECT_THROW(TFile::ReadAllBytes(dir.File(L"missing.bin")), EFOpenError);

    // A writer holding the file open does not stop the read.
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(TFile::ReadAllBytes(path).size(), bytes.size());
    CloseHandle(writer);
}

TEST_F(FilesTest, AppendAllTextWritesAnsiWithoutByteOrderMark)
{
    const UnicodeString path = dir.File(L"VerbindungsLog.txt");
    TFile::AppendAllText(path, UnicodeString(L"Gr\u00FC\u00DFe;1\r\n"));
    TFile::AppendAllText(path, UnicodeString(L"line 2\r\n"));
    TFile::AppendAllText(path, AnsiString("raw \xB0\r\n"));
    TFile::AppendAllText(path, UnicodeString());

    const TBytes first = TEncoding::ANSI->GetBytes(L"Gr\u00FC\u00DFe;1\r\n");
    const std::string expected = std::string(first.begin(), first.end()) + "line 2\r\nraw \xB0\r\n";
    EXPECT_EQ(dir.Read(L"VerbindungsLog.txt"), expected);

    EXPECT_THROW(TFile::AppendAllText(dir.File(L"missing\\log.txt"), UnicodeString(L"x")), EFOpenError);
    EXPECT_FALSE(DirectoryExists(dir.File(L"missing")));
}
