// Edit growth (3D frame, selection on entry, kept selection, the change message) and the masked
// edit: the mask engine, typing into the mask, validation and the themed edit element.
#include "controls_tests_widgets_support.h"

#include "Mask.h"

namespace {

template <class T>
T* On(TWinControl* parent)
{
    auto* control = new T(parent);
    control->SetParent(parent);
    return control;
}

void Type(HWND window, const UnicodeString& text)
{
    for (wchar_t c : text) SendMessageW(window, WM_CHAR, c, 1);
}

// Records CM_CHANGED in the order it arrives against OnChange.
class TChangeEdit : public TEdit {
public:
    explicit TChangeEdit(TComponent* owner) : TEdit(owner) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == CM_CHANGED) order.push_back(message.LParam == reinterpret_cast<LPARAM>(this) ? L'M' : L'?');
        TEdit::WndProc(message);
    }
    UnicodeString order;
};

TEST_F(WidgetsTest, EditFrameSelectionAndChangeMessage)
{
    TForm* form = ShownForm();
    auto* edit = On<TChangeEdit>(form);
    edit->OnChange = [edit](TObject*) { edit->order += L'C'; };
    Type(edit->Handle(), L"ab");
    edit->SetText(L"xyz");
    EXPECT_EQ(edit->order, L"MCMCMC") << "CM_CHANGED to the edit itself before every OnChange";

    struct Case {
        bool ctl3D;
        TBorderStyle border;
        bool clientEdge, flatFrame;
    };
    for (const Case c : {Case{true, bsSingle, true, false}, {false, bsSingle, false, true}, {false, bsNone, false, false}}) {
        edit->SetCtl3D(c.ctl3D);
        edit->SetBorderStyle(c.border);
        HWND h = edit->Handle();
        EXPECT_EQ((GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, c.clientEdge) << c.ctl3D;
        // The window takes a flat WS_BORDER over and draws it as a line round its client area.
        auto shot = CaptureWindow(h);
        const COLORREF edge = PixelOf(*shot, 0, shot->Height() / 2);
        if (!c.clientEdge) {
            EXPECT_EQ(edge == (ColorToRGB(clWindowFrame) & 0xFFFFFF), c.flatFrame) << c.ctl3D << c.border;
        }
    }
    EXPECT_EQ(GetWindowLongPtrW(edit->Handle(), GWL_STYLE) & ES_NOHIDESEL, 0);
    edit->SetHideSelection(false);
    EXPECT_NE(GetWindowLongPtrW(edit->Handle(), GWL_STYLE) & ES_NOHIDESEL, 0);

    // Entry selects everything unless AutoSelect is off.
    auto* other = On<TEdit>(form);
    for (bool autoSelect : {true, false}) {
        other->SetFocus();
        edit->SetAutoSelect(autoSelect);
        edit->SetSelStart(1);
        edit->SetFocus();
        EXPECT_EQ(edit->SelLength(), autoSelect ? 3 : 0) << autoSelect;
    }
}

TEST(EditMaskFormat, ParsesFieldsAndShapesTexts)
{
    struct Case {
        const wchar_t* mask;
        const wchar_t* text;
        const wchar_t* editText;
        const wchar_t* textBack;
    };
    const Case cases[] = {
        {L"!99/99/9999;1;_", L"12/05/2024", L"12/05/2024", L"12/05/2024"},
        {L"!99/99/9999;1;_", L"", L"__/__/____", L"  /  /    "},
        {L"!9999/99/99;1; ", L"2024/1", L"2024/1 /  ", L"2024/1 /  "},
        {L"AAAAAA;1; ", L"ab12", L"ab12  ", L"ab12  "},
        {L">LL<ll;1;_", L"abCD", L"ABcd", L"ABcd"},
        {L"00-00;0;*", L"1234", L"12-34", L"1234"},
        {L"\\(000\\);1;_", L"(7", L"(7__)", L"(7  )"},
        {L"99:99", L"x1:2", L"_1:2_", L" 1:2 "},
    };
    for (const Case& c : cases) {
        const TEditMaskFormat f(c.mask);
        EXPECT_EQ(f.EditTextOf(c.text), c.editText) << c.mask;
        EXPECT_EQ(f.TextOf(f.EditTextOf(c.text)), c.textBack) << c.mask;
    }
    const TEditMaskFormat f(L"!9999/99/99;1; ");
    EXPECT_TRUE(f.SaveLiterals());
    EXPECT_EQ(f.Blank(), L' ');
    EXPECT_EQ(f.Length(), 10u);
    EXPECT_EQ(f.NextInput(4), 5u);
    EXPECT_EQ(f.PrevInput(5), 3u);
    EXPECT_EQ(f.PrevInput(0), UnicodeString::npos);
    EXPECT_FALSE(TEditMaskFormat(L"00-00;0;*").SaveLiterals());
    EXPECT_EQ(TEditMaskFormat(L"00-00;0;*").Blank(), L'*');

    // Validity: required positions filled, filled positions fitting.
    struct Valid {
        const wchar_t* mask;
        const wchar_t* editText;
        bool valid;
        size_t failPos;
    };
    for (const Valid v : {Valid{L"00/99", L"12/__", true, 0}, {L"00/99", L"1_/34", false, 1},
                          {L"LLl", L"ab_", true, 0}, {L"LLl", L"a1_", false, 1}, {L"AAAAAA;1; ", L"      ", false, 0},
                          {L"!99/99/9999;1;_", L"__/__/____", true, 0}}) {
        size_t pos = 99;
        EXPECT_EQ(TEditMaskFormat(v.mask).Valid(v.editText, &pos), v.valid) << v.mask << L" " << v.editText;
        if (!v.valid) {
            EXPECT_EQ(pos, v.failPos) << v.mask;
        }
    }
}

TEST_F(WidgetsTest, MaskEditTypingAndValidation)
{
    TForm* form = ShownForm();
    auto* date = On<TMaskEdit>(form);
    date->SetEditMask(L"!00/00/0000;1;_");
    EXPECT_TRUE(date->IsMasked());
    EXPECT_EQ(date->EditText(), L"__/__/____");
    HWND h = date->Handle();
    EXPECT_EQ(SendMessageW(h, EM_GETLIMITTEXT, 0, 0), 10);
    SendMessageW(h, EM_SETSEL, 0, 0);
    Type(h, L"1x20");
    EXPECT_EQ(date->EditText(), L"12/0_/____") << "refused characters are left out, literals skipped";
    EXPECT_TRUE(date->Modified());
    SendMessageW(h, WM_CHAR, VK_BACK, 1);
    SendMessageW(h, WM_CHAR, VK_BACK, 1);
    EXPECT_EQ(date->EditText(), L"1_/__/____");
    EXPECT_THROW(date->ValidateEdit(), EDBEditError);
    try {
        date->ValidateEdit();
    } catch (const EDBEditError& e) {
        EXPECT_EQ(e.Message(), L"Invalid input value");
    }
    EXPECT_EQ(date->SelStart(), 1) << "the caret goes to the first wrong position";
    date->SetText(L"24/12/2026");
    EXPECT_NO_THROW(date->ValidateEdit());
    EXPECT_EQ(date->Text(), L"24/12/2026");
    SendMessageW(h, EM_SETSEL, 3, 5);
    SendMessageW(h, WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_EQ(date->EditText(), L"24/__/2026");

    // The focus leaving a modified, invalid edit raises; an unmodified one passes.
    auto* code = On<TMaskEdit>(form);
    code->SetEditMask(L">LLL;0;_");
    code->SetFocus();
    Type(code->Handle(), L"ab");
    EXPECT_EQ(code->Text(), L"AB ");
    EXPECT_THROW(code->Perform(CM_EXIT, 0, 0), EDBEditError);
    code->SetModified(false);
    EXPECT_NO_THROW(code->Perform(CM_EXIT, 0, 0));

    // Without a mask it is a plain edit.
    auto* plain = On<TMaskEdit>(form);
    Type(plain->Handle(), L"free 1");
    EXPECT_EQ(plain->Text(), L"free 1");
    EXPECT_NO_THROW(plain->ValidateEdit());
}

TEST(StyleServices, EditElementDetails)
{
    for (const auto& [element, state] : {std::pair{teEditTextNormal, 1}, {teEditTextHot, 2}, {teEditTextDisabled, 4},
                                        {teEditTextFocused, 5}, {teEditTextReadOnly, 6}}) {
        const TThemedElementDetails d = StyleServices().GetElementDetails(element);
        EXPECT_STREQ(d.ClassList, L"EDIT");
        EXPECT_EQ(d.Part, 1);
        EXPECT_EQ(d.State, state);
    }
}

} // namespace
