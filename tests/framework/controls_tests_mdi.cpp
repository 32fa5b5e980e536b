// MDI forms: the frame's client window, children made in it, activation, the window menu and the
// default procedures behind both kinds of window.
#include "controls_test_support.h"

#include "Forms.h"
#include "Menus.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

UnicodeString WindowClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

class MDIForms : public ControlsTest {
protected:
    // The application's main form as an MDI frame with a menu bar whose "Window" item is the
    // window menu.
    TForm* NewFrame()
    {
        Application->CreateForm(frame);
        frame->SetFormStyle(fsMDIForm);
        frame->SetBounds(40, 40, 640, 480);
        menu = new TMainMenu(frame);
        windowItem = new TMenuItem(frame);
        windowItem->SetCaption(L"Window");
        auto* cascade = new TMenuItem(frame);
        cascade->SetCaption(L"Cascade");
        windowItem->Add(cascade);
        menu->Items()->Add(windowItem);
        frame->SetMenu(menu);
        frame->SetWindowMenu(windowItem);
        frame->Show();
        return frame;
    }
    TForm* NewChild(const UnicodeString& caption, int left)
    {
        auto* child = new TForm(Application);
        child->SetFormStyle(fsMDIChild);
        child->SetText(caption);
        child->SetBounds(left, 10, 200, 150);
        child->Show();
        return child;
    }

    TForm* frame = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem* windowItem = nullptr;
};

} // namespace

TEST_F(MDIForms, TheFrameKeepsItsChildrenInAnMdiClientThatFollowsItsSize)
{
    NewFrame();
    HWND client = frame->ClientHandle();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(_wcsicmp(WindowClassOf(client).c_str(), L"MDICLIENT"), 0) << WindowClassOf(client);
    EXPECT_EQ(GetParent(client), frame->Handle());

    TForm* child = NewChild(L"One", 10);
    EXPECT_EQ(GetParent(child->Handle()), client);
    EXPECT_TRUE(GetWindowLongPtrW(child->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD);
    EXPECT_TRUE(GetWindowLongPtrW(child->Handle(), GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(IsWindowVisible(child->Handle()));

    // DefFrameProc sizes the client to the frame's client area.
    frame->SetBounds(40, 40, 500, 400);
    RECT frameClient{}, clientRect{};
    GetClientRect(frame->Handle(), &frameClient);
    GetWindowRect(client, &clientRect);
    EXPECT_EQ(clientRect.right - clientRect.left, frameClient.right);
    EXPECT_EQ(clientRect.bottom - clientRect.top, frameClient.bottom);
}

TEST_F(MDIForms, ActiveChildChildrenListAndBringToFront)
{
    NewFrame();
    EXPECT_EQ(frame->ActiveMDIChild(), nullptr);
    EXPECT_EQ(frame->MDIChildCount(), 0);
    TForm* one = NewChild(L"One", 10);
    TForm* two = NewChild(L"Two", 40);
    TForm* three = NewChild(L"Three", 70);
    EXPECT_EQ(frame->ActiveMDIChild(), three) << "the child shown last is active";
    ASSERT_EQ(frame->MDIChildCount(), 3);
    EXPECT_EQ(frame->MDIChildren(0), three) << "top of the z-order first";
    EXPECT_EQ(frame->MDIChildren(1), two);
    EXPECT_EQ(frame->MDIChildren(2), one);
    EXPECT_THROW(frame->MDIChildren(3), EListError);
    EXPECT_EQ(one->MDIChildCount(), 0) << "a child has no children";

    one->BringToFront();
    EXPECT_EQ(frame->ActiveMDIChild(), one);
    EXPECT_EQ(frame->MDIChildren(0), one);
    EXPECT_EQ(GetWindow(frame->ClientHandle(), GW_CHILD), one->Handle()) << "on top of the client's children";

    // Destroying the active child goes through the client, which activates another one.
    delete one;
    EXPECT_EQ(frame->MDIChildCount(), 2);
    TCustomForm* active = frame->ActiveMDIChild();
    EXPECT_TRUE(active == two || active == three);
}

TEST_F(MDIForms, AChildNeedsAnMdiMainForm)
{
    TForm* main = nullptr;
    Application->CreateForm(main);
    main->Show();
    auto* child = new TForm(Application);
    child->SetFormStyle(fsMDIChild);
    EXPECT_THROW(child->HandleNeeded(), EInvalidOperation);
    EXPECT_EQ(main->ClientHandle(), nullptr) << "a normal form has no client window";
}

TEST_F(MDIForms, TheWindowMenuListsTheChildrenAndAMaximizedChildJoinsTheMenuBar)
{
    NewFrame();
    HMENU windowMenu = windowItem->Handle();
    const int before = GetMenuItemCount(windowMenu);
    NewChild(L"One", 10);
    TForm* two = NewChild(L"Two", 40);
    // The client adds a separator and one entry per child.
    EXPECT_EQ(GetMenuItemCount(windowMenu), before + 3);
    wchar_t text[64] = {};
    GetMenuStringW(windowMenu, GetMenuItemCount(windowMenu) - 1, text, 64, MF_BYPOSITION);
    EXPECT_NE(std::wstring(text).find(L"Two"), std::wstring::npos) << std::wstring(text);

    // DefMDIChildProc: a maximized child puts its system menu and buttons into the frame's bar.
    HMENU bar = GetMenu(frame->Handle());
    const int barItems = GetMenuItemCount(bar);
    two->SetWindowState(wsMaximized);
    EXPECT_TRUE(IsZoomed(two->Handle()));
    EXPECT_GT(GetMenuItemCount(bar), barItems);
    two->SetWindowState(wsNormal);
    EXPECT_EQ(GetMenuItemCount(bar), barItems);
}

TEST_F(MDIForms, FormStateShowingOnlyWhileTheFormIsBeingShown)
{
    NewFrame();
    auto* child = new TForm(Application);
    child->SetFormStyle(fsMDIChild);
    bool showingInOnShow = false;
    child->OnShow = [&](TObject*) { showingInOnShow = child->FormState().Contains(fsShowing); };
    child->Show();
    EXPECT_TRUE(showingInOnShow);
    EXPECT_FALSE(child->FormState().Contains(fsShowing));
    EXPECT_TRUE(child->FormState().Contains(fsVisible));
    EXPECT_FALSE(frame->FormState().Contains(fsShowing));
}
