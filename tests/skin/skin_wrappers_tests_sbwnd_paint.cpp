// What the scroll-bar control wrapper paints with the house skin: the bar parts and the thumb in
// their states, arrow buttons pointing the right way, the thumb only when enabled and when it
// fits, the disabled look over the form, and a square bar in one colour.
#include "skin_wrappers_test_sbwnd.h"

#include "acSBUtilsScrollBar.h"
#include "skin_test_arrow_ink.h"

#include <gtest/gtest.h>

namespace {

namespace hs = house_skin;

class SBWndPaintTest : public SkinnedFormTest {
protected:
    // A bar of the given kind and length at range 0..100, page 10, position 40, wrapped.
    TacSBWnd* Wrapped(TScrollBarKind kind, int length = 200)
    {
        bar = NewScrollBar(kind, length);
        return Wrap<TacSBWnd>(bar->Handle(), bar);
    }
    // A point in the middle of r.
    static TPoint Mid(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
    TScrollBar* bar = nullptr;
};

TEST_F(SBWndPaintTest, PartsInTheirStatesAndArrowsPointingOutwards)
{
    for (TScrollBarKind kind : {sbHorizontal, sbVertical}) {
        const bool v = kind == sbVertical;
        SCOPED_TRACE(v ? "vertical" : "horizontal");
        TacSBWnd* w = Wrapped(kind);
        const TacSBGeometry g = w->Geometry();
        const auto& bar1 = v ? hs::kScrollBar1V : hs::kScrollBar1H;
        const auto& bar2 = v ? hs::kScrollBar2V : hs::kScrollBar2H;
        const TRect b1 = g.Btn1Rect(), b2 = g.Btn2Rect(), thumb = g.SliderRect();
        const TRect part1 = v ? TRect(0, b1.Bottom, 17, thumb.Top) : TRect(b1.Right, 0, thumb.Left, 17);
        const TRect part2 = v ? TRect(0, thumb.Bottom, 17, b2.Top) : TRect(thumb.Right, 0, b2.Left, 17);
        struct Row {
            const char* what;
            int part, state;
            int bar1, bar2, thumb, btn1, btn2; // expected states in the picture
        };
        const Row rows[] = {
            {"normal", -1, 0, 0, 0, 0, 0, 0},
            {"first bar pressed", sbpBar1, 2, 2, 1, 0, 0, 0},
            {"thumb pressed", sbpSlider, 2, 1, 1, 2, 0, 0},
            {"second button hot", sbpBtn2, 1, 1, 1, 0, 0, 1},
        };
        for (const Row& r : rows) {
            SCOPED_TRACE(r.what);
            for (int i = 0; i < 5; ++i) w->SetInteger(i, 0);
            if (r.part >= 0) w->SetInteger(r.part, r.state);
            auto cap = PrintCapture(bar->Handle());
            const TPoint p1 = Mid(part1), p2 = Mid(part2), pt = Mid(thumb);
            EXPECT_EQ(CapturePixel(*cap, p1.X, p1.Y), static_cast<TColor>(bar1[r.bar1]));
            EXPECT_EQ(CapturePixel(*cap, p2.X, p2.Y), static_cast<TColor>(bar2[r.bar2]));
            EXPECT_EQ(CapturePixel(*cap, pt.X, pt.Y), static_cast<TColor>(hs::kScrollSlider[r.thumb]));
            EXPECT_EQ(CapturePixel(*cap, b1.Left + 1, b1.Top + 1), static_cast<TColor>(hs::kScrollBtn[r.btn1]));
            EXPECT_EQ(CapturePixel(*cap, b2.Left + 1, b2.Top + 1), static_cast<TColor>(hs::kScrollBtn[r.btn2]));
            if (r.part < 0) SaveEnlargedPng(*cap, v ? L"sbwnd_vertical.png" : L"sbwnd_horizontal.png");
            if (r.part < 0) {
                // The first arrow's tip points to the bar's start, the second's to its end; the
                // horizontal ones are the skin's line arrows, drawn through GDI+.
                const TColor ink = static_cast<TColor>(hs::kScrollBtnArrow[0]);
                const auto inked = [&](int x, int y) { return Near(CapturePixel(*cap, x, y), ink, 0x60); };
                EXPECT_TRUE(TipAt(InkSpans(b1, !v, inked), true));
                EXPECT_TRUE(TipAt(InkSpans(b2, !v, inked), false));
            }
        }
    }
}

TEST_F(SBWndPaintTest, ThumbOnlyWhenEnabledAndWhenItFits)
{
    const TColor thumb = static_cast<TColor>(hs::kScrollSlider[0]);
    TacSBWnd* w = Wrapped(sbHorizontal, 45);
    ASSERT_LT(w->Geometry().WorkSize(), w->Geometry().SliderSize());
    auto shortCap = PrintCapture(bar->Handle());
    EXPECT_EQ(CountColor(*shortCap, TRect(0, 0, 45, 17), thumb), 0) << "no room between the buttons";
    EXPECT_GT(CountColor(*shortCap, TRect(0, 0, 45, 17), static_cast<TColor>(hs::kScrollBtn[0])), 0);

    w = Wrapped(sbHorizontal);
    bar->SetEnabled(false);
    auto cap = PrintCapture(bar->Handle());
    SaveEnlargedPng(*cap, L"sbwnd_disabled.png");
    EXPECT_EQ(CountColor(*cap, TRect(0, 0, 200, 17), thumb), 0);
    // The parts are laid over what lies under the bar on the form.
    const TacSBGeometry g = w->Geometry();
    const TPoint p(g.Btn1Rect().Right + 5, 8);
    const TCacheInfo under = GetParentCacheHwnd(bar->Handle());
    const TColor parent = under.Ready && under.Bmp
                              ? CapturePixel(*under.Bmp, under.X + bar->Left() + p.X, under.Y + bar->Top() + p.Y)
                              : ColorToRGB(under.FillColor == clFuchsia ? manager->GetGlobalColor() : under.FillColor);
    const TColor seen = CapturePixel(*cap, p.X, p.Y);
    const TColor own = static_cast<TColor>(hs::kScrollBar1H[0]);
    EXPECT_NE(seen, own);
    EXPECT_NE(seen, parent);
    EXPECT_TRUE(Between(seen, own, parent))
        << std::hex << seen;
}

TEST_F(SBWndPaintTest, SquareBarIsOneColourWithoutButtons)
{
    Wrapped(sbHorizontal, 17);
    ASSERT_EQ(bar->Width(), bar->Height());
    auto cap = PrintCapture(bar->Handle());
    EXPECT_EQ(CountColor(*cap, TRect(0, 0, 17, 17), static_cast<TColor>(hs::kScrollBar1H[0])), 17 * 17);
}

} // namespace
