// Mirroring of the title-bar button images for right-to-left applications. Nothing is mirrored
// yet.
#include "sSkinManager.h"

void TsSkinManager::FlipImages(bool) {}
