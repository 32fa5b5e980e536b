#include "sGradient.h"

#include "sConst.h"
#include "sGraphUtils.h"

std::unique_ptr<TBitmap> MakeShadow(TColor color, int radius, int top, int extraHeight, int extraWidth, int,
                                    bool asMask, bool)
{
    auto bmp = CreateBmp32(2 * radius + extraWidth + 1, 2 * radius + extraHeight + top + 1);
    TacBmpRows rows(bmp.get());
    if (!rows.Valid()) return bmp;
    TsColor_ fill;
    if (asMask) {
        fill.I = -1; // white, alpha 255
    } else {
        TsColor c;
        c.C = color;
        fill.R = c.R;
        fill.G = c.G;
        fill.B = c.B;
        fill.A = 0;
    }
    for (int y = 0; y < rows.Height(); ++y)
        for (TsColor_& p : rows.Row(y)) p = fill;
    return bmp;
}
