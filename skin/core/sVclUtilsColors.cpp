// Control colours under the skin: the library's pseudo-colours and the system colours mapped to
// the skin's palette, and the colours controls show.
#include "sVclUtils.h"

#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"

#include <utility>

namespace {

struct PseudoColour {
    std::uint32_t Value;
    TacPaletteColors Entry;
};

constexpr PseudoColour kPseudoColours[] = {
    {0xF1000001, pcMainColor},         {0xFF003E0A, pcEditText_Ok},         {0xFF004C4C, pcEditText_Warning},
    {0xFF00006C, pcEditText_Alert},    {0xFFC9FFD2, pcEditBG_Ok},           {0xFFBAFFFF, pcEditBG_Warning},
    {0xFFDBDBFF, pcEditBG_Alert},      {0xFF9E9EFF, pcBtnToneRed},          {0xFF7E7EFF, pcBtnToneRedActive},
    {0xFF7BD098, pcBtnToneGreen},      {0xFF3EE275, pcBtnToneGreenActive},  {0xFFFFEDC9, pcBtnToneBlue},
    {0xFFFFE9BE, pcBtnToneBlueActive}, {0xFFCAF3FF, pcBtnToneYellow},       {0xFFBAEFFF, pcBtnToneYellowActive},
    {0xFF0000B4, pcBtnRedText},        {0xFF0000A2, pcBtnRedTextActive},    {0xFF28851A, pcBtnGreenText},
    {0xFF008E00, pcBtnGreenTextActive}, {0xFFAE7400, pcBtnBlueText},        {0xFF916000, pcBtnBlueTextActive},
    {0xFF0079B5, pcBtnYellowText},     {0xFF0098C6, pcBtnYellowTextActive},
};

constexpr TColor kBlack = 0x000000;
constexpr TColor kWhite = 0xFFFFFF;

// The form-title section's colour (or font colour) of a state, if the skin has that section.
bool TitleColour(TsSkinManager& m, int state, bool font, TColor& colour)
{
    const int index = m.SkinCommonInfo.Sections[ssFormTitle];
    if (!m.IsValidSkinIndex(index)) return false;
    const TsGenState& props = m.gd()[static_cast<size_t>(index)].Props[static_cast<size_t>(state)];
    colour = font ? props.FontColor.Color : props.Color;
    return true;
}

// A system colour under the skin; false for indexes the skin does not replace.
bool SkinSysColour(TsSkinManager& m, int index, TColor& c)
{
    const auto& p = m.Palette;
    switch (index) {
    case COLOR_SCROLLBAR: case COLOR_BACKGROUND: case COLOR_MENU: case COLOR_APPWORKSPACE: case COLOR_BTNFACE:
    case COLOR_MENUBAR: c = p[pcMainColor]; return true;
    case COLOR_ACTIVECAPTION: case COLOR_GRADIENTACTIVECAPTION:
        if (!TitleColour(m, 1, false, c)) c = p[pcMainColor];
        return true;
    case COLOR_INACTIVECAPTION: case COLOR_GRADIENTINACTIVECAPTION:
        if (!TitleColour(m, 0, false, c)) c = p[pcMainColor];
        return true;
    case COLOR_WINDOW: c = p[pcEditBG]; return true;
    case COLOR_WINDOWFRAME: case COLOR_ACTIVEBORDER: case COLOR_INACTIVEBORDER: c = p[pcBorder]; return true;
    case COLOR_MENUTEXT: case COLOR_BTNTEXT: c = p[pcLabelText]; return true;
    case COLOR_WINDOWTEXT: c = p[pcEditText]; return true;
    case COLOR_CAPTIONTEXT:
        if (!TitleColour(m, 1, true, c)) c = p[pcLabelText];
        return true;
    case COLOR_INACTIVECAPTIONTEXT:
        if (!TitleColour(m, 0, true, c)) c = p[pcLabelText];
        return true;
    case COLOR_HIGHLIGHT: case COLOR_MENUHILIGHT: c = p[pcSelectionBG_Focused]; return true;
    case COLOR_HIGHLIGHTTEXT: c = p[pcSelectionText_Focused]; return true;
    case COLOR_BTNSHADOW: c = BlendColors(p[pcMainColor], kBlack, 230); return true;
    case COLOR_GRAYTEXT: c = BlendColors(p[pcMainColor], p[pcLabelText], 127); return true;
    case COLOR_BTNHIGHLIGHT: c = BlendColors(p[pcMainColor], p[pcSelectionBG_Focused], 127); return true;
    case COLOR_3DDKSHADOW: c = BlendColors(p[pcMainColor], kBlack, 210); return true;
    case COLOR_3DLIGHT: c = BlendColors(p[pcMainColor], kWhite, 180); return true;
    case COLOR_HOTLIGHT: c = p[pcWebTextHot]; return true;
    // As the manager's own replacement of the system colours does.
    case COLOR_INFOTEXT: c = p[pcHintText]; return true;
    case COLOR_INFOBK: c = p[pcHintBG]; return true;
    default: return false;
    }
}

// A result of ColorToRGB that is still not a colour becomes its low 24 bits.
TColor PlainRGB(TColor color)
{
    const TColor c = ColorToRGB(color);
    return c < 0 ? (c & 0x00FFFFFF) : c;
}

} // namespace

TColor acColorToRGB(TColor color, TObject* manager)
{
    if (color >= 0) return color;
    auto* m = dynamic_cast<TsSkinManager*>(manager);
    if (!m) m = DefaultManager;
    const auto value = static_cast<std::uint32_t>(color);
    if (!m || !(m->IsActive() || m->MapsColorsWhenInactive())) {
        if ((value & 0x00FFFFFFu) < 101) return PlainRGB(color);
        return color & 0x00FFFFFF;
    }
    for (const PseudoColour& pc : kPseudoColours)
        if (pc.Value == value) return m->Palette[pc.Entry];
    if ((value & 0xFFFFFF00u) == 0xFF000000u) {
        TColor c = 0;
        if (SkinSysColour(*m, static_cast<int>(value & 0xFF), c)) return c;
    }
    return PlainRGB(color);
}

namespace {

bool IsSkinned(TControl* control)
{
    if (auto* windowed = dynamic_cast<TWinControl*>(control))
        return windowed->HandleAllocated() && WndIsSkinned(windowed->Handle());
    return control->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_CTRLHANDLED), 0) == 1;
}

} // namespace

TColor GetControlColor(TControl* control)
{
    if (!control) return 0xFF00FF;
    if (IsSkinned(control)) return PlainRGB(static_cast<TColor>(SendAMessage(control, AC_GETBGCOLOR)));
    return PlainRGB(control->Color());
}

TColor GetControlColor(HWND wnd)
{
    return PlainRGB(static_cast<TColor>(SendAMessage(wnd, AC_GETBGCOLOR, 0xFF00FF)));
}

TColor GetControlFontColor(TControl* control, TObject* manager)
{
    auto* m = dynamic_cast<TsSkinManager*>(manager);
    if (!m) m = DefaultManager;
    if (!control || !m || !m->IsActive()) return 0;
    TWinControl* parent = control->Parent();
    if (!parent) return 0;
    TacPaintInfo info;
    info.R = control->BoundsRect();
    info.SkinManager = m;
    info.FontIndex = -1;
    // The parent names the section whose font its children take (AC_GETFONTINDEX).
    const LRESULT answer = SendAMessage(parent, AC_GETFONTINDEX, reinterpret_cast<LPARAM>(&info));
    if (answer != 0 && m->IsValidSkinIndex(info.FontIndex))
        return m->gd()[static_cast<size_t>(info.FontIndex)].Props[0].FontColor.Color;
    return PlainRGB(parent->Font()->Color());
}

void ChangeControlColors(TControl* control, TColor fontColor, TColor color)
{
    if (!control) return;
    auto* data = reinterpret_cast<TsCommonData*>(SendAMessage(control, AC_GETCOMMONDATA));
    if (!CommonDataIsLive(data)) data = nullptr;
    if (fontColor != clNone) {
        if (data) data->SetBoolean(1, true);
        control->Font()->SetColor(acColorToRGB(fontColor));
    }
    if (color != clNone) {
        if (data) data->SetBoolean(0, true);
        const TColor rgb = acColorToRGB(color);
        control->SetColor(rgb);
        if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && windowed->HandleAllocated()) {
            HDC dc = GetDC(windowed->Handle());
            SetBkColor(dc, static_cast<COLORREF>(rgb));
            ReleaseDC(windowed->Handle(), dc);
        }
    }
    TrySendMessage(control, SM_ALPHACMD, MakeAlphaCmd(AC_INVALIDATE, 1), 0);
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        TMessage message{SM_ALPHACMD, MakeAlphaCmd(AC_INVALIDATECACHE, 1), 0, 0};
        AlphaBroadCast(windowed, message);
        if (windowed->HandleAllocated()) InvalidateRect(windowed->Handle(), nullptr, TRUE);
    }
}

bool IsCustomFont(TControl* control, TFont* font, bool checkColor)
{
    if (!control || !font) return false;
    TWinControl* parent = control->Parent();
    if (!parent) return false;
    if (dynamic_cast<TCustomFrame*>(control) && control->ParentFont()) return false;
    TFont* pf = parent->Font();
    if (font->Name() != pf->Name() || font->Height() != pf->Height() || font->Style() != pf->Style()) return true;
    return checkColor && font->Color() != pf->Color();
}

int GetTransMode(TsCommonData* CommonData, int SkinIndex, int State)
{
    if (!CommonData || CommonData->TranspMode == 0 || !CommonData->FOwnerControl) return 0;
    const int index = SkinIndex < 0 ? CommonData->SkinIndex : SkinIndex;
    TsSkinManager* manager = CommonData->GetSkinManager();
    if (!manager || !manager->IsValidSkinIndex(index)) return 0;
    if (CommonData->FOpaqueMode == omAlphaChannel) return 2;
    if (CommonData->TranspMode == 1) return 1;
    return NeedParentFont(manager, index, State, CommonData->FOwnerControl) ? 2 : 1;
}
