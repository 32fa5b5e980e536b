// Grid wrappers on stand-ins that publish the names foreign grids use: every skin colour written
// by path and every kept value given back when the skin goes, a grid without "ControlLook" keeping
// its fixed font, the extended grid's options and row stripes, and the dotted-path helpers.
#include "skin_wrappers_test_edit.h"

#include "Forms.h"
#include "TypInfo.h"
#include "acDials.h"
#include "acSBUtilsGrid.h"
#include "acSBUtilsProps.h"
#include "sGraphUtils.h"
#include "sSkinManager.h"

#include <map>
#include <string>

namespace {

// A persistent whose published ordinal properties are entries of one map (absent: not published),
// and whose object properties are further stand-ins.
class TPropBag : public TPersistent {
public:
    explicit TPropBag(UnicodeString cls) : cls_(std::move(cls)) {}
    UnicodeString ClassName() const override { return cls_; }
    std::map<UnicodeString, int64_t> Values;
    std::map<UnicodeString, std::unique_ptr<TPropBag>> Objects;

private:
    UnicodeString cls_;
};

const TEnumTypeInfo& OptionsEhInfo()
{
    static const TEnumTypeInfo info{{L"dghFixed3D", L"dghHighlightFocus"}, 0};
    return info;
}

using TBagOf = TPropBag& (*)(TPersistent*);

// Registers a class whose published properties are the entries of its bag: an ordinal (colour, or
// the set setName) per name, an object per child.
void RegisterStandIn(const UnicodeString& cls, const UnicodeString& parent, TBagOf bagOf,
                     const std::vector<UnicodeString>& ords, const std::vector<UnicodeString>& objects,
                     const UnicodeString& setName = {})
{
    if (!IsPublishedClass(cls)) RegisterPublishedClass(cls, parent);
    for (const UnicodeString& n : ords) {
        TPropInfo info;
        info.Name = n;
        info.Kind = n == setName ? pkSet : pkColor;
        if (n == setName) info.EnumType = &OptionsEhInfo();
        info.GetOrd = [n, bagOf](TPersistent* p) { return bagOf(p).Values[n]; };
        info.SetOrd = [n, bagOf](TPersistent* p, int64_t v) { bagOf(p).Values[n] = v; };
        RegisterPublishedProperty(cls, info);
    }
    for (const UnicodeString& n : objects) {
        TPropInfo info;
        info.Name = n;
        info.Kind = pkObject;
        info.GetObj = [n, bagOf](TPersistent* p) -> TPersistent* { return bagOf(p).Objects[n].get(); };
        RegisterPublishedProperty(cls, info);
    }
}

void RegisterBag(const UnicodeString& cls, const std::vector<UnicodeString>& ords,
                 const std::vector<UnicodeString>& objects)
{
    RegisterStandIn(cls, L"TPersistent", [](TPersistent* p) -> TPropBag& { return *dynamic_cast<TPropBag*>(p); }, ords,
                    objects);
}

// A grid control publishing its own properties through a bag of the same names.
class TGridStandIn : public TCustomControl {
public:
    TGridStandIn(TComponent* owner, UnicodeString cls) : TCustomControl(owner), cls_(std::move(cls)), Bag(cls_) {}
    UnicodeString ClassName() const override { return cls_; }

    UnicodeString cls_;
    TPropBag Bag;
};

// Registers the grid class so its bag's entries are its published properties.
void RegisterGrid(const UnicodeString& cls, const std::vector<UnicodeString>& ords,
                  const std::vector<UnicodeString>& objects, const UnicodeString& setName = {})
{
    RegisterStandIn(cls, L"TCustomControl", [](TPersistent* p) -> TPropBag& { return dynamic_cast<TGridStandIn*>(p)->Bag; },
                    ords, objects, setName);
}

std::unique_ptr<TPropBag> Bag(const UnicodeString& cls, std::map<UnicodeString, int64_t> values)
{
    auto b = std::make_unique<TPropBag>(cls);
    b->Values = std::move(values);
    return b;
}

class GridWrapperTest : public EditWrapperTest {
protected:
    void SetUp() override
    {
        EditWrapperTest::SetUp();
        RegisterBag(L"TLookStandIn", {L"FixedGradientFrom", L"FixedGradientTo", L"FixedGradientMirrorFrom",
                                      L"FixedGradientMirrorTo"}, {});
        RegisterBag(L"TFontStandIn", {L"Color"}, {});
        RegisterBag(L"TLineStandIn", {L"FixedColor", L"DataColor", L"ShadowColor", L"BrightColor", L"DarkColor",
                                      L"DataHorzColor", L"DataVertColor"}, {});
        RegisterBag(L"TParamsStandIn", {L"Color", L"SecondColor", L"FillStyle", L"VertLineColor", L"HorzLines",
                                        L"VertLines", L"ParentColor"}, {L"Font"});
        RegisterGrid(L"TLookGridStandIn", {L"FixedColor", L"GridLineColor", L"GridFixedLineColor", L"SelectionColor"},
                     {L"ControlLook", L"FixedFont", L"TitleFont"});
        RegisterGrid(L"TPlainGridStandIn", {L"FixedColor", L"GridLineColor"}, {L"FixedFont"});
        RegisterGrid(L"TEhGridStandIn", {L"FixedColor", L"OptionsEh", L"EvenRowColor", L"OddRowColor", L"DataSource"},
                     {L"GridLineParams", L"TitleParams", L"DataGrouping", L"RowCategories"}, L"OptionsEh");
        form = NewForm(400, 300);
        form->Show();
    }

    TGridStandIn* NewGrid(const UnicodeString& cls)
    {
        auto* g = new TGridStandIn(form, cls);
        g->SetParent(form);
        g->SetBounds(10, 10, 300, 200);
        return g;
    }

    TacScrollWnd* Wrap(TGridStandIn* g, TacWrapperKind kind)
    {
        TacSkinParams params;
        params.Control = g;
        params.SkinSection = L"EDIT";
        auto* sw = static_cast<TacScrollWnd*>(CreateWrapperOfKind(kind, g->Handle(), nullptr, manager.get(), params, true));
        sw->SetSkinParams();
        return sw;
    }

    TColor Skin(TacGridValue v) { return GridSkinValue(v, manager.get(), -1); }

    TForm* form = nullptr;
};

TEST_F(GridWrapperTest, PathHelpersReachNestedSetsAndEvents)
{
    TGridStandIn* g = NewGrid(L"TEhGridStandIn");
    g->Bag.Objects[L"TitleParams"] = Bag(L"TParamsStandIn", {{L"Color", 5}});
    g->Bag.Objects[L"TitleParams"]->Objects[L"Font"] = Bag(L"TFontStandIn", {{L"Color", 7}});
    EXPECT_EQ(GetIntPathIfExists(g, L"TitleParams.Font.Color"), 7);
    SetIntPathIfExists(g, L"TitleParams.Font.Color", 9);
    EXPECT_EQ(g->Bag.Objects[L"TitleParams"]->Objects[L"Font"]->Values[L"Color"], 9);
    // Missing steps, a missing object and an empty step do nothing.
    for (const wchar_t* path : {L"TitleParams.Nothing", L"GridLineParams.DarkColor", L"TitleParams..Color", L"Nothing"}) {
        SCOPED_TRACE(std::string(path, path + wcslen(path)));
        EXPECT_FALSE(HasPropPath(g, path));
        SetIntPathIfExists(g, path, 1);
        EXPECT_EQ(GetIntPathIfExists(g, path), 0);
    }
    EXPECT_TRUE(SetPathElement(g, L"OptionsEh", L"dghHighlightFocus", true));
    EXPECT_TRUE(SetPathHasElement(g, L"OptionsEh", L"dghHighlightFocus"));
    EXPECT_FALSE(SetPathHasElement(g, L"OptionsEh", L"dghFixed3D"));
    EXPECT_FALSE(SetPathElement(g, L"OptionsEh", L"dghUnknown", true));
    EXPECT_EQ(g->Bag.Values[L"OptionsEh"], 2);
    EXPECT_FALSE(SetEventPathIfExists(g, L"FixedColor", std::any()));
    TNotifyEvent click = [](TObject*) {};
    EXPECT_TRUE(SetEventPathIfExists(g, L"OnClick", click));
    EXPECT_FALSE(SetEventPathIfExists(g, L"OnClick", 5)) << "a handler of another type";
    EXPECT_TRUE(SetEventPathIfExists(g, L"OnClick", std::any()));
    delete g;
}

TEST_F(GridWrapperTest, ColoursAreWrittenByPathAndGivenBackExactly)
{
    TGridStandIn* g = NewGrid(L"TLookGridStandIn");
    const std::map<UnicodeString, int64_t> own{{L"FixedColor", 0x010101}, {L"GridLineColor", 0x020202},
                                               {L"GridFixedLineColor", 0x030303}, {L"SelectionColor", 0x040404}};
    g->Bag.Values = own;
    g->Bag.Objects[L"ControlLook"] = Bag(L"TLookStandIn", {{L"FixedGradientFrom", 11}, {L"FixedGradientTo", 12},
                                                           {L"FixedGradientMirrorFrom", 13}, {L"FixedGradientMirrorTo", 14}});
    g->Bag.Objects[L"FixedFont"] = Bag(L"TFontStandIn", {{L"Color", 21}});
    g->Bag.Objects[L"TitleFont"] = Bag(L"TFontStandIn", {{L"Color", 22}});
    auto* sw = Wrap(g, TacWrapperKind::Grid);
    const struct {
        const wchar_t* Path;
        TacGridValue Value;
    } written[] = {
        {L"FixedColor", TacGridValue::MainColor},
        {L"GridLineColor", TacGridValue::GridLine},
        {L"GridFixedLineColor", TacGridValue::Border},
        {L"SelectionColor", TacGridValue::Highlight},
        {L"ControlLook.FixedGradientFrom", TacGridValue::GradientFrom},
        {L"ControlLook.FixedGradientTo", TacGridValue::MainColor},
        {L"ControlLook.FixedGradientMirrorFrom", TacGridValue::MirrorFrom},
        {L"ControlLook.FixedGradientMirrorTo", TacGridValue::MirrorTo},
        {L"FixedFont.Color", TacGridValue::LabelText},
        {L"TitleFont.Color", TacGridValue::LabelText},
    };
    for (const auto& w : written) {
        SCOPED_TRACE(std::string(w.Path, w.Path + wcslen(w.Path)));
        EXPECT_EQ(GetIntPathIfExists(g, w.Path), Skin(w.Value));
    }
    EXPECT_EQ(Skin(TacGridValue::GradientFrom), BlendColors(manager->Palette[pcMainColor], manager->GetActiveEditColor(), 127));
    UninitializeACScroll(g->Handle(), true, false, sw);
    EXPECT_EQ(g->Bag.Values, own);
    EXPECT_EQ(GetIntPathIfExists(g, L"ControlLook.FixedGradientMirrorTo"), 14);
    EXPECT_EQ(GetIntPathIfExists(g, L"FixedFont.Color"), 21);
    EXPECT_EQ(GetIntPathIfExists(g, L"TitleFont.Color"), 22);
    delete g;
}

TEST_F(GridWrapperTest, AGridWithoutControlLookKeepsItsFixedFont)
{
    TGridStandIn* g = NewGrid(L"TPlainGridStandIn");
    g->Bag.Objects[L"FixedFont"] = Bag(L"TFontStandIn", {{L"Color", 21}});
    auto* sw = Wrap(g, TacWrapperKind::Grid);
    EXPECT_EQ(GetIntPathIfExists(g, L"FixedFont.Color"), 21);
    EXPECT_EQ(GetIntPathIfExists(g, L"FixedColor"), Skin(TacGridValue::MainColor));
    UninitializeACScroll(g->Handle(), true, false, sw);
    delete g;
}

TEST_F(GridWrapperTest, TheExtendedGridsOptionsParametersAndStripes)
{
    struct Case {
        const char* Name;
        int64_t Even, Odd;
        int64_t ParentColor;
    };
    const Case cases[] = {{"striped, grouping follows the parent", 0x111111, 0x222222, 1},
                          {"plain rows, own grouping colour", 0x333333, 0x333333, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TGridStandIn* g = NewGrid(L"TEhGridStandIn");
        g->Bag.Values = {{L"FixedColor", 1}, {L"OptionsEh", 3}, {L"EvenRowColor", c.Even}, {L"OddRowColor", c.Odd}};
        g->Bag.Objects[L"GridLineParams"] = Bag(L"TLineStandIn", {{L"BrightColor", 1}, {L"DarkColor", 2},
                                                                  {L"DataHorzColor", 3}, {L"DataVertColor", 4}});
        g->Bag.Objects[L"TitleParams"] = Bag(L"TParamsStandIn", {{L"Color", 5}, {L"SecondColor", 6}, {L"FillStyle", 0},
                                                                 {L"VertLineColor", 8}});
        g->Bag.Objects[L"DataGrouping"] = Bag(L"TParamsStandIn", {{L"Color", 9}, {L"ParentColor", c.ParentColor}});
        g->Bag.Objects[L"RowCategories"] = Bag(L"TParamsStandIn", {{L"Color", 10}});
        g->Bag.Objects[L"RowCategories"]->Objects[L"Font"] = Bag(L"TFontStandIn", {{L"Color", 11}});
        const auto snapshot = [&] {
            std::map<std::wstring, int64_t> all(g->Bag.Values.begin(), g->Bag.Values.end());
            for (auto& [name, obj] : g->Bag.Objects)
                for (auto& [n, v] : obj->Values) all[name + L"." + n] = v;
            all[L"RowCategories.Font.Color"] = g->Bag.Objects[L"RowCategories"]->Objects[L"Font"]->Values[L"Color"];
            return all;
        };
        const auto before = snapshot();
        auto* sw = Wrap(g, TacWrapperKind::GridEh);
        EXPECT_EQ(GetIntPathIfExists(g, L"TitleParams.FillStyle"), 3);
        EXPECT_EQ(GetIntPathIfExists(g, L"TitleParams.SecondColor"), Skin(TacGridValue::LightMain));
        EXPECT_EQ(GetIntPathIfExists(g, L"GridLineParams.DarkColor"), Skin(TacGridValue::DarkLine));
        EXPECT_EQ(GetIntPathIfExists(g, L"GridLineParams.DataVertColor"), Skin(TacGridValue::GridLine));
        EXPECT_EQ(GetIntPathIfExists(g, L"RowCategories.Font.Color"), Skin(TacGridValue::LabelText));
        EXPECT_EQ(GetIntPathIfExists(g, L"DataGrouping.Color"), c.ParentColor ? Skin(TacGridValue::LightMain) : 9);
        const bool striped = c.Even != c.Odd;
        EXPECT_EQ(GetIntPathIfExists(g, L"EvenRowColor"), striped ? manager->Palette[pcEditBG_EvenRow] : c.Even);
        EXPECT_EQ(GetIntPathIfExists(g, L"OddRowColor"), striped ? manager->Palette[pcEditBG_OddRow] : c.Odd);
        EXPECT_EQ(SetPathHasElement(g, L"OptionsEh", L"dghFixed3D"), !acThemesEnabled());
        EXPECT_TRUE(SetPathHasElement(g, L"OptionsEh", L"dghHighlightFocus"));
        UninitializeACScroll(g->Handle(), true, false, sw);
        EXPECT_EQ(snapshot(), before);
        delete g;
    }
}

TEST_F(GridWrapperTest, ADataAwareGridMovesTheSystemPositionOnThumbMessages)
{
    TGridStandIn* g = NewGrid(L"TEhGridStandIn");
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 100, 10, 0, 0};
    SetScrollInfo(g->Handle(), SB_VERT, &si, FALSE);
    // What the wrapper passes on to the grid.
    RecordingWindowProc recorder(g);
    auto* sw = Wrap(g, TacWrapperKind::GridEh);
    SendMessageW(g->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 40), 0);
    EXPECT_EQ(GetScrollPos(g->Handle(), SB_VERT), 40);
    SendMessageW(g->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 55), 0);
    EXPECT_EQ(GetScrollPos(g->Handle(), SB_VERT), 55);
    // The end of the scroll resends the final position first.
    recorder.Log.Clear();
    SendMessageW(g->Handle(), WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    EXPECT_EQ(recorder.Log.CountIf([](const RecordedMessage& m) {
        return m.Msg == WM_VSCROLL && m.WParam == MAKEWPARAM(SB_THUMBPOSITION, 55);
    }), 1);
    EXPECT_EQ(recorder.Log.Last(WM_VSCROLL)->WParam, MAKEWPARAM(SB_ENDSCROLL, 0));
    UninitializeACScroll(g->Handle(), true, false, sw);
    delete g;
}

} // namespace
