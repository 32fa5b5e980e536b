// Skinned menus end to end: a hooked pop-up opened as a user opens it, painted by the skin in
// its menu window, its item selected by the keyboard, then closed.
#include "skin_forms_test_menus.h"

#include <windows.h>

namespace {

namespace hs = house_skin;

// Watches the open menu from a timer (TrackPopupMenu is modal): what the menu window shows
// before and after Down selects the first item, then ends the menu.
struct MenuWatch {
    HMENU expected = nullptr;
    bool handleMatches = false;
    std::uint32_t normal = 0, icoColumn = 0, selected = 0;
    bool regionSet = false;
    bool recordOfWindow = false; // the skinned menus keep a painted record of the open window
    bool downSent = false;
    int ticks = 0;
    std::unique_ptr<TBitmap> shot; // the menu window as shown with the first item selected

    static MenuWatch*& Current()
    {
        static MenuWatch* current = nullptr;
        return current;
    }
    static std::uint32_t Pixel(HWND wnd, int x, int y)
    {
        HDC dc = GetWindowDC(wnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(wnd, dc);
        return Rgb(c);
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        MenuWatch* w = Current();
        if (!w) return;
        // A bound on the ticks, so a menu that never shows cannot hold the test.
        if (++w->ticks > 500) {
            EndMenu();
            return;
        }
        HWND wnd = FindWindowW(L"#32768", nullptr);
        if (!wnd || !IsWindowVisible(wnd)) return;
        RECT item{}, window{};
        if (!GetMenuItemRect(nullptr, w->expected, 0, &item) || !GetWindowRect(wnd, &window)) return;
        const int y = (item.top + item.bottom) / 2 - window.top;
        const int right = item.right - 8 - window.left, left = item.left + 10 - window.left;
        if (!w->downSent) {
            w->handleMatches = reinterpret_cast<HMENU>(SendMessageW(wnd, MN_GETHMENU, 0, 0)) == w->expected;
            w->normal = Pixel(wnd, right, y);
            w->icoColumn = Pixel(wnd, left, y);
            HRGN rgn = CreateRectRgn(0, 0, 0, 0);
            w->regionSet = GetWindowRgn(wnd, rgn) != ERROR;
            DeleteObject(rgn);
            PostMessageW(wnd, WM_KEYDOWN, VK_DOWN, 0);
            w->downSent = true;
            return;
        }
        w->selected = Pixel(wnd, right, y);
        if (w->selected != Rgb(hs::kMenuHotBG)) return;
        const TacMenuInfo* info = DefaultManager->SkinableMenus()->GetMenuInfo(nullptr, nullptr, wnd);
        w->recordOfWindow = info && info->Bmp && info->Wnd == wnd;
        w->shot = std::make_unique<TBitmap>(window.right - window.left, window.bottom - window.top, pf32bit);
        HDC dc = GetWindowDC(wnd);
        BitBlt(w->shot->Canvas()->Handle(), 0, 0, w->shot->Width(), w->shot->Height(), dc, 0, 0, SRCCOPY);
        ReleaseDC(wnd, dc);
        EndMenu();
    }
};

} // namespace

TEST_F(SkinMenusTest, AHookedPopupIsPaintedByTheSkinInItsMenuWindow)
{
    TsSkinManager& m = UseMenuSkin();
    form = new TLoggedForm(Application);
    form->SetBounds(60, 60, 300, 200);
    form->Show();
    ASSERT_TRUE(PumpUntil([this] { return IsWindowVisible(form->Handle()) != FALSE; }));
    SetForegroundWindow(form->Handle());
    TPopupMenu* popup = NewPopup({L"First item", L"Second item", L"-", L"Third item"});
    int clicks = 0;
    popup->Items()->Items(0)->OnClick = [&clicks](TObject*) { ++clicks; };
    m.SkinableMenus()->HookPopupMenu(popup, true);
    ASSERT_TRUE(popup->OwnerDraw());

    MenuWatch watch;
    watch.expected = popup->Handle();
    MenuWatch::Current() = &watch;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &MenuWatch::Tick);
    popup->Popup(120, 120);
    KillTimer(nullptr, timer);
    MenuWatch::Current() = nullptr;

    EXPECT_LE(watch.ticks, 500) << "the menu showed";
    EXPECT_TRUE(watch.handleMatches);
    EXPECT_TRUE(watch.regionSet) << "the skin's corners are cut from the window";
    EXPECT_EQ(watch.normal, Rgb(hs::kMenuBack)) << "the prepared background behind a normal item";
    EXPECT_EQ(watch.icoColumn, Rgb(hs::kIcoLine));
    EXPECT_EQ(watch.selected, Rgb(hs::kMenuHotBG)) << "the item section's hot state";
    EXPECT_EQ(clicks, 0) << "ended, not chosen";
    ASSERT_TRUE(watch.shot);
    SaveEnlargedPng(*watch.shot, L"skin_forms_menu_popup.png", 3);
    EXPECT_TRUE(watch.recordOfWindow) << "prepared for the menu window";
    EXPECT_TRUE(m.SkinableMenus()->MenuInfos().empty()) << "the menu window's wrapper clears the cache as it closes";
}
