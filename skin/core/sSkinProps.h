#pragma once
// Names of the skin sections the library looks up by position or side.
#include <array>
#include <string_view>

// By TacTabLayout (first, last, middle, single), then by TacSide.
inline constexpr std::array<std::wstring_view, 16> acTabSections{
    L"TABLEFTFIRST",  L"TABTOPFIRST",  L"TABRIGHTFIRST",  L"TABBOTTOMFIRST",
    L"TABLEFTLAST",   L"TABTOPLAST",   L"TABRIGHTLAST",   L"TABBOTTOMLAST",
    L"TABLEFTMIDDLE", L"TABTOPMIDDLE", L"TABRIGHTMIDDLE", L"TABBOTTOMMIDDLE",
    L"TABLEFT",       L"TABTOP",       L"TABRIGHT",       L"TABBOTTOM"};
// By TacSide.
inline constexpr std::array<std::wstring_view, 4> acScrollBtns{L"SCROLLBTNLEFT", L"SCROLLBTNTOP", L"SCROLLBTNRIGHT",
                                                              L"SCROLLBTNBOTTOM"};
inline constexpr std::array<std::wstring_view, 4> acScrollParts{L"SCROLLBAR1H", L"SCROLLBAR1V", L"SCROLLBAR2H",
                                                               L"SCROLLBAR2V"};
// By TacSide; skins name the right one without an underscore.
inline constexpr std::array<std::wstring_view, 4> acUpDownBtns{L"UPDOWNBTN_LEFT", L"UPDOWNBTN_TOP", L"UPDOWNBTNRIGHT",
                                                              L"UPDOWNBTN_BOTTOM"};
inline constexpr std::array<std::wstring_view, 2> acScrollSliders{L"SCROLLSLIDERH", L"SCROLLSLIDERV"};
inline constexpr std::array<std::wstring_view, 2> acRadioGlyphs{L"RADIOUNCHECKED", L"RADIOCHECKED"};
inline constexpr std::array<std::wstring_view, 3> acCheckGlyphs{L"BOXUNCHECKED", L"BOXCHECKED", L"BOXGRAYED"};
inline constexpr std::array<std::wstring_view, 3> acSmallChecks{L"SMALLUNCHECKED", L"SMALLCHECKED", L"SMALLGRAYED"};
