#include "sGraphUtilsPng.h"

#include "acPNG.h"

namespace {

// The reader's alpha flag goes to the target before the copy, which keeps Transparent.
void TakePng(TBitmap* bmp, TPNGGraphic& png)
{
    const bool transparent = bmp->Transparent();
    bmp->SetAlphaMeaningful(png.AlphaMeaningful());
    bmp->Assign(&png);
    bmp->SetTransparent(transparent);
    UpdateTransparency(bmp, &png);
    bmp->SetTransparent(transparent);
}

} // namespace

void LoadBmpFromPngFile(TBitmap* bmp, const UnicodeString& fileName)
{
    if (!bmp) return;
    TPNGGraphic png;
    png.LoadFromFile(fileName);
    TakePng(bmp, png);
}

void LoadBmpFromPngStream(TBitmap* bmp, TStream& stream)
{
    if (!bmp) return;
    TPNGGraphic png;
    png.LoadFromStream(stream);
    TakePng(bmp, png);
}
