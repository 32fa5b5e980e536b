// The skin manager component: the default manager, the skin name and its failures, the
// broadcasts to every window, look-ups, hot tracking, the application font and form definitions.
#include "skin_core_test_manager.h"

#include "../support/PumpUntil.h"
#include "FormReader.h"
#include "sCommonData.h"
#include "sGraphUtilsClip.h"
#include "sSkinManagerOptions.h"
#include "sSkinMenus.h"
#include "sSkinProvider.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <clocale>
#include <cstdio>
#include <stdexcept>

namespace {

// Exposes the font names the manager keeps.
class TExposedManager : public TsSkinManager {
public:
    using TsSkinManager::TsSkinManager;
    using TsSkinManager::DefNewFontName;
    using TsSkinManager::DefOldFontName;
    using TsSkinManager::DefStoredFontName;
    using TsSkinManager::TimerCheckHot;
};

// A windowless control that answers the common-data command with its own skin data.
class THotShape : public TRecording<TShape> {
public:
    explicit THotShape(TComponent* owner) : TRecording<TShape>(owner, "shape"), data(this) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_GETCOMMONDATA) {
            message.Result = reinterpret_cast<LRESULT>(&data);
            return;
        }
        TRecording<TShape>::WndProc(message);
    }
    TsCommonData data;
};

// A windowless control whose handler of the new-skin command raises.
class TRaisingShape : public TShape {
public:
    using TShape::TShape;
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_SETNEWSKIN)
            throw std::runtime_error("new skin");
        TShape::WndProc(message);
    }
};

// A skinned form: it answers the provider command with its provider.
class TProvidedForm : public TForm {
public:
    explicit TProvidedForm(TComponent* owner) : TForm(owner) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_GETPROVIDER) {
            message.Result = reinterpret_cast<LRESULT>(provider.get());
            return;
        }
        TForm::WndProc(message);
    }
    std::unique_ptr<TsSkinProvider> provider;
};

} // namespace

TEST_F(SkinManagerTest, ANewSkinBroadcastThatRaisesLeavesNoFormFrozen)
{
    TsSkinManager manager(nullptr);
    ASSERT_TRUE(manager.IsDefault());
    ASSERT_TRUE(manager.AnimEffects()->SkinChanging()->Active) << "locking marks the animation";
    auto* form = new TProvidedForm(Application);
    form->SetBounds(60, 60, 240, 160);
    form->provider = std::make_unique<TsSkinProvider>(form);
    form->provider->FCommonData->FSkinManager = &manager;
    IntSkinForm(form);
    auto* shape = new TRaisingShape(form);
    shape->SetParent(form);
    form->Show();
    HWND window = form->Handle();
    ASSERT_TRUE(PumpUntil([window] { return IsWindowVisible(window) != FALSE; }));

    EXPECT_THROW(manager.SendNewSkin(true), std::runtime_error);
    const TsSkinProvider& provider = *form->provider;
    EXPECT_FALSE(provider.Freezing);
    EXPECT_EQ(provider.FFormState & FS_FROZEN, 0u);
    EXPECT_TRUE(IsWindowVisible(window)) << "the form redraws again";
    EXPECT_FALSE(InAnimationProcess);
    EXPECT_FALSE(RestrictDrawing);
    EXPECT_TRUE(manager.ManagerState.Empty());
    InAnimationProcess = false;
    delete form;
}

TEST_F(SkinManagerTest, TheFirstManagerIsDefaultUntilItIsDestroyed)
{
    auto first = std::make_unique<TsSkinManager>(nullptr);
    TsSkinManager second(nullptr);
    EXPECT_EQ(DefaultManager, first.get());
    EXPECT_FALSE(second.IsDefault());
    const TWindowHook firstsHook(first.get(), &TsSkinManager::MainWindowHook);
    EXPECT_TRUE(Application->IsMainWindowHooked(firstsHook)) << "the default manager sees the main window";
    EXPECT_FALSE(Application->IsMainWindowHooked(TWindowHook(&second, &TsSkinManager::MainWindowHook)));
    first->SetIsDefault(false);
    EXPECT_EQ(DefaultManager, first.get()) << "no other takes its place by itself";

    second.Options()->SetScaleMode(sm150);
    second.SetIsDefault(true);
    EXPECT_EQ(DefaultManager, &second);
    EXPECT_EQ(acCurrentScaleMode, sm150);

    first->SetIsDefault(true);
    first.reset();
    EXPECT_EQ(DefaultManager, nullptr);
    EXPECT_FALSE(Application->IsMainWindowHooked(firstsHook)) << "no message reaches a freed manager";
}

TEST_F(SkinManagerTest, SkinNameLosesThePackedExtensionAndWithoutASourceTheSkinIsRemoved)
{
    RecordingForm("form");
    struct Case {
        const wchar_t* given;
        const wchar_t* stored;
    };
    for (const Case& c : {Case{L"House.ASZ", L"House"}, Case{L"house.asz", L"house"}, Case{L".asz", L".asz"},
                          Case{L"Plain", L"Plain"}}) {
        Commands().clear();
        TsSkinManager manager(nullptr);
        int activated = 0, afterChange = 0;
        manager.OnActivate = [&](TObject*) { ++activated; };
        manager.OnAfterChange = [&](TObject*) { ++afterChange; };
        manager.SetSkinName(c.given);
        EXPECT_EQ(manager.SkinName(), c.stored);
        EXPECT_FALSE(manager.Active()) << "no skin folder, packed file or stored skin";
        EXPECT_FALSE(manager.IsActive());
        EXPECT_TRUE(manager.ManagerState.Empty());
        EXPECT_EQ(activated, 0);
        EXPECT_EQ(afterChange, 1);
        ASSERT_FALSE(Commands().empty());
        const std::vector<WORD> codes = CodesOf("form");
        EXPECT_EQ(std::count(codes.begin(), codes.end(), AC_REMOVESKIN), 1);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), AC_SETNEWSKIN), 0);
        for (const RecordedCommand& r : Commands()) {
            if (r.Code == AC_REMOVESKIN) {
                EXPECT_EQ(r.LParam, reinterpret_cast<LPARAM>(&manager));
            }
        }
        EXPECT_EQ(CodesOf("form.child"), CodesOf("form"));
    }
}

TEST_F(SkinManagerTest, ARefusedChangeKeepsTheOldNameAndStateAndSendsNothing)
{
    RecordingForm("form");
    TsSkinManager manager(nullptr);
    manager.CommonDataLoaded = true;
    int before = 0;
    manager.OnBeforeChange = [&](TObject*) { ++before; };
    manager.OnSkinChanging = [&](TObject*, const UnicodeString& name, bool& allow) {
        EXPECT_EQ(name, L"Next.asz");
        EXPECT_TRUE(manager.ManagerState.Contains(msSkinChanging));
        allow = false;
    };
    manager.SetSkinName(L"Next.asz");
    EXPECT_EQ(before, 1);
    EXPECT_EQ(manager.SkinName(), L"");
    EXPECT_TRUE(manager.CommonDataLoaded);
    EXPECT_TRUE(manager.Active());
    EXPECT_TRUE(manager.ManagerState.Empty());
    EXPECT_TRUE(Commands().empty());

    // A handler that raises before the load is refused the same way.
    manager.OnSkinChanging = nullptr;
    manager.OnBeforeChange = [](TObject*) { throw std::runtime_error("before"); };
    EXPECT_THROW(manager.SetSkinName(L"Other"), std::runtime_error);
    EXPECT_EQ(manager.SkinName(), L"");
    EXPECT_TRUE(manager.CommonDataLoaded);
    EXPECT_TRUE(manager.ManagerState.Empty());
}

TEST_F(SkinManagerTest, ALoadThatRaisesLeavesNoHalfLoadedManager)
{
    RecordingForm("form");
    TsSkinManager manager(nullptr);
    manager.SkinDataArray.push_back(std::make_unique<TacSkinData>(&manager, 96));
    manager.MasterBitmap = std::make_unique<TBitmap>();
    InitDevEx = [](bool active) {
        if (!active) throw std::runtime_error("broken skin");
    };
    EXPECT_THROW(manager.SetSkinName(L"Broken"), std::runtime_error);
    InitDevEx = nullptr;
    EXPECT_FALSE(manager.Active());
    EXPECT_FALSE(manager.IsActive());
    EXPECT_TRUE(manager.SkinDataArray.empty());
    EXPECT_EQ(manager.MasterBitmap, nullptr);
    EXPECT_TRUE(manager.ManagerState.Empty());
    EXPECT_FALSE(RestrictDrawing);
    EXPECT_EQ(CodesOf("form"), std::vector<WORD>{AC_REMOVESKIN}) << "the windows drop the skin";
}

TEST_F(SkinManagerTest, SkinInfoIsTheVersionWithAPointWhateverTheLocale)
{
    TsSkinManager manager(nullptr);
    EXPECT_EQ(manager.SkinInfo(), L"N/A");
    EXPECT_EQ(manager.Version(), L"15.14");
    manager.SkinCommonInfo.Active = true;
    manager.SkinCommonInfo.Version = 15;
    ASSERT_NE(std::setlocale(LC_ALL, "German_Germany.1252"), nullptr);
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 1.5);
    EXPECT_STREQ(probe, "1,50") << "the locale writes a decimal comma";
    const UnicodeString info = manager.SkinInfo();
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(info, L"15.00");
}

TEST_F(SkinManagerTest, LookUpsFollowTheParentSection)
{
    TsSkinManager manager(nullptr);
    auto data = std::make_unique<TacSkinData>(&manager, 96);
    auto section = [&](const wchar_t* name, const wchar_t* parent) {
        TsGeneralData gd;
        gd.ClassName = name;
        gd.ParentClass = parent;
        data->gd.push_back(gd);
    };
    section(L"BUTTON", L"");    // 0
    section(L"MYBTN", L"BUTTON"); // 1
    section(L"SELF", L"SELF");  // 2
    section(L"ORPHAN", L"NOPE"); // 3
    auto mask = [&](const wchar_t* cls, int index, const wchar_t* prop, TacImgType type) {
        TsMaskData m;
        m.ClassName = cls;
        m.SkinIndex = index;
        m.PropertyName = prop;
        m.ImgType = type;
        data->ma.push_back(m);
    };
    mask(L"BUTTON", 0, L"BORDERSMASK", itisaBorder); // 0
    mask(L"BUTTON", 0, L"PATTERN", itisaTexture);    // 1
    mask(L"MYBTN", 1, L"GLYPH", itisaGlyph);         // 2
    mask(L"SELF", 2, L"PATTERN", itisaBorder);       // 3
    manager.SkinDataArray.push_back(std::move(data));
    manager.SkinCommonInfo.Active = true;

    EXPECT_EQ(manager.GetSkinIndex(L"MYBTN"), 1);
    EXPECT_EQ(manager.GetSkinIndex(L"mybtn"), -1);
    EXPECT_EQ(manager.GetSkinIndex(L""), -1);
    EXPECT_EQ(manager.GetMaskIndex(1, L"MYBTN", L"BORDERSMASK"), 0) << "from the parent";
    EXPECT_EQ(manager.GetMaskIndex(1, L"GLYPH"), 2);
    EXPECT_EQ(manager.GetMaskIndex(1, L"BORDERSMASK"), 0);
    EXPECT_EQ(manager.GetMaskIndex(2, L"BORDERSMASK"), -1) << "a section that is its own parent";
    EXPECT_EQ(manager.GetMaskIndex(3, L"ORPHAN", L"GLYPH"), -1);
    EXPECT_EQ(manager.GetMaskIndex(-1, L"BUTTON", L"BORDERSMASK"), -1);
    EXPECT_EQ(manager.GetMaskIndex(L"BUTTON", L"PATTERN"), 1);
    EXPECT_EQ(manager.GetMaskIndex(L"MYBTN", L"BORDERSMASK"), -1) << "the name form has no parent fallback";
    EXPECT_EQ(manager.GetTextureIndex(1, L"MYBTN", L"PATTERN"), 1);
    EXPECT_EQ(manager.GetTextureIndex(3, L"ORPHAN", L"PATTERN"), -1);
    EXPECT_EQ(manager.GetTextureIndex(2, L"SELF", L"PATTERN"), -1) << "not a texture";
    EXPECT_EQ(manager.GetTextureIndex(1, L"", L"PATTERN"), -1);
    EXPECT_EQ(manager.GetTextureIndex(1, L"PATTERN"), 1);
    EXPECT_EQ(manager.GetTextureIndex(0, L"BORDERSMASK"), -1);
    EXPECT_EQ(manager.GetTextureIndex(2, L"PATTERN"), -1);
    EXPECT_TRUE(manager.IsValidSkinIndex(3));
    EXPECT_FALSE(manager.IsValidSkinIndex(4));
    EXPECT_FALSE(manager.IsValidSkinIndex(-1));
    EXPECT_TRUE(manager.IsValidImgIndex(3));
    EXPECT_FALSE(manager.IsValidImgIndex(4));
    EXPECT_EQ(manager.LengthOfGD(), 4);
}

TEST_F(SkinManagerTest, BroadcastsReachEveryFormAndChildInOrder)
{
    RecordingForm("a", 40);
    RecordingForm("b", 320);
    TsSkinManager manager(nullptr);

    manager.RepaintSection(L"UNKNOWN");
    EXPECT_EQ(manager.FUpdatedSectionNdx, 0);
    for (const char* who : {"a", "a.child", "b", "b.child"}) {
        SCOPED_TRACE(who);
        EXPECT_EQ(CodesOf(who), (std::vector<WORD>{AC_STOPTIMER, AC_REFRESH}));
    }
    for (const RecordedCommand& c : Commands()) {
        if (c.Code == AC_REFRESH) {
            EXPECT_EQ(c.Low, 65535) << "index -1 in 16 bits";
        }
    }

    Commands().clear();
    manager.SendNewSkin(false);
    manager.SendRemoveSkin();
    for (const char* who : {"a", "a.child", "b", "b.child"}) {
        EXPECT_EQ(CodesOf(who), (std::vector<WORD>{AC_SETNEWSKIN, AC_REMOVESKIN})) << who;
    }
    for (const RecordedCommand& c : Commands()) EXPECT_EQ(c.LParam, reinterpret_cast<LPARAM>(&manager));
    EXPECT_TRUE(manager.ManagerState.Empty());
    EXPECT_FALSE(RestrictDrawing);
}

TEST_F(SkinManagerTest, HotTrackingTellsTheOldAndTheNewControl)
{
    TForm* form = RecordingForm("form");
    auto* other = new TRecording<TPanel>(form, "other");
    other->SetParent(form);
    other->SetBounds(120, 10, 80, 40);
    auto* inner = new TRecording<TPanel>(form, "inner");
    inner->SetParent(other);
    inner->SetBounds(5, 5, 20, 20);
    auto* shape = new THotShape(form);
    shape->SetParent(form);
    shape->SetBounds(10, 80, 30, 30);
    TWinControl* first = nullptr;
    for (int i = 0; i < form->ControlCount(); ++i)
        if (form->Controls(i) != other && dynamic_cast<TWinControl*>(form->Controls(i)))
            first = static_cast<TWinControl*>(form->Controls(i));
    ASSERT_NE(first, nullptr);
    TExposedManager manager(nullptr);
    manager.TimerCheckHot->SetEnabled(false);
    const auto lp = reinterpret_cast<LPARAM>(&manager);

    manager.SetActiveControl(first->Handle());
    manager.SetActiveControl(other->Handle());
    ASSERT_EQ(Commands().size(), 3u);
    EXPECT_EQ(Commands()[0].Code, AC_MOUSEENTER);
    EXPECT_EQ(Commands()[1].Receiver, "form.child");
    EXPECT_EQ(Commands()[1].Code, AC_MOUSELEAVE);
    EXPECT_EQ(Commands()[2].Receiver, "other");
    EXPECT_EQ(Commands()[2].LParam, lp);

    // A child of the hot window under the mouse does not take over.
    RECT r{};
    GetWindowRect(other->Handle(), &r);
    SetCursorPos(r.right - 3, r.bottom - 3);
    Commands().clear();
    manager.SetActiveControl(inner->Handle());
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(manager.ActiveControl(), other->Handle());

    // A hot windowless control that stays active keeps the hot window too.
    manager.SetActiveGraphControl(shape);
    shape->data.KeepActive = true;
    manager.SetActiveGraphControl(nullptr);
    EXPECT_EQ(manager.ActiveGraphControl(), shape);
    manager.SetActiveControl(first->Handle());
    EXPECT_EQ(CodesOf("other"), std::vector<WORD>{AC_MOUSELEAVE});
    EXPECT_EQ(manager.ActiveControl(), other->Handle());
    EXPECT_TRUE(CodesOf("shape").empty());

    shape->data.KeepActive = false;
    manager.SetActiveGraphControl(nullptr);
    EXPECT_EQ(manager.ActiveGraphControl(), nullptr);
    EXPECT_EQ(CodesOf("shape"), std::vector<WORD>{AC_MOUSELEAVE});

    // A hot windowless control that goes away is forgotten.
    manager.SetActiveGraphControl(shape);
    delete shape;
    EXPECT_EQ(manager.ActiveGraphControl(), nullptr);
}

TEST_F(SkinManagerTest, ApplicationFontIsStoredChangedAndAppliedToControlsThatUseIt)
{
    TExposedManager manager(nullptr);
    manager.StoreDefFont();
    const UnicodeString stored = TFont().Name();
    EXPECT_EQ(manager.DefStoredFontName, stored) << "without a main form: a new font's name";
    EXPECT_EQ(manager.DefOldFontName, stored);

    RecordingForm("form");
    std::vector<std::pair<UnicodeString, UnicodeString>> changes;
    manager.OnFontChanged = [&](TObject*, const UnicodeString& from, const UnicodeString& to) {
        changes.emplace_back(from, to);
    };
    manager.ChangeAppFont(L"Arial", false);
    manager.ChangeAppFont(L"Arial", false);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].first, stored);
    EXPECT_EQ(changes[0].second, L"Arial");
    EXPECT_EQ(manager.DefOldFontName, L"Arial");
    EXPECT_EQ(CodesOf("form"), std::vector<WORD>{AC_FONTCHANGED});
    EXPECT_TRUE(manager.ManagerState.Empty());

    TForm* host = NewForm();
    host->Show();
    auto panel = [&](const wchar_t* font, bool parentFont) {
        auto* p = new TPanel(host);
        p->SetParent(host);
        p->Font()->SetName(font);
        p->SetParentFont(parentFont);
        p->HandleNeeded();
        return p;
    };
    manager.SkinCommonInfo.Active = true;
    TPanel* own = panel(stored.c_str(), false);
    EXPECT_TRUE(manager.UpdateFontName(own));
    EXPECT_EQ(own->Font()->Name(), L"Arial");
    TPanel* other = panel(L"Courier New", false);
    EXPECT_FALSE(manager.UpdateFontName(other));
    EXPECT_EQ(other->Font()->Name(), L"Courier New");
    TPanel* inherits = panel(stored.c_str(), true);
    EXPECT_FALSE(manager.UpdateFontName(inherits));
    auto* noHandle = new TPanel(host);
    noHandle->Font()->SetName(stored);
    noHandle->SetParentFont(false);
    EXPECT_FALSE(manager.UpdateFontName(noHandle));
}

TEST_F(SkinManagerTest, BrightnessIsLimited)
{
    TsSkinManager manager(nullptr);
    for (auto [given, kept] : {std::pair{150, 100}, std::pair{-150, -100}, std::pair{-40, -40}, std::pair{100, 100}}) {
        manager.SetBrightness(given);
        EXPECT_EQ(manager.Brightness(), kept) << given;
    }
    manager.SetHueOffset(400);
    EXPECT_EQ(manager.HueOffset(), 400);
}

TEST_F(SkinManagerTest, AManagerReadFromAFormDefinitionTakesItsValuesAndTheDefaults)
{
    auto* form = new TForm(Application);
    ReadComponentFromText(form, L"object Form1: TForm\n"
                                L"  object sSkinManager1: TsSkinManager\n"
                                L"    AnimEffects.SkinChanging.Time = 250\n"
                                L"  end\n"
                                L"end\n");
    auto* manager = dynamic_cast<TsSkinManager*>(form->FindComponent(L"sSkinManager1"));
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->AnimEffects()->SkinChanging()->Time, 250);
    EXPECT_TRUE(manager->AnimEffects()->SkinChanging()->Active);
    EXPECT_EQ(manager->AnimEffects()->SkinChanging()->Mode, atFading);
    EXPECT_EQ(manager->AnimEffects()->Minimizing()->Time, 80);
    EXPECT_TRUE(manager->Active());
    EXPECT_TRUE(manager->IsDefault());
    EXPECT_EQ(manager->Options()->ScaleMode(), smVCL);
    EXPECT_TRUE(manager->Options()->DrawNonClientArea());
    EXPECT_EQ(manager->ScrollsOptions()->ScrollSize(), -1);
    EXPECT_EQ(manager->SkinDirectory(), L"c:\\Skins");
    EXPECT_EQ(manager->MenuSupport()->IcoLineSkin, L"ICOLINE");
    EXPECT_EQ(manager->Options()->PixelsPerInch(), acSystemPPI()) << "set by Loaded in smVCL";
    EXPECT_FALSE(manager->ComponentState().Contains(csLoading));
}

TEST_F(SkinManagerTest, WindowlessControlsLeaveTheClipOnlyUnderADefaultManagerWithoutStandardTransparency)
{
    TPanel parent(nullptr);
    parent.SetBounds(0, 0, 100, 40);
    auto* windowless = new TShape(&parent);
    windowless->SetParent(&parent);
    windowless->SetBounds(50, 10, 20, 20);

    // Whether the windowless child's centre is still inside the clip after ExcludeControls.
    auto inClip = [&] {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bmp = CreateCompatibleBitmap(dc, 100, 40);
        HGDIOBJ old = SelectObject(dc, bmp);
        ExcludeControls(dc, &parent, 0, 0);
        const bool visible = PtVisible(dc, 60, 20) != FALSE;
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
        return visible;
    };
    EXPECT_TRUE(inClip()) << "no default manager";
    TsSkinManager manager(nullptr);
    ASSERT_EQ(DefaultManager, &manager);
    manager.Options()->SetBool(5, true);
    EXPECT_TRUE(inClip()) << "standard images drawn transparent";
    manager.Options()->SetBool(5, false);
    EXPECT_FALSE(inClip());
}
