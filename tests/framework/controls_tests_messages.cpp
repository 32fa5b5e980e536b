// Message records, the WindowProc chain, component messages and reflection.
#include "controls_test_classes.h"

#include <cstddef>

TEST(MessageRecord, FieldsHaveNativeWidthAndCarryPointers)
{
    static_assert(sizeof(TMessage) == 32);
    static_assert(offsetof(TMessage, WParam) == 8 && offsetof(TMessage, LParam) == 16 && offsetof(TMessage, Result) == 24);
    int target = 0;
    TMessage m{WM_MOUSEMOVE, WPARAM{0x0000123456789ABCull}, MAKELPARAM(-3, 7), reinterpret_cast<LRESULT>(&target)};
    EXPECT_EQ(m.WParamLo(), 0x9ABC);
    EXPECT_EQ(m.WParamHi(), 0x5678);
    EXPECT_EQ(m.LParamX(), -3);
    EXPECT_EQ(m.LParamY(), 7);
    EXPECT_EQ(reinterpret_cast<int*>(m.Result), &target);
    EXPECT_EQ(LoWord(0xAAAABBBBCCCCDDDDull), 0xDDDD);
    EXPECT_EQ(HiWord(0xAAAABBBBCCCCDDDDull), 0xCCCC);
}

TEST(MessageRecord, ComponentMessageNumbersAreTheFixedOnes)
{
    const std::pair<UINT, UINT> table[] = {
        {CM_DIALOGKEY, 0xB005},        {CM_FOCUSCHANGED, 0xB007},    {CM_PARENTFONTCHANGED, 0xB008},
        {CM_HITTEST, 0xB00A},          {CM_VISIBLECHANGED, 0xB00B},  {CM_ENABLEDCHANGED, 0xB00C},
        {CM_COLORCHANGED, 0xB00D},     {CM_FONTCHANGED, 0xB00E},     {CM_TEXTCHANGED, 0xB012},
        {CM_MOUSEENTER, 0xB013},       {CM_MOUSELEAVE, 0xB014},      {CM_MENUCHANGED, 0xB015},
        {CM_SHOWINGCHANGED, 0xB019},   {CM_ENTER, 0xB01A},           {CM_EXIT, 0xB01B},
        {CM_CONTROLLISTCHANGE, 0xB02C}, {CM_RECREATEWND, 0xB033},    {CM_CHANGED, 0xB037},
        {CM_FLOAT, 0xB03A},            {CM_BIDIMODECHANGED, 0xB03C}, {CM_MOUSEWHEEL, 0xB043},
        {CN_DRAWITEM, 0xBC2B},         {CN_NOTIFY, 0xBC4E},          {CN_KEYDOWN, 0xBD00},
        {CN_KEYUP, 0xBD01},            {CN_COMMAND, 0xBD11},         {CN_HSCROLL, 0xBD14},
        {CN_VSCROLL, 0xBD15},          {CN_CTLCOLOREDIT, 0xBD33},    {CN_CTLCOLORSCROLLBAR, 0xBD37},
        {CN_DROPDOWNCLOSED, 0x1400},
    };
    for (const auto& [name, number] : table) EXPECT_EQ(name, number);
}

namespace {
class Handler : public TObject {
public:
    void A(TMessage&) {}
    void B(TMessage&) {}
};
} // namespace

TEST(MessageRecord, WndMethodsCompareByObjectAndMember)
{
    Handler h1, h2;
    EXPECT_TRUE(TWndMethod(&h1, &Handler::A) == TWndMethod(&h1, &Handler::A));
    EXPECT_FALSE(TWndMethod(&h1, &Handler::A) == TWndMethod(&h1, &Handler::B));
    EXPECT_FALSE(TWndMethod(&h1, &Handler::A) == TWndMethod(&h2, &Handler::A));
    EXPECT_FALSE(static_cast<bool>(TWndMethod()));
}

using MessageChain = ControlsTest;

TEST_F(MessageChain, PerformOnWindowlessControlPassesReplacedWindowProc)
{
    TForm* form = NewForm();
    auto* label = new TTestGraphic(form);
    label->SetParent(form);
    MessageSpy spy(label);

    label->SetCaption(L"Hello");
    EXPECT_EQ(label->Caption(), L"Hello");
    EXPECT_EQ(spy.Count(WM_SETTEXT), 1);
    EXPECT_EQ(spy.Count(CM_TEXTCHANGED), 1);

    spy.answer = true;
    spy.answerMsg = WM_APP + 5;
    spy.answerResult = 42;
    EXPECT_EQ(label->Perform(WM_APP + 5, 1, 2), 42);
    EXPECT_FALSE(form->HandleAllocated()) << "a windowless control needs no window";
}

TEST_F(MessageChain, ReplacedWindowProcSeesWindowMessagesAndChainsToTheWindow)
{
    TForm* form = NewForm();
    auto* button = new TButton(form);
    button->SetParent(form);
    int clicks = 0;
    button->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, button);
        ++clicks;
    };
    HWND hwnd = button->Handle();
    MessageSpy spy(button);

    SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Abc"));
    wchar_t buffer[16]{};
    GetWindowTextW(hwnd, buffer, 16);
    EXPECT_STREQ(buffer, L"Abc");
    EXPECT_EQ(button->Caption(), L"Abc");
    EXPECT_GE(spy.Count(WM_SETTEXT), 1);

    form->Show();
    SendMessageW(hwnd, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(spy.Count(CN_COMMAND), 1);
    EXPECT_EQ(HIWORD(spy.Last(CN_COMMAND)->WParam), BN_CLICKED);
}

TEST_F(MessageChain, PropertyChangesSendTheirComponentMessagesOnce)
{
    TForm* form = NewForm();
    auto* button = new TButton(form);
    button->SetParent(form);
    form->Show();
    HWND hwnd = button->Handle();
    MessageSpy spy(button);

    button->SetEnabled(false);
    button->SetEnabled(false);
    EXPECT_EQ(spy.Count(CM_ENABLEDCHANGED), 1);
    EXPECT_FALSE(IsWindowEnabled(hwnd));

    button->SetColor(clYellow);
    EXPECT_EQ(spy.Count(CM_COLORCHANGED), 1);

    button->SetCaption(L"Go");
    button->SetCaption(L"Go");
    EXPECT_EQ(spy.Count(CM_TEXTCHANGED), 1);

    button->Font()->SetName(L"Courier New");
    EXPECT_EQ(spy.Count(CM_FONTCHANGED), 1);
    EXPECT_FALSE(button->ParentFont());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), button->Font()->Handle());

    button->SetVisible(false);
    ASSERT_EQ(spy.Count(CM_VISIBLECHANGED), 1);
    EXPECT_EQ(spy.Last(CM_VISIBLECHANGED)->WParam, 0u);
    EXPECT_EQ(spy.Count(CM_SHOWINGCHANGED), 1);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(button->Showing());
}

TEST_F(MessageChain, ParentFontChangeReachesChildrenThatFollowIt)
{
    TForm* form = NewForm();
    auto* follower = new TTestGraphic(form);
    follower->SetParent(form);
    auto* own = new TButton(form);
    own->SetParent(form);
    own->Font()->SetHeight(-30);
    MessageSpy followerSpy(follower);
    MessageSpy ownSpy(own);

    form->Font()->SetHeight(-20);
    EXPECT_EQ(followerSpy.Count(CM_PARENTFONTCHANGED), 1);
    EXPECT_EQ(ownSpy.Count(CM_PARENTFONTCHANGED), 1);
    EXPECT_EQ(follower->Font()->Height(), -20);
    EXPECT_TRUE(follower->ParentFont());
    EXPECT_EQ(own->Font()->Height(), -30);

    own->SetParentFont(true);
    EXPECT_EQ(own->Font()->Height(), -20);
}

TEST_F(MessageChain, ShowingTheFormShowsItsChildren)
{
    TForm* form = NewForm();
    auto* button = new TButton(form);
    button->SetParent(form);
    int shows = 0;
    form->OnShow = [&](TObject*) { ++shows; };
    MessageSpy spy(button);
    EXPECT_FALSE(button->Showing());

    form->Show();
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(button->Showing());
    EXPECT_EQ(spy.Count(CM_SHOWINGCHANGED), 1);
    EXPECT_TRUE(IsWindowVisible(button->Handle()));
}

TEST_F(MessageChain, NotificationsAreReflectedToTheChild)
{
    TForm* form = NewForm();
    auto* edit = new TTestEdit(form);
    edit->SetParent(form);
    edit->SetColor(clYellow);
    edit->Font()->SetColor(clBlue);
    MessageSpy spy(edit);
    HDC dc = GetDC(edit->Handle());

    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(form->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit->Handle())));
    EXPECT_EQ(spy.Count(CN_CTLCOLOREDIT), 1);
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectW(brush, sizeof(lb), &lb));
    EXPECT_EQ(lb.lbColor, RGB(255, 255, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 0));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
    ReleaseDC(edit->Handle(), dc);

    // A notification from a window that is not one of ours stays with the parent.
    HWND foreign = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, form->Handle(), nullptr, nullptr, nullptr);
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(foreign));
    EXPECT_EQ(spy.Count(CN_COMMAND), 0);
    DestroyWindow(foreign);
}

TEST_F(MessageChain, MouseEnterAndLeaveOfAWindowedControl)
{
    TForm* form = NewForm();
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetBounds(20, 20, 80, 30);
    form->Show();
    MessageSpy formSpy(form);
    int enters = 0, leaves = 0;
    button->OnMouseEnter = [&](TObject*) { ++enters; };
    button->OnMouseLeave = [&](TObject*) { ++leaves; };

    const TPoint center = button->ClientToScreen(TPoint(40, 15));
    SetCursorPos(center.X, center.Y);
    SendMessageW(button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(40, 15));
    EXPECT_EQ(enters, 1);
    EXPECT_TRUE(button->MouseInControl());
    ASSERT_NE(formSpy.Last(CM_MOUSEENTER), nullptr);
    EXPECT_EQ(formSpy.Last(CM_MOUSEENTER)->LParam, reinterpret_cast<LPARAM>(button));

    SetCursorPos(1270, 1010);
    EXPECT_TRUE(PumpUntil([&] { return leaves == 1; }));
    EXPECT_FALSE(button->MouseInControl());
}

TEST_F(MessageChain, WindowlessChildGetsMouseMessagesInItsOwnCoordinates)
{
    TForm* form = NewForm();
    auto* shape = new TTestGraphic(form);
    shape->SetParent(form);
    shape->SetBounds(30, 40, 20, 20);
    form->Show();
    int enters = 0, leaves = 0, clicks = 0;
    TPoint down;
    shape->OnMouseEnter = [&](TObject*) { ++enters; };
    shape->OnMouseLeave = [&](TObject*) { ++leaves; };
    shape->OnClick = [&](TObject*) { ++clicks; };
    shape->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { down = TPoint(x, y); };
    HWND hwnd = form->Handle();

    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(35, 45));
    EXPECT_EQ(enters, 1);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(35, 45));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(36, 46));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(down, TPoint(5, 5));
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(leaves, 1);
    // Released outside: no click.
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(35, 45));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));
    EXPECT_EQ(clicks, 1);
}

TEST_F(MessageChain, PaintWithADcInWParamPaintsIntoThatDc)
{
    TForm* form = NewForm();
    auto* panel = new TTestCustom(form);
    panel->SetParent(form);
    auto* inner = new TTestGraphic(form);
    inner->SetParent(panel);
    inner->SetBounds(10, 10, 20, 20);
    MemorySurface surface(64, 64);

    SendMessageW(panel->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
    EXPECT_EQ(surface.Pixel(2, 2), RGB(0, 0, 255));
    EXPECT_EQ(surface.Pixel(15, 15), RGB(255, 0, 0));
    EXPECT_EQ(surface.Pixel(31, 31), RGB(0, 0, 255)) << "the child is clipped to its bounds";

    MemorySurface small(8, 8);
    inner->paintColor = clLime;
    inner->Perform(WM_PAINT, reinterpret_cast<WPARAM>(small.DC()), 0);
    EXPECT_EQ(small.Pixel(0, 0), RGB(0, 255, 0));
}

namespace {
WNDPROC outerPrevious = nullptr;
int outerSeen = 0;
LRESULT CALLBACK OuterSubclass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SETTEXT) ++outerSeen;
    return CallWindowProcW(outerPrevious, window, msg, wParam, lParam);
}
} // namespace

TEST_F(MessageChain, AForeignSubclassOnTopOfTheWindowStillReachesTheControl)
{
    TForm* form = NewForm();
    auto* edit = new TTestEdit(form);
    edit->SetParent(form);
    HWND hwnd = edit->Handle();
    MessageSpy spy(edit);
    outerSeen = 0;
    outerPrevious = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterSubclass)));

    SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"via the outer procedure"));
    EXPECT_EQ(outerSeen, 1);
    EXPECT_EQ(spy.Count(WM_SETTEXT), 1);
    EXPECT_EQ(edit->Text(), L"via the outer procedure");

    // Perform goes through WindowProc only, as the framework's does.
    edit->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"direct"));
    EXPECT_EQ(outerSeen, 1);
    EXPECT_EQ(edit->Text(), L"direct");
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(outerPrevious));
}

namespace {
// A message method with a log, for window procedures bound to an object.
class InstanceTarget : public TObject {
public:
    void Handle(TMessage& message)
    {
        log.push_back(message);
        if (message.Msg == WM_USER + 1) throw Exception(L"raised inside a window procedure");
        if (message.Msg == WM_USER + 2 && instance) {
            FreeObjectInstance(instance); // freed from inside its own call
            instance = nullptr;
        }
        message.Result = static_cast<LRESULT>(message.LParam) + 1;
    }
    std::vector<TMessage> log;
    WNDPROC instance = nullptr;
};
} // namespace

TEST_F(MessageChain, ObjectInstanceIsAWindowProcedureOfItsObjectsMethod)
{
    InstanceTarget a;
    InstanceTarget b;
    WNDPROC pa = MakeObjectInstance(TWndMethod(&a, &InstanceTarget::Handle));
    WNDPROC pb = MakeObjectInstance(TWndMethod(&b, &InstanceTarget::Handle));
    ASSERT_NE(pa, nullptr);
    ASSERT_NE(pa, pb);
    EXPECT_EQ(MakeObjectInstance(TWndMethod()), nullptr);

    // Called directly and through the window system with full-width parameters.
    const LPARAM wide = static_cast<LPARAM>(0x0000123456789ABCll);
    EXPECT_EQ(CallWindowProcW(pa, nullptr, WM_USER, 7, wide), wide + 1);
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const auto old = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pb)));
    EXPECT_EQ(SendMessageW(window, WM_USER + 3, WPARAM{0xFEDCBA9876543210ull}, 41), 42);
    ASSERT_FALSE(b.log.empty());
    EXPECT_EQ(b.log.back().WParam, WPARAM{0xFEDCBA9876543210ull});
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    DestroyWindow(window);
    ASSERT_EQ(a.log.size(), 1u);
    EXPECT_EQ(a.log[0].WParam, 7u);

    // An exception of the method is answered 0 and does not leave the window procedure.
    EXPECT_EQ(CallWindowProcW(pa, nullptr, WM_USER + 1, 0, 5), 0);
    EXPECT_EQ(a.log.size(), 2u);

    // A method may free its own instance while it runs; the slot is then reused.
    b.instance = pb;
    EXPECT_EQ(CallWindowProcW(pb, nullptr, WM_USER + 2, 0, 1), 2);
    EXPECT_EQ(b.instance, nullptr);
    WNDPROC again = MakeObjectInstance(TWndMethod(&b, &InstanceTarget::Handle));
    EXPECT_EQ(again, pb);
    FreeObjectInstance(again);
    FreeObjectInstance(pa);
    FreeObjectInstance(nullptr);
}

TEST_F(MessageChain, ManyObjectInstancesStayDistinct)
{
    std::vector<std::unique_ptr<InstanceTarget>> targets;
    std::vector<WNDPROC> procs;
    for (int i = 0; i < 300; ++i) { // several pages of instances
        targets.push_back(std::make_unique<InstanceTarget>());
        procs.push_back(MakeObjectInstance(TWndMethod(targets.back().get(), &InstanceTarget::Handle)));
    }
    for (int i = 0; i < 300; ++i) EXPECT_EQ(CallWindowProcW(procs[static_cast<size_t>(i)], nullptr, WM_USER, 0, i), i + 1);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(targets[static_cast<size_t>(i)]->log.size(), 1u) << i;
    for (WNDPROC p : procs) FreeObjectInstance(p);
}
