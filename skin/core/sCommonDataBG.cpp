// Background requests of skinned controls: what a control answers its children about the
// background beneath them (its cache, a plain fill, or its own parent's background under a
// transparent section), its plain background colour, and what lies under the control itself.
#include "sCommonData.h"

#include "sCommonDataSection.h"
#include "sGraphUtils.h"
#include "sGraphUtilsBackground.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

using namespace sCommonDataSection;

namespace {

bool HasPixels(const TsCommonData& data) { return data.FCacheBmp && !data.FCacheBmp->Empty(); }

// Asks the owner (a control, else the window) to paint its cache now (AC_PREPARECACHE).
void PrepareCache(TsCommonData& data, HWND handle)
{
    if (data.FOwnerControl)
        SendAMessage(data.FOwnerControl, AC_PREPARECACHE);
    else if (const HWND wnd = handle ? handle : data.FSWHandle)
        SendAMessage(wnd, AC_PREPARECACHE);
}

// The colour of the control itself, or of its window.
TColor OwnColor(const TsCommonData& data, HWND handle)
{
    if (data.FOwnerControl) return GetControlColor(data.FOwnerControl);
    if (const HWND wnd = handle ? handle : data.FSWHandle) return GetControlColor(wnd);
    return clBtnFace;
}

// The colour the user gave the control (or the provider's form): a control that keeps its own
// colour is filled with it, never with what its skin data answers.
TColor UserColor(const TsCommonData& data, HWND handle)
{
    if (data.FOwnerControl) return ColorToRGB(data.FOwnerControl->Color());
    if (auto* provider = dynamic_cast<TsSkinProvider*>(data.FOwnerObject); provider && provider->Form)
        return ColorToRGB(provider->Form->Color());
    return OwnColor(data, handle);
}

// Each colour byte moves from own toward parent by transparency / 256; the top byte is the
// parent's.
TColor MixByTransparency(TColor own, TColor parent, int transparency)
{
    TsColor o, p, r;
    o.C = own;
    p.C = parent;
    r.C = parent;
    const auto mix = [transparency](int parentChannel, int ownChannel) {
        return static_cast<std::uint8_t>(((parentChannel - ownChannel) * transparency + ownChannel * 256) >> 8);
    };
    r.R = mix(p.R, o.R);
    r.G = mix(p.G, o.G);
    r.B = mix(p.B, o.B);
    return r.C;
}

// A section state's colour as children see it: its own colour (the control's when the user
// keeps it) at transparency 0, the parent's at 100, between the two mixed by MixByTransparency.
// The parent is asked only when it shows through.
template <class ParentColour>
TColor StateColour(const TsCommonData& data, const TsGenState& props, ParentColour&& parentColour)
{
    const TColor own =
        data.CustomColor() && data.FOwnerControl ? ColorToRGB(data.FOwnerControl->Color()) : props.Color;
    if (props.Transparency <= 0) return own;
    const TColor parent = parentColour();
    if (props.Transparency >= 100) return parent;
    return MixByTransparency(own, parent, props.Transparency);
}

void Fill(TacBGInfo& bg, TColor color)
{
    bg.Bmp = nullptr;
    bg.BgType = btFill;
    bg.Color = color;
}

void HandOutCache(TsCommonData& data, TacBGInfo& bg)
{
    bg.BgType = btCache;
    bg.Bmp = data.FCacheBmp.get();
    bg.Offset = TPoint(0, 0);
}

// A state without gradient, image, corner images or outer effects is one plain colour.
bool IsPlain(const TsCommonData& data, const TsGeneralData& section, const TsGenState& state)
{
    const bool outer = section.OuterMode != 0 && data.OuterEffects() && data.OuterEffects()->Visibility() != ovNone;
    return state.GradientPercent < 1 && state.ImagePercent < 1 && section.ImgTL < 0 && section.ImgTR < 0 &&
           section.ImgBL < 0 && section.ImgBR < 0 && !outer;
}

// The parent's background beneath a fully transparent control without a cache of its own.
void ParentBackground(TsCommonData& data, TacBGInfo& bg, HWND handle)
{
    TsSkinManager* manager = data.GetSkinManager();
    if (TControl* control = data.FOwnerControl; control && control->Parent()) {
        GetBGInfo(bg, control->Parent());
        bg.Offset = TPoint(bg.Offset.X + control->Left(), bg.Offset.Y + control->Top());
        bg.FillRect.Offset(-control->Left(), -control->Top());
        return;
    }
    if (const HWND parent = handle ? GetParent(handle) : nullptr) {
        GetBGInfo(bg, parent);
        RECT r{};
        GetWindowRect(handle, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        bg.Offset = TPoint(bg.Offset.X + r.left, bg.Offset.Y + r.top);
        return;
    }
    Fill(bg, manager ? manager->GetGlobalColor() : clBtnFace);
}

// The colour children see through the control: its parent's.
TColor ParentColor(const TsCommonData& data, HWND handle)
{
    if (TControl* control = data.FOwnerControl; control && control->Parent())
        return GetControlColor(control->Parent());
    const HWND wnd = handle ? handle : data.OwnerHandle();
    if (const HWND parent = wnd ? GetParent(wnd) : nullptr) return GetControlColor(parent);
    return clBtnFace;
}

TCacheInfo FromParentAnswer(const TacBGInfo& bg)
{
    TCacheInfo ci = BGInfoToCI(bg);
    if (bg.BgType == btNotReady) {
        ci.FillColor = 0xFF00FF;
        ci.Ready = false;
    }
    return ci;
}

} // namespace

void InitBGInfo(TsCommonData* CommonData, TacBGInfo* BGInfo, int State, HWND Handle)
{
    if (!CommonData || !BGInfo) return;
    TsCommonData& data = *CommonData;
    TacBGInfo& bg = *BGInfo;
    TControl* control = data.FOwnerControl;
    if (bg.PleaseDraw) {
        if (control && data.BGChanged) SendAMessage(control, AC_PREPARECACHE);
        if (!data.BGChanged && HasPixels(data) && bg.DrawDC)
            BitBlt(bg.DrawDC, bg.R.Left, bg.R.Top, bg.R.Width(), bg.R.Height(), data.FCacheBmp->Canvas()->Handle(),
                   bg.Offset.X, bg.Offset.Y, SRCCOPY);
        bg.BgType = btCache;
        return;
    }
    if (data.SkinIndex < 0) {
        Fill(bg, control ? GetControlColor(control) : OwnColor(data, Handle));
        return;
    }
    TacSkinData* skin = data.GetCommonSkinData();
    const TsGeneralData* section = SectionOf(skin, data.SkinIndex);
    if (!data.Skinned() || data.CustomColor() || !section) {
        Fill(bg, UserColor(data, Handle));
        return;
    }
    const int state = ClampState(*section, State);
    const TsGenState& props = section->Props[static_cast<size_t>(state)];
    const int transparency = props.Transparency;
    TsSkinManager* manager = data.GetSkinManager();

    if (transparency == 0 && IsPlain(data, *section, props)) {
        Fill(bg, GetBGColor(CommonData, State, Handle));
        const TsMaskData* mask = BorderMaskOf(skin, *section);
        if (mask && (mask->DrawMode & 4) == 0 && (control || data.FCacheBmp)) {
            const TRect whole = control ? TRect(0, 0, control->Width(), control->Height())
                                        : TRect(0, 0, data.FCacheBmp->Width(), data.FCacheBmp->Height());
            bg.FillRect = TRect(whole.Left + mask->WL, whole.Top + mask->WT, whole.Right - mask->WR,
                                whole.Bottom - mask->WB);
            bg.Bmp = data.FCacheBmp.get();
            bg.Offset = TPoint(0, 0);
        }
        return;
    }
    if (transparency == 0) {
        bg.Color = manager ? manager->GetGlobalColor() : clBtnFace;
        const bool sizeDiffers =
            control && data.FCacheBmp &&
            (data.FCacheBmp->Width() != control->Width() || data.FCacheBmp->Height() != control->Height());
        if (data.BGChanged || !HasPixels(data) || sizeDiffers) {
            data.BGChanged = true;
            if (data.FCacheBmp) data.FCacheBmp->SetSize(0, 0);
            PrepareCache(data, Handle);
            if (!HasPixels(data)) {
                bg.BgType = btNotReady;
                return;
            }
        }
        HandOutCache(data, bg);
        return;
    }
    if (transparency == 100) {
        if (!data.FCacheBmp) {
            ParentBackground(data, bg, Handle);
            return;
        }
        if (control && data.BGChanged) SendAMessage(control, AC_PREPARECACHE);
        if (!data.BGChanged && HasPixels(data))
            HandOutCache(data, bg);
        else
            Fill(bg, GetBGColor(CommonData, State, Handle));
        return;
    }
    if (!data.FCacheBmp) {
        Fill(bg, 0xFF00FF);
        return;
    }
    // An empty cache is asked for once; a control that still cannot paint it is reported as not
    // ready instead of being asked again and again.
    if (!HasPixels(data) && control && data.BGChanged) SendAMessage(control, AC_PREPARECACHE);
    if (!HasPixels(data)) {
        data.FUpdating = true;
        bg.BgType = btNotReady;
        return;
    }
    HandOutCache(data, bg);
}

TColor GetBGColor(TsCommonData* CommonData, int State, HWND Handle)
{
    if (!CommonData) return clBtnFace;
    const TsCommonData& data = *CommonData;
    const TsGeneralData* section =
        data.Skinned() ? SectionOf(const_cast<TsCommonData&>(data).GetCommonSkinData(), data.SkinIndex) : nullptr;
    if (!section) return OwnColor(data, Handle);
    const int state = State >= 1 && section->States >= 2 ? 1 : 0;
    const TsGenState& props = section->Props[static_cast<size_t>(state)];
    if (props.Transparency > 0 && !data.FOwnerControl && !Handle && !data.FSWHandle) return clBtnFace;
    return StateColour(data, props, [&] { return ParentColor(data, Handle); });
}

TColor GetChildBGColor(TsCommonData* CommonData)
{
    if (!CommonData) return 0;
    TsCommonData& data = *CommonData;
    TControl* control = data.FOwnerControl;
    const TColor own = control ? ColorToRGB(control->Color()) : 0;
    const TsGeneralData* section = data.Skinned() ? SectionOf(data.GetCommonSkinData(), data.SkinIndex) : nullptr;
    if (!section) return own;
    // The parent's colour as it shows it, skinned or not; without a parent the control's own.
    return StateColour(data, section->Props[0], [&] {
        TWinControl* parent = control ? control->Parent() : nullptr;
        return parent ? GetControlColor(parent) : own;
    });
}

TCacheInfo GetParentCache(TsCommonData* CommonData)
{
    if (CommonData && CommonData->Skinned() && CommonData->FOwnerControl) {
        TControl* control = CommonData->FOwnerControl;
        TacBGInfo bg;
        if (control->Parent()) {
            GetBGInfo(bg, control->Parent());
            return FromParentAnswer(bg);
        }
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (const HWND parent = windowed && windowed->HandleAllocated() ? GetParent(windowed->Handle()) : nullptr) {
            GetBGInfo(bg, parent);
            return FromParentAnswer(bg);
        }
    }
    TCacheInfo ci;
    ci.FillColor = GetBGColor(CommonData, 0);
    return ci;
}

TCacheInfo GetParentCacheHwnd(HWND Handle)
{
    const HWND parent = Handle ? GetParent(Handle) : nullptr;
    if (!parent) return EmptyCI;
    TacBGInfo bg;
    GetBGInfo(bg, parent);
    return FromParentAnswer(bg);
}
