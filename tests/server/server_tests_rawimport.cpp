// The RAW import without a database: which lines are telegrams and the frames made of them,
// opening a file from the main window's import page, the import in file mode, and a picture of
// the import window.
#include "RawTelegramLine.h"
#include "server_tests_rawimport_support.h"
#include "../framework/controls_tests_widgets_support.h"
#include "../framework/graphics_png.h"

#include <gtest/gtest.h>

using namespace mainwindow_test;
using namespace rawimport_test;

namespace {

std::string FrameHex(const std::vector<uint8_t>& frame)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (uint8_t b : frame) {
        hex.push_back(digits[b >> 4]);
        hex.push_back(digits[b & 0x0F]);
    }
    return hex;
}

// count bytes of hexadecimal text that does not start with "68".
UnicodeString HexBytes(size_t count)
{
    UnicodeString hex;
    for (size_t i = 0; i < count; ++i) hex += L"A5";
    return hex;
}

class RawImportWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        SetDialogHook(&ChooseFile);
        OpenRequests().clear();
        ChosenFile().clear();
    }

    std::filesystem::path WriteSample(const wchar_t* name, const std::vector<UnicodeString>& lines)
    {
        const auto file = documents_ / name;
        WriteLines(file, lines);
        return file;
    }
};

} // namespace

TEST(RawTelegramLine, TelegramLinesAndTheFramesMadeOfThem)
{
    // 36 digits: with a prefix of 3 or 4 characters the line has 39 or 40.
    const UnicodeString d36 = L"1E4493447856341201077A1B000000010203";
    ASSERT_EQ(d36.size(), 36u);
    const UnicodeString prefix40(40, L'x');

    struct Case {
        const char* what;
        UnicodeString line;
        std::string frame; // empty: the line is skipped
    };
    const Case cases[] = {
        {"L-field first: completed with 0x68 and 0xFF 0x16", kLogLine, UnicodeToUtf8(kLogFrame)},
        {"whole frame: taken as it is", kAppLine, UnicodeToUtf8(kAppFrame)},
        {"data after the last ';'", kOddLine, UnicodeToUtf8(kOddFrame)},
        {"lower-case digits", L"42;" + LowerCase(kAppFrame), UnicodeToUtf8(kAppFrame)},
        {"trailing blanks and CR", kLogLine + L"  \t\r", UnicodeToUtf8(kLogFrame)},
        {"40 characters", L"abc;" + d36, "68" + UnicodeToUtf8(d36) + "FF16"},
        {"39 characters", L"ab;" + d36, ""},
        {"39 characters and blanks", L"ab;" + d36 + L"   ", ""},
        {"end mark", L"File completely;" + d36, ""},
        {"end mark inside", L"x;File completely" + d36, ""},
        {"odd digit count", kLogLine + L"1", ""},
        {"not hexadecimal", L"2024-03-01;1E4493447856341201077A1B00000001020G", ""},
        {"blank inside", L"2024-03-01;1E4493447856 341201077A1B000000010203", ""},
        {"nothing after ';'", prefix40 + L";", ""},
        {"13-byte frame", prefix40 + L";" + HexBytes(10), "68" + UnicodeToUtf8(HexBytes(10)) + "FF16"},
        {"12-byte frame", prefix40 + L";" + HexBytes(9), ""},
        {"12-byte whole frame", prefix40 + L";68" + HexBytes(9) + L"8C16", ""},
        {"300-byte frame completed", HexBytes(297), "68" + UnicodeToUtf8(HexBytes(297)) + "FF16"},
        {"301-byte frame completed", HexBytes(298), ""},
        {"300-byte whole frame", L"68" + HexBytes(297) + L"8C16", "68" + UnicodeToUtf8(HexBytes(297)) + "8C16"},
        {"301-byte whole frame", L"68" + HexBytes(298) + L"8C16", ""},
        {"far too long", HexBytes(5000), ""},
    };
    for (const Case& c : cases) {
        const auto telegram = ParseRawTelegramLine(c.line);
        if (c.frame.empty()) {
            EXPECT_FALSE(telegram) << c.what;
            continue;
        }
        ASSERT_TRUE(telegram) << c.what;
        EXPECT_EQ(FrameHex(telegram->Frame), c.frame) << c.what;
    }

    // The values of a row, from the completed frame.
    struct Values {
        UnicodeString line;
        const char* id;
        const char* manufacturer;
        int medium;
        int rssi;
    };
    const Values values[] = {
        {kLogLine, "12345678", "QDS", 7, -127},
        {kAppLine, "87654321", "DME", 0x16, -70},
        {kOddLine, "317705643", "\\AB", 0x9B, -127},
    };
    for (const Values& v : values) {
        const auto telegram = ParseRawTelegramLine(v.line);
        ASSERT_TRUE(telegram);
        EXPECT_EQ(telegram->DeviceId, v.id);
        EXPECT_EQ(telegram->Manufacturer, v.manufacturer);
        EXPECT_EQ(telegram->Medium, v.medium);
        EXPECT_EQ(telegram->Rssi, v.rssi);
    }
}

TEST_F(RawImportWindowTest, ImportPageOpensTheChosenFileInTheImportWindow)
{
    WriteSettings({{{L"DB", L"ENABLE"}, L"1"}});
    TFormSRV& form = CreateForms();
    ASSERT_TRUE(form.TabSheetImport->TabVisible());
    form.Show();
    form.PageControl1->SetActivePage(form.TabSheetImport);
    TFormImportRAW& window = *FormImportRAW;

    // Cancelled: nothing happens.
    Click(*form.Button2);
    ASSERT_EQ(OpenRequests().size(), 1u);
    EXPECT_EQ(OpenRequests()[0].Title, L"IMPORT RAW-Datei");
    EXPECT_EQ(OpenRequests()[0].Filter, L"RAW-Datei als Textfile|*.TXT|Daten-Log vom Mobile-APP|*.DAT");
    EXPECT_FALSE(window.Visible());
    EXPECT_TRUE(Dialogs().empty());

    // A file that is not there: the error is shown, the window stays hidden.
    ChosenFile() = (documents_ / L"missing.TXT").wstring();
    Click(*form.Button2);
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].Kind, dkException);
    EXPECT_EQ(Dialogs()[0].Text, L"File does not exist.");
    EXPECT_FALSE(window.Visible());
    EXPECT_EQ(window.MemoRAW->Lines()->Count(), 0);

    // A file: its lines, their number, and the devices of the telegram lines.
    const auto file = WriteSample(L"gateway.TXT", SampleLines());
    ChosenFile() = file.wstring();
    Click(*form.Button2);
    EXPECT_EQ(Dialogs().size(), 1u);
    EXPECT_TRUE(window.Visible());
    EXPECT_EQ(window.LabeFileName->Caption(), file.wstring());
    EXPECT_EQ(Lines(*window.MemoRAW->Lines()), SampleLines());
    EXPECT_EQ(window.LabelAnzahlRAW->Caption(), IntToStr(static_cast<int>(SampleLines().size())));
    EXPECT_EQ(Lines(*window.MemoRAWdevice->Lines()), kSampleDevices);

    // Another file replaces the content.
    const auto second = WriteSample(L"app.DAT", {kAppLine});
    ChosenFile() = second.wstring();
    Click(*form.Button2);
    EXPECT_EQ(window.LabeFileName->Caption(), second.wstring());
    EXPECT_EQ(Lines(*window.MemoRAW->Lines()), std::vector<UnicodeString>{kAppLine});
    EXPECT_EQ(window.LabelAnzahlRAW->Caption(), L"1");
    EXPECT_EQ(Lines(*window.MemoRAWdevice->Lines()), std::vector<UnicodeString>{L"87654321, DME"});
    EXPECT_EQ(Dialogs().size(), 1u);
}

TEST_F(RawImportWindowTest, InFileModeTheImportWritesNothingAndTriesNoConnection)
{
    TFormSRV& form = CreateForms();
    ASSERT_FALSE(form.DatabaseMode());
    TFormImportRAW& window = *FormImportRAW;
    window.LoadRawFile(WriteSample(L"gateway.TXT", SampleLines()).wstring());
    window.Show();

    Click(*window.ButtonImportStart);
    EXPECT_EQ(window.LabelAnzahlProtokolle->Caption(), L"0");
    EXPECT_FALSE(window.FDConn1->Connected());
    // A connection attempt with the default settings would have failed visibly.
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(RawImportWindowTest, PictureOfTheImportWindow)
{
    TStyleManager::TrySetStyle(L"Slate Classico");
    CreateForms();
    TFormImportRAW& window = *FormImportRAW;
    window.LoadRawFile(WriteSample(L"gateway.TXT", SampleLines()).wstring());
    window.Show();
    SetForegroundWindow(window.Handle());
    PumpUntil([] { return false; }, 150);
    const std::unique_ptr<TBitmap> captured = CaptureWindow(window.Handle());
    TBitmap& picture = *captured;
    RECT r{};
    GetWindowRect(window.Handle(), &r);
    const std::filesystem::path folder = BuildFolder() / L"screenshots";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(SaveBitmapAsPng(picture, (folder / L"rawimport.png").wstring()));

    // The memos' empty parts show the style's window colour, the rest of the client its form
    // colour.
    POINT client{0, 0};
    ClientToScreen(window.Handle(), &client);
    const auto pixel = [&](TControl& control, int dx, int dy) {
        return picture.Canvas()->Pixels(client.x - r.left + control.Left() + dx, client.y - r.top + control.Top() + dy);
    };
    const TColor form = static_cast<TColor>(StyledColorToGdi(window.Color()));
    for (TMemo* memo : {window.MemoRAW, window.MemoRAWdevice}) {
        const TColor empty = pixel(*memo, memo->Width() - 30, memo->Height() - 40);
        EXPECT_EQ(empty, static_cast<TColor>(StyledColorToGdi(memo->Color())));
        EXPECT_NE(empty, form);
    }
    EXPECT_EQ(pixel(*window.ButtonImportStart, -8, 0), form);
}
