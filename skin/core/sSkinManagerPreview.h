#pragma once
// The preview picture a packed skin file may carry: the marker "previewimg", a 32-bit
// little-endian length and that many bytes of an image file (PNG, or a BMP).
#include "Graphics.h"
#include "Streams.h"
#include "Strings.h"

// Copies the preview image of the file into Dest (rewound); false when the file does not exist
// or holds no complete preview.
bool GetPreviewStream(TMemoryStream& Dest, const UnicodeString& FileName);
// The same over a skin file in memory; Dest is untouched when the result is false.
bool GetPreviewStream(TMemoryStream& Dest, TMemoryStream& Src);
// Empties Bitmap and loads the file's preview into it; whether a preview was found.
bool GetPreviewImage(TBitmap& Bitmap, const UnicodeString& FileName);
