// A skin section's background: texture, gradient and plain colour by their percentage shares,
// mixed with the parent's pixels by the state's transparency, then the overlay gradient and the
// overlay texture; and the cheaper variant for controls without a custom colour.
#include "sGraphUtilsPaintItem.h"

#include "sAlphaGraphPieces.h"
#include "sCommonData.h"
#include "sGradient.h"
#include "sGraphUtilsPaintItemParts.h"
#include "sGraphUtilsTile.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

#include <algorithm>

using namespace paintitem_detail;

namespace {

const TsGradArray kNoGradient;

// What the opaque background of one state is made of.
struct TLayers {
    const TacSkinData* data = nullptr;
    TColor color = 0;
    int ip = 0;      // texture share, percent
    int gp = 0;      // gradient share, percent
    int texture = -1;
    const TsGradArray* g = &kNoGradient;
};

// The overlay gradient: painted over the finished background instead of being mixed into it.
bool OverlayGradient(const TsGenState& state)
{
    return !state.GradientArray.empty() && (state.GradientArray[0].Mode & 0x20) != 0;
}

TacFillMode FillModeOf(const TsMaskData& image)
{
    return image.DrawMode >= 0 && image.DrawMode < static_cast<int>(acFillModes.size())
               ? acFillModes[static_cast<size_t>(image.DrawMode)]
               : fmTiled;
}

// Tiles q with the texture by its fill mode; q becomes what the tiler left uncovered, or -1 in
// every field.
void Tile(TBitmap* b, TRect& q, const TCacheInfo& ci, const TsMaskData& image)
{
    if ((image.MaskType & 0xFF) != 0) TileMasked(b, q, ci, image, FillModeOf(image));
    else TileBitmap(b->Canvas(), q, image.Bmp, image, FillModeOf(image));
    GdiFlush();
}

// BlendColorRect takes its right and bottom as inclusive: q's own pixels only.
void BlendColour(TBitmap* b, const TRect& q, int share, TColor color)
{
    BlendColorRect(b, TRect(q.Left, q.Top, q.Right - 1, q.Bottom - 1), Share(share), color);
}

// Texture under the gradient at the texture's weight; the gradient is the plain colour when the
// skin gives no points.
void MixGradientOverTexture(TBitmap* b, const TRect& q, const TLayers& l, std::uint8_t textureWeight)
{
    auto tmp = CreateBmp32(WidthOf(q), HeightOf(q));
    const TRect all(0, 0, tmp->Width(), tmp->Height());
    if (!l.g->empty()) PaintGrad(tmp.get(), all, *l.g, 0, 0);
    else FillRect32(tmp.get(), all, l.color, 255);
    SumBmpRect(b, tmp.get(), textureWeight, all, q.TopLeft());
}

void PaintOpaque(TBitmap* b, const TRect& q, const TLayers& l, const TCacheInfo& ci)
{
    const TsMaskData* texture = ImageOf(*l.data, l.texture);
    // Texture and a row or column gradient that share all of q: one pass.
    if (l.ip + l.gp == 100 && l.gp >= 1 && l.gp <= 99 && texture && texture->DrawMode == 0 && !l.g->empty() &&
        (*l.g)[0].Mode < 2) {
        PaintGradTxt(b, q, *l.g, alphagraph_detail::ImageBitmap(*texture), texture->R, Share(l.ip), 255);
        return;
    }
    bool textured = false;
    if (l.ip > 0) {
        TRect rest = q;
        if (texture) {
            Tile(b, rest, ci, *texture);
            textured = true;
        }
        if (rest.Right != -1) FillOpaque(b, rest, l.color);
    }
    if (l.gp > 0) {
        if (textured) MixGradientOverTexture(b, q, l, static_cast<std::uint8_t>(std::clamp(l.ip * 255 / 100, 0, 255)));
        else if (!l.g->empty()) PaintGrad(b, q, *l.g, 0, 0);
        else FillOpaque(b, q, l.color);
    }
    const int s = l.ip + l.gp;
    if (s >= 1 && s <= 99) BlendColour(b, q, s, l.color);
    else if (s == 0) FillOpaque(b, q, l.color);
}

// The fast variant: no one-pass shortcut, the texture narrows q to what it left uncovered, and
// the colour step fills with shareFill when the shares are 0 or above 100.
void PaintOpaqueFast(TBitmap* b, TRect q, const TLayers& l, const TCacheInfo& ci, TColor shareFill)
{
    bool textured = false;
    if (l.ip > 0) {
        if (const TsMaskData* texture = ImageOf(*l.data, l.texture)) {
            const TRect whole = q;
            Tile(b, q, ci, *texture);
            textured = true;
            if (q.Right == -1) q = whole;
            else FillOpaque(b, q, l.color);
        } else {
            FillOpaque(b, q, l.color);
        }
    }
    if (l.gp > 0) {
        if (textured) MixGradientOverTexture(b, q, l, Share(l.ip));
        else if (!l.g->empty()) PaintGrad(b, q, *l.g, 0, 0);
        else FillOpaque(b, q, l.color);
    }
    const int s = l.ip + l.gp;
    if (s == 0 || s > 100) FillOpaque(b, q, shareFill);
    else if (s < 100) BlendColour(b, q, s, l.color);
}

// A parent whose image is finished only outside ci.FillRect: its finished strips (FillRect's
// right and bottom are widths from the bitmap's right and bottom edge) are copied, each cut to R,
// and the rest of R is filled with the parent's colour.
void CopyParentStrips(TBitmap* itemBmp, const TRect& r, const TCacheInfo& ci, const TPoint& pP)
{
    const int w = WidthOf(r), h = HeightOf(r);
    const TRect p(pP.X, pP.Y, pP.X + w, pP.Y + h);
    const TRect& fr = ci.FillRect;
    const int bw = ci.Bmp->Width(), bh = ci.Bmp->Height();
    HDC dst = itemBmp->Canvas()->Handle();
    HDC src = ci.Bmp->Canvas()->Handle();
    int dl = 0, dt = 0, dr = 0, db = 0;
    if (fr.Left - ci.X > 0 && fr.Left > p.Left) {
        dl = std::min<int>(fr.Left - p.Left, w);
        BitBlt(dst, r.Left, r.Top, dl, h, src, ci.X + pP.X, ci.Y + pP.Y, SRCCOPY);
    }
    if (fr.Top - ci.Y > 0 && fr.Top > p.Top) {
        dt = std::min<int>(fr.Top - p.Top, h);
        BitBlt(dst, r.Left, r.Top, w, dt, src, ci.X + pP.X, ci.Y + pP.Y, SRCCOPY);
    }
    if (fr.Right > 0 && bw - fr.Right < p.Right && bw > p.Right) {
        dr = std::min<int>(p.Right - (bw - fr.Right), w);
        BitBlt(dst, r.Right - dr, r.Top, dr, h, src, ci.X + p.Right - dr, ci.Y + pP.Y, SRCCOPY);
    }
    if (fr.Bottom > 0 && bh - fr.Bottom < p.Bottom && bh > p.Bottom) {
        db = std::min<int>(p.Bottom - (bh - fr.Bottom), h);
        BitBlt(dst, r.Left, r.Bottom - db, w, db, src, ci.X + pP.X, ci.Y + p.Bottom - db, SRCCOPY);
    }
    GdiFlush();
    const TRect rest(r.Left + dl, r.Top + dt, r.Right - dr, r.Bottom - db);
    if (rest.Right > rest.Left && rest.Bottom > rest.Top) FillOpaque(itemBmp, rest, ci.FillColor);
}

} // namespace

void PaintItemBG(int SkinIndex, const TCacheInfo& CI, int State, const TRect& R, const TPoint& pP, TBitmap* ItemBmp,
                 TacObject* SkinData, int TextureIndex, int HotTextureIndex, TColor CustomColor)
{
    TacSkinData* data = nullptr;
    const TsGeneralData* section = SectionOf(SkinData, SkinIndex, &data);
    if (!section || !ItemBmp || R.IsEmpty()) return;
    Make32(ItemBmp);
    if (State >= section->States) State = section->States - 1;
    State = std::clamp(State, 0, 2);
    const TsGenState& st = section->Props[static_cast<size_t>(State)];

    TLayers l;
    l.data = data;
    bool overlay = false;
    int t = 0;
    if (CustomColor == sFuchsia) {
        overlay = OverlayGradient(st);
        l.color = st.Color;
        t = std::clamp<int>(st.Transparency, 0, 100);
        if (t < 100) {
            l.ip = st.ImagePercent;
            l.gp = overlay ? 0 : st.GradientPercent;
            if (l.ip > 0 && TextureIndex < 0) TextureIndex = st.TextureIndex;
            if (l.gp > 0) l.g = &st.GradientArray;
        }
    } else {
        l.color = CustomColor;
    }
    l.texture = TextureIndex;

    const int w = WidthOf(R), h = HeightOf(R);
    if ((!CI.Ready && CI.FillColor == sFuchsia) || t == 0) {
        PaintOpaque(ItemBmp, R, l, CI);
    } else if (t == 100) {
        if (CI.Ready && CI.Bmp) CopyParent(ItemBmp, R, CI, pP);
        else if (!CI.Bmp) FillRect32(ItemBmp, R, CI.FillColor, 255);
        else CopyParentStrips(ItemBmp, R, CI, pP);
    } else if (CI.Ready || l.ip + l.gp != 0) {
        auto work = CreateBmp32(w, h);
        PaintOpaque(work.get(), TRect(0, 0, w, h), l, CI);
        if (CI.Ready) CopyParent(ItemBmp, R, CI, pP);
        else FillOpaque(ItemBmp, R, CI.FillColor);
        SumBmpRect(ItemBmp, work.get(), Share(t), TRect(0, 0, w, h), R.TopLeft());
    } else {
        FillOpaque(ItemBmp, R, BlendColors(CI.FillColor, l.color, Share(t)));
    }

    if (overlay) PaintGrad(ItemBmp, R, st.GradientArray, 0, 0);
    if (TextureIndex < 0) TextureIndex = st.TextureIndex;
    const TsMaskData* overlayTexture = ImageOf(*data, State == 0 ? TextureIndex : HotTextureIndex);
    if (overlayTexture && overlayTexture->MaskType > 0 && overlayTexture->DrawMode == fmDisTiled) {
        TRect r = R;
        TileMasked(ItemBmp, r, Shifted(CI, pP), *overlayTexture, fmDisTiled);
    }
}

void PaintItemBG(int SkinIndex, const TCacheInfo& CI, int State, const TRect& R, const TPoint& pP, TBitmap* ItemBmp,
                 TComponent* SkinManager, int TextureIndex, int HotTextureIndex, TColor CustomColor)
{
    if (TacObject* data = ManagerSkinData(SkinManager))
        PaintItemBG(SkinIndex, CI, State, R, pP, ItemBmp, data, TextureIndex, HotTextureIndex, CustomColor);
}

void PaintItemBG(TsCommonData* SkinData, const TCacheInfo& CI, int State, const TRect& R, const TPoint& pP,
                 TBitmap* ItemBmp, int, int)
{
    if (!SkinData) return;
    TacSkinData* data = SkinData->GetCommonSkinData();
    const TsGeneralData* section = SectionOf(data, SkinData->SkinIndex);
    if (!section) return;
    TColor custom = sFuchsia;
    if (SkinData->CustomColor()) {
        TsSkinManager* manager = SkinData->GetSkinManager();
        if (auto* provider = dynamic_cast<TsSkinProvider*>(SkinData->FOwnerObject)) {
            if (provider->Form) custom = acColorToRGB(provider->Form->Color(), manager);
        } else if (SkinData->FOwnerControl) {
            custom = acColorToRGB(SkinData->FOwnerControl->Color(), manager);
        }
    }
    State = std::min(State, section->States - 1);
    PaintItemBG(SkinData->SkinIndex, CI, State, R, pP, ItemBmp, data, -1, -1, custom);
}

void PaintItemBGFast(int SkinIndex, int TextureIndex, int HotTextureIndex, const TCacheInfo& CI, int State,
                     const TRect& R, const TPoint& pP, TBitmap* ItemBmp, TacObject* SkinData)
{
    TacSkinData* data = nullptr;
    const TsGeneralData* section = SectionOf(SkinData, SkinIndex, &data);
    if (!section || !ItemBmp || R.IsEmpty()) return;
    Make32(ItemBmp);
    State = std::clamp(State, 0, 2);
    const TsGenState& st = section->Props[static_cast<size_t>(State)];

    const bool overlay = OverlayGradient(st);
    TLayers l;
    l.data = data;
    l.color = st.Color;
    l.ip = st.ImagePercent;
    l.gp = overlay ? 0 : st.GradientPercent;
    l.texture = State == 0 ? TextureIndex : HotTextureIndex;
    if (l.gp > 0) l.g = &st.GradientArray;
    const int t = std::clamp<int>(st.Transparency, 0, 100);
    const TColor shareFill = !CI.Ready && t == 100 ? CI.FillColor : l.color;

    const int w = WidthOf(R), h = HeightOf(R);
    if (CI.Ready && t == 100) {
        CopyParent(ItemBmp, R, CI, pP);
    } else if (!CI.Ready || t == 0) {
        PaintOpaqueFast(ItemBmp, R, l, CI, shareFill);
    } else {
        auto work = CreateBmp32(w, h);
        PaintOpaqueFast(work.get(), TRect(0, 0, w, h), l, CI, shareFill);
        CopyParent(ItemBmp, R, CI, pP);
        SumBmpRect(ItemBmp, work.get(), Share(t), TRect(0, 0, w, h), R.TopLeft());
    }
    if (overlay) PaintGrad(ItemBmp, R, st.GradientArray, 0, 0);
}

void PaintItemBGFast(int SkinIndex, int TextureIndex, int HotTextureIndex, const TCacheInfo& CI, int State,
                     const TRect& R, const TPoint& pP, TBitmap* ItemBmp, TComponent* SkinManager)
{
    if (TacObject* data = ManagerSkinData(SkinManager))
        PaintItemBGFast(SkinIndex, TextureIndex, HotTextureIndex, CI, State, R, pP, ItemBmp, data);
}
