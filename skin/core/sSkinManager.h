#pragma once
// The skin manager and the skin data it loads per pixel density. A skin data holds one skin at
// one density: its sections and images, the bitmaps made for that density, its built-in metrics,
// the fixed indexes painters look up, and the window shadows of form skinning. The manager holds
// what every density shares: the master image, palette, common information and the files of a
// packed skin. Also the conversion of a skin's image values to their fixed-width form.
#include "Components.h"
#include "Graphics.h"
#include "Streams.h"
#include "acntTypes.h"
#include "sConst.h"
#include "sMaskData.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TsSkinManager;

// How a form animation runs: on or off, its time in milliseconds and its kind.
class TacFormAnimation : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TacFormAnimation"; }
    bool Active = true;
    WORD Time = 0;
    TacAnimType Mode = atAero;
};

// The animation of forms while the skin changes.
class TacSkinChanging : public TacFormAnimation {
public:
    TacSkinChanging()
    {
        Time = 100;
        Mode = atFading;
    }
    UnicodeString ClassName() const override { return L"TacSkinChanging"; }
};

// The manager's animation settings; for now the skin-change animation.
class TacAnimEffects : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TacAnimEffects"; }
    TacSkinChanging* SkinChanging() const { return skinChanging_.get(); }

private:
    std::unique_ptr<TacSkinChanging> skinChanging_ = std::make_unique<TacSkinChanging>();
};

// ---------------------------------------------------------------------------------------------
// Skin data per pixel density

// One element painters look up often: the section found and its images (-1: absent).
struct TacConstElementData {
    int SkinIndex = 0;
    int MaskIndex = 0;
    int GlyphIndex = 0;
    std::array<int, 3> BGIndex{}; // textures of states 0 and 1; entry 2 is not set
    UnicodeString SkinSection;    // the section name that was found
};
using TacSideElements = std::array<TacConstElementData, 4>; // by TacSide
using TacBoolElements = std::array<TacConstElementData, 2>; // by false / true
// By TacTabLayout, then by TacSide.
using TacAllTabs = std::array<std::array<TacConstElementData, 4>, 4>;
using TacTitleGlowArray = std::array<TacIntArray, 7>;

// The parts of a track bar in one orientation.
struct TacTrackBarData {
    int SkinIndex = 0;
    int MaskIndex = 0;
    int SliderIndex = 0;
    std::array<int, 3> BGIndex{};
    int TickIndex = 0;
    int ProgIndex = 0;
    int ChannelIndex = 0;
};

// One bitmap made for a skin data's density: a scaled copy of a master-bitmap image, an image
// file of the skin or a generated image. The entry owns the bitmap; masks only point at it.
struct TacBmpData {
    int MulPPI = 0;          // density the bitmap is drawn for
    int DivPPI = 0;          // density of its source
    int MaskType = 0;
    UnicodeString Path;      // owning section and key, joined by "-"
    UnicodeString FileName;  // the image file; empty for a scaled master-bitmap image
    std::unique_ptr<TBitmap> Bmp;
    TRect R;                 // the image in Bmp
    TRect SrcRect;           // the source image in the master bitmap
    bool Ext = false;        // an image file of the skin
    bool CanvasLocked = false; // the skin data holds Bmp's canvas lock (released before freeing)
};
using TacBmpArray = std::vector<TacBmpData>;

// One loaded skin at one pixel density. The skin data owns the bitmaps of BmpArray and the
// shadow images; masks and sections only refer to them. A skin data without an owner (the
// start-up ones) reads nothing from a manager.
class TacSkinData : public TacObject {
public:
    explicit TacSkinData(TsSkinManager* AOwner = nullptr, int aPPI = 96);
    ~TacSkinData() override;
    TacSkinData(const TacSkinData&) = delete;
    TacSkinData& operator=(const TacSkinData&) = delete;
    UnicodeString ClassName() const override { return L"TacSkinData"; }

    std::unique_ptr<TBitmap> rsta, rsti; // active and inactive window shadow, made on first use
    bool Initializing = false;           // true while Init runs
    TacBmpArray BmpArray;                // bitmaps made for this density
    TsSkinManager* FOwner = nullptr;
    int ScaleValue = 0;   // density level 0..3
    int ScalePercent = 0; // MulDiv(PPI, 100, 96)
    int PPI = 0;          // the density served
    int Spacing = 0, LineWidth = 0, ArrowSize = 0, SmallArrowSize = 0, ScrollBtnLength = 0;
    int Shadow1Blur = 0, Shadow1Offset = 0; // text shadow
    // Extended form border: border width, title height, maximised title height, content and
    // centre offsets.
    int ExBorderWidth = 0, ExTitleHeight = 0, ExMaxHeight = 0, ExContentOffs = 0, ExCenterOffs = 0;
    int ExShadowOffs = 0, ExShadowOffsR = 0, ExShadowOffsT = 0, ExShadowOffsB = 0;
    int BIRightMargin = 0, BILeftMargin = 0, BITopMargin = 0; // title-bar buttons
    int WndShadowRadius = 0, WndShadowSize = 0, WndShadowOffset = 0;
    int Shadow1Transparency = 0, ExDrawMode = 0, BISpacing = 0, ComboBoxMargin = 0, SliderMargin = 0;
    std::uint8_t TabsCovering = 0, RibbonCovering = 0; // overlap of tabs over the page
    TColor WndShadowColorN = 0, WndShadowColorA = 0;   // alpha in the top byte
    TacSideElements Scrolls, ScrollBtns, UpDownBtns;
    TacBoolElements Sliders; // false horizontal, true vertical
    TacConstElementData MenuItem, ComboBtn;
    TacTitleGlowArray TitleGlows;       // glow mask indexes per title button
    std::array<int, 7> GlowMargins{};
    std::array<int, 13> TitleGlyphs{};  // title-bar glyph masks
    std::array<int, 2> RadioButton{};   // unchecked, checked
    std::array<int, 3> CheckBox{}, SmallCheckBox{}; // unchecked, checked, grayed
    std::array<TacTrackBarData, 2> TrackBar; // false vertical, true horizontal
    TacAllTabs Tabs;
    int ExBorder = 0, GripVertical = 0, GripHorizontal = 0, GripRightBottom = 0; // mask indexes
    std::unique_ptr<TBitmap> ShdaTemplate, ShdiTemplate; // active and inactive form-shadow templates
    TRect FormShadowSize; // extent of the form shadow on each side
    TsMaskArray ma;       // images and masks
    TacOutEffArray oe;    // window outer effects: 0 light outline, 1 shadow
    TsGeneralDataArray gd; // sections

    // The owner's IsActive; false without an owner.
    bool Active() const;
    // The brightness limits of the owner's skin; 0 without an owner.
    int BrightMin() const;
    int BrightMax() const;

    // Frees every owned bitmap and empties the sections, masks and outer effects.
    void Reset();
    // Loads the owner's skin into this skin data.
    void Init();
    // The built-in metrics scaled to PPI.
    void LoadParams();
    int ScaleIntValue(int value) const;

    // Rebuilds the form-shadow templates and FormShadowSize (after a skin is loaded).
    void CheckShadows();
    // The window shadow images, made on first use and kept until Reset.
    TBitmap* GetActiveShadow();
    TBitmap* GetPassiveShadow();

    // Appends a mask drawn at 96 PPI for this density; returns its index.
    int MakeNewItem(int SkinIndex, const UnicodeString& PropertyName, const UnicodeString& ClassName,
                    TacImgType ImgType, const TRect& R, int ImageCount, int DrawMode, std::int16_t MaskType);
    // Appends a section: a copy of the section at ParentIndex (its own gradients), or, for a
    // negative index, one with the given looks in all three states; returns its index.
    int AddNewSection(const UnicodeString& Name, int ParentIndex, int States, int Transparency, TColor Color,
                      TColor FontColor);
    // Appends an image list entry, which takes Bmp; an empty R becomes the bitmap's size.
    void AddImage(std::unique_ptr<TBitmap> Bmp, const UnicodeString& FileName, const UnicodeString& Path,
                  const TRect& R, const TRect& SrcRect, int DivPPI, int MaskType, bool Ext);
    // The entry of a file (by name) or, for an empty name, of a master-bitmap rectangle; -1.
    int SearchBmpIndex(const UnicodeString& FileName, const TRect& R) const;
    // Points the mask at entry Index and brings its border widths to the entry's density.
    void UpdateItem(TsMaskData& Mask, int Index);
    // Gives the mask its final bitmap: a shared entry, an image file of the skin, a scaled copy
    // of its master-bitmap image, or the master bitmap itself. False when a file cannot be read.
    bool DefineBmp(TsMaskData& Mask, const UnicodeString& FileName, const TRect& R, bool KeepAlpha);
    // Reads an image file of the skin (from Stream when given, else from the skin's folder) for
    // the mask, scales it to this density and registers it. Mask.Bmp stays null when the file is
    // missing or cannot be read.
    void AddExternalItem(TsMaskData& Mask, const UnicodeString& FileName, TMemoryStream* Stream, bool KeepAlpha);
    void FreeBitmaps();
    void ClearBmpArray();
};

// ---------------------------------------------------------------------------------------------
// Packed skins

enum TacFileType : std::uint8_t { ftBmp, ftFont, ftOther };

// One file of a packed skin (other than its options text).
struct TacFileItem {
    UnicodeString Name; // as stored
    TacFileType FileType = ftOther;
    std::unique_ptr<TMemoryStream> Stream; // the unpacked content
};

// The unpacked files of a packed skin.
class TacSkinConvertor : public TPersistent {
public:
    TacSkinConvertor() = default;
    ~TacSkinConvertor() override;
    TacSkinConvertor(const TacSkinConvertor&) = delete;
    TacSkinConvertor& operator=(const TacSkinConvertor&) = delete;
    UnicodeString ClassName() const override { return L"TacSkinConvertor"; }

    std::unique_ptr<TMemoryStream> Options; // the unpacked "Options.dat", or null
    // The packed archive while it is read; held by whoever reads it (a file's copy or a stored
    // skin's data), never by the convertor.
    TMemoryStream* PackedData = nullptr;
    int FileCount = 0; // entries of the archive minus one
    std::vector<TacFileItem> Files;

    // Frees the files from the last to the first, then the options text.
    void Clear();
};

// ---------------------------------------------------------------------------------------------
// Manager

// The skin's palette entries.
enum TacPaletteColors : std::uint8_t {
    pcMainColor, pcLabelText, pcWebText, pcWebTextHot, pcEditText, pcEditBG, pcSelectionBG, pcSelectionText,
    pcSelectionBG_Focused, pcSelectionText_Focused, pcEditBG_Inverted, pcEditText_Inverted, pcEditBG_OddRow,
    pcEditBG_EvenRow, pcEditText_Ok, pcEditText_Warning, pcEditText_Alert, pcEditText_Caution, pcEditText_Bypassed,
    pcEditBG_Ok, pcEditBG_Warning, pcEditBG_Alert, pcEditBG_Caution, pcEditBG_Bypassed, pcEditText_Highlight1,
    pcEditText_Highlight2, pcEditText_Highlight3, pcBtnColor1Active, pcBtnColor2Active, pcBtnBorderActive,
    pcBtnFontActive, pcBtnColor1Normal, pcBtnColor2Normal, pcBtnBorderNormal, pcBtnFontNormal, pcBtnColor1Pressed,
    pcBtnColor2Pressed, pcBtnBorderPressed, pcBtnFontPressed, pcBtnToneRed, pcBtnToneRedActive, pcBtnToneGreen,
    pcBtnToneGreenActive, pcBtnToneBlue, pcBtnToneBlueActive, pcBtnToneYellow, pcBtnToneYellowActive, pcBtnRedText,
    pcBtnRedTextActive, pcBtnGreenText, pcBtnGreenTextActive, pcBtnBlueText, pcBtnBlueTextActive, pcBtnYellowText,
    pcBtnYellowTextActive, pcBorder, pcGrid, pcHintBG, pcHintText
};
inline constexpr int acPaletteCount = pcHintText + 1;

// What the manager reads once per skin: its description, colours and the fixed section indexes.
struct TacSkinCommonInfo {
    bool Active = false; // the skin is really in use
    bool UseAeroBluring = false;
    double Version = 0;
    UnicodeString Author, SkinPath, MainFont, Description; // SkinPath: the skin's folder with "\"
    TColor FXColor = 0, Shadow1Color = 0, DefLightColor = 0, SysInactiveBorderColor = 0;
    TacArrowsStyle ArrowStyle = arsSolid1;
    int BIVAlign = 0, BIKeepHUE = 0;
    int BrightMin = 0, BrightMax = 0; // limits of the manager's Brightness the skin allows
    int IndexGlobalInfo = -1;         // section "GLOBALINFO"
    std::array<int, 65> Sections;     // by the library's section numbers; -1 absent
    TacSkinCommonInfo() { Sections.fill(-1); }
};

class TsSkinManager : public TComponent {
public:
    explicit TsSkinManager(TComponent* owner) : TComponent(owner) {}
    UnicodeString ClassName() const override { return L"TsSkinManager"; }

    // The current skin came from a packed source; its files are in sc.
    bool SkinIsPacked = false;
    // The files of the current packed skin, or null.
    std::unique_ptr<TacSkinConvertor> sc;
    // The skin's bitmap that holds every image without a bitmap of its own.
    std::unique_ptr<TBitmap> MasterBitmap;
    // The skin's colours (0x00BBGGRR; the button colours carry 0xFF in the top byte).
    std::array<TColor, acPaletteCount> Palette{};
    TacSkinCommonInfo SkinCommonInfo;

    // Forms get the layered border with its shadow; true only while the layered-window call is
    // bound.
    bool ExtendedBorders() const;
    void SetExtendedBorders(bool value);
    // The skin is really in use.
    bool IsActive() const { return SkinCommonInfo.Active; }

    // The skin data for a pixel density; null while no skin is loaded.
    TacSkinData* CommonSkinData(int ppi = 96);
    // Re-reads the skin for one pixel density.
    void ReloadSkin(int PPI);
    // The scale level the manager paints at.
    int GetScale() const;
    // Value at a scale level (-1: the manager's).
    int ScaleInt(int Value, int ScaleIndex = -1) const;
    TacAnimEffects* AnimEffects() const { return animEffects_.get(); }

private:
    bool FExtendedBorders = false;
    std::unique_ptr<TacAnimEffects> animEffects_ = std::make_unique<TacAnimEffects>();
};

// The application's default manager, or null.
extern TsSkinManager* DefaultManager;

// An image value of a skin section in any of its notations ("&", "^", "~", "@", "!" or a plain
// file name) in the fixed-width form the readers take apart by character position. Words are
// copied as written; a number the conversion must compute with raises EConvertError when it is
// not one.
UnicodeString ConvertSkinStr(const UnicodeString& value);
