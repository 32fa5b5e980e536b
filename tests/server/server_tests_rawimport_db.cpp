// The RAW import into the database: the rows of rx_FF.FF.FF for both kinds of line, the import
// time, importing twice, a refused connection and a database error part-way.
#include "server_tests_mainwindow_dbfixture.h"
#include "server_tests_rawimport_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace mainwindow_test;
using namespace rawimport_test;

namespace {

class RawImportDbTest : public DatabaseWindowTest<MainWindowTest> {
protected:
    RawImportDbTest() : DatabaseWindowTest(L"rawimport_") {}

    void SetUp() override
    {
        DatabaseWindowTest::SetUp();
        Server([&](TFDConnection& c) { dbmode_test::Exec(c, L"CREATE DATABASE `" + database_ + L"`"); });
    }

    // Runs action on a connection to the test server without a current database.
    static void Server(const std::function<void(TFDConnection&)>& action)
    {
        TFDConnection connection(nullptr);
        dbtest::Configure(connection, L"", dbtest::Server().password);
        connection.Open();
        action(connection);
    }

    // The windows in database mode with the test server's settings, the sample file in the
    // import window and that window shown. The test server's port goes to the import's
    // connection (the product's settings have none).
    TFormImportRAW& CreateWithSample()
    {
        WriteDatabaseSettings(dbtest::Server().password);
        CreateForms();
        TFormImportRAW& window = *FormImportRAW;
        dbtest::AddPort(*window.FDConn1->Params());
        const auto file = documents_ / L"gateway.TXT";
        WriteLines(file, SampleLines());
        window.LoadRawFile(file.wstring());
        window.Show();
        return window;
    }

    // The imported rows as "Rx_Datum|ID|Hersteller|Medium|RSSI|RAW_Daten", sorted.
    std::vector<std::string> ImportedRows()
    {
        std::vector<std::string> rows;
        Server([&](TFDConnection& c) {
            for (const auto& row : dbmode_test::Rows(c, L"SELECT * FROM `" + database_ + L"`.`rx_FF.FF.FF`")) {
                std::string text;
                for (const wchar_t* column : {L"Rx_Datum", L"ID", L"Hersteller", L"Medium", L"RSSI", L"RAW_Daten"})
                    text += (text.empty() ? "" : "|") + dbmode_test::Utf8(row.at(column));
                rows.push_back(text);
            }
        });
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

// The rows of the sample file imported at 2024-06-12 14:05:09.
std::vector<std::string> SampleRows(const char* time = "2024-06-12 14:05:09")
{
    const std::string t = time;
    std::vector<std::string> rows = {
        // Non-decimal ID digits as the address in hexadecimal, medium 0x9B as a signed byte,
        // and a backslash stored as it is.
        t + "|12EFCDAB|\\AB|-101|-127|" + UnicodeToUtf8(kOddFrame),
        t + "|12345678|QDS|7|-127|" + UnicodeToUtf8(kLogFrame),
        t + "|87654321|DME|22|-70|" + UnicodeToUtf8(kAppFrame),
    };
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

TEST_F(RawImportDbTest, ImportWritesTheCompletedFramesWithTheImportTimeAndTwiceWritesEveryRowTwice)
{
    UseTestClock(EncodeDateTime(2024, 6, 12, 14, 5, 9, 0));
    TFormImportRAW& window = CreateWithSample();

    Click(*window.ButtonImportStart);
    EXPECT_TRUE(Dialogs().empty()) << Utf8(Dialogs().empty() ? UnicodeString() : Dialogs()[0].Text);
    EXPECT_EQ(ImportedRows(), SampleRows());
    EXPECT_EQ(window.LabelAnzahlProtokolle->Caption(), L"3");
    EXPECT_FALSE(window.FDConn1->Connected()) << "closed after the import";

    // The import reads the memo as edited, not the file; a second import adds its rows again.
    window.MemoRAW->Lines()->Delete(window.MemoRAW->Lines()->Count() - 1); // the odd line
    UseTestClock(EncodeDateTime(2024, 6, 12, 14, 6, 0, 0));
    Click(*window.ButtonImportStart);
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_EQ(window.LabelAnzahlProtokolle->Caption(), L"2");
    std::vector<std::string> expected = SampleRows();
    for (const std::string& row : SampleRows("2024-06-12 14:06:00"))
        if (row.find("12EFCDAB") == std::string::npos) expected.push_back(row);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ImportedRows(), expected);
}

TEST_F(RawImportDbTest, ARefusedConnectionOrADatabaseErrorEndsTheImportAndTheCountShowsTheRowsWritten)
{
    UseTestClock(EncodeDateTime(2024, 6, 12, 14, 5, 9, 0));
    TFormImportRAW& window = CreateWithSample();

    FormSRV->EditDBPassword->SetText(L"not the password");
    Click(*window.ButtonImportStart);
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].Kind, dkException);
    EXPECT_EQ(Dialogs()[0].Text, L"Keine DB Verbindung!");
    EXPECT_EQ(window.LabelAnzahlProtokolle->Caption(), L"0");
    EXPECT_FALSE(window.FDConn1->Connected());

    // A table whose Medium column refuses the last line's signed medium: the rows before it stay.
    FormSRV->EditDBPassword->SetText(dbtest::Server().password);
    Server([&](TFDConnection& c) {
        dbmode_test::Exec(c, L"CREATE TABLE `" + database_ + L"`.`rx_FF.FF.FF` (`Rx_Datum` DATETIME, `ID` VARCHAR(8),"
                             L" `Hersteller` CHAR(3), `Medium` TINYINT UNSIGNED, `RSSI` TINYINT(4), `RAW_Daten` VARCHAR(600))");
    });
    std::vector<std::string> before = SampleRows();
    before.erase(std::find_if(before.begin(), before.end(), [](const std::string& row) {
        return row.find("12EFCDAB") != std::string::npos;
    }));
    Click(*window.ButtonImportStart);
    ASSERT_EQ(Dialogs().size(), 2u);
    EXPECT_EQ(Dialogs()[1].Kind, dkException);
    EXPECT_NE(Dialogs()[1].Text.find(L"Medium"), UnicodeString::npos) << Utf8(Dialogs()[1].Text);
    EXPECT_EQ(ImportedRows(), before);
    EXPECT_EQ(window.LabelAnzahlProtokolle->Caption(), L"2");
    EXPECT_FALSE(window.FDConn1->Connected());
}
