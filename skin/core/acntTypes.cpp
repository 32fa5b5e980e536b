#include "acntTypes.h"

#include "TypInfo.h"
#include "acUnitCounter.h"

// ---------------------------------------------------------------------------------------------
// Button paint options

TacDataNormal::TacDataNormal(TacPaintButtonOptions* owner) : FOwner(owner) {}

TColor TacDataNormal::GetColor(int index) const
{
    switch (index) {
    case 0: return FColor1;
    case 1: return FColor2;
    case 2: return FFontColor;
    default: return FBorderColor;
    }
}

void TacDataNormal::SetColor(int index, TColor value)
{
    TColor* field = nullptr;
    switch (index) {
    case 0: field = &FColor1; break;
    case 1: field = &FColor2; break;
    case 2: field = &FFontColor; break;
    case 3: field = &FBorderColor; break;
    default: return;
    }
    if (*field == value) return;
    *field = value;
    if (FOwner) FOwner->Invalidate();
}

TacDataActive::TacDataActive(TacPaintButtonOptions* owner) : TacDataNormal(owner)
{
    SetColor(0, clGradientActiveCaption);
    SetColor(1, clBtnFace);
}

TacDataPressed::TacDataPressed(TacPaintButtonOptions* owner) : TacDataNormal(owner)
{
    SetColor(0, clBtnHighlight);
    SetColor(1, clBtnHighlight);
}

TacPaintButtonOptions::TacPaintButtonOptions()
    : FDataActive(std::make_unique<TacDataActive>(this)),
      FDataNormal(std::make_unique<TacDataNormal>(this)),
      FDataPressed(std::make_unique<TacDataPressed>(this))
{
}

void TacPaintButtonOptions::SetInteger(int index, int value)
{
    int* field = index == 0 ? &FBevelWidth : index == 1 ? &FBorderWidth : nullptr;
    if (!field || *field == value) return;
    *field = value;
    Invalidate();
}

TacDataNormal* TacPaintButtonOptions::GetData(int state) const
{
    switch (state) {
    case 1: return FDataActive.get();
    case 2: return FDataPressed.get();
    default: return FDataNormal.get();
    }
}

void TacPaintButtonOptions::Invalidate()
{
    if (FOnInvalidate) FOnInvalidate(this);
}

// ---------------------------------------------------------------------------------------------
// Padding

TacPadding::TacPadding(TControl* control, TNotifyEvent onChange) : FControl(control), FOnChange(std::move(onChange))
{
}

int TacPadding::GetPadding(int index) const
{
    switch (index) {
    case 0: return FLeft;
    case 1: return FTop;
    case 2: return FRight;
    default: return FBottom;
    }
}

void TacPadding::SetPadding(int index, TacIntProperty value)
{
    TacIntProperty* field = nullptr;
    switch (index) {
    case 0: field = &FLeft; break;
    case 1: field = &FTop; break;
    case 2: field = &FRight; break;
    case 3: field = &FBottom; break;
    default: return;
    }
    if (*field == value) return;
    *field = value;
    // Values read from a form definition arrive before the control is ready to lay out.
    if (FControl && FControl->ComponentState().Contains(csLoading)) return;
    if (FOnChange) FOnChange(this);
}

// ---------------------------------------------------------------------------------------------
// Glow form

TacGlowForm::TacGlowForm(TComponent* owner) : TCustomForm(owner)
{
    SetTag(ExceptTag);
    SetBorderStyle(bsNone);
}

TacGlowForm::~TacGlowForm() = default;

void TacGlowForm::CreateParams(TCreateParams& params)
{
    TCustomForm::CreateParams(params);
    params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    params.WindowClass.style &= ~static_cast<UINT>(CS_DROPSHADOW);
}

void TacGlowForm::Loaded()
{
    TCustomForm::Loaded();
    SetScaled(acCurrentScaleMode == smVCL);
}

void TacGlowForm::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_WINDOWPOSCHANGING:
        if (!HandleAllocated()) return;
        break;
    case WM_NCHITTEST:
        if (TransparentMouse) {
            message.Result = HTTRANSPARENT;
            return;
        }
        break;
    case WM_SHOWWINDOW:
    case CM_VISIBLECHANGED:
        // Hide at once, without activation or z-order changes, so that the owner form keeps
        // its focus and no WM_WINDOWPOSCHANGING round trip reaches the effect code.
        if (message.WParam == 0 && !ComponentState().Contains(csDestroying) && HandleAllocated() &&
            IsWindowVisible(Handle()))
            SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW |
                             SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
        break;
    default: break;
    }
    TCustomForm::WndProc(message);
}

// ---------------------------------------------------------------------------------------------

void RegisterAcntTypesClasses()
{
    static bool done = false;
    if (done) return;
    done = true;

    auto colorProp = [](const UnicodeString& name, TColor (TacDataNormal::*get)() const,
                        void (TacDataNormal::*set)(TColor), TColor defaultValue) {
        return OrdProp(name, pkColor, get, set, int64_t{defaultValue});
    };
    const UnicodeString normal = L"TacDataNormal";
    RegisterPublishedClass(normal, L"TPersistent");
    RegisterPublishedProperty(normal, colorProp(L"Color1", &TacDataNormal::Color1, &TacDataNormal::SetColor1, clBtnFace));
    RegisterPublishedProperty(normal,
                              colorProp(L"Color2", &TacDataNormal::Color2, &TacDataNormal::SetColor2, clBtnHighlight));
    RegisterPublishedProperty(
        normal, colorProp(L"FontColor", &TacDataNormal::FontColor, &TacDataNormal::SetFontColor, clBtnText));
    RegisterPublishedProperty(normal, colorProp(L"BorderColor", &TacDataNormal::BorderColor,
                                                &TacDataNormal::SetBorderColor, clActiveBorder));
    RegisterPublishedClass(L"TacDataActive", normal);
    RegisterPublishedProperty(L"TacDataActive", colorProp(L"Color1", &TacDataNormal::Color1, &TacDataNormal::SetColor1,
                                                          clGradientActiveCaption));
    RegisterPublishedProperty(L"TacDataActive",
                              colorProp(L"Color2", &TacDataNormal::Color2, &TacDataNormal::SetColor2, clBtnFace));
    RegisterPublishedClass(L"TacDataPressed", normal);
    RegisterPublishedProperty(L"TacDataPressed", colorProp(L"Color1", &TacDataNormal::Color1,
                                                           &TacDataNormal::SetColor1, clBtnHighlight));
    RegisterPublishedProperty(L"TacDataPressed", colorProp(L"Color2", &TacDataNormal::Color2,
                                                           &TacDataNormal::SetColor2, clBtnHighlight));

    const UnicodeString options = L"TacPaintButtonOptions";
    RegisterPublishedClass(options, L"TPersistent");
    RegisterPublishedProperty(options, OrdProp(L"BevelWidth", pkInteger, &TacPaintButtonOptions::BevelWidth,
                                               &TacPaintButtonOptions::SetBevelWidth, int64_t{2}));
    RegisterPublishedProperty(options, OrdProp(L"BorderWidth", pkInteger, &TacPaintButtonOptions::BorderWidth,
                                               &TacPaintButtonOptions::SetBorderWidth, int64_t{1}));
    RegisterPublishedProperty(options, ObjProp(L"DataActive", &TacPaintButtonOptions::DataActive));
    RegisterPublishedProperty(options, ObjProp(L"DataNormal", &TacPaintButtonOptions::DataNormal));
    RegisterPublishedProperty(options, ObjProp(L"DataPressed", &TacPaintButtonOptions::DataPressed));

    const UnicodeString padding = L"TacPadding";
    RegisterPublishedClass(padding, L"TPersistent");
    RegisterPublishedProperty(padding,
                              OrdProp(L"Left", pkInteger, &TacPadding::Left, &TacPadding::SetLeft, int64_t{0}));
    RegisterPublishedProperty(padding, OrdProp(L"Top", pkInteger, &TacPadding::Top, &TacPadding::SetTop, int64_t{0}));
    RegisterPublishedProperty(padding,
                              OrdProp(L"Right", pkInteger, &TacPadding::Right, &TacPadding::SetRight, int64_t{0}));
    RegisterPublishedProperty(padding,
                              OrdProp(L"Bottom", pkInteger, &TacPadding::Bottom, &TacPadding::SetBottom, int64_t{0}));
}

namespace {
TacUnitCounter unitCounter;
}

void acntTypesInitialization()
{
    if (unitCounter.StartUp()) RegisterAcntTypesClasses();
}

void acntTypesFinalization() { unitCounter.ShutDown(); }
