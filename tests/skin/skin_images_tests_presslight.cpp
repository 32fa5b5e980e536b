// The press light of a button: growth while held, widening and fading after release, its end
// (with a click ghost for the circle-and-wave effect) and the steps that end at once.
#include "../framework/graphics_png.h"
#include "../support/BuildFolder.h"
#include "sSkinManagerOptions.h"
#include "sVclUtils.h"
#include "skin_images_test_effects.h"

#include <gtest/gtest.h>

namespace {


class PressLightTest : public EffectsTest {
protected:
    void SetUp() override
    {
        EffectsTest::SetUp();
        if (HasFatalFailure()) return;
        pointer_.emplace();
        control->SetBounds(20, 20, 40, 24);
        control->PaintCache();
        timer = new TacThreadedTimer(control, false); // the skin data frees it
        timer->SetInterval(100000);
        timer->SetEnabled(true);
        data->AnimTimer = timer;
        PointIn(10, 8);
    }
    void TearDown() override
    {
        if (manager && manager->AnimEffects()) manager->AnimEffects()->Buttons()->ClickEffect = ceCircle;
        pointer_.reset();
        EffectsTest::TearDown();
    }
    // The pointer at (x, y) of the control.
    void PointIn(int x, int y)
    {
        const TRect r = ScreenRect(control->Handle());
        gFakePointer = POINT{r.Left + x, r.Top + y};
    }

    TacThreadedTimer* timer = nullptr;

private:
    std::optional<TFakePointerScope> pointer_;
};

// 40 x 24: D = Round(sqrt(40² + 24²)) div 4 = 11, R = 80.
constexpr int kD = 11, kR = 80;

TEST_F(PressLightTest, HeldButtonGrowsASpotFromThePressPoint)
{
    timer->State = 2;
    timer->BmpTo = CreateBmp32(40, 24);
    BitBlt(timer->BmpTo->Canvas()->Handle(), 0, 0, 40, 24, data->FCacheBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    ASSERT_TRUE(UpdateFillLight(data, 1));
    EXPECT_EQ(timer->ThreadType, ttPressLight);
    EXPECT_EQ(timer->Iterations, 0x7FFFFFFF);
    EXPECT_EQ(timer->AnimRect.TopLeft(), TPoint(10, 8));
    EXPECT_DOUBLE_EQ(timer->Value, 3.0 * kD / 2);
    ASSERT_TRUE(UpdateFillLight(data, 2));
    EXPECT_DOUBLE_EQ(timer->Value, 16.5 + (16.5 - kD) / 30 + 1);

    // The spot over the pressed picture is brightest at the press point.
    TBitmap& out = *timer->BmpOut;
    SaveBitmapAsPng(out, BuildFolderFile(L"press_light.png"), false);
    auto gain = [&](int x, int y) { return int(Px(out, x, y) >> 8 & 255) - 40; }; // green of the red picture
    EXPECT_GT(gain(10, 8), 0);
    EXPECT_GT(gain(10, 8), gain(36, 12));
    EXPECT_EQ(gain(36, 12), 0);
}

TEST_F(PressLightTest, ReleasedSpotWidensAndEndsAtTheMinimumDistance)
{
    struct Case {
        TacClickEffect Effect;
        int MinLeft;
        bool Ghost;
    };
    for (const Case c : {Case{ceCircle, 10, false}, Case{ceCircleAndWave, 40, true}}) {
        manager->AnimEffects()->Buttons()->ClickEffect = c.Effect;
        timer->SetEnabled(true);
        timer->State = 0;
        timer->ThreadType = ttPressLight;
        timer->Iterations = 0x7FFFFFFF;
        timer->Value = 30;
        ASSERT_TRUE(UpdateFillLight(data, 1));
        EXPECT_DOUBLE_EQ(timer->Value, 30 + (kR - 30.0) / 30 + 1);
        int steps = 1;
        while (UpdateFillLight(data, ++steps) && steps < 500) {}
        EXPECT_LT(kR - std::nearbyint(timer->Value), c.MinLeft);
        EXPECT_GE(kR - std::nearbyint(timer->Value), c.MinLeft - 3);
        EXPECT_FALSE(timer->Enabled());
        EXPECT_EQ(data->ClickTimer != nullptr, c.Ghost);
    }
}

TEST_F(PressLightTest, PointerOutsideOrEmptyPictureEndsTheStep)
{
    struct Case {
        int Kind;
        bool Stops;
    };
    PointIn(60, 8);
    for (const Case c : {Case{ttFade, true}, Case{ttPressLight, false}, Case{ttEffect, false}}) {
        timer->SetEnabled(true);
        timer->State = 2;
        timer->ThreadType = c.Kind;
        EXPECT_FALSE(UpdateFillLight(data, 1));
        EXPECT_EQ(timer->Enabled(), !c.Stops) << c.Kind;
    }
    // An empty cache: no division by R - D = 0.
    PointIn(0, 0);
    data->FCacheBmp->SetSize(0, 0);
    timer->SetEnabled(true);
    timer->State = 0;
    timer->Value = 5;
    EXPECT_FALSE(UpdateFillLight(data, 1));
    EXPECT_DOUBLE_EQ(timer->Value, 5);
}

} // namespace
