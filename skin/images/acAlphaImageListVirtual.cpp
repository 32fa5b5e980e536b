// Virtual image list: renderings of the source's images at the view's size through the per-index
// cache, the native list made from them, and the reactions to size, source and option changes.
#include "acAlphaImageListVirtual.h"
#include "acAlphaImageListChar.h"

#include "FormReader.h"
#include "TypInfo.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sGraphUtils.h"
#include "sSkinManager.h"
#include "sThirdParty.h"

#include <algorithm>

namespace {

TacCharListItem* CharItem(TacImageList* source, int index)
{
    auto* chars = dynamic_cast<TsCharImageList*>(source);
    if (!chars || index < 0 || index >= chars->Items()->Count()) return nullptr;
    return chars->Items()->Items(index);
}

} // namespace

TsVirtualImageList::TsVirtualImageList(TComponent* owner)
    : TCustomImageList(owner), FImageChangeLink(std::make_unique<TChangeLink>())
{
    SetSize(FWidth, FHeight);
    SetForeColor(clNone);
    SetDrawingStyle(dsTransparent);
    FImageChangeLink->OnChange = [this](TObject* sender) { ImageListChange(sender); };
    RegisterImageList(this);
}

TsVirtualImageList::~TsVirtualImageList()
{
    UnregisterImageList(this);
    AcChanging = true;
    FImageChangeLink.reset();
    if (FAlphaImageList) FAlphaImageList->RemoveFreeNotification(this);
    CachedImages.clear();
}

void TsVirtualImageList::Loaded()
{
    TCustomImageList::Loaded();
    KillImgList();
    CreateImgList();
    CurrentScale = 0;
    UpdateList(false);
    GenerateStdList();
}

void TsVirtualImageList::Notification(TComponent* component, TOperation operation)
{
    TCustomImageList::Notification(component, operation);
    // The source is half gone: its link list no longer exists, so only the pointer is dropped.
    if (operation != opRemove || !component || component != FAlphaImageList) return;
    FAlphaImageList = nullptr;
    ClearItems(-1);
    if (!ComponentState().Contains(csDestroying)) UpdateList(true);
}

void TsVirtualImageList::AcEndUpdate(bool regenerate)
{
    AcChanging = false;
    if (!HandleAllocated()) CreateImgList();
    UpdateList(true);
    const TsSkinManager* manager = DefaultManager;
    if (regenerate && !(manager && manager->ManagerState.Contains(msSkinChanging))) Change();
}

int TsVirtualImageList::GetCount() const { return FAlphaImageList ? FAlphaImageList->Count() : 0; }

void TsVirtualImageList::ClearItems(int index)
{
    if (index < 0) CachedImages.clear();
    else if (index < static_cast<int>(CachedImages.size())) CachedImages[static_cast<std::size_t>(index)].reset();
}

std::unique_ptr<TBitmap> TsVirtualImageList::Render(int index, int width, int height)
{
    auto bmp = CreateBmp32(width, height);
    bmp->Canvas()->Font()->SetColor(FForeColor);
    if (!FAlphaImageList || !FAlphaImageList->GetBitmap32(index, bmp.get(), GetImageHeight(this, -1, PixelsPerInch)))
        return nullptr;
    // The source may have replaced the bitmap's contents and font: the colour stays the key.
    bmp->Canvas()->Font()->SetColor(FForeColor);
    return bmp;
}

void TsVirtualImageList::RenderCacheNow(int index)
{
    if (!FUseCache || !FAlphaImageList) return;
    const int count = GetCount();
    if (static_cast<int>(CachedImages.size()) < count) CachedImages.resize(static_cast<std::size_t>(count));
    const int first = index < 0 ? 0 : index;
    const int last = index < 0 ? count - 1 : std::min(index, count - 1);
    for (int i = first; i <= last; ++i) {
        auto& slot = CachedImages[static_cast<std::size_t>(i)];
        if (!slot) slot = Render(i, FWidth, FHeight);
    }
}

void TsVirtualImageList::UpdateList(bool force)
{
    if (!force && StdListIsGenerated) return;
    if (AcChanging || !HandleAllocated()) return;
    GenerateStdList();
    StdListIsGenerated = GetCount() > 0;
    Change();
}

void TsVirtualImageList::GenerateStdList()
{
    if (!HandleAllocated() || !FStdHandleUsed || AcChanging) return;
    SetForeColor(clNone);
    AcChanging = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{AcChanging};
    CachedImages.clear();
    ::ImageList_Remove(Handle(), -1);
    if (FAlphaImageList) {
        const int count = GetCount();
        if (FUseCache) CachedImages.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            auto bmp = CreateBmp32(FWidth, FHeight);
            bmp->Canvas()->Font()->SetColor(FForeColor);
            if (!FAlphaImageList->GetBitmap32(i, bmp.get(), GetImageHeight(this, -1, PixelsPerInch))) continue;
            AddAsIcon(bmp.get(), -1);
            if (FUseCache) CachedImages[static_cast<std::size_t>(i)] = std::move(bmp);
        }
    }
    StdListIsGenerated = true;
}

bool TsVirtualImageList::GetBitmap32(int index, TBitmap* bmp, int fontHeight)
{
    if (!HandleAllocated() || index < 0 || !FAlphaImageList || !bmp) return false;
    if (fontHeight == 0) fontHeight = GetImageHeight(this, -1, PixelsPerInch);
    if (CanUseCache() && bmp->Width() == FWidth && bmp->Height() == FHeight) {
        if (index >= GetCount()) return false;
        if (static_cast<int>(CachedImages.size()) <= index) CachedImages.resize(static_cast<std::size_t>(index) + 1);
        auto& slot = CachedImages[static_cast<std::size_t>(index)];
        // Drawing at another density caches other sizes in the same slots: only a rendering at
        // the list's size is this one.
        if (slot && (slot->Width() != FWidth || slot->Height() != FHeight)) slot.reset();
        if (!slot) {
            auto fresh = CreateBmp32(FWidth, FHeight);
            fresh->Canvas()->Font()->SetColor(FForeColor);
            if (!FAlphaImageList->GetBitmap32(index, fresh.get(), fontHeight)) return false;
            fresh->Canvas()->Font()->SetColor(FForeColor);
            slot = std::move(fresh);
        }
        CopyBmp(bmp, slot.get());
        return true;
    }
    if (index >= GetImageCount(FAlphaImageList)) return false;
    FAlphaImageList->GetBitmap32(index, bmp, fontHeight);
    return true;
}

std::unique_ptr<TBitmap> TsVirtualImageList::CreateBitmap32(int index)
{
    if (index < 0 || index >= GetCount() || !FAlphaImageList) return nullptr;
    if (FUseCache) {
        // Sized first: GetBitmap32 takes the cache path only for a bitmap of the list's size.
        auto bmp = CreateBmp32(FWidth, FHeight);
        if (!GetBitmap32(index, bmp.get(), GetImageHeight(this, index, PixelsPerInch))) return nullptr;
        return bmp;
    }
    return FAlphaImageList->CreateBitmap32(index, FWidth, GetImageHeight(this, -1, PixelsPerInch), FHeight);
}

void TsVirtualImageList::AddAsIcon(TBitmap* bitmap, int index)
{
    if (!bitmap) return;
    TBitmap* src = bitmap;
    std::unique_ptr<TBitmap> centre;
    if (bitmap->Width() != FWidth || bitmap->Height() != FHeight) {
        centre = CreateBmp32(FWidth, FHeight);
        const int dy = (bitmap->Height() - FHeight) / 2;
        const int dx = (bitmap->Width() - FWidth) / 2;
        ::BitBlt(centre->Canvas()->Handle(), 0, 0, FWidth, FHeight, bitmap->Canvas()->Handle(), dx, dy, SRCCOPY);
        src = centre.get();
    }
    AddBitmapIcon(Handle(), src, index);
}

double TsVirtualImageList::ScaleValue() const
{
    // Compared at 96 PPI, where neither width is rounded.
    auto* self = const_cast<TsVirtualImageList*>(this);
    const int sourceWidth = GetImageWidth(FAlphaImageList, -1, 96);
    if (sourceWidth == 0) return 1.0;
    return static_cast<double>(GetImageWidth(self, -1, 96)) / sourceWidth;
}

void TsVirtualImageList::SetCharColor(TColor color, int index, bool isDefault)
{
    if (!dynamic_cast<TsCharImageList*>(FAlphaImageList)) return;
    const TacCharListItem* item = CharItem(FAlphaImageList, index);
    if (!isDefault && item && item->Color() != clNone) SetForeColor(item->Color());
    else SetForeColor(color);
}

void TsVirtualImageList::SetForeColor(TColor value)
{
    FForeColor = value;
    if (auto* chars = dynamic_cast<TsCharImageList*>(FAlphaImageList)) chars->ForeColor = value;
}

void TsVirtualImageList::SetAlphaImageList(TacImageList* value)
{
    if (value == FAlphaImageList) return;
    if (FAlphaImageList) {
        FAlphaImageList->UnRegisterChanges(FImageChangeLink.get());
        FAlphaImageList->RemoveFreeNotification(this);
    }
    FAlphaImageList = value;
    // Renderings of the old source would be shown for the new one's indexes.
    ClearItems(-1);
    if (value) {
        value->RegisterChanges(FImageChangeLink.get());
        value->FreeNotification(this);
    }
    if (!AcChanging) Handle();
    if (!Loading()) UpdateList(true);
}

void TsVirtualImageList::SetInteger(int index, int value)
{
    int& field = index == 0 ? FHeight : FWidth;
    if (field == value) return;
    field = value;
    // Renderings at the old size would be copied out at that size (GetBitmap32 sizes its target
    // like the cached bitmap); the native list's rebuild does not run when locked or unused.
    ClearItems(-1);
    KillImgList();
    SetSize(FWidth, FHeight);
    if (AcChanging) return;
    CreateImgList();
    ::ImageList_Remove(Handle(), -1);
    UpdateList(true);
}

void TsVirtualImageList::SetStdHandleUsed(bool value)
{
    if (FStdHandleUsed == value) return;
    FStdHandleUsed = value;
    if (value) GenerateStdList();
    else if (HandleAllocated()) ::ImageList_Remove(Handle(), -1);
}

void TsVirtualImageList::SetUseCache(bool value)
{
    if (FUseCache == value) return;
    if (!value) ClearItems(-1);
    FUseCache = value;
    UpdateList(true);
}

void TsVirtualImageList::CreateImgList() { Handle(); }

void TsVirtualImageList::KillImgList()
{
    FreeHandle();
    Change();
}

void TsVirtualImageList::Change()
{
    if (!AcChanging) TCustomImageList::Change();
}

HIMAGELIST TsVirtualImageList::CreateImageListHandle()
{
    HIMAGELIST list = ::ImageList_Create(std::max(1, FWidth), std::max(1, FHeight),
                                         ILC_COLOR32 | (Masked() ? ILC_MASK : 0), 0, AllocBy());
    if (!list) throw EOutOfResources(L"Out of system resources");
    return list;
}

void TsVirtualImageList::ImageListChange(TObject*)
{
    if (Loading()) return;
    // The source's indexes may have moved.
    ClearItems(-1);
    UpdateList(true);
}

void TsVirtualImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT, bool)
{
    if (!HandleAllocated() || !canvas || index < 0 || index >= GetCount()) return;
    TFont* font = canvas->Font();
    const TacCharListItem* item = CharItem(FAlphaImageList, index);
    if (font->Size() == 0) SetForeColor(font->Color());
    else if (item && item->Color() != clNone) SetForeColor(clNone);
    else SetForeColor(font->Color());

    const int w = GetImageWidth(this, index, PixelsPerInch);
    const int h = GetImageHeight(this, index, PixelsPerInch);
    if (w <= 0 || h <= 0) return;
    TBitmap* image = nullptr;
    std::unique_ptr<TBitmap> temporary;
    if (CanUseCache()) {
        if (static_cast<int>(CachedImages.size()) <= index) CachedImages.resize(static_cast<std::size_t>(index) + 1);
        auto& slot = CachedImages[static_cast<std::size_t>(index)];
        // Dropped when any side or the colour differs, so no rendering is reused at a wrong size.
        if (slot && (slot->Width() != w || slot->Height() != h || slot->Canvas()->Font()->Color() != FForeColor))
            slot.reset();
        if (!slot) slot = Render(index, w, h);
        image = slot.get();
    } else {
        if (State > 0) SetImagesState(FAlphaImageList, State);
        temporary = Render(index, w, h);
        if (State > 0) SetImagesState(FAlphaImageList, 0);
        image = temporary.get();
    }
    if (!image) return;
    int dx = 0, dy = 0;
    if (item && item->ScalingFactor() != 1.0) {
        dx = (image->Width() - FWidth * PixelsPerInch / 96) / 2;
        dy = (image->Height() - FHeight * PixelsPerInch / 96) / 2;
    }
    const int iw = image->Width(), ih = image->Height();
    auto under = CreateBmp32(iw, ih);
    ::BitBlt(under->Canvas()->Handle(), 0, 0, iw, ih, canvas->Handle(), x - dx, y - dy, SRCCOPY);
    CopyBmp32(TRect(0, 0, iw, ih), TRect(0, 0, iw, ih), under.get(), image, MakeCacheInfo(under.get()), false, clNone, 0,
              false);
    ::BitBlt(canvas->Handle(), x - dx, y - dy, iw, ih, under->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// Form definitions

namespace {

TPropInfo Dimension(const UnicodeString& name, int index)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkInteger;
    info.OrdDefault = 16;
    info.GetOrd = [index](TPersistent* p) { return int64_t{PropertyInstance<TsVirtualImageList>(p).GetInteger(index)}; };
    info.SetOrd = [index](TPersistent* p, int64_t v) {
        PropertyInstance<TsVirtualImageList>(p).SetInteger(index, static_cast<int>(v));
    };
    return info;
}

} // namespace

void RegisterVirtualImageListClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    using V = TsVirtualImageList;
    const UnicodeString c = L"TsVirtualImageList";
    RegisterPublishedClass(c, L"TCustomImageList");
    RegisterPublishedProperty(c, Dimension(L"Height", 0));
    RegisterPublishedProperty(c, Dimension(L"Width", 1));
    RegisterPublishedProperty(c, ObjProp(L"AlphaImageList", &V::AlphaImageList, &V::SetAlphaImageList,
                                         L"Alpha image list expected", TNilObject::Pass));
    RegisterPublishedProperty(c, OrdProp(L"StdHandleUsed", pkBool, &V::StdHandleUsed, &V::SetStdHandleUsed, int64_t{1}));
    RegisterPublishedProperty(c, OrdProp(L"UseCache", pkBool, &V::UseCache, &V::SetUseCache, int64_t{1}));
    RegisterComponentClass(c, [](TComponent* owner) -> TComponent* { return new TsVirtualImageList(owner); });
}
