// The hints manager and the hint windows' placing: taking over the application's hints, the
// corner table against the monitor, placing against a control, the show timer's glide and
// cross-fade tick by tick, the hide, follow and check timers, and the hover end to end.
#include "skin_editors_test_hints.h"

#include "FormReader.h"
#include "FormWriter.h"
#include "sCommonData.h"
#include "sVclUtils.h"

namespace {

const char* CornerName(TacMousePosition p)
{
    const char* names[] = {"mpLeftTop", "mpLeftBottom", "mpRightTop", "mpRightBottom"};
    return names[p];
}

TEST_F(HintsTest, PlacingTheManagerInstallsItsWindowAndEventAndDestroyingRestoresBoth)
{
    EXPECT_EQ(HintWindowClass, &PlainHintWindow);
    TsAlphaHints& m = MakeHints();
    EXPECT_EQ(Manager, &m);
    ASSERT_NE(HintWindowClass, &PlainHintWindow);
    std::unique_ptr<THintWindow> made(HintWindowClass(nullptr));
    EXPECT_NE(dynamic_cast<TacPngHintWindow*>(made.get()), nullptr);
    made.reset();
    EXPECT_TRUE(static_cast<bool>(Application->OnShowHint));
    EXPECT_EQ(Application->HintHidePause(), 5000) << "PauseHide";
    m.SetPauseHide(1234);
    EXPECT_EQ(Application->HintHidePause(), 1234);

    // Template names are matched ignoring case; an unknown one falls back to the default.
    m.Templates()->Add()->SetName(L"Blue");
    m.Templates()->Add()->SetName(L"Glass");
    m.SetTemplateName(L"glass");
    EXPECT_EQ(m.TemplateIndex, 1);
    m.SetTemplateName(L"none such");
    EXPECT_EQ(m.TemplateIndex, -1);
    m.InitTemplate();
    EXPECT_EQ(CurrentHintTemplate, DefaultHintTemplate.get());
    EXPECT_EQ(CurrentHintImage, DefaultHintTemplate->ImageDefault());

    // Switched off it gives the window class back; on again takes it.
    m.SetActive(false);
    EXPECT_EQ(Manager, nullptr);
    EXPECT_EQ(HintWindowClass, &PlainHintWindow);
    m.SetActive(true);
    EXPECT_EQ(Manager, &m);

    hints.reset();
    EXPECT_EQ(Manager, nullptr);
    EXPECT_EQ(HintWindowClass, &PlainHintWindow);
    EXPECT_FALSE(static_cast<bool>(Application->OnShowHint));
}

// A manager read from a form definition takes over when loaded; Assign copies its settings.
TEST_F(HintsTest, AManagerFromAFormDefinitionTakesOverWhenLoadedAndAssignCopiesItsSettings)
{
    TsAlphaHints source(nullptr);
    source.SetAutoAlignment(true);
    source.SetAnimated(false);
    source.SetMaxWidth(200);
    source.SetPauseHide(3000);
    source.SetTextAlignment(taLeftJustify);
    source.SetSkinSection(L"MYHINT");
    source.SetUseSkinData(true);
    source.SetHTMLMode(true);
    source.Templates()->Add()->SetName(L"Round");
    source.SetTemplateName(L"round");
    source.DefaultMousePos = mpRightTop;
    const UnicodeString text = WriteComponentToText(&source);
    EXPECT_EQ(text.find(L"Active"), UnicodeString::npos) << "defaults are not written";
    EXPECT_EQ(Manager, nullptr) << "made in code without AfterConstruction: not placed";

    TsAlphaHints read(nullptr);
    ReadComponentFromText(&read, text);
    EXPECT_EQ(Manager, &read) << "Loaded took over";
    EXPECT_EQ(Application->HintHidePause(), 3000);
    EXPECT_TRUE(read.AutoAlignment());
    EXPECT_FALSE(read.Animated());
    EXPECT_EQ(read.MaxWidth(), 200);
    EXPECT_EQ(read.TextAlignment(), taLeftJustify);
    EXPECT_EQ(read.SkinSection(), L"MYHINT");
    EXPECT_EQ(read.TemplateIndex, 0);

    TsAlphaHints copy(nullptr);
    copy.Assign(&source);
    EXPECT_EQ(copy.Templates()->Count(), 1);
    EXPECT_EQ(copy.TemplateIndex, 0);
    EXPECT_TRUE(copy.AutoAlignment());
    EXPECT_FALSE(copy.Animated());
    EXPECT_EQ(copy.DefaultMousePos, mpRightTop);
    EXPECT_TRUE(copy.HTMLMode());
    EXPECT_EQ(copy.PauseHide(), 3000);
    EXPECT_EQ(copy.SkinSection(), L"MYHINT");
    EXPECT_TRUE(copy.UseSkinData());
    EXPECT_EQ(copy.MaxWidth(), 120) << "not copied";
}

// The corner of a 100 x 40 body placed at P on the 1280 x 1024 screen, for the three kinds of
// picture; rectangles are of the body (the window less its shadow bands).
TEST_F(HintsTest, GetArrowPosKeepsTheBodyOnTheMonitorAndTurnsTheCorner)
{
    TsAlphaHints& m = MakeHints();
    RECT screen{};
    GetWindowRect(GetDesktopWindow(), &screen);
    ASSERT_EQ(screen.right, 1280);
    ASSERT_EQ(screen.bottom, 1024);
    // A template with a picture for every corner (not single-image) and no shadow bands.
    TacHintTemplate* corners = m.Templates()->Add();
    corners->SetName(L"corners");
    auto pic = CreateBmp32(9, 9);
    for (TacHintImage* img : {corners->ImageDefault(), corners->Img_LeftBottom(), corners->Img_RightBottom(),
                              corners->Img_RightTop()})
        img->SetImage(pic.get());
    enum Kind { Corners, SingleImage, Skin };
    struct Case {
        const char* what;
        Kind kind;
        TPoint p;
        TacMousePosition start;
        TRect body;
        TacMousePosition corner;
    };
    const Case cases[] = {
        {"passes the bottom: above the point", Corners, {200, 1000}, mpLeftTop, {200, 960, 300, 1000}, mpLeftBottom},
        {"passes the bottom: flush (single image)", SingleImage, {200, 1010}, mpLeftTop, {200, 984, 300, 1024},
         mpLeftBottom},
        {"passes the bottom: flush (skin)", Skin, {200, 1010}, mpLeftTop, {200, 984, 300, 1024}, mpLeftBottom},
        {"passes the right: left of the point", Corners, {1250, 100}, mpLeftTop, {1150, 100, 1250, 140}, mpRightTop},
        {"passes the right: flush (single image)", SingleImage, {1250, 100}, mpLeftTop, {1180, 100, 1280, 140},
         mpRightTop},
        {"passes the right: flush (skin)", Skin, {1250, 100}, mpLeftTop, {1180, 100, 1280, 140}, mpRightTop},
        {"passes the top and the left", Corners, {50, 20}, mpRightBottom, {0, 0, 100, 40}, mpLeftTop},
        {"fits: the corner stays", Corners, {400, 300}, mpRightBottom, {300, 260, 400, 300}, mpRightBottom},
        {"both edges at once", Corners, {1250, 1000}, mpLeftTop, {1150, 960, 1250, 1000}, mpRightBottom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.kind == Skin && !skin) UseHouseSkin();
        m.SetUseSkinData(c.kind == Skin);
        m.SetTemplateName(c.kind == Corners ? L"corners" : L"");
        m.InitTemplate();
        m.DefaultMousePos = c.start;
        TacPngHintWindow w(nullptr);
        w.SkinIndex = c.kind == Skin ? m.GetSkinIndex() : -1;
        ASSERT_EQ(w.SkinIndex >= 0, c.kind == Skin);
        const TRect s = w.ShadowSizes();
        if (c.kind == Skin) {
            EXPECT_GT(s.Left, 0) << "the skin's shadow bands";
        }
        TRect r(c.p.X - s.Left, c.p.Y - s.Top, c.p.X + 100 + s.Right, c.p.Y + 40 + s.Bottom);
        const TacMousePosition corner = w.GetArrowPos(r, c.p);
        EXPECT_STREQ(CornerName(corner), CornerName(c.corner));
        EXPECT_EQ(TRect(r.Left + s.Left, r.Top + s.Top, r.Right - s.Right, r.Bottom - s.Bottom), c.body);
    }
}

TEST_F(HintsTest, AutoAlignmentPutsTheBottomRightCornerOnTheControlsTopEdge)
{
    TsAlphaHints& m = MakeHints();
    TacHintTemplate* t = m.Templates()->Add();
    t->SetName(L"aligned");
    t->SetHintAlign(haHorzCenter);
    auto pic = CreateBmp32(9, 9);
    for (TacHintImage* img : {t->ImageDefault(), t->Img_LeftBottom(), t->Img_RightBottom(), t->Img_RightTop()})
        img->SetImage(pic.get());
    TacHintImage* rb = t->Img_RightBottom();
    rb->ShadowSizes()->SetValues(2, 3, 5, 7);
    rb->SetOffsetHorz(4);
    rb->SetOffsetVert(-6);
    m.SetTemplateName(L"aligned");
    m.SetAutoAlignment(true);
    m.DefaultMousePos = mpRightBottom;

    // The application's hint event places the hint and writes the place back.
    UnicodeString text = L"Panel hint";
    bool canShow = true;
    THintInfo info;
    info.HintControl = ctrl;
    info.HintPos = TPoint(1, 1);
    Application->OnShowHint(text, canShow, info);
    EXPECT_EQ(CurrentHintImage, rb);
    RECT r{};
    GetWindowRect(ctrl->Handle(), &r);
    const TPoint expected((r.left + r.right) / 2 - 5 + 4, r.top - 7 - 6);
    EXPECT_EQ(info.HintPos, expected);
    EXPECT_EQ(m.FHintLocation, expected);
    EXPECT_TRUE(canShow);
}

// A control that goes while the manager remembers it is forgotten everywhere.
TEST_F(HintsTest, AControlThatIsDestroyedIsForgottenByTheManager)
{
    TsAlphaHints& m = MakeHints();
    UnicodeString text = L"Panel hint";
    bool canShow = true;
    THintInfo info;
    info.HintControl = ctrl;
    Application->OnShowHint(text, canShow, info);
    m.SetHintTimeCtrl(ctrl);
    m.SetHintTimeCtrl(nullptr);
    m.SetHintTimeCtrl(ctrl);
    TacShowHintData data;
    data.Control = ctrl;
    data.Width = 40;
    data.Height = 20;
    m.SetAnimated(false);
    m.ShowHint(data, 0);
    EXPECT_EQ(m.TmpShowData.Width, 0) << "the record served that hint only";
    EXPECT_EQ(m.NewBounds.Width(), 40 + 27);
    m.CurrentHintInfo.HintControl = ctrl;
    delete ctrl;
    ctrl = nullptr;
    EXPECT_EQ(m.CurrentHintInfo.HintControl, nullptr);
    EXPECT_EQ(m.HintTimeCtrl, nullptr);
    EXPECT_EQ(Application->HintControl(), nullptr);
}

// Two hints in a row, tick by tick: the second glides from the first's place a fifth of the
// remaining way per tick while the pictures cross-fade, in at most 20 steps.
TEST_F(HintsTest, TheSecondHintGlidesAFifthOfTheWayPerTickAndEndsAtItsBounds)
{
    TsAlphaHints& m = MakeHints();
    TacPngHintWindow w(nullptr);
    const auto show = [&](const TPoint& at) {
        const TRect size = w.CalcHintRect(200, L"Hint text");
        TRect r = size;
        r.Offset(at.X, at.Y);
        w.ActivateHint(r, L"Hint text");
        ASSERT_NE(m.ShowTimer, nullptr);
        EXPECT_EQ(m.ShowTimer->Interval(), 12u);
    };
    const auto runToEnd = [&] {
        int ticks = 0;
        while (m.ShowTimer && m.ShowTimer->Enabled() && ticks < 100) {
            m.ShowTimer->IntOnTimer(nullptr);
            ++ticks;
        }
        return ticks;
    };
    show(TPoint(100, 100));
    EXPECT_EQ(Application->HintPause(), 100) << "while animating";
    EXPECT_EQ(m.FOldHintPause, 500);
    const int first = runToEnd();
    EXPECT_LE(first, 21);
    const RECT firstPlace = WindowRect(m.AnimWindow->Handle());
    EXPECT_EQ(TRect(firstPlace), m.NewBounds);

    show(TPoint(400, 300));
    TsShowTimer& timer = *m.ShowTimer;
    EXPECT_EQ(timer.SrcRect, TRect(firstPlace));
    const TRect target = m.NewBounds;
    double x = firstPlace.left, y = firstPlace.top;
    int steps = 0;
    HintLayeredCalls().clear();
    while (timer.Enabled() && steps < 100) {
        const double dx = (target.Left - x) / 5.0, dy = (target.Top - y) / 5.0;
        timer.IntOnTimer(nullptr);
        ++steps;
        if (!timer.Enabled()) break;
        x += dx;
        y += dy;
        const RECT now = WindowRect(m.AnimWindow->Handle());
        EXPECT_EQ(now.left, static_cast<int>(std::lrint(x))) << "tick " << steps;
        EXPECT_EQ(now.top, static_cast<int>(std::lrint(y))) << "tick " << steps;
        // The old picture fades out in the animation window, the new one in behind it.
        const HintLayeredCall* old = LastCall(m.AnimWindow->Handle());
        const HintLayeredCall* fresh = LastCall(m.NewWindow->Handle());
        ASSERT_TRUE(old && fresh);
        EXPECT_EQ(old->Alpha + fresh->Alpha, 255);
        EXPECT_EQ(fresh->Alpha, static_cast<int>(std::lrint(m.Blend)));
        EXPECT_EQ(GetWindow(m.AnimWindow->Handle(), GW_HWNDNEXT), m.NewWindow->Handle());
    }
    EXPECT_LE(steps, 21) << "the cross-fade ends within 20 steps";
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(m.NewWindow, nullptr);
    EXPECT_EQ(TRect(WindowRect(m.AnimWindow->Handle())), target);
    const HintLayeredCall* last = LastCall(m.AnimWindow->Handle());
    ASSERT_TRUE(last);
    EXPECT_EQ(last->Alpha, 255);
    EXPECT_EQ(w.AlphaBmp, nullptr) << "the picture went to the cache";
    ASSERT_NE(m.FCacheBmp, nullptr);
    EXPECT_EQ(m.FCacheBmp->Width(), target.Width());
    EXPECT_EQ(m.Blend, 0);
}

TEST_F(HintsTest, NotAnimatedShowsAtOnceAtFullOrSkinAlpha)
{
    TsAlphaHints& m = MakeHints();
    m.SetAnimated(false);
    TacPngHintWindow w(nullptr);
    const auto showAndAlpha = [&] {
        HintLayeredCalls().clear();
        TRect r = w.CalcHintRect(200, L"Hint text");
        r.Offset(150, 150);
        w.ActivateHint(r, L"Hint text");
        EXPECT_EQ(m.ShowTimer, nullptr);
        EXPECT_EQ(TRect(WindowRect(m.AnimWindow->Handle())), m.NewBounds);
        const HintLayeredCall* call = LastCall(m.AnimWindow->Handle());
        return call ? call->Alpha : -1;
    };
    EXPECT_EQ(showAndAlpha(), 255) << "template";
    UseHouseSkin();
    HintSectionData().OuterMode = 0; // a plain body with the skin's transparency
    EXPECT_EQ(showAndAlpha(), 255 - MulDiv(house_skin::kHintTransparency, 255, 100)) << "skin";
}

// The platform destroys the window: its picture stays in the cache, the check timer starts, and
// its tick drops the cache and gives the hint pause back when no hint followed.
TEST_F(HintsTest, ADestroyedWindowLeavesItsPictureToTheCheckTimer)
{
    TsAlphaHints& m = MakeHints();
    m.SetAnimated(false);
    auto* w = new TacPngHintWindow(nullptr);
    TRect r = w->CalcHintRect(200, L"Hint text");
    r.Offset(150, 150);
    w->ActivateHint(r, L"Hint text");
    ASSERT_NE(m.FCacheBmp, nullptr);
    const int width = m.FCacheBmp->Width();
    int hidden = 0;
    m.OnHideHint = [&](TObject*) { ++hidden; };
    Application->SetHintPause(100);
    m.FOldHintPause = 700;

    DestroyWindow(w->Handle());
    EXPECT_EQ(hidden, 1);
    EXPECT_FALSE(m.HintShowing);
    ASSERT_NE(m.FCacheBmp, nullptr);
    EXPECT_EQ(m.FCacheBmp->Width(), width);
    ASSERT_NE(m.CheckTimer, nullptr);
    EXPECT_TRUE(m.CheckTimer->Enabled());
    EXPECT_EQ(m.CheckTimer->Interval(), static_cast<unsigned>(Application->HintShortPause() + 300));
    EXPECT_EQ(m.AnimWindow, nullptr) << "the shown picture went with the window";

    m.OnCheckTimer(nullptr);
    EXPECT_EQ(m.FCacheBmp, nullptr);
    EXPECT_EQ(Application->HintPause(), 700);
    EXPECT_EQ(m.FOldHintPause, 0);
    EXPECT_FALSE(m.CheckTimer->Enabled());
    delete w;
}

TEST_F(HintsTest, HideTimeZeroFollowsTheMouseAndAHideTimeHides)
{
    TsAlphaHints& m = MakeHints();
    m.SetAnimated(false);
    const TPoint inside = ctrl->ClientToScreen(TPoint(10, 10));
    SetCursorPos(inside.X, inside.Y);
    m.ShowHint(ctrl, L"Panel hint", 0);
    ASSERT_NE(m.HintWindow, nullptr);
    EXPECT_EQ(m.HintTimeCtrl, ctrl);
    ASSERT_NE(m.HideTimer, nullptr);
    EXPECT_EQ(m.HideTimer->Interval(), 300u);
    EXPECT_TRUE(m.HideTimer->Enabled());
    m.OnCtrlTimer(nullptr);
    EXPECT_NE(m.HintWindow, nullptr) << "the mouse is still over the control";

    SetCursorPos(form->Left() + form->Width() + 30, form->Top());
    m.OnCtrlTimer(nullptr);
    EXPECT_EQ(m.HintWindow, nullptr);
    EXPECT_EQ(m.HintTimeCtrl, nullptr);
    EXPECT_FALSE(m.HideTimer->Enabled());

    // With a hide time the hint goes on that timer's tick, wherever the mouse is.
    m.ShowHint(ctrl, L"Panel hint", 800);
    ASSERT_NE(m.HintWindow, nullptr);
    EXPECT_EQ(m.HideTimer->Interval(), 800u);
    m.OnHideTimer(nullptr);
    EXPECT_EQ(m.HintWindow, nullptr);
    EXPECT_FALSE(m.HideTimer->Enabled());
}

TEST_F(HintsTest, RepaintHintKeepsTheWindowInsideTheMonitor)
{
    TsAlphaHints& m = MakeHints();
    m.SetAnimated(false);
    m.ShowHint(TPoint(200, 200), L"A hint that is repainted", 0);
    ASSERT_NE(m.HintWindow, nullptr);
    m.FHintPos = TPoint(1275, 1020); // the mouse near the bottom right corner
    m.RepaintHint();
    const TRect s = m.HintWindow->ShadowSizes();
    const TRect b = m.NewBounds;
    EXPECT_LE(b.Right - s.Right, 1280);
    EXPECT_LE(b.Bottom - s.Bottom, 1024);
    EXPECT_EQ(m.HintWindow->FMousePos, mpRightBottom) << "turned toward the point";
    EXPECT_EQ(TRect(WindowRect(m.HintWindow->Handle())), b);
    const HintLayeredCall* call = LastCall(m.AnimWindow->Handle());
    ASSERT_TRUE(call);
    EXPECT_EQ(call->Alpha, 255);
}

TEST_F(HintsTest, AcShowHintWndGoesThroughTheManagerWhichKeepsTheWindow)
{
    TsAlphaHints& m = MakeHints();
    m.SetAnimated(false);
    std::unique_ptr<THintWindow> wnd = acShowHintWnd(L"Through the manager", TPoint(300, 250));
    EXPECT_EQ(wnd, nullptr);
    ASSERT_NE(m.HintWindow, nullptr);
    EXPECT_EQ(m.HintWindow->Text, L"Through the manager");
    EXPECT_EQ(m.HideTimer->Interval(), static_cast<unsigned>(Application->HintHidePause()));
    const TRect s = m.HintWindow->ShadowSizes();
    EXPECT_EQ(TPoint(m.NewBounds.Left + s.Left, m.NewBounds.Top + s.Top), TPoint(300, 250));
    acHideHintWnd(wnd);
    EXPECT_EQ(m.HintWindow, nullptr);
}

// A disabled child gets no mouse messages: its skinned parent shows the child's hint.
TEST_F(HintsTest, MouseMoveOverADisabledChildShowsItsHintThroughTheManager)
{
    TsAlphaHints& m = MakeHints();
    m.SetAnimated(false);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(200, 120, 150, 100);
    auto* child = new TPanel(panel);
    child->SetParent(panel);
    child->SetBounds(10, 10, 60, 30);
    child->SetEnabled(false);
    child->SetShowHint(true);
    child->SetHint(L"Disabled child");
    panel->SetHint(L"Panel itself");
    panel->SetShowHint(true);
    TsCtrlSkinData data(panel, false);
    const auto moveTo = [&](int x, int y) {
        const TPoint p = panel->ClientToScreen(TPoint(x, y));
        SetCursorPos(p.X, p.Y);
        TMessage msg{WM_MOUSEMOVE, 0, MAKELPARAM(x, y), 0};
        return CommonWndProc(msg, &data);
    };
    EXPECT_TRUE(moveTo(20, 20));
    ASSERT_NE(m.HintWindow, nullptr);
    EXPECT_EQ(m.HintWindow->Text, L"Disabled child");
    EXPECT_EQ(m.HintTimeCtrl, child);
    EXPECT_FALSE(moveTo(25, 22)) << "already the shown one";
    // Off the child: the owner's own hint replaces it.
    EXPECT_FALSE(moveTo(120, 80));
    ASSERT_NE(m.HintWindow, nullptr);
    EXPECT_EQ(m.HintWindow->Text, L"Panel itself");
    // Without a hint of the owner the child's hint is hidden.
    panel->SetHint(L"");
    EXPECT_TRUE(moveTo(20, 20));
    EXPECT_FALSE(moveTo(120, 80));
    EXPECT_EQ(m.HintWindow, nullptr);
}

// Hovering a control with a hint shows a TacPngHintWindow through the application's hint
// machinery; without a manager the plain window appears.
TEST_F(HintsTest, HoveringAControlShowsTheManagersWindowOrThePlainOne)
{
    Application->SetHintPause(1);
    const auto hover = [&] {
        Application->CancelHint();
        SetCursorPos(form->Left() + form->Width() + 40, form->Top());
        Application->ProcessMessages();
        const TPoint at = ctrl->ClientToScreen(TPoint(30, 20));
        SetCursorPos(at.X, at.Y);
        return PumpUntil([] {
            THintWindow* w = Application->HintWindow();
            return w && w->HandleAllocated() && IsWindowVisible(w->Handle()) && Application->HintActive();
        });
    };
    ASSERT_TRUE(hover());
    EXPECT_EQ(Application->HintWindow()->ClassName(), L"THintWindow");
    EXPECT_EQ(Application->HintWindow()->Caption(), L"Panel hint");

    TsAlphaHints& m = MakeHints();
    m.SetAnimated(false);
    ASSERT_TRUE(hover());
    auto* w = dynamic_cast<TacPngHintWindow*>(Application->HintWindow());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Text, L"Panel hint");
    EXPECT_EQ(m.CurrentHintInfo.HintControl, ctrl);
    EXPECT_TRUE(m.HintShowing);
    ASSERT_NE(m.AnimWindow, nullptr);
    const HintLayeredCall* call = LastCall(m.AnimWindow->Handle());
    ASSERT_TRUE(call && call->Image);
    EXPECT_EQ(call->Size.cx, m.NewBounds.Width());
    EXPECT_TRUE(GetWindowLongPtrW(w->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
}

} // namespace
