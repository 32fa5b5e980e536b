// Animated showing of a skinned form through a layered window, with a stand-in for the form's
// skin provider. Without a compositor nothing of a layered window can be read back from the
// screen: a recording UpdateLayeredWindow entry notes every call with a copy of its image and
// the window's place at that moment, then passes the call on.
#include "../framework/controls_test_support.h"
#include "acAnimationShow.h"
#include "ExtCtrls.h"
#include "acntTypes.h"
#include "sGraphUtils.h"
#include "sGraphUtilsSystem.h"
#include "sMessages.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"
#include "skin_graphics_test_pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct Frame {
    HWND Wnd = nullptr;
    int Alpha = -1;
    bool HasPos = false;
    POINT Pos{};
    std::unique_ptr<TBitmap> Image;
    HWND Above = nullptr; // the window right above in z-order
    RECT RgnBox{};
    int RgnType = ERROR;
    LONG_PTR ExStyle = 0;
    bool Animating = false;
};

std::vector<Frame> g_frames;
TUpdateLayeredWindow g_system = nullptr;

BOOL WINAPI RecordUpdate(HWND wnd, HDC screen, POINT* pos, SIZE* size, HDC source, POINT* sourcePoint, COLORREF key,
                         BLENDFUNCTION* blend, DWORD flags)
{
    Frame f;
    f.Wnd = wnd;
    f.Alpha = blend ? blend->SourceConstantAlpha : -1;
    f.HasPos = pos != nullptr;
    if (pos) f.Pos = *pos;
    if (size && source) {
        f.Image = CreateBmp32(size->cx, size->cy);
        BitBlt(f.Image->Canvas()->Handle(), 0, 0, size->cx, size->cy, source, 0, 0, SRCCOPY);
        GdiFlush();
    }
    f.Above = GetWindow(wnd, GW_HWNDPREV);
    f.RgnType = GetWindowRgnBox(wnd, &f.RgnBox);
    f.ExStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    f.Animating = InAnimationProcess;
    g_frames.push_back(std::move(f));
    return g_system(wnd, screen, pos, size, source, sourcePoint, key, blend, flags);
}

std::vector<int> AlphasOf(HWND wnd)
{
    std::vector<int> alphas;
    for (const Frame& f : g_frames)
        if (f.Wnd == wnd) alphas.push_back(f.Alpha);
    return alphas;
}

constexpr RECT kRegion{4, 2, 200, 150};

// The provider's side of the form animation, with fixed metrics.
class TShowProviderDouble : public TsSkinProvider {
public:
    using TsSkinProvider::TsSkinProvider;
    std::unique_ptr<TBitmap> TakeCoverBmp() override { return std::move(Cover); }
    bool PaintAll() override
    {
        ++Paints;
        return true;
    }
    TBitmap* CacheBmp() override { return Cache.get(); }
    bool UWPMode() override { return false; }
    TRect UWPClientRect() override { return {}; }
    void FillArOR() override { ++Fills; }
    HRGN GetRgnFromArOR() override
    {
        return Fills ? CreateRectRgn(kRegion.left, kRegion.top, kRegion.right, kRegion.bottom) : nullptr;
    }
    bool HasBorderForm() override { return Border; }
    std::unique_ptr<TacGlowForm> DetachBorderForm() override { return std::move(OldBorder); }
    TacGlowForm* CreateNewForm() override
    {
        NewBorder = std::make_unique<TacGlowForm>(nullptr);
        NewBorder->HandleNeeded();
        return NewBorder.get();
    }
    HRGN MakeRgn() override
    {
        ++Rgns;
        return CreateRectRgn(0, 0, 20, 20);
    }
    void UpdateExBordersPos(bool, BYTE blend) override { ExBlend = blend; }
    TRect ShadowSize() override { return TRect(7, 5, 9, 11); }
    int SkinBorderWidth() override { return 4; }
    int SkinTitleHeight() override { return 30; }
    int SysCaptHeight() override { return 22; }
    int SysBorderWidth() override { return 3; }
    bool SysExHeight() override { return ExHeight; }
    int ExTitleHeight() override { return 28; }
    int ExMaxHeight() override { return 24; }
    bool SysBlurActive() override { return false; }

    std::unique_ptr<TBitmap> Cache, Cover;
    std::unique_ptr<TacGlowForm> OldBorder, NewBorder;
    bool Border = false, ExHeight = false;
    int Paints = 0, Fills = 0, Rgns = 0, ExBlend = -1;
};

class TProviderForm : public TForm {
public:
    explicit TProviderForm(TComponent* owner) : TForm(owner) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_GETPROVIDER) {
            message.Result = reinterpret_cast<LRESULT>(static_cast<TObject*>(Provider));
            return;
        }
        TForm::WndProc(message);
    }
    TShowProviderDouble* Provider = nullptr;
};

class SkinAnimShowForm : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        sGraphUtilsInitialization();
        g_frames.clear();
        TacSystemEntries entries = acSystemEntries();
        g_system = entries.UpdateLayeredWindow;
        ASSERT_NE(g_system, nullptr);
        entries.UpdateLayeredWindow = &RecordUpdate;
        previous_ = acReplaceSystemEntries(entries);
        InAnimationProcess = false;

        form = new TProviderForm(Application);
        form->SetBounds(100, 120, 240, 160);
        provider = new TShowProviderDouble(form);
        form->Provider = provider;
        provider->Cache = Bmp32(240, 160, Argb(255, 0x20, 0x80, 0xC0));
    }
    void TearDown() override
    {
        delete form;
        acReplaceSystemEntries(previous_);
        sGraphUtilsFinalization();
        ControlsTest::TearDown();
    }
    void Show()
    {
        form->Show();
        PumpUntil([this] { return IsWindowVisible(form->Handle()); });
        g_frames.clear();
    }

    TProviderForm* form = nullptr;
    TShowProviderDouble* provider = nullptr;

private:
    TacSystemEntries previous_;
};

TEST_F(SkinAnimShowForm, LayeredWindowFadesInOverTheFormUpToItsAlpha)
{
    struct Case {
        WORD Time;
        int Alpha;
        bool Topmost;
        std::vector<int> Alphas; // the first frame, then Steps + 1 frames
    };
    const Case cases[] = {{60, 200, false, {0, 40, 80, 120, 160, 200, 200}},
                          {36, 255, true, {0, 85, 170, 255, 255}},
                          {11, 200, false, {200}}};
    form->SetAlphaBlend(true);
    Show();
    // A window above the form, which the layered window goes under.
    std::unique_ptr<TForm> above(NewForm(100, 60));
    above->Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Time);
        form->SetFormStyle(c.Topmost ? fsStayOnTop : fsNormal);
        SetWindowPos(above->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (!c.Topmost) {
            ASSERT_EQ(GetWindow(form->Handle(), GW_HWNDPREV), above->Handle());
        }
        g_frames.clear();
        form->SetAlphaBlendValue(255);

        AnimShowControl(form, c.Time, c.Alpha, atcFade, nullptr);

        ASSERT_FALSE(g_frames.empty());
        const HWND glow = g_frames[0].Wnd;
        EXPECT_NE(glow, form->Handle());
        EXPECT_EQ(AlphasOf(glow), c.Alphas);
        for (size_t i = 1; i < g_frames.size(); ++i) {
            const Frame& f = g_frames[i];
            EXPECT_TRUE(f.Animating);
            EXPECT_TRUE(f.ExStyle & WS_EX_LAYERED);
            EXPECT_EQ(f.Pos.x, 100);
            // The form's region, and the place right under the window that preceded the form
            // (the top of the topmost band for a topmost form).
            EXPECT_EQ(f.RgnType, SIMPLEREGION);
            EXPECT_EQ(f.RgnBox.right, kRegion.right);
            if (c.Topmost) {
                EXPECT_TRUE(f.ExStyle & WS_EX_TOPMOST);
                EXPECT_EQ(f.Above, nullptr);
            } else {
                EXPECT_EQ(f.Above, above->Handle());
            }
        }
        EXPECT_FALSE(IsWindow(glow));
        EXPECT_EQ(form->AlphaBlendValue(), c.Alpha);
        EXPECT_FALSE(InAnimationProcess);
    }
}

TEST_F(SkinAnimShowForm, AeroGrowsFromAnInsetOf1To32)
{
    Show();
    AnimShowControl(form, 48, 255, atcAero, nullptr);
    ASSERT_EQ(g_frames.size(), 6u);
    // 240 x 160: an inset of 7.5 and 5 pixels at first, none at the last frame.
    TBitmap& first = *g_frames[1].Image;
    EXPECT_EQ(ByteA(Px(first, 3, 80)), 0);
    EXPECT_EQ(ByteA(Px(first, 120, 2)), 0);
    EXPECT_EQ(ByteA(Px(first, 12, 80)), 255);
    EXPECT_EQ(ByteA(Px(first, 120, 8)), 255);
    TBitmap& last = *g_frames.back().Image;
    EXPECT_EQ(ByteA(Px(last, 0, 0)), 255);
    EXPECT_EQ(ByteA(Px(last, 239, 159)), 255);
}

TEST_F(SkinAnimShowForm, WithoutCachedPictureNothingIsShown)
{
    Show();
    provider->Cache.reset();
    AnimShowControl(form, 60, 255, atcFade, nullptr);
    EXPECT_EQ(provider->Paints, 1);
    EXPECT_TRUE(g_frames.empty());
    EXPECT_FALSE(InAnimationProcess);
}

TEST_F(SkinAnimShowForm, BorderWindowIsCrossFadedAndPlacedBySkinAndSystemFrames)
{
    // Shadow (7, 5), skin border 4, system border 3: 8 to the left. Upwards the shadow's 5, with
    // a title of 30 - 22 - 3, and 28 - 24 more when maximised.
    struct Case {
        const char* Name;
        bool Maximised, SysExHeight, NoBorder;
        int Up;
    };
    const Case cases[] = {{"normal", false, false, false, 10},
                          {"maximised", true, false, false, 14},
                          {"system title height", false, true, false, 5},
                          {"no border style", false, false, true, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        delete form;
        form = new TProviderForm(Application);
        form->SetBounds(100, 120, 240, 160);
        provider = new TShowProviderDouble(form);
        form->Provider = provider;
        provider->Cache = Bmp32(240, 160, Argb(255, 0x20, 0x80, 0xC0));
        provider->Cover = Bmp32(250, 170, Argb(255, 1, 2, 3));
        provider->Border = true;
        provider->ExHeight = c.SysExHeight;
        provider->OldBorder = std::make_unique<TacGlowForm>(nullptr);
        const HWND oldWnd = provider->OldBorder->Handle();
        if (c.NoBorder) form->SetBorderStyle(bsNone);
        Show();
        if (c.Maximised) {
            form->SetWindowState(wsMaximized);
            ASSERT_TRUE(IsZoomed(form->Handle()));
        }
        RECT wr{};
        GetWindowRect(form->Handle(), &wr);
        g_frames.clear();

        AnimShowControl(form, 48, 200, atcFade, nullptr);

        ASSERT_TRUE(provider->NewBorder);
        const HWND newWnd = provider->NewBorder->Handle();
        EXPECT_EQ(AlphasOf(newWnd), (std::vector<int>{0, 50, 100, 150, 200, 200}));
        // 3 x (Alpha - current), within 0..255.
        EXPECT_EQ(AlphasOf(oldWnd), (std::vector<int>{255, 255, 150, 0, 0}));
        for (const Frame& f : g_frames)
            if (f.Wnd == newWnd) {
                ASSERT_TRUE(f.HasPos);
                EXPECT_EQ(f.Pos.x, wr.left - 8);
                EXPECT_EQ(f.Pos.y, wr.top - c.Up);
            }
        RECT nr{};
        GetWindowRect(newWnd, &nr);
        EXPECT_EQ(nr.left, wr.left - 8);
        EXPECT_EQ(nr.top, wr.top - c.Up);
        EXPECT_EQ(provider->Rgns, 1);
        EXPECT_EQ(provider->ExBlend, 200);
        EXPECT_FALSE(IsWindow(oldWnd));
        EXPECT_FALSE(InAnimationProcess);
    }
}

} // namespace

// The provider's own UWP mode, client rectangle and blur state instead of the stand-in's answers.
class TRealModesDouble : public TShowProviderDouble {
public:
    using TShowProviderDouble::TShowProviderDouble;
    bool UWPMode() override { return TsSkinProvider::UWPMode(); }
    TRect UWPClientRect() override { return TsSkinProvider::UWPClientRect(); }
    bool SysBlurActive() override { return TsSkinProvider::SysBlurActive(); }
};

// A child that notes the library's force-opaque commands.
class TOpaqueNotingPanel : public TPanel {
public:
    using TPanel::TPanel;
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_FORCEOPAQUE) ++Opaques;
        TPanel::WndProc(message);
    }
    int Opaques = 0;
};

class SkinAnimShowFormModes : public SkinAnimShowForm {
protected:
    void SetUp() override
    {
        SkinAnimShowForm::SetUp();
        delete provider;
        real = new TRealModesDouble(form);
        provider = real;
        form->Provider = real;
        real->Cache = Bmp32(240, 160, Argb(0, 0x20, 0x80, 0xC0));
    }
    TRealModesDouble* real = nullptr;
};

TEST_F(SkinAnimShowFormModes, UwpModeMakesOnlyTheClientRectangleOpaque)
{
    Show();
    real->FUWPMode = true;
    const TRect opaque = real->UWPClientRect();
    ASSERT_GT(opaque.Width(), 0);
    AnimShowControl(form, 11, 255, atcFade, nullptr);
    ASSERT_FALSE(g_frames.empty());
    TBitmap& image = *g_frames[0].Image;
    EXPECT_EQ(ByteA(Px(image, opaque.Left, opaque.Top)), 255);
    // The rectangle may reach past the image (2 more on each side); it is filled where it lies on it.
    EXPECT_EQ(ByteA(Px(image, std::min<int>(opaque.Right, image.Width()) - 1, std::min<int>(opaque.Bottom, image.Height()) - 1)), 255);
    EXPECT_EQ(ByteA(Px(image, opaque.Left - 1, opaque.Top)), 0);
    EXPECT_EQ(ByteA(Px(image, opaque.Left, opaque.Top - 1)), 0);
}

TEST_F(SkinAnimShowFormModes, ABlurredFormRepaintsItsControlsOpaque)
{
    auto* panel = new TOpaqueNotingPanel(form);
    panel->SetParent(form);
    Show();
    for (bool blurred : {false, true}) {
        real->SystemBlur()->FActive = blurred; // the state alone, without switching the window
        panel->Opaques = 0;
        AnimShowControl(form, 11, 255, atcFade, nullptr);
        EXPECT_EQ(panel->Opaques, blurred ? 1 : 0) << blurred;
    }
    real->SystemBlur()->FActive = false;
}
