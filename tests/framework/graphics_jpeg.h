#pragma once
// Test support: JPEG data made at test time by GDI+'s own encoder, and a picture whose colours
// survive the lossy coding: solid 16 x 16 blocks, aligned to the coder's largest block size.
// Header-only so that every test executable can include it without build changes.
#include "Graphics.h"
#include "graphics_test_util.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <vector>

#include <objidl.h>
#include <gdiplus.h>

// The bitmap as JPEG data; empty when GDI+ could not write it.
inline std::vector<std::uint8_t> JpegBytes(TBitmap& bitmap)
{
    std::vector<std::uint8_t> bytes;
    if (bitmap.Empty()) return bytes;
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(pf32bit);

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return bytes;
    IStream* stream = nullptr;
    Gdiplus::GpBitmap* image = nullptr;
    auto* top = static_cast<BYTE*>(copy.ScanLine(0));
    if (SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
        Gdiplus::DllExports::GdipCreateBitmapFromScan0(copy.Width(), copy.Height(),
                                                       static_cast<INT>(copy.ScanLineDelta()), PixelFormat32bppRGB,
                                                       top, &image) == Gdiplus::Ok) {
        static const CLSID kJpegEncoder = {0x557CF401, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
        STATSTG stat{};
        if (Gdiplus::DllExports::GdipSaveImageToStream(image, stream, &kJpegEncoder, nullptr) == Gdiplus::Ok &&
            SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
            SUCCEEDED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) {
            bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
            ULONG read = 0;
            if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) || read != bytes.size())
                bytes.clear();
        }
    }
    if (image) Gdiplus::DllExports::GdipDisposeImage(image);
    if (stream) stream->Release();
    Gdiplus::GdiplusShutdown(token);
    return bytes;
}

// A 32-bit bitmap of 16 x 16 blocks, colours given row by row (columns blocks per row).
inline std::unique_ptr<TBitmap> BlockPicture(int columns, std::initializer_list<TColor> colours)
{
    const int rows = static_cast<int>(colours.size()) / columns;
    auto bitmap = std::make_unique<TBitmap>(columns * 16, rows * 16, pf32bit);
    int i = 0;
    for (TColor colour : colours) {
        bitmap->Canvas()->Brush()->SetColor(colour);
        bitmap->Canvas()->FillRect(Bounds(i % columns * 16, i / columns * 16, 16, 16));
        ++i;
    }
    ::GdiFlush();
    return bitmap;
}

// True when every channel of actual is within tolerance of expected (JPEG coding is lossy).
inline bool NearColour(TColor actual, TColor expected, int tolerance = 8)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>(actual >> shift & 0xFF) - static_cast<int>(expected >> shift & 0xFF)) > tolerance)
            return false;
    return true;
}
