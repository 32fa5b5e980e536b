#include "sCommonData.h"

#include "SysUtils.h"

namespace {
constexpr int DefaultPPI = 96;
}

int ScaleInt(int value, TsCommonData*, bool) { return MulDiv(value, DefaultPPI, 96); }
