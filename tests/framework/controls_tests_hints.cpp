// The application's hints: resting the mouse on a control shows its hint in the window the
// installed factory makes, OnShowHint may change or veto it, and it goes again.
#include "controls_tests_widgets_support.h"

#include "ExtCtrls.h"
#include "HintWindow.h"

namespace {

// A form with a panel that has a hint and a panel without one, the mouse parked outside.
class HintsTest : public WidgetsTest {
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        form = ShownForm();
        withHint = AddPanel(20, 20);
        withHint->SetHint(L"Panel hint");
        withHint->SetShowHint(true);
        without = AddPanel(200, 20);
        Application->SetHintPause(1);
        Application->SetHintShortPause(1);
        MoveMouse(TPoint(form->Left() + form->Width() + 40, form->Top() + form->Height() + 40));
    }
    void TearDown() override
    {
        HintWindowClass = &PlainHintWindow;
        WidgetsTest::TearDown();
    }

    TPanel* AddPanel(int left, int top)
    {
        auto* p = new TPanel(form);
        p->SetParent(form);
        p->SetBounds(left, top, 120, 60);
        return p;
    }
    // Moves the real cursor (the system sends the mouse move) and lets the messages run.
    static void MoveMouse(const TPoint& p)
    {
        SetCursorPos(p.X, p.Y);
        PumpUntil([p] {
            POINT c{};
            GetCursorPos(&c);
            return c.x == p.X && c.y == p.Y;
        });
        Application->ProcessMessages();
    }
    static TPoint CentreOf(TControl* c) { return c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2)); }
    static bool HintShown()
    {
        THintWindow* w = Application->HintWindow();
        return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
    }

    TForm* form = nullptr;
    TPanel* withHint = nullptr;
    TPanel* without = nullptr;
};

TEST_F(HintsTest, RestingOnAControlShowsItsHintBelowTheCursorUntilTheHidePause)
{
    const TPoint at = CentreOf(withHint);
    MoveMouse(at);
    ASSERT_TRUE(PumpUntil(HintShown));
    THintWindow* w = Application->HintWindow();
    EXPECT_EQ(w->ClassName(), L"THintWindow");
    EXPECT_EQ(w->Caption(), L"Panel hint");
    EXPECT_EQ(Application->HintControl(), withHint);
    EXPECT_TRUE(Application->HintActive());
    RECT r{};
    GetWindowRect(w->Handle(), &r);
    EXPECT_EQ(r.left, at.X);
    EXPECT_GT(r.top, at.Y) << "below the cursor";
    EXPECT_FALSE(GetWindowLongPtrW(w->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_NE(GetForegroundWindow(), w->Handle()) << "never activated";

    // Moving onto a control without hint hides it; back again shows it; the hide pause ends it.
    MoveMouse(CentreOf(without));
    EXPECT_FALSE(HintShown());
    EXPECT_EQ(Application->HintControl(), nullptr);
    Application->SetHintHidePause(30);
    MoveMouse(at);
    ASSERT_TRUE(PumpUntil(HintShown));
    ASSERT_TRUE(PumpUntil([] { return !HintShown(); }));
    EXPECT_FALSE(Application->HintActive());
}

TEST_F(HintsTest, OnShowHintChangesOrVetoesAndTheInstalledFactoryMakesTheWindow)
{
    static int made = 0;
    made = 0;
    HintWindowClass = [](TComponent* owner) -> THintWindow* {
        ++made;
        return new THintWindow(owner);
    };
    bool allow = true;
    THintInfo seen;
    Application->OnShowHint = [&](UnicodeString& text, bool& canShow, THintInfo& info) {
        seen = info;
        text = L"Changed: " + text;
        info.HintPos.Y += 7;
        canShow = allow;
    };
    const TPoint at = CentreOf(withHint);
    MoveMouse(at);
    ASSERT_TRUE(PumpUntil(HintShown));
    EXPECT_EQ(made, 1);
    EXPECT_EQ(seen.HintControl, withHint);
    EXPECT_EQ(seen.HintStr, L"Panel hint");
    EXPECT_EQ(seen.CursorRect, withHint->ClientRect());
    EXPECT_EQ(seen.CursorPos, withHint->ScreenToClient(at));
    EXPECT_EQ(seen.HideTimeout, Application->HintHidePause());
    EXPECT_EQ(Application->HintWindow()->Caption(), L"Changed: Panel hint");
    RECT r{};
    GetWindowRect(Application->HintWindow()->Handle(), &r);
    EXPECT_EQ(r.top, seen.HintPos.Y + 7);

    // Vetoed: no window shows. A click cancels, too.
    Application->CancelHint();
    allow = false;
    MoveMouse(CentreOf(without));
    MoveMouse(at);
    ASSERT_TRUE(PumpUntil([] { return Application->HintControl() != nullptr; }));
    Application->ActivateHint(at);
    EXPECT_FALSE(HintShown());
    EXPECT_FALSE(Application->HintActive());
    EXPECT_EQ(made, 1) << "the window is kept";
}

} // namespace
