// TsAlphaImageList's items and the list's upkeep: construction and loading, adding, replacing,
// moving and deleting images, sizes, copying between lists and the change notification, all of
// which keep the items and the native images in step.
#include "acAlphaImageList.h"

#include "Dialogs.h"
#include "Files.h"
#include "sAlphaGraph.h"
#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsPng.h"

#include <shellapi.h>

#include <algorithm>

namespace {

// Every pixel's alpha is 0.
bool NoAlpha(TBitmap* bmp)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return false;
    for (int y = 0; y < rows.Height(); ++y)
        for (const TsColor_& px : rows.Row(y))
            if (px.A != 0) return false;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Items

TsImgListItem::TsImgListItem() : ImgData(std::make_unique<TMemoryStream>()) {}

TsImgListItem::~TsImgListItem()
{
    TsAlphaImageList* list = OwnerList();
    if (list && !list->ComponentState().Contains(csDestroying) && !list->ItemsUpdating && list->HandleAllocated())
        ::ImageList_Remove(list->Handle(), Index());
}

TsAlphaImageList* TsImgListItem::OwnerList() const
{
    auto* items = dynamic_cast<TsImgListItems*>(Collection());
    return items ? items->FOwner : nullptr;
}

void TsImgListItem::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TsImgListItem*>(source);
    if (!src) {
        TCollectionItem::Assign(source);
        return;
    }
    if (src == this) return;
    FImageFormat = src->FImageFormat;
    FImageName = src->FImageName;
    FPixelFormat = src->FPixelFormat;
    OrigWidth = src->OrigWidth;
    OrigHeight = src->OrigHeight;
    FText = src->FText;
    SetImgDataBytes(src->ImgDataBytes());
    src->ImgData->SetPosition(0);
    CacheBmp.reset();
}

void TsImgListItem::AssignTo(TPersistent* dest) const
{
    if (auto* item = dynamic_cast<TsImgListItem*>(dest)) item->Assign(this);
    else TCollectionItem::AssignTo(dest);
}

std::span<const std::uint8_t> TsImgListItem::ImgDataBytes() const { return MemoryStreamBytes(*ImgData); }

void TsImgListItem::SetImgDataBytes(std::span<const std::uint8_t> bytes)
{
    SetMemoryStreamBytes(*ImgData, bytes);
    CacheBmp.reset();
}

TsImgListItems::TsImgListItems(TsAlphaImageList* owner)
    : TCollection(TCollection::ItemClass<TsImgListItem>(), owner), FOwner(owner)
{
}

// ---------------------------------------------------------------------------------------------
// Life

TsAlphaImageList::TsAlphaImageList(TComponent* owner)
    : TacImageList(owner), FItems(std::make_unique<TsImgListItems>(this))
{
}

TsAlphaImageList::~TsAlphaImageList()
{
    ItemsUpdating = true;
    FItems.reset();
}

void TsAlphaImageList::Loaded()
{
    TacImageList::Loaded();
    LoadedSizes(false);
    LoadedStdList();
}

bool TsAlphaImageList::IsDuplicated() const { return DoubleData || ComponentState().Contains(csDesigning); }

HIMAGELIST TsAlphaImageList::CreateImageListHandle()
{
    if (SavedWidth == 0 && FLoaded && !Loading()) {
        SavedWidth = Width();
        SavedHeight = Height();
    }
    const int w = SavedWidth ? SavedWidth : Width();
    const int h = SavedHeight ? SavedHeight : Height();
    HIMAGELIST list = ::ImageList_Create(w, h, ILC_COLOR32 | (Masked() ? ILC_MASK : 0), 0, AllocBy());
    if (!list) throw EOutOfResources(L"Out of system resources");
    const TColor bk = TCustomImageList::BkColor();
    ::ImageList_SetBkColor(list, bk == clNone ? CLR_NONE : ColorToGdi(bk));
    return list;
}

// ---------------------------------------------------------------------------------------------
// Counts and notification

int TsAlphaImageList::ItemCount() const { return FItems ? FItems->Count() : 0; }

int TsAlphaImageList::GetCount() const
{
    if (!FItems) return 0;
    const int native = HandleAllocated() ? ::ImageList_GetImageCount(const_cast<TsAlphaImageList*>(this)->Handle()) : 0;
    if (native > FItems->Count() && (FItems->Count() == 0 || FItems->Items(0)->ImageFormat() == ifICO))
        const_cast<TsAlphaImageList*>(this)->UpdateFromStd();
    // The count after a rebuild, so that the call rebuilding the items accepts their indexes.
    return FItems->Count();
}

void TsAlphaImageList::UpdateFromStd()
{
    {
        TacChangingScope updating(ItemsUpdating);
        FItems->Clear();
    }
    HIMAGELIST list = Handle();
    const int count = ::ImageList_GetImageCount(list);
    for (int i = 0; i < count; ++i) {
        HICON handle = ::ImageList_GetIcon(list, i, ILD_NORMAL);
        if (!handle) continue;
        TIcon icon;
        icon.SetHandle(handle);
        TsImgListItem* item = FItems->Add();
        icon.SaveToStream(*item->ImgData);
        item->ImgData->SetPosition(0);
        item->OrigWidth = icon.Width();
        item->OrigHeight = icon.Height();
        item->SetImageFormat(ifICO);
    }
}

void TsAlphaImageList::Change()
{
    if (AcChanging || !HandleAllocated() || Loading() || !StdListIsGenerated) return;
    const int native = ::ImageList_GetImageCount(Handle());
    if (IsDuplicated() && native <= FItems->Count()) {
        if (native < FItems->Count()) {
            // Native images went missing (a new size empties the native list): make them again.
            GenerateStdList();
        }
        TacImageList::Change();
        return;
    }
    TacImageList::Change();
    // Native images without any alpha get it, except on key-coloured pixels.
    for (int i = 0; i < native; ++i) {
        HICON icon = ::ImageList_GetIcon(Handle(), i, ILD_NORMAL);
        if (!icon) continue;
        ICONINFO info{};
        const bool got = ::GetIconInfo(icon, &info);
        ::DestroyIcon(icon);
        if (!got) continue;
        TBitmap colour;
        if (info.hbmColor) colour.SetHandle(info.hbmColor);
        if (!colour.Empty()) {
            colour.SetPixelFormat(pf32bit);
            if (NoAlpha(&colour)) {
                TacBmpRows rows(&colour);
                for (int y = 0; y < rows.Height(); ++y)
                    for (TsColor_& px : rows.Row(y))
                        if ((px.I & 0xFFFFFF) != sFuchsia) px.A = 255;
                ICONINFO fixed{TRUE, 0, 0, info.hbmMask, colour.Handle()};
                if (HICON made = ::CreateIconIndirect(&fixed)) {
                    ::ImageList_ReplaceIcon(Handle(), i, made);
                    ::DestroyIcon(made);
                }
            }
        }
        if (info.hbmMask) ::DeleteObject(info.hbmMask);
    }
}

// ---------------------------------------------------------------------------------------------
// Adding and changing images

int TsAlphaImageList::AppendIcon(HICON icon)
{
    if (!icon) return -1;
    const int index = ::ImageList_ReplaceIcon(Handle(), -1, icon);
    ::DestroyIcon(icon);
    return index;
}

int TsAlphaImageList::Add(TBitmap* bitmap, TBitmap*)
{
    if (!bitmap || bitmap->Empty()) return -1;
    // Work on a copy: the caller's bitmap keeps its format.
    TBitmap image;
    image.Assign(bitmap);
    if (image.PixelFormat() != pf32bit) {
        const TColor key = bitmap->Transparent() ? static_cast<TColor>(bitmap->TransparentColor() & 0xFFFFFF) : clNone;
        image.SetPixelFormat(pf32bit);
        FillAlphaRect(&image, TRect(0, 0, image.Width(), image.Height()), 255, key);
    }
    const int index = AppendIcon(MakeIcon32(&image));
    if (index >= 0 && IsDuplicated()) {
        TsImgListItem* item = FItems->Add();
        image.SaveToStream(*item->ImgData);
        item->ImgData->SetPosition(0);
        item->SetImageFormat(ifBMP32);
        item->SetPixelFormat(pf32bit);
        item->OrigWidth = image.Width();
        item->OrigHeight = image.Height();
    }
    Change();
    return index;
}

int TsAlphaImageList::AddImage(TCustomImageList* source, int index)
{
    auto* src = dynamic_cast<TsAlphaImageList*>(source);
    if (!src) {
        if (!source || index < 0 || index >= source->Count() || !source->HandleAllocated()) return -1;
        const int added = AppendIcon(::ImageList_GetIcon(source->Handle(), index, ILD_TRANSPARENT));
        Change();
        return added;
    }
    if (index < 0 || index >= src->Items()->Count()) return -1;
    AcBeginUpdate();
    FItems->Add()->Assign(src->Items()->Items(index));
    AcEndUpdate(true);
    return FItems->Count();
}

void TsAlphaImageList::Replace(int index, TBitmap* bitmap)
{
    if (!HandleAllocated() || !bitmap || bitmap->Empty() || index < 0 || index >= FItems->Count()) return;
    TBitmap image;
    image.Assign(bitmap);
    if (image.PixelFormat() != pf32bit) {
        image.SetPixelFormat(pf32bit);
        FillAlphaRect(&image, TRect(0, 0, image.Width(), image.Height()), 255, clNone);
    }
    if (IsDuplicated()) {
        TsImgListItem* item = FItems->Items(index);
        item->CacheBmp.reset();
        item->ImgData->Clear();
        image.SaveToStream(*item->ImgData);
        item->ImgData->SetPosition(0);
        item->SetImageFormat(ifBMP32);
        item->SetPixelFormat(pf32bit);
        item->OrigWidth = image.Width();
        item->OrigHeight = image.Height();
    }
    if (HICON icon = MakeIcon32(&image)) {
        ::ImageList_ReplaceIcon(Handle(), index, icon);
        ::DestroyIcon(icon);
    }
    GenerateStdList();
    Change();
}

void TsAlphaImageList::Delete(int index)
{
    if (FItems->Count() == 0) return;
    FItems->Delete(index);
    Change();
}

void TsAlphaImageList::ItemsClear()
{
    for (int i = 0; i < FItems->Count(); ++i) FItems->Items(i)->ImgData->Clear();
    FItems->Clear();
}

void TsAlphaImageList::Clear()
{
    ItemsClear();
    TacImageList::Clear();
}

void TsAlphaImageList::MoveItem(int curIndex, int newIndex)
{
    if (curIndex == newIndex || curIndex < 0 || newIndex < 0 || curIndex >= FItems->Count() ||
        newIndex >= FItems->Count())
        return;
    FItems->Items(curIndex)->SetIndex(newIndex);
    if (HandleAllocated() && std::max(curIndex, newIndex) < ::ImageList_GetImageCount(Handle()))
        TacImageList::Move(curIndex, newIndex);
    else Change();
}

// ---------------------------------------------------------------------------------------------
// Loading

bool TsAlphaImageList::TryLoadFromFile(const UnicodeString& fileName)
{
    if (!HandleAllocated()) GenerateStdList();
    TsImageFormat format;
    if (!HandleAllocated() || !GetImageFormat(fileName, format)) return false;
    // Decode first: a file that cannot be used adds nothing.
    auto data = std::make_unique<TMemoryStream>();
    HICON icon = nullptr;
    int w = 0, h = 0;
    TPixelFormat pixelFormat = pf32bit;
    try {
        data->LoadFromFile(fileName);
        data->SetPosition(0);
        switch (format) {
        case ifPNG: {
            auto bmp = CreateBmp32(0, 0);
            LoadBmpFromPngStream(bmp.get(), *data);
            w = bmp->Width();
            h = bmp->Height();
            icon = MakeIcon32(bmp.get());
            break;
        }
        case ifICO: {
            icon = ::ExtractIconW(::GetModuleHandleW(nullptr), fileName.c_str(), 0);
            if (reinterpret_cast<UINT_PTR>(icon) <= 1) icon = nullptr;
            ICONINFO info{};
            if (icon && ::GetIconInfo(icon, &info)) {
                TBitmap colour;
                if (info.hbmColor) colour.SetHandle(info.hbmColor);
                w = colour.Width();
                h = colour.Height();
                pixelFormat = colour.PixelFormat() == pf32bit && !NoAlpha(&colour) ? pf32bit : pf24bit;
                if (info.hbmMask) ::DeleteObject(info.hbmMask);
            }
            break;
        }
        case ifBMP32: {
            TBitmap bmp;
            bmp.LoadFromStream(*data);
            data->SetPosition(0);
            w = bmp.Width();
            h = bmp.Height();
            if (bmp.PixelFormat() != pf32bit) {
                const TColor key = bmp.Canvas()->Pixels(0, h - 1);
                bmp.SetPixelFormat(pf32bit);
                ChangeBitmapPixels(&bmp, MakeAlphaPixel, 0, key);
            }
            icon = MakeIcon32(&bmp);
            break;
        }
        }
    } catch (const Exception&) {
        if (icon) ::DestroyIcon(icon);
        icon = nullptr;
    }
    Change();
    if (!icon || w <= 0 || h <= 0) {
        if (icon) ::DestroyIcon(icon);
        return false;
    }
    const int index = AppendIcon(icon);
    if (index < 0) return false;
    if (IsDuplicated()) {
        TsImgListItem* item = FItems->Add();
        data->SetPosition(0);
        item->ImgData = std::move(data);
        item->SetImageFormat(format);
        item->SetPixelFormat(pixelFormat);
        const UnicodeString name = ExtractFileName(fileName);
        item->SetImageName(name.length() > 4 ? name.substr(0, name.length() - 4) : UnicodeString());
        item->OrigWidth = w;
        item->OrigHeight = h;
    }
    Change();
    return true;
}

void TsAlphaImageList::LoadFromFile(const UnicodeString& fileName)
{
    if (TryLoadFromFile(fileName)) return;
    ::SetLastError(1006);
    throw Exception(L"Cannot load " + fileName + L"\r\nInvalid or unexpected image format.");
}

bool TsAlphaImageList::TryLoadFromPngStream(TStream& stream)
{
    if (!HandleAllocated()) GenerateStdList();
    if (!HandleAllocated()) return false;
    auto data = std::make_unique<TMemoryStream>();
    auto bmp = CreateBmp32(0, 0);
    HICON icon = nullptr;
    try {
        data->LoadFromStream(stream);
        data->SetPosition(0);
        LoadBmpFromPngStream(bmp.get(), *data);
        icon = MakeIcon32(bmp.get());
    } catch (const Exception&) {
        return false;
    }
    const int index = AppendIcon(icon);
    if (index < 0) return false;
    if (IsDuplicated()) {
        TsImgListItem* item = FItems->Add();
        data->SetPosition(0);
        item->ImgData = std::move(data);
        item->SetImageFormat(ifPNG);
        item->SetPixelFormat(pf32bit);
        item->OrigWidth = bmp->Width();
        item->OrigHeight = bmp->Height();
    }
    Change();
    return true;
}

void TsAlphaImageList::LoadFromPngStream(TStream& stream)
{
    if (!TryLoadFromPngStream(stream))
        MessageDlg(L"Cannot load from stream\r\nInvalid or unexpected image format.", mtError, TMsgDlgButtons{mbOK}, 0);
}

// ---------------------------------------------------------------------------------------------
// Sizes and properties

void TsAlphaImageList::SetDimension(int index, int value)
{
    StoreDimension(index, value, FLoaded);
    if (!Loading() && FLoaded && HandleAllocated() && GetCount() <= FItems->Count() && !AcChanging) {
        GenerateStdList();
        Change();
    }
}

TColor TsAlphaImageList::GetBkColor() const
{
    return FBkColor != clNone ? FBkColor : TCustomImageList::BkColor();
}

void TsAlphaImageList::SetBkColor(TColor value)
{
    FBkColor = value;
    TCustomImageList::SetBkColor(value);
}

void TsAlphaImageList::SetItems(TsImgListItems* value) { FItems->Assign(value); }

void TsAlphaImageList::SetUseCache(bool value)
{
    FUseCache = value;
    if (!value) ClearCache(-1);
}

void TsAlphaImageList::ClearCache(int index) { ClearItemsCache(*FItems, index); }

// ---------------------------------------------------------------------------------------------
// Copying

void TsAlphaImageList::Assign(const TPersistent* source)
{
    TsAlphaImageList* src = AssignSource<TsAlphaImageList>(source);
    if (!src) return;
    AcBeginUpdate();
    AssignListSettings(src);
    SetNewDimensions(src->Handle());
    KillImgList();
    CreateImgList();
    SetBkColor(NativeBkColor(src->Handle()));
    SetBlendColor(src->BlendColor());
    CopyImages(src);
    AcEndUpdate(false);
}

void TsAlphaImageList::AssignTo(TPersistent* dest) const
{
    if (auto* list = dynamic_cast<TsAlphaImageList*>(dest)) {
        list->ItemsClear();
        list->Assign(this);
        return;
    }
    TacImageList::AssignTo(dest);
}

void TsAlphaImageList::CopyImages(TsAlphaImageList* source)
{
    if (!source || source == this) return;
    if (HandleAllocated()) ::ImageList_SetBkColor(source->Handle(), CLR_NONE);
    if (IsDuplicated()) {
        {
            TacChangingScope updating(ItemsUpdating);
            FItems->Clear();
        }
        for (int i = 0; i < source->Items()->Count(); ++i) FItems->Add()->Assign(source->Items()->Items(i));
        GenerateStdList();
        return;
    }
    ::ImageList_Remove(Handle(), -1);
    HIMAGELIST from = source->Handle();
    for (int i = 0; i < ::ImageList_GetImageCount(from); ++i)
        AppendIcon(::ImageList_GetIcon(from, i, ILD_TRANSPARENT));
}
