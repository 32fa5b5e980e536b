// The mouse light: when a control counts as near the pointer, registration and the broadcast,
// switching the light, the repaints of DoUpdateLight and the spot HandleLighting paints.
#include "../framework/graphics_png.h"
#include "../support/BuildFolder.h"
#include "Timers.h"
#include "sVclUtils.h"
#include "skin_images_test_effects.h"

#include <gtest/gtest.h>

namespace {


class TLitGraphic : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
};

class LightTest : public EffectsTest {
protected:
    void SetUp() override
    {
        EffectsTest::SetUp();
        if (HasFatalFailure()) return;
        pointer_.emplace();
        // The unit's start-up makes the light data.
        ownData_ = !MouseLightData();
        if (ownData_) acAnimationInitialization();
        light = MouseLightData();
        ASSERT_NE(light, nullptr);
        saved_ = std::make_pair(light->LightControls, light->LightHandles);
        light->LightControls.clear();
        light->LightHandles.clear();
    }
    void TearDown() override
    {
        if (light) {
            light->LightTimer->SetEnabled(false);
            light->LightControls = saved_.first;
            light->LightHandles = saved_.second;
        }
        if (ownData_) FreeMouseLightData();
        pointer_.reset();
        EffectsTest::TearDown();
    }
    // Puts the pointer at the control's centre moved by (dx, dy).
    void PointAt(HWND wnd, int dx, int dy)
    {
        const TRect r = ScreenRect(wnd);
        gFakePointer = POINT{r.Left + r.Width() / 2 + dx, r.Top + r.Height() / 2 + dy};
    }
    // Whether the window has an area waiting to be painted.
    static bool Invalid(HWND wnd)
    {
        RECT r{};
        return GetUpdateRect(wnd, &r, FALSE) != FALSE;
    }
    static void Validate(HWND wnd) { ValidateRect(wnd, nullptr); }

    TacMouseLightData* light = nullptr;

private:
    std::optional<TFakePointerScope> pointer_;
    bool ownData_ = false;
    std::pair<std::vector<TControl*>, std::vector<HWND*>> saved_;
};

TEST_F(LightTest, ControlIsNearWithinSixtyFourPixelsBeyondItsSizes)
{
    control->SetBounds(20, 20, 40, 20);
    struct Case {
        int dx, dy;
        bool lit;
    };
    // 20 for half the width, 20 for half the larger side, then 64.
    for (const Case c : {Case{0, 0, true}, Case{103, 0, true}, Case{104, 0, false}, Case{-104, 0, false},
                         Case{-103, 0, true}, Case{0, 93, true}, Case{0, 94, false}, Case{300, 300, false}}) {
        PointAt(control->Handle(), c.dx, c.dy);
        EXPECT_EQ(LightingIsNear(data), c.lit) << c.dx << "," << c.dy;
        EXPECT_EQ(data->LightDistanceX, -c.dx);
        EXPECT_EQ(data->LightDistanceY, -c.dy);
    }
}

TEST_F(LightTest, GraphicControlIsMeasuredInItsParentsWindow)
{
    auto* graphic = new TLitGraphic(form);
    graphic->SetParent(form);
    graphic->SetBounds(30, 40, 40, 20);
    TsCtrlSkinData gdata(graphic);
    const TRect parent = ScreenRect(form->Handle());
    gFakePointer = POINT{parent.Left + 30 + 20 + 7, parent.Top + 40 + 10 - 5};
    EXPECT_TRUE(LightingIsNear(&gdata));
    EXPECT_EQ(gdata.LightDistanceX, -7);
    EXPECT_EQ(gdata.LightDistanceY, 5);
    // No window: not near.
    TsCtrlSkinData bare(nullptr);
    EXPECT_FALSE(LightingIsNear(&bare));
}

TEST_F(LightTest, RegistersOnceAndReachesReCreatedBareWindows)
{
    AddLightControl(data);
    AddLightControl(data);
    EXPECT_EQ(light->LightControls, std::vector<TControl*>{control});

    // A bare window: the skin state without owner control follows its window handle.
    TFadeControl* target = MakeControl(form, 100, 20);
    TsCtrlSkinData bare(nullptr);
    bare.FSWHandle = target->Handle();
    AddLightControl(&bare);
    AddLightControl(&bare);
    ASSERT_EQ(light->LightHandles.size(), 1u);
    target->RecreateWnd();
    target->HandleNeeded();
    bare.FSWHandle = target->Handle();
    target->Codes.clear();
    control->Codes.clear();
    light->OnTimer(nullptr);
    EXPECT_EQ(std::count(target->Codes.begin(), target->Codes.end(), AC_LIGHTSTEP), 1);
    EXPECT_EQ(std::count(control->Codes.begin(), control->Codes.end(), AC_LIGHTSTEP), 1);

    DelLightControl(&bare);
    EXPECT_TRUE(light->LightHandles.empty());
    DelLightControl(nullptr); // empties the control list
    EXPECT_TRUE(light->LightControls.empty());
}

TEST_F(LightTest, SwitchingRunsTheTimerOnlyWithADefaultManagerAndOffBroadcastsOnce)
{
    AddLightControl(data);
    TFadeControl* other = MakeControl(form, 100, 20);
    AddLightControl(other->SkinData.get());
    auto steps = [&] {
        return std::count(control->Codes.begin(), control->Codes.end(), AC_LIGHTSTEP) +
               std::count(other->Codes.begin(), other->Codes.end(), AC_LIGHTSTEP);
    };
    control->Codes.clear();

    SetMouseLight(true);
    EXPECT_TRUE(light->LightTimer->Enabled());
    EXPECT_EQ(light->LightTimer->Interval(), 12u);
    EXPECT_TRUE(MouseLightTimerRuns());
    SetMouseLight(false);
    EXPECT_FALSE(MouseLightTimerRuns());
    EXPECT_EQ(steps(), 2); // one broadcast, each control once
    SetMouseLight(false);
    EXPECT_EQ(steps(), 2);

    TsSkinManager* saved = DefaultManager;
    DefaultManager = nullptr;
    SetMouseLight(true);
    EXPECT_FALSE(light->LightTimer->Enabled());
    DefaultManager = saved;
}

TEST_F(LightTest, UpdateRepaintsOnAFlipAndOnAMovedPointer)
{
    HWND wnd = control->Handle();
    PumpUntil([&] { return !Invalid(wnd); });
    data->HotCache = CreateBmp32(4, 4);
    PointAt(wnd, 3, 2);
    Validate(wnd);
    DoUpdateLight(data);
    EXPECT_TRUE(data->FDoLighting);
    EXPECT_FALSE(data->HotCache);
    EXPECT_TRUE(Invalid(wnd));

    // Lit and still: the pointer noted, then no repaint while it stays.
    Validate(wnd);
    DoUpdateLight(data);
    Validate(wnd);
    DoUpdateLight(data);
    EXPECT_FALSE(Invalid(wnd));
    PointAt(wnd, 5, 2);
    DoUpdateLight(data);
    EXPECT_TRUE(Invalid(wnd));

    // A flip while the state-change timer runs drops the lit picture but does not repaint.
    Validate(wnd);
    TacThreadedTimer timer(nullptr);
    timer.SetInterval(100000);
    timer.SetEnabled(true);
    data->AnimTimer = &timer;
    data->HotCache = CreateBmp32(4, 4);
    PointAt(wnd, 400, 0);
    DoUpdateLight(data);
    data->AnimTimer = nullptr;
    EXPECT_FALSE(data->FDoLighting);
    EXPECT_FALSE(data->HotCache);
    EXPECT_FALSE(Invalid(wnd));
}

TEST_F(LightTest, OverlappedControlOrMinimisedFormIsDark)
{
    HWND wnd = control->Handle();
    PointAt(wnd, 0, 0);
    DoUpdateLight(data);
    ASSERT_TRUE(data->FDoLighting);

    const TRect r = ScreenRect(wnd);
    HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, r.Left - 5,
                                 r.Top - 5, 30, 30, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(cover, nullptr);
    DoUpdateLight(data);
    EXPECT_FALSE(data->FDoLighting);
    DestroyWindow(cover);
    DoUpdateLight(data);
    EXPECT_TRUE(data->FDoLighting);

    form->SetWindowState(wsMinimized);
    DoUpdateLight(data);
    EXPECT_FALSE(data->FDoLighting);
    form->SetWindowState(wsNormal);
}

TEST_F(LightTest, SpotIsPaintedUnderThePointer)
{
    control->SetBounds(20, 20, 40, 24);
    control->PaintCache();
    PointAt(control->Handle(), 8, -4);
    DoUpdateLight(data);
    ASSERT_TRUE(data->FDoLighting);
    const Word before = Px(*data->FCacheBmp, 0, 0);
    ASSERT_TRUE(HandleLighting(data, 0));
    TBitmap& cache = *data->FCacheBmp;
    SaveBitmapAsPng(cache, BuildFolderFile(L"mouse_light_spot.png"), false);
    // The spot is strongest under the pointer (20 + 8, 12 - 4) and fades away from it.
    auto change = [&](int x, int y) {
        const Word p = Px(cache, x, y);
        int sum = 0;
        for (int s = 0; s < 24; s += 8) sum += std::abs(int((p >> s) & 255) - int((before >> s) & 255));
        return sum;
    };
    EXPECT_GT(change(28, 8), 0);
    EXPECT_GE(change(28, 8), change(0, 23));
    EXPECT_GE(change(28, 8), change(10, 8));
    EXPECT_GE(change(28, 8), change(39, 8));

    // Nothing for a zero size, nor for a dark control.
    control->SetBounds(20, 20, 0, 24);
    EXPECT_FALSE(HandleLighting(data, 0));
    control->SetBounds(20, 20, 40, 24);
    data->FDoLighting = false;
    EXPECT_FALSE(HandleLighting(data, 0));
}

} // namespace
