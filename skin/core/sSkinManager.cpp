#include "sSkinManager.h"

TsSkinManager* DefaultManager = nullptr;

TacSkinData* TsSkinManager::CommonSkinData(int) { return nullptr; }
