// The manager's lists of foreign control class names, kept with the form as ThirdParty. The
// lists are not filled yet.
#include "sSkinManager.h"

void LoadThirdNames(TsSkinManager*, bool) {}

void UpdateThirdNames(TsSkinManager*) {}
