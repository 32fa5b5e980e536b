// Non-client geometry of a skinned form: measures per border style and density, with and without
// a border form; title buttons and their layout; the hit code of frame points; the menu lines.
#include "skin_forms_test_support.h"

#include "acntUtils.h"
#include "house_skin.h"
#include "skin_core_test_layered.h"
#include "sGraphUtils.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

int MetricForDpi(int index, int ppi)
{
    using F = int(WINAPI*)(int, UINT);
    auto f = reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return f ? f(index, static_cast<UINT>(ppi)) : GetSystemMetrics(index);
}

LRESULT BorderCommand(TsSkinProvider& p, LPARAM what)
{
    return p.ProcessMessage(SM_ALPHACMD, MakeAlphaCmd(AC_GETBORDERWIDTH), what);
}

void AttachBorderForm(TsSkinProvider& p)
{
    if (p.BorderForm) return;
    p.BorderForm = new TacBorderForm();
    p.BorderForm->sp = &p;
    p.BorderForm->SkinData = p.FCommonData.get();
}

// The WM_NCHITTEST position of a point of the window.
LPARAM WindowPoint(HWND wnd, int x, int y)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return MAKELPARAM(r.left + x, r.top + y);
}

POINT Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

} // namespace

class GeometryTest : public SkinFormsTest {
protected:
    TSpyProvider& Skinned(TFormBorderStyle style = bsSizeable, int width = 300, int height = 200)
    {
        UseHouseSkin();
        form = new TLoggedForm(Application);
        form->SetBorderStyle(style);
        form->SetBounds(60, 60, width, height);
        auto* provider = new TSpyProvider(form);
        form->Show();
        PumpUntil([this] { return IsWindowVisible(form->Handle()) != FALSE; });
        provider->PrepareForm();
        return *provider;
    }
    int Hit(TsSkinProvider& p, int x, int y)
    {
        TMessage m{};
        m.Msg = WM_NCHITTEST;
        m.LParam = WindowPoint(form->Handle(), x, y);
        return p.HTProcess(m);
    }
};

TEST_F(GeometryTest, MeasuresFollowStyleDensityAndBorderForm)
{
    TSpyProvider& p = Skinned();
    const TFormBorderStyle styles[] = {bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin};
    for (TFormBorderStyle style : styles) {
        form->SetBorderStyle(style);
        form->HandleNeeded();
        for (int ppi : {96, 144}) {
            for (bool withBorderForm : {false, true}) {
                const std::string row = "style " + std::to_string(style) + " at " + std::to_string(ppi) +
                                        (withBorderForm ? " with" : " without") + " border form";
                if (GetPPI(p.FCommonData.get()) != ppi) SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(ppi, ppi), 0);
                ASSERT_EQ(GetPPI(p.FCommonData.get()), ppi) << row;
                if (withBorderForm) {
                    AttachBorderForm(p);
                } else {
                    p.ReleaseBorderForm();
                }
                p.InitSysParams(0);
                const TacSkinData& skin = *p.FCommonData->GetCommonSkinData();
                HWND wnd = form->Handle();
                const LONG ws = GetWindowLongW(wnd, GWL_STYLE);
                RECT wr{}, cr{};
                GetWindowRect(wnd, &wr);
                GetClientRect(wnd, &cr);
                POINT origin{0, 0};
                ClientToScreen(wnd, &origin);
                const int ww = wr.right - wr.left;
                const bool tool = style == bsToolWindow || style == bsSizeToolWin;
                const bool sizeable = style == bsSizeable || style == bsSizeToolWin;

                const int capt = MetricForDpi(tool || (style == bsDialog && IsWin10Up()) ? SM_CYSMCAPTION : SM_CYCAPTION, ppi);
                EXPECT_EQ(p.SysCaptHeight(), capt) << row;
                EXPECT_EQ(p.SizeFrame(), MetricForDpi(SM_CXSIZEFRAME, ppi)) << row;
                EXPECT_EQ(p.FixedFrame(), MetricForDpi(SM_CXFIXEDFRAME, ppi)) << row;
                const int padding = sizeable ? MetricForDpi(SM_CXPADDEDBORDER, ppi) : 0;
                EXPECT_EQ(p.FramePadding(), padding) << row;

                // Command 67.
                const LRESULT thick = BorderCommand(p, 1), thin = BorderCommand(p, 2), none = BorderCommand(p, 3);
                if (style != bsNone) {
                    EXPECT_EQ(thick, p.SizeFrame() + padding) << row;
                    EXPECT_EQ(thin, p.FixedFrame() + padding) << row;
                }
                if (!withBorderForm) {
                    EXPECT_EQ(none, padding) << row << ": the frame is all offset";
                }

                const int sysBorder = static_cast<int>((ws & WS_THICKFRAME) ? thick : (ws & WS_BORDER) ? thin : none);
                EXPECT_EQ(p.BorderWidth(false), sysBorder) << row;
                EXPECT_EQ(p.BorderWidth(true), withBorderForm ? skin.ExBorderWidth : sysBorder) << row;

                const int caption = style == bsNone ? 0 : withBorderForm ? skin.ExTitleHeight : capt;
                EXPECT_EQ(p.CaptionHeight(true), caption) << row;
                const TRect shadow = withBorderForm ? skin.FormShadowSize : TRect();
                EXPECT_EQ(p.ShadowSize(), shadow) << row;

                if (withBorderForm) {
                    EXPECT_EQ(p.OffsetX(), skin.ExBorderWidth + shadow.Left) << row;
                    EXPECT_EQ(p.OffsetY(), caption + shadow.Top) << row;
                    EXPECT_EQ(p.HeaderHeight(), caption) << row;
                    EXPECT_EQ(p.GetTopCoord(), shadow.Top + skin.BITopMargin) << row;
                } else {
                    EXPECT_EQ(p.OffsetX(), (ww - (cr.right - cr.left)) / 2) << row;
                    EXPECT_EQ(p.GetTopCoord(), 0) << row;
                    EXPECT_EQ(p.HeaderHeight(), p.OffsetY()) << row;
                    if (ppi == 96) {
                        // The window's own frame says where its client area lies.
                        EXPECT_EQ(p.OffsetX(), origin.x - wr.left) << row;
                        EXPECT_EQ(p.OffsetY(), origin.y - wr.top) << row;
                    }
                }
                const int diffBorder = withBorderForm ? skin.ExBorderWidth - sysBorder : 0;
                EXPECT_EQ(DiffBorder(p.BorderForm), diffBorder) << row;
                EXPECT_EQ(DiffTitle(p.BorderForm),
                          withBorderForm ? caption - (style == bsNone ? 0 : capt) - sysBorder : 0)
                    << row;
                EXPECT_EQ(p.CaptionWidth(), ww + 2 * diffBorder + shadow.Left + shadow.Right) << row;
                TPoint menuOffset;
                SkinMenuOffset(&p, menuOffset);
                EXPECT_EQ(menuOffset, withBorderForm ? TPoint(diffBorder, caption - capt) : TPoint(0, 0)) << row;
            }
        }
    }
    p.ReleaseBorderForm();
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), 0);
}

TEST_F(GeometryTest, SystemCaptionByStyleVersionAndIconicState)
{
    TSpyProvider& p = Skinned();
    static bool win10 = true;
    const TWinVerSources fake{[]() -> DWORD { return win10 ? 0x0206u : 0x0106u; },
                              [](DWORD& major, DWORD& minor) {
                                  major = 10;
                                  minor = 0;
                                  return true;
                              }};
    SetWinVerSources(&fake);
    const int big = GetSystemMetrics(SM_CYCAPTION), small = GetSystemMetrics(SM_CYSMCAPTION);
    struct Row {
        TFormBorderStyle style;
        bool win10, iconic;
        int caption;
    } rows[] = {
        {bsDialog, true, false, small},     {bsDialog, false, false, big},     {bsDialog, true, true, big},
        {bsToolWindow, false, false, small}, {bsSizeToolWin, true, true, big}, {bsSingle, true, false, big},
    };
    for (const Row& row : rows) {
        win10 = row.win10;
        InitWinVer();
        form->SetBorderStyle(row.style);
        form->HandleNeeded();
        ShowWindow(form->Handle(), row.iconic ? SW_MINIMIZE : SW_RESTORE);
        EXPECT_EQ(SysCaptHeight(&p, 96), row.caption) << row.style << row.win10 << row.iconic;
    }
    SetWinVerSources(nullptr);
    InitWinVer();
    // A borderless form has no caption unless it is iconic.
    form->SetBorderStyle(bsNone);
    form->HandleNeeded();
    ShowWindow(form->Handle(), SW_RESTORE);
    p.InitSysParams(0);
    EXPECT_EQ(p.CaptionHeight(true), 0);
    ShowWindow(form->Handle(), SW_MINIMIZE);
    EXPECT_EQ(p.CaptionHeight(true), p.SysCaptHeight());
    ShowWindow(form->Handle(), SW_RESTORE);
}

TEST_F(GeometryTest, TitleButtonSizesAndWidths)
{
    TSpyProvider& p = Skinned();
    p.InitSysParams(0);
    EXPECT_EQ(p.ButtonHeight(), house_skin::kTitleFrameHeight);
    p.ButtonClose.cpGlyphType = tgClose;
    p.ButtonHelp.cpGlyphType = tgHelp;
    EXPECT_EQ(p.SysButtonWidth(p.ButtonClose), house_skin::kTitleFrameWidth);
    EXPECT_EQ(p.SysButtonWidth(p.ButtonHelp), 21) << "the skin has no help glyph";
    EXPECT_EQ(p.SmallButtonWidth(), house_skin::kTitleFrameWidth) << "the skin's small close is its close glyph";
    EXPECT_EQ(p.SmallButtonHeight(), house_skin::kTitleFrameHeight);

    const TacSkinData& skin = *p.FCommonData->GetCommonSkinData();
    p.BigButtons = false; // a sizeable form has big buttons; the small ones first
    p.CalcItems(); // gives the buttons their glyphs
    const int buttons = 3 * house_skin::kTitleFrameWidth; // close, maximize, minimize
    EXPECT_EQ(p.TitleBtnsWidth(), skin.BIRightMargin + buttons);
    p.BigButtons = true;
    EXPECT_EQ(p.TitleBtnsWidth(), skin.BIRightMargin + buttons + 2 * skin.BISpacing);
    p.BigButtons = false;

    TsTitleButton* plain = p.TitleButtons()->Add();
    EXPECT_EQ(p.UserButtonWidth(plain), 21);
    TsTitleButton* wide = p.TitleButtons()->Add();
    auto glyph = CreateBmp32(30, 10);
    wide->SetGlyph(glyph.get());
    EXPECT_EQ(p.UserButtonWidth(wide), 32);
    EXPECT_EQ(p.TitleBtnsWidth(), skin.BIRightMargin + buttons + skin.Spacing + 21 + 32);

    // A skin variant without title glyphs.
    TacSkinData& data = *p.FCommonData->GetCommonSkinData();
    const auto saved = data.TitleGlyphs;
    data.TitleGlyphs.fill(-1);
    EXPECT_EQ(p.ButtonHeight(), 21);
    EXPECT_EQ(p.SysButtonWidth(p.ButtonClose), 21);
    EXPECT_EQ(p.SmallButtonWidth(), 16);
    EXPECT_EQ(p.SmallButtonHeight(), 16);
    data.TitleGlyphs = saved;
}

TEST_F(GeometryTest, TheIconShowsOnlyOnFramedFormsWithASystemMenu)
{
    TSpyProvider& p = Skinned();
    struct Row {
        TFormBorderStyle style;
        bool showAppIcon;
        bool systemMenu;
        bool visible;
    } rows[] = {
        {bsSizeable, true, true, true},   {bsSingle, true, true, true},    {bsDialog, true, true, false},
        {bsToolWindow, true, true, false}, {bsSizeable, false, true, false}, {bsSizeable, true, false, false},
    };
    for (const Row& row : rows) {
        form->SetBorderStyle(row.style);
        form->SetBorderIcons(row.systemMenu ? TBorderIcons{biSystemMenu, biMinimize, biMaximize} : TBorderIcons{});
        form->HandleNeeded();
        p.SetBoolean(2, row.showAppIcon);
        EXPECT_EQ(p.IconVisible(), row.visible) << row.style << row.showAppIcon << row.systemMenu;
    }
    form->SetBorderStyle(bsSizeable);
    form->SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    form->HandleNeeded();
    p.SetBoolean(2, true);
    p.InitSysParams(0);
    // 16 below a 48-pixel caption, 24 up to 64, 32 above (the skin's title with a border form).
    struct Size {
        int title;
        int icon;
    } sizes[] = {{40, 16}, {50, 24}, {64, 24}, {70, 32}};
    AttachBorderForm(p);
    TacSkinData& skin = *p.FCommonData->GetCommonSkinData();
    const int savedTitle = skin.ExTitleHeight;
    for (const Size& s : sizes) {
        skin.ExTitleHeight = s.title + skin.BITopMargin;
        EXPECT_EQ(p.IconSize(), TPoint(s.icon, s.icon)) << s.title;
    }
    skin.ExTitleHeight = savedTitle;
    p.ReleaseBorderForm();
}

TEST_F(GeometryTest, TitleItemsAreLaidOutFromTheRight)
{
    TSpyProvider& p = Skinned();
    p.InitSysParams(0);
    const TacSkinData& skin = *p.FCommonData->GetCommonSkinData();
    form->SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize, biMaximize, biHelp});
    form->HandleNeeded();
    TsTitleButton* user = p.TitleButtons()->Add();
    auto* bar = new TsTitleBar(form);
    p.SetTitleBar(bar);
    // Laid out as small buttons: without the spacing and the alignment of big ones.
    p.BigButtons = false;
    for (TsCaptionButton* b : {&p.ButtonClose, &p.ButtonMax, &p.ButtonMin, &p.ButtonHelp}) b->cpHaveAlignment = false;
    p.CalcItems();

    const int sysBorder = SysBorderWidth(form->Handle(), nullptr, true);
    const int w = house_skin::kTitleFrameWidth;
    EXPECT_EQ(p.ButtonClose.cpRect.Right, p.CaptionWidth() - std::max(4, sysBorder));
    EXPECT_EQ(p.ButtonClose.cpRect.Width(), w);
    EXPECT_EQ(p.ButtonMax.cpRect.Right, p.ButtonClose.cpRect.Left);
    EXPECT_EQ(p.ButtonMax.cpGlyphType, tgMax);
    EXPECT_EQ(p.ButtonMin.cpRect.Right, p.ButtonMax.cpRect.Left);
    EXPECT_EQ(p.ButtonHelp.cpRect.Right, p.ButtonMin.cpRect.Left - skin.Spacing);
    EXPECT_EQ(p.ButtonHelp.cpRect.Width(), 21);
    EXPECT_EQ(user->Data.cpRect.Right, p.ButtonHelp.cpRect.Left - skin.Spacing);
    EXPECT_EQ(user->Data.cpHitCode, HTUDBTN);
    EXPECT_EQ(user->Data.cpGlyphType, tgUser);
    for (const TsCaptionButton* b : {&p.ButtonClose, &p.ButtonMax, &p.ButtonMin}) {
        EXPECT_EQ(b->cpRect.Top, p.VCenter - p.ButtonHeight() / 2);
        EXPECT_EQ(b->cpRect.Height(), p.ButtonHeight());
    }
    EXPECT_EQ(p.VCenter, p.CaptionHeight(true) / 2 + sysBorder / 2);
    EXPECT_EQ(p.FIconRect.Left, sysBorder);
    EXPECT_EQ(p.FIconRect.Top, p.VCenter - 8);
    EXPECT_EQ(p.FIconRect.Height(), 16);
    // What the title bar is handed.
    EXPECT_EQ(bar->FFullRight, user->Data.cpRect.Left - skin.Spacing);
    EXPECT_EQ(bar->FBarLeft, p.FIconRect.Right + skin.Spacing);
    EXPECT_EQ(bar->FBarVCenter, p.VCenter);
    EXPECT_EQ(bar->FBarBottom, p.FHeaderHeight);
    EXPECT_EQ(bar->FBarTop, p.GetTopCoord());

    // Aligned buttons take the top with a skin that aligns them; without skin data the user
    // button has no glyph.
    manager->SkinCommonInfo.BIVAlign = 1;
    user->SetUseSkinData(false);
    p.CalcItems();
    EXPECT_EQ(user->Data.cpRect.Top, 0);
    EXPECT_EQ(user->Data.cpGlyphType, tgNone);
    EXPECT_EQ(p.ButtonClose.cpRect.Top, p.VCenter - p.ButtonHeight() / 2);
    manager->SkinCommonInfo.BIVAlign = 0;

    // Right to left: mirrored from the left end, the icon at the right.
    form->SetBiDiMode(bdRightToLeft);
    p.CalcItems();
    EXPECT_EQ(p.ButtonClose.cpRect.Left, sysBorder);
    EXPECT_EQ(p.ButtonMax.cpRect.Left, p.ButtonClose.cpRect.Right);
    EXPECT_EQ(p.FIconRect.Right, p.CaptionWidth() - std::max(4, sysBorder));
    form->SetBiDiMode(bdLeftToRight);

    // Maximized: the maximize button shows the restore glyph.
    ShowWindow(form->Handle(), SW_MAXIMIZE);
    p.CalcItems();
    EXPECT_EQ(p.ButtonMax.cpGlyphType, tgNormal);
    ShowWindow(form->Handle(), SW_RESTORE);
    p.SetTitleBar(nullptr);
}

TEST_F(GeometryTest, EveryFramePointHasAHitCode)
{
    TSpyProvider& p = Skinned(bsSizeable, 300, 200);
    p.InitSysParams(0);
    TsTitleButton* user = p.TitleButtons()->Add();
    form->SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize, biMaximize, biHelp});
    form->HandleNeeded();
    p.CalcItems();
    HWND wnd = form->Handle();
    const int b = SysBorderWidth(wnd, nullptr, true);
    const int w = GetWindowWidth(wnd), h = GetWindowHeight(wnd);
    const int capY = b + p.SysCaptHeight() / 2;
    const POINT close = Centre(p.ButtonClose.cpRect), max = Centre(p.ButtonMax.cpRect), min = Centre(p.ButtonMin.cpRect),
                help = Centre(p.ButtonHelp.cpRect), icon = Centre(p.FIconRect), userAt = Centre(user->Data.cpRect);
    struct Row {
        const char* what;
        POINT at;
        int code;
    } rows[] = {
        {"close", close, HTCLOSE},
        {"maximize", max, HTMAXBUTTON},
        {"minimize", min, HTMINBUTTON},
        {"help", help, HTHELP},
        {"user button", userAt, HTUDBTN},
        {"icon", icon, HTSYSMENU},
        {"caption", {w / 2 - 40, capY}, HTCAPTION},
        {"left edge", {0, h / 2}, HTLEFT},
        {"right edge", {w - 1, h / 2}, HTRIGHT},
        {"top edge", {w / 2 - 40, 0}, HTTOP},
        {"bottom edge", {w / 2, h - 1}, HTBOTTOM},
        {"top left", {0, 0}, HTTOPLEFT},
        {"top right", {w - 1, 0}, HTTOPRIGHT},
        {"bottom left", {0, h - 1}, HTBOTTOMLEFT},
        {"bottom right", {w - 1, h - 1}, HTBOTTOMRIGHT},
        {"client", {w / 2, h / 2}, HTCLIENT},
    };
    for (const Row& row : rows) EXPECT_EQ(Hit(p, row.at.x, row.at.y), row.code) << row.what;

    // A close item disabled in the system menu makes the close button part of the caption; a
    // disabled user button falls through to the caption.
    EnableMenuItem(GetSystemMenu(wnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_EQ(Hit(p, close.x, close.y), HTCAPTION);
    EnableMenuItem(GetSystemMenu(wnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    user->SetEnabled(false);
    EXPECT_EQ(Hit(p, userAt.x, userAt.y), HTCAPTION);

    // Without maximize, the second position is the minimize button.
    form->SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize});
    form->HandleNeeded();
    p.CalcItems();
    const POINT second = Centre(p.ButtonMin.cpRect);
    EXPECT_EQ(Hit(p, second.x, second.y), HTMINBUTTON);

    // No sizing edges without a thick frame; no button codes with a border form (it tests itself).
    form->SetBorderStyle(bsSingle);
    form->HandleNeeded();
    p.CalcItems();
    EXPECT_EQ(Hit(p, 0, h / 2), HTCLIENT);
    AttachBorderForm(p);
    p.CalcItems();
    const POINT bfClose = Centre(p.ButtonClose.cpRect);
    EXPECT_LT(Hit(p, bfClose.x, bfClose.y), HTMINBUTTON);
    p.ReleaseBorderForm();
}

TEST_F(GeometryTest, TheGripIsHitOnlyWhereTheSkinHasOne)
{
    house_skin::Options options;
    options.withForm = true;
    options.withScrollBars = true;
    manager = ActiveHouseSkinManager(dir.Path(), options);
    form = new TLoggedForm(Application);
    form->SetBounds(60, 60, 300, 200);
    auto* provider = new TSpyProvider(form);
    form->Show();
    TsSkinProvider& p = *provider;
    HWND wnd = form->Handle();
    const int w = GetWindowWidth(wnd), h = GetWindowHeight(wnd);
    const int b = SysBorderWidth(wnd, nullptr, true);
    p.FCommonData->FCacheBmp = CreateBmp32(w, h);
    const POINT corner{w - b - 2, h - b - 2};
    struct Row {
        const char* what;
        TsGripMode mode;
        bool maximized;
        int code;
    } rows[] = {
        {"no grip", gmNone, false, HTCLIENT},
        {"grip", gmRightBottom, false, HTBOTTOMRIGHT},
        {"grip of a maximized form", gmRightBottom, true, HTCLIENT},
    };
    for (const Row& row : rows) {
        p.SetGripMode(row.mode);
        if (row.maximized) ShowWindow(wnd, SW_MAXIMIZE);
        const int x = row.maximized ? GetWindowWidth(wnd) - b - 2 : corner.x;
        const int y = row.maximized ? GetWindowHeight(wnd) - b - 2 : corner.y;
        if (row.maximized) p.FCommonData->FCacheBmp = CreateBmp32(GetWindowWidth(wnd), GetWindowHeight(wnd));
        TMessage m{};
        m.LParam = WindowPoint(wnd, x, y);
        EXPECT_EQ(p.HTProcess(m), row.code) << row.what;
    }
    ShowWindow(wnd, SW_RESTORE);
    p.FCommonData->FCacheBmp.reset();
    p.SetGripMode(gmRightBottom);
    TMessage m{};
    m.LParam = WindowPoint(wnd, corner.x, corner.y);
    EXPECT_EQ(p.HTProcess(m), HTCLIENT) << "without a window image there is no grip point";
}

TEST_F(GeometryTest, MenuLinesAndTheMenuZone)
{
    TSpyProvider& p = Skinned(bsSizeable, 600, 200);
    auto* menu = new TMainMenu(form);
    for (int i = 0; i < 8; ++i) {
        auto* item = new TMenuItem(form);
        item->SetCaption(L"Item " + std::to_wstring(i));
        menu->Items()->Add(item);
    }
    EXPECT_EQ(p.MenuHeight(), 0) << "no menu yet";
    form->SetMenu(menu);
    EXPECT_EQ(p.MenuHeight(), GetSystemMetrics(SM_CYMENU) - 1);
    p.FLinesCount = -1;
    EXPECT_EQ(p.GetLinesCount(), 1);
    form->SetWidth(120);
    DrawMenuBar(form->Handle());
    EXPECT_EQ(p.GetLinesCount(), 1) << "cached";
    p.FLinesCount = -1;
    // As many lines as Windows' layout of the bar has.
    std::vector<LONG> tops;
    for (int i = 0; i < 8; ++i) {
        RECT r{};
        GetMenuItemRect(form->Handle(), menu->Handle(), i, &r);
        if (std::find(tops.begin(), tops.end(), r.top) == tops.end()) tops.push_back(r.top);
    }
    ASSERT_GE(tops.size(), 2u) << "the narrow form wraps the bar";
    EXPECT_EQ(p.GetLinesCount(), static_cast<int>(tops.size()));

    // A point of the menu bar.
    RECT item{}, wr{};
    GetMenuItemRect(form->Handle(), menu->Handle(), 0, &item);
    GetWindowRect(form->Handle(), &wr);
    EXPECT_EQ(Hit(p, (item.left + item.right) / 2 - wr.left, (item.top + item.bottom) / 2 - wr.top), HTMENU);
}

TEST_F(GeometryTest, UnitRoutines)
{
    LayeredCallBound layered; // extended borders can be switched on
    TSpyProvider& p = Skinned();
    // Extended borders wanted.
    struct Row {
        bool managerOn, allow, nativeMaximized, maximized, uwp, flag, needed;
    } rows[] = {
        {false, true, false, false, false, false, false}, {true, false, false, false, false, false, false},
        {true, true, false, false, false, false, true},   {true, true, true, true, false, false, false},
        {true, true, false, true, false, false, true},    {true, true, false, false, true, false, true},
        {true, true, false, false, true, true, false},    {true, true, false, true, true, false, false},
    };
    for (const Row& r : rows) {
        manager->SetExtendedBorders(r.managerOn);
        p.SetBoolean(0, r.allow);
        manager->Options()->SetBool(2, r.nativeMaximized);
        p.FUWPMode = r.uwp;
        ShowWindow(form->Handle(), r.maximized ? SW_MAXIMIZE : SW_RESTORE);
        EXPECT_EQ(ExtBordersNeeded(&p, r.flag), r.needed) << r.managerOn << r.allow << r.nativeMaximized << r.maximized
                                                          << r.uwp << r.flag;
    }
    ShowWindow(form->Handle(), SW_RESTORE);
    p.FUWPMode = false;
    manager->SetExtendedBorders(false);
    manager->Options()->SetBool(2, false);
    EXPECT_FALSE(ExtBordersNeeded(nullptr, false));

    EXPECT_EQ(SnapDelta(103, 100, 10), 3);
    EXPECT_EQ(SnapDelta(95, 100, 10), -5);
    EXPECT_EQ(SnapDelta(111, 100, 10), 0);
    EXPECT_EQ(SnapDelta(89, 100, 10), 0);

    // Depth first over the owned components.
    auto* outer = new TPanel(form);
    outer->SetParent(form);
    auto* inner = new TPanel(outer);
    inner->SetParent(outer);
    auto* other = new TPanel(form);
    other->SetParent(form);
    SetWindowLongPtrW(inner->Handle(), GWLP_ID, 77);
    SetWindowLongPtrW(other->Handle(), GWLP_ID, 77);
    EXPECT_EQ(FindControlByDlgID(77, form), inner);
    EXPECT_EQ(FindControlByDlgID(78, form), nullptr);
}

TEST_F(GeometryTest, NonClientMouseMoveMakesTitleCodesHot)
{
    TSpyProvider& p = Skinned();
    p.InitSysParams(0);
    p.CalcItems();
    HWND wnd = form->Handle();
    const POINT close = Centre(p.ButtonClose.cpRect);
    form->Log.Clear();
    p.ProcessMessage(WM_NCMOUSEMOVE, HTCAPTION, WindowPoint(wnd, close.x, close.y));
    EXPECT_EQ(p.CurrentHT, HTCLOSE);
    EXPECT_EQ(form->Log.Count(WM_NCMOUSEMOVE), 0) << "a title code is not passed on";
    EXPECT_EQ(manager->ActiveControl(), wnd);

    p.ProcessMessage(WM_NCMOUSEMOVE, HTCAPTION, WindowPoint(wnd, GetWindowWidth(wnd) / 2 - 40, 4));
    EXPECT_EQ(p.CurrentHT, 0);
    EXPECT_EQ(form->Log.Count(WM_NCMOUSEMOVE), 1);

    form->SetEnabled(false);
    p.ProcessMessage(WM_NCMOUSEMOVE, HTCAPTION, WindowPoint(wnd, close.x, close.y));
    EXPECT_EQ(p.CurrentHT, 0) << "nothing for a disabled form";
    form->SetEnabled(true);
}
