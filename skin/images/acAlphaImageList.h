#pragma once
// The library's image lists as the skin engine steers them all at once: a walk over every list
// of the application and the steps the engine applies to each. No library list exists yet, so
// the walk finds none.
#include "Components.h"
#include "ImageList.h"
#include "Streams.h"

#include <cstdint>
#include <functional>
#include <memory>

using TacImageListProc = std::function<void(TCustomImageList* list, std::intptr_t data)>;

// Calls proc for every library image list of the application, in registration order.
void IterateImageLists(const TacImageListProc& proc, std::intptr_t data);
// Gives a library image list its base colour (data: the colour).
void SetBaseColor(TCustomImageList* list, std::intptr_t data);
// Rescales a library image list (data: the PPI).
void ScaleImageList(TCustomImageList* list, std::intptr_t data);
// Drops the rendered items of character and virtual image lists, so they are rebuilt with the
// new skin.
void ClearImgListCache(TCustomImageList* list, std::intptr_t data);

// ---------------------------------------------------------------------------------------------
// The file-backed alpha image list, as far as the skin list's thumbnails use it: each item keeps
// the bytes of its image file; PNG items are decoded into 32-bit images of the list.

class TsImgListItem : public TCollectionItem {
public:
    UnicodeString ClassName() const override { return L"TsImgListItem"; }
    std::unique_ptr<TMemoryStream> ImgData = std::make_unique<TMemoryStream>(); // the file, unchanged
};

class TsImgListItems : public TCollection {
public:
    TsImgListItems() : TCollection(TCollection::ItemClass<TsImgListItem>()) {}
    UnicodeString ClassName() const override { return L"TsImgListItems"; }
    TsImgListItem* Add() { return static_cast<TsImgListItem*>(TCollection::Add()); }
    TsImgListItem* Items(int index) const { return static_cast<TsImgListItem*>(TCollection::Items(index)); }
};

class TsAlphaImageList : public TCustomImageList {
public:
    explicit TsAlphaImageList(TComponent* owner);
    UnicodeString ClassName() const override { return L"TsAlphaImageList"; }

    // The image size at 96 PPI: index 0 the height, 1 the width.
    int GetDimension(int index) const { return index == 0 ? Height() : Width(); }
    void SetDimension(int index, int value);
    // Removes every image and item.
    void Clear();
    // Adds the image of stream (read from its start) when the handle exists and the data is a
    // PNG file; the item keeps the bytes. False when nothing was added.
    bool TryLoadFromPngStream(TMemoryStream& stream);
    // Renders the items into the list.
    void GenerateStdList();
    TsImgListItems* Items() const { return items_.get(); }

    bool AllowScale = true;

private:
    std::unique_ptr<TsImgListItems> items_ = std::make_unique<TsImgListItems>();
};
