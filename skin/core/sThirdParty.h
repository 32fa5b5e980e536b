#pragma once
// Hooks for an add-on that skins controls of another component suite; nil unless one sets them.
class TControl;

// True for a control whose children the add-on reaches itself (broadcasts stop there).
using TacCheckDevEx = bool (*)(TControl* control);
extern TacCheckDevEx CheckDevEx;
// Told when a skin is applied (true) or removed (false).
using TacInitDevEx = void (*)(bool active);
extern TacInitDevEx InitDevEx;
// Refreshes the add-on's controls after a new skin.
using TacRefreshDevEx = void (*)();
extern TacRefreshDevEx RefreshDevEx;

// Start-up and shut-down of the unit (they only count for now).
void sThirdPartyInitialization();
void sThirdPartyFinalization();
