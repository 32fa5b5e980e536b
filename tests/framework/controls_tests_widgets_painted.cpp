// Controls the layer paints itself: panel, shape, image, toggle switch, activity indicator.
#include "controls_tests_widgets_support.h"

#include <set>
#include <tuple>

namespace {

TEST_F(WidgetsTest, ToggleSwitchFiresOnClickForEveryChangeByCodeOrMouse)
{
    TForm* form = ShownForm();
    auto* sw = new TToggleSwitch(form);
    sw->SetParent(form);
    sw->SetBounds(20, 20, 73, 20);
    std::vector<TToggleSwitchState> clicks;
    sw->OnClick = [&](TObject*) { clicks.push_back(sw->State()); };

    // Code: the program switches the server off through the switch and relies on the click.
    sw->SetState(tssOn);
    sw->SetState(tssOn);
    sw->SetState(tssOff);
    EXPECT_EQ(clicks, (std::vector<TToggleSwitchState>{tssOn, tssOff}));

    // Mouse: a click inside toggles once.
    HWND h = sw->Handle();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(sw->State(), tssOn);
    ASSERT_EQ(clicks.size(), 3u);
    // Released outside: no toggle.
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(300, 10));
    EXPECT_EQ(sw->State(), tssOn);
    // The space bar toggles too.
    SendMessageW(h, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(sw->State(), tssOff);
    EXPECT_EQ(clicks.size(), 4u);

    // Disabled: the window takes no input; code still switches it.
    sw->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(h));
    sw->Toggle();
    EXPECT_EQ(clicks.size(), 5u);
}

TEST_F(WidgetsTest, ToggleSwitchPaintsFrameAndThumbInItsColours)
{
    ASSERT_TRUE(TStyleManager::TrySetStyle(L"Slate Classico"));
    TForm* form = ShownForm();
    form->SetColor(clBtnFace);
    auto* sw = new TToggleSwitch(form);
    sw->SetParent(form);
    sw->SetBounds(20, 20, 73, 24);
    sw->SetFrameColor(clRed);
    sw->SetThumbColor(clRed);
    sw->SetShowStateCaption(false);

    auto off = CaptureWindow(sw->Handle());
    SaveCapture(*off, L"toggle-off");
    const POINT o = ClientOffset(sw->Handle());
    const TRect thumb = sw->ThumbRect();
    const TRect track = sw->SwitchRect();
    const int cy = o.y + (thumb.Top + thumb.Bottom) / 2;
    EXPECT_EQ(PixelOf(*off, o.x + (thumb.Left + thumb.Right) / 2, cy), RGB(255, 0, 0)) << "red thumb on the left";
    EXPECT_EQ(PixelOf(*off, o.x + track.Right - 8, cy), StyledColorToGdi(clWindow)) << "empty track on the right";
    const RECT rightEdge{o.x + track.Right - 4, cy, o.x + track.Right, cy + 1};
    EXPECT_GT(CountColor(*off, rightEdge, RGB(255, 0, 0)), 0) << "red frame";
    EXPECT_EQ(PixelOf(*off, o.x + sw->ClientWidth() - 2, o.y + 1), StyledColorToGdi(clBtnFace)) << "parent's face";

    sw->SetState(tssOn);
    auto on = CaptureWindow(sw->Handle());
    SaveCapture(*on, L"toggle-on");
    const TRect thumbOn = sw->ThumbRect();
    EXPECT_GT(thumbOn.Left, thumb.Left);
    EXPECT_EQ(PixelOf(*on, o.x + (thumbOn.Left + thumbOn.Right) / 2, cy), StyledColorToGdi(clHighlightText));
    EXPECT_EQ(PixelOf(*on, o.x + track.Left + 8, cy), RGB(255, 0, 0)) << "filled track";

    sw->SetEnabled(false);
    auto disabled = CaptureWindow(sw->Handle());
    SaveCapture(*disabled, L"toggle-disabled");
    const RECT all{o.x, o.y, o.x + sw->ClientWidth(), o.y + sw->ClientHeight()};
    EXPECT_EQ(CountColor(*disabled, all, RGB(255, 0, 0)), 0) << "greyed when disabled";
    EXPECT_GT(CountColor(*disabled, all, StyledColorToGdi(clGrayText)), 0);
}

TEST_F(WidgetsTest, ActivityIndicatorStepsFramesOnItsTimerAndShowsNothingWhenStopped)
{
    TForm* form = ShownForm();
    form->SetColor(clGray);
    auto* busy = new TActivityIndicator(form);
    busy->SetParent(form);
    busy->SetLeft(30);
    busy->SetTop(30);
    busy->SetIndicatorType(aitRotatingSector);
    busy->SetIndicatorColor(aicWhite);
    busy->SetIndicatorSize(aisLarge);
    EXPECT_EQ(busy->Width(), 48);
    busy->SetWidth(100);
    EXPECT_EQ(busy->Width(), 48) << "the size follows IndicatorSize";
    TTimer* timer = busy->AnimationTimer();
    EXPECT_FALSE(timer->Enabled());

    const POINT o = ClientOffset(busy->Handle());
    const RECT all{o.x, o.y, o.x + 48, o.y + 48};
    auto idle = CaptureWindow(busy->Handle());
    EXPECT_EQ(CountColor(*idle, all, RGB(255, 255, 255)), 0);

    busy->SetAnimate(true);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(busy->FrameIndex(), 0);
    auto first = CaptureWindow(busy->Handle());
    SaveCapture(*first, L"activity-frame0");
    EXPECT_GT(CountColor(*first, all, RGB(255, 255, 255)), 20) << "the lead sector in white";

    // Drive the timer's handler: each tick is one frame, wrapping at the end.
    std::set<int> seen;
    for (int i = 0; i < busy->FrameCount(); ++i) {
        timer->OnTimer(timer);
        seen.insert(busy->FrameIndex());
    }
    EXPECT_EQ(static_cast<int>(seen.size()), busy->FrameCount());
    EXPECT_EQ(busy->FrameIndex(), 0);
    timer->OnTimer(timer);
    timer->OnTimer(timer);
    auto third = CaptureWindow(busy->Handle());
    SaveCapture(*third, L"activity-frame2");
    // The white lead has moved on.
    int moved = 0;
    for (int y = all.top; y < all.bottom; ++y)
        for (int x = all.left; x < all.right; ++x)
            if ((PixelOf(*first, x, y) == RGB(255, 255, 255)) != (PixelOf(*third, x, y) == RGB(255, 255, 255))) ++moved;
    EXPECT_GT(moved, 20);

    busy->SetAnimate(false);
    EXPECT_FALSE(timer->Enabled());
    auto stopped = CaptureWindow(busy->Handle());
    EXPECT_EQ(CountColor(*stopped, all, RGB(255, 255, 255)), 0);
    EXPECT_EQ(PixelOf(*stopped, all.left + 24, all.top + 24), RGB(128, 128, 128)) << "the parent's colour";

    // The other kinds draw as well.
    for (TActivityIndicatorType type : {aitMomentumDots, aitSectorRing}) {
        busy->SetIndicatorType(type);
        busy->SetAnimate(true);
        auto shot = CaptureWindow(busy->Handle());
        SaveCapture(*shot, type == aitMomentumDots ? L"activity-dots" : L"activity-ring");
        EXPECT_GT(CountColor(*shot, all, RGB(255, 255, 255)), 4);
        busy->SetAnimate(false);
    }
}

TEST_F(WidgetsTest, PanelShapeAndImagePaint)
{
    ASSERT_TRUE(TStyleManager::TrySetStyle(L"Slate Classico"));
    TForm* form = ShownForm(420, 300);
    form->SetColor(clBtnFace);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 200, 120);
    panel->SetCaption(L"Software-Version");
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);

    // A lamp: a green circle without an outline, on the panel.
    auto* lamp = new TShape(form);
    lamp->SetParent(panel);
    lamp->SetBounds(150, 10, 30, 30);
    lamp->SetShape(stCircle);
    lamp->Brush()->SetColor(clGreen);
    lamp->Pen()->SetStyle(psClear);

    // A child aligned to the whole client area stays inside the bevels.
    auto* inner = new TPanel(form);
    inner->SetParent(panel);
    inner->SetHeight(20);
    inner->SetAlign(alBottom);
    EXPECT_EQ(inner->Left(), 4);
    EXPECT_EQ(inner->Top() + inner->Height(), 120 - 4);
    EXPECT_EQ(inner->Width(), 200 - 8);

    TBitmap picture(40, 20, pf32bit);
    picture.Canvas()->Brush()->SetColor(clBlue);
    picture.Canvas()->FillRect(Rect(0, 0, 40, 20));
    auto* image = new TImage(form);
    image->SetParent(form);
    image->SetBounds(230, 10, 100, 100);
    image->Picture()->SetGraphic(&picture);

    auto shot = CaptureWindow(form->Handle());
    SaveCapture(*shot, L"panel-shape-image");
    const POINT f = ClientOffset(form->Handle());
    auto at = [&](int x, int y) { return PixelOf(*shot, f.x + x, f.y + y); };
    EXPECT_EQ(at(10, 10), StyledColorToGdi(clBtnHighlight)) << "raised outer bevel, top left";
    EXPECT_EQ(at(209, 129), StyledColorToGdi(clBtnShadow)) << "raised outer bevel, bottom right";
    EXPECT_EQ(at(12, 12), StyledColorToGdi(clBtnShadow)) << "lowered inner bevel, top left";
    EXPECT_EQ(at(20, 40), StyledColorToGdi(clBtnFace)) << "face";
    const RECT caption{f.x + 40, f.y + 55, f.x + 180, f.y + 75};
    EXPECT_GT(CountDark(*shot, caption), 10) << "caption ink";
    EXPECT_EQ(at(10 + 165, 10 + 25), RGB(0, 128, 0)) << "lamp centre";
    EXPECT_EQ(at(10 + 151, 10 + 11), StyledColorToGdi(clBtnFace)) << "outside the circle";
    EXPECT_EQ(at(235, 15), RGB(0, 0, 255)) << "picture at its own size";
    EXPECT_EQ(at(235, 40), StyledColorToGdi(clBtnFace)) << "below the picture";

    image->SetStretch(true);
    image->SetProportional(true);
    image->SetCenter(true);
    EXPECT_EQ(image->DestRect(), Rect(0, 25, 100, 75));
    auto stretched = CaptureWindow(form->Handle());
    SaveCapture(*stretched, L"image-stretched");
    EXPECT_EQ(PixelOf(*stretched, f.x + 230 + 50, f.y + 10 + 30), RGB(0, 0, 255));
    EXPECT_EQ(PixelOf(*stretched, f.x + 230 + 50, f.y + 10 + 10), StyledColorToGdi(clBtnFace));
}

TEST_F(WidgetsTest, ImagePlacesThePictureAsItsSettingsSay)
{
    struct Case {
        bool stretch, proportional, center;
        int pictureWidth, pictureHeight;
        TRect expected;
    };
    const Case cases[] = {
        {false, false, false, 40, 20, Rect(0, 0, 40, 20)},
        {false, false, true, 40, 20, Rect(30, 40, 70, 60)},
        {true, false, false, 40, 20, Rect(0, 0, 100, 100)},
        {true, true, false, 40, 20, Rect(0, 0, 100, 50)},
        {true, true, true, 20, 40, Rect(25, 0, 75, 100)},
        // Proportional alone shrinks a picture that is too big, and never enlarges.
        {false, true, false, 400, 100, Rect(0, 0, 100, 25)},
        {false, true, false, 40, 20, Rect(0, 0, 40, 20)},
    };
    TImage image(nullptr);
    image.SetBounds(0, 0, 100, 100);
    for (const Case& c : cases) {
        TBitmap picture(c.pictureWidth, c.pictureHeight, pf24bit);
        image.Picture()->SetGraphic(&picture);
        image.SetStretch(c.stretch);
        image.SetProportional(c.proportional);
        image.SetCenter(c.center);
        EXPECT_EQ(image.DestRect(), c.expected) << c.stretch << c.proportional << c.center << " " << c.pictureWidth;
    }
    image.SetAutoSize(true);
    EXPECT_EQ(image.Width(), 40);
    EXPECT_EQ(image.Height(), 20);
}

TEST_F(WidgetsTest, ImageSizesItselfThroughCanAutoSizeByItsAlignment)
{
    struct Case {
        TAlign align;
        int width, height;
    };
    // A picture of 40 x 20 on a control of 100 x 100: aligned sides keep the control's size.
    const Case cases[] = {{alNone, 40, 20}, {alLeft, 40, 100}, {alRight, 40, 100}, {alTop, 100, 20},
                          {alBottom, 100, 20}, {alClient, 100, 100}};
    for (const Case& c : cases) {
        TImage image(nullptr);
        image.SetBounds(0, 0, 100, 100);
        image.SetAlign(c.align);
        int w = 100, h = 100;
        EXPECT_TRUE(image.CanAutoSize(w, h));
        EXPECT_EQ(w, 100) << "an empty picture proposes nothing";
        TBitmap picture(40, 20, pf24bit);
        image.Picture()->SetGraphic(&picture);
        EXPECT_TRUE(image.CanAutoSize(w, h));
        EXPECT_EQ(w, c.width) << c.align;
        EXPECT_EQ(h, c.height) << c.align;
    }
    // The base control takes any proposal unchanged.
    TControl plain(nullptr);
    int w = 7, h = 9;
    EXPECT_TRUE(plain.CanAutoSize(w, h));
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 9);
}

} // namespace
