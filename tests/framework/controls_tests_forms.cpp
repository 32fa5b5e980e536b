// Forms: closing, modal showing, help, the application loop, exceptions, timers, hand-over from
// worker threads.
#include "controls_test_classes.h"

#include "Threads.h"
#include "Timers.h"

#include <atomic>

using Forms = ControlsTest;

TEST_F(Forms, CloseQueryCanRefuseAndOnCloseChoosesTheAction)
{
    TForm* form = NewForm();
    form->Show();
    bool allow = false;
    TCloseAction action = caHide;
    int queries = 0, closes = 0;
    form->OnCloseQuery = [&](TObject*, bool& canClose) {
        ++queries;
        canClose = allow;
    };
    form->OnClose = [&](TObject*, TCloseAction& a) {
        ++closes;
        EXPECT_EQ(a, caHide);
        a = action;
    };

    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(queries, 1);
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));

    allow = true;
    action = caNone;
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(form->Visible());

    action = caHide;
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(Forms, ClosingTheMainFormEndsTheApplicationLoop)
{
    TForm* main = nullptr;
    Application->CreateForm(main);
    ASSERT_EQ(Application->MainForm(), main);
    PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(Forms, MinimizeAndRestoreOfTheApplicationActOnTheMainForm)
{
    Application->Minimize(); // no main form yet: nothing
    Application->Restore();
    TForm* main = nullptr;
    Application->CreateForm(main);
    main->Show();
    HWND wnd = main->Handle();
    Application->Restore();
    EXPECT_FALSE(IsIconic(wnd)) << "restoring a window that is not iconic changes nothing";
    Application->Minimize();
    EXPECT_TRUE(IsIconic(wnd));
    Application->Minimize();
    EXPECT_TRUE(IsIconic(wnd));
    Application->Restore();
    EXPECT_FALSE(IsIconic(wnd));
    EXPECT_TRUE(IsWindowVisible(wnd));
}

TEST_F(Forms, CaFreeReleasesTheFormAfterTheQueuedMessages)
{
    TForm* form = NewForm();
    form->Show();
    form->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
    const int before = Application->ComponentCount();
    HWND hwnd = form->Handle();
    form->Close();
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }));
    EXPECT_EQ(Application->ComponentCount(), before - 1);
}

TEST_F(Forms, ShowModalEndsWhenAButtonSetsTheModalResult)
{
    TForm* owner = NewForm();
    owner->Show();
    TForm* dialog = NewForm(200, 120);
    auto* ok = new TButton(dialog);
    ok->SetParent(dialog);
    ok->SetModalResult(mrOk);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    PostMessageW(ok->Handle(), BM_CLICK, 0, 0);
    bool ownerDisabledMeanwhile = false;
    dialog->OnShow = [&](TObject*) { ownerDisabledMeanwhile = !IsWindowEnabled(owner->Handle()); };

    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(ownerDisabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
    EXPECT_FALSE(dialog->Visible());
    EXPECT_FALSE(dialog->FormState().Contains(fsModal));
    EXPECT_THROW(owner->ShowModal(), EInvalidOperation) << "a visible form cannot become modal";
}

TEST_F(Forms, ClosingAModalFormAsksCloseQuery)
{
    TForm* dialog = NewForm();
    int queries = 0;
    dialog->OnCloseQuery = [&](TObject*, bool& canClose) {
        // Refused the first time; the second close is allowed.
        canClose = ++queries > 1;
        if (queries == 1) PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0);
    };
    dialog->HandleNeeded();
    PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_EQ(queries, 2);
}

namespace {
// Reads the global the application assigns before running the constructor.
class TReferencingForm;
TReferencingForm* referencingForm = nullptr;
class TReferencingForm : public TForm {
public:
    explicit TReferencingForm(TComponent* owner) : TForm(owner), sawItself(referencingForm == this)
    {
        OnCreate = [this](TObject*) { created = true; };
    }
    UnicodeString ClassName() const override { return L"TReferencingForm"; }
    bool sawItself;
    bool created = false;
};
} // namespace

TEST_F(Forms, CreateFormSetsTheReferenceFirstAndRunsOnCreate)
{
    Application->CreateForm(referencingForm);
    EXPECT_TRUE(referencingForm->sawItself);
    EXPECT_TRUE(referencingForm->created);
    EXPECT_EQ(Application->MainForm(), referencingForm);
    EXPECT_TRUE(referencingForm->HandleAllocated()) << "the main form's window exists after CreateForm";
    TForm* second = nullptr;
    Application->CreateForm(second);
    EXPECT_EQ(Application->MainForm(), referencingForm);
    EXPECT_EQ(Screen->FormCount(), 2);
    referencingForm = nullptr;
}

TEST_F(Forms, ExceptionsInHandlersReachOnException)
{
    TForm* form = NewForm();
    auto* button = new TButton(form);
    button->SetParent(form);
    form->Show();
    button->OnClick = [](TObject*) { throw EConvertError(L"'x' is not a valid integer value"); };
    std::vector<std::pair<TObject*, UnicodeString>> seen;
    Application->OnException = [&](TObject* sender, const Exception& e) { seen.emplace_back(sender, e.ClassName() + L": " + e.Message()); };

    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].second, L"EConvertError: 'x' is not a valid integer value");
    EXPECT_TRUE(seen[0].first == button || seen[0].first == form);

    // An exception in OnCreate is reported and the form still exists.
    auto* created = new TForm(Application);
    created->OnCreate = [](TObject*) { throw ERangeError(L"Range check error"); };
    created->AfterConstruction();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].first, created);
    EXPECT_TRUE(RecordedDialogs().empty());
}

TEST_F(Forms, WithoutOnExceptionTheExceptionBoxShowsTheMessage)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"File does not exist.", L"File does not exist."},
        {L"Keine DB Verbindung!", L"Keine DB Verbindung!"},
        {L"Timeout", L"Timeout."},
        {L"", L""},
    };
    Application->SetTitle(L"W-MBUS Marlindo");
    for (const auto& [message, shown] : cases) {
        RecordedDialogs().clear();
        try {
            throw Exception(message);
        } catch (...) {
            Application->HandleException(nullptr);
        }
        ASSERT_EQ(RecordedDialogs().size(), 1u) << UnicodeToUtf8(message);
        EXPECT_EQ(RecordedDialogs()[0].Kind, dkException);
        EXPECT_EQ(RecordedDialogs()[0].Text, shown);
        EXPECT_EQ(RecordedDialogs()[0].Caption, L"W-MBUS Marlindo");
    }
    RecordedDialogs().clear();
    try {
        throw EAbort(L"silent");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_TRUE(RecordedDialogs().empty());
}

TEST_F(Forms, HelpRequestsGoThroughOnHelpToTheHelpFile)
{
    TForm* form = NewForm();
    form->SetHelpContext(18);
    auto* port = new TTestEdit(form);
    port->SetParent(form);
    port->SetHelpContext(7);
    auto* plain = new TTestEdit(form);
    plain->SetParent(form);
    form->Show();
    Application->SetHelpFile(L"C:\\dev\\WM-Bus_Marlindo.chm");
    std::vector<std::pair<WORD, intptr_t>> asked;
    bool callHelp = true;
    form->OnHelp = [&](WORD command, intptr_t data, bool& call) {
        asked.emplace_back(command, data);
        call = callHelp;
        return true;
    };
    auto help = [&](TWinControl* control) {
        HELPINFO info{sizeof(info), HELPINFO_WINDOW, 0, control->Handle(), 0, {0, 0}};
        SendMessageW(control->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    };

    help(port);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], std::make_pair(WORD{HELP_CONTEXT}, intptr_t{7}));
    ASSERT_EQ(RecordedHelpCalls().size(), 1u);
    EXPECT_EQ(RecordedHelpCalls()[0].File, L"C:\\dev\\WM-Bus_Marlindo.chm");
    EXPECT_EQ(RecordedHelpCalls()[0].Data, 7);

    form->SetHelpFile(L"WM-Bus Marlindo.chm");
    help(plain);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].second, 18) << "a control without context takes its parent's";
    ASSERT_EQ(RecordedHelpCalls().size(), 2u);
    EXPECT_EQ(RecordedHelpCalls()[1].File, L"WM-Bus Marlindo.chm") << "the form's own help file wins";

    callHelp = false;
    help(port);
    EXPECT_EQ(RecordedHelpCalls().size(), 2u);
}

TEST_F(Forms, TheHelpButtonAppearsOnlyWithoutMinimizeAndMaximize)
{
    TForm* form = NewForm();
    form->SetBorderIcons({biSystemMenu, biHelp});
    LONG_PTR ex = GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE);
    LONG_PTR style = GetWindowLongPtrW(form->Handle(), GWL_STYLE);
    EXPECT_TRUE(ex & WS_EX_CONTEXTHELP);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    form->SetBorderIcons({biSystemMenu, biMinimize, biMaximize, biHelp});
    ex = GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE);
    style = GetWindowLongPtrW(form->Handle(), GWL_STYLE);
    EXPECT_FALSE(ex & WS_EX_CONTEXTHELP);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
}

TEST_F(Forms, SynchronizeFromAWorkerRunsWhileTheApplicationLoops)
{
    TForm* main = nullptr;
    Application->CreateForm(main);
    std::atomic<int> calls{0};
    std::atomic<bool> allOnMain{true};
    class Worker : public TThread {
    public:
        Worker(std::atomic<int>& calls, std::atomic<bool>& onMain, TForm* form)
            : TThread(true), calls_(calls), onMain_(onMain), form_(form)
        {
        }

    protected:
        void Execute() override
        {
            for (int i = 0; i < 3; ++i) {
                Synchronize([this] {
                    if (GetCurrentThreadId() != MainThreadID) onMain_ = false;
                    ++calls_;
                });
            }
            Synchronize([this] { form_->Close(); });
        }

    private:
        std::atomic<int>& calls_;
        std::atomic<bool>& onMain_;
        TForm* form_;
    };
    Worker worker(calls, allOnMain, main);
    worker.Start();
    Application->Run();
    worker.WaitFor();
    EXPECT_EQ(calls.load(), 3);
    EXPECT_TRUE(allOnMain.load());
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(Forms, TimersTickOnTheMainThreadUntilDisabled)
{
    auto* timer = new TTimer(Application);
    timer->SetInterval(10);
    int ticks = 0;
    bool onMain = true;
    timer->OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, timer);
        onMain = onMain && GetCurrentThreadId() == MainThreadID;
        if (++ticks == 3) timer->SetEnabled(false);
    };
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    EXPECT_TRUE(onMain);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(ticks, 3);

    std::vector<UnicodeString> reported;
    Application->OnException = [&](TObject* sender, const Exception& e) {
        EXPECT_EQ(sender, timer);
        reported.push_back(e.Message());
        timer->SetEnabled(false);
    };
    timer->OnTimer = [](TObject*) { throw Exception(L"tick failed"); };
    timer->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return !reported.empty(); }));
    EXPECT_EQ(reported.front(), L"tick failed");
}

TEST_F(Forms, ScaledIsAPublishedSwitchOnByDefault)
{
    auto* form = new TForm(Application);
    EXPECT_TRUE(form->Scaled());
    form->ReadDefinitionText(L"object F: TForm\n  Scaled = False\nend");
    EXPECT_FALSE(form->Scaled());
    EXPECT_EQ(GetPropValue(form, L"Scaled"), L"False");
    delete form;
}

TEST_F(Forms, AlphaBlendLayersTheWindowWithItsConstantAlpha)
{
    auto* form = new TForm(Application);
    EXPECT_FALSE(form->AlphaBlend());
    EXPECT_EQ(form->AlphaBlendValue(), 255);
    form->ReadDefinitionText(L"object F: TForm\n  AlphaBlend = True\n  AlphaBlendValue = 128\nend");
    form->Show();
    HWND window = form->Handle();
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 128);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));

    form->SetAlphaBlendValue(200);
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 200);
    form->SetAlphaBlend(false);
    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(GetPropValue(form, L"AlphaBlendValue"), L"200");
    delete form;
}

TEST_F(Forms, TheApplicationIsActiveWhileOneOfItsWindowsIs)
{
    EXPECT_FALSE(Application->Active()) << "nothing of the program was activated yet";
    TForm* form = NewForm();
    form->Show();
    EXPECT_TRUE(PumpUntil([] { return Application->Active(); })) << "showing a form activates the program";

    // The activation leaving for another program's window, and coming back.
    for (HWND receiver : {Application->Handle(), form->Handle()}) {
        SendMessageW(receiver, WM_ACTIVATEAPP, FALSE, 0);
        EXPECT_FALSE(Application->Active());
        SendMessageW(receiver, WM_ACTIVATEAPP, TRUE, 0);
        EXPECT_TRUE(Application->Active());
    }
}
