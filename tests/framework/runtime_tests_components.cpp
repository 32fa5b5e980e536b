#include "Components.h"
#include "Exceptions.h"
#include "SysUtils.h"
#include "TypInfo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Records destructions and notifications in a shared log as "name:event".
class TTracked : public TComponent {
public:
    TTracked(TComponent* owner, const UnicodeString& name, std::vector<UnicodeString>& log)
        : TComponent(owner), log_(log)
    {
        SetName(name);
    }
    ~TTracked() override { log_.push_back(Name() + L":destroyed"); }

    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (component != this)
            log_.push_back(Name() + (operation == opRemove ? L":remove " : L":insert ") + component->Name());
    }

private:
    std::vector<UnicodeString>& log_;
};

} // namespace

TEST(Component, OwnerFreesOwnedInReverseOrderAndTellsFreeNotificationClients)
{
    std::vector<UnicodeString> log;
    auto* owner = new TComponent(nullptr);
    auto* a = new TTracked(owner, L"A", log);
    new TTracked(owner, L"B", log);
    new TTracked(owner, L"C", log);
    auto* watcher = new TTracked(nullptr, L"W", log); // outlives the tree
    a->FreeNotification(watcher);
    log.clear();

    delete owner;
    // The derived destructor runs before TComponent's, which tells the watcher.
    EXPECT_THAT(log, ElementsAre(L"C:destroyed", L"B:destroyed", L"A:destroyed", L"W:remove A"));
    // The link is gone on both sides: destroying the watcher now touches no freed component.
    delete watcher;
    EXPECT_THAT(log, ElementsAre(L"C:destroyed", L"B:destroyed", L"A:destroyed", L"W:remove A", L"W:destroyed"));
}

TEST(Component, FreeNotificationWorksBothWaysAndSiblingsHearThroughTheOwner)
{
    std::vector<UnicodeString> log;
    {
        // The watcher dies first: the watched component forgets it and is told.
        auto* watched = new TTracked(nullptr, L"X", log);
        auto* watcher = new TTracked(nullptr, L"W", log);
        watched->FreeNotification(watcher);
        delete watcher;
        delete watched; // must not call the freed watcher
        EXPECT_THAT(log, ElementsAre(L"W:destroyed", L"X:remove W", L"X:destroyed"));
    }
    log.clear();
    {
        TComponent owner(nullptr);
        auto* s1 = new TTracked(&owner, L"S1", log);
        auto* s2 = new TTracked(&owner, L"S2", log);
        EXPECT_THAT(log, ElementsAre(L"S1:insert ")); // S2 is named after its insertion
        log.clear();
        s1->FreeNotification(s2);
        delete s1;
        EXPECT_THAT(log, ElementsAre(L"S1:destroyed", L"S2:remove S1"));
        EXPECT_EQ(owner.ComponentCount(), 1);
        EXPECT_EQ(owner.Components(0), s2);
        log.clear();
    }
    EXPECT_THAT(log, ElementsAre(L"S2:destroyed"));
}

TEST(Component, RemoveFreeNotificationStopsTheCall)
{
    std::vector<UnicodeString> log;
    TTracked watcher(nullptr, L"W", log);
    auto* watched = new TTracked(nullptr, L"X", log);
    watched->FreeNotification(&watcher);
    watched->RemoveFreeNotification(&watcher);
    delete watched;
    EXPECT_THAT(log, ElementsAre(L"X:destroyed"));
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwnerWithoutRegardToCase)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName(L"Button1");
    EXPECT_EQ(owner.FindComponent(L"BUTTON1"), a);
    EXPECT_EQ(owner.FindComponent(L""), nullptr);
    EXPECT_EQ(owner.FindComponent(L"Button2"), nullptr);
    EXPECT_THROW(b->SetName(L"button1"), EComponentError);
    EXPECT_EQ(b->Name(), L"");
    a->SetName(L"BUTTON1"); // its own name in other case
    EXPECT_EQ(a->Name(), L"BUTTON1");

    for (const wchar_t* bad : {L"1abc", L"a b", L"a-b", L"ä", L" x"}) {
        SCOPED_TRACE(testing::Message() << std::wstring(bad));
        EXPECT_THROW(b->SetName(bad), EComponentError);
    }
    for (const wchar_t* good : {L"_x", L"x1_2", L"Z"}) {
        b->SetName(good);
        EXPECT_EQ(b->Name(), good);
    }
    b->SetName(L"");
    EXPECT_EQ(b->Name(), L"");
}

TEST(Component, InsertComponentMovesBetweenOwnersAndChecksTheName)
{
    TComponent first(nullptr), second(nullptr);
    auto* c = new TComponent(&first);
    c->SetName(L"Edit1");
    auto* clash = new TComponent(&second);
    clash->SetName(L"Edit1");
    EXPECT_THROW(second.InsertComponent(c), EComponentError);
    EXPECT_EQ(c->Owner(), &first);

    clash->SetName(L"Edit2");
    second.InsertComponent(c);
    EXPECT_EQ(c->Owner(), &second);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(second.ComponentCount(), 2);
    EXPECT_EQ(c->ComponentIndex(), 1);

    second.RemoveComponent(c);
    EXPECT_EQ(c->Owner(), nullptr);
    EXPECT_EQ(second.ComponentCount(), 1);
    delete c;

    EXPECT_THROW(second.Components(1), EListError);
    EXPECT_THROW(second.Components(-1), EListError);
}

TEST(Component, TagHoldsAPointerAndStateFlags)
{
    TComponent c(nullptr);
    int object = 0;
    c.SetTag(reinterpret_cast<intptr_t>(&object));
    EXPECT_EQ(reinterpret_cast<int*>(c.Tag()), &object);
    EXPECT_TRUE(c.ComponentState().Empty());
    c.SetSubComponent(true);
    EXPECT_TRUE(c.ComponentStyle().Contains(csSubComponent));
    c.SetSubComponent(false);
    EXPECT_FALSE(c.ComponentStyle().Contains(csSubComponent));
}

// ---------------------------------------------------------------------------------------------
// Collections

namespace {

class TNamedItem : public TCollectionItem {
public:
    UnicodeString Text;
    UnicodeString ClassName() const override { return L"TNamedItem"; }
    UnicodeString GetDisplayName() const override { return Text.empty() ? TCollectionItem::GetDisplayName() : Text; }
    void Assign(const TPersistent* source) override
    {
        if (auto* item = dynamic_cast<const TNamedItem*>(source)) Text = item->Text;
        else TCollectionItem::Assign(source);
    }
    void Touch() { Changed(false); }
};

class TCountingCollection : public TCollection {
public:
    TCountingCollection() : TCollection(ItemClass<TNamedItem>()) {}
    std::vector<TCollectionItem*> updates;
    TNamedItem* Item(int i) const { return static_cast<TNamedItem*>(Items(i)); }
    UnicodeString Order() const
    {
        UnicodeString s;
        for (int i = 0; i < Count(); ++i) s += Item(i)->Text;
        return s;
    }

protected:
    void Update(TCollectionItem* item) override { updates.push_back(item); }
};

TCountingCollection* Filled(TCountingCollection& c, const wchar_t* texts)
{
    for (const wchar_t* t = texts; *t; ++t) static_cast<TNamedItem*>(c.Add())->Text = UnicodeString(1, *t);
    return &c;
}

} // namespace

TEST(Collection, SettingIndexMovesTheItem)
{
    struct Case {
        int from, to;
        const wchar_t* order;
    };
    const Case cases[] = {{0, 3, L"BCDA"}, {3, 0, L"DABC"}, {1, 2, L"ACBD"}, {2, 2, L"ABCD"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << "->" << c.to);
        TCountingCollection coll;
        Filled(coll, L"ABCD");
        TCollectionItem* moved = coll.Items(c.from);
        coll.updates.clear();
        moved->SetIndex(c.to);
        EXPECT_EQ(coll.Order(), c.order);
        EXPECT_EQ(moved->Index(), c.to);
        EXPECT_EQ(coll.updates.size(), c.from == c.to ? 0u : 1u);
    }
    TCountingCollection coll;
    Filled(coll, L"AB");
    EXPECT_THROW(coll.Items(0)->SetIndex(2), EListError);
    EXPECT_THROW(coll.Items(0)->SetIndex(-1), EListError);
    EXPECT_EQ(coll.Order(), L"AB");
}

TEST(Collection, FreeingAnItemRemovesItAndUpdatesAreBatched)
{
    TCountingCollection coll;
    Filled(coll, L"ABC");
    EXPECT_EQ(coll.updates.size(), 3u);
    coll.updates.clear();

    delete coll.Items(1);
    EXPECT_EQ(coll.Order(), L"AC");
    coll.Delete(0);
    EXPECT_EQ(coll.Order(), L"C");
    EXPECT_THROW(coll.Delete(1), EListError);
    EXPECT_EQ(coll.updates, (std::vector<TCollectionItem*>{nullptr, nullptr}));

    coll.updates.clear();
    coll.Item(0)->Touch();
    EXPECT_EQ(coll.updates, std::vector<TCollectionItem*>{coll.Items(0)});

    coll.updates.clear();
    coll.BeginUpdate();
    coll.BeginUpdate();
    Filled(coll, L"XY");
    coll.Item(0)->Touch();
    coll.EndUpdate();
    EXPECT_THAT(coll.updates, IsEmpty());
    coll.EndUpdate();
    EXPECT_EQ(coll.updates, std::vector<TCollectionItem*>{nullptr});

    coll.updates.clear();
    coll.Clear();
    EXPECT_EQ(coll.Count(), 0);
    EXPECT_EQ(coll.updates, std::vector<TCollectionItem*>{nullptr});
}

TEST(Collection, InsertIdsOwnerAndDisplayName)
{
    TComponent owner(nullptr);
    TCollection coll(TCollection::ItemClass<TNamedItem>(), &owner);
    EXPECT_EQ(coll.Owner(), &owner);
    auto* a = static_cast<TNamedItem*>(coll.Add());
    auto* b = static_cast<TNamedItem*>(coll.Insert(0));
    EXPECT_EQ(b->Index(), 0);
    EXPECT_EQ(a->Index(), 1);
    EXPECT_NE(a->ID(), b->ID());
    EXPECT_EQ(coll.FindItemID(a->ID()), a);
    EXPECT_EQ(coll.FindItemID(99), nullptr);
    EXPECT_THROW(coll.Insert(3), EListError);
    EXPECT_EQ(a->DisplayName(), L"TNamedItem");
    a->Text = L"first";
    EXPECT_EQ(a->DisplayName(), L"first");
    EXPECT_EQ(a->Collection(), &coll);

    // An item can leave its collection and live on its own.
    a->SetCollection(nullptr);
    EXPECT_EQ(coll.Count(), 1);
    EXPECT_EQ(a->Index(), -1);
    delete a;
}

TEST(Collection, AssignCopiesItemsAndSelfAssignKeepsThem)
{
    TCountingCollection source, target;
    Filled(source, L"XYZ");
    Filled(target, L"Q");
    target.updates.clear();
    target.Assign(&source);
    EXPECT_EQ(target.Order(), L"XYZ");
    EXPECT_EQ(target.updates, std::vector<TCollectionItem*>{nullptr});
    EXPECT_NE(target.Items(0), source.Items(0));

    target.Assign(&target);
    EXPECT_EQ(target.Order(), L"XYZ");

    TComponent notACollection(nullptr);
    EXPECT_THROW(target.Assign(&notACollection), EConvertError);
}

// ---------------------------------------------------------------------------------------------
// Published properties

namespace {

enum TSampleAlign { saNone, saTop, saClient };
enum TSampleAnchor { saLeft, saTop2, saRight, saBottom };
using TSampleAnchors = TSet<TSampleAnchor>;

const TEnumTypeInfo AlignType{{L"alNone", L"alTop", L"alClient"}, 0};
const TEnumTypeInfo AnchorType{{L"akLeft", L"akTop", L"akRight", L"akBottom"}, 0};

class TSample : public TComponent {
public:
    using TComponent::TComponent;
    UnicodeString ClassName() const override { return L"TSample"; }

    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    bool Flag() const { return flag_; }
    void SetFlag(bool v) { flag_ = v; }
    TSampleAlign Align() const { return align_; }
    void SetAlign(TSampleAlign v) { align_ = v; }
    TSampleAnchors Anchors() const { return anchors_; }
    void SetAnchors(TSampleAnchors v) { anchors_ = v; }
    int Color() const { return color_; }
    void SetColor(int v) { color_ = v; }
    UnicodeString Caption() const { return caption_; }
    void SetCaption(const UnicodeString& v) { caption_ = v; }
    uint8_t Small() const { return small_; }
    void SetSmall(uint8_t v) { small_ = v; }
    double Ratio() const { return ratio_; }
    void SetRatio(double v) { ratio_ = v; }
    int ReadOnly() const { return 5; }

    TComponent* Child = nullptr;
    TNotifyEvent OnChange;
    std::function<void(TObject*, wchar_t&)> OnKeyPress;

private:
    int count_ = 3;
    bool flag_ = false;
    TSampleAlign align_ = saNone;
    TSampleAnchors anchors_{saLeft, saTop2};
    int color_ = 0x1FFFFFFF;
    UnicodeString caption_;
    uint8_t small_ = 0;
    double ratio_ = 1.5;
};

class TSampleChild : public TSample {
public:
    using TSample::TSample;
    UnicodeString ClassName() const override { return L"TSampleChild"; }
};

void RegisterSample()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterPublishedClass(L"TSample", L"TComponent");
    RegisterPublishedProperty(L"TSample", OrdProp(L"Count", pkInteger, &TSample::Count, &TSample::SetCount, int64_t{3}));
    RegisterPublishedProperty(L"TSample", OrdProp(L"Flag", pkBool, &TSample::Flag, &TSample::SetFlag, int64_t{0}));
    RegisterPublishedProperty(L"TSample",
                              OrdProp(L"Align", pkEnum, &TSample::Align, &TSample::SetAlign, int64_t{0}, &AlignType));
    RegisterPublishedProperty(L"TSample", OrdProp(L"Anchors", pkSet, &TSample::Anchors, &TSample::SetAnchors,
                                                  int64_t{0b0011}, &AnchorType));
    RegisterPublishedProperty(L"TSample", OrdProp(L"Color", pkColor, &TSample::Color, &TSample::SetColor,
                                                  int64_t{0x1FFFFFFF}));
    TPropInfo caption = StrProp(L"Caption", &TSample::Caption, &TSample::SetCaption);
    caption.Stored = [](TPersistent* p) { return static_cast<TSample*>(p)->Flag(); };
    RegisterPublishedProperty(L"TSample", caption);
    RegisterPublishedProperty(L"TSample", OrdProp(L"Small", pkInteger, &TSample::Small, &TSample::SetSmall));
    RegisterPublishedProperty(L"TSample", OrdProp<TSample, int>(L"ReadOnly", pkInteger, &TSample::ReadOnly));
    RegisterPublishedProperty(L"TSample", FloatProp(L"Ratio", &TSample::Ratio, &TSample::SetRatio, 1.5));
    TPropInfo child;
    child.Name = L"Child";
    child.Kind = pkObject;
    child.GetObj = [](TPersistent* p) -> TPersistent* { return static_cast<TSample*>(p)->Child; };
    child.SetObj = [](TPersistent* p, TPersistent* v) {
        static_cast<TSample*>(p)->Child = dynamic_cast<TComponent*>(v);
    };
    RegisterPublishedProperty(L"TSample", child);
    RegisterPublishedProperty(L"TSample", EventProp(L"OnChange", &TSample::OnChange));
    RegisterPublishedProperty(L"TSample", EventProp(L"OnKeyPress", &TSample::OnKeyPress));
    RegisterPublishedClass(L"TSampleChild", L"TSample");
}

} // namespace

TEST(PublishedProperties, TextValuesRoundTrip)
{
    RegisterSample();
    struct Case {
        const wchar_t* prop;
        const wchar_t* input;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"Count", L"42", L"42"},          {L"count", L" -7 ", L"-7"},        {L"Count", L"$10", L"16"},
        {L"Count", L"$FFFFFFFF", L"-1"},   {L"Flag", L"true", L"True"},       {L"Flag", L"False", L"False"},
        {L"Align", L"ALCLIENT", L"alClient"},
        {L"Anchors", L"[akRight, akLeft]", L"akLeft,akRight"},
        {L"Anchors", L"", L""},            {L"Anchors", L"[]", L""},
        {L"Color", L"$FF000005", L"$FF000005"}, {L"Color", L"255", L"$000000FF"},
        {L"Caption", L"Verbindungen: 3", L"Verbindungen: 3"},
        {L"Name", L"Sample1", L"Sample1"}, {L"Tag", L"-2", L"-2"},          {L"Small", L"255", L"255"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.prop) << L"=" << std::wstring(c.input));
        TSampleChild s(nullptr); // properties come from TSample and TComponent
        SetPropValue(&s, c.prop, c.input);
        EXPECT_EQ(GetPropValue(&s, c.prop), c.text);
    }
}

TEST(PublishedProperties, BadTextIsRejectedAndLeavesTheValue)
{
    RegisterSample();
    struct Case {
        const wchar_t* prop;
        const wchar_t* input;
        bool unknownProperty;
    };
    const Case cases[] = {
        {L"Count", L"abc", false},         {L"Count", L"", false},          {L"Count", L"99999999999", false},
        {L"Count", L"$123456789ABCDEF01", false}, {L"Small", L"256", false}, {L"Small", L"-1", false},
        {L"Flag", L"yes", false},          {L"Align", L"alNowhere", false}, {L"Anchors", L"akLeft,akUp", false},
        {L"Anchors", L"[akLeft", false},   {L"Name", L"1x", false},         {L"Nothing", L"1", true},
        {L"ReadOnly", L"1", false},        {L"Child", L"x", false},         {L"OnChange", L"x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.prop) << L"=" << std::wstring(c.input));
        TSample s(nullptr);
        const bool known = HasProperty(&s, c.prop);
        EXPECT_EQ(known, !c.unknownProperty);
        const UnicodeString before = known && c.prop != UnicodeString(L"Child") && c.prop != UnicodeString(L"OnChange")
                                         ? GetPropValue(&s, c.prop)
                                         : UnicodeString();
        EXPECT_THROW(SetPropValue(&s, c.prop, c.input), Exception);
        if (!before.empty()) {
            EXPECT_EQ(GetPropValue(&s, c.prop), before);
        }
    }
    TSample s(nullptr);
    EXPECT_THROW(SetPropValue(&s, L"Align", L"x"), EPropertyConvertError);
    EXPECT_THROW(SetPropValue(&s, L"Nothing", L"1"), EPropertyError);
    EXPECT_THROW(SetPropValue(&s, L"Small", L"300"), EPropertyConvertError);
}

TEST(PublishedProperties, FloatValuesHaveOneTextWhateverTheLocale)
{
    RegisterSample();
    struct LocaleGuard {
        TFormatSettings saved = FormatSettings;
        ~LocaleGuard() { FormatSettings = saved; }
    } guard;
    FormatSettings.DecimalSeparator = L',';
    TSample s(nullptr);
    const TPropInfo* ratio = GetPropInfo(&s, L"ratio");
    ASSERT_NE(ratio, nullptr);
    EXPECT_EQ(ratio->Kind, pkFloat);
    EXPECT_FALSE(IsStoredProp(&s, *ratio)) << "at its default";
    EXPECT_EQ(GetIntProp(&s, L"Ratio"), 0) << "no ordinal";

    // The shortest digits that give the value back, always with '.', never an integer run the
    // form reader could not take.
    struct Case {
        const wchar_t* input;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"15.5", L"15.5"},          {L" -2.5e-3 ", L"-0.0025"}, {L"7", L"7"},
        {L"1E20", L"1.0E20"},        {L"1.5E-7", L"1.5E-7"},     {L"0.30000000000000004", L"0.30000000000000004"},
        {L"12345678901234567890", L"1.2345678901234567E19"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.input));
        SetPropValue(&s, L"Ratio", c.input);
        EXPECT_EQ(GetPropValue(&s, L"Ratio"), c.text);
        double back = 0;
        ASSERT_TRUE(TryPropTextToFloat(c.text, back));
        EXPECT_EQ(back, s.Ratio()) << "exactly the value";
        EXPECT_TRUE(IsStoredProp(&s, *ratio));
    }
    s.SetRatio(0.25);
    for (const wchar_t* bad : {L"1,5", L"", L"abc", L"1e999", L"1.5.2"}) {
        EXPECT_THROW(SetPropValue(&s, L"Ratio", bad), EPropertyConvertError) << std::wstring(bad);
        EXPECT_EQ(s.Ratio(), 0.25) << std::wstring(bad);
    }
    ratio->SetFloat(&s, std::nan(""));
    EXPECT_EQ(GetPropValue(&s, L"Ratio"), L"NAN");
}

TEST(PublishedProperties, ByNameRoutinesToleratesMissingPropertiesAndCheckRanges)
{
    RegisterSample();
    TSample s(nullptr);
    TComponent plain(nullptr);
    EXPECT_TRUE(HasProperty(&s, L"tag"));
    EXPECT_FALSE(HasProperty(&plain, L"Count"));
    EXPECT_EQ(GetIntProp(&plain, L"Count"), 0);
    SetIntProp(&plain, L"Count", 9); // not written, no error
    SetIntProp(&s, L"Count", 9);
    EXPECT_EQ(s.Count(), 9);
    EXPECT_EQ(GetIntProp(&s, L"Align"), 0);
    SetIntProp(&s, L"Align", 2);
    EXPECT_EQ(s.Align(), saClient);
    EXPECT_THROW(SetIntProp(&s, L"Align", 3), EPropertyConvertError);
    EXPECT_THROW(SetIntProp(&s, L"Anchors", 0b10000), EPropertyConvertError);
    SetIntProp(&s, L"Flag", 7);
    EXPECT_TRUE(s.Flag());
    EXPECT_EQ(GetIntProp(&s, L"Caption"), 0); // not ordinal

    TComponent child(nullptr);
    EXPECT_EQ(GetObjProp(&s, L"Child"), nullptr);
    SetObjProp(&s, L"Child", &child);
    EXPECT_EQ(GetObjProp(&s, L"Child"), &child);
    EXPECT_EQ(GetObjProp(&s, L"Count"), nullptr);
    EXPECT_THROW(SetObjProp(&s, L"Count", &child), EPropertyError);
}

namespace {

// One component reference published four times, each with another nil rule.
class TReferrer : public TComponent {
public:
    using TComponent::TComponent;
    UnicodeString ClassName() const override { return L"TReferrer"; }

    TComponent* Target() const { return target_; }
    void SetTarget(TComponent* value)
    {
        target_ = value;
        ++sets_;
    }
    int Sets() const { return sets_; }

private:
    TComponent* target_ = nullptr;
    int sets_ = 0;
};

void RegisterReferrer()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterPublishedClass(L"TReferrer", L"TComponent");
    const auto target = [](const wchar_t* name, TNilObject nil) {
        return ObjProp(name, &TReferrer::Target, &TReferrer::SetTarget, L"Component expected", nil);
    };
    RegisterPublishedProperty(L"TReferrer", target(L"Passed", TNilObject::Pass));
    RegisterPublishedProperty(L"TReferrer", target(L"Required", TNilObject::Reject));
    RegisterPublishedProperty(L"TReferrer", target(L"Kept", TNilObject::Ignore));
    RegisterPublishedProperty(L"TReferrer", ObjProp(L"View", &TReferrer::Target));
}

class TNoComponent : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TNoComponent"; }
};

} // namespace

TEST(PublishedProperties, ObjectPropertiesCheckTheClassAndTreatNilByTheirRule)
{
    RegisterReferrer();
    TComponent first(nullptr);
    TComponent second(nullptr);
    TNoComponent stranger;
    struct Case {
        const wchar_t* property;
        TPersistent* value;
        bool raises;
        TComponent* target; // afterwards, starting from &first
        int sets;
    } cases[] = {
        {L"Passed", &second, false, &second, 1}, {L"Passed", nullptr, false, nullptr, 1},
        {L"Required", &second, false, &second, 1}, {L"Required", nullptr, true, &first, 0},
        {L"Kept", &second, false, &second, 1},   {L"Kept", nullptr, false, &first, 0},
        {L"Passed", &stranger, true, &first, 0}, {L"Required", &stranger, true, &first, 0},
        {L"Kept", &stranger, true, &first, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
        TReferrer r(nullptr);
        r.SetTarget(&first);
        const int setsBefore = r.Sets();
        if (c.raises) {
            try {
                SetObjProp(&r, c.property, c.value);
                ADD_FAILURE() << "no error";
            } catch (const EPropertyError& e) {
                EXPECT_EQ(e.Message(), L"Component expected");
            }
        } else {
            SetObjProp(&r, c.property, c.value);
        }
        EXPECT_EQ(r.Target(), c.target);
        EXPECT_EQ(r.Sets() - setsBefore, c.sets);
        EXPECT_EQ(GetObjProp(&r, L"View"), r.Target());
    }

    TReferrer r(nullptr);
    EXPECT_THROW(SetObjProp(&r, L"View", &first), EPropertyError); // read-only
    // Reached with an instance of another class, the property refuses instead of casting blindly.
    const TPropInfo* info = GetPropInfo(L"TReferrer", L"Passed");
    ASSERT_NE(info, nullptr);
    EXPECT_THROW(info->GetObj(&stranger), EPropertyError);
    EXPECT_THROW(info->SetObj(&stranger, &first), EPropertyError);
}

TEST(PublishedProperties, ValuesEqualToTheDefaultAreNotStored)
{
    RegisterSample();
    TSampleChild s(nullptr);
    auto stored = [&](const wchar_t* name) { return IsStoredProp(&s, *GetPropInfo(&s, name)); };
    EXPECT_FALSE(stored(L"Count"));
    EXPECT_FALSE(stored(L"Anchors"));
    EXPECT_FALSE(stored(L"Color"));
    EXPECT_FALSE(stored(L"Tag"));
    EXPECT_FALSE(stored(L"Caption")); // stored predicate: only with Flag
    EXPECT_TRUE(stored(L"Small"));    // no default: always stored
    s.SetCount(4);
    s.SetAnchors({saLeft});
    s.SetTag(1);
    s.SetFlag(true);
    EXPECT_TRUE(stored(L"Count"));
    EXPECT_TRUE(stored(L"Anchors"));
    EXPECT_TRUE(stored(L"Tag"));
    EXPECT_TRUE(stored(L"Caption"));

    // Ancestors' properties first, each class in registration order.
    std::vector<UnicodeString> names;
    for (const TPropInfo* p : GetPropList(&s)) names.push_back(p->Name);
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(names[0], L"Name");
    EXPECT_EQ(names[1], L"Tag");
    EXPECT_EQ(names[2], L"Count");
}

namespace {

const TBytes kBmpMagic{0x42, 0x4D};

// Binary properties through both accessor shapes BinProp takes.
class TBlobSample : public TComponent {
public:
    using TComponent::TComponent;
    UnicodeString ClassName() const override { return L"TBlobSample"; }
    const TBytes& Data() const { return data_; }
    void SetData(const TBytes& v) { data_ = v; }
    std::span<const std::uint8_t> Header() const { return header_; }
    void SetHeader(std::span<const std::uint8_t> v) { header_.assign(v.begin(), v.end()); }
    bool keep = false;

private:
    TBytes data_;
    TBytes header_ = kBmpMagic;
};

void RegisterBlobSample()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterPublishedClass(L"TBlobSample", L"TComponent");
    RegisterPublishedProperty(L"TBlobSample", BinProp(L"Data", &TBlobSample::Data, &TBlobSample::SetData));
    TPropInfo header = BinProp(L"Header", &TBlobSample::Header, &TBlobSample::SetHeader, kBmpMagic);
    header.Stored = [](TPersistent* p) { return static_cast<TBlobSample*>(p)->keep; };
    RegisterPublishedProperty(L"TBlobSample", std::move(header));
    RegisterPublishedProperty(L"TBlobSample", BinProp<TBlobSample>(L"Fixed", &TBlobSample::Header));
    // A default with a predicate that says yes: stored at the default too.
    TPropInfo tag = OrdProp(L"Tag", pkInteger, &TBlobSample::Tag, &TBlobSample::SetTag, int64_t{0});
    tag.Stored = [](TPersistent* p) { return static_cast<TBlobSample*>(p)->keep; };
    RegisterPublishedProperty(L"TBlobSample", std::move(tag));
}

} // namespace

TEST(PublishedProperties, BinaryValuesAndStoredPredicates)
{
    RegisterBlobSample();
    TBlobSample s(nullptr);
    const TPropInfo* data = GetPropInfo(&s, L"data");
    const TPropInfo* header = GetPropInfo(&s, L"Header");
    const TPropInfo* fixed = GetPropInfo(&s, L"Fixed");
    ASSERT_TRUE(data && header && fixed);
    EXPECT_EQ(data->Kind, pkBinary);
    EXPECT_FALSE(fixed->SetBin) << "no setter: read-only";

    const TBytes big(1500, 0xA5);
    for (const TBytes& value : {TBytes{}, TBytes{0}, big}) {
        data->SetBin(&s, value);
        EXPECT_EQ(s.Data(), value);
        EXPECT_EQ(data->GetBin(&s), value);
        header->SetBin(&s, value);
        EXPECT_EQ(header->GetBin(&s), value);
        EXPECT_EQ(fixed->GetBin(&s), value);
    }
    EXPECT_THROW(GetPropValue(&s, L"Data"), EPropertyError) << "binary values have no text form";

    struct Case {
        const wchar_t* prop;
        bool keep;
        TBytes header;
        bool stored;
    };
    const Case cases[] = {
        {L"Data", false, {}, true},               // no default: always stored, empty too
        {L"Header", true, {0x42, 0x4D}, true},    // the predicate keeps the default value
        {L"Header", false, {0x00}, false},        // and leaves out any other
        {L"Fixed", false, {0x42, 0x4D}, true},    // no default
        {L"Tag", true, {}, true},                 // an ordinal at its default, kept by the predicate
        {L"Tag", false, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.prop) << " keep=" << c.keep);
        TBlobSample t(nullptr);
        t.keep = c.keep;
        t.SetHeader(c.header);
        EXPECT_EQ(IsStoredProp(&t, *GetPropInfo(&t, c.prop)), c.stored);
    }
}

TEST(PublishedProperties, EventsBindByHandlerName)
{
    RegisterSample();
    TSample s(nullptr);
    TMethodTable methods;
    TObject* seen = nullptr;
    methods.Add<TNotifyEvent>(L"Sample1Change", [&](TObject* sender) { seen = sender; });
    methods.Add<std::function<void(TObject*, wchar_t&)>>(L"Sample1KeyPress", [](TObject*, wchar_t& key) { key = L'X'; });

    SetMethodProp(&s, L"OnChange", L"sample1change", methods);
    ASSERT_TRUE(s.OnChange);
    s.OnChange(&s);
    EXPECT_EQ(seen, &s);

    SetMethodProp(&s, L"OnKeyPress", L"Sample1KeyPress", methods);
    wchar_t key = L'a';
    s.OnKeyPress(&s, key);
    EXPECT_EQ(key, L'X');

    EXPECT_THROW(SetMethodProp(&s, L"OnChange", L"Sample1KeyPress", methods), EPropertyError); // wrong type
    EXPECT_THROW(SetMethodProp(&s, L"OnChange", L"Missing", methods), EPropertyError);
    EXPECT_THROW(SetMethodProp(&s, L"Count", L"Sample1Change", methods), EPropertyError);
    EXPECT_TRUE(s.OnChange); // failed bindings leave the event as it was
    SetMethodProp(&s, L"OnChange", L"", methods);
    EXPECT_FALSE(s.OnChange);
}

TEST(PublishedProperties, EnumAndSetNames)
{
    EXPECT_EQ(GetEnumName(AlignType, 1), L"alTop");
    EXPECT_EQ(GetEnumName(AlignType, 3), L"");
    EXPECT_EQ(GetEnumName(AlignType, -1), L"");
    EXPECT_EQ(GetEnumValue(AlignType, L"altop"), 1);
    EXPECT_EQ(GetEnumValue(AlignType, L"alBottom"), -1);
    EXPECT_EQ(SetToString(AnchorType, 0b1010, true), L"[akTop,akBottom]");
    EXPECT_EQ(StringToSet(AnchorType, L" akBottom , akTop "), 0b1010u);
    const TEnumTypeInfo shifted{{L"b", L"c"}, 1};
    EXPECT_EQ(SetToString(shifted, 0b110), L"b,c");
    EXPECT_EQ(StringToSet(shifted, L"c"), 0b100u);
    EXPECT_EQ(GetEnumValue(shifted, L"c"), 2);
}
