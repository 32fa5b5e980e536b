#pragma once
// 8-bit work bitmaps whose bytes are grey levels (text masks, alpha channels being scaled).
#include "Graphics.h"

// Makes bmp a width x height pf8bit bitmap with a grey palette (entry i is grey i), so that GDI
// drawing and copies between such bitmaps keep every byte as its grey level.
void MakeGreyBmp8(TBitmap& bmp, int width, int height);
