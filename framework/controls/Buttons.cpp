#include "Buttons.h"

#include "FormReader.h"
#include "TypInfo.h"

#include <algorithm>

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(Left(), Top(), 23, 22);
}

// ---------------------------------------------------------------------------------------------
// TBitBtn

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), glyph_(std::make_unique<TBitmap>())
{
    glyph_->OnChange = [this](TObject*) { Changed(); };
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::Changed()
{
    if (HandleAllocated()) Invalidate();
}

void TBitBtn::SetGlyph(TBitmap* value)
{
    if (value)
        glyph_->Assign(value);
    else
        glyph_->SetSize(0, 0);
    Changed();
}

void TBitBtn::SetNumGlyphs(int value)
{
    if (value < 1 || value > 4 || value == numGlyphs_) return;
    numGlyphs_ = value;
    Changed();
}

void TBitBtn::SetLayout(TButtonLayout value)
{
    if (value == layout_) return;
    layout_ = value;
    Changed();
}

void TBitBtn::SetSpacing(int value)
{
    if (value == spacing_) return;
    spacing_ = value;
    Changed();
}

void TBitBtn::SetMargin(int value)
{
    if (value == margin_ || value < -1) return;
    margin_ = value;
    Changed();
}

TSize TBitBtn::GlyphFrameSize() const
{
    if (glyph_->Empty()) return TSize{0, 0};
    return TSize{glyph_->Width() / numGlyphs_, glyph_->Height()};
}

void TBitBtn::CalcLayout(const TRect& client, const TSize& textSize, TRect& glyphRect, TRect& textRect) const
{
    const TSize g = GlyphFrameSize();
    const bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
    const int room = horizontal ? client.Width() : client.Height();
    const int glyphExtent = horizontal ? g.cx : g.cy;
    const int textExtent = horizontal ? textSize.cx : textSize.cy;
    const bool both = glyphExtent > 0 && textExtent > 0;
    int spacing = both ? spacing_ : 0;
    int margin = margin_;
    if (margin < 0) {
        if (spacing < 0) {
            // Glyph, caption and the gaps share the room equally.
            margin = (room - glyphExtent - textExtent) / 3;
            spacing = both ? margin : 0;
        } else {
            margin = (room - glyphExtent - textExtent - spacing) / 2;
        }
    } else if (spacing < 0) {
        spacing = both ? (room - margin - glyphExtent - textExtent) / 2 : 0;
    }
    // Offsets along the layout's axis, from the edge the glyph faces.
    const int glyphAt = margin;
    const int textAt = margin + glyphExtent + spacing;
    const int cx = client.Left + (client.Width() - g.cx) / 2, cy = client.Top + (client.Height() - g.cy) / 2;
    const int tx = client.Left + (client.Width() - textSize.cx) / 2, ty = client.Top + (client.Height() - textSize.cy) / 2;
    switch (layout_) {
    case blGlyphLeft:
        glyphRect = TRect(client.Left + glyphAt, cy, client.Left + glyphAt + g.cx, cy + g.cy);
        textRect = TRect(client.Left + textAt, ty, client.Left + textAt + textSize.cx, ty + textSize.cy);
        break;
    case blGlyphRight:
        glyphRect = TRect(client.Right - glyphAt - g.cx, cy, client.Right - glyphAt, cy + g.cy);
        textRect = TRect(client.Right - textAt - textSize.cx, ty, client.Right - textAt, ty + textSize.cy);
        break;
    case blGlyphTop:
        glyphRect = TRect(cx, client.Top + glyphAt, cx + g.cx, client.Top + glyphAt + g.cy);
        textRect = TRect(tx, client.Top + textAt, tx + textSize.cx, client.Top + textAt + textSize.cy);
        break;
    case blGlyphBottom:
        glyphRect = TRect(cx, client.Bottom - glyphAt - g.cy, cx + g.cx, client.Bottom - glyphAt);
        textRect = TRect(tx, client.Bottom - textAt - textSize.cy, tx + textSize.cx, client.Bottom - textAt);
        break;
    }
}

void TBitBtn::CreateParams(TCreateParams& params)
{
    TButton::CreateParams(params);
    params.Style = (params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::Dispatch(TMessage& message)
{
    if (message.Msg == CN_DRAWITEM) {
        if (const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam)) DrawItem(*item);
        message.Result = 1;
        return;
    }
    TButton::Dispatch(message);
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item)
{
    const HDC dc = item.hDC;
    TRect r(item.rcItem);
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    // The default look: a dark frame round the face, as the system draws a default push button.
    if (Default() || focused) {
        const RECT outer = r;
        FrameRect(dc, &outer, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
    RECT face = r;
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));

    const UnicodeString text = Caption();
    const int saved = SaveDC(dc);
    SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    RECT measured{0, 0, r.Width(), r.Height()};
    if (!text.empty()) DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    const TSize textSize{text.empty() ? 0 : measured.right - measured.left, text.empty() ? 0 : measured.bottom - measured.top};
    const TRect client(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
    TRect glyphRect, textRect;
    CalcLayout(client, textSize, glyphRect, textRect);
    if (pressed) {
        glyphRect.Offset(1, 1);
        textRect.Offset(1, 1);
    }
    const TSize g = GlyphFrameSize();
    if (g.cx > 0) {
        int frame = 0;
        if (disabled && numGlyphs_ > 1) frame = 1;
        else if (pressed && numGlyphs_ > 2) frame = 2;
        ::TransparentBlt(dc, glyphRect.Left, glyphRect.Top, g.cx, g.cy, glyph_->Canvas()->Handle(), frame * g.cx, 0, g.cx,
                         g.cy, static_cast<UINT>(ColorToRGB(glyph_->TransparentColor())));
    }
    if (!text.empty()) {
        RECT t = textRect;
        if (disabled) {
            OffsetRect(&t, 1, 1);
            SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
            DrawTextW(dc, text.c_str(), -1, &t, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
            OffsetRect(&t, -1, -1);
            SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        } else {
            SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
        }
        DrawTextW(dc, text.c_str(), -1, &t, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    RestoreDC(dc, saved);
    if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT f = r;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dc, &f);
    }
}

void RegisterButtonsClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterPublishedClass(L"TSpeedButton", L"TGraphicControl");
    RegisterComponentClass<TSpeedButton>(L"TSpeedButton");

    static const TEnumTypeInfo layoutInfo{{L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop", L"blGlyphBottom"}, 0};
    const UnicodeString b = L"TBitBtn";
    RegisterPublishedClass(b, L"TButton");
    RegisterPublishedProperty(b, ObjProp(L"Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph, L"Bitmap expected",
                                         TNilObject::Pass));
    RegisterPublishedProperty(b, OrdProp(L"NumGlyphs", pkInteger, &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs,
                                         int64_t{1}));
    RegisterPublishedProperty(b, OrdProp(L"Layout", pkEnum, &TBitBtn::Layout, &TBitBtn::SetLayout,
                                         int64_t{blGlyphLeft}, &layoutInfo));
    RegisterPublishedProperty(b, OrdProp(L"Spacing", pkInteger, &TBitBtn::Spacing, &TBitBtn::SetSpacing, int64_t{4}));
    RegisterPublishedProperty(b, OrdProp(L"Margin", pkInteger, &TBitBtn::Margin, &TBitBtn::SetMargin, int64_t{-1}));
    RegisterComponentClass<TBitBtn>(b);
}
