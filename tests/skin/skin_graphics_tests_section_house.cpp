// The house skin's sections painted into a control's cache over its parent's cache: BUTTON in
// its three states, EDIT, PANEL (texture and gradient in one pass), PANEL_LOW (half transparent)
// and GROUPBOX (corner images), saved as a picture; the control's own painter with its border
// rule, colour changes and custom colour; the painter that asks the parent; whole bitmaps of
// foreign windows; the manager overloads; and the background answers of windows and controls
// that do not answer for themselves.
#include "ExtCtrls.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sGradient.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsPaintItem.h"
#include "sVclUtils.h"
#include "skin_core_test_skinload.h"
#include "skin_graphics_test_parent_child.h"
#include "skin_graphics_test_png.h"
#include "skin_graphics_test_skin_image.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>

namespace {

constexpr int kW = 60, kH = 30, kLeft = 20, kTop = 30;
const TRect kAll(0, 0, kW, kH);
const TPoint kAt(kLeft, kTop); // the child's place in its parent
Word ParentPx(int x, int y) { return Argb(255, (x * 2) % 256, y % 256, 0x77); }
constexpr Word Rgb(Word w) { return w & 0xFFFFFF; }
Word PxOf(TColor c) { return 0xFF000000u | static_cast<Word>(SwapRedBlue(static_cast<std::int32_t>(c)) & 0xFFFFFF); }
constexpr TColor kPanelLow = 0xD8D4D0;

class SectionPaintTest : public ParentChildSkinTest {
protected:
    void SetUp() override
    {
        SkinLoadTest::SetUp();
        MakeParentAndChild(&ParentPx, TRect(kLeft, kTop, kLeft + kW, kTop + kH));
    }
    // The child's section and a fresh cache, held device-dependent as painting finds it.
    void Use(const wchar_t* section, Word fill = 0xFF000000)
    {
        data->SetSkinSection(section);
        ASSERT_GE(data->SkinIndex, 0) << section;
        data->FCacheBmp = Bmp32(kW, kH, fill);
        InitCacheBmp(data);
    }
    TBitmap& Cache() { return *data->FCacheBmp; }
    TsGeneralData& Section() { return Data().gd[static_cast<size_t>(data->SkinIndex)]; }
    TsMaskData& Image(int index) { return Data().ma[static_cast<size_t>(index)]; }
    // The parent's pixel under (x, y) of the child: the parent answers with its cache at (3, 2).
    static Word Behind(int x, int y) { return ParentPx(3 + kLeft + x, 2 + kTop + y); }
    static TCacheInfo ParentCI() { return TCacheInfo{nullptr, 3, 2, sFuchsia, TRect(), true}; }
    TCacheInfo Ready() const
    {
        TCacheInfo ci = ParentCI();
        ci.Bmp = parent->Cache.get();
        return ci;
    }
    void Paint(int state, const TRect& r = kAll) { PaintItem(data, Ready(), false, state, r, kAt, &Cache(), true); }

    GradientUnits units;
};

// PANEL_LOW over the parent: every channel (((parent - own) * 127) + own * 256) shr 8.
Word HalfOver(Word parentPx) { return MixPx(parentPx, PxOf(kPanelLow), 50 * 255 / 100, 255); }

int CountWrong(TBitmap& bmp, const TRect& r, const std::function<Word(int, int)>& want, const std::string& what,
               Word mask = 0xFFFFFFFF)
{
    int wrong = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if ((Px(bmp, x, y) & mask) != (want(x, y) & mask) && ++wrong < 4)
                ADD_FAILURE() << what << " at " << x << "," << y << ": " << std::hex << Px(bmp, x, y) << " instead of "
                              << want(x, y);
    return wrong;
}

} // namespace

TEST_F(SectionPaintTest, HouseSectionsOverTheParentCache)
{
    struct Shot {
        const wchar_t* section;
        int state;
        const char* what;
    } shots[] = {{L"BUTTON", 0, "BUTTON 0"}, {L"BUTTON", 1, "BUTTON 1"}, {L"BUTTON", 2, "BUTTON 2"},
                 {L"EDIT", 0, "EDIT"},       {L"PANEL", 0, "PANEL"},       {L"PANEL_LOW", 0, "PANEL_LOW"},
                 {L"GROUPBOX", 0, "GROUPBOX"}};
    constexpr int kGap = 4;
    auto strip = Bmp32(kW + 2 * kGap, static_cast<int>(std::size(shots)) * (kH + kGap) + kGap, 0xFF808080);
    int row = 0;
    for (const Shot& s : shots) {
        Use(s.section);
        Paint(s.state);
        ASSERT_EQ(Cache().PixelFormat(), pf32bit) << "the cache is made 32-bit for painting";
        const std::string what = s.what;
        const TsGenState& props = Section().Props[static_cast<size_t>(s.state)];
        if (what.rfind("BUTTON", 0) == 0) {
            // Key corners show the parent, the face comes from the border image's state, the
            // undrawn centre is the state's gradient.
            auto grad = CreateBmp32(kW, kH);
            PaintGrad(grad.get(), kAll, props.GradientArray, 0, 0);
            EXPECT_EQ(Rgb(Px(Cache(), 0, 0)), Rgb(Behind(0, 0))) << what;
            EXPECT_EQ(Rgb(Px(Cache(), kW - 1, kH - 1)), Rgb(Behind(kW - 1, kH - 1))) << what;
            EXPECT_EQ(Rgb(Px(Cache(), 3, kH / 2)), Rgb(house_skin::kButtonFace[static_cast<size_t>(s.state)])) << what;
            const int m = house_skin::kButtonMargin;
            EXPECT_EQ(CountWrong(Cache(), TRect(m, m, kW - m, kH - m), [&](int x, int y) { return Px(*grad, x, y); },
                                 what, 0xFFFFFF),
                      0);
            EXPECT_NE(Px(*grad, kW / 2, m), Px(*grad, kW / 2, kH - m - 1)) << "a gradient, not a flat colour";
        } else if (what == "EDIT") {
            EXPECT_EQ(Rgb(Px(Cache(), 0, kH / 2)), house_skin::kEditRgb[0]);
            EXPECT_EQ(Px(Cache(), kW / 2, kH / 2), PxOf(house_skin::kEditBG));
        } else if (what == "PANEL") {
            // Texture 40 and a row gradient 60: one pass with the texture at weight 102.
            const TsMaskData& texture = Image(props.TextureIndex);
            ASSERT_EQ(texture.DrawMode, 0);
            auto want = CreateBmp32(kW, kH);
            PaintGradTxt(want.get(), kAll, props.GradientArray, manager->MasterBitmap.get(), texture.R, 102, 255);
            EXPECT_EQ(CountWrong(Cache(), kAll, [&](int x, int y) { return Px(*want, x, y); }, what), 0);
            EXPECT_NE(Px(Cache(), 0, 0), Px(Cache(), 8, 0)) << "both tile colours show";
        } else if (what == "PANEL_LOW") {
            EXPECT_EQ(CountWrong(Cache(), kAll, [](int x, int y) { return HalfOver(Behind(x, y)); }, what), 0);
        } else {
            const Word a = house_skin::kTileA, b = house_skin::kTileB;
            EXPECT_EQ(Px(Cache(), 0, 0), a);
            EXPECT_EQ(Px(Cache(), kW - 1, 0), b);
            EXPECT_EQ(Px(Cache(), 0, kH - 1), b);
            EXPECT_EQ(Px(Cache(), kW - 1, kH - 1), a);
            EXPECT_EQ(Px(Cache(), kW / 2, kH / 2), PxOf(house_skin::kMainColor));
        }
        BitBlt(strip->Canvas()->Handle(), kGap, kGap + row++ * (kH + kGap), kW, kH, Cache().Canvas()->Handle(), 0, 0,
               SRCCOPY);
    }
    GdiFlush();
    EXPECT_TRUE(SaveEnlargedPng(*strip, L"skin_section_painting.png", 4));
}

TEST_F(SectionPaintTest, ControlSectionBorderRuleCornersAndColourChanges)
{
    // The corner images lie at R's corners also when R starts inside the bitmap, with the
    // control's painter and with the one that asks the parent; left of R nothing changes.
    for (const bool askParent : {false, true}) {
        SCOPED_TRACE(askParent ? "PaintSkinControl" : "PaintItem");
        Use(L"GROUPBOX", 0xFF000000);
        const TRect r(10, 0, kW, kH);
        if (askParent) {
            EXPECT_TRUE(PaintSkinControl(data, parent, false, 0, r, kAt, &Cache(), true));
        } else {
            Paint(0, r);
        }
        Cache().SetPixelFormat(pf32bit);
        EXPECT_EQ(Px(Cache(), 10, kH - 1), house_skin::kTileB) << "bottom left";
        EXPECT_EQ(Px(Cache(), 17, kH - 8), house_skin::kTileB) << "bottom left";
        EXPECT_EQ(Px(Cache(), 10, 0), house_skin::kTileA) << "top left";
        EXPECT_EQ(Px(Cache(), kW - 1, kH - 1), house_skin::kTileA) << "bottom right";
        EXPECT_EQ(Px(Cache(), 18, kH - 1), PxOf(house_skin::kMainColor)) << "beside the corner";
        EXPECT_EQ(CountWrong(Cache(), TRect(0, 0, 10, kH), [](int, int) { return 0xFF000000u; }, "left of R"), 0);
    }

    // A border image with DrawMode bit 1 is not drawn in state 0.
    Use(L"BUTTON");
    TsMaskData& border = Image(Section().BorderIndex);
    border.DrawMode |= 2;
    Paint(0);
    auto grad = CreateBmp32(kW, kH);
    PaintGrad(grad.get(), kAll, Section().Props[0].GradientArray, 0, 0);
    EXPECT_EQ(Rgb(Px(Cache(), 3, kH / 2)), Rgb(Px(*grad, 3, kH / 2))) << "state 0: no border";
    Paint(1);
    EXPECT_EQ(Rgb(Px(Cache(), 3, kH / 2)), Rgb(house_skin::kButtonFace[1])) << "state 1: the border";
    border.DrawMode &= ~2;

    // Tone, then hue, then saturation over the whole bitmap, key pixels kept; only with a border
    // drawn or an opaque section.
    const TColor tone = 0x80C0FF;
    struct Case {
        const wchar_t* section;
        bool changed;
    } cases[] = {{L"BUTTON", true}, {L"GROUPBOX", true}, {L"PANEL_LOW", false}};
    for (const Case& c : cases) {
        const TRect r(0, 0, kW - 4, kH); // the four columns right of R keep what lay there
        const auto paint = [&](bool colours) {
            data->SetSkinSection(c.section);
            data->FCacheBmp = Bmp32(kW, kH, 0xFF405060);
            for (int y = 0; y < kH; y += 2) SetPx(Cache(), kW - 1, y, 0x00FF00FF);
            data->FColorTone = colours ? tone : clNone;
            data->FHUEOffset = colours ? 40 : 0;
            data->FSaturation = colours ? -30 : 0;
            PaintItem(data, Ready(), false, 0, r, kAt, &Cache(), true);
            return Copy32(Cache());
        };
        auto plain = paint(false);
        auto changed = paint(true);
        const auto want = [&](int x, int y) {
            TsColor_ p;
            p.I = static_cast<std::int32_t>(Px(*plain, x, y));
            if (!c.changed || p.I == 0x00FF00FF) return static_cast<Word>(p.I);
            ChangeColorTone(p, static_cast<int>(tone));
            ChangeColorHUE(p, 40);
            ChangeColorSaturation(p, -30);
            return static_cast<Word>(p.I);
        };
        EXPECT_EQ(CountWrong(*changed, kAll, want, "colour changes"), 0) << c.changed;
        EXPECT_EQ(Px(*changed, kW - 1, 0), 0x00FF00FFu);
    }
    data->FColorTone = clNone, data->FHUEOffset = 0, data->FSaturation = 0;

    // The custom colour of the control replaces the layers and the transparency.
    Use(L"PANEL_LOW");
    data->FCustomColor = true;
    child->SetColor(0x123456);
    Paint(0);
    EXPECT_EQ(CountWrong(Cache(), kAll, [](int, int) { return PxOf(0x123456); }, "custom colour"), 0);
}

TEST_F(SectionPaintTest, PaintSkinControlWaitsForTheParent)
{
    Use(L"PANEL_LOW", 0xFF102030);
    parent->NotReady = true;
    EXPECT_FALSE(PaintSkinControl(data, parent, false, 0, kAll, kAt, &Cache(), true));
    Cache().SetPixelFormat(pf32bit);
    EXPECT_EQ(CountWrong(Cache(), kAll, [](int, int) { return 0xFF102030u; }, "not ready"), 0);

    parent->NotReady = false;
    EXPECT_TRUE(PaintSkinControl(data, parent, false, 0, kAll, kAt, &Cache(), true));
    EXPECT_EQ(CountWrong(Cache(), kAll, [](int x, int y) { return HalfOver(Behind(x, y)); }, "ready"), 0);
}

TEST_F(SectionPaintTest, PaintSectionForForeignWindows)
{
    const int index = manager->GetSkinIndex(L"PANEL_LOW");
    ASSERT_GE(index, 0);
    const TColor bg = 0x204080;
    auto bmp = Bmp32(40, 20);
    EXPECT_EQ(PaintSection(bmp.get(), L"PANEL_LOW", L"", 0, &Data(), TPoint(7, 5), bg, nullptr), index);
    const Word over = PxOf(BlendColors(bg, kPanelLow, 50 * 255 / 100));
    EXPECT_EQ(CountWrong(*bmp, TRect(0, 0, 40, 20), [&](int, int) { return over; }, "over the colour"), 0);

    // Over a parent DC, its pixels taken at pP; the second section when the first is unknown.
    auto parentBmp = CreateBmp32(80, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x) SetPx(*parentBmp, x, y, ParentPx(x, y));
    const auto overParent = [](int x, int y) { return HalfOver(ParentPx(7 + x, 5 + y)); };
    for (const bool byIndex : {false, true}) {
        bmp = Bmp32(40, 20);
        const int used = byIndex ? PaintSection(bmp.get(), -1, index, 0, &Data(), TPoint(7, 5), bg,
                                                parentBmp->Canvas()->Handle())
                                 : PaintSection(bmp.get(), L"NOSUCHSECTION", L"PANEL_LOW", 0, &Data(), TPoint(7, 5),
                                                bg, parentBmp->Canvas()->Handle());
        EXPECT_EQ(used, index);
        EXPECT_EQ(CountWrong(*bmp, TRect(0, 0, 40, 20), overParent, byIndex ? "by index" : "by name"), 0);
    }

    // Neither section known, or a negative index: that index back, nothing painted.
    bmp = Bmp32(40, 20, 0xFF010203);
    EXPECT_LT(PaintSection(bmp.get(), L"NOSUCH1", L"NOSUCH2", 0, &Data(), TPoint(), bg, nullptr), 0);
    EXPECT_EQ(PaintSection(bmp.get(), -1, -2, 0, &Data(), TPoint(), bg, nullptr), -2);
    EXPECT_EQ(CountWrong(*bmp, TRect(0, 0, 40, 20), [](int, int) { return 0xFF010203u; }, "unknown"), 0);
}

TEST_F(SectionPaintTest, ManagerOverloadsUseTheGivenOrTheDefaultManager)
{
    const int index = manager->GetSkinIndex(L"BUTTON");
    ASSERT_EQ(DefaultManager, manager.get());
    auto want = Bmp32(kW, kH);
    PaintItem(index, Ready(), false, 1, kAll, kAt, want.get(), static_cast<TacObject*>(&Data()));
    for (TComponent* m : {static_cast<TComponent*>(manager.get()), static_cast<TComponent*>(nullptr)}) {
        auto bmp = Bmp32(kW, kH);
        PaintItem(index, Ready(), false, 1, kAll, kAt, bmp.get(), m);
        EXPECT_EQ(CountWrong(*bmp, kAll, [&](int x, int y) { return Px(*want, x, y); }, "PaintItem"), 0);
        bmp = Bmp32(kW, kH);
        PaintItemFast(index, Section().BorderIndex, -1, -1, Ready(), false, 1, kAll, kAt, bmp.get(), m);
        EXPECT_NE(Px(*bmp, 3, kH / 2), 0u) << "PaintItemFast";
    }
    DefaultManager = nullptr;
    auto bmp = Bmp32(kW, kH);
    PaintItem(index, Ready(), false, 1, kAll, kAt, bmp.get(), static_cast<TComponent*>(nullptr));
    PaintItemBG(index, Ready(), 1, kAll, kAt, bmp.get(), static_cast<TComponent*>(nullptr));
    DefaultManager = manager.get();
    EXPECT_EQ(CountWrong(*bmp, kAll, [](int, int) { return 0u; }, "no manager"), 0);
}

TEST_F(SectionPaintTest, BackgroundOfWindowsThatDoNotAnswer)
{
    // A window of no library control: its client position, the active manager's main colour,
    // else the button face; a window that does not answer gives false.
    const HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 40, 50, 30, 20, form->Handle(),
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(wnd, nullptr);
    TBitmap* const callerBmp = parent->Cache.get();
    for (const bool withManager : {true, false}) {
        if (!withManager) DefaultManager = nullptr;
        TacBGInfo bg;
        bg.Bmp = callerBmp;
        bg.FillRect = TRect(1, 2, 3, 4);
        EXPECT_FALSE(GetBGInfo(bg, wnd, false));
        DefaultManager = manager.get();
        EXPECT_EQ(bg.BgType, btFill);
        EXPECT_EQ(bg.Color, withManager ? manager->GetGlobalColor() : clBtnFace);
        EXPECT_EQ(bg.Offset, GetClientPos(wnd));
        EXPECT_EQ(bg.FillRect, TRect(0, 0, 0, 0));
        EXPECT_EQ(bg.Bmp, callerBmp) << "the window overload leaves the caller's bitmap";
    }
    DestroyWindow(wnd);

    // A control that does not answer: its own colour, the bitmap cleared; as a cache info only
    // the colour is sure.
    form->SetColor(0x00336699);
    TacBGInfo bg;
    bg.Bmp = callerBmp;
    bg.Offset = TPoint(5, 6);
    EXPECT_TRUE(GetBGInfo(bg, form, false));
    EXPECT_EQ(bg.BgType, btFill);
    EXPECT_EQ(bg.Bmp, nullptr);
    EXPECT_EQ(bg.Color, 0x00336699);
    const TCacheInfo ci = BGInfoToCI(bg);
    EXPECT_FALSE(ci.Ready);
    EXPECT_EQ(ci.FillColor, 0x00336699);
    EXPECT_EQ(TPoint(ci.X, ci.Y), TPoint(5, 6));

    // The parent that answers with its cache: a ready cache info at the answer's offset.
    bg = TacBGInfo{};
    ASSERT_TRUE(GetBGInfo(bg, parent, false));
    ASSERT_EQ(bg.BgType, btCache);
    const TCacheInfo ready = BGInfoToCI(bg);
    EXPECT_TRUE(ready.Ready);
    EXPECT_EQ(ready.Bmp, parent->Cache.get());
    EXPECT_EQ(ready.FillColor, sFuchsia);
    EXPECT_EQ(TPoint(ready.X, ready.Y), bg.Offset);
}
