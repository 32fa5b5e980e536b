// An MDI main form's window menu, dropping the system menu natively and skinned, and the MDI
// parts of the provider's life (the menu-filter hook, a child's provider going).
#include "skin_forms_test_sysmenu.h"

#include <algorithm>
#include <string>

namespace {

class MdiMenusTest : public SysMenuTest {
protected:
    // An MDI main form with a provider, a menu bar with a "Window" menu and three children.
    void MakeFrame(int children = 3)
    {
        UseHouseSkin();
        Application->CreateForm(frame);
        frame->SetFormStyle(fsMDIForm);
        frame->SetBounds(40, 40, 640, 480);
        auto* menu = new TMainMenu(frame);
        windowMenu = new TMenuItem(frame);
        windowMenu->SetCaption(L"Window");
        auto* cascade = new TMenuItem(frame);
        cascade->SetCaption(L"Cascade");
        windowMenu->Add(cascade);
        menu->Items()->Add(windowMenu);
        frame->SetMenu(menu);
        frame->SetWindowMenu(windowMenu);
        provider = new TSpyProvider(frame);
        frame->Show();
        provider->PrepareForm();
        for (int i = 0; i < children; ++i) {
            auto* child = new TForm(Application);
            child->SetFormStyle(fsMDIChild);
            child->SetText(L"Child " + std::to_wstring(i));
            child->SetBounds(10 + 30 * i, 10, 200, 150);
            child->Show();
            kids.push_back(child);
        }
    }
    void OpenWindowMenu()
    {
        SendMessageW(frame->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(windowMenu->Handle()), MAKELPARAM(0, 0));
    }
    // The provider's entries of the window menu (Tag bit 0x200), captions by position.
    std::vector<TMenuItem*> ChildEntries() const
    {
        std::vector<TMenuItem*> list;
        for (int i = 0; i < windowMenu->Count(); ++i)
            if (windowMenu->Items(i)->Tag() & 0x200 && !windowMenu->Items(i)->IsLine()) list.push_back(windowMenu->Items(i));
        return list;
    }

    TForm* frame = nullptr;
    TMenuItem* windowMenu = nullptr;
    TSpyProvider* provider = nullptr;
    std::vector<TForm*> kids;
};

} // namespace

TEST_F(MdiMenusTest, TheWindowMenuListsEachVisibleChildOnceWithTheActiveOneChecked)
{
    MakeFrame();
    kids[1]->Hide();
    for (int round = 0; round < 2; ++round) {
        OpenWindowMenu();
        const std::vector<TMenuItem*> entries = ChildEntries();
        ASSERT_EQ(entries.size(), 2u) << "round " << round;
        // The children from the top of the z-order; the hidden one keeps its index.
        EXPECT_EQ(entries[0]->Caption(), L"Child 2");
        EXPECT_EQ(entries[1]->Caption(), L"Child 0");
        EXPECT_EQ(entries[0]->Tag(), 0x200);
        EXPECT_EQ(entries[1]->Tag(), 0x202);
        EXPECT_TRUE(entries[0]->Checked()) << "the active child";
        EXPECT_FALSE(entries[1]->Checked());
        int lines = 0;
        for (int i = 0; i < windowMenu->Count(); ++i) lines += windowMenu->Items(i)->IsLine();
        EXPECT_EQ(lines, 1) << "one line before the children";
        EXPECT_EQ(windowMenu->Items(0)->Caption(), L"Cascade") << "the application's items stay";
    }
    // Choosing an entry brings that child to front.
    ChildEntries()[1]->Click();
    EXPECT_EQ(frame->ActiveMDIChild(), kids[0]);

    // Without skinned pop-ups the window menu stays the system's.
    manager->SetSkinnedPopups(false);
    const int count = windowMenu->Count();
    OpenWindowMenu();
    EXPECT_EQ(windowMenu->Count(), count);
}

TEST_F(MdiMenusTest, ASystemMenuPopupGraysSize)
{
    MakeFrame(0);
    HMENU menu = GetSystemMenu(frame->Handle(), FALSE);
    ASSERT_NE(menu, nullptr);
    EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_ENABLED);
    SendMessageW(frame->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, 1));
    EXPECT_TRUE(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(MdiMenusTest, DroppingTheSystemMenu)
{
    TSpyProvider& p = Skinned();
    TSysCommandRecorder recorder(form, &p);
    // Not the active form: nothing shows.
    auto* other = new TForm(Application);
    other->SetBounds(500, 400, 100, 100);
    other->Show();
    SetForegroundWindow(other->Handle());
    PumpUntil([&] { return Screen->ActiveForm() == other; });
    bool shown = false;
    {
        TMenuLoopAction probe([&] {
            shown = true;
            EndMenu();
        });
        p.DropSysMenu(100, 100);
        Application->ProcessMessages();
    }
    EXPECT_FALSE(shown) << "no menu loop ran";

    // Native: the entries follow the skinned menu's rules, the choice comes back posted.
    SetForegroundWindow(form->Handle());
    PumpUntil([&] { return Screen->ActiveForm() == form; });
    manager->SetSkinnedPopups(false);
    form->SetBorderIcons({biSystemMenu, biMaximize});
    form->HandleNeeded();
    SetForegroundWindow(form->Handle());
    PumpUntil([&] { return Screen->ActiveForm() == form; });
    std::vector<std::pair<UINT, bool>> states;
    HWND wnd = form->Handle();
    {
        TMenuLoopAction choose([&] {
            HMENU menu = GetSystemMenu(wnd, FALSE);
            for (UINT command : {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE})
                states.push_back({command, (GetMenuState(menu, command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0});
            // Down to Move (Restore is the first entry, grayed), then choose it.
            PostMessageW(wnd, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(wnd, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(wnd, WM_KEYDOWN, VK_RETURN, 0);
        });
        p.DropSysMenu(120, 120);
    }
    const std::vector<std::pair<UINT, bool>> expected = {{SC_RESTORE, false}, {SC_MOVE, true},     {SC_SIZE, true},
                                                         {SC_MINIMIZE, false}, {SC_MAXIMIZE, true}, {SC_CLOSE, true}};
    EXPECT_EQ(states, expected);
    EXPECT_TRUE(recorder.Commands.empty()) << "posted, not sent";
    PumpUntil([&] { return !recorder.Commands.empty(); });
    ASSERT_EQ(recorder.Commands.size(), 1u);
    EXPECT_EQ(recorder.Commands[0] & 0xFFF0, static_cast<UINT>(SC_MOVE));

    // Skinned: the library's menu, hooked and painted from the skin, at the point.
    manager->SetSkinnedPopups(true);
    std::unique_ptr<TBitmap> shot;
    RECT menuRect{};
    {
        TMenuLoopAction grab([&] {
            HWND popup = FindWindowW(L"#32768", nullptr);
            if (popup && IsWindowVisible(popup)) {
                GetWindowRect(popup, &menuRect);
                shot = GrabWindow(popup);
            }
            EndMenu();
        }, 300);
        p.DropSysMenu(150, 140);
    }
    ASSERT_TRUE(shot);
    EXPECT_EQ(menuRect.left, 150);
    EXPECT_EQ(menuRect.top, 140);
    EXPECT_TRUE(p.SystemMenu->OwnerDraw()) << "hooked into the skinned menus";
    EXPECT_EQ(p.SystemMenu->WindowHandle(), form->Handle());
    SaveEnlargedPng(*shot, L"skinned_system_menu.png", 2);
    const RECT inside{4, 4, shot->Width() - 4, shot->Height() - 4};
    EXPECT_GT(CountColor(*shot, inside, house_skin::kMainColor), (inside.right - inside.left) * (inside.bottom - inside.top) / 3)
        << "the items' background is the skin's MENUITEM colour";
}

TEST_F(MdiMenusTest, AChildsProviderGoingResetsTheMainFormsMenuLine)
{
    MakeFrame(1);
    ASSERT_EQ(MDISkinProvider, provider);
    auto* childProvider = new TsSkinProvider(kids[0]);
    childProvider->PrepareForm();
    provider->FLinesCount = 2;
    provider->FCommonData->BGChanged = false;
    const auto paints = std::count(provider->Calls.begin(), provider->Calls.end(), "AC_WMNCPaint");
    delete childProvider;
    EXPECT_EQ(provider->FLinesCount, -1);
    EXPECT_TRUE(provider->FCommonData->BGChanged);
    EXPECT_GT(std::count(provider->Calls.begin(), provider->Calls.end(), "AC_WMNCPaint"), paints);
}

TEST_F(MdiMenusTest, TheMenuFilterHookAnswersForTheBandOfTheChildButtons)
{
    MakeFrame(1);
    kids[0]->SetWindowState(wsMaximized);
    ASSERT_EQ(MDISkinProvider, provider);
    provider->LastMenuItemRect = Rect(8, 30, 60, 48); // window coordinates of the last menu item
    RECT wr{};
    GetWindowRect(frame->Handle(), &wr);
    MSG msg{};
    msg.hwnd = frame->Handle();
    msg.message = WM_MOUSEMOVE;
    SetCursorPos(wr.left + 200, wr.top + 40);
    PumpUntil([&] {
        POINT c{};
        GetCursorPos(&c);
        return c.x == wr.left + 200;
    });
    EXPECT_EQ(CallMsgFilterW(&msg, MSGF_MENU), TRUE) << "right of the last item";
    SetCursorPos(wr.left + 20, wr.top + 40);
    PumpUntil([&] {
        POINT c{};
        GetCursorPos(&c);
        return c.x == wr.left + 20;
    });
    EXPECT_EQ(CallMsgFilterW(&msg, MSGF_MENU), FALSE) << "over the items the next hook decides";
    // One hook per process: hooking again adds none, so one unhooking removes it.
    provider->HookMDI(true);
    provider->HookMDI(false);
    SetCursorPos(wr.left + 200, wr.top + 40);
    PumpUntil([&] {
        POINT c{};
        GetCursorPos(&c);
        return c.x == wr.left + 200;
    });
    EXPECT_EQ(CallMsgFilterW(&msg, MSGF_MENU), FALSE) << "no hook any more";
}
