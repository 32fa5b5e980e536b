// Window life cycle, layout, keyboard and focus of windowed controls.
#include "controls_test_classes.h"

#include "ExtCtrls.h"

using WindowedControls = ControlsTest;

TEST_F(WindowedControls, WindowsAreCreatedLazilyWithTheirParents)
{
    TForm* form = NewForm();
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetCaption(L"OK");
    button->SetBounds(10, 20, 90, 28);
    EXPECT_FALSE(button->HandleAllocated());
    EXPECT_FALSE(form->HandleAllocated());

    HWND hwnd = button->Handle();
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(form->HandleAllocated());
    EXPECT_EQ(GetParent(hwnd), form->Handle());
    EXPECT_EQ(FindControl(hwnd), button);
    wchar_t cls[32]{};
    GetClassNameW(hwnd, cls, 32);
    EXPECT_EQ(_wcsicmp(cls, L"Button"), 0) << "a button is the real BUTTON window";
    wchar_t text[8]{};
    GetWindowTextW(hwnd, text, 8);
    EXPECT_STREQ(text, L"OK");
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(TRect(r), Rect(10, 20, 100, 48));
}

TEST_F(WindowedControls, RecreateWndKeepsTheControlsState)
{
    TForm* form = NewForm();
    auto* edit = new TTestEdit(form);
    edit->SetParent(form);
    edit->SetBounds(5, 6, 100, 22);
    form->Show();
    HWND before = edit->Handle();
    SendMessageW(before, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed by the user"));
    edit->SetEnabled(false);
    edit->Font()->SetHeight(-17);

    edit->RecreateWnd();
    HWND after = edit->Handle();
    EXPECT_NE(after, before);
    EXPECT_FALSE(IsWindow(before));
    EXPECT_EQ(edit->Text(), L"typed by the user");
    EXPECT_FALSE(IsWindowEnabled(after));
    EXPECT_TRUE(IsWindowVisible(after));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(after, WM_GETFONT, 0, 0)), edit->Font()->Handle());
    EXPECT_EQ(edit->BoundsRect(), Rect(5, 6, 105, 28));
    EXPECT_EQ(FindControl(after), edit);
}

TEST_F(WindowedControls, DestroyingAControlDestroysItsWindowAndLeavesTheParent)
{
    TForm* form = NewForm();
    auto* button = new TButton(form);
    button->SetParent(form);
    HWND hwnd = button->Handle();
    EXPECT_EQ(form->ControlCount(), 1);
    delete button;
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(form->ControlCount(), 0);
    EXPECT_EQ(form->ComponentCount(), 0);
}

TEST_F(WindowedControls, MovingAControlToAnotherParentKeepsItsWindow)
{
    TForm* form = NewForm();
    auto* left = new TTestCustom(form);
    left->SetParent(form);
    auto* right = new TTestCustom(form);
    right->SetParent(form);
    auto* edit = new TTestEdit(form);
    edit->SetParent(left);
    HWND hwnd = edit->Handle();
    right->HandleNeeded();

    edit->SetParent(right);
    EXPECT_EQ(edit->Handle(), hwnd);
    EXPECT_EQ(GetParent(hwnd), right->Handle());
    EXPECT_EQ(left->ControlCount(), 0);
    EXPECT_EQ(right->ControlCount(), 1);

    edit->SetParent(nullptr);
    EXPECT_FALSE(IsWindow(hwnd)) << "a control without parent has no window";
    EXPECT_FALSE(edit->HandleAllocated());
}

TEST_F(WindowedControls, AlignedChildrenShareTheClientArea)
{
    TForm* form = NewForm(400, 300);
    form->Show();
    auto make = [&](TAlign align, int size) {
        auto* c = new TTestCustom(form);
        c->SetBounds(0, 0, size, size);
        c->SetAlign(align);
        c->SetParent(form);
        return c;
    };
    TControl* top = make(alTop, 30);
    TControl* bottom = make(alBottom, 20);
    TControl* left = make(alLeft, 50);
    TControl* right = make(alRight, 60);
    TControl* client = make(alClient, 10);
    const TRect area = form->ClientRect();
    const int w = area.Width(), h = area.Height();

    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, w, 30));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, h - 20, w, h));
    EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 50, h - 20));
    EXPECT_EQ(right->BoundsRect(), Rect(w - 60, 30, w, h - 20));
    EXPECT_EQ(client->BoundsRect(), Rect(50, 30, w - 60, h - 20));

    form->SetBounds(form->Left(), form->Top(), form->Width() + 100, form->Height() + 40);
    EXPECT_EQ(client->BoundsRect(), Rect(50, 30, w + 100 - 60, h + 40 - 20));
    top->SetVisible(false);
    EXPECT_EQ(left->Top(), 0);
}

TEST_F(WindowedControls, EachWmSizeFiresOnResizeOnce)
{
    TForm* form = NewForm();
    int resizes = 0;
    TRect seen;
    form->OnResize = [&](TObject*) {
        ++resizes;
        seen = form->BoundsRect();
    };
    form->HandleNeeded();
    resizes = 0;
    form->SetBounds(10, 10, 500, 350);
    EXPECT_EQ(resizes, 1);
    EXPECT_EQ(seen, Rect(10, 10, 510, 360)) << "bounds are current inside OnResize";
    form->SetBounds(20, 20, 500, 350);
    EXPECT_EQ(resizes, 1) << "moving is no resize";
}

TEST_F(WindowedControls, ClientSizeSetBeforeTheWindowExistsIsKept)
{
    TForm* form = NewForm();
    form->SetBorderStyle(bsSingle);
    form->SetClientWidth(345);
    form->SetClientHeight(159);
    form->Show();
    RECT r{};
    GetClientRect(form->Handle(), &r);
    EXPECT_EQ(r.right, 345);
    EXPECT_EQ(r.bottom, 159);
}

TEST_F(WindowedControls, KeyPressCanChangeOrSwallowTypedCharacters)
{
    TForm* form = NewForm();
    auto* edit = new TTestEdit(form);
    edit->SetParent(form);
    edit->OnKeyPress = [](TObject*, wchar_t& key) {
        if (key == 8) return;
        if (key >= L'a' && key <= L'f') key = static_cast<wchar_t>(key - L'a' + L'A');
        const bool hex = (key >= L'0' && key <= L'9') || (key >= L'A' && key <= L'F');
        if (!hex) key = 0;
    };
    HWND hwnd = edit->Handle();
    for (wchar_t c : std::wstring(L"a1g-F")) SendMessageW(hwnd, WM_CHAR, c, 1);
    EXPECT_EQ(edit->Text(), L"A1F");
    SendMessageW(hwnd, WM_CHAR, 8, 1);
    EXPECT_EQ(edit->Text(), L"A1");
}

TEST_F(WindowedControls, TabMovesTheFocusInTabOrderAndSkipsDisabledControls)
{
    TForm* form = NewForm();
    auto* first = new TTestEdit(form);
    first->SetParent(form);
    auto* second = new TTestEdit(form);
    second->SetParent(form);
    auto* third = new TTestEdit(form);
    third->SetParent(form);
    third->SetTabOrder(0);
    EXPECT_EQ(first->TabOrder(), 1);
    form->Show();
    int enters = 0, exits = 0;
    second->OnEnter = [&](TObject*) { ++enters; };
    third->OnExit = [&](TObject*) { ++exits; };

    third->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return third->Focused(); }));
    EXPECT_EQ(form->ActiveControl(), third);

    second->SetEnabled(false);
    EXPECT_EQ(third->Perform(CN_KEYDOWN, VK_TAB, 0), 1);
    EXPECT_TRUE(PumpUntil([&] { return first->Focused(); }));
    EXPECT_EQ(exits, 1);

    second->SetEnabled(true);
    first->Perform(CN_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(PumpUntil([&] { return second->Focused(); }));
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(first->Perform(CN_KEYDOWN, VK_LEFT, 0), 0) << "an edit keeps its arrow keys";

    second->SetVisible(false);
    EXPECT_FALSE(second->CanFocus());
    EXPECT_THROW(second->SetFocus(), EInvalidOperation);
}

TEST_F(WindowedControls, EnterClicksTheDefaultButtonAndEscapeTheCancelButton)
{
    TForm* form = NewForm();
    auto* edit = new TTestEdit(form);
    edit->SetParent(form);
    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->SetDefault(true);
    auto* cancel = new TButton(form);
    cancel->SetParent(form);
    cancel->SetCancel(true);
    int okClicks = 0, cancelClicks = 0;
    ok->OnClick = [&](TObject*) { ++okClicks; };
    cancel->OnClick = [&](TObject*) { ++cancelClicks; };
    form->Show();
    EXPECT_TRUE(GetWindowLongPtrW(ok->Handle(), GWL_STYLE) & BS_DEFPUSHBUTTON);

    EXPECT_EQ(edit->Perform(CN_KEYDOWN, VK_RETURN, 0), 1);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(edit->Perform(CN_KEYDOWN, VK_ESCAPE, 0), 1);
    EXPECT_EQ(cancelClicks, 1);
}

TEST_F(WindowedControls, TheControlLosingTheFocusAndTheFocusedOneOnCancelModeGetCancelMode)
{
    TForm* form = NewForm();
    auto* first = new TTestEdit(form);
    first->SetParent(form);
    auto* second = new TTestEdit(form);
    second->SetParent(form);
    form->Show();
    first->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return first->Focused(); }));
    MessageSpy firstSpy(first);
    MessageSpy secondSpy(second);

    // A person tabbing on: the control left behind hears it first, naming the new one.
    second->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return second->Focused(); }));
    ASSERT_EQ(firstSpy.Count(CM_CANCELMODE), 1);
    EXPECT_EQ(firstSpy.Last(CM_CANCELMODE)->LParam, reinterpret_cast<LPARAM>(second));
    EXPECT_LT(std::find_if(firstSpy.log.begin(), firstSpy.log.end(), [](const TMessage& m) { return m.Msg == CM_CANCELMODE; }),
              std::find_if(firstSpy.log.begin(), firstSpy.log.end(), [](const TMessage& m) { return m.Msg == CM_EXIT; }));
    EXPECT_EQ(secondSpy.Count(CM_CANCELMODE), 0);

    // The system cancelling modes (a capture taken away, a dialog coming up) reaches the
    // focused control with the form as sender.
    SendMessageW(form->Handle(), WM_CANCELMODE, 0, 0);
    ASSERT_EQ(secondSpy.Count(CM_CANCELMODE), 1);
    EXPECT_EQ(secondSpy.Last(CM_CANCELMODE)->LParam, reinterpret_cast<LPARAM>(form));
    EXPECT_EQ(firstSpy.Count(CM_CANCELMODE), 1);
}

// A change of the form's focused control reaches every control on it, nested ones too, naming
// the control that has the focus now: a drop-down can close when the focus moves elsewhere.
TEST_F(WindowedControls, TheFormsFocusChangeReachesEveryControl)
{
    TForm* form = NewForm();
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 40, 200, 60);
    auto* nested = new TTestEdit(form);
    nested->SetParent(panel);
    auto* first = new TTestEdit(form);
    first->SetParent(form);
    form->Show();
    MessageSpy nestedSpy(nested);
    MessageSpy firstSpy(first);
    first->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return first->Focused(); }));
    for (MessageSpy* spy : {&nestedSpy, &firstSpy}) {
        ASSERT_EQ(spy->Count(CM_FOCUSCHANGED), 1);
        EXPECT_EQ(spy->Last(CM_FOCUSCHANGED)->LParam, reinterpret_cast<LPARAM>(first));
    }
}
