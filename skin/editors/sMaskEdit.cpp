#include "sMaskEdit.h"

#include "TypInfo.h"
#include "acAnimation.h"
#include "acUnitCounter.h"
#include "sAlphaGraph.h"
#include "sGraphUtilsTemplate.h"
#include "sMessages.h"
#include "sAlphaGraph.h"
#include "sGraphUtilsTemplate.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

namespace {

TacUnitCounter unitCounter;

} // namespace

TacCustomMaskEdit::TacCustomMaskEdit(TComponent* owner) : TCustomMaskEdit(owner), D(this, true)
{
    TControlStyle style = ControlStyle();
    style.Exclude(csSetCaption);
    SetControlStyle(style);
    D.IsDefaultValue = [this] { return IsDefaultValue(); };
    D.VirtualTextRect = [this] { return TextRect(); };
    D.VirtualPaintText = [this] { PaintText(); };
}

TacCustomMaskEdit::~TacCustomMaskEdit()
{
    if (D.FCommonData) D.FCommonData->RemoveCommonProp();
}

void TacCustomMaskEdit::AfterConstruction() { D.FCommonData->Loaded(); }

void TacCustomMaskEdit::Loaded()
{
    TCustomMaskEdit::Loaded();
    D.FCommonData->Loaded();
    if (Parent()) HandleNeeded();
    D.UpdateFrame();
}

void TacCustomMaskEdit::CreateWnd()
{
    TCustomMaskEdit::CreateWnd();
    D.FCommonData->InitCommonProp();
}

void TacCustomMaskEdit::DestroyWnd()
{
    D.FCommonData->RemoveCommonProp();
    TCustomMaskEdit::DestroyWnd();
}

void TacCustomMaskEdit::Notification(TComponent* component, TOperation operation)
{
    TCustomMaskEdit::Notification(component, operation);
    if (operation == opRemove && D.FAddedGlyph && component == D.FAddedGlyph->Images()) D.FAddedGlyph->SetImages(nullptr);
}

void TacCustomMaskEdit::Change()
{
    if (!ComponentState().Contains(csLoading)) TCustomMaskEdit::Change();
}

void TacCustomMaskEdit::SetDisabledKind(TsDisabledKind value)
{
    if (value == D.FDisabledKind) return;
    D.FDisabledKind = value;
    D.FCommonData->Invalidate();
}

void TacCustomMaskEdit::SetVerticalAlignment(TVerticalAlignment value)
{
    if (value == D.FVerticalAlignment) return;
    D.FVerticalAlignment = value;
    D.PaddingChanged();
}

void TacCustomMaskEdit::ValidateEdit()
{
    if (!FCheckOnExit) return;
    try {
        TCustomMaskEdit::ValidateEdit();
    } catch (const EDBEditError& e) {
        const UnicodeString text = e.Message();
        if (OnValidateError) OnValidateError(this, text);
        throw EDBEditError(text);
    }
}

TRect TacCustomMaskEdit::TextRect()
{
    TRect r = D.TextRect();
    if (AllowBtnStyle()) {
        r.Left += 1;
        r.Right -= 1;
    }
    return r;
}

void TacCustomMaskEdit::OurPaintHandler(HDC dc) { D.OurPaintHandler(dc); }

void TacCustomMaskEdit::WndProc(TMessage& message)
{
    TsCtrlSkinData* sd = D.FCommonData.get();
    // 1. Library commands answered here.
    if (message.Msg == SM_ALPHACMD) {
        const WORD code = AlphaCmdCode(message.WParam);
        const LPARAM manager = reinterpret_cast<LPARAM>(sd->GetSkinManager());
        switch (code) {
        case AC_CTRLHANDLED: message.Result = 1; return;
        case AC_SETNEWSKIN:
        case AC_REMOVESKIN:
            if (message.LParam == manager) {
                CommonMessage(message, sd);
                if (code == AC_REMOVESKIN) Invalidate();
                return;
            }
            break;
        case AC_REFRESH:
            if (RefreshNeeded(sd, message)) {
                CommonMessage(message, sd);
                if (HandleAllocated()) SendMessageW(Handle(), WM_NCPAINT, 0, 0);
                Repaint();
                return;
            }
            break;
        case AC_PARENTUPDATED:
            if (sd->GetUpdating()) {
                sd->FUpdating = false;
                if (HandleAllocated()) {
                    InvalidateRect(Handle(), nullptr, TRUE);
                    SendMessageW(Handle(), WM_NCPAINT, 0, 0);
                }
                return;
            }
            break;
        case AC_GETSKININDEX:
            if (TsSkinManager* m = sd->GetSkinManager()) message.Result = m->SkinCommonInfo.Sections[ssEdit] + 1;
            return;
        case AC_SETPPI:
            sd->CtrlSkinState |= ACS_FRAMECHANGED;
            CommonMessage(message, sd);
            D.UpdateFrame();
            D.FBoundLabel->UpdateScale(static_cast<int>(message.LParam));
            return;
        case AC_GETDEFSECTION: message.Result = 1; return;
        default: break;
        }
        if (CommonMessage(message, sd)) return;
    }
    // 2, 3.
    switch (message.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED: D.FAddedGlyphRect.Left = -1; break;
    case CM_ENABLEDCHANGED:
        Invalidate();
        Platform(message);
        AfterMessage(message);
        return;
    case WM_SETFOCUS:
    case CM_ENTER:
        if (!ComponentState().Contains(csDesigning) && CanFocus()) {
            if (!CommonWndProc(message, sd)) {
                const bool btn = AllowBtnStyle();
                if (btn && HandleAllocated()) SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
                // A read-only masked edit keeps its caret on entry.
                const bool autoSelect = AutoSelect();
                if (ReadOnly()) SetAutoSelect(false);
                Platform(message);
                SetAutoSelect(autoSelect);
                if (btn && HandleAllocated()) {
                    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
                    RedrawWindow(Handle(), nullptr, nullptr, 0x585);
                }
            }
            if (!(sd->CtrlSkinState & ACS_NOFLOATLABEL) && D.FLabelFromTextHint && GetEditText().empty())
                MakeLabelTextHint(sd, D.FBoundLabel.get(), TextHint());
            AfterMessage(message);
            return;
        }
        break;
    case WM_KILLFOCUS:
    case CM_EXIT:
        if (D.FLabelFromTextHint && GetEditText().empty() && !TextHint().empty()) HideBoundLabel(D.FBoundLabel.get());
        break;
    default: break;
    }
    if (message.Msg == WM_NCCALCSIZE) {
        Platform(message);
        D.NCCalcSize(message);
        AfterMessage(message);
        return;
    }
    if (message.Msg == WM_NCHITTEST) {
        Platform(message);
        message.Result = HTCLIENT;
        AfterMessage(message);
        return;
    }
    const bool ready = ControlIsReady(this);
    // 4. Skinned and ready.
    if (sd->Skinned() && ready) {
        const bool busy = InAnimationProcess || sd->GetUpdating();
        switch (message.Msg) {
        case WM_PRINT: {
            if (sd->CtrlSkinState & ACS_FRAMECHANGED) {
                sd->CtrlSkinState &= ~ACS_FRAMECHANGED;
                D.UpdateFrame();
            }
            sd->FUpdating = false;
            if (sd->BGChanged) PrepareCache();
            UpdateCorners(sd, CurrentState(), AllCorners);
            HDC dc = reinterpret_cast<HDC>(message.WParam);
            sd->PrintDC = dc;
            OurPaintHandler(dc);
            sd->PrintDC = nullptr;
            if (TBitmap* cache = sd->FCacheBmp.get())
                BitBltBorder(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, BordWidth(), -1,
                             -1, -1);
            AfterMessage(message);
            return;
        }
        case WM_SETTEXT: sd->BGChanged = true; break;
        case WM_PAINT:
            if (sd->CtrlSkinState & ACS_FRAMECHANGED) {
                sd->BGChanged = true;
                sd->CtrlSkinState &= ~ACS_FRAMECHANGED;
                D.UpdateFrame();
                PrepareCache();
            }
            if (Focused() && !(sd->CtrlSkinState & ACS_FOCUSCACHE)) {
                Platform(message);
                PaintBorder(nullptr);
                AfterMessage(message);
                return;
            }
            OurPaintHandler(reinterpret_cast<HDC>(message.WParam));
            if (!ComponentState().Contains(csDesigning) || (Enabled() && CurrentState() != 0)) {
                AfterMessage(message);
                return;
            }
            Platform(message);
            AfterMessage(message);
            return;
        case WM_ERASEBKGND:
        case CN_DRAWITEM:
            if (!busy) Platform(message);
            AfterMessage(message);
            return;
        case WM_NCPAINT:
            if (!busy) PaintBorder(nullptr);
            AfterMessage(message);
            return;
        case SM_ALPHACMD:
            if (AlphaCmdCode(message.WParam) == AC_PARENTUPDATED && sd->FUpdating && !sd->GetUpdating()) {
                Repaint();
                SendMessageW(Handle(), WM_NCPAINT, 0, 0);
            }
            break;
        case CM_COLORCHANGED:
        case CM_CHANGED: sd->BGChanged = true; break;
        default: break;
        }
        if (CommonWndProc(message, sd)) {
            AfterMessage(message);
            return;
        }
        Platform(message);
        switch (message.Msg) {
        case WM_SIZE:
            if (D.FVerticalAlignment != taAlignTop) sd->CtrlSkinState |= ACS_FRAMECHANGED;
            SendMessageW(Handle(), WM_NCPAINT, 0, 0);
            break;
        case WM_SETFONT:
        case CM_VISIBLECHANGED:
            if (D.FVerticalAlignment != taAlignTop) sd->CtrlSkinState |= ACS_FRAMECHANGED;
            sd->Invalidate();
            break;
        default: break;
        }
        AfterMessage(message);
        return;
    }
    // 5. Not skinned or not ready.
    switch (message.Msg) {
    case WM_PRINT: PaintTo(reinterpret_cast<HDC>(message.WParam), 0, 0); break;
    case WM_PAINT:
        // Unskinned, BGChanged is never cleared: the cache is rendered for every paint.
        PrepareCache();
        if (!Focused() || ComponentState().Contains(csDesigning)) {
            PAINTSTRUCT ps{};
            BeginPaint(Handle(), &ps);
            const int i = (!Ctl3D() && BorderStyle() == bsSingle) ? 0 : 2 * (BorderStyle() != bsNone ? 1 : 0);
            if (TBitmap* cache = sd->FCacheBmp.get()) {
                HDC dc = GetWindowDC(Handle());
                BitBlt(dc, i, i, cache->Width() - 2 * i, cache->Height() - 2 * i, cache->Canvas()->Handle(), i, i,
                       SRCCOPY);
                ReleaseDC(Handle(), dc);
            }
            EndPaint(Handle(), &ps);
        } else {
            Platform(message);
        }
        break;
    case WM_ERASEBKGND: message.Result = 1; break;
    case WM_NCPAINT:
        if (sd->Skinned()) break; // skinned but not ready: nothing yet
        if (Ctl3D() || BorderStyle() != bsSingle) {
            if (AllowBtnStyle()) {
                PrepareCache();
                if (TBitmap* cache = sd->FCacheBmp.get()) {
                    HDC dc = GetWindowDC(Handle());
                    BitBltBorder(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, BordWidth(),
                                 -1, -1, -1);
                    ReleaseDC(Handle(), dc);
                }
                break;
            }
            Platform(message);
        }
        D.PaintAddedGlyphStd();
        break;
    case CM_MOUSEENTER:
        sd->FMouseAbove = true;
        Platform(message);
        break;
    case CM_MOUSELEAVE:
        sd->FMouseAbove = false;
        Platform(message);
        break;
    default: Platform(message); break;
    }
    AfterMessage(message);
}

void RegisterMaskEditClasses()
{
    const UnicodeString c = L"TsMaskEdit";
    if (IsPublishedClass(c)) return;
    RegisterPublishedClass(c, L"TMaskEdit");
    RegisterPublishedProperty(c, OrdProp(L"CheckOnExit", pkBool, &TacCustomMaskEdit::CheckOnExit,
                                         &TacCustomMaskEdit::SetCheckOnExit, int64_t{1}));
    RegisterEditDesignProperties<TacCustomMaskEdit>(c);
    RegisterPublishedProperty(c, EventProp(L"OnValidateError", &TacCustomMaskEdit::OnValidateError));
    RegisterComponentClass(c, [](TComponent* owner) -> TComponent* {
        auto* edit = new TsMaskEdit(owner);
        edit->AfterConstruction();
        return edit;
    });
}

void sMaskEditInitialization()
{
    if (!unitCounter.StartUp()) return;
    RegisterMaskEditClasses();
}

void sMaskEditFinalization() { unitCounter.ShutDown(); }
