// Animated showing and hiding of forms and dialogs, and the layered-window routines. Without a
// compositor nothing of a layered window can be read back from the screen: a recording entry
// takes every UpdateLayeredWindow call, copies the image it was given and notes the window's
// state at that moment, then passes the call on to the system.
#include "skin_core_test_manager.h"
#include "skin_graphics_test_pixels.h"

#include "../framework/graphics_png.h"
#include "acDials.h"
#include "acGPUtils.h"
#include "acntTypes.h"
#include "sCommonData.h"
#include "sGraphUtilsSystem.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Frame {
    HWND Wnd = nullptr;
    int Alpha = -1;
    SIZE Size{};
    bool HasPos = false;
    POINT Pos{};
    std::unique_ptr<TBitmap> Image; // what the window was given
    LONG_PTR ExStyle = 0;
    bool Animating = false;      // InAnimationProcess at the call
    HWND BelowWatched = nullptr; // the window right after the watched one in z-order
};

std::vector<Frame> g_frames;
std::vector<std::string> g_events; // frames, paints, parent updates and events in order
TUpdateLayeredWindow g_system = nullptr;
HWND g_watched = nullptr;
std::vector<int> g_heights; // heights of the test form's size changes
std::vector<bool> g_updatingAtSize; // the provider's waiting flag at each of those changes
int g_childSizes = 0;       // size changes of the probe child
TWinControl* g_probeParent = nullptr; // told SetParentUpdated at every frame
size_t g_raiseAtFrame = 0;            // the frame (1-based) whose update raises; 0: none

struct StepFailed {};

BOOL WINAPI RecordUpdate(HWND wnd, HDC screen, POINT* pos, SIZE* size, HDC source, POINT* sourcePoint, COLORREF key,
                         BLENDFUNCTION* blend, DWORD flags)
{
    Frame frame;
    frame.Wnd = wnd;
    frame.Alpha = blend ? blend->SourceConstantAlpha : -1;
    if (size) frame.Size = *size;
    frame.HasPos = pos != nullptr;
    if (pos) frame.Pos = *pos;
    if (size && source) {
        frame.Image = CreateBmp32(size->cx, size->cy);
        BitBlt(frame.Image->Canvas()->Handle(), 0, 0, size->cx, size->cy, source, 0, 0, SRCCOPY);
        GdiFlush();
    }
    frame.ExStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    frame.Animating = InAnimationProcess;
    if (g_watched) frame.BelowWatched = GetWindow(g_watched, GW_HWNDNEXT);
    g_frames.push_back(std::move(frame));
    g_events.push_back("frame");
    if (g_probeParent) SetParentUpdated(g_probeParent);
    if (g_frames.size() == g_raiseAtFrame) throw StepFailed{};
    return g_system(wnd, screen, pos, size, source, sourcePoint, key, blend, flags);
}

std::vector<int> AlphasOf(const std::vector<Frame>& frames)
{
    std::vector<int> alphas;
    for (const Frame& f : frames) alphas.push_back(f.Alpha);
    return alphas;
}

// The top-level windows of this thread.
int ThreadWindowCount()
{
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND, LPARAM p) -> BOOL {
            ++*reinterpret_cast<int*>(p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

UnicodeString BuildFile(const wchar_t* name)
{
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"MARLINDO_BUILD", dir, MAX_PATH);
    return (n ? UnicodeString(dir) + L"\\" : UnicodeString()) + name;
}

constexpr Word kFormColour = Argb(255, 0x20, 0x80, 0xC0);

// A form that answers the provider command with its provider and notes its paints.
class TProviderForm : public TForm {
public:
    explicit TProviderForm(TComponent* owner) : TForm(owner) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_GETPROVIDER) {
            message.Result = reinterpret_cast<LRESULT>(Provider);
            return;
        }
        if (message.Msg == WM_PAINT) g_events.push_back("paint");
        if (message.Msg == WM_WINDOWPOSCHANGED) {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(message.LParam);
            if (!(pos->flags & SWP_NOSIZE)) {
                g_heights.push_back(pos->cy);
                if (Provider && Provider->FCommonData) g_updatingAtSize.push_back(Provider->FCommonData->FUpdating);
            }
        }
        TForm::WndProc(message);
    }
    TsSkinProvider* Provider = nullptr;
};

// A child that notes the parent-updated command.
class TProbePanel : public TPanel {
public:
    using TPanel::TPanel;
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_PARENTUPDATED)
            g_events.push_back("parentupdated");
        if (message.Msg == WM_WINDOWPOSCHANGED &&
            !(reinterpret_cast<const WINDOWPOS*>(message.LParam)->flags & SWP_NOSIZE))
            ++g_childSizes;
        TPanel::WndProc(message);
    }
};

// A dialog wrapper over a plain pop-up window that counts its paints.
class TDialogDouble : public TacDialogWnd {
public:
    TDialogDouble()
    {
        CtrlHandle = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 200, 160, 80,
                                     nullptr, nullptr, nullptr, nullptr);
        InitSkinData();
        OwnSkinData = true;
        SkinData->FCacheBmp = Bmp32(160, 80, kFormColour);
    }
    ~TDialogDouble() override
    {
        if (CtrlHandle) DestroyWindow(CtrlHandle);
    }
    void PaintAll() override { ++Paints; }
    int Paints = 0;
};

class SkinAnimation : public SkinManagerTest {
protected:
    void SetUp() override
    {
        SkinManagerTest::SetUp();
        sGraphUtilsInitialization();
        acGPUtilsInitialization();
        g_frames.clear();
        g_events.clear();
        g_watched = nullptr;
        g_probeParent = nullptr;
        g_raiseAtFrame = 0;
        TacSystemEntries entries = acSystemEntries();
        g_system = entries.UpdateLayeredWindow;
        entries.UpdateLayeredWindow = &RecordUpdate;
        previous_ = acReplaceSystemEntries(entries);
        InAnimationProcess = false;
    }
    void TearDown() override
    {
        g_probeParent = nullptr;
        g_raiseAtFrame = 0;
        delete form;
        form = nullptr;
        acReplaceSystemEntries(previous_);
        acGPUtilsFinalization();
        sGraphUtilsFinalization();
        SkinManagerTest::TearDown();
    }

    // A shown 320 x 160 form with a provider, a prepared cache and one child.
    TsSkinProvider& MakeForm()
    {
        form = new TProviderForm(Application);
        form->SetBounds(80, 90, 320, 160);
        form->SetColor(static_cast<TColor>(0xC08020)); // kFormColour as a colour
        child = new TProbePanel(form);
        child->SetParent(form);
        child->SetBounds(10, 10, 60, 30);
        auto* provider = new TsSkinProvider(form);
        form->Provider = provider;
        provider->FCommonData->FCacheBmp = Bmp32(320, 160, kFormColour);
        provider->OnAfterAnimation = [this](bool hiding) {
            afterEvents.push_back(hiding);
            g_events.push_back("after");
        };
        form->Show();
        DrainQueue();
        g_events.clear();
        return *provider;
    }

    TProviderForm* form = nullptr;
    TProbePanel* child = nullptr;
    std::vector<bool> afterEvents;

private:
    TacSystemEntries previous_;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Frame geometry

TEST(SkinAnimationGeometry, StepsAreWholeTwelveMillisecondSteps)
{
    EXPECT_EQ(AnimSteps(0), 0);
    EXPECT_EQ(AnimSteps(11), 0);
    EXPECT_EQ(AnimSteps(12), 1);
    EXPECT_EQ(AnimSteps(125), 10);
}

TEST(SkinAnimationGeometry, ShowFadingGrowsTheAlphaOverTheWholeImage)
{
    // (255 - 50) / 4 = 51.25 a step; the final frame is MaxBlend.
    const std::vector<int> expected{51, 102, 154, 205, 255};
    for (int i = 0; i <= 4; ++i) {
        const TacAnimFrame f = AnimShowFrame(atFading, 100, 50, 4, i, 255);
        EXPECT_EQ(f.Alpha, expected[i]) << i;
        EXPECT_TRUE(f.CopyWhole) << i;
        EXPECT_EQ(f.Last, i == 4) << i;
        EXPECT_EQ(f.Right, 100);
        EXPECT_EQ(f.Bottom, 50);
    }
    // A small MaxBlend never gives a negative alpha, a step count of 1 never one above MaxBlend.
    EXPECT_EQ(AnimShowFrame(atFading, 10, 10, 5, 2, 30).Alpha, 0);
    EXPECT_EQ(AnimShowFrame(atFading, 10, 10, 1, 0, 255).Alpha, 205);
}

TEST(SkinAnimationGeometry, ShowAeroGrowsFromAnInsetToTheFullImage)
{
    // 320 x 160: inset 10 and 5 at first, full size at the final frame of 5 steps.
    struct Case {
        int I;
        double Left, Top, Right, Bottom;
    };
    for (const Case& c : {Case{0, 10, 5, 310, 155}, Case{1, 8, 4, 312, 156}, Case{4, 2, 1, 318, 159},
                          Case{5, 0, 0, 320, 160}}) {
        const TacAnimFrame f = AnimShowFrame(atAero, 320, 160, 5, c.I, 255);
        EXPECT_DOUBLE_EQ(f.Left, c.Left) << c.I;
        EXPECT_DOUBLE_EQ(f.Top, c.Top) << c.I;
        EXPECT_DOUBLE_EQ(f.Right, c.Right) << c.I;
        EXPECT_DOUBLE_EQ(f.Bottom, c.Bottom) << c.I;
        EXPECT_EQ(f.CopyWhole, c.I == 5) << c.I;
    }
    EXPECT_EQ(AnimShowFrame(atAero, 320, 160, 5, 0, 255).Alpha, 41);
}

TEST(SkinAnimationGeometry, ShowDropDownHalvesTheRemainingHeight)
{
    const std::vector<double> bottoms{300, 450, 525, 562.5, 581.25, 590.625, 595.3125, 597.65625};
    for (int i = 0; i < static_cast<int>(bottoms.size()); ++i) {
        const TacAnimFrame f = AnimShowFrame(atDropDown, 200, 600, 20, i, 200);
        EXPECT_DOUBLE_EQ(f.Bottom, bottoms[i]) << i;
        EXPECT_DOUBLE_EQ(f.Right, 200) << i;
        EXPECT_EQ(f.Alpha, 255) << i;
        // The remainder after this frame (600 - bottom) / 2 drops below 2 at the last one.
        EXPECT_EQ(f.Last, i == 7) << i;
    }
}

TEST(SkinAnimationGeometry, HideAeroMovesEveryEdgeInwardAndFades)
{
    // 320 x 320 in 10 steps: one pixel a step on every side; 25.5 of alpha a step.
    for (int k = 0; k <= 10; ++k) {
        const TacAnimFrame f = AnimHideFrame(atAero, 320, 320, 10, k, 255);
        EXPECT_DOUBLE_EQ(f.Left, k);
        EXPECT_DOUBLE_EQ(f.Top, k);
        EXPECT_DOUBLE_EQ(f.Right, 320 - k);
        EXPECT_DOUBLE_EQ(f.Bottom, 320 - k);
        EXPECT_FALSE(f.CopyWhole);
        EXPECT_EQ(f.Last, k == 10);
    }
    EXPECT_EQ(AnimHideFrame(atAero, 320, 320, 10, 0, 255).Alpha, 230); // 229.5 to even
    EXPECT_EQ(AnimHideFrame(atAero, 320, 320, 10, 9, 255).Alpha, 0);
}

TEST(SkinAnimationGeometry, HideDropDownAndFadingFrames)
{
    // Drop-down: bottom halves from the full height, the alpha stays; ends once it would fall
    // below 2.
    for (int k = 0; k <= 8; ++k) {
        const TacAnimFrame f = AnimHideFrame(atDropDown, 100, 600, 20, k, 200);
        EXPECT_DOUBLE_EQ(f.Bottom, 600.0 / (1 << k)) << k;
        EXPECT_EQ(f.Alpha, 200) << k;
        EXPECT_EQ(f.CopyWhole, k == 0) << k;
        EXPECT_EQ(f.Last, k == 8) << k;
    }
    // Fading: the start alpha falls by start / steps, never below 0.
    const std::vector<int> alphas{150, 100, 50, 0, 0};
    for (int k = 0; k <= 4; ++k) {
        const TacAnimFrame f = AnimHideFrame(atFading, 100, 60, 4, k, 200);
        EXPECT_EQ(f.Alpha, alphas[k]) << k;
        EXPECT_TRUE(f.CopyWhole);
        EXPECT_EQ(f.Last, k == 4);
    }
}

TEST(SkinAnimationGeometry, NoStepsGiveOnlyTheFinalShowFrameAndNoHide)
{
    const int steps = AnimSteps(11);
    const TacAnimFrame show = AnimShowFrame(atAero, 320, 160, steps, 0, 200);
    EXPECT_TRUE(show.Last);
    EXPECT_TRUE(show.CopyWhole);
    EXPECT_EQ(show.Alpha, 200);
    EXPECT_TRUE(AnimHideFrame(atAero, 320, 160, steps, 0, 255).Last);
}

// ---------------------------------------------------------------------------------------------
// Layered windows

TEST_F(SkinAnimation, DoLayeredAddsTheStyleAndAlphaAndTakesThemAway)
{
    HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 10, 10, 40, 30, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_TRUE(wnd);
    EXPECT_TRUE(DoLayered(wnd, true, 120));
    EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(wnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 120);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    // Already layered: only the alpha changes.
    EXPECT_FALSE(DoLayered(wnd, true, 60));
    ASSERT_TRUE(GetLayeredWindowAttributes(wnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 60);

    EXPECT_FALSE(DoLayered(wnd, false));
    EXPECT_FALSE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE);

    // Without layered windows a layered request takes the layering away as well.
    SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) | WS_VISIBLE);
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    TacSystemEntries none = acSystemEntries();
    none.UpdateLayeredWindow = nullptr;
    const TacSystemEntries bound = acReplaceSystemEntries(none);
    EXPECT_FALSE(DoLayered(wnd, true, 200));
    acReplaceSystemEntries(bound);
    EXPECT_FALSE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE);
    DestroyWindow(wnd);
}

TEST_F(SkinAnimation, SetFormBlendValueShowsTheImageOrOneOfTheWindowsSize)
{
    SetAeroIsEnabledOverride(false);
    HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 10, 10, 40, 30, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_TRUE(wnd);
    auto bmp = Bmp32(24, 12, Argb(200, 10, 20, 30));
    const POINT pos{100, 120};
    SetFormBlendValue(wnd, bmp.get(), 90, &pos);
    // The window turned layered and is visible again after the screen under it was redrawn.
    EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE);
    ASSERT_EQ(g_frames.size(), 1u);
    EXPECT_EQ(g_frames[0].Wnd, wnd);
    EXPECT_EQ(g_frames[0].Alpha, 90);
    EXPECT_EQ(g_frames[0].Size.cx, 24);
    EXPECT_EQ(g_frames[0].Size.cy, 12);
    ASSERT_TRUE(g_frames[0].HasPos);
    EXPECT_EQ(g_frames[0].Pos.x, 100);
    EXPECT_EQ(g_frames[0].Pos.y, 120);
    EXPECT_EQ(Px(*g_frames[0].Image, 5, 5), Argb(200, 10, 20, 30));

    RECT r{};
    GetWindowRect(wnd, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.bottom, 132);

    // Without a bitmap one of the window's size (transparent) is shown where the window is.
    SetFormBlendValue(wnd, nullptr, 255);
    ASSERT_EQ(g_frames.size(), 2u);
    EXPECT_EQ(g_frames[1].Size.cx, 24);
    EXPECT_EQ(g_frames[1].Size.cy, 12);
    EXPECT_FALSE(g_frames[1].HasPos);
    EXPECT_EQ(ByteA(Px(*g_frames[1].Image, 3, 3)), 0);
    DestroyWindow(wnd);
    SetAeroIsEnabledOverride(std::nullopt);
}

TEST_F(SkinAnimation, UpdateLayerVisibilityResizesByOnePixelAndBack)
{
    TsSkinProvider& provider = MakeForm();
    HWND wnd = form->Handle();
    // A child filling the form would follow the passing height unless aligning is held.
    child->SetAlign(alClient);
    DrainQueue();
    g_childSizes = 0;
    g_updatingAtSize.clear();
    std::vector<int>& heights = g_heights;
    heights.clear();
    UpdateLayerVisibility(provider.FCommonData.get(), wnd);
    EXPECT_EQ(heights, (std::vector<int>{159, 160}));
    EXPECT_EQ(g_updatingAtSize, (std::vector<bool>{true, true}));
    EXPECT_EQ(g_childSizes, 0);
    EXPECT_FALSE(provider.FCommonData->FUpdating);
    EXPECT_EQ(form->Height(), 160);

    // Constraints that fix the height to the current value: nothing happens.
    heights.clear();
    form->Constraints()->SetMinHeight(160);
    form->Constraints()->SetMaxHeight(160);
    UpdateLayerVisibility(provider.FCommonData.get(), wnd);
    EXPECT_TRUE(heights.empty());
}

// ---------------------------------------------------------------------------------------------
// Showing

TEST_F(SkinAnimation, ShowNeedsSkinDataAndAFormThatIsNotMinimised)
{
    TsSkinProvider& provider = MakeForm();
    form->SetWindowState(wsMinimized);
    DrainQueue();
    AnimShowForm(&provider, 60, 255, atFading);
    EXPECT_TRUE(g_frames.empty());
    form->SetWindowState(wsNormal);
    DrainQueue();
    provider.FCommonData.reset();
    AnimShowForm(&provider, 60, 255, atFading);
    EXPECT_TRUE(g_frames.empty());
    EXPECT_FALSE(InAnimationProcess);
    EXPECT_TRUE(afterEvents.empty());
}

TEST_F(SkinAnimation, ShowPlaysStepsPlusOneFramesThenGivesTheWindowBack)
{
    TsSkinProvider& provider = MakeForm();
    g_probeParent = form;
    const int windowsBefore = ThreadWindowCount();
    AnimShowForm(&provider, 60, 255, atAero); // 5 steps

    ASSERT_EQ(g_frames.size(), 6u);
    std::vector<int> expected;
    for (int i = 0; i <= 5; ++i) expected.push_back(AnimShowFrame(atAero, 320, 160, 5, i, 255).Alpha);
    EXPECT_EQ(AlphasOf(g_frames), expected);
    EXPECT_EQ(expected.back(), 255);
    for (const Frame& f : g_frames) {
        EXPECT_EQ(f.Wnd, form->Handle());
        EXPECT_TRUE(f.Animating);
        EXPECT_EQ(f.ExStyle & (WS_EX_LAYERED | WS_EX_NOACTIVATE), WS_EX_LAYERED | WS_EX_NOACTIVATE);
        EXPECT_EQ(f.Size.cx, 320);
        EXPECT_EQ(f.Size.cy, 160);
        ASSERT_TRUE(f.HasPos);
        EXPECT_EQ(f.Pos.x, 80);
        EXPECT_EQ(f.Pos.y, 90);
    }
    // The first frame is inset by 10 and 5 pixels, the final one is the whole image.
    TBitmap& first = *g_frames.front().Image;
    EXPECT_EQ(Px(first, 5, 2), 0u);
    EXPECT_EQ(Px(first, 160, 80), kFormColour);
    EXPECT_EQ(Px(*g_frames.back().Image, 1, 1), kFormColour);
    // The form is painted over its cache as it is now, its child included, and opaque.
    const Word onChild = Px(*g_frames.back().Image, 30, 20);
    EXPECT_NE(onChild, kFormColour);
    EXPECT_EQ(ByteA(onChild), 255);
    SaveBitmapAsPng(first, BuildFile(L"skin_animation_show_first.png"), true);

    EXPECT_FALSE(InAnimationProcess);
    EXPECT_FALSE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    // Children heard nothing while the frames ran; then the parent update, the redraw and the
    // after-show event, in that order.
    const std::vector<std::string> tail(g_events.end() - 3, g_events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"parentupdated", "paint", "after"}));
    EXPECT_EQ(std::count(g_events.begin(), g_events.end(), "parentupdated"), 1);
    EXPECT_EQ(afterEvents, (std::vector<bool>{false}));
    // The cover form is gone again.
    EXPECT_EQ(ThreadWindowCount(), windowsBefore);
}

TEST_F(SkinAnimation, ShowOfABlendedFormKeepsItsAlphaAndNoStepsShowTheFinalFrame)
{
    TsSkinProvider& provider = MakeForm();
    form->SetAlphaBlendValue(180);
    form->SetAlphaBlend(true);
    AnimShowForm(&provider, 11, 180, atFading);
    ASSERT_EQ(g_frames.size(), 1u);
    EXPECT_EQ(g_frames[0].Alpha, 180);
    EXPECT_EQ(Px(*g_frames[0].Image, 100, 100), kFormColour);
    EXPECT_TRUE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(form->Handle(), nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 180);
}

TEST_F(SkinAnimation, DialogShowPaintsTheWrapperAndAnimatesItsWindow)
{
    TDialogDouble dialog;
    AnimShowDlg(&dialog, 36, 255, atDropDown); // 3 steps
    EXPECT_EQ(dialog.Paints, 1);
    ASSERT_EQ(g_frames.size(), 4u);
    EXPECT_EQ(AlphasOf(g_frames), (std::vector<int>{255, 255, 255, 255}));
    // Drop-down: the first frame shows the upper half only.
    EXPECT_EQ(Px(*g_frames[0].Image, 80, 20), kFormColour);
    EXPECT_EQ(ByteA(Px(*g_frames[0].Image, 80, 60)), 0);
    EXPECT_EQ(g_frames[0].Wnd, dialog.CtrlHandle);
    EXPECT_FALSE(GetWindowLongPtrW(dialog.CtrlHandle, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(InAnimationProcess);
}

// ---------------------------------------------------------------------------------------------
// Hiding

TEST_F(SkinAnimation, HideFadesTheCachedImageInACoverWindowAfterTheForm)
{
    TsSkinProvider& provider = MakeForm();
    TsSkinManager manager(nullptr);
    provider.FCommonData->SetSkinManager(&manager);
    manager.AnimEffects()->FormHide()->Time = 48; // 4 steps
    manager.AnimEffects()->FormHide()->Mode = atFading;
    // A region that leaves out the top-left corner.
    SetWindowRgn(form->Handle(), CreateRectRgn(20, 10, 320, 160), TRUE);
    g_watched = form->Handle();
    const int windowsBefore = ThreadWindowCount();

    AnimHideForm(&provider);

    // The first frame at the start alpha, then one a step until the alpha is gone.
    ASSERT_EQ(g_frames.size(), 6u);
    EXPECT_EQ(AlphasOf(g_frames), (std::vector<int>{255, 191, 128, 64, 0, 0}));
    const HWND cover = g_frames[0].Wnd;
    EXPECT_NE(cover, form->Handle());
    for (size_t i = 0; i < g_frames.size(); ++i) {
        const Frame& f = g_frames[i];
        EXPECT_EQ(f.Wnd, cover);
        EXPECT_TRUE(f.Animating);
        EXPECT_EQ(f.ExStyle & (WS_EX_LAYERED | WS_EX_NOACTIVATE), WS_EX_LAYERED | WS_EX_NOACTIVATE);
        // Shown and placed right after the form once the first frame is in.
        if (i > 0) {
            EXPECT_EQ(f.BelowWatched, cover) << i;
        }
        EXPECT_EQ(Px(*f.Image, 5, 5), 0u) << i;
        EXPECT_EQ(Px(*f.Image, 100, 100), kFormColour) << i;
    }
    SaveBitmapAsPng(*g_frames[1].Image, BuildFile(L"skin_animation_hide_frame.png"), true);

    EXPECT_EQ(afterEvents, (std::vector<bool>{true}));
    EXPECT_FALSE(InAnimationProcess);
    ASSERT_TRUE(acHideTimer);
    EXPECT_FALSE(acHideTimer->CoverWindow);
    EXPECT_FALSE(acHideTimer->SrcBmp);
    EXPECT_FALSE(acHideTimer->DstBmp);
    EXPECT_FALSE(acHideTimer->Enabled());
    EXPECT_FALSE(IsWindow(cover));
    EXPECT_EQ(ThreadWindowCount(), windowsBefore);

    // A second hide reuses the timer and tells the event again.
    TacHideTimer* timer = acHideTimer;
    g_frames.clear();
    manager.AnimEffects()->FormHide()->Mode = atAero;
    AnimHideForm(&provider);
    EXPECT_EQ(acHideTimer, timer);
    EXPECT_EQ(g_frames.size(), 6u);
    EXPECT_EQ(afterEvents, (std::vector<bool>{true, true}));
    provider.FCommonData->SetSkinManager(nullptr);
}

TEST_F(SkinAnimation, HideWithoutTimeShowsNothingAndLeavesTheCoverToTheCaller)
{
    TsSkinProvider& provider = MakeForm();
    provider.CoverForm = MakeCoverForm(form->Handle(), &provider, false);
    const HWND prepared = provider.CoverForm->Handle();
    AnimHideForm(&provider); // no manager: no time
    EXPECT_TRUE(g_frames.empty());
    EXPECT_TRUE(afterEvents.empty());
    EXPECT_FALSE(InAnimationProcess);
    // The form's hide frees the prepared cover it took.
    EXPECT_FALSE(provider.CoverForm);
    EXPECT_FALSE(IsWindow(prepared));

    std::unique_ptr<TCustomForm> cover = MakeCoverForm(form->Handle(), nullptr, false);
    AnimHideWindow(cover, Bmp32(20, 20, kFormColour), 11, form, atAero, 255);
    EXPECT_TRUE(cover);
    EXPECT_TRUE(g_frames.empty());
}

TEST_F(SkinAnimation, HideFreesTheBorderWindowAlsoWhenAPreparedCoverTakesItsPlace)
{
    TsSkinProvider& provider = MakeForm();
    TsSkinManager manager(nullptr);
    provider.FCommonData->SetSkinManager(&manager);
    manager.AnimEffects()->FormHide()->Time = 24;
    TacBorderForm border;
    provider.BorderForm = &border;
    // Once animated with the prepared cover, once without time.
    for (const WORD time : {WORD(24), WORD(0)}) {
        SCOPED_TRACE(time);
        manager.AnimEffects()->FormHide()->Time = time;
        border.AForm = new TacGlowForm(nullptr);
        border.AForm->HandleNeeded();
        const HWND borderWnd = border.AForm->Handle();
        provider.CoverForm = MakeCoverForm(form->Handle(), &provider, false);
        const HWND prepared = provider.CoverForm->Handle();
        g_frames.clear();
        AnimHideForm(&provider);
        EXPECT_EQ(g_frames.empty(), time == 0);
        if (!g_frames.empty()) {
            EXPECT_EQ(g_frames[0].Wnd, prepared);
        }
        EXPECT_FALSE(IsWindow(prepared));
        EXPECT_FALSE(IsWindow(borderWnd));
        EXPECT_EQ(border.AForm, nullptr);
    }
    provider.BorderForm = nullptr;
    provider.FCommonData->SetSkinManager(nullptr);
}

TEST_F(SkinAnimation, DialogHideRunsTheSameRoutineTopmostWithoutAnOwner)
{
    TDialogDouble dialog;
    TsSkinManager manager(nullptr);
    dialog.SkinData->SetSkinManager(&manager);
    manager.AnimEffects()->DialogHide()->Time = 24; // 2 steps
    manager.AnimEffects()->DialogHide()->Mode = atDropDown;
    AnimHideDlg(&dialog);
    // First frame, then the whole image, its upper half and quarter at the start alpha.
    ASSERT_EQ(g_frames.size(), 4u);
    EXPECT_EQ(AlphasOf(g_frames), (std::vector<int>{255, 255, 255, 255}));
    EXPECT_NE(g_frames[0].Wnd, dialog.CtrlHandle);
    EXPECT_TRUE(g_frames[1].ExStyle & WS_EX_TOPMOST);
    EXPECT_EQ(Px(*g_frames[1].Image, 80, 70), kFormColour);
    // Later frames go through the smoothing stretch, which keeps the image but not its exact
    // bytes: the upper half shows, the rest is transparent.
    EXPECT_GT(ByteA(Px(*g_frames[2].Image, 80, 20)), 127);
    EXPECT_GT(ByteB(Px(*g_frames[2].Image, 80, 20)), 0x80);
    EXPECT_EQ(ByteA(Px(*g_frames[2].Image, 80, 60)), 0);
    EXPECT_EQ(ByteA(Px(*g_frames[3].Image, 80, 30)), 0);
    EXPECT_FALSE(IsWindow(g_frames[0].Wnd));
    EXPECT_FALSE(InAnimationProcess);
    dialog.SkinData->SetSkinManager(nullptr);
}

TEST_F(SkinAnimation, AStepThatRaisesEndsTheAnimationState)
{
    TsSkinProvider& provider = MakeForm();
    TDialogDouble dialog;
    TsSkinManager manager(nullptr);
    provider.FCommonData->SetSkinManager(&manager);
    dialog.SkinData->SetSkinManager(&manager);
    manager.AnimEffects()->FormHide()->Time = 48;
    manager.AnimEffects()->DialogHide()->Time = 48;
    struct Case {
        const char* what;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"showing a form", [&] { AnimShowForm(&provider, 60, 255, atAero); }},
        {"hiding a form", [&] { AnimHideForm(&provider); }},
        {"hiding a dialog", [&] { AnimHideDlg(&dialog); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_frames.clear();
        g_raiseAtFrame = 2;
        EXPECT_THROW(c.run(), StepFailed);
        ASSERT_EQ(g_frames.size(), 2u);
        EXPECT_TRUE(g_frames[1].Animating);
        EXPECT_FALSE(InAnimationProcess) << "children hear of their parent again";
        g_raiseAtFrame = 0;
    }
    provider.FCommonData->SetSkinManager(nullptr);
    dialog.SkinData->SetSkinManager(nullptr);
    FreeHideTimer(); // with the cover window the failed hide left
}
