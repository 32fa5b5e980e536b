#include "sSkinProvider.h"

#include "acntTypes.h"
#include "acntUtils.h"
#include "sCommonData.h"

#include <windows.h>

#include <utility>
bool ItemsRemoving = false;

namespace {

int aeroState = -1; // -1 not asked yet, else 0 or 1
std::optional<bool> aeroOverride;

using TDwmIsCompositionEnabled = HRESULT(WINAPI*)(BOOL*);

TacDwmEntries dwmEntries;

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

TsSkinProvider::TsSkinProvider(TComponent* owner) : TComponent(owner)
{
    Form = dynamic_cast<TForm*>(owner);
    FCommonData = std::make_unique<TsCommonData>(this);
}

TsSkinProvider::~TsSkinProvider() = default;

HRGN TacBorderForm::MakeRgn(int, int) { return nullptr; }

void TacBorderForm::UpdateExBordersPos(bool, BYTE) {}

int SkinTitleHeight(TacBorderForm*) { return 0; }

std::unique_ptr<TBitmap> GetFormImage(TsSkinProvider*, bool) { return nullptr; }

void UpdateRgn(TsSkinProvider*, bool, bool) {}

bool StartMinimizing(TsSkinProvider*) { return false; }

bool StartRestoring(TsSkinProvider*) { return false; }

void SetThumbIcon(HWND, TsSkinProvider*, int, int) {}

void SetPreviewBmp(HWND, TsSkinProvider*) {}

HRESULT DwmSetWindowAttribute(HWND wnd, DWORD attribute, const void* data, DWORD size)
{
    return dwmEntries.SetWindowAttribute ? dwmEntries.SetWindowAttribute(wnd, attribute, data, size) : E_NOTIMPL;
}

void DwmInvalidateIconicBitmaps(HWND wnd)
{
    if (dwmEntries.InvalidateIconicBitmaps) dwmEntries.InvalidateIconicBitmaps(wnd);
}

TacDwmEntries acReplaceDwmEntries(const TacDwmEntries& entries) { return std::exchange(dwmEntries, entries); }

std::unique_ptr<TacGlowForm> MakeCoverForm(HWND wnd, TsSkinProvider*, bool)
{
    auto cover = std::make_unique<TacGlowForm>(nullptr);
    RECT r{};
    if (wnd && GetWindowRect(wnd, &r)) cover->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    cover->HandleNeeded();
    return cover;
}
