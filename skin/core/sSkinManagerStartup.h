#pragma once
// Start-up of the skin manager's unit: the system-family flag, the four default skin data the
// library paints with while no skin is active, and the "/acver" switch that shows the library's
// version.
#include "sSkinManager.h"

#include <array>
#include <memory>

// The process runs on the NT family of Windows.
extern bool IsNT;
// One skin data per scale level (aPPIArray), owned by the unit from start-up to shut-down.
extern std::array<std::unique_ptr<TacSkinData>, 4> StdScaleArray;

// The library's name and version as "/acver" shows it.
inline constexpr wchar_t acLibraryVersionText[] = L"ZozizOzudidad v15.14";

void sSkinManagerInitialization();
void sSkinManagerFinalization();
