// The pop-up controller: placement inside the work area, the hooks it installs once, the
// closing rules (clicks on the owner, Escape, the periodic check, OnClose, ClosingForbidden),
// counting and closing all pop-ups, releasing handlers, and the owner or the unit going away.
#include "skin_editors_test_popup.h"

#include <string>

namespace {

struct PlacementCase {
    const char* Name;
    // The owner's screen rectangle (left, top relative to the work area's left/top when
    // nonnegative, to its right/bottom when negative), or the screen point for point pop-ups.
    int X, Y;
    int FormWidth, FormHeight;
    bool Bordered = false;
    bool RightToLeft = false;
    bool AtPoint = false;
    // Expected bounds, from the work area W, the owner rectangle R (or point P) and the form.
    std::function<TRect(const TRect& W, const TRect& R, int width, int height)> Expected;
    int Direction = 0;
};

} // namespace

TEST_F(PopupTest, PlacementKeepsThePopupInsideTheWorkAreaAndRecordsTheDirection)
{
    const int fullHeight = acWorkRect(TPoint(0, 0)).Height();
    const std::vector<PlacementCase> cases = {
        {"below", 100, 100, 200, 120, false, false, false,
         [](const TRect&, const TRect& r, int w, int h) { return Bounds(r.Left, r.Bottom, w, h); }, 0},
        {"below, a bordered form loses the caption", 100, 100, 200, 152, true, false, false,
         [](const TRect&, const TRect& r, int w, int) { return Bounds(r.Left, r.Bottom, w, 120); }, 0},
        {"below, right to left", 400, 100, 200, 120, false, true, false,
         [](const TRect&, const TRect& r, int w, int h) { return Bounds(r.Right - w, r.Bottom, w, h); }, 0},
        {"above", 100, -40, 200, 120, false, false, false,
         [](const TRect&, const TRect& r, int w, int h) { return Bounds(r.Left, r.Top - 1 - h, w, h); }, 1},
        {"above, top clamped to the work area", 100, 60, 200, fullHeight - 40, false, false, false,
         [](const TRect& wa, const TRect& r, int w, int h) { return Bounds(r.Left, wa.Top, w, h); }, 1},
        {"moved left", -50, 100, 200, 120, false, false, false,
         [](const TRect& wa, const TRect& r, int w, int h) { return Bounds(wa.Right - w, r.Bottom, w, h); }, 2},
        {"above and moved left", -50, -40, 200, 120, false, false, false,
         [](const TRect& wa, const TRect& r, int w, int h) { return Bounds(wa.Right - w, r.Top - 1 - h, w, h); }, 3},
        {"at a point", 300, 300, 200, 120, false, false, true,
         [](const TRect&, const TRect& p, int w, int h) { return Bounds(p.Left, p.Top - 2, w, h); }, 0},
        {"at a point, flipped", 300, -50, 200, 120, false, false, true,
         [](const TRect&, const TRect& p, int w, int h) { return Bounds(p.Left, p.Top - 1 - h, w, h); }, 1},
        {"at a point, one pixel inside the right edge", -50, 300, 200, 120, false, false, true,
         [](const TRect& wa, const TRect& p, int w, int h) { return Bounds(wa.Right - 1 - w, p.Top - 2, w, h); }, 2},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRect work = acWorkRect(TPoint(0, 0));
        const int x = c.X >= 0 ? work.Left + c.X : work.Right + c.X;
        const int y = c.Y >= 0 ? work.Top + c.Y : work.Bottom + c.Y;
        TForm* form = NewPopup(c.FormWidth, c.FormHeight);
        if (c.Bordered) form->SetBorderStyle(bsSingle);
        TRect anchor;
        if (c.AtPoint) {
            anchor = Bounds(x, y, 0, 0);
            Controller()->ShowFormPos(form, TPoint(x, y), false);
        } else {
            // The owner fills a borderless form standing at the owner's rectangle.
            auto* holder = NewForm(40, 20);
            holder->SetBorderStyle(bsNone);
            holder->SetBounds(x, y, 40, 20);
            auto* owner = MakeCtrl(holder, 0, 0);
            owner->SetBounds(0, 0, 40, 20);
            owner->SetBiDiMode(c.RightToLeft ? bdRightToLeft : bdLeftToRight);
            holder->Show();
            anchor = Bounds(x, y, 40, 20);
            ShowBelow(form, owner);
        }
        const TRect expected = c.Expected(work, anchor, c.FormWidth, c.FormHeight);
        RECT r{};
        GetWindowRect(form->Handle(), &r);
        EXPECT_EQ(TRect(r), expected);
        EXPECT_EQ(form->BoundsRect(), expected);
        EXPECT_EQ(Controller()->AnimDirection, c.Direction);
        EXPECT_TRUE(Shown(form));
        EXPECT_TRUE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_FALSE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED) << "shown unanimated";
        Controller()->KillAllForms();
    }
}

TEST_F(PopupTest, APopupOfAControlOnAStayOnTopFormStaysOnTopAndNeverTakesTheActivation)
{
    parent->SetFormStyle(fsStayOnTop);
    TForm* form = NewPopup();
    ShowBelow(form);
    EXPECT_EQ(form->FormStyle(), fsStayOnTop);
    EXPECT_EQ(GetActiveWindow(), parent->Handle()) << "shown without activation";
    EXPECT_EQ(SendMessageW(form->Handle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->Handle()),
                           MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
}

TEST_F(PopupTest, ASecondShowOfAnAttachedFormReusesItsHandlerAndHooksOnce)
{
    TForm* form = NewPopup();
    int ownDeactivations = 0;
    form->OnDeactivate = [&](TObject*) { ++ownDeactivations; };
    const TWndMethod formOwn = form->WindowProc;
    const TWndMethod ctrlOwn = ctrl->WindowProc;
    ShowBelow(form);
    TacFormHandler* handler = HandlerOf(form);
    ASSERT_NE(handler, nullptr);
    TacShadowForm* shadow = handler->ShadowForm;
    ASSERT_NE(shadow, nullptr);

    // Forbidden to close, the form stays attached through the second show's hiding.
    Controller()->ClosingForbide(form);
    ShowBelow(form);
    EXPECT_EQ(HandlerOf(form), handler);
    EXPECT_EQ(Controller()->HandlerCount(), 1);
    EXPECT_EQ(handler->ShadowForm, shadow);
    // The chain is shadow, handler, the form's own; the control's is handler, its own.
    EXPECT_EQ(form->WindowProc, TWndMethod(shadow, &TacShadowForm::NewWndProc));
    EXPECT_EQ(shadow->OldWndProc, TWndMethod(handler, &TacFormHandler::DoWndProc));
    EXPECT_EQ(handler->FormWndProc, formOwn);
    EXPECT_EQ(ctrl->WindowProc, TWndMethod(handler, &TacFormHandler::DoCtrlProc));
    EXPECT_EQ(handler->CtrlWndProc, ctrlOwn);
    EXPECT_TRUE(Shown(form));

    // Detached, everything is given back, the form's own OnDeactivate included.
    Controller()->ClosingAllow(form);
    Controller()->KillAllForms();
    EXPECT_EQ(form->WindowProc, formOwn);
    EXPECT_EQ(ctrl->WindowProc, ctrlOwn);
    ASSERT_TRUE(form->OnDeactivate);
    form->OnDeactivate(form);
    EXPECT_EQ(ownDeactivations, 1);
}

TEST_F(PopupTest, ALeftPressOnTheOwnerClosesThePopupBeforeTheOwnerSeesIt)
{
    TForm* form = NewPopup();
    ShowBelow(form);
    ASSERT_TRUE(Shown(form));
    SendMessageW(ctrl->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(ctrl->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(CtrlTrail({WM_LBUTTONDOWN}),
              (std::vector<unsigned>{AC_POPUPCTRLPRESSED, AC_POPUPCLOSED, 0x10000 + WM_LBUTTONDOWN}));
    EXPECT_EQ(spy->Last(SM_ALPHACMD)->LParam, reinterpret_cast<LPARAM>(static_cast<TObject*>(form)));
    EXPECT_FALSE(Shown(form));
    EXPECT_EQ(Controller()->GetFormIndex(form), -1);

    // A second press finds nothing open: it reaches the control alone.
    spy->log.clear();
    SendMessageW(ctrl->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(CtrlTrail({WM_LBUTTONDOWN}), (std::vector<unsigned>{0x10000 + WM_LBUTTONDOWN}));
}

TEST_F(PopupTest, TheFocusLeavingTheOwnerClosesItsPopup)
{
    auto* other = MakeCtrl(parent, 20, 100);
    ctrl->SetFocus();
    ASSERT_TRUE(PumpUntil([this] { return ctrl->Focused(); }));
    TForm* form = NewPopup();
    ShowBelow(form);
    spy->log.clear();
    other->SetFocus();
    ASSERT_TRUE(PumpUntil([other] { return other->Focused(); }));
    EXPECT_FALSE(Shown(form));
    EXPECT_EQ(CtrlTrail({CM_CANCELMODE}), (std::vector<unsigned>{AC_POPUPCLOSED, 0x10000 + CM_CANCELMODE}))
        << "closed first, then the control hears of it";
}

TEST_F(PopupTest, EscapeTypedInTheOwnerNeverReachesItWhileThePopupIsOpen)
{
    ctrl->SetFocus();
    ASSERT_TRUE(PumpUntil([this] { return ctrl->Focused(); }));
    TForm* form = NewPopup();
    ShowBelow(form);
    auto escapes = [this] {
        return spy->log.empty() ? 0
                                : static_cast<int>(std::count_if(spy->log.begin(), spy->log.end(), [](const TMessage& m) {
                                      return m.Msg == CN_KEYDOWN && m.WParam == VK_ESCAPE;
                                  }));
    };
    for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_DOWN}}) {
        PostMessageW(ctrl->Handle(), WM_KEYDOWN, key, 1);
        PostMessageW(ctrl->Handle(), WM_KEYUP, key, 0xC0000001);
    }
    ASSERT_TRUE(PumpUntil([this] { return spy->Count(WM_KEYUP) == 2; }));
    EXPECT_EQ(escapes(), 0);
    EXPECT_EQ(spy->Count(CN_KEYDOWN), 1) << "other keys go on";
    EXPECT_TRUE(Shown(form));

    Controller()->KillAllForms();
    PostMessageW(ctrl->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(PumpUntil([&] { return escapes() == 1; }));
}

TEST_F(PopupTest, TheCheckClosesThePopupOnAForeignCaptureOrAnInactiveApplicationOnly)
{
    TForm* foreign = NewForm(100, 60);
    foreign->SetBounds(600, 400, 100, 60);
    foreign->Show();
    struct CheckCase {
        const char* Name;
        std::function<void(TForm* popup)> Before; // before the show
        std::function<void(TForm* popup)> Arrange; // after the show, before the tick
        bool Closes;
    };
    TForm* child = NewPopup(80, 40);
    const std::vector<CheckCase> cases = {
        {"a foreign window takes the capture", {}, [&](TForm*) { SetCapture(foreign->Handle()); }, true},
        {"a system menu or list is open",
         {},
         [&](TForm*) {
             SetCapture(foreign->Handle());
             SysPopupCount = 1;
         },
         false},
        {"the capture was there at show time", [&](TForm*) { SetCapture(foreign->Handle()); }, {}, false},
        {"the capture lies inside the pop-up",
         {},
         [&](TForm* popup) {
             auto* inner = MakeCtrl(popup, 5, 5);
             SetCapture(inner->Handle());
         },
         false},
        {"the owner holds the capture", {}, [&](TForm*) { SetCapture(ctrl->Handle()); }, false},
        {"a child pop-up is open",
         {},
         [&](TForm* popup) {
             ShowBelow(child, MakeCtrl(popup, 5, 5));
             SetCapture(foreign->Handle());
         },
         false},
        {"the mouse is held", {},
         [&](TForm*) {
             SetCapture(foreign->Handle());
             Controller()->MousePressed = true;
         },
         false},
        {"no capture", {}, [&](TForm*) { ReleaseCapture(); }, false},
        {"the application is not active", {},
         [&](TForm*) { SendMessageW(Application->Handle(), WM_ACTIVATEAPP, FALSE, 0); }, true},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TForm* popup = NewPopup();
        if (c.Before) c.Before(popup);
        ShowBelow(popup);
        if (c.Arrange) c.Arrange(popup);
        TacFormHandler* handler = HandlerOf(popup);
        ASSERT_NE(handler, nullptr);
        handler->DoTimer(nullptr); // one tick
        EXPECT_EQ(!Shown(popup), c.Closes);
        EXPECT_EQ(Controller()->GetFormIndex(popup) < 0, c.Closes);

        ReleaseCapture();
        SysPopupCount = 0;
        Controller()->MousePressed = false;
        SendMessageW(Application->Handle(), WM_ACTIVATEAPP, TRUE, 0);
        Controller()->KillAllForms();
    }
}

TEST_F(PopupTest, OnCloseDecidesTheActionAndCaFreeFreesTheFormOnce)
{
    // caNone keeps the form open but detaches its handler.
    TForm* kept = NewPopup();
    kept->OnClose = [](TObject*, TCloseAction& action) { action = caNone; };
    ShowBelow(kept);
    Controller()->KillAllForms();
    EXPECT_TRUE(Shown(kept));
    EXPECT_EQ(Controller()->GetFormIndex(kept), -1);
    TCloseAction action = caHide;
    ASSERT_TRUE(kept->OnClose);
    kept->OnClose(kept, action);
    EXPECT_EQ(action, caNone) << "the form's own OnClose is back";
    kept->Hide();

    // caFree through the form's Close (closing all) and through the check (the application
    // deactivated): one free each, after the queued messages.
    for (bool throughCheck : {false, true}) {
        SCOPED_TRACE(throughCheck ? "through the check" : "through Close");
        int destroyed = 0;
        auto* form = new TCountedForm(Application, &destroyed);
        form->SetBorderStyle(bsNone);
        form->SetBounds(0, 0, 200, 120);
        int closes = 0;
        form->OnClose = [&](TObject*, TCloseAction& a) {
            ++closes;
            a = caFree;
        };
        ShowBelow(form);
        if (throughCheck) {
            SendMessageW(Application->Handle(), WM_ACTIVATEAPP, FALSE, 0);
            HandlerOf(form)->DoTimer(nullptr);
            SendMessageW(Application->Handle(), WM_ACTIVATEAPP, TRUE, 0);
        } else {
            Controller()->KillAllForms();
        }
        EXPECT_EQ(destroyed, 0) << "freed later, not inside the close";
        ASSERT_TRUE(PumpUntil([&] { return destroyed > 0; }));
        Application->ProcessMessages();
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(closes, 1);
        EXPECT_EQ(Controller()->PopupCount(), 0);
    }
}

TEST_F(PopupTest, ClosingForbiddenHoldsAgainstDeactivationClicksAndClosingAll)
{
    TForm* form = NewPopup();
    int ownDeactivations = 0;
    form->OnDeactivate = [&](TObject*) { ++ownDeactivations; };
    ShowBelow(form);
    Controller()->ClosingForbide(form);
    SendMessageW(form->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageW(ctrl->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(ctrl->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Controller()->KillAllForms();
    EXPECT_TRUE(Shown(form));
    EXPECT_GE(Controller()->GetFormIndex(form), 0);
    EXPECT_EQ(ownDeactivations, 1) << "the form's own OnDeactivate still runs";

    // Allowed again, the deactivation closes it: the form's own handler first.
    Controller()->ClosingAllow(form);
    SendMessageW(form->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(ownDeactivations, 2);
    EXPECT_FALSE(Shown(form));
    EXPECT_EQ(Controller()->GetFormIndex(form), -1);
}

TEST_F(PopupTest, CountsAndClosingAllFollowWhichPopupWasOpenedFromWhere)
{
    // first from the owner on the parent form; second from a control on the first.
    TForm* first = NewPopup();
    auto* onFirst = MakeCtrl(first, 5, 5);
    TForm* second = NewPopup(120, 60, clAqua);
    ShowBelow(first);
    ShowBelow(second, onFirst);
    TsPopupController* c = Controller();
    struct Count {
        const char* Name;
        int Value, Expected;
    };
    const Count counts[] = {
        {"PopupCount()", c->PopupCount(), 2},
        {"PopupCount(first)", c->PopupCount(first), 1},
        {"PopupChildCount(parent)", c->PopupChildCount(parent), 1},
        {"PopupChildCount(first)", c->PopupChildCount(first), 1},
        {"PopupChildCount(second)", c->PopupChildCount(second), 0},
        {"HasChild(parent)", c->HasChild(parent), 1},
        {"HasChild(first)", c->HasChild(first), 1},
        {"HasChild(second)", c->HasChild(second), 0},
        {"GetFormIndex(first)", c->GetFormIndex(first), 0},
        {"GetFormIndex(second)", c->GetFormIndex(second), 1},
        {"GetFormIndex(parent)", c->GetFormIndex(parent), -1},
    };
    for (const Count& count : counts) EXPECT_EQ(count.Value, count.Expected) << count.Name;

    // Sparing the pop-up that owns the control asking.
    c->KillAllForms(onFirst);
    EXPECT_TRUE(Shown(first));
    EXPECT_FALSE(Shown(second));
    EXPECT_EQ(c->PopupCount(), 1);
    EXPECT_EQ(c->HandlerCount(), 2) << "nothing is released while a pop-up stays open";

    // A forbidden one stays and holds back the release; allowed, all handlers go.
    c->ClosingForbide(first);
    c->KillAllForms();
    EXPECT_TRUE(Shown(first));
    EXPECT_EQ(c->HandlerCount(), 2);
    c->ClosingAllow(first);
    c->KillAllForms();
    EXPECT_FALSE(Shown(first));
    EXPECT_EQ(c->HandlerCount(), 0);
    EXPECT_TRUE(c->FormHandlers.empty());
}

TEST_F(PopupTest, AHandlerClosedByAPressIsNotFreedWhileItsControlProcedureRuns)
{
    TForm* form = NewPopup();
    ShowBelow(form);
    // The owner closes all pop-ups on its own press, inside the handler's procedure.
    ctrl->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { Controller()->KillAllForms(); };
    SendMessageW(ctrl->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(ctrl->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(Shown(form));
    EXPECT_EQ(Controller()->HandlerCount(), 1) << "kept until its procedure has returned";
    ctrl->OnMouseDown = nullptr;
    Controller()->KillAllForms();
    EXPECT_EQ(Controller()->HandlerCount(), 0);
}

TEST_F(PopupTest, DestroyingTheOwnerKillsTheShadowAndGivesTheChainsBack)
{
    TForm* form = NewPopup();
    const TWndMethod formOwn = form->WindowProc;
    auto* owner = MakeCtrl(parent, 150, 30);
    ShowBelow(form, owner);
    TacFormHandler* handler = HandlerOf(form);
    ASSERT_NE(handler, nullptr);
    ASSERT_TRUE(handler->ShadowForm && handler->ShadowForm->HandleAllocated());
    HWND shadow = handler->ShadowForm->Handle();
    ASSERT_TRUE(IsWindowVisible(shadow));

    delete owner;
    EXPECT_FALSE(IsWindowVisible(shadow));
    EXPECT_EQ(form->WindowProc, formOwn);
    EXPECT_EQ(Controller()->GetFormIndex(form), -1);
    EXPECT_EQ(Controller()->HandlerCount(), 1);
    Controller()->KillAllForms();
    EXPECT_EQ(Controller()->HandlerCount(), 0) << "the emptied slot's handler goes at the next release";
    EXPECT_TRUE(PumpUntil([shadow] { return !IsWindow(shadow); })) << "the shadow window is released";
}

TEST_F(PopupTest, DestroyingAnOpenPopupLeavesNothingBehind)
{
    int destroyed = 0;
    auto* form = new TCountedForm(Application, &destroyed);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 200, 120);
    const TWndMethod ctrlOwn = ctrl->WindowProc;
    ShowBelow(form);
    delete form;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(ctrl->WindowProc, ctrlOwn);
    EXPECT_EQ(Controller()->PopupCount(), 0);
    SendMessageW(ctrl->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); // reaches nothing gone
    Controller()->KillAllForms();
    EXPECT_EQ(Controller()->HandlerCount(), 0);
}

TEST_F(PopupTest, TheUnitsShutDownFreesTheControllerAndGivesTheChainsBack)
{
    TForm* form = NewPopup();
    const TWndMethod formOwn = form->WindowProc;
    const TWndMethod ctrlOwn = ctrl->WindowProc;
    ShowBelow(form);
    ASSERT_EQ(Controller()->HandlerCount(), 1);
    acPopupControllerFinalization();
    EXPECT_EQ(form->WindowProc, formOwn);
    EXPECT_EQ(ctrl->WindowProc, ctrlOwn);
    acPopupControllerInitialization();
    EXPECT_EQ(Controller()->HandlerCount(), 0) << "a new controller";
    EXPECT_TRUE(Controller()->FormHandlers.empty());
}
