// acDrawGlyphEx: one glyph from an image list of any kind or from a glyph bitmap.
#include "sThirdParty.h"

#include "SysUtils.h"
#include "acAlphaImageList.h"
#include "acAlphaImageListChar.h"
#include "acAlphaImageListVirtual.h"
#include "sDefaults.h"
#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsFill.h"
#include "sGraphUtilsGlyphEx.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sVclUtils.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr TColor kKeyColor = 0xFF00FF;
constexpr std::uint8_t kDisabledListBlend = 127;

bool ManagerOption(int index) { return DefaultManager && DefaultManager->Options()->GetBool(index); }
// Without a manager glyphs are checked, as the image lists do.
bool CheckEmptyAlpha() { return !DefaultManager || ManagerOption(0); }

// A 32-bit glyph whose alpha bytes are all 0 carries no transparency at all.
bool AlphaIsEmpty(TBitmap& bmp)
{
    for (int y = 0; y < bmp.Height(); ++y) {
        const auto* row = static_cast<const TsColor_*>(bmp.ScanLine(y));
        for (int x = 0; x < bmp.Width(); ++x)
            if (row[x].A != 0) return false;
    }
    return true;
}

TFont* GlyphFont(const TacDrawGlyphData& d)
{
    if (d.Canvas) return d.Canvas->Font();
    return d.DstBmp ? d.DstBmp->Canvas()->Font() : nullptr;
}

// A library list (alpha, virtual or character) drawn by its own alpha drawing.
void DrawLibraryList(const TacDrawGlyphData& d, int frame, TColor grayColor)
{
    TacImageList* colourList = dynamic_cast<TsCharImageList*>(d.Images);
    if (auto* view = dynamic_cast<TsVirtualImageList*>(d.Images))
        colourList = dynamic_cast<TsCharImageList*>(view->AlphaImageList());
    TFont* font = GlyphFont(d);
    // Character glyphs take the font colour (grey for a greyed glyph) while they are drawn.
    const TColor savedFore = colourList ? colourList->ForeColor : clNone;
    const TColor savedFont = font ? font->Color() : clNone;
    if (colourList && font) {
        const TColor c = grayColor != clNone ? grayColor : acColorToRGB(font->Color());
        colourList->ForeColor = c;
        if (d.DstBmp) d.DstBmp->Canvas()->Font()->SetColor(c);
        if (auto* view = dynamic_cast<TsVirtualImageList*>(d.Images)) view->SetForeColor(c);
    }
    if (d.DstBmp)
        DrawAlphaImgList(d.Images, d.DstBmp, d.ImgRect.Left, d.ImgRect.Top, d.ImageIndex, d.Blend, d.BGColor, frame,
                         d.NumGlyphs, d.Reflected, d.PPI);
    else if (d.Canvas)
        DrawAlphaImgListDC(d.Images, d.Canvas->Handle(), d.ImgRect.Left, d.ImgRect.Top, d.ImageIndex, d.Blend,
                           d.BGColor, frame, d.NumGlyphs, d.Reflected, d.PPI);
    if (colourList) {
        colourList->ForeColor = savedFore;
        if (d.DstBmp && font) d.DstBmp->Canvas()->Font()->SetColor(savedFont);
    }
}

// Any other list: fetched over its background (the key colour for clNone) and copied with the
// key colour transparent, greyed or blended as the state asks.
void DrawOtherList(const TacDrawGlyphData& d)
{
    TCustomImageList* list = d.Images;
    const int w = GetImageWidth(list, d.ImageIndex, d.PPI);
    const int h = GetImageHeight(list, d.ImageIndex, d.PPI);
    if (w <= 0 || h <= 0) return;
    auto tmp = CreateBmp32(w, h);
    const TColor bg = list->BkColor() == clNone ? kKeyColor : list->BkColor();
    FillDC(tmp->Canvas()->Handle(), TRect(0, 0, w, h), bg);
    list->Draw(tmp->Canvas(), 0, 0, d.ImageIndex, true);
    GdiFlush();
    TsColor key;
    key.C = kKeyColor;
    const TRect all(0, 0, w - 1, h - 1);
    if (!d.Enabled) {
        if (d.Grayed) GrayScaleTrans(tmp.get(), key);
        if (d.DisabledGlyphKind.Contains(dgBlended))
            BlendTransRectangle(d.DstBmp, d.ImgRect.Left, d.ImgRect.Top, tmp.get(), all, kDisabledListBlend, kKeyColor);
        else CopyTransBitmaps(d.DstBmp, tmp.get(), d.ImgRect.Left, d.ImgRect.Top, key);
        return;
    }
    if (d.CurrentState == 0 && d.Grayed) GrayScaleTrans(tmp.get(), key);
    if (d.CurrentState == 0 && d.Blend > 0)
        BlendTransRectangle(d.DstBmp, d.ImgRect.Left, d.ImgRect.Top, tmp.get(), all,
                            static_cast<std::uint8_t>(std::clamp(d.Blend * 255 / 100, 0, 255)), kKeyColor);
    else CopyTransBitmaps(d.DstBmp, tmp.get(), d.ImgRect.Left, d.ImgRect.Top, key);
}

void DrawGlyphBitmap(TacDrawGlyphData& d)
{
    TBitmap* glyph = d.Glyph;
    const bool disabled = !d.Enabled;
    if (glyph->PixelFormat() == pf32bit && !(d.Enabled && !CheckEmptyAlpha()) && AlphaIsEmpty(*glyph))
        glyph->SetPixelFormat(pf24bit);
    if (glyph->PixelFormat() != pf32bit) {
        if (d.DstBmp)
            DrawGlyphEx(glyph, d.DstBmp, d.ImgRect, d.NumGlyphs, d.Enabled, d.DisabledGlyphKind, d.CurrentState,
                        d.Blend, d.Down, d.Reflected);
        return;
    }
    const int n = std::max(1, d.NumGlyphs);
    const int w = d.ImgRect.Width();
    const int h = std::min<int>(d.ImgRect.Height(), glyph->Height());
    if (w <= 0 || h <= 0) return;
    const int frame = std::clamp(d.CurrentState, 0, n - 1);
    auto tmp = CreateBmp32(w, h);
    ::BitBlt(tmp->Canvas()->Handle(), 0, 0, w, h, glyph->Canvas()->Handle(), frame * w, 0, SRCCOPY);
    GdiFlush();
    const bool blendedOff = disabled && d.DisabledGlyphKind.Contains(dgBlended);
    const int blend = blendedOff ? static_cast<int>(Round(DefDisabledBlend * 100)) : d.Blend;
    if (blend != 0 && d.CurrentState == 0) {
        for (int y = 0; y < h; ++y) {
            auto* row = static_cast<TsColor_*>(tmp->ScanLine(y));
            for (int x = 0; x < w; ++x) row[x].A = static_cast<std::uint8_t>(row[x].A * blend / 100);
        }
    }
    if ((disabled && d.DisabledGlyphKind.Contains(dgGrayed)) || (d.Grayed && d.CurrentState == 0)) GrayScale(tmp.get());
    if (d.DstBmp)
        CopyBmp32(TRect(d.ImgRect.Left, d.ImgRect.Top, d.ImgRect.Left + w, d.ImgRect.Top + h), TRect(0, 0, w, h),
                  d.DstBmp, tmp.get(), EmptyCI, false, clNone, 0, d.Reflected);
    else if (d.Canvas)
        DrawBmp(d.Canvas, tmp.get(), TRect(d.ImgRect.Left, d.ImgRect.Top, d.ImgRect.Left + w, d.ImgRect.Top + h),
                d.Reflected);
}

} // namespace

void acDrawGlyphEx(const TacDrawGlyphData& data)
{
    TacDrawGlyphData d = data;
    const TColor grayColor = d.Grayed ? acColorToRGB(clGrayText) : clNone;
    // The standard glyph order keeps the disabled frame at 1.
    if (ManagerOption(3)) {
        if (d.CurrentState == 0 && !d.Enabled) d.CurrentState = 1;
        else if (d.CurrentState == 1) d.CurrentState = 0;
        if (d.NumGlyphs < 3) d.CurrentState = 0;
    }
    if (d.Images && d.ImageIndex >= 0 && d.ImageIndex < d.Images->Count()) {
        const int frame = std::min(d.CurrentState + (d.Down ? 1 : 0), std::max(1, d.NumGlyphs) - 1);
        if (dynamic_cast<TsAlphaImageList*>(d.Images) || dynamic_cast<TsVirtualImageList*>(d.Images) ||
            dynamic_cast<TsCharImageList*>(d.Images))
            DrawLibraryList(d, frame, grayColor);
        else if (d.Images->ColorDepth() == cd32Bit && dynamic_cast<TImageList*>(d.Images)) {
            if (d.Canvas) d.Images->Draw(d.Canvas, d.ImgRect.Left, d.ImgRect.Top, d.ImageIndex, d.Enabled);
        } else if (d.DstBmp)
            DrawOtherList(d);
        else if (d.Canvas)
            d.Images->Draw(d.Canvas, d.ImgRect.Left, d.ImgRect.Top, d.ImageIndex, d.Enabled);
        return;
    }
    if (d.Glyph && !d.Glyph->Empty()) DrawGlyphBitmap(d);
}
