// The server switch of the main window: switching on and off with its status texts, lamp,
// activity indicator and timers; failed switch-ons; the automatic start; the run time and the
// 24-hour restart on a test clock; and one gateway contact end to end through the window.
#include "server_tests_contact_fixture.h"
#include "server_tests_mainwindow_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace mainwindow_test;

namespace {

using contact_test::kDeriv;
using contact_test::kGw;
using contact_test::kMaster;

// A listening socket that keeps a port busy.
class PortBlocker {
public:
    explicit PortBlocker(int port)
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        address.sin_port = htons(static_cast<u_short>(port));
        ok_ = bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(socket_, 1) == 0;
    }
    ~PortBlocker()
    {
        closesocket(socket_);
        WSACleanup();
    }
    bool Ok() const { return ok_; }

private:
    SOCKET socket_ = INVALID_SOCKET;
    bool ok_ = false;
};

using SwitchTest = MainWindowTest;


} // namespace

TEST_F(SwitchTest, SwitchingOnListensOnTheEditPortAndSwitchingOffStopsAfterTheGraceAndTheStopTimer)
{
    TFormSRV& form = CreateWithPort();
    form.UpdateGatewayStatusRow(L"01.02.03", L"10.0.0.1", L"WMBUS Daten", L"", L"");
    form.MemoLog->Lines()->Add(L"old telegram line");
    form.MemoVerLog->Lines()->Add(L"old connection line");
    form.EditMasterKey->SetText(L"00112233445566778899AABBCCDDEEFF");

    form.ToggleSwitch1->SetState(tssOn);

    EXPECT_TRUE(form.IdTCPServer1->Active());
    ASSERT_EQ(form.IdTCPServer1->Bindings()->Count(), 1);
    EXPECT_EQ(form.IdTCPServer1->Bindings()->Items(0)->Port(), port_);
    EXPECT_TRUE(form.IdTCPServer1->Bindings()->Items(0)->IP().empty() ||
                form.IdTCPServer1->Bindings()->Items(0)->IP() == L"0.0.0.0");
    EXPECT_TRUE(Accepts(port_));
    EXPECT_FALSE(form.EditPort->Enabled());
    EXPECT_FALSE(form.EditMasterKey->Enabled());
    EXPECT_TRUE(form.CTrayIcon1->Animate());
    EXPECT_EQ(Panel(form, 1), L"Server start");
    EXPECT_EQ(Panel(form, 2), L"listen on Port: " + IntToStr(port_));
    EXPECT_EQ(form.MasterKey()[15], 0xFF) << "the key is read again at switch-on";
    EXPECT_EQ(form.MemoLog->Lines()->Count(), 0);
    EXPECT_EQ(form.MemoVerLog->Lines()->Count(), 0);
    EXPECT_EQ(form.StringGrid1->RowCount(), 2);
    EXPECT_EQ(form.StringGrid1->Cells(0, 1), L"");
    EXPECT_EQ(form.StringGrid1->Cells(0, 0), L"GWID:");
    EXPECT_EQ(form.StringGrid1->FixedRows(), 1);
    EXPECT_TRUE(EndsWith(form.LabelLogDatei->Caption(), L"_LOG_00_00_00.csv")) << Utf8(form.LabelLogDatei->Caption());
    EXPECT_TRUE(StartsWith(form.LabelLogDatei->Caption(), (documents_ / L"VELMORA" / L"W_MBUS_SRV_LOG").wstring()));
    EXPECT_EQ(form.ConnectionsPerDay(), 0);
    // The run-time tick shows the running server.
    EXPECT_TRUE(PumpUntil([&] { return Panel(form, 1) == L"Server activ"; }, 3000));

    form.NextTelegramNumber();
    form.NextTelegramNumber();
    EXPECT_EQ(form.TelegramCount(), 2);

    const auto stopStart = std::chrono::steady_clock::now();
    form.ToggleSwitch1->SetState(tssOff);
    const auto graceMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - stopStart);
    EXPECT_GE(graceMs.count(), 450) << "the connections get their 500 ms before listening stops";

    EXPECT_TRUE(form.Stopping());
    EXPECT_EQ(Panel(form, 1), L"Server stop");
    EXPECT_FALSE(form.ToggleSwitch1->Enabled());
    EXPECT_TRUE(form.ActivityIndicator1->Animate());
    EXPECT_TRUE(form.TimerStartServerStop->Enabled());
    EXPECT_TRUE(form.EditPort->Enabled());
    EXPECT_TRUE(form.EditMasterKey->Enabled());
    EXPECT_FALSE(form.CTrayIcon1->Animate());
    EXPECT_TRUE(form.IdTCPServer1->Active()) << "inactive only when the stop has ended";
    EXPECT_FALSE(Accepts(port_)) << "listening has stopped";

    ASSERT_TRUE(PumpUntil([&] { return !form.IdTCPServer1->Active(); }, 8000));
    const auto stopMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - stopStart);
    EXPECT_GE(stopMs.count(), 3400);
    EXPECT_FALSE(form.Stopping());
    EXPECT_FALSE(form.TimerStartServerStop->Enabled());
    EXPECT_FALSE(form.ActivityIndicator1->Animate());
    EXPECT_TRUE(form.ToggleSwitch1->Enabled());
    EXPECT_EQ(form.TelegramCount(), 0);
    EXPECT_EQ(Panel(form, 3), L"Verbindungen: 0");
    EXPECT_TRUE(PumpUntil([&] { return Panel(form, 1) == L"Server inactiv" && Panel(form, 0) == L"No connect"; }, 3000));
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_FALSE(Application->Terminated()) << "no close was waiting";

    // The switch's handler with the switch off and the server inactive does nothing; switching
    // on again works.
    form.ToggleSwitch1Click(form.ToggleSwitch1);
    EXPECT_FALSE(form.Stopping());
    EXPECT_FALSE(form.TimerStartServerStop->Enabled());
    form.ToggleSwitch1->SetState(tssOn);
    EXPECT_TRUE(form.IdTCPServer1->Active());
    EXPECT_TRUE(Accepts(port_));
}

TEST_F(SwitchTest, StopFlagsEveryOpenConnectionSoTheirContactsEnd)
{
    TFormSRV& form = CreateWithPort();
    form.ToggleSwitch1->SetState(tssOn);
    ASSERT_TRUE(form.IdTCPServer1->Active());

    // Three gateways connect and send nothing: their contacts wait for a frame.
    std::vector<std::unique_ptr<sim::Gateway>> gateways;
    for (int i = 0; i < 3; ++i) gateways.push_back(std::make_unique<sim::Gateway>(port_));
    ASSERT_TRUE(PumpUntil([&] { return form.LiveConnectionCount() == 3 && form.ConnectionsPerDay() == 3; }));
    EXPECT_EQ(form.OpenConnections(), 3);
    EXPECT_EQ(form.ShapeLED1->Brush()->Color(), static_cast<TColor>(0x00FFFF)) << "yellow while connections open";
    EXPECT_EQ(Panel(form, 1), L"Server activ");

    form.ToggleSwitch1->SetState(tssOff);
    const auto flagged = std::chrono::steady_clock::now();
    std::atomic<int> closed{0};
    std::vector<std::thread> waiters;
    for (auto& gateway : gateways)
        waiters.emplace_back([&closed, g = gateway.get()] {
            if (g->WaitClosed(std::chrono::milliseconds(8000))) ++closed;
        });
    EXPECT_TRUE(PumpUntil([&] { return closed.load() == 3; }));
    for (auto& waiter : waiters) waiter.join();
    // Well before the contacts' five-second frame deadline: the flag ended them.
    const auto endedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - flagged).count();
    EXPECT_LT(endedMs, 3000);
    EXPECT_TRUE(form.IdTCPServer1->Active()) << "the stop has not ended yet";

    ASSERT_TRUE(PumpUntil([&] { return !form.IdTCPServer1->Active(); }, 8000));
    EXPECT_EQ(Panel(form, 3), L"Verbindungen: 0");
    // Each disconnect armed the lamp timer, which turned the lamp green again.
    EXPECT_TRUE(PumpUntil([&] { return form.ShapeLED1->Brush()->Color() == static_cast<TColor>(0x008000); }, 2000));
    EXPECT_TRUE(form.CTrayIcon1->Visible());
}

TEST_F(SwitchTest, FailedSwitchOnPutsTheSwitchBackAndReportsTheError)
{
    struct Case {
        const char* Name;
        std::function<void(TFormSRV&)> Prepare;
    };
    int busyPort = FreePort();
    PortBlocker blocker(busyPort);
    ASSERT_TRUE(blocker.Ok());
    const Case cases[] = {
        {"port text not a number", [](TFormSRV& f) { f.EditPort->SetText(L"12a"); }},
        {"port 0", [](TFormSRV& f) { f.EditPort->SetText(L"0"); }},
        {"port above 65535", [](TFormSRV& f) { f.EditPort->SetText(L"70000"); }},
        {"empty port", [](TFormSRV& f) { f.EditPort->SetText(L""); }},
        {"port in use", [busyPort](TFormSRV& f) { f.EditPort->SetText(IntToStr(busyPort)); }},
        {"master key too short", [](TFormSRV& f) { f.EditMasterKey->SetText(L"7C3A91E0"); }},
    };
    TFormSRV& form = CreateWithPort();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        form.EditPort->SetText(IntToStr(port_));
        form.EditMasterKey->SetText(L"7C3A91E05B2F4D86A0C9E1374B5D2F68");
        c.Prepare(form);
        EXPECT_THROW(form.ToggleSwitch1->SetState(tssOn), Exception);
        ExpectSwitchedOff(form);
        EXPECT_FALSE(form.Stopping()) << "no stop path";
        EXPECT_FALSE(form.TimerStartServerStop->Enabled());
        EXPECT_FALSE(form.ActivityIndicator1->Animate());
    }

    // Fixed, the same switch works.
    form.EditPort->SetText(IntToStr(port_));
    form.EditMasterKey->SetText(L"7C3A91E05B2F4D86A0C9E1374B5D2F68");
    form.ToggleSwitch1->SetState(tssOn);
    EXPECT_TRUE(form.IdTCPServer1->Active());
    EXPECT_TRUE(Accepts(port_));
}

TEST_F(SwitchTest, AutomaticStartSwitchesOnAfterTwoSecondsAndAFailureIsReported)
{
    const int port = FreePort();
    WriteSettings({{{L"TCP", L"AUTOSTART"}, L"1"}, {{L"TCP", L"PORT"}, IntToStr(port)}});
    const auto created = std::chrono::steady_clock::now();
    TFormSRV& form = CreateForms();
    EXPECT_TRUE(form.TimerAppStart->Enabled());
    EXPECT_EQ(form.TimerAppStart->Interval(), 2000u);
    EXPECT_FALSE(form.IdTCPServer1->Active());

    ASSERT_TRUE(PumpUntil([&] { return form.IdTCPServer1->Active(); }, 6000));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - created);
    EXPECT_GE(ms.count(), 1900);
    EXPECT_TRUE(form.ToggleSwitch1->IsOn());
    EXPECT_FALSE(form.TimerAppStart->Enabled()) << "one shot";
    EXPECT_TRUE(Accepts(port));
    EXPECT_TRUE(Dialogs().empty());
    DoneControls();
    DrainQueue();
    InitControls();

    // A port that cannot listen: the automatic start fails visibly and leaves the switch off.
    WriteSettings({{{L"TCP", L"AUTOSTART"}, L"1"}, {{L"TCP", L"PORT"}, L"0"}});
    TFormSRV& second = CreateForms();
    ASSERT_TRUE(PumpUntil([&] { return !Dialogs().empty(); }, 6000));
    EXPECT_EQ(Dialogs()[0].Kind, dkException);
    EXPECT_NE(Dialogs()[0].Text.find(L"'0'"), UnicodeString::npos) << Utf8(Dialogs()[0].Text);
    ExpectSwitchedOff(second);
    EXPECT_TRUE(second.TimerAppStartRetry->Enabled()) << "an automatic start is tried again";

    // The operator's use of the switch ends the retries; the manual switch-on is reported as ever.
    EXPECT_THROW(second.ToggleSwitch1->SetState(tssOn), Exception);
    EXPECT_FALSE(second.TimerAppStartRetry->Enabled());
    ExpectSwitchedOff(second);
}

TEST_F(SwitchTest, RunTimeCountsDaysAndResetsTheDailyConnectionsWithoutRestart)
{
    const TDateTime start = EncodeDateTime(2024, 3, 10, 9, 0, 0, 0);
    UseTestClock(start);
    TFormSRV& form = CreateWithPort();
    form.TimerRunTime->SetEnabled(false); // ticks are driven by the test
    form.ToggleSwitch1->SetState(tssOn);
    EXPECT_DOUBLE_EQ(form.StartTime(), start);

    g_now = start + 1.0 / 86400;
    form.TimerRunTimeTimer(form.TimerRunTime);
    EXPECT_EQ(form.EditTage->Text(), L"0");
    EXPECT_EQ(form.EditTime->Text(), L"00:00:01");
    EXPECT_EQ(LastDayNumber, 30) << "day 0 of the date scale is 30 December 1899";

    // Two connections counted today (the connect event runs at once on the main thread).
    form.IdTCPServer1Connect(nullptr);
    form.IdTCPServer1Connect(nullptr);
    EXPECT_EQ(form.ConnectionsPerDay(), 2);

    g_now = start + 23.0 / 24 + 59.0 / 1440;
    form.TimerRunTimeTimer(form.TimerRunTime);
    EXPECT_EQ(form.ConnectionsPerDay(), 2);
    EXPECT_EQ(form.EditTime->Text(), L"23:59:00");
    EXPECT_EQ(Panel(form, 4), L"Verbindungen pro Tag: 2");

    g_now = start + 1.0 + 1.0 / 86400;
    form.TimerRunTimeTimer(form.TimerRunTime);
    EXPECT_EQ(form.ConnectionsPerDay(), 0) << "a new day of running time";
    EXPECT_EQ(form.EditTage->Text(), L"1");
    EXPECT_EQ(form.EditTime->Text(), L"00:00:01");
    EXPECT_EQ(LastDayNumber, 31);
    EXPECT_EQ(Panel(form, 4), L"Verbindungen pro Tag: 0");
    EXPECT_FALSE(form.RestartRequested()) << "restart is off";
    EXPECT_FALSE(form.Stopping());
    EXPECT_TRUE(form.IdTCPServer1->Active());
}

TEST_F(SwitchTest, TwentyFourHourRestartStopsOnceClosesOnceAndStartsTheProgramAgain)
{
    const TDateTime start = EncodeDateTime(2024, 3, 10, 9, 0, 0, 0);
    UseTestClock(start);
    TFormSRV& form = CreateWithPort();
    form.CheckBoxReStart->SetChecked(true);
    form.ToggleSwitch1->SetState(tssOn);

    g_now = start + 0.5;
    form.TimerRunTimeTimer(form.TimerRunTime);
    EXPECT_FALSE(form.RestartRequested());

    g_now = start + 1.0 + 1.0 / 86400;
    form.TimerRunTimeTimer(form.TimerRunTime);
    EXPECT_TRUE(form.RestartRequested());
    EXPECT_TRUE(form.Stopping()) << "the close stops the server first";
    EXPECT_TRUE(form.CloseRequested());
    EXPECT_TRUE(Relaunches().empty()) << "the window stays open until the stop has ended";

    // Further ticks and close requests during the stop do not close the window early.
    form.TimerRunTimeTimer(form.TimerRunTime);
    form.Close();
    EXPECT_TRUE(Relaunches().empty());
    EXPECT_FALSE(PumpUntil([] { return Application->Terminated(); }, 1000));

    ASSERT_TRUE(PumpUntil([] { return !Relaunches().empty(); }, 8000));
    EXPECT_FALSE(form.IdTCPServer1->Active());
    EXPECT_TRUE(PumpUntil([] { return Application->Terminated(); }, 2000));
    PumpUntil([] { return false; }, 700); // a second close would come with the next ticks
    ASSERT_EQ(Relaunches().size(), 1u);
    EXPECT_EQ(Relaunches()[0].Path, ParamStr(0));
    EXPECT_TRUE(Relaunches()[0].SettingsWritten);
    EXPECT_EQ(Setting(L"TCP", L"RESTART"), L"1");
}

TEST_F(SwitchTest, ClosingWhileTheServerRunsWaitsForTheStop)
{
    TFormSRV& form = CreateWithPort();
    form.ToggleSwitch1->SetState(tssOn);
    form.MemoVerLog->Lines()->Add(L"line before close");

    form.Close();
    EXPECT_TRUE(form.Stopping());
    EXPECT_TRUE(form.CloseRequested());
    EXPECT_FALSE(form.ToggleSwitch1->IsOn());
    EXPECT_FALSE(std::filesystem::exists(SettingsPath())) << "nothing written before the stop has ended";

    ASSERT_TRUE(PumpUntil([] { return Application->Terminated(); }, 8000));
    EXPECT_FALSE(form.IdTCPServer1->Active());
    EXPECT_EQ(KeyCount(SettingsPath()), 13);
    EXPECT_TRUE(Relaunches().empty());
    std::ifstream log(SetupFolder() / L"VerbindungsLog.txt", std::ios::binary);
    std::stringstream content;
    content << log.rdbuf();
    EXPECT_EQ(content.str(), "line before close\r\n");
}

TEST_F(SwitchTest, AGatewayTelegramReachesTheMemosAndTheStatusGrid)
{
    TFormSRV& form = CreateWithPort();
    form.ToggleSwitch1->SetState(tssOn);
    ASSERT_TRUE(form.IdTCPServer1->Active());

    const sim::Bytes frame = sim::GatewayFrame(0x19, kGw, kDeriv, kMaster,
                                               sim::WmbusPayload(1, {sim::Record(sim::Telegram{})}));
    std::atomic<bool> closedByServer{false};
    ASSERT_TRUE(contact_test::RunGatewayPumping(
        port_,
        [&](sim::Gateway& gw) {
            gw.Send(frame);
            closedByServer = gw.WaitClosed(std::chrono::milliseconds(10000));
        },
        [&] { return form.LiveConnectionCount() == 0; }));
    // The window shows the contact's changes at its next tick; now, for the checks.
    form.RunPendingWindowChanges();
    EXPECT_TRUE(closedByServer.load());

    ASSERT_EQ(form.MemoLog->Lines()->Count(), 1);
    EXPECT_TRUE(StartsWith(form.MemoLog->Lines()->Strings(0),
                           L"0 0A.1B.2C RID: 12345678 ABC  RxTime: 09.12.2026 08:11:59 "))
        << Utf8(form.MemoLog->Lines()->Strings(0));
    ASSERT_EQ(form.MemoVerLog->Lines()->Count(), 1);
    EXPECT_NE(form.MemoVerLog->Lines()->Strings(0).find(L"ID:0A.1B.2C"), UnicodeString::npos);
    EXPECT_NE(form.MemoVerLog->Lines()->Strings(0).find(L"Datentype: WMBUS Protokolle: 1"), UnicodeString::npos);
    EXPECT_EQ(form.MemoTime->Lines()->Count(), 0);
    EXPECT_EQ(form.TelegramCount(), 1);

    ASSERT_EQ(form.StringGrid1->RowCount(), 2);
    EXPECT_EQ(form.StringGrid1->Cells(0, 1), L"0A.1B.2C");
    EXPECT_EQ(form.StringGrid1->Cells(1, 1), L"127.0.0.1");
    EXPECT_FALSE(form.StringGrid1->Cells(2, 1).empty());
    EXPECT_EQ(form.StringGrid1->Cells(3, 1), L"1");
    EXPECT_EQ(form.StringGrid1->Cells(4, 1), L"erste Verbindung");
    EXPECT_EQ(Panel(form, 0), L"IP: 127.0.0.1");
    EXPECT_EQ(form.ConnectionsPerDay(), 1);

    // File mode: the telegram went to the gateway's CSV log of today.
    bool found = false;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(documents_ / L"VELMORA" / L"W_MBUS_SRV_LOG"))
        found = found || EndsWith(entry.path().wstring(), L"_LOG_0A_1B_2C.csv");
    EXPECT_TRUE(found);
    EXPECT_TRUE(EndsWith(form.LabelLogDatei->Caption(), L"_LOG_0A_1B_2C.csv"));
}
