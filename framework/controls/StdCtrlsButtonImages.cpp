// The images of a push button: a list of the state images in the order the window wants them
// (normal, hot, pressed, disabled, defaulted, stylus hot), handed over with BCM_SETIMAGELIST.
#include "StdCtrls.h"

#include "FormReader.h"
#include "TypInfo.h"

TButton::~TButton()
{
    if (images_) images_->UnRegisterChanges(imageLink_.get());
    FreeButtonImages();
}

void TButton::SetImages(TCustomImageList* value)
{
    if (ChangeImageList(images_, value, imageLink_.get(), this)) UpdateImages();
}

void TButton::SetStateImage(int i, int value)
{
    if (imageIndex_[static_cast<size_t>(i)] == value) return;
    imageIndex_[static_cast<size_t>(i)] = value;
    UpdateImages();
}

void TButton::SetImageAlignment(TImageAlignment value)
{
    if (imageAlignment_ == value) return;
    imageAlignment_ = value;
    UpdateImages();
}

int TButton::ValidImageIndex(int i) const
{
    if (!images_ || i < 0 || i >= static_cast<int>(imageIndex_.size())) return -1;
    const auto valid = [this](int index) { return index >= 0 && index < images_->Count(); };
    if (valid(imageIndex_[static_cast<size_t>(i)])) return imageIndex_[static_cast<size_t>(i)];
    return valid(imageIndex_[0]) ? imageIndex_[0] : -1;
}

void TButton::Notification(TComponent* component, TOperation operation)
{
    TButtonControl::Notification(component, operation);
    if (operation == opRemove && component == images_) {
        images_ = nullptr;
        if (!ComponentState().Contains(csDestroying)) UpdateImages();
    }
}

void TButton::CreateWnd()
{
    TButtonControl::CreateWnd();
    UpdateImages();
}

void TButton::DestroyWnd()
{
    TButtonControl::DestroyWnd();
    FreeButtonImages();
}

void TButton::FreeButtonImages()
{
    if (buttonImages_) ImageList_Destroy(buttonImages_);
    buttonImages_ = nullptr;
}

void TButton::UpdateImages()
{
    if (!HandleAllocated()) return;
    HIMAGELIST made = nullptr;
    if (ValidImageIndex(0) >= 0) {
        made = ImageList_Create(images_->Width(), images_->Height(), ILC_COLOR32 | ILC_MASK, 6, 0);
        // Window order: normal, hot, pressed, disabled, defaulted, stylus hot.
        for (int state : {0, 1, 2, 4, 3, 0}) {
            HICON icon = ImageList_GetIcon(images_->Handle(), ValidImageIndex(state), ILD_TRANSPARENT);
            ImageList_AddIcon(made, icon);
            if (icon) DestroyIcon(icon);
        }
    }
    BUTTON_IMAGELIST info{};
    info.himl = made;
    info.margin = RECT{imageMargins_->Left(), imageMargins_->Top(), imageMargins_->Right(), imageMargins_->Bottom()};
    info.uAlign = static_cast<UINT>(imageAlignment_);
    SendMessageW(Handle(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&info));
    FreeButtonImages();
    buttonImages_ = made;
    Invalidate();
}

void RegisterButtonImageProperties()
{
    const UnicodeString m = L"TImageMargins";
    RegisterPublishedClass(m, L"TPersistent");
    RegisterPublishedProperty(m, OrdProp(L"Left", pkInteger, &TImageMargins::Left, &TImageMargins::SetLeft, int64_t{0}));
    RegisterPublishedProperty(m, OrdProp(L"Top", pkInteger, &TImageMargins::Top, &TImageMargins::SetTop, int64_t{0}));
    RegisterPublishedProperty(m, OrdProp(L"Right", pkInteger, &TImageMargins::Right, &TImageMargins::SetRight, int64_t{0}));
    RegisterPublishedProperty(m, OrdProp(L"Bottom", pkInteger, &TImageMargins::Bottom, &TImageMargins::SetBottom,
                                         int64_t{0}));

    static const TEnumTypeInfo alignmentInfo{{L"iaLeft", L"iaRight", L"iaTop", L"iaBottom", L"iaCenter"}, 0};
    const UnicodeString c = L"TButton";
    RegisterPublishedProperty(c, ObjProp(L"Images", &TButton::Images, &TButton::SetImages, L"Image list expected",
                                         TNilObject::Pass));
    RegisterPublishedProperty(c, OrdProp(L"ImageIndex", pkInteger, &TButton::ImageIndex, &TButton::SetImageIndex,
                                         int64_t{-1}));
    RegisterPublishedProperty(c, OrdProp(L"HotImageIndex", pkInteger, &TButton::HotImageIndex,
                                         &TButton::SetHotImageIndex, int64_t{-1}));
    RegisterPublishedProperty(c, OrdProp(L"PressedImageIndex", pkInteger, &TButton::PressedImageIndex,
                                         &TButton::SetPressedImageIndex, int64_t{-1}));
    RegisterPublishedProperty(c, OrdProp(L"SelectedImageIndex", pkInteger, &TButton::SelectedImageIndex,
                                         &TButton::SetSelectedImageIndex, int64_t{-1}));
    RegisterPublishedProperty(c, OrdProp(L"DisabledImageIndex", pkInteger, &TButton::DisabledImageIndex,
                                         &TButton::SetDisabledImageIndex, int64_t{-1}));
    RegisterPublishedProperty(c, OrdProp(L"ImageAlignment", pkEnum, &TButton::ImageAlignment,
                                         &TButton::SetImageAlignment, int64_t{iaLeft}, &alignmentInfo));
    RegisterPublishedProperty(c, ObjProp(L"ImageMargins", &TButton::ImageMargins));
}
