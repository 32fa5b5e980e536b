#include "ImageList.h"

#include "ComObj.h"
#include "TypInfo.h"


#include <algorithm>
#include <memory>

namespace {

COLORREF ListColor(TColor color)
{
    if (color == clNone) return CLR_NONE;
    if (color == clDefault) return CLR_DEFAULT;
    return ColorToGdi(color);
}

UINT DepthFlag(TColorDepth depth)
{
    switch (depth) {
    case cdDeviceDependent: return ILC_COLORDDB;
    case cd4Bit: return ILC_COLOR4;
    case cd8Bit: return ILC_COLOR8;
    case cd16Bit: return ILC_COLOR16;
    case cd24Bit: return ILC_COLOR24;
    default: return ILC_COLOR32;
    }
}

UINT StyleFlags(TDrawingStyle style, TImageType type)
{
    static constexpr UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
    return kStyles[style] | (type == itMask ? ILD_MASK : 0);
}

int Checked(int index)
{
    if (index < 0) throw EInvalidGraphicOperation(L"Failed to add image to the image list");
    return index;
}

} // namespace

// ---------------------------------------------------------------------------------------------

TChangeLink::~TChangeLink()
{
    if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change()
{
    if (OnChange) OnChange(sender_);
}

// ---------------------------------------------------------------------------------------------

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::TCustomImageList(TComponent* owner, int width, int height) : TComponent(owner)
{
    SetSize(width, height);
}

TCustomImageList::~TCustomImageList()
{
    for (TChangeLink* link : links_) link->sender_ = nullptr;
    links_.clear();
    FreeHandle();
}

void TCustomImageList::FreeHandle()
{
    if (handle_ && !shareImages_) ::ImageList_Destroy(handle_);
    handle_ = nullptr;
}

void TCustomImageList::Recreate()
{
    if (!handle_) return;
    FreeHandle();
    Change();
}

HIMAGELIST TCustomImageList::CreateImageListHandle()
{
    const TSize size = HandleImageSize();
    HIMAGELIST list = ::ImageList_Create(size.cx, size.cy, DepthFlag(colorDepth_) | (masked_ ? ILC_MASK : 0), allocBy_,
                                         allocBy_);
    if (!list) throw EOutOfResources(L"Out of system resources");
    ::ImageList_SetBkColor(list, ListColor(bkColor_));
    return list;
}

HIMAGELIST TCustomImageList::Handle()
{
    if (!handle_) handle_ = CreateImageListHandle();
    return handle_;
}

void TCustomImageList::SetHandle(HIMAGELIST list)
{
    if (list == handle_) return;
    FreeHandle();
    handle_ = list;
    if (list) {
        int cx = 0, cy = 0;
        if (::ImageList_GetIconSize(list, &cx, &cy)) {
            width_ = cx;
            height_ = cy;
        }
        bkColor_ = ::ImageList_GetBkColor(list) == CLR_NONE ? clNone : static_cast<TColor>(::ImageList_GetBkColor(list));
    }
    Change();
}

void TCustomImageList::SetSize(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    if (!handle_) return;
    // The list stays (controls may hold its handle) but loses its images.
    const TSize size = HandleImageSize();
    ::ImageList_SetIconSize(handle_, size.cx, size.cy);
    Change();
}

void TCustomImageList::SetMasked(bool masked)
{
    if (masked == masked_) return;
    masked_ = masked;
    Recreate();
}

void TCustomImageList::SetColorDepth(TColorDepth depth)
{
    if (depth == colorDepth_) return;
    colorDepth_ = depth;
    Recreate();
}

void TCustomImageList::SetBkColor(TColor color)
{
    if (color == bkColor_) return;
    bkColor_ = color;
    if (handle_) ::ImageList_SetBkColor(handle_, ListColor(color));
    Change();
}

void TCustomImageList::SetBlendColor(TColor color)
{
    if (color == blendColor_) return;
    blendColor_ = color;
    Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle style)
{
    if (style == drawingStyle_) return;
    drawingStyle_ = style;
    Change();
}

void TCustomImageList::SetImageType(TImageType type)
{
    if (type == imageType_) return;
    imageType_ = type;
    Change();
}

int TCustomImageList::GetCount() const
{
    return handle_ ? ::ImageList_GetImageCount(handle_) : 0;
}

void TCustomImageList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count()) throw EInvalidGraphicOperation(L"Invalid ImageList Index");
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask)
{
    if (!image || image->Empty()) throw EInvalidGraphicOperation(L"Failed to add image to the image list");
    // The list copies the pixels; the bitmaps must not be selected into a DC meanwhile.
    const int index = Checked(::ImageList_Add(Handle(), image->Handle(), mask ? mask->Handle() : nullptr));
    Change();
    return index;
}

int TCustomImageList::AddIcon(TIcon* icon)
{
    if (!icon || icon->Empty()) throw EInvalidGraphicOperation(L"Failed to add image to the image list");
    const int index = Checked(::ImageList_ReplaceIcon(Handle(), -1, icon->Handle()));
    Change();
    return index;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor)
{
    if (!image || image->Empty()) throw EInvalidGraphicOperation(L"Failed to add image to the image list");
    if (maskColor == clDefault) maskColor = image->TransparentColor();
    // ImageList_AddMasked blackens the masked pixels of the bitmap it gets: give it a copy.
    TBitmap copy;
    copy.Assign(image);
    const int index = Checked(::ImageList_AddMasked(Handle(), copy.Handle(), ColorToGdi(maskColor)));
    Change();
    return index;
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask)
{
    CheckIndex(index);
    if (!image || image->Empty()) throw EInvalidGraphicOperation(L"Failed to replace image");
    if (!::ImageList_Replace(handle_, index, image->Handle(), mask ? mask->Handle() : nullptr))
        throw EInvalidGraphicOperation(L"Failed to replace image");
    Change();
}

void TCustomImageList::ReplaceIcon(int index, TIcon* icon)
{
    CheckIndex(index);
    if (!icon || icon->Empty() || ::ImageList_ReplaceIcon(handle_, index, icon->Handle()) < 0)
        throw EInvalidGraphicOperation(L"Failed to replace image");
    Change();
}

void TCustomImageList::Delete(int index)
{
    CheckIndex(index);
    ::ImageList_Remove(handle_, index);
    Change();
}

void TCustomImageList::Move(int currentIndex, int newIndex)
{
    if (currentIndex == newIndex) return;
    CheckIndex(currentIndex);
    CheckIndex(newIndex);
    // Only plain copies within the list (ILCF_MOVE): Wine's ILCF_SWAP loses the colours. The
    // moving image waits in a spare slot at the end while the ones in between shift by one.
    const int count = Count();
    if (!::ImageList_SetImageCount(handle_, count + 1)) throw EInvalidGraphicOperation(L"Failed to move image");
    ::ImageList_Copy(handle_, count, handle_, currentIndex, ILCF_MOVE);
    const int step = newIndex > currentIndex ? 1 : -1;
    for (int i = currentIndex; i != newIndex; i += step) ::ImageList_Copy(handle_, i, handle_, i + step, ILCF_MOVE);
    ::ImageList_Copy(handle_, newIndex, handle_, count, ILCF_MOVE);
    ::ImageList_Remove(handle_, count);
    Change();
}

void TCustomImageList::Clear()
{
    if (handle_) ::ImageList_Remove(handle_, -1);
    Change();
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled)
{
    Draw(canvas, x, y, index, drawingStyle_, imageType_, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
                            bool enabled)
{
    if (!canvas || !handle_ || index < 0 || index >= Count()) return;
    DoDraw(index, canvas, x, y, StyleFlags(style, type), enabled);
}

void TCustomImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled)
{
    IMAGELISTDRAWPARAMS params{};
    params.cbSize = sizeof(params);
    params.himl = handle_;
    params.i = index;
    params.hdcDst = canvas->Handle();
    params.x = x;
    params.y = y;
    params.rgbBk = ListColor(bkColor_);
    params.rgbFg = blendColor_ == clNone ? CLR_DEFAULT : ListColor(blendColor_);
    params.fStyle = style;
    params.fState = enabled ? ILS_NORMAL : ILS_SATURATE; // disabled: grey
    ::ImageList_DrawIndirect(&params);
}

bool TCustomImageList::GetBitmap(int index, TBitmap* image)
{
    if (!image || index < 0 || index >= Count()) return false;
    image->SetSize(width_, height_);
    Draw(image->Canvas(), 0, 0, index);
    return true;
}

bool TCustomImageList::GetIcon(int index, TIcon* icon)
{
    if (!icon || index < 0 || index >= Count()) return false;
    HICON handle = ::ImageList_GetIcon(handle_, index, ILD_NORMAL);
    if (!handle) return false;
    icon->SetHandle(handle);
    return true;
}

void TCustomImageList::RegisterChanges(TChangeLink* link)
{
    if (!link) return;
    if (link->sender_ && link->sender_ != this) link->sender_->UnRegisterChanges(link);
    link->sender_ = this;
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link)
{
    if (!link) return;
    std::erase(links_, link);
    if (link->sender_ == this) link->sender_ = nullptr;
}

bool ChangeImageList(TCustomImageList*& field, TCustomImageList* value, TChangeLink* link, TComponent* owner)
{
    if (value == field) return false;
    if (field) field->UnRegisterChanges(link);
    field = value;
    if (field) {
        field->RegisterChanges(link);
        field->FreeNotification(owner);
    }
    return true;
}

void TCustomImageList::Change()
{
    // A handler may unregister links: walk a copy.
    const std::vector<TChangeLink*> links = links_;
    for (TChangeLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// Form data

void TCustomImageList::ReadData(TStream& stream)
{
    if (stream.Size() - stream.Position() <= 0) return;
    const auto adapter = TComPtr<IStream>::Attach(CreateStreamAdapter(stream));
    HIMAGELIST list = ::ImageList_Read(adapter.Get());
    if (!list) throw EReadError(L"Failed to read ImageList data from stream");
    SetHandle(list);
}

void TCustomImageList::WriteData(TStream& stream)
{
    if (!handle_ || GetCount() == 0) return;
    const auto adapter = TComPtr<IStream>::Attach(CreateStreamAdapter(stream));
    if (!::ImageList_Write(handle_, adapter.Get())) throw EWriteError(L"Failed to write ImageList data to stream");
}

void RegisterImageListClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    static const TEnumTypeInfo kDrawingStyle{{L"dsFocus", L"dsSelected", L"dsNormal", L"dsTransparent"}};
    static const TEnumTypeInfo kImageType{{L"itImage", L"itMask"}};
    static const TEnumTypeInfo kColorDepth{
        {L"cdDeviceDependent", L"cd4Bit", L"cd8Bit", L"cd16Bit", L"cd24Bit", L"cd32Bit"}};
    using L = TCustomImageList;
    const UnicodeString c = L"TCustomImageList";
    RegisterPublishedClass(c, L"TComponent");
    RegisterPublishedProperty(c, OrdProp(L"AllocBy", pkInteger, &L::AllocBy, &L::SetAllocBy, int64_t{4}));
    RegisterPublishedProperty(c, OrdProp(L"BlendColor", pkColor, &L::BlendColor, &L::SetBlendColor, int64_t{clNone}));
    RegisterPublishedProperty(c, OrdProp(L"BkColor", pkColor, &L::BkColor, &L::SetBkColor, int64_t{clNone}));
    RegisterPublishedProperty(c, OrdProp(L"ColorDepth", pkEnum, &L::ColorDepth, &L::SetColorDepth,
                                         int64_t{cd32Bit}, &kColorDepth));
    RegisterPublishedProperty(c, OrdProp(L"DrawingStyle", pkEnum, &L::DrawingStyle, &L::SetDrawingStyle,
                                         int64_t{dsNormal}, &kDrawingStyle));
    RegisterPublishedProperty(c, OrdProp(L"Height", pkInteger, &L::Height, &L::SetHeight, int64_t{16}));
    RegisterPublishedProperty(c, OrdProp(L"ImageType", pkEnum, &L::ImageType, &L::SetImageType, int64_t{itImage},
                                         &kImageType));
    RegisterPublishedProperty(c, OrdProp(L"Masked", pkBool, &L::Masked, &L::SetMasked, int64_t{1}));
    RegisterPublishedProperty(c, OrdProp(L"ShareImages", pkBool, &L::ShareImages, &L::SetShareImages, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"Width", pkInteger, &L::Width, &L::SetWidth, int64_t{16}));
    // After the size and format, which empty the list.
    TPropInfo data;
    data.Name = L"Bitmap";
    data.Kind = pkBinary;
    data.BinDefault = TBytes();
    data.GetBin = [](TPersistent* p) {
        TMemoryStream stream;
        PropertyInstance<L>(p).WriteData(stream);
        return TBytes(stream.Memory(), stream.Memory() + stream.Size());
    };
    data.SetBin = [](TPersistent* p, std::span<const std::uint8_t> bytes) {
        TMemoryStream stream;
        if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
        stream.SetPosition(0);
        PropertyInstance<L>(p).ReadData(stream);
    };
    RegisterPublishedProperty(c, std::move(data));
    RegisterPublishedClass(L"TImageList", c);
}
