#pragma once
// Colour values. A TColor is a 32-bit number: 0x00BBGGRR for a plain RGB colour, 0xFF0000nn for
// system colour nn (a GetSysColor index), and the two marks clNone and clDefault. The skin code
// also stores opaque ARGB values with a top byte of 0xFF, so a value counts as a system colour
// only when bytes 1 and 2 are zero and the index is one GetSysColor knows (0..30).
#include "Strings.h"

#include <cstdint>
#include <functional>

#include <windows.h>

using TColor = std::int32_t;

constexpr TColor TColorOf(std::uint32_t value) { return static_cast<TColor>(value); }

inline constexpr int MaxSysColorIndex = 30;

constexpr bool IsSystemColor(TColor color)
{
    const auto c = static_cast<std::uint32_t>(color);
    return (c & 0xFFFFFF00u) == 0xFF000000u && (c & 0xFFu) <= static_cast<std::uint32_t>(MaxSysColorIndex);
}

// Marks
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// Standard colours
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clLtGray = clSilver;
inline constexpr TColor clDkGray = clGray;

// Extended colours
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;

// System colours
inline constexpr TColor clScrollBar = TColorOf(0xFF000000u | COLOR_SCROLLBAR);
inline constexpr TColor clBackground = TColorOf(0xFF000000u | COLOR_BACKGROUND);
inline constexpr TColor clActiveCaption = TColorOf(0xFF000000u | COLOR_ACTIVECAPTION);
inline constexpr TColor clInactiveCaption = TColorOf(0xFF000000u | COLOR_INACTIVECAPTION);
inline constexpr TColor clMenu = TColorOf(0xFF000000u | COLOR_MENU);
inline constexpr TColor clWindow = TColorOf(0xFF000000u | COLOR_WINDOW);
inline constexpr TColor clWindowFrame = TColorOf(0xFF000000u | COLOR_WINDOWFRAME);
inline constexpr TColor clMenuText = TColorOf(0xFF000000u | COLOR_MENUTEXT);
inline constexpr TColor clWindowText = TColorOf(0xFF000000u | COLOR_WINDOWTEXT);
inline constexpr TColor clCaptionText = TColorOf(0xFF000000u | COLOR_CAPTIONTEXT);
inline constexpr TColor clActiveBorder = TColorOf(0xFF000000u | COLOR_ACTIVEBORDER);
inline constexpr TColor clInactiveBorder = TColorOf(0xFF000000u | COLOR_INACTIVEBORDER);
inline constexpr TColor clAppWorkSpace = TColorOf(0xFF000000u | COLOR_APPWORKSPACE);
inline constexpr TColor clHighlight = TColorOf(0xFF000000u | COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = TColorOf(0xFF000000u | COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = TColorOf(0xFF000000u | COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = TColorOf(0xFF000000u | COLOR_BTNSHADOW);
inline constexpr TColor clGrayText = TColorOf(0xFF000000u | COLOR_GRAYTEXT);
inline constexpr TColor clBtnText = TColorOf(0xFF000000u | COLOR_BTNTEXT);
inline constexpr TColor clInactiveCaptionText = TColorOf(0xFF000000u | COLOR_INACTIVECAPTIONTEXT);
inline constexpr TColor clBtnHighlight = TColorOf(0xFF000000u | COLOR_BTNHIGHLIGHT);
inline constexpr TColor cl3DDkShadow = TColorOf(0xFF000000u | COLOR_3DDKSHADOW);
inline constexpr TColor cl3DLight = TColorOf(0xFF000000u | COLOR_3DLIGHT);
inline constexpr TColor clInfoText = TColorOf(0xFF000000u | COLOR_INFOTEXT);
inline constexpr TColor clInfoBk = TColorOf(0xFF000000u | COLOR_INFOBK);
inline constexpr TColor clHotLight = TColorOf(0xFF000000u | COLOR_HOTLIGHT);
inline constexpr TColor clGradientActiveCaption = TColorOf(0xFF000000u | COLOR_GRADIENTACTIVECAPTION);
inline constexpr TColor clGradientInactiveCaption = TColorOf(0xFF000000u | COLOR_GRADIENTINACTIVECAPTION);
inline constexpr TColor clMenuHighlight = TColorOf(0xFF000000u | COLOR_MENUHILIGHT);
inline constexpr TColor clMenuBar = TColorOf(0xFF000000u | COLOR_MENUBAR);

// The RGB value of a colour: system colours through GetSysColor, opaque ARGB values without
// their alpha byte; plain colours and the marks clNone/clDefault unchanged.
TColor ColorToRGB(TColor color);

// The value GDI gets for a colour (0x00BBGGRR; marks lose their flag bits).
COLORREF ColorToGdi(TColor color);

// Colour names ("clRed", "clBtnFace", ...). ColorToString gives the name, or "$" and eight
// hexadecimal digits. StringToColor takes a name (any case), a decimal number or "$" hex, and
// raises EConvertError otherwise.
UnicodeString ColorToString(TColor color);
TColor StringToColor(const UnicodeString& text);
bool ColorToIdent(TColor color, UnicodeString& ident);
bool IdentToColor(const UnicodeString& ident, TColor& color);

// Calls proc with every colour name: the 16 standard colours, the 4 extended ones, then the
// system colours with clNone and clDefault, in this fixed order.
void GetColorValues(const std::function<void(const UnicodeString& name)>& proc);
