#include "Graphics.h"
#include "graphics_test_util.h"

#include <gtest/gtest.h>

namespace {

class TMarkedBitmap : public TBitmap {
public:
    UnicodeString ClassName() const override { return L"TMarkedBitmap"; }
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TMarkedBitmap>(); }
};

// Files in the test's working folder (the build folder), removed again at the end.
class Picture : public ::testing::Test {
protected:
    void SetUp() override
    {
        TBitmap bmp(6, 4, pf24bit);
        bmp.Canvas()->Brush()->SetColor(clTeal);
        bmp.Canvas()->FillRect(Rect(0, 0, 6, 4));
        bmp.SaveToFile(kBmp);
        TBitmap image(16, 16, pf32bit), mask(16, 16, pf1bit);
        ICONINFO info{TRUE, 0, 0, mask.Handle(), image.Handle()};
        TIcon icon;
        icon.SetHandle(::CreateIconIndirect(&info));
        icon.SaveToFile(kIco);
        TFileStream bad(kBad, fmCreate);
        bad.WriteBuffer("BMnot really", 12);
    }
    void TearDown() override
    {
        for (auto name : {kBmp, kIco, kBad}) ::DeleteFileW(name);
    }

    static constexpr const wchar_t* kBmp = L"graphics_tests_picture.bmp";
    static constexpr const wchar_t* kIco = L"graphics_tests_picture.ICO";
    static constexpr const wchar_t* kBad = L"graphics_tests_picture_bad.bmp";
};

} // namespace

TEST_F(Picture, LoadsByExtension)
{
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    picture.LoadFromFile(kBmp);
    auto* bitmap = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(picture.Width(), 6);
    EXPECT_EQ(picture.Height(), 4);
    EXPECT_EQ(bitmap->Canvas()->Pixels(5, 3), clTeal);
    EXPECT_GE(changes, 1);
    const int afterLoad = changes;
    bitmap->Canvas()->SetPixels(0, 0, clRed);
    EXPECT_GT(changes, afterLoad) << "changes of the graphic reach the picture";

    picture.LoadFromFile(kIco);  // extension in any case
    EXPECT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 16);

    EXPECT_THROW(picture.LoadFromFile(L"picture.xyz"), EInvalidGraphic);
    EXPECT_THROW(picture.LoadFromFile(kBad), EInvalidGraphic);
    EXPECT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr) << "a failed load keeps the picture";
}

TEST_F(Picture, LatestRegistrationWins)
{
    const TGraphicClass marked = &GraphicClass<TMarkedBitmap>;
    TPicture::RegisterFileFormat(L"BMP", L"Marked bitmaps", marked);
    EXPECT_EQ(TPicture::FileFormatClass(L".bmp"), marked);
    TPicture picture;
    picture.LoadFromFile(kBmp);
    EXPECT_EQ(picture.Graphic()->ClassName(), L"TMarkedBitmap");
    TPicture::UnregisterGraphicClass(marked);
    picture.LoadFromFile(kBmp);
    EXPECT_EQ(picture.Graphic()->ClassName(), L"TBitmap");
    EXPECT_EQ(TPicture::FileFormatClass(L"png"), nullptr);
}

TEST_F(Picture, GraphicIsCopiedAndKindReplaced)
{
    TMarkedBitmap source;
    source.SetPixelFormat(pf32bit);
    source.SetSize(3, 3);
    source.Canvas()->SetPixels(1, 1, clBlue);
    TPicture picture;
    picture.SetGraphic(&source);
    ASSERT_NE(picture.Graphic(), &source);
    EXPECT_EQ(picture.Graphic()->ClassName(), L"TMarkedBitmap");
    source.Canvas()->SetPixels(1, 1, clRed);
    EXPECT_EQ(picture.Bitmap()->Canvas()->Pixels(1, 1), clBlue);

    TPicture other;
    other.Assign(&picture);
    EXPECT_EQ(other.Bitmap()->Canvas()->Pixels(1, 1), clBlue);

    TIcon* icon = picture.Icon();  // a bitmap picture asked for its icon gets an empty one
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->Empty());
    picture.SetGraphic(nullptr);
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Width(), 0);
}

TEST(GraphicProgress, ReachesTheEventWithItsArguments)
{
    class TSteppedBitmap : public TBitmap {
    public:
        void Step() { Progress(this, psRunning, 40, true, Rect(1, 2, 3, 4), L"Working"); }
    };
    TSteppedBitmap bmp;
    bmp.Step(); // no handler: nothing happens
    int calls = 0;
    bmp.OnProgress = [&](TObject* sender, TProgressStage stage, std::uint8_t percent, bool redraw, const TRect& r,
                         const UnicodeString& msg) {
        ++calls;
        EXPECT_EQ(sender, &bmp);
        EXPECT_EQ(stage, psRunning);
        EXPECT_EQ(percent, 40);
        EXPECT_TRUE(redraw);
        EXPECT_EQ(r, Rect(1, 2, 3, 4));
        EXPECT_EQ(msg, L"Working");
    };
    bmp.Step();
    EXPECT_EQ(calls, 1);
}
