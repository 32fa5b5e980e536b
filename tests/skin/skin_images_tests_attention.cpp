// The click ghost, the attention pulse and the moving text hint, driven step by step on controls
// of the house skin under Xvfb: the ghost's fading and growth, its picture and window; the
// pulse's modes, stop and restart, and pulses of controls without skin data; the text flight.
#include "../framework/graphics_png.h"
#include "../support/BuildFolder.h"
#include "StdCtrls.h"
#include "acGPUtils.h"
#include "sCtrlStates.h"
#include "sLabel.h"
#include "sSkinManager.h"
#include "sVclUtils.h"
#include "skin_images_test_effects.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

// One tick of an animation timer as its message timer runs it.
bool Tick(TacThreadedTimer* t)
{
    ++t->Iteration;
    return t->AnimProc(t->AnimData, t->Iteration);
}

// A test control that answers the skin-state question (37) and can refuse the cache command.
class TSkinnedControl : public TFadeControl {
public:
    using TFadeControl::TFadeControl;
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_GETCOMMONDATA) {
            message.Result = reinterpret_cast<LRESULT>(SkinData.get());
            return;
        }
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_PREPARECACHE && Refuse) {
            message.Result = 1;
            return;
        }
        TFadeControl::WndProc(message);
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_PREPARECACHE && Background != 0)
            PaintOwnAndBackground(*SkinData->FCacheBmp, Background);
    }
    // The left half shows bg (what lies behind), column 25 is black: the control's own text.
    static void PaintOwnAndBackground(TBitmap& cache, Word bg)
    {
        for (int y = 0; y < cache.Height(); ++y) {
            for (int x = 0; x < cache.Width() / 2; ++x) SetPx(cache, x, y, bg);
            SetPx(cache, 25, y, 0xFF000000u);
        }
    }
    bool Refuse = false;
    Word Background = 0; // non-zero: the cache is painted with PaintOwnAndBackground
};

class AttentionTest : public EffectsTest {
protected:
    void SetUp() override
    {
        EffectsTest::SetUp();
        // Loading the skin leaves the skin-change animation flag behind.
        InAnimationProcess = false;
        acGPUtilsInitialization(); // the soft ghost's blur stretches through GDI+
        skinned = new TSkinnedControl(form);
        skinned->SetParent(form);
        skinned->SetBounds(100, 20, 40, 24);
        skinned->SkinData->SetSkinSection(L"BUTTON");
        skinned->HandleNeeded();
        skinned->PaintCache();
        PumpUntil([this] { return IsWindowVisible(skinned->Handle()) != FALSE; });
    }
    void TearDown() override
    {
        acAnimationFinalization();
        acGPUtilsFinalization();
        if (DefaultManager) DefaultManager->ManagerState = TacManagerState();
        EffectsTest::TearDown();
    }
    // The form repainted and the screen showing it (a ghost copies the screen), pixel (3, 10)
    // of the control as its cache has it.
    void ShowSettled()
    {
        RedrawWindow(form->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        const TRect r = ScreenRect(control->Handle());
        const Word want = Rgb(Px(*data->FCacheBmp, 3, 10));
        const bool shown = PumpUntil([&] {
            HDC screen = GetDC(nullptr);
            const COLORREF c = GetPixel(screen, r.Left + 3, r.Top + 10);
            ReleaseDC(nullptr, screen);
            return ((static_cast<Word>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c)) == want;
        });
        EXPECT_TRUE(shown) << "the screen shows the control";
    }
    // What the form shows behind a control at (1, 1) of it.
    Word ParentBg(TsCommonData* d, TControl* c)
    {
        const TCacheInfo ci = GetParentCache(d);
        if (ci.Ready && ci.Bmp) return Px(*ci.Bmp, ci.X + c->Left() + 1, ci.Y + c->Top() + 1);
        const TColor rgb = ColorToRGB(ci.FillColor);
        return 0xFF000000u | ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    }
    TacClickTimer* Ghost(TsCommonData* d) { return dynamic_cast<TacClickTimer*>(d->ClickTimer); }
    TacPulsTimer* Pulse(TsCommonData* d) { return dynamic_cast<TacPulsTimer*>(d->PulsTimer); }

    TSkinnedControl* skinned = nullptr;
};

TEST_F(AttentionTest, ClickGhostFadesByASixthAndGrowsByMode)
{
    struct Case {
        TacClickMode mode;
        int growth;
        bool blurred;
    };
    for (const Case c : {Case{cm1, 7, true}, Case{cm2, 2, false}}) {
        SCOPED_TRACE(c.mode == cm1 ? "cm1" : "cm2");
        ShowSettled();
        LayeredCalls().clear();
        DoClickAnimation(data, c.mode);
        TacClickTimer* t = Ghost(data);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Alpha, 255);
        EXPECT_EQ(t->Interval(), 12u);
        EXPECT_EQ(t->Iterations, 18);
        EXPECT_TRUE(t->Enabled());
        const TRect start = t->AnimRect;
        EXPECT_EQ(start, ScreenRect(control->Handle()));

        int alpha = 255, steps = 0;
        while (Tick(t)) {
            ++steps;
            alpha = alpha * 5 / 6;
            ASSERT_EQ(t->Alpha, alpha);
            ASSERT_EQ(t->AnimRect.Width(), start.Width() + steps * c.growth);
            ASSERT_NE(t->AForm, nullptr);
            if (steps == 1) {
                const HWND ghost = t->AForm->Handle();
                const LONG_PTR ex = GetWindowLongPtrW(ghost, GWL_EXSTYLE);
                EXPECT_NE(ex & WS_EX_LAYERED, 0);
                EXPECT_NE(ex & WS_EX_TRANSPARENT, 0);
                EXPECT_EQ(GetWindow(ghost, GW_HWNDNEXT), form->Handle()) << "right above the control's form";
                // Centred on the control.
                EXPECT_EQ(t->AnimRect.Left, start.Left - c.growth / 2);
                // A blurred ghost has edge pixels mixed with the transparent margin.
                int between = 0;
                for (int y = 0; y < t->BmpOut->Height(); ++y)
                    for (int x = 0; x < t->BmpOut->Width(); ++x) {
                        const Word p = Px(*t->BmpOut, x, y);
                        const int red = static_cast<int>((p >> 16) & 0xFF);
                        if (p != 0 && red < 0xC8 - 16) ++between;
                    }
                EXPECT_EQ(between > 0, c.blurred);
                if (c.blurred) SaveBitmapAsPng(*t->BmpOut, BuildFolderFile(L"click_ghost_cm1.png"), true);
                ASSERT_FALSE(LayeredCalls().empty());
                EXPECT_EQ(LayeredCalls().back().Alpha, alpha);
            }
        }
        EXPECT_EQ(steps, 17) << "the 18th step ends it";
        EXPECT_EQ(t->AForm, nullptr);
        EXPECT_FALSE(t->Enabled());
    }
}

TEST_F(AttentionTest, ClickGhostNeedsAVisibleOwnerAndDropsTheBackground)
{
    // Without an owner control nothing starts.
    TsCommonData orphan(nullptr, true);
    DoClickAnimation(&orphan, cm1);
    EXPECT_EQ(orphan.ClickTimer, nullptr);

    // The left half of the control shows the form's own background: the ghost leaves it out,
    // and keeps the control's own black pixels.
    TSkinnedControl::PaintOwnAndBackground(*data->FCacheBmp, ParentBg(data, control));
    ShowSettled();
    DoClickAnimation(data, cm1);
    TacClickTimer* t = Ghost(data);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(Px(*t->BmpOut, 3, 10), 0u) << "background pixel removed";
    EXPECT_EQ(Px(*t->BmpOut, 30, 10), kStateColor[0]) << "the control's own pixel, opaque";
    EXPECT_EQ(Px(*t->BmpOut, 25, 10), 0xFF000000u) << "the control's own black pixel, opaque";

    // A hidden control ends its ghost at the first step and shows no window.
    LayeredCalls().clear();
    control->SetVisible(false);
    DoClickAnimation(data, cm2);
    EXPECT_FALSE(Tick(t));
    EXPECT_EQ(t->AForm, nullptr);
    EXPECT_TRUE(LayeredCalls().empty());
}

TEST_F(AttentionTest, StartAttentionRefusesBadModesAndBusyControls)
{
    StartAttention(skinned, TacAttentionData{clRed, 40, static_cast<TacAttentionMode>(3)});
    EXPECT_EQ(skinned->SkinData->PulsTimer, nullptr);
    StartAttention(skinned, TacAttentionData{clRed, 40, static_cast<TacAttentionMode>(-1)});
    EXPECT_EQ(skinned->SkinData->PulsTimer, nullptr);
    skinned->Refuse = true;
    StartAttention(skinned, TacAttentionData{clRed, 40, amColor});
    EXPECT_EQ(skinned->SkinData->PulsTimer, nullptr);
}

TEST_F(AttentionTest, ColourPulseSwingsBetweenPictureAndTint)
{
    TsCommonData* d = skinned->SkinData.get();
    StartAttention(skinned, TacAttentionData{static_cast<TColor>(0x00FF00), 40, amColor});
    TacPulsTimer* t = Pulse(d);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Glow, 255);
    EXPECT_TRUE(Tick(t)); // the first step prepares the pictures
    EXPECT_EQ(t->AnimProc, &PulsColor_CB);
    EXPECT_EQ(t->Interval(), 40u);
    ASSERT_TRUE(t->BmpFrom && t->BmpTo);
    EXPECT_EQ(Px(*t->BmpFrom, 5, 5), kStateColor[0]);
    const Word tinted = Px(*t->BmpTo, 5, 5);
    EXPECT_GT((tinted >> 8) & 0xFF, tinted & 0xFF) << "tinted toward green";
    EXPECT_GT((tinted >> 8) & 0xFF, (tinted >> 16) & 0xFF);

    const double step = t->GlowStep;
    const int state = t->State;
    for (int i = 1; i < t->Iterations; ++i) ASSERT_TRUE(Tick(t));
    EXPECT_EQ(t->Iteration, t->Iterations - 1);
    ASSERT_TRUE(Tick(t)); // the last iteration turns round
    EXPECT_EQ(t->Iteration, 0);
    EXPECT_EQ(t->GlowStep, -step);
    EXPECT_NE(t->State, state);
    EXPECT_EQ(Px(*t->BmpOut, 5, 5), tinted) << "at the turn the picture is all tint";
    SaveBitmapAsPng(*t->BmpOut, BuildFolderFile(L"attention_tint.png"));

    // Restart keeps the data; stop frees the pulse and marks the picture stale.
    RestartAttention(d);
    TacPulsTimer* again = Pulse(d);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->PaintData.Color, static_cast<TColor>(0x00FF00));
    EXPECT_EQ(again->PaintData.Interval, 40);
    d->BGChanged = false;
    StopAttention(skinned);
    EXPECT_EQ(d->PulsTimer, nullptr);
    EXPECT_TRUE(d->BGChanged);
}

TEST_F(AttentionTest, ColourPulseTintsAllOfAnOpaqueControlButOnlyTheOwnPixelsOfATransparentOne)
{
    TsCommonData* d = skinned->SkinData.get();
    TacSkinData* skin = d->GetCommonSkinData();
    ASSERT_NE(skin, nullptr);
    TsGeneralData& section = skin->gd.at(static_cast<size_t>(d->SkinIndex));
    ASSERT_GE(section.BorderIndex, 0);
    TsMaskData& border = skin->ma.at(static_cast<size_t>(section.BorderIndex));
    const std::int32_t transparency = section.Props[0].Transparency;
    const std::int16_t drawMode = border.DrawMode;
    const Word bg = ParentBg(d, skinned);
    skinned->Background = bg;
    struct Case {
        const char* name;
        std::int32_t transparency;
        std::int16_t drawModeBits;
        bool transparent;
    };
    for (const Case c : {Case{"opaque section", 0, 0, false}, Case{"transparency 100", 100, 0, true},
                         Case{"transparency 100, border filling", 100, 6, false}}) {
        SCOPED_TRACE(c.name);
        section.Props[0].Transparency = c.transparency;
        border.DrawMode = static_cast<std::int16_t>(drawMode | c.drawModeBits);
        StartAttention(skinned, TacAttentionData{static_cast<TColor>(0x00FF00), 40, amColor});
        TacPulsTimer* t = Pulse(d);
        ASSERT_NE(t, nullptr);
        ASSERT_TRUE(Tick(t));
        ASSERT_TRUE(t->BmpTo);
        const Word behind = Px(*t->BmpTo, 3, 10);
        if (c.transparent)
            EXPECT_EQ(Rgb(behind), Rgb(bg)) << "what lies behind stays as it is";
        else
            EXPECT_NE(Rgb(behind), Rgb(bg)) << "the whole picture is tinted";
        EXPECT_EQ(Rgb(Px(*t->BmpTo, 25, 10)), 0u) << "the control's black stays black";
        const Word own = Px(*t->BmpTo, 35, 10);
        EXPECT_GT((own >> 8) & 0xFF, (own >> 16) & 0xFF) << "own pixels tinted toward green";
        StopAttention(skinned);
    }
    section.Props[0].Transparency = transparency;
    border.DrawMode = drawMode;
}

TEST_F(AttentionTest, VibrationShakesTwentyFiveStepsThenRests)
{
    TsCommonData* d = skinned->SkinData.get();
    StartAttention(skinned, TacAttentionData{clNone, 100, amVibration});
    TacPulsTimer* t = Pulse(d);
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(Tick(t));
    EXPECT_EQ(t->AnimProc, &PulsShake_CB);
    EXPECT_EQ(t->Interval(), 20u);
    EXPECT_EQ(t->Iteration, 0);
    const int left = skinned->Left();
    int moves = 0;
    while (t->Interval() == 20u) {
        const int direct = t->Direct;
        ASSERT_TRUE(Tick(t));
        if (t->Direct != direct) {
            ++moves;
            EXPECT_EQ(t->AnimRect.Left, left + (moves % 2 ? 1 : 0));
        }
        ASSERT_LT(moves, 100);
    }
    EXPECT_EQ(t->Iteration, 27);
    EXPECT_EQ(moves, 14);
    EXPECT_EQ(t->Interval(), 500u);
    ASSERT_TRUE(Tick(t)); // the in-between call
    ASSERT_TRUE(Tick(t)); // after the rest: shaking again
    EXPECT_EQ(t->Interval(), 20u);
    EXPECT_EQ(t->Iteration, 1);
    EXPECT_EQ(skinned->Left(), left) << "the control itself never moves";
}

TEST_F(AttentionTest, WaveringSendsGhostsUnlessTheSkinChanges)
{
    TsCommonData* d = skinned->SkinData.get();
    StartAttention(skinned, TacAttentionData{clNone, 300, amWavering});
    TacPulsTimer* t = Pulse(d);
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(Tick(t));
    EXPECT_EQ(t->Interval(), 300u);
    EXPECT_EQ(t->Iterations, INT_MAX);
    DefaultManager->ManagerState = TacManagerState{msSkinChanging};
    ASSERT_TRUE(Tick(t));
    EXPECT_EQ(d->ClickTimer, nullptr);
    DefaultManager->ManagerState = TacManagerState();
    ASSERT_TRUE(Tick(t));
    ASSERT_NE(Ghost(d), nullptr);
    EXPECT_EQ(Ghost(d)->Mode, cm2);
    EXPECT_TRUE(Ghost(d)->Enabled());
}

TEST_F(AttentionTest, ControlsWithoutSkinDataPulseThroughTheUnitList)
{
    // The plain test control does not answer the skin-state question.
    StartAttention(control, TacAttentionData{static_cast<TColor>(0x0000FF), 30, amColor});
    EXPECT_EQ(data->PulsTimer, nullptr);
    TacPulsTimer* t = UnskinnedPulse(control);
    ASSERT_NE(t, nullptr);
    ASSERT_NE(t->OwnData, nullptr);
    EXPECT_EQ(t->OwnData->FOwnerControl, control);
    ASSERT_TRUE(Tick(t));
    EXPECT_EQ(t->AnimProc, &PulsColor_CB);
    ASSERT_TRUE(Tick(t));
    EXPECT_NE(t->BmpOut, nullptr);
    // Started again: the same entry.
    StartAttention(control, TacAttentionData{static_cast<TColor>(0x0000FF), 30, amColor});
    EXPECT_EQ(UnskinnedPulse(control), t);

    StopAttention(control);
    EXPECT_EQ(UnskinnedPulse(control), nullptr);
    StartAttention(control, TacAttentionData{clNone, 30, amWavering});
    ASSERT_NE(UnskinnedPulse(control), nullptr);
    acAnimationFinalization();
    EXPECT_EQ(UnskinnedPulse(control), nullptr);
    EXPECT_FALSE(ThreadedTimerIsLive(t));
}

// An edit with skin data and a bound label; it notes its moving bit when told its hint flies.
class THintEdit : public TEdit {
public:
    explicit THintEdit(TComponent* owner) : TEdit(owner)
    {
        SkinData = std::make_unique<TsCtrlSkinData>(this, true);
        Bound = std::make_unique<TsBoundLabel>(this, SkinData.get());
    }
    ~THintEdit() override
    {
        Bound.reset();
        SkinData.reset();
    }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_INVALIDATECACHE)
            MovingWhenTold = (SkinData->CtrlSkinState & ACS_TEXTMOVING) != 0;
        TEdit::WndProc(message);
    }
    std::unique_ptr<TsCtrlSkinData> SkinData;
    std::unique_ptr<TsBoundLabel> Bound;
    bool MovingWhenTold = false;
};

class TextHintTest : public EffectsTest {
protected:
    void SetUp() override
    {
        EffectsTest::SetUp();
        edit = new THintEdit(form);
        edit->SetParent(form);
        edit->SetName(L"Edit1");
        edit->SetBounds(100, 70, 90, 24);
        edit->SkinData->SetSkinSection(L"EDIT");
        edit->HandleNeeded();
        PumpUntil([this] { return IsWindowVisible(edit->Handle()) != FALSE; });
        LayeredCalls().clear();
        acMoveTextFrames = -1;
    }
    THintEdit* edit = nullptr;
};

TEST_F(TextHintTest, NothingForAnEmptyHintOrAnActiveLabel)
{
    MakeLabelTextHint(edit->SkinData.get(), edit->Bound.get(), L"");
    EXPECT_FALSE(edit->Bound->Active());
    edit->Bound->SetBoolean(1, true);
    edit->Bound->SetText(L"Kept");
    MakeLabelTextHint(edit->SkinData.get(), edit->Bound.get(), L"Name");
    EXPECT_EQ(edit->Bound->Caption(), L"Kept");
    EXPECT_EQ(acMoveTextFrames, -1);
    EXPECT_TRUE(LayeredCalls().empty());
}

TEST_F(TextHintTest, AHiddenEditShowsItsLabelWithoutFlight)
{
    edit->SetVisible(false);
    MakeLabelTextHint(edit->SkinData.get(), edit->Bound.get(), L"Name");
    EXPECT_TRUE(edit->Bound->Active());
    ASSERT_NE(edit->Bound->TheLabel(), nullptr);
    EXPECT_EQ(edit->Bound->Caption(), L"Name") << "the hint becomes the caption at once";
    EXPECT_EQ(edit->Bound->TheLabel()->Caption(), L"Name");
    EXPECT_FALSE(edit->Bound->PreventVisible);
    EXPECT_EQ(acMoveTextFrames, -1);
    EXPECT_TRUE(LayeredCalls().empty());
}

TEST_F(TextHintTest, TheHintFliesIntoTheLabel)
{
    MakeLabelTextHint(edit->SkinData.get(), edit->Bound.get(), L"Name");
    TsEditLabel* label = edit->Bound->TheLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Caption(), L"Name");
    EXPECT_TRUE(label->Visible());
    EXPECT_FALSE(edit->Bound->PreventVisible);
    EXPECT_TRUE(edit->MovingWhenTold);
    EXPECT_EQ(edit->SkinData->CtrlSkinState & ACS_TEXTMOVING, 0u);
    ASSERT_GT(acMoveTextFrames, 3);
    ASSERT_EQ(static_cast<int>(LayeredCalls().size()), acMoveTextFrames);

    // Every frame closes a sixth of the way: the remaining distance shrinks each frame.
    const TRect tr = edit->Bound->GetTextRect();
    POINT target{label->Left() + tr.Left, label->Top() + tr.Top};
    ClientToScreen(form->Handle(), &target);
    double last = 1e9;
    for (const LayeredCall& call : LayeredCalls()) {
        ASSERT_TRUE(call.HasPos);
        const double d = std::hypot(call.Pos.x - target.x, call.Pos.y - target.y);
        EXPECT_LE(d, last);
        last = d;
    }
    EXPECT_LE(last, 2.0);
    // The last frame is almost all the label's text, which the label painted itself.
    TBitmap& lastFrame = *LayeredCalls().back().Image;
    int inked = 0;
    for (int y = 0; y < lastFrame.Height(); ++y)
        for (int x = 0; x < lastFrame.Width(); ++x)
            if (static_cast<const std::uint8_t*>(lastFrame.ScanLine(y))[x * 4 + 3] > 128) ++inked;
    EXPECT_GT(inked, 10);
    EXPECT_TRUE(label->Visible()) << "shown again at the end";
    const HWND wnd = LayeredCalls().back().Wnd;
    EXPECT_FALSE(IsWindow(wnd)) << "the flight's window is freed";
    SaveBitmapAsPng(*LayeredCalls()[LayeredCalls().size() / 2].Image, BuildFolderFile(L"text_hint_flight.png"), true);
}

TEST_F(TextHintTest, AFlightToTheSamePlaceEndsWithoutAFrame)
{
    TacMoveTextData from;
    from.Text = L"Same";
    from.Font = edit->Font();
    from.Ctrl = edit;
    from.Color = clGray;
    from.R = TRect(300, 300, 340, 316);
    TacMoveTextData to = from;
    to.Ctrl = nullptr;
    AnimMoveText(from, to);
    EXPECT_EQ(acMoveTextFrames, 0);
    EXPECT_TRUE(LayeredCalls().empty());
}

} // namespace
