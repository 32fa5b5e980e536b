#pragma once
// The records of one loaded skin: an image or mask of the skin (TsMaskData).
#include "Graphics.h"
#include "Strings.h"
#include "Types.h"
#include "sConst.h"

#include <cstdint>
#include <vector>

// One image of a skin: a border mask, a texture, a glyph or a glow.
struct TsMaskData {
    // Its own bitmap (registered with and owned by the skin data), or null when the image lies at
    // R in the manager's master bitmap.
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
    std::int32_t MulPPi = 0;
    std::int32_t DivPPI = 0;
    std::int32_t SkinIndex = 0;
    std::int32_t Width = 0;     // of one frame
    std::int32_t Height = 0;    // of one frame (of the image half for MaskType 1)
};
using PsMaskData = TsMaskData*;
using TsMaskArray = std::vector<TsMaskData>;
