// Fonts, brushes and pens: properties plus a GDI handle made on demand.
#include "Graphics.h"

#include <algorithm>

int ScreenPixelsPerInch()
{
    static const int ppi = [] {
        HDC dc = ::GetDC(nullptr);
        const int value = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc) ::ReleaseDC(nullptr, dc);
        return value > 0 ? value : 96;
    }();
    return ppi;
}

// ---------------------------------------------------------------------------------------------

TGraphicsObject::~TGraphicsObject() = default;

void TGraphicsObject::Changed(bool handleAffected)
{
    // The canvas selects the object out of its DC before the handle goes.
    if (canvas_) canvas_->ObjectChanged(this);
    if (handleAffected) ReleaseHandle();
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------------

TFont::TFont()
    : name_(L"Tahoma"),
      height_(-::MulDiv(8, ScreenPixelsPerInch(), 72)),
      pixelsPerInch_(ScreenPixelsPerInch()),
      color_(clWindowText)
{
}

void TFont::SetName(const UnicodeString& name)
{
    if (name == name_ || name.empty()) return;
    name_ = name;
    Changed();
}

void TFont::SetHeight(int height)
{
    if (height == height_) return;
    height_ = height;
    Changed();
}

int TFont::Size() const
{
    return -::MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int size)
{
    SetHeight(-::MulDiv(size, pixelsPerInch_, 72));
}

void TFont::SetPixelsPerInch(int ppi)
{
    if (ppi > 0) pixelsPerInch_ = ppi;
}

void TFont::SetColor(TColor color)
{
    if (color == color_) return;
    color_ = color;
    Changed(false); // the colour is a DC attribute, not part of the HFONT
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TFont::SetCharset(TFontCharset charset)
{
    if (charset == charset_) return;
    charset_ = charset;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch == pitch_) return;
    pitch_ = pitch;
    Changed();
}

void TFont::SetQuality(TFontQuality quality)
{
    if (quality == quality_) return;
    quality_ = quality;
    Changed();
}

void TFont::SetOrientation(int orientation)
{
    if (orientation == orientation_) return;
    orientation_ = orientation;
    Changed();
}

HFONT TFont::Handle()
{
    if (!handle_) {
        LOGFONTW lf{};
        lf.lfHeight = height_;
        lf.lfEscapement = orientation_;
        lf.lfOrientation = orientation_;
        lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = style_.Contains(fsItalic);
        lf.lfUnderline = style_.Contains(fsUnderline);
        lf.lfStrikeOut = style_.Contains(fsStrikeOut);
        lf.lfCharSet = charset_;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = static_cast<BYTE>(quality_); // the enumeration follows the *_QUALITY values
        lf.lfPitchAndFamily = static_cast<BYTE>(pitch_ == fpFixed ? FIXED_PITCH
                                                : pitch_ == fpVariable ? VARIABLE_PITCH
                                                                       : DEFAULT_PITCH);
        const size_t n = std::min(name_.size(), std::size(lf.lfFaceName) - 1);
        std::copy_n(name_.data(), n, lf.lfFaceName);
        handle_ = ::CreateFontIndirectW(&lf);
        if (!handle_) throw EOutOfResources(L"Out of system resources");
    }
    return handle_;
}

void TFont::SetHandle(HFONT font)
{
    LOGFONTW lf{};
    if (!AdoptHandle(font, lf, L"Invalid font handle")) return;
    name_ = lf.lfFaceName;
    height_ = lf.lfHeight;
    orientation_ = lf.lfOrientation;
    style_ = {};
    if (lf.lfWeight >= FW_BOLD) style_.Include(fsBold);
    if (lf.lfItalic) style_.Include(fsItalic);
    if (lf.lfUnderline) style_.Include(fsUnderline);
    if (lf.lfStrikeOut) style_.Include(fsStrikeOut);
    charset_ = lf.lfCharSet;
    const BYTE pitch = lf.lfPitchAndFamily & 0x03;
    pitch_ = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
    quality_ = lf.lfQuality <= CLEARTYPE_NATURAL_QUALITY ? static_cast<TFontQuality>(lf.lfQuality) : fqDefault;
}

void TFont::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TFont*>(source);
    if (!other) {
        TGraphicsObject::Assign(source);
        return;
    }
    if (other == this) return;
    name_ = other->name_;
    height_ = other->pixelsPerInch_ == pixelsPerInch_ ? other->height_
                                                      : -::MulDiv(other->Size(), pixelsPerInch_, 72);
    color_ = other->color_;
    style_ = other->style_;
    charset_ = other->charset_;
    pitch_ = other->pitch_;
    quality_ = other->quality_;
    orientation_ = other->orientation_;
    Changed();
}

// ---------------------------------------------------------------------------------------------

void TBrush::SetColor(TColor color)
{
    if (color == color_ && style_ != bsClear) return;
    color_ = color;
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style == style_) return;
    style_ = style;
    Changed();
}

HBRUSH TBrush::Handle()
{
    if (!handle_) {
        LOGBRUSH lb{};
        lb.lbColor = ColorToGdi(color_);
        switch (style_) {
        case bsSolid: lb.lbStyle = BS_SOLID; break;
        case bsClear: lb.lbStyle = BS_NULL; break;
        default:
            lb.lbStyle = BS_HATCHED;
            lb.lbHatch = static_cast<ULONG_PTR>(style_ - bsHorizontal); // HS_HORIZONTAL .. HS_DIAGCROSS
            break;
        }
        handle_ = ::CreateBrushIndirect(&lb);
        if (!handle_) throw EOutOfResources(L"Out of system resources");
    }
    return handle_;
}

void TBrush::SetHandle(HBRUSH brush)
{
    LOGBRUSH lb{};
    if (!AdoptHandle(brush, lb, L"Invalid brush handle")) return;
    color_ = static_cast<TColor>(lb.lbColor & 0x00FFFFFF);
    if (lb.lbStyle == BS_NULL) style_ = bsClear;
    else if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= HS_DIAGCROSS)
        style_ = static_cast<TBrushStyle>(bsHorizontal + lb.lbHatch);
    else style_ = bsSolid;
}

void TBrush::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TBrush*>(source);
    if (!other) {
        TGraphicsObject::Assign(source);
        return;
    }
    if (other == this) return;
    color_ = other->color_;
    style_ = other->style_;
    Changed();
}

// ---------------------------------------------------------------------------------------------

void TPen::SetColor(TColor color)
{
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TPen::SetWidth(int width)
{
    if (width == width_ || width < 0) return;
    width_ = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style)
{
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TPen::SetMode(TPenMode mode)
{
    if (mode == mode_) return;
    mode_ = mode;
    Changed(false);
}

HPEN TPen::Handle()
{
    if (!handle_) {
        const COLORREF color = ColorToGdi(color_);
        if (style_ == psAlternate) {
            LOGBRUSH lb{BS_SOLID, color, 0};
            handle_ = ::ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &lb, 0, nullptr);
        } else {
            static constexpr int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT,
                                              PS_NULL, PS_INSIDEFRAME, PS_SOLID /* user style */};
            handle_ = ::CreatePen(kStyles[style_], width_, color);
        }
        if (!handle_) throw EOutOfResources(L"Out of system resources");
    }
    return handle_;
}

void TPen::SetHandle(HPEN pen)
{
    LOGPEN lp{};
    if (!AdoptHandle(pen, lp, L"Invalid pen handle")) return;
    color_ = static_cast<TColor>(lp.lopnColor & 0x00FFFFFF);
    width_ = lp.lopnWidth.x;
    switch (lp.lopnStyle) {
    case PS_DASH: style_ = psDash; break;
    case PS_DOT: style_ = psDot; break;
    case PS_DASHDOT: style_ = psDashDot; break;
    case PS_DASHDOTDOT: style_ = psDashDotDot; break;
    case PS_NULL: style_ = psClear; break;
    case PS_INSIDEFRAME: style_ = psInsideFrame; break;
    default: style_ = psSolid; break;
    }
}

void TPen::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TPen*>(source);
    if (!other) {
        TGraphicsObject::Assign(source);
        return;
    }
    if (other == this) return;
    color_ = other->color_;
    width_ = other->width_;
    style_ = other->style_;
    mode_ = other->mode_;
    Changed();
}
