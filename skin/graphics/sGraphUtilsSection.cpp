// Painting one skin section into an item bitmap (the plain-colour part for now).
#include "sGraphUtils.h"

#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sSkinManager.h"

#include <algorithm>

void PaintItemFast(int SkinIndex, int, int, int, const TCacheInfo&, bool, int State, const TRect& R, const TPoint&,
                   TBitmap* ItemBmp, TsSkinManager* SkinManager)
{
    if (!SkinManager || !ItemBmp) return;
    TacSkinData* data = SkinManager->CommonSkinData();
    if (!data || !IsValidIndex(SkinIndex, static_cast<int>(data->gd.size()))) return;
    const TsGeneralData& section = data->gd[static_cast<size_t>(SkinIndex)];
    const int state = std::clamp(State, 0, std::max(section.States, 1) - 1);
    const TsGenState& look = section.Props[static_cast<size_t>(std::min(state, 2))];
    if (look.Transparency >= 100) return;
    FillRect32(ItemBmp, R, look.Color, 0xFF);
}
