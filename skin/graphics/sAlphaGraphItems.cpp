// A whole skin section painted into a 32-bit bitmap with its alpha kept, for layered output:
// the background layers (texture, gradient, colour, transparency) and the border image over them.
#include "sAlphaGraph.h"

#include "SysUtils.h"
#include "acntUtils.h"
#include "sAlphaGraphPieces.h"
#include "sGradient.h"
#include "sGraphUtilsMix.h"
#include "sGraphUtilsTile.h"

#include <algorithm>

using namespace alphagraph_detail;
using namespace graphutils_detail;

namespace {

// The section of the skin data, when its manager knows the index.
TsGeneralData* SectionOf(TacSkinData* skinData, int skinIndex)
{
    if (!skinData || !skinData->FOwner || !skinData->FOwner->IsValidSkinIndex(skinIndex)) return nullptr;
    if (!IsValidIndex(skinIndex, static_cast<int>(skinData->gd.size()))) return nullptr;
    return &skinData->gd[static_cast<size_t>(skinIndex)];
}

const TsMaskData* ImageOf(TacSkinData* skinData, int index)
{
    return IsValidIndex(index, static_cast<int>(skinData->ma.size())) ? &skinData->ma[static_cast<size_t>(index)]
                                                                      : nullptr;
}

// The first frame of a texture image (its picture half).
TRect TextureRect(const TsMaskData& mask)
{
    if (mask.Width <= 0 || mask.Height <= 0) return mask.R;
    return MkRectWH(mask.Width, mask.Height, mask.R.Left, mask.R.Top);
}

std::uint8_t Weight(int percent) { return static_cast<std::uint8_t>(std::clamp(percent * 255 / 100, 0, 255)); }

// The colour layer when nothing else covers R (p = 0): a fill, or the colour mixed in by the
// transparency over what lies there already.
void PaintColour(TBitmap* bmp, const TRect& r, TColor color, int t)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    const TsColor_ first = rows.Contains(r.Left, r.Top) ? rows.At(r.Left, r.Top) : TsColor_{};
    const int opacity = (100 - t) * 255 / 100;
    if (first.I == 0) {
        FillRect32(bmp, r, color, static_cast<std::uint8_t>(opacity));
        return;
    }
    if (t == 0) {
        FillRect32(bmp, r, color, 255);
        return;
    }
    TsColor_ k;
    k.I = SwapRedBlue(color);
    const auto mixIn = [t](int c, int kc) { return static_cast<std::uint8_t>(c - (c - kc) * (100 - t) / 100); };
    const auto alpha = static_cast<std::uint8_t>(std::max<int>(first.A, opacity));
    const int top = std::max<int>(0, r.Top), bottom = std::min<int>(rows.Height(), r.Bottom);
    const int left = std::max<int>(0, r.Left), right = std::min<int>(rows.Width(), r.Right);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            TsColor_& p = rows.At(x, y);
            p.R = mixIn(p.R, k.R);
            p.G = mixIn(p.G, k.G);
            p.B = mixIn(p.B, k.B);
            p.A = alpha;
        }
}

} // namespace

void PaintItemBG32(int SkinIndex, int State, const TRect& R, TBitmap* ItemBmp, TacSkinData* SkinData, TColor Color)
{
    TsGeneralData* section = SectionOf(SkinData, SkinIndex);
    if (!section || !TacBmpRows(ItemBmp).Valid()) return;
    TsGenState& props = section->Props[static_cast<size_t>(std::clamp(State, 0, 2))];
    int t = props.Transparency;
    const bool wholeBitmap = ItemBmp->Width() == WidthOf(R) && ItemBmp->Height() == HeightOf(R);
    if (t == 100) {
        if (wholeBitmap) FillRect32(ItemBmp, R, props.Color, 0);
        return;
    }
    TColor color = Color;
    int imagePercent = 0, gradientPercent = 0;
    TsGradArray noGradient;
    const TsMaskData* texture = nullptr;
    if (Color == sFuchsia) {
        color = props.Color;
        imagePercent = props.ImagePercent;
        gradientPercent = props.GradientPercent;
        if (imagePercent > 0) texture = ImageOf(SkinData, props.TextureIndex);
    } else {
        t = 0;
    }
    TsGradArray& gradient = gradientPercent > 0 ? props.GradientArray : noGradient;

    // Texture and gradient in one pass.
    if (texture && imagePercent + gradientPercent == 100 && gradientPercent >= 1 && gradientPercent <= 99 &&
        texture->DrawMode == 0 && !gradient.empty() && gradient[0].Mode < 2) {
        const auto alpha = static_cast<std::uint8_t>(Round(1.0L - t / 100.0L) * 255);
        PaintGradTxt(ItemBmp, R, gradient, ImageBitmap(*texture), TextureRect(*texture), Weight(imagePercent), alpha);
        return;
    }

    bool textured = false;
    if (texture) {
        TRect rest = R;
        const auto mode = texture->DrawMode >= 0 && texture->DrawMode < static_cast<int>(acFillModes.size())
                              ? acFillModes[static_cast<size_t>(texture->DrawMode)]
                              : fmTiled;
        if (texture->MaskType != 0) TileMasked(ItemBmp, rest, EmptyCI, *texture, mode);
        else TileBitmap(ItemBmp->Canvas(), rest, ImageBitmap(*texture), *texture, mode);
        GdiFlush();
        if (rest.Right >= 0) FillRect32(ItemBmp, rest, color, 255);
        textured = true;
    }

    if (gradientPercent > 0) {
        if (textured) {
            auto work = CreateBmp32(WidthOf(R), HeightOf(R));
            const TRect all(0, 0, work->Width(), work->Height());
            if (gradient.empty()) FillRect32(work.get(), all, color, 255);
            else PaintGrad(work.get(), all, gradient, 0, 0);
            SumBmpRect(ItemBmp, work.get(), Weight(imagePercent), all, R.TopLeft());
        } else {
            if (gradient.empty()) {
                FillRect32(ItemBmp, R, color, 255);
                return;
            }
            // The state's own array: its alphas are set once per loaded skin, marked on point 0.
            if ((gradient[0].Mode & 0x10) == 0) {
                gradient[0].Mode |= 0x10;
                for (TsGradPoint& point : gradient) point.Color.A = static_cast<std::uint8_t>((100 - t) * 255 / 100);
            }
            PaintGrad(ItemBmp, R, gradient, 0, 0);
        }
    }

    const int p = imagePercent + gradientPercent;
    if (p == 0) PaintColour(ItemBmp, R, color, t);
    // Only R itself: the blend treats its rectangle's right and bottom as inclusive.
    else if (p < 100) BlendColorRect(ItemBmp, TRect(R.Left, R.Top, R.Right - 1, R.Bottom - 1), Weight(p), color);
}

void PaintItem32(int SkinIndex, bool, int State, const TRect& R, const TPoint&, TBitmap* ItemBmp,
                 TacSkinData* SkinData)
{
    TsGeneralData* section = SectionOf(SkinData, SkinIndex);
    if (!section || !ItemBmp || R.IsEmpty() || ItemBmp->Width() < R.Right || ItemBmp->Height() < R.Bottom ||
        R.Left < 0 || R.Top < 0)
        return;
    State = std::clamp(State, 0, std::max(0, section->States - 1));
    // What lay under R shows through the transparent parts of the border.
    auto under = CreateBmp32(WidthOf(R) + 1, HeightOf(R) + 1);
    BitBlt(under->Canvas()->Handle(), 0, 0, WidthOf(R), HeightOf(R), ItemBmp->Canvas()->Handle(), R.Left, R.Top,
           SRCCOPY);
    GdiFlush();
    PaintItemBG32(SkinIndex, std::min(State, 2), R, ItemBmp, SkinData, sFuchsia);
    if (const TsMaskData* border = ImageOf(SkinData, section->BorderIndex)) {
        TCacheInfo ci;
        ci.Bmp = under.get();
        ci.X = -R.Left;
        ci.Y = -R.Top;
        ci.FillColor = sFuchsia;
        ci.Ready = true;
        DrawSkinRect32(ItemBmp, R, ci, *border, State);
    }
    if (ItemBmp->Width() == WidthOf(R) && ItemBmp->Height() == HeightOf(R)) UpdateAlpha(ItemBmp, R);
}
