// The skinned menus' unit state.
#include "sSkinMenus.h"

TsSkinProvider* MDISkinProvider = nullptr;
