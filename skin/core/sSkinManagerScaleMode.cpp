// The scale-mode switch of the manager's options: the old and new percent and PPI, the event
// that reports them, and the rescaling of every skinned form.
#include "sSkinManagerOptions.h"

#include "Forms.h"
#include "acntUtils.h"
#include "sCommonData.h"
#include "sFormStates.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sStyleSimply.h"

#include <algorithm>

namespace {

bool Loading(const TsSkinManager* m) { return m->ComponentState().Contains(csLoading); }
bool Designing(const TsSkinManager* m) { return m->ComponentState().Contains(csDesigning); }
bool IsFixedMode(TacScaleMode mode) { return mode <= sm200; }
int Level(int value) { return std::clamp(value, 0, 3); }
int PercentOfLevel(int level) { return aScalePercents[static_cast<size_t>(Level(level))]; }
int PPIOfLevel(int level) { return aPPIArray[static_cast<size_t>(Level(level))]; }

// Flags of the scale steps: bit 0 the "after" step, bit 1 shrinking, bit 2 to or from smVCL.
constexpr std::intptr_t kAfter = 1, kDown = 2;

void ScaleStep(TsSkinProvider* provider, std::intptr_t flags)
{
    const bool after = (flags & kAfter) != 0;
    if (!after) {
        provider->SetFormState(provider->FFormState | FS_SCALING);
        if (provider->BorderForm) provider->BorderForm->UpdateExBordersPos(false);
        provider->RgnChanged = true; // the region follows the new size
        provider->SetFormState(provider->FFormState | FS_FROZEN);
    } else {
        provider->SetFormState(provider->FFormState & ~FS_ANIMSCALING);
        if (provider->FCommonData) provider->FCommonData->BGChanged = true;
        if (provider->Form && provider->Form->HandleAllocated())
            SendMessageW(provider->Form->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_PREPARECACHE), 0);
        provider->SetFormState(0);
    }
    if (provider->BorderForm) provider->BorderForm->Hidden = !after;
    TForm* form = provider->Form;
    if (!form || !form->HandleAllocated()) return;
    if (form->Showing()) SendMessageW(form->Handle(), WM_SETREDRAW, after ? 1 : 0, 0);
    if (provider->FCommonData && provider->FCommonData->SkinIndex < 0)
        RedrawWindow(form->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

} // namespace

void TacOptions::SetScaleMode(TacScaleMode value)
{
    if (FScaleMode == value) return;
    if (FOwner)
        SetNewScaleMode(FScaleMode, value, 0, 0);
    else
        FScaleMode = value;
    if (FOwner && DefaultManager == FOwner) acCurrentScaleMode = value;
}

void TacOptions::SetPixelsPerInch(TacPixelsPerInch value)
{
    if (FPixelsPerInch == value) return;
    if (FScaleMode == smCustomPPI && FOwner)
        SetNewScaleMode(smCustomPPI, smCustomPPI, value, FPixelsPerInch);
    else
        FPixelsPerInch = value;
}

void TacOptions::SetNewScaleMode(TacScaleMode OldMode, TacScaleMode NewMode, int NewPPI, int OldPPI)
{
    TsSkinManager& m = *FOwner;
    const int defaultPercent = PercentOfLevel(PPIToIndex(acSystemPPI()));
    int oldPercent = 0, newPercent = 0;
    if (NewMode != smCustomPPI) {
        switch (FScaleMode) {
        case smVCL: oldPercent = defaultPercent; break;
        case smCustomPPI: oldPercent = MulDiv(100, FPixelsPerInch, 96); break;
        default: oldPercent = PercentOfLevel(m.GetScale()); break;
        }
        OldPPI = MulDiv(96, oldPercent, 100);
        switch (NewMode) {
        case smAuto:
            newPercent = PercentOfLevel(std::min(3, m.SysFontScale));
            NewPPI = PPIOfLevel(std::min(3, m.SysFontScale));
            break;
        case smOldMode:
            newPercent = 100;
            NewPPI = 96;
            break;
        case smVCL: {
            const int ppi = Application && Application->MainForm() && Screen ? Screen->PixelsPerInch()
                                                                             : PPIOfLevel(m.SysFontScale);
            if (IsFixedMode(FScaleMode)) {
                FPixelsPerInch = static_cast<TacPixelsPerInch>(ppi);
                FScaleMode = smCustomPPI;
            } else if (FScaleMode == smCustomPPI) {
                FPixelsPerInch = static_cast<TacPixelsPerInch>(ppi);
            }
            newPercent = PercentOfLevel(std::min(3, m.SysFontScale));
            NewPPI = ppi;
            break;
        }
        default:
            newPercent = PercentOfLevel(std::min(3, static_cast<int>(NewMode)));
            NewPPI = PPIOfLevel(std::min(3, static_cast<int>(NewMode)));
            break;
        }
    } else {
        if (OldMode != smCustomPPI) {
            oldPercent = OldMode == smVCL ? defaultPercent : PercentOfLevel(m.GetScale());
            OldPPI = MulDiv(96, oldPercent, 100);
            NewPPI = FPixelsPerInch;
        } else {
            OldPPI = FPixelsPerInch;
            if (NewPPI != 0)
                FPixelsPerInch = static_cast<TacPixelsPerInch>(NewPPI);
            else
                NewPPI = OldPPI;
            oldPercent = MulDiv(100, OldPPI, 96);
        }
        newPercent = MulDiv(100, NewPPI, 96);
    }
    const bool down = newPercent < oldPercent;
    TacManagerStateScope changing(m, msScaleChanging);
    if (m.OnScaleModeChange && !Designing(&m)) {
        TScaleChangeData data;
        data.OldScaleMode = static_cast<std::uint8_t>(OldMode);
        data.NewScaleMode = static_cast<std::uint8_t>(NewMode);
        data.OldScalePercent = oldPercent;
        data.NewScalePercent = newPercent;
        data.OldPPI = OldPPI;
        data.NewPPI = NewPPI;
        m.OnScaleModeChange(&m, data);
    }
    if (NewMode != smVCL) FPixelsPerInch = static_cast<TacPixelsPerInch>(NewPPI);
    if (Loading(&m) || Designing(&m)) {
        FScaleMode = NewMode;
        if (DefaultManager == &m && !Designing(&m) && Screen && oldPercent != 0) {
            TFont* font = Screen->MessageFont();
            font->SetSize(MulDiv(font->Size(), newPercent, oldPercent));
        }
    } else {
        DoScaleChanged(NewMode, down);
    }
}

void TacOptions::DoScaleChanged(TacScaleMode NewMode, bool Down)
{
    TsSkinManager& m = *FOwner;
    struct Done {
        TsSkinManager& m;
        ~Done()
        {
            m.ManagerState.Exclude(msScaleChanging);
            m.ManagerState.Exclude(msAnimScaling);
        }
    } done{m};
    const bool began = !m.NoAutoUpdate;
    if (began) m.BeginUpdate();
    // A reload that raises (a broken skin) must not leave automatic updates off for good: no
    // skin set afterwards would reach the windows.
    struct EndOnUnwind {
        TsSkinManager* m;
        ~EndOnUnwind()
        {
            if (m) m->NoAutoUpdate = false;
        }
    } endOnUnwind{began ? &m : nullptr};
    const std::intptr_t down = Down ? kDown : 0;
    IterateForms(&m, ScaleStep, down);
    std::intptr_t after = down | kAfter;
    if ((FScaleMode == smVCL) != (NewMode == smVCL) && !m.ManagerState.Contains(msAnimScaling)) after |= 4;
    FScaleMode = NewMode;
    try {
        m.UpdateCurrentSkin();
        m.UpdateAllScale();
    } catch (...) {
        // No form may stay frozen with its redraw off.
        IterateForms(&m, ScaleStep, after);
        throw;
    }
    IterateForms(&m, ScaleStep, after);
    if (began) {
        endOnUnwind.m = nullptr;
        m.EndUpdate(true, false);
    }
    if (m.OnScaleChanged) m.OnScaleChanged(&m);
}
