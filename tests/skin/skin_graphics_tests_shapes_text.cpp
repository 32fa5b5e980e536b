// Font and string measuring, the small standard shapes, and PNG files loaded into 32-bit bitmaps.
#include "skin_graphics_test_pixels.h"

#include "../framework/graphics_png.h"
#include "Streams.h"
#include "Themes.h"
#include "skin_images_png_writer.h"
#include "sGraphUtilsPng.h"
#include "sGraphUtilsShapes.h"
#include "sGraphUtilsText.h"

#include <gtest/gtest.h>

TEST(SkinFonts, HeightsSizesAndEquality)
{
    TFont font;
    font.SetName(L"Tahoma");
    font.SetSize(10);
    TEXTMETRICW tm{};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.Handle());
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(GetFontHeight(font.Handle(), true), tm.tmHeight - tm.tmInternalLeading - tm.tmExternalLeading);
    EXPECT_EQ(GetFontHeight(font.Handle(), false), tm.tmHeight + 6);

    EXPECT_TRUE(FontSizeIsNear(&font, L"Sample text", L"Tahoma"));

    TSize plain, spaced, i;
    GetStringSize(font.Handle(), L"Sample", 0, plain);
    GetStringSize(font.Handle(), L"Sample", 0, spaced, true);
    GetStringSize(font.Handle(), L"I", 0, i);
    EXPECT_GT(plain.cx, 0);
    EXPECT_EQ(spaced.cx, plain.cx + i.cx);
    EXPECT_EQ(spaced.cy, plain.cy);
    TSize lines;
    GetStringSize(font.Handle(), L"one\ntwo", DT_LEFT, lines, false, 200, true);
    EXPECT_EQ(lines.cy, 2 * plain.cy);

    TFont other;
    other.Assign(&font);
    EXPECT_TRUE(FontsEqual(&font, &other));
    other.SetName(L"tahoma"); // the name compares exactly
    EXPECT_FALSE(FontsEqual(&font, &other));
    other.Assign(&font);
    other.SetStyle(TFontStyles() << fsBold);
    EXPECT_FALSE(FontsEqual(&font, &other));
}

TEST(SkinShapes, FocusRectAlternatesAndSkipsClNone)
{
    auto bmp = Bmp32(6, 4, 0);
    FocusRect(bmp->Canvas(), TRect(0, 0, 6, 4), clRed, clNone);
    GdiFlush();
    // top edge: x = 2i gets colour 2 (not drawn), x = 2i - 1 colour 1
    EXPECT_EQ(Px(*bmp, 1, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Px(*bmp, 3, 3) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Px(*bmp, 2, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(Px(*bmp, 0, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Px(*bmp, 5, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Px(*bmp, 2, 2) & 0xFFFFFF, 0u); // inside untouched
}

TEST(SkinShapes, DrawRectangleOnDCDrawsNestedFramesAndZeroesWidth)
{
    auto bmp = Bmp32(6, 6, 0);
    TRect r{0, 0, 6, 6};
    int width = 2;
    EXPECT_EQ(DrawRectangleOnDC(bmp->Canvas()->Handle(), r, clRed, width, clBlue), 0);
    GdiFlush();
    EXPECT_EQ(width, 0);
    struct Case {
        int x, y;
        Word rgb;
    };
    for (const Case c : {Case{0, 0, 0xFF0000}, {0, 4, 0xFF0000}, {0, 5, 0x0000FF}, {4, 0, 0xFF0000}, {5, 0, 0x0000FF}, {5, 5, 0x0000FF},
                         {1, 5, 0x0000FF}, {1, 1, 0xFF0000}, {4, 4, 0x0000FF}, {2, 2, 0}})
        EXPECT_EQ(Px(*bmp, c.x, c.y) & 0xFFFFFF, c.rgb) << c.x << "," << c.y;
    EXPECT_EQ(r, TRect(2, 2, 4, 4));
}

TEST(SkinShapes, StandardButtonStatesDrawTheirFrames)
{
    TStyleServices::OverrideEnabled(false);
    const auto gdi = [](Word c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); };
    auto strip = Bmp32(5 * 24, 16, 0x123456);
    for (int state = 0; state < 5; ++state) {
        SCOPED_TRACE(state);
        auto bmp = Bmp32(24, 16, 0x123456);
        acPaintStdBtn(bmp->Canvas(), TRect(0, 0, 24, 16), state != 4, state == 1, state == 4 ? 0 : state);
        GdiFlush();
        const Word frame = ColorToRGB(clWindowFrame), shadow = ColorToRGB(clBtnShadow);
        const Word corner = Px(*bmp, 0, 0) & 0xFFFFFF;
        EXPECT_NE(corner, 0x123456u); // the frame covers the whole rectangle
        if (state == 3) {
            EXPECT_EQ(corner, gdi(frame));
        }
        if (state == 2) {
            EXPECT_EQ(corner, gdi(shadow));
        }
        BitBlt(strip->Canvas()->Handle(), state * 24, 0, 24, 16, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
    TStyleServices::OverrideEnabled(std::nullopt);
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"MARLINDO_BUILD", dir, MAX_PATH);
    EXPECT_TRUE(SaveBitmapAsPng(*strip, (n ? UnicodeString(dir) + L"\\" : UnicodeString()) + L"skin_std_buttons.png"));
}

// The themed branch lays a button-face fill in a window-frame frame under the element.
TEST(SkinShapes, ThemedStandardButtonDrawsOverItsBackground)
{
    TStyleServices::OverrideEnabled(true);
    auto bmp = Bmp32(24, 16, 0x123456);
    acPaintStdBtn(bmp->Canvas(), TRect(0, 0, 24, 16), true, true, 0);
    GdiFlush();
    TStyleServices::OverrideEnabled(std::nullopt);
    int untouched = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) untouched += (Px(*bmp, x, y) & 0xFFFFFF) == 0x123456;
    EXPECT_EQ(untouched, 0);
}

TEST(SkinPngLoading, StreamAndFileGive32BitWithAlphaAndKeepTransparent)
{
    png_writer::Image img;
    img.width = 2;
    img.height = 1;
    img.samples = {255, 0, 0, 128, 0, 0, 255, 255};
    const png_writer::Bytes bytes = png_writer::Write(img);
    TMemoryStream stream;
    stream.Write(bytes.data(), static_cast<long long>(bytes.size()));
    stream.SetPosition(0);
    TBitmap bmp;
    bmp.SetTransparent(true);
    LoadBmpFromPngStream(&bmp, stream);
    ASSERT_EQ(bmp.PixelFormat(), pf32bit);
    EXPECT_TRUE(bmp.Transparent());
    EXPECT_EQ(Px(bmp, 0, 0), Argb(128, 255, 0, 0));
    EXPECT_EQ(Px(bmp, 1, 0), Argb(255, 0, 0, 255));

    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    const UnicodeString path = UnicodeString(dir) + L"skin_load_png.png";
    {
        TFileStream file(path, fmCreate);
        file.Write(bytes.data(), static_cast<long long>(bytes.size()));
    }
    TBitmap fromFile;
    LoadBmpFromPngFile(&fromFile, path);
    DeleteFileW(path.c_str());
    ASSERT_EQ(fromFile.PixelFormat(), pf32bit);
    EXPECT_FALSE(fromFile.Transparent());
    EXPECT_EQ(Px(fromFile, 0, 0), Argb(128, 255, 0, 0));
}
