// Skinned menus: the prepared background of a menu window (frame, icon column, extra line), the
// corner shape the skin cuts from it, and the border drawn into a window.
#include "skin_forms_test_menus.h"

#include "sMessages.h"

#include <vector>

namespace {

namespace hs = house_skin;

// A hidden pop-up window of a known size whose procedure notes the library commands it gets.
struct ProbeWindow {
    HWND wnd = nullptr;
    std::vector<WORD> commands;
    LRESULT updatingAnswer = 0;
    std::function<void(WORD)> onCommand;

    ProbeWindow(int width, int height)
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SkinMenusProbe";
        RegisterClassW(&wc);
        wnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP, 40, 40, width,
                              height, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ProbeWindow() { DestroyWindow(wnd); }

    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ProbeWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (self && msg == SM_ALPHACMD) {
            self->commands.push_back(AlphaCmdCode(wParam));
            if (self->onCommand) self->onCommand(AlphaCmdCode(wParam));
            return AlphaCmdCode(wParam) == AC_SETUPDATING ? self->updatingAnswer : 0;
        }
        if (msg == WM_PAINT) {
            ValidateRect(wnd, nullptr);
            return 0;
        }
        if (msg == WM_ERASEBKGND) return 1;
        return DefWindowProcW(wnd, msg, wParam, lParam);
    }
};

// The region of w x h less 2 x 2 squares at the corners.
HRGN CutCorners(int w, int h)
{
    HRGN rgn = CreateRectRgn(0, 0, w, h);
    for (const RECT& r : {RECT{0, 0, 2, 2}, RECT{w - 2, 0, w, 2}, RECT{0, h - 2, 2, h}, RECT{w - 2, h - 2, w, h}}) {
        HRGN corner = CreateRectRgnIndirect(&r);
        CombineRgn(rgn, rgn, corner, RGN_DIFF);
        DeleteObject(corner);
    }
    return rgn;
}

HRGN RegionOf(const TRects& rects)
{
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    for (const TRect& r : rects) {
        HRGN part = CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
        CombineRgn(rgn, rgn, part, RGN_OR);
        DeleteObject(part);
    }
    return rgn;
}

} // namespace

TEST_F(SkinMenusTest, TheBackgroundOfAMenuWindowIsPreparedFromTheSkin)
{
    TsSkinManager& m = UseMenuSkin();
    TsSkinableMenus& menus = *m.SkinableMenus();
    TPopupMenu* popup = NewPopup({L"First", L"Second"});
    TMenuItem* first = popup->Items()->Items(0);
    constexpr int w = 160, h = 120;
    ProbeWindow window(w, h);
    TBitmap canvas(10, 10, pf32bit);

    const auto prepared = [&]() -> TBitmap& {
        menus.ClearCache();
        TacMenuInfo* info = menus.GetMenuInfo(first, canvas.Canvas(), window.wnd);
        EXPECT_TRUE(info && info->Bmp && info->Wnd == window.wnd);
        return *info->Bmp;
    };
    const int extra = m.MenuSupport()->ExtraLineWidth;
    const std::uint32_t back = Rgb(hs::kMenuBack), ico = Rgb(hs::kIcoLine), line = Rgb(hs::kExtraLine);
    struct Row {
        const char* what;
        bool useExtraLine;
        const wchar_t* firstName;
        const wchar_t* section; // what the extra-line event answers (null: no event)
        std::uint32_t atLeft, afterExtra; // pixels at x 12 and x 12 + the extra line's width
        bool captionInk;
    };
    const Row rows[] = {
        {"frame, icon column and background", false, L"", nullptr, ico, back, false},
        {"with the extra line", true, L"", nullptr, line, ico, true},
        {"the skin selector's menu has none", true, L"SkinSelectItem", nullptr, ico, back, false},
        {"the event names another section", true, L"", L"ICOLINE", ico, ico, false},
    };
    for (const Row& row : rows) {
        m.MenuSupport()->UseExtraLine = row.useExtraLine;
        first->SetName(row.firstName);
        m.OnGetMenuExtraLineData = nullptr;
        if (row.section)
            m.OnGetMenuExtraLineData = [&row](TMenuItem*, UnicodeString& section, UnicodeString& caption, TBitmap*&,
                                              bool&) {
                section = row.section;
                caption = L"";
            };
        TBitmap& bmp = prepared();
        SaveEnlargedPng(bmp, (UnicodeString(L"skin_forms_menu_bg_") + std::to_wstring(&row - rows) + L".png").c_str(), 3);
        ASSERT_EQ(bmp.Width(), w) << row.what;
        ASSERT_EQ(bmp.Height(), h) << row.what;
        EXPECT_EQ(PixelAt(bmp, 0, h / 2), hs::kMenuEdge & 0xFFFFFF) << row.what;
        EXPECT_EQ(PixelAt(bmp, 2, h / 2), hs::kMenuFrame & 0xFFFFFF) << row.what;
        EXPECT_EQ(PixelAt(bmp, w / 2, 2), hs::kMenuFrame & 0xFFFFFF) << row.what;
        EXPECT_EQ(PixelAt(bmp, w - 10, h / 2), back) << row.what;
        EXPECT_EQ(PixelAt(bmp, 12, 8), row.atLeft) << row.what;
        EXPECT_EQ(PixelAt(bmp, 12 + extra, 8), row.afterExtra) << row.what;
        EXPECT_EQ(static_cast<bool>(InkIn(bmp, TRect(5, 5, 20, h - 5), row.atLeft)), row.captionInk) << row.what;
    }
    m.MenuSupport()->UseExtraLine = false;
    m.OnGetMenuExtraLineData = nullptr;

    // The border width settles from the skin's mask: its 5 pixels give 3; the shape is the
    // mask's key-colour corners.
    EXPECT_EQ(menus.SkinBorderWidth(), 3);
    HRGN corners = RegionOf(menus.ArOR), expected = CutCorners(w, h), whole = CreateRectRgn(0, 0, w, h);
    CombineRgn(expected, whole, expected, RGN_DIFF);
    EXPECT_TRUE(EqualRgn(corners, expected));
    DeleteObject(corners);
    DeleteObject(expected);
    DeleteObject(whole);

    // Without a mask: 0, and no shape.
    TacSkinData* data = m.CommonSkinData(96);
    TsGeneralData& main = data->gd[static_cast<size_t>(m.SkinCommonInfo.Sections[ssMainMenu])];
    const int mask = main.BorderIndex;
    main.BorderIndex = -1;
    menus.SetSkinBorderWidth(-1);
    prepared();
    EXPECT_EQ(menus.SkinBorderWidth(), 0);
    EXPECT_TRUE(menus.ArOR.empty());
    main.BorderIndex = mask;
    menus.SetSkinBorderWidth(-1);
}

TEST_F(SkinMenusTest, TheBorderShapesAndFramesTheWindowOnce)
{
    TsSkinManager& m = UseMenuSkin();
    TsSkinableMenus& menus = *m.SkinableMenus();
    TPopupMenu* popup = NewPopup({L"First"});
    constexpr int w = 140, h = 90;
    ProbeWindow window(w, h);
    ShowWindow(window.wnd, SW_SHOWNOACTIVATE);
    UpdateWindow(window.wnd);
    TBitmap canvas(10, 10, pf32bit);
    TacMenuInfo* info = menus.GetMenuInfo(popup->Items()->Items(0), canvas.Canvas(), window.wnd);
    ASSERT_TRUE(info && info->Bmp);

    const auto windowPixel = [&](int x, int y) {
        HDC dc = GetWindowDC(window.wnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(window.wnd, dc);
        return Rgb(c);
    };
    const auto blacken = [&] {
        HDC dc = GetWindowDC(window.wnd);
        RECT all{0, 0, w, h};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ReleaseDC(window.wnd, dc);
    };

    // The window, asked whether it paints now, tries to draw the border again: nothing happens.
    int nested = 0;
    window.onCommand = [&](WORD code) {
        if (code != AC_SETUPDATING) return;
        ++nested;
        menus.DrawWndBorder(window.wnd, info->Bmp.get());
    };
    blacken();
    menus.DrawWndBorder(window.wnd, nullptr); // the window's record's background
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(window.commands, (std::vector<WORD>{AC_MENUBORDERDONE, AC_SETUPDATING}));
    HRGN region = CreateRectRgn(0, 0, 0, 0), expected = CutCorners(w, h);
    ASSERT_NE(GetWindowRgn(window.wnd, region), ERROR);
    EXPECT_TRUE(EqualRgn(region, expected));
    EXPECT_EQ(windowPixel(0, h / 2), hs::kMenuEdge & 0xFFFFFF);
    EXPECT_EQ(windowPixel(w / 2, 1), hs::kMenuFrame & 0xFFFFFF);
    EXPECT_EQ(windowPixel(w / 2, h / 2), 0u) << "only the frame is copied";
    DeleteObject(region);
    DeleteObject(expected);

    // A window that says it is not painting now gets its shape but no frame.
    window.onCommand = nullptr;
    window.updatingAnswer = 1;
    blacken();
    menus.DrawWndBorder(window.wnd, info->Bmp.get());
    EXPECT_EQ(windowPixel(0, h / 2), 0u);
}

// Records are keyed by a menu's first item: a record made for another window or size (a freed
// menu whose item address came back) is prepared again at the size of the window now painted.
TEST_F(SkinMenusTest, ARecordOfAnotherSizeIsPreparedAgain)
{
    TsSkinManager& m = UseMenuSkin();
    TsSkinableMenus& menus = *m.SkinableMenus();
    TPopupMenu* popup = NewPopup({L"First"});
    TMenuItem* first = popup->Items()->Items(0);
    ProbeWindow small(100, 60), large(180, 140);
    TBitmap canvas(10, 10, pf32bit);
    for (ProbeWindow* window : {&small, &large, &small}) {
        const TacMenuInfo* info = menus.GetMenuInfo(first, canvas.Canvas(), window->wnd);
        ASSERT_TRUE(info && info->Bmp);
        RECT r{};
        GetWindowRect(window->wnd, &r);
        EXPECT_EQ(info->Wnd, window->wnd);
        EXPECT_EQ(info->Bmp->Width(), r.right - r.left);
        EXPECT_EQ(info->Bmp->Height(), r.bottom - r.top);
    }
    EXPECT_EQ(menus.MenuInfos().size(), 1u) << "one record per first item";
}
