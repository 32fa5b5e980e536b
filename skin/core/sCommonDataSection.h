#pragma once
// Bounds-checked access to a control's section and the border mask of a section, and the frame
// recompute flags, shared by the routines of the skin data.
#include "sCommonData.h"
#include "sSkinManager.h"

#include <algorithm>

namespace sCommonDataSection {

// SetWindowPos flags that recompute a window's frame without moving or sizing it (0x737).
inline constexpr UINT FrameChangedFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                                          SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;

// The section Index of SkinData, or null.
inline const TsGeneralData* SectionOf(const TacSkinData* SkinData, int Index)
{
    if (!SkinData || Index < 0 || static_cast<size_t>(Index) >= SkinData->gd.size()) return nullptr;
    return &SkinData->gd[static_cast<size_t>(Index)];
}

// The section's border mask, or null.
inline const TsMaskData* BorderMaskOf(const TacSkinData* SkinData, const TsGeneralData& Section)
{
    if (!SkinData || Section.BorderIndex < 0 || static_cast<size_t>(Section.BorderIndex) >= SkinData->ma.size())
        return nullptr;
    return &SkinData->ma[static_cast<size_t>(Section.BorderIndex)];
}

// State limited to the section's states and to Limit.
inline int ClampState(const TsGeneralData& Section, int State, int Limit = 2)
{
    return std::max(0, std::min({State, Section.States - 1, Limit}));
}

// The manager's 96-PPI skin data, or null.
inline TacSkinData* Data96(TsSkinManager* Manager)
{
    return Manager && !Manager->SkinDataArray.empty() ? Manager->CommonSkinData(96) : nullptr;
}

} // namespace sCommonDataSection
