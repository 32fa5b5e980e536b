// Window utilities: mouse and hit tests, geometry, colours under the skin, control trees, text.
#include "skin_core_test_vclutils.h"

#include "ExtCtrls.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "skin_core_test_skinload.h"

namespace {

TEST_F(VclUtilsTest, MouseAndHitTestsFollowTheCursor)
{
    TForm* form = ShownForm(100, 100);
    form->SetFormStyle(fsStayOnTop); // the topmost rule lets a windowless child count
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 80, 40);
    auto* graphic = new TFlatGraphic(form, 0x00FF00);
    graphic->SetParent(form);
    graphic->SetBounds(150, 20, 50, 30);
    PumpUntil([&] { return IsWindowVisible(panel->Handle()) != FALSE; });

    const TPoint origin = form->ClientOrigin();
    MoveCursor(origin.X + 20, origin.Y + 25);
    EXPECT_EQ(acMousePos(nullptr), TPoint(origin.X + 20, origin.Y + 25));
    EXPECT_EQ(acMousePos(panel), TPoint(10, 15));
    EXPECT_EQ(acMouseInWnd(panel->Handle()), TPoint(10, 15));
    EXPECT_EQ(acMouseInWnd(panel->Handle(), origin.X + 11, origin.Y + 12), TPoint(1, 2));
    EXPECT_TRUE(acMouseInControl(panel));
    EXPECT_FALSE(acMouseInControl(graphic));
    EXPECT_TRUE(acMouseInControlDC(panel->Handle()));
    EXPECT_EQ(CtrlUnderMouse(), panel);
    EXPECT_TRUE(ContainsWnd(panel->Handle(), form->Handle()));
    EXPECT_TRUE(ContainsWnd(form->Handle(), form->Handle()));
    EXPECT_FALSE(ContainsWnd(form->Handle(), panel->Handle()));

    MoveCursor(origin.X + 160, origin.Y + 30);
    EXPECT_TRUE(acMouseInControl(graphic));
    EXPECT_FALSE(acMouseInControl(panel));
    EXPECT_FALSE(acMouseInControlDC(panel->Handle()));
    EXPECT_EQ(CtrlUnderMouse(), graphic);
    graphic->SetVisible(false);
    EXPECT_FALSE(acMouseInControl(graphic));
    EXPECT_EQ(CtrlUnderMouse(), form);
}

TEST_F(VclUtilsTest, OverlappedByOpaqueWindowsOnly)
{
    TForm* form = ShownForm(100, 100);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 80, 40);
    EXPECT_TRUE(CtrlDCIsVisible(panel));
    // Windows of the desktop session may lie above already; the cover is compared with that.
    const bool before = CtrlIsOverlapped(panel);

    TForm* cover = ShownForm(120, 120, 100, 100);
    SetWindowPos(cover->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(CtrlIsOverlapped(panel));
    cover->SetAlphaBlend(true); // layered windows let the control show through
    EXPECT_EQ(CtrlIsOverlapped(panel), before);
    cover->SetAlphaBlend(false);
    EXPECT_TRUE(CtrlIsOverlapped(panel));
    cover->SetVisible(false);
    EXPECT_EQ(CtrlIsOverlapped(panel), before);
}

TEST_F(VclUtilsTest, Geometry)
{
    TForm* form = ShownForm(100, 100);
    form->SetBorderStyle(bsSingle);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 80, 40);
    auto* graphic = new TFlatGraphic(panel, 0);
    graphic->SetParent(panel);
    graphic->SetBounds(5, 6, 20, 10);
    auto* top1 = new TFlatGraphic(form, 0);
    top1->SetParent(form);
    top1->SetHeight(7);
    top1->SetAlign(alTop);
    auto* top2 = new TPanel(form);
    top2->SetParent(form);
    top2->SetHeight(9);
    top2->SetAlign(alTop);
    PumpUntil([&] { return IsWindowVisible(panel->Handle()) != FALSE; });

    const TPoint po = panel->ClientOrigin();
    EXPECT_EQ(GetCtrlScreenBounds(graphic), TRect(po.X + 5, po.Y + 6, po.X + 25, po.Y + 16));
    RECT wr{};
    GetWindowRect(form->Handle(), &wr);
    const TPoint fo = form->ClientOrigin();
    const TPoint clientPos = GetClientPos(form->Handle());
    EXPECT_EQ(clientPos, TPoint(fo.X - wr.left, fo.Y - wr.top));
    EXPECT_EQ(acClientRect(form->Handle()),
              TRect(clientPos.X, clientPos.Y, clientPos.X + form->ClientWidth(), clientPos.Y + form->ClientHeight()));
    EXPECT_EQ(GetParentFormHandle(panel->Handle()), form->Handle());
    EXPECT_EQ(GetOwnerForm(graphic), form);
    EXPECT_EQ(GetOwnerForm(Application), nullptr);
    EXPECT_EQ(GetAlignShift(form, alTop, false), 7);
    EXPECT_EQ(GetAlignShift(form, alTop, true), 16);

    // Outside every work area: the last monitor's.
    TRect last;
    EnumDisplayMonitors(nullptr, nullptr, [](HMONITOR m, HDC, LPRECT, LPARAM p) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        GetMonitorInfoW(m, &info);
        *reinterpret_cast<TRect*>(p) = info.rcWork;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&last));
    EXPECT_EQ(acWorkRect(TPoint(-100000, -100000)), last);
    EXPECT_EQ(acWorkRect(form), Screen->WorkAreaRect());

    EXPECT_TRUE(LeftToRight(panel, false));
    panel->SetBiDiMode(bdRightToLeft);
    EXPECT_FALSE(LeftToRight(panel, false));
    EXPECT_EQ(GetControlPPI(nullptr), 96);
    EXPECT_EQ(GetControlPPI(graphic), GetWndPPI(panel->Handle()));
    EXPECT_EQ(DefaultPPI(), GetControlPPI(Application->MainForm()));
}

TEST_F(VclUtilsTest, ColoursWithoutAndWithAnActiveManager)
{
    // Without a manager: system colours from the system, pseudo-colours their own default.
    EXPECT_EQ(acColorToRGB(0x123456), 0x123456);
    EXPECT_EQ(acColorToRGB(clBtnFace), static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(acColorToRGB(static_cast<TColor>(0xFF9E9EFFu)), 0x9E9EFF);
    EXPECT_EQ(acColorToRGB(static_cast<TColor>(0xF1000001u)), 0x000001);

    TsSkinManager manager(nullptr);
    for (size_t i = 0; i < manager.Palette.size(); ++i) manager.Palette[i] = static_cast<TColor>(0x010000 * (i + 1) + 0x11);
    EXPECT_EQ(acColorToRGB(clBtnFace, &manager), static_cast<TColor>(GetSysColor(COLOR_BTNFACE))); // not active
    manager.SkinCommonInfo.Active = true;
    const auto& p = manager.Palette;
    const struct {
        std::uint32_t Value;
        TColor Expected;
    } cases[] = {
        {0xF1000001, p[pcMainColor]},       {0xFF003E0A, p[pcEditText_Ok]},
        {0xFF9E9EFF, p[pcBtnToneRed]},      {0xFF0098C6, p[pcBtnYellowTextActive]},
        {0xFF000000 + COLOR_BTNFACE, p[pcMainColor]},
        {0xFF000000 + COLOR_ACTIVECAPTION, p[pcMainColor]}, // no title section in this manager
        {0xFF000000 + COLOR_WINDOW, p[pcEditBG]},
        {0xFF000000 + COLOR_ACTIVEBORDER, p[pcBorder]},
        {0xFF000000 + COLOR_BTNTEXT, p[pcLabelText]},
        {0xFF000000 + COLOR_WINDOWTEXT, p[pcEditText]},
        {0xFF000000 + COLOR_CAPTIONTEXT, p[pcLabelText]},
        {0xFF000000 + COLOR_HIGHLIGHT, p[pcSelectionBG_Focused]},
        {0xFF000000 + COLOR_HIGHLIGHTTEXT, p[pcSelectionText_Focused]},
        {0xFF000000 + COLOR_BTNSHADOW, BlendColors(p[pcMainColor], 0, 230)},
        {0xFF000000 + COLOR_GRAYTEXT, BlendColors(p[pcMainColor], p[pcLabelText], 127)},
        {0xFF000000 + COLOR_3DLIGHT, BlendColors(p[pcMainColor], 0xFFFFFF, 180)},
        {0xFF000000 + COLOR_HOTLIGHT, p[pcWebTextHot]},
        {0xFF000000 + COLOR_INFOTEXT, p[pcHintText]},
        {0xFF000000 + COLOR_INFOBK, p[pcHintBG]},
    };
    for (const auto& c : cases)
        EXPECT_EQ(acColorToRGB(static_cast<TColor>(c.Value), &manager), c.Expected) << std::hex << c.Value;
    // Values in neither table go through the system.
    EXPECT_EQ(acColorToRGB(static_cast<TColor>(0xFF000000u + COLOR_DESKTOP + 31), &manager),
              ColorToRGB(static_cast<TColor>(0xFF000000u + COLOR_DESKTOP + 31)) & 0xFFFFFF);
    DefaultManager = &manager; // the default manager serves calls without one
    EXPECT_EQ(acColorToRGB(clWindow), p[pcEditBG]);
    DefaultManager = nullptr;
}

TEST_F(VclUtilsTest, ControlColoursAndChanges)
{
    TForm* form = ShownForm(100, 100);
    auto* skinned = new TSkinLikePanel(form);
    skinned->SetParent(form);
    skinned->SetBounds(0, 0, 50, 50);
    auto* inner = new TSkinLikePanel(skinned);
    inner->SetParent(skinned);
    auto* plain = new TPanel(form);
    plain->SetParent(form);
    plain->SetColor(0x00AA00);
    EXPECT_EQ(GetControlColor(static_cast<TControl*>(nullptr)), 0xFF00FF);
    EXPECT_EQ(GetControlColor(skinned), 0x123456);
    EXPECT_EQ(GetControlColor(skinned->Handle()), 0x123456);
    EXPECT_EQ(GetControlColor(plain), 0x00AA00);
    EXPECT_EQ(GetControlFontColor(plain), 0); // no active manager

    ChangeControlColors(skinned, 0x0000FF, clNone);
    EXPECT_EQ(skinned->Font()->Color(), 0x0000FF);
    EXPECT_NE(skinned->Color(), 0x00FF00);
    ChangeControlColors(skinned, clNone, 0x00FF00);
    EXPECT_EQ(skinned->Color(), 0x00FF00);
    EXPECT_EQ(skinned->Font()->Color(), 0x0000FF);
    auto has = [](const TSkinLikePanel* c, WORD code, WORD low) {
        for (size_t i = 0; i < c->Codes.size(); ++i)
            if (c->Codes[i] == code && c->Lows[i] == low) return true;
        return false;
    };
    EXPECT_TRUE(has(skinned, AC_INVALIDATE, 1));
    EXPECT_TRUE(has(inner, AC_INVALIDATECACHE, 1));

    TFont font;
    font.Assign(form->Font());
    EXPECT_FALSE(IsCustomFont(plain, &font));
    font.SetColor(0x0102FF);
    EXPECT_TRUE(IsCustomFont(plain, &font, true));
    EXPECT_FALSE(IsCustomFont(plain, &font, false));
    font.SetHeight(font.Height() - 5);
    EXPECT_TRUE(IsCustomFont(plain, &font, false));
}

TEST_F(VclUtilsTest, IteratingEnablingAndReadiness)
{
    TForm* form = ShownForm(100, 100);
    auto* a = new TPanel(form);
    a->SetParent(form);
    a->SetName(L"a");
    auto* a1 = new TFlatGraphic(form, 0);
    a1->SetParent(a);
    a1->SetName(L"a1");
    auto* b = new TFlatGraphic(form, 0);
    b->SetParent(form);
    b->SetName(L"b");

    std::vector<UnicodeString> order;
    IterateControls(form, 7, [&](TControl* c, int data) { order.push_back(c->Name() + std::to_wstring(data)); });
    EXPECT_EQ(order, (std::vector<UnicodeString>{L"a7", L"a17", L"b7"}));

    order.clear();
    EXPECT_TRUE(IterateControls(form, 0, [&](TControl* c, int&) {
        order.push_back(c->Name());
        return true;
    }));
    EXPECT_EQ(order, std::vector<UnicodeString>{L"a"});
    // Each child starts with the parent's value; what a call leaves goes to that child's children.
    std::vector<int> seen;
    EXPECT_FALSE(IterateControls(form, 1, [&](TControl*, int& data) {
        seen.push_back(data);
        data += 10;
        return false;
    }));
    EXPECT_EQ(seen, (std::vector<int>{1, 11, 1}));

    SetControlsEnabled(form, false, false);
    EXPECT_FALSE(a->Enabled());
    EXPECT_TRUE(a1->Enabled());
    SetControlsEnabled(form, false, true);
    EXPECT_FALSE(a1->Enabled());

    EXPECT_TRUE(ControlIsReady(a));
    EXPECT_TRUE(ControlIsReady(b));
    EXPECT_FALSE(ControlIsReady(form)); // no parent
    b->SetControlState(TControlState{csCreating});
    EXPECT_FALSE(ControlIsReady(b));
    b->SetControlState(TControlState{csReadingState});
    EXPECT_FALSE(ControlIsReady(b));
    auto* unshown = new TPanel(form);
    EXPECT_FALSE(ControlIsReady(unshown));
}

TEST_F(VclUtilsTest, ReflectControlsMirrorsTheLayout)
{
    TForm* form = ShownForm(100, 100, 300, 200);
    auto* free = new TSkinLikePanel(form);
    free->SetParent(form);
    free->SetBounds(200, 100, 40, 20);
    free->SetAnchors(TAnchors{akRight, akTop});
    auto* left = new TSkinLikePanel(form);
    left->SetParent(form);
    left->SetWidth(30);
    left->SetAlign(alLeft);
    auto* right1 = new TSkinLikePanel(form);
    right1->SetParent(form);
    right1->SetWidth(20);
    right1->SetAlign(alRight);
    auto* right2 = new TSkinLikePanel(form);
    right2->SetParent(form);
    right2->SetWidth(25);
    right2->SetAlign(alRight); // inner of the two right-aligned ones
    const int cw = form->ClientWidth();
    ASSERT_EQ(right1->Left(), cw - 20);
    ASSERT_EQ(right2->Left(), cw - 45);

    ReflectControls(form, false);
    EXPECT_EQ(free->Left(), cw - 240);
    EXPECT_EQ(free->Anchors(), (TAnchors{akLeft, akTop}));
    EXPECT_EQ(left->Align(), alRight);
    EXPECT_EQ(right1->Align(), alLeft);
    EXPECT_EQ(right2->Align(), alLeft);
    // Mirrored order: the outermost on the right becomes the outermost on the left.
    EXPECT_EQ(right1->Left(), 0);
    EXPECT_EQ(right2->Left(), 20);
    EXPECT_EQ(left->Left(), cw - 30);
    for (TSkinLikePanel* c : {free, left, right1, right2})
        EXPECT_NE(std::find(c->Codes.begin(), c->Codes.end(), AC_REFLECTED), c->Codes.end());

    // Anchors keep their distances when the parent grows.
    form->SetWidth(form->Width() + 50);
    EXPECT_EQ(free->Left(), cw - 240);
    free->SetAnchors(TAnchors{akRight, akTop});
    form->SetWidth(form->Width() + 10);
    EXPECT_EQ(free->Left(), cw - 230);
}

TEST_F(VclUtilsTest, TextAndInputHelpers)
{
    const struct {
        const wchar_t* In;
        const wchar_t* Out;
    } plain[] = {
        {L"plain", L"plain"},
        {L"<b>bold</b> text", L"bold text"},
        {L"a<br>b<i>c</i>", L"abc"},
        {L"x<b>y</b> 1 < 2", L"xy 1 < 2"},
        {L"end<", L"end<"},
    };
    for (const auto& c : plain) EXPECT_EQ(GetPlainText(c.In), c.Out) << c.In;

    TForm* form = ShownForm(100, 100);
    form->SetCaption(L"Caption text");
    EXPECT_EQ(GetWndText(form->Handle()), L"Caption text");
    EXPECT_EQ(GetWndClassName(form->Handle()), L"TForm");
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetText(L"abc");
    EXPECT_EQ(_wcsicmp(GetWndClassName(edit->Handle()).c_str(), L"EDIT"), 0);
    SendMessageW(edit->Handle(), EM_SETSEL, 0, -1);
    EXPECT_TRUE(AllEditSelected(edit));
    SendMessageW(edit->Handle(), EM_SETSEL, 1, 3);
    EXPECT_FALSE(AllEditSelected(edit));

    EXPECT_EQ(GetStringFlags(edit, taCenter), static_cast<UINT>(DT_CENTER | DT_EXPANDTABS | DT_VCENTER));
    edit->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(GetStringFlags(edit, taLeftJustify), static_cast<UINT>(DT_RIGHT | DT_RTLREADING | 0x44));
    const std::pair<UINT, TAlignment> h[] = {{0, taLeftJustify}, {1, taCenter}, {2, taRightJustify}, {3, taRightJustify}};
    for (auto [v, a] : h) EXPECT_EQ(AlignmentFromInt(v), a) << v;
    const std::pair<UINT, TVerticalAlignment> v[] = {
        {0, taAlignTop}, {4, taVerticalCenter}, {8, taAlignBottom}, {12, taAlignBottom}};
    for (auto [n, a] : v) EXPECT_EQ(VertAlignmentFromInt(n), a) << n;
    EXPECT_FALSE(GetShiftState().Contains(ssShift));
}

TEST_F(VclUtilsTest, OutputWindowAndHintWindow)
{
    TForm* form = ShownForm(100, 100);
    TOutputWindow plainOw(nullptr);
    EXPECT_EQ(plainOw.Name().substr(0, 4), L"acOW");
    EXPECT_FALSE(plainOw.Visible());
    EXPECT_EQ(plainOw.Color(), 0xFF00FF);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(plainOw.Handle(), GWL_STYLE));
    EXPECT_EQ(style & (WS_POPUP | WS_CHILD), static_cast<DWORD>(WS_POPUP));
    EXPECT_EQ(GetWindow(plainOw.Handle(), GW_OWNER), Application->Handle());
    EXPECT_FALSE(GetWindowLongPtrW(plainOw.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    form->SetFormStyle(fsStayOnTop);
    TOutputWindow topOw(form);
    EXPECT_TRUE(GetWindowLongPtrW(topOw.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    std::unique_ptr<THintWindow> hint = acShowHintWnd(L"Hint text", TPoint(200, 220));
    ASSERT_TRUE(hint);
    HWND wnd = hint->Handle();
    EXPECT_TRUE(IsWindowVisible(wnd));
    RECT r{};
    GetWindowRect(wnd, &r);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 220);
    EXPECT_EQ(GetWndText(wnd), L"Hint text");
    // Near the work area's corner the hint moves inside it.
    std::unique_ptr<THintWindow> corner = acShowHintWnd(L"Hint text", TPoint(Screen->WorkAreaRect().Right - 2, 10));
    GetWindowRect(corner->Handle(), &r);
    EXPECT_LE(r.right, Screen->WorkAreaRect().Right);
    acHideHintWnd(hint);
    EXPECT_FALSE(hint);
    EXPECT_FALSE(IsWindow(wnd));
}

// How text is drawn over a control's section, with the house skin loaded.
class TransModeTest : public SkinLoadTest {};

TEST_F(TransModeTest, TextModeByOpaqueModeStoredModeAndParentFont)
{
    Load();
    ASSERT_TRUE(manager && manager->IsActive());
    TForm* form = NewForm(200, 100);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    TsCommonData data(panel);
    data.Loading = false;
    data.SetSkinSection(L"BUTTON");
    const int button = data.SkinIndex;
    const int low = manager->GetSkinIndex(L"PANEL_LOW");
    ASSERT_GE(button, 0);
    ASSERT_GE(low, 0);
    manager->gd()[static_cast<size_t>(button)].Props[0].Transparency = 0;
    manager->gd()[static_cast<size_t>(low)].Props[0].Transparency = 100; // no border mask: the parent's font

    const struct {
        const char* name;
        BYTE stored;
        TacOpaqueMode opaque;
        int index;
        int mode;
    } cases[] = {
        {"nothing stored", 0, omAlphaChannel, -1, 0},
        {"alpha channel", 1, omAlphaChannel, -1, 2},
        {"stored opaque", 1, omAuto, low, 1},
        {"own opaque section", 2, omAuto, -1, 1},
        {"section with the parent's font", 2, omAuto, low, 2},
        {"unknown section", 2, omAuto, manager->LengthOfGD() + 2, 0},
    };
    for (const auto& c : cases) {
        data.TranspMode = c.stored;
        data.FOpaqueMode = c.opaque;
        EXPECT_EQ(GetTransMode(&data, c.index, 0), c.mode) << c.name;
    }
    TComponent owner(nullptr);
    TsCommonData bare(&owner);
    bare.TranspMode = 2;
    bare.SkinIndex = low;
    EXPECT_EQ(GetTransMode(&bare, -1, 0), 0) << "no owner control";
    EXPECT_EQ(GetTransMode(nullptr, low, 0), 0);
}

} // namespace
