#include "sThirdParty.h"

#include "acUnitCounter.h"

TacCheckDevEx CheckDevEx = nullptr;
TacInitDevEx InitDevEx = nullptr;
TacRefreshDevEx RefreshDevEx = nullptr;

namespace {
TacUnitCounter unitCounter;
}

void sThirdPartyInitialization() { unitCounter.StartUp(); }
void sThirdPartyFinalization() { unitCounter.ShutDown(); }
