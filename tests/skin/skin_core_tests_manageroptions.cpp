// The skin manager's option objects: their defaults, what their setters do when a value changes,
// and the scale-mode switch.
#include "skin_core_test_manager.h"

#include "FormReader.h"
#include "acntUtils.h"
#include "sSkinManagerSysColors.h"

#include <algorithm>

namespace {

int Count(const std::vector<WORD>& codes, WORD code) { return static_cast<int>(std::count(codes.begin(), codes.end(), code)); }

} // namespace

TEST_F(SkinManagerTest, OptionObjectsStartWithTheirDefaults)
{
    TsSkinManager m(nullptr);
    const TacOptions& o = *m.Options();
    const struct {
        const char* name;
        long long actual, expected;
    } table[] = {
        {"CheckEmptyAlpha", o.GetBool(0), 0},
        {"NoMouseHover", o.GetBool(1), 0},
        {"NativeBordersMaximized", o.GetBool(2), 0},
        {"StdGlyphsOrder", o.GetBool(3), 0},
        {"ChangeSysColors", o.GetBool(4), 0},
        {"StdImgTransparency", o.GetBool(5), 0},
        {"DrawNonClientArea", o.GetBool(6), 1},
        {"ArrowsStyle", o.ArrowsStyle(), arsDefault},
        {"OptimizingPriority", o.OptimizingPriority(), opSpeed},
        {"ScaleMode", o.ScaleMode(), smVCL},
        {"PixelsPerInch", o.PixelsPerInch(), 96},
        {"GroupBoxStyle", o.GroupBoxStyle(), gsStandard},
        {"AllowAnimation", m.Effects()->AllowAnimation(), 1},
        {"AllowAeroBluring", m.Effects()->AllowAeroBluring(), 1},
        {"AllowGlowing", m.Effects()->AllowGlowing(), 1},
        {"AllowOuterEffects", m.Effects()->GetBoolean(0), 1},
        {"DiscoloredGlyphs", m.Effects()->GetBoolean(1), 0},
        {"FormShow.Mode", m.AnimEffects()->FormShow()->Mode, atAero},
        {"FormHide.Active", m.AnimEffects()->FormHide()->Active, 1},
        {"FormHide.Time", m.AnimEffects()->FormHide()->Time, 0},
        {"FormHide.Mode", m.AnimEffects()->FormHide()->Mode, atAero},
        {"DialogShow.Active", m.AnimEffects()->DialogShow()->Active, 1},
        {"DialogShow.Time", m.AnimEffects()->DialogShow()->Time, 0},
        {"DialogShow.Mode", m.AnimEffects()->DialogShow()->Mode, atAero},
        {"DialogHide.Active", m.AnimEffects()->DialogHide()->Active, 1},
        {"DialogHide.Time", m.AnimEffects()->DialogHide()->Time, 0},
        {"DialogHide.Mode", m.AnimEffects()->DialogHide()->Mode, atAero},
        {"Minimizing.Time", m.AnimEffects()->Minimizing()->Time, 80},
        {"SkinChanging.Time", m.AnimEffects()->SkinChanging()->Time, 100},
        {"SkinChanging.Mode", m.AnimEffects()->SkinChanging()->Mode, atFading},
        {"BlendOnMoving.Active", m.AnimEffects()->BlendOnMoving()->Active, 0},
        {"BlendOnMoving.Time", m.AnimEffects()->BlendOnMoving()->Time, 1000},
        {"BlendOnMoving.BlendValue", m.AnimEffects()->BlendOnMoving()->BlendValue, 170},
        {"PageChange.Active", m.AnimEffects()->PageChange()->Active, 1},
        {"PageChange.Time", m.AnimEffects()->PageChange()->Time, 0},
        {"PageChange.Mode", m.AnimEffects()->PageChange()->Mode, atcFade},
        {"Buttons.LightingMode", m.AnimEffects()->Buttons()->LightingMode(), lmActiveControl},
        {"Buttons.ClickEffect", m.AnimEffects()->Buttons()->ClickEffect, ceCircle},
        {"ButtonsSize", m.ScrollsOptions()->ButtonsSize(), -1},
        {"ScrollSize", m.ScrollsOptions()->ScrollSize(), -1},
        {"ShowFocusRect", m.ButtonsOptions()->ShowFocusRect, 0},
        {"ShiftContentOnClick", m.ButtonsOptions()->ShiftContentOnClick, 1},
        {"AllowRTLSysButtons", m.ButtonsOptions()->AllowRTLSysButtons, 1},
        {"OldGlyphsMode", m.ButtonsOptions()->OldGlyphsMode(), 1},
        {"TransparentAlways", m.LabelsOptions()->TransparentAlways, 1},
        {"MainMode", m.Fonts()->MainMode(), fmDefault},
    };
    for (const auto& row : table) EXPECT_EQ(row.actual, row.expected) << row.name;
    EXPECT_EQ(m.ButtonsOptions()->ModalButtonsColoring, TacModalButtonsColoring{bcGlyph});
    EXPECT_EQ(m.AnimEffects()->Buttons()->Events,
              (TacBtnEvents{beMouseEnter, beMouseLeave, beMouseDown, beMouseUp}));
    EXPECT_TRUE(m.Fonts()->MainFont().empty());
}

TEST_F(SkinManagerTest, OptionSettersRepaintOrBroadcastOnlyWhenTheValueChanges)
{
    TsSkinManager m(nullptr);
    m.AfterConstruction();
    TForm* form = RecordingForm("form");
    HookedComponents.push_back(form);
    const struct {
        const char* name;
        std::function<void(bool change)> set;
        WORD code;
    } table[] = {
        {"GroupBoxStyle", [&](bool c) { m.Options()->SetGroupBoxStyle(c ? gsCard : gsStandard); }, AC_REFRESH},
        {"AllowOuterEffects", [&](bool c) { m.Effects()->SetBoolean(0, !c); }, AC_REFRESH},
        {"DiscoloredGlyphs", [&](bool c) { m.Effects()->SetBoolean(1, c); }, AC_REFRESH},
        {"ButtonsSize", [&](bool c) { m.ScrollsOptions()->SetInteger(0, c ? 20 : -1); }, AC_REFRESH},
        {"ScrollSize", [&](bool c) { m.ScrollsOptions()->SetInteger(1, c ? 20 : -1); }, AC_SCROLLOPTIONS},
        {"OldGlyphsMode", [&](bool c) { m.ButtonsOptions()->SetOldGlyphsMode(c ? !ac_OldGlyphsMode : ac_OldGlyphsMode); },
         AC_REFRESH},
        {"DrawNonClientArea", [&](bool c) { m.Options()->SetBool(6, !c); }, AC_NCOPTIONCHANGED},
    };
    for (const auto& row : table) {
        Commands().clear();
        row.set(false);
        EXPECT_EQ(Count(CodesOf("form"), row.code), 0) << row.name << " unchanged";
        row.set(true);
        EXPECT_GE(Count(CodesOf("form"), row.code), 1) << row.name << " changed";
    }
    // The non-client switch carries its new value.
    Commands().clear();
    m.Options()->SetBool(6, true);
    ASSERT_FALSE(Commands().empty());
    EXPECT_EQ(Commands().back().LParam, 1);
    const bool old = !ac_OldGlyphsMode;
    m.ButtonsOptions()->SetOldGlyphsMode(!old);
    EXPECT_EQ(m.ButtonsOptions()->OldGlyphsMode(), !old) << "the library-wide switch follows";
    ac_OldGlyphsMode = true;
    HookedComponents.clear();
}

TEST_F(SkinManagerTest, ChangeSysColorsSwitchesTheRedirectionOnlyForTheActiveDefaultManager)
{
    TsSkinManager m(nullptr);
    TsSkinManager other(nullptr);
    ASSERT_TRUE(m.IsDefault());
    SetSysColorsRedirected(false);
    other.Options()->SetBool(4, true);
    EXPECT_FALSE(SysColorsRedirected());
    m.Options()->SetBool(4, true);
    EXPECT_TRUE(SysColorsRedirected());
    m.Options()->SetBool(4, false);
    EXPECT_FALSE(SysColorsRedirected());
    m.SetActive(false);
    m.Options()->SetBool(4, true);
    EXPECT_FALSE(SysColorsRedirected());
    EXPECT_TRUE(m.Options()->ChangeSysColors());
}

TEST_F(SkinManagerTest, FontModeAndCustomFontChangeTheApplicationFont)
{
    TsSkinManager m(nullptr);
    m.StoreDefFont();
    std::vector<UnicodeString> changes;
    m.OnFontChanged = [&](TObject*, const UnicodeString&, const UnicodeString& name) { changes.push_back(name); };
    m.Fonts()->SetMainFont(L"Arial");
    EXPECT_TRUE(changes.empty()) << "not in custom mode";
    m.Fonts()->SetMainMode(fmCustom);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], L"Arial");
    m.Fonts()->SetMainFont(L"Tahoma");
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1], L"Tahoma");
    m.SkinCommonInfo.MainFont = L"Verdana";
    m.Fonts()->SetMainMode(fmFromSkin);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[2], L"Verdana");
    m.Fonts()->SetMainMode(fmDefault);
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_EQ(changes[3], m.DefaultFontName());
}

TEST_F(SkinManagerTest, ActualArrowStyleTakesTheSkinsOnlyForTheDefaultStyle)
{
    TsSkinManager m(nullptr);
    m.SkinCommonInfo.ArrowStyle = arsLines1;
    EXPECT_EQ(m.Options()->ActualArrowStyle(), arsLines1);
    m.Options()->SetArrowsStyle(arsSolid2);
    EXPECT_EQ(m.Options()->ActualArrowStyle(), arsSolid2);
}

TEST_F(SkinManagerTest, ScaleModeChangesReportTheirPercentsAndPPIs)
{
    TsSkinManager m(nullptr);
    m.AfterConstruction();
    std::vector<TScaleChangeData> events;
    int scaled = 0;
    m.OnScaleModeChange = [&](TObject*, const TScaleChangeData& d) {
        EXPECT_TRUE(m.ManagerState.Contains(msScaleChanging));
        events.push_back(d);
    };
    m.OnScaleChanged = [&](TObject*) { ++scaled; };
    TacOptions& o = *m.Options();
    const int sysPercent = aScalePercents[static_cast<size_t>(PPIToIndex(acSystemPPI()))];

    o.SetScaleMode(smVCL);
    EXPECT_TRUE(events.empty()) << "same mode";
    o.SetPixelsPerInch(150);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(o.PixelsPerInch(), 150) << "outside smCustomPPI only stored";

    struct Step {
        TacScaleMode mode;
        int ppi; // 0: set the mode
        int oldPercent, newPercent, newPPI;
    };
    const Step steps[] = {
        {sm100, 0, sysPercent, 100, 96},
        {sm150, 0, 100, 150, 144},
        {smOldMode, 0, 150, 100, 96},
        {sm125, 0, 100, 125, 120},
        {smCustomPPI, 0, 125, 125, 120},
        {smCustomPPI, 192, 125, 200, 192},
    };
    for (const Step& s : steps) {
        events.clear();
        m.ManagerState.Include(msAnimScaling);
        if (s.ppi)
            o.SetPixelsPerInch(static_cast<TacPixelsPerInch>(s.ppi));
        else
            o.SetScaleMode(s.mode);
        ASSERT_EQ(events.size(), 1u) << int(s.mode);
        EXPECT_EQ(events[0].NewScaleMode, s.mode);
        EXPECT_EQ(events[0].OldScalePercent, s.oldPercent) << int(s.mode);
        EXPECT_EQ(events[0].NewScalePercent, s.newPercent) << int(s.mode);
        EXPECT_EQ(events[0].NewPPI, s.newPPI) << int(s.mode);
        EXPECT_EQ(o.ScaleMode(), s.mode);
        EXPECT_EQ(acCurrentScaleMode, s.mode) << "the default manager's mode is the library's";
        EXPECT_FALSE(m.ManagerState.Contains(msScaleChanging));
        EXPECT_FALSE(m.ManagerState.Contains(msAnimScaling));
        EXPECT_FALSE(m.NoAutoUpdate) << "the update begun for the change is ended";
    }
    EXPECT_EQ(events[0].OldPPI, 120);
    EXPECT_EQ(o.PixelsPerInch(), 192);
    EXPECT_EQ(scaled, 6);

    // From a fixed mode back to smVCL: a custom PPI takes the screen's, then smVCL.
    o.SetScaleMode(sm200);
    events.clear();
    o.SetScaleMode(smVCL);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].OldScalePercent, 200);
    EXPECT_EQ(events[0].NewScalePercent, aScalePercents[static_cast<size_t>(std::min(3, m.SysFontScale))]);
    EXPECT_EQ(o.ScaleMode(), smVCL);
    EXPECT_EQ(o.PixelsPerInch(), acSystemPPI());
}

TEST_F(SkinManagerTest, AScaleModeReadFromADefinitionOnlyStoresAndResizesTheMessageFont)
{
    TFont* font = Screen->MessageFont();
    font->SetSize(12);
    const int percent = aScalePercents[static_cast<size_t>(PPIToIndex(acSystemPPI()))];
    // A skinned form that a rescale would grow to twice its size.
    TForm* skinned = RecordingForm("skinned");
    HookedComponents.push_back(skinned);
    const int clientWidth = skinned->ClientWidth();
    int scaleChanged = 0;
    TMethodTable methods;
    methods.Add(L"ScaleChanged", TNotifyEvent([&](TObject*) { ++scaleChanged; }));
    auto* form = new TForm(Application);
    ReadComponentFromText(form,
                          L"object Form1: TForm\n"
                          L"  object sSkinManager1: TsSkinManager\n"
                          L"    OnScaleChanged = ScaleChanged\n"
                          L"    Options.ScaleMode = sm200\n"
                          L"  end\n"
                          L"end\n",
                          &methods);
    auto* m = dynamic_cast<TsSkinManager*>(form->FindComponent(L"sSkinManager1"));
    ASSERT_NE(m, nullptr);
    ASSERT_TRUE(m->OnScaleChanged) << "the handler was bound before the mode was read";
    EXPECT_EQ(m->Options()->ScaleMode(), sm200);
    EXPECT_EQ(m->Options()->PixelsPerInch(), 192);
    EXPECT_EQ(font->Size(), MulDiv(12, 200, percent));
    EXPECT_FALSE(m->ManagerState.Contains(msScaleChanging));
    EXPECT_EQ(scaleChanged, 0) << "nothing was rescaled";
    EXPECT_EQ(skinned->ClientWidth(), clientWidth);
    EXPECT_EQ(Count(CodesOf("skinned"), AC_SETPPI), 0);
    HookedComponents.clear();
    font->SetSize(12);
}
