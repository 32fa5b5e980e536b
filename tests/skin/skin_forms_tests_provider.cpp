// The provider component: creation on a form (and on what is no form), the automatic and the
// duplicate provider, loading, destruction, the alignment side of the form state, the unit's
// start-up, and the scale change that fails half way.
#include "skin_forms_test_support.h"

#include "ExtCtrls.h"
#include "Files.h"
#include "acntUtils.h"
#include "sFormStates.h"
#include "sStyleSimply.h"

#include <algorithm>

TEST_F(SkinFormsTest, CreationOnFormsAndOnWhatIsNoForm)
{
    // Not a form: one alert, nothing taken over, every setting still usable.
    {
        TComponent owner(nullptr);
        auto* provider = new TsSkinProvider(&owner);
        ASSERT_EQ(RecordedDialogs().size(), 1u);
        EXPECT_EQ(RecordedDialogs()[0].Text, L"TsSkinProvider component may be used with forms only!");
        EXPECT_EQ(provider->Form, nullptr);
        provider->SetCaptionAlignment(taCenter);
        provider->SetDisabledBlendValue(100);
        provider->SetDisabledBlendColor(0x123456);
        provider->SetBoolean(3, false);
        provider->AddedTitle()->SetText(L"more");
        provider->FormHeader()->SetAdditionalHeight(8);
        provider->TitleButtons()->Add()->SetVisible(false);
        provider->SystemBlur()->SetActive(true);
        provider->InitIndexes();
        provider->PrepareForm();
        provider->LoadInit();
        EXPECT_EQ(provider->FormHeader()->ScaledAddHeight(), 8);
        EXPECT_EQ(RecordedDialogs().size(), 1u) << "the alert is shown once";
    }

    // A dropped provider takes the window procedure; a second one stays inert.
    auto* f = new TLoggedForm(Application);
    const TWndMethod own = f->WindowProc;
    f->HandleNeeded();
    auto* first = new TsSkinProvider(f);
    EXPECT_EQ(first->Form, f);
    EXPECT_FALSE(f->WindowProc == own);
    EXPECT_TRUE(first->OldWndProc == own);
    auto* second = new TsSkinProvider(f);
    EXPECT_TRUE(second->RTEmpty);
    EXPECT_FALSE(first->RTEmpty);
    EXPECT_EQ(GetSkinProvider(f), first);
    const auto registered = [f] { return std::count(HookedComponents.begin(), HookedComponents.end(), f); };
    EXPECT_EQ(registered(), 1);
    delete second;
    EXPECT_EQ(GetSkinProvider(f), first) << "the inert one leaves the form alone when it goes";
    EXPECT_EQ(registered(), 1) << "and the form stays registered as skinned";
    delete f;
    EXPECT_TRUE(RecordedDialogs().size() == 1u) << "no message at run time";

    // An automatic provider gives way to a dropped one, which takes its saved border style.
    f = new TLoggedForm(Application);
    f->HandleNeeded();
    auto* automatic = new TsSkinProvider(f, true);
    EXPECT_TRUE(automatic->RTInit);
    automatic->FluentBorderStyle = bsSingle;
    const int components = f->ComponentCount();
    auto* dropped = new TsSkinProvider(f);
    EXPECT_FALSE(dropped->RTEmpty);
    EXPECT_EQ(dropped->FluentBorderStyle, bsSingle);
    EXPECT_EQ(f->ComponentCount(), components) << "the automatic provider is gone";
    EXPECT_EQ(GetSkinProvider(f), dropped);
    EXPECT_TRUE(dropped->OldWndProc == TWndMethod(static_cast<TControl*>(f), &TControl::WndProc))
        << "the form's own procedure came back before the dropped one took it";
    delete f;
    EXPECT_EQ(GetSkinProvider(nullptr), nullptr);
}

TEST_F(SkinFormsTest, TheFormKeepsItsOwnScalingOnlyUnderTheFrameworksMode)
{
    struct Case {
        TacScaleMode mode;
        bool scaled;
    };
    for (const Case& c : {Case{smVCL, true}, Case{sm150, false}, Case{smOldMode, false}}) {
        TsSkinManager m(nullptr);
        m.Options()->SetScaleMode(c.mode);
        ASSERT_EQ(DefaultManager, &m);
        auto* f = new TLoggedForm(Application);
        new TsSkinProvider(f);
        EXPECT_EQ(f->Scaled(), c.scaled) << int(c.mode);
        delete f;
        DefaultManager = nullptr;
    }
}

TEST_F(SkinFormsTest, LoadInitOfAToolWindowAndIndexesWithoutManager)
{
    TSpyProvider& provider = ProvidedForm();
    provider.FCaptionSkinIndex = provider.FHeaderIndex = provider.FTitleSkinIndex = 5;
    provider.InitIndexes();
    EXPECT_EQ(provider.FCaptionSkinIndex, -1);
    EXPECT_EQ(provider.FHeaderIndex, -1);
    EXPECT_EQ(provider.FTitleSkinIndex, -1);

    TsSkinManager& m = UseHouseSkin();
    form->SetBorderStyle(bsSizeToolWin);
    provider.SetBoolean(3, false);
    provider.LoadInit();
    EXPECT_FALSE(provider.AllowBlendOnMoving);
    EXPECT_TRUE(provider.UseGlobalColor());
    EXPECT_TRUE(provider.FCommonData->Skinned()) << "the FORM section";
    EXPECT_EQ(provider.FCommonData->SkinIndex, m.GetSkinIndex(L"FORM"));
    EXPECT_TRUE(provider.SystemMenu);
    EXPECT_FALSE(provider.ClearButtons);
    EXPECT_EQ(GetClassLongPtrW(form->Handle(), GCLP_HBRBACKGROUND), reinterpret_cast<LONG_PTR>(m.Brushes[0]));
    provider.PrepareForm();
    EXPECT_EQ(form->Color(), m.GetGlobalColor()) << "the form takes the skin's colour";

    // The skin goes: the class brush is the system's button face again.
    SendMessageW(form->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_REMOVESKIN), reinterpret_cast<LPARAM>(&m));
    EXPECT_EQ(GetClassLongPtrW(form->Handle(), GCLP_HBRBACKGROUND),
              reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
    EXPECT_EQ(form->Color(), clBtnFace);
    EXPECT_EQ(provider.FTitleSkinIndex, -1);
}

TEST_F(SkinFormsTest, AfterDestructionMessagesReachOnlyTheFormsOwnProcedure)
{
    form = new TLoggedForm(Application);
    form->SetBounds(60, 60, 200, 150);
    const TWndMethod own = form->WindowProc;
    auto* provider = new TSpyProvider(form);
    form->Show();
    UseHouseSkin();
    provider->PrepareForm();
    ASSERT_TRUE(provider->FCommonData->Skinned());
    provider->Swallow = true;
    form->Perform(WM_CONTEXTMENU, 0, 0);
    EXPECT_EQ(provider->Calls.back(), "AC_WMContextMenu");
    EXPECT_EQ(form->Log.Count(WM_CONTEXTMENU), 0);
    delete provider;
    EXPECT_TRUE(form->WindowProc == own);
    SendMessageW(form->Handle(), WM_CONTEXTMENU, 0, 0);
    EXPECT_EQ(form->Log.Count(WM_CONTEXTMENU), 1);
    EXPECT_EQ(SendMessageW(form->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_GETPROVIDER), 0), 0);
    delete form;
    form = nullptr;
}

TEST_F(SkinFormsTest, HiddenAndRestoringStatesHoldTheFormsAlignment)
{
    TSpyProvider& provider = ProvidedForm(300, 200);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetAlign(alClient);
    const int width = panel->Width();
    for (std::uint32_t bit : {FS_HIDDEN, FS_RESTORING}) {
        SCOPED_TRACE(bit);
        provider.SetFormState(bit | FS_CMDSTATE);
        form->SetClientWidth(form->ClientWidth() + 40);
        EXPECT_EQ(panel->Width(), width) << "alignment waits";
        provider.SetFormState(FS_CMDSTATE);
        EXPECT_EQ(panel->Width(), width + 40) << "alignment catches up";
        form->SetClientWidth(form->ClientWidth() - 40);
        EXPECT_EQ(panel->Width(), width);
    }
    // Both bits at once need both cleared.
    provider.SetFormState(FS_HIDDEN | FS_RESTORING);
    form->SetClientWidth(form->ClientWidth() + 20);
    provider.SetFormState(FS_RESTORING);
    EXPECT_EQ(panel->Width(), width);
    provider.SetFormState(0);
    EXPECT_EQ(panel->Width(), width + 20);
}

TEST_F(SkinFormsTest, StartUpFindsTheCompositionEntry)
{
    sSkinProviderInitialization();
    EXPECT_NE(acSetWindowCompositionAttribute(), nullptr) << "present in Wine's user32";
    EXPECT_EQ(IsFluentOS(), IsWin10Up());
    SetIsFluentOSOverride(false);
    EXPECT_FALSE(IsFluentOS());
    sSkinProviderFinalization();
    SetIsFluentOSOverride(std::nullopt);
    EXPECT_FALSE(IsFluentOS()) << "nothing bound after the shut-down";
    sSkinProviderInitialization();
}

TEST_F(SkinFormsTest, AScaleChangeWhoseReloadRaisesLeavesTheFormsUnfrozen)
{
    TSpyProvider& provider = ProvidedForm();
    TsSkinManager& m = UseHouseSkin();
    provider.PrepareForm();
    m.Options()->SetScaleMode(sm100);
    provider.FFormState = 0;
    provider.LockCount = 0;
    provider.RgnChanged = false;
    // The reload meets a broken skin.
    house_skin::Options broken;
    broken.withForm = true;
    broken.malformedDigitField = true;
    ASSERT_TRUE(house_skin::WriteFolder(m.SkinDirectory(), broken));
    EXPECT_THROW(m.Options()->SetScaleMode(sm150), EConvertError);
    EXPECT_EQ(provider.FFormState, 0u) << "not frozen";
    EXPECT_EQ(provider.LockCount, 0) << "redraw is on again";
    EXPECT_TRUE(provider.RgnChanged) << "the region follows the new size";
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

namespace {

// A stand-in for the skin editor's main window: notes the windows announced to it and accepts
// the announcement on the given try.
struct EditorWindow {
    static inline std::vector<LPARAM> announced;
    static inline int acceptOn = 1;
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == SM_SKINEDITOR && wParam == 2) {
            announced.push_back(lParam);
            return static_cast<int>(announced.size()) == acceptOn ? 1 : 0;
        }
        return DefWindowProcW(wnd, msg, wParam, lParam);
    }
    EditorWindow()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.lpszClassName = L"HouseEditorStandIn";
        RegisterClassW(&wc);
        wnd = CreateWindowExW(0, wc.lpszClassName, L"ZedorAzare Editor", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                              nullptr, nullptr, nullptr);
        announced.clear();
    }
    ~EditorWindow() { DestroyWindow(wnd); }
    HWND wnd;
};

} // namespace

TEST_F(SkinFormsTest, TheMainFormAnnouncesItselfToTheSkinEditorOnce)
{
    EditorWindow editor;
    ASSERT_NE(editor.wnd, nullptr);
    ProvidedForm();
    HWND wnd = form->Handle();

    // Not asked for: nothing.
    acPreviewNeeded = false;
    acPreviewHandle = nullptr;
    AnnounceToSkinEditor(wnd);
    EXPECT_TRUE(EditorWindow::announced.empty());

    // Another window than the main form's: nothing.
    TCustomForm* mainForm = Application->MainForm();
    acPreviewNeeded = true;
    if (mainForm && mainForm->HandleAllocated() && mainForm->Handle() != wnd) {
        AnnounceToSkinEditor(wnd);
        EXPECT_TRUE(EditorWindow::announced.empty());
        EXPECT_TRUE(acPreviewNeeded);
        wnd = mainForm->Handle();
    }

    // Told until the editor accepts, then registered for good.
    EditorWindow::acceptOn = 3;
    AnnounceToSkinEditor(wnd);
    EXPECT_EQ(EditorWindow::announced, (std::vector<LPARAM>(3, reinterpret_cast<LPARAM>(wnd))));
    EXPECT_EQ(acPreviewHandle, wnd);
    EXPECT_FALSE(acPreviewNeeded);

    // An editor that never accepts is told a bounded number of times.
    acPreviewNeeded = true;
    acPreviewHandle = nullptr;
    EditorWindow::announced.clear();
    EditorWindow::acceptOn = 0;
    AnnounceToSkinEditor(wnd);
    EXPECT_EQ(EditorWindow::announced.size(), 101u);
    acPreviewNeeded = false;
    acPreviewHandle = nullptr;
}
