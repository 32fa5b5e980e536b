// Alpha image list: file formats, loading from files, streams and resources, rendering with the
// per-item cache, drawing into bitmaps and onto DCs, form streaming of the items, and edits that
// keep the items and the native images in step.
#include "../framework/graphics_png.h"
#include "../framework/runtime_test_tempdir.h"
#include "Dialogs.h"
#include "FormReader.h"
#include "FormWriter.h"
#include "acAlphaImageList.h"
#include "sAlphaGraph.h"
#include "sConst.h"
#include "sGraphUtilsStretch.h"
#include "sThirdParty.h"
#include "skin_graphics_test_pixels.h"
#include "skin_images_png_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using png_writer::Bytes;

// An RGBA PNG: each pixel's colour and alpha from f(x, y) as 0xAARRGGBB.
template <class F>
Bytes PngOf(int w, int h, F f)
{
    png_writer::Image img{w, h, 6, 8, {}, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Word c = f(x, y);
            img.samples.insert(img.samples.end(), {unsigned(ByteR(c)), unsigned(ByteG(c)), unsigned(ByteB(c)), unsigned(ByteA(c))});
        }
    return png_writer::Write(img);
}

constexpr Word kRed = Argb(255, 255, 0, 0);
constexpr Word kHalfBlue = Argb(128, 0, 0, 255);

// 8x8: left half opaque red, right half blue at alpha 128.
Bytes HalfPng() { return PngOf(8, 8, [](int x, int) { return x < 4 ? kRed : kHalfBlue; }); }

Bytes BytesOf(TStream& stream)
{
    Bytes out(static_cast<std::size_t>(stream.Size()));
    stream.SetPosition(0);
    if (!out.empty()) stream.ReadBuffer(out.data(), static_cast<long long>(out.size()));
    return out;
}

Bytes BmpBytes(TBitmap& bmp)
{
    TMemoryStream s;
    bmp.SaveToStream(s);
    return BytesOf(s);
}

// 8x8 32-bit BMP with the same halves as HalfPng.
Bytes Bmp32Bytes()
{
    auto bmp = Bmp32(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) SetPx(*bmp, x, y, x < 4 ? kRed : kHalfBlue);
    return BmpBytes(*bmp);
}

// 4x4 24-bit BMP: green with the key colour at the bottom-left.
Bytes Bmp24Bytes()
{
    TBitmap bmp(4, 4, pf24bit);
    bmp.Canvas()->Brush()->SetColor(static_cast<TColor>(0x00A000));
    bmp.Canvas()->FillRect(TRect(0, 0, 4, 4));
    ::SetPixel(bmp.Canvas()->Handle(), 0, 3, RGB(255, 0, 255));
    return BmpBytes(bmp);
}

// 16x16 32-bit ICO (halves as HalfPng) written by the framework's icon.
Bytes IcoBytes()
{
    auto bmp = Bmp32(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) SetPx(*bmp, x, y, x < 8 ? kRed : kHalfBlue);
    TIcon icon;
    icon.SetHandle(MakeIcon32(bmp.get()));
    TMemoryStream s;
    icon.SaveToStream(s);
    return BytesOf(s);
}

std::unique_ptr<TMemoryStream> StreamOf(const Bytes& bytes)
{
    auto s = std::make_unique<TMemoryStream>();
    if (!bytes.empty()) s->WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
    s->SetPosition(0);
    return s;
}

int NativeCount(TsAlphaImageList& list) { return ImageList_GetImageCount(list.Handle()); }

TSize NativeSize(TsAlphaImageList& list)
{
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list.Handle(), &cx, &cy);
    return {cx, cy};
}

// A list made in code, as the library's callers make one.
std::unique_ptr<TsAlphaImageList> NewList(int w = 16, int h = 16)
{
    auto list = std::make_unique<TsAlphaImageList>(nullptr);
    list->AfterConstruction();
    list->SetDimension(0, h);
    list->SetDimension(1, w);
    list->Handle();
    return list;
}

bool AddPng(TsAlphaImageList& list, const Bytes& bytes)
{
    return list.TryLoadFromPngStream(*StreamOf(bytes));
}

class SkinAlphaImageList : public ::testing::Test {
protected:
    void SetUp() override { acAlphaImageListInitialization(); }
    void TearDown() override { acAlphaImageListFinalization(); }
    TestTempDir dir;
};

} // namespace

TEST_F(SkinAlphaImageList, ImageFormatComesFromTheFirstBytes)
{
    struct Case {
        const wchar_t* name;
        Bytes bytes;
        bool known;
        TsImageFormat format;
    } cases[] = {
        {L"a.png", HalfPng(), true, ifPNG},
        {L"a.dat", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0}, true, ifPNG},
        {L"a.ICO", {0, 0, 1, 0}, true, ifICO},
        {L"a.png.ico", {0, 0, 1, 0}, true, ifICO},
        {L"a.icon", {0, 0, 1, 0}, false, ifPNG},
        {L"a.bmp", {0, 0, 1, 0}, false, ifPNG},
        {L"b.bmp", {'B', 'M', 0}, true, ifBMP32},
        {L"b.png", {'B', 'M', 0}, true, ifBMP32},
        {L"short.bmp", {'B', 'M'}, false, ifPNG},                          // no longer than the signature
        {L"short.png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, false, ifPNG},
        {L"empty.ico", {}, false, ifPNG},
        {L"text.png", {'h', 'e', 'l', 'l', 'o'}, false, ifPNG},
    };
    for (const Case& c : cases) {
        TsImageFormat format = ifBMP32;
        const bool known = GetImageFormat(dir.Write(c.name, c.bytes), format);
        EXPECT_EQ(known, c.known) << c.name;
        if (c.known) {
            EXPECT_EQ(format, c.format) << c.name;
        }
    }
    TsImageFormat format = ifICO;
    EXPECT_FALSE(GetImageFormat(dir.File(L"missing.png"), format));
    EXPECT_TRUE(GetImageFormat(*StreamOf({'B', 'M', 1}), format));
    EXPECT_EQ(format, ifPNG);
}

TEST_F(SkinAlphaImageList, FilesStreamsAndResourcesBecomeItemsWithNativeIcons)
{
    auto list = NewList();
    ASSERT_TRUE(list->TryLoadFromFile(dir.Write(L"half.png", HalfPng())));
    ASSERT_TRUE(list->TryLoadFromFile(dir.Write(L"icon.ico", IcoBytes())));
    ASSERT_TRUE(list->TryLoadFromFile(dir.Write(L"key24.bmp", Bmp24Bytes())));
    ASSERT_TRUE(list->TryLoadFromFile(dir.Write(L"alpha32.bmp", Bmp32Bytes())));
    ASSERT_TRUE(AddPng(*list, PngOf(3, 5, [](int, int) { return kRed; })));
    HINSTANCE self = GetModuleHandleW(nullptr);
    ASSERT_TRUE(AddImageFromRes(self, list.get(), L"SKINPNGFIXTURE", ifPNG));
    ASSERT_TRUE(AddImageFromRes(self, list.get(), L"SKINALPHABMP", ifBMP32));

    // The icon of an ICO file is taken at the system's icon size; its colour bitmap's format
    // follows the screen.
    const int iconSize = GetSystemMetrics(SM_CXICON);
    struct Expect {
        TsImageFormat format;
        int w, h;
        TPixelFormat pixels;
        const wchar_t* name;
    } expected[] = {
        {ifPNG, 8, 8, pf32bit, L"half"},     {ifICO, iconSize, iconSize, pfCustom, L"icon"}, {ifBMP32, 4, 4, pf32bit, L"key24"},
        {ifBMP32, 8, 8, pf32bit, L"alpha32"}, {ifPNG, 3, 5, pf32bit, L""},       {ifPNG, 2, 2, pf32bit, L""},
        {ifBMP32, 4, 4, pf32bit, L""},
    };
    ASSERT_EQ(list->Items()->Count(), 7);
    for (int i = 0; i < 7; ++i) {
        const TsImgListItem& item = *list->Items()->Items(i);
        EXPECT_EQ(item.ImageFormat(), expected[i].format) << i;
        EXPECT_EQ(item.OrigWidth, expected[i].w) << i;
        EXPECT_EQ(item.OrigHeight, expected[i].h) << i;
        if (expected[i].pixels != pfCustom) {
            EXPECT_EQ(item.PixelFormat(), expected[i].pixels) << i;
        }
        EXPECT_EQ(item.ImageName(), UnicodeString(expected[i].name)) << i;
        EXPECT_GT(item.ImgData->Size(), 0) << i;
    }
    // The PNG item keeps the file's bytes unchanged.
    EXPECT_EQ(BytesOf(*list->Items()->Items(0)->ImgData), HalfPng());
    // An icon resource becomes a native image only.
    ASSERT_TRUE(AddImageFromRes(self, list.get(), L"SKINALPHAICON", ifICO));
    EXPECT_EQ(NativeCount(*list), 8);
    EXPECT_EQ(NativeSize(*list), TSize(16, 16));
    EXPECT_FALSE(AddImageFromRes(self, list.get(), L"NOSUCHRES", ifPNG));

    // A 24-bit BMP gets alpha from its bottom-left key; the native icon shows the same.
    auto key = list->CreateBitmap32(2, 4, 4);
    ASSERT_TRUE(key);
    EXPECT_EQ(ByteA(Px(*key, 0, 3)), 0);
    EXPECT_EQ(ByteA(Px(*key, 1, 1)), 255);
    EXPECT_EQ(Px(*key, 1, 1) & 0xFFFFFF, 0x00A000u);
    auto native = Bmp32(16, 16);
    ImageList_Draw(list->Handle(), 0, native->Canvas()->Handle(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(Px(*native, 2, 8) & 0xFFFFFF, 0xFF0000u) << "native icon of the PNG item";
}

TEST_F(SkinAlphaImageList, BadFilesAndStreamsAddNothing)
{
    auto list = NewList();
    Bytes broken = HalfPng();
    broken.resize(40);  // the signature and part of the header
    const UnicodeString bad = dir.Write(L"broken.png", broken);
    EXPECT_FALSE(list->TryLoadFromFile(bad));
    EXPECT_FALSE(list->TryLoadFromFile(dir.Write(L"junk.bmp", Bytes{'B', 'M', 1, 2, 3})));
    EXPECT_FALSE(list->TryLoadFromFile(dir.Write(L"note.txt", Bytes{'h', 'i', '!'})));
    auto notPng = StreamOf(Bmp24Bytes());
    EXPECT_FALSE(list->TryLoadFromPngStream(*notPng));
    EXPECT_EQ(list->Items()->Count(), 0);
    EXPECT_EQ(NativeCount(*list), 0);

    try {
        list->LoadFromFile(bad);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(UnicodeString(e.Message()), L"Cannot load " + bad + L"\r\nInvalid or unexpected image format.");
        EXPECT_EQ(GetLastError(), 1006u);
    }
    static std::vector<TDialogRequest> shown;
    shown.clear();
    TDialogHook old = SetDialogHook([](const TDialogRequest& r) -> TModalResult {
        shown.push_back(r);
        return mrOk;
    });
    notPng->SetPosition(0);
    list->LoadFromPngStream(*notPng);
    SetDialogHook(old);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Kind, dkMessageDlg);
    EXPECT_EQ(shown[0].Text, UnicodeString(L"Cannot load from stream\r\nInvalid or unexpected image format."));
    EXPECT_EQ(list->Items()->Count(), 0);
}

TEST_F(SkinAlphaImageList, RenderingsKeepAlphaAndUseTheCacheForOneSize)
{
    auto list = NewList();
    ASSERT_TRUE(AddPng(*list, HalfPng()));
    ASSERT_TRUE(list->TryLoadFromFile(dir.Write(L"a.bmp", Bmp32Bytes())));
    for (int index : {0, 1}) {
        for (int size : {8, 16, 24}) {
            auto bmp = list->CreateBitmap32(index, size, size);
            ASSERT_TRUE(bmp) << index << " " << size;
            EXPECT_EQ(bmp->Width(), size);
            EXPECT_EQ(bmp->PixelFormat(), pf32bit);
            EXPECT_EQ(Px(*bmp, size / 8, size / 2), kRed) << index << " " << size;
            const Word right = Px(*bmp, size - 1 - size / 8, size / 2);
            EXPECT_NEAR(ByteA(right), 128, 3) << index << " " << size;
            EXPECT_GT(ByteB(right), 240) << index << " " << size;
        }
        TBitmap target(16, 16, pf32bit);
        ASSERT_TRUE(list->GetBitmap32(index, &target));
        EXPECT_EQ(Px(target, 2, 8), kRed);
        EXPECT_NEAR(ByteA(Px(target, 13, 8)), 128, 3);
    }

    // Cache: the same size comes from it even when the bytes no longer decode; another size
    // drops it and, with bad bytes, renders nothing.
    TsImgListItem& item = *list->Items()->Items(0);
    auto first = list->CreateBitmap32(0, 16, 16);
    ASSERT_TRUE(item.CacheBmp);
    item.ImgData->SetSize(20);
    auto again = list->CreateBitmap32(0, 16, 16);
    ASSERT_TRUE(again);
    EXPECT_EQ(Px(*again, 2, 8), Px(*first, 2, 8));
    EXPECT_FALSE(list->CreateBitmap32(0, 12, 12));
    EXPECT_FALSE(item.CacheBmp);
    TBitmap target(16, 16, pf32bit);
    EXPECT_FALSE(list->GetBitmap32(0, &target));
    // Indexes outside the items render nothing.
    EXPECT_FALSE(list->CreateBitmap32(2, 16, 16));
    EXPECT_FALSE(list->CreateBitmap32(-1, 16, 16));
    EXPECT_FALSE(list->GetBitmap32(5, &target));
}

TEST_F(SkinAlphaImageList, PngRenderingsAreTonedToTheBlendColourUnlessSwitchedOff)
{
    auto list = NewList();
    ASSERT_TRUE(AddPng(*list, PngOf(4, 4, [](int, int) { return Argb(255, 200, 100, 50); })));
    ASSERT_TRUE(list->TryLoadFromFile(dir.Write(L"a.bmp", Bmp32Bytes())));
    list->SetUseCache(false);
    const Word plain = Px(*list->CreateBitmap32(0, 4, 4), 1, 1);
    list->SetBlendColor(static_cast<TColor>(0x0000FF)); // red
    const Word toned = Px(*list->CreateBitmap32(0, 4, 4), 1, 1);
    EXPECT_NE(toned, plain);
    EXPECT_EQ(ByteG(toned), 0);
    EXPECT_EQ(ByteB(toned), 0);
    EXPECT_EQ(Px(*list->CreateBitmap32(1, 8, 8), 1, 1), kRed) << "BMP items are not toned";
    acIgnoreBlendColor = true;
    EXPECT_EQ(Px(*list->CreateBitmap32(0, 4, 4), 1, 1), plain);
    acIgnoreBlendColor = false;
}

TEST_F(SkinAlphaImageList, TheCacheFollowsTheBlendColourAndTheSwitch)
{
    // A list of the item's size, so that GetBitmap32 keeps its rendering in the cache too.
    auto list = NewList(4, 4);
    ASSERT_TRUE(AddPng(*list, PngOf(4, 4, [](int, int) { return Argb(255, 200, 100, 50); })));
    ASSERT_TRUE(list->UseCache());
    const auto created = [&] { return Px(*list->CreateBitmap32(0, 4, 4), 1, 1); };
    const auto got = [&] {
        TBitmap target(4, 4, pf32bit);
        EXPECT_TRUE(list->GetBitmap32(0, &target));
        return Px(target, 1, 1);
    };
    const Word plain = created();
    list->SetBlendColor(static_cast<TColor>(0x0000FF)); // red
    const Word toned = created();
    EXPECT_NE(toned, plain) << "the untoned rendering in the cache is stale";
    EXPECT_EQ(ByteG(toned), 0);
    EXPECT_EQ(ByteB(toned), 0);
    // GetBitmap32 does not tone, whether the cache holds a toned rendering or nothing.
    EXPECT_EQ(got(), plain) << "warm cache";
    list->ClearCache(-1);
    EXPECT_EQ(got(), plain) << "cold cache";
    EXPECT_EQ(created(), toned) << "after GetBitmap32 left an untoned rendering";
    acIgnoreBlendColor = true;
    EXPECT_EQ(created(), plain) << "switched off";
    acIgnoreBlendColor = false;
    EXPECT_EQ(created(), toned) << "switched on again";
    list->SetBlendColor(static_cast<TColor>(0xFF0000)); // blue
    EXPECT_EQ(ByteR(created()), 0) << "another colour";
    list->SetBlendColor(clNone);
    EXPECT_EQ(created(), plain) << "no colour";
}

TEST_F(SkinAlphaImageList, NativeImagesOfANonSquareListAreThePictureAtTheListsSize)
{
    // An opaque 8x4 picture whose rows differ; the native list is 32x16. Its image is the
    // picture resampled once to 32x16, not passed through a picture of another shape.
    const auto colour = [](int x, int y) { return Argb(255, 40 + 60 * y, 30 * x, 220 - 50 * y); };
    auto list = NewList(32, 16);
    ASSERT_TRUE(AddPng(*list, PngOf(8, 4, colour)));
    list->GenerateStdList();
    ASSERT_EQ(NativeCount(*list), 1);
    EXPECT_EQ(NativeSize(*list), TSize(32, 16));
    auto native = Bmp32(32, 16, Argb(255, 255, 255, 255));
    ImageList_Draw(list->Handle(), 0, native->Canvas()->Handle(), 0, 0, ILD_NORMAL);
    SaveBitmapAsPng(*native, L"skin_alpha_list_wide_native.png");

    auto picture = Bmp32(8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) SetPx(*picture, x, y, colour(x, y));
    auto expected = Bmp32(32, 16);
    Stretch(picture.get(), expected.get(), 32, 16, ftMitchell);
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const Word got = Px(*native, x, y), want = Px(*expected, x, y);
            const bool close = std::abs(ByteR(got) - ByteR(want)) <= 1 && std::abs(ByteG(got) - ByteG(want)) <= 1 &&
                              std::abs(ByteB(got) - ByteB(want)) <= 1;
            if (!close && ++wrong <= 4)
                ADD_FAILURE() << x << "," << y << ": " << std::hex << got << " instead of " << want;
        }
    EXPECT_EQ(wrong, 0);
}

namespace {

// 12x4 strip of three 4x4 cells: opaque red, green at alpha 128, opaque blue.
Bytes StripPng()
{
    return PngOf(12, 4, [](int x, int) {
        return x < 4 ? kRed : x < 8 ? Argb(128, 0, 255, 0) : Argb(255, 0, 0, 255);
    });
}

} // namespace

TEST_F(SkinAlphaImageList, DrawAlphaImgListComposesTheChosenCell)
{
    auto list = NewList(12, 4);
    ASSERT_TRUE(AddPng(*list, StripPng()));
    constexpr Word kBack = Argb(255, 40, 40, 40);
    struct Case {
        int ppi, glyphs, state, blend;
        TColor color;
        bool reflected;
    } cases[] = {
        {96, 1, 0, 0, clNone, false},  {96, 3, 0, 0, clNone, false},  {96, 3, 1, 0, clNone, false},
        {96, 3, 7, 0, clNone, false},  {144, 3, 2, 0, clNone, false}, {96, 3, 0, 50, clNone, false},
        {96, 3, 1, 0, static_cast<TColor>(0x808080), false},          {96, 3, 0, 0, clNone, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.ppi << " " << c.glyphs << " " << c.state << " " << c.blend << " "
                                          << c.reflected);
        auto dest = Bmp32(40, 20, kBack);
        const TSize size = DrawAlphaImgList(list.get(), dest.get(), 3, 2, 0, c.blend, c.color, c.state, c.glyphs,
                                            c.reflected, c.ppi);
        const int w = 12 * c.ppi / 96, h = 4 * c.ppi / 96, cell = w / c.glyphs;
        EXPECT_EQ(size, TSize(cell, h));
        // The same composition made directly from the list's rendering.
        auto expected = Bmp32(40, 20, kBack);
        const int s = std::min(c.state, c.glyphs - 1);
        CopyBmp32(TRect(3, 2, 3 + cell, 2 + h), TRect(s * cell, 0, s * cell + cell, h), expected.get(),
                  list->CreateBitmap32(0, w, h).get(), EmptyCI, false, c.color, c.blend, c.reflected);
        bool same = true;
        for (int y = 0; y < 20 && same; ++y)
            for (int x = 0; x < 40 && same; ++x) same = Px(*dest, x, y) == Px(*expected, x, y);
        EXPECT_TRUE(same);
        EXPECT_EQ(list->PixelsPerInch, 96);
    }
    // The cell picked by the state, at its place, opaque over the background.
    auto dest = Bmp32(20, 10, kBack);
    DrawAlphaImgList(list.get(), dest.get(), 5, 3, 0, 0, clNone, 2, 3, false, 96);
    for (TPoint p : {TPoint(5, 3), TPoint(8, 6)}) {
        EXPECT_GE(ByteB(Px(*dest, p.X, p.Y)), 250);
        EXPECT_LE(ByteR(Px(*dest, p.X, p.Y)) + ByteG(Px(*dest, p.X, p.Y)), 2);
    }
    EXPECT_EQ(Px(*dest, 9, 6), kBack);
    EXPECT_EQ(Px(*dest, 4, 3), kBack);
    SaveBitmapAsPng(*dest, L"skin_alpha_list_cell.png", true);
}

TEST_F(SkinAlphaImageList, NothingIsDrawnForAMissingOrUndecodableItem)
{
    auto list = NewList();
    ASSERT_TRUE(AddPng(*list, HalfPng()));
    ASSERT_TRUE(AddPng(*list, HalfPng()));
    list->Items()->Items(1)->ImgData->SetSize(30);
    list->ClearCache(-1);
    constexpr Word kBack = Argb(255, 1, 2, 3);
    for (int index : {1, 2, 9, -1}) {
        auto dest = Bmp32(20, 20, kBack);
        EXPECT_EQ(DrawAlphaImgList(list.get(), dest.get(), 0, 0, index, 0, clNone, 0, 1, false, 96), TSize()) << index;
        EXPECT_EQ(Px(*dest, 5, 5), kBack) << index;
    }
    // The native list kept one image per item: the bad one is blank, and the list is not locked.
    list->GenerateStdList();
    EXPECT_FALSE(list->AcChanging);
    EXPECT_EQ(NativeCount(*list), 2);
    ASSERT_TRUE(AddPng(*list, HalfPng()));
    EXPECT_EQ(NativeCount(*list), 3);
}

TEST_F(SkinAlphaImageList, BackgroundColourFillsTheCellAndDcRoutinesPaint)
{
    auto list = NewList();
    ASSERT_TRUE(AddPng(*list, HalfPng()));
    ASSERT_TRUE(list->TryLoadFromFile(dir.Write(L"i.ico", IcoBytes())));
    list->SetBkColor(static_cast<TColor>(0x00FFFF)); // yellow
    auto dest = Bmp32(20, 20, Argb(255, 0, 0, 0));
    DrawAlphaImgList(list.get(), dest.get(), 0, 0, 0, 0, clNone, 0, 1, false, 96);
    EXPECT_EQ(Px(*dest, 17, 17) & 0xFFFFFF, 0u) << "outside the cell";
    const Word right = Px(*dest, 13, 8);
    EXPECT_GT(ByteR(right), 100);
    EXPECT_GT(ByteB(right), 100) << "half blue over yellow";
    list->SetBkColor(clNone);

    // Onto a DC, and through the list's own Draw (PNG rendered, ICO from the native list).
    TBitmap canvas(60, 20, pf32bit);
    canvas.Canvas()->Brush()->SetColor(clWhite);
    canvas.Canvas()->FillRect(TRect(0, 0, 60, 20));
    DrawAlphaImgListDC(list.get(), canvas.Canvas()->Handle(), 2, 2, 0, 0, clNone, 0, 1, false, 96);
    list->Draw(canvas.Canvas(), 20, 2, 0);
    list->Draw(canvas.Canvas(), 40, 2, 1);
    for (int x : {2, 20, 40}) {
        EXPECT_EQ(ScanPixel(canvas, x + 2, 8), clRed) << x;
        const TColor blend = ScanPixel(canvas, x + 13, 8);
        EXPECT_NEAR(GetBValue(blend), 255, 2) << x;
        EXPECT_NEAR(GetRValue(blend), 127, 3) << x << " half blue over white";
    }
    EXPECT_EQ(ScanPixel(canvas, 1, 1), clWhite);
    SaveBitmapAsPng(canvas, L"skin_alpha_list_dc.png");
}

TEST_F(SkinAlphaImageList, FormTextKeepsTheItemBytesAndRegeneratesTheNativeList)
{
    TComponent root(nullptr);
    root.SetName(L"Root");
    auto* list = new TsAlphaImageList(&root);
    list->AfterConstruction();
    list->SetName(L"Images");
    list->SetDimension(0, 24);
    list->SetDimension(1, 24);
    ASSERT_TRUE(AddPng(*list, HalfPng()));
    ASSERT_TRUE(list->TryLoadFromFile(dir.Write(L"icon.ico", IcoBytes())));
    ASSERT_TRUE(list->TryLoadFromFile(dir.Write(L"pic.bmp", Bmp32Bytes())));
    list->Items()->Items(0)->SetText(L"first");
    const UnicodeString text = WriteComponentToText(&root);
    EXPECT_NE(text.find(L"ImgData = {"), UnicodeString::npos);
    EXPECT_EQ(text.find(L"Bitmap"), UnicodeString::npos) << "no native images in the form";

    TComponent copyRoot(nullptr);
    copyRoot.SetName(L"Root");
    ReadComponentFromText(&copyRoot, text);
    auto* copy = dynamic_cast<TsAlphaImageList*>(copyRoot.FindComponent(L"Images"));
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->Items()->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(BytesOf(*copy->Items()->Items(i)->ImgData), BytesOf(*list->Items()->Items(i)->ImgData)) << i;
        EXPECT_EQ(copy->Items()->Items(i)->ImageFormat(), list->Items()->Items(i)->ImageFormat()) << i;
        EXPECT_EQ(copy->Items()->Items(i)->ImageName(), list->Items()->Items(i)->ImageName()) << i;
    }
    EXPECT_EQ(copy->Items()->Items(0)->Text(), UnicodeString(L"first"));
    EXPECT_EQ(copy->Width(), 24);
    ASSERT_TRUE(copy->HandleAllocated());
    EXPECT_EQ(NativeCount(*copy), 3);
    EXPECT_EQ(NativeSize(*copy), TSize(24, 24));
    EXPECT_EQ(WriteComponentToText(&copyRoot), text);

    // Outside writing, the list data is an empty 1 x 1 list.
    TMemoryStream data;
    list->WriteData(data);
    ASSERT_GT(data.Size(), 0);
    data.SetPosition(0);
    IStream* adapter = CreateStreamAdapter(data);
    HIMAGELIST read = ImageList_Read(adapter);
    adapter->Release();
    ASSERT_TRUE(read);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(read, &cx, &cy);
    EXPECT_EQ(ImageList_GetImageCount(read), 0);
    EXPECT_EQ(cx, 1);
    EXPECT_EQ(cy, 1);
    ImageList_Destroy(read);
}

TEST_F(SkinAlphaImageList, EditsKeepItemsAndNativeImagesInStep)
{
    auto list = NewList();
    auto colourPng = [](Word c) { return PngOf(16, 16, [c](int, int) { return c; }); };
    const Word colours[] = {Argb(255, 255, 0, 0), Argb(255, 0, 255, 0), Argb(255, 0, 0, 255)};
    for (Word c : colours) ASSERT_TRUE(AddPng(*list, colourPng(c)));
    auto nativeColour = [&](int index) {
        auto bmp = Bmp32(16, 16, Argb(255, 255, 255, 255));
        ImageList_Draw(list->Handle(), index, bmp->Canvas()->Handle(), 0, 0, ILD_NORMAL);
        return Px(*bmp, 8, 8) & 0xFFFFFF;
    };
    auto itemColour = [&](int index) { return Px(*list->CreateBitmap32(index, 16, 16), 8, 8) & 0xFFFFFF; };
    auto inStep = [&](std::vector<Word> want) {
        ASSERT_EQ(list->Items()->Count(), static_cast<int>(want.size()));
        ASSERT_EQ(NativeCount(*list), static_cast<int>(want.size()));
        for (int i = 0; i < static_cast<int>(want.size()); ++i) {
            EXPECT_EQ(itemColour(i), want[i] & 0xFFFFFF) << i;
            EXPECT_EQ(nativeColour(i), want[i] & 0xFFFFFF) << i;
        }
    };
    inStep({colours[0], colours[1], colours[2]});

    list->MoveItem(0, 2);
    inStep({colours[1], colours[2], colours[0]});
    list->Delete(1);
    inStep({colours[1], colours[0]});
    auto grey = Bmp32(16, 16, Argb(255, 90, 90, 90));
    EXPECT_EQ(list->Add(grey.get(), nullptr), 2);
    inStep({colours[1], colours[0], Argb(255, 90, 90, 90)});
    EXPECT_EQ(list->Items()->Items(2)->ImageFormat(), ifBMP32);
    TBitmap white(16, 16, pf24bit);
    white.Canvas()->Brush()->SetColor(clWhite);
    white.Canvas()->FillRect(TRect(0, 0, 16, 16));
    list->Replace(0, &white);
    inStep({Argb(255, 255, 255, 255), colours[0], Argb(255, 90, 90, 90)});

    auto other = NewList();
    EXPECT_EQ(other->AddImage(list.get(), 1), 1) << "the item count";
    EXPECT_EQ(other->AddImage(list.get(), 2), 2);
    EXPECT_EQ(other->AddImage(list.get(), 7), -1);
    EXPECT_EQ(NativeCount(*other), 2);

    auto copy = NewList(32, 32);
    copy->Assign(list.get());
    EXPECT_EQ(copy->Width(), 16);
    ASSERT_EQ(copy->Items()->Count(), 3);
    EXPECT_EQ(NativeCount(*copy), 3);
    EXPECT_EQ(BytesOf(*copy->Items()->Items(1)->ImgData), BytesOf(*list->Items()->Items(1)->ImgData));

    // Held updates change nothing native until they end with a regeneration.
    list->AcBeginUpdate();
    list->Items()->Add()->Assign(list->Items()->Items(1));
    EXPECT_EQ(NativeCount(*list), 3);
    list->AcEndUpdate(true);
    inStep({Argb(255, 255, 255, 255), colours[0], Argb(255, 90, 90, 90), colours[0]});

    // A new size renders the native images again at that size.
    list->SetDimension(0, 24);
    list->SetDimension(1, 24);
    EXPECT_EQ(NativeSize(*list), TSize(24, 24));
    EXPECT_EQ(NativeCount(*list), 4);

    list->Clear();
    EXPECT_EQ(list->Items()->Count(), 0);
    EXPECT_EQ(NativeCount(*list), 0);
}

TEST_F(SkinAlphaImageList, ListsAreVisitedInCreationOrderUntilDestroyed)
{
    std::vector<TCustomImageList*> seen;
    auto collect = [&](TCustomImageList* l, std::intptr_t data) {
        EXPECT_EQ(data, 7);
        seen.push_back(l);
    };
    IterateImageLists(collect, 7);
    const std::size_t before = seen.size();
    auto a = NewList();
    auto b = NewList();
    auto c = NewList();
    TImageList plain(nullptr);
    b.reset();
    seen.clear();
    IterateImageLists(collect, 7);
    ASSERT_EQ(seen.size(), before + 2);
    EXPECT_EQ(seen[before], a.get());
    EXPECT_EQ(seen[before + 1], c.get());

    // A native list of icons only is read back into ICO items, counted at once.
    auto icons = NewList();
    ASSERT_TRUE(AddImageFromRes(GetModuleHandleW(nullptr), icons.get(), L"SKINALPHAICON", ifICO));
    EXPECT_EQ(icons->Items()->Count(), 0);
    EXPECT_EQ(icons->Count(), 1);
    ASSERT_EQ(icons->Items()->Count(), 1);
    EXPECT_EQ(icons->Items()->Items(0)->ImageFormat(), ifICO);
    auto bmp = icons->CreateBitmap32(0, 16, 16);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(Px(*bmp, 2, 8), kRed);
    EXPECT_NEAR(ByteA(Px(*bmp, 12, 8)), 128, 1);

    // Sizes of images as controls draw them.
    EXPECT_EQ(GetImageCount(nullptr), 0);
    EXPECT_EQ(GetImageCount(icons.get()), 1);
    plain.SetSize(20, 10);
    EXPECT_EQ(GetImageWidth(&plain, 0, 144), 30);
    EXPECT_EQ(GetImageHeight(&plain, 0, 144), 15);
    EXPECT_EQ(GetImageWidth(a.get(), -1, 120), 20);
    EXPECT_EQ(GetImageHeight(nullptr, 0, 96), 0);
}
