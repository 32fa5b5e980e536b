// Skinned text output: the low-level text call (length cap, GDI+ measure and draw, the colour
// writer without GDI+), the plain writers' hand layout and disabled looks, captions in a
// section's font and outline colours, a control's own text with its glow and colour changes,
// the glow itself, ellipsis cutting and the font routines.
#include "skin_graphics_test_png.h"

#include "ExtCtrls.h"
#include "Forms.h"
#include "acGPUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sDefaults.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsText.h"
#include "sGraphUtilsTextEx.h"
#include "sGraphUtilsTextFont.h"
#include "sGraphUtilsTextOut.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "skin_graphics_test_pixels.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>

namespace {

constexpr UINT kFlags = DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX;
constexpr Word kPaper = Argb(0, 0xF0, 0xF0, 0xF0);

// A crisp font on a canvas, so that text drawn twice at one place looks as drawn once.
void Crisp(TCanvas* canvas, int height = -14)
{
    canvas->Font()->SetName(L"Tahoma");
    canvas->Font()->SetHeight(height);
    canvas->Font()->SetQuality(fqNonAntialiased);
}

std::unique_ptr<TBitmap> Paper(int w, int h, Word fill = kPaper)
{
    auto bmp = Bmp32(w, h, fill);
    Crisp(bmp->Canvas());
    return bmp;
}

// Text drawn with DrawTextW in colour c at r moved by (dx, dy).
void Ink(TBitmap& bmp, const UnicodeString& text, TRect r, TColor c, int dx = 0, int dy = 0, UINT flags = kFlags)
{
    HDC dc = acCanvasTextDC(bmp.Canvas());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToGdi(c));
    r.Offset(dx, dy);
    RECT rc = r;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags);
    GdiFlush();
}

// Pixels whose colour differs between two bitmaps (alpha ignored).
int Differences(TBitmap& a, TBitmap& b)
{
    GdiFlush();
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) n += (Px(a, x, y) & 0xFFFFFF) != (Px(b, x, y) & 0xFFFFFF);
    return n;
}

// Pixels of colour rgb (0xRRGGBB), counted inside and outside r.
struct InkCount {
    int inside = 0, outside = 0;
};
InkCount CountInk(TBitmap& bmp, Word rgb, const TRect& r)
{
    GdiFlush();
    InkCount c;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if ((Px(bmp, x, y) & 0xFFFFFF) == rgb) ++(r.Contains(TPoint(x, y)) ? c.inside : c.outside);
    return c;
}

constexpr Word Rgb(TColor c) { return static_cast<Word>(SwapRedBlue(c)) & 0xFFFFFF; }

// A manager with one hand-made section (index 0) in its 96-PPI skin data.
struct HandSkin {
    TsSkinManager manager{nullptr};
    TacSkinData* data = nullptr;
    HandSkin()
    {
        manager.SkinDataArray.push_back(std::make_unique<TacSkinData>(&manager, 96));
        data = manager.SkinDataArray[0].get();
        data->gd.resize(1);
        manager.SkinCommonInfo.Active = true;
    }
    ~HandSkin() { manager.SkinCommonInfo.Active = false; }
    TsGenState& State(int s) { return data->gd[0].Props[static_cast<size_t>(s)]; }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// acDrawText and the measuring wrappers

TEST(SkinTextOut, AcDrawTextCapsTheGdiPathAndMeasuresTheTextWithDcZero)
{
    auto bmp = Paper(40, 20);
    HDC dc = acCanvasTextDC(bmp->Canvas());
    // 5,460 narrow letters, then wide ones that would show in the measure.
    const UnicodeString head(acDrawTextMaxChars, L'i');
    const UnicodeString text = head + UnicodeString(6000 - acDrawTextMaxChars, L'W');
    TRect all(0, 0, 0, 0), first(0, 0, 0, 0);
    EXPECT_GT(acDrawText(dc, text, all, kFlags | DT_CALCRECT), 0);
    acDrawText(dc, head, first, kFlags | DT_CALCRECT);
    EXPECT_GT(first.Width(), 0);
    EXPECT_EQ(all, first);

    TSize byDc, byFont, plain;
    ASSERT_TRUE(acGetTextExtent(dc, L"Sample", byDc, nullptr));
    ASSERT_TRUE(acGetTextExtent(nullptr, L"Sample", byFont, bmp->Canvas()->Font()->Handle()));
    ASSERT_TRUE(acGetTextExtentW(nullptr, L"Sample", plain, nullptr));
    EXPECT_EQ(byFont, byDc);
    EXPECT_EQ(byDc, acTextExtent(bmp->Canvas(), L"Sample"));
    EXPECT_EQ(acTextWidth(bmp->Canvas(), L"Sample"), byDc.cx);
    EXPECT_EQ(acTextHeight(bmp->Canvas(), L"Sample"), byDc.cy);
}

TEST(SkinTextOut, AcDrawTextThroughGdiplusMeasuresAndDrawsInTheTextColour)
{
    GdiplusUnit gdiplus;
    ASSERT_TRUE(acgpStartup(false));
    auto bmp = Paper(80, 30, Argb(255, 255, 255, 255));
    HDC dc = acCanvasTextDC(bmp->Canvas());
    TRect r(5, 4, 200, 4);
    EXPECT_EQ(acDrawText(dc, L"Glow", r, DT_CALCRECT | acDrawTextGdiPlus), 1);
    const TSize size = acgpMeasureString(dc, L"Glow", false, 195);
    EXPECT_EQ(r, TRect(5, 4, 5 + size.cx, 4 + size.cy));

    SetTextColor(dc, RGB(200, 0, 0));
    TRect box(5, 4, 75, 26);
    EXPECT_EQ(acDrawText(dc, L"Glow", box, kFlags | acDrawTextGdiPlus), 1);
    GdiFlush();
    int reddish = 0, outside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) {
            const Word p = Px(*bmp, x, y);
            if ((p & 0xFFFFFF) == 0xFFFFFF) continue;
            (box.Contains(TPoint(x, y)) ? reddish : outside) += ByteR(p) > ByteB(p) + 40 ? 1 : 0;
        }
    EXPECT_GT(reddish, 10) << "red text, not blue";
    EXPECT_EQ(outside, 0);
}

TEST(SkinTextOut, AcDrawTextWithoutGdiplusWritesIntoTheGivenBitmap)
{
    ASSERT_FALSE(acgpStartup(false)) << "GDI+ is not loaded here";
    constexpr Word clear = Argb(0, 0x40, 0x50, 0x60);
    auto bmp = Paper(60, 24, clear), want = Paper(60, 24, clear), none = Paper(60, 24, clear);
    const TRect r(3, 2, 58, 22);
    HDC dc = acCanvasTextDC(bmp->Canvas());
    SetTextColor(dc, RGB(0, 0, 160));
    TRect rr = r;
    EXPECT_EQ(acDrawText(dc, L"Alpha", rr, kFlags | acDrawTextGdiPlus, bmp.get()), 1);
    WriteColor(want.get(), L"Alpha", true, r, kFlags, static_cast<TColor>(0xA00000));
    int wrong = 0, ink = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 60; ++x) {
            wrong += Px(*bmp, x, y) != Px(*want, x, y);
            ink += Px(*bmp, x, y) != clear;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(ink, 10);
    // Without a bitmap nothing is drawn.
    rr = r;
    acDrawText(acCanvasTextDC(none.get()->Canvas()), L"Alpha", rr, kFlags | acDrawTextGdiPlus);
    EXPECT_EQ(CountInk(*none, 0x405060, TRect(0, 0, 60, 24)).inside, 60 * 24);
}

TEST(SkinTextOut, TextWritersNeverWriteIntoTheCallersText)
{
    // DT_MODIFYSTRING would have DrawText write the shortened text, and up to four characters
    // more, into the caller's constant string.
    const UINT flags = kFlags | DT_END_ELLIPSIS | DT_MODIFYSTRING;
    const std::wstring original = L"A rather long caption";
    const std::function<void(const UnicodeString&, TRect&)> writers[] = {
        [&](const UnicodeString& t, TRect& r) { acDrawText(acCanvasTextDC(Paper(60, 20)->Canvas()), t, r, flags); },
        [&](const UnicodeString& t, TRect& r) { WriteText(Paper(60, 20)->Canvas(), t, true, r, flags | DT_WORDBREAK); },
        [&](const UnicodeString& t, TRect& r) {
            auto bmp = Paper(60, 20);
            WriteTextOnDC(acCanvasTextDC(bmp->Canvas()), t, false, r, flags | DT_WORDBREAK);
        },
    };
    for (size_t i = 0; i < std::size(writers); ++i) {
        SCOPED_TRACE(i);
        const UnicodeString text = original;
        TRect r(0, 0, 40, 16);
        writers[i](text, r);
        EXPECT_EQ(text, original);
    }
}

// ---------------------------------------------------------------------------------------------
// Plain writers

TEST(SkinTextOut, PlainWritersLayTheRectangleOutAroundTheText)
{
    const UnicodeString text = L"Layout";
    auto probe = Paper(10, 10);
    const TSize t = acTextExtent(probe->Canvas(), text);
    const TRect r(10, 10, 110, 50); // wider and higher than the text
    const int dy = (t.cy - r.Height()) / 2;
    struct Case {
        const char* name;
        UINT align;
        TRect box; // the text box before the inflation by 1
    } cases[] = {
        {"centre", DT_CENTER, TRect(10 - (t.cx - 100) / 2, 10 - dy, 110 + (t.cx - 100) / 2, 50 + dy)},
        {"right", DT_RIGHT, TRect(110 - t.cx, 10 - dy, 110, 50 + dy)},
        {"left", DT_LEFT, TRect(10, 10 - dy, 10 + t.cx, 50 + dy)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TRect want(c.box.Left - 1, c.box.Top - 1, c.box.Right + 1, c.box.Bottom + 1);
        auto onDc = Paper(130, 60), onCanvas = Paper(130, 60);
        TRect a = r, b = r;
        HDC dc = acCanvasTextDC(onDc->Canvas());
        SetTextColor(dc, RGB(0, 0, 0));
        WriteTextOnDC(dc, text, true, a, c.align | DT_SINGLELINE);
        onCanvas->Canvas()->Font()->SetColor(clBlack);
        WriteText(onCanvas->Canvas(), text, true, b, c.align | DT_SINGLELINE);
        EXPECT_EQ(a, want);
        EXPECT_EQ(b, want);
        const InkCount ink = CountInk(*onDc, 0, c.box);
        EXPECT_GT(ink.inside, 10);
        EXPECT_EQ(ink.outside, 0);
        EXPECT_EQ(Differences(*onDc, *onCanvas), 0);
    }
    // With word breaks the rectangle is the caller's.
    auto bmp = Paper(130, 60);
    TRect kept = r;
    WriteTextOnDC(acCanvasTextDC(bmp->Canvas()), text, true, kept, DT_WORDBREAK);
    EXPECT_EQ(kept, r);
    TRect empty = r;
    WriteText(bmp->Canvas(), L"", true, empty, DT_CENTER);
    EXPECT_EQ(empty, r);
}

TEST(SkinTextOut, PlainWritersDrawDisabledTextEngravedOrTwice)
{
    const UnicodeString text = L"Off";
    const TRect r(4, 4, 60, 24);
    const UINT flags = DT_WORDBREAK; // keeps R, so the expectation is plain DrawText
    auto canvasBmp = Paper(64, 28), want = Paper(64, 28);
    TRect rr = r;
    WriteText(canvasBmp->Canvas(), text, false, rr, flags);
    Ink(*want, text, r, clBtnHighlight, 1, 1, flags);
    Ink(*want, text, r, clBtnShadow, 0, 0, flags);
    EXPECT_EQ(Differences(*canvasBmp, *want), 0);
    EXPECT_GT(CountInk(*canvasBmp, Rgb(ColorToRGB(clBtnShadow)), r).inside, 5);

    auto dcBmp = Paper(64, 28), twice = Paper(64, 28);
    HDC dc = acCanvasTextDC(dcBmp->Canvas());
    SetTextColor(dc, RGB(0x20, 0x40, 0x80));
    rr = r;
    WriteTextOnDC(dc, text, false, rr, flags);
    Ink(*twice, text, r, static_cast<TColor>(0x804020), 1, 1, flags);
    Ink(*twice, text, r, static_cast<TColor>(0x804020), 0, 0, flags);
    EXPECT_EQ(Differences(*dcBmp, *twice), 0);

    auto enabled = Paper(64, 28), once = Paper(64, 28);
    enabled->Canvas()->Font()->SetColor(clBlack);
    enabled->Canvas()->Brush()->SetStyle(bsClear);
    acWriteText(enabled->Canvas(), text, false, rr = r, flags);
    Ink(*once, text, r, clBlack, 0, 0, flags);
    EXPECT_EQ(Differences(*enabled, *once), 0);
}

TEST(SkinTextOut, CutTextEndsInAnEllipsisThatFits)
{
    auto bmp = Paper(10, 10);
    TCanvas* c = bmp->Canvas();
    const int fits = c->TextWidth(L"H...");
    EXPECT_EQ(CutText(c, L"Hello", fits), L"H...");
    EXPECT_EQ(CutText(c, L"Hello", fits - 1), L"");
    EXPECT_EQ(CutText(c, L"Hello", 0), L"");
    EXPECT_EQ(CutText(c, L"Hello", c->TextWidth(L"Hello")), L"Hello");
    EXPECT_EQ(CutText(c, L"Hello world", c->TextWidth(L"Hel...")), L"Hel...");
}

// ---------------------------------------------------------------------------------------------
// Skinned writers

TEST(SkinTextOut, SectionTextDrawsOutlinesInOrderThenTheTextAndKeepsR)
{
    HandSkin skin;
    skin.State(0).FontColor = {static_cast<TColor>(0x102030), static_cast<TColor>(0x00C000), static_cast<TColor>(-1),
                               static_cast<TColor>(0x0000C0), static_cast<TColor>(0xC00000)};
    skin.State(0).Color = static_cast<TColor>(0xF0F0F0);
    skin.State(1).FontColor = {static_cast<TColor>(0x0080FF), -1, -1, -1, -1};
    const UnicodeString text = L"Caption";
    const TRect r(6, 5, 90, 25);

    auto bmp = Paper(100, 30), want = Paper(100, 30);
    TRect rr = r;
    WriteTextEx(bmp->Canvas(), text, true, rr, kFlags, 0, false, &skin.manager);
    EXPECT_EQ(rr, r);
    Ink(*want, text, r, static_cast<TColor>(0x00C000), -1, 0);
    Ink(*want, text, r, static_cast<TColor>(0x0000C0), 1, 0);
    Ink(*want, text, r, static_cast<TColor>(0xC00000), 0, 1);
    Ink(*want, text, r, static_cast<TColor>(0x102030));
    EXPECT_EQ(Differences(*bmp, *want), 0);
    EXPECT_GT(CountInk(*bmp, 0x00C000, r).inside, 0) << "left outline shows";
    EXPECT_GT(CountInk(*bmp, 0xC00000, r).inside, 0) << "bottom outline shows";

    // Hot: a state without outlines draws the text once.
    auto hot = Paper(100, 30), once = Paper(100, 30);
    acWriteTextEx(hot->Canvas(), text, true, rr, kFlags, 0, true, &skin.manager);
    Ink(*once, text, r, static_cast<TColor>(0x0080FF));
    EXPECT_EQ(Differences(*hot, *once), 0);

    // Disabled: the state-0 colour blended toward the section's colour.
    auto off = Paper(100, 30), dim = Paper(100, 30);
    WriteTextEx(off->Canvas(), text, false, rr, kFlags, 0, false, &skin.manager);
    Ink(*dim, text, r, BlendColors(static_cast<TColor>(0x102030), static_cast<TColor>(0xF0F0F0), DefBlendDisabled));
    EXPECT_EQ(Differences(*off, *dim), 0);

    // No valid section: plain text in the canvas colour; DT_CALCRECT measures into R.
    auto plain = Paper(100, 30), canvasColour = Paper(100, 30);
    plain->Canvas()->Font()->SetColor(static_cast<TColor>(0x404000));
    WriteTextEx(plain->Canvas(), text, true, rr, kFlags, 5, false, &skin.manager);
    Ink(*canvasColour, text, r, static_cast<TColor>(0x404000));
    EXPECT_EQ(Differences(*plain, *canvasColour), 0);
    TRect measured(0, 0, 0, 0);
    WriteTextEx(plain->Canvas(), text, true, measured, kFlags | DT_CALCRECT, 5, false, &skin.manager);
    EXPECT_EQ(measured.Width(), acTextWidth(plain->Canvas(), text));
}

namespace {

// A parent that answers the font-index question with 0: its own font is to be used.
class TFontParent : public TPanel {
public:
    explicit TFontParent(TComponent* owner) : TPanel(owner) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_GETFONTINDEX) {
            message.Result = 0;
            return;
        }
        TPanel::WndProc(message);
    }
};

class TSkinnedLabel : public TPanel {
public:
    explicit TSkinnedLabel(TComponent* owner) : TPanel(owner) { SkinData = std::make_unique<TsCtrlSkinData>(this); }
    ~TSkinnedLabel() override { SkinData.reset(); }
    std::unique_ptr<TsCtrlSkinData> SkinData;
};

// A control's skin data over the hand-made skin, without a parent.
struct ControlText : HandSkin {
    std::unique_ptr<TSkinnedLabel> control = std::make_unique<TSkinnedLabel>(nullptr);
    TsCtrlSkinData* data = control->SkinData.get();
    ControlText()
    {
        data->SetSkinManager(&manager);
        data->SkinIndex = 0;
        data->Loading = false;
        State(0).FontColor = {static_cast<TColor>(0x2060A0), static_cast<TColor>(0x00C000), -1, -1, -1};
        State(1).FontColor = {static_cast<TColor>(0x0000F0), -1, -1, -1, -1};
    }
    ~ControlText() { data->SetSkinManager(nullptr); }
};

} // namespace

TEST(SkinTextOut, ControlTextAppliesToneHueAndSaturationToEveryColour)
{
    ControlText t;
    ASSERT_TRUE(t.data->Skinned());
    const UnicodeString text = L"Tone";
    const TRect r(4, 3, 70, 23);
    struct Case {
        const char* name;
        TColor tone;
        int hue, saturation;
    } cases[] = {{"plain", clNone, 0, 0}, {"tone", static_cast<TColor>(0x3080C0), 0, 0},
                 {"hue and saturation", clNone, 120, -50}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t.data->FColorTone = c.tone;
        t.data->FHUEOffset = c.hue;
        t.data->FSaturation = c.saturation;
        const auto colorOf = [&](TColor x) {
            if (c.tone != clNone) x = ChangeTone(x, static_cast<TColor>(SwapRedBlue(c.tone)));
            return ColorToRGB(ChangeSaturation(ChangeHue(c.hue, x), c.saturation * 256 / 100));
        };
        auto bmp = Paper(80, 28), want = Paper(80, 28);
        TRect rr = r;
        WriteTextEx(bmp->Canvas(), text, true, rr, kFlags, t.data, false);
        EXPECT_EQ(rr, r);
        Ink(*want, text, r, colorOf(static_cast<TColor>(0x00C000)), -1, 0);
        Ink(*want, text, r, colorOf(static_cast<TColor>(0x2060A0)));
        EXPECT_EQ(Differences(*bmp, *want), 0);
        // Disabled: blended toward the manager's global colour first.
        auto off = Paper(80, 28), dim = Paper(80, 28);
        acWriteTextEx(off->Canvas(), text, false, rr, kFlags, t.data, false);
        Ink(*dim, text, r,
            colorOf(BlendColors(static_cast<TColor>(0x2060A0), t.manager.GetGlobalColor(), DefBlendDisabled)));
        EXPECT_EQ(Differences(*off, *dim), 0);
    }
}

TEST(SkinTextOut, ControlTextUnderlinesHotWebButtonsAndFallsBackToThePlainLook)
{
    ControlText t;
    const UnicodeString text = L"Link";
    const TRect r(4, 3, 70, 23);
    t.manager.SkinCommonInfo.Sections[ssWebBtn] = 0;
    auto hot = Paper(80, 28);
    TRect rr = r;
    WriteTextEx(hot->Canvas(), text, true, rr, kFlags, t.data, true);
    EXPECT_TRUE(hot->Canvas()->Font()->Style().Contains(fsUnderline));
    auto want = Paper(80, 28);
    want->Canvas()->Font()->SetStyle(TFontStyles() << fsUnderline);
    Ink(*want, text, r, static_cast<TColor>(0x0000F0));
    EXPECT_EQ(Differences(*hot, *want), 0);
    auto normal = Paper(80, 28);
    WriteTextEx(normal->Canvas(), text, true, rr, kFlags, t.data, false);
    EXPECT_FALSE(normal->Canvas()->Font()->Style().Contains(fsUnderline));
    t.manager.SkinCommonInfo.Sections[ssWebBtn] = -1;

    // A custom font: the plain engraved look.
    t.data->FCustomFont = true;
    auto custom = Paper(80, 28), engraved = Paper(80, 28);
    WriteTextEx(custom->Canvas(), text, false, rr, kFlags, t.data, false);
    Ink(*engraved, text, r, clBtnHighlight, 1, 1);
    Ink(*engraved, text, r, clBtnShadow);
    EXPECT_EQ(Differences(*custom, *engraved), 0);
    t.data->FCustomFont = false;

    // A checkbox-like section whose parent gives its own font: the parent's font colour.
    TFontParent parent(nullptr);
    parent.Font()->SetColor(static_cast<TColor>(0x008080));
    t.control->SetParent(&parent);
    t.manager.SkinCommonInfo.Sections[ssCheckBox] = 0;
    auto inherited = Paper(80, 28), parentColour = Paper(80, 28);
    WriteTextEx(inherited->Canvas(), text, true, rr, kFlags, t.data, false);
    Ink(*parentColour, text, r, static_cast<TColor>(0x008080));
    EXPECT_EQ(Differences(*inherited, *parentColour), 0);
    t.control->SetParent(nullptr);
    t.manager.SkinCommonInfo.Sections[ssCheckBox] = -1;
}

TEST(SkinTextOut, ControlTextGlowGoesIntoTheCacheFirst)
{
    ControlText t;
    t.State(0).GlowSize = 3;
    t.State(0).GlowColor = static_cast<TColor>(0x00FFFF);
    constexpr Word clear = Argb(0, 0x20, 0x20, 0x20);
    t.data->FCacheBmp = Paper(90, 36, clear);
    TCanvas* canvas = t.data->FCacheBmp->Canvas();
    const TRect r(12, 8, 80, 28);
    TRect rr = r;
    WriteTextEx(canvas, L"Glow", true, rr, kFlags, t.data, false, nullptr, true);
    EXPECT_EQ(rr, r);
    GdiFlush();
    // The glow reaches at most its blur and margin beyond the text box R moved by (1, 1).
    const TRect reach(r.Left + 1 - 7, r.Top + 1 - 7, r.Right + 1 + 7, r.Bottom + 1 + 7);
    int raised = 0, yellowish = 0, outside = 0;
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 90; ++x) {
            const Word p = Px(*t.data->FCacheBmp, x, y);
            if (p == clear) continue;
            if (!reach.Contains(TPoint(x, y))) ++outside;
            raised += ByteA(p) > 0;
            yellowish += ByteR(p) > 0x60 && ByteG(p) > 0x60 && ByteB(p) < 0x40;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(raised, 40);
    EXPECT_GT(yellowish, 20);
    EXPECT_GT(CountInk(*t.data->FCacheBmp, 0x00C000, r).inside, 5) << "the text over its glow";
    SaveEnlargedPng(*t.data->FCacheBmp, L"skin_text_glow_control.png", 4);
    // The canvas is left as it was: no clip, its own font and colour still in place for its text.
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(canvas->Handle(), clip), 0);
    DeleteObject(clip);
    auto later = Paper(90, 36, clear), fresh = Paper(90, 36, clear);
    later->Canvas()->Font()->SetColor(static_cast<TColor>(0x8000FF));
    fresh->Canvas()->Font()->SetColor(static_cast<TColor>(0x8000FF));
    later->Canvas()->TextExtent(L"x"); // the canvas font selected before
    WriteTextEx(later->Canvas(), L"Glow", true, rr, kFlags, t.data, false, nullptr, true);
    later->Canvas()->Brush()->SetColor(clWhite);
    later->Canvas()->FillRect(TRect(0, 0, 90, 36));
    fresh->Canvas()->Brush()->SetColor(clWhite);
    fresh->Canvas()->FillRect(TRect(0, 0, 90, 36));
    later->Canvas()->TextOut(2, 2, L"Later");
    fresh->Canvas()->TextOut(2, 2, L"Later");
    EXPECT_EQ(Differences(*later, *fresh), 0);

    // Without DrawGlow nothing but the text.
    t.data->FCacheBmp = Paper(90, 36, clear);
    WriteTextEx(t.data->FCacheBmp->Canvas(), L"Glow", true, rr, kFlags, t.data, false);
    auto plain = Paper(90, 36, clear);
    Ink(*plain, L"Glow", r, static_cast<TColor>(0x00C000), -1, 0);
    Ink(*plain, L"Glow", r, static_cast<TColor>(0x2060A0));
    EXPECT_EQ(Differences(*t.data->FCacheBmp, *plain), 0);
}

TEST(SkinTextOut, GlowBlendsTheMaskIntoTheBitmapAndReusesAMaskOfTheRightSize)
{
    constexpr Word back = Argb(0x40, 0x10, 0x20, 0x30);
    const TRect r(20, 14, 70, 34);
    const int blur = 4, margin = blur + 4;
    const TColor color = static_cast<TColor>(0x2080F0); // red 0xF0, green 0x80, blue 0x20

    // A fresh mask: made, drawn and blurred; glow around the text only.
    auto bmp = Paper(100, 50, back);
    bmp->Canvas()->Font()->SetHeight(-16);
    std::unique_ptr<TBitmap> mask;
    acDrawGlowForText(bmp.get(), L"Halo", r, kFlags, acGlowLeft | acGlowTop | acGlowRight | acGlowBottom, blur,
                      color, mask);
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->PixelFormat(), pf8bit);
    EXPECT_EQ(mask->Width(), r.Width() + 2 * margin);
    EXPECT_EQ(mask->Height(), r.Height() + 2 * margin);
    const auto maskAt = [&](int x, int y) { return static_cast<const std::uint8_t*>(mask->ScanLine(y))[x]; };
    int glowing = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            const int mx = x - (r.Left + 1 - margin), my = y - (r.Top + 1 - margin);
            const bool inMask = mx >= 0 && my >= 0 && mx < mask->Width() && my < mask->Height();
            const int m = inMask ? maskAt(mx, my) : 255;
            const int g = 255 - m;
            const Word want = m == 255 ? back
                                       : Argb(0x40 + (((255 - 0x40) * g) >> 8), (0xF0 * g + 0x10 * m) >> 8,
                                              (0x80 * g + 0x20 * m) >> 8, (0x20 * g + 0x30 * m) >> 8);
            ASSERT_EQ(Px(*bmp, x, y), want) << x << "," << y;
            glowing += m < 255;
        }
    EXPECT_GT(glowing, 100);
    SaveEnlargedPng(*bmp, L"skin_text_glow.png", 4);

    // A mask of the right size is taken as it is: a half-grey square only blends.
    TBitmap* kept = mask.get();
    for (int y = 0; y < mask->Height(); ++y)
        for (int x = 0; x < mask->Width(); ++x)
            const_cast<std::uint8_t*>(static_cast<const std::uint8_t*>(mask->ScanLine(y)))[x] =
                x < 10 && y < 10 ? 128 : 255;
    auto again = Paper(100, 50, back);
    acDrawGlowForText(again.get(), L"Other text", r, kFlags, 0, blur, color, mask);
    EXPECT_EQ(mask.get(), kept);
    const int left = r.Left + 1 - margin, top = r.Top + 1 - margin;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool square = x >= left && x < left + 10 && y >= top && y < top + 10;
            const Word want = square ? Argb(0x40 + (((255 - 0x40) * 127) >> 8), (0xF0 * 127 + 0x10 * 128) >> 8,
                                            (0x80 * 127 + 0x20 * 128) >> 8, (0x20 * 127 + 0x30 * 128) >> 8)
                                     : back;
            ASSERT_EQ(Px(*again, x, y), want) << x << "," << y;
        }
}

// ---------------------------------------------------------------------------------------------
// Fonts

TEST(SkinTextOut, AngledFontReplacesMsSansSerifAndLeavesNoHandleBehind)
{
    auto bmp = Paper(10, 10);
    HDC dc = bmp->Canvas()->Handle();
    TFont font;
    font.SetName(L"MS Sans Serif");
    font.SetHeight(-13);
    font.SetColor(static_cast<TColor>(0x0000C0));
    font.SetStyle(TFontStyles() << fsBold << fsItalic);
    HGDIOBJ before = GetCurrentObject(dc, OBJ_FONT);
    {
        TacAngledFont angled = MakeAngledFont(dc, &font, 900);
        ASSERT_TRUE(angled.Font.Get());
        EXPECT_EQ(angled.OldFont, before);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), angled.Font.Get());
        LOGFONTW lf{};
        ASSERT_EQ(GetObjectW(angled.Font.Get(), sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
        EXPECT_STREQ(lf.lfFaceName, L"Arial"); // the prefix may realise it in a substitute
        EXPECT_EQ(lf.lfEscapement, 900);
        EXPECT_EQ(lf.lfOrientation, 900);
        EXPECT_EQ(lf.lfWeight, 700);
        EXPECT_TRUE(lf.lfItalic);
        EXPECT_EQ(lf.lfQuality, ANTIALIASED_QUALITY);
        EXPECT_EQ(lf.lfHeight, -13);
        EXPECT_EQ(GetTextColor(dc), RGB(0xC0, 0, 0));
        SelectObject(dc, angled.OldFont);
    }
    font.SetName(L"Tahoma");
    font.SetQuality(fqClearType);
    {
        TacAngledFont angled = MakeAngledFont(dc, &font, -450);
        LOGFONTW lf{};
        ASSERT_EQ(GetObjectW(angled.Font.Get(), sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
        EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
        EXPECT_EQ(lf.lfQuality, CLEARTYPE_QUALITY) << "a set quality is kept";
        EXPECT_EQ(lf.lfEscapement, -450);
        SelectObject(dc, angled.OldFont);
    }

    // Many angled fonts made and released keep reusing the same few handle slots.
    GdiSlotDrain drain;
    ASSERT_TRUE(drain.Drained());
    for (int i = 0; i < 200; ++i) {
        TacAngledFont angled = MakeAngledFont(dc, &font, 10 * i);
        SelectObject(dc, angled.OldFont);
    }
    GdiSlotDrain after;
    EXPECT_LE(after.FirstFreshSlot(), drain.NextFreshSlot() + 4);
}

TEST(SkinTextOut, FontSmoothingGivesTheFontAnAntialiasedHandle)
{
    TFont font;
    font.SetName(L"Tahoma");
    font.SetHeight(-12);
    font.SetQuality(fqNonAntialiased);
    SetFontSmoothing(&font);
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(font.Handle(), sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfQuality, ANTIALIASED_QUALITY);
    EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
    EXPECT_EQ(lf.lfHeight, -12);
}
