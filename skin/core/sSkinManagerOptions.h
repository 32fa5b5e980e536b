#pragma once
// The skin manager's option objects: small persistent holders that a form stores as the
// manager's nested properties (general options, animation and skin effects, scroll-bar, button
// and label settings, fonts and the class-name lists of foreign controls). Each keeps a
// reference back to its manager. Setters act (repaint, broadcast, switch an effect) only when
// the value really changes.
#include "Components.h"
#include "Sets.h"
#include "acntTypes.h"
#include "sConst.h"

#include <array>
#include <cstdint>
#include <memory>

class TsSkinManager;
struct TEnumTypeInfo;

enum TacGroupBoxStyle : std::uint8_t { gsStandard, gsCard };
enum TacLightingMode : std::uint8_t { lmAffectNearest, lmActiveControl };
enum TacClickEffect : std::uint8_t { ceCircle, ceWaveOut, ceCircleAndWave };
enum TacModalButtonsColoringItem : std::uint8_t { bcBackground, bcGlyph, bcText };
using TacModalButtonsColoring = TSet<TacModalButtonsColoringItem>;
enum TacFontMode : std::uint8_t { fmDefault, fmFromSkin, fmCustom };
using TacPixelsPerInch = std::uint16_t; // 48..384

// General options.
class TacOptions : public TPersistent {
public:
    explicit TacOptions(TsSkinManager* owner) : FOwner(owner) {}
    UnicodeString ClassName() const override { return L"TacOptions"; }

    // By index: 0 CheckEmptyAlpha, 1 NoMouseHover, 2 NativeBordersMaximized, 3 StdGlyphsOrder,
    // 4 ChangeSysColors, 5 StdImgTransparency, 6 DrawNonClientArea.
    bool GetBool(int index) const;
    void SetBool(int index, bool value);
    bool ChangeSysColors() const { return GetBool(4); }
    bool StdImgTransparency() const { return GetBool(5); }
    bool DrawNonClientArea() const { return GetBool(6); }

    TacArrowsStyle ArrowsStyle() const { return FArrowsStyle; }
    void SetArrowsStyle(TacArrowsStyle value);
    // ArrowsStyle, or the loaded skin's style for arsDefault.
    TacArrowsStyle ActualArrowStyle() const;
    TacOptimizingPriority OptimizingPriority() const { return FOptimizingPriority; }
    void SetOptimizingPriority(TacOptimizingPriority value) { FOptimizingPriority = value; }
    TacScaleMode ScaleMode() const { return FScaleMode; }
    void SetScaleMode(TacScaleMode value);
    TacPixelsPerInch PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(TacPixelsPerInch value);
    TacGroupBoxStyle GroupBoxStyle() const { return FGroupBoxStyle; }
    void SetGroupBoxStyle(TacGroupBoxStyle value);

    // Moves the manager from one scale mode (and PPI for smCustomPPI; 0 keeps it) to another:
    // tells OnScaleModeChange the old and new percent and PPI, then rescales (or only stores
    // while the manager is read from a form).
    void SetNewScaleMode(TacScaleMode OldMode, TacScaleMode NewMode, int NewPPI, int OldPPI);
    // Rescales the skin data and every skinned form to NewMode; Down when it shrinks.
    void DoScaleChanged(TacScaleMode NewMode, bool Down);

    TsSkinManager* FOwner;

private:
    std::array<bool, 7> FBools{false, false, false, false, false, false, true};
    TacArrowsStyle FArrowsStyle = arsDefault;
    TacPixelsPerInch FPixelsPerInch = 96;
    TacOptimizingPriority FOptimizingPriority = opSpeed;
    TacGroupBoxStyle FGroupBoxStyle = gsStandard;
    TacScaleMode FScaleMode = smVCL;
};

// Skin effects.
class TacSkinEffects : public TPersistent {
public:
    explicit TacSkinEffects(TsSkinManager* manager) : Manager(manager) {}
    UnicodeString ClassName() const override { return L"TacSkinEffects"; }

    bool AllowAnimation() const { return FAllowAnimation; }
    void SetAllowAnimation(bool value);
    bool AllowAeroBluring() const { return FAllowAeroBluring; }
    void SetAllowAeroBluring(bool value) { FAllowAeroBluring = value; }
    bool AllowGlowing() const { return FAllowGlowing; }
    void SetAllowGlowing(bool value) { FAllowGlowing = value; }
    // 0 AllowOuterEffects, 1 DiscoloredGlyphs.
    bool GetBoolean(int index) const { return index == 0 ? FAllowOuterEffects : FDiscoloredGlyphs; }
    void SetBoolean(int index, bool value);

    TsSkinManager* Manager;

private:
    bool FAllowGlowing = true;
    bool FAllowAnimation = true;
    bool FAllowAeroBluring = true;
    bool FDiscoloredGlyphs = false;
    bool FAllowOuterEffects = true;
};

// How a form animation runs: on or off, its time in milliseconds and its kind.
class TacFormAnimation : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TacFormAnimation"; }
    bool Active = true;
    WORD Time = 0;
    TacAnimType Mode = atAero;
};

class TacFormShow : public TacFormAnimation {
public:
    UnicodeString ClassName() const override { return L"TacFormShow"; }
};
class TacFormHide : public TacFormAnimation {
public:
    UnicodeString ClassName() const override { return L"TacFormHide"; }
};
class TacDialogShow : public TacFormAnimation {
public:
    UnicodeString ClassName() const override { return L"TacDialogShow"; }
};
class TacMinimizing : public TacFormAnimation {
public:
    TacMinimizing() { Time = 80; }
    UnicodeString ClassName() const override { return L"TacMinimizing"; }
};
// The animation of forms while the skin changes.
class TacSkinChanging : public TacFormAnimation {
public:
    TacSkinChanging()
    {
        Time = 100;
        Mode = atFading;
    }
    UnicodeString ClassName() const override { return L"TacSkinChanging"; }
};
class TacBlendOnMoving : public TacFormAnimation {
public:
    TacBlendOnMoving()
    {
        Active = false;
        Time = 1000;
    }
    UnicodeString ClassName() const override { return L"TacBlendOnMoving"; }
    std::uint8_t BlendValue = 170;
};

// The animation of a page change.
class TacPageChange : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TacPageChange"; }
    bool Active = true;
    WORD Time = 0;
    TacAnimTypeCtrl Mode = atcFade;
};

// Button effects.
class TacBtnEffects : public TPersistent {
public:
    explicit TacBtnEffects(TsSkinManager* manager) : Manager(manager) {}
    UnicodeString ClassName() const override { return L"TacBtnEffects"; }

    TacBtnEvents Events{beMouseEnter, beMouseLeave, beMouseDown, beMouseUp};
    TsSkinManager* Manager;
    TacLightingMode LightingMode() const { return FLightingMode; }
    void SetLightingMode(TacLightingMode value);
    TacClickEffect ClickEffect = ceCircle;

private:
    TacLightingMode FLightingMode = lmActiveControl;
};

// The manager's animation settings.
class TacAnimEffects : public TPersistent {
public:
    explicit TacAnimEffects(TsSkinManager* manager = nullptr);
    UnicodeString ClassName() const override { return L"TacAnimEffects"; }

    TacFormHide* FormHide() const { return FFormHide.get(); }
    TacFormHide* DialogHide() const { return FDialogHide.get(); }
    TacFormShow* FormShow() const { return FFormShow.get(); }
    TacBtnEffects* Buttons() const { return FButtons.get(); }
    TacPageChange* PageChange() const { return FPageChange.get(); }
    TacMinimizing* Minimizing() const { return FMinimizing.get(); }
    TacDialogShow* DialogShow() const { return FDialogShow.get(); }
    TacSkinChanging* SkinChanging() const { return FSkinChanging.get(); }
    TacBlendOnMoving* BlendOnMoving() const { return FBlendOnMoving.get(); }

    TsSkinManager* Manager;

private:
    std::unique_ptr<TacFormHide> FFormHide, FDialogHide;
    std::unique_ptr<TacFormShow> FFormShow;
    std::unique_ptr<TacBtnEffects> FButtons;
    std::unique_ptr<TacPageChange> FPageChange;
    std::unique_ptr<TacMinimizing> FMinimizing;
    std::unique_ptr<TacDialogShow> FDialogShow;
    std::unique_ptr<TacSkinChanging> FSkinChanging;
    std::unique_ptr<TacBlendOnMoving> FBlendOnMoving;
};

// Scroll-bar sizes; -1 takes the size from the skin.
class TacScrollBarsSupport : public TPersistent {
public:
    explicit TacScrollBarsSupport(TsSkinManager* owner) : FOwner(owner) {}
    UnicodeString ClassName() const override { return L"TacScrollBarsSupport"; }
    // 0 ButtonsSize, 1 ScrollSize.
    int GetInteger(int index) const { return index == 0 ? FButtonsSize : FScrollSize; }
    void SetInteger(int index, int value);
    int ScrollSize() const { return FScrollSize; }
    int ButtonsSize() const { return FButtonsSize; }

    TsSkinManager* FOwner;

private:
    int FScrollSize = -1;
    int FButtonsSize = -1;
};

class TacButtonsSupport : public TPersistent {
public:
    explicit TacButtonsSupport(TsSkinManager* owner) : FOwner(owner) {}
    UnicodeString ClassName() const override { return L"TacButtonsSupport"; }

    bool ShowFocusRect = false;
    bool ShiftContentOnClick = true;
    TacModalButtonsColoring ModalButtonsColoring{bcGlyph};
    TsSkinManager* FOwner;
    bool AllowRTLSysButtons = true;
    // The library-wide old-glyphs switch.
    bool OldGlyphsMode() const { return ac_OldGlyphsMode; }
    void SetOldGlyphsMode(bool value);
};

class TacLabelsSupport : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TacLabelsSupport"; }
    bool TransparentAlways = true;
};

// The application font the manager applies.
class TacFonts : public TPersistent {
public:
    explicit TacFonts(TsSkinManager* manager) : SkinManager(manager) {}
    UnicodeString ClassName() const override { return L"TacFonts"; }

    const UnicodeString& MainFont() const { return FMainFont; }
    void SetMainFont(const UnicodeString& value);
    TacFontMode MainMode() const { return FMainMode; }
    void SetMainMode(TacFontMode value);

    TsSkinManager* SkinManager;

private:
    UnicodeString FMainFont;
    TacFontMode FMainMode = fmDefault;
};

inline constexpr int acThirdKindCount = 23;
// The published names of the 23 kinds of foreign controls, by kind index.
extern const std::array<const wchar_t*, acThirdKindCount> acThirdPropNames;

// Class names of foreign controls skinned as one kind of standard control: one text per kind,
// a class name per line.
class TsThirdPartyList : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TsThirdPartyList"; }
    const UnicodeString& GetString(int index) const { return FTexts.at(static_cast<size_t>(index)); }
    void SetString(int index, const UnicodeString& value) { FTexts.at(static_cast<size_t>(index)) = value; }

private:
    std::array<UnicodeString, acThirdKindCount> FTexts;
};

// The element names of TacScaleMode.
const TEnumTypeInfo& TacScaleModeTypeInfo();

// Registers the published properties of the option classes (once).
void RegisterSkinManagerOptionClasses();
