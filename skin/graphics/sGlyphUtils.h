#pragma once
// Options of an extra glyph drawn inside a skinned edit, combo edit or button (TacAddedGlyph;
// TsGlyphMode adds hot and pressed images for buttons) and the library's shared list of
// standard glyphs, used when a control has no image list of its own: icon-font glyphs, or five
// PNG glyphs of the program's resources in the old-glyphs mode.
#include "Controls.h"
#include "ImageList.h"

#include <memory>

class TsCommonData;

// What the added glyph needs of the control that shows it; the skinned edits implement it.
class IacAddedGlyphOwner {
public:
    virtual ~IacAddedGlyphOwner() = default;
    // A skinned edit or mask edit: its skin data repaints when the glyph changes.
    virtual bool acRepaintsForGlyph() const = 0;
    // A combo edit whose combo button is used: true, with the button-width field (0: derived).
    virtual bool acComboButtonWidth(int& width) const = 0;
};

class TacAddedGlyph : public TPersistent {
public:
    TacAddedGlyph(TWinControl* owner, TsCommonData* skinData);
    ~TacAddedGlyph() override;
    TacAddedGlyph(const TacAddedGlyph&) = delete;
    TacAddedGlyph& operator=(const TacAddedGlyph&) = delete;
    UnicodeString ClassName() const override { return L"TacAddedGlyph"; }

    int Blend() const { return FBlend; }
    int ImageIndex() const { return FImageIndex; }
    // 0 Blend, 1 ImageIndex.
    virtual void SetInteger(int index, int value);
    void SetBlend(int value) { SetInteger(0, value); }
    void SetImageIndex(int value) { SetInteger(1, value); }
    bool Grayed() const { return FGrayed; }
    void SetGrayed(bool value);
    TColor ColorTone() const { return FColorTone; }
    void SetColorTone(TColor value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* value);
    TChangeLink* ChangeLink() const { return FChangeLink.get(); }

    // Sizes of the glyph at the skin's PPI: from Images when ImageIndex is valid in it, else
    // from the shared list.
    int Height() const;
    int Width() const;
    // States side by side in a glyph image (width a whole multiple of height), else 1.
    int ImageCount() const;

    // Repaints the owner; with updateFrame its window frame is recomputed too.
    void Invalidate(bool updateFrame);

    TWinControl* Owner = nullptr;
    TsCommonData* SkinData = nullptr;

protected:
    void ImageListChange(TObject* sender);

private:
    // The list the sizes come from.
    TCustomImageList* SizeList() const;

    int FBlend = 0;
    int FImageIndex = -1;
    bool FGrayed = false;
    TColor FColorTone = clNone;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink> FChangeLink;
};

class TsGlyphMode : public TacAddedGlyph {
public:
    TsGlyphMode(TWinControl* owner, TsCommonData* skinData);
    UnicodeString ClassName() const override { return L"TsGlyphMode"; }

    int ImageIndexHot() const { return FImageIndexHot; }
    int ImageIndexPressed() const { return FImageIndexPressed; }
    // 10 ImageIndexHot, 11 ImageIndexPressed; others as the base class.
    void SetInteger(int index, int value) override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    const UnicodeString& Hint() const { return FHint; }
    void SetHint(const UnicodeString& value) { FHint = value; }
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value) { FCursor = value; }

private:
    int FImageIndexHot = -1;
    int FImageIndexPressed = -1;
    UnicodeString FHint;
    bool FEnabled = true;
    TCursor FCursor = 0;
};

// The shared glyph list: the character list, or the PNG list (made on first use) while the
// old-glyphs mode is on.
TCustomImageList* acResImgList();
// The library's character glyph list itself, whatever the glyph mode (null before start-up).
TCustomImageList* acCharImages();

// Start-up fills the character list; shut-down frees the PNG list, then the character list.
void sGlyphUtilsInitialization();
void sGlyphUtilsFinalization();
