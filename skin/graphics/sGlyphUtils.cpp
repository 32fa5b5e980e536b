#include "sGlyphUtils.h"

#include "SysUtils.h"
#include "acAlphaImageList.h"
#include "acAlphaImageListChar.h"
#include "acUnitCounter.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sGraphUtilsPng.h"
#include "sSkinManager.h"
#include "sThirdParty.h"

#include <array>
#include <cstdint>

namespace {

TacUnitCounter unitCounter;
std::unique_ptr<TsCharImageList> charList;
std::unique_ptr<TsAlphaImageList> pngList;

struct TacStdGlyph {
    std::uint16_t Char;
    double Scaling;
    int OffsetY;
    const wchar_t* Font; // null: the list's default icon font
};

constexpr std::array<TacStdGlyph, 25> kStdGlyphs{{
    {0xF016, 1.0, 0, nullptr}, {0xF115, 1.0, 0, nullptr}, {0xF274, 1.0, 0, nullptr}, {0xF141, 1.0, 4, nullptr},
    {0xF1EC, 1.0, 0, nullptr}, {0xF111, 0.75, 0, nullptr}, {0xF00C, 1.0, 0, nullptr}, {0xF047, 0.9, 1, nullptr},
    {0xF1FB, 1.0, 0, nullptr}, {0xF00C, 1.1, 0, nullptr}, {0xF00D, 1.1, 0, nullptr}, {0xF067, 0.8, 2, nullptr},
    {0xF0D8, 1.3, 0, nullptr}, {0xF01E, 0.9, 1, nullptr}, {0xF048, 0.8, 2, nullptr}, {0xF053, 0.8, 2, nullptr},
    {0xF054, 0.8, 2, nullptr}, {0xF051, 0.8, 2, nullptr}, {0xF068, 0.8, 2, nullptr}, {0xF00C, 0.8, 0, nullptr},
    {0xF00D, 0.8, 0, nullptr}, {u'0', 1.0, 0, L"Marlett"}, {u'1', 1.0, 0, L"Marlett"}, {u'2', 1.0, 0, L"Marlett"},
    {u'r', 1.0, 0, L"Marlett"},
}};

constexpr std::array<const wchar_t*, 5> kPngGlyphs{L"SF", L"SR", L"SD", L"SE", L"SC"};

void CreateCharList()
{
    if (charList) return;
    charList = std::make_unique<TsCharImageList>(nullptr);
    charList->AfterConstruction();
    charList->SetBkColor(0xFFFFFF);
    charList->SetDimension(1, 16);
    charList->SetDimension(0, 14);
    charList->SetBlendValue(222);
    for (const TacStdGlyph& g : kStdGlyphs) {
        TacCharItemData data;
        data.CharCode = g.Char;
        data.ScalingFactor = g.Scaling;
        data.Offset = g.OffsetY;
        if (g.Font) data.FontName = g.Font;
        charList->AddItem(data);
    }
    charList->GenerateStdList(clNone);
}

// Raises EResNotFound when a glyph resource is missing.
void CreatePngList()
{
    auto list = std::make_unique<TsAlphaImageList>(nullptr);
    list->AfterConstruction();
    list->SetDimension(1, 32);
    list->SetDimension(0, 16);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    for (const wchar_t* name : kPngGlyphs) {
        TResourceStream res(instance, name);
        TsImgListItem* item = list->Items()->Add();
        item->ImgData->LoadFromStream(res);
        item->ImgData->SetPosition(0);
        auto bmp = CreateBmp32(0, 0);
        LoadBmpFromPngStream(bmp.get(), *item->ImgData);
        item->ImgData->SetPosition(0);
        item->OrigWidth = bmp->Width();
        item->OrigHeight = bmp->Height();
        item->SetImageFormat(ifPNG);
        item->SetPixelFormat(pf32bit);
    }
    list->GenerateStdList();
    pngList = std::move(list);
}

} // namespace

TCustomImageList* acCharImages() { return charList.get(); }

TCustomImageList* acResImgList()
{
    if (!ac_OldGlyphsMode) return charList.get();
    if (!pngList) CreatePngList();
    return pngList.get();
}

// ---------------------------------------------------------------------------------------------

TacAddedGlyph::TacAddedGlyph(TWinControl* owner, TsCommonData* skinData)
    : Owner(owner), SkinData(skinData), FChangeLink(std::make_unique<TChangeLink>())
{
    FChangeLink->OnChange = [this](TObject* sender) { ImageListChange(sender); };
}

TacAddedGlyph::~TacAddedGlyph()
{
    if (FImages) FImages->UnRegisterChanges(FChangeLink.get());
}

void TacAddedGlyph::SetInteger(int index, int value)
{
    switch (index) {
    case 0:
        if (FBlend == value) return;
        FBlend = value;
        Invalidate(false);
        break;
    case 1:
        if (FImageIndex == value) return;
        FImageIndex = value;
        Invalidate(true);
        break;
    default: break;
    }
}

void TacAddedGlyph::SetGrayed(bool value)
{
    if (FGrayed == value) return;
    FGrayed = value;
    Invalidate(false);
}

void TacAddedGlyph::SetColorTone(TColor value)
{
    if (FColorTone == value) return;
    FColorTone = value;
    Invalidate(false);
}

void TacAddedGlyph::SetImages(TCustomImageList* value)
{
    if (FImages == value) return;
    if (FImages) FImages->UnRegisterChanges(FChangeLink.get());
    FImages = value;
    if (FImages) {
        FImages->RegisterChanges(FChangeLink.get());
        if (Owner) FImages->FreeNotification(Owner);
    }
    Invalidate(true);
}

void TacAddedGlyph::ImageListChange(TObject*) { Invalidate(false); }

void TacAddedGlyph::Invalidate(bool updateFrame)
{
    if (auto* host = dynamic_cast<IacAddedGlyphOwner*>(Owner); host && host->acRepaintsForGlyph() && SkinData)
        SkinData->Invalidate(true);
    if (updateFrame && Owner && Owner->HandleAllocated())
        ::SetWindowPos(Owner->Handle(), nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOCOPYBITS |
                           SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
}

TCustomImageList* TacAddedGlyph::SizeList() const
{
    if (FImages && FImageIndex >= 0 && FImageIndex < FImages->Count()) return FImages;
    return acResImgList();
}

int TacAddedGlyph::Height() const { return GetImageHeight(SizeList(), FImageIndex, GetPPI(SkinData)); }

int TacAddedGlyph::ImageCount() const
{
    TCustomImageList* list = SizeList();
    const int w = GetImageWidth(list, FImageIndex, 96);
    const int h = GetImageHeight(list, FImageIndex, 96);
    return h > 0 && w % h == 0 && w / h > 0 ? w / h : 1;
}

int TacAddedGlyph::Width() const
{
    int buttonWidth = 0;
    if (auto* host = dynamic_cast<IacAddedGlyphOwner*>(Owner); host && host->acComboButtonWidth(buttonWidth)) {
        if (buttonWidth != 0) return ScaleInt(buttonWidth, SkinData);
        TacSkinData* skin = SkinData ? SkinData->GetCommonSkinData() : nullptr;
        return ::GetSystemMetrics(SM_CXVSCROLL) - (skin ? skin->ComboBoxMargin / 2 : 0);
    }
    return GetImageWidth(SizeList(), FImageIndex, GetPPI(SkinData)) / ImageCount();
}

// ---------------------------------------------------------------------------------------------

TsGlyphMode::TsGlyphMode(TWinControl* owner, TsCommonData* skinData) : TacAddedGlyph(owner, skinData) {}

void TsGlyphMode::SetInteger(int index, int value)
{
    int* field = index == 10 ? &FImageIndexHot : index == 11 ? &FImageIndexPressed : nullptr;
    if (!field) {
        TacAddedGlyph::SetInteger(index, value);
        return;
    }
    if (*field == value) return;
    *field = value;
    Invalidate(false);
}

void TsGlyphMode::SetEnabled(bool value)
{
    if (FEnabled == value) return;
    FEnabled = value;
    Invalidate(false);
}

void sGlyphUtilsInitialization()
{
    if (unitCounter.StartUp()) CreateCharList();
}

void sGlyphUtilsFinalization()
{
    if (!unitCounter.ShutDown()) return;
    pngList.reset();
    charList.reset();
}
