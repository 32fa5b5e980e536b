// The caption label bound to a control: its twelve layouts, naming, measuring, the messages of
// the bound control it follows, hiding and its font, on a routed edit under Xvfb.
#include "PumpUntil.h"
#include "sCtrlStates.h"
#include "sLabel.h"
#include "sSkinManagerOptions.h"
#include "skin_core_test_routed.h"

#include <gtest/gtest.h>

namespace {

class BoundLabelTest : public RoutedTest {
protected:
    void SetUp() override
    {
        RoutedTest::SetUp();
        edit = Make<TRoutedEdit>(parent, L"EDIT", TRect(120, 100, 240, 124), 2);
        edit->SetName(L"Edit1");
        edit->BoundLabel = std::make_unique<TsBoundLabel>(edit, edit->SkinData.get());
        bound = edit->BoundLabel.get();
    }
    TsEditLabel* Label() const { return bound->TheLabel(); }

    TRoutedEdit* edit = nullptr;
    TsBoundLabel* bound = nullptr;
};

TEST_F(BoundLabelTest, ActiveNamesAndCaptionsTheLabelAfterItsControl)
{
    EXPECT_EQ(Label(), nullptr);
    bound->SetBoolean(1, true);
    ASSERT_NE(Label(), nullptr);
    EXPECT_EQ(Label()->Name(), L"Edit1Label");
    EXPECT_EQ(Label()->Caption(), L"Edit1");
    EXPECT_EQ(bound->Caption(), L"Edit1");
    EXPECT_EQ(Label()->Parent(), parent);
    EXPECT_EQ(Label()->FocusControl(), edit);
    EXPECT_TRUE(Label()->Visible());
    EXPECT_TRUE(Label()->FitToWidth());
    bound->SetText(L"Name");
    EXPECT_EQ(Label()->Caption(), L"Name");
    bound->SetBoolean(1, false);
    EXPECT_EQ(Label(), nullptr);
}

TEST_F(BoundLabelTest, LayoutsPlaceTheLabelAroundTheControl)
{
    bound->SetText(L"Caption");
    bound->SetBoolean(1, true);
    bound->SetInteger(0, 4);  // Indent
    bound->SetInteger(2, 2);  // Offset
    const int S = GetSkinData(edit->SkinData.get())->Spacing;
    const int cl = edit->Left(), ct = edit->Top(), cw = edit->Width(), ch = edit->Height();
    const int d = edit->ClientHeight() != ch ? 1 : 0;
    struct Case {
        TsCaptionLayout layout;
        TAlignment alignment;
        // Expected place from the label's size (w, h).
        std::function<TPoint(int w, int h)> at;
    };
    const int off = 2, ind = 4;
    const Case cases[] = {
        {sclLeft, taRightJustify, [&](int w, int h) { return TPoint(cl - w - S - ind, ct + (ch - h) / 2 - d + off); }},
        {sclTopLeft, taLeftJustify, [&](int, int h) { return TPoint(cl + off, ct - h - ind); }},
        {sclTopCenter, taCenter, [&](int w, int h) { return TPoint(cl + (cw - w) / 2 + off, ct - h - ind); }},
        {sclTopRight, taRightJustify, [&](int w, int h) { return TPoint(cl + cw - w + off, ct - h - ind); }},
        {sclLeftTop, taLeftJustify, [&](int w, int) { return TPoint(cl - w - S - ind, ct + 3 + off); }},
        {sclBottomLeft, taLeftJustify, [&](int, int) { return TPoint(cl + off, ct + ch + ind); }},
        {sclBottomCenter, taCenter, [&](int w, int) { return TPoint(cl + (cw - w) / 2 + off, ct + ch + ind); }},
        {sclBottomRight, taRightJustify, [&](int w, int) { return TPoint(cl + cw - w + off, ct + ch + ind); }},
        {sclRight, taLeftJustify, [&](int, int h) { return TPoint(cl + cw + S + ind, ct + (ch - h) / 2 - 1 + off); }},
        {sclRightTop, taLeftJustify, [&](int, int) { return TPoint(cl + cw + S + ind, ct + 3 + off); }},
        {sclLeftLeft, taLeftJustify, [&](int w, int h) { return TPoint(cl - w - S + ind, ct + (ch - h) / 2 - 1 + off); }},
        {sclRightRight, taRightJustify,
         [&](int, int h) { return TPoint(cl + cw + S - ind, ct + (ch - h) / 2 - 1 + off); }},
    };
    for (const Case& c : cases) {
        bound->SetLayout(c.layout);
        TsEditLabel* label = Label();
        const TPoint expected = c.at(label->Width(), label->Height());
        EXPECT_EQ(label->Left(), expected.X) << static_cast<int>(c.layout);
        EXPECT_EQ(label->Top(), expected.Y) << static_cast<int>(c.layout);
        EXPECT_EQ(label->Alignment(), c.alignment) << static_cast<int>(c.layout);
        EXPECT_GT(label->Width(), 10) << static_cast<int>(c.layout);
    }
    // The side layouts take the height of the font or of the text.
    bound->SetLayout(sclLeftLeft);
    EXPECT_EQ(Label()->Height(), std::abs(Label()->Font()->Height()));
    EXPECT_EQ(Label()->Layout(), tlCenter);
    bound->SetLayout(sclRightRight);
    EXPECT_EQ(Label()->Height(), bound->GetTextRect().Height());
}

TEST_F(BoundLabelTest, RightToLeftControlMirrorsTheLayout)
{
    bound->SetText(L"Caption");
    bound->SetBoolean(1, true);
    bound->SetLayout(sclTopLeft);
    edit->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(Label()->Left(), edit->Left() + edit->Width() - Label()->Width()) << "at the top-right corner";
    EXPECT_EQ(Label()->Top(), edit->Top() - Label()->Height());
    EXPECT_EQ(Label()->BiDiMode(), bdRightToLeft);
    edit->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(Label()->Left(), edit->Left());
}

TEST_F(BoundLabelTest, LeftAlignedControlAlignsTheLabelLeft)
{
    bound->SetText(L"Caption");
    bound->SetBoolean(1, true);
    edit->SetAlign(alLeft);
    bound->SetLayout(sclLeft);
    EXPECT_EQ(Label()->Align(), alLeft);
    EXPECT_EQ(Label()->Layout(), tlCenter);
    bound->SetLayout(sclLeftLeft);
    EXPECT_EQ(Label()->Align(), alLeft);
    EXPECT_EQ(Label()->Alignment(), taLeftJustify);
    bound->SetLayout(sclTopLeft);
    EXPECT_EQ(Label()->Align(), alNone);
}

TEST_F(BoundLabelTest, MaxWidthLimitsTheMeasuredWidth)
{
    bound->SetText(L"A caption much longer than any limit the test sets");
    bound->SetBoolean(1, true);
    const int full = Label()->Width();
    EXPECT_EQ(Label()->Constraints()->MaxWidth(), 9999);
    EXPECT_GT(full, 200) << "measured against 9999";
    EXPECT_EQ(full, bound->GetTextRect().Width());
    bound->SetInteger(1, 60);
    EXPECT_EQ(Label()->Constraints()->MaxWidth(), 60);
    EXPECT_EQ(Label()->Width(), 60);
    bound->SetInteger(1, 0);
    EXPECT_EQ(Label()->Width(), full);
}

TEST_F(BoundLabelTest, LabelFollowsTheBoundControl)
{
    bound->SetText(L"Caption");
    bound->SetBoolean(1, true);
    bound->SetLayout(sclTopLeft);
    // Position and size.
    edit->SetBounds(150, 140, 100, 30);
    EXPECT_EQ(Label()->Left(), 150);
    EXPECT_EQ(Label()->Top(), 140 - Label()->Height());
    bound->SetLayout(sclTopRight);
    edit->SetWidth(130);
    EXPECT_EQ(Label()->Left(), 150 + 130 - Label()->Width());
    // Enabled.
    edit->SetEnabled(false);
    EXPECT_FALSE(Label()->Enabled());
    bound->SetBoolean(3, true);
    EXPECT_TRUE(Label()->Enabled()) << "EnabledAlways";
    edit->SetEnabled(true);
    // Visibility.
    edit->Hide();
    EXPECT_FALSE(Label()->Visible());
    edit->Show();
    EXPECT_TRUE(Label()->Visible());
    // The parent's font.
    parent->Font()->SetSize(14);
    EXPECT_EQ(bound->Font()->Size(), 14);
    // Command 68: a new PPI realigns once and is remembered.
    TMessage ppi{SM_ALPHACMD, MakeAlphaCmd(AC_SETPPI), 120, 0};
    bound->HandleOwnerMsg(ppi, edit);
    EXPECT_EQ(bound->CurrentPPI, 120);
}

TEST_F(BoundLabelTest, HideBoundLabelSwitchesItOff)
{
    bound->SetBoolean(1, true);
    edit->SkinData->CtrlSkinState |= ACS_FOCUSCACHE;
    HideBoundLabel(bound);
    EXPECT_FALSE(bound->Active());
    EXPECT_EQ(Label(), nullptr);
    EXPECT_FALSE(edit->SkinData->CtrlSkinState & ACS_FOCUSCACHE);
    HideBoundLabel(bound); // nothing shown: nothing to do
    HideBoundLabel(nullptr);
}

TEST_F(BoundLabelTest, FontIsStoredOnlyWhenItsOwnAndChanged)
{
    EXPECT_FALSE(bound->DoStoreFont()) << "the parent's font";
    bound->SetBoolean(1, true);
    bound->SetParentFont(false);
    EXPECT_FALSE(bound->DoStoreFont()) << "a default font";
    TFont big;
    big.SetSize(20);
    bound->SetFont(&big);
    EXPECT_TRUE(bound->DoStoreFont());
    EXPECT_EQ(Label()->Font()->Size(), 20);
    // A change of the stored font is the label's own font from then on.
    bound->SetParentFont(true);
    bound->Font()->SetColor(0x0000C0);
    EXPECT_FALSE(bound->ParentFont());
    EXPECT_EQ(Label()->Font()->Color(), static_cast<TColor>(0x0000C0));
}

TEST_F(BoundLabelTest, AFontSetThroughThePropertyIsStoredAndOutlivesTheParentsFont)
{
    bound->SetBoolean(1, true);
    ASSERT_TRUE(bound->ParentFont());
    TFont big;
    big.SetSize(20);
    bound->SetFont(&big);
    EXPECT_FALSE(bound->ParentFont());
    EXPECT_TRUE(bound->DoStoreFont());
    parent->Font()->SetSize(14);
    EXPECT_EQ(bound->Font()->Size(), 20);
    EXPECT_EQ(Label()->Font()->Size(), 20);
}

TEST_F(BoundLabelTest, ALabelFreedWithItsParentIsForgotten)
{
    // The label lives on the control's parent, which frees it before the control (and so the
    // bound label) when it goes.
    bound->SetBoolean(1, true);
    ASSERT_NE(Label(), nullptr);
    delete Label();
    EXPECT_EQ(Label(), nullptr);
    bound->SetText(L"Again");
    bound->SetBoolean(1, false);
    bound->SetBoolean(1, true);
    ASSERT_NE(Label(), nullptr);
    EXPECT_EQ(Label()->Caption(), L"Again");

    const int before = parent->ControlCount();
    auto* holder = Make<TRoutedPanel>(parent, L"PANEL", TRect(20, 150, 300, 240));
    auto* inner = Make<TRoutedEdit>(holder, L"EDIT", TRect(120, 20, 240, 44), 2);
    inner->BoundLabel = std::make_unique<TsBoundLabel>(inner, inner->SkinData.get());
    inner->BoundLabel->SetBoolean(1, true);
    ASSERT_EQ(holder->ControlCount(), 2);
    ASSERT_EQ(holder->Controls(1), inner->BoundLabel->TheLabel());
    delete holder; // frees the label first, then the edit with its bound label
    EXPECT_EQ(parent->ControlCount(), before);
}

TEST_F(BoundLabelTest, UpdateFontOnceScalesTheOwnFontAtTheSameDensity)
{
    bound->SetBoolean(1, true);
    bound->SetParentFont(false);
    Label()->Font()->SetHeight(-20);
    bound->Font()->SetHeight(-20);
    // With a scale mode of fixed density the skin data's PPI decides.
    manager->Options()->SetScaleMode(smCustomPPI);
    manager->Options()->SetPixelsPerInch(144);
    edit->SkinData->SkinIndex = -1; // not skinned: the manager's PPI
    bound->CurrentPPI = 96;
    bound->UpdateFontOnce(false);
    EXPECT_EQ(bound->CurrentPPI, 144) << "another density: remembered, not scaled";
    EXPECT_EQ(Label()->Font()->Height(), -20);
    bound->UpdateFontOnce(false);
    EXPECT_EQ(Label()->Font()->Height(), -30) << "the same density: scaled";
    // The framework's own scaling leaves the font alone.
    manager->Options()->SetScaleMode(smVCL);
    bound->UpdateFontOnce(false);
    EXPECT_EQ(Label()->Font()->Height(), -20);
}

TEST_F(BoundLabelTest, AllowedClickOnTheLabelClicksTheControl)
{
    int clicks = 0;
    edit->OnClick = [&](TObject*) { ++clicks; };
    bound->SetBoolean(1, true);
    Label()->Click();
    EXPECT_EQ(clicks, 0) << "clicks pass on only when allowed";
    bound->SetAllowClick(true);
    Label()->Click();
    EXPECT_EQ(clicks, 1);
}

} // namespace
