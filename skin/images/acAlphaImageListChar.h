#pragma once
// Glyph image lists: TsCharImageList's images are single characters of icon fonts (installed,
// stored in the list, or the icon font "FontAwesome" registered at start-up), rendered on
// demand at any size and colour, with gradient, blend, rotation, contour outline and a corner
// glyph, cached per item and mirrored in the native list like the alpha image list.
#include "acAlphaImageList.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

// The fields AddItem takes for a new glyph, in this order.
struct TacCharItemData {
    int Angle = 0;
    int Offset = 0;
    int Orientation = 0;
    TColor Color = clNone;
    TColor SecondColor = clNone;
    std::uint16_t CharCode = 0;
    UnicodeString FontName = L"FontAwesome";
    bool DrawContour = false;
    TFontPitch Pitch = fpDefault;
    TFontStyles Style;
    TFontCharset Charset = DEFAULT_CHARSET;
    double ScalingFactor = 1.0;
};

enum TacBlendingMode : std::uint8_t { bmInactive, bmAlways };

class TsCharImageList;

// The glyph list's own stored fonts; the font store has a class of the same name.
namespace acAlphaImageList {

class TacEmbeddedFont : public TCollectionItem {
public:
    TacEmbeddedFont() = default;
    TacEmbeddedFont(const TacEmbeddedFont&) = delete;
    TacEmbeddedFont& operator=(const TacEmbeddedFont&) = delete;
    UnicodeString ClassName() const override { return L"TacEmbeddedFont"; }
    void Assign(const TPersistent* source) override;

    // Registers FontData privately (nothing for empty data); UnLoadFont removes it. Freeing the
    // entry leaves the font registered, as the list's destruction does.
    void LoadFont();
    void UnLoadFont();

    const UnicodeString& FileName() const { return FFileName; }
    void SetFileName(const UnicodeString& value) { FFileName = value; }
    const UnicodeString& FontName() const { return FFontName; }
    void SetFontName(const UnicodeString& value) { FFontName = value; }
    // The "FontData" property: the font file's bytes.
    std::span<const std::uint8_t> FontDataBytes() const;
    void SetFontDataBytes(std::span<const std::uint8_t> bytes);

    HANDLE Handle = nullptr;
    std::unique_ptr<TMemoryStream> FontData = std::make_unique<TMemoryStream>();

private:
    UnicodeString FFileName;
    UnicodeString FFontName;
};

class TacEmbeddedFonts : public TCollection {
public:
    explicit TacEmbeddedFonts(TPersistent* owner = nullptr);
    UnicodeString ClassName() const override { return L"TacEmbeddedFonts"; }
    // Starts with an entry "FontAwesome" without data unless the source's first entry has none.
    void Assign(const TPersistent* source) override;
    TacEmbeddedFont* Add() { return static_cast<TacEmbeddedFont*>(TCollection::Add()); }
    TacEmbeddedFont* Items(int index) const { return static_cast<TacEmbeddedFont*>(TCollection::Items(index)); }
};

} // namespace acAlphaImageList

// One glyph.
class TacCharListItem : public TCollectionItem {
public:
    TacCharListItem() = default;
    UnicodeString ClassName() const override { return L"TacCharListItem"; }
    // Copies every published property but AddedOffsetX and AddedOffsetY.
    void Assign(const TPersistent* source) override;

    // The item's rendering for the list's current colour, state and density (FontHeight 0: the
    // list's image height). A cached bitmap stays the item's; otherwise `owned` takes it.
    TBitmap* GetImage(int fontHeight, std::unique_ptr<TBitmap>& owned);
    // Width at the design size and scaling; with rotated and an angle, the rotated box's + 1.
    int ActualWidth(bool rotated) const;
    TsCharImageList* ImgList() const;
    // Frees the cached rendering and tells the list.
    void Invalidate();

    std::uint16_t Char() const { return FChar; }
    std::uint16_t AddedChar() const { return FAddedChar; }
    void SetWord(int index, std::uint16_t value);
    void SetChar(std::uint16_t value) { SetWord(0, value); }
    void SetAddedChar(std::uint16_t value) { SetWord(1, value); }
    const UnicodeString& FontName() const { return FFontName; }
    void SetFontName(const UnicodeString& value);
    const UnicodeString& AddedFontName() const { return FAddedFontName; }
    void SetAddedFontName(const UnicodeString& value);
    TFontCharset Charset() const { return FCharset; }
    TFontCharset AddedCharset() const { return FAddedCharset; }
    void SetCharset(int index, TFontCharset value);
    TColor Color() const { return FColor; }
    TColor SecondColor() const { return FSecondColor; }
    TColor AddedColor() const { return FAddedColor; }
    void SetColor(int index, TColor value);
    double ScalingFactor() const { return FScalingFactor; }
    void SetScalingFactor(double value);
    int Angle() const { return FAngle; }
    void SetAngle(int value);
    int Orientation() const { return FOrientation; }
    int OffsetY() const { return FOffsetY; }
    int AddedOffsetX() const { return FAddedOffsetX; }
    int AddedOffsetY() const { return FAddedOffsetY; }
    int AddedSize() const { return FAddedSize; }
    // 0 Orientation, 1 OffsetY, 2 AddedOffsetX, 3 AddedOffsetY, 4 AddedSize.
    void SetInteger(int index, int value);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles value);
    bool DrawContour() const { return FDrawContour; }
    void SetDrawContour(bool value);
    const UnicodeString& ImageName() const { return FImageName; }
    void SetImageName(const UnicodeString& value) { FImageName = value; }

    int ActBlend = 0;
    int CachedState = 0;
    std::unique_ptr<TBitmap> CacheBmp;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    template <class T>
    void Store(T& field, const T& value)
    {
        if (field == value) return;
        field = value;
        Invalidate();
    }

    std::uint16_t FChar = 0;
    std::uint16_t FAddedChar = 0;
    UnicodeString FFontName = L"FontAwesome";
    UnicodeString FAddedFontName;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontCharset FAddedCharset = DEFAULT_CHARSET;
    TColor FColor = clNone;
    TColor FSecondColor = clNone;
    TColor FAddedColor = clNone;
    double FScalingFactor = 1.0;
    int FAngle = 0;
    int FOrientation = 0;
    int FOffsetY = 0;
    int FAddedOffsetX = 0;
    int FAddedOffsetY = 0;
    int FAddedSize = 50;
    TFontPitch FPitch = fpDefault;
    TFontStyles FStyle;
    bool FDrawContour = false;
    UnicodeString FImageName;
};

class TacCharListItems : public TCollection {
public:
    explicit TacCharListItems(TsCharImageList* owner);
    UnicodeString ClassName() const override { return L"TacCharListItems"; }
    TacCharListItem* Add() { return static_cast<TacCharListItem*>(TCollection::Add()); }
    TacCharListItem* Items(int index) const { return static_cast<TacCharListItem*>(TCollection::Items(index)); }
    TacCharListItem* GetItem(int index) const { return Items(index); }
    void SetItem(int index, const TacCharListItem* value) { Items(index)->Assign(value); }
    // Items stored with ScalingFactor 0 take the font's default scaling and lose their Color.
    void CheckItems();

    TsCharImageList* FOwner;
};

class TsCharImageList : public TacImageList {
public:
    explicit TsCharImageList(TComponent* owner);
    ~TsCharImageList() override;
    UnicodeString ClassName() const override { return L"TsCharImageList"; }
    void Loaded() override;
    void Assign(const TPersistent* source) override;
    void CopyImages(TsCharImageList* source);
    int GetCount() const override;
    void Clear();

    // Adds a glyph and its native image; the new item's index.
    int AddItem(const TacCharItemData& data);
    // Stores a font file in the list and registers it; false when the file does not exist.
    bool AddEmbeddedFont(const UnicodeString& fileName, const UnicodeString& fontName);
    // Index of the embedded font of that name (case-insensitive), -1 when absent.
    int FontIndex(const UnicodeString& fontName) const;
    void LoadAllFonts();
    void UnLoadAllFonts();

    void GenerateStdList(TColor color);
    void UpdateStd(int index);
    // Also marks the native images as no longer generated.
    void KillImgList() override;
    bool CanUseCache() const;
    bool ItemIsCached(const TacCharListItem& item, int width, TColor color, int height) const;
    // IsDefault: the colour is for every item; else an item's own colour wins.
    void SetCharColor(TColor color, int index, bool isDefault);
    void SetDimension(int index, int value);
    TColor GetBkColor() const;
    void SetBkColor(TColor value);
    TacBlendingMode BlendingMode() const { return FBlendingMode; }
    void SetBlendingMode(TacBlendingMode value);
    std::uint8_t BlendValue() const { return FBlendValue; }
    void SetBlendValue(std::uint8_t value);
    TacCharListItems* Items() const { return FItems.get(); }
    void SetItems(TacCharListItems* value);
    acAlphaImageList::TacEmbeddedFonts* EmbeddedFonts() const { return FEmbeddedFonts.get(); }
    void SetEmbeddedFonts(acAlphaImageList::TacEmbeddedFonts* value);

    // Renders the glyph of item index into bmp (sized fontHeight square when empty) within r.
    void PrepareBmp(TBitmap* bmp, int index, const TRect& r, int fontHeight, int offsetY);

    void ClearCache(int index) override;
    std::unique_ptr<TBitmap> CreateBitmap32(int index, int width, int height, int fontHeight = 0) override;
    std::unique_ptr<TBitmap> CreateBitmap32Color(int index, int width, int height, TColor color, int fontHeight);
    // True for any index.
    bool GetBitmap32(int index, TBitmap* bmp, int fontHeight = 0) override;

    TColor ForeColor2 = clNone;
    int State = 0;

protected:
    void Change() override;
    HIMAGELIST CreateImageListHandle() override;
    // The native images are the (saved) size at the list's density.
    TSize HandleImageSize() const override;
    void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) override;
    void AssignTo(TPersistent* dest) const override;
    int ItemCount() const override { return GetCount(); }
    void RegenerateStdList() override { GenerateStdList(clNone); }

private:
    friend class TacCharListItem;
    bool ValidIndex(int index) const { return index >= 0 && index < FItems->Count(); }
    // The density native images are made for.
    int StdDensity(bool forHandle) const;

    std::unique_ptr<TacCharListItems> FItems;
    std::unique_ptr<acAlphaImageList::TacEmbeddedFonts> FEmbeddedFonts;
    TacBlendingMode FBlendingMode = bmInactive;
    std::uint8_t FBlendValue = 255;
};

// The icon font's registration made at start-up (null when none).
HANDLE acIconFontHandle();
// The number of fonts that registration installed.
DWORD acIconFontCount();
// The module whose RCDATA "awFont" the start-up registers; null means the program.
extern HMODULE acIconFontModule;
// Registers the list's published properties and its factory for form definitions.
void RegisterCharImageListClasses();
