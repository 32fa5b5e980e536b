#include "sThirdParty.h"

#include "acAlphaImageList.h"
#include "acUnitCounter.h"

TacCheckDevEx CheckDevEx = nullptr;
TacInitDevEx InitDevEx = nullptr;
TacRefreshDevEx RefreshDevEx = nullptr;

namespace {
TacUnitCounter unitCounter;
}

int GetImageCount(TCustomImageList* images) { return images ? images->Count() : 0; }

int GetImageWidth(TCustomImageList* images, int, int ppi)
{
    if (!images) return 0;
    const int base = dynamic_cast<TsAlphaImageList*>(images) ? static_cast<TsAlphaImageList*>(images)->GetDimension(1)
                                                               : images->Width();
    return base * ppi / 96;
}

int GetImageHeight(TCustomImageList* images, int, int ppi)
{
    if (!images) return 0;
    const int base = dynamic_cast<TsAlphaImageList*>(images) ? static_cast<TsAlphaImageList*>(images)->GetDimension(0)
                                                               : images->Height();
    return base * ppi / 96;
}

void sThirdPartyInitialization() { unitCounter.StartUp(); }
void sThirdPartyFinalization() { unitCounter.ShutDown(); }
