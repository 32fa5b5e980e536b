// The HTML label with a renderer of fixed text sizes, and the image label, under Xvfb.
#include "skin_controls_test_label.h"

#include "ImageList.h"

namespace {

// Every character 6 x 10 pixels; pieces drawn as black boxes.
class FixedDevice : public TacHtmlTextDevice {
public:
    int TextHeight(TsHtml&, const UnicodeString&) override { return 10; }
    TSize Measure(TsHtml&, const UnicodeString& text) override
    {
        return text.empty() ? TSize(0, 0) : TSize(static_cast<int>(text.size()) * 6, 10);
    }
    void Draw(TsHtml& html, const UnicodeString&, const TRect& r) override
    {
        const RECT box = r;
        FillRect(html.Bitmap->Canvas()->Handle(), &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
};

class HtmlLabelTest : public LabelTest {
protected:
    void SetUp() override
    {
        LabelTest::SetUp();
        previous = SetHtmlLabelFactory([this] {
            auto html = std::make_unique<TsHtml>();
            html->Device = &device;
            html->WrapWidth = 36; // "Go one" fills a row
            return html;
        });
        label = Make<TsHTMLLabel>(L"Go <a href=\"https://a.test/\">one two</a>", 20, 20);
        auto shown = ShownLabel(label);
        SavePng(*shown, L"label_html.png");
    }
    void TearDown() override
    {
        SetHtmlLabelFactory(previous);
        LabelTest::TearDown();
    }
    // Mouse input over the form at a point of the label.
    void Mouse(UINT msg, const TPoint& p, WPARAM keys = 0)
    {
        SendMessageW(form->Handle(), msg, keys, MAKELPARAM(label->Left() + p.X, label->Top() + p.Y));
    }
    static TPoint Centre(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
    void ClickAt(const TPoint& p)
    {
        Mouse(WM_MOUSEMOVE, p);
        Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, p);
    }

    FixedDevice device;
    TacHtmlFactory previous;
    TsHTMLLabel* label = nullptr;
};

TEST_F(HtmlLabelTest, ALinkOverTwoLinesIsHotOverBothParts)
{
    ASSERT_EQ(label->Links.size(), 2u);
    for (const TacLink& link : label->Links) {
        EXPECT_EQ(link.Ndx, 0);
        Mouse(WM_MOUSEMOVE, TPoint(1, 1)); // over "Go"
        EXPECT_EQ(label->HotLink, -1);
        EXPECT_EQ(label->Cursor(), crDefault);
        Mouse(WM_MOUSEMOVE, Centre(link.Bounds));
        EXPECT_EQ(label->HotLink, 0);
        EXPECT_EQ(label->Cursor(), crHandPoint);
    }
    EXPECT_EQ(label->PlainCaption(), L"Go one two");
}

TEST_F(HtmlLabelTest, ReleasingOutsideEveryLinkOpensNothing)
{
    ASSERT_FALSE(label->Links.empty());
    const TPoint link = Centre(label->Links[0].Bounds);
    Mouse(WM_MOUSEMOVE, link);
    Mouse(WM_LBUTTONDOWN, link, MK_LBUTTON);
    EXPECT_EQ(label->PressedLink, 0);
    Mouse(WM_MOUSEMOVE, TPoint(1, 1), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, TPoint(1, 1));
    EXPECT_EQ(label->PressedLink, -1);
    EXPECT_TRUE(ShellCalls().empty());

    ClickAt(link);
    ASSERT_EQ(ShellCalls().size(), 1u);
    EXPECT_EQ(ShellCalls()[0].verb, L"open");
    EXPECT_EQ(ShellCalls()[0].file, L"https://a.test/");
    EXPECT_EQ(ShellCalls()[0].show, SW_SHOWDEFAULT);
}

TEST_F(HtmlLabelTest, LinkClickHandlerDecidesWhatOpens)
{
    ASSERT_FALSE(label->Links.empty());
    const TPoint link = Centre(label->Links[0].Bounds);
    struct Case {
        const char* name;
        TLinkClickEvent handler;
        std::vector<std::wstring> opened;
    } cases[] = {
        {"flag cleared", [](TObject*, UnicodeString&, bool& allow) { allow = false; }, {}},
        {"address cleared", [](TObject*, UnicodeString& url, bool&) { url.clear(); }, {}},
        {"address changed", [](TObject*, UnicodeString& url, bool&) { url = L"https://b.test/"; }, {L"https://b.test/"}},
    };
    for (const Case& c : cases) {
        ShellCalls().clear();
        label->OnLinkClick = c.handler;
        ClickAt(link);
        std::vector<std::wstring> opened;
        for (const TShellCall& call : ShellCalls()) opened.push_back(call.file);
        EXPECT_EQ(opened, c.opened) << c.name;
    }
}

TEST_F(HtmlLabelTest, WithoutMarkupItDrawsAsAPlainLabel)
{
    auto* html = Make<TsHTMLLabel>(L"Plain & simple", 20, 80);
    auto* plain = Make<TsLabel>(L"Plain & simple", 20, 120);
    html->SetUseHTML(false);
    html->SetBounds(20, 80, plain->Width(), plain->Height());
    auto a = ShownLabel(html);
    auto b = ShownLabel(plain);
    int differ = 0;
    for (int y = 0; y < a->Height(); ++y)
        for (int x = 0; x < a->Width(); ++x)
            if (GetPixel(a->Canvas()->Handle(), x, y) != GetPixel(b->Canvas()->Handle(), x, y)) ++differ;
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(html->Width(), plain->Width());
}

TEST_F(LabelTest, HtmlLabelDrawsItsMarkupWithTheLibraryRenderer)
{
    auto* l = Make<TsHTMLLabel>(L"<b>Bold</b>, <i>italic</i> and <a href=\"https://c.test/\">a link</a>", 20, 20);
    auto shown = ShownLabel(l);
    SavePng(*shown, L"label_html_rendered.png");
    ASSERT_EQ(l->Links.size(), 1u);
    EXPECT_EQ(l->Links[0].URL, L"https://c.test/");
    EXPECT_GT(l->Links[0].Bounds.Left, l->Width() / 2) << "the link comes last";
    EXPECT_GE(FirstInk(*shown, ColorToRGB(form->Color())), 0);
}

class ImgLabelTest : public LabelTest {
protected:
    void SetUp() override
    {
        LabelTest::SetUp();
        images = std::make_unique<TImageList>(nullptr, 16, 16);
        TBitmap img(16, 16, pf32bit);
        for (int y = 0; y < 16; ++y) {
            auto* line = static_cast<std::uint32_t*>(img.ScanLine(y));
            for (int x = 0; x < 16; ++x) line[x] = 0xFF00C000; // opaque green
        }
        images->Add(&img, nullptr);
    }
    void TearDown() override
    {
        delete form;
        form = nullptr;
        images.reset();
        LabelTest::TearDown();
    }
    // First column at or after from with a dark (text) pixel.
    static int FirstText(TBitmap& bmp, int from)
    {
        for (int x = from; x < bmp.Width(); ++x)
            for (int y = 0; y < bmp.Height(); ++y) {
                const COLORREF c = GetPixel(bmp.Canvas()->Handle(), x, y);
                if (GetRValue(c) < 0x60 && GetGValue(c) < 0x60 && GetBValue(c) < 0x60) return x;
            }
        return -1;
    }
    std::unique_ptr<TImageList> images;
};

TEST_F(ImgLabelTest, TextStandsRightOfTheImage)
{
    auto* bare = Make<TsImgLabel>(L"Image", 20, 20);
    auto* l = Make<TsImgLabel>(L"Image", 20, 60);
    l->SetImages(images.get());
    l->SetInteger(0, 0);
    EXPECT_EQ(l->Spacing(), 4);
    EXPECT_EQ(l->Width(), bare->Width() + 16 + 4) << "auto size adds the image and the spacing";
    EXPECT_EQ(l->Height(), std::max(bare->Height(), 16));
    auto shown = ShownLabel(l);
    SavePng(*shown, L"label_image.png");
    EXPECT_EQ(GetPixel(shown->Canvas()->Handle(), 8, (l->Height() - 16) / 2 + 8) & 0xFFFFFF, 0x00C000u);
    const int text = FirstText(*shown, 16);
    EXPECT_GE(text, 20);
    EXPECT_LE(text, 22);

    l->SetInteger(0, 5); // beyond the list
    auto without = ShownLabel(l);
    EXPECT_LE(FirstText(*without, 0), 2) << "no image: the text starts at the left edge";
    EXPECT_FALSE(l->ImageExists());
    images.reset();
    EXPECT_EQ(l->Images(), nullptr) << "a freed list is forgotten";
}

} // namespace
