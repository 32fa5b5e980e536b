// Control images: a form with its children painted into a bitmap, a parent's background under
// hidden children, and a parent's windowless children painted over its background.
#include "skin_core_test_vclutils.h"

#include "sAlphaGraph.h"
#include "sGraphUtils.h"

namespace {

TEST_F(VclUtilsTest, SkinPaintToPaintsEachChildWhereItStands)
{
    TForm* form = ShownForm(100, 100, 200, 120, 0x404040);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 60, 40);
    panel->SetColor(0x0000C0);
    panel->SetBevelOuter(bvNone);
    auto* graphic = new TFlatGraphic(form, 0xC00000);
    graphic->SetParent(form);
    graphic->SetBounds(100, 10, 30, 30);
    auto* hidden = new TPanel(form);
    hidden->SetParent(form);
    hidden->SetBounds(10, 70, 40, 30);
    hidden->SetColor(0x00C000);
    hidden->SetVisible(false);
    PumpUntil([&] { return IsWindowVisible(panel->Handle()) != FALSE; });

    auto bmp = CreateBmp32(form->ClientWidth(), form->ClientHeight());
    SkinPaintTo(bmp.get(), form);
    SaveEnlargedPng(*bmp, L"vcl_skinpaintto_form.png", 2);
    EXPECT_EQ(RgbAt(*bmp, 30, 30), ToRgb(0x0000C0)) << "windowed child";
    EXPECT_EQ(RgbAt(*bmp, 110, 20), ToRgb(0xC00000)) << "windowless child";
    EXPECT_EQ(RgbAt(*bmp, 20, 80), ToRgb(0x404040)) << "hidden child: the form";

    // A hidden child painted alone gives its parent's background.
    auto part = CreateBmp32(40, 30);
    SkinPaintTo(part.get(), hidden);
    EXPECT_EQ(RgbAt(*part, 5, 5), ToRgb(0x404040));

    // Later overlapping siblings on top.
    auto over = new TFlatGraphic(form, 0x00C0C0);
    over->SetParent(form);
    over->SetBounds(40, 20, 20, 10);
    auto withOverlap = CreateBmp32(60, 40);
    SkinPaintTo(withOverlap.get(), panel, 0, 0, nullptr, true);
    EXPECT_EQ(RgbAt(*withOverlap, 35, 15), ToRgb(0x00C0C0));
    EXPECT_EQ(RgbAt(*withOverlap, 5, 5), ToRgb(0x0000C0));

    // The ordinary painting leaves every pixel opaque.
    auto std = CreateBmp32(form->ClientWidth(), form->ClientHeight());
    StdPaintTo(std.get(), static_cast<TWinControl*>(form));
    EXPECT_EQ(RgbAt(*std, 30, 30), ToRgb(0x0000C0));
    TacBmpRows rows(std.get());
    ASSERT_TRUE(rows.Valid());
    EXPECT_EQ(rows.At(5, 5).A, 255);
    EXPECT_EQ(rows.At(150, 100).A, 255);

    std::unique_ptr<TBitmap> image = acGetFormImage(form);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Width(), form->ClientWidth());
    EXPECT_EQ(RgbAt(*image, 30, 30), ToRgb(0x0000C0));
    EXPECT_EQ(RgbAt(*image, 110, 20), ToRgb(0xC00000));
}

TEST_F(VclUtilsTest, AnMdiFramesImageShowsItsChildrenAtTheirPlaces)
{
    TForm* frame = nullptr;
    Application->CreateForm(frame);
    frame->SetFormStyle(fsMDIForm);
    frame->SetBorderStyle(bsNone);
    frame->SetBounds(100, 100, 300, 220);
    frame->Show();
    PumpUntil([&] { return IsWindowVisible(frame->Handle()) != FALSE; });
    const TColor colors[] = {0x0000C0, 0xC00000};
    std::vector<TForm*> children;
    for (int i = 0; i < 2; ++i) {
        auto* child = new TForm(Application);
        child->SetFormStyle(fsMDIChild);
        child->SetColor(colors[i]);
        child->SetBounds(10 + 60 * i, 10, 150, 100);
        child->Show();
        children.push_back(child);
    }
    // The second child lies over the first.
    ASSERT_EQ(frame->ActiveMDIChild(), children[1]);

    auto bmp = CreateBmp32(frame->ClientWidth(), frame->ClientHeight());
    SkinPaintTo(bmp.get(), frame);
    SaveEnlargedPng(*bmp, L"vcl_skinpaintto_mdi.png", 2);
    auto clientPoint = [&](TForm* child, int x, int y) {
        POINT p{x, y};
        ClientToScreen(child->Handle(), &p);
        ScreenToClient(frame->Handle(), &p);
        return p;
    };
    const POINT onlyFirst = clientPoint(children[0], 10, 40);
    const POINT both = clientPoint(children[1], 10, 40);
    const POINT outside = clientPoint(children[1], 200, 110);
    EXPECT_EQ(RgbAt(*bmp, onlyFirst.x, onlyFirst.y), ToRgb(colors[0])) << "the first child";
    EXPECT_EQ(RgbAt(*bmp, both.x, both.y), ToRgb(colors[1])) << "the upper child over the lower";
    EXPECT_NE(RgbAt(*bmp, outside.x, outside.y), ToRgb(colors[0]));
    EXPECT_NE(RgbAt(*bmp, outside.x, outside.y), ToRgb(colors[1]));
}

TEST_F(VclUtilsTest, SkinnedWindowPrintingItsChildrenGetsNoSecondPainting)
{
    TForm* form = ShownForm(100, 100, 200, 120);
    auto* skinned = new TSkinLikePanel(form);
    skinned->SetParent(form);
    skinned->SetBounds(0, 0, 100, 80);
    skinned->PrintFill = 0x00C000;
    auto* child = new TPanel(skinned);
    child->SetParent(skinned);
    child->SetBounds(10, 10, 30, 30);
    child->SetColor(0x0000C0);
    PumpUntil([&] { return IsWindowVisible(child->Handle()) != FALSE; });

    auto bmp = CreateBmp32(100, 80);
    skinned->PrintAnswer = 1;
    SkinPaintTo(bmp.get(), skinned);
    EXPECT_EQ(RgbAt(*bmp, 20, 20), ToRgb(0x0000C0)) << "children painted after the print";
    skinned->PrintAnswer = -2;
    SkinPaintTo(bmp.get(), skinned);
    EXPECT_EQ(RgbAt(*bmp, 20, 20), ToRgb(0x00C000)) << "-2: the window printed its children";
    EXPECT_NE(std::find(skinned->Codes.begin(), skinned->Codes.end(), AC_PRINTING), skinned->Codes.end());
}

// A parent that answers the background request from a cache bitmap of its own.
class TCachedParent : public TPanel {
public:
    explicit TCachedParent(TComponent* owner) : TPanel(owner), Cache(CreateBmp32(200, 100)) {}
    std::unique_ptr<TBitmap> Cache;
    int SetOutOfView = 0;
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_GETBG) {
            auto* bg = reinterpret_cast<TacBGInfo*>(message.LParam);
            bg->BgType = btCache;
            bg->Bmp = Cache.get();
            bg->Offset = TPoint(0, 0);
            return;
        }
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_SETOUTOFVIEW) ++SetOutOfView;
        TPanel::WndProc(message);
    }
};

TEST_F(VclUtilsTest, ParentBackgroundByFillAndByCache)
{
    TForm* form = ShownForm(100, 100, 300, 200, 0x205080);
    auto* child = new TFlatGraphic(form, 0);
    child->SetParent(form);
    child->SetBounds(10, 10, 20, 20);
    TBitmap bmp;
    PaintParentBG(child, &bmp);
    EXPECT_EQ(bmp.Width(), 20);
    EXPECT_EQ(RgbAt(bmp, 3, 3), ToRgb(0x205080));

    auto* parent = new TCachedParent(form);
    parent->SetParent(form);
    parent->SetBounds(0, 0, 200, 100);
    FillRect32(parent->Cache.get(), TRect(0, 0, 200, 100), 0x111111, 255);
    FillRect32(parent->Cache.get(), TRect(50, 40, 70, 60), 0x00AA00, 255);
    auto* cached = new TFlatGraphic(form, 0);
    cached->SetParent(parent);
    cached->SetBounds(45, 35, 20, 20);
    PaintParentBG(cached, &bmp);
    EXPECT_EQ(RgbAt(bmp, 2, 2), ToRgb(0x111111));
    EXPECT_EQ(RgbAt(bmp, 10, 10), ToRgb(0x00AA00));

    std::vector<TControl*> saved;
    cached->SetControlStyle(cached->ControlStyle() + TControlStyle{csOpaque});
    auto* other = new TFlatGraphic(form, 0);
    other->SetParent(parent);
    SaveGraphCtrls(parent, saved);
    EXPECT_TRUE(parent->DoubleBuffered());
    EXPECT_EQ(saved, std::vector<TControl*>{other});
    EXPECT_TRUE(other->ControlStyle().Contains(csOpaque));
    RestoreGraphCtrls(parent, saved);
    EXPECT_TRUE(saved.empty());
    EXPECT_FALSE(other->ControlStyle().Contains(csOpaque));
    EXPECT_TRUE(cached->ControlStyle().Contains(csOpaque));
}

TEST_F(VclUtilsTest, PaintControlsPaintsWindowlessChildrenOverTheBackground)
{
    TForm* form = ShownForm(100, 100, 300, 200);
    auto* parent = new TCachedParent(form);
    parent->SetParent(form);
    parent->SetBounds(0, 0, 200, 100);
    FillRect32(parent->Cache.get(), TRect(0, 0, 200, 100), 0x222222, 255);
    auto* shown = new TFlatGraphic(form, 0xC00000);
    shown->SetParent(parent);
    shown->SetBounds(10, 10, 20, 20);
    auto* keyed = new TFlatGraphic(form, 0xFF00FF);
    keyed->SetParent(parent);
    keyed->SetBounds(50, 10, 20, 20);

    auto target = CreateBmp32(200, 100);
    FillRect32(target.get(), TRect(0, 0, 200, 100), 0x0000FF, 255);
    HDC dc = target->Canvas()->Handle();
    acGraphPainting = true; // re-entry does nothing
    PaintControls(dc, parent, false, TPoint(0, 0));
    EXPECT_EQ(RgbAt(*target, 15, 15), ToRgb(0x0000FF));
    acGraphPainting = false;

    // An empty clip box: the parent is told it is out of view, and the flag is cleared.
    HRGN empty = CreateRectRgn(0, 0, 0, 0);
    SelectClipRgn(dc, empty);
    PaintControls(dc, parent, false, TPoint(0, 0));
    EXPECT_EQ(parent->SetOutOfView, 1);
    EXPECT_FALSE(acGraphPainting);
    SelectClipRgn(dc, nullptr);
    DeleteObject(empty);

    PaintControls(dc, parent, false, TPoint(5, 0));
    SaveEnlargedPng(*target, L"vcl_paintcontrols.png", 2);
    EXPECT_EQ(RgbAt(*target, 20, 15), ToRgb(0xC00000)) << "painted at its place plus the offset";
    EXPECT_EQ(RgbAt(*target, 12, 15), ToRgb(0x0000FF)) << "left of it untouched";
    EXPECT_EQ(RgbAt(*target, 60, 15), ToRgb(0x0000FF)) << "a key-coloured child is not copied";
}

TEST_F(VclUtilsTest, BufferedPrintClientFillsAndPrints)
{
    ASSERT_TRUE(acBeginBufferedPaint);
    TForm* form = ShownForm(100, 100, 200, 120);
    auto* panel = new TFlatGraphic(form, 0x0000C0);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 40, 40);
    PumpUntil([&] { return IsWindowVisible(form->Handle()) != FALSE; });
    BufferedPrintClient(form->Handle(), TRect(0, 0, 200, 120), 0x00C000);
    GdiFlush();
    HDC dc = GetDC(form->Handle());
    const COLORREF inside = GetPixel(dc, 20, 20), fill = GetPixel(dc, 150, 100);
    ReleaseDC(form->Handle(), dc);
    EXPECT_EQ(inside & 0xFFFFFF, 0x0000C0u) << "printed client";
    EXPECT_TRUE((fill & 0xFFFFFF) == 0x00C000u || (fill & 0xFFFFFF) == (ColorToRGB(form->Color()) & 0xFFFFFF));
}

} // namespace
