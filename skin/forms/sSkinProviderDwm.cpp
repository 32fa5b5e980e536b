// Desktop composition for skinned forms: the window manager's entries (bound on first use,
// replaceable for tests), window transitions, the taskbar thumbnail and live preview answered
// with the skinned image, and the system blur behind a form.
#include "sSkinProvider.h"

#include "acntUtils.h"
#include "sCommonData.h"
#include "sGraphUtils.h"
#include "sGraphUtilsStretch.h"
#include "sSkinProviderInternal.h"
#include "sVclUtils.h"

#include <windows.h>

#include <cmath>
#include <utility>

using namespace provider_detail;

namespace {

TacDwmEntries dwmEntries;
bool dwmBound = false;

template <class F>
F Entry(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Binds the entries once; the library stays loaded for the life of the process.
void BindDwm()
{
    if (dwmBound) return;
    dwmBound = true;
    if (IsWinVistaUp()) {
        static HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
        dwmEntries.SetWindowAttribute =
            Entry<HRESULT(WINAPI*)(HWND, DWORD, const void*, DWORD)>(dwm, "DwmSetWindowAttribute");
        dwmEntries.InvalidateIconicBitmaps = Entry<HRESULT(WINAPI*)(HWND)>(dwm, "DwmInvalidateIconicBitmaps");
        dwmEntries.SetIconicThumbnail = Entry<HRESULT(WINAPI*)(HWND, HBITMAP, DWORD)>(dwm, "DwmSetIconicThumbnail");
        dwmEntries.SetIconicLivePreviewBitmap =
            Entry<HRESULT(WINAPI*)(HWND, HBITMAP, POINT*, DWORD)>(dwm, "DwmSetIconicLivePreviewBitmap");
        dwmEntries.EnableBlurBehindWindow = Entry<HRESULT(WINAPI*)(HWND, const void*)>(dwm, "DwmEnableBlurBehindWindow");
    }
    dwmEntries.SetWindowCompositionAttribute =
        reinterpret_cast<BOOL(WINAPI*)(HWND, void*)>(reinterpret_cast<void*>(acSetWindowCompositionAttribute()));
}

// The image the thumbnail and the preview show.
TBitmap* SourceImage(TsSkinProvider* provider)
{
    TBitmap* source = provider ? provider->CacheBmp() : nullptr;
    return source && source->Width() > 0 && source->Height() > 0 ? source : nullptr;
}

// Round half to even, as the thumbnail sizes are rounded.
int RoundEven(double value) { return static_cast<int>(std::nearbyint(value)); }

// The window-composition data of user32's SetWindowCompositionAttribute.
struct TAccentPolicy {
    DWORD AccentState;
    DWORD AccentFlags;
    DWORD GradientColor;
    DWORD AnimationId;
};
struct TWinCompAttrData {
    DWORD Attribute;
    void* Data;
    ULONG DataSize;
};

class TFormStateBit {
public:
    TFormStateBit(TsSkinProvider& provider, std::uint32_t bit) : provider_(provider), bit_(bit)
    {
        provider_.SetFormState(provider_.FFormState | bit_);
    }
    ~TFormStateBit() { provider_.SetFormState(provider_.FFormState & ~bit_); }
    TFormStateBit(const TFormStateBit&) = delete;
    TFormStateBit& operator=(const TFormStateBit&) = delete;

private:
    TsSkinProvider& provider_;
    std::uint32_t bit_;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Entries

HRESULT DwmSetWindowAttribute(HWND wnd, DWORD attribute, const void* data, DWORD size)
{
    BindDwm();
    return dwmEntries.SetWindowAttribute ? dwmEntries.SetWindowAttribute(wnd, attribute, data, size) : E_NOTIMPL;
}

void DwmInvalidateIconicBitmaps(HWND wnd)
{
    BindDwm();
    if (IsWinVistaUp() && dwmEntries.InvalidateIconicBitmaps) dwmEntries.InvalidateIconicBitmaps(wnd);
}

TacDwmEntries acReplaceDwmEntries(const TacDwmEntries& entries)
{
    BindDwm();
    return std::exchange(dwmEntries, entries);
}

bool ForbidSysAnimating() { return !AeroIsEnabled(); }

void InitDwm(HWND Wnd, bool ValueWithAero, bool ValueWithoutAero)
{
    const BOOL value = AeroIsEnabled() ? ValueWithAero : ValueWithoutAero;
    DwmSetWindowAttribute(Wnd, 3 /* DWMWA_TRANSITIONS_FORCEDISABLED */, &value, sizeof value);
}

void TsSkinProvider::InitDwm(HWND Handle, bool Active, bool)
{
    ::InitDwm(Handle, Active, false);
}

// ---------------------------------------------------------------------------------------------
// Thumbnail and live preview

bool SetThumbIcon(HWND Wnd, TsSkinProvider* Provider, int MaxWidth, int MaxHeight)
{
    BindDwm();
    TBitmap* source = SourceImage(Provider);
    if (!source || MaxWidth == 0 || MaxHeight == 0 || !IsWinVistaUp() || !dwmEntries.SetIconicThumbnail) return false;
    const double ratio = static_cast<double>(source->Width()) / source->Height();
    int width = MaxWidth, height = MaxHeight;
    if (static_cast<double>(MaxWidth) / MaxHeight > ratio)
        width = RoundEven(static_cast<double>(source->Width()) * MaxHeight / source->Height());
    else
        height = RoundEven(static_cast<double>(source->Height()) * MaxWidth / source->Width());
    if (width == 0 || height == 0) return false;
    TFormStateBit previewing(*Provider, FS_PREVIEWING);
    std::unique_ptr<TBitmap> bmp = CreateBmp32(width, height);
    Stretch(source, bmp.get(), width, height, ftTriangle);
    if (dwmEntries.SetIconicThumbnail(Wnd, bmp->Handle(), 0) != S_OK) return false;
    if (std::unique_ptr<TBitmap> fresh = GetFormImage(Provider, false)) {
        Stretch(fresh.get(), bmp.get(), width, height, ftTriangle);
        dwmEntries.SetIconicThumbnail(Wnd, bmp->Handle(), 0);
        Provider->UpdateExBordersPos(false, 255);
    }
    return true;
}

bool SetPreviewBmp(HWND Wnd, TsSkinProvider* Provider)
{
    BindDwm();
    if (!SourceImage(Provider) || !IsWinVistaUp() || !dwmEntries.SetIconicLivePreviewBitmap) return false;
    TFormStateBit previewing(*Provider, FS_PREVIEWING);
    std::unique_ptr<TBitmap> fresh = GetFormImage(Provider, false);
    TBitmap* image = fresh ? fresh.get() : Provider->CacheBmp();
    POINT offset{0, 0};
    const bool done = dwmEntries.SetIconicLivePreviewBitmap(Wnd, image->Handle(), &offset, 0) == S_OK;
    if (fresh) Provider->UpdateExBordersPos(false, 255);
    return done;
}

// ---------------------------------------------------------------------------------------------
// System blur

void TacSystemBlur::SetActive(bool Value)
{
    if (Value == FActive) return;
    FActive = Value;
    if (FOwner) FOwner->UpdateBlurMode(false);
}

void TacSystemBlur::SetMode(TacBlurMode Value)
{
    if (Value == FMode) return;
    FMode = Value;
    if (FOwner) FOwner->UpdateBlurMode(true);
}

void TsSkinProvider::UpdateBlurMode(bool Force)
{
    if ((FFormState & FS_BLURSTYLING) || IsLoading(this) || IsDestroying(this) || IsDesigning(this) || !Form ||
        !FCommonData || !FSystemBlur)
        return;
    const bool active = FSystemBlur->Active();
    const bool skinned = FCommonData->Skinned();
    BYTE& mode = FCommonData->TranspMode;
    auto tellControls = [&] {
        IterateControls(Form, static_cast<int>(MakeLong(1, active ? 1 : 0)), [](TControl* control, int& data) {
            ChangeTranspMode(control, data);
            return false;
        });
    };
    if (IsFluentOS()) {
        HWND wnd = Form->HandleAllocated() ? Form->Handle() : nullptr;
        TAccentPolicy accent{0, 0, 0, 0};
        std::unique_ptr<TacGlowForm> cover;
        if (active && skinned) {
            if (mode == 2 && !Force) return;
            if (wnd && IsWindowVisible(wnd)) cover = MakeCoverForm(wnd, this, false);
            if (mode == 0) {
                if (Form->BorderStyle() != bsNone) FluentBorderStyle = Form->BorderStyle();
                FluentUWPMode = FUWPMode;
                SetBoolean(4, true);
                TFormStateBit styling(*this, FS_BLURSTYLING);
                Form->SetBorderStyle(bsNone);
            }
            accent.AccentState = FSystemBlur->Mode() == bmAcrylicBlurBehind ? 4 : 3;
            accent.GradientColor = 1;
            mode = 2;
        } else {
            if (mode == 0) return;
            if (wnd && IsWindowVisible(wnd)) cover = MakeCoverForm(wnd, this, false);
            if (!FluentUWPMode) {
                TFormStateBit styling(*this, FS_BLURSTYLING);
                Form->SetBorderStyle(FluentBorderStyle);
                FluentBorderStyle = bsNone;
            }
            SetBoolean(4, FluentUWPMode);
            FluentUWPMode = false;
            mode = 0;
        }
        tellControls();
        wnd = Form->HandleAllocated() ? Form->Handle() : nullptr;
        BindDwm();
        if (wnd && dwmEntries.SetWindowCompositionAttribute) {
            TWinCompAttrData data{19 /* WCA_ACCENT_POLICY */, &accent, sizeof accent};
            dwmEntries.SetWindowCompositionAttribute(wnd, &data);
        }
        FCommonData->BGChanged = true;
        if (wnd) RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        cover.reset();
    } else {
        if (!active) {
            if (mode == 0) return;
            mode = 0;
        } else if (skinned) {
            if (mode == 2 && !Force) return;
            mode = 2;
        } else {
            if (mode == 0) return;
            mode = 0;
        }
        tellControls();
    }
    FFormState &= ~FS_BLURACTIVE;
    FCommonData->Invalidate(false);
}
