#pragma once
// The skinned picture control: TsImage shows its Picture or an item of an image list (Images,
// ImageIndex) with blending, grey tone and reflection, composed in its skin data's cache bitmap
// over the skinned background of its parent, and copies that cache to the screen.
#include "ExtCtrls.h"
#include "ImageList.h"

#include <memory>

class TsCtrlSkinData;

class TsCustomImage : public TImage {
public:
    explicit TsCustomImage(TComponent* owner);
    ~TsCustomImage() override;
    UnicodeString ClassName() const override { return L"TsCustomImage"; }
    // Code that creates the control calls this right after construction.
    void AfterConstruction();
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void WndProc(TMessage& message) override;

    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    int Blend() const { return FBlend; }
    void SetBlend(int value);
    // 0 UseFullSize, 1 Reflected, 2 Grayed.
    bool GetBoolean(int index) const { return index == 0 ? FUseFullSize : index == 1 ? FReflected : FGrayed; }
    void SetBoolean(int index, bool value);
    bool UseFullSize() const { return FUseFullSize; }
    bool Reflected() const { return FReflected; }
    bool Grayed() const { return FGrayed; }
    bool TransparentForMouse() const { return FTransparentForMouse; }
    void SetTransparentForMouse(bool value) { FTransparentForMouse = value; }
    TsCtrlSkinData* SkinData() const { return FCommonData.get(); }

    // Reflected, Grayed or a Blend.
    bool OwnDrawing() const { return FReflected || FGrayed || FBlend != 0; }
    // No valid image-list item and an empty picture.
    bool Empty();
    // The picture bitmap's canvas (an empty one sized to the control first), else the control's.
    TCanvas* GetCanvas();
    void UpdateImage();
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;

    // The image's own size, and the size it is drawn at with Stretch.
    TSize NaturalSize();
    TSize StretchedSize(TSize natural);
    // Builds the cache for a paint into DC (the DC's origin at the control); false when the
    // parent's background is not ready yet.
    bool PrepareCache(HDC DC);

    std::unique_ptr<TsCtrlSkinData> FCommonData;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    TCustomImageList* FImages = nullptr;
    int FImageIndex = -1;
    int FBlend = 0;
    bool FGrayed = false;
    bool FReflected = false;
    bool FUseFullSize = false;
    bool FTransparentForMouse = false;
    bool ImageChanged = true;

protected:
    void acWM_Paint(TMessage& message);

private:
    void ImageListChange(TObject* sender);
    // ImageIndex names an item of Images.
    bool ListItemShown();
    // The image at its natural size as a 32-bit bitmap; a picture that is not a bitmap is drawn
    // over the cache's pixels at "at", where it will be shown. Null when there is nothing.
    std::unique_ptr<TBitmap> ImageBitmap(TSize natural, TBitmap* cache, TPoint at);
    // Where an image of that size is placed in the control.
    TPoint ImageOffset(int width, int height);
};

class TsImage : public TsCustomImage {
public:
    using TsCustomImage::TsCustomImage;
    UnicodeString ClassName() const override { return L"TsImage"; }
};

// Registers the control's published properties and its factory for form definitions.
void RegisterImageClasses();

// Start-up and shut-down of the unit (they register and count).
void acImageInitialization();
void acImageFinalization();
