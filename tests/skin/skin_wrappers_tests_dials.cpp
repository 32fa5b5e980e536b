// Automatic skinning of dialogs and forms: the hook, the decision, the child dispatch, the
// provider's routines and the lists' ownership, under an active house-skin manager.
#include "skin_wrappers_test_dials.h"

#include "ExtCtrls.h"
#include "PumpUntil.h"
#include "StdCtrls.h"
#include "acSBUtilsSpin.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sThirdParty.h"
#include "skin_graphics_test_png.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>

namespace {

TacProvider* ProviderOf(HWND wnd)
{
    for (TacProvider* p : acSupportedList)
        if (p && p->CtrlHandle == wnd) return p;
    return nullptr;
}

int ProvidersOf(HWND wnd)
{
    return static_cast<int>(
        std::count_if(acSupportedList.begin(), acSupportedList.end(), [wnd](TacProvider* p) { return p && p->CtrlHandle == wnd; }));
}

// A form whose class name the test chooses.
class TNamedForm : public TForm {
public:
    TNamedForm(const UnicodeString& name) : TForm(Application), name_(name) {}
    UnicodeString ClassName() const override { return name_; }

private:
    UnicodeString name_;
};

TsSkinProvider* FormProvider(TCustomForm* form)
{
    return reinterpret_cast<TsSkinProvider*>(form->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_GETPROVIDER), 0));
}

class DialsTest : public HookedWrapperTest {
protected:
    void SetUp() override
    {
        HookedWrapperTest::SetUp();
        RegisterStandInClasses();
        ASSERT_NO_FATAL_FAILURE(LoadHooked());
    }
    void TearDown() override
    {
        for (HWND w : windows_)
            if (IsWindow(w)) DestroyWindow(w);
        FreeSupportedList();
        ClearMnuArray();
        SetAeroIsEnabledOverride(std::nullopt);
        ac_DialogsLevel = 2;
        HookedWrapperTest::TearDown();
    }

    HWND Keep(HWND w)
    {
        windows_.push_back(w);
        return w;
    }
    // A shown dialog of an empty template, owned by the test form.
    HWND ShowEmptyDialog()
    {
        HWND dlg = Keep(DialogTemplate(WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT, 120, 60).Create(form->Handle()));
        PumpUntil([] { return false; }, 0);
        return dlg;
    }

    std::vector<HWND> windows_;
};

// ---------------------------------------------------------------------------------------------
// The dispatch of a dialog's children

TEST_F(DialsTest, EveryChildOfTheTemplateGetsTheWrapperOfItsClassAndStyle)
{
    RecordingFactories recording;
    OnRecordedWrapper() = [](TRecordedWrapper&) { EXPECT_TRUE(acDlgMode) << "set while a wrapper is made"; };
    HWND dlg = Keep(DialsTemplate().Create(form->Handle()));
    ASSERT_NE(dlg, nullptr);
    TacProvider* provider = ProviderOf(dlg);
    ASSERT_NE(provider, nullptr) << "the hook skins the dialog when it is created";
    ASSERT_NE(provider->ListSW, nullptr);
    EXPECT_EQ(provider->ListSW->Provider, provider);
    EXPECT_EQ(provider->ListSW->SkinData->SkinSection(), L"DIALOG");
    EXPECT_FALSE(provider->ListSW->Initialized) << "the children are wrapped when the dialog first paints";

    const auto& cases = DialsCases();
    for (size_t i = 0; i < cases.size(); ++i)
        if (cases[i].PixelHeight)
            SetWindowPos(GetDlgItem(dlg, static_cast<int>(100 + i)), nullptr, 0, 0, 60, cases[i].PixelHeight,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(dlg, SW_SHOW);
    ASSERT_TRUE(PumpUntil([&] { return provider->ListSW->Initialized; }));
    EXPECT_FALSE(acDlgMode);
    EXPECT_FALSE(provider->ListSW->FWMPaintForbidden) << "edits, lists and combo boxes paint themselves";

    for (size_t i = 0; i < cases.size(); ++i) {
        const DialsCase& c = cases[i];
        SCOPED_TRACE(c.Name);
        HWND item = GetDlgItem(dlg, static_cast<int>(100 + i));
        ASSERT_NE(item, nullptr) << "the template made the child";
        TRecordedWrapper* w = RecordedWrapperOf(item);
        if (c.Kind == kNoWrapper) {
            EXPECT_EQ(w, nullptr);
            continue;
        }
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(static_cast<int>(w->Kind), static_cast<int>(c.Kind));
        EXPECT_EQ(w->Section, c.Section);
        EXPECT_TRUE(w->DlgModeWhileMade);
        EXPECT_TRUE(w->DlgMode) << "made in dialog mode";
        EXPECT_FALSE(w->SkinData->FUpdating);
        RECT r{};
        GetWindowRect(item, &r);
        EXPECT_EQ(w->WndSize.cx, r.right - r.left) << "geometry read";
        EXPECT_EQ(std::count_if(provider->acSkinnedCtrls.begin(), provider->acSkinnedCtrls.end(),
                                [w](const auto& owned) { return owned.get() == w; }),
                  1)
                << "the provider owns it";
    }
    // The list of a simple combo box is the combo wrapper's to wrap.
    HWND simple = GetDlgItem(dlg, 100 + static_cast<int>(std::find_if(cases.begin(), cases.end(), [](const DialsCase& c) {
                                                              return std::string(c.Name) == "simple combo box";
                                                          }) - cases.begin()));
    HWND list = FindWindowExW(simple, nullptr, L"ComboLBox", nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(RecordedWrapperOf(list), nullptr);
    // Nothing is wrapped twice when the dialog asks for its children again.
    const size_t wrapped = provider->acSkinnedCtrls.size();
    Command(dlg, 28);
    EXPECT_EQ(provider->acSkinnedCtrls.size(), wrapped);
}

// The wrapper families that exist are made for real through the dispatch (no recording factories).
TEST_F(DialsTest, BuiltWrapperFamiliesAreMadeForRealByTheDispatch)
{
    struct Row {
        const wchar_t* Class;
        DWORD Style;
        const wchar_t* Wrapper; // ClassName() of the wrapper made
    };
    const Row rows[] = {
        {L"msctls_trackbar32", WS_VISIBLE | TBS_AUTOTICKS, L"TacTrackWnd"},
        {L"edit", WS_VISIBLE | WS_BORDER, L"TacEditWnd"},
        {L"listbox", WS_VISIBLE | WS_BORDER | WS_VSCROLL, L"TacEditWnd"},
        {L"syslistview32", WS_VISIBLE | LVS_REPORT, L"TacListViewWnd"},
        {L"systabcontrol32", WS_VISIBLE, L"TacTabControlWnd"},
        {L"msctls_updown32", WS_VISIBLE, L"TacSpinWnd"},
        {L"static", WS_VISIBLE | SS_LEFT, L"TacStaticWnd"},
        {L"static", WS_VISIBLE | SS_SIMPLE, L"TacStaticWnd"},
        {L"button", WS_VISIBLE | BS_PUSHBUTTON, L"TacBtnWnd"},
        {L"button", WS_VISIBLE | BS_DEFPUSHBUTTON, L"TacBtnWnd"},
        {L"button", WS_VISIBLE | BS_SPLITBUTTON, L"TacSplitBtnWnd"},
    };
    DialogTemplate tpl;
    short y = 4;
    for (const Row& r : rows) {
        tpl.Add(r.Class, r.Style, 0, 4, y, 120, 14);
        y += 18;
    }
    HWND dlg = Keep(tpl.Create(form->Handle()));
    ASSERT_NE(dlg, nullptr);
    TacProvider* provider = ProviderOf(dlg);
    ASSERT_NE(provider, nullptr);
    ShowWindow(dlg, SW_SHOW);
    ASSERT_TRUE(PumpUntil([&] { return provider->ListSW && provider->ListSW->Initialized; }));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        HWND item = GetDlgItem(dlg, static_cast<int>(100 + i));
        ASSERT_NE(item, nullptr);
        const TacMainWnd* made = nullptr;
        for (const auto& w : provider->acSkinnedCtrls)
            if (w && w->CtrlHandle == item) made = w.get();
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->ClassName(), UnicodeString(rows[i].Wrapper));
        if (const auto* spin = dynamic_cast<const TacSpinWnd*>(made)) {
            EXPECT_EQ(spin->lOffset, 2) << "beside its buddy";
        }
    }
}

TEST_F(DialsTest, ACheckBoxWithTextOnTheLeftIsNoPushButton)
{
    RecordingFactories recording;
    HWND dlg = Keep(DialogTemplate(WS_POPUP | WS_CAPTION | DS_SETFONT, 120, 60).Create(form->Handle()));
    TacProvider* provider = ProviderOf(dlg);
    ASSERT_NE(provider, nullptr);
    HWND box = CreateWindowExW(0, L"button", L"left", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | BS_LEFTTEXT, 4, 4, 80, 14,
                               dlg, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(provider->AddControl(box));
    TRecordedWrapper* w = RecordedWrapperOf(box);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Kind, TacWrapperKind::CheckBox);
}

TEST_F(DialsTest, ADropDownListOfItsOwnGetsTheEditWrapper)
{
    RecordingFactories recording;
    HWND dlg = Keep(DialogTemplate(WS_POPUP | WS_CAPTION | DS_SETFONT, 120, 60).Create(form->Handle()));
    TacProvider* provider = ProviderOf(dlg);
    ASSERT_NE(provider, nullptr);
    HWND list = CreateWindowExW(0, L"ComboLBox", L"", WS_CHILD | WS_VISIBLE, 4, 4, 80, 40, dlg, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    provider->ListSW->FWMPaintForbidden = true;
    EXPECT_TRUE(provider->AddControl(list));
    TRecordedWrapper* w = RecordedWrapperOf(list);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Kind, TacWrapperKind::Edit);
    EXPECT_EQ(w->Section, L"COMBOBOX");
    EXPECT_FALSE(provider->ListSW->FWMPaintForbidden);
    EXPECT_FALSE(provider->AddControl(nullptr));
}

TEST_F(DialsTest, AKindWithoutItsWrapperWrapsNothing)
{
    // No recording factories: the kinds whose wrappers are not built make nothing, and the
    // walk goes on.
    const TacWrapperFactory saved = acSetWrapperFactory(TacWrapperKind::Btn, nullptr);
    HWND dlg = Keep(DialogTemplate(WS_POPUP | WS_CAPTION | DS_SETFONT, 120, 60).Create(form->Handle()));
    TacProvider* provider = ProviderOf(dlg);
    ASSERT_NE(provider, nullptr);
    HWND button = CreateWindowExW(0, L"Button", L"b", WS_CHILD | WS_VISIBLE, 4, 4, 40, 20, dlg, nullptr, nullptr, nullptr);
    EXPECT_TRUE(provider->InitHwndControls(dlg));
    EXPECT_TRUE(provider->acSkinnedCtrls.empty());
    EXPECT_FALSE(WndIsSkinned(button));
    EXPECT_FALSE(acDlgMode);
    acSetWrapperFactory(TacWrapperKind::Btn, saved);
}

TEST_F(DialsTest, DescendantsAreWrappedBeforeTheirParents)
{
    RecordingFactories recording;
    HWND dlg = Keep(DialogTemplate(WS_POPUP | WS_CAPTION | DS_SETFONT, 200, 100).Create(form->Handle()));
    TacProvider* provider = ProviderOf(dlg);
    ASSERT_NE(provider, nullptr);
    HWND panel = CreateWindowExW(0, L"TPanel", L"", WS_CHILD | WS_VISIBLE, 4, 4, 150, 80, dlg, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    HWND inner = CreateWindowExW(0, L"Button", L"in", WS_CHILD | WS_VISIBLE, 4, 4, 60, 20, panel, nullptr, nullptr, nullptr);
    HWND after = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 4, 90, 60, 20, dlg, nullptr, nullptr, nullptr);
    EXPECT_TRUE(provider->InitHwndControls(dlg));
    const auto& order = RecordedOrder();
    ASSERT_EQ(order.size(), 3u);
    const auto at = [&](HWND w) {
        return std::find_if(order.begin(), order.end(), [w](const auto& e) { return e.second == w; }) - order.begin();
    };
    EXPECT_LT(at(inner), at(panel)) << "a child before its parent";
    EXPECT_EQ(order[static_cast<size_t>(at(after))].first, TacWrapperKind::Static);
    EXPECT_FALSE(acDlgMode);
}

TEST_F(DialsTest, AFrameworkPanelsLabelsTurnTransparentBeforeItsWindowedChildrenAreWrapped)
{
    RecordingFactories recording;
    HWND dlg = Keep(DialogTemplate(WS_POPUP | WS_CAPTION | DS_SETFONT, 200, 100).Create(form->Handle()));
    TacProvider* provider = ProviderOf(dlg);
    ASSERT_NE(provider, nullptr);
    auto* panel = new TPanel(form);
    panel->SetParentWindow(dlg);
    panel->SetBounds(4, 4, 180, 80);
    auto* label = new TLabel(panel);
    label->SetParent(panel);
    label->SetTransparent(false);
    label->Font()->SetColor(clBlack);
    auto* edit = new TButton(panel);
    edit->SetParent(panel);
    edit->SetBounds(4, 30, 80, 22);
    ASSERT_TRUE(panel->HandleAllocated() || (panel->HandleNeeded(), panel->HandleAllocated()));
    bool labelReadyFirst = false;
    OnRecordedWrapper() = [&](TRecordedWrapper& w) {
        if (w.CtrlHandle == edit->Handle())
            labelReadyFirst = label->Transparent() && label->Font()->Color() == manager->GetGlobalFontColor();
    };

    EXPECT_TRUE(provider->AddControl(panel->Handle()));
    TRecordedWrapper* w = RecordedWrapperOf(panel->Handle());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Kind, TacWrapperKind::Panel);
    EXPECT_EQ(w->Control, panel);
    ASSERT_NE(RecordedWrapperOf(edit->Handle()), nullptr) << "the panel's windowed child is wrapped with it";
    EXPECT_TRUE(labelReadyFirst);
    EXPECT_EQ(panel->Color(), manager->GetGlobalColor());
    EXPECT_FALSE(acDlgMode);
    provider->acSkinnedCtrls.clear();
    delete panel;
}

TEST_F(DialsTest, TaggedPanelsLoseTheirCaption)
{
    RecordingFactories recording;
    HWND dlg = Keep(DialogTemplate(WS_POPUP | WS_CAPTION | DS_SETFONT, 200, 100).Create(form->Handle()));
    TacProvider* provider = ProviderOf(dlg);
    ASSERT_NE(provider, nullptr);
    // A framework control of the silent-paint class: its window class is its class name.
    class TSilentPaintPanel : public TPanel {
    public:
        using TPanel::TPanel;
        UnicodeString ClassName() const override { return L"TSilentPaintPanel"; }
    };
    auto* panel = new TSilentPaintPanel(form);
    panel->SetParentWindow(dlg);
    panel->SetCaption(L"band");
    panel->HandleNeeded();
    ASSERT_EQ(LowerCase(GetWndClassName(panel->Handle())), L"tsilentpaintpanel");
    EXPECT_TRUE(provider->AddControl(panel->Handle()));
    TRecordedWrapper* w = RecordedWrapperOf(panel->Handle());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Section, L"GROUPBOX");
    EXPECT_EQ(panel->Tag(), 999);
    EXPECT_EQ(panel->Caption(), L"");
    EXPECT_TRUE(w->SkinData->BGChanged);
    provider->acSkinnedCtrls.clear();
    delete panel;
}

// ---------------------------------------------------------------------------------------------
// Which windows are skinned

TEST_F(DialsTest, AMessageBoxGetsAProviderWithADialogWrapper)
{
    RecordingFactories recording;
    HWND box = nullptr;
    manager->OnSysDlgInit = [&](const TacSysDlgData& data, bool& allow) {
        box = data.WindowHandle;
        EXPECT_TRUE(allow);
    };
    ModalCloser closer;
    MessageBoxW(form->Handle(), L"Skinned?", L"Box", MB_OK);
    manager->OnSysDlgInit = nullptr;
    ASSERT_NE(box, nullptr);
    TacProvider* provider = ProviderOf(box);
    ASSERT_NE(provider, nullptr);
    ASSERT_NE(provider->ListSW, nullptr);
    EXPECT_TRUE(provider->ListSW->Initialized);
    EXPECT_TRUE(provider->ListSW->Destroyed) << "the box is gone";
    EXPECT_TRUE(std::any_of(provider->acSkinnedCtrls.begin(), provider->acSkinnedCtrls.end(), [](const auto& w) {
        auto* r = dynamic_cast<TRecordedWrapper*>(w.get());
        return r && r->Kind == TacWrapperKind::Btn;
    })) << "its button was wrapped";
    CleanSupportedList();
    EXPECT_EQ(ProviderOf(box), nullptr) << "a gone dialog's provider is freed";
}

// While the box shows, a thread timer looks at its wrappers once they are made, keeps a picture
// and closes the box.
struct TBoxLook {
    HWND Box = nullptr;
    std::vector<UnicodeString> Wrappers; // ClassName() of each child's wrapper
    std::unique_ptr<TBitmap> Picture;
};
TBoxLook* gBoxLook = nullptr;

void CALLBACK LookAtBox(HWND, UINT, UINT_PTR, DWORD)
{
    TBoxLook* look = gBoxLook;
    if (!look || !look->Box || !IsWindowVisible(look->Box) || look->Picture) return;
    TacProvider* provider = ProviderOf(look->Box);
    if (!provider || !provider->ListSW || !provider->ListSW->Initialized) return;
    for (const auto& w : provider->acSkinnedCtrls)
        if (w) look->Wrappers.push_back(w->ClassName());
    RedrawWindow(look->Box, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT r{};
    GetWindowRect(look->Box, &r);
    look->Picture = std::make_unique<TBitmap>(r.right - r.left, r.bottom - r.top, pf32bit);
    HDC dc = GetWindowDC(look->Box);
    BitBlt(look->Picture->Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, dc, 0, 0, SRCCOPY);
    ReleaseDC(look->Box, dc);
    GdiFlush();
    PostMessageW(look->Box, WM_COMMAND, IDOK, 0);
}

TEST_F(DialsTest, AMessageBoxShowsItsTextAndButtonsSkinned)
{
    TBoxLook look;
    gBoxLook = &look;
    manager->OnSysDlgInit = [&](const TacSysDlgData& data, bool&) { look.Box = data.WindowHandle; };
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &LookAtBox);
    MessageBoxW(form->Handle(), L"Skinned text of the box", L"Box", MB_OKCANCEL);
    KillTimer(nullptr, timer);
    manager->OnSysDlgInit = nullptr;
    gBoxLook = nullptr;
    ASSERT_TRUE(look.Picture);
    SaveEnlargedPng(*look.Picture, L"messagebox_skinned.png", 2);
    const auto count = [&](const wchar_t* name) { return std::count(look.Wrappers.begin(), look.Wrappers.end(), UnicodeString(name)); };
    EXPECT_GE(count(L"TacStaticWnd"), 1) << "its text";
    EXPECT_EQ(count(L"TacBtnWnd"), 2) << "OK and Cancel";
    CleanSupportedList();
}

TEST_F(DialsTest, ForeignTopLevelWindowsAreSkinnedOnlyWhenAllowed)
{
    TsSkinManager* const theManager = manager.get();
    const TacSkinningRules rules = theManager->SkinningRules();
    struct DialogCase {
        const char* Name;
        std::function<void()> Arrange;
        bool Skinned;
    };
    const std::vector<DialogCase> cases{
        {"a dialog", [] {}, true},
        {"no default manager", [] { DefaultManager = nullptr; }, false},
        {"standard dialogs not skinned", [=] { theManager->SetSkinningRules({srStdForms, srThirdParty}); }, false},
        {"the event refuses",
         [=] { theManager->OnSysDlgInit = [](const TacSysDlgData&, bool& allow) { allow = false; }; }, false},
        {"enough skinned dialogs shown",
         [this] {
             ac_DialogsLevel = 1;
             ASSERT_NE(ProviderOf(ShowEmptyDialog()), nullptr);
         },
         false},
    };
    for (const DialogCase& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Arrange();
        HWND dlg = Keep(DialogTemplate(WS_POPUP | WS_CAPTION | DS_SETFONT, 120, 60).Create(form->Handle()));
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(ProviderOf(dlg) != nullptr, c.Skinned);
        EXPECT_EQ(WndIsSkinned(dlg), c.Skinned);
        DefaultManager = theManager;
        theManager->SetSkinningRules(rules);
        theManager->OnSysDlgInit = nullptr;
        ac_DialogsLevel = 2;
        for (HWND w : windows_)
            if (IsWindow(w)) DestroyWindow(w);
        windows_.clear();
        CleanSupportedList();
    }
}

TEST_F(DialsTest, PastTheDialogsLevelOnlyADialogWithAToolBarIsSkinned)
{
    ShowEmptyDialog();
    ShowEmptyDialog();
    ASSERT_EQ(acSupportedList.size(), 2u);
    DialogTemplate withBar(WS_POPUP | WS_CAPTION | DS_SETFONT, 160, 80);
    withBar.Add(L"ToolbarWindow32", WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN, 0, 4, 4, 100, 20);
    HWND third = Keep(withBar.Create(form->Handle()));
    HWND plain = Keep(DialogTemplate(WS_POPUP | WS_CAPTION | DS_SETFONT, 120, 60).Create(form->Handle()));
    // At creation neither has children yet; once its tool bar exists (at its activation, or when
    // asked again) the third one counts.
    if (!ProviderOf(third)) {
        EXPECT_TRUE(AddSupportedForm(third));
    }
    EXPECT_NE(ProviderOf(third), nullptr);
    EXPECT_FALSE(AddSupportedForm(plain));
    EXPECT_EQ(ProviderOf(plain), nullptr);
    EXPECT_FALSE(AddSupportedForm(third)) << "already skinned";
    EXPECT_EQ(ProvidersOf(third), 1);
}

TEST_F(DialsTest, TheHookSkinsTopLevelWindowsOfForeignClassesByName)
{
    struct ClassCase {
        const wchar_t* Class;
        DWORD ExStyle;
        bool Skinned;
    };
    const ClassCase cases[]{
        {L"NativeHWNDHost", WS_EX_TOOLWINDOW, true},
        {L"NativeHWNDHost", 0, false}, // no extended style: left alone
        {L"TPUtilWindow", WS_EX_TOOLWINDOW, false},
        {L"MarlindoOtherClass", WS_EX_TOOLWINDOW, false},
    };
    for (const ClassCase& c : cases) {
        SCOPED_TRACE(std::string(c.Class, c.Class + wcslen(c.Class)));
        HWND w = Keep(CreateWindowExW(c.ExStyle, c.Class, L"", WS_POPUP, 10, 10, 50, 50, form->Handle(), nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(ProviderOf(w) != nullptr, c.Skinned);
    }
}

TEST_F(DialsTest, AShellViewDialogIsSkinnedButItsChildrenAreNot)
{
    RecordingFactories recording;
    DialogTemplate shell(WS_POPUP | WS_CAPTION | DS_SETFONT, 160, 80);
    shell.Add(L"DUIViewWndClassName", WS_VISIBLE, 0, 4, 4, 100, 40);
    shell.Add(L"Button", WS_VISIBLE, 0, 4, 50, 40, 14);
    HWND dlg = Keep(shell.Create(form->Handle()));
    TacProvider* provider = ProviderOf(dlg);
    ASSERT_NE(provider, nullptr);
    EXPECT_FALSE(provider->ListSW->CanSkin());
    ShowWindow(dlg, SW_SHOW);
    Command(dlg, 28);
    PumpUntil([] { return false; }, 0);
    EXPECT_TRUE(provider->acSkinnedCtrls.empty());
    EXPECT_FALSE(provider->ListSW->Initialized);
}

DWORD XPVersion() { return 0x0105; } // 5.1
bool NoWorkstationVersion(DWORD&, DWORD&) { return false; }

TEST_F(DialsTest, PopUpMenuWindowsGetTheMenuWrapperOnWindowsVistaAndLater)
{
    RecordingFactories recording;
    struct MenuCase {
        const char* Name;
        bool Vista;
        bool SkinnedPopups;
        bool Wrapped;
    };
    const TWinVerSources xp{&XPVersion, &NoWorkstationVersion};
    for (const MenuCase& c : {MenuCase{"Vista and later", true, true, true}, MenuCase{"before Vista", false, true, false},
                              MenuCase{"pop-ups not skinned", true, false, false}}) {
        SCOPED_TRACE(c.Name);
        SetWinVerSources(c.Vista ? nullptr : &xp);
        InitWinVer();
        ASSERT_EQ(IsWinVistaUp(), c.Vista);
        manager->SetSkinnedPopups(c.SkinnedPopups);
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 1, L"Item");
        {
            ModalCloser closer;
            TrackPopupMenu(menu, TPM_RETURNCMD, 120, 120, 0, form->Handle(), nullptr);
        }
        DestroyMenu(menu);
        if (c.Wrapped) {
            ASSERT_EQ(MnuArray.size(), 1u);
            auto* w = dynamic_cast<TRecordedWrapper*>(MnuArray[0]);
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->Kind, TacWrapperKind::Mnu);
            EXPECT_EQ(w->Section, L"MAINMENU");
            EXPECT_FALSE(w->Repaint);
            EXPECT_TRUE(w->Params.UseSkinColor && w->Params.UseSkinFontColor) << "the defaults of the dispatch";
            EXPECT_EQ(w->Params.VertScrollSize, -1);
            EXPECT_EQ(w->Params.HorzScrollBtnSize, -1);
            EXPECT_EQ(w->Params.Control, nullptr);
            EXPECT_NE(w->CtrlHandle, nullptr);
        } else {
            EXPECT_TRUE(MnuArray.empty());
        }
        ClearMnuArray();
        EXPECT_TRUE(MnuArray.empty());
    }
    SetWinVerSources(nullptr);
    InitWinVer();
    manager->SetSkinnedPopups(true);
}

// ---------------------------------------------------------------------------------------------
// Framework forms

TEST_F(DialsTest, AFormWithoutProviderIsSkinnedWhenActivatedNotWhenCreated)
{
    struct FormCase {
        const wchar_t* Class;
        const wchar_t* Section;
    };
    for (const FormCase& c : {FormCase{L"TMessageForm", L"DIALOG"}, FormCase{L"TInputQueryForm", L"DIALOG"},
                              FormCase{L"TOtherForm", L"FORM"}}) {
        SCOPED_TRACE(std::string(c.Class, c.Class + wcslen(c.Class)));
        auto* f = new TNamedForm(c.Class);
        f->SetBounds(100, 100, 200, 120);
        f->HandleNeeded();
        EXPECT_EQ(ProviderOf(f->Handle()), nullptr) << "untouched while created";
        EXPECT_EQ(FormProvider(f), nullptr);
        f->Show();
        ASSERT_TRUE(PumpUntil([&] { return FormProvider(f) != nullptr; }));
        TsSkinProvider* sp = FormProvider(f);
        EXPECT_TRUE(sp->RTInit);
        EXPECT_FALSE(sp->UseGlobalColor());
        EXPECT_FALSE(sp->MakeSkinMenu);
        EXPECT_EQ(sp->SkinData()->SkinSection(), c.Section);
        TacProvider* provider = ProviderOf(f->Handle());
        ASSERT_NE(provider, nullptr);
        EXPECT_EQ(provider->sp, sp);
        EXPECT_EQ(provider->Owner(), f);
        EXPECT_EQ(provider->ListSW, nullptr);
        EXPECT_FALSE(AddSupportedForm(f->Handle())) << "once";
        const HWND handle = f->Handle();
        delete f;
        EXPECT_EQ(ProviderOf(handle), nullptr) << "the form took its provider along";
        CleanSupportedList();
    }
}

TEST_F(DialsTest, FrameworkFormsAreRefusedByTagSkipListAndRules)
{
    ASSERT_TRUE(ThirdPartySkipForms && ThirdPartySkipForms->Count() > 1);
    const UnicodeString skipped = ThirdPartySkipForms->Strings(0);
    // Another entry: window class names are registered case-insensitively.
    const UnicodeString otherSkipped = ThirdPartySkipForms->Strings(1);
    struct FormCase {
        const char* Name;
        UnicodeString Class;
        intptr_t Tag;
        TacSkinningRules Rules;
        bool Result;
        bool Skinned;
    };
    const TacSkinningRules all{srStdForms, srStdDialogs, srThirdParty};
    const std::vector<FormCase> cases{
        {"plain form", L"TPlainForm", 0, all, true, true},
        {"except tag", L"TPlainForm", ExceptTag | 1, all, true, false},
        {"part of except tag", L"TPlainForm", 1, all, true, true},
        {"skip list", skipped, 0, all, false, false},
        {"skip list is case-sensitive", UpperCase(otherSkipped), 0, all, true, true},
        {"forms not skinned", L"TPlainForm", 0, {srStdDialogs}, false, false},
        {"message form without dialogs", L"TMessageForm", 0, {srStdForms}, false, false},
        {"message form with dialogs only", L"TMessageForm", 0, {srStdDialogs}, true, true},
    };
    for (const FormCase& c : cases) {
        SCOPED_TRACE(c.Name);
        // Shown while forms are not skinned, so only the direct call decides.
        manager->SetSkinningRules({});
        auto* f = new TNamedForm(c.Class);
        f->SetTag(c.Tag);
        f->SetBounds(100, 100, 200, 120);
        f->Show();
        PumpUntil([] { return false; }, 0);
        ASSERT_EQ(ProviderOf(f->Handle()), nullptr);
        manager->SetSkinningRules(c.Rules);
        EXPECT_EQ(AddSupportedForm(f->Handle()), c.Result);
        EXPECT_EQ(FormProvider(f) != nullptr, c.Skinned);
        delete f;
        CleanSupportedList();
    }
    manager->SetSkinningRules(all);
}

TEST_F(DialsTest, AFormIsRepaintedWithAndWithoutComposition)
{
    for (bool aero : {true, false}) {
        SCOPED_TRACE(aero ? "composition" : "no composition");
        SetAeroIsEnabledOverride(aero);
        manager->SetSkinningRules({});
        auto* f = new TNamedForm(L"TPlainForm");
        f->SetBounds(100, 100, 200, 120);
        f->Show();
        PumpUntil([] { return false; }, 0);
        manager->SetSkinningRules({srStdForms, srStdDialogs, srThirdParty});
        RecordingSubclass log(f->Handle());
        ASSERT_TRUE(AddSupportedForm(f->Handle()));
        const int direct = log.Log.CountIf([](const RecordedMessage& m) { return m.Msg == WM_NCPAINT && m.WParam == 0; });
        EXPECT_EQ(direct > 0, aero) << "a frame paint sent at once only under composition";
        if (!aero) {
            EXPECT_TRUE(PumpUntil([&] { return log.Log.Count(WM_NCPAINT) > 0; })) << "the frame is invalidated";
        }
        log.Remove();
        delete f;
        CleanSupportedList();
    }
}

// ---------------------------------------------------------------------------------------------
// Printing and the lists

// A child that notes what it is sent while printed: the command and the DC's origin.
struct PrintNote {
    HWND Wnd;
    UINT Msg;
    WORD Code; // command code (SM_ALPHACMD) and its low word
    WORD Low;
    POINT Origin;
};
std::vector<PrintNote>& PrintNotes()
{
    static std::vector<PrintNote> notes;
    return notes;
}
LRESULT CALLBACK PrintProbeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PRINT || (msg == SM_ALPHACMD && AlphaCmdCode(wp) == AC_PRINTING)) {
        POINT org{};
        GetViewportOrgEx(msg == WM_PRINT ? reinterpret_cast<HDC>(wp) : reinterpret_cast<HDC>(lp), &org);
        PrintNotes().push_back({w, msg, msg == SM_ALPHACMD ? AlphaCmdCode(wp) : WORD{0}, LOWORD(wp), org});
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

TEST_F(DialsTest, ChildrenArePrintedInZOrderAtTheirPlaceInPrintMode)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &PrintProbeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DialsPrintProbe";
    RegisterClassW(&wc);
    HWND dlg = Keep(DialogTemplate(WS_POPUP | WS_CAPTION | DS_SETFONT, 200, 100).Create(form->Handle()));
    TacProvider* provider = ProviderOf(dlg);
    ASSERT_NE(provider, nullptr);
    const auto probe = [&](HWND parent, int x, int y, DWORD visible) {
        return CreateWindowExW(0, L"DialsPrintProbe", L"", WS_CHILD | visible, x, y, 40, 30, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    };
    HWND first = probe(dlg, 10, 20, WS_VISIBLE);
    HWND inner = probe(first, 3, 4, WS_VISIBLE);
    HWND hidden = probe(dlg, 60, 20, 0);
    HWND last = probe(dlg, 110, 30, WS_VISIBLE);
    SetWindowPos(first, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(last, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    PrintNotes().clear();
    auto bitmap = std::make_unique<TBitmap>(200, 200, pf32bit);
    HDC dc = bitmap->Canvas()->Handle();
    SetViewportOrgEx(dc, 5, 7, nullptr);
    provider->PrintHwndControls(dlg, dc);
    POINT after{};
    GetViewportOrgEx(dc, &after);
    EXPECT_EQ(after.x, 5);
    EXPECT_EQ(after.y, 7) << "the DC comes back as it was";

    const std::vector<std::tuple<HWND, UINT, WORD, WORD, int, int>> expected{
        {first, SM_ALPHACMD, AC_PRINTING, 1, 15, 27}, {first, WM_PRINT, 0, 0, 15, 27},
        {first, SM_ALPHACMD, AC_PRINTING, 0, 15, 27}, {inner, SM_ALPHACMD, AC_PRINTING, 1, 18, 31},
        {inner, WM_PRINT, 0, 0, 18, 31},              {inner, SM_ALPHACMD, AC_PRINTING, 0, 18, 31},
        {last, SM_ALPHACMD, AC_PRINTING, 1, 115, 37}, {last, WM_PRINT, 0, 0, 115, 37},
        {last, SM_ALPHACMD, AC_PRINTING, 0, 115, 37},
    };
    ASSERT_EQ(PrintNotes().size(), expected.size()) << "the hidden child is not printed";
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const PrintNote& n = PrintNotes()[i];
        const auto& [wnd, msg, code, low, x, y] = expected[i];
        EXPECT_EQ(n.Wnd, wnd);
        EXPECT_EQ(n.Msg, msg);
        EXPECT_EQ(n.Code, code);
        if (msg == SM_ALPHACMD) {
            EXPECT_EQ(n.Low, low);
        }
        EXPECT_EQ(n.Origin.x, x);
        EXPECT_EQ(n.Origin.y, y);
    }
    EXPECT_NE(hidden, nullptr);
}

TEST_F(DialsTest, TheListsHaveOneOwner)
{
    HWND gone = ShowEmptyDialog();
    HWND kept = ShowEmptyDialog();
    auto* f = new TNamedForm(L"TPlainForm");
    f->SetBounds(100, 100, 200, 120);
    f->Show();
    ASSERT_TRUE(PumpUntil([&] { return ProviderOf(f->Handle()) != nullptr; }));
    ASSERT_NE(ProviderOf(gone), nullptr);
    DestroyWindow(gone);
    EXPECT_TRUE(ProviderOf(gone)->ListSW->Destroyed);

    CleanSupportedList();
    EXPECT_EQ(ProviderOf(gone), nullptr) << "its dialog is gone";
    EXPECT_EQ(ProviderOf(f->Handle()), nullptr) << "a form's provider has done its work";
    EXPECT_NE(FormProvider(f), nullptr) << "the skin provider stays with the form";
    ASSERT_NE(ProviderOf(kept), nullptr);
    EXPECT_EQ(acSupportedList.size(), 1u);

    // Freed once, whichever comes first: the list's routine or the manager's hook removal.
    FreeSupportedList();
    EXPECT_TRUE(acSupportedList.empty());
    EXPECT_FALSE(WndIsSkinned(kept)) << "the dialog got its procedure back";
    FreeSupportedList();
    manager->SetActive(false);
    EXPECT_TRUE(acSupportedList.empty());
    delete f;

    MnuArray.push_back(new TacMainWnd());
    ClearMnuArray();
    EXPECT_TRUE(MnuArray.empty());
}

TEST_F(DialsTest, TheWrapperKindOfEachFrameworkKind)
{
    const std::vector<std::pair<TacThirdPartyTypes, TacWrapperKind>> table{
        {tpEdit, TacWrapperKind::Edit},           {tpButton, TacWrapperKind::Button},
        {tpBitBtn, TacWrapperKind::BitBtn},       {tpCheckBox, TacWrapperKind::CheckBox},
        {tpComboBox, TacWrapperKind::ComboBox},   {tpGrid, TacWrapperKind::Grid},
        {tpGroupBox, TacWrapperKind::GroupBox},   {tpListView, TacWrapperKind::ListView},
        {tpPanel, TacWrapperKind::Panel},         {tpTreeView, TacWrapperKind::TreeView},
        {tpwwEdit, TacWrapperKind::WWComboBox},   {tpGridEh, TacWrapperKind::GridEh},
        {tpVirtualTree, TacWrapperKind::VirtualTreeView}, {tpPageControl, TacWrapperKind::PageControl},
        {tpTabControl, TacWrapperKind::TabControl}, {tpToolBar, TacWrapperKind::ToolBarVCL},
        {tpStatusBar, TacWrapperKind::StatusBar}, {tpSpeedButton, TacWrapperKind::Edit},
        {tpScrollControl, TacWrapperKind::ScrollBox}, {tpUpDownBtn, TacWrapperKind::Spin},
        {tpScrollBar, TacWrapperKind::SB},        {tpStaticText, TacWrapperKind::StaticText},
        {tpNativePaint, TacWrapperKind::NativePaint},
    };
    ASSERT_EQ(table.size(), static_cast<size_t>(acThirdPartyTypesCount));
    RecordingFactories recording;
    for (const auto& [type, kind] : table) {
        SCOPED_TRACE(static_cast<int>(type));
        EXPECT_EQ(acThirdPartyWrapperKind(type), kind);
        HWND w = Keep(CreateWindowExW(0, L"MarlindoOtherClass", L"", WS_CHILD, 0, 0, 10, 10, form->Handle(), nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
        std::unique_ptr<TacMainWnd> made(CreateThirdPartyWrapper(type, w, nullptr, manager.get(), TacSkinParams{}, false));
        auto* r = dynamic_cast<TRecordedWrapper*>(made.get());
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->Kind, kind);
    }
    // Outside the table: nothing.
    EXPECT_EQ(CreateThirdPartyWrapper(static_cast<TacThirdPartyTypes>(acThirdPartyTypesCount), form->Handle(), nullptr,
                                      manager.get(), TacSkinParams{}, false),
              nullptr);
}

} // namespace
