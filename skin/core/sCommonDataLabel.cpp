// The caption label bound to a control: made on demand, placed by one of twelve layouts beside
// the control, and kept in step with its size, place, visibility, font, scale and reading order.
#include "sCommonData.h"

#include "Forms.h"
#include "sCtrlStates.h"
#include "sLabel.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sVclUtils.h"

#include <array>
#include <cstdlib>

namespace {

bool InState(const TComponent* component, TComponentStateFlag flag)
{
    return component && component->ComponentState().Contains(flag);
}
bool Loading(const TComponent* component) { return InState(component, csLoading) || InState(component, csReading); }
bool Designing(const TComponent* component) { return InState(component, csDesigning); }

TsCaptionLayout Mirrored(TsCaptionLayout layout)
{
    switch (layout) {
    case sclLeft: return sclRight;
    case sclRight: return sclLeft;
    case sclTopLeft: return sclTopRight;
    case sclTopRight: return sclTopLeft;
    case sclLeftTop: return sclRightTop;
    case sclRightTop: return sclLeftTop;
    case sclBottomLeft: return sclBottomRight;
    case sclBottomRight: return sclBottomLeft;
    case sclLeftLeft: return sclRightRight;
    case sclRightRight: return sclLeftLeft;
    default: return layout;
    }
}

// The label's text alignment by layout.
constexpr std::array<TAlignment, 12> LayoutAlignment{
    taRightJustify, taLeftJustify, taCenter, taRightJustify, taLeftJustify, taLeftJustify,
    taCenter,       taRightJustify, taLeftJustify, taLeftJustify, taLeftJustify, taRightJustify};

} // namespace

TsBoundLabel::TsBoundLabel(TObject* AOwner, TsCommonData* ACommonData)
    : FFont(std::make_unique<TFont>()), FOwnerControl(dynamic_cast<TControl*>(AOwner)), FCommonData(ACommonData)
{
    FFont->OnChange = [this](TObject* sender) { FontChanged(sender); };
}

TsBoundLabel::~TsBoundLabel()
{
    FTheLabel.reset();
    FFont->OnChange = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Properties

void TsBoundLabel::SetBoolean(int Index, bool Value)
{
    switch (Index) {
    case 0:
        FUseHTML = Value;
        AlignLabel();
        break;
    case 1:
        FActive = Value;
        UpdateVisibility();
        break;
    case 3:
        FEnabledAlways = Value;
        Realign();
        break;
    default: break;
    }
}

void TsBoundLabel::SetInteger(int Index, int Value)
{
    int& field = Index == 0 ? FIndent : Index == 1 ? FMaxWidth : FOffset;
    if (field == Value) return;
    field = Value;
    Realign();
}

void TsBoundLabel::SetLayout(TsCaptionLayout Value)
{
    FLayout = Value;
    UpdateAlignment();
    Realign();
}

void TsBoundLabel::SetText(const UnicodeString& Value)
{
    FText = Value;
    if (FActive && FTheLabel) {
        FTheLabel->SetCaption(Value);
        AlignLabel();
    }
}

void TsBoundLabel::SetFont(const TFont* Value)
{
    // The change notification makes the font the label's own (ParentFont off), so it is stored
    // and a later font of the parent does not replace it.
    FFont->Assign(Value);
    if (!FTheLabel) return;
    FTheLabel->SetFont(Value);
    if (FOwnerControl) FTheLabel->SetParent(FOwnerControl->Parent());
    AlignLabel();
}

void TsBoundLabel::SetParentFont(bool Value)
{
    if (FTheLabel) {
        FTheLabel->SetParentFont(Value);
        if (Value) {
            FFontUpdating = true;
            FFont->Assign(FTheLabel->Font());
            FFontUpdating = false;
        } else {
            FTheLabel->Font()->Assign(FFont.get());
        }
    }
    FParentFont = Value;
}

void TsBoundLabel::SetUseSkin(bool Value)
{
    if (FUseSkin == Value) return;
    FUseSkin = Value;
    if (!FTheLabel) return;
    FTheLabel->SetUseSkinColor(Value);
    if (!Value) FTheLabel->Font()->SetColor(FFont->Color());
}

void TsBoundLabel::FontChanged(TObject*)
{
    if (Loading(FOwnerControl) || FFontUpdating) return;
    SetParentFont(false);
    if (FTheLabel) FTheLabel->Font()->Assign(FFont.get());
}

bool TsBoundLabel::DoStoreFont() const
{
    if (FParentFont) return false;
    const TFont fresh;
    const TFont& f = FTheLabel ? *FTheLabel->Font() : *FFont;
    return f.Color() != fresh.Color() || f.Size() != fresh.Size() || f.Orientation() != fresh.Orientation() ||
           f.Style() != fresh.Style() || f.Pitch() != fresh.Pitch() || f.Name() != fresh.Name();
}

void TsBoundLabel::UpdateFontOnce(bool)
{
    if (FParentFont) {
        if (FTheLabel) FTheLabel->SetParentFont(true);
        if (FOwnerControl && FOwnerControl->Parent()) {
            FFontUpdating = true;
            FFont->Assign(FOwnerControl->Parent()->Font());
            FFontUpdating = false;
        }
        return;
    }
    if (!FTheLabel) return;
    FTheLabel->SetParentFont(false);
    FTheLabel->Font()->Assign(FFont.get());
    if (FCommonData) {
        TsSkinManager* manager = FCommonData->GetSkinManager();
        const TacScaleMode mode = manager ? manager->Options()->ScaleMode() : smAuto;
        if (mode != smOldMode && mode != smVCL) {
            const int ppi = GetPPI(FCommonData);
            if (ppi == CurrentPPI) FTheLabel->Font()->SetHeight(ScaleInt(FTheLabel->Font()->Height(), FCommonData));
            CurrentPPI = ppi;
        }
    } else {
        CurrentPPI = DefaultPPI();
        FTheLabel->Font()->SetHeight(MulDiv(FTheLabel->Font()->Height(), CurrentPPI, 96));
    }
    if (!FUseSkin) {
        FTheLabel->SetUseSkinColor(false);
        FTheLabel->Font()->SetColor(FFont->Color());
    }
}

void TsBoundLabel::UpdateAlignment()
{
    if (FTheLabel) FTheLabel->SetAlignment(LayoutAlignment[static_cast<size_t>(FLayout)]);
}

void TsBoundLabel::UpdateVisibility()
{
    if (Loading(FOwnerControl) && !Designing(FOwnerControl)) return;
    if (!FActive) {
        FTheLabel.reset();
        return;
    }
    if (!FTheLabel) {
        FTheLabel = std::make_unique<TsEditLabel>(this);
        UpdateFontOnce(true);
    }
    TsEditLabel& label = *FTheLabel;
    label.SetVisible(false);
    if (auto* windowed = dynamic_cast<TWinControl*>(FOwnerControl)) label.SetFocusControl(windowed);
    label.SetUseHTML(FUseHTML);
    if (FOwnerControl) {
        label.SetName(FOwnerControl->Name() + L"Label");
        if (FText.empty()) FText = FOwnerControl->Name();
    }
    label.SetCaption(FText);
    if (FOwnerControl) label.SetParent(FOwnerControl->Parent());
    UpdateAlignment();
    label.SetVisible(!PreventVisible && FOwnerControl && (FOwnerControl->Visible() || Designing(FOwnerControl)));
    label.SetEnabled((FOwnerControl && FOwnerControl->Enabled()) || FEnabledAlways);
    label.SetAutoSize(true);
    AlignLabel();
}

void TsBoundLabel::UpdateScale(int PPI)
{
    if (PPI == CurrentPPI) return;
    if (FTheLabel && FActive) AlignLabel();
    CurrentPPI = PPI;
}

// ---------------------------------------------------------------------------------------------
// Placing the label

void TsBoundLabel::AlignLabel()
{
    TControl* ctl = FOwnerControl;
    if (!FTheLabel || !ctl || !ctl->Parent()) return;
    if (Loading(ctl) && !Designing(ctl)) return;
    if (!FTheLabel->Visible() && !Designing(ctl) && !PreventVisible) return;
    TsEditLabel& label = *FTheLabel;
    TWinControl* parent = ctl->Parent();
    parent->DisableAlign();

    int maxWidth = FMaxWidth;
    if (FCommonData) {
        TsSkinManager* manager = FCommonData->GetSkinManager();
        if (!manager || manager->Options()->ScaleMode() != smVCL) maxWidth = ScaleInt(maxWidth, FCommonData, true);
    }
    const int limit = maxWidth >= 1 ? maxWidth : 9999;
    label.Constraints()->SetMaxWidth(limit);
    label.SetBounds(label.Left(), label.Top(), limit, 0);
    label.SetUseHTML(FUseHTML);
    label.SetFitToWidth(true);
    label.SetAutoSize(!(FLayout == sclLeftLeft && FMaxWidth > 0));
    // Switching word wrap back and forth makes the label measure its text again.
    const bool wrap = label.WordWrap();
    label.SetWordWrap(!wrap);
    label.SetWordWrap(wrap);
    label.SetEnabled(ctl->Enabled() || FEnabledAlways);
    label.SetAlign(alNone);
    label.SetLayout(tlTop);

    TsCaptionLayout layout = FLayout;
    if (ctl->BiDiMode() == bdRightToLeft) layout = Mirrored(layout);
    const TacSkinData* skin = GetSkinData(FCommonData);
    const int S = skin ? skin->Spacing : 0;
    const int off = FOffset, ind = FIndent;
    const int cl = ctl->Left(), ct = ctl->Top(), cw = ctl->Width(), ch = ctl->Height();
    int lw = label.Width(), lh = label.Height();
    int left = label.Left(), top = label.Top();
    switch (layout) {
    case sclLeft: {
        const int d = ctl->ClientHeight() != ch ? 1 : 0;
        top = ct + (ch - lh) / 2 - d + off;
        if (ctl->Align() == alLeft) {
            label.SetAlign(alLeft);
            label.SetLayout(tlCenter);
            left = cl - lw - ctl->Margins()->Left();
        } else {
            left = cl - lw - S - ind;
        }
        break;
    }
    case sclTopLeft:
        left = cl + off;
        top = ct - lh - ind;
        break;
    case sclTopCenter:
        left = cl + (cw - lw) / 2 + off;
        top = ct - lh - ind;
        break;
    case sclTopRight:
        left = cl + cw - lw + off;
        top = ct - lh - ind;
        break;
    case sclLeftTop:
        left = cl - lw - S - ind;
        top = ct + 3 + off;
        break;
    case sclBottomLeft:
        left = cl + off;
        top = ct + ch + ind;
        break;
    case sclBottomCenter:
        left = cl + (cw - lw) / 2 + off;
        top = ct + ch + ind;
        break;
    case sclBottomRight:
        left = cl + cw - lw + off;
        top = ct + ch + ind;
        break;
    case sclRight:
        left = cl + cw + S + ind;
        top = ct + (ch - lh) / 2 - 1 + off;
        break;
    case sclRightTop:
        left = cl + cw + S + ind;
        top = ct + 3 + off;
        break;
    case sclLeftLeft:
        if (ctl->Align() == alLeft) {
            label.SetAlign(alLeft);
            label.SetAlignment(taLeftJustify);
        }
        lh = std::abs(label.Font()->Height());
        label.SetLayout(tlCenter);
        left = cl - lw - S + ind;
        top = ct + (ch - lh) / 2 - 1 + off;
        break;
    case sclRightRight: {
        if (ctl->Align() == alRight) {
            label.SetAlign(alRight);
            label.SetAlignment(taRightJustify);
        }
        const TRect text = GetTextRect();
        if (!text.IsEmpty()) lh = text.Height();
        label.SetLayout(tlCenter);
        left = cl + cw + S - ind;
        top = ct + (ch - lh) / 2 - 1 + off;
        break;
    }
    }
    label.SetBounds(left, top, lw, lh);
    label.SetParent(parent);
    parent->EnableAlign();
}

TRect TsBoundLabel::GetTextRect() const
{
    if (!FTheLabel) return TRect();
    const TsEditLabel& label = *FTheLabel;
    UINT flags = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
    flags |= AlignToInt[static_cast<size_t>(label.Alignment())];
    flags |= label.WordWrap() ? DT_WORDBREAK : DT_SINGLELINE;
    RECT r{0, 0, label.Width(), label.Height()};
    HDC dc = GetDC(nullptr);
    if (!dc) return TRect();
    HGDIOBJ old = SelectObject(dc, const_cast<TsEditLabel&>(label).Font()->Handle());
    const UnicodeString text = const_cast<TsEditLabel&>(label).Caption();
    DrawTextW(dc, text.c_str(), static_cast<int>(text.length()), &r, flags);
    if (old) SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return TRect(r.left, r.top, r.right, r.bottom);
}

void TsBoundLabel::DoClick(TObject*)
{
    if (FOwnerControl && !Designing(FOwnerControl)) FOwnerControl->Click();
}

// ---------------------------------------------------------------------------------------------
// Messages of the bound control

void TsBoundLabel::HandleOwnerMsg(const TMessage& Message, TControl* Control)
{
    const auto scaling = [&] {
        TsSkinManager* manager = FCommonData ? FCommonData->GetSkinManager() : nullptr;
        return manager && (manager->ManagerState.Contains(msScaleChanging) ||
                           manager->ManagerState.Contains(msFormScaling));
    };
    const auto follow = [&] {
        if (!FCommonData || scaling()) {
            if (SysPopupCount <= 0) Realign();
            return;
        }
        const int ppi = FCommonData ? GetPPI(FCommonData) : GetControlPPI(Control);
        if (ppi != CurrentPPI)
            UpdateScale(ppi);
        else if (SysPopupCount <= 0)
            Realign();
    };
    const bool hasLabel = FTheLabel != nullptr;
    switch (Message.Msg) {
    case WM_SIZE:
        if (hasLabel) follow();
        break;
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
        if (!pos) break;
        if (hasLabel) {
            if ((pos->flags & SWP_NOSIZE) && (pos->flags & SWP_NOMOVE)) break;
            follow();
        } else if (FCommonData && !scaling() && (pos->flags & SWP_SHOWWINDOW)) {
            UpdateVisibility();
        }
        break;
    }
    case SM_ALPHACMD:
        if (hasLabel && AlphaCmdCode(Message.WParam) == AC_SETPPI) UpdateScale(static_cast<int>(Message.LParam));
        break;
    case CM_PARENTFONTCHANGED:
        if (FParentFont && FOwnerControl && !Loading(FOwnerControl) && FOwnerControl->Parent()) {
            FFontUpdating = true;
            FFont->Assign(FOwnerControl->Parent()->Font());
            FFontUpdating = false;
        }
        if (hasLabel) {
            FTheLabel->Update();
            Realign();
        }
        break;
    case CM_VISIBLECHANGED:
    case CM_SHOWINGCHANGED:
        UpdateVisibility();
        if (FTheLabel) {
            FTheLabel->Update();
            Realign();
        }
        break;
    case CM_ENABLEDCHANGED:
        if (hasLabel && FOwnerControl) {
            FTheLabel->SetEnabled(FOwnerControl->Enabled() || FEnabledAlways);
            Realign();
        }
        break;
    case CM_BIDIMODECHANGED:
        if (hasLabel && FOwnerControl) {
            FTheLabel->SetBiDiMode(FOwnerControl->BiDiMode());
            Realign();
        }
        break;
    default: break;
    }
}

void HideBoundLabel(TsBoundLabel* BoundLabel)
{
    if (!BoundLabel || !BoundLabel->FActive || !BoundLabel->FTheLabel || !BoundLabel->FTheLabel->Visible()) return;
    if (BoundLabel->FCommonData) BoundLabel->FCommonData->CtrlSkinState &= ~ACS_FOCUSCACHE;
    const TRect former = BoundLabel->FTheLabel->BoundsRect();
    TWinControl* parent = BoundLabel->FTheLabel->Parent();
    BoundLabel->SetBoolean(1, false);
    if (parent && parent->HandleAllocated()) {
        const RECT r{former.Left, former.Top, former.Right, former.Bottom};
        RedrawWindow(parent->Handle(), &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    if (BoundLabel->FCommonData) BoundLabel->FCommonData->Invalidate(false);
}
