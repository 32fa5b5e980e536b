#include "sThirdParty.h"

TacCheckDevEx CheckDevEx = nullptr;
