// Window regions from skin images: runs of key pixels of a bitmap and of a border image's
// corners, and the region of a bitmap without its key pixels.
#include "skin_graphics_test_pixels.h"

#include "sGraphUtilsRegion.h"
#include "sSkinManager.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

// Rectangles in failure messages.
static void PrintTo(const TRect& r, std::ostream* os)
{
    *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}

namespace {

const Word kKey = 0x00FF00FF;
const Word kKeyOpaque = 0xFFFF00FF; // key colour with alpha: not transparent
const Word kGround = Argb(255, 0x80, 0x80, 0x80);

struct Spot {
    int x, y;
    Word word;
};

std::unique_ptr<TBitmap> WithSpots(int width, int height, std::initializer_list<Spot> spots)
{
    auto bmp = Bmp32(width, height, kGround);
    for (const Spot& s : spots) SetPx(*bmp, s.x, s.y, s.word);
    return bmp;
}

std::vector<TRect> RegionRects(HRGN rgn)
{
    std::vector<TRect> rects;
    const DWORD size = GetRegionData(rgn, 0, nullptr);
    if (size == 0) return rects;
    std::vector<std::uint8_t> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (GetRegionData(rgn, size, data) != size) return rects;
    const auto* r = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i) rects.emplace_back(r[i]);
    return rects;
}

TsColor KeyColour()
{
    TsColor c;
    c.I = static_cast<std::int32_t>(kKey);
    return c;
}

} // namespace

TEST(SkinRegions, AddRgnBmpAppendsTheKeyRunsRowByRow)
{
    // Row 0 ends in an open run; row 2's opaque key pixel breaks its run.
    auto bmp = WithSpots(5, 3,
                         {{0, 0, kKey}, {1, 0, kKey}, {3, 0, kKey}, {4, 0, kKey}, {4, 1, kKey}, {0, 2, kKey},
                          {1, 2, kKeyOpaque}, {2, 2, kKey}});
    TRects rects{TRect(9, 9, 9, 9)};
    AddRgnBmp(rects, bmp.get(), KeyColour());
    EXPECT_EQ(rects, (TRects{TRect(9, 9, 9, 9), TRect(0, 0, 2, 1), TRect(3, 0, 5, 1), TRect(4, 1, 5, 2),
                             TRect(0, 2, 1, 3), TRect(2, 2, 3, 3)}));

    // A 24-bit bitmap is read as 32-bit words: magenta has alpha 0 there.
    TBitmap rgb(4, 2, pf24bit);
    rgb.Canvas()->Brush()->SetColor(clGray);
    rgb.Canvas()->FillRect(Rect(0, 0, 4, 2));
    rgb.Canvas()->SetPixels(1, 1, clFuchsia);
    rgb.Canvas()->SetPixels(2, 1, clFuchsia);
    TRects fromRgb;
    AddRgnBmp(fromRgb, &rgb, KeyColour());
    EXPECT_EQ(fromRgb, (TRects{TRect(1, 1, 3, 2)}));

    TRects none;
    AddRgnBmp(none, nullptr, KeyColour());
    TBitmap empty;
    AddRgnBmp(none, &empty, KeyColour());
    EXPECT_TRUE(none.empty());
}

TEST(SkinRegions, GetRgnFromBmpIsTheBitmapWithoutItsKeyPixels)
{
    HRGN rgn = nullptr;
    auto plain = WithSpots(6, 4, {{2, 1, kKeyOpaque}});
    GetRgnFromBmp(rgn, plain.get(), static_cast<TColor>(kKey));
    ASSERT_NE(rgn, nullptr);
    EXPECT_EQ(RegionRects(rgn), (std::vector<TRect>{TRect(0, 0, 6, 4)})) << "no key pixels: the full rectangle";
    DeleteObject(rgn);

    auto firstRowKey = WithSpots(6, 4, {});
    for (int x = 0; x < 6; ++x) SetPx(*firstRowKey, x, 0, kKey);
    GetRgnFromBmp(rgn, firstRowKey.get(), static_cast<TColor>(kKey));
    EXPECT_EQ(RegionRects(rgn), (std::vector<TRect>{TRect(0, 1, 6, 4)}));
    DeleteObject(rgn);

    // A rounded corner and a hole: every pixel is inside exactly when it is no key pixel.
    const std::initializer_list<Spot> spots{{0, 0, kKey}, {1, 0, kKey}, {0, 1, kKey}, {3, 2, kKey}, {4, 2, kKey},
                                            {5, 3, kKeyOpaque}};
    auto shaped = WithSpots(6, 4, spots);
    GetRgnFromBmp(rgn, shaped.get(), static_cast<TColor>(kKey));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PtInRegion(rgn, x, y) != FALSE, Px(*shaped, x, y) != kKey) << x << "," << y;
    DeleteObject(rgn);

    rgn = reinterpret_cast<HRGN>(1);
    GetRgnFromBmp(rgn, nullptr, static_cast<TColor>(kKey));
    EXPECT_EQ(rgn, nullptr) << "no bitmap, no region";
}

TEST(SkinRegions, AddRgnTakesTheRunsOfABorderImagesCorners)
{
    // The image lies at (2, 1) in a 14 x 12 bitmap: one frame 10 wide, image over mask (the first
    // state 5 rows high), corners 3 wide, 2 high. Key pixels marked in image coordinates.
    TsSkinManager manager(nullptr);
    auto bmp = Bmp32(14, 12, kGround);
    auto key = [&](int c, int r, Word word = kKey) { SetPx(*bmp, 2 + c, 1 + r, word); };
    key(0, 0), key(1, 0), key(9, 0);               // top row: left run of 2, right run at the edge
    key(0, 1), key(1, 1, kKeyOpaque), key(2, 1);   // second row: two left runs
    key(3, 0), key(5, 1);                          // outside the corners
    key(0, 3), key(7, 4), key(8, 4), key(9, 4);    // bottom rows of the first state
    key(0, 6), key(9, 9);                          // the mask half below: never read

    TsMaskData mask;
    mask.Bmp = bmp.get();
    mask.Manager = &manager;
    mask.R = TRect(2, 1, 12, 11);
    mask.MaskType = 1;
    mask.ImageCount = 1;
    mask.Width = 10;
    mask.WL = 3, mask.WT = 2, mask.WR = 3, mask.WB = 2;

    struct Case {
        const char* name;
        int vertOffset;
        bool bottom;
        int horzOffset;
        TRects expected;
    };
    // Window 40 wide: the right corner's columns 7..9 lie at 37..39 less the offset.
    const Case cases[] = {
        {"top", 0, false, 0, {TRect(0, 0, 2, 1), TRect(0, 1, 1, 2), TRect(2, 1, 3, 2), TRect(39, 0, 40, 1)}},
        {"top with offsets", 5, false, 3, {TRect(3, 5, 5, 6), TRect(3, 6, 4, 7), TRect(5, 6, 6, 7), TRect(36, 5, 37, 6)}},
        {"bottom", 20, true, 3, {TRect(3, 17, 4, 18), TRect(34, 18, 37, 19)}},
    };
    for (const Case& c : cases) {
        TRects rects;
        AddRgn(rects, 40, mask, c.vertOffset, c.bottom, c.horzOffset);
        EXPECT_EQ(rects, c.expected) << c.name;
    }

    // Nothing: no top rows, rows past the bitmap, no manager, no bitmap at all.
    TsMaskData noTop = mask;
    noTop.WT = 0;
    TsMaskData pastBitmap = mask;
    pastBitmap.R = TRect(2, 11, 12, 21);
    TsMaskData noManager = mask;
    noManager.Manager = nullptr;
    TsMaskData noBitmap = mask;
    noBitmap.Bmp = nullptr;
    const TsMaskData* nothing[] = {&noTop, &pastBitmap, &noManager, &noBitmap};
    for (size_t i = 0; i < std::size(nothing); ++i) {
        TRects rects;
        AddRgn(rects, 40, *nothing[i], 0, false, 0);
        if (i > 0) AddRgn(rects, 40, *nothing[i], 20, true, 0);
        EXPECT_TRUE(rects.empty()) << "case " << i;
    }

    // Without a bitmap of its own the image lies in the manager's master bitmap.
    manager.MasterBitmap = std::move(bmp);
    TRects fromMaster;
    AddRgn(fromMaster, 40, noBitmap, 0, false, 0);
    EXPECT_EQ(fromMaster, cases[0].expected);
}
