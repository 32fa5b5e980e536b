// Canvas over a device context: selects its font, pen and brush lazily before each drawing call
// and selects the DC's original objects back before any of them changes or the DC goes.
#include "Graphics.h"

#include <array>

namespace {

constexpr std::array<std::pair<TTextFormats, UINT>, 24> kDrawTextFlags{{
    {tfBottom, DT_BOTTOM},
    {tfCalcRect, DT_CALCRECT},
    {tfCenter, DT_CENTER},
    {tfEditControl, DT_EDITCONTROL},
    {tfEndEllipsis, DT_END_ELLIPSIS},
    {tfPathEllipsis, DT_PATH_ELLIPSIS},
    {tfExpandTabs, DT_EXPANDTABS},
    {tfExternalLeading, DT_EXTERNALLEADING},
    {tfLeft, DT_LEFT},
    {tfModifyString, DT_MODIFYSTRING},
    {tfNoClip, DT_NOCLIP},
    {tfNoPrefix, DT_NOPREFIX},
    {tfRight, DT_RIGHT},
    {tfRtlReading, DT_RTLREADING},
    {tfSingleLine, DT_SINGLELINE},
    {tfTop, DT_TOP},
    {tfVerticalCenter, DT_VCENTER},
    {tfWordBreak, DT_WORDBREAK},
    {tfHidePrefix, DT_HIDEPREFIX},
    {tfNoFullWidthCharBreak, DT_NOFULLWIDTHCHARBREAK},
    {tfPrefixOnly, DT_PREFIXONLY},
    {tfTabStop, DT_TABSTOP},
    {tfWordEllipsis, DT_WORD_ELLIPSIS},
    {tfComposited, 0},
}};

constexpr int kRop2[] = {R2_BLACK,      R2_WHITE,       R2_NOP,     R2_NOT,      R2_COPYPEN,    R2_NOTCOPYPEN,
                         R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
                         R2_MASKPEN,    R2_NOTMASKPEN, R2_XORPEN,  R2_NOTXORPEN};

} // namespace

UINT TextFormatToDrawTextFlags(TTextFormat format)
{
    UINT flags = 0;
    for (const auto& [element, flag] : kDrawTextFlags)
        if (format.Contains(element)) flags |= flag;
    return flags;
}

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), brush_(std::make_unique<TBrush>()), pen_(std::make_unique<TPen>())
{
    font_->canvas_ = this;
    brush_->canvas_ = this;
    pen_->canvas_ = this;
}

TCanvas::~TCanvas()
{
    DeselectHandles();
    handle_ = nullptr;
    font_->canvas_ = nullptr;
    brush_->canvas_ = nullptr;
    pen_->canvas_ = nullptr;
}

HDC TCanvas::Handle()
{
    RequiredState({HandleValid});
    return handle_;
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == handle_) return;
    DeselectHandles();
    handle_ = dc;
    state_ = dc ? State{HandleValid} : State{};
    if (dc) {
        // A new DC starts at its own current position.
        POINT p{};
        ::GetCurrentPositionEx(dc, &p);
        penPos_ = p;
    }
}

void TCanvas::Lock()
{
    lock_.lock();
    ++lockCount_;
}

void TCanvas::Unlock()
{
    --lockCount_;
    lock_.unlock();
}

bool TCanvas::TryLock()
{
    if (!lock_.try_lock()) return false;
    ++lockCount_;
    return true;
}

void TCanvas::RequiredState(State required)
{
    if (!handle_) {
        CreateHandle();
        if (!handle_) throw EInvalidGraphicOperation(L"Canvas does not allow drawing");
    }
    if (required.Contains(FontValid) && !state_.Contains(FontValid)) SelectFont();
    if (required.Contains(PenValid) && !state_.Contains(PenValid)) SelectPen();
    if (required.Contains(BrushValid) && !state_.Contains(BrushValid)) SelectBrush();
}

void TCanvas::SelectFont()
{
    HGDIOBJ old = ::SelectObject(handle_, font_->Handle());
    if (!oldFont_) oldFont_ = old;
    ::SetTextColor(handle_, ColorToGdi(font_->Color()));
    state_.Include(FontValid);
}

void TCanvas::SelectPen()
{
    HGDIOBJ old = ::SelectObject(handle_, pen_->Handle());
    if (!oldPen_) oldPen_ = old;
    ::SetROP2(handle_, kRop2[pen_->Mode()]);
    state_.Include(PenValid);
}

void TCanvas::SelectBrush()
{
    HGDIOBJ old = ::SelectObject(handle_, brush_->Handle());
    if (!oldBrush_) oldBrush_ = old;
    const COLORREF color = ColorToGdi(brush_->Color());
    if (brush_->Style() == bsSolid) {
        // Text and hatch gaps get the brush colour on an opaque background.
        ::SetBkColor(handle_, color);
        ::SetBkMode(handle_, OPAQUE);
    } else {
        ::SetBkColor(handle_, ~color & 0x00FFFFFF);
        ::SetBkMode(handle_, TRANSPARENT);
    }
    state_.Include(BrushValid);
}

void TCanvas::DeselectHandles()
{
    if (!handle_) return;
    if (oldFont_) ::SelectObject(handle_, oldFont_);
    if (oldPen_) ::SelectObject(handle_, oldPen_);
    if (oldBrush_) ::SelectObject(handle_, oldBrush_);
    oldFont_ = oldPen_ = oldBrush_ = nullptr;
    state_.Exclude(FontValid).Exclude(PenValid).Exclude(BrushValid);
}

void TCanvas::ObjectChanged(TGraphicsObject* object)
{
    StateFlag flag = object == font_.get() ? FontValid : object == pen_.get() ? PenValid : BrushValid;
    HGDIOBJ& old = flag == FontValid ? oldFont_ : flag == PenValid ? oldPen_ : oldBrush_;
    if (handle_ && old) ::SelectObject(handle_, old);
    old = nullptr;
    state_.Exclude(flag);
}

void TCanvas::Changing()
{
    if (OnChanging) OnChanging(this);
}

void TCanvas::Changed()
{
    if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos()
{
    return penPos_;
}

TColor TCanvas::Pixels(int x, int y)
{
    RequiredState({HandleValid});
    return static_cast<TColor>(::GetPixel(handle_, x, y));
}

void TCanvas::SetPixels(int x, int y, TColor color)
{
    Changing();
    RequiredState({HandleValid, PenValid});
    ::SetPixel(handle_, x, y, ColorToGdi(color));
    Changed();
}

void TCanvas::MoveTo(int x, int y)
{
    RequiredState({HandleValid});
    ::MoveToEx(handle_, x, y, nullptr);
    penPos_ = {x, y};
}

void TCanvas::LineTo(int x, int y)
{
    Changing();
    RequiredState({HandleValid, PenValid, BrushValid});
    ::LineTo(handle_, x, y);
    penPos_ = {x, y};
    Changed();
}

void TCanvas::FillRect(const TRect& rect)
{
    Changing();
    RequiredState({HandleValid, BrushValid});
    const RECT r = rect;
    ::FillRect(handle_, &r, brush_->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& rect)
{
    Changing();
    RequiredState({HandleValid, BrushValid});
    const RECT r = rect;
    ::FrameRect(handle_, &r, brush_->Handle());
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    Changing();
    RequiredState({HandleValid, PenValid, BrushValid});
    ::Rectangle(handle_, x1, y1, x2, y2);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight)
{
    Changing();
    RequiredState({HandleValid, PenValid, BrushValid});
    ::RoundRect(handle_, x1, y1, x2, y2, cornerWidth, cornerHeight);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    Changing();
    RequiredState({HandleValid, PenValid, BrushValid});
    ::Ellipse(handle_, x1, y1, x2, y2);
    Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points)
{
    if (points.empty()) return;
    std::vector<POINT> pts(points.begin(), points.end());
    Changing();
    RequiredState({HandleValid, PenValid, BrushValid});
    ::Polygon(handle_, pts.data(), static_cast<int>(pts.size()));
    Changed();
}

void TCanvas::TextOut(int x, int y, const UnicodeString& text)
{
    Changing();
    RequiredState({HandleValid, FontValid, BrushValid});
    ::ExtTextOutW(handle_, x, y, textFlags_, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
    Changed();
    MoveTo(x + TextWidth(text), y);
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const UnicodeString& text)
{
    Changing();
    RequiredState({HandleValid, FontValid, BrushValid});
    UINT options = ETO_CLIPPED | textFlags_;
    if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
    const RECT r = rect;
    ::ExtTextOutW(handle_, x, y, options, &r, text.data(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

void TCanvas::TextRect(TRect& rect, UnicodeString& text, TTextFormat format)
{
    const UINT flags = TextFormatToDrawTextFlags(format);
    Changing();
    RequiredState({HandleValid, FontValid, BrushValid});
    RECT r = rect;
    if (flags & DT_MODIFYSTRING) {
        // DrawText may write up to four characters more than the text has.
        std::vector<wchar_t> buffer(text.begin(), text.end());
        buffer.resize(text.size() + 5, L'\0');
        ::DrawTextW(handle_, buffer.data(), static_cast<int>(text.size()), &r, flags);
        text.assign(buffer.data());
    } else {
        ::DrawTextW(handle_, text.data(), static_cast<int>(text.size()), &r, flags);
    }
    if (flags & DT_CALCRECT) rect = r;
    Changed();
}

void TCanvas::TextRect(TRect& rect, const UnicodeString& text, TTextFormat format)
{
    UnicodeString copy = text;
    TextRect(rect, copy, format);
}

TSize TCanvas::TextExtent(const UnicodeString& text)
{
    RequiredState({HandleValid, FontValid});
    SIZE size{};
    ::GetTextExtentPoint32W(handle_, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty()) return;
    Changing();
    graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
    Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic)
{
    if (!graphic || graphic->Empty()) return;
    Changing();
    graphic->Draw(this, rect);
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect)
{
    Changing();
    RequiredState({HandleValid, BrushValid});
    const RECT r = rect;
    ::DrawFocusRect(handle_, &r);
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect)
{
    if (!source) return;
    Changing();
    RequiredState({HandleValid, FontValid, BrushValid});
    HDC sourceDC = source->Handle();
    ::StretchBlt(handle_, dest.Left, dest.Top, dest.Width(), dest.Height(), sourceDC, sourceRect.Left,
                 sourceRect.Top, sourceRect.Width(), sourceRect.Height(), copyMode_);
    Changed();
}
