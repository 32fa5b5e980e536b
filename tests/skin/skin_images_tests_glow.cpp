// Glow windows: when a glow is made, the effect table and its IDs, hiding (at once and faded)
// and clearing, and the window itself: styles, hit test, place, z-order and the picture it is
// handed (the glow mask, its focused frame, the control's tint, cut under overlapping windows).
#include "../framework/graphics_png.h"
#include "../support/BuildFolder.h"
#include "acntTypes.h"
#include "house_skin.h"
#include "sAlphaGraph.h"
#include "skin_images_test_effects.h"

#include <gtest/gtest.h>

namespace {

class GlowTest : public EffectsTest {
protected:
    int Show(int alpha = 255, TsCommonData* d = nullptr, HWND wnd = nullptr)
    {
        d = d ? d : data;
        wnd = wnd ? wnd : control->Handle();
        return ShowGlow(ScreenRect(wnd), L"BUTTON", L"GLOW", house_skin::kGlowMargin / 2, alpha, wnd, d);
    }
    TacGlowEffect* Glow(int id) { return dynamic_cast<TacGlowEffect*>(GetEffect(id)); }
    HWND GlowWnd(int id) { return Glow(id) && Glow(id)->Wnd ? Glow(id)->Wnd->Handle() : nullptr; }

    // The last picture handed to the glow window id.
    TBitmap* LastImage(int id)
    {
        for (auto it = LayeredCalls().rbegin(); it != LayeredCalls().rend(); ++it)
            if (it->Wnd == GlowWnd(id) && it->Image) return it->Image.get();
        return nullptr;
    }

    // What the glow window should show: the GLOW0 mask frame drawn around the control,
    // premultiplied.
    std::unique_ptr<TBitmap> Expected(int w, int h, int frame, TColor tint = clNone)
    {
        TacSkinData& skin = Data();
        const int mask = manager->GetMaskIndex(L"BUTTON", L"GLOW0", &skin);
        EXPECT_GE(mask, 0);
        auto bmp = Bmp32(w, h, 0);
        DrawSkinRect(bmp.get(), TRect(0, 0, w, h), EmptyCI, skin.ma[static_cast<size_t>(mask)], frame, false);
        UpdateBmpColors(bmp.get(), data, true, tint);
        UpdateAlpha(bmp.get());
        return bmp;
    }
    static bool SameImage(TBitmap& a, TBitmap& b)
    {
        if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (Px(a, x, y) != Px(b, x, y)) return false;
        return true;
    }
};

TEST_F(GlowTest, ShownOnlyWhereTheSkinGivesAGlow)
{
    // Without layered windows.
    {
        TacSystemEntries entries = acSystemEntries();
        const TacSystemEntries saved = entries;
        entries.UpdateLayeredWindow = nullptr;
        acReplaceSystemEntries(entries);
        EXPECT_EQ(Show(), -1);
        acReplaceSystemEntries(saved);
    }
    // While a window has the mouse captured.
    SetCapture(form->Handle());
    EXPECT_EQ(Show(), -1);
    ReleaseCapture();
    // Without skin data.
    EXPECT_EQ(ShowGlow(ScreenRect(control->Handle()), L"BUTTON", L"GLOW", 0, 255, control->Handle(), nullptr), -1);

    // A section without glow mask glows only through an outer effect shown on hover.
    TFadeControl* plain = MakeControl(form, 100, 20, L"PANEL");
    TFadeControl* outer = MakeControl(form, 100, 60, L"GROUPBOX");
    const TRect plainRect = ScreenRect(plain->Handle());
    EXPECT_EQ(ShowGlow(plainRect, L"", L"GLOW", 0, 255, plain->Handle(), plain->SkinData.get()), -1);
    EXPECT_EQ(ShowGlow(ScreenRect(outer->Handle()), L"", L"GLOW", 0, 255, outer->Handle(), outer->SkinData.get()), -1);
    outer->SkinData->OuterEffects()->FVisibility = ovMouseHovered;
    const int id = ShowGlow(ScreenRect(outer->Handle()), L"", L"GLOW", 0, 255, outer->Handle(), outer->SkinData.get());
    ASSERT_GE(id, 0);
    EXPECT_LT(Glow(id)->MaskIndex, 0);
    RECT r{};
    GetWindowRect(GlowWnd(id), &r);
    // No glow mask: the window reaches as far as the outer effect's offsets.
    const TRect off = Data().gd[static_cast<size_t>(outer->SkinData->SkinIndex)].OuterOffset;
    const TRect orc = ScreenRect(outer->Handle());
    EXPECT_EQ(TRect(r.left, r.top, r.right, r.bottom),
              TRect(orc.Left - std::max<int>(off.Left, 0), orc.Top - std::max<int>(off.Top, 0),
                    orc.Right + std::max<int>(off.Right, 0), orc.Bottom + std::max<int>(off.Bottom, 0)));

    // By mask index: a negative index or further argument gives none.
    int bad = -1, good = manager->GetMaskIndex(L"BUTTON", L"GLOW0", &Data());
    EXPECT_EQ(ShowGlow(plainRect, bad, 0, 0, 255, plain->Handle(), plain->SkinData.get()), -1);
    EXPECT_EQ(ShowGlow(plainRect, good, -1, 0, 255, plain->Handle(), plain->SkinData.get()), -1);
    EXPECT_GE(ShowGlow(plainRect, good, 0, 0, 255, plain->Handle(), plain->SkinData.get()), 0);
}

TEST_F(GlowTest, TableIdsHideAndClear)
{
    TFadeControl* second = MakeControl(form, 100, 20);
    TFadeControl* third = MakeControl(form, 100, 60);
    data->GlowID = Show();
    second->SkinData->GlowID = Show(255, second->SkinData.get(), second->Handle());
    third->SkinData->GlowID = Show(255, third->SkinData.get(), third->Handle());
    EXPECT_EQ(data->GlowID, 0);
    EXPECT_EQ(second->SkinData->GlowID, 1);
    EXPECT_EQ(third->SkinData->GlowID, 2);
    EXPECT_EQ(EffectCount(), 3);

    // Hiding empties the slot; the stale ID does nothing and is not reused.
    int stale = second->SkinData->GlowID;
    HideGlow(second->SkinData->GlowID, false);
    EXPECT_EQ(second->SkinData->GlowID, -1);
    EXPECT_EQ(GetEffect(stale), nullptr);
    HideGlow(stale, false);
    EXPECT_EQ(stale, 1) << "an empty slot leaves the ID alone";
    RepaintGlow(stale);
    SetGlowAlpha(stale, 10);
    EXPECT_EQ(Show(255, second->SkinData.get(), second->Handle()), 3);
    EXPECT_EQ(EffectCount(), 4);

    // Nothing is cleared while a window is being destroyed.
    bGlowingDestroying = true;
    ClearGlows(false, false);
    EXPECT_EQ(EffectCount(), 4);
    bGlowingDestroying = false;

    ClearGlows(true, false);
    EXPECT_EQ(EffectCount(), 0);
    EXPECT_EQ(data->GlowID, -1);
    EXPECT_EQ(third->SkinData->GlowID, -1);
    EXPECT_EQ(Show(), 0) << "IDs start again once the table is cleared";
}

TEST_F(GlowTest, FadedHideKeepsTheEntryUntilTheFadeEnds)
{
    data->GlowID = Show(255);
    const int id = data->GlowID;
    ASSERT_GE(id, 0);
    HideGlow(data->GlowID, true);
    EXPECT_EQ(data->GlowID, id);
    ASSERT_NE(GetEffect(id), nullptr);
    TacThreadedTimer* timer = data->AnimTimer;
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->State, 0);
    EXPECT_EQ(timer->AnimProc, &UpdateGlowing_CB);
    // The first step ran at once: the alpha fell by one step from the glow's 255.
    const double step = 255.0 / timer->Iterations;
    EXPECT_EQ(Glow(id)->FAlpha, static_cast<int>(Round(255 - step)));
    // A second faded hide while fading out changes nothing.
    HideGlow(data->GlowID, true);
    EXPECT_EQ(timer->Iteration, 0);

    std::vector<int> alphas;
    for (int guard = 0; guard < 40 && timer->Enabled(); ++guard) {
        timer->TimerTick(nullptr);
        if (GetEffect(id)) alphas.push_back(Glow(id)->FAlpha);
    }
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(GetEffect(id), nullptr);
    EXPECT_EQ(data->GlowID, -1);
    ASSERT_EQ(static_cast<int>(alphas.size()), timer->Iterations - 1);
    double glow = 255 - step;
    for (size_t i = 0; i < alphas.size(); ++i) {
        glow = std::clamp(glow - step, 0.0, 255.0);
        EXPECT_EQ(alphas[i], static_cast<int>(Round(glow))) << "step " << i + 1;
    }
    // The window's constant alpha followed.
    EXPECT_EQ(LayeredCalls().back().Alpha, alphas.back());
}

TEST_F(GlowTest, AFadedHideTakesOnlyAFreeOrEffectTimer)
{
    struct Case {
        const char* what;
        int kind;        // the running timer's kind
        bool takenOver;  // the glow's fade takes the timer
    };
    const Case cases[] = {
        {"a cross-fade to pressed goes on", ttFade, false},
        {"a click circle's timer fades the glow", ttEffect, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Hot (a new timer's fade to hot is done at once, its glow shown), then pressed: a
        // running cross-fade of the control's picture while the glow is still there.
        for (int state : {1, 2}) {
            control->State = state;
            control->PaintCache();
            data->FMouseAbove = true;
            data->BGChanged = false;
            DoChangePaint(data, state, &UpdateWindow_CB, true, false, true);
        }
        TacThreadedTimer* timer = data->AnimTimer;
        ASSERT_NE(timer, nullptr);
        ASSERT_TRUE(timer->Enabled());
        ASSERT_EQ(timer->AnimProc, &UpdateWindow_CB);
        const int id = data->GlowID;
        ASSERT_GE(id, 0);
        timer->ThreadType = c.kind;

        HideGlow(data->GlowID, true);
        if (c.takenOver) {
            EXPECT_EQ(timer->AnimProc, &UpdateGlowing_CB);
            EXPECT_EQ(timer->State, 0);
            EXPECT_EQ(data->GlowID, id) << "the glow stays until its fade ends";
        } else {
            EXPECT_EQ(data->GlowID, -1) << "the glow goes at once";
            EXPECT_EQ(GetEffect(id), nullptr);
            EXPECT_TRUE(timer->Enabled());
            EXPECT_EQ(timer->AnimProc, &UpdateWindow_CB);
            EXPECT_EQ(timer->State, 2);
        }
        for (int guard = 0; guard < 40 && timer->Enabled(); ++guard) timer->TimerTick(nullptr);
        EXPECT_FALSE(timer->Enabled());
        EXPECT_EQ(data->GlowID, -1);
        if (!c.takenOver) {
            ASSERT_NE(timer->BmpOut, nullptr);
            EXPECT_EQ(Rgb(Px(*timer->BmpOut, 5, 5)), Rgb(kStateColor[2])) << "the fade reached the pressed picture";
        }
        timer->ThreadType = ttFade;
        control->State = 0;
        control->PaintCache();
        data->FMouseAbove = false;
        DoChangePaint(data, 0, &UpdateWindow_CB, false, false, true);
        ClearGlows(false, false);
    }
}

TEST_F(GlowTest, WindowPlaceStylesAndPicture)
{
    // A window above the form that precedes it in z-order.
    auto* above = new TForm(Application);
    above->SetBounds(400, 400, 60, 40);
    above->Show();
    SetWindowPos(above->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(form->Handle(), above->Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(GetWindow(form->Handle(), GW_HWNDPREV), above->Handle());

    const int id = Show(200);
    ASSERT_GE(id, 0);
    const HWND wnd = GlowWnd(id);
    const LONG_PTR ex = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TRANSPARENT);
    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
    EXPECT_EQ(GetWindow(wnd, GW_HWNDNEXT), form->Handle()) << "right behind the window above the form";
    EXPECT_EQ(GetWindow(wnd, GW_HWNDPREV), above->Handle());

    // Grown by the mask's border widths minus the margin on every side.
    const int grow = house_skin::kGlowMargin - house_skin::kGlowMargin / 2;
    const TRect rc = ScreenRect(control->Handle());
    const TRect expected(rc.Left - grow, rc.Top - grow, rc.Right + grow, rc.Bottom + grow);
    RECT r{};
    GetWindowRect(wnd, &r);
    EXPECT_EQ(TRect(r.left, r.top, r.right, r.bottom), expected);
    ASSERT_FALSE(LayeredCalls().empty());
    const LayeredCall& call = LayeredCalls().back();
    EXPECT_EQ(call.Alpha, 200);
    EXPECT_EQ(call.Pos.x, expected.Left);
    EXPECT_EQ(call.Pos.y, expected.Top);
    ASSERT_NE(LastImage(id), nullptr);
    EXPECT_TRUE(SameImage(*LastImage(id), *Expected(expected.Width(), expected.Height(), 0)));
    SaveBitmapAsPng(*LastImage(id), BuildFolderFile(L"glow_window.png"), true);

    // Focused: the mask's second frame; tinted by the colour the control gives (command 54).
    data->FFocused = true;
    control->GlowColor = 0x0000C0;
    RepaintGlow(id);
    EXPECT_EQ(control->Codes.back(), AC_GETGLOWCOLOR);
    auto focused = Expected(expected.Width(), expected.Height(), 1, 0x0000C0);
    EXPECT_TRUE(SameImage(*LastImage(id), *focused));
    EXPECT_FALSE(SameImage(*LastImage(id), *Expected(expected.Width(), expected.Height(), 1))) << "tinted";
    SaveBitmapAsPng(*LastImage(id), BuildFolderFile(L"glow_window_focused.png"), true);
    data->FFocused = false;
    control->GlowColor = clNone;

    // A window above the form that lies over the control: nothing of the glow under it.
    above->SetBounds(rc.Left + 10, rc.Top + 8, 100, 100);
    RepaintGlow(id);
    TBitmap* cut = LastImage(id);
    ASSERT_NE(cut, nullptr);
    RECT ar{};
    GetWindowRect(above->Handle(), &ar);
    const int cx = ar.left - expected.Left, cy = ar.top - expected.Top;
    EXPECT_EQ(Px(*cut, cx, cy), 0u);
    EXPECT_EQ(Px(*cut, cut->Width() - 1, cut->Height() - 1), 0u);
    EXPECT_NE(Px(*cut, 0, 0) | Px(*cut, 1, 1) | Px(*cut, 2, 2), 0u) << "the rest still glows";

    // A topmost form's glow goes to the top of the topmost band.
    int first = id;
    HideGlow(first, false);
    EXPECT_EQ(first, -1);
    EXPECT_EQ(GetEffect(id), nullptr);
    delete above;
    form->SetFormStyle(fsStayOnTop);
    const int topId = Show();
    ASSERT_GE(topId, 0);
    EXPECT_TRUE(GetWindowLongPtrW(GlowWnd(topId), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(GlowWnd(topId), GW_HWNDPREV), nullptr);
}

TEST_F(GlowTest, WithNothingAboveTheFormTheGlowLiesRightAboveIt)
{
    // The control's form at the very top of the z-order: no window precedes it.
    SetWindowPos(form->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (HWND w = GetWindow(form->Handle(), GW_HWNDPREV); w; w = GetWindow(form->Handle(), GW_HWNDPREV))
        SetWindowPos(w, form->Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(GetWindow(form->Handle(), GW_HWNDPREV), nullptr);

    data->GlowID = Show();
    ASSERT_GE(data->GlowID, 0);
    EXPECT_EQ(GetWindow(GlowWnd(data->GlowID), GW_HWNDNEXT), form->Handle()) << "shown";
    RepaintGlow(data->GlowID);
    EXPECT_EQ(GetWindow(GlowWnd(data->GlowID), GW_HWNDNEXT), form->Handle()) << "repainted";
}

} // namespace
