// The animation timer: plain ticks, step-counted animations, InitData's step rules, GetNewTimer
// and the timer's life beside the skin data it animates. Ticks are driven by calling the tick
// handler; one test lets the message timer tick for real.
#include "../framework/controls_test_support.h"
#include "Timers.h"
#include "acThdTimer.h"
#include "sCommonData.h"
#include "sAlphaGraph.h"
#include "sGraphUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

int stepCalls = 0;
bool StepTrue(TObject*, int)
{
    ++stepCalls;
    return true;
}
bool StepFalse(TObject*, int)
{
    ++stepCalls;
    return false;
}

class ThreadedTimerTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        stepCalls = 0;
    }
};

TEST_F(ThreadedTimerTest, PlainTimerTicksOnlyWithHandlerIntervalAndEnabled)
{
    TacThreadedTimer timer(nullptr);
    ASSERT_NE(timer.MessageTimer(), nullptr);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_FALSE(timer.MessageTimer()->Enabled()) << "no OnTimer and no AnimProc";

    int ticks = 0;
    timer.SetOnTimer([&](TObject* sender) {
        EXPECT_EQ(sender, &timer);
        ++ticks;
    });
    EXPECT_TRUE(timer.MessageTimer()->Enabled());
    timer.TimerTick(timer.MessageTimer());
    EXPECT_EQ(ticks, 1);

    timer.SetInterval(0);
    EXPECT_FALSE(timer.MessageTimer()->Enabled());
    timer.TimerTick(timer.MessageTimer());
    EXPECT_EQ(ticks, 1) << "interval 0 stops ticking";

    timer.SetInterval(10);
    EXPECT_TRUE(timer.MessageTimer()->Enabled());
    EXPECT_EQ(timer.MessageTimer()->Interval(), 10u);
    // The message timer really ticks on the main thread.
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }, 3000));

    timer.SetEnabled(false);
    EXPECT_FALSE(timer.MessageTimer()->Enabled());
    const int before = ticks;
    timer.TimerTick(timer.MessageTimer());
    EXPECT_EQ(ticks, before);

    // A tick handler that re-enters is ignored while the first tick runs.
    timer.SetEnabled(true);
    int nested = 0;
    timer.SetOnTimer([&](TObject*) {
        ++nested;
        timer.TimerTick(nullptr);
    });
    timer.TimerTick(nullptr);
    EXPECT_EQ(nested, 1);
}

TEST_F(ThreadedTimerTest, AnimationRunsItsStepsAndEndsItself)
{
    TacThreadedTimer timer(nullptr);
    // NewState 1 from state -1 with glow 0 kept (StartIteration 1): steps 1..6.
    timer.InitData(nullptr, 1, &StepTrue, 1, false);
    EXPECT_EQ(timer.Iterations, 6);
    EXPECT_EQ(timer.Iteration, 0);
    EXPECT_EQ(timer.Interval(), 12u) << "the default interval becomes 12 ms";
    EXPECT_TRUE(timer.Enabled());
    EXPECT_TRUE(timer.MessageTimer()->Enabled()) << "AnimProc alone lets it tick";
    for (int i = 0; i < 6; ++i) timer.TimerTick(nullptr);
    EXPECT_EQ(stepCalls, 6);
    EXPECT_TRUE(timer.Enabled());
    timer.TimerTick(nullptr);
    EXPECT_EQ(stepCalls, 6) << "the seventh tick ends without a call";
    EXPECT_FALSE(timer.Enabled());

    // A step answering false ends the animation on its tick.
    timer.InitData(nullptr, 1, &StepFalse, 1, false);
    timer.TimerTick(nullptr);
    EXPECT_EQ(stepCalls, 7);
    EXPECT_FALSE(timer.Enabled());
}

TEST_F(ThreadedTimerTest, TimeHandlerDisablesAndResetsStateWhenTheStepIsDone)
{
    TacThreadedTimer timer(nullptr, true);
    EXPECT_FALSE(timer.Enabled()) << "an owned timer starts disabled";
    timer.AnimProc = &StepTrue;
    timer.State = 2;
    timer.SetEnabled(true);
    timer.TimeHandler();
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.State, 2);

    timer.AnimProc = &StepFalse;
    timer.TimeHandler();
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.State, -1);
    EXPECT_EQ(stepCalls, 2);

    // The tick of an owned timer without AnimProc goes to TimeHandler, which then does nothing.
    timer.AnimProc = nullptr;
    timer.SetEnabled(true);
    timer.TimerTick(nullptr);
    EXPECT_EQ(stepCalls, 2);
}

TEST_F(ThreadedTimerTest, InitDataStepRules)
{
    struct Case {
        const char* name;
        double glow;
        int state, newState;
        bool fast;
        int start;
        int iterations, iteration;
        double glowAfter, glowStep;
    };
    const Case cases[] = {
        {"normal, glow 300 as 255", 300, -1, 0, false, 2, 18, 2, 255, 255.0 / 18},
        {"normal, glow -5 as 0", -5, -1, 0, false, 2, 18, 2, 0, 0},
        {"normal from hot", 51, 1, 0, false, 2, 18, 14, 51, 51.0 / 18},
        {"normal from hot, glow 0", 0, 1, 0, false, 2, 18, 0, 0, 0},
        {"fast normal", 90, -1, 0, true, 1, 9, 1, 90, 10},
        {"hot from start", 50, -1, 1, false, 0, 6, 6, 255, 42.5},
        {"hot, start kept", 50, 0, 1, true, 2, 3, 1, 50, 50.0 / 3},
        {"hot, start past the steps", 50, 0, 1, true, 3, 3, 6, 255, 85},
        {"hot, half to even", 106.25, -1, 1, false, 1, 6, 2, 106.25, 106.25 / 6},
        {"pressed from normal, glow -5", -5, 0, 2, false, 3, 6, 3, 0, 42.5},
        {"pressed from normal, glow 300", 300, 0, 2, false, 3, 1, 3, 255, 0},
        {"pressed from hot", 100, 1, 2, false, 4, 6, 4, 100, 155.0 / 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TacThreadedTimer timer(nullptr);
        timer.Glow = c.glow;
        timer.State = c.state;
        TObject data;
        timer.InitData(&data, c.start, &StepTrue, c.newState, c.fast);
        EXPECT_EQ(timer.Iterations, c.iterations);
        EXPECT_EQ(timer.Iteration, c.iteration);
        EXPECT_DOUBLE_EQ(timer.Glow, c.glowAfter);
        EXPECT_DOUBLE_EQ(timer.GlowStep, c.glowStep);
        EXPECT_DOUBLE_EQ(timer.Value, 0);
        EXPECT_DOUBLE_EQ(timer.ValueStep, 255.0 / c.iterations);
        EXPECT_EQ(timer.AnimData, &data);
        EXPECT_EQ(timer.AnimProc, &StepTrue);
        EXPECT_EQ(timer.OldState, c.state);
        EXPECT_EQ(timer.State, c.newState);
        EXPECT_TRUE(timer.Enabled());
    }

    // An interval of the caller's own stays.
    TacThreadedTimer timer(nullptr);
    timer.SetInterval(40);
    timer.InitData(nullptr, 0, &StepTrue, 0, false);
    EXPECT_EQ(timer.Interval(), 40u);
}

TEST_F(ThreadedTimerTest, PressedAnimationStartsFromTheImageShown)
{
    for (const auto& [state, newState] : {std::pair{-1, 2}, std::pair{2, 1}}) {
        TacThreadedTimer timer(nullptr);
        timer.State = state;
        timer.BmpOut = CreateBmp32(4, 3);
        FillRect32(timer.BmpOut.get(), TRect(0, 0, 4, 3), 0x00336699, 255);
        timer.InitData(nullptr, 5, &StepTrue, newState, false);
        ASSERT_NE(timer.BmpFrom, nullptr);
        EXPECT_EQ(timer.BmpFrom->Width(), 4);
        EXPECT_EQ(timer.BmpFrom->Height(), 3);
        EXPECT_EQ(GetPixel(timer.BmpFrom->Canvas()->Handle(), 3, 2), GetPixel(timer.BmpOut->Canvas()->Handle(), 3, 2));
        EXPECT_EQ(timer.Iteration, 0) << "with an output image the animation starts at 0";
    }
    // Back to normal from normal copies nothing.
    TacThreadedTimer timer(nullptr);
    timer.BmpOut = CreateBmp32(2, 2);
    timer.InitData(nullptr, 0, &StepTrue, 0, false);
    EXPECT_EQ(timer.BmpFrom, nullptr);
}

TEST_F(ThreadedTimerTest, GetNewTimerReportsStepsLeftOrCreates)
{
    TComponent owner(nullptr);
    TacThreadedTimer* timer = nullptr;
    EXPECT_EQ(GetNewTimer(timer, &owner, 0), 0);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->Owner(), &owner);
    EXPECT_DOUBLE_EQ(timer->Glow, 255);

    struct Case {
        int state, iteration, left;
    };
    for (const Case& c : {Case{0, 4, 14}, Case{1, 4, 2}, Case{2, 0, 6}, Case{0, 20, 0}, Case{-1, 9, 0}}) {
        timer->State = c.state;
        timer->Iteration = c.iteration;
        EXPECT_EQ(GetNewTimer(timer, &owner, 0), c.left) << c.state << "/" << c.iteration;
    }

    TacThreadedTimer* kept = nullptr;
    GetNewTimer(kept, &owner, 1);
    ASSERT_NE(kept, nullptr);
    EXPECT_DOUBLE_EQ(kept->Glow, 0);
}

TEST_F(ThreadedTimerTest, TimerAndSkinDataLetGoOfEachOther)
{
    // The timer's destruction clears the skin data's reference.
    TsCommonData data(nullptr);
    TComponent owner(nullptr);
    GetNewTimer(data.AnimTimer, &owner, 0);
    ASSERT_NE(data.AnimTimer, nullptr);
    data.AnimTimer->InitData(&data, 0, &StepTrue, 1, false);
    delete data.AnimTimer;
    EXPECT_EQ(data.AnimTimer, nullptr);

    // Skin data frees its timers; a timer its owner component freed first is not freed again.
    auto* owner2 = new TComponent(nullptr);
    auto other = std::make_unique<TsCommonData>(nullptr);
    other->PulsTimer = new TacThreadedTimer(owner2);
    other->ClickTimer = new TacThreadedTimer(owner2);
    TacThreadedTimer* pulse = other->PulsTimer;
    delete owner2; // frees both timers
    EXPECT_FALSE(ThreadedTimerIsLive(pulse));
    other.reset(); // must not touch them

    auto third = std::make_unique<TsCommonData>(nullptr);
    third->AnimTimer = new TacThreadedTimer(nullptr);
    third->AnimTimer->AnimData = third.get();
    TacThreadedTimer* anim = third->AnimTimer;
    third.reset();
    EXPECT_FALSE(ThreadedTimerIsLive(anim));
}

TEST_F(ThreadedTimerTest, TimerCreatedWhileTheApplicationTerminatesNeverTicks)
{
    Application->Terminate();
    ASSERT_TRUE(PumpUntil([] { return Application->Terminated(); }, 2000));
    TacThreadedTimer timer(nullptr);
    EXPECT_EQ(timer.MessageTimer(), nullptr);
    int ticks = 0;
    timer.SetOnTimer([&](TObject*) { ++ticks; });
    timer.TimerTick(nullptr);
    EXPECT_EQ(ticks, 0);
    // Reset gives it its message timer.
    timer.Reset();
    ASSERT_NE(timer.MessageTimer(), nullptr);
    timer.TimerTick(nullptr);
    EXPECT_EQ(ticks, 1);
}

} // namespace
