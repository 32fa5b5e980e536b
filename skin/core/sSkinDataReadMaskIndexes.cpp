// Resolving the masks of each section of a skin data once all images and sections are read:
// border, corner and texture masks per state, outer-effect masks (generated where the skin
// gives none), and the frame sizes and default borders of every mask.
#include "sSkinDataRead.h"

#include "SysUtils.h"
#include "sAlphaGraph.h"
#include "sGradient.h"
#include "sGraphUtils.h"

#include <algorithm>
#include <climits>
#include <array>

std::unique_ptr<TBitmap> MakeTwoHalfOuterImage(TBitmap& shadow, TColor left, TColor top, TColor right, TColor bottom,
                                               int wl, int wt, int wr, int wb)
{
    const int w = shadow.Width(), h = shadow.Height();
    auto bmp = CreateBmp32(w, h * 2);
    TacBmpRows src(&shadow), dst(bmp.get());
    if (!src.Valid() || !dst.Valid()) return bmp;
    const auto pixel = [](TColor c) {
        TsColor_ p;
        p.I = SwapRedBlue(c) & 0x00FFFFFF;
        p.A = c == 0xFF00FF ? 0 : 255;
        return p;
    };
    const std::array<TsColor_, 4> colours{pixel(left), pixel(top), pixel(right), pixel(bottom)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // A pixel of a side band belongs to that side alone: the bands are tiled or stretched
            // along the control, and another side's colour in them would draw a line there.
            const bool inColumns = x >= wl && x < w - wr, inRows = y >= wt && y < h - wb;
            std::array<int, 4> distance{x, y, w - 1 - x, h - 1 - y};
            if (inRows && !inColumns) distance[1] = distance[3] = INT_MAX;
            if (inColumns && !inRows) distance[0] = distance[2] = INT_MAX;
            const auto nearest = std::ranges::min_element(distance) - distance.begin();
            dst.At(x, y) = colours[static_cast<size_t>(nearest)];
        }
    for (int y = 0; y < h; ++y) std::ranges::copy(src.Row(y), dst.Row(y + h).begin());
    return bmp;
}

namespace {

constexpr TColor KeyColour = 0xFF00FF;

// A shadow mask for a section with outer mode 3 or 4 and no OUTERMASK of its own.
int GenerateOuterMask(TacSkinData& data, int sectionIndex)
{
    const TsGeneralData& g = data.gd[static_cast<size_t>(sectionIndex)];
    const TRect& o = g.OuterOffset;
    std::unique_ptr<TBitmap> shadow =
        MakeShadow(g.OuterColorL, g.OuterRadius, 0, std::max<int>(0, o.Top) + std::max<int>(0, o.Bottom),
                   std::max<int>(0, o.Left) + std::max<int>(0, o.Right), g.OuterBlur, true, true);
    const int w = shadow->Width(), h = shadow->Height();
    const int wl = (w + o.Left - o.Right) / 2, wr = (w + o.Right - o.Left) / 2;
    const int wt = (h + o.Top - o.Bottom) / 2, wb = (h + o.Bottom - o.Top) / 2;
    const bool leftOnly = g.OuterMode == 3;
    auto image = MakeTwoHalfOuterImage(*shadow, g.OuterColorL, leftOnly ? KeyColour : g.OuterColorT,
                                       leftOnly ? KeyColour : g.OuterColorR, leftOnly ? KeyColour : g.OuterColorB, wl,
                                       wt, wr, wb);
    const TRect r(0, 0, image->Width(), image->Height());
    const int index = static_cast<int>(data.ma.size());
    const UnicodeString name = L"Outer" + IntToStr(index);
    data.MakeNewItem(sectionIndex, name, g.ClassName, itisaBorder, r, 1, 1, 1);
    TsMaskData& mask = data.ma.back();
    mask.Bmp = image.get();
    mask.Width = image->Width();
    mask.Height = image->Height();
    mask.WL = static_cast<std::int16_t>(wl);
    mask.WR = static_cast<std::int16_t>(wr);
    mask.WT = static_cast<std::int16_t>(wt);
    mask.WB = static_cast<std::int16_t>(wb);
    mask.Cfg = 0;
    mask.DivPPI = data.PPI; // made at this density
    data.AddImage(std::move(image), name, g.ClassName + L"-" + name, r, r, data.PPI, 1, false);
    return index;
}

bool IsEditSection(const UnicodeString& name) { return name == L"EDIT" || name == L"ALPHAEDIT"; }

} // namespace

void TacSkinData::InitMaskIndexes()
{
    if (!FOwner) return;
    TsSkinManager& m = *FOwner;
    const int globalInfo = m.SkinCommonInfo.IndexGlobalInfo;
    for (size_t n = 0; n < gd.size(); ++n) {
        const int i = static_cast<int>(n);
        if (i == globalInfo) continue;
        if (gd[n].BorderIndex == 0) gd[n].BorderIndex = m.GetMaskIndex(i, L"BORDERSMASK", this);
        gd[n].ImgTL = m.GetMaskIndex(i, L"IMGTOPLEFT", this);
        gd[n].ImgTR = m.GetMaskIndex(i, L"IMGTOPRIGHT", this);
        gd[n].ImgBL = m.GetMaskIndex(i, L"IMGBTMLEFT", this);
        gd[n].ImgBR = m.GetMaskIndex(i, L"IMGBTMRIGHT", this);
        const int mode = gd[n].OuterMode;
        if (mode >= 1 && mode <= 4) {
            gd[n].OuterMask = m.GetMaskIndex(i, L"OUTERMASK", this);
            if (gd[n].OuterMask < 0 && mode >= 3) gd[n].OuterMask = GenerateOuterMask(*this, i);
        } else {
            gd[n].OuterMask = -1;
        }
        TsGeneralData& g = gd[n];
        TsProps& props = g.Props;
        props[0].TextureIndex = m.GetTextureIndex(i, L"PATTERN", this);
        // With one state, state 1 is state 0 and shows its texture.
        props[1].TextureIndex = g.States > 1 ? m.GetTextureIndex(i, L"HOTPATTERN", this) : props[0].TextureIndex;
        props[2].TextureIndex =
            g.States >= 3 && g.UseState2 ? m.GetTextureIndex(i, L"PATTERN2", this) : props[1].TextureIndex;
        if (g.BorderIndex < 0 || static_cast<size_t>(g.BorderIndex) >= ma.size()) {
            g.ScrollBorderOffset = -2;
        } else {
            const TsMaskData& border = ma[static_cast<size_t>(g.BorderIndex)];
            const bool thin = border.WL == 1 && border.WT == 1 && border.WR == 1 && border.WB == 1;
            g.ScrollBorderOffset = IsEditSection(g.ClassName) && thin ? -1 : 0;
        }
    }

    for (TsMaskData& mask : ma) {
        // A mask without a frame count is one frame with borders of half its size.
        const bool noCount = mask.ImageCount == 0;
        const int frames = noCount ? 1 : mask.ImageCount;
        mask.Width = frames > 0 ? WidthOf(mask.R) / frames : 0;
        mask.Height = mask.MaskType <= -1 ? 0 : HeightOf(mask.R) / (mask.MaskType + 1);
        if (noCount) {
            const int halves = std::max(1, (mask.MaskType + 1) * 2);
            if (mask.WT < 1) mask.WT = static_cast<std::int16_t>((mask.Height - 1) / halves);
            if (mask.WB < 1) mask.WB = static_cast<std::int16_t>((mask.Height - 1) / halves);
            if (mask.WL < 1) mask.WL = static_cast<std::int16_t>((mask.Width - 1) / 2);
            if (mask.WR < 1) mask.WR = static_cast<std::int16_t>((mask.Width - 1) / 2);
            mask.ImageCount = 1;
        }
        if (mask.ImgType == itisaBorder && HasTransparentCorner(mask, m.MasterBitmap.get())) mask.Cfg |= 1;
    }
}
