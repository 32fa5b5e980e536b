// The push-button wrapper on Wine's "button" window of a skinned form, over the house skin's flat
// four-state BUTTON: the state table as painted, the modal colours of OK, Cancel, Yes and No,
// the colouring request of the glow, and the hover commands.
#include "skin_images_test_effects.h"
#include "skin_wrappers_test_sbwnd.h"

#include "Buttons.h"
#include "acDials.h"
#include "acSBUtilsButtons.h"
#include "sMessages.h"
#include "sSkinManager.h"

#include <gtest/gtest.h>

namespace {

namespace hs = house_skin;

class ButtonTest : public SkinnedFormTest {
protected:
    ButtonTest() { flatButton = true; }
    void TearDown() override
    {
        SkinnedFormTest::TearDown();
        for (HWND h : windows)
            if (IsWindow(h)) DestroyWindow(h);
    }
    HWND NewButton(const wchar_t* text, DWORD style, int id, HWND parent = nullptr, int x = 20)
    {
        HWND b = CreateWindowExW(0, L"button", text, WS_CHILD | WS_VISIBLE | style, x, 20, 90, 28,
                                 parent ? parent : form->Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
        windows.push_back(b);
        return b;
    }
    // The face colour left of the caption, clear of the focus rectangle.
    static TColor Face(HWND b)
    {
        auto cap = PrintCapture(b);
        return CapturePixel(*cap, 1, cap->Height() / 2);
    }
    std::vector<HWND> windows;
};

TColor Flat(int state) { return FromArgb(hs::kFlatButton[static_cast<size_t>(state)]); }

TEST_F(ButtonTest, StatesAsPainted)
{
    struct Row {
        const char* what;
        DWORD style;
        std::function<void(HWND)> act;
        int state;
    };
    const Row rows[] = {
        {"push button at rest", BS_PUSHBUTTON, [](HWND) {}, 0},
        {"default push button at rest", BS_DEFPUSHBUTTON, [](HWND) {}, 3},
        {"owner-drawn button (type bit 1 set) is no default", BS_OWNERDRAW, [](HWND) {}, 0},
        {"focused", BS_PUSHBUTTON, [](HWND b) { SetFocus(b); }, 1},
        {"pressed", BS_DEFPUSHBUTTON, [](HWND b) { SendMessageW(b, BM_SETSTATE, TRUE, 0); }, 2},
    };
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        HWND b = NewButton(L"OK", r.style, 100 + n++);
        auto* w = Wrap<TacBtnWnd>(b, nullptr);
        EXPECT_EQ(w->SkinData->COC, 93);
        r.act(b);
        EXPECT_EQ(w->CurrentState(), r.state);
        EXPECT_EQ(Face(b), Flat(r.state));
        if (r.state == 3) SaveEnlargedPng(*PrintCapture(b), L"button_default.png");
        DestroyWindow(b);
    }
}

TEST_F(ButtonTest, DisabledIsBlendedTowardTheParent)
{
    HWND b = NewButton(L"Off", BS_PUSHBUTTON, 100);
    Wrap<TacBtnWnd>(b, nullptr);
    const TColor enabled = Face(b);
    EnableWindow(b, FALSE);
    const TColor disabled = Face(b);
    EXPECT_NE(disabled, enabled);
    // The form's client shows the skin's main colour.
    const TColor parent = static_cast<TColor>(hs::kMainColor);
    // Each channel between the enabled face's and the parent's.
    const auto between = [](TColor p, TColor a, TColor b) {
        for (int shift : {0, 8, 16}) {
            const int v = (p >> shift) & 0xFF, x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
            if (v < std::min(x, y) || v > std::max(x, y)) return false;
        }
        return true;
    };
    EXPECT_TRUE(between(disabled, enabled, parent)) << std::hex << disabled << " " << enabled << " " << parent;
}

TEST_F(ButtonTest, ModalColours)
{
    // A dialog-like parent with OK (1), Cancel (2), Yes (6) and No (7) where a row asks.
    struct Row {
        const char* what;
        std::vector<int> ids;
        int id;            // the button looked at
        bool coloured;
        std::uint32_t background; // state 0 under bcBackground
        std::uint32_t ink;        // state 0 under bcGlyph / bcText
    };
    const Row rows[] = {
        {"OK", {1, 2}, 1, true, 0xFF7BD098, 0xFF28851A},
        {"Yes", {6, 7}, 6, true, 0xFF7BD098, 0xFF28851A},
        {"Cancel beside OK", {1, 2}, 2, true, 0xFF9E9EFF, 0xFF0000B4},
        {"Cancel beside Yes and No", {6, 7, 2}, 2, true, 0xFFFFEDC9, 0xFFAE7400},
        {"No", {6, 7}, 7, true, 0xFF9E9EFF, 0xFF0000B4},
        {"Cancel alone keeps the skin's colours", {2}, 2, false, 0, 0},
        {"another button", {1, 3}, 3, false, 0, 0},
    };
    auto& options = manager->ButtonsOptions()->ModalButtonsColoring;
    const TacModalButtonsColoring saved = options;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        RecordingWindow parent(form->Handle(), RECT{10, 80, 440, 140});
        TacBtnWnd* looked = nullptr;
        int x = 4;
        for (int id : r.ids) {
            HWND b = NewButton(L"B", BS_PUSHBUTTON, id, parent.Handle(), x);
            x += 100;
            if (id == r.id) looked = Wrap<TacBtnWnd>(b, nullptr);
        }
        ASSERT_NE(looked, nullptr);
        for (auto option : {bcBackground, bcGlyph, bcText}) {
            options = TacModalButtonsColoring{option};
            TacColoring c;
            looked->GetColoring(c);
            const std::uint32_t unset = 0x1FFFFFFF;
            EXPECT_EQ(static_cast<std::uint32_t>(c.ColorToneBG), r.coloured && option == bcBackground ? r.background : unset);
            EXPECT_EQ(static_cast<std::uint32_t>(c.ColorGlyph), r.coloured && option == bcGlyph ? r.ink : unset);
            EXPECT_EQ(static_cast<std::uint32_t>(c.ColorText), r.coloured && option == bcText ? r.ink : unset);
        }
        options = TacModalButtonsColoring{};
        TacColoring none;
        looked->GetColoring(none);
        EXPECT_EQ(none.ColorToneBG, static_cast<TColor>(0x1FFFFFFF)) << "nothing without the option";
        TacMainWnd* made = looked;
        wrappers.pop_back();
        UninitializeACWnd(made->CtrlHandle, true, false, made);
    }
    options = saved;
}

TEST_F(ButtonTest, ColouringRequestWritesOnlyTheOneColourItIsGiven)
{
    RecordingWindow parent(form->Handle(), RECT{10, 80, 440, 140});
    NewButton(L"OK", BS_PUSHBUTTON, 1, parent.Handle(), 4);
    HWND cancel = NewButton(L"Cancel", BS_PUSHBUTTON, 2, parent.Handle(), 110);
    Wrap<TacBtnWnd>(cancel, nullptr);
    auto& options = manager->ButtonsOptions()->ModalButtonsColoring;
    const TacModalButtonsColoring saved = options;
    struct Guarded {
        TColor color;
        TColor after[2];
    };
    for (auto option : {bcBackground, bcGlyph}) {
        options = TacModalButtonsColoring{option};
        Guarded g{clNone, {0x11111111, 0x22222222}};
        EXPECT_EQ(SendAMessage(cancel, AC_GETGLOWCOLOR, reinterpret_cast<LPARAM>(&g.color)), 1);
        EXPECT_EQ(static_cast<std::uint32_t>(g.color), option == bcBackground ? 0xFF9E9EFFu : static_cast<std::uint32_t>(clNone));
        EXPECT_EQ(g.after[0], static_cast<TColor>(0x11111111)) << "nothing written past the colour";
        EXPECT_EQ(g.after[1], static_cast<TColor>(0x22222222));
    }
    options = saved;
}

TEST_F(ButtonTest, HoverMakesTheActiveControlAndLeavingEndsIt)
{
    TFakePointerScope pointer;
    HWND b = NewButton(L"Hover", BS_PUSHBUTTON, 100);
    auto* w = Wrap<TacBtnWnd>(b, nullptr);
    RecordingSubclass rec(b);
    RECT r{};
    GetWindowRect(b, &r);
    gFakePointer = POINT{r.left + 10, r.top + 10};
    SendMessageW(b, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(manager->ActiveControl(), b);
    EXPECT_EQ(rec.Log.Count(SM_ALPHACMD, AC_MOUSEENTER), 1);
    EXPECT_TRUE(w->SkinData->FMouseAbove);
    EXPECT_EQ(w->CurrentState(), 1);
    gFakePointer = POINT{r.right + 50, r.bottom + 50};
    SendMessageW(b, WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
    EXPECT_NE(manager->ActiveControl(), b);
    EXPECT_EQ(rec.Log.Count(SM_ALPHACMD, AC_MOUSELEAVE), 1);
    EXPECT_FALSE(w->SkinData->FMouseAbove);
    EXPECT_EQ(w->CurrentState(), 0);
}

TEST_F(ButtonTest, SplitButtonCaptionMovesLeftForItsArrow)
{
    HWND plain = NewButton(L"Split", BS_PUSHBUTTON, 100, nullptr, 20);
    HWND split = NewButton(L"Split", BS_SPLITBUTTON, 101, nullptr, 200);
    auto* p = Wrap<TacBtnWnd>(plain, nullptr);
    auto* w = Wrap<TacSplitBtnWnd>(split, nullptr);
    auto cap = PrintCapture(split);
    SaveEnlargedPng(*cap, L"button_split.png");
    p->PrepareCache();
    TRect base = p->CaptionRect();
    TRect moved = w->CaptionRect();
    EXPECT_EQ(w->ArrowWidth, 8);
    EXPECT_EQ(moved.Left, base.Left - 8);
    const TRect arrow = w->ArrowRect();
    EXPECT_EQ(arrow.Left, cap->Width() - 2 * 8 - 6);
    const TColor ink = ColorToRGB(GetFontColor(split, w->SkinData->SkinIndex, manager.get(), 0)) & 0xFFFFFF;
    EXPECT_GT(CountColor(*cap, TRect(moved.Right + 1, 0, cap->Width(), cap->Height()), ink), 3) << "the arrow";
}

TEST_F(ButtonTest, GlyphsBesideTheCaption)
{
    // A foreign button's bitmap ends 2 pixels left of its caption, centred vertically.
    HWND foreign = NewButton(L"Bmp", BS_PUSHBUTTON | BS_BITMAP, 100, nullptr, 20);
    TBitmap glyph(12, 10, pf24bit);
    SendMessageW(foreign, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyph.Handle()));
    auto* fw = Wrap<TacBitBtnWnd>(foreign, nullptr);
    fw->PrepareCache();
    EXPECT_EQ(fw->GlyphSize().cx, 12);
    const TRect g = fw->GlyphRect();
    EXPECT_EQ(g.Right, fw->CaptionRect().Left - 2);
    EXPECT_EQ(g.Top, (28 - 10) / 2);
    SendMessageW(foreign, BM_SETIMAGE, IMAGE_BITMAP, 0);

    // A framework bit button by its layout: the caption on the far side of the glyph, Spacing
    // apart.
    for (TButtonLayout layout : {blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom}) {
        SCOPED_TRACE(static_cast<int>(layout));
        auto* b = new TBitBtn(form);
        b->SetBounds(20, 120, 120, 60);
        b->SetCaption(L"Go");
        TBitmap frames(32, 16, pf24bit);
        b->SetGlyph(&frames);
        b->SetNumGlyphs(2);
        b->SetLayout(layout);
        b->SetSpacing(5);
        b->SetParent(form);
        auto* w = Wrap<TacBitBtnWnd>(b->Handle(), b);
        w->PrepareCache();
        EXPECT_EQ(w->GlyphSize().cx, 16);
        const TRect gr = w->GlyphRect(), cr = w->CaptionRect();
        switch (layout) {
        case blGlyphLeft: EXPECT_EQ(cr.Left, gr.Right + 5); break;
        case blGlyphRight: EXPECT_EQ(cr.Right, gr.Left - 5); break;
        case blGlyphTop: EXPECT_EQ(cr.Top, gr.Bottom + 5); break;
        case blGlyphBottom: EXPECT_EQ(cr.Bottom, gr.Top - 5); break;
        }
        if (layout == blGlyphLeft) {
            const int mid = (120 - 16 - cr.Width() - 5) / 2;
            EXPECT_EQ(gr.Left, mid);
        }
        TacMainWnd* made = w;
        wrappers.pop_back();
        UninitializeACWnd(made->CtrlHandle, true, false, made);
        delete b;
    }
}

TEST_F(ButtonTest, FrameworkKindsGetTheirWrappers)
{
    auto* button = new TButton(form);
    button->SetParent(form);
    auto* bit = new TBitBtn(form);
    bit->SetBounds(100, 0, 75, 25);
    bit->SetParent(form);
    TacSkinParams params;
    params.Control = button;
    std::unique_ptr<TacMainWnd> a(CreateThirdPartyWrapper(tpButton, button->Handle(), nullptr, manager.get(), params, false));
    params.Control = bit;
    std::unique_ptr<TacMainWnd> b(CreateThirdPartyWrapper(tpBitBtn, bit->Handle(), nullptr, manager.get(), params, false));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->ClassName(), UnicodeString(L"TacButtonWnd"));
    EXPECT_EQ(static_cast<TacButtonWnd*>(a.get())->Btn, button);
    EXPECT_EQ(b->ClassName(), UnicodeString(L"TacBitBtnWnd"));
    // A framework bit button is owner-drawn, which is no default look, unless it is Default.
    EXPECT_EQ(static_cast<TacBtnWnd*>(b.get())->CurrentState(), 0);
    bit->SetDefault(true);
    SetFocus(nullptr);
    EXPECT_EQ(static_cast<TacBtnWnd*>(b.get())->CurrentState(), 3);
    a.reset();
    b.reset();
}

TEST_F(ButtonTest, ReleasingTheMouseRunsTheClickAnimationOnlyWhenEnabled)
{
    auto* button = new TButton(form);
    button->SetBounds(20, 20, 90, 28);
    button->SetParent(form);
    auto* w = Wrap<TacButtonWnd>(button->Handle(), button);
    auto& events = manager->AnimEffects()->Buttons()->Events;
    const TacBtnEvents saved = events;
    SendMessageW(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(w->SkinData->ClickTimer, nullptr) << "no click effect by default";
    events.Include(beClick);
    SendMessageW(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_NE(w->SkinData->ClickTimer, nullptr);
    // The ghost belongs to the button; it is stopped here, not waited for.
    auto* ghost = dynamic_cast<TacClickTimer*>(w->SkinData->ClickTimer);
    ASSERT_NE(ghost, nullptr);
    EXPECT_EQ(ghost->AnimControl, button);
    ghost->DisableTimer();
    events = saved;
}

} // namespace
