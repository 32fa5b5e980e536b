// Rendering of image-list items: TsAlphaImageList's 32-bit bitmaps from the stored file bytes
// (with the per-item cache), its native list of icons, its drawing on a canvas, and the free
// routines that draw an item of any image list into a 32-bit bitmap or onto a DC.
#include "acAlphaImageList.h"
#include "acAlphaImageListChar.h"
#include "acAlphaImageListVirtual.h"

#include "SysUtils.h"
#include "Themes.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsFill.h"
#include "sGraphUtilsGlyphEx.h"
#include "sGraphUtilsPng.h"
#include "sGraphUtilsStretch.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sSkinManagerStartup.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <versionhelpers.h>

#include <algorithm>

namespace {

bool PreVista() { return !::IsWindowsVistaOrGreater(); }

// Puts the state cell src of a rendered item at r of destBmp: a negative cell corner moves the
// place instead, and the cell is cut to the picture.
void PutRendered(TBitmap* destBmp, TBitmap* bmp, TRect r, TRect src, bool ignoreTransparency, TColor color, int blend,
                 bool reflected)
{
    if (src.Left < 0) {
        r.Left += src.Left;
        src.Left = 0;
    }
    if (src.Top < 0) {
        r.Top += src.Top;
        src.Top = 0;
    }
    src.Right = std::min<LONG>(src.Right, bmp->Width());
    src.Bottom = std::min<LONG>(src.Bottom, bmp->Height());
    if (ignoreTransparency)
        ::BitBlt(destBmp->Canvas()->Handle(), r.Left, r.Top, bmp->Width(), bmp->Height(), bmp->Canvas()->Handle(), 0, 0,
                 SRCCOPY);
    else
        CopyBmp32(r, src, destBmp, bmp, EmptyCI, false, color, blend, reflected);
}

bool LowColorScreen()
{
    HDC dc = ::GetDC(nullptr);
    const int bits = ::GetDeviceCaps(dc, BITSPIXEL);
    ::ReleaseDC(nullptr, dc);
    return bits < 32;
}

// A bitmap of that size holding src (resampled when the sizes differ).
std::unique_ptr<TBitmap> Sized(std::unique_ptr<TBitmap> src, int width, int height)
{
    if (src->Width() == width && src->Height() == height) return src;
    auto result = CreateBmp32(width, height);
    Stretch(src.get(), result.get(), width, height, ftMitchell);
    return result;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Native images

void TacImageList::AddAsIcon(TBitmap* bitmap, int index)
{
    if (!bitmap) return;
    TBitmap* src = bitmap;
    std::unique_ptr<TBitmap> sized;
    const TSize size = HandleImageSize();
    if (bitmap->Width() != size.cx || bitmap->Height() != size.cy) {
        // Straight to the native list's size: through a picture of another shape it would be
        // distorted and resampled twice.
        const TRect all(0, 0, size.cx, size.cy);
        sized = CreateBmp32(size.cx, size.cy);
        FillRect32(sized.get(), all, 0, 0);
        if (bitmap->Width() > 1 && bitmap->Height() > 1) Stretch(bitmap, sized.get(), size.cx, size.cy, ftMitchell);
        else FillRect32(sized.get(), all, 0, 1);
        src = sized.get();
    }
    AddBitmapIcon(Handle(), src, index);
}

void AddBitmapIcon(HIMAGELIST list, TBitmap* bitmap, int index)
{
    if (!list || !bitmap) return;
    bitmap->SetPixelFormat(pf32bit); // the icon's colour part carries the alpha
    HICON icon = IsNT && StyleServices().Enabled() ? MakeCompIcon(bitmap) : MakeIcon32(bitmap);
    if (!icon) return;
    ::ImageList_ReplaceIcon(list, index >= 0 ? index : -1, icon);
    ::DestroyIcon(icon);
}

void TsAlphaImageList::GenerateStdList()
{
    if (StdMode) return;
    if (SavedHeight == 0 && Width() == 16 && Height() == 16 && !AcChanging) {
        AcChanging = true;
        KillImgList();
        SetDimension(0, 16);
        SetDimension(1, 16);
    }
    // The lock is released however this ends, so a bad item cannot lock the list for good.
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{AcChanging};
    if (SavedHeight == 0) return;
    CreateImgList();
    if (!HandleAllocated()) return;
    AcChanging = true;
    ::ImageList_Remove(Handle(), -1);
    for (int i = 0; i < FItems->Count(); ++i) {
        TsImgListItem& item = *FItems->Items(i);
        if (item.ImageFormat() == ifICO) {
            TIcon icon;
            try {
                item.ImgData->SetPosition(0);
                icon.LoadFromStream(*item.ImgData);
                item.ImgData->SetPosition(0);
                icon.SetSize(Width(), Height());
                item.OrigWidth = icon.Width();
                item.OrigHeight = icon.Height();
                if (::ImageList_ReplaceIcon(Handle(), -1, icon.Handle()) >= 0) continue;
            } catch (const Exception&) {
                item.ImgData->SetPosition(0);
            }
        } else if (auto bmp = DecodeItem(item)) {
            AddAsIcon(bmp.get(), -1);
            continue;
        }
        // Undecodable: a blank image keeps the native indexes in step with the items.
        auto blank = CreateBmp32(Width(), Height());
        AddAsIcon(blank.get(), -1);
    }
    if (FItems->Count() > 0) {
        StdListIsGenerated = true;
        if (!IsDuplicated()) {
            ItemsUpdating = true;
            FItems->Clear();
            ItemsUpdating = false;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Rendering

std::unique_ptr<TBitmap> TsAlphaImageList::DecodeItem(TsImgListItem& item)
{
    if (item.ImgData->Size() == 0) return nullptr;
    auto bmp = CreateBmp32(0, 0);
    try {
        item.ImgData->SetPosition(0);
        if (item.ImageFormat() == ifPNG) {
            LoadBmpFromPngStream(bmp.get(), *item.ImgData);
        } else {
            bmp->LoadFromStream(*item.ImgData);
        }
    } catch (const Exception&) {
        item.ImgData->SetPosition(0);
        return nullptr;
    }
    item.ImgData->SetPosition(0);
    if (bmp->Empty()) return nullptr;
    if (bmp->PixelFormat() != pf32bit) {
        bmp->SetPixelFormat(pf32bit);
        CheckEmptyAChannel(bmp.get());
    }
    item.OrigWidth = bmp->Width();
    item.OrigHeight = bmp->Height();
    return bmp;
}

TColor TsAlphaImageList::ToneOf(const TsImgListItem& item, bool tone) const
{
    return tone && item.ImageFormat() == ifPNG && BlendColor() != clNone && !acIgnoreBlendColor ? BlendColor()
                                                                                                 : clNone;
}

void TsAlphaImageList::StoreCache(TsImgListItem& item, TBitmap* bmp, bool tone)
{
    item.CacheBmp = CopyBitmap(bmp);
    item.CacheTone = ToneOf(item, tone);
}

std::unique_ptr<TBitmap> TsAlphaImageList::RenderItem(TsImgListItem& item, int width, int height, bool tone)
{
    // The blend colour and the global switch can change between renderings: a cache made with
    // another tone is as stale as one of another size.
    const TColor toneColor = ToneOf(item, tone);
    if (FUseCache && item.CacheBmp) {
        if (item.CacheBmp->Width() == width && item.CacheBmp->Height() == height && item.CacheTone == toneColor)
            return CopyBitmap(item.CacheBmp.get());
        item.CacheBmp.reset();
    }
    auto decoded = DecodeItem(item);
    if (!decoded) return nullptr;
    auto result = Sized(std::move(decoded), width, height);
    if (toneColor != clNone)
        ChangeBitmapPixels(result.get(), ChangeColorTone, static_cast<int>(acColorToRGB(toneColor)), sFuchsia);
    return result;
}

std::unique_ptr<TBitmap> TsAlphaImageList::IconBitmap(int index, int width, int height, bool maskAlpha)
{
    HICON icon = ::ImageList_GetIcon(Handle(), index, ILD_NORMAL);
    if (!icon) return nullptr;
    ICONINFO info{};
    const bool got = ::GetIconInfo(icon, &info);
    ::DestroyIcon(icon);
    if (!got) return nullptr;
    auto colour = std::make_unique<TBitmap>();
    if (info.hbmColor) colour->SetHandle(info.hbmColor);
    TBitmap mask;
    if (info.hbmMask) mask.SetHandle(info.hbmMask);
    if (colour->Empty()) return nullptr;
    colour->SetPixelFormat(pf32bit);
    if (maskAlpha && mask.Width() == colour->Width() && mask.Height() == colour->Height()) {
        mask.SetPixelFormat(pf8bit);
        TacBmpRows rows(colour.get());
        for (int y = 0; y < rows.Height(); ++y) {
            const auto* m = static_cast<const std::uint8_t*>(mask.ScanLine(y));
            auto row = rows.Row(y);
            for (int x = 0; x < rows.Width(); ++x) row[static_cast<std::size_t>(x)].A = static_cast<std::uint8_t>(255 - m[x]);
        }
    } else if (PreVista() &&
               (LowColorScreen() || !DefaultManager || DefaultManager->Options()->GetBool(0))) {
        CheckEmptyAChannel(colour.get());
    }
    if (width <= 0 || height <= 0) return nullptr;
    return Sized(std::move(colour), width, height);
}

bool TsAlphaImageList::GetBitmap32(int index, TBitmap* bitmap, int)
{
    if (!HandleAllocated() || !bitmap || index < 0 || index >= GetCount()) return false;
    const int w = bitmap->Width(), h = bitmap->Height();
    if (IsDuplicated() && index < FItems->Count() && FItems->Items(index)->ImgData->Size() > 0 &&
        FItems->Items(index)->ImageFormat() != ifICO) {
        TsImgListItem& item = *FItems->Items(index);
        auto result = RenderItem(item, w, h, false);
        if (!result) return false;
        const bool transparent = bitmap->Transparent();
        bitmap->Assign(result.get());
        bitmap->SetTransparent(transparent);
        if (FUseCache && w == Width() && h == Height()) StoreCache(item, result.get(), false);
        return true;
    }
    auto result = IconBitmap(index, w, h, false);
    if (!result) return false;
    bitmap->Assign(result.get());
    return true;
}

std::unique_ptr<TBitmap> TsAlphaImageList::CreateBitmap32(int index, int width, int height, int)
{
    if (!HandleAllocated() || index < 0 || index >= GetCount() || width <= 0 || height <= 0) return nullptr;
    if (IsDuplicated() && index < FItems->Count() && FItems->Items(index)->ImgData->Size() > 0) {
        TsImgListItem& item = *FItems->Items(index);
        if (item.ImageFormat() == ifICO) return IconBitmap(index, width, height, false);
        auto result = RenderItem(item, width, height, true);
        if (result && FUseCache) StoreCache(item, result.get(), true);
        return result;
    }
    return IconBitmap(index, width, height, true);
}

void TsAlphaImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT, bool)
{
    if (!HandleAllocated() || index < 0 || !canvas) return;
    if (index < FItems->Count() && FItems->Items(index)->ImageFormat() != ifICO) {
        const int w = Width() * PixelsPerInch / 96;
        const int h = Height() * PixelsPerInch / 96;
        auto bmp = CreateBitmap32(index, w, h, 0);
        if (!bmp) return;
        auto under = CreateBmp32(w, h);
        ::BitBlt(under->Canvas()->Handle(), 0, 0, w, h, canvas->Handle(), x, y, SRCCOPY);
        CopyBmp32(TRect(0, 0, w, h), TRect(0, 0, w, h), under.get(), bmp.get(), MakeCacheInfo(under.get()), false,
                  clNone, 0, false);
        ::BitBlt(canvas->Handle(), x, y, w, h, under->Canvas()->Handle(), 0, 0, SRCCOPY);
        return;
    }
    ::ImageList_SetBkColor(Handle(), CLR_NONE);
    HICON icon = ::ImageList_GetIcon(Handle(), index, ILD_TRANSPARENT);
    if (!icon) return;
    ::DrawIconEx(canvas->Handle(), x, y, icon, Width(), Height(), 0, nullptr, DI_NORMAL);
    ::DestroyIcon(icon);
}

// ---------------------------------------------------------------------------------------------
// Drawing any list

TSize DrawAlphaImgList(TCustomImageList* imgList, TBitmap* destBmp, int left, int top, int imageIndex, int blend,
                       TColor color, int state, int numGlyphs, bool reflected, int ppi)
{
    if (!imgList || !destBmp || destBmp->Width() < 1 || !imgList->HandleAllocated() || imageIndex < 0) return {};
    const int w = GetImageWidth(imgList, imageIndex, ppi);
    const int h = GetImageHeight(imgList, imageIndex, ppi);
    const int n = std::max(1, numGlyphs);
    const int cell = w / n;
    const int s = state < n ? state : n - 1;
    TRect r(left, top, left + cell, top + h);
    TRect src(s * cell, 0, s * cell + cell, h);
    if (imgList->BkColor() != clNone) FillDC(destBmp->Canvas()->Handle(), r, imgList->BkColor());
    SetImagesPPI(imgList, ppi);
    struct ResetPPI {
        TCustomImageList* list;
        ~ResetPPI() { SetImagesPPI(list, 96); }
    } reset{imgList};

    if (auto* ac = dynamic_cast<TacImageList*>(imgList)) {
        TFont* font = destBmp->Canvas()->Font();
        if (auto* chars = dynamic_cast<TsCharImageList*>(ac)) chars->SetCharColor(font->Color(), imageIndex, font->Size() == 0);
        else ac->ForeColor = font->Color();
        if (state > 0) SetImagesState(imgList, state);
        auto bmp = ac->CreateBitmap32(imageIndex, w, h, 0);
        ac->ForeColor = clNone;
        if (state > 0) SetImagesState(imgList, 0);
        // Nothing to draw: an index beyond the items or bytes that cannot be decoded.
        if (!bmp) return {};
        PutRendered(destBmp, bmp.get(), r, src, ac->IgnoreTransparency, color, blend, reflected);
        return {cell, h};
    }

    if (auto* view = dynamic_cast<TsVirtualImageList*>(imgList)) {
        TacImageList* source = view->AlphaImageList();
        if (!source || imageIndex >= view->GetCount()) return {};
        TFont* font = destBmp->Canvas()->Font();
        view->SetCharColor(font->Color(), imageIndex, font->Size() == 0);
        view->State = state;
        struct ResetView {
            TsVirtualImageList* view;
            ~ResetView()
            {
                view->State = 0;
                view->SetForeColor(clNone);
            }
        } resetView{view};
        const int fontHeight = GetImageHeight(view, -1, ppi);
        TBitmap* bmp = nullptr;
        std::unique_ptr<TBitmap> temporary;
        if (view->CanUseCache()) {
            auto& cache = view->CachedImages;
            if (static_cast<int>(cache.size()) <= imageIndex) cache.resize(static_cast<std::size_t>(view->GetCount()));
            auto& slot = cache[static_cast<std::size_t>(imageIndex)];
            if (slot && (slot->Width() != w || slot->Height() != h ||
                         slot->Canvas()->Font()->Color() != view->ForeColor()))
                slot.reset();
            if (!slot) {
                slot = source->CreateBitmap32(imageIndex, w, h, fontHeight);
                if (slot) slot->Canvas()->Font()->SetColor(view->ForeColor());
            }
            bmp = slot.get();
        } else {
            temporary = CreateBmp32(w, std::max(0, h));
            temporary->Canvas()->Font()->SetColor(view->ForeColor());
            SetImagesState(source, state);
            const bool got = view->GetBitmap32(imageIndex, temporary.get(), fontHeight);
            SetImagesState(source, 0);
            if (got) bmp = temporary.get();
        }
        // Nothing to draw: the source could not render the item.
        if (!bmp) return {};
        PutRendered(destBmp, bmp, r, src, source->IgnoreTransparency, color, blend, reflected);
        return {cell, h};
    }

    auto tmp = CreateBmp32(w, h);
    ::BitBlt(tmp->Canvas()->Handle(), src.Left, src.Top, cell, h, destBmp->Canvas()->Handle(), r.Left, r.Top, SRCCOPY);
    tmp->Canvas()->Font()->SetColor(destBmp->Canvas()->Font()->Color());
    imgList->Draw(tmp->Canvas(), 0, 0, imageIndex, true);
    ::BitBlt(destBmp->Canvas()->Handle(), r.Left, r.Top, cell, h, tmp->Canvas()->Handle(), src.Left, src.Top, SRCCOPY);
    return {cell, h};
}

void DrawAlphaImgListDC(TCustomImageList* imgList, HDC dc, int left, int top, int imageIndex, int blend, TColor color,
                        int state, int numGlyphs, bool reflected, int ppi)
{
    if (!imgList || !dc) return;
    const int w = GetImageWidth(imgList, imageIndex, ppi);
    int h = GetImageHeight(imgList, imageIndex, ppi);
    if (w <= 0 || h <= 0) return;
    auto* view = dynamic_cast<TsVirtualImageList*>(imgList);
    // A glyph list, directly or as the source of a view.
    auto* chars = dynamic_cast<TsCharImageList*>(view ? view->AlphaImageList() : imgList);
    const bool glyphItem = chars && imageIndex >= 0 && imageIndex < chars->Items()->Count();
    if (reflected) {
        h += glyphItem ? static_cast<int>(Round(chars->Items()->Items(imageIndex)->ScalingFactor() * h)) / 2 : h / 2;
    }
    auto bmp = CreateBmp32(w, h);
    if (chars || view) {
        bmp->Canvas()->Font()->SetColor(view ? view->ForeColor() : chars->ForeColor);
        if (glyphItem && chars->Items()->Items(imageIndex)->Color() != clNone) bmp->Canvas()->Font()->SetSize(0);
    }
    ::BitBlt(bmp->Canvas()->Handle(), 0, 0, w, h, dc, left, top, SRCCOPY);
    DrawAlphaImgList(imgList, bmp.get(), 0, 0, imageIndex, blend, color, state, numGlyphs, reflected, ppi);
    ::BitBlt(dc, left, top, w, h, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}
