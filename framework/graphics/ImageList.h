#pragma once
// Image lists over comctl32: equally sized images kept in one HIMAGELIST, drawn by index.
// Controls that show images from a list hear about its changes through a TChangeLink. A form
// definition keeps a list's properties and its images as the binary property "Bitmap" (the
// comctl32 list stream, see ReadData/WriteData).
#include "Components.h"
#include "Graphics.h"
#include "Streams.h"

#include <objidl.h> // before commctrl.h, which declares the stream calls only then
#include <commctrl.h>

#include <vector>

enum TColorDepth { cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit };
enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList;

class TChangeLink : public TObject {
public:
    TChangeLink() = default;
    // Unregisters itself from its image list.
    ~TChangeLink() override;
    UnicodeString ClassName() const override { return L"TChangeLink"; }

    TCustomImageList* Sender() const { return sender_; }
    virtual void Change();

    TNotifyEvent OnChange;

private:
    friend class TCustomImageList;
    TCustomImageList* sender_ = nullptr;
};

class TCustomImageList : public TComponent {
public:
    // 16 x 16 images, masked, 32 bits per pixel.
    explicit TCustomImageList(TComponent* owner);
    TCustomImageList(TComponent* owner, int width, int height);
    ~TCustomImageList() override;
    UnicodeString ClassName() const override { return L"TCustomImageList"; }

    // Changing the image size, Masked or ColorDepth empties the list; a new size keeps the handle.
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    void SetSize(int width, int height);
    bool Masked() const { return masked_; }
    void SetMasked(bool masked);
    TColorDepth ColorDepth() const { return colorDepth_; }
    void SetColorDepth(TColorDepth depth);
    // Background filled behind images when drawing; clNone draws transparently.
    TColor BkColor() const { return bkColor_; }
    void SetBkColor(TColor color);
    // Colour blended in for dsFocus and dsSelected; clNone uses the highlight colour.
    TColor BlendColor() const { return blendColor_; }
    void SetBlendColor(TColor color);
    TDrawingStyle DrawingStyle() const { return drawingStyle_; }
    void SetDrawingStyle(TDrawingStyle style);
    TImageType ImageType() const { return imageType_; }
    void SetImageType(TImageType type);
    // A shared list does not destroy its handle.
    bool ShareImages() const { return shareImages_; }
    void SetShareImages(bool share) { shareImages_ = share; }
    int AllocBy() const { return allocBy_; }
    void SetAllocBy(int allocBy) { allocBy_ = allocBy > 0 ? allocBy : 1; }

    int Count() const { return GetCount(); }

    // The list handle, made on first use.
    HIMAGELIST Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Takes the list (owned unless ShareImages) and its image size.
    void SetHandle(HIMAGELIST list);

    // Each returns the index of the first added image. A bitmap wider than Width adds several
    // images. The bitmaps are copied; failures raise EInvalidGraphicOperation.
    int Add(TBitmap* image, TBitmap* mask);
    int AddIcon(TIcon* icon);
    // Pixels of maskColor become transparent; clDefault takes the bitmap's transparent colour.
    int AddMasked(TBitmap* image, TColor maskColor);
    void Replace(int index, TBitmap* image, TBitmap* mask);
    void ReplaceIcon(int index, TIcon* icon);
    void Delete(int index);
    void Move(int currentIndex, int newIndex);
    void Clear();

    // Draws image index at (x, y); disabled images are drawn greyed.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type, bool enabled = true);
    // Sizes image to Width x Height and draws image index onto it.
    bool GetBitmap(int index, TBitmap* image);
    // Puts a new icon of image index into icon.
    bool GetIcon(int index, TIcon* icon);

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);

    TNotifyEvent OnChange;

    // The list's binary data in form definitions: the native list as ImageList_Write gives it
    // (nothing for a list without images). Reading empty data leaves the list alone.
    virtual void ReadData(TStream& stream);
    virtual void WriteData(TStream& stream);

protected:
    virtual int GetCount() const;
    // Makes the list handle for the current properties.
    virtual HIMAGELIST CreateImageListHandle();
    // The size of the native list's images: Width x Height unless a list keeps its native
    // images at another size (a density-scaled list).
    virtual TSize HandleImageSize() const { return TSize{width_, height_}; }
    virtual void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled);
    virtual void Change();

    // Destroys the handle (unless ShareImages) and forgets it, without a change notification.
    void FreeHandle();

private:
    void CheckIndex(int index) const;
    void Recreate();

    HIMAGELIST handle_ = nullptr;
    int width_ = 16;
    int height_ = 16;
    bool masked_ = true;
    TColorDepth colorDepth_ = cd32Bit;
    TColor bkColor_ = clNone;
    TColor blendColor_ = clNone;
    TDrawingStyle drawingStyle_ = dsNormal;
    TImageType imageType_ = itImage;
    bool shareImages_ = false;
    int allocBy_ = 4;
    std::vector<TChangeLink*> links_;
};

class TImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
    UnicodeString ClassName() const override { return L"TImageList"; }
};

// Points a control's image-list field at another list; the control's change link and its free
// notification move with it. False when the field held that list already.
bool ChangeImageList(TCustomImageList*& field, TCustomImageList* value, TChangeLink* link, TComponent* owner);

// Publishes TCustomImageList's properties (and its binary data as "Bitmap") for form
// definitions. Called by the controls layer's registration.
void RegisterImageListClasses();
