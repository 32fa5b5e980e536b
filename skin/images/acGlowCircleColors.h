#pragma once
// The colours of click circles, shared by their choice and their steps.
#include "Colors.h"
#include "Types.h"

class TsCommonData;

enum class CircleColorSource { Control, CheckBox };

// The light colour of State of the control's colour source: the track-bar section for class
// codes 8, 26 and 91, the check-box section for 40 (or when Source says so), else the
// control's own section; -1 when unset or without a section.
TColor CircleLightColor(TsCommonData* SkinData, int State, CircleColorSource Source = CircleColorSource::Control);
// Color, or for -1 the system button-text colour with Alpha in the top byte.
TColor CircleAlphaColor(TColor Color, BYTE Alpha);
