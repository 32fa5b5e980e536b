#pragma once
// Shared by the combo edit tests: an edit whose default glyph and pop-up a test sets (as the
// picker edits do), the pop-up controller unit, and the mouse and keys a user would give.
#include "skin_editors_test_edit.h"

#include "acPopupController.h"
#include "sComboEdit.h"
#include "sCustomComboEdit.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <map>
#include <vector>

// Pixels in r of bmp that differ from colour.
inline int OtherPixels(TBitmap& bmp, const TRect& r, COLORREF colour)
{
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if ((GetPixel(bmp.Canvas()->Handle(), x, y) & 0xFFFFFF) != colour) ++n;
    return n;
}

// A picker edit: FDefBmpID -1 makes its button an arrow; each drop-down shows Popup.
class TTestComboEdit : public TsCustomComboEdit {
public:
    explicit TTestComboEdit(TComponent* owner) : TsCustomComboEdit(owner) {}
    UnicodeString ClassName() const override { return L"TTestComboEdit"; }
    void SetDefBmpID(int value) { FDefBmpID = value; }
    void PopupWindowShow() override
    {
        FPopupWindow = Popup;
        TsCustomComboEdit::PopupWindowShow();
    }
    TForm* Popup = nullptr;
};

// A form that counts the dialog keys it is sent.
class TDialogKeyForm : public TForm {
public:
    explicit TDialogKeyForm(TComponent* owner) : TForm(owner) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == CM_DIALOGKEY) ++dialogKeys[message.WParam];
        TForm::WndProc(message);
    }
    std::map<WPARAM, int> dialogKeys;
};

class ComboEditTest : public EditTest {
protected:
    void SetUp() override
    {
        EditTest::SetUp();
        acPopupControllerInitialization();
        sCustomComboEditInitialization();
        sComboEditInitialization();
    }
    void TearDown() override
    {
        ReleaseCapture();
        delete form;
        form = nullptr;
        sComboEditFinalization();
        sCustomComboEditFinalization();
        acPopupControllerFinalization();
        EditTest::TearDown();
    }
    // An arrow (defBmp -1) or glyph edit counting its clicks.
    TTestComboEdit* MakeCombo(int defBmp, const TRect& bounds = TRect(10, 10, 160, 33))
    {
        auto* e = Make<TTestComboEdit>(bounds);
        e->SetDefBmpID(defBmp);
        e->OnButtonClick = [this](TObject*) { ++clicks; };
        e->HandleNeeded();
        return e;
    }
    // Puts the cursor on a window point of e and sends the move there.
    static void MouseTo(TWinControl* e, int x, int y)
    {
        RECT wr{};
        GetWindowRect(e->Handle(), &wr);
        SetCursorPos(wr.left + x, wr.top + y);
        POINT c{wr.left + x, wr.top + y};
        ScreenToClient(e->Handle(), &c);
        SendMessageW(e->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
    }
    static void Button(TWinControl* e, UINT msg)
    {
        POINT c{};
        GetCursorPos(&c);
        ScreenToClient(e->Handle(), &c);
        SendMessageW(e->Handle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(c.x, c.y));
    }
    // Key vk with the modifier held, as typed on the keyboard.
    static void Press(WORD vk, WORD modifier = 0)
    {
        std::vector<INPUT> in;
        const auto key = [&](WORD k, bool up) {
            INPUT i{};
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = k;
            i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            in.push_back(i);
        };
        if (modifier) key(modifier, false);
        key(vk, false);
        key(vk, true);
        if (modifier) key(modifier, true);
        SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    }
    static void Focus(TWinControl* e)
    {
        SetForegroundWindow(GetAncestor(e->Handle(), GA_ROOT));
        e->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return e->Focused() && GetFocus() == e->Handle(); }));
    }
    TForm* NewPopup()
    {
        auto* p = new TForm(Application);
        p->SetBorderStyle(bsNone);
        p->SetColor(clYellow);
        return p;
    }
    int clicks = 0;
};
