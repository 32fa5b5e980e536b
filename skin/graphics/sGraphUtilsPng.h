#pragma once
// Loading a PNG into a 32-bit bitmap with its alpha.
#include "Graphics.h"
#include "Streams.h"
#include "Strings.h"

void LoadBmpFromPngFile(TBitmap* bmp, const UnicodeString& fileName);
void LoadBmpFromPngStream(TBitmap* bmp, TStream& stream);
