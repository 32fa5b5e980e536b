#pragma once
// Skins stored inside the form file (the manager's InternalSkins) and the controller of the list
// of skins a manager can offer. For now the collection holds named items only and the
// controller keeps no list; both answer what their callers ask with nothing found.
#include "Components.h"
#include "Streams.h"

#include <memory>

class TsSkinManager;

// One packed skin archive stored with the form.
class TsStoredSkin : public TCollectionItem {
public:
    UnicodeString ClassName() const override { return L"TsStoredSkin"; }
    void Assign(const TPersistent* source) override;

    UnicodeString Name;
    std::unique_ptr<TMemoryStream> PackedData; // the whole archive, or null
};

class TsStoredSkins : public TCollection {
public:
    explicit TsStoredSkins(TsSkinManager* owner);
    UnicodeString ClassName() const override { return L"TsStoredSkins"; }
    TsStoredSkin* Items(int index) const { return static_cast<TsStoredSkin*>(TCollection::Items(index)); }
};

// The list of skins for skin selectors, and the notifications of its controls.
class TacSkinListController : public TObject {
public:
    explicit TacSkinListController(TsSkinManager* manager) : SkinManager(manager) {}
    UnicodeString ClassName() const override { return L"TacSkinListController"; }

    // Empties the list (and its images); with clearUpdate the list counts as up to date.
    void ClearList(bool clearImages = true, bool clearUpdate = false);
    void UpdateIfNeeded();
    // Tells the registered controls that the current skin changed.
    void SendSkinChanged();
    // Finishes a running scan at once.
    void CheckThread();

    TsSkinManager* SkinManager;
    bool UpdateNeeded = true;
};
