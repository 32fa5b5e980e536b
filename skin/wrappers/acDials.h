#pragma once
// Skinned dialogs and supported form windows. So far only the list the core's broadcasts walk;
// it stays empty until the dialog wrappers exist.
#include "acSBUtils.h"

#include <vector>

// Wrappers of the supported dialog and form windows.
extern std::vector<TacMainWnd*> acSupportedList;
