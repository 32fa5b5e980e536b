// Skin glyphs drawn into 32-bit bitmaps (a plain copy of the frame's opaque pixels for now).
#include "sAlphaGraph.h"

#include "sGraphUtils.h"
#include "sSkinManager.h"

#include <algorithm>

void DrawSkinGlyph(TBitmap* Bmp, TPoint Pt, int State, int, const TsMaskData& MaskData, const TCacheInfo&)
{
    TBitmap* source = MaskData.Bmp;
    if (!source)
        if (auto* manager = dynamic_cast<TsSkinManager*>(MaskData.Manager)) source = manager->MasterBitmap.get();
    if (!Bmp || !source || MaskData.Width <= 0 || MaskData.Height <= 0) return;
    TacBmpRows dst(Bmp);
    TacBmpRows src(source);
    if (!dst.Valid() || !src.Valid()) return;
    const int frame = std::clamp(State, 0, std::max<int>(MaskData.ImageCount, 1) - 1);
    const int left = MaskData.R.Left + frame * MaskData.Width;
    for (int y = 0; y < MaskData.Height; ++y)
        for (int x = 0; x < MaskData.Width; ++x) {
            if (!src.Contains(left + x, MaskData.R.Top + y) || !dst.Contains(Pt.X + x, Pt.Y + y)) continue;
            const TsColor_ p = src.At(left + x, MaskData.R.Top + y);
            if ((p.I & 0xFFFFFF) == 0xFF00FF || p.A == 0) continue;
            dst.At(Pt.X + x, Pt.Y + y) = p;
        }
}
