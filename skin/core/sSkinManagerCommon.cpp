// Loading a skin for one density: the common data of the skin file, its fonts, the palette and
// the skin data's sections and images. Only the opening step exists yet; without a source the
// reload ends there.
#include "sSkinManager.h"

void TsSkinManager::ReloadSkin(int)
{
    if (!FActive || !InitSkinFile()) return;
}

void TsSkinManager::LoadCommonData() {}

void TsSkinManager::InitSkinParams(int) {}
