// TsCharImageList's items, stored fonts and upkeep: construction and loading, sizes, blending,
// the update lock and change notification, copying between lists, and its published properties.
#include "acAlphaImageListChar.h"

#include "FormReader.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "sGraphUtilsRotate.h"
#include "sSkinManager.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <cmath>

namespace acAlphaImageList {

// ---------------------------------------------------------------------------------------------
// Stored fonts

void TacEmbeddedFont::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TacEmbeddedFont*>(source);
    if (!src) {
        TCollectionItem::Assign(source);
        return;
    }
    if (src == this) return;
    FFileName = src->FFileName;
    FFontName = src->FFontName;
    SetFontDataBytes(src->FontDataBytes());
}

std::span<const std::uint8_t> TacEmbeddedFont::FontDataBytes() const { return MemoryStreamBytes(*FontData); }

void TacEmbeddedFont::SetFontDataBytes(std::span<const std::uint8_t> bytes) { SetMemoryStreamBytes(*FontData, bytes); }

void TacEmbeddedFont::LoadFont()
{
    if (FontData->Size() == 0 || FontData->Size() > std::numeric_limits<DWORD>::max()) return;
    DWORD count = 0;
    Handle = ::AddFontMemResourceEx(const_cast<std::uint8_t*>(FontData->Memory()),
                                    static_cast<DWORD>(FontData->Size()), nullptr, &count);
}

void TacEmbeddedFont::UnLoadFont()
{
    if (Handle) ::RemoveFontMemResourceEx(Handle);
    Handle = nullptr;
}

TacEmbeddedFonts::TacEmbeddedFonts(TPersistent* owner) : TCollection(TCollection::ItemClass<TacEmbeddedFont>(), owner)
{
}

void TacEmbeddedFonts::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TacEmbeddedFonts*>(source);
    if (!src) {
        TCollection::Assign(source);
        return;
    }
    if (src == this) return;
    Clear();
    if (src->Count() == 0 || src->Items(0)->FontData->Size() != 0) Add()->SetFontName(L"FontAwesome");
    for (int i = 0; i < src->Count(); ++i) Add()->Assign(src->Items(i));
}

} // namespace acAlphaImageList



// ---------------------------------------------------------------------------------------------
// Items

TsCharImageList* TacCharListItem::ImgList() const
{
    auto* items = dynamic_cast<TacCharListItems*>(Collection());
    return items ? items->FOwner : nullptr;
}

void TacCharListItem::Invalidate()
{
    CacheBmp.reset();
    if (TsCharImageList* list = ImgList()) list->Change();
}

void TacCharListItem::SetWord(int index, std::uint16_t value) { Store(index == 0 ? FChar : FAddedChar, value); }
void TacCharListItem::SetFontName(const UnicodeString& value) { Store(FFontName, value); }
void TacCharListItem::SetAddedFontName(const UnicodeString& value) { Store(FAddedFontName, value); }
void TacCharListItem::SetCharset(int index, TFontCharset value) { Store(index == 0 ? FCharset : FAddedCharset, value); }

void TacCharListItem::SetColor(int index, TColor value)
{
    Store(index == 0 ? FColor : index == 1 ? FSecondColor : FAddedColor, value);
}

void TacCharListItem::SetScalingFactor(double value) { Store(FScalingFactor, value); }
void TacCharListItem::SetAngle(int value) { Store(FAngle, value); }

void TacCharListItem::SetInteger(int index, int value)
{
    int* fields[] = {&FOrientation, &FOffsetY, &FAddedOffsetX, &FAddedOffsetY, &FAddedSize};
    if (index >= 0 && index < 5) Store(*fields[index], value);
}

void TacCharListItem::SetPitch(TFontPitch value) { Store(FPitch, value); }
void TacCharListItem::SetStyle(TFontStyles value) { Store(FStyle, value); }
void TacCharListItem::SetDrawContour(bool value) { Store(FDrawContour, value); }

void TacCharListItem::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TacCharListItem*>(source);
    if (!src) {
        TCollectionItem::Assign(source);
        return;
    }
    if (src == this) return;
    FChar = src->FChar;
    FAddedChar = src->FAddedChar;
    FFontName = src->FFontName;
    FAddedFontName = src->FAddedFontName;
    FCharset = src->FCharset;
    FAddedCharset = src->FAddedCharset;
    FColor = src->FColor;
    FSecondColor = src->FSecondColor;
    FAddedColor = src->FAddedColor;
    FScalingFactor = src->FScalingFactor;
    FAngle = src->FAngle;
    FOrientation = src->FOrientation;
    FOffsetY = src->FOffsetY;
    FAddedSize = src->FAddedSize;
    FPitch = src->FPitch;
    FStyle = src->FStyle;
    FDrawContour = src->FDrawContour;
    FImageName = src->FImageName;
    Invalidate();
}

void TacCharListItem::AssignTo(TPersistent* dest) const
{
    if (auto* item = dynamic_cast<TacCharListItem*>(dest)) item->Assign(this);
    else TCollectionItem::AssignTo(dest);
}

int TacCharListItem::ActualWidth(bool rotated) const
{
    const TsCharImageList* list = ImgList();
    const int savedWidth = list ? list->SavedWidth : 0;
    const int savedHeight = list ? list->SavedHeight : 0;
    const int w = static_cast<int>(Round(savedWidth * FScalingFactor));
    if (!rotated || FAngle == 0) return w;
    return static_cast<int>(std::trunc(std::abs(acCos(FAngle) * w) +
                                       std::abs(acSin(FAngle) * savedHeight * FScalingFactor))) +
           1;
}

TacCharListItems::TacCharListItems(TsCharImageList* owner)
    : TCollection(TCollection::ItemClass<TacCharListItem>(), owner), FOwner(owner)
{
}

void TacCharListItems::CheckItems()
{
    for (int i = 0; i < Count(); ++i) {
        TacCharListItem* item = Items(i);
        if (item->ScalingFactor() != 0) continue;
        item->SetScalingFactor(GetDefScaling(item->Charset(), item->FontName()));
        item->SetColor(0, clNone);
    }
}

// ---------------------------------------------------------------------------------------------
// Life

TsCharImageList::TsCharImageList(TComponent* owner)
    : TacImageList(owner), FItems(std::make_unique<TacCharListItems>(this)),
      FEmbeddedFonts(std::make_unique<acAlphaImageList::TacEmbeddedFonts>(this))
{
    PixelsPerInch = DefaultPPI();
    SetSize(26, 24);
}

// The embedded fonts stay registered.
TsCharImageList::~TsCharImageList()
{
    AcChanging = true;
    FItems.reset();
    FEmbeddedFonts.reset();
}

void TsCharImageList::Loaded()
{
    TacImageList::Loaded();
    LoadAllFonts();
    LoadedSizes(true);
    FItems->CheckItems();
    LoadedStdList();
}

int TsCharImageList::GetCount() const { return FItems ? FItems->Count() : 0; }

void TsCharImageList::Clear()
{
    {
        TacChangingScope lock(AcChanging);
        FItems->Clear();
        if (HandleAllocated()) ::ImageList_Remove(Handle(), -1);
    }
    Change();
}

// ---------------------------------------------------------------------------------------------
// Fonts

bool TsCharImageList::AddEmbeddedFont(const UnicodeString& fileName, const UnicodeString& fontName)
{
    const DWORD attributes = ::GetFileAttributesW(fileName.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (FontIndex(fontName) >= 0) return true;
    TMemoryStream data;
    try {
        data.LoadFromFile(fileName);
    } catch (const Exception&) {
        return false;
    }
    acAlphaImageList::TacEmbeddedFont* font = FEmbeddedFonts->Add();
    font->SetFontName(fontName);
    font->SetFileName(fileName);
    font->SetFontDataBytes({data.Memory(), static_cast<std::size_t>(data.Size())});
    font->LoadFont();
    return true;
}

int TsCharImageList::FontIndex(const UnicodeString& fontName) const
{
    for (int i = 0; i < FEmbeddedFonts->Count(); ++i)
        if (SameText(FEmbeddedFonts->Items(i)->FontName(), fontName)) return i;
    return -1;
}

void TsCharImageList::LoadAllFonts()
{
    for (int i = 0; i < FEmbeddedFonts->Count(); ++i) FEmbeddedFonts->Items(i)->LoadFont();
}

void TsCharImageList::UnLoadAllFonts()
{
    for (int i = 0; i < FEmbeddedFonts->Count(); ++i) FEmbeddedFonts->Items(i)->UnLoadFont();
}

// ---------------------------------------------------------------------------------------------
// Native list

int TsCharImageList::StdDensity(bool forHandle) const
{
    if (forHandle && ComponentState().Contains(csDesigning)) return 96;
    if (AcChanging) return PixelsPerInch;
    if (!DefaultManager || DefaultManager->Options()->ScaleMode() == smVCL) return DefaultPPI();
    return DefaultManager->Options()->PixelsPerInch();
}

TSize TsCharImageList::HandleImageSize() const
{
    const int d = StdDensity(true);
    return TSize(std::max(1, (SavedWidth ? SavedWidth : Width()) * d / 96),
                 std::max(1, (SavedHeight ? SavedHeight : Height()) * d / 96));
}

HIMAGELIST TsCharImageList::CreateImageListHandle()
{
    const TSize size = HandleImageSize();
    HIMAGELIST list = ::ImageList_Create(size.cx, size.cy, ILC_COLOR32 | (Masked() ? ILC_MASK : 0), 0,
                                         AllocBy());
    if (!list) throw EOutOfResources(L"Out of system resources");
    ::ImageList_SetBkColor(list, FBkColor == clNone ? CLR_NONE : ColorToGdi(FBkColor));
    return list;
}

void TsCharImageList::KillImgList()
{
    StdListIsGenerated = false;
    TacImageList::KillImgList();
}

void TsCharImageList::UpdateStd(int index)
{
    if (!ValidIndex(index) || !HandleAllocated()) return;
    ForeColor = clNone;
    std::unique_ptr<TBitmap> owned;
    TBitmap* image = FItems->Items(index)->GetImage(0, owned);
    AddAsIcon(image, index);
}

// ---------------------------------------------------------------------------------------------
// Notification

void TsCharImageList::Change()
{
    if (AcChanging || !FItems) return;
    if (!StdListIsGenerated && FItems->Count() > 0) return;
    if (!Loading() && HandleAllocated()) {
        if (::ImageList_GetImageCount(Handle()) != FItems->Count()) GenerateStdList(clNone);
        TacImageList::Change();
    }
}

// ---------------------------------------------------------------------------------------------
// Sizes, colours, blending

void TsCharImageList::SetDimension(int index, int value)
{
    StoreDimension(index, value, FLoaded || ComponentState().Contains(csDesigning));
    if (FLoaded && !Loading() && !AcChanging && GetCount() <= FItems->Count()) {
        GenerateStdList(clNone);
        Change();
    }
}

void TsCharImageList::SetBlendValue(std::uint8_t value)
{
    if (value == FBlendValue) return;
    FBlendValue = value;
    if (FLoaded && !Loading() && !AcChanging) {
        GenerateStdList(clNone);
        Change();
    }
}

void TsCharImageList::SetBlendingMode(TacBlendingMode value)
{
    if (value == FBlendingMode) return;
    FBlendingMode = value;
    if (FLoaded && !Loading() && !AcChanging) {
        GenerateStdList(clNone);
        Change();
    }
}

TColor TsCharImageList::GetBkColor() const { return FBkColor; }

void TsCharImageList::SetBkColor(TColor value)
{
    FBkColor = value;
    if (HandleAllocated()) ::ImageList_SetBkColor(Handle(), value == clNone ? CLR_NONE : ColorToGdi(value));
}

void TsCharImageList::SetItems(TacCharListItems* value) { FItems->Assign(value); }
void TsCharImageList::SetEmbeddedFonts(acAlphaImageList::TacEmbeddedFonts* value) { FEmbeddedFonts->Assign(value); }

bool TsCharImageList::CanUseCache() const { return FBlendingMode == bmAlways || State == 0; }

bool TsCharImageList::ItemIsCached(const TacCharListItem& item, int width, TColor color, int height) const
{
    const TBitmap* bmp = item.CacheBmp.get();
    return bmp && item.CachedState == State && bmp->Width() == width && bmp->Height() == height &&
           item.ActBlend == FBlendValue && const_cast<TBitmap*>(bmp)->Canvas()->Font()->Color() == color;
}

void TsCharImageList::SetCharColor(TColor color, int index, bool isDefault)
{
    if (isDefault) {
        ForeColor = color;
        ForeColor2 = color;
        return;
    }
    ForeColor2 = clNone;
    ForeColor = ValidIndex(index) && FItems->Items(index)->Color() != clNone ? FItems->Items(index)->Color() : color;
}

void TsCharImageList::ClearCache(int index) { ClearItemsCache(*FItems, index); }

// ---------------------------------------------------------------------------------------------
// Items and copying

int TsCharImageList::AddItem(const TacCharItemData& data)
{
    TacCharListItem* item;
    {
        TacChangingScope lock(AcChanging);
        item = FItems->Add();
        item->SetChar(data.CharCode);
        item->SetFontName(data.FontName);
        item->SetCharset(0, data.Charset);
        item->SetColor(0, data.Color);
        item->SetColor(1, data.SecondColor);
        item->SetInteger(0, data.Orientation);
        item->SetPitch(data.Pitch);
        item->SetAngle(data.Angle);
        item->SetDrawContour(data.DrawContour);
        item->SetStyle(data.Style);
        item->SetScalingFactor(data.ScalingFactor);
        item->SetInteger(1, data.Offset);
    }
    std::unique_ptr<TBitmap> owned;
    AddAsIcon(item->GetImage(0, owned), -1);
    return item->Index();
}

void TsCharImageList::Assign(const TPersistent* source)
{
    TsCharImageList* src = AssignSource<TsCharImageList>(source);
    if (!src) return;
    AcBeginUpdate();
    AssignListSettings(src);
    SetSize(src->Width(), src->Height());
    SavedWidth = src->SavedWidth;
    SavedHeight = src->SavedHeight;
    if (HandleAllocated()) {
        const TSize size = HandleImageSize();
        ::ImageList_SetIconSize(Handle(), size.cx, size.cy);
    } else {
        CreateImgList();
    }
    if (src->HandleAllocated()) SetBkColor(NativeBkColor(src->Handle()));
    FBlendValue = src->FBlendValue;
    SetBlendColor(src->BlendColor());
    FEmbeddedFonts->Assign(src->FEmbeddedFonts.get());
    CopyImages(src);
    GenerateStdList(clNone);
    AcEndUpdate(true);
}

void TsCharImageList::AssignTo(TPersistent* dest) const
{
    if (auto* list = dynamic_cast<TsCharImageList*>(dest)) {
        list->Assign(this);
        return;
    }
    TacImageList::AssignTo(dest);
}

void TsCharImageList::CopyImages(TsCharImageList* source)
{
    if (!source || source == this) return;
    {
        TacChangingScope lock(AcChanging);
        FItems->Clear();
        for (int i = 0; i < source->Items()->Count(); ++i) FItems->Add()->Assign(source->Items()->Items(i));
    }
    GenerateStdList(clNone);
}

// ---------------------------------------------------------------------------------------------
// Form definitions

namespace {

const TEnumTypeInfo kPitch{{L"fpDefault", L"fpVariable", L"fpFixed"}};
const TEnumTypeInfo kStyle{{L"fsBold", L"fsItalic", L"fsUnderline", L"fsStrikeOut"}};
const TEnumTypeInfo kBlendingMode{{L"bmInactive", L"bmAlways"}};

template <class Get, class Set>
TPropInfo IntProp(const UnicodeString& name, TPropKind kind, int64_t def, Get get, Set set)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = kind;
    info.OrdDefault = def;
    info.GetOrd = [get](TPersistent* p) { return static_cast<int64_t>(get(PropertyInstance<TacCharListItem>(p))); };
    info.SetOrd = [set](TPersistent* p, int64_t v) { set(PropertyInstance<TacCharListItem>(p), v); };
    return info;
}

TPropInfo Dimension(const UnicodeString& name, int index, int def)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkInteger;
    info.OrdDefault = def;
    info.GetOrd = [index](TPersistent* p) { return int64_t{PropertyInstance<TsCharImageList>(p).GetDimension(index)}; };
    info.SetOrd = [index](TPersistent* p, int64_t v) {
        PropertyInstance<TsCharImageList>(p).SetDimension(index, static_cast<int>(v));
    };
    return info;
}

void RegisterItemProperties()
{
    using I = TacCharListItem;
    const UnicodeString c = L"TacCharListItem";
    RegisterPublishedClass(c, L"TPersistent");
    auto word = [&](const UnicodeString& name, int index) {
        RegisterPublishedProperty(c, IntProp(
                                         name, pkInteger, 0,
                                         [index](I& i) { return index == 0 ? i.Char() : i.AddedChar(); },
                                         [index](I& i, int64_t v) { i.SetWord(index, static_cast<std::uint16_t>(v)); }));
    };
    auto charset = [&](const UnicodeString& name, int index) {
        RegisterPublishedProperty(c, IntProp(
                                         name, pkInteger, DEFAULT_CHARSET,
                                         [index](I& i) { return index == 0 ? i.Charset() : i.AddedCharset(); },
                                         [index](I& i, int64_t v) { i.SetCharset(index, static_cast<TFontCharset>(v)); }));
    };
    auto color = [&](const UnicodeString& name, int index) {
        RegisterPublishedProperty(c, IntProp(
                                         name, pkColor, clNone,
                                         [index](I& i) {
                                             return static_cast<std::uint32_t>(
                                                 index == 0 ? i.Color() : index == 1 ? i.SecondColor() : i.AddedColor());
                                         },
                                         [index](I& i, int64_t v) { i.SetColor(index, static_cast<TColor>(v)); }));
    };
    auto integer = [&](const UnicodeString& name, int index, int def) {
        RegisterPublishedProperty(
            c, IntProp(
                   name, pkInteger, def,
                   [index](I& i) {
                       const int values[] = {i.Orientation(), i.OffsetY(), i.AddedOffsetX(), i.AddedOffsetY(), i.AddedSize()};
                       return values[index];
                   },
                   [index](I& i, int64_t v) { i.SetInteger(index, static_cast<int>(v)); }));
    };
    word(L"Char", 0);
    word(L"AddedChar", 1);
    TPropInfo fontName = StrProp(L"FontName", &I::FontName, &I::SetFontName, UnicodeString(L"FontAwesome"));
    RegisterPublishedProperty(c, fontName);
    TPropInfo addedFontName = StrProp(L"AddedFontName", &I::AddedFontName, &I::SetAddedFontName);
    addedFontName.Stored = [](TPersistent* p) {
        const I& i = PropertyInstance<I>(p);
        return i.AddedChar() != 0 && !i.AddedFontName().empty();
    };
    RegisterPublishedProperty(c, addedFontName);
    charset(L"Charset", 0);
    charset(L"AddedCharset", 1);
    color(L"Color", 0);
    color(L"SecondColor", 1);
    color(L"AddedColor", 2);
    RegisterPublishedProperty(c, FloatProp(L"ScalingFactor", &I::ScalingFactor, &I::SetScalingFactor, 1.0));
    RegisterPublishedProperty(c, OrdProp(L"Angle", pkInteger, &I::Angle, &I::SetAngle, int64_t{0}));
    integer(L"Orientation", 0, 0);
    integer(L"OffsetY", 1, 0);
    integer(L"AddedOffsetX", 2, 0);
    integer(L"AddedOffsetY", 3, 0);
    integer(L"AddedSize", 4, 50);
    RegisterPublishedProperty(c, OrdProp(L"Pitch", pkEnum, &I::Pitch, &I::SetPitch, int64_t{fpDefault}, &kPitch));
    RegisterPublishedProperty(c, OrdProp(L"Style", pkSet, &I::Style, &I::SetStyle, int64_t{0}, &kStyle));
    RegisterPublishedProperty(c, OrdProp(L"DrawContour", pkBool, &I::DrawContour, &I::SetDrawContour, int64_t{0}));
    RegisterPublishedProperty(c, StrProp(L"ImageName", &I::ImageName, &I::SetImageName, UnicodeString()));
    RegisterPublishedClass(L"TacCharListItems", L"TPersistent");

    using F = acAlphaImageList::TacEmbeddedFont;
    const UnicodeString f = L"TacEmbeddedFont";
    RegisterPublishedClass(f, L"TPersistent");
    RegisterPublishedProperty(f, StrProp(L"FileName", &F::FileName, &F::SetFileName, UnicodeString()));
    RegisterPublishedProperty(f, StrProp(L"FontName", &F::FontName, &F::SetFontName, UnicodeString()));
    // Always written, also when empty.
    RegisterPublishedProperty(f, BinProp(L"FontData", &F::FontDataBytes, &F::SetFontDataBytes));
    RegisterPublishedClass(L"TacEmbeddedFonts", L"TPersistent");
}

} // namespace

void RegisterCharImageListClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterItemProperties();
    using L = TsCharImageList;
    const UnicodeString c = L"TsCharImageList";
    RegisterPublishedClass(c, L"TacImageList");
    RegisterPublishedProperty(c, Dimension(L"Height", 0, 24));
    RegisterPublishedProperty(c, Dimension(L"Width", 1, 26));
    RegisterPublishedProperty(c, ObjProp(L"EmbeddedFonts", &L::EmbeddedFonts, &L::SetEmbeddedFonts,
                                         L"Embedded fonts expected", TNilObject::Reject));
    RegisterPublishedProperty(c, ObjProp(L"Items", &L::Items, &L::SetItems, L"Glyph list items expected",
                                         TNilObject::Reject));
    RegisterPublishedProperty(c, OrdProp(L"BkColor", pkColor, &L::GetBkColor, &L::SetBkColor, int64_t{clNone}));
    RegisterPublishedProperty(c, OrdProp(L"BlendValue", pkInteger, &L::BlendValue, &L::SetBlendValue, int64_t{255}));
    RegisterPublishedProperty(c, OrdProp(L"BlendingMode", pkEnum, &L::BlendingMode, &L::SetBlendingMode,
                                         int64_t{bmInactive}, &kBlendingMode));
    RegisterComponentClass(c, [](TComponent* owner) -> TComponent* {
        auto* list = new TsCharImageList(owner);
        list->AfterConstruction();
        return list;
    });
}
