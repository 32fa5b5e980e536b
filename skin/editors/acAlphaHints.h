#pragma once
// Alpha hints. This part: hint templates, which say how hint windows look without a skin (a font
// and up to four 9-slice pictures, one per corner the hint's arrow can point from, each with its
// border widths, text margins, shadow widths and border fill modes), the unit-wide default
// template built at start-up from the embedded "ACHINT" picture, and the writer and reader of
// "AShh" template files over a templates collection.
#include "Components.h"
#include "Graphics.h"
#include "Streams.h"
#include "TypInfo.h"
#include "acPNG.h"

#include <cstdint>
#include <memory>
#include <span>

class TacHintImage;
class TacHintTemplate;
class TacHintTemplates;

// What the owner of a templates collection (the hints manager) hears when one of its templates
// changes. Templates whose collection has no such owner, or none, tell nobody.
class IacHintTemplatesOwner {
public:
    virtual void Changed() = 0;

protected:
    ~IacHintTemplatesOwner() = default;
};

enum TacBorderDrawMode : std::uint8_t { dmRepeat, dmStretch };

// How the four border strips and the centre of a picture are filled: tiled or stretched.
class TacBorderDrawModes : public TPersistent {
public:
    explicit TacBorderDrawModes(TacHintImage* owner) : FOwner(owner) {}
    UnicodeString ClassName() const override { return L"TacBorderDrawModes"; }

    // Index 0 Top, 1 Left, 2 Bottom, 3 Right, 4 Center.
    TacBorderDrawMode GetDrawMode(int index) const;
    void SetDrawMode(int index, TacBorderDrawMode mode);
    TacBorderDrawMode Top() const { return FTop; }
    TacBorderDrawMode Left() const { return FLeft; }
    TacBorderDrawMode Right() const { return FRight; }
    TacBorderDrawMode Bottom() const { return FBottom; }
    TacBorderDrawMode Center() const { return FCenter; }

protected:
    void AssignTo(TPersistent* dest) const override;
    TPersistent* GetOwner() const override;

private:
    TacBorderDrawMode FTop = dmStretch, FLeft = dmStretch, FRight = dmStretch, FCenter = dmStretch, FBottom = dmStretch;
    TacHintImage* FOwner;
};

// Four widths of a picture's sides; a negative stored value reads as 0.
class TacBordersSizes : public TPersistent {
public:
    explicit TacBordersSizes(TacHintImage* owner) : FOwner(owner) {}
    UnicodeString ClassName() const override { return L"TacBordersSizes"; }

    // Index 0 Top, 1 Left, 2 Bottom, 3 Right.
    int GetValue(int index) const;
    void SetValue(int index, int value);
    int Top() const { return GetValue(0); }
    int Left() const { return GetValue(1); }
    int Bottom() const { return GetValue(2); }
    int Right() const { return GetValue(3); }
    void SetValues(int ALeft, int ATop, int ARight, int ABottom);

protected:
    void AssignTo(TPersistent* dest) const override;
    TPersistent* GetOwner() const override;

private:
    int FTop = 0, FLeft = 0, FRight = 0, FBottom = 0;
    TacHintImage* FOwner;
};

// One 9-slice picture of a template with its measures. The picture's file bytes (a PNG file as
// loaded) are kept beside the decoded picture, so a template writes back what it read.
class TacHintImage : public TPersistent {
public:
    explicit TacHintImage(TacHintTemplate* owner);
    ~TacHintImage() override;
    TacHintImage(const TacHintImage&) = delete;
    TacHintImage& operator=(const TacHintImage&) = delete;
    UnicodeString ClassName() const override { return L"TacHintImage"; }

    int OffsetHorz() const { return FOffsetHorz; }
    void SetOffsetHorz(int value);
    int OffsetVert() const { return FOffsetVert; }
    void SetOffsetVert(int value);
    TacBordersSizes* ShadowSizes() const { return FShadowSizes.get(); }
    void SetShadowSizes(const TacBordersSizes* value) { FShadowSizes->Assign(value); }
    TacBordersSizes* ClientMargins() const { return FClientMargins.get(); }
    void SetClientMargins(const TacBordersSizes* value) { FClientMargins->Assign(value); }
    TacBordersSizes* BordersWidths() const { return FBordersWidths.get(); }
    void SetBordersWidths(const TacBordersSizes* value) { FBordersWidths->Assign(value); }
    TacBorderDrawModes* BorderDrawModes() const { return FBorderDrawModes.get(); }
    void SetBorderDrawModes(const TacBorderDrawModes* value) { FBorderDrawModes->Assign(value); }
    TPNGGraphic* Image() const { return FImage.get(); }
    // Copies the picture in, sets the borders and margins to its centre lines (ImageChanged) and
    // tells the manager.
    void SetImage(const TBitmap* value);
    int ImageWidth() const { return FImage->Empty() ? 0 : FImage->Width(); }
    int ImageHeight() const { return FImage->Empty() ? 0 : FImage->Height(); }

    // The picture's file bytes ("ImgData"); setting them decodes the picture (StreamChanged).
    TMemoryStream& ImageData() const { return *FImageData; }
    std::span<const std::uint8_t> ImgDataBytes() const;
    void SetImgDataBytes(std::span<const std::uint8_t> bytes);

    void ImageChanged();
    void StreamChanged();

    // One image block of a template file. Reading returns false when a length in the block
    // does not fit the stream (nothing is read past it); a stream that ends early raises
    // EReadError, a picture the decoder rejects its error.
    void SaveToStream(TStream& stream) const;
    bool LoadFromStream(TStream& stream);

    TacHintTemplate* Owner() const { return FOwner; }

protected:
    void AssignTo(TPersistent* dest) const override;
    TPersistent* GetOwner() const override;

private:
    int FOffsetHorz = 0, FOffsetVert = 0;
    std::unique_ptr<TacBordersSizes> FShadowSizes, FClientMargins, FBordersWidths;
    std::unique_ptr<TacBorderDrawModes> FBorderDrawModes;
    std::unique_ptr<TPNGGraphic> FImage;
    TacHintTemplate* FOwner;
    std::unique_ptr<TMemoryStream> FImageData;
};

enum TacHintAlign : std::uint8_t { haHorzCenter, haVertCenter };

// A font and four pictures: ImageDefault for an arrow from the left top, the others for the
// other corners.
class TacHintTemplate : public TCollectionItem {
public:
    TacHintTemplate();
    ~TacHintTemplate() override;
    UnicodeString ClassName() const override { return L"TacHintTemplate"; }

    // Index 0 ImageDefault, 1 Img_LeftBottom, 2 Img_RightBottom, 3 Img_RightTop; setting one
    // copies the given image into that slot.
    TacHintImage* GetImage(int index) const;
    void SetImage(int index, const TacHintImage* value);
    TacHintImage* ImageDefault() const { return FImageDefault.get(); }
    TacHintImage* Img_LeftBottom() const { return FImageLeftBottom.get(); }
    TacHintImage* Img_RightBottom() const { return FImageRightBottom.get(); }
    TacHintImage* Img_RightTop() const { return FImageRightTop.get(); }
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* value);
    TacHintAlign HintAlign() const { return FHintAlign; }
    void SetHintAlign(TacHintAlign value) { FHintAlign = value; }
    const UnicodeString& Name() const { return FName; }
    void SetName(const UnicodeString& value) { FName = value; }

    // True when Img_LeftBottom has no file bytes and the left-bottom picture of the template in
    // use (this one when none is) is empty: every corner is drawn from ImageDefault.
    bool SingleImageUsed() const;

    // Tells the collection's owner, when it listens, that the template changed.
    void NotifyChanged() const;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    std::unique_ptr<TacHintImage> FImageDefault, FImageRightTop, FImageLeftBottom, FImageRightBottom;
    std::unique_ptr<TFont> FFont;
    UnicodeString FName;
    TacHintAlign FHintAlign = haHorzCenter;
};

class TacHintTemplates : public TCollection {
public:
    explicit TacHintTemplates(TPersistent* owner = nullptr);
    UnicodeString ClassName() const override { return L"TacHintTemplates"; }
    TacHintTemplate* Add() { return static_cast<TacHintTemplate*>(TCollection::Add()); }
    TacHintTemplate* Items(int index) const { return static_cast<TacHintTemplate*>(TCollection::Items(index)); }
    void SetItems(int index, const TacHintTemplate* value) { Items(index)->Assign(value); }
};

// The template of the unit, built at start-up (null before and after), and the template in use.
extern std::unique_ptr<TacHintTemplate> DefaultHintTemplate;
extern TacHintTemplate* CurrentHintTemplate;

// The "AShh" template file.
//
// Writes templates[index] (DefaultHintTemplate when the index is outside the collection or there
// is none), which becomes CurrentHintTemplate; the stream is emptied first. With no template
// nothing is written.
void acSaveHintTemplate(TacHintTemplates* templates, int index, TStream& stream);
// The same into a file: written beside it first, and the old file replaced only when there was
// something to write.
void acSaveHintTemplateToFile(TacHintTemplates* templates, int index, const UnicodeString& fileName);
// Reads a template from the stream's start and adds it to templates once the whole file was
// read. A wrong signature or a length that does not fit the stream shows "Unknown file format"
// and returns null; a stream that ends early raises EReadError, a picture the decoder rejects
// its error; nothing is added then.
TacHintTemplate* acLoadHintTemplate(TacHintTemplates* templates, TStream& stream);
// The same from a file; the new template is named after the file, without its folder and
// without everything from the first "." on.
TacHintTemplate* acLoadHintTemplateFromFile(TacHintTemplates* templates, const UnicodeString& fileName);

// The published properties of the template classes, for form definitions.
void RegisterAlphaHintsClasses();

// Start-up builds DefaultHintTemplate from the "ACHINT" resource; shut-down frees it.
void acAlphaHintsInitialization();
void acAlphaHintsFinalization();
