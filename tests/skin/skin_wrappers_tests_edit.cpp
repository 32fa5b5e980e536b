// The edit wrapper on Wine's edits, memos and list boxes and on framework edits and memos: the
// skinned border band around the window's own client, bars kept in skin colours after whatever
// scrolls, printing, redrawing switched off around left-bar scrolls, colours written into a
// control and given back, the focused look, the disabled edit and how construction picks the
// section and the visual style.
#include "skin_wrappers_test_edit.h"

#include "Forms.h"
#include "StdCtrls.h"
#include "TypInfo.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sSkinManager.h"

#include <string>
#include <vector>

namespace {

namespace hs = house_skin;

TRect ClientInWindow(HWND wnd)
{
    RECT c{};
    GetClientRect(wnd, &c);
    POINT o = ClientOffset(wnd);
    return TRect(o.x, o.y, o.x + c.right, o.y + c.bottom);
}

// The pixels of r (window coordinates) of two captures that differ, counted.
int Differing(TBitmap& a, TBitmap& b, const TRect& r)
{
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (PixelOf(a, x, y) != PixelOf(b, x, y)) ++n;
    return n;
}

std::wstring Wide(const char* s) { return std::wstring(s, s + strlen(s)); }

// An edit publishing "FocusColor" (a stand-in for controls that colour themselves on focus).
class TFocusColorEdit : public TEdit {
public:
    using TEdit::TEdit;
    UnicodeString ClassName() const override { return L"TFocusColorEdit"; }
    int64_t Focus = 0x00C0FFC0;
    static void Register()
    {
        if (IsPublishedClass(L"TFocusColorEdit")) return;
        RegisterPublishedClass(L"TFocusColorEdit", L"TEdit");
        TPropInfo info;
        info.Name = L"FocusColor";
        info.Kind = pkInteger;
        info.GetOrd = [](TPersistent* p) { return static_cast<TFocusColorEdit*>(p)->Focus; };
        info.SetOrd = [](TPersistent* p, int64_t v) { static_cast<TFocusColorEdit*>(p)->Focus = v; };
        RegisterPublishedProperty(L"TFocusColorEdit", info);
    }
};

// An edit publishing one more integer property (N picks its name).
template <int N>
class TPropertyEdit : public TEdit {
public:
    using TEdit::TEdit;
    static constexpr const wchar_t* kClass = N == 0 ? L"TPanelBorderEdit" : L"TXPThemesEdit";
    static constexpr const wchar_t* kProperty = N == 0 ? L"PanelBorder" : L"UseXPThemes";
    UnicodeString ClassName() const override { return kClass; }
    int64_t Value = 0;
    static void Register()
    {
        if (IsPublishedClass(kClass)) return;
        RegisterPublishedClass(kClass, L"TEdit");
        TPropInfo info;
        info.Name = kProperty;
        info.Kind = pkInteger;
        info.GetOrd = [](TPersistent* p) { return static_cast<TPropertyEdit*>(p)->Value; };
        info.SetOrd = [](TPersistent* p, int64_t v) { static_cast<TPropertyEdit*>(p)->Value = v; };
        RegisterPublishedProperty(kClass, info);
    }
};
using TPanelBorderEdit = TPropertyEdit<0>;
using TXPThemesEdit = TPropertyEdit<1>;

std::vector<std::pair<HWND, bool>> g_themeCalls; // true: switched off
HRESULT WINAPI RecordTheme(HWND window, LPCWSTR app, LPCWSTR)
{
    g_themeCalls.emplace_back(window, app != nullptr);
    return S_OK;
}
DWORD FakeXpVersion() { return 0x0A280105; } // 5.1
bool FakeXpWorkstation(DWORD& major, DWORD& minor)
{
    major = 5;
    minor = 1;
    return true;
}

class EditFrameworkTest : public EditWrapperTest {
protected:
    void SetUp() override
    {
        EditWrapperTest::SetUp();
        form = NewForm(420, 300);
        form->Show();
    }
    template <class E = TEdit>
    E* NewEdit(bool memo = false)
    {
        TCustomEdit* e = nullptr;
        if (memo) {
            auto* m = new TMemo(form);
            e = m;
        } else {
            e = new E(form);
        }
        e->SetParent(form);
        e->SetBounds(20, 20, 160, memo ? 80 : 26);
        e->SetText(L"abc");
        return static_cast<E*>(e);
    }
    TacScrollWnd* Wrap(TWinControl* control, TacSkinParams params = {})
    {
        params.Control = control;
        return static_cast<TacScrollWnd*>(
            WrapperFactory<TacEditWnd>(control->Handle(), nullptr, manager.get(), params, true));
    }
    TForm* form = nullptr;
};

} // namespace

TEST_F(EditWrapperTest, WineEditsAndListsShowTheBorderBandAroundTheirOwnClient)
{
    struct Case {
        const char* Name;
        const wchar_t* Class;
        DWORD Style;
        const wchar_t* Text;
    };
    const Case cases[] = {
        {"edit", L"EDIT", ES_AUTOHSCROLL, L"single line"},
        {"memo", L"EDIT", ES_MULTILINE | WS_VSCROLL | WS_HSCROLL, L"one\r\ntwo\r\nthree"},
        {"listbox", L"LISTBOX", LBS_NOINTEGRALHEIGHT | WS_VSCROLL, nullptr},
        {"combolbox", L"ComboLBox", LBS_NOINTEGRALHEIGHT | WS_VSCROLL, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const bool list = c.Text == nullptr;
        ForeignWrapped f(c.Class, c.Style, WS_EX_CLIENTEDGE, RECT{10, 10, 230, list ? 170 : (c.Style & ES_MULTILINE) ? 110 : 36},
                         c.Text ? c.Text : L"");
        if (list)
            for (int i = 0; i < 40; ++i) SendMessageW(f.Handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"item"));
        auto before = CaptureWindow(f.Handle);
        const TRect clientBefore = ClientInWindow(f.Handle);

        f.Wrap(&WrapperFactory<TacEditWnd>, manager.get());
        ASSERT_NE(f.Edit(), nullptr);
        EXPECT_EQ(f.sw->SkinData->COC, 231);
        EXPECT_EQ(f.sw->SkinData->SkinSection(), L"EDIT");
        auto shot = CaptureWindow(f.Handle);
        SaveCapture(*shot, (L"edit_frame_" + Wide(c.Name)).c_str());
        RECT w{};
        GetWindowRect(f.Handle, &w);
        const int width = w.right - w.left, height = w.bottom - w.top;
        // The outer pixel of the band is the opaque edge of the border image, on every side.
        for (POINT p : {POINT{0, height / 2}, POINT{width / 2, 0}, POINT{width - 1, height / 2}, POINT{width / 2, height - 1}})
            EXPECT_EQ(PixelOf(*shot, p.x, p.y), HouseRgb(hs::kEditRgb[0])) << p.x << "," << p.y;
        EXPECT_EQ(ForeignBarPixel(f.sw, f.Handle, *shot), "");
        // The client is the window's own painting: where it was before, it shows the same.
        const TRect client = ClientInWindow(f.Handle);
        EXPECT_EQ(client.TopLeft(), clientBefore.TopLeft());
        const TRect common(client.Left, client.Top, std::min(client.Right, clientBefore.Right),
                           std::min(client.Bottom, clientBefore.Bottom));
        EXPECT_EQ(Differing(*before, *shot, common), 0);
    }
}

TEST_F(EditWrapperTest, BarsStaySkinnedAfterEveryMessageThatScrolls)
{
    struct Step {
        const char* Name;
        bool Memo;
        std::function<void(HWND)> Send;
    };
    const auto wheel = [](HWND wnd) {
        RECT r{};
        GetWindowRect(wnd, &r);
        SendMessageW(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), At(r.left + 20, r.top + 20));
    };
    const auto key = [](HWND wnd) {
        for (int i = 0; i < 3; ++i) {
            SendMessageW(wnd, WM_KEYDOWN, VK_NEXT, 0);
            SendMessageW(wnd, WM_KEYUP, VK_NEXT, 0);
        }
    };
    const Step steps[] = {
        {"addstring", false, [](HWND w) { SendMessageW(w, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"added")); }},
        {"insertstring", false, [](HWND w) { SendMessageW(w, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"first")); }},
        {"setcursel", false, [](HWND w) { SendMessageW(w, LB_SETCURSEL, 70, 0); }},
        {"settopindex", false, [](HWND w) { SendMessageW(w, LB_SETTOPINDEX, 3, 0); }},
        {"setfont", false, [](HWND w) { SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FONT)), 1); }},
        {"listwheel", false, wheel},
        {"listkey", false, key},
        {"replacesel", true,
         [](HWND w) {
             SendMessageW(w, EM_SETSEL, -1, -1);
             SendMessageW(w, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(L"\r\nmore\r\nand more\r\nand still more"));
         }},
        {"memowheel", true, wheel},
        {"memokey", true, key},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.Name);
        ForeignWrapped f(s.Memo ? L"EDIT" : L"LISTBOX",
                         s.Memo ? ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL : LBS_NOINTEGRALHEIGHT | WS_VSCROLL);
        std::wstring text;
        for (int i = 0; i < 80; ++i) {
            if (s.Memo)
                text += L"line " + std::to_wstring(i) + L"\r\n";
            else
                SendMessageW(f.Handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"item"));
        }
        if (s.Memo) SetWindowTextW(f.Handle, text.c_str());
        f.Wrap(&WrapperFactory<TacEditWnd>, manager.get());
        CaptureWindow(f.Handle);
        const int before = GetScrollPos(f.Handle, SB_VERT);
        s.Send(f.Handle);
        // What the screen shows now, without asking the window to paint again.
        auto shot = GrabWindow(f.Handle);
        SaveCapture(*shot, (L"edit_bars_" + Wide(s.Name)).c_str());
        EXPECT_EQ(ForeignBarPixel(f.sw, f.Handle, *shot), "");
        EXPECT_EQ(f.sw->sBarVert->ScrollInfo.nPos, GetScrollPos(f.Handle, SB_VERT)) << "the bar follows";
        if (std::string(s.Name).find("wheel") != std::string::npos || std::string(s.Name).find("key") != std::string::npos) {
            EXPECT_GT(GetScrollPos(f.Handle, SB_VERT), before);
        }
    }
}

TEST_F(EditWrapperTest, PrintingTheFrameMatchesTheScreen)
{
    ForeignWrapped f(L"LISTBOX", LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL);
    for (int i = 0; i < 40; ++i)
        SendMessageW(f.Handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"a rather long item of the list box"));
    SendMessageW(f.Handle, LB_SETHORIZONTALEXTENT, 600, 0);
    f.Wrap(&WrapperFactory<TacEditWnd>, manager.get());
    auto screen = CaptureWindow(f.Handle);
    auto printed = PrintCapture(f.Handle, PRF_NONCLIENT);
    SaveCapture(*printed, L"edit_print_frame");
    const TRect client = ClientInWindow(f.Handle);
    SaveCapture(*screen, L"edit_print_screen");
    int frame = 0, differ = 0;
    std::string first;
    for (int y = 0; y < screen->Height(); ++y)
        for (int x = 0; x < screen->Width(); ++x) {
            if (client.Contains(TPoint(x, y))) continue;
            ++frame;
            if (PixelOf(*screen, x, y) == PixelOf(*printed, x, y)) continue;
            if (!differ++) {
                char text[96];
                snprintf(text, sizeof text, "(%d,%d) %06lX on screen, %06lX printed", x, y,
                         static_cast<unsigned long>(PixelOf(*screen, x, y)), static_cast<unsigned long>(PixelOf(*printed, x, y)));
                first = text;
            }
        }
    EXPECT_GT(frame, 0);
    EXPECT_EQ(differ, 0) << "of " << frame << " frame pixels, first " << first;
}

TEST_F(EditWrapperTest, ALeftBarListSwitchesRedrawingOffAroundScrolls)
{
    for (const bool left : {false, true}) {
        SCOPED_TRACE(left ? "left bar" : "right bar");
        ForeignWrapped f(L"LISTBOX", LBS_NOINTEGRALHEIGHT | WS_VSCROLL,
                         WS_EX_CLIENTEDGE | (left ? WS_EX_LEFTSCROLLBAR : 0));
        for (int i = 0; i < 40; ++i) SendMessageW(f.Handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"item"));
        f.Wrap(&WrapperFactory<TacEditWnd>, manager.get());
        f.Recorder->Log.Clear();
        SendScrollMessage(f.Handle, WM_VSCROLL, SB_LINEDOWN, 0, true);
        EXPECT_EQ(SendMessageW(f.Handle, LB_GETTOPINDEX, 0, 0), 1);
        std::vector<std::pair<UINT, WPARAM>> seen;
        const auto& log = f.Recorder->Log;
        log.CountIf([&](const RecordedMessage& m) {
            if (m.Msg == WM_SETREDRAW || m.Msg == WM_VSCROLL) seen.emplace_back(m.Msg, m.Msg == WM_SETREDRAW ? m.WParam : 0);
            return false;
        });
        const std::vector<std::pair<UINT, WPARAM>> expected =
            left ? std::vector<std::pair<UINT, WPARAM>>{{WM_SETREDRAW, 0}, {WM_VSCROLL, 0}, {WM_SETREDRAW, 1}}
                 : std::vector<std::pair<UINT, WPARAM>>{{WM_VSCROLL, 0}};
        EXPECT_EQ(seen, expected);
    }
}

TEST_F(EditFrameworkTest, SkinColoursFollowTheStateAndGoWithTheSkin)
{
    TFocusColorEdit::Register();
    const bool savedHot = ac_AllowHotEdits;
    ac_AllowHotEdits = true;
    struct Case {
        const char* Name;
        bool Memo;
        bool Focused;
        bool CustomColor;
        bool CustomFont;
        bool FocusColor;
    };
    const Case cases[] = {
        {"edit, state 0", false, false, false, false, false},
        {"edit, state 1", false, true, false, false, false},
        {"memo, state 0", true, false, false, false, false},
        {"memo, state 1", true, true, false, false, false},
        {"custom colour", false, true, true, false, false},
        {"custom font", false, true, false, true, false},
        {"focus colour", false, true, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TCustomEdit* e = c.FocusColor ? static_cast<TCustomEdit*>(NewEdit<TFocusColorEdit>()) : NewEdit(c.Memo);
        e->SetColor(static_cast<TColor>(0x00D0E0F0));
        e->Font()->SetColor(static_cast<TColor>(0x00204060));
        TacSkinParams params;
        params.UseSkinColor = !c.CustomColor;
        params.UseSkinFontColor = !c.CustomFont;
        TacScrollWnd* sw = Wrap(e, params);
        if (c.Focused) {
            e->SetFocus();
            ASSERT_TRUE(PumpUntil([&] { return GetFocus() == e->Handle(); }));
        }
        const int state = c.Focused ? 1 : 0;
        const TColor skinBG = static_cast<TColor>(state ? hs::kEditHotBG : hs::kEditBG);
        EXPECT_EQ(e->Color(), c.CustomColor ? static_cast<TColor>(0x00D0E0F0) : skinBG);
        EXPECT_EQ(e->Font()->Color(), c.CustomFont ? static_cast<TColor>(0x00204060) : static_cast<TColor>(hs::kEditText));
        if (c.FocusColor) {
            EXPECT_EQ(static_cast<TFocusColorEdit*>(e)->Focus, static_cast<int64_t>(skinBG));
        }
        // The client shows the skin's colour.
        auto shot = CaptureWindow(e->Handle());
        const TRect client = ClientInWindow(e->Handle());
        EXPECT_EQ(PixelOf(*shot, client.Right - 3, client.Top + 2), ColorToRGB(e->Color()));

        UninitializeACScroll(e->Handle(), true, true, sw);
        EXPECT_EQ(e->Color(), c.CustomColor ? static_cast<TColor>(0x00D0E0F0) : clWindow);
        EXPECT_EQ(e->Font()->Color(), c.CustomFont ? static_cast<TColor>(0x00204060) : clWindowText);
        if (c.FocusColor) {
            EXPECT_EQ(static_cast<TFocusColorEdit*>(e)->Focus, 0x00C0FFC0);
        }
        form->SetFocus();
        delete e;
    }
    ac_AllowHotEdits = savedHot;
}

TEST_F(EditFrameworkTest, FocusRepaintsOnlyWhereTheSectionLooksHot)
{
    const bool savedHot = ac_AllowHotEdits;
    struct Case {
        const char* Name;
        bool AllowHot;
        const wchar_t* Section;
        bool Repaints;
    };
    const Case cases[] = {
        {"hot edits allowed", true, L"EDIT", true},
        {"no hot edits", false, L"EDIT", false},
        {"section without hot look", true, L"PANEL_LOW", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ac_AllowHotEdits = c.AllowHot;
        TEdit* e = NewEdit();
        TacSkinParams params;
        params.SkinSection = c.Section;
        TacScrollWnd* sw = Wrap(e, params);
        CaptureWindow(e->Handle());
        const COLORREF rest = PixelOf(*GrabWindow(e->Handle()), 0, 13);
        e->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == e->Handle(); }));
        if (Application) Application->ProcessMessages();
        auto shot = GrabWindow(e->Handle());
        SaveCapture(*shot, (L"edit_focus_" + Wide(c.Name)).c_str());
        if (c.Repaints) {
            EXPECT_EQ(rest, HouseRgb(hs::kEditRgb[0]));
            EXPECT_EQ(PixelOf(*shot, 0, 13), HouseRgb(hs::kEditRgb[1])) << "the focused frame";
        } else {
            EXPECT_EQ(PixelOf(*shot, 0, 13), rest) << "nothing repainted";
        }
        UninitializeACScroll(e->Handle(), true, false, sw);
        form->SetFocus();
        delete e;
    }
    ac_AllowHotEdits = savedHot;
}

TEST_F(EditFrameworkTest, ADisabledEditShowsItsTextFromTheCacheInTheDisabledLook)
{
    for (const wchar_t pc : {L'\0', L'*'}) {
        SCOPED_TRACE(pc ? "password" : "text");
        TEdit* e = NewEdit();
        e->SetText(L"WWWW");
        e->SetPasswordChar(pc);
        e->SetEnabled(false);
        TacScrollWnd* sw = Wrap(e);
        auto shot = CaptureWindow(e->Handle());
        SaveCapture(*shot, pc ? L"edit_disabled_password" : L"edit_disabled_text");
        const TBitmap& cache = *sw->SkinData->FCacheBmp;
        const TRect client = ClientInWindow(e->Handle());
        int ink = 0, differ = 0;
        const COLORREF face = PixelOf(*shot, client.Right - 2, client.Top + client.Height() / 2);
        for (int y = client.Top; y < client.Bottom; ++y)
            for (int x = client.Left; x < client.Right; ++x) {
                if (PixelOf(*shot, x, y) != PixelOf(const_cast<TBitmap&>(cache), x, y)) ++differ;
                if (PixelOf(*shot, x, y) != face) ++ink;
            }
        EXPECT_EQ(differ, 0) << "the client is the cache";
        EXPECT_GT(ink, 10) << "the text is shown";
        UninitializeACScroll(e->Handle(), true, false, sw);
        delete e;
    }
}

TEST_F(EditFrameworkTest, ConstructionPicksSectionCodeAndVisualStyle)
{
    TPanelBorderEdit::Register();
    TXPThemesEdit::Register();
    const TSetWindowTheme savedEntry = ac_SetWindowTheme;
    const HMODULE savedLib = uxthemeLib;
    ac_SetWindowTheme = &RecordTheme;
    if (!uxthemeLib) uxthemeLib = GetModuleHandleW(L"kernel32");
    const TWinVerSources xp{&FakeXpVersion, &FakeXpWorkstation};
    struct Case {
        const char* Name;
        int Framework; // 0 a Wine edit, 1 a framework edit, 2 with "PanelBorder", 3 with "UseXPThemes"
        UnicodeString Section;
        int GivenCoc; // -1: own skin data
        bool Xp;
        UnicodeString ExpectedSection;
        int ExpectedCoc;
        bool ThemeOff;
    };
    const Case cases[] = {
        {"framework edit", 1, L"", -1, false, L"EDIT", 231, false},
        {"panel border", 2, L"", -1, false, L"TRANSPARENT", 231, false},
        {"given section", 0, L"COMBOBOX", -1, false, L"COMBOBOX", 231, true},
        {"dialog section", 0, L"DIALOG", -1, false, L"DIALOG", 231, false},
        {"before Vista", 0, L"", -1, true, L"EDIT", 231, true},
        {"given data", 0, L"", 0, false, L"", 0, true},
        {"given list view data", 0, L"", 10, false, L"", 10, true},
        {"given list view data, own themes", 3, L"", 10, false, L"", 10, false},
        {"given list view data, own themes before Vista", 3, L"", 10, true, L"", 10, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetWinVerSources(c.Xp ? &xp : nullptr);
        InitWinVer();
        std::unique_ptr<TEdit> owned;
        std::unique_ptr<ForeignWrapped> foreign;
        HWND wnd = nullptr;
        TacSkinParams params;
        params.SkinSection = c.Section;
        if (c.Framework) {
            TEdit* e = c.Framework == 2 ? NewEdit<TPanelBorderEdit>() : c.Framework == 3 ? NewEdit<TXPThemesEdit>() : NewEdit();
            owned.reset(e);
            wnd = e->Handle();
            params.Control = e;
        } else {
            foreign = std::make_unique<ForeignWrapped>(L"EDIT", 0, WS_EX_CLIENTEDGE, RECT{10, 10, 150, 36});
            wnd = foreign->Handle;
        }
        std::unique_ptr<TsScrollWndData> given;
        if (c.GivenCoc >= 0) {
            given = std::make_unique<TsScrollWndData>(nullptr, true);
            given->COC = static_cast<BYTE>(c.GivenCoc);
        }
        g_themeCalls.clear();
        TacScrollWnd* sw = static_cast<TacScrollWnd*>(
            WrapperFactory<TacEditWnd>(wnd, given.get(), manager.get(), params, true));
        EXPECT_EQ(sw->SkinData->SkinSection(), c.ExpectedSection);
        EXPECT_EQ(sw->SkinData->COC, c.ExpectedCoc);
        EXPECT_EQ(!g_themeCalls.empty() && g_themeCalls[0].second, c.ThemeOff);
        UninitializeACScroll(wnd, true, false, sw);
    }
    SetWinVerSources(nullptr);
    InitWinVer();
    ac_SetWindowTheme = savedEntry;
    uxthemeLib = savedLib;
}

TEST_F(EditFrameworkTest, RefreshEditScrollsAttachesAndRemovesTheEditWrapperWithTheSkin)
{
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 200, 120);
    memo->SetScrollBars(ssVertical);
    for (int i = 0; i < 40; ++i) memo->Lines()->Add(L"line");
    const TWndMethod original = memo->WindowProc;
    TsScrollWndData data(memo, true);
    data.SetSkinManager(manager.get());
    data.SetSkinSection(L"EDIT");
    data.UpdateIndexes(true);
    ASSERT_TRUE(data.Skinned());

    TacScrollWnd* sw = nullptr;
    RefreshEditScrolls(&data, sw);
    ASSERT_NE(dynamic_cast<TacEditWnd*>(sw), nullptr);
    EXPECT_EQ(Ac_GetScrollWndFromHwnd(memo->Handle()), sw);
    EXPECT_FALSE(memo->WindowProc == original);
    EXPECT_EQ(memo->Color(), static_cast<TColor>(hs::kEditBG));
    auto shot = CaptureWindow(memo->Handle());
    SaveCapture(*shot, L"edit_refresh_memo");
    EXPECT_EQ(PixelOf(*shot, 0, 60), HouseRgb(hs::kEditRgb[0]));
    EXPECT_EQ(ForeignBarPixel(sw, memo->Handle(), *shot), "");
    TacScrollWnd* const first = sw;
    RefreshEditScrolls(&data, sw);
    EXPECT_EQ(sw, first) << "already there";

    data.SkinIndex = -1;
    RefreshEditScrolls(&data, sw);
    EXPECT_EQ(sw, nullptr);
    EXPECT_TRUE(memo->WindowProc == original);
    EXPECT_EQ(Ac_GetScrollWndFromHwnd(memo->Handle()), nullptr);
    EXPECT_EQ(memo->Color(), clWindow);
    EXPECT_EQ(memo->Font()->Color(), clWindowText);
}
