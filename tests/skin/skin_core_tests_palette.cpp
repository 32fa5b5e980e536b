// The skin's palette, its fallbacks and defaults; the manager's hue, saturation and brightness on
// the master, the images of every density, the section colours and the palette; the brushes.
#include "skin_core_test_skinload.h"

#include "../framework/graphics_test_util.h"
#include "sAlphaGraph.h"
#include "sGraphUtilsColor.h"

namespace hs = house_skin;

namespace {

using Palette = std::array<TColor, acPaletteCount>;

constexpr TColor Opaque(std::uint32_t c) { return static_cast<TColor>(0xFF000000u | c); }

Palette HousePalette()
{
    Palette p{};
    p[pcMainColor] = hs::kMainColor;
    p[pcLabelText] = hs::kLabelText;
    p[pcWebText] = 0xC00000;
    p[pcWebTextHot] = 0x0000C0;
    p[pcEditText] = hs::kEditText;
    p[pcEditBG] = hs::kEditBG;
    p[pcSelectionBG] = hs::kSelectionBG;
    p[pcSelectionText] = hs::kSelectionText;
    p[pcSelectionBG_Focused] = hs::kSelectionFocusedBG;
    p[pcSelectionText_Focused] = hs::kSelectionText;
    p[pcEditBG_Inverted] = hs::kEditText;
    p[pcEditText_Inverted] = hs::kEditBG;
    p[pcEditBG_OddRow] = hs::kEditBG;
    p[pcEditBG_EvenRow] = 0xF4F4F4;
    p[pcEditText_Ok] = 0x206020;
    p[pcEditText_Warning] = 0x004C4C;
    p[pcEditText_Alert] = p[pcEditText_Caution] = p[pcEditText_Bypassed] = 0x00006C;
    p[pcEditBG_Ok] = 0xC9FFD2;
    p[pcEditBG_Warning] = 0xBAFFFF;
    p[pcEditBG_Alert] = p[pcEditBG_Caution] = p[pcEditBG_Bypassed] = 0xD0D0FF;
    p[pcBtnColor1Active] = Opaque(hs::kButtonColor[1]);
    p[pcBtnColor2Active] = Opaque(hs::kMainColor);
    p[pcBtnBorderActive] = 0x3070C0;
    p[pcBtnFontActive] = hs::kLabelText;
    p[pcBtnColor1Normal] = Opaque(hs::kButtonColor[0]);
    p[pcBtnColor2Normal] = Opaque(0xC8C0B8);
    p[pcBtnBorderNormal] = hs::kBorderColor;
    p[pcBtnFontNormal] = hs::kLabelText;
    p[pcBtnColor1Pressed] = p[pcBtnColor2Pressed] = Opaque(BlendColors(hs::kMainColor, clBlack, 233));
    p[pcBtnBorderPressed] = hs::kBorderColor;
    p[pcBtnFontPressed] = hs::kButtonText[2];
    p[pcBtnToneRed] = p[pcBtnToneRedActive] = 0x8080FF;
    p[pcBtnToneGreen] = p[pcBtnToneGreenActive] = 0x7BD098;
    p[pcBtnToneBlue] = p[pcBtnToneBlueActive] = 0xFFEDC9;
    p[pcBtnToneYellow] = p[pcBtnToneYellowActive] = 0xCAF3FF;
    p[pcBtnRedText] = p[pcBtnRedTextActive] = 0x0000B4;
    p[pcBtnGreenText] = p[pcBtnGreenTextActive] = 0x28851A;
    p[pcBtnBlueText] = 0xAE7400;
    p[pcBtnBlueTextActive] = 0x804000;
    p[pcBtnYellowText] = p[pcBtnYellowTextActive] = 0x0079B5;
    p[pcBorder] = hs::kBorderColor;
    p[pcGrid] = 0xD0D0D0;
    p[pcHintBG] = hs::kHintBG;
    p[pcHintText] = hs::kHintText;
    return p;
}

// A skin that names nothing but its version: the system's colours and the built-in defaults.
Palette DefaultPalette()
{
    Palette p{};
    const TColor face = ColorToRGB(clBtnFace), text = ColorToRGB(clWindowText), window = ColorToRGB(clWindow);
    p[pcMainColor] = face;
    p[pcWebText] = 0xFF0000;
    p[pcWebTextHot] = 0x0000FF;
    p[pcEditText] = p[pcEditBG_Inverted] = text;
    p[pcEditBG] = p[pcEditText_Inverted] = p[pcEditBG_OddRow] = window;
    p[pcEditBG_EvenRow] = BlendColors(text, window, 13);
    p[pcSelectionText] = p[pcSelectionText_Focused] = ColorToRGB(clHighlightText);
    p[pcSelectionBG] = p[pcSelectionBG_Focused] = ColorToRGB(clHighlight);
    p[pcEditText_Ok] = 0x404000;
    p[pcEditText_Warning] = 0x004C4C;
    p[pcEditText_Alert] = p[pcEditText_Caution] = p[pcEditText_Bypassed] = 0x00006C;
    p[pcEditBG_Ok] = 0xC9FFD2;
    p[pcEditBG_Warning] = 0xBAFFFF;
    p[pcEditBG_Alert] = p[pcEditBG_Caution] = p[pcEditBG_Bypassed] = 0xDBDBFF;
    p[pcBtnColor1Active] = Opaque(BlendColors(face, clWhite, 177));
    p[pcBtnColor2Active] = p[pcBtnColor1Normal] = Opaque(face);
    p[pcBtnColor2Normal] = Opaque(BlendColors(face, clBlack, 244));
    p[pcBtnColor1Pressed] = p[pcBtnColor2Pressed] = Opaque(BlendColors(face, clBlack, 233));
    p[pcBtnToneRed] = p[pcBtnToneRedActive] = 0x9E9EFF;
    p[pcBtnToneGreen] = p[pcBtnToneGreenActive] = 0x7BD098;
    p[pcBtnToneBlue] = p[pcBtnToneBlueActive] = 0xFFEDC9;
    p[pcBtnToneYellow] = p[pcBtnToneYellowActive] = 0xCAF3FF;
    p[pcBtnRedText] = p[pcBtnRedTextActive] = 0x0000B4;
    p[pcBtnGreenText] = p[pcBtnGreenTextActive] = 0x28851A;
    p[pcBtnBlueText] = p[pcBtnBlueTextActive] = 0xAE7400;
    p[pcBtnYellowText] = p[pcBtnYellowTextActive] = 0x0079B5;
    p[pcGrid] = BlendColors(text, window, 30);
    p[pcHintBG] = ColorToRGB(clInfoBk);
    p[pcHintText] = ColorToRGB(clInfoText);
    return p;
}

void ExpectPalette(const Palette& actual, const Palette& expected)
{
    for (int i = 0; i < acPaletteCount; ++i)
        EXPECT_EQ(static_cast<std::uint32_t>(actual[static_cast<size_t>(i)]),
                  static_cast<std::uint32_t>(expected[static_cast<size_t>(i)]))
            << "palette entry " << i;
}

std::uint32_t PixelHue(int hue, std::uint32_t p)
{
    TsColor_ c;
    c.I = static_cast<std::int32_t>(p);
    return static_cast<std::uint32_t>(ChangeHue(hue, c).I);
}
std::uint32_t PixelSaturation(int amount, std::uint32_t p)
{
    TsColor_ c;
    c.I = static_cast<std::int32_t>(p);
    return static_cast<std::uint32_t>(ChangeSaturation(amount, c).I);
}
std::uint32_t PixelBrightness(int amount, std::uint32_t p)
{
    TsColor_ c;
    c.I = static_cast<std::int32_t>(p);
    ChangeColorBrightness(c, amount);
    return static_cast<std::uint32_t>(c.I);
}

// A pixel of each title glyph's hot frame (its mark) and of the close button's glow.
struct TitleProbe {
    const char* name;
    hs::Point at;
};
std::vector<TitleProbe> TitleProbes()
{
    std::vector<TitleProbe> probes;
    const char* names[] = {"BICONCLOSE", "BICONMAX", "BICONMIN", "BICONNORM"};
    for (int g = 0; g < 4; ++g) {
        const hs::Rect r = hs::TitleRect(static_cast<hs::TitleGlyph>(g));
        probes.push_back({names[g], {r.left + hs::kTitleFrameWidth + 1, r.top + 1}});
    }
    probes.push_back({"BICONCLOSEGLOW0", {hs::kCloseGlow.left, hs::kCloseGlow.top}});
    return probes;
}

} // namespace

TEST_F(SkinLoadTest, PaletteHoldsTheHouseValuesAndTheDefaultsOfASkinWithoutThem)
{
    Load();
    ExpectPalette(manager->Palette, HousePalette());

    TStringList text;
    text.Add(L"[GLOBALINFO]");
    text.Add(L"VERSION=15.00");
    acEditorSkinFile = &text;
    Load();
    ASSERT_TRUE(manager->IsActive());
    ExpectPalette(manager->Palette, DefaultPalette());
}

TEST_F(SkinLoadTest, SelectionEditHintAndButtonColoursFallBack)
{
    const TColor highlightText = ColorToRGB(clHighlightText);
    struct Case {
        const char* name;
        hs::Options options;
        Edit edit;
        std::vector<std::pair<TacPaletteColors, TColor>> expected;
    };
    hs::Options keyText;
    keyText.selectionTextKey = true;
    hs::Options noEdit;
    noEdit.withEditAndHint = false;
    const std::string key = std::to_string(hs::kKeyColor);
    const Case cases[] = {
        {"selection text of the key colour takes MENUITEM", keyText, {},
         {{pcSelectionText, hs::kMenuHotText}, {pcSelectionText_Focused, hs::kMenuHotText},
          {pcSelectionBG, hs::kMenuHotBG}, {pcSelectionBG_Focused, hs::kMenuHotBG}}},
        {"MENUITEM without a text colour gives the system's as RGB", keyText,
         [&](std::string t) {
             const size_t menu = t.find("[MENUITEM]");
             const size_t at = t.find("HOTFONTCOLOR=", menu);
             return t.replace(at, t.find("\r\n", at) - at, "HOTFONTCOLOR=" + key);
         },
         {{pcSelectionText, highlightText}, {pcSelectionText_Focused, highlightText}}},
        {"no EDIT and HINT sections", noEdit, {},
         {{pcEditText, ColorToRGB(clWindowText)}, {pcEditBG, ColorToRGB(clWindow)},
          {pcHintText, ColorToRGB(clInfoText)}, {pcHintBG, ColorToRGB(clInfoBk)}}},
        {"empty button colour", {}, [](std::string t) { return SetKey(t, "BTNCOLOR1NORMAL", ""); },
         {{pcBtnColor1Normal, Opaque(hs::kMainColor)}}},
        {"button colour of the top byte alone", {},
         [](std::string t) { return SetKey(t, "BTNCOLOR1NORMAL", "4278190080"); },
         {{pcBtnColor1Normal, static_cast<TColor>(0xFF000000u)}}},
        {"no grid and no even rows", {},
         [](std::string t) { return SetKey(SetKey(t, "GRIDLINE", std::nullopt), "EDITBG_EVEN", std::nullopt); },
         {{pcGrid, BlendColors(hs::kEditText, hs::kEditBG, 30)},
          {pcEditBG_EvenRow, BlendColors(hs::kEditText, hs::kEditBG, 13)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.options, SkinSource::Folder, {}, c.edit);
        ASSERT_TRUE(manager->IsActive());
        for (const auto& [entry, colour] : c.expected)
            EXPECT_EQ(static_cast<std::uint32_t>(manager->Palette[entry]), static_cast<std::uint32_t>(colour))
                << "entry " << static_cast<int>(entry);
    }
}

TEST_F(SkinLoadTest, HueKeepsTheTitleImagesTheSkinNamesAndChangesEverythingElseOnce)
{
    constexpr int hue = 120;
    // The images of a load without hue, to compare with.
    Load();
    const std::vector<std::uint32_t> plainEdit = [&] {
        TBitmap& bmp = *Entry(Data(96), L"EDITFRAME.PNG")->Bmp;
        return std::vector<std::uint32_t>{Pixel(bmp, 0, 1), Pixel(bmp, 1, 1)};
    }();
    const std::uint32_t plainEdit150 = Pixel(*Entry(Data(144), L"EDITFRAME150.PNG")->Bmp, 2, 2);
    const TColor plainGradient =
        manager->gd()[static_cast<size_t>(manager->GetSkinIndex(L"BUTTON"))].Props[0].GradientArray[0].Color.C;

    struct Case {
        std::optional<int> keep;
        std::vector<const char*> kept;
    };
    const Case cases[] = {{std::nullopt, {}},
                          {1, {"BICONCLOSE", "BICONMAX", "BICONMIN", "BICONNORM", "BICONCLOSEGLOW0"}},
                          {2, {"BICONCLOSE", "BICONCLOSEGLOW0"}},
                          {0, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keep.value_or(-1));
        hs::Options o;
        o.biKeepHue = c.keep;
        Load(o, SkinSource::Folder, [](TsSkinManager& m) { m.SetHueOffset(hue); });
        ASSERT_TRUE(manager->IsActive());
        TBitmap& master = *manager->MasterBitmap;
        for (const TitleProbe& probe : TitleProbes()) {
            const bool kept = std::find_if(c.kept.begin(), c.kept.end(), [&](const char* n) {
                                  return std::string(n) == probe.name;
                              }) != c.kept.end();
            const std::uint32_t before = HouseMaster(probe.at.x, probe.at.y);
            EXPECT_EQ(Pixel(master, probe.at.x, probe.at.y), kept ? before : PixelHue(hue, before)) << probe.name;
        }
        const hs::Point face = {hs::kButtonFrame / 2, hs::kButtonFrame / 2};
        EXPECT_EQ(Pixel(master, face.x, face.y), PixelHue(hue, HouseMaster(face.x, face.y)));
        EXPECT_EQ(Pixel(master, hs::kKeyPixel.x, hs::kKeyPixel.y), 0x00FF00FFu) << "the key colour stays";

        const Palette& p = manager->Palette;
        EXPECT_EQ(p[pcMainColor], ChangeHue(hue, static_cast<TColor>(hs::kMainColor)));
        EXPECT_EQ(p[pcBtnColor1Normal], ChangeHue(hue, Opaque(hs::kButtonColor[0])));
        for (TacPaletteColors kept : {pcWebTextHot, pcEditText_Ok, pcEditText_Highlight1, pcBtnToneRed, pcBtnBlueText})
            EXPECT_EQ(p[kept], HousePalette()[kept]) << "entry " << static_cast<int>(kept);
        EXPECT_EQ(manager->SkinCommonInfo.Shadow1Color, ChangeHue(hue, 0x404040));
        const TsGeneralData& button = manager->gd()[static_cast<size_t>(manager->GetSkinIndex(L"BUTTON"))];
        EXPECT_EQ(button.Props[1].Color, ChangeHue(hue, static_cast<TColor>(hs::kButtonColor[1])));
        EXPECT_EQ(button.Props[1].GlowColor, ChangeHue(hue, 0x40D0FF));
        EXPECT_EQ(button.Props[0].GradientArray[0].Color.C, ChangeHue(hue, plainGradient));
        if (c.keep) continue;

        // Image files change at every density; the scaled copies of master images at 144 PPI come
        // from the changed master and are not changed again.
        TBitmap& edit = *Entry(Data(96), L"EDITFRAME.PNG")->Bmp;
        EXPECT_EQ(Pixel(edit, 0, 1), PixelHue(hue, plainEdit[0]));
        EXPECT_EQ(Pixel(edit, 1, 1), PixelHue(hue, plainEdit[1]));
        TacSkinData& large = Data(144);
        EXPECT_EQ(Pixel(*Entry(large, L"EDITFRAME150.PNG")->Bmp, 2, 2), PixelHue(hue, plainEdit150));
        const TsMaskData* border = Mask(large, L"BUTTON", L"BORDERSMASK");
        ASSERT_TRUE(border && border->Bmp);
        const int centre = hs::kButtonFrame * 3 / 4; // the face in the middle of frame 0 at 150 %
        EXPECT_EQ(Pixel(*border->Bmp, centre, centre), PixelHue(hue, HouseMaster(face.x, face.y)));
        EXPECT_EQ(Pixel(edit, 0, 1), PixelHue(hue, plainEdit[0])) << "96 PPI not changed again";
    }
}

TEST_F(SkinLoadTest, SaturationChangesByItsShareOf255LimitedAndOnceAtEveryDensity)
{
    Load();
    const std::uint32_t plainEdit = Pixel(*Entry(Data(96), L"EDITFRAME.PNG")->Bmp, 0, 1);
    const std::uint32_t plainEdit150 = Pixel(*Entry(Data(144), L"EDITFRAME150.PNG")->Bmp, 2, 2);
    const hs::Point face = {hs::kButtonFrame / 2, hs::kButtonFrame / 2};
    for (const auto& [saturation, amount] : {std::pair{50, 127}, {200, 255}, {-200, -255}}) {
        SCOPED_TRACE(saturation);
        Load({}, SkinSource::Folder, [s = saturation](TsSkinManager& m) { m.SetSaturation(s); });
        ASSERT_TRUE(manager->IsActive());
        EXPECT_EQ(manager->Palette[pcMainColor], ChangeSaturation(static_cast<TColor>(hs::kMainColor), amount));
        EXPECT_EQ(manager->Palette[pcBtnToneGreen], 0x7BD098) << "tones keep theirs";
        EXPECT_EQ(manager->SkinCommonInfo.Shadow1Color, ChangeSaturation(0x404040, amount));
        EXPECT_EQ(Pixel(*manager->MasterBitmap, face.x, face.y), PixelSaturation(amount, HouseMaster(face.x, face.y)));
        EXPECT_EQ(Pixel(*Entry(Data(96), L"EDITFRAME.PNG")->Bmp, 0, 1), PixelSaturation(amount, plainEdit));
        TacSkinData& large = Data(144);
        EXPECT_EQ(Pixel(*Entry(large, L"EDITFRAME150.PNG")->Bmp, 2, 2), PixelSaturation(amount, plainEdit150));
        const TsGeneralData& edit = large.gd[static_cast<size_t>(manager->GetSkinIndex(L"EDIT", &large))];
        EXPECT_EQ(edit.Props[1].Color, ChangeSaturation(static_cast<TColor>(hs::kEditHotBG), amount));
        const TsMaskData* border = Mask(large, L"BUTTON", L"BORDERSMASK");
        ASSERT_TRUE(border && border->Bmp);
        const int centre = hs::kButtonFrame * 3 / 4;
        EXPECT_EQ(Pixel(*border->Bmp, centre, centre), PixelSaturation(amount, HouseMaster(face.x, face.y)))
            << "a scaled copy of the changed master, not changed again";
        EXPECT_EQ(Pixel(*Entry(Data(96), L"EDITFRAME.PNG")->Bmp, 0, 1), PixelSaturation(amount, plainEdit))
            << "96 PPI not changed again when 144 PPI loads";
        EXPECT_EQ(Pixel(*manager->MasterBitmap, face.x, face.y), PixelSaturation(amount, HouseMaster(face.x, face.y)));
    }
}

TEST_F(SkinLoadTest, BrightnessKeepsMaskHalvesTheShadowColourAndThePaletteAndPremultipliesPngFiles)
{
    constexpr int brightness = 30;
    Load();
    const Palette plainPalette = manager->Palette;
    // Copies of the 96-PPI images of the load without brightness.
    std::vector<std::pair<TacBmpData*, std::unique_ptr<TBitmap>>> plain;
    for (TacBmpData& e : Data(96).BmpArray) {
        auto copy = CreateBmp32(0, 0);
        CopyBmp(copy.get(), e.Bmp.get());
        plain.emplace_back(&e, std::move(copy));
    }
    auto plainManager = std::move(manager);

    Load({}, SkinSource::Folder, [](TsSkinManager& m) { m.SetBrightness(brightness); });
    ASSERT_TRUE(manager->IsActive());
    ExpectPalette(manager->Palette, plainPalette);
    EXPECT_EQ(manager->SkinCommonInfo.Shadow1Color, 0x404040);

    // BUTTON's border lies in the master: its image half changes, its mask half stays.
    TBitmap& master = *manager->MasterBitmap;
    int wrong = 0;
    for (int y = hs::kButton.top; y < hs::kButton.bottom; ++y)
        for (int x = hs::kButton.left; x < hs::kButton.right; ++x) {
            const std::uint32_t before = HouseMaster(x, y);
            const bool maskHalf = y >= hs::kButton.top + hs::kButton.Height() / 2;
            const bool key = before == 0x00FF00FFu;
            wrong += Pixel(master, x, y) != (maskHalf || key ? before : PixelBrightness(brightness, before));
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(Pixel(master, hs::kTile.left, hs::kTile.top), PixelBrightness(brightness, HouseMaster(hs::kTile.left, hs::kTile.top)));

    // Own bitmaps: two-half ones keep their lower half; PNG files end premultiplied.
    int twoHalf = 0, png = 0;
    for (auto& [plainEntry, before] : plain) {
        TacBmpData* now = nullptr;
        for (TacBmpData& e : Data(96).BmpArray)
            if (e.Path == plainEntry->Path && e.FileName == plainEntry->FileName) now = &e;
        ASSERT_NE(now, nullptr);
        TBitmap expected;
        CopyBmp(&expected, before.get());
        const int h = before->Height();
        if (now->MaskType == 0) {
            ChangeBitmapPixels(&expected, &ChangeColorBrightness, brightness, 0xFF00FF);
            if (now->FileName.find(L".PNG") != UnicodeString::npos) {
                UpdateAlpha(&expected);
                ++png;
            }
        } else {
            ++twoHalf;
            for (int y = 0; y < h / 2; ++y)
                for (TsColor_& p : TacBmpRows(&expected).Row(y))
                    if ((static_cast<std::uint32_t>(p.I)) != 0x00FF00FFu) ChangeColorBrightness(p, brightness);
        }
        int differ = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < before->Width(); ++x) differ += Pixel(*now->Bmp, x, y) != Pixel(expected, x, y);
        EXPECT_EQ(differ, 0) << std::string(now->Path.begin(), now->Path.end());
    }
    EXPECT_GT(twoHalf, 0);
    EXPECT_GT(png, 0);
}

TEST_F(SkinLoadTest, SixBrushesOfThePaletteAndReloadsReuseTheirHandles)
{
    Load();
    for (size_t i = 0; i < 6; ++i) {
        LOGBRUSH brush{};
        ASSERT_EQ(GetObjectW(manager->Brushes[i], sizeof brush, &brush), static_cast<int>(sizeof brush));
        EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
        EXPECT_EQ(brush.lbColor, static_cast<COLORREF>(manager->Palette[i])) << i;
    }
    GdiSlotDrain drain;
    ASSERT_TRUE(drain.Drained());
    for (int i = 0; i < 20; ++i) manager->InitSkinParams(96);
    for (int i = 0; i < 2; ++i) {
        manager->SetSaturation(i == 0 ? 10 : 0); // a whole reload each
        ASSERT_TRUE(manager->IsActive());
    }
    GdiSlotDrain after;
    ASSERT_TRUE(after.Drained());
    EXPECT_LT(after.FirstFreshSlot(), drain.NextFreshSlot() + 64) << "brushes pile up over reloads";
}
