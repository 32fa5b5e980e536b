#include "sGraphUtilsStretch.h"

void Stretch(TBitmap* src, TBitmap* dst, int newWidth, int newHeight, TFilterType)
{
    if (!src || !dst || src->Empty() || newWidth <= 0 || newHeight <= 0) return;
    dst->SetPixelFormat(pf32bit);
    dst->SetSize(newWidth, newHeight);
    HDC dstDC = dst->Canvas()->Handle();
    const int oldMode = SetStretchBltMode(dstDC, COLORONCOLOR);
    StretchBlt(dstDC, 0, 0, newWidth, newHeight, src->Canvas()->Handle(), 0, 0, src->Width(), src->Height(), SRCCOPY);
    SetStretchBltMode(dstDC, oldMode);
}
