// The skinned label, web label and sticky label on a shown form under Xvfb.
#include "skin_controls_test_label.h"

#include "sGraphUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <functional>

namespace {

class SkinnedLabelTest : public LabelTest {
protected:
    void SetUp() override
    {
        LabelTest::SetUp();
        Load();
        ASSERT_TRUE(manager && manager->IsActive());
    }
};

constexpr TColor kOwnColor = 0x0000C0;
constexpr TColor kParentFontColor = 0x305070;

TEST_F(SkinnedLabelTest, TextColoursFollowTheSkinAndBlendWhenDisabled)
{
    form->Font()->SetColor(kParentFontColor);
    TsSkinManager* m = manager.get();
    const auto blend = [](TColor c, TColor with) { return BlendColors(ColorToRGB(c), ColorToRGB(with), 100); };
    struct Case {
        const char* name;
        std::function<TsCustomLabel*()> make;
        bool enabled;
        std::function<TColor()> expected;
    };
    const Case cases[] = {
        {"custom label without a manager of its own", [&] { return Make<TsCustomLabel>(L"A"); }, true,
         [] { return kOwnColor; }},
        {"custom label with its manager",
         [&] {
             auto* l = Make<TsCustomLabel>(L"A");
             l->SetSkinManager(m);
             return l;
         },
         true, [&] { return m->Palette[pcLabelText]; }},
        {"custom label disabled",
         [&] {
             auto* l = Make<TsCustomLabel>(L"A");
             l->SetSkinManager(m);
             return l;
         },
         false, [&] { return blend(m->Palette[pcLabelText], m->GetGlobalColor()); }},
        // The unskinned form gives no section: the label takes its parent's font colour.
        {"label with skin colour", [&] { return Make<TsLabel>(L"A"); }, true, [] { return kParentFontColor; }},
        {"label without skin colour",
         [&] {
             auto* l = Make<TsLabel>(L"A");
             l->SetUseSkinColor(false);
             return l;
         },
         true, [] { return kOwnColor; }},
        {"label disabled", [&] { return Make<TsLabel>(L"A"); }, false,
         [&] { return blend(kParentFontColor, GetControlColor(form)); }},
        {"web label", [&] { return Make<TsWebLabel>(L"A"); }, true, [&] { return m->Palette[pcWebText]; }},
        {"web label disabled", [&] { return Make<TsWebLabel>(L"A"); }, false,
         [&] { return blend(m->Palette[pcWebText], m->GetGlobalColor()); }},
    };
    for (const Case& c : cases) {
        TsCustomLabel* l = c.make();
        l->SetParentFont(false);
        l->Font()->SetColor(kOwnColor);
        if (auto* web = dynamic_cast<TsWebLabel*>(l)) {
            TFont f;
            f.Assign(l->Font());
            web->SetFont(&f);
        }
        l->SetEnabled(c.enabled);
        EXPECT_EQ(ColorToRGB(l->TextColor()), ColorToRGB(c.expected())) << c.name;
        delete l;
    }
}

TEST_F(SkinnedLabelTest, WebLabelHoversAndOpensItsAddressOnAClick)
{
    auto* l = Make<TsWebLabel>(L"Visit us", 20, 20);
    l->SetURL(L"https://example.test/");
    l->SetShowMode(soMaximize);
    TFont hover;
    hover.SetColor(clRed);
    hover.SetStyle(TFontStyles{fsUnderline});
    l->SetHoverFont(&hover);
    l->SetUseSkinColor(false);
    EXPECT_EQ(l->Cursor(), crHandPoint);
    const TColor normal = ColorToRGB(l->TextColor());

    // The mouse moves over the label, then away from it, as the form routes it.
    const HWND wnd = form->Handle();
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(l->Left() + 2, l->Top() + 2));
    EXPECT_TRUE(l->MouseInside());
    EXPECT_EQ(l->GetCurrentFont(), l->HoverFont());
    EXPECT_EQ(ColorToRGB(l->TextColor()), ColorToRGB(clRed));
    auto hot = ShownLabel(l);
    SavePng(*hot, L"label_web_hot.png");
    EXPECT_GT(Count(*hot, clRed), 0) << "drawn in the hover colour";
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
    EXPECT_FALSE(l->MouseInside());
    EXPECT_NE(l->GetCurrentFont(), l->HoverFont());
    EXPECT_EQ(ColorToRGB(l->TextColor()), normal);

    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(l->Left() + 2, l->Top() + 2));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(l->Left() + 2, l->Top() + 2));
    ASSERT_EQ(ShellCalls().size(), 1u);
    EXPECT_EQ(ShellCalls()[0].verb, L"open");
    EXPECT_EQ(ShellCalls()[0].file, L"https://example.test/");
    EXPECT_EQ(ShellCalls()[0].show, SW_MAXIMIZE);

    int clicks = 0;
    l->OnClick = [&](TObject*) { ++clicks; };
    l->SetURL(L"");
    l->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ShellCalls().size(), 1u) << "an empty address opens nothing";
}

TEST_F(SkinnedLabelTest, SectionBackgroundAndPaintModes)
{
    const TColor back = ColorToRGB(form->Color());
    auto* l = Make<TsLabel>(L"Ab", 20, 20);
    l->SetAutoSize(false);
    l->SetBounds(20, 20, 80, 24);
    struct Case {
        const wchar_t* section;
        bool painted;
    } cases[] = {{L"", false}, {L"NOSUCHSECTION", false}, {L"PANEL_LOW", true}};
    for (const Case& c : cases) {
        l->SetSkinSection(c.section);
        auto shown = ShownLabel(l);
        const COLORREF corner = GetPixel(shown->Canvas()->Handle(), 78, 22) & 0xFFFFFF;
        EXPECT_EQ(corner != static_cast<COLORREF>(back), c.painted) << std::wstring(c.section);
        EXPECT_EQ(l->FSkinIndex, -1) << "the index lives until the end of a paint";
        if (c.painted) SavePng(*shown, L"label_section.png");
    }
    l->SetSkinSection(L"");

    // Painted into a 32-bit bitmap: mode 1 makes the whole area opaque, mode 2 draws the text
    // keeping the alpha channel, a plain transparent label leaves the alpha alone.
    const auto paintAlpha = [&](int mode, std::uint8_t startAlpha) {
        const LRESULT r = l->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_SETTRANSPMODE, 0), MAKELPARAM(7, mode));
        EXPECT_EQ(r, MAKELONG(7, mode));
        auto bmp = CreateBmp32(80, 24);
        for (int y = 0; y < 24; ++y) {
            auto* line = static_cast<std::uint32_t*>(bmp->ScanLine(y));
            for (int x = 0; x < 80; ++x) line[x] = (static_cast<std::uint32_t>(startAlpha) << 24) | 0xFFFFFF;
        }
        l->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), 0);
        GdiFlush();
        int minAlpha = 255, maxAlpha = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 80; ++x) {
                const int a = static_cast<const std::uint8_t*>(bmp->ScanLine(y))[x * 4 + 3];
                minAlpha = std::min(minAlpha, a);
                maxAlpha = std::max(maxAlpha, a);
            }
        return std::pair{minAlpha, maxAlpha};
    };
    EXPECT_EQ(paintAlpha(1, 0), std::pair(255, 255)) << "mode 1: opaque";
    EXPECT_EQ(paintAlpha(0, 0), std::pair(0, 0)) << "transparent: untouched";
    EXPECT_EQ(paintAlpha(0, 255).first, 0) << "GDI text clears the alpha of its pixels";
    EXPECT_EQ(paintAlpha(2, 255).first, 255) << "mode 2: text drawn with alpha";
}

TEST_F(LabelTest, EllipsisLoopEndsForOneLongWord)
{
    auto* l = Make<TsLabel>(L"Supercalifragilisticexpialidocious words");
    l->SetAutoSize(false);
    l->SetWordWrap(true);
    l->SetEllipsisPosition(epEndEllipsis);
    l->SetBounds(10, 10, 30, 4);
    auto shown = ShownLabel(l);
    EXPECT_EQ(shown->Width(), 30) << "painting returned";
    // Words are cut while any are left; one word stays as it is.
    EXPECT_EQ(CutWordsToFit(L"one two three", [](const UnicodeString& t) { return t.size() <= 7; }), L"one...");
    EXPECT_EQ(CutWordsToFit(L"single", [](const UnicodeString&) { return false; }), L"single");
    EXPECT_EQ(CutWordsToFit(L" lead", [](const UnicodeString&) { return false; }), L" lead")
        << "nothing but the ellipsis would remain";
}

TEST_F(LabelTest, RightJustifiedAutoSizedLabelKeepsItsRightEdge)
{
    auto* l = Make<TsLabel>(L"Short", 100, 10);
    l->SetAlignment(taRightJustify);
    const int right = l->Left() + l->Width();
    const int width = l->Width();
    l->SetCaption(L"A much longer caption");
    EXPECT_GT(l->Width(), width);
    EXPECT_EQ(l->Left() + l->Width(), right);
}

class StickyLabelTest : public LabelTest {
protected:
    void SetUp() override
    {
        LabelTest::SetUp();
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(150, 100, 100, 24);
        edit->HandleNeeded();
        original = edit->WindowProc;
        label = Make<TsStickyLabel>(L"Sticky");
    }
    TEdit* edit = nullptr;
    TsStickyLabel* label = nullptr;
    TWndMethod original;
};

TEST_F(StickyLabelTest, PlacesItselfBesideTheControl)
{
    label->SetAttachTo(edit);
    const int W = label->Width(), H = label->Height();
    const TRect R = edit->BoundsRect();
    struct Case {
        TAlignTo align;
        TPoint at;
    } cases[] = {
        {altLeft, {R.Left - W - 2, R.Top + (R.Height() - H) / 2}},
        {altTop, {R.Left, R.Top - H - 2}},
        {altBottom, {R.Left, R.Bottom + 2}},
        {altRight, {R.Right + 2, R.Top + (R.Height() - H) / 2}},
        {altTopCenter, {R.Left - (W - R.Width()) / 2, R.Top - H - 2}},
        {altBottomCenter, {R.Left - (W - R.Width()) / 2, R.Bottom + 2}},
    };
    for (const Case& c : cases) {
        label->SetAlignTo(c.align);
        EXPECT_EQ(label->Left(), c.at.X) << c.align;
        EXPECT_EQ(label->Top(), c.at.Y) << c.align;
    }
    // The control moves: the label follows; moved by code, the label goes back.
    label->SetAlignTo(altLeft);
    edit->SetBounds(170, 120, 100, 24);
    EXPECT_EQ(label->Left(), 170 - W - 2);
    label->SetBounds(5, 5, W, H);
    EXPECT_EQ(label->Left(), 170 - W - 2);
    EXPECT_EQ(label->Top(), 120 + (24 - H) / 2);
    // A mirrored layout swaps left and right, other sides stay.
    label->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_REFLECTED, 0), 0);
    EXPECT_EQ(label->AlignTo(), altRight);
    label->SetAlignTo(altTop);
    label->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_REFLECTED, 0), 0);
    EXPECT_EQ(label->AlignTo(), altTop);
    auto shown = Shown();
    SavePng(*shown, L"label_sticky.png");
}

TEST_F(StickyLabelTest, GapScalesWithThePixelDensity)
{
    label->ChangeScale(144, 96);
    label->SetAlignTo(altTopCenter);
    label->SetAttachTo(edit);
    EXPECT_EQ(label->CurrentPPI(), 144);
    EXPECT_EQ(label->Top(), edit->Top() - label->Height() - 3);
    EXPECT_EQ(label->Left(), edit->Left() - (label->Width() - edit->Width()) / 2);
}

TEST_F(StickyLabelTest, FollowsVisibilityAndStateAndLetsGoOfTheControl)
{
    edit->SetEnabled(false);
    label->SetAttachTo(edit);
    EXPECT_FALSE(label->Enabled());
    edit->SetEnabled(true);
    EXPECT_TRUE(label->Enabled());
    edit->SetVisible(false);
    EXPECT_FALSE(label->Visible());
    edit->SetVisible(true);
    EXPECT_TRUE(label->Visible());

    EXPECT_FALSE(edit->WindowProc == original);
    label->SetAttachTo(nullptr);
    EXPECT_TRUE(edit->WindowProc == original) << "the control's procedure is given back";
    edit->SetVisible(false);
    EXPECT_TRUE(label->Visible());

    label->SetAttachTo(edit);
    delete edit;
    EXPECT_EQ(label->AttachTo(), nullptr);
    label->SetBounds(5, 5, label->Width(), label->Height());
    EXPECT_EQ(label->Left(), 5) << "detached: the label stays where it is put";
}

} // namespace
