// Image lists steered by the skin engine: no library list is registered yet.
#include "acAlphaImageList.h"

void IterateImageLists(const TacImageListProc&, std::intptr_t) {}

void SetBaseColor(TCustomImageList*, std::intptr_t) {}

void ScaleImageList(TCustomImageList*, std::intptr_t) {}

void ClearImgListCache(TCustomImageList*, std::intptr_t) {}

// ---------------------------------------------------------------------------------------------
// The alpha image list's thumbnail members

#include "acPNG.h"
#include "sGraphUtilsPng.h"

TsAlphaImageList::TsAlphaImageList(TComponent* owner) : TCustomImageList(owner)
{
    SetColorDepth(cd32Bit);
    SetMasked(false);
}

void TsAlphaImageList::SetDimension(int index, int value)
{
    if (index == 0) SetHeight(value);
    else SetWidth(value);
}

void TsAlphaImageList::Clear()
{
    items_->Clear();
    TCustomImageList::Clear();
}

bool TsAlphaImageList::TryLoadFromPngStream(TMemoryStream& stream)
{
    if (!HandleAllocated()) return false;
    stream.SetPosition(0);
    if (!TPNGGraphic::CanLoadFromStream(stream)) return false;
    TBitmap bmp;
    try {
        stream.SetPosition(0);
        LoadBmpFromPngStream(&bmp, stream);
    } catch (const Exception&) {
        return false;
    }
    if (bmp.Width() <= 0 || bmp.Height() <= 0) return false;
    try {
        if (Add(&bmp, nullptr) < 0) return false;
    } catch (const Exception&) {
        return false;
    }
    TsImgListItem* item = items_->Add();
    stream.SetPosition(0);
    item->ImgData->LoadFromStream(stream);
    return true;
}

void TsAlphaImageList::GenerateStdList() {}
