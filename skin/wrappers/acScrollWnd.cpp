// The scroll wrapper's life: its skin data, attaching the bars when it subclasses, removal with
// the bars cut, destruction that lets the window draw its own bars again, and the routines with
// which skinned controls attach and refresh it.
#include "acScrollWnd.h"

#include "acSBUtilsEdit.h"

#include "Forms.h"
#include "acGlow.h"
#include "sCommonData.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

// ---------------------------------------------------------------------------------------------
// Construction

void TacScrollWnd::InitSkinData()
{
    cxLeftEdge = -1;
    ScrollsInitialized = false;
    SkinData = new TsScrollWndData(this, true);
    SkinData->Loading = true;
}

void TacScrollWnd::Subclass(HWND AHandle, bool Repaint) { InitializeACScroll(AHandle, Repaint); }

void TacScrollWnd::InitializeACScroll(HWND AHandle, bool Repaint)
{
    DontRepaint = false;
    CtrlHandle = AHandle;
    CreateBars(AHandle); // scroll info, style bits, bar types, the left-bar flag
    SetScrollWndProp(AHandle, this);
    bPreventStyleChange = false;
    InitializeACWnd(AHandle);
    SetMinThumbSize(AHandle, SB_BOTH, acMinThumbSize);
    if (Repaint) RefreshFrame(AHandle, true);
}

// ---------------------------------------------------------------------------------------------
// Destruction and removal

TacScrollWnd::~TacScrollWnd()
{
    HWND frameOwner = nullptr;
    try {
        auto* control = dynamic_cast<TWinControl*>(OwnerControl());
        const bool terminating = Application && Application->Terminated();
        if (control && !control->ComponentState().Contains(csDestroying) && !terminating && control->HandleAllocated() &&
            !(SkinData && SkinData->FUpdating))
            frameOwner = control->Handle();
    } catch (...) {
    }
    sBarHorz.reset();
    sBarVert.reset();
    // The window must be ours no more before it computes its frame with the system's bars.
    LeaveWindow();
    if (frameOwner && IsWindow(frameOwner)) SetWindowPos(frameOwner, nullptr, 0, 0, 0, 0, SWP_ACFRAMECHANGED);
}

void UninitializeACScroll(HWND Wnd, bool Free, bool Repaint, TacScrollWnd*& sw)
{
    if (!sw) return;
    // A foreign window (no owner control) is given back as well: leaving it subclassed would
    // keep a removed wrapper painting it.
    if (!sw->Destroyed && sw->SkinData) {
        // The previous procedure stays known: a Destroyed wrapper still passes WM_NOTIFY on.
        const WNDPROC previous = sw->OldProc;
        sw->GiveBackWndProc();
        sw->OldProc = previous;
        // An opaque control left behind would no longer erase its background.
        sw->GiveBackCtrlStyle();
        sw->RestoreStdParams();
        for (auto* bar : {&sw->sBarHorz, &sw->sBarVert}) {
            if (*bar) (*bar)->sw = nullptr;
            bar->reset();
        }
        if (sw->OwnSkinData) {
            sw->SkinData->FOwnerControl = nullptr;
            sw->SkinData->FOwnerObject = nullptr;
            sw->SkinData->FSWHandle = nullptr;
            if (sw->SkinData->GlowID >= 0) HideGlow(sw->SkinData->GlowID, false);
        }
        if (Wnd && IsWindowVisible(Wnd)) RefreshFrame(Wnd, Repaint);
        sw->Destroyed = true;
    }
    if (Free) {
        sw->OldProc = nullptr;
        sw->OldWndProc = TWndMethod();
        delete sw;
        sw = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// Attaching to skinned controls

namespace {

HWND ControlWindow(TsScrollWndData* data)
{
    auto* control = data ? dynamic_cast<TWinControl*>(data->FOwnerControl) : nullptr;
    return control && control->HandleAllocated() ? control->Handle() : nullptr;
}

// Frees a wrapper that was already removed from its window.
void DropDestroyed(HWND wnd, TacScrollWnd*& sw)
{
    if (sw && sw->Destroyed) UninitializeACScroll(wnd, true, false, sw);
}

} // namespace

void RefreshScrolls(TsScrollWndData* SkinData, TacScrollWnd*& sw)
{
    if (!SkinData || !SkinData->FOwnerControl) return;
    const TComponentState state = SkinData->FOwnerControl->ComponentState();
    if (state.Contains(csLoading) || state.Contains(csDestroying) || state.Contains(csDesigning)) return;
    const HWND wnd = ControlWindow(SkinData);
    if (!wnd) return;
    if (SkinData->Skinned()) {
        if (Ac_UninitializeFlatSB) Ac_UninitializeFlatSB(wnd);
        DropDestroyed(wnd, sw);
        if (!sw) sw = CreateWrapper<TacScrollWnd>(wnd, SkinData, SkinData->GetSkinManager(), TacSkinParams(), true);
    } else {
        UninitializeACScroll(wnd, true, true, sw);
        if (Ac_InitializeFlatSB) Ac_InitializeFlatSB(wnd);
    }
}

void RefreshEditScrolls(TsScrollWndData* SkinData, TacScrollWnd*& sw)
{
    const HWND wnd = ControlWindow(SkinData);
    if (!wnd) return;
    if (SkinData->Skinned()) {
        DropDestroyed(wnd, sw);
        if (!sw) sw = NewEditWnd(wnd, SkinData);
    } else {
        UninitializeACScroll(wnd, true, true, sw);
    }
}

void RefreshTreeScrolls(TsScrollWndData* SkinData, TacScrollWnd*& sw, bool SkipBG)
{
    const HWND wnd = ControlWindow(SkinData);
    if (!wnd) return;
    if (SkinData->Skinned()) {
        DropDestroyed(wnd, sw);
        if (!sw) sw = NewTreeViewWnd(wnd, SkinData, SkipBG);
    } else {
        UninitializeACScroll(wnd, true, true, sw);
    }
}

TacScrollWnd* NewEditWnd(HWND AHandle, TsScrollWndData* SkinData)
{
    return CreateWrapper<TacEditWnd>(AHandle, SkinData, SkinData ? SkinData->GetSkinManager() : nullptr, TacSkinParams(),
                                     true);
}

// NewTreeViewWnd is made with the tree-view wrapper (acSBUtilsTree.cpp).

// ---------------------------------------------------------------------------------------------
// Keeping the bars in step

void UpdateScrolls(TacScrollWnd* sw, bool Repaint)
{
    if (!sw || sw->InDestroying) return;
    if (sw->SkinData && (sw->SkinData->FUpdating || sw->SkinData->FUpdateCount > 0)) return;
    if (!sw->CtrlHandle || !IsWindowVisible(sw->CtrlHandle) || !sw->sBarHorz || !sw->sBarVert) return;
    bool changed = false;
    for (TacScrollBar* sb : {sw->sBarHorz.get(), sw->sBarVert.get()}) {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        GetScrollInfo(sw->CtrlHandle, sb->nBarType, &si);
        const SCROLLINFO& old = sb->ScrollInfo;
        changed = changed || si.nMin != old.nMin || si.nMax != old.nMax || si.nPage != old.nPage || si.nPos != old.nPos ||
                  si.nTrackPos != old.nTrackPos;
        sb->ScrollInfo = si;
    }
    if (!Repaint || InAnimationProcess) return;
    // The system may have painted its own bar over ours and over the border meanwhile.
    if (changed)
        RepaintScrollFrame(sw);
    else
        ac_NCDraw(sw, sw->CtrlHandle, -1, nullptr);
}
