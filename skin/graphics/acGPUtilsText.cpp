// Text through GDI+: drawing (also turned), measuring and the family name of a font file.
#include "acGPUtils.h"

#include "SysUtils.h"
#include "acGPUtilsScope.h"

using namespace acgp_detail;

namespace {

constexpr float kUnbounded = 2147483648.0f;

Gdiplus::StringAlignment HorizontalOf(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify: return Gdiplus::StringAlignmentFar;
    case taCenter: return Gdiplus::StringAlignmentCenter;
    default: return Gdiplus::StringAlignmentNear;
    }
}

Gdiplus::StringAlignment VerticalOf(TVerticalAlignment alignment)
{
    switch (alignment) {
    case taAlignBottom: return Gdiplus::StringAlignmentFar;
    case taVerticalCenter: return Gdiplus::StringAlignmentCenter;
    default: return Gdiplus::StringAlignmentNear;
    }
}

void MakeFormat(StringFormat& format)
{
    if (E().GdipCreateStringFormat && E().GdipCreateStringFormat(0, LANG_NEUTRAL, format.Out()) != Gdiplus::Ok)
        format.Release();
}

void MakeFont(HDC dc, Font& font)
{
    if (E().GdipCreateFontFromDC && E().GdipCreateFontFromDC(dc, font.Out()) != Gdiplus::Ok) font.Release();
}

// The bounding box of the text in layout, or an empty box.
Gdiplus::RectF Measure(Gdiplus::GpGraphics* g, const UnicodeString& text, Gdiplus::GpFont* font,
                       const Gdiplus::RectF& layout, Gdiplus::GpStringFormat* format)
{
    Gdiplus::RectF box;
    if (!E().GdipMeasureString ||
        E().GdipMeasureString(g, text.c_str(), static_cast<INT>(text.size()), font, &layout, format, &box, nullptr,
                              nullptr) != Gdiplus::Ok)
        return Gdiplus::RectF();
    return box;
}

} // namespace

void acgpDrawString(HDC dc, const UnicodeString& text, const TRect& r, TColor color, TAlignment alignment,
                    TVerticalAlignment verticalAlignment, int angle, bool defaultHint)
{
    if (text.empty()) return;
    Session session;
    if (!session) return;
    Graphics g(dc);
    if (!g) return;
    std::int32_t c = color;
    if ((static_cast<std::uint32_t>(c) >> 24) == 0) c |= static_cast<std::int32_t>(0xFF000000u);
    Brush brush;
    MakeSolidBrush(brush, AlphaArgb(c));
    Font font;
    MakeFont(dc, font);
    StringFormat format;
    MakeFormat(format);
    if (!brush || !font || !format || !E().GdipDrawString) return;
    if (E().GdipSetTextRenderingHint)
        E().GdipSetTextRenderingHint(g.Get(), defaultHint ? Gdiplus::TextRenderingHintSystemDefault
                                                          : Gdiplus::TextRenderingHintClearTypeGridFit);
    if (E().GdipSetStringFormatAlign) E().GdipSetStringFormatAlign(format.Get(), HorizontalOf(alignment));
    Gdiplus::RectF layout(static_cast<float>(r.Left), static_cast<float>(r.Top), static_cast<float>(r.Width() + 1),
                          static_cast<float>(r.Height() + 1));
    if (angle == 0) {
        if (E().GdipSetStringFormatLineAlign)
            E().GdipSetStringFormatLineAlign(format.Get(), VerticalOf(verticalAlignment));
    } else {
        if (!E().GdipTranslateWorldTransform || !E().GdipRotateWorldTransform) return;
        const Gdiplus::RectF size = Measure(g.Get(), text, font.Get(), Gdiplus::RectF(0, 0, kUnbounded, kUnbounded),
                                            format.Get());
        float ox = layout.X, oy = layout.Y;
        if (alignment == taCenter) {
            ox = layout.X + layout.Width / 2;
            oy = layout.Y + layout.Height / 2;
        } else if (alignment == taRightJustify) {
            ox = layout.X + layout.Width - size.Width;
        }
        E().GdipTranslateWorldTransform(g.Get(), ox, oy, Gdiplus::MatrixOrderPrepend);
        E().GdipRotateWorldTransform(g.Get(), static_cast<float>(-angle), Gdiplus::MatrixOrderPrepend);
        // The text is laid out at its own size about the new origin.
        if (alignment == taCenter)
            layout = Gdiplus::RectF(-size.Width / 2, -size.Height / 2, size.Width, size.Height);
        else
            layout = Gdiplus::RectF(0, 0, size.Width, size.Height);
        if (E().GdipSetStringFormatAlign) E().GdipSetStringFormatAlign(format.Get(), Gdiplus::StringAlignmentNear);
    }
    E().GdipDrawString(g.Get(), text.c_str(), static_cast<INT>(text.size()), font.Get(), &layout, format.Get(),
                       brush.Get());
}

TSize acgpMeasureString(HDC dc, const UnicodeString& text, bool wordWrap, int maxWidth)
{
    if (text.empty()) return TSize();
    Session session;
    if (!session) return TSize();
    Graphics g(dc);
    if (!g) return TSize();
    Font font;
    MakeFont(dc, font);
    StringFormat format;
    MakeFormat(format);
    if (!font || !format) return TSize();
    if (!wordWrap && E().GdipSetStringFormatFlags)
        E().GdipSetStringFormatFlags(format.Get(), Gdiplus::StringFormatFlagsNoWrap);
    const float width = wordWrap ? static_cast<float>(maxWidth) : kUnbounded;
    const Gdiplus::RectF box = Measure(g.Get(), text, font.Get(), Gdiplus::RectF(0, 0, width, kUnbounded), format.Get());
    if (box.Width <= 0 && box.Height <= 0) return TSize();
    return TSize(static_cast<LONG>(Round(box.Width)) + 1, static_cast<LONG>(Round(box.Height)) + 1);
}

TSize acgpMeasureString(HDC dc, const UnicodeString& text, TFont* font, bool wordWrap, int maxWidth)
{
    if (!font) return acgpMeasureString(dc, text, wordWrap, maxWidth);
    HGDIOBJ old = SelectObject(dc, font->Handle());
    const TSize size = acgpMeasureString(dc, text, wordWrap, maxWidth);
    SelectObject(dc, old);
    return size;
}

UnicodeString acgpGetFontName(const UnicodeString& fileName)
{
    Session session;
    if (!session) return {};
    const TacgpEntries& e = E();
    const TacgpReleaseEntries& release = acgpReleaseEntries();
    if (!e.GdipNewPrivateFontCollection || !e.GdipPrivateAddFontFile || !e.GdipGetFontCollectionFamilyList ||
        !e.GdipGetFamilyName)
        return {};
    Gdiplus::GpFontCollection* collection = nullptr;
    if (e.GdipNewPrivateFontCollection(&collection) != Gdiplus::Ok || !collection) return {};
    UnicodeString name;
    if (e.GdipPrivateAddFontFile(collection, fileName.c_str()) == Gdiplus::Ok) {
        Gdiplus::GpFontFamily* family = nullptr;
        INT found = 0;
        if (e.GdipGetFontCollectionFamilyList(collection, 1, &family, &found) == Gdiplus::Ok && found == 1 && family) {
            WCHAR buffer[LF_FACESIZE] = {};
            if (e.GdipGetFamilyName(family, buffer, LANG_NEUTRAL) == Gdiplus::Ok) {
                buffer[LF_FACESIZE - 1] = 0;
                name = buffer;
            }
            if (release.GdipDeleteFontFamily) release.GdipDeleteFontFamily(family);
        }
    }
    // Without this the collection keeps the font file open for the rest of the process.
    if (release.GdipDeletePrivateFontCollection) release.GdipDeletePrivateFontCollection(&collection);
    return name;
}
