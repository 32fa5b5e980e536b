#pragma once
// Image lists whose images keep full 8-bit alpha at any size. TsAlphaImageList keeps each image
// as the unchanged bytes of its PNG, ICO or 32-bit BMP file, renders 32-bit bitmaps from them
// at the size asked for (cached per item) and fills a native comctl32 list with icons made from
// them, so plain controls can use it too. The free routines draw an item of any image list into
// a 32-bit bitmap or onto a DC and steer every library list at once (skin and scale changes).
#include "ImageList.h"
#include "Streams.h"
#include "acStreamBytes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

enum TsImageFormat : std::uint8_t { ifPNG, ifICO, ifBMP32 };

// Base of the library's image lists; every one is entered in a unit-wide list while it lives.
class TacImageList : public TImageList {
public:
    explicit TacImageList(TComponent* owner);
    ~TacImageList() override;
    UnicodeString ClassName() const override { return L"TacImageList"; }

    // The colour glyph images are wanted in (clNone: unset).
    TColor ForeColor = clNone;
    // The density the next rendering is for.
    int PixelsPerInch = 96;
    // Rendered bitmaps are copied opaquely.
    bool IgnoreTransparency = false;

    // Frees the cached rendering of one item, or of all for an invalid index.
    virtual void ClearCache(int index) = 0;
    // A new 32-bit rendering of the item at that size, or null.
    virtual std::unique_ptr<TBitmap> CreateBitmap32(int index, int width, int height, int extra) = 0;
    // Renders the item into an existing bitmap at that bitmap's size.
    virtual bool GetBitmap32(int index, TBitmap* bitmap, int extra) = 0;

    // Appends (index < 0) or replaces a native image made from a 32-bit bitmap.
    void AddAsIcon(TBitmap* bitmap, int index);

    // The native images are never stored: reading takes nothing, writing gives an empty 1 x 1
    // list (nothing while the component itself is being written).
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;

    // Code that creates a list calls this right after construction.
    void AfterConstruction();
    // Changes made between these do not remake the native images one by one; ending with
    // regenerate remakes them once (not while the default manager changes skins).
    void AcBeginUpdate();
    void AcEndUpdate(bool regenerate);
    void CreateImgList();
    // Frees the native list (telling the change unless locked).
    virtual void KillImgList();
    // Takes the size of a native list; a loaded list makes its native list at that size too.
    void SetNewDimensions(HIMAGELIST value);
    bool CanScale() const;
    // Remakes the native images for a new scale.
    void SetNewScale(int scale);
    // 0 height, 1 width.
    int GetDimension(int index) const { return index == 0 ? Height() : Width(); }

    bool AcChanging = false;
    bool FAllowScale = true;
    bool StdListIsGenerated = false;
    TColor FBkColor = clNone;
    bool FLoaded = false;
    int FSavedScale = 0;
    int SavedHeight = 0;
    int SavedWidth = 0;

protected:
    bool Loading() const { return ComponentState().Contains(csLoading); }
    // The number of stored items (the native list may hold a different count).
    virtual int ItemCount() const = 0;
    // Remakes every native image from the items, in the list's own colours.
    virtual void RegenerateStdList() = 0;
    // The list of the same class to copy from; null when nothing is left to do: no source frees
    // the native list, another kind of source is copied as a plain image list, and a list is
    // not copied onto itself.
    template <class List>
    List* AssignSource(const TPersistent* source)
    {
        if (!source) {
            KillImgList();
            return nullptr;
        }
        auto* src = const_cast<List*>(dynamic_cast<const List*>(source));
        if (!src) {
            TImageList::Assign(source);
            return nullptr;
        }
        return src == this ? nullptr : src;
    }
    // After loading: fixes the size the native list is made at and frees the native list made
    // while loading (killAlways: also when no size was saved and the size is not 16 x 16).
    void LoadedSizes(bool killAlways);
    // Makes the native images once after loading.
    void LoadedStdList();
    // Sets the height (0) or width (1); save also keeps it as the size the native list is made at.
    void StoreDimension(int index, int value, bool save);
    // Copies the native list's settings of another list and empties this one's native images.
    void AssignListSettings(TCustomImageList* source);
    // A native list's background colour as a TColor.
    static TColor NativeBkColor(HIMAGELIST list);

    // Frees the cached rendering of one item, or of all for an invalid index.
    template <class Items>
    static void ClearItemsCache(Items& items, int index)
    {
        if (index >= 0 && index < items.Count()) {
            items.Items(index)->CacheBmp.reset();
            return;
        }
        for (int i = 0; i < items.Count(); ++i) items.Items(i)->CacheBmp.reset();
    }
};

// Sets a list's flag for a scope and clears it however the scope is left (not restoring an
// earlier set value: the lists rely on the flag being clear afterwards).
class TacChangingScope {
public:
    explicit TacChangingScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~TacChangingScope() { flag_ = false; }
    TacChangingScope(const TacChangingScope&) = delete;
    TacChangingScope& operator=(const TacChangingScope&) = delete;

private:
    bool& flag_;
};

class TsAlphaImageList;

// One stored image: its file bytes and what was learnt decoding them.
class TsImgListItem : public TCollectionItem {
public:
    TsImgListItem();
    ~TsImgListItem() override;
    UnicodeString ClassName() const override { return L"TsImgListItem"; }

    void Assign(const TPersistent* source) override;

    const UnicodeString& Text() const { return FText; }
    void SetText(const UnicodeString& value) { FText = value; }
    const UnicodeString& ImageName() const { return FImageName; }
    void SetImageName(const UnicodeString& value) { FImageName = value; }
    TsImageFormat ImageFormat() const { return FImageFormat; }
    void SetImageFormat(TsImageFormat value) { FImageFormat = value; }
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat value) { FPixelFormat = value; }

    // The "ImgData" property: the stream's bytes.
    std::span<const std::uint8_t> ImgDataBytes() const;
    void SetImgDataBytes(std::span<const std::uint8_t> bytes);

    int OrigWidth = 0;
    int OrigHeight = 0;
    // The last rendering, compared by size and by the tone it got before reuse.
    std::unique_ptr<TBitmap> CacheBmp;
    // The colour CacheBmp was toned to (clNone: untoned).
    TColor CacheTone = clNone;
    // The image file's bytes, unchanged.
    std::unique_ptr<TMemoryStream> ImgData;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    TsAlphaImageList* OwnerList() const;

    UnicodeString FText;
    UnicodeString FImageName;
    TsImageFormat FImageFormat = ifPNG;
    TPixelFormat FPixelFormat = pf32bit;
};

class TsImgListItems : public TCollection {
public:
    explicit TsImgListItems(TsAlphaImageList* owner);
    UnicodeString ClassName() const override { return L"TsImgListItems"; }

    TsImgListItem* Add() { return static_cast<TsImgListItem*>(TCollection::Add()); }
    TsImgListItem* Items(int index) const { return static_cast<TsImgListItem*>(TCollection::Items(index)); }
    TsImgListItem* GetItem(int index) const { return Items(index); }
    // Assigns into the existing item.
    void SetItem(int index, const TsImgListItem* value) { Items(index)->Assign(value); }

    TsAlphaImageList* FOwner;
};

class TsAlphaImageList : public TacImageList {
public:
    explicit TsAlphaImageList(TComponent* owner);
    ~TsAlphaImageList() override;
    UnicodeString ClassName() const override { return L"TsAlphaImageList"; }
    void Loaded() override;
    void Assign(const TPersistent* source) override;

    void CopyImages(TsAlphaImageList* source);
    int GetCount() const override;

    // Stores a copy of the bitmap as a BMP item; the new native index, -1 without an icon.
    int Add(TBitmap* bitmap, TBitmap* mask);
    // Copies an item of another alpha list; the item count after it, -1 for a bad index.
    int AddImage(TCustomImageList* source, int index);
    void Replace(int index, TBitmap* bitmap);
    void Delete(int index);
    void Clear();
    void MoveItem(int curIndex, int newIndex);

    // Raises "Cannot load ..." when the file is not a usable image.
    void LoadFromFile(const UnicodeString& fileName);
    bool TryLoadFromFile(const UnicodeString& fileName);
    // Shows an error box when the stream is not a usable PNG.
    void LoadFromPngStream(TStream& stream);
    bool TryLoadFromPngStream(TStream& stream);

    void GenerateStdList();
    void UpdateFromStd();

    bool GetBitmap32(int index, TBitmap* bitmap, int extra = 0) override;
    std::unique_ptr<TBitmap> CreateBitmap32(int index, int width, int height, int extra = 0) override;
    void ClearCache(int index) override;

    bool IsDuplicated() const;
    void ItemsClear();

    void SetDimension(int index, int value);
    TColor GetBkColor() const;
    void SetBkColor(TColor value);
    TsImgListItems* Items() const { return FItems.get(); }
    void SetItems(TsImgListItems* value);
    bool UseCache() const { return FUseCache; }
    void SetUseCache(bool value);

    bool FUseCache = true;
    bool ItemsUpdating = false;
    bool StdMode = false;
    bool DoubleData = true;

protected:
    void Change() override;
    HIMAGELIST CreateImageListHandle() override;
    void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) override;
    void AssignTo(TPersistent* dest) const override;
    int ItemCount() const override;
    void RegenerateStdList() override { GenerateStdList(); }

private:
    friend class TsImgListItem;
    // Decodes an item's bytes into a 32-bit bitmap at its own size; null when they cannot be.
    std::unique_ptr<TBitmap> DecodeItem(TsImgListItem& item);
    // An item's rendering at that size, through the cache; null when it cannot be decoded.
    std::unique_ptr<TBitmap> RenderItem(TsImgListItem& item, int width, int height, bool tone);
    // The colour a rendering of the item is toned to now (clNone: none), tone: toning is asked for.
    TColor ToneOf(const TsImgListItem& item, bool tone) const;
    // Keeps a copy of a rendering as the item's cache, with the tone it was made with.
    void StoreCache(TsImgListItem& item, TBitmap* bmp, bool tone);
    // The native image as a 32-bit bitmap of that size (its icon's colour bitmap).
    std::unique_ptr<TBitmap> IconBitmap(int index, int width, int height, bool maskAlpha);
    int AppendIcon(HICON icon);

    std::unique_ptr<TsImgListItems> FItems;
};

// ---------------------------------------------------------------------------------------------
// Free routines

using TacImageListProc = std::function<void(TCustomImageList* list, std::intptr_t data)>;

// Rendered PNG images are not toned to their list's BlendColor.
extern bool acIgnoreBlendColor;

// Calls proc for every library image list of the application, in registration order.
void IterateImageLists(const TacImageListProc& proc, std::intptr_t data);
// Enters a list in (or removes it from) the unit's list; done by the library's lists.
void RegisterImageList(TCustomImageList* list);
void UnregisterImageList(TCustomImageList* list);

// A new bitmap holding a copy of bmp (a cached rendering handed out or taken in).
std::unique_ptr<TBitmap> CopyBitmap(TBitmap* bmp);


// The format a file's first bytes show (".ico" extension needed for 00 00); false if none.
bool GetImageFormat(const UnicodeString& fileName, TsImageFormat& format);
// A stream is always taken for a PNG.
bool GetImageFormat(TStream& stream, TsImageFormat& format);
// Height of a font of that charset and name at height -96, over 96.
double GetDefScaling(std::uint8_t charset, const UnicodeString& fontName);

// Draws one item of any image list into a 32-bit bitmap; the drawn cell's size (empty when
// nothing was drawn). blend: transparency percent; color: CopyBmp32's colour argument.
TSize DrawAlphaImgList(TCustomImageList* imgList, TBitmap* destBmp, int left, int top, int imageIndex, int blend,
                       TColor color, int state, int numGlyphs, bool reflected, int ppi = 96);
// The same onto a device context.
void DrawAlphaImgListDC(TCustomImageList* imgList, HDC dc, int left, int top, int imageIndex, int blend, TColor color,
                        int state, int numGlyphs, bool reflected, int ppi = 96);

void SetImagesPPI(TCustomImageList* imgList, int ppi);
void SetImagesState(TCustomImageList* imgList, int state);
// Drops the rendered items of a list (data: the item index, an invalid one for all).
void ClearImgListCache(TCustomImageList* list, std::intptr_t data);
// Rescales a library image list (data: the PPI).
void ScaleImageList(TCustomImageList* list, std::intptr_t data);
// Gives a glyph image list its base colour (data: the colour).
void SetBaseColor(TCustomImageList* list, std::intptr_t data);
// Appends (index < 0) or replaces an image of a native list with an icon of a 32-bit bitmap of
// the list's size, made as the library's lists make their native images.
void AddBitmapIcon(HIMAGELIST list, TBitmap* bitmap, int index);
// Adds a resource of the module as an item (PNG from RCDATA, BMP) or a native icon (ICO).
bool AddImageFromRes(HINSTANCE instance, TsAlphaImageList* list, const UnicodeString& resName, TsImageFormat format);

// Start-up and shut-down of the unit: registers the icon font of the program's resource
// "awFont" for the process and the lists' published properties and factories for form
// definitions; the shut-down removes the font and forgets the list of image lists.
void acAlphaImageListInitialization();
void acAlphaImageListFinalization();
