#include "acDials.h"

std::vector<TacMainWnd*> acSupportedList;
