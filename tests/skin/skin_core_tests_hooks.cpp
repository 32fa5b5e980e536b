// The default manager's hooks: the application window's messages row by row, the CBT hook's
// install and removal, and the choice of common dialogs.
#include "skin_core_test_skinload.h"

#include "../support/PumpUntil.h"
#include "Dialogs.h"
#include "acDials.h"
#include "acntUtils.h"
#include "sConst.h"
#include "sSkinManagerSysColors.h"
#include "sCommonData.h"
#include "sSkinMenus.h"
#include "sSkinProvider.h"

namespace {

// A main form that answers the provider command with the provider it holds (or none).
class TProvidedForm : public TRecording<TForm> {
public:
    explicit TProvidedForm(TComponent* owner) : TRecording<TForm>(owner, "main") { SetBounds(80, 80, 240, 160); }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_GETPROVIDER) {
            message.Result = reinterpret_cast<LRESULT>(provider.get());
            return;
        }
        TRecording<TForm>::WndProc(message);
    }
    std::unique_ptr<TsSkinProvider> provider;
};

// Records what the hook does to the system's window-animation switch.
struct AnimationLog {
    std::vector<std::string> calls;
    bool setting = true;
};

class ManagerHooksTest : public SkinLoadTest {
protected:
    void SetUp() override
    {
        SkinLoadTest::SetUp();
        SetAnimationAccess({[this] {
                                animation.calls.push_back("get");
                                return animation.setting;
                            },
                            [this](bool on) {
                                animation.calls.push_back(on ? "set on" : "set off");
                                animation.setting = on;
                            }});
    }
    void TearDown() override
    {
        SetAnimationAccess({});
        ac_ChangeThumbPreviews = false;
        SkinLoadTest::TearDown();
    }

    TProvidedForm* ShownMainForm()
    {
        TProvidedForm* form = nullptr;
        Application->CreateForm(form);
        form->Show();
        HWND wnd = form->Handle();
        EXPECT_TRUE(PumpUntil([wnd] { return IsWindowVisible(wnd) != FALSE; }));
        return form;
    }

    bool Hook(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, LRESULT* result = nullptr)
    {
        TMessage message = MakeMessage(msg, wParam, lParam, 0x5A5A);
        const bool handled = manager->MainWindowHook(message);
        if (result) *result = message.Result;
        return handled;
    }

    AnimationLog animation;
};

} // namespace

TEST_F(ManagerHooksTest, SystemCommandsSetTheShowStateOnlyWithAnActiveSkin)
{
    Load();
    ASSERT_TRUE(manager->IsActive());
    ShownMainForm();
    struct Row {
        WPARAM command;
        int showState;
    };
    for (const Row row : {Row{SC_MINIMIZE, 2}, Row{SC_RESTORE, 1}, Row{SC_MOVE, 0}, Row{SC_MINIMIZE | 2, 2},
                          Row{SC_CLOSE, 0}}) {
        manager->ShowState = 7;
        EXPECT_FALSE(Hook(WM_SYSCOMMAND, row.command)) << std::hex << row.command << ": no provider, not handled";
        EXPECT_EQ(manager->ShowState, row.showState) << std::hex << row.command;
    }
    EXPECT_TRUE(animation.calls.empty()) << "the application was neither minimized nor restored";

    manager->SetActive(false);
    manager->ShowState = 7;
    EXPECT_FALSE(Hook(WM_SYSCOMMAND, SC_MINIMIZE));
    EXPECT_EQ(manager->ShowState, 7) << "without a skin the commands are not watched";
}

TEST_F(ManagerHooksTest, RestoreShowsTheMinimizedMainFormWithTheAnimationOffForTheCall)
{
    Load();
    TProvidedForm* form = ShownMainForm();
    HWND wnd = form->Handle();
    ShowWindow(wnd, SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([wnd] { return IsIconic(wnd) != FALSE; }));

    Application->SetMainFormOnTaskBar(false);
    EXPECT_FALSE(Hook(WM_SYSCOMMAND, SC_RESTORE)) << "neither on the task bar nor marked by its provider";
    EXPECT_TRUE(IsIconic(wnd));

    Application->SetMainFormOnTaskBar(true);
    animation.setting = true;
    // Sent to the application window as the task bar would.
    SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(manager->ShowState, 1);
    EXPECT_FALSE(IsIconic(wnd));
    EXPECT_TRUE(IsWindowVisible(wnd));
    EXPECT_EQ(animation.calls, (std::vector<std::string>{"get", "set off", "set on"}));
    EXPECT_TRUE(animation.setting) << "the user's setting is back";

    // A provider in its minimized-animation state restores through its animation.
    ShowWindow(wnd, SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([wnd] { return IsIconic(wnd) != FALSE; }));
    Application->SetMainFormOnTaskBar(false);
    form->provider = std::make_unique<TsSkinProvider>(form);
    form->provider->FCommonData->SkinIndex = 0; // a section of the loaded skin: the provider skins its form
    form->provider->Minimized = true;
    animation.calls.clear();
    animation.setting = false;
    EXPECT_TRUE(Hook(WM_SYSCOMMAND, SC_RESTORE));
    EXPECT_FALSE(IsIconic(wnd));
    EXPECT_EQ(animation.calls, (std::vector<std::string>{"get", "set off", "set off"}));
    form->provider.reset();
}

TEST_F(ManagerHooksTest, TheOtherRowsOfTheApplicationWindow)
{
    Load();
    TProvidedForm* form = ShownMainForm();
    HWND menu = CreateWindowExW(WS_EX_TOOLWINDOW, L"#32768", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    ASSERT_NE(menu, nullptr);
    HWND other = form->Handle();
    WINDOWPOS hiding{other, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW};
    const auto menuParam = reinterpret_cast<LPARAM>(menu);

    struct Row {
        const char* what;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        bool thumbs;
        bool handled;
    };
    const Row rows[] = {
        {"theme changed", WM_THEMECHANGED, 0, 0, false, true},
        {"iconic thumbnail", 0x323, 0, MAKELPARAM(90, 120), true, true},
        {"iconic thumbnail without previews", 0x323, 0, MAKELPARAM(90, 120), false, false},
        {"iconic thumbnail of no height", 0x323, 0, MAKELPARAM(0, 120), true, false},
        {"iconic thumbnail of no width", 0x323, 0, MAKELPARAM(90, 0), true, false},
        {"live preview bitmap", 0x326, 0, 0, true, true},
        {"live preview bitmap without previews", 0x326, 0, 0, false, false},
        {"task-bar system menu without provider", 0x313, 0, 0, false, false},
        {"menu window border", 0xBCB4, 0, menuParam, false, true},
        {"border of a window that is no menu", 0xBCB4, 0, reinterpret_cast<LPARAM>(other), false, false},
        {"border of no window", 0xBCB4, 0, 0, false, false},
        {"hiding without provider", WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&hiding), false, false},
        {"forms invalidated", 0xB000, 0, 0, false, false},
        {"another library command", SM_ALPHACMD, MakeAlphaCmd(AC_INVALIDATE), 0, false, false},
        {"any other message", WM_USER + 5, 0, 0, false, false},
    };
    for (const Row& row : rows) {
        ac_ChangeThumbPreviews = row.thumbs;
        LRESULT result = -1;
        EXPECT_EQ(Hook(row.msg, row.wParam, row.lParam, &result), row.handled) << row.what;
        if (row.handled && row.msg != 0xBCB4) {
            EXPECT_EQ(result, 0) << row.what;
        }
    }

    manager->SetSkinnedPopups(false);
    EXPECT_FALSE(Hook(0xBCB4, 0, menuParam)) << "menus are not skinned";
    DestroyWindow(menu);
}

namespace {

// What row 0xBCB3 does while a skinned pop-up is open (run from a timer: the menu is modal).
struct ItemBorderProbe {
    std::function<bool(UINT, WPARAM, LPARAM)> hook;
    TsSkinManager* manager = nullptr;
    TMenuItem *open = nullptr, *onBar = nullptr;
    bool shown = false, drawn = false, shaped = false, withoutSkinnedPopups = true, shapedWithout = true,
         barItem = true, notAnItem = true;
    int ticks = 0;
    static ItemBorderProbe*& Current()
    {
        static ItemBorderProbe* current = nullptr;
        return current;
    }
    static bool Shaped(HWND wnd)
    {
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        const bool shaped = GetWindowRgn(wnd, rgn) != ERROR;
        DeleteObject(rgn);
        return shaped;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        ItemBorderProbe* p = Current();
        if (!p || p->shown) return;
        HWND wnd = FindWindowW(L"#32768", nullptr);
        if (++p->ticks > 500 || !wnd || !IsWindowVisible(wnd) ||
            !p->manager->SkinableMenus()->GetMenuInfo(nullptr, nullptr, wnd)) {
            if (p->ticks > 500) EndMenu();
            return;
        }
        p->shown = true;
        const auto item = [](TMenuItem* i) { return reinterpret_cast<LPARAM>(i); };
        SetWindowRgn(wnd, nullptr, FALSE);
        p->manager->SetSkinnedPopups(false);
        p->withoutSkinnedPopups = p->hook(0xBCB3, 0, item(p->open));
        p->shapedWithout = Shaped(wnd);
        p->manager->SetSkinnedPopups(true);
        p->barItem = p->hook(0xBCB3, 0, item(p->onBar));
        p->notAnItem = p->hook(0xBCB3, 0, 0x1234);
        p->drawn = p->hook(0xBCB3, 0, item(p->open));
        p->shaped = Shaped(wnd);
        EndMenu();
    }
};

} // namespace

// Row 0xBCB3: an item painted without its menu window names the item; the hook finds the open
// menu window that shows it and gives it the skin's shape and frame.
TEST_F(ManagerHooksTest, TheItemRowDrawsTheBorderOfTheOpenMenuShowingTheItem)
{
    house_skin::Options o;
    o.withMenus = true;
    Load(o);
    TProvidedForm* form = ShownMainForm();
    SetForegroundWindow(form->Handle());
    auto* bar = new TMainMenu(form);
    auto* file = new TMenuItem(form);
    file->SetCaption(L"File");
    bar->Items()->Add(file);
    form->SetMenu(bar);
    auto* popup = new TPopupMenu(form);
    for (const wchar_t* caption : {L"One", L"Two"}) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        popup->Items()->Add(item);
    }
    manager->SkinableMenus()->HookPopupMenu(popup, true);

    ItemBorderProbe probe;
    probe.hook = [this](UINT msg, WPARAM w, LPARAM l) { return Hook(msg, w, l); };
    probe.manager = manager.get();
    probe.open = popup->Items()->Items(1);
    probe.onBar = file;
    ItemBorderProbe::Current() = &probe;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &ItemBorderProbe::Tick);
    popup->Popup(150, 150);
    KillTimer(nullptr, timer);
    ItemBorderProbe::Current() = nullptr;

    ASSERT_TRUE(probe.shown) << "the skinned menu showed";
    EXPECT_TRUE(probe.drawn);
    EXPECT_TRUE(probe.shaped) << "the skin's corners are cut again";
    EXPECT_FALSE(probe.withoutSkinnedPopups);
    EXPECT_FALSE(probe.shapedWithout);
    EXPECT_FALSE(probe.barItem) << "the bar item lies on the form, no menu window";
    EXPECT_FALSE(probe.notAnItem);
    form->SetMenu(nullptr);
}

TEST_F(ManagerHooksTest, InvalidateRequestReachesEveryFormWithAWindow)
{
    Load();
    RecordingForm("shown");
    auto* noWindow = new TRecording<TForm>(Application, "no window");
    Commands().clear();
    // Through the application window, where the hook is installed.
    EXPECT_EQ(SendMessageW(Application->Handle(), 0xB000, 0, 0), 0);
    EXPECT_EQ(CodesOf("shown"), (std::vector<WORD>{AC_INVALIDATE}));
    EXPECT_TRUE(CodesOf("no window").empty());
    EXPECT_FALSE(noWindow->HandleAllocated());
}

TEST_F(ManagerHooksTest, TheCbtHookIsInstalledOnceByTheDefaultManagerAndRemovedWithTheSkin)
{
    Load();
    ASSERT_TRUE(manager->IsDefault());
    EXPECT_TRUE(manager->GlobalHookInstalled) << "the first new skin installs it";
    HHOOK first = HookCallback;
    ASSERT_NE(first, nullptr);
    manager->InstallHook();
    EXPECT_EQ(HookCallback, first) << "installing twice does nothing";

    // A manager that is not the default one neither installs nor removes.
    TsSkinManager other(nullptr);
    ASSERT_FALSE(other.IsDefault());
    other.InstallHook();
    EXPECT_FALSE(other.GlobalHookInstalled);
    other.GlobalHookInstalled = true;
    other.UnInstallHook();
    EXPECT_EQ(HookCallback, first);
    other.GlobalHookInstalled = false;

    // The hook passes every new window on: one is made as usual while it is set.
    HWND made = CreateWindowExW(0, L"STATIC", L"x", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(made, nullptr);
    DestroyWindow(made);

    acSupportedList.push_back(new TacProvider());
    manager->SetActive(false);
    EXPECT_FALSE(manager->GlobalHookInstalled);
    EXPECT_EQ(HookCallback, nullptr);
    EXPECT_TRUE(acSupportedList.empty()) << "the wrappers are freed with the hook";
    EXPECT_FALSE(UnhookWindowsHookEx(first)) << "the hook was removed";
    manager->UnInstallHook(); // not installed: nothing
    EXPECT_EQ(HookCallback, nullptr);

    manager->SetActive(true);
    EXPECT_TRUE(manager->GlobalHookInstalled) << "the next skin installs it again";
    manager.reset();
    EXPECT_EQ(HookCallback, nullptr) << "the default manager takes its hook along";
}

TEST_F(ManagerHooksTest, ADisplacedDefaultManagerHandsItsHooksOverAndLeavesNoneBehind)
{
    Load();
    ASSERT_TRUE(manager->IsDefault());
    const TWindowHook firstsHook(manager.get(), &TsSkinManager::MainWindowHook);
    ASSERT_TRUE(Application->IsMainWindowHooked(firstsHook));
    const HHOOK cbt = HookCallback;
    ASSERT_NE(cbt, nullptr);

    // The second manager becomes the default one: its new skin finds the CBT hook installed.
    auto second = std::make_unique<TsSkinManager>(nullptr);
    second->SetIsDefault(true);
    const TWindowHook secondsHook(second.get(), &TsSkinManager::MainWindowHook);
    EXPECT_TRUE(Application->IsMainWindowHooked(secondsHook)) << "the default manager watches the application";
    EXPECT_FALSE(Application->IsMainWindowHooked(firstsHook));
    EXPECT_TRUE(second->GlobalHookInstalled);
    EXPECT_FALSE(manager->GlobalHookInstalled);
    EXPECT_EQ(HookCallback, cbt) << "one CBT hook for the process";

    manager.reset();
    ASSERT_FALSE(Application->IsMainWindowHooked(firstsHook)) << "no message may reach the freed manager";
    EXPECT_EQ(HookCallback, cbt) << "the hook now serves the second manager";
    EXPECT_EQ(SendMessageW(Application->Handle(), WM_THEMECHANGED, 0, 0), 0);
    HWND made = CreateWindowExW(0, L"STATIC", L"x", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(made, nullptr);
    DestroyWindow(made);

    second.reset();
    EXPECT_FALSE(Application->IsMainWindowHooked(secondsHook));
    EXPECT_EQ(HookCallback, nullptr);
    EXPECT_FALSE(UnhookWindowsHookEx(cbt)) << "no CBT hook is left installed";
}

TEST_F(ManagerHooksTest, LatestCommonDialogsOnlyWhileTheStandardDialogsAreNotSkinned)
{
    Load();
    struct Row {
        bool dialogsRule;
        bool active;
        bool latest;
    };
    for (const Row row : {Row{true, true, false}, Row{false, true, true}, Row{true, false, true}, Row{false, false, true}}) {
        TacSkinningRules rules{srStdForms};
        if (row.dialogsRule) rules.Include(srStdDialogs);
        manager->SetSkinningRules(rules);
        manager->SetActive(row.active);
        UpdateCommonDlgs(manager.get());
        EXPECT_EQ(UseLatestCommonDialogs, row.latest) << row.dialogsRule << row.active;
    }
    // Only the default manager decides.
    manager->SetSkinningRules(TacSkinningRules{srStdDialogs});
    manager->SetActive(true);
    ASSERT_FALSE(UseLatestCommonDialogs);
    TsSkinManager other(nullptr);
    other.SetSkinningRules(TacSkinningRules{});
    EXPECT_FALSE(UseLatestCommonDialogs);
    UseLatestCommonDialogs = true;
}
