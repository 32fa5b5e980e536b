#pragma once
// Panels, shapes and images: controls the layer paints itself.
#include "Controls.h"
#include "Graphics.h"
#include "StdCtrls.h"

#include <memory>


// A container with a raised or lowered frame and an optional caption in the middle.
class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* owner);
    UnicodeString ClassName() const override { return L"TCustomPanel"; }

    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    // Space between the outer and the inner bevel.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TVerticalAlignment VerticalAlignment() const { return verticalAlignment_; }
    void SetVerticalAlignment(TVerticalAlignment value);

protected:
    void Paint() override;
    void AdjustClientRect(TRect& rect) override;
    void CMTextChanged(TMessage& message) override;

private:
    int FrameWidth() const;

    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    bool showCaption_ = true;
    TAlignment alignment_ = taCenter;
    TVerticalAlignment verticalAlignment_ = taVerticalCenter;
};

class TPanel : public TCustomPanel {
public:
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
    UnicodeString ClassName() const override { return L"TPanel"; }
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

// A figure drawn with Pen (outline; psClear for none) and Brush (fill).
class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* owner);
    ~TShape() override;
    UnicodeString ClassName() const override { return L"TShape"; }

    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType value);
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(const TBrush* value) { brush_->Assign(value); }
    TPen* Pen() const { return pen_.get(); }
    void SetPen(const TPen* value) { pen_->Assign(value); }

protected:
    void Paint() override;

private:
    TShapeType shape_ = stRectangle;
    std::unique_ptr<TBrush> brush_;
    std::unique_ptr<TPen> pen_;
};

// Shows a picture: at its own size in the top-left corner, or centred, or stretched to the
// control (keeping its proportions with Proportional, which also shrinks one that is too big).
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;
    UnicodeString ClassName() const override { return L"TImage"; }

    TPicture* Picture() const { return picture_.get(); }
    void SetPicture(const TPicture* value) { picture_->Assign(value); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool Proportional() const { return proportional_; }
    void SetProportional(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    // The control takes the picture's size.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);

    // Where the picture is drawn, in client coordinates.
    TRect DestRect();

protected:
    void Paint() override;

private:
    void PictureChanged();

    std::unique_ptr<TPicture> picture_;
    bool stretch_ = false;
    bool proportional_ = false;
    bool center_ = false;
    bool transparent_ = false;
    bool autoSize_ = false;
};

// Registers the published properties and reader factories of the classes in this file.
void RegisterExtCtrlsClasses();
