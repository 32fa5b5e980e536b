// The library's shared vocabulary: pixel records, cache records, constant tables, code sets and
// the small option classes with their change rules.
#include "acntTypes.h"
#include "acntUtils.h"
#include "sConst.h"
#include "sDefaults.h"
#include "sSkinProps.h"

#include "FormReader.h"
#include "TypInfo.h"

#include <gtest/gtest.h>

TEST(SkinVocabulary, PixelRecordsNameTheBytesOfColoursAndOfBitmapPixels)
{
    TsColor colour;
    colour.C = 0x00112233;
    EXPECT_EQ(colour.R, 0x33);
    EXPECT_EQ(colour.G, 0x22);
    EXPECT_EQ(colour.B, 0x11);
    EXPECT_EQ(colour.A, 0x00);

    TsColor_ pixel;
    pixel.I = 0x44112233;
    EXPECT_EQ(pixel.B, 0x33);
    EXPECT_EQ(pixel.G, 0x22);
    EXPECT_EQ(pixel.R, 0x11);
    EXPECT_EQ(pixel.A, 0x44);

    TsColor_RGB rgb;
    rgb.Col = 0x00112233;
    EXPECT_EQ(rgb.Red, 0x33);
    EXPECT_EQ(rgb.Blue, 0x11);
    TsColor_RGB_ rgb_;
    rgb_.Intg = 0x00112233;
    EXPECT_EQ(rgb_.Blue, 0x33);
    EXPECT_EQ(rgb_.Red, 0x11);

    TsColor_D d;
    d.DI = 0x44112233;
    TsColor_S s;
    s.SI = 0x44112233;
    TsColor_M m;
    m.MI = 0x44112233;
    EXPECT_EQ((std::array<int, 4>{d.DB, d.DG, d.DR, d.DA}), (std::array<int, 4>{0x33, 0x22, 0x11, 0x44}));
    EXPECT_EQ((std::array<int, 4>{s.SB, s.SG, s.SR, s.SA}), (std::array<int, 4>{0x33, 0x22, 0x11, 0x44}));
    EXPECT_EQ((std::array<int, 4>{m.MB, m.MG, m.MR, m.MA}), (std::array<int, 4>{0x33, 0x22, 0x11, 0x44}));
}

TEST(SkinVocabulary, EmptyCacheInfoDiffersFromACacheOfNothing)
{
    const TCacheInfo made = MakeCacheInfo(nullptr, 0, 0);
    EXPECT_FALSE(EmptyCI.Ready);
    EXPECT_EQ(EmptyCI.X, -99);
    EXPECT_EQ(EmptyCI.Y, -99);
    EXPECT_EQ(EmptyCI.FillColor, 0x00FF00FF);
    EXPECT_TRUE(made.Ready);
    EXPECT_EQ(made.X, 0);
    EXPECT_EQ(made.Y, 0);
    EXPECT_EQ(made.Bmp, nullptr);
    EXPECT_EQ(made.FillColor, 0x00FF00FF);
    EXPECT_EQ(made.FillRect, TRect());
}

TEST(SkinVocabulary, ControlClassCodeSetsHoldTheirRanges)
{
    struct Case {
        const TacCtrlCodeSet* set;
        int code;
        bool in;
    };
    const Case cases[] = {
        {&sForbidMouse, 19, true},    {&sForbidMouse, 20, false},   {&sForbidMouse, 51, true},
        {&sForbidMouse, 74, true},    {&sForbidMouse, 75, false},   {&sForbidMouse, 110, true},
        {&sForbidMouse, 161, true},   {&sForbidMouse, 162, false},  {&sNoHotEdits, 85, true},
        {&sEditCtrls, 85, false},     {&sEditCtrls, 231, true},     {&sEditCtrls, 1, false},
        {&ssCanNotBeHot, 55, false},  {&ssCanNotBeHot, 57, true},   {&ssCanNotBeHot, 226, true},
        {&ssScrolledEdits, 9, false}, {&ssScrolledEdits, 10, true}, {&ssButtons, 92, true},
        {&ssButtons, 95, false},      {&ssLightCtrls, 34, true},    {&ssLightCtrls, 255, false},
        {&ssLightCtrls, -1, false},   {&ssLightCtrls, 256, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.set->Contains(c.code), c.in) << c.code;
}

TEST(SkinVocabulary, ConstantTablesKeepTheirOrder)
{
    ASSERT_EQ(acSkinColorNames.size(), 22u);
    EXPECT_EQ(acSkinColorNames[0].Value, TColorOf(0xFF9E9EFF));
    EXPECT_EQ(acSkinColorNames[0].Name, "slBtnRed");
    EXPECT_EQ(acSkinColorNames[15].Name, "slBtnOrangeTextActive");
    EXPECT_EQ(acSkinColorNames[21].Value, TColorOf(0xFF00006C));
    EXPECT_EQ(acSkinColorNames[21].Name, "slEditRedText");

    ASSERT_EQ(acThirdNames.size(), 23u);
    EXPECT_EQ(acThirdNames[1], L"TButton");
    EXPECT_EQ(acThirdNames[0], L" ");
    EXPECT_EQ(acThirdNames[22], L" ");

    EXPECT_EQ(acTabSections[tlLast * 4 + asTop], L"TABTOPLAST");
    EXPECT_EQ(acTabSections[tlSingle * 4 + asBottom], L"TABBOTTOM");
    EXPECT_EQ(acUpDownBtns[asRight], L"UPDOWNBTNRIGHT");
    EXPECT_EQ(acScrollBtns[asBottom], L"SCROLLBTNBOTTOM");
    EXPECT_EQ(acSmallChecks[cbGrayed], L"SMALLGRAYED");

    EXPECT_EQ(acBtnEvents[aeGlobalDef], beMouseUp);
    EXPECT_EQ(acBtnEvents[aeLighting], beLighting);
    EXPECT_EQ(aSfxs[PPIToIndex(192)], L"*200");
    EXPECT_EQ(aPPIArray[PPIToIndex(144)], 144);
    EXPECT_EQ(acFillModes[14], fmReserved1);
    EXPECT_EQ(static_cast<int>(soDefault), SW_SHOWDEFAULT);
    EXPECT_EQ(DefDisabledSaturation, -90);
    EXPECT_EQ(acCurrentScaleMode, smVCL);
}

TEST(SkinVocabulary, PaintButtonOptionsGiveTheColourSetOfAState)
{
    TacPaintButtonOptions options;
    EXPECT_EQ(options.GetData(0), options.DataNormal());
    EXPECT_EQ(options.GetData(5), options.DataNormal());
    EXPECT_EQ(options.GetData(-1), options.DataNormal());
    EXPECT_EQ(options.GetData(1), options.DataActive());
    EXPECT_EQ(options.GetData(2), options.DataPressed());
    EXPECT_EQ(options.BevelWidth(), 2);
    EXPECT_EQ(options.BorderWidth(), 1);
    EXPECT_EQ(options.DataNormal()->Color1(), clBtnFace);
    EXPECT_EQ(options.DataActive()->Color1(), clGradientActiveCaption);
    EXPECT_EQ(options.DataActive()->Color2(), clBtnFace);
    EXPECT_EQ(options.DataPressed()->Color2(), clBtnHighlight);
}

TEST(SkinVocabulary, OptionSettersReportOnlyChangedValues)
{
    TacPaintButtonOptions options;
    int invalidations = 0;
    options.FOnInvalidate = [&](TObject*) { ++invalidations; };
    options.SetBevelWidth(2);
    options.DataNormal()->SetColor1(clBtnFace);
    EXPECT_EQ(invalidations, 0) << "equal values change nothing";
    options.SetBevelWidth(3);
    options.DataPressed()->SetBorderColor(clRed);
    EXPECT_EQ(invalidations, 2);
    EXPECT_EQ(options.BevelWidth(), 3);
    EXPECT_EQ(options.DataPressed()->BorderColor(), clRed);
}

namespace {

class TPaddedControl : public TGraphicControl {
public:
    explicit TPaddedControl(TComponent* owner) : TGraphicControl(owner) {}
    UnicodeString ClassName() const override { return L"TPaddedControl"; }
    TacPadding* Padding() const { return padding_.get(); }
    int changes = 0;

private:
    std::unique_ptr<TacPadding> padding_ = std::make_unique<TacPadding>(this, [this](TObject*) { ++changes; });
};

} // namespace

TEST(SkinVocabulary, PaddingReportsChangesExceptWhileItsControlLoads)
{
    RegisterControlsClasses();
    RegisterAcntTypesClasses();
    RegisterPublishedClass(L"TPaddedControl", L"TGraphicControl");
    RegisterPublishedProperty(L"TPaddedControl", ObjProp(L"Padding", &TPaddedControl::Padding));

    TPaddedControl control(nullptr);
    control.Padding()->SetLeft(0);
    EXPECT_EQ(control.changes, 0) << "same value";
    control.Padding()->SetLeft(4);
    EXPECT_EQ(control.changes, 1);

    ReadComponentFromText(&control, L"object P: TPaddedControl\n  Padding.Top = 7\n  Padding.Right = 2\nend");
    EXPECT_EQ(control.changes, 1) << "values read with the control are stored silently";
    EXPECT_EQ(control.Padding()->Top(), 7);
    EXPECT_EQ(control.Padding()->Right(), 2);
    EXPECT_EQ(PaddingToRect(control.Padding(), 144), TRect(6, 10, 3, 0));
}
