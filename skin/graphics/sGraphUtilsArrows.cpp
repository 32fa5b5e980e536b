// Arrows drawn into 32-bit bitmaps (a solid triangle in every style for now).
#include "sGraphUtils.h"

#include "sAlphaGraph.h"

#include <algorithm>

void DrawArrow(TBitmap* Bmp, TColor Color, TColor, const TRect& R, TacSide Side, int, int AddX, int AddY, TacArrowsStyle,
               int PPI)
{
    if (!Bmp || R.Width() <= 0 || R.Height() <= 0) return;
    // Half the base of the triangle; its height is the same.
    const int half = std::max(1, std::min({MulDiv(4, PPI > 0 ? PPI : 96, 96), static_cast<int>(R.Width() / 2), static_cast<int>(R.Height() / 2)}));
    const int cx = R.Left + R.Width() / 2 + AddX;
    const int cy = R.Top + R.Height() / 2 + AddY;
    for (int step = 0; step < half; ++step) {
        const int tip = step - half / 2; // distance from the centre along the arrow's axis
        TRect line;
        switch (Side) {
        case asLeft: line = TRect(cx + tip, cy - step, cx + tip + 1, cy + step + 1); break;
        case asRight: line = TRect(cx - tip, cy - step, cx - tip + 1, cy + step + 1); break;
        case asTop: line = TRect(cx - step, cy + tip, cx + step + 1, cy + tip + 1); break;
        default: line = TRect(cx - step, cy - tip, cx + step + 1, cy - tip + 1); break;
        }
        FillRect32(Bmp, line, Color, 0xFF);
    }
}
