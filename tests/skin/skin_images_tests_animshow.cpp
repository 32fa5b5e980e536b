// Animated showing of controls and forms. The output window over a control is read back from
// its window DC by a magnifier window, which the animation asks to refresh after every picture
// it shows; a form's layered window is read through a recording UpdateLayeredWindow entry, as
// nothing of a layered window can be read back from the screen without a compositor.
#include "../framework/controls_tests_widgets_support.h"
#include "../framework/runtime_test_tempdir.h"
#include "../support/BuildFolder.h"
#include "Exceptions.h"
#include "Files.h"
#include "acAnimationShow.h"
#include "acntTypes.h"
#include "skin_test_house_manager.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsSystem.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerStartup.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"
#include "skin_graphics_test_pixels.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kOld = RGB(200, 40, 40);
constexpr COLORREF kNew = RGB(40, 160, 60);
constexpr COLORREF kChild = RGB(30, 30, 200);

int ColourDistance(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

// What the screen showed in the output window at each refresh, and where the window lay.
struct Shown {
    COLORREF Centre = 0;
    HWND Below = nullptr; // the window right under the output window
    HWND Above = nullptr;
    bool Animating = false;
};

// The magnifier: at every refresh it copies what the output window shows.
class TMagnifier : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_REFRESH && ow && ow->HandleAllocated()) {
            HWND wnd = ow->Handle();
            RECT r{};
            GetWindowRect(wnd, &r);
            Last = Bmp32(r.right - r.left, r.bottom - r.top);
            HDC dc = GetWindowDC(wnd);
            BitBlt(Last->Canvas()->Handle(), 0, 0, Last->Width(), Last->Height(), dc, 0, 0, SRCCOPY);
            ReleaseDC(wnd, dc);
            GdiFlush();
            Shown s;
            s.Centre = PixelOf(*Last, Last->Width() / 2, Last->Height() / 2);
            s.Below = GetWindow(wnd, GW_HWNDNEXT);
            s.Above = GetWindow(wnd, GW_HWNDPREV);
            s.Animating = InAnimationProcess;
            Frames.push_back(s);
            if (Frames.size() == 2) {
                Second = Bmp32(Last->Width(), Last->Height());
                CopyBmp(Second.get(), Last.get());
            }
            return;
        }
        TCustomControl::WndProc(message);
    }
    std::vector<Shown> Frames;
    std::unique_ptr<TBitmap> Last, Second;
};

class SkinAnimShow : public WidgetsTest {
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        sSkinManagerInitialization();
        sGraphUtilsInitialization();
        manager = ActiveHouseSkinManager(dir.Path());
        ASSERT_TRUE(manager && manager->IsActive());
        InAnimationProcess = false;

        form = NewForm(320, 220);
        // A form without a skin provider: the dialog skinning leaves forms with the except bits alone.
        form->SetTag(ExceptTag);
        magnifier = new TMagnifier(form);
        magnifier->SetParent(form);
        magnifier->SetBounds(300, 200, 4, 4);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(20, 20, 200, 120);
        panel->SetColor(static_cast<TColor>(kOld));
        for (int i = 0; i < 2; ++i) {
            auto* child = new TPanel(panel);
            child->SetParent(panel);
            child->SetBounds(20 + i * 100, 30, 60, 40);
            child->SetColor(static_cast<TColor>(kChild));
        }
        form->Show();
        PumpUntil([this] { return IsWindowVisible(panel->Handle()); });
        CaptureWindow(form->Handle()); // everything painted before the picture is taken
        acMagnForm = magnifier;
    }
    void TearDown() override
    {
        acMagnForm = nullptr;
        delete form;
        manager.reset();
        DefaultManager = nullptr;
        sGraphUtilsFinalization();
        sSkinManagerFinalization();
        WidgetsTest::TearDown();
    }

    TestTempDir dir;
    std::unique_ptr<TsSkinManager> manager;
    TForm* form = nullptr;
    TPanel* panel = nullptr;
    TMagnifier* magnifier = nullptr;
};

struct KindCase {
    TacAnimTypeCtrl Kind;
    const char* Name;
    size_t Frames; // intermediate frames at 96 ms
};

// fade, aero and blur2 take Time div 24 frames; run-up and blur end by their value rules
// (255 x (2/3)^k and 255 / 1.5424^k staying above 2).
TEST_F(SkinAnimShow, EveryKindRunsFromTheOldPictureToTheNewContent)
{
    const KindCase cases[] = {{atcFade, "fade", 4},
                              {atcAero, "aero", 4},
                              {atcBlur, "blur", 12},
                              {atcBlur2, "blur2", 4},
                              {atcRunup, "runup", 12}};
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.Name);
        magnifier->Frames.clear();
        panel->SetColor(static_cast<TColor>(kOld));
        CaptureWindow(form->Handle());

        PrepareForAnimation(panel, c.Kind);
        ASSERT_NE(ow, nullptr);
        const HWND outWnd = ow->Handle();
        EXPECT_TRUE(IsWindowVisible(outWnd));
        panel->SetColor(static_cast<TColor>(kNew));

        struct Seen {
            COLORREF Centre;
            bool Animating;
        };
        std::vector<Seen> seen;
        AnimShowControl(panel, 96, 255, c.Kind, [&](TacIterationData& data) {
            EXPECT_EQ(data.Ctrl, panel);
            seen.push_back({PixelOf(*data.BmpOut, data.BmpOut->Width() / 2, 10), InAnimationProcess});
        });

        ASSERT_EQ(seen.size(), c.Frames);
        ASSERT_EQ(magnifier->Frames.size(), c.Frames + 1);
        for (size_t i = 0; i < seen.size(); ++i) {
            EXPECT_TRUE(seen[i].Animating);
            EXPECT_TRUE(magnifier->Frames[i].Animating);
            // The run-up's routine comes before the frame is built from the old picture; the
            // others see the frame that is then shown.
            if (c.Kind == atcRunup) {
                EXPECT_EQ(seen[i].Centre, kOld) << i;
            }
        }
        // Every frame shown comes nearer the new content (a little slack for the blur's faded
        // children); all but the blur, which starts from the bare background, start nearer the
        // old picture.
        for (size_t i = 0; i + 1 < magnifier->Frames.size(); ++i)
            EXPECT_LE(ColourDistance(magnifier->Frames[i + 1].Centre, kNew),
                      ColourDistance(magnifier->Frames[i].Centre, kNew) + 4)
                << i;
        if (c.Kind != atcBlur) {
            EXPECT_LT(ColourDistance(magnifier->Frames[0].Centre, kOld),
                      ColourDistance(magnifier->Frames[0].Centre, kNew));
        }
        // A frame in between is neither picture; the last one shown is the new content.
        const COLORREF between = PixelOf(*magnifier->Second, magnifier->Second->Width() / 2, 10);
        EXPECT_NE(between, kOld);
        EXPECT_NE(between, kNew);
        EXPECT_EQ(PixelOf(*magnifier->Last, magnifier->Last->Width() / 2, 10), kNew);
        if (c.Kind != atcRunup) {
            EXPECT_EQ(seen[1].Centre, between);
        }
        SaveCapture(*magnifier->Second, (std::wstring(L"animshow_") + std::wstring(c.Name, c.Name + strlen(c.Name))).c_str());

        EXPECT_EQ(ow, nullptr);
        EXPECT_FALSE(IsWindow(outWnd));
        EXPECT_EQ(acShowState(), nullptr);
        EXPECT_FALSE(InAnimationProcess);
    }
}

TEST_F(SkinAnimShow, InvisibleOrMinimisedControlsAreLeftAlone)
{
    auto check = [this](const char* what) {
        SCOPED_TRACE(what);
        PrepareForAnimation(panel, atcFade);
        EXPECT_EQ(acShowState(), nullptr);
        EXPECT_EQ(ow, nullptr);
        int calls = 0;
        AnimShowControl(panel, 96, 255, atcFade, [&](TacIterationData&) { ++calls; });
        EXPECT_EQ(calls, 0);
        EXPECT_TRUE(magnifier->Frames.empty());
        EXPECT_EQ(ow, nullptr);
        EXPECT_FALSE(InAnimationProcess);
    };
    panel->SetVisible(false);
    check("invisible");
    panel->SetVisible(true);

    // A control prepared and then hidden: its output window goes with the animation that
    // does not run.
    PrepareForAnimation(panel, atcFade);
    ASSERT_NE(ow, nullptr);
    const HWND outWnd = ow->Handle();
    panel->SetVisible(false);
    AnimShowControl(panel, 96, 255, atcFade, nullptr);
    EXPECT_EQ(ow, nullptr);
    EXPECT_FALSE(IsWindow(outWnd));
    EXPECT_EQ(acShowState(), nullptr);
    panel->SetVisible(true);

    ShowWindow(form->Handle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(form->Handle()));
    check("minimised");
}

TEST_F(SkinAnimShow, AnExceptionFromTheRoutineFreesTheAnimation)
{
    PrepareForAnimation(panel, atcBlur);
    ASSERT_NE(ow, nullptr);
    const HWND outWnd = ow->Handle();
    int calls = 0;
    EXPECT_THROW(AnimShowControl(panel, 96, 255, atcBlur,
                                 [&](TacIterationData&) {
                                     if (++calls == 2) throw Exception(L"stop");
                                 }),
                 Exception);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(ow, nullptr);
    EXPECT_FALSE(IsWindow(outWnd));
    EXPECT_EQ(acShowState(), nullptr);
    EXPECT_FALSE(InAnimationProcess);
}

TEST_F(SkinAnimShow, PreparingTakesTheScreenAndMarksWhereTheBackgroundDiffers)
{
    // A client-aligned container whose children stick out on every side, one of them hidden.
    auto* container = new TPanel(panel);
    container->SetParent(panel);
    container->SetAlign(alClient);
    struct ChildCase {
        TRect Bounds;
        bool Visible;
    };
    const ChildCase children[] = {{TRect(10, 10, 50, 30), true},
                                  {TRect(-8, 40, 30, 60), true},
                                  {TRect(150, -5, 400, 20), true},
                                  {TRect(20, 80, 60, 300), true},
                                  {TRect(60, 60, 80, 70), false}};
    // One child has exactly the bare background's colour.
    TacBGInfo bg;
    GetBGInfo(bg, form, false);
    for (const ChildCase& c : children) {
        auto* child = new TPanel(container);
        child->SetParent(container);
        child->SetBoundsRect(c.Bounds);
        child->SetColor(&c == &children[0] ? ColorToRGB(bg.Color) : static_cast<TColor>(kChild));
        child->SetBevelOuter(bvNone);
        child->SetVisible(c.Visible);
    }
    CaptureWindow(form->Handle()); // everything painted
    const int cw = container->Width(), ch = container->Height();

    PrepareForAnimation(panel, atcBlur);
    const TacShowState* state = acShowState();
    ASSERT_NE(state, nullptr);

    // The picture is the screen under the panel.
    RECT pr{};
    GetWindowRect(panel->Handle(), &pr);
    auto own = Bmp32(panel->Width(), panel->Height());
    HDC dc = GetDC(nullptr);
    BitBlt(own->Canvas()->Handle(), 0, 0, own->Width(), own->Height(), dc, pr.left, pr.top, SRCCOPY);
    ReleaseDC(nullptr, dc);
    ASSERT_EQ(state->Before->Width(), panel->Width());
    int differing = 0, equal = 0;
    for (int y = 0; y < own->Height(); ++y)
        for (int x = 0; x < own->Width(); ++x) {
            ASSERT_EQ(Px(*state->Before, x, y) & 0xFFFFFF, Px(*own, x, y) & 0xFFFFFF) << x << "," << y;
            const Word b = Px(*state->Background, x, y);
            const bool differs = (b & 0xFFFFFF) != (Px(*own, x, y) & 0xFFFFFF);
            ASSERT_EQ(ByteA(b), differs ? 255 : 0) << x << "," << y;
            ++(differs ? differing : equal);
        }
    EXPECT_GT(differing, 0);
    EXPECT_GE(equal, 40 * 20); // the child in the background's colour

    const std::vector<TRect> expected{TRect(10, 10, 50, 30), TRect(0, 40, 30, 60), TRect(150, 0, cw, 20),
                                      TRect(20, 80, 60, ch)};
    EXPECT_EQ(state->ChildRects, expected);

    AnimShowControl(panel, 0, 255, atcBlur);
    EXPECT_EQ(acShowState(), nullptr);

    // The difference mask has no width limit: a panel far wider than the screen, whose part
    // beyond the screen's edge reads back black.
    panel->SetBounds(0, 0, 10050, 8);
    container->SetVisible(false);
    panel->SetColor(static_cast<TColor>(kOld));
    CaptureWindow(form->Handle());
    PrepareForAnimation(panel, atcFade);
    state = acShowState();
    ASSERT_NE(state, nullptr);
    ASSERT_EQ(state->Background->Width(), 10050);
    for (const int x : {10, 10020, 10049}) {
        const Word b = Px(*state->Background, x, 4);
        EXPECT_EQ(ByteA(b), (b & 0xFFFFFF) != (Px(*state->Before, x, 4) & 0xFFFFFF) ? 255 : 0) << x;
        EXPECT_EQ(ByteA(b), 255) << x;
    }
    AnimShowControl(panel, 0, 255, atcFade);
}

TEST_F(SkinAnimShow, ShortTimeShowsTheNewPictureAtOnceAboveTheControl)
{
    // A sibling above the panel stays above the output window.
    auto* sibling = new TPanel(form);
    sibling->SetParent(form);
    sibling->SetBounds(200, 100, 60, 60);
    CaptureWindow(form->Handle());
    ASSERT_EQ(GetWindow(sibling->Handle(), GW_HWNDNEXT), panel->Handle());

    PrepareForAnimation(panel, atcFade);
    panel->SetColor(static_cast<TColor>(kNew));
    int calls = 0;
    AnimShowControl(panel, 23, 255, atcAero, [&](TacIterationData&) { ++calls; });
    EXPECT_EQ(calls, 0);
    ASSERT_EQ(magnifier->Frames.size(), 1u);
    EXPECT_EQ(magnifier->Frames[0].Centre, kNew);
    EXPECT_EQ(magnifier->Frames[0].Below, panel->Handle());
    EXPECT_EQ(magnifier->Frames[0].Above, sibling->Handle());
    EXPECT_EQ(ow, nullptr);

    // Without a prepared picture the animation prepares one itself.
    magnifier->Frames.clear();
    AnimShowControl(panel, 48, 255, atcFade);
    EXPECT_EQ(magnifier->Frames.size(), 3u);
    EXPECT_EQ(ow, nullptr);
}

// A content change that resizes the control leaves the picture taken before it unfit to blend
// with: no frame of the wrong size (black, or mixed from nothing) comes between.
TEST_F(SkinAnimShow, AControlResizedAfterPreparingShowsItsNewPictureAtOnce)
{
    PrepareForAnimation(panel, atcFade);
    ASSERT_NE(ow, nullptr);
    panel->SetBounds(20, 20, 160, 100);
    panel->SetColor(static_cast<TColor>(kNew));
    int calls = 0;
    AnimShowControl(panel, 96, 255, atcFade, [&](TacIterationData&) { ++calls; });
    EXPECT_EQ(calls, 0);
    ASSERT_EQ(magnifier->Frames.size(), 1u);
    EXPECT_EQ(magnifier->Frames[0].Centre, kNew);
    EXPECT_EQ(ow, nullptr);
    EXPECT_FALSE(InAnimationProcess);
}

// A form without a skin provider of the form animation takes the output window too: a window
// of its own laid over the form's screen rectangle, freed at the end.
TEST_F(SkinAnimShow, AFormWithoutProviderFadesThroughAWindowOverIt)
{
    PrepareForAnimation(form, atcFade);
    ASSERT_NE(ow, nullptr);
    const HWND outWnd = ow->Handle();
    EXPECT_FALSE(GetWindowLongPtrW(outWnd, GWL_STYLE) & WS_CHILD);
    RECT formRect{}, outRect{};
    GetWindowRect(form->Handle(), &formRect);
    GetWindowRect(outWnd, &outRect);
    EXPECT_TRUE(EqualRect(&formRect, &outRect));
    EXPECT_TRUE(IsWindowVisible(outWnd));
    panel->SetColor(static_cast<TColor>(kNew));

    int calls = 0;
    AnimShowControl(form, 48, 255, atcFade, [&](TacIterationData&) { ++calls; });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(magnifier->Frames.size(), 3u);
    EXPECT_EQ(ow, nullptr);
    EXPECT_FALSE(IsWindow(outWnd));
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(InAnimationProcess);
}

// Near and above one second the blur's rate is about 1.0006: it ends by the frame bound.
TEST_F(SkinAnimShow, BlurEndsWithinItsFrameBound)
{
    panel->SetBounds(20, 20, 60, 40);
    for (const WORD time : {WORD(999), WORD(5000)}) {
        SCOPED_TRACE(time);
        PrepareForAnimation(panel, atcBlur);
        int calls = 0;
        AnimShowControl(panel, time, 255, atcBlur, [&](TacIterationData&) { ++calls; });
        EXPECT_EQ(calls, std::max(12, 2 * (time / 24) + 2));
        EXPECT_FALSE(InAnimationProcess);
        EXPECT_EQ(ow, nullptr);
    }
}

} // namespace
