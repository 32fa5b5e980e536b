#pragma once
// The skin manager and the skin data it loads per pixel density. A skin data holds one skin at
// one density: its sections and images, the bitmaps made for that density, its built-in metrics,
// the fixed indexes painters look up, and the window shadows of form skinning. The manager holds
// what every density shares: the master image, palette, common information and the files of a
// packed skin. Also the conversion of a skin's image values to their fixed-width form.
#include "Components.h"
#include "Graphics.h"
#include "IniFiles.h"
#include "Menus.h"
#include "Messages.h"
#include "Streams.h"
#include "acntTypes.h"
#include "sConst.h"
#include "sMaskData.h"
#include "sSkinManagerLivePreview.h"
#include "sSkinManagerOptions.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TsSkinManager;
// The application's default manager, or null.
extern TsSkinManager* DefaultManager;

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

    // --- reading a skin (the manager calls them in this order after LoadParams)
    // Every image key of every section at the best density variant, in file order.
    void LoadAllMasks();
    // One section per section of the skin text with PARENTCLASS inheritance, the auxiliary
    // sections TRANSPARENT and MAINCOLOR, the window metrics and the window outer effects.
    void LoadAllGeneralData();
    // The manager's section indexes, the element records and glyph indexes painters look up.
    void InitConstantIndexes();
    // Border, corner, texture and outer masks of every section; frame sizes of every mask.
    void InitMaskIndexes();
    // The window metrics measured against the EXBORDER image.
    void InitMaskParams();
    // An integer of GLOBALINFO at this density: the key with the density's suffix, else the
    // plain key (scaled with FromMask), else Default; with FromMask and a mask, at that mask's
    // source density.
    int ScaledInteger(const UnicodeString& Name, int Default, bool FromMask, int MaskIndex);

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

class TsSkinManager;

// The skin text handed over by the skin editor, or null; when set it wins over every source.
extern TStrings* acEditorSkinFile;
// Reads the packed skin file into sc (made when null, else cleared); a missing file leaves sc
// as it was.
void LoadSkinFromFile(const UnicodeString& FileName, std::unique_ptr<TacSkinConvertor>& sc, TsSkinManager* Owner);
// Unpacks sc.PackedData into sc.Options and sc.Files. Data that is no valid archive is reported
// and leaves sc.Options null; false then.
bool ExtractPackedData(TacSkinConvertor& sc, TsSkinManager* Owner);

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

// The library's section numbers: positions of acSectNames and of the manager's Sections.
enum TacSection : std::uint8_t {
    ssMenuItem, ssCheckBox, ssSpeedButton, ssSpeedButton_Small, ssToolButton, ssTransparent, ssGroupBox, ssDivider,
    ssWebBtn, ssButton, ssComboNoEdit, ssButton_Huge, ssToolBar, ssEdit, ssGauge, ssSelection, ssStatusBar, ssPanel,
    ssPanelLow, ssTrackBar, ssProgressV, ssDragBar, ssGripH, ssGripV, ssProgressH, ssTabSheet, ssComboBox, ssCaption,
    ssMainMenu, ssSplitter, ssComboBtn, ssFormTitle, ssHint, ssDividerV, ssPageControl, ssTabTop, ssBarPanel,
    ssBarTitle, ssScrollBtnLeft, ssScrollBtnTop, ssScrollBtnRight, ssScrollBtnBottom, ssScrollBar1H, ssScrollBar1V,
    ssScrollBar2H, ssScrollBar2V, ssScrollSliderH, ssScrollSliderV, ssSlider_Off, ssSlider_On, ssThumb_On,
    ssThumb_Off, ssMenuCaption, ssDialogTitle, ssMenuBtn, ssMenuLine, ssFormHeader, ssTBBtn, ssTBMenuBtn, ssTBTab,
    ssColHeader, ssColHeaderA, ssColHeaderL, ssColHeaderR, ssUpDown
};
inline constexpr int acSectionCount = ssUpDown + 1;

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
    std::array<int, acSectionCount> Sections; // by TacSection; -1 absent
    std::unique_ptr<TMemIniFile> OptionsDat; // the skin's options text (case-sensitive)
    TacSkinCommonInfo() { Sections.fill(-1); }
};

enum TacManagerStateValue : std::uint8_t {
    msFontChanging,
    msScaleChanging,
    msSkinRemoving,
    msSkinChanging,
    msBroadCasting,
    msAnimScaling,
    msFormScaling,
    msRTLFlipped
};
using TacManagerState = TSet<TacManagerStateValue>;
enum TacSkinTypes : std::uint8_t { stUnpacked, stPacked, stAllSkins };
enum TacSkinsFilterItem : std::uint8_t { sfiInternal, sfiExternal };
using TacSkinsFilter = TSet<TacSkinsFilterItem>;
enum TacSkinningRule : std::uint8_t { srStdForms, srStdDialogs, srThirdParty };
using TacSkinningRules = TSet<TacSkinningRule>;
using TacSkinInfo = UnicodeString;
// How a form is shown after the last system command of the main window (0 other, 1 restore,
// 2 minimize).
using TShowAction = int;

// What the scale-mode change event reports.
struct TScaleChangeData {
    std::uint8_t OldScaleMode = 0, NewScaleMode = 0;
    int OldScalePercent = 0, NewScalePercent = 0, OldPPI = 0, NewPPI = 0;
};
// What OnGetPopupItemData may change of a menu item about to be measured or drawn.
struct TacMenuItemData {
    TFont* Font = nullptr; // the canvas font the item is written with
};
// OnGetMenuExtraLineData: section, caption and glyph (taken over) of a pop-up's extra line, or
// LineVisible false for none.
using TacGetExtraLineData = std::function<void(TMenuItem* FirstItem, UnicodeString& SkinSection,
                                               UnicodeString& Caption, TBitmap*& Glyph, bool& LineVisible)>;
using TacGetPopupItemData =
    std::function<void(TMenuItem* Item, TOwnerDrawState State, TacMenuItemData& ItemData)>;
using TScaleChangeEvent = std::function<void(TObject* Sended, const TScaleChangeData& data)>;
using TFontChanged = std::function<void(TObject* Sender, const UnicodeString& DefOldFontName,
                                        const UnicodeString& FontName)>;
using TacSkinChangingEvent = std::function<void(TObject* Sender, const UnicodeString& NewSkinName,
                                                bool& AllowChanging)>;
// OnSysDlgInit: asked before a system dialog is skinned; AllowSkinning false leaves it as it is.
struct TacSysDlgData {
    HWND WindowHandle = nullptr;
};
using TacSysDlgInit = std::function<void(const TacSysDlgData& DlgData, bool& AllowSkinning)>;

class TsStoredSkins;
class TacSkinListController;
namespace acFontStore {
class TacEmbeddedFonts;
}
class TsSkinableMenus;
class TacMenuSupport;
class TGraphicControl;
class TStringList;
class TTimer;
class TWinControl;
class TControl;

class TsSkinManager : public TComponent {
public:
    // The first manager created becomes the default one. Code that creates a manager calls
    // AfterConstruction right after.
    explicit TsSkinManager(TComponent* owner);
    ~TsSkinManager() override;
    TsSkinManager(const TsSkinManager&) = delete;
    TsSkinManager& operator=(const TsSkinManager&) = delete;
    UnicodeString ClassName() const override { return L"TsSkinManager"; }

    void AfterConstruction();
    void Loaded() override;

    // --- published properties
    TacSkinsFilter SkinsFilter() const { return FSkinsFilter; }
    void SetSkinsFilter(TacSkinsFilter value);
    TacSkinEffects* Effects() const { return FEffects.get(); }
    TacAnimEffects* AnimEffects() const { return FAnimEffects.get(); }
    TacButtonsSupport* ButtonsOptions() const { return FButtonsSupport.get(); }
    bool Active() const { return FActive; }
    void SetActive(bool value);
    // Forms get the layered border with its shadow; true only while the layered-window call is
    // bound.
    bool ExtendedBorders() const;
    void SetExtendedBorders(bool value);
    bool GetIsDefault() const { return DefaultManager == this; }
    bool IsDefault() const { return GetIsDefault(); }
    void SetIsDefault(bool value);
    bool SkinnedPopups() const { return FSkinnedPopups; }
    void SetSkinnedPopups(bool value);
    // 0 Brightness (limited to -100..100), 1 HueOffset, 2 Saturation.
    int GetInteger(int index) const;
    void SetInteger(int index, int value);
    int Brightness() const { return FBrightness; }
    void SetBrightness(int value) { SetInteger(0, value); }
    int HueOffset() const { return FHueOffset; }
    void SetHueOffset(int value) { SetInteger(1, value); }
    int Saturation() const { return FSaturation; }
    void SetSaturation(int value) { SetInteger(2, value); }
    TStringList* CommonSections() const { return FCommonSections.get(); }
    void SetCommonSections(const TStrings* value);
    TsStoredSkins* InternalSkins() const { return FBuiltInSkins.get(); }
    void SetInternalSkins(const TsStoredSkins* value);
    TacLabelsSupport* LabelsOptions() const { return FLabelsSupport.get(); }
    TacMenuSupport* MenuSupport() const { return FMenuSupport.get(); }
    // The object that paints menus with the skin.
    TsSkinableMenus* SkinableMenus() const { return FSkinableMenus.get(); }
    TacOptions* Options() const { return FOptions.get(); }
    TacFonts* Fonts() const { return FFonts.get(); }
    TacScrollBarsSupport* ScrollsOptions() const { return FScrollsOptions.get(); }
    const UnicodeString& SkinDirectory() const { return FSkinDirectory; }
    void SetSkinDirectory(const UnicodeString& value);
    const UnicodeString& SkinName() const { return FSkinName; }
    void SetSkinName(const UnicodeString& value);
    // The skin's version as "15.00" (always with a point); "N/A" without an active skin.
    TacSkinInfo SkinInfo() const;
    TacSkinningRules SkinningRules() const { return FSkinningRules; }
    void SetSkinningRules(TacSkinningRules value);
    TsThirdPartyList* ThirdParty() const { return FThirdParty.get(); }
    UnicodeString Version() const { return L"15.14"; }

    // --- events
    TacGetExtraLineData OnGetMenuExtraLineData;
    TacGetPopupItemData OnGetPopupItemData;
    TNotifyEvent OnAfterChange, OnBeforeChange, OnDeactivate, OnActivate, OnScaleChanged, OnSkinListChanged,
        OnSkinLoading;
    TScaleChangeEvent OnScaleModeChange;
    TFontChanged OnFontChanged;
    TacSkinChangingEvent OnSkinChanging;
    TacSysDlgInit OnSysDlgInit;

    // --- skin changes and broadcasts
    void SendNewSkin(bool Repaint = true);
    void SendRemoveSkin();
    void RepaintForms(bool DoLockForms = true);
    void BeginUpdate() { NoAutoUpdate = true; }
    void EndUpdate(bool Repaint = true, bool AllowAnimation = true);
    void UpdateSkin(bool Repaint = true);
    // Reloads the current skin in place (after a colour property or option change).
    void UpdateCurrentSkin();
    // Re-reads the skin for one pixel density.
    void ReloadSkin(int PPI);
    void UpdateSkinSection(const UnicodeString& SectionName);
    void RepaintSection(const UnicodeString& SectionName);
    void ChangeAppFont(const UnicodeString& FontName, bool DoLockForms = true);
    void StoreDefFont();
    // The application font's name before the manager changed it (empty until stored).
    const UnicodeString& DefaultFontName() const { return DefStoredFontName; }
    bool UpdateFontName(TControl* Control);
    void CheckVersion();
    void ClearSkinData();
    // Frees every skin data of SkinDataArray.
    void ClearSkinArrays();

    // --- look-ups (in SkinData, or in the 96-PPI skin data when none is given)
    int GetSkinIndex(const UnicodeString& SectionName, TacSkinData* SkinData = nullptr);
    int GetMaskIndex(int SkinIndex, const UnicodeString& SkinSection, const UnicodeString& PropName,
                     TacSkinData* SkinData = nullptr);
    int GetMaskIndex(int SkinIndex, const UnicodeString& PropName, TacSkinData* SkinData = nullptr);
    int GetMaskIndex(const UnicodeString& SectionName, const UnicodeString& PropName, TacSkinData* SkinData = nullptr);
    int GetTextureIndex(int SkinIndex, const UnicodeString& SkinSection, const UnicodeString& PropName,
                        TacSkinData* SkinData = nullptr);
    int GetTextureIndex(int SkinIndex, const UnicodeString& PropName, TacSkinData* SkinData = nullptr);
    bool IsValidSkinIndex(int i);
    bool IsValidImgIndex(int i);
    int LengthOfGD();
    // The sections, masks and outer effects of the 96-PPI skin data.
    TsGeneralDataArray& gd();
    TsMaskArray& ma();
    TacOutEffArray& oe();

    TColor GetGlobalColor() const { return Palette[pcMainColor]; }
    TColor GetGlobalFontColor() const { return Palette[pcLabelText]; }
    TColor GetActiveEditColor() const { return Palette[pcEditBG]; }
    TColor GetActiveEditFontColor() const { return Palette[pcEditText]; }
    TColor GetHighLightColor(bool Active = true) const
    {
        return Palette[Active ? pcSelectionBG_Focused : pcSelectionBG];
    }
    TColor GetHighLightFontColor(bool Active = true) const
    {
        return Palette[Active ? pcSelectionText_Focused : pcSelectionText];
    }
    // The skin is really in use.
    bool IsActive() const { return SkinCommonInfo.Active; }
    // acColorToRGB maps the skin's colours even while the skin is not in use.
    bool MapsColorsWhenInactive() const { return FMapColorsWhenInactive; }
    UnicodeString GetRandomSkin();

    // --- hot tracking
    void SetActiveControl(HWND Wnd);
    void SetActiveGraphControl(TGraphicControl* Control);
    void OnCheckHot(TObject* Sender);
    HWND ActiveControl() const { return FActiveControl; }
    TGraphicControl* ActiveGraphControl() const { return FActiveGraphControl; }

    // --- pixel densities
    // The skin data for a pixel density, made on demand; the start-up one without a skin.
    TacSkinData* CommonSkinData(int PPI = 96);
    // Creates the skin data a skin change needs.
    void InitCommonData();
    // The scale level the manager paints at.
    int GetScale() const;
    // Value at a scale level (-1: the manager's).
    int ScaleInt(int Value, int ScaleIndex = -1) const;
    int ScalePPI(int Value, int PPI = 0) const;
    void UpdateScale(TWinControl* Control, int OldPPI = 96, int NewPPI = 0);
    void UpdateAllScale();
    // Reads one mask of the skin text at the level that suits PPI best; the PPI, or -1. The
    // mask's own bitmap, when it gets one, is handed to Bmp.
    int GetScaledMaskData(const UnicodeString& SectionName, const UnicodeString& PropName, int PPI,
                          TsMaskData& MaskData, std::unique_ptr<TBitmap>& Bmp);

    // --- services of the skin's sources, loading, hooks and images
    // Opens the current skin; false leaves the manager inactive.
    bool InitSkinFile();
    void LoadCommonData();
    void LoadFonts();
    void InitSkinParams(int PPI);
    void InstallHook();
    void UnInstallHook();
    bool MainWindowHook(TMessage& Message);
    void FlipImages(bool Flip);
    UnicodeString GetSkinNames(TStrings* List, bool AddData = false, TacSkinTypes SkinType = stAllSkins);
    // The names of the skins from files (packed files of the skin directory).
    UnicodeString GetExternalSkinNames(TStrings* List, bool AddData = false, TacSkinTypes SkinType = stAllSkins);
    // The class names of the active skin's sections.
    void GetSkinSections(TStrings* List, TacSkinData* SkinData = nullptr);
    void CloseSkinFile() { sc.reset(); }
    // Writes every stored skin of that name to DestDir as "<name> extracted.asz".
    void ExtractInternalSkin(const UnicodeString& NameOfSkin, const UnicodeString& DestDir);
    void ExtractByIndex(int Index, const UnicodeString& DestDir);
    // SkinDirectory made absolute (relative to the program's folder), ending in a separator.
    UnicodeString GetFullSkinDirectory();

    // --- fields the library reads
    bool CommonDataLoaded = false;
    bool GlobalHookInstalled = false;
    std::unique_ptr<TacSkinConvertor> sc; // the files of the current packed skin, or null
    TMemIniFile* SkinFile = nullptr;       // the opened skin text (SkinCommonInfo.OptionsDat)
    WORD FUpdatedSectionNdx = 0;           // section sent with a repaint (0 = all)
    bool NoAutoUpdate = false;             // between BeginUpdate and EndUpdate
    TShowAction ShowState = 0;
    TacManagerState ManagerState;
    bool SkinIsPacked = false; // the current skin came from a packed source
    int SysFontScale = 0;      // scale level of the system PPI
    std::array<HBRUSH, 6> Brushes{};
    TacSkinEditorData PreviewBuffer; // the last record of the skin editor (default manager)
    std::vector<std::unique_ptr<TStringList>> ThirdLists; // 23 case-sensitive lists
    std::unique_ptr<acFontStore::TacEmbeddedFonts> EmbeddedFonts;
    std::unique_ptr<TacSkinListController> SkinListController;
    std::unique_ptr<TBitmap> MasterBitmap; // holds every image without a bitmap of its own
    // The skin's colours (0x00BBGGRR; the button colours carry 0xFF in the top byte).
    std::array<TColor, acPaletteCount> Palette{};
    TacSkinCommonInfo SkinCommonInfo;
    std::vector<std::unique_ptr<TacSkinData>> SkinDataArray; // one per scale level

protected:
    UnicodeString DefStoredFontName, DefOldFontName, DefNewFontName;
    TGraphicControl* FActiveGraphControl = nullptr;
    std::unique_ptr<TTimer> TimerCheckHot;

    void Notification(TComponent* component, TOperation operation) override;

private:
    // Takes the skin away after loading raised: no skin data, inactive, windows told.
    void DropFailedSkin();
    // The skin data serving PPI, or null.
    TacSkinData* SkinDataOfPPI(int PPI) const;
    // The palette from GLOBALINFO and the sections of the first skin data.
    void LoadPalette();
    // HueOffset, Saturation and Brightness on the images and section colours of Data (and, for
    // the first skin data, on the master bitmap and Shadow1Color), and on the palette. Every
    // image and colour is changed once however many densities load.
    void ApplyHue(TacSkinData& Data);
    void ApplySaturation(TacSkinData& Data);
    void ApplyBrightness(TacSkinData& Data);
    // Brushes[i] of Palette[i], the old ones deleted first.
    void UpdateBrushes();
    void BroadcastCommand(WORD command, LPARAM lParam);
    void SetMouseLightAsEffects();
    // Hooks (or unhooks) the application window's messages for MainWindowHook; the manager
    // records whether its hook is in, so it never hooks twice and its destruction takes the
    // hook along whichever manager is the default by then.
    void SetMainWindowHooked(bool on);
    // This manager becomes the default one: the application window's hook moves to it.
    void BecomeDefault();
    // Removes the CBT hook this manager owns, with the wrappers and the colour redirection.
    void ReleaseCbtHook();
    // The application window's minimize and restore commands; true when the manager minimized
    // or restored the main form itself.
    bool MinimizeMainForm();
    // Row 0xBCB3 of the main-window hook: the border of the open menu window showing the item.
    bool MenuItemBorder(LPARAM itemData);
    bool RestoreMainForm();

    bool FActive = true;
    bool FMapColorsWhenInactive = false;
    bool FSkinnedPopups = true;
    bool FExtendedBorders = false;
    std::unique_ptr<TStringList> FCommonSections;
    std::unique_ptr<TacOptions> FOptions;
    HWND FActiveControl = nullptr;
    UnicodeString FSkinName, FSkinDirectory;
    std::unique_ptr<TacSkinEffects> FEffects;
    std::unique_ptr<TsStoredSkins> FBuiltInSkins;
    std::unique_ptr<TacMenuSupport> FMenuSupport;
    std::unique_ptr<TacAnimEffects> FAnimEffects;
    TacSkinsFilter FSkinsFilter{sfiInternal, sfiExternal};
    std::unique_ptr<TsThirdPartyList> FThirdParty;
    TacSkinningRules FSkinningRules{srStdForms, srStdDialogs, srThirdParty};
    std::unique_ptr<TacLabelsSupport> FLabelsSupport;
    std::unique_ptr<TacButtonsSupport> FButtonsSupport;
    std::unique_ptr<TacScrollBarsSupport> FScrollsOptions;
    std::unique_ptr<TacFonts> FFonts;
    std::unique_ptr<TsSkinableMenus> FSkinableMenus;
    int FHueOffset = 0, FSaturation = 0, FBrightness = 0;
    bool activatedWhileLoading_ = false;
    bool mainWindowHooked_ = false;
};

// Keeps one ManagerState flag set for a scope (also when the scope is left by an exception).
class TacManagerStateScope {
public:
    TacManagerStateScope(TsSkinManager& manager, TacManagerStateValue flag) : manager_(&manager), flag_(flag)
    {
        manager.ManagerState.Include(flag);
    }
    ~TacManagerStateScope() { Release(); }
    TacManagerStateScope(const TacManagerStateScope&) = delete;
    TacManagerStateScope& operator=(const TacManagerStateScope&) = delete;
    // Clears the flag now.
    void Release()
    {
        if (manager_) manager_->ManagerState.Exclude(flag_);
        manager_ = nullptr;
    }

private:
    TsSkinManager* manager_;
    TacManagerStateValue flag_;
};

// Sets a Boolean for a scope and puts the value it had back.
class TacFlagScope {
public:
    TacFlagScope(bool& flag, bool value) : flag_(flag), old_(flag) { flag = value; }
    ~TacFlagScope() { flag_ = old_; }
    TacFlagScope(const TacFlagScope&) = delete;
    TacFlagScope& operator=(const TacFlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

// The PPI a control is painted at under the manager (the default one when null).
int CurrentPPI(TsSkinManager* Manager = nullptr, TControl* Control = nullptr, bool CheckActive = false);
// Width of a skinned scroll bar and of a combo box button at PPI.
int GetScrollSize(TsSkinManager* Manager, int PPI);
int GetComboBtnSize(TsSkinManager* Manager, int PPI);
// True with smVCL at a system PPI of exactly 96, 120, 144 or 192.
bool IsSysPPIUsed(TsSkinManager* Manager);
// The default manager scales every form to PPI and switches to a custom PPI.
void SetPPIAnimated(int PPI);
// The system's PPI (the screen's).
int acSystemPPI();

// Fills the manager's lists of foreign class names from ThirdParty (each empty stored text first
// taking its default; all of them with Force), and writes them back.
void LoadThirdNames(TsSkinManager* Manager, bool Force);
void UpdateThirdNames(TsSkinManager* Manager);
// Chooses between the latest and the skinned common dialogs (the default manager only):
// UseLatestCommonDialogs is false exactly while the manager is active and skins the standard
// dialogs, unless the library allows the latest dialogs anyway.
void UpdateCommonDlgs(TsSkinManager* Manager);
// The skin's colour for a system colour (Manager null: the default manager); ColorToRGB without
// a manager or with an inactive one.
TColor SysColorToSkin(TColor Color, TsSkinManager* Manager = nullptr);

// Registers the manager's published properties and its form-reader factory (once).
void RegisterSkinManagerClasses();

// An image value of a skin section in any of its notations ("&", "^", "~", "@", "!" or a plain
// file name) in the fixed-width form the readers take apart by character position. Words are
// copied as written; a number the conversion must compute with raises EConvertError when it is
// not one.
UnicodeString ConvertSkinStr(const UnicodeString& value);
