#include "sSkinProvider.h"

#include "acntUtils.h"

#include <windows.h>

namespace {

int aeroState = -1; // -1 not asked yet, else 0 or 1
std::optional<bool> aeroOverride;

using TDwmIsCompositionEnabled = HRESULT(WINAPI*)(BOOL*);

} // namespace

bool AeroIsEnabled()
{
    if (aeroOverride) return *aeroOverride;
    if (aeroState < 0) {
        aeroState = 0;
        if (IsWinVistaUp()) {
            // Bound on first use; the library stays loaded for the life of the process.
            static HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
            auto isEnabled = dwm ? reinterpret_cast<TDwmIsCompositionEnabled>(
                                       reinterpret_cast<void*>(GetProcAddress(dwm, "DwmIsCompositionEnabled")))
                                 : nullptr;
            BOOL enabled = FALSE;
            if (isEnabled && isEnabled(&enabled) == S_OK && enabled) aeroState = 1;
        }
    }
    return aeroState == 1;
}

void SetAeroIsEnabledOverride(std::optional<bool> value) { aeroOverride = value; }
