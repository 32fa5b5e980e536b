// A control's section painted as its state's colour, mixed with the parent's background by
// the state's transparency.
#include "sGraphUtilsPaintItem.h"

#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sSkinManager.h"

#include <algorithm>

void PaintItem(TsCommonData* skinData, const TCacheInfo& CI, bool, int State, const TRect& R, const TPoint& pP,
               TBitmap* itemBmp, bool, int, int)
{
    if (!skinData || !itemBmp || R.IsEmpty()) return;
    TsSkinManager* manager = skinData->GetSkinManager();
    TacSkinData* data = skinData->GetCommonSkinData();
    if (!manager || !data || !manager->IsValidSkinIndex(skinData->SkinIndex) ||
        skinData->SkinIndex >= static_cast<int>(data->gd.size()))
        return;
    const TsGeneralData& section = data->gd[static_cast<std::size_t>(skinData->SkinIndex)];
    int state = State >= section.States ? section.States - 1 : State;
    state = std::clamp(state, 0, 2);
    const TsGenState& props = section.Props[static_cast<std::size_t>(state)];
    const int transparency = std::clamp<int>(props.Transparency, 0, 100);

    const bool parentGiven = CI.Ready || CI.FillColor != 0x00FF00FF;
    if (!parentGiven || transparency == 0) {
        FillRect32(itemBmp, R, props.Color, 255);
        return;
    }
    // The parent's pixels under R, then the section's colour over them.
    if (CI.Ready && CI.Bmp) {
        if (CI.Bmp != itemBmp)
            ::BitBlt(itemBmp->Canvas()->Handle(), R.Left, R.Top, R.Width(), R.Height(), CI.Bmp->Canvas()->Handle(),
                     CI.X + pP.X, CI.Y + pP.Y, SRCCOPY);
    } else {
        FillRect32(itemBmp, R, CI.FillColor, 255);
    }
    if (transparency == 100) return;
    auto own = CreateBmp32(R.Width(), R.Height());
    FillRect32(own.get(), TRect(0, 0, R.Width(), R.Height()), props.Color, 255);
    SumBmpRect(itemBmp, own.get(), static_cast<std::uint8_t>(transparency * 255 / 100), TRect(0, 0, R.Width(), R.Height()), R.TopLeft());
}
