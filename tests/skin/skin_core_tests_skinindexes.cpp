// Indexes a skin data resolves after reading: the masks of each section (with generated outer
// masks), the frame sizes of every mask, and the constant indexes painters look up.
#include "skin_core_test_skinread.h"

#include "../framework/graphics_png.h"
#include "skin_graphics_test_png.h"

using namespace house_skin;

TEST_F(SkinReadTest, SectionMasksAndTexturesPerState)
{
    SetHouse();
    auto data = Load(96);
    const TsGeneralData& button = Gd(*data, L"BUTTON");
    EXPECT_EQ(button.BorderIndex, Mask(*data, L"BUTTON", L"BORDERSMASK"));
    EXPECT_EQ(Gd(*data, L"SPEEDBUTTON").BorderIndex, button.BorderIndex) << "through the parent";
    EXPECT_EQ(Gd(*data, L"PANEL").BorderIndex, -1);
    EXPECT_EQ(Gd(*data, L"PANEL").ScrollBorderOffset, -2);
    EXPECT_EQ(Gd(*data, L"EDIT").ScrollBorderOffset, 0) << "borders of 4";
    const TsGeneralData& panel = Gd(*data, L"PANEL");
    EXPECT_EQ(panel.Props[0].TextureIndex, Mask(*data, L"PANEL", L"PATTERN"));
    EXPECT_EQ(panel.Props[1].TextureIndex, panel.Props[0].TextureIndex) << "one state";
    EXPECT_EQ(panel.Props[2].TextureIndex, panel.Props[0].TextureIndex);
    const TsGeneralData& group = Gd(*data, L"GROUPBOX");
    EXPECT_EQ(group.ImgTL, Mask(*data, L"GROUPBOX", L"IMGTOPLEFT"));
    EXPECT_EQ(group.ImgBR, Mask(*data, L"GROUPBOX", L"IMGBTMRIGHT"));
    EXPECT_GE(group.ImgTR, 0);
    EXPECT_EQ(Gd(*data, L"MENUITEM").OuterMask, Mask(*data, L"MENUITEM", L"OUTERMASK")) << "mode 2, none";
    EXPECT_EQ(Gd(*data, L"MENUITEM").OuterMask, -1);

    const std::string tile = "~0072 0000 0088 0016 00 0";
    SetText("[T]\nSTATES=3\nUSESTATE2=1\nPATTERN=" + tile + "\nHOTPATTERN=~0072 0000 0080 0008 00 0\n"
            "PATTERN2=~0080 0008 0088 0016 00 0\nOUTERMODE=0\n"
            "[U]\nSTATES=2\nPATTERN=" + tile + "\nHOTPATTERN=~0072 0000 0080 0008 00 0\n"
            "PATTERN2=~0080 0008 0088 0016 00 0\n"
            "[EDIT]\nBORDERSMASK=" + Fixed({0, 48, 80, 88}, 1, 2, 0, 0, 0) + "\n"
            "[ALPHAEDIT]\nBORDERSMASK=" + Fixed({0, 48, 80, 88}, 1, 2, 0, 0, 0) + "\n"
            "[OTHER]\nBORDERSMASK=" + Fixed({0, 48, 80, 88}, 1, 2, 0, 0, 0) + "\n"
            "[ZERO]\nGLYPHMASK=" + Fixed({0, 48, 20, 58}, 0, 0, 0, 2, 0) + "\n"
            "BORDERSMASK=" + Fixed({0, 0, 72, 48}, 0, 0, 1, 0, 0) + "\n");
    auto d = Load(96);
    const TsGeneralData& t = Gd(*d, L"T");
    EXPECT_EQ(t.Props[0].TextureIndex, Mask(*d, L"T", L"PATTERN"));
    EXPECT_EQ(t.Props[1].TextureIndex, Mask(*d, L"T", L"HOTPATTERN"));
    EXPECT_EQ(t.Props[2].TextureIndex, Mask(*d, L"T", L"PATTERN2"));
    EXPECT_EQ(t.OuterMask, -1);
    const TsGeneralData& u = Gd(*d, L"U");
    EXPECT_EQ(u.Props[1].TextureIndex, Mask(*d, L"U", L"HOTPATTERN"));
    EXPECT_EQ(u.Props[2].TextureIndex, u.Props[1].TextureIndex) << "no USESTATE2";
    EXPECT_EQ(Gd(*d, L"EDIT").ScrollBorderOffset, -1);
    EXPECT_EQ(Gd(*d, L"ALPHAEDIT").ScrollBorderOffset, -1);
    EXPECT_EQ(Gd(*d, L"OTHER").ScrollBorderOffset, 0);
    // No frame count: one frame, borders of half its size less one.
    const TsMaskData& glyph = d->ma[static_cast<size_t>(Mask(*d, L"ZERO", L"GLYPHMASK"))];
    EXPECT_EQ(glyph.ImageCount, 1);
    EXPECT_EQ(glyph.Width, 20);
    EXPECT_EQ(glyph.Height, 10);
    EXPECT_EQ(glyph.WL, 9);
    EXPECT_EQ(glyph.WR, 9);
    EXPECT_EQ(glyph.WT, 4);
    const TsMaskData& halves = d->ma[static_cast<size_t>(Mask(*d, L"ZERO", L"BORDERSMASK"))];
    EXPECT_EQ(halves.Height, 24);
    EXPECT_EQ(halves.WT, 5) << "(24 - 1) div 4";
    EXPECT_EQ(halves.WL, 35);
    const TsMaskData& button3 = d->ma[static_cast<size_t>(Mask(*d, L"OTHER", L"BORDERSMASK"))];
    EXPECT_EQ(button3.Width, 40);
    EXPECT_EQ(button3.Height, 40);
}

TEST_F(SkinReadTest, GeneratedOuterMasksPerDensity)
{
    SetHouse();
    struct Case {
        int ppi;
        int width, height; // of the shadow (the mask's half)
        int wl, wr, wt, wb;
    };
    // GROUPBOX: mode 3, offsets 2, 2, 2, 4, blur and radius 9, all scaled to the level.
    for (const Case& c : {Case{96, 23, 25, 11, 11, 11, 13}, Case{144, 33, 36, 16, 16, 16, 19}}) {
        SCOPED_TRACE(c.ppi);
        auto data = Load(c.ppi);
        const TsGeneralData& group = Gd(*data, L"GROUPBOX");
        ASSERT_GE(group.OuterMask, 0);
        const TsMaskData& m = data->ma[static_cast<size_t>(group.OuterMask)];
        ASSERT_NE(m.Bmp, nullptr);
        EXPECT_EQ(m.Bmp->Width(), c.width);
        EXPECT_EQ(m.Bmp->Height(), 2 * c.height);
        EXPECT_EQ(m.R, TRect(0, 0, c.width, 2 * c.height));
        EXPECT_EQ(m.Width, c.width);
        EXPECT_EQ(m.Height, c.height);
        EXPECT_EQ(m.WL, c.wl);
        EXPECT_EQ(m.WR, c.wr);
        EXPECT_EQ(m.WT, c.wt);
        EXPECT_EQ(m.WB, c.wb);
        EXPECT_EQ(m.ImageCount, 1);
        EXPECT_EQ(m.MaskType, 1);
        EXPECT_EQ(m.DrawMode, 1);
        EXPECT_EQ(m.ImgType, itisaBorder);
        EXPECT_EQ(m.SkinIndex, Section(*data, L"GROUPBOX"));
        bool registered = false;
        for (const TacBmpData& e : data->BmpArray)
            registered |= e.Bmp.get() == m.Bmp && e.FileName == L"Outer" + std::to_wstring(group.OuterMask);
        EXPECT_TRUE(registered);
        // Upper half: the left colour on the left and in the centre, the key on the other sides,
        // the whole bottom band included (it is stretched along the control).
        const int midY = c.height / 2, midX = c.width / 2;
        EXPECT_EQ(PixelAt(*m.Bmp, 0, midY) & 0xFFFFFF, 0x808080u);
        EXPECT_EQ(PixelAt(*m.Bmp, c.wl, c.wt) & 0xFFFFFF, 0x808080u);
        for (int x = c.wl; x < c.width - c.wr; ++x)
            EXPECT_EQ(PixelAt(*m.Bmp, x, c.height - c.wb), 0x00FF00FFu) << x;
        EXPECT_EQ(PixelAt(*m.Bmp, midX, 0), 0x00FF00FFu);
        EXPECT_EQ(PixelAt(*m.Bmp, c.width - 1, midY), 0x00FF00FFu);
        EXPECT_EQ(PixelAt(*m.Bmp, midX, c.height - 1), 0x00FF00FFu);
        // Lower half: the shadow as a mask, dark in the middle, white at the rim.
        EXPECT_LT(PixelAt(*m.Bmp, midX, c.height + midY) & 0xFF, 0x80u);
        EXPECT_GE(PixelAt(*m.Bmp, 0, c.height) & 0xFF, 0xF0u);
        if (c.ppi == 96) SaveEnlargedPng(*m.Bmp, L"skin_read_outer_groupbox.png", 8);

        // BUTTON, mode 4: the four side colours (only the left one given).
        const TsGeneralData& button = Gd(*data, L"BUTTON");
        ASSERT_GE(button.OuterMask, 0);
        const TsMaskData& b = data->ma[static_cast<size_t>(button.OuterMask)];
        EXPECT_EQ(PixelAt(*b.Bmp, 0, b.Height / 2) & 0xFFFFFF, 0xFFD040u) << "0x40D0FF as a pixel";
        EXPECT_EQ(PixelAt(*b.Bmp, b.Width / 2, 0), 0xFF000000u);
        EXPECT_EQ(Gd(*data, L"SPEEDBUTTON").OuterMask == button.OuterMask, false) << "a mask of its own";
    }
}

TEST_F(SkinReadTest, ConstantIndexes)
{
    SetHouse();
    for (int ppi : {96, 192}) {
        SCOPED_TRACE(ppi);
        auto data = Load(ppi);
        const TacSkinCommonInfo& info = manager->SkinCommonInfo;
        EXPECT_EQ(info.IndexGlobalInfo, 0);
        for (int s = 0; s < acSectionCount; ++s) {
            const UnicodeString name(acSectNames[static_cast<size_t>(s)]);
            SCOPED_TRACE(std::string(name.begin(), name.end()));
            if (s < ssMenuCaption) {
                EXPECT_EQ(info.Sections[static_cast<size_t>(s)], Section(*data, name));
            }
        }
        EXPECT_EQ(info.Sections[ssTransparent], Section(*data, L"TRANSPARENT"));
        // Auxiliary sections: the replacement's index, and a copy of it under their own name.
        EXPECT_EQ(info.Sections[ssMenuCaption], -1) << "no TOOLBAR";
        EXPECT_EQ(Section(*data, L"MENUCAPTION"), -1);
        EXPECT_EQ(info.Sections[ssMenuLine], -1) << "its own replacement";
        EXPECT_EQ(info.Sections[ssMenuBtn], Section(*data, L"SPEEDBUTTON"));
        EXPECT_EQ(info.Sections[ssColHeaderA], Section(*data, L"BUTTON"));
        EXPECT_EQ(info.Sections[ssUpDown], Section(*data, L"BUTTON"));
        const TsGeneralData& menuBtn = Gd(*data, L"MENUBTN");
        EXPECT_EQ(menuBtn.Props[1].Color, static_cast<TColor>(kSpeedButtonHot));
        EXPECT_EQ(menuBtn.BorderIndex, Gd(*data, L"BUTTON").BorderIndex) << "found through the replacement";

        const int gi = info.IndexGlobalInfo;
        const auto globalMask = [&](const wchar_t* key) {
            return manager->GetMaskIndex(gi, UnicodeString(key), data.get());
        };
        EXPECT_EQ(data->CheckBox, (std::array<int, 3>{globalMask(L"BOXUNCHECKED"), globalMask(L"BOXCHECKED"), -1}));
        EXPECT_GE(data->CheckBox[0], 0);
        EXPECT_EQ(data->SmallCheckBox, (std::array<int, 3>{-1, -1, -1}));
        EXPECT_EQ(data->RadioButton, (std::array<int, 2>{-1, -1}));
        EXPECT_EQ(data->ExBorder, globalMask(L"EXBORDER"));
        EXPECT_GE(data->ExBorder, 0);
        EXPECT_EQ(data->GripRightBottom, -1);

        EXPECT_EQ(data->MenuItem.SkinIndex, Section(*data, L"MENUITEM"));
        EXPECT_EQ(data->MenuItem.SkinSection, L"MENUITEM");
        EXPECT_EQ(data->ComboBtn.MaskIndex, Mask(*data, L"COMBOBTN", L"BORDERSMASK"));
        EXPECT_EQ(data->ComboBtn.GlyphIndex, Mask(*data, L"COMBOBOX", L"GLYPHMASK")) << "the combo box's glyph";
        EXPECT_GE(data->ComboBtn.GlyphIndex, 0);
        const TacConstElementData& tab = data->Tabs[tlSingle][asTop];
        EXPECT_EQ(tab.SkinSection, L"TABTOP");
        EXPECT_EQ(tab.MaskIndex, Mask(*data, L"TABTOP", L"BORDERSMASK"));
        EXPECT_EQ(data->Tabs[tlFirst][asTop].SkinIndex, -1);
        EXPECT_EQ(data->Tabs[tlFirst][asTop].MaskIndex, -1);
        EXPECT_EQ(data->Sliders[0].SkinSection, L"SCROLLSLIDERH");
        EXPECT_EQ(data->Sliders[1].SkinIndex, -1);
        EXPECT_EQ(data->ScrollBtns[asLeft].SkinIndex, -1);
        for (const TacConstElementData& e : data->UpDownBtns) {
            EXPECT_EQ(e.SkinSection, L"UPDOWNBTN") << "the copy made for the missing section";
            EXPECT_EQ(e.MaskIndex, Gd(*data, L"BUTTON").BorderIndex);
        }
        for (bool horizontal : {false, true}) {
            const TacTrackBarData& t = data->TrackBar[horizontal];
            EXPECT_EQ(t.SkinIndex, Section(*data, L"TRACKBAR"));
            EXPECT_EQ(t.SliderIndex, Mask(*data, L"TRACKBAR", L"SLIDERMASK")) << "no SLIDERVMASK";
            EXPECT_GE(t.SliderIndex, 0);
            EXPECT_EQ(t.ProgIndex, -1);
            EXPECT_EQ(t.ChannelIndex, -1);
        }

        const int close = globalMask(L"BICONCLOSE");
        EXPECT_EQ(data->TitleGlyphs[0], close) << "BICLOSEALONE from BICONCLOSE";
        EXPECT_EQ(data->TitleGlyphs[1], close);
        EXPECT_EQ(data->TitleGlyphs[3], globalMask(L"BICONMIN"));
        EXPECT_EQ(data->TitleGlyphs[6], close) << "SICONCLOSE from BICONCLOSE";
        EXPECT_EQ(data->TitleGlyphs[8], data->TitleGlyphs[3]);
        EXPECT_EQ(data->TitleGlyphs[10], -1) << "no BICONHELP either";
        EXPECT_EQ(data->TitleGlyphs[12], -1);
        EXPECT_EQ(data->TitleGlows[1], TacIntArray{globalMask(L"BICONCLOSEGLOW0")});
        EXPECT_GE(data->TitleGlows[1][0], 0);
        EXPECT_EQ(data->TitleGlows[0], data->TitleGlows[1]) << "glyphs 0 and 1 are one";
        EXPECT_EQ(data->GlowMargins[0], 2);
        EXPECT_EQ(data->TitleGlows[2], TacIntArray{-1});
    }
}
