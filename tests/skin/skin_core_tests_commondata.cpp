// Per-control skin data on framework controls: the window link, manager and section, index
// resolution, BGType, skin data per density, scaling, update counting and repainting.
#include "ExtCtrls.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sCtrlStates.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"
#include "skin_core_test_routed.h"
#include "skin_core_test_skinload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// A windowed control that keeps skin data the way skinned controls do: published on each new
// window, taken off before the window goes, freed first in the destructor. It answers the
// section-index (9), default-section (88) and handled (7) commands.
class TSkinnedPanel : public TRecording<TPanel> {
public:
    TSkinnedPanel(TComponent* owner, std::string name) : TRecording<TPanel>(owner, std::move(name))
    {
        SkinData = std::make_unique<TsCommonData>(this);
    }
    ~TSkinnedPanel() override { SkinData.reset(); }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD) {
            switch (AlphaCmdCode(message.WParam)) {
            case AC_GETSKININDEX: message.Result = IndexAnswer; return;
            case AC_GETDEFSECTION: message.Result = DefSectionAnswer; return;
            case AC_CTRLHANDLED: message.Result = 1; return;
            case AC_ISUPDATING: message.Result = UpdatingAnswer; break;
            case AC_CHILDBGCHANGED: message.Result = BGChangedAnswer; break;
            default: break;
            }
        }
        TRecording<TPanel>::WndProc(message);
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_ISUPDATING) message.Result = UpdatingAnswer;
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_CHILDBGCHANGED)
            message.Result = BGChangedAnswer;
    }
    std::unique_ptr<TsCommonData> SkinData;
    LRESULT IndexAnswer = 0, DefSectionAnswer = 0, UpdatingAnswer = 0, BGChangedAnswer = 0;

protected:
    void CreateWnd() override
    {
        TRecording<TPanel>::CreateWnd();
        if (SkinData) SkinData->InitCommonProp();
    }
    void DestroyWnd() override
    {
        if (SkinData) SkinData->RemoveCommonProp();
        TRecording<TPanel>::DestroyWnd();
    }
};

// A windowless control with skin data that counts its repaints and answers command 7.
class TSkinnedShape : public TRecording<TShape> {
public:
    explicit TSkinnedShape(TComponent* owner) : TRecording<TShape>(owner, "shape") {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_CTRLHANDLED) {
            message.Result = 1;
            return;
        }
        TRecording<TShape>::WndProc(message);
    }
    void Invalidate() override
    {
        ++Repaints;
        TRecording<TShape>::Invalidate();
    }
    int Repaints = 0;
};

class CommonDataTest : public SkinManagerTest {
protected:
    void SetUp() override
    {
        SkinManagerTest::SetUp();
        form = new TRecording<TForm>(Application, "form");
        form->SetBounds(60, 60, 300, 200);
        panel = new TSkinnedPanel(form, "panel");
        panel->SetParent(form);
        panel->SetBounds(10, 10, 120, 60);
        form->Show();
        ASSERT_TRUE(panel->HandleAllocated());
        data = panel->SkinData.get();
        data->Loading = false; // as after the control's Loaded
    }
    void TearDown() override
    {
        delete form;
        managers.clear();
        SkinManagerTest::TearDown();
    }

    // A manager whose skin is active, with the given sections at every density (no skin file).
    TsSkinManager* Manager(std::initializer_list<const wchar_t*> sections = {L"EDIT", L"BUTTON", L"PANEL"},
                           TacScaleMode mode = smVCL)
    {
        auto manager = std::make_unique<TsSkinManager>(nullptr);
        manager->Options()->SetScaleMode(mode);
        for (int level = 0; level < 4; ++level) {
            auto skin = std::make_unique<TacSkinData>(manager.get(), aPPIArray[static_cast<size_t>(level)]);
            skin->ScaleValue = level;
            for (const wchar_t* name : sections) {
                TsGeneralData section;
                section.ClassName = name;
                section.Props[0].Transparency = 0;
                skin->gd.push_back(section);
            }
            manager->SkinDataArray.push_back(std::move(skin));
        }
        manager->SkinCommonInfo.Active = true;
        managers.push_back(std::move(manager));
        return managers.back().get();
    }

    std::vector<RecordedCommand> PanelCommands() const
    {
        std::vector<RecordedCommand> list;
        for (const RecordedCommand& c : Commands())
            if (c.Receiver == "panel") list.push_back(c);
        return list;
    }

    TForm* form = nullptr;
    TSkinnedPanel* panel = nullptr;
    TsCommonData* data = nullptr;
    std::vector<std::unique_ptr<TsSkinManager>> managers;
};

TEST_F(CommonDataTest, WindowLinkFollowsTheWindowAndGoesFirst)
{
    const HWND first = panel->Handle();
    EXPECT_EQ(GetCommonData(first), data);
    EXPECT_TRUE(WndIsSkinned(first));
    EXPECT_TRUE(CtrlIsSkinned(panel, false));
    EXPECT_FALSE(CtrlIsSkinned(panel, true)) << "no manager: not skinned";

    panel->RecreateWnd();
    ASSERT_TRUE(PumpUntil([&] { return panel->HandleAllocated() && panel->Handle() != first; }, 3000));
    EXPECT_EQ(GetCommonData(panel->Handle()), data) << "published again on the new window";

    // Freed before its control: the property goes with it.
    const HWND second = panel->Handle();
    panel->SkinData.reset();
    EXPECT_EQ(GetPropW(second, L"ACSDATA"), nullptr);
    EXPECT_EQ(GetCommonData(second), nullptr);
    EXPECT_TRUE(CtrlIsSkinned(panel, true)) << "no skin data: the answer to command 7 counts";

    // A plain control, and a windowless one that answers command 7.
    auto* plain = new TPanel(form);
    plain->SetParent(form);
    EXPECT_FALSE(CtrlIsSkinned(plain, true));
    EXPECT_FALSE(WndIsSkinned(plain->Handle()));
    auto* shape = new TSkinnedShape(form);
    shape->SetParent(form);
    EXPECT_TRUE(CtrlIsSkinned(shape, true));
    EXPECT_FALSE(CtrlIsSkinned(nullptr, false));
}

TEST_F(CommonDataTest, ManagerIsStoredOnlyWhenNotTheDefaultAndTheControlIsTold)
{
    TsSkinManager* def = Manager();
    ASSERT_EQ(DefaultManager, def);
    panel->IndexAnswer = 2; // "BUTTON" + 1
    Commands().clear();
    data->SetSkinManager(def);
    EXPECT_EQ(data->FSkinManager, nullptr);
    EXPECT_FALSE(data->ManagerStored());
    EXPECT_EQ(data->GetSkinManager(), def);
    EXPECT_EQ(data->SkinIndex, 1);
    auto told = PanelCommands();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].Code, AC_REFRESH);
    EXPECT_EQ(told[0].LParam, reinterpret_cast<LPARAM>(def));

    TsSkinManager* empty = Manager({});
    Commands().clear();
    data->SetSkinManager(empty);
    EXPECT_TRUE(data->ManagerStored());
    EXPECT_EQ(data->SkinIndex, -1);
    told = PanelCommands();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].Code, AC_REMOVESKIN);
    EXPECT_EQ(told[0].LParam, reinterpret_cast<LPARAM>(empty));

    // The manager's destruction reaches the skin data.
    data->GetCommonSkinData();
    managers.pop_back();
    EXPECT_EQ(data->FSkinManager, nullptr);
    EXPECT_EQ(data->GetSkinManager(), def);
    EXPECT_EQ(data->SkinIndex, -1);
}

TEST_F(CommonDataTest, SectionIsUpperCaseResolvedAndTold)
{
    Manager();
    Commands().clear();
    data->SetSkinSection(L"edit");
    EXPECT_EQ(data->SkinSection(), L"EDIT");
    EXPECT_EQ(data->SkinIndex, 0);
    auto told = PanelCommands();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].Code, AC_REFRESH);
    EXPECT_EQ(told[0].Low, 0);
    EXPECT_EQ(told[0].LParam, reinterpret_cast<LPARAM>(DefaultManager));

    Commands().clear();
    data->SetSkinSection(L"edit");
    data->SetSkinSection(L"EDIT");
    EXPECT_TRUE(PanelCommands().empty()) << "the same text again does nothing";

    data->SetSkinSection(L"nowhere");
    EXPECT_EQ(data->SkinIndex, -1);
    ASSERT_FALSE(PanelCommands().empty());
    EXPECT_EQ(PanelCommands().back().Code, AC_REMOVESKIN);

    // While updating only the colours follow.
    Commands().clear();
    data->FUpdating = true;
    data->SetSkinSection(L"PANEL");
    EXPECT_EQ(data->SkinIndex, 2);
    EXPECT_TRUE(PanelCommands().empty());
}

TEST_F(CommonDataTest, SectionStoredByDefaultName)
{
    struct Case {
        LRESULT answer;
        const wchar_t* section;
        bool stored;
    };
    const Case cases[] = {
        {0, L"", true},        {0, L"EDIT", true},    {1, L"EDIT", false},  {1, L"", false},
        {2, L"EDIT", true},    {19, L"COMBONOEDIT", false}, {20, L"EDIT", true}, {-3, L"EDIT", true},
    };
    for (const Case& c : cases) {
        panel->DefSectionAnswer = c.answer;
        data->FSkinSection = c.section;
        EXPECT_EQ(data->SectionStored(), c.stored) << c.answer << " " << std::wstring(c.section).size();
    }
}

TEST_F(CommonDataTest, IndexesFromCommandNameListAndControlCode)
{
    Manager();
    // Command 9 of the windowed owner.
    panel->IndexAnswer = 3;
    data->BGChanged = false;
    data->UpdateIndexes(true);
    EXPECT_EQ(data->SkinIndex, 2);
    EXPECT_TRUE(data->BGChanged);
    data->SkinIndex = 1;
    data->UpdateIndexes(false);
    EXPECT_EQ(data->SkinIndex, 1) << "without Full the index stays";

    // Names tried in order.
    const UnicodeString names[] = {L"", L"NOPE", L"BUTTON", L"EDIT"};
    InitIndexes(data, names);
    EXPECT_EQ(data->SkinIndex, 1);
    const UnicodeString none[] = {L"NOPE", L"NEITHER"};
    InitIndexes(data, none);
    EXPECT_EQ(data->SkinIndex, -1);

    // UpdateData by control-class code.
    struct Case {
        BYTE coc;
        const wchar_t* section;
        int index;
    };
    const Case cases[] = {
        {18, L"COMBOBOX", -1}, {19, L"BAR", -1},      {20, L"BARTITLE", -1}, {56, L"DRAGBAR", -1},
        {98, L"TOOLBUTTON", -1}, {230, L"EDIT", 0},   {3, L"", 2},           {93, L"", 2},
        {224, L"", 2},         {200, L"TPANEL", -1},
    };
    for (const Case& c : cases) {
        data->FSkinSection.clear();
        data->SkinIndex = -1;
        data->COC = c.coc;
        UpdateData(data);
        EXPECT_EQ(data->SkinSection(), c.section) << int(c.coc);
        EXPECT_EQ(data->SkinIndex, c.index) << int(c.coc);
    }
    // A section set wins over the code.
    data->FSkinSection = L"BUTTON";
    data->COC = 18;
    UpdateData(data);
    EXPECT_EQ(data->SkinIndex, 1);
}

TEST_F(CommonDataTest, BackgroundTypeFromTextureDrawModeAndGradient)
{
    TsSkinManager* manager = Manager({L"PANEL"});
    TacSkinData& skin = *manager->SkinDataArray[0];
    skin.ma.resize(1);
    TsGenState& s = skin.gd[0].Props[0];
    data->SkinIndex = 0;
    struct TextureCase {
        int drawMode;
        WORD bits;
    };
    for (const TextureCase& c : {TextureCase{0, 0xF0}, TextureCase{1, 0xF4}, TextureCase{2, 0x20}, TextureCase{3, 0x10},
                                 TextureCase{4, 0x24}, TextureCase{5, 0x14}, TextureCase{6, 0x80}, TextureCase{7, 0x40},
                                 TextureCase{8, 0x84}, TextureCase{9, 0x44}, TextureCase{10, 0xF0}, TextureCase{11, 0xA4},
                                 TextureCase{12, 0x54}, TextureCase{13, 0}}) {
        skin.ma[0].DrawMode = static_cast<std::int16_t>(c.drawMode);
        s.ImagePercent = 50;
        s.TextureIndex = 0;
        InitBGType(data);
        EXPECT_EQ(data->BGType, c.bits) << c.drawMode;
    }
    s.ImagePercent = 0;
    InitBGType(data);
    EXPECT_EQ(data->BGType, 0) << "no image percent, no texture bits";
    s.ImagePercent = 50;
    s.TextureIndex = 5;
    InitBGType(data);
    EXPECT_EQ(data->BGType, 0) << "a texture index past the images is ignored";
    s.TextureIndex = -1;

    struct GradientCase {
        int mode, percent;
        WORD bits;
    };
    for (const GradientCase& c : {GradientCase{0, 50, 0x02}, GradientCase{1, 50, 0x01}, GradientCase{2, 50, 0x03},
                                  GradientCase{3, 50, 0}, GradientCase{1, 0, 0}, GradientCase{0x21, 0, 0x01}}) {
        s.GradientArray.assign(2, TsGradPoint{});
        s.GradientArray[0].Mode = c.mode;
        s.GradientPercent = c.percent;
        InitBGType(data);
        EXPECT_EQ(data->BGType, c.bits) << c.mode << "/" << c.percent;
    }
    data->SkinIndex = 4;
    InitBGType(data);
    EXPECT_EQ(data->BGType, 0) << "invalid index";
}

TEST_F(CommonDataTest, SkinDataPerDensity)
{
    // Without a manager: the start-up skin data of the control's level, not cached.
    EXPECT_EQ(data->GetCommonSkinData(), StdScaleArray[static_cast<size_t>(PPIToIndex(GetControlPPI(panel)))].get());
    EXPECT_EQ(data->FCommonSkinData, nullptr);
    EXPECT_EQ(GetPPI(data), GetControlPPI(panel));

    TsSkinManager* manager = Manager();
    data->SetSkinSection(L"BUTTON");
    TacSkinData* skin = data->GetCommonSkinData();
    EXPECT_EQ(skin, manager->SkinDataArray[static_cast<size_t>(PPIToIndex(GetControlPPI(panel)))].get());
    EXPECT_EQ(data->FCommonSkinData, skin) << "a ready control caches";
    EXPECT_EQ(data->PPIIndex, skin->ScaleValue);
    EXPECT_EQ(GetPPI(data), skin->PPI);
    EXPECT_EQ(GetSkinData(data), skin);

    // While the manager scales forms, the control's CurrentPPI counts.
    manager->ManagerState.Include(msFormScaling);
    data->CurrentPPI = 192;
    data->SetCommonSkinData(nullptr);
    EXPECT_EQ(data->GetCommonSkinData(), manager->SkinDataArray[3].get());
    EXPECT_EQ(data->PPIIndex, 3);
    manager->ManagerState.Exclude(msFormScaling);

    // Without a parent: the default-PPI data, not cached.
    panel->SetParent(nullptr);
    data->SetCommonSkinData(nullptr);
    EXPECT_EQ(data->GetCommonSkinData(), manager->SkinDataArray[static_cast<size_t>(PPIToIndex(DefaultPPI()))].get());
    EXPECT_EQ(data->FCommonSkinData, nullptr);

    // Without an owner: the default-PPI data, cached.
    TsCommonData loose(nullptr);
    loose.SkinIndex = 0;
    TacSkinData* looseSkin = loose.GetCommonSkinData();
    EXPECT_EQ(looseSkin, manager->SkinDataArray[static_cast<size_t>(PPIToIndex(DefaultPPI()))].get());
    EXPECT_EQ(loose.FCommonSkinData, looseSkin);

    // Unskinned (no index): the cache is dropped.
    loose.SkinIndex = -1;
    loose.GetCommonSkinData();
    EXPECT_EQ(loose.FCommonSkinData, nullptr);
    EXPECT_EQ(loose.PPIIndex, -1);

    // Skin data of a provider whose form has a window.
    TsSkinProvider provider(form);
    provider.FCommonData->SkinIndex = 0;
    EXPECT_EQ(provider.FCommonData->GetCommonSkinData(),
              manager->SkinDataArray[static_cast<size_t>(PPIToIndex(GetControlPPI(form)))].get());
    EXPECT_EQ(provider.FCommonData->CurrentPPI, GetControlPPI(form)) << "smVCL takes the data's PPI";
}

TEST_F(CommonDataTest, ScaleIntByManagerMode)
{
    EXPECT_EQ(ScaleInt(10, nullptr, false), MulDiv(10, DefaultPPI(), 96)) << "no manager: the default PPI";
    EXPECT_EQ(DefaultPPI(), GetControlPPI(form)) << "the first form of the application";
    EXPECT_EQ(GetControlPPI(nullptr), 96);

    struct Case {
        TacScaleMode mode;
        bool useControlPPI;
        int expected;
    };
    const Case cases[] = {
        {smOldMode, true, 10}, {smVCL, false, 10}, {sm200, false, ScaleInteger(10, 3)},
        {sm125, false, ScaleInteger(10, 1)}, {smCustomPPI, false, 15},
    };
    for (const Case& c : cases) {
        managers.clear();
        DefaultManager = nullptr;
        TsSkinManager* manager = Manager({L"EDIT"}, c.mode);
        ASSERT_EQ(DefaultManager, manager);
        if (c.mode == smCustomPPI) manager->Options()->SetPixelsPerInch(static_cast<TacPixelsPerInch>(144));
        EXPECT_EQ(ScaleInt(10, nullptr, c.useControlPPI), c.expected) << int(c.mode);
    }

    // smVCL with the control's PPI: the skin data's.
    managers.clear();
    DefaultManager = nullptr;
    TsSkinManager* manager = Manager({L"EDIT"});
    data->SkinIndex = 0;
    data->SetCommonSkinData(manager->SkinDataArray[2].get());
    EXPECT_EQ(ScaleInt(10, data, true), 15);
    EXPECT_EQ(ScaleInt(10, data, false), 10);
}

TEST_F(CommonDataTest, SkinnedAndSkinIsChanging)
{
    EXPECT_FALSE(data->Skinned()) << "no manager";
    TsSkinManager* manager = Manager();
    data->SkinIndex = 1;
    EXPECT_TRUE(data->Skinned());
    EXPECT_TRUE(data->Skinned(true));
    manager->SkinCommonInfo.Active = false;
    EXPECT_TRUE(data->Skinned(false));
    EXPECT_FALSE(data->Skinned(true));
    manager->SkinCommonInfo.Active = true;
    data->SkinIndex = 3;
    EXPECT_FALSE(data->Skinned()) << "past the sections";
    data->SkinIndex = 1;
    EXPECT_TRUE(CtrlIsSkinned(panel, true));

    EXPECT_FALSE(SkinIsChanging(data));
    manager->ManagerState.Include(msSkinChanging);
    EXPECT_TRUE(SkinIsChanging(data));
    manager->ManagerState.Exclude(msSkinChanging);

    TsCommonData loose(nullptr);
    loose.SkinIndex = 1;
    EXPECT_FALSE(loose.Skinned()) << "no owner";

    // A component owner that dies first leaves the skin data without links.
    auto* owner = new TComponent(nullptr);
    TsCommonData orphan(owner);
    orphan.SkinIndex = 1;
    EXPECT_TRUE(orphan.Skinned());
    delete owner;
    EXPECT_EQ(orphan.FOwnerObject, nullptr);
    EXPECT_FALSE(orphan.Skinned());
    EXPECT_EQ(orphan.OwnerHandle(), nullptr);
}

TEST_F(CommonDataTest, UpdateCountingTellsTheControl)
{
    Manager();
    Commands().clear();
    data->BeginUpdate();
    EXPECT_EQ(data->FUpdateCount, 1);
    EXPECT_TRUE(data->FUpdating);
    EXPECT_NE(data->CtrlSkinState & ACS_LOCKED, 0u);
    EXPECT_EQ(CodesOf("panel"), std::vector<WORD>{AC_BEGINUPDATE});
    data->BGChanged = false;
    data->EndUpdate(false);
    EXPECT_EQ(data->FUpdateCount, 0);
    EXPECT_FALSE(data->FUpdating);
    EXPECT_EQ(data->CtrlSkinState & ACS_LOCKED, 0u);
    EXPECT_EQ(CodesOf("panel"), (std::vector<WORD>{AC_BEGINUPDATE, AC_ENDUPDATE}));
    EXPECT_FALSE(data->BGChanged);

    // Without a BeginUpdate the count goes negative, the end is still told and repainted.
    data->EndUpdate(true);
    EXPECT_EQ(data->FUpdateCount, -1);
    EXPECT_EQ(CodesOf("panel").back(), AC_ENDUPDATE);
    EXPECT_TRUE(data->BGChanged);

    // Updating through the parent's answer to command 10.
    auto* child = new TSkinnedPanel(panel, "child");
    child->SetParent(panel);
    TsCommonData* childData = child->SkinData.get();
    panel->UpdatingAnswer = 1;
    EXPECT_TRUE(childData->GetUpdating());
    EXPECT_TRUE(InUpdating(childData));
    EXPECT_TRUE(childData->FUpdating);
    panel->UpdatingAnswer = 0;
    EXPECT_TRUE(InUpdating(childData)) << "FUpdating holds";
    EXPECT_FALSE(InUpdating(childData, true));
    EXPECT_FALSE(childData->FUpdating);
    EXPECT_FALSE(InUpdating(nullptr));
}

TEST_F(CommonDataTest, AnInnerEndUpdateLeavesTheOuterUpdateOpen)
{
    Manager();
    data->BeginUpdate();
    data->BeginUpdate();
    Commands().clear();
    data->EndUpdate(false);
    EXPECT_EQ(data->FUpdateCount, 1);
    EXPECT_TRUE(data->FUpdating);
    EXPECT_NE(data->CtrlSkinState & ACS_LOCKED, 0u);
    EXPECT_TRUE(CodesOf("panel").empty()) << "the end is told only for the outer pair";
    data->EndUpdate(false);
    EXPECT_FALSE(data->FUpdating);
    EXPECT_EQ(data->CtrlSkinState & ACS_LOCKED, 0u);
    EXPECT_EQ(CodesOf("panel"), std::vector<WORD>{AC_ENDUPDATE});
}

TEST_F(CommonDataTest, LeavingItsManagerForNoneGivesTheStandardLookBack)
{
    Manager(); // the default manager, active
    TsSkinManager* own = Manager({L"EDIT"});
    auto* edit = new TRouted<TEdit>(form);
    edit->SetParent(form);
    TsCtrlSkinData* skin = edit->SkinData.get();
    skin->Loading = false;
    skin->SetSkinSection(L"EDIT");
    skin->SetSkinManager(own);
    ASSERT_EQ(skin->SkinIndex, 0);
    edit->SetColor(0x123456); // the skin's colours
    edit->Font()->SetColor(0x654321);

    skin->SetSkinManager(nullptr);
    EXPECT_EQ(skin->SkinIndex, -1);
    EXPECT_EQ(edit->Color(), clWindow);
    EXPECT_EQ(edit->Font()->Color(), clWindowText);
}

TEST_F(CommonDataTest, InvalidateAndRepaintIfMoved)
{
    Manager();
    // Windowless owners: a speed button gets command 18, others repaint.
    auto* shape = new TSkinnedShape(form);
    shape->SetParent(form);
    shape->SetBounds(150, 10, 30, 30);
    TsCommonData shapeData(shape);
    shapeData.Loading = false;
    Commands().clear();
    shape->Repaints = 0;
    shapeData.Invalidate();
    EXPECT_EQ(shape->Repaints, 1);
    shapeData.COC = 92;
    shapeData.Invalidate();
    EXPECT_EQ(shape->Repaints, 1);
    EXPECT_EQ(CodesOf("shape"), std::vector<WORD>{AC_INVALIDATE});
    // While loading only BGChanged.
    shapeData.Loading = true;
    shapeData.BGChanged = false;
    shapeData.Invalidate(true);
    EXPECT_TRUE(shapeData.BGChanged);
    EXPECT_EQ(CodesOf("shape").size(), 1u);

    // A windowed owner is redrawn: its window has nothing left to paint afterwards.
    data->Invalidate(true);
    EXPECT_FALSE(GetUpdateRect(panel->Handle(), nullptr, FALSE));

    // RepaintIfMoved.
    auto* child = new TSkinnedPanel(panel, "child");
    child->SetParent(panel);
    TsCommonData* c = child->SkinData.get();
    EXPECT_TRUE(c->RepaintIfMoved()) << "unskinned";
    c->SkinIndex = 2;
    EXPECT_FALSE(c->RepaintIfMoved()) << "opaque section";
    for (auto& skin : DefaultManager->SkinDataArray) skin->gd[2].Props[0].Transparency = 50;
    c->SetCommonSkinData(nullptr);
    panel->BGChangedAnswer = 1;
    EXPECT_TRUE(c->RepaintIfMoved());
    panel->BGChangedAnswer = 0;
    EXPECT_FALSE(c->RepaintIfMoved()) << "the parent's answer to command 19";
    child->SetEnabled(false);
    EXPECT_TRUE(c->RepaintIfMoved()) << "disabled";
}

TEST_F(CommonDataTest, OptionSetters)
{
    panel->SetColor(0x123456);
    data->SetBoolean(0, true);
    EXPECT_TRUE(data->CustomColor());
    EXPECT_EQ(data->SavedColor, 0x123456) << "the control's colour is kept";
    data->SetBoolean(0, false);
    panel->SetColor(0x654321);
    data->SetBoolean(0, true);
    EXPECT_EQ(panel->Color(), 0x123456) << "the kept colour comes back";

    panel->Font()->SetColor(0x00AA00);
    data->SetBoolean(1, true);
    EXPECT_TRUE(data->CustomFont());
    EXPECT_EQ(data->SavedFontColor, 0x00AA00);

    TsCtrlSkinData ctrl(panel);
    EXPECT_TRUE(ctrl.Loading);
    ctrl.SetInteger(0, 30);
    ctrl.SetInteger(1, -20);
    ctrl.SetColorTone(0x0000FF);
    EXPECT_EQ(ctrl.HUEOffset(), 30);
    EXPECT_EQ(ctrl.Saturation(), -20);
    EXPECT_EQ(ctrl.ColorTone(), 0x0000FF);
    EXPECT_FALSE(ctrl.Loading) << "the setters run Loaded";
    EXPECT_TRUE(ctrl.BGChanged);

    const HWND before = panel->Handle();
    data->SetOpaqueMode(omForceOpaque);
    EXPECT_EQ(data->OpaqueMode(), omForceOpaque);
    EXPECT_EQ(panel->Handle(), before) << "no Fluent look: the window stays";

    TsScrollWndData scroll(panel, true);
    EXPECT_EQ(scroll.HorzScrollData()->ScrollWidth(), -1);
    EXPECT_EQ(scroll.VertScrollData()->ButtonsSize(), -1);
    ASSERT_NE(scroll.FCacheBmp, nullptr);
    EXPECT_EQ(scroll.FCacheBmp->Width(), 0);
    EXPECT_EQ(scroll.OuterEffects()->Visibility(), ovNone);
    EXPECT_EQ(scroll.GlowID, -1);
    EXPECT_EQ(scroll.FColorTone, clNone);
}

// The house skin loaded through the manager's SkinName.
class CommonDataHouseSkinTest : public SkinLoadTest {};

TEST_F(CommonDataHouseSkinTest, ControlResolvesItsSectionInTheLoadedSkin)
{
    Load();
    ASSERT_TRUE(manager->IsActive());
    ASSERT_EQ(DefaultManager, manager.get());
    auto* form = new TRecording<TForm>(Application, "form");
    form->SetBounds(60, 60, 300, 200);
    auto* panel = new TSkinnedPanel(form, "panel");
    panel->SetParent(form);
    form->Show();
    TsCommonData* data = panel->SkinData.get();
    data->COC = 230;
    Commands().clear();
    data->Loaded(false);
    EXPECT_EQ(data->SkinSection(), L"EDIT");
    const int edit = manager->GetSkinIndex(L"EDIT");
    ASSERT_GE(edit, 0);
    EXPECT_EQ(data->SkinIndex, edit);
    EXPECT_TRUE(data->Skinned(true));
    EXPECT_TRUE(CtrlIsSkinned(panel, true));
    EXPECT_EQ(GetCommonData(panel->Handle()), data);
    // The control is told its new index, and its form gets it for the adapter.
    const auto refresh = std::find_if(Commands().begin(), Commands().end(), [](const RecordedCommand& c) {
        return c.Receiver == "panel" && c.Code == AC_REFRESH;
    });
    ASSERT_NE(refresh, Commands().end());
    EXPECT_EQ(refresh->Low, edit);
    EXPECT_EQ(CodesOf("form"), std::vector<WORD>{AC_ADDTOADAPTER});

    TacSkinData* skin = data->GetCommonSkinData();
    EXPECT_EQ(skin, manager->CommonSkinData(GetControlPPI(panel)));
    EXPECT_EQ(data->FCommonSkinData, skin);
    EXPECT_EQ(skin->gd[static_cast<size_t>(edit)].ClassName, L"EDIT");

    // A new skin name: the cached skin data is dropped with the index resolved again.
    data->SetSkinSection(L"button");
    EXPECT_EQ(data->SkinIndex, manager->GetSkinIndex(L"BUTTON"));
    EXPECT_EQ(data->FCommonSkinData, nullptr);
    delete form;
}

} // namespace
