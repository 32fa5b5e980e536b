// The skin manager's option objects and their published properties.
#include "sSkinManagerOptions.h"

#include "TypInfo.h"
#include "acAnimation.h"
#include "acntUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerSysColors.h"
#include "sStyleSimply.h"

#include <functional>

const std::array<const wchar_t*, acThirdKindCount> acThirdPropNames{
    L"ThirdEdits",        L"ThirdButtons",       L"ThirdBitBtns",     L"ThirdCheckBoxes",  L"ThirdComboBoxes",
    L"ThirdGrids",        L"ThirdGroupBoxes",    L"ThirdListViews",   L"ThirdPanels",      L"ThirdTreeViews",
    L"ThirdWWEdits",      L"ThirdGridEh",        L"ThirdVirtualTrees", L"ThirdPageControl", L"ThirdTabControl",
    L"ThirdToolBar",      L"ThirdStatusBar",     L"ThirdSpeedButton", L"ThirdScrollControl", L"ThirdUpDown",
    L"ThirdScrollBar",    L"ThirdStaticText",    L"ThirdNativePaint"};

bool TacOptions::GetBool(int index) const
{
    return index >= 0 && index < static_cast<int>(FBools.size()) && FBools[static_cast<size_t>(index)];
}


TacAnimEffects::TacAnimEffects(TsSkinManager* manager)
    : Manager(manager), FFormHide(std::make_unique<TacFormHide>()), FDialogHide(std::make_unique<TacFormHide>()),
      FFormShow(std::make_unique<TacFormShow>()), FButtons(std::make_unique<TacBtnEffects>(manager)),
      FPageChange(std::make_unique<TacPageChange>()), FMinimizing(std::make_unique<TacMinimizing>()),
      FDialogShow(std::make_unique<TacDialogShow>()), FSkinChanging(std::make_unique<TacSkinChanging>()),
      FBlendOnMoving(std::make_unique<TacBlendOnMoving>())
{
}

// ---------------------------------------------------------------------------------------------
// Setter effects

namespace {

bool Loading(const TsSkinManager* m) { return m && m->ComponentState().Contains(csLoading); }
bool Designing(const TsSkinManager* m) { return m && m->ComponentState().Contains(csDesigning); }
bool IsDefaultManager(const TsSkinManager* m) { return m && DefaultManager == m; }

void SendCommand(void (*deliver)(TMessage&), WORD command, LPARAM lParam)
{
    TMessage message = MakeMessage(SM_ALPHACMD, MakeAlphaCmd(command), lParam, 0);
    deliver(message);
}

} // namespace

void TacOptions::SetBool(int index, bool value)
{
    if (index < 0 || index >= static_cast<int>(FBools.size())) return;
    const bool old = FBools[static_cast<size_t>(index)];
    FBools[static_cast<size_t>(index)] = value;
    switch (index) {
    case 4:
        if (IsDefaultManager(FOwner) && !Loading(FOwner) && !Designing(FOwner) && FOwner->Active())
            SetSysColorsRedirected(value);
        break;
    case 6:
        if (old != value && FOwner && !Designing(FOwner)) SendCommand(SendToHooked, AC_NCOPTIONCHANGED, value ? 1 : 0);
        break;
    default: break;
    }
}

void TacOptions::SetArrowsStyle(TacArrowsStyle value)
{
    if (FArrowsStyle == value) return;
    FArrowsStyle = value;
    if (FOwner) FOwner->UpdateCurrentSkin();
}

TacArrowsStyle TacOptions::ActualArrowStyle() const
{
    if (FArrowsStyle != arsDefault || !FOwner) return FArrowsStyle;
    return FOwner->SkinCommonInfo.ArrowStyle;
}

void TacOptions::SetGroupBoxStyle(TacGroupBoxStyle value)
{
    if (FGroupBoxStyle == value) return;
    FGroupBoxStyle = value;
    if (FOwner && !Loading(FOwner) && !Designing(FOwner)) FOwner->RepaintForms();
}

void TacSkinEffects::SetAllowAnimation(bool value)
{
    FAllowAnimation = value;
    if (IsDefaultManager(Manager) && !Designing(Manager))
        SetMouseLight(value && Manager->AnimEffects() &&
                      Manager->AnimEffects()->Buttons()->LightingMode() == lmAffectNearest);
}

void TacSkinEffects::SetBoolean(int index, bool value)
{
    bool& field = index == 0 ? FAllowOuterEffects : FDiscoloredGlyphs;
    if (field == value) return;
    field = value;
    if (Manager && !Loading(Manager) && !Manager->NoAutoUpdate) Manager->RepaintForms();
}

void TacBtnEffects::SetLightingMode(TacLightingMode value)
{
    FLightingMode = value;
    if (IsDefaultManager(Manager) && !Designing(Manager)) SetMouseLight(value == lmAffectNearest);
}

void TacScrollBarsSupport::SetInteger(int index, int value)
{
    int& field = index == 0 ? FButtonsSize : FScrollSize;
    if (field == value) return;
    field = value;
    if (!FOwner || Loading(FOwner)) return;
    if (index == 0)
        FOwner->RepaintForms();
    else
        SendCommand(AppBroadCastS, AC_SCROLLOPTIONS, 0);
}

void TacButtonsSupport::SetOldGlyphsMode(bool value)
{
    if (ac_OldGlyphsMode == value) return;
    ac_OldGlyphsMode = value;
    if (FOwner && !Loading(FOwner) && !Designing(FOwner)) FOwner->RepaintForms();
}

void TacFonts::SetMainFont(const UnicodeString& value)
{
    if (FMainFont == value) return;
    FMainFont = value;
    if (SkinManager && !Loading(SkinManager) && !Designing(SkinManager) && FMainMode == fmCustom)
        SkinManager->ChangeAppFont(value);
}

void TacFonts::SetMainMode(TacFontMode value)
{
    if (FMainMode == value) return;
    FMainMode = value;
    if (!SkinManager || Loading(SkinManager)) return;
    const UnicodeString& stored = SkinManager->DefaultFontName();
    switch (value) {
    case fmDefault:
        if (!stored.empty()) SkinManager->ChangeAppFont(stored);
        break;
    case fmFromSkin: {
        const UnicodeString& skinFont = SkinManager->SkinCommonInfo.MainFont;
        SkinManager->ChangeAppFont(skinFont.empty() ? stored : skinFont);
        break;
    }
    case fmCustom: SkinManager->ChangeAppFont(FMainFont); break;
    }
}

// ---------------------------------------------------------------------------------------------
// Published properties

namespace {

const TEnumTypeInfo kArrowsStyle{{L"arsSolid1", L"arsLines1", L"arsSolid2", L"arsLines2", L"arsSolid3", L"arsDefault"}};
const TEnumTypeInfo kOptimizing{{L"opSpeed", L"opMemory"}};
const TEnumTypeInfo kGroupBoxStyle{{L"gsStandard", L"gsCard"}};
const TEnumTypeInfo kAnimType{{L"atFading", L"atAero", L"atDropDown"}};
const TEnumTypeInfo kAnimTypeCtrl{{L"atcFade", L"atcAero", L"atcBlur", L"atcBlur2", L"atcRunup"}};
const TEnumTypeInfo kBtnEvent{{L"beMouseEnter", L"beMouseLeave", L"beMouseDown", L"beMouseUp", L"beClick", L"beLighting"}};
const TEnumTypeInfo kLightingMode{{L"lmAffectNearest", L"lmActiveControl"}};
const TEnumTypeInfo kClickEffect{{L"ceCircle", L"ceWaveOut", L"ceCircleAndWave"}};
const TEnumTypeInfo kModalColoring{{L"bcBackground", L"bcGlyph", L"bcText"}};
const TEnumTypeInfo kFontMode{{L"fmDefault", L"fmFromSkin", L"fmCustom"}};

template <class C>
TPropInfo Ord(const UnicodeString& name, TPropKind kind, std::function<int64_t(C&)> get,
              std::function<void(C&, int64_t)> set, std::optional<int64_t> def, const TEnumTypeInfo* type = nullptr)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = kind;
    info.EnumType = type;
    info.OrdDefault = def;
    info.GetOrd = [get](TPersistent* p) { return get(PropertyInstance<C>(p)); };
    info.SetOrd = [set](TPersistent* p, int64_t v) { set(PropertyInstance<C>(p), v); };
    return info;
}

template <class C>
TPropInfo Sub(const UnicodeString& name, std::function<TPersistent*(C&)> get)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkObject;
    info.GetObj = [get](TPersistent* p) { return get(PropertyInstance<C>(p)); };
    return info;
}

// A field of a form animation class (shared by its descendants through the registry).
template <class C, class T>
TPropInfo Field(const UnicodeString& name, TPropKind kind, T C::*field, int64_t def, const TEnumTypeInfo* type = nullptr)
{
    return Ord<C>(
        name, kind, [field](C& c) { return static_cast<int64_t>(c.*field); },
        [field](C& c, int64_t v) { c.*field = static_cast<T>(v); }, def, type);
}

void RegisterAnimation(const UnicodeString& cls, bool active, int time, std::optional<TacAnimType> mode)
{
    RegisterPublishedClass(cls, L"TPersistent");
    RegisterPublishedProperty(cls, Field(L"Active", pkBool, &TacFormAnimation::Active, active));
    RegisterPublishedProperty(cls, Field(L"Time", pkInteger, &TacFormAnimation::Time, time));
    if (mode) RegisterPublishedProperty(cls, Field(L"Mode", pkEnum, &TacFormAnimation::Mode, *mode, &kAnimType));
}

} // namespace

void RegisterSkinManagerOptionClasses()
{
    static bool done = false;
    if (done) return;
    done = true;

    const UnicodeString options = L"TacOptions";
    RegisterPublishedClass(options, L"TPersistent");
    const std::array<std::pair<const wchar_t*, int>, 7> bools{{{L"CheckEmptyAlpha", 0},
                                                                {L"NoMouseHover", 1},
                                                                {L"NativeBordersMaximized", 2},
                                                                {L"StdGlyphsOrder", 3},
                                                                {L"ChangeSysColors", 4},
                                                                {L"StdImgTransparency", 5},
                                                                {L"DrawNonClientArea", 6}}};
    for (const auto& [name, index] : bools)
        RegisterPublishedProperty(
            options, Ord<TacOptions>(
                         name, pkBool, [i = index](TacOptions& o) { return int64_t{o.GetBool(i)}; },
                         [i = index](TacOptions& o, int64_t v) { o.SetBool(i, v != 0); }, int64_t{index == 6}));
    RegisterPublishedProperty(options, OrdProp(L"ArrowsStyle", pkEnum, &TacOptions::ArrowsStyle,
                                               &TacOptions::SetArrowsStyle, int64_t{arsDefault}, &kArrowsStyle));
    RegisterPublishedProperty(options,
                              OrdProp(L"OptimizingPriority", pkEnum, &TacOptions::OptimizingPriority,
                                      &TacOptions::SetOptimizingPriority, int64_t{opSpeed}, &kOptimizing));
    RegisterPublishedProperty(options, OrdProp(L"ScaleMode", pkEnum, &TacOptions::ScaleMode, &TacOptions::SetScaleMode,
                                               int64_t{smVCL}, &TacScaleModeTypeInfo()));
    RegisterPublishedProperty(
        options, Ord<TacOptions>(
                     L"PixelsPerInch", pkInteger, [](TacOptions& o) { return int64_t{o.PixelsPerInch()}; },
                     [](TacOptions& o, int64_t v) {
                         if (v < 48 || v > 384) throw EPropertyConvertError(L"PixelsPerInch must lie in 48..384");
                         o.SetPixelsPerInch(static_cast<TacPixelsPerInch>(v));
                     },
                     int64_t{96}));
    RegisterPublishedProperty(options, OrdProp(L"GroupBoxStyle", pkEnum, &TacOptions::GroupBoxStyle,
                                               &TacOptions::SetGroupBoxStyle, int64_t{gsStandard}, &kGroupBoxStyle));

    const UnicodeString effects = L"TacSkinEffects";
    RegisterPublishedClass(effects, L"TPersistent");
    RegisterPublishedProperty(effects, OrdProp(L"AllowAnimation", pkBool, &TacSkinEffects::AllowAnimation,
                                               &TacSkinEffects::SetAllowAnimation, int64_t{1}));
    RegisterPublishedProperty(effects, OrdProp(L"AllowAeroBluring", pkBool, &TacSkinEffects::AllowAeroBluring,
                                               &TacSkinEffects::SetAllowAeroBluring, int64_t{1}));
    RegisterPublishedProperty(effects, OrdProp(L"AllowGlowing", pkBool, &TacSkinEffects::AllowGlowing,
                                               &TacSkinEffects::SetAllowGlowing, int64_t{1}));
    for (int index : {0, 1})
        RegisterPublishedProperty(
            effects, Ord<TacSkinEffects>(
                         index == 0 ? L"AllowOuterEffects" : L"DiscoloredGlyphs", pkBool,
                         [index](TacSkinEffects& e) { return int64_t{e.GetBoolean(index)}; },
                         [index](TacSkinEffects& e, int64_t v) { e.SetBoolean(index, v != 0); }, int64_t{index == 0}));

    RegisterAnimation(L"TacFormShow", true, 0, atAero);
    RegisterAnimation(L"TacFormHide", true, 0, atAero);
    RegisterAnimation(L"TacDialogShow", true, 0, atAero);
    RegisterAnimation(L"TacMinimizing", true, 80, std::nullopt);
    RegisterAnimation(L"TacSkinChanging", true, 100, atFading);
    RegisterAnimation(L"TacBlendOnMoving", false, 1000, std::nullopt);
    RegisterPublishedProperty(L"TacBlendOnMoving",
                              Field(L"BlendValue", pkInteger, &TacBlendOnMoving::BlendValue, 170));
    RegisterPublishedClass(L"TacPageChange", L"TPersistent");
    RegisterPublishedProperty(L"TacPageChange", Field(L"Active", pkBool, &TacPageChange::Active, 1));
    RegisterPublishedProperty(L"TacPageChange", Field(L"Time", pkInteger, &TacPageChange::Time, 0));
    RegisterPublishedProperty(L"TacPageChange", Field(L"Mode", pkEnum, &TacPageChange::Mode, atcFade, &kAnimTypeCtrl));

    const UnicodeString buttons = L"TacBtnEffects";
    RegisterPublishedClass(buttons, L"TPersistent");
    RegisterPublishedProperty(
        buttons, Ord<TacBtnEffects>(
                     L"Events", pkSet, [](TacBtnEffects& b) { return static_cast<int64_t>(b.Events.Bits()); },
                     [](TacBtnEffects& b, int64_t v) { b.Events = TacBtnEvents::FromBits(static_cast<uint64_t>(v)); },
                     static_cast<int64_t>(TacBtnEvents{beMouseEnter, beMouseLeave, beMouseDown, beMouseUp}.Bits()),
                     &kBtnEvent));
    RegisterPublishedProperty(buttons, OrdProp(L"LightingMode", pkEnum, &TacBtnEffects::LightingMode,
                                               &TacBtnEffects::SetLightingMode, int64_t{lmActiveControl},
                                               &kLightingMode));
    RegisterPublishedProperty(buttons,
                              Field(L"ClickEffect", pkEnum, &TacBtnEffects::ClickEffect, ceCircle, &kClickEffect));

    const UnicodeString anim = L"TacAnimEffects";
    RegisterPublishedClass(anim, L"TPersistent");
    RegisterPublishedProperty(anim, Sub<TacAnimEffects>(L"BlendOnMoving", [](TacAnimEffects& a) -> TPersistent* { return a.BlendOnMoving(); }));
    RegisterPublishedProperty(anim, Sub<TacAnimEffects>(L"Buttons", [](TacAnimEffects& a) -> TPersistent* { return a.Buttons(); }));
    RegisterPublishedProperty(anim, Sub<TacAnimEffects>(L"DialogShow", [](TacAnimEffects& a) -> TPersistent* { return a.DialogShow(); }));
    RegisterPublishedProperty(anim, Sub<TacAnimEffects>(L"FormShow", [](TacAnimEffects& a) -> TPersistent* { return a.FormShow(); }));
    RegisterPublishedProperty(anim, Sub<TacAnimEffects>(L"FormHide", [](TacAnimEffects& a) -> TPersistent* { return a.FormHide(); }));
    RegisterPublishedProperty(anim, Sub<TacAnimEffects>(L"DialogHide", [](TacAnimEffects& a) -> TPersistent* { return a.DialogHide(); }));
    RegisterPublishedProperty(anim, Sub<TacAnimEffects>(L"Minimizing", [](TacAnimEffects& a) -> TPersistent* { return a.Minimizing(); }));
    RegisterPublishedProperty(anim, Sub<TacAnimEffects>(L"PageChange", [](TacAnimEffects& a) -> TPersistent* { return a.PageChange(); }));
    RegisterPublishedProperty(anim, Sub<TacAnimEffects>(L"SkinChanging", [](TacAnimEffects& a) -> TPersistent* { return a.SkinChanging(); }));

    const UnicodeString scrolls = L"TacScrollBarsSupport";
    RegisterPublishedClass(scrolls, L"TPersistent");
    for (int index : {0, 1})
        RegisterPublishedProperty(
            scrolls, Ord<TacScrollBarsSupport>(
                         index == 0 ? L"ButtonsSize" : L"ScrollSize", pkInteger,
                         [index](TacScrollBarsSupport& s) { return int64_t{s.GetInteger(index)}; },
                         [index](TacScrollBarsSupport& s, int64_t v) { s.SetInteger(index, static_cast<int>(v)); },
                         int64_t{-1}));

    const UnicodeString btnSupport = L"TacButtonsSupport";
    RegisterPublishedClass(btnSupport, L"TPersistent");
    RegisterPublishedProperty(btnSupport, Field(L"ShowFocusRect", pkBool, &TacButtonsSupport::ShowFocusRect, 0));
    RegisterPublishedProperty(btnSupport,
                              Field(L"ShiftContentOnClick", pkBool, &TacButtonsSupport::ShiftContentOnClick, 1));
    RegisterPublishedProperty(btnSupport,
                              Field(L"AllowRTLSysButtons", pkBool, &TacButtonsSupport::AllowRTLSysButtons, 1));
    RegisterPublishedProperty(
        btnSupport,
        Ord<TacButtonsSupport>(
            L"ModalButtonsColoring", pkSet,
            [](TacButtonsSupport& b) { return static_cast<int64_t>(b.ModalButtonsColoring.Bits()); },
            [](TacButtonsSupport& b, int64_t v) {
                b.ModalButtonsColoring = TacModalButtonsColoring::FromBits(static_cast<uint64_t>(v));
            },
            static_cast<int64_t>(TacModalButtonsColoring{bcGlyph}.Bits()), &kModalColoring));
    // Always stored: it is a library-wide switch, not a value of this object.
    RegisterPublishedProperty(btnSupport, OrdProp(L"OldGlyphsMode", pkBool, &TacButtonsSupport::OldGlyphsMode,
                                                  &TacButtonsSupport::SetOldGlyphsMode));

    RegisterPublishedClass(L"TacLabelsSupport", L"TPersistent");
    RegisterPublishedProperty(L"TacLabelsSupport",
                              Field(L"TransparentAlways", pkBool, &TacLabelsSupport::TransparentAlways, 1));

    const UnicodeString fonts = L"TacFonts";
    RegisterPublishedClass(fonts, L"TPersistent");
    RegisterPublishedProperty(fonts, StrProp(L"MainFont", &TacFonts::MainFont, &TacFonts::SetMainFont, UnicodeString()));
    RegisterPublishedProperty(
        fonts, OrdProp(L"MainMode", pkEnum, &TacFonts::MainMode, &TacFonts::SetMainMode, int64_t{fmDefault}, &kFontMode));

    const UnicodeString third = L"TsThirdPartyList";
    RegisterPublishedClass(third, L"TPersistent");
    for (int index = 0; index < acThirdKindCount; ++index) {
        TPropInfo info;
        info.Name = acThirdPropNames[static_cast<size_t>(index)];
        info.Kind = pkString;
        info.StrDefault = UnicodeString();
        info.GetStr = [index](TPersistent* p) { return PropertyInstance<TsThirdPartyList>(p).GetString(index); };
        info.SetStr = [index](TPersistent* p, const UnicodeString& v) {
            PropertyInstance<TsThirdPartyList>(p).SetString(index, v);
        };
        RegisterPublishedProperty(third, std::move(info));
    }
}

const TEnumTypeInfo& TacScaleModeTypeInfo()
{
    static const TEnumTypeInfo info{
        {L"sm100", L"sm125", L"sm150", L"sm200", L"smAuto", L"smOldMode", L"smVCL", L"smCustomPPI"}};
    return info;
}
