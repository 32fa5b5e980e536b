#include "sEdit.h"

#include "acAnimation.h"
#include "acUnitCounter.h"
#include "sMessages.h"
#include "sAlphaGraph.h"
#include "sGraphUtilsTemplate.h"
#include "sSkinManager.h"
#include "sSkinManager.h"
#include "sVclUtils.h"
#include "TypInfo.h"

namespace {

TacUnitCounter unitCounter;

bool IsKeyOrMouse(UINT msg)
{
    return (msg >= WM_KEYFIRST && msg <= WM_KEYFIRST + 9) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSEFIRST + 14);
}

} // namespace

TsEdit::TsEdit(TComponent* owner) : TEdit(owner), D(this, false)
{
    D.IsDefaultValue = [this] { return IsDefaultValue(); };
    D.VirtualPaintText = [this] { PaintText(); };
}

TsEdit::~TsEdit()
{
    if (D.FCommonData) D.FCommonData->RemoveCommonProp();
}

void TsEdit::AfterConstruction() { D.FCommonData->Loaded(); }

void TsEdit::Loaded()
{
    TEdit::Loaded();
    D.FCommonData->Loaded();
    D.UpdateFrame();
}

void TsEdit::CreateWnd()
{
    TEdit::CreateWnd();
    D.FCommonData->InitCommonProp();
    if (ComponentState().Contains(csDesigning)) D.UpdateFrame();
}

void TsEdit::DestroyWnd()
{
    D.FCommonData->RemoveCommonProp();
    TEdit::DestroyWnd();
}

void TsEdit::Notification(TComponent* component, TOperation operation)
{
    TEdit::Notification(component, operation);
    if (operation == opRemove && D.FAddedGlyph && component == D.FAddedGlyph->Images()) D.FAddedGlyph->SetImages(nullptr);
}

void TsEdit::SetAddedGlyph(TacAddedGlyph* value)
{
    if (!value) return;
    D.FAddedGlyph->SetImages(value->Images());
    D.FAddedGlyph->SetImageIndex(value->ImageIndex());
    D.FAddedGlyph->SetBlend(value->Blend());
    D.FAddedGlyph->SetGrayed(value->Grayed());
    D.FAddedGlyph->SetColorTone(value->ColorTone());
}

void TsEdit::SetDisabledKind(TsDisabledKind value)
{
    if (value == D.FDisabledKind) return;
    D.FDisabledKind = value;
    D.FCommonData->Invalidate();
}

void TsEdit::SetVerticalAlignment(TVerticalAlignment value)
{
    if (value == D.FVerticalAlignment) return;
    D.FVerticalAlignment = value;
    D.PaddingChanged();
}

void TsEdit::WndProc(TMessage& message)
{
    TsCtrlSkinData* sd = D.FCommonData.get();
    // 1. Library commands answered here.
    if (message.Msg == SM_ALPHACMD) {
        const WORD code = AlphaCmdCode(message.WParam);
        const LPARAM manager = reinterpret_cast<LPARAM>(sd->GetSkinManager());
        switch (code) {
        case AC_SETNEWSKIN:
        case AC_REMOVESKIN:
            if (message.LParam == manager) {
                CommonWndProc(message, sd);
                if (code == AC_REMOVESKIN) D.UpdateFrame();
                return;
            }
            break;
        case AC_REFRESH:
            if (RefreshNeeded(sd, message)) {
                CommonWndProc(message, sd);
                if (!InAnimationProcess && HandleAllocated() && Visible())
                    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
                return;
            }
            break;
        case AC_GETSKININDEX:
            if (TsSkinManager* m = sd->GetSkinManager())
                message.Result = m->SkinCommonInfo.Sections[ssEdit] + 1;
            return;
        case AC_CHILDBGCHANGED: message.LParam = 0; return;
        case AC_GETBGCOLOR:
            if (!sd->Skinned()) {
                message.Result = ColorToRGB(Color());
                return;
            }
            break;
        case AC_PREPARECACHE: PrepareCache(); return;
        case AC_SETPPI:
            sd->CtrlSkinState |= ACS_FRAMECHANGED;
            CommonMessage(message, sd);
            D.UpdateFrame();
            D.FBoundLabel->UpdateScale(static_cast<int>(message.LParam));
            return;
        case AC_GETDEFSECTION: message.Result = 1; return;
        case AC_GETTEXTRECT:
            if (auto* r = reinterpret_cast<TRect*>(message.LParam)) *r = TextRect();
            message.Result = 1;
            return;
        default:
            if (CommonMessage(message, sd)) return;
            break;
        }
    }
    // 2.
    switch (message.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED: D.FAddedGlyphRect.Left = -1; break;
    case CM_ENABLEDCHANGED:
        sd->Invalidate();
        Platform(message);
        AfterMessage(message);
        return;
    // 3.
    case WM_SETFOCUS:
    case CM_ENTER:
        if (!ComponentState().Contains(csDesigning) && CanFocus()) {
            if (!CommonWndProc(message, sd)) Platform(message);
            if (!(sd->CtrlSkinState & ACS_NOFLOATLABEL) && D.FLabelFromTextHint && Text().empty())
                MakeLabelTextHint(sd, D.FBoundLabel.get(), TextHint());
            return;
        }
        break;
    case WM_KILLFOCUS:
    case CM_EXIT:
        if (D.FLabelFromTextHint && Text().empty() && !TextHint().empty()) HideBoundLabel(D.FBoundLabel.get());
        break;
    // Glyph clicks arrive as non-client clicks (the glyph answers HTBORDER).
    case WM_NCLBUTTONDOWN:
        NCDown = true;
        Platform(message);
        AfterMessage(message);
        return;
    case WM_NCLBUTTONUP:
        DefWindowProcW(Handle(), message.Msg, message.WParam, message.LParam);
        if (NCDown) {
            NCDown = false;
            if (OnClick) OnClick(this);
        }
        AfterMessage(message);
        return;
    case WM_NCLBUTTONDBLCLK:
        DefWindowProcW(Handle(), message.Msg, message.WParam, message.LParam);
        if (OnDblClick) OnDblClick(this);
        AfterMessage(message);
        return;
    default: break;
    }
    // 4. Not skinned or not ready.
    if (!ControlIsReady(this) || !sd->Skinned()) {
        switch (message.Msg) {
        case WM_NCCALCSIZE:
            Platform(message);
            D.NCCalcSize(message);
            break;
        case WM_NCHITTEST:
            Platform(message);
            message.Result = D.NCHitTest(message);
            break;
        case WM_NCPAINT:
            Platform(message);
            D.PaintAddedGlyphStd();
            break;
        case WM_PRINT: PaintTo(reinterpret_cast<HDC>(message.WParam), 0, 0); break;
        default: Platform(message); break;
        }
        AfterMessage(message);
        return;
    }
    // 5. Skinned, before the shared handling.
    const bool active = !InAnimationProcess && !sd->GetUpdating();
    switch (message.Msg) {
    case WM_PAINT:
        if (sd->CtrlSkinState & ACS_FRAMECHANGED) {
            sd->CtrlSkinState &= ~ACS_FRAMECHANGED;
            D.UpdateFrame();
        }
        if (!active) {
            PAINTSTRUCT ps{};
            BeginPaint(Handle(), &ps);
            EndPaint(Handle(), &ps);
            AfterMessage(message);
            return;
        }
        if (!Enabled() || !Focused() || (sd->CtrlSkinState & ACS_FOCUSCACHE)) {
            D.OurPaintHandler(reinterpret_cast<HDC>(message.WParam));
            if (ComponentState().Contains(csDesigning)) Platform(message);
            AfterMessage(message);
            return;
        }
        break;
    case WM_ERASEBKGND:
    case CN_DRAWITEM:
        if (active && Enabled() && Focused()) Platform(message);
        AfterMessage(message);
        return;
    case WM_NCPAINT:
        if (IsWindowVisible(Handle())) D.PaintBorder(nullptr);
        AfterMessage(message);
        return;
    case WM_PRINT: {
        if (sd->CtrlSkinState & ACS_FRAMECHANGED) {
            sd->CtrlSkinState &= ~ACS_FRAMECHANGED;
            D.UpdateFrame();
        }
        sd->FUpdating = false;
        PrepareCache();
        UpdateCorners(sd, ControlIsActive(sd) ? 1 : 0, AllCorners);
        const int b = (BorderStyle() != bsNone ? 1 : 0) * ((Ctl3D() ? 1 : 0) + 1);
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        TBitmap* cache = sd->FCacheBmp.get();
        if (cache) {
            if (message.LParam & PRF_CLIENT) {
                OffsetWindowOrgEx(dc, b, b, nullptr);
                IntersectClipRect(dc, 0, 0, cache->Width() - b, cache->Height() - b);
            } else {
                BitBltBorder(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, b, -1, -1, -1);
            }
        }
        sd->PrintDC = dc;
        D.OurPaintHandler(dc);
        sd->PrintDC = nullptr;
        AfterMessage(message);
        return;
    }
    case CM_COLORCHANGED:
        if (sd->FCustomColor) sd->BGChanged = true;
        break;
    default:
        if (OnSelectionChanged && IsKeyOrMouse(message.Msg))
            SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&selStart_), reinterpret_cast<LPARAM>(&selEnd_));
        break;
    }
    // 6. Shared handling, then the platform and what follows it.
    if (CommonWndProc(message, sd)) {
        AfterMessage(message);
        return;
    }
    Platform(message);
    switch (message.Msg) {
    case WM_NCCALCSIZE: D.NCCalcSize(message); break;
    case WM_NCHITTEST: message.Result = D.NCHitTest(message); break;
    case WM_SIZE:
        if (D.FVerticalAlignment != taAlignTop && !ComponentState().Contains(csDesigning))
            sd->CtrlSkinState |= ACS_FRAMECHANGED;
        break;
    case WM_SETFONT:
        if (D.FVerticalAlignment != taAlignTop) sd->CtrlSkinState |= ACS_FRAMECHANGED;
        sd->Invalidate();
        break;
    case WM_SETTEXT:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
        if (!ComponentState().Contains(csLoading) && !InAnimationProcess) {
            sd->BGChanged = true;
            Repaint();
            if (HandleAllocated()) SendMessageW(Handle(), WM_NCPAINT, 0, 0);
        }
        break;
    case CM_FOCUSCHANGED:
        if (sd->FFocused) sd->BGChanged = true;
        break;
    case SM_ALPHACMD:
        if (AlphaCmdCode(message.WParam) == AC_PARENTUPDATED && sd->FUpdating && !sd->GetUpdating()) {
            Repaint();
            SendMessageW(Handle(), WM_NCPAINT, 0, 0);
        }
        break;
    default:
        if (OnSelectionChanged && IsKeyOrMouse(message.Msg) && HandleAllocated()) {
            DWORD start = 0, end = 0;
            SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            if (start != selStart_ || end != selEnd_) OnSelectionChanged(this);
        }
        break;
    }
    AfterMessage(message);
}

const TEnumTypeInfo& VerticalAlignmentInfo()
{
    static const TEnumTypeInfo info{{L"taAlignTop", L"taAlignBottom", L"taVerticalCenter"}, 0};
    return info;
}

const TEnumTypeInfo& DisabledKindInfo()
{
    static const TEnumTypeInfo info{{L"dkBlended", L"dkGrayed"}, 0};
    return info;
}

void RegisterEditClasses()
{
    const UnicodeString c = L"TsEdit";
    if (IsPublishedClass(c)) return;
    RegisterPublishedClass(c, L"TEdit");
    RegisterEditDesignProperties<TsEdit>(c);
    RegisterComponentClass(c, [](TComponent* owner) -> TComponent* {
        auto* edit = new TsEdit(owner);
        edit->AfterConstruction();
        return edit;
    });
}

void sEditInitialization()
{
    if (!unitCounter.StartUp()) return;
    RegisterEditClasses();
}

void sEditFinalization() { unitCounter.ShutDown(); }
