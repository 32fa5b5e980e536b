#include "sThirdParty.h"

#include "SysUtils.h"
#include "acAlphaImageList.h"
#include "acAlphaImageListChar.h"
#include "acAlphaImageListVirtual.h"

#include "StringList.h"
#include "acUnitCounter.h"

#include <cstdlib>

TacCheckDevEx CheckDevEx = nullptr;
TacInitDevEx InitDevEx = nullptr;
TacRefreshDevEx RefreshDevEx = nullptr;
std::unique_ptr<TStringList> ThirdPartySkipForms;

namespace {
TacUnitCounter unitCounter;
}

int GetImageCount(TCustomImageList* images) { return images ? images->Count() : 0; }

int GetImageWidth(TCustomImageList* images, int index, int ppi)
{
    if (!images) return 0;
    if (auto* chars = dynamic_cast<TsCharImageList*>(images)) {
        const int base = index >= 0 && index < chars->Items()->Count() ? chars->Items()->Items(index)->ActualWidth(false)
                                                                       : chars->SavedWidth;
        return chars->FAllowScale ? base * ppi / 96 : base;
    }
    if (auto* view = dynamic_cast<TsVirtualImageList*>(images)) {
        int base = view->FWidth;
        if (auto* chars = dynamic_cast<TsCharImageList*>(view->FAlphaImageList);
            chars && index >= 0 && index < chars->Items()->Count())
            base = static_cast<int>(Round(base * chars->Items()->Items(index)->ScalingFactor()));
        return base * ppi / 96;
    }
    const int base = dynamic_cast<TsAlphaImageList*>(images) ? static_cast<TsAlphaImageList*>(images)->GetDimension(1)
                                                               : images->Width();
    return base * ppi / 96;
}

int GetImageHeight(TCustomImageList* images, int index, int ppi)
{
    if (!images) return 0;
    if (auto* chars = dynamic_cast<TsCharImageList*>(images)) {
        int base = chars->SavedHeight;
        if (index >= 0 && index < chars->Items()->Count()) {
            const TacCharListItem& item = *chars->Items()->Items(index);
            base = static_cast<int>(Round((chars->SavedHeight + std::abs(item.OffsetY())) * item.ScalingFactor()));
        }
        return base * ppi / 96;
    }
    if (auto* view = dynamic_cast<TsVirtualImageList*>(images)) {
        int base = view->FHeight;
        if (auto* chars = dynamic_cast<TsCharImageList*>(view->FAlphaImageList);
            chars && index >= 0 && index < chars->Items()->Count()) {
            const TacCharListItem& item = *chars->Items()->Items(index);
            base = static_cast<int>(Round((base + std::abs(item.OffsetY())) * item.ScalingFactor()));
        }
        return base * ppi / 96;
    }
    const int base = dynamic_cast<TsAlphaImageList*>(images) ? static_cast<TsAlphaImageList*>(images)->GetDimension(0)
                                                               : images->Height();
    return base * ppi / 96;
}

// No skinned button classes exist yet; their units make themselves known here when they come.
void DrawBtnGlyph(TControl*, TCanvas*, TColor) {}

void sThirdPartyInitialization()
{
    if (!unitCounter.StartUp()) return;
    ThirdPartySkipForms = std::make_unique<TStringList>();
    ThirdPartySkipForms->SetSorted(true);
    for (const wchar_t* name : {L"TApplication", L"TfcPopup", L"TfcxSliceFieldsPopup", L"TfcxMeasurePopup",
                                L"TfcxFilterPopup", L"TAdvSmoothMessageDialogForm", L"TSynBaseCompletionProposalForm",
                                L"TPopupListboxFormEh"})
        ThirdPartySkipForms->Add(name);
}

void sThirdPartyFinalization()
{
    if (unitCounter.ShutDown()) ThirdPartySkipForms.reset();
}
