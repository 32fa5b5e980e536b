// The house skin's Options.dat: GLOBALINFO with palette, metrics, fonts and every image
// notation, and the sections the tests use, one flat colour per section and state.
#include "house_skin.h"

#include <cstdio>

namespace house_skin {
namespace {

std::string Digits(int value, int width)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

std::string Words(const Rect& r) // "LLLL TTTT RRRR BBBB"
{
    return Digits(r.left, 4) + " " + Digits(r.top, 4) + " " + Digits(r.right, 4) + " " + Digits(r.bottom, 4);
}

std::string Fixed(const Rect& r) { return Digits(r.left, 4) + Digits(r.top, 4) + Digits(r.right, 4) + Digits(r.bottom, 4); }

// The image value notations.
std::string Caret(const Rect& r, int margin, int count, int maskType, int drawMode)
{
    const std::string m = Digits(margin, 4);
    return "^" + Words(r) + " " + m + " " + m + " " + m + " " + m + " " + std::to_string(count) + " " +
           std::to_string(maskType) + " " + Digits(drawMode, 2);
}
std::string At(const Rect& r, int count, int maskType)
{
    return "@" + Words(r) + " " + std::to_string(count) + " " + std::to_string(maskType);
}
std::string Tilde(const Rect& r, int drawMode) { return "~" + Words(r) + " " + Digits(drawMode, 2) + " 0"; }
// "&": rectangle, margins, count, mask type, image type, draw mode, six zeros, file name.
std::string Normalised(const Rect& r, int margin, int count, int maskType, int imageType, int drawMode)
{
    const std::string m = Digits(margin, 4);
    return "&" + Fixed(r) + m + m + m + m + std::to_string(count) + std::to_string(maskType) +
           std::to_string(imageType) + Digits(drawMode, 2) + "000000";
}
// "!": an image file of its own (kind 0 with margins and draw mode, or a glyph kind).
std::string BangBorder(const std::string& file, int count, int margin, int drawMode)
{
    const std::string m = Digits(margin, 4);
    return "!" + file + " " + std::to_string(count) + " 0 0 " + m + " " + m + " " + m + " " + m + " " +
           Digits(drawMode, 2);
}

class Ini {
public:
    void Section(const std::string& name)
    {
        if (!text_.empty()) Line("");
        Line("[" + name + "]");
    }
    void Key(const std::string& key, const std::string& value) { Line(key + "=" + value); }
    void Key(const std::string& key, std::uint32_t value) { Key(key, std::to_string(value)); }
    void Key(const std::string& key, int value) { Key(key, std::to_string(value)); }
    std::string Take() { return std::move(text_); }

private:
    void Line(const std::string& line) { text_ += line + "\r\n"; }
    std::string text_;
};

// Button colours are read as 64-bit strings: the fill colours carry 0xFF in the top byte.
std::string Opaque(std::uint32_t color) { return std::to_string(0xFF000000u | color); }

void GlobalInfo(Ini& ini, const Options& o)
{
    ini.Section("GLOBALINFO");
    ini.Key("VERSION", o.version);
    ini.Key("AUTHOR", "House");
    ini.Key("DESCRIPTION", "Test skin drawn in flat colours");
    ini.Key("MASTERBITMAP", o.masterBmp ? "Master.bmp" : "Master.png");
    ini.Key("MainFont", "House Sans");
    ini.Key("FontCount", 1);
    ini.Key("FontFile0", "HouseFont" + o.fontExtension);
    ini.Key("FontName0", "House Sans");
    if (o.biKeepHue) ini.Key("BIKEEPHUE", *o.biKeepHue);
    // Palette
    ini.Key("COLOR", kMainColor);
    ini.Key("FONTCOLOR", kLabelText);
    ini.Key("BORDERCOLOR", kBorderColor);
    ini.Key("TCTOP", 0x0000C0u);
    ini.Key("TCBOTTOM", 0xC00000u);
    ini.Key("BTNCOLOR1NORMAL", Opaque(kButtonColor[0]));
    ini.Key("BTNCOLOR2NORMAL", Opaque(0xC8C0B8));
    ini.Key("BTNCOLOR1ACTIVE", Opaque(kButtonColor[1]));
    ini.Key("BTNCOLOR2ACTIVE", "");
    ini.Key("BTNBORDERACTIVE", 0x3070C0u);
    ini.Key("BTNFONTPRESSED", kButtonText[2]);
    ini.Key("EDITTEXT_OK", 0x206020u);
    ini.Key("EDITBG_ALERT", 0xD0D0FFu);
    ini.Key("EDITBG_EVEN", 0xF4F4F4u);
    ini.Key("COLORTONERED", 0x8080FFu);
    ini.Key("COLORTONEBLUETEXTActive", 0x804000u);
    ini.Key("GRIDLINE", 0xD0D0D0u);
    ini.Key("SHADOW1COLOR", 0x404040u);
    ini.Key("DEFLIGHT", 0xFFFFFFu);
    ini.Key("BRIGHTMIN", -40);
    ini.Key("BRIGHTMAX", 40);
    ini.Key("ARROWSTYLE", 1);
    // Window metrics
    ini.Key("BORDERWIDTH", 4);
    ini.Key("FORMOFFSET", 4);
    ini.Key("TITLEHEIGHT", 26);
    ini.Key("TITLEHEIGHT*150", 39);
    ini.Key("MAXHEIGHT", 22);
    ini.Key("BISPACE", 2);
    ini.Key("BIRIGHT", 4);
    ini.Key("BITOP", 3);
    ini.Key("BICONCLOSEGLOWMARGIN", 2);
    ini.Key("BICONCLOSEGLOW", 1);
    ini.Key("WSHSIZE", 10);
    ini.Key("SHADOW1OFFSET", 1);
    ini.Key("COMBOMARGIN", 1);
    ini.Key("SLIDERMARGIN", 2);
    ini.Key("SH_SOURCE", 2);
    ini.Key("SH_OPACITY", 80);
    ini.Key("LO_SOURCE", 0);
    // Images, every notation
    ini.Key("EXBORDER", Caret(kExBorder, kExBorderMargin, 2, 0, 0));
    ini.Key("BICONCLOSE", At(TitleRect(TitleGlyph::Close), 3, 0));
    ini.Key("BICONMAX", At(TitleRect(TitleGlyph::Max), 3, 0));
    ini.Key("BICONMIN", At(TitleRect(TitleGlyph::Min), 3, 0));
    ini.Key("BICONNORM", At(TitleRect(TitleGlyph::Norm), 3, 0));
    std::string closeGlow = Normalised(kCloseGlow, kCloseGlowMargin, 1, 0, 3, 0);
    if (o.malformedDigitField) closeGlow[3] = 'X';
    ini.Key("BICONCLOSEGLOW0", closeGlow);
    ini.Key("BOXCHECKED", At(kCheck, 2, 0));
    ini.Key("BOXUNCHECKED", "!EditFrame.png 2 0 4");
    ini.Key("BOXUNCHECKED*150", "!EditFrame150.png 2 0 4");
    ini.Key("PATTERN", Tilde(kTile, 0));
    ini.Key("HOTPATTERN", "Master.bmp");
    // The user title button's mask (the close glyph's place).
    if (o.withTitleButton) ini.Key("TITLEBUTTON", At(TitleRect(TitleGlyph::Close), 3, 0));
    if (o.withMenus) {
        ini.Key("CHECK", At(kCheck, 2, 0));
        ini.Key("RADIOCHECKED", At(kRadio, 2, 0));
    }
    if (o.withScrollBars || o.withFormFrame) ini.Key("GRIPIMAGE", At({kCheck.left, kCheck.top, kCheck.left + kCheckFrame, kCheck.bottom}, 1, 0));
}

void States(Ini& ini, int states, bool useState2 = false);

// The framed form: FORM's border and corner images; the CAPTION and MDIAREA sections.
void FormFrame(Ini& ini)
{
    ini.Key("BORDERSMASK", Caret(kButton, kButtonMargin, 3, 1, 0));
    ini.Key("IMGTOPLEFT", At({kTile.left, kTile.top, kTile.left + 8, kTile.top + 8}, 1, 0));
    ini.Key("IMGTOPRIGHT", At({kTile.left + 8, kTile.top, kTile.right, kTile.top + 8}, 1, 0));
    ini.Key("IMGBTMLEFT", At({kTile.left, kTile.top + 8, kTile.left + 8, kTile.bottom}, 1, 0));
    ini.Key("IMGBTMRIGHT", At({kTile.left + 8, kTile.top + 8, kTile.right, kTile.bottom}, 1, 0));
}

void FormFrameSections(Ini& ini)
{
    ini.Section("CAPTION");
    States(ini, 2);
    ini.Key("COLOR", kCaptionColor);
    ini.Key("HOTCOLOR", kCaptionColor);
    ini.Key("FONTCOLOR", 0xFFFFFFu);
    ini.Key("HOTFONTCOLOR", 0xFFFFFFu);
    ini.Section("MDIAREA");
    States(ini, 1);
    ini.Key("COLOR", kMdiAreaColor);
}

void States(Ini& ini, int states, bool useState2)
{
    ini.Key("STATES", states);
    if (useState2) ini.Key("USESTATE2", 1);
}

// One flat colour per state (and font colour, when given).
void FlatSection(Ini& ini, const std::string& name, const std::array<std::uint32_t, 3>& colors,
                 const std::array<std::uint32_t, 3>* fontColors = nullptr)
{
    ini.Section(name);
    States(ini, 3, true);
    ini.Key("COLOR", colors[0]);
    ini.Key("HOTCOLOR", colors[1]);
    ini.Key("COLOR2", colors[2]);
    if (fontColors) {
        ini.Key("FONTCOLOR", (*fontColors)[0]);
        ini.Key("HOTFONTCOLOR", (*fontColors)[1]);
        ini.Key("FONTCOLOR2", (*fontColors)[2]);
    }
}

void SmallButtonSection(Ini& ini)
{
    const std::array<std::uint32_t, 3> text = {kLabelText, kLabelText, kLabelText};
    FlatSection(ini, "SPEEDBUTTON_SMALL", kSmallButton, &text);
}

void ScrollSections(Ini& ini)
{
    FlatSection(ini, "SCROLLSLIDERH", kScrollSlider);
    FlatSection(ini, "SCROLLSLIDERV", kScrollSlider);
    FlatSection(ini, "SCROLLBAR1H", kScrollBar1H);
    FlatSection(ini, "SCROLLBAR2H", kScrollBar2H);
    FlatSection(ini, "SCROLLBAR1V", kScrollBar1V);
    FlatSection(ini, "SCROLLBAR2V", kScrollBar2V);
    for (const char* side : {"SCROLLBTNLEFT", "SCROLLBTNTOP", "SCROLLBTNRIGHT", "SCROLLBTNBOTTOM"})
        FlatSection(ini, side, kScrollBtn, &kScrollBtnArrow);
}

// The track bar's channel, vertical thumb and tick images.
void TrackBarImages(Ini& ini)
{
    ini.Key("SLIDERCHANNEL", Caret(kTrackChannel, kTrackChannelMargin, 2, 0, 4)); // centre filled too
    ini.Key("SLIDERVMASK", At(kTrackThumbV, 3, 0));
    ini.Key("TICKHORZ", At(kTickHorz, 1, 0));
    ini.Key("TICKVERT", At(kTickVert, 1, 0));
}

void ColHeaderSection(Ini& ini) { FlatSection(ini, "COLHEADER", kColHeader, &kColHeaderText); }

// What skinned menus draw with: the pop-up frame and background, the icon column, the extra
// line, the menu line's text, separators, caption lines and the frame of a checked glyph.
void MenuSections(Ini& ini)
{
    ini.Section("MAINMENU");
    States(ini, 1);
    ini.Key("BORDERSMASK", Caret(kMenuBorder, kMenuBorderMargin, 1, 0, 0));
    ini.Key("COLOR", kMenuBack);
    ini.Key("FONTCOLOR", kLabelText);

    ini.Section("ICOLINE");
    States(ini, 1);
    ini.Key("COLOR", kIcoLine);

    ini.Section("EXTRALINE");
    States(ini, 1);
    ini.Key("COLOR", kExtraLine);
    ini.Key("FONTCOLOR", kExtraLineText);

    ini.Section("MENULINE");
    States(ini, 2);
    ini.Key("TRANSPARENCY", 100);
    ini.Key("FONTCOLOR", kMenuLineText[0]);
    ini.Key("HOTFONTCOLOR", kMenuLineText[1]);

    ini.Section("DIVIDERV");
    States(ini, 1);
    ini.Key("BORDERSMASK", Caret(kDivider, 0, 1, 0, 4));
    ini.Key("TRANSPARENCY", 100);

    ini.Section("MENUCAPTION");
    States(ini, 1);
    ini.Key("COLOR", kMenuCaption);
    ini.Key("FONTCOLOR", kMenuCaptionText);

    SmallButtonSection(ini);
}

// The page frames of the four tab positions, the side tabs and the up-down buttons.
void TabsAndUpDownSections(Ini& ini)
{
    const char* positions[] = {"", "BOTTOM", "LEFT", "RIGHT"};
    for (size_t i = 0; i < 4; ++i) {
        ini.Section(std::string("PAGECONTROL") + positions[i]);
        States(ini, 1);
        ini.Key("COLOR", kPageControl[i]);
    }
    for (const char* side : {"TABBOTTOM", "TABLEFT", "TABRIGHT"}) FlatSection(ini, side, kSideTab, &kSideTabText);
    FlatSection(ini, "UPDOWNBTN", kUpDownBtn, &kUpDownArrow);
}

// The flat BUTTON: its image of four one-colour frames covers the whole button, the state
// colours match it, the glow stays.
// The BUTTON keys both variants share: the glow, the first three state colours, the text colours
// and the lights.
void ButtonKeys(Ini& ini, int states, const std::string& mask, const std::uint32_t* colours)
{
    ini.Section("BUTTON");
    States(ini, states, true);
    ini.Key("BORDERSMASK", mask);
    ini.Key("GLOW", 1);
    ini.Key("GLOWMARGIN", 3);
    ini.Key("GLOW0", Normalised(kGlow, kGlowMargin, 2, 0, 3, 0));
    ini.Key("COLOR", colours[0]);
    ini.Key("HOTCOLOR", colours[1]);
    ini.Key("COLOR2", colours[2]);
    ini.Key("FONTCOLOR", kButtonText[0]);
    ini.Key("HOTFONTCOLOR", kButtonText[1]);
    ini.Key("FONTCOLOR2", kButtonText[2]);
    ini.Key("LIGHT0", kButtonLight[0]);
    ini.Key("LIGHT1", kButtonLight[1]);
    ini.Key("LIGHT2", kButtonLight[2]);
}

void FlatButtonSection(Ini& ini)
{
    ButtonKeys(ini, 4, BangBorder("FlatButton.png", 4, kFlatButtonMargin, 4), kFlatButton.data());
}

} // namespace

std::string OptionsText(const Options& o)
{
    Ini ini;
    GlobalInfo(ini, o);
    const std::string buttonBorder = Caret(kButton, kButtonMargin, 3, 1, 0);

    if (o.flatButton) {
        FlatButtonSection(ini);
    } else {
        ButtonKeys(ini, 3, buttonBorder, kButtonColor.data());
        ini.Key("GCOL", 0xFFFFFFu);
        ini.Key("HGCOL", 0x40D0FFu);
        ini.Key("HGSIZE", 4);
        ini.Key("GRADIENTPERCENT", 100);
        ini.Key("HOTGRADIENTPERCENT", 100);
        ini.Key("GRADIENTPERCENT2", 100);
        ini.Key("GRADIENTDATA", "$FFF0E8E0;0;0;$FFC8C0B8;100;0;B");
        ini.Key("HOTGRADIENTDATA", "$FFFFF8F0;0;0;$FFE0D0C0;100;0;B");
        ini.Key("GRADIENTDATA2", "$FFC0B0A0;0;0;$FFE0D8D0;100;0;B");
        ini.Key("OUTERMODE", 4);
        ini.Key("OUTCOLL", 0x40D0FFu);
        ini.Key("OUTOFFSL", 3);
        ini.Key("OUTOFFST", 3);
        ini.Key("OUTOFFSR", 3);
        ini.Key("OUTOFFSB", 3);
        ini.Key("OUTOPACITY", 160);
    }

    ini.Section("SPEEDBUTTON");
    ini.Key("PARENTCLASS", "BUTTON");
    ini.Key("HOTCOLOR", kSpeedButtonHot);

    if (o.withEditAndHint) {
        ini.Section("EDIT");
        States(ini, 2);
        ini.Key("BORDERSMASK", BangBorder("EditFrame.png", 2, kEditFrame100.margin, 16));
        ini.Key("BORDERSMASK*150", BangBorder("EditFrame150.png", 2, kEditFrame150.margin, 16));
        ini.Key("COLOR", kEditBG);
        ini.Key("HOTCOLOR", kEditHotBG);
        ini.Key("FONTCOLOR", kEditText);
        ini.Key("HOTFONTCOLOR", kEditText);
    }

    ini.Section("PANEL");
    States(ini, 1);
    ini.Key("PATTERN", Tilde(kTile, 0));
    ini.Key("IMAGEPERCENT", 40);
    ini.Key("GRADIENTPERCENT", 60);
    ini.Key("GRADIENTDATA", "14737632;0;100;0;0;12632256;0;0;0;0");
    ini.Key("COLOR", kMainColor);
    ini.Key("FONTCOLOR", kLabelText);

    ini.Section("PANEL_LOW");
    States(ini, 1);
    ini.Key("TRANSPARENCY", 50);
    ini.Key("COLOR", 0xD8D4D0u);

    ini.Section("GROUPBOX");
    States(ini, 1);
    ini.Key("IMGTOPLEFT", At({kTile.left, kTile.top, kTile.left + 8, kTile.top + 8}, 1, 0));
    ini.Key("IMGTOPRIGHT", At({kTile.left + 8, kTile.top, kTile.right, kTile.top + 8}, 1, 0));
    ini.Key("IMGBTMLEFT", At({kTile.left, kTile.top + 8, kTile.left + 8, kTile.bottom}, 1, 0));
    ini.Key("IMGBTMRIGHT", At({kTile.left + 8, kTile.top + 8, kTile.right, kTile.bottom}, 1, 0));
    ini.Key("OUTERMODE", 3);
    ini.Key("OUTCOLL", 0x808080u);
    ini.Key("COLOR", kMainColor);
    ini.Key("FONTCOLOR", 0x804000u);

    ini.Section("FORMTITLE");
    States(ini, 2);
    ini.Key("COLOR", 0xA06030u);
    ini.Key("HOTCOLOR", 0xC08040u);
    ini.Key("FONTCOLOR", 0xFFFFFFu);
    ini.Key("HOTFONTCOLOR", 0xFFFFFFu);

    if (o.withForm) {
        ini.Section("FORM");
        States(ini, 2);
        ini.Key("COLOR", kFormColor[0]);
        ini.Key("HOTCOLOR", kFormColor[1]);
        ini.Key("FONTCOLOR", kFormText[0]);
        ini.Key("HOTFONTCOLOR", kFormText[1]);
        if (o.withFormFrame) FormFrame(ini);
    }
    if (o.withForm && o.withFormFrame) FormFrameSections(ini);

    if (o.withEditAndHint) {
        ini.Section("HINT");
        States(ini, 1);
        ini.Key("COLOR", kHintBG);
        ini.Key("FONTCOLOR", kHintText);
    }
    if (o.withEditAndHint && o.withHintShape) {
        // The shape of the button's first frame (key corners), a computed shadow and a
        // little transparency, for the skinned hint windows.
        ini.Key("BORDERSMASK", Caret(kHintMask, kButtonMargin, 1, 1, 0));
        ini.Key("TRANSPARENCY", kHintTransparency);
        ini.Key("OUTERMODE", 4);
        ini.Key("OUTCOLL", 0x000000u);
        ini.Key("OUTOPACITY", 120);
        ini.Key("OUTBLUR", 4);
        ini.Key("OUTRADIUS", 4);
        ini.Key("OUTOFFSL", kHintShadow.left);
        ini.Key("OUTOFFST", kHintShadow.top);
        ini.Key("OUTOFFSR", kHintShadow.right);
        ini.Key("OUTOFFSB", kHintShadow.bottom);
    }

    ini.Section("SELECTION");
    States(ini, 2);
    ini.Key("COLOR", kSelectionBG);
    ini.Key("FONTCOLOR", o.selectionTextKey ? kKeyColor : kSelectionText);
    ini.Key("HOTCOLOR", kSelectionFocusedBG);
    ini.Key("HOTFONTCOLOR", kSelectionText);

    ini.Section("MENUITEM");
    States(ini, 2);
    ini.Key("COLOR", kMainColor);
    ini.Key("HOTCOLOR", kMenuHotBG);
    ini.Key("FONTCOLOR", kLabelText);
    ini.Key("HOTFONTCOLOR", kMenuHotText);
    if (o.withMenus) ini.Key("TRANSPARENCY", 100);

    if (o.withMenus) MenuSections(ini);

    ini.Section("CHECKBOX");
    States(ini, 3, true);
    ini.Key("COLOR", kMainColor);
    ini.Key("HOTCOLOR", 0xF0ECE8u);
    ini.Key("COLOR2", 0xD8D4D0u);
    ini.Key("FONTCOLOR", kLabelText);
    ini.Key("HOTFONTCOLOR", 0x000080u);
    ini.Key("LIGHT0", 0xFFFFFFu);
    ini.Key("LIGHT1", 0x80FFFFu);

    ini.Section("TRACKBAR");
    States(ini, 3, true);
    ini.Key("LIGHT0", kTrackBarLight[0]);
    ini.Key("LIGHT1", kTrackBarLight[1]);
    ini.Key("LIGHT2", kTrackBarLight[2]);
    ini.Key("SLIDERMASK", o.withTrackBarImages ? At(kTrackThumbH, 3, 0) : At(kCheck, 2, 0));
    ini.Key("COLOR", kMainColor);
    ini.Key("HOTCOLOR", 0xF0ECE8u);
    if (o.withTrackBarImages) TrackBarImages(ini);

    ini.Section("COMBOBOX");
    ini.Key("PARENTCLASS", "EDIT");
    ini.Key("GLYPHMASK", At(TitleRect(TitleGlyph::Min), 3, 0));

    ini.Section("COMBOBTN");
    ini.Key("PARENTCLASS", "BUTTON");
    ini.Key("BORDERSMASK", buttonBorder);

    ini.Section("TABTOP");
    States(ini, 3, true);
    ini.Key("TABSCOVERING", 2);
    ini.Key("BORDERSMASK", buttonBorder);
    ini.Key("COLOR", kMainColor);
    ini.Key("HOTCOLOR", 0xF8F4F0u);
    ini.Key("COLOR2", 0xFFFFFFu);

    if (o.withScrollBars) {
        ScrollSections(ini);
    } else {
        ini.Section("SCROLLSLIDERH");
        States(ini, 3, true);
        ini.Key("BORDERSMASK", buttonBorder);
        ini.Key("COLOR", 0xC0C0C0u);
    }

    if (o.withColHeader) ColHeaderSection(ini);

    if (o.withTabsAndUpDown) {
        TabsAndUpDownSections(ini);
        if (!o.withMenus) SmallButtonSection(ini);
    }

    ini.Section("SELFREF");
    ini.Key("PARENTCLASS", "SELFREF");
    ini.Key("COLOR", 0x102030u);

    ini.Section("LOOPA");
    ini.Key("PARENTCLASS", "LOOPB");
    ini.Key("COLOR", 0x203040u);

    ini.Section("LOOPB");
    ini.Key("PARENTCLASS", "LOOPA");
    ini.Key("FONTCOLOR", 0x304050u);
    return ini.Take();
}

} // namespace house_skin
