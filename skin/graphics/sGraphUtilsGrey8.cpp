#include "sGraphUtilsGrey8.h"

#include <windows.h>

void MakeGreyBmp8(TBitmap& bmp, int width, int height)
{
    bmp.SetPixelFormat(pf8bit);
    struct {
        LOGPALETTE header;
        PALETTEENTRY more[255];
    } palette{};
    palette.header.palVersion = 0x300;
    palette.header.palNumEntries = 256;
    PALETTEENTRY* entries = palette.header.palPalEntry;
    for (int i = 0; i < 256; ++i) entries[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    bmp.SetPalette(CreatePalette(&palette.header));
    bmp.SetSize(width, height);
}
