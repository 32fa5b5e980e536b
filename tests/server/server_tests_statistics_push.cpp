// The filter lists of the statistics page: devices marked per gateway become the gateways'
// radio-ID filter lists in their setup files or in setup_daten, and reach the gateways in the
// setup reply of their next contact; every gateway whose setup could not be changed is named.
#include "GatewaySetupDb.h"
#include "IniFiles.h"
#include "server_tests_statistics_support.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace statistics_test;

namespace {

const wchar_t* const kConfirm =
    L"Die selktierten Endger\u00E4te werden zur Erstellung von Filterlisten f\u00FCr die jeweiligen Gateways "
    L"verwendet und bei der n\u00E4chsten Kontaktaufnahme der Gateways zum Server an diese \u00FCbertragen.\n ";
const wchar_t* const kChanged =
    L"Die Filterlisten der Gateways wurd erfolgreich ge\u00E4ndert. Bei der n\u00E4chsten Kontaktaufnahme werden "
    L"diese an die Gateways \u00FCbertrag.";
const wchar_t* const kUnchanged = L"Die Filterlisten folgender Gateways wurden nicht ge\u00E4ndert: ";
const wchar_t* const kAnalysisRunning = L"Die Analyse des gew\u00E4hlten Tages l\u00E4uft noch. Filterlisten "
                                        L"k\u00F6nnen erst nach ihrem Ende erstellt werden.";

// The keys of one section as "KEY=value", in file order.
std::vector<UnicodeString> Section(const std::filesystem::path& file, const wchar_t* section)
{
    TMemIniFile ini(file.wstring());
    TStringList keys;
    ini.ReadSection(section, &keys);
    std::vector<UnicodeString> entries;
    for (int i = 0; i < keys.Count(); ++i) entries.push_back(keys[i] + L"=" + ini.ReadString(section, keys[i], L""));
    return entries;
}

UnicodeString IniValue(const std::filesystem::path& file, const wchar_t* section, const wchar_t* key)
{
    return TMemIniFile(file.wstring()).ReadString(section, key, L"<missing>");
}

// The setup record of a reply to 0A.1B.2C; an empty record when the reply is no setup.
GatewaySetupRecord SetupInReply(const sim::Bytes& reply)
{
    EXPECT_EQ(reply.size(), 1123u);
    if (reply.size() != 1123u || reply[2] != 0x14) return {};
    return contact_test::RecordInEnvelope(contact_test::DecryptReply(reply));
}

std::vector<uint32_t> FilterIds(const GatewaySetupRecord& record)
{
    std::vector<uint32_t> ids;
    for (const LittleEndian32& id : record.FilterIds)
        if (uint32_t{id} != 0) ids.push_back(id);
    return ids;
}

TAD Marked(uint32_t id, std::vector<uint8_t> selected)
{
    TAD d;
    d.RadioId = id;
    for (uint8_t s : selected) d.Gateways.push_back(TGW{1, -50, -50, s});
    return d;
}

// Marks, in the grid of Traffic(): for 0A.1B.2C the devices 12345678 (medium 07), 00000000 and
// 00000042, for 0A.1B.2D 87654321 and 12345678.
void MarkTrafficDevices(TStringGrid& grid)
{
    const int gwA = grid.Cells(4, 0).find(L"0A_1B_2C") != UnicodeString::npos ||
                            grid.Cells(4, 0).find(L"0A.1B.2C") != UnicodeString::npos
                        ? 4
                        : 5;
    const int gwB = 9 - gwA;
    for (int row : {2, 4, 5}) DoubleClickCell(grid, gwA, row);
    for (int row : {1, 2}) DoubleClickCell(grid, gwB, row);
}

} // namespace

TEST_F(StatisticsTest, FilterListsReachTheGatewaysThroughTheirSetupFiles)
{
    TFormSRV& form = CreateWithPort();
    form.ToggleSwitch1->SetState(tssOn);
    ASSERT_TRUE(form.IdTCPServer1->Active());
    // The gateways report their setups, which gives them their files.
    for (const sim::GatewayIdBytes& id : {kGwA, kGwB}) {
        GatewaySetupRecord record = contact_test::SampleSetup();
        record.GatewayId = id;
        const sim::Bytes frame = contact_test::SetupFrame(record, id);
        RunGateway(form, [&](sim::Gateway& gw) {
            gw.Send(frame);
            EXPECT_TRUE(gw.WaitClosed(contact_test::kWait));
        });
    }
    const std::filesystem::path fileA = SetupFolder() / L"SETUPGW_0A_1B_2C.GWINI";
    const std::filesystem::path fileB = SetupFolder() / L"SETUPGW_0A_1B_2D.GWINI";
    ASSERT_TRUE(std::filesystem::exists(fileA));
    ASSERT_TRUE(std::filesystem::exists(fileB));
    EXPECT_EQ(Section(fileA, L"WM-BUS_IDS").size(), 5u);

    SendTraffic(form, Traffic());
    OpenStatistics(form, TrafficDay());
    ASSERT_EQ(RowsByGatewayId(*form.StringGridStat), ExpectedTrafficTable());
    MarkTrafficDevices(*form.StringGridStat);
    EXPECT_EQ(form.GatewayColumns()[0].SelectedCount + form.GatewayColumns()[1].SelectedCount, 5);

    // Cancel changes nothing.
    const std::string before = test_support::ReadFile(fileA);
    Answers() = {mrCancel};
    SendMessageW(form.ButtonMkFilter->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(test_support::ReadFile(fileA), before);
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].Text, kConfirm);
    EXPECT_EQ(Dialogs()[0].DlgType, mtConfirmation);
    EXPECT_EQ(Dialogs()[0].Buttons, mbOKCancel);

    SendMessageW(form.ButtonMkFilter->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(Dialogs().size(), 3u);
    EXPECT_EQ(Dialogs()[2].Text, kChanged);
    // Keys named after the device's row index; radio ID 0 is no device and stays out.
    EXPECT_EQ(Section(fileA, L"WM-BUS_IDS"), (std::vector<UnicodeString>{L"ID1=12345678", L"ID4=42"}));
    EXPECT_EQ(Section(fileB, L"WM-BUS_IDS"), (std::vector<UnicodeString>{L"ID0=87654321", L"ID1=12345678"}));
    EXPECT_EQ(IniValue(fileA, L"WM-BUS", L"FILTER_IDS"), L"1");
    EXPECT_EQ(IniValue(fileA, L"SENDEN", L"ENABLED"), L"1");
    EXPECT_EQ(IniValue(fileA, L"NETZWERK", L"SRV_DNS"), L"gw.example.net");

    // The next contact of 0A.1B.2C receives its list.
    sim::Bytes reply;
    RunGateway(form, [&](sim::Gateway& gw) {
        gw.Send(TelegramFrame(kGwA, {Heard(0x12345678, kAbc, 7, 140, 30)}));
        EXPECT_TRUE(gw.WaitClosed(contact_test::kWait, &reply));
    });
    const GatewaySetupRecord sent = SetupInReply(reply);
    EXPECT_EQ(FilterIds(sent), (std::vector<uint32_t>{0x12345678, 0x42}));
    EXPECT_NE(sent.WmbusFlags & WmbusIdFilter, 0);
}

TEST_F(StatisticsTest, FilePushNamesEveryGatewayItCouldNotChange)
{
    CreateForms();
    std::filesystem::create_directories(SetupFolder());
    const auto file = [&](const wchar_t* gateway) { return SetupFolder() / (L"SETUPGW_" + std::wstring(gateway) + L".GWINI"); };
    for (const wchar_t* gateway : {L"01_02_03", L"0A_0B_0C"})
        std::ofstream(file(gateway), std::ios::binary) << "[NETZWERK]\r\nAORT=Keller\r\n[WM-BUS_IDS]\r\nID7=99999999\r\n";

    const TDeviceStats devices = {Marked(12345, {1, 0, 0, 0, 0}), Marked(678, {1, 1, 0, 0, 0}),
                                  Marked(0, {0, 1, 0, 0, 0}), Marked(55, {0, 0, 1, 0, 0}), Marked(66, {0, 0, 0, 1, 0})};
    const TGatewayColumns columns = {{1, "01_02_03", ""}, {2, "0A_0B_0C", ""}, {1, "0D_0E_0F", ""},
                                     {1, "..\\x\\y", ""}, {0, "0B_0B_0B", ""}};
    EXPECT_FALSE(FormGWsetup->PushFilterIdList(devices, columns, false));
    ASSERT_EQ(Dialogs().size(), 2u);
    EXPECT_EQ(Dialogs()[0].Text, L"SETUP File SETUPGW_0D_0E_0F.GWINI ist noch nicht vorhanden!");
    EXPECT_EQ(Dialogs()[1].Text, kUnchanged + UnicodeString(L"..\\x\\y"));
    EXPECT_EQ(Section(file(L"01_02_03"), L"WM-BUS_IDS"), (std::vector<UnicodeString>{L"ID0=12345", L"ID1=678"}));
    EXPECT_EQ(Section(file(L"0A_0B_0C"), L"WM-BUS_IDS"), (std::vector<UnicodeString>{L"ID1=678"}));
    EXPECT_EQ(IniValue(file(L"01_02_03"), L"NETZWERK", L"AORT"), L"Keller");
    EXPECT_EQ(IniValue(file(L"0A_0B_0C"), L"WM-BUS", L"FILTER_IDS"), L"1");
    EXPECT_EQ(IniValue(file(L"0A_0B_0C"), L"SENDEN", L"ENABLED"), L"1");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(SetupFolder())) ++files;
    EXPECT_EQ(files, 2) << "a missing file is not made";

    // The missing file first: the result does not depend on the order.
    Dialogs().clear();
    EXPECT_FALSE(FormGWsetup->PushFilterIdList(devices, {columns[2], columns[0]}, false));
    EXPECT_EQ(Dialogs().size(), 1u);

    // Nothing marked: nothing to do, nothing to say.
    Dialogs().clear();
    EXPECT_TRUE(FormGWsetup->PushFilterIdList(devices, {columns[4]}, false));
    EXPECT_TRUE(FormGWsetup->PushFilterIdList({}, {}, false));
    EXPECT_TRUE(Dialogs().empty());

    // A file that cannot be replaced stays as it was, byte for byte; the reason is shown.
    const std::string before = test_support::ReadFile(file(L"01_02_03"));
    struct Reset {
        ~Reset() { SetSetupFileStoreTestHooks({}); }
    } reset;
    SetSetupFileStoreTestHooks({.BeforeReplace = [](const UnicodeString&) { throw EIniFileException(L"injected"); }});
    EXPECT_FALSE(FormGWsetup->PushFilterIdList({Marked(777, {1})}, {columns[0]}, false));
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].Text, kUnchanged + UnicodeString(L"01_02_03\ninjected"));
    EXPECT_EQ(test_support::ReadFile(file(L"01_02_03")), before);
}

// Database mode switched on, both gateways with a setup row, their traffic sent and its day
// analysed (shown is the window); db is connected to the test's database.
class StatisticsPushDbTest : public StatisticsDbTest {
protected:
    void AnalyseTrafficDay(TFDConnection& db, TFormSRV*& shown)
    {
        TFormSRV& form = CreateInDatabaseMode(dbtest::Server().password);
        shown = &form;
        form.ToggleSwitch1->SetState(tssOn);
        ASSERT_TRUE(form.IdTCPServer1->Active());
        Connect(db);
        for (const sim::GatewayIdBytes& id : {kGwA, kGwB}) {
            GatewaySetupRecord record = contact_test::SampleSetup();
            record.GatewayId = id;
            dbmode_test::Exec(db, SetupInsertStatement(id, record, "2022-06-01 10:00:00"));
        }
        SendTraffic(form, Traffic());
        OpenStatistics(form, TrafficDay());
        ASSERT_TRUE(FinishAnalysis(form));
    }
};

TEST_F(StatisticsPushDbTest, FilterListsReachTheGatewaysThroughSetupDaten)
{
    TFDConnection db(nullptr);
    TFormSRV* shown = nullptr;
    ASSERT_NO_FATAL_FAILURE(AnalyseTrafficDay(db, shown));
    TFormSRV& form = *shown;
    ASSERT_EQ(RowsByGatewayId(*form.StringGridStat), ExpectedTrafficTable());
    MarkTrafficDevices(*form.StringGridStat);

    SendMessageW(form.ButtonMkFilter->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(Dialogs().size(), 2u);
    EXPECT_EQ(Dialogs()[1].Text, kChanged);
    const auto row = [&](const wchar_t* gateway) {
        return dbmode_test::SingleRow(dbmode_test::Rows(
            db, L"SELECT SET_ENABLED, FILT_IDS, FILT_IDLIST FROM setup_daten WHERE GW_ID='" + UnicodeString(gateway) + L"'"));
    };
    const dbmode_test::Row a = row(L"0A.1B.2C");
    EXPECT_EQ(dbmode_test::Utf8(a.at(L"FILT_IDLIST")), "12345678,00000042");
    EXPECT_EQ(dbmode_test::Utf8(a.at(L"SET_ENABLED")), "Y");
    EXPECT_EQ(dbmode_test::Utf8(a.at(L"FILT_IDS")), "Y");
    EXPECT_EQ(dbmode_test::Utf8(row(L"0A.1B.2D").at(L"FILT_IDLIST")), "87654321,12345678");

    // The same lists again change no row, yet every gateway has its row: success.
    SendMessageW(form.ButtonMkFilter->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(Dialogs().size(), 4u);
    EXPECT_EQ(Dialogs()[3].Text, kChanged);

    // The next contact of 0A.1B.2C receives its list.
    sim::Bytes reply;
    RunGateway(form, [&](sim::Gateway& gw) {
        gw.Send(TelegramFrame(kGwA, {Heard(0x12345678, kAbc, 7, 140, 30)}));
        EXPECT_TRUE(gw.WaitClosed(contact_test::kWait, &reply));
    });
    const GatewaySetupRecord sent = SetupInReply(reply);
    EXPECT_EQ(FilterIds(sent), (std::vector<uint32_t>{0x12345678, 0x42}));
    EXPECT_NE(sent.WmbusFlags & WmbusIdFilter, 0);
}

// While the analysis of a newly chosen day runs, the marks are still the previous day's: the
// button says so and changes nothing.
TEST_F(StatisticsPushDbTest, GenFilterWaitsForTheAnalysisOfTheDayShown)
{
    TFDConnection db(nullptr);
    TFormSRV* shown = nullptr;
    ASSERT_NO_FATAL_FAILURE(AnalyseTrafficDay(db, shown));
    TFormSRV& form = *shown;
    MarkTrafficDevices(*form.StringGridStat);
    const auto rows = [&] { return dbmode_test::Rows(db, L"SELECT * FROM setup_daten ORDER BY GW_ID"); };
    const auto before = rows();

    form.Calendar1->SetDate(TrafficDay() + 1);
    ASSERT_NE(form.AnalyseThread(), nullptr);
    Dialogs().clear();
    SendMessageW(form.ButtonMkFilter->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(Dialogs().size(), 1u) << "no confirmation is asked for";
    EXPECT_EQ(Dialogs()[0].Text, kAnalysisRunning);
    EXPECT_EQ(rows(), before);

    // The new day shown (nothing heard, nothing marked): the button works again.
    ASSERT_TRUE(FinishAnalysis(form));
    Dialogs().clear();
    SendMessageW(form.ButtonMkFilter->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(Dialogs().size(), 2u);
    EXPECT_EQ(Dialogs()[0].Text, kConfirm);
    EXPECT_EQ(Dialogs()[1].Text, kChanged);
    EXPECT_EQ(rows(), before);
}

TEST_F(StatisticsDbTest, DatabasePushNamesEveryGatewayItCouldNotChange)
{
    // No switch-on in this run: the push sets up the connection definition it uses from the
    // settings itself. Without the database every gateway is named, with the reason.
    FDManager()->DeleteConnectionDef(MainConnectionDefName);
    CreateInDatabaseMode(dbtest::Server().password);
    const TDeviceStats devices = {Marked(12345, {1, 1, 0}), Marked(678, {1, 0, 0}), Marked(0, {0, 0, 1})};
    const TGatewayColumns columns = {{2, "01.02.03", ""}, {1, "0D.0E.0F", ""}, {1, "0E.0E.0E", ""}};
    EXPECT_FALSE(FormGWsetup->PushFilterIdList(devices, columns, true));
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].Text.rfind(kUnchanged + UnicodeString(L"01.02.03, 0D.0E.0F, 0E.0E.0E\n"), 0), 0u)
        << UnicodeToUtf8(Dialogs()[0].Text);

    // The database and its table are there, still without a switch-on.
    CreateDatabase();
    TFDConnection db(nullptr);
    Connect(db);
    dbmode_test::Exec(db, SetupTableStatement());
    GatewaySetupRecord record = contact_test::SampleSetup();
    record.GatewayId = {0x01, 0x02, 0x03};
    dbmode_test::Exec(db, SetupInsertStatement(record.GatewayId, record, "2022-06-01 10:00:00"));

    // A gateway without a row and one whose only mark is no radio ID: named; the other changed.
    Dialogs().clear();
    EXPECT_FALSE(FormGWsetup->PushFilterIdList(devices, columns, true));
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].Text, kUnchanged + UnicodeString(L"0D.0E.0F, 0E.0E.0E"));
    const auto rows = dbmode_test::Rows(db, L"SELECT GW_ID, FILT_IDLIST, SET_ENABLED FROM setup_daten");
    ASSERT_EQ(rows.size(), 1u) << "no row is made";
    EXPECT_EQ(dbmode_test::Utf8(rows[0].at(L"FILT_IDLIST")), "00012345,00000678");
    EXPECT_EQ(dbmode_test::Utf8(rows[0].at(L"SET_ENABLED")), "Y");

    // Unchanged by a second push, the row is still there: success.
    Dialogs().clear();
    EXPECT_TRUE(FormGWsetup->PushFilterIdList(devices, {columns[0]}, true));
    EXPECT_TRUE(Dialogs().empty());
}
