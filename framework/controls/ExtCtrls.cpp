#include "ExtCtrls.h"

#include "FormReader.h"
#include "Themes.h"
#include "TypInfo.h"

#include <algorithm>

namespace {

// A plain RGB colour for a canvas: system colours as the active style paints them.
TColor Plain(TColor color) { return static_cast<TColor>(StyledColorToGdi(color)); }

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width)
{
    for (int i = 0; i < width && !rect.IsEmpty(); ++i) {
        canvas->Brush()->SetColor(topColor);
        canvas->FillRect(TRect(rect.Left, rect.Top, rect.Right, rect.Top + 1));
        canvas->FillRect(TRect(rect.Left, rect.Top, rect.Left + 1, rect.Bottom));
        canvas->Brush()->SetColor(bottomColor);
        canvas->FillRect(TRect(rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom));
        canvas->FillRect(TRect(rect.Right - 1, rect.Top, rect.Right, rect.Bottom));
        rect = TRect(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
    }
}

void BevelColors(TBevelCut cut, TColor& top, TColor& bottom)
{
    top = Plain(cut == bvLowered ? clBtnShadow : clBtnHighlight);
    bottom = Plain(cut == bvLowered ? clBtnHighlight : clBtnShadow);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TCustomPanel

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner)
{
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks});
    SetBounds(Left(), Top(), 185, 41);
    SetColor(clBtnFace);
}

int TCustomPanel::FrameWidth() const
{
    return (bevelOuter_ != bvNone ? bevelWidth_ : 0) + borderWidth_ + (bevelInner_ != bvNone ? bevelWidth_ : 0);
}

void TCustomPanel::SetBevelInner(TBevelCut value)
{
    if (value == bevelInner_) return;
    bevelInner_ = value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut value)
{
    if (value == bevelOuter_) return;
    bevelOuter_ = value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int value)
{
    value = std::max(1, value);
    if (value == bevelWidth_) return;
    bevelWidth_ = value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderWidth(int value)
{
    value = std::max(0, value);
    if (value == borderWidth_) return;
    borderWidth_ = value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetShowCaption(bool value)
{
    if (value == showCaption_) return;
    showCaption_ = value;
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment value)
{
    if (value == alignment_) return;
    alignment_ = value;
    Invalidate();
}

void TCustomPanel::SetVerticalAlignment(TVerticalAlignment value)
{
    if (value == verticalAlignment_) return;
    verticalAlignment_ = value;
    Invalidate();
}

void TCustomPanel::AdjustClientRect(TRect& rect)
{
    TCustomControl::AdjustClientRect(rect);
    const int w = FrameWidth();
    rect = TRect(rect.Left + w, rect.Top + w, std::max(rect.Left + w, rect.Right - w), std::max(rect.Top + w, rect.Bottom - w));
}

void TCustomPanel::CMTextChanged(TMessage& message)
{
    TCustomControl::CMTextChanged(message);
    Invalidate();
}

void TCustomPanel::Paint()
{
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    TColor top = 0;
    TColor bottom = 0;
    canvas->Brush()->SetStyle(bsSolid);
    if (bevelOuter_ != bvNone) {
        BevelColors(bevelOuter_, top, bottom);
        Frame3D(canvas, rect, top, bottom, bevelWidth_);
    }
    Frame3D(canvas, rect, Plain(Color()), Plain(Color()), borderWidth_);
    if (bevelInner_ != bvNone) {
        BevelColors(bevelInner_, top, bottom);
        Frame3D(canvas, rect, top, bottom, bevelWidth_);
    }
    canvas->Brush()->SetColor(Plain(Color()));
    canvas->FillRect(rect);

    const UnicodeString caption = Caption();
    if (!showCaption_ || caption.empty()) return;
    TTextFormat format{tfSingleLine, tfExpandTabs};
    switch (alignment_) {
    case taRightJustify: format << tfRight; break;
    case taCenter: format << tfCenter; break;
    default: format << tfLeft; break;
    }
    switch (verticalAlignment_) {
    case taAlignTop: format << tfTop; break;
    case taAlignBottom: format << tfBottom; break;
    default: format << tfVerticalCenter; break;
    }
    canvas->SetFont(Font());
    canvas->Font()->SetColor(Enabled() ? Plain(Font()->Color()) : Plain(clGrayText));
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextRect(rect, caption, format);
    canvas->Brush()->SetStyle(bsSolid);
}

// ---------------------------------------------------------------------------------------------
// TShape

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner), brush_(std::make_unique<TBrush>()), pen_(std::make_unique<TPen>())
{
    SetControlStyle(ControlStyle() << csReplicatable);
    SetBounds(Left(), Top(), 65, 65);
    brush_->OnChange = [this](TObject*) { Invalidate(); };
    pen_->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape()
{
    brush_->OnChange = nullptr;
    pen_->OnChange = nullptr;
}

void TShape::SetShape(TShapeType value)
{
    if (value == shape_) return;
    shape_ = value;
    Invalidate();
}

void TShape::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->SetPen(pen_.get());
    canvas->Pen()->SetColor(Plain(pen_->Color()));
    canvas->SetBrush(brush_.get());
    if (brush_->Style() != bsClear) canvas->Brush()->SetColor(Plain(brush_->Color()));

    const int penWidth = pen_->Style() == psClear ? 0 : pen_->Width();
    int x = penWidth / 2;
    int y = x;
    int w = Width() - penWidth + 1;
    int h = Height() - penWidth + 1;
    if (penWidth == 0) {
        --w;
        --h;
    }
    const int s = std::min(w, h);
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = s;
        h = s;
    }
    switch (shape_) {
    case stRectangle:
    case stSquare: canvas->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: canvas->RoundRect(x, y, x + w, y + h, s / 4, s / 4); break;
    case stEllipse:
    case stCircle: canvas->Ellipse(x, y, x + w, y + h); break;
    }
}

// ---------------------------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>())
{
    SetControlStyle(ControlStyle() << csReplicatable);
    SetBounds(Left(), Top(), 105, 105);
    picture_->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { picture_->OnChange = nullptr; }

void TImage::SetStretch(bool value)
{
    if (value == stretch_) return;
    stretch_ = value;
    Invalidate();
}

void TImage::SetProportional(bool value)
{
    if (value == proportional_) return;
    proportional_ = value;
    Invalidate();
}

void TImage::SetCenter(bool value)
{
    if (value == center_) return;
    center_ = value;
    Invalidate();
}

void TImage::SetTransparent(bool value)
{
    if (value == transparent_) return;
    transparent_ = value;
    PictureChanged();
}

void TImage::SetAutoSize(bool value)
{
    if (value == autoSize_) return;
    autoSize_ = value;
    PictureChanged();
}

void TImage::PictureChanged()
{
    TGraphic* graphic = picture_->Graphic();
    if (graphic && graphic->Transparent() != transparent_) {
        // The graphic reports the change back here; one level is enough.
        auto saved = std::move(picture_->OnChange);
        picture_->OnChange = nullptr;
        try {
            graphic->SetTransparent(transparent_);
        } catch (...) {
            picture_->OnChange = std::move(saved);
            throw;
        }
        picture_->OnChange = std::move(saved);
    }
    AdjustSize();
    Invalidate();
}

bool TImage::CanAutoSize(int& NewWidth, int& NewHeight)
{
    TGraphic* graphic = picture_->Graphic();
    if (!graphic || graphic->Empty()) return true;
    if (Align() == alNone || Align() == alLeft || Align() == alRight) NewWidth = graphic->Width();
    if (Align() == alNone || Align() == alTop || Align() == alBottom) NewHeight = graphic->Height();
    return true;
}

void TImage::AdjustSize()
{
    if (!autoSize_) return;
    int w = Width(), h = Height();
    if (CanAutoSize(w, h) && (w != Width() || h != Height())) SetBounds(Left(), Top(), w, h);
}

TRect TImage::DestRect()
{
    int w = picture_->Width();
    int h = picture_->Height();
    const int cw = ClientWidth();
    const int ch = ClientHeight();
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            const double aspect = static_cast<double>(w) / h;
            if (w > h) {
                w = cw;
                h = static_cast<int>(cw / aspect);
                if (h > ch) {
                    h = ch;
                    w = static_cast<int>(ch * aspect);
                }
            } else {
                h = ch;
                w = static_cast<int>(ch * aspect);
                if (w > cw) {
                    w = cw;
                    h = static_cast<int>(cw / aspect);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r(0, 0, w, h);
    if (center_) r.Offset((cw - w) / 2, (ch - h) / 2);
    return r;
}

void TImage::Paint()
{
    TGraphic* graphic = picture_->Graphic();
    if (!graphic || graphic->Empty()) return;
    Canvas()->StretchDraw(DestRect(), graphic);
}

// ---------------------------------------------------------------------------------------------

namespace {

void RegisterBrushAndPen()
{
    if (!IsPublishedClass(L"TBrush")) {
        static const TEnumTypeInfo brushStyleInfo{{L"bsSolid", L"bsClear", L"bsHorizontal", L"bsVertical",
                                                   L"bsFDiagonal", L"bsBDiagonal", L"bsCross", L"bsDiagCross"},
                                                  0};
        RegisterPublishedClass(L"TBrush", L"TPersistent");
        RegisterPublishedProperty(L"TBrush", OrdProp(L"Color", pkColor, &TBrush::Color, &TBrush::SetColor, int64_t{clWhite}));
        RegisterPublishedProperty(L"TBrush", OrdProp(L"Style", pkEnum, &TBrush::Style, &TBrush::SetStyle, int64_t{bsSolid},
                                                     &brushStyleInfo));
    }
    if (!IsPublishedClass(L"TPen")) {
        static const TEnumTypeInfo penStyleInfo{{L"psSolid", L"psDash", L"psDot", L"psDashDot", L"psDashDotDot",
                                                 L"psClear", L"psInsideFrame", L"psUserStyle", L"psAlternate"},
                                                0};
        static const TEnumTypeInfo penModeInfo{{L"pmBlack", L"pmWhite", L"pmNop", L"pmNot", L"pmCopy", L"pmNotCopy",
                                                L"pmMergePenNot", L"pmMaskPenNot", L"pmMergeNotPen", L"pmMaskNotPen",
                                                L"pmMerge", L"pmNotMerge", L"pmMask", L"pmNotMask", L"pmXor", L"pmNotXor"},
                                               0};
        RegisterPublishedClass(L"TPen", L"TPersistent");
        RegisterPublishedProperty(L"TPen", OrdProp(L"Color", pkColor, &TPen::Color, &TPen::SetColor, int64_t{clBlack}));
        RegisterPublishedProperty(L"TPen", OrdProp(L"Style", pkEnum, &TPen::Style, &TPen::SetStyle, int64_t{psSolid}, &penStyleInfo));
        RegisterPublishedProperty(L"TPen", OrdProp(L"Width", pkInteger, &TPen::Width, &TPen::SetWidth, int64_t{1}));
        RegisterPublishedProperty(L"TPen", OrdProp(L"Mode", pkEnum, &TPen::Mode, &TPen::SetMode, int64_t{pmCopy}, &penModeInfo));
    }
}

} // namespace

void RegisterExtCtrlsClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterBrushAndPen();

    static const TEnumTypeInfo bevelInfo{{L"bvNone", L"bvLowered", L"bvRaised", L"bvSpace"}, 0};
    static const TEnumTypeInfo alignmentInfo{{L"taLeftJustify", L"taRightJustify", L"taCenter"}, 0};
    static const TEnumTypeInfo verticalInfo{{L"taAlignTop", L"taAlignBottom", L"taVerticalCenter"}, 0};
    const UnicodeString p = L"TCustomPanel";
    RegisterPublishedClass(p, L"TCustomControl");
    RegisterPublishedProperty(p, OrdProp(L"BevelInner", pkEnum, &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner,
                                         int64_t{bvNone}, &bevelInfo));
    RegisterPublishedProperty(p, OrdProp(L"BevelOuter", pkEnum, &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter,
                                         int64_t{bvRaised}, &bevelInfo));
    RegisterPublishedProperty(p, OrdProp(L"BevelWidth", pkInteger, &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, int64_t{1}));
    RegisterPublishedProperty(p, OrdProp(L"BorderWidth", pkInteger, &TCustomPanel::BorderWidth,
                                         &TCustomPanel::SetBorderWidth, int64_t{0}));
    RegisterPublishedProperty(p, OrdProp(L"ShowCaption", pkBool, &TCustomPanel::ShowCaption, &TCustomPanel::SetShowCaption, int64_t{1}));
    RegisterPublishedProperty(p, OrdProp(L"Alignment", pkEnum, &TCustomPanel::Alignment, &TCustomPanel::SetAlignment,
                                         int64_t{taCenter}, &alignmentInfo));
    RegisterPublishedProperty(p, OrdProp(L"VerticalAlignment", pkEnum, &TCustomPanel::VerticalAlignment,
                                         &TCustomPanel::SetVerticalAlignment, int64_t{taVerticalCenter}, &verticalInfo));
    RegisterPublishedClass(L"TPanel", p);
    RegisterComponentClass<TPanel>(L"TPanel");

    static const TEnumTypeInfo shapeInfo{{L"stRectangle", L"stSquare", L"stRoundRect", L"stRoundSquare", L"stEllipse", L"stCircle"}, 0};
    const UnicodeString s = L"TShape";
    RegisterPublishedClass(s, L"TGraphicControl");
    RegisterPublishedProperty(s, OrdProp(L"Shape", pkEnum, &TShape::Shape, &TShape::SetShape, int64_t{stRectangle}, &shapeInfo));
    RegisterPublishedProperty(s, ObjProp(L"Brush", &TShape::Brush, &TShape::SetBrush, L"Brush expected", TNilObject::Reject));
    RegisterPublishedProperty(s, ObjProp(L"Pen", &TShape::Pen, &TShape::SetPen, L"Pen expected", TNilObject::Reject));
    RegisterComponentClass<TShape>(s);

    const UnicodeString i = L"TImage";
    RegisterPublishedClass(i, L"TGraphicControl");
    RegisterPublishedProperty(i, ObjProp(L"Picture", &TImage::Picture));
    RegisterPublishedProperty(i, OrdProp(L"Stretch", pkBool, &TImage::Stretch, &TImage::SetStretch, int64_t{0}));
    RegisterPublishedProperty(i, OrdProp(L"Proportional", pkBool, &TImage::Proportional, &TImage::SetProportional, int64_t{0}));
    RegisterPublishedProperty(i, OrdProp(L"Center", pkBool, &TImage::Center, &TImage::SetCenter, int64_t{0}));
    RegisterPublishedProperty(i, OrdProp(L"Transparent", pkBool, &TImage::Transparent, &TImage::SetTransparent, int64_t{0}));
    RegisterPublishedProperty(i, OrdProp(L"AutoSize", pkBool, &TImage::AutoSize, &TImage::SetAutoSize, int64_t{0}));
    RegisterComponentClass<TImage>(i);
}
