// PNG reader: every colour type and depth, interlaced or not, against the fixture writer's pixels;
// chunk handling and its errors; hostile sizes; alpha of loaded images; drawing and registration.
#include "../framework/graphics_png.h"
#include "acPNG.h"
#include "sGraphUtilsPng.h"
#include "skin_graphics_test_pixels.h"
#include "skin_images_png_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using png_writer::Bytes;
using png_writer::Image;

std::unique_ptr<TPNGGraphic> Load(const Bytes& file)
{
    TMemoryStream stream;
    stream.WriteBuffer(file.data(), static_cast<long long>(file.size()));
    stream.SetPosition(0);
    auto png = std::make_unique<TPNGGraphic>();
    png->LoadFromStream(stream);
    return png;
}

Image RandomImage(int colourType, int depth, int width, int height, unsigned seed)
{
    Image img{width, height, colourType, depth, {}, {}};
    std::mt19937 rng(seed);
    const unsigned max = depth == 16 ? 65535u : (1u << depth) - 1;
    img.samples.resize(static_cast<std::size_t>(width * height * img.Channels()));
    for (auto& s : img.samples) s = rng() % (max + 1);
    if (colourType == 3)
        for (unsigned i = 0; i <= max; ++i)
            img.palette.push_back({static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i ^ 0x5A)});
    return img;
}

// Palette index of a 1-, 4- or 8-bit pixel.
unsigned IndexAt(TBitmap& bmp, int x, int y)
{
    const auto* row = static_cast<const std::uint8_t*>(bmp.ScanLine(y));
    switch (bmp.PixelFormat()) {
    case pf1bit: return (row[x / 8] >> (7 - x % 8)) & 1;
    case pf4bit: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
    default: return row[x];
    }
}

unsigned To8(unsigned v, int depth) { return depth == 16 ? v * 255 / 65535 : v; }

// The bitmap format and pixel the reader must give for the writer's pixel.
TPixelFormat ExpectedFormat(const Image& img)
{
    switch (img.colourType) {
    case 2: return pf24bit;
    case 4:
    case 6: return pf32bit;
    default: return img.depth == 1 ? pf1bit : img.depth <= 4 ? pf4bit : pf8bit;
    }
}

void ExpectPixels(TBitmap& bmp, const Image& img)
{
    ASSERT_EQ(bmp.Width(), img.width);
    ASSERT_EQ(bmp.Height(), img.height);
    ASSERT_EQ(bmp.PixelFormat(), ExpectedFormat(img));
    int wrong = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            Word got = 0, expected = 0;
            switch (img.colourType) {
            case 2:
            case 6: {
                const auto* p = static_cast<const std::uint8_t*>(bmp.ScanLine(y)) + x * (img.colourType == 6 ? 4 : 3);
                got = Argb(img.colourType == 6 ? p[3] : 0, p[2], p[1], p[0]);
                expected = Argb(img.colourType == 6 ? static_cast<int>(To8(img.Sample(x, y, 3), img.depth)) : 0,
                                static_cast<int>(To8(img.Sample(x, y, 0), img.depth)),
                                static_cast<int>(To8(img.Sample(x, y, 1), img.depth)),
                                static_cast<int>(To8(img.Sample(x, y, 2), img.depth)));
                break;
            }
            case 4: {
                // The grey level in all three colours, the alpha kept.
                const auto* p = static_cast<const std::uint8_t*>(bmp.ScanLine(y)) + x * 4;
                got = Argb(p[3], p[2], p[1], p[0]);
                const int grey = static_cast<int>(To8(img.Sample(x, y, 0), img.depth));
                expected = Argb(static_cast<int>(To8(img.Sample(x, y, 1), img.depth)), grey, grey, grey);
                break;
            }
            default:
                got = IndexAt(bmp, x, y);
                expected = img.depth == 2 ? img.Sample(x, y, 0) * 5 : To8(img.Sample(x, y, 0), img.depth);
                break;
            }
            if (got != expected && ++wrong <= 3) ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << got << " != " << expected;
        }
}

void ExpectLoadError(const Bytes& file, const wchar_t* message)
{
    try {
        Load(file);
        ADD_FAILURE() << "loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

Bytes Be32(std::uint32_t v)
{
    Bytes b;
    png_writer::Put32(b, v);
    return b;
}

constexpr const wchar_t* kInvalid = L"Cannot load image. Invalid or unexpected PNG image format.";

} // namespace

TEST(SkinPng, EveryColourTypeDepthAndInterlace)
{
    const std::pair<int, std::vector<int>> types[] = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    const std::pair<int, int> sizes[] = {{1, 1}, {1, 9}, {9, 1}, {5, 7}, {33, 17}};
    unsigned seed = 1;
    for (const auto& [type, depths] : types)
        for (int depth : depths)
            for (bool interlace : {false, true})
                for (const auto& [w, h] : sizes) {
                    SCOPED_TRACE(testing::Message() << "type " << type << " depth " << depth << (interlace ? " Adam7 " : " ")
                                                    << w << "x" << h);
                    const Image img = RandomImage(type, depth, w, h, seed++);
                    png_writer::Options opt;
                    opt.interlace = interlace;
                    opt.filters = {0, 1, 2, 3, 4, 4, 3, 2, 1};
                    auto png = Load(png_writer::Write(img, opt));
                    ExpectPixels(*png, img);
                    EXPECT_EQ(png->AlphaMeaningful(), type == 6 || type == 4);
                }

    // Grey of depth 2 gives 16 grey levels.
    auto grey = Load(png_writer::Write(RandomImage(0, 2, 4, 1, 3)));
    std::array<PALETTEENTRY, 16> entries{};
    ASSERT_EQ(GetPaletteEntries(grey->Palette(), 0, 16, entries.data()), 16u);
    EXPECT_EQ(entries[5].peRed, 0x55);
    EXPECT_EQ(entries[15].peBlue, 0xFF);
}

TEST(SkinPng, ChunkHandling)
{
    const Image img = RandomImage(2, 8, 33, 17, 99);
    {
        // Many IDAT chunks, empty ones among them, with mixed-case names, then a surplus IDAT.
        png_writer::Options opt;
        opt.idatSplit = {1, 0, 7, 0, 0, 50};
        auto chunks = png_writer::Chunks(img, opt);
        int n = 0;
        for (auto& c : chunks)
            if (c.type == "IDAT" && n++ % 2) c.type = "iDaT";
        chunks.insert(chunks.end() - 1, {"IDAT", Bytes{1, 2, 3}});
        chunks.insert(chunks.begin() + 1, {"aBCD", Bytes{9}});
        chunks.insert(chunks.begin() + 1, {"gama", Be32(45455), false}); // gAMA by any case
        auto png = Load(png_writer::File(chunks));
        ExpectPixels(*png, img);
        EXPECT_TRUE(png->ImageProperties().Options.Contains(ioUseGamma));

        chunks.at(chunks.size() - 2).badCrc = true; // the surplus chunk is CRC-tested
        ExpectLoadError(png_writer::File(chunks), L"Cannot load image. CRC error found in PNG file.");
    }

    const auto edited = [&](const std::function<void(std::vector<png_writer::Chunk>&)>& edit,
                            png_writer::Options opt = {}, const Image* image = nullptr) {
        auto chunks = png_writer::Chunks(image ? *image : img, opt);
        edit(chunks);
        return png_writer::File(chunks);
    };
    const auto none = [](std::vector<png_writer::Chunk>&) {};
    const Image indexed = RandomImage(3, 4, 5, 7, 5);
    png_writer::Options method1;
    method1.compressionMethod = 1;
    const struct {
        const char* what;
        Bytes file;
        const wchar_t* message;
    } errors[] = {
        {"critical ABCD", edited([](auto& c) { c.insert(c.begin() + 1, {"ABCD", Bytes{9}}); }),
         L"Cannot load PNG image. Unexpected but critical chunk detected."},
        {"compression 1", edited(none, method1), L"Cannot load image. The compression scheme is not supported for PNG files."},
        {"PLTE of 7", edited([](auto& c) { c[1].data.resize(7); }, {}, &indexed),
         L"Cannot load image. Palette in PNG file is invalid."},
        {"bad CRC", edited([](auto& c) { c[1].badCrc = true; }), L"Cannot load image. CRC error found in PNG file."},
        {"bytes after the zlib end", edited([](auto& c) { c[1].data.insert(c[1].data.end(), {0, 0, 0}); }),
         L"Cannot load image. Extra compressed data found in PNG file."},
        {"colour type 5", edited([](auto& c) { c[0].data[9] = 5; }), L"Invalid color format in PNG file."},
        {"RGB of depth 4", edited([](auto& c) { c[0].data[8] = 4; }), L"Invalid color format in PNG file."},
        {"not zlib data", edited([](auto& c) { c[1].data[0] = 0xFF; }), L"Cannot load image. Compression error found in PNG file."},
        {"no IDAT", edited([](auto& c) { c.erase(c.begin() + 1); }), kInvalid},
    };
    for (const auto& e : errors) {
        SCOPED_TRACE(e.what);
        ExpectLoadError(e.file, e.message);
    }
    // A file without image data, through the raster routine: the reader's own refusal.
    try {
        const Bytes file = edited([](auto& c) { c.erase(c.begin() + 1); });
        TMemoryStream stream;
        stream.WriteBuffer(file.data(), static_cast<long long>(file.size()));
        stream.SetPosition(0);
        TBitmap bmp;
        LoadBmpFromPngStream(&bmp, stream);
        ADD_FAILURE() << "loaded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), kInvalid);
    }

    // Interlace method 2 reads as not interlaced.
    png_writer::Options two;
    two.interlaceByte = 2;
    ExpectPixels(*Load(png_writer::Write(img, two)), img);

    TMemoryStream signatureOnly;
    const Bytes file = png_writer::Write(img);
    signatureOnly.WriteBuffer(file.data(), 8);
    signatureOnly.SetPosition(0);
    EXPECT_FALSE(TPNGGraphic::CanLoadFromStream(signatureOnly));
    signatureOnly.SetPosition(8);
    signatureOnly.WriteBuffer(file.data() + 8, 1);
    signatureOnly.SetPosition(0);
    EXPECT_TRUE(TPNGGraphic::CanLoadFromStream(signatureOnly));
    EXPECT_EQ(signatureOnly.Position(), 0);
    UseACPng = false;
    EXPECT_FALSE(TPNGGraphic::CanLoadFromStream(signatureOnly));
    UseACPng = true;
}

TEST(SkinPng, HostileSizesStayInsideBuffers)
{
    const Image img = RandomImage(6, 8, 9, 6, 11);
    const auto with = [&](const std::function<void(std::vector<png_writer::Chunk>&)>& edit, const Image& image) {
        auto chunks = png_writer::Chunks(image);
        edit(chunks);
        return png_writer::File(chunks);
    };
    ExpectLoadError(with([](auto& c) { c.insert(c.begin() + 1, {"tEXt", Bytes{1, 2}, false, 0xFFFFFFF0u}); }, img), kInvalid);
    ExpectLoadError(with([](auto& c) { c[1].length = 0xFFFFFFF0u; }, img), kInvalid);
    ExpectLoadError(with([](auto& c) { c[0].data = Be32(100000); c[0].data.resize(4); Bytes h = Be32(100000);
                             c[0].data.insert(c[0].data.end(), h.begin(), h.end()); c[0].data.insert(c[0].data.end(), {8, 6, 0, 0, 0}); }, img),
                    kInvalid);
    ExpectLoadError(with([](auto& c) { c[0].data.resize(5); }, img), kInvalid);
    ExpectLoadError(with([](auto& c) { c[0].data[3] = 0; c[0].data[2] = 0; c[0].data[1] = 0; c[0].data[0] = 0; }, img), kInvalid);
    {
        // The file ends inside a chunk.
        Bytes cut = png_writer::Write(img);
        cut.resize(cut.size() - 20);
        ExpectLoadError(cut, kInvalid);
    }

    // Empty bKGD, short gAMA and tRNS are passed over.
    auto png = Load(with([](auto& c) {
        c.insert(c.begin() + 1, {"bKGD", {}});
        c.insert(c.begin() + 1, {"gAMA", Bytes{1}});
        c.insert(c.begin() + 1, {"tRNS", Bytes{1}});
    }, RandomImage(2, 8, 9, 6, 12)));
    EXPECT_EQ(png->BackgroundColor(), clWhite);
    EXPECT_FALSE(png->Transparent());
    EXPECT_FALSE(png->ImageProperties().Options.Contains(ioUseGamma));

    // A 2-bit indexed image with only two colours: the other indices are black.
    Image twoColours = RandomImage(3, 2, 6, 4, 13);
    twoColours.palette.resize(2);
    png = Load(png_writer::Write(twoColours));
    ExpectPixels(*png, twoColours);
    std::array<PALETTEENTRY, 16> entries{};
    ASSERT_EQ(GetPaletteEntries(png->Palette(), 0, 16, entries.data()), 16u);
    EXPECT_EQ(entries[5].peRed, twoColours.palette[1][0]);
    EXPECT_EQ(entries[10].peRed | entries[10].peGreen | entries[10].peBlue, 0);

    // Image data that stops early: rows without data are zero, not a copy of an older row.
    Image grey = RandomImage(0, 8, 16, 64, 14);
    for (auto& s : grey.samples) s |= 1; // no zero pixel in the picture itself
    auto chunks = png_writer::Chunks(grey);
    chunks[1].data.resize(chunks[1].data.size() / 3);
    png = Load(png_writer::File(chunks));
    EXPECT_EQ(IndexAt(*png, 0, 0), grey.Sample(0, 0, 0));
    for (int x = 0; x < 16; ++x) EXPECT_EQ(IndexAt(*png, x, 63), 0u) << x;
}

TEST(SkinPng, UpdateTransparencyGivesAlpha)
{
    const auto alphaOf = [](TBitmap& bmp, int x, int y) { return ByteA(Px(bmp, x, y)); };
    {
        // RGBA keeps its own alpha.
        const Image img = RandomImage(6, 8, 4, 3, 21);
        auto png = Load(png_writer::Write(img));
        TBitmap bmp;
        UpdateTransparency(&bmp, png.get());
        ASSERT_EQ(bmp.PixelFormat(), pf32bit);
        EXPECT_EQ(static_cast<unsigned>(alphaOf(bmp, 2, 1)), img.Sample(2, 1, 3));
    }
    Image rgb = RandomImage(2, 8, 4, 3, 22);
    for (int ch = 0; ch < 3; ++ch) rgb.samples[static_cast<std::size_t>(2 * 4 * 3 + ch)] = 0x40; // bottom-left key
    rgb.samples[0] = 0x41;
    {
        auto png = Load(png_writer::Write(rgb));
        TBitmap bmp;
        UpdateTransparency(&bmp, png.get());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(alphaOf(bmp, x, y), 255);
        TBitmap transparent;
        transparent.SetTransparent(true);
        UpdateTransparency(&transparent, png.get());
        EXPECT_EQ(alphaOf(transparent, 0, 2), 0) << "the key keeps the alpha the conversion gave";
        EXPECT_EQ(alphaOf(transparent, 0, 0), 255);
        EXPECT_EQ(ByteR(Px(transparent, 0, 0)), 0x41);
    }
    // Indexed with tRNS, every depth: alpha per palette index (entries past the chunk opaque).
    for (int depth : {1, 2, 4, 8}) {
        SCOPED_TRACE(depth);
        Image img = RandomImage(3, depth, 9, 3, 30 + static_cast<unsigned>(depth));
        auto chunks = png_writer::Chunks(img);
        chunks.insert(chunks.begin() + 2, {"tRNS", Bytes{0, 0x80}});
        auto png = Load(png_writer::File(chunks));
        TBitmap bmp;
        UpdateTransparency(&bmp, png.get());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 9; ++x) {
                const unsigned index = img.Sample(x, y, 0);
                EXPECT_EQ(alphaOf(bmp, x, y), index == 0 ? 0 : index == 1 ? 0x80 : 255) << x << "," << y;
            }
    }
    {
        // Grey with gAMA: a black shadow, white fully transparent; indexed with gAMA stays a picture.
        Image grey{3, 1, 0, 8, {0, 128, 255}, {}};
        auto chunks = png_writer::Chunks(grey);
        chunks.insert(chunks.begin() + 1, {"gAMA", Be32(45455)});
        auto png = Load(png_writer::File(chunks));
        TBitmap bmp;
        UpdateTransparency(&bmp, png.get());
        const auto& gamma = png->ColorManager().GammaTable();
        EXPECT_EQ(Px(bmp, 0, 0), Argb(255 - gamma[0], 0, 0, 0));
        EXPECT_EQ(Px(bmp, 1, 0), Argb(255 - gamma[128], 0, 0, 0));
        EXPECT_EQ(Px(bmp, 2, 0), 0u);

        Image indexed = RandomImage(3, 8, 3, 1, 40);
        chunks = png_writer::Chunks(indexed);
        chunks.insert(chunks.begin() + 1, {"gAMA", Be32(45455)});
        png = Load(png_writer::File(chunks));
        TBitmap picture;
        UpdateTransparency(&picture, png.get());
        EXPECT_EQ(alphaOf(picture, 1, 0), 255);
        EXPECT_NE(Px(picture, 1, 0) & 0xFFFFFF, 0u);
    }
    {
        // Grey with alpha keeps its own alpha, with or without gAMA (no shadow made of it).
        const Image img = RandomImage(4, 8, 5, 3, 23);
        for (const bool withGamma : {false, true}) {
            auto chunks = png_writer::Chunks(img);
            if (withGamma) chunks.insert(chunks.begin() + 1, {"gAMA", Be32(100000)});
            auto png = Load(png_writer::File(chunks));
            TBitmap bmp;
            UpdateTransparency(&bmp, png.get());
            ASSERT_EQ(bmp.PixelFormat(), pf32bit);
            const auto& gamma = png->ColorManager().GammaTable();
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) {
                    const unsigned grey = withGamma ? gamma[img.Sample(x, y, 0)] : img.Sample(x, y, 0);
                    EXPECT_EQ(Px(bmp, x, y), Argb(static_cast<int>(img.Sample(x, y, 1)), static_cast<int>(grey),
                                                  static_cast<int>(grey), static_cast<int>(grey)))
                        << withGamma << " " << x << "," << y;
                }
        }
    }
    {
        // Grey tRNS of depth 4: the key is the drawn grey.
        Image grey{2, 1, 0, 4, {3, 9}, {}};
        auto chunks = png_writer::Chunks(grey);
        chunks.insert(chunks.begin() + 1, {"tRNS", Bytes{0, 3}});
        auto png = Load(png_writer::File(chunks));
        EXPECT_TRUE(png->Transparent());
        EXPECT_EQ(png->TransparentColor(), static_cast<TColor>(RGB(51, 51, 51)));
    }
}

TEST(SkinPng, GreyShadowAlphaIsTheSameAtEveryDepth)
{
    // Every level of a depth once, with gAMA 1.0; the same picture at 8 bits is the reference.
    // Alpha is 255 - table[the level on 0..255], the table applied once: level 17 gives 181.
    const auto shadow = [](const Image& img, std::vector<int>& alphas) {
        auto chunks = png_writer::Chunks(img);
        chunks.insert(chunks.begin() + 1, {"gAMA", Be32(100000)});
        auto png = Load(png_writer::File(chunks));
        TBitmap bmp;
        UpdateTransparency(&bmp, png.get());
        ASSERT_EQ(bmp.PixelFormat(), pf32bit);
        const auto& gamma = png->ColorManager().GammaTable();
        for (int x = 0; x < img.width; ++x) {
            EXPECT_EQ(Px(bmp, x, 0) & 0xFFFFFF, 0u) << x;
            alphas.push_back(ByteA(Px(bmp, x, 0)));
        }
        EXPECT_EQ(gamma[17], 255 - 181);
    };
    for (const int depth : {1, 2, 4, 8}) {
        SCOPED_TRACE(depth);
        const unsigned max = (1u << depth) - 1;
        Image img{static_cast<int>(max + 1), 1, 0, depth, {}, {}};
        Image reference{img.width, 1, 0, 8, {}, {}};
        for (unsigned v = 0; v <= max; ++v) {
            img.samples.push_back(v);
            reference.samples.push_back(v * 255 / max);
        }
        std::vector<int> got, want;
        shadow(img, got);
        shadow(reference, want);
        EXPECT_EQ(got, want);
        ASSERT_EQ(got.size(), static_cast<std::size_t>(max + 1));
        EXPECT_EQ(got.front(), 255 - 0) << "black is opaque";
        EXPECT_EQ(got.back(), 0) << "white is transparent";
        if (depth == 4) {
            EXPECT_EQ(got[1], 181);
        }
    }
}

TEST(SkinPng, DrawRegistrationAndResource)
{
    // A 2x2 image: opaque red, half-transparent green, transparent, opaque blue.
    Image img{2, 2, 6, 8, {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 0, 0, 0, 0, 255, 255}, {}};
    auto png = Load(png_writer::Write(img));
    TBitmap canvas(8, 8, pf32bit);
    canvas.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(200, 200, 200)));
    canvas.Canvas()->FillRect(Rect(0, 0, 8, 8));
    png->Draw(canvas.Canvas(), Rect(1, 1, 3, 3));
    png->Draw(canvas.Canvas(), Rect(4, 2, 8, 6)); // scaled to 4x4
    SaveBitmapAsPng(canvas, L"skin_png_draw.png");
    const auto rgb = [&](int x, int y) { return Px(canvas, x, y) & 0xFFFFFF; };
    // The library's mix over the grey background: weight = the pixel's alpha.
    const auto over = [](Word colour, int alpha) { return MixPx(colour, 0xC8C8C8, alpha, 0); };
    const Word red = over(0xFF0000, 255), blue = over(0x0000FF, 255);
    EXPECT_EQ(rgb(1, 1), red);
    EXPECT_EQ(rgb(2, 1), over(0x00FF00, 128));
    EXPECT_EQ(rgb(1, 2), 0xC8C8C8u);
    EXPECT_EQ(rgb(2, 2), blue);
    EXPECT_EQ(rgb(0, 0), 0xC8C8C8u);
    EXPECT_EQ(rgb(4, 2), red);
    EXPECT_EQ(rgb(5, 3), red);
    EXPECT_EQ(rgb(4, 5), 0xC8C8C8u);
    EXPECT_EQ(rgb(7, 5), blue);

    // Reflected: the work area is half the height taller and takes a fading mirror image.
    Image column{1, 8, 6, 8, {}, {}};
    for (int y = 0; y < 8; ++y) column.samples.insert(column.samples.end(), {0, 0, 255, 255});
    auto mirrored = Load(png_writer::Write(column));
    for (bool reflected : {false, true}) {
        TBitmap tall(1, 12, pf32bit);
        tall.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(200, 200, 200)));
        tall.Canvas()->FillRect(Rect(0, 0, 1, 12));
        mirrored->Reflected = reflected;
        mirrored->Draw(tall.Canvas(), Rect(0, 0, 1, 8));
        EXPECT_EQ(Px(tall, 0, 7) & 0xFFFFFF, blue);
        EXPECT_EQ((Px(tall, 0, 9) & 0xFFFFFF) != 0xC8C8C8u, reflected) << "row 9 below the image";
    }

    acPNGInitialization();
    acPNGInitialization();
    EXPECT_TRUE(TPicture::FileFormatClass(L".png") == &GraphicClass<TPNGGraphic>);
    acPNGFinalization();
    EXPECT_TRUE(TPicture::FileFormatClass(L"png") == &GraphicClass<TPNGGraphic>) << "one start-up still holds it";
    const Bytes file = png_writer::Write(img);
    {
        TFileStream out(L"skin_png_picture.png", fmCreate);
        out.WriteBuffer(file.data(), static_cast<long long>(file.size()));
    }
    TPicture picture;
    picture.LoadFromFile(L"skin_png_picture.png");
    ASSERT_NE(dynamic_cast<TPNGGraphic*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 2);
    acPNGFinalization();
    EXPECT_TRUE(TPicture::FileFormatClass(L"png") == nullptr);
    DeleteFileW(L"skin_png_picture.png");

    // The RCDATA fixture is the writer's output for this image.
    TResourceStream resource(nullptr, L"SKINPNGFIXTURE");
    ASSERT_EQ(resource.Size(), static_cast<long long>(file.size()));
    EXPECT_TRUE(std::equal(file.begin(), file.end(), resource.Memory()));
    TPNGGraphic fromResource;
    fromResource.LoadFromResourceName(nullptr, L"SKINPNGFIXTURE");
    ExpectPixels(fromResource, img);

    // Progress: starting, the image data, ending.
    std::vector<TProgressStage> stages;
    TPNGGraphic observed;
    observed.OnProgress = [&](TObject*, TProgressStage stage, std::uint8_t, bool, const TRect&, const UnicodeString&) {
        stages.push_back(stage);
    };
    resource.SetPosition(0);
    observed.LoadFromStream(resource);
    ASSERT_GE(stages.size(), 3u);
    EXPECT_EQ(stages.front(), psStarting);
    EXPECT_EQ(stages.back(), psEnding);
}

TEST(SkinPng, MutatedFilesLoadOrFailCleanly)
{
    // One byte of one chunk changed, CRCs kept right so that the reader gets past them: every
    // outcome must be a picture or a load error, never a crash or a read outside a buffer.
    std::vector<std::vector<png_writer::Chunk>> bases;
    png_writer::Options adam7;
    adam7.interlace = true;
    adam7.filters = {4, 3, 2, 1, 0};
    adam7.idatSplit = {40, 0, 13};
    bases.push_back(png_writer::Chunks(RandomImage(3, 2, 11, 7, 51), adam7));
    bases.push_back(png_writer::Chunks(RandomImage(6, 16, 9, 5, 52), adam7));
    bases.push_back(png_writer::Chunks(RandomImage(0, 4, 13, 3, 53)));
    bases[2].insert(bases[2].begin() + 1, {"tRNS", Bytes{0, 5}});
    bases[2].insert(bases[2].begin() + 1, {"bKGD", Bytes{0, 2}});
    std::mt19937 rng(2024);
    int loaded = 0, refused = 0;
    for (int i = 0; i < 3000; ++i) {
        auto chunks = bases[static_cast<std::size_t>(i) % bases.size()];
        auto& chunk = chunks[rng() % chunks.size()];
        if (chunk.data.empty()) continue;
        chunk.data[rng() % chunk.data.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        try {
            auto png = Load(png_writer::File(chunks));
            TBitmap bmp;
            UpdateTransparency(&bmp, png.get());
            ++loaded;
        } catch (const EInvalidGraphic&) {
            ++refused;
        } catch (const EReadError&) {
            ++refused;
        } catch (const EColorConversionError&) {
            ++refused;
        }
    }
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}
