#pragma once
// The skin manager and the skin data it loads per pixel density. For now only what the raster
// routines and the form freezing read: the mask array of a skin data, the manager's master
// bitmap and palette, its common skin data and its skin-change animation; and the conversion of
// a skin's image values to their fixed-width form.
#include "Components.h"
#include "Graphics.h"
#include "acntTypes.h"
#include "sMaskData.h"

#include <array>
#include <memory>

// How a form animation runs: on or off, its time in milliseconds and its kind.
class TacFormAnimation : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TacFormAnimation"; }
    bool Active = true;
    WORD Time = 0;
    TacAnimType Mode = atAero;
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

// The manager's animation settings; for now the skin-change animation.
class TacAnimEffects : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TacAnimEffects"; }
    TacSkinChanging* SkinChanging() const { return skinChanging_.get(); }

private:
    std::unique_ptr<TacSkinChanging> skinChanging_ = std::make_unique<TacSkinChanging>();
};

// One loaded skin at one pixel density.
class TacSkinData : public TacObject {
public:
    UnicodeString ClassName() const override { return L"TacSkinData"; }
    TsMaskArray ma; // the skin's images and masks
};

// The skin's palette entries.
enum TacPaletteColors : std::uint8_t {
    pcMainColor, pcLabelText, pcWebText, pcWebTextHot, pcEditText, pcEditBG, pcSelectionBG, pcSelectionText,
    pcSelectionBG_Focused, pcSelectionText_Focused, pcEditBG_Inverted, pcEditText_Inverted, pcEditBG_OddRow,
    pcEditBG_EvenRow, pcEditText_Ok, pcEditText_Warning, pcEditText_Alert, pcEditText_Caution, pcEditText_Bypassed,
    pcEditBG_Ok, pcEditBG_Warning, pcEditBG_Alert, pcEditBG_Caution, pcEditBG_Bypassed, pcEditText_Highlight1,
    pcEditText_Highlight2, pcEditText_Highlight3, pcBtnColor1Active, pcBtnColor2Active, pcBtnBorderActive,
    pcBtnFontActive, pcBtnColor1Normal, pcBtnColor2Normal, pcBtnBorderNormal, pcBtnFontNormal, pcBtnColor1Pressed,
    pcBtnColor2Pressed, pcBtnBorderPressed, pcBtnFontPressed, pcBtnToneRed, pcBtnToneRedActive, pcBtnToneGreen,
    pcBtnToneGreenActive, pcBtnToneBlue, pcBtnToneBlueActive, pcBtnToneYellow, pcBtnToneYellowActive, pcBtnRedText,
    pcBtnRedTextActive, pcBtnGreenText, pcBtnGreenTextActive, pcBtnBlueText, pcBtnBlueTextActive, pcBtnYellowText,
    pcBtnYellowTextActive, pcBorder, pcGrid, pcHintBG, pcHintText
};
inline constexpr int acPaletteCount = pcHintText + 1;

class TsSkinManager : public TComponent {
public:
    explicit TsSkinManager(TComponent* owner) : TComponent(owner) {}
    UnicodeString ClassName() const override { return L"TsSkinManager"; }

    // The skin's bitmap that holds every image without a bitmap of its own.
    std::unique_ptr<TBitmap> MasterBitmap;
    // The skin's colours (0x00BBGGRR; the button colours carry 0xFF in the top byte).
    std::array<TColor, acPaletteCount> Palette{};
    // The skin data for a pixel density; null while no skin is loaded.
    TacSkinData* CommonSkinData(int ppi = 96);
    TacAnimEffects* AnimEffects() const { return animEffects_.get(); }

private:
    std::unique_ptr<TacAnimEffects> animEffects_ = std::make_unique<TacAnimEffects>();
};

// The application's default manager, or null.
extern TsSkinManager* DefaultManager;

// An image value of a skin section in any of its notations ("&", "^", "~", "@", "!" or a plain
// file name) in the fixed-width form the readers take apart by character position. Words are
// copied as written; a number the conversion must compute with raises EConvertError when it is
// not one.
UnicodeString ConvertSkinStr(const UnicodeString& value);
