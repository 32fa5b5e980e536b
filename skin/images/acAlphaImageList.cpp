// Image lists steered by the skin engine: no library list is registered yet.
#include "acAlphaImageList.h"

void IterateImageLists(const TacImageListProc&, std::intptr_t) {}

void SetBaseColor(TCustomImageList*, std::intptr_t) {}

void ScaleImageList(TCustomImageList*, std::intptr_t) {}

void ClearImgListCache(TCustomImageList*, std::intptr_t) {}
