#pragma once
// Switch and busy indicator, both painted by the control itself in the active style's colours.
#include "Controls.h"
#include "Timers.h"

#include <memory>

enum TToggleSwitchState { tssOff, tssOn };

// An on/off switch: a rounded track with a thumb on the left (off) or right (on), and
// optionally the state's caption beside it. A mouse click or the space bar toggles it.
class TToggleSwitch : public TCustomControl {
public:
    explicit TToggleSwitch(TComponent* owner);
    UnicodeString ClassName() const override { return L"TToggleSwitch"; }

    // Every change of state fires OnClick, whether the user or code made it.
    TToggleSwitchState State() const { return state_; }
    void SetState(TToggleSwitchState value);
    bool IsOn() const { return state_ == tssOn; }
    void Toggle();

    // clDefault: the window text colour of the style.
    TColor FrameColor() const { return frameColor_; }
    void SetFrameColor(TColor value);
    TColor ThumbColor() const { return thumbColor_; }
    void SetThumbColor(TColor value);
    bool ShowStateCaption() const { return showStateCaption_; }
    void SetShowStateCaption(bool value);
    const UnicodeString& CaptionOn() const { return captionOn_; }
    void SetCaptionOn(const UnicodeString& value);
    const UnicodeString& CaptionOff() const { return captionOff_; }
    void SetCaptionOff(const UnicodeString& value);
    int SwitchWidth() const { return switchWidth_; }
    void SetSwitchWidth(int value);
    int SwitchHeight() const { return switchHeight_; }
    void SetSwitchHeight(int value);

    // The track's rectangle in client coordinates.
    TRect SwitchRect();
    // The thumb's rectangle in client coordinates.
    TRect ThumbRect();

protected:
    void Paint() override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, TShiftState shift) override;

private:
    TToggleSwitchState state_ = tssOff;
    bool pressed_ = false;
    TColor frameColor_ = clDefault;
    TColor thumbColor_ = clDefault;
    bool showStateCaption_ = true;
    UnicodeString captionOn_ = L"On";
    UnicodeString captionOff_ = L"Off";
    int switchWidth_ = 50;
    int switchHeight_ = 20;
};

enum TActivityIndicatorType { aitMomentumDots, aitRotatingSector, aitSectorRing };
enum TActivityIndicatorSize { aisSmall, aisMedium, aisLarge, aisXLarge };
enum TActivityIndicatorColor { aicBlack, aicWhite };

// A busy indicator: while Animate is on, a timer steps it through its frames (a sector
// running round a circle, or dots); while off it shows nothing.
class TActivityIndicator : public TCustomControl {
public:
    explicit TActivityIndicator(TComponent* owner);
    ~TActivityIndicator() override;
    UnicodeString ClassName() const override { return L"TActivityIndicator"; }

    bool Animate() const { return animate_; }
    void SetAnimate(bool value);
    void StartAnimation() { SetAnimate(true); }
    void StopAnimation() { SetAnimate(false); }

    TActivityIndicatorType IndicatorType() const { return type_; }
    void SetIndicatorType(TActivityIndicatorType value);
    // The square the indicator occupies: 24, 32, 48 or 64 pixels; the control takes that size.
    TActivityIndicatorSize IndicatorSize() const { return size_; }
    void SetIndicatorSize(TActivityIndicatorSize value);
    TActivityIndicatorColor IndicatorColor() const { return color_; }
    void SetIndicatorColor(TActivityIndicatorColor value);
    // Milliseconds from one frame to the next.
    int FrameDelay() const { return frameDelay_; }
    void SetFrameDelay(int value);

    int FrameIndex() const { return frame_; }
    int FrameCount() const;
    // The timer that steps the frames (its OnTimer advances one frame).
    TTimer* AnimationTimer() const { return timer_; }

    // The size always follows IndicatorSize.
    void SetBounds(int left, int top, int width, int height) override;
    void Loaded() override;

protected:
    void Paint() override;

private:
    void NextFrame();
    int Extent() const;

    TTimer* timer_ = nullptr;
    bool animate_ = false;
    TActivityIndicatorType type_ = aitMomentumDots;
    TActivityIndicatorSize size_ = aisMedium;
    TActivityIndicatorColor color_ = aicBlack;
    int frameDelay_ = 50;
    int frame_ = 0;
};

// Registers the published properties and reader factories of the classes in this file.
void RegisterWinXCtrlsClasses();
