// The effect table and the routines that show, hide, repaint and clear its glows.
#include "acGlow.h"

#include "Forms.h"
#include "acAnimation.h"
#include "acThdTimer.h"
#include "acntTypes.h"
#include "sCommonData.h"
#include "sGraphUtilsLayered.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sVclUtilsAnim.h"

#include <vector>

bool bGlowingDestroying = false;

namespace {

std::vector<std::unique_ptr<TacLayeredEffect>>& Effects()
{
    static std::vector<std::unique_ptr<TacLayeredEffect>> table;
    return table;
}

// Without an application object (the library shut down after it) nothing is left to run later.
bool ApplicationTerminating() { return !Application || Application->Terminated(); }

TComponent* TimerOwner(TsCommonData* data)
{
    if (data->FOwnerControl) return data->FOwnerControl;
    return dynamic_cast<TComponent*>(data->FOwnerObject);
}

// A section without glow mask still glows through an outer effect shown on hover.
bool HoverOuterEffect(TsCommonData* data)
{
    TacSkinData* skin = data->GetCommonSkinData();
    if (!skin || data->SkinIndex < 0 || static_cast<size_t>(data->SkinIndex) >= skin->gd.size()) return false;
    return data->OuterEffects() && data->OuterEffects()->Visibility() == ovMouseHovered &&
           skin->gd[static_cast<size_t>(data->SkinIndex)].OuterMode > 0;
}

bool CanShow(TsCommonData* data) { return acLayered() && data && CommonDataIsLive(data) && !GetCapture(); }

int ShowNew(const TRect& R, int maskIndex, int margin, int alpha, HWND wnd, TsCommonData* data)
{
    auto effect = std::make_unique<TacGlowEffect>();
    effect->FSkinData = data;
    effect->SkinManager = data->GetSkinManager();
    effect->Margin = margin;
    effect->MaskIndex = maskIndex;
    TacGlowEffect* glow = effect.get();
    const int id = AddEffect(std::move(effect));
    glow->Show(R, alpha, wnd);
    return id;
}

} // namespace

TacLayeredEffect* GetEffect(int ID)
{
    auto& table = Effects();
    if (ID < 0 || static_cast<size_t>(ID) >= table.size()) return nullptr;
    return table[static_cast<size_t>(ID)].get();
}

int EffectCount() { return static_cast<int>(Effects().size()); }

int AddEffect(std::unique_ptr<TacLayeredEffect> effect)
{
    auto& table = Effects();
    table.push_back(std::move(effect));
    return static_cast<int>(table.size()) - 1;
}

int ShowGlow(const TRect& R, const UnicodeString& SectionName, const UnicodeString& MaskName, int Margin, int Alpha,
             HWND Wnd, TsCommonData* CommonData)
{
    if (!CanShow(CommonData)) return -1;
    TsSkinManager* manager = CommonData->GetSkinManager();
    TacSkinData* skin = CommonData->GetCommonSkinData();
    if (!manager || !skin) return -1;
    int maskIndex = -1;
    const int index = CommonData->SkinIndex;
    if (index >= 0 && static_cast<size_t>(index) < skin->gd.size() && skin->gd[static_cast<size_t>(index)].GlowCount >= 1) {
        const UnicodeString prop = MaskName + L"0";
        maskIndex = SectionName.empty() ? manager->GetMaskIndex(index, prop, skin)
                                        : manager->GetMaskIndex(SectionName, prop, skin);
    }
    if (maskIndex < 0 && !HoverOuterEffect(CommonData)) return -1;
    return ShowNew(R, maskIndex, Margin, Alpha, Wnd, CommonData);
}

int ShowGlow(const TRect& R, int& MaskIndex, int Reserved, int Margin, int Alpha, HWND Wnd, TsCommonData* CommonData)
{
    if (!CanShow(CommonData) || Reserved < 0 || MaskIndex < 0) return -1;
    return ShowNew(R, MaskIndex, Margin, Alpha, Wnd, CommonData);
}

void FreeGlow(int& GlowID, bool StopAnimation)
{
    TacLayeredEffect* effect = GetEffect(GlowID);
    if (!effect) return;
    TsCommonData* data = CommonDataIsLive(effect->FSkinData) ? effect->FSkinData : nullptr;
    // The slot is emptied before the effect goes, so nothing reached from its destruction finds
    // a half-destroyed effect.
    std::unique_ptr<TacLayeredEffect> owned = std::move(Effects()[static_cast<size_t>(GlowID)]);
    owned.reset();
    GlowID = -1;
    if (StopAnimation && data && ThreadedTimerIsLive(data->AnimTimer)) StopTimer(data);
}

void HideGlow(int& GlowID, bool doAnimation)
{
    TacLayeredEffect* effect = GetEffect(GlowID);
    if (!effect) return;
    // Click circles are never faded here.
    auto* glow = dynamic_cast<TacGlowEffect*>(effect);
    TsCommonData* data = glow && CommonDataIsLive(glow->FSkinData) ? glow->FSkinData : nullptr;
    TsSkinManager* manager = data ? data->GetSkinManager() : nullptr;
    if (doAnimation && data && manager && manager->Effects()->AllowAnimation() && !ApplicationTerminating()) {
        TacThreadedTimer* own = data->AnimTimer;
        // The fade needs the control's timer: free, of the effect kind (a click circle's), or
        // already fading this glow. A running cross-fade of the control's picture (a plain
        // fade or the press light) keeps it: the glow goes at once and the picture fades on.
        if (own && own->Enabled() && own->ThreadType != ttEffect && own->AnimProc != &UpdateGlowing_CB) {
            FreeGlow(GlowID, false);
            return;
        }
        const bool fresh = !own;
        GetNewTimer(data->AnimTimer, TimerOwner(data), 1);
        TacThreadedTimer* timer = data->AnimTimer;
        // A new timer starts from the glow's own alpha, so the fade has something to fade.
        if (fresh) timer->Glow = glow->FAlpha;
        if (timer->State == 0 && timer->Enabled()) return;
        timer->InitData(data, 0, UpdateGlowing_CB, 0, false);
        timer->TimeHandler();
        return;
    }
    FreeGlow(GlowID, true);
}

void SetGlowAlpha(int GlowID, BYTE Alpha)
{
    auto* glow = dynamic_cast<TacGlowEffect*>(GetEffect(GlowID));
    if (!glow) return;
    glow->FAlpha = Alpha;
    if (glow->Wnd && glow->Wnd->HandleAllocated() && glow->AlphaBmp)
        SetFormBlendValue(glow->Wnd->Handle(), glow->AlphaBmp.get(), Alpha);
}

void RepaintGlow(int GlowID)
{
    if (TacLayeredEffect* effect = GetEffect(GlowID)) effect->Repaint();
}

void ClearGlows(bool freeWindows, bool skipCircles)
{
    if (bGlowingDestroying) return;
    auto& table = Effects();
    for (size_t i = 0; i < table.size(); ++i) {
        TacLayeredEffect* effect = table[i].get();
        if (!effect || (skipCircles && effect->IsCircle())) continue;
        if (CommonDataIsLive(effect->FSkinData) && effect->FSkinData->GlowID == static_cast<int>(i))
            effect->FSkinData->GlowID = -1;
        std::unique_ptr<TacLayeredEffect> owned = std::move(table[i]);
        if (freeWindows) owned->FreeWindow();
        owned.reset();
    }
    if (!skipCircles) table.clear();
}

void acGlowInitialization() {}

void acGlowFinalization()
{
    ClearGlows(false, false);
    Effects().clear();
}
