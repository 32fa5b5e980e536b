#include "sStrings.h"

#include "SysUtils.h"
#include "acUnitCounter.h"

namespace {
TacUnitCounter counter;
}

UnicodeString TacResString::Text() const { return LoadStr(Id); }

void sStringsInitialization() { counter.StartUp(); }
void sStringsFinalization() { counter.ShutDown(); }
