// The library's command message as every skinned control answers it: keeping the skin data in
// step with new, removed and refreshed skins, passing commands on to the children, and answering
// questions about the control.
#include "sCommonData.h"

#include "Forms.h"
#include "StdCtrls.h"
#include "acAnimation.h"
#include "acThdTimer.h"
#include "sCommonDataSection.h"
#include "sCtrlStates.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sVclUtils.h"

using namespace sCommonDataSection;

namespace {

bool InState(const TComponent* component, TComponentStateFlag flag)
{
    return component && component->ComponentState().Contains(flag);
}

void RecomputeFrame(TWinControl* control)
{
    if (control && control->HandleAllocated())
        SetWindowPos(control->Handle(), nullptr, 0, 0, 0, 0, FrameChangedFlags);
}

void EmptyCache(TsCommonData& data)
{
    if (data.FCacheBmp) data.FCacheBmp->SetSize(0, 0);
}

// The mouse light of a light control starts again from nothing.
void ResetLighting(TsCommonData& data)
{
    auto* ctrl = dynamic_cast<TsCtrlSkinData*>(&data);
    if (!ctrl || !ssLightCtrls.Contains(data.COC)) return;
    ctrl->FDoLighting = false;
    ctrl->LightDistanceX = 0;
    ctrl->LightDistanceY = 0;
    ctrl->HotCache.reset();
    ctrl->LightMask.reset();
}

void RestartPulse(TsCommonData& data)
{
    TacThreadedTimer* timer = data.PulsTimer;
    if (!ThreadedTimerIsLive(timer) || !timer->Enabled()) return;
    timer->PrepareImage();
    timer->StartTimer();
}

void Broadcast(TWinControl* control, TMessage& message)
{
    if (control) AlphaBroadCast(control, message);
}

} // namespace

void RestoreStandardLook(TsCommonData* CommonData)
{
    auto* windowed = CommonData ? dynamic_cast<TWinControl*>(CommonData->FOwnerControl) : nullptr;
    if (!windowed) return;
    // Only the class brush needs a window: a control the framework has not made one for yet
    // (an edit on a hidden page) still gives up the skin's colours.
    const bool hasWindow = windowed->HandleAllocated();
    if (hasWindow)
        SetClassLongPtrW(windowed->Handle(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
    if (auto* edit = dynamic_cast<TCustomEdit*>(windowed)) {
        if (!CommonData->CustomColor()) edit->SetColor(clWindow);
        if (!CommonData->CustomFont()) edit->Font()->SetColor(clWindowText);
        if (hasWindow) RedrawWindow(edit->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_FRAME);
        return;
    }
    for (int i = 0; i < windowed->ControlCount(); ++i)
        if (auto* label = dynamic_cast<TLabel*>(windowed->Controls(i))) label->Font()->SetColor(clWindowText);
}

namespace {

// AC_ISUPDATING: whether the control is not ready to give its background.
LRESULT IsUpdatingAnswer(TsCommonData& data)
{
    if (InUpdating(&data, false)) return 1;
    if (data.CustomColor()) return 0;
    auto* windowed = dynamic_cast<TWinControl*>(data.FOwnerControl);
    if (!windowed) return 0;
    const auto hasPixels = [&] { return data.FCacheBmp && !data.FCacheBmp->Empty(); };
    if (hasPixels() && !data.BGChanged)
        return data.FCacheBmp->Width() != windowed->Width() || data.FCacheBmp->Height() != windowed->Height() ? 1 : 0;
    if (windowed->HandleAllocated()) SendAMessage(windowed->Handle(), AC_PREPARECACHE);
    return hasPixels() ? 0 : 1;
}

} // namespace

bool RefreshNeeded(TsCommonData* CommonData, const TMessage& Message)
{
    if (!CommonData) return false;
    TsSkinManager* manager = CommonData->GetSkinManager();
    if (!manager || reinterpret_cast<TsSkinManager*>(Message.LParam) != manager) return false;
    const int lo = LOWORD(Message.WParam);
    if (lo == 0 || lo == CommonData->SkinIndex) return true;
    const auto& sections = manager->SkinCommonInfo.Sections;
    const auto any = [&](std::initializer_list<TacSection> list) {
        for (TacSection s : list)
            if (sections[s] == lo) return true;
        return false;
    };
    const BYTE coc = CommonData->COC;
    if (coc == 13 && any({ssComboBtn})) return true;
    if (sEditCtrls.Contains(coc) || coc == 10 || coc == 14)
        return any({ssScrollBar1H, ssScrollBar1V, ssScrollBar2H, ssScrollBar2V, ssScrollBtnLeft, ssScrollBtnTop,
                    ssScrollBtnRight, ssScrollBtnBottom, ssScrollSliderH, ssScrollSliderV});
    if (coc == 34 || coc == 165) return any({ssTrackBar, ssSlider_On, ssSlider_Off, ssThumb_On, ssThumb_Off});
    TacSkinData* data = CommonData->GetCommonSkinData();
    if (!data) return false;
    if (coc == 32) {
        // The sections the check-box and radio glyphs belong to.
        const auto owns = [&](int mask) {
            return mask >= 0 && static_cast<size_t>(mask) < data->ma.size() &&
                   manager->GetSkinIndex(data->ma[static_cast<size_t>(mask)].ClassName) == lo;
        };
        for (int mask : data->CheckBox)
            if (owns(mask)) return true;
        for (int mask : data->SmallCheckBox)
            if (owns(mask)) return true;
        for (int mask : data->RadioButton)
            if (owns(mask)) return true;
        return false;
    }
    if (coc == 141) {
        for (const auto& layout : data->Tabs)
            for (const TacConstElementData& tab : layout)
                if (tab.SkinIndex >= 0 && tab.SkinIndex == lo) return true;
        return false;
    }
    return false;
}

void ChangeTranspMode(TControl* Control, int& Data)
{
    if (Control) Data = static_cast<int>(SendAMessage(Control, AC_SETTRANSPMODE, Data));
}

bool CommonMessage(TMessage& Message, TsCommonData* CommonData)
{
    if (!CommonData || Message.Msg != SM_ALPHACMD) return true;
    TsCommonData& data = *CommonData;
    const WORD code = AlphaCmdCode(Message.WParam);
    const WORD lo = LOWORD(Message.WParam);
    if (code > AC_GETSKINDATA) return false;
    TControl* control = data.FOwnerControl;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    TsSkinManager* manager = data.GetSkinManager();
    const bool ownManager = manager && reinterpret_cast<TsSkinManager*>(Message.LParam) == manager;

    switch (code) {
    case AC_SETNEWSKIN:
        if (!ownManager) return true;
        if (auto* ctrl = dynamic_cast<TsCtrlSkinData*>(&data); ctrl && ssLightCtrls.Contains(data.COC)) {
            ResetLighting(data);
            AddLightControl(ctrl);
        }
        RestartAttention(&data);
        data.SetCommonSkinData(nullptr);
        StopTimer(&data);
        UpdateData(&data);
        {
            const UnicodeString names[] = {data.FSkinSection};
            InitIndexes(&data, names);
        }
        EmptyCache(data);
        RestrictDrawing = false;
        return true;

    case AC_REMOVESKIN:
        if (!ownManager) return true;
        data.SetCommonSkinData(nullptr);
        if (auto* ctrl = dynamic_cast<TsCtrlSkinData*>(&data); ctrl && ssLightCtrls.Contains(data.COC)) {
            ResetLighting(data);
            DelLightControl(ctrl);
        }
        if (data.SkinIndex < 0) return true;
        data.SkinIndex = -1;
        StopTimer(&data);
        if (InState(data.FSkinManager, csDestroying)) data.FSkinManager = nullptr;
        EmptyCache(data);
        RestoreStandardLook(&data);
        return false;

    case AC_REFRESH:
        if (RefreshNeeded(&data, Message)) {
            ResetLighting(data);
            StopTimer(&data);
            data.BGChanged = true;
            if (windowed && lo != 0) {
                TMessage moved{SM_ALPHACMD, MakeAlphaCmd(AC_OWNERMOVED), 0, 0};
                Broadcast(windowed, moved);
            }
            data.FUpdating = false;
            ApplySkinColors(&data, true);
            if (ssScrolledEdits.Contains(data.COC)) RecomputeFrame(windowed);
            RestartPulse(data);
        } else {
            Broadcast(windowed, Message);
        }
        return true;

    case AC_PARENTUPDATED:
        if (data.FUpdating && windowed && !InUpdating(&data, true)) {
            if (windowed->HandleAllocated())
                RedrawWindow(windowed->Handle(), nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            SetParentUpdated(windowed);
        }
        return true;

    case AC_CTRLHANDLED:
        Message.Result = 1;
        Message.LParam = data.SkinIndex >= 0 ? 1 : 0;
        return true;

    case AC_SETUPDATING: data.FUpdating = lo == 1; return true;
    case AC_ISUPDATING: Message.Result = IsUpdatingAnswer(data); return true;
    case AC_GETOUTOFVIEW: Message.Result = data.HalfVisible ? 1 : 0; return true;

    case AC_UPDATESECTION:
        if (acCommandPointerTrusted(Message) && UnicodeString(reinterpret_cast<const wchar_t*>(Message.LParam)) ==
                                  UpperCase(data.FSkinSection)) {
            RestrictDrawing = false;
            data.Invalidate(false);
        }
        return true;

    case AC_SETSECTION:
        if (!acCommandPointerTrusted(Message)) {
            Message.Result = 0;
            return true;
        }
        data.SetSkinSection(*reinterpret_cast<const UnicodeString*>(Message.LParam));
        Message.Result = 1;
        return true;

    case AC_STOPTIMER: StopTimer(&data); return true;

    case AC_INVALIDATECACHE:
        data.BGChanged = true;
        Broadcast(windowed, Message);
        return true;

    case AC_INVALIDATE: data.Invalidate(false); return true;
    case AC_CHILDBGCHANGED: Message.Result = 1; return true;

    case AC_OWNERMOVED:
        data.BGChanged = data.BGChanged || data.RepaintIfMoved();
        StopTimer(&data);
        if (windowed && lo == 1) {
            if (windowed->HandleAllocated())
                RedrawWindow(windowed->Handle(), nullptr, nullptr,
                             RDW_INVALIDATE | RDW_NOINTERNALPAINT | RDW_NOERASE | RDW_ALLCHILDREN);
            if (data.BGChanged) {
                for (int i = 0; i < windowed->ControlCount(); ++i) {
                    TControl* child = windowed->Controls(i);
                    if (!InState(child, csDestroying)) child->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_OWNERMOVED, 1), 0);
                }
            }
        }
        return true;

    case AC_GETBGCOLOR: Message.Result = GetChildBGColor(&data); return true;
    case AC_SETOUTOFVIEW: data.HalfVisible = true; return true;
    case AC_PREPARECACHE: data.BGChanged = false; return true;

    case AC_GETSKININDEXREC:
        if (acCommandPointerTrusted(Message)) reinterpret_cast<TacSkinIndexRec*>(Message.LParam)->SkinIndex = data.SkinIndex;
        return true;

    case AC_UPDATESCROLLWND:
        if (data.FCacheBmp) {
            if (windowed) {
                for (int i = 0; i < windowed->ControlCount(); ++i) {
                    auto* child = dynamic_cast<TWinControl*>(windowed->Controls(i));
                    if (child && child->HandleAllocated()) SendAMessage(child->Handle(), AC_UPDATESCROLLWND);
                }
            }
            EmptyCache(data);
            data.BGChanged = true;
        }
        return true;

    case AC_GETBG: {
        int state = 0;
        if (data.FFocused)
            state = 1;
        else if (data.FMouseAbove && !ssCanNotBeHot.Contains(data.COC))
            state = 1;
        if (acCommandPointerTrusted(Message)) InitBGInfo(&data, reinterpret_cast<TacBGInfo*>(Message.LParam), state);
        return true;
    }

    case AC_FONTCHANGED:
        if (!ownManager) return true;
        data.BGChanged = true;
        if (control) {
            manager->UpdateFontName(control);
        } else if (auto* provider = dynamic_cast<TsSkinProvider*>(data.FOwnerObject); provider && provider->Form) {
            manager->UpdateFontName(provider->Form);
        }
        Broadcast(windowed, Message);
        return true;

    case AC_GETCOMMONDATA: Message.Result = reinterpret_cast<LRESULT>(&data); return true;

    case AC_PRINTING:
        if (lo != 0) {
            data.CtrlSkinState |= ACS_PRINTING;
            data.PrintDC = reinterpret_cast<HDC>(Message.LParam);
        } else {
            data.CtrlSkinState &= ~ACS_PRINTING;
            data.PrintDC = nullptr;
        }
        return true;

    case AC_LIGHTSTEP:
        if (auto* ctrl = dynamic_cast<TsCtrlSkinData*>(&data); ctrl && ctrl->OnUpdateLight) {
            TacAnimEventData step;
            step.DoOutput = lo != 0;
            ctrl->OnUpdateLight(control, &step);
        }
        return true;

    case AC_PAINTOUTER:
        if (acCommandPointerTrusted(Message)) data.PaintOuter(reinterpret_cast<TacBGInfo*>(Message.LParam), lo);
        return true;

    case AC_SETTRANSPMODE: {
        // A child may ask back while its mode changes; the second request is not handled.
        if (data.GlassModeInit) return true;
        data.GlassModeInit = true;
        data.BGChanged = true;
        data.TranspMode = data.OpaqueMode() == omForceOpaque ? 1 : LOBYTE(HIWORD(Message.LParam));
        const WORD glass = LOWORD(Message.LParam);
        Message.Result = MAKELONG(glass, data.TranspMode);
        if (glass == 1 && windowed)
            IterateControls(windowed, static_cast<int>(MAKELONG(1, data.TranspMode)), [](TControl* child, int& d) {
                ChangeTranspMode(child, d);
                return false;
            });
        data.GlassModeInit = false;
        return true;
    }

    case AC_FORCEOPAQUE:
        if (data.DoForceOpaque()) {
            data.Invalidate(false);
            Message.Result = 1;
        }
        return true;

    case AC_SCROLLOPTIONS:
        if (windowed) {
            RecomputeFrame(windowed);
            Broadcast(windowed, Message);
        }
        return true;

    case AC_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); return true;

    case AC_GETFONTINDEX: {
        if (!acCommandPointerTrusted(Message) || !data.Skinned()) return true;
        auto* info = reinterpret_cast<TacPaintInfo*>(Message.LParam);
        if (NeedParentFont(&data, info->State)) {
            if (control && control->Parent())
                Message.Result = GetFontIndex(control->Parent(), info);
            else if (!control && data.FSWHandle && GetParent(data.FSWHandle))
                Message.Result = GetFontIndex(GetParent(data.FSWHandle), info);
        } else {
            info->FontIndex = data.SkinIndex;
            Message.Result = 1;
        }
        return true;
    }

    case AC_SETPPI:
        data.CurrentPPI = static_cast<int>(Message.LParam);
        data.SetCommonSkinData(manager && manager->IsActive() ? manager->CommonSkinData(data.CurrentPPI) : nullptr);
        Broadcast(windowed, Message);
        return false;

    case AC_GETPPI: Message.Result = data.CurrentPPI; return true;

    case AC_GETBOUNDS:
        if (acCommandPointerTrusted(Message)) *reinterpret_cast<TRect*>(Message.LParam) = control ? control->BoundsRect() : TRect();
        return true;

    case AC_BROADCASTCHILDREN: Broadcast(windowed, Message); return true;

    case AC_CANANIMATE:
        if (manager && manager->IsActive())
            Message.Result = 1;
        else
            Message.Result = !control || !control->ControlStyle().Contains(csOpaque) ? 1 : 0;
        return true;

    case AC_GETSKINDATA:
        Message.Result = reinterpret_cast<LRESULT>(data.GetCommonSkinData());
        Message.LParam = reinterpret_cast<LPARAM>(data.FCommonSkinData);
        return true;

    default: return false;
    }
}
