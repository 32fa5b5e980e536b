// The hint windows' measuring and pictures: sizes from templates, skin margins, width limits,
// HTML and record-driven hints; the template's 9-slice picture and the skin's three kinds of
// body, read from the premultiplied bitmaps; CreateHintBmp.
#include "skin_editors_test_hints.h"

#include "sAlphaGraph.h"
#include "sVclUtils.h"
#include "skin_graphics_test_pixels.h"

#include <algorithm>

namespace {

// The premultiplied picture over white, as a compositor would show it, saved for a look.
void SaveOverWhite(TBitmap& picture, const wchar_t* name)
{
    auto shown = Bmp32(picture.Width(), picture.Height());
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const Word p = Px(picture, x, y);
            const int a = ByteA(p);
            auto c = [&](int v) { return std::min(255, v + (255 - a)); };
            SetPx(*shown, x, y, Argb(255, c(ByteR(p)), c(ByteG(p)), c(ByteB(p))));
        }
    EXPECT_TRUE(SaveCapture(*shown, name));
}

TRect SizesOf(const TacBordersSizes* s) { return TRect(s->Left(), s->Top(), s->Right(), s->Bottom()); }

// The size CalcHintRect gives for a text, with the manager's current settings.
TSize Measured(const UnicodeString& text)
{
    TacPngHintWindow w(nullptr);
    const TRect r = w.CalcHintRect(0, text);
    return TSize{r.Width(), r.Height()};
}

TEST_F(HintsTest, MeasuringAddsTemplateMarginsOrSkinMarginsAndHonoursTheLimits)
{
    TsAlphaHints& m = MakeHints();
    const TRect cm = SizesOf(DefaultHintTemplate->ImageDefault()->ClientMargins());
    ASSERT_EQ(cm, TRect(11, 8, 16, 15));

    // OnMeasure sets the content's size; the template adds its client margins.
    m.OnMeasure = [](const UnicodeString&, const THintInfo&, int& w, int& h) {
        w = 50;
        h = 20;
    };
    EXPECT_EQ(Measured(L"anything"), (TSize{50 + 11 + 16, 20 + 8 + 15}));
    // A record-driven hint takes the record's size.
    m.OnMeasure = nullptr;
    m.TmpShowData.Width = 70;
    m.TmpShowData.Height = 30;
    EXPECT_EQ(Measured(L"anything"), (TSize{70 + 27, 30 + 23}));
    m.TmpShowData = TacShowHintData();

    // MaxWidth is at 96 pixels per inch, scaled to the monitor's density.
    const UnicodeString words = L"one two three four five six seven eight nine ten eleven twelve";
    m.SetMaxWidth(50);
    const TSize narrow = Measured(words);
    EXPECT_LE(narrow.cx - 27, 50);
    SetDefaultPPIOverride(192);
    const TSize wide = Measured(words);
    SetDefaultPPIOverride(std::nullopt);
    EXPECT_GT(wide.cx - 27, 50);
    EXPECT_LE(wide.cx - 27, 100);
    EXPECT_LT(wide.cy, narrow.cy);

    // HTML mode measures the markup's text, not its tags.
    m.SetMaxWidth(1000);
    const UnicodeString markup = L"<i>x</i><i>x</i><i>x</i><i>x</i>";
    const TSize plain = Measured(markup);
    m.SetHTMLMode(true);
    const TSize html = Measured(markup);
    m.SetHTMLMode(false);
    EXPECT_LT(html.cx, plain.cx - 40);
    EXPECT_GT(html.cx, 27);

    // With the skin: the section's margins (mask border plus the computed shadow's offsets) and
    // twice 4 pixels on each axis.
    UseHouseSkin();
    m.OnMeasure = [](const UnicodeString&, const THintInfo&, int& w, int& h) {
        w = 50;
        h = 20;
    };
    const auto& shadow = house_skin::kHintShadow;
    const int border = house_skin::kButtonMargin;
    EXPECT_EQ(Measured(L"anything"), (TSize{50 + 2 * border + shadow.left + shadow.right + 8,
                                           20 + 2 * border + shadow.top + shadow.bottom + 8}));
}

TEST_F(HintsTest, CreateHintBmpRendersTheMeasuredSizeLessTheShadowsForTheCaller)
{
    TsAlphaHints& m = MakeHints();
    const UnicodeString text = L"A value tip that is long enough to wrap at the default width";
    const TSize measured = Measured(text);
    std::unique_ptr<TBitmap> bmp;
    m.CreateHintBmp(text, nullptr, bmp);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->PixelFormat(), pf32bit);
    const TRect s = SizesOf(DefaultHintTemplate->ImageDefault()->ShadowSizes());
    EXPECT_EQ(bmp->Width(), measured.cx - s.Left - s.Right);
    EXPECT_EQ(bmp->Height(), measured.cy - s.Top - s.Bottom);
    EXPECT_EQ(m.FHintPos, TPoint(-1, -1)) << "the manager's place is kept";

    // MaxWidth 0: limited by the screen only, one line.
    m.SetMaxWidth(0);
    TFont big;
    big.SetHeight(-16);
    std::unique_ptr<TBitmap> wide;
    m.CreateHintBmp(text, &big, wide);
    ASSERT_NE(wide, nullptr);
    EXPECT_GT(wide->Width(), bmp->Width() * 2);
    EXPECT_LT(wide->Height(), bmp->Height());
    EXPECT_EQ(m.CustomFont, nullptr);
}

TEST_F(HintsTest, TemplatePictureIsTheNineSliceWithCopiedCornersAndTextInsideTheMargins)
{
    TsAlphaHints& m = MakeHints();
    const auto picture = [&](const UnicodeString& text, int w, int h) {
        TacPngHintWindow win(nullptr);
        win.CalcHintRect(0, text);
        win.Text = text;
        m.NewBounds = TRect(0, 0, w, h);
        win.CreateAlphaBmp(w, h);
        return std::move(win.AlphaBmp);
    };
    const TSize size = Measured(L"Template hint");
    const int w = size.cx, h = size.cy;
    auto withText = picture(L"Template hint", w, h);
    auto empty = picture(L"", w, h);
    ASSERT_TRUE(withText && empty);
    ASSERT_EQ(withText->Width(), w);

    // The corners are ACHINT's, premultiplied.
    TPNGGraphic* achint = DefaultHintTemplate->ImageDefault()->Image();
    auto source = CreateBmp32(achint->Width(), achint->Height());
    BitBlt(source->Canvas()->Handle(), 0, 0, 27, 27, achint->Canvas()->Handle(), 0, 0, SRCCOPY);
    GdiFlush();
    UpdateAlpha(source.get());
    const TRect b = SizesOf(DefaultHintTemplate->ImageDefault()->BordersWidths());
    for (const auto& [px, py, sx, sy] : {std::array<int, 4>{0, 0, 0, 0}, {w - 1, h - 1, 26, 26}, {w - 1, 0, 26, 0},
                                         {static_cast<int>(b.Left) - 1, h - 1, static_cast<int>(b.Left) - 1, 26}})
        EXPECT_EQ(Px(*empty, px, py), Px(*source, sx, sy)) << px << "," << py;
    EXPECT_EQ(ByteA(Px(*empty, w / 2, h / 2)), 255) << "the body is opaque";
    EXPECT_EQ(ByteA(Px(*empty, 0, 0)), 0) << "the shadow band's corner is clear";

    // The text changes pixels only inside the client margins, keeping the picture's alpha.
    const TRect cm = SizesOf(DefaultHintTemplate->ImageDefault()->ClientMargins());
    int ink = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Word a = Px(*withText, x, y), e = Px(*empty, x, y);
            EXPECT_EQ(ByteA(a), ByteA(e));
            if (a == e) continue;
            ++ink;
            EXPECT_TRUE(x >= cm.Left && x < w - cm.Right && y >= cm.Top && y < h - cm.Bottom) << x << "," << y;
        }
    EXPECT_GT(ink, 20);
    SaveOverWhite(*withText, L"hint_template");
}

// A frame given by OnShowHint sizes the hint and is painted into it, its children opaque.
TEST_F(HintsTest, AFrameFromOnShowHintIsMeasuredAndPaintedWithOpaqueChildren)
{
    TsAlphaHints& m = MakeHints();
    m.SetAnimated(false);
    TPanel* child = nullptr;
    m.OnShowHint = [&](UnicodeString&, bool&, THintInfo&, TCustomFrame*& frame) {
        frame = new TCustomFrame(nullptr);
        frame->SetBounds(0, 0, 80, 30);
        child = new TPanel(frame);
        child->SetParent(frame);
        child->SetBounds(5, 5, 20, 10);
        child->SetColor(clRed);
    };
    m.ShowHint(TPoint(200, 200), L"Framed", 0);
    ASSERT_NE(m.HintFrame, nullptr);
    EXPECT_EQ(m.NewBounds.Width(), 80 + 27);
    EXPECT_EQ(m.NewBounds.Height(), 30 + 23);
    const HintLayeredCall* call = LastCall(m.AnimWindow->Handle());
    ASSERT_TRUE(call && call->Image);
    const TRect cm = SizesOf(DefaultHintTemplate->ImageDefault()->ClientMargins());
    const Word inChild = Px(*call->Image, cm.Left + 10, cm.Top + 8);
    EXPECT_EQ(ByteA(inChild), 255) << "the child, opaque";
    EXPECT_GE(ByteR(inChild), 254);
    EXPECT_EQ(inChild & 0xFFFF, 0u);
    EXPECT_EQ(m.HintFrame->WindowProc, TWndMethod(static_cast<TControl*>(m.HintFrame.get()), &TControl::WndProc)) << "given back";
    SaveOverWhite(*call->Image, L"hint_frame");
    m.HideHint();
    EXPECT_EQ(m.HintFrame, nullptr);
}

// The skin's three bodies: a computed shadow, the mask image alone at full transparency, and the
// plain section cut to the mask's shape with the key colour clear.
TEST_F(HintsTest, SkinPicturesShowTheThreeBodiesWithTheShapeAndKeyColourClear)
{
    TsAlphaHints& m = MakeHints();
    UseHouseSkin();
    TsGeneralData& section = HintSectionData();
    const int w = 90, h = 44;
    const auto picture = [&](const wchar_t* name) {
        TacPngHintWindow win(nullptr);
        win.CalcHintRect(0, L"Skin hint");
        win.Text = L"Skin hint";
        m.NewBounds = TRect(0, 0, w, h);
        win.CreateAlphaBmp(w, h);
        EXPECT_NE(win.SkinIndex, -1);
        SaveOverWhite(*win.AlphaBmp, name);
        return std::move(win.AlphaBmp);
    };

    // Computed shadow: soft partial alpha around an opaque body.
    auto shadowed = picture(L"hint_skin_shadow");
    ASSERT_TRUE(m.ShadowCalculated);
    EXPECT_EQ(ByteA(Px(*shadowed, w / 2, h / 2)), 255 - MulDiv(house_skin::kHintTransparency, 255, 100))
        << "the section's transparency";
    int soft = 0;
    for (int x = 0; x < w; ++x) {
        const int a = ByteA(Px(*shadowed, x, h - 3));
        if (a > 0 && a < 255) ++soft;
    }
    EXPECT_GT(soft, w / 2) << "the bottom band holds the shadow";
    EXPECT_LT(ByteA(Px(*shadowed, 0, 0)), 255);

    // Full transparency with a mask: the mask image alone, its key corners clear.
    section.OuterMode = 0;
    section.Props[0].Transparency = 100;
    auto masked = picture(L"hint_skin_mask");
    EXPECT_FALSE(m.ShadowCalculated);
    EXPECT_EQ(Px(*masked, 0, 0), 0u);
    EXPECT_EQ(Px(*masked, w - 1, h - 1), 0u);
    const Word face = Px(*masked, w / 2, 3);
    EXPECT_EQ(ByteA(face), 255) << "the face of the mask image";
    for (int shift : {0, 8, 16}) EXPECT_NEAR(face >> shift & 0xFF, house_skin::kButtonFace[0] >> shift & 0xFF, 1);

    // The plain section: outside the shape and the key colour fully transparent.
    section.Props[0].Transparency = 0;
    m.OnPaint = [](const UnicodeString&, const THintInfo&, const TRect& r, TBitmap* bmp, bool&) {
        for (int y = r.Top; y < r.Top + 4; ++y)
            for (int x = r.Left; x < r.Left + 4; ++x) SetPx(*bmp, x, y, 0xFFFF00FFu);
    };
    TRect textArea;
    {
        TacPngHintWindow win(nullptr);
        win.CalcHintRect(0, L"Skin hint");
        m.NewBounds = TRect(0, 0, w, h);
        textArea = win.TextRect();
    }
    auto plain = picture(L"hint_skin_plain");
    EXPECT_EQ(Px(*plain, 0, 0), 0u) << "outside the shape";
    EXPECT_EQ(Px(*plain, textArea.Left + 1, textArea.Top + 1), 0u) << "the key colour";
    const TColor bg = house_skin::kHintBG;
    EXPECT_EQ(Px(*plain, w / 2, h - 8), Argb(255, GetRValue(bg), GetGValue(bg), GetBValue(bg)))
        << "the section's colour, opaque";
}

} // namespace
