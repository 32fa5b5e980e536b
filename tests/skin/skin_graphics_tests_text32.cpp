// Text in 32-bit bitmaps: the coverage merge for opaque and alpha targets against the formulas,
// clipped to the bitmap; captions in a section's font and contour colours; the four-band frame.
#include "skin_graphics_test_png.h"
#include "skin_graphics_test_skin_image.h"

#include "SysUtils.h"
#include "sAlphaGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

constexpr UINT kFlags = DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX;
constexpr TColor kInk = 0x3010C0; // red 0xC0, green 0x10, blue 0x30

// A patterned target with alpha 0x30; anti-aliased edges (where the prefix smooths fonts) take
// the partial-coverage formula.
std::unique_ptr<TBitmap> Target(int w, int h)
{
    auto bmp = CreateBmp32(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetPx(*bmp, x, y, Argb(0x30, 200 - 3 * x, 120 + 4 * y, 90));
    TFont* font = bmp->Canvas()->Font();
    font->SetName(L"Tahoma");
    font->SetHeight(-15);
    font->SetQuality(fqAntialiased);
    return bmp;
}

// What the text looks like black on white in a work bitmap of R's size with the target's font.
std::unique_ptr<TBitmap> Coverage(TBitmap& target, const TRect& r, const wchar_t* text)
{
    auto work = CreateBmp32(r.Width(), r.Height());
    work->Canvas()->Font()->Assign(target.Canvas()->Font());
    work->Canvas()->Brush()->SetColor(clWhite);
    work->Canvas()->FillRect(TRect(0, 0, r.Width(), r.Height()));
    HDC dc = work->Canvas()->Handle();
    SelectObject(dc, work->Canvas()->Font()->Handle());
    SetTextColor(dc, 0);
    SetBkMode(dc, TRANSPARENT);
    RECT rc{0, 0, r.Width(), r.Height()};
    DrawTextW(dc, text, -1, &rc, kFlags);
    GdiFlush();
    return work;
}

// The merge of one pixel.
Word Merged(Word d, Word w, bool alphaMode)
{
    const int k[3] = {0xC0, 0x10, 0x30};
    const int dc[3] = {ByteR(d), ByteG(d), ByteB(d)};
    const int wc[3] = {ByteR(w), ByteG(w), ByteB(w)};
    if ((w & 0xFFFFFF) == 0xFFFFFF) return d;
    int out[3];
    int a = ByteA(d);
    if (!alphaMode) {
        for (int i = 0; i < 3; ++i) out[i] = (((dc[i] - k[i]) * wc[i] + k[i] * 256) >> 8) & 0xFF;
        a = 255;
    } else if ((w & 0xFFFFFF) == 0) {
        a = std::max(a, 254);
        for (int i = 0; i < 3; ++i) out[i] = ((((dc[i] - k[i]) + k[i] * 256) * a) >> 16) & 0xFF;
    } else {
        const int v = static_cast<int>(Round(0.299L * wc[0] + 0.587L * wc[1] + 0.114L * wc[2]));
        a = std::max(a, 255 - v);
        for (int i = 0; i < 3; ++i) out[i] = ((((dc[i] - k[i]) * v + k[i] * 256) * a) >> 16) & 0xFF;
    }
    return Argb(a, out[0], out[1], out[2]);
}

} // namespace

TEST(SkinText32, WriteColorMergesByCoverageInsideRForOpaqueAndAlphaTargets)
{
    const wchar_t* text = L"Wg&8";
    auto sheet = Bmp32(60, 3 * 26, Argb(255, 255, 255, 255));
    int row = 0;
    // R inside the bitmap, and R reaching past its left and top.
    for (const TRect r : {TRect(6, 3, 50, 21), TRect(-5, -4, 30, 14)})
        for (const bool alphaMode : {false, true}) {
            auto bmp = Target(56, 24);
            auto before = Target(56, 24);
            WriteColor(bmp.get(), text, alphaMode, r, kFlags, kInk);
            auto work = Coverage(*before, r, text);
            int ink = 0, wrong = 0;
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 56; ++x) {
                    Word want = Px(*before, x, y);
                    if (r.Contains(TPoint(x, y))) {
                        const Word w = Px(*work, x - r.Left, y - r.Top);
                        want = Merged(want, w, alphaMode);
                        if ((w & 0xFFFFFF) != 0xFFFFFF) ++ink;
                    }
                    if (Px(*bmp, x, y) != want && ++wrong < 4)
                        ADD_FAILURE() << (alphaMode ? "alpha" : "opaque") << " at " << x << "," << y << ": " << std::hex
                                      << Px(*bmp, x, y) << " instead of " << want;
                }
            EXPECT_EQ(wrong, 0);
            EXPECT_GT(ink, 20) << "the text was drawn";
            if (row < 3) {
                GdiFlush();
                BitBlt(sheet->Canvas()->Handle(), 2, row * 26 + 1, 56, 24, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
            }
            ++row;
        }
    EXPECT_TRUE(SaveEnlargedPng(*sheet, L"skin_text32_writecolor.png", 4));
}

TEST(SkinText32, WriteText32DrawsTheSetContourColoursBeforeTheText)
{
    TsSkinManager manager{nullptr};
    manager.SkinDataArray.push_back(std::make_unique<TacSkinData>(&manager, 96));
    TacSkinData* data = manager.SkinDataArray[0].get();
    data->gd.resize(1);
    TsFontColor& fc = data->gd[0].Props[1].FontColor;
    fc = {kInk, 0x00C000, static_cast<TColor>(-1), 0xC00000, static_cast<TColor>(-1)};
    manager.SkinCommonInfo.Active = true;
    const TRect r(4, 3, 50, 21);
    const UnicodeString text = L"Ab";

    auto bmp = Target(56, 24);
    WriteText32(bmp.get(), text, true, r, kFlags, 0, 1, &manager);
    auto want = Target(56, 24);
    WriteColor(want.get(), text, true, TRect(3, 3, 49, 21), kFlags, 0x00C000);
    WriteColor(want.get(), text, true, TRect(5, 3, 51, 21), kFlags, 0xC00000);
    WriteColor(want.get(), text, true, r, kFlags, kInk);
    int wrong = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 56; ++x) wrong += Px(*bmp, x, y) != Px(*want, x, y);
    EXPECT_EQ(wrong, 0) << "left and right contours, then the text";

    // Opaque target: no contours. Unknown section or no manager: the canvas font's colour.
    auto opaque = Target(56, 24), plain = Target(56, 24);
    WriteText32(opaque.get(), text, false, r, kFlags, 0, 1, &manager);
    WriteColor(plain.get(), text, false, r, kFlags, kInk);
    wrong = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 56; ++x) wrong += Px(*opaque, x, y) != Px(*plain, x, y);
    EXPECT_EQ(wrong, 0);
    auto unknown = Target(56, 24), fontColour = Target(56, 24);
    unknown->Canvas()->Font()->SetColor(0x808000);
    fontColour->Canvas()->Font()->SetColor(0x808000);
    WriteText32(unknown.get(), text, true, r, kFlags, 3, 1, &manager);
    WriteColor(fontColour.get(), text, true, r, kFlags, 0x808000);
    wrong = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 56; ++x) wrong += Px(*unknown, x, y) != Px(*fontColour, x, y);
    EXPECT_EQ(wrong, 0);
    manager.SkinCommonInfo.Active = false;
}

TEST(SkinText32, FillDCBorder32FillsFourOpaqueBands)
{
    auto bmp = Bmp32(12, 10, Argb(0, 1, 2, 3));
    FillDCBorder32(bmp.get(), TRect(1, 1, 11, 9), 1, 2, 3, 1, 0x0000FF);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inR = x >= 1 && x < 11 && y >= 1 && y < 9;
            const bool band = inR && (y < 3 || x < 2 || x >= 8 || y >= 8);
            EXPECT_EQ(Px(*bmp, x, y), band ? Argb(255, 255, 0, 0) : Argb(0, 1, 2, 3)) << x << "," << y;
        }
}
