// The skinned picture control: its sizes, the cache built over the parent's background, its
// painting and its answers to the library's commands.
#include "acImage.h"

#include "FormReader.h"
#include "TypInfo.h"
#include "acAlphaImageList.h"
#include "acAlphaImageListVirtual.h"
#include "acUnitCounter.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sCtrlStates.h"
#include "sGraphUtils.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsFill.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsStretch.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

TacUnitCounter unitCounter;
constexpr BYTE kImageClassCode = 50;

} // namespace

TsCustomImage::TsCustomImage(TComponent* owner)
    : TImage(owner), FCommonData(std::make_unique<TsCtrlSkinData>(this, true)),
      FImageChangeLink(std::make_unique<TChangeLink>())
{
    FCommonData->COC = kImageClassCode;
    FImageChangeLink->OnChange = [this](TObject* sender) { ImageListChange(sender); };
}

TsCustomImage::~TsCustomImage()
{
    FImageChangeLink.reset();
    if (FImages) FImages->RemoveFreeNotification(this);
    FCommonData.reset();
}

void TsCustomImage::AfterConstruction() { FCommonData->Loaded(); }

void TsCustomImage::Loaded()
{
    TImage::Loaded();
    FCommonData->Loaded();
}

void TsCustomImage::Notification(TComponent* component, TOperation operation)
{
    TImage::Notification(component, operation);
    // The list is half gone: its link list no longer exists, so only the pointer is dropped.
    if (operation == opRemove && component && component == FImages) {
        FImages = nullptr;
        if (!ComponentState().Contains(csDestroying)) FCommonData->Invalidate();
    }
}

void TsCustomImage::SetImages(TCustomImageList* value)
{
    if (value == FImages) return;
    if (FImages) {
        FImages->UnRegisterChanges(FImageChangeLink.get());
        FImages->RemoveFreeNotification(this);
    }
    FImages = value;
    if (value) {
        value->RegisterChanges(FImageChangeLink.get());
        value->FreeNotification(this);
    }
    UpdateImage();
}

void TsCustomImage::SetImageIndex(int value)
{
    if (value == FImageIndex) return;
    FImageIndex = value;
    AdjustSize();
    FCommonData->Invalidate();
}

void TsCustomImage::SetBlend(int value)
{
    if (value == FBlend) return;
    FBlend = value;
    FCommonData->Invalidate();
}

void TsCustomImage::SetBoolean(int index, bool value)
{
    bool& field = index == 0 ? FUseFullSize : index == 1 ? FReflected : FGrayed;
    if (field == value) return;
    field = value;
    FCommonData->Invalidate();
}

void TsCustomImage::ImageListChange(TObject*) { FCommonData->Invalidate(); }

bool TsCustomImage::ListItemShown() { return FImages && FImageIndex >= 0 && FImageIndex < GetImageCount(FImages); }

bool TsCustomImage::Empty()
{
    if (ListItemShown()) return false;
    TGraphic* graphic = Picture()->Graphic();
    return !graphic || graphic->Empty();
}

TCanvas* TsCustomImage::GetCanvas()
{
    if (auto* bmp = dynamic_cast<TBitmap*>(Picture()->Graphic())) {
        if (bmp->Empty()) bmp->SetSize(Width(), Height());
        return bmp->Canvas();
    }
    return Canvas();
}

void TsCustomImage::UpdateImage()
{
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
    Repaint();
}

// ---------------------------------------------------------------------------------------------
// Sizes

TSize TsCustomImage::NaturalSize()
{
    if (!FImages || FImageIndex < 0) return {Picture()->Width(), Picture()->Height()};
    if (!Stretch()) {
        const int ppi = GetPPI(FCommonData.get());
        return {GetImageWidth(FImages, FImageIndex, ppi), GetImageHeight(FImages, FImageIndex, ppi)};
    }
    TCustomImageList* list = FImages;
    if (auto* view = dynamic_cast<TsVirtualImageList*>(list)) list = view->AlphaImageList();
    if (auto* alpha = dynamic_cast<TsAlphaImageList*>(list)) {
        if (FImageIndex < alpha->Items()->Count()) {
            const TsImgListItem& item = *alpha->Items()->Items(FImageIndex);
            return {item.OrigWidth, item.OrigHeight};
        }
        return {};
    }
    return {Width(), Height()};
}

TSize TsCustomImage::StretchedSize(TSize natural)
{
    if (natural.cx <= 0 || natural.cy <= 0) return natural;
    const int available = FReflected ? Height() * 2 / 3 : Height();
    if (!Proportional()) return {Width(), available};
    const double ratio = static_cast<double>(natural.cx) / natural.cy;
    int w = 0, h = 0;
    if (natural.cx <= natural.cy) {
        h = available;
        w = static_cast<int>(Round(h * ratio));
        if (w > Width()) {
            w = Width();
            h = static_cast<int>(Round(w / ratio));
        }
    } else {
        w = Width();
        h = static_cast<int>(Round(w / ratio));
        if (h > available) {
            h = available;
            w = static_cast<int>(Round(h * ratio));
        }
    }
    return {w, h};
}

bool TsCustomImage::CanAutoSize(int& NewWidth, int& NewHeight)
{
    if (ComponentState().Contains(csDesigning) && Empty()) return TImage::CanAutoSize(NewWidth, NewHeight);
    TSize size{Picture()->Width(), Picture()->Height()};
    if (ListItemShown()) {
        const int ppi = GetPPI(FCommonData.get());
        size = {GetImageWidth(FImages, FImageIndex, ppi), GetImageHeight(FImages, FImageIndex, ppi)};
    }
    if (size.cx <= 0 || size.cy <= 0) return true;
    if (Align() == alNone || Align() == alLeft || Align() == alRight) NewWidth = size.cx;
    if (Align() == alNone || Align() == alTop || Align() == alBottom) {
        NewHeight = size.cy;
        if (FUseFullSize && FReflected) NewHeight += size.cy / 2;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The cache

TPoint TsCustomImage::ImageOffset(int width, int height)
{
    if (!Center() || (Stretch() && !Proportional())) return {0, 0};
    return {(Width() - width) / 2, (Height() - height - (FUseFullSize ? height / 2 : 0)) / 2};
}

std::unique_ptr<TBitmap> TsCustomImage::ImageBitmap(TSize natural, TBitmap* cache, TPoint at)
{
    if (natural.cx <= 0 || natural.cy <= 0) return nullptr;
    if (ListItemShown()) {
        auto bmp = CreateBmp32(natural.cx, natural.cy);
        bmp->Canvas()->Font()->SetColor(Font()->Color());
        bool done = false;
        if (auto* ac = dynamic_cast<TacImageList*>(FImages)) done = ac->GetBitmap32(FImageIndex, bmp.get(), 0);
        else if (auto* view = dynamic_cast<TsVirtualImageList*>(FImages))
            done = view->GetBitmap32(FImageIndex, bmp.get(), 0);
        else done = FImages->GetBitmap(FImageIndex, bmp.get());
        if (!done) return nullptr;
        bmp->SetPixelFormat(pf32bit);
        return bmp;
    }
    TGraphic* graphic = Picture()->Graphic();
    if (!graphic || graphic->Empty()) return nullptr;
    auto* picture = dynamic_cast<TBitmap*>(graphic);
    if (!picture) {
        // Drawn over the background it covers; GDI leaves alpha undefined, so it is made opaque.
        auto bmp = CreateBmp32(natural.cx, natural.cy);
        ::BitBlt(bmp->Canvas()->Handle(), 0, 0, natural.cx, natural.cy, cache->Canvas()->Handle(), at.X, at.Y, SRCCOPY);
        bmp->Canvas()->Draw(0, 0, graphic);
        FillAlphaRect(bmp.get(), TRect(0, 0, natural.cx, natural.cy), 255, clNone);
        return bmp;
    }
    auto bmp = std::make_unique<TBitmap>();
    bmp->Assign(picture);
    if (picture->PixelFormat() == pf32bit) {
        if (!DefaultManager || DefaultManager->Options()->GetBool(0)) CheckEmptyAChannel(bmp.get());
        return bmp;
    }
    bmp->SetPixelFormat(pf32bit);
    const TsColor_ key = TacBmpRows(bmp.get()).At(0, bmp->Height() - 1);
    TacBmpRows rows(bmp.get());
    for (int y = 0; y < rows.Height(); ++y) {
        auto row = rows.Row(y);
        for (auto& px : row) {
            const bool transparent = Transparent() && px.R == key.R && px.G == key.G && px.B == key.B;
            px.A = transparent ? 0 : 255;
        }
    }
    return bmp;
}

bool TsCustomImage::PrepareCache(HDC DC)
{
    InitCacheBmp(FCommonData.get());
    TBitmap* cache = FCommonData->FCacheBmp.get();
    const int w = Width(), h = Height();
    if (!cache || w <= 0 || h <= 0) return false;
    // The image is composed pixel by pixel: the cache is worked on as a 32-bit DIB.
    cache->SetPixelFormat(pf32bit);

    TsSkinManager* manager = FCommonData->GetSkinManager();
    TacBGInfo bg;
    bool copyDC = manager && manager->Options()->GetBool(5);
    if (!copyDC) {
        if (Parent()) SendAMessage(Parent(), AC_GETBG, reinterpret_cast<LPARAM>(&bg));
        copyDC = bg.BgType == btUnknown;
    }
    if (bg.BgType == btNotReady) {
        FCommonData->FUpdating = true;
        return false;
    }
    if (copyDC) {
        ::BitBlt(cache->Canvas()->Handle(), 0, 0, w, h, DC, 0, 0, SRCCOPY);
    } else if (!bg.Bmp) {
        if (ColorToRGB(bg.Color) == ColorToRGB(sFuchsia)) ::BitBlt(cache->Canvas()->Handle(), 0, 0, w, h, DC, 0, 0, SRCCOPY);
        else FillDC(cache->Canvas()->Handle(), TRect(0, 0, w, h), bg.Color);
    } else {
        ::BitBlt(cache->Canvas()->Handle(), 0, 0, w, h, bg.Bmp->Canvas()->Handle(), bg.Offset.X + Left(),
                 bg.Offset.Y + Top(), SRCCOPY);
    }
    FillAlphaRect(cache, TRect(0, 0, w, h), 255, clNone);
    if (!FCommonData->SkinSection().empty() && FCommonData->SkinIndex >= 0)
        PaintItem(FCommonData.get(), MakeCacheInfo(cache), true, 0, TRect(0, 0, w, h), TPoint(0, 0), cache, false, 0, 0);

    const TSize natural = NaturalSize();
    // A stretched picture takes its background along; unstretched it gets the one it covers.
    const TPoint at = Stretch() ? TPoint(0, 0) : ImageOffset(natural.cx, natural.cy);
    if (auto image = ImageBitmap(natural, cache, at)) {
        if (Stretch()) {
            const TSize target = StretchedSize(natural);
            if (target.cx > 0 && target.cy > 0 && (target.cx != image->Width() || target.cy != image->Height())) {
                auto stretched = CreateBmp32(target.cx, target.cy);
                ::Stretch(image.get(), stretched.get(), target.cx, target.cy, ftMitchell);
                image = std::move(stretched);
            }
        }
        const int iw = image->Width(), ih = image->Height();
        const TPoint place = ImageOffset(iw, ih);
        const int x = place.X, y = place.Y;
        CopyBmp32(TRect(x, y, x + iw, y + ih), TRect(0, 0, iw, ih), cache, image.get(), EmptyCI, false,
                  FGrayed ? static_cast<TColor>(0xFFFFFF) : clNone, FBlend, FReflected);
    }
    FCommonData->BGChanged = false;
    FCommonData->CtrlSkinState |= ACS_CACHEREADY;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Messages

void TsCustomImage::acWM_Paint(TMessage& message)
{
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    if (!dc || InUpdating(FCommonData.get()) || (Empty() && FCommonData->SkinSection().empty())) {
        TImage::WndProc(message);
        return;
    }
    const int saved = ::SaveDC(dc);
    TBitmap* cache = FCommonData->FCacheBmp.get();
    // A cache of another size is stale too (a windowless control gets no WM_SIZE).
    const bool stale = !cache || cache->Width() != Width() || cache->Height() != Height();
    bool ready = true;
    if (FCommonData->BGChanged || ImageChanged || stale) ready = PrepareCache(dc);
    cache = FCommonData->FCacheBmp.get();
    if (ready && cache)
        ::BitBlt(dc, 0, 0, Width(), Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
    ::RestoreDC(dc, saved);
}

void TsCustomImage::WndProc(TMessage& message)
{
    if (FCommonData) {
        if (message.Msg == SM_ALPHACMD) {
            TsSkinManager* manager = FCommonData->GetSkinManager();
            switch (HIWORD(message.WParam)) {
            case AC_GETSKININDEX:
                // No section of its own: the image paints over its parent.
                message.Result = manager ? manager->SkinCommonInfo.Sections[ssTransparent] + 1 : 0;
                return;
            case AC_CANANIMATE:
                message.Result = (manager && manager->IsActive()) || ControlStyle().Contains(csOpaque) ? 1 : 0;
                return;
            case AC_GETDEFSECTION:
                message.Result = 3;
                return;
            default:
                if (CommonMessage(message, FCommonData.get())) return;
                break;
            }
        } else {
            switch (message.Msg) {
            case WM_PAINT:
                acWM_Paint(message);
                return;
            case WM_SIZE:
            case WM_WINDOWPOSCHANGED:
                FCommonData->BGChanged = true;
                break;
            case WM_ERASEBKGND:
                return;
            case CM_HITTEST:
                if (FTransparentForMouse) {
                    message.Result = 0;
                    return;
                }
                break;
            case CM_VISIBLECHANGED:
                FCommonData->BGChanged = true;
                FCommonData->CtrlSkinState &= ~ACS_CACHEREADY;
                break;
            default:
                break;
            }
        }
    }
    TImage::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// Form definitions and start-up

void RegisterImageClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    using I = TsCustomImage;
    const UnicodeString c = L"TsImage";
    RegisterPublishedClass(c, L"TImage");
    RegisterPublishedProperty(c, OrdProp(L"Blend", pkInteger, &I::Blend, &I::SetBlend, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"ImageIndex", pkInteger, &I::ImageIndex, &I::SetImageIndex, int64_t{-1}));
    RegisterPublishedProperty(c, ObjProp(L"Images", &I::Images, &I::SetImages, L"Image list expected", TNilObject::Pass));
    auto flag = [&](const UnicodeString& name, int index) {
        TPropInfo info;
        info.Name = name;
        info.Kind = pkBool;
        info.OrdDefault = 0;
        info.GetOrd = [index](TPersistent* p) { return int64_t{PropertyInstance<I>(p).GetBoolean(index)}; };
        info.SetOrd = [index](TPersistent* p, int64_t v) { PropertyInstance<I>(p).SetBoolean(index, v != 0); };
        RegisterPublishedProperty(c, info);
    };
    flag(L"UseFullSize", 0);
    flag(L"Reflected", 1);
    flag(L"Grayed", 2);
    RegisterPublishedProperty(c, OrdProp(L"TransparentForMouse", pkBool, &I::TransparentForMouse,
                                         &I::SetTransparentForMouse, int64_t{0}));
    RegisterComponentClass(c, [](TComponent* owner) -> TComponent* {
        auto* image = new TsImage(owner);
        image->AfterConstruction();
        return image;
    });
}

void acImageInitialization()
{
    if (!unitCounter.StartUp()) return;
    RegisterImageClasses();
}

void acImageFinalization() { unitCounter.ShutDown(); }
