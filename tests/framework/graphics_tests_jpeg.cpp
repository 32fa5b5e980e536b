// JPEG pictures decoded through GDI+, from data GDI+'s own encoder writes at test time.
#include "JPEGImage.h"
#include "graphics_jpeg.h"
#include "graphics_png.h"
#include "graphics_test_util.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Red, lime / blue, white: 32 x 32.
std::unique_ptr<TBitmap> Quadrants()
{
    return BlockPicture(2, {clRed, clLime, clBlue, clWhite});
}

std::vector<std::uint8_t> Bytes(TMemoryStream& stream)
{
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

void Load(TGraphic& graphic, const std::vector<std::uint8_t>& bytes)
{
    TMemoryStream stream;
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
    stream.SetPosition(0);
    graphic.LoadFromStream(stream);
}

// The four quadrant colours at the centres of a square of side `side` at (left, top).
void ExpectQuadrants(TBitmap& target, int left, int top, int side, const char* what)
{
    const int q = side / 4;
    const struct {
        int x, y;
        TColor colour;
    } centres[] = {{q, q, clRed}, {3 * q, q, clLime}, {q, 3 * q, clBlue}, {3 * q, 3 * q, clWhite}};
    for (const auto& c : centres) {
        const TColor got = ScanPixel(target, left + c.x, top + c.y);
        EXPECT_TRUE(NearColour(got, c.colour)) << what << " at " << c.x << "," << c.y << ": " << std::hex << got;
    }
}

std::unique_ptr<TBitmap> Grey(int width, int height)
{
    auto bmp = std::make_unique<TBitmap>(width, height, pf32bit);
    bmp->Canvas()->Brush()->SetColor(clGray);
    bmp->Canvas()->FillRect(Rect(0, 0, width, height));
    return bmp;
}

} // namespace

TEST(JPEGImage, DecodesFromTheStreamPositionDrawsAndSavesTheSameBytes)
{
    auto picture = Quadrants();
    const std::vector<std::uint8_t> bytes = JpegBytes(*picture);
    ASSERT_GT(bytes.size(), 2u) << "GDI+ wrote no JPEG";
    ASSERT_EQ(bytes[0], 0xFF);
    ASSERT_EQ(bytes[1], 0xD8);

    TMemoryStream stream;
    stream.WriteBuffer("abc", 3); // a header of a container before the image
    stream.WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
    stream.SetPosition(3);
    TJPEGImage jpeg;
    int changes = 0;
    jpeg.OnChange = [&](TObject*) { ++changes; };
    jpeg.LoadFromStream(stream);
    EXPECT_EQ(changes, 1);
    ASSERT_FALSE(jpeg.Empty());
    EXPECT_EQ(jpeg.Width(), 32);
    EXPECT_EQ(jpeg.Height(), 32);

    // Drawn at its size through the canvas, and stretched to twice its size beside it.
    auto target = Grey(112, 72);
    target->Canvas()->Draw(4, 4, &jpeg);
    target->Canvas()->StretchDraw(Bounds(44, 4, 64, 64), &jpeg);
    ::GdiFlush();
    ExpectQuadrants(*target, 4, 4, 32, "drawn");
    ExpectQuadrants(*target, 44, 4, 64, "stretched");
    for (const TPoint p : {TPoint{3, 3}, TPoint{36, 36}, TPoint{40, 20}, TPoint{108, 68}})
        EXPECT_EQ(ScanPixel(*target, p.X, p.Y), clGray) << "outside the picture at " << p.X << "," << p.Y;
    EXPECT_TRUE(SaveBitmapAsPng(*target, L"graphics_tests_jpeg.png"));

    TMemoryStream saved;
    jpeg.SaveToStream(saved);
    EXPECT_EQ(Bytes(saved), bytes) << "the stored data are written back unchanged";
}

TEST(JPEGImage, AssignCopiesAndTheSizeIsTheImages)
{
    auto picture = Quadrants();
    TJPEGImage jpeg;
    Load(jpeg, JpegBytes(*picture));

    TJPEGImage copy;
    copy.Assign(&jpeg);
    EXPECT_EQ(copy.Width(), 32);
    jpeg.Assign(nullptr);
    EXPECT_TRUE(jpeg.Empty());
    auto target = Grey(32, 32);
    copy.Draw(target->Canvas(), Rect(0, 0, 32, 32));
    ::GdiFlush();
    ExpectQuadrants(*target, 0, 0, 32, "copy drawn after the original was emptied");
    TMemoryStream saved;
    copy.SaveToStream(saved);
    EXPECT_EQ(Bytes(saved), JpegBytes(*picture));

    EXPECT_NO_THROW(copy.SetSize(32, 32));
    EXPECT_THROW(copy.SetWidth(16), EInvalidGraphicOperation);
    EXPECT_THROW(copy.SetHeight(64), EInvalidGraphicOperation);
    EXPECT_THROW(copy.Assign(picture.get()), EConvertError);
    EXPECT_EQ(copy.Width(), 32);
}

TEST(JPEGImage, RefusesDataThatAreNoJpegAndKeepsThePicture)
{
    auto picture = Quadrants();
    const std::vector<std::uint8_t> good = JpegBytes(*picture);
    TJPEGImage jpeg;
    Load(jpeg, good);

    TMemoryStream bmp;
    picture->SaveToStream(bmp);
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + 20); // start of image and header only
    const std::vector<std::uint8_t> cases[] = {
        {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'},
        {0xFF, 0xD8, 0xFF, 0xE0, 'g', 'a', 'r', 'b', 'a', 'g', 'e'},
        cut,
        Bytes(bmp), // GDI+ reads bitmaps too; this class takes JPEG data only
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_THROW(Load(jpeg, cases[i]), EInvalidGraphic) << "case " << i;
        EXPECT_EQ(jpeg.Width(), 32) << "case " << i;
    }
    TMemoryStream saved;
    jpeg.SaveToStream(saved);
    EXPECT_EQ(Bytes(saved), good);

    Load(jpeg, {});
    EXPECT_TRUE(jpeg.Empty()) << "nothing stored gives an empty picture";
    EXPECT_EQ(jpeg.Width(), 0);
    TMemoryStream none;
    jpeg.SaveToStream(none);
    EXPECT_EQ(none.Size(), 0);
}

TEST(JPEGImage, PicturesLoadBothExtensions)
{
    auto picture = Quadrants();
    const std::vector<std::uint8_t> bytes = JpegBytes(*picture);
    ASSERT_FALSE(bytes.empty());
    const wchar_t* files[] = {L"graphics_tests_jpeg.jpg", L"graphics_tests_jpeg.JPEG"};
    for (const wchar_t* file : files) {
        {
            TFileStream out(file, fmCreate);
            out.WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
        }
        TPicture loaded;
        loaded.LoadFromFile(file);
        EXPECT_EQ(loaded.Graphic() ? loaded.Graphic()->ClassName() : UnicodeString(), L"TJPEGImage") << file;
        EXPECT_EQ(loaded.Width(), 32) << file;
        ::DeleteFileW(file);
    }
}
