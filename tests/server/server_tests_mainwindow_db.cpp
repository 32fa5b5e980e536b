// The main window in database mode: switching on connects FDConn1 with the settings edits, runs
// the schema script and lends the contacts connections with the same settings; the database
// labels follow the connection; a refused connection leaves the switch off.
#include "server_tests_contact_fixture.h"
#include "server_tests_mainwindow_dbfixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace mainwindow_test;

namespace {

using contact_test::kDeriv;
using contact_test::kGw;
using contact_test::kMaster;

class DbWindowTest : public DatabaseWindowTest<MainWindowTest> {
protected:
    DbWindowTest() : DatabaseWindowTest(L"mainwindow_") {}

    std::vector<UnicodeString> Tables(TFDConnection& connection)
    {
        std::vector<UnicodeString> names;
        for (const auto& row : dbmode_test::Rows(connection, L"SELECT TABLE_NAME FROM information_schema.TABLES WHERE "
                                                             L"TABLE_SCHEMA='" + database_ + L"' ORDER BY TABLE_NAME"))
            names.push_back(*row.at(L"TABLE_NAME"));
        return names;
    }
};

} // namespace

TEST_F(DbWindowTest, SwitchOnConnectsRunsTheSchemaTwiceWithoutHarmAndStoresAGatewaysTelegram)
{
    TFormSRV& form = CreateInDatabaseMode(dbtest::Server().password);
    ASSERT_TRUE(form.DatabaseMode());
    EXPECT_EQ(form.LabelDBStatus->Caption(), L"unbekannt");
    EXPECT_EQ(form.LabelDBerror->Caption(), L"xxxx");
    EXPECT_FALSE(form.AcquireDatabaseConnection()) << "no connections before the first switch-on";

    form.ToggleSwitch1->SetState(tssOn);
    ASSERT_TRUE(form.IdTCPServer1->Active());
    EXPECT_TRUE(form.FDConn1->Connected());
    EXPECT_EQ(form.LabelDBStatus->Caption(), L"OK");
    EXPECT_EQ(form.LabelDBerror->Caption(), L"");
    EXPECT_EQ(form.FDConn1->Params()->Values(L"Database"), database_);
    EXPECT_EQ(form.FDConn1->Params()->Values(L"Server"), dbtest::Server().host);
    EXPECT_EQ(form.FDConn1->Params()->Values(L"Hostname"), dbtest::Server().host);
    EXPECT_EQ(Tables(*form.FDConn1), (std::vector<UnicodeString>{L"device", L"log", L"setup_daten"}));

    // One gateway contact: its telegram row and frame log row come through a lent connection.
    const sim::Bytes frame =
        sim::GatewayFrame(0x19, kGw, kDeriv, kMaster, sim::WmbusPayload(1, {sim::Record(sim::Telegram{})}));
    ASSERT_TRUE(contact_test::RunGatewayPumping(
        port_,
        [&](sim::Gateway& gw) {
            gw.Send(frame);
            gw.WaitClosed(std::chrono::milliseconds(10000));
        },
        [&] { return form.LiveConnectionCount() == 0; }));
    // The window shows the contact's changes at its next tick; now, for the checks.
    form.RunPendingWindowChanges();
    EXPECT_EQ(form.StringGrid1->Cells(0, 1), L"0A.1B.2C");
    const auto rows = dbmode_test::Rows(*form.FDConn1, L"SELECT ID, Hersteller FROM `" + database_ + L"`.`rx_0A.1B.2C`");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(dbmode_test::Utf8(rows[0].at(L"ID")), "12345678");
    EXPECT_EQ(dbmode_test::Utf8(rows[0].at(L"Hersteller")), "ABC");
    EXPECT_EQ(dbmode_test::Rows(*form.FDConn1, L"SELECT * FROM `" + database_ + L"`.log").size(), 1u);
    EXPECT_EQ(form.LabelDBStatus->Caption(), L"OK") << Utf8(form.LabelDBerror->Caption());

    // Off and on again: the script runs a second time and changes nothing.
    form.ToggleSwitch1->SetState(tssOff);
    ASSERT_TRUE(PumpUntil([&] { return !form.IdTCPServer1->Active(); }, 8000));
    form.ToggleSwitch1->SetState(tssOn);
    EXPECT_TRUE(form.IdTCPServer1->Active());
    EXPECT_EQ(form.LabelDBStatus->Caption(), L"OK");
    EXPECT_EQ(Tables(*form.FDConn1), (std::vector<UnicodeString>{L"device", L"log", L"rx_0A.1B.2C", L"setup_daten"}));
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(DbWindowTest, ARefusedConnectionShowsTheErrorAndLeavesTheSwitchOff)
{
    TFormSRV& form = CreateInDatabaseMode(L"not the password");
    EXPECT_THROW(form.ToggleSwitch1->SetState(tssOn), Exception);

    EXPECT_EQ(form.LabelDBStatus->Caption(), L"ERROR");
    EXPECT_FALSE(form.LabelDBerror->Caption().empty());
    EXPECT_NE(form.LabelDBerror->Caption(), L"xxxx");
    ExpectSwitchedOff(form);
    EXPECT_FALSE(form.Stopping());
    EXPECT_FALSE(Accepts(port_));

    // The operator corrects the password; the same switch then works.
    form.EditDBPassword->SetText(dbtest::Server().password);
    form.ToggleSwitch1->SetState(tssOn);
    EXPECT_TRUE(form.IdTCPServer1->Active());
    EXPECT_EQ(form.LabelDBStatus->Caption(), L"OK");
    EXPECT_EQ(form.LabelDBerror->Caption(), L"");
}
