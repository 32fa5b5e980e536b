#pragma once
// Per-control skin data.
#include "Objects.h"

class TsCommonData;

// Value scaled from 96 PPI to the density the control's skin data paints at. For now there is
// no manager to ask: MulDiv(value, DefaultPPI, 96) with DefaultPPI 96.
int ScaleInt(int value, TsCommonData* commonData = nullptr, bool useControlPPI = false);
