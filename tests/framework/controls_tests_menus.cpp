// Main menus: a form's Menu is a real menu bar built from the item tree, follows item changes,
// wraps on a narrow form and runs an item's OnClick when the user clicks it.
#include "controls_test_support.h"
#include "../support/UserMouse.h"

#include "ExtCtrls.h"
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

namespace {

// Records what the owner-draw handlers of the items are given.
class TDrawRecorder : public TObject {
public:
    UnicodeString ClassName() const override { return L"TDrawRecorder"; }
    void Measure(TObject* sender, TCanvas* canvas, int& width, int& height)
    {
        measured.push_back(static_cast<TMenuItem*>(sender));
        EXPECT_TRUE(canvas->HandleAllocated());
        width = 120;
        height = 30;
    }
    void Draw(TObject* sender, TCanvas* canvas, TRect rect, TOwnerDrawState state)
    {
        drawn.push_back(static_cast<TMenuItem*>(sender));
        rects.push_back(rect);
        if (state.Contains(odSelected)) selectedSeen = true;
        canvas->Brush()->SetColor(clRed);
        canvas->FillRect(rect);
    }
    void Other(TObject*, TCanvas*, TRect, TOwnerDrawState) {}
    std::vector<TMenuItem*> measured, drawn;
    std::vector<TRect> rects;
    bool selectedSeen = false;
};

// While the pop-up is open: what the test sees of it, then Down and Enter as a user would.
struct PopupProbe {
    TPopupMenu* menu = nullptr;
    bool seen = false;
    bool active = false;
    bool handleMatches = false;
    COLORREF pixel = CLR_INVALID;
    static PopupProbe*& Current()
    {
        static PopupProbe* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        PopupProbe* p = Current();
        HWND wnd = FindWindowW(L"#32768", nullptr);
        if (!p || p->seen || !wnd || !IsWindowVisible(wnd)) return;
        p->seen = true;
        p->active = TPopupMenu::ActivePopup() == p->menu;
        p->handleMatches = reinterpret_cast<HMENU>(SendMessageW(wnd, MN_GETHMENU, 0, 0)) == p->menu->Handle();
        HDC dc = GetDC(wnd);
        p->pixel = GetPixel(dc, 20, 15);
        ReleaseDC(wnd, dc);
        PostMessageW(wnd, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(wnd, WM_KEYDOWN, VK_RETURN, 0);
    }
};

} // namespace

TEST_F(MenusTest, AnOwnerDrawnPopupReachesTheItemHandlersAndRunsTheChosenItem)
{
    auto* form = NewForm(200, 100);
    auto* menu = new TPopupMenu(form);
    TDrawRecorder recorder;
    int clicks = 0;
    for (const wchar_t* caption : {L"One", L"Two"}) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        item->OnMeasureItem = TMenuMeasureItemEvent(&recorder, &TDrawRecorder::Measure);
        item->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(&recorder, &TDrawRecorder::Draw);
        item->OnClick = [&clicks, item](TObject* sender) { clicks += sender == item ? 1 : 100; };
        menu->Items()->Add(item);
    }
    menu->SetOwnerDraw(true);
    menu->SetMenuAnimation(TMenuAnimation{maNone});
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoW(menu->Handle(), 1, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
    EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(menu->Items()->Items(1)));
    EXPECT_EQ(menu->WindowHandle(), Application->Handle());

    PopupProbe probe;
    probe.menu = menu;
    PopupProbe::Current() = &probe;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &PopupProbe::Tick);
    form->Show();
    SetForegroundWindow(form->Handle());
    menu->Popup(100, 100);
    KillTimer(nullptr, timer);
    PopupProbe::Current() = nullptr;

    ASSERT_TRUE(probe.seen);
    EXPECT_TRUE(probe.active);
    EXPECT_TRUE(probe.handleMatches);
    EXPECT_EQ(TPopupMenu::ActivePopup(), nullptr);
    ASSERT_EQ(recorder.measured.size(), 2u);
    EXPECT_EQ(recorder.measured[1], menu->Items()->Items(1));
    ASSERT_FALSE(recorder.drawn.empty());
    EXPECT_EQ(recorder.rects[0].Height(), 30);
    EXPECT_EQ(probe.pixel, RGB(255, 0, 0)) << "the handler's fill shows in the menu window";
    EXPECT_EQ(clicks, 1) << "Down and Enter chose the first item";
    EXPECT_TRUE(recorder.selectedSeen);

    // Plain again: the items are strings without item data.
    menu->SetOwnerDraw(false);
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoW(menu->Handle(), 1, TRUE, &info));
    EXPECT_FALSE(info.fType & MFT_OWNERDRAW);
}

TEST_F(MenusTest, HandlersCompareByObjectAndMethodAndShortCutsReadAsText)
{
    TDrawRecorder a, b;
    using E = TAdvancedMenuDrawItemEvent;
    EXPECT_EQ(E(&a, &TDrawRecorder::Draw), E(&a, &TDrawRecorder::Draw));
    EXPECT_FALSE(E(&a, &TDrawRecorder::Draw) == E(&b, &TDrawRecorder::Draw));
    EXPECT_FALSE(E(&a, &TDrawRecorder::Draw) == E(&a, &TDrawRecorder::Other));
    EXPECT_FALSE(static_cast<bool>(E()));

    const struct {
        TShortCut shortCut;
        const wchar_t* text;
    } cases[] = {{0, L""},
                 {scCtrl | 'S', L"Ctrl+S"},
                 {scShift | scAlt | VK_F2, L"Shift+Alt+F2"},
                 {VK_DELETE, L"Del"},
                 {scCtrl | VK_RETURN, L"Ctrl+Enter"}};
    for (const auto& c : cases) EXPECT_EQ(ShortCutToText(c.shortCut), c.text) << c.text;

    EXPECT_EQ(OwnerDrawStateFromOds(ODS_SELECTED | ODS_CHECKED | ODS_NOACCEL),
              (TOwnerDrawState{odSelected, odChecked, odNoAccel}));
    EXPECT_EQ(TMenuItem::FromItemData(reinterpret_cast<ULONG_PTR>(&a)), nullptr);
}

namespace {

// Notes which pop-up runs and where its window stands, then ends it.
struct ContextProbe {
    TPopupMenu* active = nullptr;
    RECT window{};
    int shown = 0;
    static ContextProbe*& Current()
    {
        static ContextProbe* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        ContextProbe* p = Current();
        HWND wnd = FindWindowW(L"#32768", nullptr);
        if (!p || !wnd || !IsWindowVisible(wnd)) return;
        ++p->shown;
        p->active = TPopupMenu::ActivePopup();
        GetWindowRect(wnd, &p->window);
        EndMenu();
    }
};

} // namespace

// A right click (or the menu key) opens the pop-up menu of the control under the pointer, else
// of the nearest parent that has one, at the pointer (the keyboard's at the client's corner).
TEST_F(MenusTest, TheContextMenuOfAControlOpensWhereTheUserAsks)
{
    TForm* form = NewForm(400, 300);
    form->SetBounds(100, 100, 400, 300);
    const auto menuWithItem = [form] {
        auto* menu = new TPopupMenu(form);
        auto* item = new TMenuItem(form);
        item->SetCaption(L"Item");
        menu->Items()->Add(item);
        return menu;
    };
    const auto panel = [form](TWinControl* parent, int left, int top) {
        auto* p = new TPanel(form);
        p->SetParent(parent);
        p->SetBounds(left, top, 150, 120);
        return p;
    };
    TPanel* owning = panel(form, 10, 10);
    TPanel* inner = panel(owning, 20, 20);
    inner->SetWidth(80);
    inner->SetHeight(60);
    TPanel* bare = panel(form, 200, 10);
    TPopupMenu* ownMenu = menuWithItem();
    TPopupMenu* formMenu = menuWithItem();
    owning->SetPopupMenu(ownMenu);
    form->Show();
    SetForegroundWindow(form->Handle());
    ASSERT_TRUE(PumpUntil([form] { return IsWindowVisible(form->Handle()) != FALSE; }));

    ContextProbe probe;
    ContextProbe::Current() = &probe;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &ContextProbe::Tick);
    struct Row {
        const char* what;
        TWinControl* control;
        bool keyboard;
        TPopupMenu* expected;
    };
    const Row rows[] = {
        {"its own menu", owning, false, ownMenu},
        {"the parent's menu", inner, false, ownMenu},
        {"no menu anywhere", bare, false, nullptr},
        {"the menu key", owning, true, ownMenu},
    };
    for (const Row& row : rows) {
        probe = ContextProbe{};
        const TPoint corner = row.control->ClientToScreen(TPoint(0, 0));
        const POINT at{corner.X + 7, corner.Y + 9};
        if (row.keyboard) {
            SendMessageW(row.control->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(row.control->Handle()),
                         MAKELPARAM(0xFFFF, 0xFFFF));
        } else {
            // The button's release has been handled, context menu and all, when OnMouseUp runs.
            bool released = false;
            row.control->OnMouseUp = [&released](TObject*, TMouseButton, TShiftState, int, int) { released = true; };
            user_mouse::RightClick(at);
            EXPECT_TRUE(PumpUntil([&] { return released; })) << row.what;
            row.control->OnMouseUp = nullptr;
        }
        EXPECT_EQ(probe.shown, row.expected ? 1 : 0) << row.what;
        EXPECT_EQ(probe.active, row.expected) << row.what;
        if (!row.expected) continue;
        const POINT origin = row.keyboard ? POINT{corner.X, corner.Y} : at;
        EXPECT_EQ(probe.window.left, origin.x) << row.what;
        EXPECT_EQ(probe.window.top, origin.y) << row.what;
    }
    // The form's own menu serves its bare controls.
    form->SetPopupMenu(formMenu);
    probe = ContextProbe{};
    const TPoint corner = bare->ClientToScreen(TPoint(0, 0));
    bool released = false;
    bare->OnMouseUp = [&released](TObject*, TMouseButton, TShiftState, int, int) { released = true; };
    user_mouse::RightClick(POINT{corner.X + 7, corner.Y + 9});
    EXPECT_TRUE(PumpUntil([&] { return released; }));
    EXPECT_EQ(probe.shown, 1);
    EXPECT_EQ(probe.active, formMenu);
    KillTimer(nullptr, timer);
    ContextProbe::Current() = nullptr;
}
