#include "WinXCtrls.h"

#include "FormReader.h"
#include "Themes.h"
#include "TypInfo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// A plain RGB colour for the canvas: system colours as the active style paints them.
TColor Plain(TColor color) { return static_cast<TColor>(StyledColorToGdi(color)); }

// a weighted towards b: weight 1 gives a, 0 gives b.
TColor Mix(TColor a, TColor b, double weight)
{
    const COLORREF x = static_cast<COLORREF>(a);
    const COLORREF y = static_cast<COLORREF>(b);
    auto channel = [weight](int p, int q) { return static_cast<int>(std::lround(p * weight + q * (1.0 - weight))); };
    return static_cast<TColor>(RGB(channel(GetRValue(x), GetRValue(y)), channel(GetGValue(x), GetGValue(y)),
                                   channel(GetBValue(x), GetBValue(y))));
}

TPoint OnCircle(double cx, double cy, double radius, double degrees)
{
    const double a = degrees * std::numbers::pi / 180.0;
    return TPoint(static_cast<LONG>(std::lround(cx + radius * std::sin(a))),
                  static_cast<LONG>(std::lround(cy - radius * std::cos(a))));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TToggleSwitch

TToggleSwitch::TToggleSwitch(TComponent* owner) : TCustomControl(owner)
{
    SetControlStyle({csCaptureMouse, csSetCaption, csOpaque, csDoubleClicks});
    SetBounds(Left(), Top(), 73, 20);
    SetParentColor(true);
    SetTabStop(true);
}

void TToggleSwitch::SetState(TToggleSwitchState value)
{
    if (value == state_) return;
    state_ = value;
    Invalidate();
    // Code relies on the click running for changes it makes itself (a switch turned off by
    // a close request starts the same work as the operator's click).
    if (!ComponentState().Contains(csLoading)) Click();
}

void TToggleSwitch::Toggle() { SetState(state_ == tssOn ? tssOff : tssOn); }

void TToggleSwitch::SetFrameColor(TColor value)
{
    if (value == frameColor_) return;
    frameColor_ = value;
    Invalidate();
}

void TToggleSwitch::SetThumbColor(TColor value)
{
    if (value == thumbColor_) return;
    thumbColor_ = value;
    Invalidate();
}

void TToggleSwitch::SetShowStateCaption(bool value)
{
    if (value == showStateCaption_) return;
    showStateCaption_ = value;
    Invalidate();
}

void TToggleSwitch::SetCaptionOn(const UnicodeString& value)
{
    captionOn_ = value;
    Invalidate();
}

void TToggleSwitch::SetCaptionOff(const UnicodeString& value)
{
    captionOff_ = value;
    Invalidate();
}

void TToggleSwitch::SetSwitchWidth(int value)
{
    value = std::max(8, value);
    if (value == switchWidth_) return;
    switchWidth_ = value;
    Invalidate();
}

void TToggleSwitch::SetSwitchHeight(int value)
{
    value = std::max(8, value);
    if (value == switchHeight_) return;
    switchHeight_ = value;
    Invalidate();
}

TRect TToggleSwitch::SwitchRect()
{
    const TRect client = ClientRect();
    const int h = std::min<int>(switchHeight_, client.Height());
    const int top = (client.Height() - h) / 2;
    return TRect(0, top, std::min<int>(switchWidth_, client.Width()), top + h);
}

TRect TToggleSwitch::ThumbRect()
{
    const TRect track = SwitchRect();
    const int d = std::max<int>(4, track.Height() - 8);
    const int top = track.Top + (track.Height() - d) / 2;
    const int left = state_ == tssOn ? track.Right - 4 - d : track.Left + 4;
    return TRect(left, top, left + d, top + d);
}

void TToggleSwitch::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Plain(Color()));
    canvas->FillRect(client);

    const bool on = state_ == tssOn;
    const bool enabled = Enabled();
    const TColor frame = enabled ? Plain(frameColor_ == clDefault ? clWindowText : frameColor_) : Plain(clGrayText);
    TColor fill = Plain(clWindow);
    TColor thumb = enabled ? Plain(thumbColor_ == clDefault ? clWindowText : thumbColor_) : Plain(clGrayText);
    if (on) {
        // On: the track is filled (with the frame colour when one is set) and the thumb stands
        // out in the highlight text colour unless its own colour differs from the fill.
        fill = enabled ? (frameColor_ == clDefault ? Plain(clHighlight) : frame) : Plain(clGrayText);
        if (thumbColor_ == clDefault || Plain(thumbColor_) == fill || !enabled) thumb = Plain(clHighlightText);
    }

    const TRect track = SwitchRect();
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(2);
    canvas->Pen()->SetColor(frame);
    canvas->Brush()->SetColor(fill);
    canvas->RoundRect(track.Left + 1, track.Top + 1, track.Right, track.Bottom, track.Height() - 1, track.Height() - 1);

    const TRect t = ThumbRect();
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetColor(thumb);
    canvas->Brush()->SetColor(thumb);
    canvas->Ellipse(t);

    if (showStateCaption_) {
        const UnicodeString text = on ? captionOn_ : captionOff_;
        canvas->SetFont(Font());
        canvas->Font()->SetColor(enabled ? Plain(Font()->Color()) : Plain(clGrayText));
        canvas->Brush()->SetStyle(bsClear);
        TRect r(track.Right + 6, client.Top, client.Right, client.Bottom);
        canvas->TextRect(r, text, {tfLeft, tfVerticalCenter, tfSingleLine, tfNoPrefix});
        canvas->Brush()->SetStyle(bsSolid);
    }
    if (Focused()) canvas->DrawFocusRect(TRect(track.Left, track.Top, track.Right + 1, track.Bottom + 1));
}

void TToggleSwitch::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft) pressed_ = true;
    if (HandleAllocated() && !Focused() && CanFocus()) {
        try {
            SetFocus();
        } catch (const EInvalidOperation&) {
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TToggleSwitch::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    const bool toggle = button == mbLeft && pressed_ && ClientRect().Contains(TPoint(x, y)) && Enabled();
    if (button == mbLeft) pressed_ = false;
    if (toggle) Toggle();
    TCustomControl::MouseUp(button, shift, x, y);
}

void TToggleSwitch::KeyDown(WORD& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (key == VK_SPACE && Enabled()) Toggle();
}

// ---------------------------------------------------------------------------------------------
// TActivityIndicator

TActivityIndicator::TActivityIndicator(TComponent* owner) : TCustomControl(owner)
{
    SetControlStyle({csOpaque});
    SetParentColor(true);
    SetBounds(Left(), Top(), Extent(), Extent());
    timer_ = new TTimer(this);
    timer_->SetEnabled(false);
    timer_->SetInterval(static_cast<unsigned>(frameDelay_));
    timer_->OnTimer = [this](TObject*) { NextFrame(); };
}

TActivityIndicator::~TActivityIndicator()
{
    if (timer_) {
        timer_->SetEnabled(false);
        timer_->OnTimer = nullptr;
    }
}

int TActivityIndicator::Extent() const
{
    switch (size_) {
    case aisSmall: return 24;
    case aisLarge: return 48;
    case aisXLarge: return 64;
    default: return 32;
    }
}

int TActivityIndicator::FrameCount() const { return type_ == aitMomentumDots ? 12 : 8; }

void TActivityIndicator::SetAnimate(bool value)
{
    if (value == animate_) return;
    animate_ = value;
    frame_ = 0;
    timer_->SetEnabled(value && !ComponentState().Contains(csLoading));
    Invalidate();
}

void TActivityIndicator::SetIndicatorType(TActivityIndicatorType value)
{
    if (value == type_) return;
    type_ = value;
    frame_ = 0;
    Invalidate();
}

void TActivityIndicator::SetIndicatorSize(TActivityIndicatorSize value)
{
    size_ = value;
    SetBounds(Left(), Top(), Extent(), Extent());
    Invalidate();
}

void TActivityIndicator::SetIndicatorColor(TActivityIndicatorColor value)
{
    if (value == color_) return;
    color_ = value;
    Invalidate();
}

void TActivityIndicator::SetFrameDelay(int value)
{
    frameDelay_ = std::max(10, value);
    timer_->SetInterval(static_cast<unsigned>(frameDelay_));
}

void TActivityIndicator::SetBounds(int left, int top, int, int)
{
    TCustomControl::SetBounds(left, top, Extent(), Extent());
}

void TActivityIndicator::Loaded()
{
    TCustomControl::Loaded();
    timer_->SetEnabled(animate_);
}

void TActivityIndicator::NextFrame()
{
    frame_ = (frame_ + 1) % FrameCount();
    Invalidate();
}

void TActivityIndicator::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    const TColor background = Plain(Color());
    canvas->Pen()->SetStyle(psClear);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(background);
    canvas->FillRect(client);
    if (!animate_) return;

    const TColor lead = color_ == aicWhite ? clWhite : clBlack;
    const double cx = client.Width() / 2.0;
    const double cy = client.Height() / 2.0;
    const double outer = std::min(client.Width(), client.Height()) / 2.0 - 1.0;
    const int count = FrameCount();
    const double step = 360.0 / count;
    // The lead segment at full colour, the ones behind it fading into the background.
    auto weight = [&](int i) {
        const int behind = (frame_ - i + count) % count;
        static constexpr std::array<double, 4> trail{1.0, 0.7, 0.45, 0.3};
        return behind < static_cast<int>(trail.size()) ? trail[static_cast<size_t>(behind)] : 0.15;
    };

    for (int i = 0; i < count; ++i) {
        canvas->Brush()->SetColor(Mix(lead, background, weight(i)));
        const double start = i * step + 3.0;
        const double end = (i + 1) * step - 3.0;
        if (type_ == aitMomentumDots) {
            const double r = std::max(1.5, outer / 6.0);
            const TPoint c = OnCircle(cx, cy, outer - r, i * step);
            canvas->Ellipse(static_cast<int>(c.X - r), static_cast<int>(c.Y - r), static_cast<int>(c.X + r + 1),
                            static_cast<int>(c.Y + r + 1));
            continue;
        }
        std::vector<TPoint> points;
        constexpr int arcSteps = 6;
        for (int k = 0; k <= arcSteps; ++k) points.push_back(OnCircle(cx, cy, outer, start + (end - start) * k / arcSteps));
        if (type_ == aitSectorRing) {
            const double inner = outer * 0.55;
            for (int k = arcSteps; k >= 0; --k) points.push_back(OnCircle(cx, cy, inner, start + (end - start) * k / arcSteps));
        } else {
            points.push_back(TPoint(static_cast<LONG>(std::lround(cx)), static_cast<LONG>(std::lround(cy))));
        }
        canvas->Polygon(points);
    }
    canvas->Pen()->SetStyle(psSolid);
}

// ---------------------------------------------------------------------------------------------

void RegisterWinXCtrlsClasses()
{
    static bool done = false;
    if (done) return;
    done = true;

    static const TEnumTypeInfo stateInfo{{L"tssOff", L"tssOn"}, 0};
    const UnicodeString s = L"TToggleSwitch";
    RegisterPublishedClass(s, L"TCustomControl");
    RegisterPublishedProperty(s, OrdProp(L"State", pkEnum, &TToggleSwitch::State, &TToggleSwitch::SetState,
                                         int64_t{tssOff}, &stateInfo));
    RegisterPublishedProperty(s, OrdProp(L"FrameColor", pkColor, &TToggleSwitch::FrameColor,
                                         &TToggleSwitch::SetFrameColor, int64_t{clDefault}));
    RegisterPublishedProperty(s, OrdProp(L"ThumbColor", pkColor, &TToggleSwitch::ThumbColor,
                                         &TToggleSwitch::SetThumbColor, int64_t{clDefault}));
    RegisterPublishedProperty(s, OrdProp(L"ShowStateCaption", pkBool, &TToggleSwitch::ShowStateCaption,
                                         &TToggleSwitch::SetShowStateCaption, int64_t{1}));
    RegisterPublishedProperty(s, StrProp(L"CaptionOn", &TToggleSwitch::CaptionOn, &TToggleSwitch::SetCaptionOn,
                                         UnicodeString(L"On")));
    RegisterPublishedProperty(s, StrProp(L"CaptionOff", &TToggleSwitch::CaptionOff, &TToggleSwitch::SetCaptionOff,
                                         UnicodeString(L"Off")));
    RegisterPublishedProperty(s, OrdProp(L"SwitchWidth", pkInteger, &TToggleSwitch::SwitchWidth,
                                         &TToggleSwitch::SetSwitchWidth, int64_t{50}));
    RegisterPublishedProperty(s, OrdProp(L"SwitchHeight", pkInteger, &TToggleSwitch::SwitchHeight,
                                         &TToggleSwitch::SetSwitchHeight, int64_t{20}));
    RegisterComponentClass<TToggleSwitch>(s);

    static const TEnumTypeInfo typeInfo{{L"aitMomentumDots", L"aitRotatingSector", L"aitSectorRing"}, 0};
    static const TEnumTypeInfo sizeInfo{{L"aisSmall", L"aisMedium", L"aisLarge", L"aisXLarge"}, 0};
    static const TEnumTypeInfo colorInfo{{L"aicBlack", L"aicWhite"}, 0};
    const UnicodeString a = L"TActivityIndicator";
    RegisterPublishedClass(a, L"TCustomControl");
    RegisterPublishedProperty(a, OrdProp(L"Animate", pkBool, &TActivityIndicator::Animate,
                                         &TActivityIndicator::SetAnimate, int64_t{0}));
    RegisterPublishedProperty(a, OrdProp(L"IndicatorType", pkEnum, &TActivityIndicator::IndicatorType,
                                         &TActivityIndicator::SetIndicatorType, int64_t{aitMomentumDots}, &typeInfo));
    RegisterPublishedProperty(a, OrdProp(L"IndicatorSize", pkEnum, &TActivityIndicator::IndicatorSize,
                                         &TActivityIndicator::SetIndicatorSize, int64_t{aisMedium}, &sizeInfo));
    RegisterPublishedProperty(a, OrdProp(L"IndicatorColor", pkEnum, &TActivityIndicator::IndicatorColor,
                                         &TActivityIndicator::SetIndicatorColor, int64_t{aicBlack}, &colorInfo));
    RegisterPublishedProperty(a, OrdProp(L"FrameDelay", pkInteger, &TActivityIndicator::FrameDelay,
                                         &TActivityIndicator::SetFrameDelay, int64_t{50}));
    RegisterComponentClass<TActivityIndicator>(a);
}
