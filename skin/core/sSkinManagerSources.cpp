// Where the manager finds a skin: the editor's text, a skin folder, a packed file or a stored
// skin. No source is read yet, so every skin counts as not found and the manager goes inactive.
#include "sSkinManager.h"

#include "acntUtils.h"

bool TsSkinManager::InitSkinFile()
{
    SkinIsPacked = false;
    sc.reset();
    FActive = false;
    return false;
}

UnicodeString TsSkinManager::GetSkinNames(TStrings* List, bool, TacSkinTypes)
{
    if (List) List->Clear();
    return UnicodeString();
}

UnicodeString TsSkinManager::GetFullSkinDirectory() { return NormalDir(FSkinDirectory); }
