#include "acLibraryUnits.h"

#include "acAlphaHints.h"
#include "acAlphaImageList.h"
#include "acFontStore.h"
#include "acAnimation.h"
#include "acGlow.h"
#include "acImage.h"
#include "acPopupController.h"
#include "sEdit.h"
#include "sLabel.h"
#include "sMaskEdit.h"
#include "sCustomComboEdit.h"
#include "sComboEdit.h"
#include "acGPUtils.h"
#include "acPNG.h"
#include "acSBUtils.h"
#include "acShellCtrls.h"
#include "acUnitCounter.h"
#include "acntTypes.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sConstCaptions.h"
#include "sDefaults.h"
#include "sGlyphUtils.h"
#include "sGradient.h"
#include "sGraphUtilsSystem.h"
#include "sSkinManagerStartup.h"
#include "sSkinProvider.h"
#include "sStrings.h"
#include "sStyleSimply.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <array>
#include <ranges>

namespace {

// Units whose start-up and shut-down only count, kept here while their own files have no
// routines of their own.
template <TacUnitCounter& counter>
void CountStartUp()
{
    counter.StartUp();
}
template <TacUnitCounter& counter>
void CountShutDown()
{
    counter.ShutDown();
}

TacUnitCounter sSkinPropsCounter;
TacUnitCounter sMessagesCounter;
TacUnitCounter sBordersCounter;
TacUnitCounter acThdTimerCounter;
TacUnitCounter sMaskDataCounter;

template <TacUnitCounter& counter>
constexpr TacLibraryUnit CountingUnit(const wchar_t* name)
{
    return {name, &CountStartUp<counter>, &CountShutDown<counter>};
}

const std::array kUnits = std::to_array<TacLibraryUnit>({
    {L"sStrings", &sStringsInitialization, &sStringsFinalization},
    {L"sConst", &sConstInitialization, &sConstFinalization},
    {L"sDefaults", &sDefaultsInitialization, &sDefaultsFinalization},
    CountingUnit<sSkinPropsCounter>(L"sSkinProps"),
    CountingUnit<sMessagesCounter>(L"sMessages"),
    {L"acntTypes", &acntTypesInitialization, &acntTypesFinalization},
    CountingUnit<sBordersCounter>(L"sBorders"),
    {L"acntUtils", &acntUtilsInitialization, &acntUtilsFinalization},
    {L"sStyleSimply", &sStyleSimplyInitialization, &sStyleSimplyFinalization},
    {L"sThirdParty", &sThirdPartyInitialization, &sThirdPartyFinalization},
    {L"sSkinManager", &sSkinManagerInitialization, &sSkinManagerFinalization},
    {L"sCommonData", &sCommonDataInitialization, &sCommonDataFinalization},
    CountingUnit<acThdTimerCounter>(L"acThdTimer"),
    {L"sGraphUtils", &sGraphUtilsInitialization, &sGraphUtilsFinalization},
    {L"acGPUtils", &acGPUtilsInitialization, &acGPUtilsFinalization},
    {L"sGradient", &sGradientInitialization, &sGradientFinalization},
    {L"sAlphaGraph", &sAlphaGraphInitialization, &sAlphaGraphFinalization},
    CountingUnit<sMaskDataCounter>(L"sMaskData"),
    // Skin images, fonts and effects: sGlyphUtils builds its glyph list from their icon font.
    {L"acPNG", &acPNGInitialization, &acPNGFinalization},
    {L"acAlphaImageList", &acAlphaImageListInitialization, &acAlphaImageListFinalization},
    {L"acFontStore", &acFontStoreInitialization, &acFontStoreFinalization},
    {L"acImage", &acImageInitialization, &acImageFinalization},
    {L"acGlow", &acGlowInitialization, &acGlowFinalization},
    {L"acAnimation", &acAnimationInitialization, &acAnimationFinalization},
    {L"sVclUtils", &sVclUtilsInitialization, &sVclUtilsFinalization},
    {L"acSBUtils", &acSBUtilsInitialization, &acSBUtilsFinalization},
    {L"sSkinProvider", &sSkinProviderInitialization, &sSkinProviderFinalization},
    {L"sGlyphUtils", &sGlyphUtilsInitialization, &sGlyphUtilsFinalization},
    // Skinned edits, lists, pickers, dialogs and hints (the default hint template decodes its PNG).
    {L"acAlphaHints", &acAlphaHintsInitialization, &acAlphaHintsFinalization},
    {L"acPopupController", &acPopupControllerInitialization, &acPopupControllerFinalization},
    {L"acShellCtrls", &acShellCtrlsInitialization, &acShellCtrlsFinalization},
    {L"sEdit", &sEditInitialization, &sEditFinalization},
    {L"sMaskEdit", &sMaskEditInitialization, &sMaskEditFinalization},
    {L"sCustomComboEdit", &sCustomComboEditInitialization, &sCustomComboEditFinalization},
    {L"sComboEdit", &sComboEditInitialization, &sComboEditFinalization},
    // Skinned buttons, panels, bars and labels.
    {L"sLabel", &sLabelInitialization, &sLabelFinalization},
});

} // namespace

std::span<const TacLibraryUnit> acLibraryUnits() { return kUnits; }

void StartUnits(std::span<const TacLibraryUnit> units)
{
    for (const TacLibraryUnit& unit : units)
        if (unit.StartUp) unit.StartUp();
}

void ShutDownUnits(std::span<const TacLibraryUnit> units)
{
    for (const TacLibraryUnit& unit : std::views::reverse(units))
        if (unit.ShutDown) unit.ShutDown();
}

void acLibraryStartUp() { StartUnits(acLibraryUnits()); }
void acLibraryShutDown() { ShutDownUnits(acLibraryUnits()); }
