// The window wrapper base: taking over and giving back any window's procedure, the messages it
// answers itself, the command answers while a skin is active, and what it restores.
#include "skin_wrappers_test_base.h"
#include "../framework/graphics_test_util.h"

#include "Menus.h"
#include "acSBUtils.h"
#include "sVclUtils.h"
#include "acSBUtilsBrushes.h"
#include "sCommonData.h"
#include "sCtrlStates.h"
#include "sSkinMenus.h"
#include "sSkinProvider.h"

#include <memory>
#include <string>
#include <vector>

TEST_F(WrapperTest, WithoutAnActiveSkinEveryMessageReachesThePreviousProcedureOnce)
{
    for (Kind kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        Subject s(kind, form);
        std::unique_ptr<TacMainWnd> w(CreateWrapper<TacMainWnd>(s.Handle, nullptr, nullptr, s.Params()));
        EXPECT_FALSE(s.HasOriginalProcedure());
        if (kind != Kind::FrameworkEdit) {
            EXPECT_EQ(w->NewWndProcInstance(), reinterpret_cast<WNDPROC>(GetWindowLongPtrW(s.Handle, GWLP_WNDPROC)));
        }
        EXPECT_EQ(w->Caption, kind == Kind::TestClass ? L"recorded" : kind == Kind::SystemEdit ? L"system" : L"framework");
        s.Log().Clear();

        SendMessageW(s.Handle, WM_USER + 7, 1, 2);
        SendMessageW(s.Handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"renamed"));
        SendMessageW(s.Handle, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
        Command(s.Handle, AC_CTRLHANDLED);
        EXPECT_EQ(s.Log().Count(WM_USER + 7), 1);
        EXPECT_EQ(s.Log().Count(WM_SETTEXT), 1);
        EXPECT_EQ(w->Caption, L"renamed");
        EXPECT_EQ(s.Log().Count(WM_UPDATEUISTATE), 0);
        EXPECT_EQ(s.Log().Count(SM_ALPHACMD), 1) << "no skin: even the command goes on";

        // WM_PRINT is answered as WM_PAINT with the same parameters.
        auto bitmap = std::make_unique<TBitmap>(40, 20, pf32bit);
        const auto dc = reinterpret_cast<WPARAM>(bitmap->Canvas()->Handle());
        SendMessageW(s.Handle, WM_PRINT, dc, PRF_CLIENT);
        EXPECT_EQ(s.Log().Count(WM_PRINT), 0);
        const RecordedMessage* paint = s.Log().Last(WM_PAINT);
        ASSERT_NE(paint, nullptr);
        EXPECT_EQ(paint->WParam, dc);
        EXPECT_EQ(paint->LParam, PRF_CLIENT);
    }
}

TEST_F(WrapperTest, CommandsAreAnsweredWhileTheSkinIsActive)
{
    Load();
    ASSERT_TRUE(manager->IsActive());
    const auto mgr = reinterpret_cast<LPARAM>(manager.get());
    for (Kind kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        Subject s(kind, form);
        std::unique_ptr<TacMainWnd> w(CreateWrapper<TacMainWnd>(s.Handle, nullptr, manager.get(), s.Params()));
        s.Log().Clear();

        struct Case {
            WORD Code;
            LPARAM LParam;
            LRESULT Answer;
            int PassedOn;
        };
        const Case cases[] = {
            {AC_CTRLHANDLED, 0, 1, 0},
            {AC_GETSCROLLWND, 0, reinterpret_cast<LRESULT>(w.get()), 0},
            {AC_GETCOMMONDATA, 0, reinterpret_cast<LRESULT>(w->SkinData), 0},
            {AC_GETAPPLICATION, 0, reinterpret_cast<LRESULT>(Application), 0},
            {AC_SETNEWSKIN, mgr, 0, 1},
            {AC_PREPARECACHE, 0, 0, 1},
        };
        for (const Case& c : cases) {
            s.Log().Clear();
            EXPECT_EQ(Command(s.Handle, c.Code, c.LParam), c.Answer) << c.Code;
            EXPECT_EQ(s.Log().Count(SM_ALPHACMD, c.Code), c.PassedOn) << c.Code;
        }
        // Any other message still reaches the window once.
        s.Log().Clear();
        SendMessageW(s.Handle, WM_USER + 8, 0, 0);
        EXPECT_EQ(s.Log().Count(WM_USER + 8), 1);

        // The owner control is opaque while wrapped.
        if (s.Edit) {
            EXPECT_TRUE(s.Edit->ControlStyle().Contains(csOpaque));
            w.reset();
            EXPECT_FALSE(s.Edit->ControlStyle().Contains(csOpaque));
        }
    }
}

TEST_F(WrapperTest, SkinCommandsUpdateTheSkinDataAndAnswerForTheWindow)
{
    Load();
    const auto mgr = reinterpret_cast<LPARAM>(manager.get());
    for (Kind kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        Subject s(kind, form);
        TacSkinParams params = s.Params();
        params.SkinSection = L"EDIT";
        std::unique_ptr<TacMainWnd> w(CreateWrapper<TacMainWnd>(s.Handle, nullptr, manager.get(), params));
        TsCommonData* data = w->SkinData;
        EXPECT_FALSE(data->Loading);
        ASSERT_NE(data->FCacheBmp, nullptr);
        // The answer and how often the command reached the previous procedure.
        using Answer = std::pair<LRESULT, int>;
        const auto passedOn = [&](WORD code, LPARAM lParam = 0, WORD low = 0) {
            s.Log().Clear();
            const LRESULT answer = Command(s.Handle, code, lParam, low);
            return Answer(answer, s.Log().Count(SM_ALPHACMD, code));
        };

        // 1: the new skin's indexes, a stale background, and passed on.
        data->SkinIndex = -1;
        data->BGChanged = false;
        EXPECT_EQ(passedOn(AC_SETNEWSKIN, mgr).second, 1);
        EXPECT_EQ(data->SkinIndex, manager->GetSkinIndex(L"EDIT"));
        EXPECT_TRUE(data->BGChanged);

        // 3 for this manager: repainted at once (not while an animation runs), not passed on;
        // for another manager: passed on.
        for (bool animating : {true, false}) {
            InAnimationProcess = animating; // the skin change of Load leaves it set: no forms here
            data->BGChanged = false;
            data->FUpdating = true;
            EXPECT_EQ(passedOn(AC_REFRESH, mgr).second, 0);
            EXPECT_TRUE(data->BGChanged);
            EXPECT_FALSE(data->FUpdating);
            EXPECT_EQ(s.Log().Count(WM_PAINT), animating ? 0 : 1);
        }
        EXPECT_EQ(passedOn(AC_REFRESH, mgr + 8).second, 1);

        // 6: a waiting window repaints its frame and keeps the command; otherwise passed on.
        data->FUpdating = true;
        s.Log().Clear();
        EXPECT_EQ(passedOn(AC_PARENTUPDATED).second, 0);
        EXPECT_GE(s.Log().Count(WM_NCPAINT), 1);
        EXPECT_EQ(passedOn(AC_PARENTUPDATED).second, 1);

        // 10, 15, 21, 34: answered here.
        EXPECT_EQ(passedOn(AC_ISUPDATING), Answer(0, 0));
        EXPECT_EQ(passedOn(AC_GETBGCOLOR),
                  Answer(static_cast<LRESULT>(GetBGColor(data, 0, s.Handle)), 1))
            << "the previous procedure answers 0, so the skin's colour";
        const UnicodeString section = L"PANEL";
        EXPECT_EQ(passedOn(AC_SETSECTION, reinterpret_cast<LPARAM>(&section)),
                  Answer(1, 0));
        EXPECT_EQ(data->SkinSection(), L"PANEL");
        EXPECT_EQ(Command(s.Handle, AC_SETSECTION, 0), 0);
        // Without a section the colour is the window's own, asked of the window itself: the
        // nested question goes to the previous procedure only, not round again.
        const UnicodeString unknown = L"NOSUCHSECTION";
        Command(s.Handle, AC_SETSECTION, reinterpret_cast<LPARAM>(&unknown));
        data->SkinIndex = -1;
        EXPECT_EQ(passedOn(AC_GETBGCOLOR).second, 2);
        Command(s.Handle, AC_SETSECTION, reinterpret_cast<LPARAM>(&section));
        data->UpdateIndexes(true);
        TacBGInfo bg;
        EXPECT_EQ(passedOn(AC_GETBG, reinterpret_cast<LPARAM>(&bg)).second, 0);
        EXPECT_NE(bg.BgType, btUnknown);
        EXPECT_EQ(Command(s.Handle, AC_GETBG, 0), 0) << "no record: nothing written";

        // 38: printing on and off, passed on both times.
        TBitmap print(8, 8, pf32bit);
        const HDC dc = print.Canvas()->Handle();
        EXPECT_EQ(passedOn(AC_PRINTING, reinterpret_cast<LPARAM>(dc), 1).second, 1);
        EXPECT_EQ(data->PrintDC, dc);
        EXPECT_NE(data->CtrlSkinState & ACS_PRINTING, 0u);
        EXPECT_EQ(passedOn(AC_PRINTING, 0, 0).second, 1);
        EXPECT_EQ(data->PrintDC, nullptr);
        EXPECT_EQ(data->CtrlSkinState & ACS_PRINTING, 0u);

        // 19 is the shared answer with an owner control, else the window's own.
        EXPECT_EQ(passedOn(AC_CHILDBGCHANGED),
                  s.Edit ? Answer(1, 0) : Answer(0, 1));
    }
}

TEST_F(WrapperTest, DestroyEmptiesTheCache)
{
    Load();
    Subject s(Kind::TestClass, form);
    TacMainWnd* w = CreateWrapper<TacMainWnd>(s.Handle, nullptr, manager.get(), s.Params());
    w->SkinData->FCacheBmp->SetSize(30, 20);
    DestroyWindow(s.Handle);
    EXPECT_TRUE(w->Destroyed);
    EXPECT_TRUE(w->SkinData->FCacheBmp->Empty());
    delete w;
}

TEST_F(WrapperTest, UnwrappingGivesTheOriginalProcedureBack)
{
    enum class Way { Destructor, Uninitialize, Destroy };
    for (Kind kind : kKinds)
        for (Way way : {Way::Destructor, Way::Uninitialize, Way::Destroy}) {
            SCOPED_TRACE(testing::Message() << KindName(kind) << " way " << static_cast<int>(way));
            Subject s(kind, form);
            TacMainWnd* w = CreateWrapper<CountingWnd>(s.Handle, nullptr, nullptr, s.Params());
            auto* counting = static_cast<CountingWnd*>(w);
            if (s.Edit) {
                EXPECT_TRUE(s.Edit->ControlStyle().Contains(csOpaque));
            }
            switch (way) {
            case Way::Destructor:
                delete w;
                break;
            case Way::Uninitialize:
                UninitializeACWnd(s.Handle, true, false, w);
                EXPECT_EQ(w, nullptr);
                break;
            case Way::Destroy: {
                s.DestroyTheWindow();
                EXPECT_TRUE(counting->Destroyed);
                EXPECT_EQ(counting->Restored, 1);
                // A second destroy message does not restore again.
                if (kind != Kind::SystemEdit) {
                    counting->ProcessMessage(WM_NCDESTROY, 0, 0);
                    EXPECT_EQ(counting->Restored, 1);
                }
                delete w;
                break;
            }
            }
            EXPECT_EQ(ParkedWndProcCount(), 0);
            if (way != Way::Destroy || kind == Kind::FrameworkEdit) {
                EXPECT_TRUE(s.HasOriginalProcedure());
            }
            if (s.Edit) {
                EXPECT_FALSE(s.Edit->ControlStyle().Contains(csOpaque)) << "the control's own style is back";
                s.Log().Clear();
                s.Edit->SetText(L"after");
                EXPECT_EQ(s.Edit->Text(), L"after");
                EXPECT_GE(s.Log().Count(WM_SETTEXT), 1);
            }
        }
}

TEST_F(WrapperTest, WindowProcedureDestroyMessageAnswersOneAndUnwraps)
{
    Subject s(Kind::TestClass, form);
    TacMainWnd* w = CreateWrapper<TacMainWnd>(s.Handle, nullptr, nullptr, s.Params());
    const HWND handle = s.Handle;
    s.Log().Clear();
    // Sent through the window procedure of a window that lives on: the previous procedure
    // answers 0, so the wrapper gives the window back and answers 1.
    EXPECT_EQ(SendMessageW(handle, WM_DESTROY, 0, 0), 1);
    EXPECT_EQ(s.Log().Count(WM_DESTROY), 1);
    EXPECT_TRUE(w->Destroyed);
    EXPECT_TRUE(s.HasOriginalProcedure());
    delete w;
}

TEST_F(WrapperTest, ALaterSubclassStaysAndKeepsWorkingThroughTheParkedProcedure)
{
    for (Kind kind : kKinds) {
        SCOPED_TRACE(KindName(kind));
        Subject s(kind, form);
        TacMainWnd* w = CreateWrapper<TacMainWnd>(s.Handle, nullptr, nullptr, s.Params());
        std::unique_ptr<LaterSubclass> laterWindow;
        std::unique_ptr<RecordingWindowProc> laterMethod;
        if (s.Edit)
            laterMethod = std::make_unique<RecordingWindowProc>(s.Edit);
        else
            laterWindow = std::make_unique<LaterSubclass>(s.Handle);

        UninitializeACWnd(s.Handle, true, false, w);
        EXPECT_EQ(ParkedWndProcCount(), 1);
        if (laterWindow) {
            EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(s.Handle, GWLP_WNDPROC)), LaterSubclass::Procedure());
        } else {
            EXPECT_TRUE(s.Edit->WindowProc == TWndMethod(laterMethod.get(), &RecordingWindowProc::Handle));
        }

        // Messages still reach both recorders, through the parked procedure.
        s.Log().Clear();
        SendMessageW(s.Handle, WM_USER + 9, 0, 0);
        EXPECT_EQ(s.Log().Count(WM_USER + 9), 1);
        EXPECT_EQ((laterWindow ? laterWindow->Log : laterMethod->Log).Count(WM_USER + 9), 1);
        SendMessageW(s.Handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"still works"));
        EXPECT_EQ(GetWndText(s.Handle), L"still works");

        if (laterWindow) {
            // The window's end frees the parked procedure.
            DestroyWindow(s.Handle);
            EXPECT_EQ(ParkedWndProcCount(), 0);
        } else {
            laterMethod.reset();
            s.ReinstallRecorder();
            acSBUtilsFinalization(); // the unit's shut-down frees what stays parked
            acSBUtilsInitialization();
            EXPECT_EQ(ParkedWndProcCount(), 0);
        }
    }
}

TEST_F(WrapperTest, GivenSkinDataIsNeverFreedAnOwnOneIs)
{
    Subject s(Kind::TestClass, form);
    auto given = std::make_unique<TsCommonData>(nullptr);
    {
        std::unique_ptr<TacMainWnd> w(CreateWrapper<TacMainWnd>(s.Handle, given.get(), nullptr, s.Params()));
        EXPECT_EQ(w->SkinData, given.get());
        EXPECT_FALSE(w->OwnSkinData);
        EXPECT_EQ(given->FSWHandle, s.Handle);
    }
    EXPECT_TRUE(CommonDataIsLive(given.get()));

    TsCommonData* own = nullptr;
    {
        std::unique_ptr<TacMainWnd> w(CreateWrapper<TacMainWnd>(s.Handle, nullptr, nullptr, s.Params()));
        own = w->SkinData;
        EXPECT_TRUE(w->OwnSkinData);
        EXPECT_TRUE(CommonDataIsLive(own));
        EXPECT_EQ(GetCommonData(s.Handle), own) << "published on the window by AfterCreation";
    }
    EXPECT_FALSE(CommonDataIsLive(own));
}

TEST_F(WrapperTest, SkinRemovalGivesEveryTouchedClassItsOwnBrushBack)
{
    Load();
    const auto mgr = reinterpret_cast<LPARAM>(manager.get());
    for (Kind kind : {Kind::TestClass, Kind::SystemEdit}) {
        SCOPED_TRACE(KindName(kind));
        Subject s(kind, form);
        const LONG_PTR original = GetClassLongPtrW(s.Handle, GCLP_HBRBACKGROUND);
        std::unique_ptr<TacMainWnd> w(CreateWrapper<TacMainWnd>(s.Handle, nullptr, manager.get(), s.Params()));
        w->SetSkinParams();
        w->SetSkinParams(); // once more: still one brush of ours
        const auto skinned = reinterpret_cast<HBRUSH>(GetClassLongPtrW(s.Handle, GCLP_HBRBACKGROUND));
        EXPECT_NE(reinterpret_cast<LONG_PTR>(skinned), original);
        for (HBRUSH b : manager->Brushes) EXPECT_NE(skinned, b) << "never the manager's own brush";
        LOGBRUSH lb{};
        ASSERT_EQ(GetObjectW(skinned, sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
        EXPECT_EQ(lb.lbColor, static_cast<COLORREF>(manager->Palette[0]) & 0xFFFFFF);
        EXPECT_EQ(ChangedClassBrushCount(), 1);

        Command(s.Handle, AC_REMOVESKIN, mgr);
        EXPECT_EQ(GetClassLongPtrW(s.Handle, GCLP_HBRBACKGROUND), original);
        EXPECT_EQ(GetObjectType(skinned), 0u) << "our brush is deleted";
        EXPECT_EQ(ChangedClassBrushCount(), 0);
    }
}

TEST_F(WrapperTest, ContextMenuOfTheOwnerControlIsHookedWithTheManagersState)
{
    Load();
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 100, 60);
    auto* menu = new TPopupMenu(form);
    auto* item = new TMenuItem(form);
    item->SetCaption(L"Item");
    menu->Items()->Add(item);
    panel->SetPopupMenu(menu);
    TacSkinParams params;
    params.Control = panel;
    std::unique_ptr<TacMainWnd> w(CreateWrapper<TacMainWnd>(panel->Handle(), nullptr, manager.get(), params));
    ModalCloser closer; // whatever menu the window system would show is closed
    const TPoint centre = panel->ClientToScreen(TPoint(50, 30));
    SendMessageW(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()), MAKELPARAM(centre.X, centre.Y));
    // Hooked with the manager's state: owner-drawn by the library's handlers, no animation.
    ASSERT_TRUE(manager->IsActive());
    EXPECT_TRUE(menu->OwnerDraw());
    EXPECT_TRUE(menu->MenuAnimation().Contains(maNone));
    EXPECT_EQ(item->OnAdvancedDrawItem,
              TAdvancedMenuDrawItemEvent(manager->SkinableMenus(), &TsSkinableMenus::sAdvancedDrawItem));
    EXPECT_EQ(item->OnMeasureItem, TMenuMeasureItemEvent(manager->SkinableMenus(), &TsSkinableMenus::sMeasureItem));
    // The same message while the manager is not active unhooks it.
    manager->SetActive(false);
    SendMessageW(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()), MAKELPARAM(centre.X, centre.Y));
    EXPECT_FALSE(menu->OwnerDraw());
    EXPECT_FALSE(static_cast<bool>(item->OnAdvancedDrawItem));
}

TEST_F(WrapperTest, MouseMoveMakesTheWindowTheDefaultManagersActiveControl)
{
    Load();
    ASSERT_EQ(DefaultManager, manager.get());
    Subject s(Kind::TestClass, form);
    std::unique_ptr<TacMainWnd> w(CreateWrapper<TacMainWnd>(s.Handle, nullptr, manager.get(), s.Params()));
    SendMessageW(s.Handle, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(manager->ActiveControl(), s.Handle);
}

TEST_F(WrapperTest, NonClientFontsAndTheImposedFaceName)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
    const std::pair<int, const LOGFONTW*> kinds[] = {{1, &metrics.lfCaptionFont}, {2, &metrics.lfSmCaptionFont},
                                                     {3, &metrics.lfMenuFont},    {4, &metrics.lfStatusFont},
                                                     {5, &metrics.lfMessageFont}, {0, &metrics.lfMessageFont}};
    for (const auto& [kind, expected] : kinds) {
        LOGFONTW font{};
        GetNCMetricsFont(kind, font);
        EXPECT_EQ(font.lfHeight, expected->lfHeight) << kind;
        EXPECT_STREQ(font.lfFaceName, expected->lfFaceName) << kind;
    }

    // Without a manager, and with the default mode, nothing is imposed.
    LOGFONTW font = metrics.lfMessageFont;
    ApplySkinFontName(font);
    EXPECT_STREQ(font.lfFaceName, metrics.lfMessageFont.lfFaceName);
    Load();
    EXPECT_EQ(GetSkinFontName(), L"");
    manager->SkinCommonInfo.MainFont = L"Skin Face";
    manager->Fonts()->SetMainFont(L"Own Face");
    const std::pair<TacFontMode, const wchar_t*> modes[] = {
        {fmFromSkin, L"Skin Face"}, {fmCustom, L"Own Face"}, {fmDefault, L""}};
    for (const auto& [mode, name] : modes) {
        manager->Fonts()->SetMainMode(mode);
        EXPECT_EQ(GetSkinFontName(), name);
        font = metrics.lfMessageFont;
        ApplySkinFontName(font);
        EXPECT_STREQ(font.lfFaceName, *name ? name : metrics.lfMessageFont.lfFaceName);
    }
    // A name longer than the field is cut, the field stays terminated.
    manager->Fonts()->SetMainMode(fmCustom);
    manager->Fonts()->SetMainFont(UnicodeString(40, L'x'));
    ApplySkinFontName(font);
    EXPECT_EQ(std::wstring(font.lfFaceName), std::wstring(31, L'x'));
    manager->Fonts()->SetMainMode(fmDefault);
}

namespace {

// What the bound uxtheme entry was asked: "off" for the blank theme, "back" for the window's own.
std::vector<std::pair<HWND, std::string>> g_themeCalls;
HRESULT WINAPI RecordTheme(HWND window, LPCWSTR app, LPCWSTR)
{
    g_themeCalls.emplace_back(window, app ? "off" : "back");
    return S_OK;
}

class KeepStyleWnd : public TacMainWnd {
public:
    bool KeepsVisualStyle() const override { return true; }
};

} // namespace

TEST_F(WrapperTest, VisualStylesGoOffUnlessTheWindowKeepsItsOwnAndComeBackWithIt)
{
    Load();
    const TSetWindowTheme savedEntry = ac_SetWindowTheme;
    const HMODULE savedLib = uxthemeLib;
    ac_SetWindowTheme = &RecordTheme;
    if (!uxthemeLib) uxthemeLib = GetModuleHandleW(L"kernel32"); // what the entry needs loaded

    struct Case {
        const char* Name;
        UnicodeString Section;
        bool DlgMode;
        int GivenCoc; // -1: own skin data
        bool Keeps;
        bool Aero;
        std::vector<std::string> Expected;
    };
    const Case cases[] = {
        {"plain", L"", false, -1, false, false, {"off", "back"}},
        {"dialog section", L"DIALOG", false, -1, false, false, {"back"}},
        {"dialog mode", L"", true, -1, false, false, {"back"}},
        {"native control", L"", false, 224, false, false, {"back"}},
        {"keeps its style", L"", false, -1, true, false, {"back"}},
        {"memo under Aero", L"", false, 10, false, true, {"off"}},
        {"memo without Aero", L"", false, 10, false, false, {"off", "back"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Subject s(Kind::TestClass, form);
        auto given = std::make_unique<TsCommonData>(nullptr);
        given->COC = static_cast<BYTE>(std::max(c.GivenCoc, 0));
        TacSkinParams params = s.Params();
        params.SkinSection = c.Section;
        acDlgMode = c.DlgMode;
        SetAeroIsEnabledOverride(c.Aero);
        g_themeCalls.clear();
        TsCommonData* data = c.GivenCoc >= 0 ? given.get() : nullptr;
        TacMainWnd* w = c.Keeps ? CreateWrapper<KeepStyleWnd>(s.Handle, data, manager.get(), params)
                                : CreateWrapper<TacMainWnd>(s.Handle, data, manager.get(), params);
        acDlgMode = false;
        delete w;
        std::vector<std::string> seen;
        for (const auto& [window, what] : g_themeCalls) {
            EXPECT_EQ(window, s.Handle);
            seen.push_back(what);
        }
        EXPECT_EQ(seen, c.Expected);
    }
    SetAeroIsEnabledOverride(std::nullopt);
    ac_SetWindowTheme = savedEntry;
    uxthemeLib = savedLib;
}

TEST_F(WrapperTest, CtrlFontFollowsTheCharacterSetRuleAndTheWindowGetsItsOwnFontBack)
{
    Subject s(Kind::SystemEdit, form);
    const auto makeFont = [](const wchar_t* face, BYTE charset) {
        LOGFONTW lf{};
        lf.lfHeight = -13;
        lf.lfCharSet = charset;
        wcscpy_s(lf.lfFaceName, face);
        return CreateFontIndirectW(&lf);
    };
    const auto windowFont = [&] { return reinterpret_cast<HFONT>(SendMessageW(s.Handle, WM_GETFONT, 0, 0)); };
    struct Case {
        const wchar_t* Face;
        BYTE Charset;
        BYTE Expected;
    };
    const Case cases[] = {{L"Arial", ANSI_CHARSET, DEFAULT_CHARSET},
                          {L"MS Shell Dlg 2", ANSI_CHARSET, ANSI_CHARSET},
                          {L"Arial", EASTEUROPE_CHARSET, EASTEUROPE_CHARSET}};
    for (const Case& c : cases) {
        HFONT own = makeFont(c.Face, c.Charset);
        SendMessageW(s.Handle, WM_SETFONT, reinterpret_cast<WPARAM>(own), FALSE);
        std::unique_ptr<TacMainWnd> w(CreateWrapper<TacMainWnd>(s.Handle, nullptr, nullptr, s.Params()));
        SelectCtrlFont(w.get(), false);
        TFont* selected = w->SkinData->FCacheBmp->Canvas()->Font();
        EXPECT_EQ(selected->Charset(), c.Expected) << c.Face << " " << int(c.Charset);
        EXPECT_EQ(selected->Name(), c.Face);
        EXPECT_EQ(windowFont(), own) << "without SetFont the window keeps its font";
        w.reset();
        DeleteObject(own);
    }

    // With SetFont: one derived font however often, the window's own back on unwrapping.
    HFONT own = makeFont(L"Arial", ANSI_CHARSET);
    SendMessageW(s.Handle, WM_SETFONT, reinterpret_cast<WPARAM>(own), FALSE);
    TacMainWnd* w = CreateWrapper<TacMainWnd>(s.Handle, nullptr, nullptr, s.Params());
    SelectCtrlFont(w, true);
    const HFONT derived = windowFont();
    EXPECT_NE(derived, own);
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(derived, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    {
        GdiSlotDrain drain;
        ASSERT_TRUE(drain.Drained());
        for (int i = 0; i < 300; ++i) SelectCtrlFont(w, true);
        GdiSlotDrain after;
        ASSERT_TRUE(after.Drained());
        EXPECT_LT(after.FirstFreshSlot(), drain.NextFreshSlot() + 16) << "fonts pile up";
    }
    EXPECT_EQ(windowFont(), derived);
    UninitializeACWnd(s.Handle, true, false, w);
    EXPECT_EQ(windowFont(), own);
    EXPECT_EQ(GetObjectType(derived), 0u) << "the derived font is deleted";
    DeleteObject(own);

    // A window without a font paints with the message font.
    Subject plain(Kind::TestClass, form);
    std::unique_ptr<TacMainWnd> pw(CreateWrapper<TacMainWnd>(plain.Handle, nullptr, nullptr, plain.Params()));
    SelectCtrlFont(pw.get(), true);
    LOGFONTW message{};
    GetNCMetricsFont(5, message);
    EXPECT_EQ(pw->SkinData->FCacheBmp->Canvas()->Font()->Name(), message.lfFaceName);
}
