// Hint templates: border modes and sizes, the template pictures with their file bytes, the
// templates and their collection.
#include "acAlphaHints.h"

#include "acStreamBytes.h"

#include <algorithm>
#include <array>

std::unique_ptr<TacHintTemplate> DefaultHintTemplate;
TacHintTemplate* CurrentHintTemplate = nullptr;

namespace {

// Set while a size change tells the manager, so that what the manager does in answer does not
// tell it again.
bool sizesNotifying = false;

void NotifyThrough(const TacHintImage* image)
{
    if (image && image->Owner()) image->Owner()->NotifyChanged();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TacBorderDrawModes

TacBorderDrawMode TacBorderDrawModes::GetDrawMode(int index) const
{
    switch (index) {
    case 0: return FTop;
    case 1: return FLeft;
    case 2: return FBottom;
    case 3: return FRight;
    default: return FCenter;
    }
}

void TacBorderDrawModes::SetDrawMode(int index, TacBorderDrawMode mode)
{
    switch (index) {
    case 0: FTop = mode; break;
    case 1: FLeft = mode; break;
    case 2: FBottom = mode; break;
    case 3: FRight = mode; break;
    default: FCenter = mode; break;
    }
    NotifyThrough(FOwner);
}

void TacBorderDrawModes::AssignTo(TPersistent* dest) const
{
    auto* modes = dynamic_cast<TacBorderDrawModes*>(dest);
    if (!modes) {
        TPersistent::AssignTo(dest);
        return;
    }
    for (int i = 0; i < 5; ++i) modes->SetDrawMode(i, GetDrawMode(i));
}

TPersistent* TacBorderDrawModes::GetOwner() const { return FOwner; }

// ---------------------------------------------------------------------------------------------
// TacBordersSizes

int TacBordersSizes::GetValue(int index) const
{
    const std::array<int, 4> values{FTop, FLeft, FBottom, FRight};
    const int value = values[static_cast<size_t>(std::clamp(index, 0, 3))];
    return value < 0 ? 0 : value;
}

void TacBordersSizes::SetValue(int index, int value)
{
    int* field = index == 0 ? &FTop : index == 1 ? &FLeft : index == 2 ? &FBottom : &FRight;
    if (*field == value) return;
    *field = value;
    if (sizesNotifying) return;
    sizesNotifying = true;
    try {
        NotifyThrough(FOwner);
    } catch (...) {
        sizesNotifying = false;
        throw;
    }
    sizesNotifying = false;
}

void TacBordersSizes::SetValues(int ALeft, int ATop, int ARight, int ABottom)
{
    SetValue(1, ALeft);
    SetValue(0, ATop);
    SetValue(3, ARight);
    SetValue(2, ABottom);
}

void TacBordersSizes::AssignTo(TPersistent* dest) const
{
    auto* sizes = dynamic_cast<TacBordersSizes*>(dest);
    if (!sizes) {
        TPersistent::AssignTo(dest);
        return;
    }
    sizes->SetValues(Left(), Top(), Right(), Bottom());
}

TPersistent* TacBordersSizes::GetOwner() const { return FOwner; }

// ---------------------------------------------------------------------------------------------
// TacHintImage

TacHintImage::TacHintImage(TacHintTemplate* owner)
    : FShadowSizes(std::make_unique<TacBordersSizes>(this)), FClientMargins(std::make_unique<TacBordersSizes>(this)),
      FBordersWidths(std::make_unique<TacBordersSizes>(this)),
      FBorderDrawModes(std::make_unique<TacBorderDrawModes>(this)), FImage(std::make_unique<TPNGGraphic>()),
      FOwner(owner), FImageData(std::make_unique<TMemoryStream>())
{
}

TacHintImage::~TacHintImage() = default;

void TacHintImage::SetOffsetHorz(int value)
{
    FOffsetHorz = value;
    NotifyThrough(this);
}

void TacHintImage::SetOffsetVert(int value)
{
    FOffsetVert = value;
    NotifyThrough(this);
}

void TacHintImage::SetImage(const TBitmap* value)
{
    FImage->Assign(value);
    ImageChanged();
    NotifyThrough(this);
}

void TacHintImage::ImageChanged()
{
    const int cx = (ImageWidth() - 1) / 2;
    const int cy = (ImageHeight() - 1) / 2;
    FBordersWidths->SetValues(cx, cy, cx, cy);
    FClientMargins->SetValues(cx, cy, cx, cy);
}

void TacHintImage::StreamChanged()
{
    if (FImageData->Size() == 0) return;
    FImageData->SetPosition(0);
    TPNGGraphic png;
    png.LoadFromStream(*FImageData);
    FImageData->SetPosition(0);
    FImage->Assign(&png);
    NotifyThrough(this);
}

std::span<const std::uint8_t> TacHintImage::ImgDataBytes() const { return MemoryStreamBytes(*FImageData); }

void TacHintImage::SetImgDataBytes(std::span<const std::uint8_t> bytes)
{
    SetMemoryStreamBytes(*FImageData, bytes);
    StreamChanged();
}

void TacHintImage::AssignTo(TPersistent* dest) const
{
    auto* image = dynamic_cast<TacHintImage*>(dest);
    if (!image) {
        TPersistent::AssignTo(dest);
        return;
    }
    if (image == this) return;
    image->FImage->Assign(FImage.get());
    if (FImageData->Size() > 0) {
        FImageData->SetPosition(0);
        SetMemoryStreamBytes(*image->FImageData, ImgDataBytes());
    } else {
        image->FImageData->Clear();
    }
    image->SetOffsetHorz(FOffsetHorz);
    image->SetOffsetVert(FOffsetVert);
    image->SetClientMargins(FClientMargins.get());
    image->SetBorderDrawModes(FBorderDrawModes.get());
    image->SetBordersWidths(FBordersWidths.get());
    image->SetShadowSizes(FShadowSizes.get());
}

TPersistent* TacHintImage::GetOwner() const { return FOwner; }

// ---------------------------------------------------------------------------------------------
// TacHintTemplate

TacHintTemplate::TacHintTemplate()
    : FImageDefault(std::make_unique<TacHintImage>(this)), FImageRightTop(std::make_unique<TacHintImage>(this)),
      FImageLeftBottom(std::make_unique<TacHintImage>(this)), FImageRightBottom(std::make_unique<TacHintImage>(this)),
      FFont(std::make_unique<TFont>())
{
    FFont->SetHeight(-12);
}

TacHintTemplate::~TacHintTemplate()
{
    if (CurrentHintTemplate == this) CurrentHintTemplate = nullptr;
}

TacHintImage* TacHintTemplate::GetImage(int index) const
{
    switch (index) {
    case 1: return FImageLeftBottom.get();
    case 2: return FImageRightBottom.get();
    case 3: return FImageRightTop.get();
    default: return FImageDefault.get();
    }
}

void TacHintTemplate::SetImage(int index, const TacHintImage* value) { GetImage(index)->Assign(value); }

void TacHintTemplate::SetFont(const TFont* value)
{
    FFont->Assign(value);
    NotifyChanged();
}

bool TacHintTemplate::SingleImageUsed() const
{
    const TacHintTemplate* inUse = CurrentHintTemplate ? CurrentHintTemplate : this;
    return FImageLeftBottom->ImageData().Size() == 0 && inUse->Img_LeftBottom()->Image()->Empty();
}

void TacHintTemplate::NotifyChanged() const
{
    TCollection* collection = Collection();
    if (!collection) return;
    if (auto* owner = dynamic_cast<IacHintTemplatesOwner*>(collection->Owner())) owner->Changed();
}

void TacHintTemplate::AssignTo(TPersistent* dest) const
{
    auto* t = dynamic_cast<TacHintTemplate*>(dest);
    if (!t) {
        TCollectionItem::AssignTo(dest);
        return;
    }
    if (t == this) return;
    for (int i = 0; i < 4; ++i) t->SetImage(i, GetImage(i));
    t->SetHintAlign(FHintAlign);
    t->SetFont(FFont.get());
    t->SetName(FName);
}

// ---------------------------------------------------------------------------------------------
// TacHintTemplates

TacHintTemplates::TacHintTemplates(TPersistent* owner) : TCollection(TCollection::ItemClass<TacHintTemplate>(), owner)
{
}
