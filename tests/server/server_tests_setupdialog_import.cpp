// The setup dialog's radio-ID import: choosing the file, route files, CSV key lists and the
// radio-ID text of a CSV line.
#include "server_tests_setupdialog_fixture.h"

#include <gtest/gtest.h>

using namespace setupdialog_test;

namespace {

const std::string kUtf8Bom = "\xEF\xBB\xBF";

// UTF-16 little endian with its byte-order mark.
std::string Utf16File(const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    for (const wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

class SetupImportTest : public SetupDialogTest {
protected:
    std::filesystem::path Routes() const { return documents_ / L"VELMORA" / L"Routes"; }

    // The list after importing a file of these bytes into an empty list.
    std::vector<UnicodeString> Imported(const wchar_t* name, const std::string& bytes)
    {
        TFormGWsetup& d = *FormGWsetup;
        d.ListBoxFiltIDs->Items()->Clear();
        const auto file = Routes() / name;
        WriteBytes(file, bytes);
        Script().Files = {file.wstring()};
        Click(d.ButtonImportID);
        return ListEntries(d);
    }
};

using Ids = std::vector<UnicodeString>;

} // namespace

TEST(SetupImport, RadioIdTextOfACsvLineDropsThreeWordsAtMostAndKeepsTheDigits)
{
    const std::pair<const char*, const char*> cases[] = {
        {"12345678", "12345678"},   {"ID 1234 5678", "5678"},     {"ID  1234 5678", "5678"},
        {"a b c 12 34", "1234"},    {"Nr.: 0012-345", "0012345"}, {"", ""},
        {"ID", ""},                 {"1 2 3 4 5", "45"},          {"\xE4\xF6 99", "99"},
        {"1234567890123", "1234567890123"},
    };
    for (const auto& [text, digits] : cases) EXPECT_EQ(ExtractRadioIdDigits(text), digits) << text;
}

TEST_F(SetupImportTest, TheImportButtonOffersBothKindsAndPicksTheImporterByTheExtension)
{
    TFormGWsetup& d = CreateWindows();
    const std::string route = "[ROUTE]\r\nHAUSER=1\r\n[HAUS1]\r\nANZS=1\r\n[HAUS1_S1]\r\nRADIOID=11\r\n";
    const std::string csv = "ID;Key\r\n22;00\r\n";
    EXPECT_EQ(Imported(L"list.route", route), Ids{L"00000011"});
    EXPECT_EQ(Imported(L"LIST.Csv", csv), Ids{L"00000022"});
    EXPECT_EQ(Imported(L"list.txt", csv), Ids{});
    EXPECT_EQ(Imported(L"list.route.bak", route), Ids{});
    ASSERT_FALSE(Script().Seen.empty());
    EXPECT_EQ(Script().Seen[0].InitialDir, Routes().wstring() + L"\\");
    EXPECT_EQ(Script().Seen[0].Filter, L"Ger\u00e4teliste  (*.route)|*.ROUTE|AES-Keyliste  (*.csv)|*.CSV");
    EXPECT_FALSE(std::filesystem::exists(SetupFolder())) << "nothing is stored";

    // Cancelled: nothing happens.
    d.ListBoxFiltIDs->Items()->Add(L"00000001");
    Click(d.ButtonImportID);
    EXPECT_EQ(ListEntries(d), Ids{L"00000001"});
    EXPECT_TRUE(Messages().empty());

    // Each ID goes through the add step: the list stops at 250 and EditID shows the last one.
    d.ListBoxFiltIDs->Items()->Clear();
    for (int i = 0; i < 248; ++i) d.ListBoxFiltIDs->Items()->Add(L"00000001");
    const auto file = Routes() / L"five.csv";
    WriteBytes(file, "ID\r\n31\r\n32\r\n33\r\n34\r\n35\r\n");
    Script().Files = {file.wstring()};
    Click(d.ButtonImportID);
    EXPECT_EQ(d.ListBoxFiltIDs->Count(), 250);
    EXPECT_EQ(d.ListBoxFiltIDs->Items()->Strings(249), L"00000032");
    EXPECT_EQ(d.LabelIDcount->Caption(), L"250/250");
    EXPECT_EQ(d.EditID->Text(), L"00000035");
}

TEST_F(SetupImportTest, RouteFilesAddTheRadioIdsOfTheCountedEntriesHouseByHouse)
{
    CreateWindows();
    const std::string twoHouses = "[ROUTE]\r\nHAUSER=2\r\n"
                                  "[HAUS2]\r\nANZS=1\r\n[HAUS2_S1]\r\nRADIOID=3\r\n"
                                  "[HAUS1]\r\nANZETAGEN=4\r\nANZS=2\r\n[haus1_s2]\r\nradioid=00012345\r\n"
                                  "[HAUS1_S1]\r\nRADIOID=1\r\nNAME=Z\u00e4hler\r\n";
    EXPECT_EQ(Imported(L"a.route", twoHouses), (Ids{L"00000001", L"00012345", L"00000003"}));
    EXPECT_EQ(Imported(L"bom.route", kUtf8Bom + twoHouses), (Ids{L"00000001", L"00012345", L"00000003"}));

    // Counts bound the walk; entries without a usable radio ID name no device.
    const std::string counted = "[ROUTE]\r\nHAUSER=1\r\n[HAUS1]\r\nANZS=5\r\n"
                                "[HAUS1_S1]\r\nNAME=no id\r\n[HAUS1_S2]\r\nRADIOID=\r\n[HAUS1_S3]\r\nRADIOID=x7\r\n"
                                "[HAUS1_S4]\r\nRADIOID=123456789\r\n[HAUS1_S5]\r\nRADIOID=55\r\n"
                                "[HAUS1_S6]\r\nRADIOID=66\r\n[HAUS2_S1]\r\nRADIOID=77\r\n[HAUS1_S05]\r\nRADIOID=88\r\n";
    EXPECT_EQ(Imported(L"b.route", counted), Ids{L"00000055"});
    EXPECT_EQ(Imported(L"c.route", "[HAUS1]\r\nANZS=1\r\n[HAUS1_S1]\r\nRADIOID=1\r\n"), Ids{}) << "no ROUTE section";
    EXPECT_EQ(Imported(L"missing.route", ""), Ids{});
    std::filesystem::remove(Routes() / L"missing.route");
    Script().Files = {(Routes() / L"missing.route").wstring()};
    Click(FormGWsetup->ButtonImportID);
    EXPECT_EQ(ListEntries(*FormGWsetup), Ids{});
    // Counts far beyond the file's sections end at once.
    EXPECT_EQ(Imported(L"d.route", "[ROUTE]\r\nHAUSER=2000000000\r\n[HAUS1]\r\nANZS=2000000000\r\n"
                                   "[HAUS1_S1]\r\nRADIOID=9\r\n[HAUS999999999_S1]\r\nRADIOID=8\r\n"),
              Ids{L"00000009"});
    // The same ID twice is listed twice.
    EXPECT_EQ(Imported(L"e.route", "[ROUTE]\r\nHAUSER=1\r\n[HAUS1]\r\nANZS=2\r\n[HAUS1_S1]\r\nRADIOID=4\r\n"
                                   "[HAUS1_S2]\r\nRADIOID=4\r\n"),
              (Ids{L"00000004", L"00000004"}));
    EXPECT_TRUE(Messages().empty()) << "route files raise no messages";
}

TEST_F(SetupImportTest, CsvKeyListsAddTheFirstFieldOfEveryLineAfterTheHeader)
{
    CreateWindows();
    const std::string list = "Funk-ID;AES-Key;Ort\r\n"
                             "12345678;00112233445566778899AABBCCDDEEFF;Keller\r\n"
                             "ID 1234 5678;;\r\n"
                             "\"12;34\";x\r\n"
                             ";leer\r\n"
                             "\r\n"
                             "123456789;zu lang\r\n"
                             "ID 7;;\r\n";
    const Ids expected = {L"12345678", L"00005678", L"00001234", L"00000007"};
    EXPECT_EQ(Imported(L"plain.csv", list), expected);
    EXPECT_EQ(Imported(L"utf8.csv", kUtf8Bom + list), expected);
    std::wstring wide(list.begin(), list.end());
    EXPECT_EQ(Imported(L"utf16.csv", Utf16File(wide)), expected);
    EXPECT_EQ(Imported(L"header.csv", "Funk-ID;AES-Key\r\n"), Ids{});
    EXPECT_TRUE(Messages().empty());

    // More than nine fields end the import at that line, the header's too.
    const std::string tenFields = "1;2;3;4;5;6;7;8;9;10\r\n";
    EXPECT_EQ(Imported(L"third.csv", "ID;Key\r\n11;x\r\n" + tenFields + "12;x\r\n"), Ids{L"00000011"});
    EXPECT_EQ(Imported(L"nine.csv", "ID;Key\r\n\"1;2\";3;4;5;6;7;8;9;10\r\n"), Ids{L"00000012"});
    EXPECT_EQ(Imported(L"header10.csv", tenFields + "11;x\r\n"), Ids{});
    ASSERT_EQ(Messages().size(), 2u);
    for (const SeenDialog& m : Messages()) {
        EXPECT_EQ(m.Text, L"Mehr als 9 Spalten vorhanden. Falsches Format!");
        EXPECT_EQ(m.DlgType, mtError);
        EXPECT_EQ(m.Buttons, TMsgDlgButtons{mbOK});
    }
}

TEST_F(SetupImportTest, ACsvKeyListThatCannotBeReadEndsTheImportWithAWarning)
{
    TFormGWsetup& d = CreateWindows();
    d.ListBoxFiltIDs->Items()->Add(L"00000001");
    d.ImportCsvKeyList((Routes() / L"no such list.csv").wstring());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].Text, L"Unerwarteter Fehler in CSV!");
    EXPECT_EQ(Messages()[0].DlgType, mtWarning);
    EXPECT_EQ(Messages()[0].Buttons, TMsgDlgButtons{mbYes});
    EXPECT_EQ(ListEntries(d), Ids{L"00000001"});
}
