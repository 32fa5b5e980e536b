// Tiling a JPEG picture over an area: whole pictures from the area's corner, cut at its edges by
// a clip region that the caller's device context no longer has afterwards.
#include "BuildFolder.h"
#include "skin_graphics_test_pixels.h"

#include "../framework/graphics_jpeg.h"
#include "../framework/graphics_png.h"
#include "JPEGImage.h"
#include "sGraphUtilsTile.h"

#include <gtest/gtest.h>

namespace {


const Word kGrey = Argb(255, 0x80, 0x80, 0x80);

// A 32 x 16 JPEG: a red and a lime block.
std::unique_ptr<TJPEGImage> RedLime()
{
    auto picture = BlockPicture(2, {clRed, clLime});
    const std::vector<std::uint8_t> bytes = JpegBytes(*picture);
    auto jpeg = std::make_unique<TJPEGImage>();
    if (bytes.empty()) return jpeg;
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
    stream.SetPosition(0);
    jpeg->LoadFromStream(stream);
    return jpeg;
}

// Pixels off the blocks' edges, where the coder's smoothing of colour between blocks cannot reach.
bool InsideABlock(int tileX, int tileY)
{
    const int bx = tileX % 16, by = tileY % 16;
    return bx >= 2 && bx <= 13 && by >= 2 && by <= 13;
}

} // namespace

TEST(SkinTiling, PictureOverloadTilesAJpegCutToTheArea)
{
    auto jpeg = RedLime();
    ASSERT_EQ(jpeg->Width(), 32) << "GDI+ wrote or read no JPEG";
    ASSERT_EQ(jpeg->Height(), 16);

    // The area cuts the tiles on all four sides: 75 = 2 * 32 + 11 wide, 40 = 2 * 16 + 8 high.
    const TRect area(5, 3, 80, 43);
    auto canvas = Bmp32(90, 50, kGrey);
    HDC dc = canvas->Canvas()->Handle();
    TileBitmap(canvas->Canvas(), area, jpeg.get());
    GdiFlush();
    EXPECT_TRUE(SaveBitmapAsPng(*canvas, BuildFolderFile(L"skin_tile_jpeg.png")));

    int checked = 0;
    for (int y = 0; y < canvas->Height(); ++y)
        for (int x = 0; x < canvas->Width(); ++x) {
            const TColor got = ScanPixel(*canvas, x, y);
            if (!area.Contains(TPoint{x, y})) {
                ASSERT_EQ(got, static_cast<TColor>(clGray)) << "outside the area at " << x << "," << y;
                continue;
            }
            const int tx = (x - area.Left) % 32, ty = (y - area.Top) % 16;
            if (!InsideABlock(tx, ty)) continue;
            ASSERT_TRUE(NearColour(got, tx < 16 ? clRed : clLime)) << x << "," << y << ": " << std::hex << got;
            ++checked;
        }
    EXPECT_GT(checked, 1000);

    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, clip), 0) << "the clip region is taken away again";
    DeleteObject(clip);
}

TEST(SkinTiling, PictureOverloadKeepsTheCallersClipAndSkipsWhatItCannotTile)
{
    auto jpeg = RedLime();
    ASSERT_FALSE(jpeg->Empty());
    auto canvas = Bmp32(40, 20, kGrey);
    HDC dc = canvas->Canvas()->Handle();

    // The caller's clip region stays in force during the tiling and after it.
    IntersectClipRect(dc, 0, 0, 10, 20);
    TileBitmap(canvas->Canvas(), TRect(0, 0, 40, 20), jpeg.get());
    GdiFlush();
    EXPECT_TRUE(NearColour(ScanPixel(*canvas, 5, 8), clRed));
    EXPECT_EQ(ScanPixel(*canvas, 20, 8), static_cast<TColor>(clGray)) << "outside the caller's clip";
    RECT box{};
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(TRect(box), TRect(0, 0, 10, 20));
    SelectClipRgn(dc, nullptr);

    // Empty and inverted areas, an empty JPEG and a picture class that is not tiled paint nothing.
    TJPEGImage empty;
    TIcon icon;
    icon.SetHandle(CopyIcon(LoadIcon(nullptr, IDI_APPLICATION)));
    const struct {
        TRect r;
        TGraphic* graphic;
    } nothing[] = {
        {TRect(30, 10, 20, 15), jpeg.get()},
        {TRect(20, 15, 30, 10), jpeg.get()},
        {TRect(20, 10, 20, 15), jpeg.get()},
        {TRect(0, 0, 40, 20), &empty},
        {TRect(0, 0, 40, 20), &icon},
        {TRect(0, 0, 40, 20), nullptr},
    };
    auto blank = Bmp32(40, 20, kGrey);
    for (size_t i = 0; i < std::size(nothing); ++i) {
        TileBitmap(blank->Canvas(), nothing[i].r, nothing[i].graphic);
        GdiFlush();
        EXPECT_EQ(CountInk(*blank, TRect(0, 0, 40, 20), clGray), 0) << "case " << i;
    }
}
