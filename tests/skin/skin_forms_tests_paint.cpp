// The window image of a skinned form in its provider's cache (frame, title, caption text, title
// icon, size grip, the form's paint event) and its output to the window.
#include "house_skin.h"
#include "skin_forms_test_support.h"
#include "skin_graphics_test_pixels.h"

#include "sAlphaGraph.h"
#include "sGraphUtils.h"
#include "sVclUtils.h"

#include <gtest/gtest.h>

namespace {

using house_skin::kFormColor;

constexpr std::uint32_t kTitleColor[2] = {0xA06030, 0xC08040}; // FORMTITLE, inactive and active

// A skin colour (0xBBGGRR) as an opaque pixel word.
Word Opaque(std::uint32_t c) { return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

class SkinFormsPaintTest : public SkinFormsTest {
protected:
    TsSkinManager& UseFramedSkin()
    {
        house_skin::Options options;
        options.withForm = true;
        options.withFormFrame = true;
        manager = ActiveHouseSkinManager(dir.Path(), options);
        EXPECT_TRUE(manager && manager->IsActive());
        return *manager;
    }
    // A shown form whose provider took the skin.
    TSpyProvider& SkinnedForm(int width = 300, int height = 200)
    {
        TSpyProvider& sp = ProvidedForm(width, height);
        sp.PrepareForm();
        EXPECT_GE(sp.FCommonData->SkinIndex, 0);
        return sp;
    }
    TBitmap& Paint(TsSkinProvider& sp, bool active = true)
    {
        sp.FormActive = active;
        sp.FCommonData->BGChanged = true;
        EXPECT_TRUE(sp.PaintAll());
        EXPECT_FALSE(sp.FCommonData->BGChanged);
        return *sp.CacheBmp();
    }
    // Columns of the title band (rows top..bottom) holding a pixel other than background.
    static std::pair<int, int> InkSpan(TBitmap& cache, int top, int bottom, Word background)
    {
        int first = -1, last = -1;
        for (int x = 0; x < cache.Width(); ++x)
            for (int y = top; y < bottom; ++y)
                if (Px(cache, x, y) != background) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
};

TEST_F(SkinFormsPaintTest, TitleAndFrameFollowTheActiveStateAndTheCaptionStyle)
{
    UseHouseSkin();
    TSpyProvider& sp = SkinnedForm();
    form->SetCaption(L"");
    for (bool active : {true, false}) {
        SCOPED_TRACE(active);
        TBitmap& cache = Paint(sp, active);
        ASSERT_EQ(sp.CaptionWidth(), cache.Width());
        ASSERT_EQ(form->Height(), cache.Height());
        const int bh = sp.BorderHeight(true);
        EXPECT_EQ(Opaque(kTitleColor[active]), Px(cache, cache.Width() / 2, bh + 2));
        EXPECT_EQ(Opaque(kFormColor[active]), Px(cache, sp.OffsetX() + 5, sp.OffsetY() + 5));
        SaveEnlargedPng(cache, active ? L"forms_paint_active.png" : L"forms_paint_inactive.png", 1);
    }
    // Without WS_CAPTION the title place shows the form's own background.
    HWND wnd = form->Handle();
    SetWindowLongW(wnd, GWL_STYLE, GetWindowLongW(wnd, GWL_STYLE) & ~WS_CAPTION);
    SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    ASSERT_EQ(0, sp.CaptionHeight(true));
    TBitmap& cache = Paint(sp, true);
    EXPECT_EQ(Opaque(kFormColor[1]), Px(cache, cache.Width() / 2, sp.BorderHeight(true) + 2));
    SaveEnlargedPng(cache, L"forms_paint_nocaption.png", 1);
}

TEST_F(SkinFormsPaintTest, CaptionTextLiesWhereItsAlignmentPutsIt)
{
    UseHouseSkin();
    TSpyProvider& sp = SkinnedForm(400, 200);
    sp.SetBoolean(2, false); // no icon in the title
    form->SetCaption(L"WWWW");
    struct Case {
        TAlignment align;
        TBiDiMode bidi;
        const wchar_t* png;
    };
    const Case cases[] = {{taLeftJustify, bdLeftToRight, L"forms_paint_caption_left.png"},
                          {taCenter, bdLeftToRight, L"forms_paint_caption_centre.png"},
                          {taRightJustify, bdLeftToRight, L"forms_paint_caption_right.png"},
                          {taLeftJustify, bdRightToLeft, L"forms_paint_caption_rtl.png"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.align) * 10 + static_cast<int>(c.bidi));
        sp.FCaptionAlignment = c.align;
        form->SetBiDiMode(c.bidi);
        TBitmap& cache = Paint(sp);
        SaveEnlargedPng(cache, c.png, 1);
        const int W = cache.Width();
        const auto [first, last] = InkSpan(cache, sp.VCenter - 4, sp.VCenter + 4, Opaque(kTitleColor[1]));
        ASSERT_GE(first, 0) << "no caption ink";
        EXPECT_GT(last - first, 8);
        const bool right = c.align == taRightJustify || (c.align == taLeftJustify && c.bidi == bdRightToLeft);
        if (c.align == taCenter) {
            EXPECT_NEAR((first + last) / 2, W / 2, 12);
        } else if (right) {
            EXPECT_GT(first, W / 2);
        } else {
            EXPECT_LT(last, W / 2);
            EXPECT_GE(first, sp.BorderWidth(true));
        }
    }
}

TEST_F(SkinFormsPaintTest, TitleIconGlyphKeepsItsKeyPixelsAndTheSystemIconStandsIn)
{
    UseHouseSkin();
    TSpyProvider& sp = SkinnedForm();
    form->SetCaption(L"");
    TBitmap glyph;
    glyph.SetPixelFormat(pf24bit);
    glyph.SetSize(8, 8);
    glyph.Canvas()->Brush()->SetColor(static_cast<TColor>(0x0000C0));
    glyph.Canvas()->FillRect(TRect(0, 0, 4, 8));
    glyph.Canvas()->Brush()->SetColor(static_cast<TColor>(0xFF00FF));
    glyph.Canvas()->FillRect(TRect(4, 0, 8, 8));
    sp.TitleIcon()->SetGlyph(&glyph);
    ASSERT_TRUE(sp.IconVisible());
    TBitmap& cache = Paint(sp);
    SaveEnlargedPng(cache, L"forms_paint_icon_glyph.png", 2);
    const TRect ir = sp.FIconRect;
    ASSERT_EQ(8, ir.Width());
    const Word red = Px(cache, ir.Left + 1, ir.Top + 1); // composed by its alpha: 255 * 0xC0 >> 8
    EXPECT_EQ(0xFF000000u, red & 0xFF00FFFFu);
    EXPECT_NEAR(0xC0, static_cast<int>((red >> 16) & 0xFF), 1);
    EXPECT_EQ(Opaque(kTitleColor[1]), Px(cache, ir.Left + 6, ir.Top + 1)); // key pixel: title shows

    // Without a glyph the system's application icon is drawn; what it changed is opaque.
    sp.TitleIcon()->SetGlyph(nullptr);
    TBitmap& second = Paint(sp);
    SaveEnlargedPng(second, L"forms_paint_icon_system.png", 2);
    const TRect sr = sp.FIconRect;
    int changed = 0;
    for (int y = sr.Top; y < sr.Bottom; ++y)
        for (int x = sr.Left; x < sr.Right; ++x) {
            const Word p = Px(second, x, y);
            if (p == Opaque(kTitleColor[1])) continue;
            ++changed;
            EXPECT_EQ(0xFFu, p >> 24) << x << "," << y;
        }
    EXPECT_GT(changed, 0);
    EXPECT_EQ(Opaque(kTitleColor[1]), Px(second, sr.Right + 1, sr.Top));
}

TEST_F(SkinFormsPaintTest, FormPaintEventDrawsIntoTheCacheAtTheClientOffset)
{
    UseHouseSkin();
    TSpyProvider& sp = SkinnedForm();
    std::uint32_t stateDuringPaint = 0;
    form->OnPaint = [&](TObject*) {
        stateDuringPaint = sp.FFormState;
        form->Canvas()->Brush()->SetColor(static_cast<TColor>(0x00C000));
        form->Canvas()->FillRect(TRect(0, 0, 10, 10));
    };
    TBitmap& cache = Paint(sp);
    EXPECT_NE(0u, stateDuringPaint & FS_MOVEBLEND);
    EXPECT_EQ(0u, sp.FFormState & FS_MOVEBLEND);
    EXPECT_EQ(0x00C000u, Px(cache, sp.OffsetX() + 2, sp.OffsetY() + 2) & 0xFFFFFF);
    EXPECT_EQ(Opaque(kFormColor[1]), Px(cache, sp.OffsetX() + 12, sp.OffsetY() + 12));
}

TEST_F(SkinFormsPaintTest, ClientGripNeedsAGripImage)
{
    for (bool framed : {false, true}) {
        SCOPED_TRACE(framed);
        if (framed)
            UseFramedSkin();
        else
            UseHouseSkin();
        TSpyProvider& sp = SkinnedForm();
        sp.SetGripMode(gmRightBottom);
        TBitmap& cache = Paint(sp);
        auto target = CreateBmp32(cache.Width(), cache.Height());
        FillRect32(target.get(), TRect(0, 0, cache.Width(), cache.Height()), 0x000000, 255);
        PaintClientGrip(target->Canvas()->Handle(), &sp);
        TPoint p;
        sp.RBGripPoint(sp.FCommonData->GetCommonSkinData()->GripRightBottom, p);
        const auto [first, last] = InkSpan(*target, 0, target->Height(), 0xFF000000u);
        if (!framed) {
            EXPECT_EQ(-1, first);
        } else {
            EXPECT_EQ(p.X, first);
            EXPECT_EQ(Px(cache, p.X + 1, p.Y + 1) & 0xFFFFFF, Px(*target, p.X + 1, p.Y + 1) & 0xFFFFFF);
            SaveEnlargedPng(*target, L"forms_paint_grip.png", 1);
        }
        delete form;
        form = nullptr;
        manager.reset();
    }
}

TEST_F(SkinFormsPaintTest, NonClientAndBackgroundOutputCopyTheCache)
{
    UseHouseSkin();
    TSpyProvider& sp = SkinnedForm();
    form->SetCaption(L"");
    HWND wnd = form->Handle();
    sp.FCommonData->FCacheBmp.reset();
    sp.RgnChanged = false; // a pending region change ends the handler before any output
    auto windowPixel = [&](int x, int y) {
        HDC dc = GetWindowDC(wnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(wnd, dc);
        return static_cast<std::uint32_t>(c);
    };
    auto blacken = [&] {
        HDC dc = GetWindowDC(wnd);
        RECT r{0, 0, form->Width(), form->Height()};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ReleaseDC(wnd, dc);
    };
    const int titleY = sp.BorderHeight(true) + 2;
    // Held by a painting lock: nothing reaches the window.
    blacken();
    sp.LockCount = 1;
    sp.AC_WMNCPaintHandler();
    EXPECT_EQ(0u, windowPixel(form->Width() / 2, titleY));
    sp.LockCount = 0;
    // A missing cache is built first; title and frame strips then equal it.
    sp.AC_WMNCPaintHandler();
    ASSERT_NE(nullptr, sp.CacheBmp());
    TBitmap& cache = *sp.CacheBmp();
    ASSERT_GT(cache.Width(), 0);
    auto asColorRef = [](Word p) { return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF); };
    EXPECT_EQ(asColorRef(Px(cache, form->Width() / 2, titleY)), windowPixel(form->Width() / 2, titleY));
    EXPECT_EQ(asColorRef(Px(cache, 1, form->Height() / 2)), windowPixel(1, form->Height() / 2));
    EXPECT_EQ(asColorRef(Px(cache, form->Width() / 2, form->Height() - 2)), windowPixel(form->Width() / 2, form->Height() - 2));
    // The client background comes from the cache at the client offset.
    sp.AC_WMEraseBkGndHandler(nullptr);
    HDC dc = GetDC(wnd);
    const COLORREF client = GetPixel(dc, 5, 5);
    ReleaseDC(wnd, dc);
    EXPECT_EQ(asColorRef(Px(cache, sp.OffsetX() + 5, sp.OffsetY() + 5)), static_cast<std::uint32_t>(client));
}

TEST_F(SkinFormsPaintTest, FormImageOfASkinnedFormIsTheClientPartOfItsCache)
{
    UseHouseSkin();
    TSpyProvider& sp = SkinnedForm();
    std::unique_ptr<TBitmap> image = acGetFormImage(form);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(form->ClientWidth(), image->Width());
    EXPECT_EQ(form->ClientHeight(), image->Height());
    // The form's own painting lies over the cache's client part.
    auto own = CreateBmp32(sp.CacheBmp()->Width(), sp.CacheBmp()->Height());
    SkinPaintTo(own.get(), form, 0, 1, &sp, false);
    EXPECT_EQ(Px(*own, sp.OffsetX() + 5, sp.OffsetY() + 5), Px(*image, 5, 5));
    SaveEnlargedPng(*image, L"forms_paint_formimage.png", 1);
}

} // namespace
