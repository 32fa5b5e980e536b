// The main window left to itself: an automatic start that meets a database not yet up tries
// again until it listens; a connection log that cannot be written is reported once and holds
// neither the connections, the close nor the 24-hour restart; the connection memo of the last
// run is saved before a switch-on clears it.
#include "server_tests_contact_fixture.h"
#include "server_tests_dbmode_support.h"
#include "server_tests_mainwindow_fixture.h"
#include "server_tests_own_mariadb.h"

#include <gtest/gtest.h>

using namespace mainwindow_test;

namespace {

using test_support::ReadFile;

class UnattendedTest : public MainWindowTest {
protected:
    std::filesystem::path ConnectionLog() const { return SetupFolder() / L"VerbindungsLog.txt"; }

    // A folder in the connection log's place: every append fails, always in the same way.
    void BlockConnectionLog() const
    {
        std::filesystem::remove(ConnectionLog());
        std::filesystem::create_directories(ConnectionLog());
    }
    void UnblockConnectionLog() const { std::filesystem::remove(ConnectionLog()); }

    static void FillMemo(TFormSRV& form, int lines)
    {
        for (int i = 0; i < lines; ++i) form.MemoVerLog->Lines()->Add(L"line " + IntToStr(i));
    }

    static std::string MemoFileText(int lines)
    {
        std::string text;
        for (int i = 0; i < lines; ++i) text += "line " + std::to_string(i) + "\r\n";
        return text;
    }
};

} // namespace

TEST_F(UnattendedTest, AutomaticStartTriesAgainEveryTenSecondsUntilTheDatabaseIsUp)
{
    own_mariadb::Server database([] { PumpUntil([] { return false; }, 10); });
    ASSERT_TRUE(database.Start("autostart"));
    ASSERT_TRUE(database.Stop()) << "the program starts before its database";

    const int port = FreePort();
    WriteSettings({{{L"TCP", L"AUTOSTART"}, L"1"},
                   {{L"TCP", L"PORT"}, IntToStr(port)},
                   {{L"DB", L"ENABLE"}, L"1"},
                   {{L"DB", L"SERVER"}, L"127.0.0.1"},
                   {{L"DB", L"NAME"}, L"marlindo_autostart"},
                   {{L"DB", L"USER"}, L"root"},
                   {{L"DB", L"PWD"}, L"4kq9rwzt"}});
    TFormSRV& form = CreateForms();
    form.FDConn1->Params()->SetValues(L"Port", database.Port());
    EXPECT_EQ(form.TimerAppStartRetry->Interval(), 10000u);

    // The automatic start fails as any switch-on does, and is armed to try again.
    ASSERT_TRUE(PumpUntil([] { return !Dialogs().empty(); }, 15000));
    EXPECT_EQ(Dialogs()[0].Kind, dkException);
    ExpectSwitchedOff(form);
    EXPECT_EQ(form.LabelDBStatus->Caption(), L"ERROR");
    EXPECT_TRUE(form.TimerAppStartRetry->Enabled());

    ASSERT_TRUE(database.Resume());
    ASSERT_TRUE(PumpUntil([&] { return form.IdTCPServer1->Active(); }, 60000)) << Utf8(form.LabelDBerror->Caption());
    EXPECT_TRUE(form.ToggleSwitch1->IsOn());
    EXPECT_EQ(form.LabelDBStatus->Caption(), L"OK");
    EXPECT_FALSE(form.TimerAppStartRetry->Enabled());
    EXPECT_EQ(Dialogs().size(), 1u) << "the retries' failures stay in the labels";

    // A gateway's telegram reaches the database.
    const sim::Bytes frame = sim::GatewayFrame(0x19, contact_test::kGw, contact_test::kDeriv, contact_test::kMaster,
                                               sim::WmbusPayload(1, {sim::Record(sim::Telegram{})}));
    ASSERT_TRUE(contact_test::RunGatewayPumping(
        port,
        [&](sim::Gateway& gw) {
            gw.Send(frame);
            gw.WaitClosed(std::chrono::milliseconds(10000));
        },
        [&] { return form.LiveConnectionCount() == 0; }));
    // The window shows the contact's changes at its next tick; now, for the checks.
    form.RunPendingWindowChanges();
    const auto rows = dbmode_test::Rows(*form.FDConn1, L"SELECT ID FROM `marlindo_autostart`.`rx_0A.1B.2C`");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(dbmode_test::Utf8(rows[0].at(L"ID")), "12345678");
    DoneControls(); // the window's connections go before the server does
    InitControls();
}

TEST_F(UnattendedTest, ConnectionMemoIsSavedBeforeASwitchOnClearsItWhenTheOptionIsTicked)
{
    for (const bool ticked : {true, false}) {
        SCOPED_TRACE(ticked);
        std::filesystem::remove(ConnectionLog());
        TFormSRV& form = CreateWithPort();
        form.CheckBoxMitLogFile->SetChecked(ticked);
        FillMemo(form, 3);
        form.ToggleSwitch1->SetState(tssOn);
        ASSERT_TRUE(form.IdTCPServer1->Active());
        EXPECT_EQ(form.MemoVerLog->Lines()->Count(), 0);
        EXPECT_EQ(std::filesystem::exists(ConnectionLog()) ? ReadFile(ConnectionLog()) : "",
                  ticked ? MemoFileText(3) : "");
        DoneControls();
        DrainQueue();
        InitControls();
    }
}

TEST_F(UnattendedTest, AnUnwritableConnectionLogIsReportedOncePerKindAndTheMemoKeepsItsLines)
{
    TFormSRV& form = CreateWithPort();
    form.TimerRunTime->SetEnabled(false);
    form.CheckBoxMitLogFile->SetChecked(true);
    BlockConnectionLog();
    FillMemo(form, 2);
    form.ToggleSwitch1->SetState(tssOn); // the switch-on's save fails too
    ASSERT_TRUE(form.IdTCPServer1->Active());
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].Kind, dkException);
    FillMemo(form, 26);

    // Each connection tries again; the failure is told once and the connections are counted.
    for (int i = 0; i < 3; ++i) EXPECT_NO_THROW(form.IdTCPServer1Connect(nullptr));
    EXPECT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(form.ConnectionsPerDay(), 3);
    EXPECT_EQ(form.MemoVerLog->Lines()->Count(), 28) << "nothing lost while the log cannot be written";

    // Writable again: the next connection saves every line kept.
    UnblockConnectionLog();
    form.IdTCPServer1Connect(nullptr);
    EXPECT_EQ(form.MemoVerLog->Lines()->Count(), 0);
    EXPECT_EQ(ReadFile(ConnectionLog()), MemoFileText(2) + MemoFileText(26));

    // A failure after a success is news again.
    BlockConnectionLog();
    FillMemo(form, 26);
    form.IdTCPServer1Connect(nullptr);
    EXPECT_EQ(Dialogs().size(), 2u);
    EXPECT_EQ(form.MemoVerLog->Lines()->Count(), 26);
}

TEST_F(UnattendedTest, AnUnwritableConnectionLogDoesNotHoldTheOperatorsClose)
{
    TFormSRV& form = CreateWithPort();
    form.ToggleSwitch1->SetState(tssOn);
    BlockConnectionLog();
    FillMemo(form, 2);

    EXPECT_NO_THROW(form.Close());
    EXPECT_TRUE(form.Stopping()) << "the close goes on with the stop";
    ASSERT_TRUE(PumpUntil([] { return Application->Terminated(); }, 8000));
    ASSERT_EQ(Dialogs().size(), 1u) << "one report, not one per close query";
    EXPECT_EQ(Dialogs()[0].Kind, dkException);
    EXPECT_EQ(KeyCount(SettingsPath()), 13);
}

TEST_F(UnattendedTest, AnUnwritableConnectionLogDoesNotHoldTheTwentyFourHourRestart)
{
    const TDateTime start = EncodeDateTime(2024, 3, 10, 9, 0, 0, 0);
    UseTestClock(start);
    TFormSRV& form = CreateWithPort();
    form.CheckBoxReStart->SetChecked(true);
    form.ToggleSwitch1->SetState(tssOn);
    BlockConnectionLog();
    FillMemo(form, 2);

    g_now = start + 1.0 + 1.0 / 86400;
    EXPECT_NO_THROW(form.TimerRunTimeTimer(form.TimerRunTime));
    EXPECT_TRUE(form.Stopping());
    ASSERT_TRUE(PumpUntil([] { return !Relaunches().empty(); }, 8000));
    EXPECT_TRUE(PumpUntil([] { return Application->Terminated(); }, 2000));
    EXPECT_EQ(Relaunches().size(), 1u);
    // No one is there to close a box: the failure goes to the error memo only.
    EXPECT_TRUE(Dialogs().empty());
    ASSERT_EQ(form.MemoTime->Lines()->Count(), 1);
    EXPECT_TRUE(StartsWith(form.MemoTime->Lines()->Strings(0), L"Exception:"));
}
