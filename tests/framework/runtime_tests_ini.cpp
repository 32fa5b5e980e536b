#include "Exceptions.h"
#include "Files.h"
#include "IniFiles.h"
#include "StringList.h"
#include "runtime_test_tempdir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Lines = std::vector<UnicodeString>;

Lines Items(const TStrings& list)
{
    Lines out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
    return out;
}
} // namespace

// The integer rule both INI classes share, through the in-memory one.
TEST(MemIniFile, ReadIntegerDecimalHexAndWrap)
{
    struct Case {
        const wchar_t* text;
        int expected;
    };
    const Case cases[] = {
        {L"0", 0},          {L"42", 42},          {L"-42", -42},          {L"+7", 7},
        {L"007", 7},        {L"$1F", 31},         {L"0x1f", 31},          {L"0X10", 16},
        {L"$FF00FF", 0xFF00FF}, {L"$FFFFFFFF", -1}, {L"0xFFFFFFFF", -1},  {L"0x80000000", INT_MIN},
        {L"2147483647", INT_MAX}, {L"-2147483648", INT_MIN},
        // Everything below is not an integer and reads as the default.
        {L"", -99},         {L"abc", -99},        {L"12a", -99},          {L"3px", -99},
        {L"1.5", -99},      {L"$", -99},          {L"0x", -99},           {L"$1FFFFFFFF", -99},
        {L"2147483648", -99}, {L"-2147483649", -99}, {L"FF", -99},        {L"--1", -99},
    };
    for (const Case& c : cases) {
        TStringList text;
        text.Add(L"[G]");
        text.Add(UnicodeString(L"K=") + c.text);
        TMemIniFile ini(L"");
        ini.SetStrings(text);
        EXPECT_EQ(ini.ReadInteger(L"G", L"K", -99), c.expected) << testing::PrintToString(UnicodeString(c.text));
    }
    TMemIniFile empty(L"");
    EXPECT_EQ(empty.ReadInteger(L"G", L"K", 5), 5);
    TStringList text;
    text.SetText(L"[G]\r\nK=\r\n");
    empty.SetStrings(text);
    EXPECT_TRUE(empty.ValueExists(L"G", L"k"));  // present, though empty
    EXPECT_EQ(empty.ReadInteger(L"G", L"K", 5), 5);
}

class IniFileTest : public testing::Test {
protected:
    TestTempDir dir;
};

TEST_F(IniFileTest, WritesReachTheFileAndReadBack)
{
    const UnicodeString path = dir.File(L"SETTINGS.INI");
    {
        TIniFile ini(path);  // the first write creates the file
        ini.WriteInteger(L"WINDOW", L"TOP", -12);
        ini.WriteBool(L"TCP", L"AUTOSTART", true);
        ini.WriteBool(L"TCP", L"RESTART", false);
        ini.WriteString(L"DB", L"SERVER", L"127.0.0.1");
        ini.WriteString(L"DB", L"NAME", L"db_marlindo");
    }
    EXPECT_TRUE(FileExists(path));
    const std::string raw = dir.Read(L"SETTINGS.INI");
    EXPECT_NE(raw.find("AUTOSTART=1"), std::string::npos) << raw;
    EXPECT_NE(raw.find("RESTART=0"), std::string::npos) << raw;
    EXPECT_NE(raw.find("TOP=-12"), std::string::npos) << raw;

    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger(L"WINDOW", L"TOP", 0), -12);
    EXPECT_TRUE(ini.ReadBool(L"TCP", L"AUTOSTART", false));
    EXPECT_FALSE(ini.ReadBool(L"TCP", L"RESTART", true));
    EXPECT_EQ(ini.ReadString(L"db", L"server", L""), L"127.0.0.1");  // names match without case

    // Missing sections and keys give the caller's default.
    EXPECT_EQ(ini.ReadInteger(L"WINDOW", L"WIDTH", 1233), 1233);
    EXPECT_EQ(ini.ReadString(L"DB", L"PWD", L"4kq9rwzt"), L"4kq9rwzt");
    EXPECT_TRUE(ini.ReadBool(L"NOPE", L"X", true));

    // Rewriting a key replaces its value in place.
    TIniFile(path).WriteString(L"DB", L"SERVER", L"db.local");
    EXPECT_EQ(ini.ReadString(L"DB", L"SERVER", L""), L"db.local");
    TStringList keys;
    ini.ReadSection(L"DB", &keys);
    EXPECT_EQ(Items(keys), (Lines{L"SERVER", L"NAME"}));
}

TEST_F(IniFileTest, NonIntegerTextReadsAsDefault)
{
    dir.Write(L"v.ini", "[S]\r\nA=12\r\nB=abc\r\nC=\r\nD=$FF\r\nE=0x10\r\nF=1.5\r\nG=2\r\nH=yes\r\n");
    TIniFile ini(dir.File(L"v.ini"));
    struct Case {
        const wchar_t* key;
        int expected;
    };
    for (const Case& c : {Case{L"A", 12}, Case{L"B", 7}, Case{L"C", 7}, Case{L"D", 255}, Case{L"E", 16},
                          Case{L"F", 7}, Case{L"missing", 7}})
        EXPECT_EQ(ini.ReadInteger(L"S", c.key, 7), c.expected) << testing::PrintToString(UnicodeString(c.key));
    EXPECT_TRUE(ini.ReadBool(L"S", L"G", false));   // any non-zero integer is true
    EXPECT_FALSE(ini.ReadBool(L"S", L"H", false));  // not an integer: the default
    EXPECT_TRUE(ini.ReadBool(L"S", L"H", true));
}

TEST_F(IniFileTest, SectionsKeysEraseAndDelete)
{
    dir.Write(L"gw.GWINI", "[SENDEN]\r\nENABLED=1\r\n[WM-BUS_IDS]\r\nID0=12345678\r\nzz=3\r\nID1=2\r\n[EMPTY]\r\n");
    TIniFile ini(dir.File(L"gw.GWINI"));

    TStringList list;
    list.Add(L"stale");
    ini.ReadSections(&list);
    EXPECT_EQ(Items(list), (Lines{L"SENDEN", L"WM-BUS_IDS", L"EMPTY"}));
    ini.ReadSection(L"wm-bus_ids", &list);
    EXPECT_EQ(Items(list), (Lines{L"ID0", L"zz", L"ID1"}));  // file order, whatever the names
    ini.ReadSection(L"missing", &list);
    EXPECT_EQ(list.Count(), 0);

    EXPECT_TRUE(ini.SectionExists(L"SENDEN"));
    EXPECT_FALSE(ini.SectionExists(L"EMPTY"));  // a section counts once it has a key
    EXPECT_TRUE(ini.ValueExists(L"WM-BUS_IDS", L"zz"));
    EXPECT_FALSE(ini.ValueExists(L"WM-BUS_IDS", L"ID9"));

    ini.DeleteKey(L"WM-BUS_IDS", L"zz");
    EXPECT_FALSE(ini.ValueExists(L"WM-BUS_IDS", L"zz"));

    ini.EraseSection(L"WM-BUS_IDS");
    EXPECT_FALSE(ini.SectionExists(L"WM-BUS_IDS"));
    EXPECT_EQ(ini.ReadInteger(L"WM-BUS_IDS", L"ID0", 1), 1);
    EXPECT_EQ(ini.ReadString(L"SENDEN", L"ENABLED", L""), L"1");
    EXPECT_EQ(dir.Read(L"gw.GWINI").find("ID0"), std::string::npos);

    // Erasing and rewriting gives a fresh section.
    ini.WriteInteger(L"WM-BUS_IDS", L"ID0", 5);
    ini.ReadSection(L"WM-BUS_IDS", &list);
    EXPECT_EQ(Items(list), (Lines{L"ID0"}));
}

TEST_F(IniFileTest, WriteIntoMissingFolderRaises)
{
    TIniFile ini(dir.File(L"no-such-folder\\SETUPGW_0A_1B_2C.GWINI"));
    try {
        ini.WriteBool(L"SENDEN", L"ENABLED", true);
        FAIL() << "write succeeded";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), L"Unable to write to " + ini.FileName());
    }
    EXPECT_FALSE(DirectoryExists(dir.File(L"no-such-folder")));
    EXPECT_EQ(ini.ReadString(L"SENDEN", L"ENABLED", L"d"), L"d");
}

TEST_F(IniFileTest, ErasingInAMissingFileIsNotAnError)
{
    TIniFile ini(dir.File(L"new.GWINI"));
    EXPECT_NO_THROW(ini.EraseSection(L"WM-BUS_IDS"));
    EXPECT_NO_THROW(ini.DeleteKey(L"WM-BUS_IDS", L"ID0"));
    ini.WriteInteger(L"WM-BUS_IDS", L"ID0", 1);
    EXPECT_EQ(ini.ReadInteger(L"WM-BUS_IDS", L"ID0", 0), 1);
    EXPECT_NO_THROW(ini.EraseSection(L"OTHER"));  // a section the file lacks
}

TEST_F(IniFileTest, LongValuesAreReadWhole)
{
    const UnicodeString longValue(5000, L'x');
    TIniFile ini(dir.File(L"long.ini"));
    ini.WriteString(L"S", L"K", longValue);
    EXPECT_EQ(ini.ReadString(L"S", L"K", L""), longValue);
}

// ---- TMemIniFile ---------------------------------------------------------------------------------

TEST(MemIniFile, ReadsRouteFileAsUtf8AndIgnoresCase)
{
    TestTempDir dir;
    // "Straße" in UTF-8, keys in mixed case, comments and blanks around names and values.
    dir.Write(L"a.route",
              "; comment\r\n"
              "stray=before any section\r\n"
              "[ROUTE]\r\n"
              "HAUSER = 2\r\n"
              "[Haus1]\r\n"
              "ANZS=2\r\n"
              "  Name =  Stra\xC3\x9F" "e 1  \r\n"
              "[HAUS1_S1]\r\nRADIOID=00012345\r\n"
              "[HAUS1_S2]\r\nnot a key line\r\n"
              "[HAUS2]\r\nANZS=$1\r\n");
    TMemIniFile ini(dir.File(L"a.route"));
    EXPECT_EQ(ini.Encoding(), TEncoding::UTF8);
    EXPECT_EQ(ini.ReadInteger(L"route", L"hauser", 0), 2);
    EXPECT_EQ(ini.ReadInteger(L"HAUS1", L"ANZS", 0), 2);
    EXPECT_EQ(ini.ReadString(L"HAUS1", L"NAME", L""), L"Stra\u00DFe 1");
    EXPECT_EQ(ini.ReadInteger(L"HAUS1_S1", L"RADIOID", 1), 12345);
    EXPECT_EQ(ini.ReadInteger(L"HAUS1_S2", L"RADIOID", 1), 1);
    EXPECT_EQ(ini.ReadInteger(L"HAUS2", L"ANZS", 0), 1);
    EXPECT_EQ(ini.ReadString(L"ROUTE", L"stray", L"none"), L"none");
    EXPECT_TRUE(ini.SectionExists(L"haus1_s2"));  // exists without keys
    EXPECT_FALSE(ini.SectionExists(L"HAUS3"));

    TStringList sections;
    ini.ReadSections(&sections);
    EXPECT_EQ(Items(sections), (Lines{L"ROUTE", L"Haus1", L"HAUS1_S1", L"HAUS1_S2", L"HAUS2"}));
    TStringList keys;
    ini.ReadSection(L"HAUS1", &keys);
    EXPECT_EQ(Items(keys), (Lines{L"ANZS", L"Name"}));
}

TEST(MemIniFile, MissingFileReadsAsEmpty)
{
    TestTempDir dir;
    TMemIniFile ini(dir.File(L"missing.route"));
    TStringList sections;
    ini.ReadSections(&sections);
    EXPECT_EQ(sections.Count(), 0);
    EXPECT_EQ(ini.ReadInteger(L"ROUTE", L"HAUSER", 0), 0);
    TMemIniFile unnamed(L"", nullptr, true);
    EXPECT_EQ(unnamed.ReadString(L"A", L"B", L"d"), L"d");
}

// Duplicate sections merge into the first; each name is listed once, in first-seen order.
TEST(MemIniFile, DuplicateSectionsMergeUnderEitherCaseRule)
{
    TStringList text;
    text.SetText(L"[GLOBALINFO]\r\nMainFont=Tahoma\r\nCOLOR=1\r\n"
                 L"[BUTTON]\r\nGLYPH=@a.bmp\r\n"
                 L"[GlobalInfo]\r\nMAINFONT=Arial\r\nCOLOR=2\r\nEXTRA=x\r\n"
                 L"[GLOBALINFO]\r\nLATE=y\r\n");
    struct Case {
        bool caseSensitive;
        Lines sections;
        Lines globalKeys;
        const wchar_t* mainFontUpper;
        const wchar_t* color;
    };
    const Case cases[] = {
        {false, {L"GLOBALINFO", L"BUTTON"}, {L"MainFont", L"COLOR", L"EXTRA", L"LATE"}, L"Tahoma", L"1"},
        {true, {L"GLOBALINFO", L"BUTTON", L"GlobalInfo"}, {L"MainFont", L"COLOR", L"LATE"}, L"", L"1"},
    };
    for (const Case& c : cases) {
        TMemIniFile ini(L"", nullptr, c.caseSensitive);
        ini.SetStrings(text);
        TStringList list;
        ini.ReadSections(&list);
        EXPECT_EQ(Items(list), c.sections) << "case-sensitive " << c.caseSensitive;
        ini.ReadSection(L"GLOBALINFO", &list);
        EXPECT_EQ(Items(list), c.globalKeys) << "case-sensitive " << c.caseSensitive;
        EXPECT_EQ(ini.ReadString(L"GLOBALINFO", L"MAINFONT", L""), c.mainFontUpper);
        EXPECT_EQ(ini.ReadString(L"GLOBALINFO", L"MainFont", L""), L"Tahoma");
        EXPECT_EQ(ini.ReadString(L"GLOBALINFO", L"COLOR", L""), c.color);
        EXPECT_EQ(ini.SectionExists(L"button"), !c.caseSensitive);
        EXPECT_EQ(ini.ValueExists(L"GLOBALINFO", L"MAINFONT"), !c.caseSensitive);
        EXPECT_TRUE(ini.ValueExists(L"GLOBALINFO", L"LATE"));
        EXPECT_FALSE(ini.ValueExists(L"BUTTON", L"LATE"));
    }

    // Switching the rule re-reads the content: the case-sensitive sections now merge.
    TMemIniFile ini(L"", nullptr, true);
    ini.SetStrings(text);
    EXPECT_EQ(ini.ReadString(L"GlobalInfo", L"EXTRA", L""), L"x");
    ini.SetCaseSensitive(false);
    TStringList list;
    ini.ReadSections(&list);
    EXPECT_EQ(Items(list), (Lines{L"GLOBALINFO", L"BUTTON"}));
    EXPECT_EQ(ini.ReadString(L"GLOBALINFO", L"extra", L""), L"x");
}

TEST(MemIniFile, EncodingFollowsByteOrderMarkElseTheGivenOne)
{
    TestTempDir dir;
    // "K=Ä" in four encodings.
    dir.Write(L"utf8bom.ini", std::string("\xEF\xBB\xBF[S]\r\nK=\xC3\x84\r\n"));
    dir.Write(L"utf16.ini", std::vector<std::uint8_t>{0xFF, 0xFE, '[', 0, 'S', 0, ']', 0, '\n', 0, 'K', 0, '=', 0,
                                                      0xC4, 0, '\n', 0});
    dir.Write(L"ansi.ini", std::string("[S]\r\nK=\xC4\r\n"));
    dir.Write(L"utf8.ini", std::string("[S]\r\nK=\xC3\x84\r\n"));

    EXPECT_EQ(TMemIniFile(dir.File(L"utf8bom.ini")).ReadString(L"S", L"K", L""), L"\u00C4");
    EXPECT_EQ(TMemIniFile(dir.File(L"utf16.ini")).ReadString(L"S", L"K", L""), L"\u00C4");
    EXPECT_EQ(TMemIniFile(dir.File(L"utf16.ini"), TEncoding::ANSI).ReadString(L"S", L"K", L""), L"\u00C4");
    EXPECT_EQ(TMemIniFile(dir.File(L"utf8.ini")).ReadString(L"S", L"K", L""), L"\u00C4");
    const UnicodeString ansiExpected = TEncoding::ANSI->GetString(std::vector<std::uint8_t>{0xC4});
    EXPECT_EQ(TMemIniFile(dir.File(L"ansi.ini"), TEncoding::ANSI).ReadString(L"S", L"K", L""), ansiExpected);
}
