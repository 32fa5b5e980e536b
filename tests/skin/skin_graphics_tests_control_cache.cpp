// A control's cache with the house skin loaded: its transparent corners restored from the
// parent's cache or background colour (BUTTON's key corners, EDIT's alpha corners), also through
// the cache copy, and its frame drawn fast from the border image with a band up to a border width.
#include "../framework/graphics_png.h"
#include "BuildFolder.h"
#include "ExtCtrls.h"
#include "acGPUtils.h"
#include "sAlphaGraph.h"
#include "sBorders.h"
#include "sCommonData.h"
#include "skin_core_test_skinload.h"
#include "skin_graphics_test_parent_child.h"
#include "skin_graphics_test_pixels.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr Word kFace = Argb(255, 0x11, 0x22, 0x33);
constexpr int kW = 60, kH = 30, kLeft = 20, kTop = 30;
Word ParentPx(int x, int y) { return Argb(255, x % 256, y, 0x77); }

class ControlCacheTest : public ParentChildSkinTest {
protected:
    void SetUp() override
    {
        SkinLoadTest::SetUp();
        MakeParentAndChild(&ParentPx, TRect(kLeft, kTop, kLeft + kW, kTop + kH));
    }
    void Use(const wchar_t* section)
    {
        data->SetSkinSection(section);
        ASSERT_GE(data->SkinIndex, 0) << section;
        data->FCacheBmp = Bmp32(kW, kH, kFace);
        InitCacheBmp(data); // held device-dependent, as painting leaves it
    }
    TsMaskData& BorderMask()
    {
        TacSkinData* skin = data->GetCommonSkinData();
        return skin->ma[static_cast<size_t>(skin->gd[static_cast<size_t>(data->SkinIndex)].BorderIndex)];
    }
    // The background a corner pixel takes: the parent's pixel under it, or the colour.
    Word Behind(int x, int y) const
    {
        if (!parent->FromCache) return static_cast<Word>(SwapRedBlue(parent->Colour));
        return ParentPx(3 + kLeft + x, 2 + kTop + y);
    }

};

// Inside the s x s square of the named corner of a kW x kH cache.
bool InCorner(TsCorner corner, int x, int y, int s)
{
    const bool left = x < s, top = y < s, right = x >= kW - s, bottom = y >= kH - s;
    switch (corner) {
    case scLeftTop: return left && top;
    case scLeftBottom: return left && bottom;
    case scRightTop: return right && top;
    case scRightBottom: return right && bottom;
    }
    return false;
}

} // namespace

TEST_F(ControlCacheTest, UpdateCornersRestoresTheChosenCornersFromTheParent)
{
    struct Case {
        const wchar_t* section;
        int square; // side of the transparent corner squares of the house images
        bool fromCache;
        TsCorners corners;
    } cases[] = {
        {L"BUTTON", house_skin::kCornerSize, true, AllCorners},
        {L"BUTTON", house_skin::kCornerSize, false, TsCorners{scLeftTop, scRightBottom}},
        {L"EDIT", house_skin::kEditFrame100.corner, true, TsCorners{scLeftBottom, scRightTop}},
        {L"EDIT", house_skin::kEditFrame100.corner, false, AllCorners},
    };
    for (const Case& c : cases) {
        Use(c.section);
        ASSERT_NE(BorderMask().Cfg & 1, 0u) << "the house border masks have transparent corners";
        parent->FromCache = c.fromCache;
        UpdateCorners(data, 1, c.corners);
        const std::string what = std::string(c.section == std::wstring(L"EDIT") ? "EDIT" : "BUTTON") +
                                 (c.fromCache ? " from the cache" : " from the colour");
        int wrong = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                bool restored = false;
                for (const TsCorner k : {scLeftTop, scLeftBottom, scRightTop, scRightBottom})
                    restored = restored || (c.corners.Contains(k) && InCorner(k, x, y, c.square));
                const Word want = restored ? Behind(x, y) : kFace;
                if (Px(*data->FCacheBmp, x, y) != want && ++wrong < 4)
                    ADD_FAILURE() << what << " at " << x << "," << y << ": " << std::hex << Px(*data->FCacheBmp, x, y)
                                  << " instead of " << want;
            }
        EXPECT_EQ(wrong, 0) << what;
    }

    // Nothing without an active manager or without the mask's corner bit.
    Use(L"BUTTON");
    parent->FromCache = true;
    manager->SkinCommonInfo.Active = false;
    UpdateCorners(data, 0, AllCorners);
    manager->SkinCommonInfo.Active = true;
    const std::uint32_t cfg = BorderMask().Cfg;
    BorderMask().Cfg = cfg & ~1u;
    UpdateCorners(data, 0, AllCorners);
    BorderMask().Cfg = cfg;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) ASSERT_EQ(Px(*data->FCacheBmp, x, y), kFace) << x << "," << y;
}

TEST_F(ControlCacheTest, TheCacheCopyRestoresCornersOnRequest)
{
    Use(L"BUTTON");
    TBitmap out(kW, kH, pf32bit);
    for (const bool corners : {false, true}) {
        data->FCacheBmp = Bmp32(kW, kH, kFace);
        CopyWinControlCache(child, data, TRect(0, 0, kW, kH), 0, 0, corners, out.Canvas()->Handle(),
                            TRect(0, 0, kW, kH));
        const Word corner = corners ? Behind(0, 0) : kFace;
        EXPECT_EQ(ScanPixel(out, 0, 0), static_cast<TColor>(SwapRedBlue(static_cast<std::int32_t>(corner & 0xFFFFFF))));
        EXPECT_EQ(ScanPixel(out, kW - 1, kH - 1) == ScanPixel(out, kW / 2, kH / 2), !corners);
    }
}

TEST_F(ControlCacheTest, PaintBorderFastDrawsIntoTheCacheAndTheBandOntoTheDC)
{
    Use(L"BUTTON");
    const TsMaskData& mask = BorderMask();
    const TColor bgColor = ColorToRGB(GetBGColor(data, 0));
    TBitmap out(kW, kH, pf32bit);
    const auto clearOut = [&] {
        out.Canvas()->Brush()->SetColor(clWhite);
        out.Canvas()->FillRect(TRect(0, 0, kW, kH));
    };
    const TRect r(0, 0, kW, kH);

    // BorderWidth 0: the cache only, the rectangle inside the skin border.
    clearOut();
    TRect inner = PaintBorderFast(out.Canvas()->Handle(), r, 0, data, 0);
    EXPECT_EQ(inner, TRect(mask.WL, mask.WT, kW - mask.WR, kH - mask.WB));
    EXPECT_NE(Px(*data->FCacheBmp, mask.WL / 2, kH / 2), kFace) << "the border is in the cache";
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) ASSERT_EQ(ScanPixel(out, x, y), static_cast<TColor>(0xFFFFFF)) << x << "," << y;

    // A border width beyond the skin border: the band filled with the background colour, the band
    // of that width copied onto the DC, the rectangle inside it.
    const int bw = mask.WL + 2;
    data->FCacheBmp = Bmp32(kW, kH, kFace);
    clearOut();
    inner = PaintBorderFast(out.Canvas()->Handle(), r, bw, data, 0);
    EXPECT_EQ(inner, TRect(bw, bw, kW - bw, kH - bw));
    EXPECT_EQ(ScanPixel(out, mask.WL + 1, kH / 2), bgColor) << "the band";
    EXPECT_EQ(ScanAlpha(*data->FCacheBmp, mask.WL + 1, kH / 2), 255);
    EXPECT_EQ(ScanPixel(out, 1, kH / 2), ScanPixel(*data->FCacheBmp, 1, kH / 2)) << "the skin border copied";
    EXPECT_EQ(ScanPixel(out, kW / 2, kH / 2), static_cast<TColor>(0xFFFFFF)) << "the inside is not copied";
    SaveBitmapAsPng(out, BuildFolderFile(L"skin_border_fast.png"));

    // Without a border image a frame of the border width is filled on the DC.
    TsGeneralData& section = manager->gd()[static_cast<size_t>(data->SkinIndex)];
    const int border = section.BorderIndex;
    section.BorderIndex = -1;
    clearOut();
    inner = PaintBorderFast(out.Canvas()->Handle(), r, 3, data, 0);
    section.BorderIndex = border;
    EXPECT_EQ(inner, TRect(3, 3, kW - 3, kH - 3));
    EXPECT_EQ(ScanPixel(out, 2, 10), bgColor);
    EXPECT_EQ(ScanPixel(out, 3, 10), static_cast<TColor>(0xFFFFFF));
}

TEST_F(ControlCacheTest, TextHintsWithoutGdiplusAreWrittenKeepingTheCacheAlpha)
{
    ASSERT_FALSE(acgpStartup(false)) << "GDI+ is not loaded in this fixture";
    Use(L"EDIT");
    constexpr Word kClear = Argb(0, 0x40, 0x50, 0x60);
    const TRect r(4, 6, 56, 26);
    data->FCacheBmp = Bmp32(kW, kH, kClear);
    TextHintOut(data, r, L"Hint", 0, DT_SINGLELINE | DT_LEFT | (1u << 30));
    auto want = Bmp32(kW, kH, kClear);
    want->Canvas()->Font()->Assign(child->Font());
    WriteColor(want.get(), L"Hint", true, r, DT_SINGLELINE | DT_LEFT, TextHintColor(data, 0, true));
    int ink = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Word p = Px(*data->FCacheBmp, x, y);
            ASSERT_EQ(p, Px(*want, x, y)) << x << "," << y;
            if (p != kClear) {
                ++ink;
                EXPECT_TRUE(r.Contains(TPoint(x, y)));
                EXPECT_GT(ByteA(p), 0) << "alpha raised under the text";
            }
        }
    EXPECT_GT(ink, 10);
}

// Without bit 30 the hint goes through the plain text call, in the hint colour and the control's font.
TEST_F(ControlCacheTest, TextHintsOnTheGdiPathTakeTheHintColourAndFont)
{
    Use(L"EDIT");
    const TRect r(4, 6, 56, 26);
    data->FCacheBmp = Bmp32(kW, kH, kFace);
    TextHintOut(data, r, L"Hint", 0, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
    auto want = Bmp32(kW, kH, kFace);
    TCanvas* canvas = want->Canvas();
    canvas->Font()->Assign(child->Font());
    canvas->Font()->SetColor(TextHintColor(data, 0, true));
    canvas->Brush()->SetStyle(bsClear);
    TRect rr = r;
    canvas->TextRect(rr, L"Hint", TTextFormat() << tfSingleLine << tfLeft << tfNoPrefix);
    GdiFlush();
    int wrong = 0, ink = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Word p = Px(*data->FCacheBmp, x, y) & 0xFFFFFF;
            wrong += p != (Px(*want, x, y) & 0xFFFFFF);
            ink += p != (kFace & 0xFFFFFF);
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(ink, 10);
}

TEST_F(ControlCacheTest, TheHouseCheckGlyphDrawnFromTheMasterBitmap)
{
    TacSkinData& skin = Data();
    ASSERT_TRUE(IsValidIndex(skin.CheckBox[1], static_cast<int>(skin.ma.size())));
    const TsMaskData& check = skin.ma[static_cast<size_t>(skin.CheckBox[1])];
    ASSERT_EQ(check.Bmp, nullptr) << "the check glyph lies in the master bitmap";
    const int f = house_skin::kCheckFrame;
    auto bg = Bmp32(f + 6, f + 4, Argb(255, 0xE0, 0xE8, 0xF0));
    auto sheet = Bmp32(2 * (f + 6), f + 4, 0);
    for (const int mode : {1, 0}) {
        auto bmp = Bmp32(f + 6, f + 4, Argb(255, 0xE0, 0xE8, 0xF0));
        DrawSkinGlyph(bmp.get(), TPoint(3, 2), 9, mode, check, MakeCacheInfo(bg.get(), 0, 0));
        int wrong = 0;
        for (int y = 0; y < f; ++y)
            for (int x = 0; x < f; ++x) {
                const Word ink = house_skin::kCheckInk[1];
                const Word back = Px(*bg, 3 + x, 2 + y);
                // Faded: the piece laid at 127 over what lies there.
                const auto faded = [&](int i, int b) { return (i * 128 + b * 127) >> 8; };
                const Word want = !house_skin::IsTickPixel(x, y) ? back
                                  : mode == 1 ? ink
                                              : Argb(0, faded(ByteR(ink), ByteR(back)), faded(ByteG(ink), ByteG(back)),
                                                     faded(ByteB(ink), ByteB(back)));
                const Word got = Px(*bmp, 3 + x, 2 + y);
                if ((mode == 1 ? got != want : (got & 0xFFFFFF) != (want & 0xFFFFFF)) && ++wrong < 4)
                    ADD_FAILURE() << "mode " << mode << " at " << x << "," << y << ": " << std::hex << got
                                  << " instead of " << want;
            }
        EXPECT_EQ(wrong, 0) << "mode " << mode;
        GdiFlush();
        BitBlt(sheet->Canvas()->Handle(), (mode == 1 ? 0 : f + 6), 0, f + 6, f + 4, bmp->Canvas()->Handle(), 0, 0,
               SRCCOPY);
    }
    GdiFlush();
    SaveBitmapAsPng(*sheet, BuildFolderFile(L"skin_glyph_house_check.png"));
}
