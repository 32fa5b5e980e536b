// The label with a rotated text and a soft shadow, on a shown form under Xvfb.
#include "skin_controls_test_label.h"

#include "sCommonData.h"
#include "sLabelFX.h"
#include "sMaskData.h"
#include "sMessages.h"
#include "sSkinManager.h"

namespace {

class LabelFXTest : public LabelTest {
protected:
    TsLabelFX* MakeFX(TsShadowMode mode, int left = 40, int top = 40)
    {
        auto* l = Make<TsLabelFX>(L"Shade", left, top);
        l->Font()->SetHeight(-24);
        l->Font()->SetStyle(TFontStyles{fsBold});
        l->Kind()->SetKindType(ktCustom);
        l->Kind()->SetColor(clRed);
        l->Shadow()->SetMode(mode);
        return l;
    }
    // Grey pixels clearly darker than the form: only a shadow makes them.
    int ShadowPixels(TBitmap& bmp)
    {
        const int back = GetRValue(ColorToRGB(form->Color()));
        int n = 0;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x) {
                const COLORREF c = GetPixel(bmp.Canvas()->Handle(), x, y);
                if (GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) && GetRValue(c) < back - 16) ++n;
            }
        return n;
    }
    // First column holding a pure red pixel (the text), -1 for none.
    static int FirstRed(TBitmap& bmp)
    {
        for (int x = 0; x < bmp.Width(); ++x)
            for (int y = 0; y < bmp.Height(); ++y)
                if ((GetPixel(bmp.Canvas()->Handle(), x, y) & 0xFFFFFF) == 0x0000FF) return x;
        return -1;
    }
};

TEST_F(LabelFXTest, ShadowMarginsSizeThePlaceOfTheText)
{
    // Both labels start at the same place; the shadow grows the label around its text.
    TsLabelFX* plain = MakeFX(smNone);
    TsLabelFX* shaded = MakeFX(smCustom);
    shaded->Shadow()->SetBlurCount(4);
    shaded->Shadow()->SetDistance(1);
    EXPECT_EQ(plain->Shadow()->OffsetKeeper()->LeftTop, 0);
    EXPECT_EQ(plain->Shadow()->OffsetKeeper()->RightBottom, 0);
    EXPECT_EQ(shaded->Shadow()->OffsetKeeper()->LeftTop, -3);
    EXPECT_EQ(shaded->Shadow()->OffsetKeeper()->RightBottom, 5);
    EXPECT_EQ(shaded->Width(), plain->Width() + 8);
    EXPECT_EQ(shaded->Height(), plain->Height() + 8);
    EXPECT_EQ(shaded->Left(), plain->Left() - 3);
    EXPECT_EQ(shaded->Top(), plain->Top() - 3);

    shaded->SetTop(100);
    auto a = ShownLabel(plain);
    auto b = ShownLabel(shaded);
    SavePng(*b, L"label_fx_shadow.png");
    ASSERT_GE(FirstRed(*a), 0);
    EXPECT_EQ(FirstRed(*b), FirstRed(*a) + 3) << "the text starts 3 pixels in";
    EXPECT_EQ(ShadowPixels(*a), 0) << "no shadow without a mode";
    EXPECT_GT(ShadowPixels(*b), 20) << "the shadow darkens pixels beside the text";

    // Disabled: embossed in the button colours, no shadow.
    shaded->SetEnabled(false);
    auto d = ShownLabel(shaded);
    SavePng(*d, L"label_fx_disabled.png");
    EXPECT_GT(Count(*d, clBtnHighlight), 0);
    EXPECT_GT(Count(*d, clBtnShadow), 0);
    EXPECT_EQ(FirstRed(*d), -1);
    int darker = 0;
    const int shadowGrey = GetRValue(ColorToRGB(clBtnShadow));
    for (int y = 0; y < d->Height(); ++y)
        for (int x = 0; x < d->Width(); ++x) {
            const COLORREF c = GetPixel(d->Canvas()->Handle(), x, y);
            if (GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) && GetRValue(c) < shadowGrey - 16) ++darker;
        }
    EXPECT_EQ(darker, 0);
}

TEST_F(LabelFXTest, AngleTurnsTheBoxAndExcludesWordWrap)
{
    TsLabelFX* l = MakeFX(smNone);
    const int w = l->Width(), h = l->Height();
    l->SetAngle(90);
    EXPECT_EQ(l->Width(), h);
    EXPECT_EQ(l->Height(), w);
    auto turned = ShownLabel(l);
    SavePng(*turned, L"label_fx_90.png");
    EXPECT_GE(FirstRed(*turned), 0);

    l->SetAngle(0);
    l->SetWordWrap(true);
    l->SetAngle(30);
    EXPECT_FALSE(l->WordWrap()) << "an angle switches word wrap off";
    l->SetWordWrap(true);
    EXPECT_EQ(l->Angle(), 0) << "word wrap drops the angle at the next invalidation";
}

TEST_F(LabelFXTest, PositionWaitsWhileTheManagerScales)
{
    Load();
    ASSERT_NE(DefaultManager, nullptr);
    TsLabelFX* l = MakeFX(smCustom);
    for (TacManagerStateValue state : {msScaleChanging, msAnimScaling, msFormScaling}) {
        DefaultManager->ManagerState.Include(state);
        l->Shadow()->SetBlurCount(l->Shadow()->BlurCount() + 2);
        EXPECT_NE(l->Shadow()->OffsetKeeper()->RightBottom, l->Shadow()->Distance() + l->Shadow()->BlurCount()) << state;
        DefaultManager->ManagerState.Exclude(state);
        l->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_SETNEWSKIN, 0), 0);
        EXPECT_EQ(l->Shadow()->OffsetKeeper()->RightBottom, l->Shadow()->Distance() + l->Shadow()->BlurCount()) << state;
    }
}

TEST_F(LabelFXTest, KindsChooseTheTextColour)
{
    Load();
    form->Font()->SetColor(static_cast<TColor>(0x305070));
    TsLabelFX* l = MakeFX(smNone);
    l->SetParentFont(false);
    l->Font()->SetColor(static_cast<TColor>(0x00A000));
    l->Kind()->SetColor(static_cast<TColor>(0xA00000));
    const TacSkinData* data = manager->CommonSkinData(96);
    const int global = manager->SkinCommonInfo.IndexGlobalInfo;
    ASSERT_GE(global, 0);
    const TColor outline = data->gd[static_cast<size_t>(global)].Props[0].FontColor.Left;
    struct Case {
        TsKindType kind;
        TsShadowMode shadow;
        const wchar_t* section;
        TColor expected;
    } cases[] = {
        {ktStandard, smNone, L"", 0x00A000},
        {ktCustom, smNone, L"", 0xA00000},
        {ktSkin, smNone, L"", 0x305070}, // no section: the parent's font colour
        {ktSkin, smCustom, L"PANEL", static_cast<TColor>(house_skin::kLabelText)},
        {ktSkin, smCustom, L"", outline != -1 ? outline : 0xA00000},
    };
    for (const Case& c : cases) {
        l->Kind()->SetKindType(c.kind);
        l->Shadow()->SetMode(c.shadow);
        l->SetSkinSection(c.section);
        EXPECT_EQ(ColorToRGB(l->CurrentFontColor()), ColorToRGB(c.expected)) << c.kind << " " << c.shadow;
    }
    manager->SetActive(false);
    l->Kind()->SetKindType(ktSkin);
    EXPECT_EQ(ColorToRGB(l->CurrentFontColor()), 0xA00000) << "no active skin: the kind's colour";
}

} // namespace
