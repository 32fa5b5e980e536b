// Push-button images and the bitmap button: what a form definition sets, what the window is
// handed (BCM_GETIMAGELIST), and the owner-drawn bitmap button as painted.
#include "controls_tests_widgets_support.h"

#include "Buttons.h"
#include "FormReader.h"

namespace {

class ButtonWidgetsTest : public WidgetsTest {
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        RegisterButtonsClasses();
    }
};

TEST_F(ButtonWidgetsTest, ImagesReachTheWindowWithAlignmentAndMargins)
{
    TForm* form = ShownForm();
    auto* list = new TCustomImageList(form, 16, 16);
    TBitmap red(16, 16, pf24bit);
    red.Canvas()->Brush()->SetColor(clRed);
    red.Canvas()->FillRect(TRect(0, 0, 16, 16));
    list->Add(&red, nullptr);
    list->Add(&red, nullptr);
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetImages(list);
    button->SetImageIndex(0);
    button->SetHotImageIndex(7); // not in the list: falls back
    button->SetImageAlignment(iaRight);
    button->ImageMargins()->SetLeft(2);
    button->ImageMargins()->SetRight(5);
    EXPECT_EQ(button->ValidImageIndex(1), 0);
    EXPECT_EQ(button->ValidImageIndex(2), 0);
    BUTTON_IMAGELIST info{};
    ASSERT_TRUE(SendMessageW(button->Handle(), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&info)));
    ASSERT_NE(info.himl, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(info.himl), 6);
    EXPECT_EQ(info.uAlign, static_cast<UINT>(BUTTON_IMAGELIST_ALIGN_RIGHT));
    EXPECT_EQ(info.margin.left, 2);
    EXPECT_EQ(info.margin.right, 5);
    // The list goes: the button forgets it and shows no image.
    delete list;
    EXPECT_EQ(button->Images(), nullptr);
    EXPECT_EQ(button->ValidImageIndex(0), -1);
}

TEST_F(ButtonWidgetsTest, BitBtnFromADefinitionDrawsItsGlyphBesideItsCaption)
{
    auto* form = new TForm(Application);
    ReadComponentFromText(form, LR"(object Form3: TForm
  Width = 300
  Height = 200
  object BitBtn1: TBitBtn
    Left = 10
    Top = 10
    Width = 120
    Height = 40
    Caption = 'Go'
    Layout = blGlyphRight
    Spacing = 6
    NumGlyphs = 2
    Default = True
    ModalResult = 1
  end
end
)");
    auto* b = dynamic_cast<TBitBtn*>(form->FindComponent(L"BitBtn1"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Layout(), blGlyphRight);
    EXPECT_EQ(b->Spacing(), 6);
    EXPECT_EQ(b->NumGlyphs(), 2);
    EXPECT_EQ(b->Margin(), -1);
    EXPECT_TRUE(b->Default());
    EXPECT_EQ(b->ModalResult(), 1);
    // A blue first frame on a white (transparent, bottom-left) background.
    TBitmap glyph(32, 16, pf24bit);
    glyph.Canvas()->Brush()->SetColor(clWhite);
    glyph.Canvas()->FillRect(TRect(0, 0, 32, 16));
    glyph.Canvas()->Brush()->SetColor(clBlue);
    glyph.Canvas()->FillRect(TRect(2, 2, 14, 14));
    b->SetGlyph(&glyph);
    form->Show();
    ASSERT_TRUE(PumpUntil([form] { return IsWindowVisible(form->Handle()) != FALSE; }));
    EXPECT_EQ(GetWindowLongW(b->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    RedrawWindow(b->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    auto cap = CaptureWindow(b->Handle());
    SaveCapture(*cap, L"bitbtn_glyph_right");
    TRect glyphRect, textRect;
    b->CalcLayout(TRect(3, 3, 117, 37), TSize{10, 10}, glyphRect, textRect);
    EXPECT_LT(textRect.Right, glyphRect.Left) << "the glyph right of the caption";
    // Blue ink lies in the right half only.
    EXPECT_GT(CountColor(*cap, RECT{60, 0, 120, 40}, RGB(0, 0, 255)), 50);
    EXPECT_EQ(CountColor(*cap, RECT{0, 0, 60, 40}, RGB(0, 0, 255)), 0);
    delete form;
}

} // namespace
