#pragma once
// The records of one loaded skin: an image or mask of the skin (TsMaskData), a skin section with
// its looks per state (TsGeneralData, TsGenState) and a window-wide outer effect
// (TacOutEffData); and the routines on one mask: corner hit test, size and rescaling to another
// pixel density.
#include "Graphics.h"
#include "Strings.h"
#include "Types.h"
#include "sConst.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// One image of a skin: a border mask, a texture, a glyph or a glow.
struct TsMaskData {
    // Its own bitmap (registered with and owned by the skin data), or null when the image lies at
    // R in the manager's master bitmap. Never owned by the record.
    TBitmap* Bmp = nullptr;
    UnicodeString ClassName;    // owning section (upper case)
    UnicodeString PropertyName; // key of the image inside its section
    TRect R;                    // place in Bmp: frames side by side; MaskType 1: mask half below
    std::int16_t ImageCount = 0;
    std::int16_t MaskType = 0;  // 0 own transparency, 1 image over black/white mask, -1 no height
    std::int16_t DrawMode = 0;  // 8: never rescaled; 0x10: transparency is the alpha channel
    TacImgType ImgType = itisaBorder;
    TObject* Manager = nullptr; // the owning skin manager
    std::int16_t WL = 0, WT = 0, WR = 0, WB = 0; // nine-slice border widths
    std::uint32_t Cfg = 0;      // bit 0: a corner of a border mask holds a transparent pixel
    std::int32_t MulPPi = 0;    // target pixel density
    std::int32_t DivPPI = 0;    // density the image was drawn at (final size when equal to MulPPi)
    std::int32_t SkinIndex = 0; // owning section in the general-data array
    std::int32_t Width = 0;     // of one frame
    std::int32_t Height = 0;    // of one frame (of the image half for MaskType 1)
};
using PsMaskData = TsMaskData*;
using TsMaskArray = std::vector<TsMaskData>;

// Text colour and the colours of a one-pixel contour on each side (-1: none).
struct TsFontColor {
    TColor Color = 0;
    TColor Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The look of a section in one state (0 normal, 1 hot, 2 second active state). Copying a state
// copies its gradient.
struct TsGenState {
    std::int32_t GlowSize = 0;
    std::int32_t ImagePercent = 0;
    std::int32_t TextureIndex = 0;
    std::int32_t Transparency = 0;
    std::int32_t GradientPercent = 0;
    TColor Color = 0;
    TColor GlowColor = 0;
    TColor LightColor = 0;
    TColor BorderColor = 0;
    TsFontColor FontColor;
    TsGradArray GradientArray;
};
using TsProps = std::array<TsGenState, 3>;

// One skin section.
struct TsGeneralData {
    UnicodeString ParentClass; // section it inherits from, "" for none
    UnicodeString ClassName;
    TsProps Props;
    bool UseState2 = false;
    bool GiveOwnFont = false;
    bool ShiftOnClick = false;
    bool ReservedBoolean = false;
    std::int32_t States = 0;             // 1..3
    std::int32_t ScrollBorderOffset = 0; // -2 no border mask, -1 edit with 1-pixel borders, else 0
    std::int32_t GlowCount = 0, GlowMargin = 0, GlowSize = 0, HotGlowSize = 0;
    std::int32_t BorderWidth = 0;        // plain border without a border mask
    std::int32_t BorderIndex = 0;        // "BORDERSMASK": 0 until resolved, -1 none
    std::int32_t ImgTL = 0, ImgTR = 0, ImgBL = 0, ImgBR = 0; // corner images, -1 none
    TColor HotGlowColor = 0, GlowColor = 0;
    std::int32_t OuterMode = 0;          // 0 none, 1-2 "OUTERMASK", 3-4 that mask or a shadow
    std::int32_t OuterMask = 0;          // -1 none
    std::int32_t OuterOpacity = 0;       // 0..255
    TRect OuterOffset;
    std::int32_t OuterBlur = 0, OuterRadius = 0;
    TColor OuterColorL = 0, OuterColorT = 0, OuterColorR = 0, OuterColorB = 0;
};
using TsGeneralDataArray = std::vector<TsGeneralData>;

// A window-wide outer effect: the light outline (entry 0) or the shadow (entry 1) of forms.
struct TacOutEffData {
    TColor ColorL = 0, ColorT = 0, ColorR = 0, ColorB = 0;
    std::int32_t OffsetL = 0, OffsetT = 0, OffsetR = 0, OffsetB = 0;
    std::int32_t WidthL = 0, WidthT = 0, WidthR = 0, WidthB = 0;
    std::int32_t Blur = 0, Radius = 0;
    std::int32_t Mask = 0;   // mask index, -1 none
    std::int32_t Source = 0; // 0 none, 1 an image of the skin, 2 computed
    std::int32_t Opacity = 0;
};
using TacOutEffArray = std::vector<TacOutEffData>;

// Whether (x, y) of a w x h area painted with the border mask falls on a transparent pixel of
// one of its corners (key colour with Cfg bit 0, else alpha 0). False without a bitmap.
bool PtIsTransparent(int x, int y, const TsMaskData& mask, int w, int h);

// (Width, Height): the size of one frame.
TSize MkSize(const TsMaskData& mask);

// Rescales the image from DivPPI to MulPPi into a new 32-bit bitmap: mask.Bmp when set, else
// bmp, is the source. True when a new bitmap was made: then own owns it (the bitmap own held
// before is freed) and mask.Bmp points at it, with R, Width, Height and the border widths for
// the new size. A source that own does not hold (the master bitmap, an image of the skin data)
// is never freed. False, with nothing changed, when the densities are equal or not positive,
// there is no source, the mask has no frames or a negative mask type, two opposite borders add
// up to 2 pixels, or a frame is below 3 x 3. MulPPi and DivPPI are the caller's to update.
bool ScaleMaskData(TsMaskData& mask, TBitmap* bmp, bool keepAlpha, std::unique_ptr<TBitmap>& own);
