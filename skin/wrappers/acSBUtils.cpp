#include "acSBUtils.h"

TacScrollWnd* Ac_GetScrollWndFromHwnd(HWND) { return nullptr; }
