#pragma once
// Start-up of sConst: the system variables and the localized captions (acs_...), read from the
// string resources of Windows' own libraries so that they follow the installed Windows'
// language, with the program's own English texts where a library has an empty string.
#include "Strings.h"

#include <windows.h>

#include <functional>

// The strings of one system library: the text of a string identifier (empty when it has none).
using TacStringReader = std::function<UnicodeString(UINT id)>;
// Opens a system library by name for reading; an empty reader when it cannot be loaded. The
// library stays loaded while a copy of the reader lives.
using TacStringLibraries = std::function<TacStringReader(const UnicodeString& library)>;

// Test seam: replaces where the captions are read from; an empty value restores the system's
// libraries.
void SetCaptionLibraries(TacStringLibraries libraries);

// A negative acScrollBtnLength becomes the system's scroll-button width.
void InitSysVariables();
// Fills the 32 acs_ captions; a caption of a library that cannot be loaded stays as it was
// (empty after start-up).
void LoadCaptions();
// Empties the 32 acs_ captions.
void ClearCaptions();

void sConstInitialization();
void sConstFinalization();
