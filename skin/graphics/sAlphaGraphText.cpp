// Text in 32-bit bitmaps. For now the text is drawn plainly; the alpha-keeping writer comes with
// the glyph and item routines.
#include "sAlphaGraph.h"

void WriteColor(TBitmap* Bmp, const UnicodeString& Text, bool, TRect R, UINT Flags, TColor Color, bool)
{
    if (!Bmp || Bmp->Empty() || Text.empty()) return;
    TCanvas* canvas = Bmp->Canvas();
    canvas->Font()->SetColor(Color);
    canvas->Brush()->SetStyle(bsClear);
    RECT r = R;
    DrawTextW(canvas->Handle(), Text.c_str(), static_cast<int>(Text.size()), &r, Flags);
}
