// State-change fades, driven step by step on a control of the house skin: which events animate,
// the repaint without animation, the frames of a fade (each the mix of the start and target
// pictures at the step's weight), retargeting mid-way, the end of a fade to normal, the
// attention pulse, and the step routines of graphic controls, combos and glows.
#include "../framework/graphics_png.h"
#include "../support/BuildFolder.h"
#include "sSkinManagerOptions.h"
#include "skin_images_test_effects.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class FadeTest : public EffectsTest {
protected:
    TacThreadedTimer* Timer() { return data->AnimTimer; }

    // The frame a step of weight w must show: the start picture mixed with the target.
    std::unique_ptr<TBitmap> Mixed(TBitmap& from, TBitmap& to, int w)
    {
        auto out = Bmp32(from.Width(), from.Height());
        BitBlt(out->Canvas()->Handle(), 0, 0, from.Width(), from.Height(), from.Canvas()->Handle(), 0, 0, SRCCOPY);
        SumBmpRect(out.get(), &to, static_cast<std::uint8_t>(w), TRect(0, 0, from.Width(), from.Height()), TPoint(0, 0));
        return out;
    }
    static std::unique_ptr<TBitmap> Copy(TBitmap& src)
    {
        auto out = Bmp32(src.Width(), src.Height());
        BitBlt(out->Canvas()->Handle(), 0, 0, src.Width(), src.Height(), src.Canvas()->Handle(), 0, 0, SRCCOPY);
        return out;
    }
    static bool Same(TBitmap& a, TBitmap& b)
    {
        if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (Px(a, x, y) != Px(b, x, y)) return false;
        return true;
    }
    // The colour the control's window shows at (x, y), without alpha.
    Word OnScreen(int x = 5, int y = 5, TFadeControl* c = nullptr)
    {
        auto shot = GrabWindow((c ? c : control)->Handle());
        return Rgb(Px(*shot, x, y));
    }
    void Change(int state, bool mouseAbove, TacAnimProc proc = &UpdateWindow_CB, TFadeControl* c = nullptr)
    {
        c = c ? c : control;
        c->State = state;
        c->SkinData->FMouseAbove = mouseAbove;
        DoChangePaint(c->SkinData.get(), state, proc, true, false, true);
    }
    void FillWindow(TFadeControl* c, COLORREF colour)
    {
        HDC dc = GetWindowDC(c->Handle());
        HBRUSH brush = CreateSolidBrush(colour);
        RECT r{0, 0, c->Width(), c->Height()};
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        ReleaseDC(c->Handle(), dc);
        GdiFlush();
    }
    int CountOf(WORD code) const
    {
        return static_cast<int>(std::count(control->Codes.begin(), control->Codes.end(), code));
    }
};

TEST_F(FadeTest, EventEnabledTruthTable)
{
    using E = TacAnimatEvents;
    struct Case {
        const char* name;
        bool withManager, allowAnimation;
        TacBtnEvents managerEvents;
        E events;
        TacAnimatEvent event;
        bool expected;
    };
    const TacBtnEvents defaults{beMouseEnter, beMouseLeave, beMouseDown, beMouseUp};
    const Case cases[] = {
        {"no manager: enter", false, true, defaults, E{}, aeMouseEnter, true},
        {"no manager: click", false, true, defaults, E{aeClick}, aeClick, false},
        {"animation off", true, false, defaults, E{aeMouseEnter}, aeMouseEnter, false},
        {"own event listed", true, true, defaults, E{aeClick}, aeClick, true},
        {"own event not listed", true, true, defaults, E{aeMouseEnter}, aeMouseDown, false},
        {"global: manager has it", true, true, defaults, E{aeGlobalDef}, aeMouseDown, true},
        {"global: manager lacks it although listed", true, true, TacBtnEvents{beMouseLeave}, E{aeMouseEnter, aeGlobalDef},
         aeMouseEnter, false},
        {"global: click not in the manager's set", true, true, defaults, E{aeClick, aeGlobalDef}, aeClick, false},
        {"global def maps to mouse up", true, true, TacBtnEvents{beMouseUp}, E{aeGlobalDef}, aeGlobalDef, true},
    };
    for (const Case& c : cases) {
        DefaultManager = c.withManager ? manager.get() : nullptr;
        manager->Effects()->SetAllowAnimation(c.allowAnimation);
        manager->AnimEffects()->Buttons()->Events = c.managerEvents;
        EXPECT_EQ(EventEnabled(c.event, c.events), c.expected) << c.name;
    }
    DefaultManager = manager.get();
    manager->Effects()->SetAllowAnimation(true);
    manager->AnimEffects()->Buttons()->Events = defaults;
}

TEST_F(FadeTest, WithoutAnimationTheControlRepaintsAtOnce)
{
    // Not skinned: only invalidated.
    const int index = data->SkinIndex;
    data->SkinIndex = -1;
    data->BGChanged = false;
    Change(1, true);
    EXPECT_TRUE(data->BGChanged);
    EXPECT_EQ(Timer(), nullptr);
    EXPECT_EQ(data->GlowID, -1);
    data->SkinIndex = index;

    // Fading forbidden: the glow is shown at full alpha while hot, and a control that never
    // animated gets no timer for it.
    FadingForbidden = true;
    data->BGChanged = false;
    Change(1, true);
    EXPECT_TRUE(data->BGChanged);
    ASSERT_GE(data->GlowID, 0);
    EXPECT_EQ(dynamic_cast<TacGlowEffect*>(GetEffect(data->GlowID))->FAlpha, 255);
    EXPECT_EQ(Timer(), nullptr);
    FadingForbidden = false;

    // During a skin change the glow goes at once when the mouse left; the timer's glow follows.
    GetNewTimer(data->AnimTimer, control, 0);
    ASSERT_NE(Timer(), nullptr);
    const int id = data->GlowID;
    manager->ManagerState.Include(msSkinChanging);
    data->BGChanged = false;
    Change(0, false);
    manager->ManagerState.Exclude(msSkinChanging);
    EXPECT_EQ(data->GlowID, -1);
    EXPECT_EQ(GetEffect(id), nullptr);
    EXPECT_EQ(Timer()->Glow, 0);
    EXPECT_FALSE(Timer()->Enabled());
}

TEST_F(FadeTest, FramesOfAFadeAndItsReversal)
{
    // To hot: a new timer's fade to hot is done in its first step, which runs at once.
    Change(1, true);
    ASSERT_NE(Timer(), nullptr);
    ASSERT_GE(data->GlowID, 0);
    EXPECT_EQ(Rgb(Px(*Timer()->BmpOut, 0, 0)), Rgb(kStateColor[1]));
    EXPECT_EQ(OnScreen(), Rgb(kStateColor[1]));
    EXPECT_EQ(dynamic_cast<TacGlowEffect*>(GetEffect(data->GlowID))->FAlpha, 255) << "the hot glow is visible";
    EXPECT_FALSE(Timer()->Enabled());

    // Back to normal: 18 steps from the hot picture, the glow fading along.
    Change(0, false);
    TacThreadedTimer* t = Timer();
    ASSERT_TRUE(t->Enabled());
    EXPECT_EQ(t->Iterations, 18);
    EXPECT_EQ(CountOf(AC_PREPARECACHE), 2);
    auto from = Copy(*t->BmpFrom), to = Copy(*t->BmpTo);
    EXPECT_EQ(Px(*from, 0, 0), kStateColor[1]);
    EXPECT_EQ(Px(*to, 0, 0), kStateColor[0]);
    const double step = 255.0 / 18;
    double glow = 255;
    auto alphaAfterStep = [&] {
        glow -= step;
        return static_cast<int>(std::clamp<double>(Round(glow), 0, 255));
    };
    int alpha = alphaAfterStep();
    EXPECT_TRUE(Same(*t->BmpOut, *Mixed(*from, *to, alpha))) << "the first step ran at once";
    EXPECT_EQ(OnScreen(), Rgb(Px(*t->BmpOut, 5, 5)));
    for (int i = 1; i <= 8; ++i) {
        t->TimerTick(nullptr);
        alpha = alphaAfterStep();
        EXPECT_TRUE(Same(*t->BmpOut, *Mixed(*from, *to, alpha))) << "step " << i;
        EXPECT_EQ(dynamic_cast<TacGlowEffect*>(GetEffect(data->GlowID))->FAlpha, alpha);
    }
    EXPECT_EQ(OnScreen(), Rgb(Px(*t->BmpOut, 5, 5)));
    auto midway = GrabWindow(control->Handle());
    SaveBitmapAsPng(*midway, BuildFolderFile(L"fade_midway.png"));

    // The same change again makes no second fade.
    data->BGChanged = false;
    Change(0, false);
    EXPECT_EQ(t->Iteration, 8);
    EXPECT_EQ(CountOf(AC_PREPARECACHE), 2);

    // Pressed now: the fade starts from the picture on screen, without a jump, and ends on the
    // pressed picture.
    data->BGChanged = false; // the control has painted meanwhile
    auto shown = Copy(*t->BmpOut);
    Change(2, true);
    ASSERT_TRUE(t->Enabled());
    EXPECT_TRUE(Same(*t->BmpFrom, *shown));
    EXPECT_TRUE(Same(*t->BmpOut, *Mixed(*shown, *t->BmpTo, 255))) << "first frame of the new fade";
    for (int y = 0; y < shown->Height(); ++y)
        for (int x = 0; x < shown->Width(); ++x) {
            const Word a = Px(*shown, x, y), b = Px(*t->BmpOut, x, y);
            ASSERT_LE(std::abs(ByteR(a) - ByteR(b)) + std::abs(ByteG(a) - ByteG(b)) + std::abs(ByteB(a) - ByteB(b)), 3)
                << "no jump";
        }
    for (int guard = 0; guard < 20 && t->Enabled(); ++guard) t->TimerTick(nullptr);
    EXPECT_FALSE(t->Enabled());
    EXPECT_EQ(OnScreen(), Rgb(kStateColor[2]));
    EXPECT_EQ(data->GlowID, -1) << "no glow once pressed";
}

TEST_F(FadeTest, FadeToNormalEndsWithGlowHiddenAndTimerStopped)
{
    Change(1, true);
    const int id = data->GlowID;
    ASSERT_GE(id, 0);
    Change(0, false);
    TacThreadedTimer* t = Timer();
    // The last planned step comes while the glow is still bright.
    t->Iteration = t->Iterations - 1;
    int extra = 0;
    for (int guard = 0; guard < 60 && t->Enabled(); ++guard, ++extra) t->TimerTick(nullptr);
    EXPECT_GT(extra, 2) << "the fade went on past its planned steps";
    EXPECT_FALSE(t->Enabled());
    EXPECT_EQ(t->State, -1);
    EXPECT_EQ(data->GlowID, -1);
    EXPECT_EQ(GetEffect(id), nullptr);
    EXPECT_EQ(OnScreen(), Rgb(kStateColor[0]));
}

TEST_F(FadeTest, NoFrameReachesTheWindowWhileAPulseRuns)
{
    FillWindow(control, RGB(255, 0, 255));
    data->PulsTimer = new TacThreadedTimer(control);
    ASSERT_TRUE(data->PulsTimer->Enabled());
    Change(1, true);
    EXPECT_EQ(Rgb(Px(*Timer()->BmpOut, 0, 0)), Rgb(kStateColor[1]));
    EXPECT_EQ(OnScreen(), Argb(0, 255, 0, 255));
    delete data->PulsTimer;
    data->PulsTimer = nullptr;
}

TEST_F(FadeTest, ComboStepsShowBorderAndButtonWithoutButtonStyle)
{
    struct Case {
        const char* name;
        TacAnimProc proc;
        bool btnStyle;
    };
    const Case cases[] = {{"combo", &UpdateCombo_CB, false},
                          {"combo edit", &UpdateComboAdv_CB, true},
                          {"extended combo", &UpdateCombo_CBEx, false}};
    int left = 20;
    for (const Case& c : cases) {
        TFadeControl* combo = MakeControl(form, left, 55);
        left += 50;
        combo->BtnStyle = c.btnStyle;
        FillWindow(combo, RGB(255, 0, 255));
        Change(1, true, c.proc, combo);
        const TRect button = combo->ButtonRect();
        EXPECT_EQ(OnScreen(0, 0, combo), Rgb(kStateColor[1])) << c.name;
        EXPECT_EQ(OnScreen(1, 12, combo), Rgb(kStateColor[1])) << c.name << ": 2-pixel border";
        EXPECT_EQ(OnScreen(button.Left + 2, button.Top + 2, combo), Rgb(kStateColor[1])) << c.name << ": button";
        EXPECT_EQ(OnScreen(8, 12, combo), c.btnStyle ? Rgb(kStateColor[1]) : Argb(0, 255, 0, 255)) << c.name;
        EXPECT_EQ(OnScreen(2, 12, combo), c.btnStyle ? Rgb(kStateColor[1]) : Argb(0, 255, 0, 255)) << c.name;
    }
}

// A graphic control with skin data: its parent paints it, so a fade only tells it to repaint.
class TFadeGraphic : public TGraphicControl {
public:
    explicit TFadeGraphic(TComponent* owner) : TGraphicControl(owner)
    {
        SkinData = std::make_unique<TsCommonData>(this, true);
    }
    ~TFadeGraphic() override { SkinData.reset(); }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD) {
            Codes.push_back(AlphaCmdCode(message.WParam));
            if (AlphaCmdCode(message.WParam) == AC_PREPARECACHE) {
                SkinData->FCacheBmp->SetSize(Width(), Height());
                SkinData->BGChanged = false;
                message.Result = 0;
                return;
            }
        }
        TGraphicControl::WndProc(message);
    }
    std::unique_ptr<TsCommonData> SkinData;
    std::vector<WORD> Codes;
};

TEST_F(FadeTest, GraphicControlRepaintsThroughCommands)
{
    auto* graphic = new TFadeGraphic(form);
    graphic->SetParent(form);
    graphic->SetBounds(100, 20, 30, 20);
    graphic->SkinData->SetSkinSection(L"BUTTON");
    graphic->SkinData->FCacheBmp->SetSize(30, 20);
    graphic->SkinData->BGChanged = false;
    ASSERT_GE(graphic->SkinData->SkinIndex, 0);
    DoChangePaint(graphic->SkinData.get(), 1, &UpdateGraphic_CB, true, false, false);
    const std::vector<WORD> expected{AC_PREPARECACHE, AC_SETUPDATING, AC_INVALIDATE};
    EXPECT_EQ(graphic->Codes, expected);
    ASSERT_NE(graphic->SkinData->AnimTimer, nullptr);
    EXPECT_EQ(graphic->SkinData->AnimTimer->BmpOut->Width(), 30);

    // Back to normal, the last planned step still bright: the routine goes on by itself until
    // the fade is out and the timer stopped.
    graphic->Codes.clear();
    DoChangePaint(graphic->SkinData.get(), 0, &UpdateGraphic_CB, true, false, false);
    TacThreadedTimer* t = graphic->SkinData->AnimTimer;
    ASSERT_TRUE(t->Enabled());
    t->Iteration = t->Iterations - 1;
    for (int guard = 0; guard < 60 && t->Enabled(); ++guard) t->TimerTick(nullptr);
    EXPECT_FALSE(t->Enabled());
    EXPECT_EQ(t->State, -1);
    EXPECT_GT(std::count(graphic->Codes.begin(), graphic->Codes.end(), AC_INVALIDATE), 3);
}

TEST_F(FadeTest, GlowOnlyStepsMoveTheGlowAlpha)
{
    struct Case {
        int state;
        std::vector<int> alphas; // after each step
        bool kept;              // the glow is still there at the end
    };
    const Case cases[] = {{1, {120, 140, 160}, true}, {0, {80, 60, 40}, false}};
    for (const Case& c : cases) {
        data->GlowID = ShowGlow(ScreenRect(control->Handle()), L"BUTTON", L"GLOW", 0, 100, control->Handle(), data);
        ASSERT_GE(data->GlowID, 0);
        const int id = data->GlowID;
        GetNewTimer(data->AnimTimer, control, 1);
        TacThreadedTimer* t = Timer();
        t->AnimData = data;
        t->AnimProc = &UpdateGlowing_CB;
        t->State = c.state;
        t->Glow = 100;
        t->GlowStep = 20;
        t->Iteration = 0;
        t->Iterations = 3;
        t->SetInterval(12);
        t->SetEnabled(true);
        t->TimeHandler();
        std::vector<int> alphas{dynamic_cast<TacGlowEffect*>(GetEffect(id))->FAlpha};
        for (int guard = 0; guard < 10 && t->Enabled(); ++guard) {
            t->TimerTick(nullptr);
            if (t->Iteration < t->Iterations) alphas.push_back(dynamic_cast<TacGlowEffect*>(GetEffect(id))->FAlpha);
        }
        EXPECT_EQ(alphas, c.alphas) << "state " << c.state;
        EXPECT_FALSE(t->Enabled());
        EXPECT_EQ(GetEffect(id) != nullptr, c.kept) << "state " << c.state;
        ClearGlows(false, false);
    }
}

} // namespace
