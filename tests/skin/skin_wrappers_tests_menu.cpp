// The pop-up menu window wrapper: skinned pop-ups opened under the hook (transparency until the
// first frame paint, the skin's frame, the end of a cascade, the class brush) and its answers to
// the library's commands.
#include "skin_wrappers_test_base.h"

#include "Menus.h"
#include "PumpUntil.h"
#include "acDials.h"
#include "acSBUtilsBrushes.h"
#include "acSBUtilsMenu.h"
#include "sSkinManager.h"
#include "sSkinMenus.h"
#include "sSkinProvider.h"
#include "sThirdParty.h"
#include "skin_graphics_test_png.h"
#include "skin_wrappers_test_edit.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

namespace {

namespace hs = house_skin;

// The menu wrapper the hook makes, counting its frees.
class CountingMnuWnd : public TacMnuWnd {
public:
    ~CountingMnuWnd() override { ++Frees(); }
    static int& Frees()
    {
        static int n = 0;
        return n;
    }
};

// What one menu window showed, recorded after its procedures returned (WH_CALLWNDPROCRET).
struct MenuWindowLog {
    bool layeredWhenShown = false;
    BYTE alphaWhenShown = 255;
    bool layeredAfterFirstPaint = true;
    BYTE alphaAfterFirstPaint = 0;
    bool painted = false;
    int paintsAfterChildGone = 0;
    bool wrapped = false;
};

struct MenuRecorder {
    std::map<HWND, MenuWindowLog> windows;
    std::vector<HWND> order;
    bool childGone = false;
    HHOOK hook = nullptr;

    static MenuRecorder*& Current()
    {
        static MenuRecorder* current = nullptr;
        return current;
    }
    static bool IsMenu(HWND wnd)
    {
        wchar_t name[16] = {};
        return GetClassNameW(wnd, name, 16) && lstrcmpW(name, L"#32768") == 0;
    }
    static void Layered(HWND wnd, bool& layered, BYTE& alpha)
    {
        layered = (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        DWORD flags = 0;
        alpha = 255;
        if (layered) GetLayeredWindowAttributes(wnd, nullptr, &alpha, &flags);
    }
    static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l)
    {
        MenuRecorder* self = Current();
        const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(l);
        if (self && code == HC_ACTION && m && IsMenu(m->hwnd)) {
            if (!self->windows.count(m->hwnd)) self->order.push_back(m->hwnd);
            MenuWindowLog& log = self->windows[m->hwnd];
            // The window shows at the end of this change: from then until its first frame paint.
            if (m->message == WM_WINDOWPOSCHANGING &&
                (reinterpret_cast<const WINDOWPOS*>(m->lParam)->flags & SWP_SHOWWINDOW)) {
                Layered(m->hwnd, log.layeredWhenShown, log.alphaWhenShown);
                log.wrapped = dynamic_cast<TacMnuWnd*>(Ac_GetScrollWndFromHwnd(m->hwnd)) != nullptr;
            }
            if ((m->message == WM_PAINT || m->message == WM_NCPAINT) && !log.painted) {
                log.painted = true;
                Layered(m->hwnd, log.layeredAfterFirstPaint, log.alphaAfterFirstPaint);
            }
            if ((m->message == WM_PAINT || m->message == WM_NCPAINT) && self->childGone) ++log.paintsAfterChildGone;
        }
        return CallNextHookEx(nullptr, code, w, l);
    }
    MenuRecorder()
    {
        Current() = this;
        hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &Proc, nullptr, GetCurrentThreadId());
    }
    ~MenuRecorder()
    {
        UnhookWindowsHookEx(hook);
        Current() = nullptr;
    }
    MenuRecorder(const MenuRecorder&) = delete;
    MenuRecorder& operator=(const MenuRecorder&) = delete;
};

// Drives an open menu from a timer (the menu loop is modal): Step gets the visible menu windows,
// top-level one first, and returns true when it is done; the menu is then ended.
struct MenuDriver {
    std::function<bool(const std::vector<HWND>&)> Step;
    int ticks = 0;
    static MenuDriver*& Current()
    {
        static MenuDriver* current = nullptr;
        return current;
    }
    static BOOL CALLBACK Collect(HWND wnd, LPARAM l)
    {
        if (MenuRecorder::IsMenu(wnd) && IsWindowVisible(wnd)) reinterpret_cast<std::vector<HWND>*>(l)->push_back(wnd);
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        MenuDriver* d = Current();
        if (!d) return;
        // A bound on the ticks, so a menu that never shows cannot hold the test.
        if (++d->ticks > 300) {
            EndMenu();
            return;
        }
        std::vector<HWND> menus;
        EnumWindows(&Collect, reinterpret_cast<LPARAM>(&menus));
        // EnumWindows lists from the top of the z-order: the newest (innermost) menu first.
        std::reverse(menus.begin(), menus.end());
        if (!menus.empty() && d->Step(menus)) EndMenu();
    }
};

void RunMenu(TPopupMenu* popup, MenuDriver& driver)
{
    MenuDriver::Current() = &driver;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &MenuDriver::Tick);
    popup->Popup(140, 140);
    KillTimer(nullptr, timer);
    MenuDriver::Current() = nullptr;
}

class MenuWrapperTest : public HookedWrapperTest {
protected:
    void SetUp() override
    {
        HookedWrapperTest::SetUp();
        hs::Options o;
        o.withMenus = true;
        ASSERT_NO_FATAL_FAILURE(LoadHooked(o));
        manager->SkinableMenus()->ClearCache();
        previous_ = acSetWrapperFactory(TacWrapperKind::Mnu, &WrapperFactory<CountingMnuWnd>);
        CountingMnuWnd::Frees() = 0;
        owner_ = new TComponent(Application);
        SetForegroundWindow(form->Handle());
    }
    void TearDown() override
    {
        delete owner_;
        ClearMnuArray();
        FreeSupportedList();
        acSetWrapperFactory(TacWrapperKind::Mnu, previous_);
        SetAeroIsEnabledOverride(std::nullopt);
        acCanHookMenu = false;
        HookedWrapperTest::TearDown();
    }
    TMenuItem* AddItem(TMenuItem* parent, const wchar_t* caption)
    {
        auto* item = new TMenuItem(owner_);
        item->SetCaption(caption);
        parent->Add(item);
        return item;
    }
    // A pop-up hooked by the skinned menus; with a submenu under its first item.
    TPopupMenu* NewPopup(bool withSubmenu = false)
    {
        auto* popup = new TPopupMenu(owner_);
        TMenuItem* first = AddItem(popup->Items(), L"First item");
        if (withSubmenu) {
            AddItem(first, L"Inner one");
            AddItem(first, L"Inner two");
        }
        AddItem(popup->Items(), L"Second item");
        manager->SkinableMenus()->HookPopupMenu(popup, true);
        return popup;
    }

    TComponent* owner_ = nullptr;
    TacWrapperFactory previous_ = nullptr;
};

HBRUSH SystemMenuClassBrush()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    GetClassInfoExW(nullptr, MAKEINTATOM(0x8000), &wc);
    return wc.hbrBackground;
}

} // namespace

TEST_F(MenuWrapperTest, APopupIsTransparentUntilItsFirstFramePaintThenTakesTheMenuAlpha)
{
    SetAeroIsEnabledOverride(true);
    const HBRUSH original = SystemMenuClassBrush();
    for (const BYTE alpha : {BYTE{255}, BYTE{200}}) {
        SCOPED_TRACE(alpha);
        manager->MenuSupport()->AlphaBlend = alpha;
        CountingMnuWnd::Frees() = 0;
        TPopupMenu* popup = NewPopup();
        MenuRecorder recorder;
        std::unique_ptr<TBitmap> shot;
        HBRUSH classBrushWhileOpen = nullptr;
        TacMnuWnd* wrapper = nullptr;
        int shownTicks = 0;
        MenuDriver driver;
        driver.Step = [&](const std::vector<HWND>& menus) {
            HWND wnd = menus[0];
            wrapper = dynamic_cast<TacMnuWnd*>(Ac_GetScrollWndFromHwnd(wnd));
            // One tick after the first skinned paint: the items are drawn too.
            if (!wrapper || !wrapper->Shown || ++shownTicks < 2) return false;
            classBrushWhileOpen = reinterpret_cast<HBRUSH>(GetClassLongPtrW(wnd, GCLP_HBRBACKGROUND));
            EXPECT_EQ(SendMessageW(wnd, SM_ALPHACMD, MakeAlphaCmd(AC_GETSCROLLWND), 0), 0) << "not answered";
            EXPECT_EQ(MnuArray.size(), 1u);
            EXPECT_EQ(MnuArray.empty() ? nullptr : MnuArray[0], wrapper);
            EXPECT_TRUE(acCanHookMenu);
            if (alpha == 255) {
                RECT r{};
                GetWindowRect(wnd, &r);
                shot = std::make_unique<TBitmap>(r.right - r.left, r.bottom - r.top, pf32bit);
                HDC dc = GetWindowDC(wnd);
                BitBlt(shot->Canvas()->Handle(), 0, 0, shot->Width(), shot->Height(), dc, 0, 0, SRCCOPY);
                ReleaseDC(wnd, dc);
            }
            return true;
        };
        RunMenu(popup, driver);
        ASSERT_EQ(recorder.order.size(), 1u);
        const MenuWindowLog& log = recorder.windows[recorder.order[0]];
        EXPECT_TRUE(log.wrapped);
        EXPECT_TRUE(log.layeredWhenShown) << "nothing unskinned is seen";
        EXPECT_EQ(log.alphaWhenShown, 0);
        EXPECT_TRUE(log.painted);
        EXPECT_EQ(log.layeredAfterFirstPaint, alpha != 255);
        if (alpha != 255) {
            EXPECT_EQ(log.alphaAfterFirstPaint, alpha);
        }
        EXPECT_NE(classBrushWhileOpen, original) << "the menu class has the skin's brush while a menu is open";

        // Closed: the array is empty, the wrapper freed once, the class brush is the original.
        EXPECT_TRUE(MnuArray.empty());
        EXPECT_FALSE(acCanHookMenu);
        EXPECT_EQ(CountingMnuWnd::Frees(), 1);
        EXPECT_EQ(SystemMenuClassBrush(), original);
        EXPECT_EQ(ChangedClassBrushCount(), 0);
        if (alpha == 255) {
            ASSERT_TRUE(shot);
            SaveEnlargedPng(*shot, L"skin_wrappers_menu_popup.png", 3);
            // The skin's 3-pixel frame: its outer edge and the frame colour inside it, on every side.
            const int w = shot->Width(), h = shot->Height();
            auto pixel = [&](int x, int y) { return static_cast<COLORREF>(shot->Canvas()->Pixels(x, y)) & 0xFFFFFF; };
            for (const POINT p : {POINT{0, h / 2}, POINT{w - 1, h / 2}, POINT{w / 2, 0}, POINT{w / 2, h - 1}})
                EXPECT_EQ(pixel(p.x, p.y), HouseRgb(hs::kMenuEdge & 0xFFFFFF)) << p.x << "," << p.y;
            for (const POINT p : {POINT{2, h / 2}, POINT{w - 3, h / 2}, POINT{w / 2, 2}, POINT{w / 2, h - 3}})
                EXPECT_EQ(pixel(p.x, p.y), HouseRgb(hs::kMenuFrame & 0xFFFFFF)) << p.x << "," << p.y;
        }
    }
}

TEST_F(MenuWrapperTest, ClosingTheSubmenuOfACascadeRedrawsTheParentAndTheLastClosingEmptiesTheArray)
{
    TPopupMenu* popup = NewPopup(true);
    MenuRecorder recorder;
    int phase = 0;
    size_t wrappersWithBoth = 0, wrappersAfterChild = 0;
    MenuDriver driver;
    driver.Step = [&](const std::vector<HWND>& menus) {
        switch (phase) {
        case 0: // the first item holds the submenu: select it and open it
            PostMessageW(menus[0], WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(menus[0], WM_KEYDOWN, VK_RIGHT, 0);
            phase = 1;
            return false;
        case 1:
            if (menus.size() < 2) return false;
            wrappersWithBoth = MnuArray.size();
            PostMessageW(menus[0], WM_KEYDOWN, VK_LEFT, 0);
            recorder.childGone = true;
            phase = 2;
            return false;
        default:
            if (menus.size() != 1) return false;
            wrappersAfterChild = MnuArray.size();
            return recorder.windows[menus[0]].paintsAfterChildGone > 0;
        }
    };
    RunMenu(popup, driver);
    EXPECT_LE(driver.ticks, 300) << "the cascade opened and closed";
    EXPECT_EQ(wrappersWithBoth, 2u);
    EXPECT_EQ(wrappersAfterChild, 1u) << "the closed submenu's wrapper left the array";
    ASSERT_EQ(recorder.order.size(), 2u);
    EXPECT_GT(recorder.windows[recorder.order[0]].paintsAfterChildGone, 0) << "the parent menu is redrawn";
    EXPECT_TRUE(MnuArray.empty());
    EXPECT_FALSE(acCanHookMenu);
    EXPECT_EQ(CountingMnuWnd::Frees(), 2) << "each wrapper freed once";
}

TEST_F(MenuWrapperTest, TheWrapperAnswersItsCommandsAndNeverBecomesTheActiveControl)
{
    RecordingWindow window(nullptr, RECT{60, 60, 260, 200});
    TacSkinParams params;
    params.SkinSection = L"MAINMENU";
    auto* wrapper = CreateWrapper<CountingMnuWnd>(window.Handle(), nullptr, manager.get(), params, false);
    MnuArray.push_back(wrapper);
    EXPECT_TRUE(wrapper->IsMenuWnd());
    EXPECT_TRUE(wrapper->KeepsVisualStyle());
    EXPECT_EQ(Command(window.Handle(), AC_CTRLHANDLED), 1);
    EXPECT_EQ(Command(window.Handle(), AC_GETAPPLICATION), reinterpret_cast<LRESULT>(Application));
    EXPECT_EQ(Command(window.Handle(), AC_GETCOMMONDATA), 0) << "other commands are not answered";
    EXPECT_EQ(wrapper->RgnChanged, 0);
    Command(window.Handle(), AC_MENUBORDERDONE);
    EXPECT_EQ(wrapper->RgnChanged, 1) << "a visible window's shape may have changed";
    TMessage m{SM_ALPHACMD, MakeAlphaCmd(AC_SETUPDATING), 0, 0};
    wrapper->acWndProc(m);
    EXPECT_EQ(m.LParam, 1) << "command 8 reports the mark";
    EXPECT_EQ(m.Result, 0);

    // Hovering over it never makes it the manager's active control.
    manager->SetActiveControl(nullptr);
    SendMessageW(window.Handle(), WM_NCHITTEST, 0, MAKELPARAM(100, 100));
    EXPECT_NE(manager->ActiveControl(), window.Handle());

    // Its window goes: the wrapper leaves the array and is freed once; the array's clean-up
    // finds nothing more to free.
    DestroyWindow(window.Handle());
    EXPECT_TRUE(MnuArray.empty());
    EXPECT_EQ(CountingMnuWnd::Frees(), 1);
    ClearMnuArray();
    EXPECT_EQ(CountingMnuWnd::Frees(), 1);
}
