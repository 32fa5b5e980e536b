#pragma once
// Virtual image lists: TsVirtualImageList has no images of its own. It shows the images of a
// source list (an alpha or glyph list) at its own size, glyph colour and state, so one image
// set serves several sizes; it caches its renderings per index and can keep a native comctl32
// list of them for plain controls. The source's changes reach it through a change link, the
// source's destruction through a free notification.
#include "acAlphaImageList.h"

#include <memory>
#include <vector>

class TsVirtualImageList : public TCustomImageList {
public:
    explicit TsVirtualImageList(TComponent* owner);
    ~TsVirtualImageList() override;
    UnicodeString ClassName() const override { return L"TsVirtualImageList"; }

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    void AcBeginUpdate() { AcChanging = true; }
    void AcEndUpdate(bool regenerate);
    // The source's image count; 0 without a source.
    int GetCount() const override;
    // Frees the cached rendering of one index, of all for a negative one.
    void ClearItems(int index);
    // Renders the cache of one index now (all for a negative one); only with UseCache.
    void RenderCacheNow(int index);
    void UpdateList(bool force);
    void GenerateStdList();
    // Fills bmp with the source's image; through the cache when bmp has the list's size.
    bool GetBitmap32(int index, TBitmap* bmp, int fontHeight = 0);
    // A new 32-bit rendering at the list's size (the caller owns it), or null.
    std::unique_ptr<TBitmap> CreateBitmap32(int index);
    // Appends (index < 0) or replaces a native image; a bitmap of another size gives its centre.
    void AddAsIcon(TBitmap* bitmap, int index);
    bool CanUseCache() const { return FUseCache && State == 0; }
    // The view's width over the source's (1.0 without a source or with a source width of 0).
    double ScaleValue() const;
    // For a glyph-list source: IsDefault, or an item without its own colour, takes color.
    void SetCharColor(TColor color, int index, bool isDefault);
    TColor ForeColor() const { return FForeColor; }
    void SetForeColor(TColor value);

    // --- published
    TacImageList* AlphaImageList() const { return FAlphaImageList; }
    void SetAlphaImageList(TacImageList* value);
    // 0 height, 1 width.
    int GetInteger(int index) const { return index == 0 ? FHeight : FWidth; }
    void SetInteger(int index, int value);
    bool StdHandleUsed() const { return FStdHandleUsed; }
    void SetStdHandleUsed(bool value);
    bool UseCache() const { return FUseCache; }
    void SetUseCache(bool value);

    void CreateImgList();
    void KillImgList();

    // Nothing of the native list is stored.
    void ReadData(TStream&) override {}
    void WriteData(TStream&) override {}

    int FWidth = 16;
    int FHeight = 16;
    bool FUseCache = true;
    bool AcChanging = false;
    bool FStdHandleUsed = true;
    bool StdListIsGenerated = false;
    // Indexed like the source's images; empty slots are null.
    std::vector<std::unique_ptr<TBitmap>> CachedImages;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    TacImageList* FAlphaImageList = nullptr;
    TColor FForeColor = clNone;
    int State = 0;
    int PixelsPerInch = 96;
    int CurrentScale = 0;

protected:
    void Change() override;
    HIMAGELIST CreateImageListHandle() override;
    void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) override;

private:
    void ImageListChange(TObject* sender);
    bool Loading() const { return ComponentState().Contains(csLoading); }
    // A new bitmap of that size with the glyph colour as its font colour, filled by the source.
    std::unique_ptr<TBitmap> Render(int index, int width, int height);
};

// Registers the list's published properties and its factory for form definitions.
void RegisterVirtualImageListClasses();
