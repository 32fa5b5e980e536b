// Combo edit with a button: the button geometry for arrow and glyph buttons in both reading
// orders, with and without a skin; the button state machine under the mouse; the click key,
// Ctrl+A, Enter and Escape; button mode.
#include "skin_editors_test_comboedit.h"

#include "sConst.h"

#include <map>

namespace {

struct GeometryCase {
    const char* Name;
    int DefBmp;       // -1: arrow
    bool OwnImage;    // GlyphMode names an image of the test list
    bool RightToLeft;
    int ButtonWidth;
    bool ShowButton;
    bool OldGlyphs;
};

} // namespace

TEST_F(ComboEditTest, GeometryOfArrowAndGlyphButtons)
{
    const GeometryCase cases[] = {
        {"arrow", -1, false, false, 0, true, false},
        {"arrow, right to left", -1, false, true, 0, true, false},
        {"arrow, width set", -1, false, false, 20, true, false},
        {"default glyph", 3, false, false, 0, true, false},
        {"default glyph, right to left", 3, false, true, 0, true, false},
        {"own glyph", -1, true, false, 0, true, false},
        {"default glyph, old glyphs", 3, false, false, 0, true, true},
        {"arrow, old glyphs", -1, false, false, 0, true, true},
        {"no button", 3, false, false, 0, false, false},
    };
    const auto check = [&](bool skinned) {
        for (const GeometryCase& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + (skinned ? ", skinned" : ", unskinned"));
            const bool savedOld = ac_OldGlyphsMode;
            ac_OldGlyphsMode = c.OldGlyphs;
            TTestComboEdit* e = MakeCombo(c.DefBmp);
            if (c.RightToLeft) e->SetBiDiMode(bdRightToLeft);
            if (c.OwnImage) {
                e->GlyphMode()->SetImages(glyphs.get());
                e->GlyphMode()->SetImageIndex(0);
            }
            e->SetButtonWidth(c.ButtonWidth);
            e->SetShowButton(c.ShowButton);
            const bool arrow = c.DefBmp == -1 && !c.OwnImage;
            EXPECT_EQ(e->ComboBtn(), arrow);
            ASSERT_EQ(e->SkinData()->Skinned(), skinned);

            const int margin = skinned ? e->SkinData()->GetCommonSkinData()->ComboBoxMargin : 0;
            ASSERT_TRUE(!skinned || margin > 0) << "the house skin has a combo margin";
            const int width = arrow ? (c.ButtonWidth ? c.ButtonWidth
                                                     : GetComboBtnSize(skinned ? manager.get() : nullptr, 96))
                                    : (c.OwnImage ? 12 : e->GlyphMode()->Width());
            EXPECT_EQ(e->GlyphWidth(), width);
            EXPECT_EQ(e->GlyphHeight(), arrow ? 23 - 2 * margin : (c.OwnImage ? 12 : e->GlyphMode()->Height()));
            const int space = !c.ShowButton ? 0 : arrow ? width : width + 2;
            const int fullSpace = !c.ShowButton ? 0 : arrow ? width : width + 4;
            EXPECT_EQ(e->GlyphSpace(), space);
            EXPECT_EQ(e->GlyphSpace(true), fullSpace);
            const int offset = c.OldGlyphs && !arrow ? e->BordWidth() : margin;
            EXPECT_EQ(e->BtnOffset(), offset);
            const int left = c.RightToLeft ? offset : 150 - offset - space;
            EXPECT_EQ(e->BtnRect(), TRect(left, offset, left + space, 23 - offset));
            const TRect text = e->TextRect();
            if (c.RightToLeft)
                EXPECT_EQ(text.Left, fullSpace + offset);
            else
                EXPECT_EQ(text.Right, 150 - offset - fullSpace - 2);

            // The button strip reaches the far edge; the pixel before it is text.
            const TRect b = e->BtnRect();
            if (c.ShowButton) {
                const int inside = c.RightToLeft ? b.Right - 1 : b.Left;
                const int outside = c.RightToLeft ? b.Right : b.Left - 1;
                MouseTo(e, inside, 1);
                EXPECT_TRUE(e->MouseInBtn());
                MouseTo(e, c.RightToLeft ? 0 : 149, 22);
                EXPECT_TRUE(e->MouseInBtn()) << "the strip is full height up to the edge";
                MouseTo(e, outside, 10);
                EXPECT_FALSE(e->MouseInBtn());
            } else {
                MouseTo(e, 148, 10);
                EXPECT_FALSE(e->MouseInBtn());
            }
            e->SetButtonMode(true);
            MouseTo(e, 5, 5);
            EXPECT_TRUE(e->MouseInBtn()) << "in button mode the whole control";
            delete e;
            ac_OldGlyphsMode = savedOld;
        }
    };
    check(false);
    Load();
    check(true);
}

// The added-glyph width asks the combo edit for its button width while the button is the arrow.
TEST_F(ComboEditTest, AddedGlyphTakesTheArrowButtonWidth)
{
    Load();
    TTestComboEdit* e = MakeCombo(-1);
    ASSERT_TRUE(e->ComboBtn());
    const int scroll = GetSystemMetrics(SM_CXVSCROLL) - e->SkinData()->GetCommonSkinData()->ComboBoxMargin / 2;
    EXPECT_EQ(e->GlyphMode()->Width(), scroll);
    EXPECT_EQ(e->AddedGlyph()->Width(), scroll);
    e->SetButtonWidth(30);
    EXPECT_EQ(e->GlyphMode()->Width(), 30);
    e->GlyphMode()->SetImages(glyphs.get());
    e->GlyphMode()->SetImageIndex(0);
    EXPECT_FALSE(e->ComboBtn());
    EXPECT_EQ(e->GlyphMode()->Width(), 12) << "a glyph button measures its image";
}

// One sequence through the states of a glyph button and of an arrow button.
TEST_F(ComboEditTest, ButtonStatesFollowTheMouse)
{
    Load();
    TTestComboEdit* glyph = MakeCombo(3);
    const TRect gb = glyph->BtnRect();
    MouseTo(glyph, 10, 10);
    EXPECT_EQ(glyph->BtnState(), 0) << "over the text";
    MouseTo(glyph, gb.Left + 3, 10);
    EXPECT_EQ(glyph->BtnState(), 1) << "hot over the button";
    Button(glyph, WM_LBUTTONDOWN);
    EXPECT_EQ(glyph->BtnState(), 2);
    EXPECT_EQ(clicks, 0) << "a glyph fires on release";
    Button(glyph, WM_LBUTTONUP);
    EXPECT_EQ(glyph->BtnState(), 1);
    EXPECT_EQ(clicks, 1);
    MouseTo(glyph, 10, 10);
    EXPECT_EQ(glyph->BtnState(), 0) << "leaving the button";
    Button(glyph, WM_LBUTTONDOWN);
    Button(glyph, WM_LBUTTONUP);
    EXPECT_EQ(clicks, 1) << "a click on the text is no button click";

    glyph->GlyphMode()->SetEnabled(false);
    MouseTo(glyph, gb.Left + 3, 10);
    EXPECT_EQ(glyph->BtnState(), 0) << "a disabled glyph never gets hot";
    Button(glyph, WM_LBUTTONDOWN);
    Button(glyph, WM_LBUTTONUP);
    EXPECT_EQ(clicks, 1);
    delete glyph;

    clicks = 0;
    TTestComboEdit* arrow = MakeCombo(-1);
    arrow->Popup = NewPopup();
    const TRect ab = arrow->BtnRect();
    MouseTo(arrow, ab.Left + 3, 10);
    EXPECT_EQ(arrow->BtnState(), 1);
    Button(arrow, WM_LBUTTONDOWN);
    EXPECT_EQ(clicks, 1) << "an arrow fires on button-down";
    ASSERT_TRUE(PumpUntil([&] { return arrow->DroppedDown(); }));
    Button(arrow, WM_LBUTTONUP);
    MouseTo(arrow, 10, 10);
    EXPECT_EQ(arrow->BtnState(), 2) << "the open arrow stays pressed";
    arrow->SetBtnState(0);
    EXPECT_EQ(arrow->BtnState(), 2);
    SendAMessage(arrow->Handle(), AC_POPUPCLOSED, reinterpret_cast<LPARAM>(static_cast<TObject*>(arrow->Popup)));
    EXPECT_FALSE(arrow->DroppedDown());
    EXPECT_EQ(arrow->BtnState(), 0) << "closed with the mouse off the button";
    delete arrow->Popup;
}

TEST_F(ComboEditTest, ClickKeySelectAllEnterAndEscape)
{
    Load();
    TTestComboEdit* e = MakeCombo(3);
    e->SetText(L"gateway");
    Focus(e);
    Press(VK_DOWN, VK_MENU);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; })) << "Alt+Down clicks";
    e->SetReadOnly(true);
    Press(VK_DOWN, VK_MENU);
    Press('X');
    ASSERT_TRUE(PumpUntil([&] { return e->Text() == L"gateway" && GetAsyncKeyState('X') == 0; }));
    Application->ProcessMessages();
    EXPECT_EQ(clicks, 1) << "read-only: swallowed without a click";
    e->SetReadOnly(false);

    e->SetSelStart(2);
    e->SetSelLength(0);
    Press('A', VK_CONTROL);
    ASSERT_TRUE(PumpUntil([&] { return e->SelLength() == 7; })) << "Ctrl+A selects all";
    Press(VK_END);
    ASSERT_TRUE(PumpUntil([&] { return e->SelLength() == 0; }));
    EXPECT_EQ(e->Text(), L"gateway") << "and types no character";

    // Enter and Escape reach a previewing form once more as dialog keys.
    auto* keyForm = new TDialogKeyForm(Application);
    keyForm->SetBounds(60, 60, 300, 120);
    keyForm->Show();
    auto* k = new TTestComboEdit(keyForm);
    k->AfterConstruction();
    k->SetParent(keyForm);
    k->SetBounds(10, 10, 150, 23);
    Focus(k);
    std::map<bool, std::map<WPARAM, int>> seen;
    for (bool preview : {false, true}) {
        keyForm->SetKeyPreview(preview);
        keyForm->dialogKeys.clear();
        for (WORD key : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
            Press(key);
            ASSERT_TRUE(PumpUntil([&] { return GetAsyncKeyState(key) == 0; }));
            Application->ProcessMessages();
        }
        seen[preview] = keyForm->dialogKeys;
    }
    EXPECT_EQ(seen[true][VK_RETURN], seen[false][VK_RETURN] + 1);
    EXPECT_EQ(seen[true][VK_ESCAPE], seen[false][VK_ESCAPE] + 1);

    EXPECT_EQ(k->Perform(CM_WANTSPECIALKEY, VK_RETURN, 0), 0);
    k->Popup = NewPopup();
    k->ButtonClick();
    ASSERT_TRUE(PumpUntil([&] { return k->DroppedDown(); }));
    EXPECT_EQ(k->Perform(CM_WANTSPECIALKEY, VK_RETURN, 0), 1) << "Enter is wanted while dropped down";
    k->CloseForm();
    delete k->Popup;
    delete keyForm;
}

TEST_F(ComboEditTest, ButtonModeHidesTheCaretAndRefusesPasteAndCut)
{
    Load();
    TTestComboEdit* e = MakeCombo(3);
    e->SetText(L"mode");
    e->SetButtonMode(true);
    Focus(e);
    OpenClipboard(nullptr);
    EmptyClipboard();
    const wchar_t text[] = L"pasted";
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof(text));
    memcpy(GlobalLock(mem), text, sizeof(text));
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();

    e->SetSelStart(0);
    e->SetSelLength(4);
    SendMessageW(e->Handle(), WM_PASTE, 0, 0);
    SendMessageW(e->Handle(), WM_CUT, 0, 0);
    EXPECT_EQ(e->Text(), L"mode");
    e->SetButtonMode(false);
    e->SetDirectInput(false);
    SendMessageW(e->Handle(), WM_CUT, 0, 0);
    EXPECT_EQ(e->Text(), L"mode") << "no direct input";
    e->SetDirectInput(true);
    e->SetSelStart(0);
    e->SetSelLength(4);
    SendMessageW(e->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(e->Text(), L"pasted") << "an ordinary edit pastes";

    e->SetButtonMode(true);

    // A double click on the text does nothing; on the button it presses it.
    clicks = 0;
    MouseTo(e, 10, 10);
    Button(e, WM_LBUTTONDBLCLK);
    EXPECT_EQ(clicks, 0);
    e->SetButtonMode(false);
    const TRect b = e->BtnRect();
    e->SetSelStart(0);
    e->SetSelLength(0);
    MouseTo(e, 10, 10);
    Button(e, WM_LBUTTONDBLCLK);
    EXPECT_EQ(e->SelLength(), 0) << "no word selected at run time";
    MouseTo(e, b.Left + 2, 10);
    Button(e, WM_LBUTTONDBLCLK);
    EXPECT_EQ(e->BtnState(), 2) << "over the button a double click is a press";
    Button(e, WM_LBUTTONUP);
    EXPECT_EQ(clicks, 1);
}
