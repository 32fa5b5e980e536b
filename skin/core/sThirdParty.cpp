#include "sThirdParty.h"

#include "acUnitCounter.h"

TacCheckDevEx CheckDevEx = nullptr;

namespace {
TacUnitCounter unitCounter;
}

void sThirdPartyInitialization() { unitCounter.StartUp(); }
void sThirdPartyFinalization() { unitCounter.ShutDown(); }
