// What a form's provider answers to the library's command message: the commands every path
// answers first, then those of the skinned and of the unskinned path.
#include "sSkinProvider.h"

#include "acScrollBar.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sSkinManager.h"
#include "sCtrlStates.h"
#include "sSkinMenus.h"
#include "sSkinProviderInternal.h"
#include "sVclUtilsAnim.h"
#include "sVclUtils.h"

#include <windows.h>

#include <algorithm>

using namespace provider_detail;

namespace {

bool IsManager(const TMessage& Message, const TsSkinManager* manager)
{
    return manager && Message.LParam == reinterpret_cast<LPARAM>(manager);
}

// The number of states of the section at index in the skin data; 0 when there is none.
int SectionStates(TsCommonData& data, int index)
{
    TacSkinData* skin = data.GetCommonSkinData();
    if (!skin || index < 0 || index >= static_cast<int>(skin->gd.size())) return 0;
    return skin->gd[static_cast<size_t>(index)].States;
}

} // namespace

bool TsSkinProvider::AC_SMAlphaCmd_Common(TMessage& Message)
{
    TsSkinManager* manager = ManagerOf(*this);
    switch (AlphaCmdCode(Message.WParam)) {
    case AC_SETNEWSKIN:
        FCommonData->SetCommonSkinData(nullptr);
        StopAnimations();
        if (Form && !IsDestroying(Form) && IsManager(Message, manager) && !SystemMenu) PrepareForm();
        UpdateBlurMode();
        return false;

    case AC_REMOVESKIN: {
        if (!IsManager(Message, manager)) {
            CommonMessage(Message, FCommonData.get());
            BroadcastToChildren(Message);
            return true;
        }
        delete std::exchange(ListSW, nullptr);
        HWND wnd = Form && Form->HandleAllocated() ? Form->Handle() : nullptr;
        if (wnd) InitDwm(wnd, false, false);
        CommonMessage(Message, FCommonData.get());
        FLinesCount = FTitleSkinIndex = FCaptionSkinIndex = -1;
        FCommonData->TranspMode = 0;
        BroadcastToChildren(Message);
        AdapterRemove();
        StopAnimations();
        ReleaseMenuBitmaps();
        if (!Form || IsDestroying(Form)) return true;
        if (manager) {
            InitMenuItems(false);
            CheckSysMenu(false);
        }
        if (Form->FormStyle() == fsMDIForm && MDIForm) HookMDI(false);
        if (wnd && !InMenu) {
            HRGN probe = CreateRectRgn(0, 0, 0, 0);
            const bool hadRegion = GetWindowRgn(wnd, probe) != ERROR;
            DeleteObject(probe);
            if (hadRegion) SetWindowRgn(wnd, nullptr, TRUE);
        }
        UpdateMenu();
        if (FUseGlobalColor && !FCommonData->FCustomColor) Form->SetColor(clBtnFace);
        InitExBorders(false);
        if (wnd && Form->AlphaBlend()) DoLayered(wnd, true, Form->AlphaBlendValue());
        if (wnd) {
            if (HWND client = FindWindowExW(wnd, nullptr, L"MDICLIENT", nullptr))
                RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            SetClassLongPtrW(wnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
            SendAMessage(wnd, AC_FORMREFRESHED);
        }
        if (FSystemBlur->Active()) FCommonData->TranspMode = 2;
        UpdateBlurMode();
        return true;
    }

    case AC_CTRLHANDLED:
        Message.Result = 1;
        return true;

    case AC_GETSKININDEX:
        if (manager) {
            int index = FCommonData->SkinIndex;
            if (index < 0) {
                if (Form && Form->BorderStyle() == bsNone && Form->Parent())
                    index = manager->SkinCommonInfo.Sections[ssTransparent];
                else
                    index = manager->GetSkinIndex(L"FORM");
            }
            Message.Result = 1 + index;
        }
        return true;

    case AC_ENDUPDATE:
        if (FCommonData->CtrlSkinState & ACS_MNUPDATING) {
            FCommonData->CtrlSkinState &= ~ACS_MNUPDATING;
            if (Form) Form->Perform(CM_MENUCHANGED, 0, 0);
        }
        return false;

    case AC_GETBG: {
        if (!FCommonData->Skinned()) return false;
        auto* info = CommandPointer<TacBGInfo>(Message);
        if (!info) return false;
        info->Offset = TPoint(0, 0);
        if (FCommonData->BGChanged && (!FCommonData->FUpdating || FInAnimation)) {
            const bool framed = Form && Form->HandleAllocated() && !IsZoomed(Form->Handle()) && Form->BorderStyle() != bsNone;
            if (!BorderForm && manager && manager->ExtendedBorders() && framed) return false;
            PaintAll();
        }
        if (info->PleaseDraw) info->Offset = TPoint(info->Offset.X + OffsetX(), info->Offset.Y + OffsetY());
        // The cache shortcut is skipped: the record always comes from the skin data.
        const int states = SectionStates(*FCommonData, FCommonData->SkinIndex);
        InitBGInfo(FCommonData.get(), info, std::max(0, std::min(FormActive ? 1 : 0, states - 1)));
        if (info->BgType == btCache && !info->PleaseDraw && !info->Bmp) {
            if (FCommonData->BGChanged) PaintAll();
            info->Bmp = FCommonData->FCacheBmp.get();
        }
        info->Offset = TPoint(info->Offset.X + OffsetX(), info->Offset.Y + OffsetY());
        info->FillRect.Left = std::max<LONG>(0, info->FillRect.Left - OffsetX());
        info->FillRect.Top = std::max<LONG>(0, info->FillRect.Top - OffsetY());
        return true;
    }

    case AC_FONTCHANGED:
        UpdateSkinCaption();
        CommonMessage(Message, FCommonData.get());
        return true;

    case AC_OBJLINK:
        if (!IsLoading(this) && !IsDesigning(this)) {
            auto* object = CommandPointer<TObject>(Message);
            auto it = std::find(FrameAdapters.begin(), FrameAdapters.end(), object);
            if (Message.WParamLo() == 0) {
                if (it != FrameAdapters.end()) FrameAdapters.erase(it);
            } else if (it == FrameAdapters.end() && object) {
                FrameAdapters.push_back(object);
            }
        }
        return true;

    case AC_GETAPPLICATION:
        Message.Result = reinterpret_cast<LRESULT>(Application);
        return true;

    case AC_GETCLIENTOFFSET:
        Message.Result = static_cast<LRESULT>(MakeLong(static_cast<WORD>(OffsetX()), static_cast<WORD>(OffsetY())));
        return true;

    case AC_SETPPI:
        StopAnimations();
        SetHotHT(-1, true);
        CommonMessage(Message, FCommonData.get());
        if (manager) {
            FCommonData->SetCommonSkinData(manager->CommonSkinData(static_cast<int>(Message.LParam)));
            FCommonData->CurrentPPI = static_cast<int>(Message.LParam);
        }
        InitSysParams(static_cast<int>(Message.LParam));
        BroadcastToChildren(Message);
        PassOn(Message);
        return true;

    case AC_GETPPI:
        Message.Result = AllowScale ? GetPPI(FCommonData.get()) : -1;
        return true;

    case AC_FORMPAINTED:
    case AC_FORMREFRESHED:
    case AC_FORMBLENDVALUE:
    case AC_FORMRESIZING:
    case AC_FORMRESIZED:
    case AC_FORMPASSLAST:
        PassOn(Message);
        return true;

    case AC_GETDEFSECTION:
        Message.Result = 13;
        return true;

    default:
        return false;
    }
}

void TsSkinProvider::AC_SMAlphaCmd_Skinned(TMessage& Message)
{
    TsSkinManager* manager = ManagerOf(*this);
    HWND wnd = Form && Form->HandleAllocated() ? Form->Handle() : nullptr;
    switch (AlphaCmdCode(Message.WParam)) {
    case AC_SETNEWSKIN:
        if (!IsManager(Message, manager)) return;
        ReleaseMenuBitmaps();
        FCommonData->UpdateIndexes();
        FGlow1.reset();
        FGlow2.reset();
        FTitleSkinIndex = -1;
        InitIndexes();
        if (TempBmp) TempBmp->SetSize(0, 0);
        UpdateIconsIndexes();
        CheckSysMenu(true);
        manager->SkinableMenus()->UpdateMenus();
        FCommonData->BGChanged = true;
        FLinesCount = -1;
        UpdateTitleBar();
        if (Form->FormStyle() == fsMDIForm) HookMDI(true);
        return;

    case AC_REFRESH:
        if (!IsManager(Message, manager)) return;
        if (!Adapter)
            AdapterCreate();
        else
            Adapter->AddAllItems();
        FLinesCount = -1;
        if (!IsLoading(manager)) {
            UpdateMenu();
            InitMenuItems(true);
        }
        UpdateTitleBar();
        if (wnd) {
            if (IsWindowVisible(wnd)) {
                FCommonData->BGChanged = true;
                InitExBorders(manager->ExtendedBorders());
            }
            if (!InAnimationProcess) RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            if (FUseGlobalColor && !FCommonData->FCustomColor) Form->SetColor(manager->GetGlobalColor());
            if (MDIForm) MDIForm->ConnectToClient();
            FCommonData->FUpdating = false;
            if (SystemMenu) SystemMenu->UpdateGlyphs();
            SendToAdapter(Message);
            if (BorderForm) UpdateExBordersPos(true, 255);
            SendAMessage(wnd, AC_FORMREFRESHED);
            SetClassLongPtrW(wnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(manager->Brushes[0]));
        }
        if (FFormState & FS_BLURACTIVE) UpdateBlurMode();
        return;

    case AC_GETPROVIDER: Message.Result = reinterpret_cast<LRESULT>(this); return;

    case AC_PARENTUPDATED:
        if (FCommonData->FUpdating && !InUpdating(FCommonData.get())) {
            if (wnd) RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            SetParentUpdated(Form);
        }
        return;

    case AC_SETUPDATING:
        FCommonData->FUpdating = Message.WParamLo() == 1;
        if (FCommonData->FUpdating) FCommonData->BGChanged = true;
        return;

    case AC_ISUPDATING: Message.Result = !FInAnimation && FCommonData->FUpdating ? 1 : 0; return;

    case AC_INVALIDATECACHE: FCommonData->BGChanged = true; return;

    case AC_CHILDBGCHANGED: {
        TacSkinData* skin = FCommonData->GetCommonSkinData();
        const int index = FCommonData->SkinIndex;
        LRESULT answer = 0;
        if (skin && index >= 0 && index < static_cast<int>(skin->gd.size())) {
            const TsGeneralData& gd = skin->gd[static_cast<size_t>(index)];
            const int border = gd.BorderIndex;
            if (gd.Props[0].ImagePercent > 0 || gd.Props[0].GradientPercent > 0)
                answer = 1;
            else if (border >= 0 && border < static_cast<int>(skin->ma.size()) && (skin->ma[static_cast<size_t>(border)].DrawMode & 4))
                answer = 1;
        }
        Message.Result = answer;
        if (answer) Message.LParam = 1;
        return;
    }

    case AC_GETBGCOLOR: Message.Result = static_cast<LRESULT>(GetBGColor(FCommonData.get(), 0)); return;

    case AC_PREPARECACHE: {
        if (SkinIsChanging(FCommonData.get()) || !FCommonData->BGChanged || FCommonData->FUpdating) {
            Message.Result = -2;
            return;
        }
        PaintAll();
        const bool creating = Form->ControlState().Contains(csCreating);
        if (FCommonData->BGChanged && (creating || (FFormState & (FS_MOVEBLEND | FS_IMAGETAKEN)) || FCommonData->SkinIndex < 0))
            FCommonData->BGChanged = false;
        return;
    }

    case AC_ADDTOADAPTER:
        // A null control adds every item; an address that may not be trusted adds nothing.
        if (Form && !IsLoading(Form) && Adapter && (Message.LParam == 0 || CommandPointer<TWinControl>(Message)))
            Adapter->AddAllItems(CommandPointer<TWinControl>(Message));
        return;

    case AC_MOUSELEAVE:
        SetHotHT(-1, true);
        biClicked = false;
        return;

    case AC_CHILDLIST: {
        const HWND handle = reinterpret_cast<HWND>(Message.LParam);
        if (Message.WParamLo() == 1) {
            if (!FluentHandles) FluentHandles = std::make_unique<std::vector<HWND>>();
            if (std::find(FluentHandles->begin(), FluentHandles->end(), handle) == FluentHandles->end())
                FluentHandles->push_back(handle);
        } else if (FluentHandles) {
            FluentHandles->erase(std::remove(FluentHandles->begin(), FluentHandles->end(), handle), FluentHandles->end());
        }
        return;
    }

    case AC_BEGINSCROLL:
    case AC_ENDSCROLL:
        if (!wnd || !FCommonData->RepaintIfMoved()) return;
        if (AlphaCmdCode(Message.WParam) == AC_BEGINSCROLL) {
            SendMessageW(wnd, WM_SETREDRAW, 0, 0);
        } else {
            SendMessageW(wnd, WM_SETREDRAW, 1, 0);
            RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            if (MDISkinProvider == this)
                if (HWND client = FindWindowExW(wnd, nullptr, L"MDICLIENT", nullptr))
                    RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        return;

    case AC_UPDATETITLE:
        if (Message.LParam == 1) {
            FCommonData->BGChanged = true;
            UpdateTitleBar();
        }
        UpdateSkinCaption();
        return;

    case AC_SETFORMSTATEBIT:
        SetFormState(Message.LParam == 1 ? FFormState | FS_CMDSTATE : FFormState & ~FS_CMDSTATE);
        return;

    case AC_GETFORMSTATEBIT: Message.Result = (FFormState & FS_CMDSTATE) ? 1 : 0; return;

    case AC_SETBLENDVALUE: {
        if (!wnd || !IsWindowVisible(wnd)) return;
        const BYTE blend = static_cast<BYTE>(std::clamp<LPARAM>(Message.LParam, 0, 255));
        if (BorderForm) UpdateExBordersPos(true, blend);
        if (Message.LParam == 255) {
            // Some systems keep the style for a moment: a few tries, while the window lives.
            for (int i = 0; i < 5 && IsWindow(wnd) && (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED); ++i)
                SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
        } else {
            if (!(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED))
                SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LAYERED);
            SetLayeredWindowAttributes(wnd, 0, blend, LWA_ALPHA);
        }
        return;
    }

    case AC_GETFONTINDEX: {
        auto* info = CommandPointer<TacPaintInfo>(Message);
        if (!info) return;
        if (HeaderUsed() && info->R.Top < FFormHeader->ScaledAddHeight()) {
            info->FontIndex = FHeaderIndex;
            info->SkinManager = manager;
            Message.Result = 1;
        } else if (Form->Parent() && NeedParentFont(FCommonData.get(), info->State)) {
            Message.Result = GetFontIndex(Form, FCommonData->SkinIndex, manager, info->State);
        } else if (info->State < SectionStates(*FCommonData, FCommonData->SkinIndex)) {
            info->FontIndex = FCommonData->SkinIndex;
            Message.Result = 1;
        } else {
            Message.Result = -1;
        }
        return;
    }

    case AC_GETBORDERWIDTH: {
        const WORD what = Message.LParamLo();
        if (what == 1) {
            Message.Result = SizeFrame() + FramePadding();
        } else if (what == 2) {
            Message.Result = FixedFrame() + FramePadding();
        } else {
            int width = wnd ? (GetWindowWidth(wnd) - GetClientWidth(wnd)) / 2 - OffsetX() : 0;
            if (width == 0) width = Message.LParamHi() == 1 ? SizeFrame() : Message.LParamHi() == 2 ? FixedFrame() : 0;
            Message.Result = width + FramePadding();
        }
        return;
    }

    case AC_BROADCASTCHILDREN:
        PassOn(Message);
        BroadcastToChildren(Message);
        return;

    case AC_NCOPTIONCHANGED: UpdateNCArea(Message.LParam != 0); return;

    case AC_CHANGESCALE: AnimChangeScale(Message.LParamHi(), Message.LParamLo() != 0); return;

    default: return;
    }
}

bool TsSkinProvider::AC_SMAlphaCmd_Unskinned(TMessage& Message)
{
    TsSkinManager* manager = ManagerOf(*this);
    switch (AlphaCmdCode(Message.WParam)) {
    case AC_SETNEWSKIN: {
        if (!Form || IsDestroying(Form) || !FCommonData) return false;
        if (IsManager(Message, manager)) {
            if (FSystemBlur->Active()) FFormState |= FS_BLURACTIVE;
            FCommonData->SetCommonSkinData(nullptr);
            StopAnimations();
            ReleaseMenuBitmaps();
            FCommonData->UpdateIndexes();
            FTitleSkinIndex = -1;
            InitIndexes();
            HWND wnd = Form->HandleAllocated() ? Form->Handle() : nullptr;
            FSysExHeight = BorderForm && wnd && IsZoomed(wnd) && SkinTitleHeight() > SysCaptHeight() + 4;
            CheckSysMenu(true);
            UpdateIconsIndexes();
            FormActive = Form->Active();
            if (!IsLoading(manager)) {
                MenusInitialized = FMenuOwnerDraw;
                InitMenuItems(true);
                if (!MenusInitialized) UpdateMenu();
            }
            FCommonData->BGChanged = true;
            FLinesCount = -1;
            if (Form->FormStyle() == fsMDIForm) HookMDI(true);
            UpdateTitleBar();
            if (wnd) InitDwm(wnd, CanDrawNCArea(), true);
        }
        if (!Adapter)
            AdapterCreate();
        else
            Adapter->AddAllItems();
        return true;
    }
    case AC_GETPROVIDER: Message.Result = reinterpret_cast<LRESULT>(this); return true;
    case AC_PREPARECACHE: FCommonData->BGChanged = false; return true;
    default: return false;
    }
}
