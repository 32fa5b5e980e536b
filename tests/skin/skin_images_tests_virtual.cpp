// Virtual image list: views of alpha and glyph lists at their own size and colour, the render
// cache and its invalidation, the native list, the source's changes and removal, and the sizes
// the image routines give a view.
#include "../framework/graphics_png.h"
#include "FormReader.h"
#include "acAlphaImageList.h"
#include "acAlphaImageListChar.h"
#include "acAlphaImageListVirtual.h"
#include "acGPUtils.h"
#include "sGraphUtils.h"
#include "sThirdParty.h"
#include "skin_graphics_test_pixels.h"
#include "skin_images_png_writer.h"

#include <gtest/gtest.h>

namespace {

using png_writer::Bytes;

constexpr Word kRed = Argb(255, 255, 0, 0);
constexpr Word kHalfBlue = Argb(128, 0, 0, 255);
constexpr Word kQuarterGreen = Argb(64, 0, 255, 0);
constexpr std::uint16_t kSquare = 0xF0C8; // filled square of the icon font

template <class F>
Bytes PngOf(int w, int h, F f)
{
    png_writer::Image img{w, h, 6, 8, {}, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Word c = f(x, y);
            img.samples.insert(img.samples.end(),
                               {unsigned(ByteR(c)), unsigned(ByteG(c)), unsigned(ByteB(c)), unsigned(ByteA(c))});
        }
    return png_writer::Write(img);
}

bool AddPng(TsAlphaImageList& list, const Bytes& bytes)
{
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
    s.SetPosition(0);
    return list.TryLoadFromPngStream(s);
}

// 16 x 16: left half opaque red, right half blue at alpha 128.
Bytes HalfPng() { return PngOf(16, 16, [](int x, int) { return x < 8 ? kRed : kHalfBlue; }); }
Bytes GreenPng() { return PngOf(16, 16, [](int, int) { return kQuarterGreen; }); }

std::unique_ptr<TsAlphaImageList> AlphaList(TComponent* owner = nullptr)
{
    auto list = std::make_unique<TsAlphaImageList>(owner);
    list->AfterConstruction();
    list->SetDimension(0, 16);
    list->SetDimension(1, 16);
    list->Handle();
    EXPECT_TRUE(AddPng(*list, HalfPng()));
    EXPECT_TRUE(AddPng(*list, GreenPng()));
    // As a loaded list is: from now on its edits are announced to its change links.
    list->GenerateStdList();
    return list;
}

std::unique_ptr<TsCharImageList> GlyphList()
{
    auto list = std::make_unique<TsCharImageList>(nullptr);
    list->AfterConstruction();
    list->SetDimension(0, 16);
    list->SetDimension(1, 16);
    list->Handle();
    TacCharItemData d;
    d.CharCode = kSquare;
    list->AddItem(d); // no colour of its own: drawn in the colour asked for
    return list;
}

std::unique_ptr<TsVirtualImageList> View(TacImageList* source, int size)
{
    auto view = std::make_unique<TsVirtualImageList>(nullptr);
    view->SetInteger(0, size);
    view->SetInteger(1, size);
    view->SetAlphaImageList(source);
    return view;
}

int NativeCount(TCustomImageList& list) { return ImageList_GetImageCount(list.Handle()); }

TSize NativeSize(TCustomImageList& list)
{
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list.Handle(), &cx, &cy);
    return {cx, cy};
}

// A 32 x 32 white canvas whose font has that colour.
std::unique_ptr<TBitmap> Canvas(TColor fontColor)
{
    auto bmp = Bmp32(32, 32, Argb(255, 255, 255, 255));
    bmp->Canvas()->Font()->SetColor(fontColor);
    return bmp;
}

class SkinVirtualImageList : public ::testing::Test {
protected:
    void SetUp() override
    {
        acGPUtilsInitialization();
        acAlphaImageListInitialization();
    }
    void TearDown() override
    {
        acAlphaImageListFinalization();
        acGPUtilsFinalization();
    }
};

} // namespace

TEST_F(SkinVirtualImageList, ViewOfAnAlphaListRendersAtItsOwnSizeAndFollowsTheSource)
{
    auto source = AlphaList();
    auto view = View(source.get(), 32);

    EXPECT_EQ(view->Count(), 2);
    EXPECT_EQ(NativeCount(*view), 2);
    EXPECT_EQ(NativeSize(*view), (TSize{32, 32}));
    EXPECT_DOUBLE_EQ(view->ScaleValue(), 2.0);

    // Every index at 32 x 32 with the source's alpha, through the cache and around it.
    for (int index = 0; index < 2; ++index) {
        auto bmp = CreateBmp32(32, 32);
        ASSERT_TRUE(view->GetBitmap32(index, bmp.get()));
        ASSERT_NE(view->CachedImages[static_cast<std::size_t>(index)], nullptr);
        if (index == 0) {
            EXPECT_EQ(Px(*bmp, 4, 16), kRed);
            EXPECT_EQ(Px(*bmp, 28, 16), kHalfBlue);
        } else {
            EXPECT_EQ(Px(*bmp, 16, 16), kQuarterGreen);
        }
        auto made = view->CreateBitmap32(index);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->Width(), 32);
        EXPECT_EQ(Px(*made, 16, 16), Px(*bmp, 16, 16));

        auto dest = Bmp32(40, 40, Argb(255, 255, 255, 255));
        EXPECT_EQ(DrawAlphaImgList(view.get(), dest.get(), 4, 4, index, 0, clNone, 0, 1, false), (TSize{32, 32}));
        const Word drawn = Px(*dest, 4 + 16, 4 + 16);
        if (index == 0) {
            EXPECT_EQ(Px(*dest, 4 + 4, 4 + 16), kRed);
        } else {
            EXPECT_EQ(ByteG(drawn), 255);
            EXPECT_GT(ByteR(drawn), 150) << "a quarter of green over white";
            EXPECT_LT(ByteR(drawn), 230);
        }
        EXPECT_EQ(Px(*dest, 2, 2), Argb(255, 255, 255, 255));
        SaveBitmapAsPng(*dest, L"skin_virtual_alpha_" + std::to_wstring(index) + L".png", true);
    }
    EXPECT_EQ(view->CreateBitmap32(2), nullptr);

    // On a DC, a reflection of half the image's height beneath it.
    constexpr Word kWhite = Argb(255, 255, 255, 255);
    auto dc = Bmp32(40, 60, kWhite);
    DrawAlphaImgListDC(view.get(), dc->Canvas()->Handle(), 4, 4, 0, 0, clNone, 0, 1, true, 96);
    SaveBitmapAsPng(*dc, L"skin_virtual_dc_reflected.png", true);
    EXPECT_EQ(Px(*dc, 8, 20), kRed);
    EXPECT_NE(Px(*dc, 8, 4 + 32 + 1), kWhite);
    EXPECT_EQ(Px(*dc, 8, 4 + 48 + 2), kWhite);

    // The source's changes reach the view through the change link.
    ASSERT_TRUE(AddPng(*source, GreenPng()));
    EXPECT_EQ(view->Count(), 3);
    EXPECT_EQ(NativeCount(*view), 3);
    source->Delete(0);
    EXPECT_EQ(view->Count(), 2);
    EXPECT_EQ(NativeCount(*view), 2);
    // Locked, the view waits with its native list until the update ends.
    view->AcBeginUpdate();
    ASSERT_TRUE(AddPng(*source, HalfPng()));
    EXPECT_EQ(NativeCount(*view), 2);
    view->AcEndUpdate(true);
    EXPECT_EQ(NativeCount(*view), 3);
    source->Delete(2);
    auto bmp = CreateBmp32(32, 32);
    ASSERT_TRUE(view->GetBitmap32(0, bmp.get()));
    EXPECT_EQ(Px(*bmp, 4, 16), kQuarterGreen) << "no rendering of the deleted item is reused";

    // A new size re-creates the native list at that size.
    view->SetInteger(0, 24);
    view->SetInteger(1, 24);
    EXPECT_EQ(NativeSize(*view), (TSize{24, 24}));
    EXPECT_EQ(NativeCount(*view), 2);
    EXPECT_DOUBLE_EQ(view->ScaleValue(), 1.5);

    // Drawn at 144 PPI the cache holds a larger rendering: a copy at the list's size is not it.
    SetImagesPPI(view.get(), 144);
    auto wide = Bmp32(48, 48, Argb(255, 255, 255, 255));
    view->Draw(wide->Canvas(), 0, 0, 0);
    ASSERT_EQ(view->CachedImages.at(0)->Width(), 36);
    SetImagesPPI(view.get(), 96);
    auto exact = CreateBmp32(24, 24);
    ASSERT_TRUE(view->GetBitmap32(0, exact.get()));
    EXPECT_EQ(exact->Width(), 24);
    EXPECT_EQ(exact->Height(), 24);
    EXPECT_EQ(Px(*exact, 12, 12), kQuarterGreen);
}

TEST_F(SkinVirtualImageList, WithoutSourceNothingIsShownAndTheSourcesEndIsHeard)
{
    auto view = View(nullptr, 32);
    EXPECT_EQ(view->Count(), 0);
    EXPECT_DOUBLE_EQ(view->ScaleValue(), 1.0);
    auto dest = Canvas(clBlack);
    EXPECT_EQ(DrawAlphaImgList(view.get(), dest.get(), 0, 0, 0, 0, clNone, 0, 1, false), (TSize{}));
    view->Draw(dest->Canvas(), 0, 0, 0);
    EXPECT_EQ(Px(*dest, 16, 16), Argb(255, 255, 255, 255));
    auto bmp = CreateBmp32(32, 32);
    EXPECT_FALSE(view->GetBitmap32(0, bmp.get()));

    // The source freed: the view lets it go and shows nothing.
    auto source = AlphaList();
    view->SetAlphaImageList(source.get());
    EXPECT_EQ(view->Count(), 2);
    source.reset();
    EXPECT_EQ(view->AlphaImageList(), nullptr);
    EXPECT_EQ(view->Count(), 0);
    EXPECT_EQ(NativeCount(*view), 0);

    // Without the native list the view still renders but keeps no native images.
    source = AlphaList();
    auto plain = std::make_unique<TsVirtualImageList>(nullptr);
    plain->SetStdHandleUsed(false);
    plain->SetInteger(0, 32);
    plain->SetInteger(1, 32);
    plain->SetAlphaImageList(source.get());
    EXPECT_EQ(plain->Count(), 2);
    EXPECT_EQ(NativeCount(*plain), 0);
    ASSERT_TRUE(plain->GetBitmap32(1, bmp.get()));
    EXPECT_EQ(Px(*bmp, 16, 16), kQuarterGreen);

    // Turning the cache off frees every cached rendering at once.
    plain->RenderCacheNow(-1);
    EXPECT_NE(plain->CachedImages.at(0), nullptr);
    EXPECT_NE(plain->CachedImages.at(1), nullptr);
    // A new size drops the renderings at the old one, also without a native list to rebuild.
    plain->SetInteger(0, 24);
    plain->SetInteger(1, 24);
    auto small = CreateBmp32(24, 24);
    ASSERT_TRUE(plain->GetBitmap32(1, small.get()));
    EXPECT_EQ(small->Width(), 24);
    EXPECT_EQ(small->Height(), 24);
    EXPECT_EQ(Px(*small, 12, 12), kQuarterGreen);
    plain->SetUseCache(false);
    EXPECT_TRUE(plain->CachedImages.empty());
    ASSERT_TRUE(plain->GetBitmap32(0, bmp.get()));
    EXPECT_TRUE(plain->CachedImages.empty()) << "rendered straight by the source";
    EXPECT_EQ(Px(*bmp, 4, 16), kRed);
    plain->SetStdHandleUsed(true);
    EXPECT_EQ(NativeCount(*plain), 2);
    EXPECT_EQ(NativeSize(*plain), (TSize{24, 24}));
}

TEST_F(SkinVirtualImageList, ViewOfAGlyphListDrawsInTheCanvasColourAndRendersAgainWhenStale)
{
    auto source = GlyphList();
    auto view = View(source.get(), 16);
    ASSERT_EQ(view->Count(), 1);
    view->ClearItems(-1);

    auto red = Canvas(static_cast<TColor>(0x0000FF));
    view->Draw(red->Canvas(), 8, 8, 0);
    EXPECT_EQ(Px(*red, 16, 16), kRed);
    ASSERT_EQ(view->CachedImages.size(), 1u);
    TBitmap* cached = view->CachedImages[0].get();
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(cached->Canvas()->Font()->Color(), static_cast<TColor>(0x0000FF));

    auto blue = Canvas(static_cast<TColor>(0xFF0000));
    view->Draw(blue->Canvas(), 8, 8, 0);
    EXPECT_EQ(Px(*blue, 16, 16), Argb(255, 0, 0, 255)) << "the red rendering is not reused";
    EXPECT_EQ(view->CachedImages[0]->Canvas()->Font()->Color(), static_cast<TColor>(0xFF0000));
    SaveBitmapAsPng(*blue, L"skin_virtual_glyph_blue.png", true);

    // A cached bitmap with one side right and the other wrong is rendered anew.
    auto stale = Bmp32(16, 20, Argb(255, 0, 255, 0));
    stale->Canvas()->Font()->SetColor(static_cast<TColor>(0xFF0000));
    view->CachedImages[0] = std::move(stale);
    auto again = Canvas(static_cast<TColor>(0xFF0000));
    view->Draw(again->Canvas(), 8, 8, 0);
    EXPECT_EQ(Px(*again, 16, 16), Argb(255, 0, 0, 255));
    EXPECT_EQ(view->CachedImages[0]->Height(), 16);

    // A state above 0 renders around the cache.
    view->ClearItems(-1);
    auto dest = Canvas(static_cast<TColor>(0x0000FF));
    EXPECT_EQ(DrawAlphaImgList(view.get(), dest.get(), 8, 8, 0, 0, clNone, 1, 1, false), (TSize{16, 16}));
    EXPECT_EQ(Px(*dest, 16, 16), kRed);
    EXPECT_TRUE(view->CachedImages.empty() || !view->CachedImages[0]);
    EXPECT_EQ(view->State, 0);
    EXPECT_EQ(view->ForeColor(), clNone);
    EXPECT_EQ(source->State, 0);
    // State 0 goes through the cache.
    EXPECT_EQ(DrawAlphaImgList(view.get(), dest.get(), 8, 8, 0, 0, clNone, 0, 1, false), (TSize{16, 16}));
    ASSERT_FALSE(view->CachedImages.empty());
    EXPECT_NE(view->CachedImages[0], nullptr);

    // An item with a colour of its own keeps it, unless the canvas's font size 0 asks for the
    // canvas colour.
    source->Items()->Items(0)->SetColor(0, static_cast<TColor>(0x00FF00));
    auto own = Canvas(static_cast<TColor>(0x0000FF));
    DrawAlphaImgList(view.get(), own.get(), 8, 8, 0, 0, clNone, 0, 1, false);
    EXPECT_EQ(Px(*own, 16, 16), Argb(255, 0, 255, 0));
    auto asked = Canvas(static_cast<TColor>(0x0000FF));
    asked->Canvas()->Font()->SetSize(0);
    DrawAlphaImgList(view.get(), asked.get(), 8, 8, 0, 0, clNone, 0, 1, false);
    EXPECT_EQ(Px(*asked, 16, 16), kRed);
}

TEST_F(SkinVirtualImageList, SizesOfAViewFollowTheGlyphItemItShows)
{
    auto source = GlyphList();
    TacCharItemData d;
    d.CharCode = kSquare;
    source->AddItem(d);
    source->Items()->Items(0)->SetScalingFactor(1.25);
    source->Items()->Items(0)->SetInteger(1, 2);  // OffsetY
    source->Items()->Items(1)->SetScalingFactor(1.5);
    source->Items()->Items(1)->SetInteger(1, -1);
    auto view = View(source.get(), 16);

    struct Case {
        int index, ppi, width, height;
    };
    // 16 x 1.25 = 20; (16 + 2) x 1.25 = 22.5 -> 22; 16 x 1.5 = 24; (16 + 1) x 1.5 = 25.5 -> 26.
    const Case cases[] = {{0, 96, 20, 22}, {0, 144, 30, 33}, {1, 96, 24, 26}, {-1, 96, 16, 16}, {5, 192, 32, 32}};
    for (const Case& c : cases) {
        EXPECT_EQ(GetImageWidth(view.get(), c.index, c.ppi), c.width) << c.index << " at " << c.ppi;
        EXPECT_EQ(GetImageHeight(view.get(), c.index, c.ppi), c.height) << c.index << " at " << c.ppi;
    }
    // Over an alpha list the view's own size, scaled.
    auto alpha = AlphaList();
    view->SetAlphaImageList(alpha.get());
    EXPECT_EQ(GetImageWidth(view.get(), 0, 120), 20);
    EXPECT_EQ(GetImageHeight(view.get(), 0, 120), 20);
}

TEST_F(SkinVirtualImageList, FormDefinitionBindsTheViewToItsSource)
{
    TComponent root(nullptr);
    root.SetName(L"Root");
    auto* source = AlphaList(&root).release();
    source->SetName(L"Source");
    ReadComponentFromText(&root, L"object Root: TComponent\r\n"
                                 L"  object View: TsVirtualImageList\r\n"
                                 L"    Height = 24\r\n"
                                 L"    Width = 24\r\n"
                                 L"    AlphaImageList = Source\r\n"
                                 L"  end\r\n"
                                 L"end\r\n");
    auto* view = dynamic_cast<TsVirtualImageList*>(root.FindComponent(L"View"));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->AlphaImageList(), source);
    EXPECT_EQ(NativeSize(*view), (TSize{24, 24}));
    EXPECT_EQ(NativeCount(*view), 2);
}
