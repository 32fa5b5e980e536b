// The base of the library's image lists, the unit's list of them, file-format recognition,
// the routines that steer any list, loading from resources, and the unit's start-up.
#include "acAlphaImageList.h"
#include "acAlphaImageListChar.h"
#include "acAlphaImageListVirtual.h"

#include "ComObj.h"
#include "FormReader.h"
#include "TypInfo.h"
#include "acUnitCounter.h"
#include "sAlphaGraph.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sGraphUtilsPng.h"
#include "sGraphUtilsText.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sThirdParty.h"

#include <algorithm>
#include <array>
#include <vector>

bool acIgnoreBlendColor = false;

namespace {

// Created on the first registration, freed at the unit's shut-down.
std::unique_ptr<std::vector<TCustomImageList*>> imageLists;
TacUnitCounter unitCounter;

} // namespace

// ---------------------------------------------------------------------------------------------
// The unit's list of image lists

void RegisterImageList(TCustomImageList* list)
{
    if (!imageLists) imageLists = std::make_unique<std::vector<TCustomImageList*>>();
    imageLists->push_back(list);
}

void UnregisterImageList(TCustomImageList* list)
{
    if (imageLists) std::erase(*imageLists, list);
}

void IterateImageLists(const TacImageListProc& proc, std::intptr_t data)
{
    if (!imageLists || !proc) return;
    // A step may create or free lists: walk a copy and skip the ones gone meanwhile.
    const std::vector<TCustomImageList*> lists = *imageLists;
    for (TCustomImageList* list : lists)
        if (std::find(imageLists->begin(), imageLists->end(), list) != imageLists->end()) proc(list, data);
}

// ---------------------------------------------------------------------------------------------
// TacImageList

TacImageList::TacImageList(TComponent* owner) : TImageList(owner) { RegisterImageList(this); }

TacImageList::~TacImageList() { UnregisterImageList(this); }

void TacImageList::ReadData(TStream&) {}

void TacImageList::WriteData(TStream& stream)
{
    if (ComponentState().Contains(csWriting)) return;
    HIMAGELIST empty = ::ImageList_Create(1, 1, ILC_COLOR32, 0, 4);
    if (!empty) return;
    const auto adapter = TComPtr<IStream>::Attach(CreateStreamAdapter(stream));
    using WriteEx = HRESULT(WINAPI*)(HIMAGELIST, DWORD, IStream*);
    HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll");
    auto writeEx = comctl ? reinterpret_cast<WriteEx>(
                                reinterpret_cast<void*>(::GetProcAddress(comctl, "ImageList_WriteEx")))
                          : nullptr;
    if (writeEx) writeEx(empty, ILP_DOWNLEVEL, adapter.Get());
    else ::ImageList_Write(empty, adapter.Get());
    ::ImageList_Destroy(empty);
}

void TacImageList::AfterConstruction()
{
    if (!Loading()) FLoaded = true;
}

void TacImageList::AcBeginUpdate() { AcChanging = true; }

void TacImageList::AcEndUpdate(bool regenerate)
{
    AcChanging = false;
    if (!regenerate) return;
    if (DefaultManager && DefaultManager->ManagerState.Contains(msSkinChanging)) return;
    RegenerateStdList();
    Change();
}

void TacImageList::CreateImgList() { Handle(); }

void TacImageList::KillImgList()
{
    FreeHandle();
    if (!AcChanging) Change();
}

void TacImageList::SetNewDimensions(HIMAGELIST value)
{
    int cx = 0, cy = 0;
    if (!value || !::ImageList_GetIconSize(value, &cx, &cy)) return;
    // The native list is made at the saved size: it follows.
    if (FLoaded) {
        SavedWidth = cx;
        SavedHeight = cy;
    }
    SetSize(cx, cy);
}

bool TacImageList::CanScale() const
{
    return FAllowScale && FLoaded && DefaultManager && !ComponentState().Contains(csDesigning) && ItemCount() > 0;
}

void TacImageList::SetNewScale(int scale)
{
    if (scale == FSavedScale || !CanScale()) return;
    const bool wasLocked = AcChanging;
    AcChanging = true;
    FSavedScale = scale;
    if (HandleAllocated()) ::ImageList_Remove(Handle(), -1);
    KillImgList();
    RegenerateStdList();
    AcChanging = wasLocked;
    if (!wasLocked) TImageList::Change();
}

void TacImageList::LoadedSizes(bool killAlways)
{
    FLoaded = true;
    if (SavedWidth == 0 && Width() == 16 && Height() == 16) {
        TacChangingScope lock(AcChanging);
        KillImgList();
        StoreDimension(0, 16, true);
        StoreDimension(1, 16, true);
    } else if (killAlways || SavedWidth != 0) {
        KillImgList();
    }
    if (SavedWidth == 0) SavedWidth = Width();
    if (SavedHeight == 0) SavedHeight = Height();
}

void TacImageList::LoadedStdList()
{
    if (StdListIsGenerated) return;
    RegenerateStdList();
    StdListIsGenerated = true;
    Change();
}

void TacImageList::StoreDimension(int index, int value, bool save)
{
    if (index == 0) {
        if (save) SavedHeight = value;
        SetHeight(value);
    } else {
        if (save) SavedWidth = value;
        SetWidth(value);
    }
}

void TacImageList::AssignListSettings(TCustomImageList* source)
{
    if (HandleAllocated()) ::ImageList_Remove(Handle(), -1);
    SetMasked(source->Masked());
    SetImageType(source->ImageType());
    SetDrawingStyle(source->DrawingStyle());
    SetShareImages(source->ShareImages());
}

TColor TacImageList::NativeBkColor(HIMAGELIST list)
{
    const COLORREF bk = ::ImageList_GetBkColor(list);
    return bk == CLR_NONE ? clNone : bk == CLR_DEFAULT ? clDefault : static_cast<TColor>(bk);
}

// ---------------------------------------------------------------------------------------------
// Copies

std::unique_ptr<TBitmap> CopyBitmap(TBitmap* bmp)
{
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(bmp);
    return copy;
}

// ---------------------------------------------------------------------------------------------
// Stored bytes

// ---------------------------------------------------------------------------------------------
// Formats

bool GetImageFormat(const UnicodeString& fileName, TsImageFormat& format)
{
    HANDLE file = ::CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    std::array<std::uint8_t, 8> head{};
    DWORD got = 0;
    const bool read = ::GetFileSizeEx(file, &size) && ::ReadFile(file, head.data(), 8, &got, nullptr);
    ::CloseHandle(file);
    if (!read) return false;
    // A signature counts only when the file holds more bytes than the signature is long.
    auto starts = [&](std::span<const std::uint8_t> signature) {
        return size.QuadPart > static_cast<long long>(signature.size()) && got >= signature.size() &&
               std::equal(signature.begin(), signature.end(), head.begin());
    };
    static constexpr std::array<std::uint8_t, 2> kIco{0, 0};
    static constexpr std::array<std::uint8_t, 2> kBmp{'B', 'M'};
    if (starts(PNGMagic)) {
        format = ifPNG;
        return true;
    }
    if (starts(kIco)) {
        const auto dot = fileName.find_last_of(L".\\/");
        UnicodeString ext = dot != UnicodeString::npos && fileName[dot] == L'.' ? fileName.substr(dot + 1) : L"";
        for (auto& c : ext) c = static_cast<wchar_t>(std::towlower(c));
        if (ext != L"ico") return false;
        format = ifICO;
        return true;
    }
    if (starts(kBmp)) {
        format = ifBMP32;
        return true;
    }
    return false;
}

bool GetImageFormat(TStream&, TsImageFormat& format)
{
    format = ifPNG;
    return true;
}

double GetDefScaling(std::uint8_t charset, const UnicodeString& fontName)
{
    TFont font;
    font.SetCharset(charset);
    font.SetName(fontName);
    font.SetHeight(-96);
    return GetFontHeight(font.Handle(), false) / 96.0;
}

// ---------------------------------------------------------------------------------------------
// Steering any list (glyph and virtual lists add their branches with their own classes)

void SetImagesPPI(TCustomImageList* imgList, int ppi)
{
    if (auto* alpha = dynamic_cast<TsAlphaImageList*>(imgList)) alpha->PixelsPerInch = ppi;
    else if (auto* chars = dynamic_cast<TsCharImageList*>(imgList); chars && chars->FAllowScale)
        chars->PixelsPerInch = ppi;
    else if (auto* view = dynamic_cast<TsVirtualImageList*>(imgList)) view->PixelsPerInch = ppi;
}

void SetImagesState(TCustomImageList* imgList, int state)
{
    if (auto* chars = dynamic_cast<TsCharImageList*>(imgList)) chars->State = state;
    else if (auto* view = dynamic_cast<TsVirtualImageList*>(imgList)) view->State = state;
}

void ClearImgListCache(TCustomImageList* list, std::intptr_t data)
{
    if (auto* ac = dynamic_cast<TacImageList*>(list)) ac->ClearCache(static_cast<int>(data));
    else if (auto* view = dynamic_cast<TsVirtualImageList*>(list)) view->ClearItems(static_cast<int>(data));
}

void ScaleImageList(TCustomImageList* list, std::intptr_t data)
{
    SetImagesPPI(list, static_cast<int>(data));
    auto* chars = dynamic_cast<TsCharImageList*>(list);
    if (!chars || !chars->FAllowScale) return;
    chars->AcBeginUpdate();
    chars->KillImgList();
    const int width = GetImageWidth(chars, -1, 96), height = GetImageHeight(chars, -1, 96);
    chars->SetWidth(width);
    chars->SetHeight(height);
    chars->GenerateStdList(clNone);
    chars->AcEndUpdate(true);
}

void SetBaseColor(TCustomImageList* list, std::intptr_t data)
{
    auto* chars = dynamic_cast<TsCharImageList*>(list);
    if (!chars) return;
    chars->AcBeginUpdate();
    chars->KillImgList();
    if (DefaultManager) chars->PixelsPerInch = DefaultManager->Options()->PixelsPerInch();
    chars->GenerateStdList(static_cast<TColor>(data));
    chars->PixelsPerInch = 96;
    chars->ForeColor = clNone;
    chars->AcEndUpdate(true);
}

// ---------------------------------------------------------------------------------------------
// Resources

bool AddImageFromRes(HINSTANCE instance, TsAlphaImageList* list, const UnicodeString& resName, TsImageFormat format)
{
    if (!list) return false;
    HICON icon = nullptr;
    switch (format) {
    case ifICO:
        icon = static_cast<HICON>(
            ::LoadImageW(instance, resName.c_str(), IMAGE_ICON, list->Width(), list->Height(), LR_DEFAULTCOLOR));
        break;
    case ifBMP32: {
        TBitmap bmp;
        try {
            bmp.LoadFromResourceName(instance, resName);
        } catch (const Exception&) {
            return false;
        }
        bmp.SetPixelFormat(pf32bit);
        TsImgListItem* item = list->Items()->Add();
        bmp.SaveToStream(*item->ImgData);
        item->ImgData->SetPosition(0);
        item->SetImageFormat(ifBMP32);
        item->OrigWidth = bmp.Width();
        item->OrigHeight = bmp.Height();
        icon = MakeIcon32(&bmp);
        break;
    }
    case ifPNG: {
        auto bmp = CreateBmp32(0, 0);
        auto data = std::make_unique<TMemoryStream>();
        try {
            TResourceStream res(instance, resName);
            data->LoadFromStream(res);
            data->SetPosition(0);
            LoadBmpFromPngStream(bmp.get(), *data);
        } catch (const Exception&) {
            return false;
        }
        data->SetPosition(0);
        TsImgListItem* item = list->Items()->Add();
        item->ImgData = std::move(data);
        item->SetImageFormat(ifPNG);
        item->OrigWidth = bmp->Width();
        item->OrigHeight = bmp->Height();
        icon = MakeIcon32(bmp.get());
        break;
    }
    }
    if (!icon) return false;
    const int index = ::ImageList_ReplaceIcon(list->Handle(), -1, icon);
    ::DestroyIcon(icon);
    return index >= 0;
}

// ---------------------------------------------------------------------------------------------
// Form definitions and start-up

HMODULE acIconFontModule = nullptr;

namespace {

// The icon font registered at start-up, kept until shut-down.
HANDLE iconFont = nullptr;
DWORD iconFontCount = 0;

void RegisterIconFont()
{
    if (iconFont) return;
    HMODULE module = acIconFontModule ? acIconFontModule : ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, L"awFont", MAKEINTRESOURCEW(10));
    if (!info) return; // a program without the resource uses installed fonts only
    HGLOBAL res = ::LoadResource(module, info);
    const DWORD size = ::SizeofResource(module, info);
    void* bytes = res ? ::LockResource(res) : nullptr;
    if (!bytes || size == 0) return;
    iconFontCount = 0;
    iconFont = ::AddFontMemResourceEx(bytes, size, nullptr, &iconFontCount);
}

void UnregisterIconFont()
{
    if (iconFont) ::RemoveFontMemResourceEx(iconFont);
    iconFont = nullptr;
    iconFontCount = 0;
}

const TEnumTypeInfo kImageFormat{{L"ifPNG", L"ifICO", L"ifBMP32"}};
const TEnumTypeInfo kPixelFormat{
    {L"pfDevice", L"pf1bit", L"pf4bit", L"pf8bit", L"pf15bit", L"pf16bit", L"pf24bit", L"pf32bit", L"pfCustom"}};

TPropInfo Dimension(const UnicodeString& name, int index)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkInteger;
    info.OrdDefault = 16;
    info.GetOrd = [index](TPersistent* p) { return int64_t{PropertyInstance<TsAlphaImageList>(p).GetDimension(index)}; };
    info.SetOrd = [index](TPersistent* p, int64_t v) {
        PropertyInstance<TsAlphaImageList>(p).SetDimension(index, static_cast<int>(v));
    };
    return info;
}

void RegisterAlphaImageListClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterImageListClasses();
    RegisterPublishedClass(L"TacImageList", L"TImageList");

    const UnicodeString item = L"TsImgListItem";
    RegisterPublishedClass(item, L"TPersistent");
    RegisterPublishedProperty(item, OrdProp(L"ImageFormat", pkEnum, &TsImgListItem::ImageFormat,
                                            &TsImgListItem::SetImageFormat, int64_t{ifPNG}, &kImageFormat));
    RegisterPublishedProperty(item, StrProp(L"ImageName", &TsImgListItem::ImageName, &TsImgListItem::SetImageName,
                                            UnicodeString()));
    RegisterPublishedProperty(item, OrdProp(L"PixelFormat", pkEnum, &TsImgListItem::PixelFormat,
                                            &TsImgListItem::SetPixelFormat, int64_t{pf32bit}, &kPixelFormat));
    RegisterPublishedProperty(item, StrProp(L"Text", &TsImgListItem::Text, &TsImgListItem::SetText, UnicodeString()));
    // Always written, also when empty.
    RegisterPublishedProperty(item, BinProp(L"ImgData", &TsImgListItem::ImgDataBytes, &TsImgListItem::SetImgDataBytes));
    RegisterPublishedClass(L"TsImgListItems", L"TPersistent");

    const UnicodeString c = L"TsAlphaImageList";
    RegisterPublishedClass(c, L"TacImageList");
    RegisterPublishedProperty(c, Dimension(L"Height", 0));
    RegisterPublishedProperty(c, Dimension(L"Width", 1));
    RegisterPublishedProperty(c, OrdProp(L"BkColor", pkColor, &TsAlphaImageList::GetBkColor,
                                         &TsAlphaImageList::SetBkColor, int64_t{clNone}));
    RegisterPublishedProperty(c, ObjProp(L"Items", &TsAlphaImageList::Items, &TsAlphaImageList::SetItems,
                                         L"Image list items expected", TNilObject::Reject));
    RegisterPublishedProperty(c, OrdProp(L"UseCache", pkBool, &TsAlphaImageList::UseCache,
                                         &TsAlphaImageList::SetUseCache, int64_t{1}));
    RegisterComponentClass(c, [](TComponent* owner) -> TComponent* {
        auto* list = new TsAlphaImageList(owner);
        list->AfterConstruction();
        return list;
    });
}

} // namespace

HANDLE acIconFontHandle() { return iconFont; }
DWORD acIconFontCount() { return iconFontCount; }

void acAlphaImageListInitialization()
{
    if (!unitCounter.StartUp()) return;
    RegisterIconFont();
    RegisterAlphaImageListClasses();
    RegisterCharImageListClasses();
    RegisterVirtualImageListClasses();
}

void acAlphaImageListFinalization()
{
    if (!unitCounter.ShutDown()) return;
    UnregisterIconFont();
    imageLists.reset();
}
