// The skin's palette of 59 colours, read from GLOBALINFO and from the sections of the first skin
// data, then the manager's colour properties and the six brushes of the first palette entries.
#include "sSkinManager.h"

#include "SysUtils.h"
#include "sGraphUtils.h"
#include "sSkinManagerSysColors.h"

namespace {

const UnicodeString GlobalInfo = L"GLOBALINFO";

constexpr TColor Opaque(TColor color) { return static_cast<TColor>(static_cast<std::uint32_t>(color) | 0xFF000000u); }

bool NoTextColour(TColor color) { return color == -1 || color == 0xFF00FF; }

// Button colours are written as 64-bit numbers so that the top byte can be set; an empty or
// unreadable value gives the default.
TColor ReadColor64(const TMemIniFile& ini, const UnicodeString& key, TColor def)
{
    const UnicodeString text = ini.ReadString(GlobalInfo, key, UnicodeString());
    long long value = 0;
    if (text.empty() || !TryStrToInt64(text, value)) return def;
    return static_cast<TColor>(static_cast<std::uint32_t>(static_cast<unsigned long long>(value)));
}

} // namespace

void TsSkinManager::LoadPalette()
{
    auto& p = Palette;
    const TMemIniFile* file = SkinFile ? SkinFile : SkinCommonInfo.OptionsDat.get();
    const TMemIniFile& ini = *file;
    const auto readInt = [&](const wchar_t* key, TColor def) { return ini.ReadInteger(GlobalInfo, key, def); };

    p[pcMainColor] = readInt(L"COLOR", ColorToRGB(clBtnFace));
    p[pcLabelText] = readInt(L"FONTCOLOR", 0);
    p[pcWebText] = readInt(L"TCBOTTOM", 0xFF0000);
    p[pcWebTextHot] = readInt(L"TCTOP", 0x0000FF);
    p[pcBorder] = readInt(L"BORDERCOLOR", 0);

    // Section colours come from the first skin data (state 0 normal, state 1 active).
    TacSkinData* first = SkinDataArray.empty() ? nullptr : SkinDataArray[0].get();
    const auto section = [&](const wchar_t* name) -> const TsGeneralData* {
        const int index = first ? GetSkinIndex(name, first) : -1;
        return index >= 0 ? &first->gd[static_cast<size_t>(index)] : nullptr;
    };
    if (const TsGeneralData* edit = section(L"EDIT")) {
        p[pcEditText] = ColorToRGB(edit->Props[0].FontColor.Color);
        p[pcEditBG] = ColorToRGB(edit->Props[0].Color);
    } else {
        p[pcEditText] = ColorToRGB(clWindowText);
        p[pcEditBG] = ColorToRGB(clWindow);
    }
    if (const TsGeneralData* hint = section(L"HINT")) {
        p[pcHintText] = ColorToRGB(hint->Props[0].FontColor.Color);
        p[pcHintBG] = ColorToRGB(hint->Props[0].Color);
    } else {
        p[pcHintText] = ColorToRGB(clInfoText);
        p[pcHintBG] = ColorToRGB(clInfoBk);
    }
    if (const TsGeneralData* selection = section(L"SELECTION")) {
        const TsGenState& focused = selection->Props[selection->States > 1 ? 1 : 0];
        p[pcSelectionText_Focused] = focused.FontColor.Color;
        p[pcSelectionBG_Focused] = focused.Color;
        p[pcSelectionText] = selection->Props[0].FontColor.Color;
        p[pcSelectionBG] = selection->Props[0].Color;
    } else {
        p[pcSelectionText_Focused] = p[pcSelectionBG_Focused] = p[pcSelectionText] = p[pcSelectionBG] = -1;
    }
    if (NoTextColour(p[pcSelectionText])) {
        if (const TsGeneralData* menuItem = section(L"MENUITEM")) {
            p[pcSelectionText] = menuItem->Props[1].FontColor.Color;
            p[pcSelectionBG] = p[pcSelectionBG_Focused] = menuItem->Props[1].Color;
            // Painters use every entry as a pixel colour: the system colour as its RGB value.
            p[pcSelectionText] = ColorToRGB(NoTextColour(p[pcSelectionText]) ? clHighlightText : p[pcSelectionText]);
            p[pcSelectionText_Focused] = p[pcSelectionText];
        } else {
            p[pcSelectionText] = p[pcSelectionText_Focused] = ColorToRGB(clHighlightText);
            p[pcSelectionBG] = p[pcSelectionBG_Focused] = ColorToRGB(clHighlight);
        }
    }

    p[pcEditText_Ok] = readInt(L"EDITTEXT_OK", 0x404000);
    p[pcEditText_Warning] = readInt(L"EDITTEXT_WARN", 0x004C4C);
    p[pcEditText_Alert] = p[pcEditText_Caution] = p[pcEditText_Bypassed] = readInt(L"EDITTEXT_ALERT", 0x00006C);
    p[pcEditBG_Ok] = readInt(L"EDITBG_OK", 0xC9FFD2);
    p[pcEditBG_Warning] = readInt(L"EDITBG_WARN", 0xBAFFFF);
    p[pcEditBG_Alert] = p[pcEditBG_Caution] = p[pcEditBG_Bypassed] = readInt(L"EDITBG_ALERT", 0xDBDBFF);
    p[pcEditText_Highlight1] = readInt(L"EDITTEXT_H1", 0);
    p[pcEditText_Highlight2] = readInt(L"EDITTEXT_H2", 0);
    p[pcEditText_Highlight3] = readInt(L"EDITTEXT_H3", 0);
    p[pcEditText_Inverted] = readInt(L"EDITTEXT_INV", p[pcEditBG]);
    p[pcEditBG_Inverted] = readInt(L"EDITBG_INV", p[pcEditText]);
    p[pcEditBG_OddRow] = readInt(L"EDITBG_ODD", p[pcEditBG]);
    p[pcEditBG_EvenRow] = readInt(L"EDITBG_EVEN", BlendColors(p[pcEditText], p[pcEditBG], 13));

    const TColor main = p[pcMainColor];
    p[pcBtnColor1Active] = ReadColor64(ini, L"BTNCOLOR1ACTIVE", Opaque(BlendColors(main, clWhite, 177)));
    p[pcBtnColor2Active] = ReadColor64(ini, L"BTNCOLOR2ACTIVE", Opaque(main));
    p[pcBtnBorderActive] = readInt(L"BTNBORDERACTIVE", p[pcBorder]);
    p[pcBtnFontActive] = readInt(L"BTNFONTACTIVE", p[pcLabelText]);
    p[pcBtnColor1Normal] = ReadColor64(ini, L"BTNCOLOR1NORMAL", Opaque(main));
    p[pcBtnColor2Normal] = ReadColor64(ini, L"BTNCOLOR2NORMAL", Opaque(BlendColors(main, clBlack, 244)));
    p[pcBtnBorderNormal] = readInt(L"BTNBORDERNORMAL", p[pcBorder]);
    p[pcBtnFontNormal] = readInt(L"BTNFONTNORMAL", p[pcLabelText]);
    p[pcBtnColor1Pressed] = ReadColor64(ini, L"BTNCOLOR1PRESSED", Opaque(BlendColors(main, clBlack, 233)));
    p[pcBtnColor2Pressed] = ReadColor64(ini, L"BTNCOLOR2PRESSED", Opaque(BlendColors(main, clBlack, 233)));
    p[pcBtnBorderPressed] = readInt(L"BTNBORDERPRESSED", p[pcBorder]);
    p[pcBtnFontPressed] = readInt(L"BTNFONTPRESSED", p[pcLabelText]);

    // Each active tone defaults to its normal one; the two last text keys are spelled so.
    struct Tone {
        const wchar_t* key;
        TColor def;
        TacPaletteColors entry;
        const wchar_t* activeKey;
    };
    const Tone tones[] = {
        {L"COLORTONERED", 0x9E9EFF, pcBtnToneRed, L"COLORTONEREDACTIVE"},
        {L"COLORTONEGREEN", 0x7BD098, pcBtnToneGreen, L"COLORTONEGREENACTIVE"},
        {L"COLORTONEBLUE", 0xFFEDC9, pcBtnToneBlue, L"COLORTONEBLUEACTIVE"},
        {L"COLORTONEYELLOW", 0xCAF3FF, pcBtnToneYellow, L"COLORTONEYELLOWACTIVE"},
        {L"COLORTONEREDTEXT", 0x0000B4, pcBtnRedText, L"COLORTONEREDTEXTACTIVE"},
        {L"COLORTONEGREENTEXT", 0x28851A, pcBtnGreenText, L"COLORTONEGREENTEXTACTIVE"},
        {L"COLORTONEBLUETEXT", 0xAE7400, pcBtnBlueText, L"COLORTONEBLUETEXTActive"},
        {L"COLORTONEYELLOWTEXT", 0x0079B5, pcBtnYellowText, L"COLORTONEYELLOWTEXTActive"},
    };
    for (const Tone& tone : tones) {
        p[tone.entry] = readInt(tone.key, tone.def);
        p[tone.entry + 1] = readInt(tone.activeKey, p[tone.entry]);
    }

    p[pcGrid] = readInt(L"GRIDLINE", -1);
    if (p[pcGrid] == -1) p[pcGrid] = BlendColors(p[pcEditText], p[pcEditBG], 30);
}

void TsSkinManager::InitSkinParams(int PPI)
{
    LoadPalette();
    if (TacSkinData* data = SkinDataOfPPI(PPI)) {
        ApplyHue(*data);
        ApplySaturation(*data);
        ApplyBrightness(*data);
    }
    UpdateBrushes();
}

void TsSkinManager::UpdateBrushes()
{
    if (GetIsDefault()) ReleaseSysColorBrushes();
    for (size_t i = 0; i < Brushes.size(); ++i) {
        if (Brushes[i]) DeleteObject(Brushes[i]);
        Brushes[i] = CreateSolidBrush(static_cast<COLORREF>(Palette[i]));
    }
}
