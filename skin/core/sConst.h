#pragma once
// The skin library's shared vocabulary: enumerations, pixel and cache records, typed constant
// tables, the control-class code sets and the process-wide switches every skin unit reads.
// Widths are native on x64: handles, object references and pointers are pointer-sized.
#include "ComCtrls.h"
#include "Graphics.h"
#include "Sets.h"
#include "StdCtrls.h"
#include "Strings.h"
#include "Types.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

class TControl;

// ---------------------------------------------------------------------------------------------
// Enumerations (ordinals are stored in skins and forms: keep the order)

enum TacOuterEffectStyle : std::uint8_t { oeNone, oeShadow, oeLowered };
enum TacOuterVisibility : std::uint8_t { ovNone, ovAlways, ovFocused, ovMouseHovered };
enum TacGrayedMode : std::uint8_t { gmAlways, gmInactive };
enum TacSide : std::uint8_t { asLeft, asTop, asRight, asBottom };
enum TacTabLayout : std::uint8_t { tlFirst, tlLast, tlMiddle, tlSingle };
enum TacAnimType : std::uint8_t { atFading, atAero, atDropDown };
enum TacAnimTypeCtrl : std::uint8_t { atcFade, atcAero, atcBlur, atcBlur2, atcRunup };
enum TacBtnEvent : std::uint8_t { beMouseEnter, beMouseLeave, beMouseDown, beMouseUp, beClick, beLighting };
using TacBtnEvents = TSet<TacBtnEvent>;
enum TacAnimatEvent : std::uint8_t {
    aeMouseEnter,
    aeMouseLeave,
    aeMouseDown,
    aeMouseUp,
    aeClick,
    aeLighting,
    aeGlobalDef
};
using TacAnimatEvents = TSet<TacAnimatEvent>;
enum TacImgType : std::uint8_t { itisaBorder, itisaTexture, itisaGlyph, itisaGlow, itisaPngGlyph };
enum TacFillMode : std::uint8_t {
    fmTiled,
    fmStretched,
    fmTiledHorz,
    fmTiledVert,
    fmStretchHorzTop,
    fmStretchVertLeft,
    fmTileHorBtm,
    fmTileVertRight,
    fmStretchHorBtm,
    fmStretchVertRight,
    fmDisTiled,
    fmStretchHorz,
    fmStretchVert,
    fmFromBottomToTop,
    fmReserved1
};
enum TvaAlign : std::uint8_t { vaTop, vaMiddle, vaBottom };
enum TacScaleMode : std::uint8_t { sm100, sm125, sm150, sm200, smAuto, smOldMode, smVCL, smCustomPPI };
enum TacBGType : std::uint8_t { btUnknown, btFill, btCache, btNotReady };
enum TsShadowingShape : std::uint8_t { ssRectangle, ssEllipse };
// Ordinals equal the SW_ show codes 0-10.
enum TsWindowShowMode : std::uint8_t {
    soHide,
    soNormal,
    soShowMinimized,
    soMaximize,
    soShowNoActivate,
    soShow,
    soMinimize,
    soShowMinNoActive,
    soShowNA,
    soRestore,
    soDefault
};
enum TsDisabledGlyphKindFlag : std::uint8_t { dgBlended, dgGrayed };
using TsDisabledGlyphKind = TSet<TsDisabledGlyphKindFlag>;
enum TsDisabledKindFlag : std::uint8_t { dkBlended, dkGrayed };
using TsDisabledKind = TSet<TsDisabledKindFlag>;
using PsDisabledKind = TsDisabledKind*;
enum TsCaptionLayout : std::uint8_t {
    sclLeft,
    sclTopLeft,
    sclTopCenter,
    sclTopRight,
    sclLeftTop,
    sclBottomLeft,
    sclBottomCenter,
    sclBottomRight,
    sclRight,
    sclRightTop,
    sclLeftLeft,
    sclRightRight
};
enum TDateOrder : std::uint8_t { doMDY, doDMY, doYMD };
enum TPopupWindowAlign : std::uint8_t { pwaRight, pwaLeft };
enum TacOptimizingPriority : std::uint8_t { opSpeed, opMemory };

// The calendar's day-of-week enumeration (Monday first).
using TDaysOfWeek = TSet<TCalDayOfWeek>;

// ---------------------------------------------------------------------------------------------
// Simple and reference types

using TacIntProperty = int; // 0..2147483647, published size properties
using TPercent = int;       // 0..100
using TacRoot = UnicodeString;
using PACString = char*;
using TPoints = std::vector<TPoint>;
using PPoints = TPoints*;
using TacIntArray = std::vector<int>;
using TPaintEvent = std::function<void(TObject* sender, TCanvas* canvas)>;
using TBmpPaintEvent = std::function<void(TObject* sender, TBitmap* bmp)>;

// ---------------------------------------------------------------------------------------------
// Records

// Where a control's background can be copied from.
struct TCacheInfo {
    TBitmap* Bmp = nullptr; // the parent's cache bitmap, not owned
    int X = 0;              // offset of the control inside Bmp
    int Y = 0;
    TColor FillColor = 0;   // plain colour when there is no bitmap
    TRect FillRect;
    bool Ready = false;     // Bmp is valid
};
using PCacheInfo = TCacheInfo*;

// No background source at all.
inline constexpr TCacheInfo EmptyCI{nullptr, -99, -99, 0x00FF00FF, TRect(), false};

// A control's answer about its background.
struct TacBGInfo {
    TBitmap* Bmp = nullptr;
    TColor Color = 0;
    TPoint Offset;
    TRect R;
    TRect FillRect;
    TacBGType BgType = btUnknown;
    bool PleaseDraw = false; // the asker wants the background painted into DrawDC
    HDC DrawDC = nullptr;
};
using PacBGInfo = TacBGInfo*;

struct TacPaintInfo {
    int State = 0; // 0 normal, 1 hot, 2 pressed, further values by control
    int FontIndex = 0;
    TRect R;
    TObject* SkinManager = nullptr;
};
using PacPaintInfo = TacPaintInfo*;

struct TacSkinColorData {
    TColor Value;
    std::string_view Name; // 8-bit name, up to 255 characters
};

// One 32-bit value seen as a whole and as bytes. TsColor names the bytes of a TColor (red
// first); TsColor_ and the D/S/M variants name the bytes of a bitmap pixel (blue first).
union TsColor {
    TColor C;
    std::int32_t I;
    struct {
        std::uint8_t R, G, B, A;
    };
};
union TsColor_RGB {
    TColor Col;
    std::int32_t Intg;
    struct {
        std::uint8_t Red, Green, Blue, Alpha;
    };
};
union TsColor_ {
    TColor C;
    std::int32_t I;
    struct {
        std::uint8_t B, G, R, A;
    };
};
union TsColor_RGB_ {
    TColor Col;
    std::int32_t Intg;
    struct {
        std::uint8_t Blue, Green, Red, Alpha;
    };
};
union TsColor_D {
    TColor DC;
    std::int32_t DI;
    struct {
        std::uint8_t DB, DG, DR, DA;
    };
};
union TsColor_S {
    TColor SC;
    std::int32_t SI;
    struct {
        std::uint8_t SB, SG, SR, SA;
    };
};
union TsColor_M {
    TColor MC;
    std::int32_t MI;
    struct {
        std::uint8_t MB, MG, MR, MA;
    };
};
static_assert(sizeof(TsColor) == 4 && sizeof(TsColor_) == 4 && sizeof(TsColor_D) == 4);

// One stop of a skin gradient. Packed (11 bytes): an array of points has this layout in memory.
#pragma pack(push, 1)
struct TsGradPoint {
    WORD Index = 0;           // position in the array
    std::int32_t Mode = 0;    // bits 0-1 painting mode (read from point 0); 0x10: the segment through
                              // GDI+; 0x20 (point 0): the four-corner gradient through GDI+
    TsColor Color{};          // red in byte 0; byte 3 is the alpha where GDI+ paints
    std::uint8_t Percent = 0; // 0..100 along the gradient
};
#pragma pack(pop)
static_assert(sizeof(TsGradPoint) == 11);
using TsGradArray = std::vector<TsGradPoint>;

// Scan-line views: one row of a 32-bit bitmap as pixels, as wide as the bitmap.
using PRGBAArray = std::span<TsColor>;
using PRGBAArray_ = std::span<TsColor_>;
using PRGBAArray_D = std::span<TsColor_D>;
using PRGBAArray_S = std::span<TsColor_S>;
using PRGBAArray_M = std::span<TsColor_M>;

// Row `y` of a row-walk that starts at row0 and steps by delta bytes, `width` pixels wide.
template <class Pixel>
std::span<Pixel> PixelRow(void* row0, long long delta, int y, int width)
{
    auto* row = static_cast<std::uint8_t*>(row0) + static_cast<long long>(y) * delta;
    return {reinterpret_cast<Pixel*>(row), static_cast<size_t>(width < 0 ? 0 : width)};
}

// A TRect named for source and destination rectangles (same layout).
struct TSrcRect {
    LONG SLeft = 0, STop = 0, SRight = 0, SBottom = 0;
};
struct TDstRect {
    LONG DLeft = 0, DTop = 0, DRight = 0, DBottom = 0;
};

// ---------------------------------------------------------------------------------------------
// Typed constants

inline constexpr std::array<std::uint8_t, 8> PNGMagic{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
inline constexpr std::array<TCheckBoxState, 3> CheckBoxStates{cbUnchecked, cbChecked, cbGrayed};
// DrawText alignment flags per TAlignment (left, right, centre).
inline constexpr std::array<WORD, 3> acAlignmentArray{DT_LEFT, DT_RIGHT, DT_CENTER};
inline constexpr std::array<UINT, 2> TextWrapping{DT_SINGLELINE, DT_WORDBREAK};
inline constexpr std::array<UINT, 2> TextEllips{0, DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS};
static_assert(TextEllips[1] == 0x4C000);
inline constexpr std::array<int, 2> acMinusPlus{-1, 1};
inline constexpr TColor sFuchsia = 0x00FF00FF; // transparent key colour of skin bitmaps
// Section suffixes of tabs by position top, bottom, left, right.
inline constexpr std::array<std::wstring_view, 4> sTabPositions{L"", L"BOTTOM", L"LEFT", L"RIGHT"};
// Scale levels 0..3 (PPIToIndex maps any PPI to one).
inline constexpr std::array<int, 4> aScalePercents{100, 125, 150, 200};
inline constexpr std::array<int, 4> aPPIArray{96, 120, 144, 192};
inline constexpr std::array<std::wstring_view, 4> aSfxs{L"", L"*125", L"*150", L"*200"};
inline constexpr std::array<TacImgType, 5> acImgTypes{itisaBorder, itisaTexture, itisaGlyph, itisaGlow,
                                                      itisaPngGlyph};
inline constexpr std::array<TacFillMode, 15> acFillModes{
    fmTiled,     fmStretched,        fmTiledHorz,     fmTiledVert,   fmStretchHorzTop,
    fmStretchVertLeft, fmTileHorBtm, fmTileVertRight, fmStretchHorBtm, fmStretchVertRight,
    fmDisTiled,  fmStretchHorz,      fmStretchVert,   fmFromBottomToTop, fmReserved1};
// The button event each animation event stands for.
inline constexpr std::array<TacBtnEvent, 7> acBtnEvents{beMouseEnter, beMouseLeave, beMouseDown, beMouseUp,
                                                        beClick,      beLighting,   beMouseUp};
inline constexpr BLENDFUNCTION DefBlend{AC_SRC_OVER, 0, 0, AC_SRC_ALPHA};
// A control whose Tag holds this value is not skinned.
inline constexpr int ExceptTag = 256;

// ---------------------------------------------------------------------------------------------
// Control-class code sets (sets of the 0-255 codes a skinned control keeps in its skin data)

class TacCtrlCodeSet {
public:
    // Inclusive ranges of codes; a single code is a range of one.
    constexpr TacCtrlCodeSet(std::initializer_list<std::pair<int, int>> ranges)
    {
        for (const auto& [first, last] : ranges)
            for (int code = first; code <= last; ++code)
                if (code >= 0 && code < 256) bits_[code / 64] |= std::uint64_t{1} << (code % 64);
    }
    constexpr bool Contains(int code) const
    {
        return code >= 0 && code < 256 && (bits_[code / 64] >> (code % 64) & 1) != 0;
    }

private:
    std::uint64_t bits_[4]{};
};

inline constexpr TacCtrlCodeSet sForbidMouse{{19, 19}, {51, 74}, {110, 110}, {141, 161}};
inline constexpr TacCtrlCodeSet sNoHotEdits{{2, 18}, {76, 85}, {132, 140}, {231, 231}};
inline constexpr TacCtrlCodeSet ssCanNotBeHot{{51, 51},   {54, 54},   {56, 59},   {74, 74},   {110, 110},
                                              {141, 141}, {143, 143}, {151, 151}, {161, 161}, {226, 226}};
inline constexpr TacCtrlCodeSet sEditCtrls{{2, 18}, {76, 84}, {132, 140}, {231, 231}};
inline constexpr TacCtrlCodeSet ssScrolledEdits{{7, 8}, {10, 10}, {14, 14}, {78, 78}, {83, 83}, {85, 85}, {231, 231}};
inline constexpr TacCtrlCodeSet ssButtons{{92, 94}};
inline constexpr TacCtrlCodeSet ssLightCtrls{{13, 13}, {18, 18}, {20, 20}, {34, 34}, {92, 94}, {132, 140}};

// Named skin colours: the low three bytes are the colour, the top byte 0xFF marks a named one.
extern const std::array<TacSkinColorData, 22> acSkinColorNames;

// ---------------------------------------------------------------------------------------------
// Process-wide switches (written by the skin manager, read by every control; main thread only)

extern int SysPopupCount;
extern bool acDebugMode;
extern bool acCheckScale;
extern bool acDialogPosIsCenter;
extern HWND acPreviewHandle;
extern bool acPreviewNeeded;
extern bool acSkinPreviewUpdating;
extern bool acIgnoreMenuOwnerDraw;
extern bool acHtmlStdBreak;
extern int acAnimCount;
extern int acScrollBtnLength; // negative: replaced at start-up by SM_CXHSCROLL
extern int acArrowSize;
extern int acSpacing;
extern int acLineWidth;
extern bool ShowHintStored;
extern bool FadingForbidden;
extern bool x64woAero;
extern void* TempControl;
extern bool fGlobalFlag;
extern TObject* acMagnForm;
extern wchar_t cMenuCaption;
extern TacScaleMode acCurrentScaleMode;
extern bool ac_UseSysCharSet;
extern bool ac_KeepOwnFont;
extern bool ac_OldGlyphsMode;
extern bool DrawSkinnedMDIWall;
extern bool DrawSkinnedMDIScrolls;
extern int ac_DialogsLevel;
extern bool ac_ChangeThumbPreviews;
extern bool ac_AllowHotEdits;
extern TObject* sPopupCalendar;
extern bool AppShowHint;

// Localized captions; empty until the library's start-up fills them.
extern UnicodeString acs_MsgDlgOK, acs_MsgDlgCancel, acs_MsgDlgHelp, acs_RestoreStr, acs_MoveStr, acs_SizeStr,
    acs_MinimizeStr, acs_MaximizeStr, acs_CloseStr, acs_Calculator, acs_FileOpen, acs_AvailSkins, acs_InternalSkin,
    acs_InvalidDate, acs_ColorDlgAdd, acs_ColorDlgDefine, acs_ColorDlgAddPal, acs_ColorDlgTitle, acs_ColorDlgRed,
    acs_ColorDlgGreen, acs_ColorDlgBlue, acs_ColorDlgDecimal, acs_ColorDlgHex, acs_FrameAdapterError1, acs_Font,
    acs_FontColor, acs_Root, acs_SelectDir, acs_Create, acs_DirWithSkins, acs_SelectSkinTitle, acs_SkinPreview;
