#pragma once
// The form skin provider's unit routines.
#include <optional>

// True when desktop composition is on. Asked once (on Windows Vista and later, through the
// desktop window manager bound on first use), then cached.
bool AeroIsEnabled();
// Test seam: a set value answers instead of the system until reset with nullopt.
void SetAeroIsEnabledOverride(std::optional<bool> value);
