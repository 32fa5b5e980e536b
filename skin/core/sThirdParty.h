#pragma once
// Hooks for an add-on that skins controls of another component suite (nil unless one sets
// them), and the sizes of image-list images as skinned controls draw them.
class TControl;
class TCustomImageList;

// True for a control whose children the add-on reaches itself (broadcasts stop there).
using TacCheckDevEx = bool (*)(TControl* control);
extern TacCheckDevEx CheckDevEx;
// Told when a skin is applied (true) or removed (false).
using TacInitDevEx = void (*)(bool active);
extern TacInitDevEx InitDevEx;
// Refreshes the add-on's controls after a new skin.
using TacRefreshDevEx = void (*)();
extern TacRefreshDevEx RefreshDevEx;

// The list's image count; 0 for nil.
int GetImageCount(TCustomImageList* images);
// Size of an image of the list at that PPI: the list's stored size (a glyph item's own size in
// a glyph list, a view's size scaled by the glyph item it shows) x ppi div 96; 0 for nil.
int GetImageWidth(TCustomImageList* images, int index, int ppi);
int GetImageHeight(TCustomImageList* images, int index, int ppi);

// Start-up and shut-down of the unit (they only count for now).
void sThirdPartyInitialization();
void sThirdPartyFinalization();
