// Reading a skin text into a skin data: sections with their inheritance and state looks, images
// at the best density variant, the window metrics and outer effects of GLOBALINFO, and a list of
// common sections read without a skin file.
#include "skin_core_test_skinread.h"

#include "../framework/graphics_jpeg.h"
#include "Exceptions.h"
#include "acntUtils.h"

using namespace house_skin;

namespace {

const std::vector<std::wstring> HouseSections = {
    L"GLOBALINFO", L"BUTTON",  L"SPEEDBUTTON", L"EDIT",     L"PANEL",   L"PANEL_LOW",     L"GROUPBOX",
    L"FORMTITLE",  L"HINT",    L"SELECTION",   L"MENUITEM", L"CHECKBOX", L"TRACKBAR",     L"COMBOBOX",
    L"COMBOBTN",   L"TABTOP",  L"SCROLLSLIDERH", L"SELFREF", L"LOOPA",   L"LOOPB"};

// The image of a mask is registered in the skin data's image list under the name.
bool RegisteredAs(const TacSkinData& data, const TsMaskData& mask, const UnicodeString& name)
{
    for (const TacBmpData& e : data.BmpArray)
        if (e.Bmp.get() == mask.Bmp) return e.FileName == name;
    return false;
}

} // namespace

TEST_F(SkinReadTest, SectionsFollowTheFileThenTheAuxiliaryOnes)
{
    SetHouse();
    auto data = Load(96);
    std::vector<std::wstring> names;
    for (const TsGeneralData& g : data->gd) names.push_back(g.ClassName);
    std::vector<std::wstring> expected = HouseSections;
    for (const wchar_t* aux : {L"TRANSPARENT", L"MAINCOLOR", L"DIALOGTITLE", L"MENUBTN", L"TB_TAB", L"COLHEADER",
                               L"COLHEADERA", L"COLHEADERL", L"COLHEADERR", L"UPDOWNBTN"})
        expected.push_back(aux);
    EXPECT_EQ(names, expected);

    const TsGeneralData& transparent = Gd(*data, L"TRANSPARENT");
    EXPECT_EQ(transparent.States, 1);
    EXPECT_EQ(transparent.Props[2].Transparency, 100);
    EXPECT_EQ(Gd(*data, L"MAINCOLOR").Props[0].Color, static_cast<TColor>(kMainColor));
    EXPECT_EQ(Gd(*data, L"MAINCOLOR").Props[0].FontColor.Color, manager->Palette[pcLabelText]);
    EXPECT_EQ(manager->Palette[pcMainColor], static_cast<TColor>(kMainColor)) << "read with the masks";
    EXPECT_EQ(data->TabsCovering, 2);
}

TEST_F(SkinReadTest, ValuesAreInheritedAlongTheParentChainUntilItEndsOrLoops)
{
    SetHouse();
    auto data = Load(96);
    const TsGeneralData& button = Gd(*data, L"BUTTON");
    const TsGeneralData& speed = Gd(*data, L"SPEEDBUTTON");
    EXPECT_EQ(speed.ParentClass, L"BUTTON");
    EXPECT_EQ(speed.States, 3);
    EXPECT_TRUE(speed.UseState2);
    EXPECT_EQ(speed.GlowCount, 1);
    EXPECT_EQ(speed.OuterMode, 4);
    EXPECT_EQ(speed.OuterColorL, 0x40D0FF);
    EXPECT_EQ(speed.OuterOpacity, 160);
    for (size_t s = 0; s < 3; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(button.Props[s].Color, static_cast<TColor>(kButtonColor[s]));
        EXPECT_EQ(button.Props[s].FontColor.Color, static_cast<TColor>(kButtonText[s]));
        EXPECT_EQ(button.Props[s].LightColor, static_cast<TColor>(kButtonLight[s]));
        EXPECT_EQ(button.Props[s].GradientPercent, 100);
        EXPECT_EQ(button.Props[s].GradientArray.size(), 2u) << "form B text parsed";
        EXPECT_EQ(speed.Props[s].Color, static_cast<TColor>(s == 1 ? kSpeedButtonHot : kButtonColor[s]));
        EXPECT_EQ(speed.Props[s].LightColor, button.Props[s].LightColor);
        EXPECT_EQ(speed.Props[s].GradientArray.size(), 2u);
    }
    EXPECT_EQ(button.Props[1].GlowColor, 0x40D0FF);
    EXPECT_EQ(button.Props[1].GlowSize, 4);

    const TsGeneralData& self = Gd(*data, L"SELFREF");
    EXPECT_EQ(self.Props[0].Color, 0x102030);
    EXPECT_EQ(self.Props[0].FontColor.Color, 0) << "the default; the chain ends at itself";
    EXPECT_EQ(self.States, 3);
    const TsGeneralData& a = Gd(*data, L"LOOPA");
    const TsGeneralData& b = Gd(*data, L"LOOPB");
    EXPECT_EQ(a.Props[0].Color, 0x203040);
    EXPECT_EQ(a.Props[0].FontColor.Color, 0x304050) << "from LOOPB";
    EXPECT_EQ(b.Props[0].Color, 0x203040) << "from LOOPA";
    EXPECT_EQ(b.Props[0].Transparency, 0) << "absent in the whole loop";

    // One state: states 1 and 2 are state 0; GRADIENTDATA form A parsed, none without a text.
    const TsGeneralData& panel = Gd(*data, L"PANEL");
    EXPECT_EQ(panel.States, 1);
    for (size_t s = 1; s < 3; ++s) {
        EXPECT_EQ(panel.Props[s].Color, panel.Props[0].Color);
        EXPECT_EQ(panel.Props[s].ImagePercent, 40);
        EXPECT_EQ(panel.Props[s].GradientArray.size(), panel.Props[0].GradientArray.size());
    }
    EXPECT_FALSE(panel.Props[0].GradientArray.empty());
    EXPECT_TRUE(Gd(*data, L"MENUITEM").Props[0].GradientArray.empty());
    // Two states without USESTATE2: state 2 is state 1.
    const TsGeneralData& selection = Gd(*data, L"SELECTION");
    EXPECT_EQ(selection.Props[2].Color, static_cast<TColor>(kSelectionFocusedBG));
    EXPECT_EQ(selection.Props[0].FontColor.Left, -1);
}

TEST_F(SkinReadTest, ReadingModesClampsAndScaledSectionValues)
{
    // P's values reach C through PARENTCLASS; C's own negative values stay.
    SetText("[GLOBALINFO]\n"
            "EXBORDER=" + Fixed({0, 48, 80, 88}, 8, 2, 0, 0, 0) + "\n"
            "[P]\nGLOW=300\nGLOWMARGIN=3\nOUTBLUR=50\nOUTRADIUS=99\nTCLEFT=-5\nOUTOFFSL=-3\nOUTOFFST=4\nSTATES=700\n"
            "GIVEOWNFONT=TRUE\nSHIFTCLICK=yes\nRESERVEDBOOLEAN=1\nOUTERMODE=0\n"
            "[C]\nPARENTCLASS=P\nTCTOP=-7\nOUTOFFSR=400\nHOTCOLOR=$00112233\n"
            "[N]\nOUTERMODE=0\n");
    struct Case {
        int ppi;
        int glowMargin, blur, radius, offsT, offsB;
    };
    for (const Case& c : {Case{96, 3, 30, 60, 4, 4}, Case{120, 3, 37, 75, 5, 5}, Case{144, 4, 45, 90, 6, 6},
                          Case{192, 6, 60, 120, 8, 8}}) {
        SCOPED_TRACE(c.ppi);
        auto data = Load(c.ppi);
        const TsGeneralData& child = Gd(*data, L"C");
        EXPECT_EQ(child.GlowCount, 255) << "inherited, then clamped";
        EXPECT_EQ(child.States, 255);
        EXPECT_EQ(child.GlowMargin, c.glowMargin) << "times the first mask's density / 96";
        EXPECT_EQ(child.OuterBlur, c.blur);
        EXPECT_EQ(child.OuterRadius, c.radius);
        EXPECT_EQ(child.Props[0].FontColor.Left, -1) << "colour mode: an inherited negative gives the default";
        EXPECT_EQ(child.Props[0].FontColor.Top, -7) << "the section's own value as it is";
        EXPECT_EQ(child.OuterOffset.Left, manager->ScaleInt(-3, data->ScaleValue)) << "integer mode keeps it";
        EXPECT_EQ(child.OuterOffset.Top, c.offsT);
        EXPECT_EQ(child.OuterOffset.Right, manager->ScaleInt(255, data->ScaleValue));
        EXPECT_EQ(child.OuterOffset.Bottom, c.offsB);
        EXPECT_EQ(child.Props[1].Color, 0x112233);
        EXPECT_TRUE(child.GiveOwnFont);
        EXPECT_FALSE(child.ShiftOnClick) << "only TRUE and 1";
        EXPECT_TRUE(child.ReservedBoolean);
        EXPECT_EQ(child.BorderWidth, 1);
        EXPECT_EQ(child.ImgTL, -1);
        const TsGeneralData& n = Gd(*data, L"N");
        EXPECT_EQ(n.OuterOpacity, 200);
        EXPECT_EQ(n.OuterOffset, TRect(manager->ScaleInt(2, data->ScaleValue), manager->ScaleInt(2, data->ScaleValue),
                                       manager->ScaleInt(2, data->ScaleValue), c.offsB));
    }
    SetText("[N]\nGLOWMARGIN=3\n");
    EXPECT_EQ(Gd(*Load(144), L"N").GlowMargin, 3) << "no mask, no scaling";
}

TEST_F(SkinReadTest, EveryNotationLoadsAnImageAtTheBestVariant)
{
    // MASTERBITMAP names a BMP file of the folder: an image entry were it not the manager's.
    house_skin::Options options;
    options.masterBmp = true;
    SetHouse(options);
    struct Case {
        int ppi;
        int editSource;   // DivPPI of EDIT's border: "*150" unless the plain key suits better
        int editWidth;    // its bitmap's width: an image file without a rectangle keeps its size
    };
    for (const Case& c : {Case{96, 96, 40}, Case{120, 144, 60}, Case{144, 144, 60}, Case{192, 144, 60}}) {
        SCOPED_TRACE(c.ppi);
        auto data = Load(c.ppi);
        for (const wchar_t* key : {L"EXBORDER", L"BICONCLOSE", L"BICONCLOSEGLOW0", L"BOXUNCHECKED", L"BOXCHECKED",
                                   L"PATTERN", L"HOTPATTERN"})
            EXPECT_GE(Mask(*data, L"GLOBALINFO", key), 0) << std::wstring(key);
        EXPECT_LT(Mask(*data, L"GLOBALINFO", L"MASTERBITMAP"), 0) << "the manager's master image";
        EXPECT_LT(Mask(*data, L"GLOBALINFO", L"BOXUNCHECKED*150"), 0) << "variants are no keys of their own";
        const int edit = Mask(*data, L"EDIT", L"BORDERSMASK");
        ASSERT_GE(edit, 0);
        const TsMaskData& e = data->ma[static_cast<size_t>(edit)];
        EXPECT_EQ(e.DivPPI, c.editSource);
        ASSERT_NE(e.Bmp, nullptr);
        EXPECT_EQ(e.Bmp->Width(), c.editWidth);
        EXPECT_EQ(e.Cfg & 1, 1u) << "alpha-0 corners with DrawMode 0x10";
        const TsMaskData& button = data->ma[static_cast<size_t>(Mask(*data, L"BUTTON", L"BORDERSMASK"))];
        EXPECT_EQ(button.Cfg & 1, 1u) << "key corners";
        EXPECT_EQ(button.ImgType, itisaBorder);
        EXPECT_EQ(data->ma[static_cast<size_t>(Mask(*data, L"GLOBALINFO", L"PATTERN"))].ImgType, itisaTexture);
        EXPECT_EQ(data->ma[static_cast<size_t>(Mask(*data, L"BUTTON", L"GLOW0"))].ImgType, itisaGlow);
        EXPECT_EQ(data->ma[static_cast<size_t>(Mask(*data, L"BUTTON", L"GLOW0"))].SkinIndex, 1);
    }
}

TEST_F(SkinReadTest, ImageEntriesVariantsAndMissingImages)
{
    const std::vector<std::uint8_t> jpeg = JpegBytes(*BlockPicture(1, {clLime}));
    ASSERT_FALSE(jpeg.empty()) << "GDI+ wrote no JPEG";
    dir.Write(L"HouseSkin\\photo.jpg", jpeg);
    const std::string tile = Fixed({72, 0, 88, 16}, 4, 1, 0, 0, 0);
    SetText("[A]\nBORDERSMASK=" + Fixed({0, 0, 72, 48}, 6, 3, 1, 0, 0) + "\n"
            "TILEBORDER=" + tile + "\n"
            "ONLY150*150=" + tile + "\n"
            "PLAIN=Master.bmp\nBARE=Master.png\nJPEG=photo.jpg\nGONE=gone.jpg\nNOFILE=!Missing.png 2 0 4\n"
            "TEXT=hello\nEMPTY=\nMASTERBITMAP=Master.bmp\n");
    auto data = Load(144);
    EXPECT_GE(Mask(*data, L"A", L"BORDERSMASK"), 0);
    const int tileBorder = Mask(*data, L"A", L"TILEBORDER");
    ASSERT_GE(tileBorder, 0);
    EXPECT_EQ(data->ma[static_cast<size_t>(tileBorder)].Cfg & 1, 0u) << "no transparent corner";
    EXPECT_LT(Mask(*data, L"A", L"ONLY150"), 0) << "a variant without its plain key";
    EXPECT_GE(Mask(*data, L"A", L"PLAIN"), 0) << "a name with .BMP";
    EXPECT_LT(Mask(*data, L"A", L"BARE"), 0) << "a bare PNG name is no image";
    const int photo = Mask(*data, L"A", L"JPEG");
    EXPECT_GE(photo, 0) << "a name with .JPG";
    if (photo >= 0 && data->ma[static_cast<size_t>(photo)].Bmp) {
        TBitmap& photoBmp = *data->ma[static_cast<size_t>(photo)].Bmp;
        EXPECT_EQ(photoBmp.Width(), 16);
        EXPECT_TRUE(NearColour(static_cast<TColor>(PixelAt(photoBmp, 8, 8) & 0xFFFFFF), clLime));
    }
    EXPECT_LT(Mask(*data, L"A", L"GONE"), 0) << "an image whose file is missing is removed";
    EXPECT_GE(Mask(*data, L"A", L"MASTERBITMAP"), 0) << "skipped in GLOBALINFO only";
    EXPECT_LT(Mask(*data, L"A", L"NOFILE"), 0);
    EXPECT_LT(Mask(*data, L"A", L"TEXT"), 0);
    for (const TsMaskData& m : data->ma) EXPECT_NE(m.PropertyName, L"NOFILE");

    // The best variant: a 192-PPI skin data upscales "*150" when "*200" is absent.
    SetText("[B]\nBORDERSMASK=" + Fixed({0, 0, 72, 48}, 6, 3, 1, 0, 0) + "\nBORDERSMASK*150=" +
            Fixed({0, 0, 72, 48}, 9, 3, 1, 0, 0) + "\n");
    for (int ppi : {96, 120, 144, 192}) {
        auto d = Load(ppi);
        const TsMaskData& m = d->ma[static_cast<size_t>(Mask(*d, L"B", L"BORDERSMASK"))];
        SCOPED_TRACE(ppi);
        EXPECT_EQ(m.DivPPI, ppi == 96 ? 96 : 144);
        EXPECT_EQ(m.Bmp == nullptr, ppi == 96 || ppi == 144) << "in the master bitmap at its own density";
        if (ppi == 192) {
            EXPECT_EQ(m.Bmp->Width(), 96);
        }
    }

    house_skin::Options broken;
    broken.malformedDigitField = true;
    SetHouse(broken);
    TacSkinData data2(manager.get(), 96);
    EXPECT_THROW(data2.LoadAllMasks(), EConvertError);
    SetText("[S]\nSHORT=&0001\n");
    TacSkinData data3(manager.get(), 96);
    EXPECT_THROW(data3.LoadAllMasks(), EConvertError) << "a value that ends before its fields";
}

TEST_F(SkinReadTest, WindowMetricsPerDensity)
{
    SetHouse();
    struct Case {
        int ppi;
        int border, title, maxHeight, comboMargin;
    };
    for (const Case& c : {Case{96, 4, 26, 22, 1}, Case{120, 5, 33, 28, 1}, Case{144, 6, 39, 33, 2},
                          Case{192, 8, 52, 44, 2}}) {
        SCOPED_TRACE(c.ppi);
        auto data = Load(c.ppi);
        EXPECT_EQ(data->ExBorderWidth, c.border) << "measured against EXBORDER, drawn at 96";
        EXPECT_EQ(data->ExContentOffs, c.border);
        EXPECT_EQ(data->ExTitleHeight, c.title);
        EXPECT_EQ(data->ExMaxHeight, c.maxHeight);
        EXPECT_EQ(data->ComboBoxMargin, c.comboMargin);
        EXPECT_EQ(data->SliderMargin, 2);
        EXPECT_EQ(data->BISpacing, 2) << "no variant: the plain value";
        EXPECT_EQ(data->WndShadowSize, 10);
        EXPECT_EQ(data->WndShadowRadius, 17);
        EXPECT_EQ(data->Shadow1Blur, -1);
        EXPECT_EQ(static_cast<std::uint32_t>(data->WndShadowColorA), 0x99000000u);
        EXPECT_EQ(data->GlowMargins[1], 2);
        EXPECT_EQ(data->TitleGlows[1].size(), 1u);
    }
    SetText("[GLOBALINFO]\nTITLEHEIGHT=0\nBORDERWIDTH=0\nBICONCLOSEGLOW=100000\n");
    for (int level = 0; level < 4; ++level) {
        auto data = Load(aPPIArray[static_cast<size_t>(level)]);
        EXPECT_EQ(data->ExTitleHeight, ScaleInteger(30, level));
        EXPECT_EQ(data->ExMaxHeight, data->ExTitleHeight);
        EXPECT_EQ(data->ExBorderWidth, 1);
        EXPECT_EQ(data->TitleGlows[1].size(), 255u) << "a skin cannot ask for more glows";
    }
}

TEST_F(SkinReadTest, ScaledIntegerBranches)
{
    SetText("[GLOBALINFO]\nA=10\nA*150=20\nB=8\n");
    struct Case {
        int ppi;
        const wchar_t* name;
        bool fromMask;
        int maskDivPPI; // 0: no mask
        int expected;
    };
    for (const Case& c : {Case{96, L"A", false, 0, 10}, Case{144, L"A", false, 0, 20}, Case{120, L"A", false, 0, 10},
                          Case{144, L"B", false, 0, 8}, Case{144, L"B", true, 0, 12}, Case{144, L"C", true, 0, 8},
                          Case{96, L"C", true, 0, 5}, Case{192, L"A", true, 144, 27}, Case{144, L"A", true, 96, 15},
                          Case{144, L"C", true, 144, 8}}) {
        TacSkinData data(manager.get(), c.ppi);
        int mask = -1;
        if (c.maskDivPPI) {
            data.ma.emplace_back().DivPPI = c.maskDivPPI;
            mask = 0;
        }
        EXPECT_EQ(data.ScaledInteger(c.name, 5, c.fromMask, mask), c.expected)
            << c.ppi << " " << std::wstring(c.name) << " " << c.fromMask << " " << c.maskDivPPI;
    }
    manager->Options()->SetScaleMode(smCustomPPI);
    manager->Options()->SetPixelsPerInch(72);
    TacSkinData custom(manager.get(), 96);
    EXPECT_EQ(custom.ScaledInteger(L"A", 5, false, -1), 8) << "below 96 PPI the value follows the custom PPI";
    manager->Options()->SetPixelsPerInch(120);
    EXPECT_EQ(custom.ScaledInteger(L"A", 5, false, -1), 10);
}

TEST_F(SkinReadTest, WindowOuterEffects)
{
    SetHouse();
    for (int ppi : {96, 144}) {
        SCOPED_TRACE(ppi);
        auto data = Load(ppi);
        const int level = data->ScaleValue;
        ASSERT_EQ(data->oe.size(), 2u);
        const TacOutEffData& light = data->oe[0];
        EXPECT_EQ(light.Source, 0);
        EXPECT_EQ(light.Mask, -1);
        EXPECT_EQ(light.ColorL, 0xFFFFFF);
        EXPECT_EQ(light.ColorT, 0);
        EXPECT_EQ(light.Opacity, 200);
        EXPECT_EQ(light.OffsetB, ScaleInteger(4, level));
        EXPECT_EQ(light.WidthL, -1);
        const TacOutEffData& shadow = data->oe[1];
        EXPECT_EQ(shadow.Source, 2);
        EXPECT_EQ(shadow.Opacity, 80);
        EXPECT_EQ(shadow.ColorT, 0xFF00FF);
        EXPECT_EQ(shadow.OffsetB, ScaleInteger(5, level));
        EXPECT_EQ(shadow.Radius, ScaleInteger(9, level));
        ASSERT_GE(shadow.Mask, 0);
        const TsMaskData& m = data->ma[static_cast<size_t>(shadow.Mask)];
        EXPECT_EQ(m.ClassName, L"GLOBALINFO");
        ASSERT_NE(m.Bmp, nullptr);
        const int w = m.Bmp->Width(), h = m.Bmp->Height() / 2;
        EXPECT_EQ(w, 2 * shadow.Radius + shadow.OffsetL + shadow.OffsetR + 1);
        EXPECT_EQ(m.Height, h);
        EXPECT_EQ(shadow.WidthL, w / 2);
        EXPECT_EQ(shadow.WidthB, h / 2);
        EXPECT_TRUE(RegisteredAs(*data, m, L"OuterCalc" + IntToStr(shadow.Mask)));
    }

    // An image of GLOBALINFO as the shadow: the plain key drawn at 96 PPI is resampled and its
    // widths scaled; the variant of the skin data's level is taken as it is. Widths given by the
    // skin are scaled either way.
    SetText("[GLOBALINFO]\nSH_SOURCE=1\nSH_MASK=" + Fixed({72, 16, 104, 32}, 6, 1, 1, 3, 0) +
            "\nSH_MASK*150=" + Fixed({0, 48, 40, 72}, 9, 1, 1, 3, 0) + "\nSH_WIDTHL=4\nLO_SOURCE=1\n");
    struct Case {
        int ppi;
        int width, height; // a mask half from its alpha below the image
        int wl, widthL;
    };
    for (const Case& c : {Case{96, 32, 32, 6, 4}, Case{144, 40, 48, 9, 6}, Case{192, 64, 64, 12, 8}}) {
        SCOPED_TRACE(c.ppi);
        auto data = Load(c.ppi);
        const TacOutEffData& shadow = data->oe[1];
        ASSERT_GE(shadow.Mask, 0);
        const TsMaskData& m = data->ma[static_cast<size_t>(shadow.Mask)];
        ASSERT_NE(m.Bmp, nullptr);
        EXPECT_EQ(m.Bmp->Width(), c.width);
        EXPECT_EQ(m.Bmp->Height(), c.height);
        EXPECT_EQ(m.WL, c.wl);
        EXPECT_EQ(shadow.WidthL, c.widthL);
        EXPECT_EQ(shadow.WidthR, -1);
        EXPECT_TRUE(RegisteredAs(*data, m, L"Outer" + IntToStr(shadow.Mask)));
        EXPECT_EQ(data->oe[0].Mask, -1) << "no LO_MASK value";
    }
}

TEST_F(SkinReadTest, CommonSectionsWithoutASkinFile)
{
    manager->SetActive(false); // the list is read here, not by a reload
    SetText("[A]\nSTATES=2\nCOLOR=$101010\nHOTCOLOR=$202020\nGLOW=5\n");
    auto data = Load(96);
    const size_t skinSections = data->gd.size();

    // Masks: sections counted from 1 without GLOBALINFO. Sections: A updated, NEW a copy of A
    // (the parent's name upper-cased), LONE an empty record.
    const std::string tile = Fixed({72, 0, 88, 16}, 4, 1, 0, 0, 0);
    TStringList list;
    for (const std::string& line : std::initializer_list<std::string>{"[A]", "COLOR = $303030", "BORDERSMASK=-1", "TILE=" + tile, "[GLOBALINFO]",
                                   "EXBORDER=" + Fixed({0, 48, 80, 88}, 8, 2, 0, 0, 0), "[NEW]", "PARENTCLASS=a",
                                   "GLOW=7", "TILE=" + tile, "[LONE]", "HOTCOLOR=$404040", "BORDERSMASK=NOIMAGE"})
        list.Add(UnicodeString(line.begin(), line.end()));
    manager->SetCommonSections(&list);
    manager->SkinFile = nullptr;
    TacSkinData fresh(manager.get(), 96);
    fresh.LoadAllMasks();
    ASSERT_EQ(fresh.ma.size(), 2u);
    EXPECT_EQ(fresh.ma[0].ClassName, L"A");
    EXPECT_EQ(fresh.ma[0].SkinIndex, 1);
    EXPECT_EQ(fresh.ma[1].ClassName, L"NEW");
    EXPECT_EQ(fresh.ma[1].SkinIndex, 2);

    data->LoadAllGeneralData();
    ASSERT_EQ(data->gd.size(), skinSections + 3) << "A once; NEW, LONE and GLOBALINFO appended";
    struct Case {
        const wchar_t* name;
        TColor color, hot;
        int states, glow;
        bool noBorder; // BORDERSMASK shorter than 5 characters
    };
    for (const Case& c : {Case{L"A", 0x303030, 0x202020, 2, 5, true}, Case{L"NEW", 0x303030, 0x202020, 2, 7, true},
                          Case{L"LONE", TsGenState().Color, 0x404040, TsGeneralData().States, 0, false}}) {
        SCOPED_TRACE(std::wstring(c.name));
        const TsGeneralData& g = Gd(*data, c.name);
        EXPECT_EQ(g.Props[0].Color, c.color);
        EXPECT_EQ(g.Props[1].Color, c.hot);
        EXPECT_EQ(g.States, c.states);
        EXPECT_EQ(g.GlowCount, c.glow);
        EXPECT_EQ(g.BorderIndex == -2, c.noBorder);
    }
}
