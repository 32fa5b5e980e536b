#include "Graphics.h"
#include "graphics_png.h"
#include "graphics_test_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

namespace {

// A 32-bit bitmap painted white.
void Clear(TBitmap& bitmap, TColor color = clWhite)
{
    bitmap.Canvas()->Brush()->SetColor(color);
    bitmap.Canvas()->FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
}

} // namespace

TEST(Canvas, ShapesAndTextInA32BitBitmap)
{
    TBitmap bmp(80, 48, pf32bit);
    TCanvas* c = bmp.Canvas();
    Clear(bmp);
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(2, 2, 10, 6));
    c->Pen()->SetColor(clBlue);
    c->Brush()->SetColor(clYellow);
    c->Rectangle(12, 2, 24, 12);
    c->Pen()->SetColor(clGreen);
    c->Brush()->SetColor(clLime);
    c->Ellipse(30, 2, 50, 22);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(Rect(52, 2, 60, 10));
    c->Pen()->SetColor(clNavy);
    c->MoveTo(62, 2);
    c->LineTo(62, 20);
    EXPECT_EQ(c->PenPos(), Point(62, 20));

    struct Probe {
        int x, y;
        TColor color;
        const char* what;
    };
    const TColor btnFace = ColorToRGB(clBtnFace);
    const Probe probes[] = {
        {2, 2, clRed, "fill top-left"},        {9, 5, clRed, "fill bottom-right (inclusive)"},
        {10, 5, clWhite, "fill right edge is exclusive"}, {9, 6, clWhite, "fill bottom edge is exclusive"},
        {12, 2, clBlue, "rectangle pen corner"}, {23, 11, clBlue, "rectangle far pen corner"},
        {18, 7, clYellow, "rectangle brush"},    {24, 12, clWhite, "outside rectangle"},
        {40, 12, clLime, "ellipse centre"},      {30, 2, clWhite, "ellipse bounding corner"},
        {31, 3, clWhite, "inside the box, outside the ellipse"}, {40, 2, clGreen, "ellipse top pen"},
        {55, 5, btnFace, "system colour brush"}, {62, 10, clNavy, "line"},
        {62, 20, clWhite, "line end point is not drawn"}, {79, 47, clWhite, "last pixel"},
    };
    for (const auto& p : probes) {
        EXPECT_EQ(ScanPixel(bmp, p.x, p.y), p.color) << p.what << " at " << p.x << "," << p.y;
        EXPECT_EQ(c->Pixels(p.x, p.y), p.color) << p.what << " (GetPixel)";
    }

    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(clBlack);
    c->Font()->SetSize(10);
    const TSize extent = c->TextExtent(L"Hg");
    ASSERT_GT(extent.cx, 0);
    ASSERT_GT(extent.cy, 0);
    c->TextOut(2, 24, L"Hg");
    EXPECT_EQ(c->PenPos(), Point(2 + extent.cx, 24));
    EXPECT_GT(CountInk(bmp, Bounds(2, 24, extent.cx, extent.cy), clWhite), 5);
    EXPECT_EQ(CountInk(bmp, Rect(2 + extent.cx + 1, 24, 30, 24 + extent.cy), clWhite), 0);
    EXPECT_EQ(CountInk(bmp, Rect(0, 24 + extent.cy, 30, 48), clWhite), 0);

    EXPECT_TRUE(SaveBitmapAsPng(bmp, L"graphics_tests_canvas.png"));
}

TEST(Canvas, ScanLinesAreBottomUp)
{
    TBitmap bmp(7, 5, pf32bit);
    const long long stride = BytesPerScanline(7, 32);
    EXPECT_EQ(stride, 28);
    EXPECT_EQ(bmp.ScanLineDelta(), -stride);
    auto* row0 = static_cast<std::uint8_t*>(bmp.ScanLine(0));
    auto* row1 = static_cast<std::uint8_t*>(bmp.ScanLine(1));
    auto* last = static_cast<std::uint8_t*>(bmp.ScanLine(4));
    EXPECT_EQ(row1 - row0, -stride);
    EXPECT_EQ(row0 - last, 4 * stride);
    DIBSECTION ds{};
    ASSERT_EQ(::GetObjectW(bmp.Handle(), sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
    EXPECT_EQ(ds.dsBm.bmBits, last) << "the last row starts the memory block";
    EXPECT_GT(ds.dsBmih.biHeight, 0);

    // Each row its own colour through the canvas; scan lines must see them in the same order.
    const TColor colors[] = {clRed, clLime, clBlue, clYellow, clAqua};
    for (int y = 0; y < 5; ++y) bmp.Canvas()->SetPixels(3, y, colors[y]);
    for (int y = 0; y < 5; ++y) EXPECT_EQ(ScanPixel(bmp, 3, y), colors[y]) << "row " << y;
    // And the other way round.
    SetScanPixel(bmp, 6, 0, clFuchsia);
    EXPECT_EQ(bmp.Canvas()->Pixels(6, 0), clFuchsia);

    EXPECT_THROW(bmp.ScanLine(5), EInvalidGraphic);
    EXPECT_THROW(bmp.ScanLine(-1), EInvalidGraphic);
    TBitmap wide(1000, 1, pf24bit);
    EXPECT_EQ(wide.ScanLineDelta(), -3000);
    TBitmap odd(3, 2, pf24bit);
    EXPECT_EQ(odd.ScanLineDelta(), -12);  // rows padded to 32 bits
}

TEST(Canvas, TextRectClipsAndFormats)
{
    TBitmap bmp(120, 40, pf32bit);
    TCanvas* c = bmp.Canvas();
    Clear(bmp);
    c->Font()->SetColor(clBlack);

    // Clipped at the rectangle; a solid brush fills it.
    c->Brush()->SetColor(clYellow);
    c->TextRect(Rect(0, 0, 20, 16), 0, 0, L"WWWWWWWWWW");
    EXPECT_EQ(ScanPixel(bmp, 19, 15), clYellow);
    EXPECT_EQ(CountInk(bmp, Rect(20, 0, 120, 16), clWhite), 0);
    EXPECT_GT(CountInk(bmp, Rect(0, 0, 20, 16), clYellow), 0);

    // Measuring only.
    TRect measured = Rect(0, 0, 0, 0);
    c->TextRect(measured, L"Hello", TTextFormat{tfCalcRect, tfSingleLine});
    EXPECT_EQ(measured.Width(), c->TextWidth(L"Hello"));
    EXPECT_EQ(measured.Height(), c->TextHeight(L"Hello"));
    EXPECT_EQ(CountInk(bmp, Rect(0, 16, 120, 40), clWhite), 0) << "tfCalcRect draws nothing";

    // Centred in a box: ink margins on both sides about equal.
    c->Brush()->SetStyle(bsClear);
    TRect box = Rect(20, 16, 120, 40);
    c->TextRect(box, L"I", TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
    int left = -1, right = -1;
    for (int x = 20; x < 120; ++x)
        if (CountInk(bmp, Rect(x, 16, x + 1, 40), clWhite) > 0) {
            if (left < 0) left = x;
            right = x;
        }
    ASSERT_GE(left, 0);
    EXPECT_LE(std::abs((left - 20) - (119 - right)), 2);

    // The shortened text comes back with tfModifyString.
    UnicodeString text = L"A long caption that does not fit";
    TRect narrow = Rect(0, 0, 40, 16);
    c->TextRect(narrow, text, TTextFormat{tfEndEllipsis, tfModifyString, tfSingleLine});
    EXPECT_LT(text.size(), 32u);
    EXPECT_EQ(text.substr(text.size() - 3), L"...");
}

TEST(Canvas, ForeignDcGetsItsObjectsBack)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, 16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = ::SelectObject(dc, dib);
    const HGDIOBJ originalFont = ::GetCurrentObject(dc, OBJ_FONT);
    const HGDIOBJ originalPen = ::GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ originalBrush = ::GetCurrentObject(dc, OBJ_BRUSH);
    {
        TCanvas canvas;
        EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidGraphicOperation);
        canvas.SetHandle(dc);
        canvas.Brush()->SetColor(clRed);
        canvas.FillRect(Rect(0, 0, 16, 16));
        canvas.Pen()->SetColor(clBlue);
        canvas.Rectangle(0, 0, 4, 4);
        canvas.TextOut(0, 0, L"x");
        EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), canvas.Font()->Handle());
        EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), canvas.Brush()->Handle());

        // Changing a selected object: the DC gets its original back, the old handle is deleted.
        HFONT selectedFont = canvas.Font()->Handle();
        canvas.Font()->SetSize(14);
        EXPECT_EQ(::GetObjectType(selectedFont), 0u);
        EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), originalFont);
        HBRUSH selectedBrush = canvas.Brush()->Handle();
        canvas.Brush()->SetColor(clLime);
        EXPECT_EQ(::GetObjectType(selectedBrush), 0u);
        canvas.FillRect(Rect(8, 8, 16, 16));
        EXPECT_EQ(::GetPixel(dc, 12, 12), static_cast<COLORREF>(clLime));
        EXPECT_EQ(::GetPixel(dc, 6, 6), static_cast<COLORREF>(clRed));
        canvas.SetHandle(nullptr);
        EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), originalPen);
        canvas.SetHandle(dc);
        canvas.TextOut(0, 0, L"y");
    }
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), originalFont);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), originalPen);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), originalBrush);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(dib);
    ::DeleteDC(dc);
}

TEST(Canvas, PenStylesAndModes)
{
    TBitmap bmp(40, 10, pf32bit);
    TCanvas* c = bmp.Canvas();
    const TColor base = 0x406080;
    Clear(bmp, base);

    // XOR twice restores the picture.
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(clWhite);
    c->MoveTo(0, 1);
    c->LineTo(40, 1);
    EXPECT_EQ(ScanPixel(bmp, 5, 1), base ^ 0xFFFFFF);
    c->MoveTo(0, 1);
    c->LineTo(40, 1);
    EXPECT_EQ(ScanPixel(bmp, 5, 1), base);

    // Dotted: both ink and gaps along the line.
    c->Pen()->SetMode(pmCopy);
    c->Pen()->SetStyle(psDot);
    c->Pen()->SetColor(clBlack);
    c->MoveTo(0, 5);
    c->LineTo(40, 5);
    const int ink = CountInk(bmp, Rect(0, 5, 40, 6), base);
    EXPECT_GT(ink, 5);
    EXPECT_LT(ink, 35);

    // A focus rectangle drawn twice is gone again.
    c->Pen()->SetStyle(psSolid);
    c->DrawFocusRect(Rect(2, 2, 20, 9));
    EXPECT_GT(CountInk(bmp, Rect(0, 2, 40, 5), base), 0);
    c->DrawFocusRect(Rect(2, 2, 20, 9));
    EXPECT_EQ(CountInk(bmp, Rect(0, 2, 40, 5), base), 0);
}

TEST(Canvas, CopyDrawAndTransparentDraw)
{
    TBitmap src(2, 2, pf32bit);
    src.Canvas()->SetPixels(0, 0, clRed);
    src.Canvas()->SetPixels(1, 0, clLime);
    src.Canvas()->SetPixels(0, 1, clFuchsia);  // bottom-left: the automatic transparent colour
    src.Canvas()->SetPixels(1, 1, clBlue);

    TBitmap dst(12, 12, pf32bit);
    Clear(dst, clGreen);
    dst.Canvas()->CopyRect(Rect(0, 0, 4, 4), src.Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(ScanPixel(dst, 1, 1), clRed);
    EXPECT_EQ(ScanPixel(dst, 2, 1), clLime);
    EXPECT_EQ(ScanPixel(dst, 3, 3), clBlue);
    EXPECT_EQ(ScanPixel(dst, 4, 4), clGreen);

    dst.Canvas()->Draw(6, 0, &src);
    EXPECT_EQ(ScanPixel(dst, 6, 0), clRed);
    EXPECT_EQ(ScanPixel(dst, 6, 1), clFuchsia);
    EXPECT_EQ(ScanPixel(dst, 8, 0), clGreen);

    EXPECT_EQ(src.TransparentColor(), clFuchsia);
    src.SetTransparent(true);
    dst.Canvas()->StretchDraw(Rect(6, 6, 10, 10), &src);
    EXPECT_EQ(ScanPixel(dst, 6, 6), clRed);
    EXPECT_EQ(ScanPixel(dst, 7, 8), clGreen) << "transparent colour left out";
    EXPECT_EQ(ScanPixel(dst, 9, 9), clBlue);

    src.SetTransparentColor(clRed);
    EXPECT_EQ(src.TransparentMode(), tmFixed);
    dst.Canvas()->Draw(0, 8, &src);
    EXPECT_EQ(ScanPixel(dst, 0, 8), clGreen);
    EXPECT_EQ(ScanPixel(dst, 0, 9), clFuchsia);
    src.SetTransparentMode(tmAuto);
    EXPECT_EQ(src.TransparentColor(), clFuchsia);
}

TEST(Canvas, ChangeEventsAndLocking)
{
    TBitmap bmp(4, 4, pf32bit);
    int bitmapChanges = 0;
    bmp.OnChange = [&](TObject*) { ++bitmapChanges; };
    bmp.Canvas()->FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(bitmapChanges, 1) << "drawing on the canvas changes the bitmap";
    bmp.Canvas()->OnChange = nullptr;  // cache bitmaps detach this for speed
    bmp.Canvas()->FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(bitmapChanges, 1);

    TCanvas* c = bmp.Canvas();
    c->Lock();
    c->Lock();
    EXPECT_EQ(c->LockCount(), 2);
    std::atomic<bool> otherGotIt{true};
    std::thread([&] { otherGotIt = c->TryLock(); }).join();
    EXPECT_FALSE(otherGotIt.load());
    c->Unlock();
    c->Unlock();
    EXPECT_EQ(c->LockCount(), 0);
    std::thread([&] {
        otherGotIt = c->TryLock();
        if (otherGotIt) c->Unlock();
    }).join();
    EXPECT_TRUE(otherGotIt.load());
}

TEST(Canvas, DcScopeDetachesAndUnlocksWhenThePassFails)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ originalBrush = ::GetCurrentObject(dc, OBJ_BRUSH);
    TCanvas canvas;
    const auto failingPass = [&] {
        const TCanvasDCScope scope(canvas, dc);
        EXPECT_EQ(canvas.LockCount(), 1);
        EXPECT_EQ(canvas.Handle(), dc);
        canvas.Brush()->SetColor(clRed);
        canvas.FillRect(Rect(0, 0, 1, 1)); // selects the canvas's brush into dc
        EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), canvas.Brush()->Handle());
        throw EInvalidGraphicOperation(L"paint failed");
    };
    EXPECT_THROW(failingPass(), EInvalidGraphicOperation);
    EXPECT_EQ(canvas.LockCount(), 0);
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), originalBrush);
    std::atomic<bool> otherGotIt{false};
    std::thread([&] {
        otherGotIt = canvas.TryLock();
        if (otherGotIt) canvas.Unlock();
    }).join();
    EXPECT_TRUE(otherGotIt.load());
    ::DeleteDC(dc);
}
