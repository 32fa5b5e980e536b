// The added-glyph options of edits and buttons and the library's shared glyph list: the
// character list's content, the PNG list of the old-glyphs mode, the sizes taken from the own
// list or the shared one, and which changes repaint or recompute the owner's frame.
#include "skin_graphics_test_png.h"
#include "skin_graphics_test_pixels.h"

#include "ExtCtrls.h"
#include "Forms.h"
#include "SysUtils.h"
#include "acAlphaImageList.h"
#include "acAlphaImageListChar.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sGlyphUtils.h"
#include "sThirdParty.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A control that shows an added glyph and records what the glyph does to it.
class GlyphHost : public TPanel, public IacAddedGlyphOwner {
public:
    explicit GlyphHost(TComponent* owner) : TPanel(owner) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == WM_NCCALCSIZE) ++FrameChanges;
        TPanel::WndProc(message);
    }
    bool acRepaintsForGlyph() const override { return Edit; }
    bool acComboButtonWidth(int& width) const override
    {
        width = ButtonWidth;
        return Combo;
    }
    int FrameChanges = 0;
    bool Edit = false;
    bool Combo = false;
    int ButtonWidth = 0;
};

class GlyphUtilsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        acAlphaImageListInitialization();
        sGlyphUtilsInitialization();
        ac_OldGlyphsMode = false; // on by default
        form = new TForm(Application);
        form->SetBounds(40, 40, 200, 120);
        host = new GlyphHost(form);
        host->SetParent(form);
        host->SetBounds(10, 10, 100, 30);
        form->Show();
        host->FrameChanges = 0;
    }
    void TearDown() override
    {
        ac_OldGlyphsMode = savedMode;
        delete form;
        sGlyphUtilsFinalization();
        acAlphaImageListFinalization();
    }

    // Every image of the list side by side at that PPI, over light grey, saved for a person.
    static std::unique_ptr<TBitmap> Render(TCustomImageList* list, int ppi, const wchar_t* name)
    {
        const int w = GetImageWidth(list, -1, ppi) + 4, h = GetImageHeight(list, -1, ppi) * 2;
        auto bmp = Bmp32(w * list->Count(), h, Argb(255, 0xE0, 0xE0, 0xE0));
        for (int i = 0; i < list->Count(); ++i)
            DrawAlphaImgList(list, bmp.get(), i * w, 2, i, 0, clNone, 0, 1, false, ppi);
        SaveEnlargedPng(*bmp, name, 4);
        return bmp;
    }
    // Pixels of a cell that are not the grey background.
    static int Inked(TBitmap& bmp, int left, int width)
    {
        int n = 0;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = left; x < left + width; ++x)
                if ((Px(bmp, x, y) & 0xFFFFFF) != 0xE0E0E0) ++n;
        return n;
    }

    const bool savedMode = ac_OldGlyphsMode;
    TForm* form = nullptr;
    GlyphHost* host = nullptr;
};

TEST_F(GlyphUtilsTest, CharacterListHoldsTheStandardGlyphs)
{
    auto* list = dynamic_cast<TsCharImageList*>(acResImgList());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Width(), 16);
    EXPECT_EQ(list->Height(), 14);
    EXPECT_EQ(list->BlendValue(), 222);
    EXPECT_EQ(list->GetBkColor(), static_cast<TColor>(0xFFFFFF));
    ASSERT_EQ(list->Items()->Count(), 25);
    struct Row { int item; std::uint16_t chr; double scale; int offset; const wchar_t* font; };
    const Row rows[] = {{0, 0xF016, 1.0, 0, L"FontAwesome"}, {3, 0xF141, 1.0, 4, L"FontAwesome"},
                        {5, 0xF111, 0.75, 0, L"FontAwesome"}, {7, 0xF047, 0.9, 1, L"FontAwesome"},
                        {12, 0xF0D8, 1.3, 0, L"FontAwesome"}, {18, 0xF068, 0.8, 2, L"FontAwesome"},
                        {20, 0xF00D, 0.8, 0, L"FontAwesome"}, {21, u'0', 1.0, 0, L"Marlett"},
                        {24, u'r', 1.0, 0, L"Marlett"}};
    for (const Row& r : rows) {
        const TacCharListItem& item = *list->Items()->Items(r.item);
        EXPECT_EQ(item.Char(), r.chr) << r.item;
        EXPECT_DOUBLE_EQ(item.ScalingFactor(), r.scale) << r.item;
        EXPECT_EQ(item.OffsetY(), r.offset) << r.item;
        EXPECT_EQ(item.FontName(), UnicodeString(r.font)) << r.item;
    }
    // 14 x 0.75 = 10.5 rounds half to even.
    EXPECT_EQ(GetImageHeight(list, 5, 96), 10);
    TacAddedGlyph glyph(host, nullptr);
    EXPECT_EQ(glyph.ImageCount(), 1); // 16 is no multiple of 14

    for (const int ppi : {96, 144}) {
        auto bmp = Render(list, ppi, ppi == 96 ? L"glyphutils_charlist_96.png" : L"glyphutils_charlist_144.png");
        const int w = GetImageWidth(list, -1, ppi) + 4;
        for (int i = 0; i < list->Count(); ++i) EXPECT_GT(Inked(*bmp, i * w, w), 8) << "item " << i << " at " << ppi;
    }
}

TEST_F(GlyphUtilsTest, OldGlyphsModeSwitchesToThePngList)
{
    TCustomImageList* chars = acResImgList();
    ac_OldGlyphsMode = true;
    auto* png = dynamic_cast<TsAlphaImageList*>(acResImgList());
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->Count(), 5);
    EXPECT_EQ(png->Width(), 32);
    EXPECT_EQ(png->Height(), 16);
    TacAddedGlyph glyph(host, nullptr);
    EXPECT_EQ(glyph.ImageCount(), 2);
    EXPECT_EQ(glyph.Width(), 16);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(png->Items()->Items(i)->ImageFormat(), ifPNG);
        EXPECT_EQ(png->Items()->Items(i)->PixelFormat(), pf32bit);
    }
    for (const int ppi : {96, 144}) {
        auto bmp = Render(png, ppi, ppi == 96 ? L"glyphutils_pnglist_96.png" : L"glyphutils_pnglist_144.png");
        const int w = GetImageWidth(png, -1, ppi) + 4, half = GetImageWidth(png, -1, ppi) / 2;
        for (int i = 0; i < 5; ++i) {
            EXPECT_GT(Inked(*bmp, i * w, half), 8) << "normal " << i << " at " << ppi;
            EXPECT_GT(Inked(*bmp, i * w + half, half), 8) << "hot " << i << " at " << ppi;
        }
    }
    EXPECT_EQ(acResImgList(), png); // made once
    ac_OldGlyphsMode = false;
    EXPECT_EQ(acResImgList(), chars);
    ac_OldGlyphsMode = true;
    EXPECT_EQ(acResImgList(), png); // kept until shut-down
}

TEST_F(GlyphUtilsTest, AddedGlyphDefaultsAndWhatItsSettersRepaint)
{
    host->Edit = true;
    TsCtrlSkinData skin(host);
    TacAddedGlyph glyph(host, &skin);
    EXPECT_EQ(glyph.Blend(), 0);
    EXPECT_EQ(glyph.ImageIndex(), -1);
    EXPECT_FALSE(glyph.Grayed());
    EXPECT_EQ(glyph.ColorTone(), clNone);
    EXPECT_EQ(glyph.Images(), nullptr);

    glyph.SetImageIndex(-1);
    EXPECT_EQ(host->FrameChanges, 0);
    glyph.SetImageIndex(3);
    EXPECT_EQ(host->FrameChanges, 1);
    glyph.SetImageIndex(3);
    EXPECT_EQ(host->FrameChanges, 1);
    glyph.SetBlend(40);
    glyph.SetGrayed(true);
    glyph.SetColorTone(0x123456);
    EXPECT_EQ(host->FrameChanges, 1); // repaint without frame
    EXPECT_EQ(glyph.Blend(), 40);
    EXPECT_TRUE(glyph.Grayed());
    EXPECT_EQ(glyph.ColorTone(), static_cast<TColor>(0x123456));

    TImageList own(nullptr, 24, 12);
    TBitmap img(48, 12, pf32bit);
    own.Add(&img, nullptr); // two images
    glyph.SetImages(&own);
    EXPECT_EQ(host->FrameChanges, 2);
    own.SetBkColor(0x00FF00); // heard through the link
    glyph.SetImages(nullptr);
    glyph.SetImages(nullptr);
    EXPECT_EQ(host->FrameChanges, 3);
}

TEST_F(GlyphUtilsTest, SizesComeFromTheOwnListOrTheSharedOne)
{
    TImageList own(nullptr, 32, 16);
    TBitmap img(64, 16, pf32bit);
    own.Add(&img, nullptr); // two images 32 x 16
    TacAddedGlyph glyph(host, nullptr);
    glyph.SetImages(&own);
    struct Case { int index; int width; int height; int count; };
    // Index 1 is the own list's; 5 is invalid there and measured in the character list.
    for (const Case c : {Case{1, 16, 16, 2}, Case{5, 12, 10, 1}}) {
        glyph.SetImageIndex(c.index);
        EXPECT_EQ(glyph.ImageCount(), c.count) << c.index;
        EXPECT_EQ(glyph.Height(), c.height) << c.index;
        EXPECT_EQ(glyph.Width(), GetImageWidth(c.index == 1 ? static_cast<TCustomImageList*>(&own) : acResImgList(),
                                               c.index, 96) / c.count)
            << c.index;
    }
    // A combo edit's glyph is its button: the width field, or the scroll-bar width less half the margin.
    host->Combo = true;
    host->ButtonWidth = 21;
    EXPECT_EQ(glyph.Width(), 21);
    host->ButtonWidth = 0;
    EXPECT_EQ(glyph.Width(), GetSystemMetrics(SM_CXVSCROLL));
}

TEST_F(GlyphUtilsTest, GlyphModeDefaultsAndSetters)
{
    TsGlyphMode mode(host, nullptr);
    EXPECT_TRUE(mode.Enabled());
    EXPECT_EQ(mode.ImageIndexHot(), -1);
    EXPECT_EQ(mode.ImageIndexPressed(), -1);
    EXPECT_EQ(mode.Cursor(), 0);
    mode.SetInteger(10, 4);
    mode.SetInteger(11, 5);
    mode.SetEnabled(false);
    EXPECT_EQ(host->FrameChanges, 0);
    mode.SetInteger(1, 2); // the base class's ImageIndex
    EXPECT_EQ(host->FrameChanges, 1);
    EXPECT_EQ(mode.ImageIndexHot(), 4);
    EXPECT_EQ(mode.ImageIndexPressed(), 5);
    EXPECT_EQ(mode.ImageIndex(), 2);
    EXPECT_FALSE(mode.Enabled());
}

} // namespace
