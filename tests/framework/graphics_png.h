#pragma once
// Test support: writes a bitmap as a PNG file (through GDI+) so a person can look at what a test
// drew. Header-only so that every test executable can include it without build changes.
#include "Graphics.h"

#include <objidl.h>
#include <gdiplus.h>

// True when the file was written. withAlpha keeps the fourth byte of 32-bit pixels as alpha;
// otherwise the image is opaque (GDI drawing leaves that byte 0).
inline bool SaveBitmapAsPng(TBitmap& bitmap, const UnicodeString& path, bool withAlpha = false)
{
    if (bitmap.Empty()) return false;
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(pf32bit);

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool saved = false;
    {
        // Rows are bottom-up: start at the top row and step by the negative stride.
        Gdiplus::GpBitmap* image = nullptr;
        auto* top = static_cast<BYTE*>(copy.ScanLine(0));
        if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(
                copy.Width(), copy.Height(), static_cast<INT>(copy.ScanLineDelta()),
                withAlpha ? PixelFormat32bppARGB : PixelFormat32bppRGB, top, &image) == Gdiplus::Ok) {
            static const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
            saved = Gdiplus::DllExports::GdipSaveImageToFile(image, path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
            Gdiplus::DllExports::GdipDisposeImage(image);
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}
