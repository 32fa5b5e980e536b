// The skin manager: the members the skin data reads, and the files of a packed skin.
#include "sSkinManager.h"

#include "acntUtils.h"
#include "sGraphUtilsSystem.h"

TsSkinManager* DefaultManager = nullptr;

// ---------------------------------------------------------------------------------------------
// TacSkinConvertor

TacSkinConvertor::~TacSkinConvertor() { Clear(); }

void TacSkinConvertor::Clear()
{
    while (!Files.empty()) Files.pop_back();
    Options.reset();
    PackedData = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TsSkinManager

bool TsSkinManager::ExtendedBorders() const
{
    return FExtendedBorders && acSystemEntries().UpdateLayeredWindow != nullptr;
}

void TsSkinManager::SetExtendedBorders(bool value) { FExtendedBorders = value; }

TacSkinData* TsSkinManager::CommonSkinData(int) { return nullptr; }

void TsSkinManager::ReloadSkin(int) {}

// Without scale options the manager follows each control's own density, which is level 0 here.
int TsSkinManager::GetScale() const { return 0; }

int TsSkinManager::ScaleInt(int Value, int ScaleIndex) const
{
    return ScaleInteger(Value, ScaleIndex == -1 ? GetScale() : ScaleIndex);
}
