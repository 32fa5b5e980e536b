// Main menus: a form's Menu is a real menu bar built from the item tree, follows item changes,
// wraps on a narrow form and runs an item's OnClick when the user clicks it.
#include "controls_test_support.h"

#include "Forms.h"
#include "Menus.h"

#include <windows.h>

#include <string>

namespace {

class TMenuForm : public TForm {
public:
    explicit TMenuForm(TComponent* owner, const UnicodeString& definition) : TForm(owner)
    {
        BindField(L"MainMenu1", MainMenu1);
        BindField(L"FileItem", FileItem);
        BindField(L"HelpItem", HelpItem);
        BindHandler(L"HelpClick", &TMenuForm::HelpClick);
        ReadDefinitionText(definition);
    }
    UnicodeString ClassName() const override { return L"TMenuForm"; }
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* FileItem = nullptr;
    TMenuItem* HelpItem = nullptr;
    int helpClicks = 0;
    void HelpClick(TObject*) { ++helpClicks; }
};

const wchar_t* kDefinition = LR"(object F: TMenuForm
  Left = 80
  Top = 80
  Width = 420
  Height = 240
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object FileItem: TMenuItem
      Caption = 'File'
      object OpenItem: TMenuItem
        Caption = 'Open'
      end
      object LineItem: TMenuItem
        Caption = '-'
      end
      object QuitItem: TMenuItem
        Caption = 'Quit'
        Enabled = False
      end
    end
    object EditItem: TMenuItem
      Caption = 'Edit'
      Visible = False
    end
    object HelpItem: TMenuItem
      Caption = 'Help'
      OnClick = HelpClick
    end
  end
end
)";

std::wstring MenuText(HMENU menu, UINT position)
{
    wchar_t text[64]{};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return text;
}

UINT MenuState(HMENU menu, UINT position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE | MIIM_FTYPE;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info.fState | info.fType;
}

} // namespace

using MenusTest = ControlsTest;

TEST_F(MenusTest, AFormWithAMainMenuHasARealMenuBar)
{
    auto* form = new TMenuForm(Application, kDefinition);
    form->Show();
    HWND wnd = form->Handle();
    ASSERT_EQ(form->Menu(), form->MainMenu1);
    HMENU bar = GetMenu(wnd);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar, form->MainMenu1->Handle());

    // The hidden item is left out; the drop-down holds the sub-items with their states.
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(MenuText(bar, 0), L"File");
    EXPECT_EQ(MenuText(bar, 1), L"Help");
    HMENU sub = GetSubMenu(bar, 0);
    ASSERT_EQ(sub, form->FileItem->Handle());
    ASSERT_EQ(GetMenuItemCount(sub), 3);
    EXPECT_TRUE(MenuState(sub, 1) & MFT_SEPARATOR);
    EXPECT_TRUE(MenuState(sub, 2) & MFS_GRAYED);
    EXPECT_FALSE(MenuState(sub, 0) & MFS_GRAYED);

    // The bar lies between the caption and the client area.
    RECT item{}, window{};
    ASSERT_TRUE(GetMenuItemRect(wnd, bar, 0, &item));
    GetWindowRect(wnd, &window);
    POINT client{0, 0};
    ClientToScreen(wnd, &client);
    EXPECT_GT(item.top, window.top);
    EXPECT_LE(item.bottom, client.y);
    EXPECT_GT(item.right - item.left, 0);

    // Changes of an item reach the bar.
    form->FileItem->Items(2)->SetEnabled(true);
    EXPECT_FALSE(MenuState(sub, 2) & MFS_GRAYED);
    static_cast<TMenuItem*>(form->FindComponent(L"EditItem"))->SetVisible(true);
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(MenuText(bar, 1), L"Edit");
    form->HelpItem->SetCaption(L"About");
    EXPECT_EQ(MenuText(bar, 2), L"About");
    form->HelpItem->SetBreak(mbBreak);
    EXPECT_TRUE(MenuState(bar, 2) & MFT_MENUBREAK);

    // Freeing an item takes it off the bar; freeing the menu takes the bar off the window.
    delete form->FindComponent(L"EditItem");
    EXPECT_EQ(GetMenuItemCount(bar), 2);
    delete form->MainMenu1;
    EXPECT_EQ(form->Menu(), nullptr);
    EXPECT_EQ(GetMenu(wnd), nullptr);
    delete form;
}

TEST_F(MenusTest, ClickingAnItemRunsItsOnClick)
{
    auto* form = new TMenuForm(Application, kDefinition);
    form->Show();
    HWND wnd = form->Handle();
    SetForegroundWindow(wnd);
    RECT item{};
    ASSERT_TRUE(GetMenuItemRect(wnd, GetMenu(wnd), 1, &item));
    const int w = GetSystemMetrics(SM_CXSCREEN) - 1, h = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT inputs[3]{};
    for (INPUT& in : inputs) {
        in.type = INPUT_MOUSE;
        in.mi.dx = MulDiv((item.left + item.right) / 2, 65535, w);
        in.mi.dy = MulDiv((item.top + item.bottom) / 2, 65535, h);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, inputs, sizeof(INPUT));
    EXPECT_TRUE(PumpUntil([&] { return form->helpClicks == 1; }));
    delete form;
}

TEST_F(MenusTest, ANarrowFormWrapsTheBar)
{
    auto* form = NewForm(600, 200);
    auto* menu = new TMainMenu(form);
    for (int i = 0; i < 8; ++i) {
        auto* item = new TMenuItem(form);
        item->SetCaption(L"Item " + std::to_wstring(i));
        menu->Items()->Add(item);
    }
    form->SetMenu(menu);
    form->Show();
    HWND wnd = form->Handle();
    RECT first{}, last{};
    ASSERT_TRUE(GetMenuItemRect(wnd, GetMenu(wnd), 0, &first));
    ASSERT_TRUE(GetMenuItemRect(wnd, GetMenu(wnd), 7, &last));
    EXPECT_EQ(first.top, last.top);

    form->SetWidth(120);
    DrawMenuBar(wnd);
    ASSERT_TRUE(GetMenuItemRect(wnd, GetMenu(wnd), 0, &first));
    ASSERT_TRUE(GetMenuItemRect(wnd, GetMenu(wnd), 7, &last));
    EXPECT_GT(last.top, first.top);
}

// A shortcut packs the key code with Shift 0x2000, Ctrl 0x4000 and Alt 0x8000; a key code that
// needs more than a byte has none.
TEST(ShortCuts, KeyAndShiftStatePackIntoOneWord)
{
    struct Case {
        WORD key;
        TShiftState shift;
        TShortCut expected;
    };
    const Case cases[] = {
        {VK_DOWN, TShiftState{ssAlt}, 0x8028},
        {'A', TShiftState{ssCtrl}, 0x4041},
        {VK_F2, TShiftState{ssShift, ssCtrl, ssAlt}, 0xE071},
        {VK_RETURN, TShiftState{}, 0x000D},
        {'A', TShiftState{ssLeft, ssDouble}, 0x0041},
        {0x141, TShiftState{ssCtrl}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ShortCut(c.key, c.shift), c.expected) << c.key;
}
