// Skinned image control: the cache built over the parent's background with the house skin
// active (image-list item, picture, blend, grey, reflection), natural and stretched sizes,
// automatic sizing by alignment, and the answers to the library's commands and messages.
#include "../framework/controls_test_support.h"
#include "../framework/graphics_png.h"
#include "../framework/runtime_test_tempdir.h"
#include "Files.h"
#include "acAlphaImageList.h"
#include "acAlphaImageListVirtual.h"
#include "acImage.h"
#include "skin_test_house_manager.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sCtrlStates.h"
#include "sGraphUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerStartup.h"
#include "skin_graphics_test_pixels.h"
#include "skin_images_png_writer.h"

#include <gtest/gtest.h>

namespace {

constexpr Word kRed = Argb(255, 255, 0, 0);
constexpr Word kHalfBlue = Argb(128, 0, 0, 255);
constexpr Word kLeftBG = Argb(255, 0x20, 0x40, 0x60);
constexpr Word kRightBG = Argb(255, 0x60, 0x50, 0x40);
// An opaque pixel composed over the background: the library's mix at weight 255.
constexpr Word kRedOver = MixPx(kRed, kLeftBG, 255, 255);

png_writer::Bytes HalfPng()
{
    png_writer::Image img{16, 16, 6, 8, {}, {}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const Word c = x < 8 ? kRed : kHalfBlue;
            img.samples.insert(img.samples.end(),
                               {unsigned(ByteR(c)), unsigned(ByteG(c)), unsigned(ByteB(c)), unsigned(ByteA(c))});
        }
    return png_writer::Write(img);
}

// A skinned parent that answers background requests from a cache of its own: left of x = 30
// one colour, right of it another.
class TBackgroundPanel : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    void Prepare()
    {
        cache = Bmp32(Width(), Height());
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) SetPx(*cache, x, y, x < 30 ? kLeftBG : kRightBG);
    }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && HIWORD(message.WParam) == AC_GETBG) {
            auto* bg = reinterpret_cast<TacBGInfo*>(message.LParam);
            bg->Bmp = cache.get();
            bg->Offset = TPoint(0, 0);
            bg->BgType = notReady ? btNotReady : btCache;
            return;
        }
        TCustomControl::WndProc(message);
    }
    std::unique_ptr<TBitmap> cache;
    bool notReady = false;
};

class SkinImageControl : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        sSkinManagerInitialization();
        acAlphaImageListInitialization();
        acImageInitialization();
        manager = ActiveHouseSkinManager(dir.Path());
        ASSERT_TRUE(manager && manager->IsActive());

        form = NewForm(200, 120);
        panel = new TBackgroundPanel(form);
        panel->SetParent(form);
        panel->SetBounds(0, 0, 60, 40);
        panel->Prepare();
        form->Show();
        panel->Handle();

        list = std::make_unique<TsAlphaImageList>(nullptr);
        list->AfterConstruction();
        list->SetDimension(0, 16);
        list->SetDimension(1, 16);
        list->Handle();
        TMemoryStream png;
        const auto bytes = HalfPng();
        png.WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
        png.SetPosition(0);
        ASSERT_TRUE(list->TryLoadFromPngStream(png));

        image = new TsImage(form);
        image->AfterConstruction();
        image->SetParent(panel);
        image->SetBounds(10, 10, 32, 16);
        image->SetImages(list.get());
        image->SetImageIndex(0);
    }
    void TearDown() override
    {
        delete form;
        list.reset();
        manager.reset();
        DefaultManager = nullptr;
        acImageFinalization();
        acAlphaImageListFinalization();
        sSkinManagerFinalization();
        ControlsTest::TearDown();
    }

    // The image painted through WM_PAINT into a bitmap of its size.
    std::unique_ptr<TBitmap> Painted(const wchar_t* png = nullptr)
    {
        auto out = Bmp32(image->Width(), image->Height(), Argb(255, 1, 2, 3));
        image->Perform(WM_PAINT, reinterpret_cast<WPARAM>(out->Canvas()->Handle()), 0);
        FillAlphaRectOpaque(*out);
        if (png) SaveBitmapAsPng(*out, png);
        return out;
    }
    static void FillAlphaRectOpaque(TBitmap& bmp)
    {
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x) SetPx(bmp, x, y, Px(bmp, x, y) | 0xFF000000u);
    }

    TestTempDir dir;
    std::unique_ptr<TsSkinManager> manager;
    TForm* form = nullptr;
    TBackgroundPanel* panel = nullptr;
    std::unique_ptr<TsAlphaImageList> list;
    TsImage* image = nullptr;
};

} // namespace

TEST_F(SkinImageControl, CacheShowsTheParentsBackgroundUnderTheComposedImage)
{
    auto out = Painted(L"skin_image_plain.png");
    // Image pixels: opaque red, blue at half alpha over the parent's left colour.
    EXPECT_EQ(Px(*out, 2, 8), kRedOver);
    EXPECT_EQ(Px(*out, 12, 8), MixPx(0xFF0000FF, kLeftBG, 128, 255));
    // Beside the image the parent's background at the control's place (parent x = 10 + x).
    EXPECT_EQ(Px(*out, 18, 8), kLeftBG);
    EXPECT_EQ(Px(*out, 25, 8), kRightBG);
    EXPECT_EQ(image->SkinData()->BGChanged, false);
    EXPECT_NE(image->SkinData()->CtrlSkinState & ACS_CACHEREADY, 0u);

    // Blend, grey and reflection as CopyBmp32 gives them.
    image->SetBlend(50);
    out = Painted(L"skin_image_blend.png");
    EXPECT_EQ(Px(*out, 2, 8), MixPx(kRed, kLeftBG, (255 * 128) >> 8, 255));
    image->SetBlend(0);
    image->SetBoolean(2, true);
    out = Painted(L"skin_image_grayed.png");
    // Grey 63 of pure red ((R shr 2) + (G shr 1) + (B shr 2)), toned by white: (63 * 255) shr 8.
    EXPECT_EQ(Px(*out, 2, 8), MixPx(Argb(255, 62, 62, 62), kLeftBG, 255, 255));
    image->SetBoolean(2, false);
    image->SetHeight(30);
    image->SetBoolean(1, true);
    out = Painted(L"skin_image_reflected.png");
    EXPECT_EQ(Px(*out, 2, 8), kRedOver);
    EXPECT_NE(Px(*out, 2, 17), kLeftBG) << "a reflection under the image";
    EXPECT_EQ(Px(*out, 2, 29), kLeftBG);

    // An index beyond the list shows the picture.
    image->SetBoolean(1, false);
    TBitmap picture(8, 8, pf24bit);
    picture.Canvas()->Brush()->SetColor(static_cast<TColor>(0x00A000));
    picture.Canvas()->FillRect(TRect(0, 0, 8, 8));
    image->Picture()->SetGraphic(&picture);
    image->SetImageIndex(5);
    out = Painted(L"skin_image_picture.png");
    EXPECT_EQ(Px(*out, 2, 2), MixPx(Argb(255, 0, 0xA0, 0), kLeftBG, 255, 255));
    EXPECT_EQ(Px(*out, 12, 2), kLeftBG);

    // With the manager's standard image transparency the DC's own pixels lie under the image.
    image->SetImageIndex(0);
    manager->Options()->SetBool(5, true);
    out = Painted();
    constexpr Word kDC = Argb(255, 1, 2, 3);
    EXPECT_EQ(Px(*out, 2, 8), MixPx(kRed, kDC, 255, 255));
    EXPECT_EQ(Px(*out, 12, 8), MixPx(0xFF0000FF, kDC, 128, 255));
    EXPECT_EQ(Px(*out, 25, 8), kDC);
    manager->Options()->SetBool(5, false);

    // A parent not ready: nothing is drawn and a repaint is due.
    panel->notReady = true;
    image->SkinData()->BGChanged = true;
    out = Painted();
    EXPECT_EQ(Px(*out, 2, 2), Argb(255, 1, 2, 3));
    EXPECT_TRUE(image->SkinData()->FUpdating);
}

TEST_F(SkinImageControl, PicturesBecomeImagesOverTheBackgroundBeneathThem)
{
    // The control spans both colours of the parent: its x 20 lies on the parent's x 30.
    image->SetImages(nullptr);
    image->SetBounds(10, 10, 40, 16);

    // A 24-bit picture is opaque; with Transparent its bottom-left colour is the key.
    constexpr COLORREF kKey = RGB(255, 0, 255);
    TBitmap keyed(8, 8, pf24bit);
    keyed.Canvas()->Brush()->SetColor(static_cast<TColor>(0x00A000));
    keyed.Canvas()->FillRect(TRect(0, 0, 8, 8));
    ::SetPixel(keyed.Canvas()->Handle(), 0, 7, kKey);
    ::SetPixel(keyed.Canvas()->Handle(), 5, 2, kKey);
    image->Picture()->SetGraphic(&keyed);
    auto out = Painted();
    EXPECT_EQ(Px(*out, 5, 2), MixPx(Argb(255, 255, 0, 255), kLeftBG, 255, 255));
    image->SetTransparent(true);
    out = Painted(L"skin_image_keyed.png");
    EXPECT_EQ(Px(*out, 5, 2), kLeftBG);
    EXPECT_EQ(Px(*out, 0, 7), kLeftBG);
    EXPECT_EQ(Px(*out, 1, 7), MixPx(Argb(255, 0, 0xA0, 0), kLeftBG, 255, 255));
    image->SetTransparent(false);

    // An icon (not a bitmap) is drawn over the background at the place it is shown: centred,
    // its transparent right half lies over the parent's second colour.
    auto bmp = Bmp32(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) SetPx(*bmp, x, y, x < 8 ? kRed : 0);
    TIcon icon;
    icon.SetHandle(MakeIcon32(bmp.get()));
    image->Picture()->SetGraphic(&icon);
    image->SetCenter(true);
    out = Painted(L"skin_image_icon_centred.png");
    EXPECT_EQ(Px(*out, 12 + 2, 8), kRedOver);
    EXPECT_EQ(Px(*out, 12 + 6, 8), kRedOver);
    EXPECT_EQ(Px(*out, 12 + 10, 8), kRightBG) << "the background beneath, not the control's left edge";
    EXPECT_EQ(Px(*out, 4, 8), kLeftBG);
}

TEST_F(SkinImageControl, ASectionOfItsOwnIsPaintedUnderTheImageEvenWhenEmpty)
{
    constexpr Word kHint = Argb(255, 0xFF, 0xFF, 0xE0); // the section's colour 0xE0FFFF
    image->SkinData()->SetSkinSection(L"HINT");
    ASSERT_GE(image->SkinData()->SkinIndex, 0);
    auto out = Painted(L"skin_image_section.png");
    EXPECT_EQ(Px(*out, 2, 8), MixPx(kRed, kHint, 255, 255));
    EXPECT_EQ(Px(*out, 25, 8), kHint);

    // Nothing to show: the section alone, where an unskinned empty image paints nothing.
    image->SetImages(nullptr);
    ASSERT_TRUE(image->Empty());
    out = Painted();
    EXPECT_EQ(Px(*out, 2, 8), kHint);
    image->SkinData()->SetSkinSection(UnicodeString());
    out = Painted();
    EXPECT_EQ(Px(*out, 2, 8), Argb(255, 1, 2, 3));
}

TEST_F(SkinImageControl, EmptyFollowsTheListItemAndThePicture)
{
    EXPECT_FALSE(image->Empty());
    image->SetImageIndex(1);
    EXPECT_TRUE(image->Empty());
    TBitmap picture(4, 4, pf24bit);
    image->Picture()->SetGraphic(&picture);
    EXPECT_FALSE(image->Empty());
    image->Picture()->SetGraphic(nullptr);
    image->SetImages(nullptr);
    image->SetImageIndex(0);
    EXPECT_TRUE(image->Empty());
    // The list freed: the control lets it go.
    image->SetImages(list.get());
    list.reset();
    EXPECT_EQ(image->Images(), nullptr);
}

TEST_F(SkinImageControl, NaturalAndStretchedSizes)
{
    struct Case {
        bool stretch, proportional, reflected;
        int width, height;
        TSize natural, stretched;
    };
    // The item is 16 x 16 (OrigWidth x OrigHeight with Stretch).
    const Case cases[] = {
        {false, false, false, 40, 30, {16, 16}, {16, 16}},
        {true, false, false, 40, 30, {16, 16}, {40, 30}},
        {true, false, true, 40, 30, {16, 16}, {40, 20}},  // two thirds of the height
        {true, true, false, 40, 30, {16, 16}, {30, 30}},
        {true, true, false, 20, 30, {16, 16}, {20, 20}},
        {true, true, true, 40, 30, {16, 16}, {20, 20}},
    };
    for (const Case& c : cases) {
        image->SetStretch(c.stretch);
        image->SetProportional(c.proportional);
        image->SetBoolean(1, c.reflected);
        image->SetBounds(10, 10, c.width, c.height);
        const TSize natural = image->NaturalSize();
        EXPECT_EQ(natural, c.natural) << c.stretch << c.proportional << c.reflected << " " << c.width;
        EXPECT_EQ(c.stretch ? image->StretchedSize(natural) : natural, c.stretched)
            << c.stretch << c.proportional << c.reflected << " " << c.width;
    }
    // A wide picture, proportional: width first, limited by the available height.
    image->SetImages(nullptr);
    TBitmap wide(40, 10, pf24bit);
    image->Picture()->SetGraphic(&wide);
    image->SetBounds(0, 0, 30, 30);
    image->SetStretch(true);
    image->SetProportional(true);
    image->SetBoolean(1, false);
    EXPECT_EQ(image->StretchedSize(image->NaturalSize()), (TSize{30, 8})); // 7.5 -> 8
    image->SetBounds(0, 0, 100, 12);
    EXPECT_EQ(image->StretchedSize(image->NaturalSize()), (TSize{48, 12}));

    // Center: the image in the middle of the control (a reflection's half counted with UseFullSize).
    image->Picture()->SetGraphic(nullptr);
    image->SetImages(list.get());
    image->SetStretch(false);
    image->SetCenter(true);
    image->SetBounds(10, 10, 32, 20);
    auto out = Painted(L"skin_image_center.png");
    EXPECT_EQ(Px(*out, 8 + 2, 2 + 8), kRedOver);
    EXPECT_EQ(Px(*out, 8 + 2, 1), kLeftBG);
    image->SetBoolean(0, true);
    out = Painted();
    EXPECT_EQ(Px(*out, 8 + 2, 0), kRedOver) << "(20 - 16 - 8) div 2 = -2";
    image->SetBoolean(0, false);
    image->SetCenter(false);

    // Stretched to the control: the item's halves widen with it.
    image->SetBounds(10, 10, 40, 16);
    image->SetStretch(true);
    image->SetProportional(false);
    out = Painted(L"skin_image_stretched.png");
    EXPECT_EQ(Px(*out, 4, 8), kRedOver);
    EXPECT_EQ(Px(*out, 14, 8), kRedOver);
    EXPECT_EQ(Px(*out, 36, 8), MixPx(0xFF0000FF, kRightBG, 128, 255));

    // Through a view: its own size, and with Stretch its source item's original size.
    TsVirtualImageList view(nullptr);
    view.SetInteger(0, 32);
    view.SetInteger(1, 32);
    view.SetAlphaImageList(list.get());
    image->SetImages(&view);
    EXPECT_EQ(image->NaturalSize(), (TSize{16, 16}));
    image->SetStretch(false);
    EXPECT_EQ(image->NaturalSize(), (TSize{32, 32}));
    out = Painted(L"skin_image_view.png");
    EXPECT_EQ(Px(*out, 12, 8), kRedOver) << "the view's rendering at 32 x 32";
    EXPECT_EQ(Px(*out, 36, 8), kRightBG);
}

TEST_F(SkinImageControl, AutoSizeTakesTheItemsSizeByAlignment)
{
    struct Case {
        TAlign align;
        bool fullReflected;
        int width, height;
    };
    const Case cases[] = {{alNone, false, 16, 16}, {alLeft, false, 16, 50}, {alTop, false, 50, 16},
                          {alClient, false, 50, 50}, {alNone, true, 16, 24}};
    for (const Case& c : cases) {
        image->SetAlign(alNone);
        image->SetBounds(0, 0, 50, 50);
        image->SetBoolean(0, c.fullReflected);
        image->SetBoolean(1, c.fullReflected);
        image->SetAlign(c.align);
        int w = 50, h = 50;
        EXPECT_TRUE(image->CanAutoSize(w, h));
        EXPECT_EQ(w, c.width) << c.align;
        EXPECT_EQ(h, c.height) << c.align;
    }
    // AutoSize follows the index.
    image->SetAlign(alNone);
    image->SetBoolean(0, false);
    image->SetBoolean(1, false);
    image->SetImageIndex(-1);
    image->SetBounds(0, 0, 50, 50);
    image->SetAutoSize(true);
    image->SetImageIndex(0);
    EXPECT_EQ(image->Width(), 16);
    EXPECT_EQ(image->Height(), 16);
}

TEST_F(SkinImageControl, CommandsAndMessages)
{
    auto command = [&](WORD code) { return image->Perform(SM_ALPHACMD, MakeAlphaCmd(code), 0); };
    EXPECT_EQ(command(AC_GETSKININDEX), manager->SkinCommonInfo.Sections[ssTransparent] + 1);
    EXPECT_EQ(command(AC_CANANIMATE), 1);
    EXPECT_EQ(command(AC_GETDEFSECTION), 3);
    // The other codes get the skinned controls' common answers.
    EXPECT_EQ(command(AC_GETCOMMONDATA), reinterpret_cast<LRESULT>(image->SkinData()));
    EXPECT_EQ(command(AC_GETPPI), image->SkinData()->CurrentPPI);
    manager->SetActive(false);
    image->SetControlStyle(image->ControlStyle() >> csOpaque);
    EXPECT_EQ(command(AC_CANANIMATE), 0);
    image->SetControlStyle(image->ControlStyle() << csOpaque);
    EXPECT_EQ(command(AC_CANANIMATE), 1);

    EXPECT_NE(image->Perform(CM_HITTEST, 0, MAKELPARAM(2, 2)), 0);
    image->SetTransparentForMouse(true);
    EXPECT_EQ(image->Perform(CM_HITTEST, 0, MAKELPARAM(2, 2)), 0);

    Painted();
    ASSERT_NE(image->SkinData()->CtrlSkinState & ACS_CACHEREADY, 0u);
    image->Perform(CM_VISIBLECHANGED, 0, 0);
    EXPECT_EQ(image->SkinData()->CtrlSkinState & ACS_CACHEREADY, 0u);
    EXPECT_TRUE(image->SkinData()->BGChanged);

    // A size or place change asks for a new background.
    for (UINT msg : {UINT(WM_SIZE), UINT(WM_WINDOWPOSCHANGED)}) {
        Painted();
        ASSERT_FALSE(image->SkinData()->BGChanged);
        image->Perform(msg, 0, 0);
        EXPECT_TRUE(image->SkinData()->BGChanged) << msg;
    }
    EXPECT_EQ(image->Perform(WM_ERASEBKGND, 0, 0), 0);

    // Without a manager the section index has nobody to come from.
    manager.reset();
    DefaultManager = nullptr;
    EXPECT_EQ(command(AC_GETSKININDEX), 0);
    EXPECT_EQ(command(AC_GETDEFSECTION), 3);
}
