// Rendering of glyph images: a character drawn black on white, turned into the glyph colour
// (or a top-to-bottom gradient) with alpha from its coverage, optionally rotated or outlined,
// with a corner glyph cut softly into it; the per-item cache, the list's bitmaps and its
// native images.
#include "acAlphaImageListChar.h"
#include "acAlphaImageListOutline.h"

#include "SysUtils.h"
#include "acGPUtils.h"
#include "sAlphaGraph.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sGraphUtilsTextOut.h"
#include "sSkinManager.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr UINT kMeasureFlags = DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP | DT_EXTERNALLEADING;
constexpr UINT kDrawFlags = DT_NOPREFIX | DT_NOCLIP | DT_EXTERNALLEADING | DT_VCENTER;

// Selects a canvas font into its DC for plain GDI text, black on a transparent background.
class TextScope {
public:
    TextScope(TBitmap* bmp) : dc_(bmp->Canvas()->Handle())
    {
        old_ = ::SelectObject(dc_, bmp->Canvas()->Font()->Handle());
        ::SetBkMode(dc_, TRANSPARENT);
        ::SetTextColor(dc_, RGB(0, 0, 0));
    }
    ~TextScope() { ::SelectObject(dc_, old_); }
    TextScope(const TextScope&) = delete;
    TextScope& operator=(const TextScope&) = delete;
    HDC Dc() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A set colour converted and stored with red and blue swapped, the bitmap's byte order.
std::int32_t PixelColor(TColor color)
{
    return SwapRedBlue(static_cast<std::int32_t>(acColorToRGB(color)) & 0xFFFFFF);
}

std::uint8_t Coverage(const TsColor_& px) { return static_cast<std::uint8_t>(255 - ((px.R + 2 * px.G + px.B) >> 2)); }

// DrawTextW on a TRect.
void DrawTextIn(HDC dc, const UnicodeString& text, TRect& r, UINT flags)
{
    RECT rect = r;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.length()), &rect, flags);
    r = rect;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// One glyph

void TsCharImageList::PrepareBmp(TBitmap* bmp, int index, const TRect& r, int fontHeight, int offsetY)
{
    if (!bmp || !ValidIndex(index)) return;
    const TacCharListItem& item = *FItems->Items(index);
    const int h = fontHeight;
    bmp->SetPixelFormat(pf32bit);
    if (bmp->Empty()) bmp->SetSize(h, h);
    if (bmp->Empty()) return;
    TFont* font = bmp->Canvas()->Font();
    font->SetPitch(item.Pitch());
    font->SetStyle(item.Style());
    font->SetCharset(item.Charset());
    font->SetName(item.FontName());
    font->SetColor(clBlack);
    font->SetHeight(static_cast<int>(Round(h * item.ScalingFactor())));
    font->SetQuality(h < 25 ? fqClearType : fqAntialiased);
    const TRect all(0, 0, bmp->Width(), bmp->Height());
    FillRect32(bmp, all, clWhite, 0);

    const UnicodeString text(1, static_cast<wchar_t>(item.Char()));
    const wchar_t ch = static_cast<wchar_t>(item.Char());
    const int contourWidth = h / 48 + 1;
    {
        TextScope scope(bmp);
        TRect extent = r;
        if (item.DrawContour()) {
            const TSize s = DrawCharOutline(scope.Dc(), font, ch, r, 0, clBlack, contourWidth, true);
            extent = TRect(r.Left, r.Top, r.Left + s.cx, r.Top + s.cy);
        } else {
            DrawTextIn(scope.Dc(), text, extent, kMeasureFlags);
        }
        TRect t;
        t.Left = (bmp->Width() - extent.Width()) / 2;
        t.Top = (bmp->Height() - extent.Height()) / 2;
        t.Right = t.Left + extent.Width();
        t.Bottom = t.Top + extent.Height();
        if (offsetY != 0) t.Offset(0, static_cast<int>(Round(offsetY * item.ScalingFactor())));

        if (item.Angle() == 0) {
            if (item.DrawContour()) DrawCharOutline(scope.Dc(), font, ch, t, 0, clBlack, contourWidth, false);
            else DrawTextIn(scope.Dc(), text, t, kDrawFlags);
        } else if (item.DrawContour()) {
            DrawCharOutline(scope.Dc(), font, ch, t, item.Angle(), clBlack, contourWidth, false);
        } else {
            auto upright = CreateBmpLike(bmp);
            upright->Canvas()->Font()->Assign(font);
            FillRect32(upright.get(), all, clWhite, 255);
            {
                TextScope inner(upright.get());
                DrawTextIn(inner.Dc(), text, t, kDrawFlags);
            }
            // GDI text leaves alpha 0 where it draws: the turned copy must be opaque throughout.
            ::GdiFlush();
            FillAlphaRect(upright.get(), all, 255, clNone);
            acgpDrawRotatedBitmap(scope.Dc(), upright.get(), all, item.Angle() % 360);
        }
    }
    ::GdiFlush();

    // Colours: c1 the glyph's, c2 the gradient's end (only when nobody set colours for all).
    const std::int32_t c1 = ForeColor != clNone ? PixelColor(ForeColor)
                            : item.Color() != clNone ? PixelColor(item.Color())
                                                     : 0;
    const bool gradient = item.SecondColor() != clNone && ForeColor2 == clNone &&
                          !(ForeColor != clNone && item.Color() != clNone && c1 == PixelColor(item.Color()));
    const std::int32_t c2 = gradient ? PixelColor(item.SecondColor()) : 0;
    const bool blend = State == 0 && FBlendValue != 255;
    auto blended = [&](int a) { return static_cast<std::uint8_t>(blend ? a * FBlendValue >> 8 : a); };

    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    TsColor_ first{}, last{};
    first.I = c1;
    last.I = c2;
    for (int y = 0; y < rows.Height(); ++y) {
        TsColor_ rowColor = first;
        if (gradient && rows.Height() > 1) {
            // One pixel high: the main colour alone, no division by zero.
            const double k = static_cast<double>(y) / (rows.Height() - 1);
            rowColor.R = static_cast<std::uint8_t>(Round(first.R + (last.R - first.R) * k));
            rowColor.G = static_cast<std::uint8_t>(Round(first.G + (last.G - first.G) * k));
            rowColor.B = static_cast<std::uint8_t>(Round(first.B + (last.B - first.B) * k));
        }
        for (TsColor_& px : rows.Row(y)) {
            const std::uint8_t a = Coverage(px);
            if (gradient && a == 0) {
                px.I = 0;
                continue;
            }
            px.I = rowColor.I;
            px.A = blended(a);
        }
    }

    // Corner glyph.
    if (item.AddedChar() == 0) return;
    const int s = r.Height() * item.AddedSize() / 100;
    TFont added;
    added.SetCharset(item.AddedCharset());
    added.SetName(item.AddedFontName().empty() ? item.FontName() : item.AddedFontName());
    added.SetHeight(-s);
    const UnicodeString addedText(1, static_cast<wchar_t>(item.AddedChar()));
    TSize extent;
    if (!acGetTextExtentW(nullptr, addedText, extent, added.Handle()) || extent.cx <= 0 || extent.cy <= 0) return;
    const TPoint origin(r.Right - extent.cx, r.Bottom - extent.cy);
    if (origin.X < 0 || origin.Y < 0) return;
    TsColor_ cornerColor{};
    cornerColor.I = item.AddedColor() != clNone ? PixelColor(item.AddedColor()) : c1;

    auto glyph = CreateBmp32(extent.cx, extent.cy);
    FillRect32(glyph.get(), TRect(0, 0, extent.cx, extent.cy), clWhite, 255);
    glyph->Canvas()->Font()->Assign(&added);
    {
        TextScope scope(glyph.get());
        TRect gr(0, 0, extent.cx, extent.cy);
        DrawTextIn(scope.Dc(), addedText, gr, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_BOTTOM);
    }
    const int b = std::max<int>(3, r.Width() / 30);
    auto halo = CreateBmp32(extent.cx + 2 * b, extent.cy + 2 * b);
    FillRect32(halo.get(), TRect(0, 0, halo->Width(), halo->Height()), clWhite, 255);
    ::BitBlt(halo->Canvas()->Handle(), b, b, extent.cx, extent.cy, glyph->Canvas()->Handle(), 0, 0, SRCCOPY);
    ::GdiFlush();
    acgpBlur(halo.get(), b);

    TacBmpRows glyphRows(glyph.get());
    TacBmpRows haloRows(halo.get());
    if (!glyphRows.Valid() || !haloRows.Valid()) return;
    for (int hy = 0; hy < haloRows.Height(); ++hy)
        for (int hx = 0; hx < haloRows.Width(); ++hx) {
            const int tx = origin.X - b + hx, ty = origin.Y - b + hy;
            if (tx < 1 || !rows.Contains(tx, ty)) continue;
            TsColor_& target = rows.At(tx, ty);
            const int gx = hx - b, gy = hy - b;
            const std::uint8_t g = glyphRows.Contains(gx, gy) ? blended(Coverage(glyphRows.At(gx, gy))) : 0;
            if (g > 0) {
                target.R = static_cast<std::uint8_t>(target.R + (cornerColor.R - target.R) * g / 256);
                target.G = static_cast<std::uint8_t>(target.G + (cornerColor.G - target.G) * g / 256);
                target.B = static_cast<std::uint8_t>(target.B + (cornerColor.B - target.B) * g / 256);
                target.A = g;
            } else {
                const TsColor_& hp = haloRows.At(hx, hy);
                const int value = (hp.R + 2 * hp.G + hp.B) >> 2;
                target.A = static_cast<std::uint8_t>(std::min<int>(target.A, std::max(0, 255 - 6 * (255 - value))));
            }
        }
}

TBitmap* TacCharListItem::GetImage(int fontHeight, std::unique_ptr<TBitmap>& owned)
{
    owned.reset();
    TsCharImageList* list = ImgList();
    if (!list) return nullptr;
    const int w = GetImageWidth(list, Index(), list->PixelsPerInch);
    const int h = GetImageHeight(list, Index(), list->PixelsPerInch);
    if (w <= 0 || h <= 0) return nullptr;
    if (fontHeight == 0) fontHeight = GetImageHeight(list, -1, list->PixelsPerInch);
    const TColor color = list->ForeColor != clNone ? list->ForeColor : FColor;
    if (list->CanUseCache()) {
        if (CacheBmp && !list->ItemIsCached(*this, w, color, h)) CacheBmp.reset();
        if (!CacheBmp) {
            auto bmp = CreateBmp32(w, h);
            list->PrepareBmp(bmp.get(), Index(), TRect(0, 0, w, h), fontHeight, FOffsetY);
            bmp->Canvas()->Font()->SetColor(color);
            CachedState = list->State;
            ActBlend = list->State != 0 ? 255 : list->BlendValue();
            CacheBmp = std::move(bmp);
        }
        return CacheBmp.get();
    }
    owned = CreateBmp32(w, h);
    list->PrepareBmp(owned.get(), Index(), TRect(0, 0, w, h), fontHeight, FOffsetY);
    return owned.get();
}

// ---------------------------------------------------------------------------------------------
// The list's bitmaps

std::unique_ptr<TBitmap> TsCharImageList::CreateBitmap32Color(int index, int width, int height, TColor color,
                                                              int fontHeight)
{
    if (!HandleAllocated() || !ValidIndex(index) || width <= 0 || height <= 0) return nullptr;
    ForeColor = color;
    if (fontHeight == 0) fontHeight = GetImageHeight(this, -1, PixelsPerInch);
    TacCharListItem& item = *FItems->Items(index);
    if (item.CacheBmp && !ItemIsCached(item, width, color, height)) item.CacheBmp.reset();
    int offset = item.OffsetY();
    if (FSavedScale > 0 && FSavedScale < static_cast<int>(aPPIArray.size()))
        offset = offset * aPPIArray[static_cast<std::size_t>(FSavedScale)] / 96;
    if (CanUseCache()) {
        if (!item.CacheBmp) {
            auto bmp = CreateBmp32(width, height);
            PrepareBmp(bmp.get(), index, TRect(0, 0, width, height), fontHeight, offset);
            bmp->Canvas()->Font()->SetColor(color);
            item.ActBlend = FBlendValue;
            item.CachedState = State;
            item.CacheBmp = std::move(bmp);
        }
        return CopyBitmap(item.CacheBmp.get());
    }
    auto bmp = CreateBmp32(width, height);
    PrepareBmp(bmp.get(), index, TRect(0, 0, width, height), fontHeight, offset);
    return bmp;
}

std::unique_ptr<TBitmap> TsCharImageList::CreateBitmap32(int index, int width, int height, int fontHeight)
{
    return CreateBitmap32Color(index, width, height, ForeColor, fontHeight);
}

bool TsCharImageList::GetBitmap32(int index, TBitmap* bmp, int fontHeight)
{
    if (!HandleAllocated() || !bmp || !ValidIndex(index)) return true;
    TacCharListItem& item = *FItems->Items(index);
    if (bmp->Width() == GetImageWidth(this, index, PixelsPerInch) &&
        bmp->Height() == GetImageHeight(this, index, PixelsPerInch)) {
        std::unique_ptr<TBitmap> owned;
        if (TBitmap* image = item.GetImage(0, owned)) bmp->Assign(image);
        return true;
    }
    bmp->SetPixelFormat(pf32bit);
    if (fontHeight == 0) fontHeight = bmp->Height();
    int listHeight = GetImageHeight(this, -1, PixelsPerInch);
    if (listHeight == 0) listHeight = 96;
    PrepareBmp(bmp, index, TRect(0, 0, bmp->Width(), bmp->Height()), fontHeight,
               item.OffsetY() * fontHeight / listHeight);
    return true;
}

void TsCharImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT, bool)
{
    if (!canvas || !ValidIndex(index)) return;
    TacCharListItem& item = *FItems->Items(index);
    const int w = GetImageWidth(this, index, PixelsPerInch);
    const int h = GetImageHeight(this, index, PixelsPerInch);
    if (w <= 0 || h <= 0) return;
    auto under = CreateBmp32(w, h);
    ::BitBlt(under->Canvas()->Handle(), 0, 0, w, h, canvas->Handle(), x, y, SRCCOPY);
    if (item.Color() == clNone) ForeColor = canvas->Font()->Color();
    std::unique_ptr<TBitmap> owned;
    if (TBitmap* image = item.GetImage(0, owned)) PaintBmp32(under.get(), image);
    ::BitBlt(canvas->Handle(), x, y, w, h, under->Canvas()->Handle(), 0, 0, SRCCOPY);
    ForeColor = clNone;
}

// ---------------------------------------------------------------------------------------------
// Native images

void TsCharImageList::GenerateStdList(TColor color)
{
    if (SavedHeight == 0 && Width() == 16 && Height() == 16 && !AcChanging) {
        AcChanging = true;
        KillImgList();
        SetDimension(0, 16);
        SetDimension(1, 16);
        AcChanging = false;
    }
    if (SavedHeight == 0) return;
    CreateImgList();
    if (!HandleAllocated()) return;
    const int p = StdDensity(false);
    const bool wasLocked = AcChanging;
    AcChanging = true;
    ::ImageList_Remove(Handle(), -1);
    for (int i = 0; i < FItems->Count(); ++i) {
        const TacCharListItem& item = *FItems->Items(i);
        if (item.Color() != clNone) ForeColor = clNone;
        else if (color == clNone && DefaultManager && DefaultManager->Active())
            ForeColor = acColorToRGB(clWindowText);
        else ForeColor = color;
        auto bmp = CreateBitmap32(i, GetImageWidth(this, i, p), GetImageHeight(this, i, p), GetImageHeight(this, -1, p));
        if (!bmp) bmp = CreateBmp32(Width(), Height());
        AddAsIcon(bmp.get(), -1);
    }
    AcChanging = wasLocked;
    ForeColor = clNone;
    if (FItems->Count() > 0) StdListIsGenerated = true;
}
