// Click circles: what the circle window shows and where, and how hiding and clearing treat it.
#include "../framework/graphics_png.h"
#include "../support/BuildFolder.h"
#include "sVclUtils.h"
#include "skin_images_test_effects.h"

#include <gtest/gtest.h>

namespace {


// A control that tells its screen rectangle (command 89), as circle owners do.
class TCircleControl : public TFadeControl {
public:
    using TFadeControl::TFadeControl;
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_GLOWCIRCLE) {
            RECT r{};
            GetWindowRect(Handle(), &r);
            *reinterpret_cast<TRect*>(message.LParam) = TRect(r);
            message.Result = 1;
            return;
        }
        TFadeControl::WndProc(message);
    }
};

class CircleTest : public EffectsTest {
protected:
    TacCircleEffectData Data(int radius, BYTE alphaStart = 255)
    {
        TacCircleEffectData d;
        d.SkinData = data;
        d.RadiusStart = radius;
        d.RadiusFinish = MaxCircleRadius(data);
        d.Center = TPoint(300, 200);
        d.Color = static_cast<TColor>(0x66FFFFFFu);
        d.AlphaStart = alphaStart;
        return d;
    }
    TacCircleEffect* Circle(int id) { return dynamic_cast<TacCircleEffect*>(GetEffect(id)); }
};

class CircleStepTest : public CircleTest {
protected:
    void SetUp() override
    {
        CircleTest::SetUp();
        if (HasFatalFailure()) return;
        pointer_.emplace();
        owner = new TCircleControl(form);
        owner->SetParent(form);
        owner->SetBounds(80, 20, 40, 24);
        owner->SkinData->SetSkinSection(L"BUTTON");
        owner->HandleNeeded();
        cd = owner->SkinData.get();
        gFakeButtonHeld = false;
        RECT r{};
        GetWindowRect(owner->Handle(), &r);
        centre = TPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        gFakePointer = POINT{centre.X, centre.Y};
    }
    void TearDown() override
    {
        pointer_.reset();
        CircleTest::TearDown();
    }
    TacCircleEffectData Track(TacSizeChanging change, int start, int finish)
    {
        TacCircleEffectData d;
        d.SkinData = cd;
        d.SizeChanging = change;
        d.AnimProc = &UpdateCircle;
        d.RadiusStart = start;
        d.RadiusFinish = finish;
        d.Center = centre;
        d.Color = static_cast<TColor>(0x66FFFFFFu);
        return d;
    }
    // Steps the circle until it ends (at most 100 steps); the steps taken.
    int Run()
    {
        int steps = 0;
        while (steps < 100 && UpdateCircle(cd, steps)) ++steps;
        return steps;
    }

    TCircleControl* owner = nullptr;
    TsCtrlSkinData* cd = nullptr;
    TPoint centre;

private:
    std::optional<TFakePointerScope> pointer_;
};

TEST_F(CircleTest, WindowIsLayeredClickThroughAndCentred)
{
    EXPECT_EQ(MinCircleRadius(data), 17);
    EXPECT_EQ(MaxCircleRadius(data), 23);
    // Radius 1 or less (or a start at alpha 0, which starts from nothing) shows nothing.
    for (const auto& [radius, alpha] : {std::pair{1, 255}, std::pair{0, 255}, std::pair{20, 0}}) {
        LayeredCalls().clear();
        int id = CreateCircleEffect(Data(radius, BYTE(alpha)));
        ASSERT_GE(id, 0);
        EXPECT_EQ(Circle(id)->Wnd, nullptr);
        EXPECT_TRUE(LayeredCalls().empty());
        HideGlow(id, true);
    }
    int id = CreateCircleEffect(Data(20));
    ASSERT_GE(id, 0);
    TacCircleEffect* circle = Circle(id);
    ASSERT_TRUE(circle && circle->Wnd);
    HWND wnd = circle->Wnd->Handle();
    const LONG_PTR ex = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TRANSPARENT);
    ASSERT_FALSE(LayeredCalls().empty());
    const LayeredCall& call = LayeredCalls().back();
    EXPECT_EQ(call.Size.cx, 41);
    EXPECT_EQ(call.Pos.x, 300 - 20);
    EXPECT_EQ(call.Pos.y, 200 - 20);
    EXPECT_EQ(call.Alpha, 255);
    ASSERT_TRUE(call.Image);
    SaveBitmapAsPng(*call.Image, BuildFolderFile(L"click_circle.png"), true);
    EXPECT_GT(Px(*call.Image, 20, 20) >> 24, 0u);
    EXPECT_EQ(Px(*call.Image, 0, 0) >> 24, 0u);

    // Clearing with SkipCircles keeps it; HideGlow frees it at once, never fading.
    ClearGlows(false, true);
    EXPECT_EQ(Circle(id), circle);
    HideGlow(id, true);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(GetEffect(EffectCount() - 1), nullptr);
}

TEST_F(CircleTest, NothingWithoutSkinState)
{
    TacCircleEffectData d = Data(20);
    d.SkinData = nullptr;
    EXPECT_EQ(CreateCircleEffect(d), -1);
}

} // namespace

namespace {

TEST_F(CircleStepTest, TrackBarCircleGrowsToMinAndShrinksFromMaxToMin)
{
    cd->COC = 165;
    const int minR = MinCircleRadius(cd), maxR = MaxCircleRadius(cd);
    struct Case {
        TacSizeChanging Change;
        int Start;
    };
    for (const Case c : {Case{scIncrease, 0}, Case{scDecrease, maxR}}) {
        StartLEAnimation(Track(c.Change, c.Start, minR), true);
        TacCircleEffect* circle = Circle(cd->GlowID);
        ASSERT_TRUE(circle);
        ASSERT_TRUE(cd->AnimTimer);
        EXPECT_EQ(cd->AnimTimer->Interval(), 12u);
        EXPECT_EQ(cd->AnimTimer->ThreadType, ttEffect);
        EXPECT_LT(Run(), 100) << c.Change;
        EXPECT_DOUBLE_EQ(circle->RealRadius, minR);
        EXPECT_FALSE(cd->AnimTimer->Enabled());
    }
}

TEST_F(CircleStepTest, IntervalsByClassAndState)
{
    struct Case {
        BYTE Coc;
        int State;
        unsigned Interval;
    };
    for (const Case c : {Case{34, 1, 12}, Case{34, 2, 36}, Case{165, 2, 36}, Case{93, 1, 24}, Case{8, 2, 24}}) {
        cd->COC = c.Coc;
        TacCircleEffectData d = Track(scIncrease, 0, 20);
        d.State = c.State;
        StartLEAnimation(d, true);
        ASSERT_TRUE(cd->AnimTimer);
        EXPECT_EQ(cd->AnimTimer->Interval(), c.Interval) << int(c.Coc) << "/" << c.State;
    }
}

TEST_F(CircleStepTest, WithoutAnimationTheCircleShowsAtAlphaStartWithoutTimer)
{
    TacCircleEffectData d = Track(scIncrease, 20, 23);
    d.AlphaStart = 90;
    StartLEAnimation(d, false);
    ASSERT_TRUE(Circle(cd->GlowID));
    EXPECT_DOUBLE_EQ(Circle(cd->GlowID)->RealAlpha, 90);
    EXPECT_EQ(cd->AnimTimer, nullptr);
}

TEST_F(CircleStepTest, LeavingTheControlHidesOrJumpsToTheEnd)
{
    StartLEAnimation(Track(scIncrease, 2, 23), true);
    ASSERT_TRUE(Circle(cd->GlowID));
    // Button held outside: the end values at once.
    gFakePointer = POINT{centre.X + 200, centre.Y};
    gFakeButtonHeld = true;
    cd->AnimTimer->SetEnabled(true);
    EXPECT_FALSE(UpdateCircle(cd, 1));
    ASSERT_TRUE(Circle(cd->GlowID));
    EXPECT_DOUBLE_EQ(Circle(cd->GlowID)->RealRadius, 23);
    // Button up outside: hidden.
    gFakeButtonHeld = false;
    cd->AnimTimer->SetEnabled(true);
    EXPECT_FALSE(UpdateCircle(cd, 2));
    EXPECT_EQ(cd->GlowID, -1);
}

} // namespace

namespace {

TEST_F(CircleStepTest, ClickModeNeedsAnEnabledControlClicksAndACircleEffect)
{
    struct Case {
        bool Enabled;
        bool Clicks;
        TacClickEffect Effect;
        bool Circles;
    };
    for (const Case c : {Case{true, true, ceCircle, true}, Case{true, true, ceCircleAndWave, true},
                         Case{true, true, ceWaveOut, false}, Case{false, true, ceCircle, false},
                         Case{true, false, ceCircle, false}}) {
        owner->SetEnabled(c.Enabled);
        manager->AnimEffects()->Buttons()->ClickEffect = c.Effect;
        const TacAnimatEvents events = c.Clicks ? TacAnimatEvents{aeClick} : TacAnimatEvents{};
        EXPECT_EQ(CircleClickMode(owner, cd, events), c.Circles) << c.Enabled << c.Clicks << int(c.Effect);
    }
    manager->AnimEffects()->Buttons()->ClickEffect = ceCircle;
    EXPECT_FALSE(CircleClickMode(nullptr, cd, TacAnimatEvents{aeClick}));
}

} // namespace

namespace {

// A control that owns circles the way track bars and sliders do, recording what they are given.
class TCircleOwner : public TCircleControl, public TacCircleTrackBar, public TacCircleSlider {
public:
    using TCircleControl::TCircleControl;
    void ShowToolTip(const TacToolTipData& Data) override { Tips.push_back(Data); }
    void HideToolTip() override { ++Hidden; }
    void PaintThumb(TBitmap* Bmp) override
    {
        Thumbs.push_back(CreateBmp32(Bmp->Width(), Bmp->Height()));
        BitBlt(Thumbs.back()->Canvas()->Handle(), 0, 0, Bmp->Width(), Bmp->Height(), Bmp->Canvas()->Handle(), 0, 0,
               SRCCOPY);
    }
    std::vector<TacToolTipData> Tips;
    int Hidden = 0;
    std::vector<std::unique_ptr<TBitmap>> Thumbs;
};

class ShowCircleTest : public CircleStepTest {
protected:
    void SetUp() override
    {
        CircleStepTest::SetUp();
        if (HasFatalFailure()) return;
        cd->SetSkinSection(L"TRACKBAR");
        ASSERT_GE(cd->SkinIndex, 0);
        cd->FMouseAbove = true;
    }
    int LiveCircles()
    {
        int n = 0;
        for (int i = 0; i < EffectCount(); ++i) n += dynamic_cast<TacCircleEffect*>(GetEffect(i)) != nullptr;
        return n;
    }
    static TColor Text(BYTE alpha)
    {
        return static_cast<TColor>((static_cast<Word>(ColorToRGB(clBtnText)) & 0xFFFFFFu) | (Word(alpha) << 24));
    }
};

TEST_F(ShowCircleTest, StateAndClassChooseRadiiGrowthAndColour)
{
    const int minR = MinCircleRadius(cd), maxR = MaxCircleRadius(cd);
    ASSERT_EQ(owner->Width(), 40);
    const TColor hover = house_skin::kTrackBarLight[1], pressed = house_skin::kTrackBarLight[2];
    struct Step {
        int Finish, Start;
        TacSizeChanging Change;
        TColor Color;
        bool Back;
    };
    struct Case {
        BYTE Coc;
        Step Hover, Pressed, Again; // no circle, button up; the button held; up again over the pressed circle
    };
    // The second hover starts from the pressed circle's radius, set to 15 before it, and keeps
    // the picture the pressed one lay on (as a retargeted circle does).
    const Case cases[] = {
        {165, {minR, 0, scIncrease, hover, false}, {maxR, minR, scIncrease, Text(34), false},
         {minR, maxR, scDecrease, hover, false}},
        {34, {24, 0, scIncrease, hover, false}, {36, 24, scIncrease, Text(34), false},
         {24, 36, scNotChanged, hover, false}},
        {8, {maxR * 4 / 5, 0, scIncrease, hover, false}, {maxR * 4 / 5, 0, scIncrease, pressed, true},
         {maxR * 4 / 5, 15, scIncrease, Text(102), true}},
        {93, {maxR, 10, scIncrease, hover, false}, {maxR, 0, scIncrease, Text(102), true},
         {maxR, 15, scIncrease, Text(102), true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.Coc));
        cd->COC = c.Coc;
        int step = 0;
        for (const Step& s : {c.Hover, c.Pressed, c.Again}) {
            SCOPED_TRACE(step);
            gFakeButtonHeld = step == 1;
            if (step == 2) Circle(cd->GlowID)->RealRadius = 15;
            ShowCircleIfNeeded(cd, 0, false);
            TacCircleEffect* circle = Circle(cd->GlowID);
            ASSERT_TRUE(circle);
            EXPECT_EQ(circle->State, step == 1 ? 2 : 1);
            EXPECT_EQ(circle->RadiusFinish, s.Finish);
            EXPECT_EQ(circle->RadiusStart, s.Start);
            EXPECT_EQ(circle->SizeChanging, s.Change);
            EXPECT_EQ(circle->Color, s.Color);
            EXPECT_EQ(circle->AlphaFinish, 255);
            EXPECT_DOUBLE_EQ(circle->RealAlpha, 255);
            EXPECT_EQ(circle->BackBmp != nullptr, s.Back);
            EXPECT_EQ(circle->Center, centre);
            // A replaced circle leaves no window behind.
            EXPECT_EQ(LiveCircles(), 1);
            ++step;
        }
        // Already in the wanted state: left alone.
        const int id = cd->GlowID;
        ShowCircleIfNeeded(cd, 0, false);
        EXPECT_EQ(cd->GlowID, id);
        HideGlow(cd->GlowID, false);
    }
}

TEST_F(ShowCircleTest, OptionsShowNothingAndThePointerHides)
{
    enum Kind { Shown, NoMouseHover, NoGlowing, PointerOutside, NoMouseAbove };
    // What happens to a circle shown before when the next showing would replace it.
    struct Case {
        Kind What;
        bool Replaced, Hidden;
    };
    for (const Case c : {Case{Shown, true, false}, Case{NoMouseHover, false, false}, Case{NoGlowing, false, false},
                         Case{PointerOutside, false, true}, Case{NoMouseAbove, false, true}}) {
        SCOPED_TRACE(int(c.What));
        ShowCircleIfNeeded(cd, 0, false);
        ASSERT_TRUE(Circle(cd->GlowID));
        Circle(cd->GlowID)->State = 2;
        const int before = cd->GlowID;
        switch (c.What) {
        case Shown: break;
        case NoMouseHover: manager->Options()->SetBool(1, true); break;
        case NoGlowing: manager->Effects()->SetAllowGlowing(false); break;
        case PointerOutside: gFakePointer.x += 100; break;
        case NoMouseAbove: cd->FMouseAbove = false; break;
        }
        ShowCircleIfNeeded(cd, 0, false);
        EXPECT_EQ(cd->GlowID < 0, c.Hidden);
        EXPECT_EQ(cd->GlowID >= 0 && cd->GlowID != before, c.Replaced);
        manager->Options()->SetBool(1, false);
        manager->Effects()->SetAllowGlowing(true);
        gFakePointer = POINT{centre.X, centre.Y};
        cd->FMouseAbove = true;
        HideGlow(cd->GlowID, false);
    }
}

TEST_F(ShowCircleTest, StepWithoutCircleShowsOneAndSmallTogglesEndInTheCheckBoxColour)
{
    cd->COC = 32;
    // The first step finds no circle and asks for one, which then grows to its end.
    cd->AnimTimer = new TacThreadedTimer(owner, false);
    EXPECT_TRUE(UpdateCircle(cd, 0));
    TacCircleEffect* circle = Circle(cd->GlowID);
    ASSERT_TRUE(circle);
    EXPECT_EQ(circle->State, 1);
    EXPECT_LT(Run(), 100);
    EXPECT_DOUBLE_EQ(circle->RealRadius, circle->RadiusFinish);
    EXPECT_EQ(circle->Color, static_cast<TColor>(0x80FFFF));
}

TEST_F(ShowCircleTest, TrackBarToolTipAndSliderThumbFollowTheCircle)
{
    auto* bar = new TCircleOwner(form);
    bar->SetParent(form);
    bar->SetBounds(20, 60, 40, 24);
    bar->SkinData->SetSkinSection(L"TRACKBAR");
    bar->HandleNeeded();
    TsCtrlSkinData* sd = bar->SkinData.get();
    sd->FMouseAbove = true;
    RECT r{};
    GetWindowRect(bar->Handle(), &r);
    gFakePointer = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    const int minR = MinCircleRadius(sd), maxR = MaxCircleRadius(sd);

    sd->COC = 165;
    ShowCircleIfNeeded(sd, 0, false);
    ASSERT_TRUE(Circle(sd->GlowID));
    Circle(sd->GlowID)->RealRadius = minR - 3;
    Circle(sd->GlowID)->Show();
    ASSERT_FALSE(bar->Tips.empty());
    EXPECT_EQ(bar->Tips.back().SrcPoint, TPoint(gFakePointer.x, gFakePointer.y));
    EXPECT_EQ(bar->Tips.back().Distance, minR - 3 + (maxR - minR) + 1 - maxR / 5);
    gFakeButtonHeld = true;
    ShowCircleIfNeeded(sd, 0, false);
    EXPECT_EQ(bar->Tips.back().Distance, maxR + 1 - maxR / 5);
    EXPECT_TRUE(bar->Thumbs.empty());
    HideGlow(sd->GlowID, false);
    EXPECT_GE(bar->Hidden, 1);

    gFakeButtonHeld = false;
    sd->COC = 34;
    bar->Tips.clear();
    ShowCircleIfNeeded(sd, 0, false);
    ASSERT_TRUE(Circle(sd->GlowID));
    Circle(sd->GlowID)->RealRadius = 12;
    Circle(sd->GlowID)->Show();
    EXPECT_TRUE(bar->Tips.empty());
    ASSERT_FALSE(bar->Thumbs.empty());
    TBitmap& thumb = *bar->Thumbs.back();
    EXPECT_EQ(thumb.Width(), 40);
    EXPECT_EQ(thumb.Height(), 24);
    SaveBitmapAsPng(thumb, BuildFolderFile(L"slider_circle_under_thumb.png"), true);
    EXPECT_GT(Px(thumb, 20, 12) >> 24, 0u) << "the circle lies under the thumb's place";
    HideGlow(sd->GlowID, false);
}

} // namespace
