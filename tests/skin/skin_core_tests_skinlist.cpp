// Stored skins in form files and the skin list controller: streaming, copying, the list filled
// at once or by the worker thread, notifications, sharing the default's list, and destruction
// while the worker waits.
#include "skin_core_test_manager.h"

#include "../framework/runtime_test_tempdir.h"
#include "../support/PumpUntil.h"
#include "FormReader.h"
#include "FormWriter.h"
#include "StringList.h"
#include "acAlphaImageList.h"
#include "house_skin.h"
#include "sStoredSkins.h"

#include <chrono>

namespace {

UnicodeString Wide(const std::string& s) { return UnicodeString(s.begin(), s.end()); }

class SkinListTest : public SkinManagerTest {
protected:
    // A manager over dir with two stored skins ("Alpha" with a preview, "Beta" without); the
    // directory holds "Y.asz" and "X.ASZ" (both with previews) and a folder "Z.asz".
    std::unique_ptr<TsSkinManager> ManagerWithSkins(const TestTempDir& dir)
    {
        house_skin::Options y, x;
        y.name = "Y";
        x.name = "X";
        EXPECT_TRUE(house_skin::WriteArchive(dir.Path(), y));
        EXPECT_TRUE(house_skin::WriteArchive(dir.Path(), x));
        EXPECT_TRUE(MoveFileW((dir.Path() + L"\\X.asz").c_str(), (dir.Path() + L"\\X.tmp").c_str()));
        EXPECT_TRUE(MoveFileW((dir.Path() + L"\\X.tmp").c_str(), (dir.Path() + L"\\X.ASZ").c_str()));
        EXPECT_TRUE(ForceDirectories(dir.Path() + L"\\Z.asz"));
        auto m = std::make_unique<TsSkinManager>(nullptr);
        m->AfterConstruction();
        m->SetActive(false);
        m->SetSkinDirectory(dir.Path());
        house_skin::Options alpha, beta;
        alpha.name = "Alpha";
        beta.name = "Beta";
        beta.withPreview = false;
        for (const auto& o : {alpha, beta}) {
            TsStoredSkin* item = m->InternalSkins()->Add();
            item->SetName(Wide(o.name));
            item->SetData(house_skin::Archive(o));
        }
        return m;
    }

    struct Entry {
        TacSkinMode mode;
        int image;
        UnicodeString name;
        bool operator==(const Entry&) const = default;
    };
    static std::vector<Entry> Entries(const TacSkinListController& c)
    {
        std::vector<Entry> list;
        for (const TacSkinListData& d : c.SkinList) list.push_back({d.skSkinMode, d.skImageIndex, d.skName});
        return list;
    }
};

} // namespace

TEST_F(SkinListTest, StoredSkinsRoundTripThroughTheWriterAndTheReader)
{
    auto* form = new TForm(Application);
    ReadComponentFromText(form, Wide(house_skin::StoredSkinText()));
    auto* manager = dynamic_cast<TsSkinManager*>(form->FindComponent(L"sSkinManager1"));
    ASSERT_NE(manager, nullptr);
    ASSERT_EQ(manager->InternalSkins()->Count(), 1);
    TsStoredSkin* item = manager->InternalSkins()->Items(0);
    EXPECT_EQ(item->Name(), L"HouseSkin");
    EXPECT_EQ(item->OriginName(), L"HouseSkin.asz");
    EXPECT_EQ(item->Data(), house_skin::Archive());

    // Values of every kind, a master bitmap, and a second item with no data and no origin.
    item->SetAuthor(L"House");
    item->SetShadow1Blur(4);
    item->SetBorderColor(0x123456);
    item->SetVersion(15.5);
    item->MasterBitmap()->SetPixelFormat(pf32bit);
    item->MasterBitmap()->SetSize(3, 2);
    item->MasterBitmap()->Canvas()->SetPixels(1, 1, 0x00336699);
    TsStoredSkin* empty = manager->InternalSkins()->Add();
    empty->SetName(L"Empty");
    const UnicodeString text = WriteComponentToText(form);
    EXPECT_NE(text.find(L"Data = {}"), UnicodeString::npos) << "empty data is written";
    EXPECT_NE(text.find(L"OriginName = ''"), UnicodeString::npos) << "an empty origin is written";
    EXPECT_NE(text.find(L"Version = 15.5\r\n"), UnicodeString::npos);
    EXPECT_EQ(text.find(L"Version", text.find(L"Version = 15.5") + 1), UnicodeString::npos) << "0 is the default";

    auto* copy = new TForm(Application);
    ReadComponentFromText(copy, text);
    auto* read = dynamic_cast<TsSkinManager*>(copy->FindComponent(L"sSkinManager1"));
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->InternalSkins()->Count(), 2);
    TsStoredSkin* back = read->InternalSkins()->Items(0);
    EXPECT_EQ(back->Data(), house_skin::Archive());
    EXPECT_EQ(back->OriginName(), L"HouseSkin.asz");
    EXPECT_EQ(back->Author(), L"House");
    EXPECT_EQ(back->Shadow1Blur(), 4);
    EXPECT_EQ(back->BorderColor(), 0x123456);
    EXPECT_EQ(back->Version(), 15.5);
    EXPECT_EQ(read->InternalSkins()->Items(1)->Version(), 0.0);
    ASSERT_EQ(back->MasterBitmap()->Width(), 3);
    EXPECT_EQ(back->MasterBitmap()->Canvas()->Pixels(1, 1), 0x00336699);
    EXPECT_TRUE(read->InternalSkins()->Items(1)->Data().empty());
}

TEST_F(SkinListTest, AssignCopiesAllButTheOriginAndANewItemMarksTheListOutdated)
{
    TsSkinManager manager(nullptr);
    manager.AfterConstruction();
    manager.SetActive(false);
    TsStoredSkin* a = manager.InternalSkins()->Add();
    a->SetName(L"A");
    a->SetAuthor(L"Author");
    a->SetDescription(L"Text");
    a->SetVersion(15);
    a->SetShadow1Color(0x0000FF);
    a->SetShadow1Offset(2);
    a->SetShadow1Blur(3);
    a->SetShadow1Transparency(40);
    a->SetBorderColor(0x00FF00);
    a->OrigName = L"A.asz";
    a->SetData(house_skin::Archive());
    a->MasterBitmap()->SetSize(5, 4);

    manager.SkinListController->UpdateNeeded = false;
    TsStoredSkin* b = manager.InternalSkins()->Add();
    EXPECT_TRUE(manager.SkinListController->UpdateNeeded);
    EXPECT_TRUE(manager.SkinListController->SkinList.empty()) << "marked, not rebuilt";
    b->OrigName = L"keep";
    b->Assign(a);
    EXPECT_EQ(b->Name(), L"A");
    EXPECT_EQ(b->Author(), L"Author");
    EXPECT_EQ(b->Description(), L"Text");
    EXPECT_EQ(b->Version(), 15);
    EXPECT_EQ(b->Shadow1Color(), 0x0000FF);
    EXPECT_EQ(b->Shadow1Offset(), 2);
    EXPECT_EQ(b->Shadow1Blur(), 3);
    EXPECT_EQ(b->Shadow1Transparency(), 40);
    EXPECT_EQ(b->BorderColor(), 0x00FF00);
    EXPECT_EQ(b->Data(), a->Data());
    EXPECT_EQ(b->MasterBitmap()->Width(), 5);
    EXPECT_EQ(b->OrigName, L"keep");
    EXPECT_EQ(manager.InternalSkins()->IndexOf(L"A"), 0);
    EXPECT_EQ(manager.InternalSkins()->IndexOf(L"a"), -1);

    TStringList names;
    manager.GetSkinNames(&names, false, stPacked);
    EXPECT_EQ(names.Count(), 2) << "the next update rebuilds it";

    // Writing an item assigns to it; an item assigned to itself keeps its data.
    TsStoredSkin* c = manager.InternalSkins()->Add();
    c->OrigName = L"own";
    manager.InternalSkins()->SetItems(2, a);
    EXPECT_EQ(c->Name(), L"A");
    EXPECT_EQ(c->Data(), a->Data());
    EXPECT_EQ(c->OrigName, L"own");
    manager.InternalSkins()->SetItems(0, a);
    EXPECT_EQ(a->Data(), house_skin::Archive());
}

TEST_F(SkinListTest, ImmediateAndDelayedLoadingGiveTheSameList)
{
    TestTempDir dir;
    auto m = ManagerWithSkins(dir);
    TacSkinListController& c = *m->SkinListController;
    int changes = 0;
    m->OnSkinListChanged = [&](TObject*) { ++changes; };

    c.ClearList(true);
    c.UpdateIfNeeded(true);
    const std::vector<Entry> immediate = Entries(c);
    const std::vector<Entry> expected{{smInternal, 0, L"Alpha"}, {smInternal, -1, L"Beta"}, {smExtPacked, 1, L"Y"}};
    EXPECT_EQ(immediate, expected) << "X.ASZ and the folder Z.asz are not listed";
    EXPECT_EQ(c.ImgList->Count(), 2);
    EXPECT_EQ(c.ImgList->Width(), 140);
    EXPECT_EQ(c.ImgList->Height(), 100);
    EXPECT_EQ(changes, 1);

    auto* form = RecordingForm("form");
    changes = 0;
    Commands().clear();
    c.ClearList(true);
    c.UpdateIfNeeded(false);
    EXPECT_TRUE(c.Loading());
    EXPECT_EQ(changes, 0) << "no notification before the last step";
    ASSERT_TRUE(PumpUntil([&] { return !c.Loading(); }));
    EXPECT_EQ(Entries(c), immediate);
    EXPECT_FALSE(c.UpdateNeeded);
    EXPECT_EQ(changes, 1);
    std::vector<LPARAM> loading;
    for (const RecordedCommand& r : Commands())
        if (r.Receiver == "form" && r.Code == AC_SKINLISTLOADING) loading.push_back(r.LParam);
    EXPECT_EQ(loading, std::vector<LPARAM>{1});

    // Finishing at once adds the rest and says loading ended.
    Commands().clear();
    c.ClearList(true);
    c.UpdateIfNeeded(false);
    TStringList names;
    EXPECT_EQ(m->GetSkinNames(&names, true), L"Alpha");
    EXPECT_EQ(Entries(c), immediate);
    ASSERT_EQ(names.Count(), 3);
    EXPECT_EQ(static_cast<TacItemDrawData*>(names.Objects(2))->ImageIndex, 1);
    for (int i = 0; i < names.Count(); ++i) delete names.Objects(i);
    loading.clear();
    for (const RecordedCommand& r : Commands())
        if (r.Receiver == "form" && r.Code == AC_SKINLISTLOADING) loading.push_back(r.LParam);
    EXPECT_EQ(loading, (std::vector<LPARAM>{1, 0}));
    EXPECT_EQ(m->GetSkinNames(&names, false, stUnpacked), L"Y");
    EXPECT_EQ(m->GetExternalSkinNames(&names), L"Y");
    delete form;
}

TEST_F(SkinListTest, ControlsNotificationsFilterAndTheDefaultsList)
{
    TestTempDir dir;
    auto m = ManagerWithSkins(dir);
    TacSkinListController& c = *m->SkinListController;
    auto* form = RecordingForm("form");
    auto* panel = new TRecording<TPanel>(form, "panel");
    panel->SetParent(form);
    Commands().clear();
    c.AddControl(panel);
    c.AddControl(panel);
    EXPECT_EQ(c.Controls.size(), 1u);
    EXPECT_EQ(CodesOf("panel"), (std::vector<WORD>{AC_SKINLISTCHANGED, AC_SKINLISTCHANGED}));

    // The skin changed: posted to a windowed control.
    Commands().clear();
    c.SendSkinChanged();
    EXPECT_TRUE(CodesOf("panel").empty());
    ASSERT_TRUE(PumpUntil([&] { return !CodesOf("panel").empty(); }));
    EXPECT_EQ(CodesOf("panel"), std::vector<WORD>{AC_SKINLISTSKINCHANGED});

    // An empty filter: an empty list and one notification.
    int changes = 0;
    m->OnSkinListChanged = [&](TObject*) { ++changes; };
    m->SetSkinsFilter(TacSkinsFilter());
    changes = 0;
    Commands().clear();
    c.UpdateIfNeeded(false);
    EXPECT_TRUE(c.SkinList.empty());
    EXPECT_FALSE(c.Loading());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(CodesOf("panel"), std::vector<WORD>{AC_SKINLISTCHANGED});
    TStringList names;
    EXPECT_EQ(m->GetSkinNames(&names), L"");
    EXPECT_EQ(names.Count(), 0);

    // A second manager with the default's directory copies the default's list.
    m->SetSkinsFilter(TacSkinsFilter{sfiInternal, sfiExternal});
    ASSERT_TRUE(m->IsDefault());
    TsSkinManager second(nullptr);
    second.AfterConstruction();
    second.SetActive(false);
    second.SetSkinDirectory(dir.Path());
    second.SkinListController->ClearList(true);
    second.SkinListController->UpdateIfNeeded(false);
    EXPECT_FALSE(second.SkinListController->Loading()) << "no scan of its own";
    EXPECT_EQ(Entries(*second.SkinListController), Entries(c));
    EXPECT_EQ(second.SkinListController->ImgList->Count(), 2);
    c.DelControl(panel);
    EXPECT_EQ(c.CtrlIndex(panel), -1);
    delete form;
}

TEST_F(SkinListTest, DestroyingTheControllerWhileItLoadsReturns)
{
    TestTempDir dir;
    for (int i = 0; i < 40; ++i) {
        house_skin::Options o;
        o.name = "S" + std::to_string(i);
        ASSERT_TRUE(house_skin::WriteArchive(dir.Path(), o));
    }
    for (int round = 0; round < 5; ++round) {
        auto m = std::make_unique<TsSkinManager>(nullptr);
        m->AfterConstruction();
        m->SetActive(false);
        m->SetSkinDirectory(dir.Path());
        TacSkinListController& c = *m->SkinListController;
        ASSERT_TRUE(c.Loading());
        const size_t wanted = static_cast<size_t>(round * 3 + 1);
        ASSERT_TRUE(PumpUntil([&] { return c.SkinList.size() >= wanted; }));
        const auto start = std::chrono::steady_clock::now();
        m.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}
