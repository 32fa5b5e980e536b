#pragma once
// Library defaults that other skin units read: the default class-name lists of controls from
// other component sets and the disabled-look settings.
#include <array>
#include <string_view>

// One entry per foreign-control list kind (0-22); only the buttons list (1) has a default.
inline constexpr std::array<std::wstring_view, 23> acThirdNames{
    L" ", L"TButton", L" ", L" ", L" ", L" ", L" ", L" ", L" ", L" ", L" ", L" ",
    L" ", L" ",       L" ", L" ", L" ", L" ", L" ", L" ", L" ", L" ", L" "};

// A PNG image of a skin is preferred to a bitmap of the same name.
inline constexpr bool acPngFirst = true;
inline constexpr bool acAllowLatestCommonDialogs = false;
inline constexpr bool acTryToSkinCommonDialogs = false;
// Blend of a disabled control's image.
inline constexpr double DefDisabledBlend = 0.4;
// Settings an application may change (main thread only):
// weight of the image's own pixel when a disabled image is blended with the background,
inline unsigned char DefBlendDisabled = 100;
// saturation change of disabled glyphs, in percent (-100: grey scale).
inline int DefDisabledSaturation = -90;

// Start-up: makes the process DPI-aware unless the form designer hosts it (main form class
// "TAppBuilder"). The shut-down only counts.
void sDefaultsInitialization();
void sDefaultsFinalization();
