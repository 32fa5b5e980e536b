// Glyph drawing for skinned buttons and tool bars: every kind of image list and the glyph
// bitmap path, disabled and blended glyphs, the standard glyph order; image sizes at a PPI; the
// form classes the skinning leaves alone.
#include "skin_graphics_test_pixels.h"

#include "ComCtrls.h"
#include "Forms.h"
#include "StringList.h"
#include "SysUtils.h"
#include "acAlphaImageList.h"
#include "acAlphaImageListChar.h"
#include "acAlphaImageListVirtual.h"
#include "sGraphUtilsColor.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sThirdParty.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr Word kBack = Argb(255, 0x10, 0x20, 0x30);
constexpr Word kRedPx = Argb(255, 0xFF, 0, 0);

// An opaque w x h 32-bit picture of one colour.
std::unique_ptr<TBitmap> Solid(int w, int h, Word px) { return Bmp32(w, h, px); }

// Colours equal but for the rounding of the alpha copy.
bool NearRgb(Word got, Word want)
{
    return std::abs(ByteR(got) - ByteR(want)) <= 2 && std::abs(ByteG(got) - ByteG(want)) <= 2 &&
           std::abs(ByteB(got) - ByteB(want)) <= 2;
}

bool SameArea(TBitmap& a, TBitmap& b)
{
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (Px(a, x, y) != Px(b, x, y)) return false;
    return true;
}

class ThirdPartyTest : public ::testing::Test {
protected:
    void SetUp() override { acAlphaImageListInitialization(); }
    void TearDown() override { acAlphaImageListFinalization(); }

    TacDrawGlyphData Request(TCustomImageList* images, int index, TBitmap* dst)
    {
        TacDrawGlyphData d;
        d.Images = images;
        d.ImageIndex = index;
        d.DstBmp = dst;
        d.ImgRect = TRect(2, 1, 10, 9);
        return d;
    }
};

TEST_F(ThirdPartyTest, SkipFormsHoldTheEightClassNamesSorted)
{
    sThirdPartyInitialization();
    ASSERT_TRUE(ThirdPartySkipForms);
    std::vector<UnicodeString> names;
    for (int i = 0; i < ThirdPartySkipForms->Count(); ++i) names.push_back(ThirdPartySkipForms->Strings(i));
    std::vector<UnicodeString> expected{L"TApplication", L"TfcPopup", L"TfcxSliceFieldsPopup", L"TfcxMeasurePopup",
                                        L"TfcxFilterPopup", L"TAdvSmoothMessageDialogForm",
                                        L"TSynBaseCompletionProposalForm", L"TPopupListboxFormEh"};
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(),
                               [](const UnicodeString& a, const UnicodeString& b) { return ThirdPartySkipForms->CompareStrings(a, b) < 0; }));
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    int index = -1;
    EXPECT_TRUE(ThirdPartySkipForms->Find(L"TfcPopup", index));
    sThirdPartyFinalization();
    EXPECT_FALSE(ThirdPartySkipForms);
}

TEST_F(ThirdPartyTest, ImageSizesPerListKindAndPPI)
{
    TsAlphaImageList alpha(nullptr);
    alpha.AfterConstruction();
    alpha.SetDimension(1, 20);
    alpha.SetDimension(0, 10);
    TsCharImageList chars(nullptr);
    chars.AfterConstruction();
    chars.SetDimension(1, 16);
    chars.SetDimension(0, 14);
    TacCharItemData item;
    item.CharCode = 0xF111;
    item.ScalingFactor = 0.75;
    item.Offset = 2;
    chars.AddItem(item);
    TsVirtualImageList view(nullptr);
    view.SetAlphaImageList(&chars);
    view.SetInteger(1, 24);
    view.SetInteger(0, 20);
    TImageList plain(nullptr, 18, 12);
    struct Case { const char* name; TCustomImageList* list; int index, ppi, width, height; };
    const Case cases[] = {
        {"alpha", &alpha, 0, 96, 20, 10},     {"alpha", &alpha, 0, 144, 30, 15},
        // (14 + 2) x 0.75 = 12; the char's own width depends on the font.
        {"chars", &chars, 0, 96, GetImageWidth(&chars, 0, 96), 12},
        {"chars", &chars, 0, 144, GetImageWidth(&chars, 0, 96) * 3 / 2, 18},
        {"chars bad index", &chars, 5, 96, 16, 14},
                // (20 + 2) x 0.75 = 16.5 rounds half to even.
        {"view", &view, 0, 96, 18, 16},       {"view", &view, 0, 144, 27, 24},
        {"view bad index", &view, 3, 96, 24, 20},
        {"plain", &plain, 0, 144, 27, 18},    {"nil", nullptr, 0, 144, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetImageWidth(c.list, c.index, c.ppi), c.width) << c.name << " at " << c.ppi;
        EXPECT_EQ(GetImageHeight(c.list, c.index, c.ppi), c.height) << c.name << " at " << c.ppi;
    }
    EXPECT_GT(GetImageWidth(&chars, 0, 96), 0);
    EXPECT_EQ(GetImageCount(&chars), 1);
    EXPECT_EQ(GetImageCount(nullptr), 0);
}

TEST_F(ThirdPartyTest, InvalidIndexWithoutGlyphDrawsNothing)
{
    TImageList plain(nullptr, 8, 8);
    auto img = Solid(8, 8, kRedPx);
    plain.Add(img.get(), nullptr);
    auto dst = Bmp32(12, 10, kBack);
    for (const int index : {-1, 1, 7}) {
        acDrawGlyphEx(Request(&plain, index, dst.get()));
        acDrawGlyphEx(Request(nullptr, index, dst.get()));
    }
    auto clean = Bmp32(12, 10, kBack);
    EXPECT_TRUE(SameArea(*dst, *clean));
}

TEST_F(ThirdPartyTest, LibraryListsDrawThemselvesIntoBitmapAndOnDC)
{
    TsAlphaImageList alpha(nullptr);
    alpha.AfterConstruction();
    alpha.SetDimension(1, 8);
    alpha.SetDimension(0, 8);
    auto img = Solid(8, 8, Argb(255, 0x20, 0xC0, 0x40));
    alpha.Add(img.get(), nullptr);
    TsVirtualImageList view(nullptr);
    view.SetAlphaImageList(&alpha);
    view.SetInteger(1, 8);
    view.SetInteger(0, 8);
    for (TCustomImageList* list : {static_cast<TCustomImageList*>(&alpha), static_cast<TCustomImageList*>(&view)}) {
        auto got = Bmp32(12, 10, kBack), want = Bmp32(12, 10, kBack);
        acDrawGlyphEx(Request(list, 0, got.get()));
        DrawAlphaImgList(list, want.get(), 2, 1, 0, 0, clNone, 0, 1, false, 96);
        EXPECT_TRUE(SameArea(*got, *want)) << list->ClassName();
        EXPECT_TRUE(NearRgb(Px(*got, 5, 5), 0x20C040u)) << list->ClassName();
        // On a canvas.
        auto onDC = Bmp32(12, 10, kBack);
        TacDrawGlyphData d = Request(list, 0, nullptr);
        d.Canvas = onDC->Canvas();
        acDrawGlyphEx(d);
        GdiFlush();
        EXPECT_TRUE(NearRgb(Px(*onDC, 5, 5), 0x20C040u)) << list->ClassName();
        EXPECT_EQ(Px(*onDC, 0, 0), kBack) << list->ClassName();
    }
}

TEST_F(ThirdPartyTest, CharacterListDrawsInTheFontColourAndKeepsItsOwn)
{
    TsCharImageList chars(nullptr);
    chars.AfterConstruction();
    chars.SetDimension(1, 16);
    chars.SetDimension(0, 16);
    TacCharItemData item;
    item.CharCode = 0xF111; // a filled circle
    chars.AddItem(item);
    chars.ForeColor = 0x123456;
    auto dst = Bmp32(24, 20, Argb(255, 255, 255, 255));
    dst->Canvas()->Font()->SetColor(0x0000FF); // red
    TacDrawGlyphData d = Request(&chars, 0, dst.get());
    d.ImgRect = TRect(2, 2, 18, 18);
    acDrawGlyphEx(d);
    EXPECT_EQ(chars.ForeColor, static_cast<TColor>(0x123456));
    EXPECT_EQ(dst->Canvas()->Font()->Color(), static_cast<TColor>(0x0000FF));
    const Word centre = Px(*dst, 10, 10);
    EXPECT_GT(ByteR(centre), 200);
    EXPECT_LT(ByteG(centre), 60);
    EXPECT_LT(ByteB(centre), 60);
}

TEST_F(ThirdPartyTest, ThirtyTwoBitImageListDrawsOnTheCanvas)
{
    TImageList plain(nullptr, 8, 8);
    auto img = Solid(8, 8, kRedPx);
    plain.Add(img.get(), nullptr);
    auto dst = Bmp32(12, 10, kBack);
    TacDrawGlyphData d = Request(&plain, 0, nullptr);
    d.Canvas = dst->Canvas();
    acDrawGlyphEx(d);
    GdiFlush();
    EXPECT_EQ(Px(*dst, 5, 5) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Px(*dst, 1, 0), kBack);
    // Without a canvas nothing is drawn, even with a bitmap.
    auto untouched = Bmp32(12, 10, kBack);
    acDrawGlyphEx(Request(&plain, 0, untouched.get()));
    EXPECT_EQ(Px(*untouched, 5, 5), kBack);
}

// A 24-bit list with clNone background: left half red, right half masked out.
struct KeyedList {
    TImageList list{nullptr, 8, 8};
    KeyedList()
    {
        list.SetColorDepth(cd24Bit);
        TBitmap img(8, 8, pf24bit);
        TBitmap mask(8, 8, pf24bit);
        img.Canvas()->Brush()->SetColor(0x0000FF);
        img.Canvas()->FillRect(TRect(0, 0, 8, 8));
        mask.Canvas()->Brush()->SetColor(0x000000);
        mask.Canvas()->FillRect(TRect(0, 0, 8, 8));
        mask.Canvas()->Brush()->SetColor(0xFFFFFF);
        mask.Canvas()->FillRect(TRect(4, 0, 8, 8));
        list.Add(&img, &mask);
    }
};

TEST_F(ThirdPartyTest, OtherListsKeepTheKeyColourTransparentAndGreyOrBlend)
{
    KeyedList keyed;
    ASSERT_EQ(keyed.list.BkColor(), clNone);
    struct Case {
        const char* name;
        bool enabled, grayed, blendedKind;
        int blend;
        Word left; // the drawn pixel at (3, 4): image column 1
    };
    const Word grey = [] {
        auto g = Bmp32(1, 1, kRedPx);
        TsColor key;
        key.C = 0xFF00FF;
        GrayScaleTrans(g.get(), key);
        return Px(*g, 0, 0);
    }();
    const Case cases[] = {
        {"enabled", true, false, false, 0, kRedPx},
        {"enabled greyed", true, true, false, 0, grey},
        {"enabled blend 50", true, false, false, 50, 0},
        {"disabled", false, false, false, 0, kRedPx},
        {"disabled greyed", false, true, false, 0, grey},
        {"disabled blended", false, false, true, 0, 0},
    };
    for (const Case& c : cases) {
        auto dst = Bmp32(12, 10, kBack);
        TacDrawGlyphData d = Request(&keyed.list, 0, dst.get());
        d.Enabled = c.enabled;
        d.Grayed = c.grayed;
        d.Blend = c.blend;
        if (c.blendedKind) d.DisabledGlyphKind.Include(dgBlended);
        acDrawGlyphEx(d);
        const Word got = Px(*dst, 3, 4);
        if (c.left) EXPECT_EQ(got & 0xFFFFFF, c.left & 0xFFFFFF) << c.name;
        else {
            // Mixed with the background: neither the image's red nor the background.
            EXPECT_GT(ByteR(got), 0x40) << c.name;
            EXPECT_LT(ByteR(got), 0xE0) << c.name;
        }
        EXPECT_EQ(Px(*dst, 8, 4), kBack) << c.name << ": the key colour stays transparent";
        EXPECT_EQ(Px(*dst, 1, 4), kBack) << c.name;
    }
}

// A 32-bit glyph of three 4 x 4 frames: red, green, blue, with the alpha given; its bottom-left
// pixel is magenta, the key colour of a 24-bit strip.
std::unique_ptr<TBitmap> Strip(int alpha)
{
    auto g = CreateBmp32(12, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 12; ++x)
            SetPx(*g, x, y, x < 4 ? Argb(alpha, 255, 0, 0) : x < 8 ? Argb(alpha, 0, 255, 0) : Argb(alpha, 0, 0, 255));
    SetPx(*g, 0, 3, Argb(alpha, 255, 0, 255));
    return g;
}

TEST_F(ThirdPartyTest, GlyphBitmapFramesAlphaAndBlend)
{
    struct Case {
        const char* name;
        int alpha, state, numGlyphs, blend;
        bool stdOrder;
        Word want; // colour at (3, 3); 0: checked as a half mix
    };
    const Case cases[] = {
        {"frame of the state", 255, 1, 3, 0, false, Argb(0, 0, 255, 0) & 0xFFFFFF},
        {"state beyond the frames", 255, 2, 2, 0, false, 0x00FF00},
        {"all alpha 0 is opaque", 0, 0, 3, 0, false, 0xFF0000},
        {"blend scales the alpha", 255, 0, 3, 50, false, 0},
        {"standard order: hot is frame 0", 255, 1, 3, 0, true, 0xFF0000},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TsSkinManager> manager;
        if (c.stdOrder) {
            manager = std::make_unique<TsSkinManager>(nullptr);
            ASSERT_EQ(DefaultManager, manager.get());
            manager->Options()->SetBool(3, true);
        }
        auto glyph = Strip(c.alpha);
        auto dst = Bmp32(12, 10, Argb(255, 0, 0, 0));
        TacDrawGlyphData d;
        d.Glyph = glyph.get();
        d.NumGlyphs = c.numGlyphs;
        d.CurrentState = c.state;
        d.Blend = c.blend;
        d.DstBmp = dst.get();
        d.ImgRect = TRect(2, 2, 6, 6);
        acDrawGlyphEx(d);
        const Word got = Px(*dst, 3, 3);
        if (c.want) EXPECT_TRUE(NearRgb(got, c.want)) << c.name << ": " << std::hex << got;
        else EXPECT_NEAR(ByteR(got), 128, 3) << c.name;
        EXPECT_EQ(Px(*dst, 1, 1) & 0xFFFFFF, 0u) << c.name;
    }
}

} // namespace

namespace {

// The bounding box of the pixels that are not the background.
TRect Inked(TBitmap& bmp)
{
    TRect r(bmp.Width(), bmp.Height(), 0, 0);
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (Px(bmp, x, y) != kBack) {
                r.Left = std::min<LONG>(r.Left, x);
                r.Top = std::min<LONG>(r.Top, y);
                r.Right = std::max<LONG>(r.Right, x + 1);
                r.Bottom = std::max<LONG>(r.Bottom, y + 1);
            }
    return r;
}

// A one-image 32-bit list of a colour.
std::unique_ptr<TImageList> OneImage(Word px)
{
    auto list = std::make_unique<TImageList>(nullptr, 16, 16);
    auto img = Solid(16, 16, px);
    list->Add(img.get(), nullptr);
    return list;
}

} // namespace

TEST_F(ThirdPartyTest, ToolButtonGlyphIsPlacedAsTheToolBarLaysItOut)
{
    auto* form = new TForm(Application);
    form->SetBounds(20, 20, 200, 100);
    auto* bar = new TToolBar(form);
    bar->SetParent(form);
    bar->SetBounds(0, 0, 200, 40);
    auto* button = new TToolButton(form);
    button->SetParent(bar);
    button->SetBounds(0, 0, 50, 36);
    button->SetImageIndex(0);
    form->Show();
    auto red = OneImage(kRedPx), green = OneImage(Argb(255, 0, 255, 0)), blue = OneImage(Argb(255, 0, 0, 255));
    bar->SetImages(red.get());
    bar->SetHotImages(green.get());
    bar->SetDisabledImages(blue.get());

    // Image and caption ("Yy" + 3 high) centred together.
    const int captionTop = (36 - 16 - Bmp32(1, 1)->Canvas()->TextHeight(L"Yy") - 3) / 2;
    struct Case {
        const char* name;
        bool list, captions, dropDown, enabled;
        TCustomDrawState state;
        TRect want;
        Word colour;
    };
    const Case cases[] = {
        {"centred", false, false, false, true, {}, TRect(18, 10, 34, 26), kRedPx},
        {"list style", true, true, false, true, {}, TRect(5, 10, 21, 26), kRedPx},
        {"drop-down", false, false, true, true, {}, TRect(10, 10, 26, 26), kRedPx},
        {"with captions", false, true, false, true, {}, TRect(18, captionTop, 34, captionTop + 16), kRedPx},
        {"hot", false, false, false, true, TCustomDrawState{cdsHot}, TRect(18, 10, 34, 26), Argb(255, 0, 255, 0)},
        {"pressed", false, false, false, true, TCustomDrawState{cdsSelected}, TRect(18, 10, 34, 26), kRedPx},
        // The disabled list, drawn greyed by the list itself: blue greys darker than red.
        {"disabled", false, false, false, false, {}, TRect(18, 10, 34, 26), 0},
    };
    for (const Case& c : cases) {
        bar->SetList(c.list);
        bar->SetShowCaptions(c.captions);
        button->SetStyle(c.dropDown ? tbsDropDown : tbsButton);
        button->SetEnabled(c.enabled);
        auto bmp = Bmp32(50, 36, kBack);
        CopyToolBtnGlyph(bar, button, c.state, cdPrePaint, bmp.get());
        EXPECT_EQ(Inked(*bmp), c.want) << c.name;
        const Word px = Px(*bmp, c.want.Left + 8, c.want.Top + 8);
        if (c.colour) EXPECT_EQ(px & 0xFFFFFF, c.colour & 0xFFFFFF) << c.name;
        else {
            EXPECT_TRUE(ByteR(px) == ByteG(px) && ByteG(px) == ByteB(px)) << c.name << std::hex << px;
            EXPECT_LT(ByteR(px), 0x40) << c.name;
        }
    }
    delete form;
}
