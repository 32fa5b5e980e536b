// Border-mask routines of skinned controls: the widest border, regions without the transparent
// corners, and the control's tone, hue and saturation on a painted image.
#include "sCommonData.h"

#include "sAlphaGraph.h"
#include "sCommonDataSection.h"
#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsRegion.h"
#include "sSkinManager.h"

using namespace sCommonDataSection;

namespace {

// The region of w x h without rects; null when the region cannot be made.
HRGN RegionWithout(int w, int h, const TRects& rects)
{
    HRGN rgn = CreateRectRgn(0, 0, w, h);
    if (!rgn) return nullptr;
    for (const TRect& r : rects) {
        HRGN piece = CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
        if (!piece) continue;
        CombineRgn(rgn, rgn, piece, RGN_DIFF);
        DeleteObject(piece);
    }
    return rgn;
}

constexpr std::int32_t KeyPixel = 0x00FF00FF;

// Appends the key-pixel runs of the w x h area of rows at (x, y), placed at (x, y).
void AddKeyRuns(TRects& rects, TacBmpRows& rows, int x, int y, int w, int h)
{
    for (int row = std::max(y, 0); row < std::min(y + h, rows.Height()); ++row) {
        int start = -1;
        const int right = std::min(x + w, rows.Width());
        for (int col = std::max(x, 0); col <= right; ++col) {
            const bool key = col < right && rows.At(col, row).I == KeyPixel;
            if (key && start < 0) start = col;
            if (!key && start >= 0) {
                rects.push_back(TRect(start, row, col, row + 1));
                start = -1;
            }
        }
    }
}

} // namespace

int SkinBorderMaxWidth(TsCommonData* CommonData)
{
    if (!CommonData) return 0;
    TacSkinData* data = CommonData->GetCommonSkinData();
    const TsGeneralData* section = SectionOf(data, CommonData->SkinIndex);
    const TsMaskData* mask = section ? BorderMaskOf(data, *section) : nullptr;
    if (!mask || (mask->DrawMode & 4) != 0) return 0;
    return std::max({mask->WL, mask->WT, mask->WR, mask->WB});
}

HRGN GetRgnFromSkin(int SkinIndex, TSize Size, TacSkinData* SkinData)
{
    const TsGeneralData* section = SectionOf(SkinData, SkinIndex);
    if (!section || Size.cx <= 0 || Size.cy <= 0) return nullptr;
    TRects rects;
    if (const TsMaskData* mask = BorderMaskOf(SkinData, *section)) {
        AddRgn(rects, Size.cx, *mask, 0, false, 0);
        AddRgn(rects, Size.cx, *mask, Size.cy - mask->WB, true, 0);
    }
    return RegionWithout(Size.cx, Size.cy, rects);
}

HRGN GetTransCornersRgn(int SkinIndex, TBitmap* Bitmap, TacSkinData* SkinData)
{
    const TsGeneralData* section = SectionOf(SkinData, SkinIndex);
    if (!section || !Bitmap || Bitmap->Empty()) return nullptr;
    const int w = Bitmap->Width(), h = Bitmap->Height();
    TRects rects;
    const TsMaskData* mask = BorderMaskOf(SkinData, *section);
    TacBmpRows rows(Bitmap);
    if (mask && rows.Valid()) {
        AddKeyRuns(rects, rows, 0, 0, mask->WL, mask->WT);
        AddKeyRuns(rects, rows, w - mask->WR, 0, mask->WR, mask->WT);
        AddKeyRuns(rects, rows, 0, h - mask->WB, mask->WL, mask->WB);
        AddKeyRuns(rects, rows, w - mask->WR, h - mask->WB, mask->WR, mask->WB);
    }
    return RegionWithout(w, h, rects);
}

void UpdateBmpColors(TBitmap* Bitmap, TsCommonData* CommonData, bool UseGiven, TColor Color)
{
    if (!Bitmap || !CommonData) return;
    TColor tone = clNone;
    if (CommonData->COC == 93 || CommonData->COC == 94) {
        const TColor given = UseGiven ? Color : CommonData->FColorTone;
        if (given != clNone && given != 0) tone = given;
    } else if (CommonData->FColorTone != clNone) {
        tone = CommonData->FColorTone;
    }
    constexpr TColor key = 0xFF00FF;
    if (tone != clNone) ChangeBitmapPixels(Bitmap, ChangeColorTone, static_cast<int>(ColorToRGB(tone)), key);
    if (CommonData->FHUEOffset != 0) ChangeBitmapPixels(Bitmap, ChangeColorHUE, CommonData->FHUEOffset, key);
    if (CommonData->FSaturation != 0)
        ChangeBitmapPixels(Bitmap, ChangeColorSaturation, std::clamp(CommonData->FSaturation, -100, 100), key);
    UpdateCorners(CommonData, 0, AllCorners);
}
