#pragma once
// The library's image lists as the skin engine steers them all at once: a walk over every list
// of the application and the steps the engine applies to each. No library list exists yet, so
// the walk finds none.
#include "ImageList.h"

#include <cstdint>
#include <functional>

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
