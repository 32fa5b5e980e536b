// Skin glyphs: one state of a small skin image drawn at a point (normal or faded), a glyph piece
// composed through its mask or its own alpha, and a colour painted through an 8-bit grey mask.
#include "sAlphaGraph.h"

#include "acntUtils.h"
#include "sAlphaGraphPieces.h"
#include "sGraphUtilsMix.h"

#include <algorithm>

using namespace alphagraph_detail;
using namespace graphutils_detail;

namespace {

// ((d - s) * k + s * 256) shr 8 for the colour bytes of d.
void MixByWeights(TsColor_& d, const TsColor_& s, int kr, int kg, int kb)
{
    d.R = Mix(d.R, s.R, kr);
    d.G = Mix(d.G, s.G, kg);
    d.B = Mix(d.B, s.B, kb);
}

int Faded(int k, int mode) { return mode == 1 ? k : std::min(k + 100, 255); }

} // namespace

void BlendGlyphByMask(TRect DstRect, TRect SrcRect, TBitmap* DstBmp, TBitmap* SrcBmp, int Mode,
                      const TsMaskData& MaskData)
{
    if (!DstBmp || DstBmp->PixelFormat() != pf32bit) return;
    if (MaskData.MaskType == 0 && (MaskData.DrawMode & 0x10) == 0) {
        CopyTransRectA(DstBmp, SrcBmp, DstRect.Left, DstRect.Top, SrcRect, clFuchsia, EmptyCI, Mode == 1 ? 0 : 180);
        return;
    }
    TacBmpRows d(DstBmp), s(SrcBmp);
    if (!d.Valid() || !s.Valid()) return;
    const bool masked = MaskData.MaskType != 0;
    const int offset = masked ? HeightOf(MaskData.R) / (MaskData.MaskType + 1) : 0;
    // The rectangles are inclusive; the piece is cut to both bitmaps (the mask rows included), also
    // where a rectangle starts left of or above its bitmap.
    const TRect dst(DstRect.Left, DstRect.Top, DstRect.Left + std::min(WidthOf(SrcRect), WidthOf(DstRect)) + 1,
                    DstRect.Top + std::min(HeightOf(SrcRect), HeightOf(DstRect)) + 1);
    const TRect src(SrcRect.Left, SrcRect.Top, SrcRect.Right + 1, SrcRect.Bottom + 1);
    TPiece p;
    if (!CutPiece(dst, src, d.Width(), d.Height(), s.Width(), s.Height() - offset, p)) return;
    for (int y = 0; y < p.rows; ++y)
        for (int x = 0; x < p.cols; ++x) {
            const TsColor_ sp = s.At(p.srcLeft + x, p.srcTop + y);
            TsColor_& dp = d.At(p.dstLeft + x, p.dstTop + y);
            if (masked) {
                const TsColor_ mp = s.At(p.srcLeft + x, p.srcTop + y + offset);
                if (sp.I != KeyPixel && mp.R < 255)
                    MixByWeights(dp, sp, Faded(mp.R, Mode), Faded(mp.G, Mode), Faded(mp.B, Mode));
                dp.A = static_cast<std::uint8_t>(dp.A + (((255 - dp.A) * (255 - mp.R)) >> 8));
            } else {
                const int k = Faded(255 - sp.A, Mode);
                MixByWeights(dp, sp, k, k, k);
                dp.A = static_cast<std::uint8_t>(dp.A + (((255 - dp.A) * sp.A) >> 8));
            }
        }
}

void DrawSkinGlyph(TBitmap* Bmp, TPoint P, int State, int Mode, const TsMaskData& MaskData, const TCacheInfo& CI)
{
    if (!Bmp || MaskData.Width <= 0 || MaskData.Height <= 0) return;
    const int index = std::max(0, std::min(State, MaskData.ImageCount - 1));
    const int dx = P.X < 0 ? -P.X : 0, dy = P.Y < 0 ? -P.Y : 0;
    const int left = MaskData.R.Left + index * MaskData.Width;
    // The piece keeps to its state: columns and rows clipped at the left or top are left out,
    // not replaced by the neighbouring state's.
    const TRect src(left + dx, MaskData.R.Top + dy, left + MaskData.Width - 1, MaskData.R.Top + MaskData.Height - 1);
    if (src.Right < src.Left || src.Bottom < src.Top) return;
    const TPoint at(P.X + dx, P.Y + dy);
    const TRect dst(at.X, at.Y, at.X + WidthOf(src), at.Y + HeightOf(src));
    if (MaskData.Bmp) {
        // The image's coordinates refer to its own bitmap: nothing when that does not reach them.
        if (MaskData.Bmp->Width() >= MaskData.R.Right && MaskData.Bmp->Height() >= MaskData.R.Bottom)
            BlendGlyphByMask(dst, src, Bmp, MaskData.Bmp, Mode, MaskData);
        return;
    }
    auto* manager = dynamic_cast<TsSkinManager*>(MaskData.Manager);
    if (!manager || !manager->MasterBitmap || MaskData.ImageCount <= 0) return;
    TBitmap* master = manager->MasterBitmap.get();
    if (MaskData.MaskType != 0) {
        BlendGlyphByMask(dst, src, Bmp, master, Mode, MaskData);
    } else if ((MaskData.DrawMode & 0x10) == 0) {
        if (Mode == 1) CopyTransRect(Bmp, master, at.X, at.Y, src, clFuchsia, CI, true);
        else BlendTransRectangle(Bmp, at.X, at.Y, master, src, 127, clFuchsia);
    } else {
        PaintBmpRect32(Bmp, master, src, at, Mode == 1 ? 255 : 127);
    }
}

void BlendColorByMask(TBitmap* Bmp, TBitmap* Mask, TPoint P, const TRect&, TsColor Color)
{
    // The mask is clipped to the bitmap here rather than trusted to lie inside it.
    TacBmpRows d(Bmp);
    if (!d.Valid() || !Mask || Mask->Empty() || Mask->PixelFormat() != pf8bit) return;
    for (int y = 0; y < Mask->Height(); ++y) {
        const int dy = P.Y + y;
        if (dy < 0 || dy >= d.Height()) continue;
        const auto* row = static_cast<const std::uint8_t*>(Mask->ScanLine(y));
        for (int x = 0; x < Mask->Width(); ++x) {
            const int dx = P.X + x, m = row[x];
            if (m >= 255 || dx < 0 || dx >= d.Width()) continue;
            const int w = 255 - m;
            TsColor_& dp = d.At(dx, dy);
            dp.R = static_cast<std::uint8_t>((Color.R * w + dp.R * m) >> 8);
            dp.G = static_cast<std::uint8_t>((Color.G * w + dp.G * m) >> 8);
            dp.B = static_cast<std::uint8_t>((Color.B * w + dp.B * m) >> 8);
            dp.A = std::max(dp.A, static_cast<std::uint8_t>((w * Color.A) >> 8));
        }
    }
}
