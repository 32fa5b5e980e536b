// Stored skins and the skin list controller: the collection's items and a controller without a
// list yet.
#include "sStoredSkins.h"

#include "sSkinManager.h"

void TsStoredSkin::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TsStoredSkin*>(source);
    if (!other) {
        TCollectionItem::Assign(source);
        return;
    }
    Name = other->Name;
    PackedData.reset();
    if (other->PackedData) {
        PackedData = std::make_unique<TMemoryStream>();
        PackedData->LoadFromStream(*other->PackedData);
    }
}

TsStoredSkins::TsStoredSkins(TsSkinManager* owner) : TCollection(TCollection::ItemClass<TsStoredSkin>(), owner) {}

void TacSkinListController::ClearList(bool, bool clearUpdate)
{
    if (clearUpdate) UpdateNeeded = false;
}

void TacSkinListController::UpdateIfNeeded() { UpdateNeeded = false; }

void TacSkinListController::SendSkinChanged() {}

void TacSkinListController::CheckThread() {}
