// Skinned masked edit: its border measure and margin, validation on exit with its error event,
// entry into a read-only edit, the frame without border, and captures skinned and unskinned.
#include "skin_editors_test_edit.h"

#include "FormReader.h"
#include "sGraphUtilsText.h"

namespace {

TEST_F(EditTest, MaskBordWidthAndCentreKeepsTheBottom)
{
    Load();
    auto* e = Make<TsMaskEdit>(TRect(10, 10, 130, 40));
    struct Case {
        TBorderStyle style;
        bool ctl3D;
        int width;
    };
    for (const Case c : {Case{bsSingle, true, 3}, {bsSingle, false, 2}, {bsNone, true, 0}}) {
        e->SetBorderStyle(c.style);
        e->SetCtl3D(c.ctl3D);
        EXPECT_EQ(e->BordWidth(), c.width) << c.style << c.ctl3D;
    }
    e->SetBorderStyle(bsSingle);
    e->SetCtl3D(true);
    e->SetVerticalAlignment(taVerticalCenter);
    SetWindowPos(e->Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    const int d = (e->Height() - GetFontHeight(e->Font()->Handle(), false)) / 2;
    EXPECT_EQ(e->AddedPadding(), TRect(0, d, 0, 0)) << "only the top grows";

    e->AddedGlyph()->SetImages(glyphs.get());
    e->AddedGlyph()->SetImageIndex(0);
    RECT wr{};
    GetWindowRect(e->Handle(), &wr);
    const TRect g = e->AddedGlyphRect();
    EXPECT_EQ(SendMessageW(e->Handle(), WM_NCHITTEST, 0, MAKELPARAM(wr.left + g.Left + 2, wr.top + g.Top + 2)), HTCLIENT);
    EXPECT_EQ(g.Left, 3);
}

TEST_F(EditTest, MaskValidationOnExitAndItsErrorEvent)
{
    Load();
    auto* e = Make<TsMaskEdit>(TRect(10, 10, 130, 33));
    e->SetEditMask(L"!00/00/0000;1;_");
    e->SetText(L"1");
    e->SetModified(true);
    UnicodeString seen;
    e->OnValidateError = [&](TObject* sender, const UnicodeString& text) {
        EXPECT_EQ(sender, e);
        seen = text;
    };
    try {
        e->ValidateEdit();
        ADD_FAILURE() << "no error";
    } catch (const EDBEditError& error) {
        EXPECT_EQ(error.Message(), L"Invalid input value");
    }
    EXPECT_EQ(seen, L"Invalid input value");

    e->SetCheckOnExit(false);
    seen.clear();
    EXPECT_NO_THROW(e->Perform(CM_EXIT, 0, 0));
    EXPECT_NO_THROW(e->ValidateEdit());
    EXPECT_TRUE(seen.empty());
}

TEST_F(EditTest, ReadOnlyMaskEditKeepsItsCaretOnEntry)
{
    Load();
    auto* other = Make<TsEdit>(TRect(10, 50, 130, 73));
    auto* e = Make<TsMaskEdit>(TRect(10, 10, 130, 33));
    e->SetText(L"abcdef");
    e->SetReadOnly(true);
    ASSERT_TRUE(e->AutoSelect());
    other->SetFocus();
    e->SetSelStart(2);
    e->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return e->Focused(); }));
    EXPECT_EQ(e->SelStart(), 2);
    EXPECT_EQ(e->SelLength(), 0);
    EXPECT_TRUE(e->AutoSelect()) << "switched off only for the entry";
    e->SetReadOnly(false);
    other->SetFocus();
    e->SetFocus();
    EXPECT_EQ(e->SelLength(), 6) << "an editable one selects everything";
}

TEST_F(EditTest, MaskEditWithoutBorderDrawsNoFrame)
{
    Load();
    auto* e = Make<TsMaskEdit>(TRect(10, 10, 130, 33));
    e->SetBorderStyle(bsNone);
    EXPECT_EQ(e->BordWidth(), 0);
    auto shown = Shown(e);
    HDC dc = GetWindowDC(e->Handle());
    FillRect(dc, &kWhole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(e->Handle(), dc);
    e->PaintBorder(nullptr);
    auto after = GrabWindow(e->Handle());
    EXPECT_EQ(GetPixel(after->Canvas()->Handle(), 1, 1) & 0xFFFFFF, 0u) << "PaintBorder drew nothing";
}

TEST_F(EditTest, MaskEditCapturesSkinnedAndUnskinned)
{
    Load();
    auto* e = Make<TsMaskEdit>(TRect(10, 10, 170, 33));
    e->SetEditMask(L"!99/99/9999;1;_");
    e->SetText(L"24/12/2026");
    e->AddedGlyph()->SetImages(glyphs.get());
    e->AddedGlyph()->SetImageIndex(0);
    auto skinned = Shown(e);
    SavePng(*skinned, L"smaskedit_skinned_glyph.png");
    EXPECT_EQ(GetPixel(skinned->Canvas()->Handle(), e->AddedGlyphRect().Left + 6, 11) & 0xFFFFFF, 0u);
    EXPECT_EQ(GetPixel(skinned->Canvas()->Handle(), 100, 4) & 0xFFFFFF, house_skin::kEditBG & 0xFFFFFF);

    manager->SetActive(false);
    e->SetColor(static_cast<TColor>(0xE0FFE0));
    auto plain = Shown(e);
    SavePng(*plain, L"smaskedit_unskinned_glyph.png");
    EXPECT_EQ(GetPixel(plain->Canvas()->Handle(), e->AddedGlyphRect().Left + 6, 11) & 0xFFFFFF, 0u) << "the glyph";
    EXPECT_EQ(GetPixel(plain->Canvas()->Handle(), 150, 5) & 0xFFFFFF, 0xE0FFE0u) << "the cache's colour";
}

} // namespace

namespace {

// Both edits come from a form definition through the library's reader factories.
TEST_F(EditTest, EditsReadFromAFormDefinition)
{
    Load();
    auto* root = new TForm(Application);
    ReadComponentFromText(root, LR"(object Form2: TForm
  object Name1: TsEdit
    Left = 8
    Top = 8
    Width = 120
    Height = 30
    Padding.Left = 3
    VerticalAlignment = taVerticalCenter
    LabelFromTextHint = True
    DisabledKind = [dkGrayed]
  end
  object Date1: TsMaskEdit
    Left = 8
    Top = 48
    Width = 120
    Height = 23
    EditMask = '!99/99/9999;1;_'
    CheckOnExit = False
  end
end)",
                          nullptr);
    auto* name = dynamic_cast<TsEdit*>(root->FindComponent(L"Name1"));
    auto* date = dynamic_cast<TsMaskEdit*>(root->FindComponent(L"Date1"));
    ASSERT_NE(name, nullptr);
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(name->Padding()->Left(), 3);
    EXPECT_EQ(name->VerticalAlignment(), taVerticalCenter);
    EXPECT_TRUE(name->LabelFromTextHint());
    EXPECT_EQ(name->DisabledKind(), TsDisabledKind{dkGrayed});
    EXPECT_EQ(date->DisabledKind(), TsDisabledKind{dkBlended});
    EXPECT_EQ(date->EditText(), L"__/__/____");
    EXPECT_FALSE(date->CheckOnExit());
    EXPECT_FALSE(name->SkinData()->Loading) << "the factory finished the skin data";

    // Colour and font are stored only for an unskinned edit or a custom colour or font.
    const TPropInfo* color = GetPropInfo(name, L"Color");
    const TPropInfo* font = GetPropInfo(date, L"Font");
    ASSERT_TRUE(color && font);
    EXPECT_FALSE(IsStoredProp(name, *color));
    EXPECT_FALSE(IsStoredProp(date, *font));
    name->SkinData()->SetBoolean(0, true);
    EXPECT_TRUE(IsStoredProp(name, *color));
    manager->SetActive(false);
    EXPECT_TRUE(IsStoredProp(date, *GetPropInfo(date, L"Color"))) << "unskinned";
    delete root;
}

} // namespace
