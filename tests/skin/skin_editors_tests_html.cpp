// The HTML-subset renderer: layout with a fixed measurer (rows, wrapping, alignment, breaks,
// links), entities and markup, font tags, link colours, and real text drawn into 32-bit bitmaps.
#include "../framework/controls_test_support.h"
#include "../framework/graphics_png.h"
#include "../framework/graphics_test_util.h"
#include "../framework/runtime_test_tempdir.h"
#include "BuildFolder.h"
#include "acGPUtils.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sHtmlParse.h"
#include "sSkinManager.h"
#include "sSkinManagerStartup.h"
#include "skin_test_house_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// 6 pixels per character; rows as high as the font's point size + 3 (13 at 10 points).
class FixedDevice final : public TacHtmlTextDevice {
public:
    struct Piece {
        std::wstring Text;
        TRect Rect;
        int Size;
        TColor Color;
        TFontStyles Style;
        std::wstring Face;
    };
    std::vector<Piece> Pieces;

    int TextHeight(TsHtml& html, const UnicodeString&) override { return html.Bitmap->Canvas()->Font()->Size() + 3; }
    TSize Measure(TsHtml& html, const UnicodeString& text) override
    {
        if (text.empty()) return {0, 0};
        return {6 * static_cast<LONG>(text.size()), html.Bitmap->Canvas()->Font()->Size() + 3};
    }
    void Draw(TsHtml& html, const UnicodeString& text, const TRect& r) override
    {
        const TFont* f = html.Bitmap->Canvas()->Font();
        Pieces.push_back({text, r, f->Size(), f->Color(), f->Style(), f->Name()});
    }

    std::wstring Shown() const
    {
        std::wstring s;
        for (const Piece& p : Pieces) s += p.Text;
        return s;
    }
    // "text@x,y" of every piece.
    std::vector<std::wstring> Placed() const
    {
        std::vector<std::wstring> out;
        for (const Piece& p : Pieces)
            out.push_back(p.Text + L"@" + std::to_wstring(p.Rect.Left) + L"," + std::to_wstring(p.Rect.Top));
        return out;
    }
};

struct Layout {
    TRect Measured;
    TRect Drawn;
    TacLinks Links;
    std::vector<TacLineData> Rows;
};

struct Options {
    int Wrap = 0;
    TRect Area = TRect(0, 0, 120, 100);
    std::uint8_t Alignment = 0;
    std::uint8_t Bidi = 0;
    int Hot = -1;
    int Pressed = -1;
    TsSkinManager* Skin = nullptr;
};

class SkinHtml : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        bmp.Canvas()->Font()->SetName(L"Tahoma");
        bmp.Canvas()->Font()->SetSize(10);
        bmp.Canvas()->Font()->SetColor(0x102030);
        savedBreak = acHtmlStdBreak;
    }
    void TearDown() override
    {
        acHtmlStdBreak = savedBreak;
        ControlsTest::TearDown();
    }

    // The caller's order: measure, then initialise again and draw.
    Layout Run(const std::wstring& text, const Options& o = {})
    {
        device.Pieces.clear();
        TsHtml html;
        html.Device = &device;
        html.WrapWidth = o.Wrap;
        html.Alignment = o.Alignment;
        html.BidiMode = o.Bidi;
        html.SkinManager = o.Skin;
        Layout out;
        html.Init(&bmp, text, o.Area, o.Hot, o.Pressed);
        out.Measured = html.HTMLText(out.Links, true);
        html.Init(&bmp, text, o.Area, o.Hot, o.Pressed);
        out.Drawn = html.HTMLText(out.Links, false);
        out.Rows = html.aLineSizes;
        return out;
    }

    TBitmap bmp{8, 8, pf32bit};
    FixedDevice device;
    bool savedBreak = false;
};

TEST_F(SkinHtml, RowsWrapAlignAndBreakAsMeasured)
{
    struct Case {
        const wchar_t* Name;
        std::wstring Text;
        Options Opt;
        TSize Size; // MaxBmpWidth, MaxBmpHeight of the measuring pass
        std::vector<std::wstring> Placed;
    };
    const Case cases[] = {
        {L"one row", L"Hello world", {}, {66, 13}, {L"Hello@0,0", L" world@30,0"}},
        {L"wrap at blanks", L"aaa bbb ccc", {.Wrap = 42}, {42, 28}, {L"aaa@0,0", L" bbb@18,0", L"ccc@0,15"}},
        {L"area top counts", L"aaa bbb ccc", {.Wrap = 42, .Area = TRect(0, 7, 120, 100)}, {42, 35},
         {L"aaa@0,7", L" bbb@18,7", L"ccc@0,22"}},
        {L"right", L"aaa bbb ccc", {.Wrap = 42, .Alignment = 1}, {42, 28}, {L"aaa@78,0", L" bbb@96,0", L"ccc@102,15"}},
        {L"centre", L"aaa bbb ccc", {.Wrap = 42, .Alignment = 2}, {42, 28}, {L"aaa@39,0", L" bbb@57,0", L"ccc@51,15"}},
        {L"right, right to left", L"aaa bbb ccc", {.Wrap = 42, .Alignment = 1, .Bidi = 1}, {42, 28},
         {L"aaa@0,0", L" bbb@18,0", L"ccc@0,15"}},
        {L"area left", L"aaa bbb", {.Wrap = 30, .Area = TRect(10, 0, 120, 100)}, {18, 28}, {L"aaa@10,0", L"bbb@10,15"}},
        {L"word wider than wrap and area", L"aaaaaaaaaa bb", {.Wrap = 30, .Area = TRect(0, 0, 40, 100)}, {60, 28},
         {L"aaaaaaaaaa@0,0", L" bb@0,15"}},
        {L"no wrap without width", L"aaaaaaaaaa bb", {.Area = TRect(0, 0, 40, 100)}, {78, 13},
         {L"aaaaaaaaaa@0,0", L" bb@60,0"}},
        {L"br, p and closing p", L"a<br>b<BR/>c<p>d</p>e", {}, {6, 73},
         {L"a@0,0", L"b@0,15", L"c@0,30", L"d@0,45", L"e@0,60"}},
        // A taller later row does not push the first one down.
        {L"rows keep their own heights", L"small<br><font size=+10>big</font>", {}, {30, 38},
         {L"small@0,0", L"big@0,15"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const Layout l = Run(c.Text, c.Opt);
        EXPECT_EQ(l.Measured, TRect(0, 0, c.Size.cx, c.Size.cy));
        EXPECT_EQ(device.Placed(), c.Placed);
    }
}

TEST_F(SkinHtml, LinksGetAreasAndUrls)
{
    // A link over a row break: two areas with one number and one address.
    Layout l = Run(L"ab <a href='u1'>cd ef</a> <A HREF=\"two\">g</A>", {.Wrap = 36});
    ASSERT_EQ(l.Links.size(), 3u);
    EXPECT_EQ(l.Links[0].Bounds, TRect(18, 0, 30, 13));
    EXPECT_EQ(l.Links[1].Bounds, TRect(0, 15, 12, 28));
    EXPECT_EQ(l.Links[0].Ndx, 0);
    EXPECT_EQ(l.Links[1].Ndx, 0);
    EXPECT_EQ(l.Links[0].URL, L"u1");
    EXPECT_EQ(l.Links[1].URL, L"u1");
    EXPECT_EQ(l.Links[2].Ndx, 1);
    EXPECT_EQ(l.Links[2].URL, L"two");
    EXPECT_EQ(l.Links[2].Bounds, TRect(18, 15, 24, 28));
    EXPECT_EQ(acLinkAtPoint(l.Links, TPoint(20, 5)), 0);
    EXPECT_EQ(acLinkAtPoint(l.Links, TPoint(0, 15)), 1);
    EXPECT_EQ(acLinkAtPoint(l.Links, TPoint(23, 27)), 2);
    EXPECT_EQ(acLinkAtPoint(l.Links, TPoint(30, 5)), -1) << "right edge outside";
    EXPECT_EQ(acLinkAtPoint(l.Links, TPoint(5, 5)), -1);

    // A break tag inside a link splits it the same way.
    for (const wchar_t* text : {L"ab <a href='u1'>cd<br>ef</a>", L"ab <a href='u1'>cd<p>ef</a>"}) {
        SCOPED_TRACE(UnicodeToUtf8(text));
        l = Run(text);
        ASSERT_EQ(l.Links.size(), 2u);
        EXPECT_EQ(l.Links[0].Bounds, TRect(18, 0, 30, 13));
        EXPECT_EQ(l.Links[1].Bounds, TRect(0, 15, 12, 28));
        EXPECT_EQ(l.Links[1].Ndx, l.Links[0].Ndx);
        EXPECT_EQ(l.Links[1].URL, L"u1");
    }

    // A closing tag without its link changes nothing; the text after a link has the text colour.
    l = Run(L"x</a><a href=y>L</a></a>z");
    ASSERT_EQ(l.Links.size(), 1u);
    EXPECT_EQ(device.Shown(), L"xLz");
    EXPECT_EQ(device.Pieces.back().Color, 0x102030);
}

TEST_F(SkinHtml, LinkColoursFollowTheStateAndTheSkin)
{
    TestTempDir dir;
    sSkinManagerInitialization();
    auto manager = ActiveHouseSkinManager(dir.Path());
    ASSERT_TRUE(manager && manager->IsActive());
    const auto& palette = manager->Palette;
    struct Case {
        int Hot, Pressed;
        TColor Plain;
        TColor Skinned;
        bool Underlined;
    };
    const Case cases[] = {
        {-1, -1, 0xFF0000, palette[pcWebText], false},
        {0, -1, 0xFF0000, palette[pcWebTextHot], true},
        {-1, 0, 0xFF0000, palette[pcWebTextHot], true},
        {0, 0, 0x0000FF, BlendColors(palette[pcWebTextHot], palette[pcLabelText], 127), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "hot " << c.Hot << " pressed " << c.Pressed);
        for (TsSkinManager* skin : {static_cast<TsSkinManager*>(nullptr), manager.get()}) {
            Run(L"<a href=x>L</a>", {.Hot = c.Hot, .Pressed = c.Pressed, .Skin = skin});
            ASSERT_EQ(device.Pieces.size(), 1u);
            EXPECT_EQ(device.Pieces[0].Color, skin ? c.Skinned : c.Plain);
            EXPECT_EQ(device.Pieces[0].Style.Contains(fsUnderline), c.Underlined);
        }
    }
    manager->SetActive(false);
    Run(L"<a href=x>L</a>", {.Skin = manager.get()});
    EXPECT_EQ(device.Pieces[0].Color, 0xFF0000) << "an inactive skin colours nothing";
    manager.reset();
    sSkinManagerFinalization();
}

TEST_F(SkinHtml, EntitiesAndMarkupShowAsTyped)
{
    struct Case {
        std::wstring Text;
        std::wstring Shown;
        bool StdBreak = false;
    };
    const Case cases[] = {
        {L"x &amp; y", L"x & y"},
        {L"&AMP;", L"&"},
        {L"&#38;", L"&"},
        {L"a&&b", L"a&b"},
        {L"&aacute;&Aacute;&#193;", L"\u00E1\u00E1\u00C1"},
        {L"&trade;&#153;&#8211;&39;", L"\u2122\u2122\u2013'"},
        {L"&#39;", L"&#39;"},
        {L"&amp", L"&amp"},
        {L"&bogus; & x;", L"&bogus; & x;"},
        {L"a<<b", L"a<b"},
        {L"a<b", L"ab"},
        {L"ab\r\ncd", L"abcd"},
        {L"<span>x</span>", L"<span>x</span>"},
        {L"<table border=1>t", L"<table border=1>t"},
        {L"<q>x", L"<q>x"},
        {L"<b>b</b><i>i</i><u>u</u>", L"biu"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Text));
        const Layout l = Run(c.Text);
        EXPECT_EQ(device.Shown(), c.Shown);
        EXPECT_TRUE(l.Links.empty());
        EXPECT_EQ(l.Rows.size(), 1u);
    }

    acHtmlStdBreak = true;
    const Layout l = Run(L"ab\r\ncd");
    EXPECT_EQ(device.Placed(), (std::vector<std::wstring>{L"ab@0,0", L"cd@0,15"}));
    EXPECT_EQ(l.Rows.size(), 2u);
}

TEST_F(SkinHtml, FontTagsChangeTheFontUntilTheirEnd)
{
    struct Case {
        std::wstring Tag;
        int Size;
        TColor Color;
        std::wstring Face;
        TFontStyles Style;
    };
    const Case cases[] = {
        {L"<font size=+2>", 12, 0x102030, L"Tahoma", {}},
        {L"<font size=-3>", 7, 0x102030, L"Tahoma", {}},
        {L"<font size=\"14\">", 14, 0x102030, L"Tahoma", {}},
        {L"<font size=abc color=zzz>", 10, 0x102030, L"Tahoma", {}},
        {L"<font size=+x>", 10, 0x102030, L"Tahoma", {}},
        {L"<font color=#FF8000>", 10, 0x0080FF, L"Tahoma", {}},
        {L"<font color=Navy>", 10, 0x800000, L"Tahoma", {}},
        {L"<font color=00FF00>", 10, 0x00FF00, L"Tahoma", {}},
        {L"<font face=\"Courier New\" size=8>", 8, 0x102030, L"COURIER NEW", {}},
        {L"<b><i>", 10, 0x102030, L"Tahoma", {fsBold, fsItalic}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Tag));
        Run(L"a" + c.Tag + L"b</font></i></b>c");
        ASSERT_EQ(device.Shown(), L"abc");
        ASSERT_EQ(device.Pieces.size(), 3u);
        EXPECT_EQ(device.Pieces[1].Size, c.Size);
        EXPECT_EQ(device.Pieces[1].Color, c.Color);
        EXPECT_EQ(device.Pieces[1].Face, c.Face);
        EXPECT_EQ(device.Pieces[1].Style, c.Style);
        EXPECT_EQ(device.Pieces[2].Size, 10);
        EXPECT_EQ(device.Pieces[2].Color, 0x102030);
        EXPECT_EQ(device.Pieces[2].Style, TFontStyles{});
    }
}

// Real text: Tahoma through the library's text routines, opaque and keeping the alpha channel.
class SkinHtmlDrawing : public ControlsTest {};

TEST_F(SkinHtmlDrawing, MarkupIsDrawnInsideTheReturnedRectangle)
{
    const std::wstring text = L"<b>Bold</b> and <i>italic</i>, <font color=red>red</font> &amp; "
                              L"<a href='x'>a link</a><br>second row &copy;";
    acGPUtilsInitialization();
    // Opaque GDI text, text keeping the alpha channel, and text measured and drawn by GDI+.
    for (int mode : {0, 1, 2}) {
        const bool alpha = mode == 1;
        SCOPED_TRACE(mode);
        TBitmap bmp(240, 60, pf32bit);
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x) SetScanPixel(bmp, x, y, 0xFFFFFF, alpha ? 0 : 255);
        bmp.Canvas()->Font()->SetName(L"Tahoma");
        bmp.Canvas()->Font()->SetSize(9);
        bmp.Canvas()->Font()->SetColor(0);

        TsHtml html;
        html.AlphaChannel = alpha;
        html.TranspMode = mode == 2 ? 2 : 0;
        TacLinks links;
        const TRect area(4, 4, 236, 56);
        html.Init(&bmp, text, area);
        const TRect measured = html.HTMLText(links, true);
        html.Init(&bmp, text, area);
        html.HTMLText(links, false);

        ASSERT_EQ(html.aLineSizes.size(), 2u);
        EXPECT_GT(measured.Width(), 100);
        EXPECT_LE(measured.Width(), 232);
        EXPECT_GT(measured.Height(), 4 + 2 * 12);
        ASSERT_EQ(links.size(), 1u);
        EXPECT_EQ(links[0].URL, L"x");
        EXPECT_GT(links[0].Bounds.Width(), 20);

        const TRect inside(area.Left, area.Top, area.Left + measured.Width(), measured.Height());
        const TRect below(0, measured.Height() + 1, bmp.Width(), bmp.Height());
        if (alpha) {
            int covered = 0;
            for (int y = inside.Top; y < inside.Bottom; ++y)
                for (int x = inside.Left; x < inside.Right; ++x) covered += ScanAlpha(bmp, x, y) > 0;
            EXPECT_GT(covered, 200);
            for (int y = below.Top; y < below.Bottom; ++y)
                for (int x = below.Left; x < below.Right; ++x) ASSERT_EQ(ScanAlpha(bmp, x, y), 0) << x << "," << y;
        } else {
            EXPECT_GT(CountInk(bmp, inside, 0xFFFFFF), 200);
            EXPECT_EQ(CountInk(bmp, below, 0xFFFFFF), 0);
        }
        // Red ink where the red word is, blue in the link.
        int red = 0, blue = 0;
        for (int y = inside.Top; y < inside.Bottom; ++y)
            for (int x = inside.Left; x < inside.Right; ++x) {
                if (alpha && ScanAlpha(bmp, x, y) < 128) continue;
                const TColor c = ScanPixel(bmp, x, y);
                const int r = c & 0xFF, b = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF;
                red += r > 150 && b < 100 && g < 100;
                blue += b > 150 && r < 100 && g < 100;
            }
        EXPECT_GT(red, 5);
        EXPECT_GT(blue, 5);
        const wchar_t* captures[] = {L"skin_editors_html.png", L"skin_editors_html_alpha.png",
                                     L"skin_editors_html_gdiplus.png"};
        const wchar_t* capture = captures[mode];
        EXPECT_TRUE(SaveBitmapAsPng(bmp, BuildFolderFile(capture), alpha));
    }
    acGPUtilsFinalization();
}

} // namespace
