#include "sGraphUtilsFill.h"

#include "Colors.h"

// Opaque only, until the fills with alpha through GDI+ come.
void FillDC(HDC dc, const TRect& r, TColor color, int)
{
    if (!dc) return;
    HBRUSH brush = CreateSolidBrush(ColorToGdi(ColorToRGB(color)));
    const RECT rc = r;
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}
